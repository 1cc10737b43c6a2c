#!/usr/bin/env bash
# Real X11 programs come back exactly as they were, under one desktop: a
# desktop of its own (x11-session.sh with DESKTOP), xterm, xclock and xeyes,
# and a program with two windows, a dialog owned by one of them and an open
# menu that names no class, below another program's window that stays. Two
# rounds of the windows hotkey, then a panic and a kill -9, each followed by a
# show; windows the hidden program opens meanwhile hide with it. Under xfwm4
# (DESKTOP xfce), the hide of one desktop's windows alone.
#   restore_e2e.sh BLINDFOLD TEST_WINDOWS_APP DESKTOP
set -euo pipefail

blindfold=$1
test_windows=$2
desktop=$3
x11_session=$(dirname "$0")/../../../scripts/x11-session.sh
work=$(mktemp -d)
session="$work/session"
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill -9 "$pid" 2>/dev/null || true; done
  "$x11_session" stop "$session" || true
  [ -n "${KEEP:-}" ] || rm -rf "$work"
}
trap cleanup EXIT
"$x11_session" start "$session" "$desktop"
set -a
source "$session/env"
set +a
check_label=" ($desktop)"
source "$(dirname "$0")/e2e_common.sh"
mkdir -p "$config/blindfold"

# What the window manager says of a window.
states() { xprop -id "$1" _NET_WM_STATE 2>/dev/null | cut -s -d= -f2; }
has_state() { states "$1" | grep -q "_NET_WM_STATE_$2"; }
lacks_state() { ! has_state "$@"; }
desktop_of() { xprop -id "$1" _NET_WM_DESKTOP 2>/dev/null | sed -n 's/.* = //p'; }
on_desktop() { [ "$(desktop_of "$1")" = "$2" ]; }
managed() { xprop -root _NET_CLIENT_LIST | grep -qi "$(printf '0x%x' "$1")"; }
active() { xprop -root _NET_ACTIVE_WINDOW | sed -n 's/.*# //p'; }
is_active() { [ "$(( $(active) ))" = "$(( $1 ))" ]; }
# The place of a window in the stack, from the top: where its frame (the
# window manager's window around it, a child of the root) stands among the
# root's children. Not every window manager keeps _NET_CLIENT_LIST_STACKING
# in step with the stack.
frame_of() {
  local window=$1 parent
  while parent=$(xwininfo -children -id "$window" 2>/dev/null | sed -n 's/.*Parent window id: \(0x[0-9a-f]*\).*/\1/p') &&
    [ -n "$parent" ] && ! xwininfo -children -id "$window" | grep -q 'Parent window id: .*(the root window)'; do
    window=$parent
  done
  printf '0x%x' "$window"
}
place() {
  xwininfo -root -children | sed -n 's/^ *\(0x[0-9a-f]*\) .*/\1/p' | awk -v f="$(frame_of "$1")" '$1 == f { print NR; exit }'
}
below() { [ -n "$(place "$1")" ] && [ -n "$(place "$2")" ] && [ "$(place "$1")" -gt "$(place "$2")" ]; }
# The windows named, bottom first, by their names in the run.
# What the show must bring back: the stack, and where the dialog was.
note_desk() {
  had_focus=$(active)
  stack_at_hide=$(stack_order $desk)
  dialog_above_owner=no
  if below "$owner" "$dialog"; then dialog_above_owner=yes; fi
}
stack_order() {
  local window
  for window in "$@"; do echo "$(place "$window") ${name_of[$window]:-$window}"; done | sort -rn | cut -d' ' -f2 | xargs
}
declare -A name_of
size_of() { xwininfo -id "$1" | awk '/Width:/ { w = $2 } /Height:/ { h = $2 } END { print w "x" h }'; }
# The null sink's volume in percent, as the sound server tells it.
volume() { pactl get-sink-volume @DEFAULT_SINK@ 2>/dev/null | grep -o '[0-9]*%' | head -1 | tr -d %; }
volume_is() { [ "$(volume)" = "$1" ]; }
window_of() { xdotool search --sync --limit 1 "$@" 2>/dev/null | head -1; }

