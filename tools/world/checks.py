"""Checks over the whole world once every maze and room has been read: the items, the warps
between rooms and the paths of things that ignore the map.

Each problem names the source file and line; all of them are reported together.
"""
import os

SIZE = 256
START_ROOM_HINT = 'the room with a "start" line'
# Items that exist once in the whole world: the orbs, the keys and the special items.
COUNTED_ONCE = set(range(1, 8)) | set(range(10, 35))
MAX_ITEM = 34
MOVER_KINDS = (3, 10, 19)
CHASER_KINDS = (5, 7)
# A chaser never strays farther than this from its home or from the heroine, whose cells
# stay inside the view limits (10 cells from every edge).
VIEW_MARGIN = 10


class Problems:
    def __init__(self):
        self.lines = []

    def add(self, where, msg):
        self.lines.append(f'{os.path.relpath(where.path)}:{where.line}: {msg}')


def taken_key(x, y, maze):
    """The taken-list key of an item, as the game writes it."""
    def s(n):
        return f' {n}' if n >= 0 else str(n)
    return s(x) + s(y) + s(maze)


def room_scripts(room, check_script):
    """(where, cell, script, info) of each event of a room."""
    for where, key, f in room.records:
        if key == 'ev':
            yield where, (f[0], f[1]), f[2], check_script(where, f[2])


# ---- items ----

def room_items(room, check_script):
    """(where, cell or None, item) of every item of a room: placed, or given by an event."""
    for where, key, f in room.records:
        if key == 'it':
            yield where, (f[0], f[1]), f[2]
        elif key == 'ev':
            for item in check_script(where, f[2]).gives:
                yield where, None, item


def check_items(world, check_script, problems):
    keys, once = {}, {}
    for num, room in sorted(world.rooms.items()):
        for where, cell, item in room_items(room, check_script):
            if not 0 <= item <= MAX_ITEM:
                # Scripts may count other things in the numbers above the items.
                if cell:
                    problems.add(where, f'item number {item} is outside 0..{MAX_ITEM}')
                continue
            k = cell + (room.maze,) if cell else None
            if k is None:
                pass
            elif k in keys:
                other = keys[k]
                problems.add(where, f'this item shares its taken-list key "{taken_key(*k)}" with '
                             f'{os.path.relpath(other.path)}:{other.line}: taking one takes both')
            else:
                keys[k] = where
            if item in COUNTED_ONCE:
                if item in once:
                    other = once[item]
                    problems.add(where, f'item {item} is placed a second time (first at '
                                 f'{os.path.relpath(other.path)}:{other.line}); it counts once')
                else:
                    once[item] = where


# ---- warps ----

def warp_graph(world, check_script):
    """Per room: its warps as (where, target room, script starts with "&") and whether one of
    its events starts the ending."""
    graph = {}
    for num, room in world.rooms.items():
        warps, ending = [], False
        for where, _, script, info in room_scripts(room, check_script):
            ending |= info.ends
            for (_, _, _, target) in info.warps:
                warps.append((where, target, script.startswith('&'), script))
        graph[num] = (warps, ending)
    return graph


def start_rooms(world):
    return [n for n, r in world.rooms.items() if r.start]


def check_warps(world, graph, problems):
    starts = start_rooms(world)
    seen, todo = set(starts), list(starts)
    while todo:
        for _, target, _, _ in graph[todo.pop()][0]:
            if target in graph and target not in seen:
                seen.add(target)
                todo.append(target)
    if starts:
        for num, room in sorted(world.rooms.items()):
            if num not in seen:
                problems.add(_first_line(room), f'room {num} is reached by no warp from '
                             f'{START_ROOM_HINT} (room {", ".join(map(str, sorted(starts)))})')
    for num in sorted(graph):
        for where, target, _, _ in graph[num][0]:
            if target not in graph:
                continue
            warps, ending = graph[target]
            if not warps and not ending:
                problems.add(where, f'the warp leads into room {target}, a dead end: no warp '
                             'leads back or onward and it does not end the game')


class _Line:
    def __init__(self, path, line):
        self.path, self.line = path, line


def _first_line(room):
    return _Line(room.path, 1)


def instant_warp(room, check_script):
    """The "&" event that warps as soon as the room is shown: a thing or item of the room
    starts on its cell. Returns (where of the event, target room) or None."""
    on = {(f[0], f[1]) for _, key, f in room.records if key in ('mo', 'it')}
    for where, cell, script, info in room_scripts(room, check_script):
        if script.startswith('&') and info.warps:
            if cell in on:
                return where, info.warps[0][3]
    return None


