"""The heroine's portrait for the message window (128 x 128), drawn from shapes."""

import math

from lib import Canvas, C, rshade, dith, KEY
from draw import vgrad, stroke


def draw_portrait():
    cv = Canvas(128, 128)
    vgrad(cv, 0, 0, 128, 128, [C('night4'), C('night3'), C('night2'), C('ui1')])
    # soft moon-glow behind the head
    for y in range(128):
        for x in range(128):
            d = math.hypot(x - 70, y - 50) / 60
            if d < 1 and dith(x, y) < (1 - d) * 0.6:
                cv.set(x, y, C('night5'))
    hair = [C('hair%d' % i) for i in range(8)]
    # hair mass behind
    cv.poly([(28, 50), (40, 18), (64, 10), (92, 18), (104, 48), (108, 110), (96, 128), (26, 128), (20, 100)], hair[2])
    # shoulders and robe
    cv.poly([(18, 128), (30, 104), (50, 96), (78, 96), (98, 104), (110, 128)], C('robe6'))
    cv.poly([(52, 96), (64, 122), (76, 96)], C('skin5'))
    stroke(cv, 50, 96, 66, 126, 2.2, C('red5'))
    stroke(cv, 78, 96, 64, 122, 2.2, C('robe4'))
    cv.poly([(18, 128), (30, 104), (40, 100), (34, 128)], C('robe4'))
    # neck
    cv.rect(56, 80, 16, 18, C('skin4'))
    # face
    for y in range(30, 92):
        for x in range(34, 96):
            dx, dy = (x + 0.5 - 64) / 25, (y + 0.5 - 58) / 30
            if dy > 0:
                dx /= (1 - dy * 0.45)
            if dx * dx + dy * dy <= 1:
                t = 0.78 + 0.2 * (1 - math.hypot(dx + 0.3, dy + 0.3)) + (dith(x, y) - 0.5) * 0.06
                cv.set(x, y, rshade('skin', t))
    # bangs
    cv.poly([(36, 52), (40, 26), (64, 16), (90, 26), (94, 52), (86, 40), (80, 50), (72, 36), (62, 48), (54, 36),
             (46, 50)], hair[3])
    for (a, b) in (((44, 28), (40, 48)), ((60, 22), (56, 40)), ((76, 24), (80, 44)), ((86, 30), (90, 46))):
        cv.line(a[0], a[1], b[0], b[1], hair[5])
    cv.line(50, 22, 70, 18, hair[6])
    cv.line(52, 23, 66, 20, hair[7])
    # side locks
    cv.poly([(34, 50), (40, 50), (38, 96), (30, 100)], hair[3])
    cv.poly([(90, 50), (96, 50), (100, 98), (92, 96)], hair[3])
    # eyes
    for ex in (50, 78):
        cv.rect(ex - 6, 58, 13, 2, hair[0])
        cv.ellipse(ex + 0.5, 64, 5, 6, C('white'))
        cv.ellipse(ex + 0.5, 65, 4, 5.5, C('water4'))
        cv.ellipse(ex + 0.5, 66, 2.5, 3.5, C('night1'))
        cv.rect(ex - 2, 61, 2, 2, C('white'))
        cv.set(ex + 2, 68, C('water8'))
        cv.line(ex - 6, 57, ex + 5, 56, hair[1])
    # brows
    cv.line(44, 50, 55, 49, hair[2])
    cv.line(73, 49, 84, 50, hair[2])
    # nose, mouth, blush
    cv.set(65, 74, C('skin4'))
    cv.line(60, 82, 67, 82, C('red4'))
    cv.set(61, 83, C('red6'))
    for (bx, by) in ((46, 74), (82, 74)):
        for k in range(4):
            cv.set(bx + k * 2, by, C('red7'))
    # ribbon
    cv.poly([(24, 38), (34, 30), (36, 44)], C('red5'))
    cv.poly([(36, 44), (30, 56), (40, 50)], C('red4'))
    cv.ellipse(34, 42, 3, 3, C('red6'))
    # frame
    cv.frame(0, 0, 128, 128, C('night0'))
    cv.frame(1, 1, 126, 126, C('gold5'))
    cv.frame(2, 2, 124, 124, C('gold2'))
    for (x, y) in ((0, 0), (127, 0), (0, 127), (127, 127)):
        cv.set(x, y, KEY)
    return cv
