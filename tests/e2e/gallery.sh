#!/usr/bin/env bash
# gallery.exe under Wine, driven as a person would: started from another
# folder, it loads rip.tmp from its own (the title says so); both forms open,
# a screenshot of them (GALLERY_SHOT), a message box opened by its button and
# answered from the keyboard, a menu opened by the mouse and an item chosen
# by its key, skins switched from the Skin menu by keyboard, the program left
# through File, Exit by keyboard; then started again with --skin=.
# Needs DISPLAY, WINEPREFIX and PELLAMY_BIN.
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
source "$here/driver.sh"
shot=${GALLERY_SHOT:-$PELLAMY_BIN/../gallery.png}
pid=
fail() { echo "FAIL: $*" >&2; [ -n "$pid" ] && kill "$pid" 2>/dev/null; exit 1; }
pellamy_prefix

find_window() {  # title regex; waits up to a minute (Wine starts slowly on a loaded machine)
  local wid end=$((SECONDS + 60))
  while [ "$SECONDS" -lt "$end" ]; do
    wid=$(xdotool search --onlyvisible --name "$1" 2>/dev/null | head -1 || true)
    [ -n "$wid" ] && { echo "$wid"; return 0; }
    sleep 0.1
  done
  return 1
}
# A pixel of a window as "r,g,b".
pixel() {
  local geo x y
  geo=$(xdotool getwindowgeometry --shell "$1")
  x=$(echo "$geo" | sed -n 's/^X=//p'); y=$(echo "$geo" | sed -n 's/^Y=//p')
  import -window root -crop "1x1+$((x + $2))+$((y + $3))" -depth 8 txt:- | tail -1 |
    sed -E 's/^[^(]*\(([0-9]+),([0-9]+),([0-9]+).*/\1,\2,\3/'
}

# The skinned frame's widths (from the skin file itself, whichever skin it
# is) place the points below; Wine's menu bar is 19 pixels high.
PELLAMY_SKIN=rip.tmp pellamy_skin_frame
[ -n "$SKIN_LEFT" ] || fail "no rip.tmp next to the gallery"
MENU_H=19
menu_y=$((SKIN_TOP + MENU_H / 2))
client_y=$((SKIN_TOP + MENU_H))

elsewhere=$(mktemp -d)
trap 'rm -rf "$elsewhere"' EXIT
(cd "$elsewhere" && exec "$WINE" "$PELLAMY_BIN/gallery.exe") >/dev/null 2>&1 &
pid=$!
main=$(find_window '^Pellamy gallery - Pellamy Night$') || fail "no gallery form with the rip skin from its folder"
mdi=$(find_window '^Pellamy gallery MDI$') || fail "no MDI form"
# pixel_until WINDOW X Y IS|NOT COLOUR: the pixel once it is (not) COLOUR, up to 5 s.
pixel_until() {
  local p
  for _ in $(seq 100); do
    p=$(pixel "$1" "$2" "$3")
    if [ "$4" = IS ]; then [ "$p" = "$5" ] && break; else [ "$p" != "$5" ] && break; fi
    sleep 0.05
  done
  echo "$p"
}
# wait_menu: until a drop-down menu shows; the letter that opens it is pressed
# again while the skin may still be switching (a key then finds no bar).
wait_menu() {  # WINDOW KEYS
  for _ in 1 2 3 4 5; do
    xdotool key --window "$1" "$2"
    wintree --menu >/dev/null && return 0
  done
  return 1
}

# The tool bar's first glyph, a navy note, below the menu bar: the forms are
# drawn.
glyph_x=$((SKIN_LEFT + 9)) glyph_y=$((client_y + 8))
glyph=$(pixel_until "$main" $glyph_x $glyph_y IS "0,0,128")
[ "$glyph" = "0,0,128" ] || fail "tool bar glyph: $glyph"
# The MDI form's track lists are made and skinned after the main form shows:
# the shot waits until the MDI form looks the same twice running.
settled() {  # WINDOW; up to 10 s
  local a b
  a=$(import -window "$1" -depth 8 rgb:- 2>/dev/null | md5sum)
  for _ in $(seq 50); do
    sleep 0.2
    b=$(import -window "$1" -depth 8 rgb:- 2>/dev/null | md5sum)
    [ "$a" = "$b" ] && return 0
    a=$b
  done
  return 1
}
settled "$mdi" || echo "the MDI form was still changing at the screenshot" >&2
import -window root "$shot" || fail "no screenshot"
echo "both forms open; screenshot in $shot"

# "Message box" asks; N answers No from the keyboard.
window_click "$main" $((SKIN_LEFT + 166)) $((client_y + 104))
box=$(find_window '^gallery$') || fail "no message box"
xdotool key --window "$box" n
wait_gone gallery || fail "message box still open"
echo "message box opened by its button and answered with N"

# View opened by the mouse, Tool bar chosen by its key: the bar goes.
window_click "$main" $((SKIN_LEFT + 75)) $menu_y
wintree --menu >/dev/null || fail "no View menu"
xdotool key t
[ "$(pixel_until "$main" $glyph_x $glyph_y NOT "0,0,128")" != "0,0,128" ] || fail "tool bar still shown"
echo "View menu opened by mouse, Tool bar hidden by its key"

# The Skin menu from the keyboard: No skin (its last item), then
# daylight.tmp (the first skin file by name), each telling in the title; the
# frame goes and comes back.
wait_menu "$main" alt+s || fail "no Skin menu"
xdotool key End Return
find_window '^Pellamy gallery$' >/dev/null || fail "the title still names a skin after No skin"
wait_menu "$main" alt+s || fail "no Skin menu after No skin"
xdotool key Home Return
find_window '^Pellamy gallery - Pellamy Daylight$' >/dev/null || fail "daylight.tmp not chosen from the Skin menu"
echo "Skin menu: No skin, then daylight.tmp, by keyboard"

# File, Exit from the keyboard ends the program with both forms.
wait_menu "$main" alt+f || fail "no File menu"
xdotool key x
for _ in $(seq 100); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
kill -0 "$pid" 2>/dev/null && fail "did not end after File, Exit"
echo "File, Exit by keyboard ended the program"

# --skin= names the skin to start with, relative to where the gallery runs.
(cd "$PELLAMY_BIN" && exec "$WINE" gallery.exe --skin=daylight.tmp) >/dev/null 2>&1 &
pid=$!
main=$(find_window '^Pellamy gallery - Pellamy Daylight$') || fail "--skin=daylight.tmp not loaded"
PELLAMY_SKIN=daylight.tmp pellamy_skin_frame
wintree 'Pellamy gallery - Pellamy Daylight' --enabled >/dev/null || fail "the gallery takes no input"
window_click "$main" $((SKIN_LEFT + 15)) $((SKIN_TOP + MENU_H / 2))
wintree --menu >/dev/null || fail "no File menu by the mouse"
xdotool key x
for _ in $(seq 100); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
kill -0 "$pid" 2>/dev/null && fail "did not end after File, Exit (mouse, then key)"
echo "--skin=daylight.tmp started the gallery with that skin"
