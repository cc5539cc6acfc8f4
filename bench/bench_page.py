# SPDX-License-Identifier: GPL-3.0-or-later
"""Load benchmark of the page (not a test): this build's site and any
baseline sites side by side, in headless Chromium driven over its DevTools
protocol, each site served from 127.0.0.1 with its precompressed .br or .gz
copies as a static host would.

Per site: the first visit's transfer with brotli and with gzip only (every
response the server sent until the page was idle, the service worker's
included), the largest file and the largest .wasm module; and, RUNS times
each, site after site, the time from navigation start to "visually complete",
the first frame from which the screen stays the page's own settled picture:
  - a first visit over a phone network (9 Mbit/s down, 170 ms round trips);
  - the same with the processor slowed four times;
  - the visit after it, served by the service worker, still slowed four times.
Where the page marks "bottinaro-ready" (performance.mark) the mark's time is
given beside it. The frames are the screenshots of Chromium's own trace;
nothing here knows how a page is made. This machine being shared, each
browser starts once the cores are nearly idle (or after a minute).

usage: bench_page.py BUILD_DIR [NAME=SITE_DIR ...]   (BUILD_DIR/site is this build's)
       BENCH_RUNS=N to change the number of runs (default 5)"""

import base64
import functools
import http.server
import io
import json
import os
import shutil
import signal
import socket
import statistics
import struct
import subprocess
import sys
import tempfile
import threading
import time
import urllib.parse
import urllib.request

from PIL import Image, ImageChops

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "web"))
import serve as serve_py  # noqa: E402

RUNS = int(os.environ.get("BENCH_RUNS", "5"))
PHONE = {"offline": False, "latency": 170, "downloadThroughput": 9e6 / 8, "uploadThroughput": 2e6 / 8}
SLOWER = 4
MARK = "bottinaro-ready"
WINDOW = (1024, 768)
# A frame shows the settled picture when at most this share of its pixels
# differ from it by more than DIFFERENT in some channel: room for a blinking
# caret and the screenshots' JPEG noise, none for a page still arriving.
DIFFERENT = 32
TOLERANCE = 0.0005
QUIET = 3.0  # seconds without a request, and with the screen unchanged, that make a page idle
TIMEOUT = 120


# --- the sites, served ---------------------------------------------------------

class Counted:
    """A response stream that counts what goes through it."""

    def __init__(self, raw):
        self.raw, self.count = raw, 0

    def write(self, data):
        self.count += len(data)
        return self.raw.write(data)

    def __getattr__(self, name):
        return getattr(self.raw, name)


class Handler(serve_py.Handler):
    """The tests' static host, its connections kept open as a host's are,
    counting what each response sends."""
    protocol_version = "HTTP/1.1"

    def setup(self):
        super().setup()
        self.wfile = Counted(self.wfile)

    def handle_one_request(self):
        self.wfile.count = 0
        super().handle_one_request()
        if self.wfile.count:
            self.server.sent.append((time.monotonic(), urllib.parse.urlsplit(self.path).path, self.wfile.count))


def serve(folder, encodings=Handler.encodings):
    """FOLDER on 127.0.0.1 in a background thread; server.sent lists
    (time, path, bytes with headers) of each response."""
    handler = type("Handler", (Handler,), {"encodings": encodings})
    server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), functools.partial(handler, directory=folder))
    server.daemon_threads = True
    server.sent = []
    threading.Thread(target=server.serve_forever, daemon=True).start()
    return server


# --- the browser, over its DevTools protocol -------------------------------------

def cpu_times():
    fields = [int(v) for v in open("/proc/stat").readline().split()[1:]]
    return fields[3] + fields[4], sum(fields)  # idle and waiting for I/O, all


def calm(limit=60):
    """Waits, at most LIMIT seconds, until other work leaves the cores
    nearly idle (this machine is shared); returns how busy they were."""
    deadline = time.monotonic() + limit
    while True:
        idle, total = cpu_times()
        time.sleep(2)
        idle2, total2 = cpu_times()
        busy = 1 - (idle2 - idle) / max(1, total2 - total)
        if busy < 0.1 or time.monotonic() > deadline:
            calm.worst = max(calm.worst, busy)
            return busy


calm.worst = 0.0


