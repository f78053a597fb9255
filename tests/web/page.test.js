// The page in the engine of engines.js (Chromium, Firefox or WebKit): start-up reports of chosen
// maps, keys, the menu, L, screen dumps, kept maps, and pictures made viewer-ready.
'use strict';
const {before, after, test: nodeTest} = require('node:test');
const assert = require('node:assert/strict');
const fs = require('node:fs');

const {engine, start} = require('./engines.js');

let session;
before(async () => { session = await start(); });
after(() => session.close());
// The pages a test opened are closed when it ends: a page left open goes on drawing its globe at
// every animation frame and takes the machine's time from the tests after it.
const opened = new Set();
const test = (name, options, body = options) => nodeTest(name, body === options ? {} : options, async (t) => {
    try {
        await body(t);
    } finally {
        for (const page of opened) await page.close();
        opened.clear();
    }
});
// A case the other engines cannot run here is skipped there, with the reason.
const chromiumOnly = (reason) => ({skip: engine !== 'chromium' && `Chromium only: ${reason}`});
// The desktop's window, and Chromium's phone and tablet emulation (touch, a device pixel ratio).
const desktop = {viewport: {width: 1400, height: 1000}};
const phone = {viewport: {width: 390, height: 844}, deviceScaleFactor: 3, isMobile: true, hasTouch: true};
const tablet = {viewport: {width: 820, height: 1180}, deviceScaleFactor: 2, isMobile: true, hasTouch: true};
// With the demo maps' first frames drawn in the full window: the frame that resizes the canvas to
// 1024 x 748 clears it, so a key taken in that pass (a ~) would see an empty picture.
async function newPage(device = desktop) {
    const page = await session.newPage(device);
    opened.add(page);
    await page.goto(session.url);
    await until(page, () => window.orvexPage.framesDrawn >= 2 && document.getElementById('orvex').height === 748);
    return await framesPast(page, await page.evaluate(() => window.orvexPage.framesDrawn + 1)) && page;
}
// Bounded waits on the page's own state.
const until = (page, holds, arg) => page.waitForFunction(holds, arg, {timeout: 60000, polling: 50});
const framesPast = (page, count) => until(page, (n) => window.orvexPage.framesDrawn >= n, count);
const text = (page, id = 'console') => page.evaluate((id) => document.getElementById(id).textContent, id);
const textHas = (page, wanted, id = 'maps-log') =>
    until(page, ([t, id]) => document.getElementById(id).textContent.includes(t), [wanted, id]);
// The largest texture the engine's WebGL takes (8192 in Chromium here, 16384 in Firefox).
const largestTexture = (page) => page.evaluate(() =>
    document.createElement('canvas').getContext('webgl').getParameter(WebGLRenderingContext.MAX_TEXTURE_SIZE));
const choose = (page, files) => page.setInputFiles('#open-maps', Object.entries(files).map(([name, bytes]) =>
    ({name, mimeType: 'application/octet-stream', buffer: Buffer.from(bytes)})));

// ---- BMPs: bottom-up, rows padded to 4 bytes; `colour(x, y)` gives [r, g, b] or a palette index
function bmp(width, height, bits, colour, palette = []) {
    const stride = Math.ceil(width * bits / 32) * 4, offset = 54 + 4 * palette.length, out = Buffer.alloc(offset + stride * height);
    out.write('BM'), out.writeUInt32LE(out.length, 2), out.writeUInt32LE(offset, 10), out.writeUInt32LE(40, 14);
    out.writeInt32LE(width, 18), out.writeInt32LE(height, 22), out.writeUInt16LE(1, 26), out.writeUInt16LE(bits, 28);
    out.writeUInt32LE(palette.length, 46), palette.forEach(([r, g, b], i) => out.set([b, g, r, 0], 54 + 4 * i));
    for (let y = 0; y < height; ++y)
        for (let x = 0, at = offset + (height - 1 - y) * stride, c; x < width; ++x, at += bits / 8)
            bits === 8 ? out[at] = colour(x, y) : out.set([(c = colour(x, y))[2], c[1], c[0], 255].slice(0, bits / 8), at);
    return out;
}
const picture24 = (w, h) => bmp(w, h, 24, (x, y) => [x * 7 & 255, y * 11 & 255, 200]);  // the desktop test's pictures
const picture8 = (w, h) => bmp(w, h, 8, (x, y) => (x + y) % 4, [[0, 0, 0], [255, 0, 0], [0, 255, 0], [0, 0, 255]]);

// ---- the start-up report's lines, as the desktop's start-up test writes them
const field20 = (name) => name.slice(0, 20).padEnd(20);
const opening = ' Orvex.Exe v0.73     \n  Searching for the user-supplied file Orvex.Txt ...found.\n';
const image = (name, radius8) => `  Importing:[${field20(name)}]${' '.repeat(15)}...found.  radius=${radius8} km\n`;
const by = (w, h) => `${String(w).padStart(10)} by${String(h).padStart(7)}`;
const size = (name, w, h, tw, th) => ` ${field20(name)}:${by(w, h)} OpenGL::${by(tw, th)}\n`;

// Drops the files ({name: bytes}) onto the page.
const drop = (page, files) => page.evaluate((files) => {
    const dataTransfer = new DataTransfer();
    for (const [name, bytes] of files) dataTransfer.items.add(new File([new Uint8Array(bytes)], name));
    document.body.dispatchEvent(new DragEvent('drop', {dataTransfer, bubbles: true, cancelable: true}));
}, Object.entries(files).map(([name, bytes]) => [name, Array.from(Buffer.from(bytes))]));
// Opens the files ({name: bytes}) through "Open maps…" (or `how`); resolves when the new set has
// drawn a frame and is kept, or has ended before its first frame, a wait for Enter answered.
async function openMaps(page, files, how = choose) {
    const opened = await page.evaluate(() => window.orvexMaps.opened);
    await how(page, files);
    for (;;) {
        await until(page, (n) => window.orvexPage.state === 'waiting' ||
                                 (window.orvexMaps.opened > n && (window.orvexPage.state === 'ended' || window.orvexPage.framesDrawn > 0)), opened);
        if (await page.evaluate(() => window.orvexPage.state) !== 'waiting') return;
        await page.click('#enter');
    }
}

