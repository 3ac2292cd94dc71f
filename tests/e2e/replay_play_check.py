#!/usr/bin/env python3
"""Replays played in the desktop program's window, on a virtual X server with
a window manager: a recorded game plays to its end at eight times the speed
as the same game, whatever the viewer presses meanwhile, and P pauses it; a
replay with a changed checksum stops at that tick with a box naming it; files
that are not replays of this game are refused before any window opens.

usage: replay_play_check.py PATH/TO/morvask REPLAY OUTPUT_DIR
Exits 0 when all is as it should be, 1 when not, 77 when tools are missing."""
import os
import shutil
import subprocess
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "replays"))
from replay_events import checksum_offsets, varint  # noqa: E402

game, replay, output = (os.path.abspath(a) for a in sys.argv[1:4])
for tool in ("Xvfb", "openbox", "xdotool"):
    if not shutil.which(tool):
        print(f"skipped: {tool} is not installed")
        sys.exit(77)
shutil.rmtree(output, ignore_errors=True)
os.makedirs(os.path.join(output, "work"))
failures = []
# A sanitizer build plays several times slower.
sanitized = b"libasan" in subprocess.run(["ldd", game], capture_output=True).stdout


def check(what, fact, detail=""):
    print(("ok: " if fact else "FAIL: ") + what + ("" if fact else f"\n  {detail}"))
    if not fact:
        failures.append(what)


environment = dict(os.environ)
environment.update({"LC_ALL": "C.UTF-8", "XDG_CONFIG_HOME": os.path.join(output, "config"),
                    "MORVASK_TRACE_DIALOGS": "1",
                    "DBUS_SESSION_BUS_ADDRESS": environment.get("DBUS_SESSION_BUS_ADDRESS",
                                                                "disabled:")})
for name in ("WAYLAND_DISPLAY", "SDL_VIDEODRIVER"):
    environment.pop(name, None)

# Refusals need no display.
text_file = os.path.join(output, "notes.mvr")
open(text_file, "w").write("not a replay\n")
other_version = bytearray(open(replay, "rb").read())
other_version[4] = 2
other_version_file = os.path.join(output, "version2.mvr")
open(other_version_file, "wb").write(bytes(other_version))
# The hash of the built-in levels follows the seed.
other_levels = bytearray(open(replay, "rb").read())
_, at = varint(other_levels, 4)
length, at = varint(other_levels, at)
other_levels[at + length + 4] ^= 0x01
other_levels_file = os.path.join(output, "levels.mvr")
open(other_levels_file, "wb").write(bytes(other_levels))
no_display = {k: v for k, v in environment.items() if k != "DISPLAY"}
for path, words in ((text_file, "not a replay"), (other_version_file, "version"),
                    (other_levels_file, "level set that is not here"),
                    (os.path.join(output, "missing.mvr"), "cannot read")):
    done = subprocess.run([game, "--play", path], env=no_display, capture_output=True,
                          text=True, timeout=20, cwd=os.path.join(output, "work"))
    check(f"{os.path.basename(path)} is refused with exit 2 before any window",
          done.returncode == 2 and words in done.stderr and path in done.stderr
          and "no display" not in done.stderr,
          f"code {done.returncode}, stderr {done.stderr!r}")

processes = []


def stop_all():
    for process in reversed(processes):
        if process.poll() is None:
            process.kill()
            process.wait()


# Xvfb writes the number of the display it took once it is ready. -noreset:
# a server that resets when its last client leaves drops those that connect
# meanwhile.
display_file = os.path.join(output, "display")
with open(display_file, "w") as written:
    xvfb = subprocess.Popen(["Xvfb", "-displayfd", str(written.fileno()), "-screen", "0",
                             "1280x1024x24", "-nolisten", "tcp", "-noreset"], pass_fds=(written.fileno(),),
                            stderr=open(os.path.join(output, "xvfb.log"), "w"))
processes.append(xvfb)
number = ""
for _ in range(100):
    number = open(display_file).read()
    if number.endswith("\n") or xvfb.poll() is not None:
        break
    time.sleep(0.1)
number = number.strip()
if not number or xvfb.poll() is not None:
    stop_all()
    print("FAIL: Xvfb did not start")
    sys.exit(1)
environment["DISPLAY"] = ":" + number
processes.append(subprocess.Popen(["openbox"], env=environment, stdout=subprocess.DEVNULL,
                                  stderr=subprocess.DEVNULL))
time.sleep(0.5)


def xdotool(*arguments):
    return subprocess.run(["xdotool", *arguments], env=environment, capture_output=True,
                          text=True).stdout.strip()


def start(path, *options, log):
    process = subprocess.Popen([game, "--scale", "1", "--play", path, *options], env=environment,
                               stdout=subprocess.PIPE, stderr=open(log, "w"), text=True,
                               cwd=os.path.join(output, "work"))
    processes.append(process)
    window = ""
    for _ in range(150):
        window = xdotool("search", "--pid", str(process.pid), "--name", "^Morvask")
        if window or process.poll() is not None:
            break
        time.sleep(0.1)
    return process, window.split("\n")[0]


