# SPDX-License-Identifier: GPL-3.0-or-later
"""The page players load (BUILD_DIR/site), in headless Chromium, as its
players meet it: at a desk by mouse and keyboard, through the accessibility
tree as a screen reader acts, and on phones by touch and a phone's keyboard.
The windows are read through the page's accessibility mirror. Each window's
screenshot goes to BUILD_DIR/screenshots and is compared with the offscreen
desktop screenshot of the same window when there is one: past THRESHOLD it
fails. Without WebGL the page says why.

usage: check_page.py BUILD_DIR [DESKTOP_SCREENSHOTS]"""

import io
import os
import sys

from PIL import Image, ImageChops
from selenium.webdriver.common.keys import Keys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import driver  # noqa: E402
import serve  # noqa: E402
from driver import Failure, Page  # noqa: E402

ANDROID = ("Mozilla/5.0 (Linux; Android 14; Pixel 8) AppleWebKit/537.36 (KHTML, like Gecko) "
           "Chrome/120.0 Mobile Safari/537.36")
# Phones upright and turned, narrowest first, at a phone's density.
SIZES = [(360, 740), (375, 667), (412, 915), (915, 412), (844, 390)]
DENSITY = 2.625
COUNTS = ["Scalpi di Moon Tug: ", "Mazze di Skraugbashor: ", "Cinture della forza Skraug: ",
          "Libri del collezionista: ", "Anelli del Leone: "]
SENTENCE_749 = ", ".join(f"{text}{count}" for text, count in zip(COUNTS, [749, 149, 29, 9, 1]))
ERROR_380 = "Il numero massimo di scalpi collezionabile è 750"
# Screenshots against the desktop's: the share of pixels that may differ by
# more than 32 of 255 in some channel (text anti-aliasing, a focus frame and
# a selection make up to 4 %; a window drawn wrong differs by far more).
THRESHOLD = 0.06


def shortfall(text, number):
    return f"{text[:-2]}, differenza dal traguardo: {number}"


class Pictures:
    def __init__(self, page, shots, desktop):
        self.page, self.shots, self.desktop = page, shots, desktop

    def take(self, window_name, file_name):
        """The window, frame and all; its client area is compared with the
        desktop's picture of the same window."""
        page = self.page
        window = page.wait(f"{window_name} drawn", lambda: page.window(window_name))
        page.driver.execute_async_script("requestAnimationFrame(() => requestAnimationFrame(arguments[0]))")
        shot = Image.open(io.BytesIO(page.driver.get_screenshot_as_png())).convert("RGB")
        x, y, w, h = [round(v) for v in window["rect"]]
        shot.crop((x, y, x + w, y + h)).save(os.path.join(self.shots, file_name + ".png"))
        desktop_file = os.path.join(self.desktop, file_name + ".png") if self.desktop else ""
        if not os.path.isfile(desktop_file):
            print(f"screenshot {file_name}: no desktop screenshot to compare with")
            return
        desktop = Image.open(desktop_file).convert("RGB")
        # The client area: the frame's border is as wide at the sides as below.
        border = (w - desktop.width) // 2
        client = shot.crop((x + border, y + h - border - desktop.height, x + w - border, y + h - border))
        client.save(os.path.join(self.shots, file_name + "-client.png"))
        difference = ImageChops.difference(desktop, client)
        difference.save(os.path.join(self.shots, file_name + "-difference.png"))
        pixels = list(difference.getdata())
        share = sum(1 for p in pixels if max(p) > 32) / len(pixels)
        print(f"screenshot {file_name}: {100 * share:.1f} % of {len(pixels)} pixels differ from the desktop's")
        if border < 0 or share > THRESHOLD:
            page.failures.append(f"{file_name}: {100 * share:.1f} % of the pixels differ from the desktop's")


