#!/usr/bin/env python3
"""The desktop program's command line: --help, --version, wrong options, and
no display to show the game on. Needs no display itself.

usage: command_line_check.py PATH/TO/morvask"""
import os
import subprocess
import sys
import time

game = os.path.abspath(sys.argv[1])
failures = []
# A sanitizer build starts several times slower; a second is a release's.
sanitized = b"libasan" in subprocess.run(["ldd", game], capture_output=True).stdout
seconds_allowed = 5.0 if sanitized else 1.0


def run(arguments, environment=None, timeout=10):
    env = {k: v for k, v in os.environ.items()
           if k not in ("DISPLAY", "WAYLAND_DISPLAY", "SDL_VIDEODRIVER")}
    # No desktop session bus: its library leaks when it tries to find one.
    env["DBUS_SESSION_BUS_ADDRESS"] = "disabled:"
    env.update(environment or {})
    start = time.monotonic()
    done = subprocess.run([game] + arguments, env=env, capture_output=True, text=True,
                          timeout=timeout, cwd=os.environ.get("TMPDIR", "/tmp"))
    return done, time.monotonic() - start


def check(what, fact, detail=""):
    print(("ok: " if fact else "FAIL: ") + what + ("" if fact else f"\n  {detail}"))
    if not fact:
        failures.append(what)


done, _ = run(["--help"])
check("--help exits 0 with the usage on standard output",
      done.returncode == 0 and done.stdout.startswith("Usage: morvask") and not done.stderr,
      f"code {done.returncode}, stderr {done.stderr!r}")
for needed in ("--fullscreen", "--windowed", "--scale N", "--scale-mode", "integer", "fit",
               "--version", "F11", "map.txt", "working directory", "Space", "--record FILE",
               "--play FILE", "--speed N"):
    check(f"--help mentions {needed}", needed in done.stdout, done.stdout)

done, _ = run(["--version"])
check("--version prints \"Morvask 1.0.0\" and exits 0",
      done.returncode == 0 and done.stdout == "Morvask 1.0.0\n" and not done.stderr,
      f"code {done.returncode}, stdout {done.stdout!r}, stderr {done.stderr!r}")

for arguments, problem in ((["--bogus"], "unknown option --bogus"),
                           (["--scale", "9"], "--scale"),
                           (["--scale=0"], "--scale"),
                           (["--scale"], "needs a value"),
                           (["--scale-mode", "stretch"], "--scale-mode"),
                           (["--fullscreen=yes"], "takes no value"),
                           (["map.txt"], "unknown option map.txt"),
                           (["--play", "run.mvr", "--speed", "3"], "--speed is 1, 2, 4 or 8"),
                           (["--speed", "2"], "--speed goes with --play")):
    done, _ = run(arguments)
    lines = done.stderr.splitlines()
    check(f"{' '.join(arguments)}: the problem and a hint of --help on standard error, exit 2",
          done.returncode == 2 and not done.stdout and len(lines) == 2 and problem in lines[0]
          and lines[1] == "Try 'morvask --help' for more.",
          f"code {done.returncode}, stdout {done.stdout!r}, stderr {done.stderr!r}")

# A replay that could not be written is refused before any window (here with
# no display at all, which would otherwise be the complaint).
readonly = os.path.join(os.environ.get("TMPDIR", "/tmp"), f"morvask-readonly-{os.getpid()}")
os.makedirs(readonly, exist_ok=True)
os.chmod(readonly, 0o555)
for path, why in (("/nonexistent-folder/run.mvr", "does not exist"),
                  (os.environ.get("TMPDIR", "/tmp"), "not a file"),
                  (os.path.join(readonly, "run.mvr"), "cannot be written")):
    done, _ = run(["--record", path])
    lines = done.stderr.splitlines()
    check(f"--record {path}: refused at once, exit 2",
          done.returncode == 2 and len(lines) == 1 and why in lines[0] and "--record" in lines[0],
          f"code {done.returncode}, stderr {done.stderr!r}")
os.rmdir(readonly)

# Good options before --help are read, then the help is printed.
done, _ = run(["--scale", "3", "--scale-mode=fit", "--windowed", "--help"])
check("good options, then --help", done.returncode == 0 and "Usage" in done.stdout, done.stderr)


def one_line_and_quick(what, done, seconds, word):
    lines = done.stderr.splitlines()
    check(f"{what}: one line on standard error, exit 1, within a second",
          done.returncode == 1 and len(lines) == 1 and word in lines[0] and not done.stdout
          and seconds < seconds_allowed,
          f"code {done.returncode}, {seconds:.2f}s, stdout {done.stdout!r}, stderr {done.stderr!r}")


done, seconds = run([])
one_line_and_quick("no DISPLAY nor WAYLAND_DISPLAY", done, seconds, "display")
done, seconds = run(["--fullscreen"], {"DISPLAY": ":4097"})
one_line_and_quick("a display that cannot be opened", done, seconds, "display")
done, seconds = run([], {"SDL_VIDEODRIVER": "dummy"})
one_line_and_quick("a video driver that shows nothing", done, seconds, "shows no window")

print(f"{len(failures)} failed" if failures else "command line: every check passed")
sys.exit(1 if failures else 0)
