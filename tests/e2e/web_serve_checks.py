"""The web edition as it is shipped and served: the files named after their
contents and the names rewritten where they are given, the compressed copies,
the server's answers (coding, types, cache lifetimes, nothing outside the
folder), and the bytes a first and a second visit take over the network."""
import gzip
import hashlib
import http.client
import json
import os
import re
import shutil
import subprocess
import tempfile
import time

from web_support import browser, check, serve, wait_for

# What a first visit may take over the network, compressed, headers too.
FIRST_VISIT_LIMIT = 1150 * 1000
ENTRY_FILES = {"index.html", "manifest.webmanifest", "sw.js"}
HASHED = re.compile(r"^(.*)\.([0-9a-f]{10})\.([a-z0-9]+)$")


def all_files(dist):
    found = []
    for folder, _, names in os.walk(dist):
        for name in names:
            found.append(os.path.relpath(os.path.join(folder, name), dist).replace(os.sep, "/"))
    return sorted(found)


def shipped_files(dist):
    """What a visitor loads: no compressed copies, no source maps."""
    return [n for n in all_files(dist) if not n.endswith((".br", ".gz", ".map"))]


def shipped_as(dist, plain):
    """The hashed name the build gave the file `plain` (say resources.js)."""
    stem, _, kind = plain.rpartition(".")
    named = [n for n in shipped_files(dist)
             if (m := HASHED.match(n)) and m.group(1) == stem and m.group(3) == kind]
    return named[0] if len(named) == 1 else plain


def unpacked(path):
    data = open(path, "rb").read()
    if path.endswith(".gz"):
        return gzip.decompress(data)
    return subprocess.run(["brotli", "--decompress", "--stdout", path], capture_output=True,
                          check=True).stdout


def build_checks(dist):
    """The names, the references, the source maps and the compressed copies."""
    files = shipped_files(dist)
    misnamed = []
    for name in files:
        if name in ENTRY_FILES:
            continue
        match = HASHED.match(name)
        body = open(os.path.join(dist, name), "rb").read()
        if name.endswith(".js"):
            body = re.sub(rb"\n//# sourceMappingURL=[^\n]*\n$", b"", body)
        if not match or hashlib.sha256(body).hexdigest()[:10] != match.group(2):
            misnamed.append(name)
    check(not misnamed and len(files) > len(ENTRY_FILES),
          f"every file but the entry points is named after its contents ({misnamed[:3]})")
    page = open(os.path.join(dist, "index.html")).read()
    given = re.findall(r'(?:src|href)="([^":]+)"', page) + re.findall(r'fetch\("([^"]+)"', page)
    missing = [n for n in given if n not in files and n != "./"]
    check(given and not missing and "page.js" not in given,
          f"the page names the shipped files ({len(given)} names; missing {missing[:3]})")
    scripts = [n for n in files if n.endswith(".js") and n != "sw.js"]
    mapped = [n for n in scripts if os.path.isfile(os.path.join(dist, n + ".map")) and
              open(os.path.join(dist, n), "rb").read().rstrip().endswith(
                  f"sourceMappingURL={os.path.basename(n)}.map".encode())]
    check(scripts and len(mapped) == len(scripts),
          f"each of the {len(scripts)} scripts is minified with its source map ({len(mapped)})")
    wrong = []
    for name in all_files(dist):
        if name.endswith((".br", ".gz")):
            original = os.path.join(dist, name[:-3])
            if unpacked(os.path.join(dist, name)) != open(original, "rb").read():
                wrong.append(name)
    packed = [n for n in all_files(dist) if n.endswith(".br")]
    check(packed and not wrong and any(n.endswith(".wasm.br") for n in packed),
          f"{len(packed)} Brotli and the gzip copies unpack to their files ({wrong[:3]})")


def ask(port, path, coding=None, extra=None):
    """GET `path` (sent as written); status, headers (lower-case) and body."""
    connection = http.client.HTTPConnection("127.0.0.1", port, timeout=30)
    headers = {**({"Accept-Encoding": coding} if coding is not None else {}), **(extra or {})}
    connection.putrequest("GET", path, skip_accept_encoding=True)
    for key, value in headers.items():
        connection.putheader(key, value)
    connection.endheaders()
    response = connection.getresponse()
    body = response.read()
    connection.close()
    return response.status, {k.lower(): v for k, v in response.getheaders()}, body


