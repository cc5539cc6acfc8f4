#!/usr/bin/env python3
"""Draw Bottinaro's binary assets (icons, cursor, pictures, logo) into assets/.

Everything is drawn procedurally with the standard library only, so the
pictures can be rebuilt anywhere and always come out byte-identical.
Run from anywhere: python3 tools/make_assets.py
"""

import math
import os
import struct
import sys
import zlib

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
ASSETS = os.path.join(ROOT, "assets")


# ---------------------------------------------------------------- geometry

def seg_nearest(px, py, ax, ay, bx, by):
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


def contours_nearest(x, y, contours):
    best = (1e9, x, y)
    for c in contours:
        n = len(c)
        for i in range(n):
            d = seg_nearest(x, y, c[i][0], c[i][1], c[(i + 1) % n][0], c[(i + 1) % n][1])
            if d[0] < best[0]:
                best = d
    return best


def polyline_nearest(x, y, pts):
    best = (1e9, x, y)
    for i in range(len(pts) - 1):
        d = seg_nearest(x, y, pts[i][0], pts[i][1], pts[i + 1][0], pts[i + 1][1])
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


def hash01(ix, iy, seed):
    """Integer hash; Python's own hash() is salted per run, this is not."""
    n = (ix * 374761393 + iy * 668265263 + seed * 982451653) & 0xFFFFFFFF
    n = ((n ^ (n >> 13)) * 1274126177) & 0xFFFFFFFF
    return ((n ^ (n >> 16)) & 0xFFFF) / 65535.0


def vnoise(x, y, seed):
    ix, iy = math.floor(x), math.floor(y)
    fx, fy = x - ix, y - iy
    fx, fy = fx * fx * (3 - 2 * fx), fy * fy * (3 - 2 * fy)
    a = hash01(ix, iy, seed)
    b = hash01(ix + 1, iy, seed)
    c = hash01(ix, iy + 1, seed)
    d = hash01(ix + 1, iy + 1, seed)
    return (a + (b - a) * fx) + ((c + (d - c) * fx) - (a + (b - a) * fx)) * fy


def fbm(x, y, seed, octaves=3):
    tot, amp, norm = 0.0, 1.0, 0.0
    for o in range(octaves):
        tot += amp * vnoise(x, y, seed + o * 17)
        norm += amp
        amp *= 0.5
        x, y = x * 2.03, y * 2.03
    return tot / norm


# ----------------------------------------------------------------- raster

def render(w, h, sample, ss=6):
    """Supersample a scene; returns rows of (r, g, b, coverage)."""
    img = []
    inv = 1.0 / ss
    for y in range(h):
        row = []
        for x in range(w):
            r = g = b = 0.0
            n = 0
            for sy in range(ss):
                for sx in range(ss):
                    c = sample(x + (sx + 0.5) * inv, y + (sy + 0.5) * inv)
                    if c is not None:
                        r += c[0]
                        g += c[1]
                        b += c[2]
                        n += 1
            if n:
                row.append((r / n, g / n, b / n, n / (ss * ss)))
            else:
                row.append((0.0, 0.0, 0.0, 0.0))
        img.append(row)
    return img


def nearest(palette, rgb, allowed):
    best, bi = None, 0
    for i in allowed:
        p = palette[i]
        d = (p[0] - rgb[0]) ** 2 * 0.30 + (p[1] - rgb[1]) ** 2 * 0.59 + (p[2] - rgb[2]) ** 2 * 0.11
        if best is None or d < best:
            best, bi = d, i
    return bi


def quantize(img, palette, allowed=None, transparent=0, threshold=0.5):
    """Map to palette indices; masks are binary, so half coverage decides."""
    if allowed is None:
        allowed = [i for i in range(len(palette)) if i != transparent]
    idx, mask = [], []
    cache = {}
    for row in img:
        ir, mr = [], []
        for r, g, b, a in row:
            if a < threshold:
                ir.append(transparent)
                mr.append(1)
            else:
                key = (round(r), round(g), round(b))
                if key not in cache:
                    cache[key] = nearest(palette, key, allowed)
                ir.append(cache[key])
                mr.append(0)
        idx.append(ir)
        mask.append(mr)
    return idx, mask


