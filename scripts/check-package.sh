#!/usr/bin/env bash
# Checks the Debian package with lintian and its manual page with man,
# installs it as a user would, checks that what the menu starts comes up with
# its files, and removes the package again. Not part of the tests: it needs
# root (or sudo) and changes the system it runs on.
#   scripts/check-package.sh                 on this machine
#   scripts/check-package.sh --clean-debian  in a fresh minimal Debian (a
#                                            debootstrap chroot under build/)
# The package is built first when build/package holds none; the newest is checked.
set -euo pipefail
cd "$(dirname "$0")/.."
clean=0
[ "${1:-}" = --clean-debian ] && clean=1

sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
deb=$(ls -t build/package/blindfold_*_amd64.deb 2>/dev/null | head -1 || true)
if [ -z "$deb" ]; then
  scripts/package.sh
  deb=$(ls -t build/package/blindfold_*_amd64.deb | head -1)
fi
scripts/install-deps.sh

# A desktop to start it on: Xvfb, openbox and tint2, as the tests have.
session=build/package/check-session
scripts/x11-session.sh start "$session"
set -a
source "$session/env"
set +a

root=""
run=()
if [ $clean -eq 1 ]; then
  root=$PWD/build/clean-debian
  if [ ! -x "$root/usr/bin/apt-get" ]; then
    $sudo debootstrap --variant=minbase bookworm "$root" http://deb.debian.org/debian
  fi
  $sudo mount -t proc proc "$root/proc"
  $sudo mkdir -p "$root/tmp/.X11-unix"
  $sudo mount --bind /tmp/.X11-unix "$root/tmp/.X11-unix"
  run=($sudo chroot "$root")
  "${run[@]}" apt-get update -qq
fi
finish() {
  [ -n "${pid:-}" ] && $sudo kill "$pid" 2>/dev/null
  "${run[@]}" apt-get remove -y -qq blindfold >/dev/null 2>&1 || true
  $sudo rm -rf "$root/tmp/blindfold-check" "$root/tmp/blindfold.deb"
  if [ -n "$root" ]; then
    $sudo umount "$root/tmp/.X11-unix" "$root/proc" || true
  fi
  scripts/x11-session.sh stop "$session"
}
trap finish EXIT

failures=0
check() {  # check DESCRIPTION COMMAND...
  local what=$1
  shift
  if "$@"; then echo "ok: $what"; else echo "FAILED: $what" >&2; failures=$((failures + 1)); fi
}

# What Debian's own checks say of the package: errors fail, warnings are
# shown. The package's files, unpacked, for what is checked before it is
# installed.
check "lintian finds no errors in it" lintian --fail-on error "$deb"
contents=$session/contents
rm -rf "$contents"
dpkg-deb -x "$deb" "$contents"
check "its manual page reads without warnings" scripts/check-manual.sh "$contents/usr/share/man/man1/blindfold.1.gz"

$sudo cp "$deb" "$root/tmp/blindfold.deb"
export DEBIAN_FRONTEND=noninteractive
quietly() { "$@" >"$session/apt.log" 2>&1 || { cat "$session/apt.log" >&2; return 1; }; }
check "apt-get installs the package" quietly "${run[@]}" apt-get install -y -qq /tmp/blindfold.deb
entry=$root/usr/share/applications/blindfold.desktop
check "its menu entry is valid" desktop-file-validate "$entry"
check "its menu entry is in Utilities" grep -q '^Categories=Utility;' "$entry"
check "its icon is in the theme" test -f "$root/usr/share/icons/hicolor/scalable/apps/blindfold.svg" \
  -a -f "$root/usr/share/icons/hicolor/48x48/apps/blindfold.png"
check "its acknowledgments are installed" test -s "$root/usr/share/blindfold/acknowledgments.TXT"
extension=$root/usr/share/gnome-shell/extensions/blindfold@blindfold.example
check "its GNOME Shell extension is where the Shell looks" test -s "$extension/extension.js" -a -s "$extension/metadata.json"

# What the menu starts: the entry's command, found on the PATH, with settings
# and a runtime folder of its own.
command=$(sed -n 's/^Exec=//p' "$entry")
home=/tmp/blindfold-check
"${run[@]}" env -i PATH=/usr/bin:/bin DISPLAY="$DISPLAY" HOME=$home XDG_CONFIG_HOME=$home/config \
  XDG_CONFIG_DIRS=$home/xdg XDG_RUNTIME_DIR=$home/run \
  sh -c "mkdir -p -m 700 $home/run && exec $command" >"$session/blindfold.log" 2>&1 &
pid=$!
panel() { xdotool search --onlyvisible --name '^Blindfold$' 2>/dev/null | head -1; }
shown() { [ -n "$(panel)" ]; }
for _ in $(seq 150); do shown && break; sleep 0.1; done
check "the menu's command shows the panel" shown
# The panel's icon is the program's own picture, read from its data folder.
# (grep -c reads to the end: xprop cut off by an early grep -q fails the pipe.)
check "the panel has its icon" eval '[ "$(xprop -id "$(panel)" _NET_WM_ICON | grep -c "Icon (")" -gt 0 ]'
check "it is still running" kill -0 "$pid"
$sudo kill "$pid" 2>/dev/null || true
wait "$pid" 2>/dev/null || true
pid=""
check "apt-get removes it again" quietly "${run[@]}" apt-get remove -y -qq blindfold
check "and the program has gone" test ! -e "$root/usr/bin/blindfold"
if [ $failures -gt 0 ]; then
  echo "--- blindfold's output" >&2
  tail -20 "$session/blindfold.log" >&2
  exit 1
fi
