#!/usr/bin/env bash
# Start-up of the program's window against the floor of a one-label Qt window, both timed as
# whole processes from start to first paint with their peak memory (GNU time), offscreen and
# under Xvfb. Each round runs the two back to back, in a random order, and the ratio is the
# median of the rounds' ratios: what else the machine does drifts slowly and weighs on both
# members of a round alike. Prints the medians and ratios; exits non-zero only if a program
# fails to run. Given a second build, its program takes the floor's place: the same program
# built two ways (hardened or not, say), timed in turns in one run.
#   bench/startup.sh BUILD_DIR [ROUNDS [BASELINE_BUILD_DIR]]
set -euo pipefail
build=${1:?usage: startup.sh BUILD_DIR [ROUNDS [BASELINE_BUILD_DIR]]}
runs=${2:-100}
probe="$build/bench/startup_probe"
floor="$build/bench/startup_floor"
floor_name=floor
if [ -n "${3:-}" ]; then
    floor="$3/bench/startup_probe"
    floor_name="stakora built in $3"
fi
export XDG_RUNTIME_DIR=${XDG_RUNTIME_DIR:-$(mktemp -d)}

# Median peak resident set of a command over a few runs, in KiB.
peak_kib() {
    for _ in 1 2 3 4 5; do /usr/bin/time -f %M "$@" 2>&1 >/dev/null | tail -n 1; done |
        sort -n | sed -n 3p
}

measure() {
    local where=$1
    /usr/bin/python3 - "$floor" "$probe" "$runs" "$where" "$(peak_kib "$floor")" "$(peak_kib "$probe")" "$floor_name" <<'PY'
import random, statistics, subprocess, sys, time
floor, probe, runs, where = sys.argv[1], sys.argv[2], int(sys.argv[3]), sys.argv[4]
floor_kib, ours_kib, floor_name = int(sys.argv[5]), int(sys.argv[6]), sys.argv[7]
order = random.Random(2026)  # the same sequence of orders in every run of the benchmark
times = {floor: [], probe: []}
ratios = []
for i in range(runs + 3):  # three rounds to warm up
    programs = [floor, probe]
    order.shuffle(programs)
    took = {}
    for program in programs:
        start = time.perf_counter()
        subprocess.run([program], check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        took[program] = time.perf_counter() - start
    if i >= 3:
        for program, seconds in took.items():
            times[program].append(seconds)
        ratios.append(took[probe] / took[floor])
f, o = statistics.median(times[floor]), statistics.median(times[probe])
print(f"{where}: wall median {floor_name} {f*1000:.1f} ms, stakora {o*1000:.1f} ms, "
      f"ratio {statistics.median(ratios):.2f} (median of {runs} rounds; target <= 1.15)")
print(f"{where}: peak RSS {floor_name} {floor_kib} KiB, stakora {ours_kib} KiB, ratio {ours_kib/floor_kib:.2f} (target <= 1.3)")
PY
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
