#!/usr/bin/env python3
"""Writes notification.wav, the short chime KepSil! plays when it captures an item.

RIFF/WAVE, PCM, mono, 22,050 Hz, 16-bit, 1,258 samples (about 57 ms), followed by a LIST/INFO
chunk that names the sound. The output is deterministic, so running this again reproduces the
committed file byte for byte.

    python3 resources/make_sound.py [OUTPUT]
"""

import math
import struct
import sys
from pathlib import Path

RATE = 22050
SAMPLES = 1258
PEAK = 0.42 * 32767

# Two partials a fifth apart make a soft, bell-like "ding" that is over before it gets in the way.
PARTIALS = ((1568.0, 1.0), (2349.3, 0.45), (3136.0, 0.12))


def envelope(i: int) -> float:
    t = i / RATE
    attack = min(1.0, t / 0.003)  # 3 ms rise, no click
    decay = math.exp(-t / 0.018)
    # The last 6 ms fade to silence so the sound ends exactly on zero.
    remaining = (SAMPLES - 1 - i) / RATE
    release = min(1.0, remaining / 0.006)
    return attack * decay * release


def samples() -> bytes:
    total = sum(weight for _, weight in PARTIALS)
    out = bytearray()
    for i in range(SAMPLES):
        t = i / RATE
        wave = sum(weight * math.sin(2 * math.pi * freq * t) for freq, weight in PARTIALS) / total
        value = int(round(PEAK * envelope(i) * wave))
        out += struct.pack("<h", max(-32768, min(32767, value)))
    return bytes(out)


def chunk(tag: bytes, body: bytes) -> bytes:
    pad = b"\0" if len(body) % 2 else b""
    return tag + struct.pack("<I", len(body)) + body + pad


def info_text(text: str) -> bytes:
    return text.encode("ascii") + b"\0"


def wave_file() -> bytes:
    fmt = struct.pack("<HHIIHH", 1, 1, RATE, RATE * 2, 2, 16)
    info = b"INFO" + chunk(b"INAM", info_text("KepSil! notification")) + chunk(
        b"ISFT", info_text("make_sound.py")
    )
    body = b"WAVE" + chunk(b"fmt ", fmt) + chunk(b"data", samples()) + chunk(b"LIST", info)
    return b"RIFF" + struct.pack("<I", len(body)) + body


def main() -> None:
    target = Path(sys.argv[1]) if len(sys.argv) > 1 else Path(__file__).with_name("notification.wav")
    target.write_bytes(wave_file())


if __name__ == "__main__":
    main()
