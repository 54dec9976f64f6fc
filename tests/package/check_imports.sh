#!/usr/bin/env bash
# check_imports.sh PATH...: every PE file (.exe, .dll) given or found under the given
# folders may import only DLLs of a stock Windows 10/11 (windows-dlls.txt) and DLLs that
# lie in its own folder, where Windows looks first. Prints each file's imports and every
# import that a Windows without our build machine's extras would not find.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
objdump=x86_64-w64-mingw32-objdump
system=$(grep -v '^#' "$here/windows-dlls.txt" | tr 'A-Z' 'a-z')

files=()
for path in "$@"; do
  if [ -d "$path" ]; then
    while IFS= read -r -d '' file; do files+=("$file"); done \
      < <(find "$path" -type f \( -iname '*.exe' -o -iname '*.dll' \) -print0 | sort -z)
  else
    files+=("$path")
  fi
done
((${#files[@]})) || { echo "imports: no PE files in $*" >&2; exit 1; }

bad=0
for file in "${files[@]}"; do
  "$objdump" -p "$file" >/dev/null 2>&1 || { echo "imports: $file is not a PE file"; bad=1; continue; }
  imports=$("$objdump" -p "$file" | sed -n 's/^\s*DLL Name: //p' | tr 'A-Z' 'a-z' | sort -u)
  echo "imports: $file: $(tr '\n' ' ' <<<"$imports")"
  folder=$(dirname "$file")
  while IFS= read -r dll; do
    [ -n "$dll" ] || continue
    grep -qxF "$dll" <<<"$system" && continue
    [ -n "$(find "$folder" -maxdepth 1 -iname "$dll" -print -quit)" ] && continue
    echo "imports: FAIL: $file imports $dll, neither a Windows DLL nor beside it"
    bad=1
  done <<<"$imports"
done
exit $bad
