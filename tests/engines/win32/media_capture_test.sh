#!/usr/bin/env bash
# Plays a wave file through the filter graph (at volume 100 and 50) and through MCI, and an
# MML song through tonwerkel.dll, each under Wine into its own capture file; then checks
# that each capture holds the 440 Hz tone, and that volume 50 on the filter graph is the
# attenuation of 50 dB.
set -uo pipefail
: "${HGF_BUILD_DIR:?}" "${HGF_SOURCE_DIR:?}"
program=$HGF_BUILD_DIR/bin/media_capture_program.exe
run=$HGF_SOURCE_DIR/scripts/wine-run.sh
work=$(mktemp -d "${TMPDIR:-/tmp}/hgf-media-capture.XXXXXX")
trap 'rm -rf "$work"' EXIT
fail() { echo "FAILED: $*"; exit 1; }
source "$HGF_SOURCE_DIR/tests/support/capture_lib.sh"

play() {  # NAME MODE VOLUME
  echo "== $1"
  HGF_CAPTURE=$work/$1.wav timeout 60 "$run" "$program" "$2" "$3" >"$work/$1.log" 2>&1
  local rc=$?
  grep -v -i -E "setlocale|gstreamer|^$|ALSA lib|X connection" "$work/$1.log"
  [ $rc = 0 ] || fail "$1 ended with $rc"
  [ -s "$work/$1.wav" ] || fail "no capture for $1"
}

tone() {  # NAME MIN: the sounding part is a 440 Hz tone of at least MIN seconds
  local sound=$work/$1-sound.wav frequency seconds
  capture_sound "$work/$1.wav" "$sound" || fail "cannot read the capture of $1"
  frequency=$(capture_peak_frequency "$sound")
  seconds=$(capture_figure "$sound" "Length")
  echo "$1: sound of $seconds s, strongest at $frequency Hz," \
       "peak $(capture_figure "$sound" "Maximum amplitude")"
  awk -v f="$frequency" 'BEGIN { exit !(f >= 425 && f <= 455) }' || fail "$1 is no 440 Hz tone"
  awk -v s="$seconds" -v m="$2" 'BEGIN { exit !(s >= m) }' || fail "$1 sounds for $seconds s only"
}

play directshow-100 directshow 100
grep -q "DirectShow mode" "$work/directshow-100.log" || fail "not played through the filter graph"
tone directshow-100 1.0
play directshow-50 directshow 50
grep -q "graph volume -5000" "$work/directshow-50.log" || fail "volume 50 did not reach the graph"
tone directshow-50 1.0
ratio=$(awk -v a="$(capture_figure "$work/directshow-50-sound.wav" "Maximum amplitude")" \
  -v b="$(capture_figure "$work/directshow-100-sound.wav" "Maximum amplitude")" \
  'BEGIN { printf "%.5f", a / b }')
echo "peak ratio 50/100 through the filter graph: $ratio (-50 dB is 0.00316)"
awk -v r="$ratio" 'BEGIN { exit !(r > 0.0025 && r < 0.004) }' || fail "volume 50 gives ratio $ratio"

play mci mci 50
grep -q "MCI mode" "$work/mci.log" || fail "not played through MCI"
grep -q "mci: setaudio music left volume to 500 wait" "$work/mci.log" || fail "no MCI volume"
grep -q "message MM_MCINOTIFY wParam 1" "$work/mci.log" || fail "no successful MCI notification"
tone mci 1.5

play mml mml 100
grep -q "synthesizer" "$work/mml.log" || fail "the song did not play"
grep -q "message MSG_PLAY_CURRENT" "$work/mml.log" || fail "the song did not end"
tone mml 1.0
echo "ok"
