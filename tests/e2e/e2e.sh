#!/usr/bin/env bash
# End-to-end flows of Pellamy.exe under Wine, driven with xdotool:
#   e2e.sh CASE   (wav, mp3, pictures, no-drive, aspi-missing, close-during-rip, browse-cancel,
#                  browse-drive, frame, wave-image)
# Needs DISPLAY, WINEPREFIX and PELLAMY_BIN; prints what it checked.
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
source "$here/driver.sh"
case_name=$1
work=$(mktemp -d -p "${TMPDIR:-/tmp}" pellamy-e2e.XXXXXX)
out="$work/out"
mkdir -p "$out"
fail() { echo "FAIL: $*" >&2; pellamy_close >/dev/null 2>&1; wineserver -k >/dev/null 2>&1; exit 1; }
cleanup() { rm -rf "$work"; }
trap cleanup EXIT
pellamy_prefix

# A pixel of the window's client area as "r,g,b".
pixel() {
  local o
  o=($(pellamy_origin))
  import -window root -crop "1x1+$((o[0] + $1))+$((o[1] + $2))" -depth 8 txt:- | tail -1 | sed -E 's/.*srgb\(([0-9,]+)\).*/\1/'
}
wav_is_whole() {  # the file's length is what its header declares
  local f=$1 riff
  riff=$(od -An -tu4 -j4 -N4 "$f" | tr -d ' ')
  [ "$(stat -c %s "$f")" -eq $((riff + 8)) ]
}
# The rip log is written once every ticked track is done.
wait_for_log() {
  for _ in $(seq 3000); do
    compgen -G "$1/Pellamy rip *.log" >/dev/null && return 0
    sleep 0.1
  done
  return 1
}
no_box() { ! xdotool search --name '^Pellamy$' >/dev/null 2>&1 || [ -z "$(xdotool search --onlyvisible --name '^Pellamy$' 2>/dev/null)" ]; }

