#!/usr/bin/env python3
"""Writes Murmelo's arrival sound "trucage" and its tune "star.mid".

Both are made from scratch here; run it again after a change and commit
what it writes:  python3 make-music.py [folder]
"""

import math
import os
import struct
import sys
import wave

RATE = 22050


def chime(path):
    """A two-tone chime, high then low, about 0.65 s, 16-bit mono WAV."""
    length = int(RATE * 0.65)
    samples = [0.0] * length
    # (start s, frequency Hz, loudness): E6 then C6, a falling major third.
    for start, frequency, loudness in ((0.0, 1318.51, 0.55), (0.17, 1046.50, 0.6)):
        first = int(start * RATE)
        for i in range(first, length):
            t = (i - first) / RATE
            # A bell: quick attack, ringing decay, a few soft overtones.
            envelope = min(1.0, t / 0.004) * math.exp(-t * 7.0)
            tone = (math.sin(2 * math.pi * frequency * t)
                    + 0.35 * math.sin(2 * math.pi * frequency * 2.0 * t) * math.exp(-t * 6.0)
                    + 0.12 * math.sin(2 * math.pi * frequency * 3.01 * t) * math.exp(-t * 10.0))
            samples[i] += loudness * envelope * tone / 1.47
    # Fade out the last 30 ms so the file ends on silence.
    fade = int(0.03 * RATE)
    for i in range(fade):
        samples[length - 1 - i] *= i / fade
    with wave.open(path, "wb") as out:
        out.setnchannels(1)
        out.setsampwidth(2)
        out.setframerate(RATE)
        out.writeframes(b"".join(
            struct.pack("<h", max(-32767, min(32767, int(round(s * 32767))))) for s in samples))


# --- Standard MIDI file -------------------------------------------------

PPQ = 480
Q = PPQ
H = 2 * Q
W = 4 * Q
E = Q // 2


def variable_length(value):
    out = [value & 0x7F]
    value >>= 7
    while value:
        out.insert(0, (value & 0x7F) | 0x80)
        value >>= 7
    return bytes(out)


def track(events):
    """events: (tick, bytes) in any order; answers an MTrk chunk."""
    data = b""
    now = 0
    # At the same tick, notes end before others start.
    def order(event):
        tick, message = event
        return (tick, 0 if message[0] & 0xF0 == 0x80 else 1)

    for tick, message in sorted(events, key=order):
        data += variable_length(tick - now) + message
        now = tick
    data += variable_length(0) + b"\xff\x2f\x00"
    return b"MTrk" + struct.pack(">I", len(data)) + data


def meta(kind, payload):
    return bytes([0xFF, kind]) + variable_length(len(payload)) + payload


def notes(channel, program, volume, line, name):
    """line: (tick, length, pitch, velocity); answers the track's events."""
    events = [(0, meta(0x03, name.encode())),
              (0, bytes([0xC0 | channel, program])),
              (0, bytes([0xB0 | channel, 7, volume]))]
    for tick, length, pitch, velocity in line:
        events.append((tick, bytes([0x90 | channel, pitch, velocity])))
        events.append((tick + length, bytes([0x80 | channel, pitch, 0])))
    return events


def tune(path):
    """An original little tune in C major: eight bars at 112 beats a minute,
    a vibraphone over harp, strings, bass and a soft kit, about 18 s."""
    C5, D5, E5, F5, G5, A5, B5 = 72, 74, 76, 77, 79, 81, 83
    C6, D6, E6 = 84, 86, 88
    melody_bars = [
        [(Q, E5), (Q, G5), (H, C6)],
        [(Q, B5), (Q, A5), (H, E5)],
        [(Q, F5), (Q, A5), (Q, C6), (Q, A5)],
        [(3 * Q, G5), (Q, D5)],
        [(Q, E5), (Q, G5), (Q, C6), (Q, E6)],
        [(Q, D6), (Q, B5), (H, G5)],
        [(Q, A5), (Q, F5), (Q, G5), (Q, B5)],
        [(W, C6)],
    ]
    # One chord a bar (two in bar 7): root for the bass, three notes above.
    chords = [
        [(W, 48, (60, 64, 67))],
        [(W, 45, (57, 60, 64))],
        [(W, 41, (57, 60, 65))],
        [(W, 43, (55, 59, 62))],
        [(W, 48, (60, 64, 67))],
        [(W, 40, (55, 59, 64))],
        [(H, 41, (57, 60, 65)), (H, 43, (55, 59, 62))],
        [(W, 48, (60, 64, 67))],
    ]

    melody, harp, strings, bass, drums = [], [], [], [], []
    for bar, (line, harmony) in enumerate(zip(melody_bars, chords)):
        start = bar * W
        tick = start
        for length, pitch in line:
            melody.append((tick, length - 20, pitch, 96 if tick == start else 84))
            tick += length
        tick = start
        for length, root, triad in harmony:
            strings.extend((tick, length, pitch, 52) for pitch in triad)
            bass.append((tick, length // 2 - 30, root - 12, 88))
            bass.append((tick + length // 2, length // 2 - 30, root - 12 + 7, 76))
            pattern = list(triad) + [triad[0] + 12]
            for step in range(length // E):
                pitch = pattern[step % 4] + 12
                harp.append((tick + step * E, E * 3, pitch, 58 if step % 2 else 66))
            tick += length
        last = bar == len(melody_bars) - 1
        for beat in range(4 if not last else 1):
            at = start + beat * Q
            if beat % 2 == 0:
                drums.append((at, E, 36, 70))  # bass drum
            else:
                drums.append((at, E, 37, 44))  # side stick
            if not last:
                drums.append((at, E // 2, 42, 40))  # closed hi-hat
                drums.append((at + E, E // 2, 42, 30))
    end = len(melody_bars) * W
    drums.append((end - W, W, 49, 60))  # a crash to finish on

    tempo = 60000000 // 112
    conductor = [(0, meta(0x03, b"Star")),
                 (0, meta(0x51, struct.pack(">I", tempo)[1:])),
                 (0, meta(0x58, bytes([4, 2, 24, 8]))),
                 (end + Q, meta(0x01, b"Murmelo"))]
    tracks = [
        track(conductor),
        track(notes(0, 11, 110, melody, "Vibraphone")),
        track(notes(1, 46, 80, harp, "Harp")),
        track(notes(2, 48, 70, strings, "Strings")),
        track(notes(3, 32, 100, bass, "Bass")),
        track(notes(9, 0, 90, drums, "Drums")),
    ]
    header = b"MThd" + struct.pack(">IHHH", 6, 1, len(tracks), PPQ)
    with open(path, "wb") as out:
        out.write(header + b"".join(tracks))


def main():
    folder = sys.argv[1] if len(sys.argv) > 1 else os.path.dirname(os.path.abspath(__file__))
    chime(os.path.join(folder, "trucage"))
    tune(os.path.join(folder, "star.mid"))


if __name__ == "__main__":
    main()
