#!/usr/bin/env bash
# Builds the whole project with AddressSanitizer and UndefinedBehaviorSanitizer
# (build-asan/) and runs the complete test suite, then runs it once more in a
# Release build without sanitizers (build-release-test/), as users build it.
# Fails on any failing test and on any sanitizer report.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
source scripts/deps.sh
ensure_packages "${BUILD_PACKAGES[@]}" "${FUZZ_PACKAGES[@]}" "${TEST_PACKAGES[@]}"

build="${TAVSW_BUILD_DIR:-build-asan}"
jobs="${TAVSW_JOBS:-2}"
export ASAN_OPTIONS=detect_leaks=1:halt_on_error=1
export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1

cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DTAVSOFTWARE_SANITIZE=ON
cmake --build "$build" -j "$jobs"

log="$build/ctest-output.log"
status=0
ctest --test-dir "$build" --output-on-failure -j "$jobs" 2>&1 | tee "$log" || status=$?
# The sanitizers halt on their first report, which fails the test; the scan
# also catches a report from a helper process whose exit status got lost.
if grep -Eq '(AddressSanitizer|LeakSanitizer|UndefinedBehaviorSanitizer)|runtime error:' "$log"; then
  echo "test: sanitizer report found, see $log" >&2
  status=1
fi

# The optimised build users run, with the allocator and paths the sanitizers
# replace.
release="${TAVSW_RELEASE_BUILD_DIR:-build-release-test}"
cmake -S . -B "$release" -G Ninja -DCMAKE_BUILD_TYPE=Release
cmake --build "$release" -j "$jobs"
ctest --test-dir "$release" --output-on-failure -j "$jobs" || status=$?

# The fuzz targets, built with clang, each run for a short while on their
# corpus so that a regression in the readers is caught here too. The test
# programs are built there as well, so that they stay clang's too.
fuzzbuild="${TAVSW_FUZZ_BUILD_DIR:-build-fuzz}"
CC=clang CXX=clang++ cmake -S . -B "$fuzzbuild" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DTAVSOFTWARE_BUILD_FUZZ=ON -DTAVSOFTWARE_SANITIZE=ON -DCMAKE_CXX_FLAGS=-fsanitize=fuzzer-no-link \
  -DTAVSOFTWARE_BUILD_TESTS=ON -DTAVSOFTWARE_BUILD_TOOLS=OFF \
  -DTAVSW_FUZZ_SECONDS="${TAVSW_FUZZ_SECONDS:-30}"
cmake --build "$fuzzbuild" -j "$jobs"
ctest --test-dir "$fuzzbuild/fuzz" -L fuzz --output-on-failure -j "$jobs" || status=$?

exit "$status"