def desk(page, pictures):
    """By mouse and keyboard at 1024 x 768: the desktop's windows, sizes and pixels."""
    main = page.wait("the main window", page.main, timeout=60)
    page.check("title", page.driver.title, "Bottinaro")
    page.check("page language", page.driver.execute_script("return document.documentElement.lang"), "it")
    page.check("main window with its frame", main["rect"][2:], [497, 519])
    page.check("Calcola and Riepilogo at start", [page.control(main, "button", b)["disabled"]
                                                  for b in ("Calcola", "Riepilogo")], [True, True])
    pictures.take("Bottinaro", "form1-start")

    # 100: counts, shortfalls and bars.
    page.calculate("100")
    main = page.result("100")
    for text, count, short in zip(COUNTS, [100, 20, 4, 1, 0], [-650, -130, -26, -9, -2]):
        page.control(main, "text", text + str(count))
        page.control(main, "text", shortfall(text, short))
        page.check(f"bar of {text}", page.control(main, "progressbar", text[:-2] + ", ")["value"], str(count))
    page.check("Calcola after 100", page.control(main, "button", "Calcola")["disabled"], True)

    # Riepilogo opens the summary modally; the page keeps answering meanwhile.
    page.press("Riepilogo")
    summary = page.modal("Riepilogo")
    page.check("main window under the summary", page.wait("the main window inert", lambda: page.main()["inert"]), True)
    page.check("summary counts after 100", [c["name"].split()[-1] for c in summary["controls"]
                                            if c["role"] == "text"], ["100", "20", "4", "1", "0"])
    page.click(page.control(summary, "button", "Chiudi")["rect"])
    page.gone("Riepilogo")
    page.keys_reach_main("the summary closed by mouse")

    # 750 from the keyboard (Tab to Calcola, Space): the reward window, then
    # the main window and the summary as on the desktop.
    page.type_scalps("750")
    page.keys(Keys.TAB, Keys.SPACE)
    reward = page.modal("Occhio di tigre")
    pictures.take("Occhio di tigre", "form3")
    page.click(page.control(reward, "button", "Chiudi")["rect"])
    page.gone("Occhio di tigre")
    main = page.result("750")
    page.control(main, "text", shortfall(COUNTS[4], 0))
    pictures.take("Bottinaro", "form1-750")
    page.press("Riepilogo")
    summary = page.modal("Riepilogo")
    pictures.take("Riepilogo", "form2")
    page.click(page.control(summary, "button", "Chiudi")["rect"])
    page.gone("Riepilogo")

    # Out of range: the error box, closed with Enter; the lower bands stay.
    for text in ("800", "-32768"):
        page.calculate(text)
        box = page.modal("Errore 380")
        page.check(f"box for {text}", [box["role"], [c["name"] for c in box["controls"] if c["role"] == "text"]],
                   ["alertdialog", [ERROR_380]])
        if text == "800":
            pictures.take("Errore 380", "msgbox-380")
        page.keys(Keys.ENTER)
        page.gone("Errore 380")
        page.keys_reach_main("the error box closed by keyboard")
        main = page.main()
        page.control(main, "text", COUNTS[0] + text)
        page.control(main, "text", shortfall(COUNTS[4], 0))
        page.check(f"Riepilogo after {text}", page.control(main, "button", "Riepilogo")["disabled"], True)

    # Not a number: trapped silently. Once Calcola is disabled again the
    # calculation is over, and any box it opened would be on the page.
    page.type_scalps("abc")
    page.press("Calcola")
    page.wait("the calculation of abc", lambda: page.control(page.main(), "button", "Calcola")["disabled"])
    page.check("windows after abc", [w["name"] for w in page.windows()], ["Bottinaro"])

    # About from the "?" menu.
    page.click(page.control(page.main(), "menuitem", "?")["rect"])
    menu = page.wait("the ? menu", lambda: page.window("menu"))
    page.click(page.control(menu, "menuitem", "About")["rect"])
    about = page.modal("Informazioni su Bottinaro")
    pictures.take("Informazioni su Bottinaro", "frm_about")
    page.click(page.control(about, "button", "OK")["rect"])
    page.gone("Informazioni su Bottinaro")

    # The clipboard: a real paste into the emptied box (Ctrl+V), once.
    page.cdp("Browser.grantPermissions", permissions=["clipboardReadWrite", "clipboardSanitizedWrite"])
    page.driver.execute_async_script("navigator.clipboard.writeText('375').then(arguments[0])")
    page.type_scalps("1")
    page.keys(Keys.BACKSPACE, Keys.CONTROL + "v")
    page.press("Calcola")
    page.result("375")

    # The browser's own shortcuts are left to the browser; the program's keys are not.
    prevented = page.driver.execute_script("""
        return [['F5', false], ['r', true], ['w', true], ['t', true], ['1', false]].map(([key, ctrl]) =>
            !document.activeElement.dispatchEvent(new KeyboardEvent('keydown',
                {key: key, ctrlKey: ctrl, bubbles: true, cancelable: true})));""")
    page.check("default prevented for F5, Ctrl+R, Ctrl+W, Ctrl+T, 1", prevented,
               [False, False, False, False, True])


