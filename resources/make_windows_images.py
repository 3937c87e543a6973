#!/usr/bin/env python3
"""Makes the Windows icon and cursor from the program's XPM pictures.

hueclip.xpm -> hueclip.ico: one 32 x 32 image, 24 bits per pixel with a 1-bit AND mask.
hand.xpm    -> hand.cur:    one 32 x 32 image, 16 colours, hot spot from the XPM header.

Run from anywhere; writes next to this script. Standard library only; the output depends on
the pictures alone, so running it twice gives the same bytes.
"""

import pathlib
import re
import struct
import sys

HERE = pathlib.Path(__file__).resolve().parent

# The standard 16-colour palette (as in the VGA and the Windows 16-colour system palette).
PALETTE16 = [
    (0x00, 0x00, 0x00), (0x80, 0x00, 0x00), (0x00, 0x80, 0x00), (0x80, 0x80, 0x00),
    (0x00, 0x00, 0x80), (0x80, 0x00, 0x80), (0x00, 0x80, 0x80), (0xC0, 0xC0, 0xC0),
    (0x80, 0x80, 0x80), (0xFF, 0x00, 0x00), (0x00, 0xFF, 0x00), (0xFF, 0xFF, 0x00),
    (0x00, 0x00, 0xFF), (0xFF, 0x00, 0xFF), (0x00, 0xFF, 0xFF), (0xFF, 0xFF, 0xFF),
]


class Picture:
    """An XPM picture: rows of (r, g, b) or None for a transparent pixel, and the hot spot."""

    def __init__(self, width, height, rows, hotspot):
        self.width, self.height, self.rows, self.hotspot = width, height, rows, hotspot


def read_xpm(path):
    text = path.read_text(encoding="ascii")
    text = re.sub(r"/\*.*?\*/", "", text, flags=re.S)  # comments may hold quotes
    strings = re.findall(r'"((?:[^"\\]|\\.)*)"', text)
    if not strings:
        sys.exit(f"{path}: no XPM strings")
    header = strings[0].split()
    width, height, ncolours, cpp = (int(v) for v in header[:4])
    hotspot = (int(header[4]), int(header[5])) if len(header) >= 6 else None
    colours = {}
    for line in strings[1:1 + ncolours]:
        key, colour_def = line[:cpp], line[cpp:].split()
        try:
            value = colour_def[colour_def.index("c") + 1]
        except (ValueError, IndexError):
            sys.exit(f"{path}: colour line without a 'c' colour: {line!r}")
        if value.lower() == "none":
            colours[key] = None
        elif re.fullmatch(r"#[0-9A-Fa-f]{6}", value):
            colours[key] = tuple(int(value[i:i + 2], 16) for i in (1, 3, 5))
        else:
            sys.exit(f"{path}: colour {value!r} is neither None nor #RRGGBB")
    pixel_rows = strings[1 + ncolours:1 + ncolours + height]
    if len(pixel_rows) != height:
        sys.exit(f"{path}: {len(pixel_rows)} pixel rows, expected {height}")
    rows = []
    for y, line in enumerate(pixel_rows):
        if len(line) != width * cpp:
            sys.exit(f"{path}: row {y} has {len(line)} characters, expected {width * cpp}")
        try:
            rows.append([colours[line[x * cpp:(x + 1) * cpp]] for x in range(width)])
        except KeyError as e:
            sys.exit(f"{path}: row {y} uses the undefined colour {e}")
    return Picture(width, height, rows, hotspot)


def and_mask(pic):
    """The 1-bit AND mask, bottom-up, rows padded to 32 bits; 1 marks a transparent pixel."""
    stride = (pic.width + 31) // 32 * 4
    out = bytearray()
    for row in reversed(pic.rows):
        line = bytearray(stride)
        for x, colour in enumerate(row):
            if colour is None:
                line[x // 8] |= 0x80 >> (x % 8)
        out += line
    return bytes(out)


def info_header(pic, bits, image_bytes):
    # The height counts the XOR image and the AND mask together.
    return struct.pack("<IiiHHIIiiII", 40, pic.width, pic.height * 2, 1, bits, 0, image_bytes,
                       0, 0, 0, 0)


def ico_image(pic):
    """BITMAPINFOHEADER, 24-bit XOR image (BGR, bottom-up), AND mask."""
    stride = (pic.width * 3 + 3) // 4 * 4
    xor = bytearray()
    for row in reversed(pic.rows):
        line = bytearray()
        for colour in row:
            r, g, b = colour if colour is not None else (0, 0, 0)
            line += bytes((b, g, r))
        xor += line + bytes(stride - len(line))
    mask = and_mask(pic)
    return info_header(pic, 24, len(xor) + len(mask)) + bytes(xor) + mask


def nearest16(colour, path):
    if colour in PALETTE16:
        return PALETTE16.index(colour)
    best = min(range(16), key=lambda i: sum((a - b) ** 2 for a, b in zip(PALETTE16[i], colour)))
    print(f"{path.name}: #{bytes(colour).hex().upper()} is not one of the 16 colours; "
          f"using #{bytes(PALETTE16[best]).hex().upper()}", file=sys.stderr)
    return best


def cur_image(pic, path):
    """BITMAPINFOHEADER, 16-colour palette, 4-bit XOR image (bottom-up), AND mask."""
    stride = (pic.width * 4 + 31) // 32 * 4
    xor = bytearray()
    for row in reversed(pic.rows):
        line = bytearray(stride)
        for x, colour in enumerate(row):
            index = 0 if colour is None else nearest16(colour, path)
            line[x // 2] |= index << (0 if x % 2 else 4)
        xor += line
    mask = and_mask(pic)
    palette = b"".join(bytes((b, g, r, 0)) for r, g, b in PALETTE16)
    return info_header(pic, 4, len(xor) + len(mask)) + palette + bytes(xor) + mask


def directory(kind, pic, colours, field1, field2, image):
    # ICONDIR then one ICONDIRENTRY; for a cursor the planes and bit count fields hold the
    # hot spot.
    return (struct.pack("<HHH", 0, kind, 1) +
            struct.pack("<BBBBHHII", pic.width % 256, pic.height % 256, colours, 0, field1,
                        field2, len(image), 6 + 16) + image)


def main():
    icon = read_xpm(HERE / "hueclip.xpm")
    if (icon.width, icon.height) != (32, 32):
        sys.exit("hueclip.xpm: the icon must be 32 x 32")
    ico = directory(1, icon, 0, 1, 24, ico_image(icon))
    (HERE / "hueclip.ico").write_bytes(ico)

    hand_path = HERE / "hand.xpm"
    hand = read_xpm(hand_path)
    if (hand.width, hand.height) != (32, 32):
        sys.exit("hand.xpm: the cursor must be 32 x 32")
    if hand.hotspot is None:
        sys.exit("hand.xpm: the header gives no hot spot")
    cur = directory(2, hand, 16, hand.hotspot[0], hand.hotspot[1], cur_image(hand, hand_path))
    (HERE / "hand.cur").write_bytes(cur)
    print(f"hueclip.ico: {len(ico)} bytes; hand.cur: {len(cur)} bytes, hot spot {hand.hotspot}")


if __name__ == "__main__":
    main()
