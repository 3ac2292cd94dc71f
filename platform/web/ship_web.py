"""Readies the web edition's folder for serving as a game portal does: the
page's scripts minified with source maps (esbuild, when installed), every file
but the entry points renamed after a digest of its contents (so that a host
may keep it for a year: a changed file is a new name), the names rewritten
where other files give them, and a Brotli and a gzip copy beside each file
that compresses.

    inline_style, rename_all(OUT_DIR, ESBUILD_OR_NONE), then compress(OUT_DIR)
    (pack_web.py)
"""
import gzip
import hashlib
import json
import os
import re
import shutil
import subprocess
import tempfile

# Asked for by fixed names: the page's address, what the browser reads to
# install it, and the worker the browser checks for a new version.
ENTRY_FILES = {"index.html", "manifest.webmanifest", "sw.js"}
# Files whose text may name other files.
TEXT_KINDS = (".html", ".js", ".css", ".webmanifest", ".json")
# Pictures and MP3 are compressed already; a second pass saves nothing.
COMPRESSED_KINDS = (".webp", ".png", ".mp3", ".br", ".gz")
# Written beside the files: they are never shipped on their own.
SIDE_KINDS = (".br", ".gz", ".map")
MAP_COMMENT = re.compile(rb"\n?//# sourceMappingURL=[^\n]*\n?$")


def relative_files(out_dir):
    found = []
    for folder, _, names in os.walk(out_dir):
        for name in names:
            found.append(os.path.relpath(os.path.join(folder, name), out_dir).replace(os.sep, "/"))
    return sorted(found)


def quoted(name):
    """The ways a file's name is written in the page's files: quoted, or as
    an HTML attribute."""
    return [f'"{name}"'.encode(), f"'{name}'".encode(), f"`{name}`".encode()]


def named_in(text, names):
    return [n for n in names if any(q in text for q in quoted(n))]


def rewrite(text, renamed):
    for old, new in renamed.items():
        for before, after in zip(quoted(old), quoted(new)):
            text = text.replace(before, after)
    return text


def minified(path, text, esbuild):
    """The script minified, and its source map (JSON bytes), or None."""
    if not esbuild:
        return None
    with tempfile.TemporaryDirectory() as folder:
        source = os.path.join(folder, os.path.basename(path))
        target = os.path.join(folder, "out.js")
        with open(source, "wb") as out:
            out.write(text)
        made = subprocess.run([esbuild, source, "--minify", "--sourcemap=external",
                               "--target=es2020", "--log-level=warning", f"--outfile={target}"])
        if made.returncode != 0:
            raise SystemExit(f"esbuild could not minify {path}")
        body = MAP_COMMENT.sub(b"\n", open(target, "rb").read())
        source_map = json.load(open(target + ".map"))
        source_map["sources"] = [os.path.basename(path)]
        return body, source_map


def inline_style(out_dir, esbuild):
    """The page's style sheet written into the page (minified when esbuild is
    there): a sheet of its own would hold the first paint for one more
    request."""
    page_path, sheet_path = os.path.join(out_dir, "index.html"), os.path.join(out_dir, "page.css")
    page = open(page_path).read()
    link = '<link rel="stylesheet" href="page.css">'
    if link not in page:
        raise SystemExit("index.html does not link page.css")
    if esbuild:
        made = subprocess.run([esbuild, sheet_path, "--minify", "--log-level=warning"],
                              capture_output=True, text=True)
        if made.returncode != 0:
            raise SystemExit(f"esbuild could not minify page.css: {made.stderr}")
        sheet = made.stdout
    else:
        sheet = open(sheet_path).read()
    with open(page_path, "w") as out:
        out.write(page.replace(link, "<style>" + sheet.strip() + "</style>"))
    os.remove(sheet_path)


def hashed_name(name, body):
    digest = hashlib.sha256(body).hexdigest()[:10]
    stem, dot, kind = name.rpartition(".")
    return f"{stem}.{digest}.{kind}" if dot else f"{name}.{digest}"


def write_renamed(out_dir, name, text, esbuild):
    """Writes `name`'s final text under its hashed name (with its source map
    for a minified script) and removes the plain one; returns the new name."""
    source_map = None
    if name.endswith(".js"):
        made = minified(name, text, esbuild)
        if made:
            text, source_map = made[0].rstrip(b"\n"), made[1]
    new = hashed_name(name, text)
    if source_map is not None:
        source_map["file"] = os.path.basename(new)
        text += f"\n//# sourceMappingURL={os.path.basename(new)}.map\n".encode()
        with open(os.path.join(out_dir, new + ".map"), "w") as out:
            json.dump(source_map, out, separators=(",", ":"))
    os.remove(os.path.join(out_dir, name))
    with open(os.path.join(out_dir, new), "wb") as out:
        out.write(text)
    return new


def rename_all(out_dir, esbuild):
    """Renames every file but the entry points, each after the files it names
    (so that its digest covers their new names); the entry points' texts are
    rewritten last. Returns the table of old to new names."""
    files = relative_files(out_dir)
    texts = {n: open(os.path.join(out_dir, n), "rb").read() for n in files}
    needs = {n: set(named_in(texts[n], files)) - {n} if n.endswith(TEXT_KINDS) else set()
             for n in files}
    renamed, left = {}, [n for n in files if n not in ENTRY_FILES]
    while left:
        ready = [n for n in left if not (needs[n] - set(renamed) - ENTRY_FILES)]
        if not ready:
            raise SystemExit(f"these files name each other: {', '.join(left)}")
        for name in ready:
            renamed[name] = write_renamed(out_dir, name, rewrite(texts[name], renamed), esbuild)
            left.remove(name)
    for name in ENTRY_FILES & set(files):
        with open(os.path.join(out_dir, name), "wb") as out:
            out.write(rewrite(texts[name], renamed))
    return renamed


def compress(out_dir):
    """NAME.br and NAME.gz beside each file that they make smaller."""
    brotli = shutil.which("brotli")
    if not brotli:
        raise SystemExit("brotli is missing (Debian's package brotli)")
    for name in relative_files(out_dir):
        if name.endswith(COMPRESSED_KINDS):
            continue
        path = os.path.join(out_dir, name)
        size = os.path.getsize(path)
        data = open(path, "rb").read()
        with open(path + ".gz", "wb") as out:
            # No name or time in the header: the same file packs the same.
            with gzip.GzipFile(filename="", mode="wb", fileobj=out, compresslevel=9, mtime=0) as g:
                g.write(data)
        subprocess.run([brotli, "--force", "--best", "--output=" + path + ".br", path], check=True)
        made = os.stat(path)
        for packed in (path + ".gz", path + ".br"):
            if os.path.getsize(packed) >= size:
                os.remove(packed)
            else:
                # The copy's time is its file's: the server takes a copy
                # older than its file for a stale one.
                os.utime(packed, ns=(made.st_atime_ns, made.st_mtime_ns))


def shipped_files(out_dir):
    """The files a visitor may load (no compressed copies or source maps)."""
    return [n for n in relative_files(out_dir) if not n.endswith(SIDE_KINDS)]
