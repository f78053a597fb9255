// The page's frame figures beside the floor page (bench/web/floor.html: the textured sphere alone in
// plain WebGL 1), with the display's 60 Hz cap in place, as every user runs the page.
//   node bench/web/page.js frames FOLDER ROUNDS SECONDS        Chromium: every figure and its target
//   node bench/web/page.js parts ROUNDS SECONDS [ENGINE]       where the frame's time goes (chromium, firefox)
//   node bench/web/page.js gpu ROUNDS SECONDS                  the same in Chromium's GPU process, by perf
// How each is measured:
// - Frames shown and drawn: one browser holds the floor and the viewer on the demo maps in two pages
//   of one 1400 x 1000 viewport, the pointer on the globe (510, 382: the first frame's view); the page
//   not sampled is frozen (Chromium: CDP Page.setWebLifecycleState) or hidden behind the other
//   (Firefox). A sample counts, over SECONDS of wall time after a second of settling, the animation
//   frames (requestAnimationFrame callbacks of a counter in the page: with the cap in place, the
//   frames the browser shows) and the page's own count of frames drawn. A round samples the floor,
//   the viewer's default view twice and the floor again (so that a load rising or falling over the
//   round weighs on both alike), then the help (H), image-off (I), stereo (E) and places (P) views;
//   a view's ratio to the floor is taken within a round, the figures are the rounds' medians.
// - Main-thread time a frame: the median of orvexPage.passTimes over the passes of the sample.
// - Pointer move to a changed picture: a counter's animation frame runs after the viewer's pass in
//   every frame and reads 64 x 16 pixels at the canvas's centre back; frames shown from the first
//   animation frame after the pointer's move arrives to the first read-back that differs.
// - page.screenshot(), the first frame (from navigation start), the first picture and memory with
//   one 8192 x 4096 map, in a second Chromium.
// - Parts: the viewer's default view with one part of its frame left out at a time (its WebGL draws
//   told apart by their program and primitive: the screen texts, the lines, the wide lines drawn as
//   triangles, the textured sphere) or with the page around the canvas hidden, sampled in turn with
//   the floor; what a part costs is the frames shown it gives back.
// - GPU profile: perf samples Chromium's GPU process (where WebGL's commands run and SwiftShader
//   rasterises) while one page draws alone: its milliseconds a frame drawn, for the floor and the
//   viewer with the parts left out as above. On a shared machine this tells tenths of a millisecond
//   apart where frames a second move by several.
// FOLDER holds Orvex.Txt with its map, the desktop's first picture desktop-first.png and big/ with
// one 8192 x 4096 map; the page's first picture is written to FOLDER/web-first.png.
'use strict';
const fs = require('node:fs');
const {execFileSync} = require('node:child_process');
const path = require('node:path');
const {start, root} = require('../../tests/web/browser.js');
const {pixelsOff} = require('../../tests/web/pictures.js');

const kViewport = {width: 1400, height: 1000};
const kHome = [510, 382];
const kViews = [['default', []], ['help', ['h']], ['image-off', ['i']], ['stereo', ['e']], ['places', ['p']]];
const kUndo = {e: ['e', 'e']};  // the stereo key cycles L:R, R:L, off
const kLatencyTrials = 5;
// The parts of the default view's frame, each left out in one sample (see partsHook), or a style
// that hides or changes part of the page.
const kParts = [['viewer', []], ['without texts', ['texts']], ['without lines', ['lines']],
                ['without wide lines', ['wide']], ['without the sphere', ['sphere']],
                ['the sphere alone', ['texts', 'lines', 'wide']], ['canvas alone on the page', 'header, #side { display: none; }'],
                ['console panel hidden', '#panel { display: none; }'], ['canvas without background', '#orvex { background: none; }']];
// The floor with one part of the viewer's frame added (see floor.js).
const kFloorParts = [['floor, sphere as triangles', 'triangles'], ['floor, the viewer\'s shader', 'shader'],
                     ['floor, that shader, 4 varyings', 'shader=lean']];

