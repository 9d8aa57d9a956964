#!/usr/bin/python3
# Writes xlwt-formulas.xls: the formulas of expected.txt, compiled by python3-xlwt (an independent
# formula compiler), one per row of column A of the sheet "Data"; the sheets "Other" and "Third"
# are there for 3-D references. Each line of expected.txt is "<text given to xlwt>\t<text the
# engine's decoder shows>". Run it by hand; the tests read the committed files.
import os
import xlwt

here = os.path.dirname(os.path.abspath(__file__))
pairs = []
with open(os.path.join(here, "expected.txt"), encoding="utf-8") as f:
    for line in f:
        line = line.rstrip("\n")
        if line and not line.startswith("#"):
            given, shown = line.split("\t")
            pairs.append((given, shown))

wb = xlwt.Workbook(encoding="utf-8")
ws = wb.add_sheet("Data")
wb.add_sheet("Other")
wb.add_sheet("Third")
for row, (given, _) in enumerate(pairs):
    ws.write(row, 0, xlwt.Formula(given))
wb.save(os.path.join(here, "xlwt-formulas.xls"))
