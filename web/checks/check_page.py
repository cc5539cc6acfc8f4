# SPDX-License-Identifier: GPL-3.0-or-later
"""The page players load, as they meet it: at a desk in headless Chromium by
mouse and keyboard, read through its elements and the accessibility tree;
on five phones light and dark, by touch; two fingers zooming; offline from
its service worker; a lean pass in Firefox ESR and WebKitGTK. Pictures go to
SITE/../screenshots, each window compared with the desktop's offscreen
picture of it when DESKTOP_SCREENSHOTS holds one.

usage: check_page.py SITE [DESKTOP_SCREENSHOTS]"""

import collections
import io
import json
import os
import re
import shutil
import signal
import sys
import tempfile
import time

from PIL import Image, ImageChops, ImageFilter
from selenium.webdriver.common.keys import Keys

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path[:0] = [HERE, os.path.dirname(HERE)]  # the drivers, and the page's static host
import driver  # noqa: E402
import serve  # noqa: E402
from driver import Failure, Page  # noqa: E402

BANDS = ["Scalpi di Moon Tug", "Mazze di Skraugbashor", "Cinture della forza Skraug", "Libri del collezionista",
         "Anelli del Leone"]
TOPS = [750, 150, 30, 10, 2]
# Each level's controls, by the names the windows give them: its count, bar
# and shortfall, and the marks under the bar.
with open(os.path.join(HERE, "../../tally/window_texts.h")) as header:
    LEVELS = re.findall(r'\{"(\w+)", "(\w+)", "(\w+)", \{"(\w+)", "(\w+)", "(\w+)"\}\}', header.read())
assert len(LEVELS) == len(TOPS), LEVELS
# The summary in the desktop's own words.
SUMMARY = ["Scalpi di Moon Tug", "Mazze di Skraugbashor", "Cinture di forza Skraug", "Libri del Collezionista",
           "Anelli del Leone"]
RESULTS = {"100": ([100, 20, 4, 1, 0], [-650, -130, -26, -9, -2]), "749": ([749, 149, 29, 9, 1], [-1] * 5),
           "750": ([750, 150, 30, 10, 2], [0] * 5)}
ERROR = ("Errore 380", "Il numero massimo di scalpi collezionabile è 750")
# A number typed and calculated by mouse or keyboard, and what follows.
CALCULATIONS = [("100", "mouse", "counts"), ("749", "keyboard", "counts"), ("750", "mouse", "reward"),
                ("800", "mouse", "alert"), ("-1", "keyboard", "alert"), ("abc", "mouse", "silent"),
                ("32768", "keyboard", "silent"), ("", "mouse", "silent")]
# Each window opened by its button or the menu, by mouse or keyboard (once
# its number is typed), closed by its button, close box, Esc or Enter (About
# off its button too): the focus goes back. The reward first, so that the
# summary and the main window show 750 as the desktop's pictures do. A step
# with a dot clicks.
WINDOWS = [("Form3", "750", "Form1.controls Form1.clac", "Form3.Command1", "Form1.Text1"),
           ("Form3", "750", "F10 Enter Enter", "Esc", "Form1.Text1"),
           ("Form2", None, "Form1.Command2", "Form2.Command1", "Form1.Command2"),
           ("Form2", None, "Form1.controls Form1.riep", "Esc", "Form1.Text1"),
           ("Form2", None, "F10 Down Down Enter", "Form2.close", "Form1.Text1"),
           ("frmAbout", None, "Form1.help Form1.abt", "frmAbout.cmdOK", "Form1.Text1"),
           ("frmAbout", None, "F10 Right Enter Enter", "Tab Enter", "Form1.Text1"),
           ("frmAbout", None, "F10 Right Down Enter", "Esc", "Form1.Text1"),
           ("MsgBox", "800", "F10 Enter Enter", "Esc", "Form1.Text1"),
           ("MsgBox", "800", "Form1.controls Form1.clac", "MsgBox.OK", "Form1.Text1")]
KEYS = {"Tab": Keys.TAB, "F10": Keys.F10, "Down": Keys.ARROW_DOWN, "Up": Keys.ARROW_UP, "Right": Keys.ARROW_RIGHT,
        "Enter": Keys.ENTER, "Esc": Keys.ESCAPE}