const median = (values) => {
    const sorted = values.filter((v) => Number.isFinite(v)).sort((a, b) => a - b);
    if (!sorted.length) return NaN;
    const mid = sorted.length >> 1;
    return sorted.length % 2 ? sorted[mid] : (sorted[mid - 1] + sorted[mid]) / 2;
};
const files = (dir) => fs.readdirSync(dir).filter((n) => /\.(bmp|txt)$/i.test(n)).map((n) => path.join(dir, n));
const settle = (page) => page.evaluate(() => new Promise((done) => setTimeout(done, 1000)));

// ---- the browsers --------------------------------------------------------------------------------

// A browser for the samples: {url, pid, close(), wait(page, test, arg), newPage(init), only(page), box(page)}.
// Chromium as the tests launch it (playwright-core); the pages not sampled are frozen.
async function chromium() {
    const {url, browser, close} = await start();
    const context = await browser.newContext({viewport: kViewport});
    const sessions = new Map();
    const browserSession = () => browser.newBrowserCDPSession();
    const {processInfo} = await (await browserSession()).send('SystemInfo.getProcessInfo');
    return {
        url, close, browserSession, pid: processInfo.find((p) => p.type === 'browser').id,
        wait: (page, test, arg) => page.waitForFunction(test, arg, {timeout: 120000, polling: 20}),
        async newPage(init) {
            const page = await context.newPage();
            if (init) await page.addInitScript(init);
            sessions.set(page, await context.newCDPSession(page));
            return page;
        },
        async only(page) {
            for (const [each, session] of sessions) if (each !== page) await session.send('Page.setWebLifecycleState', {state: 'frozen'});
            await sessions.get(page).send('Page.setWebLifecycleState', {state: 'active'});
            await page.bringToFront();
        },
        box: (page) => page.locator('#orvex').boundingBox(),
    };
}

// Firefox ESR through puppeteer-core over WebDriver BiDi (WebGL needs the X display compare.sh
// starts); the page not sampled is a background tab, which draws no animation frames.
async function firefox() {
    const puppeteer = require(require.resolve('puppeteer-core', {paths: [__dirname, path.join(__dirname, '../../tests/web')]}));
    const {url, browser: chromiumUnused, close: closeServer} = await start();  // its server alone
    await chromiumUnused.close();
    const browser = await puppeteer.launch({browser: 'firefox', executablePath: '/usr/bin/firefox-esr', headless: false,
                                            args: ['--width=1400', '--height=1100']});
    return {
        url, pid: browser.process().pid,
        async close() { await browser.close(); await closeServer(); },
        wait: (page, test, arg) => page.waitForFunction(test, {timeout: 120000, polling: 20}, arg),
        async newPage(init) {
            const page = await browser.newPage();
            await page.setViewport(kViewport);
            if (init) await page.evaluateOnNewDocument(init);
            return page;
        },
        async only(page) { await page.bringToFront(); },
        box: async (page) => (await page.$('#orvex')).boundingBox(),
    };
}

// The floor page (with floor.js's options in `query`), drawing.
async function openFloor(browser, query = '') {
    const floor = await browser.newPage();
    await floor.goto(browser.url + 'bench/floor.html' + query);
    await browser.only(floor);
    await browser.wait(floor, () => window.floor.framesDrawn > 2 || window.floor.error);
    const error = await floor.evaluate(() => window.floor.error);
    if (error) throw new Error(error);
    return floor;
}

// Copies the floor into the served site and opens it and the viewer, the pointer on the globe:
// {floor, viewer, box}.
async function openPages(browser, viewerInit) {
    fs.mkdirSync(path.join(root, 'bench'), {recursive: true});
    for (const name of ['floor.html', 'floor.js']) fs.copyFileSync(path.join(__dirname, name), path.join(root, 'bench', name));
    const floor = await openFloor(browser), viewer = await browser.newPage(viewerInit);
    await viewer.goto(browser.url);
    await browser.only(viewer);
    await browser.wait(viewer, () => window.orvexPage.framesDrawn > 2);
    const box = await browser.box(viewer);
    await viewer.mouse.move(box.x + kHome[0] + 0.5, box.y + kHome[1] + 0.5);
    return {floor, viewer, box};
}

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

