#!/usr/bin/env python3
"""Builds the mazes and rooms of Quelmire from their readable sources in assets/world.

    python3 tools/world/build.py OUTDIR          writes OUTDIR/map/mazNNN.map and roomNNN.rdt
    python3 tools/world/build.py --check DATADIR  builds into a temporary folder and compares
                                                  with DATADIR/map; exit 1 names each difference
    python3 tools/world/build.py --report         prints the items by maze and room and what a
                                                  player who reaches every room collects
    python3 tools/world/build.py --uses           prints where each mechanic is used (tiles,
                                                  kinds of things, script commands, triggers)

Building and --check also check the translations (assets/lang/*.po): a message with no
translation, or one that does not fit the message window, fails them (tools/lang/extract.py).

The source formats are described in docs/WORLD.md. Every error names the source file and line
and stops the build (exit 1); nothing is written unless the whole world is sound.
"""
import filecmp
import os
import sys
import tempfile

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

import inventory  # noqa: E402
from worldlib import ITEM_NAMES, WorldError, build_world, check_script, write_world  # noqa: E402

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
SOURCES = os.path.join(ROOT, 'assets', 'world')
LANGUAGES = os.path.join(ROOT, 'assets', 'lang')


def check_languages():
    """0 if every text has a translation that fits in every catalogue, 1 otherwise."""
    sys.path.insert(0, os.path.join(ROOT, 'tools', 'lang'))
    import extract
    pos = sorted(os.path.join(LANGUAGES, n) for n in os.listdir(LANGUAGES) if n.endswith('.po'))
    return extract.check(pos) if pos else 0


def files_in(folder):
    if not os.path.isdir(folder):
        return set()
    return {n for n in os.listdir(folder)
            if not n.startswith('.') and (n.endswith('.map') or n.endswith('.rdt'))}


def check(datadir):
    with tempfile.TemporaryDirectory() as tmp:
        write_world(build_world(SOURCES), tmp)
        built_dir = os.path.join(tmp, 'map')
        data_dir = os.path.join(datadir, 'map')
        built, committed = files_in(built_dir), files_in(data_dir)
        different = []
        for name in sorted(built | committed):
            if name not in committed:
                different.append(f'map/{name}: missing (the sources make it)')
            elif name not in built:
                different.append(f'map/{name}: no source makes it')
            elif not filecmp.cmp(os.path.join(built_dir, name), os.path.join(data_dir, name),
                                 shallow=False):
                different.append(f'map/{name}: differs from what its source makes')
    for line in different:
        print(f'world: {line}', file=sys.stderr)
    if different:
        print('world: run "python3 tools/world/build.py data" to rebuild', file=sys.stderr)
        return 1
    print('world: map/ matches assets/world')
    return 0


def main(argv):
    args = argv[1:]
    try:
        if len(args) == 2 and args[0] == '--check':
            return check(args[1]) | check_languages()
        if args == ['--uses']:
            import uses
            from worldlib import TILE_CLASS
            print(uses.uses(build_world(SOURCES), TILE_CLASS))
            return 0
        if args == ['--report']:
            print(inventory.report(build_world(SOURCES), check_script, ITEM_NAMES))
            return 0
        if len(args) != 1 or args[0].startswith('-'):
            print(__doc__, file=sys.stderr)
            return 2
        world = build_world(SOURCES)
        write_world(world, args[0])
        print(f'world: {len(world.mazes)} mazes, {len(world.rooms)} rooms')
        return check_languages()
    except WorldError as e:
        for line in str(e).split('\n'):
            print(f'world: {line}', file=sys.stderr)
        return 1


if __name__ == '__main__':
    sys.exit(main(sys.argv))
