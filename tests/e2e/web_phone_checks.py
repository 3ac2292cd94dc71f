"""The game's menu on a phone, both ways up, in headless Chromium with touch
emulated: real taps open it with the page's "game menu" button, choose
Options and change the language, and the page and its boxes then speak it;
every box's and the menu's buttons lie inside the viewport. Then a gamepad
(the Gamepad API stood in for) opens the menu with Start and Back held
together, as on the desktop, and either alone still pauses or helps; and the
page's answers to drops, links and Ctrl+Shift+C: a dropped replay plays in
the page to the sim's tick, a bad #levels= link is called a link, and a run
too long for a link is said and offered as a file that the sim verifies."""
import base64
import os
import time

from selenium.webdriver.common.action_chains import ActionChains
from selenium.webdriver.common.keys import Keys

from web_more_checks import FAKE_PAD
from web_share_checks import ROOT, desktop_env, share_of, verify
from web_support import answer_box, browser, check, keys, start_game, wait_for
from web_touch_checks import centre, emulate, field_rect, rect, tap_answer, touch

PHONE = (390, 844)

# Every visible button of the open touch box, the page's box and the touch
# menu, clipped to the part of its list that shows, lies in the viewport; and
# each is big enough for a finger.
BUTTONS_IN_VIEW = """
    const inView = (q) => q.left >= -0.5 && q.top >= -0.5 && q.right <= innerWidth + 0.5 &&
        q.bottom <= innerHeight + 0.5;
    const found = [];
    for (const id of ['touchbox', 'workbox', 'touchmenu']) {
        const box = document.getElementById(id);
        if (box.hidden || box.getClientRects().length === 0) continue;
        const list = box.querySelector('.rows');
        const shown = list ? list.getBoundingClientRect() : null;
        for (const b of box.querySelectorAll('button')) {
            let r = b.getBoundingClientRect();
            if (shown && list.contains(b)) {
                // A row scrolled out of its list is not on the screen at all.
                if (r.bottom <= shown.top || r.top >= shown.bottom) continue;
                r = {left: r.left, right: r.right, top: Math.max(r.top, shown.top),
                     bottom: Math.min(r.bottom, shown.bottom), height: r.height};
            }
            found.push({box: id, text: b.textContent.slice(0, 16), inside: inView(r),
                        height: r.height, box_inside: inView(box.getBoundingClientRect())});
        }
    }
    return found;"""


def buttons_in_view(driver, where):
    found = driver.execute_script(BUTTONS_IN_VIEW)
    outside = [f"{b['box']}:{b['text']!r}" for b in found
               if not (b["inside"] and b["box_inside"] and b["height"] >= 44)]
    check(bool(found) and not outside,
          f"{where}: {len(found)} buttons, each inside the viewport and at least 44 px tall "
          f"(outside or small: {outside[:4]})")


def menu_state(driver):
    return driver.execute_script("return morvaskPage.menu")


def tap_row(driver, label, step=None):
    """Taps the touch menu's row whose label is `label` (its ◀ or ▶ for
    step -1 or 1); False when there is none."""
    menu = menu_state(driver)
    rows = [r[0] for r in menu["rows"]] if menu else []
    if label not in rows:
        return False
    index = rows.index(label)
    selector = f"#touchmenu [data-row='{index}']"
    if step is not None:
        selector = f"#touchmenu .row:nth-child({index + 1}) .step:" + \
                   ("first-child" if step < 0 else "last-child")
    driver.execute_script("document.querySelector(arguments[0]).scrollIntoView({block: 'nearest'})",
                          selector)
    touch(driver, [centre(rect(driver, selector))])
    return True


