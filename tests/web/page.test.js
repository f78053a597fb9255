// The page in headless Chromium: start-up reports of chosen maps, keys, the menu, L, screen dumps,
// and pictures made viewer-ready.
'use strict';
const {test, before, after} = require('node:test');
const assert = require('node:assert/strict');
const fs = require('node:fs');
const {start, until, framesPast, consoleText} = require('./harness.js');

let browser;
before(async () => { browser = await start(); });
after(async () => { await browser.close(); });

// ---- BMPs: bottom-up, rows padded to 4 bytes; `colour(x, y)` gives [r, g, b] or a palette index
function bmp(width, height, bits, colour, palette = []) {
    const stride = Math.ceil(width * bits / 8 / 4) * 4, offset = 54 + 4 * palette.length;
    const out = Buffer.alloc(offset + stride * height);
    out.write('BM', 0);
    out.writeUInt32LE(out.length, 2), out.writeUInt32LE(offset, 10), out.writeUInt32LE(40, 14);
    out.writeInt32LE(width, 18), out.writeInt32LE(height, 22), out.writeUInt16LE(1, 26), out.writeUInt16LE(bits, 28);
    out.writeUInt32LE(palette.length, 46);
    palette.forEach(([r, g, b], i) => out.set([b, g, r, 0], 54 + 4 * i));
    for (let y = 0; y < height; ++y)
        for (let x = 0; x < width; ++x) {
            const at = offset + (height - 1 - y) * stride + x * bits / 8, c = colour(x, y);
            if (bits === 8) out[at] = c;
            else out.set([c[2], c[1], c[0], 255].slice(0, bits / 8), at);
        }
    return out;
}
const picture24 = (w, h) => bmp(w, h, 24, (x, y) => [x * 7 & 255, y * 11 & 255, 200]);
const picture8 = (w, h) => bmp(w, h, 8, (x, y) => (x + y) % 4, [[0, 0, 0], [255, 0, 0], [0, 255, 0], [0, 0, 255]]);

// ---- the start-up report's lines, as the desktop's start-up test writes them
const field20 = (name) => name.slice(0, 20).padEnd(20);
const opening = ' Orvex.Exe v0.73     \n  Searching for the user-supplied file Orvex.Txt ...found.\n';
const image = (name, radius8) => `  Importing:[${field20(name)}]${' '.repeat(15)}...found.  radius=${radius8} km\n`;
const size = (name, w, h, tw, th) =>
    ` ${field20(name)}:${String(w).padStart(10)} by${String(h).padStart(7)} OpenGL::${String(tw).padStart(10)} by${String(th).padStart(7)}\n`;

// Opens the files ({name: bytes}) through "Open maps…"; resolves when the new run has drawn a
// frame or ended.
async function openMaps(page, files) {
    const opened = await page.evaluate(() => window.orvexMaps.opened);
    await page.setInputFiles('#open-maps', Object.entries(files).map(([name, bytes]) =>
        ({name, mimeType: 'application/octet-stream', buffer: Buffer.from(bytes)})));
    await until(page, (n) => window.orvexMaps.opened > n, opened);
    await until(page, () => window.orvexPage.state === 'ended' || window.orvexPage.framesDrawn > 0);
}

const startups = [
    {name: 'no image counted halts', files: {'Orvex.Txt': '0\n'},
     report: opening + 'Orvex: < 1 texture image in Orvex.Txt, line 1.\n'},
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
    {name: 'radius field limits',
     files: {'Orvex.Txt': '5\nr1.bmp\n10000000\nr2.bmp\n9999999\nr3.bmp\nabc\nr4.bmp\n2.5E3\nr5.bmp\n',
             ...Object.fromEntries(['r1', 'r2', 'r3', 'r4', 'r5'].map((n) => [n + '.bmp', picture24(2, 2)]))},
     report: opening + '     5 texture images:\n' + image('r1.bmp', '********') + image('r2.bmp', '9999999.') +
             image('r3.bmp', '      1.') + image('r4.bmp', '   2500.') + image('r5.bmp', '      1.') +
             ['r1', 'r2', 'r3', 'r4', 'r5'].map((n) => size(n + '.bmp', 2, 2, 2, 2)).join('')},
    {name: 'missing image halts', files: {'Orvex.Txt': '2\nthere.bmp\n10\nnot-there.bmp\n20\n', 'there.bmp': picture24(2, 2)},
     report: opening + '     2 texture images:\n' + image('there.bmp', '     10.') +
             '  Importing:[not-there.bmp       ]           ...not found.\x07 Halt.\n'},
    {name: 'unsupported depth halts', files: {'Orvex.Txt': '1\ndeep.bmp\n6371\n', 'deep.bmp': bmp(4, 4, 32, () => [1, 2, 3])},
     report: opening + '     1 texture images:\n' + image('deep.bmp', '   6371.') +
             'Vsn 1.0 only supports 8 and 24 bit color .bmp files.\n'},
];