// The CPU milliseconds the browser's processes have used, all of them and the one where WebGL's
// commands run and SwiftShader or llvmpipe rasterise (Chromium's GPU process; Firefox on Linux has
// none and runs them in its parent process), from /proc: less swayed by other work on the machine
// than frames a second are.
function cpuMs(rootPid) {
    const tick = 1000 / 100;  // Linux's USER_HZ
    const stats = [];
    for (const name of fs.readdirSync('/proc')) {
        if (!/^\d+$/.test(name)) continue;
        try {
            const text = fs.readFileSync(`/proc/${name}/stat`, 'utf8'), fields = text.slice(text.lastIndexOf(')') + 2).split(' ');
            stats.push({pid: Number(name), ppid: Number(fields[1]), ms: (Number(fields[11]) + Number(fields[12])) * tick});
        } catch { /* gone */ }
    }
    const tree = new Set([rootPid]);
    for (let grew = true; grew;) {
        grew = false;
        for (const p of stats) if (!tree.has(p.pid) && tree.has(p.ppid)) { tree.add(p.pid); grew = true; }
    }
    let total = 0, gpu = 0, parent = 0, gpuProcess = false;
    for (const p of stats) {
        if (!tree.has(p.pid)) continue;
        total += p.ms;
        if (p.pid === rootPid) parent = p.ms;
        let line = '';
        try { line = fs.readFileSync(`/proc/${p.pid}/cmdline`, 'utf8').replace(/\0/g, ' ').trim(); } catch { /* gone */ }
        if (/--type=gpu-process| gpu$/.test(line)) { gpu += p.ms; gpuProcess = true; }
    }
    return {total, gpu: gpuProcess ? gpu : parent};
}

// A sample of `page` alone, with the browser's CPU milliseconds a frame shown.
async function sampleOnly(browser, page, seconds) {
    await browser.only(page);
    await settle(page);
    const before = cpuMs(browser.pid);
    const result = await sample(page, seconds * 1000);
    const after = cpuMs(browser.pid), frames = result.shown * seconds;
    result.cpu = (after.total - before.total) / frames;
    result.gpu = (after.gpu - before.gpu) / frames;
    return result;
}

// The floor, the page twice, the floor again: {floor, page}, each the mean of its two samples.
async function sandwich(browser, floorPage, page, seconds) {
    const pair = {floor: [], page: []};
    for (const [name, each] of [['floor', floorPage], ['page', page], ['page', page], ['floor', floorPage]]) {
        pair[name].push(await sampleOnly(browser, each, seconds));
    }
    const mean = ([a, b]) => ({shown: (a.shown + b.shown) / 2, drawn: (a.drawn + b.drawn) / 2, cpu: (a.cpu + b.cpu) / 2,
                               gpu: (a.gpu + b.gpu) / 2, times: a.times.concat(b.times)});
    return {floor: mean(pair.floor), page: mean(pair.page)};
}

// Frames shown from a pointer move to a changed picture, one move to `to` (canvas pixels).
async function pointerLatency(browser, page, box, to) {
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
    await browser.wait(page, () => window.benchLatency.frames >= 3);
    await page.mouse.move(box.x + to[0] + 0.5, box.y + to[1] + 0.5);
    await browser.wait(page, () => window.benchLatency.changedAt >= 0 || window.benchLatency.frames - window.benchLatency.movedAt >= 120);
    return page.evaluate(() => window.benchLatency.changedAt >= 0 ? window.benchLatency.changedAt - window.benchLatency.movedAt : NaN);
}

// ---- the figures ---------------------------------------------------------------------------------

