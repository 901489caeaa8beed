"""Reading, checking and writing the world: maze sources (*.maze) and room sources (*.room).

The formats are described in docs/WORLD.md. Everything here is deterministic: the same sources
give the same bytes.
"""
import os
import re
import sys

sys.path.insert(0, os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
import tile_classes  # noqa: E402

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import checks  # noqa: E402

SIZE = 256
# The view is cut from the map around the player: the player's column must stay in 10..247 and
# the view row (row + up to 5 rows of look-down) in 10..252.
COL_MIN, COL_MAX = 10, 247
ROW_MIN, ROW_MAX = 10, 247

# Class of each tile code, from the game's own table (tools/tile_classes.py).
_CLASS_ROWS = tile_classes.rows()
TILE_CLASS = [int(ch) for row in _CLASS_ROWS for ch in row]
SOLID = 3

# Auto-joined materials: inside, top, underside, left face, right face, top-left corner,
# top-right corner, single block (open left and right under an open top). None = use the
# nearest simpler tile.
MATERIALS = {
    'rock': dict(inside=0, top=1, under=2, left=3, right=4, topleft=5, topright=6, single=11),
    'brick': dict(inside=16, top=17, under=18, left=20, right=21),
    'ice': dict(inside=24, top=25, under=26, left=27, right=28, single=31),
    'soil': dict(inside=41, top=40, single=42),
    'wetstone': dict(inside=108, top=109, single=111),
    'cloud': dict(inside=112, top=112, single=113),
    'basalt': dict(inside=116, top=117, single=119),
    'abyss': dict(inside=120, top=121, single=123),
}
PLANK = (32, 33, 34)  # left end, middle, right end

ITEM_NAMES = {
    'crystal': 0, 'fire-orb': 1, 'water-orb': 2, 'forest-orb': 3, 'wind-orb': 4,
    'power-orb': 5, 'dark-orb': 6, 'light-orb': 7, 'gold-heart': 8, 'silver-heart': 9,
    'wing-key': 10, 'sun-key': 11, 'moon-key': 12, 'star-key': 13, 'wisdom-key': 14,
    'stag-key': 15, 'turtle-key': 16, 'butterfly-key': 17, 'skull-key': 18, 'void-key': 19,
    'abyss-egg': 30, 'crystal-anchor': 31, 'ice-heart': 32, 'last-key': 33, 'fairy-shoes': 34,
}
ITEM_NAMES.update({f'key{d}': 20 + d for d in range(10)})

KIND_NAMES = {
    'walker': 1, 'bouncer': 2, 'mover': 3, 'guardian': 4, 'bat': 5, 'jelly': 6, 'crow': 7,
    'follower': 8, 'pad': 9, 'slab': 10, 'lift': 19,
}
KIND_NAMES.update({f'inert{k}': k for k in range(11, 19)})

MOVER_KINDS = (3, 10, 19)
SONGS = range(1, 11)


class WorldError(Exception):
    pass


class Where:
    def __init__(self, path, line):
        self.path, self.line = path, line

    def fail(self, msg):
        raise WorldError(f'{os.path.relpath(self.path)}:{self.line}: {msg}')


def _strip_comment(text):
    """Removes a ';' comment that is not inside double quotes."""
    inside = False
    for i, ch in enumerate(text):
        if ch == '"':
            inside = not inside
        elif ch == ';' and not inside:
            return text[:i]
    return text


def _int(where, text, what, lo, hi):
    if not re.fullmatch(r'-?\d+', text):
        where.fail(f'{what} "{text}" is not a whole number')
    v = int(text)
    if not lo <= v <= hi:
        where.fail(f'{what} {v} is outside {lo}..{hi}')
    return v


# ---- mazes ----

class Maze:
    def __init__(self, number, path):
        self.number, self.path = number, path
        self.cells = [0] * (SIZE * SIZE)
        self.title = ''

    def get(self, c, r):
        return self.cells[r * SIZE + c]

    def cls(self, c, r):
        if not (0 <= c < SIZE and 0 <= r < SIZE):
            return SOLID
        return TILE_CLASS[self.get(c, r)]


def _legend_value(where, text):
    text = text.strip()
    if re.fullmatch(r'\d+', text):
        code = int(text)
        if code > 159:
            where.fail(f'tile code {code} is outside 0..159')
        return code
    if text in MATERIALS or text == 'plank':
        return text
    where.fail(f'"{text}" is neither a tile code 0..159 nor a material '
               f'({", ".join(sorted(MATERIALS))}, plank)')


def read_maze(path, number):
    maze = Maze(number, path)
    legend = {}
    fill = None
    grid = [None] * (SIZE * SIZE)  # code or material name per cell
    with open(path, encoding='utf-8') as f:
        lines = f.read().split('\n')
    i = 0
    in_legend = False
    while i < len(lines):
        where = Where(path, i + 1)
        raw = lines[i].rstrip('\r')
        line = _strip_comment(raw).strip()
        i += 1
        if not line:
            continue
        words = line.split()
        if words[0] == 'title':
            maze.title = line[len('title'):].strip()
            in_legend = False
        elif words[0] == 'legend':
            in_legend = True
        elif words[0] == 'fill':
            if len(words) != 2 or words[1] not in legend:
                where.fail('"fill" takes one legend character defined above it')
            fill = legend[words[1]]
            grid = [fill] * (SIZE * SIZE)
            in_legend = False
        elif words[0] == 'area':
            in_legend = False
            if len(words) != 3:
                where.fail('"area" takes a column and a row: area COL ROW')
            c0 = _int(where, words[1], 'area column', 0, SIZE - 1)
            r0 = _int(where, words[2], 'area row', 0, SIZE - 1)
            r = r0
            while True:
                if i >= len(lines):
                    where.fail('this area has no "end" line')
                gl = lines[i].rstrip('\r')
                gwhere = Where(path, i + 1)
                i += 1
                if gl.strip() == 'end':
                    break
                if r >= SIZE:
                    gwhere.fail(f'grid row {r} lies outside the maze (rows 0..255)')
                for k, ch in enumerate(gl):
                    if ch == ' ':
                        continue  # a blank keeps what lies below
                    c = c0 + k
                    if c >= SIZE:
                        gwhere.fail(f'grid column {c} lies outside the maze (columns 0..255)')
                    if ch not in legend:
                        gwhere.fail(f'character "{ch}" at column {c}, row {r} is not in the legend')
                    grid[r * SIZE + c] = legend[ch]
                r += 1
        elif in_legend:
            m = re.fullmatch(r'(\S)\s*=\s*(.+)', line)
            if not m:
                where.fail('a legend line is CHAR = CODE or CHAR = MATERIAL')
            if m.group(1) in legend:
                where.fail(f'legend character "{m.group(1)}" is defined twice')
            legend[m.group(1)] = _legend_value(where, m.group(2))
        else:
            where.fail(f'unknown line "{words[0]}" (expected title, legend, fill or area)')
    if fill is None:
        Where(path, 1).fail('the maze has no "fill" line')
    _resolve(maze, grid)
    return maze


def _resolve(maze, grid):
    """Turns material cells into the rim tiles that face open space."""
    def solid_at(c, r):
        if not (0 <= c < SIZE and 0 <= r < SIZE):
            return True
        g = grid[r * SIZE + c]
        return isinstance(g, str) or TILE_CLASS[g] == SOLID

    for r in range(SIZE):
        for c in range(SIZE):
            g = grid[r * SIZE + c]
            if not isinstance(g, str):
                maze.cells[r * SIZE + c] = g
                continue
            if g == 'plank':
                lp = c > 0 and grid[r * SIZE + c - 1] == 'plank'
                rp = c < SIZE - 1 and grid[r * SIZE + c + 1] == 'plank'
                maze.cells[r * SIZE + c] = PLANK[1] if lp == rp else (PLANK[2] if lp else PLANK[0])
                continue
            m = MATERIALS[g]
            up, dn = not solid_at(c, r - 1), not solid_at(c, r + 1)
            lf, rt = not solid_at(c - 1, r), not solid_at(c + 1, r)
            if up:
                if lf and rt:
                    t = m.get('single', m['top'])
                elif lf:
                    t = m.get('topleft', m['top'])
                elif rt:
                    t = m.get('topright', m['top'])
                else:
                    t = m['top']
            elif dn:
                t = m.get('under', m['inside'])
            elif lf:
                t = m.get('left', m['inside'])
            elif rt:
                t = m.get('right', m['inside'])
            else:
                t = m['inside']
            maze.cells[r * SIZE + c] = t


def maze_text(maze):
    rows = []
    for r in range(SIZE):
        rows.append(','.join(str(v) for v in maze.cells[r * SIZE:(r + 1) * SIZE]))
    return ('\r\n'.join(rows) + '\r\n').encode('ascii')


# ---- event scripts ----

COMMANDS = ('ms', 'jp', 'if', 'fg', 'ii', 'mc', 'hn', 'hi', 'hh', 'om', 'wd', 'mm', 'se', 'md',
            'as', 'fn', 'ed')


def message_lines(text):
    """Lines the message window uses for text (the layout of the window: 18 glyphs a line)."""
    x, lines = 156, 1
    i = 0
    while i < len(text):
        ch = text[i]
        if ch == 'r':
            lines += 1
            x = 156
        elif ch in 'bcw':
            pass
        elif ch == 'f':
            i += 1
        elif ch == 'i':
            i += 2
        else:
            if ch not in '。、' and x > 432:
                lines += 1
                x = 156
            x += 16
        i += 1
    return lines


class ScriptInfo:
    def __init__(self):
        self.warps = []   # (maze, col, row, room)
        self.songs = []
        self.messages = []  # the texts of its "ms" commands, in order
        self.ends = False
        self.gives = []   # item numbers an "ii" adds to or sets above 0


def check_play_bounds(where, kind, face, cmd):
    """What the game's room loader refuses beyond the field ranges: walkers turn by 1 - face,
    a kind 7 chaser needs its home cell, a follower's queue holds speed characters only."""
    if kind in (1, 4, 6) and face not in (0, 1):
        where.fail(f'a walker faces 0 (right) or 1 (left), not {face}')
    if kind == 7 and not (len(cmd) >= 6 and cmd[:6].isdigit()):
        where.fail('a kind 7 chaser needs its home cell as six digits (column, row)')
    if kind == 8 and any(ch not in '0123456789abcdefghijklmnopqrst' for ch in cmd):
        where.fail('a follower\'s queue holds only the speed characters 0-9 and a-t')


def check_script(where, script, in_init=False):
    """Walks the script the way the interpreter reads it and checks every command's operands."""
    info = ScriptInfo()
    s = script
    p = 0
    first = True

    def digits(a, n, what):
        field = s[a:a + n]
        if len(field) < n or not field.isdigit():
            where.fail(f'script "{s}": {what} at character {a + 1} must be {n} digits, '
                       f'found "{field}"')
        return int(field)

    def need(k, what):
        if p + k > len(s):
            where.fail(f'script "{s}": "{what}" at character {p + 1} runs past the end')

    while p < len(s) - 1 or (p == 0 and len(s) > 1):
        two = s[p:p + 2]
        if p == 0 and first and s[0] in '%&':
            p += 1
            first = False
            continue
        first = False
        if two == 'ms':
            end = s.find(']', p)
            if end < 0:
                where.fail(f'script "{s}": a message at character {p + 1} has no closing "]"')
            text = s[p + 2:end]
            info.messages.append(text)
            if message_lines(text) > 6:
                where.fail(f'script "{s}": the message "{text}" needs {message_lines(text)} '
                           'lines; the window holds 6')
            p = end + 1
        elif two == 'jp':
            need(17, 'jp')
            maze = digits(p + 2, 3, 'the maze')
            col = digits(p + 6, 3, 'the column')
            row = digits(p + 10, 3, 'the row')
            room = digits(p + 14, 3, 'the room')
            for sep in (p + 5, p + 9, p + 13, p + 17):
                if sep < len(s) and s[sep].isdigit():
                    where.fail(f'script "{s}": the character after a jp field (character '
                               f'{sep + 1}) must not be a digit')
            if in_init:
                where.fail(f'script "{s}": an init script cannot warp (the room file is '
                           'still being read)')
            info.warps.append((maze, col, row, room))
            p += 17
        elif two == 'if':
            q = p + 2
            n = 0
            while s[q:q + 2] in ('fl', 'it'):
                if q + 8 > len(s):
                    where.fail(f'script "{s}": a condition at character {q + 1} is cut short')
                digits(q + 2, 3, 'the condition number')
                if s[q + 5] not in '=<>%':
                    where.fail(f'script "{s}": condition operator "{s[q + 5]}" is none of = < > %')
                digits(q + 6, 2, 'the condition value')
                q += 8
                n += 1
            if n == 0:
                where.fail(f'script "{s}": "if" at character {p + 1} has no condition')
            if q + 2 > len(s) or not s[q + 1].isdigit():
                where.fail(f'script "{s}": "if" needs a separator and a digit after its '
                           'conditions')
            markers = int(s[q + 1]) + 1
            if s.count('#', q + 1) < markers:
                where.fail(f'script "{s}": "if" skips past {markers} "#" markers, but fewer '
                           'follow')
            p = q + 2
        elif two in ('fg', 'ii'):
            need(8, two)
            num = digits(p + 2, 3, 'the number')
            if num > (511 if two == 'fg' else 127):
                where.fail(f'script "{s}": {two} number {num} is out of range')
            if s[p + 5] not in '=+-':
                where.fail(f'script "{s}": {two} operator "{s[p + 5]}" is none of = + -')
            value = digits(p + 6, 2, 'the value')
            if two == 'ii' and s[p + 5] in '=+' and value > 0:
                info.gives.append(num)
            p += 8
        elif two == 'mc':
            need(13, 'mc')
            c = digits(p + 2, 3, 'the column')
            r = digits(p + 6, 3, 'the row')
            t = digits(p + 10, 3, 'the tile code')
            if c > 255 or r > 255 or t > 159:
                where.fail(f'script "{s}": mc {c},{r},{t} is out of range')
            p += 13
        elif two == 'om':
            need(9, 'om')
            if digits(p + 2, 3, 'the object number') > 39:
                where.fail(f'script "{s}": om object number is over 39')
            if digits(p + 6, 3, 'the kind') > 147 and s[p + 2:p + 5] != '000':
                where.fail(f'script "{s}": the game ignores om kinds over 147')
            p += 9
        elif two == 'mm':
            need(9, 'mm')
            digits(p + 2, 3, 'the first flag')
            digits(p + 6, 3, 'the second flag')
            p += 9
        elif two == 'wd':
            need(4, 'wd')
            if not re.fullmatch(r' ?-?\d', s[p + 2:p + 4]) and not s[p + 2:p + 4].isdigit():
                where.fail(f'script "{s}": wd needs a drift of two characters')
            if abs(int(s[p + 2:p + 4].replace(' ', ''))) > 8:
                where.fail(f'script "{s}": the game holds wind at -8..8 pixels per tick')
            p += 4
        elif two == 'se':
            need(5, 'se')
            if digits(p + 2, 3, 'the sound') > 9:
                where.fail(f'script "{s}": sound numbers are 0..9')
            p += 5
        elif two == 'md':
            need(4, 'md')
            song = digits(p + 2, 2, 'the song')
            if song not in SONGS:
                where.fail(f'script "{s}": song {song} does not exist (01..10)')
            info.songs.append(song)
            p += 4
        elif two == 'as':
            need(3, 'as')
            digits(p + 2, 1, 'the quiet digit')
            p += 3
        elif two in ('hn', 'hi', 'hh'):
            p += 2
        elif two == 'fn':
            info.ends = True
            p += 2
        elif two == 'ed':
            p += 2
        else:
            ch = s[p]
            if ch.isascii() and ch.isalpha() and ch.islower():
                where.fail(f'script "{s}": "{two}" at character {p + 1} is no command')
            p += 1
    return info


# ---- rooms ----

class Room:
    def __init__(self, number, path):
        self.number, self.path = number, path
        self.maze = None
        self.records = []   # (where, keyword, fields)
        self.things = 0
        self.events = {}
        self.start = None   # where a new game puts the player, for the room it starts in


def _fields(where, text):
    out = []
    i = 0
    while i < len(text):
        ch = text[i]
        if ch.isspace():
            i += 1
        elif ch == '"':
            j = text.find('"', i + 1)
            if j < 0:
                where.fail('a text field has no closing double quote')
            out.append(('text', text[i + 1:j]))
            i = j + 1
        else:
            j = i
            while j < len(text) and not text[j].isspace() and text[j] != '"':
                j += 1
            out.append(('word', text[i:j]))
            i = j
    return out


def read_room(path, number):
    room = Room(number, path)
    with open(path, encoding='utf-8') as f:
        text = f.read()
    for n, raw in enumerate(text.split('\n'), 1):
        where = Where(path, n)
        line = _strip_comment(raw.rstrip('\r')).strip()
        if not line:
            continue
        f = _fields(where, line)
        if f[0][0] != 'word':
            where.fail('a record starts with its keyword')
        key = f[0][1]
        args = f[1:]

        def word(k, what):
            if k >= len(args) or args[k][0] != 'word':
                where.fail(f'"{key}" needs {what} as field {k + 1}')
            return args[k][1]

        def text(k, what):
            if k >= len(args) or args[k][0] != 'text':
                where.fail(f'"{key}" needs {what} in double quotes as field {k + 1}')
            return args[k][1]

        def count(k):
            if len(args) != k:
                where.fail(f'"{key}" takes {k} fields, found {len(args)}')

        if key == 'maze':
            count(1)
            room.maze = _int(where, word(0, 'the maze number'), 'maze', 0, 999)
        elif key == 'start':
            count(2)
            room.start = (_int(where, word(0, 'the column'), 'column', 0, 255),
                          _int(where, word(1, 'the row'), 'row', 0, 255), where)
        elif key == 'mo':
            count(7)
            x = _int(where, word(0, 'the column'), 'column', 0, 255)
            y = _int(where, word(1, 'the row'), 'row', 0, 255)
            kw = word(2, 'the kind')
            kind = KIND_NAMES[kw] if kw in KIND_NAMES else _int(where, kw, 'kind', 1, 19)
            face = _int(where, word(3, 'the face'), 'face', 0, 5)
            frame = _int(where, word(4, 'the frame'), 'frame', 0, 20)
            param = _int(where, word(5, 'the parameter'), 'parameter', -16, 16)
            cmd = text(6, 'the command text')
            if kind in MOVER_KINDS:
                if not cmd or len(cmd) % 3:
                    where.fail('a mover\'s commands are groups of three characters')
                for k in range(0, len(cmd), 3):
                    c3 = cmd[k:k + 3]
                    if c3 not in ('wai', 'van') and not (
                            all(ch in '<>v^. ' for ch in c3[:2]) and c3[2].isdigit()):
                        where.fail(f'mover command "{c3}" is neither wai, van nor two of '
                                   '< > v ^ . and a speed digit')
                if not 1 <= param <= len(cmd) // 3:
                    where.fail(f'a mover starts at command 1..{len(cmd) // 3}, not {param}')
            if kind in (1, 4, 6) and param <= 0:
                where.fail('a walker needs a walking speed above 0')
            check_play_bounds(where, kind, face, cmd)
            room.things += 1
            room.records.append((where, 'mo', [x, y, kind, face, frame, param, cmd]))
        elif key == 'it':
            count(3)
            x = _int(where, word(0, 'the column'), 'column', 0, 255)
            y = _int(where, word(1, 'the row'), 'row', 0, 255)
            iw = word(2, 'the item')
            item = ITEM_NAMES[iw] if iw in ITEM_NAMES else _int(where, iw, 'item', 0, 34)
            room.things += 1
            room.records.append((where, 'it', [x, y, item]))
        elif key == 'ev':
            count(3)
            x = _int(where, word(0, 'the column'), 'column', 0, 255)
            y = _int(where, word(1, 'the row'), 'row', 0, 255)
            script = text(2, 'the script')
            if (x, y) in room.events:
                where.fail(f'cell {x},{y} already has an event (line {room.events[(x, y)]})')
            room.events[(x, y)] = n
            room.records.append((where, 'ev', [x, y, script]))
        elif key == 'in':
            count(1)
            room.records.append((where, 'in', [text(0, 'the script')]))
        else:
            where.fail(f'unknown record "{key}" (expected maze, start, mo, it, ev or in; the builder '
                       'writes the closing "@" itself)')
        if room.things > 39:
            where.fail('a room holds at most 39 things and items')
        if sum(1 for r in room.records if r[1] == 'ev') > 255:
            where.fail('a room holds at most 255 events')
    if room.maze is None:
        Where(path, 1).fail('the room names its maze with a "maze N" line')
    return room


def room_text(room):
    out = []
    for _, key, f in room.records:
        if key == 'mo':
            out.append('mo,%d,%d,%d,%d,%d,%d,"%s"' % tuple(f))
        elif key == 'it':
            out.append('it,%d,%d,%d' % tuple(f))
        elif key == 'ev':
            out.append('ev,%d,%d,"%s"' % tuple(f))
        else:
            out.append('in,"%s"' % f[0])
    out.append('@')
    return ('\r\n'.join(out) + '\r\n').encode('utf-8')


# ---- the whole world ----

class World:
    def __init__(self):
        self.mazes = {}
        self.rooms = {}


def _standing_place(maze, c, r):
    """Why the player cannot be put at (c, r) of the maze, or None."""
    if not (COL_MIN <= c <= COL_MAX and ROW_MIN <= r <= ROW_MAX):
        return f'cell {c},{r} is outside the view limits (columns 10..247, rows 10..247)'
    if maze.cls(c, r) == SOLID or maze.cls(c, r - 1) == SOLID:
        return f'cell {c},{r} of maze {maze.number} is inside solid tiles'
    return None


def _reach_check(world, starts):
    """Flood-fills the non-solid cells from every place the player is put and stops the build
    when any reachable cell lies where the view cannot follow."""
    for mnum, places in sorted(starts.items()):
        maze = world.mazes[mnum]
        seen = bytearray(SIZE * SIZE)
        stack = []
        for (c, r, src) in places:
            if not seen[r * SIZE + c]:
                seen[r * SIZE + c] = 1
                stack.append((c, r, src))
        while stack:
            c, r, src = stack.pop()
            if not (COL_MIN <= c <= COL_MAX and ROW_MIN <= r <= ROW_MAX):
                src.fail(f'from here the player can reach cell {c},{r} of maze {mnum}, outside '
                         'the view limits; close the maze with solid tiles')
            for dc, dr in ((1, 0), (-1, 0), (0, 1), (0, -1)):
                nc, nr = c + dc, r + dr
                if 0 <= nc < SIZE and 0 <= nr < SIZE and not seen[nr * SIZE + nc] \
                        and maze.cls(nc, nr) != SOLID:
                    seen[nr * SIZE + nc] = 1
                    stack.append((nc, nr, src))


def build_world(src):
    world = World()
    names = sorted(os.listdir(src))
    for name in names:
        m = re.fullmatch(r'maze(\d{3})\.maze', name)
        if m:
            world.mazes[int(m.group(1))] = read_maze(os.path.join(src, name), int(m.group(1)))
    for name in names:
        m = re.fullmatch(r'room(\d{3})\.room', name)
        if m:
            world.rooms[int(m.group(1))] = read_room(os.path.join(src, name), int(m.group(1)))
        elif not re.fullmatch(r'maze\d{3}\.maze', name) and not name.startswith('.') \
                and name not in ('places.txt', 'optional.txt') \
                and not os.path.isdir(os.path.join(src, name)):
            raise WorldError(f'{os.path.relpath(os.path.join(src, name))}: not a maze or room '
                             'source (mazeNNN.maze, roomNNN.room)')
    starts = {}
    for room in world.rooms.values():
        if room.maze not in world.mazes:
            Where(room.path, 1).fail(f'maze {room.maze} has no source')
        maze = world.mazes[room.maze]
        if room.start:
            c, r, where = room.start
            why = _standing_place(maze, c, r)
            if why:
                where.fail(f'the player cannot start here: {why}')
            if maze.cls(c, r + 1) != SOLID:
                where.fail(f'the start cell {c},{r} has no floor under it')
            starts.setdefault(room.maze, []).append((c, r, where))
        for where, key, f in room.records:
            if key in ('mo', 'it'):
                x, y = f[0], f[1]
                if key == 'it' or f[2] not in MOVER_KINDS + (5, 7):
                    if maze.cls(x, y) == SOLID:
                        where.fail(f'cell {x},{y} of maze {room.maze} is solid')
            elif key == 'ev':
                x, y, script = f
                if not script.startswith('&'):
                    why = _standing_place(maze, x, y)
                    if why:
                        where.fail(f'the player cannot stand on this event: {why}')
                    starts.setdefault(room.maze, []).append((x, y, where))
                info = check_script(where, script)
                for (wm, wc, wr, wroom) in info.warps:
                    if wm not in world.mazes:
                        where.fail(f'the warp goes to maze {wm}, which has no source')
                    if wroom not in world.rooms:
                        where.fail(f'the warp goes to room {wroom}, which has no source')
                    if world.rooms[wroom].maze != wm:
                        where.fail(f'room {wroom} belongs to maze {world.rooms[wroom].maze}, '
                                   f'not {wm}')
                    why = _standing_place(world.mazes[wm], wc, wr)
                    if why:
                        where.fail(f'the warp target is no place to stand: {why}')
                    starts.setdefault(wm, []).append((wc, wr, where))
            else:
                check_script(where, f[0], in_init=True)
    _reach_check(world, starts)
    problems = checks.check_world(world, check_script)
    if problems:
        raise WorldError('\n'.join(problems))
    return world


def write_world(world, outdir):
    mapdir = os.path.join(outdir, 'map')
    os.makedirs(mapdir, exist_ok=True)
    for n, maze in sorted(world.mazes.items()):
        with open(os.path.join(mapdir, 'maz%03d.map' % n), 'wb') as f:
            f.write(maze_text(maze))
    for n, room in sorted(world.rooms.items()):
        with open(os.path.join(mapdir, 'room%03d.rdt' % n), 'wb') as f:
            f.write(room_text(room))
