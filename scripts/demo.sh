#!/usr/bin/env bash
# Builds the project (Release, in build-release/) and runs tavsw on the demo
# installation in examples/: prints its version, reads every definition and
# system file of the demo, lists the demo repository and looks cores up in
# it, builds the runtime model of the demo system and runs the demo generator
# on it. Fails when any file has errors or a lookup finds nothing.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
source scripts/deps.sh
ensure_packages "${BUILD_PACKAGES[@]}"

build="${TAVSW_BUILD_DIR:-build-release}"
jobs="${TAVSW_JOBS:-2}"
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release
cmake --build "$build" -j "$jobs"

tavsw="$build/tavsw"
"$tavsw" --version

mapfile -t files < <(find examples -type f \( -name '*.mdd' -o -name '*.mld' -o -name '*.mss' \) |
                     LC_ALL=C sort)
if [ "${#files[@]}" -eq 0 ]; then
  echo "demo: no example files found under examples/" >&2
  exit 1
fi
"$tavsw" parse "${files[@]}"
echo "demo: ${#files[@]} files read without errors"

# The demo repository: every core in search order, and which core a lookup picks.
"$tavsw" repo list --repo examples/repo
"$tavsw" repo find tavgpio --repo examples/repo
"$tavsw" repo find tavgpio 1.00.a --kind driver --repo examples/repo
"$tavsw" repo find standalone --kind os --repo examples/repo

# The runtime model of the demo system, per processor; then the demo
# generator's C header (the support scripts come from the demo installation).
"$tavsw" build examples/system.mss --hw examples/hw/system.json --repo examples/repo
header="$build/params.h"
QUARLY_VEK="$PWD/examples" "$tavsw" tcl examples/gen/params_header.tcl examples/system.mss \
  --hw examples/hw/system.json --repo examples/repo -- "$header"
cat "$header"

# A new MSS for the demo processor, made from the hardware and the
# repository, builds a clean model too.
"$tavsw" new -o "$build/new_system.mss" --force --hw examples/hw/system.json --proc cpu_0 \
  --repo examples/repo
"$tavsw" build "$build/new_system.mss" --hw examples/hw/system.json --repo examples/repo > /dev/null
echo "demo: the new MSS builds a clean model"
