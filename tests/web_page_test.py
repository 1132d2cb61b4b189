#!/usr/bin/python3
"""The browser edition in one of the engines players use (Chromium, Firefox, WebKit), served from
127.0.0.1, driven through WebDriver with real key events and clicks: what only the page can get
wrong, the same in each. The handlers' decisions are
proven by the handler suite, compiled to WebAssembly and run under Node.js.

    tests/web_page_test.py SITE_DIR chromium|firefox|webkit
"""
import sys

from conditions import wait_for
from selenium.webdriver.common.by import By
from selenium.webdriver.common.keys import Keys

from web_session import check, check_policy_kept, console_errors, session, set_viewport


# Typed into stake 5 ("click" steps press a control first): what the field holds then.
CASES = [
    ("the filter", [("1a2.3,4",)], "123,4"),
    ("Left, Left", [("150", Keys.LEFT, Keys.LEFT, "2")], "1250"),
    ("Left, Backspace", [("12", Keys.LEFT, Keys.BACKSPACE, "9")], "92"),
    ("Shift+Home, End", [("34", Keys.SHIFT, Keys.HOME), ("5",), (Keys.END, "6")], "56"),
    ("a press on a cell", [("1",), ("click", "lblSpesa(3)"), ("2",)], "12"),
    ("a press on a heading", [("1",), ("click", "Label1(4)"), ("2",)], "12"),
    ("Ctrl+A", [("123",), (Keys.CONTROL, "a"), ("5",)], "1235"),
    ("Ctrl+X, Ctrl+V", [("12",), (Keys.CONTROL, "x"), (Keys.CONTROL, "v"), ("3",)], "123"),
]


