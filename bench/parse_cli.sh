#!/usr/bin/env bash
# Times `tavsw parse --quiet` as a whole process on the generated 10 MB files
# of bench_parse (a mixed driver definition, one of parameters only, a library
# definition, a system specification), beside split_lines on the same file,
# with the system's own accounting (/usr/bin/time: wall time and peak memory).
# Usage: bench/parse_cli.sh BUILD_DIR   (a Release build with -DTAVSOFTWARE_BUILD_BENCH=ON)
set -euo pipefail
build="${1:-build-release}"
log="$(mktemp)"
TAVSW_BENCH_KEEP=1 "$build/bench/bench_parse" --benchmark_filter='ReadLines_Mss' 2> "$log" > /dev/null
dir="$(sed -n 's/^bench_parse: files kept in //p' "$log")"
rm -f "$log"
trap 'rm -rf "$dir"' EXIT
for f in big_v2_1_0.mdd params_v2_1_0.mdd big_v2_1_0.mld big.mss; do
  echo "== $f ($(stat -c %s "$dir/$f") bytes)"
  for run in 1 2 3; do
    /usr/bin/time -f "  tavsw parse --quiet: wall %e s, peak %M KiB" \
      "$build/tavsw" parse --quiet "$dir/$f"
    /usr/bin/time -f "  split_lines:         wall %e s, peak %M KiB" \
      "$build/bench/split_lines" "$dir/$f" > /dev/null
  done
done
