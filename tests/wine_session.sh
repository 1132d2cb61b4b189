# Sourced by the scripts that run Windows programs under Wine: a fresh Wine prefix, on a private
# Xvfb display with a window manager (without one, Wine waits two seconds for every window it
# hides), all gone when the sourcing script exits, with every process they started.
#   source tests/wine_session.sh; "$WINE" PROGRAM.exe
# STAKORA_WINE_DPI, when set, is the screen's DPI.
WINE=/usr/lib/wine/wine64
WINESERVER=/usr/lib/wine/wineserver
work=$(mktemp -d)
export WINEPREFIX=$work/prefix WINEDEBUG=-all WINEDLLOVERRIDES='mscoree,mshtml=;winemenubuilder.exe=d' \
    XDG_RUNTIME_DIR=$work
ready=$work/display
# -r: no key autorepeat. -noreset: the server would otherwise reset when its last client leaves.
Xvfb -displayfd 3 -screen 0 1600x1400x24 -nolisten tcp -noreset -r 3>"$ready" >/dev/null 2>&1 &
xvfb=$!
wm=
cleanup() {
    $WINESERVER -k 2>/dev/null || true
    $WINESERVER -w 2>/dev/null || true
    [ -z "$wm" ] || kill "$wm" 2>/dev/null || true
    kill "$xvfb" 2>/dev/null || true
    wait 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT
for _ in $(seq 200); do grep -q . "$ready" 2>/dev/null && break; sleep 0.05; done
grep -q . "$ready" || { echo "wine session: Xvfb did not start" >&2; exit 1; }
export DISPLAY=:$(head -n 1 "$ready")
openbox --sm-disable >/dev/null 2>&1 &
wm=$!
/usr/bin/python3 - <<'PY'
import time
from Xlib import X, display
x = display.Display()
root = x.screen().root
check = x.intern_atom("_NET_SUPPORTING_WM_CHECK")
deadline = time.monotonic() + 20
while not root.get_full_property(check, X.AnyPropertyType):
    if time.monotonic() > deadline:
        raise SystemExit("wine session: the window manager did not start")
    time.sleep(0.02)
PY
[ -z "${STAKORA_WINE_DPI:-}" ] || {
    $WINE reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD \
        /d "$STAKORA_WINE_DPI" /f >/dev/null
}
