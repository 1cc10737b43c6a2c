#!/usr/bin/env bash
# Installs what is missing, builds both presets and runs every test: the logic
# natively under the sanitizers (with the fuzz targets), then the Windows build
# under Wine on a virtual display.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh

cmake --preset linux
cmake --build --preset linux
ctest --preset linux

cmake --preset windows
cmake --build --preset windows

# A virtual display of our own, gone when the tests end.
display=:$((90 + RANDOM % 100))
while [ -e "/tmp/.X11-unix/X${display#:}" ]; do display=:$((${display#:} + 1)); done
Xvfb "$display" -screen 0 1600x1200x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
export DISPLAY=$display
for _ in $(seq 50); do [ -e "/tmp/.X11-unix/X${display#:}" ] && break; sleep 0.1; done

source scripts/wine-env.sh
# One Wine server for all the tests, with its services started here: started
# by the first test instead, they would hold ctest's output pipe open.
wineserver -p
wine cmd /c exit </dev/null >/dev/null 2>&1
trap 'wineserver -k 2>/dev/null || true; kill $xvfb 2>/dev/null || true' EXIT
ctest --preset windows
