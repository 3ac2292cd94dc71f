"""Sharing between the web edition and the desktop program: a set coded by
`morvask --share` opens in the page's editor (#levels=) with the same cells,
odd codes included; the page's "share set" link opens with `morvask --open`
to the same cells (saved by the desktop's editor, under Xvfb); a replay link
plays with its speed and pause controls and ends at the tick and checksum
`morvask-sim --verify` finds; a game played to its end in the page is shared
with "share run" and verifies; malformed links are refused with their reason
and change nothing."""
import base64
import os
import re
import shutil
import subprocess
import time

from selenium.webdriver.common.action_chains import ActionChains
from selenium.webdriver.common.by import By
from selenium.webdriver.common.keys import Keys

from web_support import answer_box, browser, check, keys, probe, start_game, wait_for

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
# The picture of level 1 of the scenario english_game_over.sim: the player's
# gun turned right and fired breaks the brick and the base beside it.
GAME_OVER_LEVEL = ["..............."] + ["@" * 15] + ["..............."] * 7 + [
    "......###......", "....#.#B#......"]
CODES = {".": 0, "#": 1, "@": 7, "B": 10}


def numbers(text):
    return [int(n) for n in re.findall(r"-?\d+", text)]


def map_text(values):
    """Values in the map file's layout (any layout the game reads does)."""
    rows = [" , ".join(str(v) for v in values[k:k + 15]) for k in range(0, len(values), 15)]
    return " ,\r\n".join(rows) + "\r\n"


def odd_set():
    """The built-in levels' values shifted and a few odd codes made by hand."""
    values = [(k * 7) % 13 for k in range(5775)]
    values[0], values[200], values[5774] = 2147483647, -2147483648, 1234
    return values


def desktop_env(out):
    env = dict(os.environ, XDG_CONFIG_HOME=os.path.join(out, "config"), LC_ALL="C.UTF-8",
               SDL_AUDIODRIVER="dummy", MORVASK_TRACE_DIALOGS="1",
               DBUS_SESSION_BUS_ADDRESS="disabled:")
    os.makedirs(os.path.join(out, "config", "morvask"), exist_ok=True)
    with open(os.path.join(out, "config", "morvask", "settings.ini"), "w") as f:
        f.write("share_author = Ольга 写\nvolume = 0\n")
    return env


def share_of(native, path, env):
    run = subprocess.run([os.path.join(native, "morvask"), "--share", path], env=env,
                         capture_output=True, text=True, timeout=60)
    first = run.stdout.split("\n")[0]
    return first.removeprefix("code: ") if run.returncode == 0 else ""


def verify(native, text):
    """morvask-sim --verify's answer: its JSON line as a dict, or None."""
    run = subprocess.run([os.path.join(native, "morvask-sim"), "--verify", text],
                         capture_output=True, text=True, timeout=300)
    found = re.search(r'"tick":(\d+),"result":"(\w+)"', run.stdout)
    return {"tick": int(found.group(1)), "result": found.group(2)} if found else None


def answer_until(driver, expect, shots=None, name=None):
    """Answers the boxes before the one holding `expect` (a level's title, say),
    then that one; returns it."""
    for _ in range(4):
        box = wait_for(driver, "return morvaskPage.dialog")
        if box is None or expect in box["text"]:
            break
        answer_box(driver, "", Keys.ENTER)
    return answer_box(driver, expect, Keys.ENTER, shots, name)


def level_set(driver):
    return numbers(driver.execute_script("return UTF8ToString(Module._morvask_level_set())"))


def stored_map(driver, name="map.txt"):
    return driver.execute_script("""
        try { return new TextDecoder().decode(FS.readFile('/save/' + arguments[0])); }
        catch (e) { return null; }""", name)


def share_link(driver, kind):
    """Clicks a share button; the link the page copied or showed."""
    driver.execute_script("morvaskPage.share.copied = morvaskPage.share.shown = null;")
    driver.find_element(By.CSS_SELECTOR, f"#buttons [data-share='{kind}']").click()
    return wait_for(driver, "return morvaskPage.share.copied || morvaskPage.share.shown",
                    timeout=10)


