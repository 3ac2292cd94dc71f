#!/usr/bin/env python3
"""What the web edition costs in headless Chromium: the first frame and the
first box after navigation (cold, a fresh profile each time), the browser's
CPU during busy play (all of Chromium's processes, its renderer alone, and by
thread, from /proc), the tick rate and the dropped ticks and frames with the
CPU throttled 4x, the download size gzip-compressed, and the machine's load
average at the start and the end.

With --reference, also the CPU of reference_page.html (twenty 64 x 64
rectangles put on a bare canvas at every frame) over as many seconds, right
after play: how fast the machine is at the moment, for comparing runs.

With --warmup=S, the game is played S seconds before each measured play:
its first seconds include the browser compiling the hot WebAssembly again.

With --saver, the page's battery saver is chosen before play (at most 30
frames a second shown).

With --device=W,H,RATIO, the page is shown as on a phone or tablet of that
size in CSS pixels and that device pixel ratio (DevTools' device emulation,
on the same window): 390,844,3 is a phone held upright.

With --starts=N, only N cold starts: the first frame, the first box, when
every picture was in, and the renderer's resident memory once they were.

usage: page_measure.py DIST_DIR [SECONDS] [--size=W,H] [--device=W,H,RATIO] [--warmup=S]
                      [--reference] [--saver]
       page_measure.py DIST_DIR --starts=N [--size=W,H]
Prints one JSON line; docs/performance.md says how the numbers were taken."""
import contextlib
import gzip
import json
import os
import shutil
import statistics
import sys
import tempfile
import threading
import time

from selenium import webdriver
from selenium.webdriver.chrome.service import Service

CHROMIUM = shutil.which("chromium") or "/usr/bin/chromium"
CHROMEDRIVER = shutil.which("chromedriver") or "/usr/bin/chromedriver"
TICKS = os.sysconf("SC_CLK_TCK")


sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..",
                                "platform", "web"))
import serve_web  # noqa: E402


def serve(directory):
    """The folder served as ./scripts/web serves it (compressed, cached)."""
    server = serve_web.make_server(directory)
    server.quiet = True
    threading.Thread(target=server.serve_forever, daemon=True).start()
    return server, f"http://127.0.0.1:{server.server_address[1]}/"


def start_browser(profile, size):
    options = webdriver.ChromeOptions()
    options.binary_location = CHROMIUM
    for flag in ["--headless=new", "--no-sandbox", "--disable-dev-shm-usage",
                 f"--window-size={size}", f"--user-data-dir={profile}", "--disable-gpu",
                 "--no-first-run"]:
        options.add_argument(flag)
    driver = webdriver.Chrome(service=Service(CHROMEDRIVER), options=options)
    # The browser's own animation frames, counted the same way for any
    # version of the page: those that came more than 34 ms (two frames of a
    # 60 Hz display) after the one before are late.
    driver.execute_cdp_cmd("Page.addScriptToEvaluateOnNewDocument", {"source": """
        window.measuredFrames = { count: 0, late: 0 };
        (function () {
          let last = 0;
          const step = (now) => {
            if (last && now - last > 34) window.measuredFrames.late += 1;
            window.measuredFrames.count += 1;
            last = now;
            requestAnimationFrame(step);
          };
          requestAnimationFrame(step);
        })();"""})
    return driver


@contextlib.contextmanager
def browser_session(size):
    """A headless Chromium on a fresh profile, gone with its profile after."""
    profile = tempfile.mkdtemp(prefix="morvask-measure-")
    driver = start_browser(profile, size)
    try:
        yield driver
    finally:
        driver.quit()
        shutil.rmtree(profile, ignore_errors=True)


def descendants(root):
    """The processes below `root`, by pid, with their command lines."""
    parents = {}
    for name in os.listdir("/proc"):
        if not name.isdigit():
            continue
        try:
            with open(f"/proc/{name}/stat") as f:
                fields = f.read().rsplit(")", 1)[1].split()
            parents[int(name)] = int(fields[1])
        except OSError:
            continue
    found, frontier = set(), {root}
    while frontier:
        frontier = {pid for pid, parent in parents.items() if parent in frontier} - found
        found |= frontier
    return found


