#!/usr/bin/env bash
# Installs what is missing, builds the native Linux Blindfold and starts it on
# your X11 display. Without a display it starts a virtual desktop (openbox and
# tint2), saves a screenshot of the panel and says where.
# The Windows program has its own: scripts/run-windows.sh.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
cmake --preset linux >/dev/null
cmake --build build/linux --target Blindfold
# The build is the sanitized one of the tests: GTK's caches, kept until the
# program ends, are not leaks worth a report.
export LSAN_OPTIONS="suppressions=$PWD/tests/platform/gtk/lsan.supp"

if [ -n "${DISPLAY:-}" ]; then
  echo "Starting Blindfold (Win+X shows the panel, Win+Z hides the windows you chose)."
  exec build/linux/blindfold
fi

session=build/linux/run-session
scripts/x11-session.sh start "$session"
blindfold_pid=""
finish() {
  [ -n "$blindfold_pid" ] && kill "$blindfold_pid" 2>/dev/null && wait "$blindfold_pid" 2>/dev/null
  scripts/x11-session.sh stop "$session"
}
trap finish EXIT
set -a
source "$session/env"
set +a
export HOME="$PWD/$session/home" XDG_CONFIG_HOME="$PWD/$session/home/.config" XDG_CONFIG_DIRS="$PWD/$session/etc"
export XDG_RUNTIME_DIR="$PWD/$session/run"
mkdir -p -m 700 "$XDG_RUNTIME_DIR"

build/linux/blindfold >"$session/blindfold.log" 2>&1 &
blindfold_pid=$!
panel=""
for _ in $(seq 100); do
  panel=$(xdotool search --onlyvisible --name '^Blindfold$' 2>/dev/null | head -1) || true
  [ -n "$panel" ] && break
  sleep 0.1
done
[ -n "$panel" ] || { echo "Blindfold did not show its panel:" >&2; cat "$session/blindfold.log" >&2; exit 1; }
sleep 1  # drawn, not only mapped
screenshot="$PWD/build/blindfold-panel.png"
import -window "$panel" "$screenshot"
echo "No display here: Blindfold ran on a virtual one. A screenshot of its panel is in $screenshot"
