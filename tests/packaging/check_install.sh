#!/bin/sh
# Installs the Linux build into a scratch root, as the .deb will, and checks what lands where:
# the program in bin/, and the desktop entry, metainfo, icon, man page and copyright in the
# places desktops, software centres and man look for them; then validates the tree.
#   check_install.sh CMAKE BUILD_DIR SCRATCH_DIR SOURCE_DIR
set -u
cmake=$1 build=$2 scratch=$3 src=$4
here=$(dirname "$0")
id=com.quorvanelabs.Hueclip
root=$scratch/root
rm -rf "$root"
"$cmake" --install "$build" --prefix "$root/usr" >"$scratch/install.log" 2>&1 || {
  cat "$scratch/install.log"; echo "FAIL: cmake --install"; exit 1; }

fail=0
check() { # description, test arguments...
  what=$1; shift
  if test "$@"; then echo "ok   $what"; else echo "FAIL $what"; fail=1; fi
}
u=$root/usr
check "bin/hueclip is an executable" -x "$u/bin/hueclip" -a -f "$u/bin/hueclip"
check "desktop entry" -f "$u/share/applications/$id.desktop"
check "metainfo" -f "$u/share/metainfo/$id.metainfo.xml"
check "hicolor 32x32 icon" -f "$u/share/icons/hicolor/32x32/apps/hueclip.png"
check "copyright" -f "$u/share/doc/hueclip/copyright"
if [ -f "$u/share/man/man1/hueclip.1.gz" ]; then
  man=$u/share/man/man1/hueclip.1.gz
  gzip -dc "$man" >"$scratch/hueclip.1" || fail=1
else
  man=$u/share/man/man1/hueclip.1
  cp "$man" "$scratch/hueclip.1" 2>/dev/null
fi
check "man page" -f "$man"
if [ -f "$u/share/icons/hicolor/32x32/apps/hueclip.png" ]; then
  cmp -s "$u/share/icons/hicolor/32x32/apps/hueclip.png" "$src/resources/linux/hueclip.png" ||
    { echo "FAIL installed icon differs from resources/linux/hueclip.png"; fail=1; }
fi
# Nothing else: every installed file is one of the above.
extra=$(cd "$root" && find . -type f | sort | grep -v -x -e ./usr/bin/hueclip \
  -e "./usr/share/applications/$id.desktop" -e "./usr/share/metainfo/$id.metainfo.xml" \
  -e ./usr/share/icons/hicolor/32x32/apps/hueclip.png -e ./usr/share/doc/hueclip/copyright \
  -e ./usr/share/man/man1/hueclip.1.gz -e ./usr/share/man/man1/hueclip.1)
[ -z "$extra" ] || { echo "FAIL unexpected installed files:"; echo "$extra"; fail=1; }

for v in "desktop $u/share/applications/$id.desktop" "tree $root" "man $scratch/hueclip.1"; do
  # shellcheck disable=SC2086
  sh "$here/validate.sh" $v
  rc=$?
  [ $rc -eq 0 ] || [ $rc -eq 77 ] || fail=1
done
[ $fail -eq 0 ] && echo "OK: install tree" || echo "FAIL: install tree"
exit $fail