def levels_checks(url, native, out, env):
    """Desktop code to the page, the page's link to the desktop."""
    values = odd_set()
    set_path = os.path.join(out, "odd-set.txt")
    with open(set_path, "w") as f:
        f.write(map_text(values))
    code = share_of(native, set_path, env)
    check(len(code) > 100, f"morvask --share codes the set ({len(code)} characters)")
    with browser(out, where="while sharing levels") as driver:
        driver.execute_cdp_cmd("Browser.grantPermissions", {
            "origin": url.rstrip("/"), "permissions": ["clipboardReadWrite", "clipboardSanitizedWrite"]})
        driver.get(url + "#levels=" + code)
        start_game(driver, level=None)
        box = answer_until(driver, "Ольга 写", out, "share-levels-opened.png")
        check(box is not None and "无题" in box["text"],
              f"the box says whose set it is, untitled ({box and box['text']!r})")
        check(probe(driver)["mode"] == 1, "the #levels= link opens the editor")
        check(level_set(driver) == values,
              "the page's editor holds the desktop's cells, odd codes included")
        check(stored_map(driver) is None, "opening a link writes no map.txt")
        # A shared set is saved beside map.txt, never over it.
        keys(driver, Keys.F3)
        answer_box(driver, "是否保存为新文件 map-shared-1.txt", "y")
        answer_box(driver, "已保存为 map-shared-1.txt", Keys.ENTER)
        check(numbers(stored_map(driver, "map-shared-1.txt") or "") == values,
              "saved in the page, map-shared-1.txt holds the desktop's cells")
        check(stored_map(driver) is None, "saving a shared set writes no map.txt")
        page_to_desktop(driver, url, native, out, env, values)


def page_to_desktop(driver, url, native, out, env, values):
    """A cell painted in the page goes to the desktop with the rest; the
    level alone makes a short link; a refused clipboard shows the field."""
    keys(driver, "7")  # water
    ActionChains(driver).move_to_element(driver.find_element(By.ID, "field")).click_and_hold(
        ).pause(0.3).release().perform()
    time.sleep(0.3)
    edited = level_set(driver)
    check(edited != values, "a click in the page's editor paints a cell")
    link = share_link(driver, 2)
    check(bool(link) and link.startswith(url + "#levels="),
          f"'share set' gives a link to this page ({(link or '')[:60]}...)")
    check(driver.execute_script("return morvaskPage.share.copied") == link,
          "with the clipboard allowed the link is copied")
    held = driver.execute_script("return navigator.clipboard.readText()")
    check(held == link, "the clipboard holds the link")
    driver.save_screenshot(os.path.join(out, "share-copied.png"))
    desktop_open(native, link, edited, out, env)

    level = share_link(driver, 1)
    check(bool(level) and "#levels=" in level and len(level) < len(link) / 10,
          f"'share level' gives a link to one level ({len(level or '')} characters)")

    # The clipboard refused: the link stands in a field to copy by hand.
    driver.execute_cdp_cmd("Browser.setPermission", {
        "origin": url.rstrip("/"), "permission": {"name": "clipboard-write"},
        "setting": "denied"})
    driver.execute_script("navigator.clipboard.writeText = () => "
                          "Promise.reject(new DOMException('refused', 'NotAllowedError'));")
    shown = share_link(driver, 2)
    field = driver.find_element(By.ID, "share-text")
    check(shown == link and field.is_displayed() and field.get_attribute("value") == link,
          "with the clipboard refused the link is shown in a field")
    driver.save_screenshot(os.path.join(out, "share-fallback.png"))


def desktop_boxes(log_path):
    """The desktop's boxes as its trace logs them."""
    with open(log_path) as f:
        return [line for line in f if line.startswith("dialog: open")]


