#!/usr/bin/env python3
"""Builds the game's sound data from its readable sources.

    tools/audio/build.py OUTDIR

writes OUTDIR/wave/<name>.wav from assets/sfx/<name>.sfx (synthesized) and
OUTDIR/midi/vornNN.mid from assets/music/vornNN.abc (Debian's abc2midi, then tidied so that
songs loop cleanly from song position 16). Building twice gives the same bytes.
"""

import os
import shutil
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

import abcbars  # noqa: E402
import midi  # noqa: E402
import sfx  # noqa: E402

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
EFFECTS = ["blockhit", "door", "damage02", "blockbreak", "bomb",
           "itemget", "explosion", "down", "fire", "switch"]


def build_effects(outdir):
    os.makedirs(os.path.join(outdir, "wave"), exist_ok=True)
    for name in EFFECTS:
        src = os.path.join(ROOT, "assets", "sfx", name + ".sfx")
        effect = sfx.parse_recipe(src)
        try:
            samples = sfx.render(effect)
        except sfx.RecipeError as e:
            raise sfx.RecipeError(f"{src}: {e}") from None
        sfx.write_wav(os.path.join(outdir, "wave", name + ".wav"), samples)
        print(f"wave/{name}.wav  {len(samples) / sfx.RATE:.2f} s")


def build_songs(outdir):
    abc2midi = shutil.which("abc2midi")
    if abc2midi is None:
        raise SystemExit("abc2midi not found: install the Debian package abcmidi")
    os.makedirs(os.path.join(outdir, "midi"), exist_ok=True)
    srcdir = os.path.join(ROOT, "assets", "music")
    for name in sorted(os.listdir(srcdir)):
        if not name.endswith(".abc"):
            continue
        src = os.path.join(srcdir, name)
        dst = os.path.join(outdir, "midi", name[:-4] + ".mid")
        abcbars.check(src)
        with tempfile.TemporaryDirectory() as tmp:
            raw = os.path.join(tmp, "song.mid")
            run = subprocess.run([abc2midi, src, "-o", raw], capture_output=True, text=True)
            # abc2midi reports faults in the tune on stdout and still writes a file.
            faults = [line for line in run.stdout.splitlines()
                      if line.startswith(("Error", "Warning"))]
            if run.returncode != 0 or faults or not os.path.exists(raw):
                raise SystemExit(f"{src}: abc2midi failed:\n" + "\n".join(faults or [run.stderr]))
            fmt, division, tracks = midi.read(raw)
        end = midi.tidy(src, fmt, division, tracks)
        notes = midi.check(src, division, tracks)
        midi.write(dst, fmt, division, tracks)
        print(f"midi/{name[:-4]}.mid  {end // (4 * division)} bars, {notes} notes")


def main():
    if len(sys.argv) != 2:
        raise SystemExit("usage: tools/audio/build.py OUTDIR   (OUTDIR gets wave/ and midi/)")
    outdir = sys.argv[1]
    try:
        build_effects(outdir)
        build_songs(outdir)
    except (sfx.RecipeError, midi.MidiError, abcbars.BarError) as e:
        raise SystemExit(str(e)) from None


if __name__ == "__main__":
    main()
