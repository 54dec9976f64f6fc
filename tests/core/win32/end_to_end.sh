#!/usr/bin/env bash
# The player end to end under Wine and Xvfb: the INI's newest history entry is a folder of
# two Ogg Vorbis files (made here with libvorbisenc) and LastPlayFile names the first.
# At start the folder loads (status text cleared, rows in the combo box), the first file
# sounds, the second follows, and after WM_CLOSE the INI holds the window rectangle and
# the second file as LastPlayFile. A screenshot is kept and must not be blank.
set -euo pipefail
source "$(dirname "$0")/wine_test_lib.sh"
source "$HGF_SOURCE_DIR/scripts/xvfb.sh"
start_xvfb
dir=$(make_run_dir)
trap 'rm -rf "$dir"; stop_xvfb' EXIT
artifacts="$HGF_BUILD_DIR/test-artifacts"
mkdir -p "$artifacts" "$dir/music"

make_two_tones "$dir/music" || fail "could not make the Ogg files"
music=$(winpath "$dir/music")
ini="$dir/CoreTestHost.ini"
write_resume_ini "$ini" "$music"

export HGF_CAPTURE="$dir/capture.wav"
wine_run "$dir/CoreTestHost.exe" --close-after-tracks 2 --close-after-ms 20000 \
  --log "$(winpath "$dir/run.log")" --ready "$(winpath "$dir/ready")" &
host=$!
for _ in $(seq 200); do [ -e "$dir/ready" ] && break; sleep 0.1; done
[ -e "$dir/ready" ] || { kill "$host" 2>/dev/null; fail "the list was not shown in time"; }
sleep 0.5
import -window root "$artifacts/core_end_to_end.png"
wait "$host" || fail "the host ended with an error"
tr -d '\r' <"$dir/run.log" | iconv -f CP932 -t UTF-8 >"$dir/run.txt"  # CRLF, Shift_JIS
cat "$dir/run.txt"

# The list loaded and replaced the status text, and the two files played in order.
grep -q 'status \[\]$' "$dir/run.txt" || fail "the status text was not cleared"
grep -q ' rows 3$' "$dir/run.txt" || fail "the combo box did not get the heading and two files"
first=$(grep -n 'current 1 playing 1 .*01 first.ogg$' "$dir/run.txt" | head -n 1 | cut -d: -f1)
second=$(grep -n 'current 2 playing 1 .*02 second.ogg$' "$dir/run.txt" | head -n 1 | cut -d: -f1)
[ -n "$first" ] || fail "the first file did not play"
[ -n "$second" ] && [ "$second" -gt "$first" ] || fail "the second file did not follow the first"

# Sound: the capture holds the last playback, the second file's 660 Hz tone.
[ -s "$HGF_CAPTURE" ] || fail "no sound was captured"
frequency=$(captured_frequency "$HGF_CAPTURE")
echo "captured: strongest frequency $frequency Hz"
[ "$frequency" -ge 640 ] && [ "$frequency" -le 680 ] || fail "captured $frequency Hz, not 660 Hz"

# The INI now holds the window rectangle and the file that played last.
[ "$(ini_value "$ini" LastPlayFile)" = "$music\\02 second.ogg" ] ||
  fail "LastPlayFile is $(ini_value "$ini" LastPlayFile)"
[ "$(ini_value "$ini" Width)" = 320 ] || fail "Width is $(ini_value "$ini" Width)"
[ "$(ini_value "$ini" X)" = 960 ] || fail "X is $(ini_value "$ini" X), expected 1280 - 320"
[ "$(ini_value "$ini" Height)" -gt 0 ] || fail "Height is $(ini_value "$ini" Height)"
[ "$(ini_value "$ini" Histry0)" = "$music" ] || fail "Histry0 is $(ini_value "$ini" Histry0)"

# The screenshot shows more than one colour.
picture_not_blank "$artifacts/core_end_to_end.png" || fail "the screenshot is blank"
grep 'list shown\|working set' "$dir/run.txt" | sed 's/^/measured: /'
echo "end to end: ok"
