# SPDX-License-Identifier: GPL-3.0-or-later
"""The page as an app, in headless Chromium: installable, with icons as
declared; kept by its service worker, it starts and calculates with its
server gone; a new build half copied to the host is refused, one copied
whole replaces the old one whole; and two copies of the page at two paths
of one site each keep working offline after the other has updated.

usage: check_offline.py BUILD_DIR"""

import glob
import json
import os
import shutil
import subprocess
import sys
import tempfile

from PIL import Image

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import driver  # noqa: E402
import serve  # noqa: E402
from driver import Page  # noqa: E402

SOURCE_DIR = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..")
CONTROLLED = "return !!navigator.serviceWorker.controller && window.bottinaro.running()"
CACHES = "caches.keys().then(arguments[arguments.length - 1])"
SETTLED = ("navigator.serviceWorker.getRegistration().then(r => "
           "arguments[0](!!r && !r.installing && !r.waiting))")
FETCH = ("fetch(arguments[0]).then(r => r.text().then(t => arguments[arguments.length - 1]("
         "[r.headers.get('Content-Type'), t.slice(-100)])))")
MARKER = "// another build"


def build_of(site):
    """The name of the site's build: its one folder."""
    return next(os.path.basename(d) for d in glob.glob(os.path.join(site, "*")) if os.path.isdir(d))


def another_build(site, work):
    """The same program with one line added to its bottinaro.js, gathered by
    the build's own script into a site of its own."""
    old = os.path.join(site, build_of(site))
    binary, qt = os.path.join(work, "binary"), os.path.join(work, "qt", "plugins", "platforms")
    os.makedirs(binary)
    os.makedirs(qt)
    for name in ("bottinaro.js", "bottinaro.wasm"):
        shutil.copy(os.path.join(old, name), binary)
    shutil.copy(os.path.join(old, "qtloader.js"), qt)
    with open(os.path.join(binary, "bottinaro.js"), "a") as f:
        f.write("\n" + MARKER + "\n")
    new = os.path.join(work, "new")
    subprocess.run(["cmake", f"-DSOURCE_DIR={SOURCE_DIR}", f"-DBINARY_DIR={binary}", f"-DSITE={new}",
                    f"-DQT_DIR={os.path.join(work, 'qt')}", "-P",
                    os.path.join(SOURCE_DIR, "cmake", "web_site.cmake")], check=True, stdout=subprocess.DEVNULL)
    return new


def installable(page, site):
    """Chromium's own verdict, and each icon against its declared size."""
    manifest = page.driver.execute_cdp_cmd("Page.getAppManifest", {})
    page.check("manifest errors", manifest["errors"], [])
    page.check("installability errors", page.driver.execute_cdp_cmd(
        "Page.getInstallabilityErrors", {})["installabilityErrors"], [])
    for icon in json.loads(manifest["data"])["icons"]:
        with Image.open(os.path.join(site, icon["src"])) as image:
            page.check(f"icon {icon['src']} size", "x".join(map(str, image.size)), icon["sizes"])
            if icon["purpose"] == "maskable":
                # Launchers may crop to the central circle of 80 %: nothing
                # but the opaque background outside it.
                pixels, (w, h) = image.convert("RGBA").load(), image.size
                page.check("maskable icon: pixels outside its safe zone unlike its corner", sum(
                    pixels[x, y] != pixels[0, 0] for y in range(h) for x in range(w)
                    if (x + 0.5 - w / 2) ** 2 + (y + 0.5 - h / 2) ** 2 > (0.4 * w) ** 2), 0)
                page.check("maskable icon background opaque", pixels[0, 0][3], 255)


