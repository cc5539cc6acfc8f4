# SPDX-License-Identifier: GPL-3.0-or-later
"""Makes the web page's site from the program's own sources: the four .ui
files become the windows' markup, the assets its pictures, DejaVu Sans its
font (cut to what the windows show and a player types), the module's answers
at load time its first texts, and the identity in CMakeLists.txt its title.

    make_page.py SOURCE_DIR MODULE.wasm CHANGES.json SITE_DIR TITLE LANG

CHANGES.json holds what the module answers to the windows' build and load
(web/module_changes.mjs). The site: index.html, the manifest, the icons
and the service worker at the top, everything the page runs in a folder
named after a digest of it all, so that a page never mixes two builds."""

import gzip
import hashlib
import html
import io
import json
import os
import re
import shutil
import sys
import xml.etree.ElementTree as ET

import brotli
from fontTools import subset
from fontTools.ttLib import TTFont
from PIL import Image

FACE = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf"
WINDOWS = ("ui/main/form1.ui", "ui/dialogs/form2.ui", "ui/dialogs/form3.ui", "ui/dialogs/frm_about.ui")
# Height of a title bar and a menu bar, and the frame around a window, as
# the desktop draws them with its font: the phone layout starts where the
# designed main window and its frame no longer fit.
TITLE_BAR, MENU_BAR, FRAME = 22, 20, 2
# Latin-1 and the punctuation an Italian keyboard or phone types, beside the
# windows' own characters: what the box can show.
TYPED = set(range(0x20, 0x7F)) | set(range(0xA0, 0x100)) | {0x2013, 0x2014, 0x2018, 0x2019, 0x201C,
                                                           0x201D, 0x2026, 0x20AC, 0x2212}


def esc(text):
    return html.escape(text, quote=True)


def prop(widget, name, kind="string"):
    node = widget.find(f"property[@name='{name}']/{kind}")
    return node.text if node is not None else None


def geometry(widget):
    rect = widget.find("property[@name='geometry']/rect")
    return tuple(int(rect.find(k).text) for k in ("x", "y", "width", "height")) if rect is not None else None


def alignment(widget):
    value = prop(widget, "alignment", "set") or ""
    horizontal = "right" if "AlignRight" in value else "center" if "AlignHCenter" in value else "left"
    vertical = "end" if "AlignBottom" in value else "center" if "AlignVCenter" in value else "start"
    return horizontal, vertical


class Control:
    """One control of a window: what the page needs to draw and name it."""

    def __init__(self, window, widget):
        self.window = window
        self.name = widget.get("name")
        self.kind = widget.get("class").split("::")[-1]
        self.rect = geometry(widget)
        self.text = prop(widget, "text") or ""
        self.accessible = prop(widget, "accessibleName")
        self.description = prop(widget, "accessibleDescription")
        self.pixmap = prop(widget, "pixmap", "pixmap")
        self.buddy = prop(widget, "buddy", "cstring")
        self.default = prop(widget, "default", "bool") == "true"
        self.dotted = prop(widget, "Dotted", "bool") == "true"
        self.focusable = prop(widget, "focusPolicy", "enum") == "Qt::StrongFocus"
        self.framed = prop(widget, "frameShape", "enum") is not None
        self.align = alignment(widget)
        self.attributes = {}
        self.style = {}
        # A rule's own colour in the .ui: the dark or the light half of an
        # etched line, which a dark palette draws with its own shades.
        colour = widget.find("property[@name='palette']//colorrole[@role='WindowText']//color")
        self.shade = None
        if colour is not None:
            rgb = [int(colour.find(c).text) for c in ("red", "green", "blue")]
            self.shade = "lit" if sum(rgb) > 3 * 160 else "shade"
            self.style["--own"] = "#%02x%02x%02x" % tuple(rgb)
        if self.pixmap and self.pixmap.startswith(":/assets/"):
            self.pixmap = self.pixmap[len(":/assets/"):]


