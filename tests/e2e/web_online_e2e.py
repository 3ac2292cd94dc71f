#!/usr/bin/env python3
"""End to end, online play in the page over loopback only: morvask-lobby
serves the page and carries the games (its WebSocket for the pages, its UDP
side for the desktop program, one relay between them). Two pages play each
other, and a page plays the Linux program on a virtual X server; each game
runs a set number of ticks, and both sides must end with the same agreed
checksum and the same replay, which morvask-sim verifies.

usage: web_online_e2e.py WEB_DIR MORVASK MORVASK_SIM MORVASK_LOBBY OUTPUT_DIR
Exits 0 when every check passed, 1 when one failed.
"""
import os
import re
import signal
import subprocess
import sys
import time

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)
sys.path.insert(0, os.path.join(HERE, "..", "..", "platform", "web"))
import web_support as w  # noqa: E402
import web_touch_checks as touch  # noqa: E402
import virtual_display  # noqa: E402
from selenium.webdriver.common.action_chains import ActionChains  # noqa: E402
from selenium.webdriver.common.keys import Keys  # noqa: E402

WEB, GAME, SIM, LOBBY, OUT = (os.path.abspath(a) for a in sys.argv[1:6])
TICKS = 1500
PROCESSES = []


def start(args, name, **kwargs):
    out = open(os.path.join(OUT, name + ".out"), "w")
    err = open(os.path.join(OUT, name + ".err"), "w")
    process = subprocess.Popen(args, stdout=out, stderr=err, **kwargs)
    PROCESSES.append(process)
    return process


def text_of(name, stream="out"):
    path = os.path.join(OUT, f"{name}.{stream}")
    return open(path, errors="replace").read() if os.path.exists(path) else ""


def wait_until(predicate, seconds):
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        value = predicate()
        if value:
            return value
        time.sleep(0.1)
    return predicate()


def start_lobby():
    """The lobby on free loopback ports: its UDP port and the page's address."""
    lobby = start([LOBBY, "--bind", "127.0.0.1", "--port", "0", "--web", WEB, "--web-port", "0"],
                  "lobby")
    udp = wait_until(lambda: re.findall(r"listening on 127\.0\.0\.1:(\d+)", text_of("lobby")), 30)
    web = wait_until(lambda: re.findall(r"on (http://127\.0\.0\.1:\d+/)", text_of("lobby")), 30)
    if not w.check(bool(udp and web), "the lobby listens and serves the page"):
        return lobby, None, None
    return lobby, udp[0], web[0]


def online(driver):
    return driver.execute_script("return window.morvaskPage && morvaskPage.online;")


def hold(driver, key, seconds):
    ActionChains(driver).key_down(key).pause(seconds).key_up(key).perform()


def play_until_ended(drivers, seconds=240, other=None):
    """Both sides play: the first page drives and fires a while, and answers
    every box of the game a moment after it opened (the other side's copy
    closes with that answer); true once every page's game ended. A program
    on the other side that stopped (`other`) ends the wait a while later."""
    deadline = time.monotonic() + seconds
    driven = False
    while time.monotonic() < deadline:
        if other is not None and other.poll() is not None:
            deadline = min(deadline, time.monotonic() + 10)
        states = [online(d) or {} for d in drivers]
        if all(s.get("stage") in ("ended", "failed") for s in states):
            return True
        first = drivers[0]
        if states[0].get("stage") == "playing":
            if box_open(first):
                w.keys(first, Keys.ENTER)
            elif not driven:
                hold(first, Keys.ARROW_UP, 1.0)
                hold(first, Keys.SPACE, 0.3)
                driven = True
        time.sleep(0.3)
    return False


def box_open(driver):
    return driver.execute_script("const p = window.morvaskPage; return !!(p && p.dialog && "
                                 "p.dialog.ready);")


def second_tank(driver):
    probe = w.probe(driver)
    return probe["x2"], probe["y2"]


