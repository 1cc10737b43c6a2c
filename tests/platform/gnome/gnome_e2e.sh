#!/usr/bin/env bash
# Blindfold in a GNOME Shell of its own on Wayland, through its extension:
# real GTK windows, the keys pressed inside the Shell as a keyboard would,
# real settings. The windows hotkey twice, --toggle, always-hide, panic, a
# show behind the password, a kill -9 and the next start, another program
# calling the extension, the extension turned off and on, and --quit. What
# the windows are is read past Blindfold, from the Shell itself.
#   gnome_e2e.sh BLINDFOLD EXTENSION_FOLDER
set -euo pipefail

blindfold=$1
extension=$2
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../../.." && pwd)
work=$(mktemp -d)
session="$work/gnome"
pids=()
cleanup() {
  for pid in "${pids[@]}"; do
    kill -9 "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
  done
  cp "$session/shell.log" "$work/" 2>/dev/null || true
  "$root/scripts/gnome-session.sh" stop "$session" >/dev/null 2>&1 || true
  [ -n "${KEEP:-}" ] || rm -rf "$work"
}
trap cleanup EXIT

"$root/scripts/gnome-session.sh" start "$session" "$extension" "$here/eval@blindfold.example"
set -a
source "$session/env"
set +a
export WAYLAND_DISPLAY="$XDG_RUNTIME_DIR/$WAYLAND_DISPLAY"
export XDG_CURRENT_DESKTOP=GNOME XDG_SESSION_TYPE=wayland GDK_BACKEND=wayland
unset DISPLAY SWAYSOCK
source "$here/../gtk/e2e_common.sh"
export BLINDFOLD_LOG=info BLINDFOLD_LOG_FILE="$work/blindfold.trace"
mkdir -p "$config/blindfold"

