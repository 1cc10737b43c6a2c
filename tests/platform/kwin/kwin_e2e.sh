#!/usr/bin/env bash
# Blindfold in a KWin of its own on Plasma's Wayland: real GTK windows, the
# keys pressed through KWin's global shortcuts, real settings. The windows
# hotkey twice, --toggle, another program after Blindfold's bus name, panics
# and shows in a row, the script unloaded with windows hidden (Blindfold
# running, or killed), the rescue beside a Blindfold that stopped answering,
# a show behind the password, panic and a kill -9, and --quit. What the
# windows are is read past Blindfold, from KWin itself.
#   kwin_e2e.sh BLINDFOLD
set -euo pipefail

blindfold=$1
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../../.." && pwd)
work=$(mktemp -d)
session="$work/kwin"
pids=()
cleanup() {
  for pid in "${pids[@]}"; do
    kill -9 "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
  done
  "$root/scripts/kwin-session.sh" stop "$session" >/dev/null 2>&1 || true
  [ -n "${KEEP:-}" ] || rm -rf "$work"
}
trap cleanup EXIT
"$root/scripts/kwin-session.sh" start "$session"
set -a
source "$session/env"
set +a
# The user below has a runtime folder of its own; the display stays KWin's.
export WAYLAND_DISPLAY="$XDG_RUNTIME_DIR/$WAYLAND_DISPLAY"
export XDG_CURRENT_DESKTOP=KDE XDG_SESSION_TYPE=wayland
unset DISPLAY SWAYSOCK
export BLINDFOLD_LOG=info BLINDFOLD_LOG_FILE="$work/blindfold.trace"
source "$here/../gtk/e2e_common.sh"
mkdir -p "$config/blindfold"

kwin() {  # kwin PATH INTERFACE.METHOD ARGS...: a call to KWin, its answer
  local path=$1 method=$2
  shift 2
  dbus-send --session --print-reply --dest=org.kde.KWin "$path" "$method" "$@"
}
# Loads the KWin script FILE under NAME and runs it.
run_script() {  # run_script NAME FILE
  local number
  number=$(kwin /Scripting org.kde.kwin.Scripting.loadScript string:"$2" string:"$1" | awk '/int32/ {print $2}')
  [ "${number:--1}" -ge 0 ] || { echo "KWin did not load $2" >&2; return 1; }
  kwin "/$number" org.kde.kwin.Script.run >/dev/null
}
# A one-off script of the test's: JS runs with `w`, the window that `key`
# matches (its caption or its class), made the active one first.
on_window() {  # on_window KEY JS
  local file="$work/once-$RANDOM.js"
  cat >"$file" <<JS
var all = workspace.clientList();
for (var i = 0; i < all.length; i++) {
  var w = all[i];
  if (String(w.caption) === "$1" || String(w.resourceClass) === "$1") {
    workspace.activeClient = w;
    $2;
    break;
  }
}
JS
  run_script "blindfold_test_$RANDOM" "$file"
}
press() {  # press SHORTCUT: through kglobalaccel, as a key would
  dbus-send --session --print-reply --dest=org.kde.kglobalaccel /component/kwin \
    org.kde.kglobalaccel.Component.invokeShortcut string:"$1" >/dev/null
  sleep 0.3
}

# The desk as KWin tells it: a script of the test's names every window five
# times a second to a listener here, which asks KWin for each one's state
# (getWindowInfo) and keeps the latest in desk.txt, a line a window:
# "class<TAB>caption<TAB>minimized skipTaskbar skipPager skipSwitcher x,y,w,h
# maxH maxV desktops".
cat >"$work/desk.py" <<'PY'
import json, os, sys
import gi
gi.require_version("Gio", "2.0")
from gi.repository import Gio, GLib
out = sys.argv[1]
bus = Gio.bus_get_sync(Gio.BusType.SESSION)
node = Gio.DBusNodeInfo.new_for_xml("""<node><interface name="org.blindfold.KWinDesk">
  <method name="Windows"><arg type="s" direction="in"/></method></interface></node>""")
