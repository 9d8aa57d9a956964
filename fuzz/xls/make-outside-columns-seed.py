#!/usr/bin/env python3
"""Writes corpus/fuzz_xls_workbook/outside-columns.bin: the "Workbook" stream of the xlwt-small
fixture with cells right of column 255 put into its last sheet before the WINDOW2 (a LABELSST at
column 11008, a MULRK running from column 254 to 257, a MULBLANK wrapping past column 65535, a
LABELSST with a CONTINUE, a LABEL, a string formula with its STRING, a NOTE and a merged range),
beside cells inside the sheet, so that the workbook target starts from a stream whose cells take
every path a cell outside the sheet can come in by."""
import os
import struct

import olefile

here = os.path.dirname(os.path.abspath(__file__))
fixture = os.path.join(here, "..", "..", "RudUvud", "xlsadapter", "tests", "data", "xlwt-small.xls")
stream = olefile.OleFileIO(fixture).openstream("Workbook").read()


def rec(rid, data):
    return struct.pack("<HH", rid, len(data)) + data


cells = b"".join([
    rec(0x00FD, struct.pack("<HHHI", 2, 1, 0x11, 1)),
    rec(0x00FD, struct.pack("<HHHI", 2, 11008, 0x11, 5)),
    rec(0x00BD, struct.pack("<HH", 3, 254) + b"".join(struct.pack("<HI", 0x11, v << 20 | 0x40000000)
                                                        for v in range(4)) + struct.pack("<H", 257)),
    rec(0x00BE, struct.pack("<HHHHHH", 4, 0xFFFE, 0x11, 0x11, 0x11, 0)),
    rec(0x00FD, struct.pack("<HHHI", 5, 9000, 0x11, 5)),
    rec(0x003C, b"\x00"),
    rec(0x0204, struct.pack("<HHHHB", 6, 400, 0x11, 1, 0) + b"q"),
    rec(0x0006, struct.pack("<HHH", 7, 300, 0x11) + b"\x00" * 6 + b"\xff\xff" +
        struct.pack("<HIH", 0, 0, 3) + b"\x1e\x01\x00"),
    rec(0x0207, struct.pack("<HB", 1, 0) + b"x"),
    rec(0x001C, struct.pack("<HHHHH", 8, 500, 0, 1, 0) + b"\x00"),
    rec(0x00E5, struct.pack("<HHHHH", 1, 9, 10, 250, 300)),
])

# The last sheet's WINDOW2: the cells go just before it.
at, window2 = 0, None
while at + 4 <= len(stream):
    rid, size = struct.unpack_from("<HH", stream, at)
    if rid == 0x023E:
        window2 = at
    at += 4 + size
with open(os.path.join(here, "..", "corpus", "fuzz_xls_workbook", "outside-columns.bin"), "wb") as f:
    f.write(stream[:window2] + cells + stream[window2:])
