# SPDX-License-Identifier: GPL-3.0-or-later
"""A lean pass of the page in the other engines its players use, each on a
private X display: Firefox ESR (Gecko, through Marionette) and WebKitGTK's
MiniBrowser (WebKit, the engine of Safari on every iPhone, through
WebKitWebDriver). The page loads; 100 by mouse and keys; the summary; 800
and its alert; and a reload with the server gone, from the service worker.

usage: check_engines.py BUILD_DIR"""

import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import driver  # noqa: E402
import serve  # noqa: E402
from driver import Page  # noqa: E402

CONTROLLED = "return !!(navigator.serviceWorker && navigator.serviceWorker.controller)"


def lean(page, site, empty):
    server = serve.start(site)
    port = server.server_port
    try:
        page.driver.get(f"http://127.0.0.1:{port}/")
        page.wait("the main window", page.main, timeout=120)
        page.calculate("100")
        page.control(page.result("100"), "text", "Anelli del Leone: 0")
        page.press("Riepilogo")
        summary = page.modal("Riepilogo")
        page.check("summary counts", [c["name"].split()[-1] for c in summary["controls"] if c["role"] == "text"],
                   ["100", "20", "4", "1", "0"])
        page.click(page.control(summary, "button", "Chiudi")["rect"])
        page.gone("Riepilogo")
        page.calculate("800")
        alert = page.modal("Errore 380")
        page.check("the error box", alert["role"], "alertdialog")
        page.click(page.control(alert, "button", "OK")["rect"])
        page.gone("Errore 380")
        page.keys_reach_main("the error box closed")
        page.wait("the service worker in control", lambda: page.driver.execute_script(CONTROLLED), timeout=60)
    finally:
        server.shutdown()
        server.server_close()
    server = serve.start(empty, port)
    try:
        page.driver.get(f"http://127.0.0.1:{port}/")
        page.wait("the program running offline", page.running, timeout=120)
        page.calculate("100")
        page.result("100")
    finally:
        server.shutdown()
        server.server_close()


def main():
    build_dir = os.path.abspath(sys.argv[1])
    empty = os.path.join(build_dir, "empty-site")
    os.makedirs(empty, exist_ok=True)
    display, xvfb = driver.xvfb()
    failures = []
    try:
        for name, start in (("Firefox", driver.Firefox), ("WebKitGTK", driver.webkit)):
            page = None
            try:
                page = Page(start(display))
                lean(page, os.path.join(build_dir, "site"), empty)
            except Exception as error:  # noqa: BLE001 - reported below
                failures.append(f"{name} stopped: {type(error).__name__}: {error}")
            finally:
                if page:
                    failures += [f"{name}: {failure}" for failure in page.failures]
                    page.driver.quit()
            print(f"{name}:", "FAILED" if any(f.startswith(name) for f in failures) else "passed")
    finally:
        xvfb.terminate()
    return driver.report("other engines", failures)


if __name__ == "__main__":
    sys.exit(main())
