#!/usr/bin/env python3
"""Writes corpus/fuzz_xls_workbook/chart-sheet.bin: the "Workbook" stream of the empty-workbook
resource with a chart sheet added after its worksheet (two BEGIN..END levels, a LABELSST, a
linked-data record with a 3-D area, CONTINUE data after the chart's EOF), so that the workbook
target starts from a stream whose chart takes the chart reader's every path."""
import os
import struct

import olefile

here = os.path.dirname(os.path.abspath(__file__))
resource = os.path.join(here, "..", "..", "RudUvud", "xlsadapter", "res", "RIRORORIDUVARURO.xls")
stream = olefile.OleFileIO(resource).openstream("Workbook").read()

recs, at = [], 0
while at + 4 <= len(stream):
    rid, size = struct.unpack_from("<HH", stream, at)
    if rid == 0:
        break
    recs.append((rid, stream[at + 4:at + 4 + size]))
    at += 4 + size

out = []
for rid, data in recs:
    if rid == 0x00FC:  # SST: one string for the chart's LABELSST
        data = struct.pack("<IIHB", 1, 1, 1, 0) + b"Q"
    out.append((rid, data))
    if rid == 0x0085 and data.endswith(b"Sheet1"):
        out.append((0x0085, struct.pack("<IBBBB", 0, 0, 2, 6, 0) + b"Chart1"))
        out.append((0x01AE, struct.pack("<HH", 2, 0x0401)))  # SUPBOOK: this workbook
        out.append((0x0017, struct.pack("<HHHH", 1, 0, 0, 0)))  # EXTERNSHEET: Sheet1
ai = struct.pack("<BBHHH", 1, 2, 0, 0, 11) + struct.pack("<BHHHHH", 0x3B, 0, 0, 2, 0, 0)
out += [(0x0809, struct.pack("<HHHHII", 0x0600, 0x0020, 0x1338, 0x07CD, 0x0000C0C1, 0x00000306)),
        (0x0014, b""), (0x00FD, struct.pack("<HHHI", 0, 0, 15, 0)), (0x1002, bytes(16)),
        (0x1033, b""), (0x1003, bytes(12)), (0x1033, b""), (0x1003, bytes(12)), (0x1051, ai),
        (0x1034, b""), (0x1034, b""), (0x000A, b""), (0x003C, b"\x01\x02")]
with open(os.path.join(here, "..", "corpus", "fuzz_xls_workbook", "chart-sheet.bin"), "wb") as f:
    f.write(b"".join(struct.pack("<HH", rid, len(data)) + data for rid, data in out))
