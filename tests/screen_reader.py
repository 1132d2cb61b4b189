"""A blind player's desktop, headless: an X server, a session bus, a window manager, the
accessibility bus and Debian's screen reader, Orca, whose speech goes to a file through
speech-dispatcher's generic module instead of a sound card: what Orca says is read there, line
by line, as it says it. Every process of the desktop is gone when the session ends."""
import contextlib
import os
import re
import signal
import subprocess
import tempfile

from conditions import wait_for
from xvfb import start_xvfb

# Orca is slow to start on a busy machine: it loads its scripts and settings, then says so.
STARTUP = 90
# The longest a spoken reply to a key may take here: a screen reader waiting on a busy browser
# gives up on a call after D-Bus's 25 seconds, and goes on.
REPLY = 60

OPENBOX = """<?xml version="1.0"?>
<openbox_config xmlns="http://openbox.org/3.4/rc"><keyboard></keyboard><mouse></mouse>
</openbox_config>
"""
SPEECHD = """AudioOutputMethod "alsa"
AudioALSADevice "null"
AddModule "generic" "sd_generic" "generic.conf"
DefaultModule generic
LanguageDefaultModule "en" "generic"
"""
GENERIC = """GenericExecuteSynth "printf '%s\\\\n' \\"$DATA\\" >> {out}"
AddVoice "en" "MALE1" "default"
"""


