#!/usr/bin/env bash
# The release zip as a Windows user gets it:
#   release-zip.sh BUILD_DIR SOURCE_DIR
# builds it with the package target, unpacks it into an empty folder, checks
# what it holds (programs, every skin, README, each licence notice), that its
# programs import only system DLLs besides Lame_enc.dll, and runs Pellamy.exe
# from that folder on a fresh Wine prefix: one track of a CUE/BIN image ripped
# to WAV and compared byte for byte with the image. Needs DISPLAY.
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "$1" && pwd)
source_dir=$(cd "$2" && pwd)
name=Pellamy-1.03-win64
zip=$build/$name.zip
work=$(mktemp -d -p "${TMPDIR:-/tmp}" pellamy-zip.XXXXXX)
fail() { echo "FAIL: $*" >&2; exit 1; }
cleanup() {
  [ -n "${PELLAMY_PID:-}" ] && kill "$PELLAMY_PID" 2>/dev/null
  [ -f "$work/prefix/system.reg" ] && WINEPREFIX="$work/prefix" wineserver -k >/dev/null 2>&1
  rm -rf "$work"
}
trap cleanup EXIT

# -- the zip, freshly built
rm -f "$zip"
cmake --build "$build" --target package >"$work/package.log" 2>&1 || { cat "$work/package.log" >&2; fail "package target"; }
[ -f "$zip" ] || fail "no $zip"
# Into a folder named outside any one code page, as a user anywhere may have it.
unpacked="$work/Программы 音楽 Música"
mkdir "$unpacked"
unzip -q "$zip" -d "$unpacked" || fail "unzip"
[ "$(ls "$unpacked")" = "$name" ] || fail "the zip does not unpack to one folder $name: $(ls "$unpacked")"
root=$unpacked/$name

# -- what it holds: these, the skins, and nothing else
expected="Pellamy.exe Lame_enc.dll skinpack.exe skininfo.exe gallery.exe README.txt NOTICES.txt LICENSE.txt
  licenses/LAME/COPYING.txt licenses/LAME/LICENSE.txt licenses/libjpeg-turbo/LICENSE.md.txt
  licenses/libjpeg-turbo/README.ijg.txt licenses/libjpeg-turbo/zlib-License.txt licenses/mingw-w64/copyright.txt
  licenses/FLAC/COPYING.Xiph.txt"
for f in $expected; do [ -f "$root/$f" ] || fail "$f missing"; done
extra=$(cd "$root" && find . -type f | sed 's|^\./||' | grep -v -x -F "$(echo $expected | tr ' ' '\n')" | grep -v -x '[^/]*\.tmp')
[ -z "$extra" ] || fail "unexpected files: $extra"

# Every skin of ours, as committed, and only those; the zip's own skininfo.exe
# reads each.
export WINEPREFIX=$work/prefix WINEDEBUG=-all
# The flows find controls with the build's wintree.exe, which the zip does not hold.
export WINTREE=$build/bin/wintree.exe
source "$here/driver.sh"
pellamy_prefix
# No window manager on the virtual display (as scripts/test sets its prefix).
"$WINE" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
wineserver -w
skins=0
for committed in "$source_dir"/skins/*/*.tmp; do
  cmp -s "$committed" "$root/$(basename "$committed")" || fail "skin $(basename "$committed") missing or not as committed"
  skins=$((skins + 1))
done
for packed in "$root"/*.tmp; do
  skin=$(basename "$packed")
  ls "$source_dir"/skins/*/"$skin" >/dev/null 2>&1 || fail "$skin is not one of our skins"
  (cd "$root" && "$WINE" skininfo.exe --model "$skin" 2>&1) | grep -q '^SkinName: ' || fail "skininfo.exe cannot read $skin"
done
[ "$skins" -ge 1 ] || fail "no skins"

# -- the notices: licence texts as the source packages have them, and the
# statements the licences ask for
deps=$(sed -n 's/^PELLAMY_DEPS:PATH=//p' "$build/CMakeCache.txt")
flac_deps=$(sed -n 's/^PELLAMY_FLAC_DEPS:PATH=//p' "$build/CMakeCache.txt")
licenses=$deps/share/licenses
for pair in lame/COPYING:LAME/COPYING.txt lame/LICENSE:LAME/LICENSE.txt \
  libjpeg-turbo/LICENSE.md:libjpeg-turbo/LICENSE.md.txt libjpeg-turbo/README.ijg:libjpeg-turbo/README.ijg.txt \
  libjpeg-turbo/zlib-License:libjpeg-turbo/zlib-License.txt; do
  cmp -s "$licenses/${pair%%:*}" "$root/licenses/${pair#*:}" || fail "licenses/${pair#*:} differs from the source package's"
done
grep -q 'GNU LIBRARY GENERAL PUBLIC LICENSE' "$root/licenses/LAME/COPYING.txt" || fail "COPYING is not the LGPL"
grep -q '^LEGAL ISSUES' "$root/licenses/libjpeg-turbo/README.ijg.txt" || fail "README.ijg has no LEGAL ISSUES"
grep -q "provided 'as-is'" "$root/licenses/libjpeg-turbo/zlib-License.txt" || fail "no zlib licence text"
cmp -s "$flac_deps/share/licenses/flac/COPYING.Xiph" "$root/licenses/FLAC/COPYING.Xiph.txt" ||
  fail "licenses/FLAC/COPYING.Xiph.txt differs from the source package's"