# Settings written as the panel would: KEYS the three hotkeys' boxes (WinKey,
# CtrlKey, AltKey, ShiftKey, key), the windows hotkey hiding what the
# always-hide list names.
write_settings() {  # write_settings MODIFIERS START_HIDDEN
  cat >"$settings" <<INI
[Software/Blindfold/ShortcutKeys]
BlindfoldShortcutKey=$1,X
WindowsShortcutKey=$1,Z
PanicShortcutKey=$1,V
StartHidden=$2
bMute=1
SoundLevel=60
DisplayIcon=0
Taskbar=0
ProgramManager=0

[Software/Blindfold]
AlwaysHide=big	XTerm  (class),clock	XClock  (class),Owner	owner  (class)
INI
}

# Win+letter is what Blindfold starts with. icewm, as it comes, takes every
# Win combination for itself: Blindfold says so, and with no tray icon and its
# keys unusable, shows its panel rather than start hidden out of reach.
if [ "$desktop" = icewm ]; then
  write_settings 1,0,0,0 1
  launch_blindfold
  check "icewm's own use of the Windows key is told, and the panel shows" eventually eval '[ -n "$(panel)" ]'
  kill -TERM "$blindfold_pid"
  wait "$blindfold_pid" || true
fi
write_settings 0,1,1,0 1

# xfwm4 brings a window activated on another desktop over to the one shown.
# A program's window and its dialog, which has the keyboard, alone on the
# second desktop, and another program's window on the first: hiding them
# hands the activation to nothing there, and the show gives it back to the
# dialog, above its owner.
if [ "$desktop" = xfce ]; then
  mkfifo "$work/here"
  "$test_windows" "Here|here" <"$work/here" >"$work/here.ids" &
  pids+=($!)
  exec 8>"$work/here"
  eventually test -s "$work/here.ids"
  here=$(sed -n 1p "$work/here.ids")
  eventually managed "$here"
  wmctrl -s 1
  mkfifo "$work/owner"
  "$test_windows" "Owner|owner" "Dialog|owner|owned" <"$work/owner" >"$work/owner.ids" &
  pids+=($!)
  exec 7>"$work/owner"
  eventually test -s "$work/owner.ids"
  owner=$(sed -n 1p "$work/owner.ids")
  dialog=$(sed -n 2p "$work/owner.ids")
  eventually managed "$dialog"
  xdotool windowactivate "$dialog" 2>/dev/null || true
  sleep 1
  check "the desk is set: the owner and its dialog on the second desktop, the other window on the first" \
    eval 'on_desktop "$owner" 1 && on_desktop "$dialog" 1 && on_desktop "$here" 0 && below "$owner" "$dialog"'
  had_focus=$(active)
  launch_blindfold
  sleep 5
  keys ctrl+alt+z
  check "the owner and its dialog hide" eventually eval 'unmapped "$owner" && unmapped "$dialog"'
  sleep 1
  check "the other program's window stays on the first desktop" on_desktop "$here" 0
  keys ctrl+alt+z
  check "the owner and its dialog are back" eventually eval 'mapped "$owner" && mapped "$dialog"'
  sleep 1
  check "on the second desktop" eval 'on_desktop "$owner" 1 && on_desktop "$dialog" 1'
  check "the other program's window is still on the first" on_desktop "$here" 0
  check "the dialog above its owner" below "$owner" "$dialog"
  check "the dialog has the keyboard again" eventually is_active "$had_focus"
  kill -TERM "$blindfold_pid"
  wait "$blindfold_pid" || true
  exec 7>&- 8>&-
  check "Blindfold's standard error tells of no misuse of GLib or GTK" stderr_clean
  if [ $failures -gt 0 ]; then
    tail -40 "$work/blindfold.log" >&2
    exit 1
  fi
  exit 0
fi