def thread_seconds(pids):
    """User and system CPU seconds of every thread of the processes, by
    process kind and thread name (digits dropped: a pool counts as one)."""
    spent = {}
    for pid, kind in pids.items():
        try:
            tids = os.listdir(f"/proc/{pid}/task")
        except OSError:
            continue
        for tid in tids:
            try:
                with open(f"/proc/{pid}/task/{tid}/stat") as f:
                    text = f.read()
            except OSError:
                continue
            name = "".join(c for c in text[text.index("(") + 1:text.rindex(")")]
                           if not c.isdigit()).rstrip()
            fields = text.rsplit(")", 1)[1].split()
            key = f"{kind}:{name}"
            spent[key] = spent.get(key, 0) + (int(fields[11]) + int(fields[12])) / TICKS
    return spent


def cpu_seconds(pids):
    """User and system CPU seconds of each process, by pid."""
    spent = {}
    for pid in pids:
        try:
            with open(f"/proc/{pid}/stat") as f:
                fields = f.read().rsplit(")", 1)[1].split()
            with open(f"/proc/{pid}/cmdline", "rb") as f:
                line = f.read()
            kind = (line.split(b"--type=", 1)[1].replace(b"\0", b" ").split(b" ")[0]
                    if b"--type=" in line else b"browser")
            spent[pid] = ((int(fields[11]) + int(fields[12])) / TICKS, kind)
        except OSError:
            continue
    return spent


def cpu_between(before, after):
    """CPU seconds spent by the processes of `before` until `after`."""
    return sum(after[p][0] - before[p][0] for p in after if p in before)


def wait_for(driver, script, timeout=30.0):
    end = time.time() + timeout
    while time.time() < end:
        value = driver.execute_script(script)
        if value:
            return value
        time.sleep(0.05)
    return None


def key(driver, code, kind):
    names = {"Enter": ("Enter", 13), "KeyY": ("y", 89), "Space": (" ", 32),
             "KeyZ": ("z", 90), "KeyF": ("f", 70),
             "ArrowUp": ("ArrowUp", 38), "ArrowLeft": ("ArrowLeft", 37),
             "ArrowRight": ("ArrowRight", 39), "ArrowDown": ("ArrowDown", 40)}
    name, number = names[code]
    driver.execute_cdp_cmd("Input.dispatchKeyEvent", {
        "type": kind, "code": code, "key": name, "windowsVirtualKeyCode": number})


def press(driver, code):
    key(driver, code, "rawKeyDown")
    key(driver, code, "keyUp")


def answer(driver, code):
    if wait_for(driver, "return window.morvaskPage && window.morvaskPage.dialog") is None:
        raise RuntimeError("no box came")
    shown = driver.execute_script("return morvaskPage.dialogsShown")
    press(driver, code)
    wait_for(driver, f"const p = morvaskPage; return !p.dialog || p.dialogsShown > {shown};")


