#!/usr/bin/env python3
"""Measures the game's waves the way a listener on small speakers would
care about: loudness (RMS and peak in dBFS), how much of the energy lies above
150 Hz (all of it, and the tail after 0.3 s), where the spectrum's centre lies
early and late, and how fast the sound rises.

Usage: wave_report.py ASSET_DIR"""
import cmath
import math
import os
import struct
import sys


def read_wave(path):
    data = open(path, "rb").read()
    rate = struct.unpack_from("<I", data, 24)[0]
    bits = struct.unpack_from("<H", data, 34)[0]
    size = struct.unpack_from("<I", data, 40)[0]
    raw = data[44:44 + size]
    if bits == 8:
        return rate, [(b - 128) / 127.0 for b in raw]
    return rate, [v / 32767.0 for v in struct.unpack("<%dh" % (len(raw) // 2), raw)]


def fft(x):
    n = len(x)
    if n == 1:
        return [complex(x[0])]
    even, odd = fft(x[0::2]), fft(x[1::2])
    out = [0j] * n
    for k in range(n // 2):
        t = cmath.exp(-2j * math.pi * k / n) * odd[k]
        out[k], out[k + n // 2] = even[k] + t, even[k] - t
    return out


def spectrum(x, rate):
    n = 1
    while n < len(x):
        n *= 2
    X = fft(list(x) + [0.0] * (n - len(x)))
    return [(k * rate / n, abs(X[k]) ** 2) for k in range(n // 2 + 1)]


def share_above(x, rate, hz):
    s = spectrum(x, rate)
    total = sum(p for _, p in s)
    return sum(p for f, p in s if f >= hz) / total if total else 0.0


def centroid(x, rate):
    s = spectrum(x, rate)
    total = sum(p for _, p in s)
    return sum(f * p for f, p in s) / total if total else 0.0


def db(v):
    return 20 * math.log10(max(v, 1e-9))


def main():
    folder = sys.argv[1]
    for wid in (118, 119, 120, 121, 122):
        rate, x = read_wave(os.path.join(folder, f"wave{wid}.wav"))
        rms = math.sqrt(sum(v * v for v in x) / len(x))
        peak = max(abs(v) for v in x)
        tail = x[int(0.3 * rate):]
        early = x[:int(0.15 * rate)]
        # Attack: when a 5 ms envelope first reaches 90 % of its highest value.
        w = max(1, rate // 200)
        env = [math.sqrt(sum(v * v for v in x[i:i + w]) / w) for i in range(0, len(x) - w, w)]
        top = max(env)
        attack = next(i for i, e in enumerate(env) if e >= 0.9 * top) * w / rate
        print(f"wave{wid}: {len(x)} samples, RMS {db(rms):6.1f} dBFS, peak {db(peak):5.1f} dBFS, "
              f"above 150 Hz {100 * share_above(x, rate, 150):5.1f} %, tail above 150 Hz "
              f"{100 * share_above(tail, rate, 150):5.1f} %, centroid first 0.15 s "
              f"{centroid(early, rate):6.0f} Hz, after 0.3 s {centroid(tail, rate):6.0f} Hz, "
              f"attack {1000 * attack:4.0f} ms")


if __name__ == "__main__":
    main()
