#!/usr/bin/env bash
# Makes one MP3 test file with sox and lame: a sine tone (the second channel at 1.5 times
# the frequency), or silence when the frequency is 0.
# Usage: make_test_mp3.sh <out.mp3> <seconds> <frequency> <rate> <channels> [lame options...]
set -euo pipefail
out=$1 seconds=$2 frequency=$3 rate=$4 channels=$5
shift 5
work=$(mktemp -d "${TMPDIR:-/tmp}/hgf-mp3.XXXXXX")
trap 'rm -rf "$work"' EXIT
if [ "$frequency" = 0 ]; then
  tones=(sine 440 vol 0)
elif [ "$channels" = 2 ]; then
  tones=(sine "$frequency" sine "$(awk -v f="$frequency" 'BEGIN { print f * 1.5 }')" vol 0.5)
else
  tones=(sine "$frequency" vol 0.5)
fi
sox -n -r "$rate" -c "$channels" -b 16 "$work/tone.wav" synth "$seconds" "${tones[@]}"
mkdir -p "$(dirname "$out")"
lame --quiet "$@" "$work/tone.wav" "$work/out.mp3"
mv "$work/out.mp3" "$out"