test('the start-up report of maps opened in the page', async (t) => {
    const page = await browser.page();
    await framesPast(page, 1);
    for (const c of startups) {
        await t.test(c.name, async () => {
            await openMaps(page, c.files);
            assert.equal(await consoleText(page), c.report);
        });
    }
});

// ---- the canvas, read back as RGBA rows top-down: in the page (kept there to compare with the
// next picture; true when it differs from the last one kept), or as bytes
const keepPicture = (page, asBytes) => page.evaluate((asBytes) => {
    const canvas = document.getElementById('orvex');
    const copy = Object.assign(document.createElement('canvas'), {width: canvas.width, height: canvas.height});
    const context = copy.getContext('2d');
    context.drawImage(canvas, 0, 0);
    const pixels = context.getImageData(0, 0, canvas.width, canvas.height).data, last = window.keptPicture;
    window.keptPicture = pixels;
    if (asBytes) return btoa(Array.from(pixels, (v) => String.fromCharCode(v)).join(''));
    return !last || last.length !== pixels.length || pixels.some((v, i) => v !== last[i]);
}, asBytes);
// Waits until the canvas differs from the picture last kept (bounded).
async function pictureChanges(page) {
    for (let frames = await page.evaluate(() => window.orvexPage.framesDrawn), tries = 0; tries < 20; ++tries) {
        await framesPast(page, frames += 2);
        if (await keepPicture(page)) return;
    }
    assert.fail('the picture did not change');
}
const bells = async (page) => (await consoleText(page)).split('\x07').length - 1;

test('keys and menu entries change the picture; an unbound key rings the bell', async (t) => {
    const page = await browser.page();
    await framesPast(page, 2);
    await keepPicture(page);
    for (const key of ['h', 'h', 'g', 'i', 'i', 'p', 'e', '2', '1', 'ArrowUp']) {
        await t.test('key ' + key, async () => {
            await page.keyboard.press(key);
            await pictureChanges(page);
        });
    }
    const ringsAfter = async (action) => {
        const before = await bells(page);
        await action();
        await until(page, (n) => document.getElementById('console').textContent.split('\x07').length - 1 > n, before);
    };
    for (const key of ['5', 'x', 'ArrowLeft']) await t.test('key ' + key + ' rings', () => ringsAfter(() => page.keyboard.press(key)));
    const box = await page.locator('#orvex').boundingBox();
    const labels = ['1  select image #1', '2                        #2', '3                        #3', '4                        #4',
                    '5                        #5', 'E  cycle  -Persp/L:R/R:L', 'G  toggle-Grid      (on/off)',
                    'H             -Help on screen', 'I              -Image', 'L             -Lat/Lon I/O', 'P             -Places',
                    'R             -Rotate', 'Q      ***Quit***'];
    const ways = {
        'release on an entry': async (item) => {
            await page.mouse.move(box.x + 300, box.y + 200);
            await page.mouse.down({button: 'right'});
            await until(page, () => !document.getElementById('menu').hidden);
            assert.deepEqual(await page.locator('[role="menuitem"]').allTextContents(), labels);
            const entry = await page.getByRole('menuitem', {name: item, exact: true}).boundingBox();
            await page.mouse.move(entry.x + 5, entry.y + entry.height / 2, {steps: 4});
            await page.mouse.up({button: 'right'});
        },
        'click, then click': async (item) => {
            await page.mouse.click(box.x + 300, box.y + 200, {button: 'right'});
            await page.getByRole('menuitem', {name: item, exact: true}).click();
        },
    };
    // Entry 5 with two maps rings the bell, as key 5 does.
    for (const [way, open] of Object.entries(ways)) await t.test('menu: ' + way, () => ringsAfter(() => open(labels[4])));
});

test('L writes Orvex.Out as a download; an edited Orvex.Out is read back by the next L', async () => {
    const page = await browser.page();
    await framesPast(page, 2);
    const [download] = await Promise.all([page.waitForEvent('download'), page.keyboard.press('l')]);
    assert.equal(download.suggestedFilename(), 'Orvex.Out');
    assert.match(fs.readFileSync(await download.path(), 'latin1'), /^ +-?\d+\.\d\n +-?\d+\.\d\n Above: latitude & longitude in degrees\.\n$/);
    await keepPicture(page);
    await page.setInputFiles('#open-maps', {name: 'Orvex.Out', mimeType: 'text/plain', buffer: Buffer.from(' 45.0\n -90.0\n')});
    await until(page, () => document.getElementById('maps-log').textContent.includes('L reads it back'));
    await page.keyboard.press('l');
    await pictureChanges(page);
    await page.keyboard.press('g');
    await pictureChanges(page);
    const [again] = await Promise.all([page.waitForEvent('download'), page.keyboard.press('l')]);
    assert.match(fs.readFileSync(await again.path(), 'latin1'), /^ {3}45\.0\n {2}-90\.0\n/);
});

