#!/usr/bin/python3
"""Reads an HTML file as a browser does with html5lib, from its bytes (the character set found
the way HTML parsers find it), and prints the text of each table cell: rows separated by 0x1e,
cells by 0x1f."""
import sys

import html5lib

with open(sys.argv[1], 'rb') as f:
    doc = html5lib.parse(f, namespaceHTMLElements=False)
rows = []
for tr in doc.iter('tr'):
    rows.append([''.join(td.itertext()) for td in tr if td.tag in ('td', 'th')])
with open(sys.argv[2], 'w', encoding='utf-8', newline='') as out:
    out.write('\x1e'.join('\x1f'.join(r) for r in rows))
