# SPDX-License-Identifier: GPL-3.0-or-later
"""The page as its players meet it, for the page check and the screen-reader
check: a browser (headless Chromium through chromedriver, WebKitGTK through
WebKitWebDriver, Firefox through its own Marionette protocol) and the page
read through its elements: each window is the element named after it, each
control the element of its data-name. Input is real input (WebDriver
actions, CDP touch), never a click made in JavaScript."""

import base64
import inspect
import json
import os
import socket
import subprocess
import tempfile
import time

from selenium import webdriver
from selenium.common.exceptions import TimeoutException, WebDriverException
from selenium.webdriver.chrome.service import Service
from selenium.webdriver.common.keys import Keys
from selenium.webdriver.remote.remote_connection import RemoteConnection
from selenium.webdriver.support.wait import WebDriverWait

RemoteConnection.set_timeout(60)  # no driver command may hang a check

# Every window (shown, title, box, unzoomed size) with its controls by
# name: data-name, a title bar's "close", the message box's "prompt" and
# "OK"; each with its text, accessible name, value, state, box, the box of
# its text (ink) and font size, in CSS pixels.
STATE = """
const box = e => { const r = e.getBoundingClientRect(); return [r.x, r.y, r.width, r.height]; };
const ink = e => { const r = document.createRange(); r.selectNodeContents(e); return box(r); };
const key = (w, c) => c.dataset.name || (c.matches(".close") ? "close" : c.id ? c.id.slice(w.id.length + 1)
  : c.textContent);
const windows = {};
for (const w of document.querySelectorAll(".window"))
  windows[w.id] = { shown: w.localName === "dialog" ? w.matches(":modal") : !w.hidden, title: w.querySelector(".title").textContent,
    rect: box(w), size: [w.offsetWidth, w.offsetHeight], controls: Object.fromEntries(
      [...w.querySelectorAll("[data-name], .titlebar .close, #MsgBox .client > :not(svg)")].map(c => [key(w, c), {
        text: c.localName === "input" ? c.value : (c.querySelector(".shown") || c).textContent,
        name: c.getAttribute("aria-label") || (c.querySelector(".unseen") || {}).textContent || null,
        value: c.getAttribute("aria-valuenow"), disabled: !!c.disabled, focused: c === document.activeElement,
        rect: box(c), ink: c.firstChild && (c.firstChild.nodeType === 3 || c.firstChild.matches(".shown")) ? ink(c.firstChild.nodeType === 3 ? c : c.firstChild) : null,
        font: parseFloat(getComputedStyle(c).fontSize) }])) };
const active = document.activeElement, owner = active && active.closest(".window");
return { windows, shown: Object.keys(windows).filter(w => windows[w].shown),
         focus: owner ? owner.id + "." + key(owner, active) : null,
         ready: "ready" in document.documentElement.dataset, ended: !document.getElementById("ended").hidden };
"""


class Failure(Exception):
    pass


def report(check, failures):
    """Prints each failure and the check's verdict; the exit status."""
    for failure in failures:
        print("FAIL", failure)
    print(f"{check}:", "FAILED" if failures else "passed")
    return 1 if failures else 0


def chromium(width=1024, height=768, extra=(), headless=True):
    """Debian Chromium, headless unless asked, its console kept."""
    options = webdriver.ChromeOptions()
    options.binary_location = "/usr/bin/chromium"
    for argument in ("--headless=new" if headless else "--no-first-run", "--no-sandbox", "--disable-dev-shm-usage",
                     f"--window-size={width},{height}", "--force-device-scale-factor=1", "--lang=it", *extra):
        options.add_argument(argument)
    options.set_capability("goog:loggingPrefs", {"browser": "ALL"})
    browser = webdriver.Chrome(service=Service("/usr/bin/chromedriver"), options=options)
    browser.set_page_load_timeout(30)
    browser.set_script_timeout(10)
    return browser


def webkit(display):
    """MiniBrowser, WebKitGTK's own, on an X display, driven by WebKitWebDriver."""
    options = webdriver.WebKitGTKOptions()
    options.binary_location = "/usr/lib/x86_64-linux-gnu/webkit2gtk-4.1/MiniBrowser"
    options.add_argument("--automation")
    options.add_argument("--geometry=1024x768")
    os.environ["DISPLAY"] = display  # WebKitWebDriver starts MiniBrowser with its own environment
    driver = "/usr/bin/WebKitWebDriver"
    if "service" in inspect.signature(webdriver.WebKitGTK).parameters:  # Selenium 4.10 and later
        from selenium.webdriver.webkitgtk.service import Service as WebKitService
        browser = webdriver.WebKitGTK(service=WebKitService(driver), options=options)
    else:
        browser = webdriver.WebKitGTK(executable_path=driver, options=options)
    browser.set_page_load_timeout(30)
    return browser


