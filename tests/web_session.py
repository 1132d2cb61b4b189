"""What the browser tests share: the site served on 127.0.0.1 (held back, failing or down
at will), headless Chromium with a profile of its own, and a page driven through WebDriver."""
import contextlib
import http.server
import tempfile
import threading

from conditions import wait_for

from selenium import webdriver
from selenium.webdriver.chrome.service import Service
from selenium.webdriver.common.by import By


def check(condition, message):
    if not condition:
        raise AssertionError(message)


class Server:
    """A site's folder over HTTP on 127.0.0.1, on a free port. The folder can be switched (a
    new deployment); `held` files wait until `release()` (a slow network); `failing` files and,
    when `down`, every file answer 503 (a download cut short, a server gone)."""

    def __init__(self, folder):
        self.folder = folder
        self.held, self.failing, self.down = set(), set(), False
        self.released = threading.Event()
        server = self

        class Handler(http.server.SimpleHTTPRequestHandler):
            extensions_map = {**http.server.SimpleHTTPRequestHandler.extensions_map,
                              ".wasm": "application/wasm", ".js": "text/javascript"}

            def __init__(self, *args, **kwargs):
                super().__init__(*args, directory=server.folder, **kwargs)

            def do_GET(self):
                name = self.path.split("?")[0].rsplit("/", 1)[-1]
                if server.down or name in server.failing:
                    self.send_error(503)
                    return
                if name in server.held:
                    server.released.wait(60)
                super().do_GET()

            def log_message(self, *args):
                pass

        self.httpd = http.server.ThreadingHTTPServer(("127.0.0.1", 0), Handler)
        self.url = f"http://127.0.0.1:{self.httpd.server_address[1]}/"
        self.thread = threading.Thread(target=self.httpd.serve_forever, daemon=True)
        self.thread.start()

    def hold(self, *names):
        self.held = set(names)
        self.released.clear()

    def release(self):
        self.released.set()

    def stop(self):
        self.release()
        if self.thread.is_alive():
            self.httpd.shutdown()
            self.httpd.server_close()
            self.thread.join()


def browser(profile):
    options = webdriver.ChromeOptions()
    options.binary_location = "/usr/bin/chromium"
    for flag in ("--headless=new", "--no-sandbox", "--disable-gpu", "--disable-dev-shm-usage",
                 "--disable-background-networking", "--disable-component-update",
                 "--disable-sync", "--no-first-run", "--disable-quic",
                 f"--user-data-dir={profile}", "--window-size=800,900", "--lang=it"):
        options.add_argument(flag)
    # Loads return once the page is parsed: a page whose program is held back still returns.
    options.page_load_strategy = "eager"
    options.set_capability("goog:loggingPrefs", {"browser": "ALL"})
    driver = webdriver.Chrome(service=Service("/usr/bin/chromedriver"), options=options)
    # Every violation of the page's Content-Security-Policy, from the start of each page.
    driver.execute_cdp_cmd("Page.addScriptToEvaluateOnNewDocument", {"source": """
        window.cspViolations = [];
        document.addEventListener("securitypolicyviolation",
            (e) => window.cspViolations.push(`${e.violatedDirective} ${e.blockedURI}`));"""})
    return driver


@contextlib.contextmanager
def session(site):
    """The site served, a browser with a profile of its own, and its page; all gone after."""
    server = Server(site)
    profile = tempfile.TemporaryDirectory()
    driver = browser(profile.name)
    driver.set_script_timeout(60)
    try:
        yield server, driver, Page(driver)
    finally:
        driver.quit()
        server.stop()
        profile.cleanup()


def check_policy_kept(driver):
    """No violation of the Content-Security-Policy on this page, and none in the console."""
    violations = driver.execute_script("return window.cspViolations")
    check(violations == [], f"CSP violations: {violations}")
    console = [entry["message"] for entry in driver.get_log("browser")
               if "Content Security Policy" in entry["message"]]
    check(console == [], f"CSP errors in the console: {console}")


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

    def focused(self):
        return self.js("return document.activeElement.id")

    def selection(self, control_id):
        return self.js("const e = document.getElementById(arguments[0]);"
                       "return [e.selectionStart, e.selectionEnd]", control_id)

    def keys(self, *keys):
        self.d.switch_to.active_element.send_keys(*keys)

    def box_open(self):
        return self.js("return document.getElementById('msgbox').open")

    def started(self):
        wait_for(lambda: self.focused() == "txtPuntata(1)", "the window to start")
