#!/usr/bin/env python3
"""Assembles the web edition's folder: the page, its scripts, the game's
module, and the pictures as lossless WebP files (the stored sheets are plain
bitmaps, up to 8 MB; as WebP they are a fifth of their PNG size, which is
what is shipped when cwebp is missing) with the waves beside them, the long
level-start wave as MP3 (lame; the WAV when lame is missing); the table of
these files in resources.js; the manifest with the icons, and the service
worker with this version's name (a digest of every other file) and the list
of files it keeps; then ship_web.py names the files after their contents,
minifies the scripts and writes the compressed copies.

    pack_web.py ASSET_DIR WEB_BUILD_DIR OUT_DIR
"""
import hashlib
import json
import os
import shutil
import struct
import subprocess
import sys
import tempfile
import zlib

import ship_web

# Resource number of each sheet and wave, and the file the generator wrote.
PICTURES = {114: "background.bmp", 115: "tanks.bmp", 117: "bullets.bmp",
            124: "cells.bmp", 125: "effects.bmp", 126: "marks.bmp"}
WAVES = {111: "wave111.wav", 118: "wave118.wav", 119: "wave119.wav",
         120: "wave120.wav", 121: "wave121.wav", 122: "wave122.wav"}
# Waves shipped compressed: the level-start wave is 209 KB as WAV. The short
# cues stay WAV, whose length is exact (an MP3 is padded by its frames, and a
# cue's length decides which cues the one channel drops).
COMPRESSED_WAVES = {111}
PAGE_FILES = ["index.html", "picture_worker.js", "page.js", "page_store.js", "page_view.js",
              "page_options.js", "page_touch.js", "page_menu.js", "page_share.js", "page_status.js",
              "page_work.js", "page_net.js", "page_online.js", "page_start.js",
              "page.css", "manifest.webmanifest"]
ICONS = {"icon-32.png": "icon.png", "icon-192.png": "icon-192.png", "icon-512.png": "icon-512.png"}
MODULE_FILES = ["morvask.js", "morvask.wasm"]
# The loading picture: half the field's size (the page shows it at most
# 960 px wide, over a phone's 390 it is still larger than shown), lossy: it
# stands a moment before the game draws the field itself, and at 13 KB it
# comes before the module's half megabyte.
POSTER_SIZE = (480, 352)
POSTER_QUALITY = 55


def read_bmp(path):
    """Returns width, height and the rows (top first) as RGB bytes."""
    data = open(path, "rb").read()
    if data[:2] != b"BM":
        raise ValueError(f"{path}: not a BMP file")
    offset, = struct.unpack_from("<I", data, 10)
    header_size, width, height, _, bits = struct.unpack_from("<IiiHH", data, 14)
    top_down = height < 0
    height = abs(height)
    palette = []
    if bits == 8:
        colours, = struct.unpack_from("<I", data, 46)
        colours = colours or 256
        base = 14 + header_size
        palette = [data[base + 4 * i: base + 4 * i + 3][::-1] for i in range(colours)]
    elif bits != 24:
        raise ValueError(f"{path}: {bits}-bit bitmaps are not shipped")
    stride = (width * bits // 8 + 3) & ~3
    rows = []
    for y in range(height):
        start = offset + (y if top_down else height - 1 - y) * stride
        raw = data[start:start + width * bits // 8]
        if bits == 8:
            rows.append(b"".join(palette[i] for i in raw))
        else:
            row = bytearray(raw)
            row[0::3], row[2::3] = raw[2::3], raw[0::3]  # BGR to RGB
            rows.append(bytes(row))
    return width, height, rows


def png_bytes(width, height, rows):
    def chunk(kind, body):
        return (struct.pack(">I", len(body)) + kind + body +
                struct.pack(">I", zlib.crc32(kind + body) & 0xFFFFFFFF))
    # Each picture takes the smaller of two row filters: none, or "up" (the
    # sprite sheets repeat a lot from row to row, the textures do not).
    plain = b"".join(b"\0" + row for row in rows)
    up = bytearray()
    previous = bytes(len(rows[0]))
    for row in rows:
        up.append(2)
        up += bytes((a - b) & 0xFF for a, b in zip(row, previous))
        previous = row
    image = min(zlib.compress(plain, 9), zlib.compress(bytes(up), 9), key=len)
    return (b"\x89PNG\r\n\x1a\n" +
            chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0)) +
            chunk(b"IDAT", image) + chunk(b"IEND", b""))


