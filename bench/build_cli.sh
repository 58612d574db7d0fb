#!/usr/bin/env bash
# Times `tavsw build` (text and --json) as a whole process on the synthetic
# systems of bench_build (one and four processors, 4,000 peripherals) against
# split_lines over the files the build reads (the MSS, the hardware
# description and the definition files of the cores it uses): the median
# wall time of five runs of each, their ratio, and the peak memory of the
# build (/usr/bin/time).
# Usage: bench/build_cli.sh BUILD_DIR   (a Release build with -DTAVSOFTWARE_BUILD_BENCH=ON)
set -euo pipefail
build="${1:-build-release}"
source "$(dirname "$0")/cli_common.sh"
root="$(kept_files "$build/bench/bench_build" '/4000/')"
trap 'rm -rf "$root"' EXIT

mapfile -t defs < <(find "$root/repo" -path '*/ip*_v1_00_a/data/*.mdd' -o \
  -path '*/cpu_v1_00_a/data/*.mdd' -o -path '*/standalone_v2_00_a/data/*.mld')
printf '%-22s %10s %10s %8s %10s\n' system build_ms split_ms ratio peak_MiB
for procs in 1 4; do
  inputs=("$root/sys${procs}_4000.mss" "$root/hw${procs}_4000.json")
  split=$(median_us "$build/bench/split_lines" "${inputs[@]}" "${defs[@]}")
  for json in "" --json; do
    cmd=("$build/tavsw" build $json "${inputs[0]}" --hw "${inputs[1]}" --repo "$root/repo")
    wall=$(median_us "${cmd[@]}")
    peak=$(/usr/bin/time -f %M "${cmd[@]}" 2>&1 > /dev/null | tail -1)
    awk -v n="$procs proc(s)${json:+ $json}" -v w="$wall" -v s="$split" -v k="$peak" \
      'BEGIN { printf "%-22s %10.1f %10.1f %8.1f %10.1f\n", n, w / 1000, s / 1000, w / s, k / 1024 }'
  done
done
