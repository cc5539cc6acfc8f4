// SPDX-License-Identifier: GPL-3.0-or-later
// Keeps the page working without a network: the whole site, one build of it,
// in one cache named after its content. The build writes the name and the
// files in (cmake/web_worker.cmake), so a new build is a new worker, byte
// for byte, and the browser installs it beside the old one.
//
// A build replaces the previous one whole, never file by file: the new
// worker fetches every file fresh from the server into its own cache, and
// until it is active the old worker goes on serving the old build from the
// old cache. It becomes active when no page uses the old build any more, or
// earlier when the only page open asks for it, which the page does once its
// program has started (offline.js): that page already holds every file it
// needs, so nothing can mix the two builds. The next visit loads the new
// build; no page is reloaded under the player's hands.
"use strict";

const CACHE = "@CACHE_NAME@";
const FILES = [@SITE_FILES@];

self.addEventListener("install", function (event) {
  event.waitUntil(caches.open(CACHE).then(function (cache) {
    return cache.addAll(FILES.map(function (file) {
      return new Request(file, { cache: "reload" });
    }));
  }));
});

self.addEventListener("activate", function (event) {
  event.waitUntil(caches.keys().then(function (names) {
    return Promise.all(names.filter(function (name) {
      return name.startsWith("bottinaro-") && name !== CACHE;
    }).map(function (name) {
      return caches.delete(name);
    }));
  }).then(function () {
    return self.clients.claim();
  }));
});

self.addEventListener("message", function (event) {
  if (event.data !== "activate")
    return;
  // Another page may still be loading the old build's files.
  event.waitUntil(self.clients.matchAll({ type: "window", includeUncontrolled: true })
    .then(function (pages) {
      if (pages.length <= 1)
        return self.skipWaiting();
    }));
});

// The site's own files from the cache, anything else from the network.
self.addEventListener("fetch", function (event) {
  const request = event.request;
  const scope = self.registration.scope;
  if (request.method !== "GET" || !request.url.startsWith(scope))
    return;
  const file = request.url.slice(scope.length).split(/[?#]/)[0] || "./";
  if (!FILES.includes(file))
    return;
  event.respondWith(caches.open(CACHE).then(function (cache) {
    return cache.match(file);
  }).then(function (response) {
    return response || fetch(request);
  }));
});
