"""Checks that every bar of every voice of an ABC tune is exactly one measure long.

abc2midi only warns when whole voices differ in length; a short bar in one voice and a long
one later in the same voice would slip past it and put that voice out of step for a while.
This covers the part of ABC the songs use: notes, rests, chords, ties, note lengths such as
2, 3/2 or /2, decorations !...!, inline fields [K:...], and the bar lines | |] |: :|.
"""

import re
from fractions import Fraction

NOTE = re.compile(r"[_^=]*[A-Ga-gzx][,']*(\d*)(/*)(\d*)")
CHORD = re.compile(r"\[([^\]:]*)\](\d*)(/*)(\d*)")


class BarError(Exception):
    pass


def _length(num, slashes, den):
    value = Fraction(int(num) if num else 1)
    if slashes:
        value /= int(den) if den else 2 ** len(slashes)
    return value


def check(path):
    with open(path, encoding="utf-8") as f:
        lines = f.read().splitlines()
    meter = unit = None
    voice = None
    bars = {}
    for lineno, raw in enumerate(lines, 1):
        line = raw.split("%", 1)[0].rstrip()
        if not line:
            continue
        field = re.match(r"^([A-Za-z]):(.*)$", line)
        if field:
            key, value = field.group(1), field.group(2).strip()
            if key == "M":
                top, bottom = value.split("/")
                meter = Fraction(int(top), int(bottom))
            elif key == "L":
                top, bottom = value.split("/")
                unit = Fraction(int(top), int(bottom))
            elif key == "V":
                voice = value.split()[0]
                bars.setdefault(voice, [Fraction(0)])
            continue
        if voice is None or meter is None or unit is None:
            continue
        body = re.sub(r"\[[A-Za-z]:[^\]]*\]", "", line)   # inline fields take no time
        body = re.sub(r"![^!]*!", "", body)                  # nor do decorations
        pos = 0
        while pos < len(body):
            c = body[pos]
            if c == "|" or c == ":":
                m = re.match(r":*\|[\]:]*|:+", body[pos:])
                pos += len(m.group(0))
                if bars[voice][-1] != 0:
                    bars[voice].append(Fraction(0))
                    bars[voice][-2] = (bars[voice][-2], lineno)
                continue
            if c in " \t\\-":
                pos += 1
                continue
            m = CHORD.match(body, pos)
            if m:
                first = NOTE.search(m.group(1))
                if not first:
                    raise BarError(f"{path}:{lineno}: empty chord")
                inner = _length(first.group(1), first.group(2), first.group(3))
                bars[voice][-1] += inner * _length(m.group(2), m.group(3), m.group(4)) * unit
                pos = m.end()
                continue
            m = NOTE.match(body, pos)
            if m:
                bars[voice][-1] += _length(m.group(1), m.group(2), m.group(3)) * unit
                pos = m.end()
                continue
            raise BarError(f"{path}:{lineno}: cannot read '{body[pos:pos + 12]}'")
    counts = set()
    for voice, voice_bars in bars.items():
        done = [b for b in voice_bars if isinstance(b, tuple)]
        for n, (length, lineno) in enumerate(done, 1):
            if length != meter:
                raise BarError(f"{path}:{lineno}: voice {voice}, bar {n} holds {length} "
                               f"of a whole note, not {meter}")
        counts.add(len(done))
    if len(counts) > 1:
        raise BarError(f"{path}: the voices have different numbers of bars: {sorted(counts)}")
    return counts.pop() if counts else 0
