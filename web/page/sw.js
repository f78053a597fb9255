// The service worker: keeps every file of the site in a cache named after its build, so that the
// page opens and runs with no network once it has been opened. The browser checks this script at
// each start of the page; a new build (a new stamp here) fetches all its files into a cache of its
// own, takes over, and deletes the caches of older builds. The page shows the build it runs.
'use strict';

const kBuild = '@BUILD@';  // stamped by tools/web.sh: a hash of the site's files
const kFiles = /*@FILES@*/[];  // stamped: the site's files, relative to this script
const kPrefix = 'orvex ' + self.registration.scope + ' ';  // this folder's caches; other folders keep theirs
const kCache = kPrefix + kBuild;

self.addEventListener('install', (event) => {
  event.waitUntil((async () => {
    const cache = await caches.open(kCache);
    // Past the browser's HTTP cache: a build's cache holds that build's files only.
    await cache.addAll(['./', ...kFiles].map((file) => new Request(file, {cache: 'reload'})));
    await self.skipWaiting();
  })());
});

// The new build serves the next fetches; pages are told which build that is.
self.addEventListener('activate', (event) => {
  event.waitUntil((async () => {
    for (const name of await caches.keys()) if (name.startsWith(kPrefix) && name !== kCache) await caches.delete(name);
    await self.clients.claim();
    for (const client of await self.clients.matchAll({includeUncontrolled: true})) client.postMessage({build: kBuild});
  })());
});

self.addEventListener('message', (event) => {
  if (event.data === 'build' && event.source) event.source.postMessage({build: kBuild});
});

// The site's files from this build's cache; anything else (or a cache the browser has evicted)
// from the network.
self.addEventListener('fetch', (event) => {
  const request = event.request;
  if (request.method !== 'GET' || !request.url.startsWith(self.registration.scope)) return;
  event.respondWith((async () => {
    const cache = await caches.open(kCache);
    return await cache.match(request, {ignoreSearch: request.mode === 'navigate'}) || fetch(request);
  })());
});
