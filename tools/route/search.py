#!/usr/bin/env python3
"""Tries the values of the placeholders of a route on the real game and tells which play through.

    python3 tools/route/search.py [--recorder PATH] [--data DIR] ROUTE NAME=A..B [NAME=A..B ...]

The route may hold {NAME} anywhere (for instance "jump {H}" or "wait until x={X} offx<={O}");
every combination of the values is recorded with quelmire_route, two at a time, and each line
of the answer shows the values, how far the route got (its last checkpoint, or the line that
could not be done) and how long it played. Write the chosen values into the route.
"""
import itertools
import os
import re
import subprocess
import sys
import tempfile
from concurrent.futures import ThreadPoolExecutor

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))


def parse_range(arg):
    m = re.fullmatch(r'([A-Za-z_]\w*)=(-?\d+)\.\.(-?\d+)', arg)
    if not m or int(m.group(2)) > int(m.group(3)):
        raise SystemExit(f'search: "{arg}" is not NAME=FIRST..LAST')
    return m.group(1), range(int(m.group(2)), int(m.group(3)) + 1)


def run(recorder, data, route_text, values, tmp):
    tag = '-'.join(f'{k}{v}' for k, v in values.items())
    route = os.path.join(tmp, f'{tag}.route')
    script = os.path.join(tmp, f'{tag}.txt')
    text = route_text
    for k, v in values.items():
        text = text.replace('{' + k + '}', str(v))
    with open(route, 'w', encoding='utf-8') as f:
        f.write(text)
    cmd = [recorder] + (['--data', data] if data else []) + [route, script]
    done = subprocess.run(cmd, capture_output=True, text=True)
    last = ''
    if os.path.exists(script):
        with open(script, encoding='utf-8') as f:
            marks = [l for l in f if '# expect ' in l]
        if marks:
            last = marks[-1].split('# expect ', 1)[1].strip()
    if done.returncode == 0:
        played = done.stdout.strip().split(': ', 1)[-1]
        return f'{tag}: plays through; {played}; last checkpoint {last}'
    why = done.stderr.strip().split(': ', 2)[-1]
    return f'{tag}: stops at {why}'


def main(argv):
    args = argv[1:]
    recorder = os.path.join(ROOT, 'build', 'quelmire_route')
    data = None
    while args and args[0] in ('--recorder', '--data') and len(args) > 1:
        if args[0] == '--recorder':
            recorder = args[1]
        else:
            data = args[1]
        args = args[2:]
    if len(args) < 2:
        print(__doc__, file=sys.stderr)
        return 2
    with open(args[0], encoding='utf-8') as f:
        route_text = f.read()
    ranges = dict(parse_range(a) for a in args[1:])
    for name in ranges:
        if '{' + name + '}' not in route_text:
            raise SystemExit(f'search: the route holds no {{{name}}}')
    combos = [dict(zip(ranges, c)) for c in itertools.product(*ranges.values())]
    with tempfile.TemporaryDirectory() as tmp, ThreadPoolExecutor(2) as pool:
        for line in pool.map(lambda v: run(recorder, data, route_text, v, tmp), combos):
            print(line)
    return 0


if __name__ == '__main__':
    sys.exit(main(sys.argv))
