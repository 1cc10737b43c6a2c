# What the Linux end-to-end runs share, sourced after they have set
# `blindfold` (the program), `work` (their folder) and `pids` (what cleanup
# ends). Gives a user of its own under $work, where Blindfold keeps its
# settings, and the helpers below.

# The machine's folder too: run by root, Blindfold writes the machine's settings.
export HOME="$work/home" XDG_CONFIG_HOME="$work/home/.config" XDG_CONFIG_DIRS="$work/etc" XDG_RUNTIME_DIR="$work/run"
mkdir -p "$XDG_CONFIG_HOME" "$XDG_CONFIG_DIRS" && mkdir -m 700 "$XDG_RUNTIME_DIR"
config=$XDG_CONFIG_HOME
[ "$(id -u)" -eq 0 ] && config=$XDG_CONFIG_DIRS
settings="$config/blindfold/settings.ini"

failures=0
check_label=${check_label:-}
check() {  # check DESCRIPTION COMMAND...
  local what=$1
  shift
  if "$@"; then echo "ok$check_label: $what"; else echo "FAILED$check_label: $what" >&2; failures=$((failures + 1)); fi
}
# Waits up to fifteen seconds for COMMAND to succeed: a sanitized GTK program
# on a busy machine takes its time.
eventually() {
  for _ in $(seq 150); do "$@" && return 0; sleep 0.1; done
  return 1
}

# GLib and GTK tell of a program's misuse of them on its standard error: a
# tray host killed, lists refilled, dialogs gone and a screen reader asking
# must leave none of it.
stderr_clean() { ! grep -B1 CRITICAL "$work/blindfold.log" >&2; }

mapped() { xwininfo -id "$1" 2>/dev/null | grep -q 'Map State: IsViewable'; }
unmapped() { ! mapped "$1"; }
panel() { xdotool search --onlyvisible --name '^Blindfold$' 2>/dev/null | head -1; }
keys() { xdotool key --clearmodifiers "$@"; sleep 0.5; }

# COMMAND, holding none of the test's pipes, which would otherwise outlive
# their closing here.
detached() {  # detached COMMAND...
  for fd in /proc/self/fd/*; do
    fd=${fd##*/}
    if [ "$fd" -gt 2 ] && [ "$fd" -ne 255 ]; then eval "exec $fd>&-" 2>/dev/null || true; fi
  done
  exec "$@"
}
launch_blindfold() {
  (detached "$blindfold") >>"$work/blindfold.log" 2>&1 &
  blindfold_pid=$!
  pids+=("$blindfold_pid")
}
# A program for the test, ended with it.
start_program() {  # start_program COMMAND...
  (detached "$@") >/dev/null 2>&1 &
  pids+=($!)
}

# Guards showing the windows with PASSWORD in the settings, as the panel
# stores it: the self-describing key, never the password.
guard_windows_with() {  # guard_windows_with PASSWORD
  /usr/bin/python3 - "$settings" "$1" <<'PY'
import base64, hashlib, os, sys
path, password = sys.argv[1], sys.argv[2]
salt = os.urandom(16)
key = hashlib.pbkdf2_hmac("sha256", password.encode(), salt, 600000, 32)
stored = "pbkdf2-sha256$600000$%s$%s" % (base64.b64encode(salt).decode(), base64.b64encode(key).decode())
text = open(path).read().replace("ProgramManager=0\n", "ProgramManager=0\nPPShowWindows=1\nPW=%s\n" % stored, 1)
open(path, "w").write(text)
PY
}

# The desk of the Wayland runs that show GTK's demos: each window named as the
# run's `window NAME` tells its state, remembered once set, and checked after
# each round, all waited for at once and then each one told.
remember_desk() {  # remember_desk NAME...
  local name
  desk=()
  for name in "$@"; do desk+=("$name=$(window "$name")"); done
}
as_it_was() {
  local entry
  for entry in "${desk[@]}"; do [ "$(window "${entry%%=*}")" = "${entry#*=}" ] || return 1; done
}
check_desk() {  # check_desk WHEN
  local entry name
  eventually as_it_was || true
  for entry in "${desk[@]}"; do
    name=${entry%%=*}
    check "$1: $name is back as it was (${entry#*=})" eval '[ "$(window "$name")" = "${entry#*=}" ]'
  done
}
# Their settings: Ctrl+Alt+X, Z and V, started hidden with no tray icon, and
# the GTK demo, the widget factory and zenity's notes always hidden.
write_demo_settings() {
  mkdir -p "$(dirname "$settings")"
  cat >"$settings" <<INI
[Software/Blindfold/ShortcutKeys]
BlindfoldShortcutKey=0,1,1,0,X
WindowsShortcutKey=0,1,1,0,Z
PanicShortcutKey=0,1,1,0,V
StartHidden=1
DisplayIcon=0
Taskbar=0
ProgramManager=0

[Software/Blindfold]
AlwaysHide=demo	gtk3-demo  (class),factory	gtk3-widget-factory  (class),paper	zenity  (class)
INI
}
