"""The web edition on a touch screen, in headless Chromium with touch
emulated: a phone held upright (390 x 844) and sideways, and a tablet both
ways. The controls appear on the first touch and drive the game through its
own keys (the game's probe says where the tank is and how many of its
bullets fly); the boxes can be read and tapped; the editor paints by touch;
no control covers the field. Screenshots of each layout go to the output."""
import os
import time

from selenium.webdriver.common.keys import Keys

from web_more_checks import FAKE_PAD
from web_support import CELL, answer_box, browser, check, keys, probe, wait_for

PHONE = (390, 844)


def emulate(driver, width, height, scale=2):
    driver.execute_cdp_cmd("Emulation.setDeviceMetricsOverride", {
        "width": width, "height": height, "deviceScaleFactor": scale, "mobile": True})
    driver.execute_cdp_cmd("Emulation.setTouchEmulationEnabled",
                           {"enabled": True, "maxTouchPoints": 5})


def fingers(driver, points):
    """Puts fingers at `points` (CSS pixels), or lifts them all (none)."""
    driver.execute_cdp_cmd("Input.dispatchTouchEvent", {
        "type": "touchStart" if points else "touchEnd", "touchPoints": [
            {"x": x, "y": y, "id": n + 1, "radiusX": 4, "radiusY": 4}
            for n, (x, y) in enumerate(points)]})


def touch(driver, points, seconds=0.08):
    """Puts fingers at `points`, holds them, lifts them."""
    fingers(driver, points)
    time.sleep(seconds)
    fingers(driver, [])


def rect(driver, selector):
    """The element's box in CSS pixels; the shown field's for None."""
    return driver.execute_script("""const e = arguments[0] === null ? Morvask.shownCanvas()
            : document.querySelector(arguments[0]);
        return e && e.getBoundingClientRect().toJSON();""", selector)


def centre(r, fx=0.5, fy=0.5):
    return (r["left"] + r["width"] * fx, r["top"] + r["height"] * fy)


def field_rect(driver):
    return rect(driver, None)


def tap_answer(answer):
    """Answers the open box with the touch box's button for `answer`."""
    def tap(driver):
        button = rect(driver, f"#touchbox button[data-answer={answer}]")
        touch(driver, [centre(button)])
    return tap


def box_is_touchable(driver, where):
    sizes = driver.execute_script("""const box = document.getElementById('touchbox');
        if (box.hidden) return null;
        const text = parseFloat(getComputedStyle(box.querySelector('p')).fontSize);
        const buttons = Array.from(box.querySelectorAll('button')).map((b) => {
            const r = b.getBoundingClientRect(); return [r.width, r.height]; });
        const r = box.getBoundingClientRect();
        const name = document.getElementById(box.getAttribute('aria-labelledby'));
        // The box and every button of it within the viewport: none scrolled
        // away below a long text.
        const inView = (q) => q.left >= 0 && q.top >= 0 && q.right <= innerWidth &&
            q.bottom <= innerHeight;
        return {text, buttons, inside: inView(r) && Array.from(box.querySelectorAll('button'))
                    .every((b) => inView(b.getBoundingClientRect())),
                name: name && box.contains(name) ? name.textContent.trim() : '',
                focused: box.contains(document.activeElement)};""")
    check(sizes is not None and sizes["text"] >= 12 and sizes["inside"] and sizes["buttons"] and
          all(h >= 44 and w >= 44 for w, h in sizes["buttons"]),
          f"{where}: the box is shown for touch, text {sizes and sizes['text']} px, "
          f"buttons {sizes and sizes['buttons']} CSS px")
    check(sizes is not None and sizes["name"] and sizes["focused"],
          f"{where}: the box is a dialog named {sizes and sizes['name'][:20]!r}, focus in it")


def controls_clear_of_field(driver, where):
    field = field_rect(driver)
    clear = True
    for selector in ("#pad", "#gun", "#left .tools", "#right .tools", "#game-status-touch"):
        r = rect(driver, selector)
        if r and r["width"] > 0:
            clear &= (r["right"] <= field["left"] + 0.5 or r["left"] >= field["right"] - 0.5 or
                      r["bottom"] <= field["top"] + 0.5 or r["top"] >= field["bottom"] - 0.5)
    check(clear, f"{where}: no control and not the status covers the field")
    return field


def moved_by_pad(driver):
    """Holds the pad towards each direction in turn until the tank moves."""
    pad = rect(driver, "#pad")
    start = probe(driver)
    for fx, fy in ((0.12, 0.5), (0.5, 0.12), (0.88, 0.5)):
        touch(driver, [centre(pad, fx, fy)], 0.8)
        now = probe(driver)
        if (now["x"], now["y"]) != (start["x"], start["y"]):
            return start, now
    return start, probe(driver)


