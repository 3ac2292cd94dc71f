#!/usr/bin/env python3
"""The web edition in a real headless Chromium: the page, a game, the editor,
the stored map across a reload, the downloaded map against the desktop's
save; then morvask-sim built to WebAssembly against the native one, and the
tick benchmark in both.

usage: web_e2e.py DIST_DIR WEB_BUILD_DIR NATIVE_BUILD_DIR OUTPUT_DIR
Exits 0 when every check passed, 1 when one failed, 77 when Chromium, its
WebDriver or Selenium is missing.
"""
import json
import os
import shutil
import subprocess
import sys
import time

try:
    from selenium.webdriver.common.action_chains import ActionChains
    from selenium.webdriver.common.by import By
    from selenium.webdriver.common.keys import Keys
except ImportError:
    print("skipped: python3-selenium is not installed")
    sys.exit(77)

import web_more_checks
import web_phone_checks
import web_serve_checks
import web_share_checks
import web_storage_checks
import web_touch_checks
import web_work_checks
from web_support import (CELL, CHROMEDRIVER, CHROMIUM, FIELD_H, FIELD_W, answer_box, browser,
                         check, failures, keys, probe, serve, shown_canvas, start_game,
                         wait_for)



def canvas_digest(driver, x=0, y=0, w=FIELD_W, h=FIELD_H):
    return driver.execute_script(f"""
        const data = document.getElementById('field').getContext('2d')
            .getImageData({x}, {y}, {w}, {h}).data;
        let h1 = 0, h2 = 0;
        for (let i = 0; i < data.length; i += 4) {{
            h1 = (h1 * 31 + data[i] + 7 * data[i + 1] + 13 * data[i + 2]) | 0;
            h2 = (h2 + data[i] + data[i + 1] + data[i + 2]) | 0;
        }}
        return h1 + ':' + h2;""")


def cell_pixels(driver, column, row):
    return driver.execute_script(f"""
        return Array.from(document.getElementById('field').getContext('2d')
            .getImageData({column * CELL}, {row * CELL}, {CELL}, {CELL}).data);""")


def point_at(driver, fx, fy):
    """Moves the pointer over field pixel (fx, fy)."""
    canvas = shown_canvas(driver)
    scale = canvas.size["width"] / FIELD_W
    dx = round((fx + 0.5) * scale - canvas.size["width"] / 2)
    dy = round((fy + 0.5) * scale - canvas.size["height"] / 2)
    ActionChains(driver).move_to_element_with_offset(canvas, dx, dy).perform()
    time.sleep(0.1)


def editor_keys_checks(driver, column, row, unpainted, painted):
    """The editor's Ctrl commands and F5 reach the game; F5 never reloads."""
    def cell_is(expected):
        end = time.time() + 3
        while time.time() < end:
            if cell_pixels(driver, column, row) == expected:
                return True
            time.sleep(0.1)
        return False

    ActionChains(driver).key_down(Keys.CONTROL).send_keys("z").key_up(Keys.CONTROL).perform()
    check(cell_is(unpainted), "Ctrl+Z undoes the painted cell")
    ActionChains(driver).key_down(Keys.CONTROL).send_keys("y").key_up(Keys.CONTROL).perform()
    check(cell_is(painted), "Ctrl+Y paints it again")

    # A listener after the page's own sees whether the browser may still
    # act on F5 (reload): the page must have taken it.
    driver.execute_script("""window.sameDocument = 'before F5';
        window.addEventListener('keydown', (e) => {
            if (e.code === 'F5') window.f5Prevented = e.defaultPrevented; });""")
    keys(driver, Keys.F5)
    answer_box(driver, "准备进入第1关", Keys.ENTER)
    check(probe(driver)["mode"] == 2, "F5 in the editor starts trying the level")
    keys(driver, Keys.ESCAPE)
    answer_box(driver, "地图编辑", Keys.ENTER)
    check(probe(driver)["mode"] == 1, "Esc ends the try, back in the editor")
    check(driver.execute_script("return window.sameDocument === 'before F5' && "
                                "window.f5Prevented === true"),
          "F5 did not reload the page (the same document; its default prevented)")
    check(cell_is(painted), "the painted cell is still there after the try")


