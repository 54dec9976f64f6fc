#!/usr/bin/env bash
# The keyboard hook inside another program, end to end under Wine and Xvfb, with the player
# playing: ForeignHookHost loads the core library beside the player, checks that loading it
# leaves its random sequence alone, points the shared section at its own window (with a
# message of its own, then with the hot-key message) while keys are typed into it with
# xdotool, and receives nothing; with the section put back, F12 typed into it hides the
# player's window.
set -euo pipefail
source "$(dirname "$0")/wine_test_lib.sh"
source "$HGF_SOURCE_DIR/scripts/xvfb.sh"
start_xvfb
dir=$(mktemp -d "${TMPDIR:-/tmp}/hgf-foreign-hook.XXXXXX")
trap 'rm -rf "$dir"; stop_xvfb' EXIT
mkdir -p "$dir/app" "$dir/steps"
cp "$HGF_BUILD_DIR/bin/Harrowgladeforte.exe" "$HGF_BUILD_DIR/bin/Harrowgladeforte Core.dll" \
  "$dir/app/"

mkdir -p "$dir/music"
wine_run "$HGF_BUILD_DIR/bin/MakeToneOgg.exe" "$(winpath "$dir/music/01 first.ogg")" 440 60 ||
  fail "could not make the Ogg file"
write_resume_ini "$dir/app/Harrowgladeforte.ini" "$(winpath "$dir/music")"

export HGF_CAPTURE="$dir/capture.wav"
wine_run "$dir/app/Harrowgladeforte.exe" &
player=$!
HGF_CAPTURE="$dir/host.wav" wine_run "$HGF_BUILD_DIR/bin/ForeignHookHost.exe" \
  "$(winpath "$dir/app/Harrowgladeforte Core.dll")" "$(winpath "$dir/steps")" >"$dir/host.log" &
host=$!

# Types into the host's window once it announces a step: five letters, or F12.
for step in 1 2 3; do
  for _ in $(seq 600); do [ -e "$dir/steps/ready-$step" ] && break; sleep 0.1; done
  [ -e "$dir/steps/ready-$step" ] || { cat "$dir/host.log"; fail "step $step was not reached"; }
  xdotool search --name '^Foreign hook host$' windowfocus --sync >/dev/null 2>&1 || true
  sleep 0.3
  if [ "$step" = 3 ]; then xdotool key F12; else xdotool key a s d f g; fi
  touch "$dir/steps/typed-$step"
done
host_ok=0
wait "$host" && host_ok=1
tr -d '\r' <"$dir/host.log"
wait "$player" || fail "the player ended with an error"
[ "$host_ok" = 1 ] || fail "the foreign program's checks failed"
echo "foreign hook: ok"
