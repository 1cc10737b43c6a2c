#!/usr/bin/env bash
# The native Linux program as a whole, on a desktop of its own (Xvfb, openbox,
# tint2) taken down after: start-up to a shown panel and private memory
# against a minimal GTK program, the cost of idling for IDLE seconds (default
# 60; 0 measures latency alone), and hide and show latency of N windows
# (default 1, 5, 20 and 200) from the windows hotkey against the floor. Prints
# a Markdown table of medians of REPEATS runs (9 unless set), and the machine's
# load before and after.
#   REPEATS=9 scripts/bench-x11-program.sh [IDLE_SECONDS [N...]]
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
echo "Load before the run: $(cut -d' ' -f1-3 /proc/loadavg) (1, 5, 15 min) on $(nproc) cores"
build/bench/bench/x11_program_bench build/bench/blindfold build/bench/bench/minimal_gtk_window "$@"
echo "Load after the run: $(cut -d' ' -f1-3 /proc/loadavg)"