const startups = [
    {name: 'no image counted halts', files: {'Orvex.Txt': '0\n'}, report: opening + 'Orvex: < 1 texture image in Orvex.Txt, line 1.\n'},
    {name: 'unreadable count goes on without images', files: {'Orvex.Txt': 'many\nearth.bmp\n6371\n', 'earth.bmp': picture24(4, 2)},
     report: opening + ' Orvex: error reading the number of texture images.\n'},
    {name: 'count above five and radii',
     files: {'Orvex.Txt': '7 images, only five are read\na.bmp\n6371\nb.bmp\n3390 km, a comment\nc.bmp\n1737.4\nd.bmp\n-0.5\n' +
                          'e.bmp\n-2000\nsixth-is-missing.bmp\n1\n',
             'a.bmp': picture24(1000, 500), 'b.bmp': picture24(1, 1), 'c.bmp': picture8(5, 3), 'd.bmp': picture24(1025, 1),
             'e.bmp': picture8(4, 4)},
     report: opening + '     5 texture images:\n' + image('a.bmp', '   6371.') + image('b.bmp', '   3390.') +
             image('c.bmp', '   1737.') + image('d.bmp', '      1.') + image('e.bmp', '   2000.') +
             size('a.bmp', 1000, 500, 1024, 512) + size('b.bmp', 1, 1, 2, 2) + size('c.bmp', 5, 3, 8, 4) +
             size('d.bmp', 1025, 1, 2048, 2) + size('e.bmp', 4, 4, 4, 4)},
    {name: 'missing image halts', files: {'Orvex.Txt': '2\nthere.bmp\n10\nnot-there.bmp\n20\n', 'there.bmp': picture24(2, 2)},
     report: opening + '     2 texture images:\n' + image('there.bmp', '     10.') +
             '  Importing:[not-there.bmp       ]           ...not found.\x07 Halt.\n'},
];

test('the start-up report of maps opened in the page', async (t) => {
    const page = await newPage();
    for (const c of startups)
        await t.test(c.name, async () => { await openMaps(page, c.files); assert.equal(await text(page), c.report); });
});

// ---- the canvas, read back as RGBA rows top-down: as bytes, or kept in the page to compare with
// the next read-back (true when the picture changed)
const keepPicture = (page, asBytes) => page.evaluate((asBytes) => {
    const canvas = document.getElementById('orvex'), copy = new OffscreenCanvas(canvas.width, canvas.height).getContext('2d');
    copy.drawImage(canvas, 0, 0);
    const pixels = copy.getImageData(0, 0, canvas.width, canvas.height).data, last = window.keptPicture;
    window.keptPicture = pixels;
    if (asBytes) return btoa(Array.from(pixels, (v) => String.fromCharCode(v)).join(''));
    return !last || last.length !== pixels.length || pixels.some((v, i) => v !== last[i]);
}, asBytes);
async function pictureChanges(page) {  // bounded: 20 read-backs two frames apart
    for (let frames = await page.evaluate(() => window.orvexPage.framesDrawn), tries = 0; tries < 20; ++tries)
        if (await framesPast(page, frames += 2) && await keepPicture(page)) return;
    assert.fail('the picture did not change');
}
async function rings(page, action) {
    const before = (await text(page)).split('\x07').length;
    await action();
    await until(page, (n) => document.getElementById('console').textContent.split('\x07').length > n, before);
}
// The menu's 13 labels as the desktop's menu table holds them.
const labels = Array.from(fs.readFileSync(`${__dirname}/../../src/input/menu.cpp`, 'latin1').matchAll(/^ {4}\{"([^"]+)", \w+\},$/gm),
                          (m) => m[1]);

test('keys and menu entries act; an unbound key rings the bell', async (t) => {
    const page = await newPage();
    await keepPicture(page);
    for (const key of ['h', 'h', 'g', 'i', 'i', 'p', 'e', '2', '1', 'ArrowUp'])
        await t.test('key ' + key, async () => { await page.keyboard.press(key); await pictureChanges(page); });
    for (const key of ['5', 'x', 'ArrowLeft']) await t.test('key ' + key + ' rings', () => rings(page, () => page.keyboard.press(key)));
    await t.test('a bell shows as a bell', async () => assert.deepEqual(await page.evaluate(() => {
        const bell = document.querySelector('#console .bell-sign');
        return [bell.textContent, getComputedStyle(bell).fontSize, getComputedStyle(bell, '::before').content.includes('🔔')];
    }), ['\x07', '0px', true]));
    const box = await page.locator('#orvex').boundingBox(), entry = page.getByRole('menuitem', {name: labels[4], exact: true});
    const ways = {  // entry 5 with two maps rings the bell, as key 5 does
        'release on an entry': async () => {
            await page.mouse.move(box.x + 300, box.y + 200);
            await page.mouse.down({button: 'right'});
            await entry.waitFor();  // the menu opens when the viewer has taken the press
            assert.deepEqual(await page.locator('[role="menuitem"]').allTextContents(), labels);
            const at = await entry.boundingBox();
            await page.mouse.move(at.x + 5, at.y + at.height / 2, {steps: 4});
            await page.mouse.up({button: 'right'});
        },
        'click, then click': async () => {
            await page.mouse.click(box.x + 300, box.y + 200, {button: 'right'});
            await entry.click();
        },
        'Shift+F10, arrows and Enter': async () => {
            await page.keyboard.press('Shift+F10');
            await entry.waitFor();
            for (let n = 0; n < 4; ++n) await page.keyboard.press('ArrowDown');  // from the first entry
            await page.keyboard.press('Enter');
        },
        'the menu key, Home, arrows and Enter': async () => {
            await page.keyboard.press('ContextMenu');
            await entry.waitFor();
            for (const key of ['End', 'Home', 'ArrowDown', 'ArrowDown', 'ArrowDown', 'ArrowDown', 'Enter']) await page.keyboard.press(key);
        },
    };
    const noMenuKey = engine !== 'chromium' && 'WebDriver has no ContextMenu key';
    for (const [way, pick] of Object.entries(ways)) {
        await t.test('menu: ' + way, {skip: way.includes('menu key') && noMenuKey}, () => rings(page, pick));
    }
    const menu = page.getByRole('menu');
    const controls = {  // then G, with no click on the canvas
        'Back to the demo maps': async () => {
            const run = await page.evaluate(() => window.orvexRun.number);
            await page.click('#demo-maps');
            await until(page, (n) => window.orvexRun.number > n && window.orvexPage.framesDrawn > 2, run);
        },
        'a radius typed': async () => {
            await page.click('#radius');
            await page.keyboard.type('3389');
            await page.keyboard.press('Enter');
        },
        'Tab with the menu open, which closes it': async () => {
            await page.mouse.click(box.x + 300, box.y + 200, {button: 'right'});
            await menu.waitFor();
            await page.keyboard.press('Tab');
            await menu.waitFor({state: 'hidden'});
            await keepPicture(page);
            await page.mouse.move(box.x + 500, box.y + 300);  // the globe follows the pointer again
            await pictureChanges(page);
        },
        // R warps GLUT's pointer along as the globe turns, as the desktop's pointer is warped.
        'R, R again with the pointer still: the view stays where the rotation left it': async () => {
            const pointerX = () => page.evaluate(() => window.orvexRun.module._webPointerX());
            const [startX, start] = [await pointerX(), await pictureDigest(page)];
            await keepPicture(page);
            await page.keyboard.press('r');
            await pictureChanges(page);
            await framesPast(page, await page.evaluate(() => window.orvexPage.framesDrawn + 10));  // 2°, 4 pointer pixels
            await page.keyboard.press('r');
            const stopped = await stillPicture(page);
            assert.notEqual(stopped, start, 'the view went back to where the rotation began');
            assert.notEqual(await pointerX(), startX);
        },
    };
    for (const [control, use] of Object.entries(controls)) {
        await t.test('keys reach the viewer after ' + control, async () => {
            await use();
            await keepPicture(page);
            await page.keyboard.press('g');
            await pictureChanges(page);
        });
    }
});

