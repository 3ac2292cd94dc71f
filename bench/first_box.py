#!/usr/bin/env python3
"""Milliseconds from starting the desktop program to its window being mapped
on the display with the first box (the boxes are drawn inside the window, on
its first present). Polls the X server every millisecond through libX11.

Usage: first_box.py PROGRAM [STARTS]   (DISPLAY must name a running server)"""
import ctypes
import subprocess
import sys
import time

x11 = ctypes.cdll.LoadLibrary("libX11.so.6")
x11.XOpenDisplay.restype = ctypes.c_void_p
x11.XDefaultRootWindow.restype = ctypes.c_ulong
x11.XDefaultRootWindow.argtypes = [ctypes.c_void_p]
x11.XQueryTree.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.POINTER(ctypes.c_ulong),
                           ctypes.POINTER(ctypes.c_ulong),
                           ctypes.POINTER(ctypes.POINTER(ctypes.c_ulong)),
                           ctypes.POINTER(ctypes.c_uint)]
x11.XFetchName.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.POINTER(ctypes.c_char_p)]
x11.XFree.argtypes = [ctypes.c_void_p]


class Attributes(ctypes.Structure):
    _fields_ = [("x", ctypes.c_int), ("y", ctypes.c_int), ("width", ctypes.c_int),
                ("height", ctypes.c_int), ("border_width", ctypes.c_int), ("depth", ctypes.c_int),
                ("visual", ctypes.c_void_p), ("root", ctypes.c_ulong), ("class_", ctypes.c_int),
                ("bit_gravity", ctypes.c_int), ("win_gravity", ctypes.c_int),
                ("backing_store", ctypes.c_int), ("backing_planes", ctypes.c_ulong),
                ("backing_pixel", ctypes.c_ulong), ("save_under", ctypes.c_int),
                ("colormap", ctypes.c_ulong), ("map_installed", ctypes.c_int),
                ("map_state", ctypes.c_int), ("all_event_masks", ctypes.c_long),
                ("your_event_mask", ctypes.c_long), ("do_not_propagate_mask", ctypes.c_long),
                ("override_redirect", ctypes.c_int), ("screen", ctypes.c_void_p)]


x11.XGetWindowAttributes.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.POINTER(Attributes)]

display = x11.XOpenDisplay(None)
if not display:
    sys.exit("first_box.py: no display")
root = x11.XDefaultRootWindow(display)


def game_window_shown():
    root_return, parent = ctypes.c_ulong(), ctypes.c_ulong()
    children, count = ctypes.POINTER(ctypes.c_ulong)(), ctypes.c_uint()
    if not x11.XQueryTree(display, root, ctypes.byref(root_return), ctypes.byref(parent),
                          ctypes.byref(children), ctypes.byref(count)):
        return False
    shown = False
    for i in range(count.value):
        name = ctypes.c_char_p()
        if x11.XFetchName(display, children[i], ctypes.byref(name)) and name.value:
            if name.value.startswith(b"Morvask"):
                attributes = Attributes()
                x11.XGetWindowAttributes(display, children[i], ctypes.byref(attributes))
                shown = shown or attributes.map_state == 2  # IsViewable
            x11.XFree(name)
    if children:
        x11.XFree(children)
    return shown


starts = int(sys.argv[2]) if len(sys.argv) > 2 else 5
for _ in range(starts):
    began = time.monotonic()
    game = subprocess.Popen([sys.argv[1]], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    shown_at = None
    while time.monotonic() - began < 5:
        if game_window_shown():
            shown_at = time.monotonic()
            break
        time.sleep(0.001)
    game.terminate()
    game.wait()
    print("window with the first box %s" %
          ("%.0f ms after start" % ((shown_at - began) * 1000) if shown_at else "not shown"))
    time.sleep(0.3)
