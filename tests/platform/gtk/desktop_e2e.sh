#!/usr/bin/env bash
# The native program on a real desktop (the x11_session fixture: Xvfb, openbox,
# tint2, PulseAudio), driven as a user drives it: clicks and keys through XTest,
# another process's windows to hide, the settings file and the autostart entry
# read from disk.
#   desktop_e2e.sh BLINDFOLD TEST_WINDOWS_APP SESSION_DIR
# Controls are found as a screen reader finds them, by their accessible names
# through AT-SPI on a D-Bus of the run's own, or reached by their access keys:
# the panel's boxes place them wherever the theme and the font put them.
set -euo pipefail

blindfold=$1
test_windows=$2
session=$3
x11_session=$(dirname "$0")/../../../scripts/x11-session.sh
set -a
source "$session/env"
set +a
work=$(mktemp -d)
pids=()
source "$(dirname "$0")/e2e_common.sh"
autostart="$config/autostart/blindfold.desktop"
# A session bus of the run's own, for the accessibility bus that GTK and the
# AT-SPI checks below find through it.
{
  read -r DBUS_SESSION_BUS_ADDRESS
  read -r bus_pid
} < <(dbus-daemon --session --fork --print-address=1 --print-pid=1)
export DBUS_SESSION_BUS_ADDRESS
pids+=("$bus_pid")

cleanup() {
  for pid in "${pids[@]}"; do kill -9 "$pid" 2>/dev/null || true; done
  [ -n "${KEEP:-}" ] || rm -rf "$work"
}
trap cleanup EXIT

panel_shown() { [ -n "$(panel)" ]; }
panel_hidden() { [ -z "$(panel)" ]; }
a11y() { /usr/bin/python3 "$(dirname "$0")/panel_a11y.py" "$@"; }
click_at() {  # click_at X Y on the screen [CLICK-ARGUMENTS...]
  local x=$1 y=$2
  shift 2
  xdotool mousemove "$x" "$y" click "${@:-1}"
  sleep 0.5
}
# A control of the panel by its accessible name, in the frame whose caption
# starts with FRAME if given.
press() {  # press NAME [FRAME]
  local at
  at=$(a11y where "$@") || { echo "no control \"$1\" in the panel" >&2; return 1; }
  # shellcheck disable=SC2086
  click_at $at
}
# A cell of a list: the open windows' list has the marks in column 0, then the
# title; the always-hide list starts with the title.
cell() {  # cell LIST ROW COLUMN [CLICK-ARGUMENTS...]
  local at
  at=$(a11y cell "$1" "$2" "$3") || { echo "no row $2 in the list \"$1\"" >&2; return 1; }
  shift 3
  # shellcheck disable=SC2086
  click_at $at "$@"
}
double_click_cell() { cell "$@" --repeat 2 --delay 80 1; }
# The panel, shown and drawn.
panel_ready() {
  eventually panel_shown && sleep 1
}
select_all() { press "[ Select All ]"; }  # on the first page
hide_me() { press "Hide me!"; }
# The tray icon: the window GTK embeds in tint2's tray.
tray_icon() {
  xwininfo -root -tree | sed -n 's/^ *\(0x[0-9a-f]*\) .*("blindfold" "Blindfold")  22x22+0+0.*/\1/p' | head -1
}
# Embedded, not left on the root window by a tray that went.
tray_shown() {
  local icon
  icon=$(tray_icon)
  [ -n "$icon" ] && [ "$(xwininfo -children -id "$icon" | grep -c 'Parent window id: .*(the root window)')" -eq 0 ]
}
# The colour in the middle of the tray icon, as "R,G,B".
tray_colour() {
  import -window "$(tray_icon)" -format '%[fx:int(255*p{11,11}.r)],%[fx:int(255*p{11,11}.g)],%[fx:int(255*p{11,11}.b)]' info: 2>/dev/null
}
tray_colour_is() { [ "$(tray_colour)" = "$1" ]; }
# The red of the band across the middle of the program's icon.
band_red="217,67,47"
on_tray() {  # on_tray XDOTOOL-CLICK-ARGUMENTS...
  xdotool mousemove --window "$(tray_icon)" 11 11 click "$@"
  sleep 0.5
}

# Another program's windows, open as long as their input is.
windows_of() {  # windows_of FD DESCRIPTION...
  local fd=$1 fifo="$work/windows$1"
  shift
  mkfifo "$fifo"
  "${program:-$test_windows}" "$@" <"$fifo" >"$fifo.ids" &
  pids+=($!)
  eval "exec $fd>$fifo"
  eventually test -s "$fifo.ids"
}

start_blindfold() {
  launch_blindfold
  panel_ready
}

