#!/usr/bin/env bash
# Regenerates the prize lists the import tests read, each written by a spreadsheet program of
# its own: import-xlwt.xls and import-bad-xlwt.xls by python3-xlwt, import-libreoffice.xls by
# LibreOffice (headless, from a UTF-8 comma-separated list). Run it by hand; the tests use the
# committed files.
set -euo pipefail
cd "$(dirname "$0")"
/usr/bin/python3 - <<'PY'
import xlwt

def book(rows, name, other=None):
    wb = xlwt.Workbook(encoding="utf-8")
    ws = wb.add_sheet("Prizes")
    for r, row in enumerate(rows):
        for c, v in enumerate(row):
            if v is not None:
                ws.write(r, c, v)
    if other:
        # A second sheet: only the first one is imported.
        wo = wb.add_sheet("Other")
        for r, row in enumerate(other):
            for c, v in enumerate(row):
                wo.write(r, c, v)
    wb.save(name)

# A stored name takes the quantity; a number, a text number and a float quantity; rows without
# a name skipped.
book([["Prize", "Quantity"],
      ["Pen", 7],
      ["筆記本電腦", 4],
      [None, 5],
      ["", 6],
      ["Tom's mug", "05"],
      ["Cup", 2.0]],
     "import-xlwt.xls",
     other=[["Prize", "Quantity"], ["Pen", 99], ["Lamp", 1]])
# A good row, then a negative quantity: nothing may be stored.
book([["Prize", "Quantity"], ["Pen", 100], ["Cup", -1]], "import-bad-xlwt.xls")
PY
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
cat > "$tmp/import-libreoffice.csv" <<'CSV'
Prize,Quantity
Pen,9
筆記本電腦,1
x' or name<>',3
Mug,6
CSV
soffice -env:UserInstallation=file://"$tmp/profile" --headless \
    --infilter="CSV:44,34,76" --convert-to xls:"MS Excel 97" --outdir "$tmp" "$tmp/import-libreoffice.csv" > /dev/null
cp "$tmp/import-libreoffice.xls" .
