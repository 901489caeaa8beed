#!/usr/bin/env python3
"""Builds the game's bitmaps from assets/art: build.py OUTDIR writes OUTDIR/bitmap/*.bmp."""

import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

from lib import ArtError, KEY, FIXED, bmp_bytes, write  # noqa: E402

SIZES = {'chr0': (672, 512), 'chr1': (320, 512), 'bgv': (256, 640), 'title': (640, 480),
         'ending1': (640, 480), 'ending2': (640, 480), 'icon': (32, 32)}
# rectangles of chr1 that the game copies without the colour key: no transparent pixel allowed
OPAQUE_CHR1 = [(0, 240, 320, 280), (80, 280, 240, 320), (240, 280, 320, 320)]


def build_all():
    import tiles
    import sprites
    import sheet1
    import pictures
    return {'chr0': sprites.build_chr0(), 'chr1': sheet1.build_chr1(), 'bgv': tiles.build_tiles(),
            'title': pictures.title(), 'ending1': pictures.ending1(), 'ending2': pictures.ending2(),
            'icon': pictures.icon()}


def check(name, cv):
    if (cv.w, cv.h) != SIZES[name]:
        raise ArtError('%s: size %dx%d, expected %dx%d' % (name, cv.w, cv.h) + SIZES[name])
    if FIXED in cv.px:
        raise ArtError('%s uses palette entry 255, which no fade touches' % name)
    if name in ('bgv', 'title', 'ending1', 'ending2', 'icon') and KEY in cv.px:
        i = cv.px.index(KEY)
        raise ArtError('%s: transparent colour at (%d, %d) of an opaque picture' % (name, i % cv.w, i // cv.w))
    if name == 'chr1':
        for (l, t, r, b) in OPAQUE_CHR1:
            for y in range(t, b):
                for x in range(l, r):
                    if cv.px[y * cv.w + x] == KEY:
                        raise ArtError('chr1: transparent colour at (%d, %d) inside opaque part' % (x, y))


def main(argv):
    """build.py OUTDIR writes the bitmaps; build.py --check DATADIR only compares them."""
    args = argv[1:]
    verify = bool(args) and args[0] == '--check'
    if verify:
        args = args[1:]
    if len(args) != 1:
        print('usage: build.py [--check] OUTDIR', file=sys.stderr)
        return 2
    try:
        pics = build_all()
        stale = []
        for name, cv in pics.items():
            check(name, cv)
            path = os.path.join(args[0], 'bitmap', name + '.bmp')
            data = bmp_bytes(cv)
            if verify:
                try:
                    with open(path, 'rb') as f:
                        same = f.read() == data
                except OSError:
                    same = False
                if not same:
                    stale.append(path)
            else:
                write(path, data)
        if stale:
            print('art: not what assets/art builds: %s' % ', '.join(stale), file=sys.stderr)
            return 1
    except ArtError as e:
        print('art: %s' % e, file=sys.stderr)
        return 1
    return 0


if __name__ == '__main__':
    sys.exit(main(sys.argv))