# Commands to the running Blindfold, as a desktop's key binding, a launcher or
# a script sends them. `said` holds what the last one printed, `answer` its
# exit status.
command_blindfold() {
  answer=0
  "$blindfold" "$@" >"$work/said" 2>&1 || answer=$?
}
said() { grep -q -e "$1" "$work/said"; }
# One sent in the background, while the test answers the Login dialog.
command_in_background() {
  "$blindfold" "$@" >"$work/said" 2>&1 &
  sender=$!
}
answer_of_sender() {
  answer=0
  wait "$sender" || answer=$?
}
# Types PASSWORD into the Login dialog the command opened; a sender whose
# dialog never came is ended, so that the run goes on.
login_for_sender() {
  if eventually eval '[ -n "$(login)" ]'; then
    xdotool windowactivate --sync "$(login)" type --delay 50 "$1"
    keys Return
  else
    echo "no Login dialog for the command" >&2
    kill "$sender" 2>/dev/null || true
  fi
}
# Whether Blindfold, asked to end, ended by itself with status 0; one that
# hangs on is killed, so that the run goes on.
ends_cleanly() {
  local status=0
  eventually eval "! kill -0 $blindfold_pid" || kill -9 "$blindfold_pid"
  wait "$blindfold_pid" || status=$?
  [ "$status" -eq 0 ]
}
# A message of Blindfold's: a dialog titled as the panel is.
message_shown() {
  local window
  for window in $(xdotool search --onlyvisible --name '^Blindfold$' 2>/dev/null); do
    xprop -id "$window" _NET_WM_WINDOW_TYPE | grep -q _NET_WM_WINDOW_TYPE_DIALOG && { message=$window; return 0; }
  done
  return 1
}
answer_message() {
  if eventually message_shown; then
    xdotool windowactivate --sync "$message" 2>/dev/null || true
    keys Return
  fi
}
status=0
output=$(env -u DISPLAY "$blindfold" 2>&1) || status=$?
check "without an X server it says it needs an X11 session, and fails" \
  eval '[ "$status" -ne 0 ] && grep -q "needs an X11 session" <<<"$output"'

windows_of 7 "Secret notes|notes" "Letter|letter"
notes=$(head -1 "$work/windows7.ids")
letter=$(sed -n 2p "$work/windows7.ids")

start_blindfold
check "the panel shows at start" panel_shown
# Every page shown once (a page is made when first shown): a screen reader
# finds every control by its name, in its frame.
keys ctrl+Tab ctrl+Tab ctrl+Tab ctrl+Tab ctrl+Tab
check "every control of the panel has its accessible name" a11y check
# A label's access key takes the focus to its field.
focus_is() { [[ "$(a11y focused)" == "$1"* ]]; }  # focus_is ROLE|NAME|FRAME-START
access_keys=(
  "ctrl+Tab alt+k|text|Key:|Blindfold hide/display"
  "alt+e|text|Key:|Windows hide/display"
  "alt+y|text|Key:|Panic hide"
  "ctrl+Tab alt+p|password text|Password:|Password protection"
  "alt+r|slider|Restore volume level (0-100%):|Sound"
  "ctrl+Tab alt+p|text|Blindfold Tray Icon Tip:|Blindfold Tray Icon Tip"
)
for access_key in "${access_keys[@]}"; do
  # shellcheck disable=SC2086
  keys ${access_key%%|*}
  check "${access_key%%|*} takes the focus to \"$(cut -d'|' -f3 <<<"$access_key")\" ($(cut -d'|' -f4 <<<"$access_key"))" \
    focus_is "${access_key#*|}"
done
check "with no tray gesture stored, neither row of gestures shows one chosen" \
  eval '[ -z "$(a11y chosen "Display Menu")$(a11y chosen "Hide Windows")" ]'
keys ctrl+Tab ctrl+Tab
# The page of open windows lists the notes and the letter: a plain click on
# each row's box marks both.
cell "Open windows" 0 0
cell "Open windows" 1 0
# Hotkeys page: the panel's key becomes P, the windows' key Q.
keys ctrl+Tab
keys alt+k ctrl+a p
keys alt+e ctrl+a q
# Settings page: start on logging in.
keys ctrl+Tab
press "[ Start Blindfold everytime you log in ]"
hide_me
check "Hide me! hides the panel" eventually panel_hidden
check "Hide me! saves the keys" grep -q 'ShortcutKey=.*P' "$settings"
check "and the tray icon shipped beside the program as the default one" \
  grep -qx "TrayIcon=$(dirname "$(readlink -f "$blindfold")")/bf.ico" "$settings"
check "Hide me! writes the autostart entry" grep -q "^Exec=.*blindfold" "$autostart"

keys super+q
check "the windows hotkey hides both windows marked by plain clicks" eventually eval "unmapped $notes && unmapped $letter"
keys super+q
check "the windows hotkey shows them again" eventually eval "mapped $notes && mapped $letter"