const downloadOf = async (page, key) => (await Promise.all([page.waitForEvent('download'), page.keyboard.press(key)]))[0];

test('L writes Orvex.Out as a download; an edited Orvex.Out is read back by the next L', async () => {
    const page = await newPage(), written = await downloadOf(page, 'l');
    assert.equal(written.suggestedFilename(), 'Orvex.Out');
    assert.match(fs.readFileSync(await written.path(), 'latin1'),
                 /^ +-?\d+\.\d\n +-?\d+\.\d\n Above: latitude & longitude in degrees\.\n$/);
    await keepPicture(page);
    await choose(page, {'Orvex.Out': ' 45.0\n -90.0\n'});
    await textHas(page, 'L reads it back');
    await page.keyboard.press('l');
    await pictureChanges(page);
    assert.match(fs.readFileSync(await (await downloadOf(page, 'l')).path(), 'latin1'), /^ {3}45\.0\n {2}-90\.0\n/);
});

test('~ downloads ScrnDmp1.Bmp with the canvas\'s pixels; the fifth dump ends the run', async () => {
    const page = await newPage(), download = await downloadOf(page, '~');
    const pixels = Buffer.from(await keepPicture(page, true), 'base64'), dump = fs.readFileSync(await download.path());
    assert.equal(download.suggestedFilename(), 'ScrnDmp1.Bmp');
    assert.equal(dump.length, 2359350);
    const height = pixels.length / 4096;  // GL counts rows from the bottom: the canvas's are the dump's lowest
    let differing = 0;
    for (let top = 0; top < pixels.length; top += 4) {
        const at = 54 + 3 * ((height - 1 - Math.floor(top / 4096)) * 1024 + top / 4 % 1024);
        if (dump[at + 2] !== pixels[top] || dump[at + 1] !== pixels[top + 1] || dump[at] !== pixels[top + 2]) ++differing;
    }
    assert.equal(differing, 0);
    for (let n = 2; n <= 5; ++n) await downloadOf(page, '~');
    await until(page, () => window.orvexPage.state === 'ended');
    // As on the desktop: the dump's bell line, then that of "~", no command key, but for the fifth.
    const dumps = [1, 2, 3, 4, 5].map((n) => ` Writing: ScrnDmp${n}.Bmp  size:     1024 x       768\n\x07\n` + (n < 5 ? '\x07\n' : ''));
    assert.ok((await text(page)).endsWith(dumps.join('') + 'GLScrSup:ScrnDmp: ~: 5 screens dumped. Execution stopped.\n'));
});

// L asks for the small window in its frame; a ~ that arrives at that frame's swap meets the next
// pass, whose resize clears the canvas: the dump must still hold the picture on show, not black.
test('a ~ in the pass that resizes the window dumps the picture on show', async () => {
    const page = await newPage();
    const [download] = await Promise.all([page.waitForEvent('download', (d) => d.suggestedFilename() === 'ScrnDmp1.Bmp'),
        page.evaluate(() => {
            const run = window.orvexPage, press = (key) => document.dispatchEvent(new KeyboardEvent('keydown', {key}));
            let count = run.framesDrawn, armed = false;
            Object.defineProperty(run, 'framesDrawn', {configurable: true, get: () => count, set(n) {
                count = n;
                if (armed) armed = false, press('~');
            }});
            press('l');
            armed = true;
        })]);
    const dump = fs.readFileSync(await download.path());
    assert.ok(dump.subarray(54).some((v) => v !== 0), 'the dump is black');
});