def menu_by_touch(driver, shots, name):
    """The page's menu button opens the game's menu by touch; Options, the
    language, and back out; the page follows the language."""
    menu = open_menu(driver)
    check(menu is not None and menu["caption"] == "菜单",
          f"{name}: a tap on 'game menu' opens the game's menu, shown for touch "
          f"({menu and menu['caption']!r}, {menu and len(menu['rows'])} rows)")
    if menu is None:
        return
    buttons_in_view(driver, f"{name}, the menu")
    named = driver.execute_script("""const m = document.getElementById('touchmenu');
        return [m.getAttribute('role'), document.getElementById('touchmenu-caption').textContent,
                m.contains(document.activeElement)];""")
    check(named == ["dialog", "菜单", True], f"{name}: the menu is a dialog named by its caption, "
                                            f"focus in it ({named})")
    driver.save_screenshot(os.path.join(shots, f"{name}-menu-zh.png"))
    check(tap_row(driver, "设置"), f"{name}: the menu has an Options row")
    options = wait_for(driver, "const m = morvaskPage.menu; return m && m.caption === '设置' && m",
                       timeout=5)
    check(options is not None, f"{name}: a tap on Options opens the options screen")
    buttons_in_view(driver, f"{name}, the options screen")
    volume = driver.execute_script("return morvaskPage.volume")
    tap_row(driver, "音量", -1)
    lower = wait_for(driver, f"return morvaskPage.volume === {volume - 10} && morvaskPage.menu.rows"
                             f".some((r) => r[0] === '音量' && r[1] === '{volume - 10}%');", timeout=5)
    check(lower is not None, f"{name}: the volume's ◀ turns the page's volume down "
                             f"({volume}% to {driver.execute_script('return morvaskPage.volume')}%)")
    tap_row(driver, "音量", 1)
    wait_for(driver, f"return morvaskPage.volume === {volume}", timeout=5)
    tap_row(driver, "全屏", 1)
    full = wait_for(driver, "return document.fullscreenElement !== null && morvaskPage.menu.rows"
                            ".some((r) => r[0] === '全屏' && r[1] === '是');", timeout=5)
    check(full is not None, f"{name}: the full screen row puts the page in full screen")
    tap_row(driver, "全屏", 1)
    check(wait_for(driver, "return document.fullscreenElement === null && morvaskPage.menu.rows"
                           ".some((r) => r[0] === '全屏' && r[1] === '否');", timeout=5) is not None,
          f"{name}: and out of it again")
    before = driver.execute_script("return [document.documentElement.lang, "
                                   "document.getElementById('language').value]")
    check(tap_row(driver, "语言", 1), f"{name}: the options screen has a language row")
    after = wait_for(driver, """const m = morvaskPage.menu;
        return m && m.caption === 'Options' && document.documentElement.lang === 'en' ?
            [document.documentElement.lang, document.getElementById('language').value,
             localStorage.getItem('morvask.lang'), m.rows.map((r) => r[0])] : null;""", timeout=5)
    check(after is not None and after[1] == "en" and after[2] == "en" and "Language" in after[3],
          f"{name}: a tap on the language's ▶ makes the game speak English, and the page: "
          f"lang {before[0]} to {after and after[0]}, its choice {before[1]} to "
          f"{after and after[1]}, remembered {after and after[2]}")
    time.sleep(0.3)
    driver.save_screenshot(os.path.join(shots, f"{name}-options-en.png"))
    buttons_in_view(driver, f"{name}, the options screen in English")
    for _ in range(2):
        touch(driver, [centre(rect(driver, "#touchmenu-back"))])
        time.sleep(0.3)
    check(wait_for(driver, "return morvaskPage.menu === null && "
                           "document.getElementById('touchmenu').hidden", timeout=5) is not None,
          f"{name}: back, twice, closes the menu")
    boxes_of_the_menu(driver, name)
    touch(driver, [centre(rect(driver, "[data-hold='80']"))])
    box = answer_box(driver, "", lambda d: buttons_in_view(d, f"{name}, the pause box") or
                     tap_answer("ok")(d))
    check(bool(box) and box["labels"][0] == "OK" and "paused" in box["text"].lower(),
          f"{name}: the next box speaks English ({box and box['text'][:30]!r}, "
          f"{box and box['labels']})")


def open_menu(driver):
    touch(driver, [centre(rect(driver, "#right [data-tap='27']"))])
    return wait_for(driver, "const m = morvaskPage.menu; return m && "
                            "!document.getElementById('touchmenu').hidden ? m : null", timeout=5)


def boxes_of_the_menu(driver, name):
    """The 35 levels' list, and the boxes the menu's rows open (the records,
    both pages of help), with their buttons inside the screen."""
    open_menu(driver)
    tap_row(driver, "Choose level")
    levels = wait_for(driver, "const m = morvaskPage.menu; return m && m.rows.length === 35", 5)
    check(bool(levels), f"{name}: Choose level lists the 35 levels")
    buttons_in_view(driver, f"{name}, the levels' list")
    touch(driver, [centre(rect(driver, "#touchmenu-back"))])
    wait_for(driver, "return morvaskPage.menu && morvaskPage.menu.caption === 'Menu'", 5)
    tap_row(driver, "Records")
    answer_box(driver, "", lambda d: buttons_in_view(d, f"{name}, the records' box") or
               tap_answer("ok")(d))
    open_menu(driver)
    tap_row(driver, "Help")
    for page in ("first", "second"):
        answer_box(driver, "", lambda d, p=page: buttons_in_view(
            d, f"{name}, the help's {p} page") or tap_answer("ok")(d))