def run_native_sim(native, script, workdir):
    """The native morvask-sim run on `script` in `workdir`: its lines, error
    lines and status."""
    os.makedirs(workdir, exist_ok=True)
    done = subprocess.run([os.path.join(native, "morvask-sim")], input=script, text=True,
                          capture_output=True, cwd=workdir, timeout=120)
    return done.stdout.splitlines(), done.stderr.splitlines(), done.returncode


def empty_cell(native, out):
    """An empty cell of level 1 away from the tanks' roads, to paint."""
    lines, _, _ = run_native_sim(native, "start\ndump levels\n", os.path.join(out, "n0"))
    levels = json.loads(lines[-1])
    level1 = levels["LevelSet"][:165]
    return next((c, r) for r in (5, 4, 6) for c in (1, 2, 3, 11, 12, 13)
                if level1[r * 15 + c] == 0)


def play_checks(driver, shots):
    """The page's first frame, its start-up and a few seconds of play; the
    timing measured."""
    first = wait_for(driver, "return window.morvaskPage && window.morvaskPage.firstFrameMs")
    check(first is not None, "the page shows a first frame")
    timing = {"firstFrameMs": round(first or -1)}
    print(f"     first frame {timing['firstFrameMs']} ms after navigation", flush=True)
    check(driver.find_element(By.ID, "caption").text.startswith("Morvask"),
          "the page has its caption")
    start_game(driver, "y", shots=shots, prefix="01")

    # A few seconds of play change the picture.
    before = canvas_digest(driver)
    ticks_before = driver.execute_script("return [morvaskPage.ticks, morvaskPage.tickMs]")
    # The canvas is checked against the game's own picture after each of
    # the next presents (only the changed rectangles are sent).
    driver.execute_script("morvaskPage.checkPresents = 150;")
    chain = ActionChains(driver)
    for arrow in (Keys.ARROW_UP, Keys.ARROW_LEFT, Keys.ARROW_RIGHT):
        chain.key_down(arrow).key_down(Keys.SPACE).pause(0.7).key_up(Keys.SPACE).key_up(arrow)
    chain.perform()
    time.sleep(0.3)
    ticks_after = driver.execute_script("return [morvaskPage.ticks, morvaskPage.tickMs]")
    played = ticks_after[0] - ticks_before[0]
    timing["playTicks"] = played
    timing["pageTickMs"] = round((ticks_after[1] - ticks_before[1]) / max(1, played), 3)
    print(f"     {played} ticks in the page while playing, {timing['pageTickMs']} ms each",
          flush=True)
    check(played >= 50, "the game ticks while it is played")
    presented = driver.execute_script(
        "return [morvaskPage.presentsChecked, morvaskPage.presentMismatches]")
    check(presented[0] >= 50 and presented[1] == 0,
          f"after {presented[0]} presents of changed rectangles the canvas shows the "
          f"game's picture exactly ({presented[1]} pixels differ)")
    driver.save_screenshot(os.path.join(shots, "02-play.png"))
    check(canvas_digest(driver) != before, "arrows and Space change the picture")
    check(driver.execute_script("return window.scrollY") == 0,
          "the arrows and Space do not scroll the page")
    status_checks(driver, lambda game: f"第{game['level'] + 1}关 · 坦克 {game['lives']} · 敌人 ",
                  "in play")
    return timing


def status_checks(driver, expected, what):
    """The status the game gives, under the field in place of the caption and
    in the tab's title. `expected(game)` is how it begins for the game's
    probe; the page takes the status at the next frame, so it may lag."""
    deadline = time.time() + 3
    while True:
        shown = driver.execute_script("""const line = document.getElementById('game-status');
            return [morvaskPage.status, line.textContent, line.hidden,
                    document.getElementById('caption').hidden, document.title,
                    JSON.parse(Module.UTF8ToString(Module._morvask_probe()))];""")
        status, line, line_hidden, caption_hidden, title, game = shown
        good = (status.startswith(expected(game)) and line == status and not line_hidden and
                caption_hidden and title == "Morvask — " + status)
        if good or time.time() > deadline:
            break
        time.sleep(0.1)
    check(good, f"{what}: the page shows the status \"{status}\" under the field and in the title")


