#!/usr/bin/env python3
"""Writes the search footer's glyphs (24-bit .bmp) into RudUvud/res/.

DAEARDOWN / DAEARDOWND: a down arrow (find next), normal and disabled; DAEARUP / DAEARUPD: an
up arrow (find previous); DAECLOSE / DAECLOSEH / DAECLOSED: a close cross, normal, hot and down;
DAEHI / DAEHID: a highlight marker, normal and disabled. Every pixel the glyph leaves empty is
magenta, the colour of the bottom-left pixel, which the buttons draw transparent.
"""
import os

from make_glyphs import KEY, canvas, write_bmp

BLUE = (30, 90, 180)
GREY = (160, 160, 160)
DARK = (60, 60, 60)


def arrow(colour, down):
    # A 16 x 16 arrow: a shaft four pixels wide and a head seven rows deep.
    p = canvas(16, 16)
    for y in range(2, 9):
        for x in range(6, 10):
            p[y][x] = colour
    for i in range(7):
        y = 8 + i
        for x in range(1 + i, 15 - i):
            p[y][x] = colour
    return p if down else p[::-1]


def cross(colour, back=None):
    # A 14 x 14 cross of two diagonal strokes, two pixels thick, on an optional square.
    p = canvas(14, 14)
    if back:
        for y in range(14):
            for x in range(14):
                p[y][x] = back
        for y, x in ((0, 0), (0, 13), (13, 0), (13, 13)):
            p[y][x] = KEY
    for i in range(3, 11):
        for d in (0, 1):
            p[i][min(13, i + d)] = colour
            p[i][max(0, 13 - i - d)] = colour
    return p


def marker(colour):
    # A 16 x 16 marker pen: a slanted body and a broad tip over a bar.
    p = canvas(16, 16)
    for i in range(8):
        for d in range(4):
            x, y = 4 + i + d, 11 - i
            if 0 <= x < 16 and 0 <= y < 16:
                p[y][x] = colour
    for x in range(1, 15):
        p[14][x] = colour
    return p


def main():
    out = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "res")
    glyphs = {
        "DAEARDOWN": arrow(BLUE, True),
        "DAEARDOWND": arrow(GREY, True),
        "DAEARUP": arrow(BLUE, False),
        "DAEARUPD": arrow(GREY, False),
        "DAECLOSE": cross(DARK),
        "DAECLOSEH": cross((200, 40, 40)),
        "DAECLOSED": cross((255, 255, 255), (200, 40, 40)),
        "DAEHI": marker((230, 180, 0)),
        "DAEHID": marker(GREY),
    }
    for name, pixels in glyphs.items():
        write_bmp(os.path.join(out, name + ".bmp"), pixels)


if __name__ == "__main__":
    main()
