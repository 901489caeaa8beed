#!/usr/bin/env python3
"""Builds the game's runtime data from assets/.

    python3 tools/build_data.py            rebuilds data/ (bitmap/ wave/ midi/ map/)
    python3 tools/build_data.py OUTDIR     builds into OUTDIR instead
    python3 tools/build_data.py --check    builds into a temporary folder and compares it with
                                           data/; exit status 1 names every file that differs

Each part has its own builder: tools/art (bitmaps), tools/audio (sound effects and songs,
through abc2midi) and tools/world (mazes and rooms).
"""
import filecmp
import os
import subprocess
import sys
import tempfile

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
BUILDERS = [
    ('bitmaps', os.path.join('tools', 'art', 'build.py'), ['bitmap']),
    ('sounds and songs', os.path.join('tools', 'audio', 'build.py'), ['wave', 'midi']),
    ('mazes and rooms', os.path.join('tools', 'world', 'build.py'), ['map']),
]


def build(outdir):
    for what, tool, _ in BUILDERS:
        path = os.path.join(ROOT, tool)
        if not os.path.exists(path):
            print(f'build_data: no builder for {what} ({tool}); skipped', file=sys.stderr)
            continue
        print(f'build_data: {what}')
        subprocess.run([sys.executable, path, outdir], check=True, stdout=subprocess.DEVNULL)


def files_below(folder):
    found = set()
    for base, _, names in os.walk(folder):
        for name in names:
            if name.startswith('.'):
                continue
            found.add(os.path.relpath(os.path.join(base, name), folder))
    return found


def check():
    data = os.path.join(ROOT, 'data')
    with tempfile.TemporaryDirectory() as tmp:
        build(tmp)
        different = []
        for _, tool, subs in BUILDERS:
            if not os.path.exists(os.path.join(ROOT, tool)):
                continue
            for sub in subs:
                built = files_below(os.path.join(tmp, sub))
                committed = files_below(os.path.join(data, sub))
                for name in sorted(built | committed):
                    a = os.path.join(tmp, sub, name)
                    b = os.path.join(data, sub, name)
                    if name not in committed:
                        different.append(f'data/{sub}/{name}: missing (the sources make it)')
                    elif name not in built:
                        different.append(f'data/{sub}/{name}: no source makes it')
                    elif not filecmp.cmp(a, b, shallow=False):
                        different.append(f'data/{sub}/{name}: differs from what its source makes')
        for line in different:
            print(line, file=sys.stderr)
        if different:
            print('build_data: run "python3 tools/build_data.py" to rebuild data/',
                  file=sys.stderr)
            return 1
        print('build_data: data/ matches its sources')
        return 0


def main(argv):
    args = argv[1:]
    if args == ['--check']:
        return check()
    if len(args) > 1 or (args and args[0].startswith('-')):
        print(__doc__, file=sys.stderr)
        return 2
    build(os.path.abspath(args[0]) if args else os.path.join(ROOT, 'data'))
    return 0


if __name__ == '__main__':
    sys.exit(main(sys.argv))
