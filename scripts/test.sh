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
# An audio server of our own: its socket lives in the build folder.
export PULSE_RUNTIME_PATH="$PWD/build/pulse"
stop_all() {
  stop_wine_and_display
  pulseaudio --kill 2>/dev/null || true
}
trap stop_all EXIT
# One Wine server for all the tests, with its services started here: started
# by the first test instead, they would hold ctest's output pipe open.
wineserver -p
wine cmd /c exit </dev/null >/dev/null 2>&1

# First on a machine without any audio device, then with one: a PulseAudio
# null sink, which Wine's mixer finds as the speakers.
ctest --preset windows -L no-audio
mkdir -p "$PULSE_RUNTIME_PATH"
pulseaudio --daemonize=yes --exit-idle-time=-1 -n --load=module-null-sink \
  --load=module-native-protocol-unix >/dev/null 2>&1
export BLINDFOLD_AUDIO_DEVICE=1
ctest --preset windows -LE no-audio
