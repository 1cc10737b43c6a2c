#!/usr/bin/env bash
# Blindfold on a desktop that speaks sway's IPC: sway on Wayland itself, with
# foot terminals, a GTK dialog and key presses through sway's virtual keyboard
# (wtype); or i3 on an X display of the run's own, with xterms and xdotool.
# Real settings. The windows hotkey twice, a window brought back by the user
# while hidden, a show behind the password, panic and a kill -9, and the
# commands.
#   sway_e2e.sh BLINDFOLD sway SESSION_DIR   (the sway_session fixture's folder)
#   sway_e2e.sh BLINDFOLD i3
set -euo pipefail

blindfold=$1
desktop=$2
work=$(mktemp -d)
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill -9 "$pid" 2>/dev/null || true; done
  [ "$desktop" = sway ] || "$(dirname "$0")/../../../scripts/x11-session.sh" stop "$session" || true
  [ -n "${KEEP:-}" ] || rm -rf "$work"
}
trap cleanup EXIT
if [ "$desktop" = sway ]; then
  session=$3
else
  session="$work/session"
  "$(dirname "$0")/../../../scripts/x11-session.sh" start "$session" i3
fi
set -a
source "$session/env"
set +a
check_label=" ($desktop)"
if [ "$desktop" = sway ]; then
  # The user below has a runtime folder of its own; the display stays sway's.
  export WAYLAND_DISPLAY="$XDG_RUNTIME_DIR/$WAYLAND_DISPLAY"
  unset DISPLAY
  msg() { swaymsg "$@"; }
  # A terminal titled TITLE, of the class CLASS when given.
  terminal() { start_program foot ${2:+--app-id="$2"} -T "$1"; }
  terminal_class=foot
  dialog_class=zenity
  gdk_backend=wayland
  hotkey() { wtype -M ctrl -M alt -k "$1" -m alt -m ctrl; sleep 0.3; }
else
  msg() { i3-msg "$@"; }
  terminal() { start_program xterm ${2:+-class "$2"} -T "$1"; }
  terminal_class=XTerm
  dialog_class=Zenity
  gdk_backend=x11
  hotkey() { xdotool key --clearmodifiers "ctrl+alt+$1"; sleep 0.3; }
fi
export BLINDFOLD_LOG=info BLINDFOLD_LOG_FILE="$work/blindfold.trace"
source "$(dirname "$0")/../gtk/e2e_common.sh"
mkdir -p "$config/blindfold"

# What the tree says of the window titled TITLE: a line of
# "id workspace tiled|floating fullscreen x,y,w,h marks…", or nothing.
window() {
  msg -t get_tree | python3 -c '
import json, sys
title = sys.argv[1]
# i3 wraps a floating view in a floating con of its own; sway floats the view.
def walk(node, workspace, floating):
    if node["type"] == "workspace":
        workspace = node["name"]
    floating = floating or node["type"] == "floating_con"
    if node.get("name") == title and (node.get("pid") or node.get("window")):
        r = node["rect"]
        print(node["id"], workspace, "floating" if floating else "tiled", node.get("fullscreen_mode", 0),
              "%d,%d,%d,%d" % (r["x"], r["y"], r["width"], r["height"]), *node.get("marks", []))
        raise SystemExit
    for child in node.get("nodes", []):
        walk(child, workspace, floating)
    for child in node.get("floating_nodes", []):
        walk(child, workspace, True)
walk(json.load(sys.stdin), None, False)' "$1"
}
hidden() { window "$1" | grep -q '^[0-9]* __i3_scratch '; }
shown() { window "$1" | grep -qv '^[0-9]* __i3_scratch '; }
# Its place, what it was and where: everything but the marks.
place() { window "$1" | cut -d' ' -f2-5; }
sway() { msg "$@" >/dev/null; }
armed() { grep -q "the windows hotkey armed" "$work/blindfold.trace" 2>/dev/null; }

# The desk: three tiled terminals side by side and a floating one on the first
# workspace, a full-screen terminal on the second, a GTK dialog (zenity on
# Wayland) on the first; "side" and "third", of another program, stay.
sway workspace 2
terminal away
eventually shown away
sway '[title="^away$"] fullscreen enable'
sway workspace 1
terminal big
eventually shown big
terminal side keep
eventually shown side
terminal third keep
eventually shown third
terminal float
eventually shown float
# On sway, a copy of the terminal's program, of the class of side and third:
# the always-hide list names it by its program, and it alone of the three hides.
program_entry=
if [ "$desktop" = sway ]; then
  cp "$(command -v foot)" "$work/copied"
  start_program "$work/copied" --app-id=keep -T copied
  eventually shown copied
  program_entry=",	$work/copied  (program)"
