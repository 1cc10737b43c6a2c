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

# The tests send real key presses and clicks: they get a virtual display of
# their own, gone when they end.
unset DISPLAY
source scripts/wine-env.sh
trap stop_wine_and_display EXIT
# One Wine server for all the tests, with its services started here: started
# by the first test instead, they would hold ctest's output pipe open.
wineserver -p
wine cmd /c exit </dev/null >/dev/null 2>&1
ctest --preset windows
