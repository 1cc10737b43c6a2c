#!/usr/bin/env bash
# The whole-program benchmark under Wine: hide and show latency against the
# floor, footprint against a minimal window program (start-up to a shown
# panel, start-up to ready when starting hidden, private memory after start-up
# and after idling FOOTPRINT_IDLE seconds, default 20), idle cost over
# IDLE_SECONDS (default 60), and the executable's size; medians of REPEATS runs
# (default 9). Prints a Markdown table.
#
#   bench-wine.sh [IDLE_SECONDS]
#   REPEATS=9 FOOTPRINT_IDLE=20 FOOTPRINT_ONLY=1 LATENCY_ONLY=1 bench-wine.sh
set -euo pipefail
cd "$(dirname "$0")/.."
idle_seconds=${1:-60}
repeats=${REPEATS:-9}
footprint_idle=${FOOTPRINT_IDLE:-20}
scripts/install-deps.sh
cmake --preset windows >/dev/null
cmake --build --preset windows --target Blindfold whole_program_bench >/dev/null

session=build/windows/wine
scripts/wine-session start "$session" --no-audio
trap 'scripts/wine-session stop "$session"' EXIT
source "$session/env"
wine reg delete 'HKLM\Software\Blindfold' /f /reg:32 >/dev/null 2>&1 || true

bench=build/windows/bench/wine
echo "Load before the run: $(cut -d' ' -f1-3 /proc/loadavg) (1, 5, 15 min) on $(nproc) cores"
wine "$bench/whole_program_bench.exe" "$PWD/build/windows/Blindfold.exe" "$repeats" \
  "$(if [ -n "${FOOTPRINT_ONLY:-}" ]; then echo startup; elif [ -n "${LATENCY_ONLY:-}" ]; then echo latency; else echo all; fi)" \
  "$footprint_idle" 2>/dev/null | tr -d '\r'
if [ -n "${FOOTPRINT_ONLY:-}${LATENCY_ONLY:-}" ]; then
  echo "Load after the run: $(cut -d' ' -f1-3 /proc/loadavg)"
  exit 0
fi

# Idle cost, seen from Linux: CPU time and wake-ups (context switches of every
# thread) over the same stretch, for Blindfold with its panel hidden and for the
# minimal window program.
wine reg add 'HKLM\Software\Blindfold\ShortcutKeys' /v StartHidden /d 1 /f /reg:32 >/dev/null 2>&1
wine build/windows/Blindfold.exe >/dev/null 2>&1 &
wine "$bench/bench_windows.exe" 1 none minimal >/dev/null 2>&1 &
sleep 5
pid_of() { pgrep -f "$1" | head -n 1; }
blindfold=$(pid_of 'Blindfold.exe')
minimal=$(pid_of 'bench_windows.exe')
sample() {  # cpu ticks and context switches of every thread of $1
  local ticks=0 switches=0
  for task in /proc/"$1"/task/*; do
    read -r -a stat < "$task/stat"
    ticks=$((ticks + stat[13] + stat[14]))
    switches=$((switches + $(awk '/ctxt_switches/ {s += $2} END {print s}' "$task/status")))
  done
  echo "$ticks $switches"
}
read -r b_ticks0 b_switch0 < <(sample "$blindfold")
read -r m_ticks0 m_switch0 < <(sample "$minimal")
sleep "$idle_seconds"
read -r b_ticks1 b_switch1 < <(sample "$blindfold")
read -r m_ticks1 m_switch1 < <(sample "$minimal")
hz=$(getconf CLK_TCK)
printf '| idle CPU time over %ss (ms) | | %d | %d | |\n' "$idle_seconds" \
  $(((b_ticks1 - b_ticks0) * 1000 / hz)) $(((m_ticks1 - m_ticks0) * 1000 / hz))
printf '| idle wake-ups over %ss | | %d | %d | |\n' "$idle_seconds" \
  $((b_switch1 - b_switch0)) $((m_switch1 - m_switch0))
# While windows are hidden Blindfold looks after them ten times a second: its
# CPU time over the same stretch with 200 other windows open, all of them
# hidden by the panic hotkey.
wine "$bench/bench_windows.exe" 200 none >/dev/null 2>&1 &
sleep 5
xdotool key super+v
sleep 2
read -r h_ticks0 _ < <(sample "$blindfold")
sleep "$idle_seconds"
read -r h_ticks1 _ < <(sample "$blindfold")
printf '| CPU time while 200 windows are hidden, over %ss (ms) | | %d | | %.2f %% of one core |\n' "$idle_seconds" \
  $(((h_ticks1 - h_ticks0) * 1000 / hz)) \
  "$(awk -v t=$((h_ticks1 - h_ticks0)) -v hz="$hz" -v s="$idle_seconds" 'BEGIN {printf "%.2f", 100 * t / hz / s}')"
xdotool key super+z
printf '| executable size (KiB) | | %d | %d | |\n' \
  $(($(stat -c %s build/windows/Blindfold.exe) / 1024)) $(($(stat -c %s "$bench/bench_windows.exe") / 1024))
wine reg delete 'HKLM\Software\Blindfold' /f /reg:32 >/dev/null 2>&1 || true
echo "Load after the run: $(cut -d' ' -f1-3 /proc/loadavg)"
