#!/usr/bin/env bash
# Takes the pictures of docs/ under Wine, at 100 % and at 150 % (names ending
# in -150): the panel's five pages, with a few programs open, one of them
# marked, and the tray icon shown; the tray icon's menu; and the password
# asked before showing.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake --build --preset windows --target Blindfold select_page >/dev/null
session=build/windows/screenshots
scripts/wine-session start "$session" --no-audio
trap 'scripts/wine-session stop "$session"' EXIT
source "$session/env"
mkdir -p docs
pose=build/windows/tests/e2e/select_page.exe
names=(open-windows hotkeys settings stealth about)

# Takes the rectangle that the pose prints.
shoot() {
  local file=$1 left top width height
  shift
  read -r left top width height < <(wine "$pose" "$@" 2>/dev/null | tr -d '\r')
  import -window root -crop "${width}x${height}+${left}+${top}" "$file"
}

for dpi in 96 144; do
  suffix=$([ "$dpi" = 96 ] && echo "" || echo "-150")
  wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f >/dev/null 2>&1
  wine reg delete 'HKLM\Software\Blindfold' /reg:32 /f >/dev/null 2>&1 || true
  wine notepad >/dev/null 2>&1 &
  notepad=$!
  wine winemine >/dev/null 2>&1 &
  winemine=$!
  sleep 1
  wine "$pose" --tray-icon
  wine build/windows/Blindfold.exe >/dev/null 2>&1 &
  blindfold=$!
  shoot "docs/panel-open-windows$suffix.png" 0 --mark "Untitled - Notepad"
  for page in 1 2 3 4; do shoot "docs/panel-${names[$page]}$suffix.png" "$page"; done
  shoot "docs/tray-menu$suffix.png" --tray-menu
  xdotool key Escape
  shoot "docs/login$suffix.png" --login
  kill "$blindfold" "$notepad" "$winemine" 2>/dev/null || true
  wait 2>/dev/null || true
done
echo "Screenshots in docs/"
