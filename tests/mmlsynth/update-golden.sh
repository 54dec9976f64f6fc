#!/usr/bin/env bash
# Rewrites the golden WAV files listed in tests/data/mmlsynth/golden.txt with the native
# renderer. Use only after an intended change of the sound, and listen to the result.
set -euo pipefail
cd "$(dirname "$0")/../.."
tool=${1:-build/native/mmlsynth/tools/tonwerkel-render}
data=tests/data/mmlsynth
grep -v '^#' "$data/golden.txt" | while read -r name seconds options; do
  [ -n "$name" ] || continue
  args=()
  song="$data/$name.mml"
  for option in $options; do
    case "$option" in
      *.dat) args+=("$data/$option") ;;
      --sound) song=""; args+=("$option") ;;
      *) args+=("$option") ;;
    esac
  done
  "$tool" --seconds "$seconds" "${args[@]}" $song "$data/$name.wav"
  echo "$name.wav: $(($(stat -c %s "$data/$name.wav") / 2 - 22)) samples"
done
