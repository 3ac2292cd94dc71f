#!/usr/bin/env python3
"""Facts about screenshots of the desktop program (desktop_e2e.sh) and of the
Windows program under Wine (wine_check.sh); load() reads one back as pixels.

usage: pictures.py dialog SHOT.png
         the in-window box is there, centred, and the field shows around it
       pictures.py scaled SHOT.png FACTOR
         every FACTOR x FACTOR block of the picture is one colour
       pictures.py cell BEFORE.png AFTER.png X Y SIZE
         the SIZE x SIZE square at X, Y changed, and the rest of the picture
         barely did
       pictures.py readable BOX.png
         the about box's Chinese lines are drawn in real glyphs: its second
         and third lines (six characters each) differ, where a font without
         them draws the same six empty squares on both
       pictures.py doubled TWO.png X Y ONE.png X Y [MASK...]
         the field at 1x, its top-left at (X, Y) of ONE, shows at 2x at
         (X, Y) of TWO: every pixel a 2 x 2 block of the same colour; MASK
         is X,Y,W,H of the screen (another window over both) left out
       pictures.py framed SHOT.png W H X Y FW FH
         a W x H picture whose field sits at (X, Y), FW x FH: black all
         around it, and a colourful field
       pictures.py panel SHOT.png X Y W H
         the status panel fills the W x H rectangle at (X, Y): the boxes'
         brass border round it, their olive body inside, and the sprites and
         text in many colours on it
Prints what it found; exits 0 when the fact holds, 1 when not."""
import subprocess
import sys

def load(path, gray=False):
    """The picture as (width, height, bytes of rows: RGB, or one gray byte)."""
    data = subprocess.run(["convert", path, "-depth", "8", "pgm:-" if gray else "ppm:-"],
                          check=True, capture_output=True).stdout
    # A header of four words (the magic, width, height, maximum), each
    # followed by one blank, then the samples.
    fields, pos = [], 0
    while len(fields) < 4:
        while data[pos:pos + 1].isspace():
            pos += 1
        end = pos
        while not data[end:end + 1].isspace():
            end += 1
        fields.append(data[pos:end])
        pos = end
    width, height = int(fields[1]), int(fields[2])
    return width, height, data[pos + 1:pos + 1 + width * height * (1 if gray else 3)]


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


def text_lines(path):
    """The rows of ink (dark pixels) in the box's light face, grouped into
    lines: (top, bottom, left, right) each, from the top."""
    width, height, gray = load(path, gray=True)
    lines, start, left, right = [], None, width, -1
    for y in range(height):
        row = gray[y * width:(y + 1) * width]
        inner = row[4:width - 4]
        light = sum(1 for v in inner if v > 150)
        ink = [x + 4 for x, v in enumerate(inner) if v < 100]
        # Only rows of the face: the caption bar and the frame are not text.
        is_text = light > len(inner) // 2 and ink
        if is_text:
            if start is None:
                start, left, right = y, width, -1
            left, right = min(left, ink[0]), max(right, ink[-1])
        elif start is not None:
            lines.append((start, y, left, right + 1))
            start = None
    return gray, width, lines


def crop(gray, width, line):
    top, bottom, left, right = line
    return [bytes(gray[y * width + left:y * width + right]) for y in range(top, bottom)]


def check_readable(path):
    gray, width, lines = text_lines(path)
    print(f"{len(lines)} lines of ink: " + ", ".join(f"{r - l}x{b - t}" for t, b, l, r in lines))
    # The version line, six lines of Chinese, the button's label.
    if len(lines) < 7:
        print("too few lines of text in the box")
        return False
    second, third = crop(gray, width, lines[1]), crop(gray, width, lines[2])
    if second == third:
        print("the second and third lines are drawn alike: empty squares, not characters")
        return False
    print("the second and third lines differ: the characters are drawn")
    return True