windows_of 8 "Public page|browser"
page=$(head -1 "$work/windows8.ids")
panic=$(sed -n 's/^PanicShortcutKey=.*,\(.\)$/\1/p' "$settings" | tr "A-Z" "a-z" || true)
keys "super+${panic:-v}"
check "panic hides every window" eventually eval "unmapped $notes && unmapped $page"
keys super+q
check "the windows hotkey shows what panic hid" eventually eval "mapped $notes && mapped $page"
exec 8>&-  # the public page goes

# Programs that fight back: one maps its hidden window again, one forges
# Blindfold's mark on a window on screen, one rewrites the mark of its hidden
# window to list that window itself among those shown with it. A hidden
# program's pop-up (a menu, its own notification) hides with it too, and is
# left to its program afterwards.
command_to() {  # command_to FD LINE: sent, and carried out
  local fd=$1 done
  done=$(grep -c '^done' "$work/windows$fd.ids" || true)
  echo "$2" >&"$fd"
  eventually eval "[ \$(grep -c '^done' '$work/windows$fd.ids') -gt $done ]"
}
windows_of 11 "Comes back|pest" "Forged mark|pest" "Lists itself|pest" "Pop-up|pest|popup"
comes_back=$(sed -n 1p "$work/windows11.ids")
forged=$(sed -n 2p "$work/windows11.ids")
self_listed=$(sed -n 3p "$work/windows11.ids")
popup=$(sed -n 4p "$work/windows11.ids")
command_to 11 "mark 1"
keys "super+${panic:-v}"
check "panic hides a window bearing a forged mark too" \
  eventually eval "unmapped $forged && unmapped $comes_back && unmapped $self_listed"
sleep 2
command_to 11 "map 0"
sleep 1
check "a hidden window its program maps again is hidden again" eventually unmapped "$comes_back"
command_to 11 "map 3"
sleep 1
check "a pop-up the hidden program opens is hidden too" eventually unmapped "$popup"
command_to 11 "mark 2"
keys super+q
check "a window whose mark lists itself is shown" eventually mapped "$self_listed"
check "and Blindfold lives on" kill -0 "$blindfold_pid"
check "the window that came back is shown with the rest" eventually eval "mapped $comes_back && mapped $forged"
sleep 1
check "but the pop-up, long closed by its program, is not put back on top" unmapped "$popup"
exec 11>&-

# Dying while windows are hidden leaves them to the next start, whatever bytes
# their classes hold: Latin-1, as ICCCM allows, or a line break.
windows_of 12 $'Caf\xe9 window|Caf\xe9' $'Two lines|line\nbreak'
latin1=$(sed -n 1p "$work/windows12.ids")
two_lines=$(sed -n 2p "$work/windows12.ids")
keys "super+${panic:-v}"
check "the notes are hidden before the kill" eventually eval "unmapped $notes && unmapped $latin1 && unmapped $two_lines"
kill -9 "$blindfold_pid"
wait "$blindfold_pid" 2>/dev/null || true
check "a killed Blindfold leaves its windows hidden" unmapped "$notes"
# The record also names a window Blindfold never hid, which its own program
# withdrew.
windows_of 13 "Stranger|other"
stranger=$(head -1 "$work/windows13.ids")
command_to 13 "withdraw 0"
record=$(ls "$XDG_RUNTIME_DIR"/blindfold/hidden-windows-*.ini)
sed -i "s/^HiddenWindows=.*/&$stranger,${pids[-1]},other\\\\n/" "$record"
# Meanwhile the user puts a window class in the always-hide list by hand: an
# entry is a row of the open-windows list, title and class.
sed -i 's/^AlwaysHide=.*/AlwaysHide=Old diary\tdiary  (class)/' "$settings"
start_blindfold
check "the next start brings them back" eventually eval "mapped $notes && mapped $latin1 && mapped $two_lines"
check "but not a window it never hid" unmapped "$stranger"
exec 12>&- 13>&-
keys super+p
check "the restart reloaded the panel's key" eventually panel_hidden
keys super+p
check "which shows the panel again" panel_ready
# The user makes the panel larger and puts it elsewhere: hidden and shown
# again, it comes back there, at that size.
panel_place() { xdotool getwindowgeometry "$(panel)" | sed -n 's/^ *\(Position\|Geometry\): \([0-9x,]*\).*/\2/p' | xargs; }
xdotool windowsize "$(panel)" 900 800 windowmove "$(panel)" 200 100
sleep 1
left=$(panel_place)
check "the panel can be made larger" eval '[[ "$left" == *" 900x800" ]]'
keys super+p
eventually panel_hidden
keys super+p
panel_ready
check "and comes back where it was left, at that size" eval '[ "$(panel_place)" = "$left" ]'

