# Shared by the *_cli.sh scripts: keeping a benchmark's generated files, and
# timing a whole process. Source it; it defines functions only.

# Runs benchmark BINARY (with FILTER) keeping its files; prints their directory.
kept_files() {
  local log dir
  log="$(mktemp)"
  TAVSW_BENCH_KEEP=1 "$1" --benchmark_filter="$2" 2> "$log" > /dev/null
  dir="$(sed -n 's/^.*: files kept in //p' "$log")"
  rm -f "$log"
  printf '%s\n' "$dir"
}

# The median wall time of five runs, in microseconds.
median_us() {
  local times=() t0 t1
  "$@" > /dev/null  # warm the page cache
  for _ in 1 2 3 4 5; do
    t0=$(date +%s%N)
    "$@" > /dev/null
    t1=$(date +%s%N)
    times+=($(((t1 - t0) / 1000)))
  done
  printf '%s\n' "${times[@]}" | sort -n | sed -n 3p
}