grep -q 'Redistribution and use in source and binary forms' "$root/licenses/FLAC/COPYING.Xiph.txt" ||
  fail "COPYING.Xiph is not the BSD licence"
grep -q 'winpthreads' "$root/licenses/mingw-w64/copyright.txt" || fail "the mingw-w64 copyright file lacks winpthreads"
grep -q 'Source: lame' "$licenses/lame/SOURCE" && grep -q '^Version: 3\.100-' "$licenses/lame/SOURCE" ||
  fail "the LAME texts are not from the lame 3.100 source package"
grep -q '^Version: \([0-9]*:\)\?2\.1\.5-' "$licenses/libjpeg-turbo/SOURCE" ||
  fail "the libjpeg-turbo texts are not from the 2.1.5 source package"
notices=$root/NOTICES.txt
for statement in 'This software is based in part on the work of the Independent JPEG Group.' \
  'Lame_enc.dll contains LAME 3.100, linked statically' 'src/encoder' \
  'beInitStream' 'beEncodeChunk' 'beDeinitStream' 'beCloseStream' \
  "apt-get source lame=$(sed -n 's/^Version: //p' "$licenses/lame/SOURCE")" \
  "apt-get source libjpeg-turbo=$(sed -n 's/^Version: //p' "$licenses/libjpeg-turbo/SOURCE")" \
  "apt-get source flac=$(sed -n 's/^Version: //p' "$flac_deps/share/licenses/flac/SOURCE")" \
  'licenses\LAME\COPYING.txt' 'licenses\libjpeg-turbo\README.ijg.txt' 'licenses\FLAC\COPYING.Xiph.txt'; do
  grep -q -F "$statement" "$notices" || fail "NOTICES.txt does not say: $statement"
done
grep -q -E '^    [0-9a-f]{40}' "$notices" || fail "NOTICES.txt names no source revision"
grep -q '^MIT License' "$root/LICENSE.txt" || fail "LICENSE.txt is not Pellamy's MIT licence"
cmp -s <(tr -d '\r' <"$root/LICENSE.txt") "$source_dir/LICENSE" || fail "LICENSE.txt is not the source's LICENSE"
grep -q -F "Pellamy-1.03-source.zip" "$notices" || fail "NOTICES.txt does not say where the source zip is"
for text in README.txt NOTICES.txt LICENSE.txt; do
  ! grep -q '@[A-Z_]*@' "$root/$text" || fail "$text has an unfilled @VARIABLE@"
  [ "$(grep -c $'\r$' "$root/$text")" -eq "$(wc -l <"$root/$text")" ] || fail "$text does not end its lines in CR LF"
done
grep -q -F -- '--virtual-cd=FILE.cue' "$root/README.txt" || fail "README.txt does not give the CUE/BIN option"

# -- the programs: 64-bit, stripped, importing system DLLs only (and
# Lame_enc.dll, whose four functions it exports)
system_dlls=" kernel32.dll user32.dll gdi32.dll comctl32.dll comdlg32.dll shell32.dll ole32.dll oleaut32.dll
  advapi32.dll msvcrt.dll shlwapi.dll uxtheme.dll winmm.dll version.dll msimg32.dll imm32.dll ws2_32.dll "
