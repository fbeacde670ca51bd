# Drives Pellamy.exe under Wine as a person would, with xdotool on the X
# display: sourced by scripts/run and the end-to-end tests.
# Needs: DISPLAY, WINEPREFIX, PELLAMY_BIN (the folder holding Pellamy.exe).

WINE=${WINE:-/usr/lib/wine/wine64}
CLIENT_W=392
CLIENT_H=378
PELLAMY_PID=
PELLAMY_WID=
PELLAMY_TITLE='Pellamy  (Ver 1.03)'

# Positions in the window's client area.
ROW_Y0=89 ROW_H=14                  # centre of the first track row, row pitch
CHECK_X=42 TITLE_X=90               # a row's check box, a row's title
MP3_X=48 MP3_Y=249                  # the ".mp3" button
FLAC_X=250                          # the ".flac" button, beside it
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
  pellamy_skin_frame
  (cd "$PELLAMY_BIN" && exec "$WINE" Pellamy.exe "$@") >/dev/null 2>&1 &
  PELLAMY_PID=$!
  PELLAMY_WID=
  for _ in $(seq 150); do
    PELLAMY_WID=$(xdotool search --name '^Pellamy  \(Ver 1\.03\)$' 2>/dev/null | head -1 || true)
    [ -n "$PELLAMY_WID" ] && break
    sleep 0.1
  done
  [ -n "$PELLAMY_WID" ] || { echo "Pellamy's window did not appear" >&2; return 1; }
  # Ready once its controls are made and it takes input.
  wintree 'Pellamy  (Ver 1.03)' --class SysListView32 --enabled >/dev/null ||
    { echo "Pellamy's window has no track list" >&2; return 1; }
}

# The skinned frame of the skin file next to the program (whatever skin it
# is): SKIN_LEFT and SKIN_TOP, the widths of its left piece and caption, and
# SKIN_CLOSE, its close button's centre in window coordinates from the
# right edge when SKIN_CLOSE_ALIGN is 1 ("dx y", empty when the button is
# not anchored to an edge), and SKIN_MIN the same for its minimise button.
# All empty when the program runs unskinned.
pellamy_skin_frame() {
  SKIN_LEFT= SKIN_TOP= SKIN_CLOSE= SKIN_CLOSE_ALIGN= SKIN_MIN= SKIN_MIN_ALIGN=
  [ -f "$PELLAMY_BIN/${PELLAMY_SKIN:-rip.tmp}" ] || return 0
  local model line
  model=$(cd "$PELLAMY_BIN" && "$WINE" skininfo.exe --model "${PELLAMY_SKIN:-rip.tmp}" 2>/dev/null | tr -d '\r')
  piece() {  # NAME across|down: the piece's width or height over its state count
    local l w h n
    l=$(echo "$model" | grep "^$1:")
    n=$(echo "$l" | sed -E 's/.* frames ([0-9]+) .*/\1/')
    w=$(echo "$l" | sed -E 's/.* image ([0-9]+)x([0-9]+).*/\1/')
    h=$(echo "$l" | sed -E 's/.* image ([0-9]+)x([0-9]+).*/\2/')
    [ "${n:-0}" -gt 0 ] || n=1
    if [ "$2" = across ]; then echo $((w / n)); else echo $((h / n)); fi
  }
  SKIN_LEFT=$(piece FrameLeft across)
  SKIN_TOP=$(piece FrameTop down)
  button() {  # ACTION: "align dx y", the button's centre (dx from the right edge for align 1)
    local line align x y w h n
    line=$(echo "$model" | grep -E "^SysButton [A-Z.]+: action $1 align (0|1) " | head -1)
    [ -n "$line" ] || return 0
    align=$(echo "$line" | sed -E 's/.* align ([0-9]+) .*/\1/')
    x=$(echo "$line" | sed -E 's/.* at (-?[0-9]+),(-?[0-9]+) .*/\1/')
    y=$(echo "$line" | sed -E 's/.* at (-?[0-9]+),(-?[0-9]+) .*/\2/')
    n=$(echo "$line" | sed -E 's/.* frames ([0-9]+) .*/\1/')
    w=$(echo "$line" | sed -E 's/.* image ([0-9]+)x([0-9]+).*/\1/')
    h=$(echo "$line" | sed -E 's/.* image ([0-9]+)x([0-9]+).*/\2/')
    [ "${n:-0}" -gt 0 ] || n=1
    if [ "$align" = 1 ]; then echo "1 $((x - w / n / 2)) $((y + h / 2))"; else echo "0 $((x + w / n / 2)) $((y + h / 2))"; fi
  }
  local b
  b=($(button 0)); SKIN_CLOSE_ALIGN=${b[0]:-}; SKIN_CLOSE=${b[1]:+"${b[1]} ${b[2]}"}
  b=($(button 2)); SKIN_MIN_ALIGN=${b[0]:-}; SKIN_MIN=${b[1]:+"${b[1]} ${b[2]}"}
}

