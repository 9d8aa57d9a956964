#!/usr/bin/env bash
# Regenerates the sheet-settings fixtures: panes, zoom, page setup, page breaks, hidden and
# outlined rows and columns, merged cells and a Chinese sheet name.
#   xlwt-settings.xls  written by python3-xlwt (Debian's /usr/bin/python3)
#   lo-settings.xls    written by LibreOffice (libreoffice-calc-nogui) from a flat ODF sheet;
#                      headless LibreOffice keeps no view settings of an ODF file, so it has no
#                      panes or zoom
#   lo-panes.xls       xlwt-settings.xls saved again by LibreOffice, which keeps the view
#                      settings of an xls file: frozen and split panes and zoom in its own records
#   *.txt              what sheet-settings-listing.py reports for each (xlrd plus the page-setup
#                      records xlrd skips)
# Run it by hand; the tests use the committed files and need neither program.
set -euo pipefail
cd "$(dirname "$0")"

/usr/bin/python3 - <<'PY'
import xlwt
wb = xlwt.Workbook(encoding="utf-8")
ws = wb.add_sheet("Frozen")
for r in range(12):
    for c in range(5):
        ws.write(r, c, r * 10 + c)
ws.set_panes_frozen(True)
ws.set_horz_split_pos(2)
ws.set_vert_split_pos(1)
ws.set_horz_split_first_visible(2)
ws.set_vert_split_first_visible(1)
ws.set_remove_splits(True)
ws.set_scl_magn(150)
ws.set_normal_magn(150)
ws.horz_page_breaks = [(5, 0, 255), (9, 0, 255)]
ws.vert_page_breaks = [(3, 0, 65535)]
ws.header_str = b"&CPrize list"
ws.footer_str = b"&RPage &P"
ws.left_margin = 0.5
ws.right_margin = 0.6
ws.top_margin = 1.1
ws.bottom_margin = 1.2
ws.paper_size_code = 9
ws.print_scaling = 75
ws.fit_width_to_pages = 2
ws.fit_height_to_pages = 3
ws.copies_num = 2
ws.print_centered_horz = True
ws.print_grid = True
ws.show_grid = False
ws.row(1).height = 600
ws.row(1).height_mismatch = True
ws.row(3).hidden = True
ws.row(4).level = 1
ws.row(5).level = 2
ws.col(1).width = 5000
ws.col(2).hidden = True
ws.col(3).level = 2
ws.merge(14, 15, 1, 3)
ws2 = wb.add_sheet("Split")
ws2.write(0, 0, "x")
ws2.set_panes_frozen(False)
ws2.set_horz_split_pos(1200)
ws2.set_vert_split_pos(2400)
ws2.split_position_units_are_twips = True
ws2.set_horz_split_first_visible(5)
ws2.set_vert_split_first_visible(3)
ws3 = wb.add_sheet("\u734e\u54c1")
ws3.write(0, 0, "\u982d\u734e")
wb.save("xlwt-settings.xls")
PY
/usr/bin/python3 sheet-settings-listing.py xlwt-settings.xls > xlwt-settings.txt

if command -v soffice >/dev/null; then
    work=$(mktemp -d)
    cat > "$work/lo-settings.fods" <<'FODS'