def median_cut(colors, count):
    """Deterministic median cut over (rgb, weight) pairs."""
    boxes = [sorted(colors)]
    while len(boxes) < count:
        best, bi, bch = -1, -1, 0
        for i, box in enumerate(boxes):
            if len(box) < 2:
                continue
            for ch in range(3):
                rng = max(c[0][ch] for c in box) - min(c[0][ch] for c in box)
                if rng > best:
                    best, bi, bch = rng, i, ch
        if bi < 0 or best <= 0:
            break
        box = sorted(boxes[bi], key=lambda c: (c[0][bch], c[0]))
        total = sum(c[1] for c in box)
        acc, cut = 0, 1
        for j, c in enumerate(box):
            acc += c[1]
            if acc * 2 >= total:
                cut = max(1, min(len(box) - 1, j + 1))
                break
        boxes[bi:bi + 1] = [box[:cut], box[cut:]]
    pal = []
    for box in boxes:
        tw = sum(c[1] for c in box)
        pal.append(tuple(int(round(sum(c[0][k] * c[1] for c in box) / tw)) for k in range(3)))
    return sorted(set(pal), key=lambda p: (p[0] * 30 + p[1] * 59 + p[2] * 11, p))


def palette_for(img, size, transparent, threshold=0.5):
    """Fit a palette of `size` entries to the picture, keeping a white key slot."""
    hist = {}
    for row in img:
        for r, g, b, a in row:
            if a >= threshold:
                k = (round(r), round(g), round(b))
                hist[k] = hist.get(k, 0) + 1
    cols = median_cut(sorted(hist.items()), size - 1)
    pal = []
    it = iter(cols)
    for i in range(size):
        if i == transparent:
            pal.append((255, 255, 255))
        else:
            pal.append(next(it, (0, 0, 0)))
    allowed = [i for i in range(len(cols) + 1) if i != transparent]
    return pal, allowed


# --------------------------------------------------------------- palettes

VGA16 = [(0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0),
         (0, 0, 128), (128, 0, 128), (0, 128, 128), (192, 192, 192),
         (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0),
         (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255)]


def blue_palette():
    """VGA colours first (0 stays black for the mask), then a 2-D ramp of blues."""
    stops = [(0, 0, 0), (6, 10, 40), (0, 0, 128), (20, 60, 190), (60, 120, 235),
             (150, 195, 255), (235, 245, 255)]
    pal = list(VGA16)
    steps, sats = 30, 8
    for i in range(steps):
        t = i / (steps - 1) * (len(stops) - 1)
        k = min(int(t), len(stops) - 2)
        blue = lerp(stops[k], stops[k + 1], t - k)
        grey = sum(blue) / 3.0
        for s in range(sats):
            f = 1.0 - s / (sats - 1) * 0.7
            pal.append(tuple(int(round(grey + (c - grey) * f)) for c in blue))
    assert len(pal) == 256
    return pal


def brown_palette():
    """VGA colours, a colour cube for anything stray, and a warm brown ramp."""
    pal = list(VGA16)
    for r in range(6):
        for g in range(6):
            for b in range(6):
                pal.append((r * 51, g * 51, b * 51))
    for i in range(24):
        t = i / 23
        pal.append(tuple(int(round(c)) for c in lerp((30, 15, 4), (215, 165, 105), t)))
    assert len(pal) == 256
    return pal


# ------------------------------------------------------------------ pictures

