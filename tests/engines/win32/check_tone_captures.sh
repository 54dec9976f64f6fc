#!/usr/bin/env bash
# Checks the captures <folder>/capture-100.wav and capture-50.wav of a 3 s 440 Hz tone,
# mono 22050 Hz, played at volume 100 and 50 among silence: the stream's format, the
# length of the sound (the capture with the silence before and after it removed), the
# tone's frequency, and a peak that halves with the volume.
# Usage: check_tone_captures.sh <folder>
set -uo pipefail
work=$1
fail() { echo "FAILED: $*"; exit 1; }
within() { awk -v v="$1" -v lo="$2" -v hi="$3" 'BEGIN { exit !(v >= lo && v <= hi) }'; }
peak100=
for volume in 100 50; do
  capture=$work/capture-$volume.wav
  [ -s "$capture" ] || fail "no capture at volume $volume"
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
