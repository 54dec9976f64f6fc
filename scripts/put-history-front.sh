#!/usr/bin/env bash
# put-history-front.sh INI ENTRY: puts ENTRY at the front of the player's load history
# (Histry0..Histry19 in the section "Harrowgladeforte Core"), followed by the older
# entries without a duplicate of ENTRY. Every other line stays; the file is created when
# missing and written with CR LF line ends. ENTRY is taken byte for byte (code page 932).
set -euo pipefail
if [ $# -ne 2 ]; then
  echo "usage: $0 INI ENTRY" >&2
  exit 2
fi
ini=$1
[ -f "$ini" ] || : >"$ini"
tmp=$(mktemp "$ini.XXXXXX")
trap 'rm -f "$tmp"' EXIT
# The entry travels through the environment: awk -v would read its backslashes as escapes.
HGF_HISTORY_ENTRY=$2 LC_ALL=C awk '
  function write_history(   i, n) {
    printf "Histry0=%s\r\n", entry
    n = 1
    for (i = 0; i < 20 && n < 20; i++) {
      if ((i in old) && old[i] != "" && toupper(old[i]) != toupper(entry)) {
        printf "Histry%d=%s\r\n", n, old[i]
        n++
      }
    }
  }
  BEGIN { entry = ENVIRON["HGF_HISTORY_ENTRY"] }
  { sub(/\r$/, "") }
  /^\[/ {
    in_section = (toupper($0) == "[HARROWGLADEFORTE CORE]")
    lines[++count] = $0
    if (in_section && !section_line) section_line = count
    next
  }
  in_section && toupper($0) ~ /^HISTRY[0-9]+=/ {
    equals = index($0, "=")
    old[substr($0, 7, equals - 7) + 0] = substr($0, equals + 1)
    next
  }
  { lines[++count] = $0 }
  END {
    for (i = 1; i <= count; i++) {
      printf "%s\r\n", lines[i]
      if (i == section_line) write_history()
    }
    if (!section_line) {
      printf "[Harrowgladeforte Core]\r\n"
      write_history()
    }
  }' "$ini" >"$tmp"
mv "$tmp" "$ini"
trap - EXIT