TITLES = {"Form2": ("dialog", "Riepilogo"), "Form3": ("dialog", "Occhio di tigre"),
          "frmAbout": ("dialog", "Informazioni su Bottinaro"), "MsgBox": ("alertdialog", "Errore 380")}
# Esci by mouse and by keyboard, and the main window's close box.
ENDINGS = ["Form1.controls Form1.exit", "F10 Enter Up Enter", "Form1.close"]
# Another engine: a calculation, the summary, the error box.
LEAN = ([("100", "mouse", "counts")], [("Form2", None, "Form1.Command2", "Form2.Command1", "Form1.Command2")],
        [("800", "mouse", "alert")])
DESKTOP = {"Form1": "form1-750", "Form2": "form2", "Form3": "form3", "frmAbout": "frm_about"}
# Both blurred by a pixel, so that text drawn a little differently matches:
# past this share of pixels apart by more than 32 of 255 a window differs
# from the desktop's (one count of another number makes 0.8 %).
THRESHOLD = 0.003
PHONES, DENSITY = [(360, 740), (375, 667), (412, 915), (915, 412), (844, 390)], 2.625
TARGETS = ["Text1", "Command1", "Command2", "controls", "help"]
# Each dialog on a phone: what a finger does to open it (a number is
# calculated), and its button that closes it.
ON_PHONE = [("Form3", "750", "Form3.Command1"), ("Form2", "Form1.Command2", "Form2.Command1"),
            ("frmAbout", "Form1.help Form1.abt", "frmAbout.cmdOK"), ("MsgBox", "800", "MsgBox.OK")]


def counts_of(text):
    expected = {}
    for band, (label, bar, rest, *_), top, count, short in zip(BANDS, LEVELS, TOPS, *RESULTS[text]):
        expected.update({label: (f"{band}: {count}", None), rest: (
            str(short), f"{band}, differenza dal traguardo: {short}"), bar: (str(count), f"{band}, 0–{top}")})
    return expected


def sentence(text):
    return ", ".join(f"{b}: {n}" for b, n in zip(BANDS, RESULTS[text][0]))


def shown_counts(page):
    """Each band's count, shortfall and bar: its text or value, its name."""
    controls = page.window("Form1")["controls"]
    return {name: (controls[name]["value" if kind == 1 else "text"], controls[name]["name"])
            for level in LEVELS for kind, name in enumerate(level[:3])}


def summary(page):
    return [page.control("Form2", f"Label{i}")["text"] for i in range(1, 6)]


def act(page, steps):
    for step in steps.split():
        page.click(*step.split(".")) if "." in step else page.keys(KEYS[step])


def ax(page):
    """The accessibility tree's nodes: role, name, value, properties, parent."""
    return [{"role": n["role"]["value"], "name": n.get("name", {}).get("value", ""), "value": n.get(
        "value", {}).get("value"), "id": n["nodeId"], "parent": n.get("parentId"),
        **{p["name"]: p["value"].get("value") for p in n.get("properties", [])}}
            for n in page.cdp("Accessibility.getFullAXTree")["nodes"] if not n.get("ignored")]


def announced(page):
    return page.driver.execute_script(
        "return [...document.querySelectorAll('[aria-live]')].map(region => region.textContent).join('')")


def node(tree, role, name):
    return next((n for n in tree if n["role"] == role and n["name"] == name), None)


def key_lands(page, after):
    """Keys reach the box that has the focus: Shift+Home selects its text
    (a digit would change the text, and so Riepilogo)."""
    length = len(page.control("Form1", "Text1")["text"])
    page.keys(Keys.END, Keys.SHIFT + Keys.HOME)
    try:
        page.wait("the box's text selected", lambda: page.driver.execute_script(
            "const box = document.activeElement; return [box.selectionStart, box.selectionEnd]") == [0, length], 2)
    except Failure:
        page.failures.append(f"keys typed after {after} do not reach the box that has the focus")
    page.keys(Keys.END)


