# SPDX-License-Identifier: GPL-3.0-or-later
"""Load benchmark of the page (not a test), in headless Chromium, each site
served from 127.0.0.1 with its precompressed files as a static host would.

This build's page players load (BUILD_DIR/site) and the baselines' pages
load in turn, site after site, RUNS times each:
  - on 127.0.0.1 as it is, and over an emulated phone network (9 Mbit/s
    down, 170 ms round trips), in a browser started for the load and in one
    already running (it has shown a WebGL page of another site), cache off:
    the time from navigation start to the first animation frame with the
    main window on the page;
  - on a phone profile (its network, the processor slowed four times), on a
    first visit and on the next, which the service worker serves: the main
    window, and the answer of 100 after the click on Calcola and from
    navigation start;
then the first visit's transfer with brotli and with gzip, as the browser
counts it. A page is read through its accessibility mirror, or, on a page
older than the mirror, through the state hook it carried itself.

usage: bench_page.py BUILD_DIR [NAME=BASELINE_SITE...]
       bench_page.py --trace BUILD_DIR   where a visit's time goes"""

import collections
import json
import os
import statistics
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "web"))
import driver  # noqa: E402
import serve  # noqa: E402
from driver import Page  # noqa: E402

RUNS = 5
PHONE = {"offline": False, "latency": 170, "downloadThroughput": 9e6 / 8,
         "uploadThroughput": 2e6 / 8}
PHONE_CPU = {"rate": 4}  # a phone's processor, four times slower than this one
LOCAL = {"offline": False, "latency": 0, "downloadThroughput": -1, "uploadThroughput": -1}
# Marks the first animation frame with the main window on the page, the
# first press of the mouse, and the first frame after it with the answer of 100.
PROBE = """
(function () {
  function state() {
    const mirror = document.querySelector('#mirror > [aria-label="Bottinaro"]');
    if (mirror)
      return { shown: true, answer: [...mirror.querySelectorAll("div")].some(
        e => e.textContent === "Scalpi di Moon Tug, differenza dal traguardo: -650") };
    const m = window.bottinaro;
    if (m && m._bottinaro_state) {
      const main = JSON.parse(m.UTF16ToString(m._bottinaro_state())).windows.find(w => w.name === "Form1");
      if (main)
        return { shown: true, answer: main.controls.some(c => c.name === "RestoScalpi" && c.text === "-650") };
    }
    return { shown: false, answer: false };
  }
  function watch(seen) {
    function frame() {
      try {
        if (seen(state()))
          return;
      } catch (e) {}
      requestAnimationFrame(frame);
    }
    requestAnimationFrame(frame);
  }
  watch(s => s.shown && (window.__firstFrame = performance.now()));
  window.addEventListener("pointerdown", function () {
    if (window.__click === undefined)
      watch(s => s.answer && (window.__answer = performance.now()));
    window.__click = performance.now();
  }, true);
})();
"""
TRANSFER = """
return performance.getEntriesByType("navigation").concat(performance.getEntriesByType("resource"))
    .reduce((sum, e) => sum + e.transferSize, 0);
"""
# A page of another site that draws with WebGL: it starts the browser's
# renderer and graphics processes without loading any of the program.
WARM_UP = ("data:text/html,<canvas id=c></canvas>"
           "<script>document.getElementById('c').getContext('webgl2')</script>")


def load(url, network, running):
    """Seconds to the main window, in one load."""
    page = Page(driver.chromium())
    try:
        page.cdp("Network.enable")
        page.cdp("Network.setCacheDisabled", cacheDisabled=True)
        if running:
            page.driver.get(WARM_UP)
            time.sleep(1)
        page.cdp("Network.emulateNetworkConditions", **network)
        page.cdp("Page.addScriptToEvaluateOnNewDocument", source=PROBE)
        page.driver.get(url)
        return page.wait("the main window", lambda: page.driver.execute_script(
            "return window.__firstFrame"), timeout=90) / 1000
    finally:
        page.driver.quit()


