#!/usr/bin/env bash
# Takes a screenshot of each of the panel's five pages under Wine, into docs/.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake --build --preset windows --target Blindfold select_page >/dev/null
session=build/windows/wine
scripts/wine-session start "$session" --no-audio  # a virtual display of the pictures' size
trap 'scripts/wine-session stop "$session"' EXIT
source "$session/env"
mkdir -p docs
names=(open-windows hotkeys settings stealth about)
for page in 0 1 2 3 4; do
  # A fresh start for every page: each picture shows the panel as a new user sees it.
  wine build/windows/Blindfold.exe >/dev/null 2>&1 &
  blindfold=$!
  read -r left top width height < <(wine build/windows/tests/e2e/select_page.exe "$page" 2>/dev/null | tr -d '\r')
  import -window root -crop "${width}x${height}+${left}+${top}" "docs/panel-${names[$page]}.png"
  kill "$blindfold"
  wait "$blindfold" 2>/dev/null || true
done
echo "Screenshots in docs/"
