#!/usr/bin/env python3
"""Writes the demo product's music, tools/demo/install.dat: a 4-channel ProTracker module (M.K.) of
our own, a 4-bar loop in A minor (Am F C G) at 105 beats a minute with bass, a plucked arpeggio,
drums and a lead. Every sample is synthesized here; the output is the same on every run.

Usage: tools/make-module.py [OUTPUT]
"""
import math
import random
import struct
import sys
from pathlib import Path

PAL_CLOCK = 7093789.2
NOTE_NAMES = ["C-", "C#", "D-", "D#", "E-", "F-", "F#", "G-", "G#", "A-", "A#", "B-"]
# ProTracker's periods without finetune, C-1 to B-3: the only notes a plain player is sure to know.
PERIODS = [
    856, 808, 762, 720, 678, 640, 604, 570, 538, 508, 480, 453,
    428, 404, 381, 360, 339, 320, 302, 285, 269, 254, 240, 226,
    214, 202, 190, 180, 170, 160, 151, 143, 135, 127, 120, 113,
]
ROWS = 64
CHANNELS = 4
SPEED = 6  # ticks a row
# At 105 BPM a tick is exactly 1050 frames at 44.1 kHz, so a pass of the pattern is 9.142857 s.
BPM = 105


def period(note):
    return PERIODS[NOTE_NAMES.index(note[:2]) + 12 * (int(note[2]) - 1)]


def rate(note):
    """Samples a second at which a note plays its sample."""
    return PAL_CLOCK / (2 * period(note))


class Sample:
    def __init__(self, name, data, volume, loop=None):
        """data: floats in -1..1; loop: (start, length) in samples, both even."""
        self.name = name
        self.volume = volume
        self.loop = loop
        peak = max(abs(x) for x in data) or 1.0
        # Non-looping samples begin with two silent bytes, which ProTracker keeps for its own use.
        head = [] if loop else [0, 0]
        self.data = bytes((v & 0xFF) for v in head + [round(x / peak * 120) for x in data])
        if len(self.data) % 2:
            self.data += b"\0"
        if loop:
            self.loop = (loop[0] + len(head), loop[1])


def harmonics(phase, amplitudes):
    return sum(a * math.sin((k + 1) * phase) for k, a in enumerate(amplitudes))


def tone(cycle, cycles, amplitudes, envelope, sustain_cycles=0):
    """A waveform of `cycle` samples a period; the last `sustain_cycles` whole periods keep the
    envelope's final level and are the loop."""
    total = cycle * cycles
    out = []
    for i in range(total):
        level = envelope(min(i, total - cycle * sustain_cycles) if sustain_cycles else i)
        out.append(level * harmonics(2 * math.pi * i / cycle, amplitudes))
    return out


def bass():
    # A saw with its higher harmonics rolled off: warm rather than buzzy.
    amplitudes = [1 / k * (0.85 ** k) for k in range(1, 9)]
    hold = 40 * 64
    envelope = lambda i: min(1.0, i / 24) * (0.55 + 0.45 * math.exp(-i / 700))
    return Sample("bass", tone(64, 44, amplitudes, envelope, sustain_cycles=4), 56, (hold, 4 * 64))


def pluck():
    # A 25 % pulse, band-limited, dying away like a plucked string; it ends silent.
    amplitudes = [math.sin(math.pi * k / 4) / k * (0.9 ** k) for k in range(1, 21)]
    reference = rate("A-2")
    envelope = lambda i: min(1.0, i / 30) * math.exp(-i / (0.13 * reference))
    return Sample("pluck", fade_out(tone(64, 96, amplitudes, envelope)), 34)


def lead():
    # Close to a sine, with a little colour; a soft attack and a held level for vibrato.
    envelope = lambda i: min(1.0, i / 300) * (0.8 + 0.2 * math.exp(-i / 1500))
    return Sample("lead", tone(32, 160, [1.0, 0.25, 0.12, 0.05], envelope, sustain_cycles=8), 38,
                  (152 * 32, 8 * 32))


def kick():
    sr = rate("C-2")
    out, phase = [], 0.0
    for i in range(int(0.3 * sr)):
        t = i / sr
        phase += 2 * math.pi * (45 + 115 * math.exp(-t / 0.03)) / sr
        out.append(math.sin(phase) * math.exp(-t / 0.09) * min(1.0, i / 4))
    return Sample("kick", fade_out(out), 64)


def snare(noise):
    sr = rate("C-3")
    out = []
    for i in range(int(0.2 * sr)):
        t = i / sr
        body = 0.6 * math.sin(2 * math.pi * 185 * t) * math.exp(-t / 0.035)
        out.append(body + noise.uniform(-1, 1) * math.exp(-t / 0.055))
    return Sample("snare", fade_out(out), 50)