class Desktop:
    def __init__(self, root):
        self.root = root
        self.children = []
        self.found = {}  # pid: when it started (numbers are used again)
        self.speech = os.path.join(root, "speech.txt")
        home = os.path.join(root, "home")
        runtime = os.path.join(root, "run")
        os.makedirs(home)
        os.makedirs(runtime, mode=0o700)
        self.env = {key: value for key, value in os.environ.items()
                    if not key.startswith(("DBUS_", "XDG_", "QT_", "AT_SPI"))}
        self.env.update(HOME=home, XDG_RUNTIME_DIR=runtime, LANG="C.UTF-8", LC_ALL="C.UTF-8",
                        XDG_CONFIG_HOME=os.path.join(home, ".config"),
                        XDG_DATA_HOME=os.path.join(home, ".local", "share"),
                        XDG_CACHE_HOME=os.path.join(home, ".cache"),
                        # Every process of this desktop carries it, daemons too: how they are
                        # all found again at the end.
                        STAKORA_DESKTOP=root)
        self.env["DISPLAY"] = start_xvfb(self.children)

    def start(self, command, **extra):
        process = subprocess.Popen(command, env=dict(self.env, **extra), stdin=subprocess.DEVNULL,
                                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        self.children.append(process)
        return process

    def run(self, *command):
        subprocess.run(command, env=self.env, check=True, stdout=subprocess.DEVNULL,
                       stderr=subprocess.DEVNULL)

    def boot(self):
        bus = subprocess.run(["dbus-launch", "--sh-syntax"], env=self.env, check=True,
                             capture_output=True, text=True).stdout
        self.env["DBUS_SESSION_BUS_ADDRESS"] = re.search(
            r"DBUS_SESSION_BUS_ADDRESS='([^']*)'", bus).group(1)
        rc = os.path.join(self.root, "openbox.xml")
        with open(rc, "w") as f:
            f.write(OPENBOX)  # no key bindings: the window manager takes none of the keys
        self.start(["openbox", "--config-file", rc])
        self.start(["/usr/libexec/at-spi-bus-launcher", "--launch-immediately"])
        self.run("gsettings", "set", "org.gnome.desktop.interface", "toolkit-accessibility",
                 "true")
        speechd = os.path.join(self.root, "speechd")
        os.makedirs(os.path.join(speechd, "modules"))
        with open(os.path.join(speechd, "speechd.conf"), "w") as f:
            f.write(SPEECHD)
        with open(os.path.join(speechd, "modules", "generic.conf"), "w") as f:
            f.write(GENERIC.format(out=self.speech))
        self.start(["speech-dispatcher", "--run-single", "--timeout", "0", "--config-dir", speechd,
                    "--module-dir", "/usr/lib/speech-dispatcher-modules"])
        wait_for(lambda: os.path.exists(os.path.join(self.env["XDG_RUNTIME_DIR"],
                                                     "speech-dispatcher", "speechd.sock")),
                 "speech-dispatcher to listen", STARTUP)
        self.start(["orca", "--replace"])
        self.wait_said("Screen reader on", STARTUP)

    def said(self):
        """Everything Orca has said, in order, as the speech synthesiser got it."""
        try:
            with open(self.speech, errors="replace") as f:
                return [line for line in f.read().split("\n") if line.strip()]
        except FileNotFoundError:
            return []

    def wait_said(self, text, timeout=REPLY, after=0):
        """Waits until Orca says something holding text, after its first `after` utterances;
        returns how many it has said by then."""
        def spoken():
            lines = self.said()
            return len(lines) if any(text in line for line in lines[after:]) else 0
        return wait_for(spoken, f"Orca to say {text!r} (it said {self.said()[after:]})", timeout)

    def wait_active(self, title):
        """Waits until the window manager has given the keyboard to the window so titled."""
        def active():
            window = subprocess.run(["xdotool", "getactivewindow", "getwindowname"],
                                    env=self.env, capture_output=True, text=True)
            return window.returncode == 0 and title in window.stdout
        wait_for(active, f"the window {title!r} to take the keyboard", STARTUP)

    def key(self, *keys):
        """Keys as a player presses them."""
        subprocess.run(["xdotool", "key", "--clearmodifiers", *keys], env=self.env, check=True)

    def stop(self):
        # Everything started on this desktop, seen before anything ends: once a browser has
        # gone, its helpers are nobody's children, and a browser writes its title over the
        # environment that marks the desktop's processes.
        self.find_processes()
        for process in reversed(self.children):
            with contextlib.suppress(ProcessLookupError):
                process.terminate()
        wait_for(lambda: not self.kill_all(), "the desktop's processes to end")
        for process in self.children:
            with contextlib.suppress(subprocess.TimeoutExpired):
                process.wait(timeout=10)

    def find_processes(self):
        """Remembers the processes carrying this desktop's mark (daemons that left the process
        tree) and every descendant of those and of this one; returns every process running."""
        seen, mark = {}, f"STAKORA_DESKTOP={self.root}".encode()  # pid: (parent, start)
        for pid in filter(str.isdigit, os.listdir("/proc")):
            fields = stat_of(pid)
            if fields:
                seen[pid] = fields[1], fields[19]
            with contextlib.suppress(OSError), open(f"/proc/{pid}/environ", "rb") as f:
                if fields and mark in f.read().split(b"\0"):
                    self.found[pid] = fields[19]
        ancestors = set(self.found) | {str(os.getpid())}
        while born := {pid for pid, (parent, _) in seen.items()
                       if parent in ancestors and pid not in ancestors}:
            ancestors |= born
            self.found.update({pid: seen[pid][1] for pid in born})
        return seen

    def kill_all(self):
        """Kills every process found on this desktop, and those marked since; returns those
        still running. A process is remembered once found: a killed browser's main thread may
        wait to be collected, while another thread finishes the file it was writing."""
        seen = self.find_processes()
        alive = [pid for pid, start in self.found.items()
                 if seen.get(pid, (None, None))[1] == start and running(pid)]
        for pid in alive:
            with contextlib.suppress(ProcessLookupError):
                os.kill(int(pid), signal.SIGKILL)
        return alive


def stat_of(pid, task=None):
    """The fields of /proc's stat after the command's name; None once the process is gone."""
    path = f"/proc/{pid}/task/{task}/stat" if task else f"/proc/{pid}/stat"
    try:
        with open(path) as f:
            return f.read().rsplit(")", 1)[1].split()
    except OSError:
        return None


def running(pid):
    """Whether any thread of the process still runs (not dead, nor waiting to be collected)."""
    try:
        tasks = os.listdir(f"/proc/{pid}/task")
    except OSError:
        return False
    return any((stat_of(pid, task) or ["X"])[0] not in "ZX" for task in tasks)


@contextlib.contextmanager
def desktop():
    """A desktop with Orca running, until the block ends."""
    with tempfile.TemporaryDirectory(prefix="stakora-orca.") as root:
        session = Desktop(root)
        try:
            session.boot()
            yield session
        finally:
            session.stop()
