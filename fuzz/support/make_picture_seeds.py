#!/usr/bin/env python3
# Writes the GIF seeds of fuzz_picture: animated GIFs whose LZW data sends a clear code before
# every pair of pixels, so the codes stay three bits wide and any reader decodes them.
import struct
import sys
from pathlib import Path


def lzw(pixels, index):
    codes = []
    for i in range(pixels):
        if i % 2 == 0:
            codes.append(4)
        codes.append(index)
    codes.append(5)
    bits = count = 0
    out = bytearray()
    for c in codes:
        bits |= c << count
        count += 3
        while count >= 8:
            out.append(bits & 255)
            bits >>= 8
            count -= 8
    if count:
        out.append(bits & 255)
    return bytes(out)


def gif(frames):
    b = bytearray(b"GIF89a") + struct.pack("<HH", 4, 4) + bytes([0x81, 0, 0])
    b += bytes([0, 0, 0, 255, 0, 0, 0, 255, 0, 0, 0, 255])
    for left, top, w, h, delay, colour in frames:
        b += bytes([0x21, 0xF9, 4, 0]) + struct.pack("<H", delay) + bytes([0, 0])
        b += bytes([0x2C]) + struct.pack("<HHHH", left, top, w, h) + bytes([0, 2])
        data = lzw(w * h, colour)
        b += bytes([len(data)]) + data + bytes([0])
    return bytes(b + b"\x3b")


out = Path(sys.argv[1] if len(sys.argv) > 1 else Path(__file__).parent.parent / "corpus" / "fuzz_picture")
out.mkdir(parents=True, exist_ok=True)
(out / "three_frames.gif").write_bytes(gif([(0, 0, 2, 2, 50, 1), (1, 2, 2, 2, 20, 2), (2, 1, 2, 1, 30, 3)]))
(out / "one_frame.gif").write_bytes(gif([(0, 0, 4, 4, 0, 2)]))
(out / "truncated.gif").write_bytes(gif([(0, 0, 2, 2, 50, 1), (1, 2, 2, 2, 20, 2)])[:-9])