fi
sway '[title="^float$"] floating enable, resize set 500 300, move position 100 120'
start_program env GDK_BACKEND=$gdk_backend zenity --info --title=paper --text=notes
eventually shown paper
sway '[title="^side$"] focus'
sleep 0.5
desk=()
for title in big side third float away paper; do desk+=("$title=$(place "$title")"); done
check "the desk is set: big, side and third tiled, float floating, away full screen on 2" \
  eval '[[ "${desk[*]}" == *"big=1 tiled 0"*"third=1 tiled 0"*"float=1 floating 0"*"away=2 tiled 1"* ]]'

check_desk() {  # check_desk WHEN
  local entry title
  # i3 lays out a workspace only while it is shown.
  if [ "$desktop" = i3 ]; then
    sleep 0.5
    sway workspace 2
    sway workspace 1
  fi
  for entry in "${desk[@]}"; do
    title=${entry%%=*}
    check "$1: $title is back as it was (${entry#*=})" eventually eval '[ "$(place "$title")" = "${entry#*=}" ]'
    [ "$(place "$title")" = "${entry#*=}" ] || echo "  it is $(place "$title")" >&2
  done
  check "$1: no mark of Blindfold's is left" eval '! msg -t get_marks | grep -q blindfold'
}

cat >"$settings" <<INI
[Software/Blindfold/ShortcutKeys]
BlindfoldShortcutKey=0,1,1,0,X
WindowsShortcutKey=0,1,1,0,Z
PanicShortcutKey=0,1,1,0,V
StartHidden=1
DisplayIcon=1
TrayHideWindows=514
Taskbar=0
ProgramManager=0

[Software/Blindfold]
AlwaysHide=big	$terminal_class  (class),float	$terminal_class  (class),away	$terminal_class  (class),paper	$dialog_class  (class)$program_entry
INI
# On Wayland the tray is the desktop's StatusNotifierItem host.
if [ "$desktop" = sway ]; then
  start_program /usr/bin/python3 "$(dirname "$0")/sni_watcher.py" "$work/tray.items"
  sleep 0.5
fi
launch_blindfold
check "Blindfold starts with its keys bound" eventually armed
tray_item() { head -1 "$work/tray.items"; }
# What the host asks of the icon.
tray() {  # tray METHOD ARGS...
  local method=$1
  shift
  gdbus call --session -d "$(tray_item)" -o /StatusNotifierItem -m "$method" "$@" >/dev/null
}
if [ "$desktop" = sway ]; then
  check "its tray icon is offered to the desktop's host" eventually test -s "$work/tray.items"
  check "with its picture" eval 'gdbus call --session -d "$(tray_item)" -o /StatusNotifierItem \
    -m org.freedesktop.DBus.Properties.Get org.kde.StatusNotifierItem IconPixmap | grep -q "\[byte 0x"'
fi

# The windows hotkey hides the always-hide windows into the scratchpad.
some_hidden() { hidden big && hidden float && hidden away && hidden paper; }
hotkey z
check "the windows hotkey hides the chosen windows, side stays" eventually eval 'some_hidden && shown side'
if [ "$desktop" = sway ]; then
  check "a program entry hides its program's window, not its classmates" eventually eval 'hidden copied && shown third'
fi
# A hidden window the user brings back from the scratchpad hides again.
sway '[title="^big$"] scratchpad show'
check "a hidden window brought back is hidden again" eventually hidden big
hotkey z
check_desk "round 1"
if [ "$desktop" = sway ]; then
  check "round 1: the copied terminal is back" eventually shown copied
fi

# A second round: the tray icon's left click (the host's activation) hides
# them where there is a StatusNotifierItem host, the command a key binding of
# the user's would run where there is none; the command shows them.
if [ "$desktop" = sway ]; then
  tray org.kde.StatusNotifierItem.Activate 0 0
  check "a left click on the tray icon hides them" eventually some_hidden
else
  "$blindfold" --toggle
  check "--toggle hides them" eventually some_hidden
fi
"$blindfold" --toggle
check_desk "round 2"

# A password in front of showing: the Login dialog, a GTK dialog on Wayland,
# answered as a screen reader's user would.
kill -TERM "$blindfold_pid"
wait "$blindfold_pid" || true
guard_windows_with secret
: >"$work/blindfold.trace"
launch_blindfold
eventually armed
hotkey z
check "with a password, the windows still hide at once" eventually some_hidden
hotkey z
check "showing them asks for the password" eventually shown Login
check "and keeps them hidden meanwhile" some_hidden
/usr/bin/python3 "$(dirname "$0")/../gtk/panel_a11y.py" answer secret
check "the right password shows them" eventually eval 'shown big && ! shown Login'
check_desk "after the password"

