#!/usr/bin/python3
"""Reads the grid's own text file: a header 'columns,rows', width lines 'cw K,W' and cell lines
'col,row,text' (a text holding character 8 is decoded: 9 -> CR, 8 -> LF, 1 -> NUL). Prints the
grid of columns x rows: rows separated by 0x1e, cells by 0x1f, then 0x1c and the widths as 'K=W'
joined by commas."""
import sys

lines = open(sys.argv[1], encoding='utf-8', newline='').read().split('\r\n')
assert lines[-1] == '', 'the last line ends in CR LF'
lines = lines[:-1]
cols, rows = (int(x) for x in lines[0].split(','))
cells = [[''] * cols for _ in range(rows)]
widths = []
for line in lines[1:]:
    assert '\r' not in line and '\n' not in line
    if line.startswith('cw '):
        k, w = line[3:].split(',')
        widths.append('%d=%d' % (int(k), int(w)))
        continue
    c, r, text = line.split(',', 2)
    if '\x08' in text:
        text = text.replace('\x09', '\r').replace('\x08', '\n').replace('\x01', '\0')
    assert text != ''
    cells[int(r)][int(c)] = text
out = '\x1e'.join('\x1f'.join(r) for r in cells) + '\x1c' + ','.join(widths)
open(sys.argv[2], 'w', encoding='utf-8', newline='').write(out)
