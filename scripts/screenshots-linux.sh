#!/usr/bin/env bash
# Takes the pictures of the Linux panel's five pages, on a desktop of its own
# (scripts/x11-session.sh), with two windows open, one of them marked, and the
# tray icon shown:
#   screenshots-linux.sh                 docs/linux-panel-<page>.png, under
#                                        openbox, as the README shows them
#   screenshots-linux.sh DIR [DESKTOP] [LOOK]  into DIR, under openbox, icewm,
#                                        fluxbox or xfce; LOOK is plain, scale2
#                                        (GDK_SCALE=2), large (text at 144 dpi,
#                                        as a desktop's text scaling of 150 %
#                                        sets it) or dark (Adwaita dark), to
#                                        look at the layout in each
#                                        (and the whole screen, DIR/<desktop>-
#                                        <look>-screen.png); BLINDFOLD_SCREEN
#                                        sets the screen's size
# Controls are found through AT-SPI, as the end-to-end run finds them.
set -euo pipefail
cd "$(dirname "$0")/.."
out=${1:-docs}
desktop=${2:-openbox}
look=${3:-plain}
cmake --build --preset linux --target Blindfold x11_test_windows >/dev/null
mkdir -p "$out"
out=$(cd "$out" && pwd)
work=$(mktemp -d)
session=$work/session
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  scripts/x11-session.sh stop "$session"
  rm -rf "$work"
}
trap cleanup EXIT
# Room for the panel at twice the size, unless BLINDFOLD_SCREEN asks for a
# screen of its own (1280x1024x24, to see the panel fit a small one).
[ "$look" != scale2 ] || export BLINDFOLD_SCREEN=${BLINDFOLD_SCREEN:-2560x1600x24}
scripts/x11-session.sh start "$session" "$desktop"
set -a
source "$session/env"
set +a
export HOME="$work/home" XDG_CONFIG_HOME="$work/home/.config" XDG_CONFIG_DIRS="$work/etc" XDG_RUNTIME_DIR="$work/run"
mkdir -p "$XDG_CONFIG_HOME" "$XDG_CONFIG_DIRS" && mkdir -m 700 "$XDG_RUNTIME_DIR"
case "$look" in
  plain) ;;
  scale2) export GDK_SCALE=2 ;;
  large) export GDK_DPI_SCALE=1.5 ;;
  dark) export GTK_THEME=Adwaita:dark ;;
  *) echo "no such look: $look" >&2; exit 1 ;;
esac
{
  read -r DBUS_SESSION_BUS_ADDRESS
  read -r bus_pid
} < <(dbus-daemon --session --fork --print-address=1 --print-pid=1)
export DBUS_SESSION_BUS_ADDRESS
pids+=("$bus_pid")
config=$XDG_CONFIG_HOME
[ "$(id -u)" -eq 0 ] && config=$XDG_CONFIG_DIRS
mkdir -p "$config/blindfold"
printf '[Software/Blindfold/ShortcutKeys]\nDisplayIcon=1\nStartHidden=0\nTrayIconTip=Blindfold\n' \
  >"$config/blindfold/settings.ini"

a11y() { /usr/bin/python3 tests/platform/gtk/panel_a11y.py "$@"; }
# AT-SPI tells GTK's places in its own pixels, GDK_SCALE screen pixels each.
click_at() {
  local scale=${GDK_SCALE:-1}
  xdotool mousemove $(($1 * scale)) $(($2 * scale)) click 1 mousemove 0 0
  sleep 0.7
}
press() {
  local at
  at=$(a11y where "$@")
  # shellcheck disable=SC2086
  click_at $at
}
panel() {
  xdotool search --onlyvisible --name '^Blindfold$' 2>/dev/null | while read -r window; do
    [ "$(xwininfo -id "$window" | sed -n 's/.*Width: //p')" -gt 200 ] && echo "$window"
  done | head -1
}

sleep infinity | build/linux/tests/platform/x11/x11_test_windows "Secret notes|notes" "Shopping list|editor" \
  >"$work/windows.ids" &
pids+=($!)
sleep 1
build/linux/blindfold >"$work/blindfold.log" 2>&1 &
pids+=($!)
# Shown by its key once the tray icon has hidden it at start.
for _ in $(seq 100); do [ -n "$(panel)" ] && break; xdotool key --clearmodifiers super+x; sleep 0.5; done
sleep 2
xdotool mousemove 0 0
# shellcheck disable=SC2046
click_at $(a11y cell "Open windows" 0 0)
names=(open-windows hotkeys settings stealth about)
tabs=("Open windows" Hotkeys Settings Stealth About)
prefix=$([ "$out" = "$(pwd)/docs" ] && echo "linux-panel-" || echo "$desktop-$look-")
for page in 0 1 2 3 4; do
  press "${tabs[$page]}"
  import -window "$(panel)" "$out/$prefix${names[$page]}.png"
done
# The whole screen, to see where the panel stands on it.
[ "$prefix" = linux-panel- ] || import -window root "$out/${prefix}screen.png"
echo "Screenshots in $out"
