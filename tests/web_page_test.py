#!/usr/bin/python3
"""The browser edition in one of the engines players use (Chromium, Firefox, WebKit), served from
127.0.0.1, driven through WebDriver with real key events and clicks: what only the page can get
wrong, the same in each. The handlers' decisions are
proven by the handler suite, compiled to WebAssembly and run under Node.js.

    tests/web_page_test.py SITE_DIR chromium|firefox|webkit
"""
import sys

from conditions import wait_for
from selenium.webdriver.common.action_chains import ActionChains
from selenium.webdriver.common.by import By
from selenium.webdriver.common.keys import Keys

from web_session import check, check_policy_kept, console_errors, session, set_viewport


def run(site, engine):
    with session(site, engine) as (server, driver, page):
        # On a slow network (the module held back: a held loader would hold the page's load,
        # which WebKit's driver waits for), what the player does before the program has loaded
        # is held, with nothing of it in the page, and then done in order: the press on a stake,
        # the keys (filtered), the Enter that walks on from that stake, the click on ELABORA.
        server.hold("stakora.wasm")
        driver.get(server.url)
        page.el("txtPuntata(1)").click()
        page.keys("5a")
        page.keys(Keys.ENTER)
        page.keys("6.")
        page.el("cmdElabora").click()
        check(page.value("txtPuntata(1)") == "", "unfiltered text in a field before the program")
        server.release()
        wait_for(lambda: page.text("lblVincita(2)") == "70,02", "the held ELABORA")
        check([page.value("txtPuntata(1)"), page.value("txtPuntata(2)"), page.value("txtPremio"),
               page.text("lblVincita(1)")] == ["5", "6", "11,67", "58,35"], "the held actions")
        check_policy_kept(server, driver)
        # Cancella, a press on stake 14, "5", Enter, "9", a press on the prize and "0": in that
        # order, and the page still takes keys afterwards.
        server.hold("stakora.wasm")
        driver.get(server.fresh())  # where no worker serves the program, held back or not
        page.el("cmdClear").click()
        page.el("txtPuntata(14)").click()
        page.keys("5", Keys.ENTER, "9")
        page.el("txtPremio").click()
        page.keys("0")
        server.release()
        wait_for(lambda: page.value("txtPremio") == "11,670", "the held keys in the prize")
        check([page.value("txtPuntata(14)"), page.value("txtPuntata(15)"),
               page.value("txtPuntata(13)")] == ["5", "9", ""],
              "held keys out of order")
        page.el("txtPuntata(3)").click()
        page.keys("7")
        # Held a little longer if the queue is still busy, but put where they were aimed.
        typed = lambda: [page.value("txtPuntata(3)"), page.focused()]
        wait_for(lambda: typed() == ["7", "txtPuntata(3)"],
                 lambda: f"keys after the held ones, not {typed()}")
        print("ok: what is done before the program loads is done after, in order, where aimed")

        # The program cannot be fetched: the page says so at once, keeps what was typed, and
        # tries again on the player's word, the typing carried across.
        server.hold("stakora.wasm")
        server.failing = {"stakora.wasm"}
        driver.get(server.fresh())
        page.el("txtPuntata(2)").click()
        page.keys("42")
        server.release()
        shown = "const bar = document.getElementById('startup-failure');" \
                "return bar.hidden ? null : [bar.getAttribute('role'), bar.textContent]"
        role, text = wait_for(lambda: page.js(shown), "the page to say it cannot start")
        check(role == "alert" and "non è riuscito ad avviarsi" in text, text)
        check(page.value("txtPuntata(2)") == "42", "what was typed stays")
        server.failing = set()
        page.el("retry").click()
        page.started()
        check(not page.js(shown), "the failure still told after a good start")
        check(page.value("txtPuntata(2)") == "42", "what was typed carried across")
        console_errors(driver)  # those of the failure itself, not of the page
        print("ok: a program that cannot start is told at once, and the page tries again")

        driver.get(server.url)
        page.started()

        # Found as assistive technology finds them.
        check(driver.title == "Stakora", driver.title)
        check(page.js("return document.documentElement.lang") == "it", "page language")
        if engine == "chromium":
            check(page.el("txtPuntata(3)").accessible_name == "Puntata 3", "stake name")
            check(page.el("txtPremio").accessible_name == "PREMIO V.L.P", "prize name")
            grid = driver.find_element(By.CSS_SELECTOR, "[role=table]")
            check(grid.aria_role == "table", grid.aria_role)
        check(page.el("txtPuntata(3)").get_attribute("inputmode") == "decimal", "keypad")
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

        if engine == "chromium":  # the only engine with input methods and a CPU to slow
            # An input method's text, composed and committed, is filtered like typed text.
            page.el("txtPuntata(6)").click()
            driver.execute_cdp_cmd("Input.imeSetComposition",
                                   {"text": "a", "selectionStart": 1, "selectionEnd": 1})
            driver.execute_cdp_cmd("Input.insertText", {"text": "a1"})
            wait_for(lambda: page.value("txtPuntata(6)") == "1", "the committed text, filtered")
            # Typed right after ELABORA is pressed, while it paints its rows on a slow phone, in one
            # burst of real key events: Enter on ELABORA, Shift+Tab back to the stake, then digits.
            # All of it is held while the handler runs, then handled in order.
            page.js("for (let r = 1; r <= 14; ++r) document.getElementById(`txtPuntata(${r})`)"
                    ".value = '10'")
            page.el("txtPuntata(15)").click()
            page.keys(Keys.TAB)
            wait_for(lambda: page.focused() == "cmdElabora", "Tab to ELABORA")
            # Whether the queue held each key as it came: some must come while ELABORA runs.
            page.js("window.heldKeys = []; document.addEventListener('keydown', () => "
                    "heldKeys.push(!stakoraInput.open()), true)")
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
            check(any(page.js("return heldKeys.slice(1)")), "every key came after ELABORA")
            page.el("cmdClear").click()
            print("ok: digits typed while ELABORA runs all arrive, after it")

        page.el("txtPremio").click()
        page.keys(Keys.CONTROL, "a")
        page.keys(Keys.BACKSPACE)
        page.el("cmdElabora").click()
        wait_for(page.box_open, "the missing-prize box")
        check(page.text("msgbox-title") == "Stakora", "box title")
        check(page.text("msgbox-text") == "Inserire Premio ..! ", page.text("msgbox-text"))
        if engine == "chromium":
            button = driver.find_element(By.CSS_SELECTOR, "#msgbox button")
            check(button.accessible_name == "OK", f"the box's button: {button.accessible_name!r}")
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
        check_policy_kept(server, driver)
        print("ok: a bad number is reported and the page goes on")

        set_viewport(driver, 360, 640)
        wait_for(lambda: page.js("return document.documentElement.scrollWidth <= "
                                 "document.documentElement.clientWidth && getComputedStyle("
                                 "document.querySelector('.window')).getPropertyValue('--form')"
                                 ".trim() !== 'desktop'"), "the touch form, no sideways scroll")
        page.el("txtPuntata(4)").click()
        page.keys("8", Keys.ENTER)
        wait_for(lambda: page.focused() == "txtPuntata(5)", "Enter in the touch form")
        check(page.value("txtPuntata(4)") == "8", page.value("txtPuntata(4)"))
        page.tap("txtPuntata(4)")
        wait_for(lambda: page.focused() == "txtPuntata(4)", "a tap to focus the stake")
        check(page.selection("txtPuntata(4)") == [0, 1], "a tap selects the whole stake")
        check_policy_kept(server, driver)
        set_viewport(driver, None, None)
        print("ok: at 360 CSS pixels wide the touch form fits, and its fields behave the same")

        page.js("return navigator.serviceWorker.ready.then(() => true)")  # stored whole
        driver.refresh()
        page.started()
        check(page.js("return navigator.serviceWorker.controller !== null"), "no worker")
        server.stop()  # nothing it served was cached: what loads now comes from the worker
        driver.refresh()
        page.started()
        page.keys("5")
        page.el("cmdElabora").click()
        wait_for(lambda: page.text("lblVincita(1)") == "58,35", "ELABORA offline")
        check_policy_kept(server, driver)
        print("ok: with the server stopped the page reloads and computes")
        print("ok: no Content-Security-Policy violation on any page of the run")


if __name__ == "__main__":
    run(sys.argv[1], sys.argv[2])
    print(f"ok: the page in {sys.argv[2]}")
