// SPDX-License-Identifier: GPL-3.0-or-later
// Keeps the page working without a network: the whole site, one build of it,
// in one cache of this copy of the page (its scope) named after the build.
// The build writes its name and the files in (web/make_page.py), so a
// new build is a new worker, byte for byte, and the browser installs it
// beside the old one.
//
// What is guaranteed:
// - A page runs one build whole. Its index.html names only its own build's
//   folder, and every file the page runs lies in that folder, so whatever a
//   worker or the host answers, a page never runs the files of one build
//   with those of another.
// - A build is kept whole or not at all: every file is checked against the
//   build's own SHA-256 as it is fetched, so neither the browser's cache nor
//   a host halfway through copying a build can hand the worker a mixture; a
//   file that fails is fetched once more past the browser's cache, and if it
//   fails again the browser tries on a later visit.
// - Copies of the page at two paths of one site keep a cache each: a worker
//   deletes only the older caches of its own scope.
// - Until the new build is active the old worker serves the old build from
//   its own cache. The new one becomes active when no page uses the old one
//   any more, or earlier when the only page open asks for it (page.js);
//   the next visit loads the new build, no page is reloaded under the
//   player's hands.
"use strict";

const BUILD = "@BUILD@";
const SCOPE = self.registration.scope;
const CACHE = "bottinaro-" + BUILD + " " + SCOPE;
// Each file of the site, relative to the scope, with the SHA-256 of its content.
const FILES = {
@SITE_FILES@};

function hex(digest) {
  return Array.from(new Uint8Array(digest), function (byte) {
    return byte.toString(16).padStart(2, "0");
  }).join("");
}

// Each file as the browser holds it from the page's own visit, however old,
// so that a first visit downloads it once; only a file that fails its check
// is asked of the network again, past the browser's cache.
function keep(cache, file) {
  const check = function (mode) {
    return fetch(new Request(file, { cache: mode })).then(function (response) {
      const kept = response.clone();
      return response.arrayBuffer().then(function (data) {
        return crypto.subtle.digest("SHA-256", data);
      }).then(function (digest) {
        return response.ok && hex(digest) === FILES[file] ? kept : null;
      });
    });
  };
  return check("force-cache").then(function (response) {
    return response || check("reload");
  }).then(function (response) {
    if (!response)
      throw new Error(file + " is not the one of build " + BUILD);
    return cache.put(file, response);
  });
}

self.addEventListener("install", function (event) {
  event.waitUntil(caches.open(CACHE).then(function (cache) {
    return Promise.all(Object.keys(FILES).map(function (file) {
      return keep(cache, file);
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
      return name.startsWith("bottinaro-") && name.endsWith(" " + SCOPE) && name !== CACHE;
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
  event.waitUntil(self.clients.matchAll({ type: "window", includeUncontrolled: true })
    .then(function (pages) {
      if (pages.length <= 1)
        return self.skipWaiting();
    }));
});

// This build's files from its cache, read by name (never made again if a
// newer worker has deleted it); anything else, and anything missing, from
// the network.
self.addEventListener("fetch", function (event) {
  const request = event.request;
  if (request.method !== "GET" || !request.url.startsWith(SCOPE))
    return;
  let file = request.url.slice(SCOPE.length).split(/[?#]/)[0] || "./";
  if (file === "index.html")
    file = "./";
  if (!(file in FILES))
    return;
  event.respondWith(caches.match(file, { cacheName: CACHE }).then(function (response) {
    return response || fetch(request);
  }));
});
