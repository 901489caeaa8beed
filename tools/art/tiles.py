"""The tile sheet bgv.bmp: 8 x 20 tiles of 32 x 32, codes 0..159.

Every tile is a recipe: a material texture, which of its edges face open space, and
decorations. The catalogue (CATALOGUE) names each code's recipe; docs/TILES.md describes it.
"""

import functools
import math
import os
import sys

sys.path.insert(0, os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
import tile_classes  # noqa: E402

from lib import Canvas, C, rshade, ramp, fbm, vnoise, hash2, dith, Rng
from draw import stroke, shaded_disc, vgrad

T = 32

# ------------------------------------------------------------------ textures


@functools.lru_cache(maxsize=64)
def facets(seed, cells=3):
    """Stone chunks that repeat every tile: for each pixel (edge 0..1, chunk id). A jittered
    point per cell of a cells x cells grid; edge is how close the pixel lies to the border
    between its nearest two points (1 inside a chunk, 0 on the crack)."""
    step = T / cells
    pts = []
    for j in range(cells):
        for i in range(cells):
            pts.append(((i + 0.2 + 0.6 * hash2(i, j, seed)) * step, (j + 0.2 + 0.6 * hash2(i, j, seed + 1)) * step))
    out = []
    for y in range(T):
        for x in range(T):
            best = []
            for k, (px, py) in enumerate(pts):
                for ox in (-T, 0, T):
                    for oy in (-T, 0, T):
                        best.append((math.hypot(x + 0.5 - px - ox, y + 0.5 - py - oy), k))
            best.sort()
            (d1, k1), (d2, _) = best[0], best[1]
            out.append((min(1.0, (d2 - d1) / 3.0), k1, d1 / step))
    return tuple(out)


@functools.lru_cache(maxsize=8)
def leaves(seed):
    """Foliage that repeats every tile: three layers of pointed leaves, dark behind, lit in
    front, each leaf with a lit upper side and a darker midrib."""
    px = [C('leaf0') if dith(x, y) < 0.5 else C('leaf1') for y in range(T) for x in range(T)]
    rng = Rng(4300 + seed)
    for layer, (count, lo) in enumerate(((26, 0.06), (22, 0.14), (14, 0.25))):
        for _ in range(count):
            cx, cy = rng.rand() * T, rng.rand() * T
            a = rng.rand() * math.pi
            ln, wd = 4.5 + rng.rand() * 2, 2.2 + rng.rand() * 0.8
            ca, sa = math.cos(a), math.sin(a)
            for yy in range(-7, 8):
                for xx in range(-7, 8):
                    u = (xx * ca + yy * sa) / ln
                    w = (-xx * sa + yy * ca) / wd
                    if abs(u) > 1 or abs(w) > (1 - u * u) ** 0.5 * (1.15 - abs(u) * 0.4):
                        continue
                    lit = 0.5 - (xx * 0.6 + yy * 0.8) / 14 + (0.15 if w < 0 else 0)
                    c = rshade('leaf', lo + lit * 0.22)
                    if abs(w) < 0.18 and abs(u) < 0.8:
                        c = rshade('leaf', lo + 0.02)
                    px[int(cy + yy) % T * T + int(cx + xx) % T] = c
    return tuple(px)


def tex(name, x, y, seed):
    """Material texture: palette index at tile pixel (x, y)."""
    d = (dith(x, y) - 0.5)
    if name == 'rock':
        # Grey-blue cave rock in chunks. Solid rock keeps above the shades of the cave walls
        # behind (rockbg): a lone cell of it, such as a struck strike block, still reads as
        # rock in front, not as the wall.
        edge, k, r = facets(7, 3)[y * T + x]
        n = fbm(x, y, 8, seed, 2, wrap=32)
        v = 0.3 + hash2(k, 0, 7) * 0.16 + n * 0.2 - r * 0.1 + d * 0.12
        if edge < 0.22:
            v = 0.24
        return rshade('stone', max(v, 0.24))
    if name == 'rockbg':
        # dark slate of the caves, faint chunks
        edge, k, r = facets(11, 2)[y * T + x]
        n = fbm(x, y, 8, seed, 3, wrap=32)
        v = 0.05 + n * 0.15 + hash2(k, 1, 11) * 0.06 + d * 0.08
        if edge < 0.3:
            v = 0.02
        return rshade('night', v * 1.1 + 0.05) if hash2(k, 12, 11) > 0.5 else rshade('stone', min(v, 0.2))
    if name == 'minebg':
        # the slate of the mine's walls: the cave wall with warm earth packed into its cracks,
        # so it mixes cell by cell with the plain wall
        c = tex('rockbg', x, y, seed)
        edge, k, r = facets(11, 2)[y * T + x]
        if edge < 0.55 or hash2(k, 9, seed) > 0.6:
            n = fbm(x, y, 4, seed, 2, wrap=32)
            return rshade('earth', min(0.3, 0.12 + n * 0.2 + d * 0.1)) if edge < 0.3 or n > 0.55 else c
        return c
    if name == 'brick':
        # pale dressed stone of the shrine: long blocks, dark joints
        row = y // 8
        off = 8 if row % 2 else 0
        bx = (x + off) % 16
        by = y % 8
        if by == 7 or bx == 15:
            return C('brick2')
        if by == 0 or bx == 0:
            return C('brick7')
        n = hash2((x + off) // 16, row, seed)
        return rshade('brick', 0.62 + n * 0.22 + fbm(x, y, 4, seed, 1, wrap=32) * 0.1 + d * 0.1)
    if name == 'brickbg':
        row = y // 8
        off = 8 if row % 2 else 0
        bx, by = (x + off) % 16, y % 8
        if by == 7 or bx == 15:
            return C('basalt0')
        n = hash2((x + off) // 16, row, seed)
        return rshade('basalt', 0.15 + n * 0.2 + (dith(x, y) - 0.5) * 0.1)
    if name == 'ice':
        n = fbm(x, y, 8, seed, 2, wrap=32)
        s = ((x + y) % 11 == 0) or ((x + y + 5) % 17 == 0)
        return rshade('ice', 0.35 + n * 0.35 + (0.2 if s else 0) + (dith(x, y) - 0.5) * 0.12)
    if name == 'icebg':
        n = fbm(x, y, 8, seed, 2, wrap=32)
        return rshade('night', 0.25 + n * 0.3 + (dith(x, y) - 0.5) * 0.1)
    if name == 'wood':
        g = math.sin((y + vnoise(x, y, 8, seed, 32) * 3) * 1.3) * 0.5 + 0.5
        return rshade('wood', 0.35 + g * 0.3 + (dith(x, y) - 0.5) * 0.1)
    if name == 'soil':
        # dark forest loam threaded with pale roots and a few stones
        n = fbm(x, y, 6, seed, 3, wrap=32)
        r = vnoise(x * 2, y, 8, 43, 64)
        if 0.47 < r < 0.52:
            return C('wood6') if 0.49 < r < 0.5 else C('wood4')
        if fbm(x, y, 3, seed + 2, 1, wrap=32) > 0.86:
            return C('stone4') if fbm(x - 1, y - 1, 3, seed + 2, 1, wrap=32) > 0.86 else C('stone2')
        return rshade('earth', 0.03 + n * 0.28 + d * 0.1)
    if name == 'wet':
        # blue-green wet stone: rounded chunks, some stained teal where water runs over them,
        # a wet glint on a few
        edge, k, r = facets(23, 3)[y * T + x]
        n = fbm(x, y, 8, seed, 2, wrap=32)
        v = 0.2 + n * 0.22 + hash2(k, 2, 23) * 0.1 - r * 0.1 + d * 0.1
        if edge < 0.25:
            return C('water1')
        if hash2(k, 4, 23) > 0.6 and 0.15 < r < 0.3 and (x + y) % 3 == 0:
            return C('teal4')
        return rshade('teal', v) if hash2(k, 3, 23) > 0.55 else rshade('stone', v + 0.1)
    if name == 'wetbg':
        # the cavern wall behind: deep blue-green, a few runnels of water down it
        edge, kk, r = facets(29, 2)[y * T + x]
        n = fbm(x, y, 8, seed, 3, wrap=32)
        v = n * 0.45 + hash2(kk, 6, 29) * 0.35 - r * 0.15 + 0.1 + d * 0.25
        if edge < 0.3:
            v = 0.0
        for k in range(2):
            rx = int(hash2(k, seed, 61) * 28) + 2 + int(2 * math.sin(y * 0.3 + k))
            if x == rx and (y + k * 7) % 9 < 6:
                return C('teal2') if (y + k) % 9 < 3 else C('teal1')
        return (C('water0'), C('teal0'), C('water1'), C('teal1'), C('water2'))[min(4, max(0, int(v * 5)))]
    if name == 'basalt':
        # black basalt in columns, cracks glowing with the fire beneath
        col = (x + (3 if (y // 16) % 2 else 0)) % 8
        n = fbm(x, y, 8, seed, 3, wrap=32)
        c = vnoise(x, y, 8, seed + 9, 32)
        if 0.48 < c < 0.52:
            return C('fire5') if 0.495 < c < 0.505 else C('fire3')
        if col == 0 or y % 16 == 0:
            return C('basalt0')
        return rshade('basalt', 0.14 + n * 0.24 + (0.1 if col < 3 else 0) + d * 0.1)
    if name == 'basaltbg':
        n = fbm(x, y, 8, seed, 3, wrap=32)
        if (x + (3 if (y // 16) % 2 else 0)) % 8 == 0:
            return C('black') if dith(x, y) < 0.5 else C('basalt0')
        return rshade('basalt', 0.0 + n * 0.12 + d * 0.08)
    if name == 'abyss':
        # violet crystal: flat facets lit from above-left, pale edges where two facets meet
        edge, k, r = facets(37, 2)[y * T + x]
        f = abs(((x * 3 + y * 2 + int(hash2(k, 9, 37) * 23)) % 23) - 11) / 11.0
        v = 0.28 + hash2(k, 7, 37) * 0.3 + f * 0.2 - r * 0.1 + d * 0.1
        if edge < 0.3:
            return C('abyss1')
        if f > 0.93 and hash2(k, 10, 37) > 0.4:
            return C('abyss10')
        return rshade('abyss', v)
    if name == 'abyssbg':
        edge, k, r = facets(41, 2)[y * T + x]
        n = fbm(x, y, 8, seed, 3, wrap=32)
        if edge < 0.25:
            return C('black')
        return rshade('abyss', 0.0 + n * 0.16 + hash2(k, 8, 41) * 0.08 + d * 0.08)
    if name == 'cloud':
        n = fbm(x, y, 8, seed, 2, wrap=32)
        return rshade('sky', 0.55 + n * 0.45 + (dith(x, y) - 0.5) * 0.1)
    if name == 'marble':
        n = fbm(x, y, 8, seed, 3, wrap=32)
        vein = abs(math.sin((x * 0.3 + y * 0.2 + n * 6))) < 0.08
        return rshade('stone', 0.62 + n * 0.3 - (0.2 if vein else 0) + (dith(x, y) - 0.5) * 0.08)
    if name == 'marblebg':
        n = fbm(x, y, 8, seed, 3, wrap=32)
        return rshade('stone', 0.2 + n * 0.2 + (dith(x, y) - 0.5) * 0.08)
    if name == 'plaster':
        n = fbm(x, y, 8, seed, 2, wrap=32)
        return rshade('brick', 0.55 + n * 0.25 + (dith(x, y) - 0.5) * 0.1)
    if name == 'nightsky':
        return rshade('night', 0.12 + 0.08 * vnoise(x, y, 16, seed, 32) + (dith(x, y) - 0.5) * 0.06)
    if name == 'daysky':
        return rshade('sky', 0.35 + (dith(x, y) - 0.5) * 0.1)
    if name == 'water':
        # deep water: blue going to teal, with the light's net of caustics on it
        n = fbm(x, y, 8, seed, 2, wrap=32)
        c1 = abs(math.sin((x + 4 * math.sin(y * math.pi / 16)) * math.pi / 16))
        c2 = abs(math.sin((y + 4 * math.sin(x * math.pi / 16 + 1)) * math.pi / 16))
        if min(c1, c2) < 0.1:
            return C('water6') if (x + y) % 2 else C('teal3')
        return rshade('water', 0.2 + n * 0.25 + d * 0.1)
    if name == 'leafbg':
        return leaves(seed % 4)[y * T + x]
    if name == 'shrinewall':
        if x % 16 in (0, 15):
            return C('vermil2')
        # dark wooden panels in vermilion frames, the grain running down them
        if y % 32 in (0, 31):
            return C('vermil1')
        if x % 8 == 7:
            return C('wood0')
        g = math.sin(x * 1.7 + vnoise(x // 8, y, 8, seed, 32) * 4 + y * 0.05)
        return rshade('wood', 0.16 + 0.05 * g + 0.08 * hash2(x // 8, 0, seed) + (0.05 if x % 8 == 0 else 0)
                      + (dith(x, y) - 0.5) * 0.08)
    if name == 'black':
        return C('black')
    raise ValueError(name)


def fill_tex(cv, ox, oy, name, seed):
    for y in range(T):
        for x in range(T):
            cv.set(ox + x, oy + y, tex(name, x, y, seed))


# edge styles: top rim colour ramp and depth; 'grass', 'snow', 'moss', 'plain'
EDGE = {
    'rock': ('moss', 'earth'), 'brick': ('plain', 'brick'), 'ice': ('snow', 'ice'), 'soil': ('grass', 'earth'),
    'wet': ('moss', 'stone'), 'basalt': ('ember', 'basalt'), 'abyss': ('plain', 'abyss'), 'cloud': ('plain', 'sky'),
    'marble': ('plain', 'stone'), 'wood': ('plain', 'wood'),
}


def edges(cv, ox, oy, mat, sides, seed):
    """Rims on the sides of a solid tile that face open space: 'T', 'B', 'L', 'R'."""
    top, rname = EDGE[mat]
    rr = ramp(rname)
    hi, lo, dk = rr[-2], rr[1], rr[0]
    rng = Rng(seed)
    if 'L' in sides:
        for y in range(T):
            cv.set(ox, oy + y, dk)
            cv.set(ox + 1, oy + y, hi)
            cv.set(ox + 2, oy + y, rr[-3])
            if dith(3, y) < 0.5:
                cv.set(ox + 3, oy + y, rr[-3])
    if 'R' in sides:
        for y in range(T):
            cv.set(ox + T - 1, oy + y, dk)
            cv.set(ox + T - 2, oy + y, dk)
            cv.set(ox + T - 3, oy + y, lo)
            if dith(28, y) < 0.5:
                cv.set(ox + T - 4, oy + y, lo)
    if 'B' in sides:
        for x in range(T):
            cv.set(ox + x, oy + T - 1, dk)
            cv.set(ox + x, oy + T - 2, dk)
            cv.set(ox + x, oy + T - 3, lo)
            if hash2(x, 0, seed) > 0.6:
                cv.set(ox + x, oy + T - 4, lo)
    if 'T' in sides:
        for x in range(T):
            cv.set(ox + x, oy, dk)
            cv.set(ox + x, oy + 1, hi)
        if top == 'grass' or top == 'moss':
            gr = ramp('leaf' if top == 'grass' else 'moss')
            for x in range(T):
                d = 3 + int(hash2(x, 1, seed) * 4)
                for y in range(d):
                    c = gr[min(len(gr) - 1, 3 + (d - y) * 2 // 3 + (1 if y == 0 else 0))]
                    cv.set(ox + x, oy + y, c)
                cv.set(ox + x, oy + d, gr[1])
                if hash2(x, 2, seed) > 0.75:
                    cv.set(ox + x, oy, gr[-2])
        elif top == 'snow':
            sr = ramp('ice')
            for x in range(T):
                d = 3 + int(vnoise(x, 0, 6, seed, 32) * 4)
                for y in range(d):
                    cv.set(ox + x, oy + y, sr[-1] if y < d - 1 else sr[-3])
                cv.set(ox + x, oy + d, sr[3])
        elif top == 'ember':
            for x in range(T):
                cv.set(ox + x, oy + 1, C('fire5') if hash2(x, 3, seed) > 0.6 else C('basalt6'))
                cv.set(ox + x, oy + 2, C('basalt5'))
        if 'L' in sides:
            cv.set(ox, oy, C('key'))
            cv.set(ox, oy + 1, dk)
            cv.set(ox + 1, oy, dk)
        if 'R' in sides:
            cv.set(ox + T - 1, oy, C('key'))
            cv.set(ox + T - 1, oy + 1, dk)
            cv.set(ox + T - 2, oy, dk)
    del rng


def solid(cv, ox, oy, mat, sides, seed):
    fill_tex(cv, ox, oy, mat, seed)
    edges(cv, ox, oy, mat, sides, seed)
    # corners cut by edges(): never leave the key colour in an opaque tile
    for y in range(T):
        for x in range(T):
            if cv.get(ox + x, oy + y) == C('key'):
                cv.set(ox + x, oy + y, ramp(EDGE[mat][1])[0])


# ------------------------------------------------------------------ special tiles

def cracks(cv, ox, oy, seed, col):
    rng = Rng(seed)
    for k in range(3):
        x, y = rng.randint(6, 25), rng.randint(6, 25)
        for s in range(8):
            nx, ny = x + rng.randint(-3, 3), y + rng.randint(-3, 3)
            cv.line(ox + max(2, min(29, x)), oy + max(2, min(29, y)), ox + max(2, min(29, nx)), oy + max(2, min(29, ny)), col)
            x, y = nx, ny


def block_bevel(cv, ox, oy, hi, lo, dk):
    for i in range(T):
        cv.set(ox + i, oy, hi)
        cv.set(ox, oy + i, hi)
        cv.set(ox + i, oy + T - 1, dk)
        cv.set(ox + T - 1, oy + i, dk)
        cv.set(ox + i, oy + 1, hi)
        cv.set(ox + 1, oy + i, hi)
        cv.set(ox + i, oy + T - 2, lo)
        cv.set(ox + T - 2, oy + i, lo)


def strike_block(cv, ox, oy, rname, glyph_col, seed):
    rr = ramp(rname)
    for y in range(T):
        for x in range(T):
            cv.set(ox + x, oy + y, rr[len(rr) // 2 - 1 + (1 if (x + y) % 7 == 0 else 0)])
    block_bevel(cv, ox, oy, rr[-1], rr[2], rr[0])
    # rivets
    for (x, y) in ((4, 4), (27, 4), (4, 27), (27, 27)):
        cv.set(ox + x, oy + y, rr[-1])
        cv.set(ox + x + 1, oy + y + 1, rr[1])
    # star mark: struck from below
    cx, cy = ox + 16, oy + 15
    star(cv, cx, cy, 8, 1.0, glyph_col)
    cv.ellipse(cx + 0.5, cy + 0.5, 3, 3, glyph_col)
    cv.set(cx, cy, C('white'))
    # arrow hint below
    for i in range(3):
        cv.line(cx - i, oy + 26 - i, cx + i, oy + 26 - i, rr[1])


def star(cv, cx, cy, r, width, col):
    """The five strokes of a strike block's star, radius r from its centre."""
    for k in range(5):
        a = -math.pi / 2 + k * 2 * math.pi / 5
        stroke(cv, cx, cy, cx + math.cos(a) * r, cy + math.sin(a) * r, width, col)


def spent_block(cv, ox, oy, rname):
    """A struck strike block: the same bevelled block a shade duller, its star gone out (a dim
    scar), but lit like solid ground and kept above the shades of any wall behind it."""
    rr = ramp(rname)
    m = len(rr) // 2 - 1
    for y in range(T):
        for x in range(T):
            cv.set(ox + x, oy + y, rr[m - 1 + (1 if (x + y) % 7 == 0 else 0)])
    block_bevel(cv, ox, oy, rr[m + 3], rr[m - 3], rr[0])
    for (x, y) in ((4, 4), (27, 4), (4, 27), (27, 27)):
        cv.set(ox + x, oy + y, rr[m + 3])
        cv.set(ox + x + 1, oy + y + 1, rr[m - 3])
    cx, cy = ox + 16, oy + 15
    star(cv, cx, cy, 7, 1.0, rr[m - 2])


def rock_strike_block(cv, ox, oy, glyph_col):
    """The stone strike block is a cell of the cave rock fill (tile 0, the same pixels) with a
    glowing star and a glowing edge: struck, the glow goes out and the rock stays as a step."""
    fill_tex(cv, ox, oy, 'rock', 0)
    tr = ramp('teal')
    for i in range(1, T - 1):
        for (x, y) in ((i, 1), (i, T - 2), (1, i), (T - 2, i)):
            if (x + y) % 3 != 0:
                cv.set(ox + x, oy + y, tr[4] if y < T // 2 else tr[2])
    cx, cy = ox + 16, oy + 15
    star(cv, cx, cy, 9, 1.6, tr[1])
    star(cv, cx, cy, 8, 1.0, glyph_col)
    cv.ellipse(cx + 0.5, cy + 0.5, 3, 3, glyph_col)
    cv.set(cx, cy, C('white'))
    for i in range(3):
        cv.line(cx - i, oy + 27 - i, cx + i, oy + 27 - i, tr[3])


def spikes(cv, ox, oy, metal, tip, glow=None, up=True):
    if glow:
        for y in range(14, 32):
            for x in range(T):
                if dith(x, y) < (y - 14) / 22.0:
                    cv.set(ox + x, oy + y, glow)
    for k in range(4):
        bx = ox + 2 + k * 8
        for y in range(12):
            w = (y + 1) // 3 + 1
            for x in range(-w, w):
                c = metal[2] if x < 0 else metal[4]
                if y < 2:
                    c = tip
                cv.set(bx + 3 + x, oy + 18 + y, c)
    cv.rect(ox, oy + 29, T, 3, metal[1])
    cv.rect(ox, oy + 29, T, 1, metal[3])


def thorns(cv, ox, oy, seed, tipcol, glow=None):
    rng = Rng(seed)
    if glow:
        for y in range(8, 32):
            for x in range(T):
                if dith(x, y) < (y - 8) / 22.0:
                    cv.set(ox + x, oy + y, glow)
    for k in range(5):
        x0 = 3 + k * 6 + rng.randint(-1, 1)
        pts = [(x0, 31)]
        x, y = x0, 31
        while y > 8 + rng.randint(0, 6):
            x += rng.randint(-2, 2)
            y -= 3
            pts.append((max(1, min(30, x)), y))
        for a, b in zip(pts, pts[1:]):
            stroke(cv, ox + a[0], oy + a[1], ox + b[0], oy + b[1], 0.8, C('moss2'))
        for a in pts[1:]:
            d = rng.choice((-1, 1))
            cv.line(ox + a[0], oy + a[1], ox + a[0] + 3 * d, oy + a[1] - 2, C('moss4'))
            cv.set(ox + a[0] + 3 * d, oy + a[1] - 2, tipcol)
        cv.set(ox + pts[-1][0], oy + pts[-1][1] - 1, tipcol)


def flames(cv, ox, oy, seed, big):
    rng = Rng(seed)
    fr = ramp('fire')
    base = 30
    for k in range(6 if big else 5):
        cx = 3 + k * (28 / (5 if big else 4)) + rng.randint(-1, 1)
        h = rng.randint(14, 22) if big else rng.randint(8, 14)
        for y in range(h):
            w = (1 - y / h) * (4 if big else 3)
            for x in range(int(-w), int(w) + 1):
                t = 1 - abs(x) / (w + 1) - y / h * 0.6
                cv.set(int(ox + cx + x + math.sin(y * 0.5 + k) * 1.5), oy + base - y, fr[min(9, max(1, int(t * 9 + 1)))])
    cv.rect(ox, oy + 30, T, 2, C('basalt2'))
    if big:
        for x in range(T):
            cv.set(ox + x, oy + 31, C('fire6') if x % 3 else C('fire8'))


def healing(cv, ox, oy, part):
    """A 2 x 3 tile spring: a carved stone basin with glowing water and a fountain arch.
    part = (column 0..1, row 0..2)."""
    W, H = 64, 96
    big = Canvas(W, H)
    for y in range(H):
        for x in range(W):
            big.set(x, y, tex('marblebg', x % 32, y % 32, 41))
    # glow
    for y in range(H):
        for x in range(W):
            d = math.hypot((x - 32) / 30, (y - 60) / 50)
            if d < 1 and dith(x, y) < (1 - d) * 0.9:
                big.set(x, y, C('teal2') if d > 0.5 else C('teal3'))
    # arch
    for y in range(10, 96):
        for x in (4, 5, 6, 57, 58, 59):
            big.set(x, y, C('stone7') if x in (5, 58) else C('stone5'))
    for a in range(0, 181):
        t = math.radians(a)
        for r in (25, 26, 27):
            big.set(int(32 + math.cos(t) * r), int(34 - math.sin(t) * r * 0.9), C('stone8') if r == 26 else C('stone5'))
    # gem at the keystone
    shaded_disc(big, 32, 10, 4, 'teal')
    # falling water
    for y in range(22, 78):
        for x in range(28, 37):
            big.set(x, y, C('teal6') if (x + y // 2) % 4 else C('teal7'))
    # basin
    big.poly([(10, 76), (54, 76), (50, 92), (14, 92)], C('stone6'))
    big.rect(8, 74, 48, 4, C('stone8'))
    big.rect(12, 78, 40, 3, C('teal5'))
    for x in range(12, 52, 5):
        big.set(x, 79, C('teal7'))
    big.rect(0, 92, 64, 4, C('stone4'))
    # sparkles
    for (x, y) in ((20, 40), (44, 30), (16, 60), (48, 56), (26, 24), (40, 66)):
        big.set(x, y, C('white'))
        big.set(x - 1, y, C('teal6'))
        big.set(x + 1, y, C('teal6'))
        big.set(x, y - 1, C('teal6'))
        big.set(x, y + 1, C('teal6'))
    c, r = part
    cv.blit(big, ox, oy, 32 * c, 32 * r, 32, 32, key=False)


# ------------------------------------------------------------------ decorations on backgrounds

def deco_crystal(cv, ox, oy, rname, seed):
    rng = Rng(seed)
    rr = ramp(rname)
    for k in range(3):
        x, y = rng.randint(6, 24), rng.randint(10, 26)
        h = rng.randint(6, 11)
        lean = rng.randint(-3, 3)
        cv.poly([(ox + x - 2, oy + y), (ox + x + 2, oy + y), (ox + x + lean + 0.5, oy + y - h)], rr[len(rr) // 2])
        cv.line(ox + x, oy + y - 1, ox + x + lean, oy + y - h + 1, rr[-1])
        cv.set(ox + x - 2, oy + y, rr[1])


def deco_roots(cv, ox, oy, seed):
    rng = Rng(seed)
    for k in range(3):
        x = rng.randint(3, 28)
        y = 0
        while y < 30:
            nx = max(1, min(30, x + rng.randint(-2, 2)))
            stroke(cv, ox + x, oy + y, ox + nx, oy + y + 4, 0.7, C('wood2'))
            cv.line(ox + x + 1, oy + y, ox + nx + 1, oy + y + 4, C('wood4'))
            x, y = nx, y + 4


def deco_carving(cv, ox, oy, col, dk):
    # a shrine spiral motif
    for a in range(0, 720, 6):
        t = math.radians(a)
        r = 2 + a / 720 * 10
        cv.set(int(ox + 16 + math.cos(t) * r), int(oy + 16 + math.sin(t) * r), col)
        cv.set(int(ox + 17 + math.cos(t) * r), int(oy + 17 + math.sin(t) * r), dk)
    cv.frame(ox + 2, oy + 2, 28, 28, dk)
    cv.frame(ox + 3, oy + 3, 26, 26, col)


def door(cv, ox, oy, open_):
    fill_tex(cv, ox, oy, 'shrinewall', 5)
    # frame
    cv.rect(ox + 3, oy + 0, 26, 32, C('vermil2'))
    cv.rect(ox + 4, oy + 0, 24, 32, C('vermil4'))
    cv.rect(ox + 1, oy + 0, 30, 3, C('vermil5'))
    cv.rect(ox + 1, oy + 2, 30, 1, C('vermil1'))
    if open_:
        cv.rect(ox + 7, oy + 4, 18, 28, C('black'))
        for y in range(4, 32):
            for x in range(7, 25):
                if dith(x, y) < (y - 4) / 60:
                    cv.set(ox + x, oy + y, C('night1'))
        # door leaves folded back
        cv.rect(ox + 5, oy + 4, 3, 28, C('wood5'))
        cv.rect(ox + 24, oy + 4, 3, 28, C('wood3'))
        # light from inside at the floor
        cv.rect(ox + 9, oy + 30, 14, 2, C('gold3'))
    else:
        cv.rect(ox + 6, oy + 4, 20, 28, C('wood4'))
        for x in range(6, 26, 4):
            cv.line(ox + x, oy + 4, ox + x, oy + 31, C('wood2'))
        cv.line(ox + 16, oy + 4, ox + 16, oy + 31, C('wood1'))
        cv.rect(ox + 6, oy + 12, 20, 2, C('gold4'))
        cv.rect(ox + 6, oy + 24, 20, 2, C('gold4'))
        cv.rect(ox + 13, oy + 16, 6, 6, C('gold5'))
        cv.frame(ox + 13, oy + 16, 6, 6, C('gold2'))
        cv.set(ox + 16, oy + 18, C('black'))
        cv.set(ox + 16, oy + 19, C('black'))


def brazier(cv, ox, oy, lit):
    fill_tex(cv, ox, oy, 'brickbg', 78)
    if lit:
        for y in range(32):
            for x in range(32):
                d = math.hypot(x - 16, y - 12) / 16
                if d < 1 and dith(x, y) < (1 - d) * 0.7:
                    cv.set(ox + x, oy + y, C('fire1') if d > 0.5 else C('fire2'))
    cv.rect(ox + 14, oy + 22, 4, 8, C('stone4'))
    cv.rect(ox + 10, oy + 29, 12, 3, C('stone5'))
    cv.poly([(ox + 7, oy + 16), (ox + 25, oy + 16), (ox + 21, oy + 23), (ox + 11, oy + 23)], C('bronze4'))
    cv.rect(ox + 7, oy + 16, 18, 2, C('bronze6'))
    if lit:
        fr = ramp('fire')
        for k, (cx, h) in enumerate(((12, 9), (16, 14), (20, 10))):
            for y in range(h):
                w = (1 - y / h) * 3.2
                for x in range(int(-w), int(w) + 1):
                    t = 1 - abs(x) / (w + 1) - y / h * 0.5
                    cv.set(ox + cx + x, oy + 16 - y, fr[min(9, max(2, int(t * 9 + 2)))])
    else:
        cv.rect(ox + 9, oy + 14, 14, 2, C('g3'))
        cv.set(ox + 12, oy + 14, C('g5'))


def bridge_rail(cv, ox, oy):
    fill_tex(cv, ox, oy, 'nightsky', 10)
    for y in range(32):
        for x in range(32):
            if hash2(x, y, 10) > 0.985:
                cv.set(ox + x, oy + y, C('night9'))
    # posts and ropes; deck (118) sits in the row below
    cv.rect(ox + 2, oy + 14, 3, 18, C('wood3'))
    cv.rect(ox + 2, oy + 14, 1, 18, C('wood5'))
    cv.rect(ox + 1, oy + 13, 5, 2, C('wood6'))
    for x in range(32):
        sag = int(3 * math.sin(math.pi * ((x - 3) % 32) / 32))
        cv.set(ox + x, oy + 16 + sag, C('brick5'))
        cv.set(ox + x, oy + 24 + sag // 2, C('brick4'))


def bridge_deck(cv, ox, oy):
    fill_tex(cv, ox, oy, 'nightsky', 11)
    for x in range(32):
        for y in range(0, 9):
            c = C('wood5') if y < 2 else (C('wood4') if y < 6 else C('wood2'))
            if x % 8 == 7:
                c = C('wood1')
            cv.set(ox + x, oy + y, c)
        cv.set(ox + x, oy, C('wood7'))
    cv.rect(ox, oy + 9, 32, 1, C('wood1'))
    for x in (3, 11, 19, 27):
        cv.set(ox + x, oy + 3, C('bronze7'))
    # hanging ropes under the deck
    for x in range(32):
        sag = int(5 * math.sin(math.pi * x / 32))
        cv.set(ox + x, oy + 10 + sag, C('brick4'))


def pillar(cv, ox, oy, top):
    fill_tex(cv, ox, oy, 'rockbg', 9)
    for y in range(32):
        for x in range(5, 27):
            t = 1 - abs(x - 13) / 14
            c = rshade('stone', 0.35 + t * 0.5 + (dith(x, y) - 0.5) * 0.15)
            if (y + 3) % 8 == 0:
                c = C('stone3')
            cv.set(ox + x, oy + y, c)
        cv.set(ox + 5, oy + y, C('stone1'))
        cv.set(ox + 26, oy + y, C('stone1'))
    if top:
        cv.rect(ox + 2, oy, 28, 6, C('stone8'))
        cv.rect(ox + 2, oy + 5, 28, 2, C('stone3'))
        cv.rect(ox + 2, oy, 28, 1, C('stone10'))
        cv.rect(ox + 12, oy + 2, 8, 2, C('gold6'))


def sky_deco(cv, ox, oy, kind, seed):
    rng = Rng(seed)
    if kind == 'stars':
        fill_tex(cv, ox, oy, 'nightsky', seed)
        for k in range(9):
            x, y = rng.randint(1, 30), rng.randint(1, 30)
            cv.set(ox + x, oy + y, (C('night9'), C('night11'), C('ice6'))[k % 3])
        for k in range(2):
            x, y = rng.randint(4, 27), rng.randint(4, 27)
            for dd in (-1, 1):
                cv.set(ox + x + dd, oy + y, C('night10'))
                cv.set(ox + x, oy + y + dd, C('night10'))
            if k == 0:
                cv.set(ox + x + 2, oy + y, C('night7'))
                cv.set(ox + x - 2, oy + y, C('night7'))
            cv.set(ox + x, oy + y, C('white'))
    elif kind == 'cloudbg':
        fill_tex(cv, ox, oy, 'daysky', seed)
        for (cx, cy, r) in ((8, 20, 7), (17, 16, 9), (26, 21, 6)):
            cv.ellipse(ox + cx, oy + cy, r, r * 0.7, C('sky7'))
        cv.rect(ox + 3, oy + 21, 28, 4, C('sky6'))
    elif kind == 'moon':
        fill_tex(cv, ox, oy, 'nightsky', seed)
        shaded_disc(cv, ox + 16, oy + 16, 10, 'gold', lo=0.6, spec=False)
        cv.ellipse(ox + 20, oy + 13, 8, 8, tex('nightsky', 20, 13, seed))
    elif kind == 'mountains':
        fill_tex(cv, ox, oy, 'nightsky', seed)
        for x in range(32):
            h = 14 + int(8 * abs(math.sin(x * 0.19 + 1)) + 3 * math.sin(x * 0.7))
            for y in range(h, 32):
                cv.set(ox + x, oy + y, C('night3') if y > h + 1 else C('night5'))
    elif kind == 'trees':
        fill_tex(cv, ox, oy, 'nightsky', seed)
        for cx in (6, 17, 27):
            for y in range(8, 32):
                w = (y - 8) * 0.3 + 1
                for x in range(int(cx - w), int(cx + w) + 1):
                    cv.set(ox + x, oy + y, C('leaf1'))
    elif kind == 'birds':
        fill_tex(cv, ox, oy, 'daysky', seed)
        for (x, y) in ((8, 10), (20, 16), (14, 24)):
            cv.line(ox + x - 3, oy + y - 1, ox + x, oy + y, C('sky0'))
            cv.line(ox + x, oy + y, ox + x + 3, oy + y - 1, C('sky0'))
    elif kind == 'wind':
        fill_tex(cv, ox, oy, 'daysky', seed)
        for k in range(4):
            y, x0 = rng.randint(3, 28), rng.randint(0, 16)
            cv.line(ox + x0, oy + y, ox + x0 + rng.randint(8, 15), oy + y, C('sky6'))


def ending_tile(cv, ox, oy, dark):
    """130: dark backdrop of the credits (white text); 131: light backdrop of the story (black text).

    The credits fade their text out to black and leave it there, so the dark backdrop is black
    (entry 0) but for its thin diamond lines: a faded heading leaves no shadow under the next."""
    for y in range(32):
        for x in range(32):
            if dark:
                d = (abs(x - 16) + abs(y - 16)) % 16
                c = C('night2') if d in (0, 15) else C('black')
                if (x, y) in ((16, 16), (0, 0)):
                    c = C('night4')
            else:
                d = (abs(x - 16) + abs(y - 16)) % 16
                c = C('dawn7') if d not in (0, 15) else C('dawn6')
                if (x, y) in ((16, 16), (0, 0)):
                    c = C('gold8')
            cv.set(ox + x, oy + y, c)


def water_tile(cv, ox, oy, kind, seed):
    fill_tex(cv, ox, oy, 'water', seed)
    rng = Rng(seed)
    if kind == 'surface':
        fill_tex(cv, ox, oy, 'nightsky', seed)
        for y in range(14, 32):
            for x in range(32):
                cv.set(ox + x, oy + y, tex('water', x, y, seed))
        for x in range(32):
            cv.set(ox + x, oy + 14 + (1 if (x // 4) % 2 else 0), C('water10'))
            cv.set(ox + x, oy + 15, C('water7'))
    elif kind == 'fall':
        # a bright sheet of falling water, foam streaks running down it, dark wet rock at its sides
        for y in range(32):
            for x in range(32):
                if x < 3 or x > 28:
                    cv.set(ox + x, oy + y, tex('wetbg', x, y, seed))
                    continue
                t = 1 - abs(x - 15.5) / 14
                streak = (x * 5 + (y + x * x) // 3) % 9
                c = rshade('water', 0.55 + t * 0.3 + (dith(x, y) - 0.5) * 0.2)
                if streak < 2:
                    c = C('water11') if streak == 0 else C('water10')
                if x in (3, 28):
                    c = C('water9') if (y + x) % 3 else C('white')
                cv.set(ox + x, oy + y, c)
    elif kind == 'bubbles':
        # the top of a pool: the cavern wall above a bright, rippling surface, bubbles below
        for y in range(32):
            for x in range(32):
                h = 6 + (1 if (x // 5) % 2 else 0)
                if y < h:
                    cv.set(ox + x, oy + y, tex('wetbg', x, y, seed))
                elif y == h:
                    cv.set(ox + x, oy + y, C('water11') if x % 6 else C('white'))
                elif y == h + 1:
                    cv.set(ox + x, oy + y, C('water9'))
                elif y < h + 4 and dith(x, y) < 0.5:
                    cv.set(ox + x, oy + y, C('water7'))
        for k in range(5):
            x, y = rng.randint(4, 27), rng.randint(13, 28)
            r = rng.randint(1, 2)
            cv.frame(ox + x - r, oy + y - r, 2 * r + 1, 2 * r + 1, C('water9'))
            cv.set(ox + x - r + 1, oy + y - r + 1, C('water11'))
    elif kind == 'weed':
        # water weed growing from a floor against the wet wall, swaying up out of the pool
        fill_tex(cv, ox, oy, 'wetbg', seed)
        for k in range(4):
            x0 = 4 + k * 8 + rng.randint(-1, 1)
            top = 6 + rng.randint(0, 12)
            for y in range(31, top, -1):
                x = x0 + int(2 * math.sin(y * 0.35 + k))
                cv.set(ox + x, oy + y, C('leaf5') if k % 2 else C('teal4'))
                cv.set(ox + x + 1, oy + y, C('leaf3') if k % 2 else C('teal2'))
                if y % 5 == k % 5:
                    cv.set(ox + x + 2, oy + y - 1, C('leaf6') if k % 2 else C('teal5'))
                    cv.set(ox + x - 1, oy + y + 1, C('leaf4'))


def village(cv, ox, oy, kind, seed):
    if kind == 'wall':
        fill_tex(cv, ox, oy, 'plaster', seed)
        cv.rect(ox, oy, 32, 3, C('wood2'))
        cv.rect(ox, oy, 3, 32, C('wood3'))
    elif kind == 'window':
        fill_tex(cv, ox, oy, 'plaster', seed)
        cv.rect(ox + 6, oy + 6, 20, 18, C('wood2'))
        cv.rect(ox + 8, oy + 8, 16, 14, C('gold6'))
        for x in (12, 16, 20):
            cv.line(ox + x, oy + 8, ox + x, oy + 21, C('wood3'))
        cv.line(ox + 8, oy + 15, ox + 23, oy + 15, C('wood3'))
    elif kind == 'roof':
        fill_tex(cv, ox, oy, 'nightsky', seed)
        for y in range(32):
            for x in range(32):
                c = C('stone3') if (y % 6) < 4 else C('stone1')
                if (x + (y // 6) * 4) % 8 == 0:
                    c = C('stone2')
                cv.set(ox + x, oy + y, c)
    elif kind == 'fence':
        fill_tex(cv, ox, oy, 'nightsky', seed)
        for x in (3, 13, 23):
            cv.rect(ox + x, oy + 12, 4, 20, C('wood4'))
            cv.rect(ox + x, oy + 11, 4, 1, C('wood6'))
        cv.rect(ox, oy + 17, 32, 3, C('wood3'))
        cv.rect(ox, oy + 26, 32, 3, C('wood3'))
    elif kind == 'sign':
        fill_tex(cv, ox, oy, 'nightsky', seed)
        cv.rect(ox + 15, oy + 14, 3, 18, C('wood3'))
        cv.rect(ox + 5, oy + 6, 22, 10, C('wood5'))
        cv.frame(ox + 5, oy + 6, 22, 10, C('wood2'))
        cv.line(ox + 8, oy + 10, ox + 22, oy + 10, C('wood2'))
        cv.line(ox + 8, oy + 12, ox + 18, oy + 12, C('wood2'))


def shrine_bg(cv, ox, oy, kind, seed):
    fill_tex(cv, ox, oy, 'shrinewall', seed)
    if kind == 'lattice':
        cv.rect(ox + 4, oy + 4, 24, 24, C('gold7'))
        for k in range(4, 29, 4):
            cv.line(ox + k, oy + 4, ox + k, oy + 27, C('wood2'))
            cv.line(ox + 4, oy + k, ox + 27, oy + k, C('wood2'))
    elif kind == 'carving':
        deco_carving(cv, ox, oy, C('gold5'), C('wood1'))
    elif kind == 'pillar':
        # a vermilion post in its own shadow, so it runs on unbroken past panels and brick
        for y in range(32):
            for x in range(32):
                if dith(x, y) < 0.75:
                    cv.set(ox + x, oy + y, C('wood0') if dith(x, y) < 0.4 else C('basalt0'))
        cv.rect(ox + 7, oy, 18, 32, C('vermil4'))
        cv.rect(ox + 7, oy, 4, 32, C('vermil6'))
        cv.rect(ox + 8, oy, 1, 32, C('vermil7'))
        cv.rect(ox + 21, oy, 4, 32, C('vermil2'))
        cv.rect(ox + 24, oy, 1, 32, C('vermil1'))
    elif kind == 'shide':
        cv.rect(ox, oy + 2, 32, 4, C('brick5'))
        for x in range(0, 32, 3):
            cv.set(ox + x, oy + 3, C('brick3'))
        for x0 in (7, 21):
            for k in range(4):
                cv.rect(ox + x0 + (k % 2) * 2, oy + 6 + k * 5, 4, 5, C('robe7'))
                cv.line(ox + x0 + (k % 2) * 2, oy + 10 + k * 5, ox + x0 + 3 + (k % 2) * 2, oy + 10 + k * 5, C('robe4'))
    elif kind == 'rope':
        for x in range(32):
            y = 8 + int(4 * math.sin(math.pi * x / 32))
            for d in range(5):
                cv.set(ox + x, oy + y + d, C('brick6') if (x + d) % 4 else C('brick3'))
        for x0 in (10, 22):
            cv.rect(ox + x0, oy + 14, 3, 12, C('brick5'))
            cv.rect(ox + x0 - 1, oy + 24, 5, 4, C('brick6'))


def forest_bg(cv, ox, oy, kind, seed):
    fill_tex(cv, ox, oy, 'leafbg', seed)
    rng = Rng(seed)
    if kind == 'trunk':
        # a great trunk: ridged bark lit from the left, moss in the furrows
        for y in range(32):
            for x in range(4, 28):
                t = 1 - abs(x - 12) / 16
                furrow = math.sin(x * 1.3 + math.sin(y * 0.25 + x) * 0.8)
                v = 0.12 + t * 0.35 + furrow * 0.1 + (dith(x, y) - 0.5) * 0.12
                c = rshade('wood', v)
                if furrow < -0.75:
                    c = C('moss2') if hash2(x, y // 3, seed) > 0.7 else C('wood0')
                cv.set(ox + x, oy + y, c)
            cv.set(ox + 4, oy + y, C('wood0'))
            cv.set(ox + 27, oy + y, C('wood0'))
    elif kind == 'vines':
        # vines hanging down through the leaves, leaf pairs along them
        for k in range(3):
            x0 = 5 + k * 10 + rng.randint(-2, 2)
            for y in range(32):
                x = x0 + int(2 * math.sin(y * math.pi / 16 + k * 2))
                cv.set(ox + x, oy + y, C('wood1'))
                cv.set(ox + x + 1, oy + y, C('moss5'))
                if (y + k * 3) % 7 == 0:
                    for (dx, dy, c) in ((2, 0, 'leaf9'), (3, 1, 'leaf8'), (-1, 1, 'leaf9'), (-2, 2, 'leaf7'), (3, 0, 'leaf10')):
                        cv.set(ox + x + dx, oy + y + dy, C(c))
    elif kind == 'grass':
        for x in range(32):
            h = rng.randint(4, 12)
            for y in range(h):
                cv.set(ox + x, oy + 31 - y, C('leaf6') if y < h - 2 else C('leaf8'))
    elif kind == 'flowers':
        for x in range(32):
            h = rng.randint(2, 7)
            for y in range(h):
                cv.set(ox + x, oy + 31 - y, C('leaf5'))
        for k in range(5):
            x, y = rng.randint(3, 28), rng.randint(16, 26)
            c = rng.choice((C('pink6'), C('gold8'), C('robe7'), C('textblue')))
            for d in ((0, 0), (1, 0), (-1, 0), (0, 1), (0, -1)):
                cv.set(ox + x + d[0], oy + y + d[1], c)
            cv.set(ox + x, oy + y, C('gold6'))
            cv.line(ox + x, oy + y + 2, ox + x, oy + 31, C('leaf4'))
    elif kind == 'mushroom':
        fill_tex(cv, ox, oy, 'rockbg', seed)
        for (x, h, r) in ((9, 8, 5), (20, 12, 6), (26, 5, 3)):
            cv.rect(ox + x - 1, oy + 32 - h, 3, h, C('robe6'))
            cv.ellipse(ox + x + 0.5, oy + 32 - h, r, r * 0.6, C('teal5'))
            cv.set(ox + x - 1, oy + 31 - h, C('teal7'))
    elif kind == 'dark':
        for y in range(32):
            for x in range(32):
                if dith(x, y) < 0.5:
                    cv.set(ox + x, oy + y, C('leaf0'))


def misc_bg(cv, ox, oy, kind, seed):
    rng = Rng(seed)
    if kind in ('bones', 'abyssbones'):
        fill_tex(cv, ox, oy, 'rockbg' if kind == 'bones' else 'abyssbg', seed)
        cv.ellipse(ox + 12, oy + 24, 5, 4, C('robe6'))
        cv.set(ox + 10, oy + 24, C('black'))
        cv.set(ox + 14, oy + 24, C('black'))
        stroke(cv, ox + 18, oy + 28, ox + 28, oy + 25, 1, C('robe5'))
        cv.rect(ox + 4, oy + 29, 24, 3, C('earth3') if kind == 'bones' else C('abyss2'))
    elif kind == 'stalactite':
        fill_tex(cv, ox, oy, 'rockbg', seed)
        for (x, h) in ((6, 14), (15, 22), (25, 10)):
            cv.poly([(ox + x - 3, oy), (ox + x + 3, oy), (ox + x, oy + h)], C('earth4'))
            cv.line(ox + x - 1, oy, ox + x, oy + h - 2, C('earth6'))
    elif kind == 'gold':
        # gold in the mine's earth: a thin vein with nuggets along it, glints on the nuggets
        fill_tex(cv, ox, oy, 'minebg', seed)
        x, y = rng.randint(0, 8), rng.randint(6, 26)
        while x < 32:
            nx, ny = x + rng.randint(2, 5), max(2, min(29, y + rng.randint(-3, 3)))
            cv.line(ox + x, oy + y, ox + min(31, nx), oy + ny, C('gold2'))
            if rng.rand() < 0.55:
                cv.rect(ox + min(30, nx), oy + ny - 1, 2, 2, C('gold5'))
                cv.set(ox + min(30, nx), oy + ny - 1, C('gold8'))
            x, y = nx, ny
        for k in range(5):
            x, y = rng.randint(3, 28), rng.randint(3, 28)
            cv.set(ox + x, oy + y, C('gold6'))
    elif kind == 'void':
        for y in range(32):
            for x in range(32):
                cv.set(ox + x, oy + y, C('black'))
    elif kind == 'rune':
        # a rune circle glowing on the abyss wall
        fill_tex(cv, ox, oy, 'abyssbg', seed)
        for y in range(32):
            for x in range(32):
                dd = abs(math.hypot(x - 16, y - 16) - 10)
                if dd < 4 and dith(x, y) < (4 - dd) / 6:
                    cv.set(ox + x, oy + y, C('abyss4'))
        for a in range(0, 360, 2):
            t = math.radians(a)
            cv.set(int(ox + 16 + math.cos(t) * 10), int(oy + 16 + math.sin(t) * 10), C('abyss9'))
        for a in range(0, 360, 45):
            t = math.radians(a + 22)
            cv.set(int(ox + 16 + math.cos(t) * 12.5), int(oy + 16 + math.sin(t) * 12.5), C('abyss10'))
        for k in range(3):
            t = math.radians(90 + k * 120)
            cv.line(ox + 16, oy + 16, int(ox + 16 + math.cos(t) * 10), int(oy + 16 - math.sin(t) * 10), C('abyss11'))
        cv.set(ox + 16, oy + 16, C('white'))
    elif kind == 'motes':
        fill_tex(cv, ox, oy, 'abyssbg', seed)
        for k in range(6):
            x, y = rng.randint(2, 29), rng.randint(2, 29)
            cv.set(ox + x, oy + y, C('abyss10'))
            cv.set(ox + x + 1, oy + y, C('abyss6'))
    elif kind == 'column':
        fill_tex(cv, ox, oy, 'abyssbg', seed)
        for y in range(32):
            for x in range(11, 21):
                cv.set(ox + x, oy + y, rshade('abyss', 0.3 + (1 - abs(x - 14) / 7) * 0.5))
    elif kind == 'lavaglow':
        for y in range(32):
            for x in range(32):
                t = y / 31
                c = rshade('basalt', 0.05 + 0.2 * fbm(x, y, 8, seed, 2, 32))
                if dith(x, y) < t * 0.7:
                    c = C('fire1')
                cv.set(ox + x, oy + y, c)
    elif kind == 'drip':
        fill_tex(cv, ox, oy, 'wetbg', seed)
        for x in (8, 22):
            cv.line(ox + x, oy, ox + x, oy + 6, C('water7'))
            cv.set(ox + x, oy + 14, C('water9'))
            cv.set(ox + x, oy + 24, C('water8'))
    elif kind == 'coral':
        # bright coral growing from the floor: a branching pink tree, an orange fan, a
        # white-tipped clump
        fill_tex(cv, ox, oy, 'wetbg', seed)

        def branch(x, y, ang, ln, w, cols):
            if ln < 3:
                cv.set(ox + int(x), oy + int(y), cols[-1])
                return
            nx, ny = x + math.cos(ang) * ln, y - math.sin(ang) * ln
            stroke(cv, ox + x, oy + y, ox + nx, oy + ny, w, cols[0])
            cv.line(int(ox + x), int(oy + y), int(ox + nx), int(oy + ny), cols[1])
            branch(nx, ny, ang + 0.5, ln * 0.62, max(0.5, w - 0.4), cols)
            branch(nx, ny, ang - 0.45, ln * 0.6, max(0.5, w - 0.4), cols)
        branch(9, 31, math.pi / 2 + 0.1, 9, 1.4, (C('pink3'), C('pink5'), C('pink7')))
        for a in range(20, 161, 12):
            t = math.radians(a)
            cv.line(ox + 22, oy + 31, int(ox + 22 + math.cos(t) * 8), int(oy + 25 - math.sin(t) * 9), C('vermil5'))
        cv.ellipse(ox + 22, oy + 22, 7, 5, None)
        for a in range(20, 161, 6):
            t = math.radians(a)
            cv.set(int(ox + 22 + math.cos(t) * 8), int(oy + 25 - math.sin(t) * 9), C('vermil7'))
        for (x, h) in ((27, 7), (29, 5), (30, 8)):
            cv.line(ox + x, oy + 31, ox + x, oy + 31 - h, C('teal4'))
            cv.set(ox + x, oy + 31 - h, C('robe7'))
    elif kind == 'shaft':
        # daylight falling from a crack over the dark brick, even across the cell so that
        # shaft cells side by side make one broad beam; dust glints in it
        fill_tex(cv, ox, oy, 'brickbg', seed)
        for y in range(32):
            for x in range(32):
                ray = 0.5 + 0.5 * math.sin(x * math.pi / 8 + math.sin(y * math.pi / 16))
                t = 0.12 + 0.28 * ray
                if dith(x, y) < t:
                    cv.set(ox + x, oy + y, C('gold5') if dith(x, y) < t * 0.3 and ray > 0.7 else C('gold3'))
        for k in range(3):
            cv.set(ox + rng.randint(2, 29), oy + rng.randint(1, 30), C('gold9'))
    elif kind == 'sunrise':
        vgrad(cv, ox, oy, 32, 32, [C('dawn3'), C('dawn5'), C('dawn6'), C('dawn7')])
    elif kind == 'light':
        vgrad(cv, ox, oy, 32, 32, [C('sky4'), C('sky5'), C('sky6')])
    elif kind == 'goldorn':
        fill_tex(cv, ox, oy, 'marblebg', seed)
        deco_carving(cv, ox, oy, C('gold6'), C('gold2'))
    elif kind == 'lantern':
        # a paper lantern hanging in the shrine, its warm light on the dark brick round it
        fill_tex(cv, ox, oy, 'brickbg', seed)
        for y in range(32):
            for x in range(32):
                dd = math.hypot(x - 16, (y - 16) * 0.9) / 16
                if dd < 1 and dith(x, y) < (1 - dd) * 0.8:
                    cv.set(ox + x, oy + y, C('fire2') if dd > 0.6 else C('vermil3'))
        cv.line(ox + 16, oy, ox + 16, oy + 6, C('g6'))
        cv.ellipse(ox + 16.5, oy + 15, 6, 8, C('vermil5'))
        cv.ellipse(ox + 16.5, oy + 15, 3, 6, C('vermil7'))
        cv.rect(ox + 11, oy + 13, 12, 4, C('gold7'))
        cv.rect(ox + 13, oy + 6, 7, 2, C('g3'))
        cv.rect(ox + 13, oy + 23, 7, 2, C('g3'))
    else:
        raise ValueError(kind)


def cloud(cv, ox, oy, single):
    fill_tex(cv, ox, oy, 'daysky', 112)
    if single:
        for (cx, cy, rx, ry) in ((10, 18, 9, 8), (20, 14, 10, 10), (24, 20, 7, 7), (16, 22, 13, 7)):
            cv.ellipse(ox + cx, oy + cy, rx, ry, C('sky6'))
        for y in range(32):
            for x in range(32):
                if cv.get(ox + x, oy + y) == C('sky6'):
                    above = cv.get(ox + x, oy + y - 2)
                    if above != C('sky6'):
                        cv.set(ox + x, oy + y, C('white'))
                    elif y > 22:
                        cv.set(ox + x, oy + y, C('sky5') if dith(x, y) < 0.6 else C('sky6'))
        return
    for x in range(32):
        top = 3 + int(3 * abs(math.sin((x + 4) * math.pi / 16)))
        for y in range(top, 32):
            c = C('sky7') if y > top + 1 else C('white')
            if y > 20 and dith(x, y) < (y - 20) / 14:
                c = C('sky6')
            cv.set(ox + x, oy + y, c)


def sides_of(code_kind):
    return {'fill': '', 'top': 'T', 'bottom': 'B', 'left': 'L', 'right': 'R', 'tl': 'TL', 'tr': 'TR',
            'bl': 'BL', 'br': 'BR', 'single': 'TBLR', 'plat': 'TB'}[code_kind]


def breakable(cv, ox, oy, mat, seed):
    solid(cv, ox, oy, mat, 'TBLR', seed)
    rr = ramp(EDGE[mat][1])
    cracks(cv, ox, oy, seed, rr[0])
    # bright chips mark it breakable
    for (x, y) in ((9, 9), (22, 12), (14, 22), (24, 24)):
        cv.set(ox + x, oy + y, rr[-1])
        cv.set(ox + x + 1, oy + y + 1, rr[0])


def rubble(cv, ox, oy, bg, seed):
    fill_tex(cv, ox, oy, bg, seed)
    rng = Rng(seed)
    for k in range(7):
        x, y = rng.randint(2, 28), rng.randint(26, 30)
        cv.rect(ox + x, oy + y, rng.randint(2, 4), 32 - y, rshade('earth', 0.3 + rng.rand() * 0.3))
    for k in range(3):
        x, y = rng.randint(4, 27), rng.randint(4, 20)
        cv.set(ox + x, oy + y, C('earth5'))


def plank(cv, ox, oy, end):
    fill_tex(cv, ox, oy, 'rockbg', 32)
    for y in range(12):
        for x in range(32):
            c = tex('wood', x, y, 3)
            if y == 0:
                c = C('wood7')
            elif y >= 10:
                c = C('wood1')
            cv.set(ox + x, oy + y, c)
    if end == 'L':
        cv.rect(ox, oy, 2, 12, C('wood1'))
        cv.rect(ox + 4, oy + 12, 4, 20, C('wood3'))
    if end == 'R':
        cv.rect(ox + 30, oy, 2, 12, C('wood1'))
        cv.rect(ox + 24, oy + 12, 4, 20, C('wood3'))
    for x in (4, 27):
        cv.set(ox + x, oy + 5, C('steel6'))


def rope(cv, ox, oy, chain):
    fill_tex(cv, ox, oy, 'rockbg', 35)
    if chain:
        for y in range(0, 32, 6):
            cv.frame(ox + 14, oy + y, 4, 7, C('steel5'))
            cv.set(ox + 15, oy + y + 1, C('steel7'))
    else:
        for y in range(32):
            cv.set(ox + 15 + (y // 2) % 2, oy + y, C('brick5'))
            cv.set(ox + 16 - (y // 2) % 2, oy + y, C('brick3'))


# ------------------------------------------------------------------ the catalogue
# code: (class note for docs, description, recipe)

def S(mat, part, seed):
    return lambda cv, ox, oy: solid(cv, ox, oy, mat, sides_of(part), seed)


def B(mat, seed):
    return lambda cv, ox, oy: fill_tex(cv, ox, oy, mat, seed)


def F(fn, *a):
    return lambda cv, ox, oy: fn(cv, ox, oy, *a)


def withdeco(bg, seed, fn, *a):
    def f(cv, ox, oy):
        fill_tex(cv, ox, oy, bg, seed)
        fn(cv, ox, oy, *a)
    return f


CATALOGUE = {
    0: ('grey-blue cave rock, inside (no rim); the maze margin and a struck block 37 show it, so it keeps above the wall shades', S('rock', 'fill', 0)),
    1: ('cave rock, top surface with moss: floor seen from above', S('rock', 'top', 1)),
    2: ('cave rock, underside: ceiling', S('rock', 'bottom', 2)),
    3: ('cave rock, left face (open space to the left)', S('rock', 'left', 3)),
    4: ('cave rock, right face', S('rock', 'right', 4)),
    5: ('cave rock, top-left outer corner', S('rock', 'tl', 5)),
    6: ('cave rock, top-right outer corner', S('rock', 'tr', 6)),
    7: ('breakable cracked rock block; a head strike turns it into 9', F(breakable, 'rock', 7)),
    8: ('rubble on dark brick wall: what is left of breakable brick 12', F(rubble, 'brickbg', 8)),
    9: ('cave slate with warm earth in its cracks and crumbs at its foot, the wall of the mine; what is left of 7; also the empty cells above the pillars', F(rubble, 'minebg', 9)),
    10: ('bridge rail: posts and ropes against the night; put it above deck 118', F(bridge_rail)),
    11: ('cave rock, single block with rims on all sides (floating ledge)', S('rock', 'single', 11)),
    12: ('breakable cracked brick block; a head strike turns it into 8', F(breakable, 'brick', 12)),
    13: ('dark slate cave wall', B('rockbg', 13)),
    14: ('dark cave wall with hanging roots', withdeco('rockbg', 14, deco_roots, 14)),
    15: ('stone pillar top (pillar puzzle)', F(pillar, True)),
    16: ('pale shrine brick, inside', S('brick', 'fill', 16)),
    17: ('shrine brick, top surface', S('brick', 'top', 17)),
    18: ('shrine brick, underside', S('brick', 'bottom', 18)),
    19: ('spent gold strike block (what 54 becomes): the gold block with its rim, star gone out', F(spent_block, 'gold')),
    20: ('shrine brick, left face', S('brick', 'left', 20)),
    21: ('shrine brick, right face', S('brick', 'right', 21)),
    22: ('dark brick wall behind', B('brickbg', 22)),
    23: ('stone pillar body (pillar puzzle)', F(pillar, False)),
    24: ('ice, inside', S('ice', 'fill', 24)),
    25: ('ice, top surface with snow', S('ice', 'top', 25)),
    26: ('ice, underside', S('ice', 'bottom', 26)),
    27: ('ice, left face', S('ice', 'left', 27)),
    28: ('ice, right face', S('ice', 'right', 28)),
    29: ('red-glowing ice spikes: hurt and throw back', withdeco('icebg', 29, spikes, ramp('ice'), C('red6'), C('red2'))),
    30: ('dark ice cave wall', B('icebg', 30)),
    31: ('ice, single block', S('ice', 'single', 31)),
    32: ('wooden plank, left end on a post', F(plank, 'L')),
    33: ('wooden plank, middle', F(plank, '')),
    34: ('wooden plank, right end on a post', F(plank, 'R')),
    35: ('hanging rope on cave wall', F(rope, False)),
    36: ('hanging chain on cave wall', F(rope, True)),
    37: ('stone strike block: the rock of 0 with a glowing star and edge; struck from below the glow goes out (0)', F(rock_strike_block, C('teal6'))),
    38: ('cave wall with crystals', withdeco('rockbg', 38, deco_crystal, 'teal', 38)),
    39: ('hanging paper lantern glowing on dark brick', F(misc_bg, 'lantern', 39)),
    40: ('forest soil, top with grass', S('soil', 'top', 40)),
    41: ('dark forest loam, inside, with roots and stones', S('soil', 'fill', 41)),
    42: ('forest soil, single ledge', S('soil', 'single', 42)),
    43: ('dense leaves behind', B('leafbg', 43)),
    44: ('tree trunk behind: ridged bark one cell wide (stack it; columns side by side make a broad tree)', F(forest_bg, 'trunk', 44)),
    45: ('hanging vines', F(forest_bg, 'vines', 45)),
    46: ('tall grass', F(forest_bg, 'grass', 46)),
    47: ('flowers', F(forest_bg, 'flowers', 47)),
    48: ('steel floor spikes: hurt', withdeco('rockbg', 48, spikes, ramp('steel'), C('steel7'))),
    49: ('red-hot floor spikes: hurt and throw back', withdeco('basaltbg', 49, spikes, ramp('red'), C('fire8'), C('red2'))),
    50: ('thorn bramble: hurts', withdeco('leafbg', 50, thorns, 50, C('moss7'))),
    51: ('glowing red thorns: hurt and throw back', withdeco('leafbg', 51, thorns, 51, C('red7'), C('red3'))),
    52: ('low flames: hurt', withdeco('basaltbg', 52, flames, 52, False)),
    53: ('roaring fire: hurts and throws back', withdeco('basaltbg', 53, flames, 53, True)),
    54: ('golden strike block; struck from below it becomes 19', F(strike_block, 'gold', C('red5'), 54)),
    55: ('night sky', B('nightsky', 55)),
}
CATALOGUE.update({
    56: ('night sky with stars', F(sky_deco, 'stars', 56)),
    57: ('night sky with stars (variant)', F(sky_deco, 'stars', 57)),
    58: ('day sky', B('daysky', 58)),
    59: ('day sky with cloud', F(sky_deco, 'cloudbg', 59)),
    60: ('deep water with the light\'s caustics', B('water', 60)),
    61: ('water surface under the night', F(water_tile, 'surface', 61)),
    62: ('waterfall: a bright sheet with foam streaks, wet rock at its sides', F(water_tile, 'fall', 62)),
    63: ('the top of a pool: wet wall above a bright rippling surface, bubbles below', F(water_tile, 'bubbles', 63)),
    64: ('shrine wall: dark wood panels in vermilion frames', B('shrinewall', 64)),
    65: ('closed shrine door (the door sound plays when a script sets it)', F(door, False)),
    66: ('shrine wall with lattice window', F(shrine_bg, 'lattice', 66)),
    67: ('open shrine door: dark doorway (the door sound plays when a script sets it)', F(door, True)),
    68: ('shrine wall with carved spiral', F(shrine_bg, 'carving', 68)),
    69: ('shrine paper streamers', F(shrine_bg, 'shide', 69)),
    70: ('vermilion shrine post', F(shrine_bg, 'pillar', 70)),
    71: ('sacred rope with tassels', F(shrine_bg, 'rope', 71)),
    72: ('cave wall with pink crystals', withdeco('rockbg', 72, deco_crystal, 'pink', 72)),
    73: ('mine wall: slate with earth in its cracks and a gold vein', F(misc_bg, 'gold', 73)),
    74: ('cave wall with stalactites', F(misc_bg, 'stalactite', 74)),
    75: ('glowing mushrooms', F(forest_bg, 'mushroom', 75)),
    76: ('healing spring, top left (2 x 3 picture 76 77 / 84 85 / 92 93)', F(healing, (0, 0))),
    77: ('healing spring, top right', F(healing, (1, 0))),
    78: ('cold brazier on dark brick', F(brazier, False)),
    79: ('burning brazier on dark brick (the fire sound plays when a script sets it)', F(brazier, True)),
    80: ('abyss wall', B('abyssbg', 80)),
    81: ('abyss wall with violet crystals', withdeco('abyssbg', 81, deco_crystal, 'abyss', 81)),
    82: ('black void', F(misc_bg, 'void', 82)),
    83: ('glowing rune circle on the abyss wall', F(misc_bg, 'rune', 83)),
    84: ('healing spring, middle left', F(healing, (0, 1))),
    85: ('healing spring, middle right', F(healing, (1, 1))),
    86: ('basalt wall lit by lava below', F(misc_bg, 'lavaglow', 86)),
    87: ('basalt wall', B('basaltbg', 87)),
    88: ('village house wall', F(village, 'wall', 88)),
    89: ('village house window, lit', F(village, 'window', 89)),
    90: ('village roof tiles', F(village, 'roof', 90)),
    91: ('wooden fence against the night', F(village, 'fence', 91)),
    92: ('healing spring, bottom left (basin)', F(healing, (0, 2))),
    93: ('healing spring, bottom right (basin)', F(healing, (1, 2))),
    94: ('tall grass against leaves', F(forest_bg, 'grass', 94)),
    95: ('signpost against the night', F(village, 'sign', 95)),
    96: ('dark cave wall with roots (variant)', withdeco('rockbg', 96, deco_roots, 96)),
    97: ('bones on the cave floor', F(misc_bg, 'bones', 97)),
    98: ('carved stone relief', withdeco('marblebg', 98, deco_carving, C('stone7'), C('stone2'))),
    99: ('water cave wall with drips', F(misc_bg, 'drip', 99)),
    100: ('distant mountains at night', F(sky_deco, 'mountains', 100)),
    101: ('fir trees at night', F(sky_deco, 'trees', 101)),
    102: ('the moon', F(sky_deco, 'moon', 102)),
    103: ('dark forest', F(forest_bg, 'dark', 103)),
    104: ('wet cave wall: deep blue-green chunks with runnels of water', B('wetbg', 104)),
    105: ('wet cave wall with crystals', withdeco('wetbg', 105, deco_crystal, 'water', 105)),
    106: ('water weed growing from a floor against the wet wall', F(water_tile, 'weed', 106)),
    107: ('coral growing from a floor against the wet wall', F(misc_bg, 'coral', 107)),
    108: ('blue-green wet stone, inside', S('wet', 'fill', 108)),
    109: ('wet stone, top with moss', S('wet', 'top', 109)),
    110: ('wet cave wall (variant)', B('wetbg', 110)),
    111: ('wet stone, single block', S('wet', 'single', 111)),
    112: ('cloud bank, top (walkable; tiles side by side into one cloud)', F(cloud, False)),
    113: ('cloud puff, single (walkable)', F(cloud, True)),
    114: ('sky with wind streaks', F(sky_deco, 'wind', 114)),
    115: ('sky with birds', F(sky_deco, 'birds', 115)),
    116: ('black basalt in columns, inside, with glowing cracks', S('basalt', 'fill', 116)),
    117: ('basalt, top with embers', S('basalt', 'top', 117)),
    118: ('bridge deck: planks (walkable), rail 10 above it', F(bridge_deck)),
    119: ('basalt, single block', S('basalt', 'single', 119)),
    120: ('violet abyss crystal, inside: facets with a sheen', S('abyss', 'fill', 120)),
    121: ('abyss crystal rock, top', S('abyss', 'top', 121)),
    122: ('spent abyss strike block (what 146 becomes): the abyss block with its rim, star gone out', F(spent_block, 'abyss')),
    123: ('abyss crystal rock, single block', S('abyss', 'single', 123)),
    124: ('abyss wall (variant)', B('abyssbg', 124)),
    125: ('abyss wall with drifting motes', F(misc_bg, 'motes', 125)),
    126: ('abyss crystal column behind', F(misc_bg, 'column', 126)),
    127: ('black void (variant)', F(misc_bg, 'void', 127)),
    128: ('marble shrine wall', B('marblebg', 128)),
    129: ('marble wall with gold ornament', F(misc_bg, 'goldorn', 129)),
    130: ('credits backdrop: thin night diamonds on black, for white text faded out to black', F(ending_tile, True)),
    131: ('story backdrop: pale dawn diamonds, for black text', F(ending_tile, False)),
    132: ('marble wall with a pale ledge line (decoration only)', withdeco('marblebg', 132, lambda cv, ox, oy: cv.rect(ox, oy, 32, 3, C('stone9')))),
    133: ('sunrise sky', F(misc_bg, 'sunrise', 133)),
    134: ('bright day sky', F(misc_bg, 'light', 134)),
    135: ('daylight falling over dark brick: shaft cells side by side make one broad beam', F(misc_bg, 'shaft', 135)),
    136: ('dark cave wall (variant)', B('rockbg', 136)),
    137: ('cave wall with teal crystals (variant)', withdeco('rockbg', 137, deco_crystal, 'teal', 137)),
    138: ('dark brick wall (variant)', B('brickbg', 138)),
    139: ('dark brick wall with carving', withdeco('brickbg', 139, deco_carving, C('brick4'), C('basalt0'))),
    140: ('ice cave wall with crystals', withdeco('icebg', 140, deco_crystal, 'ice', 140)),
    141: ('leaves (variant)', B('leafbg', 141)),
    142: ('deep water (variant)', B('water', 142)),
    143: ('basalt wall (variant)', B('basaltbg', 143)),
    144: ('wet cave wall with roots', withdeco('wetbg', 144, deco_roots, 144)),
    145: ('abyss wall with rune (variant)', F(misc_bg, 'rune', 145)),
    146: ('abyss strike block; struck from below it becomes 122', F(strike_block, 'abyss', C('gold8'), 146)),
    147: ('leaves with vines (variant)', F(forest_bg, 'vines', 147)),
    148: ('night sky (variant)', B('nightsky', 148)),
    149: ('night sky with stars (variant)', F(sky_deco, 'stars', 149)),
    150: ('marble wall (variant)', B('marblebg', 150)),
    151: ('shrine wall (variant)', B('shrinewall', 151)),
    152: ('ice cave wall (variant)', B('icebg', 152)),
    153: ('mine wall with a gold vein (variant)', F(misc_bg, 'gold', 153)),
    154: ('cave wall with pink crystals (variant)', withdeco('rockbg', 154, deco_crystal, 'pink', 154)),
    155: ('stalactites (variant)', F(misc_bg, 'stalactite', 155)),
    156: ('bones on the abyss wall: the sacrifices of the pit', F(misc_bg, 'abyssbones', 156)),
    157: ('wet cave wall with drips (variant)', F(misc_bg, 'drip', 157)),
    158: ('lava glow (variant)', F(misc_bg, 'lavaglow', 158)),
    159: ('black void (variant)', F(misc_bg, 'void', 159)),
})

ATTR = tile_classes.rows()  # the game's own table


def attr(code):
    return int(ATTR[code // 8][code % 8])


def build_tiles():
    cv = Canvas(256, 640, C('black'))
    for code in range(160):
        desc, fn = CATALOGUE[code]
        fn(cv, 32 * (code % 8), 32 * (code // 8))
    return cv
