// Keeps Stakora working offline: every file of the page is stored when the worker installs, on
// the first visit, and served from there; a fresh copy is fetched meanwhile for the next visit.
const CACHE = "stakora-1.00";
const FILES = ["./", "index.html", "stakora.js", "stakora.wasm", "manifest.webmanifest",
  "footer.jpg", "footer@2x.jpg", "stakora-32.png", "stakora-192.png", "stakora-512.png"];

self.addEventListener("install", (event) => {
  event.waitUntil(caches.open(CACHE).then((cache) => cache.addAll(FILES)));
  self.skipWaiting();
});

self.addEventListener("activate", (event) => {
  event.waitUntil(caches.keys().then((keys) =>
    Promise.all(keys.filter((key) => key !== CACHE).map((key) => caches.delete(key)))));
  self.clients.claim();
});

self.addEventListener("fetch", (event) => {
  if (event.request.method !== "GET") return;
  event.respondWith(caches.open(CACHE).then(async (cache) => {
    const stored = await cache.match(event.request, {ignoreSearch: true});
    const fresh = fetch(event.request).then((response) => {
      if (response.ok) cache.put(event.request, response.clone());
      return response;
    });
    if (stored) {
      fresh.catch(() => {}); // offline: the stored copy is the answer
      return stored;
    }
    return fresh;
  }));
});
