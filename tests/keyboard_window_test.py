#!/usr/bin/python3
"""The real program under Xvfb, with or without a window manager: the Linux program, or the
Windows one under Wine. Real X key presses and clicks (xdotool) drive it; what it shows is read
back from a result cell's pixels. Closed as a window manager closes it, it exits with status 0.

    tests/keyboard_window_test.py PATH_TO_STAKORA [--window-manager] [--wine]
"""
import os
import subprocess
import sys
import tempfile

from conditions import TIMEOUT, wait_for
from xvfb import close_window, own_processes, start_window_manager, start_xvfb

from Xlib import X, display

CAPTION = "  STAKORA DI GIOCO"
# Pixels a little inside row 1's win cell, away from its border, in the 397 x 575 window.
VINCITA_1 = (183, 58, 83, 17)
STAKE_1 = (71, 68)
ELABORA = (247, 516)
WINE = "/usr/lib/wine/wine64"
CELL_BACKGROUND = bytes((245, 245, 245))  # as the server stores it: blue, green, red


def blank(pixels):
    """A result cell with nothing written in it: only its background colour."""
    return all(pixels[i:i + 3] == CELL_BACKGROUND for i in range(0, len(pixels), 4))


class Session:
    def __init__(self, display_name):
        self.env = dict(os.environ, DISPLAY=display_name)
        self.env.pop("QT_QPA_PLATFORM", None)
        self.x = display.Display(display_name)

    def xdotool(self, *args, check=True):
        return subprocess.run(["xdotool", *args], env=self.env, check=check, text=True,
                              stdout=subprocess.PIPE).stdout.split()

    def find(self, name):
        found = self.xdotool("search", "--onlyvisible", "--name", f"^{name}$", check=False)
        return int(found[0]) if found else None

    def shown(self):
        """The names of the windows on the display."""
        return [" ".join(self.xdotool("getwindowname", w, check=False))
                for w in self.xdotool("search", "--onlyvisible", "--name", "", check=False)]

    def keys(self, *keys):
        self.xdotool("key", "--delay", "30", *keys)

    def pixels(self, window, box):
        x, y, width, height = box
        return self.x.create_resource_object("window", window).get_image(
            x, y, width, height, X.ZPixmap, 0xFFFFFFFF).data

    def has_focus(self, window):
        focus = self.x.get_input_focus().focus
        return not isinstance(focus, int) and focus.id == window


def without_display(program):
    """No display: a clear message and status 1, not a hang or a crash."""
    env = {k: v for k, v in os.environ.items()
           if k not in ("DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM")}
    ended = subprocess.run([program], env=env, capture_output=True, text=True, timeout=TIMEOUT)
    if ended.returncode != 1 or "no graphical display" not in ended.stderr:
        raise AssertionError(f"without a display: status {ended.returncode}, {ended.stderr!r}")
    print(f"ok: without a display: {ended.stderr.splitlines()[0]}")


def run(program, window_manager, wine):
    runtime = tempfile.TemporaryDirectory()
    environment = {"XDG_RUNTIME_DIR": runtime.name}
    command = [program]
    if wine:  # a fresh prefix of its own, in the temporary folder
        environment.update(WINEPREFIX=os.path.join(runtime.name, "prefix"), WINEDEBUG="-all",
                           WINEDLLOVERRIDES="mscoree,mshtml=")
        command = [WINE, program]
    else:
        without_display(program)
    with runtime, own_processes():
        session = Session(start_xvfb())
        if window_manager:
            start_window_manager(session.env, runtime.name)
        app = subprocess.Popen(command, env=dict(session.env, **environment))
        # A fresh Wine prefix is made as the program first starts, slowly on a busy machine.
        ran = lambda: "runs" if app.poll() is None else f"ended ({app.returncode})"
        window = wait_for(lambda: session.find(CAPTION), lambda: f"the window: the program "
                          f"{ran()}, the display shows {session.shown()}", timeout=180)
        wait_for(lambda: blank(session.pixels(window, VINCITA_1)), "the first paint")
        if not window_manager and not wine:  # the designed size, with nothing to change it
            geometry = session.x.create_resource_object("window", window).get_geometry()
            if (geometry.width, geometry.height) != (397, 575):
                raise AssertionError(f"the window is {geometry.width}x{geometry.height}")

        session.xdotool("mousemove", "--window", str(window), *map(str, STAKE_1), "click", "1")
        wait_for(lambda: session.has_focus(window), "the window to take the keyboard")
        session.keys("1", "0", *["Tab"] * 15, "Return")  # rows 2 to 15, then ELABORA
        first_win = wait_for(lambda: not blank(win := session.pixels(window, VINCITA_1)) and win,
                             "Enter on ELABORA")
        print("ok: Tab to ELABORA and Enter computed row 1")

        # Tab selects the prize's text; Backspace empties it; back to ELABORA and Enter.
        session.keys("Tab", "BackSpace", "shift+Tab", "Return")
        wait_for(lambda: session.find("Stakora"), "the missing-prize box")
        session.keys("Return")
        wait_for(lambda: session.find("Stakora") is None, "the box to close")
        wait_for(lambda: session.has_focus(window), "the window to take the keyboard back")
        session.keys("7", "shift+Tab", "Return")  # a prize of 7 now, if the digit landed there
        wait_for(lambda: session.pixels(window, VINCITA_1) != first_win,
                 "ELABORA with the prize typed after the box")
        if session.find("Stakora"):
            raise AssertionError("the digit after the box missed the prize")
        print("ok: after the box the next digit landed in the prize")

        session.keys("Tab", "Tab", "KP_Enter")  # the prize, Cancella
        wait_for(lambda: blank(session.pixels(window, VINCITA_1)), "keypad Enter on Cancella")
        print("ok: the keypad's Enter on Cancella emptied the column")

        session.xdotool("mousemove", "--window", str(window), *map(str, STAKE_1), "click", "1")
        session.keys("3")
        session.xdotool("mousemove", "--window", str(window), *map(str, ELABORA), "click", "1")
        wait_for(lambda: not blank(session.pixels(window, VINCITA_1)), "a click on ELABORA")
        print("ok: a click in a stake field and on ELABORA computed row 1")

        close_window(session.x, window)
        if app.wait(timeout=TIMEOUT) != 0:
            raise AssertionError(f"exit status {app.returncode}")


if __name__ == "__main__":
    with_wm = "--window-manager" in sys.argv[2:]
    run(sys.argv[1], with_wm, "--wine" in sys.argv[2:])
    print(f"ok: keyboard only, {'with' if with_wm else 'without'} a window manager")
