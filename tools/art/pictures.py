"""The full-screen pictures: title (the mountain shrine at night), the two endings, the window icon."""

import math

from lib import Canvas, C, rshade, ramp, fbm, hash2, dith, draw_text, text_width, Rng
from draw import vgrad, shaded_disc, stroke
import heroine

SW, SH = 640, 480


def sky(cv, stops, h=SH):
    vgrad(cv, 0, 0, SW, h, stops)


def stars(cv, seed, n, ymax, cols):
    rng = Rng(seed)
    for k in range(n):
        x, y = rng.randint(0, SW - 1), rng.randint(0, ymax)
        c = rng.choice(cols)
        cv.set(x, y, c)
        if k % 23 == 0:
            for d in ((1, 0), (-1, 0), (0, 1), (0, -1)):
                cv.set(x + d[0], y + d[1], cols[0])
            cv.set(x, y, C('white'))


def ridge(cv, seed, base, amp, scale, col, rim=None, top_fn=None):
    """A mountain ridge: everything below a noisy height line is col."""
    tops = []
    for x in range(SW):
        h = base - amp * fbm(x, 0, scale, seed, 4)
        if top_fn:
            h = top_fn(x, h)
        tops.append(int(h))
        for y in range(max(0, int(h)), SH):
            cv.set(x, y, col)
        if rim is not None and 0 <= int(h) < SH:
            cv.set(x, int(h), rim)
    return tops


def cloud_band(cv, seed, y0, h, col, density):
    for y in range(y0, y0 + h):
        for x in range(SW):
            n = fbm(x, y * 2.5, 40, seed, 3)
            edge = 1 - abs((y - y0) / h * 2 - 1)
            if n * edge > density and dith(x, y) < (n * edge - density) * 6:
                cv.set(x, y, col)


def shrine(cv, cx, gy):
    """A small shrine hall with a torii gate on the peak; gy is the ground line."""
    dark, mid, lit = C('night0'), C('night1'), C('gold7')
    # hall
    cv.rect(cx - 26, gy - 22, 52, 22, dark)
    cv.poly([(cx - 40, gy - 20), (cx + 40, gy - 20), (cx + 26, gy - 40), (cx - 26, gy - 40)], dark)
    cv.poly([(cx - 44, gy - 18), (cx - 38, gy - 22), (cx + 38, gy - 22), (cx + 44, gy - 18)], mid)
    cv.rect(cx - 16, gy - 46, 32, 7, dark)
    cv.line(cx - 20, gy - 47, cx + 20, gy - 47, mid)
    # lit paper doors
    for k in range(4):
        x = cx - 20 + k * 10
        cv.rect(x, gy - 17, 8, 14, lit)
        cv.line(x + 4, gy - 17, x + 4, gy - 4, C('gold4'))
        cv.line(x, gy - 10, x + 7, gy - 10, C('gold4'))
    # torii to the left
    tx = cx - 70
    cv.rect(tx - 14, gy - 30, 3, 30, C('vermil3'))
    cv.rect(tx + 11, gy - 30, 3, 30, C('vermil3'))
    cv.rect(tx - 19, gy - 33, 38, 3, C('vermil4'))
    cv.rect(tx - 15, gy - 26, 30, 2, C('vermil3'))
    cv.set(tx - 20, gy - 34, C('vermil4'))
    cv.set(tx + 19, gy - 34, C('vermil4'))
    # lanterns
    for lx in (cx - 36, cx + 34):
        cv.rect(lx, gy - 9, 3, 9, C('stone2'))
        cv.rect(lx - 2, gy - 14, 7, 5, C('fire6'))
        cv.rect(lx - 3, gy - 15, 9, 1, C('stone2'))
    # warm glow on the ground
    for y in range(gy - 4, gy + 8):
        for x in range(cx - 60, cx + 60):
            if cv.get(x, y) == C('night1') and dith(x, y) < 0.3 * (1 - abs(x - cx) / 60):
                cv.set(x, y, C('brick1'))


