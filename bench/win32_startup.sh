#!/usr/bin/env bash
# Start-up of the Windows program under Wine against the floor of a minimal Win32 program (one
# STATIC in a window of the same size), both timed as whole processes from start to first paint
# with hyperfine, on Xvfb with a window manager, in one prefix whose wineserver stays up between
# runs, as on a desktop where Wine already runs. Prints the ratio and the program's size, and
# fails when the program is over its budget of 1 MiB.
#   bench/win32_startup.sh BUILD_WINDOWS_DIR [RUNS]
set -euo pipefail
build=${1:?usage: win32_startup.sh BUILD_WINDOWS_DIR [RUNS]}
runs=${2:-20}
work=$(mktemp -d)
export WINEPREFIX=$work/prefix WINEDEBUG=-all WINEDLLOVERRIDES='mscoree,mshtml=' \
    XDG_RUNTIME_DIR=$work
ready=$work/display
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp -noreset 3>"$ready" >/dev/null 2>&1 &
xvfb=$!
wm=
trap '/usr/lib/wine/wineserver -k 2>/dev/null || true; kill $wm $xvfb 2>/dev/null || true; rm -rf "$work"' EXIT
for _ in $(seq 200); do grep -q . "$ready" 2>/dev/null && break; sleep 0.05; done
export DISPLAY=:$(head -n 1 "$ready")
openbox --sm-disable >/dev/null 2>&1 &
wm=$!
mkdir -p "$WINEPREFIX"
/usr/lib/wine/wineserver -p  # persistent until killed on exit
/usr/lib/wine/wine64 wineboot -i >/dev/null 2>&1

json=$work/times.json
hyperfine --warmup 3 --runs "$runs" --style none --export-json "$json" \
    -n floor "/usr/lib/wine/wine64 $build/bench/win32_startup_floor.exe" \
    -n stakora "/usr/lib/wine/wine64 $build/bench/win32_startup_probe.exe" >/dev/null
python3 - "$json" "$(stat -c %s "$build/app/stakora.exe")" <<'PY'
import json, sys
results = {r["command"]: r for r in json.load(open(sys.argv[1]))["results"]}
f, o = results["floor"]["median"], results["stakora"]["median"]
print(f"wine: wall median floor {f*1000:.1f} ms, stakora {o*1000:.1f} ms, ratio {o/f:.2f} (target <= 1.3)")
size = int(sys.argv[2])
print(f"stakora.exe: {size} bytes ({size / 1048576:.2f} MiB; target <= 1 MiB)")
sys.exit(size > 1048576)  # a budget of bytes, unlike the times, holds on any machine
PY
