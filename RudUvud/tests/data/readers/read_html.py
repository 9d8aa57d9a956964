#!/usr/bin/python3
"""Reads the first table of an HTML file with html.parser and prints its cells laid out on a grid
(column and row spans honoured): rows separated by 0x1e, cells by 0x1f; each cell is its text,
0x1d, its class and 0x1d and the declaration of that class in the style block. Cells covered by
another cell's span are '#covered'. <br> reads as CR, <img src=...> as [img:src]."""
import html.parser
import re
import sys


class TableReader(html.parser.HTMLParser):
    def __init__(self):
        super().__init__(convert_charrefs=True)
        self.rows, self.cell, self.style, self.in_style = [], None, '', False

    def handle_starttag(self, tag, attrs):
        a = dict(attrs)
        if tag == 'style':
            self.in_style = True
        elif tag == 'tr':
            self.rows.append([])
        elif tag == 'td':
            self.cell = {'text': '', 'class': a.get('class', ''),
                         'colspan': int(a.get('colspan', 1)), 'rowspan': int(a.get('rowspan', 1))}
        elif tag == 'br' and self.cell is not None:
            self.cell['text'] += '\r'
        elif tag == 'img' and self.cell is not None:
            self.cell['text'] += '[img:%s]' % a.get('src', '')

    def handle_startendtag(self, tag, attrs):
        self.handle_starttag(tag, attrs)

    def handle_endtag(self, tag):
        if tag == 'style':
            self.in_style = False
        elif tag == 'td' and self.cell is not None:
            self.rows[-1].append(self.cell)
            self.cell = None

    def handle_data(self, data):
        if self.in_style:
            self.style += data
        elif self.cell is not None:
            self.cell['text'] += data


p = TableReader()
p.feed(open(sys.argv[1], encoding='utf-8').read())
classes = {m.group(1): m.group(2) for m in re.finditer(r'\.(c\d+)\s*\{([^}]*)\}', p.style)}
grid = {}
for r, row in enumerate(p.rows):
    c = 0
    for cell in row:
        while (r, c) in grid:
            c += 1
        for dr in range(cell['rowspan']):
            for dc in range(cell['colspan']):
                grid[(r + dr, c + dc)] = '#covered'
        grid[(r, c)] = '\x1d'.join([cell['text'], cell['class'], classes.get(cell['class'], '?')])
        c += cell['colspan']
nrows = max((k[0] for k in grid), default=-1) + 1
ncols = max((k[1] for k in grid), default=-1) + 1
out = '\x1e'.join('\x1f'.join(grid.get((r, c), '#missing') for c in range(ncols)) for r in range(nrows))
open(sys.argv[2], 'w', encoding='utf-8', newline='').write(out)
