// A static server for build-web/ on a free loopback port, for the tests and the benchmarks.
'use strict';
const http = require('node:http');
const fs = require('node:fs');
const path = require('node:path');

const types = {'.html': 'text/html', '.js': 'text/javascript', '.css': 'text/css', '.wasm': 'application/wasm',
               '.json': 'application/json', '.png': 'image/png'};

// Serves `root`; resolves to {url, close}.
function serve(root) {
    const server = http.createServer((request, response) => {
        const name = decodeURIComponent(new URL(request.url, 'http://x').pathname);
        const file = path.join(root, name.endsWith('/') ? name + 'index.html' : name);
        if (!file.startsWith(path.resolve(root) + path.sep)) return response.writeHead(403).end();
        fs.readFile(file, (error, bytes) => {
            if (error) return response.writeHead(404).end();
            response.writeHead(200, {'Content-Type': types[path.extname(file)] || 'application/octet-stream',
                                     'Cache-Control': 'no-store'}).end(bytes);
        });
    });
    return new Promise((resolve) => server.listen(0, '127.0.0.1', () => resolve({
        url: `http://127.0.0.1:${server.address().port}/`,
        close: () => new Promise((done) => server.close(done)),
    })));
}

module.exports = {serve};
