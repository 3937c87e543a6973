#!/bin/sh
# Installs the Linux build into a scratch root, as the .deb will, checks that exactly the
# expected files land where desktops, software centres and man look for them, the icons at the
# sizes their folders name, and runs the freedesktop validators over them (any warning fails).
#   check_install.sh CMAKE BUILD_DIR SCRATCH_DIR
set -u
cmake=$1 build=$2 scratch=$3
id=com.quorvanelabs.Hueclip
root=$scratch/root
rm -rf "$root"
"$cmake" --install "$build" --prefix "$root/usr" >"$scratch/install.log" 2>&1 || {
  cat "$scratch/install.log"; echo "FAIL: cmake --install"; exit 1; }

expected="./usr/bin/hueclip
./usr/share/applications/$id.desktop
./usr/share/doc/hueclip/changelog.gz
./usr/share/doc/hueclip/copyright
./usr/share/icons/hicolor/128x128/apps/hueclip.png
./usr/share/icons/hicolor/32x32/apps/hueclip.png
./usr/share/icons/hicolor/48x48/apps/hueclip.png
./usr/share/icons/hicolor/64x64/apps/hueclip.png
./usr/share/man/man1/hueclip.1.gz
./usr/share/metainfo/$id.metainfo.xml"
got=$(cd "$root" && find . -type f | sort)
fail=0
[ "$got" = "$expected" ] || { printf 'FAIL installed files:\n%s\n' "$got"; fail=1; }
[ -x "$root/usr/bin/hueclip" ] || { echo "FAIL bin/hueclip is not executable"; fail=1; }

u=$root/usr/share
for n in 32 48 64 128; do # width and height from the PNG header
  wh=$(od -An -tu4 --endian=big -j16 -N8 "$u/icons/hicolor/${n}x$n/apps/hueclip.png" | xargs)
  [ "$wh" = "$n $n" ] || { echo "FAIL icon in ${n}x$n is ${wh:-missing}"; fail=1; }
done
out=$(desktop-file-validate "$u/applications/$id.desktop" 2>&1) && [ -z "$out" ] ||
  { printf 'FAIL desktop entry\n%s\n' "$out"; fail=1; }
appstreamcli validate-tree --no-net "$root" || { echo "FAIL metainfo"; fail=1; }
out=$(gzip -dc "$u/man/man1/hueclip.1.gz" | groff -man -Tutf8 -ww -z 2>&1) && [ -z "$out" ] ||
  { printf 'FAIL man page\n%s\n' "$out"; fail=1; }

# Software centres and man show the release of the changelog's newest entry: its version, and
# its day as written ("Mon, 07 Dec 2026 05:10:50 +0000").
version=$(gzip -dc "$u/doc/hueclip/changelog.gz" | sed -n '1s/^hueclip (\([^)]*\)).*/\1/p')
set -- $(gzip -dc "$u/doc/hueclip/changelog.gz" | sed -n 's/^ -- .*  //p' | head -n 1)
day=$(date -d "${2-} ${3-} ${4-}" +%F)
grep -qF "<release version=\"$version\" date=\"$day\"/>" "$u/metainfo/$id.metainfo.xml" ||
  { echo "FAIL metainfo release is not $version of $day"; fail=1; }
gzip -dc "$u/man/man1/hueclip.1.gz" | grep -qF ".TH HUECLIP 1 \"$day\" \"Hueclip $version\"" ||
  { echo "FAIL man page is not of $version and $day"; fail=1; }

[ $fail -eq 0 ] && echo "OK: install tree"
exit $fail
