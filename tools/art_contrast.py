#!/usr/bin/env python3
"""Measures how the sprites stand off the grounds and each other, from the
sheets morvask-assetgen writes (CIELAB, delta E 1976).

Usage: art_contrast.py ASSET_DIR [--check] [--sheet OUT.ppm] [--effects OUT.ppm]
Prints, for each tank kind (the players' four armour colours, the enemies'
four kinds): the paint's delta E to each ground and to each other side's
tanks (paint: the pixels that change between kinds, darkest quarter
dropped), and the whole sprite's; the shells and explosion frames against
each ground and brick; the players' plates, and the corners of their marks
outside the plates; the 8x8 block lightness spread of each ground and of the
tanks, between the blocks and inside them. --check exits 1 when a goal is missed;
--sheet writes every kind on every ground (rows: kinds, columns: background,
grass, ice, sand, brick, stone), then a row for each player with its marks;
--effects the eight explosion frames on brick and on the background, and the
four shells on each ground and brick."""
import math
import os
import struct
import sys


def read_bmp(path):
    b = open(path, "rb").read()
    off, = struct.unpack_from("<I", b, 10)
    w, h, _, bits = struct.unpack_from("<iiHH", b, 18)
    pal = []
    if bits == 8:
        used, = struct.unpack_from("<I", b, 46)
        used = used or 256
        start = 14 + struct.unpack_from("<I", b, 14)[0]
        pal = [(b[start + 4 * i + 2], b[start + 4 * i + 1], b[start + 4 * i]) for i in range(used)]
    stride = (w * bits // 8 + 3) & ~3
    rows = []
    for y in range(abs(h)):
        r = off + (abs(h) - 1 - y if h > 0 else y) * stride
        if bits == 24:
            rows.append([(b[r + 3 * x + 2], b[r + 3 * x + 1], b[r + 3 * x]) for x in range(w)])
        else:
            rows.append([pal[b[r + x]] for x in range(w)])
    return rows


def lab(c):
    def lin(v):
        v /= 255.0
        return v / 12.92 if v <= 0.04045 else ((v + 0.055) / 1.055) ** 2.4
    r, g, b = (lin(v) for v in c)
    x = (0.4124 * r + 0.3576 * g + 0.1805 * b) / 0.95047
    y = 0.2126 * r + 0.7152 * g + 0.0722 * b
    z = (0.0193 * r + 0.1192 * g + 0.9505 * b) / 1.08883
    f = lambda t: t ** (1 / 3) if t > 0.008856 else 7.787 * t + 16 / 116
    fx, fy, fz = f(x), f(y), f(z)
    return (116 * fy - 16, 500 * (fx - fy), 200 * (fy - fz))


def mean(labs):
    n = max(1, len(labs))
    return tuple(sum(p[i] for p in labs) / n for i in range(3))


def de(a, b):
    return math.dist(a, b)


def sprite(rows, x, y, w, h, under=None):
    """Lab of the opaque pixels of a sprite (mask h rows below), keyed by
    position; a sprite laid over `under` replaces it where opaque."""
    out = dict(under or {})
    for v in range(h):
        for u in range(w):
            if rows[y + h + v][x + u] == (255, 255, 255):
                out[(u, v)] = lab(rows[y + v][x + u])
    return out


def texture_spread(pixels, size):
    """How busy a picture is: the spread of the lightness inside each 8x8
    block, averaged over the blocks that are wholly opaque. Fine detail that
    flickers from pixel to pixel (leaves, mortar, bevels) counts here, where
    the spread between the blocks' means sees only broad patches."""
    spreads = []
    for by in range(0, size, 8):
        for bx in range(0, size, 8):
            block = [pixels.get((bx + u, by + v)) for v in range(8) for u in range(8)]
            if all(block):
                m = sum(p[0] for p in block) / 64
                spreads.append(math.sqrt(sum((p[0] - m) ** 2 for p in block) / 64))
    return sum(spreads) / max(1, len(spreads))


def block_spread(pixels, size):
    means = []
    for by in range(0, size, 8):
        for bx in range(0, size, 8):
            block = [pixels.get((bx + u, by + v)) for v in range(8) for u in range(8)]
            if all(block):
                means.append(sum(p[0] for p in block) / 64)
    if len(means) < 2:
        return 0.0
    m = sum(means) / len(means)
    return math.sqrt(sum((v - m) ** 2 for v in means) / len(means))


KINDS = ["player grey (1 hit)", "player blue (fresh)", "player green", "player red (full)",
         "enemy green", "enemy blue (fast)", "enemy red (turret)", "enemy gold (heavy)"]


def cell_ground(cells, n):
    return lambda u, v: cells[128 * (n // 4) + v % 64][64 * (n % 4) + u % 64]


# Where the game draws a player's mark in its tank's square: 2 pixels in from
# the top-left corner, and again as far in from the bottom-right one.
MARK_AT = (2, 64 - 2 - 22)


def tank_on(tanks, marks, band, player, ground, u, v):
    """The pixel at (u, v) of the tank of a band facing up, gun at rest, over
    a ground, with player's mark (0, 1) or none (-1), as the game composes it."""
    c = ground(u, v)
    for row in (10 * band, 10 * band + 8):
        if tanks[128 * row + 64 + v][128 + u] == (255, 255, 255):
            c = tanks[128 * row + v][128 + u]
    if player >= 0:
        for at in MARK_AT:
            mu, mv = u - at, v - at
            if 0 <= mu < 22 and 0 <= mv < 22 and marks[22 + mv][22 * player + mu] == (255, 255, 255):
                c = marks[mv][22 * player + mu]
    return c


def write_sheet(path, tanks, cells, back, marks):
    """Each kind facing up on each ground (background, grass, ice, sand,
    brick, stone), then player 1 and player 2 with their marks, a row each:
    the four armour colours on the background, full armour on grass and ice."""
    grounds = [lambda u, v: back[v][u]] + [cell_ground(cells, n) for n in (8, 9, 11, 1, 7)]
    w, h = 64 * len(grounds), 64 * 10
    img = [[(32, 32, 32)] * w for _ in range(h)]
    tiles = [(k, g, k, -1) for k in range(8) for g in range(len(grounds))]
    for player in range(2):
        tiles += [(8 + player, band, band, player) for band in range(4)]
        tiles += [(8 + player, 4 + g, 3, player) for g in range(2)]
    for row, col, band, player in tiles:
        ground = grounds[col] if row < 8 else grounds[0 if col < 4 else col - 3]
        for v in range(64):
            for u in range(64):
                img[64 * row + v][64 * col + u] = tank_on(tanks, marks, band, player, ground, u, v)
    with open(path, "wb") as f:
        f.write(f"P6 {w} {h} 255\n".encode())
        for line in img:
            f.write(bytes(x for c in line for x in c))


def write_effects(path, cells, back, effects, bullets):
    """The explosion frames over brick and background; the shells over every ground."""
    def brick(u, v):
        return cells[128 * 0 + v % 64][64 * 1 + u % 64]
    def grass(u, v):
        return back[v % 64][u % 64]
    w, h = 66 * 8, 66 * 2 + 40 * 5
    img = [[(32, 32, 32)] * w for _ in range(h)]
    for r, ground in enumerate((brick, grass)):
        for f in range(8):
            for v in range(66):
                for u in range(66):
                    c = ground(u, v)
                    if effects[66 + v][66 * f + u] == (255, 255, 255):
                        c = effects[v][66 * f + u]
                    img[66 * r + v][66 * f + u] = c
    grounds = [grass] + [(lambda n: lambda u, v: cells[128 * (n // 4) + v % 64][64 * (n % 4) + u % 64])(n)
                         for n in (8, 9, 11, 1)]
    for g, ground in enumerate(grounds):
        for k in range(4):
            for v in range(40):
                for u in range(40):
                    c = ground(u, v)
                    if bullets[80 * k + 40 + v][80 + u] == (255, 255, 255):
                        c = bullets[80 * k + v][80 + u]
                    img[132 + 40 * g + v][40 * k + u] = c
    with open(path, "wb") as f:
        f.write(f"P6 {w} {h} 255\n".encode())
        for row in img:
            f.write(bytes(x for c in row for x in c))


def check_effects(bullets, effects, gmean, names, faults):
    """The shells and the explosion frames against each ground and brick."""
    print("Shells (mean of the opaque pixels) against each ground and brick")
    for r in range(5):
        shell = mean(list(sprite(bullets, 80, 80 * r, 40, 40).values()))
        print(f"  row {r}:" + "".join(f" {g} {de(shell, gmean[g]):5.1f}" for g in names + ["brick"]))
    print("Explosion frames against each ground and brick")
    for f in range(8):
        fr = mean(list(sprite(effects, 66 * f, 0, 66, 66).values()))
        d = {g: de(fr, gmean[g]) for g in names + ["brick"]}
        print(f"  frame {f}:" + "".join(f" {g} {v:5.1f}" for g, v in d.items()))
        if 2 <= f <= 5 and d["brick"] < 30:
            faults.append(f"explosion frame {f} on brick: {d['brick']:.1f} < 30")


def check_marks(marks, paints, faults):
    """The players' marks: their plates apart, and their corners apart."""
    plates = [mean(list(sprite(marks, 22 * i, 0, 22, 22).values())) for i in range(2)]
    print(f"Player plates: 1 vs 2 {de(plates[0], plates[1]):.1f}; nearest tank paint: " +
          ", ".join(f"plate {i + 1} {min(de(p, q) for q in paints):.1f}" for i, p in enumerate(plates)))
    if de(plates[0], plates[1]) < 25:
        faults.append("plate 1 vs plate 2 < 25")
    # The identity beyond the plate: the mark's pixels outside the plate's
    # square (3..18), the corner brackets that tint the tank's corners.
    corners = [mean([c for (u, v), c in sprite(marks, 22 * i, 0, 22, 22).items()
                     if not (3 <= u < 19 and 3 <= v < 19)]) for i in range(2)]
    apart = de(corners[0], corners[1])
    print(f"Player corners: 1 vs 2 {apart:.1f}; nearest tank paint: " +
          ", ".join(f"corners {i + 1} {min(de(p, q) for q in paints):.1f}" for i, p in enumerate(corners)))
    if apart < 25:
        faults.append(f"corners 1 vs corners 2: {apart:.1f} < 25")


def check_calm(surfaces, sprites, faults):
    """The grounds' and walls' busyness against the tanks'."""
    print("8x8 block lightness spread: between the blocks' means / inside the blocks")
    for g, p in surfaces.items():
        print(f"  {g:12} {block_spread(p, 64):5.1f} / {texture_spread(p, 64):5.1f}")
    spreads = [block_spread(s, 64) for s in sprites]
    busy = [texture_spread(s, 64) for s in sprites]
    print("  tanks        " + " ".join(f"{v:4.1f}" for v in spreads) + " / " +
          " ".join(f"{v:4.1f}" for v in busy))
    if block_spread(surfaces["grass edge"], 64) > 7:
        faults.append(f"grass block spread {block_spread(surfaces['grass edge'], 64):.1f} > 7")
    # The grounds and walls beside the tanks are calmer than the tanks:
    # grass inside its blocks at most 7 (about half the tanks' 14-15), brick
    # and stone at most 9 (below the calmest tank's, about 10).
    for g, p, most in (("grass edge", surfaces["grass edge"], 7.0), ("brick", surfaces["brick"], 9.0),
                       ("stone", surfaces["stone"], 9.0)):
        if texture_spread(p, 64) > most:
            faults.append(f"{g} spread inside its blocks {texture_spread(p, 64):.1f} > {most:.1f}")


def main():
    assets = sys.argv[1]
    check = "--check" in sys.argv
    tanks = read_bmp(os.path.join(assets, "tanks.bmp"))
    cells = read_bmp(os.path.join(assets, "cells.bmp"))
    back = read_bmp(os.path.join(assets, "background.bmp"))
    bullets = read_bmp(os.path.join(assets, "bullets.bmp"))
    effects = read_bmp(os.path.join(assets, "effects.bmp"))
    marks = read_bmp(os.path.join(assets, "marks.bmp"))
    if "--effects" in sys.argv:
        write_effects(sys.argv[sys.argv.index("--effects") + 1], cells, back, effects, bullets)
    if "--sheet" in sys.argv:
        write_sheet(sys.argv[sys.argv.index("--sheet") + 1], tanks, cells, back, marks)

    def cell(n):
        return {(u, v): lab(cells[128 * (n // 4) + v][64 * (n % 4) + u])
                for v in range(64) for u in range(64)}
    grounds = {"background": {(u, v): lab(back[v][u]) for v in range(64) for u in range(64)},
               "grass edge": cell(8), "ice": cell(9), "sand": cell(11)}
    walls = {"brick": cell(1), "stone": cell(7)}
    gmean = {k: mean(list(p.values())) for k, p in {**grounds, **walls}.items()}
    faults = []

    # Each kind facing up: hull, gun at rest over it.
    sprites = []
    for k in range(8):
        hull = sprite(tanks, 128, 128 * 10 * k, 64, 64)
        sprites.append(sprite(tanks, 128, 128 * (10 * k + 8), 64, 64, hull))
    paints, wholes = [], []
    for design in (0, 4):
        keys = set(sprites[design]).intersection(*sprites[design:design + 4])
        moving = [p for p in keys if max(de(sprites[design][p], sprites[j][p])
                                         for j in range(design, design + 4)) > 3]
        for k in range(design, design + 4):
            px = sorted((sprites[k][p] for p in moving), key=lambda c: c[0])
            paints.append(mean(px[len(px) // 4:]))
            wholes.append(mean(list(sprites[k].values())))
    print("Tanks: paint delta E to each ground / nearest other-side tank (paint, whole)")
    for k in range(8):
        to_ground = {g: de(paints[k], gmean[g]) for g in grounds}
        others = range(4, 8) if k < 4 else range(0, 4)
        near = min(others, key=lambda j: de(paints[k], paints[j]))
        nearw = min(de(wholes[k], wholes[j]) for j in others)
        print(f"  {KINDS[k]:22}" + "".join(f" {g} {v:5.1f}" for g, v in to_ground.items()) +
              f" | nearest {KINDS[near]}: paint {de(paints[k], paints[near]):5.1f}, whole {nearw:5.1f}")
        for g, v in to_ground.items():
            if v < 30:
                faults.append(f"{KINDS[k]} on {g}: {v:.1f} < 30")
        if de(paints[k], paints[near]) < 25:
            faults.append(f"{KINDS[k]} vs {KINDS[near]}: paint {de(paints[k], paints[near]):.1f} < 25")
        if nearw < 20:
            faults.append(f"{KINDS[k]} whole vs other side: {nearw:.1f} < 20")

    check_effects(bullets, effects, gmean, list(grounds), faults)
    check_marks(marks, paints, faults)
    check_calm({**grounds, **walls}, sprites, faults)
    for f in faults:
        print("MISSED:", f)
    if check and faults:
        sys.exit(1)


if __name__ == "__main__":
    main()
