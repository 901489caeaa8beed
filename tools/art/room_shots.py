#!/usr/bin/env python3
"""Screenshots of every built room as the headless game draws it, to review the tile art:

    room_shots.py GAME OUTDIR [--data DIR] [--bitmaps DIR] [--rooms 13-18] [--per-room N]

For each room with a source in assets/world it writes a save that puts the heroine on a cell
a door or the start puts her on, loads it from the title, and takes a screenshot:
OUTDIR/roomNNN-K.png. It also writes OUTDIR/montage.png, every shot at half size. --bitmaps
takes the pictures from another folder (say a fresh `build.py` output) instead of DIR/bitmap.
"""

import argparse
import glob
import os
import re
import shutil
import struct
import subprocess
import sys
import tempfile
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.normpath(os.path.join(HERE, '..', '..'))
sys.path.insert(0, os.path.join(ROOT, 'tools', 'world'))

import mksave  # noqa: E402
from lib import png_bytes, write  # noqa: E402


def places():
    """room -> (maze, sorted cells she is put on): the start and every warp target."""
    out = {}
    for path in sorted(glob.glob(os.path.join(ROOT, 'assets', 'world', 'room*.room'))):
        text = open(path, encoding='utf-8').read()
        room = int(re.search(r'room(\d+)', os.path.basename(path)).group(1))
        maze = re.search(r'^maze\s+(\d+)', text, re.M)
        start = re.search(r'^start\s+(\d+)\s+(\d+)', text, re.M)
        if maze and start:
            out.setdefault(room, (int(maze.group(1)), set()))[1].add((int(start.group(1)), int(start.group(2))))
        for m in re.finditer(r'jp(\d{3}),(\d{3}),(\d{3}),(\d{3})', text):
            mz, x, y, r = map(int, m.groups())
            out.setdefault(r, (mz, set()))[1].add((x, y))
    return {r: (mz, sorted(cells)) for r, (mz, cells) in out.items()}


def read_png(path):
    """(w, h, rows of RGB bytes) of an 8-bit RGB or RGBA PNG, as the game writes them."""
    d = open(path, 'rb').read()
    pos, idat, w = 8, b'', 0
    while pos < len(d):
        n, kind = struct.unpack_from('>I4s', d, pos)
        body = d[pos + 8:pos + 8 + n]
        if kind == b'IHDR':
            w, h, depth, ctype = struct.unpack_from('>IIBB', body)
            bpp = {2: 3, 6: 4}[ctype]
        elif kind == b'IDAT':
            idat += body
        pos += 12 + n
    raw = zlib.decompress(idat)
    stride = w * bpp
    rows, prev = [], bytearray(stride)
    for y in range(h):
        f = raw[y * (stride + 1)]
        line = bytearray(raw[y * (stride + 1) + 1:(y + 1) * (stride + 1)])
        for i in range(stride):
            a = line[i - bpp] if i >= bpp else 0
            b = prev[i]
            c = prev[i - bpp] if i >= bpp else 0
            if f == 1:
                line[i] = (line[i] + a) & 255
            elif f == 2:
                line[i] = (line[i] + b) & 255
            elif f == 3:
                line[i] = (line[i] + (a + b) // 2) & 255
            elif f == 4:
                p = a + b - c
                pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
                line[i] = (line[i] + (a if pa <= pb and pa <= pc else b if pb <= pc else c)) & 255
        prev = line
        rows.append(bytes(line) if bpp == 3 else bytes(v for k, v in enumerate(line) if k % 4 != 3))
    return w, h, rows


def montage(paths, out, cols=3):
    tiles = [read_png(p) for p in paths]
    tw, th = 320, 240
    rows_n = (len(tiles) + cols - 1) // cols
    W, H = cols * tw, rows_n * th
    canvas = [bytearray(W * 3) for _ in range(H)]
    for k, (w, h, rows) in enumerate(tiles):
        ox, oy = (k % cols) * tw, (k // cols) * th
        for y in range(th):
            src = rows[min(h - 1, y * 2)]
            dst = canvas[oy + y]
            for x in range(tw):
                s = min(w - 1, x * 2) * 3
                dst[(ox + x) * 3:(ox + x) * 3 + 3] = src[s:s + 3]
    write(out, png_bytes(W, H, [bytes(r) for r in canvas]))


def main():
    ap = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    ap.add_argument('game')
    ap.add_argument('outdir')
    ap.add_argument('--data', default=os.path.join(ROOT, 'data'))
    ap.add_argument('--bitmaps')
    ap.add_argument('--rooms')
    ap.add_argument('--per-room', type=int, default=1)
    a = ap.parse_args()
    lo, hi = 1, 255
    if a.rooms:
        lo, _, hi = a.rooms.partition('-')
        lo, hi = int(lo), int(hi or lo)
    os.makedirs(a.outdir, exist_ok=True)
    shots = []
    with tempfile.TemporaryDirectory() as tmp:
        for d in ('map', 'wave', 'midi', 'bitmap'):
            src = a.bitmaps if d == 'bitmap' and a.bitmaps else os.path.join(a.data, d)
            os.symlink(os.path.abspath(src), os.path.join(tmp, d))
        for room, (maze, cells) in sorted(places().items()):
            if not lo <= room <= hi:
                continue
            pick = cells if len(cells) <= a.per_room else [cells[i * (len(cells) - 1) // max(1, a.per_room - 1)]
                                                             for i in range(a.per_room)]
            for k, (x, y) in enumerate(pick):
                save = mksave.save_text(room, maze, x, y, 15, 15, {}, {})
                with open(os.path.join(tmp, 'savedata1.sav'), 'w', encoding='utf-8', newline='') as f:
                    f.write(save)
                shot = os.path.abspath(os.path.join(a.outdir, 'room%03d-%d.png' % (room, k)))
                script = os.path.join(tmp, 'input.txt')
                with open(script, 'w') as f:
                    f.write('1500 press Space\n4000 screenshot %s\n4001 quit\n' % shot)
                subprocess.run([a.game, '--headless', '--data', tmp, '--input', script], check=True)
                shots.append(shot)
    if shots:
        montage(shots, os.path.join(a.outdir, 'montage.png'))
    return 0


if __name__ == '__main__':
    sys.exit(main())
