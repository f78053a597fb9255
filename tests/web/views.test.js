// Every view of tests/support/views.txt drawn by the page within 2 % of the desktop's pixels
// (pixels more than 24 levels off in some channel). The desktop's pictures come from
// desktop_views.sh (build/, Xvfb, the preloaded shim's frame script), made beside the page's. The
// page is driven the way the shim drives the desktop: the same map, the same actions after the
// same swaps, a clock at 10 ms a swap from the same noon, and no frame after the frozen swap.
'use strict';
const {test, before, after} = require('node:test');
const assert = require('node:assert/strict');
const {spawn} = require('node:child_process');
const fs = require('node:fs');
const os = require('node:os');
const path = require('node:path');
const {pixelsOff} = require('./pictures.js');
const {start} = require('./engines.js');

// The view table: [name, {swap: [action, ...]}], the pointer's actions in every view.
function readViews() {
    const rows = fs.readFileSync(path.join(__dirname, '../support/views.txt'), 'utf8').split('\n')
        .filter((line) => line.trim() && !line.startsWith('#')).map((line) => line.trim().split(/\s+/));
    const actions = (script) => {
        const at = {};
        for (const part of script.split(';')) {
            const [, from, to = from, action] = part.match(/^(\d+)(?:\.\.(\d+))?:(.+)$/);
            for (let swap = Number(from); swap <= Number(to); ++swap) (at[swap] = at[swap] || []).push(action);
        }
        return at;
    };
    const pointer = rows.find(([name]) => name === 'pointer')[1];
    return rows.filter(([name]) => name !== 'pointer').map(([name, script]) => [name, actions(pointer + ';' + script)]);
}

// Runs in the page before its scripts: the next run of the viewer started while
// window.viewScript is set is driven by it, as the shim drives the desktop's.
function frameScriptHook() {
    const kClockStart = Date.UTC(2026, 0, 1, 12);  // the shim's noon
    const realNow = Date.now;
    // The module's factory is wrapped once; the page's own wrappers then wrap this one.
    let factory;
    Object.defineProperty(window, 'createOrvex', {configurable: true, get: () => factory,
                                                  set(create) { factory = factory ? create : scripted(create); }});
    const scripted = (create) => async (options) => {
        const script = window.viewScript;
        if (!script) return create(options);
        window.viewScript = null;
        let swaps = 0;
        Date.now = () => kClockStart + 10 * swaps;  // the time the viewer reads (timespec_get)
        const canvas = options.canvas;
        const key = (name) => document.dispatchEvent(new KeyboardEvent('keydown', {key: name, bubbles: true}));
        const act = (action) => {
            if (action[0] === 'k') key(action[1]);
            else if (action === 'u' || action === 'd') key(action === 'u' ? 'ArrowUp' : 'ArrowDown');
            else if (action[0] === 'm') {
                const [x, y] = action.slice(1).split(',').map(Number), box = canvas.getBoundingClientRect();
                canvas.dispatchEvent(new MouseEvent('mousemove', {bubbles: true,
                    clientX: box.left + (x + 0.5) * box.width / canvas.width, clientY: box.top + (y + 0.5) * box.height / canvas.height}));
            } else if (action === 'f') {
                options._webStopRun();
                Date.now = realNow;
                window.viewFrozen = swaps;
            }
        };
        // Actions after a swap reach the viewer's next pass, as the shim's reach its next frame.
        const hooks = options.orvexPage;
        options.orvexPage = Object.create(hooks, {framesDrawn: {
            get: () => hooks.framesDrawn,
            set(count) {
                hooks.framesDrawn = count;
                const swap = ++swaps;
                queueMicrotask(() => (script[swap] || []).forEach(act));
            }}});
        return create(options);
    };
}

let session, folder, desktop, failed = false;
const desktopDone = {code: null, stderr: ''};
before(async () => {
    folder = fs.mkdtempSync(path.join(os.tmpdir(), 'orvex-views-'));
    desktop = spawn('bash', [path.join(__dirname, 'desktop_views.sh'), folder], {stdio: ['ignore', 'ignore', 'pipe']});
    desktop.stderr.on('data', (bytes) => { desktopDone.stderr += bytes; });
    desktop.on('exit', (code) => { desktopDone.code = code; });
    session = await start();
});
after(async () => {
    if (desktopDone.code === null) desktop.kill();
    await session.close();
    if (!failed) fs.rmSync(folder, {recursive: true, force: true});
});

// Resolves once FILE exists (the desktop writes each picture whole under its final name).
async function desktopPicture(file) {
    for (let waited = 0; !fs.existsSync(file); waited += 200) {
        if (desktopDone.code !== null || waited > 600000) {
            throw new Error(`no desktop picture ${file} (exit ${desktopDone.code}): ${desktopDone.stderr}`);
        }
        await new Promise((resolve) => setTimeout(resolve, 200));
    }
    return file;
}

for (const [view, script] of readViews()) {
    test(view, async (t) => {
        const expected = await desktopPicture(path.join(folder, `${view}-desktop.png`));
        const page = await session.newPage({viewport: {width: 1400, height: 1000}});
        t.after(() => page.close());
        const until = (holds, arg) => page.waitForFunction(holds, arg, {timeout: 300000, polling: 50});
        await page.addInitScript(frameScriptHook);
        await page.goto(session.url);
        await until(() => window.orvexPage.framesDrawn > 2);
        await page.evaluate((script) => {
            window.viewScript = script;
            if (document.activeElement) document.activeElement.blur();
        }, script);
        await page.setInputFiles('#open-maps', ['Orvex.Txt', 'earth.bmp'].map((name) => path.join(folder, name)));
        await page.evaluate(() => document.activeElement && document.activeElement.blur());  // keys go to the viewer
        await until(() => window.viewFrozen > 0);
        const png = await page.evaluate(() => document.getElementById('orvex').toDataURL('image/png'));
        const drawn = path.join(folder, `${view}-page.png`);
        fs.writeFileSync(drawn, Buffer.from(png.split(',')[1], 'base64'));

        const {off, pixels, sizes} = pixelsOff(expected, drawn);
        // Help, places and the grid change under 2 % of the pixels: the page's picture must also be
        // nearer its own view's than the default view's, or the keys did not reach the viewer.
        const fromDefault = view === 'default' ? Infinity
            : pixelsOff(await desktopPicture(path.join(folder, 'default-desktop.png')), drawn).off;
        const where = `desktop ${expected}, page ${drawn}`;
        failed ||= sizes[0] !== sizes[1] || off > 0.02 * pixels || off >= fromDefault;
        assert.equal(sizes[1], sizes[0], `sizes differ: ${where}`);
        assert.ok(off <= 0.02 * pixels, `${off} of ${pixels} pixels (${(100 * off / pixels).toFixed(2)} %) off: ${where}`);
        assert.ok(off < fromDefault, `${off} pixels off, ${fromDefault} off the default view's: ${where}`);
        console.log(`${view}: ${off} of ${pixels} pixels off (${(100 * off / pixels).toFixed(2)} %)`);
    });
}