def line(uuid):
    try:
        w = bus.call_sync("org.kde.KWin", "/KWin", "org.kde.KWin", "getWindowInfo", GLib.Variant("(s)", (uuid,)),
                          None, Gio.DBusCallFlags.NONE, 2000, None).unpack()[0]
    except GLib.Error:
        return ""
    if not w:
        return ""
    flag = lambda name: str(int(bool(w.get(name))))
    state = [*map(flag, ("minimized", "skipTaskbar", "skipPager", "skipSwitcher")),
             "%d,%d,%d,%d" % (w["x"], w["y"], w["width"], w["height"]),
             flag("maximizeHorizontal"), flag("maximizeVertical"), ",".join(w.get("desktops", []))]
    return "%s\t%s\t%s\n" % (w.get("resourceClass"), w.get("caption"), " ".join(state))
def on_call(_connection, _sender, _path, _interface, _method, parameters, invocation):
    invocation.return_value(None)
    with open(out + ".new", "w") as new:
        new.writelines(map(line, json.loads(parameters.unpack()[0])))
    os.replace(out + ".new", out)
bus.register_object("/Desk", node.interfaces[0], on_call)
Gio.bus_own_name_on_connection(bus, "org.blindfold.KWinDesk", Gio.BusNameOwnerFlags.NONE, None, None)
GLib.MainLoop().run()
PY
cat >"$work/desk.js" <<'JS'
function report() {
  var all = workspace.clientList();
  var ids = [];
  for (var i = 0; i < all.length; i++) ids.push(String(all[i].internalId));
  callDBus("org.blindfold.KWinDesk", "/Desk", "org.blindfold.KWinDesk", "Windows", JSON.stringify(ids));
}
var timer = new QTimer();
timer.interval = 200;
timer.timeout.connect(report);
timer.start();
JS
start_program /usr/bin/python3 "$work/desk.py" "$work/desk.txt"
run_script blindfold_test_desk "$work/desk.js"

# What KWin says of the window whose class or caption is KEY: its state as in
# desk.txt, or nothing.
window() { awk -F '\t' -v key="$1" '$1 == key || $2 == key {print $3; exit}' "$work/desk.txt" 2>/dev/null; }
hidden() { window "$1" | grep -q '^1 1 1 1 '; }
shown() { window "$1" | grep -q '^0 '; }
listed() { [ -n "$(window "$1")" ]; }
armed() { grep -q "the windows hotkey armed" "$work/blindfold.trace" 2>/dev/null; }
# The keys KDE's global shortcuts give the script's shortcut NAME, as Qt's
# key codes: "([201326682],)" is Ctrl+Alt+Z.
keys_of() {
  gdbus call --session --dest org.kde.kglobalaccel --object-path /kglobalaccel \
    --method org.kde.KGlobalAccel.shortcut "['kwin', '$1', '', '']"
}

# The desk: the GTK demo maximised, the widget factory moved (smaller it will
# not go), a zenity note the user minimised, all three of classes always
# hidden; the icon browser, of another class, stays and ends up active.
export GDK_BACKEND=wayland NO_AT_BRIDGE=1
start_program gtk3-demo
start_program gtk3-widget-factory
start_program zenity --info --title=paper --text=notes
start_program gtk3-icon-browser
unset NO_AT_BRIDGE
check "KWin lists the four windows" eventually eval 'listed gtk3-demo && listed gtk3-widget-factory && listed paper && listed gtk3-icon-browser'
# A window is listed before KWin has placed it: the move is made again until
# it holds.
moved() {
  on_window gtk3-widget-factory 'w.frameGeometry = {x: 150, y: 90, width: 700, height: 500}'
  sleep 0.5
  window gtk3-widget-factory | grep -q ' 150,90,'
}
eventually moved
on_window gtk3-demo 'w.setMaximize(true, true)'
eventually eval 'window gtk3-demo | grep -q " 1 1 "'
on_window paper 'w.minimized = true'
eventually eval 'window paper | grep -q "^1 "'
on_window gtk3-icon-browser ''
sleep 0.5
names=(gtk3-demo gtk3-widget-factory paper gtk3-icon-browser)
remember_desk "${names[@]}"
check "the desk is set: the demo maximised, the factory at 150,90, paper minimised" \
  eval '[[ "${desk[*]}" == *"gtk3-demo=0 0 0 0 "*" 1 1 "*"gtk3-widget-factory=0 0 0 0 150,90,"*"paper=1 0 0 0 "* ]]'

