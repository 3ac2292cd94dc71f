"""The web edition when the browser's storage fails: IndexedDB unavailable
before the page loads (its open refused, as a private window or a blocked
site may), and the storage full (the origin's quota made tiny). Either way
the page says so in one line, the game plays, and a save says it failed in
the game's own box; once the quota is back a save succeeds and outlives a
reload. A save whose last flush (the folder's, after the rename) is refused
says it failed too."""
import os
import time

from selenium.webdriver.common.action_chains import ActionChains
from selenium.webdriver.common.by import By
from selenium.webdriver.common.keys import Keys

from web_support import (answer_box, browser, check, keys, no_console_errors, probe, start_game,
                         wait_for)

SAVED, NOT_SAVED = "地图保存成功", "地图保存失败"


def storage_line(driver):
    """The page's line about its storage: its text, or None when hidden."""
    line = driver.find_element(By.ID, "storage")
    return line.text if line.is_displayed() else None


def plays(driver):
    """The tank drives left (where the first level leaves it room) for a
    second of held key, and the ticks run: the game plays."""
    time.sleep(0.5)  # the tank has come out onto the field
    before, ticks = probe(driver), driver.execute_script("return morvaskPage.ticks")
    ActionChains(driver).key_down(Keys.ARROW_LEFT).pause(1.0).key_up(Keys.ARROW_LEFT).perform()
    after, ran = probe(driver), driver.execute_script("return morvaskPage.ticks") - ticks
    return after["x"] < before["x"] and ran >= 30


def next_level_in_editor(driver):
    """The editor takes keys: Down opens the next level, with its title."""
    keys(driver, Keys.ARROW_DOWN)
    box = wait_for(driver, "return morvaskPage.dialog", timeout=5)
    if box:
        answer_box(driver, "第2关", Keys.ENTER)
    return bool(box) and "第2关" in box["text"]


def save_in_editor(driver, first):
    """F1 (the first time) and F3: the box the save answers with."""
    if first:
        keys(driver, Keys.F1)
        answer_box(driver, "是否切换到地图编辑模式", "y")
        answer_box(driver, "载入地图失败", Keys.ENTER)
        answer_box(driver, "", Keys.ENTER)  # the editor's level title
    keys(driver, Keys.F3)
    answer_box(driver, "是否保存自制地图", "y")
    box = wait_for(driver, "return morvaskPage.dialog")
    return box["text"] if box else ""


def save_folder(driver):
    return sorted(driver.execute_script(
        "return FS.readdir('/save').filter((n) => n !== '.' && n !== '..');"))


def blocked_checks(url, out):
    """IndexedDB refused before the page's first script runs."""
    with browser(out, where="with IndexedDB blocked") as driver:
        driver.execute_cdp_cmd("Page.addScriptToEvaluateOnNewDocument", {"source": """
            IDBFactory.prototype.open = function () {
              throw new DOMException('IndexedDB is blocked for this test', 'SecurityError');
            };"""})
        driver.get(url)
        check(wait_for(driver, "return window.morvaskPage && morvaskPage.firstFrameMs") is not None,
              "with IndexedDB blocked the page shows its first frame")
        line = storage_line(driver)
        check(bool(line) and "no storage" in line and "\n" not in line,
              f"the page says in one line that it keeps no storage: {line!r}")
        start_game(driver)
        check(plays(driver), "with IndexedDB blocked the game plays")
        text = save_in_editor(driver, first=True)
        check(NOT_SAVED in text, f"a save says in the game's box that it failed: {text!r}")
        answer_box(driver, NOT_SAVED, Keys.ENTER)
        check(save_folder(driver) == [],
              f"the failed save leaves the folder as it was ({save_folder(driver)})")
        check(driver.execute_script("return morvaskPage.storage.failedWrites") >= 1,
              "the page counted the refused write")
        keys(driver, Keys.F2)
        answer_box(driver, "是否载入自制地图", "y")
        box = wait_for(driver, "return morvaskPage.dialog")
        check(box is not None, "after the failed save the game still answers its keys")


def full_checks(url, out):
    """The origin's storage full while the game runs, then room again."""
    origin = url.rstrip("/")
    with browser(out) as driver:
        driver.get(url)
        check(wait_for(driver, "return window.morvaskPage && morvaskPage.storage.state !== "
                               "'reading' && morvaskPage.firstFrameMs") is not None,
              "the page starts with its storage")
        check(storage_line(driver) is None, "with storage the page says nothing about it")
        start_game(driver)
        driver.execute_cdp_cmd("Storage.overrideQuotaForOrigin",
                               {"origin": origin, "quotaSize": 1})
        text = save_in_editor(driver, first=True)
        check(NOT_SAVED in text, f"with the storage full a save fails in the game's box: {text!r}")
        answer_box(driver, NOT_SAVED, Keys.ENTER)
        line = storage_line(driver)
        check(bool(line) and "full" in line, f"the page says the storage is full: {line!r}")
        check(save_folder(driver) == [], "the refused save leaves no file behind")
        check(next_level_in_editor(driver), "the editor goes on after the failed save")

        driver.execute_cdp_cmd("Storage.overrideQuotaForOrigin", {"origin": origin})
        text = save_in_editor(driver, first=False)
        check(SAVED in text, f"with room again the save succeeds: {text!r}")
        answer_box(driver, SAVED, Keys.ENTER)
        check(storage_line(driver) is None, "the line about the full storage is gone")
        driver.refresh()
        wait_for(driver, "return window.morvaskPage && morvaskPage.firstFrameMs")
        check(save_folder(driver) == ["map.txt"], "the saved map.txt is there after a reload")
        no_console_errors(driver, "with the storage full")

        # A save flushes the new file, then the folder once the file has its
        # name: the second refused, the save must still say it failed.
        start_game(driver)
        keys(driver, Keys.F1)
        answer_box(driver, "是否切换到地图编辑模式", "y")
        answer_box(driver, "地图编辑", Keys.ENTER)  # the saved map loads without a word
        driver.execute_script("morvaskPage.storage.refuseFrom = morvaskPage.storage.writes + 2")
        text = save_in_editor(driver, first=False)
        check(NOT_SAVED in text, f"a save whose last flush is refused says it failed: {text!r}")
        answer_box(driver, NOT_SAVED, Keys.ENTER)
        check(driver.execute_script("return morvaskPage.storage.writes") >= 2,
              "the refused flush came after the file's own")


def run(url, out):
    os.makedirs(out, exist_ok=True)
    blocked_checks(url, out)
    full_checks(url, out)
