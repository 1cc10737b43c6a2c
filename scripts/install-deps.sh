#!/usr/bin/env bash
# Installs, from Debian's packages, whatever the build and the tests need and
# this machine lacks. Does nothing when everything is there.
set -euo pipefail

packages=(
  cmake make g++ clang libclang-rt-14-dev         # native build, sanitizers, libFuzzer
  googletest libgtest-dev libgmock-dev libbenchmark-dev
  g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64   # the Windows build
  nsis                                            # its setup program
  wine wine64 xvfb xauth                          # running it: Wine on a virtual X display
  fonts-wine                                      # Wine's own fonts: caption buttons drawn as symbols
  pulseaudio                                      # an audio device for the volume tests
  pkg-config libx11-dev libglib2.0-dev libpulse-dev nettle-dev   # the X11 platform
  openbox tint2 xdotool x11-utils                 # its tests: a window manager, a panel, key presses
  python3-pyatspi at-spi2-core                    # the panel as a screen reader finds it
  icewm fluxbox xfwm4 xfce4-panel dbus            # other desktops, for the restore tests and by hand
  xterm x11-apps wmctrl                           # real programs to hide, and a pager's requests
  libgtkmm-3.0-dev                                # the native panel and tray icon
  imagemagick                                     # screenshots of the panel, the Windows icon
  librsvg2-bin dpkg-dev file                      # the Debian package: icon sizes, its dependencies
  desktop-file-utils debootstrap                  # its menu entry checked; a clean Debian to try it in
  lintian man-db                                  # the package and its manual page checked
  libxtst-dev                                     # the whole-program benchmark's key presses
  sway libjson-glib-dev                           # sway's desktop: the compositor, its IPC's JSON
  foot wtype zenity                               # its tests: Wayland programs, key presses
  i3-wm                                           # i3, which speaks sway's IPC on X
  kwin-wayland libgl1-mesa-dri                    # the KWin script's tests: KWin on a virtual screen, drawn by Mesa
  gtk-3-examples python3-gi                       # GTK windows for it to hide; the stand-in for Blindfold
)

missing=()
for package in "${packages[@]}"; do
  status=$(dpkg-query -W -f='${Status}' "$package" 2>/dev/null || true)
  [ "$status" = "install ok installed" ] || missing+=("$package")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
