// The page's figures in headless Chromium, beside the floor page (bench/web/floor.html: the
// textured sphere alone in plain WebGL 1). How each is measured:
// - Frames shown and drawn: one Chromium with the display's 60 Hz cap lifted
//   (--disable-gpu-vsync --disable-frame-rate-limit) holds the floor and the viewer on the demo
//   maps in two pages of one window size; the page not sampled is frozen (CDP
//   Page.setWebLifecycleState). A sample counts, over SECONDS of wall time after a second of
//   settling, the animation frames (requestAnimationFrame callbacks of a counter in the page: frames
//   shown) and the page's own count of frames drawn (floor.framesDrawn, orvexPage.framesDrawn). A
//   round samples the floor, the viewer's default view twice and the floor again, then the help
//   (H), image-off (I), stereo (E) and places (P) views, with the pointer at 510, 382 (the first
//   frame's view); a view's ratio to the floor is taken within a round.
// - Main-thread time a frame: the median of orvexPage.passTimes over the passes of the sample.
// - Pointer move to a changed picture: a counter's animation frame runs after the viewer's pass in
//   every frame and reads 64 x 16 pixels at the canvas's centre back; frames shown from the first
//   animation frame after the pointer's move arrives to the first read-back that differs.
// - page.screenshot(), the first frame (from navigation start), the first picture and memory with
//   one 8192 x 4096 map: in a Chromium launched as the tests launch it (60 Hz cap on).
//   node bench/web/page.js FOLDER ROUNDS SECONDS
// FOLDER holds Orvex.Txt with its map, the desktop's first picture desktop-first.png and big/ with
// one 8192 x 4096 map; the page's first picture is written to FOLDER/web-first.png.
'use strict';
const fs = require('node:fs');
const path = require('node:path');
const {start, root} = require('../../tests/web/browser.js');
const {pixelsOff} = require('../../tests/web/pictures.js');

const [folder, rounds, seconds] = [process.argv[2], Number(process.argv[3] || 5), Number(process.argv[4] || 4)];
const kViewport = {width: 1400, height: 1000};
const kViews = [['default', []], ['help', ['h']], ['image-off', ['i']], ['stereo', ['e']], ['places', ['p']]];
const kUndo = {e: ['e', 'e']};  // the stereo key cycles L:R, R:L, off
const kLatencyTrials = 5;

const wait = (page, test, arg) => page.waitForFunction(test, arg, {timeout: 120000, polling: 20});
const median = (values) => {
    const sorted = values.filter((v) => Number.isFinite(v)).sort((a, b) => a - b);
    if (!sorted.length) return NaN;
    const mid = sorted.length >> 1;
    return sorted.length % 2 ? sorted[mid] : (sorted[mid - 1] + sorted[mid]) / 2;
};
const files = (dir) => fs.readdirSync(dir).filter((n) => /\.(bmp|txt)$/i.test(n)).map((n) => path.join(dir, n));

// ---- sampling ------------------------------------------------------------------------------------

// Counts animation frames and frames drawn over `ms` of wall time; for the viewer also the
// main-thread milliseconds of its passes in that time.
function sample(page, ms) {
    return page.evaluate((ms) => new Promise((done) => {
        const viewer = window.orvexPage;
        const drawn = () => (viewer || window.floor).framesDrawn;
        const drawnBefore = drawn(), passesBefore = viewer ? viewer.passes : 0, start = performance.now();
        let shown = 0, running = true;
        const tick = () => { if (running) { ++shown; requestAnimationFrame(tick); } };
        requestAnimationFrame(tick);
        setTimeout(() => {
            running = false;
            const elapsed = (performance.now() - start) / 1000, times = [];
            if (viewer) {
                const ring = viewer.passTimes;
                for (let p = Math.max(passesBefore, viewer.passes - ring.length); p < viewer.passes; ++p) times.push(ring[p % ring.length]);
            }
            done({shown: shown / elapsed, drawn: (drawn() - drawnBefore) / elapsed, times});
        }, ms);
    }), ms);
}

// Frames shown from a pointer move to a changed picture, one move to `to` (canvas pixels).
async function pointerLatency(page, box, to) {
    await page.evaluate(() => {
        const canvas = document.getElementById('orvex'), gl = canvas.getContext('webgl');
        const w = 64, h = 16, x = (canvas.width - w) >> 1, y = (canvas.height - h) >> 1;
        const read = () => { const out = new Uint8Array(w * h * 4); gl.readPixels(x, y, w, h, gl.RGBA, gl.UNSIGNED_BYTE, out); return out; };
        const state = window.benchLatency = {frames: 0, movedAt: -1, changedAt: -1, reference: read()};
        document.addEventListener('mousemove', () => { if (state.movedAt < 0) state.movedAt = state.frames; }, {capture: true, once: true});
        // Registered after the viewer's loop has asked for its next frame, so this runs after its pass.
        const tick = () => {
            ++state.frames;
            if (state.movedAt >= 0 && read().some((v, k) => v !== state.reference[k])) state.changedAt = state.frames;
            else if (state.movedAt < 0 || state.frames - state.movedAt < 120) requestAnimationFrame(tick);
        };
        requestAnimationFrame(tick);
    });
    await wait(page, () => window.benchLatency.frames >= 3);
    await page.mouse.move(box.x + to[0] + 0.5, box.y + to[1] + 0.5);
    await wait(page, () => window.benchLatency.changedAt >= 0 || window.benchLatency.frames - window.benchLatency.movedAt >= 120);
    return page.evaluate(() => window.benchLatency.changedAt >= 0 ? window.benchLatency.changedAt - window.benchLatency.movedAt : NaN);
}

