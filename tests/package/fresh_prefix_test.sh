#!/usr/bin/env bash
# A fresh Wine prefix, made the way every test and demo makes one, for the zip and
# installer tests (fixture hgf_package_prefix). In it the face of the program's font,
# "ＭＳ Ｐゴシック", is realised with the installed IPA P Gothic: a proportional face with
# the Japanese character set.
set -euo pipefail
source "$(dirname "$0")/package_test_lib.sh"
WINEPREFIX=$fresh_prefix wineserver -k 2>/dev/null || true
rm -rf "$fresh_prefix" "$fresh_prefix.lock"
export HGF_WINEPREFIX=$fresh_prefix
start=$(date +%s)
probe=$(HGF_NO_SOUND=1 wine_run "$HGF_BUILD_DIR/bin/FontProbe.exe" | tr -d '\r' |
  iconv -f CP932 -t UTF-8) || fail "FontProbe did not run"
echo "fresh prefix made and probed in $(($(date +%s) - start)) s"
echo "$probe"
grep -qE '^full name (IPAPGothic|IPA Pゴシック)' <<<"$probe" || fail "the font is not IPA P Gothic"
grep -qx 'charset 128' <<<"$probe" || fail "the font has no Japanese character set"
grep -qx 'proportional 1' <<<"$probe" || fail "the font is not proportional"
echo "fresh prefix and font replacement: ok"
