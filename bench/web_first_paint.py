#!/usr/bin/python3
"""First paint of the browser edition in headless Chromium beside a floor: a static page that
shows one label in a box of the same size, both from 127.0.0.1 in the same run, each load cold
(no HTTP cache, no service worker). Prints the medians, their ratio, when the program has taken
over the window, how soon after the program's download fails the page says it cannot start, and
the gzip-compressed size of everything the page loads, and fails when it is over its budget of
100 KiB.

    bench/web_first_paint.py SITE_DIR [RUNS]
"""
import gzip
import os
import statistics
import sys
import tempfile
import time

sys.path.insert(0, os.path.join(os.path.dirname(__file__), "..", "tests"))
from conditions import wait_for  # noqa: E402
from web_session import Server, browser  # noqa: E402
from xvfb import own_processes  # noqa: E402

FLOOR = """<!doctype html><html lang="it"><head><meta charset="utf-8"><title>Floor</title></head>
<body style="margin:0"><div style="width:397px;height:599px;background:rgb(192,192,192)">
<div style="padding:8px;font:9pt sans-serif">Stakora</div></div></body></html>"""


def first_paint(driver, url, ready=None):
    driver.get(url)
    paint = wait_for(lambda: driver.execute_script(
        "const e = performance.getEntriesByName('first-contentful-paint')[0];"
        "return e ? e.startTime : null"), "the first paint")
    started = wait_for(lambda: driver.execute_script(ready), "the program") if ready else None
    return paint, started


def failure_told(driver, server):
    """Milliseconds from the program's failed download to the alert that says so."""
    server.failing = {"stakora.wasm"}
    driver.get(server.url)
    wait_for(lambda: driver.execute_script(
        "return !document.getElementById('startup-failure').hidden"), "the alert")
    told = time.monotonic()
    server.failing = set()
    return (told - server.failed_at) * 1000


def main(site, runs):
    floor_dir = tempfile.TemporaryDirectory()
    with open(os.path.join(floor_dir.name, "index.html"), "w") as page:
        page.write(FLOOR)
    ours, floor = Server(site), Server(floor_dir.name)
    profile = tempfile.TemporaryDirectory()
    driver = browser(profile.name)
    try:
        driver.execute_cdp_cmd("Network.enable", {})
        driver.execute_cdp_cmd("Network.setCacheDisabled", {"cacheDisabled": True})
        driver.execute_cdp_cmd("Network.setBypassServiceWorker", {"bypass": True})
        taken_over = ("return document.activeElement && document.activeElement.id === "
                      "'txtPuntata(1)' ? performance.now() : null")
        times = {"floor": [], "stakora": [], "program": [], "failure": []}
        for _ in range(runs + 2):  # the first two warm the browser up
            times["floor"].append(first_paint(driver, floor.url)[0])
            paint, started = first_paint(driver, ours.url, taken_over)
            times["stakora"].append(paint)
            times["program"].append(started)
            times["failure"].append(failure_told(driver, ours))
        median = {name: statistics.median(values[2:]) for name, values in times.items()}
    finally:
        driver.quit()
        ours.stop()
        floor.stop()
        profile.cleanup()
        floor_dir.cleanup()
    print(f"first paint: floor {median['floor']:.1f} ms, stakora {median['stakora']:.1f} ms, "
          f"ratio {median['stakora'] / median['floor']:.2f} (target <= 2)")
    print(f"the program takes over the window at {median['program']:.1f} ms")
    print(f"a failed start is told {median['failure']:.1f} ms after the failed download "
          "(target < 1000)")
    total = 0
    for name in sorted(os.listdir(site)):
        with open(os.path.join(site, name), "rb") as f:
            size = len(gzip.compress(f.read(), 9))
        if name.startswith("screenshot-"):  # for install dialogs only; never stored offline
            print(f"  ({name}: {size} bytes gzip-compressed, not loaded by the page)")
            continue
        total += size
        print(f"  {name}: {size} bytes gzip-compressed")
    print(f"everything the page and its worker load: {total / 1024:.1f} KiB gzip-compressed "
          "(target < 100 KiB)")
    return total < 100 * 1024  # a budget of bytes, unlike the times, holds on any machine


if __name__ == "__main__":
    with own_processes():
        within_budget = main(sys.argv[1], int(sys.argv[2]) if len(sys.argv) > 2 else 20)
    sys.exit(0 if within_budget else 1)
