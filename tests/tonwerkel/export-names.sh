#!/usr/bin/env bash
# The library exports exactly its 18 functions, undecorated.
set -euo pipefail
dll=$1
expected="Finalize GetBGMVolume GetSoundVolume GetVersion Initialize Load LoadBGM LoadBGMFromMem
LoadSound LoadSoundFromMem PlayBGM PlaySound ResumeBGM SetBGMVolume SetSoundVolume StopBGM
StopSound Store"
actual=$(x86_64-w64-mingw32-objdump -p "$dll" |
  sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/p' | sed -n 's/^\s*\[ *[0-9]*\] //p' | sort)
want=$(echo $expected | tr ' ' '\n' | sort)
if [ "$actual" != "$want" ]; then
  echo "export table differs:"
  diff <(echo "$want") <(echo "$actual") || true
  exit 1
fi
echo "18 exports: $(echo $actual)"