// ---- the figures ---------------------------------------------------------------------------------

const lines = [];
function verdict(name, value, target, holds) {
    lines.push(`${name.padEnd(52)} ${value.padStart(12)}   target ${target.padEnd(22)} ${holds ? 'holds' : 'misses'}`);
}

async function rounds60HzOff() {
    const {url, browser, close} = await start({args: ['--disable-gpu-vsync', '--disable-frame-rate-limit']});
    fs.mkdirSync(path.join(root, 'bench'), {recursive: true});
    for (const name of ['floor.html', 'floor.js']) fs.copyFileSync(path.join(__dirname, name), path.join(root, 'bench', name));
    const context = await browser.newContext({viewport: kViewport});
    const floor = await context.newPage(), viewer = await context.newPage();
    await floor.goto(url + 'bench/floor.html');
    await wait(floor, () => window.floor.framesDrawn > 2 || window.floor.error);
    if (await floor.evaluate(() => window.floor.error)) throw new Error(await floor.evaluate(() => window.floor.error));
    await viewer.goto(url);
    await wait(viewer, () => window.orvexPage.framesDrawn > 2);
    const box = await viewer.locator('#orvex').boundingBox();
    const home = [510, 382];
    await viewer.mouse.move(box.x + home[0] + 0.5, box.y + home[1] + 0.5);
    const lifecycle = new Map();
    for (const page of [floor, viewer]) lifecycle.set(page, await context.newCDPSession(page));
    const only = async (page) => {  // the other page frozen
        for (const [each, session] of lifecycle) if (each !== page) await session.send('Page.setWebLifecycleState', {state: 'frozen'});
        await lifecycle.get(page).send('Page.setWebLifecycleState', {state: 'active'});
    };
    const settle = (page) => page.evaluate(() => new Promise((done) => setTimeout(done, 1000)));

    const results = [];
    for (let round = 1; round <= rounds; ++round) {
        // The floor and the default view in the order floor, default, default, floor, so that a
        // load rising or falling over the round weighs on both alike.
        const r = {}, pair = {floor: [], default: []};
        for (const [name, page] of [['floor', floor], ['default', viewer], ['default', viewer], ['floor', floor]]) {
            await only(page);
            await settle(page);
            pair[name].push(await sample(page, seconds * 1000));
        }
        for (const name of ['floor', 'default']) {
            const [a, b] = pair[name];
            r[name] = {shown: (a.shown + b.shown) / 2, drawn: (a.drawn + b.drawn) / 2, times: a.times.concat(b.times)};
        }
        await only(viewer);
        for (const [view, keys] of kViews.slice(1)) {
            for (const key of keys) await viewer.keyboard.press(key);
            await settle(viewer);
            r[view] = await sample(viewer, seconds * 1000);
            for (const key of kUndo[keys[0]] || keys) await viewer.keyboard.press(key);
        }
        await settle(viewer);
        r.latency = [];
        for (let k = 0; k < kLatencyTrials; ++k) r.latency.push(await pointerLatency(viewer, box, k % 2 ? home : [560, 402]));
        await viewer.mouse.move(box.x + home[0] + 0.5, box.y + home[1] + 0.5);
        results.push(r);
        const views = kViews.map(([view]) => `${view} ${r[view].shown.toFixed(1)}/${r[view].drawn.toFixed(1)}` +
                                             ` (${(r[view].shown / r.floor.shown).toFixed(2)}, ${median(r[view].times).toFixed(2)} ms)`);
        console.log(`round ${round}: fps shown/drawn (x floor, main-thread ms a frame): floor ${r.floor.shown.toFixed(1)}/` +
                    `${r.floor.drawn.toFixed(1)}; ${views.join('; ')}; pointer-to-picture frames ${r.latency.join(' ')}`);
    }
    await close();

    const each = (pick) => results.map(pick);
    console.log('');
    console.log(`medians of ${rounds} rounds of ${seconds} s (60 Hz cap lifted):`);
    console.log(`  floor: ${median(each((r) => r.floor.shown)).toFixed(1)} frames shown a second, ` +
                `${median(each((r) => r.floor.drawn)).toFixed(1)} drawn`);
    for (const [view] of kViews) {
        console.log(`  ${view}: ${median(each((r) => r[view].shown)).toFixed(1)} shown, ${median(each((r) => r[view].drawn)).toFixed(1)} drawn a second`);
        const ratio = median(each((r) => r[view].drawn / r[view].shown));
        verdict(`frames drawn / frames shown, ${view}`, ratio.toFixed(3), '<= 1.05', ratio <= 1.05);
    }
    const floorRatio = median(each((r) => r.default.shown / r.floor.shown));
    verdict('frames shown, default / floor', floorRatio.toFixed(2), '>= 0.8 (waypoint 0.5)', floorRatio >= 0.8);
    for (const [view] of kViews.slice(1)) {
        const ratio = median(each((r) => r[view].shown / r.floor.shown));
        lines.push(`${('frames shown, ' + view + ' / floor').padEnd(52)} ${ratio.toFixed(2).padStart(12)}   (reported)`);
    }
    for (const [view] of kViews) {
        const ms = median(each((r) => median(r[view].times)));
        verdict(`main-thread ms a frame, ${view}`, ms.toFixed(3), '<= 1 ms', ms <= 1);
    }
    const latency = median(each((r) => r.latency).flat());
    verdict('pointer move to changed picture, frames shown', String(latency), '<= 2', latency <= 2);
}

