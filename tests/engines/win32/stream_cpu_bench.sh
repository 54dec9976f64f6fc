#!/usr/bin/env bash
# Runs the stream playback CPU benchmark under Wine (with the file sound device).
# Usage: tests/engines/win32/stream_cpu_bench.sh [seconds of sound, default 60] [formats...]
set -euo pipefail
root=$(cd "$(dirname "$0")/../../.." && pwd)
work=$(mktemp -d "${TMPDIR:-/tmp}/hgf-stream-bench.XXXXXX")
trap 'rm -rf "$work"' EXIT
HGF_CAPTURE=$work/capture.wav "$root/scripts/wine-run.sh" \
  "$root/build/windows/bin/stream_playback_cpu_bench.exe" "${1:-60}" "${@:2}"