class Browser:
    """Chromium started for one visit (or a visit and the next), with a fresh
    profile, and a DevTools connection to its page."""

    def __init__(self):
        calm()
        self.profile = tempfile.mkdtemp(prefix="bench-page-")
        self.process = subprocess.Popen(
            # Software compositing: with SwiftShader compositing, the trace's
            # screenshots cost the page over a second on two cores; WebGL
            # still runs on SwiftShader.
            ["/usr/bin/chromium", "--headless=new", "--no-sandbox", "--disable-dev-shm-usage", "--disable-gpu",
             "--use-angle=swiftshader", "--enable-unsafe-swiftshader", "--disable-gpu-sandbox",
             f"--window-size={WINDOW[0]},{WINDOW[1]}", "--force-device-scale-factor=1", "--lang=it",
             "--no-first-run", "--disable-background-networking", "--disable-component-update", "--disable-sync",
             "--remote-debugging-port=0", f"--user-data-dir={self.profile}", "about:blank"],
            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, start_new_session=True)
        port_file = os.path.join(self.profile, "DevToolsActivePort")
        deadline = time.monotonic() + 30
        while not (os.path.exists(port_file) and open(port_file).read().count("\n")):
            if time.monotonic() > deadline or self.process.poll() is not None:
                raise RuntimeError("Chromium did not start")
            time.sleep(0.05)
        port = int(open(port_file).read().split()[0])
        pages = json.load(urllib.request.urlopen(f"http://127.0.0.1:{port}/json/list"))
        self.version = json.load(urllib.request.urlopen(f"http://127.0.0.1:{port}/json/version"))["Browser"]
        self.socket = socket.create_connection(("127.0.0.1", port))
        self.file = self.socket.makefile("rb")
        path = urllib.parse.urlsplit(next(p for p in pages if p["type"] == "page")["webSocketDebuggerUrl"]).path
        key = base64.b64encode(os.urandom(16)).decode()
        self.socket.sendall(f"GET {path} HTTP/1.1\r\nHost: 127.0.0.1:{port}\r\nUpgrade: websocket\r\n"
                            f"Connection: Upgrade\r\nSec-WebSocket-Key: {key}\r\nSec-WebSocket-Version: 13\r\n\r\n"
                            .encode())
        while self.file.readline() not in (b"\r\n", b""):
            pass
        self.last = 0
        self.events = []
        self.send("Network.enable")
        self.send("Page.enable")

    def send(self, method, **params):
        """The result of one DevTools command; the events that came before it
        are kept in self.events."""
        self.last += 1
        data = json.dumps({"id": self.last, "method": method, "params": params}).encode()
        length = (bytes([0x80 | len(data)]) if len(data) < 126 else bytes([0x80 | 126]) + struct.pack(">H", len(data))
                  if len(data) < 65536 else bytes([0x80 | 127]) + struct.pack(">Q", len(data)))
        mask = os.urandom(4)
        self.socket.sendall(b"\x81" + length + mask + bytes(b ^ mask[i % 4] for i, b in enumerate(data)))
        while True:
            message = self._receive()
            if message.get("id") == self.last:
                if "error" in message:
                    raise RuntimeError(f"{method}: {message['error']}")
                return message["result"]
            self.events.append(message)

    def _receive(self):
        payload = b""
        while True:
            head = self.file.read(2)
            if len(head) < 2:
                raise RuntimeError("Chromium closed its DevTools connection")
            length = head[1] & 0x7F
            if length == 126:
                length = struct.unpack(">H", self.file.read(2))[0]
            elif length == 127:
                length = struct.unpack(">Q", self.file.read(8))[0]
            payload += self.file.read(length)
            if head[0] & 0x80:
                return json.loads(payload)

    def evaluate(self, expression):
        return self.send("Runtime.evaluate", expression=expression, awaitPromise=True,
                         returnByValue=True)["result"].get("value")

    def trace_start(self):
        self.send("Tracing.start", categories="-*,disabled-by-default-devtools.screenshot,blink.user_timing",
                  transferMode="ReturnAsStream")

    def trace_end(self):
        """The events traced since trace_start."""
        self.send("Tracing.end")
        while not (done := [e for e in self.events if e.get("method") == "Tracing.tracingComplete"]):
            self.events.append(self._receive())
        self.events = [e for e in self.events if e not in done]
        stream, data = done[0]["params"]["stream"], []
        while True:
            chunk = self.send("IO.read", handle=stream)
            data.append(base64.b64decode(chunk["data"]).decode() if chunk.get("base64Encoded") else chunk["data"])
            if chunk.get("eof"):
                break
        self.send("IO.close", handle=stream)
        trace = json.loads("".join(data))
        return trace["traceEvents"] if isinstance(trace, dict) else trace

    def close(self):
        """Ends the browser's own process group whole, then its profile: its
        helpers still write there once the browser itself has gone."""
        self.socket.close()
        deadline = time.monotonic() + 10
        try:
            os.killpg(self.process.pid, signal.SIGTERM)
            while True:
                self.process.poll()
                os.killpg(self.process.pid, 0)
                if time.monotonic() > deadline:
                    os.killpg(self.process.pid, signal.SIGKILL)
                time.sleep(0.1)
        except ProcessLookupError:
            pass
        shutil.rmtree(self.profile, ignore_errors=True)


