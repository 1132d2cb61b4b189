#!/usr/bin/python3
"""The Linux program as a native Wayland window, on a headless Wayland desktop (sway) of the
test's own: typed into from a virtual keyboard (wtype), Enter down the column, Tab to ELABORA,
the missing-prize box, and closed as the compositor closes a window. What the window shows is
read as a screen reader reads it, through the accessibility bus, to the character.

sway refuses to run as root: run as root, the test goes on as the unprivileged user nobody,
from copies of the program and of these scripts in a folder of its own.

    tests/keyboard_wayland_test.py PATH_TO_STAKORA
"""
import json
import os
import shutil
import subprocess
import sys
import tempfile

from conditions import TIMEOUT, wait_for

NOBODY = 65534
SWAY = "for_window [app_id=\".*\"] floating enable\n"  # centred, as on a stacking desktop


class Desktop:
    def __init__(self, root):
        runtime, home = os.path.join(root, "run"), os.path.join(root, "home")
        os.makedirs(runtime, mode=0o700)
        os.makedirs(home)
        config = os.path.join(root, "sway.conf")
        with open(config, "w") as f:
            f.write(SWAY)
        self.env = {"PATH": "/usr/bin:/bin", "HOME": home, "XDG_RUNTIME_DIR": runtime,
                    "LANG": "C.UTF-8", **{k: v for k, v in os.environ.items()
                                          if k.endswith("SAN_OPTIONS")}}
        self.start(["sway", "-c", config], WLR_BACKENDS="headless", WLR_LIBINPUT_NO_DEVICES="1",
                   WLR_RENDERER="pixman")
        socket = wait_for(lambda: [n for n in os.listdir(runtime) if n.startswith("wayland-")
                                   and not n.endswith(".lock")], "sway's display")[0]
        ipc = wait_for(lambda: [n for n in os.listdir(runtime) if n.startswith("sway-ipc.")],
                       "sway's socket")[0]
        self.env.update(WAYLAND_DISPLAY=socket, SWAYSOCK=os.path.join(runtime, ipc))
        bus = subprocess.run(["dbus-launch", "--sh-syntax"], env=self.env, check=True,
                             capture_output=True, text=True).stdout
        self.env["DBUS_SESSION_BUS_ADDRESS"] = bus.split("'")[1]
        os.environ.update(self.env)  # this test reads the accessibility bus too
        self.start(["/usr/libexec/at-spi-bus-launcher", "--launch-immediately"])
        # A keyboard that stays plugged in, as a desktop's does: a seat whose only keyboard
        # goes away with each wtype would take the keyboard focus from the window each time.
        self.start(["wtype", "-s", "86400000"])

    def start(self, command, **extra):
        return subprocess.Popen(command, env=dict(self.env, **extra), stdin=subprocess.DEVNULL,
                                stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)

    def windows(self):
        """Every window on the desktop: (its app_id, title, shell, whether it has the focus)."""
        tree = json.loads(subprocess.run(["swaymsg", "-t", "get_tree"], env=self.env, check=True,
                                         capture_output=True, text=True).stdout)
        found, nodes = [], [tree]
        while nodes:
            node = nodes.pop()
            nodes += node.get("nodes", []) + node.get("floating_nodes", [])
            if node.get("shell"):
                found.append((node.get("app_id"), node["name"], node["shell"], node["focused"]))
        return found

    def type(self, *steps):
        """Keys from a new virtual keyboard: a harmless key first, and a pause while the
        client loads the keyboard's keymap, in which it would drop the first keys."""
        subprocess.run(["wtype", "-k", "Shift_L", "-s", "700", *steps], env=self.env, check=True)


class Window:
    """The program's controls as the accessibility bus shows them: fields by their names,
    result cells by their descriptions ("Spesa 1"), the value of each."""

    def __init__(self):
        import pyatspi
        self.pyatspi = pyatspi
        self.app = wait_for(self.find_app, "the window on the accessibility bus")

    def find_app(self):
        return next((a for a in self.pyatspi.Registry.getDesktop(0)
                     if a is not None and a.name == "Stakora"), None)

    def controls(self):
        found, nodes = {}, list(self.app)
        while nodes:
            node = nodes.pop()
            nodes += list(node)
            role = node.getRoleName()
            if role == "text":
                found[node.name] = node.queryText().getText(0, -1)
            elif role == "label" and node.description:
                found[node.description] = node.name
        return found

    def focused(self):
        nodes = list(self.app)
        while nodes:
            node = nodes.pop()
            nodes += list(node)
            if node.getState().contains(self.pyatspi.STATE_FOCUSED):
                return node.name
        return None


