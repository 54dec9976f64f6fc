#!/usr/bin/env bash
# Renders every golden song with the given tonwerkel-render (optionally behind a runner such
# as scripts/wine-run.sh) and compares the files byte for byte with the stored ones.
#   golden-render.sh [RUNNER...] TOOL
set -uo pipefail
data=$(cd "$(dirname "$0")/../data/mmlsynth" && pwd)
tool=${!#}
prefix=""
case "$tool" in *.exe) prefix="Z:" ;; esac  # Wine sees the Linux root as drive Z:
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failed=0
while read -r song seconds; do
  case "$song" in ''|'#'*) continue ;; esac
  if ! "$@" --seconds "$seconds" "$prefix$data/$song.mml" "$prefix$work/$song.wav"; then
    echo "FAIL $song: the renderer failed"
    failed=1
  elif ! cmp "$data/$song.wav" "$work/$song.wav"; then
    echo "FAIL $song: differs from the golden file"
    failed=1
  else
    echo "ok   $song"
  fi
done <"$data/golden.txt"
exit $failed
