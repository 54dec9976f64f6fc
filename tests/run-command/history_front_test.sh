#!/usr/bin/env bash
# Checks scripts/put-history-front.sh byte for byte: a new file, an existing file whose
# other keys and sections stay, a repeated entry, a full history, Shift_JIS and
# backslashes kept as they are.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
put=$here/../../scripts/put-history-front.sh
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0

expect() { # name file expected-bytes (printf format)
  local name=$1 file=$2 expected
  expected=$(printf "$3" | od -An -tx1)
  if [ "$(od -An -tx1 <"$file")" != "$expected" ]; then
    echo "FAIL: $name"
    echo "--- got:"; cat -A "$file"
    echo "--- expected:"; printf "$3" | cat -A
    failures=$((failures + 1))
  else
    echo "ok: $name"
  fi
}

# A missing file gets the section with the one entry.
"$put" "$work/new.ini" 'Z:\build\demo-music'
expect "new file" "$work/new.ini" '[Harrowgladeforte Core]\r\nHistry0=Z:\\build\\demo-music\r\n'

# Other keys and sections stay; older entries follow in order, gaps closed, the repeated
# entry (in other letter case) dropped; LF-only lines come back as CR LF.
printf '[Other]\nHistry0=keep\n[Harrowgladeforte Core]\r\nX=10\r\nHistry3=C:\\music\r\nHistry1=z:\\BUILD\\demo-music\r\nHistry0=D:\\list.spl\r\nLastPlayFile=C:\\music\\a.ogg\r\n' \
  >"$work/old.ini"
"$put" "$work/old.ini" 'Z:\build\demo-music'
expect "existing file" "$work/old.ini" \
  '[Other]\r\nHistry0=keep\r\n[Harrowgladeforte Core]\r\nHistry0=Z:\\build\\demo-music\r\nHistry1=D:\\list.spl\r\nHistry2=C:\\music\r\nX=10\r\nLastPlayFile=C:\\music\\a.ogg\r\n'

# A full history keeps 20 entries: the oldest falls off.
{
  printf '[Harrowgladeforte Core]\r\n'
  for i in $(seq 0 19); do printf 'Histry%d=C:\\%02d\r\n' "$i" "$i"; done
} >"$work/full.ini"
"$put" "$work/full.ini" 'Z:\new'
{
  printf '[Harrowgladeforte Core]\r\nHistry0=Z:\\new\r\n'
  for i in $(seq 1 19); do printf 'Histry%d=C:\\%02d\r\n' "$i" "$((i - 1))"; done
} >"$work/full.expected"
if cmp -s "$work/full.ini" "$work/full.expected"; then echo "ok: full history"; else
  echo "FAIL: full history"; diff <(cat -A "$work/full.ini") <(cat -A "$work/full.expected") || true
  failures=$((failures + 1))
fi

# Shift_JIS bytes (表 = 95 5C, whose trail byte is a backslash) pass through untouched.
"$put" "$work/sjis.ini" "$(printf 'Z:\\\x95\x5c')"
expect "Shift_JIS entry" "$work/sjis.ini" '[Harrowgladeforte Core]\r\nHistry0=Z:\\\x95\x5c\r\n'

[ "$failures" = 0 ] || { echo "$failures failed"; exit 1; }
