"""Where each mechanic of the game is used: the special tiles a room's open space touches, the
kinds of things it holds, the script commands and triggers its events use, and the items it
gives. Printed by `build.py --uses` as the Markdown table of docs/WORLD.md."""
import re

from worldlib import SIZE, SOLID

# Tiles whose behaviour is a mechanic (docs/TILES.md).
TILES = [
    ('strike block 37 → 0', (37,)), ('strike block 54 → 19', (54,)),
    ('strike block 146 → 122', (146,)), ('cracked rock 7 → 9', (7,)),
    ('cracked brick 12 → 8', (12,)), ('steel spikes 48', (48,)), ('ice spikes 29', (29,)),
    ('red-hot spikes 49', (49,)), ('thorns 50', (50,)), ('red thorns 51', (51,)),
    ('low flames 52', (52,)), ('roaring fire 53', (53,)), ('healing spring', None),
    ('braziers 78/79', (78, 79)),
]
# Things 11..18 all stand still; their face and frame choose the picture (a lantern, a statue,
# the old woman, the fox, crystals, a gravestone, a torch, the mirror).
KINDS = ['walker 1', 'bouncer 2', 'mover 3', 'guardian 4', 'bat 5', 'jelly 6', 'crow 7',
         'follower 8', 'blast pad 9', 'slab 10'] + ['decorations 11..18'] * 8 + ['lift 19']
COMMANDS = ['ms', 'jp', 'if', 'fg', 'ii', 'mc', 'hn', 'hi', 'hh', 'om', 'wd', 'mm', 'se', 'md',
            'as', 'fn']


def _room_cells(maze, room):
    """The open cells reachable from the room's events, and the cells next to them."""
    seen = set()
    stack = [(x, y) for (x, y) in room.events]
    while stack:
        c, r = stack.pop()
        if (c, r) in seen or not (0 <= c < SIZE and 0 <= r < SIZE) or maze.cls(c, r) == SOLID:
            continue
        seen.add((c, r))
        stack += [(c + 1, r), (c - 1, r), (c, r + 1), (c, r - 1)]
    near = set(seen)
    for c, r in seen:
        near |= {(c + dc, r + dr) for dc in (-1, 0, 1) for dr in (-1, 0, 1)}
    return near


def uses(world, tile_class):
    found = {}

    def add(what, room):
        found.setdefault(what, set()).add(room)

    for num, room in world.rooms.items():
        maze = world.mazes[room.maze]
        cells = _room_cells(maze, room)
        tiles = {maze.get(c, r) for (c, r) in cells if 0 <= c < SIZE and 0 <= r < SIZE}
        for what, codes in TILES:
            if codes is None:
                if any(tile_class[t] == 5 for t in tiles):
                    add(what, num)
            elif tiles & set(codes):
                add(what, num)
        for where, key, fields in room.records:
            if key == 'mo':
                add(KINDS[fields[2] - 1], num)
            elif key == 'it':
                add(f'item {fields[2]}', num)
            scripts = [fields[2]] if key == 'ev' else [fields[0]] if key == 'in' else []
            for s in scripts:
                if s.startswith('%'):
                    add('`%` trigger', num)
                if s.startswith('&'):
                    add('`&` trigger', num)
                if 'ms' in s:
                    add('`ms`', num)
                # The commands outside the messages' texts.
                bare = re.sub(r'ms[^\]]*\]', '', s)
                for cmd in COMMANDS[1:]:
                    if re.search(r'if(fl|it)' if cmd == 'if' else cmd, bare):
                        add(f'`{cmd}`', num)
    order = [w for w, _ in TILES] + list(dict.fromkeys(KINDS)) + [f'`{c}`' for c in COMMANDS] + [
        '`%` trigger', '`&` trigger']
    lines = ['| Mechanic | Rooms |', '|---|---|']
    for what in order:
        rooms = sorted(found.get(what, ()))
        lines.append(f'| {what} | {", ".join(map(str, rooms)) if rooms else "**unused**"} |')
    return '\n'.join(lines)