def close_window(window):
    """What the window manager's close button sends: WM_DELETE_WINDOW."""
    import ctypes
    x11 = ctypes.cdll.LoadLibrary("libX11.so.6")
    x11.XOpenDisplay.restype = ctypes.c_void_p
    x11.XOpenDisplay.argtypes = [ctypes.c_char_p]
    x11.XInternAtom.restype = ctypes.c_ulong
    x11.XInternAtom.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_int]
    x11.XSendEvent.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_long,
                               ctypes.c_void_p]
    x11.XFlush.argtypes = [ctypes.c_void_p]
    x11.XCloseDisplay.argtypes = [ctypes.c_void_p]

    class ClientMessage(ctypes.Structure):
        _fields_ = [("type", ctypes.c_int), ("serial", ctypes.c_ulong),
                    ("send_event", ctypes.c_int), ("display", ctypes.c_void_p),
                    ("window", ctypes.c_ulong), ("message_type", ctypes.c_ulong),
                    ("format", ctypes.c_int), ("data", ctypes.c_long * 5),
                    ("pad", ctypes.c_long * 12)]

    display = x11.XOpenDisplay(environment["DISPLAY"].encode())
    event = ClientMessage()
    event.type = 33  # ClientMessage
    event.window = int(window, 0)
    event.message_type = x11.XInternAtom(display, b"WM_PROTOCOLS", 0)
    event.format = 32
    event.data[0] = x11.XInternAtom(display, b"WM_DELETE_WINDOW", 0)
    x11.XSendEvent(display, event.window, 0, 0, ctypes.byref(event))
    x11.XFlush(display)
    x11.XCloseDisplay(display)


def title(window):
    return xdotool("getwindowname", window)


try:
    # The whole game at eight times the speed, the viewer pressing keys and
    # moving the pointer meanwhile: none of it reaches the game.
    log = os.path.join(output, "play.log")
    began = time.monotonic()
    process, window = start(replay, "--speed", "8", log=log)
    check("the playback opens a window that says it is a replay at x8",
          bool(window) and title(window).endswith("replay x8"), f"window {window!r}")
    if window:
        xdotool("windowactivate", "--sync", window)
        time.sleep(0.5)
        xdotool("key", "--window", window, "p")
        time.sleep(0.3)
        check("P pauses the playback, and the caption says so", "paused" in title(window),
              title(window))
        if shutil.which("import"):
            shots = []
            for _ in range(2):
                time.sleep(0.5)
                shots.append(subprocess.run(["import", "-window", window, "rgb:-"],
                                            env=environment, capture_output=True).stdout)
            check("a paused playback waits: the window shows the same picture",
                  process.poll() is None and shots[0] and shots[0] == shots[1])
        else:
            time.sleep(1.0)
            check("a paused playback waits", process.poll() is None)
        xdotool("key", "--window", window, "p")
        time.sleep(0.2)
        check("P again goes on", title(window).endswith("replay x8"), title(window))
        for keys in (["Left", "space"], ["F1"], ["Escape"], ["Return"], ["h"], ["Up", "w"]):
            xdotool("key", "--window", window, *keys)
            time.sleep(0.1)
        xdotool("mousemove", "--window", window, "300", "300", "click", "1")
    try:
        # Generous: the time a loaded machine takes is no fault of the playback.
        stdout, _ = process.communicate(timeout=600)
    except subprocess.TimeoutExpired:
        process.kill()
        stdout, _ = process.communicate()
    seconds = time.monotonic() - began
    trace = open(log).read()
    opened = trace.count("dialog: open ")
    answered = trace.count("dialog: answer ")
    check("the replay plays to its end as the same game and exits 0",
          process.returncode == 0 and "end of the replay" in stdout
          and "the same game as recorded" in stdout,
          f"code {process.returncode}, stdout {stdout!r}, log {trace[-400:]!r}")
    check("its boxes showed and closed by themselves, the game-over box among them",
          opened >= 4 and opened == answered and "游戏结束" in trace, trace)
    print(f"played {os.path.basename(replay)} at x8 in {seconds:.1f} s "
          f"({opened} boxes, a pause included): {stdout.strip()}")

    # Closing the window stops a playback at normal speed at once.
    log = os.path.join(output, "closed.log")
    process, window = start(replay, log=log)
    if window:
        time.sleep(2.0)
        close_window(window)
    try:
        stdout, _ = process.communicate(timeout=10)
    except subprocess.TimeoutExpired:
        process.kill()
        stdout, _ = process.communicate()
    check("closing the window stops the playback with exit 0",
          process.returncode == 0 and "playback stopped at tick" in stdout,
          f"code {process.returncode}, stdout {stdout!r}")

    # A stored checksum changed: the playback stops at its tick with a box
    # that names it, and the program exits 1 once the box is answered.
    data = bytearray(open(replay, "rb").read())
    at, tick = checksum_offsets(data)[2]
    data[at + 1] ^= 0x10
    tampered = os.path.join(output, "tampered.mvr")
    open(tampered, "wb").write(bytes(data))
    log = os.path.join(output, "tampered.log")
    process, window = start(tampered, "--speed", "8", log=log)
    notice = False
    for _ in range(300):
        text = open(log).read()
        if any(line.startswith('dialog: open "回放"') and f" {tick} " in line
               for line in text.splitlines()):
            notice = True
            break
        if process.poll() is not None:
            break
        time.sleep(0.1)
    check(f"a changed checksum stops the playback with a box naming tick {tick}", notice,
          open(log).read()[-400:])
    if notice:
        # The box waits for its reader.
        time.sleep(1.0)
        check("the box stays until it is answered", process.poll() is None)
        xdotool("windowactivate", "--sync", window)
        xdotool("key", "Return")
    try:
        stdout, _ = process.communicate(timeout=30)
    except subprocess.TimeoutExpired:
        process.kill()
        stdout, _ = process.communicate()
    text = open(log).read()
    check("the desync is on standard error with its tick and reason, and the exit is 1",
          process.returncode == 1 and f"desync at tick {tick}: the state differs" in text,
          f"code {process.returncode}, log {text[-400:]!r}")
finally:
    stop_all()

if failures:
    print(f"{len(failures)} check(s) failed")
    sys.exit(1)
print("replay_play_check: all checks passed")