# --- one visit ---------------------------------------------------------------------

def picture(frame):
    return Image.open(io.BytesIO(base64.b64decode(frame["args"]["snapshot"]))).convert("RGB")


def shown_at(frame):
    # When the frame was due on screen; it is traced once captured, later.
    return frame["args"].get("expected_display_time", frame["ts"])


def same(a, b):
    if a.size != b.size:
        return False
    worst = functools.reduce(ImageChops.lighter, ImageChops.difference(a, b).split())
    return sum(worst.histogram()[DIFFERENT + 1:]) <= TOLERANCE * a.width * a.height


def wait_idle(browser, url, also=lambda: True):
    """Until URL has loaded, nothing has gone through its network for QUIET
    seconds and ALSO holds."""
    started = quiet = time.monotonic()
    pending = set()
    while True:
        time.sleep(0.25)
        loaded = browser.evaluate(f"document.readyState === 'complete' && location.href === {json.dumps(url)}")
        events, browser.events = browser.events, []
        for event in events:
            method, params = event.get("method", ""), event.get("params", {})
            if method == "Network.requestWillBeSent":
                pending.add(params["requestId"])
            elif method in ("Network.loadingFinished", "Network.loadingFailed"):
                pending.discard(params["requestId"])
            if method.startswith("Network."):
                quiet = time.monotonic()
        if loaded and not pending and time.monotonic() - quiet >= QUIET and also():
            return
        if time.monotonic() - started > TIMEOUT:
            raise RuntimeError(f"{url} was not idle within {TIMEOUT} s")


def visit(browser, url):
    """Seconds from navigation start to visually complete, and to the page's
    mark (None without one), in one visit watched until idle and settled."""
    browser.events = []
    browser.trace_start()
    browser.send("Page.navigate", url=url)
    frames, navigation, started = [], None, time.monotonic()
    while True:
        wait_idle(browser, url)
        now = browser.evaluate("performance.now()")
        events = browser.trace_end()
        if navigation is None:
            # The trace's clock is in microseconds; this navigation's start
            # is the page's time 0 (other frames start navigations of their own).
            start = max((e for e in events if e.get("name") == "navigationStart"
                         and e["args"].get("data", {}).get("documentLoaderURL") == url), key=lambda e: e["ts"])
            navigation = start["ts"]
            # Until the commit the screen is the previous page's, which a
            # return visit would match.
            commit = min((e["ts"] for e in events if e.get("name") == "commitNavigationEnd"
                          and e["args"].get("frame") == start["args"].get("frame") and e["ts"] >= navigation),
                         default=navigation)
        frames += [e for e in events if e.get("name") == "Screenshot" and shown_at(e) > commit]
        if frames:
            final = picture(frames[-1])
            if all(same(picture(f), final) for f in frames if shown_at(f) >= navigation + (now - QUIET * 1000) * 1000):
                break
        if time.monotonic() - started > TIMEOUT:
            raise RuntimeError(f"{url} did not settle within {TIMEOUT} s")
        browser.trace_start()  # still changing: watch on
    complete = frames[-1]
    for frame in reversed(frames):
        if not same(picture(frame), final):
            break
        complete = frame
    mark = browser.evaluate(f"performance.getEntriesByName({json.dumps(MARK)}, 'mark').map(m => m.startTime)[0]")
    return (shown_at(complete) - navigation) / 1e6, None if mark is None else mark / 1000


WORKER_READY = """navigator.serviceWorker.getRegistration().then(r => r && Promise.race([
  navigator.serviceWorker.ready.then(() => true), new Promise(done => setTimeout(() => done(false), 60000))]))"""


def first_visit(url, slower):
    browser = Browser()
    try:
        browser.send("Network.emulateNetworkConditions", **PHONE)
        if slower:
            browser.send("Emulation.setCPUThrottlingRate", rate=SLOWER)
        return [visit(browser, url)]
    finally:
        browser.close()


def visit_and_return(url):
    """The first visit slowed, then the next, from the service worker when
    the page has one (else None)."""
    browser = Browser()
    try:
        browser.send("Network.emulateNetworkConditions", **PHONE)
        browser.send("Emulation.setCPUThrottlingRate", rate=SLOWER)
        first = visit(browser, url)
        if not browser.evaluate(WORKER_READY):
            return [first, None]
        # Nothing from the browser's own cache: what the worker keeps.
        browser.send("Network.setCacheDisabled", cacheDisabled=True)
        again = visit(browser, url)
        if not browser.evaluate("!!navigator.serviceWorker.controller"):
            raise RuntimeError(f"{url}: the return visit was not served by the service worker")
        return [first, again]
    finally:
        browser.close()


