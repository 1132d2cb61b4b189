"""An X server of the test's own, for the scripts that drive real windows."""
import os
import select
import subprocess

from conditions import TIMEOUT


def start_xvfb(children):
    ready, write_end = os.pipe()
    # -r: no key autorepeat, so a press held up by load never types twice. -noreset: the server
    # would otherwise reset when its last client leaves.
    children.append(subprocess.Popen(
        ["Xvfb", "-displayfd", str(write_end), "-screen", "0", "1024x768x24", "-nolisten", "tcp",
         "-noreset", "-r"], pass_fds=(write_end,), stdout=subprocess.DEVNULL,
        stderr=subprocess.DEVNULL))
    os.close(write_end)
    # Read the whole line: Xvfb writes the newline separately, and dies if nobody reads it.
    number = b""
    while not number.endswith(b"\n"):
        if not select.select([ready], [], [], TIMEOUT)[0]:
            raise AssertionError("Xvfb did not start")
        chunk = os.read(ready, 32)
        if not chunk:
            raise AssertionError("Xvfb failed to start")
        number += chunk
    os.close(ready)
    number = number.decode().strip()
    return ":" + number
