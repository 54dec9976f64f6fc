#!/usr/bin/env bash
# The package's assembling step: from a finished Windows build it stages the folder
# Harrowgladeforte\ (program, libraries, help with its pictures, samples, tools, licence
# texts, read-me) and writes the portable zip and the installer:
#   OUT/Harrowgladeforte-<version>-win64.zip
#   OUT/Harrowgladeforte-<version>-setup.exe
# usage: scripts/assemble-package.sh [BUILD_DIR [OUT_DIR]]
#        (defaults: build/windows and build/package)
# The help pictures are screenshots of the program, taken under Wine on a virtual display.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
source "$root/scripts/env.sh"
build=$(realpath "${1:-$root/build/windows}")
out=${2:-$root/build/package}
mkdir -p "$out"
out=$(realpath "$out")
bin=$build/bin
objdump=x86_64-w64-mingw32-objdump
strip=x86_64-w64-mingw32-strip

fail() {
  echo "package: $*" >&2
  exit 1
}

# Names and versions from the one header the program's resources use.
product_info() { sed -n "s/^#define $1 \"\(.*\)\"$/\1/p" "$root/resources/ProductInfo.h"; }
title=$(product_info HGF_PRODUCT_TITLE)
version=$(product_info HGF_PRODUCT_VERSION_TEXT)
file_version=$(sed -n 's/^#define HGF_VERSION_NUMBERS \(.*\)$/\1/p' "$root/resources/ProductInfo.h" |
  tr -d ' ' | tr , .)
[ -n "$title" ] && [ -n "$version" ] && [ -n "$file_version" ] ||
  fail "no product name or version in resources/ProductInfo.h"

# What the package holds: the program and its libraries, the renderer, and the MIDI file
# converter's sample rules file and help section.
programs=("Harrowgladeforte.exe" "Harrowgladeforte Core.dll" tonwerkel.dll SMFK32.dll VBMP3.dll)
smf_sample=$root/resources/smfk32/SmfConvertSample.cfg
smf_help=$root/resources/help/smf-conversion.html
missing=()
for file in "${programs[@]}" tonwerkel-render.exe; do
  [ -f "$bin/$file" ] || missing+=("$bin/$file")
done
for file in "$smf_sample" "$smf_help"; do
  [ -f "$file" ] || missing+=("$file")
done
((${#missing[@]} == 0)) || fail "missing: ${missing[*]}"

stage_root=$out/stage
stage=$stage_root/$title
rm -rf "$stage_root"
mkdir -p "$stage"/{Help,Samples,tools,licenses}

# Binaries, without their symbol tables (the build keeps them for debugging).
ship_binary() { # source destination
  cp "$1" "$2"
  "$strip" --strip-unneeded "$2"
}
for file in "${programs[@]}"; do
  ship_binary "$bin/$file" "$stage/$file"
done
ship_binary "$bin/tonwerkel-render.exe" "$stage/tools/tonwerkel-render.exe"

# DLLs of ours that a shipped binary imports (libmpg123 for VBMP3.dll, for example) go
# beside the program, until every import of ours is inside the package.
imports_of() { "$objdump" -p "$1" | sed -n 's/^\s*DLL Name: //p'; }
while :; do
  added=0
  while IFS= read -r -d '' pe; do
    while read -r dll; do
      [ -n "$dll" ] || continue
      own=$(find "$bin" -maxdepth 1 -iname "$dll" -print -quit)
      if [ -n "$own" ] && [ -z "$(find "$stage" -maxdepth 1 -iname "$dll" -print -quit)" ]; then
        ship_binary "$own" "$stage/$(basename "$own")"
        added=1
      fi
    done < <(imports_of "$pe")
  done < <(find "$stage" -type f \( -iname '*.exe' -o -iname '*.dll' \) -print0)
  [ $added = 1 ] || break
done

# Licence texts of the third-party code the binaries carry (the build collects them).
compgen -G "$bin/licenses/*.txt" >/dev/null || fail "no licence texts in $bin/licenses"
cp "$bin"/licenses/*.txt "$stage/licenses/"

# Texts for Windows: the read-me as UTF-8 with a byte-order mark (Notepad of every
# Windows version reads it so), songs and effect sets in code page 932, all with CR LF.
crlf() { sed 's/\r*$/\r/'; }
{ printf '\xef\xbb\xbf'; crlf <"$root/package/Readme.txt"; } >"$stage/Readme.txt"
for sample in "$root"/package/samples/*; do
  iconv -f UTF-8 -t CP932 "$sample" | crlf >"$stage/Samples/$(basename "$sample")" ||
    fail "$sample does not convert to code page 932"
done
cp "$smf_sample" "$stage/Samples/"  # already code page 932 with CR LF

# The help page, with the MIDI file converter's section in its place, and its pictures.
help=$stage/Help/index.html
sed -e "/<!-- smf-conversion-section -->/{r $smf_help" -e 'd}' \
  "$root/package/help/index.html" >"$help"
cp "$root/package/help/help.css" "$stage/Help/"
"$root/scripts/help-pictures.sh" "$bin" "$stage/Samples" "$stage/Help/images"

# One time stamp for every file (the last commit's, when known), so that two packages of
# the same sources differ only where their content does.
stamp=$(git -C "$root" log -1 --format=%ct 2>/dev/null || date +%s)
find "$stage_root" -exec touch -h -d "@$stamp" {} +

zip_file=$out/$title-$version-win64.zip
setup_file=$out/$title-$version-setup.exe
rm -f "$zip_file" "$setup_file"
(cd "$stage_root" && TZ=UTC zip -q -r -X -9 "$zip_file" "$title")

# The uninstaller removes exactly the files the installer wrote, folders deepest first.
remove_files=$out/remove-files.nsh
(
  cd "$stage"
  find . -type f | sort | sed 's|^\./||; s|/|\\|g; s|.*|    Delete "$INSTDIR\\&"|'
  find . -mindepth 1 -type d | sort -r | sed 's|^\./||; s|/|\\|g; s|.*|    RMDir "$INSTDIR\\&"|'
) >"$remove_files"
makensis -V2 -INPUTCHARSET UTF8 \
  -DVERSION="$version" -DFILE_VERSION="$file_version" \
  -DPUBLISHER="$(product_info HGF_PUBLISHER)" -DLEGAL_NOTICE="$(product_info HGF_LEGAL_NOTICE)" \
  -DHOME_PAGE="$(product_info HGF_HOME_PAGE)" -DPLAYER_CLASS="$title $version" \
  -DSTAGE="$stage" -DREMOVE_FILES="$remove_files" \
  -DICON="$root/resources/launcher/Program.ico" -DOUTFILE="$setup_file" \
  "$root/package/$title.nsi" >"$out/makensis.log" ||
  { cat "$out/makensis.log" >&2; fail "makensis failed"; }

for file in "$zip_file" "$setup_file"; do
  echo "package: $file ($(stat -c %s "$file") bytes)"
done
