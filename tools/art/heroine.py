"""The heroine's frames, drawn from the pose table in assets/art/heroine.txt."""

import os

from lib import ART, ArtError, Canvas, C, KEY
from draw import stroke

OUTLINE = 'hair0'


def load_poses():
    path = os.path.join(ART, 'heroine.txt')
    poses = {}
    with open(path, encoding='utf-8') as f:
        for no, line in enumerate(f, 1):
            s = line.split('#', 1)[0].split()
            if not s:
                continue
            if len(s) != 11:
                raise ArtError('%s:%d: expected 11 fields' % (path, no))
            try:
                pt = [tuple(int(v) for v in p.split(',')) for p in s[3:9]]
                poses[int(s[0])] = dict(lean=int(s[1]), bob=int(s[2]), bknee=pt[0], bfoot=pt[1],
                                        fknee=pt[2], ffoot=pt[3], bhand=pt[4], fhand=pt[5],
                                        hair=s[9], flare=int(s[10]))
            except ValueError:
                raise ArtError('%s:%d: bad number' % (path, no)) from None
    if sorted(poses) != list(range(9)):
        raise ArtError('%s: frames 0..8 needed' % path)
    return poses


def _limb(cv, pts, r, col):
    for a, b in zip(pts, pts[1:]):
        stroke(cv, a[0], a[1], b[0], b[1], r, col)


