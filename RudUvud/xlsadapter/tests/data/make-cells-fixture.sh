#!/usr/bin/env bash
# Regenerates xlwt-cells.xls (cells of every value type, formats, blanks in runs, merged cells and
# column widths, written by python3-xlwt) and xlwt-cells.txt, what xlrd reads from it: one line
# per cell "cell row col type value xf", then "merge r1 r2 c1 c2" (last row and column
# inclusive) and "col index width xf". Run it by hand; the tests use the committed files.
set -euo pipefail
cd "$(dirname "$0")"
/usr/bin/python3 - <<'PY'
import xlwt, xlrd
wb = xlwt.Workbook()
ws = wb.add_sheet("Cells")
money = xlwt.easyxf(num_format_str="#,##0.00")
date = xlwt.easyxf(num_format_str="dd/mm/yyyy")
for r, v in enumerate([0, 1, -3, 0.5, 1.23, 12345.67, 123456789, 536870912, 0.07, 3.14159, 1e300, -2.5e-7]):
    ws.write(r, 0, v)
    ws.write(r, 1, v, money)
ws.write(0, 2, True)
ws.write(1, 2, False)
ws.row(2).set_cell_error(2, "#DIV/0!")
ws.row(3).set_cell_error(2, 0x2A)  # #N/A
ws.write(4, 2, 40000, date)
for c in range(3, 8):
    ws.write(6, c, None, money)  # a run of blanks
for c in range(3, 7):
    ws.write(7, c, c * 10)  # a run of integers
ws.write_merge(20, 21, 0, 2, 7)
ws.merge(30, 30, 4, 9)
ws.col(1).width = 5000
ws.col(4).width = 3000
ws.col(5).width = 3000
wb.save("xlwt-cells.xls")

book = xlrd.open_workbook("xlwt-cells.xls", formatting_info=True)
sh = book.sheet_by_index(0)
with open("xlwt-cells.txt", "w") as out:
    for r in range(sh.nrows):
        for c in range(sh.ncols):
            cell = sh.cell(r, c)
            if cell.ctype == xlrd.XL_CELL_EMPTY:
                continue
            v = cell.value
            if cell.ctype == xlrd.XL_CELL_ERROR:
                v = xlrd.error_text_from_code[v]
            elif cell.ctype == xlrd.XL_CELL_BOOLEAN:
                v = int(v)
            elif cell.ctype == xlrd.XL_CELL_NUMBER or cell.ctype == xlrd.XL_CELL_DATE:
                v = repr(float(v))
            out.write("cell %d %d %d %s %d\n" % (r, c, cell.ctype, v, cell.xf_index))
    for r1, r2, c1, c2 in sh.merged_cells:
        out.write("merge %d %d %d %d\n" % (r1, r2 - 1, c1, c2 - 1))
    for c, info in sorted(sh.colinfo_map.items()):
        out.write("col %d %d %d\n" % (c, info.width, info.xf_index))
PY
