#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Draw Bottinaro's binary assets (icons, cursor, pictures, logo) into assets/.

Everything is drawn procedurally with the standard library only, so the
pictures can be rebuilt anywhere and always come out byte-identical. The
scenes are in drawing.py, the file writers in file_formats.py; this script
says which picture goes into which file.
Run from anywhere: python3 assets/generator/make_assets.py
"""

import os
import sys

sys.dont_write_bytecode = True  # leave no __pycache__ beside the script

from drawing import (VGA16, FourColours, abacus_scene, blue_palette, brown_palette, four_scene,
                     four_shape, gem_scene, logo_scene, palette_for, quantize, render, skull_scene,
                     sword_scene)
from file_formats import bmp24_file, gif_file, ico_file, ico_image, png_rgba, svg_embossed_shape

ASSETS = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))

# The 16-colour images keep to navy and teal on a black rim; the others use
# deep blues. Only black, navy and teal of the VGA palette may be picked.
VGA_FOUR = FourColours(rim=(0, 0, 0), highlight=(0, 128, 128), body_top=(0, 0, 128),
                       body_bottom=(0, 0, 128), shadow=(0, 0, 70))
VGA_FOUR_ENTRIES = [0, 4, 6]
DEEP_FOUR = FourColours(rim=(8, 12, 42), highlight=(170, 210, 255), body_top=(70, 130, 240),
                        body_bottom=(18, 48, 170), shadow=(6, 18, 85))
BLACK_AND_WHITE = [(0, 0, 0), (255, 255, 255)]

# Theme sizes drawn only for the desktop, smoothly edged since no icon
# format constrains them; 16, 32 and 48 repeat the icon's own images.
SMOOTH_ICON_SIZES = (24, 64, 128, 256)
SCALABLE_ICON_SIZE = 256
# The web page's icons, for browsers that install it as an app: transparent
# ones, and ones on the page's background for launchers that crop the icon
# to their own shape (the "maskable" one keeps the 4 inside the central
# circle of 80 %, which every crop leaves) or fill transparency with black
# (the apple-touch-icon). Supersampling is lighter on the big ones: the
# rendering is pure Python.
PAGE_BACKGROUND = (0xD4, 0xD0, 0xC8)
WEB_ICONS = (("web/icon-192.png", 192, None, 4), ("web/icon-512.png", 512, None, 3),
             ("web/icon-maskable-512.png", 512, 0.22, 3), ("web/apple-touch-icon.png", 180, 0.12, 4))


def indexed_to_rgba(palette, indices, mask):
    return [[(0, 0, 0, 0) if transparent else palette[i] + (255,) for i, transparent in zip(irow, mrow)]
            for irow, mrow in zip(indices, mask)]


def rendered_to_rgba(image):
    """Straight alpha from the coverage; fully transparent pixels are zero."""
    return [[tuple(int(round(c)) for c in (r, g, b)) + (int(round(coverage * 255)),)
             if round(coverage * 255) else (0, 0, 0, 0) for r, g, b, coverage in row] for row in image]


def framed_four(size, margin, colour):
    """The icon's 4 drawn at its own proportions in the middle of a square
    of `size`, `margin` (a fraction of it) left on each side, on `colour`."""
    inner = round(size * (1 - 2 * margin))
    offset = (size - inner) / 2
    scene = four_scene(four_shape(inner), DEEP_FOUR)
    return lambda x, y: scene(x - offset, y - offset) or colour


def app_icon_images():
    """The five images of app.ico, in its order, as (size, palette, indices, mask)."""
    blues = blue_palette()
    vga32 = quantize(render(32, 32, four_scene(four_shape(32), VGA_FOUR)), VGA16, VGA_FOUR_ENTRIES)
    vga16 = quantize(render(16, 16, four_scene(four_shape(16, margin=0.3, outline=1.0), VGA_FOUR), 8),
                     VGA16, VGA_FOUR_ENTRIES)
    blue48 = quantize(render(48, 48, four_scene(four_shape(48), DEEP_FOUR)), blues)
    blue32 = quantize(render(32, 32, four_scene(four_shape(32), DEEP_FOUR)), blues)
    sketch = quantize(render(32, 32, skull_scene()), BLACK_AND_WHITE, [0], threshold=0.4)
    return [(32, VGA16, 4) + vga32, (16, VGA16, 4) + vga16, (48, blues, 8) + blue48,
            (32, blues, 8) + blue32, (32, BLACK_AND_WHITE, 1) + sketch]


def build():
    """Every asset as {path under assets/: bytes}."""
    files = {}
    icon = app_icon_images()
    # The directory's colour count: 16 or 2 for the small palettes, 0 for 256.
    files["app.ico"] = ico_file([(size, size, (1 << bpp) & 0xFF, bpp,
                                  ico_image(size, size, bpp, palette, indices, mask))
                                 for size, palette, bpp, indices, mask in icon])

    _, vga16, blue48, blue32, _ = icon
    for size, palette, _, indices, mask in (vga16, blue32, blue48):
        files["hicolor/%dx%d/bottinaro.png" % (size, size)] = png_rgba(
            size, size, indexed_to_rgba(palette, indices, mask))
    for size in SMOOTH_ICON_SIZES:
        image = render(size, size, four_scene(four_shape(size), DEEP_FOUR), 4)
        files["hicolor/%dx%d/bottinaro.png" % (size, size)] = png_rgba(size, size, rendered_to_rgba(image))
    files["hicolor/scalable/bottinaro.svg"] = svg_embossed_shape(
        SCALABLE_ICON_SIZE, four_shape(SCALABLE_ICON_SIZE), DEEP_FOUR)

    for name, size, margin, supersample in WEB_ICONS:
        if margin is None:
            scene = four_scene(four_shape(size), DEEP_FOUR)
        else:
            scene = framed_four(size, margin, PAGE_BACKGROUND)
        image = render(size, size, scene, supersample)
        files[name] = png_rgba(size, size, rendered_to_rgba(image))

    browns = brown_palette()
    indices, mask = quantize(render(32, 32, abacus_scene()), browns)
    files["cursor.ico"] = ico_file([(32, 32, 0, 8, ico_image(32, 32, 8, browns, indices, mask))])

    # GIF pictures: a palette fitted to each, with white as the transparent key.
    for name, width, height, scene, colours, key in (("gem.gif", 21, 25, gem_scene(), 128, 85),
                                                     ("sword.gif", 40, 81, sword_scene(), 256, 134)):
        image = render(width, height, scene, 4)
        palette, allowed = palette_for(image, colours, key)
        indices, _ = quantize(image, palette, allowed, transparent=key)
        files[name] = gif_file(width, height, palette, indices, key)

    logo = render(113, 127, logo_scene(113, 127))
    files["logo.bmp"] = bmp24_file(113, 127, [[tuple(int(round(c)) for c in px[:3]) for px in row]
                                              for row in logo])
    return files


def main():
    for rel, data in sorted(build().items()):
        path = os.path.join(ASSETS, rel)
        os.makedirs(os.path.dirname(path), exist_ok=True)
        with open(path, "wb") as f:
            f.write(data)
        print("%6d  assets/%s" % (len(data), rel))
    return 0


if __name__ == "__main__":
    sys.exit(main())
