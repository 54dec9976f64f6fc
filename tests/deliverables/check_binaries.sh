#!/usr/bin/env bash
# The Windows binaries of a folder as they ship. Every program and DLL imports only DLLs of
# a stock Windows 10/11 and DLLs beside it. The core imports system DLLs only, because its
# keyboard hook has Windows load it into every program that receives keyboard input, where
# imports are looked for in that program's folder; libmpg123 too, being replaceable by the
# user. VBMP3.dll exports exactly the fourteen vbmp3 functions.
# Usage: check_binaries.sh <folder> [name...]
#   With names: those files of the folder, each of which must exist. Without: every .exe
#   and .dll under the folder (an unpacked package, for example).
set -euo pipefail
folder=$1
shift

# DLLs that every Windows 10 and 11 installation has in its system folder.
stock="advapi32.dll bcrypt.dll comctl32.dll comdlg32.dll crypt32.dll dbghelp.dll dsound.dll
dwmapi.dll gdi32.dll gdiplus.dll imm32.dll iphlpapi.dll kernel32.dll mpr.dll msacm32.dll
msimg32.dll msvcrt.dll netapi32.dll ntdll.dll ole32.dll oleacc.dll oleaut32.dll powrprof.dll
psapi.dll rpcrt4.dll secur32.dll setupapi.dll shell32.dll shlwapi.dll ucrtbase.dll user32.dll
userenv.dll uxtheme.dll version.dll winhttp.dll wininet.dll winmm.dll winspool.drv ws2_32.dll
wsock32.dll wtsapi32.dll"
vbmp3_exports="vbmp3_callback vbmp3_close vbmp3_free vbmp3_getFileTagInfo vbmp3_init
vbmp3_getPosition vbmp3_open vbmp3_pause vbmp3_play vbmp3_reload vbmp3_restart vbmp3_seek
vbmp3_setSoftVolume vbmp3_stopCallback"

lower() { tr '[:upper:]' '[:lower:]'; }
stock=$(tr -s ' \n' '\n\n' <<<"$stock")
# Succeeds when the line list $2 holds the line $1.
listed() { grep -qxF "$1" <<<"$2"; }

binaries=()
if (($#)); then
  for name in "$@"; do
    [ -f "$folder/$name" ] || { echo "FAILED: $name is missing in $folder"; exit 1; }
    binaries+=("$folder/$name")
  done
else
  while IFS= read -r -d '' file; do binaries+=("$file"); done < <(
    find "$folder" -type f \( -iname '*.exe' -o -iname '*.dll' \) -print0 | sort -z)
fi
((${#binaries[@]})) || { echo "FAILED: no binaries in $folder"; exit 1; }

failed=0
for binary in "${binaries[@]}"; do
  name=$(basename "$binary")
  headers=$(x86_64-w64-mingw32-objdump -p "$binary") || { echo "FAILED: $name is no PE file"; failed=1; continue; }
  imports=$(sed -n 's/^\s*DLL Name: //p' <<<"$headers" | lower | sort -u)
  beside=$(find "$(dirname "$binary")" -maxdepth 1 -type f -iname '*.dll' -printf '%f\n' | lower)
  system_only=0
  case $(lower <<<"$name") in
    "harrowgladeforte core.dll" | libmpg123*.dll) system_only=1 ;;
  esac
  while IFS= read -r import; do
    if listed "$import" "$stock"; then continue; fi
    if [ $system_only = 0 ] && listed "$import" "$beside"; then continue; fi
    echo "FAILED: $name imports $import, which a stock Windows does not have$(
      [ $system_only = 1 ] && echo " (only system DLLs are allowed here)")"
    failed=1
  done <<<"$imports"
  echo "$name imports: $(paste -sd, <<<"$imports" | sed 's/,/, /g')"
  if [ "$(lower <<<"$name")" = vbmp3.dll ]; then
    exports=$(sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/p' <<<"$headers" |
      sed -n 's/^\s*\[ *[0-9]*\] //p' | sort)
    if [ "$exports" != "$(tr -s ' \n' '\n\n' <<<"$vbmp3_exports" | sort)" ]; then
      echo "FAILED: $name exports: $(echo $exports)"
      failed=1
    else
      echo "$name exports: $(echo $exports)"
    fi
  fi
done
[ $failed = 0 ] && echo "binaries: ok"
exit $failed