def made_from(target, source):
    """True when `target` exists and is newer than `source`."""
    return os.path.exists(target) and os.path.getmtime(target) >= os.path.getmtime(source)


def webp_bytes(png, width, height, rows):
    """The picture as lossless WebP, or None when cwebp is missing or what it
    made does not decode (dwebp) to exactly the same pixels."""
    if not shutil.which("cwebp") or not shutil.which("dwebp"):
        return None
    with tempfile.TemporaryDirectory() as folder:
        source, target = os.path.join(folder, "in.png"), os.path.join(folder, "out.webp")
        with open(source, "wb") as out:
            out.write(png)
        made = subprocess.run(["cwebp", "-quiet", "-lossless", "-z", "9", "-exact", source,
                               "-o", target])
        if made.returncode != 0:
            return None
        decoded = subprocess.run(["dwebp", "-quiet", target, "-ppm", "-o", "-"],
                                 capture_output=True)
        header = f"P6\n{width} {height}\n255\n".encode()
        if decoded.returncode != 0 or decoded.stdout != header + b"".join(rows):
            return None
        return open(target, "rb").read()


def pack_picture(source, cache, number):
    """Makes picture `number` as WebP (or PNG) in `cache`, once; its file
    there, its size and the CRC-32 of its rows (RGB, top first), which the
    page's tests check the browser's decoding against."""
    for kind in ("webp", "png"):
        target = os.path.join(cache, f"{number}.{kind}")
        if made_from(target, source) and made_from(target + ".json", source):
            entry = json.load(open(target + ".json"))
            entry["file"] = f"assets/{number}.{kind}"
            return entry
    width, height, rows = read_bmp(source)
    png = png_bytes(width, height, rows)
    packed, kind = webp_bytes(png, width, height, rows), "webp"
    if packed is None:
        packed, kind = png, "png"
    entry = {"width": width, "height": height, "crc": zlib.crc32(b"".join(rows))}
    target = os.path.join(cache, f"{number}.{kind}")
    with open(target, "wb") as out:
        out.write(packed)
    with open(target + ".json", "w") as out:
        json.dump(entry, out)
    entry["file"] = f"assets/{number}.{kind}"
    return entry


def pack_wave(source, cache, number):
    """The wave's file, made in `cache`: MP3 for the waves shipped compressed
    (when lame is there), else the WAV itself."""
    if number in COMPRESSED_WAVES and shutil.which("lame"):
        target = os.path.join(cache, f"{number}.mp3")
        if not made_from(target, source):
            made = subprocess.run(["lame", "--quiet", "-b", "64", "-m", "m", source, target])
            if made.returncode != 0:
                raise SystemExit(f"lame could not encode {source}")
        return f"assets/{number}.mp3"
    shutil.copyfile(source, os.path.join(cache, f"{number}.wav"))
    return f"assets/{number}.wav"


def make_poster(here, sim, cache):
    """The loading picture in `cache` (poster.webp), made again when the sim
    or its script is newer; the game's own frame, scaled down and packed by
    cwebp (or shipped as the sim's PNG when cwebp is missing)."""
    script = os.path.join(here, "poster.sim")
    for kind in ("webp", "png"):
        target = os.path.join(cache, f"poster.{kind}")
        if made_from(target, sim) and made_from(target, script):
            return target
    with tempfile.TemporaryDirectory() as folder:
        run = subprocess.run([sim, script], cwd=folder, stdout=subprocess.DEVNULL,
                             stderr=subprocess.PIPE, text=True)
        frame = os.path.join(folder, "poster.png")
        if run.returncode != 0 or not os.path.isfile(frame):
            raise SystemExit(f"morvask-sim could not draw the loading picture: {run.stderr}")
        if not shutil.which("cwebp"):
            target = os.path.join(cache, "poster.png")
            shutil.copyfile(frame, target)
            return target
        target = os.path.join(cache, "poster.webp")
        width, height = POSTER_SIZE
        made = subprocess.run(["cwebp", "-quiet", "-q", str(POSTER_QUALITY), "-m", "6",
                               "-resize", str(width), str(height), frame, "-o", target])
        if made.returncode != 0:
            raise SystemExit("cwebp could not pack the loading picture")
    return target


