"""Shared pieces of the art tools: palette, canvas, text pixel art, BMP and PNG writers."""

import functools
import os
import struct
import zlib

ROOT = os.path.normpath(os.path.join(os.path.dirname(os.path.abspath(__file__)), '..', '..'))
ART = os.path.join(ROOT, 'assets', 'art')

KEY = 2  # transparent colour of the sprite sheets
FIXED = 255  # survives every fade: never drawn


class ArtError(Exception):
    pass


def load_palette(path=None):
    """Returns (list of 256 (r, g, b), dict name -> index)."""
    path = path or os.path.join(ART, 'palette.txt')
    colours = [None] * 256
    names = {}
    with open(path, encoding='utf-8') as f:
        for no, line in enumerate(f, 1):
            line = line.split('#', 1)[0].strip()
            if not line:
                continue
            parts = line.split()
            if len(parts) != 5:
                raise ArtError('%s:%d: expected "index r g b name"' % (path, no))
            i, r, g, b = (int(p) for p in parts[:4])
            if not 0 <= i <= 255 or colours[i] is not None:
                raise ArtError('%s:%d: bad or repeated index %d' % (path, no, i))
            if not all(0 <= c <= 255 for c in (r, g, b)):
                raise ArtError('%s:%d: colour out of range' % (path, no))
            if parts[4] in names:
                raise ArtError('%s:%d: repeated name %s' % (path, no, parts[4]))
            colours[i] = (r, g, b)
            names[parts[4]] = i
    missing = [i for i in range(256) if colours[i] is None]
    if missing:
        raise ArtError('%s: entries missing: %s' % (path, missing[:8]))
    return colours, names


PALETTE, NAMES = load_palette()


def C(name):
    """Palette index of a named entry ('robe5', 'white', ...)."""
    try:
        return NAMES[name]
    except KeyError:
        raise ArtError('unknown colour name %r' % name) from None


@functools.lru_cache(maxsize=None)
def ramp(name):
    """All indices of a ramp, dark to light."""
    out = []
    k = 0
    while '%s%d' % (name, k) in NAMES:
        out.append(NAMES['%s%d' % (name, k)])
        k += 1
    if not out:
        raise ArtError('unknown ramp %r' % name)
    return tuple(out)


def rshade(name, t):
    """Ramp entry at fraction t (0 dark .. 1 light), clamped."""
    r = ramp(name)
    t = min(1.0, max(0.0, t))
    return r[min(len(r) - 1, int(t * (len(r) - 1) + 0.5))]


class Rng:
    """Small deterministic generator (xorshift32) so builds repeat byte for byte."""

    def __init__(self, seed):
        self.s = (seed * 2654435761 + 12345) & 0xFFFFFFFF or 1

    def next(self):
        s = self.s
        s ^= (s << 13) & 0xFFFFFFFF
        s ^= s >> 17
        s ^= (s << 5) & 0xFFFFFFFF
        self.s = s
        return s

    def rand(self):
        return self.next() / 4294967296.0

    def randint(self, a, b):
        return a + self.next() % (b - a + 1)

    def choice(self, seq):
        return seq[self.next() % len(seq)]


@functools.lru_cache(maxsize=1 << 16)
def hash2(x, y, seed=0):
    h = (x * 374761393 + y * 668265263 + seed * 982451653) & 0xFFFFFFFF
    h = ((h ^ (h >> 13)) * 1274126177) & 0xFFFFFFFF
    return (h ^ (h >> 16)) / 4294967296.0


def _smooth(t):
    return t * t * (3 - 2 * t)


