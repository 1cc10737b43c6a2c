#!/usr/bin/env bash
# A desktop of its own for the X11 tests: a virtual X server, openbox as the
# window manager, tint2 as a real panel (its dock window and tray) and a
# PulseAudio server with a null sink.
#   x11-session.sh start DIR [DESKTOP]  starts it all (on a screen of
#                                    1280x1024, or BLINDFOLD_SCREEN's WxHxDEPTH);
#                                    DIR/env tells the tests
#                                    where. DESKTOP picks the window manager
#                                    and its bar: openbox (openbox and tint2,
#                                    the default), icewm or fluxbox (each with
#                                    the bar it draws itself), i3 (its
#                                    own bar), or xfce (xfwm4
#                                    and xfce4-panel); each on a session bus of its own
#   x11-session.sh stop DIR    takes down what DIR/pids names, and DIR itself
#   x11-session.sh restart-tray DIR [SIGNAL]  ends the panel (SIGTERM unless
#                                    told; KILL as in a crash) and starts
#                                    another, as a desktop does
#   x11-session.sh stop-sound DIR SIGNAL  signals the sound server (STOP
#                                    hangs it, CONT wakes it)
#   x11-session.sh restart-sound DIR  ends the sound server and starts another
# Only the processes started here are ended, by their ids.
set -euo pipefail

command=${1:?start or stop}
dir=${2:?state folder}

source "$(dirname "$0")/session-pids.sh"

# Says what did not come up, with the last words of each program, and takes
# down what did.
fail() {
  echo "$1" >&2
  for log in "$dir"/*.log; do
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

# The sound server is the fourth program started; a new one takes its line.
start_sound() {
  export PULSE_RUNTIME_PATH="$dir/pulse"
  mkdir -p "$PULSE_RUNTIME_PATH"
  (
    for fd in /proc/self/fd/*; do
      fd=${fd##*/}
      if [ "$fd" -gt 2 ] && [ "$fd" -ne 255 ]; then eval "exec $fd>&-" 2>/dev/null || true; fi
    done
    HOME="$dir/home" XDG_CONFIG_HOME="$dir/home/.config" exec pulseaudio --daemonize=no --exit-idle-time=-1 -n --load=module-null-sink \
      --load=module-native-protocol-unix --log-target=stderr
  ) >>"$dir/pulse.log" 2>&1 &
  sound=$!
  for _ in $(seq 100); do
    [ -S "$PULSE_RUNTIME_PATH/native" ] && break
    sleep 0.1
  done
}
if [ "$command" = stop-sound ]; then
  kill -s "${3:?signal}" "$(sed -n 4p "$dir/pids")"
  exit 0
fi
if [ "$command" = restart-sound ]; then
  old=$(sed -n 4p "$dir/pids")
  kill -CONT "$old" 2>/dev/null || true
  kill "$old" 2>/dev/null || true
  for _ in $(seq 50); do
    kill -0 "$old" 2>/dev/null || break
    sleep 0.1
  done
  kill -9 "$old" 2>/dev/null || true
  rm -f "$dir/pulse/native"
  start_sound
  sed -i "4s/.*/$sound/" "$dir/pids"
  exit 0
fi

# The panel is the third program started, after the X server and the window
# manager; its successor takes its line in DIR/pids, so that stop ends the one
# running.
if [ "$command" = restart-tray ]; then
  set -a
  source "$dir/env"
  set +a
  old=$(sed -n 3p "$dir/pids")
  kill -s "${3:-TERM}" "$old"
  for _ in $(seq 50); do
    kill -0 "$old" 2>/dev/null || break
    sleep 0.1
  done
  # The new panel keeps none of the caller's open files: a test's pipe to
  # another program would otherwise never close.
  (
    for fd in /proc/self/fd/*; do
      fd=${fd##*/}
      if [ "$fd" -gt 2 ] && [ "$fd" -ne 255 ]; then eval "exec $fd>&-" 2>/dev/null || true; fi
    done
    HOME="$dir/home" XDG_CONFIG_HOME="$dir/home/.config" exec tint2
  ) >>"$dir/tint2.log" 2>&1 &
  sed -i "3s/.*/$!/" "$dir/pids"
  exit 0