def four_scene(size, slant=0.24, margin=None, outline=None, colors=None):
    """Bold italic '4' with a dark rim and a bevel lit from the top left."""
    if margin is None:
        margin = 0.5
    if outline is None:
        outline = max(1.0, size * 0.042)
    outer = [(0.46, 0.00), (0.83, 0.00), (0.83, 0.60), (0.99, 0.60), (0.99, 0.81),
             (0.83, 0.81), (0.83, 1.00), (0.56, 1.00), (0.56, 0.81), (0.01, 0.81),
             (0.01, 0.60)]
    hole = [(0.56, 0.20), (0.56, 0.60), (0.26, 0.60)]
    top, bottom = margin + outline, size - margin - outline
    hgt = bottom - top
    wid_avail = size - 2 * (margin + outline)
    wid = (wid_avail - slant * hgt) / 0.98
    left = margin + outline - 0.01 * wid

    def tf(p):
        return (left + p[0] * wid + slant * (1 - p[1]) * hgt, top + p[1] * hgt)

    contours = [[tf(p) for p in outer], [tf(p) for p in hole]]
    xs = [p[0] for c in contours for p in c]
    ys = [p[1] for c in contours for p in c]
    bx0, bx1 = min(xs) - outline - 1, max(xs) + outline + 1
    by0, by1 = min(ys) - outline - 1, max(ys) + outline + 1
    bevel = max(1.0, size * 0.07)
    rim, hi, body_top, body_bot, lo = colors

    def sample(x, y):
        if x < bx0 or x > bx1 or y < by0 or y > by1:
            return None
        d, qx, qy = contours_nearest(x, y, contours)
        if inside_contours(x, y, contours):
            base = lerp(body_top, body_bot, (y - top) / hgt)
            if d < bevel and d > 1e-6:
                nx, ny = (qx - x) / d, (qy - y) / d
                lit = -(nx + ny) * 0.7071
                w = 1.0 - d / bevel
                if lit > 0:
                    return lerp(base, hi, lit * w * 1.4)
                return lerp(base, lo, -lit * w * 1.4)
            return base
        if d <= outline:
            return rim
        return None

    return sample