write_demo_settings
launch_blindfold
check "Blindfold starts on KWin with its keys armed" eventually armed
check "KDE's shortcuts have its keys: Ctrl+Alt+Z, Ctrl+Alt+V and Ctrl+Alt+X" eventually eval \
  '[ "$(keys_of "Blindfold toggle") $(keys_of "Blindfold panic") $(keys_of "Blindfold panel")" = "([201326682],) ([201326678],) ([201326680],)" ]'
check "it loaded its script into KWin" eval 'kwin /Scripting org.kde.kwin.Scripting.isScriptLoaded string:blindfold | grep -q "boolean true"'

some_hidden() { hidden gtk3-demo && hidden gtk3-widget-factory && hidden paper; }
press "Blindfold toggle"
check "the windows hotkey hides the chosen windows, the icon browser stays" \
  eventually eval 'some_hidden && shown gtk3-icon-browser'
check "the three hides reach the script as one batch" grep -q "handed to the script: [0-9]* requests, 3 hides" "$work/blindfold.trace"
press "Blindfold toggle"
check_desk "round 1"

# A second round, through the command a key binding of the user's would run.
"$blindfold" --toggle
check "--toggle hides them" eventually some_hidden
"$blindfold" --toggle
check_desk "round 2"

script_loaded() { kwin /Scripting org.kde.kwin.Scripting.isScriptLoaded string:"$1" | grep -q "boolean true"; }
restart_blindfold() {
  kill -TERM "$blindfold_pid"
  wait "$blindfold_pid" || true
  : >"$work/blindfold.trace"
  launch_blindfold
  check "Blindfold starts again with its keys armed" eventually armed
}

# Another program of the session asks for Blindfold's bus name, taking it over
# if it may, and answers as Blindfold would: it hears nothing of the windows,
# and Blindfold works on. Started while that program holds the name, Blindfold
# says so, works all the same, and takes the name back once it is freed.
cat >"$work/squatter.py" <<'PY'
import sys
import gi
gi.require_version("Gio", "2.0")
from gi.repository import Gio, GLib
name, heard = sys.argv[1], sys.argv[2]
bus = Gio.bus_get_sync(Gio.BusType.SESSION)
node = Gio.DBusNodeInfo.new_for_xml("""<node><interface name="example.blindfold.KWin">
  <method name="Windows"><arg type="s" direction="in"/></method>
  <method name="Next"><arg type="s" direction="out"/></method>
  <method name="Pressed"><arg type="s" direction="in"/></method></interface></node>""")
def on_call(_connection, _sender, _path, _interface, method, parameters, invocation):
    with open(heard, "a") as out:
        out.write("%s %s\n" % (method, parameters.unpack()))
    invocation.return_value(GLib.Variant("(s)", ("[]",)) if method == "Next" else None)
bus.register_object("/example/blindfold/KWin", node.interfaces[0], on_call)
flags = Gio.BusNameOwnerFlags.REPLACE | Gio.BusNameOwnerFlags.ALLOW_REPLACEMENT
Gio.bus_own_name_on_connection(bus, name, flags, lambda *_: open(heard + ".owner", "w").close(), None)
GLib.MainLoop().run()
PY
bus_name=$(dbus-send --session --print-reply --dest=org.freedesktop.DBus /org/freedesktop/DBus \
  org.freedesktop.DBus.ListNames | grep -o 'example\.blindfold\.KWin\.[A-Za-z0-9_]*' | head -1)