@functools.lru_cache(maxsize=4096)
def field(w, h, scale, seed, octaves=1, wrap=0, ox=0, oy=0):
    """Value noise (octaves summed, 0..1) on a w x h grid; wrap > 0 makes it repeat with that period."""
    acc = [0.0] * (w * h)
    amp, tot = 1.0, 0.0
    for o in range(octaves):
        s = max(1.0, scale / (1 << o))
        sd = seed + o * 101
        if wrap:
            p = max(1, int(wrap / s))
            xs = [(int(x / s) % p, (int(x / s) + 1) % p, _smooth(x / s - int(x / s))) for x in range(w)]
            ys = [(int(y / s) % p, (int(y / s) + 1) % p, _smooth(y / s - int(y / s))) for y in range(h)]
        else:
            xs = [(int(x // s), int(x // s) + 1, _smooth(x / s - x // s)) for x in range(ox, ox + w)]
            ys = [(int(y // s), int(y // s) + 1, _smooth(y / s - y // s)) for y in range(oy, oy + h)]
        i = 0
        for (y0, y1, ty) in ys:
            for (x0, x1, tx) in xs:
                a = hash2(x0, y0, sd)
                b = hash2(x1, y0, sd)
                c = hash2(x0, y1, sd)
                d = hash2(x1, y1, sd)
                top = a + (b - a) * tx
                bot = c + (d - c) * tx
                acc[i] += (top + (bot - top) * ty) * amp
                i += 1
        tot += amp
        amp *= 0.5
    return tuple(v / tot for v in acc)


def vnoise(x, y, scale, seed=0, wrap=None):
    """Value noise in 0..1 at integer (x, y); with wrap it repeats with that period."""
    return fbm(x, y, scale, seed, 1, wrap)


def fbm(x, y, scale, seed=0, octaves=3, wrap=None):
    x, y = int(x), int(y)
    if wrap:
        wrap = int(wrap)
        f = field(wrap, wrap, scale, seed, octaves, wrap)
        return f[(y % wrap) * wrap + (x % wrap)]
    # unwrapped: evaluate on a 64 x 64 block grid so nearby calls share the work
    bx, by = x // 64, y // 64
    f = field(64, 64, scale, seed, octaves, 0, bx * 64, by * 64)
    return f[(y % 64) * 64 + (x % 64)]


BAYER4 = [[0, 8, 2, 10], [12, 4, 14, 6], [3, 11, 1, 9], [15, 7, 13, 5]]


def dith(x, y):
    return (BAYER4[y & 3][x & 3] + 0.5) / 16.0


class Canvas:
    def __init__(self, w, h, fill=KEY):
        self.w, self.h = w, h
        self.px = bytearray([fill]) * (w * h)

    def get(self, x, y):
        if 0 <= x < self.w and 0 <= y < self.h:
            return self.px[y * self.w + x]
        return KEY

    def set(self, x, y, c):
        if 0 <= x < self.w and 0 <= y < self.h and c is not None:
            self.px[y * self.w + x] = c

    def rect(self, x0, y0, w, h, c):
        for y in range(max(0, y0), min(self.h, y0 + h)):
            for x in range(max(0, x0), min(self.w, x0 + w)):
                self.px[y * self.w + x] = c

    def frame(self, x0, y0, w, h, c):
        for x in range(x0, x0 + w):
            self.set(x, y0, c)
            self.set(x, y0 + h - 1, c)
        for y in range(y0, y0 + h):
            self.set(x0, y, c)
            self.set(x0 + w - 1, y, c)

    def line(self, x0, y0, x1, y1, c):
        dx, dy = abs(x1 - x0), -abs(y1 - y0)
        sx, sy = (1 if x0 < x1 else -1), (1 if y0 < y1 else -1)
        err = dx + dy
        while True:
            self.set(x0, y0, c)
            if x0 == x1 and y0 == y1:
                break
            e2 = 2 * err
            if e2 >= dy:
                err += dy
                x0 += sx
            if e2 <= dx:
                err += dx
                y0 += sy

    def ellipse(self, cx, cy, rx, ry, c):
        """Filled ellipse; centre may be fractional."""
        for y in range(int(cy - ry) - 1, int(cy + ry) + 2):
            for x in range(int(cx - rx) - 1, int(cx + rx) + 2):
                dx = (x + 0.5 - cx) / max(rx, 0.01)
                dy = (y + 0.5 - cy) / max(ry, 0.01)
                if dx * dx + dy * dy <= 1.0:
                    self.set(x, y, c)

    def poly(self, pts, c):
        """Filled polygon (even-odd, pixel centres)."""
        ys = [p[1] for p in pts]
        for y in range(int(min(ys)), int(max(ys)) + 1):
            yc = y + 0.5
            xs = []
            n = len(pts)
            for i in range(n):
                (x0, y0), (x1, y1) = pts[i], pts[(i + 1) % n]
                if (y0 <= yc < y1) or (y1 <= yc < y0):
                    xs.append(x0 + (yc - y0) * (x1 - x0) / (y1 - y0))
            xs.sort()
            for i in range(0, len(xs) - 1, 2):
                for x in range(int(xs[i] + 0.5), int(xs[i + 1] + 0.5)):
                    self.set(x, y, c)

    def blit(self, src, dx, dy, sx=0, sy=0, w=None, h=None, key=True, flip=False, remap=None):
        w = src.w if w is None else w
        h = src.h if h is None else h
        for y in range(h):
            for x in range(w):
                xx = sx + (w - 1 - x if flip else x)
                c = src.get(xx, sy + y)
                if key and c == KEY:
                    continue
                if remap:
                    c = remap.get(c, c)
                self.set(dx + x, dy + y, c)

    def sub(self, x0, y0, w, h):
        out = Canvas(w, h)
        out.blit(self, 0, 0, x0, y0, w, h, key=False)
        return out

    def outline(self, c, diag=False):
        """Adds a one-pixel outline of colour c around the opaque pixels."""
        add = []
        nb = [(1, 0), (-1, 0), (0, 1), (0, -1)]
        if diag:
            nb += [(1, 1), (1, -1), (-1, 1), (-1, -1)]
        for y in range(self.h):
            for x in range(self.w):
                if self.px[y * self.w + x] != KEY:
                    continue
                for ox, oy in nb:
                    v = self.get(x + ox, y + oy)
                    if v != KEY and v != c:
                        add.append((x, y))
                        break
        for x, y in add:
            self.set(x, y, c)
        return self

    def flipped(self):
        out = Canvas(self.w, self.h)
        out.blit(self, 0, 0, key=False, flip=True)
        return out

    def scaled(self, k):
        out = Canvas(self.w * k, self.h * k)
        for y in range(out.h):
            for x in range(out.w):
                out.px[y * out.w + x] = self.px[(y // k) * self.w + x // k]
        return out


# ---------------------------------------------------------------- text pixel art

def load_art(name):
    """Reads assets/art/<name>: 'legend X colourname' lines and 'art NAME' blocks.

    '.' is always transparent. A block ends at a blank line. Returns dict name -> Canvas.
    """
    path = os.path.join(ART, name)
    legend = {'.': KEY}
    arts = {}
    cur = None
    rows = []

    def finish(no):
        if cur is None:
            return
        w = max((len(r) for r in rows), default=0)
        cv = Canvas(w, len(rows))
        for y, r in enumerate(rows):
            for x, ch in enumerate(r):
                if ch not in legend:
                    raise ArtError('%s: art %s row %d: letter %r has no legend' % (path, cur, y + 1, ch))
                cv.px[y * w + x] = legend[ch]
        arts[cur] = cv

    with open(path, encoding='utf-8') as f:
        for no, raw in enumerate(f, 1):
            line = raw.rstrip('\n').rstrip()
            if cur is not None:
                if line == '':
                    finish(no)
                    cur, rows = None, []
                else:
                    rows.append(line)
                continue
            s = line.strip()
            if not s or s.startswith('#'):
                continue
            p = s.split()
            if p[0] == 'legend' and len(p) == 3 and len(p[1]) == 1:
                legend[p[1]] = C(p[2])
            elif p[0] == 'art' and len(p) == 2:
                if p[1] in arts:
                    raise ArtError('%s:%d: art %s defined twice' % (path, no, p[1]))
                cur, rows = p[1], []
            else:
                raise ArtError('%s:%d: expected "legend X colour" or "art NAME"' % (path, no))
    finish(None)
    return arts


# ---------------------------------------------------------------- pixel font

_FONT = None


def font():
    """5 x 7 glyphs from assets/art/font.txt: dict char -> list of 7 strings."""
    global _FONT
    if _FONT is None:
        path = os.path.join(ART, 'font.txt')
        _FONT = {}
        cur = None
        with open(path, encoding='utf-8') as f:
            for no, raw in enumerate(f, 1):
                line = raw.rstrip('\n')
                if line.startswith('char '):
                    ch = line[5:]
                    cur = ' ' if ch == 'space' else ch
                    _FONT[cur] = []
                elif cur is not None and line.strip():
                    _FONT[cur].append(line.ljust(5)[:5])
        for ch, rows in _FONT.items():
            if len(rows) != 7:
                raise ArtError('%s: glyph %r has %d rows, not 7' % (path, ch, len(rows)))
    return _FONT


def text_width(s, scale=1, gap=1):
    return max(0, len(s) * (5 + gap) * scale - gap * scale)


def draw_text(cv, x, y, s, c, scale=1, gap=1, shade=None):
    """Draws s with the 5 x 7 font; shade(x, y) may give a colour per pixel row."""
    f = font()
    for i, ch in enumerate(s.upper()):
        g = f.get(ch)
        if g is None:
            raise ArtError('font has no glyph %r' % ch)
        ox = x + i * (5 + gap) * scale
        for gy, row in enumerate(g):
            for gx, v in enumerate(row):
                if v == '#':
                    for yy in range(scale):
                        for xx in range(scale):
                            col = shade(gy * scale + yy) if shade else c
                            cv.set(ox + gx * scale + xx, y + gy * scale + yy, col)


# ---------------------------------------------------------------- files

def bmp_bytes(cv, palette=None):
    """8-bit BI_RGB BMP, 256-entry palette, bottom-up rows padded to 4 bytes."""
    palette = palette or PALETTE
    stride = (cv.w + 3) & ~3
    img = bytearray()
    pad = b'\0' * (stride - cv.w)
    for y in range(cv.h - 1, -1, -1):
        img += cv.px[y * cv.w:(y + 1) * cv.w] + pad
    pal = b''.join(bytes((b, g, r, 0)) for (r, g, b) in palette)
    off = 14 + 40 + len(pal)
    head = struct.pack('<2sIHHI', b'BM', off + len(img), 0, 0, off)
    info = struct.pack('<IiiHHIIiiII', 40, cv.w, cv.h, 1, 8, 0, len(img), 2835, 2835, 256, 0)
    return head + info + pal + bytes(img)


def read_bmp(path):
    with open(path, 'rb') as f:
        d = f.read()
    off = struct.unpack_from('<I', d, 10)[0]
    w, h = struct.unpack_from('<ii', d, 18)
    stride = (w + 3) & ~3
    cv = Canvas(w, abs(h))
    for y in range(abs(h)):
        row = h - 1 - y if h > 0 else y
        cv.px[y * w:(y + 1) * w] = d[off + row * stride: off + row * stride + w]
    return cv


def png_bytes(w, h, rgb_rows):
    """RGB PNG from a list of h bytes objects of 3 w bytes each."""
    raw = b''.join(b'\0' + r for r in rgb_rows)

    def chunk(t, data):
        return struct.pack('>I', len(data)) + t + data + struct.pack('>I', zlib.crc32(t + data) & 0xFFFFFFFF)
    return (b'\x89PNG\r\n\x1a\n' + chunk(b'IHDR', struct.pack('>IIBBBBB', w, h, 8, 2, 0, 0, 0))
            + chunk(b'IDAT', zlib.compress(raw, 6)) + chunk(b'IEND', b''))


def canvas_png(cv, scale=1, key_rgb=None):
    pal = list(PALETTE)
    if key_rgb is not None:
        pal[KEY] = key_rgb
    lut = [bytes(c) for c in pal]
    rows = []
    for y in range(cv.h):
        row = b''.join(lut[c] * scale for c in cv.px[y * cv.w:(y + 1) * cv.w])
        rows.extend([row] * scale)
    return png_bytes(cv.w * scale, cv.h * scale, rows)


def write(path, data):
    os.makedirs(os.path.dirname(path) or '.', exist_ok=True)
    with open(path, 'wb') as f:
        f.write(data)
