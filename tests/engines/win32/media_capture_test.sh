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

play() {  # NAME MODE VOLUME
  echo "== $1"
  HGF_CAPTURE=$work/$1.wav timeout 60 "$run" "$program" "$2" "$3" >"$work/$1.log" 2>&1
  local rc=$?
  grep -v -i -E "setlocale|gstreamer|^$|ALSA lib|X connection" "$work/$1.log"
  [ $rc = 0 ] || fail "$1 ended with $rc"
  [ -s "$work/$1.wav" ] || fail "no capture for $1"
}

# The sounding part of a capture, first channel, silences removed: Wine's file device
# runs faster than real time, so a player that keeps to the clock leaves gaps. Captures of
# 32 bits hold floating-point samples under an integer PCM header.
sound() {  # NAME
  local capture=$work/$1.wav
  local input=(-t raw -e floating-point -b 32 -c "$(soxi -c "$capture")" -r "$(soxi -r "$capture")")
  if [ "$(soxi -b "$capture")" = 32 ]; then
    tail -c +45 "$capture" | sox "${input[@]}" - "$work/$1-sound.wav" remix 1 \
      silence 1 0.002 0.05% -1 0.002 0.05%
  else
    sox "$capture" "$work/$1-sound.wav" remix 1 silence 1 0.002 0.05% -1 0.002 0.05%
  fi
}
figure() {  # NAME FIELD: a figure of sox's stat of the sounding part
  sox "$work/$1-sound.wav" -n stat 2>&1 | awk -F: -v f="$2" '$1 ~ f { gsub(/ /, "", $2); print $2 }'
}
peak_frequency() {  # NAME: the strongest line of the sounding part's spectrum, in Hz
  sox "$work/$1-sound.wav" -n stat -freq 2>&1 |
    awk 'NF == 2 && $1 + 0 > 0 && $2 + 0 > best { best = $2 + 0; f = $1 } END { print f }'
}
tone() {  # NAME MIN: the sounding part is a 440 Hz tone of at least MIN seconds
  sound "$1" || fail "cannot read the capture of $1"
  local frequency seconds
  frequency=$(peak_frequency "$1")
  seconds=$(figure "$1" "Length")
  echo "$1: sound of $seconds s, strongest at $frequency Hz," \
       "peak $(figure "$1" "Maximum amplitude")"
  # The spectrum's lines lie 5.4 Hz (22050 Hz) or 11.7 Hz (48000 Hz) apart.
  awk -v f="$frequency" 'BEGIN { exit !(f >= 425 && f <= 455) }' || fail "$1 is no 440 Hz tone"
  awk -v s="$seconds" -v m="$2" 'BEGIN { exit !(s >= m) }' || fail "$1 sounds for $seconds s only"
}

play directshow-100 directshow 100
grep -q "DirectShow mode" "$work/directshow-100.log" || fail "not played through the filter graph"
tone directshow-100 1.0
play directshow-50 directshow 50
grep -q "graph volume -5000" "$work/directshow-50.log" || fail "volume 50 did not reach the graph"
tone directshow-50 1.0
ratio=$(awk -v a="$(figure directshow-50 "Maximum amplitude")" \
  -v b="$(figure directshow-100 "Maximum amplitude")" 'BEGIN { printf "%.5f", a / b }')
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
