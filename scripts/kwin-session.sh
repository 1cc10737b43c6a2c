#!/usr/bin/env bash
# A Plasma Wayland compositor of its own for the KWin tests: KWin on a virtual
# screen, drawn by Mesa's software renderer, on a session bus of its own.
#   kwin-session.sh start DIR   starts it; DIR/env tells the tests where
#                               (WAYLAND_DISPLAY, XDG_RUNTIME_DIR,
#                               DBUS_SESSION_BUS_ADDRESS)
#   kwin-session.sh stop DIR    takes down what DIR/pids names, and DIR itself
# Only the processes started here are ended, by their ids.
set -euo pipefail

command=${1:?start or stop}
dir=${2:?state folder}

source "$(dirname "$0")/session-pids.sh"

fail() {
  echo "$1" >&2
  [ -f "$dir/kwin.log" ] && tail -5 "$dir/kwin.log" >&2
  stop
  exit 1
}

if [ "$command" = stop ]; then
  stop
  exit 0
fi

stop
mkdir -p "$dir"
dir=$(cd "$dir" && pwd)
: >"$dir/pids"
trap 'stop' ERR

# Wayland wants its runtime folder to be the user's alone.
export XDG_RUNTIME_DIR="$dir/run"
mkdir -m 0700 "$XDG_RUNTIME_DIR"
export HOME="$dir/home" XDG_CONFIG_HOME="$dir/home/.config"
mkdir -p "$XDG_CONFIG_HOME"

eval "$(dbus-daemon --session --fork --print-address=1 --print-pid=1 | {
  read -r address && read -r pid && echo "export DBUS_SESSION_BUS_ADDRESS='$address' dbus_pid=$pid"
})"
echo "$dbus_pid" >>"$dir/pids"

# The package gives kwin_wayland a file capability (CAP_SYS_RESOURCE), which a
# container refuses to execute; a copy has none. The copy keeps the name: KWin
# loads its own Qt platform plugin only into a program called kwin_wayland.
mkdir -p "$dir/bin"
cp "$(command -v kwin_wayland)" "$dir/bin/kwin_wayland"

# Global shortcuts stay on (kglobalaccel runs inside KWin): the tests press
# them through its D-Bus interface.
export WAYLAND_DISPLAY=wayland-blindfold
"$dir/bin/kwin_wayland" --virtual --width "${BLINDFOLD_KWIN_WIDTH:-1280}" --height "${BLINDFOLD_KWIN_HEIGHT:-1024}" \
  --no-lockscreen --no-kactivities --socket "$WAYLAND_DISPLAY" >"$dir/kwin.log" 2>&1 &
echo $! >>"$dir/pids"
for _ in $(seq 100); do
  dbus-send --session --print-reply --dest=org.kde.KWin /Scripting org.kde.kwin.Scripting.isScriptLoaded string:none >/dev/null 2>&1 && break
  sleep 0.1
done
dbus-send --session --print-reply --dest=org.kde.KWin /Scripting org.kde.kwin.Scripting.isScriptLoaded string:none >/dev/null 2>&1 ||
  fail "KWin did not start"
[ -S "$XDG_RUNTIME_DIR/$WAYLAND_DISPLAY" ] || fail "KWin did not open $WAYLAND_DISPLAY"

cat >"$dir/env" <<ENV
WAYLAND_DISPLAY=$WAYLAND_DISPLAY
XDG_RUNTIME_DIR=$XDG_RUNTIME_DIR
DBUS_SESSION_BUS_ADDRESS=$DBUS_SESSION_BUS_ADDRESS
ENV
trap - ERR
