#!/usr/bin/env python3
"""morvask-lobby serving a web edition's folder over HTTP, on loopback: the
compressed copy the browser accepts (never a stale one), the types, a year's
cache for files named after their contents and none for the page, 304 for an
unchanged file, the folder's slash, HEAD, nothing outside the folder however
asked, other methods and oversized headers refused, and each address's
requests limited. The folder is made here, so the check needs no web build.

usage: lobby_web_check.py PATH/TO/morvask-lobby
"""
import gzip
import http.client
import os
import re
import shutil
import socket
import subprocess
import sys
import tempfile
import time

LOBBY = os.path.abspath(sys.argv[1])
FAILED = []
WASM = "morvask.0123456789.wasm"


def check(ok, what):
    print(("pass: " if ok else "FAIL: ") + what, flush=True)
    if not ok:
        FAILED.append(what)


def write(path, data):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb") as f:
        f.write(data)


def make_folder(root):
    write(os.path.join(root, "index.html"), b"<!doctype html><title>page</title>")
    write(os.path.join(root, "manifest.webmanifest"), b"{}")
    plain = os.urandom(3000)
    write(os.path.join(root, WASM), plain)
    write(os.path.join(root, WASM + ".br"), b"brotli stand-in " + plain[:100])
    write(os.path.join(root, WASM + ".gz"), gzip.compress(plain))
    write(os.path.join(root, "sw.js"), b"// worker\n")
    write(os.path.join(root, "sw.js.gz"), gzip.compress(b"// worker\n"))
    # The worker edited after its copy was written: the copy is stale.
    old = time.time() - 100
    os.utime(os.path.join(root, "sw.js.gz"), (old, old))
    write(os.path.join(root, "sub", "index.html"), b"sub page")
    return plain


def ask(port, path, coding=None, extra=None, method="GET"):
    connection = http.client.HTTPConnection("127.0.0.1", port, timeout=30)
    connection.putrequest(method, path, skip_accept_encoding=True)
    for key, value in {**({"Accept-Encoding": coding} if coding is not None else {}),
                       **(extra or {})}.items():
        connection.putheader(key, value)
    connection.endheaders()
    response = connection.getresponse()
    body = response.read()
    connection.close()
    return response.status, {k.lower(): v for k, v in response.getheaders()}, body


def start_lobby(root):
    process = subprocess.Popen([LOBBY, "--port", "0", "--bind", "127.0.0.1", "--web", root,
                                "--web-port", "0"], stdout=subprocess.PIPE, text=True)
    deadline = time.monotonic() + 30
    while time.monotonic() < deadline:
        line = process.stdout.readline()
        match = re.search(r"serving .* on http://127\.0\.0\.1:(\d+)/", line)
        if match:
            return process, int(match.group(1))
        if not line and process.poll() is not None:
            break
    process.kill()
    return None, None


def coding_checks(port, root, plain):
    status, head, body = ask(port, "/" + WASM, "gzip, deflate, br")
    check(status == 200 and head.get("content-encoding") == "br" and
          head.get("content-type") == "application/wasm" and
          "accept-encoding" in head.get("vary", "").lower() and
          body == open(os.path.join(root, WASM + ".br"), "rb").read(),
          f"the Brotli copy goes out, typed, varying by coding ({head})")
    status, head, body = ask(port, "/" + WASM, "gzip")
    check(status == 200 and head.get("content-encoding") == "gzip" and
          gzip.decompress(body) == plain, "a browser without Brotli gets gzip")
    status, head, body = ask(port, "/" + WASM, "br;q=0, gzip;q=0")
    check(status == 200 and "content-encoding" not in head and body == plain and
          int(head.get("content-length", -1)) == len(plain),
          "a browser that refuses both gets the file itself, with its length")
    status, head, body = ask(port, "/sw.js", "gzip")
    check(status == 200 and "content-encoding" not in head and body == b"// worker\n",
          "a file edited after its copy goes out as it is")


