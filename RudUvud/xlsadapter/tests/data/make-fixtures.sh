#!/usr/bin/env bash
# Regenerates the small .xls fixtures of the spreadsheet engine's tests. Run it by hand; the
# tests use the committed files and need neither program.
#   xlwt-*.xls  written by python3-xlwt (Debian's /usr/bin/python3)
#   lo-*.xls    written by LibreOffice (package libreoffice-calc-nogui) from a flat ODF sheet
set -euo pipefail
cd "$(dirname "$0")"

/usr/bin/python3 - <<'PY'
import xlwt

# Two sheets of numbers and texts.
wb = xlwt.Workbook(encoding="utf-8")
ws = wb.add_sheet("Prizes")
ws.write(0, 0, "Prize")
ws.write(0, 1, "Quantity")
for i, (name, qty) in enumerate([("Bicycle", 2), ("Television", 1), ("\u96fb\u8996\u6a5f", 3), ("Voucher", 10)]):
    ws.write(i + 1, 0, name)
    ws.write(i + 1, 1, qty)
ws2 = wb.add_sheet("Second")
ws2.write(0, 0, 3.25)
ws2.write(1, 0, "Prize")  # shared with the first sheet
wb.save("xlwt-small.xls")

# A shared string table that needs CONTINUE records: long Latin and long CJK texts.
wb = xlwt.Workbook(encoding="utf-8")
ws = wb.add_sheet("Long")
for i in range(6):
    ws.write(i, 0, ("Latin text %d " % i) * 300)
for i in range(4):
    ws.write(i, 1, "\u4e2d\u6587%d" % i * 1500)
ws.write(10, 0, "A" * 3000 + "\u00e9\u4e2d" + "B" * 5000)
wb.save("xlwt-continue.xls")
PY

# The same workbook in a compound document of 4096-byte sectors (version 4 layout), built by
# hand: header sector, the Workbook stream in sector 0, the directory in 1, the FAT in 2.
/usr/bin/python3 - <<'PY'
import struct, olefile
wb = olefile.OleFileIO("xlwt-small.xls").openstream("Workbook").read()
assert len(wb) == 4096
S = 4096
EOC, FREE, FATSECT = 0xFFFFFFFE, 0xFFFFFFFF, 0xFFFFFFFD
header = bytearray(b"\xd0\xcf\x11\xe0\xa1\xb1\x1a\xe1" + bytes(16))
header += struct.pack("<HHHHH6sIIIIIIIII", 0x3E, 4, 0xFFFE, 12, 6, bytes(6), 1, 1, 1, 0, 4096, EOC, 0, EOC, 0)
header += struct.pack("<I", 2) + b"\xff" * 432
header += bytes(S - len(header))
def entry(name, typ, child, start, size):
    n = name.encode("utf-16-le") + b"\0\0"
    return (n + bytes(64 - len(n)) + struct.pack("<HBBIII", len(n), typ, 1, FREE, FREE, child)
            + bytes(16 + 4 + 16) + struct.pack("<III", start, size, 0))
empty = bytes(64) + struct.pack("<HBBIII", 0, 0, 0, FREE, FREE, FREE) + bytes(36) + struct.pack("<III", 0, 0, 0)
directory = entry("Root Entry", 5, 1, EOC, 0) + entry("Workbook", 2, FREE, 0, 4096) + empty * 30
fat = struct.pack("<III", EOC, EOC, FATSECT) + struct.pack("<I", FREE) * (S // 4 - 3)
open("v4-small.xls", "wb").write(bytes(header) + wb + directory + fat)
o = olefile.OleFileIO("v4-small.xls", raise_defects=olefile.DEFECT_INCORRECT)
assert o.openstream("Workbook").read() == wb
PY

if command -v soffice >/dev/null; then
    work=$(mktemp -d)
    cat > "$work/lo-small.fods" <<'FODS'
<?xml version="1.0" encoding="UTF-8"?>
<office:document xmlns:office="urn:oasis:names:tc:opendocument:xmlns:office:1.0"
  xmlns:table="urn:oasis:names:tc:opendocument:xmlns:table:1.0"
  xmlns:text="urn:oasis:names:tc:opendocument:xmlns:text:1.0"
  office:version="1.2" office:mimetype="application/vnd.oasis.opendocument.spreadsheet">
 <office:body><office:spreadsheet>
  <table:table table:name="Prizes">
   <table:table-row><table:table-cell office:value-type="string"><text:p>Prize</text:p></table:table-cell>
    <table:table-cell office:value-type="string"><text:p>Quantity</text:p></table:table-cell></table:table-row>
   <table:table-row><table:table-cell office:value-type="string"><text:p>Bicycle</text:p></table:table-cell>
    <table:table-cell office:value-type="float" office:value="2"><text:p>2</text:p></table:table-cell></table:table-row>
   <table:table-row><table:table-cell office:value-type="string"><text:p>頭獎 電視機</text:p></table:table-cell>
    <table:table-cell office:value-type="float" office:value="1"><text:p>1</text:p></table:table-cell></table:table-row>
  </table:table>
  <table:table table:name="Other">
   <table:table-row><table:table-cell office:value-type="float" office:value="1.5"><text:p>1.5</text:p></table:table-cell></table:table-row>
  </table:table>
 </office:spreadsheet></office:body>
</office:document>
FODS
    soffice --headless --norestore --convert-to 'xls:MS Excel 97' --outdir "$work" "$work/lo-small.fods" >/dev/null
    cp "$work/lo-small.xls" lo-small.xls
    rm -rf "$work"
else
    echo "make-fixtures.sh: soffice not found, LibreOffice fixtures left as they are" >&2
fi
