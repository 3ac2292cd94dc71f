"""What the web edition's Chromium checks share: the checks' record, a local
web server, the browser, waiting for the page, boxes, the game's probe, and
PNG screenshots read back as pixels."""
import http.server
import os
import shutil
import struct
import threading
import time
import zlib

from selenium import webdriver
from selenium.webdriver.chrome.service import Service
from selenium.webdriver.common.action_chains import ActionChains

CHROMIUM = shutil.which("chromium") or "/usr/bin/chromium"
CHROMEDRIVER = shutil.which("chromedriver") or "/usr/bin/chromedriver"
FIELD_W, FIELD_H, CELL = 960, 704, 64

failures = []


def check(condition, what):
    print(("ok   " if condition else "FAIL ") + what, flush=True)
    if not condition:
        failures.append(what)
    return condition


class QuietHandler(http.server.SimpleHTTPRequestHandler):
    def log_message(self, *args):
        pass


def serve(directory):
    handler = lambda *a, **k: QuietHandler(*a, directory=directory, **k)  # noqa: E731
    server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), handler)
    threading.Thread(target=server.serve_forever, daemon=True).start()
    return server, f"http://127.0.0.1:{server.server_address[1]}/"


def start_browser(profile, downloads, size="1200,1000"):
    options = webdriver.ChromeOptions()
    options.binary_location = CHROMIUM
    for flag in ["--headless=new", "--no-sandbox", "--disable-dev-shm-usage",
                 f"--window-size={size}", f"--user-data-dir={profile}",
                 "--disable-gpu", "--no-first-run"]:
        options.add_argument(flag)
    options.set_capability("goog:loggingPrefs", {"browser": "ALL"})
    options.add_experimental_option("prefs", {"download.default_directory": downloads,
                                              "download.prompt_for_download": False})
    driver = webdriver.Chrome(service=Service(CHROMEDRIVER), options=options)
    driver.execute_cdp_cmd("Browser.setDownloadBehavior",
                           {"behavior": "allow", "downloadPath": downloads})
    return driver


def wait_for(driver, script, timeout=20.0, step=0.05):
    end = time.time() + timeout
    while time.time() < end:
        value = driver.execute_script(script)
        if value:
            return value
        time.sleep(step)
    return None


def console_errors(driver):
    return [entry["message"] for entry in driver.get_log("browser")
            if entry["level"] == "SEVERE"]


def keys(driver, *sequence):
    ActionChains(driver).send_keys(*sequence).perform()


def answer_box(driver, expect, key, shots=None, name=None):
    """Waits for a box whose text or caption holds `expect`, answers it with
    `key` (a key, or a function given the driver) and waits until it is
    gone; returns the box."""
    box = wait_for(driver, "return window.morvaskPage && window.morvaskPage.dialog")
    if not check(box is not None and (expect in box["text"] or expect in box["caption"]),
                 f"the box '{expect}' is shown (got {box and box['text'][:30]!r})"):
        return box
    if shots and name:
        driver.save_screenshot(os.path.join(shots, name))
    count = driver.execute_script("return window.morvaskPage.dialogsShown")
    if callable(key):
        key(driver)
    else:
        keys(driver, key)
    closed = wait_for(driver, f"""const p = window.morvaskPage;
        return p.dialog === null || p.dialogsShown > {count};""", timeout=5)
    check(bool(closed), f"the box '{expect}' is answered")
    return box


def probe(driver):
    """The game's own account of the player's tank, the level and the mode."""
    return driver.execute_script(
        "return JSON.parse(Module.UTF8ToString(Module._morvask_probe()));")


def shown_canvas(driver):
    return driver.execute_script("return Morvask.shownCanvas();")


def read_png(data):
    """Width, height and rows of RGB(A) bytes of an 8-bit, non-interlaced
    truecolour PNG (what Chromium's screenshots are); channels per pixel."""
    assert data[:8] == b"\x89PNG\r\n\x1a\n"
    at, idat, header = 8, b"", None
    while at < len(data):
        length, kind = struct.unpack(">I4s", data[at:at + 8])
        body = data[at + 8:at + 8 + length]
        if kind == b"IHDR":
            header = struct.unpack(">IIBBBBB", body)
        elif kind == b"IDAT":
            idat += body
        at += 12 + length
    width, height, depth, colour, _, _, interlace = header
    assert depth == 8 and colour in (2, 6) and interlace == 0
    channels = 4 if colour == 6 else 3
    raw = zlib.decompress(idat)
    stride = width * channels
    rows, previous = [], bytearray(stride)
    for y in range(height):
        kind = raw[y * (stride + 1)]
        line = bytearray(raw[y * (stride + 1) + 1:(y + 1) * (stride + 1)])
        if kind == 1:
            for i in range(channels, stride):
                line[i] = (line[i] + line[i - channels]) & 0xFF
        elif kind == 2:
            line = bytearray((a + b) & 0xFF for a, b in zip(line, previous))
        elif kind == 3:
            for i in range(stride):
                left = line[i - channels] if i >= channels else 0
                line[i] = (line[i] + ((left + previous[i]) >> 1)) & 0xFF
        elif kind == 4:
            for i in range(stride):
                a = line[i - channels] if i >= channels else 0
                b, c = previous[i], previous[i - channels] if i >= channels else 0
                p = a + b - c
                pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
                pred = a if pa <= pb and pa <= pc else (b if pb <= pc else c)
                line[i] = (line[i] + pred) & 0xFF
        rows.append(bytes(line))
        previous = line
    return width, height, rows, channels
