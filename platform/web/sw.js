// The web edition's service worker: it keeps every file of one version of the
// page in a cache named after that version and serves the page from it, so
// the game starts and plays without the network once it was loaded. A new
// version fills its own cache, then drops the older ones; the map (the
// browser's IndexedDB) and the player's choices (localStorage) are not in
// any cache and stay. pack_web.py writes the version and the file list in.
"use strict";

// Written in by pack_web.py:
const Version = "unpacked";
const Files = ["./"];
const Prefix = "morvask-";
const Cache = Prefix + Version;

self.addEventListener("install", (event) => {
  event.waitUntil(caches.open(Cache).then((cache) => cache.addAll(Files))
    .then(() => self.skipWaiting()));
});

self.addEventListener("activate", (event) => {
  event.waitUntil(caches.keys().then((names) => Promise.all(
    names.filter((name) => name.startsWith(Prefix) && name !== Cache)
      .map((name) => caches.delete(name)))).then(() => self.clients.claim()));
});

// The cache first (every file of the version is there); the network only for
// what is not, such as a file of another site.
self.addEventListener("fetch", (event) => {
  const request = event.request;
  if (request.method !== "GET" || new URL(request.url).origin !== self.location.origin) return;
  event.respondWith(caches.open(Cache).then((cache) =>
    cache.match(request, { ignoreSearch: true }).then((kept) => kept || fetch(request))));
});
