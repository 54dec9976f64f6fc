#!/usr/bin/env bash
# A global hot key while another program has the focus, under Wine and Xvfb. The test host
# plays an MP3 file through VBMP3.dll beside it; a small window of another program, in a
# folder of its own without any of our DLLs, takes the focus; xdotool presses Ctrl+F10, the
# default key of "再生・一時停止". The core's keyboard hook, loaded into that program,
# tells the player: it pauses. The focused program still receives the key. Then the media
# keys, set up nowhere: Play/Pause resumes, Stop pauses, Play/Pause resumes again; Next
# Track, bound to "アプリケーションを終了" on the key page, ends the player instead of skipping.
set -euo pipefail
source "$(dirname "$0")/wine_test_lib.sh"
source "$HGF_SOURCE_DIR/scripts/xvfb.sh"
start_xvfb
dir=$(make_run_dir)
# Whatever happens, the two programs are told to end and waited for.
trap 'touch "$dir/stop"; wait; rm -rf "$dir"; stop_xvfb' EXIT
cp "$HGF_BUILD_DIR/bin/VBMP3.dll" "$HGF_BUILD_DIR/bin/libmpg123-0.dll" "$dir/"
mkdir -p "$dir/music" "$dir/witness"
cp "$HGF_BUILD_DIR/bin/KeyWitness.exe" "$dir/witness/"
"$HGF_SOURCE_DIR/tests/engines/make_test_mp3.sh" "$dir/music/01 tone.mp3" 30 440 22050 1 -b 32 ||
  fail "could not make the MP3 file"
music=$(winpath "$dir/music")
write_ini "$dir/CoreTestHost.ini" <<INI
[Harrowgladeforte Core]
Histry0=$music
LastPlayFile=$music\\01 tone.mp3
PlayListMode=0
e_Exit=176
INI

# Waits up to $2 tenths of a second for a line matching $1 in the log file $3 (for $4 such
# lines, when given).
wait_for_line() {
  for _ in $(seq "$2"); do
    [ -f "$3" ] && [ "$(tr -d '\r' <"$3" | grep -c "$1")" -ge "${4:-1}" ] && return 0
    sleep 0.1
  done
  return 1
}

export HGF_CAPTURE="$dir/capture.wav"
wine_run "$dir/CoreTestHost.exe" --log "$(winpath "$dir/host.log")" \
  --close-when "$(winpath "$dir/stop")" --close-after-ms 60000 &
host=$!
wait_for_line '^[0-9]* current 1 playing 1 .*01 tone.mp3$' 300 "$dir/host.log" ||
  fail "the MP3 file did not play"
HGF_CAPTURE="$dir/witness.wav" wine_run "$dir/witness/KeyWitness.exe" \
  "$(winpath "$dir/witness.log")" "$(winpath "$dir/stop")" &
witness=$!
wait_for_line '^focused$' 200 "$dir/witness.log" || fail "the other program did not get the focus"

# Without a window manager the X server gives no window the focus of its own accord.
xwindow=$(xdotool search --name '^Key witness$' | head -n 1)
[ -n "$xwindow" ] || fail "the other program's window was not found"
xdotool windowfocus --sync "$xwindow"
# F10 is released while Ctrl is still held: the hot key fires on the release.
xdotool keydown ctrl keydown F10 keyup F10 keyup ctrl
paused=0
wait_for_line '^[0-9]* current 1 playing 0 ' 100 "$dir/host.log" && paused=1
# Presses the key $1, then waits for $3 log lines matching $2.
media_step() {
  xdotool key "$1"
  wait_for_line "$2" 100 "$dir/host.log" "$3"
}
media=not-reached
if [ $paused = 1 ]; then
  playing='^[0-9]* current 1 playing 1 '
  media=play && media_step XF86AudioPlay "$playing" 2 &&
    media=stop && media_step XF86AudioStop '^[0-9]* current 1 playing 0 ' 2 &&
    media=second-stop && xdotool key XF86AudioStop && sleep 1 &&
    [ "$(tr -d '\r' <"$dir/host.log" | grep -c "$playing")" = 2 ] &&
    media=play-again && media_step XF86AudioPlay "$playing" 3 &&
    media=bound-next && media_step XF86AudioNext '^[0-9]* message loop ended' 1 &&
    media=done || :
fi
touch "$dir/stop"
wait "$witness" || fail "the other program ended with an error"
wait "$host" || fail "the host ended with an error"
tr -d '\r' <"$dir/host.log" | iconv -f CP932 -t UTF-8 | sed 's/^/host: /'
tr -d '\r' <"$dir/witness.log" | sed 's/^/other program: /'

grep -q 'VBMP3.dll loaded' <(tr -d '\r' <"$dir/host.log") ||
  fail "the player did not load VBMP3.dll"
[ $paused = 1 ] || fail "the hot key did not pause the player"
[ "$media" = done ] || fail "the media keys failed at the step: $media"
tr -d '\r' <"$dir/witness.log" | grep -q '^down 79$' || fail "the other program did not get F10"
tr -d '\r' <"$dir/witness.log" | grep -q '^up 79$' || fail "the other program did not get F10's release"
tr -d '\r' <"$dir/witness.log" | grep -q '^core library loaded$' ||
  fail "the keyboard hook did not run in the other program"
echo "hot key end to end: ok"
