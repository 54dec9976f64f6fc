#!/usr/bin/env bash
# The one test command: sets up what is missing, then builds and runs every test.
#   1. native build under ASan+UBSan: all portable tests (benchmarks are built, not run);
#   2. Windows build: the deliverables and their tests, run under Wine and Xvfb;
#   3. fuzz build (clang): each fuzzer for $HGF_FUZZ_SECONDS seconds (default 10).
# Set HGF_SKIP_SETUP=1 to skip the package and third-party check.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/env.sh
jobs=$(nproc)

[ "${HGF_SKIP_SETUP:-0}" = 1 ] || scripts/setup.sh

step() { echo; echo "=== $* ($(date +%T))"; }

step "native build with sanitizers"
cmake --preset native-asan >/dev/null
cmake --build --preset native-asan -j "$jobs"
step "native tests"
ctest --preset native-asan -j "$jobs"

step "Windows build"
cmake --preset windows >/dev/null
cmake --build --preset windows -j "$jobs"
step "Windows tests under Wine"
source scripts/xvfb.sh
start_xvfb
# The shared Wine prefix is made now, not inside whichever two tests start first, and one
# Wine server with its system processes runs for all of them: started by a test, they would
# keep that test's output open, and the test waiting, for as long as another test kept the
# server busy.
scripts/wine-run.sh cmd /c exit >/dev/null 2>&1
export WINEPREFIX=${HGF_WINEPREFIX:-$HGF_DEPS/wineprefix}
wineserver -w  # the server that made the prefix ends first
wineserver -p </dev/null >/dev/null 2>&1
scripts/wine-run.sh cmd /c exit >/dev/null 2>&1  # starts the system processes
trap 'wineserver -k 2>/dev/null; stop_xvfb' EXIT
ctest --preset windows
wineserver -k 2>/dev/null || true
trap - EXIT
stop_xvfb
unset WINEPREFIX

step "fuzz build"
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz -j "$jobs"
step "fuzzers, ${HGF_FUZZ_SECONDS:-10} s each"
scripts/fuzz.sh "${HGF_FUZZ_SECONDS:-10}"

step "all tests passed"
