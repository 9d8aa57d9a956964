#!/usr/bin/env bash
# Regenerates lo-rowcol.xls, the workbook the row, column and sheet operations of the engine's
# tests work on. Run it by hand; the tests use the committed file.
# Written by LibreOffice (package libreoffice-calc-nogui) from a flat ODF sheet:
#   Data   prices with a sum, a 3-D reference to its own sheet, a hyperlink, a comment, a merged
#          block and a page break above row 6
#   Other  a 3-D reference into Data and a sum over the workbook name Prices (Data!$B$2:$B$4)
set -euo pipefail
cd "$(dirname "$0")"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

cat >"$work/lo-rowcol.fods" <<'XML'
<?xml version="1.0" encoding="UTF-8"?>
<office:document xmlns:office="urn:oasis:names:tc:opendocument:xmlns:office:1.0"
  xmlns:style="urn:oasis:names:tc:opendocument:xmlns:style:1.0"
  xmlns:fo="urn:oasis:names:tc:opendocument:xmlns:xsl-fo-compatible:1.0"
  xmlns:table="urn:oasis:names:tc:opendocument:xmlns:table:1.0"
  xmlns:text="urn:oasis:names:tc:opendocument:xmlns:text:1.0"
  xmlns:xlink="http://www.w3.org/1999/xlink"
  xmlns:dc="http://purl.org/dc/elements/1.1/"
  xmlns:of="urn:oasis:names:tc:opendocument:xmlns:of:1.2"
  office:version="1.2" office:mimetype="application/vnd.oasis.opendocument.spreadsheet">
<office:automatic-styles>
  <style:style style:name="brk" style:family="table-row">
    <style:table-row-properties fo:break-before="page"/>
  </style:style>
</office:automatic-styles>
<office:body><office:spreadsheet>
<table:table table:name="Data">
  <table:table-row>
    <table:table-cell office:value-type="string"><text:p>Item</text:p></table:table-cell>
    <table:table-cell office:value-type="string"><text:p>Price</text:p></table:table-cell>
    <table:table-cell/><table:table-cell/><table:table-cell/>
    <table:table-cell table:formula="of:=[$Data.B2]+1" office:value-type="float" office:value="3"><text:p>3</text:p></table:table-cell>
  </table:table-row>
  <table:table-row>
    <table:table-cell office:value-type="string"><text:p>Pen</text:p></table:table-cell>
    <table:table-cell office:value-type="float" office:value="2"><text:p>2</text:p></table:table-cell>
    <table:table-cell office:value-type="string"><text:p><text:a xlink:type="simple" xlink:href="https://example.com/pen">site</text:a></text:p></table:table-cell>
  </table:table-row>
  <table:table-row>
    <table:table-cell office:value-type="string"><office:annotation><dc:creator>Tester</dc:creator><text:p>Refill</text:p></office:annotation><text:p>Ink</text:p></table:table-cell>
    <table:table-cell office:value-type="float" office:value="3"><text:p>3</text:p></table:table-cell>
  </table:table-row>
  <table:table-row>
    <table:table-cell office:value-type="string"><text:p>Pad</text:p></table:table-cell>
    <table:table-cell office:value-type="float" office:value="4"><text:p>4</text:p></table:table-cell>
  </table:table-row>
  <table:table-row>
    <table:table-cell office:value-type="string"><text:p>Sum</text:p></table:table-cell>
    <table:table-cell table:formula="of:=SUM([.B2:.B4])" office:value-type="float" office:value="9"><text:p>9</text:p></table:table-cell>
  </table:table-row>
  <table:table-row table:style-name="brk">
    <table:table-cell table:number-columns-repeated="3"/>
    <table:table-cell table:number-columns-spanned="2" table:number-rows-spanned="2" office:value-type="string"><text:p>Merged</text:p></table:table-cell>
    <table:covered-table-cell/>
  </table:table-row>
  <table:table-row>
    <table:table-cell table:number-columns-repeated="3"/>
    <table:covered-table-cell table:number-columns-repeated="2"/>
  </table:table-row>
</table:table>
<table:table table:name="Other">
  <table:table-row>
    <table:table-cell table:formula="of:=[$Data.B5]*2" office:value-type="float" office:value="18"><text:p>18</text:p></table:table-cell>
  </table:table-row>
  <table:table-row>
    <table:table-cell table:formula="of:=SUM(Prices)" office:value-type="float" office:value="9"><text:p>9</text:p></table:table-cell>
  </table:table-row>
</table:table>
<table:named-expressions>
  <table:named-range table:name="Prices" table:base-cell-address="$Data.$A$1" table:cell-range-address="$Data.$B$2:.$B$4"/>
</table:named-expressions>
</office:spreadsheet></office:body></office:document>
XML

soffice -env:UserInstallation="file://$work/profile" --headless --norestore \
    --convert-to 'xls:MS Excel 97' --outdir "$work" "$work/lo-rowcol.fods" >/dev/null
cp "$work/lo-rowcol.xls" .