def offline_and_update(page, site, work):
    root, empty = os.path.join(work, "root"), os.path.join(work, "empty")
    os.makedirs(empty)
    for copy in ("a", "b"):
        shutil.copytree(site, os.path.join(root, copy))
    new = another_build(site, work)
    old_build, new_build = build_of(site), build_of(new)
    page.check("a new build in a new folder", new_build != old_build, True)
    d = page.driver
    d.execute_cdp_cmd("Network.enable", {})  # only the service worker may keep files
    d.execute_cdp_cmd("Network.setCacheDisabled", {"cacheDisabled": True})
    requests = []
    server = serve.start(root, requests=requests)
    port = server.server_port

    def serving(folder):
        nonlocal server
        server.shutdown()
        server.server_close()
        requests.clear()
        server = serve.start(folder, port, requests=requests)

    def at(copy):
        return f"http://127.0.0.1:{port}/{copy}/"

    def caches(copy):
        return sorted(name.split(" ")[0] for name in d.execute_async_script(CACHES)
                      if name.endswith(" " + at(copy)))

    def runs(copy, build, what):
        d.get(at(copy))
        page.wait(f"{copy}/ running {what}", lambda: d.execute_script(driver.RUNNING), timeout=60)
        page.check(f"{copy}/ {what}: its build", d.execute_script(
            "return document.querySelector('script[src$=\"qtloader.js\"]').getAttribute('src')"),
            build + "/qtloader.js")

    try:
        d.get(at("a"))
        page.wait("the program running", lambda: d.execute_script(driver.RUNNING), timeout=60)
        installable(page, site)
        for copy in ("a", "b"):
            d.get(at(copy))
            page.wait(f"{copy}/ kept by its worker", lambda: d.execute_script(CONTROLLED), timeout=60)

        # Gone: the port answers nothing of the site, and logs what reaches it.
        serving(empty)
        runs("a", old_build, "offline")
        page.check("wasm's type from the cache",
                   d.execute_async_script(FETCH, old_build + "/bottinaro.wasm")[0], "application/wasm")
        page.calculate("100")
        page.control(page.result("100"), "text", "Anelli del Leone: 0")
        # The browser looks for a new worker; nothing else may leave the page.
        page.check("requests offline", {path for _, path in requests} - {"/a/service_worker.js"}, set())
        runs("b", old_build, "offline")

        # Half copied to a/: the new worker and page, the old program in the
        # new build's folder. The worker checks what it fetches, and refuses.
        half = os.path.join(work, "half")
        shutil.copytree(new, os.path.join(half, "a"))
        shutil.rmtree(os.path.join(half, "a", new_build))
        shutil.copytree(os.path.join(site, old_build), os.path.join(half, "a", new_build))
        serving(half)
        d.get(at("a"))
        page.wait("the half-copied build tried and refused", lambda: (
            f"/a/{new_build}/bottinaro.wasm" in {path for _, path in requests}
            and d.execute_async_script(SETTLED)), timeout=60)
        page.check("a/'s caches after a half-copied build", caches("a"), ["bottinaro-" + old_build])

        # a/ copied whole: the old build runs once more while the new one
        # installs, then the new one alone; b/ keeps its own.
        shutil.rmtree(os.path.join(root, "a"))
        shutil.copytree(new, os.path.join(root, "a"))
        serving(root)
        runs("a", old_build, "while the new build installs")
        page.wait("a/'s new build alone", lambda: caches("a") == ["bottinaro-" + new_build], timeout=30)
        page.check("b/'s cache after a/ updated", caches("b"), ["bottinaro-" + old_build])
        runs("a", new_build, "updated")
        page.check("bottinaro.js of the new build", MARKER in d.execute_async_script(
            FETCH, new_build + "/bottinaro.js")[1], True)
        serving(empty)
        runs("b", old_build, "offline after a/ updated")

        # Then b/ updates, and a/ still works offline.
        shutil.rmtree(os.path.join(root, "b"))
        shutil.copytree(new, os.path.join(root, "b"))
        serving(root)
        runs("b", old_build, "while its new build installs")
        page.wait("b/'s new build alone", lambda: caches("b") == ["bottinaro-" + new_build], timeout=30)
        serving(empty)
        runs("a", new_build, "offline after b/ updated")
        page.check("a/'s cache after b/ updated", caches("a"), ["bottinaro-" + new_build])
    finally:
        server.shutdown()
        server.server_close()


def main():
    site = os.path.join(os.path.abspath(sys.argv[1]), "site")
    work = tempfile.mkdtemp(prefix="bottinaro-offline-")
    page = Page(driver.chromium())
    try:
        offline_and_update(page, site, work)
    except Exception as error:  # noqa: BLE001 - reported with the rest
        page.failures.append(f"stopped: {type(error).__name__}: {error}")
    finally:
        page.driver.quit()
        shutil.rmtree(work)
    return driver.report("offline check", page.failures)


if __name__ == "__main__":
    sys.exit(main())
