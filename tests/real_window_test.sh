#!/usr/bin/env bash
# The real program as a user starts it: with no display it says so and exits at once; under
# Xvfb it opens its window with its caption, takes keys and clicks, and closing the window ends
# it with status 0 (in the sanitizer build, with no leak).
#   tests/real_window_test.sh PATH_TO_STAKORA
set -euo pipefail
program=${1:?usage: real_window_test.sh PATH_TO_STAKORA}
export XDG_RUNTIME_DIR=${XDG_RUNTIME_DIR:-$(mktemp -d)}

# No display: a clear message and status 1, not a hang or a crash.
status=0
message=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM timeout 10 "$program" 2>&1) || status=$?
[ "$status" -eq 1 ] || { echo "FAIL: without a display the status was $status"; exit 1; }
grep -q 'no graphical display' <<<"$message" || { echo "FAIL: message was: $message"; exit 1; }
echo "ok: without a display: $message" | head -n 1

# Xvfb picks a free display and writes its number when ready (two of these tests may run at
# once). -noreset: otherwise the server resets whenever its last client leaves, refusing
# whoever connects meanwhile. -r: no key autorepeat, so a key press held up by load types once.
ready=$(mktemp)
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp -noreset -r 3>"$ready" >/dev/null 2>&1 &
xvfb=$!
trap 'kill $xvfb 2>/dev/null || true; rm -f "$ready"' EXIT
for _ in $(seq 100); do [ -s "$ready" ] && break; sleep 0.1; done
[ -s "$ready" ] || { echo "FAIL: Xvfb did not start"; exit 1; }
export DISPLAY=:$(head -n 1 "$ready")

env -u QT_QPA_PLATFORM "$program" &
app=$!
window=$(timeout 20 xdotool search --sync --name '^  STAKORA DI GIOCO$' | head -n 1)
[ -n "$window" ] || { echo "FAIL: no window"; exit 1; }
geometry=$(xdotool getwindowgeometry "$window" | awk '/Geometry/ {print $2}')
[ "$geometry" = "397x575" ] || { echo "FAIL: window is $geometry"; exit 1; }
echo "ok: window $window is $geometry"

# Use it: a stake typed with Enter down the column, ELABORA, Cancella (pixel places of the
# first stake field and of the two buttons in the 397 x 575 window).
xdotool mousemove --window "$window" 71 68 click 1
xdotool type --delay 10 '10'
xdotool key Return
xdotool type --delay 10 '2,5'
xdotool mousemove --window "$window" 247 516 click 1
xdotool mousemove --window "$window" 76 515 click 1
sleep 0.2
kill -0 $app 2>/dev/null || { echo "FAIL: the program died while in use"; exit 1; }
echo "ok: typed, computed and cleared"

# Close it as a window manager would: WM_DELETE_WINDOW, not destroying it.
/usr/bin/python3 - "$window" <<'PY'
import sys
from Xlib import X, display, protocol
d = display.Display()
w = d.create_resource_object("window", int(sys.argv[1]))
delete = d.intern_atom("WM_DELETE_WINDOW")
event = protocol.event.ClientMessage(window=w, client_type=d.intern_atom("WM_PROTOCOLS"),
                                     data=(32, [delete, X.CurrentTime, 0, 0, 0]))
w.send_event(event, event_mask=X.NoEventMask)
d.flush()
PY
status=0
timeout 10 tail --pid=$app -f /dev/null || { echo "FAIL: still running after close"; kill $app; exit 1; }
wait $app || status=$?
[ "$status" -eq 0 ] || { echo "FAIL: exit status $status after close"; exit 1; }
echo "ok: closing the window ended the program with status 0"