<?xml version="1.0" encoding="UTF-8"?>
<office:document xmlns:office="urn:oasis:names:tc:opendocument:xmlns:office:1.0"
  xmlns:style="urn:oasis:names:tc:opendocument:xmlns:style:1.0"
  xmlns:table="urn:oasis:names:tc:opendocument:xmlns:table:1.0"
  xmlns:text="urn:oasis:names:tc:opendocument:xmlns:text:1.0"
  xmlns:fo="urn:oasis:names:tc:opendocument:xmlns:xsl-fo-compatible:1.0"
  office:version="1.2" office:mimetype="application/vnd.oasis.opendocument.spreadsheet">
 <office:automatic-styles>
  <style:style style:name="co1" style:family="table-column"><style:table-column-properties style:column-width="2.5cm"/></style:style>
  <style:style style:name="co2" style:family="table-column"><style:table-column-properties fo:break-before="page" style:column-width="4cm"/></style:style>
  <style:style style:name="ro1" style:family="table-row"><style:table-row-properties style:row-height="0.5cm" style:use-optimal-row-height="false"/></style:style>
  <style:style style:name="ro2" style:family="table-row"><style:table-row-properties fo:break-before="page" style:row-height="1cm" style:use-optimal-row-height="false"/></style:style>
  <style:style style:name="ta1" style:family="table" style:master-page-name="Wide"><style:table-properties table:display="true"/></style:style>
  <style:page-layout style:name="pm1">
   <style:page-layout-properties fo:page-width="29.7cm" fo:page-height="21cm" style:print-orientation="landscape"
     fo:margin-top="1.5cm" fo:margin-bottom="2cm" fo:margin-left="1cm" fo:margin-right="3cm"
     style:scale-to="80%" style:print-page-order="ltr" style:table-centering="horizontal"/>
  </style:page-layout>
 </office:automatic-styles>
 <office:master-styles>
  <style:master-page style:name="Wide" style:page-layout-name="pm1"/>
 </office:master-styles>
 <office:body><office:spreadsheet>
  <table:table table:name="Breaks" table:style-name="ta1">
   <table:table-column table:style-name="co1"/>
   <table:table-column table:style-name="co1" table:visibility="collapse"/>
   <table:table-column-group>
    <table:table-column table:style-name="co1" table:number-columns-repeated="2"/>
   </table:table-column-group>
   <table:table-column table:style-name="co2"/>
   <table:table-row table:style-name="ro1"><table:table-cell office:value-type="float" office:value="1"><text:p>1</text:p></table:table-cell></table:table-row>
   <table:table-row table:style-name="ro1" table:visibility="collapse"><table:table-cell office:value-type="float" office:value="2"><text:p>2</text:p></table:table-cell></table:table-row>
   <table:table-row-group>
    <table:table-row table:style-name="ro1"><table:table-cell office:value-type="float" office:value="3"><text:p>3</text:p></table:table-cell></table:table-row>
    <table:table-row-group>
     <table:table-row table:style-name="ro1"><table:table-cell office:value-type="float" office:value="4"><text:p>4</text:p></table:table-cell></table:table-row>
    </table:table-row-group>
   </table:table-row-group>
   <table:table-row table:style-name="ro1"><table:table-cell table:number-columns-spanned="2" table:number-rows-spanned="2" office:value-type="float" office:value="5"><text:p>5</text:p></table:table-cell></table:table-row>
   <table:table-row table:style-name="ro1"><table:covered-table-cell table:number-columns-repeated="2"/></table:table-row>
   <table:table-row table:style-name="ro2"><table:table-cell office:value-type="float" office:value="7"><text:p>7</text:p></table:table-cell></table:table-row>
  </table:table>
  <table:table table:name="&#x734E;&#x54C1;">
   <table:table-row><table:table-cell office:value-type="string"><text:p>&#x982D;&#x734E;</text:p></table:table-cell></table:table-row>
  </table:table>
 </office:spreadsheet></office:body>
</office:document>
FODS
    soffice --headless --norestore --convert-to 'xls:MS Excel 97' --outdir "$work" "$work/lo-settings.fods" >/dev/null
    cp "$work/lo-settings.xls" lo-settings.xls
    cp xlwt-settings.xls "$work/lo-panes.xls"
    mkdir "$work/out"
    soffice --headless --norestore --convert-to 'xls:MS Excel 97' --outdir "$work/out" "$work/lo-panes.xls" >/dev/null
    cp "$work/out/lo-panes.xls" lo-panes.xls
    rm -rf "$work"
    /usr/bin/python3 sheet-settings-listing.py lo-settings.xls > lo-settings.txt
    /usr/bin/python3 sheet-settings-listing.py lo-panes.xls > lo-panes.txt
else
    echo "make-settings-fixtures.sh: soffice not found, LibreOffice fixtures left as they are" >&2
fi
