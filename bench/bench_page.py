# SPDX-License-Identifier: GPL-3.0-or-later
"""Load benchmark of the page (not a test), in headless Chromium, each site
served from 127.0.0.1 with its precompressed files as a static host would.

For this build, times are taken on its checked copy (BUILD_DIR/checked/site,
the same program with the state hook that says when the main window is
there) and the transfer on the page players load (BUILD_DIR/site). A
baseline site, when given, is a page of an earlier build that carries the
hook itself. Loads alternate site by site, RUNS of each kind:
  - in a browser started for the load, and in a browser already running
    (it has shown a WebGL page of another site), its cache off;
  - on 127.0.0.1 as it is, and over an emulated phone network
    (9 Mbit/s down, 170 ms round trips).
Each figure is the median time from navigation start to the first animation
frame with the main window shown. Then the first visit's transfer, with
brotli and with gzip, as the browser counts it.

usage: bench_page.py BUILD_DIR [BASELINE_SITE]"""

import os
import statistics
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "web"))
import browser  # noqa: E402
import serve  # noqa: E402

RUNS = 5
PHONE = {"offline": False, "latency": 170, "downloadThroughput": 9e6 / 8,
         "uploadThroughput": 2e6 / 8}
LOCAL = {"offline": False, "latency": 0, "downloadThroughput": -1, "uploadThroughput": -1}
PROBE = """
(function () {
  function frame() {
    try {
      const m = window.bottinaro;
      const s = m && m._bottinaro_state ? JSON.parse(m.UTF16ToString(m._bottinaro_state())) : null;
      if (s && s.windows.some(w => w.name === "Form1")) {
        window.__firstFrame = performance.now();
        return;
      }
    } catch (e) {}
    requestAnimationFrame(frame);
  }
  requestAnimationFrame(frame);
})();
"""
TRANSFER = """
return performance.getEntriesByType("navigation").concat(performance.getEntriesByType("resource"))
    .reduce((sum, e) => sum + e.transferSize, 0);
"""
RUNNING = "return !!(window.bottinaro && window.bottinaro.calledRun)"
# A page of another site that draws with WebGL: it starts the browser's
# renderer and graphics processes without loading any of the program.
WARM_UP = ("data:text/html,<canvas id=c></canvas>"
           "<script>document.getElementById('c').getContext('webgl2')</script>")


def load(url, network, running):
    """Seconds to the main window, and bytes transferred, in one load."""
    driver = browser.start()
    try:
        driver.execute_cdp_cmd("Network.enable", {})
        driver.execute_cdp_cmd("Network.setCacheDisabled", {"cacheDisabled": True})
        if running:
            driver.get(WARM_UP)
            time.sleep(1)
        driver.execute_cdp_cmd("Network.emulateNetworkConditions", network)
        driver.execute_cdp_cmd("Page.addScriptToEvaluateOnNewDocument", {"source": PROBE})
        driver.get(url)
        deadline = time.monotonic() + 90
        while (first := driver.execute_script("return window.__firstFrame")) is None:
            if time.monotonic() > deadline:
                raise RuntimeError(f"no main window from {url}")
            time.sleep(0.02)
        return first / 1000, driver.execute_script(TRANSFER)
    finally:
        driver.quit()


def transfer(url):
    """Bytes the first visit transfers, once the program runs."""
    driver = browser.start()
    try:
        driver.execute_cdp_cmd("Network.enable", {})
        driver.execute_cdp_cmd("Network.setCacheDisabled", {"cacheDisabled": True})
        driver.get(url)
        deadline = time.monotonic() + 90
        while not driver.execute_script(RUNNING):
            if time.monotonic() > deadline:
                raise RuntimeError(f"the program did not start from {url}")
            time.sleep(0.05)
        return driver.execute_script(TRANSFER)
    finally:
        driver.quit()


def main():
    build_dir = os.path.abspath(sys.argv[1])
    sites = {"this build": os.path.join(build_dir, "checked", "site")}
    shipped = {"this build": os.path.join(build_dir, "site")}
    if len(sys.argv) > 2:
        sites["baseline"] = shipped["baseline"] = os.path.abspath(sys.argv[2])
    servers = {name: serve.start(folder) for name, folder in sites.items()}
    urls = {name: f"http://127.0.0.1:{server.server_port}/" for name, server in servers.items()}
    kinds = [(network_name, network, running)
             for network_name, network in (("127.0.0.1", LOCAL), ("phone network", PHONE))
             for running in (False, True)]
    times = {(name, kind[0], kind[2]): [] for name in sites for kind in kinds}
    for _ in range(RUNS):
        for network_name, network, running in kinds:
            for name in sites:
                seconds, _ = load(urls[name], network, running)
                times[(name, network_name, running)].append(seconds)

    names = list(sites)
    print("| main window on screen (median of %d) | %s |" % (RUNS, " | ".join(names)))
    print("|---|" + "---:|" * len(names))
    for network_name, _, running in kinds:
        label = f"{network_name}, {'running browser' if running else 'browser started for the load'}"
        medians = [statistics.median(times[(name, network_name, running)]) for name in names]
        print(f"| {label} | " + " | ".join(f"{m:.2f} s" for m in medians) + " |")
    if len(names) == 2:
        for network_name, _, running in kinds:
            new, old = (statistics.median(times[(name, network_name, running)]) for name in names)
            print(f"{network_name}, {'running' if running else 'new'} browser: "
                  f"{100 * (1 - new / old):.0f} % sooner")
    for name in names:
        print(f"{name}: runs " + "; ".join(
            f"{network_name}/{'running' if running else 'new'} "
            + ", ".join(f"{v:.2f}" for v in times[(name, network_name, running)])
            for network_name, _, running in kinds))
    for server in servers.values():
        server.shutdown()

    print("| first visit's transfer | " + " | ".join(names) + " |")
    print("|---|" + "---:|" * len(names))
    for label, encodings in (("brotli", (("br", ".br"), ("gzip", ".gz"))), ("gzip", (("gzip", ".gz"),))):
        row = []
        for name in names:
            server = serve.start(shipped[name], encodings=encodings)
            transferred = transfer(f"http://127.0.0.1:{server.server_port}/")
            server.shutdown()
            row.append(f"{transferred / 1e6:.2f} MB")
        print(f"| {label} | " + " | ".join(row) + " |")
    for name, folder in shipped.items():
        wasm = os.path.join(folder, "bottinaro.wasm")
        sizes = [os.path.getsize(path) / 1e6 if os.path.exists(path) else float("nan")
                 for path in (wasm, wasm + ".gz", wasm + ".br")]
        print(f"{name}: bottinaro.wasm {sizes[0]:.2f} MB, {sizes[1]:.2f} MB gzip, {sizes[2]:.2f} MB brotli")


if __name__ == "__main__":
    main()
