#!/usr/bin/env python3
"""Turns Hueclip's icon picture (an XPM) into the PNG that the Linux desktop shows.

    make_icon_png.py resources/hueclip.xpm resources/linux/hueclip.png

The XPM is the one source of the icon for both platforms; the Windows .ico is made from the
same file. Transparent pixels ("None") stay transparent. The output is byte-for-byte the same
for the same input, so the committed PNG can be checked against a fresh one.
Python 3 standard library only.
"""

import re
import struct
import sys
import zlib


def _parse_colour(value):
    """Returns (r, g, b, a) for an XPM colour value: None or #RGB, #RRGGBB, #RRRRGGGGBBBB."""
    if value.lower() == "none":
        return (0, 0, 0, 0)
    m = re.fullmatch(r"#([0-9A-Fa-f]+)", value)
    if not m or len(m.group(1)) not in (3, 6, 12):
        raise ValueError(f"unsupported XPM colour {value!r} (use #RRGGBB or None)")
    digits = m.group(1)
    n = len(digits) // 3
    r, g, b = (int(digits[i * n:(i + 1) * n], 16) for i in range(3))
    if n == 1:
        r, g, b = r * 17, g * 17, b * 17
    elif n == 4:
        r, g, b = r >> 8, g >> 8, b >> 8
    return (r, g, b, 255)


def read_xpm(text):
    """Parses an XPM (version 3, C syntax). Returns (width, height, rows), each row a list of
    (r, g, b, a) tuples from left to right, rows from top to bottom."""
    text = re.sub(r"/\*.*?\*/", "", text, flags=re.S)
    strings = [bytes(s, "latin-1").decode("unicode_escape")
               for s in re.findall(r'"((?:[^"\\]|\\.)*)"', text)]
    if not strings:
        raise ValueError("no XPM strings found")
    values = strings[0].split()
    if len(values) < 4:
        raise ValueError(f"bad XPM values line {strings[0]!r}")
    width, height, ncolours, cpp = (int(v) for v in values[:4])
    if len(strings) < 1 + ncolours + height:
        raise ValueError("XPM is shorter than its values line says")

    palette = {}
    for line in strings[1:1 + ncolours]:
        key, spec = line[:cpp], line[cpp:].split()
        # Pairs of (context, value); the colour-display context "c" is the one used here.
        pairs = dict(zip(spec[0::2], spec[1::2]))
        if "c" not in pairs:
            raise ValueError(f"XPM colour {key!r} has no 'c' value")
        palette[key] = _parse_colour(pairs["c"])

    rows = []
    for line in strings[1 + ncolours:1 + ncolours + height]:
        if len(line) != width * cpp:
            raise ValueError(f"XPM row {line!r} is not {width} pixels wide")
        try:
            rows.append([palette[line[i:i + cpp]] for i in range(0, len(line), cpp)])
        except KeyError as e:
            raise ValueError(f"XPM row uses undefined colour {e}") from None
    return width, height, rows


def png_bytes(width, height, rows):
    """Encodes RGBA rows as a PNG (8 bits per channel, no interlace, no time stamp)."""
    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body))

    raw = b"".join(b"\0" + bytes(c for pixel in row for c in pixel) for row in rows)
    return (b"\x89PNG\r\n\x1a\n"
            + chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0))
            + chunk(b"IDAT", zlib.compress(raw, 9))
            + chunk(b"IEND", b""))


def main(argv):
    if len(argv) != 3:
        print("usage: make_icon_png.py ICON.xpm ICON.png", file=sys.stderr)
        return 2
    with open(argv[1], encoding="latin-1") as f:
        width, height, rows = read_xpm(f.read())
    with open(argv[2], "wb") as f:
        f.write(png_bytes(width, height, rows))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
