#!/usr/bin/env bash
# What each platform call that hiding makes costs per window on another
# program's windows under Wine, for N windows (default 1000). Prints a table.
set -euo pipefail
cd "$(dirname "$0")/.."
count=${1:-1000}
scripts/install-deps.sh
cmake --preset windows >/dev/null
cmake --build --preset windows --target call_costs >/dev/null

session=build/windows/wine
scripts/wine-session start "$session" --no-audio
trap 'scripts/wine-session stop "$session"' EXIT
source "$session/env"
wine build/windows/bench/wine/call_costs.exe "$count" 2>/dev/null | tr -d '\r'
