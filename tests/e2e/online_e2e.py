#!/usr/bin/env python3
"""End to end, two real desktop programs play one online game on a virtual X
server, over loopback only: directly through the impairment relay (delay,
jitter, loss, duplicates, reordering) with garbage sent at the host, through
morvask-lobby (direct and through its relay), a joiner killed mid-game, and a
peer of another version refused. Each finished game's two replays must be
the same file, hold both players' keys where they pressed, and verify.

usage: online_e2e.py MORVASK MORVASK_SIM MORVASK_LOBBY IMPAIR_RELAY OUTPUT_DIR
Exits 0 when every check passed, 1 when one failed, 77 when Xvfb or xdotool
is missing.
"""
import os
import re
import shutil
import signal
import socket
import struct
import subprocess
import sys
import threading
import time

GAME, SIM, LOBBY, RELAY, OUT = (os.path.abspath(a) for a in sys.argv[1:6])
HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "replays"))
from replay_events import events, varint  # noqa: E402
import virtual_display  # noqa: E402

FAILED = []
PROCESSES = []


def check(ok, what):
    print(("pass: " if ok else "FAIL: ") + what, flush=True)
    if not ok:
        FAILED.append(what)
    return ok


def wait_for(predicate, seconds):
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        if predicate():
            return True
        time.sleep(0.05)
    return predicate()


def start(args, name, **kwargs):
    out = open(os.path.join(OUT, name + ".out"), "w")
    err = open(os.path.join(OUT, name + ".err"), "w")
    process = subprocess.Popen(args, stdout=out, stderr=err, **kwargs)
    PROCESSES.append(process)
    return process


def text_of(name, stream="out"):
    path = os.path.join(OUT, f"{name}.{stream}")
    return open(path, errors="replace").read() if os.path.exists(path) else ""


def start_display():
    virtual_display.start(PROCESSES)


def program_env(name, more_settings=""):
    config = os.path.join(OUT, name, "config")
    os.makedirs(os.path.join(config, "morvask"), exist_ok=True)
    with open(os.path.join(config, "morvask", "settings.ini"), "w") as settings:
        settings.write("volume = 0\nlang = en\n" + more_settings)
    env = dict(os.environ, XDG_CONFIG_HOME=config, SDL_AUDIODRIVER="dummy",
               LC_ALL="C.UTF-8", DBUS_SESSION_BUS_ADDRESS="disabled:",
               MORVASK_TRACE_DIALOGS="1")
    return env


def run_game(name, options):
    # Both programs start in one folder, so that their replays name the same
    # map file.
    return start([GAME, "--scale", "1", "--record", os.path.join(OUT, name + ".mvr")] + options,
                 name, env=program_env(name), cwd=OUT)


def window_of(process):
    found = []

    def search():
        result = subprocess.run(["xdotool", "search", "--all", "--onlyvisible", "--pid", str(process.pid),
                                 "--name", "Morvask"], capture_output=True, text=True)
        found[:] = result.stdout.split()
        return bool(found)
    return found[0] if wait_for(search, 60) else None


def focused(window):
    result = subprocess.run(["xdotool", "getwindowfocus"], capture_output=True, text=True)
    return result.stdout.strip() == window


def hold_keys(window, keys, seconds):
    """Keys held in one window: it takes the focus first, and the keys go
    down only once the program has had a moment to see the focus come (a
    program forgets keys held across a change of focus)."""
    subprocess.run(["xdotool", "windowfocus", "--sync", window], check=False)
    check(wait_for(lambda: focused(window), 10), f"window {window} has the focus")
    time.sleep(0.5)
    subprocess.run(["xdotool", "keydown"] + keys, check=False)
    time.sleep(seconds)
    subprocess.run(["xdotool", "keyup"] + keys, check=False)


def direct_join_text(host_name, target_port=None):
    match = []
    wait_for(lambda: match.extend(re.findall(r"join ADDRESS:(\d+)/([0-9a-f]{8})",
                                             text_of(host_name))) or match, 30)
    if not match:
        return None, None
    port, code = match[0]
    return int(port), f"127.0.0.1:{target_port or port}/{code}"


