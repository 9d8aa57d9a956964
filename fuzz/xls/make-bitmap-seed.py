#!/usr/bin/env python3
"""Writes xlwt-bitmap.bin into corpus/fuzz_xls_workbook and corpus/fuzz_xls_edit: the "Workbook"
stream of the xlwt-bitmap fixture (two bitmaps kept as an OBJ of the older layout and an IMDATA
record outside any drawing), so that both targets start from pictures stored that way. The edit
target's copy ends with eight zero bytes, its edit choices."""
import os

import olefile

here = os.path.dirname(os.path.abspath(__file__))
fixture = os.path.join(here, "..", "..", "RudUvud", "xlsadapter", "tests", "data", "drawings", "xlwt-bitmap.xls")
stream = olefile.OleFileIO(fixture).openstream("Workbook").read()
for target, tail in (("fuzz_xls_workbook", b""), ("fuzz_xls_edit", bytes(8))):
    with open(os.path.join(here, "..", "corpus", target, "xlwt-bitmap.bin"), "wb") as f:
        f.write(stream + tail)
