#!/usr/bin/env python3
"""Writes ../res/RIRORORIDUVARURO.xls, the empty workbook a new spreadsheet file starts from.

The file is a compound document (version 3, 512-byte sectors) whose "Workbook" stream holds a
BIFF8 workbook: the globals and one empty, visible worksheet named "Sheet1". Every record is
written here from named values, so the bytes are reproducible: run the script again and the file
does not change (the engine's tests compare the resource with what this script writes).

What the engine needs of it, beyond what every reader needs:
  - the settings records its setters change in place (WINDOW1, 1904, PRECISION, BOOKBOOL in the
    globals; REFMODE, PRINTGRIDLINES, DEFAULTROWHEIGHT, WSBOOL, HEADER, FOOTER, HCENTER,
    VCENTER, SETUP, DEFCOLWIDTH, WINDOW2 in the sheet): without them a setting would be dropped;
  - at least one FONT, FORMAT and XF record, so that fonts, formats and cell formats added later
    have their place in the globals; 16 XF records with XF 15 the default cell format;
  - a record after WINDOW2 (SELECTION): zoom and panes are inserted right after WINDOW2.
Usage: make-empty-workbook.py [output]   (default ../res/RIRORORIDUVARURO.xls)
"""
import os
import struct
import sys


def rec(rid, data=b""):
    return struct.pack("<HH", rid, len(data)) + data


def short_text(s):  # 8-bit length, option byte, 8-bit characters
    b = s.encode("latin-1")
    return struct.pack("<BB", len(b), 0) + b


def text16(s):  # 16-bit length, option byte, 8-bit characters
    b = s.encode("latin-1")
    return struct.pack("<HB", len(b), 0) + b


BIFF8 = 0x0600
BUILD, YEAR = 0x1338, 0x07CD
HISTORY, LOWEST = 0x0000C0C1, 0x00000306


def bof(kind):
    return rec(0x0809, struct.pack("<HHHHII", BIFF8, kind, BUILD, YEAR, HISTORY, LOWEST))


EOF_ = rec(0x000A)

# Built-in number formats whose text depends on the currency; the others are implied.
FORMATS = [
    (5, '"$"#,##0_);\\("$"#,##0\\)'),
    (6, '"$"#,##0_);[Red]\\("$"#,##0\\)'),
    (7, '"$"#,##0.00_);\\("$"#,##0.00\\)'),
    (8, '"$"#,##0.00_);[Red]\\("$"#,##0.00\\)'),
    (42, '_("$"* #,##0_);_("$"* \\(#,##0\\);_("$"* "-"_);_(@_)'),
    (41, '_(* #,##0_);_(* \\(#,##0\\);_(* "-"_);_(@_)'),
    (44, '_("$"* #,##0.00_);_("$"* \\(#,##0.00\\);_("$"* "-"??_);_(@_)'),
    (43, '_(* #,##0.00_);_(* \\(#,##0.00\\);_(* "-"??_);_(@_)'),
]

STYLE_XF = 0xFFF5  # locked, a style, no parent
CELL_XF = 0x0001  # locked, parent style XF 0
ALIGN_BOTTOM = 0x20
FILL_COLOURS = 0x20C0  # pattern colours: automatic foreground (64) and background (65)


def xf(font, fmt, kind, used):
    return rec(0x00E0, struct.pack("<HHHBBBBIIH", font, fmt, kind, ALIGN_BOTTOM, 0, 0, used, 0, 0, FILL_COLOURS))


def font():
    # 10 points, automatic colour, normal weight, no underline, Arial
    return rec(0x0031, struct.pack("<HHHHHBBBB", 200, 0, 0x7FFF, 400, 0, 0, 0, 0, 0) + short_text("Arial"))


def globals_section(sheet_offset):
    out = bof(0x0005)
    out += rec(0x0042, struct.pack("<H", 1200))  # CODEPAGE: UTF-16
    out += rec(0x003D, struct.pack("<HHHHHHHHH", 360, 240, 14940, 9150, 0x0038, 0, 0, 1, 600))  # WINDOW1
    out += rec(0x0022, struct.pack("<H", 0))  # 1904: the 1900 date system
    out += rec(0x000E, struct.pack("<H", 1))  # PRECISION: full precision
    out += rec(0x00DA, struct.pack("<H", 0))  # BOOKBOOL
    out += font() * 4  # fonts 0 to 3 (there is no font 4)
    for ifmt, code in FORMATS:
        out += rec(0x041E, struct.pack("<H", ifmt) + text16(code))
    out += xf(0, 0, STYLE_XF, 0x00)  # 0: the Normal style
    for f in (1, 1, 2, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0):  # 1-14: the outline styles
        out += xf(f, 0, STYLE_XF, 0xF4)
    out += xf(0, 0, CELL_XF, 0x00)  # 15: the default cell format
    for fmt in (43, 41, 44, 42, 9):  # 16-20: Comma, Comma [0], Currency, Currency [0], Percent
        out += xf(1, fmt, STYLE_XF, 0xF8)
    for ixf, builtin in ((16, 3), (17, 6), (18, 4), (19, 7), (0, 0), (20, 5)):
        out += rec(0x0293, struct.pack("<HBB", 0x8000 | ixf, builtin, 0xFF))  # STYLE
    out += rec(0x008C, struct.pack("<HH", 1, 1))  # COUNTRY
    out += rec(0x0085, struct.pack("<IBB", sheet_offset, 0, 0) + short_text("Sheet1"))  # BOUNDSHEET
    out += rec(0x00FC, struct.pack("<II", 0, 0))  # SST: no strings
    out += rec(0x00FF, struct.pack("<H", 8))  # EXTSST
    out += EOF_
    return out


