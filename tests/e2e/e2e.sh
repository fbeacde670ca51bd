#!/usr/bin/env bash
# End-to-end flows of Pellamy.exe under Wine, driven with xdotool:
#   e2e.sh CASE   (wav, mp3, flac, pictures, no-drive, aspi-missing, close-during-rip, browse-cancel,
#                  browse-drive, unicode-folders, faulty-drive, frame, wave-image)
# Needs DISPLAY, WINEPREFIX and PELLAMY_BIN; prints what it checked.
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
source "$here/driver.sh"
case_name=$1
work=$(mktemp -d -p "${TMPDIR:-/tmp}" pellamy-e2e.XXXXXX)
out="$work/out"
mkdir -p "$out"
# Ends only what this test started: other programs may share the prefix.
fail() {
  echo "FAIL: $*" >&2
  [ -n "$PELLAMY_PID" ] && kill "$PELLAMY_PID" 2>/dev/null
  exit 1
}
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
# rip_six_tracks TYPE_X EXT: all six tracks of the virtual disc ripped with
# the output type at TYPE_X, until six "track N.EXT" files are there.
rip_six_tracks() {
  pellamy_start --virtual-cd || fail "no window"
  for row in 1 2 3 4 5 6; do pellamy_tick_by_check_box "$row"; done
  pellamy_click "$1" "$MP3_Y"
  pellamy_set_output "$(winpath "$out")\\" || fail "output folder not set"
  pellamy_click "$RIP_X" "$RIP_Y"
  wait_for_files 6 "$out" "$2" || fail "no .$2 files"
}
# rip_track_3_to SHOWN DIR: once the folder dialog has gone, the output edit
# shows SHOWN; track 3 ticked and ripped lands whole in DIR.
rip_track_3_to() {
  wait_gone 'Browse for Folder' || fail "the folder dialog stays"
  wintree "$PELLAMY_TITLE" --enabled >/dev/null || fail "the window takes no input"
  wintree "$PELLAMY_TITLE" --class Edit --expect "$1" >/dev/null || fail "the output folder shows otherwise, not $1"
  rm -f "$2/track 3.wav"
  pellamy_click "$TITLE_X" "$(pellamy_row_y 3)"
  pellamy_tick_by_check_box 3
  pellamy_click "$RIP_X" "$RIP_Y"
  # Its header declares the whole length from the start: the file is done
  # when it holds that much.
  for _ in $(seq 600); do
    [ -e "$2/track 3.wav" ] && wav_is_whole "$2/track 3.wav" && return 0
    sleep 0.1
  done
  fail "track 3 not ripped whole to $2"
}
no_box() { ! xdotool search --name '^Pellamy$' >/dev/null 2>&1 || [ -z "$(xdotool search --onlyvisible --name '^Pellamy$' 2>/dev/null)" ]; }