# The always-hide list. With no entry selected, an entry hides every window of
# its class when the windows hide, whatever their titles, and a window of that
# class that opens while they are hidden; another class's window of the same
# title stays.
windows_of 9 "Diary draft|diary" "Diary|editor" "Diary|diary"
draft=$(sed -n 1p "$work/windows9.ids")
editor=$(sed -n 2p "$work/windows9.ids")
diary=$(sed -n 3p "$work/windows9.ids")
keys super+q
check "an always-hide entry from the settings file hides its class" eventually eval "unmapped $draft && unmapped $diary"
check "but not the same title in another class" mapped "$editor"
windows_of 10 "Diary page two|diary"
check "a window of that class is hidden as it opens" eventually unmapped "$(head -1 "$work/windows10.ids")"
keys super+q
check "the windows hotkey shows them all" \
  eventually eval "mapped $draft && mapped $diary && mapped $notes && mapped $(head -1 "$work/windows10.ids")"
exec 10>&-
# In the panel: the entry goes (a double click on it), the diary comes in (a
# double click on its row, the top one once it is raised) and is selected:
# the selected entry hides the windows of its title instead.
xdotool windowactivate --sync "$diary"
keys super+p
panel_ready
double_click_cell "Always hide" 0 0   # the entry in the always-hide list
# The entry marked its class's windows: they are left unmarked, each box
# being its own.
press "[ Clear All ]"
double_click_cell "Open windows" 0 1  # the diary's row of open windows, by its title
cell "Always hide" 0 0                # the new entry
hide_me
check "Hide me! saves the always-hide list as edited" grep -qx $'AlwaysHide=Diary\tdiary  (class)' "$settings"
keys super+q
check "the selected entry hides the windows of its title" eventually eval "unmapped $diary && unmapped $editor"
check "and not the rest of its class" mapped "$draft"
keys super+q
check "and shows them again" eventually eval "mapped $diary && mapped $editor"
exec 9>&-  # the diaries go
keys super+p
panel_ready

# Always hide by program: two programs whose windows share a class. The chosen
# window's program goes in the list from its row, and only that program's
# windows hide, the one it opens while they are hidden too.
#
# With "Mute only the hidden programs", each program playing a tone of its own
# (the call 440 Hz, the song 1000 Hz, each from a process the program
# started), hiding the call silences its tone alone on the sink, and showing
# it brings the tone back.
cp "$test_windows" "$work/player"
tab=$'\t'
for hz in 440 1000; do
  python3 - "$work/$hz.wav" "$hz" <<'TONE'
import math, struct, sys, wave
with wave.open(sys.argv[1], "wb") as out:
    out.setnchannels(1)
    out.setsampwidth(2)
    out.setframerate(8000)
    hz = int(sys.argv[2])
    second = b"".join(struct.pack("<h", int(9000 * math.sin(2 * math.pi * hz * i / 8000))) for i in range(8000))
    out.writeframes(second * 600)
