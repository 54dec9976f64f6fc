#!/usr/bin/env bash
# What the zip holds: one folder Harrowgladeforte with the program, its libraries, the
# help page and its pictures, samples, the renderer, licence texts and the read-me, and no
# settings file. The help page is well-formed, declares its character set and links only
# to what exists; the texts have the encodings Windows reads; each sample song renders
# to sound with the packaged renderer.
set -euo pipefail
source "$(dirname "$0")/package_test_lib.sh"
dir=$(mktemp -d "${TMPDIR:-/tmp}/hgf-package-contents.XXXXXX")
trap 'rm -rf "$dir"' EXIT
unpack_zip "$dir"
[ "$(ls -A "$dir")" = Harrowgladeforte ] || fail "the zip holds $(ls -A "$dir" | tr '\n' ' ')"
app=$dir/Harrowgladeforte

expected=("Harrowgladeforte.exe" "Harrowgladeforte Core.dll" tonwerkel.dll SMFK32.dll
  VBMP3.dll libmpg123-0.dll Readme.txt Help/index.html Help/help.css tools/tonwerkel-render.exe
  licenses/libogg.txt licenses/libvorbis.txt licenses/zlib.txt licenses/mingw-w64-runtime.txt
  licenses/libmpg123.txt licenses/libflac.txt licenses/libopus.txt licenses/libopusfile.txt
  Samples/Morning.mml Samples/Waltz.mml Samples/Beat.mml Samples/Effects.dat
  Samples/SmfConvertSample.cfg)
for file in "${expected[@]}"; do
  [ -s "$app/$file" ] || fail "missing: $file"
done
[ -z "$(find "$app" -iname '*.ini')" ] || fail "a settings file is packaged"

# The help page.
help=$app/Help/index.html
xmllint --noout "$help" || fail "the help page is not well-formed"
grep -q '<meta charset="utf-8" />' "$help" || fail "the help page declares no character set"
iconv -f UTF-8 -t UTF-8 "$help" >/dev/null || fail "the help page is not UTF-8"
attributes() { xmllint --xpath "$1" "$help" | sed -E 's/^ *[a-z]+="(.*)"$/\1/'; }
targets=$(attributes '//@src|//@href')
ids=$(attributes '//@id')
pictures=0
for target in $targets; do
  case $target in
    http*) ;;
    \#*) grep -qxF "${target#\#}" <<<"$ids" || fail "the help page links to a missing $target" ;;
    *) [ -s "$app/Help/$target" ] || fail "the help page refers to a missing $target"
       [[ $target == images/* ]] && pictures=$((pictures + 1)) ;;
  esac
done
echo "help page: $(wc -c <"$help") bytes, $pictures pictures"
[ "$pictures" -ge 5 ] || fail "the help page shows $pictures pictures"
grep -q '<section id="smf-conversion">' "$help" || fail "the help page has no MIDI conversion section"

# Texts: the read-me is UTF-8 with a byte-order mark, samples are code page 932; CR LF.
[ "$(head -c 3 "$app/Readme.txt" | od -An -tx1 | tr -d ' ')" = efbbbf ] ||
  fail "the read-me has no byte-order mark"
iconv -f UTF-8 -t UTF-8 "$app/Readme.txt" >/dev/null || fail "the read-me is not UTF-8"
grep -q '^English' "$app/Readme.txt" || fail "the read-me has no English section"
for text in "$app/Readme.txt" "$app"/Samples/*; do
  ! grep -q -e $'[^\r]$' -e '^$' "$text" || fail "$text has lines without CR LF"
done
for sample in "$app"/Samples/*; do
  iconv -f CP932 -t UTF-8 "$sample" >/dev/null || fail "$sample is not code page 932"
done

# Each song renders to sound with the renderer of the package (Beat.mml with its drums).
cd "$app"
for song in Samples/*.mml; do
  wav=$dir/$(basename "$song" .mml).wav
  wine_run tools/tonwerkel-render.exe --seconds 4 --effects 'Samples\Effects.dat' \
    "${song//\//\\}" "$(winpath "$wav")" || fail "tonwerkel-render failed on $song"
  rms=$(capture_figure "$wav" "RMS.*amplitude")
  echo "$song: $(soxi -D "$wav") s, RMS amplitude $rms"
  awk -v r="$rms" 'BEGIN { exit !(r > 0.02) }' || fail "$song renders (almost) silence"
done
echo "package contents: ok"