def fires(driver, points, seconds=1.5):
    """Holds fingers at `points` and watches the game for the player's bullets."""
    fingers(driver, points)
    seen, end = 0, time.time() + seconds
    while time.time() < end:
        seen = max(seen, probe(driver)["bullets"])
        time.sleep(0.02)
    fingers(driver, [])
    return seen


def play_checks(driver, shots):
    start, now = moved_by_pad(driver)
    check((now["x"], now["y"]) != (start["x"], start["y"]),
          f"a finger on the pad drives the tank ({start['x']},{start['y']} to {now['x']},{now['y']})")
    fire = centre(rect(driver, "#fire"))
    check(fires(driver, [fire]) > 0, "a finger on fire fires")
    time.sleep(1.2)
    # Up, down or left: the gun turns with the drive, and to the right of the
    # tank's start lies its own base.
    pad = rect(driver, "#pad")
    for fx, fy in ((0.5, 0.12), (0.5, 0.88), (0.12, 0.5)):
        before = probe(driver)
        # Long enough for a drive to start on a loaded machine, whose page may
        # run far fewer than 100 ticks a second.
        both = fires(driver, [centre(pad, fx, fy), fire], 3.0)
        after = probe(driver)
        if (after["x"], after["y"]) != (before["x"], before["y"]):
            break
    check(both > 0 and (after["x"], after["y"]) != (before["x"], before["y"]),
          "two fingers drive and fire at once")
    status_checks(driver)
    driver.save_screenshot(os.path.join(shots, "touch-phone-portrait.png"))


def status_checks(driver):
    """Upright, the status stands above the left thumb's controls, its parts
    in the game's order at a legible size, and the two rings stay level."""
    parts, status, size, height = driver.execute_script("""
        const e = document.getElementById('game-status-touch');
        return [Array.from(e.children, (s) => s.textContent), morvaskPage.status,
                parseFloat(getComputedStyle(e).fontSize), e.offsetHeight];""")
    pad, gun = centre(rect(driver, "#pad")), centre(rect(driver, "#gun"))
    check(bool(status) and [p.replace("\u00a0", " ") for p in parts] == status.split(" · ") and
          size >= 12 and height > 0 and abs(pad[1] - gun[1]) <= 8,
          f"the status stands above the left thumb's controls ({status!r}, {size:.0f} px), "
          f"the rings level ({pad[1]:.0f} and {gun[1]:.0f})")


def sideways_help(driver, shots):
    """The first help box, the longest, on a phone held sideways: its OK
    within the screen (touch-phone-help-landscape.png)."""
    emulate(driver, PHONE[1], PHONE[0])
    wait_for(driver, "return document.body.classList.contains('landscape')", timeout=5)
    time.sleep(0.3)
    driver.save_screenshot(os.path.join(shots, "touch-phone-help-landscape.png"))
    box_is_touchable(driver, "phone, sideways, the help box")
    emulate(driver, *PHONE)
    time.sleep(0.3)


def layout_checks(driver, shots):
    emulate(driver, PHONE[1], PHONE[0])
    wait_for(driver, "return document.body.classList.contains('landscape')", timeout=5)
    time.sleep(0.3)
    driver.save_screenshot(os.path.join(shots, "touch-phone-landscape.png"))
    field = controls_clear_of_field(driver, "phone, landscape")
    pad, gun = rect(driver, "#pad"), rect(driver, "#gun")
    check(field["height"] >= 0.95 * PHONE[0] and pad["right"] <= field["left"] and
          gun["left"] >= field["right"],
          f"phone, landscape: the field fills the height ({field['height']:.0f} of {PHONE[0]}) "
          "between the pad and the gun ring")
    levels = centre(pad)[1], centre(gun)[1]
    check(abs(levels[0] - levels[1]) <= 8,
          f"phone, landscape: the rings stand level ({levels[0]:.0f} and {levels[1]:.0f})")
    for width, height, name in ((1024, 768, "tablet-landscape"), (768, 1024, "tablet-portrait")):
        emulate(driver, width, height)
        time.sleep(0.5)
        driver.save_screenshot(os.path.join(shots, f"touch-{name}.png"))
        controls_clear_of_field(driver, name)
    emulate(driver, *PHONE)
    time.sleep(0.5)


