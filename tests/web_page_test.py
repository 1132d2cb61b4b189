#!/usr/bin/python3
"""The browser edition in one of the engines players use (Chromium, Firefox, WebKit), served from
127.0.0.1, driven through WebDriver with real key events and clicks: what only the page can get
wrong, the same in each. The handlers' decisions are
proven by the handler suite, compiled to WebAssembly and run under Node.js.

    tests/web_page_test.py SITE_DIR chromium|firefox|webkit
"""
import base64
import os
import subprocess
import sys
import tempfile

from conditions import wait_for
from selenium import webdriver
from selenium.webdriver.common.by import By
from selenium.webdriver.common.keys import Keys

from web_session import (check, check_policy_kept, console_errors, perform, session,
                         set_viewport)


CONTRAST = """const lum = (c) => c.match(/[0-9.]+/g).slice(0, 3).map((v) => v / 255)
  .map((v) => (v <= 0.03928 ? v / 12.92 : ((v + 0.055) / 1.055) ** 2.4))
  .reduce((sum, v, i) => sum + v * [0.2126, 0.7152, 0.0722][i], 0);
return Array.from(document.querySelectorAll('#frmAmain *'))
  .filter((e) => e.childElementCount === 0 && (e.value || e.textContent.trim()))
  .map((e) => [e.id || e.tagName, 1.05 / (lum(getComputedStyle(e).color) + 0.05)])
  .filter(([, ratio]) => ratio < 4.5)"""


def printed(driver, page):
    """A computed plan printed as the browser prints by default, without backgrounds: one page,
    every stake, result and the prize in its text, each at least 4.5:1 against the paper."""
    values = ["10,00", "116,70", "106,70", "30,00", "233,40", "203,40", "11,67"]
    page.load()
    page.js("document.getElementById('txtPuntata(1)').value = '10';"
            "document.getElementById('txtPuntata(2)').value = '20';"
            "document.getElementById('cmdElabora').click()")
    wait_for(lambda: page.text("lblUtile(2)") == "203,40", "ELABORA")
    with tempfile.TemporaryDirectory() as folder:
        pdf = os.path.join(folder, "plan.pdf")
        with open(pdf, "wb") as f:
            f.write(base64.b64decode(driver.print_page()))
        info = subprocess.run(["pdfinfo", pdf], capture_output=True, text=True, check=True).stdout
        text = subprocess.run(["pdftotext", "-layout", pdf, "-"], capture_output=True, text=True,
                              check=True).stdout
    check("Pages:           1\n" in info, f"printed on more than a page: {info}")
    check(all(v in text for v in values), f"values missing on paper: {text}")
    if isinstance(driver, webdriver.Chrome):
        driver.execute_cdp_cmd("Emulation.setEmulatedMedia", {"media": "print"})
        low = page.js(CONTRAST)
        driver.execute_cdp_cmd("Emulation.setEmulatedMedia", {"media": ""})
        check(not low, f"under 4.5:1 on paper: {low}")
    print("ok: the plan prints on one page, every value legible")


