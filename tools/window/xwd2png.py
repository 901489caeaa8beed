#!/usr/bin/env python3
"""Converts an X window dump (Xvfb's -fbdir screen, 24-bit TrueColor, little-endian BGRX pixels)
to a PNG:  xwd2png.py SCREEN.xwd OUT.png"""
import os
import struct
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), '..', 'art'))
from lib import png_bytes, write  # noqa: E402


def main(src, out):
    d = open(src, 'rb').read()
    header = struct.unpack('>25I', d[:100])
    header_size, w, h, line_bytes, colours = header[0], header[4], header[5], header[12], header[19]
    start = header_size + colours * 12
    rows = []
    for y in range(h):
        bgrx = d[start + y * line_bytes:start + y * line_bytes + w * 4]
        rgb = bytearray(w * 3)
        rgb[0::3], rgb[1::3], rgb[2::3] = bgrx[2::4], bgrx[1::4], bgrx[0::4]
        rows.append(bytes(rgb))
    write(out, png_bytes(w, h, rows))


if __name__ == '__main__':
    main(*sys.argv[1:3])
