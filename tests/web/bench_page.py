"""Load benchmark of the page (not a test): medians of five loads in headless
Chromium from 127.0.0.1, with the precompressed files served. Each load is
cold twice over: in a browser started for it (which adds the browser's own
first-page costs), and in a browser already running (it has shown a WebGL
page of another site) with its cache off, as when a player opens the page in
the browser they have open.

  first frame     navigation start to the first animation frame with the
                  main window shown
  first answer    navigation start to the frame showing the result of 100,
                  typed and calculated through WebDriver as soon as the
                  main window is there
  renderer memory resident set of the page's renderer process after the answer

usage: bench_page.py BUILD_DIR"""

import gzip
import json
import os
import statistics
import subprocess
import sys
import time

from selenium.webdriver.common.action_chains import ActionChains
from selenium.webdriver.common.actions.action_builder import ActionBuilder

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import browser  # noqa: E402
import serve  # noqa: E402

RUNS = 5
PROBE = """
(function () {
  function state() {
    const m = window.bottinaro;
    return m && m._bottinaro_state ? JSON.parse(m.UTF16ToString(m._bottinaro_state())) : null;
  }
  function frame() {
    try {
      const s = state();
      const main = s && s.windows.find(w => w.name === "Form1");
      if (main && window.__firstFrame === undefined)
        window.__firstFrame = performance.now();
      const rest = main && main.controls.find(c => c.name === "RestoScalpi");
      if (rest && rest.text === "-650") {
        window.__answered = performance.now();
        return;
      }
    } catch (e) {}
    requestAnimationFrame(frame);
  }
  requestAnimationFrame(frame);
})();
"""


def renderer_rss_kib(driver):
    """The largest resident set among the browser's renderer processes."""
    root = driver.service.process.pid
    out = subprocess.run(["ps", "-eo", "pid,ppid,rss,args"], capture_output=True, text=True).stdout
    rows = [line.split(None, 3) for line in out.splitlines()[1:]]
    children = {}
    for pid, ppid, rss, args in rows:
        children.setdefault(int(ppid), []).append((int(pid), int(rss), args))
    best, stack = 0, [root]
    while stack:
        for pid, rss, args in children.get(stack.pop(), []):
            if "--type=renderer" in args and "--extension-process" not in args:
                best = max(best, rss)
            stack.append(pid)
    return best


def one_run(url, driver=None):
    """A load in the running browser DRIVER, or else in one started for it."""
    own = driver is None
    if own:
        driver = browser.start()
        driver.execute_cdp_cmd("Page.addScriptToEvaluateOnNewDocument", {"source": PROBE})
    try:
        driver.get(url)
        deadline = time.monotonic() + 60
        while driver.execute_script("return window.__firstFrame") is None:
            if time.monotonic() > deadline:
                raise RuntimeError("no first frame")
            time.sleep(0.02)
        state = json.loads(driver.execute_script(
            "return window.bottinaro.UTF16ToString(window.bottinaro._bottinaro_state())"))
        main = next(w for w in state["windows"] if w["name"] == "Form1")
        rects = {c["name"]: c["rect"] for c in main["controls"]}

        def click(name):
            x, y, w, h = rects[name]
            actions = ActionBuilder(driver)
            actions.pointer_action.move_to_location(x + w // 2, y + h // 2)
            actions.pointer_action.click()
            actions.perform()

        click("Text1")
        ActionChains(driver).send_keys("100").perform()
        click("Command1")
        while driver.execute_script("return window.__answered") is None:
            if time.monotonic() > deadline:
                raise RuntimeError("no answer")
            time.sleep(0.02)
        first, answered = driver.execute_script("return [window.__firstFrame, window.__answered]")
        return first / 1000, answered / 1000, renderer_rss_kib(driver) / 1024
    finally:
        if own:
            driver.quit()


# A page of another site that draws with WebGL: it starts the browser's
# renderer and graphics processes without loading any of the program.
WARM_UP = ("data:text/html,<canvas id=c></canvas>"
           "<script>document.getElementById('c').getContext('webgl2')</script>")


def running_browser_run(url):
    driver = browser.start()
    try:
        driver.execute_cdp_cmd("Network.enable", {})
        driver.execute_cdp_cmd("Network.setCacheDisabled", {"cacheDisabled": True})
        driver.get(WARM_UP)
        time.sleep(1)
        driver.execute_cdp_cmd("Page.addScriptToEvaluateOnNewDocument", {"source": PROBE})
        return one_run(url, driver)
    finally:
        driver.quit()


def print_times(title, runs):
    print(title)
    for index, column in enumerate(("first frame", "first answer")):
        values = [run[index] for run in runs]
        print(f"  {column}: median {statistics.median(values):.2f} s "
              f"(runs: {', '.join(f'{v:.2f}' for v in values)})")


def main():
    build_dir = os.path.abspath(sys.argv[1])
    site = os.path.join(build_dir, "site")
    server = serve.start(site)
    url = f"http://127.0.0.1:{server.server_port}/"
    runs = [one_run(url) for _ in range(RUNS)]
    warm = [running_browser_run(url) for _ in range(RUNS)]
    server.shutdown()
    wasm = os.path.join(site, "bottinaro.wasm")
    transfer = sum(os.path.getsize(os.path.join(site, name + ".gz"))
                   if os.path.exists(os.path.join(site, name + ".gz"))
                   else os.path.getsize(os.path.join(site, name))
                   for name in ("index.html", "qtloader.js", "bottinaro.js", "bottinaro.wasm"))
    print_times("in a browser started for each load:", runs)
    print_times("in a running browser, cache off:", warm)
    memory = [run[2] for run in runs]
    print(f"renderer memory: median {statistics.median(memory):.0f} MiB "
          f"(runs: {', '.join(f'{v:.0f}' for v in memory)})")
    print(f"bottinaro.wasm: {os.path.getsize(wasm) / 1e6:.2f} MB, "
          f"{len(gzip.compress(open(wasm, 'rb').read(), 9)) / 1e6:.2f} MB gzipped; "
          f"page transfer with gzip: {transfer / 1e6:.2f} MB")


if __name__ == "__main__":
    main()
