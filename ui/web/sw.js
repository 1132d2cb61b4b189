// Keeps Stakora working offline, and whole. Each build stamps this worker with its version,
// taken from the content of every file of the site, so any change makes a new worker. A worker
// stores every file of its version in a cache of its own when it installs, or none (a download
// that fails leaves the version before in place, whole), and serves only from that cache: a
// page never mixes the files of two builds. A new version takes over once no page of the old
// one is open, at the next load, or at once when the player accepts it from the page (which
// then loads again), and the old cache goes with it.
const VERSION = "@STAKORA_SITE_VERSION@";
const CACHE = `stakora-${VERSION}`;
const FILES = @STAKORA_SITE_FILES@;

self.addEventListener("install", (event) => {
  event.waitUntil((async () => {
    // A cache of this name that is already there belongs to a worker of the same version,
    // which may be serving from it: a failed install leaves it alone.
    const existed = await caches.has(CACHE);
    try {
      const cache = await caches.open(CACHE);
      // Past the HTTP cache, which could hold a file of another build.
      await cache.addAll(FILES.map((file) => new Request(file, { cache: "reload" })));
    } catch (error) {
      if (!existed) await caches.delete(CACHE);
      throw error; // this version is not installed
    }
  })());
});

// The player accepted the new version that the page offered: it takes over now.
self.addEventListener("message", (event) => {
  if (event.data === "take over") self.skipWaiting();
});

self.addEventListener("activate", (event) => {
  event.waitUntil(
    caches.keys()
      .then((keys) => Promise.all(
        keys.filter((key) => key.startsWith("stakora-") && key !== CACHE)
          .map((key) => caches.delete(key))))
      .then(() => self.clients.claim())
  );
});

self.addEventListener("fetch", (event) => {
  if (event.request.method !== "GET") return;
  event.respondWith(
    caches.open(CACHE)
      .then((cache) => cache.match(event.request, { ignoreSearch: true }))
      .then((stored) => stored || fetch(event.request))
  );
});
