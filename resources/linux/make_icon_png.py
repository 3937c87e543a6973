#!/usr/bin/env python3
"""Turns Hueclip's icon picture (an XPM) into the PNGs that the Linux desktop shows.

    make_icon_png.py resources/hueclip.xpm hueclip.png [SIZE]

SIZE (in pixels, the picture's own size if left out) scales the square picture by nearest
neighbour, so every picture pixel stays a block of flat colour: at 64 and 128 each becomes 2 x 2
or 4 x 4, at 48 alternately 1 and 2 wide, and the icon stays as crisp as the original art.

The XPM is the one source of the icon for both platforms, and it is read with the same code
that makes the Windows .ico from it (resources/make_windows_images.py). Transparent pixels
("None") stay transparent. The output is byte-for-byte the same for the same input. The build
runs this (cmake/packaging.cmake). Python 3 standard library only.
"""

import pathlib
import struct
import sys
import zlib

sys.dont_write_bytecode = True  # no __pycache__ in the source tree
sys.path.insert(0, str(pathlib.Path(__file__).resolve().parent.parent))
from make_windows_images import read_xpm  # noqa: E402


def png_bytes(width, height, rows):
    """Encodes rows of (r, g, b) or None (transparent) as an 8-bit RGBA PNG, no interlace and
    no time stamp."""
    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body))

    def rgba(colour):
        return bytes((0, 0, 0, 0)) if colour is None else bytes(colour) + b"\xff"

    raw = b"".join(b"\0" + b"".join(rgba(c) for c in row) for row in rows)
    return (b"\x89PNG\r\n\x1a\n"
            + chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0))
            + chunk(b"IDAT", zlib.compress(raw, 9))
            + chunk(b"IEND", b""))


def scaled(rows, width, height, size):
    """Nearest neighbour: output pixel i takes the picture pixel under its centre."""
    xs = [(2 * i + 1) * width // (2 * size) for i in range(size)]
    ys = [(2 * i + 1) * height // (2 * size) for i in range(size)]
    return [[rows[y][x] for x in xs] for y in ys]


def main(argv):
    if len(argv) not in (3, 4) or (len(argv) == 4 and not argv[3].isdigit()):
        print("usage: make_icon_png.py ICON.xpm ICON.png [SIZE]", file=sys.stderr)
        return 2
    picture = read_xpm(pathlib.Path(argv[1]))
    size = int(argv[3]) if len(argv) == 4 else picture.width
    if picture.width != picture.height or size < 1:
        print(f"{argv[1]}: not a square picture, or size {size} below 1", file=sys.stderr)
        return 1
    rows = scaled(picture.rows, picture.width, picture.height, size)
    pathlib.Path(argv[2]).write_bytes(png_bytes(size, size, rows))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
