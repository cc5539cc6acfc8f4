// SPDX-License-Identifier: GPL-3.0-or-later
// Keeps the page working offline: registers the service worker
// (service_worker.js) once the program runs, so that its first download does
// not slow the program's own. A newer build the worker has fetched takes
// over from here on when this is the only page open (the worker says why).

function activate(worker) {
  if (worker && worker.state === "installed")
    worker.postMessage("activate");
}

function watch(worker) {
  if (worker)
    worker.addEventListener("statechange", function () {
      activate(worker);
    });
}

export function keep() {
  if (!("serviceWorker" in navigator) || !/^https?:$/.test(location.protocol))
    return;
  navigator.serviceWorker.register("service_worker.js").then(function (registration) {
    // The browser may have found the new build before this page asked.
    watch(registration.installing);
    activate(registration.waiting);
    registration.addEventListener("updatefound", function () {
      watch(registration.installing);
    });
    // Asked again here: in our tests the browser's own look on loading the
    // page missed a new build after a visit with the server gone. Offline
    // it fails, and the build in the cache stays.
    registration.update().catch(function () {});
  }, function (error) {
    console.warn("Bottinaro non potrà funzionare senza rete:", error);
  });
}