def run(program, root):
    desktop = Desktop(root)
    # Under a sanitized build, leaks are not looked for here: Qt's Wayland plugins leave theirs
    # to the end of the process and are unloaded before the leak check can name them.
    quiet = {"ASAN_OPTIONS": desktop.env["ASAN_OPTIONS"] + ":detect_leaks=0"} \
        if "ASAN_OPTIONS" in desktop.env else {}
    app = desktop.start([program], QT_QPA_PLATFORM="wayland", QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1",
                        **quiet)
    native = ("org.stakora.Stakora", "  STAKORA DI GIOCO", "xdg_shell", True)
    wait_for(lambda: native in desktop.windows(), lambda: f"a native window: {desktop.windows()}")
    window = Window()
    seen = lambda *names: [window.controls().get(name) for name in names]
    print("ok: a native Wayland window (xdg_shell), with the keyboard")

    desktop.type("1", "0", "-k", "Return", "2", "0", "-k", "Return")
    wait_for(lambda: seen("Puntata 1", "Puntata 2", "Puntata 3") == ["10", "20", ""] and
             window.focused() == "Puntata 3",
             lambda: f"the stakes typed, Enter walking down: {seen('Puntata 1', 'Puntata 2')}, "
                     f"{window.focused()}")
    desktop.type(*["-k", "Tab"] * 13, "-k", "Return")  # stakes 4 to 15, then ELABORA
    rows = [f"{column} {row}" for row in (1, 2) for column in ("Spesa", "Vincita", "Utile")]
    results = ["10,00", "116,70", "106,70", "30,00", "233,40", "203,40"]
    wait_for(lambda: seen(*rows) == results, lambda: f"ELABORA's results: {seen(*rows)}")
    print("ok: typed keys, Enter down the column, Tab to ELABORA and Enter: " + " ".join(results))

    # Tab selects the prize's text, BackSpace empties it: back to ELABORA, and the box says so.
    desktop.type("-k", "Tab", "-k", "BackSpace", "-M", "shift", "-k", "Tab", "-m", "shift",
                 "-k", "Return")
    box = wait_for(lambda: [w for w in desktop.windows() if w[1] == "Stakora"],
                   lambda: f"the missing-prize box: {desktop.windows()}")
    if not box[0][3]:
        raise AssertionError(f"the box without the keyboard: {desktop.windows()}")
    desktop.type("-k", "Return")
    wait_for(lambda: not [w for w in desktop.windows() if w[1] == "Stakora"], "the box to close")
    desktop.type("7")
    wait_for(lambda: seen("PREMIO V.L.P") == ["7"] and window.focused() == "PREMIO V.L.P",
             lambda: f"the digit after the box: {seen('PREMIO V.L.P')}, {window.focused()}")
    print("ok: the box took the keyboard, and the next digit went to the prize")

    subprocess.run(["swaymsg", "[app_id=org.stakora.Stakora]", "kill"], env=desktop.env,
                   check=True, capture_output=True)
    if app.wait(timeout=TIMEOUT) != 0:
        raise AssertionError(f"exit status {app.returncode}")
    print("ok: closed by the compositor, it exits with status 0")


def as_nobody(program, root):
    """This test again, as nobody, from copies of the program and of the scripts that nobody
    can read."""
    os.chmod(root, 0o755)
    here = os.path.dirname(os.path.abspath(__file__))
    for name in (os.path.basename(__file__), "conditions.py", "xvfb.py", program):
        shutil.copy(os.path.join(here, name), root)
    sanitizers = {k: v for k, v in os.environ.items() if k.endswith("SAN_OPTIONS")}
    test = subprocess.run(["setpriv", f"--reuid={NOBODY}", f"--regid={NOBODY}", "--clear-groups",
                           "/usr/bin/python3", os.path.join(root, os.path.basename(__file__)),
                           os.path.join(root, os.path.basename(program))],
                          env={"PATH": "/usr/bin:/bin", **sanitizers}, cwd=root)
    return test.returncode


if __name__ == "__main__":
    from xvfb import own_processes
    with tempfile.TemporaryDirectory(prefix="stakora-wayland.") as folder, own_processes():
        if os.geteuid() == 0:
            sys.exit(as_nobody(os.path.abspath(sys.argv[1]), folder))
        run(sys.argv[1], folder)
    print("ok: the keyboard on a native Wayland window")
