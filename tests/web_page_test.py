#!/usr/bin/python3
"""The browser edition in headless Chromium, served from 127.0.0.1, driven through WebDriver
with real key events and clicks: what only the page can get wrong. The handlers' decisions are
proven by the handler suite, compiled to WebAssembly and run under Node.js.

    tests/web_page_test.py SITE_DIR
"""
import sys

from conditions import wait_for
from selenium.webdriver.common.action_chains import ActionChains
from selenium.webdriver.common.by import By
from selenium.webdriver.common.keys import Keys

from web_session import check, check_policy_kept, session


def run(site):
    with session(site) as (server, driver, page):
        # On a slow network: what is typed before the program has loaded is held, then filtered
        # where it was typed, and the program's start leaves the focus with the user.
        server.hold("stakora.js")
        driver.get(server.url)
        page.el("txtPuntata(3)").click()
        page.keys("1a2.5")
        check(page.value("txtPuntata(3)") == "", "unfiltered text in a field before the program")
        server.release()
        wait_for(lambda: page.value("txtPuntata(3)") == "125", "the held keys, filtered")
        check(page.focused() == "txtPuntata(3)", f"the focus moved to {page.focused()}")
        page.keys("7")
        check(page.value("txtPuntata(3)") == "1257", page.value("txtPuntata(3)"))
        check_policy_kept(driver)
        print("ok: keys typed before the program loads are filtered where they were typed")

        driver.get(server.url)
        page.started()

        # Found as assistive technology finds them.
        check(driver.title == "Stakora", driver.title)
        check(page.js("return document.documentElement.lang") == "it", "page language")
        check(page.el("txtPuntata(3)").accessible_name == "Puntata 3", "stake name")
        check(page.el("txtPremio").accessible_name == "PREMIO V.L.P", "prize name")
        check(page.el("txtPuntata(3)").get_attribute("inputmode") == "decimal", "keypad")
        grid = driver.find_element(By.CSS_SELECTOR, "[role=table]")
        check(grid.aria_role == "table", grid.aria_role)
        check(page.el("lblSpesa(3)").get_attribute("aria-description") == "Spesa 3", "cell")
        check(page.value("txtPremio") == "11,67", "default prize")
        check(all(page.text(f"lbl{c}({r})") == "" for c in ("Spesa", "Vincita", "Utile")
                  for r in range(1, 16)), "cells empty at start")
        print("ok: start state, names and roles")

        page.keys("1a2.3,4")
        check(page.value("txtPuntata(1)") == "123,4", page.value("txtPuntata(1)"))
        print("ok: typing 1a2.3,4 gives 123,4")

        page.js("document.getElementById('txtPuntata(3)').value = '250'")
        page.keys(Keys.ENTER)
        wait_for(lambda: page.focused() == "txtPuntata(2)", "Enter to walk down")
        page.keys(Keys.ENTER)
        wait_for(lambda: page.focused() == "txtPuntata(3)", "Enter to walk down again")
        check(page.selection("txtPuntata(3)") == [0, 3], "the next stake selected")
        page.el("txtPuntata(15)").click()
        page.keys(Keys.ENTER)
        wait_for(lambda: page.focused() == "txtPuntata(1)", "Enter to wrap from row 15")
        page.el("txtPuntata(3)").click()
        check(page.selection("txtPuntata(3)") == [0, 3], "a click selects the whole stake")
        print("ok: Enter walks and wraps; a stake selects its text by key and by click")

        page.el("cmdClear").click()
        wait_for(lambda: page.value("txtPuntata(3)") == "", "Cancella")
        page.el("txtPuntata(1)").click()
        page.keys("10")
        page.el("cmdElabora").send_keys(Keys.ENTER)  # Enter presses the focused button
        wait_for(lambda: page.text("lblUtile(1)") == "106,70", "Enter on ELABORA")
        check([page.text(f"lbl{c}(1)") for c in ("Spesa", "Vincita")] == ["10,00", "116,70"],
              "row 1")
        page.el("cmdClear").click()
        wait_for(lambda: page.text("lblUtile(1)") == "" and page.value("txtPuntata(1)") == "",
                 "Cancella to empty the column")
        check(page.value("txtPremio") == "11,67", "the prize stays")
        print("ok: Enter on ELABORA fills the row; Cancella empties the column, keeps the prize")

        # Typed right after ELABORA is pressed, while it paints its rows on a slow phone, in one
        # burst of real key events: Enter on ELABORA, Shift+Tab back to the stake, then digits.
        # All of it is held while the handler runs, then handled in order.
        page.js("for (let r = 1; r <= 14; ++r) document.getElementById(`txtPuntata(${r})`)"
                ".value = '10'")
        page.el("txtPuntata(15)").click()
        page.keys(Keys.TAB)
        wait_for(lambda: page.focused() == "cmdElabora", "Tab to ELABORA")
        driver.execute_cdp_cmd("Emulation.setCPUThrottlingRate", {"rate": 50})
        try:
            ActionChains(driver).send_keys(Keys.ENTER).key_down(Keys.SHIFT).send_keys(Keys.TAB) \
                .key_up(Keys.SHIFT).send_keys("987").perform()
        finally:
            driver.execute_cdp_cmd("Emulation.setCPUThrottlingRate", {"rate": 1})
        wait_for(lambda: page.text("lblSpesa(14)") == "140,00" and
                 page.value("txtPuntata(15)") == "987",
                 "ELABORA, then every digit typed")
        check(page.focused() == "txtPuntata(15)", page.focused())
        page.el("cmdClear").click()
        print("ok: digits typed while ELABORA runs all arrive, after it")

        page.el("txtPremio").click()
        page.keys(Keys.CONTROL, "a")
        page.keys(Keys.BACKSPACE)
        page.el("cmdElabora").click()
        wait_for(page.box_open, "the missing-prize box")
        check(page.text("msgbox-title") == "Stakora", "box title")
        check(page.text("msgbox-text") == "Inserire Premio ..! ", page.text("msgbox-text"))
        page.keys(Keys.ENTER)
        wait_for(lambda: not page.box_open() and page.focused() == "txtPremio",
                 "the focus in the prize after the box")
        page.keys("7")
        check(page.value("txtPremio") == "7", page.value("txtPremio"))
        print("ok: the missing-prize box, then the focus and the next digit in the prize")

        page.js("document.getElementById('txtPuntata(1)').value = '5';"
                "document.getElementById('txtPuntata(2)').value = '1.5'")  # as a paste would
        page.el("cmdElabora").click()
        wait_for(page.box_open, "the bad-number box")
        check("riga 2" in page.text("msgbox-text"), page.text("msgbox-text"))
        page.keys(Keys.ENTER)
        wait_for(lambda: not page.box_open() and page.focused() == "txtPuntata(2)",
                 "the focus on the bad stake")
        check(page.text("lblSpesa(1)") == "5,00", "the row before it stays shown")
        page.keys("2")
        check(page.value("txtPuntata(2)") == "2", "the next digit replaces the bad stake")
        check_policy_kept(driver)
        print("ok: a bad number is reported and the page goes on")

        driver.execute_cdp_cmd("Emulation.setDeviceMetricsOverride", {
            "width": 360, "height": 640, "deviceScaleFactor": 2, "mobile": True})
        wait_for(lambda: page.js("return document.documentElement.scrollWidth <= "
                                 "document.documentElement.clientWidth"), "no sideways scroll")
        driver.execute_cdp_cmd("Emulation.clearDeviceMetricsOverride", {})
        print("ok: at 360 CSS pixels wide the window fits and nothing scrolls sideways")

        wait_for(lambda: page.js("return navigator.serviceWorker.controller !== null || "
                                 "(location.reload(), false)"), "the service worker")
        server.stop()
        driver.execute_cdp_cmd("Network.enable", {})
        driver.execute_cdp_cmd("Network.setCacheDisabled", {"cacheDisabled": True})
        driver.refresh()
        page.started()
        page.keys("5")
        page.el("cmdElabora").click()
        wait_for(lambda: page.text("lblVincita(1)") == "58,35", "ELABORA offline")
        check_policy_kept(driver)
        print("ok: with the server stopped the page reloads and computes")
        print("ok: no Content-Security-Policy violation on any page of the run")


if __name__ == "__main__":
    run(sys.argv[1])
    print("ok: the page in headless Chromium")
