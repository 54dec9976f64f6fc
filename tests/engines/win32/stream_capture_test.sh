#!/usr/bin/env bash
# Plays the stream capture program under Wine for each kind of file given, at volume 100
# and 50, then checks each pair of captured WAV files natively (check_tone_captures.sh):
# 16-bit with the channels and rate given, 3 s of a 440 Hz tone, half the peak at 50.
# Usage: stream_capture_test.sh <stream_capture_program.exe> <kind:channels:rate>...
#   for example vorbis:1:22050 flac:2:44100 flac24:2:96000 oggflac:2:44100 opus:2:48000
set -uo pipefail
program=$1
shift
source_dir=${HGF_SOURCE_DIR:-$(cd "$(dirname "$0")/../../.." && pwd)}
work=$(mktemp -d "${TMPDIR:-/tmp}/hgf-stream-capture.XXXXXX")
trap 'rm -rf "$work"' EXIT
fail() { echo "FAILED: $*"; exit 1; }

for case in "$@"; do
  IFS=: read -r kind channels rate <<<"$case"
  mkdir -p "$work/$kind"
  for volume in 100 50; do
    HGF_CAPTURE=$work/$kind/capture-$volume.wav "$source_dir/scripts/wine-run.sh" "$program" \
      "$kind" "$volume" || fail "the capture program for $kind at volume $volume"
  done
  echo "== $kind"
  "$source_dir/tests/engines/win32/check_tone_captures.sh" "$work/$kind" "$channels" "$rate" ||
    fail "$kind"
done
