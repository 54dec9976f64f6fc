#!/usr/bin/env bash
# Plays the capture program under Wine at volume 100 and 50, then checks the captured
# WAV files natively: the stream's format, the length of the sound (the capture with the
# silence before and after it removed), a 440 Hz tone, and a peak that halves with the
# volume. Usage: ogg_capture_test.sh <ogg_capture_program.exe>
set -uo pipefail
program=$1
source_dir=${HGF_SOURCE_DIR:-$(cd "$(dirname "$0")/../../.." && pwd)}
work=$(mktemp -d "${TMPDIR:-/tmp}/hgf-ogg-capture.XXXXXX")
trap 'rm -rf "$work"' EXIT
fail() { echo "FAILED: $*"; exit 1; }

for volume in 100 50; do
  HGF_CAPTURE=$work/capture-$volume.wav "$source_dir/scripts/wine-run.sh" "$program" "$volume" \
    || fail "the capture program at volume $volume"
  [ -s "$work/capture-$volume.wav" ] || fail "no capture at volume $volume"
done

within() { awk -v v="$1" -v lo="$2" -v hi="$3" 'BEGIN { exit !(v >= lo && v <= hi) }'; }
peak100=
for volume in 100 50; do
  capture=$work/capture-$volume.wav
  channels=$(soxi -c "$capture"); rate=$(soxi -r "$capture"); bits=$(soxi -b "$capture")
  wav=$work/sound-$volume.wav
  sox "$capture" "$wav" silence 1 0.005 0.5% reverse silence 1 0.005 0.5% reverse \
    || fail "cannot trim the capture"
  echo "volume $volume: capture of $(soxi -D "$capture") s"
  seconds=$(soxi -D "$wav")
  stats=$(sox "$wav" -n stat 2>&1)
  frequency=$(awk -F: '/Rough +frequency/ { gsub(/ /, "", $2); print $2 }' <<<"$stats")
  peak=$(awk -F: '/Maximum amplitude/ { gsub(/ /, "", $2); print $2 }' <<<"$stats")
  echo "volume $volume: $channels channel(s), $rate Hz, $bits bit," \
       "sound of $seconds s, rough frequency $frequency Hz, peak $peak"
  [ "$channels" = 1 ] && [ "$rate" = 22050 ] && [ "$bits" = 16 ] || fail "format at volume $volume"
  within "$seconds" 2.7 3.3 || fail "length $seconds s instead of 3 s"
  within "$frequency" 430 450 || fail "frequency $frequency Hz instead of 440 Hz"
  if [ "$volume" = 100 ]; then
    peak100=$peak
  else
    ratio=$(awk -v a="$peak" -v b="$peak100" 'BEGIN { printf "%.3f", a / b }')
    echo "peak ratio 50/100: $ratio"
    within "$ratio" 0.48 0.52 || fail "volume 50 gives peak ratio $ratio"
  fi
done
echo "ok"
