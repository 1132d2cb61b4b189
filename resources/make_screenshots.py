#!/usr/bin/python3
"""Photographs every edition as it is built, for the README, the store listing and the page's
install dialogs; the outputs are committed.
  docs/screenshot.png, docs/screenshot-box.png: the Linux window after ELABORA, and with the box
      for a stake that is no number, under a window manager on Xvfb (the store listing's);
  docs/screenshot-windows.png: the Windows edition under Wine, after ELABORA;
  docs/screenshot-web.png: the page's window in headless Chromium, after ELABORA;
  docs/screenshot-web-phone.png and resources/screenshot-narrow.jpg, screenshot-wide.jpg: the
      page on a phone (360 x 740) and on a wide screen (1280 x 800), for the install dialogs.
Run from the top of the tree after ./dev.sh test (or ./dev.sh package and ./dev.sh web):
    apt-get install imagemagick && resources/make_screenshots.py
"""
import os
import subprocess
import sys
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "tests"))
from conditions import wait_for  # noqa: E402
from keyboard_window_test import CAPTION, STAKE_1, WINE, Session  # noqa: E402
from web_session import session  # noqa: E402
from xvfb import own_processes, start_window_manager, start_xvfb  # noqa: E402

DOCS = os.path.join(HERE, "..", "docs")
STAKES = ["2", "1", "2", "3", "5", "8", "13", "21", "34"]
ROWS = 15


def desktop_window(command, shots, environment=None):
    """The program on a desktop of its own, the stakes typed and ELABORA pressed from the
    keyboard; each of `shots` (a file, and the keys typed before it is taken) photographs the
    window with its frame."""
    with tempfile.TemporaryDirectory() as folder, own_processes():
        x = Session(start_xvfb())
        start_window_manager(x.env, folder)
        subprocess.Popen(command, env=dict(x.env, XDG_RUNTIME_DIR=folder, **(environment or {})))
        window = wait_for(lambda: x.find(CAPTION), "the window", timeout=180)
        x.xdotool("mousemove", "--window", str(window), *map(str, STAKE_1), "click", "1")
        wait_for(lambda: x.has_focus(window), "the window to take the keyboard")
        for stake in STAKES:
            x.keys(*stake, "Return")
        x.keys(*["Tab"] * (ROWS - len(STAKES)), "Return")  # to ELABORA
        for png, keys in shots:
            if keys:
                x.keys(*keys)
                wait_for(lambda: x.find("Stakora"), "the box")
            frame = x.x.create_resource_object("window", window)
            while frame.query_tree().parent != x.x.screen().root:  # the window manager's frame
                frame = frame.query_tree().parent
            place = frame.get_geometry()
            crop = f"{place.width}x{place.height}+{place.x}+{place.y}"
            subprocess.run(["import", "-window", "root", "-crop", crop, "+repage", "-strip", png],
                           env=x.env, check=True)


def page(site):
    with session(site) as (server, driver, page), tempfile.TemporaryDirectory() as work:
        def photograph(width, height, mobile, png):
            driver.execute_cdp_cmd("Emulation.setDeviceMetricsOverride", {
                "width": width, "height": height, "deviceScaleFactor": 1, "mobile": mobile})
            driver.execute_cdp_cmd("Emulation.setTouchEmulationEnabled", {"enabled": mobile})
            driver.execute_cdp_cmd("Emulation.setEmitTouchEventsForMouse", {"enabled": mobile})
            page.load(server.url)
            for row, stake in enumerate(STAKES, start=1):
                page.js(f"document.getElementById('txtPuntata({row})').value = '{stake}'")
            page.js("document.getElementById('cmdElabora').click()")
            wait_for(lambda: page.text(f"lblUtile({len(STAKES)})") != "", "ELABORA")
            page.js("document.activeElement.blur()")
            with open(png, "wb") as f:
                f.write(driver.get_screenshot_as_png())

        photograph(360, 740, True, os.path.join(DOCS, "screenshot-web-phone.png"))
        wide = os.path.join(work, "wide.png")
        photograph(1280, 800, False, wide)
        with open(os.path.join(DOCS, "screenshot-web.png"), "wb") as f:
            f.write(page.el("stage").screenshot_as_png)
        for name, png in (("narrow", os.path.join(DOCS, "screenshot-web-phone.png")),
                          ("wide", wide)):
            subprocess.run(["convert", png, "-strip", "-quality", "80",
                            os.path.join(HERE, f"screenshot-{name}.jpg")], check=True)


def main():
    # From ELABORA back to stake 2, "1,,2" over its text, and ELABORA again.
    box = ["shift+Tab"] * (ROWS - 1) + ["1", "comma", "comma", "2"] + ["Tab"] * (ROWS - 1) + [
        "Return"]
    desktop_window(["build/app/stakora"], [(os.path.join(DOCS, "screenshot.png"), []),
                                           (os.path.join(DOCS, "screenshot-box.png"), box)])
    with tempfile.TemporaryDirectory() as prefix:
        desktop_window([WINE, "build-windows/app/stakora.exe"],
                       [(os.path.join(DOCS, "screenshot-windows.png"), [])],
                       {"WINEPREFIX": prefix, "WINEDEBUG": "-all"})
    page("build-web/site")


if __name__ == "__main__":
    main()