class Window:
    def __init__(self, path):
        root = ET.parse(path).getroot()
        top = root.find("widget")
        self.name = top.get("name")
        self.main = top.get("class") == "QMainWindow"
        self.title = prop(top, "windowTitle") or ""
        self.icon = top.find("property[@name='windowIcon']") is not None
        central = top.find("widget[@class='QWidget']") if self.main else top
        self.controls = [Control(self, w) for w in central.findall("widget")]
        # A picture box left empty shows the window's own icon, as the About
        # window fills its first one when it is built.
        for control in self.controls:
            if control.kind == "PictureBox" and not control.pixmap and self.icon:
                control.pixmap = "app.ico"
        if self.main:
            size = central.find("property[@name='minimumSize']/size")
            self.size = (int(size.find("width").text), int(size.find("height").text))
        else:
            self.size = geometry(top)[2:]
        self.menus = []
        actions = {a.get("name"): a for a in top.findall("action")}
        for menu in top.findall("widget[@class='QMenuBar']/widget[@class='QMenu']"):
            items = []
            for add in menu.findall("addaction"):
                action = actions[add.get("name")]
                items.append(None if prop(action, "separator", "bool") == "true"
                             else (action.get("name"), prop(action, "text")))
            self.menus.append((menu.get("name"), prop(menu, "title"), items))
        tabs = [t.text for t in root.findall("tabstops/tabstop")]
        self.tab_order = tabs or [c.name for c in self.controls if c.kind == "QPushButton" or c.focusable]

    def control(self, name):
        return next(c for c in self.controls if c.name == name)


def apply_changes(windows, changes):
    """What the module writes as a window is built and loaded, written in
    the markup: the page shows it before the module has arrived."""
    for kind, target, *args in changes:
        window_name, _, control_name = target.partition(".")
        window = windows[window_name]
        if not control_name:
            window.title = args[0]
            continue
        control = window.control(control_name)
        if kind == "text":
            control.text = args[0]
        elif kind == "name":
            control.accessible = args[0]
        elif kind == "range":
            control.attributes.update({"aria-valuemin": args[0], "aria-valuemax": args[1],
                                       "aria-valuenow": args[0]})
            control.style.update({"--min": args[0], "--max": args[1], "--value": args[0]})
        elif kind == "enabled":
            if not args[0]:
                control.attributes["disabled"] = ""
        elif kind == "hidden":
            if args[0]:
                control.attributes["aria-hidden"] = "true"
        else:
            raise SystemExit(f"a change the page cannot make at build time: {kind}")


def rows(window):
    """The main window's controls in rows, top to bottom, each left to right:
    a row is what shares a top edge (within half a text line)."""
    result = []
    for control in sorted(window.controls, key=lambda c: (c.rect[1], c.rect[0])):
        if result and abs(result[-1][0].rect[1] - control.rect[1]) < 8:
            result[-1].append(control)
        else:
            result.append([control])
    return [sorted(row, key=lambda c: c.rect[0]) for row in result]


def finger_places(window):
    """Where each control of the main window goes on a phone, as areas of a
    twelve-column grid: --up upright, each row across the screen shared by
    its controls; --turned turned, a bar between the count and shortfall
    above it and its scale under it. The ends of a row keep to the ends."""
    up = turned = 0
    previous = None
    for row in rows(window):
        has_bar = any(c.kind == "ProgressBar" for c in row)
        under_bar = previous is not None and any(c.kind == "ProgressBar" for c in previous)
        up += 1
        # A row of two: the count wider than the number beside it.
        spans = {1: (12,), 2: (8, 4), 3: (4, 4, 4)}[len(row)]
        for i, control in enumerate(row):
            control.style["--up"] = f"{up} / {1 + sum(spans[:i])} / auto / span {spans[i]}"
            control.style["--end"] = {1: ("left",), 2: ("left", "right"), 3: ("left", "center", "right")}[len(row)][i]
        if has_bar and previous and len(previous) == 2:
            for control in row:
                control.style["--turned"] = f"{turned} / 5 / auto / span 6"
            for control, (column, span) in zip(previous, ((1, 4), (11, 2))):
                control.style["--turned"] = f"{turned} / {column} / auto / span {span}"
        else:
            turned += 1
            first, width = (5, 6) if under_bar else (1, 12)
            shares = {1: (6,), 2: (3, 3), 3: (2, 2, 2)}[len(row)] if under_bar else spans
            for i, control in enumerate(row):
                control.style["--turned"] = f"{turned} / {first + sum(shares[:i])} / auto / span {shares[i]}"
        previous = row
    window.rows = {"up": up, "turned": turned}


