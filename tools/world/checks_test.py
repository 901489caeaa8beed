#!/usr/bin/env python3
"""The builder's whole-world checks and the inventory report, on small worlds written here."""
import os
import sys
import tempfile
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

import inventory  # noqa: E402
from worldlib import ITEM_NAMES, WorldError, build_world, check_script  # noqa: E402

MAZE = 'legend\n# = rock\n. = 13\nfill #\narea 20 20\n' + ('.' * 30 + '\n') * 10 + 'end\n'
# Two rooms of maze 0 that warp to each other; the heroine starts in room 1.
BASE = {
    1: ['maze 0', 'start 25 29', 'ev 26 29 "jp000,025,029,002"'],
    2: ['maze 0', 'ev 26 29 "jp000,025,029,001"'],
}

# (name, lines added to rooms, the room file and line of the report, what it says)
CASES = [
    ('shared key', {1: ['it 30 29 crystal'], 2: ['it 30 29 crystal']}, (2, 3),
     'shares its taken-list key " 30 29 0" with'),
    ('counted twice', {1: ['it 30 29 wing-key'], 2: ['it 31 29 wing-key']}, (2, 3),
     'item 10 is placed a second time'),
    ('item number', {1: ['it 30 29 35']}, (1, 4), 'item 35 is outside 0..34'),
    ('given twice', {1: ['it 30 29 34'], 2: ['ev 30 29 "ii034+01"']}, (2, 3),
     'item 34 is placed a second time'),
    ('unreachable', {3: ['maze 0', 'ev 26 29 "jp000,025,029,001"']}, (3, 1),
     'room 3 is reached by no warp'),
    ('dead end', {2: ['ev 27 29 "jp000,025,029,003"'], 3: ['maze 0']}, (2, 3),
     'leads into room 3, a dead end'),
    ('wai mover', {1: ['mo 30 25 mover 0 0 1 ">.1wai"']}, (1, 4),
     '"wai" keeps the thing moving with command 1 ">.1"'),
    ('drifting mover', {1: ['mo 30 25 slab 0 0 1 ">.1>.1<.1"']}, (1, 4),
     'one round of its commands moves it 1,0 cells'),
    ('mover past the edge', {1: ['mo 30 25 lift 0 0 1 "^.9^.9^.9v.9v.9v.9"']}, (1, 4),
     'outside the maze'),
    ('chaser at the edge', {1: ['mo 1 25 crow 0 8 8 "001025"']}, (1, 4), 'can fly 2 cells past'),
    ('& warp cycle', {2: ['mo 30 29 inert11 0 0 0 ""', 'ev 30 29 "&jp000,025,029,003"'],
                      3: ['maze 0', 'it 31 29 crystal', 'ev 31 29 "&jp000,025,029,002"']},
     (2, 4), 'rooms 2 -> 3 -> 2 warp without end'),
]


def write_world(folder, extra):
    with open(os.path.join(folder, 'maze000.maze'), 'w') as f:
        f.write(MAZE)
    rooms = {n: list(lines) for n, lines in BASE.items()}
    for n, lines in extra.items():
        rooms.setdefault(n, []).extend(lines)
    for n, lines in rooms.items():
        with open(os.path.join(folder, 'room%03d.room' % n), 'w') as f:
            f.write('\n'.join(lines) + '\n')


class WorldChecks(unittest.TestCase):
    def test_each_fault_is_reported_at_its_file_and_line(self):
        for name, extra, (room, line), says in CASES:
            with self.subTest(name), tempfile.TemporaryDirectory() as tmp:
                write_world(tmp, extra)
                with self.assertRaises(WorldError) as e:
                    build_world(tmp)
                where = os.path.relpath(os.path.join(tmp, 'room%03d.room' % room))
                self.assertIn(f'{where}:{line}: ', str(e.exception))
                self.assertIn(says, str(e.exception))

    def test_sound_world_builds_and_reports_its_inventory(self):
        with tempfile.TemporaryDirectory() as tmp:
            # A mover that returns, a waiting lift at rest, a slow chaser far from the edge.
            write_world(tmp, {1: ['it 30 29 crystal', 'it 31 29 gold-heart',
                                  'mo 30 25 lift 0 0 1 "..0wai^.2v.2"',
                                  'mo 30 25 mover 0 0 1 ">.3<.3"', 'mo 30 25 bat 0 8 2 ""'],
                              2: ['it 32 29 fire-orb', 'it 33 29 key3',
                                  'ev 34 29 "msr　妖精の靴]ii034=01ii040+01"']})
            # The survey's list of optional places and a folder of drafts are not sources.
            open(os.path.join(tmp, 'optional.txt'), 'w').write('room 2\n')
            os.mkdir(os.path.join(tmp, 'drafts'))
            open(os.path.join(tmp, 'drafts', 'room003.room'), 'w').write('not a room\n')
            report = inventory.report(build_world(tmp), check_script, ITEM_NAMES)
        self.assertIn('   0    2         0  fire-orb(1) key3(23) fairy-shoes(34)', report)
        # (50 + 300 + 100 + 50 * 3 + 10) / 100
        self.assertIn('reachable: 1 crystals, 1 orbs, 1 keys, 1 special items, 1 gold and 0 '
                      'silver hearts: LifeMax 6, tally 6.1 %', report)


if __name__ == '__main__':
    unittest.main()