def phone_checks(url, out, width, height, name):
    shots = os.path.join(out, "screenshots")
    os.makedirs(shots, exist_ok=True)
    with browser(out, where=f"on the phone, {name}") as driver:
        emulate(driver, width, height)
        driver.get(url)
        wait_for(driver, "return window.morvaskPage && morvaskPage.dialog")
        touch(driver, [centre(field_rect(driver))])
        wait_for(driver, "return document.body.classList.contains('touch')", timeout=5)
        # The start-up boxes, each answered by a tap once its buttons are
        # seen inside the screen.
        for expect, answer in (("Morvask Version 1.0", "ok"), ("按键说明", "ok"),
                               ("是否开启游戏音效", "no"), ("", "ok")):
            answer_box(driver, expect, lambda d, a=answer, e=expect: buttons_in_view(
                d, f"{name}, the box {e or 'of the first level'!r}") or tap_answer(a)(d))
        menu_by_touch(driver, shots, name)


def pad_checks(url, out):
    """Start and Back held together open the menu, and neither gives its own
    command then; Start alone still pauses, Back alone still helps, and under
    a box neither gives anything."""
    with browser(out, where="with a gamepad") as driver:
        driver.get(url)
        driver.execute_script(FAKE_PAD)
        start_game(driver)
        press = lambda button, down: driver.execute_script(  # noqa: E731
            "setPad(arguments[0], arguments[1])", button, down)
        time.sleep(0.3)
        press(8, True)  # Back
        time.sleep(0.2)
        press(9, True)  # Start
        opened = wait_for(driver, "return morvaskPage.menu", timeout=3)
        press(9, False)
        time.sleep(0.2)
        press(8, False)
        time.sleep(0.6)
        box = driver.execute_script("return morvaskPage.dialog")
        check(opened is not None and box is None and menu_state(driver) is not None,
              f"Back and Start held together open the menu, and neither pauses nor helps "
              f"when let go (menu {opened and opened['caption']!r}, box {box and box['text'][:20]})")
        keys(driver, Keys.ESCAPE)
        check(wait_for(driver, "return morvaskPage.menu === null", timeout=3) is not None,
              "Esc closes the menu")
        press(9, True)
        time.sleep(0.3)
        check(driver.execute_script("return morvaskPage.dialog") is None,
              "Start alone gives nothing while it is held")
        press(9, False)

        def back_then_south(d):
            # Back pressed and let go under the box is followed, and gives
            # nothing: no help box after the pause box.
            press(8, True)
            time.sleep(0.3)
            press(8, False)
            time.sleep(0.3)
            press(0, True)
            time.sleep(0.2)
            press(0, False)
        answer_box(driver, "游戏暂停", back_then_south)
        time.sleep(0.8)
        box = driver.execute_script("return morvaskPage.dialog")
        check(box is None, f"Back let go under the box gives no help after it ({box and box['text'][:20]})")
        press(8, True)
        time.sleep(0.2)
        press(8, False)
        answer_box(driver, "按键说明", Keys.ENTER)


def drop_file(driver, data, name, kind="application/octet-stream"):
    """Drops a file of `data` (bytes) on the field, as a player's drag would."""
    driver.execute_script("""const [encoded, name, kind] = arguments;
        const bytes = Uint8Array.from(atob(encoded), (c) => c.charCodeAt(0));
        const transfer = new DataTransfer();
        transfer.items.add(new File([bytes], name, {type: kind}));
        document.getElementById('screen').dispatchEvent(new DragEvent('drop',
            {dataTransfer: transfer, bubbles: true, cancelable: true}));""",
                          base64.b64encode(data).decode(), name, kind)


