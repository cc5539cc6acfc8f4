# SPDX-License-Identifier: GPL-3.0-or-later
"""The page as its players meet it, for the page check, the offline check, the
other engines' pass and the load benchmark: a browser (headless Chromium
through chromedriver, WebKitGTK through WebKitWebDriver, Firefox through its
own Marionette protocol), and the page read through its accessibility
mirror, the HTML over the canvas that a screen reader reads. Nothing here
reaches into the program."""

import base64
import json
import os
import re
import socket
import subprocess
import tempfile
import time

from selenium import webdriver
from selenium.common.exceptions import TimeoutException, WebDriverException
from selenium.webdriver.chrome.service import Service
from selenium.webdriver.common.keys import Keys
from selenium.webdriver.support.wait import WebDriverWait

RUNNING = "return !!(window.bottinaro && window.bottinaro.running())"
# Every window of the mirror, bottom first, each with its controls: role,
# name, value, state and box on the page (CSS pixels, as clicked).
MIRROR = """
const box = e => { const r = e.getBoundingClientRect(); return [r.x, r.y, r.width, r.height]; };
const roleOf = e => e.getAttribute("role") || { BUTTON: "button", INPUT: "textbox" }[e.tagName]
    || (e.children.length ? "group" : e.textContent ? "text" : "none");
return [...document.querySelectorAll("#mirror > *")].map(w => ({
  name: w.getAttribute("aria-label"), role: w.getAttribute("role"),
  modal: w.getAttribute("aria-modal") === "true", inert: w.inert, rect: box(w),
  controls: [...w.querySelectorAll("[data-id]")].map(c => ({
    role: roleOf(c), name: c.getAttribute("aria-label") || (roleOf(c) === "text" ? c.textContent : ""),
    value: c.localName === "input" ? c.value : c.getAttribute("aria-valuenow"),
    disabled: c.getAttribute("aria-disabled") === "true", focused: c === document.activeElement,
    rect: box(c) })) }));
"""


class Failure(Exception):
    pass


def report(check, failures):
    """Prints each failure and the check's verdict; the exit status."""
    for failure in failures:
        print("FAIL", failure)
    print(f"{check}:", "FAILED" if failures else "passed")
    return 1 if failures else 0


def chromium(width=1024, height=768, extra=(), trace=False, headless=True):
    """Debian Chromium, headless unless asked, its console kept, and with
    TRACE its performance trace in the "performance" log."""
    options = webdriver.ChromeOptions()
    options.binary_location = "/usr/bin/chromium"
    for argument in ("--headless=new" if headless else "--no-first-run", "--no-sandbox", "--disable-dev-shm-usage",
                     "--use-angle=swiftshader", "--enable-unsafe-swiftshader",
                     "--disable-gpu-sandbox", f"--window-size={width},{height}",
                     "--force-device-scale-factor=1", "--lang=it", *extra):
        options.add_argument(argument)
    options.set_capability("goog:loggingPrefs", {"browser": "ALL", **({"performance": "ALL"} if trace else {})})
    if trace:
        options.add_experimental_option("perfLoggingPrefs", {"traceCategories": ",".join((
            "devtools.timeline", "v8", "v8.wasm", "blink", "loading", "disabled-by-default-devtools.timeline"))})
    return webdriver.Chrome(service=Service("/usr/bin/chromedriver"), options=options)


_QUOTED = re.compile(r'^\S+ \d+:\d+ "(.*)"$', re.S)


def console(driver):
    """Chromium's console entries since the last call, as (level, text)."""
    entries = []
    for entry in driver.get_log("browser"):
        text = entry["message"]
        match = _QUOTED.match(text)
        if match:
            try:
                text = json.loads('"' + match.group(1) + '"')
            except ValueError:
                text = match.group(1)
        entries.append((entry["level"], text))
    return entries


def webkit(display):
    """MiniBrowser, WebKitGTK's own, on an X display, driven by WebKitWebDriver."""
    options = webdriver.WebKitGTKOptions()
    options.binary_location = "/usr/lib/x86_64-linux-gnu/webkit2gtk-4.1/MiniBrowser"
    options.add_argument("--automation")
    options.add_argument("--geometry=1024x768")
    os.environ["DISPLAY"] = display  # WebKitWebDriver starts MiniBrowser with its own environment
    return webdriver.WebKitGTK(executable_path="/usr/bin/WebKitWebDriver", options=options)


