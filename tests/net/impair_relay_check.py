#!/usr/bin/env python3
"""Checks the impairment relay over loopback: its loss and duplicate rates
over many datagrams within generous bounds, no datagram before its delay
less the jitter, some reordered under jitter, the same losses for the same
seed, replies finding their way back, and a target off this machine refused.
Bounded in time; asserts no upper bound on delays beyond a generous one.

Usage: impair_relay_check.py"""
import os
import socket
import struct
import subprocess
import sys
import time

RELAY = os.path.join(os.path.dirname(os.path.abspath(__file__)), "impair_relay.py")
COUNT = 2000


def start_relay(target_port, *flags):
    relay = subprocess.Popen(
        [sys.executable, RELAY, "--target", f"127.0.0.1:{target_port}", "--seconds", "30", *flags],
        stdout=subprocess.PIPE, text=True)
    line = relay.stdout.readline()
    if not line.startswith("impair_relay: listen="):
        relay.kill()
        raise SystemExit(f"the relay did not start: {line!r}")
    fields = dict(part.split("=") for part in line.split()[1:])
    return relay, int(fields["listen"]), int(fields["upstream"])


def run(*flags):
    """Sends COUNT numbered datagrams through a relay; returns what reached
    the sink: (number, delay in seconds) in the order of arrival."""
    sink = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
    sink.bind(("127.0.0.1", 0))
    sink.settimeout(0.5)
    relay, listen, _ = start_relay(sink.getsockname()[1], *flags)
    client = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
    client.bind(("127.0.0.1", 0))
    arrived = []
    try:
        for number in range(COUNT):
            client.sendto(struct.pack("!Id", number, time.monotonic()), ("127.0.0.1", listen))
            if number % 20 == 19:
                time.sleep(0.01)
            drain(sink, arrived, wait=False)
        deadline = time.monotonic() + 10
        while time.monotonic() < deadline:
            if not drain(sink, arrived, wait=True):
                break
    finally:
        relay.terminate()
        relay.wait(timeout=10)
        sink.close()
        client.close()
    return arrived


def drain(sink, arrived, wait):
    sink.setblocking(wait)
    if wait:
        sink.settimeout(1.0)
    got = False
    while True:
        try:
            data, _ = sink.recvfrom(2048)
        except (BlockingIOError, socket.timeout):
            return got
        number, sent = struct.unpack("!Id", data)
        arrived.append((number, time.monotonic() - sent))
        got = True
        sink.setblocking(False)


def check(condition, what):
    if not condition:
        print("FAILED:", what)
        sys.exit(1)
    print("ok:", what)


def main():
    lossy = run("--loss", "10", "--seed", "7")
    delivered = {n for n, _ in lossy}
    check(0.80 * COUNT <= len(delivered) <= 0.97 * COUNT,
          f"10% loss: {COUNT - len(delivered)} of {COUNT} lost")
    again = {n for n, _ in run("--loss", "10", "--seed", "7")}
    check(again == delivered, "the same seed loses the same datagrams")
    other = {n for n, _ in run("--loss", "10", "--seed", "8")}
    check(other != delivered, "another seed loses others")

    slow = run("--delay", "100", "--jitter", "20", "--duplicate", "5", "--reorder", "5", "--seed", "3")
    delays = sorted(d for _, d in slow)
    check(len({n for n, _ in slow}) == COUNT, "no datagram lost without --loss")
    check(delays[0] >= 0.079, f"none before 100 ms less the 20 ms jitter (first {delays[0] * 1000:.1f} ms)")
    check(delays[len(delays) // 2] < 2.0, f"median delay {delays[len(delays) // 2] * 1000:.1f} ms")
    duplicates = len(slow) - COUNT
    check(0.01 * COUNT <= duplicates <= 0.12 * COUNT, f"5% duplicates: {duplicates}")
    order = [n for n, _ in slow]
    late = sum(1 for a, b in zip(order, order[1:]) if b < a)
    check(late > 0, f"{late} datagrams overtaken")

    # Replies to the upstream port go back to the client, whoever sends them.
    sink = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
    sink.bind(("127.0.0.1", 0))
    relay, listen, upstream = start_relay(sink.getsockname()[1])
    client = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
    client.settimeout(5)
    try:
        client.sendto(b"out", ("127.0.0.1", listen))
        sink.settimeout(5)
        data, source = sink.recvfrom(100)
        check(data == b"out" and source[1] == upstream, "sent on from the upstream port")
        stranger = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
        stranger.sendto(b"back", ("127.0.0.1", upstream))
        check(client.recvfrom(100)[0] == b"back", "a datagram to the upstream port reaches the client")
        stranger.close()
    finally:
        relay.terminate()
        relay.wait(timeout=10)

    refused = subprocess.run([sys.executable, RELAY, "--target", "192.0.2.1:9", "--seconds", "1"],
                             capture_output=True, text=True, timeout=30)
    check(refused.returncode == 2 and "loopback" in refused.stderr, "a target off this machine refused")
    print("impair_relay_check: all passed")
    return 0


if __name__ == "__main__":
    sys.exit(main())
