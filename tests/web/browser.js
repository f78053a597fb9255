// What the browser tests and benchmarks share: the site (build-web/site/) served on a free loopback
// port, and Debian's Chromium with a fresh profile, driven by playwright-core (the tests reach
// every engine through engines.js).
'use strict';
const fs = require('node:fs');
const http = require('node:http');
const path = require('node:path');

const kRoot = path.resolve(__dirname, '../../build-web/site');
const kTypes = {'.html': 'text/html', '.js': 'text/javascript', '.css': 'text/css', '.wasm': 'application/wasm',
                '.json': 'application/json', '.webmanifest': 'application/manifest+json', '.png': 'image/png',
                '.ico': 'image/vnd.microsoft.icon'};

// Serves the site: resolves to {url, headScript, close()}. While headScript is set, every HTML
// page gets it as its first script (for drivers with no script run before a page's own).
async function serve() {
    const served = {headScript: ''};
    const server = http.createServer((request, response) => {
        const name = decodeURIComponent(new URL(request.url, 'http://x').pathname);
        const file = path.join(kRoot, name.endsWith('/') ? name + 'index.html' : name);
        if (!file.startsWith(kRoot + path.sep)) return response.writeHead(403).end();
        fs.readFile(file, (error, bytes) => {
            if (error) return response.writeHead(404).end();
            const type = kTypes[path.extname(file)] || 'application/octet-stream';
            if (type === 'text/html' && served.headScript) {
                bytes = String(bytes).replace('<head>', `<head>\n<script>${served.headScript}</script>`);
            }
            response.writeHead(200, {'Content-Type': type}).end(bytes);
        });
    });
    await new Promise((listening) => server.listen(0, '127.0.0.1', listening));
    served.url = `http://127.0.0.1:${server.address().port}/`;
    served.close = () => new Promise((closed) => server.close(closed));
    return served;
}

// Serves the site and starts Chromium, with `args` added to its command line: resolves to
// {url, browser, close()}.
async function start({args = []} = {}) {
    const {chromium} = require('playwright-core');
    const server = await serve();
    const browser = await chromium.launch({executablePath: '/usr/bin/chromium', headless: true, args: [
        ...kChromiumArgs, ...args]});
    return {
        url: server.url,
        browser,
        async close() {
            await browser.close();
            await server.close();
        },
    };
}
const kChromiumArgs = ['--headless', '--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
                       '--disable-background-networking', '--disable-component-update', '--disable-sync'];

module.exports = {start, serve, root: kRoot, chromiumArgs: kChromiumArgs};
