# Sourced by the scripts that run Windows programs: a Wine prefix of the
# project's own with a virtual desktop, on an X display (a virtual one when
# there is none).
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
export WINEPREFIX="${WINEPREFIX:-$root/build/wineprefix}"
export WINEDEBUG="${WINEDEBUG:--all}"
# No Mono or Gecko download prompts: the project needs neither.
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"

# Starts Xvfb on a free display; sets DISPLAY and BLINDFOLD_XVFB_PID.
start_virtual_display() {
  local number=$((100 + RANDOM % 400))
  while [ -e "/tmp/.X11-unix/X$number" ]; do number=$((number + 1)); done
  Xvfb ":$number" -screen 0 1600x1200x24 -nolisten tcp >/dev/null 2>&1 &
  BLINDFOLD_XVFB_PID=$!
  export DISPLAY=":$number"
  for _ in $(seq 50); do [ -e "/tmp/.X11-unix/X$number" ] && break; sleep 0.1; done
}

# Ends every Wine process of the prefix and the display started above.
stop_wine_and_display() {
  wineserver -k 2>/dev/null || true
  if [ -n "${BLINDFOLD_XVFB_PID:-}" ]; then kill "$BLINDFOLD_XVFB_PID" 2>/dev/null || true; fi
}

[ -n "${DISPLAY:-}" ] || start_virtual_display

if [ ! -f "$WINEPREFIX/system.reg" ]; then
  mkdir -p "$WINEPREFIX"
  wineboot -i >/dev/null 2>&1
  # Inside a virtual desktop hides and shows take effect at once; without a
  # window manager each one waits for an answer that never comes.
  wine reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f >/dev/null 2>&1
  wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d 1600x1200 /f >/dev/null 2>&1
  wineserver -w
fi
