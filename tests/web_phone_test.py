#!/usr/bin/python3
"""The browser edition on a phone, in headless Chromium emulating one (touch, pixel ratio 3):
the touch form's sizes in portrait and landscape, a tap and the keypad's typing; the designed
window kept where the layout puts it on a desktop; and axe-core's audit (WCAG 2.1 A and AA, best
practices) of both forms with results shown, with more contrast asked for, and in a contrast
theme's forced colours.

    tests/web_phone_test.py SITE_DIR WINDOW_GEOMETRY_JSON AXE_JS
"""
import json
import sys

from conditions import wait_for
from web_session import check, session, set_viewport


# What a control's text measures as the user sees it: its font size, times any scaling.
SIZES = """
const seen = (e) => {
  const box = e.getBoundingClientRect();
  const scale = e.offsetHeight ? box.height / e.offsetHeight : 1;
  return {id: e.id || e.className, size: parseFloat(getComputedStyle(e).fontSize) * scale,
          top: box.top, bottom: box.bottom, left: box.left, right: box.right, height: box.height};
};
const window_ = document.getElementById("frmAmain");
return {
  form: getComputedStyle(window_).getPropertyValue("--form").trim(),
  coarse: matchMedia("(pointer: coarse)").matches,
  sideways: document.documentElement.scrollWidth > document.documentElement.clientWidth,
  scrolls: document.documentElement.scrollHeight > document.documentElement.clientHeight,
  width: innerWidth, height: innerHeight,
  fields: Array.from(window_.querySelectorAll("input")).map(seen),
  buttons: Array.from(window_.querySelectorAll("button")).map(seen),
  texts: Array.from(window_.querySelectorAll(".label, .caption span")).map(seen),
};
"""

# The designed colours that stay as designed, below 4.5:1: black on the prize's teal, white on
# the profit cells' blue. Any other contrast failure fails the audit.
DESIGNED = ("#txtPremio", "#lblUtile\\(")


def check_touch_form(sizes, portrait):
    check(sizes["form"] == "touch" and sizes["coarse"], f"not the touch form: {sizes['form']}")
    check(not sizes["sideways"], "the page scrolls sideways")
    small = [(e["id"], round(e["size"], 1)) for e in sizes["fields"] if e["size"] < 16]
    small += [(e["id"], round(e["size"], 1)) for e in sizes["buttons"] + sizes["texts"]
              if e["size"] < 14]
    check(not small, f"text too small: {small}")
    low = [e["id"] for e in sizes["fields"] if e["id"].startswith("txtPuntata") and
           e["height"] < 36]
    low += [e["id"] for e in sizes["buttons"] if e["height"] < 48]
    check(not low, f"too low for a finger: {low}")
    if portrait:
        off = [e["id"] for e in sizes["fields"] + sizes["buttons"]
               if e["top"] < 0 or e["bottom"] > sizes["height"] or e["right"] > sizes["width"]]
        check(not off, f"not on screen without scrolling: {off}")
    else:
        check(sizes["scrolls"], "landscape does not scroll")


def audit(driver, page, axe, designed=DESIGNED):
    """axe-core's violations on the page with results shown, but for the designed contrasts."""
    page.js("document.getElementById('txtPuntata(1)').value = '10';"
            "document.getElementById('cmdElabora').click()")
    wait_for(lambda: page.text("lblUtile(1)") == "106,70", "ELABORA")
    page.js(axe)
    results = driver.execute_async_script(
        "axe.run(document, {runOnly: ['wcag2a', 'wcag2aa', 'wcag21a', 'wcag21aa', "
        "'best-practice']}).then((r) => arguments[arguments.length - 1](r.violations.map("
        "(v) => [v.id, v.nodes.map((n) => n.target.join(' '))])))")
    return [(rule, nodes) for rule, nodes in results
            if rule != "color-contrast" or not all(n.startswith(designed) for n in nodes)]


def contrast_audits(driver, page, url, axe):
    """With more contrast asked for, and in a contrast theme's forced colours, which drop shadows:
    no violation at all, the designed contrasts' neither, and the frames and the window's edge
    still drawn."""
    for name, value in ("prefers-contrast", "more"), ("forced-colors", "active"):
        driver.execute_cdp_cmd("Emulation.setEmulatedMedia",
                               {"features": [{"name": name, "value": value}]})
        page.load(url)
        violations = audit(driver, page, axe, designed=())
        check(not violations, f"axe-core with {name}: {value}: {violations}")
        edges = page.js("return Array.from(document.querySelectorAll('.window, .frame'), "
                        "(e) => getComputedStyle(e).borderTopStyle)")
        check(name != "forced-colors" or "none" not in edges, f"edges: {edges}")
    driver.execute_cdp_cmd("Emulation.setEmulatedMedia", {"features": []})


def run(site, geometry_file, axe_file):
    with open(geometry_file) as f:
        geometry = json.load(f)
    with open(axe_file) as f:
        axe = f.read()
    with session(site) as (server, driver, page):
        # The designed window on a desktop, every control where the layout puts it.
        page.load(server.url)
        places = page.js("""
            const client = document.querySelector("#frmAmain .client").getBoundingClientRect();
            const out = {};
            for (const id of arguments[0]) {
              const r = document.getElementById(id).getBoundingClientRect();
              out[id] = [r.left - client.left, r.top - client.top, r.width, r.height];
            }
            return out;""", list(geometry))
        moved = [(i, places[i], g) for i, g in geometry.items()
                 if any(abs(a - b) > 0.5 for a, b in zip(places[i], g))]
        check(not moved, f"controls away from their designed places: {moved}")
        print(f"ok: on a desktop all {len(geometry)} controls stand where the layout puts them")
        violations = audit(driver, page, axe)
        check(not violations, f"axe-core, designed window: {violations}")
        print("ok: axe-core finds nothing in the designed window but the designed contrasts")
        contrast_audits(driver, page, server.url, axe)
        print("ok: with more contrast and in forced colours, axe-core finds nothing in it")

        set_viewport(driver, 360, 740)
        page.load(server.url)
        check_touch_form(page.js(SIZES), portrait=True)
        print("ok: at 360 x 740 the rows, the prize and both buttons fit, finger-sized, "
              "fields at 16 px and more, other text at 14 px and more")
        check(page.attribute("txtPuntata(3)", "enterkeyhint") == "next", "enterkeyhint")
        page.tap("txtPuntata(3)")
        wait_for(lambda: page.focused() == "txtPuntata(3)", "the tap to focus the stake")
        for character in "1a2.":  # a keypad sends no key codes: text alone
            driver.execute_cdp_cmd("Input.insertText", {"text": character})
        check(page.value("txtPuntata(3)") == "12", page.value("txtPuntata(3)"))
        print("ok: the keypad's typing is filtered")
        violations = audit(driver, page, axe)
        check(not violations, f"axe-core, touch form: {violations}")
        print("ok: axe-core finds nothing in the touch form but the designed contrasts")
        contrast_audits(driver, page, server.url, axe)
        print("ok: with more contrast and in forced colours, axe-core finds nothing in it")

        set_viewport(driver, 740, 360)
        page.load(server.url)
        check_touch_form(page.js(SIZES), portrait=False)
        print("ok: in landscape the page scrolls down and the text keeps its size")


if __name__ == "__main__":
    run(*sys.argv[1:4])
    print("ok: the page on a phone")
