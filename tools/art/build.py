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


# A solid material's inside tile has no rim, so where one stands alone (a struck block, the
# maze's margin) only its shade sets it apart from the walls behind it: (inside, walls).
IN_FRONT = [(0, (9, 13, 14, 73, 96, 136, 153)), (16, (22, 138)), (24, (30, 152)), (108, (104, 110)),
            (116, (87, 143)), (120, (80, 124))]


def luminance(cv, code):
    """Sorted luminances of the pixels of tile code in the tile sheet."""
    from lib import PALETTE
    ox, oy = 32 * (code % 8), 32 * (code // 8)
    out = []
    for y in range(32):
        for x in range(32):
            r, g, b = PALETTE[cv.px[(oy + y) * cv.w + ox + x]]
            out.append(0.299 * r + 0.587 * g + 0.114 * b)
    return sorted(out)


def check(name, cv):
    if name == 'bgv':
        for inside, walls in IN_FRONT:
            lo = luminance(cv, inside)
            for w in walls:
                if sum(lo) / len(lo) < sum(luminance(cv, w)) / 1024 + 20:
                    raise ArtError('bgv: tile %d is not lighter than the wall %d behind it' % (inside, w))
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
