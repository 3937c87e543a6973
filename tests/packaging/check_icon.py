#!/usr/bin/env python3
"""Checks the committed Linux icon: it is what make_icon_png.py makes from the XPM today (so
the two cannot drift apart), and, decoded here independently of that script, it is a 32 x 32
RGBA picture with the pixels the XPM describes at a few known places.

    check_icon.py MAKE_ICON_PNG.py ICON.xpm ICON.png
"""

import os
import struct
import subprocess
import sys
import tempfile
import zlib


def decode_png(data):
    """Minimal decoder for 8-bit RGBA, non-interlaced PNGs; returns (width, height, rows)."""
    if data[:8] != b"\x89PNG\r\n\x1a\n":
        raise AssertionError("not a PNG signature")
    pos, idat, header = 8, b"", None
    while pos < len(data):
        length, kind = struct.unpack(">I4s", data[pos:pos + 8])
        body = data[pos + 8:pos + 8 + length]
        crc, = struct.unpack(">I", data[pos + 8 + length:pos + 12 + length])
        if zlib.crc32(kind + body) != crc:
            raise AssertionError(f"bad CRC in {kind!r} chunk")
        if kind == b"IHDR":
            header = struct.unpack(">IIBBBBB", body)
        elif kind == b"IDAT":
            idat += body
        pos += 12 + length
    width, height, depth, colour_type, _, _, interlace = header
    if (depth, colour_type, interlace) != (8, 6, 0):
        raise AssertionError(f"expected 8-bit RGBA non-interlaced, got {header}")
    raw, stride, rows, prev = zlib.decompress(idat), width * 4, [], bytes(width * 4)
    for y in range(height):
        line = raw[y * (stride + 1):(y + 1) * (stride + 1)]
        ftype, cur = line[0], bytearray(line[1:])
        for i in range(stride):
            a = cur[i - 4] if i >= 4 else 0
            b = prev[i]
            c = prev[i - 4] if i >= 4 else 0
            if ftype == 1:
                cur[i] = (cur[i] + a) & 255
            elif ftype == 2:
                cur[i] = (cur[i] + b) & 255
            elif ftype == 3:
                cur[i] = (cur[i] + (a + b) // 2) & 255
            elif ftype == 4:
                p = a + b - c
                pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
                cur[i] = (cur[i] + (a if pa <= pb and pa <= pc else b if pb <= pc else c)) & 255
            elif ftype != 0:
                raise AssertionError(f"bad filter type {ftype}")
        rows.append([tuple(cur[x * 4:x * 4 + 4]) for x in range(width)])
        prev = bytes(cur)
    return width, height, rows


def main(tool, xpm, png):
    with open(png, "rb") as f:
        committed = f.read()
    with tempfile.TemporaryDirectory() as tmp:
        fresh_path = os.path.join(tmp, "fresh.png")
        subprocess.run([sys.executable, tool, xpm, fresh_path], check=True)
        with open(fresh_path, "rb") as f:
            fresh = f.read()
    if fresh != committed:
        raise AssertionError(f"{png} is not what {os.path.basename(tool)} makes from {xpm}: "
                             "run it again and commit the result")

    width, height, rows = decode_png(committed)
    assert (width, height) == (32, 32), f"icon is {width} x {height}, not 32 x 32"
    expected = {
        (0, 0): (0, 0, 0, 0),              # corners are transparent
        (31, 31): (0, 0, 0, 0),
        (3, 1): (0x2B, 0x2F, 0x36, 255),   # the dark frame
        (13, 13): (0xFF, 0x00, 0xFF, 255), # the magenta border of the centre cell
        (14, 14): (0x4D, 0xDB, 0xCA, 255), # the centre cell itself
        (2, 2): (0xFA, 0xA2, 0xA2, 255),   # top-left cell
    }
    for (x, y), want in expected.items():
        got = rows[y][x]
        assert got == want, f"pixel ({x}, {y}) is {got}, expected {want}"
    print("icon OK: 32 x 32 RGBA, matches the XPM")


if __name__ == "__main__":
    if len(sys.argv) != 4:
        sys.exit(__doc__)
    try:
        main(*sys.argv[1:])
    except AssertionError as e:
        sys.exit(f"FAIL: {e}")