def run(site, engine):
    with session(site, engine) as (server, driver, page):
        def kept():  # the policy, and no update offered: there is none
            check_policy_kept(server, driver)
            check(page.js("return document.getElementById('update').hidden"), "an update offered")

        # On a slow network (the module held back: a held loader would hold the page's load,
        # which WebKit's driver waits for), what the player does before the program has loaded
        # is held, with nothing of it in the page, and then done in order: the press on a stake,
        # the keys (filtered), the Enter that walks on from that stake, the click on ELABORA.
        page.first_visit(server, held=["stakora.wasm"])
        page.el("txtPuntata(1)").click()
        page.keys("5a", Keys.ENTER, "6.")
        page.el("cmdElabora").click()
        check(page.value("txtPuntata(1)") == "", "unfiltered text in a field before the program")
        server.release()
        wait_for(lambda: page.text("lblVincita(2)") == "70,02", "the held ELABORA")
        check([page.value("txtPuntata(1)"), page.value("txtPuntata(2)"), page.value("txtPremio"),
               page.text("lblVincita(1)")] == ["5", "6", "11,67", "58,35"], "the held actions")
        kept()
        # Cancella, a press on stake 14, "5", Enter, "9", a press on the prize and "0": in that
        # order, and the page still takes keys afterwards.
        page.first_visit(server, held=["stakora.wasm"])
        page.el("cmdClear").click()
        page.el("txtPuntata(14)").click()
        page.keys("5", Keys.ENTER, "9")
        page.el("txtPremio").click()
        page.keys("0")
        server.release()
        wait_for(lambda: page.value("txtPremio") == "11,670", "the held keys in the prize")
        check([page.value(f"txtPuntata({i})") for i in (14, 15, 13)] == ["5", "9", ""],
              "held keys out of order")
        page.el("txtPuntata(3)").click()
        page.keys("7")
        # Held a little longer if the queue is still busy, but put where they were aimed.
        typed = lambda: [page.value("txtPuntata(3)"), page.focused()]
        wait_for(lambda: typed() == ["7", "txtPuntata(3)"],
                 lambda: f"keys after the held ones, not {typed()}")
        print("ok: what is done before the program loads is done after, in order, where aimed")

        # As in the desktop editions, whether the program takes the input at once or holds it
        # until it has loaded: (what, steps in stake 5, its text then, the focus then).
        for what, steps, text in CASES:
            for held in (False, True):
                page.first_visit(server, held=["stakora.wasm"] if held else [])
                if not held:
                    page.started()
                page.el("txtPuntata(5)").click()
                for step in steps:
                    page.el(step[1]).click() if step[0] == "click" else page.keys(*step)
                server.release()
                seen = lambda: [page.value("txtPuntata(5)"), page.focused()]
                wait_for(lambda: seen() == [text, "txtPuntata(5)"],
                         lambda: f"{what} ({'held' if held else 'live'}): {seen()}")
        print("ok: caret keys in order, a press on a cell takes no focus, no Ctrl shortcuts")

        # The missing-prize box keeps the keyboard, however it is pressed, and Enter, Space or
        # Escape closes it; nothing typed meanwhile reaches the window, and the next digit goes
        # into the prize.
        for close in ([Keys.TAB, Keys.TAB, Keys.ENTER], ["msgbox-text", Keys.SPACE],
                      [Keys.SHIFT, Keys.TAB, Keys.ESCAPE], ["cmdElabora", "7", Keys.ENTER]):
            page.load(server.url)
            page.js("for (const [i, s] of [[1, '10'], [2, '20'], [3, '30']]) "
                    "document.getElementById(`txtPuntata(${i})`).value = s;"
                    "document.getElementById('txtPremio').value = ''")
            page.el("cmdElabora").click()
            wait_for(page.box_open, lambda: f"the box: {page.value('txtPremio')!r}, "
                     f"{page.text('lblSpesa(1)')!r}, {page.focused()}, {console_errors(driver)}")
            told = [page.text("msgbox-title"), page.text("msgbox-text")]
            check(told == ["Stakora", "Inserire Premio ..! "], f"the box: {told}")
            if engine == "chromium":
                button = driver.find_element(By.CSS_SELECTOR, "#msgbox button")
                check(button.accessible_name == "OK", f"the button: {button.accessible_name!r}")
            for step in close:
                page.press(step) if step in ("msgbox-text", "cmdElabora") else page.keys(step)
            seen = lambda: [page.box_open(), page.focused(), page.value("txtPremio")] + \
                [page.value(f"txtPuntata({i})") for i in (1, 2, 3)]
            wait_for(lambda: seen() == [False, "txtPremio", "", "10", "20", "30"],
                     lambda: f"the box closed by {close}: {seen()}")
            page.keys("7")
            wait_for(lambda: page.value("txtPremio") == "7", lambda: page.value("txtPremio"))
        print("ok: the box owns the keyboard until Enter, Space or Escape closes it, and the "
              "focus and the next digit go to the prize")

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

        page.js("document.getElementById('txtPuntata(2)').value = '250'")
        page.keys(Keys.ENTER)
        wait_for(lambda: page.focused() == "txtPuntata(2)", "Enter to walk down")
        check(page.selection("txtPuntata(2)") == [0, 3], "the next stake selected")
        page.el("txtPuntata(15)").click()
        page.keys(Keys.ENTER)
        wait_for(lambda: page.focused() == "txtPuntata(1)", "Enter to wrap from row 15")
        page.el("txtPuntata(2)").click()
        check(page.selection("txtPuntata(2)") == [0, 3], "a click selects the whole stake")
        print("ok: Enter walks and wraps; a stake selects its text by key and by click")

        page.el("txtPuntata(1)").click()
        page.keys("10")
        page.keys(Keys.TAB * 15, Keys.ENTER)  # Enter presses the focused button
        wait_for(lambda: page.text("lblUtile(1)") == "106,70", "Enter on ELABORA")
        check([page.text(f"lbl{c}(1)") for c in ("Spesa", "Vincita")] == ["10,00", "116,70"],
              "row 1")
        page.el("cmdClear").click()
        wait_for(lambda: page.text("lblUtile(1)") == "" and page.value("txtPuntata(2)") == "",
                 "Cancella to empty the column")
        check(page.value("txtPremio") == "11,67", "the prize stays")
        print("ok: Enter on ELABORA fills the row; Cancella empties the column, keeps the prize")

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
        kept()
        print("ok: a bad number is reported and the page goes on")

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
