#!/usr/bin/env bash
# Times `tavsw new` and `tavsw edit` as whole processes on a system of one
# processor and N peripherals (2,000, 5,000 and 20,000 by default), using the
# demo repository: each figure is the median wall time of five runs, with
# the peak memory of one (/usr/bin/time). Linear growth shows as a time per
# peripheral that stays the same from row to row.
# Usage: bench/edit_cli.sh BUILD_DIR [N...]   (a Release build)
set -euo pipefail
build="${1:-build-release}"
shift || true
sizes=("$@")
[ ${#sizes[@]} -gt 0 ] || sizes=(2000 5000 20000)
here="$(cd "$(dirname "$0")" && pwd)"
source "$here/cli_common.sh"
repo="$here/../examples/repo"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

# The hardware: one processor that addresses N GPIO blocks.
hardware() {
  local n=$1 i
  {
    printf '{ "format": 1, "instances": [\n'
    printf '{ "name": "cpu_0", "type": "tavcpu", "version": "1.00.a", "class": "PROCESSOR",'
    printf ' "parameters": {}, "addressable": ['
    for ((i = 0; i < n; i++)); do printf '%s"gpio_%d"' "$([ $i -gt 0 ] && echo ,)" $i; done
    printf '] }'
    for ((i = 0; i < n; i++)); do
      printf ',\n{ "name": "gpio_%d", "type": "tavgpio", "version": "2.00.a",' $i
      printf ' "class": "PERIPHERAL", "parameters": { "C_GPIO_WIDTH": 4 } }'
    done
    printf '\n] }\n'
  } > "$work/hw$n.json"
}

# An edit that changes one line, on a fresh copy each run: a script, so
# that /usr/bin/time can run it too.
cat > "$work/edit_once" <<SCRIPT
#!/bin/sh
n=\$1
shift
cp "$work/sys\$n.mss" "$work/edit\$n.mss" && exec "$build/tavsw" edit "$work/edit\$n.mss" "\$@"
SCRIPT
chmod +x "$work/edit_once"

printf '%-34s %8s %10s %8s %10s\n' command n ms us/inst peak_MiB
for n in "${sizes[@]}"; do
  hardware "$n"
  hw="$work/hw$n.json"
  new=("$build/tavsw" new -o "$work/sys$n.mss" --hw "$hw" --proc cpu_0 --repo "$repo" --force)
  "${new[@]}" > /dev/null
  for row in "new" "edit --set" "edit --driver" "edit --remove-driver" "edit --rename"; do
    case "$row" in
      new) cmd=("${new[@]}") ;;
      "edit --set") cmd=("$work/edit_once" "$n" --hw "$hw" --repo "$repo" --set gpio_7.C_IS_DUAL=true --force) ;;
      "edit --driver") cmd=("$work/edit_once" "$n" --hw "$hw" --repo "$repo" --driver gpio_3=tavgpio:1.00.a --force) ;;
      "edit --remove-driver") cmd=("$work/edit_once" "$n" --hw "$hw" --repo "$repo" --remove-driver gpio_9) ;;
      "edit --rename") cmd=("$work/edit_once" "$n" --hw "$hw" --repo "$repo" --rename gpio_5=gpio_x --force) ;;
    esac
    wall=$(median_us "${cmd[@]}")
    peak=$(/usr/bin/time -f %M "${cmd[@]}" 2>&1 > /dev/null | tail -1)
    awk -v c="$row" -v n="$n" -v w="$wall" -v k="$peak" \
      'BEGIN { printf "%-34s %8d %10.1f %8.1f %10.1f\n", c, n, w / 1000, w / n, k / 1024 }'
  done
done
