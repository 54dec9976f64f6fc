#!/usr/bin/env bash
# Makes a 44.1 kHz stereo MP3 at 160 kbit/s (a tone under noise) with lame and runs the
# MP3 playback CPU benchmark under Wine (with the file sound device).
# Usage: tests/engines/win32/mp3_cpu_bench.sh [seconds of sound, default 60]
set -euo pipefail
root=$(cd "$(dirname "$0")/../../.." && pwd)
work=$(mktemp -d "${TMPDIR:-/tmp}/hgf-mp3-bench.XXXXXX")
trap 'rm -rf "$work"' EXIT
sox -n -r 44100 -c 2 -b 16 "$work/sound.wav" synth "${1:-60}" sine 440 whitenoise vol 0.4
lame --quiet -b 160 "$work/sound.wav" "$work/sound.mp3"
HGF_CAPTURE=$work/capture.wav "$root/scripts/wine-run.sh" \
  "$root/build/windows/bin/mp3_playback_cpu_bench.exe" "Z:${work//\//\\}\\sound.mp3"
