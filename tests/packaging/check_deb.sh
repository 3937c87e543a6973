#!/bin/sh
# Builds the .deb from the Linux build, as scripts/package does, into a scratch folder and runs
# lintian over it: any error fails (lintian's own exit status), and all it says is shown; and
# checks that it recommends the URL opener.
#   check_deb.sh CPACK BUILD_DIR SCRATCH_DIR
set -u
cpack=$1 build=$2 out=$3/deb
rm -rf "$out"
"$cpack" --config "$build/CPackConfig.cmake" -B "$out" >"$3/cpack.log" 2>&1 || {
  cat "$3/cpack.log"; echo "FAIL: cpack"; exit 1; }
lintian --info "$out"/hueclip_*.deb || { echo "FAIL: lintian reports errors"; exit 1; }
# The link to the maker's page needs xdg-open on most desktops.
dpkg-deb -f "$out"/hueclip_*.deb Recommends | grep -qw xdg-utils ||
  { echo "FAIL: xdg-utils is not recommended"; exit 1; }
echo "OK: lintian reports no errors, xdg-utils is recommended"
