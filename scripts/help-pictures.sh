#!/usr/bin/env bash
# Takes the help page's pictures: runs the program from BIN under Wine on a virtual
# display with a small music folder made of the sample songs, and photographs the strip,
# the open list, the volume slider, the menu and five pages of the options sheet, driving
# the mouse and keys with xdotool. The pictures go to OUT as PNG files.
# usage: scripts/help-pictures.sh BIN SAMPLES OUT
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
source "$root/scripts/env.sh"
bin=$1 samples=$2 out=$3
mkdir -p "$out"

source "$root/scripts/xvfb.sh"
start_xvfb
work=$(mktemp -d "${TMPDIR:-/tmp}/hgf-help-pictures.XXXXXX")
player=
cleanup() {
  if [ -n "$player" ] && kill -0 "$player" 2>/dev/null; then
    HGF_NO_SOUND=1 "$root/scripts/wine-run.sh" taskkill /f /im Harrowgladeforte.exe \
      >/dev/null 2>&1 || true
    wait "$player" 2>/dev/null || true
  fi
  rm -rf "$work"
  stop_xvfb
}
trap cleanup EXIT
fail() {
  echo "help pictures: $*" >&2
  exit 1
}

mkdir -p "$work/app"
cp "$bin/Harrowgladeforte.exe" "$bin/Harrowgladeforte Core.dll" "$bin/tonwerkel.dll" "$work/app/"

# A folder of sample songs with a sub-folder, under Japanese names, so that the list shows
# folder rows.
music=$work/ミュージック
mkdir -p "$music/サンプル曲" "$music/サンプル曲/ワルツ"
cp "$samples/Morning.mml" "$music/サンプル曲/01 朝の散歩.mml"
cp "$samples/Beat.mml" "$music/サンプル曲/02 ビート.mml"
cp "$samples/Waltz.mml" "$music/サンプル曲/ワルツ/01 小さなワルツ.mml"
cp "$samples/Morning.mml" "$music/サンプル曲/ワルツ/02 朝の散歩 (もう一度).mml"
windows_music="Z:${music//\//\\}"
{
  printf '[Harrowgladeforte Core]\r\n'
  printf 'Histry0=%s\r\n' "$windows_music"
  printf 'LastPlayFile=%s\\サンプル曲\\01 朝の散歩.mml\r\n' "$windows_music"
  printf 'PlayListMode=0\r\n'
} | iconv -f UTF-8 -t CP932 >"$work/app/Harrowgladeforte.ini"

export HGF_CAPTURE=$work/capture.wav
"$root/scripts/wine-run.sh" "$work/app/Harrowgladeforte.exe" 2>/dev/null &
player=$!

# The first X window whose name matches, waiting up to 30 s.
find_window() {
  local id
  for _ in $(seq 300); do
    id=$(xdotool search --onlyvisible --name "$1" 2>/dev/null | head -n 1 || true)
    [ -n "$id" ] && { echo "$id"; return 0; }
    sleep 0.1
  done
  return 1
}
geometry() { # window -> "X Y W H"
  eval "$(xdotool getwindowgeometry --shell "$1")"
  echo "$X $Y $WIDTH $HEIGHT"
}
# shot NAME X Y W H [trim]: a part of the screen; with "trim" cut to the windows drawn in
# it, the (black) screen around them made transparent.
shot() {
  local name=$1 x=$2 y=$3 w=$4 h=$5 trim=${6:-}
  ((x < 0)) && { w=$((w + x)); x=0; }
  ((y < 0)) && { h=$((h + y)); y=0; }
  if [ -n "$trim" ]; then
    import -window root -crop "${w}x${h}+${x}+${y}" +repage png:- |
      convert - -trim +repage -bordercolor black -border 1 -alpha set -fill none \
        -draw 'color 0,0 floodfill' -shave 1x1 -strip "$out/$name.png"
  else
    import -window root -crop "${w}x${h}+${x}+${y}" +repage -strip "$out/$name.png"
  fi
  echo "help pictures: $name.png ($(identify -format '%wx%h' "$out/$name.png"))"
}

