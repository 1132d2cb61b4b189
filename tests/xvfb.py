#!/usr/bin/python3
"""What the tests that drive real windows share: an X server of the test's own, a window manager
on it, closing a window as a window manager does, and the end of every process the test started.

The test process is made the reaper of all its descendants (PR_SET_CHILD_SUBREAPER): a daemon
that leaves the process tree (a bus, a browser's helper) comes back to it, and is ended with the
rest when the test ends, whether it passed, failed or was interrupted.

As a command, for shell scripts: runs COMMAND on a display of its own, with a window manager if
asked, then ends every process COMMAND left; the exit status is COMMAND's.
    tests/xvfb.py [--window-manager] COMMAND [ARGUMENTS...]
"""
import contextlib
import ctypes
import os
import select
import shlex
import signal
import subprocess
import sys
import tempfile
import time

from conditions import TIMEOUT, wait_for

PR_SET_CHILD_SUBREAPER = 36
# No key bindings: the window manager takes none of the keys a test types.
OPENBOX = """<?xml version="1.0"?>
<openbox_config xmlns="http://openbox.org/3.4/rc"><keyboard></keyboard><mouse></mouse>
</openbox_config>
"""


def descendants(pid=None):
    """Every process below pid (this one by default), through the kernel's lists of children."""
    found = []
    with contextlib.suppress(OSError):
        for task in os.listdir(f"/proc/{pid or os.getpid()}/task"):
            with open(f"/proc/{pid or os.getpid()}/task/{task}/children") as f:
                for child in map(int, f.read().split()):
                    found += [child, *descendants(child)]
    return found


@contextlib.contextmanager
def own_processes():
    """Until the block ends, every process started below this one stays its own; then each is
    killed and collected, and the block fails if one outlives the wait."""
    libc = ctypes.CDLL(None, use_errno=True)
    if libc.prctl(PR_SET_CHILD_SUBREAPER, 1, 0, 0, 0) != 0:
        raise OSError(ctypes.get_errno(), "prctl(PR_SET_CHILD_SUBREAPER)")
    try:
        yield
    finally:
        deadline = time.monotonic() + TIMEOUT
        while True:
            for pid in descendants():
                with contextlib.suppress(ProcessLookupError):
                    os.kill(pid, signal.SIGKILL)
            try:
                while os.waitpid(-1, os.WNOHANG)[0] > 0:
                    pass
            except ChildProcessError:
                break  # none left: every process, and every thread of it, has ended
            if time.monotonic() > deadline:
                raise AssertionError(f"processes that would not end: {descendants()}")
            time.sleep(0.02)


def start_xvfb():
    """A new X server on a free display; returns the display's name."""
    # -r: no key autorepeat, so a press held up by load never types twice. -noreset: the server
    # would otherwise reset when its last client leaves. The pipe stays open: Xvfb dies if its
    # display number cannot be written.
    xvfb = subprocess.Popen(["Xvfb", "-displayfd", "1", "-screen", "0", "1600x1400x24",
                             "-nolisten", "tcp", "-noreset", "-r"],
                            stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
    if not select.select([xvfb.stdout], [], [], TIMEOUT)[0]:
        raise AssertionError("Xvfb did not start")
    number = xvfb.stdout.readline().strip()
    if not number:
        raise AssertionError("Xvfb failed to start")
    return ":" + number.decode()


def start_window_manager(env, folder):
    """openbox on env's display, once it manages windows. (It names itself on the display
    before it has started: a window mapped in between could be left unmapped.)"""
    rc = os.path.join(folder, "openbox.xml")
    ready = os.path.join(folder, "openbox-ready")
    with open(rc, "w") as f:
        f.write(OPENBOX)
    openbox = subprocess.Popen(["openbox", "--sm-disable", "--config-file", rc, "--startup",
                                f"touch {shlex.quote(ready)}"], env=env,
                               stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    wait_for(lambda: os.path.exists(ready), lambda: f"openbox to start ({openbox.poll()=})")


def close_window(x, window):
    """As a window manager closes a window: WM_DELETE_WINDOW, not destroying it."""
    from Xlib import X, protocol
    target = x.create_resource_object("window", window)
    delete = x.intern_atom("WM_DELETE_WINDOW")
    target.send_event(protocol.event.ClientMessage(
        window=target, client_type=x.intern_atom("WM_PROTOCOLS"),
        data=(32, [delete, X.CurrentTime, 0, 0, 0])), event_mask=X.NoEventMask)
    x.flush()


def main(arguments):
    window_manager = arguments[:1] == ["--window-manager"]
    command = arguments[window_manager:]
    with own_processes(), tempfile.TemporaryDirectory() as folder:
        env = dict(os.environ, DISPLAY=start_xvfb(), STAKORA_X_SESSION="1")
        if window_manager:
            start_window_manager(env, folder)
        return subprocess.run(command, env=env).returncode


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
