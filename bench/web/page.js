// The page's figures in headless Chromium: frames a second of the default, help and image-off
// views over a fixed wall-time window (framesDrawn counted), time to the first frame after load
// with the demo maps, memory with one big map, and the first picture.
//   node bench/web/page.js FOLDER SECONDS [BIG_FOLDER]
// FOLDER holds Orvex.Txt and its map, opened through "Open maps…"; BIG_FOLDER one 8192 x 4096 map.
// The first picture is written to FOLDER/web-first.png. Prints one "name value" line per figure.
'use strict';
const fs = require('node:fs');
const path = require('node:path');
const {start} = require('../../tests/web/browser.js');

const [folder, seconds, bigFolder] = [process.argv[2], Number(process.argv[3] || 4), process.argv[4]];
const wait = (page, test, arg) => page.waitForFunction(test, arg, {timeout: 120000, polling: 20});
const files = (dir) => fs.readdirSync(dir).filter((n) => /\.(bmp|txt)$/i.test(n)).map((n) => path.join(dir, n));

async function openFolder(page, dir) {
    const opened = await page.evaluate(() => window.orvexMaps.opened);
    await page.setInputFiles('#open-maps', files(dir));
    await wait(page, (n) => window.orvexMaps.opened > n, opened);
    await wait(page, () => window.orvexPage.framesDrawn > 2);
}

async function rate(page) {
    await page.evaluate(() => new Promise((done) => setTimeout(done, 1000)));  // settle
    return page.evaluate((ms) => new Promise((done) => {
        const first = window.orvexPage.framesDrawn, start = performance.now();
        setTimeout(() => done((window.orvexPage.framesDrawn - first) * 1000 / (performance.now() - start)), ms);
    }), seconds * 1000);
}

(async () => {
    const {url, browser, close} = await start();
    const context = await browser.newContext({acceptDownloads: true, viewport: {width: 1400, height: 1000}});
    const page = await context.newPage();
    // The viewer's module, for its memory.
    await page.addInitScript(() => Object.defineProperty(window, 'createOrvex', {
        configurable: true, get() { return this.benchCreate; },
        set(create) { this.benchCreate = async (options) => (window.benchModule = await create(options)); }}));

    // Time to the first frame with the demo maps (fresh profile: nothing stored).
    await page.goto(url);
    await wait(page, () => window.orvexPage.framesDrawn >= 1);
    const firstFrame = await page.evaluate(() => performance.now());
    console.log('first-frame-ms', firstFrame.toFixed(0));

    // The first picture on FOLDER's maps, the pointer not yet moved.
    await openFolder(page, folder);
    await page.locator('#orvex').screenshot({path: path.join(folder, 'web-first.png')});
    const box = await page.locator('#orvex').boundingBox();
    await page.mouse.move(box.x + 510, box.y + 402);
    for (const [view, key] of [['default', null], ['help', 'h'], ['image-off', 'i']]) {
        if (key) await page.keyboard.press(key);
        console.log('fps-' + view, (await rate(page)).toFixed(1));
        if (key) await page.keyboard.press(key);
    }

    if (bigFolder) {
        await openFolder(page, bigFolder);
        const session = await context.newCDPSession(page);
        await session.send('Performance.enable');
        await session.send('HeapProfiler.collectGarbage');
        const metrics = Object.fromEntries((await session.send('Performance.getMetrics')).metrics.map((m) => [m.name, m.value]));
        const wasm = await page.evaluate(() => window.benchModule.HEAPU8.length);
        console.log('js-heap-used-mb', (metrics.JSHeapUsedSize / 2 ** 20).toFixed(1));
        console.log('js-heap-total-mb', (metrics.JSHeapTotalSize / 2 ** 20).toFixed(1));
        console.log('wasm-memory-mb', (wasm / 2 ** 20).toFixed(1));
    }
    await close();
})();