TONE
done
playing() {  # playing WAV PROGRAM: a program that plays WAV through a process of its own
  printf '#!/bin/sh\npaplay "%s" &\necho $! >>"%s"\nexec "%s" "$@"\n' "$1" "$work/tones" "$2"
}
playing "$work/440.wav" "$work/player" >"$work/player-playing"
playing "$work/1000.wav" "$test_windows" >"$work/song-playing"
chmod +x "$work/player-playing" "$work/song-playing"
monitor="$(pactl get-default-sink).monitor"
# The tone's strength in the next second of what the sink plays, from 0 to
# about 27 (the tones' own): a Goertzel filter over 8000 samples.
tone_level() {  # tone_level HZ
  parec -d "$monitor" --raw --format=s16le --rate=8000 --channels=1 2>/dev/null | head -c 16000 |
    python3 -c '
import math, struct, sys
data = sys.stdin.buffer.read()
samples = struct.unpack("<%dh" % (len(data) // 2), data)
k = 2 * math.cos(2 * math.pi * int(sys.argv[1]) / 8000)
s1 = s2 = 0.0
for x in samples:
    s1, s2 = x + k * s1 - s2, s1
power = s1 * s1 + s2 * s2 - k * s1 * s2
print(int(100 * 2 * math.sqrt(max(power, 0)) / max(len(samples), 1) / 32768))' "$1"
}
heard() { [ "$(tone_level "$1")" -ge 10 ]; }
silent() { [ "$(tone_level "$1")" -le 2 ]; }
program="$work/player-playing" windows_of 17 "Call|media"
program="$work/song-playing" windows_of 18 "Song|media"
# shellcheck disable=SC2207
pids+=($(cat "$work/tones"))
check "both programs' tones play" eventually eval "heard 440 && heard 1000"
call=$(head -1 "$work/windows17.ids")
song=$(head -1 "$work/windows18.ids")
keys super+p
eventually panel_hidden
xdotool windowactivate --sync "$call"
keys super+p
panel_ready
press "[ Clear All ]"
cell "Open windows" 0 1   # the call's row, on top
press "Always hide program"
keys ctrl+Tab ctrl+Tab
press "[ Mute only the hidden programs ]"
keys ctrl+Tab ctrl+Tab ctrl+Tab
hide_me
check "and saved as a program entry" \
  grep -qxF "AlwaysHide=Diary${tab}diary  (class),${tab}$work/player  (program)" "$settings"
keys super+q
check "a program entry hides that program's window" eventually unmapped "$call"
check "but not another program's window of the same class" mapped "$song"
check "the hidden program's tone is muted" eventually silent 440
check "while the other program's plays on" heard 1000
check "and the option is saved" grep -qx "bMuteHiddenPrograms=1" "$settings"
program="$work/player" windows_of 19 "Call two|other"
check "a window of that program is hidden as it opens" eventually unmapped "$(head -1 "$work/windows19.ids")"
keys super+q
check "and they show again" eventually eval "mapped $call && mapped $(head -1 "$work/windows19.ids")"
check "and the hidden program's tone is back" eventually eval "heard 440 && heard 1000"
exec 17>&- 18>&- 19>&-
# shellcheck disable=SC2046
kill $(cat "$work/tones")
keys super+p
panel_ready
double_click_cell "Always hide" 1 1   # the program entry goes

# The tray icon, with every gesture: the menu on a double middle click, the
# windows on each of the other five in turn. A click is the button's release,
# which a double click also begins with, so the menu's gesture is a double one
# and the hiding gestures end with another button's.
select_all
keys ctrl+Tab ctrl+Tab ctrl+Tab
press "[ Display Blindfold icon in the system tray ]"
press "[Dbl mid click]" "Display Menu"   # the menu
# A new tip puts the icon in the tray at once; the box alone waits for the
# next start.
keys alt+p && xdotool type --delay 50 "Notes"
hide_options=("[Mid click]" "[Dbl left click]" "[Left click]" "[Dbl right click]" "[Right click]")
gestures=("2" "--repeat 2 --delay 120 1" "1" "--repeat 2 --delay 120 3" "3")
names=("middle click" "double left click" "left click" "double right click" "right click")
for i in "${!gestures[@]}"; do
  if panel_hidden; then
    keys super+p
    panel_ready
    select_all
    keys ctrl+Tab ctrl+Tab ctrl+Tab
  fi
  press "${hide_options[$i]}" "Hide Windows"
  hide_me
  check "the tray icon is in the tray" eventually tray_shown
  if [ "$i" -eq 0 ]; then
    check "showing the program's own icon, not noise" eventually tray_colour_is "$band_red"
  fi
  sleep 1  # placed by the tray
  # shellcheck disable=SC2086
  on_tray ${gestures[$i]}
  check "a ${names[$i]} on the tray icon hides the windows" eventually unmapped "$notes"
  # shellcheck disable=SC2086
  on_tray ${gestures[$i]}
  check "a second ${names[$i]} shows them" eventually mapped "$notes"
done
# The tray is killed while the windows are hidden and another starts, as when
# a panel crashes: Blindfold lives on, and the icon comes back into the new
# tray by itself and still answers.
on_tray 3
check "a right click hides the windows before the tray dies" eventually unmapped "$notes"
# A tray that ends cleanly lets go of the icon, which goes into the next one:
# once, not twice.
"$x11_session" restart-tray "$session"
check "the tray icon comes back once when the tray starts again" \
  eventually eval 'tray_shown && [ "$(xwininfo -root -tree | grep -c "(\"blindfold\" \"Blindfold\")  22x22")" -eq 1 ]'
sleep 2
check "and stays the only one" test "$(xwininfo -root -tree | grep -c '("blindfold" "Blindfold")  22x22')" -eq 1
"$x11_session" restart-tray "$session" KILL
check "the tray icon comes back when the tray starts again" eventually tray_shown
check "Blindfold outlives the tray" kill -0 "$blindfold_pid"
sleep 1  # placed by the tray
on_tray 3
check "a right click on it shows the windows" eventually mapped "$notes"
on_tray 3
check "and hides them again" eventually unmapped "$notes"
on_tray 3
check "and shows them" eventually mapped "$notes"
on_tray --repeat 2 --delay 120 2
keys Down Return
check "the tray menu's Show UI shows the panel" panel_ready

# A picture of the user's own in the tray, PNG, SVG or a Windows icon file
# whose largest picture is PNG-compressed (the shipped one, under another
# name), chosen in the file dialog. The Stealth page is reached by its tab; a
# change there (the tip) must leave the panel on that page.
convert -size 64x64 xc:'#00c000' "$work/green.png"
echo '<svg xmlns="http://www.w3.org/2000/svg" width="64" height="64"><rect width="64" height="64" fill="#0000c0"/></svg>' \
  >"$work/blue.svg"
cp "$(dirname "$0")/../../../assets/bf.ico" "$work/eye.ico"
file_dialog() { xdotool search --onlyvisible --name '^Browse for Blindfold tray icon$' 2>/dev/null | head -1; }
for picture in "green.png 0,192,0" "blue.svg 0,0,192" "eye.ico $band_red"; do
  read -r file colour <<<"$picture"
  xdotool windowactivate --sync "$(panel)"
  press "Stealth"                                 # the tab
  keys alt+p && xdotool type --delay 50 "!"       # the tip
  press "[ Browse for Icon ]"
  check "[ Browse for Icon ] opens the file dialog" eventually eval '[ -n "$(file_dialog)" ]'
  if [ -n "$(file_dialog)" ]; then
    # Ctrl+L opens the box for a typed name, which a first "/" would open too
    # but lose the next keys to. "Open" by its key, Alt+O, once more if the
    # box's completion took it; a Return would reach the link again, which has
    # the focus once the dialog has gone.
    xdotool windowactivate --sync "$(file_dialog)"
    keys ctrl+l
    # The box is drawn a moment after it has the keyboard: keys typed into it
    # before reach a box GTK has not made yet, which it tells on standard error.
    sleep 1
    xdotool type --delay 20 "$work/$file"
    sleep 1
    for _ in 1 2 3; do
      keys alt+o
      for _ in $(seq 30); do [ -z "$(file_dialog)" ] && break 2; sleep 0.1; done
    done
  fi
  hide_me
  check "the tray shows the $file chosen" eventually tray_colour_is "$colour"
  keys super+p
  panel_ready
done

# Start on log-in off again, then the session ends while the windows are
# hidden.
select_all
keys ctrl+Tab ctrl+Tab
press "[ Start Blindfold everytime you log in ]"
hide_me
check "Hide me! removes the autostart entry" eventually eval "! grep -q '^Exec=' '$autostart' 2>/dev/null || grep -q '^Hidden=true' '$autostart'"
keys super+q
check "the marked window is hidden again" eventually unmapped "$notes"
kill -TERM "$blindfold_pid"
check "ending the session shows the hidden windows" eventually mapped "$notes"
status=0
wait "$blindfold_pid" || status=$?
check "and ends Blindfold cleanly" test "$status" -eq 0

# A password in front of showing the windows: the Login dialog asks for it.
start_blindfold
select_all
keys ctrl+Tab ctrl+Tab
keys alt+p && xdotool type --delay 50 secret && keys Return
press "[ Password protect 'Show windows' ]"
hide_me
keys super+q
check "the windows hide without the password" eventually unmapped "$notes"
keys super+q
login() { xdotool search --onlyvisible --name '^Login$' 2>/dev/null | head -1; }
check "showing them asks for the password" eventually eval '[ -n "$(login)" ]'
check "and keeps them hidden meanwhile" unmapped "$notes"
check "its password box is named for a screen reader, and Cancel stands left of OK" a11y login
xdotool windowactivate --sync "$(login)" type --delay 50 secret
keys Return
check "the right password shows them" eventually mapped "$notes"

# From now on the password box holds the stored key, after a restart too. A new
# password typed at its end is exactly what was typed, none of the old key.
kill -TERM "$blindfold_pid"
wait "$blindfold_pid" || true
stored_key() { sed -n 's/^PW=//p' "$settings"; }
old_key=$(stored_key)
start_blindfold
select_all
keys ctrl+Tab ctrl+Tab
keys alt+p End
xdotool type --delay 50 fresh && keys Return
check "a new password typed into the box holding the stored one is set" \
  eventually eval '[ -n "$(stored_key)" ] && [ "$(stored_key)" != "$old_key" ]'
hide_me
keys super+q
check "the windows hide" eventually unmapped "$notes"
answer_login() {  # answer_login PASSWORD
  keys super+q
  eventually eval '[ -n "$(login)" ]' && xdotool windowactivate --sync "$(login)" type --delay 50 "$1"
  keys Return
}
answer_login secret
sleep 1
check "the old password no longer shows them" unmapped "$notes"
answer_login fresh
check "exactly the new one typed does" eventually mapped "$notes"

# Another program holds the panel's key and the panic key. Started hidden and
# without a tray icon, Blindfold would leave no way in: it shows the panel.
kill -TERM "$blindfold_pid"
wait "$blindfold_pid" || true
sed -i 's/^StartHidden=.*/StartHidden=1/; s/^DisplayIcon=.*/DisplayIcon=0/' "$settings"
windows_of 14 "Holds keys|grabber"
command_to 14 "grab p"
command_to 14 "grab v"
launch_blindfold
check "with its key taken and no tray icon, the panel shows at start" eventually panel_shown
sleep 1
press "Hotkeys"
check "and the Hotkeys page tells why the panel's key was refused" a11y shows "Could not be registered"
# Nor may the user lock himself out while it runs: the panel's key becomes
# Win+D, which openbox holds, and "Hide me!" would leave no way back.
keys ctrl+Tab ctrl+Tab ctrl+Tab ctrl+Tab
select_all
keys ctrl+Tab
keys alt+k ctrl+a d
hide_me
check "Hide me! with the panel's key refused and no tray icon keeps the panel, and says why" \
  eval 'message_shown && panel_shown'
answer_message
xdotool windowactivate --sync "$(panel)" 2>/dev/null || true
keys Escape
check "so does Esc" eval 'message_shown && panel_shown'
answer_message
# Hiding the windows takes the panel along: the tray icon comes as the way back.
keys super+q
check "hiding the windows hides the panel" eventually eval "panel_hidden && unmapped $notes"
check "and leaves the tray icon as the way back" eventually tray_shown
sleep 1  # placed by the tray
on_tray --repeat 2 --delay 120 2
keys Down Down Return  # Lock comes first, with a password set
check "whose Show UI asks for the password" eventually eval '[ -n "$(login)" ]'
xdotool windowactivate --sync "$(login)" type --delay 50 fresh 2>/dev/null || true
keys Return
check "and shows the panel" panel_ready
# The session ends while the Login dialog waits: Blindfold ends as it would
# otherwise, leaving what the password guards hidden.
keys super+q
check "the windows hide" eventually unmapped "$notes"
keys super+q
check "showing them opens the Login dialog" eventually eval '[ -n "$(login)" ]'
kill -TERM "$blindfold_pid"
check "the end of the session while the Login dialog waits ends Blindfold cleanly" ends_cleanly
check "leaving the guarded windows hidden" unmapped "$notes"
command_in_background --restore
login_for_sender fresh
answer_of_sender
check "for --restore to bring back" eval '[ "$answer" -eq 0 ] && mapped $notes'
sed -i 's/^\(BlindfoldShortcutKey=.*,\)D$/\1P/' "$settings"
exec 14>&-

# What Blindfold cannot read or write, it says, once, at start; the message is
# a dialog, the panel is not. A settings file that cannot be read (here a link
# to itself) is left as it is.
mv "$settings" "$settings.kept"
ln -s "$(basename "$settings")" "$settings"
launch_blindfold
check "settings that cannot be read are told of" eventually message_shown
xdotool windowactivate --sync "$(panel)" 2>/dev/null || true
keys Return
kill -TERM "$blindfold_pid"
wait "$blindfold_pid" || true
check "and left as they were" test -L "$settings"
rm "$settings" && mv "$settings.kept" "$settings"
# No place for the record: a file stands where its folder would be. Hiding
# still works.
mkdir -m 700 "$work/run2" && : >"$work/run2/blindfold"
XDG_RUNTIME_DIR="$work/run2" launch_blindfold
check "a record that cannot be kept is told of" eventually message_shown
# The session ends while the message waits for the user.
kill -TERM "$blindfold_pid"
check "the end of the session while a message waits ends Blindfold cleanly" ends_cleanly
XDG_RUNTIME_DIR="$work/run2" launch_blindfold
answer_message
keys super+v
check "and the windows hide all the same" eventually unmapped "$notes"
# Without its lock file, a second start still finds the first, and ends.
XDG_RUNTIME_DIR="$work/run2" "$blindfold" >>"$work/blindfold.log" 2>&1 &
second=$!
pids+=("$second")
check "a second start without a lock file ends" eventually eval "! kill -0 $second"
check "leaving the first running" kill -0 "$blindfold_pid"
# Killed without a record, Blindfold leaves its windows to their marks: the
# next start takes back the windows whose mark it sealed, still guarded by the
# password, and not a stranger's window under a mark and seal copied from one
# of them.
windows_of 15 "Copies a seal|copier"
copier=$(head -1 "$work/windows15.ids")
command_to 15 "copy 0 $notes"
command_to 15 "withdraw 0"
kill -9 "$blindfold_pid"
wait "$blindfold_pid" 2>/dev/null || true
XDG_RUNTIME_DIR="$work/run2" launch_blindfold
answer_message
sleep 2
check "a start without a record keeps the windows it finds sealed hidden, behind the password" unmapped "$notes"

# The windows are hidden behind the password: --quit would show them.
command_in_background --quit
check "--quit with windows hidden behind the password asks for it" eventually eval '[ -n "$(login)" ]'
login_for_sender wrong
answer_of_sender
check "a wrong password: --quit fails with 1 and says why" eval '[ "$answer" -eq 1 ] && said "password"'
check "and Blindfold runs on, its windows hidden" eval "kill -0 $blindfold_pid && unmapped $notes"
# A second command while the first one's dialog waits: as a second press of
# the hotkey, it closes the dialog, and neither shows the windows.
command_in_background --toggle
check "--toggle asks for the password too" eventually eval '[ -n "$(login)" ]'
first=$sender
"$blindfold" --toggle >"$work/said-second" 2>&1 &
sender=$!
answer_of_sender
second_answer=$answer
sender=$first
answer_of_sender
check "another command meanwhile: both fail with 1, the windows stay hidden" \
  eval '[ "$answer" -eq 1 ] && [ "$second_answer" -eq 1 ] && unmapped $notes && kill -0 $blindfold_pid'
command_in_background --quit
login_for_sender fresh
answer_of_sender
check "the right one: --quit ends Blindfold, showing its windows" eval '[ "$answer" -eq 0 ] && mapped $notes'
check "and Blindfold has ended" eventually eval "! kill -0 $blindfold_pid"
check "but not the window under a copied seal" unmapped "$copier"
exec 15>&-

command_blindfold --toggle
check "with no Blindfold running, a command fails with 2 and says so" eval '[ "$answer" -eq 2 ] && said "not running"'
command_blindfold --help
check "--help prints the usage" eval '[ "$answer" -eq 0 ] && said "^Usage: blindfold" && said "--restore"'
command_blindfold --version
check "--version prints the version" eval '[ "$answer" -eq 0 ] && said "^Blindfold [0-9]*\.[0-9]*\.[0-9]*$"'
# Left hidden by a Blindfold that died: --restore needs no running one, and
# asks for the password that guards them.
launch_blindfold
eventually eval 'xprop -root | grep -q "^_NET_CLIENT_LIST" && command_blindfold --panic && [ "$answer" -eq 0 ]'
check "--panic hides every window" eventually unmapped "$notes"
kill -9 "$blindfold_pid"
wait "$blindfold_pid" 2>/dev/null || true
command_in_background --restore
login_for_sender fresh
answer_of_sender
check "--restore shows what a killed Blindfold left hidden" eval '[ "$answer" -eq 0 ] && mapped $notes'

# Without the password, a storm of toggles: each one waits for its answer, so
# the windows end as the count says.
sed -i 's/^PPShowWindows=.*/PPShowWindows=0/' "$settings"
launch_blindfold
eventually eval 'command_blindfold --panic && [ "$answer" -eq 0 ]'
check "--panic hides every window again" eventually unmapped "$notes"
storm=0
for _ in $(seq 100); do
  command_blindfold --toggle
  [ "$answer" -eq 0 ] || storm=$((storm + 1))
done
check "a hundred --toggle are all taken" test "$storm" -eq 0
check "and leave the windows hidden, as an even count does" eval "unmapped $notes && kill -0 $blindfold_pid"
command_blindfold --toggle
check "one more shows them" eventually mapped "$notes"
command_blindfold --frobnicate
check "an unknown option fails with 2 and says which" eval '[ "$answer" -eq 2 ] && said "unknown option \"--frobnicate\""'
command_blindfold --toggle --panic
check "as do two options" eval '[ "$answer" -eq 2 ] && said "unknown option \"--panic\""'
DBUS_SESSION_BUS_ADDRESS="unix:path=$work/no-bus" command_blindfold --toggle
check "without a session bus a command fails with 1 and says why" eval '[ "$answer" -eq 1 ] && said "session bus"'
check "leaving Blindfold and its windows as they were" eval "kill -0 $blindfold_pid && mapped $notes"
command_blindfold --panel
check "--panel shows the panel" eventually panel_shown
# A second start, as from the menu, while another window has the keyboard.
xdotool windowactivate --sync "$notes" 2>/dev/null || true
"$blindfold" >>"$work/blindfold.log" 2>&1 || true
check "a second start brings the open panel to the front" eventually eval '[ "$(xdotool getactivewindow)" = "$(panel)" ]'
command_blindfold --quit
check "--quit is taken" eval '[ "$answer" -eq 0 ]'
check "and ends Blindfold" eventually eval "! kill -0 $blindfold_pid"

# A handler that throws is caught where GTK or GLib called it: Blindfold
# answers on, and its panel takes clicks. Nothing a user does makes one throw,
# so the run asks for it: the panel the logic shows throws in the middle of
# its render, inside the command's event, and so does the first click.
BLINDFOLD_TEST_THROW=show,click launch_blindfold
eventually eval 'command_blindfold --panic && [ "$answer" -eq 0 ]'
check "--panic hides the windows" eventually unmapped "$notes"
command_blindfold --panel
check "a command whose event throws fails with 1, and Blindfold lives on" \
  eval '[ "$answer" -eq 1 ] && kill -0 $blindfold_pid'
command_blindfold --panel
check "and answers the next command, which shows the panel" eval '[ "$answer" -eq 0 ] && panel_ready'
press "Hide me!"
check "a click whose handler throws is lost, and Blindfold lives on" eval "panel_shown && kill -0 $blindfold_pid"
press "Hide me!"
check "the panel still takes clicks" eventually panel_hidden
# Aborted with the windows hidden, Blindfold shows them before it dies.
command_blindfold --panic
check "the windows hide again" eventually unmapped "$notes"
kill -ABRT "$blindfold_pid"
check "an aborted Blindfold shows the windows it hid first" eventually mapped "$notes"
wait "$blindfold_pid" 2>/dev/null || true

check "Blindfold's standard error tells of no misuse of GLib or GTK" stderr_clean

if [ $failures -gt 0 ]; then
  echo "--- blindfold's output" >&2
  tail -40 "$work/blindfold.log" >&2
  exit 1
fi
