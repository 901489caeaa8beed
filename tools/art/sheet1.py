"""Sheet chr1.bmp (320 x 512): frames, status parts, digits, hearts, save prompt, game over, portrait."""

import math

from lib import Canvas, C, ramp, rshade, draw_text, text_width, load_art, KEY, dith
from draw import shaded_disc, vgrad
from sprites import heart_shape

W, H = 320, 512


def panel(cv, x0, y0, w, h, inner=True):
    """Dark blue panel with a two-tone bevelled border and gold corner studs."""
    vgrad(cv, x0, y0, w, h, [C('ui1'), C('ui0'), C('night1')])
    cv.frame(x0, y0, w, h, C('night0'))
    cv.frame(x0 + 1, y0 + 1, w - 2, h - 2, C('ui2'))
    cv.frame(x0 + 2, y0 + 2, w - 4, h - 4, C('g14'))
    cv.frame(x0 + 3, y0 + 3, w - 6, h - 6, C('ui2'))
    cv.frame(x0 + 4, y0 + 4, w - 8, h - 8, C('night0'))
    for (x, y) in ((x0 + 1, y0 + 1), (x0 + w - 6, y0 + 1), (x0 + 1, y0 + h - 6), (x0 + w - 6, y0 + h - 6)):
        cv.rect(x, y, 5, 5, C('gold5'))
        cv.frame(x, y, 5, 5, C('gold2'))
        cv.set(x + 1, y + 1, C('gold9'))


def message_frame(cv):
    panel(cv, 0, 0, 320, 128)
    # round off the outer corners
    for (x, y) in ((0, 0), (319, 0), (0, 127), (319, 127)):
        cv.set(x, y, KEY)


def status_panel(cv):
    x0, y0 = 0, 128
    panel(cv, x0, y0, 164, 40)
    draw_text(cv, x0 + 12, y0 + 13, 'ROOM', C('gold8'), scale=2, gap=1)
    # recessed slot for the three room digits (drawn at 100..154, 7..31 of the panel)
    cv.rect(x0 + 98, y0 + 6, 58, 28, C('night0'))
    cv.frame(x0 + 97, y0 + 5, 60, 30, C('ui2'))


DIGITS = load_art('digits.txt')