def play_busy(driver, seconds, browser_pid):
    """Holds fire and drives in turn for `seconds`; what it cost. A box that
    opens (the tank lost) is answered, and the time it stood open told."""
    read = "const p = morvaskPage, f = measuredFrames; return [p.ticks, p.framesShown || 0, " \
           "f.count, f.late, performance.now(), p.frameWorkMs || 0, p.presentMs || 0, " \
           "p.presentedPixels || 0];"
    key(driver, "Space", "rawKeyDown")
    time.sleep(0.5)
    pids = descendants(browser_pid)
    before, page_before = cpu_seconds(pids), driver.execute_script(read)
    kinds = {p: before[p][1].decode() for p in before}
    threads_before = thread_seconds(kinds)
    started = time.time()
    arrows = ["ArrowLeft", "ArrowUp", "ArrowRight", "ArrowDown"]
    turn, boxed = 0, 0.0
    while time.time() - started < seconds:
        if driver.execute_script("return !!morvaskPage.dialog"):
            boxed += 0.6
            press(driver, "Enter")
            time.sleep(0.6)
            continue
        key(driver, arrows[turn % 4], "rawKeyDown")
        time.sleep(0.6)
        key(driver, arrows[turn % 4], "keyUp")
        turn += 1
    after, page_after = cpu_seconds(pids), driver.execute_script(read)
    threads_after = thread_seconds(kinds)
    wall = time.time() - started
    key(driver, "Space", "keyUp")
    total = cpu_between(before, after)
    by_kind = {}
    for p in after:
        if p in before:
            kind = after[p][1].decode()
            by_kind[kind] = by_kind.get(kind, 0) + after[p][0] - before[p][0]
    renderer = by_kind.get("renderer", 0)
    page_wall = (page_after[4] - page_before[4]) / 1000
    return {"cpuPercent": round(100 * total / wall, 1),
            "rendererPercent": round(100 * renderer / wall, 1),
            "byProcessPercent": {k: round(100 * v / wall, 1) for k, v in by_kind.items() if v > 0},
            # Where the time went inside the processes: each named thread
            # that took at least 0.5% of a core.
            "byThreadPercent": dict(sorted(
                ((k, round(100 * (v - threads_before.get(k, 0)) / wall, 1))
                 for k, v in threads_after.items()
                 if v - threads_before.get(k, 0) >= 0.005 * wall),
                key=lambda item: -item[1])),
            "ticksPerSecond": round((page_after[0] - page_before[0]) / page_wall, 1),
            "presentsPerSecond": round((page_after[1] - page_before[1]) / page_wall, 1),
            "animationFramesPerSecond": round((page_after[2] - page_before[2]) / page_wall, 1),
            "lateFrames": page_after[3] - page_before[3],
            # The page's own account, where it keeps one: its work per second
            # of a frame (the game's ticks and the present) and the present
            # alone, and the pixels presented per frame shown.
            "pageWorkMsPerSecond": round((page_after[5] - page_before[5]) / page_wall, 1),
            "presentMsPerSecond": round((page_after[6] - page_before[6]) / page_wall, 1),
            "pixelsPerPresent": round((page_after[7] - page_before[7]) /
                                      max(1, page_after[1] - page_before[1])),
            "secondsWithABoxOpen": round(boxed, 1)}


def reference_cpu(size, seconds):
    """The browser's CPU over `seconds` showing reference_page.html."""
    server, url = serve(os.path.dirname(os.path.abspath(__file__)))
    try:
        with browser_session(size) as driver:
            driver.get(url + "reference_page.html")
            time.sleep(2)
            pids = descendants(driver.service.process.pid)
            before, started = cpu_seconds(pids), time.time()
            time.sleep(seconds)
            after, wall = cpu_seconds(pids), time.time() - started
            return round(100 * cpu_between(before, after) / wall, 1)
    finally:
        server.shutdown()