def style_of(control):
    x, y, w, h = control.rect
    style = {"--x": f"{x}px", "--y": f"{y}px", "--w": f"{w}px", "--h": f"{h}px"}
    if control.kind in ("Label", "QLabel") and not control.pixmap:
        style["--align"] = control.align[0]
    style.update(control.style)
    return "; ".join(f"{k}: {v}" for k, v in style.items())


def control_html(control, pictures, build):
    w = control.window
    attributes = {"data-name": control.name, "style": style_of(control)}
    attributes.update(control.attributes)
    content = esc(control.text)
    described = ""
    if control.description:
        attributes["aria-describedby"] = f"{w.name}-{control.name}-description"
        described = (f'<span hidden id="{w.name}-{control.name}-description">'
                     f'{esc(control.description)}</span>')
    if control.kind == "QLineEdit":
        attributes.update({"id": f"{w.name}-{control.name}", "type": "text", "inputmode": "numeric",
                           "autocomplete": "off", "spellcheck": "false", "class": "box"})
        tag, content = "input", None
    elif control.kind == "QPushButton":
        attributes.update({"type": "button", "class": "button" + (" default" if control.default else "")})
        tag = "button"
    elif control.kind == "ProgressBar":
        attributes.update({"role": "progressbar", "class": "bar"})
        if control.accessible:
            attributes["aria-label"] = control.accessible
        tag, content = "div", '<span class="chunk"></span>'
    elif control.kind == "Line":
        attributes.update({"class": " ".join(filter(None, ("rule", control.dotted and "dotted", control.shade))),
                           "aria-hidden": "true"})
        tag, content = "div", ""
    elif control.pixmap:
        picture = pictures[control.pixmap]
        # A picture that takes the focus is named itself; any other by its image.
        alt = "" if control.focusable else esc(control.accessible or "")
        img = (f'<img src="{build}/{picture["file"]}" width="{picture["width"]}" '
               f'height="{picture["height"]}" alt="{alt}"' + (' loading="lazy"' if not w.main else "") + ">")
        attributes["class"] = "picture" + (" framed" if control.framed else "")
        if control.focusable:
            attributes.update({"tabindex": "0", "role": "img", "aria-label": control.accessible or ""})
        tag, content = "div", img
    else:
        tag = "label" if control.buddy else "div"
        # A box one line high keeps its text on that line, running past it.
        attributes["class"] = "label" + (" line" if control.rect[3] < 2 * control.window.line_spacing else "")
        attributes["id"] = f"{w.name}-{control.name}"
        if control.buddy:
            attributes["for"] = f"{w.name}-{control.buddy}"
        if control.accessible and control.kind != "ProgressBar":
            attributes["aria-label"] = control.accessible
    if w.tab_order and control.name == w.tab_order[0]:
        attributes["autofocus"] = ""
    if control.name in w.tab_order and control.kind not in ("QLineEdit", "QPushButton"):
        attributes.setdefault("tabindex", "0")
    text = " ".join(f'{k}="{esc(str(v))}"' if v != "" else k for k, v in attributes.items())
    if content is None:
        return f"<{tag} {text}>{described}"
    return f"<{tag} {text}>{content}</{tag}>{described}"