// The next run's canvas refuses WebGL: GLUT tells the page why, then ends the run as freeglut does
// on a window it cannot make.
test('WebGL refused: the page told no-webgl, then freeglut\'s fatal message and status 1', async () => {
    const page = await newPage();
    await page.evaluate(() => {
        const getContext = HTMLCanvasElement.prototype.getContext, create = window.createOrvex;
        const refuse = function (type, ...rest) { return /webgl/i.test(type) ? null : getContext.call(this, type, ...rest); };
        HTMLCanvasElement.prototype.getContext = refuse;
        document.getElementById('orvex').getContextSafariWebGL2Fixed = refuse;  // emscripten's copy of the first run's
        window.told = [];
        window.createOrvex = (module) => {
            const hooks = module.orvexPage, {failed, ended} = hooks;
            hooks.failed = (code, detail) => { window.told.push(['failed', code, detail]); if (failed) failed(code, detail); };
            hooks.ended = (status, ...rest) => { window.told.push(['ended', status]); ended(status, ...rest); };
            return create(module);
        };
        window.orvexRun.start(window.orvexMaps.keptFiles());
    });
    await until(page, () => window.orvexPage.state === 'ended');
    assert.deepEqual(await page.evaluate(() => window.told), [['failed', 'no-webgl', ''], ['ended', 1]]);
    assert.ok((await text(page)).endsWith('\nfreeglut (noname): Unable to create OpenGL 1.0 context (flags 0, profile 0)\n'));
});

test('dropped maps are kept across a reload, until the demo maps are asked for', async () => {
    const page = await newPage();
    await openMaps(page, {'Orvex.Txt': '1\nkept.bmp\n100\n', 'kept.bmp': picture24(8, 4)}, drop);
    await page.reload();
    await framesPast(page, 1);
    assert.equal(await text(page), opening + '     1 texture images:\n' + image('kept.bmp', '    100.') + size('kept.bmp', 8, 4, 8, 4));
    const keptReport = await text(page);
    await page.click('#demo-maps');
    await textHas(page, size('night.bmp', 2048, 1024, 2048, 1024), 'console');
    await page.click('#undo-demo');  // the user's maps come back, and are kept again
    await textHas(page, keptReport, 'console');
    await page.reload();
    await textHas(page, keptReport, 'console');
});

// A copy of the site beside it (served by the same server, so the kept maps are the same) whose
// files link to the site's, but for `changes` ({name: bytes, or null to leave the file out}).
function siteCopy(name, changes) {
    const site = require('./browser.js').root, folder = `${site}/test-${process.pid}-${name}`;
    fs.mkdirSync(folder);
    for (const file of fs.readdirSync(site).filter((file) => !file.startsWith('test-'))) {
        if (!(file in changes)) fs.symlinkSync(`${site}/${file}`, `${folder}/${file}`);
        else if (changes[file] !== null) fs.writeFileSync(`${folder}/${file}`, changes[file]);
    }
    return {path: `test-${process.pid}-${name}/`, remove: () => fs.rmSync(folder, {recursive: true, force: true})};
}
const wasm = () => fs.readFileSync(`${require('./browser.js').root}/orvex.wasm`);
const noWebGL = () => fs.readFileSync(`${require('./browser.js').root}/index.html`, 'utf8')
    .replace('<head>', '<head>\n<script>HTMLCanvasElement.prototype.getContext = () => null;</script>');
const glutRefusesWebGL = fs.readdirSync(`${__dirname}/../../web/glut`)
    .some((file) => /\.(cpp|hpp)$/.test(file) && fs.readFileSync(`${__dirname}/../../web/glut/${file}`, 'utf8').includes('no-webgl'));

test('every failure code the viewer gives has the page\'s plain words', () => {
    const codes = Array.from(fs.readFileSync(`${__dirname}/../../src/platform/console.cpp`, 'latin1')
        .matchAll(/return "([a-z-]+)";/g), (m) => m[1]);
    const words = fs.readFileSync(`${__dirname}/../../web/page/run.js`, 'utf8');
    assert.ok(codes.length >= 15);
    for (const code of codes) assert.ok(words.includes(`'${code}':`), code);
});

