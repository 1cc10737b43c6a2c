#!/usr/bin/env bash
# A sway desktop of its own for the Wayland tests: sway on its headless
# backend, with a session bus and a PulseAudio server with a null sink.
#   sway-session.sh start DIR   starts it all; DIR/env tells the tests where
#                               (WAYLAND_DISPLAY, SWAYSOCK, XDG_RUNTIME_DIR,
#                               DBUS_SESSION_BUS_ADDRESS, PULSE_SERVER)
#   sway-session.sh stop DIR    takes down what DIR/pids names, and DIR itself
# sway will not start as root: run by root, sway runs as the user
# "blindfold-test", made here when the machine lacks one. Root reaches its
# sockets all the same; the session bus and the sound server are the
# caller's, as the programs under test are.
set -euo pipefail

command=${1:?start or stop}
dir=${2:?state folder}

source "$(dirname "$0")/session-pids.sh"

fail() {
  echo "$1" >&2
  for log in "$dir"/*.log; do
    [ -f "$log" ] || continue
    echo "--- $(basename "$log")" >&2
    tail -5 "$log" >&2
  done
  stop
  exit 1
}

if [ "$command" = stop ]; then
  stop
  exit 0
fi
[ "$command" = start ] || { echo "sway-session.sh: start or stop" >&2; exit 2; }

stop
mkdir -p "$dir"
dir=$(cd "$dir" && pwd)
runtime="$dir/runtime"
mkdir -p "$runtime" "$dir/home/.config/sway"
chmod 700 "$runtime"
: >"$dir/pids"

as_user=()
if [ "$(id -u)" -eq 0 ]; then
  user=blindfold-test
  id "$user" >/dev/null 2>&1 || useradd --system --no-create-home --shell /usr/sbin/nologin "$user"
  chown -R "$user" "$dir"
  chmod 755 "$dir"
  as_user=(setpriv --reuid="$user" --regid="$(id -g "$user")" --clear-groups --)
fi

# No bar and no wallpaper: nothing but the windows under test. The keys the
# tests press come through sway's own commands.
cat >"$dir/home/.config/sway/config" <<'CONFIG'
output HEADLESS-1 mode 1280x1024
default_border normal
focus_on_window_activation focus
CONFIG
[ "$(id -u)" -eq 0 ] && chown -R blindfold-test "$dir/home"


bus=$(
  close_inherited
  HOME="$dir/home" XDG_RUNTIME_DIR="$runtime" dbus-daemon --session --fork --print-address=1 --print-pid=1 --address="unix:path=$runtime/bus" 2>>"$dir/dbus.log"
) || fail "no session bus"
echo "$bus" | sed -n 2p >>"$dir/pids"
bus_address=$(echo "$bus" | sed -n 1p)

(
  close_inherited
  exec "${as_user[@]}" env -i PATH="$PATH" HOME="$dir/home" XDG_RUNTIME_DIR="$runtime" \
    XDG_CONFIG_HOME="$dir/home/.config" DBUS_SESSION_BUS_ADDRESS="$bus_address" \
    WLR_BACKENDS=headless WLR_LIBINPUT_NO_DEVICES=1 WLR_RENDERER=pixman \
    sway --config "$dir/home/.config/sway/config"
) >>"$dir/sway.log" 2>&1 &
echo $! >>"$dir/pids"

socket=""
for _ in $(seq 100); do
  socket=$(ls "$runtime"/sway-ipc.*.sock 2>/dev/null | head -1 || true)
  [ -n "$socket" ] && [ -S "$runtime/wayland-1" ] && break
  sleep 0.1
done
[ -n "$socket" ] || fail "sway did not start"

# The sound server wants a home of its own user's.
mkdir -p "$dir/pulse" "$dir/sound"
(
  close_inherited
  HOME="$dir/sound" XDG_CONFIG_HOME="$dir/sound/.config" PULSE_RUNTIME_PATH="$dir/pulse" exec \
    pulseaudio --daemonize=no --exit-idle-time=-1 -n --load=module-null-sink \
    --load=module-native-protocol-unix --log-target=stderr
) >>"$dir/pulse.log" 2>&1 &
echo $! >>"$dir/pids"
for _ in $(seq 100); do
  [ -S "$dir/pulse/native" ] && break
  sleep 0.1
done

cat >"$dir/env" <<ENV
XDG_SESSION_TYPE=wayland
XDG_CURRENT_DESKTOP=sway
WAYLAND_DISPLAY=wayland-1
SWAYSOCK=$socket
XDG_RUNTIME_DIR=$runtime
DBUS_SESSION_BUS_ADDRESS=$bus_address
PULSE_SERVER=unix:$dir/pulse/native
HOME=$dir/home
ENV
