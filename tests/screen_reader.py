"""A blind player's desktop, headless: an X server, a session bus, a window manager, the
accessibility bus and Debian's screen reader, Orca, whose speech goes to a file through
speech-dispatcher's generic module instead of a sound card: what Orca says is read there, line
by line, as it says it. Every process of the desktop, daemons too, is gone when the session ends
(tests/xvfb.py's own_processes)."""
import contextlib
import os
import re
import subprocess
import tempfile

from conditions import wait_for
from xvfb import own_processes, start_window_manager, start_xvfb

# Orca is slow to start on a busy machine: it loads its scripts and settings, then says so.
STARTUP = 90
# The longest a spoken reply to a key may take here: a screen reader waiting on a busy browser
# gives up on a call after D-Bus's 25 seconds, and goes on.
REPLY = 60

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
        self.speech = os.path.join(root, "speech.txt")
        open(self.speech, "w").close()  # nothing said yet
        home = os.path.join(root, "home")
        runtime = os.path.join(root, "run")
        os.makedirs(home)
        os.makedirs(runtime, mode=0o700)
        self.env = {key: value for key, value in os.environ.items()
                    if not key.startswith(("DBUS_", "XDG_", "QT_", "AT_SPI"))}
        self.env.update(HOME=home, XDG_RUNTIME_DIR=runtime, LANG="C.UTF-8", LC_ALL="C.UTF-8",
                        XDG_CONFIG_HOME=os.path.join(home, ".config"),
                        XDG_DATA_HOME=os.path.join(home, ".local", "share"),
                        XDG_CACHE_HOME=os.path.join(home, ".cache"))
        self.env["DISPLAY"] = start_xvfb()

    def start(self, command, **extra):
        return subprocess.Popen(command, env=dict(self.env, **extra), stdin=subprocess.DEVNULL,
                                stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)

    def boot(self):
        bus = subprocess.run(["dbus-launch", "--sh-syntax"], env=self.env, check=True,
                             capture_output=True, text=True).stdout
        self.env["DBUS_SESSION_BUS_ADDRESS"] = re.search(
            r"DBUS_SESSION_BUS_ADDRESS='([^']*)'", bus).group(1)
        start_window_manager(self.env, self.root)
        self.start(["/usr/libexec/at-spi-bus-launcher", "--launch-immediately"])
        subprocess.run(["gsettings", "set", "org.gnome.desktop.interface", "toolkit-accessibility",
                        "true"], env=self.env, check=True)
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
        with open(self.speech, errors="replace") as f:
            return [line for line in f.read().split("\n") if line.strip()]

    def wait_said(self, text, timeout=REPLY, after=0):
        """Waits until Orca says something holding text, after its first `after` utterances;
        returns how many it has said by then."""
        def spoken():
            lines = self.said()
            return len(lines) if any(text in line for line in lines[after:]) else 0
        return wait_for(spoken, lambda: f"Orca to say {text!r} (it said {self.said()[after:]})",
                        timeout)

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


@contextlib.contextmanager
def desktop():
    """A desktop with Orca running, until the block ends."""
    with tempfile.TemporaryDirectory(prefix="stakora-orca.") as root, own_processes():
        session = Desktop(root)
        session.boot()
        yield session