def held_keys(path):
    data = open(path, "rb").read()
    seen = set()
    for op, at, _ in events(data, {}):
        if op == 2:
            count, keys_at = varint(data, at + 1)
            seen.update(data[keys_at:keys_at + count])
    return seen


def boxes_waiting(name):
    """The boxes open on a screen; the pause box, which the test answers
    itself, is left out."""
    text = text_of(name, "err")
    waiting = text.count("dialog: open") - text.count("dialog: answer")
    last_open = text[text.rfind("dialog: open"):].split("\n", 1)[0]
    return 0 if "Game paused" in last_open else waiting


def answer_boxes(host, join, name):
    """A box of a game (a lost tank, the game's end) waits for a player's
    answer, on both screens: the players in this test answer it from the
    host's window, or from the joiner's should it stay open there alone."""
    windows = {"host": window_of(host), "join": window_of(join)}
    waited = {"host": 0, "join": 0}
    while host.poll() is None or join.poll() is None:
        for who, process in (("host", host), ("join", join)):
            open_here = process.poll() is None and boxes_waiting(f"{name}-{who}") > 0
            waited[who] = waited[who] + 1 if open_here else 0
        who = "host" if waited["host"] >= 4 else "join" if waited["join"] >= 8 else None
        if who and windows[who]:
            subprocess.run(["xdotool", "windowfocus", "--sync", windows[who]], check=False)
            time.sleep(0.3)
            subprocess.run(["xdotool", "key", "Return"], check=False)
            waited[who] = 0
        time.sleep(0.25)


def answering_boxes(host, join, name):
    threading.Thread(target=answer_boxes, args=(host, join, name), daemon=True).start()


def finished_alike(host, join, name, ticks, keys=None, answering=True, paths=None):
    """Both ended by themselves with the same replay, which verifies: the
    files they recorded (--record NAME-host.mvr and NAME-join.mvr), or the
    `paths` given."""
    if answering:
        answering_boxes(host, join, name)
    for process, who in ((host, "host"), (join, "joiner")):
        try:
            status = process.wait(timeout=180)
        except subprocess.TimeoutExpired:
            process.kill()
            status = "no end"
        check(status == 0, f"{name}: the {who} ended by itself with 0 ({status})")
    paths = paths or [os.path.join(OUT, f"{name}-{who}.mvr") for who in ("host", "join")]
    if not all(os.path.exists(p) for p in paths):
        return check(False, f"{name}: both replays written")
    same = open(paths[0], "rb").read() == open(paths[1], "rb").read()
    check(same, f"{name}: both programs wrote the same replay")
    verify = subprocess.run([SIM, "--verify", paths[0]], capture_output=True, text=True)
    check(verify.returncode == 0 and f'"tick":{ticks},' in verify.stdout,
          f"{name}: the replay verifies to tick {ticks}: {verify.stdout.strip()}")
    if keys:
        missing = set(keys) - held_keys(paths[0])
        check(not missing, f"{name}: the replay holds both players' keys (missing {missing})")


def garbage_at(port):
    """Stray, forged and oversized datagrams at a running game."""
    sender = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
    for size in (1, 9, 40, 319, 1200):
        sender.sendto(os.urandom(size), ("127.0.0.1", port))
    forged = b"MVNP" + bytes([4]) + struct.pack("<I", 0x12345678) + bytes([1]) + bytes(20)
    sender.sendto(forged, ("127.0.0.1", port))
    sender.close()


