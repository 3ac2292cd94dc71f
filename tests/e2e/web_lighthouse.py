#!/usr/bin/env python3
"""Lighthouse's audit of the web edition, mobile and desktop, with the page
served on loopback by the server ./scripts/web starts (morvask-lobby --web),
or by the page's own Python server (platform/web/serve_web.py) when no lobby
is given. Only the audits that pass or fail outright are checked: the scores
and timings move with the machine's load, so they are recorded
(summary.json), not checked.

usage: web_lighthouse.py LIGHTHOUSE DIST_DIR OUTPUT_DIR [MORVASK_LOBBY]
"""
import json
import os
import re
import shutil
import subprocess
import sys
import threading
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..",
                                "platform", "web"))
import serve_web  # noqa: E402

CHROMIUM = shutil.which("chromium") or "/usr/bin/chromium"
# Audits that must pass: how the files are served, and what the page says
# to assistive technology.
MUST_PASS = [
    "uses-text-compression", "uses-long-cache-ttl", "unminified-javascript", "valid-source-maps",
    "render-blocking-resources", "viewport", "document-title", "html-has-lang", "html-lang-valid",
    "aria-dialog-name", "aria-prohibited-attr", "aria-allowed-attr", "aria-allowed-role",
    "aria-valid-attr", "aria-valid-attr-value", "aria-required-attr", "aria-progressbar-name",
    "button-name", "label", "select-name", "image-alt", "meta-description", "is-on-https",
    "errors-in-console",
]
TIMINGS = ["first-contentful-paint", "largest-contentful-paint", "interactive",
           "total-blocking-time", "speed-index", "cumulative-layout-shift"]
CATEGORIES = ["performance", "accessibility", "best-practices", "seo"]
failures = []


def check(condition, what):
    print(("ok   " if condition else "FAIL ") + what, flush=True)
    if not condition:
        failures.append(what)


def audit(lighthouse, url, preset, out):
    report = os.path.join(out, f"lighthouse-{preset}.json")
    command = [lighthouse, url, "--quiet", "--output=json", f"--output-path={report}",
               f"--only-categories={','.join(CATEGORIES)}",
               "--chrome-flags=--headless=new --no-sandbox --disable-dev-shm-usage --disable-gpu",
               "--max-wait-for-load=30000"]
    if preset == "desktop":
        command.append("--preset=desktop")
    env = {**os.environ, "CHROME_PATH": CHROMIUM}
    run = subprocess.run(command, env=env, capture_output=True, text=True, timeout=400)
    if run.returncode != 0 or not os.path.isfile(report):
        print(run.stderr[-2000:])
        check(False, f"Lighthouse ({preset}) runs")
        return None
    return json.load(open(report))


def passed(result):
    if result is None:
        return False
    if result.get("scoreDisplayMode") == "notApplicable":
        return True
    return result.get("score") == 1


def largest_paint(report):
    """The selector of the element of the largest paint, or None."""
    details = report["audits"].get("largest-contentful-paint-element", {}).get("details", {})
    for item in details.get("items", []):
        for row in item.get("items", []):
            node = row.get("node") if isinstance(row, dict) else None
            if node and node.get("selector"):
                return node["selector"]
    return None


def figures(report):
    audits = report["audits"]
    return {
        "scores": {c: round(100 * (report["categories"][c]["score"] or 0)) for c in CATEGORIES},
        "timings": {t: audits[t].get("displayValue") for t in TIMINGS if t in audits},
        "lighthouse": report.get("lighthouseVersion"),
        "transferBytes": sum(item.get("transferSize", 0) for item in
                             audits.get("network-requests", {}).get("details", {}).get("items", [])),
    }


def lobby_serving(lobby, dist, out):
    """morvask-lobby serving the folder on a free loopback port: the process
    and the page's address (None when it did not start in time)."""
    log = open(os.path.join(out, "lobby.out"), "w+")
    process = subprocess.Popen([lobby, "--bind", "127.0.0.1", "--port", "0", "--web", dist,
                                "--web-port", "0"], stdout=log, stderr=subprocess.STDOUT)
    deadline = time.monotonic() + 30
    while time.monotonic() < deadline and process.poll() is None:
        log.seek(0)
        found = re.search(r"serving .* on (http://127\.0\.0\.1:\d+/)", log.read())
        if found:
            return process, found.group(1)
        time.sleep(0.1)
    process.kill()
    return None, None


def python_serving(dist):
    server = serve_web.make_server(dist)
    server.quiet = True
    threading.Thread(target=server.serve_forever, daemon=True).start()
    return server, f"http://127.0.0.1:{server.server_address[1]}/"


def main():
    if len(sys.argv) not in (4, 5):
        print(__doc__)
        return 2
    lighthouse, dist, out = sys.argv[1], os.path.abspath(sys.argv[2]), os.path.abspath(sys.argv[3])
    os.makedirs(out, exist_ok=True)
    if len(sys.argv) == 5:
        server, url = lobby_serving(sys.argv[4], dist, out)
        if server is None:
            print("FAIL: morvask-lobby did not serve the page (see lobby.out)")
            return 1
        stop = server.terminate
    else:
        server, url = python_serving(dist)
        stop = server.shutdown
    print(f"     served at {url}", flush=True)
    summary = {}
    try:
        for preset in ("mobile", "desktop"):
            report = audit(lighthouse, url, preset, out)
            if report is None:
                continue
            for name in MUST_PASS:
                result = report["audits"].get(name)
                check(passed(result), f"{preset}: {name} "
                      f"({result and (result.get('displayValue') or result.get('score'))})")
            # The page's largest paint is the loading picture that comes with
            # it, not a box that waits for the module's download.
            element = largest_paint(report)
            check(element is not None and element.endswith("img#poster"),
                  f"{preset}: the largest paint is the loading picture ({element})")
            summary[preset] = figures(report)
            print(f"     {preset}: {json.dumps(summary[preset])}", flush=True)
    finally:
        stop()
    with open(os.path.join(out, "summary.json"), "w") as f:
        json.dump(summary, f, indent=1)
    if failures:
        print(f"{len(failures)} audit(s) failed")
        return 1
    print("All audits checked passed.")
    return 0


if __name__ == "__main__":
    sys.exit(main())
