#!/usr/bin/env python3
"""Writes a contact sheet PNG of every tile (with its code and class) and every sprite
(with its kind or item and frame): contact_sheet.py OUT.png [scale]."""

import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

from lib import Canvas, C, KEY, draw_text, canvas_png, write  # noqa: E402
import build  # noqa: E402
import tiles  # noqa: E402
import sprites  # noqa: E402

# (label, face, frames) of every thing kind as the game animates it
KINDS = [('K1', 0, [0, 1]), ('K1', 1, [0, 1]), ('K2', 0, [2, 3, 4]), ('K3', 1, [2, 3, 4]),
         ('K4', 0, [5, 6, 7]), ('K4', 1, [5, 6, 7]), ('K5', 0, [8, 9, 10]), ('K6', 0, [11, 12]),
         ('K6', 1, [11, 12]), ('K7', 0, [13, 14, 15]), ('K7', 1, [13, 14, 15]), ('K8', 0, [16, 17, 18]),
         ('K8', 1, [16, 17, 18]), ('K9', 0, [19, 20]), ('K9', 1, [19, 20]), ('K9', 4, [19, 20]),
         ('K10/19', 1, [8, 9, 10])] + [('K%d' % (11 + i), f, [fr]) for i, (f, fr) in enumerate(sprites.DECOR_CELLS)]


def checker(cv, x0, y0, w, h):
    for y in range(h):
        for x in range(w):
            cv.set(x0 + x, y0 + y, C('g5') if ((x // 4 + y // 4) % 2) else C('g6'))


def paste(sheet, src, sx, sy, w, h, dx, dy, k):
    checker(sheet, dx, dy, w * k, h * k)
    for y in range(h * k):
        for x in range(w * k):
            c = src.get(sx + x // k, sy + y // k)
            if c != KEY:
                sheet.set(dx + x, dy + y, c)


def main(argv):
    if len(argv) < 2:
        print('usage: contact_sheet.py OUT.png [scale]', file=sys.stderr)
        return 2
    k = int(argv[2]) if len(argv) > 2 else 2
    pics = build.build_all()
    bgv, chr0, chr1 = pics['bgv'], pics['chr0'], pics['chr1']
    cw, ch = 32 * k + 8, 32 * k + 14
    cols = 16
    W = max(cols * cw, 21 * (32 * k + 8)) + 8
    H = 10 * ch + 20 + 2 * (64 * k + 14) * 2 + 40 + 3 * (64 * k + 14) + 20 + 5 * 4 * (32 * k + 14) // 2 + chr1.h * k + 200
    sheet = Canvas(W, H, C('g2'))
    y = 4
    draw_text(sheet, 4, y, 'TILES: CODE/CLASS', C('white'))
    y += 12
    for code in range(160):
        x0 = 4 + (code % cols) * cw
        y0 = y + (code // cols) * ch
        paste(sheet, bgv, 32 * (code % 8), 32 * (code // 8), 32, 32, x0, y0, k)
        draw_text(sheet, x0, y0 + 32 * k + 3, '%d/%d' % (code, tiles.attr(code)), C('white'))
    y += 10 * ch + 8
    draw_text(sheet, 4, y, 'HEROINE: FACE, FRAME (B: BLINK BANK)', C('white'))
    y += 12
    sw = 32 * k + 4
    for face in (0, 1):
        for i in range(18):
            x0 = 4 + i * sw
            paste(sheet, chr0, 32 * i, 64 * face, 32, 64, x0, y, k)
            draw_text(sheet, x0, y + 64 * k + 3, 'F%d %d%s' % (face, i % 9, 'B' if i >= 9 else ''), C('white'))
        y += 64 * k + 14
    y += 6
    draw_text(sheet, 4, y, 'THINGS: KIND FACE/FRAME', C('white'))
    y += 12
    x0 = 4
    for (label, face, frames) in KINDS:
        for fr in frames:
            if x0 + sw > W:
                x0 = 4
                y += 64 * k + 14
            paste(sheet, chr0, 32 * fr, 64 * face + 128, 32, 64, x0, y, k)
            draw_text(sheet, x0, y + 64 * k + 3, '%s %d/%d' % (label, face, fr), C('white'))
            x0 += sw
        x0 += 6
    y += 64 * k + 20
    draw_text(sheet, 4, y, 'ITEMS: NUMBER, STEPS 0..3', C('white'))
    y += 12
    iw = 32 * k + 2
    per_row = 4
    groups = (W - 8) // (per_row * iw + 10)
    for n in range(35):
        face = 2 if n <= 20 else 4
        fr = n % 21
        gx = 4 + (n % groups) * (per_row * iw + 10)
        gy = y + (n // groups) * (32 * k + 14)
        for d in range(4):
            paste(sheet, chr0, 32 * fr, 64 * face + 128 + 32 * d, 32, 32, gx + d * iw, gy, k)
        draw_text(sheet, gx, gy + 32 * k + 3, 'I%d' % n, C('white'))
    y += ((34 // groups) + 1) * (32 * k + 14) + 8
    draw_text(sheet, 4, y, 'SHEET 1', C('white'))
    y += 12
    paste(sheet, chr1, 0, 0, chr1.w, chr1.h, 4, y, k)
    y += chr1.h * k + 4
    out = sheet.sub(0, 0, W, min(H, y))
    write(argv[1], canvas_png(out))
    return 0


if __name__ == '__main__':
    sys.exit(main(sys.argv))
