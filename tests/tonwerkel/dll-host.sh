#!/usr/bin/env bash
# Runs a scenario of tonwerkel_dll_host under Wine with the sound captured to a file.
#   dll-host.sh playback   songs with stop, resume and a new song; checks the capture
#   dll-host.sh effect     an effect that ends by itself; checks the capture
#   dll-host.sh lifecycle  load/free cycles, freeing while playing, exiting while playing
set -uo pipefail
: "${HGF_BUILD_DIR:?}" "${HGF_SOURCE_DIR:?}"
host=$HGF_BUILD_DIR/bin/tonwerkel_dll_host.exe
run=$HGF_SOURCE_DIR/scripts/wine-run.sh
data=Z:$HGF_SOURCE_DIR/tests/data/tonwerkel
work=$(mktemp -d "${TMPDIR:-/tmp}/tonwerkel-host.XXXXXX")
trap 'rm -rf "$work"' EXIT

scenario() {  # NAME: runs it, capturing into $work/NAME.wav; fails on a hang or a failure
  echo "== $1"
  HGF_CAPTURE=$work/$1.wav timeout 90 "$run" "$host" "$1" "$data" >"$work/$1.log" 2>&1
  local rc=$?
  grep -v setlocale "$work/$1.log"
  [ $rc = 0 ] || { echo "FAILED: scenario $1 ended with $rc"; exit 1; }
}

analyze() {  # NAME PATTERN
  HGF_NO_SOUND=1 "$run" "$host" analyze "Z:$work/$1.wav" "$2" 2>&1 | grep -v setlocale
  [ "${PIPESTATUS[0]}" = 0 ] || exit 1
}

case ${1:-} in
  playback)
    scenario playback
    # tone440, stopped, continued, stopped, tone660 from its start.
    analyze playback 440,0,440,0,659
    ;;
  effect)
    scenario effect
    analyze effect "${2:?pattern}"
    ;;
  lifecycle)
    scenario cycles
    scenario unload
    scenario exit
    grep -q "exiting" "$work/exit.log" || { echo "FAILED: exit scenario did not run"; exit 1; }
    ;;
  *)
    echo "usage: dll-host.sh playback|effect PATTERN|lifecycle"
    exit 2
    ;;
esac