def sheet_section():
    out = bof(0x0010)
    out += rec(0x000F, struct.pack("<H", 1))  # REFMODE: A1
    out += rec(0x002A, struct.pack("<H", 0))  # PRINTHEADERS
    out += rec(0x002B, struct.pack("<H", 0))  # PRINTGRIDLINES
    out += rec(0x0082, struct.pack("<H", 1))  # GRIDSET
    out += rec(0x0225, struct.pack("<HH", 0, 255))  # DEFAULTROWHEIGHT
    out += rec(0x0081, struct.pack("<H", 0x04C1))  # WSBOOL
    out += rec(0x0014)  # HEADER, empty
    out += rec(0x0015)  # FOOTER, empty
    out += rec(0x0083, struct.pack("<H", 0))  # HCENTER
    out += rec(0x0084, struct.pack("<H", 0))  # VCENTER
    # SETUP: paper, scale, first page, fit width and height, options (printer values not
    # valid), resolutions, header and footer margins, copies
    out += rec(0x00A1, struct.pack("<HHHHHHHHddH", 0, 255, 1, 1, 1, 0x0004, 0, 0, 0.5, 0.5, 0))
    out += rec(0x0055, struct.pack("<H", 8))  # DEFCOLWIDTH
    out += rec(0x0200, struct.pack("<IIHHH", 0, 0, 0, 0, 0))  # DIMENSIONS: no cells
    # WINDOW2: grid lines, headers, zeros, default header colour, outline symbols, selected,
    # shown in page view off
    out += rec(0x023E, struct.pack("<HHHHHHHI", 0x06B6, 0, 0, 64, 0, 0, 0, 0))
    out += rec(0x001D, struct.pack("<BHHHH", 3, 0, 0, 0, 1) + struct.pack("<HHBB", 0, 0, 0, 0))  # SELECTION: A1
    out += EOF_
    return out


def workbook_stream():
    first = globals_section(0)
    stream = globals_section(len(first)) + sheet_section()
    assert len(stream) <= 4096
    # At least 4096 bytes keeps the stream out of the mini stream; readers stop after the
    # last sheet's EOF.
    return stream + bytes(4096 - len(stream))


SECTOR = 512
EOC, FREE, FATSECT = 0xFFFFFFFE, 0xFFFFFFFF, 0xFFFFFFFD


def dir_entry(name, kind, colour, child, start, size):
    n = name.encode("utf-16-le") + b"\0\0" if name else b""
    return (n + bytes(64 - len(n)) + struct.pack("<HBBIII", len(n), kind, colour, FREE, FREE, child)
            + bytes(16 + 4 + 8 + 8) + struct.pack("<III", start, size, 0))


def compound_document(stream):
    n = len(stream) // SECTOR
    assert len(stream) % SECTOR == 0
    dir_sector, fat_sector = n, n + 1
    header = b"\xd0\xcf\x11\xe0\xa1\xb1\x1a\xe1" + bytes(16)
    header += struct.pack("<HHHHH6sIIIIIIIII", 0x3E, 3, 0xFFFE, 9, 6, bytes(6), 0, 1, dir_sector, 0, 4096,
                          EOC, 0, EOC, 0)
    header += struct.pack("<I", fat_sector) + struct.pack("<I", FREE) * 108
    assert len(header) == SECTOR
    directory = (dir_entry("Root Entry", 5, 1, 1, EOC, 0) + dir_entry("Workbook", 2, 1, FREE, 0, len(stream))
                 + dir_entry("", 0, 0, FREE, 0, 0) * 2)
    fat = [i + 1 for i in range(n - 1)] + [EOC, EOC, FATSECT]
    fat += [FREE] * (SECTOR // 4 - len(fat))
    return header + stream + directory + struct.pack("<%dI" % len(fat), *fat)


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.join(here, "..", "res", "RIRORORIDUVARURO.xls")
    with open(out, "wb") as f:
        f.write(compound_document(workbook_stream()))


if __name__ == "__main__":
    main()
