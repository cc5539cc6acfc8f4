# SPDX-License-Identifier: GPL-3.0-or-later
"""The pictures of Bottinaro's assets, drawn procedurally.

Each scene is a function from a point (in pixels, fractions allowed) to a
colour, or None where the picture is transparent; render() supersamples a
scene into rows of (r, g, b, coverage), and quantize() maps those onto a
palette for the indexed file formats. Nothing here knows any file format.
"""

import math
from collections import namedtuple

# ---------------------------------------------------------------- geometry

def nearest_on_segment(px, py, ax, ay, bx, by):
    """Distance from p to segment ab, plus the nearest point on it."""
    dx, dy = bx - ax, by - ay
    ll = dx * dx + dy * dy
    t = 0.0 if ll == 0 else max(0.0, min(1.0, ((px - ax) * dx + (py - ay) * dy) / ll))
    qx, qy = ax + t * dx, ay + t * dy
    return math.hypot(px - qx, py - qy), qx, qy


def inside_contours(x, y, contours):
    """Even-odd fill, so a second contour punches a hole."""
    inside = False
    for c in contours:
        n = len(c)
        for i in range(n):
            x1, y1 = c[i]
            x2, y2 = c[(i + 1) % n]
            if (y1 > y) != (y2 > y):
                if x < x1 + (y - y1) * (x2 - x1) / (y2 - y1):
                    inside = not inside
    return inside


def nearest_on_contours(x, y, contours):
    best = (1e9, x, y)
    for c in contours:
        n = len(c)
        for i in range(n):
            d = nearest_on_segment(x, y, c[i][0], c[i][1], c[(i + 1) % n][0], c[(i + 1) % n][1])
            if d[0] < best[0]:
                best = d
    return best


def nearest_on_polyline(x, y, pts):
    best = (1e9, x, y)
    for i in range(len(pts) - 1):
        d = nearest_on_segment(x, y, pts[i][0], pts[i][1], pts[i + 1][0], pts[i + 1][1])
        if d[0] < best[0]:
            best = d
    return best


def bezier(p0, p1, p2, p3, steps=32):
    out = []
    for i in range(steps + 1):
        t = i / steps
        u = 1 - t
        out.append((u * u * u * p0[0] + 3 * u * u * t * p1[0] + 3 * u * t * t * p2[0] + t * t * t * p3[0],
                    u * u * u * p0[1] + 3 * u * u * t * p1[1] + 3 * u * t * t * p2[1] + t * t * t * p3[1]))
    return out


def catmull_rom(pts, closed=False, steps=8):
    """Smooth a hand-placed point list into a wobbly pen stroke."""
    src = pts + pts[:3] if closed else [pts[0]] + pts + [pts[-1]]
    out = []
    for i in range(len(src) - 3):
        p0, p1, p2, p3 = src[i:i + 4]
        for s in range(steps):
            t = s / steps
            t2, t3 = t * t, t * t * t
            out.append(tuple(0.5 * (2 * p1[k] + (-p0[k] + p2[k]) * t
                                    + (2 * p0[k] - 5 * p1[k] + 4 * p2[k] - p3[k]) * t2
                                    + (-p0[k] + 3 * p1[k] - 3 * p2[k] + p3[k]) * t3) for k in (0, 1)))
    out.append(src[-2])
    return out


def lerp(a, b, t):
    t = max(0.0, min(1.0, t))
    return tuple(a[i] + (b[i] - a[i]) * t for i in range(3))


def hash_unit(ix, iy, seed):
    """Integer hash; Python's own hash() is salted per run, this is not."""
    n = (ix * 374761393 + iy * 668265263 + seed * 982451653) & 0xFFFFFFFF
    n = ((n ^ (n >> 13)) * 1274126177) & 0xFFFFFFFF
    return ((n ^ (n >> 16)) & 0xFFFF) / 65535.0


def value_noise(x, y, seed):
    ix, iy = math.floor(x), math.floor(y)
    fx, fy = x - ix, y - iy
    fx, fy = fx * fx * (3 - 2 * fx), fy * fy * (3 - 2 * fy)
    a = hash_unit(ix, iy, seed)
    b = hash_unit(ix + 1, iy, seed)
    c = hash_unit(ix, iy + 1, seed)
    d = hash_unit(ix + 1, iy + 1, seed)
    return (a + (b - a) * fx) + ((c + (d - c) * fx) - (a + (b - a) * fx)) * fy