def desktop_box_ready(log_path):
    """The desktop's last box takes answers: it says so once its reading
    pause is over."""
    with open(log_path) as f:
        said = [line.strip() for line in f
                if line.startswith(("dialog: open", "dialog: ready", "dialog: answer"))]
    return bool(said) and said[-1] == "dialog: ready"


def answer_desktop(boxes, expect, key="Return"):
    """Answers the desktop's boxes as they open (Return), up to the one
    holding `expect` (with `key`); false when it never came. `boxes` holds
    the log, the environment and how many were answered."""
    end = time.time() + 60
    while time.time() < end:
        opened = desktop_boxes(boxes["log"])
        if len(opened) <= boxes["answered"]:
            time.sleep(0.1)
            continue
        if not desktop_box_ready(boxes["log"]):
            time.sleep(0.1)
            continue
        found = expect in opened[boxes["answered"]]
        subprocess.run(["xdotool", "key", "--clearmodifiers", key if found else "Return"],
                       env=boxes["env"])
        boxes["answered"] += 1
        if found:
            return True
    return False


def desktop_open(native, link, values, out, env):
    """`morvask --open LINK` on the display web_e2e.sh started, saved with F3:
    map-shared-1.txt beside map.txt holds `values`, and no map.txt is made."""
    if not (os.environ.get("DISPLAY") and shutil.which("xdotool")):
        print("skipped: the desktop's --open of the page's link needs Xvfb, openbox, xdotool")
        return
    work = os.path.join(out, "desktop")
    os.makedirs(work, exist_ok=True)
    log_path = os.path.join(out, "desktop.log")
    with open(log_path, "w") as log:
        game = subprocess.Popen([os.path.join(native, "morvask"), "--scale", "1", "--open", link],
                                cwd=work, env=env, stderr=log)
    try:
        boxes = {"log": log_path, "env": env, "answered": 0}
        answer_desktop(boxes, "按键说明")
        answer_desktop(boxes, "是否开启游戏音效", "n")
        check(answer_desktop(boxes, "的关卡集"), "the desktop opens the page's link as a level set")
        time.sleep(0.5)
        subprocess.run(["xdotool", "key", "--clearmodifiers", "F3"], env=env)
        answer_desktop(boxes, "是否保存为新文件 map-shared-1.txt", "y")
        answer_desktop(boxes, "已保存为 map-shared-1.txt")
        path = os.path.join(work, "map-shared-1.txt")
        saved = open(path).read() if os.path.exists(path) else ""
        check(numbers(saved) == values,
              "the desktop's map-shared-1.txt, saved from the page's link, holds the page's cells")
        check(not os.path.exists(os.path.join(work, "map.txt")),
              "the desktop saves the page's shared set beside map.txt, not as it")
    finally:
        game.kill()
        game.wait()


def short_english_run(native, out):
    """A run of two players recorded with options the page does not have by
    default (the short intro, English boxes): the page must play it with the
    recorded ones, and the second player's keys as the game saw them."""
    work = os.path.join(out, "short-run")
    os.makedirs(work, exist_ok=True)
    replays = os.path.join(ROOT, "tests", "replays")
    shutil.copy(os.path.join(replays, "two_players_map.txt"), os.path.join(work, "map.txt"))
    with open(os.path.join(replays, "two_players.sim")) as f:
        # Without the start-up boxes the first answers go to the level's box
        # and the load question.
        script = f.read().replace("answer ok ok no ok yes ok", "answer ok yes")
    with open(os.path.join(work, "run.sim"), "w") as f:
        f.write(script)
    path = os.path.join(work, "run.mvr")
    subprocess.run([os.path.join(native, "morvask-sim"), "--lang", "en", "--intro", "short",
                    "--record", path, "run.sim"], cwd=work, stdout=subprocess.DEVNULL,
                   check=True, timeout=300)
    return path