case "$case_name" in
  wav)
    pellamy_start --virtual-cd || fail "no window"
    pellamy_tick_by_double_click 1
    pellamy_tick_by_check_box 2
    pellamy_tick_by_double_click 4
    pellamy_tick_by_double_click 4   # twice: back to unticked
    pellamy_set_output "$(winpath "$out")\\"
    pellamy_click "$RIP_X" "$RIP_Y"
    wait_for_files 2 "$out" wav || fail "no WAV files"
    wait_for_log "$out" || fail "no rip log"
    sleep 1
    files=$(cd "$out" && ls | tr '\n' ' ')
    [[ "$files" =~ ^"Pellamy rip "[0-9-]+" "[0-9-]+".log track 1.wav track 2.wav "$ ]] || fail "files: $files"
    for f in "$out"/*.wav; do wav_is_whole "$f" || fail "$f is not whole"; done
    pellamy_close || fail "did not close"
    echo "ticked by double click and check box; WAV files: $files"
    ;;
  mp3)
    pellamy_start --virtual-cd || fail "no window"
    for row in 1 2 3 4 5 6; do pellamy_tick_by_check_box "$row"; done
    pellamy_click "$MP3_X" "$MP3_Y"
    pellamy_set_output "$(winpath "$out")\\"
    pellamy_click "$RIP_X" "$RIP_Y"
    wait_for_files 6 "$out" mp3 || fail "no MP3 files"
    for f in "$out"/*.mp3; do
      probe=$(ffprobe -v error -show_entries stream=codec_name,sample_rate,channels,bit_rate -of csv=p=0 "$f")
      [ "$probe" = "mp3,44100,2,128000" ] || fail "$f: $probe"
    done
    [ -z "$(ls "$out"/*.wav 2>/dev/null)" ] || fail "WAV files left"
    pellamy_close || fail "did not close"
    echo "six MP3 files, each mp3 44100 Hz stereo 128 kbit/s"
    ;;
  pictures)
    pellamy_start --virtual-cd || fail "no window"
    pellamy_move 200 10
    normal=$(pixel 318 283)
    pellamy_move "$RIP_X" "$RIP_Y"
    sleep 0.3
    hover=$(pixel 318 283)
    xdotool mousedown 1
    sleep 0.3
    pressed=$(pixel 318 283)
    pellamy_move 200 10   # leave while pressed, then release: no click
    xdotool mouseup 1
    sleep 0.3
    after=$(pixel 318 283)
    pellamy_close || fail "did not close"
    [ "$normal" != "$hover" ] || fail "hover picture not shown ($normal)"
    [ "$pressed" = "$normal" ] || fail "pressed picture $pressed, normal $normal"
    [ "$after" = "$normal" ] || fail "after leaving: $after"
    echo "rip button: normal $normal, hover $hover, pressed $pressed"
    ;;
  no-drive)
    pellamy_start || fail "no window"
    no_box || fail "a message box at start"
    pellamy_click "$RIP_X" "$RIP_Y"
    sleep 1
    box=$(xdotool search --onlyvisible --name '^Pellamy$' | head -1)
    [ -n "$box" ] || fail "no message box for the rip button"
    xdotool key --window "$box" Return
    sleep 0.5
    pellamy_close || fail "did not close"
    echo "no drive: empty lists, the rip button explains itself"
    ;;
  aspi-missing)
    export WINEDLLOVERRIDES=wnaspi32=d
    pellamy_start --virtual-cd || fail "no window"
    pellamy_tick_by_check_box 1
    pellamy_set_output "$(winpath "$out")\\"
    pellamy_click "$RIP_X" "$RIP_Y"
    sleep 2
    no_box || fail "a message box appeared"
    [ -z "$(ls "$out")" ] || fail "files were written"
    pellamy_close || fail "did not close"
    echo "ASPI library missing: nothing happens"
    ;;
  close-during-rip)
    pellamy_start --virtual-cd || fail "no window"
    for row in 1 2 3 4 5 6; do pellamy_tick_by_check_box "$row"; done
    pellamy_click "$MP3_X" "$MP3_Y"
    pellamy_set_output "$(winpath "$out")\\"
    pellamy_click "$RIP_X" "$RIP_Y"
    sleep 1.2
    pellamy_close || fail "did not end after closing during a rip"
    for f in "$out"/*.wav; do [ -e "$f" ] || continue; wav_is_whole "$f" || fail "unfinished $f left"; done
    for f in "$out"/*.mp3; do
      [ -e "$f" ] || continue
      ffmpeg -v error -i "$f" -f null - 2>&1 | grep -q . && fail "broken $f left"
    done
    echo "closed during a rip: ended; left $(ls "$out" | wc -l) whole files"
    ;;
  browse-cancel | browse-drive)
    pellamy_start --virtual-cd || fail "no window"
    pellamy_set_output "$(winpath "$out")\\"
    pellamy_click "$BROWSE_X" "$BROWSE_Y"
    dialog=
    for _ in $(seq 100); do
      dialog=$(xdotool search --onlyvisible --name '^Browse for Folder$' 2>/dev/null | head -1)
      [ -n "$dialog" ] && break
      sleep 0.1
    done
    [ -n "$dialog" ] || fail "no folder dialog"
    sleep 0.5
    target="$out"
    if [ "$case_name" = browse-cancel ]; then
      dialog_click "$dialog" 237 274   # Cancel: the typed path stays
    else
      dialog_click "$dialog" 78 85     # the drive C: item
      dialog_click "$dialog" 157 274   # OK: C:\ keeps its one backslash
      target="$WINEPREFIX/drive_c"
    fi
    rm -f "$target/track 3.wav"
    # The window takes clicks again a moment after the dialog has gone.
    sleep 1.5
    pellamy_click "$TITLE_X" "$(pellamy_row_y 3)"
    pellamy_tick_by_check_box 3
    pellamy_click "$RIP_X" "$RIP_Y"
    for _ in $(seq 100); do [ -e "$target/track 3.wav" ] && break; sleep 0.1; done
    [ -e "$target/track 3.wav" ] || fail "track 3 not ripped to $target"
    sleep 1
    wav_is_whole "$target/track 3.wav" || fail "track 3 not whole"
    [ "$case_name" = browse-drive ] && rm -f "$target/track 3.wav"
    pellamy_close || fail "did not close"
    echo "folder dialog ($case_name): the rip went to $target"
    ;;
  frame)
    # The skin's own caption by mouse: dragged, minimised by its button and
    # restored, then closed by its close button.
    pellamy_start --virtual-cd || fail "no window"
    [ -n "$SKIN_LEFT" ] || fail "no skin next to the program"
    geometry() { xdotool getwindowgeometry --shell "$PELLAMY_WID" | tr '\n' ' '; }
    value() { echo "$1" | sed -E "s/.*$2=(-?[0-9]+).*/\\1/"; }
    g=$(geometry); x=$(value "$g" X); y=$(value "$g" Y); w=$(value "$g" WIDTH); h=$(value "$g" HEIGHT)
    # A point of the caption away from the buttons: the skin's buttons sit
    # at its ends or beside the title, so try a few.
    moved=
    for fx in 50 35 65; do
      px=$((x + w * fx / 100)); py=$((y + SKIN_TOP / 2))
      xdotool mousemove --sync "$px" "$py"; xdotool mousedown 1; sleep 0.2
      xdotool mousemove --sync $((px + 30)) $((py + 20)); sleep 0.2
      xdotool mousemove --sync $((px + 40)) $((py + 30)); sleep 0.2
      xdotool mouseup 1; sleep 0.5
      g=$(geometry)
      if [ "$(value "$g" X)" = $((x + 40)) ] && [ "$(value "$g" Y)" = $((y + 30)) ]; then moved=1; break; fi
    done
    [ -n "$moved" ] || fail "the caption does not drag the window"
    x=$((x + 40)); y=$((y + 30))
    [ "$(value "$g" WIDTH)" = "$w" ] && [ "$(value "$g" HEIGHT)" = "$h" ] || fail "dragging changed the size: $g"
    echo "caption dragged by 40,30"
    [ -n "$SKIN_MIN" ] || fail "the skin has no minimise button at an edge"
    m=($SKIN_MIN)
    if [ "$SKIN_MIN_ALIGN" = 1 ]; then xdotool mousemove --sync $((x + w - m[0])) $((y + m[1]))
    else xdotool mousemove --sync $((x + m[0])) $((y + m[1])); fi
    sleep 0.3; xdotool mousedown 1; sleep 0.1; xdotool mouseup 1; sleep 1
    g=$(geometry)
    [ "$(value "$g" WIDTH)" -lt "$w" ] || fail "not minimised by the skin's button: $g"
    echo "minimised by the skin's button"
    # Wine shows a minimised window as a small title bar; a double click on
    # it restores the window with its skinned frame.
    xdotool mousemove --sync $(($(value "$g" X) + 40)) $(($(value "$g" Y) + 12)); sleep 0.2
    xdotool click --repeat 2 --delay 80 1; sleep 1
    g=$(geometry)
    [ "$(value "$g" WIDTH)" = "$w" ] && [ "$(value "$g" HEIGHT)" = "$h" ] || fail "not restored to its size: $g"
    [ "$(value "$g" X)" = "$x" ] && [ "$(value "$g" Y)" = "$y" ] || fail "not restored where it was: $g"
    echo "restored to ${w}x$h at $x,$y"
    pellamy_screenshot "${PELLAMY_SHOT:-$work/frame.png}"
    pellamy_close || fail "the skin's close button did not close the window"
    echo "closed by the skin's close button"
    ;;
  wave-image)
    # A disc kept as one WAV file and its CUE sheet, in a folder with a space.
    image="$work/my discs" expect="$work/expect"
    mkdir -p "$image" "$expect"
    python3 "$here/wave_image.py" "$image" "$expect" || fail "could not make the image"
    pellamy_start "--virtual-cd=$(winpath "$image/disc.cue")" || fail "no window (the sheet refused?)"
    no_box || fail "a message box at start"
    pellamy_tick_by_check_box 1
    pellamy_tick_by_double_click 2
    pellamy_tick_by_check_box 3
    pellamy_tick_by_check_box 4   # no such row: the sheet has three tracks
    pellamy_set_output "$(winpath "$out")\\"
    pellamy_click "$RIP_X" "$RIP_Y"
    wait_for_files 3 "$out" wav || fail "no WAV files"
    wait_for_log "$out" || fail "no rip log"
    sleep 1
    files=$(cd "$out" && ls | tr '\n' ' ')
    [[ "$files" =~ ^"Pellamy rip "[0-9-]+" "[0-9-]+".log track 1.wav track 2.wav track 3.wav "$ ]] ||
      fail "files: $files"
    no_box || fail "a message box during the rip"
    for n in 1 2 3; do
      f="$out/track $n.wav"
      wav_is_whole "$f" || fail "$f is not whole"
      size=$(od -An -tu4 -j44 -N4 "$f" | tr -d ' ')
      [ "$size" -eq $(($(stat -c %s "$f") - 48)) ] || fail "track $n: the data chunk declares $size bytes"
      cmp <(tail -c +49 "$f") "$expect/track $n.pcm" ||
        fail "track $n: not the image's samples ($(stat -c %s "$f") bytes, expected $((48 + $(stat -c %s "$expect/track $n.pcm"))))"
    done
    pellamy_close || fail "did not close"
    echo "WAVE image with INDEX 00, PREGAP and POSTGAP: three rows ripped, each byte for byte its samples and gaps"
    ;;
  *)
    echo "unknown case $case_name" >&2
    exit 2
    ;;
esac