def skull_scene():
    """Freehand pen sketch of a skull; jitter keeps the line from looking ruled."""
    def wobble(pts, seed, amt=0.35):
        return [(x + (hash01(i, 1, seed) - 0.5) * 2 * amt, y + (hash01(i, 2, seed) - 0.5) * 2 * amt)
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
            if polyline_nearest(x, y, s)[0] <= half:
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
        warp = fbm(x * 0.22, y * 0.22, 5)
        band = math.sin((v * 3.6 + u * 1.3 + warp * 3.0) * math.pi)
        band = max(0.0, band) ** 1.2
        pick = fbm(x * 0.18 + 3.1, y * 0.18, 21)
        grain = fbm(x * 0.7, y * 0.7, 40)
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
        d, _, _ = contours_nearest(x, y, blade_c)
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
        d, qx, qy = seg_nearest(x, y, guard[0][0], guard[0][1], guard[1][0], guard[1][1])
        if d <= guard[2]:
            return shade(x, y, qx, qy, guard[2], gold_dark, gold, gold_hi)
        if d - guard[2] < best_d:
            best_d, best_edge = d - guard[2], edge_gold
        d, qx, qy = seg_nearest(x, y, grip[0][0], grip[0][1], grip[1][0], grip[1][1])
        if d <= grip[2]:
            stripe = ((y - (x - cx) * 0.7) % 2.2) < 0.9
            if stripe:
                return shade(x, y, qx, qy, grip[2], wrap_dark, wrap, gold)
            return shade(x, y, qx, qy, grip[2], gold_dark, gold, gold_hi)
        if d - grip[2] < best_d:
            best_d, best_edge = d - grip[2], edge_gold
        d, qx, qy = polyline_nearest(x, y, knuckle)
        if d <= knuckle_r:
            return shade(x, y, qx, qy, knuckle_r, gold_dark, gold, gold_hi)
        if d - knuckle_r < best_d:
            best_d, best_edge = d - knuckle_r, edge_gold
        if 1.0 <= y <= 59.0 and abs(x - cx) < 5.5:
            if inside_contours(x, y, blade_c):
                return blade_color(x, y)
            d = contours_nearest(x, y, blade_c)[0]
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
    tw = len(text) * 5 * scale + (len(text) - 1) * gap
    tx = (w - tw) // 2
    th = 7 * scale
    lit = set()
    for ty in (6, h - 6 - th):
        for n, ch in enumerate(text):
            gx = tx + n * (5 * scale + gap)
            for r, line in enumerate(FONT[ch]):
                for c, bit in enumerate(line):
                    if bit == "#":
                        for dy in range(scale):
                            for dx in range(scale):
                                lit.add((gx + c * scale + dx, ty + r * scale + dy))
    outer_r = 39.0
    inner_r = outer_r * 0.382
    # centre the star's bounding box between the two lines of text
    mid = h / 2.0
    scy = mid + outer_r * (1 - math.cos(math.pi / 5)) / 2
    scx = w / 2.0
    star = []
    for i in range(10):
        a = -math.pi / 2 + i * math.pi / 5
        rr = outer_r if i % 2 == 0 else inner_r
        star.append((scx + rr * math.cos(a), scy + rr * math.sin(a)))

    def sample(x, y):
        if (int(x), int(y)) in lit:
            return white
        if inside_contours(x, y, [star]):
            return white
        return grey

    return sample, tw


# ---------------------------------------------------------------- encoders

def ico_image(width, height, bpp, palette, idx, mask):
    """One classic DIB icon image: header, palette, XOR rows, AND rows (bottom-up)."""
    xor_stride = ((width * bpp + 31) // 32) * 4
    and_stride = ((width + 31) // 32) * 4
    xor = bytearray()
    andm = bytearray()
    for y in range(height - 1, -1, -1):
        row = bytearray(xor_stride)
        for x in range(width):
            v = idx[y][x]
            if bpp == 8:
                row[x] = v
            elif bpp == 4:
                row[x >> 1] |= v << (4 if x % 2 == 0 else 0)
            elif bpp == 1:
                row[x >> 3] |= (v & 1) << (7 - (x & 7))
        xor += row
        mrow = bytearray(and_stride)
        for x in range(width):
            if mask[y][x]:
                mrow[x >> 3] |= 1 << (7 - (x & 7))
        andm += mrow
    hdr = struct.pack("<IiiHHIIiiII", 40, width, height * 2, 1, bpp, 0,
                      len(xor) + len(andm), 0, 0, 0, 0)
    pal = bytearray()
    for r, g, b in palette:
        pal += bytes((b, g, r, 0))
    assert len(palette) == 1 << bpp
    return hdr + bytes(pal) + bytes(xor) + bytes(andm)


def ico_file(images):
    """images: list of (width, height, colour_count, bpp, data)."""
    out = bytearray(struct.pack("<HHH", 0, 1, len(images)))
    offset = 6 + 16 * len(images)
    for w, h, cc, bpp, data in images:
        out += struct.pack("<BBBBHHII", w & 0xFF, h & 0xFF, cc, 0, 1, bpp, len(data), offset)
        offset += len(data)
    for img in images:
        out += img[4]
    return bytes(out)


def lzw_encode(indices, min_size):
    clear, eoi = 1 << min_size, (1 << min_size) + 1
    out = bytearray()
    acc = nbits = 0

    def emit(code, size):
        nonlocal acc, nbits
        acc |= code << nbits
        nbits += size
        while nbits >= 8:
            out.append(acc & 0xFF)
            acc >>= 8
            nbits -= 8

    size, nxt, table = min_size + 1, eoi + 1, {}
    emit(clear, size)
    prefix = indices[0]
    for k in indices[1:]:
        key = (prefix, k)
        if key in table:
            prefix = table[key]
            continue
        emit(prefix, size)
        if nxt == 4096:
            # table full: start over rather than keep a stale dictionary
            emit(clear, size)
            size, nxt, table = min_size + 1, eoi + 1, {}
        else:
            if nxt == (1 << size):
                size += 1
            table[key] = nxt
            nxt += 1
        prefix = k
    emit(prefix, size)
    # the decoder adds one more entry after the last code; follow its width
    if nxt == (1 << size) and size < 12:
        size += 1
    emit(eoi, size)
    if nbits:
        out.append(acc & 0xFF)
    return bytes(out)


def lzw_decode(data, min_size):
    clear, eoi = 1 << min_size, (1 << min_size) + 1
    pos = acc = nbits = 0
    size = min_size + 1
    table = [[i] for i in range(clear)] + [None, None]
    prev = None
    out = []
    while True:
        while nbits < size:
            if pos >= len(data):
                raise ValueError("LZW stream ended without end code")
            acc |= data[pos] << nbits
            pos += 1
            nbits += 8
        code = acc & ((1 << size) - 1)
        acc >>= size
        nbits -= size
        if code == clear:
            table = table[:eoi + 1]
            size = min_size + 1
            prev = None
            continue
        if code == eoi:
            return out
        if prev is None:
            out += table[code]
            prev = code
            continue
        if code < len(table):
            entry = table[code]
        elif code == len(table):
            entry = table[prev] + [table[prev][0]]
        else:
            raise ValueError("bad LZW code")
        out += entry
        if len(table) < 4096:
            table.append(table[prev] + [entry[0]])
            if len(table) == (1 << size) and size < 12:
                size += 1
        prev = code


def gif_file(width, height, palette, idx, transparent):
    bits = max(1, (len(palette) - 1).bit_length())
    assert len(palette) == 1 << bits
    min_size = max(2, bits)
    out = bytearray(b"GIF89a")
    out += struct.pack("<HHBBB", width, height, 0x80 | (7 << 4) | (bits - 1), transparent, 0)
    for c in palette:
        out += bytes(c)
    out += bytes((0x21, 0xF9, 4, 0x01, 0, 0, transparent, 0))
    out += struct.pack("<BHHHHB", 0x2C, 0, 0, width, height, 0)
    flat = [v for row in idx for v in row]
    data = lzw_encode(flat, min_size)
    out.append(min_size)
    for i in range(0, len(data), 255):
        chunk = data[i:i + 255]
        out.append(len(chunk))
        out += chunk
    out.append(0)
    out.append(0x3B)
    return bytes(out)


def bmp24_file(width, height, pixels):
    stride = (width * 3 + 3) & ~3
    body = bytearray()
    for y in range(height - 1, -1, -1):
        row = bytearray()
        for r, g, b in pixels[y]:
            row += bytes((b, g, r))
        row += bytes(stride - len(row))
        body += row
    hdr = struct.pack("<2sIHHI", b"BM", 54 + len(body), 0, 0, 54)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0, len(body), 2835, 2835, 0, 0)
    return hdr + info + bytes(body)


def png_chunk(kind, data):
    return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF)


def png_rgba(width, height, rgba_rows):
    raw = bytearray()
    for row in rgba_rows:
        raw.append(0)
        for px in row:
            raw += bytes(px)
    return (b"\x89PNG\r\n\x1a\n"
            + png_chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0))
            + png_chunk(b"IDAT", zlib.compress(bytes(raw), 9))
            + png_chunk(b"IEND", b""))


