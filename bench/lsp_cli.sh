#!/usr/bin/env bash
# Times `tavsw lsp` on the synthetic system of bench_build with one
# processor and 4,000 peripherals (a repository of ~5,000 cores): the time
# from a change of the editor's text (a full didChange) to the diagnostics
# published for it, over ten changes (the median and the slowest), and the
# time from didOpen to the first diagnostics. Each change sets one
# peripheral's rate to a value the definition's range refuses, or back, so
# every answer is checked for the error it must hold.
# Usage: bench/lsp_cli.sh BUILD_DIR   (a Release build with -DTAVSOFTWARE_BUILD_BENCH=ON)
set -euo pipefail
build="${1:-build-release}"
source "$(dirname "$0")/cli_common.sh"
root="$(kept_files "$build/bench/bench_build" '/4000/')"
trap 'rm -rf "$root"' EXIT

python3 - "$build/tavsw" "$root/sys1_4000.mss" "$root/hw1_4000.json" "$root/repo" <<'PY'
import json, statistics, subprocess, sys, time

tavsw, mss, hw, repo = sys.argv[1:5]
proc = subprocess.Popen([tavsw, "lsp", "--hw", hw, "--repo", repo],
                        stdin=subprocess.PIPE, stdout=subprocess.PIPE)
uri = "file://" + mss

def send(message):
    body = json.dumps(message).encode()
    proc.stdin.write(b"Content-Length: %d\r\n\r\n" % len(body) + body)
    proc.stdin.flush()

def receive():
    length = None
    while True:
        line = proc.stdout.readline()
        if not line:
            sys.exit("tavsw lsp ended early")
        line = line.strip()
        if not line:
            break
        if line.lower().startswith(b"content-length:"):
            length = int(line.split(b":")[1])
    return json.loads(proc.stdout.read(length))

def diagnostics(version):
    while True:
        m = receive()
        if m.get("method") == "textDocument/publishDiagnostics" and \
                m["params"]["uri"] == uri and m["params"].get("version") == version:
            return m["params"]["diagnostics"]

text = open(mss).read()
send({"jsonrpc": "2.0", "id": 1, "method": "initialize",
      "params": {"processId": None, "rootUri": None, "capabilities": {}}})
while receive().get("id") != 1:
    pass
send({"jsonrpc": "2.0", "method": "initialized", "params": {}})
t0 = time.perf_counter()
send({"jsonrpc": "2.0", "method": "textDocument/didOpen",
      "params": {"textDocument": {"uri": uri, "languageId": "mss", "version": 1, "text": text}}})
first = diagnostics(1)
opened = (time.perf_counter() - t0) * 1000
if first:
    sys.exit("the generated system is not clean: %s" % first[:2])
target = "PARAMETER rate = 9600\nEND"
at = text.rfind(target)
times = []
for version in range(2, 12):
    bad = version % 2 == 0
    changed = text[:at] + (target.replace("9600", "1234") if bad else target) + text[at + len(target):]
    t0 = time.perf_counter()
    send({"jsonrpc": "2.0", "method": "textDocument/didChange",
          "params": {"textDocument": {"uri": uri, "version": version},
                     "contentChanges": [{"text": changed}]}})
    got = diagnostics(version)
    times.append((time.perf_counter() - t0) * 1000)
    if bool(got) != bad:
        sys.exit("unexpected diagnostics for version %d: %s" % (version, got[:2]))
send({"jsonrpc": "2.0", "id": 2, "method": "shutdown", "params": None})
while receive().get("id") != 2:
    pass
send({"jsonrpc": "2.0", "method": "exit", "params": None})
proc.wait(timeout=30)
print("%-34s %10s" % ("tavsw lsp, 1 processor, 4000 peripherals", "ms"))
print("%-34s %10.1f" % ("didOpen to diagnostics", opened))
print("%-34s %10.1f" % ("change to diagnostics, median", statistics.median(times)))
print("%-34s %10.1f" % ("change to diagnostics, slowest", max(times)))
PY
