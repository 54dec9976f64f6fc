#!/usr/bin/env bash
# Every PE file of the package (the unpacked zip, and the installer) imports only DLLs of
# a stock Windows 10/11 and DLLs that lie beside it in the package.
set -euo pipefail
source "$(dirname "$0")/package_test_lib.sh"
dir=$(mktemp -d "${TMPDIR:-/tmp}/hgf-package-imports.XXXXXX")
trap 'rm -rf "$dir"' EXIT
unpack_zip "$dir"
check=$HGF_SOURCE_DIR/tests/deliverables/check_binaries.sh
"$check" "$dir/Harrowgladeforte" && "$check" "$(dirname "$setup_file")" "$(basename "$setup_file")" ||
  fail "a packaged file needs a DLL that Windows does not have"
echo "package imports: ok"