def last_game_code(native, out):
    """The share code of the last game of a session of many games (the base
    shot again and again): a game's replay, from the state at its start."""
    work = os.path.join(out, "last-game")
    os.makedirs(work, exist_ok=True)
    with open(os.path.join(work, "run.sim"), "w") as f:
        f.write("seed 8\nanswer ok ok no ok\nstart\ntick 16\nhold D Space\ntick 3000\n")
    subprocess.run([os.path.join(native, "morvask-sim"), "--record", "run.mvr", "--share-run",
                    "run.code", "run.sim"], cwd=work, stdout=subprocess.DEVNULL, check=True,
                   timeout=300)
    with open(os.path.join(work, "run.code")) as f:
        return f.read().strip()


def replay_checks(url, native, out, env):
    """The pinned replays as links (one of them recorded by the Windows
    program): played at the page's speed to the end the sim finds; the
    controls pause and speed up."""
    runs = {name: os.path.join(ROOT, "tests", "replays", name + ".mvr")
            for name in ("game_over", "level1_cleared", "two_players", "windows_run")}
    runs["two_players_short_english"] = short_english_run(native, out)
    runs["last_game"] = None
    with browser(out, where="while playing replay links") as driver:
        for name, path in runs.items():
            code = last_game_code(native, out) if path is None else share_of(native, path, env)
            wanted = verify(native, code)
            check(wanted is not None and wanted["result"] == "same",
                  f"morvask-sim --verify takes the code of {name}.mvr ({wanted})")
            driver.get("about:blank")
            driver.get(url + "#replay=" + code)
            check(wait_for(driver, "const r = morvaskPage.share.replay; "
                                   "return r && r.tick > 50 && r.state === 'playing'") is not None,
                  f"{name}: the replay link plays")
            if name == "game_over":
                driver.find_element(By.ID, "replay-pause").click()
                at = driver.execute_script("return morvaskPage.share.replay.tick")
                time.sleep(0.6)
                still = driver.execute_script("return morvaskPage.share.replay.tick")
                driver.save_screenshot(os.path.join(out, "replay-paused.png"))
                check(still == at, f"pause holds the replay (tick {at}, then {still})")
                keys(driver, "p")
                time.sleep(0.5)
                check(driver.execute_script("return morvaskPage.share.replay.tick") > still,
                      "P goes on")
            driver.find_element(By.CSS_SELECTOR, "#replay-bar [data-speed='16']").click()
            result = wait_for(driver, "const r = morvaskPage.share.replay; "
                                      "return r.state === 'ended' && r", timeout=240)
            check(bool(result) and result["same"] and wanted and result["tick"] == wanted["tick"],
                  f"{name}: the page ends at the sim's tick as the same game "
                  f"({result and result['tick']}, sim {wanted and wanted['tick']})")
            check(bool(result) and result["checksum"] == result["recorded"],
                  f"{name}: the final checksum is the recorded one")
            text = driver.find_element(By.ID, "replay-result").text
            check("same game" in text, f"{name}: the page says so: {text!r}")
            driver.save_screenshot(os.path.join(out, f"replay-{name}.png"))
            check(stored_map(driver) is None, f"{name}: playing a link writes no map.txt")