// Each bad set stops before its first frame, and a viewer that cannot load or draw ends its run:
// the set kept before stays kept, the earlier picture is gone, and the page says why in plain words
// (from the run's failure code) beside the stop, in view with the way back.
test('a set that stops at its start, or a viewer that cannot start, leaves the kept maps as they were', async (t) => {
    const page = await newPage(phone);
    await openMaps(page, {'Orvex.Txt': '1\nkept.bmp\n100\n', 'kept.bmp': picture24(8, 4)});
    const largest = await largestTexture(page);
    const keptReport = opening + '     1 texture images:\n' + image('kept.bmp', '    100.') + size('kept.bmp', 8, 4, 8, 4);
    const six = {'Orvex.Txt': '6\n' + [1, 2, 3, 4, 5, 6].map((n) => `m${n}.bmp\n1\n`).join(''),
                 ...Object.fromEntries([1, 2, 3, 4, 5, 6].map((n) => [`m${n}.bmp`, picture24(2, 2)]))};
    const badSets = [
        {name: 'a truncated BMP', files: {'Orvex.Txt': '1\ncut.bmp\n10\n', 'cut.bmp': picture24(64, 32).subarray(0, 1000)},
         code: 'image-read', says: 'a BMP file is shorter than its header says'},
        {name: 'a garbage BMP', files: {'Orvex.Txt': '1\njunk.bmp\n10\n', 'junk.bmp': Buffer.from('no picture here '.repeat(8))},
         code: 'image-format', says: 'These maps could not be shown: a map is not a BMP the viewer reads'},
        {name: 'a missing file', files: {'Orvex.Txt': '1\ngone.bmp\n10\n'}, code: 'image-missing',
         says: 'Orvex.Txt names "gone.bmp", which is not among the files'},
        {name: 'an empty Orvex.Txt', files: {'Orvex.Txt': ''}, code: 'config-empty', says: 'Orvex.Txt is empty'},
        {name: 'an over-long name', files: {'Orvex.Txt': '1\nmars-viking-2019-colour.bmp\n10\n', 'mars-viking-2019-colour.bmp': picture24(8, 4)},
         code: 'image-missing', says: 'Orvex.Txt names "mars-viking-2019-col", which is not among the files opened (the viewer cuts names to 20',
         logs: 'mars-viking-2019-colour.bmp has a name of more than 20 characters, of which the viewer reads 20'},
        {name: 'a texture too large for WebGL', files: {'Orvex.Txt': '1\nwide.bmp\n10\n', 'wide.bmp': picture24(largest + 1, 1)},
         code: 'gl-error-at-start', says: 'a map is larger than the largest texture WebGL takes here'},
        {name: 'orvex.wasm missing', site: {'orvex.wasm': null}, code: 'load-failed', says: 'the viewer could not be loaded'},
        {name: 'orvex.wasm cut short', site: {'orvex.wasm': () => wasm().subarray(0, 5000)}, code: 'load-failed',
         says: 'the viewer could not be loaded'},
        {name: 'WebGL refused', site: {'index.html': noWebGL}, code: 'no-webgl', says: 'refused the viewer WebGL',
         skip: !glutRefusesWebGL && 'the GLUT subset does not stop without WebGL yet'},
        {name: 'a BMP that Orvex.Txt does not name, which starts', files: {'extra.bmp': picture24(8, 4)}, starts: true,
         says: 'extra.bmp is in the folder, but Orvex.Txt does not name it, so the viewer does not show it.'},
        {name: 'a BMP of a kept map\'s name, which joins renamed', files: {'kept.bmp': picture24(4, 4)}, starts: true,
         says: 'kept.bmp: the folder has a kept.bmp already; this one becomes kept-2.bmp.'},
        {name: 'six maps, one cut short', files: {...six, 'm3.bmp': picture24(64, 32).subarray(0, 1000)}, code: 'image-read',
         says: 'a BMP file is shorter than its header says'},
        {name: 'six maps, which start on five', files: six, starts: true, code: 'too-many-maps',
         says: 'Orvex.Txt lists 6 maps; the viewer shows the first five, the most it reads. Not shown: m6.bmp.',
         kept: opening + '     5 texture images:\n' + [1, 2, 3, 4, 5].map((n) => image(`m${n}.bmp`, '      1.')).join('') +
               [1, 2, 3, 4, 5].map((n) => size(`m${n}.bmp`, 2, 2, 2, 2)).join('')},
    ];
    for (const c of badSets) {
        await t.test(c.name, {skip: c.skip}, async () => {
            const copy = c.site && siteCopy(c.name.replace(/\W+/g, '-'), Object.fromEntries(
                Object.entries(c.site).map(([name, bytes]) => [name, typeof bytes === 'function' ? bytes() : bytes])));
            try {
                if (copy) {
                    await page.goto(session.url + copy.path);
                    await until(page, () => window.orvexPage.state === 'ended');
                } else {
                    await openMaps(page, c.files);
                }
                await textHas(page, c.says, c.starts ? 'maps-log' : 'status');
                if (c.code) assert.equal(await page.evaluate(() => window.orvexRun.failure.code), c.code);
                if (c.logs) await textHas(page, c.logs);
                if (!c.starts) {
                    const back = page.getByRole('button', {name: copy ? 'Start again' : 'Back to the kept maps'});
                    const box = await back.boundingBox();
                    assert.ok(box.y >= 0 && box.y + box.height <= 845, 'the way back is in view');  // to a device pixel
                    assert.equal(await text(page, 'folder'), 'No maps are showing.');
                    assert.ok(await page.evaluate(() => {  // the earlier run's picture is gone
                        const canvas = document.getElementById('orvex'), copy = new OffscreenCanvas(canvas.width, canvas.height);
                        copy.getContext('2d').drawImage(canvas, 0, 0);
                        return copy.getContext('2d').getImageData(0, 0, canvas.width, canvas.height).data.every((v, i) => v === 0 || i % 4 === 3);
                    }), 'the canvas is clear');
                }
            } finally {
                if (copy) copy.remove();
            }
            await page.goto(session.url);
            await framesPast(page, 1);
            assert.equal(await text(page), c.kept || keptReport);
        });
    }
});

// A picture the page decodes: too wide for WebGL, so scaled by one factor; then the helper's refusals.
test('pictures are made viewer-ready in the page', async (t) => {
    const page = await newPage();
    const largest = await largestTexture(page), wide = largest + 8;
    const jpeg = await page.evaluate(async (wide) => {  // one colour: the encoder's work is not what is tested
        const canvas = new OffscreenCanvas(wide, 100);
        Object.assign(canvas.getContext('2d'), {fillStyle: '#2060c0'}).fillRect(0, 0, wide, 100);
        return Array.from(new Uint8Array(await (await canvas.convertToBlob({type: 'image/jpeg'})).arrayBuffer()));
    }, wide);
    const sixth = {'Orvex.Txt': '5\n' + [1, 2, 3, 4, 5].map((n) => `m${n}.bmp\n1\n`).join(''),
                   ...Object.fromEntries([1, 2, 3, 4, 5].map((n) => [`m${n}.bmp`, picture24(2, 2)]))};
    const cases = [
        {radius: '3389.5', log: `orvex-picture: wide.jpg (${wide} x 100) -> wide.bmp, 24-bit, ${largest} x 100\n`,
         report: image('wide.bmp', '   3390.') + size('earth.bmp', 2048, 1024, 2048, 1024) + size('night.bmp', 2048, 1024, 2048, 1024) +
                 size('wide.bmp', largest, 100, largest, 128)},
        {radius: '12 parsecs', log: "orvex-picture: error: the radius '12 parsecs' is not a number of kilometres"},
        {radius: '3389.5', pictures: ['Mars_Viking_2019_colour.jpg', 'Mars_Viking_2019_grey.jpg'],  // one stem: two maps
         log: `orvex-picture: Mars_Viking_2019_grey.jpg (${wide} x 100) -> Mars_Viking_20-2.bmp, 24-bit, ${largest} x 100\n`,
         report: size('Mars_Viking_2019.bmp', largest, 100, largest, 128) + size('Mars_Viking_20-2.bmp', largest, 100, largest, 128)},
        {radius: '6371', folder: sixth, log: 'cannot add wide.bmp to Orvex.Txt: it already lists 5 images, the most the viewer reads'},
    ];
    for (const c of cases) {
        await t.test('radius ' + c.radius + (c.pictures ? ', two pictures of one stem' : ''), async () => {
            if (c.folder) await openMaps(page, c.folder);
            const opened = await page.evaluate(() => window.orvexMaps.opened);
            await page.fill('#radius', c.radius);
            await choose(page, Object.fromEntries((c.pictures || ['wide.jpg']).map((name) => [name, jpeg])));
            await textHas(page, c.log);
            // Kept, too: the next case's set must not meet this one's keeping.
            if (c.report) await until(page, ([report, n]) => document.getElementById('console').textContent.endsWith(report) &&
                                                             window.orvexMaps.opened > n, [c.report, opened]);
        });
    }
});

