#!/usr/bin/env bash
# The core library carries the data section ".HGFCORE", marked shared, that holds the
# main window handle and the hot-key message for the keyboard hook (16 bytes on x64).
set -euo pipefail
dll="$HGF_BUILD_DIR/bin/Harrowgladeforte Core.dll"
headers=$(x86_64-w64-mingw32-objdump -h "$dll")
line=$(grep -A1 ' \.HGFCORE ' <<<"$headers") || { echo "no .HGFCORE section"; exit 1; }
echo "$line"
grep -q 'SHARED' <<<"$line" || { echo ".HGFCORE is not shared"; exit 1; }
size=$(awk '/ \.HGFCORE /{print $3}' <<<"$headers")
[ $((16#$size)) -eq 16 ] || { echo ".HGFCORE holds $((16#$size)) bytes, expected 16"; exit 1; }