fi

stop
mkdir -p "$dir"
dir=$(cd "$dir" && pwd)
: >"$dir/pids"
trap 'stop' ERR

# A display number nobody else uses, above those a desktop usually takes.
number=77
while [ -e "/tmp/.X$number-lock" ] || [ -e "/tmp/.X11-unix/X$number" ]; do number=$((number + 1)); done
export DISPLAY=":$number"

# -noreset: an X server resets when its last client leaves, and refuses
# connections meanwhile; the probe below would leave it so just as openbox comes.
Xvfb "$DISPLAY" -screen 0 "${BLINDFOLD_SCREEN:-1280x1024x24}" -nolisten tcp -noreset >"$dir/xvfb.log" 2>&1 &
echo $! >>"$dir/pids"
for _ in $(seq 100); do
  xdpyinfo >/dev/null 2>&1 && break
  sleep 0.1
done
xdpyinfo >/dev/null 2>&1 || fail "Xvfb did not start on $DISPLAY"

export HOME="$dir/home" XDG_CONFIG_HOME="$dir/home/.config"
mkdir -p "$XDG_CONFIG_HOME"
desktop=${3:-openbox}
# A session bus, as every desktop session has: xfwm4 and its panel keep their
# settings behind it, and Blindfold takes its commands on it.
eval "$(dbus-daemon --session --fork --print-address=1 --print-pid=1 | {
  read -r address && read -r pid && echo "export DBUS_SESSION_BUS_ADDRESS='$address' dbus_pid=$pid"
})"
case "$desktop" in
  openbox) openbox --sm-disable >"$dir/wm.log" 2>&1 & ;;
  icewm) icewm >"$dir/wm.log" 2>&1 & ;;
  fluxbox) fluxbox >"$dir/wm.log" 2>&1 & ;;
  i3)
    printf 'default_border normal\nfocus_on_window_activation focus\n' >"$dir/i3.config"
    i3 -c "$dir/i3.config" >"$dir/wm.log" 2>&1 &
    ;;
  xfce)
    xfwm4 --compositor=off >"$dir/wm.log" 2>&1 &
    ;;
  *) fail "no such desktop: $desktop" ;;
esac
echo $! >>"$dir/pids"
for _ in $(seq 100); do
  xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && break
  sleep 0.1
done
xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' || fail "$desktop did not start on $DISPLAY"

# The bar: a program of its own, or the window manager's (whose line stands in
# its place, so that the lines below keep their places).
case "$desktop" in
  openbox) tint2 >"$dir/tint2.log" 2>&1 & ;;
  xfce) xfce4-panel >"$dir/panel.log" 2>&1 & ;;
  *) sleep infinity & ;;
esac
echo $! >>"$dir/pids"
if [ "$desktop" = openbox ] || [ "$desktop" = xfce ]; then
  # The panel maps itself again once its tray has started; the tests begin
  # when it has stayed with the window manager for a second.
  steady=0
  for _ in $(seq 150); do
    if xprop -root _NET_CLIENT_LIST 2>/dev/null | grep -q 'window id'; then steady=$((steady + 1)); else steady=0; fi
    [ $steady -ge 10 ] && break
    sleep 0.1
  done
  [ $steady -ge 10 ] || fail "the panel did not settle on $DISPLAY"
else
  sleep 1
fi

start_sound
echo "$sound" >>"$dir/pids"
# After the lines the commands above find by number.
[ -z "${dbus_pid:-}" ] || echo "$dbus_pid" >>"$dir/pids"

cat >"$dir/env" <<ENV
DISPLAY=$DISPLAY
PULSE_SERVER=unix:$PULSE_RUNTIME_PATH/native
BLINDFOLD_DESKTOP=$desktop
ENV
[ -z "${DBUS_SESSION_BUS_ADDRESS:-}" ] || echo "DBUS_SESSION_BUS_ADDRESS=$DBUS_SESSION_BUS_ADDRESS" >>"$dir/env"
# i3 tells its own programs where its IPC listens.
[ "$desktop" != i3 ] || echo "I3SOCK=$(i3 --get-socketpath)" >>"$dir/env"
trap - ERR
