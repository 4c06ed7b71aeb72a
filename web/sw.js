// The page's service worker: once the page has been opened, it opens without
// a network. The page, the converter and the documentation are cached when
// the worker is installed; Verovio, the examples and whatever else the page
// fetches, the first time they are fetched. web/build writes the build's
// name into CACHE, so a new build starts a new cache and drops the old one.
const CACHE = 'sorvik-@BUILD@';
const SHELL = ['./', 'index.html', 'style.css', 'app.mjs', 'converter.mjs', 'texts.mjs', 'docs.mjs', 'instruments.mjs',
  'explanations.mjs', 'sorvik.mjs', 'sorvik.wasm', 'format.html', 'messages.html', 'format.md', 'examples/index.json'];

self.addEventListener('install', (event) => {
  event.waitUntil(caches.open(CACHE).then((cache) => cache.addAll(SHELL)).then(() => self.skipWaiting()));
});

self.addEventListener('activate', (event) => {
  event.waitUntil((async () => {
    for (const key of await caches.keys()) if (key !== CACHE) await caches.delete(key);
    await self.clients.claim();
  })());
});

self.addEventListener('fetch', (event) => {
  const { request } = event;
  if (request.method !== 'GET' || new URL(request.url).origin !== self.location.origin) return;
  event.respondWith((async () => {
    const cache = await caches.open(CACHE);
    const cached = await cache.match(request, { ignoreSearch: true });
    if (cached) return cached;
    const response = await fetch(request);
    if (response.ok) event.waitUntil(cache.put(request, response.clone()));
    return response;
  })());
});
