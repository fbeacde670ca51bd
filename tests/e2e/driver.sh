# Drives Pellamy.exe under Wine as a person would, with xdotool on the X
# display: sourced by scripts/run and the end-to-end tests.
# Needs: DISPLAY, WINEPREFIX, PELLAMY_BIN (the folder holding Pellamy.exe).

WINE=${WINE:-/usr/lib/wine/wine64}
CLIENT_W=392
CLIENT_H=378
PELLAMY_PID=
PELLAMY_WID=

# Positions in the window's client area.
ROW_Y0=89 ROW_H=14                  # centre of the first track row, row pitch
CHECK_X=42 TITLE_X=90               # a row's check box, a row's title
MP3_X=48 MP3_Y=249                  # the ".mp3" button
PATH_X=120 PATH_Y=298               # the output path edit
RIP_X=318 RIP_Y=301                 # the rip button
BROWSE_X=255 BROWSE_Y=298           # the "..." button
LINK_X=360 LINK_Y=250               # the link picture (right of the rip button)

pellamy_prefix() {
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    WINEDLLOVERRIDES="mscoree,mshtml=" "$WINE" wineboot -i >/dev/null 2>&1 || true
    wineserver -w
  fi
  # Wine draws the window frames itself on a display without a window manager.
  "$WINE" reg add 'HKCU\Software\Wine\X11 Driver' /v Decorated /d N /f >/dev/null 2>&1
  wineserver -w
}

# pellamy_start [ARGS...]: starts the program and waits for its window.
pellamy_start() {
  (cd "$PELLAMY_BIN" && exec "$WINE" Pellamy.exe "$@") >/dev/null 2>&1 &
  PELLAMY_PID=$!
  PELLAMY_WID=
  for _ in $(seq 150); do
    PELLAMY_WID=$(xdotool search --name '^Pellamy  \(Ver 1\.03\)$' 2>/dev/null | head -1 || true)
    [ -n "$PELLAMY_WID" ] && break
    sleep 0.1
  done
  [ -n "$PELLAMY_WID" ] || { echo "Pellamy's window did not appear" >&2; return 1; }
  sleep 0.5
}

# The client area's top-left corner on the screen.
pellamy_origin() {
  local geo x y w h fx cap
  geo=$(xdotool getwindowgeometry --shell "$PELLAMY_WID")
  x=$(echo "$geo" | sed -n 's/^X=//p'); y=$(echo "$geo" | sed -n 's/^Y=//p')
  w=$(echo "$geo" | sed -n 's/^WIDTH=//p'); h=$(echo "$geo" | sed -n 's/^HEIGHT=//p')
  fx=$(( (w - CLIENT_W) / 2 )); cap=$(( h - CLIENT_H - 2 * fx ))
  echo "$((x + fx)) $((y + fx + cap))"
}

pellamy_move() {  # client x, client y
  local o
  o=($(pellamy_origin))
  xdotool mousemove --sync $((o[0] + $1)) $((o[1] + $2))
}
# A press that lasts a moment, as a hand makes it; Wine drops some instant
# clicks after a dialog has closed.
pellamy_click() {
  pellamy_move "$1" "$2"
  xdotool mousedown 1
  sleep 0.1
  xdotool mouseup 1
  sleep 0.2
}
pellamy_double_click() { pellamy_move "$1" "$2"; xdotool click --repeat 2 --delay 80 1; sleep 0.3; }
pellamy_row_y() { echo $((ROW_Y0 + ROW_H * ($1 - 1))); }

# Ticks a row by double-clicking its title.
pellamy_tick_by_double_click() { pellamy_double_click "$TITLE_X" "$(pellamy_row_y "$1")"; }
# Ticks a row by clicking its check box.
pellamy_tick_by_check_box() { pellamy_click "$CHECK_X" "$(pellamy_row_y "$1")"; }

pellamy_set_output() {  # a Windows path
  pellamy_click "$PATH_X" "$PATH_Y"
  xdotool key --clearmodifiers End shift+Home BackSpace
  xdotool type --delay 20 "$1"
  sleep 0.2
}

pellamy_screenshot() {  # file
  import -window "$PELLAMY_WID" "$1"
}

# Closes the window with its caption's close button.
pellamy_close() {
  pellamy_click 382 -12 >/dev/null 2>&1 || true
  for _ in $(seq 300); do kill -0 "$PELLAMY_PID" 2>/dev/null || return 0; sleep 0.1; done
  echo "Pellamy did not end" >&2
  kill "$PELLAMY_PID" 2>/dev/null
  return 1
}

# wait_for N DIR EXT: waits (up to 5 minutes) until DIR holds N files "track *.EXT"
# and no unfinished WAV file besides them.
wait_for_files() {
  local n=$1 dir=$2 ext=$3
  for _ in $(seq 3000); do
    local have wavs
    have=$(ls "$dir"/track\ *."$ext" 2>/dev/null | wc -l)
    wavs=$(ls "$dir"/track\ *.wav 2>/dev/null | wc -l)
    if [ "$have" -ge "$n" ] && { [ "$ext" = wav ] || [ "$wavs" -eq 0 ]; }; then
      # The last file may still be growing.
      local before after
      before=$(cat "$dir"/track\ *."$ext" | wc -c); sleep 1; after=$(cat "$dir"/track\ *."$ext" | wc -c)
      [ "$before" = "$after" ] && return 0
      continue
    fi
    sleep 0.1
  done
  echo "timed out waiting for $n .$ext files in $dir" >&2
  return 1
}

# dialog_click WINDOW X Y: a click at a point of another window; a dialog
# just shown takes a click only when the press lasts a moment.
dialog_click() {
  local geo x y
  geo=$(xdotool getwindowgeometry --shell "$1")
  x=$(echo "$geo" | sed -n 's/^X=//p'); y=$(echo "$geo" | sed -n 's/^Y=//p')
  xdotool mousemove --sync $((x + $2)) $((y + $3))
  sleep 0.2
  xdotool mousedown 1
  sleep 0.15
  xdotool mouseup 1
  sleep 0.3
}

# Z: maps the Unix root in Wine.
winpath() { echo "Z:$(echo "$1" | tr / '\\')"; }