def direct_through_relay():
    host = run_game("direct-host", ["--host", "--port", "0", "--online-ticks", "1500"])
    port, _ = direct_join_text("direct-host")
    if not check(port is not None, "direct: the host printed its port and code"):
        return
    relay = start([sys.executable, RELAY, "--target", f"127.0.0.1:{port}", "--delay", "40",
                   "--jitter", "15", "--loss", "5", "--duplicate", "3", "--reorder", "5",
                   "--seed", "7", "--seconds", "200"], "direct-relay")
    listen = []
    wait_for(lambda: listen.extend(re.findall(r"listen=(\d+)", text_of("direct-relay"))) or
             listen, 30)
    _, join_text = direct_join_text("direct-host", listen[0] if listen else port)
    join = run_game("direct-join", ["--join", join_text, "--online-ticks", "1500"])
    host_window, join_window = window_of(host), window_of(join)
    if check(host_window and join_window and host_window != join_window,
             "direct: both windows opened"):
        subprocess.run(["xdotool", "windowmove", join_window, "980", "0"], check=False)
        hold_keys(host_window, ["Up", "space"], 1.5)
        garbage_at(port)
        hold_keys(join_window, ["Up", "space"], 1.5)
        subprocess.run(["import", "-window", "root", os.path.join(OUT, "online-play.png")],
                       check=False)
        # From now on any box but the pause is answered as it comes.
        answering_boxes(host, join, "direct")
        paused_on_both_answered_on_one(host_window, join_window)
    # The first player's Up and Space, the second's (its keys) up and fire.
    finished_alike(host, join, "direct", 1500, keys={0x26, 0x20, 0x88, 0x98}, answering=False)
    for who in ("host", "join"):
        pauses = text_of("direct-" + who, "err").count("Game paused")
        check(pauses == 1, f"direct: the {who}'s screen showed the pause box once ({pauses})")
    relay.send_signal(signal.SIGINT)


def after_pause(who):
    text = text_of("direct-" + who, "err")
    at = text.find("Game paused")
    return text[at:] if at >= 0 else None


def paused_on_both_answered_on_one(host_window, join_window):
    """The joiner pauses: its pause reaches the host later than the tick it
    is for (40 ms each way against 20 ms of input delay), so the host sees it
    when it runs that tick again, and shows it then. The box stays on both
    screens until a player answers it; the host's answer closes both."""
    hold_keys(join_window, ["p"], 0.3)
    shown = wait_for(lambda: after_pause("host") is not None and after_pause("join") is not None,
                     20)
    if not check(shown, "direct: the joiner's pause shows on both screens"):
        return
    time.sleep(2.5)
    subprocess.run(["import", "-window", "root", os.path.join(OUT, "online-paused.png")],
                   check=False)
    held = all("dialog: answer" not in after_pause(who) for who in ("host", "join"))
    check(held, "direct: the pause holds both games until a player answers")
    hold_keys(host_window, ["Return"], 0.1)
    closed = wait_for(lambda: "dialog: closed by the other player" in after_pause("join"), 15)
    check(closed, "direct: the host's answer closed the joiner's pause box")
    check("closed by the other player" not in after_pause("host") and
          "dialog: answer ok" in after_pause("host"), "direct: the host answered its own box")


def watched_alike(viewer, name):
    """The viewer played the game to its end and kept the players' replay."""
    try:
        status = viewer.wait(timeout=120)
    except subprocess.TimeoutExpired:
        viewer.kill()
        status = "no end"
    check(status == 0, f"{name}: the viewer ended by itself with 0 ({status}: "
                       f"{text_of(name + '-viewer', 'err').strip()[-300:]})")
    told = text_of(name + "-viewer")
    check("the same game as recorded" in told and "its replay of 600 ticks" in told,
          f"{name}: the viewer watched the same game to its end: {told.strip()[-300:]}")
    paths = [os.path.join(OUT, f"{name}-{who}.mvr") for who in ("host", "viewer")]
    check(all(os.path.exists(p) for p in paths) and
          open(paths[0], "rb").read() == open(paths[1], "rb").read(),
          f"{name}: the viewer kept the very replay the players wrote")


