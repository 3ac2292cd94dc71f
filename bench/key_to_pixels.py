#!/usr/bin/env python3
"""Milliseconds from a key press reaching the X server to the tank's pixels
changing on the screen, in the desktop program's window on a virtual display.

Presses D and A in turn through XTest (the tank's gun turns right, then
left; the tank stays in its cell), polls the tank's cell of the window with
XGetImage until it differs from just before the press, and releases the key. With
MORVASK_TICK_LOG set for the game, also counts the game's ticks between the
press and the change (1: the tank reacted on the first tick after the key).

Usage: key_to_pixels.py WINDOW_ID [PRESSES] [TICK_LOG]
(DISPLAY must name the server; the game must be in play, no box open.)
Prints one line a press, then the median, quartiles and the ticks' count."""
import ctypes
import random
import statistics
import sys
import time

x11 = ctypes.cdll.LoadLibrary("libX11.so.6")
xtst = ctypes.cdll.LoadLibrary("libXtst.so.6")


class ImageFuncs(ctypes.Structure):
    _fields_ = [(name, ctypes.c_void_p) for name in
                ("create_image", "destroy_image", "get_pixel", "put_pixel", "sub_image",
                 "add_pixel")]


class XImage(ctypes.Structure):
    _fields_ = [("width", ctypes.c_int), ("height", ctypes.c_int), ("xoffset", ctypes.c_int),
                ("format", ctypes.c_int), ("data", ctypes.c_void_p), ("byte_order", ctypes.c_int),
                ("bitmap_unit", ctypes.c_int), ("bitmap_bit_order", ctypes.c_int),
                ("bitmap_pad", ctypes.c_int), ("depth", ctypes.c_int),
                ("bytes_per_line", ctypes.c_int), ("bits_per_pixel", ctypes.c_int),
                ("red_mask", ctypes.c_ulong), ("green_mask", ctypes.c_ulong),
                ("blue_mask", ctypes.c_ulong), ("obdata", ctypes.c_void_p), ("f", ImageFuncs)]


x11.XOpenDisplay.restype = ctypes.c_void_p
x11.XGetImage.restype = ctypes.POINTER(XImage)
x11.XGetImage.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_int,
                          ctypes.c_uint, ctypes.c_uint, ctypes.c_ulong, ctypes.c_int]
x11.XStringToKeysym.restype = ctypes.c_ulong
x11.XStringToKeysym.argtypes = [ctypes.c_char_p]
x11.XKeysymToKeycode.argtypes = [ctypes.c_void_p, ctypes.c_ulong]
x11.XFlush.argtypes = [ctypes.c_void_p]
x11.XSync.argtypes = [ctypes.c_void_p, ctypes.c_int]
x11.XSetInputFocus.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_ulong]
xtst.XTestFakeKeyEvent.argtypes = [ctypes.c_void_p, ctypes.c_uint, ctypes.c_int, ctypes.c_ulong]
DestroyImage = ctypes.CFUNCTYPE(ctypes.c_int, ctypes.POINTER(XImage))
ZPixmap = 2
AllPlanes = 0xFFFFFFFF

display = x11.XOpenDisplay(None)
if not display:
    sys.exit("key_to_pixels.py: no display")
window = int(sys.argv[1], 0)
presses = int(sys.argv[2]) if len(sys.argv) > 2 else 40
tick_log = sys.argv[3] if len(sys.argv) > 3 else None


def grab(x, y, width, height):
    """The window's pixels in the rectangle, as bytes."""
    image = x11.XGetImage(display, window, x, y, width, height, AllPlanes, ZPixmap)
    if not image:
        sys.exit("key_to_pixels.py: XGetImage failed")
    data = ctypes.string_at(image.contents.data, image.contents.bytes_per_line * height)
    DestroyImage(image.contents.f.destroy_image)(image)
    return data


