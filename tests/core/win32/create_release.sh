#!/usr/bin/env bash
# CreateInstance and Release work from a small host under Wine, without and with an INI
# file; Release alone saves nothing, and a run without an INI file creates one on closing.
set -euo pipefail
source "$(dirname "$0")/wine_test_lib.sh"
dir=$(make_run_dir)
trap 'rm -rf "$dir"' EXIT
ini="$dir/CoreTestHost.ini"

wine_run "$dir/CoreTestHost.exe" --release-only || fail "create and release without an INI file"
[ ! -e "$ini" ] || fail "Release wrote an INI file"

write_ini "$ini" <<'INI'
[Harrowgladeforte Core]
X=100
Y=200
Width=300
Height=25
Histry0=Z:\nowhere\at\all
WindowVisible=false
INI
before=$(md5sum <"$ini")
wine_run "$dir/CoreTestHost.exe" --release-only || fail "create and release with an INI file"
[ "$(md5sum <"$ini")" = "$before" ] || fail "Release changed the INI file"

rm "$ini"
wine_run "$dir/CoreTestHost.exe" --close-after-ms 1500 --log "$(winpath "$dir/run.log")" ||
  fail "a short run without an INI file"
tr -d '\r' <"$dir/run.log" | iconv -f CP932 -t UTF-8 >"$dir/run.txt"  # CRLF, Shift_JIS
cat "$dir/run.txt"
[ -e "$ini" ] || fail "closing did not create the INI file"
[ "$(ini_value "$ini" Width)" = 320 ] || fail "Width is not the default 320: $(ini_value "$ini" Width)"
[ "$(ini_value "$ini" WindowVisible)" = true ] || fail "WindowVisible was not saved"
grep -q '^[0-9]* released$' "$dir/run.txt" || fail "the host did not release the core"
echo "create and release: ok"
