#!/usr/bin/env python3
"""Writes the grid's select-zone cursors (32 x 32 monochrome .cur files) into RudUvud/res/.

8010: a solid arrow pointing right, hot spot (26, 16), its tip (row select).
8011: a solid arrow pointing down, hot spot (13, 26), its tip (column select).
8012: a plus sign with thick arms, hot spot (16, 16), its centre (select all, selection resize).
Black shapes with a white outline; everything else transparent.
"""
import os
import struct

N = 32


def right_arrow(x, y):
    # Shaft rows 14..18 from x 6 to 18, head a triangle from x 18 to the tip at x 26.
    if 18 <= x <= 26:
        return abs(y - 16) <= 26 - x
    return 6 <= x < 18 and 14 <= y <= 18


def down_arrow(x, y):
    # The right arrow turned: tip at (13, 26).
    if 18 <= y <= 26:
        return abs(x - 13) <= 26 - y
    return 6 <= y < 18 and 11 <= x <= 15


def plus(x, y):
    return (abs(x - 16) <= 2 and abs(y - 16) <= 9) or (abs(y - 16) <= 2 and abs(x - 16) <= 9)


def cursor(shape, hot):
    black = [[shape(x, y) for x in range(N)] for y in range(N)]
    outline = [[not black[y][x] and any(
        0 <= y + dy < N and 0 <= x + dx < N and black[y + dy][x + dx]
        for dy in (-1, 0, 1) for dx in (-1, 0, 1)) for x in range(N)] for y in range(N)]

    def rows(bit):
        out = b""
        for y in reversed(range(N)):  # bottom-up
            v = 0
            for x in range(N):
                if bit(x, y):
                    v |= 1 << (31 - x)
            out += struct.pack(">I", v)
        return out

    xor = rows(lambda x, y: outline[y][x])
    andm = rows(lambda x, y: not black[y][x] and not outline[y][x])
    bmp = struct.pack("<IiiHHIIiiII", 40, N, 2 * N, 1, 1, 0, len(xor) + len(andm), 0, 0, 2, 0)
    bmp += struct.pack("<II", 0x000000, 0xFFFFFF) + xor + andm
    head = struct.pack("<HHH", 0, 2, 1)
    entry = struct.pack("<BBBBHHII", N, N, 2, 0, hot[0], hot[1], len(bmp), 6 + 16)
    return head + entry + bmp


def main():
    res = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "res")
    os.makedirs(res, exist_ok=True)
    for ident, shape, hot in ((8010, right_arrow, (26, 16)), (8011, down_arrow, (13, 26)),
                              (8012, plus, (16, 16))):
        with open(os.path.join(res, "%d.cur" % ident), "wb") as f:
            f.write(cursor(shape, hot))


if __name__ == "__main__":
    main()
