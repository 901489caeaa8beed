"""Synthesizes the sound effects from their text recipes (assets/sfx/*.sfx).

A recipe is a header of effect-wide settings followed by one or more voices that are
mixed together. Blank lines and text after '#' are ignored.

    length 0.30          # seconds of the whole effect
    seed 7               # noise generator seed (same seed, same bytes)
    peak 0.70            # the mix is scaled so its highest sample is this (full scale = 1)

    voice knock          # starts a voice; the name is only for the reader
      wave triangle      # sine | triangle | square | saw | noise
      start 0.00         # seconds from the start of the effect
      attack 0.002       # rise to full level (linear)
      hold 0.01          # stay at full level
      decay 0.15         # exponential fall to -60 dB; the voice ends here
      gain 0.8
      pitch 180 70 exp   # Hz from start to end of the voice, lin or exp (one value: steady)
      duty 0.3           # square only: fraction of the period that is high
      vibrato 30 0.5     # rate in Hz, depth in semitones
      tremolo 12 0.6     # rate in Hz, depth 0..1
      hold_rate 4000 300 # noise only: new random value this many times a second (sweeps)
      lowpass 3000 400   # one-pole low-pass, twice (12 dB/octave); cutoff sweeps start to end
      highpass 200       # one-pole high-pass, twice
"""

import math
import random
import struct
import wave

RATE = 44100
EDGE_IN = 0.002   # seconds faded in at the very start, so no click
EDGE_OUT = 0.010  # seconds faded out at the very end


class RecipeError(Exception):
    pass


def _numbers(path, lineno, words, lo, hi):
    if not lo <= len(words) <= hi:
        raise RecipeError(f"{path}:{lineno}: '{words[0] if words else ''}' takes {lo}..{hi} values")
    out = []
    for w in words:
        try:
            out.append(float(w))
        except ValueError:
            raise RecipeError(f"{path}:{lineno}: '{w}' is not a number") from None
    return out


def parse_recipe(path):
    effect = {"length": None, "seed": 1, "peak": 0.7, "voices": []}
    voice = None
    with open(path, encoding="utf-8") as f:
        lines = f.read().splitlines()
    for lineno, raw in enumerate(lines, 1):
        words = raw.split("#", 1)[0].split()
        if not words:
            continue
        key, args = words[0], words[1:]
        if key == "voice":
            voice = {"name": " ".join(args), "wave": "sine", "start": 0.0, "attack": 0.001,
                     "hold": 0.0, "decay": 0.1, "gain": 1.0, "pitch": (440.0, 440.0, "lin"),
                     "duty": 0.5, "vibrato": (0.0, 0.0), "tremolo": (0.0, 0.0),
                     "hold_rate": None, "lowpass": None, "highpass": None}
            effect["voices"].append(voice)
        elif voice is None:
            if key in ("length", "peak"):
                (effect[key],) = _numbers(path, lineno, args, 1, 1)
            elif key == "seed":
                (seed,) = _numbers(path, lineno, args, 1, 1)
                effect["seed"] = int(seed)
            else:
                raise RecipeError(f"{path}:{lineno}: unknown setting '{key}' before the first voice")
        elif key == "wave":
            if len(args) != 1 or args[0] not in ("sine", "triangle", "square", "saw", "noise"):
                raise RecipeError(f"{path}:{lineno}: wave must be sine, triangle, square, saw or noise")
            voice["wave"] = args[0]
        elif key in ("start", "attack", "hold", "decay", "gain", "duty"):
            (voice[key],) = _numbers(path, lineno, args, 1, 1)
        elif key == "pitch":
            curve = "lin"
            if args and args[-1] in ("lin", "exp"):
                curve = args.pop()
            hz = _numbers(path, lineno, args, 1, 2)
            if min(hz) <= 0:
                raise RecipeError(f"{path}:{lineno}: pitch must be above 0 Hz")
            voice["pitch"] = (hz[0], hz[-1], curve)
        elif key in ("vibrato", "tremolo"):
            voice[key] = tuple(_numbers(path, lineno, args, 2, 2))
        elif key in ("hold_rate", "lowpass", "highpass"):
            hz = _numbers(path, lineno, args, 1, 2)
            if min(hz) <= 0:
                raise RecipeError(f"{path}:{lineno}: {key} must be above 0 Hz")
            voice[key] = (hz[0], hz[-1])
        else:
            raise RecipeError(f"{path}:{lineno}: unknown voice setting '{key}'")
    if effect["length"] is None or effect["length"] <= 0:
        raise RecipeError(f"{path}: 'length' (seconds, above 0) is missing")
    if not effect["voices"]:
        raise RecipeError(f"{path}: no voice")
    if not 0 < effect["peak"] < 1:
        raise RecipeError(f"{path}: peak must be between 0 and 1 (full scale)")
    return effect