def screen_reader(page):
    """Only through the accessibility tree, as a screen reader acts: typing,
    pressing, what is announced, and the windows it can reach."""
    page.cdp("DOM.getDocument")

    def tree():
        return page.cdp("Accessibility.getFullAXTree")["nodes"]

    def node(role, name=None):
        for n in tree():
            if not n.get("ignored") and n.get("role", {}).get("value") == role and (
                    name is None or n.get("name", {}).get("value") == name):
                return n
        raise LookupError(f"no {role} {name!r} in the accessibility tree")

    def on(n, function):
        """FUNCTION run on the node's element, as assistive technology acts on it."""
        element = page.cdp("DOM.resolveNode", backendNodeId=n["backendDOMNodeId"])["object"]
        page.cdp("Runtime.callFunctionOn", objectId=element["objectId"], functionDeclaration=function)

    def announced():
        nodes = tree()
        names = {n["nodeId"]: n.get("name", {}).get("value") for n in nodes}
        live = {"name": "live", "value": {"type": "token", "value": "polite"}}
        return [names[c] for n in nodes if live in n.get("properties", []) for c in n.get("childIds", [])
                if names.get(c)]

    def type_in(text):
        page.cdp("DOM.focus", backendNodeId=node("textbox", "Scalpi")["backendDOMNodeId"])
        page.driver.execute_script("document.activeElement.select()")
        page.cdp("Input.insertText", text=text)
        page.text_is(text)

    def press(name):
        on(page.wait(f"the button {name}", lambda: node("button", name)), "function () { this.click(); }")

    # Whatever edit the browser makes to the box, the program's box ends the
    # same: a key typed after each lands after the text the program holds.
    def holds(what, text):
        if not page.key_lands_after(text):
            page.failures.append(f"{what}: the box holds {page.box()['value']!r}, expected {text!r}")

    def edit(script):
        page.driver.execute_script("const box = document.activeElement; " + script)

    type_in("749")
    holds("select and type", "749")
    edit("box.select()")
    page.keys(Keys.DELETE)
    holds("select all, then Delete", "")
    type_in("12 34")
    for kind in ("rawKeyDown", "keyUp"):
        page.cdp("Input.dispatchKeyEvent", type=kind, key="Unidentified", windowsVirtualKeyCode=229,
                 commands=["deleteWordBackward"] if kind == "rawKeyDown" else [])
    holds("a word deleted", "12 ")
    edit("document.execCommand('delete')")
    holds("Backspace without a key", "12")
    edit("box.value = '42'; box.setSelectionRange(2, 2); "
         "box.dispatchEvent(new InputEvent('input', {inputType: 'insertReplacementText', bubbles: true}))")
    holds("replacement text", "42")
    edit("box.select()")
    for text in ("7", "74"):
        page.cdp("Input.imeSetComposition", text=text, selectionStart=len(text), selectionEnd=len(text))
    page.cdp("Input.insertText", text="749")
    holds("a composed word", "749")
    # Nothing else a screen reader could land on and type into: the canvas above all.
    page.check("editable places in the tree besides the box", [
        (n.get("role", {}).get("value"), n.get("name", {}).get("value")) for n in tree()
        if not n.get("ignored") and n.get("name", {}).get("value") != "Scalpi" and (
            n.get("role", {}).get("value") == "canvas"
            or {"focusable", "editable"} <= {p["name"] for p in n.get("properties", [])})], [])
    press("Calcola")
    page.wait("the announcement", lambda: announced() == [SENTENCE_749], 5)
    page.check("Mazze bar through the tree",
               node("progressbar", "Mazze di Skraugbashor, 0–150").get("value", {}).get("value"), 149)
    page.check("the canvas in the tree", [n.get("role", {}).get("value") for n in tree()
                                          if not n.get("ignored") and n.get("role", {}).get("value") == "canvas"], [])
    press("Riepilogo")
    dialog = page.wait("the summary in the tree", lambda: node("dialog", "Riepilogo"), 5)
    page.wait("the page's focus in the summary", lambda: page.driver.execute_script(
        "return !!document.activeElement.closest('[aria-label=Riepilogo]')"), 5)
    page.check("summary modal", [p["value"]["value"] for p in dialog.get("properties", [])
                                 if p["name"] == "modal"], [True])
    node("StaticText", "Anelli del Leone: 1")
    # Behind a modal window nothing can be reached.
    page.wait("Calcola out of reach", lambda: not any(
        n.get("name", {}).get("value") == "Calcola" and not n.get("ignored") for n in tree()), 5)
    press("Chiudi")
    page.gone("Riepilogo")
    page.keys_reach_main("the summary closed through the tree")
    type_in("800")
    press("Calcola")
    alert = page.wait("the alert", lambda: node("alertdialog", "Errore 380"), 5)
    nodes = {n["nodeId"]: n for n in tree()}

    def texts(n):
        own = [n["name"]["value"]] if n.get("role", {}).get("value") == "StaticText" else []
        return own + [t for c in n.get("childIds", []) if c in nodes for t in texts(nodes[c])]
    page.check("the alert's text", ERROR_380 in texts(nodes[alert["nodeId"]]), True)
    press("OK")
    page.gone("Errore 380")
    page.keys_reach_main("the error box closed through the tree")