# click BUTTON X Y: a press and, a moment later, the release.
click() {
  xdotool mousemove "$2" "$3" sleep 0.2 mousedown "$1" sleep 0.2 mouseup "$1"
}
# drawn X Y W H: waits up to 5 s until something is drawn on that part of the (black)
# screen.
drawn() {
  local i
  for ((i = 0; i < 25; i++)); do
    [ "$(import -window root -crop "${3}x${4}+${1}+${2}" -format '%[max]' info:)" != 0 ] && return 0
    sleep 0.2
  done
  return 1
}

strip=$(find_window '^Harrowgladeforte 2\.03$') || fail "the program's window did not appear"
sleep 1  # placed at the bottom right after it appeared
read -r sx sy sw sh < <(geometry "$strip")
echo "help pictures: the strip is at $sx,$sy, $sw x $sh"
cy=$((sy + sh / 2))
# The play indicator blinks once the folder is loaded and the first song plays: it has
# changed twice.
indicator() { import -window root -crop "16x${sh}+${sx}+${sy}" -depth 8 rgb:- | md5sum; }
last=$(indicator) changes=0
for _ in $(seq 60); do
  sleep 0.5
  now=$(indicator)
  [ "$now" = "$last" ] || changes=$((changes + 1))
  last=$now
  ((changes < 2)) || break
done
((changes >= 2)) || fail "the program does not play the sample songs"
shot strip "$sx" "$sy" "$sw" "$sh"

# The open list: it opens upwards from the strip at the bottom of the screen.
click 1 $((sx + sw / 2)) "$cy"
drawn "$sx" 0 "$sw" "$sy" || fail "the list did not open"
sleep 0.5
shot list "$sx" 0 "$sw" $((sy + sh)) trim
xdotool key Escape
sleep 1

# The menu opens above the pointer on a right click on the volume button. (Wine keeps the
# release of a right click on the play indicator, which it takes for a caption, from the
# program, so the menu does not open there under Wine.)
click 3 $((sx + sw - 8)) "$cy"
drawn $((sx - 500)) 0 $((500 + sw)) "$sy" || fail "the menu did not open"
sleep 0.5
shot menu $((sx - 500)) 0 $((500 + sw)) $((sy + sh)) trim
# "オプション" is the third item from the bottom. The sheet opens beside the strip, partly
# off the screen; it is moved into view for its pictures.
xdotool key Up sleep 0.3 key Up sleep 0.3 key Up sleep 0.3 key Return
sheet=$(find_window '^オプション$') || fail "the options sheet did not open"
xdotool windowmove "$sheet" 40 40
sleep 1
page() { # name
  local x y w h
  read -r x y w h < <(geometry "$sheet")
  shot "$1" "$x" "$y" "$w" "$h"
}
# The pages in sheet order: Shift+Tab takes the focus to the tabs, Right turns the page.
page options-dll1
xdotool key shift+Tab
for name in - options-layered options-keys options-shortcuts options-other; do
  xdotool key Right
  sleep 0.7
  [ "$name" = - ] || page "$name"
done
for name in options-layered options-keys options-shortcuts options-other; do
  cmp -s "$out/options-dll1.png" "$out/$name.png" && fail "the sheet did not turn to $name"
done
xdotool key Escape
sleep 1

# The volume slider slides out of the button at the right end.
click 1 $((sx + sw - 8)) "$cy"
drawn $((sx + sw - 260)) $((sy - 260)) 260 260 || fail "the volume slider did not open"
sleep 0.5
shot volume $((sx + sw - 260)) $((sy - 260)) 260 $((260 + sh)) trim

# Closed as the user would, so nothing is left running in the prefix.
sleep 0.5
HGF_NO_SOUND=1 "$root/scripts/wine-run.sh" taskkill /im Harrowgladeforte.exe >/dev/null 2>&1 || true
for _ in $(seq 100); do
  kill -0 "$player" 2>/dev/null || break
  sleep 0.1
done
wait "$player" 2>/dev/null || true
player=
