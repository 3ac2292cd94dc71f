#!/usr/bin/env python3
"""Facts about screenshots of the desktop program's window, for desktop_e2e.sh.

usage: window_picture.py dialog SHOT.png
         the in-window box is there, centred, and the field shows around it
       window_picture.py scaled SHOT.png FACTOR
         every FACTOR x FACTOR block of the picture is one colour
       window_picture.py cell BEFORE.png AFTER.png X Y SIZE
         the SIZE x SIZE square at X, Y changed, and the rest of the picture
         barely did
Prints what it found; exits 0 when the fact holds, 1 when not."""
import sys

from pictures import load

# The box's border colour (see platform/shared/dialog_draw.cpp).
BORDER = (0xC9, 0xA8, 0x4C)


def pixel(picture, x, y):
    width, _, rgb = picture
    i = (y * width + x) * 3
    return rgb[i], rgb[i + 1], rgb[i + 2]


def check_dialog(path):
    picture = load(path)
    width, height, rgb = picture
    xs, ys = [], []
    target = bytes(BORDER)
    for y in range(height):
        row = rgb[y * width * 3:(y + 1) * width * 3]
        start = row.find(target)
        while start != -1:
            if start % 3 == 0:
                xs.append(start // 3)
                ys.append(y)
            start = row.find(target, start + 1)
    if len(xs) < 200:
        print(f"no box: {len(xs)} pixels of its border colour")
        return False
    left, right, top, bottom = min(xs), max(xs), min(ys), max(ys)
    print(f"box at {left},{top} to {right},{bottom} in a {width}x{height} window")
    off_x = abs((left - 0) - (width - 1 - right))
    off_y = abs((top - 0) - (height - 1 - bottom))
    if off_x > 4 or off_y > 4:
        print(f"the box is not centred (off by {off_x}, {off_y})")
        return False
    # The field around the box: many colours, not black.
    colours = set()
    bright = 0
    samples = 0
    for y in range(0, height, 3):
        for x in range(0, width, 3):
            if left - 2 <= x <= right + 2 and top - 2 <= y <= bottom + 2:
                continue
            p = pixel(picture, x, y)
            colours.add(p)
            samples += 1
            bright += sum(p) > 60
    print(f"around the box: {len(colours)} colours, {bright} of {samples} samples not black")
    return len(colours) > 64 and bright > samples * 0.8


def check_scaled(path, factor):
    width, height, rgb = load(path)
    odd = 0
    for y in range(0, height - height % factor, factor):
        for x in range(0, width - width % factor, factor):
            first = rgb[(y * width + x) * 3:(y * width + x) * 3 + 3]
            for dy in range(factor):
                i = ((y + dy) * width + x) * 3
                if rgb[i:i + 3 * factor] != first * factor:
                    odd += 1
                    break
    blocks = (width // factor) * (height // factor)
    print(f"{odd} of {blocks} blocks of {factor}x{factor} are not one colour")
    return odd == 0


def check_cell(before_path, after_path, x0, y0, size):
    before, after = load(before_path), load(after_path)
    if before[:2] != after[:2]:
        print("the pictures differ in size")
        return False
    width, height = before[:2]
    inside = outside = 0
    row_bytes = width * 3
    for y in range(height):
        if before[2][y * row_bytes:(y + 1) * row_bytes] == after[2][y * row_bytes:(y + 1) * row_bytes]:
            continue
        for x in range(width):
            if pixel(before, x, y) != pixel(after, x, y):
                if x0 <= x < x0 + size and y0 <= y < y0 + size:
                    inside += 1
                else:
                    outside += 1
    print(f"changed: {inside} pixels in the cell, {outside} outside it")
    return inside > size * size // 4 and outside < inside // 4


def main():
    what = sys.argv[1]
    if what == "dialog":
        ok = check_dialog(sys.argv[2])
    elif what == "scaled":
        ok = check_scaled(sys.argv[2], int(sys.argv[3]))
    elif what == "cell":
        ok = check_cell(sys.argv[2], sys.argv[3], *map(int, sys.argv[4:7]))
    else:
        sys.exit(__doc__)
    sys.exit(0 if ok else 1)


if __name__ == "__main__":
    main()
