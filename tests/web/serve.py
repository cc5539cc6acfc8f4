"""Serves a folder on 127.0.0.1, answering with the precompressed .gz copy of
a file when there is one and the browser accepts gzip, as a static host would."""

import functools
import http.server
import os
import sys
import threading


class Handler(http.server.SimpleHTTPRequestHandler):
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
        if "gzip" in self.headers.get("Accept-Encoding", "") and os.path.isfile(path + ".gz"):
            self.send_response(200)
            self.send_header("Content-Type", self.guess_type(path))
            self.send_header("Content-Encoding", "gzip")
            self.send_header("Content-Length", str(os.path.getsize(path + ".gz")))
            self.end_headers()
            return open(path + ".gz", "rb")
        return super().send_head()

    def log_message(self, *args):
        pass


def start(folder, port=0):
    """Serves folder in a background thread; returns the server (its port is
    server.server_port)."""
    server = http.server.ThreadingHTTPServer(
        ("127.0.0.1", port), functools.partial(Handler, directory=folder))
    threading.Thread(target=server.serve_forever, daemon=True).start()
    return server


if __name__ == "__main__":
    server = http.server.ThreadingHTTPServer(
        ("127.0.0.1", int(sys.argv[2])), functools.partial(Handler, directory=sys.argv[1]))
    try:
        server.serve_forever()
    except KeyboardInterrupt:
        pass
