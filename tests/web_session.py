"""What the browser tests share: the site served on 127.0.0.1 (held back, failing or down
at will), a browser with a profile of its own (headless Chromium, headless Firefox ESR, or
WebKitGTK's MiniBrowser on an X server of its own), and a page driven through WebDriver."""
import contextlib
import http.server
import json
import os
import re
import tempfile
import threading
import time
import urllib.parse

from conditions import TIMEOUT, wait_for
from xvfb import own_processes, start_xvfb

from selenium import webdriver
from selenium.webdriver.chrome.service import Service
from selenium.webdriver.common.action_chains import ActionChains
from selenium.webdriver.common.actions import interaction
from selenium.webdriver.common.actions.action_builder import ActionBuilder
from selenium.webdriver.common.actions.pointer_input import PointerInput
from selenium.webdriver.common.by import By
from selenium.webdriver.common.keys import Keys


def check(condition, message):
    if not condition:
        raise AssertionError(message)


class Server:
    """A site's folder over HTTP on 127.0.0.1, on a free port. The folder can be switched (a
    new deployment); `held` files wait until `release()` (a slow network); `failing` files and,
    when `down`, every file answer 503 (a download cut short, a server gone). Nothing it serves
    may be kept in the HTTP cache, so a page that works offline does so through its worker; and
    every page also gets its policy as a header that reports each violation back here."""

    def __init__(self, folder):
        self.folder = folder
        self.held, self.failing, self.down = set(), set(), False
        self.violations = []
        self.failed_at = None  # when it last answered 503
        self.forgotten = set()  # held, and never released
        self.released = threading.Event()
        self.visits = 0
        server = self

        class Handler(http.server.SimpleHTTPRequestHandler):
            extensions_map = {**http.server.SimpleHTTPRequestHandler.extensions_map,
                              ".wasm": "application/wasm", ".js": "text/javascript"}

            def __init__(self, *args, **kwargs):
                super().__init__(*args, directory=server.folder, **kwargs)

            def do_GET(self):
                name = self.path.split("?")[0].rsplit("/", 1)[-1]
                if name == "framed.html":  # ?WIDTHxHEIGHT: the site in a frame of that size
                    return self.frame(*self.path.split("?")[1].split("x"))
                if name in server.held and not server.released.wait(TIMEOUT * 3):
                    server.forgotten.add(name)
                if server.down or name in server.failing:
                    self.send_error(503)
                    server.failed_at = time.monotonic()
                    return
                super().do_GET()

            def frame(self, width, height):
                page = (f'<!DOCTYPE html><html lang="it"><title>Stakora</title>'
                        f'<iframe src="/" width="{width}" height="{height}"></iframe>').encode()
                self.send_response(200)
                self.send_header("Content-Type", "text/html; charset=utf-8")
                self.send_header("Content-Length", str(len(page)))
                self.end_headers()
                self.wfile.write(page)

            def translate_path(self, path):
                # /visit2/stakora.js is stakora.js: the same site at another path of the host.
                return super().translate_path(re.sub(r"^/visit\d+/", "/", path))

            def end_headers(self):
                self.send_header("Cache-Control", "no-store")
                if self.path.split("?")[0].endswith(("/", ".html")):
                    self.send_header("Content-Security-Policy", f"{POLICY}; report-uri /csp")
                super().end_headers()

            def do_POST(self):
                report = self.rfile.read(int(self.headers.get("Content-Length", 0)))
                server.violations.append(report.decode(errors="replace"))
                self.send_response(204)
                self.end_headers()

            def log_message(self, *args):
                pass

            def handle(self):
                with contextlib.suppress(ConnectionError):  # a page left as a file came: a reload
                    super().handle()

        self.httpd = http.server.ThreadingHTTPServer(("127.0.0.1", 0), Handler)
        self.url = f"http://127.0.0.1:{self.httpd.server_address[1]}/"
        self.thread = threading.Thread(target=self.httpd.serve_forever, daemon=True)
        self.thread.start()

    def release(self):
        self.released.set()

    def stop(self):
        self.release()
        if self.thread.is_alive():
            self.httpd.shutdown()
            self.httpd.server_close()
            self.thread.join()
        check(not self.forgotten, f"held and never released: {self.forgotten}")


# The page's own policy, from its markup.
POLICY = ("default-src 'self'; script-src 'self' 'wasm-unsafe-eval'; style-src 'self'; "
          "img-src 'self'; object-src 'none'; base-uri 'none'; form-action 'none'")
MODIFIERS = (Keys.SHIFT, Keys.CONTROL, Keys.ALT)


# A browser that shows only the page: no first-run pages, updates, sync, telemetry or offers to
# translate, in Italian.
CHROMIUM_FLAGS = ("--no-sandbox", "--disable-gpu", "--disable-dev-shm-usage",
                  "--disable-background-networking", "--disable-component-update",
                  "--disable-sync", "--no-first-run", "--disable-quic", "--window-size=800,900",
                  "--lang=it", "--disable-features=Translate")
