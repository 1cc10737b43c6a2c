#!/usr/bin/env bash
# Blindfold on sway as a whole, on a headless sway of its own taken down
# after: hide and show latency of N foot windows (1, 5, 20 and 200 unless
# given) from the windows hotkey against the floor, one IPC message moving the
# same windows, taken turn about in the same rounds; medians of REPEATS rounds
# (9 unless set), and the machine's load before and after.
#   REPEATS=9 scripts/bench-sway.sh [N...]
# BLINDFOLD names another build of the program (the optimised one by default).
set -euo pipefail
cd "$(dirname "$0")/.."

if [ -z "${BLINDFOLD:-}" ]; then
  scripts/install-deps.sh
  cmake --preset bench >/dev/null
  cmake --build --preset bench --target Blindfold >/dev/null
  BLINDFOLD=build/bench/blindfold
fi
session=$(pwd)/build/sway-bench-session
work=$(mktemp -d)
scripts/sway-session.sh start "$session"
trap 'scripts/sway-session.sh stop "$session"; [ -n "${KEEP:-}" ] || rm -rf "$work"' EXIT
set -a
source "$session/env"
set +a
echo "Load before the run: $(cut -d' ' -f1-3 /proc/loadavg) (1, 5, 15 min) on $(nproc) cores"
python3 bench/sway/sway_program_bench.py "$(realpath "$BLINDFOLD")" "$work" "$@"
echo "Load after the run: $(cut -d' ' -f1-3 /proc/loadavg)"