def through_lobby(relay_only):
    name = "relayed" if relay_only else "lobby"
    lobby = start([LOBBY, "--port", "0", "--bind", "127.0.0.1"], name + "-server")
    found = []
    wait_for(lambda: found.extend(re.findall(r"listening on [0-9.]+:(\d+)",
                                             text_of(name + "-server"))) or found, 30)
    if not check(bool(found), f"{name}: the lobby listens"):
        return
    where = ["--lobby", f"127.0.0.1:{found[0]}", "--online-ticks", "600"]
    host = run_game(name + "-host", ["--host"] + where)
    code = []
    wait_for(lambda: code.extend(re.findall(r"--join ([2-9A-Z]{5}-?[2-9A-Z]{5})", text_of(name + "-host")))
             or code, 30)
    if not check(bool(code), f"{name}: the host printed the room's code"):
        host.kill()
        return
    # A viewer watches the first game from its start, a few seconds behind.
    viewer = None if relay_only else run_game(name + "-viewer", ["--watch", code[0]] + where[:2])
    join = run_game(name + "-join", ["--join", code[0]] + where +
                    (["--relay"] if relay_only else []))
    finished_alike(host, join, name, 600)
    if viewer:
        watched_alike(viewer, name)
    # A supervisor such as timeout(1) sends its stop signal twice.
    lobby.send_signal(signal.SIGTERM)
    lobby.send_signal(signal.SIGTERM)
    status = lobby.wait(timeout=30)
    check(status == 0, f"{name}: the lobby stops cleanly when told twice to stop (status {status})")
    if relay_only:
        relayed = re.findall(r"(\d+) relayed", text_of(name + "-server"))
        check(relayed and int(relayed[0]) > 100,
              f"relayed: the lobby relayed the game ({relayed})")


def menu_keys(window, keys):
    subprocess.run(["xdotool", "windowfocus", "--sync", window], check=False)
    time.sleep(0.4)
    for key in keys:
        subprocess.run(["xdotool", "key", key], check=False)
        time.sleep(0.25)


def opened_box(name, text):
    return f'dialog: open "Play online" "{text}' in text_of(name, "err")


def from_the_menu():
    """Both players start the program as for a game of their own and choose
    Play online in the menu: one hosts through the lobby, the other types
    the room's code. Each window's game ends, and both play one game in new
    windows; the game before is kept and verifies with the menu's rows."""
    lobby = start([LOBBY, "--port", "0", "--bind", "127.0.0.1"], "menu-server")
    found = []
    wait_for(lambda: found.extend(re.findall(r"listening on [0-9.]+:(\d+)",
                                             text_of("menu-server"))) or found, 30)
    if not check(bool(found), "menu: the lobby listens"):
        return
    settings = f"intro = short\nlobby = 127.0.0.1:{found[0]}\n"
    games = {}
    for who in ("host", "join"):
        record = ["--record", os.path.join(OUT, f"menu-{who}-before.mvr")]
        games[who] = start([GAME, "--scale", "1", "--online-ticks", "600"] + record,
                           "menu-" + who, env=program_env("menu-" + who, settings), cwd=OUT)
    host_window, join_window = window_of(games["host"]), window_of(games["join"])
    if not check(host_window and join_window, "menu: both windows opened"):
        return
    subprocess.run(["xdotool", "windowmove", join_window, "980", "0"], check=False)
    # The level's first box answered, then Esc, Play online (below New game)
    # and Host a game.
    for who, window in (("host", host_window), ("join", join_window)):
        wait_for(lambda: "dialog: ready" in text_of("menu-" + who, "err"), 30)
        menu_keys(window, ["Return"])
        check(wait_for(lambda: "dialog: answer" in text_of("menu-" + who, "err"), 10),
              f"menu: the {who} answered the level's first box")
    menu_keys(host_window, ["Escape", "Down", "Down", "Return", "Return"])
    code = []
    wait_for(lambda: code.extend(re.findall(r"--join ([2-9A-Z]{5})-?([2-9A-Z]{5})",
                                            text_of("menu-host"))) or code, 30)
    if not check(bool(code) and opened_box("menu-host", "Your room code: "),
                 f"menu: the host's box shows the room's code ({code})"):
        return
    subprocess.run(["import", "-window", host_window, os.path.join(OUT, "menu-hosting.png")],
                   check=False)
    # Join a game, typed in place, Enter joins.
    menu_keys(join_window, ["Escape", "Down", "Down", "Return", "Down", "Return"])
    subprocess.run(["xdotool", "type", "--delay", "80", code[0][0] + code[0][1]], check=False)
    menu_keys(join_window, ["Return"])
    # Their replays are kept beside their settings (no --record of the game).
    kept = [os.path.join(OUT, f"menu-{who}", "config", "morvask", "online-game.mvr")
            for who in ("host", "join")]
    finished_alike(games["host"], games["join"], "menu", 600, paths=kept)
    for who in ("host", "join"):
        before = os.path.join(OUT, f"menu-{who}-before.mvr")
        data = open(before, "rb").read() if os.path.exists(before) else b""
        verify = subprocess.run([SIM, "--verify", before], capture_output=True, text=True)
        check(data[4:5] == b"\x06" and verify.returncode == 0,
              f"menu: the {who}'s game before verifies with the menu's rows: "
              f"{verify.stdout.strip()} {verify.stderr.strip()}")
    lobby.send_signal(signal.SIGTERM)
    lobby.wait(timeout=30)