FIREFOX_PREFS = {
    "browser.shell.checkDefaultBrowser": False, "browser.aboutwelcome.enabled": False,
    "browser.startup.upgradeDialog.enabled": False,
    "browser.sessionstore.resume_from_crash": False,
    "browser.startup.homepage_override.mstone": "ignore",
    "toolkit.telemetry.reportingpolicy.firstRun": False,
    "datareporting.policy.dataSubmissionEnabled": False, "browser.translations.enable": False,
    "app.update.disabledForTesting": True, "app.update.auto": False,
    "network.captive-portal-service.enabled": False,
    "network.connectivity-service.enabled": False,
    "browser.safebrowsing.malware.enabled": False, "browser.safebrowsing.phishing.enabled": False,
    "browser.safebrowsing.downloads.enabled": False, "extensions.update.enabled": False,
    "browser.search.update": False, "intl.accept_languages": "it"}


def firefox_profile(folder, extra=None):
    """A new Firefox profile in folder, with FIREFOX_PREFS and extra."""
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, "user.js"), "w") as f:
        for pref, value in {**FIREFOX_PREFS, **(extra or {})}.items():
            f.write(f"user_pref({json.dumps(pref)}, {json.dumps(value)});\n")


def chromium(profile):
    options = webdriver.ChromeOptions()
    options.binary_location = "/usr/bin/chromium"
    for flag in ("--headless=new", *CHROMIUM_FLAGS, f"--user-data-dir={profile}"):
        options.add_argument(flag)
    # Loads return once the page is parsed: a page whose program is held back still returns.
    options.page_load_strategy = "eager"
    options.set_capability("goog:loggingPrefs", {"browser": "ALL"})
    driver = webdriver.Chrome(service=Service("/usr/bin/chromedriver"), options=options)
    driver.set_script_timeout(60)
    return driver


class WebKit(webdriver.WebKitGTK):
    """MiniBrowser under its driver tells nobody what the page logs: a hook put into each
    document once it has loaded collects its errors (what fails while it loads is missed)."""
    unframed = None  # the page's address while set_viewport shows it in a frame
    HOOK = """if (!window.stakoraErrors) {
      const errors = window.stakoraErrors = [], error = console.error.bind(console);
      console.error = (...args) => { errors.push(args.join(" ")); error(...args); };
      addEventListener("error", (e) => errors.push(e.message || `${e.target.src} failed`), true);
      addEventListener("unhandledrejection", (e) => errors.push(String(e.reason)));
    }"""

    def watch(self):
        self.execute_script(self.HOOK)

    def get(self, url):
        super().get(url)
        self.watch()

    def refresh(self):
        super().refresh()
        self.watch()

    def console_errors(self):
        return self.execute_script("const e = window.stakoraErrors || [];"
                                   "window.stakoraErrors = []; return e")


def webkit():
    """MiniBrowser, WebKitGTK's own: the engine of Safari and of every browser on an iPhone."""
    os.environ["DISPLAY"] = start_xvfb()
    options = webdriver.WebKitGTKOptions()
    options.binary_location = "/usr/lib/x86_64-linux-gnu/webkit2gtk-4.1/MiniBrowser"
    options.add_argument("--automation")
    driver = WebKit(executable_path="/usr/bin/WebKitWebDriver", options=options)
    driver.set_window_size(800, 900)
    driver.set_script_timeout(60)
    return driver


def browser(profile, engine="chromium"):
    if engine == "firefox":
        from firefox_bidi import Firefox
        return Firefox(profile)
    if engine == "webkit":
        return webkit()
    return chromium(profile)


@contextlib.contextmanager
def session(site, engine="chromium"):
    """The site served, a browser with a profile of its own, and its page; every process gone
    after, the browser's too, also when it failed to start."""
    with tempfile.TemporaryDirectory() as profile, own_processes():
        server = Server(site)
        try:
            driver = browser(profile, engine)
            try:
                yield server, driver, Page(driver)
            finally:
                driver.quit()
        finally:
            server.stop()


def console_errors(driver):
    """The errors in the console since the last call."""
    if hasattr(driver, "console_errors"):
        return driver.console_errors()
    if isinstance(driver, webdriver.Chrome):
        return [e["message"] for e in driver.get_log("browser") if e["level"] == "SEVERE"]
    return []


def check_policy_kept(server, driver):
    """No violation of the Content-Security-Policy so far, and, while the server answers every
    request, no error in the console."""
    check(server.violations == [], f"CSP violations: {server.violations}")
    errors = console_errors(driver)
    check(errors == [] or server.down or server.failing, f"errors in the console: {errors}")


def perform(driver, actions):
    """WebDriver's input actions (keyboards and pointers, in step), as one batch."""
    if hasattr(driver, "perform"):  # Firefox's own client
        return driver.perform(actions)
    driver.execute("actions", {"actions": actions})
    driver.execute("clearActionState")


