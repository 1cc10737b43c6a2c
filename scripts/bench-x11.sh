#!/usr/bin/env bash
# Hide and show of 20, 200 and 1,000 windows through the X11 platform against
# the floor, on a desktop of its own (Xvfb, openbox, tint2) taken down after.
# Extra arguments replace the window counts.
set -euo pipefail
cd "$(dirname "$0")/.."

cmake --preset bench
cmake --build --preset bench --target x11_hide_bench
session=build/bench/x11-session
scripts/x11-session.sh start "$session"
trap 'scripts/x11-session.sh stop "$session"' EXIT
set -a
source "$session/env"
set +a
build/bench/bench/x11_hide_bench "$@"
