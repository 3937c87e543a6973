#!/usr/bin/env python3
"""Checks that the Linux desktop files say what the program is and agree with each other and
with resources/product.h: names, the icon, the desktop id the metainfo launches, the release,
the licence, and that the man page covers every key and click.

    check_linux_data.py RESOURCES_DIR
"""

import configparser
import os
import re
import sys
import xml.etree.ElementTree as ET

APP_ID = "com.quorvanelabs.Hueclip"


def product_defines(path):
    with open(path) as f:
        return dict(re.findall(r'^#define (HUECLIP_\w+) "([^"]*)"', f.read(), flags=re.M))


def main(res):
    errors = []

    def expect(what, got, want):
        if got != want:
            errors.append(f"{what}: {got!r}, expected {want!r}")

    product = product_defines(os.path.join(res, "product.h"))
    linux = os.path.join(res, "linux")

    # Desktop entry.
    desktop = configparser.ConfigParser(interpolation=None)
    desktop.optionxform = str
    desktop.read(os.path.join(linux, APP_ID + ".desktop"), encoding="utf-8")
    entry = desktop["Desktop Entry"]
    expect("desktop Type", entry.get("Type"), "Application")
    expect("desktop Name", entry.get("Name"), product["HUECLIP_NAME"])
    expect("desktop Comment", entry.get("Comment"), product["HUECLIP_DESCRIPTION"])
    expect("desktop Exec", entry.get("Exec"), "hueclip")
    expect("desktop Icon", entry.get("Icon"), "hueclip")
    if "Graphics" not in entry.get("Categories", "").split(";"):
        errors.append("desktop Categories lacks Graphics")
    if not os.path.exists(os.path.join(linux, entry.get("Icon", "") + ".png")):
        errors.append(f"no icon {entry.get('Icon')}.png beside the desktop entry")

    # AppStream metainfo.
    root = ET.parse(os.path.join(linux, APP_ID + ".metainfo.xml")).getroot()
    text = lambda path: (root.findtext(path) or "").strip()
    expect("metainfo id", text("id"), APP_ID)
    expect("metainfo name", text("name"), product["HUECLIP_NAME"])
    expect("metainfo summary", text("summary"), product["HUECLIP_DESCRIPTION"])
    expect("metainfo project_license", text("project_license"), "MIT")
    expect("metainfo developer", text("developer/name"), product["HUECLIP_AUTHOR"])
    expect("metainfo homepage", text("url[@type='homepage']"),
           f"https://{product['HUECLIP_MAKER_HOST']}/")
    expect("metainfo launchable", text("launchable[@type='desktop-id']"), APP_ID + ".desktop")
    expect("metainfo binary", text("provides/binary"), entry.get("Exec"))
    releases = [(r.get("version"), r.get("date")) for r in root.iter("release")]
    expect("metainfo releases", releases[:1], [(product["HUECLIP_VERSION_TEXT"], "2003-11-10")])
    images = [i.text.strip() for i in root.iter("image")]
    if not images or not all(i.startswith("https://") for i in images):
        errors.append(f"metainfo screenshots: {images!r}, expected https images")
    if root.find("content_rating") is None:
        errors.append("metainfo has no content_rating")

    # Man page: every key and click, and the version.
    with open(os.path.join(linux, "hueclip.1"), encoding="utf-8") as f:
        man = f.read()
    for key in "WASDFC":
        if not re.search(rf"^\.TP\s*\d*\n\.B {key}\n", man, flags=re.M):
            errors.append(f"man page has no entry for the key {key}")
    for words in ("Help/About", "Visit Quorvane Labs", "readout", "Pos: ", "Hex: ", "RGB: ",
                  "Long: ", product["HUECLIP_MAKER_HOST"]):
        if words not in man:
            errors.append(f"man page does not mention {words!r}")
    th = re.search(r'^\.TH HUECLIP 1 "[^"]*" "Hueclip ([^"]*)"', man, flags=re.M)
    expect("man page version", th and th.group(1), product["HUECLIP_VERSION_TEXT"])

    for e in errors:
        print("FAIL:", e)
    if not errors:
        print("OK: desktop entry, metainfo and man page agree")
    return 1 if errors else 0


if __name__ == "__main__":
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    sys.exit(main(sys.argv[1]))