def write_poster(out_dir, made):
    """The loading picture in the folder, and its name in the page (a PNG
    where cwebp was missing)."""
    name = os.path.basename(made)
    shutil.copyfile(made, os.path.join(out_dir, name))
    if name != "poster.webp":
        page = os.path.join(out_dir, "index.html")
        text = open(page).read().replace('"poster.webp"', f'"{name}"')
        with open(page, "w") as out:
            out.write(text.replace('type="image/webp"', 'type="image/png"'))


def write_resources(here, out_dir, pictures, waves):
    """resources.js with the table of this build's files written in."""
    table = json.dumps({"pictures": pictures, "waves": waves}, sort_keys=True)
    text = open(os.path.join(here, "resources.js")).read()
    marker = "const Files = null;"
    if marker not in text:
        raise SystemExit("resources.js has no place for the table of files")
    with open(os.path.join(out_dir, "resources.js"), "w") as out:
        out.write(text.replace(marker, f"const Files = {table};"))


def main():
    if len(sys.argv) != 5:
        raise SystemExit(__doc__)
    asset_dir, build_dir, out_dir, sim = sys.argv[1:5]
    here = os.path.dirname(os.path.abspath(__file__))
    # The pictures and waves are made once in the web build's folder (the
    # tank sheet takes cwebp a while), and copied.
    cache = os.path.join(build_dir, "web", "assets")
    assets = os.path.join(out_dir, "assets")
    os.makedirs(cache, exist_ok=True)
    # Each build's names are new: an older build's files would only pile up.
    shutil.rmtree(out_dir, ignore_errors=True)
    os.makedirs(assets, exist_ok=True)
    pictures = {number: pack_picture(os.path.join(asset_dir, name), cache, number)
                for number, name in PICTURES.items()}
    waves = {number: pack_wave(os.path.join(asset_dir, name), cache, number)
             for number, name in WAVES.items()}
    shipped = [e["file"] for e in pictures.values()] + list(waves.values())
    for relative in shipped:
        shutil.copyfile(os.path.join(cache, os.path.basename(relative)),
                        os.path.join(out_dir, relative))
    write_resources(here, out_dir, pictures, waves)
    for source, target in ICONS.items():
        shutil.copyfile(os.path.join(asset_dir, source), os.path.join(out_dir, target))
    for name in PAGE_FILES:
        shutil.copyfile(os.path.join(here, name), os.path.join(out_dir, name))
    for name in MODULE_FILES:
        shutil.copyfile(os.path.join(build_dir, "web", name), os.path.join(out_dir, name))
    write_module_size(out_dir)
    write_poster(out_dir, make_poster(here, os.path.abspath(sim), cache))
    esbuild = os.path.join(here, "node_modules", ".bin", "esbuild")
    if not os.access(esbuild, os.X_OK):
        print("note: esbuild is not installed (npm ci in platform/web): the scripts go out "
              "as written", file=sys.stderr)
        esbuild = None
    ship_web.inline_style(out_dir, esbuild)
    ship_web.rename_all(out_dir, esbuild)
    write_service_worker(here, out_dir)
    ship_web.compress(out_dir)


def write_module_size(out_dir):
    """The module's size in the page, for its loading bar."""
    page = os.path.join(out_dir, "index.html")
    text = open(page).read()
    marker = "const ModuleBytes = 0;"
    if marker not in text:
        raise SystemExit("index.html has no place for the module's size")
    size = os.path.getsize(os.path.join(out_dir, "morvask.wasm"))
    with open(page, "w") as out:
        out.write(text.replace(marker, f"const ModuleBytes = {size};"))


def write_service_worker(here, out_dir):
    """sw.js for exactly the files a visitor loads from out_dir now, named by
    their digest."""
    files, digest = [], hashlib.sha256()
    for relative in ship_web.shipped_files(out_dir):
        if relative == "sw.js":
            continue
        files.append(relative)
        digest.update(relative.encode() + b"\0" + open(os.path.join(out_dir, relative), "rb").read())
    text = open(os.path.join(here, "sw.js")).read()
    text = text.replace('const Version = "unpacked";', f'const Version = "{digest.hexdigest()[:16]}";')
    text = text.replace('const Files = ["./"];', f"const Files = {json.dumps(['./'] + files)};")
    with open(os.path.join(out_dir, "sw.js"), "w") as out:
        out.write(text)


if __name__ == "__main__":
    main()