def fractal_noise(x, y, seed, octaves=3):
    tot, amp, norm = 0.0, 1.0, 0.0
    for o in range(octaves):
        tot += amp * value_noise(x, y, seed + o * 17)
        norm += amp
        amp *= 0.5
        x, y = x * 2.03, y * 2.03
    return tot / norm


# ----------------------------------------------------------------- raster

def render(width, height, scene, supersample=6):
    """Sample a scene supersample x supersample times per pixel; returns rows
    of (r, g, b, coverage), the colour averaged over the covered samples."""
    rows = []
    step = 1.0 / supersample
    for y in range(height):
        row = []
        for x in range(width):
            r = g = b = 0.0
            covered = 0
            for sy in range(supersample):
                for sx in range(supersample):
                    c = scene(x + (sx + 0.5) * step, y + (sy + 0.5) * step)
                    if c is not None:
                        r += c[0]
                        g += c[1]
                        b += c[2]
                        covered += 1
            if covered:
                row.append((r / covered, g / covered, b / covered, covered / (supersample * supersample)))
            else:
                row.append((0.0, 0.0, 0.0, 0.0))
        rows.append(row)
    return rows


def nearest_colour(palette, rgb, allowed):
    """Index of the allowed palette entry closest to rgb, weighted by luminance."""
    best, best_index = None, 0
    for i in allowed:
        p = palette[i]
        d = (p[0] - rgb[0]) ** 2 * 0.30 + (p[1] - rgb[1]) ** 2 * 0.59 + (p[2] - rgb[2]) ** 2 * 0.11
        if best is None or d < best:
            best, best_index = d, i
    return best_index


def quantize(image, palette, allowed=None, transparent=0, threshold=0.5):
    """Map to palette indices and a transparency mask (1 = transparent);
    masks are binary, so half coverage decides."""
    if allowed is None:
        allowed = [i for i in range(len(palette)) if i != transparent]
    indices, mask = [], []
    cache = {}
    for row in image:
        index_row, mask_row = [], []
        for r, g, b, coverage in row:
            if coverage < threshold:
                index_row.append(transparent)
                mask_row.append(1)
            else:
                key = (round(r), round(g), round(b))
                if key not in cache:
                    cache[key] = nearest_colour(palette, key, allowed)
                index_row.append(cache[key])
                mask_row.append(0)
        indices.append(index_row)
        mask.append(mask_row)
    return indices, mask


def median_cut(colours, count):
    """Deterministic median cut over (rgb, weight) pairs."""
    boxes = [sorted(colours)]
    while len(boxes) < count:
        widest, widest_box, channel = -1, -1, 0
        for i, box in enumerate(boxes):
            if len(box) < 2:
                continue
            for ch in range(3):
                spread = max(c[0][ch] for c in box) - min(c[0][ch] for c in box)
                if spread > widest:
                    widest, widest_box, channel = spread, i, ch
        if widest_box < 0 or widest <= 0:
            break
        box = sorted(boxes[widest_box], key=lambda c: (c[0][channel], c[0]))
        total = sum(c[1] for c in box)
        acc, cut = 0, 1
        for j, c in enumerate(box):
            acc += c[1]
            if acc * 2 >= total:
                cut = max(1, min(len(box) - 1, j + 1))
                break
        boxes[widest_box:widest_box + 1] = [box[:cut], box[cut:]]
    palette = []
    for box in boxes:
        weight = sum(c[1] for c in box)
        palette.append(tuple(int(round(sum(c[0][k] * c[1] for c in box) / weight)) for k in range(3)))
    return sorted(set(palette), key=lambda p: (p[0] * 30 + p[1] * 59 + p[2] * 11, p))