def masked_columns(rects, y, left, count, factor):
    """The field columns (0..count-1) whose screen pixels in the row at y lie
    under a mask; the field starts at `left` and each column is `factor`
    pixels wide."""
    hidden = set()
    for rx, ry, rw, rh in rects:
        if ry <= y < ry + rh:
            first = max(0, (rx - left) // factor)
            last = min(count, (rx + rw - left + factor - 1) // factor)
            hidden.update(range(first, last))
    return hidden


def doubled_row(row):
    """An RGB row with every pixel twice."""
    out = bytearray(len(row) * 2)
    for c in range(3):
        out[c::6] = row[c::3]
        out[3 + c::6] = row[c::3]
    return out


def check_doubled(two_path, two_x, two_y, one_path, one_x, one_y, *masks):
    masks = [tuple(int(v) for v in mask.split(",")) for mask in masks]
    (w1, _, rgb1), (w2, _, rgb2) = load(one_path), load(two_path)
    compared = differing = 0
    for fy in range(704):
        hidden = masked_columns(masks, one_y + fy, one_x, 960, 1)
        for dy in (0, 1):
            hidden |= masked_columns(masks, two_y + 2 * fy + dy, two_x, 960, 2)
        want = doubled_row(rgb1[((one_y + fy) * w1 + one_x) * 3:][:960 * 3])
        rows = [rgb2[((two_y + 2 * fy + dy) * w2 + two_x) * 3:][:1920 * 3] for dy in (0, 1)]
        for fx in hidden:
            want[fx * 6:fx * 6 + 6] = bytes(6)
        for row in rows:
            got = bytearray(row)
            for fx in hidden:
                got[fx * 6:fx * 6 + 6] = bytes(6)
            if got != want:
                differing += sum(1 for fx in range(960) if fx not in hidden and
                                 got[fx * 6:fx * 6 + 6] != want[fx * 6:fx * 6 + 6])
        compared += 960 - len(hidden)
    print(f"{compared} field pixels compared, {differing} not shown as their 2 x 2 block")
    return compared > 300000 and differing == 0


def check_framed(path, width, height, x, y, fw, fh):
    w, h, rgb = load(path)
    if (w, h) != (width, height):
        print(f"the picture is {w}x{h}, not {width}x{height}")
        return False
    lit = sum(1 for py in range(h) for px in range(0, w, 4)
              if not (x <= px < x + fw and y <= py < y + fh)
              and rgb[(py * w + px) * 3:(py * w + px) * 3 + 3] != b"\0\0\0")
    colours = set()
    for py in range(y, y + fh, 7):
        for px in range(x, x + fw, 7):
            colours.add(rgb[(py * w + px) * 3:(py * w + px) * 3 + 3])
    print(f"{lit} lit pixels sampled on the bars, {len(colours)} colours sampled in the field")
    return lit == 0 and len(colours) >= 64


def check_panel(path, x, y, pw, ph):
    w, h, rgb = load(path)
    at = lambda px, py: rgb[(py * w + px) * 3:(py * w + px) * 3 + 3]
    if x + pw > w or y + ph > h:
        print(f"the panel's rectangle runs past the {w}x{h} picture")
        return False
    # The brass line just inside the outer one, on all four sides: within
    # the five pixels of each edge, at any scale of the panel.
    brass = bytes.fromhex("C9A84C")
    sides = [[at(x + pw // 2, y + k) for k in range(5)],
             [at(x + pw // 2, y + ph - 1 - k) for k in range(5)],
             [at(x + k, y + ph // 2) for k in range(5)],
             [at(x + pw - 1 - k, y + ph // 2) for k in range(5)]]
    border = [next((c for c in side if c == brass), side[1]) for side in sides]
    olive = bytes.fromhex("1F261A")
    inside = [at(px, py) for py in range(y + 4, y + ph - 4, 3) for px in range(x + 4, x + pw - 4, 3)]
    body = sum(1 for c in inside if c == olive) / max(1, len(inside))
    colours = len(set(inside))
    print(f"border {[c.hex() for c in border]}, olive body {body:.0%}, {colours} colours inside")
    return all(c == brass for c in border) and body >= 0.3 and colours >= 16


CHECKS = {"dialog": check_dialog, "panel": check_panel, "scaled": check_scaled, "cell": check_cell,
          "readable": check_readable, "doubled": check_doubled, "framed": check_framed}

if __name__ == "__main__":
    if len(sys.argv) < 3 or sys.argv[1] not in CHECKS:
        sys.exit(__doc__)
    arguments = [int(a) if a.isdigit() else a for a in sys.argv[2:]]
    sys.exit(0 if CHECKS[sys.argv[1]](*arguments) else 1)