check "Blindfold owns its bus name ($bus_name)" eval '[ -n "$bus_name" ]'
start_program /usr/bin/python3 "$work/squatter.py" "${bus_name:-example.blindfold.KWin.none}" "$work/heard"
squatter_pid=${pids[-1]}
sleep 2
"$blindfold" --toggle
check "with its bus name asked for by another program, --toggle hides them" eventually some_hidden
"$blindfold" --toggle
check_desk "beside the other program"
check "the other program could not take the name" eval '[ ! -e "$work/heard.owner" ]'
restart_blindfold
check "started while another program holds the name, Blindfold says so" \
  eventually grep -q "another program holds the bus name $bus_name" "$work/blindfold.log"
press "Blindfold toggle"
check "and hides the chosen windows all the same" eventually some_hidden
press "Blindfold toggle"
check_desk "while another program holds the name"
check "the program holding the name heard nothing of the windows" \
  eval '[ -e "$work/heard.owner" ] && [ ! -s "$work/heard" ]'
kill "$squatter_pid"
check "Blindfold takes its name back once it is freed" \
  eventually grep -q "the bus name $bus_name is Blindfold's again" "$work/blindfold.log"
# Only KWin speaks for the script: a program that calls Blindfold as the
# script would, with an empty window list, is refused.
blindfold_bus=$(gdbus call --session --dest org.freedesktop.DBus --object-path /org/freedesktop/DBus \
  --method org.freedesktop.DBus.GetNameOwner "$bus_name" | grep -o ':[0-9.]*' || true)
answer=$(gdbus call --session --dest "$blindfold_bus" --object-path /example/blindfold/KWin \
  --method example.blindfold.KWin.Windows "'{\"done\": 0, \"windows\": []}'" 2>&1 || true)
check "a program that calls Blindfold as its script would is refused" eval '[[ "$answer" == *AccessDenied* ]]'

# Blindfold's record of what it hid: a line a window, however many panics,
# and gone once they are shown.
record_lines() { cat "$XDG_RUNTIME_DIR"/blindfold/kwin-*.record 2>/dev/null | wc -l; }
everything_hidden() { some_hidden && hidden gtk3-icon-browser; }
for round in 1 2 3; do
  press "Blindfold panic"
  eventually everything_hidden
  press "Blindfold panic"
  check "panic round $round: the record holds each of the four windows once" \
    eventually eval '[ "$(record_lines)" -eq 4 ]'
  "$blindfold" --toggle
  check "panic round $round: the show empties the record" eventually eval '[ "$(record_lines)" -eq 0 ]'
  check_desk "panic round $round"
done
check "each show showed each window once" \
  eval '[ "$(grep -o "showed [0-9]* windows" "$work/blindfold.trace" | tail -3 | sort -u)" = "showed 4 windows" ]'

# The script unloaded with windows hidden: Blindfold loads it again and shows
# every window it hid, from its own record.
"$blindfold" --toggle
check "--toggle hides them before the script goes" eventually some_hidden
kwin /Scripting org.kde.kwin.Scripting.unloadScript string:blindfold >/dev/null
"$blindfold" --toggle
check_desk "after the script was unloaded"
check "Blindfold loaded its script again" eventually script_loaded blindfold
press "Blindfold panic"
check "and its keys reach it again" eventually everything_hidden
"$blindfold" --toggle
check_desk "after a panic through the script loaded again"
# Ended right after the script went, Blindfold still shows what it hid.
"$blindfold" --toggle
eventually some_hidden
kwin /Scripting org.kde.kwin.Scripting.unloadScript string:blindfold >/dev/null
"$blindfold" --quit
wait "$blindfold_pid" || true
check_desk "--quit right after the script was unloaded"
check "and nothing is left in the record" eval '[ "$(record_lines)" -eq 0 ]'
: >"$work/blindfold.trace"
launch_blindfold
check "Blindfold starts again with its keys armed" eventually armed