def coding_checks(port, dist):
    wasm = shipped_as(dist, "morvask.wasm")
    plain = open(os.path.join(dist, wasm), "rb").read()
    status, head, body = ask(port, "/" + wasm, "gzip, deflate, br")
    check(status == 200 and head.get("content-encoding") == "br" and
          head.get("content-type") == "application/wasm" and
          "accept-encoding" in head.get("vary", "").lower() and
          unpacked(os.path.join(dist, wasm + ".br")) == plain and
          body == open(os.path.join(dist, wasm + ".br"), "rb").read(),
          f"the module goes out as Brotli, typed application/wasm, varying by coding ({head})")
    status, head, body = ask(port, "/" + wasm, "gzip")
    check(status == 200 and head.get("content-encoding") == "gzip" and
          gzip.decompress(body) == plain, "a browser without Brotli gets gzip")
    # The worker edited after the build: its compressed copies are stale.
    worker = os.path.join(dist, "sw.js")
    with open(worker, "a") as f:
        f.write("// edited\n")
    status, head, body = ask(port, "/sw.js", "br, gzip")
    check(status == 200 and "content-encoding" not in head and body.endswith(b"// edited\n"),
          "a file edited after the build goes out as it is, not as its older copies")
    status, head, body = ask(port, "/" + wasm, "br;q=0, gzip;q=0")
    check(status == 200 and "content-encoding" not in head and body == plain,
          "a browser that refuses both gets the file itself")
    check(int(head.get("content-length", -1)) == len(plain), "the length is the file's")
    status, head, _ = ask(port, "/" + shipped_as(dist, "page.js"), "br")
    check(head.get("content-type", "").startswith("text/javascript"), "scripts are JavaScript")


def cache_checks(port, dist):
    for name, expected in ((shipped_as(dist, "morvask.wasm"), "immutable"),
                           (shipped_as(dist, "page.js"), "immutable"),
                           ("", "no-cache"), ("index.html", "no-cache"),
                           ("sw.js", "no-cache"), ("manifest.webmanifest", "no-cache")):
        status, head, _ = ask(port, "/" + name, "br")
        lifetime = head.get("cache-control", "")
        right = ("max-age=31536000" in lifetime and "immutable" in lifetime
                 if expected == "immutable" else lifetime == "no-cache")
        check(status == 200 and right, f"/{name} is kept: {lifetime!r}")
    status, head, _ = ask(port, "/index.html", "br")
    again, _, body = ask(port, "/index.html", "br", {"If-None-Match": head.get("etag", "x")})
    check(again == 304 and not body, "the page unchanged is answered 304 Not Modified")
    status, head, _ = ask(port, "/manifest.webmanifest", "")
    check(head.get("content-type") == "application/manifest+json", "the manifest's type")


def outside_checks(port, dist):
    secret_dir = tempfile.mkdtemp(prefix="morvask-outside-")
    with open(os.path.join(secret_dir, "secret.txt"), "w") as f:
        f.write("not to be served")
    link = os.path.join(dist, "outside-link")
    os.symlink(secret_dir, link)
    try:
        asked = ["/../" + os.path.basename(secret_dir) + "/secret.txt", "/%2e%2e/etc/passwd",
                 "/assets/../../etc/passwd", "/outside-link/secret.txt", "/..%2fetc%2fpasswd",
                 "//etc/passwd", "/nothing-here.js"]
        answers = {path: ask(port, path, "")[0] for path in asked}
        check(all(status == 404 for status in answers.values()),
              f"nothing outside the folder, nor a missing file, is served ({answers})")
    finally:
        os.remove(link)


def server_checks(dist, out):
    """The server's answers, on a copy of the folder (a link is put in it)."""
    shutil.rmtree(out, ignore_errors=True)
    shutil.copytree(dist, out)
    dist = out
    server, url = serve(dist)
    port = server.server_address[1]
    try:
        check(ask(port, "/", "br")[0] == 200, f"the page's server answers on {url}")
        coding_checks(port, dist)
        cache_checks(port, dist)
        outside_checks(port, dist)
    finally:
        server.shutdown()


def network_record(driver):
    """Each response since the last call: its address, whether the service
    worker or the browser's cache answered, and the bytes it took over the
    network (headers and compressed body)."""
    responses, finished = {}, {}
    for entry in driver.get_log("performance"):
        message = json.loads(entry["message"])["message"]
        params = message.get("params", {})
        if message["method"] == "Network.responseReceived":
            response = params["response"]
            responses[params["requestId"]] = {
                "url": response["url"],
                "kept": bool(response.get("fromServiceWorker") or response.get("fromDiskCache") or
                             response.get("fromPrefetchCache"))}
        elif message["method"] == "Network.loadingFinished":
            finished[params["requestId"]] = params.get("encodedDataLength", 0)
    for request, response in responses.items():
        response["bytes"] = 0 if response["kept"] else finished.get(request, 0)
    return [r for r in responses.values() if r["url"].startswith("http")]


def visit(driver, url):
    driver.get(url)
    return wait_for(driver, "return window.morvaskPage && morvaskPage.dialog !== null && "
                            "morvaskPage.offline && morvaskPage.resourcesFetched === true",
                    timeout=120, step=0.2)


