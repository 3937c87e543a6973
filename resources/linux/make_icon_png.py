#!/usr/bin/env python3
"""Turns Hueclip's icon picture (an XPM) into the PNG that the Linux desktop shows.

    make_icon_png.py resources/hueclip.xpm resources/linux/hueclip.png

The XPM is the one source of the icon for both platforms, and it is read with the same code
that makes the Windows .ico from it (resources/make_windows_images.py). Transparent pixels
("None") stay transparent. The output is byte-for-byte the same for the same input, so the
committed PNG can be checked against a fresh one. Python 3 standard library only.
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


def main(argv):
    if len(argv) != 3:
        print("usage: make_icon_png.py ICON.xpm ICON.png", file=sys.stderr)
        return 2
    picture = read_xpm(pathlib.Path(argv[1]))
    pathlib.Path(argv[2]).write_bytes(png_bytes(picture.width, picture.height, picture.rows))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