def icon_rgba(palette, idx, mask):
    return [[(0, 0, 0, 0) if m else palette[i] + (255,) for i, m in zip(ir, mr)]
            for ir, mr in zip(idx, mask)]


# ------------------------------------------------------------------- build

def write(rel, data):
    path = os.path.join(ASSETS, rel)
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb") as f:
        f.write(data)
    return path


def build():
    files = {}
    blues = blue_palette()

    # 16-colour images keep to navy and teal on a black rim
    vga_cols = ((0, 0, 0), (0, 128, 128), (0, 0, 128), (0, 0, 128), (0, 0, 70))
    vga_allowed = [0, 4, 6]
    deep_cols = ((8, 12, 42), (170, 210, 255), (70, 130, 240), (18, 48, 170), (6, 18, 85))

    s32 = render(32, 32, four_scene(32, colors=vga_cols))
    i32_4, m32_4 = quantize(s32, VGA16, vga_allowed)
    s16 = render(16, 16, four_scene(16, margin=0.3, outline=1.0, colors=vga_cols), ss=8)
    i16_4, m16_4 = quantize(s16, VGA16, vga_allowed)
    d48 = render(48, 48, four_scene(48, colors=deep_cols))
    i48_8, m48_8 = quantize(d48, blues)
    d32 = render(32, 32, four_scene(32, colors=deep_cols))
    i32_8, m32_8 = quantize(d32, blues)
    mono = render(32, 32, skull_scene())
    i32_1, m32_1 = quantize(mono, [(0, 0, 0), (255, 255, 255)], [0], threshold=0.4)

    images = [
        (32, 32, 16, 4, ico_image(32, 32, 4, VGA16, i32_4, m32_4)),
        (16, 16, 16, 4, ico_image(16, 16, 4, VGA16, i16_4, m16_4)),
        (48, 48, 0, 8, ico_image(48, 48, 8, blues, i48_8, m48_8)),
        (32, 32, 0, 8, ico_image(32, 32, 8, blues, i32_8, m32_8)),
        (32, 32, 2, 1, ico_image(32, 32, 1, [(0, 0, 0), (255, 255, 255)], i32_1, m32_1)),
    ]
    files["app.ico"] = write("app.ico", ico_file(images))

    files["hicolor/16x16/bottinaro.png"] = write(
        "hicolor/16x16/bottinaro.png", png_rgba(16, 16, icon_rgba(VGA16, i16_4, m16_4)))
    files["hicolor/32x32/bottinaro.png"] = write(
        "hicolor/32x32/bottinaro.png", png_rgba(32, 32, icon_rgba(blues, i32_8, m32_8)))
    files["hicolor/48x48/bottinaro.png"] = write(
        "hicolor/48x48/bottinaro.png", png_rgba(48, 48, icon_rgba(blues, i48_8, m48_8)))

    browns = brown_palette()
    cur = render(32, 32, abacus_scene())
    ic, mc = quantize(cur, browns)
    files["cursor.ico"] = write("cursor.ico", ico_file([(32, 32, 0, 8, ico_image(32, 32, 8, browns, ic, mc))]))

    gem = render(21, 25, gem_scene(), ss=4)
    gpal, gallowed = palette_for(gem, 128, 85)
    gidx, _ = quantize(gem, gpal, gallowed, transparent=85)
    files["gem.gif"] = write("gem.gif", gif_file(21, 25, gpal, gidx, 85))

    sword = render(40, 81, sword_scene(), ss=4)
    spal, sallowed = palette_for(sword, 256, 134)
    sidx, _ = quantize(sword, spal, sallowed, transparent=134)
    files["sword.gif"] = write("sword.gif", gif_file(40, 81, spal, sidx, 134))

    logo_sample, text_w = logo_scene(113, 127)
    logo = render(113, 127, logo_sample, ss=6)
    logo_px = [[tuple(int(round(c)) for c in px[:3]) for px in row] for row in logo]
    files["logo.bmp"] = write("logo.bmp", bmp24_file(113, 127, logo_px))

    return files, {"gem.gif": gidx, "sword.gif": sidx}, text_w