def draw_heroine(p):
    cv = Canvas(32, 64)
    L, B = p['lean'], p['bob']
    hx, hy = 16 + L, 45 + B          # hip
    sx, sy = 16 + L, 32 + B          # shoulders
    cx, cy = 17 + L, 23 + B          # head centre
    hair = [C('hair%d' % i) for i in range(8)]
    skin, skin_d = C('skin6'), C('skin4')
    robe, robe_s, robe_d = C('robe7'), C('robe5'), C('robe3')

    # long hair behind the body
    if p['hair'] == 'down':
        back = [(cx - 6, cy - 3), (cx + 1, cy - 6), (cx + 1, cy + 6), (cx - 2, cy + 20), (cx - 7, cy + 22),
                (cx - 9, cy + 12), (cx - 8, cy + 2)]
    elif p['hair'] == 'back':
        back = [(cx - 6, cy - 3), (cx + 1, cy - 6), (cx + 1, cy + 6), (cx - 4, cy + 17), (cx - 12, cy + 18),
                (cx - 11, cy + 10), (cx - 9, cy + 1)]
    else:
        back = [(cx - 6, cy + 4), (cx + 1, cy + 6), (cx + 2, cy - 4), (cx - 3, cy - 14), (cx - 10, cy - 13),
                (cx - 11, cy - 6), (cx - 9, cy + 1)]
    cv.poly(back, hair[2])
    for i, (a, b) in enumerate(zip(back[3:], back[4:])):
        cv.line(int(a[0]), int(a[1]), int((a[0] + cx) / 2), int((a[1] + cy) / 2), hair[3])

    # back arm and leg, darker
    _limb(cv, [(sx - 1, sy + 2), ((sx + p['bhand'][0]) / 2 - 1, (sy + p['bhand'][1]) / 2 + 1), p['bhand']], 1.6, robe_d)
    cv.ellipse(p['bhand'][0] + 0.5, p['bhand'][1] + 0.5, 1.3, 1.3, skin_d)
    _limb(cv, [(hx - 1, hy + 2), p['bknee'], p['bfoot']], 1.2, skin_d)
    cv.rect(p['bfoot'][0] - 1, p['bfoot'][1], 4, 2, C('wood2'))

    # robe: bodice and skirt
    f = p['flare']
    cv.poly([(sx - 4, sy), (sx + 4, sy), (sx + 5, sy + 9), (sx - 5, sy + 9)], robe)
    hem = 55 + B - (1 if f > 2 else 0)
    cv.poly([(sx - 5, sy + 8), (sx + 5, sy + 8), (hx + 6 + f, hem), (hx - 6 - f, hem)], robe)
    for y in range(sy, hem + 1):
        for x in range(0, 32):
            if cv.get(x, y) == robe:
                if cv.get(x - 2, y) not in (robe, robe_s):
                    cv.set(x, y, robe_s)
                elif y >= hem - 1:
                    cv.set(x, y, robe_s)
    # skirt folds
    for k in (-2, 2):
        cv.line(hx + k, sy + 12, hx + k * 2 + (f if k > 0 else -f) // 2, hem - 1, robe_s)
    # sash
    cv.rect(sx - 5, sy + 7, 11, 3, C('red5'))
    cv.rect(sx - 5, sy + 9, 11, 1, C('red3'))
    cv.set(sx - 5, sy + 10, C('red4'))
    cv.set(sx - 6, sy + 11, C('red5'))
    # collar
    cv.line(sx - 1, sy, sx + 2, sy + 4, C('red6'))
    cv.line(sx + 3, sy, sx + 2, sy + 4, C('robe4'))

    # front leg and arm
    _limb(cv, [(hx + 1, hy + 2), p['fknee'], p['ffoot']], 1.2, skin)
    cv.rect(p['ffoot'][0] - 1, p['ffoot'][1], 4, 2, C('wood4'))
    elbow = ((sx + p['fhand'][0]) / 2 + 1, (sy + p['fhand'][1]) / 2 + 1)
    _limb(cv, [(sx + 1, sy + 2), elbow, p['fhand']], 1.7, robe)
    cv.ellipse(p['fhand'][0] + 0.5, p['fhand'][1] + 0.5, 1.4, 1.4, skin)

    # head: hair cap, face, bangs
    cv.ellipse(cx, cy, 6.6, 7.0, hair[3])
    cv.ellipse(cx + 2.2, cy + 1.6, 4.6, 5.0, skin)
    cv.ellipse(cx - 1.5, cy - 3.5, 4.0, 2.5, hair[4])
    cv.set(cx - 2, cy - 5, hair[6])
    cv.set(cx - 1, cy - 5, hair[6])
    cv.set(cx, cy - 4, hair[5])
    # bangs over the forehead
    for x, y in ((cx + 1, cy - 3), (cx + 2, cy - 3), (cx + 3, cy - 3), (cx + 4, cy - 3), (cx + 1, cy - 2),
                 (cx + 2, cy - 2), (cx + 4, cy - 2), (cx + 5, cy - 2), (cx + 1, cy - 1), (cx + 5, cy - 1),
                 (cx, cy - 2), (cx, cy - 1)):
        cv.set(x, y, hair[3])
    cv.set(cx + 2, cy - 1, hair[2])
    # side lock in front of the ear
    cv.line(cx - 2, cy, cx - 2, cy + 6, hair[2])
    cv.line(cx - 1, cy - 1, cx - 1, cy + 2, hair[3])
    cv.set(cx, cy + 1, C('skin4'))  # ear
    # eye, cheek, mouth
    cv.set(cx + 4, cy, C('night2'))
    cv.set(cx + 4, cy + 1, C('water4'))
    cv.set(cx + 3, cy + 1, C('night3'))
    cv.set(cx + 3, cy, C('night1'))
    cv.set(cx + 5, cy, C('white'))
    cv.set(cx + 3, cy + 3, C('red7'))
    cv.set(cx + 5, cy + 4, C('red6'))
    # neck shadow
    cv.set(cx + 1, cy + 7, skin_d)
    # ribbon in the hair
    cv.set(cx - 5, cy - 2, C('red5'))
    cv.set(cx - 6, cy - 1, C('red6'))
    cv.set(cx - 5, cy - 1, C('red4'))

    cv.outline(C(OUTLINE))
    return cv


def heroine_frames():
    """List of 9 canvases facing right."""
    poses = load_poses()
    return [draw_heroine(poses[i]) for i in range(9)]


def blink(cv):
    """The blinking bank: the same frame washed pale, so invulnerability flickers."""
    out = Canvas(cv.w, cv.h)
    pale = {}
    from lib import PALETTE
    for i, c in enumerate(cv.px):
        if c == KEY:
            continue
        if c not in pale:
            r, g, b = PALETTE[c]
            lum = (r * 3 + g * 6 + b) / 10
            pale[c] = C('textred') if lum < 60 else (C('white') if lum > 150 else C('red7'))
        out.px[i] = pale[c]
    return out