def ink_height(shot, rect, scale):
    """CSS pixels from the top of the last word's ink in RECT of the screenshot
    SHOT (drawn at SCALE device pixels a CSS pixel) to its bottom: the height
    of the digits of a count or a shortfall."""
    x, y, w, h = [round(v * scale) for v in rect]
    box = shot.crop((x, y, x + w, y + h)).convert("L")
    background = max(box.getdata(), key=list(box.getdata()).count)
    inked = lambda v: abs(v - background) > 96
    columns = [c for c in range(box.width) if any(inked(box.getpixel((c, r))) for r in range(box.height))]
    if not columns:
        return 0
    # The last word: back from the last inked column to a gap as wide as a blank.
    gap = box.height / 4
    first = len(columns) - 1
    while first > 0 and columns[first] - columns[first - 1] < gap:
        first -= 1
    word = set(range(columns[first], columns[-1] + 1))
    rows = [r for r in range(box.height) if any(inked(box.getpixel((c, r))) for c in word)]
    return (rows[-1] - rows[0] + 1) / scale


def emulate(page, width, height, dark=False):
    page.cdp("Emulation.setDeviceMetricsOverride", width=width, height=height,
             deviceScaleFactor=DENSITY, mobile=True)
    page.cdp("Emulation.setEmulatedMedia", features=[
        {"name": "prefers-color-scheme", "value": "dark" if dark else "light"}])


def shot(page):
    return Image.open(io.BytesIO(page.driver.get_screenshot_as_png())).convert("RGB")


def phone_sizes(page, pictures):
    """At each phone's size, light and dark: the main window fills the screen
    upright and holds its height turned, text and controls large enough for
    a finger, the summary's digits readable, every window whole."""
    for width, height in SIZES:
        upright = height > width
        digits, target = (10.2, 44) if upright else (7.3, 24)
        emulate(page, width, height)
        what = f"{width}x{height}"
        main = page.wait(f"the main window filling {what}", lambda: (m := page.main()) and m["rect"] == [
            0, 0, width, height] and m)
        controls = [page.control(main, "textbox", "Scalpi")] + [
            page.control(main, "button", b) for b in ("Calcola", "Riepilogo")] + [
            c for c in main["controls"] if c["role"] == "menuitem"]
        page.check(f"the smallest control at {what}", min(min(c["rect"][2:]) for c in controls) >= target, True)
        picture = shot(page)
        measured = ink_height(picture, page.control(main, "text", shortfall(COUNTS[0], -650))["rect"], DENSITY)
        page.check(f"the shortfall's digits at {what} ({measured:.1f} px)", measured >= digits, True)
        picture.save(os.path.join(pictures.shots, f"phone-{what}-light.png"))
        # A tap near the edge of Riepilogo opens the summary.
        page.tap(page.control(main, "button", "Riepilogo")["rect"], at=(0.12, 0.15))
        summary = page.modal("Riepilogo")
        picture = shot(page)
        x, y, w, h = summary["rect"]
        page.check(f"the summary whole at {what}", x >= 0 and y >= 0 and x + w <= width and y + h <= height, True)
        line = next(c for c in summary["controls"] if c["role"] == "text")
        measured = ink_height(picture, line["rect"], DENSITY)
        page.check(f"the summary's digits at {what} ({measured:.1f} px)", measured >= digits, True)
        emulate(page, width, height, dark=True)
        page.wait(f"the dark palette at {what}", lambda: max(shot(page).getpixel(
            (round((x + 10) * DENSITY), round((y + h / 2) * DENSITY)))) < 90)
        page.check(f"the page's own background, dark, at {what}", page.driver.execute_script(
            "return getComputedStyle(document.body).backgroundColor"), "rgb(53, 53, 53)")
        shot(page).save(os.path.join(pictures.shots, f"phone-{what}-dark.png"))
        page.tap(page.control(page.window("Riepilogo"), "button", "Chiudi")["rect"], at=(0.9, 0.85))
        page.gone("Riepilogo")
    emulate(page, *SIZES[0])
    page.wait("the light palette again", lambda: min(shot(page).getpixel((2, 2))) > 150)