def editor_checks(driver, shots, cell):
    touch(driver, [centre(rect(driver, "#menu"))])
    wait_for(driver, "return document.body.classList.contains('menu')", timeout=3)
    menu = "const b = document.getElementById('below'); " \
           "return [b.getAttribute('role'), b.getAttribute('aria-label'), document.activeElement.id];"
    opened = wait_for(driver, menu.replace("return [", "const m = [") + " return m[0] ? m : null;",
                      timeout=3)
    check(opened == ["dialog", "menu", "close-menu"],
          f"the open menu is a dialog named 'menu' with focus on 'close' ({opened})")
    touch(driver, [centre(rect(driver, "[data-command='112']"))])
    answer_box(driver, "是否切换到地图编辑模式", tap_answer("yes"))
    answer_box(driver, "载入地图失败", tap_answer("ok"))
    answer_box(driver, "", tap_answer("ok"))
    after = wait_for(driver, """const b = document.getElementById('below');
        return b.getAttribute('role') === null && document.getElementById('touchbox').hidden ?
               document.activeElement.id || document.activeElement.tagName : null;""", timeout=3)
    check(after in ("screen", "menu"), f"the menu closed and the boxes answered, focus is back "
                                       f"on the field or the menu's button ({after})")
    check(wait_for(driver, "return morvaskPage.mode === 'editor' && "
                   "getComputedStyle(document.getElementById('brushes')).display !== 'none'"),
          "the editor shows the brush bar and its commands instead of the pad")
    # The gun's lock has nothing to lock in the editor: it is not offered there.
    check(driver.execute_script("""return getComputedStyle(
        document.querySelector('[data-hold="76"]')).display === 'none';"""),
          "the editor shows no lock button")
    column, row = cell
    field = field_rect(driver)
    scale = field["width"] / 960
    spot = (field["left"] + (column * CELL + 32) * scale, field["top"] + (row * CELL + 32) * scale)
    read = f"""return Array.from(document.getElementById('field').getContext('2d')
        .getImageData({column * CELL}, {row * CELL}, {CELL}, {CELL}).data).join();"""
    empty = driver.execute_script(read)
    touch(driver, [centre(rect(driver, "[data-brush='7']"))])
    touch(driver, [spot], 0.3)
    water = wait_for(driver, f"const now = (function () {{ {read} }})(); "
                             f"return now !== {empty!r} ? now : null;", timeout=3)
    # Water is blue; the brush before it (brick) is red.
    values = [int(v) for v in (water or "0,0,0,0").split(",")]
    red, blue = sum(values[0::4]), sum(values[2::4])
    check(water is not None and blue > red,
          f"a tap on the field paints the chosen block, water (blue {blue}, red {red})")
    driver.save_screenshot(os.path.join(shots, "touch-editor.png"))
    touch(driver, [centre(rect(driver, "[data-tap='90']"))])
    check(wait_for(driver, f"return (function () {{ {read} }})() === {empty!r};", timeout=3),
          "the undo button takes the painted block back")
    touch(driver, [centre(rect(driver, "[data-tap='89']"))])
    wait_for(driver, f"return (function () {{ {read} }})() !== {empty!r};", timeout=3)
    touch(driver, [centre(rect(driver, "#eraser"))])
    touch(driver, [spot], 0.3)
    check(wait_for(driver, f"return (function () {{ {read} }})() === {empty!r};", timeout=3),
          "with the eraser on, a tap clears the cell")


def run(url, out, cell):
    shots = os.path.join(out, "screenshots")
    os.makedirs(shots, exist_ok=True)
    with browser(out, where="on the touch screen") as driver:
        emulate(driver, *PHONE)
        driver.get(url)
        wait_for(driver, "return window.morvaskPage && morvaskPage.dialog")
        touch(driver, [centre(field_rect(driver))])
        check(wait_for(driver, "return document.body.classList.contains('touch') && "
                       "document.body.classList.contains('portrait')", timeout=5),
              "the first touch shows the touch controls, upright layout")
        box_is_touchable(driver, "phone, upright")
        driver.save_screenshot(os.path.join(shots, "touch-phone-box.png"))
        answer_box(driver, "Morvask Version 1.0", tap_answer("ok"))
        answer_box(driver, "按键说明", lambda d: sideways_help(d, shots) or tap_answer("ok")(d))
        answer_box(driver, "是否开启游戏音效", tap_answer("yes"))
        answer_box(driver, "", tap_answer("ok"))
        controls_clear_of_field(driver, "phone, upright")
        play_checks(driver, shots)
        # The other layouts are looked at with the game paused (its box open),
        # so that the enemies do not end it meanwhile.
        touch(driver, [centre(rect(driver, "[data-hold='80']"))])
        answer_box(driver, "游戏暂停", lambda d: layout_checks(d, shots) or tap_answer("ok")(d))
        editor_checks(driver, shots, cell)
        keys(driver, Keys.SHIFT)
        check(wait_for(driver, "return !document.body.classList.contains('touch')", timeout=3),
              "a key hides the touch controls")
        touch(driver, [centre(field_rect(driver))])
        wait_for(driver, "return document.body.classList.contains('touch')", timeout=3)
        driver.execute_script(FAKE_PAD + "setPad(2, true);")
        check(wait_for(driver, "return !document.body.classList.contains('touch')", timeout=3),
              "a gamepad's button hides the touch controls")
