#!/usr/bin/env bash
# Installs what is missing, builds Blindfold.exe and starts it under Wine on your
# display. Without a display it starts a virtual one, saves a screenshot of the
# panel and says where.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
command -v import >/dev/null || { sudo=""; [ "$(id -u)" -eq 0 ] || sudo=sudo;
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends imagemagick >/dev/null; }
cmake --preset windows >/dev/null
cmake --build --preset windows --target Blindfold select_page

session=build/windows/wine
if [ -n "${DISPLAY:-}" ]; then
  scripts/wine-session start "$session" --no-audio --this-display
  trap 'scripts/wine-session stop "$session"' EXIT
  source "$session/env"
  echo "Starting Blindfold (Win+X shows the panel, Win+Z hides the windows you chose)."
  wine build/windows/Blindfold.exe
  exit
fi

scripts/wine-session start "$session" --no-audio  # a virtual display
trap 'scripts/wine-session stop "$session"' EXIT
source "$session/env"

wine build/windows/Blindfold.exe >/dev/null 2>&1 &
read -r left top width height < <(wine build/windows/tests/e2e/select_page.exe 0 2>/dev/null | tr -d '\r')
screenshot="$PWD/build/blindfold-panel.png"
import -window root -crop "${width}x${height}+${left}+${top}" "$screenshot"
echo "No display here: Blindfold ran on a virtual one. A screenshot of its panel is in $screenshot"