def set_viewport(driver, width, height):
    """The page's viewport at that size, as on a phone held that way; None, None: as it was.
    MiniBrowser's window is never narrower than 447 pixels: there the site is loaded afresh in a
    frame of that size, whose document the driver then works in."""
    if isinstance(driver, WebKit):
        driver.switch_to.default_content()
        if width is None:
            driver.get(driver.unframed)
            return
        driver.unframed = driver.current_url
        driver.get(urllib.parse.urljoin(driver.unframed, f"/framed.html?{width}x{height}"))
        driver.switch_to.frame(driver.find_element(By.TAG_NAME, "iframe"))
        Page(driver).started()
        driver.watch()
    elif isinstance(driver, webdriver.Chrome) and width is None:
        driver.execute_cdp_cmd("Emulation.clearDeviceMetricsOverride", {})
        driver.execute_cdp_cmd("Emulation.setTouchEmulationEnabled", {"enabled": False})
    elif isinstance(driver, webdriver.Chrome):  # a phone: touch, pixel ratio 3, either way up
        upright = height > width
        driver.execute_cdp_cmd("Emulation.setDeviceMetricsOverride", {
            "width": width, "height": height, "deviceScaleFactor": 3, "mobile": True,
            "screenOrientation": {"type": "portraitPrimary" if upright else "landscapePrimary",
                                  "angle": 0 if upright else 90}})
        driver.execute_cdp_cmd("Emulation.setTouchEmulationEnabled",
                               {"enabled": True, "maxTouchPoints": 5})
    else:
        driver.set_viewport(width, height)


class Page:
    def __init__(self, driver):
        self.d = driver

    def js(self, script, *args):
        return self.d.execute_script(script, *args)

    def el(self, control_id):
        return self.d.find_element(By.ID, control_id)

    def value(self, control_id):
        return self.js("return document.getElementById(arguments[0]).value", control_id)

    def text(self, control_id):
        return self.js("return document.getElementById(arguments[0]).textContent", control_id)

    def attribute(self, control_id, name):
        return self.js("return document.getElementById(arguments[0]).getAttribute(arguments[1])",
                       control_id, name)

    def focused(self):
        return self.js("return document.activeElement?.id")

    def selection(self, control_id):
        return self.js("const e = document.getElementById(arguments[0]);"
                       "return [e.selectionStart, e.selectionEnd]", control_id)

    def press(self, control_id):
        """A mouse click in the middle of the control, whatever lies over it (a modal box)."""
        element = self.el(control_id)
        if not isinstance(self.d, webdriver.Remote):  # Firefox's own client clicks that way
            return element.click()
        x, y = self.js("const r = arguments[0].getBoundingClientRect();"
                       "return [r.left + r.width / 2, r.top + r.height / 2]", element)
        mouse = ActionBuilder(self.d)
        mouse.pointer_action.move_to_location(int(x), int(y)).click()
        mouse.perform()

    def tap(self, control_id):
        """A finger's tap in the middle of the control."""
        element = self.el(control_id)
        if not isinstance(self.d, webdriver.Remote):  # Firefox's own client
            return element.click("touch")
        finger = ActionBuilder(self.d, mouse=PointerInput(interaction.POINTER_TOUCH, "finger"))
        finger.pointer_action.move_to(element).pointer_down().pointer_up()
        finger.perform()

    def keys(self, *keys):
        """Real key events to whatever has the focus, in a frame too."""
        if isinstance(self.d, webdriver.Remote):  # a modifier stays down to the end
            chain, held = ActionChains(self.d), [k for k in keys if k in MODIFIERS]
            for key in keys:
                chain.key_down(key) if key in MODIFIERS else chain.send_keys(key)
            for key in reversed(held):
                chain.key_up(key)
            chain.perform()
        else:  # Firefox's own client
            self.d.send_keys(*keys)

    def first_visit(self, server, held=(), failing=()):
        """The site at a path of the host never visited before: a registration of its own, and
        nothing stored for it by the worker of the site at / (which may still take its
        requests, and hands each to the network). `held` files are held back, `failing` ones
        fail. (Unregistering the site's worker instead makes WebKit empty the new worker's
        cache; another loopback address as the origin loses WebKit's worker after a frame.)"""
        server.visits += 1
        server.held, server.failing = set(held), set(failing)
        server.released.clear()
        self.d.get(f"{server.url}visit{server.visits}/")

    def box_open(self):
        return self.js("return document.getElementById('msgbox').open")

    def load(self, url=None):
        """The page at url (or the page reloaded), once its window has started."""
        self.d.get(url) if url else self.d.refresh()
        self.started()

    def started(self):
        # The markup focuses stake 1 while the page is still being read, before its scripts.
        wait_for(lambda: self.focused() == "txtPuntata(1)" and
                 self.js("return window.stakoraInput?.open() === true"), "the window to start")