# window_origin WINDOW [CLIENT_W CLIENT_H]: the client area's top-left
# corner on the screen. Skinned, the skin's left and top widths say where it
# is; unskinned, Wine's frame is the same on both sides and the caption is
# what is left of the height.
window_origin() {
  local geo x y w h fx cap
  geo=$(xdotool getwindowgeometry --shell "$1")
  x=$(echo "$geo" | sed -n 's/^X=//p'); y=$(echo "$geo" | sed -n 's/^Y=//p')
  w=$(echo "$geo" | sed -n 's/^WIDTH=//p'); h=$(echo "$geo" | sed -n 's/^HEIGHT=//p')
  if [ -n "$SKIN_LEFT" ]; then
    echo "$((x + SKIN_LEFT)) $((y + SKIN_TOP))"
  elif [ -n "${2:-}" ]; then
    fx=$(( (w - $2) / 2 )); cap=$(( h - $3 - 2 * fx ))
    echo "$((x + fx)) $((y + fx + cap))"
  else
    # A dialog of Wine's own frame: one pixel and a caption.
    echo "$((x + 1)) $((y + 19))"
  fi
}

pellamy_origin() { window_origin "$PELLAMY_WID" "$CLIENT_W" "$CLIENT_H"; }

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

# pellamy_set_output PATH: a Windows path typed into the output folder's edit,
# read back before the flow goes on.
pellamy_set_output() {
  local attempt
  for attempt in 1 2 3; do
    if LC_ALL=C grep -q '[^ -~]' <<<"$1"; then
      # As the characters a keyboard of that script sends: xdotool fakes such
      # keys by remapping one per character, which a loaded machine delivers
      # out of turn, dropping characters.
      wintree "$PELLAMY_TITLE" --class Edit --type "$1" >/dev/null
    else
      pellamy_click "$PATH_X" "$PATH_Y"
      xdotool key --clearmodifiers End shift+Home BackSpace
      xdotool type --delay 20 "$1"
    fi
    wintree "$PELLAMY_TITLE" --class Edit --expect "$1" --within 5000 >/dev/null && return 0
  done
  echo "the output folder reads $(wintree "$PELLAMY_TITLE" --class Edit --text), not $1" >&2
  return 1
}

pellamy_screenshot() {  # file
  import -window "$PELLAMY_WID" "$1"
}

# Closes the window with its caption's close button: the skin's, wherever
# the skin puts it, or Wine's.
pellamy_close() {
  local geo x y w
  if [ -n "$SKIN_CLOSE" ]; then
    geo=$(xdotool getwindowgeometry --shell "$PELLAMY_WID" 2>/dev/null) || return 0
    x=$(echo "$geo" | sed -n 's/^X=//p'); y=$(echo "$geo" | sed -n 's/^Y=//p'); w=$(echo "$geo" | sed -n 's/^WIDTH=//p')
    local c=($SKIN_CLOSE)
    if [ "$SKIN_CLOSE_ALIGN" = 1 ]; then
      xdotool mousemove --sync $((x + w - ${c[0]} )) $((y + ${c[1]})) 2>/dev/null
    else
      xdotool mousemove --sync $((x + ${c[0]})) $((y + ${c[1]})) 2>/dev/null
    fi
    xdotool mousedown 1; sleep 0.1; xdotool mouseup 1
  elif [ -n "$SKIN_LEFT" ]; then
    xdotool key --window "$PELLAMY_WID" alt+F4 2>/dev/null || true
  else
    pellamy_click 382 -12 >/dev/null 2>&1 || true
  fi
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
      # A WAV file's header declares its whole length from the start: done
      # when it holds that much. An MP3 file is made from its WAV file, which
      # goes once the MP3 file is complete.
      [ "$ext" != wav ] && return 0
      local whole=1 f riff
      for f in "$dir"/track\ *.wav; do
        riff=$(od -An -tu4 -j4 -N4 "$f" 2>/dev/null | tr -d ' ')
        [ -n "$riff" ] && [ "$(stat -c %s "$f")" -eq $((riff + 8)) ] || whole=
      done
      [ -n "$whole" ] && return 0
    fi
    sleep 0.1
  done
  echo "timed out waiting for $n .$ext files in $dir" >&2
  return 1
}

# dialog_click WINDOW X Y: a click at a point of another window's client
# area; a dialog just shown takes a click only when the press lasts a moment.
dialog_click() {
  local o
  o=($(window_origin "$1"))
  xdotool mousemove --sync $((o[0] + $2)) $((o[1] + $3))
  sleep 0.2
  xdotool mousedown 1
  sleep 0.15
  xdotool mouseup 1
  sleep 0.3
}

# window_click WINDOW X Y: the same at a point of the whole window (its
# frame and menu bar included).
window_click() {
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

# wintree ARGS...: a window, a control or a tree view's item found through
# the window tree (tests/e2e/wintree.exe): "x y width height", or its text.
WINTREE=${WINTREE:-${PELLAMY_BIN:-}/wintree.exe}
wintree() {
  local out rc
  out=$("$WINE" "$WINTREE" "$@" 2>&1)
  rc=$?
  printf '%s\n' "$out" | tr -d '\r'
  return $rc
}

# press_found ARGS...: a click, as a hand makes it, on the middle of what
# wintree finds; wherever the system's fonts and layout put it.
press_found() {
  local r
  r=($(wintree "$@")) || { echo "not found: $* (${r[*]})" >&2; return 1; }
  [ ${#r[@]} -eq 4 ] || { echo "not found: $* (${r[*]})" >&2; return 1; }
  xdotool mousemove --sync $((r[0] + r[2] / 2)) $((r[1] + r[3] / 2))
  xdotool mousedown 1
  sleep 0.1
  xdotool mouseup 1
}

# wait_gone TITLE: until no window of that title is shown.
wait_gone() {
  for _ in $(seq 600); do
    [ -z "$(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null)" ] && return 0
    sleep 0.1
  done
  return 1
}

# Z: maps the Unix root in Wine.
winpath() { echo "Z:$(echo "$1" | tr / '\\')"; }
