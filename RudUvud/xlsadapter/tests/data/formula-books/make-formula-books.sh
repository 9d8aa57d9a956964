#!/usr/bin/env bash
# Regenerates the formula workbooks: 3-D references across sheets and sheet ranges, defined names
# of workbook and sheet scope, shared and array formulas, functions with variable argument
# counts, error and boolean results, dates, times and number formats.
#   xlwt-formula-book.xls     written by python3-xlwt (Debian's /usr/bin/python3); xlwt stores no
#                             results, so every formula reads as an empty text
#   lo-xlwt-formula-book.xls  the same workbook saved again by LibreOffice, which computes the
#                             results and writes the formulas with its own tokens
#   lo-formula-book.xls       written by LibreOffice from lo-formula-book.fods: names, array
#                             formulas and a column of formulas it stores as one shared formula
#   *.txt                     what formula-book-listing.py reports for each (xlrd, plus the
#                             formula text LibreOffice shows for each FORMULA record)
# Needs python3-xlwt, python3-xlrd, python3-olefile and LibreOffice (soffice). Run it by hand;
# the tests use the committed files.
set -euo pipefail
cd "$(dirname "$0")"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
lo() {
    soffice -env:UserInstallation="file://$work/profile" --headless --norestore "$@" >/dev/null 2>&1
}

/usr/bin/python3 - <<'PY'
import xlwt
wb = xlwt.Workbook(encoding="utf-8")
data = wb.add_sheet("Data")
other = wb.add_sheet("Other")
third = wb.add_sheet("Third")
prizes = wb.add_sheet("\u734e\u54c1")
other.write(0, 0, 5)
other.write(0, 1, 2.5)
third.write(0, 0, 7)
third.write(1, 1, 1)
prizes.write(0, 0, 100)

date = xlwt.easyxf(num_format_str="yyyy-mm-dd")
time = xlwt.easyxf(num_format_str="hh:mm")
percent = xlwt.easyxf(num_format_str="0.0%")
money = xlwt.easyxf(num_format_str="#,##0.00")
data.write(0, 0, 10)
data.write(1, 0, 20)
data.write(2, 0, 30)
data.write(3, 0, 45351, date)
data.write(4, 0, 0.125, percent)
data.write(5, 0, 1234.5, money)
data.write(6, 0, True)
data.write(7, 0, "abc")
data.row(8).set_cell_error(0, "#DIV/0!")
data.write(9, 0, False)
formulas = [
    ("Other!A1+Third!A1", None),
    ("SUM(Other:Third!A1)", None),
    ("SUM(Other:Third!A1:B2)", None),
    ("'\u734e\u54c1'!A1*2", None),
    ("SUM(A1:A3,Other!A1,5)", None),
    ("MAX(A1,A2,A3,Other!B1)", None),
    ("AVERAGE(A1:A3)", None),
    ("COUNT(A1:A10)", None),
    ("IF(A1>5,\"big\",\"small\")", None),
    ("CONCATENATE(\"a\",A8,\"c\")", None),
    ("1/0", None),
    ("NA()", None),
    ("A1>A2", None),
    ("AND(TRUE,FALSE)", None),
    ("ISERROR(A9)", None),
    ("DATE(2024,2,29)", date),
    ("A4+1", date),
    ("TIME(13,45,0)", time),
    ("A5*2", percent),
    ("ROUND(A6*3,1)", money),
    ("HLOOKUP(20,A1:A3,2,FALSE)", None),
    ("Other!$A$1*$A$2", None),
]
for row, (text, style) in enumerate(formulas):
    if style is None:
        data.write(row, 1, xlwt.Formula(text))
    else:
        data.write(row, 1, xlwt.Formula(text), style)
data.col(1).width = 4000
wb.save("xlwt-formula-book.xls")
PY

lo --convert-to 'xls:MS Excel 97' --outdir "$work" lo-formula-book.fods
cp "$work/lo-formula-book.xls" .
cp xlwt-formula-book.xls "$work/lo-xlwt-formula-book.xls"
mkdir "$work/resaved"
lo --convert-to 'xls:MS Excel 97' --outdir "$work/resaved" "$work/lo-xlwt-formula-book.xls"
cp "$work/resaved/lo-xlwt-formula-book.xls" .

# Every sheet to csv with the formulas as LibreOffice writes them (token 10), all sheets (-1).
for book in xlwt-formula-book lo-xlwt-formula-book lo-formula-book; do
    mkdir -p "$work/csv"
    lo --convert-to 'csv:Text - txt - csv (StarCalc):44,34,76,1,,0,false,true,false,true,false,-1' \
        --outdir "$work/csv" "$book.xls"
    /usr/bin/python3 formula-book-listing.py "$book.xls" "$work/csv" > "$book.txt"
done