def big_title(cv, text, cx, y, scale):
    tw = text_width(text, scale, 2)
    x = cx - tw // 2
    rows = 7 * scale
    gold = ramp('gold')

    def shade(yy):
        t = yy / rows
        return gold[9] if t < 0.15 else gold[8] if t < 0.35 else gold[7] if t < 0.55 else gold[6] if t < 0.75 else gold[5]
    tmp = Canvas(SW, rows + 8)
    draw_text(tmp, x + 3, 5, text, C('night0'), scale, 2)
    draw_text(tmp, x, 2, text, None, scale, 2, shade=shade)
    tmp.outline(C('gold1'))
    cv.blit(tmp, 0, y - 2)


def glow(cv, cx, cy, r, col, strength, over=None):
    """Dithered halo: pixels near (cx, cy) take col with a chance falling off with distance."""
    for y in range(max(0, int(cy - r)), min(SH, int(cy + r) + 1)):
        for x in range(max(0, int(cx - r)), min(SW, int(cx + r) + 1)):
            d = math.hypot(x - cx, y - cy) / r
            if d < 1 and dith(x, y) < (1 - d) * strength:
                if over is None or cv.get(x, y) in over:
                    cv.set(x, y, col)


def pines(cv, tops, xs, col, rng, hmin, hmax):
    for x in xs:
        h = rng.randint(hmin, hmax)
        base = tops[max(0, min(SW - 1, x))] + 4
        for y in range(h):
            w = (y / h) * h * 0.22 + 0.5
            if (y % 5) == 4:
                w *= 0.7
            for xx in range(int(x - w), int(x + w) + 1):
                cv.set(xx, base - h + y, col)


