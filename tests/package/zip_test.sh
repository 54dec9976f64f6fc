#!/usr/bin/env bash
# The portable zip under Wine, in the fresh prefix: unpacked into a folder, the program
# starts with no settings, shows its strip and writes its INI beside itself when closed.
# With a folder of two Ogg Vorbis files put at the front of its load history (as the run
# command does), it plays both, and its INI then names the file it played last. The page
# that "ヘルプ" opens lies where the program looks for it.
set -euo pipefail
source "$(dirname "$0")/package_test_lib.sh"
use_fresh_prefix
dir=$(mktemp -d "${TMPDIR:-/tmp}/hgf-package-zip.XXXXXX")
trap 'rm -rf "$dir"' EXIT
artifacts="$HGF_BUILD_DIR/test-artifacts"
mkdir -p "$artifacts"
unpack_zip "$dir/unpacked"
app=$dir/unpacked/Harrowgladeforte
ini=$app/Harrowgladeforte.ini
[ -s "$app/Help/index.html" ] || fail "the help page is not at Help\\index.html beside the program"

# First start: no settings, nothing to play.
export HGF_CAPTURE=$dir/first.wav
wine_run "$app/Harrowgladeforte.exe" &
player=$!
window=
for _ in $(seq 300); do
  window=$(xdotool search --onlyvisible --name '^Harrowgladeforte 2\.03$' 2>/dev/null | head -n 1 || true)
  [ -n "$window" ] && break
  sleep 0.1
done
[ -n "$window" ] || fail "the strip did not appear"
sleep 1
eval "$(xdotool getwindowgeometry --shell "$window")"
echo "strip at $X,$Y, $WIDTH x $HEIGHT"
import -window root -crop "${WIDTH}x${HEIGHT}+${X}+${Y}" +repage "$artifacts/package_zip_strip.png"
picture_not_blank "$artifacts/package_zip_strip.png" || fail "the strip is blank"
HGF_NO_SOUND=1 wine_run taskkill /im Harrowgladeforte.exe >/dev/null 2>&1 || true
wait_gone "$player" 30 || fail "the program did not close"
wait "$player" || fail "the program ended with an error"
[ -f "$ini" ] || fail "no INI beside the program"
[ "$(ini_value "$ini" Width)" = 320 ] || fail "the INI holds no window width"

# Second start: a folder of Ogg files at the front of the history.
make_two_tones "$dir/music" || fail "could not make the Ogg files"
"$HGF_SOURCE_DIR/scripts/put-history-front.sh" "$ini" "$(winpath "$dir/music")"
export HGF_CAPTURE=$dir/capture.wav
wine_run "$app/Harrowgladeforte.exe" &
player=$!
HGF_CAPTURE=$dir/probe.wav wine_run "$HGF_BUILD_DIR/bin/PlayerProbe.exe" \
  "$(winpath "$dir/ready")" 2 60 | tr -d '\r' | tee "$dir/probe.txt" &
probe=$!
wait "$probe" || fail "the probe did not see both files play"
wait_gone "$player" 30 || fail "the program did not close"
wait "$player" || fail "the program ended with an error"
grep -q '^rows 3 selected [12]$' "$dir/probe.txt" || fail "the list did not show the files"
expect_last_played_sound "$ini" "$HGF_CAPTURE" "$dir/music"
echo "package zip under Wine: ok"
