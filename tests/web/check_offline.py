# SPDX-License-Identifier: GPL-3.0-or-later
"""The page as an app, in headless Chromium: Chromium finds the page players
load installable and its manifest and icons are as declared; the checked
copy, once its service worker holds it, starts and calculates with its
server gone; a new build half copied to the host is refused, and one served
whole replaces the old one whole.

Called by check_page.py: run(BUILD_DIR) returns the failures."""

import json
import os
import re
import shutil
import subprocess
import tempfile

from PIL import Image

import browser
import serve
from check_page import Failure, Page

SOURCE_DIR = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..")
RUNNING = "return !!(window.bottinaro && window.bottinaro.calledRun)"
CONTROLLED = "return !!navigator.serviceWorker.controller && " + RUNNING[len("return "):]
CACHES = "caches.keys().then(arguments[arguments.length - 1])"
SETTLED = ("navigator.serviceWorker.getRegistration().then(r => "
           "arguments[0](!r.installing && !r.waiting))")
FETCH = ("fetch(arguments[0]).then(r => r.text().then(t => arguments[arguments.length - 1]("
         "[r.headers.get('Content-Type'), t.length, t.slice(-100)])))")
MARKER = "// another build"
ICONS = [("any", "192x192", (192, 192)), ("any", "512x512", (512, 512)),
         ("maskable", "512x512", (512, 512))]


def cache_name(site):
    with open(os.path.join(site, "service_worker.js")) as f:
        return re.search(r'const CACHE = "(bottinaro-[0-9a-f]{16})"', f.read()).group(1)


def installable(page, site, _work):
    """The manifest, its icons, and what Chromium says of the page served."""
    with open(os.path.join(site, "manifest.webmanifest")) as f:
        manifest = json.load(f)
    for field, expected in (("lang", "it"), ("start_url", "./"), ("scope", "./"),
                            ("display", "standalone"), ("background_color", "#d4d0c8")):
        page.check(f"manifest {field}", manifest.get(field), expected)
    icons = []
    for icon in manifest["icons"]:
        with Image.open(os.path.join(site, icon["src"])) as image:
            icons.append((icon["purpose"], icon["sizes"], image.size))
            if icon["purpose"] == "maskable":
                # Launchers may crop to the central circle of 80 %: nothing
                # but the opaque background outside it.
                pixels, (w, h) = image.convert("RGBA").load(), image.size
                page.check("maskable icon: pixels outside its safe zone unlike its corner", sum(
                    pixels[x, y] != pixels[0, 0] for y in range(h) for x in range(w)
                    if (x + 0.5 - w / 2) ** 2 + (y + 0.5 - h / 2) ** 2 > (0.4 * w) ** 2), 0)
                page.check("maskable icon background opaque", pixels[0, 0][3], 255)
    page.check("manifest icons (purpose, sizes, pixels)", icons, ICONS)
    server = serve.start(site)
    try:
        page.driver.get(f"http://127.0.0.1:{server.server_port}/")
        page.wait("the program running", lambda: page.driver.execute_script(RUNNING), timeout=60)
        page.check("manifest errors", page.driver.execute_cdp_cmd("Page.getAppManifest", {})["errors"], [])
        page.check("installability errors", page.driver.execute_cdp_cmd(
            "Page.getInstallabilityErrors", {})["installabilityErrors"], [])
    finally:
        server.shutdown()
        server.server_close()


