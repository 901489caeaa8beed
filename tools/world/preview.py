#!/usr/bin/env python3
"""Draws a part of a built maze, with the things and items of a room, as a PNG:

    python3 tools/world/preview.py DATADIR MAZE COL0 ROW0 COLS ROWS OUT.png [ROOM]

Tiles come from DATADIR/bitmap/bgv.bmp and sprites from chr0.bmp, as the game draws them;
events of the room are outlined in yellow. For looking at a layout while editing its source;
the game itself (the headless runner's screenshots) has the last word.
"""
import os
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(os.path.dirname(HERE), 'art'))

from lib import Canvas, canvas_png, read_bmp, write  # noqa: E402

KEY = 2


def read_room(path):
    recs = []
    for line in open(path, encoding='utf-8', newline='').read().split('\r\n'):
        if line.startswith(('mo,', 'it,', 'ev,')):
            parts = line.split(',', 3 if line.startswith('ev') else 8)
            recs.append(parts)
    return recs


def main(argv):
    if len(argv) not in (8, 9):
        print(__doc__, file=sys.stderr)
        return 2
    data, maze, c0, r0, w, h, out = argv[1], int(argv[2]), int(argv[3]), int(argv[4]), \
        int(argv[5]), int(argv[6]), argv[7]
    vals = [int(v) for v in open(os.path.join(data, 'map', 'maz%03d.map' % maze)).read()
            .replace('\n', ',').split(',') if v.strip()]
    bitmaps = os.path.join(data, 'bitmap')
    if not os.path.isdir(bitmaps):
        bitmaps = os.path.join(os.path.dirname(os.path.dirname(HERE)), 'data', 'bitmap')
    bgv = read_bmp(os.path.join(bitmaps, 'bgv.bmp'))
    chr0 = read_bmp(os.path.join(bitmaps, 'chr0.bmp'))
    cv = Canvas(32 * w, 32 * h, 0)
    for r in range(h):
        for c in range(w):
            t = vals[(r0 + r) * 256 + c0 + c]
            for y in range(32):
                row = bgv.px[(32 * (t // 8) + y) * bgv.w + 32 * (t % 8):][:32]
                cv.px[(32 * r + y) * cv.w + 32 * c:(32 * r + y) * cv.w + 32 * c + 32] = row

    def sprite(sx, sy, sw, sh, dx, dy):
        for y in range(sh):
            for x in range(sw):
                p = chr0.get(sx + x, sy + y)
                if p != KEY:
                    cv.set(dx + x, dy + y, p)

    if len(argv) == 9:
        for rec in read_room(os.path.join(data, 'map', 'room%03d.rdt' % int(argv[8]))):
            x, y = int(rec[1]) - c0, int(rec[2]) - r0
            if rec[0] == 'mo':
                kind, face, frame = int(rec[3]), int(rec[4]), int(rec[5])
                sprite(32 * frame, 64 * face + 128, 32, 64, 32 * x, 32 * y - 32)
            elif rec[0] == 'it':
                n = int(rec[3])
                if n <= 20:
                    sprite(32 * n, 256, 32, 32, 32 * x, 32 * y)
                else:
                    sprite(32 * (n - 21), 384, 32, 32, 32 * x, 32 * y)
            else:
                cv.frame(32 * x, 32 * y, 32, 32, 1)
    write(out, canvas_png(cv))
    return 0


if __name__ == '__main__':
    sys.exit(main(sys.argv))
