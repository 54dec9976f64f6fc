#!/usr/bin/env bash
# The package command: sets up what is missing, builds the Windows preset and writes
#   build/package/Harrowgladeforte-<version>-win64.zip   the portable folder
#   build/package/Harrowgladeforte-<version>-setup.exe   the per-user installer
# and prints both paths with their sizes. The help pictures are taken under Wine on a
# virtual display (see scripts/help-pictures.sh).
#   HGF_SKIP_SETUP=1   skip the package and third-party check
#   HGF_JOBS=N         build jobs (default: all processors)
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/env.sh
jobs=${HGF_JOBS:-$(nproc)}

[ "${HGF_SKIP_SETUP:-0}" = 1 ] || scripts/setup.sh

echo "package: building for Windows"
cmake --preset windows >/dev/null
cmake --build --preset windows -j "$jobs"
echo "package: assembling"
scripts/assemble-package.sh build/windows build/package
