#!/usr/bin/python3
"""The page against the desktop window. Random sequences of a player's actions, from a fixed
seed (keys of every kind, with Shift and Ctrl; presses on fields, cells, headings and buttons;
now and then the prize emptied or a bad number typed, so that a box opens mid-sequence and the
keys after it meet it) run in the Qt window (offscreen, in process: tests/qt_replay.cpp) and in
the page, once live and once held (the program held back until the whole sequence is typed, so
that the input queue holds it all). Every field's text, every cell, the focused control, its
selection and whether the box is open must end the same.

    tests/web_differential_test.py SITE_DIR chromium|firefox|webkit QT_REPLAY
STAKORA_SEQUENCES=N runs N random sequences (20 by default), STAKORA_SEED=S another seed, after
those once found to differ; a difference prints the sequence's seed ("SEED/N"), its actions and
what differs between the two states.
"""
import json
import os
import random
import subprocess
import sys

from conditions import wait_for
from web_session import check, perform, session

SEED = int(os.environ.get("STAKORA_SEED", "20261208"))
COUNT = int(os.environ.get("STAKORA_SEQUENCES", "20"))
STAKES = [f"txtPuntata({row})" for row in range(1, 16)]
# Where no press can land on the page's box, which lies over the middle of the window: a press
# on its button would close it, where the desktop's box lies elsewhere.
OTHERS = ["lblSpesa(3)", "lblVincita(7)", "lblUtile(2)", "Label1(1)", "Label1(5)", "Label1(0)",
          "cmdElabora", "cmdClear"]
NAMED = ["Backspace", "Delete", "ArrowLeft", "ArrowRight", "ArrowUp", "ArrowDown", "Home", "End"]


def key(name, shift=False, ctrl=False):
    return {"key": name, "shift": shift, "ctrl": ctrl}


def sequence(rng):
    """A player's actions: mostly digits and commas, with everything else now and then."""
    actions, length = [], rng.randint(8, 24)
    while len(actions) < length:
        roll = rng.random()
        if roll < 0.35:
            actions.append(key(rng.choice("0123456789,,")))
        elif roll < 0.40:
            actions.append(key(rng.choice(".ax")))
        elif roll < 0.55:
            actions.append(key(rng.choice(NAMED), shift=rng.random() < 0.4))
        elif roll < 0.62:
            name = rng.choice(["a", "c", "v", "x", "z", "Backspace", "Delete", "ArrowLeft",
                               "ArrowRight"])
            actions.append(key(name, shift=name.startswith("Arrow") and rng.random() < 0.5,
                               ctrl=True))
        elif roll < 0.74:
            actions.append(key(rng.choice(["Tab", "Tab", "Enter", "Enter", "Escape", " "]),
                               shift=rng.random() < 0.3))
        elif roll < 0.88:
            field = rng.choice(STAKES[:5] + ["txtPremio"])
            at = "left" if field == "txtPremio" else rng.choice(["left", "right"])  # (OTHERS)
            actions.append({"press": field, "at": at})
        elif roll < 0.95:
            actions.append({"press": rng.choice(OTHERS)})
        else:  # the prize emptied or a bad number, ELABORA, and the box most often closed
            if rng.random() < 0.5:
                actions += [{"press": "txtPremio", "at": "left"}] + [key("Delete")] * 6
            else:
                actions += [{"press": rng.choice(STAKES[:5]), "at": "right"}] + [
                    key(c) for c in "1,,2"]
            actions.append({"press": "cmdElabora"})
            actions += [key(rng.choice("7,")) for _ in range(rng.randint(0, 2))]
            if rng.random() < 0.7:
                actions.append(key(rng.choice(["Enter", " ", "Escape"])))
    return actions


def typed(text):
    return [key(c) for c in text]


# Sequences once found to end unlike the desktop window, kept as they were reported.
FOUND = {
    "a held Shift+Tab into the prize, then 12": [{"press": "txtPuntata(1)", "at": "right"},
                                                   key("Tab", shift=True),
                                                   key("Tab", shift=True)] + typed("12"),
    "Ctrl+Backspace": typed("12,50") + [key("Backspace", ctrl=True)] + typed("7"),
    "keys typed ahead of a box": typed("5") + [key("Enter")] + typed("6") + [key("Enter")] +
    typed("1,,2") + [{"press": "cmdElabora"}, key("Tab", shift=True)] + typed("9") +
    [key("Enter")],
}


# WebDriver's codes of the named keys.
CODES = {"Enter": "\ue007", "Tab": "\ue004", "Backspace": "\ue003", "Delete": "\ue017",
         "Escape": "\ue00c", "ArrowLeft": "\ue012", "ArrowUp": "\ue013", "ArrowRight": "\ue014",
         "ArrowDown": "\ue015", "Home": "\ue011", "End": "\ue010"}
