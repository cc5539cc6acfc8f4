# SPDX-License-Identifier: GPL-3.0-or-later
"""Serves a folder on 127.0.0.1 as a static host would: the precompressed
.br or .gz copy of a file when there is one and the browser accepts it
(brotli first), Last-Modified and a 304 to a browser that holds the file.

usage: serve.py FOLDER PORT"""

import functools
import http.server
import os
import sys
import threading
import time


class Handler(http.server.SimpleHTTPRequestHandler):
    encodings = (("br", ".br"), ("gzip", ".gz"))
    extensions_map = {**http.server.SimpleHTTPRequestHandler.extensions_map, ".wasm": "application/wasm",
                      ".js": "text/javascript", ".html": "text/html; charset=utf-8",
                      ".webmanifest": "application/manifest+json", ".woff2": "font/woff2"}
    requests = None

    def send_head(self):
        path = self.translate_path(self.path)
        if os.path.isdir(path) and self.path.split("?")[0].endswith("/"):
            path = os.path.join(path, "index.html")
        if not os.path.isfile(path):
            return super().send_head()  # a folder's redirect, or 404
        accepted = [e.split(";")[0].strip() for e in self.headers.get("Accept-Encoding", "").split(",")]
        encoding, suffix = next(((e, s) for e, s in self.encodings if e in accepted and os.path.isfile(path + s)),
                                (None, ""))
        modified = self.date_time_string(int(os.path.getmtime(path + suffix)))
        if self.headers.get("If-Modified-Since") == modified:
            self.send_response(304)
            self.end_headers()
            return None
        self.send_response(200)
        self.send_header("Content-Type", self.guess_type(path))
        if encoding:
            self.send_header("Content-Encoding", encoding)
        self.send_header("Content-Length", str(os.path.getsize(path + suffix)))
        self.send_header("Last-Modified", modified)
        self.send_header("Vary", "Accept-Encoding")
        self.end_headers()
        return open(path + suffix, "rb")

    def list_directory(self, path):
        self.send_error(404)  # as a static host: a folder without index.html is not there

    def log_request(self, code="-", size="-"):
        if self.requests is not None:
            self.requests.append((time.monotonic(), self.path, int(code)))

    def log_message(self, *args):
        pass


def start(folder, port=0, requests=None):
    """Serves FOLDER in a background thread, appending (time.monotonic(),
    path, status) of each request to the list REQUESTS if given; returns the
    server (its port is server.server_port; server.stop() ends it)."""
    handler = type("Handler", (Handler,), {"requests": requests})
    server = http.server.ThreadingHTTPServer(("127.0.0.1", port), functools.partial(handler, directory=folder))
    server.daemon_threads = True
    threading.Thread(target=server.serve_forever, daemon=True).start()
    server.stop = lambda: (server.shutdown(), server.server_close())
    return server


if __name__ == "__main__":
    server = http.server.ThreadingHTTPServer(
        ("127.0.0.1", int(sys.argv[2])), functools.partial(Handler, directory=sys.argv[1]))
    try:
        server.serve_forever()
    except KeyboardInterrupt:
        pass