def press(name, down):
    code = x11.XKeysymToKeycode(display, x11.XStringToKeysym(name.encode()))
    xtst.XTestFakeKeyEvent(display, code, 1 if down else 0, 0)
    x11.XFlush(display)


def field_size():
    class Attributes(ctypes.Structure):
        _fields_ = [("x", ctypes.c_int), ("y", ctypes.c_int), ("width", ctypes.c_int),
                    ("height", ctypes.c_int), ("rest", ctypes.c_byte * 256)]
    x11.XGetWindowAttributes.argtypes = [ctypes.c_void_p, ctypes.c_ulong,
                                         ctypes.POINTER(Attributes)]
    attributes = Attributes()
    x11.XGetWindowAttributes(display, window, ctypes.byref(attributes))
    return attributes.width, attributes.height


def find_tank():
    """The cell the player's tank stands in at the start of a level (column
    5, row 10 of the field), in the window's pixels: the field is centred at
    the largest whole multiple that fits (or shrunk when the window is
    smaller than the field)."""
    width, height = field_size()
    scale = min(width / 960, height / 704)
    if scale >= 1:
        scale = int(scale)
    left = (width - round(960 * scale)) // 2
    top = (height - round(704 * scale)) // 2
    return (left + int(320 * scale), top + int(640 * scale), max(1, int(64 * scale)),
            max(1, int(64 * scale)))


def ticks_between(log, begin_us, end_us):
    return sum(1 for t in log if begin_us < t <= end_us)


x11.XSetInputFocus(display, window, 1, 0)  # RevertToPointerRoot, CurrentTime
x11.XSync(display, 0)
time.sleep(0.2)
x, y, width, height = find_tank()
print("watching %dx%d at %d,%d of the window" % (width, height, x, y))
samples = []
presses_timed = []
keys = ["d", "a"]
for n in range(presses):
    # The press falls anywhere in a tick's period.
    time.sleep(0.15 + random.random() * 0.01)
    key = keys[n % 2]
    before = grab(x, y, width, height)
    began = time.monotonic()
    press(key, True)
    reacted = None
    while time.monotonic() - began < 0.5:
        if grab(x, y, width, height) != before:
            reacted = time.monotonic()
            break
    press(key, False)
    if reacted is None:
        print("press %d (%s): no change in 500 ms" % (n + 1, key))
        continue
    ms = (reacted - began) * 1000
    samples.append(ms)
    presses_timed.append((began, reacted))
    print("press %d (%s): %.2f ms" % (n + 1, key, ms))
if not samples:
    sys.exit("key_to_pixels.py: the tank never reacted")
quartiles = statistics.quantiles(samples, n=4) if len(samples) > 1 else samples * 3
print("key to pixels over %d presses: median %.2f ms, quartiles %.2f / %.2f ms, "
      "min %.2f, max %.2f" % (len(samples), statistics.median(samples), quartiles[0],
                              quartiles[2], min(samples), max(samples)))
if tick_log:
    time.sleep(0.1)
    with open(tick_log) as f:
        log = [int(line) for line in f if line.strip().isdigit()]
    counts = {}
    to_tick, tick_to_pixels = [], []
    for began, reacted in presses_timed:
        begin_us, end_us = int(began * 1e6), int(reacted * 1e6)
        k = ticks_between(log, begin_us, end_us)
        counts[k] = counts.get(k, 0) + 1
        # The last tick before the change is the one that drew it.
        last = max((t for t in log if begin_us < t <= end_us), default=None)
        if last is not None:
            first = min(t for t in log if begin_us < t <= end_us)
            to_tick.append((first - begin_us) / 1000)
            tick_to_pixels.append((end_us - last) / 1000)
    print("ticks from the key to the change: " +
          ", ".join("%d tick(s): %d presses" % (k, counts[k]) for k in sorted(counts)))
    if to_tick:
        print("median key to the next tick %.2f ms, the changing tick to the pixels seen "
              "%.2f ms" % (statistics.median(to_tick), statistics.median(tick_to_pixels)))
