#!/usr/bin/env bash
# Regenerates the hyperlink and drawing fixtures of the spreadsheet engine's tests. Run it by
# hand; the tests use the committed files.
#   red.png, blue.png   two small pictures, written here with python's zlib
#   lo-links.xls        hyperlinks of every kind, written by LibreOffice from a flat ODF sheet
#   lo-drawing.xls      two sheets with pictures (one picture on both), comments and a link,
#                       written by LibreOffice (package libreoffice-calc-nogui)
set -euo pipefail
cd "$(dirname "$0")"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

/usr/bin/python3 - "$work" <<'PY'
import base64, struct, sys, zlib
work = sys.argv[1]

def png(w, h, pix):
    raw = b''.join(b'\0' + b''.join(bytes(pix(x, y)) for x in range(w)) for y in range(h))
    def chunk(t, d):
        return struct.pack('>I', len(d)) + t + d + struct.pack('>I', zlib.crc32(t + d) & 0xffffffff)
    return (b'\x89PNG\r\n\x1a\n' + chunk(b'IHDR', struct.pack('>IIBBBBB', w, h, 8, 2, 0, 0, 0))
            + chunk(b'IDAT', zlib.compress(raw, 9)) + chunk(b'IEND', b''))

open('red.png', 'wb').write(png(24, 16, lambda x, y: (255, 16 * (y % 16), 10 * (x % 24))))
open('blue.png', 'wb').write(png(40, 30, lambda x, y: (x * 6, y * 8, 200)))
red = base64.b64encode(open('red.png', 'rb').read()).decode()
blue = base64.b64encode(open('blue.png', 'rb').read()).decode()

NS = '''xmlns:office="urn:oasis:names:tc:opendocument:xmlns:office:1.0"
  xmlns:table="urn:oasis:names:tc:opendocument:xmlns:table:1.0"
  xmlns:text="urn:oasis:names:tc:opendocument:xmlns:text:1.0"
  xmlns:draw="urn:oasis:names:tc:opendocument:xmlns:drawing:1.0"
  xmlns:svg="urn:oasis:names:tc:opendocument:xmlns:svg-compatible:1.0"
  xmlns:xlink="http://www.w3.org/1999/xlink"
  xmlns:dc="http://purl.org/dc/elements/1.1/"
  office:version="1.2" office:mimetype="application/vnd.oasis.opendocument.spreadsheet"'''

def cell(t):
    return '<table:table-cell office:value-type="string"><text:p>%s</text:p></table:table-cell>' % t

def link(href, t):
    return ('<table:table-cell office:value-type="string"><text:p><text:a xlink:type="simple" '
            'xlink:href="%s">%s</text:a></text:p></table:table-cell>') % (href, t)

def note(t, text):
    return ('<table:table-cell office:value-type="string"><office:annotation><dc:creator>Tester</dc:creator>'
            + ''.join('<text:p>%s</text:p>' % p for p in text.split('\n'))
            + '</office:annotation><text:p>%s</text:p></table:table-cell>') % t

def pic(t, data, name, end, w, h):
    return ('<table:table-cell office:value-type="string"><draw:frame draw:name="%s" svg:width="%s" '
            'svg:height="%s" svg:x="0.1cm" svg:y="0.1cm" table:end-cell-address="%s" table:end-x="0.2cm" '
            'table:end-y="0.2cm"><draw:image><office:binary-data>%s</office:binary-data></draw:image>'
            '</draw:frame><text:p>%s</text:p></table:table-cell>') % (name, w, h, end, data, t)

def row(*cells):
    return '<table:table-row>' + ''.join(cells) + '</table:table-row>'

def doc(name, tables):
    open('%s/%s.fods' % (work, name), 'w').write(
        '<?xml version="1.0" encoding="UTF-8"?>\n<office:document %s>\n<office:body><office:spreadsheet>\n'
        '%s\n</office:spreadsheet></office:body></office:document>\n' % (NS, tables))

doc('lo-links', '<table:table table:name="Links">'
    + row(link('https://example.com/prizes', 'web'))
    + row(link('../data/a.xls', 'file'))
    + row(link('#Links.C5', 'here'))
    + row(link('mailto:draw@example.com', 'mail'))
    + row(link('file://server/share/x.xls', 'unc'))
    + row(link('http://example.com/%E4%B8%AD', 'cjk'))
    + '</table:table>')
doc('lo-drawing', '<table:table table:name="Prizes">'
    + row(cell('Prize'), note('Bicycle', 'First prize\nred one'), pic('x', red, 'Red', 'Prizes.E4', '1.2cm', '0.8cm'))
    + row(link('https://example.com/', 'site'), cell('TV'), note('Radio', '\u96fb\u8996\u6a5f comment'))
    + row(cell('a')) + row(cell('b')) + row(cell('c'))
    + row(pic('y', blue, 'Blue', 'Prizes.C9', '2cm', '1.5cm'))
    + '</table:table>'
    + '<table:table table:name="Second">'
    + row(note('one', 'Second sheet note'), pic('z', red, 'RedAgain', 'Second.D3', '1.2cm', '0.8cm'))
    + '</table:table>')
PY

soffice -env:UserInstallation="file://$work/profile" --headless --norestore \
    --convert-to 'xls:MS Excel 97' --outdir "$work" "$work/lo-links.fods" "$work/lo-drawing.fods" >/dev/null
cp "$work/lo-links.xls" "$work/lo-drawing.xls" .