# ------------------------------------------------------------------ checks

FAILURES = []


def check(cond, msg):
    if not cond:
        FAILURES.append(msg)


def verify_ico(path, expect):
    data = open(path, "rb").read()
    total = 6 + 16 * len(expect) + sum(e[4] for e in expect)
    check(len(data) == total, "%s: %d bytes, want %d" % (path, len(data), total))
    reserved, kind, count = struct.unpack_from("<HHH", data, 0)
    check((reserved, kind, count) == (0, 1, len(expect)), "%s: bad icon header" % path)
    offset = 6 + 16 * len(expect)
    for n, (w, h, cc, bpp, size) in enumerate(expect):
        ew, eh, ecc, res, planes, ebpp, esize, eoff = struct.unpack_from("<BBBBHHII", data, 6 + 16 * n)
        check((ew, eh, ecc, res, planes, ebpp, esize, eoff) == (w, h, cc, 0, 1, bpp, size, offset),
              "%s: directory entry %d wrong" % (path, n))
        hsz, bw, bh, bp, bb, comp, simg = struct.unpack_from("<IiiHHII", data, offset)
        xor = ((w * bpp + 31) // 32) * 4 * h
        andm = ((w + 31) // 32) * 4 * h
        check((hsz, bw, bh, bp, bb, comp) == (40, w, 2 * h, 1, bpp, 0), "%s: image %d header" % (path, n))
        check(simg == xor + andm, "%s: image %d size field" % (path, n))
        check(40 + 4 * (1 << bpp) + xor + andm == size, "%s: image %d byte count" % (path, n))
        # every image must be partly transparent and partly drawn
        mask = data[offset + 40 + 4 * (1 << bpp) + xor: offset + size]
        stride = ((w + 31) // 32) * 4
        bits = [(mask[r * stride + (x >> 3)] >> (7 - (x & 7))) & 1 for r in range(h) for x in range(w)]
        check(0 < sum(bits) < w * h, "%s: image %d mask is blank or full" % (path, n))
        offset += size


def verify_gif(path, w, h, ncolors, transparent, idx):
    data = open(path, "rb").read()
    check(data[:6] == b"GIF89a", "%s: not GIF89a" % path)
    gw, gh, packed, bg, ratio = struct.unpack_from("<HHBBB", data, 6)
    check((gw, gh) == (w, h), "%s: size %dx%d" % (path, gw, gh))
    check(packed & 0x80 and 2 << (packed & 7) == ncolors, "%s: global palette size" % path)
    pal_end = 13 + 3 * ncolors
    tr = data[13 + 3 * transparent: 16 + 3 * transparent]
    check(tr == b"\xff\xff\xff", "%s: transparent entry is not white" % path)
    gce = data[pal_end:pal_end + 8]
    check(gce[:3] == b"\x21\xf9\x04" and gce[3] & 1 and gce[6] == transparent and gce[7] == 0,
          "%s: graphic control extension" % path)
    p = pal_end + 8
    tag, x0, y0, iw, ih, ipk = struct.unpack_from("<BHHHHB", data, p)
    check((tag, x0, y0, iw, ih, ipk) == (0x2C, 0, 0, w, h, 0), "%s: image descriptor" % path)
    p += 10
    min_size = data[p]
    check(min_size == (ncolors - 1).bit_length(), "%s: LZW minimum code size %d" % (path, min_size))
    p += 1
    stream = bytearray()
    while data[p]:
        stream += data[p + 1:p + 1 + data[p]]
        p += 1 + data[p]
    p += 1
    check(data[p:] == b"\x3b", "%s: trailer" % path)
    try:
        pixels = lzw_decode(bytes(stream), min_size)
    except (ValueError, IndexError) as e:
        check(False, "%s: LZW round trip failed: %s" % (path, e))
        return
    check(pixels == [v for row in idx for v in row], "%s: LZW round trip mismatch" % path)
    check(transparent in pixels and any(v != transparent for v in pixels), "%s: no drawing" % path)


def verify_bmp(path, w, h):
    data = open(path, "rb").read()
    stride = (w * 3 + 3) & ~3
    check(len(data) == 54 + stride * h, "%s: %d bytes" % (path, len(data)))
    sig, fsize, _, _, off = struct.unpack_from("<2sIHHI", data, 0)
    hsz, bw, bh, planes, bpp, comp, simg = struct.unpack_from("<IiiHHII", data, 14)
    check((sig, fsize, off) == (b"BM", len(data), 54), "%s: file header" % path)
    check((hsz, bw, bh, planes, bpp, comp, simg) == (40, w, h, 1, 24, 0, stride * h), "%s: info header" % path)


def verify_png(path, w, h):
    data = open(path, "rb").read()
    check(data[:8] == b"\x89PNG\r\n\x1a\n", "%s: signature" % path)
    p, idat, seen = 8, b"", []
    while p < len(data):
        ln, = struct.unpack_from(">I", data, p)
        kind = data[p + 4:p + 8]
        body = data[p + 8:p + 8 + ln]
        crc, = struct.unpack_from(">I", data, p + 8 + ln)
        check(crc == zlib.crc32(kind + body) & 0xFFFFFFFF, "%s: CRC of %r" % (path, kind))
        seen.append(kind)
        if kind == b"IHDR":
            check(struct.unpack(">IIBBBBB", body) == (w, h, 8, 6, 0, 0, 0), "%s: IHDR" % path)
        if kind == b"IDAT":
            idat += body
        p += 12 + ln
    check(seen == [b"IHDR", b"IDAT", b"IEND"], "%s: chunk order" % path)
    check(len(zlib.decompress(idat)) == h * (1 + 4 * w), "%s: pixel data length" % path)


def main():
    files, gif_idx, text_w = build()
    verify_ico(files["app.ico"], [(32, 32, 16, 4, 744), (16, 16, 16, 4, 296), (48, 48, 0, 8, 3752),
                                  (32, 32, 0, 8, 2216), (32, 32, 2, 1, 304)])
    check(os.path.getsize(files["app.ico"]) == 7398, "app.ico is not 7398 bytes")
    verify_ico(files["cursor.ico"], [(32, 32, 0, 8, 2216)])
    check(os.path.getsize(files["cursor.ico"]) == 2238, "cursor.ico is not 2238 bytes")
    verify_gif(files["gem.gif"], 21, 25, 128, 85, gif_idx["gem.gif"])
    verify_gif(files["sword.gif"], 40, 81, 256, 134, gif_idx["sword.gif"])
    verify_bmp(files["logo.bmp"], 113, 127)
    check(text_w <= 113 - 4, "logo lettering does not fit")
    for s in (16, 32, 48):
        verify_png(files["hicolor/%dx%d/bottinaro.png" % (s, s)], s, s)
    for msg in FAILURES:
        print("make_assets: " + msg, file=sys.stderr)
    if FAILURES:
        return 1
    for rel in sorted(files):
        print("%6d  assets/%s" % (os.path.getsize(files[rel]), rel))
    return 0


if __name__ == "__main__":
    sys.exit(main())
