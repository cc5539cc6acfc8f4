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
frame with the main window shown. Then this build on a phone profile (its
network, and the processor slowed four times): the main window, and the
answer of 100 on screen after the click on Calcola and from navigation
start, on a first visit and on the next, which the service worker serves.
Then the first visit's transfer, with brotli and with gzip, as the browser
counts it.

usage: bench_page.py BUILD_DIR [BASELINE_SITE]"""

import os
import statistics
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "web"))
import browser  # noqa: E402
import serve  # noqa: E402
from check_page import Page  # noqa: E402

RUNS = 5
PHONE = {"offline": False, "latency": 170, "downloadThroughput": 9e6 / 8,
         "uploadThroughput": 2e6 / 8}
PHONE_CPU = {"rate": 4}  # a phone's processor, four times slower than this one
LOCAL = {"offline": False, "latency": 0, "downloadThroughput": -1, "uploadThroughput": -1}
# Marks the first animation frame with the main window shown, the last
# press of the mouse, and the first frame after it with the answer of 100.
PROBE = """
(function () {
  function watch(seen) {
    function frame() {
      try {
        const m = window.bottinaro;
        const s = m && m._bottinaro_state ? JSON.parse(m.UTF16ToString(m._bottinaro_state())) : null;
        const main = s && s.windows.find(w => w.name === "Form1");
        if (main && seen(main))
          return;
      } catch (e) {}
      requestAnimationFrame(frame);
    }
    requestAnimationFrame(frame);
  }
  watch(() => { window.__firstFrame = performance.now(); return true; });
  window.addEventListener("pointerdown", function () {
    if (window.__click === undefined)
      watch(main => main.controls.some(c => c.name === "RestoScalpi" && c.text === "-650")
                    && (window.__answer = performance.now()));
    window.__click = performance.now();
  }, true);
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


def until(driver, what, script, timeout=90):
    deadline = time.monotonic() + timeout
    while (value := driver.execute_script(script)) is None:
        if time.monotonic() > deadline:
            raise RuntimeError(f"no {what}")
        time.sleep(0.02)
    return value


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
        first = until(driver, f"main window from {url}", "return window.__firstFrame")
        return first / 1000, driver.execute_script(TRANSFER)
    finally:
        driver.quit()


def phone_visits(url):
    """On a phone's processor and network, seconds to the main window, from
    the click on Calcola to the answer of 100 on screen, and to that answer
    from navigation start (100 typed and Calcola clicked through WebDriver
    as soon as the window is there): a first visit, then the next one, which
    the service worker serves."""
    driver = browser.start()
    page = Page(driver, None, None)
    try:
        driver.execute_cdp_cmd("Network.enable", {})
        driver.execute_cdp_cmd("Network.emulateNetworkConditions", PHONE)
        driver.execute_cdp_cmd("Emulation.setCPUThrottlingRate", PHONE_CPU)
        driver.execute_cdp_cmd("Page.addScriptToEvaluateOnNewDocument", {"source": PROBE})
        times = []
        for visit in ("first", "repeat"):
            driver.get(url)
            times.append(until(driver, "main window", "return window.__firstFrame") / 1000)
            page.calculate("100")
            answer = until(driver, "answer of 100", "return window.__answer")
            times += [(answer - driver.execute_script("return window.__click")) / 1000, answer / 1000]
            if visit == "first":
                page.wait("the service worker", lambda: driver.execute_script(
                    "return !!navigator.serviceWorker.controller"), timeout=120)
                # Nothing from the browser's own cache: what the worker keeps.
                driver.execute_cdp_cmd("Network.setCacheDisabled", {"cacheDisabled": True})
        return times
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

    # This build on a phone: its processor as well as its network.
    server = serve.start(sites["this build"])
    phone = list(zip(*(phone_visits(f"http://127.0.0.1:{server.server_port}/") for _ in range(RUNS))))
    server.shutdown()
    print("| phone profile (median of %d) | main window | answer of 100 after the click | "
          "answer of 100 |" % RUNS)
    print("|---|---:|---:|---:|")
    for label, visit in (("first visit", phone[0:3]), ("repeat visit, from the service worker", phone[3:6])):
        print(f"| {label} | " + " | ".join(f"{statistics.median(column):.2f} s" for column in visit) + " |")
    print("phone runs (window, answer after the click, answer; the same on the repeat visit): "
          + "; ".join(", ".join(f"{v:.2f}" for v in run) for run in zip(*phone)))

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
