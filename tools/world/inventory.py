"""The inventory of the world: every item by maze and room, and what a player who reaches every
room can collect: crystals, orbs, keys, special items, LifeMax and the ending's tally."""
import checks

ORBS, KEYS, SPECIAL = range(1, 8), range(10, 30), range(30, 35)
GOLD, SILVER = 8, 9


def reachable_rooms(world, check_script):
    graph = checks.warp_graph(world, check_script)
    seen = set(checks.start_rooms(world))
    todo = list(seen)
    while todo:
        for _, target, _, _ in graph[todo.pop()][0]:
            if target in graph and target not in seen:
                seen.add(target)
                todo.append(target)
    return seen


def tally(counts, life_max):
    """The ending's completion percentage: a 16-bit sum divided in floating point."""
    c = counts.get(0, 0)
    o = sum(counts.get(n, 0) for n in ORBS)
    k = sum(counts.get(n, 0) for n in KEYS)
    s = sum(counts.get(n, 0) for n in SPECIAL)
    total = 50 * c + 300 * o + 100 * k + 50 * (life_max - 3) + 10 * s
    if not -32768 <= total <= 32767:
        return None
    return total / 100


def report(world, check_script, item_names):
    name = {v: k for k, v in item_names.items()}
    reach = reachable_rooms(world, check_script)
    lines = [f'{"maze":>4} {"room":>4}  {"crystals":>8}  items']
    counts, counts_all = {}, {}
    for num, room in sorted(world.rooms.items(), key=lambda r: (r[1].maze, r[0])):
        crystals, others = 0, []
        for _, _, item in checks.room_items(room, check_script):
            counts_all[item] = counts_all.get(item, 0) + 1
            if num in reach:
                counts[item] = counts.get(item, 0) + 1
            if item == 0:
                crystals += 1
            else:
                others.append(f'{name.get(item, str(item))}({item})')
        mark = '' if num in reach else '  (unreachable)'
        lines.append(f'{room.maze:>4} {num:>4}  {crystals:>8}  {" ".join(others) or "-"}{mark}')

    def summary(what, c):
        life_max = 3 + 3 * c.get(GOLD, 0) + c.get(SILVER, 0)
        p = tally(c, life_max)
        ptext = 'overflows 16 bits' if p is None else f'{p:g} %'
        return (f'{what}: {c.get(0, 0)} crystals, {sum(c.get(n, 0) for n in ORBS)} orbs, '
                f'{sum(c.get(n, 0) for n in KEYS)} keys, '
                f'{sum(c.get(n, 0) for n in SPECIAL)} special items, '
                f'{c.get(GOLD, 0)} gold and {c.get(SILVER, 0)} silver hearts: LifeMax {life_max}, '
                f'tally {ptext}')
    lines.append(summary('reachable', counts))
    if counts_all != counts:
        lines.append(summary('placed', counts_all))
    return '\n'.join(lines)
