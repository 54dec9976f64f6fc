#!/usr/bin/env bash
# Plays the Ogg capture program under Wine at volume 100 and 50, then checks the captured
# WAV files natively (check_tone_captures.sh).
# Usage: ogg_capture_test.sh <ogg_capture_program.exe>
set -uo pipefail
program=$1
source_dir=${HGF_SOURCE_DIR:-$(cd "$(dirname "$0")/../../.." && pwd)}
work=$(mktemp -d "${TMPDIR:-/tmp}/hgf-ogg-capture.XXXXXX")
trap 'rm -rf "$work"' EXIT
fail() { echo "FAILED: $*"; exit 1; }

for volume in 100 50; do
  HGF_CAPTURE=$work/capture-$volume.wav "$source_dir/scripts/wine-run.sh" "$program" "$volume" \
    || fail "the capture program at volume $volume"
done
"$source_dir/tests/engines/win32/check_tone_captures.sh" "$work"
