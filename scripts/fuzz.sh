#!/usr/bin/env bash
# Runs every fuzzer of the fuzz build (build/fuzz/fuzz/**/fuzz_<name>) for the given number of seconds (default 20),
# starting from its seed corpus in fuzz/corpus/<name> and the seeds the build made in
# build/fuzz/corpus/<name>. Pass a larger figure for a long run; the executions count is
# printed per fuzzer.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-20}
found=0
for fuzzer in $(find build/fuzz/fuzz -type f -name 'fuzz_*' -perm -u+x 2>/dev/null | sort); do
  found=1
  name=$(basename "$fuzzer")
  work=$(mktemp -d)
  for seeds in fuzz/corpus/${name#fuzz_} build/fuzz/corpus/${name#fuzz_}; do
    [ -d "$seeds" ] && cp -r "$seeds"/. "$work"/
  done
  log=$(mktemp)
  if ! "$fuzzer" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
      "$work" >"$log" 2>&1; then
    tail -50 "$log"
    echo "fuzz: $name FAILED"
    exit 1
  fi
  runs=$(grep -m1 'stat::number_of_executed_units' "$log" | awk '{print $2}')
  echo "fuzz: $name ok, ${runs:-?} executions in ${seconds} s"
  rm -rf "$work" "$log"
done
[ $found = 1 ] || echo "fuzz: no fuzzers built"
