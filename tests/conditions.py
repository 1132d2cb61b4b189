"""Waiting for a condition, never for a fixed time: shared by the scripts that drive real
windows and pages."""
import time

TIMEOUT = 20.0


def wait_for(condition, what, timeout=TIMEOUT):
    """Polls condition() until it returns something true, and returns that. `what` may be a
    function, to tell what was seen instead."""
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        value = condition()
        if value:
            return value
        time.sleep(0.02)
    raise AssertionError(f"timed out waiting for {what() if callable(what) else what}")