def calculate(page, text, how):
    """TEXT typed, then Calcola pressed: by mouse, or reached by Tab."""
    if how == "mouse":
        page.type_scalps(text)
    else:
        for _ in range(6):  # Tab even from the box: it may hold the focus without the caret
            page.keys(Keys.TAB)
            if page.focus() == "Form1.Text1":
                break
        page.keys(Keys.END, Keys.BACKSPACE * len(page.control("Form1", "Text1")["text"]), text)
        page.wait(f"{text!r} typed", lambda: page.control("Form1", "Text1")["text"] == text)
    page.check(f"Calcola and Riepilogo usable once {text!r} is typed", [
        not page.control("Form1", b)["disabled"] for b in ("Command1", "Command2")], [True, False])
    if how == "mouse":
        page.click("Form1", "Command1")
    else:
        page.keys(Keys.TAB)
        page.check("the focus after Tab from the box", page.focus(), "Form1.Command1")
        page.keys(Keys.SPACE)


def desk_calculations(page, calculations):
    for text, how, outcome in calculations:
        what, before = f"{text!r} by {how}", shown_counts(page)
        announcement = announced(page)
        calculate(page, text, how)
        if outcome in ("counts", "reward"):
            announcement = sentence(text)
            page.wait(f"Riepilogo after {what}", lambda: not page.control("Form1", "Command2")["disabled"])
            page.check(f"the main window after {what}", shown_counts(page), counts_of(text))
        if outcome == "reward":
            page.wait(f"the reward after {what}", lambda: page.shown() == ["Form1", "Form3"])
            page.check(f"the announcement under the reward of {what}", announced(page), announcement)
            page.click("Form3", "Command1")
            page.wait("the reward closed", lambda: page.shown() == ["Form1"])
            announcement = ""  # emptied as a window closes, not to be read again
        elif outcome == "alert":
            page.wait(f"the error box after {what}", lambda: page.shown() == ["Form1", "MsgBox"])
            page.check(f"the error box after {what}", (page.window("MsgBox")["title"], page.control(
                "MsgBox", "prompt")["text"]), ERROR)
            act(page, "Enter" if how == "keyboard" else "MsgBox.OK")
            page.wait("the error box closed", lambda: page.shown() == ["Form1"])
            key_lands(page, f"the error box of {what} closed")
            page.check(f"the main window after {what}", shown_counts(page), {  # the scalps' count alone
                **before, "LabelScalpi": (f"{BANDS[0]}: {text}", None)})
            announcement = ""
        elif outcome == "silent":
            page.wait(f"the calculation of {what}", lambda: page.control("Form1", "Command1")["disabled"])
            page.check(f"the main window after {what}", shown_counts(page), before)
        time.sleep(0.3)  # a window opened twice, an announcement late
        page.check(f"windows after {what}", page.shown(), ["Form1"])
        page.check(f"the announcement after {what}", announced(page), announcement)
        page.check(f"Riepilogo after {what}", page.control("Form1", "Command2")["disabled"], outcome in (
            "alert", "silent"))


def desk_windows(page, windows, picture=lambda window: None):
    for window, text, opening, closing, focus in windows:
        how = f"{window} opened by {opening}, closed by {closing}"
        page.type_scalps(text) if text else page.click("Form1", "Text1")
        act(page, opening)
        page.wait(how, lambda: page.shown() == ["Form1", window])
        page.wait(f"the focus in {window}", lambda: (page.focus() or "").startswith(window + "."), 3)
        page.check(f"{window}'s title", page.window(window)["title"], TITLES[window][1])
        if hasattr(page.driver, "execute_cdp_cmd"):
            page.check(f"{window} modal in the accessibility tree", (node(ax(page), *TITLES[window]) or {}).get(
                "modal"), True)
        if window == "Form2":
            page.check("the summary", summary(page), [f"{s}: {page.control('Form1', level[0])['text'].split()[-1]}"
                                                      for s, level in zip(SUMMARY, LEVELS)])
        picture(window)
        if "." in closing:  # behind a modal window a click does nothing
            page.click("Form1", "Text1")
            page.check(f"the focus after a click behind {window}", (page.focus() or "").startswith(window + "."))
        act(page, closing)
        page.wait(f"{how}", lambda: page.shown() == ["Form1"])
        page.check(f"the focus after {how}", page.focus(), focus)
        if focus == "Form1.Text1":
            key_lands(page, how)
        if window == "Form3":
            picture("Form1")