def cache_checks(port):
    status, head, _ = ask(port, "/" + WASM, "br")
    check("max-age=31536000" in head.get("cache-control", "") and
          "immutable" in head.get("cache-control", ""), "a file named after its contents is kept")
    for name in ("/", "/index.html", "/sw.js", "/manifest.webmanifest"):
        status, head, _ = ask(port, name, "br")
        check(status == 200 and head.get("cache-control") == "no-cache",
              f"{name} is checked on every visit ({head.get('cache-control')})")
    status, head, _ = ask(port, "/index.html")
    again, _, body = ask(port, "/index.html", None, {"If-None-Match": head.get("etag", "x")})
    check(again == 304 and not body, "the page unchanged is answered 304")
    check(ask(port, "/manifest.webmanifest")[1].get("content-type") ==
          "application/manifest+json", "the manifest's type")
    status, head, _ = ask(port, "/sub")
    check(status == 301 and head.get("location") == "/sub/", "a folder gets its slash")
    check(ask(port, "/sub/")[2] == b"sub page", "a folder's page is its index.html")


def refusal_checks(port, root):
    secret = tempfile.mkdtemp(prefix="morvask-outside-")
    write(os.path.join(secret, "secret.txt"), b"not to be served")
    os.symlink(secret, os.path.join(root, "outside-link"))
    asked = ["/../" + os.path.basename(secret) + "/secret.txt", "/%2e%2e/etc/passwd",
             "/sub/../../etc/passwd", "/outside-link/secret.txt", "/..%2fetc%2fpasswd",
             "//etc/passwd", "/nothing-here.js", "/%00", "/a%zz", "/sub/..%5c..%5cetc"]
    answers = {path: ask(port, path)[0] for path in asked}
    check(all(status == 404 for status in answers.values()),
          f"nothing outside the folder, nor a missing file, is served ({answers})")
    shutil.rmtree(secret)
    status, head, _ = ask(port, "/index.html", method="POST")
    check(status == 405 and "GET" in head.get("allow", ""), "other methods are refused (405)")
    status, head, body = ask(port, "/" + WASM, "", method="HEAD")
    check(status == 200 and not body and int(head.get("content-length", -1)) == 3000,
          "HEAD answers the headers alone")
    with socket.create_connection(("127.0.0.1", port), timeout=30) as raw:
        raw.sendall(b"GET / HTTP/1.1\r\nHost: x\r\nX-Long: " + b"a" * 20000 + b"\r\n\r\n")
        answer = b""
        try:
            while chunk := raw.recv(4096):
                answer += chunk
        except OSError:
            pass
    check(b" 200 " not in answer.split(b"\r\n")[0], "an oversized header is not served")


def limit_check(port):
    """A flood from one address meets 429 before long (at most 100 a second
    pass once the first 200 are spent, so the loop ends however slow)."""
    connection = http.client.HTTPConnection("127.0.0.1", port, timeout=30)
    statuses = []
    for _ in range(5000):
        connection.request("GET", "/manifest.webmanifest")
        response = connection.getresponse()
        response.read()
        statuses.append(response.status)
        if response.status == 429:
            break
        if response.getheader("connection", "").lower() == "close":
            connection.close()
    connection.close()
    check(429 in statuses and statuses[0] == 200,
          f"a flood is limited: 429 after {len(statuses)} requests")


def main():
    work = tempfile.mkdtemp(prefix="morvask-lobby-web-")
    root = os.path.join(work, "web")
    plain = make_folder(root)
    empty = os.path.join(work, "empty")
    os.makedirs(empty)
    refused = subprocess.run([LOBBY, "--port", "0", "--web", empty], capture_output=True,
                             text=True, timeout=30)
    check(refused.returncode == 1 and "index.html" in refused.stderr,
          "a folder without a page is refused at start")
    process, port = start_lobby(root)
    if not port:
        check(False, "the lobby serves the folder")
    else:
        try:
            coding_checks(port, root, plain)
            cache_checks(port)
            refusal_checks(port, root)
            limit_check(port)
        finally:
            process.terminate()
            output = process.communicate(timeout=30)[0]
        check("web:" in output and "limited" in output, f"its counts at the end: {output.strip()}")
    shutil.rmtree(work, ignore_errors=True)
    print("every check passed" if not FAILED else f"{len(FAILED)} checks failed")
    return 1 if FAILED else 0


if __name__ == "__main__":
    sys.exit(main())