def palette_for(image, size, transparent, threshold=0.5):
    """Fit a palette of `size` entries to the picture, keeping a white key slot."""
    histogram = {}
    for row in image:
        for r, g, b, coverage in row:
            if coverage >= threshold:
                key = (round(r), round(g), round(b))
                histogram[key] = histogram.get(key, 0) + 1
    colours = median_cut(sorted(histogram.items()), size - 1)
    palette = []
    fitted = iter(colours)
    for i in range(size):
        if i == transparent:
            palette.append((255, 255, 255))
        else:
            palette.append(next(fitted, (0, 0, 0)))
    allowed = [i for i in range(len(colours) + 1) if i != transparent]
    return palette, allowed


# --------------------------------------------------------------- palettes

VGA16 = [(0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0),
         (0, 0, 128), (128, 0, 128), (0, 128, 128), (192, 192, 192),
         (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0),
         (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255)]


def blue_palette():
    """VGA colours first (0 stays black for the mask), then a 2-D ramp of blues."""
    stops = [(0, 0, 0), (6, 10, 40), (0, 0, 128), (20, 60, 190), (60, 120, 235),
             (150, 195, 255), (235, 245, 255)]
    palette = list(VGA16)
    steps, saturations = 30, 8
    for i in range(steps):
        t = i / (steps - 1) * (len(stops) - 1)
        k = min(int(t), len(stops) - 2)
        blue = lerp(stops[k], stops[k + 1], t - k)
        grey = sum(blue) / 3.0
        for s in range(saturations):
            f = 1.0 - s / (saturations - 1) * 0.7
            palette.append(tuple(int(round(grey + (c - grey) * f)) for c in blue))
    return palette


def brown_palette():
    """VGA colours, a colour cube for anything stray, and a warm brown ramp."""
    palette = list(VGA16)
    for r in range(6):
        for g in range(6):
            for b in range(6):
                palette.append((r * 51, g * 51, b * 51))
    for i in range(24):
        t = i / 23
        palette.append(tuple(int(round(c)) for c in lerp((30, 15, 4), (215, 165, 105), t)))
    return palette


# ------------------------------------------------------------------ scenes

# The numeral 4 of the application icon, in a unit square: its outline and
# the triangular counter. four_shape() places it in a square of `size` pixels.
FOUR_OUTLINE = [(0.46, 0.00), (0.83, 0.00), (0.83, 0.60), (0.99, 0.60), (0.99, 0.81),
                (0.83, 0.81), (0.83, 1.00), (0.56, 1.00), (0.56, 0.81), (0.01, 0.81),
                (0.01, 0.60)]
FOUR_COUNTER = [(0.56, 0.20), (0.56, 0.60), (0.26, 0.60)]

FourShape = namedtuple("FourShape", "contours top height outline bevel")
FourColours = namedtuple("FourColours", "rim highlight body_top body_bottom shadow")


def four_shape(size, slant=0.24, margin=0.5, outline=None):
    """The slanted 4 fitted inside a margin and its dark rim of `outline` pixels."""
    if outline is None:
        outline = max(1.0, size * 0.042)
    top, bottom = margin + outline, size - margin - outline
    height = bottom - top
    available = size - 2 * (margin + outline)
    width = (available - slant * height) / 0.98
    left = margin + outline - 0.01 * width

    def place(p):
        return (left + p[0] * width + slant * (1 - p[1]) * height, top + p[1] * height)

    contours = [[place(p) for p in FOUR_OUTLINE], [place(p) for p in FOUR_COUNTER]]
    return FourShape(contours, top, height, outline, max(1.0, size * 0.07))


def four_scene(shape, colours):
    """Bold italic '4' with a dark rim and a bevel lit from the top left."""
    contours, top, height, outline, bevel = shape
    xs = [p[0] for c in contours for p in c]
    ys = [p[1] for c in contours for p in c]
    x0, x1 = min(xs) - outline - 1, max(xs) + outline + 1
    y0, y1 = min(ys) - outline - 1, max(ys) + outline + 1

    def sample(x, y):
        if x < x0 or x > x1 or y < y0 or y > y1:
            return None
        d, qx, qy = nearest_on_contours(x, y, contours)
        if inside_contours(x, y, contours):
            base = lerp(colours.body_top, colours.body_bottom, (y - top) / height)
            if d < bevel and d > 1e-6:
                nx, ny = (qx - x) / d, (qy - y) / d
                lit = -(nx + ny) * 0.7071
                w = 1.0 - d / bevel
                if lit > 0:
                    return lerp(base, colours.highlight, lit * w * 1.4)
                return lerp(base, colours.shadow, -lit * w * 1.4)
            return base
        if d <= outline:
            return colours.rim
        return None

    return sample


