#!/usr/bin/env bash
# Checks the captures <folder>/capture-100.wav and capture-50.wav of a 3 s 440 Hz tone
# (on the first channel), played through waveOut at volume 100 and 50 among silence: the
# stream's format (16-bit, by default mono 22050 Hz), the length of the sound, the tone's
# frequency, and a peak that halves with the volume (the analysis of
# tests/support/capture_lib.sh).
# Usage: check_tone_captures.sh <folder> [channels rate]
set -uo pipefail
work=$1
want_channels=${2:-1}
want_rate=${3:-22050}
source_dir=${HGF_SOURCE_DIR:-$(cd "$(dirname "$0")/../../.." && pwd)}
source "$source_dir/tests/support/capture_lib.sh"
fail() { echo "FAILED: $*"; exit 1; }
within() { awk -v v="$1" -v lo="$2" -v hi="$3" 'BEGIN { exit !(v >= lo && v <= hi) }'; }
peak100=
for volume in 100 50; do
  capture=$work/capture-$volume.wav
  [ -s "$capture" ] || fail "no capture at volume $volume"
  channels=$(soxi -c "$capture"); rate=$(soxi -r "$capture"); bits=$(soxi -b "$capture")
  sound=$work/sound-$volume.wav
  capture_sound "$capture" "$sound" || fail "cannot read the capture at volume $volume"
  seconds=$(capture_figure "$sound" "Length")
  frequency=$(capture_peak_frequency "$sound")
  peak=$(capture_figure "$sound" "Maximum amplitude")
  echo "volume $volume: $channels channel(s), $rate Hz, $bits bit, capture of" \
       "$(soxi -D "$capture") s, sound of $seconds s, strongest at $frequency Hz, peak $peak"
  [ "$channels" = "$want_channels" ] && [ "$rate" = "$want_rate" ] && [ "$bits" = 16 ] ||
    fail "format at volume $volume"
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