class Firefox:
    """Firefox ESR on an X display, driven through Marionette, the remote
    protocol geckodriver would translate WebDriver into (geckodriver is not
    packaged): just what the page checks ask of a driver."""

    def __init__(self, display):
        self.profile = tempfile.mkdtemp(prefix="bottinaro-firefox-")
        with socket.socket() as probe:
            probe.bind(("127.0.0.1", 0))
            port = probe.getsockname()[1]
        with open(os.path.join(self.profile, "user.js"), "w") as prefs:
            for name, value in (("marionette.port", port), ("webgl.force-enabled", True),
                                ("browser.shell.checkDefaultBrowser", False),
                                ("datareporting.policy.dataSubmissionEnabled", False),
                                ("toolkit.telemetry.reportingpolicy.firstRun", False),
                                ("app.update.disabledForTesting", True),
                                ("browser.aboutwelcome.enabled", False),
                                ("network.captive-portal-service.enabled", False),
                                ("network.connectivity-service.enabled", False)):
                prefs.write(f"user_pref({json.dumps(name)}, {json.dumps(value)});\n")
        self.process = subprocess.Popen(
            ["firefox-esr", "--marionette", "--no-remote", "--profile", self.profile,
             "--width", "1024", "--height", "768", "about:blank"],
            env={**os.environ, "DISPLAY": display, "MOZ_CRASHREPORTER_DISABLE": "1"},
            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        deadline = time.monotonic() + 60
        while True:
            try:
                self.socket = socket.create_connection(("127.0.0.1", port), timeout=120)
                break
            except OSError:
                if time.monotonic() > deadline:
                    raise
                time.sleep(0.2)
        self.buffer = b""
        self.last = 0
        self._receive()  # the greeting
        self.call("WebDriver:NewSession", {"capabilities": {"alwaysMatch": {"acceptInsecureCerts": True}}})

    def _receive(self):
        while b":" not in self.buffer:
            self.buffer += self.socket.recv(65536)
        length, _, rest = self.buffer.partition(b":")
        while len(rest) < int(length):
            rest += self.socket.recv(65536)
        self.buffer = rest[int(length):]
        return json.loads(rest[:int(length)])

    def call(self, command, params=None):
        self.last += 1
        body = json.dumps([0, self.last, command, params or {}]).encode()
        self.socket.sendall(str(len(body)).encode() + b":" + body)
        while True:
            message = self._receive()
            if message[0] == 1 and message[1] == self.last:
                break
        if message[2]:
            raise WebDriverException(f"{command}: {message[2].get('message')}")
        return message[3]

    def get(self, url):
        self.call("WebDriver:Navigate", {"url": url})

    def execute_script(self, script, *args):
        return self.call("WebDriver:ExecuteScript", {"script": script, "args": list(args)})["value"]

    def perform(self, actions):
        self.call("WebDriver:PerformActions", {"actions": actions})
        self.call("WebDriver:ReleaseActions")

    def save_screenshot(self, path):
        with open(path, "wb") as f:
            f.write(base64.b64decode(self.call("WebDriver:TakeScreenshot")["value"]))

    def quit(self):
        try:
            self.call("Marionette:Quit", {"flags": ["eForceQuit"]})
        except (OSError, WebDriverException):
            pass
        try:
            self.process.wait(10)
        except subprocess.TimeoutExpired:
            self.process.kill()
        subprocess.run(["rm", "-rf", self.profile], check=False)


class Page:
    """The page in one browser, read through its mirror."""

    def __init__(self, driver):
        self.driver = driver
        self.failures = []

    # --- reading -------------------------------------------------------------
    def windows(self):
        return self.driver.execute_script(MIRROR)

    def window(self, name, windows=None):
        """The window of that title (or role), or None."""
        return next((w for w in (windows or self.windows()) if name in (w["name"], w["role"])), None)

    @staticmethod
    def control(window, role, name):
        """The control of that role whose name is NAME, or starts with it
        when NAME ends with a blank."""
        for control in window["controls"]:
            if control["role"] == role and (control["name"] == name or name.endswith(" ")
                                            and control["name"].startswith(name)):
                return control
        raise LookupError(f"no {role} {name!r} in {window['name']}")

    def main(self):
        return self.window("Bottinaro")

    def box(self):
        return self.control(self.main(), "textbox", "Scalpi")

    def running(self):
        return self.driver.execute_script(RUNNING)

    def wait(self, what, condition, timeout=10):
        """CONDITION's first true value within TIMEOUT seconds; a window or a
        control not there yet is waited for too."""
        try:
            return WebDriverWait(self.driver, timeout, poll_frequency=0.05,
                                 ignored_exceptions=(LookupError, TypeError, WebDriverException)).until(
                lambda _: condition())
        except TimeoutException:
            raise Failure(f"timed out waiting for {what}") from None

    def check(self, what, actual, expected):
        if actual != expected:
            self.failures.append(f"{what}: {actual!r}, expected {expected!r}")
            print(f"FAIL {what}: {actual!r}, expected {expected!r}")

    def modal(self, name):
        return self.wait(f"the modal window {name}", lambda: (w := self.window(name)) and w["modal"] and w)

    def gone(self, name):
        self.wait(f"{name} to close", lambda: self.window(name) is None)

    def text_is(self, text):
        self.wait(f"the box to read {text!r}", lambda: self.box()["value"] == text)

    # --- acting as a player ----------------------------------------------------
    def perform(self, actions):
        if isinstance(self.driver, Firefox):
            self.driver.perform(actions)
        else:
            self.driver.execute("actions", {"actions": actions})

    def click(self, rect):
        x, y, w, h = rect
        self.perform([{"type": "pointer", "id": "mouse", "parameters": {"pointerType": "mouse"},
                       "actions": [{"type": "pointerMove", "x": int(x + w / 2), "y": int(y + h / 2),
                                    "origin": "viewport", "duration": 0},
                                   {"type": "pointerDown", "button": 0},
                                   {"type": "pointerUp", "button": 0}]}])

    def keys(self, *keys):
        """Each argument typed in turn; a modifier in it is held to its end."""
        actions = []
        for key in keys:
            held = []
            for character in key:
                if character in (Keys.CONTROL, Keys.SHIFT, Keys.ALT, Keys.META):
                    held.append(character)
                    actions.append({"type": "keyDown", "value": character})
                else:
                    actions += [{"type": "keyDown", "value": character},
                                {"type": "keyUp", "value": character}]
            actions += [{"type": "keyUp", "value": character} for character in reversed(held)]
        self.perform([{"type": "key", "id": "keyboard", "actions": actions}])

    def cdp(self, method, **params):
        return self.driver.execute_cdp_cmd(method, params)

    def tap(self, rect, at=(0.5, 0.5)):
        """A finger on the box at AT (fractions of its width and height), Chromium only."""
        x, y, w, h = rect
        point = {"x": x + w * at[0], "y": y + h * at[1]}
        self.cdp("Input.dispatchTouchEvent", type="touchStart", touchPoints=[point])
        self.cdp("Input.dispatchTouchEvent", type="touchEnd", touchPoints=[])

    def press(self, name, how="mouse"):
        control = self.control(self.main(), "button", name)
        (self.tap if how == "touch" else self.click)(control["rect"])

    def type_scalps(self, text, how="mouse"):
        """Empties the box and types TEXT: by the mouse and keys, or by a finger
        and a phone's keyboard, which sends the number in one piece."""
        if how == "touch":
            self.tap(self.box()["rect"])
            self.wait("the box's focus", lambda: self.box()["focused"])
            self.driver.execute_script("document.activeElement.select()")
            self.cdp("Input.insertText", text=text)
        else:
            self.click(self.box()["rect"])
            self.wait("the box's focus", lambda: self.box()["focused"])
            self.keys(Keys.END, Keys.BACKSPACE * len(self.box()["value"]), text)
        self.text_is(text)

    def calculate(self, text, how="mouse"):
        self.type_scalps(text, how)
        self.press("Calcola", how)

    def result(self, text):
        """Waits for the count of scalps TEXT on the main window, with Riepilogo usable."""
        return self.wait(f"the result of {text}", lambda: (m := self.main()) and self.control(
            m, "text", "Scalpi di Moon Tug: ")["name"].endswith(": " + text)
            and not self.control(m, "button", "Riepilogo")["disabled"] and m)

    def keys_reach_main(self, how):
        """After a window has closed: the main window's box takes a digit
        typed (reached with Tab if need be) and gives it back."""
        text = self.wait(f"the main window after {how}", lambda: self.main() and self.box()["value"])
        for _ in range(3):
            if self.box()["focused"]:
                break
            self.keys(Keys.TAB)
            self.wait("the focus to move", lambda: any(c["focused"] for c in self.main()["controls"]), 2)
        if not self.key_lands_after(text):
            self.failures.append(f"keys do not reach the main window after {how}")
        self.text_is(text)

    def key_lands_after(self, text):
        """A digit typed at the box's end lands after TEXT; it is taken back."""
        self.keys(Keys.END, "7")
        try:
            self.text_is(text + "7")
            return True
        except Failure:
            return False
        finally:
            self.keys(Keys.BACKSPACE)


def xvfb():
    """A private X display: (its name, the process)."""
    read, write = os.pipe()
    process = subprocess.Popen(["Xvfb", "-displayfd", str(write), "-screen", "0", "1280x1024x24",
                                "-nolisten", "tcp"], pass_fds=(write,),
                               stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    os.close(write)
    with os.fdopen(read) as f:
        number = f.readline().strip()
    return f":{number}", process