def skull_scene():
    """Freehand pen sketch of a skull; jitter keeps the line from looking ruled."""
    def wobble(pts, seed, amt=0.35):
        return [(x + (hash_unit(i, 1, seed) - 0.5) * 2 * amt, y + (hash_unit(i, 2, seed) - 0.5) * 2 * amt)
                for i, (x, y) in enumerate(pts)]

    head = wobble([(9.0, 23.0), (5.5, 18.0), (4.8, 12.0), (7.0, 6.5), (11.5, 3.2), (17.0, 2.6),
                   (22.5, 4.0), (26.5, 8.0), (27.6, 13.5), (26.5, 19.0), (23.2, 22.8),
                   (22.5, 27.0), (19.5, 29.2), (15.5, 29.6), (11.5, 28.8), (9.5, 26.5)], 3)
    strokes = [catmull_rom(head, closed=True)]
    for cx, cy, sd in ((11.3, 14.2, 5), (20.8, 14.0, 7)):
        ring = [(cx + 3.0 * math.cos(a * math.pi / 4), cy + 2.7 * math.sin(a * math.pi / 4))
                for a in range(8)]
        strokes.append(catmull_rom(wobble(ring, sd, 0.3), closed=True))
    strokes.append(catmull_rom(wobble([(15.0, 20.8), (16.0, 17.8), (17.2, 20.8)], 9, 0.15)))
    strokes.append(catmull_rom(wobble([(11.0, 24.8), (14.0, 25.3), (17.5, 25.0), (21.0, 24.6)], 11, 0.2)))
    for i, tx in enumerate((13.2, 16.0, 18.8)):
        strokes.append([(tx + 0.3, 23.3), (tx - 0.2, 27.2 + 0.3 * (i % 2))])
    half = 0.62

    def sample(x, y):
        for s in strokes:
            if nearest_on_polyline(x, y, s)[0] <= half:
                return (0, 0, 0)
        return None

    return sample


def abacus_scene():
    """Small abacus near the top-left corner, so the hot spot sits on its frame."""
    x0, y0, x1, y1 = 1.0, 1.0, 23.0, 19.0
    frame_c, frame_hi = (62, 32, 10), (112, 66, 30)
    rod_c = (150, 108, 70)
    bead_top, bead_mid, bead_bot, bead_hi = (150, 90, 42), (104, 56, 20), (70, 36, 12), (196, 140, 84)
    rods = (5.5, 10.5, 15.5)
    beads = {0: (5.5, 10.5, 18.5), 1: (5.5, 13.5, 18.5), 2: (5.5, 10.5, 18.5)}

    def sample(x, y):
        if not (x0 <= x <= x1 and y0 <= y <= y1):
            return None
        if x < x0 + 2 or x > x1 - 2 or y < y0 + 2 or y > y1 - 2:
            return frame_hi if (x < x0 + 1 or y < y0 + 1) and x < x1 - 1 and y < y1 - 1 else frame_c
        for r, ry in enumerate(rods):
            dy = y - ry
            if abs(dy) > 1.5:
                continue
            # side view of a bead: a flat double cone, wide in the middle row
            half = 2.5 if abs(dy) <= 0.5 else 1.5
            for bx in beads[r]:
                dx = x - bx
                if abs(dx) <= half:
                    if dy < -0.5:
                        return bead_top
                    if dy > 0.5:
                        return bead_bot
                    return bead_hi if dx < -1.5 else bead_mid
            if abs(dy) <= 0.5:
                return rod_c
        return None

    return sample


