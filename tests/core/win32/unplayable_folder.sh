#!/usr/bin/env bash
# The program on a folder of 300 files that no engine plays (empty wave files), under
# Wine. It passes over them all in list order while a probe in another process asks the
# window for answers: the window keeps answering, the player lives on after the pass and
# ends at once when closed, also in the middle of the pass, saving its INI both times.
# (The load cycles test shows that no library of ours uses up the process's thread-local
# storage however often it is loaded.) Each file costs about 0.1 s under Wine on a quiet
# machine, far more on a busy one.
set -euo pipefail
source "$(dirname "$0")/wine_test_lib.sh"
source "$HGF_SOURCE_DIR/scripts/xvfb.sh"
start_xvfb
dir=$(mktemp -d "${TMPDIR:-/tmp}/hgf-unplayable-test.XXXXXX")
trap 'rm -rf "$dir"; stop_xvfb' EXIT
files=${HGF_UNPLAYABLE_FILES:-300}  # more for a longer run by hand
rows=$((files + 1))  # the folder's heading first
mkdir -p "$dir/app" "$dir/music"
cp "$HGF_BUILD_DIR/bin/Harrowgladeforte.exe" "$HGF_BUILD_DIR/bin/Harrowgladeforte Core.dll" \
  "$HGF_BUILD_DIR/bin/tonwerkel.dll" "$dir/app/"
(cd "$dir/music" && for i in $(seq -w 1 $files); do : >"$i.wav"; done)
music=$(winpath "$dir/music")
ini="$dir/app/Harrowgladeforte.ini"

# Runs the player with a fresh INI and the probe with the arguments given; both must pass.
run_player() {
  write_ini "$ini" <<INI
[Harrowgladeforte Core]
Histry0=$music
LastPlayFile=$music\\0001.wav
PlayListMode=0
INI
  wine_run "$dir/app/Harrowgladeforte.exe" &
  local player=$!
  local probe_ok=0
  wine_run "$HGF_BUILD_DIR/bin/ResponsivenessProbe.exe" "$rows" "$@" | tr -d '\r' &&
    probe_ok=1
  wait "$player" || fail "the program ended with an error"
  [ "$probe_ok" = 1 ] || fail "the probe's checks failed ($*)"
  [ "$(ini_value "$ini" Histry0)" = "$music" ] || fail "Histry0 is $(ini_value "$ini" Histry0)"
  [ -n "$(ini_value "$ini" Width)" ] || fail "the settings were not saved on closing"
}

echo "--- the whole pass"
run_player through 600
echo "--- closed during the pass"
run_player close-at 20 300
echo "unplayable folder: ok"
