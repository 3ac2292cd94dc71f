#!/usr/bin/env python3
"""Serves the web edition's folder as a game portal would, on Python's own
http.server: the Brotli or gzip copy the browser accepts, the right types,
a year's cache for the files named after their contents and a fresh check of
the page, its manifest and its service worker on every visit; nothing
outside the folder.

    serve_web.py DIRECTORY [--port N] [--bind ADDRESS]
"""
import argparse
import email.utils
import http.server
import os
import re
import sys
import urllib.parse

TYPES = {
    ".html": "text/html; charset=utf-8", ".js": "text/javascript; charset=utf-8",
    ".css": "text/css; charset=utf-8", ".json": "application/json", ".map": "application/json",
    ".webmanifest": "application/manifest+json", ".wasm": "application/wasm",
    ".webp": "image/webp", ".png": "image/png", ".mp3": "audio/mpeg", ".wav": "audio/wav",
    ".txt": "text/plain; charset=utf-8",
}
# Written by ship_web.py: NAME.DIGEST.KIND (and its source map).
HASHED = re.compile(r"\.[0-9a-f]{10}\.[a-z0-9]+(\.map)?$")
IMMUTABLE = "public, max-age=31536000, immutable"
# Copies the build writes beside a file, best first.
ENCODINGS = (("br", ".br"), ("gzip", ".gz"))


def accepted(header):
    """The content codings an Accept-Encoding header allows (q above 0)."""
    allowed = set()
    for part in (header or "").split(","):
        name, _, params = part.strip().partition(";")
        quality = 1.0
        match = re.search(r"q\s*=\s*([0-9.]+)", params)
        if match:
            try:
                quality = float(match.group(1))
            except ValueError:
                quality = 0.0
        if name and quality > 0:
            allowed.add(name.strip().lower())
    return allowed


def inside(root, path):
    """True when `path`, links followed, lies in `root` (itself resolved)."""
    resolved = os.path.realpath(path)
    return resolved == root or resolved.startswith(root + os.sep)


class Handler(http.server.SimpleHTTPRequestHandler):
    """What a visitor may ask for: GET and HEAD of the folder's files."""

    def log_message(self, *args):
        if getattr(self.server, "quiet", False):
            return
        super().log_message(*args)

    def file_asked(self):
        """The file the request names, or None when it names nothing that may
        be served (outside the folder, a folder without a page)."""
        root = os.path.realpath(self.directory)
        raw = urllib.parse.unquote(urllib.parse.urlsplit(self.path).path)
        if "\0" in raw or any(p in ("..", ".") for p in raw.split("/")) or "\\" in raw:
            return None
        path = self.translate_path(self.path)
        if os.path.isdir(path):
            path = os.path.join(path, "index.html")
        if not inside(root, path) or not os.path.isfile(path):
            return None
        return path

    def send_head(self):
        parts = urllib.parse.urlsplit(self.path)
        if parts.path == "" or (not parts.path.endswith("/") and
                                os.path.isdir(self.translate_path(self.path))):
            # A folder's address without its slash: the page's own
            # relative names need it.
            self.send_response(301)
            self.send_header("Location", parts.path + "/" + ("?" + parts.query if parts.query else ""))
            self.send_header("Content-Length", "0")
            self.end_headers()
            return None
        path = self.file_asked()
        if path is None:
            self.send_error(404, "Not found")
            return None
        return self.send_file(path)

    def send_file(self, path):
        kind = os.path.splitext(path)[1]
        coding, served = None, path
        allowed = accepted(self.headers.get("Accept-Encoding"))
        for name, suffix in ENCODINGS:
            # A copy older than its file (the file edited by hand) is stale.
            if (name in allowed and os.path.isfile(path + suffix) and
                    os.path.getmtime(path + suffix) >= os.path.getmtime(path)):
                coding, served = name, path + suffix
                break
        stat = os.stat(served)
        tag = f'"{int(stat.st_mtime_ns):x}-{stat.st_size:x}-{coding or "identity"}"'
        compressible = any(os.path.isfile(path + s) for _, s in ENCODINGS)
        if tag in [t.strip() for t in self.headers.get("If-None-Match", "").split(",")]:
            self.send_response(304)
            self.send_common(path, tag, compressible)
            self.end_headers()
            return None
        handle = open(served, "rb")
        self.send_response(200)
        self.send_header("Content-Type", TYPES.get(kind, "application/octet-stream"))
        if coding:
            self.send_header("Content-Encoding", coding)
        self.send_header("Content-Length", str(stat.st_size))
        self.send_header("Last-Modified", email.utils.formatdate(stat.st_mtime, usegmt=True))
        self.send_common(path, tag, compressible)
        self.end_headers()
        return handle

    def send_common(self, path, tag, compressible):
        name = os.path.basename(path)
        self.send_header("Cache-Control", IMMUTABLE if HASHED.search(name) else "no-cache")
        self.send_header("ETag", tag)
        if compressible:
            self.send_header("Vary", "Accept-Encoding")
        self.send_header("X-Content-Type-Options", "nosniff")


def make_server(directory, port=0, bind="127.0.0.1", handler=Handler):
    """A threading server for `directory` (not yet serving)."""
    directory = os.path.abspath(directory)
    make = lambda *a, **k: handler(*a, directory=directory, **k)  # noqa: E731
    return http.server.ThreadingHTTPServer((bind, port), make)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("directory")
    parser.add_argument("--port", type=int, default=8000)
    parser.add_argument("--bind", default="127.0.0.1")
    args = parser.parse_args()
    if not os.path.isfile(os.path.join(args.directory, "index.html")):
        print(f"{args.directory} holds no index.html: build the web edition first", file=sys.stderr)
        return 1
    server = make_server(args.directory, args.port, args.bind)
    host, port = server.server_address[:2]
    print(f"Serving {os.path.abspath(args.directory)} on http://{host}:{port}/ (Ctrl+C stops it)",
          flush=True)
    try:
        server.serve_forever()
    except KeyboardInterrupt:
        pass
    return 0


if __name__ == "__main__":
    sys.exit(main())
