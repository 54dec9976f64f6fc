#!/usr/bin/env bash
# "Open with" under Wine and Xvfb. The program started with a folder on its command line
# loads that folder instead of the newest history entry. A second copy started with
# another folder hands it to the first copy and ends at once with 0, without asking
# whether to start anyway; the first copy loads it. A probe in another process watches
# the list and closes the player once the second folder's second file plays.
set -euo pipefail
source "$(dirname "$0")/wine_test_lib.sh"
source "$HGF_SOURCE_DIR/scripts/xvfb.sh"
start_xvfb
dir=$(mktemp -d "${TMPDIR:-/tmp}/hgf-open-with.XXXXXX")
trap 'rm -rf "$dir"; stop_xvfb' EXIT
mkdir -p "$dir/app" "$dir/old" "$dir/given"
cp "$HGF_BUILD_DIR/bin/Harrowgladeforte.exe" "$HGF_BUILD_DIR/bin/Harrowgladeforte Core.dll" \
  "$HGF_BUILD_DIR/bin/tonwerkel.dll" "$HGF_BUILD_DIR/bin/libmpg123-0.dll" "$dir/app/"
wine_run "$HGF_BUILD_DIR/bin/MakeToneOgg.exe" "$(winpath "$dir/old/old.ogg")" 330 4 &&
  wine_run "$HGF_BUILD_DIR/bin/MakeToneOgg.exe" "$(winpath "$dir/given/given.ogg")" 550 4 &&
  make_two_tones "$dir/music" || fail "could not make the Ogg files"
ini="$dir/app/Harrowgladeforte.ini"
write_resume_ini "$ini" "$(winpath "$dir/old")"

export HGF_CAPTURE="$dir/capture.wav"
wine_run "$dir/app/Harrowgladeforte.exe" "$(winpath "$dir/given")" &
player=$!
HGF_CAPTURE="$dir/probe.wav" wine_run "$HGF_BUILD_DIR/bin/PlayerProbe.exe" \
  "$(winpath "$dir/ready")" 2 60 >"$dir/probe.log" &
probe=$!
for _ in $(seq 300); do [ -e "$dir/ready" ] && break; sleep 0.1; done
[ -e "$dir/ready" ] || fail "the first copy showed no list"

# The second copy starts in the music folder's parent and names it relatively.
started=$(date +%s%N)
second=0
(cd "$dir" && HGF_CAPTURE="$dir/second.wav" timeout 30 "$HGF_SOURCE_DIR/scripts/wine-run.sh" \
  "$dir/app/Harrowgladeforte.exe" music) || second=$?
elapsed_ms=$((($(date +%s%N) - started) / 1000000))
echo "the second copy ended with $second after $elapsed_ms ms"
probe_ok=0
wait "$probe" && probe_ok=1
wait "$player" || fail "the first copy ended with an error"
tr -d '\r' <"$dir/probe.log" | tee "$dir/probe.txt"

[ "$second" = 0 ] || fail "the second copy ended with $second"
[ "$elapsed_ms" -lt 10000 ] || fail "the second copy took $elapsed_ms ms"
[ "$probe_ok" = 1 ] || fail "the probe did not see the handed-over folder play"
grep -q '^rows 2 selected 1$' "$dir/probe.txt" || fail "the given folder was not shown first"
grep -q '^rows 3 selected 2$' "$dir/probe.txt" || fail "the handed-over folder did not play"
for entry in "0 music" "1 given" "2 old"; do
  set -- $entry
  [ "$(ini_value "$ini" "Histry$1")" = "$(winpath "$dir/$2")" ] ||
    fail "Histry$1 is $(ini_value "$ini" "Histry$1"), not the folder $2"
done
echo "open with: ok"
