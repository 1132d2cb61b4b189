#!/usr/bin/python3
"""The browser edition as a site that is deployed again, in headless Chromium: a second build
served where the first was. Each visit runs one build whole, its page, loader and module
together; the new one, once stored whole, is offered to the open page and taken over on the
player's word, the fields kept; a download cut short leaves the old one whole, also when only
the worker changed; each works offline.

    tests/web_update_test.py SITE_DIR STAMP_SCRIPT WORKER_TEMPLATE
"""
import os
import re
import shutil
import subprocess
import sys
import tempfile

from conditions import wait_for
from web_session import check, check_policy_kept, session

PROMPT = b"Inserire Premio ..! "


def second_build(site, folder, stamp, template):
    """The first build with another program: a module with another text for the missing prize,
    a loader that marks itself, and the worker stamped anew by the build's own stamper."""
    shutil.copytree(site, folder)
    module = os.path.join(folder, "stakora.wasm")
    with open(module, "rb") as f:
        data = f.read()
    check(data.count(PROMPT) == 1, "the prompt in the module")
    with open(module, "wb") as f:
        f.write(data.replace(PROMPT, b"Inserire PREMIO ..! "))
    with open(os.path.join(folder, "stakora.js"), "a") as f:
        f.write('\nwindow.stakoraEdition = "B";\n')
    subprocess.run([sys.executable, stamp, folder, template], check=True)


def version(site):
    with open(os.path.join(site, "sw.js")) as f:
        return re.search(r'const VERSION = "(\w+)"', f.read()).group(1)


def visit(server, driver, page):
    """A new visit (the page before it closed); which build its loader and its module are of,
    "AA" or "BB", or a mixture."""
    driver.get("about:blank")
    page.load(server.url)
    loader = driver.execute_script("return window.stakoraEdition || 'A'")
    page.js("document.getElementById('txtPremio').value = '';"
            "document.getElementById('cmdElabora').click()")
    wait_for(page.box_open, "the missing-prize box")
    module = "B" if "PREMIO" in page.text("msgbox-text") else "A"
    page.js("document.getElementById('msgbox').close()")
    wait_for(lambda: not page.box_open(), "the box to close")
    check_policy_kept(server, driver)
    return loader + module


# Looks for a new worker (or, with a true argument, registers the page's own) and waits for its
# install to succeed or fail.
INSTALL = """
const done = arguments[arguments.length - 1];
(arguments[0] ? navigator.serviceWorker.register("sw.js") :
 navigator.serviceWorker.getRegistration().then((r) => r.update().then(() => r, () => r)))
.then((registration) => {
  const worker = registration.installing || registration.waiting;
  if (!worker) return done("not installed");
  const settled = () => worker.state === "installed" || worker.state === "redundant";
  if (settled()) return done(worker.state);
  worker.addEventListener("statechange", () => settled() && done(worker.state));
});
"""


def run(site, stamp, template):
    with tempfile.TemporaryDirectory() as folder:
        site_b = os.path.join(folder, "b")
        second_build(site, site_b, stamp, template)
        caches = "return caches.keys().then((k) => k.filter((n) => n.startsWith('stakora-')))"
        with session(site) as (server, driver, page):
            driver.execute_cdp_cmd("Network.enable", {})
            driver.execute_cdp_cmd("Network.setCacheDisabled", {"cacheDisabled": True})
            check(visit(server, driver, page) == "AA", "the first build")
            wait_for(lambda: page.js("return navigator.serviceWorker.controller !== null"),
                     "the first build's worker")
            server.folder, server.failing = site_b, {"stakora.wasm"}
            check(visit(server, driver, page) == "AA", "the first build, as the second deploys")
            state = driver.execute_async_script(INSTALL, False)
            check(state != "installed", f"a second build without its module was {state}")
            check(len(page.js(caches)) == 1, page.js(caches))
            server.down = True
            check(visit(server, driver, page) == "AA", "the first build offline")
            print("ok: a download cut short leaves the first build whole, online and offline")

            server.down, server.failing = False, set()
            check(visit(server, driver, page) == "AA", "the first build while the second loads")
            state = driver.execute_async_script(INSTALL, False)
            check(state == "installed", f"the second build was {state}")
            # The open page offers it; taken, it runs the second build whole, fields kept.
            offer = wait_for(lambda: page.js(
                "const bar = document.getElementById('update');"
                "return bar.hidden ? null : [bar.getAttribute('role'), bar.textContent]"),
                "the offer of the second build")
            check(offer == ["status", "È disponibile una nuova versione. Aggiorna"], offer)
            page.js("document.getElementById('txtPuntata(3)').value = '42';"
                    "document.getElementById('take-update').click()")
            wait_for(lambda: page.js("return window.stakoraEdition === 'B' && "
                                     "document.getElementById('txtPuntata(3)').value === '42'"),
                     "the second build, with the fields' texts")
            check(visit(server, driver, page) == "BB", "the second build at the next visit")
            check(page.js(caches) and len(page.js(caches)) == 1, page.js(caches))
            server.down = True
            check(visit(server, driver, page) == "BB", "the second build offline")
            print("ok: the open page offers the second build, which takes over whole, and offline")

            # A release that changes the worker alone is a new version; cut short, it leaves
            # the version before whole, offline too.
            site_c = os.path.join(folder, "c")
            shutil.copytree(site_b, site_c)
            worker = os.path.join(folder, "sw.js")
            with open(template) as f, open(worker, "w") as out:
                out.write(f.read() + "\n// A fix in the worker alone.\n")
            subprocess.run([sys.executable, stamp, site_c, worker], check=True)
            check(version(site_c) != version(site_b), "a worker-only release kept its version")
            server.down, server.folder, server.failing = False, site_c, {"stakora.wasm"}
            check(visit(server, driver, page) == "BB", "the second build as the third deploys")
            state = driver.execute_async_script(INSTALL, False)
            check(state != "installed", f"a third build without its module was {state}")
            server.down = True
            check(visit(server, driver, page) == "BB", "the second build offline, after that")
            print("ok: a worker-only release is a new version, and cut short harms nothing")
            # The same version installed again beside it (a copy of the site at another path of
            # the host), cut short, leaves alone the cache that the worker in charge serves from.
            server.down, server.folder, server.failing = False, site_b, {"stakora.wasm"}
            driver.get(server.url + "visit1/")
            check(driver.execute_async_script(INSTALL, True) == "redundant", "cut, yet installed")
            server.down = True
            check(visit(server, driver, page) == "BB", "the second build offline, after that")
            print("ok: the same version cut short at another path leaves the one in charge whole")


if __name__ == "__main__":
    run(*sys.argv[1:4])
    print("ok: the site updates whole")