case "$case_name" in
  wav)
    pellamy_start --virtual-cd || fail "no window"
    pellamy_tick_by_double_click 1
    pellamy_tick_by_check_box 2
    pellamy_tick_by_double_click 4
    pellamy_tick_by_double_click 4   # twice: back to unticked
    pellamy_set_output "$(winpath "$out")\\" || fail "output folder not set"
    pellamy_click "$RIP_X" "$RIP_Y"
    wait_for_files 2 "$out" wav || fail "no WAV files"
    wait_for_log "$out" || fail "no rip log"
    files=$(cd "$out" && ls | tr '\n' ' ')
    [[ "$files" =~ ^"Pellamy rip "[0-9-]+" "[0-9-]+".log track 1.wav track 2.wav "$ ]] || fail "files: $files"
    for f in "$out"/*.wav; do wav_is_whole "$f" || fail "$f is not whole"; done
    pellamy_close || fail "did not close"
    echo "ticked by double click and check box; WAV files: $files"
    ;;
  mp3)
    rip_six_tracks "$MP3_X" mp3
    for f in "$out"/*.mp3; do
      probe=$(ffprobe -v error -show_entries stream=codec_name,sample_rate,channels,bit_rate -of csv=p=0 "$f")
      [ "$probe" = "mp3,44100,2,128000" ] || fail "$f: $probe"
    done
    [ -z "$(ls "$out"/*.wav 2>/dev/null)" ] || fail "WAV files left"
    pellamy_close || fail "did not close"
    echo "six MP3 files, each mp3 44100 Hz stereo 128 kbit/s"
    ;;
  flac)
    rip_six_tracks "$FLAC_X" flac
    for f in "$out"/*.flac; do
      flac -s -t "$f" 2>/dev/null || fail "$f does not test clean"
      n=$(basename "$f" .flac)
      metaflac --show-tag=TITLE "$f" | grep -q -x "TITLE=Track ${n#track }" || fail "$f: no TITLE"
    done
    pellamy_close || fail "did not close"
    [ -z "$(ls "$out" | grep -v -e '\.flac$' -e '\.log$')" ] || fail "other files left: $(ls "$out")"
    echo "six FLAC files, each testing clean with its title"
    ;;
  pictures)
    pellamy_start --virtual-cd || fail "no window"
    # pixel_until NOT|IS COLOUR: the picture's pixel once it is (not) COLOUR.
    pixel_until() {
      local p
      for _ in $(seq 100); do
        p=$(pixel 318 283)
        if [ "$1" = IS ]; then [ "$p" = "$2" ] && break; else [ "$p" != "$2" ] && break; fi
        sleep 0.05
      done
      echo "$p"
    }
    pellamy_move 200 10
    normal=$(pixel 318 283)
    pellamy_move "$RIP_X" "$RIP_Y"
    hover=$(pixel_until NOT "$normal")
    xdotool mousedown 1
    pressed=$(pixel_until IS "$normal")
    pellamy_move 200 10   # leave while pressed, then release: no click
    xdotool mouseup 1
    after=$(pixel_until IS "$normal")
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
    box=
    for _ in $(seq 100); do
      box=$(xdotool search --onlyvisible --name '^Pellamy$' | head -1)
      [ -n "$box" ] && break
      sleep 0.1
    done
    [ -n "$box" ] || fail "no message box for the rip button"
    xdotool key --window "$box" Return
    wait_gone Pellamy || fail "the message box stays"
    pellamy_close || fail "did not close"
    echo "no drive: empty lists, the rip button explains itself"
    ;;
  aspi-missing)
    export WINEDLLOVERRIDES=wnaspi32=d
    pellamy_start --virtual-cd || fail "no window"
    pellamy_tick_by_check_box 1
    pellamy_set_output "$(winpath "$out")\\" || fail "output folder not set"
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
    pellamy_set_output "$(winpath "$out")\\" || fail "output folder not set"
    pellamy_click "$RIP_X" "$RIP_Y"
    # Closed once the rip is under way.
    for _ in $(seq 300); do [ -n "$(ls "$out")" ] && break; sleep 0.05; done
    [ -n "$(ls "$out")" ] || fail "the rip did not start"
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
    typed="$(winpath "$out")\\"
    pellamy_set_output "$typed" || fail "output folder not set"
    pellamy_click "$BROWSE_X" "$BROWSE_Y"
    wintree 'Browse for Folder' >/dev/null || fail "no folder dialog"
    target="$out"
    if [ "$case_name" = browse-cancel ]; then
      press_found 'Browse for Folder' --control Cancel || fail "no Cancel button"
    else
      press_found 'Browse for Folder' --item '(C:)' || fail "no drive C: in the folder dialog"
      press_found 'Browse for Folder' --control OK || fail "no OK button"
      typed='C:\'   # a drive keeps its one backslash
      target="$WINEPREFIX/drive_c"
    fi
    rip_track_3_to "$typed" "$target"
    [ "$case_name" = browse-drive ] && rm -f "$target/track 3.wav"
    pellamy_close || fail "did not close"
    echo "folder dialog ($case_name): the rip went to $target"
    ;;
  unicode-folders)
    # Folders named outside the system's code page, typed and picked.
    typed_dir="$out/Ελληνικά Музыка 音楽"
    picked_name="Música Музыка 音楽"
    picked_dir="$WINEPREFIX/drive_c/$picked_name"
    rm -rf "$picked_dir"
    mkdir -p "$picked_dir"
    # Typed as the characters a keyboard of that script sends: xdotool can
    # only fake such keys by remapping one for each character, which a loaded
    # machine delivers out of turn, dropping characters.
    pellamy_start --virtual-cd || fail "no window"
    wintree "$PELLAMY_TITLE" --class Edit --type "$(winpath "$typed_dir")\\" >/dev/null || fail "no output edit"
    wintree "$PELLAMY_TITLE" --class Edit --expect "$(winpath "$typed_dir")\\" >/dev/null ||
      fail "the typed folder reads back otherwise: $(wintree "$PELLAMY_TITLE" --class Edit --text)"
    rip_track_3_to "$(winpath "$typed_dir")\\" "$typed_dir"
    pellamy_click "$TITLE_X" "$(pellamy_row_y 3)"
    pellamy_tick_by_check_box 3   # unticked again
    pellamy_click "$BROWSE_X" "$BROWSE_Y"
    press_found 'Browse for Folder' --item '(C:)' || fail "no drive C: in the folder dialog"
    xdotool key Right   # opens the drive's folders
    press_found 'Browse for Folder' --item "$picked_name" || fail "the folder is not listed"
    press_found 'Browse for Folder' --control OK || fail "no OK button"
    rip_track_3_to "C:\\$picked_name\\" "$picked_dir"
    rm -rf "$picked_dir"
    pellamy_close || fail "did not close"
    echo "rips into \"$typed_dir\" (typed) and \"C:\\$picked_name\" (picked)"
    ;;
  frame)
    # The skin's own caption by mouse: dragged, minimised by its button and
    # restored, then closed by its close button.
    pellamy_start --virtual-cd || fail "no window"
    [ -n "$SKIN_LEFT" ] || fail "no skin next to the program"
    geometry() { xdotool getwindowgeometry --shell "$PELLAMY_WID" | tr '\n' ' '; }
    value() { echo "$1" | sed -E "s/.*$2=(-?[0-9]+).*/\\1/"; }
    g=$(geometry); x=$(value "$g" X); y=$(value "$g" Y); w=$(value "$g" WIDTH); h=$(value "$g" HEIGHT)
    # until TEST...: g, once the window's geometry passes TEST (up to 5 s).
    until_geometry() {
      for _ in $(seq 100); do g=$(geometry); "$@" && return 0; sleep 0.05; done
      return 1
    }
    at() { [ "$(value "$g" X)" = "$1" ] && [ "$(value "$g" Y)" = "$2" ]; }
    sized() { [ "$(value "$g" WIDTH)" = "$1" ] && [ "$(value "$g" HEIGHT)" = "$2" ]; }
    narrower() { [ "$(value "$g" WIDTH)" -lt "$w" ]; }
    restored() { sized "$w" "$h" && at "$x" "$y"; }
    # A point of the caption away from the buttons: the skin's buttons sit
    # at its ends or beside the title, so try a few.
    moved=
    for fx in 50 35 65; do
      px=$((x + w * fx / 100)); py=$((y + SKIN_TOP / 2))
      xdotool mousemove --sync "$px" "$py"; xdotool mousedown 1; sleep 0.2
      xdotool mousemove --sync $((px + 30)) $((py + 20)); sleep 0.2
      xdotool mousemove --sync $((px + 40)) $((py + 30)); sleep 0.2
      xdotool mouseup 1
      if until_geometry at $((x + 40)) $((y + 30)); then moved=1; break; fi
    done
    [ -n "$moved" ] || fail "the caption does not drag the window"
    x=$((x + 40)); y=$((y + 30))
    [ "$(value "$g" WIDTH)" = "$w" ] && [ "$(value "$g" HEIGHT)" = "$h" ] || fail "dragging changed the size: $g"
    echo "caption dragged by 40,30"
    [ -n "$SKIN_MIN" ] || fail "the skin has no minimise button at an edge"
    m=($SKIN_MIN)
    if [ "$SKIN_MIN_ALIGN" = 1 ]; then xdotool mousemove --sync $((x + w - m[0])) $((y + m[1]))
    else xdotool mousemove --sync $((x + m[0])) $((y + m[1])); fi
    xdotool mousedown 1; sleep 0.1; xdotool mouseup 1
    until_geometry narrower || fail "not minimised by the skin's button: $g"
    echo "minimised by the skin's button"
    # Wine shows a minimised window as a small title bar; a double click on
    # it restores the window with its skinned frame.
    xdotool mousemove --sync $(($(value "$g" X) + 40)) $(($(value "$g" Y) + 12)); sleep 0.2
    xdotool click --repeat 2 --delay 80 1
    until_geometry restored || fail "not restored to its size and place: $g"
    echo "restored to ${w}x$h at $x,$y"
    pellamy_screenshot "${PELLAMY_SHOT:-$work/frame.png}"
    pellamy_close || fail "the skin's close button did not close the window"
    echo "closed by the skin's close button"
    ;;
  faulty-drive)
    # A scratched disc in a drive that reads late: the window's rip ends with
    # the errors line, the log names the suspicious position, no box.
    faults=$(cd "$here/../data/rip" && pwd)/scratched.faults
    pellamy_start --virtual-cd "--virtual-cd-faults=$(winpath "$faults")" --read-offset=48 || fail "no window"
    pellamy_tick_by_check_box 1
    pellamy_set_output "$(winpath "$out")\\" || fail "output folder not set"
    pellamy_click "$RIP_X" "$RIP_Y"
    wintree "$PELLAMY_TITLE" --class msctls_statusbar32 --expect "Ripping completed with errors: see the log" \
      >/dev/null || fail "status: $(wintree "$PELLAMY_TITLE" --class msctls_statusbar32 --text)"
    no_box || fail "a message box for the failed read"
    log=$(ls "$out"/Pellamy\ rip\ *.log 2>/dev/null | head -1)
    [ -n "$log" ] || fail "no rip log in $out"
    grep -q "Suspicious positions: 0:16.00" "$log" || fail "the log names no suspicious position: $(grep -a Suspicious "$log")"
    wav_is_whole "$out/track 1.wav" || fail "track 1 not whole"
    pellamy_close || fail "did not close"
    echo "faulty drive: errors in the status line and the log ($(basename "$log")), no message box"
    ;;
  wave-image)
    # A disc kept as one WAV file and its CUE sheet, in a folder with a space.
    image="$work/my discs" expect="$work/expect"
    mkdir -p "$image" "$expect"
    python3 "$here/wave_image.py" "$image" "$expect" || fail "could not make the image"
    pellamy_start "--virtual-cd=$(winpath "$image/disc.cue")" || fail "no window (the sheet refused?)"
    no_box || fail "a message box at start"
    # The sheet's names, as the disc's CD-Text: the album in the status line.
    wintree "$PELLAMY_TITLE" --class msctls_statusbar32 --expect "Live at the Hall – The Hall Band" >/dev/null ||
      fail "the status line shows no album: $(wintree "$PELLAMY_TITLE" --class msctls_statusbar32 --text)"
    pellamy_tick_by_check_box 1
    pellamy_tick_by_double_click 2
    pellamy_tick_by_check_box 3
    pellamy_tick_by_check_box 4   # no such row: the sheet has three tracks
    pellamy_set_output "$(winpath "$out")\\" || fail "output folder not set"
    pellamy_click "$RIP_X" "$RIP_Y"
    wait_for_files 3 "$out" wav || fail "no WAV files"
    wait_for_log "$out" || fail "no rip log"
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
    # Track 1 again as MP3: tagged with the sheet's names.
    mp3out="$work/mp3"
    mkdir -p "$mp3out"
    pellamy_tick_by_check_box 2
    pellamy_tick_by_check_box 3
    pellamy_click "$MP3_X" "$MP3_Y"
    pellamy_set_output "$(winpath "$mp3out")\\" || fail "output folder not set"
    pellamy_click "$RIP_X" "$RIP_Y"
    wait_for_files 1 "$mp3out" mp3 || fail "no MP3 file"
    tags=$(ffprobe -v error -show_entries format_tags -of default=nw=1 "$mp3out/track 1.mp3")
    for tag in "TAG:title=Opening" "TAG:artist=The Hall Band" "TAG:album=Live at the Hall" "TAG:track=1/3"; do
      echo "$tags" | grep -qx "$tag" || fail "track 1.mp3 lacks $tag: $tags"
    done
    pellamy_close || fail "did not close"
    echo "WAVE image with INDEX 00, PREGAP and POSTGAP: three rows ripped, each byte for byte its samples and gaps;" \
      "its names in the status line and the MP3's tags"
    ;;
  *)
    echo "unknown case $case_name" >&2
    exit 2
    ;;
esac
