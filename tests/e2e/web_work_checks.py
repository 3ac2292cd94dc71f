"""The editor's unsaved work on the page: while edits are not saved, leaving
the page asks first (beforeunload) and the levels are kept in localStorage;
after a forced reload the kept levels are offered back in the page's box and
come back into the editor as the player's own (F3 saves them as map.txt);
a localStorage that refuses them (full) is told in that box."""
import time

from selenium.common.exceptions import NoAlertPresentException, TimeoutException
from selenium.webdriver.common.action_chains import ActionChains
from selenium.webdriver.common.by import By
from selenium.webdriver.common.keys import Keys

from web_share_checks import answer_until
from web_support import answer_box, browser, check, keys, no_console_errors, start_game, wait_for


def numbers(text):
    return [int(v) for v in text.replace(",", " ").split()]


def level_set(driver):
    return numbers(driver.execute_script("return UTF8ToString(Module._morvask_level_set())"))


def kept(driver):
    """The levels the page keeps, or None."""
    return driver.execute_script("""
        const work = JSON.parse(localStorage.getItem('morvask.work') || 'null');
        return work && work.levels;""")


def kept_becomes(driver, levels, seconds=5.0):
    """Whether the page's kept levels are `levels` within a few seconds."""
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        if numbers(kept(driver) or "") == levels:
            return True
        time.sleep(0.1)
    return False


def edit_in_editor(driver):
    """F1 into the editor (no map stored), then Ctrl+Delete clears the first
    level: an edit not saved."""
    keys(driver, Keys.F1)
    answer_box(driver, "是否切换到地图编辑模式", "y")
    answer_box(driver, "载入地图失败", Keys.ENTER)
    answer_box(driver, "", Keys.ENTER)  # the editor's level title
    before = level_set(driver)
    ActionChains(driver).key_down(Keys.CONTROL).send_keys(Keys.DELETE).key_up(Keys.CONTROL).perform()
    check(wait_for(driver, "return Module._morvask_edits_unsaved() === 1", timeout=5) is not None,
          "Ctrl+Delete in the editor is an edit not saved")
    return before


def work_box(driver):
    return wait_for(driver, "return morvaskPage.work.box", timeout=10)


def click_answer(driver, answer):
    driver.find_element(By.CSS_SELECTOR, f"#workbox button[data-answer='{answer}']").click()
    wait_for(driver, "return morvaskPage.work.box === null", timeout=5)


def reload_forced(driver):
    """Reloads the page; a leave question the browser shows is accepted.
    True when one was shown."""
    driver.execute_script("setTimeout(() => location.reload(), 0)")
    try:
        time.sleep(0.5)
        alert = driver.switch_to.alert
        alert.accept()
        return True
    except (NoAlertPresentException, TimeoutException):
        return False


def kept_and_offered(url, out):
    with browser(out) as driver:
        driver.get(url)
        start_game(driver)
        offered = wait_for(driver, "return morvaskPage.work.offered", timeout=10)
        check(offered == "none", f"with nothing kept the page offers nothing ({offered!r})")
        edit_in_editor(driver)
        edited = level_set(driver)
        check(wait_for(driver, "return morvaskPage.work.kept >= 1", timeout=5) is not None,
              "the edited levels are kept in the page's storage as they change")
        # The keep that follows the edit may come a moment after an earlier one.
        check(kept_becomes(driver, edited), "the kept levels are the editor's")
        asked = driver.execute_script("""
            const event = new Event('beforeunload', {cancelable: true});
            window.dispatchEvent(event);
            return event.defaultPrevented;""")
        check(asked, "with edits not saved, leaving the page asks first")
        # WebDriver answers the browser's own leave question itself (when it
        # shows one at all headless): the reload goes ahead, as a forced one.
        print(f"     the browser's leave question was {'' if reload_forced(driver) else 'not '}"
              "seen by WebDriver")
        wait_for(driver, "return window.morvaskPage && morvaskPage.firstFrameMs")
        start_game(driver)
        box = work_box(driver)
        check(box is not None and "未保存" in box["text"],
              f"after the reload the kept edits are offered back ({box and box['text'][:40]!r})")
        click_answer(driver, "yes")
        answer_box(driver, "第1关地图编辑", Keys.ENTER)
        answer_box(driver, "的关卡集", Keys.ENTER)
        check(level_set(driver) == edited, "the editor holds the kept edits again")
        check(driver.execute_script("return Module._morvask_levels_shared()") == 0,
              "the kept edits come back as the player's own levels")
        keys(driver, Keys.F3)
        answer_box(driver, "是否保存自制地图", "y")
        answer_box(driver, "地图保存成功", Keys.ENTER)
        stored = driver.execute_script("""
            try { return new TextDecoder().decode(FS.readFile('/save/map.txt')); }
            catch (e) { return null; }""")
        check(numbers(stored or "") == edited, "F3 saves the kept edits as map.txt")
        check(wait_for(driver, "return localStorage.getItem('morvask.work') === null",
                       timeout=5) is not None, "once saved, the kept copy is let go")
        left = driver.execute_script("""
            const event = new Event('beforeunload', {cancelable: true});
            window.dispatchEvent(event);
            return event.defaultPrevented;""")
        check(not left, "with the edits saved, leaving the page asks nothing")
        no_console_errors(driver, "keeping the editor's work")


def let_go_and_full(url, out):
    with browser(out) as driver:
        driver.get(url)
        start_game(driver)
        edit_in_editor(driver)
        wait_for(driver, "return morvaskPage.work.kept >= 1", timeout=5)
        reload_forced(driver)
        wait_for(driver, "return window.morvaskPage && morvaskPage.firstFrameMs")
        start_game(driver)
        check(work_box(driver) is not None, "the kept edits are offered")
        click_answer(driver, "no")
        check(kept(driver) is None, "No lets the kept edits go")
        # The storage full: the page's localStorage filled to its quota.
        driver.execute_script("""
            let k = 0;
            for (const size of [1 << 18, 1 << 14, 1 << 10, 64, 1]) {
              const block = 'x'.repeat(size);
              try { for (;;) localStorage.setItem('fill-' + k++, block); }
              catch (e) { window.filled = String(e.name); }
            }""")
        check(driver.execute_script("return window.filled") == "QuotaExceededError",
              "the test filled localStorage to its quota")
        edit_in_editor(driver)
        box = work_box(driver)
        check(box is not None and "浏览器拒绝保存" in box["text"],
              f"a storage that refuses the edits is told in a box ({box and box['text'][:40]!r})")
        click_answer(driver, "ok")
        check(driver.execute_script("return morvaskPage.work.failed") == "QuotaExceededError",
              "the box tells of the quota refused")


def link_offers_nothing(url, out):
    """A shared set opened from a link on a first visit is not offered back
    as the last visit's work (it is kept from then on, not saved)."""
    with browser(out) as driver:
        driver.get(url)
        start_game(driver)
        code = driver.execute_script("return UTF8ToString(Module._morvask_share_code(2))")
    with browser(out) as driver:
        driver.get(url + "#levels=" + code)
        start_game(driver, level=None)
        answer_until(driver, "的关卡集")
        offered = wait_for(driver, "return morvaskPage.work.offered", timeout=10)
        time.sleep(1.5)
        check(offered == "none" and driver.execute_script("return morvaskPage.work.box") is None,
              f"a link's levels are not offered as the last visit's work ({offered!r})")


def run(url, out):
    kept_and_offered(url, out)
    let_go_and_full(url, out)
    link_offers_nothing(url, out)