def wire_checks(url, out):
    """The bytes of a first visit, and of a second one once the service
    worker keeps the files (the worker's own check for a new version, sw.js,
    is the one request that still goes out)."""
    os.makedirs(out, exist_ok=True)
    with browser(out, where="on the first and second visits", network_log=True) as driver:
        driver.execute_cdp_cmd("Network.enable", {})
        check(bool(visit(driver, url)), "a first visit shows the first box and keeps the files")
        time.sleep(1.0)
        first = network_record(driver)
        first_bytes = sum(r["bytes"] for r in first)
        check(0 < first_bytes <= FIRST_VISIT_LIMIT,
              f"a first visit takes {first_bytes / 1e6:.3f} MB over the network "
              f"({len(first)} responses; at most {FIRST_VISIT_LIMIT / 1e6:.2f} MB)")
        check(bool(visit(driver, url)), "a second visit shows the first box")
        time.sleep(1.0)
        second = [r for r in network_record(driver) if not r["url"].endswith("/sw.js")]
        fetched = [r["url"] for r in second if not r["kept"] or r["bytes"]]
        second_bytes = sum(r["bytes"] for r in second)
        check(len(second) >= 5 and not fetched and second_bytes == 0,
              f"a second visit takes {second_bytes} bytes of the game's files over the network "
              f"({len(second)} responses kept; fetched {fetched[:3]})")
    record = {"firstVisitBytes": first_bytes, "firstVisitResponses": len(first),
              "secondVisitBytes": second_bytes, "secondVisitResponses": len(second)}
    with open(os.path.join(out, "wire.json"), "w") as f:
        json.dump({"first": first, "second": second, **record}, f, indent=1)
    return record


# The loading picture's and the shown field's rectangles, and what the page
# knows of the picture, read at one moment.
PLACES = """const box = (e) => { const r = e.getBoundingClientRect();
    return [r.left, r.top, r.width, r.height]; };
  const poster = document.getElementById('poster');
  return { poster: box(poster), field: box(window.Morvask && Morvask.shownCanvas ?
           Morvask.shownCanvas() : document.getElementById('field')),
           shown: !poster.hidden && poster.complete && poster.naturalWidth > 0,
           file: poster.currentSrc, hidden: poster.hidden };"""


def same_place(a, b):
    return all(abs(x - y) <= 1 for x, y in zip(a, b))


def loading_checks(url, out):
    """On a slow network a picture of the field (the game's own frame) and a
    bar of the module's download show where the field will be, before the
    first frame; both go with it, and the field stands where the picture
    stood. A phone's size."""
    os.makedirs(out, exist_ok=True)
    with browser(out, where="while loading slowly") as driver:
        driver.execute_cdp_cmd("Emulation.setDeviceMetricsOverride", {
            "width": 390, "height": 844, "deviceScaleFactor": 2, "mobile": True})
        driver.execute_cdp_cmd("Emulation.setTouchEmulationEnabled", {"enabled": True})
        driver.execute_cdp_cmd("Network.enable", {})
        driver.execute_cdp_cmd("Network.emulateNetworkConditions", {
            "offline": False, "latency": 150, "downloadThroughput": 150 * 1024,
            "uploadThroughput": 64 * 1024})
        driver.get(url)
        seen = wait_for(driver, """const bar = document.getElementById('loading');
            const now = bar && !bar.hidden && Number(bar.getAttribute('aria-valuenow'));
            const laidOut = document.body.classList.contains('touch');
            return laidOut && now > 0 && now < 90 && bar.getBoundingClientRect().width > 50 ?
                   now : null;""",
                        timeout=60, step=0.1)
        if seen:
            # Held while the bar is read: no frame may come between.
            seen = driver.execute_script("""const bar = document.getElementById('loading');
                const shown = bar.getBoundingClientRect();
                const field = document.getElementById('field').getBoundingClientRect();
                return !bar.hidden && shown.left >= field.left && shown.right <= field.right &&
                       shown.top >= field.top && shown.bottom <= field.bottom ?
                       Number(bar.getAttribute('aria-valuenow')) : null;""")
        places = driver.execute_script(PLACES)
        driver.save_screenshot(os.path.join(out, "loading-390x844.png"))
        check(bool(seen), f"while the module downloads the field shows a loading bar in its "
                          f"frame ({seen}%)")
        check(bool(seen) and places["shown"] and places["poster"][2] > 300 and
              same_place(places["poster"], places["field"]) and
              re.search(r"/poster\.[0-9a-f]{10}\.webp$", places["file"]) is not None,
              f"and the loading picture covers the field exactly ({places})")
        driver.execute_cdp_cmd("Network.emulateNetworkConditions", {
            "offline": False, "latency": 0, "downloadThroughput": -1, "uploadThroughput": -1})
        shown = wait_for(driver, "return window.morvaskPage && morvaskPage.dialog !== null && "
                                 "document.getElementById('loading').hidden", timeout=120)
        after = driver.execute_script(PLACES)
        driver.save_screenshot(os.path.join(out, "first-box-390x844.png"))
        check(bool(shown), "the bar gives way to the first frame and box")
        check(after["hidden"] and same_place(after["field"], places["poster"]),
              f"the picture goes with it, and the field stands where it stood ({after})")
