// What the browser tests and benchmarks share: the site (build-web/site/) served on a free loopback port, and
// Debian's Chromium with a fresh profile, driven by playwright-core.
'use strict';
const fs = require('node:fs');
const http = require('node:http');
const path = require('node:path');
const {chromium} = require('playwright-core');

const kRoot = path.resolve(__dirname, '../../build-web/site');
const kTypes = {'.html': 'text/html', '.js': 'text/javascript', '.css': 'text/css', '.wasm': 'application/wasm',
                '.json': 'application/json', '.webmanifest': 'application/manifest+json', '.png': 'image/png',
                '.ico': 'image/vnd.microsoft.icon'};

// Serves the site and starts the browser, with `args` added to its command line: resolves to
// {url, browser, close()}.
async function start({args = []} = {}) {
    const server = http.createServer((request, response) => {
        const name = decodeURIComponent(new URL(request.url, 'http://x').pathname);
        const file = path.join(kRoot, name.endsWith('/') ? name + 'index.html' : name);
        if (!file.startsWith(kRoot + path.sep)) return response.writeHead(403).end();
        fs.readFile(file, (error, bytes) => {
            if (error) return response.writeHead(404).end();
            response.writeHead(200, {'Content-Type': kTypes[path.extname(file)] || 'application/octet-stream'}).end(bytes);
        });
    });
    await new Promise((listening) => server.listen(0, '127.0.0.1', listening));
    const browser = await chromium.launch({executablePath: '/usr/bin/chromium', headless: true, args: [
        '--headless', '--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
        '--disable-background-networking', '--disable-component-update', '--disable-sync', ...args]});
    return {
        url: `http://127.0.0.1:${server.address().port}/`,
        browser,
        async close() {
            await browser.close();
            await new Promise((closed) => server.close(closed));
        },
    };
}

module.exports = {start, root: kRoot};