def check_instant_cycles(world, check_script, problems):
    """A warp shows the new room with one play tick, which runs the things' "&" events; a
    thing that starts on such an event that warps again nests warp inside warp."""
    step = {n: instant_warp(r, check_script) for n, r in world.rooms.items()}
    reported = set()
    for first in sorted(step):
        chain, n = [], first
        while n in step and step[n] and n not in chain:
            chain.append(n)
            n = step[n][1]
        if n in chain:
            cycle = chain[chain.index(n):]
            if frozenset(cycle) in reported:
                continue
            reported.add(frozenset(cycle))
            where = step[min(cycle)][0]
            rooms = ' -> '.join(str(r) for r in cycle + [cycle[0]])
            problems.add(where, f'a thing starts on this "&" warp, and the rooms it leads to '
                         f'warp on at once the same way: rooms {rooms} warp without end')


# ---- things that ignore the map ----

def _cells_per_command(speed):
    """Cells one mover command travels: it runs until the thing sits on a cell again."""
    s = 2 * speed
    if s == 0:
        return 0
    k = 1
    while (k * 32) % s:
        k += 1
    return k


def mover_path_problem(x, y, cmd):
    """Why a command mover starting at (x, y) can leave the maze, or None."""
    cmds = [cmd[k:k + 3] for k in range(0, len(cmd), 3)]
    steps = []
    for c in cmds:
        if c in ('wai', 'van'):
            steps.append(c)
            continue
        n = _cells_per_command(int(c[2]))
        dx = ('>' in c) - ('<' in c)
        dy = ('v' in c) - ('^' in c)
        steps.append((dx * n, dy * n))
    for i, s in enumerate(steps):
        if s == 'wai':
            prev = steps[i - 1]
            if prev not in ('wai', 'van') and prev != (0, 0):
                return (f'command {i + 1} "wai" keeps the thing moving with command '
                        f'{i or len(steps)} "{cmds[i - 1]}" while the heroine stays away: it '
                        'flies on through the maze edge')
    cx, cy = x, y
    lo_x = hi_x = x
    lo_y = hi_y = y
    for s in steps:
        if s == 'van':
            return None
        if s == 'wai':
            continue
        cx, cy = cx + s[0], cy + s[1]
        lo_x, hi_x, lo_y, hi_y = min(lo_x, cx), max(hi_x, cx), min(lo_y, cy), max(hi_y, cy)
    if (cx, cy) != (x, y):
        return (f'one round of its commands moves it {cx - x},{cy - y} cells, so it drifts on '
                'round after round and leaves the maze')
    if lo_x < 0 or lo_y < 0 or hi_x >= SIZE or hi_y >= SIZE:
        return (f'its commands take it to cells {lo_x}..{hi_x} x {lo_y}..{hi_y}, outside the '
                'maze (0..255)')
    return None


def chaser_reach(param):
    """Cells a chaser of this speed limit can overshoot its target by: it changes speed by 1
    on two ticks of three."""
    v = abs(param)
    px, tick = 0, 0
    while v > 0:
        px += v
        tick += 1
        if tick % 3:
            v -= 1
    return (px + 31) // 32


def check_things(world, problems):
    for num, room in sorted(world.rooms.items()):
        for where, key, f in room.records:
            if key != 'mo':
                continue
            x, y, kind, _, _, param, cmd = f
            if kind in MOVER_KINDS:
                why = mover_path_problem(x, y, cmd)
                if why:
                    problems.add(where, f'mover at {x},{y}: {why}')
            elif kind in CHASER_KINDS and param > 0:
                reach = chaser_reach(param)
                lo, hi = reach, SIZE - 1 - reach
                if reach >= VIEW_MARGIN or not (lo <= x <= hi and lo <= y <= hi):
                    problems.add(where, f'chaser at {x},{y} with speed limit {param} can fly '
                                 f'{reach} cells past its target: its path can cross the maze '
                                 'edge')


def check_world(world, check_script):
    """Runs every whole-world check; returns the problems, one line each."""
    problems = Problems()
    check_items(world, check_script, problems)
    graph = warp_graph(world, check_script)
    check_warps(world, graph, problems)
    check_instant_cycles(world, check_script, problems)
    check_things(world, problems)
    return problems.lines
