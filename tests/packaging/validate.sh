#!/bin/sh
# Runs one of the freedesktop validators on a file or an install tree.
#   validate.sh desktop FILE.desktop   desktop-file-validate; any warning or hint fails too
#   validate.sh metainfo FILE.xml      appstreamcli validate --no-net (infos are allowed)
#   validate.sh tree ROOT              appstreamcli validate-tree --no-net: the metainfo in
#                                      ROOT/usr/share/metainfo with its desktop entry beside it
#   validate.sh man FILE.1             groff with all warnings on; any warning fails
# Exits 77 (skipped) when the tool is not installed; scripts/install-deps installs them all.
set -u
kind=$1 file=$2
case $kind in
  desktop) tool=desktop-file-validate ;;
  metainfo|tree) tool=appstreamcli ;;
  man) tool=groff ;;
  *) echo "unknown kind $kind" >&2; exit 2 ;;
esac
if ! command -v "$tool" >/dev/null 2>&1; then
  echo "SKIP: $tool is not installed"
  exit 77
fi
[ -e "$file" ] || { echo "FAIL: $file does not exist"; exit 1; }

case $kind in
  desktop)
    out=$(desktop-file-validate "$file" 2>&1); rc=$?
    [ -n "$out" ] && printf '%s\n' "$out"
    [ $rc -eq 0 ] && [ -z "$out" ] ;;
  metainfo)
    appstreamcli validate --no-net "$file" ;;
  tree)
    appstreamcli validate-tree --no-net "$file" ;;
  man)
    out=$(groff -man -Tutf8 -ww -z "$file" 2>&1); rc=$?
    [ -n "$out" ] && printf '%s\n' "$out"
    [ $rc -eq 0 ] && [ -z "$out" ] ;;
esac
rc=$?
[ $rc -eq 0 ] && echo "OK: $kind $file" || echo "FAIL: $kind $file"
exit $rc
