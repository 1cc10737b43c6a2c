#!/usr/bin/env bash
# Installs, from Debian's packages, whatever the build and the tests need and
# this machine lacks, and checks that it is then all there. Does nothing when
# everything is there. Another package manager at work (an unattended upgrade,
# a software centre) is waited for, up to BLINDFOLD_APT_WAIT seconds (600);
# packages it left half-configured, or with their triggers pending, are
# finished first.
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
  gnome-shell nodejs                              # GNOME's tests: the Shell headless, with Blindfold's extension;
                                                  # the extension for newer Shells read as a module
)

# A package counts when dpkg has configured it; one unpacked, half-configured
# or with its triggers pending is finished by `dpkg --configure -a`, not by
# installing it again (apt-get would call it the newest and leave it so).
missing=()
unfinished=()
find_missing() {
  missing=()
  unfinished=()
  local package status
  for package in "${packages[@]}"; do
    status=$(dpkg-query -W -f='${Status}' "$package" 2>/dev/null || true)
    case "$status" in
      "install ok installed"|"hold ok installed") ;;
      "install ok "*|"hold ok "*) unfinished+=("$package") ;;
      *) missing+=("$package") ;;
    esac
  done
}

find_missing
[ ${#missing[@]} -eq 0 ] && [ ${#unfinished[@]} -eq 0 ] && exit 0

sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
export DEBIAN_FRONTEND=noninteractive
wait_limit=${BLINDFOLD_APT_WAIT:-600}

# dpkg and apt hold POSIX locks on these files while they work. The kernel's
# list of locks names each by device and inode, which anyone may read, so the
# wait needs neither root nor a tool beyond coreutils.
lock_files=(/var/lib/dpkg/lock-frontend /var/lib/dpkg/lock /var/lib/apt/lists/lock /var/cache/apt/archives/lock)
package_manager_busy() {
  local file dev key
  for file in "${lock_files[@]}"; do
    [ -e "$file" ] || continue
    dev=$(stat -c %d "$file")
    # As /proc/locks writes it: major and minor in hex, then the inode.
    key=$(printf '%02x:%02x:%s' $(((dev >> 8) & 0xfff)) $(((dev & 0xff) | ((dev >> 12) & 0xfff00))) \
      "$(stat -c %i "$file")")
    awk -v key="$key" '$6 == key { found = 1 } END { exit !found }' /proc/locks && return 0
  done
  return 1
}
wait_for_package_manager() {
  local waited=0
  while package_manager_busy; do
    if [ $waited -eq 0 ]; then
      echo "Another package manager is at work; waiting for it to finish (up to ${wait_limit} s)..."
    elif [ $waited -ge "$wait_limit" ]; then
      echo "The package manager is still busy after ${wait_limit} s: run this again when it has finished." >&2
      exit 1
    fi
    sleep 2
    waited=$((waited + 2))
  done
}
# apt waits for dpkg's lock itself as well, for whoever takes it between our
# look and its start.
apt_get() { $sudo apt-get -o DPkg::Lock::Timeout="$wait_limit" "$@"; }

if [ ${#unfinished[@]} -gt 0 ] || [ -n "$(dpkg --audit 2>/dev/null)" ]; then
  wait_for_package_manager
  echo "Finishing what dpkg left unconfigured: ${unfinished[*]:-other packages}"
  $sudo dpkg --configure -a
  find_missing
fi

if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  wait_for_package_manager
  apt_get update -qq
  apt_get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
  find_missing
fi

if [ ${#missing[@]} -gt 0 ] || [ ${#unfinished[@]} -gt 0 ]; then
  echo "Still not installed: ${missing[*]} ${unfinished[*]}" >&2
  exit 1
fi
