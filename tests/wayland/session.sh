#!/usr/bin/env bash
# Runs a command inside a private, headless GNOME Wayland session and tears the session down
# afterwards, whatever happens:
#
#   tests/wayland/session.sh [--keep] [--monitors N] [--] COMMAND [ARG...]
#
# The session is a private D-Bus session bus, PipeWire and WirePlumber, mutter as a headless
# Wayland compositor with one 640x480 virtual monitor (--monitors: N of them, side by side, the
# first one primary) and Xwayland, and xdg-desktop-portal with
# its GNOME backend. COMMAND runs with DBUS_SESSION_BUS_ADDRESS, XDG_RUNTIME_DIR, WAYLAND_DISPLAY,
# DISPLAY (Xwayland), XDG_CURRENT_DESKTOP=GNOME and XDG_SESSION_TYPE=wayland set, and with the
# XDG_*_HOME directories in a fresh directory (HUECLIP_SESSION_DIR), so that nothing of the
# user's own settings, portal permissions or stored tokens takes part. HUECLIP_MUTTER_PID and
# HUECLIP_PIPEWIRE_PID name the servers whose cost the benchmark measures, and
# HUECLIP_WIREPLUMBER_PID the session manager, which a test restarts with PipeWire. --keep leaves that
# directory (with the logs of every server) behind. The exit status is COMMAND's.
set -euo pipefail

keep=0
monitors=1
while [ $# -gt 0 ]; do
  case "$1" in
    --keep) keep=1; shift ;;
    --monitors) monitors=$2; shift 2 ;;
    --) shift; break ;;
    *) break ;;
  esac
done
[ $# -gt 0 ] || { echo "usage: $0 [--keep] [--monitors N] [--] COMMAND [ARG...]" >&2; exit 2; }

for tool in dbus-daemon dbus-send dbus-update-activation-environment pipewire wireplumber \
            mutter Xwayland setpriv /usr/libexec/xdg-desktop-portal \
            /usr/libexec/xdg-desktop-portal-gnome; do
  command -v "$tool" >/dev/null || { echo "session: $tool is missing (scripts/install-deps)" >&2; exit 1; }
done

dir=$(mktemp -d /tmp/hueclip-wl-XXXXXX)
pids=()
cleanup() {
  local status=$?
  # Newest first, one after the other: the portals before the compositor, the compositor before
  # the bus.
  for ((i = ${#pids[@]} - 1; i >= 0; i--)); do
    kill "${pids[i]}" 2>/dev/null || true
    for _ in $(seq 20); do kill -0 "${pids[i]}" 2>/dev/null || break; sleep 0.1; done
    kill -9 "${pids[i]}" 2>/dev/null || true
    wait "${pids[i]}" 2>/dev/null || true
  done
  if [ "$keep" = 1 ]; then echo "session: logs kept in $dir" >&2; else rm -rf "$dir"; fi
  exit "$status"
}
trap cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM

fail() {
  echo "session: $*" >&2
  for log in "$dir"/*.log; do [ -s "$log" ] && { echo "--- $log" >&2; tail -n 20 "$log" >&2; }; done
  exit 1
}

# Waits up to a minute (servers start slowly on a busy machine) for a condition (a command) to hold.
wait_for() {
  for _ in $(seq 600); do "$@" && return 0; sleep 0.1; done
  return 1
}

# Every server dies with this script, even when it is killed outright (setpriv --pdeathsig).
start() {
  local log=$1
  shift
  setpriv --pdeathsig KILL "$@" >"$dir/$log.log" 2>&1 &
  pids+=($!)
}

export XDG_RUNTIME_DIR=$dir/runtime
mkdir -m 0700 "$XDG_RUNTIME_DIR"
export XDG_CONFIG_HOME=$dir/config XDG_DATA_HOME=$dir/data XDG_CACHE_HOME=$dir/cache \
       XDG_STATE_HOME=$dir/state
mkdir -p "$XDG_CONFIG_HOME" "$XDG_DATA_HOME" "$XDG_CACHE_HOME" "$XDG_STATE_HOME"
export XDG_CURRENT_DESKTOP=GNOME XDG_SESSION_TYPE=wayland XDG_SESSION_DESKTOP=gnome
export GSETTINGS_BACKEND=memory NO_AT_BRIDGE=1 GTK_A11Y=none HUECLIP_SESSION_DIR=$dir
unset DISPLAY WAYLAND_DISPLAY XAUTHORITY DBUS_SESSION_BUS_ADDRESS

export DBUS_SESSION_BUS_ADDRESS=unix:path=$XDG_RUNTIME_DIR/bus
start dbus dbus-daemon --session --nofork --nopidfile --address="$DBUS_SESSION_BUS_ADDRESS"
wait_for test -S "$XDG_RUNTIME_DIR/bus" || fail "the session bus did not start"

start pipewire pipewire
export HUECLIP_PIPEWIRE_PID=$!
wait_for test -S "$XDG_RUNTIME_DIR/pipewire-0" || fail "pipewire did not start"
start wireplumber wireplumber
export HUECLIP_WIREPLUMBER_PID=$!

# mutter starts the command after its command line once Wayland and Xwayland are up, with
# DISPLAY and XAUTHORITY (Xwayland's) set: that command records them and then waits for the
# session's end.
export WAYLAND_DISPLAY=hueclip-wl-$$
virtual_monitors=()
for _ in $(seq "$monitors"); do virtual_monitors+=(--virtual-monitor 640x480); done
start mutter mutter --headless --wayland --wayland-display="$WAYLAND_DISPLAY" \
  "${virtual_monitors[@]}" -- \
  sh -c 'printf "%s\n" "$DISPLAY" "$XAUTHORITY" >"$0.tmp" && mv "$0.tmp" "$0" &&
         exec setpriv --pdeathsig KILL sleep infinity' "$dir/display"
export HUECLIP_MUTTER_PID=$!
wait_for test -s "$dir/display" || fail "mutter did not start"
{ read -r DISPLAY; read -r XAUTHORITY; } <"$dir/display"
export DISPLAY XAUTHORITY
dbus-update-activation-environment DISPLAY XAUTHORITY WAYLAND_DISPLAY XDG_CURRENT_DESKTOP \
  XDG_SESSION_TYPE >/dev/null 2>&1 || fail "cannot pass the display to the session bus"

start portal-gnome /usr/libexec/xdg-desktop-portal-gnome
start portal /usr/libexec/xdg-desktop-portal
# Asked only once the portal has its name: a call before that would make the bus start a
# second one.
portal_named() {
  dbus-send --session --print-reply=literal --dest=org.freedesktop.DBus /org/freedesktop/DBus \
    org.freedesktop.DBus.NameHasOwner string:org.freedesktop.portal.Desktop | grep -q true
}
wait_for portal_named || fail "xdg-desktop-portal did not start"
screencast_version() {
  dbus-send --session --print-reply=literal --dest=org.freedesktop.portal.Desktop \
    /org/freedesktop/portal/desktop org.freedesktop.DBus.Properties.Get \
    string:org.freedesktop.portal.ScreenCast string:version 2>/dev/null | grep -q uint32
}
wait_for screencast_version || fail "the portal offers no ScreenCast interface"

# The command too ends with this script, should the script be killed outright.
setpriv --pdeathsig KILL "$@"
