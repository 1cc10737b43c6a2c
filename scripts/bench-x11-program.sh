#!/usr/bin/env bash
# The native Linux program as a whole, on a desktop of its own (Xvfb, openbox,
# tint2) taken down after: start-up to a shown panel and private memory
# against a minimal GTK program, the cost of idling for IDLE seconds (default
# 60), and hide and show latency of N windows (default 20 and 200) from the
# windows hotkey against the floor. Prints a Markdown table of medians.
#   scripts/bench-x11-program.sh [IDLE_SECONDS [N...]]
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
cmake --preset bench >/dev/null
cmake --build --preset bench --target x11_program_bench minimal_gtk_window >/dev/null
session=build/bench/x11-program-session
scripts/x11-session.sh start "$session"
trap 'scripts/x11-session.sh stop "$session"' EXIT
set -a
source "$session/env"
set +a
build/bench/bench/x11_program_bench build/bench/Blindfold build/bench/bench/minimal_gtk_window "$@"
