#!/usr/bin/env python3
"""Writes the grid's middle-button panning resources into RudUvud/res/.

Cursors (32 x 32 monochrome .cur, hot spot at the centre):
8000 neutral: a ring with a dot; 8001 down, 8002 left, 8003 right, 8004 up,
8005 up-right, 8006 up-left, 8007 down-right, 8008 down-left: the ring with one arrow head
pointing that way.
Markers (32 x 32, 24-bit .bmp) drawn at the press point: INTLI1 both directions (four heads),
INTLI2 horizontal (left and right heads), INTLI3 vertical (up and down heads). Their top-left
pixel, magenta, is the see-through colour.
"""
import math
import os
import struct
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "edit", "cursors"))
from make_cursors import cursor  # noqa: E402

N = 32
C = 15.5


def ring(x, y):
    d = math.hypot(x - C, y - C)
    return 3.5 <= d <= 5.5 or d <= 1.2


def head(dx, dy):
    """A filled triangle pointing in direction (dx, dy), its tip 13 pixels from the centre."""
    n = math.hypot(dx, dy)
    ux, uy = dx / n, dy / n

    def inside(x, y):
        px, py = x - C, y - C
        along = px * ux + py * uy
        across = abs(-px * uy + py * ux)
        return 7 <= along <= 13 and across <= (13 - along) * 0.8
    return inside


def shape(*dirs):
    heads = [head(dx, dy) for dx, dy in dirs]
    return lambda x, y: ring(x, y) or any(h(x, y) for h in heads)


def marker(fill):
    key, ink = (255, 0, 255), (0, 0, 0)
    row = (N * 3 + 3) & ~3
    data = bytearray()
    for y in range(N - 1, -1, -1):
        line = bytearray()
        for x in range(N):
            r, g, b = ink if fill(x, y) and (x, y) != (0, 0) else key
            line += bytes((b, g, r))
        data += line + b"\0" * (row - N * 3)
    header = struct.pack("<2sIHHI", b"BM", 54 + len(data), 0, 0, 54)
    info = struct.pack("<IiiHHIIiiII", 40, N, N, 1, 24, 0, len(data), 2835, 2835, 0, 0)
    return header + info + data


def main():
    res = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "res")
    os.makedirs(res, exist_ok=True)
    cursors = {
        8000: shape(), 8001: shape((0, 1)), 8002: shape((-1, 0)), 8003: shape((1, 0)),
        8004: shape((0, -1)), 8005: shape((1, -1)), 8006: shape((-1, -1)),
        8007: shape((1, 1)), 8008: shape((-1, 1)),
    }
    for ident, fill in cursors.items():
        with open(os.path.join(res, "%d.cur" % ident), "wb") as f:
            f.write(cursor(fill, (16, 16)))
    markers = {
        "INTLI1": shape((0, 1), (0, -1), (1, 0), (-1, 0)),
        "INTLI2": shape((1, 0), (-1, 0)),
        "INTLI3": shape((0, 1), (0, -1)),
    }
    for name, fill in markers.items():
        with open(os.path.join(res, name + ".bmp"), "wb") as f:
            f.write(marker(fill))


if __name__ == "__main__":
    main()