SHIFT, CONTROL = "\ue008", "\ue009"


def webdriver_actions(actions, places):
    """The sequence as one batch of WebDriver actions: a keyboard and a mouse, in step."""
    keys, mouse, pressed = [], [], set()
    for action in actions:
        if "key" in action:
            held = [m for m, on in ((SHIFT, action["shift"]), (CONTROL, action["ctrl"])) if on]
            value = CODES.get(action["key"], action["key"])
            steps = ([{"type": "keyDown", "value": m} for m in held] +
                     [{"type": "keyDown", "value": value}, {"type": "keyUp", "value": value}] +
                     [{"type": "keyUp", "value": m} for m in reversed(held)])
            keys += steps
            mouse += [{"type": "pause"}] * len(steps)
        else:
            x, y = places[action["press"]][action.get("at", "middle")]
            # Two presses at one place are two, not a double click.
            wait = [{"type": "pause", "duration": 800}] if (x, y) in pressed else []
            pressed.add((x, y))
            steps = wait + [{"type": "pointerMove", "x": x, "y": y, "origin": "viewport"},
                     {"type": "pointerDown", "button": 0}, {"type": "pointerUp", "button": 0}]
            mouse += steps
            keys += [{"type": "pause"}] * len(steps)
    return [{"type": "key", "id": "keyboard", "actions": keys},
            {"type": "pointer", "id": "mouse", "parameters": {"pointerType": "mouse"},
             "actions": mouse}]


PLACES = """const places = {};
for (const e of document.querySelectorAll('#frmAmain [id]')) {
  const r = e.getBoundingClientRect(), y = Math.round(r.top + r.height / 2);
  places[e.id] = {left: [Math.round(r.left + 4), y], right: [Math.round(r.right - 5), y],
                  middle: [Math.round(r.left + r.width / 2), y]};
}
return places"""
STATE = """const fields = {}, cells = {};
for (const f of document.querySelectorAll('#frmAmain input')) fields[f.id] = f.value;
for (const c of document.querySelectorAll('#frmAmain .cell')) cells[c.id] = c.textContent;
const box = document.getElementById('msgbox').open, a = document.activeElement;
const state = {fields, cells, box, focus: box ? 'msgbox' : (a && a.id) || null};
if (!box && a && a.tagName === 'INPUT') state.selection = [a.selectionStart, a.selectionEnd,
    a.selectionDirection === 'backward' ? a.selectionStart : a.selectionEnd];
return state"""


def run(site, engine, replay, count):
    """Every sequence of FOUND, then `count` random ones."""
    seeds = list(FOUND) + [f"{SEED}/{n}" for n in range(count)]
    plans = list(FOUND.values()) + [sequence(random.Random(seed)) for seed in seeds[len(FOUND):]]
    reference = json.loads(subprocess.run([replay], input=json.dumps(plans), capture_output=True,
                                          text=True, check=True).stdout)
    differences = []
    with session(site, engine) as (server, driver, page):
        for n, actions, desktop in zip(seeds, plans, reference):
            for held in (False, True):
                page.first_visit(server, held=["stakora.wasm"] if held else [])
                if not held:
                    page.started()
                places = page.js(PLACES)
                perform(driver, webdriver_actions(actions, places))
                server.release()
                wait_for(lambda: page.js("return window.stakoraInput.still()"),
                         lambda: f"sequence {n} to be done: {page.js(STATE)}")
                seen = page.js(STATE)
                if seen != desktop:
                    differences.append(n)
                    print(f"DIFFERENT: sequence {n}, {engine}, "
                          f"{'held' if held else 'live'}\n  actions: {json.dumps(actions)}")
                    for part in sorted(set(desktop) | set(seen)):
                        mine, theirs = desktop.get(part), seen.get(part)
                        if isinstance(mine, dict):  # only the controls that differ
                            names = [k for k in mine if mine[k] != (theirs or {}).get(k)]
                            mine = {k: mine[k] for k in names}
                            theirs = {k: (theirs or {}).get(k) for k in names}
                        if mine != theirs:
                            print(f"  {part}: desktop {json.dumps(mine)}, "
                                  f"page {json.dumps(theirs)}")
    check(not differences, f"{len(differences)} differences, in {sorted(set(differences))}")
    print(f"ok: {len(FOUND)} sequences found before and {count} of seed {SEED} end as in the "
          f"desktop window, live and held, in {engine}")


if __name__ == "__main__":
    run(sys.argv[1], sys.argv[2], sys.argv[3], COUNT)