def menu_html(window):
    parts = ['<div class="menubar" role="menubar" aria-label="Menu">']
    for name, title, items in window.menus:
        parts.append(f'<div class="menu"><button type="button" role="menuitem" data-name="{name}" '
                     f'id="{window.name}-{name}" aria-haspopup="menu" aria-expanded="false" '
                     f'tabindex="-1">{esc(title)}</button>'
                     f'<div class="items" role="menu" aria-labelledby="{window.name}-{name}" hidden>')
        for item in items:
            if item is None:
                parts.append('<div role="separator" class="separator"></div>')
            else:
                parts.append(f'<button type="button" role="menuitem" data-name="{item[0]}" '
                             f'tabindex="-1">{esc(item[1])}</button>')
        parts.append("</div></div>")
    parts.append("</div>")
    return "".join(parts)


def window_html(window, pictures, build, icon):
    ordered = sorted(window.controls, key=lambda c: window.tab_order.index(c.name)
                     if c.name in window.tab_order else len(window.tab_order))
    # Markup in tab order, so that Tab follows it; the places come from the styles.
    controls = "".join(control_html(c, pictures, build) for c in (ordered if not window.main else window.controls))
    width, height = window.size
    title_id = f"{window.name}-title"
    title_bar = ('<div class="titlebar">'
                 + (f'<img class="icon" src="{build}/{icon}" width="16" height="16" alt="">' if icon else "")
                 # The main window's title is the page's heading.
                 + (f'<h1 class="title" id="{title_id}">{esc(window.title)}</h1>' if window.main
                    else f'<span class="title" id="{title_id}">{esc(window.title)}</span>')
                 # The keyboard never reaches it and a screen reader has Esc.
                 + '<button type="button" class="close" tabindex="-1" aria-hidden="true"></button>'
                 + "</div>")
    client = f'<div class="client" style="--width: {width}px; --height: {height}px">{controls}</div>'
    if window.main:
        return (f'<main id="{window.name}" class="window main" aria-labelledby="{title_id}" '
                f'style="--rows: {window.rows["up"]}; --turned-rows: {window.rows["turned"]}">'
                f'{title_bar}{menu_html(window)}{client}</main>')
    # A screen reader says a window's texts as it opens, as on the desktop.
    texts = " ".join(f"{window.name}-{c.name}" for c in window.controls
                     if c.kind in ("Label", "QLabel") and not c.pixmap)
    return (f'<dialog id="{window.name}" class="window" aria-labelledby="{title_id}" '
            f'aria-describedby="{texts}">{title_bar}{client}</dialog>')


def picture(source_path):
    """The smaller of the asset as it is (when browsers show it) and as PNG."""
    data = open(source_path, "rb").read()
    image = Image.open(io.BytesIO(data))
    out = io.BytesIO()
    image.save(out, "PNG", optimize=True)
    base = os.path.splitext(os.path.basename(source_path))[0]
    if source_path.endswith(".gif") and len(data) <= out.tell():
        return base + ".gif", data, image.size
    return base + ".png", out.getvalue(), image.size


def ico_image(path, side):
    """The icon file's image of that side with the most colours, as PNG: the
    one the desktop shows. Chosen here, as Pillow's own pick among images of
    one size changed (11 takes app.ico's 1-bit image, 9 its 256-colour one)."""
    icon = Image.open(path).ico
    images = [icon.frame(i).convert("RGBA") for i in range(len(icon.entry))]
    best = max((image for image in images if image.size == (side, side)),
               key=lambda image: len(set(image.getdata())))
    out = io.BytesIO()
    best.save(out, "PNG", optimize=True)
    return out.getvalue()


def sizes(source):
    """The sizes of forms/arrangement.h the page is laid out with: the
    designed font, and a phone's font and target."""
    text = open(os.path.join(source, "forms/arrangement.h")).read()
    return {name: int(re.search(rf"k{name} = (\d+);", text).group(1))
            for name in ("DesignedFontPixels", "FingerFontPixels", "FingerTarget")}


