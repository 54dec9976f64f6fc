#!/usr/bin/env bash
# The assembling step on this build: it writes the zip and the installer and names both
# with their sizes. The package is left for the tests that need it (fixture hgf_package).
set -euo pipefail
source "$(dirname "$0")/package_test_lib.sh"
rm -rf "$package_dir"
log=$(mktemp)
trap 'rm -f "$log"' EXIT
start=$(date +%s)
"$HGF_SOURCE_DIR/scripts/assemble-package.sh" "$HGF_BUILD_DIR" "$package_dir" | tee "$log"
echo "assembled in $(($(date +%s) - start)) s"
for file in "$zip_file" "$setup_file"; do
  [ -s "$file" ] || fail "$file was not written"
  grep -qxF "package: $file ($(stat -c %s "$file") bytes)" "$log" || fail "$file and its size not printed"
done
echo "package assemble: ok"
