// SPDX-License-Identifier: GPL-3.0-or-later
// Keeps the page working without a network: the whole site, one build of it,
// in one cache named after its content. The build writes the name and the
// files in (cmake/web_worker.cmake), so a new build is a new worker, byte
// for byte, and the browser installs it beside the old one.
//
// A build replaces the previous one whole, never file by file: the new
// worker fetches every file fresh from the server into its own cache, checked
// against its digest, and until it is active the old worker goes on serving
// the old build from the old cache. It becomes active when no page uses the
// old build any more, or earlier when the only page open asks for it, which
// the page does once its program has started (offline.js): that page already
// holds every file it needs, so nothing can mix the two builds. The next
// visit loads the new build; no page is reloaded under the player's hands.
"use strict";

const CACHE = "@CACHE_NAME@";
// Each file of the site, with the SHA-256 of its content.
const FILES = {
  @SITE_FILES@
};

function hex(digest) {
  return Array.from(new Uint8Array(digest), function (byte) {
    return byte.toString(16).padStart(2, "0");
  }).join("");
}

// Every file is checked against this build's own digest: a host halfway
// through copying a new build may still send some files of the old one, and
// then this build is not installed (the browser tries again on a later visit).
self.addEventListener("install", function (event) {
  event.waitUntil(caches.open(CACHE).then(function (cache) {
    return Promise.all(Object.keys(FILES).map(function (file) {
      return fetch(new Request(file, { cache: "reload" })).then(function (response) {
        const kept = response.clone();
        return response.arrayBuffer().then(function (data) {
          return crypto.subtle.digest("SHA-256", data);
        }).then(function (digest) {
          if (!response.ok || hex(digest) !== FILES[file])
            throw new Error(file + " is not the one of this build");
          return cache.put(file, kept);
        });
      });
    }));
  }).catch(function (error) {
    return caches.delete(CACHE).then(function () {
      throw error;
    });
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
  if (!(file in FILES))
    return;
  event.respondWith(caches.open(CACHE).then(function (cache) {
    return cache.match(file);
  }).then(function (response) {
    return response || fetch(request);
  }));
});
