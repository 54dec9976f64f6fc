#!/usr/bin/env bash
# Makes two MP3 files with lame (1 s of silence, 3 s at 440 Hz, mono 22050 Hz), plays
# them with the MP3 capture program under Wine at volume 100 and 50, then checks the
# captured WAV files natively (check_tone_captures.sh).
# Usage: mp3_capture_test.sh <mp3_capture_program.exe>
set -uo pipefail
program=$1
source_dir=${HGF_SOURCE_DIR:-$(cd "$(dirname "$0")/../../.." && pwd)}
work=$(mktemp -d "${TMPDIR:-/tmp}/hgf-mp3-capture.XXXXXX")
trap 'rm -rf "$work"' EXIT
fail() { echo "FAILED: $*"; exit 1; }
windows_path() { local path=$1; printf 'Z:%s' "${path//\//\\}"; }

make_mp3=$source_dir/tests/engines/make_test_mp3.sh
"$make_mp3" "$work/lead.mp3" 1 0 22050 1 -b 32 || fail "cannot make the silent MP3"
"$make_mp3" "$work/tone.mp3" 3 440 22050 1 -b 64 || fail "cannot make the tone MP3"
for volume in 100 50; do
  HGF_CAPTURE=$work/capture-$volume.wav "$source_dir/scripts/wine-run.sh" "$program" \
    "$(windows_path "$work/lead.mp3")" "$(windows_path "$work/tone.mp3")" "$volume" \
    || fail "the capture program at volume $volume"
done
"$source_dir/tests/engines/win32/check_tone_captures.sh" "$work"