def desk(page, shots, desktop):
    """At 1024 x 768: the texts and names, every calculation and window."""
    page.cdp("Emulation.setDeviceMetricsOverride", width=1024, height=768, deviceScaleFactor=1, mobile=False)
    page.check("title and language", page.driver.execute_script(
        "return [document.title, document.documentElement.lang]"), ["Bottinaro", "it"])
    page.check("Calcola and Riepilogo at the start", [page.control("Form1", b)["disabled"]
                                                      for b in ("Command1", "Command2")], [True, True])
    desk_calculations(page, CALCULATIONS)
    calculate(page, "100", "mouse")
    page.wait("the counts of 100", lambda: not page.control("Form1", "Command2")["disabled"])
    tree = ax(page)
    expected = {("textbox", "Scalpi"): ("value", "100"), ("button", "Calcola"): ("disabled", True),
                ("button", "Riepilogo"): ("disabled", None), ("menubar", "Menu"): ("value", None),
                ("menuitem", "Controlli"): ("value", None), ("menuitem", "?"): ("value", None),
                ("main", "Bottinaro"): ("value", None), ("heading", "Bottinaro"): ("level", 1),
                **{("progressbar", f"{b}, 0–{t}"): ("value", n) for b, t, n in zip(BANDS, TOPS, RESULTS["100"][0])},
                ("StaticText", f"{BANDS[0]}, differenza dal traguardo: -650"): ("value", None)}
    page.check("the accessibility tree after 100", {k: (p, n.get(p) if (n := node(tree, *k)) else "missing")
                                                    for k, (p, _) in expected.items()}, expected)
    marks = {str(top * i // 2) for top in TOPS for i in range(3)}  # the bars tell their ranges
    page.check("no scale number in the accessibility tree",
               [n["name"] for n in tree if n["role"] == "StaticText" and n["name"] in marks], [])
    live = {n["id"] for n in tree if n.get("live") == "polite"}
    page.check("the live regions' text after 100", [n["name"] for n in tree if n["parent"] in live
                                                    and n["role"] == "StaticText"], [sentence("100")])
    page.driver.save_screenshot(os.path.join(shots, "desk.png"))
    pictures = set(DESKTOP)

    def picture(window):  # each window once, as it first shows
        if window in pictures:
            pictures.remove(window)
            compare(page, window, shots, desktop)
    desk_windows(page, WINDOWS, picture)
    for ending in ENDINGS:
        act(page, ending)
        page.wait(f"the end by {ending}", lambda: page.state()["ended"] and page.shown() == [])
        page.reload()


def compare(page, window, shots, desktop):
    """The window's client area against the desktop's picture of it."""
    time.sleep(0.2)
    x, y, w, h = [round(v) for v in page.driver.execute_script(
        "const r = document.querySelector(`#${arguments[0]} .client`).getBoundingClientRect();"
        "return [r.x, r.y, r.width, r.height]", window)]
    ours = Image.open(io.BytesIO(page.driver.get_screenshot_as_png())).convert("RGB").crop((x, y, x + w, y + h))
    ours.save(os.path.join(shots, f"{DESKTOP[window]}.png"))
    theirs = os.path.join(desktop or "", DESKTOP[window] + ".png")
    if not os.path.isfile(theirs):
        return
    theirs = Image.open(theirs).convert("RGB")
    if theirs.width == ours.width and theirs.height > ours.height:  # the desktop's menu bar above
        theirs = theirs.crop((0, theirs.height - ours.height, theirs.width, theirs.height))
    if page.check(f"{window}'s size, the desktop's", ours.size, theirs.size):
        blur = ImageFilter.GaussianBlur(1)
        pixels = list(ImageChops.difference(theirs.filter(blur), ours.filter(blur)).convert("L").getdata())
        share = sum(p > 32 for p in pixels) / len(pixels)
        print(f"{window}: {100 * share:.2f} % of the pixels differ from the desktop's")
        page.check(f"{window}: {100 * share:.2f} % of the pixels differ from the desktop's", share <= THRESHOLD)


def emulate(page, width, height, dark=False):
    page.cdp("Emulation.setDeviceMetricsOverride", width=width, height=height, deviceScaleFactor=DENSITY, mobile=True)
    page.cdp("Emulation.setEmulatedMedia", features=[{"name": "prefers-color-scheme",
                                                      "value": "dark" if dark else "light"}])


def phone_calculate(page, text):
    page.tap("Form1", "Text1")
    page.keys(Keys.END, Keys.BACKSPACE * len(page.control("Form1", "Text1")["text"]))
    page.cdp("Input.insertText", text=text)  # a phone's keyboard sends the number in one piece
    page.wait(f"{text} typed", lambda: page.control("Form1", "Text1")["text"] == text)
    page.tap("Form1", "Command1")


def within(rect, width, height):
    x, y, w, h = rect
    return x >= -0.5 and y >= -0.5 and x + w <= width + 0.5 and y + h <= height + 0.5


def one_row(*rects):
    return max(r[1] for r in rects) < min(r[1] + r[3] for r in rects)


def phone_layout(page, width, height):
    """The main window filling the screen, for a finger upright, each band
    in one row turned; the marks at their bar's ends."""
    what, upright = f"{width}x{height}", height > width
    main = page.wait(f"the main window filling {what}", lambda: (
        m := page.window("Form1")) and m["rect"] == [0, 0, width, height] and m)
    shown = {k: c for k, c in main["controls"].items() if c["rect"][2] > 0}
    page.check(f"the menu bar at the top at {what}", shown["controls"]["rect"][1], 0)
    page.check(f"controls off the screen at {what}", [k for k, c in shown.items()
                                                      if not within(c["rect"], width, height)], [])
    solid = {k: c["rect"] for k, c in shown.items() if not k.startswith("Line")}
    page.check(f"controls overlapping at {what}", [(a, b) for a in solid for b in solid if a < b and all(
        min(solid[a][i] + solid[a][i + 2], solid[b][i] + solid[b][i + 2]) - max(solid[a][i], solid[b][i]) > 0.5
        for i in (0, 1))], [])
    if upright:
        page.check(f"text under 14 px at {what}", [k for k, c in shown.items() if c["text"] and c["font"] < 14], [])
        page.check(f"targets under 44 px at {what}", [k for k in TARGETS if min(shown[k]["rect"][2:]) < 43.5], [])
    for name, bar, rest, *marks in LEVELS:
        count, bar, short = (shown[control]["rect"] for control in (name, bar, rest))
        if upright:
            page.check(f"{name}: count and shortfall above the bar, the bar above its marks at {what}", one_row(
                count, short) and count[1] + count[3] <= bar[1] and bar[1] + bar[3] <= shown[marks[1]]["rect"][1])
        else:
            page.check(f"{name}: count, bar and shortfall in one row at {what}", one_row(count, bar, short)
                       and count[0] < bar[0] < short[0])
        first, last = shown[marks[0]]["ink"], shown[marks[2]]["ink"]
        page.check(f"{name}: the marks' ends from the bar's ends at {what}", [
            round(first[0] - bar[0]), round(last[0] + last[2] - bar[0] - bar[2])], [0, 0])


def phone_dialogs(page, width, height):
    """Each dialog whole on the screen, upright up to 1.4 times larger."""
    for window, opening, closing in ON_PHONE:
        if opening[0].isdigit():
            phone_calculate(page, opening)
        else:
            for target in opening.split():
                page.tap(*target.split("."))
        what = f"{window} at {width}x{height}"
        page.wait(f"{what} opened", lambda: window in page.shown())
        time.sleep(0.1)
        dialog = page.window(window)
        scale = dialog["rect"][2] / dialog["size"][0]
        page.check(f"{what} whole on the screen, at most 1.4 times larger: {dialog['rect']}", within(
            dialog["rect"], width, height) and scale <= (1.41 if height > width else 1.01))
        page.tap(*closing.split("."))
        page.wait(f"{what} closed", lambda: page.shown() == ["Form1"])


def colours(page, selector):
    return page.driver.execute_script(
        "const s = getComputedStyle(document.querySelector(arguments[0])); return [s.color, s.backgroundColor]", selector)


def contrast(pair):
    """The contrast ratio of two CSS rgb() colours."""
    def luminance(css):
        c = [v / 12.92 if v <= 0.03928 else ((v + 0.055) / 1.055) ** 2.4
             for v in (int(n) / 255 for n in re.findall(r"\d+", css)[:3])]
        return 0.2126 * c[0] + 0.7152 * c[1] + 0.0722 * c[2] + 0.05
    return max(map(luminance, pair)) / min(map(luminance, pair))


def phones(page, shots):
    """Five phones by touch, light and dark; a window open as the phone
    turns; two fingers zooming."""
    page.cdp("Emulation.setTouchEmulationEnabled", enabled=True, maxTouchPoints=5)
    emulate(page, *PHONES[0])
    page.reload()
    for width, height in PHONES:
        what = f"{width}x{height}"
        emulate(page, width, height)
        phone_calculate(page, "100")
        page.wait("the counts of 100", lambda: not page.control("Form1", "Command2")["disabled"])
        phone_layout(page, width, height)
        page.driver.save_screenshot(os.path.join(shots, f"phone-{what}-light.png"))
        phone_dialogs(page, width, height)
        light = colours(page, "html")[1]
        emulate(page, width, height, dark=True)
        try:  # the media change applied
            page.wait("the dark page", lambda: colours(page, "html")[1] != light, 3)
        except Failure:
            pass
        page.check(f"the page's background, dark, at {what}", colours(page, "html")[1], "rgb(53, 53, 53)")
        for control in ("LabelScalpi", "Command1", "Text1"):
            page.check(f"{control}'s contrast, dark, at {what} ≥ 4.5", contrast(colours(
                page, f"#Form1 [data-name={control}]")) >= 4.5)
        page.driver.save_screenshot(os.path.join(shots, f"phone-{what}-dark.png"))
    page.tap("Form1", "Command2")
    for width, height in PHONES:
        emulate(page, width, height)
        page.wait(f"the summary whole at {width}x{height}, turned with it", lambda: within(
            page.window("Form2")["rect"], width, height), 3)
    page.tap("Form2", "Command1")
    emulate(page, *PHONES[0])
    # The phone's screen settled first: a gesture sent while it still turns is lost.
    page.wait("the phone's screen", lambda: page.driver.execute_script(
        "return [innerWidth, visualViewport.scale]") == [PHONES[0][0], 1])
    x, y, w, h = page.wait("Riepilogo", lambda: page.control("Form1", "Command2")["rect"])
    fingers = [[(x + w / 2 + side * d, y + h / 2) for d in range(10, 100, 6)] for side in (-1, 1)]
    page.cdp("Input.dispatchTouchEvent", type="touchStart", touchPoints=[
        {"x": f[0][0], "y": f[0][1], "id": n} for n, f in enumerate(fingers)])
    for i in range(1, len(fingers[0])):
        page.cdp("Input.dispatchTouchEvent", type="touchMove", touchPoints=[
            {"x": f[i][0], "y": f[i][1], "id": n} for n, f in enumerate(fingers)])
    page.cdp("Input.dispatchTouchEvent", type="touchEnd", touchPoints=[])
    page.wait("the page zoomed by two fingers", lambda: page.driver.execute_script(
        "return visualViewport.scale") > 1.5)
    time.sleep(0.3)
    page.check("windows after two fingers on Riepilogo", page.shown(), ["Form1"])


def offline(page, site, first_visit=True):
    """Kept by its worker on the first visit, each file downloaded once; the
    page starts and calculates with its server gone."""
    requests, gone = [], tempfile.mkdtemp(prefix="bottinaro-gone-")
    server = serve.start(site, requests=requests)
    url = f"http://127.0.0.1:{server.server_port}/"
    try:
        page.open(url)
        page.wait("the service worker in control", lambda: page.driver.execute_script(
            "return !!(navigator.serviceWorker && navigator.serviceWorker.controller)"), 30)
        build = next(d for d in os.listdir(site) if os.path.isdir(os.path.join(site, d)))
        page.check("the worker's caches", page.driver.execute_async_script(
            "caches.keys().then(arguments[arguments.length - 1])"), [f"bottinaro-{build} {url}"])
        if first_visit:
            downloads = collections.Counter("/index.html" if p == "/" else p for _, p, code in requests if code == 200)
            page.check("files downloaded twice on a first visit", [p for p, n in downloads.items() if n > 1], [])
            installable(page, site)
        server.stop()
        requests.clear()
        server = serve.start(gone, server.server_port, requests=requests)
        page.reload()
        page.type_scalps("100")
        page.click("Form1", "Command1")
        page.wait("the counts of 100 offline", lambda: page.control("Form1", "LabelScalpi")["text"].endswith(" 100"))
        page.check("requests with the server gone", {p for _, p, _ in requests} - {"/service_worker.js"}, set())
    finally:
        server.stop()
        shutil.rmtree(gone)


def installable(page, site):
    """Chromium's own verdict, and each icon against its declared size."""
    manifest = page.cdp("Page.getAppManifest")
    page.check("manifest errors", manifest["errors"], [])
    page.check("installability errors", page.cdp("Page.getInstallabilityErrors")["installabilityErrors"], [])
    for icon in (i for i in json.loads(manifest["data"])["icons"] if i["sizes"] != "any"):
        with Image.open(os.path.join(site, icon["src"])) as image:
            page.check(f"icon {icon['src']}", "x".join(map(str, image.size)), icon["sizes"])


def lean(page, site):
    """Another engine: the load, 100 by click, the summary, 800 and its
    alert, and a reload from the worker with the server gone."""
    server = serve.start(site)
    try:
        page.open(f"http://127.0.0.1:{server.server_port}/", 60)
        desk_calculations(page, LEAN[0])
        desk_windows(page, LEAN[1])
        desk_calculations(page, LEAN[2])
    finally:
        server.stop()
    offline(page, site, first_visit=False)


def out_of_time(*_):
    raise Failure("out of time")


def run(name, start, steps, failures, budget):
    """STEPS on a browser from START within BUDGET seconds: their failures
    and the console's errors, under NAME."""
    page, began = None, time.monotonic()
    signal.alarm(budget)
    try:
        page = Page(start())
        steps(page)
    except Exception as error:  # noqa: BLE001 - every failure is reported at the end
        page = page or Page(None)
        page.failures.append(f"stopped: {type(error).__name__}: {error}")
    finally:
        signal.alarm(30)
        try:
            if isinstance(page.driver, driver.webdriver.Chrome):
                page.failures += [f"console: {e['message']}" for e in page.driver.get_log("browser")
                                  if e["level"] == "SEVERE"]
            if page.driver:
                page.driver.quit()
        except Exception as error:  # noqa: BLE001
            page.failures.append(f"not quit: {error}")
        signal.alarm(0)
    failures += [f"{name}: {failure}" for failure in page.failures]
    print(f"{name}: {time.monotonic() - began:.0f} s,", "FAILED" if page.failures else "passed", flush=True)


def main():
    site = os.path.abspath(sys.argv[1])
    desktop = sys.argv[2] if len(sys.argv) > 2 and os.path.isdir(sys.argv[2]) else None
    shots = os.path.join(os.path.dirname(site), "screenshots")
    os.makedirs(shots, exist_ok=True)
    signal.signal(signal.SIGALRM, out_of_time)
    failures, server = [], serve.start(site)
    url = f"http://127.0.0.1:{server.server_port}/"
    try:
        run("desk", driver.chromium, lambda page: (page.open(url), desk(page, shots, desktop)), failures, 120)
        run("phones", driver.chromium, lambda page: (page.open(url), phones(page, shots)), failures, 120)
    finally:
        server.stop()
    run("offline", driver.chromium, lambda page: offline(page, site), failures, 60)
    display, xvfb = driver.xvfb()
    try:
        run("Firefox", lambda: driver.Firefox(display), lambda page: lean(page, site), failures, 120)
        run("WebKitGTK", lambda: driver.webkit(display), lambda page: lean(page, site), failures, 90)
    finally:
        xvfb.terminate()
    return driver.report("page check", failures)


if __name__ == "__main__":
    sys.exit(main())