for f in "$root"/*.exe "$root"/*.dll; do
  x86_64-w64-mingw32-objdump -f "$f" | grep -q 'file format pei-x86-64' || fail "$(basename "$f") is not 64-bit Windows code"
  ! x86_64-w64-mingw32-objdump -h "$f" | grep -q ' \.debug_' || fail "$(basename "$f") is not stripped"
  for dll in $(x86_64-w64-mingw32-objdump -p "$f" | sed -n 's/^[[:space:]]*DLL Name: //p' | tr 'A-Z' 'a-z'); do
    case "$system_dlls" in *" $dll "*) continue ;; esac
    [ "$dll" = lame_enc.dll ] && [ "$(basename "$f")" != Lame_enc.dll ] && continue
    fail "$(basename "$f") imports $dll"
  done
done
exports=$(x86_64-w64-mingw32-objdump -p "$root/Lame_enc.dll" | sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/p' |
  sed -n 's/^[[:space:]]*\[ *[0-9]*\] //p' | sort | tr '\n' ' ')
[ "$exports" = "beCloseStream beDeinitStream beEncodeChunk beInitStream " ] || fail "Lame_enc.dll exports: $exports"

# -- the source zip beside it: this source as built, and LAME's very source
# package, the one whose licence texts and version the notices give
source_zip=$build/Pellamy-1.03-source.zip
[ -f "$source_zip" ] || fail "no $source_zip"
mkdir "$work/source"
unzip -q "$source_zip" -d "$work/source" || fail "unzip of the source zip"
src_root=$work/source/Pellamy-1.03-source
[ "$(ls "$work/source")" = Pellamy-1.03-source ] || fail "the source zip does not unpack to one folder"
for f in $(git -C "$source_dir" ls-files -- LICENSE README.md CMakeLists.txt scripts src/encoder src/app); do
  cmp -s "$source_dir/$f" "$src_root/$f" || fail "the source zip's $f is not the built source's"
done
[ "$(cd "$src_root" && find . -type f -not -path './third-party/*' | wc -l)" -eq "$(git -C "$source_dir" ls-files | wc -l)" ] ||
  fail "the source zip does not hold exactly the source's files"
kept=$deps/share/source/lame
lame_files=$(cd "$src_root/third-party/lame" && ls | tr '\n' ' ')
[ "$lame_files" = "$(cd "$kept" && ls | tr '\n' ' ')" ] || fail "third-party/lame holds $lame_files"
for f in "$kept"/*; do cmp -s "$f" "$src_root/third-party/lame/$(basename "$f")" || fail "third-party/lame/$(basename "$f") differs"; done
for f in $(sed -n 's/^Files: //p' "$licenses/lame/SOURCE"); do
  [ -f "$src_root/third-party/lame/$f" ] || fail "the source zip lacks $f, named in the notices"
done
# The .dsc's checksums hold for the tarballs beside it: an intact source package.
(cd "$src_root/third-party/lame" && sed -n '/^Checksums-Sha256:/,/^[^ ]/p' lame_*.dsc | grep '^ ' |
  awk '{print $1 "  " $3}' | sha256sum -c --quiet) || fail "the LAME source package's checksums do not hold"
grep -q "^Version: $(sed -n 's/^Version: //p' "$licenses/lame/SOURCE")\$" "$src_root"/third-party/lame/lame_*.dsc ||
  fail "the LAME source package is not the version Lame_enc.dll was built from"
flac_kept=$flac_deps/share/source/flac
[ "$(cd "$src_root/third-party/flac" && ls | tr '\n' ' ')" = "$(cd "$flac_kept" && ls | tr '\n' ' ')" ] ||
  fail "third-party/flac does not hold FLAC's source package"
for f in "$flac_kept"/*; do cmp -s "$f" "$src_root/third-party/flac/$(basename "$f")" || fail "third-party/flac/$(basename "$f") differs"; done

# -- Pellamy.exe from the unpacked folder on a CUE/BIN image: three tracks of
# noise; the middle one ripped, all in folders named in several scripts
image="$work/диск Música"
mkdir "$image"
sectors=(100 150 80)
head -c $(((sectors[0] + sectors[1] + sectors[2]) * 2352)) /dev/urandom >"$image/disc.bin"
msf() { printf '%02d:%02d:%02d' $(($1 / 4500)) $(($1 / 75 % 60)) $(($1 % 75)); }
printf 'FILE "disc.bin" BINARY\r\n  TRACK 01 AUDIO\r\n    INDEX 01 %s\r\n  TRACK 02 AUDIO\r\n    INDEX 01 %s\r\n  TRACK 03 AUDIO\r\n    INDEX 01 %s\r\n' \
  "$(msf 0)" "$(msf "${sectors[0]}")" "$(msf $((sectors[0] + sectors[1])))" >"$image/disc.cue"
out="$work/выход 出力"
mkdir "$out"
export PELLAMY_BIN=$root
pellamy_start "--virtual-cd=$(winpath "$image/disc.cue")" || fail "no window"
pellamy_tick_by_check_box 2
pellamy_set_output "$(winpath "$out")\\" || fail "output folder not set"
pellamy_click "$RIP_X" "$RIP_Y"
wait_for_files 1 "$out" wav || fail "no WAV file"
pellamy_close || fail "did not close"
for _ in $(seq 3000); do compgen -G "$out/Pellamy rip *.log" >/dev/null && break; sleep 0.1; done
files=$(cd "$out" && ls | tr '\n' ' ')
[[ "$files" =~ ^"Pellamy rip "[0-9-]+" "[0-9-]+".log track 2.wav "$ ]] || fail "files: $files"
wav="$out/track 2.wav"
bytes=$((sectors[1] * 2352))
[ "$(stat -c %s "$wav")" -eq $((bytes + 48)) ] || fail "track 2.wav has $(stat -c %s "$wav") bytes, not $((bytes + 48))"
[ "$(head -c 4 "$wav")" = RIFF ] && [ "$(dd if="$wav" bs=1 skip=8 count=8 2>/dev/null)" = "WAVEfmt " ] ||
  fail "no RIFF/WAVE header"
[ "$(od -An -tu4 -j44 -N4 "$wav" | tr -d ' ')" -eq "$bytes" ] || fail "the data length in the header is not $bytes"
cmp -s <(tail -c +49 "$wav") <(tail -c +$((sectors[0] * 2352 + 1)) "$image/disc.bin" | head -c "$bytes") ||
  fail "track 2.wav does not hold the image's second track"
echo "$name.zip: $(cd "$root" && find . -type f | wc -l) files, $skins skin(s), notices and imports checked;" \
  "Pellamy.exe from it ripped track 2 of a CUE/BIN image byte for byte; the source zip checked"
