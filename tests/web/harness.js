// What the browser tests share: build-web/ served on loopback, Debian's Chromium, pages each with
// a fresh profile, and bounded waits on the page's own counters.
'use strict';
const path = require('node:path');
const {chromium} = require('playwright-core');
const {serve} = require('./server.js');

const kRoot = path.resolve(__dirname, '../../build-web');
const kArgs = ['--headless', '--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
               '--disable-background-networking', '--disable-component-update', '--disable-sync'];

// One browser (its own temporary profile) and server for a test file: {url, page(), close()}.
async function start() {
    const server = await serve(kRoot);
    const browser = await chromium.launch({executablePath: '/usr/bin/chromium', headless: true, args: kArgs});
    return {
        url: server.url,
        async page() {
            const context = await browser.newContext({acceptDownloads: true, viewport: {width: 1400, height: 1000}});
            const page = await context.newPage();
            await page.goto(server.url);
            return page;
        },
        async close() {
            await browser.close();
            await server.close();
        },
    };
}

// Waits (bounded) until `test(arg)` holds in the page.
const until = (page, test, arg) => page.waitForFunction(test, arg, {timeout: 60000, polling: 50});
const framesPast = (page, count) => until(page, (n) => window.orvexPage.framesDrawn >= n, count);
const consoleText = (page) => page.evaluate(() => document.getElementById('console').textContent);

module.exports = {start, until, framesPast, consoleText, kArgs};
