// Keeps the game playable without the network. On its first visit the page registers this
// worker, which stores the page, the game's wasm, its JavaScript and its data in a cache named
// after the release. Requests are answered from that cache first (every visit to the folder is
// the one page); anything else the game fetches (the music) is stored as it passes.
//
// A new release has a new name (the build puts a hash of the site's files in place of
// __VAULTREACH_RELEASE__), so its worker is a new worker: it fills a cache of its own from the
// server, revalidating every file so none comes from an older release held in the HTTP cache,
// and takes over only when no page of the old release is open. It then deletes every older
// cache, so a page never mixes old and new files.
'use strict';

const kRelease = '__VAULTREACH_RELEASE__';
const kCache = 'vaultreach-' + kRelease;
const kFiles = [
  './',
  'style.css',
  'vaultreach-page.js',
  'vaultreach.js',
  'vaultreach.wasm',
  'vaultreach.data',
  'manifest.webmanifest',
  'icon.svg',
  'icon-192.png',
];
// The sounds: the game fetches them once the title is up, before this worker runs, so they are
// stored here too when the server has them; a release without them still installs.
const kSounds = ['intro.ogg', 'clash.wav', 'thud.wav'];

self.addEventListener('install', (event) => {
  const fresh = (file) => new Request(file, { cache: 'no-cache' });
  event.waitUntil(
    caches.open(kCache).then((cache) =>
      cache.addAll(kFiles.map(fresh)).then(() =>
        Promise.all(kSounds.map((file) => cache.add(fresh(file)).catch(() => {}))))));
});

self.addEventListener('activate', (event) => {
  event.waitUntil(
    caches.keys()
      .then((names) => Promise.all(names
        .filter((name) => name.startsWith('vaultreach-') && name !== kCache)
        .map((name) => caches.delete(name))))
      .then(() => self.clients.claim()));
});

self.addEventListener('fetch', (event) => {
  const request = event.request;
  if (request.method !== 'GET' || new URL(request.url).origin !== self.location.origin) return;
  event.respondWith(
    caches.open(kCache).then((cache) =>
      cache.match(request.mode === 'navigate' ? './' : request, { ignoreSearch: true }).then((stored) => {
        if (stored) return stored;
        return fetch(request).then((response) => {
          if (response.ok && response.status === 200 && !request.headers.has('range')) {
            cache.put(request, response.clone());
          }
          return response;
        });
      })));
});