def digits(cv):
    for n in range(10):
        g = DIGITS[str(n)].scaled(2)
        sub = Canvas(18, 24)
        sub.blit(g, (18 - g.w) // 2, (24 - g.h) // 2)
        sub.outline(C('night0'), diag=True)
        cv.blit(sub, 18 * n, 168, key=False)


def times_sign(cv):
    """The cell after the digits: the status screen reads crystal picture, times sign, count."""
    g = DIGITS['x'].scaled(2)
    sub = Canvas(18, 24)
    sub.blit(g, (18 - g.w) // 2, (24 - g.h) // 2)
    sub.outline(C('night0'), diag=True)
    cv.blit(sub, 180, 168, key=False)


def hearts(cv):
    places = [(0, 192), (20, 192), (0, 212), (20, 212)]
    sizes = [6.6, 6.0, 6.6, 7.2]
    for i, (x, y) in enumerate(places):
        sub = Canvas(20, 20)
        if i == 0:
            heart_shape(sub, 10, 10, 7.0, C('g4'))
            heart_shape(sub, 10, 10, 5.0, C('g2'))
        else:
            s = sizes[i]
            heart_shape(sub, 10, 10, s, C('red5'))
            heart_shape(sub, 9, 9, s * 0.6, C('red6'))
            sub.set(6, 5, C('white'))
            sub.set(7, 5, C('red8'))
        sub.outline(C('hair0'))
        cv.blit(sub, x, y, key=False)


def dim_tile(cv):
    for y in range(32):
        for x in range(32):
            cv.set(164 + x, 128 + y, KEY if (x % 2 == 0 and y % 2 == 0) else C('night0'))


def orb_frame(cv):
    x0, y0 = 198, 128
    # a stone pedestal ring around the orb place (16..48, 6..38)
    for y in range(50):
        for x in range(64):
            d = math.hypot(x + 0.5 - 32, y + 0.5 - 22)
            if 17 <= d <= 21:
                cv.set(x0 + x, y0 + y, rshade('gold', 0.3 + 0.5 * (1 - (y / 44))))
            elif 16 <= d < 17 or 21 < d <= 22:
                cv.set(x0 + x, y0 + y, C('gold1'))
    cv.rect(x0 + 18, y0 + 42, 28, 4, C('stone5'))
    cv.rect(x0 + 14, y0 + 46, 36, 4, C('stone4'))
    cv.rect(x0 + 14, y0 + 46, 36, 1, C('stone7'))


def empty_orbs(cv):
    from sprites import ORBS
    for e in range(1, 8):
        x0 = 32 * e + 8
        sub = Canvas(32, 32)
        rname = ORBS[e - 1][0]
        for y in range(32):
            for x in range(32):
                d = math.hypot(x + 0.5 - 16, y + 0.5 - 17)
                if d <= 10:
                    sub.set(x, y, C('night1') if dith(x, y) < 0.6 else rshade(rname, 0.15))
        sub.set(11, 12, C('g6'))
        sub.set(12, 11, C('g6'))
        sub.outline(C('g5'))
        cv.blit(sub, x0, 192, key=False)


def name_frame(cv):
    x0, y0 = 40, 224
    cv.rect(x0, y0, 112, 16, C('ui0'))
    cv.frame(x0, y0, 112, 16, C('ui2'))
    cv.line(x0 + 1, y0 + 1, x0 + 110, y0 + 1, C('g8'))
    for (x, y) in ((x0, y0), (x0 + 111, y0), (x0, y0 + 15), (x0 + 111, y0 + 15)):
        cv.set(x, y, KEY)


def button(cv, x0, y0, w, h, label, colour):
    vgrad(cv, x0, y0, w, h, [C('ui2'), C('ui1'), C('ui0')])
    cv.frame(x0, y0, w, h, C('night0'))
    cv.frame(x0 + 1, y0 + 1, w - 2, h - 2, C('g9'))
    cv.line(x0 + 2, y0 + h - 2, x0 + w - 2, y0 + h - 2, C('night0'))
    tw = text_width(label)
    draw_text(cv, x0 + (w - tw) // 2 + 1, y0 + (h - 7) // 2 + 1, label, C('night0'))
    draw_text(cv, x0 + (w - tw) // 2, y0 + (h - 7) // 2, label, colour)


def save_parts(cv):
    for i, label in enumerate(('NO SAVE', 'SLOT 1', 'SLOT 2', 'SLOT 3')):
        button(cv, 80 * i, 240, 80, 40, label, C('white') if i else C('g11'))
    # cursor: a bright gold outline with corner marks (colour key inside)
    x0, y0 = 0, 280
    cv.rect(x0, y0, 80, 40, KEY)
    for k, c in enumerate((C('gold9'), C('gold7'), C('gold4'))):
        cv.frame(x0 + k, y0 + k, 80 - 2 * k, 40 - 2 * k, c)
    for (x, y) in ((3, 3), (72, 3), (3, 32), (72, 32)):
        cv.rect(x0 + x, y0 + y, 5, 5, C('white'))
    # saving label, opaque
    button(cv, 80, 280, 160, 40, 'SAVING...', C('gold8'))


def pattern_tile(cv):
    """Game-over pattern, opaque: dark red lattice of falling petals."""
    x0, y0 = 240, 280
    for y in range(40):
        for x in range(80):
            u, v = x % 20, y % 20
            d = abs(u - 10) + abs(v - 10)
            c = C('red0')
            if d in (9, 10):
                c = C('red1')
            if d <= 1:
                c = C('red2')
            cv.set(x0 + x, y0 + y, c)


def gameover_picture(cv):
    x0, y0 = 0, 320
    cv.rect(x0, y0, 320, 36, KEY)
    # a black band with ragged dithered ends keeps the words clear of the pattern
    for y in range(36):
        for x in range(320):
            e = min(x, 319 - x) / 40.0
            if dith(x, y) < e:
                cv.set(x0 + x, y0 + y, C('black'))
    label = 'GAME OVER'
    scale = 4
    tw = text_width(label, scale, 2)
    tx = x0 + (320 - tw) // 2
    sh = lambda yy: [C('robe7'), C('robe7'), C('textred'), C('red6'), C('red5'), C('red4'), C('red3')][yy // scale]
    draw_text(cv, tx + 2, y0 + 6, label, C('red1'), scale, 2)
    draw_text(cv, tx, y0 + 4, label, None, scale, 2, shade=sh)



def portrait(cv):
    import portrait as pt
    cv.blit(pt.draw_portrait(), 0, 360, key=False)


def build_chr1():
    cv = Canvas(W, H)
    message_frame(cv)
    status_panel(cv)
    dim_tile(cv)
    orb_frame(cv)
    digits(cv)
    times_sign(cv)
    hearts(cv)
    empty_orbs(cv)
    name_frame(cv)
    save_parts(cv)
    pattern_tile(cv)
    gameover_picture(cv)
    portrait(cv)
    return cv