shell_eval() {  # shell_eval JS: the Shell's answer, as JSON text
  gdbus call --session --dest org.gnome.Shell --object-path /org/gnome/Shell \
    --method org.gnome.Shell.Eval "$1" | sed -n "s/^(true, '\(.*\)')$/\1/p"
}
# A key press inside the Shell, from a keyboard of its own made once: KEYS
# are keysym names, held down in order and let go in reverse.
press() {  # press KEY...
  local keys
  keys=$(printf '"%s",' "$@")
  shell_eval "const Clutter = imports.gi.Clutter;
    global.blindfoldTestKeyboard ??= Clutter.get_default_backend().get_default_seat()
      .create_virtual_device(Clutter.InputDeviceType.KEYBOARD_DEVICE);
    const keyboard = global.blindfoldTestKeyboard;
    const keys = [${keys%,}].map(name => Clutter[\"KEY_\" + name]);
    const now = GLib.get_monotonic_time();
    for (const key of keys) keyboard.notify_keyval(now, key, Clutter.KeyState.PRESSED);
    for (const key of keys.reverse()) keyboard.notify_keyval(now, key, Clutter.KeyState.RELEASED);
    'pressed'" >/dev/null
  sleep 0.3
}
# The desk as the Shell has it, a line a window: "class|title|minimized
# in-switcher drawn x,y,w,h workspace focused". Besides: "running" lists the
# programs the dash and the switcher name, "switcher" the windows Alt+Tab
# offers.
desk() {
  shell_eval "const AltTab = imports.ui.altTab;
    const all = global.display.list_all_windows().filter(w => !w.is_override_redirect());
    const switcher = AltTab.getWindows(null);
    all.map(w => { const r = w.get_frame_rect(); const a = w.get_compositor_private();
      return [w.get_wm_class(), w.get_title(), [Number(w.minimized), Number(switcher.includes(w)),
        Number(Boolean(a && a.visible)), [r.x, r.y, r.width, r.height].join(','),
        w.get_workspace() ? w.get_workspace().index() : -1, Number(w.has_focus())].join(' ')].join('|'); })
      .concat(['running|' + Shell.AppSystem.get_default().get_running().map(a => a.get_name()).join(',')])
      .join('#')" | sed 's/^"//; s/"$//' | tr '#' '\n' >"$work/desk.txt"
}
window() { desk; awk -F '|' -v key="$1" '$1 == key || $2 == key {print $3; exit}' "$work/desk.txt"; }
hidden() { window "$1" | grep -q '^1 0 0 '; }
shown() { window "$1" | grep -q '^0 1 '; }
listed() { [ -n "$(window "$1")" ]; }
armed() { grep -q "the windows hotkey armed" "$work/blindfold.trace" 2>/dev/null; }

# The desk: the GTK demo on a second workspace, the widget factory moved, a
# zenity note the user minimised, all three of classes always hidden; the
# icon browser, of another class, stays and ends up with the keyboard.
export NO_AT_BRIDGE=1
start_program gtk3-demo
start_program gtk3-widget-factory
start_program zenity --info --title=paper --text=notes
start_program gtk3-icon-browser
unset NO_AT_BRIDGE
check "the Shell lists the four windows" eventually eval 'listed gtk3-demo && listed gtk3-widget-factory && listed paper && listed gtk3-icon-browser'
on_window() {  # on_window KEY JS: JS with `w`, the window whose class or title is KEY
  shell_eval "const w = global.display.list_all_windows().find(w => w.get_wm_class() === '$1' || w.get_title() === '$1');
    $2; 'done'" >/dev/null
}
moved() {
  on_window gtk3-widget-factory 'w.move_frame(true, 150, 90)'
  sleep 0.3
  window gtk3-widget-factory | grep -q ' 150,90,'
}
eventually moved
on_window gtk3-demo 'w.change_workspace_by_index(1, false)'
on_window paper 'w.minimize()'
on_window gtk3-icon-browser 'w.activate(global.get_current_time())'
sleep 0.5
names=(gtk3-demo gtk3-widget-factory paper gtk3-icon-browser)
remember_desk "${names[@]}"
check "the desk is set: the demo on workspace 2, the factory at 150,90, paper minimised, the browser focused" \
  eval '[[ "${desk[*]}" == *"gtk3-demo=0 1 0 "*" 1 0"*"gtk3-widget-factory=0 1 1 150,90,"*"paper=1 1 "*"gtk3-icon-browser=0 1 1 "*" 0 1" ]]' || echo "${desk[*]}"

write_demo_settings
launch_blindfold
check "Blindfold starts on GNOME with its keys armed" eventually armed

some_hidden() { hidden gtk3-demo && hidden gtk3-widget-factory && hidden paper; }
not_running() { desk; ! grep -q "^running|.*$1" "$work/desk.txt"; }
press Control_L Alt_L z
check "the windows hotkey hides the chosen windows, the icon browser stays" \
  eventually eval 'some_hidden && shown gtk3-icon-browser'
check "a program whose windows are all hidden is not among those running" not_running "GTK+ Demo"
check "the three windows went to the Shell in one call" grep -q "GNOME windows in one call: 3 of 3" "$work/blindfold.trace"
on_window gtk3-widget-factory 'w.unminimize()'
check "a hidden window that brings itself back is hidden again" eventually hidden gtk3-widget-factory
press Control_L Alt_L z
check_desk "round 1"

"$blindfold" --toggle
check "--toggle hides them" eventually some_hidden
"$blindfold" --toggle
check_desk "round 2"

# Another program calling the extension as Blindfold does is refused: it
# hears of no window.
answer=$(gdbus call --session --dest org.gnome.Shell --object-path /example/blindfold/Gnome \
  --method example.blindfold.Gnome.Windows 2>&1 || true)
check "a program that asks the extension for the windows is refused" eval '[[ "$answer" == *AccessDenied* ]]'
answer=$(gdbus call --session --dest org.gnome.Shell --object-path /example/blindfold/Gnome \
  --method example.blindfold.Gnome.Register "'guess'" false 2>&1 || true)
check "and cannot register beside the running Blindfold" eval '[[ "$answer" == *AccessDenied* ]]'

everything_hidden() { some_hidden && hidden gtk3-icon-browser; }
press Control_L Alt_L v
check "panic hides every window" eventually everything_hidden
check "and nothing of them is left in the switcher or the dash" eval '! grep -q "^running|.*[A-Za-z]" "$work/desk.txt"'
# The overview opened meanwhile: its workspaces, taken in before the hide, and
# their thumbnails show none of them.
shell_eval "Main.overview.show(); 'shown'" >/dev/null
sleep 1
in_overview=$(shell_eval "const controls = Main.overview._overview._controls;
  controls._workspacesDisplay._workspacesViews.flatMap(view => view._workspaces)
    .concat(controls._thumbnailsBox._thumbnails).flatMap(workspace => workspace._windows)
    .map(preview => (preview.metaWindow ?? preview.metaWindow).get_title()).join(',')")
shell_eval "Main.overview.hide(); 'hidden'" >/dev/null
check "the overview opened meanwhile shows none of them ($in_overview)" eval '[ "$in_overview" = "\"\"" ]'
"$blindfold" --toggle
check_desk "after panic"

# The rescue beside a Blindfold that stopped answering registers beside it
# with the token of their record, and shows what the record holds.
"$blindfold" --toggle
eventually some_hidden
kill -STOP "$blindfold_pid"
answer=0
timeout 60 "$blindfold" --restore >>"$work/blindfold.log" 2>&1 || answer=$?
check "--restore beside a Blindfold that stopped answering ends with 0" eval '[ "$answer" -eq 0 ]'
check_desk "after --restore"
kill -CONT "$blindfold_pid"

# Turned off and straight on again, as the Shell does to every extension
# after one that is turned off, the extension keeps them hidden. (Blindfold's
# watch would hide again what came back: the windows are looked at before it
# can.)
"$blindfold" --toggle
check "--toggle hides them again" eventually some_hidden
chosen_back="global.display.list_all_windows()
  .filter(w => !w.minimized && ['gtk3-demo', 'gtk3-widget-factory'].includes(w.get_wm_class()))
  .map(w => w.get_wm_class()).join(',')"
back=$(shell_eval "Main.extensionManager._callExtensionDisable('blindfold@blindfold.example');
  Main.extensionManager._callExtensionEnable('blindfold@blindfold.example'); $chosen_back")
sleep 0.3
back+=$(shell_eval "$chosen_back")
check "turned off and straight on again, the extension keeps them hidden ($back)" eval "[ '$back' = '\"\"\"\"' ]"
"$blindfold" --toggle
check_desk "after the extension was turned off and straight on again"

# The extension turned off with windows hidden gives them back; turned on
# again, it serves Blindfold anew.
extensions() {
  gdbus call --session --dest org.gnome.Shell --object-path /org/gnome/Shell \
    --method "org.gnome.Shell.Extensions.$1" blindfold@blindfold.example >/dev/null
}
"$blindfold" --toggle
eventually some_hidden
extensions DisableExtension
check "the extension turned off gives back every window it hid" \
  eventually eval 'shown gtk3-demo && shown gtk3-widget-factory && window paper | grep -q "^1 1 "'
extensions EnableExtension
sleep 1
"$blindfold" --toggle
"$blindfold" --toggle
check "turned on again, it hides the windows for Blindfold" eventually some_hidden
"$blindfold" --toggle
check_desk "after the extension was turned off and on"

# A password in front of showing: the Login dialog, a GTK dialog on Wayland,
# answered as a screen reader's user would. Panic and a kill -9: the next
# start keeps them hidden behind the password.
guard_windows_with secret
kill -TERM "$blindfold_pid"
wait "$blindfold_pid" || true
: >"$work/blindfold.trace"
launch_blindfold
eventually armed
press Control_L Alt_L z
check "with a password, the windows still hide at once" eventually some_hidden
press Control_L Alt_L z
check "showing them asks for the password" eventually shown Login
check "and keeps them hidden meanwhile" some_hidden
/usr/bin/python3 "$here/../gtk/panel_a11y.py" answer secret
check "the right password shows them" eventually eval 'shown gtk3-demo && ! listed Login'
check_desk "after the password"

"$blindfold" --panic
check "--panic hides every window" eventually everything_hidden
kill -9 "$blindfold_pid"
wait "$blindfold_pid" 2>/dev/null || true
check "a killed Blindfold leaves them hidden" everything_hidden
# Its records lost too, the extension's word is enough to find them again.
rm -f "$XDG_RUNTIME_DIR"/blindfold/hidden-windows-*.ini "$XDG_RUNTIME_DIR"/blindfold/gnome-*.record
: >"$work/blindfold.trace"
launch_blindfold
eventually armed
check "the next start keeps them hidden behind the password" everything_hidden
press Control_L Alt_L z
check "the windows hotkey asks for it" eventually shown Login
/usr/bin/python3 "$here/../gtk/panel_a11y.py" answer secret
check "given, every window comes back" eventually eval 'shown gtk3-icon-browser && shown gtk3-demo'
check_desk "after kill -9"

answer=0
"$blindfold" --quit || answer=$?
check "--quit ends Blindfold" eval '[ "$answer" -eq 0 ] && eventually eval "! kill -0 $blindfold_pid 2>/dev/null"'
check_desk "after --quit"

# Without the extension, Blindfold says how to turn it on, and ends.
extensions DisableExtension
answer=0
timeout 60 "$blindfold" --restore >"$work/missing.log" 2>&1 || answer=$?
check "without its extension, Blindfold ends and says how to turn it on" \
  eval '[ "$answer" -ne 0 ] && grep -q "gnome-extensions enable blindfold@blindfold.example" "$work/missing.log"'

if [ $failures -gt 0 ]; then
  echo "--- blindfold's output" >&2
  tail -40 "$work/blindfold.log" >&2
  tail -40 "$work/blindfold.trace" >&2
  grep -E 'JS|Blindfold|blindfold' "$session/shell.log" | tail -20 >&2
  exit 1
fi
