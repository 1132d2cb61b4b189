#!/usr/bin/python3
"""Photographs the browser edition in headless Chromium, as the install dialogs and the README
show it: the touch form on a phone (360 x 740) and the designed window on a wide screen
(1280 x 800), each after ELABORA with a few stakes. Run after building the site; the outputs
are committed.
    apt-get install chromium chromium-driver python3-selenium imagemagick
    resources/make_screenshots.py build-web/site
"""
import os
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests"))
from conditions import wait_for  # noqa: E402
from web_session import session  # noqa: E402

HERE = os.path.dirname(os.path.abspath(__file__))
DOCS = os.path.join(HERE, "..", "docs")


def photograph(driver, page, url, width, height, mobile, png):
    driver.execute_cdp_cmd("Emulation.setDeviceMetricsOverride", {
        "width": width, "height": height, "deviceScaleFactor": 1, "mobile": mobile})
    driver.execute_cdp_cmd("Emulation.setTouchEmulationEnabled", {"enabled": mobile})
    driver.execute_cdp_cmd("Emulation.setEmitTouchEventsForMouse", {"enabled": mobile})
    driver.get(url)
    page.started()
    for row, stake in enumerate(["10", "12", "14,5", "17", "20"], start=1):
        page.js(f"document.getElementById('txtPuntata({row})').value = '{stake}'")
    page.js("document.getElementById('cmdElabora').click()")
    wait_for(lambda: page.text("lblUtile(5)") != "", "ELABORA")
    page.js("document.activeElement.blur()")
    with open(png, "wb") as f:
        f.write(driver.get_screenshot_as_png())


def main(site):
    with session(site) as (server, driver, page), tempfile.TemporaryDirectory() as work:
        for name, size, mobile in (("narrow", (360, 740), True), ("wide", (1280, 800), False)):
            # The phone's is the README's too.
            png = (os.path.join(DOCS, "screenshot-web-phone.png") if mobile else
                   os.path.join(work, "wide.png"))
            photograph(driver, page, server.url, *size, mobile, png)
            subprocess.run(["/usr/bin/convert", png, "-strip", "-quality", "80",
                            os.path.join(HERE, f"screenshot-{name}.jpg")], check=True)


if __name__ == "__main__":
    main(sys.argv[1])