# Killed just after it asked for a show that the script, gone, could not do:
# the next start does it.
"$blindfold" --toggle
eventually some_hidden
kwin /Scripting org.kde.kwin.Scripting.unloadScript string:blindfold >/dev/null
"$blindfold" --toggle
kill -9 "$blindfold_pid"
wait "$blindfold_pid" 2>/dev/null || true
: >"$work/blindfold.trace"
launch_blindfold
check "the next start arms its keys" eventually armed
check_desk "the next start after a kill -9 that cut a show short"

# Killed with every window hidden, and the script unloaded after it: the next
# start, with no password to ask for, still shows them.
press "Blindfold panic"
eventually everything_hidden
kill -9 "$blindfold_pid"
wait "$blindfold_pid" 2>/dev/null || true
kwin /Scripting org.kde.kwin.Scripting.unloadScript string:blindfold >/dev/null
check "a killed Blindfold's script unloaded leaves them hidden" everything_hidden
: >"$work/blindfold.trace"
launch_blindfold
check "the next start arms its keys" eventually armed
check_desk "the next start after kill -9 and the script unloaded"

# The rescue beside a Blindfold that stopped answering: a copy of the script
# of its own shows what the record holds, and goes with it.
"$blindfold" --toggle
eventually some_hidden
kill -STOP "$blindfold_pid"
answer=0
timeout 60 "$blindfold" --restore >>"$work/blindfold.log" 2>&1 || answer=$?
check "--restore beside a Blindfold that stopped answering ends with 0" eval '[ "$answer" -eq 0 ]'
check_desk "after --restore"
check "the rescue took its copy of the script away" eval '! script_loaded blindfold-rescue'
kill -CONT "$blindfold_pid"

# A password in front of showing: the Login dialog, a GTK dialog on Wayland,
# answered as a screen reader's user would.
guard_windows_with secret
restart_blindfold
press "Blindfold toggle"
check "with a password, the windows still hide at once" eventually some_hidden
press "Blindfold toggle"
check "showing them asks for the password" eventually shown Login
check "and keeps them hidden meanwhile" some_hidden
/usr/bin/python3 "$here/../gtk/panel_a11y.py" answer secret
check "the right password shows them" eventually eval 'shown gtk3-demo && ! listed Login'
check_desk "after the password"

# Panic hides every window, Blindfold's own aside; a kill -9 leaves them
# hidden, and the next start takes them over, still behind the password.
press "Blindfold panic"
check "panic hides every window" eventually eval 'some_hidden && hidden gtk3-icon-browser'
: >"$work/blindfold.trace"
kill -9 "$blindfold_pid"
wait "$blindfold_pid" 2>/dev/null || true
check "a killed Blindfold leaves them hidden" eval 'some_hidden && hidden gtk3-icon-browser'
launch_blindfold
eventually armed
check "the next start keeps them hidden behind the password" eval 'some_hidden && hidden gtk3-icon-browser'
press "Blindfold toggle"
check "the windows hotkey asks for it" eventually shown Login
/usr/bin/python3 "$here/../gtk/panel_a11y.py" answer secret
check "given, every window comes back" eventually eval 'shown gtk3-icon-browser && shown gtk3-demo'
check_desk "after kill -9"

# The commands reach it; --quit ends it with nothing hidden.
answer=0
"$blindfold" --quit || answer=$?
check "--quit ends Blindfold" eval '[ "$answer" -eq 0 ] && eventually eval "! kill -0 $blindfold_pid 2>/dev/null"'
check_desk "after --quit"

if [ $failures -gt 0 ]; then
  echo "--- blindfold's output" >&2
  tail -40 "$work/blindfold.log" >&2
  tail -40 "$work/blindfold.trace" >&2
  grep -E 'js:|Blindfold' "$session/kwin.log" | tail -20 >&2
  exit 1
fi
