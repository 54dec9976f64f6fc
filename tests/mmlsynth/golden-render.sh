#!/usr/bin/env bash
# Renders every golden entry with the given tonwerkel-render (optionally behind a runner such
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
while read -r name seconds options; do
  case "$name" in ''|'#'*) continue ;; esac
  # Options name files of the data folder (FILE.dat); an entry with --sound has no song.
  args=()
  song="$prefix$data/$name.mml"
  for option in $options; do
    case "$option" in
      *.dat) args+=("$prefix$data/$option") ;;
      --sound) song=""; args+=("$option") ;;
      *) args+=("$option") ;;
    esac
  done
  if ! "$@" --seconds "$seconds" "${args[@]}" $song "$prefix$work/$name.wav"; then
    echo "FAIL $name: the renderer failed"
    failed=1
  elif ! cmp "$data/$name.wav" "$work/$name.wav"; then
    echo "FAIL $name: differs from the golden file"
    failed=1
  else
    echo "ok   $name"
  fi
done <"$data/golden.txt"
exit $failed