def title():
    cv = Canvas(SW, SH, C('night0'))
    sky(cv, [C('night0'), C('night0'), C('night1'), C('night2'), C('night3'), C('abyss3'), C('night4')], 400)
    # a faint band of the milky way across the sky
    for y in range(0, 330):
        for x in range(SW):
            band = abs((y - 60) - (x - 320) * 0.35) / 70.0
            n = fbm(x, y, 24, 71, 3)
            if band < 1 and dith(x, y) < (1 - band) * n * 0.55:
                cv.set(x, y, C('night3') if n < 0.62 else C('night5'))
    stars(cv, 7, 700, 330, [C('night8'), C('night10'), C('night11'), C('g10'), C('night7')])
    # moon and its halo
    glow(cv, 560, 150, 70, C('night5'), 0.55, over=ramp('night') + ramp('abyss'))
    glow(cv, 560, 150, 42, C('night7'), 0.45)
    shaded_disc(cv, 560, 150, 24, 'gold', lo=0.7, spec=False)
    for (x, y, r) in ((552, 142, 4), (568, 158, 3), (561, 155, 2), (548, 157, 2)):
        cv.ellipse(x, y, r, r, C('gold7'))
    # far range
    ridge(cv, 3, 340, 110, 90, C('night3'), C('night5'))
    cloud_band(cv, 11, 268, 50, C('night5'), 0.43)
    ridge(cv, 4, 380, 70, 70, C('night2'), C('night4'))

    def peak(x, h):
        return min(h, 206 + max(0, abs(x - 236) - 62) ** 1.08 * 1.1 + 3 * math.sin(x * 0.06))
    tops = ridge(cv, 5, 440, 50, 60, C('night1'), C('night4'), peak)
    # moonlit right flank of the shrine mountain
    for x in range(250, 470):
        for y in range(tops[x] + 1, min(SH, tops[x] + 6)):
            if dith(x, y) < 0.5:
                cv.set(x, y, C('night3'))
    gy = tops[250]
    glow(cv, 250, gy - 18, 80, C('abyss2'), 0.5, over=ramp('night'))
    shrine(cv, 250, gy + 2)
    # stone steps winding down the slope, lit by lanterns
    for k in range(16):
        x = 290 + k * 10
        y = tops[min(SW - 1, x)] + 4
        cv.rect(x, y, 7, 1, C('night5'))
        if k % 5 == 2:
            cv.rect(x + 2, y - 5, 2, 4, C('fire6'))
            cv.set(x + 2, y - 6, C('fire8'))
    cloud_band(cv, 21, 340, 46, C('night3'), 0.44)
    # near forest: a dark slope that rises to the right, under the menu
    def slope(x, h):
        return 470 - (x / SW) ** 1.6 * 130 + 8 * math.sin(x * 0.05)
    near = ridge(cv, 9, 470, 10, 50, C('night0'), C('night2'), slope)
    rng = Rng(5)
    pines(cv, near, [x for x in range(6, 470, 23)], C('night0'), rng, 30, 70)
    pines(cv, near, [600, 626], C('night0'), rng, 30, 50)
    big_title(cv, 'QUELMIRE', 320, 38, 8)
    sub = 'THE PIT BENEATH THE SHRINE'
    draw_text(cv, 320 - text_width(sub, 1, 2) // 2, 112, sub, C('night9'), 1, 2)
    return cv


def hill_grass(cv, tops, seed, cols):
    rng = Rng(seed)
    for x in range(SW):
        for k in range(rng.randint(1, 5)):
            cv.set(x, tops[x] - k, cols[min(len(cols) - 1, k)])


def ending1():
    """The heroine back under the open sky: on a green rim above the clouds at sunrise."""
    cv = Canvas(SW, SH)
    sky(cv, [C('sky0'), C('sky0'), C('sky1'), C('sky2'), C('sky4'), C('dawn6'), C('dawn7')], 360)
    glow(cv, 470, 250, 200, C('dawn7'), 0.35, over=ramp('sky'))
    glow(cv, 470, 250, 90, C('dawn6'), 0.6, over=ramp('sky') + (C('dawn7'),))
    shaded_disc(cv, 470, 250, 30, 'dawn', lo=0.85, spec=False)
    cloud_band(cv, 31, 90, 70, C('sky6'), 0.42)
    cloud_band(cv, 33, 110, 40, C('sky7'), 0.47)
    cloud_band(cv, 37, 220, 40, C('dawn7'), 0.45)
    # distant peaks poking through a sea of cloud
    ridge(cv, 41, 360, 110, 60, C('sky3'), C('sky6'))
    for y in range(320, 380):
        for x in range(SW):
            if dith(x, y) < (y - 320) / 40:
                cv.set(x, y, C('sky6') if (y + x // 50) % 9 else C('sky7'))
    cloud_band(cv, 45, 330, 40, C('robe7'), 0.4)

    def rim(x, h):
        return 400 - 60 * math.exp(-((x - 200) / 170) ** 2) + 6 * math.sin(x * 0.04)
    tops = ridge(cv, 43, 420, 10, 80, C('leaf4'), C('leaf8'), rim)
    for y in range(330, SH):
        for x in range(SW):
            if cv.get(x, y) == C('leaf4'):
                d = y - tops[x]
                cv.set(x, y, C('leaf5') if d < 6 and dith(x, y) < 0.6 else (C('leaf3') if d > 40 and dith(x, y) < 0.5 else C('leaf4')))
    hill_grass(cv, tops, 3, [C('leaf6'), C('leaf7'), C('leaf8'), C('leaf9')])
    rng = Rng(8)
    for k in range(60):
        x = rng.randint(0, SW - 1)
        y = tops[x] + rng.randint(4, 60)
        cv.set(x, y, rng.choice((C('pink6'), C('gold8'), C('robe7'))))
    # the heroine, three times her play size, facing the sunrise
    fr = heroine.heroine_frames()[0]
    big = fr.scaled(3)
    hx = 170
    cv.blit(big, hx, tops[hx + 48] - 190)
    # her long shadow on the grass
    for x in range(hx - 60, hx + 40):
        y = tops[hx + 48] + 2 + (hx + 40 - x) // 30
        if dith(x, y) < 0.7:
            cv.set(x, y, C('leaf3'))
    return cv


def ending2():
    """Leaving the mountain behind: a path down into the valley in evening light."""
    cv = Canvas(SW, SH)
    sky(cv, [C('dusk0'), C('dusk1'), C('dusk3'), C('dusk5'), C('dawn6'), C('dawn7')], 300)
    glow(cv, 520, 215, 120, C('dawn7'), 0.35, over=ramp('dusk') + ramp('dawn'))
    shaded_disc(cv, 520, 215, 20, 'dawn', lo=0.9, spec=False)
    cloud_band(cv, 51, 70, 60, C('dusk4'), 0.43)
    cloud_band(cv, 52, 150, 40, C('dusk6'), 0.46)

    def peak(x, h):
        return min(h, 70 + max(0, abs(x - 180) - 40) ** 1.05 * 1.0 + 4 * math.sin(x * 0.045))
    tops = ridge(cv, 53, 300, 40, 60, C('dusk1'), C('dusk4'), peak)
    for x in range(190, 420):
        for y in range(tops[x] + 1, min(SH, tops[x] + 5)):
            if dith(x, y) < 0.5:
                cv.set(x, y, C('dusk3'))
    # the shrine, small and far: a roof and a lit door
    sx, sy = 180, tops[180]
    cv.poly([(sx - 12, sy - 6), (sx + 12, sy - 6), (sx + 7, sy - 12), (sx - 7, sy - 12)], C('dusk0'))
    cv.rect(sx - 8, sy - 6, 16, 6, C('dusk0'))
    cv.rect(sx - 4, sy - 5, 8, 4, C('gold8'))
    cv.rect(sx - 26, sy - 9, 1, 9, C('vermil3'))
    cv.rect(sx - 19, sy - 9, 1, 9, C('vermil3'))
    cv.rect(sx - 28, sy - 10, 12, 1, C('vermil3'))
    glow(cv, sx, sy - 4, 24, C('dusk5'), 0.4, over=ramp('dusk'))
    ridge(cv, 57, 350, 50, 70, C('leaf1'), C('leaf3'))
    cloud_band(cv, 58, 300, 40, C('dusk5'), 0.45)

    def valley(x, h):
        return 380 + 20 * math.sin(x * 0.01 + 1)
    vt = ridge(cv, 59, 400, 10, 60, C('leaf3'), C('leaf6'), valley)
    hill_grass(cv, vt, 5, [C('leaf5'), C('leaf6'), C('leaf7')])
    # the path winding down toward the viewer
    for y in range(366, SH):
        t = (y - 366) / 114
        w = 3 + t * 70
        cx = 470 - t * 160 + 26 * math.sin(t * 5)
        for x in range(int(cx - w), int(cx + w)):
            cv.set(x, y, C('brick5') if dith(x, y) < 0.6 - t * 0.3 else C('brick4'))
        cv.set(int(cx - w) - 1, y, C('leaf2'))
    # village roofs far below, lights coming on
    for (x, y) in ((560, 392), (590, 388), (612, 396)):
        cv.poly([(x - 10, y), (x, y - 8), (x + 10, y)], C('stone3'))
        cv.rect(x - 7, y, 14, 6, C('brick3'))
        cv.rect(x - 2, y + 2, 3, 2, C('gold8'))
    fr = heroine.heroine_frames()[1]
    cv.blit(fr.scaled(2), 384, 336)
    # birds
    for (x, y) in ((300, 120), (318, 128), (290, 134)):
        cv.line(x - 4, y - 2, x, y, C('dusk0'))
        cv.line(x, y, x + 4, y - 2, C('dusk0'))
    return cv


def icon():
    cv = Canvas(32, 32, C('night1'))
    hero = heroine.heroine_frames()[0]
    cv.blit(hero, 0, -12, 0, 0, 32, 64)
    cv.frame(0, 0, 32, 32, C('gold5'))
    return cv