def killed_joiner():
    host = run_game("killed-host", ["--host", "--port", "0"])
    _, join_text = direct_join_text("killed-host")
    join = run_game("killed-join", ["--join", join_text])
    window_of(join)
    time.sleep(2)
    join.send_signal(signal.SIGKILL)
    killed_at = time.monotonic()
    told = wait_for(lambda: "sent nothing" in text_of("killed-host", "err"), 60)
    waited = time.monotonic() - killed_at
    print(f"the host told of the silent joiner {waited:.1f} s after the kill", flush=True)
    check(told and waited < 15, "killed: the host says the other left")
    path = os.path.join(OUT, "killed-host.mvr")
    verify = subprocess.run([SIM, "--verify", path], capture_output=True, text=True)
    check(verify.returncode == 0, f"killed: the host's game is kept and verifies: "
                                  f"{verify.stdout.strip()}")
    host.kill()


def other_version_refused():
    host = run_game("version-host", ["--host", "--port", "0"])
    port, join_text = direct_join_text("version-host")
    if port is None:
        return check(False, "version: the host printed its port")
    session = int(join_text.rsplit("/", 1)[1], 16)
    body = b"MVNP" + bytes([1]) + struct.pack("<IBHII", session, 1, 99, 0x1234ABCD, 0)
    fnv = 2166136261
    for byte in body:
        fnv = ((fnv ^ byte) * 16777619) & 0xFFFFFFFF
    peer = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
    peer.settimeout(10)
    peer.sendto(body + struct.pack("<I", fnv), ("127.0.0.1", port))
    try:
        answer, _ = peer.recvfrom(2048)
    except socket.timeout:
        answer = b""
    check(answer[:5] == b"MVNP\x03", "version: the host answers another version with a refusal")
    try:
        status = host.wait(timeout=30)
    except subprocess.TimeoutExpired:
        host.kill()
        status = None
    message = text_of("version-host", "err")
    check(status == 3 and "protocol 99" in message and "1234abcd" in message,
          f"version: the host stops naming both versions ({status}: {message.strip()})")


def main():
    for tool in ("Xvfb", "xdotool", "import"):
        if not shutil.which(tool):
            print(f"skipped: {tool} is missing")
            return 77
    shutil.rmtree(OUT, ignore_errors=True)
    os.makedirs(OUT)
    start_display()
    only = os.environ.get("ONLINE_E2E_ONLY")
    try:
        for part in (direct_through_relay, lambda: through_lobby(False),
                     lambda: through_lobby(True), from_the_menu, killed_joiner,
                     other_version_refused):
            if not only or only in getattr(part, "__name__", ""):
                part()
    finally:
        for process in PROCESSES:
            if process.poll() is None:
                process.kill()
    if FAILED:
        print(f"{len(FAILED)} checks failed")
        return 1
    print("every check passed")
    return 0


if __name__ == "__main__":
    sys.exit(main())