# The desk: a maximised xterm at the bottom, the clock minimised, the eyes
# (which stay) in the middle, an xterm on the second desktop, a program's
# window, its second window and the first one's dialog, and over them another
# program's window, which stays and has the keyboard.
start_program xterm -geometry 60x16+60+60 -T big
big=$(window_of --name '^big$')
eventually managed "$big"
normal_size=$(size_of "$big")
wmctrl -i -r "$big" -b add,maximized_vert,maximized_horz
start_program xclock -geometry 120x120+700+100
clock=$(window_of --class '^xclock$')
start_program xeyes -geometry 150x100+700+400
eyes=$(window_of --class '^xeyes$')
start_program xterm -geometry 50x8+300+300 -T away
away=$(window_of --name '^away$')
eventually managed "$away"
wmctrl -i -r "$away" -t 1
mkfifo "$work/owner"
# The program's menu (window 3 of its five) is open; window 4 it opens later.
"$test_windows" "Owner|owner" "Dialog|owner|owned" "Second|owner" "Menu||menu" "Later|owner|later" \
  <"$work/owner" >"$work/owner.ids" &
pids+=($!)
exec 7>"$work/owner"
eventually test -s "$work/owner.ids"
owner=$(sed -n 1p "$work/owner.ids")
dialog=$(sed -n 2p "$work/owner.ids")
second=$(sed -n 3p "$work/owner.ids")
menu=$(sed -n 4p "$work/owner.ids")
later=$(sed -n 5p "$work/owner.ids")
eventually managed "$dialog"
eventually managed "$second"
# The program does something (MAP N) and says it has done it.
tell_owner() {  # tell_owner LINE
  local before
  before=$(grep -c '^done' "$work/owner.ids" || true)
  echo "$1" >&7
  eventually eval '[ "$(grep -c "^done" "$work/owner.ids")" -gt "$before" ]'
}
xdotool windowminimize "$clock"
eventually has_state "$clock" HIDDEN
xdotool windowactivate "$owner" 2>/dev/null || true
sleep 1
xdotool windowraise "$second"
xdotool windowraise "$dialog"
mkfifo "$work/stays"
"$test_windows" "Stays|stays" <"$work/stays" >"$work/stays.ids" &
pids+=($!)
exec 8>"$work/stays"
eventually test -s "$work/stays.ids"
stays=$(sed -n 1p "$work/stays.ids")
eventually managed "$stays"
xdotool windowactivate "$stays" 2>/dev/null || true
sleep 1
for window in big eyes owner second dialog stays later; do name_of[${!window}]=$window; done
desk="$big $eyes $owner $second $dialog $stays"
check "the desk is set: the big xterm is maximised" has_state "$big" MAXIMIZED_VERT
check "and stacked below the eyes, below the owner, below its dialog" \
  eval 'below "$big" "$eyes" && below "$eyes" "$owner" && below "$owner" "$dialog"'
check "the owner's second window between it and its dialog, the window that stays above them" \
  eval 'below "$owner" "$second" && below "$second" "$dialog" && below "$dialog" "$stays"'
check "the menu is open" mapped "$menu"

launch_blindfold
sleep 5  # started hidden, its keys armed

all_hidden() {
  unmapped "$big" && unmapped "$owner" && unmapped "$second" && unmapped "$dialog" && ! managed "$away" && ! managed "$clock"
}
# Everything the user left, checked once the windows are back.
check_desk() {  # check_desk WHEN
  check "$1: the windows are back" eventually eval 'mapped "$big" && mapped "$owner" && mapped "$dialog" && managed "$away"'
  sleep 1
  check "$1: the xterm on the second desktop is there, not minimised" \
    eval 'on_desktop "$away" 1 && lacks_state "$away" HIDDEN'
  check "$1: and asks for no attention" lacks_state "$away" DEMANDS_ATTENTION
  check "$1: the clock is minimised" has_state "$clock" HIDDEN
  check "$1: the big xterm is maximised" has_state "$big" MAXIMIZED_HORZ
  check "$1: the big xterm below the eyes that stayed" below "$big" "$eyes"
  check "$1: the owner above them" below "$eyes" "$owner"
  # Where it was: a window manager may raise the owner alone.
  if [ "$dialog_above_owner" = yes ]; then check "$1: the dialog above its owner" below "$owner" "$dialog"; fi
  if [ "$dialog_above_owner" = no ]; then check "$1: the dialog below its owner, as it was" below "$dialog" "$owner"; fi
  check "$1: every window at its place in the stack ($stack_at_hide)" eval '[ "$(stack_order $desk)" = "$stack_at_hide" ]'
  [ "$(stack_order $desk)" = "$stack_at_hide" ] || echo "  the stack is $(stack_order $desk)" >&2
  check "$1: the window that had the focus has it again" eventually is_active "$had_focus"
  is_active "$had_focus" || echo "  $(active) has it, not $had_focus" >&2
}

