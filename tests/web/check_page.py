# SPDX-License-Identifier: GPL-3.0-or-later
"""Drives the checked copy of the page (BUILD_DIR/checked/site) in headless
Chromium as a user would, reading the windows through its state hook, saves
one screenshot per window into BUILD_DIR/screenshots and compares each with
the offscreen desktop screenshot of the same window when there is one. Then
the page players load (BUILD_DIR/site): without WebGL it says why, and it
carries no state hook.

usage: check_page.py BUILD_DIR [DESKTOP_SCREENSHOTS]"""

import io
import json
import os
import sys
import time

from PIL import Image, ImageChops
from selenium.webdriver.common.action_chains import ActionChains
from selenium.webdriver.common.actions.action_builder import ActionBuilder
from selenium.webdriver.common.keys import Keys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import browser  # noqa: E402
import serve  # noqa: E402

ANDROID = ("Mozilla/5.0 (Linux; Android 14; Pixel 8) AppleWebKit/537.36 (KHTML, like Gecko) "
           "Chrome/120.0 Mobile Safari/537.36")
# Upright, turned, and the narrowest common phone, in the order they are tried.
PHONES = [(412, 915), (915, 412), (360, 740)]
SENTENCE_749 = ("Scalpi di Moon Tug: 749, Mazze di Skraugbashor: 149, Cinture della forza Skraug: 29, "
                "Libri del collezionista: 9, Anelli del Leone: 1")
COUNT_TEXTS = ["Scalpi di Moon Tug: ", "Mazze di Skraugbashor: ", "Cinture della forza Skraug: ",
               "Libri del collezionista: ", "Anelli del Leone: "]
BANDS = ["Scalpi", "Mazze", "Cintole", "Libri", "Anelli"]


class Failure(Exception):
    pass


