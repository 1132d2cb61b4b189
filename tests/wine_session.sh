# Sourced by the scripts that run Windows programs under Wine: a fresh Wine prefix, on a private
# Xvfb display with a window manager (without one, Wine waits two seconds for every window it
# hides), all gone when the sourcing script exits, with every process they started.
# The sourcing script must be run by its path, with its arguments left as they are.
#   source tests/wine_session.sh; "$WINE" PROGRAM.exe
# STAKORA_WINE_DPI, when set, is the screen's DPI.
# The sourcing script runs again on a display of its own (tests/xvfb.py), which ends every
# process it leaves.
if [ -z "${STAKORA_X_SESSION:-}" ]; then
    exec /usr/bin/python3 "$(dirname "${BASH_SOURCE[0]}")/xvfb.py" --window-manager "$0" "$@"
fi
WINE=/usr/lib/wine/wine64
WINESERVER=/usr/lib/wine/wineserver
work=$(mktemp -d)
export WINEPREFIX=$work/prefix WINEDEBUG=-all WINEDLLOVERRIDES='mscoree,mshtml=;winemenubuilder.exe=d' \
    XDG_RUNTIME_DIR=$work
cleanup() {
    $WINESERVER -k 2>/dev/null || true
    $WINESERVER -w 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT
[ -z "${STAKORA_WINE_DPI:-}" ] || {
    $WINE reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD \
        /d "$STAKORA_WINE_DPI" /f >/dev/null
}