def phone_visits(url):
    """On a phone's processor and network: seconds to the main window, from
    the click on Calcola to the answer of 100 on screen, and to that answer
    from navigation start (100 typed and Calcola clicked through WebDriver as
    soon as the window is there); a first visit, then the next one, which
    the service worker serves."""
    page = Page(driver.chromium())
    try:
        page.cdp("Network.enable")
        page.cdp("Network.emulateNetworkConditions", **PHONE)
        page.cdp("Emulation.setCPUThrottlingRate", **PHONE_CPU)
        page.cdp("Page.addScriptToEvaluateOnNewDocument", source=PROBE)
        times = []
        for visit in ("first", "repeat"):
            page.driver.get(url)
            times.append(page.wait("the main window", lambda: page.driver.execute_script(
                "return window.__firstFrame"), timeout=120) / 1000)
            page.calculate("100")
            answer = page.wait("the answer of 100", lambda: page.driver.execute_script(
                "return window.__answer"), timeout=60)
            times += [(answer - page.driver.execute_script("return window.__click")) / 1000, answer / 1000]
            if visit == "first":
                page.wait("the service worker", lambda: page.driver.execute_script(
                    "return !!navigator.serviceWorker.controller"), timeout=120)
                # Nothing from the browser's own cache: what the worker keeps.
                page.cdp("Network.setCacheDisabled", cacheDisabled=True)
        return times
    finally:
        page.driver.quit()


def transfer(folder, encodings):
    """Bytes the first visit transfers, once the program runs."""
    server = serve.start(folder, encodings=encodings)
    page = Page(driver.chromium())
    try:
        page.cdp("Network.enable")
        page.cdp("Network.setCacheDisabled", cacheDisabled=True)
        page.driver.get(f"http://127.0.0.1:{server.server_port}/")
        page.wait("the program running", lambda: page.driver.execute_script(
            "const m = window.bottinaro; return !!m && (m.running ? m.running() : !!m.calledRun)"), timeout=90)
        return page.driver.execute_script(TRANSFER)
    finally:
        page.driver.quit()
        server.shutdown()


def has_worker(folder):
    return os.path.exists(os.path.join(folder, "service_worker.js"))


def compare(sites):
    names = list(sites)
    servers = {name: serve.start(folder) for name, folder in sites.items()}
    urls = {name: f"http://127.0.0.1:{server.server_port}/" for name, server in servers.items()}
    kinds = [(label, network, running) for label, network in (("127.0.0.1", LOCAL), ("phone network", PHONE))
             for running in (False, True)]
    times = collections.defaultdict(list)
    phones = [name for name in names if has_worker(sites[name])]
    phone = collections.defaultdict(list)
    for _ in range(RUNS):
        for label, network, running in kinds:
            for name in names:
                times[(name, label, running)].append(load(urls[name], network, running))
        for name in phones:
            phone[name].append(phone_visits(urls[name]))
    for server in servers.values():
        server.shutdown()

    first = names[0]
    print("| main window on screen (median of %d) | %s |" % (RUNS, " | ".join(names)))
    print("|---|" + "---:|" * len(names))
    for label, _, running in kinds:
        medians = [statistics.median(times[(name, label, running)]) for name in names]
        row = [f"{m:.2f} s" + (f" ({100 * (1 - medians[0] / m):+.0f} % for {first})" if i else "")
               for i, m in enumerate(medians)]
        print(f"| {label}, {'running browser' if running else 'browser started for the load'} | "
              + " | ".join(row) + " |")
    for name in names:
        print(f"{name}: runs " + "; ".join(
            f"{label}/{'running' if running else 'new'} " + ", ".join(
                f"{v:.2f}" for v in times[(name, label, running)]) for label, _, running in kinds))

    print("| phone profile (median of %d) | main window | answer after the click | answer |" % RUNS)
    print("|---|---:|---:|---:|")
    for name in phones:
        columns = list(zip(*phone[name]))
        for label, part in (("first visit", columns[0:3]), ("repeat visit, from the service worker", columns[3:6])):
            print(f"| {name}, {label} | " + " | ".join(f"{statistics.median(c):.2f} s" for c in part) + " |")
        print(f"{name} phone runs (window, answer after the click, answer; first visit, then repeat): "
              + "; ".join(", ".join(f"{v:.2f}" for v in run) for run in phone[name]))

    print("| first visit's transfer | " + " | ".join(names) + " |")
    print("|---|" + "---:|" * len(names))
    for label, encodings in (("brotli", (("br", ".br"), ("gzip", ".gz"))), ("gzip", (("gzip", ".gz"),))):
        print(f"| {label} | " + " | ".join(
            f"{transfer(sites[name], encodings) / 1e6:.2f} MB" for name in names) + " |")