def editor_checks(driver, shots, cell):
    """A cell painted with the pointer, the editor's keys, and F3's save: the
    painted cell's pixels and the stored map."""
    column, row = cell
    fx, fy = column * CELL + 20, row * CELL + 20
    keys(driver, "p")
    answer_box(driver, "游戏暂停", Keys.ENTER, shots, "03-pause.png")

    # The editor: paint one cell, save.
    keys(driver, Keys.F1)
    answer_box(driver, "是否切换到地图编辑模式", "y")
    answer_box(driver, "载入地图失败", Keys.ENTER, shots, "04-no-map.png")
    answer_box(driver, "", Keys.ENTER)  # the editor's level title
    status_checks(driver, lambda game: "地图编辑 · 第1关", "in the editor")
    unpainted = cell_pixels(driver, column, row)
    point_at(driver, fx, fy)
    ActionChains(driver).click_and_hold().pause(0.3).release().perform()
    # The pointer rests elsewhere: the editor marks the cell under it.
    point_at(driver, (column + 4 if column < 7 else column - 4) * CELL, 10 * CELL)
    time.sleep(0.2)
    painted = cell_pixels(driver, column, row)
    driver.save_screenshot(os.path.join(shots, "05-editor.png"))
    check(painted != unpainted, "a click paints a cell in the editor")
    editor_keys_checks(driver, column, row, unpainted, painted)
    keys(driver, Keys.F3)
    answer_box(driver, "是否保存自制地图", "y")
    answer_box(driver, "地图保存成功", Keys.ENTER)
    stored = driver.execute_script(
        "try { return Array.from(FS.readFile('/save/map.txt')); } catch (e) { return null; }")
    if not check(stored is not None, "F3 saved map.txt"):
        print("     the folders:", driver.execute_script(
            "return [FS.cwd(), FS.readdir('/save'), FS.readdir(FS.cwd())]"))
    return painted, stored


def saved_map_checks(driver, native, out, downloads, cell, stored):
    """The download against the desktop's save; an upload that is no map."""
    fx, fy = cell[0] * CELL + 20, cell[1] * CELL + 20
    # The download is the desktop's save of the same levels, byte for byte.
    driver.find_element(By.ID, "download").click()
    target = os.path.join(downloads, "map.txt")
    end = time.time() + 10
    while time.time() < end and not os.path.exists(target):
        time.sleep(0.1)
    desktop_dir = os.path.join(out, "desktop-save")
    run_native_sim(native, f"""start
answer yes
press F1
mouse {fx} {fy}
hold LButton
tick 3
release LButton
answer yes
press F3
""", desktop_dir)
    desktop = open(os.path.join(desktop_dir, "map.txt"), "rb").read()
    web = open(target, "rb").read() if os.path.exists(target) else b""
    check(len(web) > 0 and web == desktop,
          f"the downloaded map.txt ({len(web)} bytes) equals the desktop's save "
          f"({len(desktop)} bytes)")
    run_native_sim(native, "start\nanswer yes\npress F1\nanswer yes\npress F3\n",
                   os.path.join(out, "n1"))
    check(open(os.path.join(out, "n1", "map.txt"), "rb").read() != web,
          "the painted cell is in the saved map")

    # An upload that is not a map is refused and leaves the stored one.
    bad = os.path.join(out, "not-a-map.txt")
    with open(bad, "w") as f:
        f.write("1 , 2 , 3\n")
    driver.find_element(By.ID, "chooser").send_keys(bad)
    message = wait_for(driver, """const s = document.getElementById('status').textContent;
        return s.includes('not a map') ? s : null;""", timeout=5)
    check(message is not None, f"a file that is not a map is refused: {message}")
    same = driver.execute_script("return Array.from(FS.readFile('/save/map.txt'));")
    check(same == stored, "the refused upload keeps the stored map")


