#!/usr/bin/env python3
"""Builds the desktop icons from the game's own 32 x 32 window icon, scaled without blurring:
icons.py OUTDIR writes OUTDIR/hicolor/NxN/apps/quelmire.png for each size the menus ask for."""

import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

from lib import canvas_png, write  # noqa: E402

SCALES = (1, 2, 4, 8)  # 32, 64, 128 and 256 pixels


def main(argv):
    if len(argv) != 2:
        print('usage: icons.py OUTDIR', file=sys.stderr)
        return 2
    import pictures
    cv = pictures.icon()
    for s in SCALES:
        n = cv.w * s
        write(os.path.join(argv[1], 'hicolor', '%dx%d' % (n, n), 'apps', 'quelmire.png'), canvas_png(cv, s))
    return 0


if __name__ == '__main__':
    sys.exit(main(sys.argv))