def offline_and_update(page, site, work):
    driver = page.driver
    driver.execute_cdp_cmd("Network.enable", {})  # only the service worker may keep files
    driver.execute_cdp_cmd("Network.setCacheDisabled", {"cacheDisabled": True})
    server = serve.start(site)
    port = server.server_port
    url = f"http://127.0.0.1:{port}/"
    driver.get(url)
    page.wait("the service worker in control", lambda: driver.execute_script(CONTROLLED), timeout=60)
    server.shutdown()
    server.server_close()

    # Gone: the port answers nothing of the site, and logs what reaches it.
    requests = []
    server = serve.start(os.path.join(work, "empty"), port, requests=requests)
    driver.get(url)
    page.wait("the program running offline", lambda: driver.execute_script(RUNNING), timeout=60)
    page.check("wasm's type from the cache",
               driver.execute_async_script(FETCH, "bottinaro.wasm")[0], "application/wasm")
    page.calculate("100")
    main = page.wait("the result of 100 offline", lambda: (m := page.window("Form1")) and page.control(
        m, "RestoScalpi")["text"] == "-650" and m)
    page.check("LabelAnelli after 100 offline", page.control(main, "LabelAnelli")["text"],
               "Anelli del Leone: 0")
    # The browser looks for a new worker; nothing else may leave the page.
    page.check("requests offline", {path for _, path in requests} - {"/service_worker.js"}, set())
    server.shutdown()
    server.server_close()

    # Another build, its worker written by the build's own script.
    new_site = os.path.join(work, "site")
    shutil.copytree(site, new_site)
    with open(os.path.join(new_site, "bottinaro.js"), "a") as f:
        f.write("\n" + MARKER + "\n")
    for suffix in (".br", ".gz"):
        os.remove(os.path.join(new_site, "bottinaro.js" + suffix))
    subprocess.run(["cmake", f"-DSOURCE_DIR={SOURCE_DIR}", f"-DSITE={new_site}", "-P",
                    os.path.join(SOURCE_DIR, "cmake", "web_worker.cmake")], check=True)
    old_cache, new_cache = cache_name(site), cache_name(new_site)
    page.check("a new cache for a new build", new_cache != old_cache, True)
    # Half copied to the host: the new worker, the old files. Not installed.
    half_site = os.path.join(work, "half")
    shutil.copytree(site, half_site)
    shutil.copy(os.path.join(new_site, "service_worker.js"), half_site)
    requests.clear()
    server = serve.start(half_site, port, requests=requests)
    driver.get(url)
    page.wait("the half-copied build tried and refused", lambda: (
        "/bottinaro.wasm" in {path for _, path in requests}
        and driver.execute_async_script(SETTLED)), timeout=60)
    page.check("caches after a half-copied build", driver.execute_async_script(CACHES), [old_cache])
    server.shutdown()
    server.server_close()

    server = serve.start(new_site, port)
    try:
        driver.get(url)  # the old build, while the new one installs
        page.wait("the old build running", lambda: driver.execute_script(RUNNING), timeout=60)
        try:
            page.wait("the new build's cache alone", lambda: driver.execute_async_script(
                CACHES) == [new_cache], timeout=30)
        except Failure as failure:
            page.failures.append(f"{failure}: {driver.execute_async_script(CACHES)}, "
                                 f"old {old_cache}, new {new_cache}")
        driver.get(url)
        page.wait("the new build running", lambda: driver.execute_script(RUNNING), timeout=60)
        page.check("bottinaro.js of the new build", MARKER in driver.execute_async_script(
            FETCH, "bottinaro.js")[2], True)
        page.check("the new build's windows", page.window("Form1")["title"], "Bottinaro")
    finally:
        server.shutdown()
        server.server_close()


def run(build_dir):
    page = Page(None, None, None)
    work = tempfile.mkdtemp(prefix="bottinaro-offline-")
    os.mkdir(os.path.join(work, "empty"))
    try:
        for step, site in ((installable, os.path.join(build_dir, "site")),
                           (offline_and_update, os.path.join(build_dir, "checked", "site"))):
            page.driver = browser.start()
            try:
                step(page, site, work)
            except Exception as error:  # noqa: BLE001 - reported with the rest
                page.failures.append(f"{step.__name__} stopped: {type(error).__name__}: {error}")
            finally:
                page.driver.quit()
    finally:
        shutil.rmtree(work)
    return page.failures
