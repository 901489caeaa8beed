#!/usr/bin/env python3
"""Measures the built sound data: effects as they are, songs rendered through fluidsynth.

    tools/audio/check.py DATADIR [RENDERDIR]

For every WAV: length, peak, RMS, DC, first and last sample. For every song: the MIDI's length,
bar count and note ranges per channel, then (when the fluidsynth program and FluidR3 are
present) the rendered audio's length, peak, clipped samples and the longest silence.
Not needed at run time; fluidsynth comes with the Debian package fluidsynth.
"""

import math
import os
import shutil
import subprocess
import sys
import wave

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

import midi  # noqa: E402

SOUNDFONT = "/usr/share/sounds/sf2/FluidR3_GM.sf2"


def measure_wav(path, limit=None):
    with wave.open(path, "rb") as w:
        ch, width, rate, n = w.getnchannels(), w.getsampwidth(), w.getframerate(), w.getnframes()
        raw = w.readframes(n)
    assert width == 2, path
    import array
    a = array.array("h")
    a.frombytes(raw)
    mono = a if ch == 1 else [max(a[i:i + ch], key=abs) for i in range(0, len(a), ch)]
    if limit is not None:
        mono = mono[:int(limit * rate)]
    peak = max(abs(s) for s in mono) / 32768
    rms = math.sqrt(sum(s * s for s in mono) / len(mono)) / 32768
    clipped = sum(1 for s in mono if abs(s) >= 32767)
    # Longest run of near-silence (below -60 dBFS) in 10 ms blocks.
    block = rate // 100
    longest = run = 0
    for i in range(0, len(mono), block):
        if max((abs(s) for s in mono[i:i + block]), default=0) < 33:
            run += 1
            longest = max(longest, run)
        else:
            run = 0
    return {"seconds": n / rate, "rate": rate, "channels": ch, "peak": peak, "rms": rms,
            "dc": sum(mono) / len(mono) / 32768, "first": mono[0], "last": mono[-1],
            "clipped": clipped, "silence": longest / 100}


def seconds_at(tracks, division, tick):
    tempo = [(e[0], int.from_bytes(e[1][3:6], "big")) for e in tracks[0] if e[1][:2] == b"\xff\x51"]
    tempo = tempo or [(0, 500000)]
    secs, last_tick, us = 0.0, 0, 500000
    for t, value in tempo:
        if t >= tick:
            break
        secs += (t - last_tick) * us / division / 1e6
        last_tick, us = t, value
    return secs + (tick - last_tick) * us / division / 1e6


def main():
    data = sys.argv[1]
    render = sys.argv[2] if len(sys.argv) > 2 else None
    for name in sorted(os.listdir(os.path.join(data, "wave"))):
        m = measure_wav(os.path.join(data, "wave", name))
        print(f"{name:16} {m['seconds']:5.2f} s  peak {m['peak']:.3f}  rms {m['rms']:.3f}  "
              f"dc {m['dc']:+.4f}  ends {m['first']:+d}/{m['last']:+d}  clipped {m['clipped']}")
    synth = shutil.which("fluidsynth") if render and os.path.exists(SOUNDFONT) else None
    for name in sorted(os.listdir(os.path.join(data, "midi"))):
        path = os.path.join(data, "midi", name)
        fmt, division, tracks = midi.read(path)
        end = max(e[0] for t in tracks for e in t)
        ranges = {}
        for t in tracks:
            for tick, ev in t:
                if midi.is_note_on(ev):
                    lo, hi = ranges.get((ev[0] & 15) + 1, (127, 0))
                    ranges[(ev[0] & 15) + 1] = (min(lo, ev[1]), max(hi, ev[1]))
        first = min(e[0] for t in tracks for e in t if midi.is_note_on(e[1]))
        print(f"{name}: format {fmt}, division {division}, {end / (4 * division):g} bars, "
              f"{seconds_at(tracks, division, end):.1f} s, first note at tick {first}")
        print("   channels " + ", ".join(f"{c}: {lo}-{hi}" for c, (lo, hi) in sorted(ranges.items())))
        if synth:
            os.makedirs(render, exist_ok=True)
            out = os.path.join(render, name[:-4] + ".wav")
            subprocess.run([synth, "-ni", "-q", "-F", out, "-r", "44100", SOUNDFONT, path],
                           check=True, capture_output=True)
            whole = measure_wav(out)
            # Silence is judged over the song itself, not the synthesizer's tail after it.
            m = measure_wav(out, seconds_at(tracks, division, end))
            m["seconds"] = whole["seconds"]
            print(f"   rendered {m['seconds']:.1f} s  peak {m['peak']:.3f}  rms {m['rms']:.3f}  "
                  f"clipped {m['clipped']}  longest silence {m['silence']:.2f} s")


if __name__ == "__main__":
    main()