def page_checks(url, native, out, cell):
    shots = os.path.join(out, "screenshots")
    downloads = os.path.join(out, "downloads")
    os.makedirs(shots, exist_ok=True)
    os.makedirs(downloads, exist_ok=True)
    column, row = cell
    with browser(downloads, where="in the page") as driver:
        driver.get(url)
        timing = play_checks(driver, shots)
        painted, stored = editor_checks(driver, shots, cell)
        saved_map_checks(driver, native, out, downloads, cell, stored)
        # After a reload, F2 plays the stored map, painted cell included.
        driver.refresh()
        start_game(driver, "y", shots=shots, prefix="06")
        plain = cell_pixels(driver, column, row)
        keys(driver, Keys.F2)
        answer_box(driver, "是否载入自制地图", "y")
        answer_box(driver, "", Keys.ENTER, shots, "07-loaded-level.png")
        time.sleep(0.2)
        loaded = cell_pixels(driver, column, row)
        driver.save_screenshot(os.path.join(shots, "08-loaded.png"))
        alike = sum(1 for a, b in zip(loaded, painted) if a == b) / len(painted)
        check(loaded != plain and alike > 0.9,
              f"after the reload F2 shows the painted cell ({alike:.0%} alike)")
    return timing


def harness_site(dist, web_build, native, out):
    """The harness beside the shipped page files, so that it loads the same
    pictures and sounds, with the WebAssembly tools."""
    site = os.path.join(out, "harness")
    shutil.copytree(dist, site)
    here = os.path.dirname(os.path.abspath(__file__))
    shutil.copyfile(os.path.join(here, "web_harness.html"), os.path.join(site, "harness.html"))
    # The harness names the page's scripts it shares plainly.
    for plain in ("picture_worker.js", "resources.js"):
        shutil.copyfile(os.path.join(dist, web_serve_checks.shipped_as(dist, plain)),
                        os.path.join(site, plain))
    # The page may ship a wave compressed; the tools read the WAV's header.
    for name in os.listdir(os.path.join(native, "assets")):
        if name.startswith("wave") and name.endswith(".wav"):
            shutil.copyfile(os.path.join(native, "assets", name),
                            os.path.join(site, "assets", name[len("wave"):]))
    for name in ("morvask-sim.js", "morvask-sim.wasm", "morvask-tickbench.js",
                 "morvask-tickbench.wasm"):
        shutil.copyfile(os.path.join(web_build, "web", name), os.path.join(site, name))
    return site


