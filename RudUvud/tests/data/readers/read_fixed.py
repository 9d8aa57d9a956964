#!/usr/bin/python3
"""Reads a fixed-width file: argv[3] is the comma-separated field widths. Checks every line is
exactly as long as the widths together and prints the fields (trailing blanks removed): rows
separated by 0x1e, fields by 0x1f."""
import sys

widths = [int(w) for w in sys.argv[3].split(',')]
data = open(sys.argv[1], encoding='utf-8', newline='').read()
assert data.endswith('\r\n'), 'lines end in CR LF'
rows = []
for line in data[:-2].split('\r\n'):
    assert len(line) == sum(widths), 'line of %d characters, not %d: %r' % (len(line), sum(widths), line)
    fields, pos = [], 0
    for w in widths:
        fields.append(line[pos:pos + w].rstrip(' '))
        pos += w
    rows.append('\x1f'.join(fields))
open(sys.argv[2], 'w', encoding='utf-8', newline='').write('\x1e'.join(rows))