def trace(build_dir):
    """Where a visit's time goes, from Chromium's performance trace: a first
    visit and a repeat visit on the phone profile, each up to the frame with
    the main window."""
    site = os.path.join(build_dir, "site")
    server = serve.start(site)
    page = Page(driver.chromium(trace=True))
    try:
        page.cdp("Network.enable")
        page.cdp("Network.emulateNetworkConditions", **PHONE)
        page.cdp("Emulation.setCPUThrottlingRate", **PHONE_CPU)
        page.cdp("Page.addScriptToEvaluateOnNewDocument", source=PROBE)
        for visit in ("first", "repeat"):
            page.driver.get_log("performance")
            page.driver.get(f"http://127.0.0.1:{server.server_port}/")
            shown = page.wait("the main window", lambda: page.driver.execute_script(
                "return window.__firstFrame"), timeout=120)
            events = [json.loads(entry["message"])["message"] for entry in page.driver.get_log("performance")]
            summarize(visit, shown, events, page.driver.execute_script(
                "return performance.getEntriesByType('resource').concat(performance.getEntriesByType('navigation'))"
                ".map(e => [e.name.split('/').pop(), e.startTime, e.responseEnd])"))
            if visit == "first":
                page.wait("the service worker", lambda: page.driver.execute_script(
                    "return !!navigator.serviceWorker.controller"), timeout=120)
                page.cdp("Network.setCacheDisabled", cacheDisabled=True)
    finally:
        page.driver.quit()
        server.shutdown()


# What the page's main thread and the compiler's workers spend their time on.
BUCKETS = [
    ("main thread, every task", "CrRendererMain", lambda n: n in ("ThreadControllerImpl::RunTask", "RunTask")),
    ("main thread, compiling wasm functions on first call", "CrRendererMain", lambda n: n == "wasm.CompileLazy"),
    ("main thread, garbage collection", "CrRendererMain", lambda n: "GC" in n and n.startswith(("V8.", "Minor", "Major"))),
    ("main thread, style, layout and paint of the page", "CrRendererMain",
     lambda n: n in ("UpdateLayoutTree", "Layout", "PrePaint", "Paint", "Commit")),
    ("workers, compiling the module", "ThreadPoolForegroundWorker",
     lambda n: n in ("wasm.ExecuteCompilationUnits", "wasm.ValidateFunctionsStreaming")),
    ("workers, optimizing hot functions", "ThreadPoolForegroundWorker", lambda n: n == "wasm.TopTierCompilation"),
]


def summarize(visit, shown, events, resources):
    # chromedriver hands each trace event on as one message's parameters.
    trace_events = [m["params"] for m in events if m.get("method") == "Tracing.dataCollected"]
    threads = {(e["pid"], e["tid"]): e["args"]["name"] for e in trace_events
               if e.get("ph") == "M" and e.get("name") == "thread_name"}
    spent = collections.Counter()
    for event in trace_events:
        if event.get("ph") != "X" or "dur" not in event:
            continue
        thread = threads.get((event["pid"], event["tid"]))
        for label, where, chosen in BUCKETS:
            if thread == where and chosen(event["name"]):
                spent[label] += event["dur"] / 1000
    print(f"{visit} visit: main window at {shown:.0f} ms from navigation start")
    for name, start, end in sorted(resources, key=lambda r: r[1]):
        print(f"  {name or '(page)'}: requested at {start:.0f} ms, received by {end:.0f} ms")
    for label, _, _ in BUCKETS:
        print(f"  {label}: {spent[label]:.0f} ms")


def main():
    if sys.argv[1] == "--trace":
        trace(os.path.abspath(sys.argv[2]))
        return
    sites = {"this build": os.path.join(os.path.abspath(sys.argv[1]), "site")}
    for argument in sys.argv[2:]:
        name, _, folder = argument.partition("=")
        sites[name] = os.path.abspath(folder)
    compare(sites)


if __name__ == "__main__":
    main()
