#!/usr/bin/env bash
# Times `tavsw parse --quiet` as a whole process on the generated 10 MB files
# of bench_parse (a mixed MDD, an MDD of parameters only, an MLD and an MSS)
# against split_lines on the same file:
# the median wall time of five runs of each, their ratio, and the peak
# memory of the parse (/usr/bin/time).
# Usage: bench/parse_cli.sh BUILD_DIR   (a Release build with -DTAVSOFTWARE_BUILD_BENCH=ON)
set -euo pipefail
build="${1:-build-release}"
source "$(dirname "$0")/cli_common.sh"
dir="$(kept_files "$build/bench/bench_parse" 'ReadLines_Mss')"
trap 'rm -rf "$dir"' EXIT

printf '%-18s %10s %12s %8s %10s\n' file parse_ms split_ms ratio peak_MiB
for f in big_v2_1_0.mdd params_v2_1_0.mdd big_v2_1_0.mld big.mss; do
  parse=$(median_us "$build/tavsw" parse --quiet "$dir/$f")
  split=$(median_us "$build/bench/split_lines" "$dir/$f")
  peak=$(/usr/bin/time -f %M "$build/tavsw" parse --quiet "$dir/$f" 2>&1 > /dev/null | tail -1)
  awk -v f="$f" -v p="$parse" -v s="$split" -v k="$peak" \
    'BEGIN { printf "%-18s %10.1f %12.1f %8.1f %10.1f\n", f, p / 1000, s / 1000, p / s, k / 1024 }'
done
