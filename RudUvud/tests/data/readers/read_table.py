#!/usr/bin/python3
"""Reads a padded text table: argv[3] is the comma-separated column widths W (each column takes
W + 1 characters). Prints every line's pieces, blanks around them removed: lines separated by
0x1e, pieces by 0x1f, and a piece that is not padded as the alignment in argv[4] (one letter per
column: l, r, c) says '#misaligned'."""
import sys

widths = [int(w) for w in sys.argv[3].split(',')]
aligns = sys.argv[4]
data = open(sys.argv[1], encoding='utf-8', newline='').read()
assert data.endswith('\r\n')
out = []
for line in data[:-2].split('\r\n'):
    pieces, pos = [], 0
    for w, a in zip(widths, aligns):
        piece = line[pos:pos + w + 1]
        text = piece.strip(' ')
        if text and len(text) <= w:
            ok = {'l': piece.startswith(text), 'r': piece.rstrip(' ').endswith(text) and len(piece.rstrip(' ')) == w,
                  'c': abs((len(piece) - len(piece.lstrip(' '))) - (w - len(piece.rstrip(' ')))) <= 1}[a]
            if not ok:
                text = '#misaligned'
        pieces.append(text)
        pos += w + 1
    out.append('\x1f'.join(pieces))
open(sys.argv[2], 'w', encoding='utf-8', newline='').write('\x1e'.join(out))
