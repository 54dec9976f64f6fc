#!/usr/bin/env bash
# Plays the FLAC and Opus capture program under Wine for each kind of file (FLAC 16-bit
# 44.1 kHz, FLAC 24-bit 96 kHz, Ogg FLAC, Opus) at volume 100 and 50, then checks each
# pair of captured WAV files natively (check_tone_captures.sh): stereo 16-bit at the
# file's own rate, 3 s of a 440 Hz tone, half the peak at volume 50.
# Usage: flac_opus_capture_test.sh <flac_opus_capture_program.exe>
set -uo pipefail
program=$1
source_dir=${HGF_SOURCE_DIR:-$(cd "$(dirname "$0")/../../.." && pwd)}
work=$(mktemp -d "${TMPDIR:-/tmp}/hgf-flac-opus-capture.XXXXXX")
trap 'rm -rf "$work"' EXIT
fail() { echo "FAILED: $*"; exit 1; }

for case in flac:44100 flac24:96000 oggflac:44100 opus:48000; do
  format=${case%%:*} rate=${case##*:}
  mkdir -p "$work/$format"
  for volume in 100 50; do
    HGF_CAPTURE=$work/$format/capture-$volume.wav "$source_dir/scripts/wine-run.sh" "$program" \
      "$format" "$volume" || fail "the capture program for $format at volume $volume"
  done
  echo "== $format"
  "$source_dir/tests/engines/win32/check_tone_captures.sh" "$work/$format" 2 "$rate" ||
    fail "$format"
done