def harness_checks(url, native, out):
    with browser(out, where="in the harness") as driver:
        driver.get(url + "harness.html")
        check(wait_for(driver, "return window.harnessReady === true") is not None,
              "the harness page loads")
        driver.set_script_timeout(300)
        pictures = driver.execute_async_script(
            "const done = arguments[0]; checkPictures().then(done);")
        for number, picture in sorted(pictures.items()):
            check(picture["same"], f"{picture['file']} decodes in the browser to the game's own "
                                   f"{picture['width']} x {picture['height']} pixels")
        scenarios = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "scenarios")
        with_states = 0
        for name in sorted(os.listdir(scenarios)):
            if not name.endswith(".sim"):
                continue
            # A state dump at the end compares the whole game as each run left it.
            script = open(os.path.join(scenarios, name)).read() + "\ndump\n"
            workdir = os.path.join(out, "sim", name)
            native_run = run_native_sim(native, script, workdir)
            web = driver.execute_async_script(
                "const done = arguments[1]; runSim(arguments[0]).then(done);", script)
            with open(os.path.join(workdir, "web.out"), "w") as f:
                f.write("\n".join(web["out"] + ["# stderr"] + web["err"]) + "\n")
            states = sum(1 for line in native_run[0] if '"type":"state"' in line)
            same = (web["out"], web["err"], web["status"]) == native_run
            with_states += 1 if same and states else 0
            check(same, f"{name}: the wasm morvask-sim writes the native lines and status "
                        f"({len(web['out'])} lines, {states} state lines, exit {web['status']})")
        check(with_states >= 3, f"{with_states} scenarios with state lines agree")
        # The fastest of three runs each: the machine's other work only adds.
        ticks = 30000
        wasm, native_result = {}, {}
        for _ in range(3):
            bench = driver.execute_async_script(
                "const done = arguments[1]; runTickBench(arguments[0]).then(done);", ticks)
            if bench["out"]:
                run = json.loads(bench["out"][-1])
                if not wasm or run["logicTickNs"] < wasm["logicTickNs"]:
                    wasm = run
            native_run = subprocess.run([os.path.join(native, "morvask-tickbench"), str(ticks)],
                                        capture_output=True, text=True, timeout=300)
            run = json.loads(native_run.stdout.splitlines()[-1])
            if not native_result or run["logicTickNs"] < native_result["logicTickNs"]:
                native_result = run
        check(bool(wasm), "the tick benchmark runs in the browser")
        results = {"wasm": wasm, "native": native_result}
        if wasm:
            ratio = wasm["logicTickNs"] / max(1, native_result["logicTickNs"])
            results["logicRatio"] = round(ratio, 2)
            results["drawnRatio"] = round(wasm["drawnTickNs"] / max(1, native_result["drawnTickNs"]), 2)
            print(f"     logic tick: wasm {wasm['logicTickNs']} ns, native "
                  f"{native_result['logicTickNs']} ns ({ratio:.2f}x); drawn tick: wasm "
                  f"{wasm['drawnTickNs']} ns, native {native_result['drawnTickNs']} ns", flush=True)
    return results


def main():
    if len(sys.argv) != 5:
        print(__doc__)
        return 2
    dist, web_build, native, out = (os.path.abspath(a) for a in sys.argv[1:5])
    for tool in (CHROMIUM, CHROMEDRIVER):
        if not os.access(tool, os.X_OK):
            print(f"skipped: {tool} is missing (needs chromium and chromium-driver)")
            return 77
    shutil.rmtree(out, ignore_errors=True)
    os.makedirs(out)

    web_serve_checks.build_checks(dist)
    page_server, page_url = serve(dist)
    bench_server, bench_url = serve(harness_site(dist, web_build, native, out))
    # WEB_E2E_ONLY=touch,more (say) runs only those groups, while working on them.
    only = set(filter(None, os.environ.get("WEB_E2E_ONLY", "").split(",")))
    wanted = lambda group: not only or group in only  # noqa: E731
    timing, bench, wire = {}, {}, {}
    cell = empty_cell(native, out)
    try:
        if wanted("serve"):
            web_serve_checks.server_checks(dist, os.path.join(out, "served"))
            wire = web_serve_checks.wire_checks(page_url, os.path.join(out, "wire"))
            web_serve_checks.loading_checks(page_url, os.path.join(out, "screenshots"))
        if wanted("page"):
            timing = page_checks(page_url, native, out, cell)
        if wanted("more"):
            web_more_checks.run(page_url, dist, out)
        if wanted("touch"):
            web_touch_checks.run(page_url, out, cell)
        if wanted("storage"):
            web_storage_checks.run(page_url, os.path.join(out, "storage"))
        if wanted("work"):
            web_work_checks.run(page_url, os.path.join(out, "work"))
        if wanted("share"):
            web_share_checks.run(page_url, native, os.path.join(out, "share"))
        if wanted("phone"):
            web_phone_checks.run(page_url, native, os.path.join(out, "phone"))
        if wanted("harness"):
            bench = harness_checks(bench_url, native, out)
    finally:
        page_server.shutdown()
        bench_server.shutdown()
    summary = {**wire, **timing, "tick": bench}
    with open(os.path.join(out, "summary.json"), "w") as f:
        json.dump(summary, f, indent=1)
    print(json.dumps(summary))
    if failures:
        print(f"{len(failures)} check(s) failed")
        return 1
    print("All web checks passed.")
    return 0


if __name__ == "__main__":
    sys.exit(main())
