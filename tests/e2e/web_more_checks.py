"""The web edition's view, choices, gamepad and offline play in headless
Chromium: the boxes' text keeps its strokes when the field is shrunk
(1280 x 800), the field uses a large window (1920 x 1080), the language,
the volume and the battery saver chosen on the page are remembered, the
status stands beside the field in full screen, a gamepad plays with the
desktop's layout, and the page is an installable app that starts and plays
with the network off and replaces its cache cleanly with a new version."""
import base64
import os
import re
import shutil
import time

from selenium.webdriver.common.action_chains import ActionChains
from selenium.webdriver.common.keys import Keys
from selenium.webdriver.support.ui import Select

import web_serve_checks
from web_support import (LUMINANCE, answer_box, browser, check, keys, probe, screen_luminance,
                         serve, wait_for)

# Blocks of this many field pixels are compared; a block with less ink than
# MinInk pixels' worth at 1x is too faint to judge.
ZONE, MIN_INK, KEPT = 8, 3.0, 0.5


def stroke_check(one, shown, scale):
    """Compares the box's text at 1x with what the screen shows at `scale`:
    for every block of ZONE x ZONE field pixels inside the box, the ink (light
    above the box's face) on the screen against that of the 1x picture
    scaled smoothly (by area), which keeps every stroke. Returns the blocks
    judged and those that kept less than KEPT of their ink."""
    height, width = len(one), len(one[0])
    lit = [(x, y) for y in range(height) for x in range(width) if one[y][x] > 12]
    left, right = min(x for x, _ in lit) + 6, max(x for x, _ in lit) - 6
    top, bottom = min(y for _, y in lit) + 24, max(y for _, y in lit) - 6
    faces = sorted(one[y][x] for y in range(top, bottom, 3) for x in range(left, right, 3))
    face = faces[len(faces) // 2]
    ink1 = lambda x, y: max(0, one[y][x] - face)  # noqa: E731
    judged, lost = 0, []
    for zy in range(top, bottom - ZONE + 1, ZONE):
        for zx in range(left, right - ZONE + 1, ZONE):
            reference = sum(ink1(x, y) for y in range(zy, zy + ZONE) for x in range(zx, zx + ZONE))
            if reference < MIN_INK * 128:
                continue
            judged += 1
            # The screen's pixels under the block, each weighted by how much
            # of it the block covers, in 1x pixel units.
            x0, x1, y0, y1 = zx * scale, (zx + ZONE) * scale, zy * scale, (zy + ZONE) * scale
            seen = 0.0
            for sy in range(int(y0), min(len(shown), int(y1) + 1)):
                wy = min(sy + 1, y1) - max(sy, y0)
                for sx in range(int(x0), min(len(shown[0]), int(x1) + 1)):
                    wx = min(sx + 1, x1) - max(sx, x0)
                    if wx > 0 and wy > 0:
                        seen += wx * wy * max(0, shown[sy][sx] - face)
            seen /= scale * scale
            if seen < KEPT * reference:
                lost.append((zx, zy, round(seen / reference, 2)))
    return judged, lost


def text_checks(driver, shots):
    """The about box at 1280 x 800 (a window of that size)."""
    wait_for(driver, "return window.morvaskPage && morvaskPage.dialog")
    time.sleep(0.5)
    view = driver.execute_script("return [morvaskPage.view, devicePixelRatio, "
                                 "Morvask.shownCanvas().getBoundingClientRect().toJSON()]")
    mode, ratio, box = view[0], view[1], view[2]
    check(mode["mode"] != "whole" or mode["scale"] >= 1,
          f"1280x800: the field is shown at {mode['scale']:.2f}x, {mode['mode']} "
          "(never pixelated below 1x)")
    one = driver.execute_script("""return luminance(document.getElementById('field')
        .getContext('2d').getImageData(0, 0, 960, 704));""" + LUMINANCE)
    png = driver.get_screenshot_as_base64()
    with open(os.path.join(shots, "text-1280x800.png"), "wb") as f:
        f.write(base64.b64decode(png))
    shown = screen_luminance(driver, png, *(round(box[k] * ratio) for k in
                                            ("left", "top", "width", "height")))
    judged, lost = stroke_check(one, shown, box["width"] * ratio / 960)
    check(judged >= 40 and not lost,
          f"1280x800: every block of the about box's text keeps at least half its ink "
          f"({judged} blocks judged, {len(lost)} lost: {lost[:4]})")


def language_and_volume_checks(driver):
    Select(driver.find_element("id", "language")).select_by_value("en")
    answer_box(driver, "Morvask Version 1.0", Keys.ENTER)
    help_box = answer_box(driver, "", Keys.ENTER)
    check(help_box is not None and help_box["caption"] == "Help" and
          not re.search("[\u4e00-\u9fff]", help_box["text"]),
          "English chosen on the page: the next box speaks English")
    answer_box(driver, "Play with sound?", "y")
    answer_box(driver, "level 1", Keys.ENTER)
    keys(driver, "-", "-")
    check(driver.execute_script("return morvaskPage.volume") == 80, "- - sets the volume to 80%")
    Select(driver.find_element("id", "frames")).select_by_value("saver")
    driver.refresh()
    about = answer_box(driver, "Morvask", Keys.ENTER)
    check(about is not None and about["caption"] == "About" and
          driver.execute_script("return [morvaskPage.volume, "
                                "document.getElementById('volume').value]") == [80, "80"],
          "after a reload the boxes are English from the first and the volume is 80%")
    answer_box(driver, "", Keys.ENTER)
    answer_box(driver, "", "y")
    answer_box(driver, "", Keys.ENTER)
    battery_saver_checks(driver)


def battery_saver_checks(driver):
    """The battery saver, chosen before the reload: remembered, no two frames
    within 28.3 ms, and the ticks keep their pace (ticks run, or dropped
    after a stall, are counted against the frames the game was given)."""
    read = "const p = morvaskPage; return [p.ticks + p.ticksDropped, p.framesGiven, !!p.dialog];"
    driver.execute_script("morvaskPage.shortestFrameGapMs = null;")
    before = driver.execute_script(read)
    time.sleep(1.5)
    after = driver.execute_script(read)
    ticks, frames = after[0] - before[0], after[1] - before[1]
    shortest = driver.execute_script("return morvaskPage.shortestFrameGapMs")
    check(driver.execute_script("return [document.getElementById('frames').value, "
                                "morvaskPage.frameSaver]") == ["saver", True] and
          not after[2] and frames >= 5 and shortest >= 1000 / 30 - 5 and ticks >= 2 * frames,
          f"the battery saver is remembered and shows at most 30 frames a second ({frames} "
          f"frames, the shortest gap {shortest:.1f} ms) while the ticks keep their pace ({ticks})")
    Select(driver.find_element("id", "frames")).select_by_value("all")


FAKE_PAD = """
window.fakePadOf = (id, index) => ({ id, index, connected: true, mapping: 'standard',
    axes: [0, 0, 0, 0], buttons: Array.from({ length: 17 }, () => ({ pressed: false, value: 0 })) });
window.fakePad = fakePadOf('test pad', 0);
navigator.getGamepads = () => [window.fakePad];
window.setPad = (button, down, pad = fakePad) => {
    pad.buttons[button] = { pressed: down, value: down ? 1 : 0 }; };"""

SECOND_PAD = """
window.secondPad = fakePadOf('second test pad', 1);
navigator.getGamepads = () => [window.fakePad, window.secondPad];"""


def dpad_drives(driver, pad, x="x", y="y"):
    """Presses the D-pad of `pad` (a fake pad's name) left, up and right in
    turn until the probe's (x, y) moves; the probe before and after."""
    start = now = probe(driver)
    for button in (14, 12, 15):
        driver.execute_script(f"setPad({button}, true, {pad})")
        time.sleep(0.8)
        driver.execute_script(f"setPad({button}, false, {pad})")
        now = probe(driver)
        if (now[x], now[y]) != (start[x], start[y]):
            break
    return start, now


def second_pad_checks(driver, shots):
    """In a game of two (N in play), the second pad drives the second tank
    and leaves the first alone, as on the desktop (two-players.png: each
    tank with its player's plate)."""
    driver.execute_script(SECOND_PAD)
    keys(driver, "n")
    answer_box(driver, "the second gamepad", "y")
    if wait_for(driver, "return !!morvaskPage.dialog", timeout=3):
        answer_box(driver, "", Keys.ENTER)
    # The tanks roll onto the field first; the pad counts once they stand.
    start = probe(driver)
    for _ in range(20):
        time.sleep(0.3)
        start, before = probe(driver), start
        if (start["x"], start["y"], start["x2"], start["y2"]) == \
                (before["x"], before["y"], before["x2"], before["y2"]):
            break
    start, now = dpad_drives(driver, "secondPad", "x2", "y2")
    check(start["players"] == 2 and (now["x2"], now["y2"]) != (start["x2"], start["y2"]) and
          (now["x"], now["y"]) == (start["x"], start["y"]),
          f"the second pad drives the second tank only ({start} -> {now})")
    driver.save_screenshot(os.path.join(shots, "two-players.png"))


def pad_rest_checks(driver):
    """Until a pad has been seen, the page stops listening for pads (the
    browser's polling) while a key is held, and listens again once the keys
    have rested."""
    ActionChains(driver).key_down(Keys.ARROW_UP).perform()
    held = wait_for(driver, "return morvaskPage.padListening === false", timeout=2)
    ActionChains(driver).key_up(Keys.ARROW_UP).perform()
    rested = wait_for(driver, "return morvaskPage.padListening === true", timeout=3)
    check(bool(held) and bool(rested),
          f"no pad polled while a key is held ({held}), polled again once the keys rest ({rested})")


def gamepad_checks(driver, shots):
    pad_rest_checks(driver)
    driver.execute_script(FAKE_PAD)
    start, now = dpad_drives(driver, "fakePad")
    check((now["x"], now["y"]) != (start["x"], start["y"]), "the gamepad's D-pad drives the tank")
    gun = probe(driver)["gun"]
    turned = None
    for axis in (-1.0, 1.0):  # the right stick left, then right
        driver.execute_script("fakePad.axes[2] = arguments[0];", axis)
        turned = turned or wait_for(driver, "return JSON.parse(Module.UTF8ToString("
                                            f"Module._morvask_probe())).gun !== {gun};", timeout=2)
        driver.execute_script("fakePad.axes[2] = 0;")
    check(bool(turned), "the right stick turns the gun")
    driver.execute_script("setPad(5, true)")
    fired = wait_for(driver, "return JSON.parse(Module.UTF8ToString(Module._morvask_probe()))"
                             ".bullets > 0;", timeout=3, step=0.02)
    driver.execute_script("setPad(5, false)")
    check(bool(fired), "the right shoulder fires")
    driver.execute_script("setPad(9, true)")
    time.sleep(0.2)
    driver.execute_script("setPad(9, false)")

    def south(d):
        d.execute_script("setPad(0, true)")
        time.sleep(0.2)
        d.execute_script("setPad(0, false)")
    answer_box(driver, "paused", south)
    ActionChains(driver).key_down(Keys.ARROW_UP).pause(0.3).perform()
    still = driver.execute_script("return morvaskPage.padListening")
    ActionChains(driver).key_up(Keys.ARROW_UP).perform()
    check(still is True, "once a pad has been seen it is polled while a key is held too")
    second_pad_checks(driver, shots)


def fullscreen_status_checks(driver, shots):
    """Full screen (F11) on a 1920 x 1080 screen: the status stands in the bar
    right of the field, one part to a line."""
    driver.execute_cdp_cmd("Emulation.setDeviceMetricsOverride", {
        "width": 1920, "height": 1080, "deviceScaleFactor": 1, "mobile": False,
        "screenWidth": 1920, "screenHeight": 1080})
    keys(driver, Keys.F11)
    wait_for(driver, "return !!document.fullscreenElement && "
                     "document.body.classList.contains('roomy')", timeout=5)
    time.sleep(0.3)
    text, status, side, field = driver.execute_script("""
        const e = document.getElementById('game-status-side');
        return [e.innerText, morvaskPage.status, e.getBoundingClientRect().toJSON(),
                Morvask.shownCanvas().getBoundingClientRect().toJSON()];""")
    driver.save_screenshot(os.path.join(shots, "fullscreen-1920x1080.png"))
    lines = text.replace("\u00a0", " ").split("\n")
    check(bool(status) and lines == status.split(" · ") and side["width"] > 0 and
          side["left"] >= field["right"] - 0.5,
          f"full screen: the status stands right of the field, one part to a line ({text!r})")
    keys(driver, Keys.F11)
    wait_for(driver, "return !document.fullscreenElement", timeout=5)
    driver.execute_cdp_cmd("Emulation.clearDeviceMetricsOverride", {})


def sharp_view_checks(driver, shots):
    """A window the field fills at no whole factor (1600 x 1100): the game
    scales it sharp-bilinear into a canvas of the screen's own pixels, shown
    unscaled, and what play changes there is the whole picture scaled
    afresh, pixel for pixel."""
    driver.set_window_size(1600, 1100)
    check(wait_for(driver, "return morvaskPage.view.mode === 'sharp'", timeout=5),
          f"1600x1100: the field is shown sharp-bilinear ({driver.execute_script('return morvaskPage.view')})")
    canvas, box, ratio = driver.execute_script("""const c = Morvask.shownCanvas();
        return [[c.width, c.height], c.getBoundingClientRect().toJSON(), devicePixelRatio];""")
    check(abs(canvas[0] - box["width"] * ratio) < 0.5 and abs(canvas[1] - box["height"] * ratio) < 0.5,
          f"the view holds the screen's pixels ({canvas} for {box['width']} x {box['height']} CSS px)")
    before = driver.execute_script("const p = morvaskPage; p.checkPresents = 30; "
                                   "return [p.scaledPresentsChecked || 0, p.presentMismatches || 0];")
    ActionChains(driver).key_down(Keys.ARROW_LEFT).key_down(Keys.SPACE).pause(1.0) \
        .key_up(Keys.SPACE).key_up(Keys.ARROW_LEFT).perform()
    wait_for(driver, "return morvaskPage.checkPresents <= 0", timeout=5)
    after = driver.execute_script("const p = morvaskPage; "
                                  "return [p.scaledPresentsChecked || 0, p.presentMismatches || 0];")
    driver.save_screenshot(os.path.join(shots, "view-sharp-1600x1100.png"))
    check(after[0] - before[0] >= 10 and after[1] == before[1],
          f"after {after[0] - before[0]} presents of changed parts the view shows the picture "
          f"scaled afresh exactly ({after[1] - before[1]} pixels differ)")


def view_session(url, out):
    shots = os.path.join(out, "screenshots")
    os.makedirs(shots, exist_ok=True)
    with browser(out, "1280,800", "in the view's session") as driver:
        driver.get(url)
        text_checks(driver, shots)
        language_and_volume_checks(driver)
        gamepad_checks(driver, shots)
        driver.set_window_size(1920, 1080)
        time.sleep(0.5)
        view = driver.execute_script("return morvaskPage.view")
        driver.save_screenshot(os.path.join(shots, "view-1920x1080.png"))
        check(view["scale"] >= 1.25 and view["mode"] in ("whole", "sharp"),
              f"1920x1080: the field fills the room at {view['scale']:.2f}x ({view['mode']})")
        fullscreen_status_checks(driver, shots)
        sharp_view_checks(driver, shots)


def install_checks(driver, served):
    """The worker, the manifest, the cache; then a map and a choice stored."""
    check(wait_for(driver, "return morvaskPage.offline && !!navigator.serviceWorker.controller",
                   timeout=30), "the service worker is active and controls the page")
    manifest = driver.execute_cdp_cmd("Page.getAppManifest", {})
    data = manifest.get("data", "")
    check(not manifest.get("errors") and '"standalone"' in data and
          re.search(r"icon-512\.[0-9a-f]+\.png", data),
          f"the manifest is valid ({manifest.get('errors')})")
    installable = driver.execute_cdp_cmd("Page.getInstallabilityErrors", {})
    check(not installable.get("installabilityErrors"),
          f"Chromium finds the page installable ({installable.get('installabilityErrors')})")
    files = len(web_serve_checks.shipped_files(served))
    kept = driver.execute_async_script("""const done = arguments[0];
        caches.keys().then((names) => Promise.all(names.map((n) => caches.open(n)
            .then((c) => c.keys()).then((k) => [n, k.length])))).then(done);""")
    check(len(kept) == 1 and kept[0][1] >= files,
          f"one cache holds every file ({kept}, {files} files served)")
    answer_box(driver, "Morvask", Keys.ENTER)
    driver.execute_script("""FS.writeFile('/save/map.txt', 'kept across versions');
        Morvask.persistFiles('/save/map.txt').then((stored) => { window.mapStored = stored; });
        localStorage.setItem('morvask.lang', 'en');""")
    wait_for(driver, "return window.mapStored")


def offline_play_checks(driver, server, shots):
    # The page offline, and the server too: the service worker's own
    # requests are not the page's, so the cache alone must serve them.
    network = {"latency": 0, "downloadThroughput": -1, "uploadThroughput": -1}
    driver.execute_cdp_cmd("Network.enable", {})
    driver.execute_cdp_cmd("Network.emulateNetworkConditions", {"offline": True, **network})
    server.offline = True
    driver.refresh()
    for expect, key in (("Morvask", Keys.ENTER), ("Help", Keys.ENTER), ("sound", "n"),
                        ("level 1", Keys.ENTER)):
        answer_box(driver, expect, key)
    ticks = driver.execute_script("return morvaskPage.ticks")
    keys(driver, Keys.SPACE)
    time.sleep(1.0)
    driver.save_screenshot(os.path.join(shots, "offline-play.png"))
    check(driver.execute_script("return morvaskPage.ticks") > ticks + 30,
          "offline, a reload starts the game and it plays")
    server.offline = False
    driver.execute_cdp_cmd("Network.emulateNetworkConditions", {"offline": False, **network})


def update_checks(driver, served):
    """A new version: the worker's file changes, as a new build changes it."""
    worker = os.path.join(served, "sw.js")
    text = open(worker).read()
    old = re.search(r'const Version = "([^"]+)"', text).group(1)
    with open(worker, "w") as f:
        f.write(text.replace(f'"{old}"', '"next-version"'))
    driver.refresh()
    renewed = wait_for(driver, """if (!window.cacheNames) window.cacheNames = [];
        caches.keys().then((n) => (window.cacheNames = n));
        return window.cacheNames.length === 1 && window.cacheNames[0] === 'morvask-next-version';""",
                       timeout=30, step=0.3)
    check(bool(renewed), "a new version replaces the old cache")
    driver.refresh()
    answer_box(driver, "Morvask", Keys.ENTER)
    stored = driver.execute_script(
        "try { return FS.readFile('/save/map.txt', {encoding: 'utf8'}); } catch (e) { return null; }")
    check(stored == "kept across versions" and
          driver.execute_script("return Morvask.language()") == "en",
          "the stored map and the language survive the update")


def run(url, dist, out):
    view_session(url, out)
    # Load once, then with the network off reload and play; then a new
    # version replaces the cache, and the stored map and the language stay.
    served = os.path.join(out, "offline-site")
    shutil.copytree(dist, served)
    server, offline_url = serve(served)
    try:
        with browser(out) as driver:
            driver.get(offline_url)
            install_checks(driver, served)
            offline_play_checks(driver, server, os.path.join(out, "screenshots"))
            update_checks(driver, served)
    finally:
        server.shutdown()