def dark_palette(source):
    """The desktop's dark palette (forms/palette.cpp), as the page's colours:
    its own, and the shades Qt derives from the window's grey."""
    text = open(os.path.join(source, "forms/palette.cpp")).read()

    def colour(pattern):
        return [int(c, 16) for c in re.search(pattern + r"\(0x(\w\w), 0x(\w\w), 0x(\w\w)\)", text).groups()]

    def css(rgb):
        return "#" + "".join(f"{c:02x}" for c in rgb)

    window = colour(r"window")
    assert len(set(window)) == 1, "the shades are worked out for a grey window"

    def shade(factor):  # QColor::lighter(factor) or, below 100, darker(10000 / factor), in 16 bits
        value = window[0] * 257 * factor // 100 if factor > 100 else window[0] * 257 * 100 // round(10000 / factor)
        return css([(value - (value >> 8) + 0x80) >> 8] * 3)
    return {"WINDOW": css(window), "TEXT": css(colour(r"text")), "BASE": css(colour(r"base")),
            "HIGHLIGHT": css(colour(r"Highlight, QColor")), "DISABLED": css(colour(r"role, QColor")),
            "LIGHT": shade(150), "MID": shade(100 / 1.3), "DARK": shade(50)}


def line_spacing(pixels):
    """The face's line spacing at a size, in whole pixels as the desktop has it."""
    hhea = TTFont(FACE)["hhea"]
    return round((hhea.ascent - hhea.descent + hhea.lineGap) * pixels / TTFont(FACE)["head"].unitsPerEm)


def font(characters):
    options = subset.Options()
    options.flavor = "woff2"
    options.layout_features = ["kern", "liga"]
    options.name_IDs = []
    options.drop_tables += ["FFTM"]
    face = subset.load_font(FACE, options)
    subsetter = subset.Subsetter(options)
    subsetter.populate(unicodes=sorted(characters))
    subsetter.subset(face)
    out = io.BytesIO()
    subset.save_font(face, out, options)
    return out.getvalue()