// ---- any screen: the page fits it, a finger is the pointer, every key is a tap away

test('the page fits the screen: the canvas scaled to its width and height, every control on it (Chromium\'s phone emulation)',
     chromiumOnly('phones and tablets are emulated through the DevTools protocol'), async (t) => {
    const viewports = [
        {name: 'desktop 1400 x 1000', device: desktop, panelInView: true, consoleColumns: 80},
        {name: 'desktop window 700 x 500', device: {viewport: {width: 700, height: 500}}},
        {name: 'phone held sideways 844 x 390', device: {...phone, viewport: {width: 844, height: 390}}, keyBar: true},
        {name: 'phone 390 x 844', device: phone, keyBar: true},
        {name: 'narrow phone 360 x 740', device: {...phone, viewport: {width: 360, height: 740}}, keyBar: true},
        {name: 'tablet 820 x 1180', device: tablet, keyBar: true},
        {name: 'phone turned to 844 x 390 once loaded', device: phone, turned: {width: 844, height: 390}, keyBar: true},
    ];
    for (const v of viewports) {
        await t.test(v.name, async () => {
            const page = await newPage(v.device);
            if (v.turned) await page.setViewportSize(v.turned);
            const layout = await page.evaluate(() => {
                const box = (e) => e.getBoundingClientRect();
                const shown = Array.from(document.querySelectorAll('button, input, summary, #orvex')).filter((e) => e.offsetParent);
                return {scrollWidth: document.documentElement.scrollWidth, width: innerWidth, height: innerHeight,
                        boxes: shown.map((e) => ({id: e.id || e.textContent, left: box(e).left, right: box(e).right})),
                        canvas: box(document.getElementById('orvex')), panelTop: box(document.getElementById('panel')).top,
                        keyBar: document.getElementById('keys').open, zoom: visualViewport.scale,
                        readouts: document.getElementById('readouts').textContent,
                        consoleColumns: (() => {  // how many of the console's characters fit on a line
                            const panel = document.getElementById('console'), probe = document.createElement('span');
                            probe.textContent = 'x'.repeat(100);
                            panel.append(probe);
                            const columns = 100 * (panel.clientWidth - 2 * parseFloat(getComputedStyle(panel).paddingLeft)) /
                                            probe.getBoundingClientRect().width;
                            probe.remove();
                            return Math.floor(columns);
                        })()};
            });
            assert.ok(layout.scrollWidth <= layout.width, `the page is ${layout.scrollWidth} wide`);
            for (const b of layout.boxes) assert.ok(b.left >= 0 && b.right <= layout.width, `${b.id} at ${b.left}..${b.right}`);
            // As wide as the screen allows, and a finger's strip of the screen's height left to scroll the page by.
            const widest = Math.min(1024, layout.width - 40, (layout.height - 56) * 1024 / 748 - 1);
            assert.ok(layout.canvas.width >= widest, `the canvas is ${layout.canvas.width} wide`);
            assert.ok(layout.canvas.height <= layout.height - 48, `the canvas is ${layout.canvas.height} high`);
            assert.match(layout.readouts, /^Centre: latitude -?\d+\.\d°, longitude -?\d+\.\d°\. Field of view \d+\.\d\d°\. Map 1: earth\.bmp\.$/);
            if (v.consoleColumns) assert.ok(layout.consoleColumns >= v.consoleColumns, `${layout.consoleColumns} columns`);
            assert.ok(Math.abs(layout.canvas.height / layout.canvas.width - 748 / 1024) < 0.01, 'the canvas keeps its aspect');
            assert.equal(await page.evaluate(() => document.getElementById('orvex').width), 1024);
            if (v.panelInView) assert.ok(layout.panelTop < layout.height, 'the console panel starts in view');
            assert.equal(layout.keyBar, Boolean(v.keyBar));
            assert.equal(layout.zoom, 1);
            await page.close();
        });
    }
});

// Touch, each point [x, y] in CSS pixels of the page: through Chromium's DevTools protocol, or
// the Firefox driver's touch.
async function touch(page, type, points = []) {
    if (engine === 'firefox') return page.touch(type, points);
    page.touchSession = page.touchSession || await page.context().newCDPSession(page);
    await page.touchSession.send('Input.dispatchTouchEvent', {type, touchPoints: points.map(([x, y], id) => ({x, y, id}))});
}
const tap = async (page, point) => { await touch(page, 'touchStart', [point]); await touch(page, 'touchEnd'); };
const tapOn = async (page, locator) => { const b = await locator.boundingBox(); await tap(page, [b.x + b.width / 2, b.y + b.height / 2]); };
// The page point of a canvas pixel's centre, through the canvas's scale.
async function canvasPoint(page, x, y) {
    const box = await page.locator('#orvex').boundingBox();
    return [box.x + (x + 0.5) * box.width / 1024, box.y + (y + 0.5) * box.height / 748];
}
// A short digest of the canvas's pixels, and a bounded wait for the picture to become one.
const pictureDigest = (page) => page.evaluate(() => {
    const canvas = document.getElementById('orvex'), copy = new OffscreenCanvas(canvas.width, canvas.height).getContext('2d');
    copy.drawImage(canvas, 0, 0);
    let hash = 2166136261;
    for (const v of copy.getImageData(0, 0, canvas.width, canvas.height).data) hash = Math.imul(hash ^ v, 16777619);
    return hash >>> 0;
});
async function pictureBecomes(page, digest) {  // bounded: 20 read-backs two frames apart
    for (let frames = await page.evaluate(() => window.orvexPage.framesDrawn), tries = 0; tries < 20; ++tries)
        if (await framesPast(page, frames += 2) && await pictureDigest(page) === digest) return;
    assert.fail('the picture did not come back');
}
async function stillPicture(page) {  // bounded: the digest once two read-backs four frames apart agree
    for (let frames = await page.evaluate(() => window.orvexPage.framesDrawn), last, tries = 0; tries < 20; ++tries) {
        await framesPast(page, frames += 4);
        const digest = await pictureDigest(page);
        if (digest === last) return digest;
        last = digest;
    }
    assert.fail('the picture did not hold still');
}
// Two fingers on the canvas's centre, from `from` to `to` CSS pixels either side of it.
async function pinch(page, from, to) {
    const [x, y] = await canvasPoint(page, 512, 374);
    await touch(page, 'touchStart', [[x - from, y], [x + from, y]]);
    for (const half of [(from + to) / 2, to]) await touch(page, 'touchMove', [[x - half, y], [x + half, y]]);
    await touch(page, 'touchEnd');
}
// The keys of the key bar and of a pinch reach the viewer one a frame: a bell key sent after them
// rings once all of them have been taken.
const keysDone = (page) => rings(page, () => page.evaluate(() => window.orvexRun.key('x'.charCodeAt(0))));
const keyButton = (page, name) => page.getByRole('button', {name, exact: false});
const kLatLon25x35 = [440, 152];  // the pointer position whose view has latitude 25, longitude 35 at the centre

