#!/usr/bin/env python3
"""Writes the grid's check box, radio button and node bitmaps (24-bit .bmp) into RudUvud/res/.

DAECHK01..04 and DAERAD01..04: the flat style (checked, unchecked, checked disabled, unchecked
disabled); DAECHK05..08 and DAERAD05..08: the rounded blue style in the same order.
DAELEAFOPEN / DAELEAFCLOSE: a green leaf box (11 x 11) with a minus / plus sign, 12 rows high.
XPNODEO / XPNODEC: a small framed box (9 x 9) with a minus / plus sign, 10 rows high.

Every pixel the glyph leaves empty is magenta, the colour of the bottom-left pixel, which the
grid draws transparent.
"""
import os
import struct

KEY = (255, 0, 255)


def write_bmp(path, pixels):
    h = len(pixels)
    w = len(pixels[0])
    row = (w * 3 + 3) & ~3
    data = bytearray()
    for y in range(h - 1, -1, -1):
        line = bytearray()
        for r, g, b in pixels[y]:
            line += bytes((b, g, r))
        line += b"\0" * (row - w * 3)
        data += line
    header = struct.pack("<2sIHHI", b"BM", 54 + len(data), 0, 0, 54)
    info = struct.pack("<IiiHHIIiiII", 40, w, h, 1, 24, 0, len(data), 2835, 2835, 0, 0)
    with open(path, "wb") as f:
        f.write(header + info + data)


def canvas(w, h):
    return [[KEY] * w for _ in range(h)]


def mix(a, b, t):
    return tuple(int(round(a[i] + (b[i] - a[i]) * t)) for i in range(3))


def check_mark(p, x0, y0, colour):
    # A tick of two strokes, three pixels thick, ending 2 pixels inside a 13 x 13 box at (x0, y0).
    pts = [(3, 6), (4, 7), (5, 8), (6, 7), (7, 6), (8, 5), (9, 4)]
    for x, y in pts:
        for d in range(3):
            p[y0 + y + d - 1][x0 + x] = colour


def check_box(border, face_top, face_bottom, mark, checked):
    p = canvas(15, 15)
    for y in range(1, 14):
        for x in range(1, 14):
            if x in (1, 13) or y in (1, 13):
                p[y][x] = border
            else:
                p[y][x] = mix(face_top, face_bottom, (y - 2) / 10)
    if checked:
        check_mark(p, 1, 1, mark)
    return p


def radio(border, face_top, face_bottom, dot, checked):
    p = canvas(16, 16)
    cx = cy = 7.5
    for y in range(16):
        for x in range(16):
            d = ((x - cx) ** 2 + (y - cy) ** 2) ** 0.5
            if d <= 5.6:
                p[y][x] = mix(face_top, face_bottom, max(0, (y - 2) / 11))
            elif d <= 6.6:
                p[y][x] = border
            if checked and d <= 2.6:
                p[y][x] = dot
    return p


def sign_box(size, border, face, sign, plus):
    # The box over every row but the last, which stays transparent.
    p = canvas(size, size + 1)
    for y in range(size):
        for x in range(size):
            edge = x in (0, size - 1) or y in (0, size - 1)
            p[y][x] = border if edge else face
    mid = size // 2
    for x in range(2, size - 2):
        p[mid][x] = sign
    if plus:
        for y in range(2, size - 2):
            p[y][mid] = sign
    return p


def main():
    out = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "res")
    white, grey_face = (255, 255, 255), (236, 236, 236)
    flat = dict(border=(64, 64, 64), top=white, bottom=(232, 232, 232), mark=(0, 0, 0))
    flat_off = dict(border=(160, 160, 160), top=grey_face, bottom=grey_face, mark=(150, 150, 150))
    blue = dict(border=(28, 81, 128), top=(220, 226, 232), bottom=white, mark=(33, 161, 33))
    blue_off = dict(border=(202, 200, 187), top=(245, 244, 234), bottom=(245, 244, 234), mark=(202, 200, 187))
    for base, on, off in ((1, flat, flat_off), (5, blue, blue_off)):
        for i, (look, checked) in enumerate(((on, True), (on, False), (off, True), (off, False))):
            n = "%02d" % (base + i)
            write_bmp(os.path.join(out, "DAECHK%s.bmp" % n),
                      check_box(look["border"], look["top"], look["bottom"], look["mark"], checked))
            write_bmp(os.path.join(out, "DAERAD%s.bmp" % n),
                      radio(look["border"], look["top"], look["bottom"], look["mark"], checked))
    write_bmp(os.path.join(out, "DAELEAFOPEN.bmp"), sign_box(11, (0, 110, 0), (200, 240, 200), (0, 90, 0), False))
    write_bmp(os.path.join(out, "DAELEAFCLOSE.bmp"), sign_box(11, (0, 110, 0), (200, 240, 200), (0, 90, 0), True))
    write_bmp(os.path.join(out, "XPNODEO.bmp"), sign_box(9, (120, 152, 181), white, (0, 0, 0), False))
    write_bmp(os.path.join(out, "XPNODEC.bmp"), sign_box(9, (120, 152, 181), white, (0, 0, 0), True))


if __name__ == "__main__":
    main()
