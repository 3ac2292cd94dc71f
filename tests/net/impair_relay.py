#!/usr/bin/env python3
"""An impairment relay for the network tests, where the kernel has no netem:
forwards UDP on loopback with delay, jitter, loss, duplicates and
reordering, drawn from a seeded generator, and stops by itself.

The client sends to the relay's listening port; the relay sends each datagram
on to the target from its upstream socket, and whatever reaches the upstream
socket (from the target or from anyone, as a full-cone router lets through)
goes back to the client. So a program behind it is seen from outside at the
upstream port, as behind a home router. Once ready it prints
"impair_relay: listen=PORT upstream=PORT"; when it stops, its counts.

Usage: impair_relay.py --target HOST:PORT [--listen PORT] [--delay MS]
       [--jitter MS] [--loss PCT] [--duplicate PCT] [--reorder PCT]
       [--seed N] [--seconds S]
"""
import argparse
import heapq
import ipaddress
import random
import selectors
import signal
import socket
import sys
import time

MAX_DATAGRAM = 65535


def loopback(host):
    try:
        return ipaddress.ip_address(host).is_loopback
    except ValueError:
        return host == "localhost"


def parse_target(text):
    host, _, port = text.rpartition(":")
    host = host.strip("[]")
    if not host or not port.isdigit() or not 0 < int(port) < 65536:
        raise argparse.ArgumentTypeError(f"{text!r} is not HOST:PORT")
    if not loopback(host):
        raise argparse.ArgumentTypeError(f"{host} is not a loopback address: the relay stays on this machine")
    return ("127.0.0.1" if host == "localhost" else host, int(port))


def percent(text):
    value = float(text)
    if not 0 <= value <= 100:
        raise argparse.ArgumentTypeError(f"{text} is not a percentage")
    return value


def options(argv):
    parser = argparse.ArgumentParser(description="UDP impairment relay on loopback")
    parser.add_argument("--target", type=parse_target, required=True)
    parser.add_argument("--listen", type=int, default=0)
    parser.add_argument("--delay", type=float, default=0.0, help="ms each way")
    parser.add_argument("--jitter", type=float, default=0.0, help="ms, evenly either side")
    parser.add_argument("--loss", type=percent, default=0.0)
    parser.add_argument("--duplicate", type=percent, default=0.0)
    parser.add_argument("--reorder", type=percent, default=0.0,
                        help="held back past the next datagrams by twice the jitter and 5 ms")
    parser.add_argument("--seed", type=int, default=1)
    parser.add_argument("--seconds", type=float, default=60.0, help="stops after this long (at most 600)")
    args = parser.parse_args(argv)
    if not 0 < args.seconds <= 600 or args.delay < 0 or args.jitter < 0:
        parser.error("--seconds is 0 to 600, --delay and --jitter not negative")
    return args


class Counts:
    def __init__(self):
        self.received = self.forwarded = self.lost = self.duplicated = self.reordered = 0


def schedule(queue, args, rng, counts, now, data, out_socket, to):
    """Draws this datagram's fate: lost, or delivered once or twice, each
    copy after its own delay."""
    counts.received += 1
    if rng.random() * 100 < args.loss:
        counts.lost += 1
        return
    copies = 1
    if rng.random() * 100 < args.duplicate:
        copies = 2
        counts.duplicated += 1
    for _ in range(copies):
        delay = args.delay + rng.uniform(-args.jitter, args.jitter)
        if rng.random() * 100 < args.reorder:
            delay += 2 * args.jitter + 5
            counts.reordered += 1
        due = now + max(0.0, delay) / 1000.0
        heapq.heappush(queue, (due, counts.received, data, out_socket, to))


def run(args):
    family = socket.AF_INET6 if ":" in args.target[0] else socket.AF_INET
    local = "::1" if family == socket.AF_INET6 else "127.0.0.1"
    listen = socket.socket(family, socket.SOCK_DGRAM)
    listen.bind((local, args.listen))
    upstream = socket.socket(family, socket.SOCK_DGRAM)
    upstream.bind((local, 0))
    for s in (listen, upstream):
        s.setblocking(False)
    print(f"impair_relay: listen={listen.getsockname()[1]} upstream={upstream.getsockname()[1]}", flush=True)

    rng = random.Random(args.seed)
    counts = Counts()
    queue = []
    client = None
    selector = selectors.DefaultSelector()
    selector.register(listen, selectors.EVENT_READ)
    selector.register(upstream, selectors.EVENT_READ)
    stopping = []
    signal.signal(signal.SIGTERM, lambda *_: stopping.append(True))
    signal.signal(signal.SIGINT, lambda *_: stopping.append(True))
    end = time.monotonic() + args.seconds
    while not stopping and time.monotonic() < end:
        now = time.monotonic()
        while queue and queue[0][0] <= now:
            _, _, data, out_socket, to = heapq.heappop(queue)
            try:
                out_socket.sendto(data, to)
                counts.forwarded += 1
            except OSError:
                pass
        wait = min(0.05, max(0.0, queue[0][0] - now)) if queue else 0.05
        for key, _ in selector.select(wait):
            for _ in range(256):
                try:
                    data, source = key.fileobj.recvfrom(MAX_DATAGRAM)
                except (BlockingIOError, ConnectionRefusedError):
                    break
                if key.fileobj is listen:
                    client = source
                    schedule(queue, args, rng, counts, time.monotonic(), data, upstream, args.target)
                elif client is not None:
                    schedule(queue, args, rng, counts, time.monotonic(), data, listen, client)
    print(f"impair_relay: received={counts.received} forwarded={counts.forwarded} lost={counts.lost} "
          f"duplicated={counts.duplicated} reordered={counts.reordered}", flush=True)
    return 0


if __name__ == "__main__":
    sys.exit(run(options(sys.argv[1:])))
