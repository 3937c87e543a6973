#!/bin/sh
# The committed Linux icon is what make_icon_png.py makes from the XPM today, so the picture the
# desktop shows cannot drift from the Windows icon's one source.
#   check_icon.sh PYTHON MAKE_ICON_PNG.py ICON.xpm ICON.png SCRATCH_DIR
set -eu
"$1" "$2" "$3" "$5/fresh.png"
cmp "$5/fresh.png" "$4" && echo "OK: icon matches its XPM"