def run_checks(url, native, out):
    """A game lost in the page (its base shot) is shared with "share run"; the
    link verifies in the sim and plays back in the page to the same tick."""
    with browser(out) as driver:
        # The map stored first, as an upload would, and the page started again:
        # a map replaced during a session cannot be played back.
        driver.get(url)
        wait_for(driver, "return morvaskPage.ready")
        level = [CODES[c] for row in GAME_OVER_LEVEL for c in row]
        check(driver.execute_async_script(
            "FS.writeFile('/save/map.txt', arguments[0]);"
            "Morvask.persistFiles('/save/map.txt').then(arguments[1]);", map_text(level * 35)),
            "the map for a quick game over is stored")
        driver.refresh()
        start_game(driver, level="第1关")
        check(not driver.find_element(By.CSS_SELECTOR, "#buttons [data-share='3']").is_displayed(),
              "'share run' is not offered before a game ended")
        keys(driver, Keys.F2)
        answer_box(driver, "是否载入自制地图", "y")
        answer_box(driver, "第1关", Keys.ENTER)
        time.sleep(0.5)
        ActionChains(driver).key_down("d").key_down(Keys.SPACE).pause(1.5).key_up(
            Keys.SPACE).key_up("d").perform()
        answer_box(driver, "游戏结束", Keys.ENTER)
        answer_box(driver, "第1关", Keys.ENTER)
        check(wait_for(driver, "return morvaskPage.share.gamesEnded === 1", timeout=5) is not None,
              "the page knows a game ended")
        button = driver.find_element(By.CSS_SELECTOR, "#buttons [data-share='3']")
        check(button.is_displayed(), "'share run' is offered after the game")
        link = share_link(driver, 3)
        check(bool(link) and "#replay=" in link, f"'share run' gives a replay link ({len(link or '')})")
        wanted = verify(native, link or "")
        check(wanted is not None and wanted["result"] == "same",
              f"morvask-sim --verify finds the shared run the same game ({wanted})")
        driver.get("about:blank")
        driver.get(link)
        wait_for(driver, "return morvaskPage.share.replay")
        driver.find_element(By.CSS_SELECTOR, "#replay-bar [data-speed='16']").click()
        result = wait_for(driver, "const r = morvaskPage.share.replay; "
                                  "return r.state === 'ended' && r", timeout=120)
        check(bool(result) and result["same"] and wanted and result["tick"] == wanted["tick"],
              f"the shared run plays back in the page to the sim's tick ({result and result['tick']})")


def malformed_checks(url, native, out, env):
    """Each malformed link refused with its reason; nothing changes."""
    level = os.path.join(out, "level.txt")
    with open(level, "w") as f:
        f.write(map_text([1] * 165))
    good = share_of(native, level, env)
    replay = share_of(native, os.path.join(ROOT, "tests", "replays", "editor_session.mvr"), env)
    raw = base64.urlsafe_b64decode(good + "=" * (-len(good) % 4))
    recode = lambda b: base64.urlsafe_b64encode(b).decode().rstrip("=")  # noqa: E731
    damaged = bytearray(raw)
    damaged[5] ^= 0x40
    cases = [
        ("levels", replay, "回放的分享码", "wrong kind"),
        ("levels", recode(raw[:1] + b"\x02" + raw[2:]), "其他版本", "wrong version"),
        ("levels", recode(bytes(damaged)), "校验和", "bad checksum"),
        ("levels", recode(raw[:len(raw) // 2]), "不完整", "truncated"),
        ("levels", "A" * 70000, "太长", "oversized"),
        ("levels", good[:8] + "*" + good[9:], "字符", "not base64"),
        ("replay", good, "wanted", "a level code as a replay"),
    ]
    with browser(out) as driver:
        for hash_kind, code, expect, name in cases:
            driver.get("about:blank")
            driver.get(f"{url}#{hash_kind}={code}")
            if hash_kind == "replay":
                refused = wait_for(driver, "const r = morvaskPage.share.replay; "
                                           "return r && r.state === 'refused' && r.reason")
                check(bool(refused) and expect in refused,
                      f"{name}: the replay link is refused ({refused!r})")
                start_game(driver, level="第1关")
                check(probe(driver)["mode"] == 0, f"{name}: the game starts as ever")
                continue
            start_game(driver, level="第1关")
            box = wait_for(driver, "return morvaskPage.dialog")
            check(bool(box) and expect in box["text"],
                  f"{name}: refused with its reason ({box and box['text']!r})")
            if name == "not base64":
                driver.save_screenshot(os.path.join(out, "share-refused.png"))
            answer_box(driver, "", Keys.ENTER)
            check(probe(driver)["mode"] == 0 and stored_map(driver) is None,
                  f"{name}: the game plays on and no map.txt is written")


def run(url, native, out):
    os.makedirs(out, exist_ok=True)
    env = desktop_env(out)
    levels_checks(url, native, out, env)
    replay_checks(url, native, out, env)
    run_checks(url, native, out)
    malformed_checks(url, native, out, env)