def gem_scene():
    """Dark oval cabochon with purple and yellow tiger's-eye banding."""
    cx, cy, ra, rb = 10.5, 12.5, 9.6, 11.7
    base, purple, yellow = (30, 18, 30), (120, 45, 150), (220, 170, 45)
    rim = (14, 8, 14)

    def sample(x, y):
        u, v = (x - cx) / ra, (y - cy) / rb
        r = math.sqrt(u * u + v * v)
        if r > 1.0:
            return None
        if r > 1.0 - 0.85 / min(ra, rb):
            return rim
        warp = fractal_noise(x * 0.22, y * 0.22, 5)
        band = math.sin((v * 3.6 + u * 1.3 + warp * 3.0) * math.pi)
        band = max(0.0, band) ** 1.2
        pick = fractal_noise(x * 0.18 + 3.1, y * 0.18, 21)
        grain = fractal_noise(x * 0.7, y * 0.7, 40)
        accent = lerp(purple, yellow, (pick - 0.42) * 4.0)
        c = lerp(base, accent, band * 1.1 + (grain - 0.45) * 0.7)
        c = lerp(c, (0, 0, 0), r * r * 0.55)
        # soft sheen, brightest up and to the left
        hx, hy = u + 0.38, v + 0.45
        h = max(0.0, 1.0 - (hx * hx + hy * hy) / 0.09)
        return lerp(c, (255, 245, 230), h * 0.8)

    return sample


def sword_scene():
    """Upright crystal sword, point up, gilded hilt with a knuckle guard."""
    cx = 20.0
    blade = [(cx, 2.0), (cx + 2.6, 8.0), (cx + 3.7, 15.0), (cx + 4.0, 58.0),
             (cx - 4.0, 58.0), (cx - 3.7, 15.0), (cx - 2.6, 8.0)]
    blade_c = [blade]
    guard = ((8.5, 59.5), (31.5, 59.5), 1.9)
    finials = [((7.6, 59.5), 2.4), ((32.4, 59.5), 2.4)]
    grip = ((cx, 62.0), (cx, 72.0), 2.3)
    pommel = ((cx, 76.0), 3.4)
    knuckle = bezier((32.0, 61.5), (37.5, 65.0), (36.5, 75.0), (23.0, 77.0), 40)
    knuckle_r = 1.25
    gold_dark, gold, gold_hi = (105, 66, 8), (212, 166, 44), (255, 240, 170)
    wrap_dark, wrap = (95, 58, 12), (176, 128, 34)
    edge_gold, edge_blade = (70, 42, 6), (92, 108, 140)
    lx, ly, lz = -0.48, -0.62, 0.62
    ln = math.sqrt(lx * lx + ly * ly + lz * lz)
    lx, ly, lz = lx / ln, ly / ln, lz / ln

    def shade(x, y, qx, qy, r, dark, mid, hi):
        vx, vy = (x - qx) / r, (y - qy) / r
        vz = math.sqrt(max(0.0, 1.0 - vx * vx - vy * vy))
        b = max(0.0, vx * lx + vy * ly + vz * lz)
        c = lerp(dark, mid, b * 1.25)
        return lerp(c, hi, max(0.0, b - 0.8) * 5.0)

    def blade_color(x, y):
        d, _, _ = nearest_on_contours(x, y, blade_c)
        half = 4.0 if y > 15 else max(0.3, (y - 2.0) / 13.0 * 4.0)
        t = (x - cx) / half
        if abs(x - cx) < 0.45:
            return (255, 255, 255)
        if d < 0.9:
            return (250, 253, 255) if x < cx else (205, 220, 242)
        if x < cx:
            return lerp((236, 243, 255), (214, 228, 250), -t)
        return lerp((196, 212, 238), (172, 190, 224), t)

    bounds = (4.0, 1.0, 39.0, 80.5)

    def sample(x, y):
        if not (bounds[0] <= x <= bounds[2] and bounds[1] <= y <= bounds[3]):
            return None
        best_edge, best_d = None, 1e9
        # pommel, crossguard, grip, knuckle guard, blade: front to back
        d = math.hypot(x - pommel[0][0], y - pommel[0][1])
        if d <= pommel[1]:
            return shade(x, y, pommel[0][0], pommel[0][1], pommel[1], gold_dark, gold, gold_hi)
        if d - pommel[1] < best_d:
            best_d, best_edge = d - pommel[1], edge_gold
        for (fx, fy), fr in finials:
            d = math.hypot(x - fx, y - fy)
            if d <= fr:
                return shade(x, y, fx, fy, fr, gold_dark, gold, gold_hi)
            if d - fr < best_d:
                best_d, best_edge = d - fr, edge_gold
        d, qx, qy = nearest_on_segment(x, y, guard[0][0], guard[0][1], guard[1][0], guard[1][1])
        if d <= guard[2]:
            return shade(x, y, qx, qy, guard[2], gold_dark, gold, gold_hi)
        if d - guard[2] < best_d:
            best_d, best_edge = d - guard[2], edge_gold
        d, qx, qy = nearest_on_segment(x, y, grip[0][0], grip[0][1], grip[1][0], grip[1][1])
        if d <= grip[2]:
            stripe = ((y - (x - cx) * 0.7) % 2.2) < 0.9
            if stripe:
                return shade(x, y, qx, qy, grip[2], wrap_dark, wrap, gold)
            return shade(x, y, qx, qy, grip[2], gold_dark, gold, gold_hi)
        if d - grip[2] < best_d:
            best_d, best_edge = d - grip[2], edge_gold
        d, qx, qy = nearest_on_polyline(x, y, knuckle)
        if d <= knuckle_r:
            return shade(x, y, qx, qy, knuckle_r, gold_dark, gold, gold_hi)
        if d - knuckle_r < best_d:
            best_d, best_edge = d - knuckle_r, edge_gold
        if 1.0 <= y <= 59.0 and abs(x - cx) < 5.5:
            if inside_contours(x, y, blade_c):
                return blade_color(x, y)
            d = nearest_on_contours(x, y, blade_c)[0]
            if d < best_d:
                best_d, best_edge = d, edge_blade
        if best_d <= 0.75:
            return best_edge
        return None

    return sample