const lines = [];
function verdict(name, value, target, holds) {
    lines.push(`${name.padEnd(52)} ${value.padStart(12)}   target ${target.padEnd(22)} ${holds ? 'holds' : 'misses'}`);
}

async function frameRounds(rounds, seconds) {
    const browser = await chromium();
    const {floor, viewer, box} = await openPages(browser);
    const results = [];
    for (let round = 1; round <= rounds; ++round) {
        const pair = await sandwich(browser, floor, viewer, seconds);
        const r = {floor: pair.floor, default: pair.page};
        for (const [view, keys] of kViews.slice(1)) {
            for (const key of keys) await viewer.keyboard.press(key);
            r[view] = await sampleOnly(browser, viewer, seconds);
            for (const key of kUndo[keys[0]] || keys) await viewer.keyboard.press(key);
        }
        await settle(viewer);
        r.latency = [];
        for (let k = 0; k < kLatencyTrials; ++k) r.latency.push(await pointerLatency(browser, viewer, box, k % 2 ? kHome : [560, 402]));
        await viewer.mouse.move(box.x + kHome[0] + 0.5, box.y + kHome[1] + 0.5);
        results.push(r);
        const views = kViews.map(([view]) => `${view} ${r[view].shown.toFixed(1)}/${r[view].drawn.toFixed(1)}` +
                                             ` (${(r[view].shown / r.floor.shown).toFixed(2)}, ${median(r[view].times).toFixed(2)} ms,` +
                                             ` ${r[view].cpu.toFixed(1)} ms)`);
        console.log(`round ${round}: fps shown/drawn (x floor, main-thread ms a frame, browser CPU ms a frame): floor ` +
                    `${r.floor.shown.toFixed(1)}/${r.floor.drawn.toFixed(1)} (${r.floor.cpu.toFixed(1)} ms); ${views.join('; ')}; ` +
                    `pointer-to-picture frames ${r.latency.join(' ')}`);
    }
    await browser.close();

    const each = (pick) => results.map(pick);
    console.log('');
    console.log(`medians of ${rounds} rounds of ${seconds} s (60 Hz cap in place):`);
    for (const [view] of ['floor'].concat(kViews.map(([v]) => v)).map((v) => [v])) {
        console.log(`  ${view}: ${median(each((r) => r[view].shown)).toFixed(1)} shown, ${median(each((r) => r[view].drawn)).toFixed(1)} drawn a second; ` +
                    `the browser's CPU ms a frame shown ${median(each((r) => r[view].cpu)).toFixed(1)}, its GPU process's ${median(each((r) => r[view].gpu)).toFixed(1)}`);
    }
    for (const [view] of kViews) {
        const ratio = median(each((r) => r[view].drawn / r[view].shown));
        verdict(`frames drawn / frames shown, ${view}`, ratio.toFixed(3), '<= 1.05', ratio <= 1.05);
    }
    const floorRatio = median(each((r) => r.default.shown / r.floor.shown));
    verdict('frames shown, default / floor', floorRatio.toFixed(2), '>= 0.8', floorRatio >= 0.8);
    const cpuRatio = median(each((r) => r.floor.cpu / r.default.cpu));
    lines.push(`${'the browser\'s CPU a frame, floor / default'.padEnd(52)} ${cpuRatio.toFixed(2).padStart(12)}   ` +
               '(reported: the ratio of frames shown that CPU time alone allows)');
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

async function onePage(folder) {
    const {url, browser, close} = await start();
    const context = await browser.newContext({acceptDownloads: true, viewport: kViewport});
    const page = await context.newPage();
    // The viewer's module, for its memory.
    await page.addInitScript(() => Object.defineProperty(window, 'createOrvex', {
        configurable: true, get() { return this.benchCreate; },
        set(create) { this.benchCreate = async (options) => (window.benchModule = await create(options)); }}));
    const wait = (test, arg) => page.waitForFunction(test, arg, {timeout: 120000, polling: 20});

    // Time to the first frame with the demo maps (fresh profile: nothing stored).
    await page.goto(url);
    await wait(() => window.orvexPage.framesDrawn >= 1);
    const firstFrame = await page.evaluate(() => performance.now());

    // A screenshot of the running viewer, as a test takes one.
    await wait(() => window.orvexPage.framesDrawn > 30);
    const shots = [];
    for (let k = 0; k < 5; ++k) {
        const begin = Date.now();
        await page.screenshot();
        shots.push(Date.now() - begin);
    }

    // The first picture on FOLDER's map, the pointer not yet moved, read from the drawing buffer.
    const opened = await page.evaluate(() => window.orvexMaps.opened);
    await page.setInputFiles('#open-maps', files(folder));
    await wait((n) => window.orvexMaps.opened > n && window.orvexPage.framesDrawn > 2, opened);
    const png = await page.evaluate(() => document.getElementById('orvex').toDataURL('image/png'));
    const webFirst = path.join(folder, 'web-first.png');
    fs.writeFileSync(webFirst, Buffer.from(png.split(',')[1], 'base64'));
    const first = pixelsOff(path.join(folder, 'desktop-first.png'), webFirst);

    // Memory with one 8192 x 4096 map.
    const big = path.join(folder, 'big');
    const openedBig = await page.evaluate(() => window.orvexMaps.opened);
    await page.setInputFiles('#open-maps', files(big));
    await wait((n) => window.orvexMaps.opened > n && window.orvexPage.framesDrawn > 2, openedBig);
    const session = await context.newCDPSession(page);
    await session.send('Performance.enable');
    await session.send('HeapProfiler.collectGarbage');
    const metrics = Object.fromEntries((await session.send('Performance.getMetrics')).metrics.map((m) => [m.name, m.value]));
    const wasm = await page.evaluate(() => window.benchModule.HEAPU8.length) / 2 ** 20;
    const heap = metrics.JSHeapTotalSize / 2 ** 20;
    await close();

    const shot = median(shots);
    console.log(`page.screenshot() ms: ${shots.join(' ')}`);
    verdict('page.screenshot() of the running viewer, ms', shot.toFixed(0), '<= 1000', shot <= 1000);
    verdict('first picture, % of pixels > 24 levels off', (100 * first.off / first.pixels).toFixed(2),
            '<= 2 %', first.off <= 0.02 * first.pixels);
    verdict('first frame, ms from navigation start', firstFrame.toFixed(0), '<= 3000', firstFrame <= 3000);
    verdict('memory, one 8192 x 4096 map: wasm + JS heap, MB', (wasm + heap).toFixed(1), '< 512', wasm + heap < 512);
    console.log(`  (WebAssembly memory ${wasm.toFixed(1)} MB, JavaScript heap ${(metrics.JSHeapUsedSize / 2 ** 20).toFixed(1)} ` +
                `MB used of ${heap.toFixed(1)} MB; first picture ${first.off} of ${first.pixels} pixels off)`);
}

// ---- parts ---------------------------------------------------------------------------------------

// Installed in the viewer's page before it starts: every WebGL draw is told apart by its program's
// #defines and its primitive, and the parts named in window.benchLeaveOut are not drawn (their
// vertices are still uploaded).
function partsHook() {
    const gl = WebGLRenderingContext.prototype;
    const sources = new WeakMap(), parts = new WeakMap();
    let program = null;
    window.benchLeaveOut = [];
    const {shaderSource, attachShader, useProgram, drawArrays} = gl;
    gl.shaderSource = function (shader, text) { sources.set(shader, text); return shaderSource.call(this, shader, text); };
    gl.attachShader = function (p, shader) {
        const text = sources.get(shader) || '';
        if (text.includes('#define BITMAP')) parts.set(p, 'texts');
        else if (text.includes('#define TEXTURED') && !parts.has(p)) parts.set(p, 'textured');
        return attachShader.call(this, p, shader);
    };
    gl.useProgram = function (p) { program = p; return useProgram.call(this, p); };
    gl.drawArrays = function (mode, first, count) {
        const leaveOut = window.benchLeaveOut;
        if (leaveOut.length) {
            const kind = parts.get(program);
            const part = kind === 'texts' ? 'texts' : mode === this.LINES || mode === this.LINE_STRIP ? 'lines'
                       : kind === 'textured' ? 'sphere' : 'wide';
            if (leaveOut.includes(part)) return;
        }
        return drawArrays.call(this, mode, first, count);
    };
}

async function partRounds(rounds, seconds, engine) {
    const browser = await (engine === 'firefox' ? firefox() : chromium());
    const {floor, viewer} = await openPages(browser, partsHook);
    const floors = [];
    for (const [, query] of kFloorParts) floors.push(await openFloor(browser, '?' + query));
    const results = [];
    const rows = kParts.concat(kFloorParts);
    const only = process.env.BENCH_ONLY ? new RegExp(process.env.BENCH_ONLY) : null;  // rows to sample, while profiling
    for (let round = 1; round <= rounds; ++round) {
        const r = {};
        for (const [k, [name]] of kFloorParts.entries()) {
            if (only && !only.test(name)) { r[name] = {}; continue; }
            const pair = await sandwich(browser, floor, floors[k], seconds);
            r[name] = {floor: pair.floor.shown, shown: pair.page.shown, ratio: pair.page.shown / pair.floor.shown,
                       cpu: pair.page.cpu, gpu: pair.page.gpu, floorCpu: pair.floor.cpu, floorGpu: pair.floor.gpu};
        }
        for (const [name, leaveOut] of kParts) {
            if (only && !only.test(name)) { r[name] = {}; continue; }
            await viewer.evaluate((leaveOut) => {
                window.benchLeaveOut = typeof leaveOut === 'string' ? [] : leaveOut;
                let style = document.getElementById('bench-style');
                if (!style) document.head.append(style = Object.assign(document.createElement('style'), {id: 'bench-style'}));
                style.textContent = typeof leaveOut === 'string' ? leaveOut : '';
            }, leaveOut);
            const pair = await sandwich(browser, floor, viewer, seconds);
            r[name] = {floor: pair.floor.shown, shown: pair.page.shown, ratio: pair.page.shown / pair.floor.shown,
                       cpu: pair.page.cpu, gpu: pair.page.gpu, floorCpu: pair.floor.cpu, floorGpu: pair.floor.gpu};
        }
        results.push(r);
        console.log(`round ${round}: ` + rows.filter(([name]) => r[name].shown).map(([name]) =>
            `${name} ${r[name].shown.toFixed(1)} (${r[name].ratio.toFixed(2)}, ${r[name].cpu.toFixed(1)} ms)`).join('; '));
    }
    await browser.close();
    console.log('');
    console.log(`${engine}, medians of ${rounds} rounds of ${seconds} s (60 Hz cap in place): frames shown a second, ` +
                'the browser\'s CPU ms a frame shown (all processes, GPU process), each beside the floor sampled with it');
    console.log(`  ${'the default view'.padEnd(32)} ${'shown'.padStart(6)} ${'floor'.padStart(6)} x floor ` +
                `${'CPU ms'.padStart(7)} ${'GPU ms'.padStart(7)} ${'floor CPU'.padStart(10)} ${'floor GPU'.padStart(10)}`);
    for (const [name] of rows) {
        const pick = (key, digits) => median(results.map((r) => r[name][key])).toFixed(digits);
        console.log(`  ${name.padEnd(32)} ${pick('shown', 1).padStart(6)} ${pick('floor', 1).padStart(6)} ${pick('ratio', 2).padStart(7)} ` +
                    `${pick('cpu', 1).padStart(7)} ${pick('gpu', 1).padStart(7)} ${pick('floorCpu', 1).padStart(10)} ${pick('floorGpu', 1).padStart(10)}`);
    }
}

// ---- the GPU process's profile ---------------------------------------------------------------------

const kGpuRows = [['floor', ''], ['floor, the viewer\'s shader', '?shader'], ['viewer', []], ['without texts', ['texts']],
                  ['without lines', ['lines']], ['without wide lines', ['wide']], ['without the sphere', ['sphere']],
                  ['the sphere alone', ['texts', 'lines', 'wide']]];
const kPerfRate = 1999;  // samples a second

// The GPU process's milliseconds a frame drawn by `page` over `seconds`, from perf's samples of it.
async function gpuMsPerFrame(browser, gpuPid, page, seconds) {
    await browser.only(page);
    await settle(page);
    const drawn = () => page.evaluate(() => (window.orvexPage || window.floor).framesDrawn);
    const file = path.join(require('node:os').tmpdir(), `orvex-gpu-${process.pid}.data`);
    const before = await drawn();
    execFileSync('perf', ['record', '-q', '-F', String(kPerfRate), '-p', String(gpuPid), '-o', file, '--', 'sleep', String(seconds)],
                 {stdio: 'ignore'});
    const frames = await drawn() - before;
    const samples = execFileSync('perf', ['script', '-F', 'ip', '-i', file], {stdio: ['ignore', 'pipe', 'ignore'], maxBuffer: 1 << 28})
        .toString().split('\n').filter(Boolean).length;
    fs.rmSync(file, {force: true});
    return samples / kPerfRate * 1000 / frames;
}

async function gpuRounds(rounds, seconds) {
    const browser = await chromium();
    const {floor, viewer} = await openPages(browser, partsHook);
    const floors = {'': floor, '?shader': await openFloor(browser, '?shader')};
    const {processInfo} = await (await browser.browserSession()).send('SystemInfo.getProcessInfo');
    const gpuPid = processInfo.find((p) => p.type === 'GPU').id;
    const results = [];
    for (let round = 1; round <= rounds; ++round) {
        const r = {};
        for (const [name, what] of kGpuRows) {
            if (typeof what !== 'string') await viewer.evaluate((leaveOut) => { window.benchLeaveOut = leaveOut; }, what);
            r[name] = await gpuMsPerFrame(browser, gpuPid, typeof what === 'string' ? floors[what] : viewer, seconds);
        }
        results.push(r);
        console.log(`round ${round}: ` + kGpuRows.map(([name]) => `${name} ${r[name].toFixed(1)}`).join('; '));
    }
    await browser.close();
    console.log('');
    console.log(`chromium, medians of ${rounds} rounds of ${seconds} s: the GPU process's ms a frame drawn (perf), and x the floor's`);
    const floorMs = median(results.map((r) => r.floor));
    for (const [name] of kGpuRows) {
        const ms = median(results.map((r) => r[name]));
        console.log(`  ${name.padEnd(32)} ${ms.toFixed(1).padStart(6)} ${(ms / floorMs).toFixed(2).padStart(6)}`);
    }
}

(async () => {
    const [mode, ...rest] = process.argv.slice(2);
    if (mode === 'frames') {
        const [folder, rounds, seconds] = [rest[0], Number(rest[1] || 5), Number(rest[2] || 4)];
        await frameRounds(rounds, seconds);
        await onePage(folder);
        console.log('');
        for (const line of lines) console.log(line);
    } else if (mode === 'parts') {
        await partRounds(Number(rest[0] || 5), Number(rest[1] || 4), rest[2] || 'chromium');
    } else if (mode === 'gpu') {
        await gpuRounds(Number(rest[0] || 5), Number(rest[1] || 4));
    } else {
        throw new Error('usage: node bench/web/page.js frames FOLDER ROUNDS SECONDS | parts ROUNDS SECONDS [ENGINE] | gpu ROUNDS SECONDS');
    }
})().catch((error) => {
    console.error(error);
    process.exit(1);
});
