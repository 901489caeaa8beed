#!/usr/bin/env python3
"""Writes a save file that puts the heroine at a chosen place, for building and checking rooms
far into the world without playing up to them:

    python3 tools/world/mksave.py OUT --room 19 --maze 3 --cell 30 112 \\
        [--lifemax 15] [--life N] [--item 2=1 ...] [--flag 50=1 ...]

ITEM is a number or a name of the room sources (water-orb, key0, ...). Load it as slot N by
copying it to savedataN.sav in the save folder, or give it to quelmire_survey --from.
"""
import argparse
import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import worldlib  # noqa: E402


def number(n):
    # As the game writes numbers: a blank or a minus in front, one blank behind.
    return (f" {n}" if n >= 0 else str(n)) + " "


def save_text(room, maze, x, y, lifemax, life, items, flags):
    lines = ["".join(number(v) for v in (x, y, maze, lifemax, life, room))]
    lines += [number(items.get(i, 0)) for i in range(40)]
    lines += [number(flags.get(i, 0)) for i in range(512)]
    lines += ['""'] * 512
    return "".join(line + "\r\n" for line in lines)


def pairs(values, names):
    out = {}
    for v in values:
        key, _, count = v.partition("=")
        key = key.strip()
        n = names[key] if key in names else int(key)
        out[n] = int(count or 1)
    return out


def main():
    ap = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    ap.add_argument("out")
    ap.add_argument("--room", type=int, required=True)
    ap.add_argument("--maze", type=int, required=True)
    ap.add_argument("--cell", type=int, nargs=2, required=True, metavar=("X", "Y"))
    ap.add_argument("--lifemax", type=int, default=3)
    ap.add_argument("--life", type=int)
    ap.add_argument("--item", action="append", default=[])
    ap.add_argument("--flag", action="append", default=[])
    a = ap.parse_args()
    items = pairs(a.item, worldlib.ITEM_NAMES)
    flags = pairs(a.flag, {})
    text = save_text(a.room, a.maze, a.cell[0], a.cell[1], a.lifemax, a.life or a.lifemax, items, flags)
    with open(a.out, "w", encoding="utf-8", newline="") as f:
        f.write(text)


if __name__ == "__main__":
    main()
