#!/usr/bin/env python3
"""Facts about screenshots of the Windows program under Wine, for wine_check.sh.

usage: wine_picture.py readable BOX.png
         the about box's Chinese lines are drawn in real glyphs: its second
         and third lines (six characters each) differ, where a font without
         them draws the same six empty squares on both
       wine_picture.py doubled ONE.png X Y TWO.png X Y [MASK...]
         the field at 1x, its top-left at (X, Y) of ONE, shows at 2x at
         (X, Y) of TWO: every pixel a 2 x 2 block of the same colour; MASK
         is X,Y,W,H of the screen (another window over both) left out
       wine_picture.py framed SHOT.png W H X Y FW FH
         a W x H picture whose field sits at (X, Y), FW x FH: black all
         around it, and a colourful field
Prints what it found; exits 0 when the fact holds, 1 when not."""
import sys

from pictures import load


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


def check_doubled(one_path, one_x, one_y, two_path, two_x, two_y, masks):
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


def main():
    args = sys.argv[1:]
    if args[:1] == ["readable"] and len(args) == 2:
        ok = check_readable(args[1])
    elif args[:1] == ["doubled"] and len(args) >= 7:
        masks = [tuple(int(v) for v in m.split(",")) for m in args[7:]]
        ok = check_doubled(args[1], int(args[2]), int(args[3]), args[4], int(args[5]),
                           int(args[6]), masks)
    elif args[:1] == ["framed"] and len(args) == 8:
        ok = check_framed(args[1], *(int(v) for v in args[2:]))
    else:
        print(__doc__)
        return 2
    return 0 if ok else 1


if __name__ == "__main__":
    sys.exit(main())