def transfer(folder, encodings):
    """(path, bytes) of every response of a first visit, unthrottled, until
    the page and its service worker are idle; the browser's version."""
    server = serve(folder, encodings)
    browser = Browser()
    url = f"http://127.0.0.1:{server.server_port}/"
    try:
        browser.send("Page.navigate", url=url)
        wait_idle(browser, url, lambda: browser.evaluate(WORKER_READY) is not False
                  and time.monotonic() - max((t for t, _, _ in server.sent), default=0) >= QUIET)
        return [(path, size) for _, path, size in server.sent], browser.version
    finally:
        browser.close()
        server.shutdown()


# --- the comparison -------------------------------------------------------------------

CASES = ("visually complete, first visit, 9 Mbit/s and 170 ms round trips",
         f"the same, the processor {SLOWER}× slower",
         f"return visit from the service worker, {SLOWER}× slower")


def megabytes(size):
    return f"{size / 1e3:.1f} kB" if size < 1e6 else f"{size / 1e6:.2f} MB"


def compare(sites):
    names, begun = list(sites), time.gmtime()
    rows = {}
    for name, folder in sites.items():
        row = []
        for label, encodings in (("brotli", (("br", ".br"), ("gzip", ".gz"))), ("gzip only", (("gzip", ".gz"),))):
            sent, version = transfer(folder, encodings)
            row.append(f"{megabytes(sum(s for _, s in sent))} in {len(sent)} requests")
            if label == "brotli":
                biggest = max(sent, key=lambda r: r[1])
                modules = [r for r in sent if r[0].endswith(".wasm")]
        row.append(f"{biggest[0].lstrip('/')}, {megabytes(biggest[1])}")
        if modules:
            module = max(modules, key=lambda r: r[1])
            raw = os.path.getsize(os.path.join(folder, module[0].lstrip("/")))
            row.append(f"{os.path.basename(module[0])}, {megabytes(module[1])} ({megabytes(raw)} unpacked)")
        else:
            row.append("none")
        rows[name] = row

    servers = {name: serve(folder) for name, folder in sites.items()}
    runs = {name: [[] for _ in CASES] for name in names}
    for _ in range(RUNS):
        for name in names:
            url = f"http://127.0.0.1:{servers[name].server_port}/"
            for case, result in enumerate(first_visit(url, False) + visit_and_return(url)):
                runs[name][case].append(result)
    for server in servers.values():
        server.shutdown()

    print(f"{version}, {time.strftime('%Y-%m-%d %H:%M', begun)} UTC; the cores were at most "
          f"{100 * calm.worst:.0f} % busy with other work as a browser started")
    labels = ("first visit's transfer, brotli", "first visit's transfer, gzip only",
              "largest file (brotli)", "largest module (brotli)")
    print(f"| median of {RUNS} | " + " | ".join(names) + " |")
    print("|---|" + "---:|" * len(names))
    for i, label in enumerate(labels):
        print(f"| {label} | " + " | ".join(rows[name][i] for name in names) + " |")
    for case, label in enumerate(CASES):
        print(f"| {label} | " + " | ".join(median(runs[name][case]) for name in names) + " |")
    for name in names:
        print(f"{name}, runs (visually complete s / {MARK} s): " + "; ".join(
            f"{label}: " + ", ".join(
                "no worker" if r is None else f"{r[0]:.2f}" + ("" if r[1] is None else f"/{r[1]:.2f}")
                for r in runs[name][case]) for case, label in enumerate(("first", "slower", "return"))))


def median(results):
    if any(r is None for r in results):
        return "no service worker"
    text = f"{statistics.median(r[0] for r in results):.2f} s"
    marks = [r[1] for r in results if r[1] is not None]
    if marks:
        text += f" (ready at {statistics.median(marks):.2f} s" + (
            "" if len(marks) == len(results) else f", marked in {len(marks)} of {len(results)}") + ")"
    return text


def main():
    if len(sys.argv) < 2 or sys.argv[1].startswith("-"):
        sys.exit(__doc__)
    sites = {"this build": os.path.join(os.path.abspath(sys.argv[1]), "site")}
    for argument in sys.argv[2:]:
        name, _, folder = argument.partition("=")
        sites[name] = os.path.abspath(folder)
    compare(sites)


if __name__ == "__main__":
    main()
