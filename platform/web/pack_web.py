#!/usr/bin/env python3
"""Assembles the web edition's folder: the page, its scripts, the game's
module, and the pictures as PNG files (the stored sheets are plain bitmaps,
up to 8 MB; as PNG they are a fraction of that) with the waves beside them;
the manifest with the icons, and the service worker with this version's
name (a digest of every other file) and the list of files it keeps.

    pack_web.py ASSET_DIR WEB_BUILD_DIR OUT_DIR
"""
import hashlib
import json
import os
import shutil
import struct
import sys
import zlib

# Resource number of each sheet and wave, and the file the generator wrote.
PICTURES = {114: "background.bmp", 115: "tanks.bmp", 117: "bullets.bmp",
            124: "cells.bmp", 125: "effects.bmp"}
WAVES = {111: "wave111.wav", 118: "wave118.wav", 119: "wave119.wav",
         120: "wave120.wav", 121: "wave121.wav", 122: "wave122.wav"}
PAGE_FILES = ["index.html", "resources.js", "page.js", "page_view.js", "page_options.js",
              "page_touch.js", "page_start.js", "page.css", "manifest.webmanifest"]
ICONS = {"icon-32.png": "icon.png", "icon-192.png": "icon-192.png", "icon-512.png": "icon-512.png"}
MODULE_FILES = ["morvask.js", "morvask.wasm"]


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


def main():
    asset_dir, build_dir, out_dir = sys.argv[1:4]
    here = os.path.dirname(os.path.abspath(__file__))
    os.makedirs(os.path.join(out_dir, "assets"), exist_ok=True)
    for number, name in PICTURES.items():
        source = os.path.join(asset_dir, name)
        target = os.path.join(out_dir, "assets", f"{number}.png")
        if os.path.exists(target) and os.path.getmtime(target) >= os.path.getmtime(source):
            continue
        width, height, rows = read_bmp(source)
        with open(target, "wb") as out:
            out.write(png_bytes(width, height, rows))
    for number, name in WAVES.items():
        shutil.copyfile(os.path.join(asset_dir, name),
                        os.path.join(out_dir, "assets", f"{number}.wav"))
    for source, target in ICONS.items():
        shutil.copyfile(os.path.join(asset_dir, source), os.path.join(out_dir, target))
    for name in PAGE_FILES:
        shutil.copyfile(os.path.join(here, name), os.path.join(out_dir, name))
    for name in MODULE_FILES:
        shutil.copyfile(os.path.join(build_dir, "web", name), os.path.join(out_dir, name))
    write_service_worker(here, out_dir)


def write_service_worker(here, out_dir):
    """sw.js for exactly the files in out_dir now, named by their digest."""
    files, digest = [], hashlib.sha256()
    for folder, _, names in sorted(os.walk(out_dir)):
        for name in sorted(names):
            path = os.path.join(folder, name)
            relative = os.path.relpath(path, out_dir).replace(os.sep, "/")
            if relative == "sw.js":
                continue
            files.append(relative)
            digest.update(relative.encode() + b"\0" + open(path, "rb").read())
    text = open(os.path.join(here, "sw.js")).read()
    text = text.replace('const Version = "unpacked";', f'const Version = "{digest.hexdigest()[:16]}";')
    text = text.replace('const Files = ["./"];', f"const Files = {json.dumps(['./'] + files)};")
    with open(os.path.join(out_dir, "sw.js"), "w") as out:
        out.write(text)


if __name__ == "__main__":
    main()
