"""What the web edition's Chromium checks share: the checks' record, a local
web server, the browser, waiting for the page, boxes, the game's probe, and
screenshots read back as pixels."""
import contextlib
import os
import shutil
import sys
import tempfile
import threading
import time

from selenium import webdriver
from selenium.webdriver.chrome.service import Service
from selenium.webdriver.common.action_chains import ActionChains
from selenium.webdriver.common.keys import Keys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..",
                                "platform", "web"))
import serve_web  # noqa: E402

CHROMIUM = shutil.which("chromium") or "/usr/bin/chromium"
CHROMEDRIVER = shutil.which("chromedriver") or "/usr/bin/chromedriver"
FIELD_W, FIELD_H, CELL = 960, 704, 64

failures = []


def check(condition, what):
    print(("ok   " if condition else "FAIL ") + what, flush=True)
    if not condition:
        failures.append(what)
    return condition


class QuietHandler(serve_web.Handler):
    """The page's own server (serve_web.py), quiet, and able to go offline."""
    def log_message(self, *args):
        pass

    # A server set offline answers nothing but errors: what a page shows
    # then comes from the browser's own stores.
    def send_head(self):
        if getattr(self.server, "offline", False):
            self.send_error(503)
            return None
        return super().send_head()


def serve(directory):
    """The folder served on loopback as ./scripts/web serves it."""
    server = serve_web.make_server(directory, handler=QuietHandler)
    threading.Thread(target=server.serve_forever, daemon=True).start()
    return server, f"http://127.0.0.1:{server.server_address[1]}/"


def start_browser(profile, downloads, size="1200,1000", network_log=False, flags=()):
    options = webdriver.ChromeOptions()
    options.binary_location = CHROMIUM
    for flag in ["--headless=new", "--no-sandbox", "--disable-dev-shm-usage",
                 f"--window-size={size}", f"--user-data-dir={profile}",
                 "--disable-gpu", "--no-first-run", *flags]:
        options.add_argument(flag)
    logs = {"browser": "ALL", **({"performance": "ALL"} if network_log else {})}
    options.set_capability("goog:loggingPrefs", logs)
    options.add_experimental_option("prefs", {"download.default_directory": downloads,
                                              "download.prompt_for_download": False})
    driver = webdriver.Chrome(service=Service(CHROMEDRIVER), options=options)
    driver.execute_cdp_cmd("Browser.setDownloadBehavior",
                           {"behavior": "allow", "downloadPath": downloads})
    return driver


@contextlib.contextmanager
def browser(out, size="1200,1000", where=None, network_log=False, flags=()):
    """A fresh Chromium with a profile of its own, quit at the end; with
    `where`, a session that must end with no console errors; with
    `network_log`, one whose network events are kept (the performance log);
    `flags` added to its command line."""
    profile = tempfile.mkdtemp(prefix="morvask-chromium-")
    driver = start_browser(profile, out, size, network_log, flags)
    try:
        yield driver
        if where:
            no_console_errors(driver, where)
    finally:
        driver.quit()
        shutil.rmtree(profile, ignore_errors=True)


def wait_for(driver, script, timeout=20.0, step=0.05):
    end = time.time() + timeout
    while time.time() < end:
        value = driver.execute_script(script)
        if value:
            return value
        time.sleep(step)
    return None


def no_console_errors(driver, where):
    """Neither the console nor the page's own record holds an error."""
    errors = [entry["message"] for entry in driver.get_log("browser")
              if entry["level"] == "SEVERE"]
    errors += driver.execute_script("return window.morvaskPage ? morvaskPage.errors : []")
    check(not errors, f"no console errors {where} ({errors[:3]})")


def keys(driver, *sequence):
    ActionChains(driver).send_keys(*sequence).perform()


# The open box once it takes answers: a box takes no key, click or tap for a
# moment after it opens, so a test presses only after that.
READY_BOX = """const p = window.morvaskPage;
    return p && p.dialog && p.dialog.ready ? p.dialog : null;"""


def answer_box(driver, expect, key, shots=None, name=None):
    """Waits for a box whose text or caption holds `expect`, answers it with
    `key` (a key, or a function given the driver) and waits until it is
    gone; returns the box."""
    box = wait_for(driver, READY_BOX)
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


def start_game(driver, sound="n", level="", shots=None, prefix=None):
    """Answers the start-up boxes, and the next (the first level's, holding
    `level`) unless that is None."""
    answer_box(driver, "Morvask Version 1.0", Keys.ENTER, shots, prefix and f"{prefix}-about.png")
    answer_box(driver, "按键说明", Keys.ENTER)
    answer_box(driver, "是否开启游戏音效", sound)
    if level is not None:
        answer_box(driver, level, Keys.ENTER)


def probe(driver):
    """The game's own account of the player's tank, the level and the mode."""
    return driver.execute_script(
        "return JSON.parse(Module.UTF8ToString(Module._morvask_probe()));")


def shown_canvas(driver):
    return driver.execute_script("return Morvask.shownCanvas();")


def screen_luminance(driver, png, left, top, width, height):
    """What the screenshot `png` (base64) shows in that rectangle (device
    pixels), as rows of luminance, decoded by the browser itself."""
    return driver.execute_async_script("""const [png, left, top, width, height, done] = arguments;
        const image = new Image();
        image.onload = () => {
            const canvas = new OffscreenCanvas(width, height);
            const context = canvas.getContext('2d');
            context.drawImage(image, -left, -top);
            done(luminance(context.getImageData(0, 0, width, height)));
        };
        image.src = 'data:image/png;base64,' + png;
        """ + LUMINANCE, png, left, top, width, height)


# Rows of luminance of an ImageData.
LUMINANCE = """function luminance(image) {
    const rows = [];
    for (let y = 0; y < image.height; ++y) {
        const row = new Array(image.width);
        for (let x = 0, at = y * image.width * 4; x < image.width; ++x, at += 4)
            row[x] = Math.floor((image.data[at] * 299 + image.data[at + 1] * 587 +
                                 image.data[at + 2] * 114) / 1000);
        rows.push(row);
    }
    return rows;
}"""