// Firefox: the phone alone (time), its key bar unfolded by hand, as its emulation has no touch
// points (navigator.maxTouchPoints 0).
test('a finger turns, zooms, opens the menu and taps the keys', {skip: engine === 'webkit' && 'WebKit\'s WebDriver has no touch'},
     async (t) => {
    for (const [device, screen] of Object.entries(engine === 'firefox' ? {phone} : {phone, tablet})) {
        const page = await newPage(screen), {width, height} = screen.viewport;
        if (engine === 'firefox') await page.evaluate(() => { document.getElementById('keys').open = true; });
        const gestures = {
            'a finger held gives the picture of the mouse at the same window pixel': async () => {
                // Firefox's touches fall on whole CSS pixels: the mouse goes to the canvas pixel the finger is on.
                const [x, y] = (await canvasPoint(page, ...kLatLon25x35)).map(Math.round);
                const pixel = await page.evaluate(([x, y]) => {
                    const canvas = document.getElementById('orvex'), box = canvas.getBoundingClientRect();
                    return [Math.floor((x - box.left) * canvas.width / box.width), Math.floor((y - box.top) * canvas.height / box.height)];
                }, [x, y]);
                const mouse = await newPage();
                const box = await mouse.locator('#orvex').boundingBox();
                await keepPicture(mouse);
                await until(mouse, () => document.getElementById('readouts').textContent);
                const before = await text(mouse, 'readouts');
                await mouse.mouse.move(box.x + pixel[0], box.y + pixel[1]);
                await pictureChanges(mouse);
                const wanted = await pictureDigest(mouse);
                // The readouts under the canvas follow the view within a quarter of a second.
                await until(mouse, (t) => document.getElementById('readouts').textContent !== t, before);
                const readouts = await text(mouse, 'readouts');
                await mouse.close();
                await touch(page, 'touchStart', [[x - 20, y]]);
                await touch(page, 'touchMove', [[x, y]]);  // a moving finger: no long press
                await pictureBecomes(page, wanted);
                await textHas(page, readouts, 'readouts');
                await touch(page, 'touchEnd');
                await framesPast(page, await page.evaluate(() => window.orvexPage.framesDrawn + 4));
                assert.equal(await pictureDigest(page), wanted, 'the view stays where the finger left it');
            },
            // Both rows end away from the field of view's limits, so that a step too many or too few shows.
            'a pinch outwards widens the field of view as Up does': async () => {
                const before = await pictureDigest(page);
                await pinch(page, 50, 80);  // 5 steps of 12
                await keysDone(page);
                const pinched = await pictureDigest(page);
                assert.notEqual(pinched, before);
                for (const key of ['Down arrow', 'Up arrow']) {
                    for (let n = 0; n < 5; ++n) await tapOn(page, keyButton(page, key));
                    await keysDone(page);
                    assert.equal(await pictureDigest(page), key === 'Up arrow' ? pinched : before, key);
                }
                assert.equal(await page.evaluate(() => visualViewport.scale), 1);
            },
            'a pinch inwards narrows it as Down does': async () => {
                const before = await pictureDigest(page);
                for (let n = 0; n < 5; ++n) await tapOn(page, keyButton(page, 'Up arrow'));
                await pinch(page, 80, 50);
                await keysDone(page);
                assert.equal(await pictureDigest(page), before);
                assert.equal(await page.evaluate(() => visualViewport.scale), 1);
            },
            'a long press opens the menu; a tap on G hides the grid': async () => {
                await touch(page, 'touchStart', [await canvasPoint(page, ...kLatLon25x35)]);
                await page.getByRole('menu').waitFor();
                await touch(page, 'touchEnd');
                const items = page.getByRole('menuitem');
                assert.deepEqual(await items.allTextContents(), labels);
                for (const item of await items.all()) {
                    const b = await item.boundingBox();
                    assert.ok(b.height >= 44 && b.x >= 0 && b.y >= 0 && b.x + b.width <= width && b.y + b.height <= height, JSON.stringify(b));
                }
                const withGrid = await pictureDigest(page);
                await keepPicture(page);
                await tapOn(page, page.getByRole('menuitem', {name: labels[6], exact: true}));
                await pictureChanges(page);
                assert.equal(await page.getByRole('menu').isHidden(), true);
                await tapOn(page, keyButton(page, 'G:'));
                await pictureBecomes(page, withGrid);
            },
            'a tap off the menu closes it and goes no further': async () => {
                await touch(page, 'touchStart', [await canvasPoint(page, ...kLatLon25x35)]);
                await page.getByRole('menu').waitFor();
                await touch(page, 'touchEnd');
                const before = await pictureDigest(page);
                await tap(page, await canvasPoint(page, 1000, 20));  // the window's top right corner, above the menu
                await page.getByRole('menu').waitFor({state: 'hidden'});
                await framesPast(page, await page.evaluate(() => window.orvexPage.framesDrawn + 4));
                assert.equal(await pictureDigest(page), before, 'the view did not follow the tap');
            },
            'the key bar\'s H shows and hides the help': async () => {
                const before = await pictureDigest(page);
                await keepPicture(page);
                await tapOn(page, keyButton(page, 'H:'));
                await pictureChanges(page);
                await tapOn(page, keyButton(page, 'H:'));
                await pictureBecomes(page, before);
            },
            'the key bar\'s ~ downloads a screen dump': async () => {
                const [download] = await Promise.all([page.waitForEvent('download'), tapOn(page, keyButton(page, '~:'))]);
                assert.equal(download.suggestedFilename(), 'ScrnDmp1.Bmp');
                assert.equal(fs.statSync(await download.path()).size, 2359350);
            },
            'a tap on the globe takes the keys back from the radius box': async () => {
                await tapOn(page, page.locator('#radius'));
                await page.keyboard.type('0');
                await tap(page, await canvasPoint(page, ...kLatLon25x35));  // where the finger last was: the view stays
                await keepPicture(page);
                await page.keyboard.press('g');
                await pictureChanges(page);
            },
        };
        for (const [name, gesture] of Object.entries(gestures)) await t.test(`${device}: ${name}`, gesture);
        await page.close();
    }
});

