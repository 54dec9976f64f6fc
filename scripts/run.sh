#!/usr/bin/env bash
# The run command: sets up what is missing, builds the player for Windows, renders a
# folder of demo tunes, makes that folder the newest entry of the player's load history
# (in the INI beside the program, so the player resumes it at start) and starts the
# player under Wine. Without a display it runs on a virtual one and the sound goes to a
# WAV file; with a display, sound goes wherever Wine sends it.
#   HGF_SKIP_SETUP=1      skip the package and third-party check
#   HGF_RUN_SECONDS=N     after N seconds take a screenshot and close the player
#   HGF_CAPTURE=out.wav   capture the sound to this file (default without a display:
#                         build/run/capture.wav)
#   HGF_JOBS=N            build jobs (default: all processors)
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/env.sh
jobs=${HGF_JOBS:-$(nproc)}

[ "${HGF_SKIP_SETUP:-0}" = 1 ] || scripts/setup.sh

echo "run: building the player for Windows"
cmake --preset windows >/dev/null
cmake --build --preset windows -j "$jobs" --target harrowgladeforte hgf_core tonwerkel smfk32
echo "run: building the demo-tune tool"
cmake --preset native >/dev/null
cmake --build --preset native -j "$jobs" --target hgf_demo_music

bin=$HGF_ROOT/build/windows/bin
program=$bin/Harrowgladeforte.exe
demo=$HGF_ROOT/build/demo-music
run_dir=$HGF_ROOT/build/run
mkdir -p "$run_dir"
"$HGF_ROOT/build/native/tools/demo-music/hgf_demo_music" "$demo" >/dev/null
echo "run: demo tunes in $demo"

# The Windows name of a Linux path through Wine's drive Z: (the file system root), in
# code page 932 as the INI holds it.
windows_path() {
  local path=$1
  printf 'Z:%s' "${path//\//\\}" | iconv -f UTF-8 -t CP932
}

ini=${program%.exe}.ini
scripts/put-history-front.sh "$ini" "$(windows_path "$demo")"
echo "run: $ini starts with the demo folder"

# A real display keeps the user's X authority and sound; without one, a virtual display
# and the capture file.
if [ -n "${DISPLAY:-}" ]; then
  export XAUTHORITY=${XAUTHORITY:-$HOME/.Xauthority}
  if [ -z "${PULSE_COOKIE:-}" ] && [ -f "$HOME/.config/pulse/cookie" ]; then
    export PULSE_COOKIE=$HOME/.config/pulse/cookie
  fi
  [ -n "${HGF_CAPTURE:-}" ] || export HGF_NO_SOUND=1
else
  export HGF_CAPTURE=${HGF_CAPTURE:-$run_dir/capture.wav}
fi
source scripts/xvfb.sh
start_xvfb  # no-op with a display

if [ -n "${HGF_NO_SOUND:-}" ]; then
  echo "run: starting the player (sound through Wine's own output)"
else
  echo "run: starting the player (sound captured to $HGF_CAPTURE)"
fi
if [ -z "${HGF_RUN_SECONDS:-}" ]; then
  echo "run: quit from the tray menu, or press Ctrl+C"
  scripts/wine-run.sh "$program"
  exit $?
fi

scripts/wine-run.sh "$program" &
player=$!
for ((second = 0; second < HGF_RUN_SECONDS; second++)); do
  kill -0 "$player" 2>/dev/null || break
  sleep 1
done
if kill -0 "$player" 2>/dev/null; then
  import -window root "$run_dir/screenshot.png" && echo "run: screenshot in $run_dir/screenshot.png"
  # Closed as the user would (WM_CLOSE), so the player saves its settings.
  HGF_NO_SOUND=1 scripts/wine-run.sh taskkill /im Harrowgladeforte.exe >/dev/null 2>&1 || true
  for _ in $(seq 30); do
    kill -0 "$player" 2>/dev/null || break
    sleep 1
  done
  if kill -0 "$player" 2>/dev/null; then
    echo "run: the player did not close; stopping Wine"
    WINEPREFIX=${HGF_WINEPREFIX:-$HGF_DEPS/wineprefix} wineserver -k || true
  fi
fi
status=0
wait "$player" || status=$?
echo "run: the player ended with code $status"
exit "$status"
