#!/usr/bin/env bash
# Times `tavsw build --json` as a whole process on the synthetic systems of
# bench_build (one and four processors, 4,000 peripherals), with the
# system's own accounting (/usr/bin/time: wall time and peak memory).
# Usage: bench/build_cli.sh BUILD_DIR   (a Release build with -DTAVSOFTWARE_BUILD_BENCH=ON)
set -euo pipefail
build="${1:-build-release}"
log="$(mktemp)"
TAVSW_BENCH_KEEP=1 "$build/bench/bench_build" --benchmark_filter='/4000/' 2> "$log" > /dev/null
root="$(sed -n 's/^bench_build: files kept in //p' "$log")"
rm -f "$log"
trap 'rm -rf "$root"' EXIT
for procs in 1 4; do
  echo "== $procs processor(s), 4000 peripherals"
  /usr/bin/time -f "wall %e s, peak %M KiB" "$build/tavsw" build --json \
    "$root/sys${procs}_4000.mss" --hw "$root/hw${procs}_4000.json" --repo "$root/repo" > /dev/null
done
