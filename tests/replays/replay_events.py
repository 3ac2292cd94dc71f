"""Walks the events of a replay file, as docs/replay-format.md describes them,
for the tests that read or tamper with replays."""


def varint(data, at):
    value, shift = 0, 0
    while True:
        b = data[at]
        at += 1
        value |= (b & 0x7F) << shift
        shift += 7
        if not b & 0x80:
            return value, at


def shown_options_end(data, at, found=None):
    """Where the shown options of a version 2 or 3 file end (the language, the
    records: none, kept with their 73 numbers, or refused with a text; the
    start-up's kind; the status's place, in files that have it; in version 3
    the players; in version 6 the menu's rows)."""
    count, at = varint(data, at)
    for _ in range(count):
        key, at = varint(data, at)
        if key in (1, 3, 4, 5, 6):
            if found is not None:
                found[key] = data[at]
            at += 1
        elif key == 2:
            records_kind = data[at]
            at += 1
            if records_kind == 1:
                for _ in range(3 + 2 * 35):
                    _, at = varint(data, at)
            elif records_kind == 2:
                length, at = varint(data, at)
                at += length
    return at


def events(data, options=None):
    """(op, offset, tick) of each event of a replay that stores no map file or
    the built-in one; `options`, a dict, gets the one-byte shown options by
    their keys (4: the players)."""
    version, at = varint(data, 4)
    length, at = varint(data, at)
    at += length + 8
    kind = data[at]
    at += 1
    assert kind in (0, 1), "the replay stores no map file or the built-in one"
    if kind == 1:
        at += 4
    if version >= 2:
        at = shown_options_end(data, at, options)
    tick = 0
    while True:
        op, start = data[at], at
        at += 1
        if op == 0:
            return
        if op == 1:
            count, at = varint(data, at)
            tick += count
        elif op == 2:
            count, at = varint(data, at)
            at += count
        elif op in (3, 5, 6, 8):
            at += 1
        elif op == 4:
            _, at = varint(data, at)
            _, at = varint(data, at)
        elif op == 9:
            at += 4
        elif op == 10:
            length, at = varint(data, at)
            at += length
        yield op, start, tick


def checksum_offsets(data):
    """(offset, tick) of each stored checksum."""
    return [(start, tick) for op, start, tick in events(data) if op == 9]