FONT = {
    "Q": [".###.", "#...#", "#...#", "#...#", "#.#.#", "#..#.", ".##.#"],
    "U": ["#...#", "#...#", "#...#", "#...#", "#...#", "#...#", ".###."],
    "A": [".###.", "#...#", "#...#", "#####", "#...#", "#...#", "#...#"],
    "R": ["####.", "#...#", "#...#", "####.", "#.#..", "#..#.", "#...#"],
    "V": ["#...#", "#...#", "#...#", "#...#", "#...#", ".#.#.", "..#.."],
    "E": ["#####", "#....", "#....", "####.", "#....", "#....", "#####"],
    "N": ["#...#", "#...#", "##..#", "#.#.#", "#..##", "#...#", "#...#"],
    "D": ["####.", "#...#", "#...#", "#...#", "#...#", "#...#", "####."],
    "O": [".###.", "#...#", "#...#", "#...#", "#...#", "#...#", ".###."],
}


def logo_scene(w, h):
    """Maker's badge: name above and below a big white star on dark grey."""
    grey, white = (64, 64, 64), (255, 255, 255)
    text, scale, gap = "QUARVENDO", 2, 2
    text_width = len(text) * 5 * scale + (len(text) - 1) * gap
    text_left = (w - text_width) // 2
    text_height = 7 * scale
    lit = set()
    for text_top in (6, h - 6 - text_height):
        for n, ch in enumerate(text):
            glyph_left = text_left + n * (5 * scale + gap)
            for r, line in enumerate(FONT[ch]):
                for c, bit in enumerate(line):
                    if bit == "#":
                        for dy in range(scale):
                            for dx in range(scale):
                                lit.add((glyph_left + c * scale + dx, text_top + r * scale + dy))
    outer_r = 39.0
    inner_r = outer_r * 0.382
    # centre the star's bounding box between the two lines of text
    mid = h / 2.0
    star_y = mid + outer_r * (1 - math.cos(math.pi / 5)) / 2
    star_x = w / 2.0
    star = []
    for i in range(10):
        a = -math.pi / 2 + i * math.pi / 5
        radius = outer_r if i % 2 == 0 else inner_r
        star.append((star_x + radius * math.cos(a), star_y + radius * math.sin(a)))

    def sample(x, y):
        if (int(x), int(y)) in lit:
            return white
        if inside_contours(x, y, [star]):
            return white
        return grey

    return sample

