#!/usr/bin/env bash
# Regenerates the workbooks whose formulas edits must keep right. Written by LibreOffice (package
# libreoffice-calc-nogui) from flat ODF sheets, with every formula's result computed. Run it by
# hand; the tests use the committed files.
#   lo-arrays.xls   the smallest workbook with array formulas that row and column edits must move
#                   whole: A1:A3 hold 1, 2, 3; B1:B3 is the array {=A1:A3*10}; D1:E1 is the
#                   array {=TRANSPOSE(A1:A2)}
#   lo-results.xls  formulas on three sheets: One has A1 = 2, B1 =A1*3, C1 =1+2; Two has A1 = 5,
#                   B1 =A1+1, C1 =One!B1; Three has A1 =Two!C1*2 and B1 =Two!B1
set -euo pipefail
cd "$(dirname "$0")"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

cat >"$work/lo-arrays.fods" <<'XML'
<?xml version="1.0" encoding="UTF-8"?>
<office:document xmlns:office="urn:oasis:names:tc:opendocument:xmlns:office:1.0"
  xmlns:table="urn:oasis:names:tc:opendocument:xmlns:table:1.0"
  xmlns:text="urn:oasis:names:tc:opendocument:xmlns:text:1.0"
  xmlns:of="urn:oasis:names:tc:opendocument:xmlns:of:1.2"
  office:version="1.2" office:mimetype="application/vnd.oasis.opendocument.spreadsheet">
<office:body><office:spreadsheet>
<table:table table:name="Arrays">
  <table:table-row>
    <table:table-cell office:value-type="float" office:value="1"><text:p>1</text:p></table:table-cell>
    <table:table-cell table:number-matrix-columns-spanned="1" table:number-matrix-rows-spanned="3" table:formula="of:=[.A1:.A3]*10"/>
    <table:table-cell/>
    <table:table-cell table:number-matrix-columns-spanned="2" table:number-matrix-rows-spanned="1" table:formula="of:=TRANSPOSE([.A1:.A2])"/>
  </table:table-row>
  <table:table-row>
    <table:table-cell office:value-type="float" office:value="2"><text:p>2</text:p></table:table-cell>
  </table:table-row>
  <table:table-row>
    <table:table-cell office:value-type="float" office:value="3"><text:p>3</text:p></table:table-cell>
  </table:table-row>
</table:table>
</office:spreadsheet></office:body></office:document>
XML
cat >"$work/lo-results.fods" <<'XML'
<?xml version="1.0" encoding="UTF-8"?>
<office:document xmlns:office="urn:oasis:names:tc:opendocument:xmlns:office:1.0"
  xmlns:table="urn:oasis:names:tc:opendocument:xmlns:table:1.0"
  xmlns:text="urn:oasis:names:tc:opendocument:xmlns:text:1.0"
  xmlns:of="urn:oasis:names:tc:opendocument:xmlns:of:1.2"
  office:version="1.2" office:mimetype="application/vnd.oasis.opendocument.spreadsheet">
<office:body><office:spreadsheet>
<table:table table:name="One">
  <table:table-row>
    <table:table-cell office:value-type="float" office:value="2"><text:p>2</text:p></table:table-cell>
    <table:table-cell table:formula="of:=[.A1]*3"/>
    <table:table-cell table:formula="of:=1+2"/>
  </table:table-row>
</table:table>
<table:table table:name="Two">
  <table:table-row>
    <table:table-cell office:value-type="float" office:value="5"><text:p>5</text:p></table:table-cell>
    <table:table-cell table:formula="of:=[.A1]+1"/>
    <table:table-cell table:formula="of:=[$One.B1]"/>
  </table:table-row>
</table:table>
<table:table table:name="Three">
  <table:table-row>
    <table:table-cell table:formula="of:=[$Two.C1]*2"/>
    <table:table-cell table:formula="of:=[$Two.B1]"/>
  </table:table-row>
</table:table>
</office:spreadsheet></office:body></office:document>
XML
for name in lo-arrays lo-results; do
    soffice -env:UserInstallation="file://$work/profile" --headless --norestore \
        --convert-to xls:"MS Excel 97" --outdir "$work" "$work/$name.fods" >/dev/null 2>&1
    cp "$work/$name.xls" "$name.xls"
done
# Their "Workbook" streams seed the fuzz target that edits and saves workbooks.
/usr/bin/python3 - <<'PY'
import olefile
for name in ("lo-arrays", "lo-results"):
    data = olefile.OleFileIO(name + ".xls").openstream("Workbook").read()
    with open("../../../../../fuzz/corpus/fuzz_xls_edit/" + name + ".bin", "wb") as f:
        f.write(data)
PY