def hat(noise):
    sr = rate("B-3")
    out, last = [], 0.0
    for i in range(int(0.06 * sr)):
        value = noise.uniform(-1, 1)
        # The difference of successive values keeps only the hiss.
        out.append((value - last) * math.exp(-i / sr / 0.018))
        last = value
    return Sample("hat", fade_out(out), 40)


def fade_out(data, length=64):
    return [x * min(1.0, (len(data) - 1 - i) / length) for i, x in enumerate(data)]


BASS, PLUCK, LEAD, KICK, SNARE, HAT = range(1, 7)
CHORDS = [  # arpeggio voicing, bass root, bass fifth
    (["A-2", "C-3", "E-3", "A-3"], "A-1", "E-2"),
    (["F-2", "A-2", "C-3", "F-3"], "F-1", "C-2"),
    (["G-2", "C-3", "E-3", "G-3"], "C-2", "G-2"),
    (["G-2", "B-2", "D-3", "G-3"], "G-1", "D-2"),
]
ARPEGGIO = [0, 1, 2, 3, 2, 1, 0, 1, 2, 3, 2, 1, 0, 1, 2, 3]
# Row within the bar: sample and volume (None: the sample's own).
DRUMS = {0: (KICK, None), 2: (HAT, 24), 4: (SNARE, None), 6: (HAT, 32), 8: (KICK, None),
         10: (KICK, 40), 12: (SNARE, None), 14: (HAT, 32), 15: (HAT, 16)}
BASS_LINE = {0: "root", 3: "root", 6: "octave", 8: "root", 11: "root", 14: "fifth"}
# Row of the pattern: note, or None to fall silent.
MELODY = {0: "E-3", 6: "D-3", 8: "C-3", 12: "B-2", 14: "C-3",
          16: "A-2", 24: "C-3", 28: "A-2",
          32: "G-2", 38: "C-3", 40: "E-3", 44: "G-3", 46: "E-3",
          48: "D-3", 56: "B-2", 60: "D-3", 63: None}


def octave_up(note):
    return note[:2] + str(int(note[2]) + 1)


def pattern():
    cells = [[(0, None, 0, 0)] * CHANNELS for _ in range(ROWS)]  # (sample, note, effect, parameter)
    for bar, (voicing, root, fifth) in enumerate(CHORDS):
        for step in range(16):
            row = bar * 16 + step
            accent = 48 if step % 4 == 0 else 34
            cells[row][1] = (PLUCK, voicing[ARPEGGIO[step]], 0xC, accent)
            if step in DRUMS:
                sample, volume = DRUMS[step]
                cells[row][2] = (sample, "C-2" if sample == KICK else "C-3" if sample == SNARE else "B-3",
                                 0xC if volume is not None else 0, volume or 0)
            if step in BASS_LINE:
                kind = BASS_LINE[step]
                note = {"root": root, "octave": octave_up(root), "fifth": fifth}[kind]
                cells[row][0] = (BASS, note, 0, 0)
    held, since = None, 0
    for row in range(ROWS):
        if row in MELODY:
            held, since = MELODY[row], 0
            cells[row][3] = (LEAD, held, 0, 0) if held else (0, None, 0xC, 0)
        elif held and since >= 2:
            # A gentle vibrato once a note has been held a moment.
            cells[row][3] = (0, None, 0x4, 0x42)
        since += 1
    # Tempo, set at the top so that every pass through the loop starts alike.
    cells[0][3] = cells[0][3][:2] + (0xF, SPEED)
    cells[0][2] = cells[0][2][:2] + (0xF, BPM)
    return cells


def encode(cell):
    sample, note, effect, parameter = cell
    p = period(note) if note else 0
    return bytes([(sample & 0xF0) | (p >> 8), p & 0xFF, ((sample & 0x0F) << 4) | effect, parameter])


def module():
    noise = random.Random(1994)
    samples = [bass(), pluck(), lead(), kick(), snare(noise), hat(noise)]
    out = bytearray(b"korvadel theme".ljust(20, b"\0"))
    for i in range(31):
        if i < len(samples):
            s = samples[i]
            start, length = s.loop if s.loop else (0, 2)
            out += s.name.encode().ljust(22, b"\0")
            out += struct.pack(">HBBHH", len(s.data) // 2, 0, s.volume, start // 2, length // 2)
        else:
            out += bytes(22) + struct.pack(">HBBHH", 0, 0, 0, 0, 1)
    # 127 in the restart byte marks a ProTracker module, whose players take Fxx of 32 and up as BPM.
    out += bytes([1, 127]) + bytes(128) + b"M.K."
    for row in pattern():
        for cell in row:
            out += encode(cell)
    for s in samples:
        out += s.data
    return bytes(out)


def main():
    target = Path(sys.argv[1]) if len(sys.argv) > 1 else Path(__file__).parent / "demo" / "install.dat"
    target.write_bytes(module())
    print(f"{target}: {target.stat().st_size} bytes")


if __name__ == "__main__":
    main()