# Round one: the windows hotkey (Ctrl+Alt+Z) hides the always-hide classes,
# the menu open over them with them; opened again while they are hidden, it
# goes at once.
note_desk
keys ctrl+alt+z
check "round 1: the windows hide, the eyes stay" eventually eval 'all_hidden && mapped "$eyes"'
check "round 1: the open menu, which names no class, hides with its program" eventually unmapped "$menu"
tell_owner "map 3"
check "round 1: the menu opened again while hidden hides too" eventually unmapped "$menu"
keys ctrl+alt+z
check_desk "round 1"

# Round two: the clock shown and minimised again in between.
xdotool windowactivate "$clock" 2>/dev/null || wmctrl -i -a "$clock"
eventually lacks_state "$clock" HIDDEN
xdotool windowminimize "$clock"
eventually has_state "$clock" HIDDEN
xdotool windowactivate "$owner" 2>/dev/null || true
sleep 1
note_desk
keys ctrl+alt+z
check "round 2: the windows hide" eventually all_hidden
keys ctrl+alt+z
check_desk "round 2"

# Panic, then Blindfold dies: the next start brings everything back. The
# dialog has the keyboard: the record names its owner first, the window the
# next start would otherwise give the keyboard to. The program opens a window
# while hidden, which the window manager gives the keyboard to: it hides, and
# comes back without it.
xdotool windowactivate "$dialog" 2>/dev/null || true
sleep 1
note_desk
keys ctrl+alt+v
check "panic hides every window" eventually eval 'all_hidden && unmapped "$eyes"'
tell_owner "map 4"
check "a window opened while hidden hides" eventually eval 'managed "$later" || unmapped "$later"'
sleep 1
check "and stays hidden" unmapped "$later"
kill -9 "$blindfold_pid"
wait "$blindfold_pid" 2>/dev/null || true
check "a killed Blindfold leaves them hidden" all_hidden
check "and the sound muted" volume_is 0
launch_blindfold
check "the next start brings the eyes back too" eventually mapped "$eyes"
check_desk "after kill -9"
check "the window opened while hidden is back too" mapped "$later"
check "and the sound, at the level saved" eventually volume_is 60
volume_is 60 || echo "  the volume is $(volume)%" >&2

# Panic and kill -9 again: the rescue command brings everything back, the
# sound too.
note_desk
keys ctrl+alt+v
check "panic hides every window again" eventually eval 'all_hidden && unmapped "$eyes"'
kill -9 "$blindfold_pid"
wait "$blindfold_pid" 2>/dev/null || true
check "the sound is muted" volume_is 0
(detached "$blindfold" --restore) >>"$work/blindfold.log" 2>&1
check "the rescue command brings the eyes back" eventually mapped "$eyes"
check_desk "after --restore"
check "and the sound, at the level saved" eventually volume_is 60
launch_blindfold

# Un-maximised, the big xterm takes the size it had before it was maximised.
wmctrl -i -r "$big" -b remove,maximized_vert,maximized_horz
has_normal_size() { [ "$(size_of "$big")" = "$normal_size" ]; }
check "un-maximised, the big xterm has its own size again ($normal_size)" eventually has_normal_size
has_normal_size || echo "it has $(size_of "$big")" >&2

kill -TERM "$blindfold_pid"
wait "$blindfold_pid" || true
exec 7>&- 8>&-
check "Blindfold's standard error tells of no misuse of GLib or GTK" stderr_clean
if [ $failures -gt 0 ]; then
  echo "--- blindfold's output" >&2
  tail -40 "$work/blindfold.log" >&2
  exit 1
fi