def _sweep(a, b, frac, curve):
    if curve == "exp":
        return a * (b / a) ** frac
    return a + (b - a) * frac


def _onepole(x, prev, hz):
    # Coefficient of a one-pole low-pass at the given cutoff.
    k = 1.0 - math.exp(-2.0 * math.pi * min(hz, RATE * 0.45) / RATE)
    return prev + k * (x - prev)


def render_voice(v, rng):
    n = max(1, int(round((v["attack"] + v["hold"] + v["decay"]) * RATE)))
    out = [0.0] * n
    f0, f1, curve = v["pitch"]
    vib_rate, vib_depth = v["vibrato"]
    trem_rate, trem_depth = v["tremolo"]
    phase = 0.0
    held = 0.0
    hold_phase = 1.0
    lp = [0.0, 0.0]
    hp_lp = [0.0, 0.0]
    a_n = v["attack"] * RATE
    h_n = a_n + v["hold"] * RATE
    d_n = max(1.0, v["decay"] * RATE)
    for i in range(n):
        t = i / RATE
        frac = i / max(1, n - 1)
        # Level: linear rise, flat hold, exponential fall reaching -60 dB at the voice's end.
        if i < a_n:
            level = i / a_n
        elif i < h_n:
            level = 1.0
        else:
            level = math.exp(-6.9 * (i - h_n) / d_n)
        if trem_depth:
            level *= 1.0 - trem_depth * 0.5 * (1.0 - math.cos(2 * math.pi * trem_rate * t))
        if v["wave"] == "noise":
            if v["hold_rate"] is None:
                s = rng.uniform(-1.0, 1.0)
            else:
                hold_phase += _sweep(v["hold_rate"][0], v["hold_rate"][1], frac, "exp") / RATE
                if hold_phase >= 1.0:
                    hold_phase -= math.floor(hold_phase)
                    held = rng.uniform(-1.0, 1.0)
                s = held
        else:
            hz = _sweep(f0, f1, frac, curve)
            if vib_depth:
                hz *= 2.0 ** (vib_depth / 12.0 * math.sin(2 * math.pi * vib_rate * t))
            phase = (phase + hz / RATE) % 1.0
            w = v["wave"]
            if w == "sine":
                s = math.sin(2 * math.pi * phase)
            elif w == "triangle":
                s = 4.0 * abs(phase - 0.5) - 1.0
            elif w == "square":
                s = 1.0 if phase < v["duty"] else -1.0
            else:
                s = 2.0 * phase - 1.0
        if v["lowpass"] is not None:
            hz = _sweep(v["lowpass"][0], v["lowpass"][1], frac, "exp")
            lp[0] = _onepole(s, lp[0], hz)
            lp[1] = _onepole(lp[0], lp[1], hz)
            s = lp[1]
        if v["highpass"] is not None:
            hz = _sweep(v["highpass"][0], v["highpass"][1], frac, "exp")
            for stage in range(2):
                hp_lp[stage] = _onepole(s, hp_lp[stage], hz)
                s = s - hp_lp[stage]
        out[i] = s * level * v["gain"]
    return out


def render(effect):
    rng = random.Random(effect["seed"])
    n = int(round(effect["length"] * RATE))
    mix = [0.0] * n
    for v in effect["voices"]:
        first = int(round(v["start"] * RATE))
        for i, s in enumerate(render_voice(v, rng)):
            if first + i < n:
                mix[first + i] += s
    # Block DC so the effect starts and ends at rest.
    prev_in = prev_out = 0.0
    for i, s in enumerate(mix):
        prev_out = s - prev_in + 0.995 * prev_out
        prev_in = s
        mix[i] = prev_out
    top = max(abs(s) for s in mix)
    if top == 0:
        raise RecipeError("the effect is silent")
    scale = effect["peak"] / top
    fade_in = int(EDGE_IN * RATE)
    fade_out = int(EDGE_OUT * RATE)
    for i in range(n):
        g = scale
        if i < fade_in:
            g *= i / fade_in
        if i >= n - fade_out:
            g *= (n - 1 - i) / fade_out
        mix[i] *= g
    return mix


def write_wav(path, samples):
    frames = bytearray()
    for s in samples:
        frames += struct.pack("<h", max(-32767, min(32767, int(round(s * 32767)))))
    with wave.open(path, "wb") as w:
        w.setnchannels(1)
        w.setsampwidth(2)
        w.setframerate(RATE)
        w.writeframes(bytes(frames))
