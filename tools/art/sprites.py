"""Sprite sheet chr0.bmp (672 x 512): the heroine, the things of every kind, the items.

Cell places follow the game's drawing rule: a thing's picture is the 32 x 64 cell at
x = 32 Frame, y = 64 Face + 128; an item's is the 32 x 32 cell at x = 32 Frame,
y = 64 Face + 128 + 32 d (d = animation step 0..3).
"""

import math

from lib import Canvas, C, ramp, rshade, draw_text, KEY, dith
from draw import stroke, shaded_disc
import heroine

W, H = 672, 512
OUT = 'hair0'  # outline colour shared with the heroine


def cell():
    return Canvas(32, 64)


def put(sheet, cv, face, frame, base=128):
    sheet.blit(cv, 32 * frame, 64 * face + base, key=True)


# ------------------------------------------------------------------ things (32 x 64, drawn in the lower half)

def walker(step, colour='moss', eye='gold8'):
    """Kind 1: a horned shell beetle, facing right; step 0/1 moves its legs."""
    cv = cell()
    rr = ramp(colour)
    # legs
    for i, lx in enumerate((9, 14, 20)):
        off = (1 if (i + step) % 2 else -1)
        stroke(cv, lx, 56, lx + off * 2, 62, 0.8, rr[1])
    # shell
    for y in range(42, 58):
        for x in range(4, 27):
            dx, dy = (x - 14.5) / 11.0, (y - 57) / 15.0
            if dx * dx + dy * dy <= 1 and y <= 57:
                t = 0.35 + 0.5 * (1 - math.hypot(dx + 0.3, dy + 0.5)) + (dith(x, y) - 0.5) * 0.15
                cv.set(x, y, rshade(colour, t))
    for x in range(5, 26):
        cv.set(x, 57, rr[1])
    # shell ridges
    for x in (10, 15, 20):
        cv.line(x, 44 + abs(x - 15) // 3, x - 1, 56, rr[2])
    # head and horn
    cv.ellipse(25.5, 52.5, 4, 4, rr[3])
    cv.poly([(26, 49), (29, 43), (29, 49)], C('robe6'))
    cv.set(27, 51, C(eye))
    cv.set(28, 51, C('black'))
    cv.outline(C(OUT))
    return cv


def slime(step):
    """Kind 6: a green jelly that walks off ledges; step squashes it."""
    cv = cell()
    h = 14 if step == 0 else 12
    w = 11 if step == 0 else 12.5
    for y in range(63 - h * 2, 64):
        for x in range(2, 30):
            dx, dy = (x - 15.5) / w, (y - 63) / h
            if dx * dx + dy * dy <= 1:
                t = 0.3 + 0.6 * (1 - math.hypot(dx + 0.35, dy + 0.6)) + (dith(x, y) - 0.5) * 0.15
                cv.set(x, y, rshade('leaf', t))
    top = 63 - h
    cv.set(11, top + 3, C('white'))
    cv.set(12, top + 3, C('white'))
    cv.set(11, top + 4, C('leaf11'))
    # eyes toward the right
    for ex in (18, 23):
        cv.rect(ex, top + 6, 2, 3, C('black'))
        cv.set(ex, top + 6, C('white'))
    cv.line(19, top + 11, 22, top + 11, C('leaf1'))
    cv.outline(C(OUT))
    return cv


def bouncer(step):
    """Kind 2: a spiked iron ball that bounces up and down; steps squash and stretch."""
    cv = cell()
    sq = (1.0, 0.9, 1.12)[step]
    cy = 47
    rx, ry = 10 / sq ** 0.5, 10 * sq ** 0.5
    for k in range(8):
        a = k * math.pi / 4 + step * 0.2
        stroke(cv, 16 + math.cos(a) * rx * 0.8, cy + math.sin(a) * ry * 0.8,
               16 + math.cos(a) * (rx + 3.5), cy + math.sin(a) * (ry + 3.5), 0.6, C('steel6'))
    for y in range(int(cy - ry) - 1, int(cy + ry) + 2):
        for x in range(2, 30):
            dx, dy = (x + 0.5 - 16) / rx, (y + 0.5 - cy) / ry
            if dx * dx + dy * dy <= 1:
                t = 0.15 + 0.6 * (1 - math.hypot(dx + 0.4, dy + 0.5)) + (dith(x, y) - 0.5) * 0.15
                cv.set(x, y, rshade('steel', t))
    cv.rect(10, int(cy) - 2, 3, 3, C('red6'))
    cv.rect(19, int(cy) - 2, 3, 3, C('red6'))
    cv.set(11, int(cy) - 1, C('white'))
    cv.set(20, int(cy) - 1, C('white'))
    cv.line(12, int(cy) + 5, 20, int(cy) + 5, C('steel0'))
    cv.outline(C(OUT))
    return cv


def wisp(step, rname='fire', face=True):
    """Kind 3: a spirit flame that follows a fixed path; steps flicker."""
    cv = cell()
    rr = ramp(rname)
    cy = 48
    h = (16, 18, 20)[step]
    for y in range(cy - h, cy + 9):
        for x in range(4, 28):
            if y <= cy:
                w = 8 * ((y - (cy - h)) / h) ** 0.6
                wob = math.sin(y * 0.6 + step * 2) * 1.5
            else:
                w = math.sqrt(max(0, 64 - (y - cy) ** 2 * 1.0))
                wob = 0
            d = abs(x + 0.5 - 16 - wob)
            if d <= w:
                t = 1 - d / (w + 1) * 0.8 - (cy - y) / h * 0.3 if y <= cy else 1 - d / 9 - (y - cy) / 12
                cv.set(x, y, rr[max(1, min(len(rr) - 1, int(t * (len(rr) - 1))))])
    if face:
        cv.rect(12, cy, 2, 3, C('black'))
        cv.rect(18, cy, 2, 3, C('black'))
        cv.line(14, cy + 5, 17, cy + 5, C('black'))
    cv.outline(C(OUT))
    return cv


def guardian(pose):
    """Kind 4: a clay guardian that turns toward the heroine; pose 5/7 walk, 6 stands and looks."""
    cv = cell()
    st = ramp('brick')
    legs = {5: (-3, 3), 6: (0, 0), 7: (3, -3)}[pose]
    stroke(cv, 12, 52, 12 + legs[0], 62, 1.6, st[2])
    stroke(cv, 20, 52, 20 + legs[1], 62, 1.6, st[3])
    # body: a tall clay figure
    for y in range(28, 56):
        for x in range(6, 27):
            dx = (x + 0.5 - 16) / (9 if y > 36 else 7)
            if abs(dx) <= 1:
                t = 0.3 + 0.5 * (1 - abs(dx + 0.3)) + (dith(x, y) - 0.5) * 0.15
                cv.set(x, y, rshade('brick', t))
    cv.ellipse(16, 26, 7, 7, st[4])
    cv.ellipse(15, 25, 5, 5, st[5])
    # eye holes: the pause frame opens them wide and glowing
    if pose == 6:
        cv.ellipse(18.5, 25, 2, 2.5, C('black'))
        cv.ellipse(18.5, 25, 1, 1.2, C('red6'))
        cv.set(13, 21, C('red6'))
        cv.set(22, 21, C('red6'))
    else:
        cv.rect(17, 24, 3, 2, C('black'))
        cv.rect(12, 24, 2, 2, C('black'))
    cv.rect(14, 29, 5, 1, C('black'))
    # arms
    cv.rect(4, 36, 4, 9, st[3])
    cv.rect(24, 36, 4, 9, st[2])
    # spear
    stroke(cv, 27, 18, 27, 58, 0.6, C('wood4'))
    cv.poly([(25, 19), (29, 19), (27, 12)], C('steel6'))
    cv.outline(C(OUT))
    return cv


def bat(step, rname='abyss'):
    """Kind 5: a bat that chases the heroine near its roost; steps beat the wings."""
    cv = cell()
    rr = ramp(rname)
    cy = 44
    wy = (-6, 0, 5)[step]
    for side in (-1, 1):
        pts = [(16 + side * 3, cy - 1), (16 + side * 13, cy + wy - 4), (16 + side * 12, cy + wy + 2),
               (16 + side * 9, cy + wy // 2 + 2), (16 + side * 6, cy + 4)]
        cv.poly(pts, rr[3])
        cv.line(16 + side * 3, cy, 16 + side * 13, cy + wy - 4, rr[7])
    cv.ellipse(16, cy + 1, 5, 6, rr[4])
    cv.poly([(12, cy - 4), (13, cy - 9), (15, cy - 5)], rr[4])
    cv.poly([(17, cy - 5), (19, cy - 9), (20, cy - 4)], rr[4])
    cv.set(14, cy, C('gold8'))
    cv.set(18, cy, C('gold8'))
    cv.set(15, cy + 3, C('white'))
    cv.set(17, cy + 3, C('white'))
    cv.outline(C(OUT))
    return cv


def crow(step):
    """Kind 7: a ghost crow with a wider hunting range, facing right; steps beat the wings."""
    cv = cell()
    cy = 46
    wy = (-7, -1, 5)[step]
    cv.poly([(8, cy), (16, cy - 2), (15, cy + wy - 8), (5, cy + wy - 6)], C('night4'))
    cv.poly([(10, cy), (20, cy - 3), (24, cy + 2), (14, cy + 5), (4, cy + 4)], C('night3'))
    cv.ellipse(21, cy - 3, 4, 3.5, C('night4'))
    cv.poly([(24, cy - 4), (30, cy - 2), (24, cy - 1)], C('gold6'))
    cv.set(22, cy - 4, C('textblue'))
    cv.set(23, cy - 4, C('white'))
    cv.poly([(13, cy - 1), (18, cy - 2), (19, cy + wy - 8), (11, cy + wy - 7)], C('night6'))
    cv.outline(C(OUT))
    # a pale ghostly sheen round it: it stays seen against the night sky and dark walls
    cv.outline(C('night9'))
    return cv


def segment(step):
    """Kind 8: one bead of the stone serpent (followers chain behind a leader)."""
    cv = cell()
    r = (8, 9, 8.5)[step]
    shaded_disc(cv, 16, 52, r, 'teal', lo=0.1)
    for a in range(0, 360, 60):
        t = math.radians(a + step * 20)
        cv.set(int(16 + math.cos(t) * r * 0.6), int(52 + math.sin(t) * r * 0.6), C('teal1'))
    cv.outline(C(OUT))
    return cv


def pad(sink):
    """Kind 9: a spring mushroom that throws the heroine high; sink 0..5 pixels pressed down."""
    cv = cell()
    top = 50 + sink
    cv.rect(12, top + 4, 8, 64 - top - 4, C('robe6'))
    cv.rect(12, top + 4, 2, 64 - top - 4, C('robe7'))
    for y in range(top - 6, top + 6):
        for x in range(2, 30):
            dx, dy = (x + 0.5 - 16) / 14, (y + 0.5 - (top + 4)) / 10
            if dx * dx + dy * dy <= 1 and y <= top + 4:
                t = 0.4 + 0.5 * (1 - math.hypot(dx + 0.3, dy + 0.6))
                cv.set(x, y, rshade('red', t))
    for (x, y) in ((8, top), (16, top - 3), (23, top)):
        cv.rect(x, y, 3, 2, C('robe7'))
    cv.outline(C(OUT))
    return cv


def lift(step):
    """Kinds 19 (lift) and 10 share these: a floating stone slab held by a glowing crystal."""
    cv = cell()
    cv.rect(3, 56, 26, 6, C('stone6'))
    cv.rect(3, 56, 26, 1, C('stone9'))
    cv.rect(3, 61, 26, 1, C('stone2'))
    for x in range(4, 28, 6):
        cv.set(x, 58, C('stone4'))
    g = (0, 1, 2)[step]
    cv.poly([(13, 62), (19, 62), (16, 64)], C('teal6'))
    for k in range(3):
        cv.set(7 + k * 9 + g * 2, 63, C('teal7') if k != g else C('white'))
    cv.outline(C(OUT))
    return cv


def decoration(n):
    """Inert things (kinds 11..18): pictures that only move when a script pushes them."""
    cv = cell()
    if n == 0:    # stone lantern
        cv.rect(13, 50, 6, 14, C('stone5'))
        cv.rect(9, 60, 14, 4, C('stone4'))
        cv.rect(8, 40, 16, 10, C('stone6'))
        cv.rect(12, 43, 8, 5, C('fire6'))
        cv.poly([(5, 40), (27, 40), (16, 32)], C('stone7'))
    elif n == 1:  # statue of the mountain god
        cv.rect(8, 58, 16, 6, C('stone4'))
        cv.ellipse(16, 46, 7, 12, C('stone6'))
        cv.ellipse(16, 30, 5, 5, C('stone7'))
        cv.rect(13, 29, 2, 1, C('stone1'))
        cv.rect(18, 29, 2, 1, C('stone1'))
    elif n == 2:  # old woman of the village
        cv.ellipse(16, 52, 8, 12, C('wood4'))
        cv.ellipse(17, 36, 5, 5.5, C('skin6'))
        cv.ellipse(15, 33, 5, 3, C('g11'))
        cv.set(19, 36, C('black'))
        stroke(cv, 26, 44, 26, 63, 0.6, C('wood2'))
    elif n == 3:  # sleeping fox
        cv.ellipse(16, 58, 12, 6, C('vermil6'))
        cv.ellipse(24, 56, 5, 4.5, C('vermil6'))
        cv.poly([(22, 52), (24, 47), (26, 52)], C('vermil6'))
        cv.ellipse(9, 59, 6, 3.5, C('robe7'))
        cv.line(24, 57, 26, 57, C('black'))
    elif n == 4:  # crystal cluster
        for (x, h) in ((10, 14), (16, 22), (22, 12)):
            cv.poly([(x - 3, 64), (x + 3, 64), (x + 3, 64 - h + 4), (x, 64 - h), (x - 3, 64 - h + 4)], C('teal5'))
            cv.line(x, 63, x, 64 - h + 1, C('teal7'))
    elif n == 5:  # gravestone
        cv.rect(9, 42, 14, 22, C('stone5'))
        cv.ellipse(16, 43, 7, 5, C('stone5'))
        cv.rect(13, 47, 6, 1, C('stone2'))
        cv.rect(15, 45, 2, 8, C('stone2'))
    elif n == 6:  # standing torch
        stroke(cv, 16, 40, 16, 63, 1, C('wood3'))
        for y in range(10):
            w = (1 - y / 10) * 4
            for x in range(int(-w), int(w) + 1):
                cv.set(16 + x, 38 - y, C('fire8') if abs(x) < w / 2 else C('fire5'))
    elif n == 7:  # sacred mirror on a stand
        cv.rect(15, 50, 2, 14, C('wood3'))
        cv.rect(10, 62, 12, 2, C('wood3'))
        shaded_disc(cv, 16, 42, 9, 'gold', lo=0.4)
        cv.ellipse(16, 42, 6, 6, C('sky6'))
        cv.set(14, 40, C('white'))
    cv.outline(C(OUT))
    return cv


# ------------------------------------------------------------------ items (32 x 32, 4 steps)

BOB = (0, -1, -2, -1)


def item_canvas():
    return Canvas(32, 32)


def sparkle(cv, x, y, big=False):
    for d in ((1, 0), (-1, 0), (0, 1), (0, -1)):
        cv.set(x + d[0], y + d[1], C('gold9'))
    if big:
        for d in ((2, 0), (-2, 0), (0, 2), (0, -2)):
            cv.set(x + d[0], y + d[1], C('gold7'))
    cv.set(x, y, C('white'))


def crystal(d):
    cv = item_canvas()
    oy = BOB[d]
    w = (6, 4, 1, 4)[d]  # turning: the front face narrows
    cx = 16
    top, mid, bot = 6 + oy, 14 + oy, 28 + oy
    cv.poly([(cx - 7, mid), (cx, top), (cx + 7, mid), (cx, bot)], C('pink4'))
    cv.poly([(cx - w, mid), (cx, top), (cx + w, mid), (cx, bot)], C('pink6'))
    cv.line(cx - 7, mid, cx + 7, mid, C('pink7'))
    cv.line(cx, top, cx - w, mid, C('pink7'))
    cv.outline(C(OUT))
    if d == 0:
        sparkle(cv, 21, 9 + oy)
    return cv


ORBS = [('fire', 'fire'), ('water', 'water'), ('leaf', 'forest'), ('sky', 'wind'), ('gold', 'power'),
        ('abyss', 'dark'), ('dawn', 'light')]


def orb(e, d):
    cv = item_canvas()
    rname = ORBS[e - 1][0]
    oy = BOB[d]
    shaded_disc(cv, 16, 17 + oy, 10, rname, lo=0.05 if rname != 'dawn' else 0.4)
    # swirl inside that turns with the step
    rr = ramp(rname)
    for k in range(14):
        a = k * 0.35 + d * math.pi / 2
        r = 2 + k * 0.45
        cv.set(int(16 + math.cos(a) * r), int(17 + oy + math.sin(a) * r), rr[-2])
    cv.outline(C(OUT))
    sparkle(cv, (11, 21, 22, 10)[d], (10, 9, 22, 23)[d] + oy)
    return cv


def heart_shape(cv, cx, cy, s, col):
    for y in range(-int(s * 1.3) - 2, int(s * 1.1) + 2):
        for x in range(-int(s * 1.3) - 1, int(s * 1.3) + 2):
            X, Y = (x + 0.5) / s, -(y + 0.5) / s + 0.12
            if (X * X + Y * Y - 1) ** 3 - X * X * Y ** 3 <= 0:
                cv.set(cx + x, cy + y, col)


def heart_item(rname, d):
    cv = item_canvas()
    oy = BOB[d]
    s = (8.5, 9, 9.5, 9)[d]
    rr = ramp(rname)
    heart_shape(cv, 16, 17 + oy, s, rr[len(rr) // 2])
    heart_shape(cv, 15, 16 + oy, s * 0.65, rr[len(rr) // 2 + 2])
    cv.rect(10, 9 + oy, 2, 2, C('white'))
    cv.outline(C(OUT))
    if d == 2:
        sparkle(cv, 23, 8 + oy)
    return cv


def key_shape(cv, rname, oy):
    rr = ramp(rname)
    # shaft and teeth
    cv.rect(15, 15 + oy, 3, 14, rr[4])
    cv.rect(15, 15 + oy, 1, 14, rr[6])
    cv.rect(18, 24 + oy, 4, 2, rr[4])
    cv.rect(18, 27 + oy, 3, 2, rr[4])
    # bow: a ring holding the emblem
    cv.ellipse(16.5, 9.5 + oy, 8, 8, rr[3])
    cv.ellipse(16.5, 9.5 + oy, 6.5, 6.5, rr[5])
    cv.ellipse(16.5, 9.5 + oy, 5, 5, rr[1])


def emblem(cv, which, oy, col):
    cx, cy = 16, 9 + oy
    if which == 'wing':
        for k in range(4):
            cv.line(cx - 3, cy + 2 - k, cx + 3 - k, cy - 3 + k // 2, col)
    elif which == 'sun':
        cv.ellipse(cx + 0.5, cy + 0.5, 2.5, 2.5, col)
        for k in range(8):
            a = k * math.pi / 4
            cv.set(int(cx + 0.5 + math.cos(a) * 4), int(cy + 0.5 + math.sin(a) * 4), col)
    elif which == 'moon':
        cv.ellipse(cx + 0.5, cy + 0.5, 4, 4, col)
        cv.ellipse(cx + 2.5, cy - 0.5, 3.5, 3.5, C('black'))
    elif which == 'star':
        for k in range(5):
            a = -math.pi / 2 + k * 2 * math.pi / 5
            cv.line(cx, cy, int(cx + math.cos(a) * 4.5), int(cy + math.sin(a) * 4.5), col)
    elif which == 'wisdom':
        cv.ellipse(cx + 0.5, cy + 0.5, 4, 2.5, col)
        cv.ellipse(cx + 0.5, cy + 0.5, 1.5, 1.5, C('black'))
    elif which == 'stag':
        cv.line(cx - 1, cy + 3, cx - 3, cy - 3, col)
        cv.line(cx + 1, cy + 3, cx + 3, cy - 3, col)
        cv.set(cx - 4, cy - 1, col)
        cv.set(cx + 4, cy - 1, col)
        cv.set(cx - 2, cy - 1, col)
        cv.set(cx + 2, cy - 1, col)
    elif which == 'turtle':
        cv.ellipse(cx + 0.5, cy + 0.5, 3.5, 2.5, col)
        cv.set(cx + 4, cy, col)
        for (x, y) in ((-3, 3), (3, 3), (-3, -2), (3, -2)):
            cv.set(cx + x, cy + y, col)
    elif which == 'butterfly':
        cv.ellipse(cx - 1.5, cy - 0.5, 2, 2.5, col)
        cv.ellipse(cx + 2.5, cy - 0.5, 2, 2.5, col)
        cv.ellipse(cx - 1, cy + 2.5, 1.5, 1.5, col)
        cv.ellipse(cx + 2, cy + 2.5, 1.5, 1.5, col)
        cv.line(cx, cy - 3, cx, cy + 3, C('black'))
    elif which == 'skull':
        cv.ellipse(cx + 0.5, cy, 3.5, 3.5, col)
        cv.rect(cx - 1, cy + 2, 3, 2, col)
        cv.set(cx - 1, cy, C('black'))
        cv.set(cx + 2, cy, C('black'))
    elif which == 'void':
        cv.ellipse(cx + 0.5, cy + 0.5, 4, 4, col)
        cv.ellipse(cx + 0.5, cy + 0.5, 2.5, 2.5, C('black'))
    else:  # a digit
        draw_text(cv, cx - 2, cy - 3, which, col)


KEYS = {10: ('wing', 'gold'), 11: ('sun', 'gold'), 12: ('moon', 'gold'), 13: ('star', 'gold'),
        14: ('wisdom', 'gold'), 15: ('stag', 'gold'), 16: ('turtle', 'gold'), 17: ('butterfly', 'gold'),
        18: ('skull', 'bronze'), 19: ('void', 'bronze')}
for _n in range(10):
    KEYS[20 + _n] = (str(_n), 'steel')
KEYS[33] = ('star', 'red')


def key_item(n, d):
    cv = item_canvas()
    which, rname = KEYS[n]
    oy = BOB[d]
    key_shape(cv, rname, oy + 1)
    emblem(cv, which, oy + 1, C('white') if rname != 'gold' else C('gold9'))
    if n == 33:  # the last key: a larger crown-topped key
        cv.poly([(9, 2 + oy), (12, 5 + oy), (16, 0 + oy), (20, 5 + oy), (24, 2 + oy), (24, 6 + oy), (9, 6 + oy)], C('gold7'))
    cv.outline(C(OUT))
    sx = (20, 17, 13, 17)[d]
    sy = (6, 14, 22, 28)[d] + oy
    sparkle(cv, sx, sy)
    return cv


def egg(d):
    cv = item_canvas()
    tilt = (0, 1, 0, -1)[d]
    for y in range(4, 30):
        for x in range(4, 28):
            dx = (x + 0.5 - 16 - tilt * (y - 17) / 12) / 8.5
            dy = (y + 0.5 - 18) / (12 if y < 18 else 10)
            if dx * dx + dy * dy <= 1:
                t = 0.15 + 0.55 * (1 - math.hypot(dx + 0.4, dy + 0.5)) + (dith(x, y) - 0.5) * 0.12
                cv.set(x, y, rshade('abyss', t))
    for (x, y) in ((13, 12), (19, 16), (14, 22), (20, 24)):
        cv.set(x + tilt, y, C('pink6'))
    cv.outline(C(OUT))
    return cv


def anchor(d):
    cv = item_canvas()
    oy = BOB[d]
    col, hi = C('ice5'), C('ice7')
    cv.ellipse(16.5, 5.5 + oy, 3, 3, col)
    cv.ellipse(16.5, 5.5 + oy, 1.5, 1.5, KEY)
    cv.rect(15, 8 + oy, 3, 19, col)
    cv.rect(10, 11 + oy, 13, 2, col)
    for a in range(20, 161, 5):
        t = math.radians(a)
        cv.set(int(16.5 + math.cos(t) * 10), int(18 + oy + math.sin(t) * 10), col)
        cv.set(int(16.5 + math.cos(t) * 9), int(18 + oy + math.sin(t) * 9), hi)
    cv.poly([(4, 18 + oy), (9, 20 + oy), (6, 24 + oy)], col)
    cv.poly([(29, 18 + oy), (24, 20 + oy), (27, 24 + oy)], col)
    cv.rect(15, 8 + oy, 1, 19, hi)
    cv.outline(C(OUT))
    sparkle(cv, (8, 24, 24, 8)[d], (8, 8, 26, 26)[d] + oy)
    return cv


def shoes(d):
    cv = item_canvas()
    oy = BOB[d]
    wing = (-2, 0, 2, 0)[d]
    for sx in (5, 16):
        cv.poly([(sx, 20 + oy), (sx + 6, 20 + oy), (sx + 11, 25 + oy), (sx + 11, 28 + oy), (sx, 28 + oy)], C('teal5'))
        cv.rect(sx, 27 + oy, 11, 1, C('teal2'))
        cv.rect(sx + 1, 21 + oy, 4, 2, C('teal7'))
        cv.poly([(sx, 21 + oy), (sx - 3, 14 + oy + wing), (sx + 3, 17 + oy + wing), (sx + 5, 21 + oy)], C('robe7'))
        cv.line(sx - 2, 15 + oy + wing, sx + 2, 20 + oy, C('robe5'))
    cv.outline(C(OUT))
    sparkle(cv, (26, 20, 14, 20)[d], 10 + oy)
    return cv


def item_picture(n, d):
    if n == 0:
        return crystal(d)
    if 1 <= n <= 7:
        return orb(n, d)
    if n == 8:
        return heart_item('gold', d)
    if n == 9:
        return heart_item('steel', d)
    if n == 32:
        return heart_item('ice', d)
    if n == 30:
        return egg(d)
    if n == 31:
        return anchor(d)
    if n == 34:
        return shoes(d)
    return key_item(n, d)


# ------------------------------------------------------------------ the sheet

# (face, frame) places of the inert decorations, kinds 11..18
DECOR_CELLS = [(4, 14), (4, 15), (4, 16), (4, 17), (4, 18), (5, 14), (5, 15), (5, 16)]


def build_chr0():
    sheet = Canvas(W, H)
    frames = heroine.heroine_frames()
    for f, cv in enumerate(frames):
        for face, pic in ((0, cv), (1, cv.flipped())):
            sheet.blit(pic, 32 * f, 64 * face)
            sheet.blit(heroine.blink(pic), 288 + 32 * f, 64 * face)

    for face in (0, 1):
        def P(cv, frame):
            put(sheet, cv if face == 0 else cv.flipped(), face, frame)
        P(walker(0), 0)                        # kind 1
        P(walker(1), 1)
        P(guardian(5), 5)                      # kind 4
        P(guardian(6), 6)
        P(guardian(7), 7)
        P(slime(0), 11)                        # kind 6
        P(slime(1), 12)
        for s in range(3):
            P(crow(s), 13 + s)                 # kind 7
            P(segment(s), 16 + s)              # kind 8
    for s in range(3):
        put(sheet, bouncer(s), 0, 2 + s)       # kind 2
        put(sheet, bat(s), 0, 8 + s)           # kind 5
        put(sheet, wisp(s), 1, 2 + s)          # kind 3
        put(sheet, lift(s), 1, 8 + s)          # kinds 10 and 19
    # kind 9: face 0 at sink 0/1, face 1 at 2/3, face 4 at 4/5 (frame 19 + sink mod 2)
    for face, base in ((0, 0), (1, 2), (4, 4)):
        put(sheet, pad(base), face, 19)
        put(sheet, pad(base + 1), face, 20)
    for k, (face, frame) in enumerate(DECOR_CELLS):
        put(sheet, decoration(k), face, frame)

    for n in range(35):
        face = 2 if n <= 20 else 4
        frame = n % 21
        for d in range(4):
            sheet.blit(item_picture(n, d), 32 * frame, 64 * face + 128 + 32 * d)
    return sheet
