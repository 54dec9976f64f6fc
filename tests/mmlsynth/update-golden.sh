#!/usr/bin/env bash
# Rewrites the golden WAV files listed in tests/data/mmlsynth/golden.txt with the native
# renderer. Use only after an intended change of the sound, and listen to the result.
set -euo pipefail
cd "$(dirname "$0")/../.."
tool=${1:-build/native/mmlsynth/tools/tonwerkel-render}
data=tests/data/mmlsynth
grep -v '^#' "$data/golden.txt" | while read -r song seconds; do
  [ -n "$song" ] || continue
  "$tool" --seconds "$seconds" "$data/$song.mml" "$data/$song.wav"
  echo "$song.wav: $seconds s"
done
