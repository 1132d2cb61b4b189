"""Firefox ESR driven over WebDriver BiDi, the protocol it speaks itself (Debian has no
geckodriver): just what the page tests ask of a browser, under the names Selenium gives them,
so one test drives Chromium, Firefox and WebKit alike."""
import contextlib
import itertools
import json
import re
import select
import subprocess

import websocket

from conditions import TIMEOUT

# WebDriver's key codes, as Selenium's Keys has them.
NULL = "\ue000"


class Element:
    def __init__(self, driver, selector):
        self.driver, self.selector = driver, selector

    def click(self, pointer="mouse"):
        """A real click in the middle of the element, as a mouse gives it (or a finger's tap),
        aimed by the browser as it performs the click: the element's place is not read first."""
        node = self.driver.command(
            "script.callFunction", functionDeclaration="(s) => document.querySelector(s)",
            arguments=[{"type": "string", "value": self.selector}], awaitPromise=False,
            target={"context": self.driver.context})["result"]
        self.driver.perform([{"type": "pointer", "id": pointer,
                              "parameters": {"pointerType": pointer}, "actions": [
            {"type": "pointerMove", "x": 0, "y": 0,
             "origin": {"type": "element", "element": {"sharedId": node["sharedId"]}}},
            {"type": "pointerDown", "button": 0}, {"type": "pointerUp", "button": 0}]}])


class Firefox:
    def __init__(self, profile, width=800, height=900):
        from web_session import firefox_profile
        firefox_profile(profile)
        self.process = subprocess.Popen(
            ["firefox-esr", "--headless", "--no-remote", "--profile", profile,
             "--remote-debugging-port=0", f"--width={width}", f"--height={height}"],
            stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, text=True)
        address = None
        while address is None:
            if not select.select([self.process.stderr], [], [], TIMEOUT * 3)[0]:
                raise AssertionError("Firefox did not start")
            line = self.process.stderr.readline()
            if not line:
                raise AssertionError("Firefox ended as it started")
            found = re.search(r"WebDriver BiDi listening on (ws://\S+)", line)
            address = found and found.group(1)
        # No Origin header: Firefox refuses a connection that a web page could have made.
        self.socket = websocket.create_connection(address + "/session", timeout=TIMEOUT * 3,
                                                  suppress_origin=True)
        self.ids = itertools.count(1)
        self.logs = []
        self.command("session.new", capabilities={"alwaysMatch": {"acceptInsecureCerts": True}})
        self.command("session.subscribe", events=["log.entryAdded"])
        # Headless Firefox's first tab may never get the focus, and a page without it gets no
        # focus events: a tab of its own, brought to the front, has it.
        first = self.command("browsingContext.getTree")["contexts"][0]["context"]
        self.context = self.command("browsingContext.create", type="tab")["context"]
        self.command("browsingContext.close", context=first)
        self.command("browsingContext.activate", context=self.context)

    def command(self, method, **params):
        number = next(self.ids)
        self.socket.send(json.dumps({"id": number, "method": method, "params": params}))
        while True:
            message = json.loads(self.socket.recv())
            if message.get("method") == "log.entryAdded":
                self.logs.append(message["params"])
            elif message.get("id") == number:
                if message.get("type") == "error":
                    raise AssertionError(f"{method}: {message.get('message')}")
                return message["result"]

    def get(self, url):
        self.command("browsingContext.navigate", context=self.context, url=url,
                     wait="interactive")

    def back(self):
        self.command("browsingContext.traverseHistory", context=self.context, delta=-1)

    def refresh(self):
        self.command("browsingContext.reload", context=self.context, wait="interactive")

    def execute_script(self, script, *args):
        """The script's result, with its arguments and result passed as JSON."""
        result = self.command(
            "script.callFunction", functionDeclaration="async (a) => JSON.stringify(await "
            f"(async function() {{ {script} }}).apply(null, JSON.parse(a)) ?? null)",
            arguments=[{"type": "string", "value": json.dumps(args)}], awaitPromise=True,
            target={"context": self.context}, resultOwnership="none")
        if result["type"] == "exception":
            raise AssertionError(result["exceptionDetails"]["text"])
        return json.loads(result["result"]["value"])

    def find_element(self, _by, control_id):
        return Element(self, f"[id={json.dumps(control_id)}]")

    def perform(self, actions):
        self.command("input.performActions", context=self.context, actions=actions)
        self.command("input.releaseActions", context=self.context)

    def send_keys(self, *keys):
        """Real key events to the focused element; a modifier stays down until NULL."""
        steps, held = [], []
        for key in keys:
            for character in key:
                if character == NULL:
                    steps += [{"type": "keyUp", "value": k} for k in reversed(held)]
                    held = []
                elif character in "\ue008\ue009\ue00a":  # Shift, Control, Alt
                    steps.append({"type": "keyDown", "value": character})
                    held.append(character)
                else:
                    steps += [{"type": "keyDown", "value": character},
                              {"type": "keyUp", "value": character}]
        steps += [{"type": "keyUp", "value": k} for k in reversed(held)]
        self.perform([{"type": "key", "id": "keyboard", "actions": steps}])

    def print_page(self):
        """The page as a PDF, base64-encoded, printed with the browser's defaults."""
        return self.command("browsingContext.print", context=self.context)["data"]

    def console_errors(self):
        """The errors logged since the last call."""
        self.command("script.evaluate", expression="0", awaitPromise=False,
                     target={"context": self.context})  # collects what was logged meanwhile
        logged, self.logs = self.logs, []
        return [entry.get("text") for entry in logged if entry.get("level") == "error"]

    def set_viewport(self, width, height):
        self.command("browsingContext.setViewport", context=self.context,
                     viewport={"width": width, "height": height} if width else None)

    def quit(self):
        with contextlib.suppress(Exception):  # already gone
            self.command("session.end")
        self.socket.close()
        self.process.terminate()
        self.process.wait(timeout=TIMEOUT)