test('~ downloads ScrnDmp1.Bmp with the canvas\'s pixels; the fifth dump ends the run', async () => {
    const page = await browser.page();
    await framesPast(page, 2);
    const [download] = await Promise.all([page.waitForEvent('download'), page.keyboard.press('~')]);
    const pixels = Buffer.from(await keepPicture(page, true), 'base64');
    const dump = fs.readFileSync(await download.path());
    assert.equal(download.suggestedFilename(), 'ScrnDmp1.Bmp');
    assert.equal(dump.length, 2359350);
    // GL counts rows from the bottom: the canvas's rows are the dump's lowest ones.
    const height = await page.evaluate(() => document.getElementById('orvex').height);
    let differing = 0;
    for (let y = 0; y < height; ++y)
        for (let x = 0; x < 1024; ++x) {
            const at = 54 + 3 * ((height - 1 - y) * 1024 + x), top = 4 * (y * 1024 + x);
            if (dump[at + 2] !== pixels[top] || dump[at + 1] !== pixels[top + 1] || dump[at] !== pixels[top + 2]) ++differing;
        }
    assert.equal(differing, 0);
    for (let n = 2; n <= 5; ++n) await Promise.all([page.waitForEvent('download'), page.keyboard.press('~')]);
    await until(page, () => window.orvexPage.state === 'ended');
    assert.match(await consoleText(page), /GLScrSup:ScrnDmp: ~: 5 screens dumped\. Execution stopped\.\n$/);
});

test('chosen maps are kept across a reload, until the demo maps are asked for', async () => {
    const page = await browser.page();
    const files = {'Orvex.Txt': '1\nkept.bmp\n100\n', 'kept.bmp': picture24(8, 4)};
    const report = opening + '     1 texture images:\n' + image('kept.bmp', '    100.') + size('kept.bmp', 8, 4, 8, 4);
    await openMaps(page, files);
    await page.reload();
    await framesPast(page, 1);
    assert.equal(await consoleText(page), report);
    await page.click('#demo-maps');
    await until(page, () => document.getElementById('console').textContent.includes('earth.bmp'));
    await framesPast(page, 1);
    assert.match(await consoleText(page), /night\.bmp {11}: +2048 by +1024/);
});

// A picture the page decodes: too wide for WebGL, so scaled by one factor; then the helper's refusals.
test('pictures are made viewer-ready in the page', async (t) => {
    const page = await browser.page();
    await framesPast(page, 1);
    const jpeg = Buffer.from(await page.evaluate(async () => {
        const canvas = new OffscreenCanvas(8200, 100);
        const context = canvas.getContext('2d');
        context.fillStyle = '#2060c0';
        context.fillRect(0, 0, 8200, 100);
        return Array.from(new Uint8Array(await (await canvas.convertToBlob({type: 'image/jpeg'})).arrayBuffer()));
    }));
    const cases = [
        {radius: '3389.5', log: 'orvex-picture: wide.jpg (8200 x 100) -> wide.bmp, 24-bit, 8192 x 100\n',
         report: image('wide.bmp', '   3390.') + size('earth.bmp', 2048, 1024, 2048, 1024) + size('night.bmp', 2048, 1024, 2048, 1024) +
                 size('wide.bmp', 8192, 100, 8192, 128)},
        {radius: '12 parsecs', log: "orvex-picture: error: the radius '12 parsecs' is not a number of kilometres"},
    ];
    for (const c of cases) {
        await t.test('radius ' + c.radius, async () => {
            await page.fill('#radius', c.radius);
            await page.setInputFiles('#open-maps', {name: 'wide.jpg', mimeType: 'image/jpeg', buffer: jpeg});
            await until(page, (text) => document.getElementById('maps-log').textContent.includes(text), c.log);
            if (!c.report) return;
            await until(page, (text) => document.getElementById('console').textContent.endsWith(text), c.report);
        });
    }
    const sixth = {'Orvex.Txt': '5\n' + [1, 2, 3, 4, 5].map((n) => `m${n}.bmp\n1\n`).join(''),
                   ...Object.fromEntries([1, 2, 3, 4, 5].map((n) => [`m${n}.bmp`, picture24(2, 2)]))};
    await openMaps(page, sixth);
    await page.fill('#radius', '6371');
    await page.setInputFiles('#open-maps', {name: 'wide.jpg', mimeType: 'image/jpeg', buffer: jpeg});
    await until(page, () => document.getElementById('maps-log').textContent.includes(
        'cannot add wide.bmp to Orvex.Txt: it already lists 5 images, the most the viewer reads'));
});
