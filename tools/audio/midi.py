"""Reading, tidying and writing the standard MIDI files that abc2midi makes.

The game restarts a stopped song at song position 16 (one 4/4 bar), and reports it stopped once
its last event has played. So a song must have its intro in bar 1, its last event exactly at
the end of its last bar, and notes that start on the beat. abc2midi gets two things in the way:
it starts every note one tick late and spreads the notes of a chord 10 ticks apart, and it puts
the end of each track some 25 ticks after the music. tidy() puts both right.
"""

import struct


class MidiError(Exception):
    pass


def _varlen(data, pos, path):
    value = 0
    for _ in range(4):
        if pos >= len(data):
            raise MidiError(f"{path}: variable-length number runs past the end at byte {pos}")
        b = data[pos]
        pos += 1
        value = (value << 7) | (b & 0x7F)
        if not b & 0x80:
            return value, pos
    raise MidiError(f"{path}: variable-length number too long at byte {pos}")


def _put_varlen(value):
    out = [value & 0x7F]
    value >>= 7
    while value:
        out.append(0x80 | (value & 0x7F))
        value >>= 7
    return bytes(reversed(out))


def read(path):
    """Returns (format, division, tracks); a track is a list of [tick, event bytes]."""
    with open(path, "rb") as f:
        data = f.read()
    if data[:4] != b"MThd" or len(data) < 14:
        raise MidiError(f"{path}: not a standard MIDI file")
    hlen, fmt, ntrks, division = struct.unpack(">IHHH", data[4:14])
    if division & 0x8000:
        raise MidiError(f"{path}: SMPTE division is not supported")
    pos = 8 + hlen
    tracks = []
    for t in range(ntrks):
        if data[pos:pos + 4] != b"MTrk":
            raise MidiError(f"{path}: track {t} header missing at byte {pos}")
        (length,) = struct.unpack(">I", data[pos + 4:pos + 8])
        pos += 8
        end = pos + length
        if end > len(data):
            raise MidiError(f"{path}: track {t} runs past the end of the file")
        tick = 0
        status = 0
        events = []
        while pos < end:
            delta, pos = _varlen(data, pos, path)
            tick += delta
            if data[pos] & 0x80:
                status = data[pos]
                pos += 1
            elif status == 0:
                raise MidiError(f"{path}: running status with no status at byte {pos}")
            if status == 0xFF:
                kind = data[pos]
                n, p2 = _varlen(data, pos + 1, path)
                ev = bytes([0xFF, kind]) + _put_varlen(n) + data[p2:p2 + n]
                pos = p2 + n
            elif status in (0xF0, 0xF7):
                n, p2 = _varlen(data, pos, path)
                ev = bytes([status]) + data[pos:p2 + n]
                pos = p2 + n
            else:
                size = 1 if status & 0xF0 in (0xC0, 0xD0) else 2
                ev = bytes([status]) + data[pos:pos + size]
                pos += size
            events.append([tick, ev])
        tracks.append(events)
    return fmt, division, tracks


def write(path, fmt, division, tracks):
    out = bytearray(b"MThd" + struct.pack(">IHHH", 6, fmt, len(tracks), division))
    for events in tracks:
        body = bytearray()
        last = 0
        for tick, ev in events:
            body += _put_varlen(tick - last) + ev
            last = tick
        out += b"MTrk" + struct.pack(">I", len(body)) + body
    with open(path, "wb") as f:
        f.write(out)


def is_note_on(ev):
    return ev[0] & 0xF0 == 0x90 and ev[2] > 0


def is_note_off(ev):
    return ev[0] & 0xF0 == 0x80 or (ev[0] & 0xF0 == 0x90 and ev[2] == 0)


def is_end_of_track(ev):
    return ev[0] == 0xFF and ev[1] == 0x2F


def tidy(path, fmt, division, tracks):
    """Puts notes on their beats, and every track's end on the end of the last bar."""
    bar = 4 * division
    for events in tracks:
        # Notes start one tick late; chord notes follow each other 10 ticks apart.
        chord_start = prev_on = None
        for e in events:
            if not is_note_on(e[1]):
                continue
            tick = e[0] - 1 if e[0] % 10 == 1 else e[0]
            if prev_on is not None and tick - prev_on == 10:
                prev_on = tick
                e[0] = chord_start
            else:
                chord_start = prev_on = e[0] = tick
        # Program and controller changes abc2midi writes at tick 1 belong at the start.
        for e in events:
            if e[0] == 1 and e[1][0] & 0xF0 in (0xB0, 0xC0):
                e[0] = 0
    last = max((e[0] for events in tracks for e in events if not is_end_of_track(e[1])), default=0)
    end = -(-last // bar) * bar
    if end < 2 * bar:
        raise MidiError(f"{path}: a song needs an intro bar and at least one bar after it")
    for i, events in enumerate(tracks):
        events[:] = [e for e in events if not is_end_of_track(e[1])]
        # Keep the order of simultaneous events (note-offs before the next note-ons).
        events.sort(key=lambda e: e[0])
        events.append([end, b"\xff\x2f\x00"])
    return end


def check(path, division, tracks):
    """Reports what the build relies on: 4/4 in bar 1, drums on channel 10, notes balanced."""
    meter = [e for e in tracks[0] if e[1][:2] == b"\xff\x58"]
    if not meter or meter[0][0] != 0 or meter[0][1][3:5] != b"\x04\x02":
        raise MidiError(f"{path}: the song must start in 4/4 (song position 16 is one 4/4 bar)")
    notes = 0
    for t, events in enumerate(tracks):
        sounding = {}
        for tick, ev in events:
            key = (ev[0] & 0x0F, ev[1]) if len(ev) > 1 else None
            if is_note_on(ev):
                notes += 1
                sounding[key] = sounding.get(key, 0) + 1
            elif is_note_off(ev):
                if not sounding.get(key):
                    raise MidiError(f"{path}: track {t}: note-off without note-on at tick {tick}")
                sounding[key] -= 1
        if any(sounding.values()):
            raise MidiError(f"{path}: track {t}: a note is never released")
    if notes == 0:
        raise MidiError(f"{path}: no notes")
    return notes
