#!/usr/bin/env python3
"""Writes contact sheets of the sprites that the art reviews look at, each laid
on the game's grass through its mask, at full size and at a quarter.

Usage: art_sheets.py ASSET_DIR PREVIEW_DIR OUT_DIR
(ASSET_DIR as morvask-assetgen writes it, PREVIEW_DIR its --previews.)
Needs ImageMagick's convert and montage."""
import os
import subprocess
import sys
import tempfile

# name: [(sheet, x, y, w, h), ...] of images; masks lie h rows below.
def cells(*ns):
    return [("cells", 64 * (n % 4), 128 * (n // 4), 64, 64) for n in ns]

def tanks(kind, rows, columns=(2,)):
    return [("tanks", 64 * c, 128 * (10 * kind + r), 64, 64) for r in rows for c in columns]

GROUPS = {
    "bricks": cells(1, 2, 3, 4, 5, 6),
    "ground": cells(8, 9, 11, 12, 0),
    "items": cells(24, 25, 26, 27),
    "bullets": [("bullets", 40 * c, 80 * r, 40, 40) for r in range(5) for c in range(4)],
    "effects": [("effects", 66 * f, 0, 66, 66) for f in range(8)],
    "blue-tanks": tanks(1, (0, 8), (0, 1, 2, 3)) + tanks(5, (0, 8), (0, 1, 2, 3)),
    "hulls": [s for k in range(8) for s in tanks(k, (0,))],
    "recoil-player": tanks(1, range(3, 9)),
    "recoil-enemy": tanks(6, range(3, 9)),
}


def run(*args):
    subprocess.run(args, check=True)


def main():
    assets, previews, out = sys.argv[1:4]
    os.makedirs(out, exist_ok=True)
    work = tempfile.mkdtemp()
    grass = os.path.join(previews, "background.png")
    for name, sprites in GROUPS.items():
        parts = []
        for i, (sheet, x, y, w, h) in enumerate(sprites):
            src = os.path.join(previews, sheet + ".png")
            part = os.path.join(work, f"{name}-{i:02}.png")
            run("convert", grass, "-crop", f"{w}x{h}+{100 + x % 300}+{60 + y % 200}", "+repage",
                "(", src, "-crop", f"{w}x{h}+{x}+{y}", "+repage", ")",
                "(", src, "-crop", f"{w}x{h}+{x}+{y + h}", "+repage", ")",
                "-composite", part)
            parts.append(part)
        # The recoil rows are shown where the game draws them: pushed back
        # one pixel per row below rest, on the hull of their kind.
        if name.startswith("recoil"):
            kind = 1 if name.endswith("player") else 6
            hull = os.path.join(work, f"{name}-hull.png")
            src = os.path.join(previews, "tanks.png")
            y = 128 * 10 * kind
            run("convert", grass, "-crop", "64x64+100+60", "+repage",
                "(", src, "-crop", f"64x64+128+{y}", "+repage", ")",
                "(", src, "-crop", f"64x64+128+{y + 64}", "+repage", ")", "-composite", hull)
            for i, part in enumerate(parts):
                push = 8 - (3 + i)
                gy = 128 * (10 * kind + 3 + i)
                sprite = os.path.join(work, f"{name}-sprite.png")
                run("convert", "(", src, "-crop", f"64x64+128+{gy}", "+repage", ")",
                    "(", src, "-crop", f"64x64+128+{gy + 64}", "+repage", ")",
                    "-alpha", "off", "-compose", "CopyOpacity", "-composite", sprite)
                run("convert", hull, sprite, "-geometry", f"+0+{push}", "-compose", "over",
                    "-composite", part)
        full = os.path.join(work, f"{name}-full.png")
        quarter = os.path.join(work, f"{name}-quarter.png")
        run("montage", *parts, "-tile", f"{min(len(parts), 8)}x", "-geometry", "+4+4",
            "-background", "#202020", full)
        run("convert", full, "-filter", "box", "-resize", "25%", quarter)
        run("convert", full, quarter, "-background", "#202020", "-gravity", "west", "-append",
            os.path.join(out, name + ".png"))
    # The icon at its small sizes, as they are, and magnified 4 times.
    icons = [os.path.join(assets, f"icon-{s}.png") for s in (16, 24, 32, 48)
             if os.path.exists(os.path.join(assets, f"icon-{s}.png"))]
    big = []
    for path in icons:
        b = os.path.join(work, "x4-" + os.path.basename(path))
        run("convert", path, "-background", "#505860", "-flatten", "-filter", "point",
            "-resize", "400%", b)
        big.append(b)
    run("montage", *big, "-tile", f"{len(big)}x", "-geometry", "+6+6", "-background", "#202020",
        os.path.join(out, "icons.png"))


if __name__ == "__main__":
    main()