def phone_drives(host, phone):
    """Once the level runs (its box answered from the host), a finger on the
    phone's pad drives the second tank, and the host's game sees it move."""
    if not wait_until(lambda: not box_open(host) and (online(host) or {}).get("stage") == "playing"
                      and w.probe(host)["players"] == 2, 60):
        return w.check(False, "phone: the level runs on the host")
    if box_open(host):
        w.keys(host, Keys.ENTER)
    # The touch controls show from the first touch on.
    touch.touch(phone, [touch.centre(touch.field_rect(phone))])
    time.sleep(1.0)
    before = second_tank(host)
    pad = touch.rect(phone, "#pad")
    for fx, fy in ((0.5, 0.12), (0.12, 0.5), (0.88, 0.5)):
        touch.touch(phone, [touch.centre(pad, fx, fy)], 0.8)
        if wait_until(lambda: second_tank(host) != before, 3):
            break
    phone.save_screenshot(os.path.join(OUT, "pages-phone.png"))
    w.check(second_tank(host) != before,
            f"phone: a finger on the phone's pad moves the second tank on the host's screen "
            f"({before} to {second_tank(host)})")


def replay_of(driver, path):
    data = driver.execute_script(
        "const r = morvaskPage.online.replay; return r ? Array.from(r) : null;")
    if data:
        with open(path, "wb") as out:
            out.write(bytes(data))
    return data is not None


def verified(path, name):
    run = subprocess.run([SIM, "--verify", path], capture_output=True, text=True, timeout=120)
    return w.check(run.returncode == 0 and f'"tick":{TICKS},' in run.stdout,
                   f"{name}: the replay verifies to tick {TICKS}: {run.stdout.strip()[:160]}")


def host_page(driver, base):
    driver.get(f"{base}#host&ticks={TICKS}")
    state = wait_until(lambda: (online(driver) or {}).get("code"), 60)
    w.check(bool(state), f"the hosting page shows a room code ({state})")
    return state


def pages_play_each_other(base):
    """A desktop-size page hosts, a phone-size one joins by the link and plays
    by touch; between two pages the game goes over a data channel."""
    rtc = ["--disable-features=WebRtcHideLocalIpsWithMdns"]
    with w.browser(OUT, where="hosting a game", flags=rtc) as host, \
         w.browser(OUT, where="joining by phone", flags=rtc) as join, \
         w.browser(OUT, where="watching") as viewer:
        code = host_page(host, base)
        if not code:
            return
        link = online(host)["link"]
        w.check(link == f"{base}#join={code}", f"the page's join link is {link}")
        # A third page watches by the link the host's page shows.
        watch_link = online(host).get("watchLink")
        w.check(watch_link == f"{base}#watch={code}", f"the page's watch link is {watch_link}")
        viewer.get(f"{base}#watch={code}")
        touch.emulate(join, *touch.PHONE)
        join.get(f"{base}#join={code}&ticks={TICKS}")
        started = wait_until(lambda: (online(join) or {}).get("startedMs"), 60)
        if started:
            print(f"measure: a cold page's #join= link to playing together: {started:.0f} ms",
                  flush=True)
        phone_drives(host, join)
        host.save_screenshot(os.path.join(OUT, "pages-host.png"))
        ended = play_until_ended([host, join])
        w.check(ended, "pages: both games ended by themselves")
        states = [online(d) for d in (host, join)]
        sent = [(s.get("sentDirect", 0), s.get("sentRelayed", 0)) for s in states]
        w.check(all(direct > 10 * relayed for direct, relayed in sent),
                f"pages: the game went over a data channel between the pages, not the relay "
                f"(datagrams direct and relayed: {sent})")
        w.check(all(s["stage"] == "ended" and s["ticks"] == TICKS for s in states),
                f"pages: both agreed on {TICKS} ticks ({[(s['stage'], s['ticks']) for s in states]})")
        w.check(states[0]["checksum"] == states[1]["checksum"] != 0,
                f"pages: the same final checksum on both ({states[0]['checksum']:#x}, "
                f"{states[1]['checksum']:#x})")
        paths = [os.path.join(OUT, f"pages-{who}.mvr") for who in ("host", "join")]
        if w.check(replay_of(host, paths[0]) and replay_of(join, paths[1]),
                   "pages: both kept the agreed replay"):
            w.check(open(paths[0], "rb").read() == open(paths[1], "rb").read(),
                    "pages: both wrote the same replay")
            verified(paths[0], "pages")
        host.save_screenshot(os.path.join(OUT, "pages-host-ended.png"))
        page_watched(viewer, states[0], paths[0])