async function rounds60HzOn() {
    const {url, browser, close} = await start();
    const context = await browser.newContext({acceptDownloads: true, viewport: kViewport});
    const page = await context.newPage();
    // The viewer's module, for its memory.
    await page.addInitScript(() => Object.defineProperty(window, 'createOrvex', {
        configurable: true, get() { return this.benchCreate; },
        set(create) { this.benchCreate = async (options) => (window.benchModule = await create(options)); }}));

    // Time to the first frame with the demo maps (fresh profile: nothing stored).
    await page.goto(url);
    await wait(page, () => window.orvexPage.framesDrawn >= 1);
    const firstFrame = await page.evaluate(() => performance.now());

    // A screenshot of the running viewer, as a test takes one.
    await wait(page, () => window.orvexPage.framesDrawn > 30);
    const shots = [];
    for (let k = 0; k < 5; ++k) {
        const begin = Date.now();
        await page.screenshot();
        shots.push(Date.now() - begin);
    }

    // The first picture on FOLDER's map, the pointer not yet moved, read from the drawing buffer.
    const opened = await page.evaluate(() => window.orvexMaps.opened);
    await page.setInputFiles('#open-maps', files(folder));
    await wait(page, (n) => window.orvexMaps.opened > n && window.orvexPage.framesDrawn > 2, opened);
    const png = await page.evaluate(() => document.getElementById('orvex').toDataURL('image/png'));
    const webFirst = path.join(folder, 'web-first.png');
    fs.writeFileSync(webFirst, Buffer.from(png.split(',')[1], 'base64'));
    const first = pixelsOff(path.join(folder, 'desktop-first.png'), webFirst);

    // Memory with one 8192 x 4096 map.
    const big = path.join(folder, 'big');
    const openedBig = await page.evaluate(() => window.orvexMaps.opened);
    await page.setInputFiles('#open-maps', files(big));
    await wait(page, (n) => window.orvexMaps.opened > n && window.orvexPage.framesDrawn > 2, openedBig);
    const session = await context.newCDPSession(page);
    await session.send('Performance.enable');
    await session.send('HeapProfiler.collectGarbage');
    const metrics = Object.fromEntries((await session.send('Performance.getMetrics')).metrics.map((m) => [m.name, m.value]));
    const wasm = await page.evaluate(() => window.benchModule.HEAPU8.length) / 2 ** 20;
    const heap = metrics.JSHeapTotalSize / 2 ** 20;
    await close();

    const shot = median(shots);
    console.log(`page.screenshot() ms (60 Hz cap on): ${shots.join(' ')}`);
    verdict('page.screenshot() of the running viewer, ms', shot.toFixed(0), '<= 1000', shot <= 1000);
    verdict('first picture, % of pixels > 24 levels off', (100 * first.off / first.pixels).toFixed(2),
            '<= 2 %', first.off <= 0.02 * first.pixels);
    verdict('first frame, ms from navigation start', firstFrame.toFixed(0), '<= 3000', firstFrame <= 3000);
    verdict('memory, one 8192 x 4096 map: wasm + JS heap, MB', (wasm + heap).toFixed(1), '< 512', wasm + heap < 512);
    console.log(`  (WebAssembly memory ${wasm.toFixed(1)} MB, JavaScript heap ${(metrics.JSHeapUsedSize / 2 ** 20).toFixed(1)} ` +
                `MB used of ${heap.toFixed(1)} MB; first picture ${first.off} of ${first.pixels} pixels off)`);
}

(async () => {
    await rounds60HzOff();
    await rounds60HzOn();
    console.log('');
    for (const line of lines) console.log(line);
})().catch((error) => {
    console.error(error);
    process.exit(1);
});
