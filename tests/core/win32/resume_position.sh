#!/usr/bin/env bash
# The program resumes the last track where it stood, under Wine and Xvfb with the capture
# device, for each file type given (ogg, flac, wav, mp3; FLAC goes to the stream player,
# wave files to the filter graph, which may take Ogg files first). The folder holds one
# file whose tone changes every second (400 Hz in the first, 500 Hz in the second, ...).
# A first run plays it from the start and is closed by the probe about 3 s later (a fast
# capture device plays more meanwhile, hence the 40 s file): the INI holds the position
# and the file's stamp. A second run begins with the tone of the stored second. For the
# first type, a third run with ResumePosition=false begins with the first tone again (the
# setting acts before any engine is chosen).
#   resume_position.sh TYPE...
set -euo pipefail
source "$(dirname "$0")/wine_test_lib.sh"
source "$HGF_SOURCE_DIR/scripts/xvfb.sh"
start_xvfb
dir=$(mktemp -d "${TMPDIR:-/tmp}/hgf-resume-test.XXXXXX")
trap 'rm -rf "$dir"; stop_xvfb' EXIT
mkdir -p "$dir/app"
cp "$HGF_BUILD_DIR/bin/Harrowgladeforte.exe" "$HGF_BUILD_DIR/bin/Harrowgladeforte Core.dll" \
  "$HGF_BUILD_DIR/bin/tonwerkel.dll" "$HGF_BUILD_DIR/bin/libmpg123-0.dll" \
  "$HGF_BUILD_DIR/bin/VBMP3.dll" "$dir/app/"
ini="$dir/app/Harrowgladeforte.ini"
seconds=40
tone() { echo $((400 + 100 * $1)); }

# steps.wav: $seconds seconds, mono 44100 Hz, one tone per second.
parts=()
for n in $(seq 0 $((seconds - 1))); do
  sox -n -r 44100 -c 1 -b 16 "$dir/part$n.wav" synth 1 sine "$(tone "$n")" vol 0.5
  parts+=("$dir/part$n.wav")
done
sox "${parts[@]}" "$dir/steps.wav"

# Runs the program until the probe closes it, with the capture in "$dir/capture.wav".
run_player() {
  rm -f "$dir/ready" "$dir/capture.wav"
  HGF_CAPTURE="$dir/capture.wav" wine_run "$dir/app/Harrowgladeforte.exe" &
  local player=$!
  HGF_CAPTURE="$dir/probe.wav" wine_run "$HGF_BUILD_DIR/bin/PlayerProbe.exe" \
    "$(winpath "$dir/ready")" 1 30 >"$dir/probe.log" || fail "the probe did not see a track play"
  wait "$player" || fail "the program ended with an error"
}

# The strongest frequency of the first 150 ms of sound in the capture.
first_tone() {
  capture_sound "$dir/capture.wav" "$dir/sound.wav"
  sox "$dir/sound.wav" "$dir/head.wav" trim 0 0.15
  capture_peak_frequency "$dir/head.wav"
}

near() { [ "$1" -ge $(($2 - 30)) ] && [ "$1" -le $(($2 + 30)) ]; }

for type in "$@"; do
  music="$dir/music-$type"
  mkdir -p "$music"
  case "$type" in
    ogg) oggenc -Q -q 4 -o "$music/steps.ogg" "$dir/steps.wav" ;;
    mp3) lame --quiet -b 128 "$dir/steps.wav" "$music/steps.mp3" ;;
    flac) sox "$dir/steps.wav" "$music/steps.flac" ;;
    wav) cp "$dir/steps.wav" "$music/steps.wav" ;;
    *) fail "unknown type $type" ;;
  esac
  folder=$(winpath "$music")
  write_ini "$ini" <<INI
[Harrowgladeforte Core]
Histry0=$folder
LastPlayFile=$folder\\steps.$type
PlayListMode=0
INI
  run_player
  first=$(first_tone)
  position=$(ini_value "$ini" LastPlayPosition)
  echo "$type: first run began at $first Hz, closed at $position ms," \
    "stamp $(ini_value "$ini" LastPlayFileStamp)"
  near "$first" "$(tone 0)" || fail "$type: the first run began at $first Hz"
  [ "$position" -ge 1000 ] && [ "$position" -lt $((seconds * 1000)) ] ||
    fail "$type: stored position $position ms"
  [ -n "$(ini_value "$ini" LastPlayFileStamp)" ] || fail "$type: no stamp stored"

  run_player
  resumed=$(first_tone)
  second=$((position / 1000))
  echo "$type: resumed at $resumed Hz (second $second: $(tone "$second") Hz)"
  near "$resumed" "$(tone "$second")" ||
    { [ $((position % 1000)) -ge 850 ] && near "$resumed" "$(tone $((second + 1)))"; } ||
    fail "$type: resumed at $resumed Hz, not the tone of second $second"

  [ "$type" = "$1" ] || continue
  sed -i 's/^ResumePosition=.*/ResumePosition=false\r/' "$ini"
  run_player
  restarted=$(first_tone)
  echo "$type: with ResumePosition=false began at $restarted Hz"
  near "$restarted" "$(tone 0)" || fail "$type: ResumePosition=false began at $restarted Hz"
done
echo "resume position: ok"