def page_watched(viewer, players, players_path):
    """The viewer's page played the game to its end a few seconds behind,
    from the feed alone: the same ticks, final checksum and replay."""
    seen = wait_until(lambda: (online(viewer) or {}).get("stage") in ("ended", "failed"), 90)
    state = online(viewer) or {}
    viewer.save_screenshot(os.path.join(OUT, "pages-viewer-ended.png"))
    if not w.check(seen and state.get("stage") == "ended" and not state.get("text"),
                   f"viewer: watched the game to its end ({state.get('stage')}: "
                   f"{state.get('text')})"):
        return
    print(f"measure: the viewer's game ended {state['at'] - players['at']} ms after the "
          f"hosting page's", flush=True)
    w.check(state["ticks"] == TICKS and state["checksum"] == players["checksum"],
            f"viewer: {state['ticks']} ticks and the players' final checksum "
            f"({state['checksum']:#x}, theirs {players['checksum']:#x})")
    path = os.path.join(OUT, "pages-viewer.mvr")
    w.check(replay_of(viewer, path) and os.path.exists(players_path) and
            open(path, "rb").read() == open(players_path, "rb").read(),
            "viewer: kept the very replay the players wrote")


def desktop_env():
    config = os.path.join(OUT, "desktop", "config")
    os.makedirs(os.path.join(config, "morvask"), exist_ok=True)
    with open(os.path.join(config, "morvask", "settings.ini"), "w") as settings:
        settings.write("volume = 0\n")
    return dict(os.environ, XDG_CONFIG_HOME=config, SDL_AUDIODRIVER="dummy", LC_ALL="C.UTF-8",
                DBUS_SESSION_BUS_ADDRESS="disabled:")


def page_plays_desktop(base, udp_port):
    with w.browser(OUT, where="hosting the desktop program") as host:
        code = host_page(host, base)
        if not code:
            return
        record = os.path.join(OUT, "desktop.mvr")
        folder = os.path.join(OUT, "desktop")
        # The Linux program watches the page's game, as a second one plays it.
        watched = os.path.join(OUT, "desktop-viewer.mvr")
        viewer = start([GAME, "--scale", "1", "--watch", code, "--lobby", f"127.0.0.1:{udp_port}",
                        "--record", watched], "desktop-viewer", env=desktop_env(), cwd=folder)
        desktop = start([GAME, "--scale", "1", "--join", code, "--lobby", f"127.0.0.1:{udp_port}",
                         "--online-ticks", str(TICKS), "--record", record], "desktop",
                        env=desktop_env(), cwd=folder)
        ended = play_until_ended([host], other=desktop)
        w.check(ended, "desktop: the page's game ended by itself")
        try:
            status = desktop.wait(timeout=60)
        except subprocess.TimeoutExpired:
            desktop.kill()
            status = "no end"
        w.check(status == 0, f"desktop: the Linux program ended by itself with 0 ({status})")
        state = online(host)
        w.check(state["ticks"] == TICKS, f"desktop: the page agreed on {TICKS} ticks")
        page_path = os.path.join(OUT, "desktop-page.mvr")
        if w.check(replay_of(host, page_path) and os.path.exists(record),
                   "desktop: both kept the agreed replay"):
            w.check(open(page_path, "rb").read() == open(record, "rb").read(),
                    "desktop: the page and the Linux program wrote the same replay")
            verified(record, "desktop")
        desktop_watched(viewer, record, watched)


def desktop_watched(viewer, players_path, path):
    try:
        status = viewer.wait(timeout=90)
    except subprocess.TimeoutExpired:
        viewer.kill()
        status = "no end"
    w.check(status == 0, f"desktop viewer: the Linux program watched the page's game to its end "
                         f"({status}: {text_of('desktop-viewer', 'err').strip()[-200:]})")
    w.check(os.path.exists(path) and os.path.exists(players_path) and
            open(path, "rb").read() == open(players_path, "rb").read(),
            "desktop viewer: it kept the very replay the players wrote")


def start_display():
    virtual_display.start(PROCESSES, "1280x1024x24")


def main():
    os.makedirs(os.path.join(OUT, "desktop"), exist_ok=True)
    start_display()
    lobby, udp_port, base = start_lobby()
    try:
        if base:
            pages_play_each_other(base)
            page_plays_desktop(base, udp_port)
    finally:
        lobby.send_signal(signal.SIGTERM)
        try:
            lobby.wait(timeout=20)
        except subprocess.TimeoutExpired:
            pass
        for process in PROCESSES:
            if process.poll() is None:
                process.kill()
    print(text_of("lobby").strip().splitlines()[-2:], flush=True)
    if w.failures:
        print(f"{len(w.failures)} checks failed", flush=True)
        return 1
    print("every check passed", flush=True)
    return 0


if __name__ == "__main__":
    sys.exit(main())
