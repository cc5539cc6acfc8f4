# SPDX-License-Identifier: GPL-3.0-or-later
"""Serves a folder on 127.0.0.1, answering with the precompressed .br or .gz
copy of a file when there is one and the browser accepts it (brotli first),
as a static host would."""

import functools
import http.server
import os
import sys
import threading
import time


class Handler(http.server.SimpleHTTPRequestHandler):
    encodings = (("br", ".br"), ("gzip", ".gz"))
    extensions_map = {
        **http.server.SimpleHTTPRequestHandler.extensions_map,
        ".wasm": "application/wasm",
        ".js": "text/javascript",
        ".html": "text/html; charset=utf-8",
    }

    def send_head(self):
        path = self.translate_path(self.path)
        if os.path.isdir(path):
            path = os.path.join(path, "index.html")
        accepted = [e.split(";")[0].strip() for e in self.headers.get("Accept-Encoding", "").split(",")]
        for encoding, suffix in self.encodings:
            if encoding in accepted and os.path.isfile(path + suffix):
                self.send_response(200)
                self.send_header("Content-Type", self.guess_type(path))
                self.send_header("Content-Encoding", encoding)
                self.send_header("Content-Length", str(os.path.getsize(path + suffix)))
                self.send_header("Vary", "Accept-Encoding")
                self.end_headers()
                return open(path + suffix, "rb")
        return super().send_head()

    requests = None

    def log_request(self, *args):
        if self.requests is not None:
            self.requests.append((time.monotonic(), self.path))

    def log_message(self, *args):
        pass


def start(folder, port=0, encodings=Handler.encodings, requests=None):
    """Serves folder in a background thread, sending the precompressed copies
    of ENCODINGS and appending (time.monotonic(), path) of each request to the
    list REQUESTS if given; returns the server (its port is server.server_port)."""
    handler = type("Handler", (Handler,), {"encodings": encodings, "requests": requests})
    server = http.server.ThreadingHTTPServer(
        ("127.0.0.1", port), functools.partial(handler, directory=folder))
    threading.Thread(target=server.serve_forever, daemon=True).start()
    return server


if __name__ == "__main__":
    server = http.server.ThreadingHTTPServer(
        ("127.0.0.1", int(sys.argv[2])), functools.partial(Handler, directory=sys.argv[1]))
    try:
        server.serve_forever()
    except KeyboardInterrupt:
        pass