def run(site, engine):
    with session(site, engine) as (server, driver, page):
        def kept():  # the policy, and no update offered: there is none
            check_policy_kept(server, driver)
            check(page.js("return document.getElementById('update').hidden"), "an update offered")

        # The box, as the player and a screen reader find it: its title, its text, its button.
        # (How it takes the keyboard, live and held, the differential test proves.)
        page.first_visit(server)
        page.started()
        page.js("document.getElementById('txtPremio').value = ''")
        page.el("cmdElabora").click()
        wait_for(page.box_open, lambda: f"the box: {page.focused()}, {console_errors(driver)}")
        told = [page.text("msgbox-title"), page.text("msgbox-text")]
        check(told == ["Stakora", "Inserire Premio ..! "], f"the box: {told}")
        if engine == "chromium":
            button = driver.find_element(By.CSS_SELECTOR, "#msgbox button")
            check(button.accessible_name == "OK", f"the button: {button.accessible_name!r}")
        page.press("msgbox-text")
        page.keys(Keys.ESCAPE)
        wait_for(lambda: not page.box_open() and page.focused() == "txtPremio", "the box closed")
        kept()
        print("ok: the box's title, text and button")

        # The program cannot be fetched: the page says so at once, keeps what was typed, and
        # tries again on the player's word, the typing carried across.
        page.first_visit(server, held=["stakora.wasm"], failing=["stakora.wasm"])
        page.el("txtPuntata(2)").click()
        page.keys("42")
        places = "return Array.from(document.querySelectorAll('#frmAmain input, #frmAmain button')," \
                 " (c) => JSON.stringify(c.getBoundingClientRect()))"
        before = page.js(places)
        server.release()
        shown = "const bar = document.getElementById('startup-failure');" \
                "return bar.hidden ? null : [bar.getAttribute('role'), bar.textContent]"
        role, text = wait_for(lambda: page.js(shown), "the page to say it cannot start")
        check(role == "alert" and "non è riuscito ad avviarsi" in text, text)
        check(page.js(places) == before, "the bar moved the window's controls")
        check(page.value("txtPuntata(2)") == "42", "what was typed stays")
        server.failing = set()
        page.el("retry").click()
        page.started()
        check(not page.js(shown), "the failure still told after a good start")
        check(page.value("txtPuntata(2)") == "42", "what was typed carried across")
        console_errors(driver)  # those of the failure itself, not of the page
        print("ok: a program that cannot start is told at once, and the page tries again")

        page.load(server.url)

        # Found as assistive technology finds them.
        check(page.js("return document.title") == "Stakora", "the title")
        check(page.js("return document.documentElement.lang") == "it", "page language")
        if engine == "chromium":
            check(page.el("txtPuntata(3)").accessible_name == "Puntata 3", "stake name")
            check(page.el("txtPremio").accessible_name == "PREMIO V.L.P", "prize name")
            grid = driver.find_element(By.CSS_SELECTOR, "[role=table]")
            check(grid.aria_role == "table", grid.aria_role)
        check(page.attribute("txtPuntata(3)", "inputmode") == "decimal", "keypad")
        check(page.attribute("lblSpesa(3)", "aria-description") == "Spesa 3", "cell")
        check(all(page.text(f"lbl{c}({r})") == "" for c in ("Spesa", "Vincita", "Utile")
                  for r in range(1, 16)), "cells empty at start")
        print("ok: start state, names and roles")

        if engine == "chromium":  # the only engine with input methods over its driver
            # An input method's text, composed and committed, is filtered like typed text, also
            # when it is committed before the program has loaded.
            for held in (["stakora.wasm"], []):
                page.first_visit(server, held=held)
                page.el("txtPuntata(6)").click()
                driver.execute_cdp_cmd("Input.imeSetComposition",
                                       {"text": "x", "selectionStart": 1, "selectionEnd": 1})
                driver.execute_cdp_cmd("Input.insertText", {"text": "x1"})
                server.release()
                wait_for(lambda: page.value("txtPuntata(6)") == "1",
                         lambda: f"the committed text, filtered: {page.value('txtPuntata(6)')!r}")
            page.load(server.url)

        # Typed right after ELABORA is pressed, while it paints its rows on a slow phone, in
        # one burst of real key events: Enter on ELABORA, Shift+Tab back to the stake, then
        # digits. All of it is held while the handler runs, then handled in order. The page's
        # clock runs fast (20 ms a reading), so the handler waits for a paint after every
        # cell, and the page paints no frames (each wait lasting its longest, 100 ms): it
        # is still running when the keys come, however fast the machine. The queue tells
        # which keys it held.
        page.js("for (let r = 1; r <= 14; ++r) document.getElementById(`txtPuntata(${r})`)"
                ".value = '10'")
        page.el("txtPuntata(15)").click()
        page.keys(Keys.TAB)
        wait_for(lambda: page.focused() == "cmdElabora", "Tab to ELABORA")
        page.js("window.heldKeys = []; addEventListener('keydown', () => "
                "heldKeys.push(!stakoraInput.open()), true); requestAnimationFrame = () => 0;"
                "const now = performance.now.bind(performance); let skew = 0;"
                "performance.now = () => now() + (skew += 20)")
        page.keys(Keys.ENTER, Keys.SHIFT, Keys.TAB)
        page.keys("987")
        wait_for(lambda: page.text("lblSpesa(14)") == "140,00" and
                 page.value("txtPuntata(15)") == "987",
                 "ELABORA, then every digit typed")
        check(page.focused() == "txtPuntata(15)", page.focused())
        held = page.js("return heldKeys")
        check(any(held[1:]), f"every key came after ELABORA: {held}")
        print("ok: digits typed while ELABORA runs all arrive, after it")
        page.load(server.url)  # its own clock and frames again

        # A stake's selected text dragged onto the next stake: a desktop field takes no drag
        # and no drop, and neither moves.
        page.js("document.getElementById('txtPuntata(3)').value = '10';"
                "document.getElementById('txtPuntata(4)').value = '20'")
        page.el("txtPuntata(3)").click()  # selects its text
        (x, y), (x2, y2) = [page.js("const r = document.getElementById(arguments[0])"
                                    ".getBoundingClientRect(); return [Math.round(r.left + "
                                    "r.width / 2), Math.round(r.top + r.height / 2)]", f)
                            for f in ("txtPuntata(3)", "txtPuntata(4)")]
        steps = [{"type": "pointerMove", "x": x, "y": y, "origin": "viewport"},
                 {"type": "pointerDown", "button": 0}] + [
            {"type": "pointerMove", "x": x, "y": y + (y2 - y) * i // 8, "origin": "viewport",
             "duration": 20} for i in range(1, 9)] + [{"type": "pointerUp", "button": 0}]
        perform(driver, [{"type": "pointer", "id": "mouse", "parameters": {"pointerType": "mouse"},
                          "actions": steps}])
        check([page.value("txtPuntata(3)"), page.value("txtPuntata(4)")] == ["10", "20"],
              f"a drag moved a stake: {page.value('txtPuntata(3)')}, {page.value('txtPuntata(4)')}")
        print("ok: a stake's text dragged onto another stays where it was")

        if engine != "webkit":  # WebKitGTK's driver does not print
            printed(driver, page)

        page.js("document.getElementById('txtPuntata(1)').value = '5';"
                "document.getElementById('txtPuntata(2)').value = '2'")
        page.el("txtPuntata(2)").click()
        page.keys(Keys.END)
        # Brought back from another page: as it was left, caret and all, and typing goes on.
        page.keys("6")
        shown = lambda: [page.value("txtPuntata(1)"), page.value("txtPuntata(2)"),
                         page.text("lblSpesa(1)"), page.focused(), page.selection("txtPuntata(2)")]
        left = shown()
        driver.get("about:blank")
        driver.back()
        wait_for(lambda: shown() == left, lambda: f"the page brought back: {shown()}, not {left}")
        page.keys("7")  # held, if the program is loaded afresh, until it has started
        wait_for(lambda: page.value("txtPuntata(2)") == "267",
                 lambda: f"typing after Back: {page.value('txtPuntata(2)')!r}")
        print("ok: Back brings the page back as it was left")

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
        kept()
        set_viewport(driver, None, None)
        print("ok: at 360 CSS pixels wide the touch form fits, and its fields behave the same")

        page.js("return navigator.serviceWorker.ready.then(() => true)")  # stored whole
        page.load()
        check(page.js("return navigator.serviceWorker.controller !== null"), "no worker")
        server.stop()  # nothing it served was cached: what loads now comes from the worker
        page.load()
        page.keys("5")
        page.el("cmdElabora").click()
        wait_for(lambda: page.text("lblVincita(1)") == "58,35", "ELABORA offline")
        kept()
        print("ok: with the server stopped the page reloads and computes")
        print("ok: no Content-Security-Policy violation on any page of the run")


if __name__ == "__main__":
    run(sys.argv[1], sys.argv[2])
    print(f"ok: the page in {sys.argv[2]}")
