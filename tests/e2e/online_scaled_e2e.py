#!/usr/bin/env python3
"""End to end, two lobbies that share their rooms through one redis-server,
all on loopback: a game hosted through the first lobby is joined through the
second, which sends the joiner (and a viewer) on, and played to its end by two real
programs (the same replay on both, verified). Then the first lobby dies and
starts again: the program hosting through it is told its room is gone, and a
joiner of the old room's code is refused through the second lobby.

usage: online_scaled_e2e.py MORVASK MORVASK_SIM MORVASK_LOBBY IMPAIR_RELAY OUTPUT_DIR REDIS_SERVER
Exits 0 when every check passed, 1 when one failed, 77 when a tool is missing.
"""
import os
import re
import shutil
import signal
import socket
import subprocess
import sys

import online_e2e as e  # the programs, the display and the checks of the direct games

REDIS = sys.argv[6] if len(sys.argv) > 6 else "redis-server"


def free_port():
    with socket.socket() as probe:
        probe.bind(("127.0.0.1", 0))
        return probe.getsockname()[1]


def start_redis():
    port = free_port()
    redis = e.start([REDIS, "--bind", "127.0.0.1", "--port", str(port), "--save", "",
                     "--appendonly", "no"], "redis")
    ready = e.wait_for(lambda: "Ready to accept connections" in e.text_of("redis"), 30)
    return port if e.check(ready, "scaled: redis-server is ready") else None


def built_with_redis():
    """Whether morvask-lobby was built with hiredis (its help names --redis
    either way; without, --redis refuses to start)."""
    run = subprocess.run([e.LOBBY, "--redis", "127.0.0.1:1", "--port", "0", "--bind", "127.0.0.1"],
                         capture_output=True, text=True, timeout=30)
    return "built without Redis" not in run.stderr


def start_lobby(name, redis_port, port=0):
    lobby = e.start([e.LOBBY, "--bind", "127.0.0.1", "--port", str(port), "--redis",
                     f"127.0.0.1:{redis_port}"], name)
    found = []
    e.wait_for(lambda: found.extend(re.findall(r"listening on 127\.0\.0\.1:(\d+)",
                                               e.text_of(name))) or found, 30)
    shared = e.wait_for(lambda: "sharing rooms through Redis" in e.text_of(name), 30)
    e.check(bool(found) and shared, f"scaled: {name} listens and shares its rooms")
    return lobby, (found[0] if found else None)


def room_code(name):
    code = []
    e.wait_for(lambda: code.extend(re.findall(r"--join ([2-9A-Z]{5}-[2-9A-Z]{5})",
                                              e.text_of(name))) or code, 30)
    return code[0] if code else None


def stopped(process, seconds=30):
    try:
        return process.wait(timeout=seconds)
    except subprocess.TimeoutExpired:
        process.kill()
        return "no end"


def joined_through_the_other(redis_port):
    first, first_port = start_lobby("scaled-lobby1", redis_port)
    second, second_port = start_lobby("scaled-lobby2", redis_port)
    if not (first_port and second_port):
        return None, None
    host = e.run_game("scaled-host", ["--host", "--lobby", f"127.0.0.1:{first_port}",
                                      "--online-ticks", "600"])
    code = room_code("scaled-host")
    if not e.check(bool(code), "scaled: the host printed the room's code"):
        host.kill()
        return first, first_port
    join = e.run_game("scaled-join", ["--join", code, "--lobby", f"127.0.0.1:{second_port}",
                                      "--online-ticks", "600"])
    # A viewer asks the second lobby too, and is sent on to the game's feed.
    viewer = e.run_game("scaled-viewer", ["--watch", code, "--lobby",
                                          f"127.0.0.1:{second_port}"])
    e.finished_alike(host, join, "scaled", 600)
    e.watched_alike(viewer, "scaled")
    second.send_signal(signal.SIGTERM)
    stopped(second)
    sent_on = re.findall(r"(\d+) sent on", e.text_of("scaled-lobby2"))
    e.check(sent_on and int(sent_on[0]) >= 2,
            f"scaled: the second lobby sent the joiner and the viewer on to the first ({sent_on})")
    return first, first_port


def restarted_lobby_loses_its_rooms(redis_port, first, first_port):
    host = e.run_game("restart-host", ["--host", "--lobby", f"127.0.0.1:{first_port}"])
    code = room_code("restart-host")
    if not e.check(bool(code), "restart: the host printed the room's code"):
        host.kill()
        return
    first.send_signal(signal.SIGKILL)
    first.wait(timeout=10)
    again, _ = start_lobby("restart-lobby1", redis_port, first_port)
    other, other_port = start_lobby("restart-lobby2", redis_port)
    status = stopped(host)
    told = e.text_of("restart-host", "err")
    e.check(status == 3 and "no room of that code" in told,
            f"restart: the host is told its room is gone ({status}: {told.strip()[-90:]})")
    join = e.run_game("restart-join", ["--join", code, "--lobby", f"127.0.0.1:{other_port}"])
    status = stopped(join)
    told = e.text_of("restart-join", "err")
    e.check(status == 3 and "no room of that code" in told,
            f"restart: a joiner of the old code is refused through the other lobby "
            f"({status}: {told.strip()[-90:]})")
    for lobby in (again, other):
        lobby.send_signal(signal.SIGTERM)
        stopped(lobby)


def main():
    for tool in ("Xvfb", "xdotool", REDIS):
        if not shutil.which(tool):
            print(f"skipped: {tool} is missing")
            return 77
    if not built_with_redis():
        print("skipped: morvask-lobby was built without Redis (libhiredis-dev)")
        return 77
    shutil.rmtree(e.OUT, ignore_errors=True)
    os.makedirs(e.OUT)
    e.start_display()
    try:
        redis_port = start_redis()
        if redis_port:
            first, first_port = joined_through_the_other(redis_port)
            if first and first_port:
                restarted_lobby_loses_its_rooms(redis_port, first, first_port)
    finally:
        for process in e.PROCESSES:
            if process.poll() is None:
                process.kill()
    if e.FAILED:
        print(f"{len(e.FAILED)} checks failed")
        return 1
    print("every check passed")
    return 0


if __name__ == "__main__":
    sys.exit(main())
