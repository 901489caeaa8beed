"""Drawing helpers on top of the canvas: thick strokes, shaded discs, gradients."""

import math

from lib import C, rshade, dith


def stroke(cv, x0, y0, x1, y1, r, c):
    """Round-capped thick line of radius r."""
    n = int(max(abs(x1 - x0), abs(y1 - y0)) * 2) + 1
    for i in range(n + 1):
        t = i / n
        cx, cy = x0 + (x1 - x0) * t, y0 + (y1 - y0) * t
        cv.ellipse(cx, cy, r, r, c)


def shaded_disc(cv, cx, cy, r, ramp_name, light=(-0.45, -0.55), lo=0.15, hi=1.0, spec=True):
    """Sphere shading with ordered dither between ramp steps."""
    lx, ly = light
    for y in range(int(cy - r) - 1, int(cy + r) + 2):
        for x in range(int(cx - r) - 1, int(cx + r) + 2):
            dx, dy = (x + 0.5 - cx) / r, (y + 0.5 - cy) / r
            d2 = dx * dx + dy * dy
            if d2 > 1.0:
                continue
            dz = math.sqrt(1 - d2)
            lam = max(0.0, -(dx * lx + dy * ly) + dz * 0.6)
            t = lo + (hi - lo) * min(1.0, lam) + (dith(x, y) - 0.5) * 0.12
            cv.set(x, y, rshade(ramp_name, t))
    if spec:
        cv.set(int(cx + lx * r * 0.5), int(cy + ly * r * 0.5), C('white'))


def vgrad(cv, x0, y0, w, h, stops, dither=True):
    """Vertical gradient through a list of palette indices."""
    n = len(stops)
    for y in range(y0, y0 + h):
        t = (y - y0) / max(1, h - 1) * (n - 1)
        for x in range(x0, x0 + w):
            tt = t + ((dith(x, y) - 0.5) if dither else 0)
            i = min(n - 1, max(0, int(tt + 0.5)))
            cv.set(x, y, stops[i])


def recolour(cv, mapping):
    for i, c in enumerate(cv.px):
        if c in mapping:
            cv.px[i] = mapping[c]
