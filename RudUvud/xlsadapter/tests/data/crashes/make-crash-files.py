#!/usr/bin/python3
"""Makes the two smallest files that crashed the engine, from ../xlwt-small.xls (two sheets of
numbers and shared texts), and copies their "Workbook" streams into the seed corpora of the fuzz
targets. Run it by hand with Debian's python3 (python3-olefile); the tests use the committed files.

  hidden-selected-sheet.xls  the selected first sheet is hidden: every save of it fails with "To save
                             this file, you must select a visible sheet".
  second-globals-bof.xls     the second sheet's BOF says "workbook globals" (type 5) instead of
                             "worksheet" (0x10).
"""
import os
import struct

import olefile

HERE = os.path.dirname(os.path.abspath(__file__))
SOURCE = os.path.join(HERE, "..", "xlwt-small.xls")
CORPUS = os.path.join(HERE, "..", "..", "..", "..", "..", "fuzz", "corpus")


def records(stream):
    pos = 0
    while pos + 4 <= len(stream):
        rid, size = struct.unpack_from("<HH", stream, pos)
        yield pos, rid, size
        pos += 4 + size



def write(name, change, seeds):
    ole = olefile.OleFileIO(SOURCE)
    stream = bytearray(ole.openstream("Workbook").read())
    ole.close()
    change(stream)
    out = os.path.join(HERE, name)
    with open(SOURCE, "rb") as f, open(out, "wb") as g:
        g.write(f.read())
    ole = olefile.OleFileIO(out, write_mode=True)
    ole.write_stream("Workbook", bytes(stream))
    ole.close()
    for target in seeds:
        folder = os.path.join(CORPUS, target)
        os.makedirs(folder, exist_ok=True)
        with open(os.path.join(folder, name.replace(".xls", ".bin")), "wb") as g:
            g.write(stream)


def hide_first_sheet(stream):
    for pos, rid, size in records(stream):
        if rid == 0x0085:  # BOUNDSHEET: offset, visibility byte, type byte, name
            stream[pos + 8] = 1
            return
    raise SystemExit("no BOUNDSHEET")


def second_bof_globals(stream):
    bofs = [pos for pos, rid, size in records(stream) if rid == 0x0809]
    if len(bofs) < 3:
        raise SystemExit("fewer than two sheets")
    struct.pack_into("<H", stream, bofs[2] + 6, 0x0005)


write("hidden-selected-sheet.xls", hide_first_sheet, ["fuzz_xls_workbook", "fuzz_xls_edit"])
write("second-globals-bof.xls", second_bof_globals, ["fuzz_xls_workbook", "fuzz_xls_edit"])