def drop_checks(url, native, out):
    """A replay file dropped on the page plays in it to the sim's tick; a
    replay's code dropped as text plays too; a bad #levels= link is called a
    link."""
    path = os.path.join(ROOT, "tests", "replays", "game_over.mvr")
    wanted = verify(native, path)
    with browser(out, where="after drops and links") as driver:
        driver.get(url)
        start_game(driver)
        with open(path, "rb") as f:
            drop_file(driver, f.read(), "game_over.mvr")
        playing = wait_for(driver, "const p = window.morvaskPage; return p && p.share && "
                                   "p.share.replay && p.share.link === 'dropped-replay' && "
                                   "p.share.replay.state", timeout=20)
        check(playing == "playing", f"a dropped replay file plays in the page ({playing})")
        driver.execute_script("document.querySelector(\"#replay-bar [data-speed='16']\").click()")
        result = wait_for(driver, "const r = morvaskPage.share.replay; "
                                  "return r.state === 'ended' && r", timeout=240)
        check(bool(result) and result["same"] and wanted and result["tick"] == wanted["tick"] and
              result["checksum"] == result["recorded"],
              f"the dropped replay ends at the sim's tick as the same game "
              f"({result and result['tick']}, sim {wanted and wanted['tick']})")
        driver.save_screenshot(os.path.join(out, "screenshots", "dropped-replay.png"))
        driver.get("about:blank")
        driver.get(url)
        check(wait_for(driver, "return morvaskPage.dialog", timeout=20) is not None and
              driver.execute_script("return morvaskPage.share.link") is None,
              "the next start after a dropped replay is a game of the player's own")
        # A replay's link dropped as text (copied from a chat, say).
        code = share_of(native, path, desktop_env(out))
        start_game(driver)
        driver.execute_script("""const transfer = new DataTransfer();
            transfer.setData('text/plain', arguments[0]);
            document.getElementById('screen').dispatchEvent(new DragEvent('drop',
                {dataTransfer: transfer, bubbles: true, cancelable: true}));""",
                              "see this: https://example.invalid/#replay=" + code)
        playing = wait_for(driver, "const p = window.morvaskPage; return p && p.share && "
                                   "p.share.replay && p.share.link === 'dropped-replay' && "
                                   "p.share.replay.tick > 50 && p.share.replay.state", timeout=20)
        check(bool(code) and playing == "playing",
              f"a replay's link dropped as text plays in the page ({playing})")
        # A damaged replay file: refused in the page's words, and a game starts.
        drop_file(driver, b"MVRP\x01\x02damaged", "damaged.mvr")
        said = wait_for(driver, "const p = window.morvaskPage; return p && p.share && "
                                "p.share.replay && p.share.replay.state === 'refused' && "
                                "p.dialog && document.getElementById('status').textContent",
                        timeout=20)
        check(bool(said) and said.startswith("The dropped replay is refused"),
              f"a damaged replay file dropped is refused as a dropped replay, and a game "
              f"starts ({said!r})")
        # A bad #levels= link: refused as a link, not as something dropped.
        driver.get("about:blank")
        driver.get(url + "#levels=AAAA")
        start_game(driver)
        box = answer_box(driver, "链接", Keys.ENTER)
        check(bool(box) and "拖入" not in box["text"],
              f"a bad #levels= link is refused as a link ({box and box['text'][:40]!r})")


def long_run_checks(url, native, out):
    """Ctrl+Shift+C in play: before any game's end the page says so; after
    one, a run too long for a link (the game's answer stood in for) is said
    and offered as a file, which the sim verifies."""
    downloads = os.path.join(out, "long-run")
    os.makedirs(downloads, exist_ok=True)
    with browser(downloads, where="sharing a long run") as driver:
        driver.get(url)
        start_game(driver)
        shift_c = lambda: ActionChains(driver).key_down(Keys.CONTROL).key_down(  # noqa: E731
            Keys.SHIFT).send_keys("c").key_up(Keys.SHIFT).key_up(Keys.CONTROL).perform()
        shift_c()
        said = wait_for(driver, "return document.getElementById('status').textContent", timeout=3)
        check(bool(said) and "end first" in said, f"Ctrl+Shift+C before a game's end says so ({said!r})")
        time.sleep(1)
        driver.execute_script("Module._morvask_games_ended = () => 1; "
                              "Module._morvask_run_unshared = () => 1;")
        shift_c()
        offered = wait_for(driver, """const b = document.getElementById('share-file');
            const r = b.getBoundingClientRect();
            return b.offsetParent !== null && r.top >= 0 && r.bottom <= innerHeight + 1 &&
                document.activeElement !== b && document.getElementById('share-said').textContent;""",
                           timeout=3)
        check(bool(offered) and "too long" in offered,
              f"a run too long for a link: the page says so and offers the file in sight, "
              f"the keys still the game's ({offered!r})")
        driver.save_screenshot(os.path.join(out, "screenshots", "long-run-offered.png"))
        driver.find_element("id", "share-file").click()
        target = os.path.join(downloads, "morvask-run.mvr")
        end = time.time() + 10
        while time.time() < end and not os.path.exists(target):
            time.sleep(0.1)
        wanted = verify(native, target) if os.path.exists(target) else None
        check(wanted is not None and wanted["result"] == "same",
              f"the offered file is the session's replay, which morvask-sim verifies ({wanted})")
        # In the editor the key gives the level's code as a link to this page.
        driver.find_element("id", "share-close").click()
        keys(driver, Keys.F1)
        answer_box(driver, "是否切换到地图编辑模式", "y")
        answer_box(driver, "载入地图失败", Keys.ENTER)
        answer_box(driver, "", Keys.ENTER)
        shift_c()
        box = answer_box(driver, "第1关的分享码", Keys.ENTER)
        check(bool(box) and (url + "#levels=") in box["text"],
              f"the editor's Ctrl+Shift+C names a link to this page ({box and box['text'][:60]!r})")


def run(url, native, out):
    for (width, height), name in ((PHONE, "phone-upright"), (PHONE[::-1], "phone-sideways")):
        phone_checks(url, out, width, height, name)
    pad_checks(url, out)
    drop_checks(url, native, out)
    long_run_checks(url, native, out)
