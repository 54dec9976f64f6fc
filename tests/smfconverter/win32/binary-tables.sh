#!/usr/bin/env bash
# SMFK32.dll exports its one function at ordinal 2 and imports only system libraries; the
# core library does not import SMFK32.dll (it loads it at the first conversion).
set -euo pipefail
dll=$1
core=$2
table=$(x86_64-w64-mingw32-objdump -p "$dll")
ordinals=$(echo "$table" | sed -n 's/^\s*\[ *[0-9]*\] +base\[ *\([0-9]*\)\].*/\1/p' | tr '\n' ' ')
names=$(echo "$table" | sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/p' |
  sed -n 's/^\s*\[ *[0-9]*\] //p' | tr '\n' ' ')
imports=$(echo "$table" | sed -n 's/^\s*DLL Name: //p' | tr '\n' ' ')
echo "SMFK32.dll exports ordinals: $ordinals names: $names imports: $imports"
[ "$ordinals" = "2 " ] || { echo "expected exactly ordinal 2"; exit 1; }
[ "$names" = "ConvertSmf " ] || { echo "expected the name ConvertSmf"; exit 1; }
for name in $imports; do
  case "${name,,}" in
    kernel32.dll|msvcrt.dll) ;;
    *) echo "SMFK32.dll imports $name"; exit 1 ;;
  esac
done
core_imports=$(x86_64-w64-mingw32-objdump -p "$core" | sed -n 's/^\s*DLL Name: //p' | tr '\n' ' ')
echo "core imports: $core_imports"
if echo "$core_imports" | grep -qi 'smfk32'; then
  echo "the core imports SMFK32.dll"
  exit 1
fi