class Page:
    def __init__(self, driver, shots, desktop):
        self.driver = driver
        self.shots = shots
        self.desktop = desktop
        self.failures = []
        self.comparisons = []

    # --- reading the page -------------------------------------------------
    def state(self):
        return json.loads(self.driver.execute_script("return window.bottinaro.UTF16ToString(window.bottinaro._bottinaro_state())"))

    def window(self, name, state=None):
        for window in (state or self.state())["windows"]:
            if window["name"] == name or window["class"] == name:
                return window
        return None

    def control(self, window, name):
        for control in window["controls"]:
            if control["name"] == name:
                return control
        raise Failure(f"no control {name} in {window['name']}")

    def wait(self, what, condition, timeout=10):
        deadline = time.monotonic() + timeout
        while True:
            try:
                result = condition()
                if result:
                    return result
            except Exception:  # the module may not be there yet
                if time.monotonic() > deadline:
                    raise
            if time.monotonic() > deadline:
                raise Failure(f"timed out waiting for {what}")
            time.sleep(0.05)

    def check(self, what, actual, expected):
        if actual != expected:
            self.failures.append(f"{what}: {actual!r}, expected {expected!r}")
            print(f"FAIL {what}: {actual!r}, expected {expected!r}")

    # --- acting as a user -------------------------------------------------
    def click(self, rect):
        x, y, w, h = rect
        actions = ActionBuilder(self.driver)
        actions.pointer_action.move_to_location(x + w // 2, y + h // 2)
        actions.pointer_action.click()
        actions.perform()

    def keys(self, *keys):
        ActionChains(self.driver).send_keys(*keys).perform()

    def type_scalps(self, text):
        main = self.window("Form1")
        box = self.control(main, "Text1")
        self.click(box["rect"])
        self.wait("the text box to take the focus",
                  lambda: self.control(self.window("Form1"), "Text1")["focus"])
        self.keys(Keys.END, *[Keys.BACKSPACE] * len(box["text"]))
        self.text_is("")
        self.keys(text)
        self.text_is(text)

    def calculate(self, text):
        self.type_scalps(text)
        self.click(self.control(self.window("Form1"), "Command1")["rect"])

    def keys_reach_main(self, how):
        """After a window has closed: the main window is active and the keys
        reach it (Tab to the box, a digit typed and taken back)."""
        focus = lambda: [c["name"] for c in self.window("Form1")["controls"] if c["focus"]]
        self.wait(f"the main window active after {how}", lambda: self.window("Form1")["active"])
        text = self.control(self.window("Form1"), "Text1")["text"]
        for _ in range(3):
            if focus() == ["Text1"]:
                break
            self.keys(Keys.TAB)
            time.sleep(0.2)
        self.keys(Keys.END, "7")
        try:
            self.text_is(text + "7")
        except Failure:
            self.failures.append(f"keys do not reach the main window after {how}")
        self.keys(Keys.BACKSPACE)
        self.text_is(text)

    # --- the DevTools protocol: touch, a phone's keyboard, the accessibility tree
    def cdp(self, method, **params):
        return self.driver.execute_cdp_cmd(method, params)

    def scale(self):
        return self.driver.execute_script(
            "const s = document.getElementById('stage'); return s.getBoundingClientRect().width / s.offsetWidth")

    def tap(self, rect):
        x, y, w, h = [v * self.scale() for v in rect]
        self.cdp("Input.dispatchTouchEvent", type="touchStart", touchPoints=[{"x": x + w / 2, "y": y + h / 2}])
        self.cdp("Input.dispatchTouchEvent", type="touchEnd", touchPoints=[])

    def key_event(self, key, code, virtual):
        for kind in ("keyDown", "keyUp"):
            self.cdp("Input.dispatchKeyEvent", type=kind, key=key, code=code, windowsVirtualKeyCode=virtual)

    def text_is(self, text):
        self.wait(f"the text {text!r}", lambda: self.control(self.window("Form1"), "Text1")["text"] == text)

    def ax_node(self, role, name=None):
        for node in self.cdp("Accessibility.getFullAXTree")["nodes"]:
            if not node.get("ignored") and node.get("role", {}).get("value") == role and (
                    name is None or node.get("name", {}).get("value") == name):
                return node
        raise Failure(f"no {role} {name!r} in the accessibility tree")

    def announced(self, live):
        """The texts in the live regions of that politeness."""
        nodes = self.cdp("Accessibility.getFullAXTree")["nodes"]
        names = {n["nodeId"]: n.get("name", {}).get("value") for n in nodes}
        region = {"name": "live", "value": {"type": "token", "value": live}}
        return [names[c] for n in nodes if region in n.get("properties", [])
                for c in n.get("childIds", []) if names.get(c)]

    def ax_do(self, node, function):
        """Runs function (this = the node's element) as assistive technology would act on it."""
        element = self.cdp("DOM.resolveNode", backendNodeId=node["backendDOMNodeId"])["object"]
        self.cdp("Runtime.callFunctionOn", objectId=element["objectId"], functionDeclaration=function)

    def whole(self, where):
        """Every window wholly on the page."""
        width, height = self.driver.execute_script("return [innerWidth, innerHeight]")
        for window in self.state()["windows"]:
            x, y, w, h = [v * self.scale() for v in window["frame"]]
            if x < 0 or y < 0 or x + w > width + 0.5 or y + h > height + 0.5:
                self.failures.append(f"{window['name']} at {where}: {[x, y, w, h]} not within {width}x{height}")

    def modal(self, name):
        return self.wait(f"the modal window {name}",
                         lambda: (w := self.window(name)) and w["modal"] and w)

    def gone(self, name):
        self.wait(f"{name} to close", lambda: self.window(name) is None)

    # --- pictures ---------------------------------------------------------
    def screenshot(self, window_name, file_name):
        time.sleep(0.3)  # the compositor draws on the next animation frame
        window = self.window(window_name)
        page = Image.open(io.BytesIO(self.driver.get_screenshot_as_png())).convert("RGB")
        fx, fy, fw, fh = window["frame"]
        page.crop((fx, fy, fx + fw, fy + fh)).save(os.path.join(self.shots, file_name + ".png"))
        # The desktop grabs the window without its frame.
        x, y, w, h = window["rect"]
        inner = page.crop((x, y, x + w, y + h))
        inner.save(os.path.join(self.shots, file_name + "-client.png"))
        desktop_file = os.path.join(self.desktop, file_name + ".png") if self.desktop else ""
        if not os.path.isfile(desktop_file):
            self.comparisons.append((file_name, "no desktop screenshot"))
            return
        desktop = Image.open(desktop_file).convert("RGB")
        note = ""
        if desktop.size != inner.size:
            note = f" (sizes differ: web {inner.size}, desktop {desktop.size}; top-left part compared)"
            width, height = min(desktop.width, w), min(desktop.height, h)
            desktop, inner = desktop.crop((0, 0, width, height)), inner.crop((0, 0, width, height))
        difference = ImageChops.difference(desktop, inner)
        pixels = list(difference.getdata())
        changed = sum(1 for p in pixels if max(p) > 32)
        mean = sum(sum(p) for p in pixels) / (3 * len(pixels))
        difference.save(os.path.join(self.shots, file_name + "-difference.png"))
        self.comparisons.append(
            (file_name, f"{100 * changed / len(pixels):.1f}% of {len(pixels)} pixels differ by more "
                        f"than 32 of 255, mean difference {mean:.1f}{note}"))


def run(page):
    driver = page.driver
    # Load: the main window, waiting for input.
    main = page.wait("the main window", lambda: page.window("Form1"), timeout=60)
    page.check("title", driver.title, "Bottinaro")
    page.check("page language", driver.execute_script("return document.documentElement.lang"), "it")
    page.check("main window title", main["title"], "Bottinaro")
    page.check("main client size", [c["rect"][2:] for c in main["controls"]
                                    if c["name"] == "centralwidget"], [[489, 472]])
    page.check("main window width", main["rect"][2], 489)
    page.check("main window framed", main["frame"][3] > main["rect"][3], True)
    page.check("Calcola at start", page.control(main, "Command1")["enabled"], False)
    page.check("Riepilogo at start", page.control(main, "Command2")["enabled"], False)
    page.screenshot("Form1", "form1-start")

    # 100: counts, shortfalls and bars.
    page.calculate("100")
    main = page.wait("the result of 100", lambda: (m := page.window("Form1")) and page.control(
        m, "Command2")["enabled"] and m)
    for band, text, count, shortfall in zip(BANDS, COUNT_TEXTS, [100, 20, 4, 1, 0],
                                            [-650, -130, -26, -9, -2]):
        page.check(f"Label{band} after 100", page.control(main, "Label" + band)["text"],
                   text + str(count))
        page.check(f"Resto{band} after 100", page.control(main, "Resto" + band)["text"],
                   str(shortfall))
        page.check(f"Barra{band} after 100", page.control(main, "Barra" + band).get("value"), count)
    page.check("Calcola after 100", page.control(main, "Command1")["enabled"], False)

    # Riepilogo opens the summary modally; the page keeps answering meanwhile.
    page.click(page.control(main, "Command2")["rect"])
    summary = page.modal("Form2")
    started = time.monotonic()
    page.state()
    answer = time.monotonic() - started
    print(f"script call while a modal window is open: answered in {answer * 1000:.0f} ms")
    if answer > 2:
        page.failures.append(f"the page took {answer:.1f} s to answer while modal")
    texts = [c["text"] for c in summary["controls"] if c["name"].startswith("Label")]
    page.check("summary counts after 100", [t.split()[-1] for t in texts], ["100", "20", "4", "1", "0"])
    page.click(page.control(summary, "Command1")["rect"])
    page.gone("Form2")
    page.keys_reach_main("the summary closed by mouse")

    # 750 from the keyboard (Tab to Calcola, Space): the reward window, then the
    # main window and the summary as on the desktop.
    page.type_scalps("750")
    page.keys(Keys.TAB, Keys.SPACE)
    reward = page.modal("Form3")
    page.screenshot("Form3", "form3")
    page.click(page.control(reward, "Command1")["rect"])
    page.gone("Form3")
    main = page.window("Form1")
    page.check("RestoAnelli after 750", page.control(main, "RestoAnelli")["text"], "0")
    page.screenshot("Form1", "form1-750")
    page.click(page.control(main, "Command2")["rect"])
    summary = page.modal("Form2")
    page.screenshot("Form2", "form2")
    page.click(page.control(summary, "Command1")["rect"])
    page.gone("Form2")

    # Out of range: the error box, closed with Enter; the lower bands stay.
    for text in ("800", "-32768"):
        page.calculate(text)
        box = page.modal("MsgBox")
        page.check(f"box title for {text}", box["title"], "Errore 380")
        page.check(f"box prompt for {text}",
                   [c["text"] for c in box["controls"] if c["name"] == "qt_msgbox_label"],
                   ["Il numero massimo di scalpi collezionabile è 750"])
        if text == "800":
            page.screenshot("MsgBox", "msgbox-380")
        page.keys(Keys.ENTER)
        page.gone("MsgBox")
        page.keys_reach_main("the error box closed by keyboard")
        main = page.window("Form1")
        page.check(f"LabelScalpi after {text}", page.control(main, "LabelScalpi")["text"],
                   COUNT_TEXTS[0] + text)
        page.check(f"RestoAnelli after {text}", page.control(main, "RestoAnelli")["text"], "0")
        page.check(f"Riepilogo after {text}", page.control(main, "Command2")["enabled"], False)

    # Not a number: trapped silently.
    page.calculate("abc")
    time.sleep(0.5)
    page.check("windows after abc", [w["name"] for w in page.state()["windows"]], ["Form1"])
    main = page.window("Form1")
    page.check("Calcola after abc", page.control(main, "Command1")["enabled"], False)

    # About from the "?" menu.
    bar = next(c for c in main["controls"] if c["class"] == "QMenuBar")
    page.click(next(a for a in bar["actions"] if a["text"] == "?")["rect"])
    menu = page.wait("the ? menu", lambda: page.window("QMenu"))
    page.click(next(a for a in menu["actions"] if a["text"] == "About")["rect"])
    about = page.modal("frmAbout")
    page.screenshot("frmAbout", "frm_about")
    page.click(page.control(about, "cmdOK")["rect"])
    page.gone("frmAbout")

    # Paste into the empty text box: the browser hands the clipboard's text
    # to the page in a paste event, as on Ctrl+V or the context menu.
    page.type_scalps("1")
    page.keys(Keys.BACKSPACE)
    driver.execute_script("""
        const data = new DataTransfer();
        data.setData('text/plain', '375');
        document.activeElement.dispatchEvent(
            new ClipboardEvent('paste', {clipboardData: data, bubbles: true, cancelable: true}));""")
    try:
        page.text_is("375")
        page.click(page.control(page.window("Form1"), "Command1")["rect"])
        page.wait("the result of the pasted 375",
                  lambda: page.control(page.window("Form1"), "RestoScalpi")["text"] == "-375")
    except Failure as failure:
        page.failures.append(f"paste: {failure}; the text box reads "
                             + repr(page.control(page.window("Form1"), "Text1")["text"]))

    # The browser's own shortcuts are left to the browser; the program's keys are not.
    prevented = driver.execute_script("""
        const canvas = document.getElementById('screen');
        const keys = [['F5', false], ['r', true], ['w', true], ['t', true], ['1', false]];
        return keys.map(([key, ctrl]) => !canvas.dispatchEvent(new KeyboardEvent('keydown',
            {key: key, ctrlKey: ctrl, bubbles: true, cancelable: true})));""")
    page.check("default prevented for F5, Ctrl+R, Ctrl+W, Ctrl+T, 1", prevented,
               [False, False, False, False, True])

    screen_reader(page)

    # Esci ends the program; the page says so.
    main = page.window("Form1")
    bar = next(c for c in main["controls"] if c["class"] == "QMenuBar")
    page.click(next(a for a in bar["actions"] if a["text"] == "Controlli")["rect"])
    menu = page.wait("the Controlli menu", lambda: page.window("QMenu"))
    page.click(next(a for a in menu["actions"] if a["text"] == "Esci")["rect"])
    page.wait("the end of the program", lambda: "chiuso" in driver.execute_script(
        "return document.getElementById('status').innerText"))


def screen_reader(page):
    """Only through the accessibility tree, as a screen reader acts: 749 and
    the sentence announced, the summary read and closed, 800 and the alert."""
    def type_in(text):
        box = page.ax_node("textbox", "Scalpi")
        page.cdp("DOM.focus", backendNodeId=box["backendDOMNodeId"])
        page.keys(Keys.END, *[Keys.BACKSPACE] * 4)
        page.cdp("Input.insertText", text=text)
        page.text_is(text)

    def press(name):
        page.ax_do(page.ax_node("button", name), "function () { this.click(); }")

    page.cdp("DOM.getDocument")
    type_in("749")
    press("Calcola")
    page.wait("the announcement", lambda: page.announced("polite") == [SENTENCE_749], 5)
    print("accessibility tree of the main window after 749:")
    for node in page.cdp("Accessibility.getFullAXTree")["nodes"]:
        role, name = node.get("role", {}).get("value"), node.get("name", {}).get("value")
        if not node.get("ignored") and role not in ("generic", "InlineTextBox", "RootWebArea", "alert"):
            print(f"  {role} {name!r}" + (f" value {node['value']['value']}" if "value" in node else ""))
    bar = page.ax_node("progressbar", "Mazze di Skraugbashor, 0–150")
    page.check("Mazze bar through the tree", bar.get("value", {}).get("value"), 149)
    press("Riepilogo")
    dialog = page.wait("the summary in the tree", lambda: page.ax_node("dialog", "Riepilogo"), 5)
    page.check("summary modal", [p["value"]["value"] for p in dialog.get("properties", [])
                                 if p["name"] == "modal"], [True])
    page.ax_node("StaticText", "Anelli del Leone: 1")
    press("Chiudi")
    page.gone("Form2")
    page.keys_reach_main("the summary closed through the tree")
    type_in("800")
    page.check("no alert before the error", page.announced("assertive"), [])
    press("Calcola")
    page.wait("the alert", lambda: page.announced("assertive") == [
        "Il numero massimo di scalpi collezionabile è 750"], 5)
    page.ax_node("alertdialog", "Errore 380")
    press("OK")
    page.gone("MsgBox")
    page.keys_reach_main("the error box closed through the tree")


def phone(page, server):
    """By touch and a phone's keyboard, upright and turned: every window whole."""
    page.cdp("Emulation.setTouchEmulationEnabled", enabled=True, maxTouchPoints=5)
    page.cdp("Network.setUserAgentOverride", userAgent=ANDROID)
    page.cdp("Emulation.setDeviceMetricsOverride", width=PHONES[0][0], height=PHONES[0][1],
             deviceScaleFactor=2.625, mobile=True)
    page.driver.get(f"http://127.0.0.1:{server.server_port}/")
    page.wait("the main window", lambda: page.window("Form1"), timeout=60)
    page.tap(page.control(page.window("Form1"), "Text1")["rect"])
    page.check("the box's keyboard", page.driver.execute_script(
        "return document.activeElement.inputMode"), "numeric")
    page.cdp("Input.insertText", text="100")  # in one piece, as a suggestion comes
    page.text_is("100")
    page.key_event("Backspace", "Backspace", 8)
    page.text_is("10")
    page.cdp("Input.insertText", text="0")
    page.key_event("Enter", "Enter", 13)
    page.text_is("100")
    page.tap(page.control(page.window("Form1"), "Command1")["rect"])
    main = page.wait("the result of 100 by touch", lambda: (m := page.window("Form1")) and page.control(
        m, "Command2")["enabled"] and m)
    page.check("shortfalls of 100 by touch", [page.control(main, "Resto" + b)["text"] for b in BANDS],
               ["-650", "-130", "-26", "-9", "-2"])
    page.tap(page.control(main, "Command2")["rect"])
    page.modal("Form2")
    for width, height in PHONES:
        page.cdp("Emulation.setDeviceMetricsOverride", width=width, height=height,
                 deviceScaleFactor=2.625, mobile=True)
        time.sleep(1)  # the page refits on the next frames
        page.whole(f"{width}x{height}")
        page.driver.save_screenshot(os.path.join(page.shots, f"phone-{width}x{height}.png"))
    page.tap(page.control(page.window("Form2"), "Command1")["rect"])
    page.gone("Form2")
    page.keys_reach_main("the summary closed by touch")
    # The reward window by its title bar's close box, the error box by its OK.
    def calculate(text):
        page.tap(page.control(page.window("Form1"), "Text1")["rect"])
        for _ in range(3):
            page.key_event("Backspace", "Backspace", 8)
        page.cdp("Input.insertText", text=text)
        page.tap(page.control(page.window("Form1"), "Command1")["rect"])

    calculate("750")
    x, y, w, _ = page.modal("Form3")["frame"]
    page.tap([x + w - 16, y + 2, 12, 12])
    page.gone("Form3")
    calculate("800")
    box = page.modal("MsgBox")
    page.tap(next(c for c in box["controls"] if c["class"] == "QPushButton")["rect"])
    page.gone("MsgBox")
    page.keys_reach_main("the error box closed by touch")
    # The menu bar and its items.
    bar = next(c for c in page.window("Form1")["controls"] if c["class"] == "QMenuBar")
    page.tap(next(a for a in bar["actions"] if a["text"] == "?")["rect"])
    menu = page.wait("the ? menu", lambda: page.window("QMenu"))
    page.tap(next(a for a in menu["actions"] if a["text"] == "About")["rect"])
    page.tap(page.control(page.modal("frmAbout"), "cmdOK")["rect"])
    page.gone("frmAbout")


def main():
    build_dir = os.path.abspath(sys.argv[1])
    desktop = sys.argv[2] if len(sys.argv) > 2 else ""
    shots = os.path.join(build_dir, "screenshots")
    os.makedirs(shots, exist_ok=True)
    server = serve.start(os.path.join(build_dir, "checked", "site"))
    driver = browser.start()
    page = Page(driver, shots, desktop)
    errors = []
    try:
        driver.get(f"http://127.0.0.1:{server.server_port}/")
        run(page)
        time.sleep(0.5)
    except Exception as error:  # noqa: BLE001 - every failure is reported below
        page.failures.append(f"stopped: {type(error).__name__}: {error}")
    finally:
        for level, text in browser.console(driver):
            if level == "SEVERE":
                errors.append(text)
            elif level == "WARNING":
                print("console warning:", text)
        driver.quit()
        server.shutdown()
    for text in errors:
        page.failures.append(f"console error: {text}")
    driver = browser.start()
    server = serve.start(os.path.join(build_dir, "checked", "site"))
    page.driver = driver
    try:
        phone(page, server)
    except Exception as error:  # noqa: BLE001
        page.failures.append(f"phone stopped: {type(error).__name__}: {error}")
    finally:
        driver.quit()
        server.shutdown()
    # Without WebGL the page says why, in Italian, instead of starting.
    driver = browser.start(extra=("--disable-3d-apis",))
    server = serve.start(os.path.join(build_dir, "site"))
    try:
        driver.get(f"http://127.0.0.1:{server.server_port}/")
        page.check("message without WebGL", driver.execute_script(
            "return document.getElementById('message').innerText").startswith(
                "Questo browser non può usare WebGL"), True)
    finally:
        driver.quit()
    # The page players load runs, and the tests' hook is not in it.
    driver = browser.start()
    try:
        driver.get(f"http://127.0.0.1:{server.server_port}/")
        page.wait("the program running", lambda: driver.execute_script(
            "return window.bottinaro && window.bottinaro.calledRun"), timeout=60)
        page.check("state hook in the page players load", driver.execute_script(
            "return typeof window.bottinaro._bottinaro_state"), "undefined")
    except Failure as failure:
        page.failures.append(str(failure))
    finally:
        driver.quit()
        server.shutdown()
    import check_offline  # here: it builds on this file's Page

    page.failures += check_offline.run(build_dir)  # installable, offline, updated
    for name, result in page.comparisons:
        print(f"screenshot {os.path.join(shots, name + '.png')}: {result}")
    for failure in page.failures:
        print("FAIL", failure)
    print("page check:", "FAILED" if page.failures else "passed")
    return 1 if page.failures else 0


if __name__ == "__main__":
    sys.exit(main())