// ---- the page as an app: the browser's storage failing, installable, offline

test('each failure of the browser\'s storage is told, and no kept map is lost', async (t) => {
    const page = await newPage();
    const folderText = () => text(page, 'folder');
    // Asked once a set of the user's maps is kept: a refusal is told the first time only.
    await page.evaluate(() => {
        Object.defineProperty(navigator, 'storage', {configurable: true, value: {persisted: async () => false, persist: async () => false}});
    });
    await openMaps(page, {'Orvex.Txt': '1\nkept.bmp\n100\n', 'kept.bmp': picture24(8, 4)});
    await textHas(page, 'The browser did not grant this site lasting storage');
    const keptReport = opening + '     1 texture images:\n' + image('kept.bmp', '    100.') + size('kept.bmp', 8, 4, 8, 4);
    const newReport = opening + '     1 texture images:\n' + image('new.bmp', '    200.') + size('new.bmp', 4, 2, 4, 2);
    const missing = 'This browser does not let the page keep maps here';
    const failures = [  // each breaks the storage of the page as it runs, until the next reload
        {name: 'IndexedDB missing', says: missing,
         breaks: () => { Object.defineProperty(window, 'indexedDB', {value: undefined, configurable: true}); }},
        {name: 'IndexedDB throwing on open', says: '(the database is broken)',
         breaks: () => { IDBFactory.prototype.open = () => { throw new DOMException('the database is broken', 'UnknownError'); }; }},
        {name: 'quota exceeded', says: 'These maps could not be kept: the browser\'s storage for this site is full',
         breaks: () => { IDBObjectStore.prototype.put = () => { throw new DOMException('quota exceeded', 'QuotaExceededError'); }; }},
    ];
    for (const c of failures) {
        await t.test(c.name, async () => {
            await page.evaluate(c.breaks);
            await openMaps(page, {'Orvex.Txt': '1\nnew.bmp\n200\n', 'new.bmp': picture24(4, 2)});
            await textHas(page, c.says);
            assert.equal(await text(page), newReport, 'the new maps show');
            assert.match(await folderText(), /not kept/);
            assert.doesNotMatch(await text(page, 'maps-log'), /lasting storage/);
            await page.reload();
            await framesPast(page, 1);
            assert.equal(await text(page), keptReport);
            assert.match(await folderText(), /kept in this browser/);
        });
    }
    await t.test('the kept maps removed by the browser between visits', async () => {
        await page.evaluate(() => new Promise((deleted) => { indexedDB.deleteDatabase('orvex').onsuccess = deleted; }));
        await page.reload();
        await textHas(page, 'The maps you kept in this browser are gone');
        await textHas(page, size('night.bmp', 2048, 1024, 2048, 1024), 'console');
        await page.reload();
        await framesPast(page, 1);
        assert.doesNotMatch(await text(page, 'maps-log'), /are gone/, 'told once');
    });
});

// What only Chromium's DevTools protocol and playwright's network emulation reach.
test('Chromium-only: the page is installable (no installability errors over the DevTools protocol)',
     chromiumOnly('the DevTools protocol'), async () => {
    // In an ordinary profile: the browser contexts of the other tests are incognito ones, never installable.
    const profile = fs.mkdtempSync(require('node:path').join(require('node:os').tmpdir(), 'orvex-profile-'));
    const context = await require('playwright-core').chromium.launchPersistentContext(profile, {
        executablePath: '/usr/bin/chromium', headless: true, args: ['--no-sandbox', '--disable-gpu', '--no-first-run']});
    try {
        const page = await context.newPage();
        await page.goto(session.url);
        await until(page, () => window.orvexApp.offline);
        const devTools = await context.newCDPSession(page);
        assert.deepEqual((await devTools.send('Page.getInstallabilityErrors')).installabilityErrors, []);
    } finally {
        await context.close();
        fs.rmSync(profile, {recursive: true, force: true});
    }
});

test('Chromium-only: offline after one visit, a reload starts the viewer on the demo maps and on kept maps',
     chromiumOnly('playwright\'s network emulation'), async () => {
    const page = await newPage();
    await until(page, () => window.orvexApp.offline);
    const build = await page.evaluate(() => window.orvexApp.build);
    assert.match(await text(page, 'build'), new RegExp(`^Build ${build}: kept in this browser`));
    await page.context().setOffline(true);
    await page.reload();
    await textHas(page, size('night.bmp', 2048, 1024, 2048, 1024), 'console');
    await framesPast(page, 2);
    await openMaps(page, {'Orvex.Txt': '1\nkept.bmp\n100\n', 'kept.bmp': picture24(8, 4)});
    await page.reload();
    await framesPast(page, 2);
    assert.equal(await text(page), opening + '     1 texture images:\n' + image('kept.bmp', '    100.') + size('kept.bmp', 8, 4, 8, 4));
});
