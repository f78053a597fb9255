// What the browser tests share: build-web/ served on loopback, Debian's Chromium, the page opened
// with a fresh store, and bounded waits on the page's own counters.
'use strict';
const fs = require('node:fs');
const os = require('node:os');
const path = require('node:path');
const {chromium} = require('playwright-core');
const {serve} = require('./server.js');

const kRoot = path.resolve(__dirname, '../../build-web');
const kArgs = ['--headless', '--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
               '--disable-background-networking', '--disable-component-update', '--disable-sync'];

// One browser and server for a test file: {page(), close()}; each page has a fresh profile.
async function start() {
    const server = await serve(kRoot);
    const profiles = [];
    async function page() {
        const profile = fs.mkdtempSync(path.join(os.tmpdir(), 'orvex-web-'));
        profiles.push(profile);
        const context = await chromium.launchPersistentContext(profile, {
            executablePath: '/usr/bin/chromium', headless: true, args: kArgs, acceptDownloads: true,
            viewport: {width: 1400, height: 1000}});
        const tab = context.pages()[0] || await context.newPage();
        await tab.goto(server.url);
        return tab;
    }
    async function close() {
        for (const context of contexts) await context.close();
        await server.close();
        for (const profile of profiles) fs.rmSync(profile, {recursive: true, force: true});
    }
    const contexts = [];
    return {url: server.url, page: async () => { const tab = await page(); contexts.push(tab.context()); return tab; }, close};
}

// Waits (bounded) until `test(page state)` holds in the page.
function until(page, test, arg) {
    return page.waitForFunction(test, arg, {timeout: 60000, polling: 50});
}
const framesPast = (page, count) => until(page, (n) => window.orvexPage.framesDrawn >= n, count);
const consoleHas = (page, text) => until(page, (t) => document.getElementById('console').textContent.includes(t), text);
const consoleText = (page) => page.evaluate(() => document.getElementById('console').textContent);

// Opens files ([{name, buffer}]) through "Open maps…" and waits for the new run to settle.
async function openMaps(page, files) {
    const before = await page.evaluate(() => window.orvexPage.runs || 0);
    await page.setInputFiles('#open-maps', files.map((f) => ({name: f.name, mimeType: 'application/octet-stream', buffer: Buffer.from(f.buffer)})));
    return before;
}

module.exports = {start, until, framesPast, consoleHas, consoleText, openMaps};
