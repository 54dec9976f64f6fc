#!/usr/bin/env bash
# Files written whole on a disk that is too small for them: mounts a 64 kB tmpfs and runs
# the window test that saves a long list over a short one there (the save fails with a
# message, the short list stays, nothing is left beside it, a short save then succeeds),
# and renders a song with tonwerkel-render over a small WAV file there (it fails, and the
# WAV file stays). Exits 77 (skipped) only when no tmpfs can be mounted here.
#   save_on_full_disk.sh <core_window_tests.exe> <tonwerkel-render.exe>
set -euo pipefail
source "$(dirname "$0")/wine_test_lib.sh"
source "$HGF_SOURCE_DIR/scripts/xvfb.sh"
window_tests=$1
render=$2
dir=$(mktemp -d "${TMPDIR:-/tmp}/hgf-full-disk.XXXXXX")
disk=$dir/disk
mkdir "$disk"
cleanup() {
  mountpoint -q "$disk" && umount "$disk"
  rm -rf "$dir"
  stop_xvfb
}
trap cleanup EXIT
if ! mount -t tmpfs -o size=64k hgf-full-disk "$disk" 2>"$dir/mount.txt"; then
  echo "SKIP: cannot mount a 64 kB tmpfs for the full-disk saves ($(cat "$dir/mount.txt"));" \
    "this needs root with the right to mount"
  exit 77
fi
start_xvfb

HGF_FULL_DISK=$(winpath "$disk") GTEST_FILTER='CoreWindowTest.SavingOverAListOnAFullDisk*' \
  wine_run "$window_tests" --gtest_brief=1 || fail "the save on the full disk"
[ "$(ls -A "$disk")" = list.m3u ] || fail "left on the disk: $(ls -A "$disk")"
rm -f "$disk/list.m3u"

printf 'older' >"$disk/song.wav"
rc=0
wine_run "$render" --seconds 5 "$(winpath "$HGF_SOURCE_DIR/tests/data/tonwerkel/tone440.mml")" \
  "$(winpath "$disk/song.wav")" 2>"$dir/render.txt" || rc=$?
cat "$dir/render.txt"
[ "$rc" = 1 ] || fail "tonwerkel-render on the full disk ended with $rc, not 1"
[ "$(cat "$disk/song.wav")" = older ] || fail "the older WAV file changed"
[ "$(ls -A "$disk")" = song.wav ] || fail "left on the disk: $(ls -A "$disk")"
echo "save on a full disk: ok"
