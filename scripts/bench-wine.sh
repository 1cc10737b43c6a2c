#!/usr/bin/env bash
# The whole-program benchmark under Wine: hide and show latency against the
# floor, footprint against a minimal window program, idle cost over IDLE
# seconds (default 60), and the executable's size. Prints a Markdown table.
set -euo pipefail
cd "$(dirname "$0")/.."
idle_seconds=${1:-60}
scripts/install-deps.sh
cmake --preset windows >/dev/null
cmake --build --preset windows --target Blindfold whole_program_bench >/dev/null

session=build/windows/wine
scripts/wine-session start "$session" --no-audio
trap 'scripts/wine-session stop "$session"' EXIT
source "$session/env"
wine reg delete 'HKLM\Software\Blindfold' /f /reg:32 >/dev/null 2>&1 || true

bench=build/windows/bench/wine
wine "$bench/whole_program_bench.exe" "$PWD/build/windows/Blindfold.exe" 5 2>/dev/null | tr -d '\r'

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
# Memory after the idle stretch: anonymous resident memory, which is what Wine
# reports to Windows programs as a process's private usage.
anon() { awk '/^RssAnon:/ {print $2}' /proc/"$1"/status; }
b_anon=$(anon "$blindfold")
m_anon=$(anon "$minimal")
printf '| private memory after idling (KiB) | | %d | %d | %s |\n' "$b_anon" "$m_anon" \
  "$(awk -v b="$b_anon" -v m="$m_anon" 'BEGIN {printf "%.2f", b / m}')"

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
