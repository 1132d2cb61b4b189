#!/usr/bin/env bash
# Start-up of the program's window against the floor of a one-label Qt window, both timed as
# whole processes from start to first paint (hyperfine) with their peak memory (GNU time),
# offscreen and under Xvfb. Prints the ratios; exits non-zero only if a program fails to run.
#   bench/startup.sh BUILD_DIR [RUNS]
set -euo pipefail
build=${1:?usage: startup.sh BUILD_DIR [RUNS]}
runs=${2:-30}
probe="$build/bench/startup_probe"
floor="$build/bench/startup_floor"
export XDG_RUNTIME_DIR=${XDG_RUNTIME_DIR:-$(mktemp -d)}

# Median peak resident set of a command over a few runs, in KiB.
peak_kib() {
    for _ in 1 2 3 4 5; do /usr/bin/time -f %M "$@" 2>&1 >/dev/null | tail -n 1; done |
        sort -n | sed -n 3p
}

measure() {
    local where=$1
    local json
    json=$(mktemp)
    hyperfine --warmup 3 --runs "$runs" --style none --export-json "$json" \
        -n floor "$floor" -n stakora "$probe" >/dev/null
    python3 - "$json" "$where" "$(peak_kib "$floor")" "$(peak_kib "$probe")" <<'PY'
import json, sys
results = {r["command"]: r for r in json.load(open(sys.argv[1]))["results"]}
where, floor_kib, ours_kib = sys.argv[2], int(sys.argv[3]), int(sys.argv[4])
f, o = results["floor"]["median"], results["stakora"]["median"]
print(f"{where}: wall median floor {f*1000:.1f} ms, stakora {o*1000:.1f} ms, ratio {o/f:.2f} (target <= 1.5)")
print(f"{where}: peak RSS floor {floor_kib} KiB, stakora {ours_kib} KiB, ratio {ours_kib/floor_kib:.2f} (target <= 1.3)")
PY
    rm -f "$json"
}

QT_QPA_PLATFORM=offscreen measure offscreen

# Xvfb picks a free display and writes its number when ready. -noreset: otherwise the server
# resets whenever its last client leaves, refusing whoever connects meanwhile.
ready=$(mktemp)
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp -noreset 3>"$ready" >/dev/null 2>&1 &
xvfb=$!
trap 'kill $xvfb 2>/dev/null; rm -f "$ready"' EXIT
for _ in $(seq 100); do [ -s "$ready" ] && break; sleep 0.1; done
display=:$(head -n 1 "$ready")
DISPLAY=$display QT_QPA_PLATFORM=xcb measure xvfb