def main():
    source, module, changes_path, site, title, lang = sys.argv[1:7]
    windows = {}
    for path in WINDOWS:
        window = Window(os.path.join(source, path))
        windows[window.name] = window
    changes = json.load(open(changes_path))
    for answer in changes.values():
        apply_changes(windows, answer)
    main_window = next(w for w in windows.values() if w.main)
    px = sizes(source)
    for window in windows.values():
        window.line_spacing = line_spacing(px["DesignedFontPixels"])
    finger_places(main_window)

    files = {}  # name in the build folder -> bytes
    pictures = {}
    for window in windows.values():
        for control in window.controls:
            if control.pixmap and control.pixmap not in pictures:
                if control.pixmap.endswith(".ico"):
                    data = ico_image(os.path.join(source, "assets", control.pixmap), 32)
                    name = os.path.splitext(control.pixmap)[0] + ".png"
                    size = (32, 32)
                else:
                    name, data, size = picture(os.path.join(source, "assets", control.pixmap))
                files[name] = data
                pictures[control.pixmap] = {"file": name, "width": size[0], "height": size[1]}
    files["icon-16.png"] = ico_image(os.path.join(source, "assets/app.ico"), 16)
    files["cursor.png"] = ico_image(os.path.join(source, "assets/cursor.ico"), 32)
    files["bottinaro.wasm"] = open(module, "rb").read()
    for script in ("page.js", "module.js"):
        files[script] = open(os.path.join(source, "web", script), "rb").read()

    shown = set()
    for window in windows.values():
        shown |= {ord(ch) for ch in window.title}
        for control in window.controls:
            shown |= {ord(ch) for ch in control.text + (control.accessible or "")}
        for _, menu_title, items in window.menus:
            shown |= {ord(ch) for ch in menu_title + "".join(i[1] for i in items if i)}
    for answer in changes.values():
        for change in answer:
            shown |= {ord(ch) for arg in change[2:] if isinstance(arg, str) for ch in arg}
    files["DejaVuSans.woff2"] = font(shown | TYPED)

    # The build's name: a digest of everything the page runs and shows.
    template = open(os.path.join(source, "web/index.html"), encoding="utf-8").read()
    style = open(os.path.join(source, "web/page.css"), encoding="utf-8").read()
    digest = hashlib.sha256()
    for name in sorted(files):
        digest.update(name.encode() + b"\0" + files[name])
    # The colours: the desktop's dark palette, and the light page's own.
    colours = {f"@DARK_{name}@": value for name, value in dark_palette(source).items()}
    colours["@PAGE@"] = re.search(r"--page: (#\w+)", style)[1]
    digest.update(template.encode() + style.encode() + json.dumps([changes, colours]).encode())
    for path in WINDOWS:
        digest.update(open(os.path.join(source, path), "rb").read())
    build = digest.hexdigest()[:16]

    width, height = main_window.size
    markup = "".join(window_html(w, pictures, build, "icon-16.png" if w.icon else None) for w in windows.values())
    style = (style.replace("@BUILD@", build)
             .replace("@DESIGNED_PX@", str(px["DesignedFontPixels"]))
             .replace("@FINGER_PX@", str(px["FingerFontPixels"]))
             .replace("@TARGET_PX@", str(px["FingerTarget"]))
             .replace("@TITLE_BAR@", str(TITLE_BAR)).replace("@MENU_BAR@", str(MENU_BAR))
             .replace("@DESK_WIDTH@", str(width + 2 * FRAME))
             .replace("@DESK_HEIGHT@", str(height + TITLE_BAR + MENU_BAR + 2 * FRAME)))
    def coloured(text):
        for name, value in colours.items():
            text = text.replace(name, value)
        return text
    page = coloured(template.replace("@STYLE@", style).replace("@WINDOWS@", markup)
                    .replace("@BUILD@", build).replace("@TITLE@", esc(title)).replace("@LANG@", lang))

    if os.path.isdir(site):
        shutil.rmtree(site)
    os.makedirs(os.path.join(site, build))
    for name, data in files.items():
        open(os.path.join(site, build, name), "wb").write(data)
    open(os.path.join(site, "index.html"), "w", encoding="utf-8").write(page)
    manifest = open(os.path.join(source, "web/manifest.webmanifest"), encoding="utf-8").read()
    open(os.path.join(site, "manifest.webmanifest"), "w", encoding="utf-8").write(coloured(manifest))
    shutil.copy(os.path.join(source, "assets/hicolor/scalable/bottinaro.svg"), os.path.join(site, "icon.svg"))
    for name in os.listdir(os.path.join(source, "assets/web")):
        shutil.copy(os.path.join(source, "assets/web", name), site)
    open(os.path.join(site, "favicon.ico"), "wb").write(open(os.path.join(source, "assets/app.ico"), "rb").read())

    # The worker keeps what the page runs offline: every file but the
    # icons an installing browser fetches for itself, index.html as "./".
    kept = {}
    for folder, _, names in os.walk(site):
        for name in names:
            relative = os.path.relpath(os.path.join(folder, name), site)
            if "/" not in relative and re.search(r"\.(png|ico)$", relative):
                continue
            kept[relative] = hashlib.sha256(open(os.path.join(site, relative), "rb").read()).hexdigest()
    kept["./"] = kept.pop("index.html")
    worker = open(os.path.join(source, "web/service_worker.js"), encoding="utf-8").read()
    listing = "".join(f'  "{name}": "{kept[name]}",\n' for name in sorted(kept))
    open(os.path.join(site, "service_worker.js"), "w", encoding="utf-8").write(
        worker.replace("@BUILD@", build).replace("@SITE_FILES@", listing))

    # Precompressed copies for hosts that send them, where they are smaller.
    for folder, _, names in os.walk(site):
        for name in names:
            path = os.path.join(folder, name)
            if re.search(r"\.(png|gif|woff2|br|gz)$", name):
                continue
            data = open(path, "rb").read()
            for suffix, packed in ((".br", brotli.compress(data, quality=11)),
                                   (".gz", gzip.compress(data, 9, mtime=0))):
                if len(packed) < len(data):
                    open(path + suffix, "wb").write(packed)
    print(build)


if __name__ == "__main__":
    main()
