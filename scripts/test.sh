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
# The tests send real key presses and clicks: ctest starts a virtual display,
# a Wine server and an audio server of their own for the run, and ends them.
ctest --preset windows
