#!/usr/bin/env bash
# A GNOME Shell of its own for the GNOME tests: the Shell headless on Wayland
# with a virtual monitor, a session bus, and a second bus standing in for the
# system bus (the Shell will not start without one), with the extensions
# given installed for the user and enabled before the Shell starts, as a
# log-in would find them.
#   gnome-session.sh start DIR [EXTENSION_FOLDER...]
#                               starts it; DIR/env tells the tests where
#                               (WAYLAND_DISPLAY, XDG_RUNTIME_DIR,
#                               DBUS_SESSION_BUS_ADDRESS, HOME,
#                               XDG_DATA_HOME, XDG_CONFIG_HOME)
#   gnome-session.sh stop DIR   takes down what DIR/pids names, and DIR itself
# Each extension folder is named by its uuid. Only the processes started here
# are ended, by their ids.
set -euo pipefail

command=${1:?start or stop}
dir=${2:?state folder}
shift 2

source "$(dirname "$0")/session-pids.sh"

fail() {
  echo "$1" >&2
  [ -f "$dir/shell.log" ] && tail -15 "$dir/shell.log" >&2
  stop
  exit 1
}

if [ "$command" = stop ]; then
  stop
  exit 0
fi
[ "$command" = start ] || { echo "gnome-session.sh: start or stop" >&2; exit 2; }

stop
mkdir -p "$dir"
dir=$(cd "$dir" && pwd)
: >"$dir/pids"
trap 'stop' ERR

export XDG_RUNTIME_DIR="$dir/run"
mkdir -m 0700 "$XDG_RUNTIME_DIR"
export HOME="$dir/home" XDG_CONFIG_HOME="$dir/home/.config" XDG_DATA_HOME="$dir/home/.local/share"
export XDG_CACHE_HOME="$dir/home/.cache"
mkdir -p "$XDG_CONFIG_HOME" "$XDG_DATA_HOME/gnome-shell/extensions" "$XDG_CACHE_HOME"

bus() {  # bus FILE: a bus of its own at DIR/FILE; prints its address
  local started
  started=$(close_inherited; dbus-daemon --session --fork --print-address=1 --print-pid=1 \
    --address="unix:path=$dir/$1" 2>>"$dir/dbus.log") || fail "no bus"
  echo "$started" | sed -n 2p >>"$dir/pids"
  echo "$started" | sed -n 1p
}
DBUS_SESSION_BUS_ADDRESS=$(bus session-bus)
DBUS_SYSTEM_BUS_ADDRESS=$(bus system-bus)
export DBUS_SESSION_BUS_ADDRESS DBUS_SYSTEM_BUS_ADDRESS

uuids=()
for extension in "$@"; do
  cp -r "$extension" "$XDG_DATA_HOME/gnome-shell/extensions/"
  uuids+=("'$(basename "$extension")'")
done
# The settings live in a key file of the session's own: no dconf service.
export GSETTINGS_BACKEND=keyfile
joined=$(IFS=,; echo "${uuids[*]}")
gsettings set org.gnome.shell enabled-extensions "[$joined]"
# No welcome tour, no animations to wait for.
gsettings set org.gnome.shell welcome-dialog-last-shown-version '999'
gsettings set org.gnome.desktop.interface enable-animations false

export WAYLAND_DISPLAY=wayland-blindfold XDG_SESSION_TYPE=wayland XDG_CURRENT_DESKTOP=GNOME
(
  close_inherited
  exec gnome-shell --headless --wayland --no-x11 --wayland-display "$WAYLAND_DISPLAY" \
    --virtual-monitor "${BLINDFOLD_GNOME_SIZE:-1280x800}"
) >"$dir/shell.log" 2>&1 &
echo $! >>"$dir/pids"
for _ in $(seq 300); do
  grep -q "GNOME Shell started" "$dir/shell.log" 2>/dev/null && break
  kill -0 "$(tail -1 "$dir/pids")" 2>/dev/null || fail "GNOME Shell ended at its start"
  sleep 0.1
done
grep -q "GNOME Shell started" "$dir/shell.log" || fail "GNOME Shell did not start"
[ -S "$XDG_RUNTIME_DIR/$WAYLAND_DISPLAY" ] || fail "GNOME Shell did not open $WAYLAND_DISPLAY"

cat >"$dir/env" <<ENV
WAYLAND_DISPLAY=$WAYLAND_DISPLAY
XDG_RUNTIME_DIR=$XDG_RUNTIME_DIR
DBUS_SESSION_BUS_ADDRESS=$DBUS_SESSION_BUS_ADDRESS
HOME=$HOME
XDG_CONFIG_HOME=$XDG_CONFIG_HOME
XDG_DATA_HOME=$XDG_DATA_HOME
GSETTINGS_BACKEND=keyfile
ENV
trap - ERR