def fingers(page, *paths):
    """Fingers moving together along PATHS, each a list of (x, y)."""
    points = lambda i: [{"x": p[i][0], "y": p[i][1], "id": n} for n, p in enumerate(paths)]
    page.cdp("Input.dispatchTouchEvent", type="touchStart", touchPoints=points(0))
    for i in range(1, len(paths[0])):
        page.cdp("Input.dispatchTouchEvent", type="touchMove", touchPoints=points(i))
    page.cdp("Input.dispatchTouchEvent", type="touchEnd", touchPoints=[])


def zoom(page):
    """Two fingers zoom and pan the page, and press nothing; one finger stays
    the mouse, it does not pan; a double tap does not zoom. (Headless
    Chromium's synthesized pinch does not zoom even a plain page: the two
    fingers go through its input as a phone's would.)"""
    scale = "return [visualViewport.scale, visualViewport.offsetLeft, visualViewport.offsetTop]"
    x, y, w, h = page.control(page.main(), "button", "Riepilogo")["rect"]
    cx, cy = x + w / 2, y + h / 2
    fingers(page, [(cx - d, cy) for d in range(10, 100, 6)], [(cx + d, cy) for d in range(10, 100, 6)])
    zoomed = page.wait("the page zoomed by two fingers", lambda: (
        s := page.driver.execute_script(scale)) and s[0] > 1.5 and s)
    page.check("windows after a pinch over Riepilogo", [w["name"] for w in page.windows()], ["Bottinaro"])
    fingers(page, [(40, 300 + d) for d in range(0, 200, 20)])
    page.check("the page after one finger's drag", page.driver.execute_script(scale), zoomed)
    fingers(page, [(cx - d, cy) for d in range(150, 10, -6)], [(cx + d, cy) for d in range(150, 10, -6)])
    page.wait("the page back to its size", lambda: page.driver.execute_script(scale)[0] == 1)
    for _ in range(2):
        page.tap([10, page.driver.execute_script("return innerHeight") - 20, 4, 4])
    page.check("scale after a double tap", page.driver.execute_script(scale)[0], 1)