# Panic hides every window, Blindfold's own aside, whatever bytes the tree
# holds and whatever marks others set; a kill -9 leaves them hidden, and the
# next start takes them over, still behind the password, and puts each back
# where it was, the tiled ones in their order, not where a stranger's mark
# says. Its keys outlive sway reading its configuration again.
side_id=$(window side | cut -d' ' -f1)
forged="blindfold:$side_id:f2:9"
sway "[title=\"^side\$\"] mark --add $forged"
sway "[title=\"^third\$\"] mark --add $(printf 'x\377')" || true
sway reload
sleep 0.5
hotkey v
check "panic hides every window" eventually eval 'some_hidden && hidden side && hidden third'
: >"$work/blindfold.trace"
kill -9 "$blindfold_pid"
wait "$blindfold_pid" 2>/dev/null || true
check "a killed Blindfold leaves them hidden" eval 'some_hidden && hidden side'
launch_blindfold
eventually armed
check "the next start keeps them hidden behind the password" eval 'some_hidden && hidden side'
hotkey z
check "the windows hotkey asks for it" eventually shown Login
/usr/bin/python3 "$(dirname "$0")/../gtk/panel_a11y.py" answer secret
check "given, every window comes back" eventually eval 'shown side && shown big && shown third'
sway "unmark $forged"
sway "unmark $(printf 'x\377')" || true
check_desk "after kill -9"

# Where no record can be kept (a file stands where Blindfold's runtime folder
# should be), a kill -9 still loses nothing: the door's own record, in the
# user's cache then, tells the next start which windows are Blindfold's.
kill -9 "$blindfold_pid"
wait "$blindfold_pid" 2>/dev/null || true
mv "$XDG_RUNTIME_DIR/blindfold" "$work/runtime-folder"
: >"$XDG_RUNTIME_DIR/blindfold"
: >"$work/blindfold.trace"
launch_blindfold
eventually armed
hotkey v
check "without a record, panic hides every window all the same" eventually eval 'some_hidden && hidden side'
kill -9 "$blindfold_pid"
wait "$blindfold_pid" 2>/dev/null || true
: >"$work/blindfold.trace"
launch_blindfold
eventually armed
hotkey z
check "the next start finds them without a record, behind the password" eventually shown Login
/usr/bin/python3 "$(dirname "$0")/../gtk/panel_a11y.py" answer secret
check "given, every window comes back" eventually eval 'shown side && shown big && shown third'
check_desk "without a record"
kill -TERM "$blindfold_pid"
wait "$blindfold_pid" 2>/dev/null || true
rm "$XDG_RUNTIME_DIR/blindfold"
mv "$work/runtime-folder" "$XDG_RUNTIME_DIR/blindfold"
: >"$work/blindfold.trace"
launch_blindfold
eventually armed

# The commands reach it; --quit ends it with nothing hidden.
answer=0
"$blindfold" --quit || answer=$?
check "--quit ends Blindfold" eval '[ "$answer" -eq 0 ] && eventually eval "! kill -0 $blindfold_pid 2>/dev/null"'
answer=0
"$blindfold" --toggle 2>/dev/null || answer=$?
check "with none running, a command says so and ends with 2" test "$answer" -eq 2

# Another program of the session holds Blindfold's name on the bus and never
# answers: Blindfold says so at start, a command gives up with a reason
# rather than wait for good, and once that program has gone Blindfold takes
# its name back.
if [ "$desktop" = sway ]; then
  name=$(sed -n 's/.*commands reach this Blindfold as //p' "$work/blindfold.trace" | head -1)
  /usr/bin/python3 -c '
import sys
from gi.repository import Gio, GLib
Gio.bus_own_name(Gio.BusType.SESSION, sys.argv[1], Gio.BusNameOwnerFlags.NONE, None,
                 lambda *_: print("owned", flush=True), None)
GLib.MainLoop().run()' "$name" >"$work/squatter.out" 2>&1 &
  squatter=$!
  pids+=("$squatter")
  eventually grep -q owned "$work/squatter.out"
  : >"$work/blindfold.log"
  launch_blindfold
  check "a name held by another program is told at start" eventually grep -q "another program holds" "$work/blindfold.log"
  answer=0
  "$blindfold" --toggle 2>"$work/command.err" || answer=$?
  check "a command finds another program there, and says so" \
    eval '[ "$answer" -eq 1 ] && grep -q "another program holds" "$work/command.err"'
  kill -STOP "$squatter"
  answer=0
  timeout 60 "$blindfold" --toggle 2>"$work/command.err" || answer=$?
  check "a command to a name nobody answers on gives up, and says so" \
    eval '[ "$answer" -eq 1 ] && grep -q "did not answer in time" "$work/command.err"'
  kill -9 "$squatter"
  taken_back() {
    local end=$((SECONDS + 20))
    while [ $SECONDS -lt $end ]; do timeout 10 "$blindfold" --panel 2>/dev/null && return 0; sleep 0.5; done
    return 1
  }
  check "the name let go, Blindfold takes it back" taken_back
  timeout 30 "$blindfold" --quit || true
fi

if [ $failures -gt 0 ]; then
  echo "--- blindfold's output" >&2
  tail -40 "$work/blindfold.log" >&2
  tail -40 "$work/blindfold.trace" >&2
  exit 1
fi