class Firefox:
    """Firefox ESR on an X display, driven through Marionette, the protocol
    geckodriver would translate WebDriver into (geckodriver is not
    packaged): just what the checks ask of a driver."""

    def __init__(self, display):
        self.profile = tempfile.mkdtemp(prefix="bottinaro-firefox-")
        with socket.socket() as probe:
            probe.bind(("127.0.0.1", 0))
            port = probe.getsockname()[1]
        with open(os.path.join(self.profile, "user.js"), "w") as prefs:
            for name, value in (("marionette.port", port), ("browser.shell.checkDefaultBrowser", False),
                                ("datareporting.policy.dataSubmissionEnabled", False),
                                ("browser.aboutwelcome.enabled", False), ("app.update.disabledForTesting", True)):
                prefs.write(f"user_pref({json.dumps(name)}, {json.dumps(value)});\n")
        self.process = subprocess.Popen(
            ["firefox-esr", "--marionette", "--no-remote", "--profile", self.profile, "--width", "1024",
             "--height", "768", "about:blank"], env={**os.environ, "DISPLAY": display, "MOZ_CRASHREPORTER_DISABLE": "1"},
            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        self.buffer, self.last, deadline = b"", 0, time.monotonic() + 60
        try:
            while True:
                try:
                    self.socket = socket.create_connection(("127.0.0.1", port), timeout=60)
                    break
                except OSError:
                    if time.monotonic() > deadline:
                        raise
                    time.sleep(0.2)
            self._receive()  # the greeting
            self.call("WebDriver:NewSession", {"capabilities": {"alwaysMatch": {"acceptInsecureCerts": True}}})
        except BaseException:
            self.quit()
            raise

    def _receive(self):
        """One message: its length, a colon, its JSON."""
        while b":" not in self.buffer or len(self.buffer.partition(b":")[2]) < int(self.buffer.partition(b":")[0]):
            data = self.socket.recv(65536)
            if not data:
                raise WebDriverException("Marionette closed its connection")
            self.buffer += data
        length, _, rest = self.buffer.partition(b":")
        self.buffer = rest[int(length):]
        return json.loads(rest[:int(length)])

    def call(self, command, params=None):
        self.last += 1
        body = json.dumps([0, self.last, command, params or {}]).encode()
        self.socket.sendall(str(len(body)).encode() + b":" + body)
        while (message := self._receive())[:2] != [1, self.last]:
            pass
        if message[2]:
            raise WebDriverException(f"{command}: {message[2].get('message')}")
        return message[3]

    def get(self, url):
        self.call("WebDriver:Navigate", {"url": url})

    def execute_script(self, script, *args):
        return self.call("WebDriver:ExecuteScript", {"script": script, "args": list(args)})["value"]

    def execute_async_script(self, script, *args):
        return self.call("WebDriver:ExecuteAsyncScript", {"script": script, "args": list(args)})["value"]

    def execute(self, command, params):  # only "actions"
        self.call("WebDriver:PerformActions", params)
        self.call("WebDriver:ReleaseActions")

    def save_screenshot(self, path):
        with open(path, "wb") as f:
            f.write(base64.b64decode(self.call("WebDriver:TakeScreenshot")["value"]))

    def quit(self):
        try:
            self.call("Marionette:Quit", {"flags": ["eForceQuit"]})
        except (OSError, AttributeError, WebDriverException):
            pass
        try:
            self.process.wait(10)
        except subprocess.TimeoutExpired:
            self.process.kill()
        subprocess.run(["rm", "-rf", self.profile], check=False)


class Page:
    """The page in one browser. Reading: state(), window(name),
    control(window, name), shown(), focus(); wait() and check(). Acting as a
    player: open(url), reload(), click(window, name), keys(...),
    type_scalps(text); in Chromium tap(window, name) and cdp(...)."""

    def __init__(self, driver):
        self.driver = driver
        self.failures = []

    def state(self):
        return self.driver.execute_script(STATE)

    def window(self, name):
        return self.state()["windows"][name]

    def control(self, window, name):
        return self.window(window)["controls"][name]

    def shown(self):
        """The names of the windows on the screen, in the page's order."""
        return self.state()["shown"]

    def focus(self):
        """The control with the focus, as "Window.control", or None."""
        return self.state()["focus"]

    def wait(self, what, condition, timeout=10):
        """CONDITION's first true value within TIMEOUT seconds."""
        try:
            return WebDriverWait(self.driver, timeout, poll_frequency=0.05, ignored_exceptions=(
                KeyError, TypeError, WebDriverException)).until(lambda _: condition())
        except TimeoutException:
            raise Failure(f"timed out waiting for {what}") from None

    def check(self, what, actual, expected=True):
        """A failure unless ACTUAL is EXPECTED (WHAT alone for a truth); of
        dictionaries, each key that differs."""
        if isinstance(actual, dict) and isinstance(expected, dict):
            self.failures += [f"{what}: {k} {actual.get(k)!r}, expected {expected.get(k)!r}"
                              for k in sorted(set(actual) | set(expected)) if actual.get(k) != expected.get(k)]
        elif expected is True and actual is False:
            self.failures.append(what)
        elif actual != expected:
            self.failures.append(f"{what}: {actual!r}, expected {expected!r}")
        return actual == expected

    def open(self, url, timeout=30):
        self.driver.get(url)
        self.wait("the page ready", lambda: self.state()["ready"], timeout)

    def reload(self, timeout=30):
        """As a player reloads (Marionette's own refresh passes by the service worker)."""
        self.driver.execute_script("window.reloaded = true; setTimeout(() => location.reload())")
        self.wait("the page reloaded", lambda: self.driver.execute_script(
            "return !window.reloaded && 'ready' in document.documentElement.dataset"), timeout)

    def click(self, window, name):
        x, y, w, h = self.wait(f"{window}.{name} on the screen", lambda: (
            r := self.control(window, name)["rect"]) and r[2] > 0 and r)
        self.driver.execute("actions", {"actions": [{
            "type": "pointer", "id": "mouse", "parameters": {"pointerType": "mouse"}, "actions": [
                {"type": "pointerMove", "x": int(x + w / 2), "y": int(y + h / 2), "origin": "viewport"},
                {"type": "pointerDown", "button": 0}, {"type": "pointerUp", "button": 0}]}]})

    def keys(self, *keys):
        """Each argument typed in turn; a modifier in it is held to its end."""
        actions = []
        for key in keys:
            held = [c for c in key if c in (Keys.CONTROL, Keys.SHIFT, Keys.ALT, Keys.META)]
            for character in key:
                actions += [{"type": "keyDown", "value": character}] + (
                    [] if character in held else [{"type": "keyUp", "value": character}])
            actions += [{"type": "keyUp", "value": character} for character in reversed(held)]
        self.driver.execute("actions", {"actions": [{"type": "key", "id": "keyboard", "actions": actions}]})

    def type_scalps(self, text):
        """The box clicked, emptied and TEXT typed, as at a desk."""
        self.click("Form1", "Text1")
        self.wait("the box's focus", lambda: self.focus() == "Form1.Text1")
        self.keys(Keys.END, Keys.BACKSPACE * len(self.control("Form1", "Text1")["text"]), text)
        self.wait(f"the box to read {text!r}", lambda: self.control("Form1", "Text1")["text"] == text)

    def cdp(self, method, **params):
        return self.driver.execute_cdp_cmd(method, params)

    def tap(self, window, name):
        """A finger on the control's middle (Chromium, touch emulated)."""
        x, y, w, h = self.control(window, name)["rect"]
        self.cdp("Input.dispatchTouchEvent", type="touchStart", touchPoints=[{"x": x + w / 2, "y": y + h / 2}])
        self.cdp("Input.dispatchTouchEvent", type="touchEnd", touchPoints=[])


def xvfb():
    """A private X display: (its name, the process)."""
    read, write = os.pipe()
    process = subprocess.Popen(["Xvfb", "-displayfd", str(write), "-screen", "0", "1280x1024x24", "-nolisten", "tcp"],
                               pass_fds=(write,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    os.close(write)
    with os.fdopen(read) as f:
        return f":{f.readline().strip()}", process