def phone(page, pictures):
    """By touch and a phone's keyboard, upright and turned: every window whole."""
    page.cdp("Emulation.setTouchEmulationEnabled", enabled=True, maxTouchPoints=5)
    page.cdp("Network.setUserAgentOverride", userAgent=ANDROID)
    emulate(page, *SIZES[0])
    page.driver.refresh()
    page.wait("the main window", page.main, timeout=60)
    page.tap(page.box()["rect"])
    page.check("the box's keyboard", page.driver.execute_script("return document.activeElement.inputMode"),
               "numeric")
    page.cdp("Input.insertText", text="100")  # in one piece, as a suggestion comes
    page.text_is("100")
    for kind in ("keyDown", "keyUp"):
        page.cdp("Input.dispatchKeyEvent", type=kind, key="Backspace", code="Backspace", windowsVirtualKeyCode=8)
    page.text_is("10")
    page.cdp("Input.insertText", text="0")
    page.press("Calcola", "touch")
    main = page.result("100")
    page.control(main, "text", shortfall(COUNTS[0], -650))
    phone_sizes(page, pictures)
    zoom(page)
    page.press("Riepilogo", "touch")
    page.modal("Riepilogo")
    for width, height in SIZES:
        emulate(page, width, height)
        try:
            page.wait(f"every window whole at {width}x{height}", lambda: all(
                x >= 0 and y >= 0 and x + w <= width + 0.5 and y + h <= height + 0.5
                for x, y, w, h in (win["rect"] for win in page.windows())) and len(page.windows()) == 2)
        except Failure as failure:
            raise Failure(f"{failure}: {[(w['name'], w['rect']) for w in page.windows()]}") from None
    page.tap(page.control(page.window("Riepilogo"), "button", "Chiudi")["rect"])
    page.gone("Riepilogo")
    page.keys_reach_main("the summary closed by touch")
    # The reward window by its title bar's close box, the error box by its OK,
    # About from the menu: each whole on the narrowest phone.
    emulate(page, *SIZES[0])
    page.calculate("750", "touch")
    x, y, w, h = page.modal("Occhio di tigre")["rect"]
    page.check("the reward window whole", x >= 0 and x + w <= SIZES[0][0] and y + h <= SIZES[0][1], True)
    page.tap([x + w - 16, y + 2, 12, 12])
    page.gone("Occhio di tigre")
    page.calculate("800", "touch")
    page.tap(page.control(page.modal("Errore 380"), "button", "OK")["rect"])
    page.gone("Errore 380")
    page.keys_reach_main("the error box closed by touch")
    page.tap(page.control(page.main(), "menuitem", "?")["rect"])
    menu = page.wait("the ? menu", lambda: page.window("menu"))
    page.tap(page.control(menu, "menuitem", "About")["rect"])
    about = page.modal("Informazioni su Bottinaro")
    x, y, w, h = about["rect"]
    page.check("About whole", x >= 0 and x + w <= SIZES[0][0] and y + h <= SIZES[0][1], True)
    page.tap(page.control(about, "button", "OK")["rect"])
    page.gone("Informazioni su Bottinaro")
    # A touch the browser cancels presses nothing: Calcola takes the focus
    # the finger gave it, and the count of the last calculation (800) stands.
    page.type_scalps("5", "touch")
    x, y, w, h = page.control(page.main(), "button", "Calcola")["rect"]
    page.cdp("Input.dispatchTouchEvent", type="touchStart", touchPoints=[{"x": x + w / 2, "y": y + h / 2}])
    page.cdp("Input.dispatchTouchEvent", type="touchCancel", touchPoints=[])
    page.wait("Calcola touched", lambda: page.control(page.main(), "button", "Calcola")["focused"])
    page.control(page.main(), "text", COUNTS[0] + "800")


def the_end(page):
    """Esci ends the program; the page says so."""
    page.click(page.control(page.main(), "menuitem", "Controlli")["rect"])
    menu = page.wait("the Controlli menu", lambda: page.window("menu"))
    page.click(page.control(menu, "menuitem", "Esci")["rect"])
    page.wait("the end of the program", lambda: "chiuso" in page.driver.execute_script(
        "return document.getElementById('status').innerText"))


def run(page, steps, url):
    """Runs STEPS on a fresh load of URL; the console's errors fail the run."""
    try:
        page.driver.get(url)
        for step in steps:
            step()
    except Exception as error:  # noqa: BLE001 - every failure is reported at the end
        page.failures.append(f"stopped: {type(error).__name__}: {error}")
    finally:
        for level, text in driver.console(page.driver):
            if level == "SEVERE":
                page.failures.append(f"console error: {text}")
            elif level == "WARNING":
                print("console warning:", text)
        page.driver.quit()


def main():
    build_dir = os.path.abspath(sys.argv[1])
    desktop = sys.argv[2] if len(sys.argv) > 2 else ""
    shots = os.path.join(build_dir, "screenshots")
    os.makedirs(shots, exist_ok=True)
    server = serve.start(os.path.join(build_dir, "site"))
    url = f"http://127.0.0.1:{server.server_port}/"
    failures = []
    try:
        page = Page(driver.chromium())
        pictures = Pictures(page, shots, desktop)
        run(page, [lambda: desk(page, pictures), lambda: screen_reader(page), lambda: the_end(page)], url)
        failures += page.failures

        page = Page(driver.chromium())
        run(page, [lambda: phone(page, Pictures(page, shots, desktop))], url)
        failures += page.failures

        # Without WebGL the page says why, in Italian, instead of starting.
        page = Page(driver.chromium(extra=("--disable-3d-apis",)))
        run(page, [lambda: page.wait("the message without WebGL", lambda: page.driver.execute_script(
            "return document.getElementById('message').innerText").startswith(
                "Questo browser non può usare WebGL"))], url)
        failures += page.failures
    finally:
        server.shutdown()
    return driver.report("page check", failures)


if __name__ == "__main__":
    sys.exit(main())
