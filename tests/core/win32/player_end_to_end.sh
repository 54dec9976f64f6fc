#!/usr/bin/env bash
# The program the user starts, with the core, end to end under Wine and Xvfb, from a
# program folder without VBMP3.dll and SMFK32.dll: the player starts without them. Its INI
# resumes a folder of two Ogg Vorbis files at the first; a probe in another process
# watches the list box: rows appear, the first file and then the second are selected
# while they play, and the probe closes the window. The capture holds the second tone,
# the INI the window rectangle and the second file; a screenshot is kept. The files have
# Japanese names, so under the ANSI code page of a Western Windows (HGF_WINE_LOCALE, the
# screenshot named after it) the strip shows a Japanese title.
set -euo pipefail
source "$(dirname "$0")/wine_test_lib.sh"
source "$HGF_SOURCE_DIR/scripts/xvfb.sh"
start_xvfb
dir=$(mktemp -d "${TMPDIR:-/tmp}/hgf-player-test.XXXXXX")
trap 'rm -rf "$dir"; stop_xvfb' EXIT
artifacts="$HGF_BUILD_DIR/test-artifacts"
mkdir -p "$artifacts" "$dir/app"
cp "$HGF_BUILD_DIR/bin/Harrowgladeforte.exe" "$HGF_BUILD_DIR/bin/Harrowgladeforte Core.dll" \
  "$HGF_BUILD_DIR/bin/tonwerkel.dll" "$HGF_BUILD_DIR/bin/libmpg123-0.dll" "$dir/app/"

make_two_tones "$dir/music" || fail "could not make the Ogg files"
first="01 最初の曲.ogg"
second="02 二番目の曲.ogg"
mv "$dir/music/01 first.ogg" "$dir/music/$first"
mv "$dir/music/02 second.ogg" "$dir/music/$second"
music=$(winpath "$dir/music")
ini="$dir/app/Harrowgladeforte.ini"
# The INI holds code page 932.
printf '[Harrowgladeforte Core]\nHistry0=%s\nLastPlayFile=%s\\%s\nPlayListMode=0\n' \
  "$music" "$music" "$first" | iconv -t CP932 | write_ini "$ini"
screenshot="$artifacts/player_end_to_end${HGF_WINE_LOCALE:+-$HGF_WINE_LOCALE}.png"

export HGF_CAPTURE="$dir/capture.wav"
wine_run "$dir/app/Harrowgladeforte.exe" &
player=$!
HGF_CAPTURE="$dir/probe.wav" wine_run "$HGF_BUILD_DIR/bin/PlayerProbe.exe" \
  "$(winpath "$dir/ready")" 2 30 >"$dir/probe.log" &
probe=$!
for _ in $(seq 300); do [ -e "$dir/ready" ] && break; sleep 0.1; done
[ -e "$dir/ready" ] && sleep 0.5 && import -window root "$screenshot"
probe_ok=0
wait "$probe" && probe_ok=1
wait "$player" || fail "the program ended with an error"
tr -d '\r' <"$dir/probe.log" | tee "$dir/probe.txt"
[ "$probe_ok" = 1 ] || fail "the probe did not see both files play"

grep -q '^rows 3 selected 1$' "$dir/probe.txt" || fail "the list did not show the first file"
grep -q '^rows 3 selected 2$' "$dir/probe.txt" || fail "the second file did not follow"
frequency=$(captured_frequency "$HGF_CAPTURE")
echo "captured: strongest frequency $frequency Hz"
[ "$frequency" -ge 640 ] && [ "$frequency" -le 680 ] || fail "captured $frequency Hz, not 660 Hz"
last=$(ini_value "$ini" LastPlayFile | iconv -f CP932)
[ "$last" = "$music\\$second" ] || fail "LastPlayFile is $last"
[ "$(ini_value "$ini" Width)" = 320 ] || fail "Width is $(ini_value "$ini" Width)"
[ "$(ini_value "$ini" Height)" -gt 0 ] || fail "Height is $(ini_value "$ini" Height)"
picture_not_blank "$screenshot" || fail "the screenshot is blank"
echo "player end to end: ok"
