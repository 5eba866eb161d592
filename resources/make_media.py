#!/usr/bin/env python3
"""Writes the media files of the sample training file, a flag picture (PNG) and a
concert-pitch tone (WAV), and the program's warning tone (WAV, built into the window
program). Pure Python, so the files can be rebuilt anywhere."""

import math
import os
import struct
import wave
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))


def write_png(path, width, height, pixel):
    """pixel(x, y) -> (r, g, b); writes an 8-bit RGB PNG without interlacing."""
    rows = bytearray()
    for y in range(height):
        rows.append(0)  # filter: none
        for x in range(width):
            rows.extend(pixel(x, y))

    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)

    png = b"\x89PNG\r\n\x1a\n"
    png += chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0))
    # 96 dots per inch, so the picture has a natural size on screen and paper.
    png += chunk(b"pHYs", struct.pack(">IIB", 3780, 3780, 1))
    png += chunk(b"IDAT", zlib.compress(bytes(rows), 9))
    png += chunk(b"IEND", b"")
    with open(path, "wb") as f:
        f.write(png)


def flag(x, y):
    # Black, red and gold stripes of equal height, with a thin grey frame.
    if x == 0 or y == 0 or x == 299 or y == 179:
        return (128, 128, 128)
    if y < 60:
        return (0, 0, 0)
    if y < 120:
        return (221, 0, 0)
    return (255, 206, 0)


def tone_frames(frequency, seconds, rate, fade_seconds=0.05):
    frames = bytearray()
    count = int(seconds * rate)
    fade = int(fade_seconds * rate)
    for i in range(count):
        envelope = min(1.0, i / fade, (count - 1 - i) / fade)
        value = int(0.5 * 32767 * envelope * math.sin(2 * math.pi * frequency * i / rate))
        frames.extend(struct.pack("<h", value))
    return frames


def write_tone(path, frequency=440.0, seconds=1.5, rate=22050):
    write_wave(path, tone_frames(frequency, seconds, rate), rate)


def write_warning_tone(path, rate=22050):
    """The program's own warning tone after a wrong answer: two short falling notes."""
    frames = tone_frames(880.0, 0.12, rate, 0.01) + tone_frames(660.0, 0.16, rate, 0.01)
    write_wave(path, frames, rate)


def write_wave(path, frames, rate):
    with wave.open(path, "wb") as w:
        w.setnchannels(1)
        w.setsampwidth(2)
        w.setframerate(rate)
        w.writeframes(bytes(frames))


if __name__ == "__main__":
    write_png(os.path.join(HERE, "beispiel_flagge.png"), 300, 180, flag)
    write_tone(os.path.join(HERE, "beispiel_kammerton.wav"))
    write_warning_tone(os.path.join(HERE, "warning-tone.wav"))