def renderer_memory_mb(browser_pid):
    """The largest resident set of the browser's renderer processes."""
    largest = 0
    for pid in descendants(browser_pid):
        try:
            with open(f"/proc/{pid}/cmdline", "rb") as f:
                if b"--type=renderer" not in f.read():
                    continue
            with open(f"/proc/{pid}/status") as f:
                for line in f:
                    if line.startswith("VmRSS:"):
                        largest = max(largest, int(line.split()[1]) // 1024)
        except OSError:
            continue
    return largest


def cold_starts(url, size, count):
    """`count` cold starts: when the first frame, the first box and the last
    picture came (ms after navigation), and the renderer's memory then."""
    keys = ("firstFrameMs", "firstBoxMs", "picturesInMs", "rendererMemoryMB")
    runs = {key: [] for key in keys}
    for _ in range(count):
        with browser_session(size) as driver:
            driver.get(url)
            times = wait_for(driver, "const p = window.morvaskPage; return p && p.firstFrameMs && "
                                     "p.firstBoxMs && p.resourcesMs && "
                                     "[p.firstFrameMs, p.firstBoxMs, p.resourcesMs];")
            time.sleep(1.5)
            values = [round(t) for t in times or [-1, -1, -1]]
            values.append(renderer_memory_mb(driver.service.process.pid))
            for key, value in zip(keys, values):
                runs[key].append(value)
    result = {key + "Median": statistics.median(runs[key]) for key in keys}
    result.update(runs)
    return result


def start_game(driver):
    """The start-up boxes, then the tank's highest upgrade (Z and F held
    together), so that it lasts through the measurement."""
    for code in ("Enter", "Enter", "KeyY", "Enter"):
        answer(driver, code)
    key(driver, "KeyZ", "rawKeyDown")
    key(driver, "KeyF", "rawKeyDown")
    time.sleep(0.3)
    key(driver, "KeyF", "keyUp")
    key(driver, "KeyZ", "keyUp")


def download_size(dist):
    """Every file of the folder as the server sends it: the smallest of the
    file and its Brotli and gzip copies (source maps left out; a folder
    without copies is compressed here with gzip -9, as a server would)."""
    total = 0
    for folder, _, names in os.walk(dist):
        for name in names:
            if name.endswith((".br", ".gz", ".map")):
                continue
            path = os.path.join(folder, name)
            sizes = [os.path.getsize(path + s) for s in (".br", ".gz") if os.path.isfile(path + s)]
            if not sizes:
                with open(path, "rb") as f:
                    sizes = [len(gzip.compress(f.read(), 9))]
            total += min(sizes)
    return total


def emulate_device(driver, device):
    """Shows pages as on a device of `device` (width, height, ratio)."""
    width, height, ratio = device
    driver.execute_cdp_cmd("Emulation.setDeviceMetricsOverride", {
        "width": int(width), "height": int(height), "deviceScaleFactor": ratio, "mobile": True})


def starts_and_play(url, size, seconds, warmup, result, saver=False, device=None):
    """Three cold starts; the second and third measure play, unthrottled and
    with the CPU throttled 4x, each from a fresh start."""
    result["firstFrameMs"], result["firstBoxMs"] = [], []
    for run in range(3):
        with browser_session(size) as driver:
            if device:
                emulate_device(driver, device)
            driver.get(url)
            first = wait_for(driver, "return window.morvaskPage && morvaskPage.firstFrameMs")
            result["firstFrameMs"].append(round(first or -1))
            # The first box the player can read, where the page tells it.
            box = wait_for(driver, "return !window.morvaskPage || !('firstBoxMs' in "
                                   "morvaskPage) ? -1 : morvaskPage.firstBoxMs")
            result["firstBoxMs"].append(round(box or -1))
            if run == 0:
                result["view"] = driver.execute_script("return morvaskPage.view")
                continue
            if saver:
                driver.execute_script("const c = document.getElementById('frames'); "
                                      "c.value = 'saver'; c.dispatchEvent(new Event('change'));")
            start_game(driver)
            pid = driver.service.process.pid
            if warmup:
                play_busy(driver, warmup, pid)
            if run == 1:
                result["play"] = play_busy(driver, seconds, pid)
            else:
                driver.execute_cdp_cmd("Emulation.setCPUThrottlingRate", {"rate": 4})
                result["throttled4x"] = play_busy(driver, seconds, pid)
    result["firstFrameMsMedian"] = statistics.median(result["firstFrameMs"])
    result["firstBoxMsMedian"] = statistics.median(result["firstBoxMs"])


def main():
    args = [a for a in sys.argv[1:] if not a.startswith("--")]
    size = next((a.split("=", 1)[1] for a in sys.argv[1:] if a.startswith("--size=")), "1200,1000")
    if not args:
        print(__doc__)
        return 2
    dist = os.path.abspath(args[0])
    seconds = float(args[1]) if len(args) > 1 else 10.0
    warmup = next((float(a.split("=", 1)[1]) for a in sys.argv[1:] if a.startswith("--warmup=")), 0)
    starts = next((int(a.split("=", 1)[1]) for a in sys.argv[1:] if a.startswith("--starts=")), 0)
    device = next((tuple(float(v) for v in a.split("=", 1)[1].split(","))
                   for a in sys.argv[1:] if a.startswith("--device=")), None)
    server, url = serve(dist)
    # The machine's load beside the numbers: other work on the cores
    # inflates the CPU shares and holds the frame rates down.
    result = {"loadAverageAtStart": round(os.getloadavg()[0], 2),
              "downloadBytesGzip": download_size(dist)}
    try:
        if starts:
            result.update(cold_starts(url, size, starts))
        else:
            starts_and_play(url, size, seconds, warmup, result, "--saver" in sys.argv, device)
    finally:
        server.shutdown()
    if "--reference" in sys.argv and not starts:
        result["referenceCpuPercent"] = reference_cpu(size, seconds)
    result["loadAverageAtEnd"] = round(os.getloadavg()[0], 2)
    print(json.dumps(result))
    return 0


if __name__ == "__main__":
    sys.exit(main())
