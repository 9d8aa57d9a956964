#!/usr/bin/env bash
# Regenerates the style fixtures and what xlrd reads from them. Run it by hand; the tests use the
# committed files and need neither program.
#   xlwt-styles.xls  cells in many fonts, borders, fills, alignments, protections and number
#                    formats, written by python3-xlwt
#   lo-styles.xls    the same kind of sheet written by LibreOffice headless from a flat ODF file,
#                    with two conditional formats
#   *.styles.txt     xlrd's view (formatting_info=True) of each: "font", "format" and "xf" lines
#                    with the fields of xlrd's font_list, format_map and xf_list, then "cell" lines
#                    (row, column, xf index, xlrd's cell type, value) for every non-empty cell; for the xlwt file, which has
#                    no PALETTE record, "palette" lines with the default colour of indexes 8..63.
set -euo pipefail
cd "$(dirname "$0")"

/usr/bin/python3 - <<'PY'
import xlwt
wb = xlwt.Workbook(encoding="utf-8")
ws = wb.add_sheet("Styles")
styles = [
    "font: name Times New Roman, height 280, bold on",
    "font: italic on, struck_out on, colour red",
    "font: underline double, escapement superscript, colour blue",
    "font: underline single_acc, escapement subscript, name \u7d30\u660e\u9ad4",
    "font: underline double_acc, height 160, bold on, italic on",
    "borders: left thin, right medium, top dashed, bottom double, left_colour red, right_colour blue, top_colour green, bottom_colour black",
    "borders: left hair, right thick, top dotted, bottom 11, diag 13, diag_colour gold, need_diag1 on, need_diag2 on",
    "pattern: pattern solid, fore_colour yellow",
    "pattern: pattern fine_dots, fore_colour light_blue, back_colour rose",
    "align: horiz center, vert top, wrap on",
    "align: horiz right, vert center, rota 45, inde 3",
    "align: horiz justified, vert justified, rota -30, shrink_to_fit on",
    "align: horiz filled, vert distributed, rota 90",
    "protection: cell_locked false, formula_hidden true",
]
row = 0
for s in styles:
    st = xlwt.easyxf(s)
    if "\u7d30" in s:
        st.font.charset = 136  # Traditional Chinese
        st.font.family = 2
    ws.write(row, 0, "text %d" % row, st)
    row += 1
for fmt in ["0.00", "#,##0", "0%", "dd/mm/yyyy", "yyyy-mm-dd hh:mm", "[Red]#,##0.00;[Blue]-#,##0.00",
            "\"\u00a3\"#,##0", "@", "0.000E+00", "mm:ss.0", "General"]:
    ws.write(row, 0, 1234.5678, xlwt.easyxf(num_format_str=fmt))
    row += 1
ws.write(row, 0, 1, xlwt.easyxf("font: bold on; borders: left thin, bottom thin; pattern: pattern solid, fore_colour gray25; align: horiz left", num_format_str="0.00"))
wb.save("xlwt-styles.xls")
PY

if command -v soffice >/dev/null; then
    work=$(mktemp -d)
    cat > "$work/lo-styles.fods" <<'FODS'
<?xml version="1.0" encoding="UTF-8"?>
<office:document xmlns:office="urn:oasis:names:tc:opendocument:xmlns:office:1.0"
  xmlns:style="urn:oasis:names:tc:opendocument:xmlns:style:1.0"
  xmlns:text="urn:oasis:names:tc:opendocument:xmlns:text:1.0"
  xmlns:table="urn:oasis:names:tc:opendocument:xmlns:table:1.0"
  xmlns:fo="urn:oasis:names:tc:opendocument:xmlns:xsl-fo-compatible:1.0"
  xmlns:number="urn:oasis:names:tc:opendocument:xmlns:datastyle:1.0"
  xmlns:calcext="urn:org:documentfoundation:names:experimental:calc:xmlns:calcext:1.0"
  office:version="1.2" office:mimetype="application/vnd.oasis.opendocument.spreadsheet">
 <office:styles>
  <number:number-style style:name="N2"><number:number number:decimal-places="3" number:min-integer-digits="1" number:grouping="true"/></number:number-style>
  <number:date-style style:name="D1"><number:year number:style="long"/><number:text>.</number:text><number:month number:style="long"/><number:text>.</number:text><number:day number:style="long"/></number:date-style>
  <number:percentage-style style:name="P1"><number:number number:decimal-places="1" number:min-integer-digits="1"/><number:text>%</number:text></number:percentage-style>
  <style:style style:name="Hot" style:family="table-cell" style:parent-style-name="Default"><style:table-cell-properties fo:background-color="#ff9900"/><style:text-properties fo:font-weight="bold"/></style:style>
 </office:styles>
 <office:automatic-styles>
  <style:style style:name="ce1" style:family="table-cell"><style:text-properties fo:font-weight="bold" fo:font-size="14pt" style:font-name="DejaVu Serif" fo:color="#ff0000"/></style:style>
  <style:style style:name="ce2" style:family="table-cell"><style:table-cell-properties fo:background-color="#ffff00" fo:border-left="0.74pt solid #0000ff" fo:border-bottom="2.49pt double #000000" fo:wrap-option="wrap" style:vertical-align="top"/><style:paragraph-properties fo:text-align="center"/></style:style>
  <style:style style:name="ce3" style:family="table-cell" style:data-style-name="N2"><style:text-properties fo:font-style="italic" style:text-underline-style="solid" style:text-underline-type="double" style:text-line-through-style="solid"/></style:style>
  <style:style style:name="ce4" style:family="table-cell" style:data-style-name="D1"><style:table-cell-properties style:rotation-angle="90" style:cell-protect="none"/></style:style>
  <style:style style:name="ce5" style:family="table-cell" style:data-style-name="P1"><style:table-cell-properties fo:background-color="#00ff00" style:cell-protect="hidden-and-protected"/><style:paragraph-properties fo:text-align="end" fo:margin-left="20pt"/></style:style>
  <style:style style:name="ce6" style:family="table-cell"><style:text-properties fo:color="#008000" style:text-position="super 58%"/></style:style>
 </office:automatic-styles>
 <office:body><office:spreadsheet>
  <table:table table:name="Styles">
   <table:table-row><table:table-cell table:style-name="ce1" office:value-type="string"><text:p>Bold red</text:p></table:table-cell>
    <table:table-cell office:value-type="float" office:value="5"><text:p>5</text:p></table:table-cell></table:table-row>
   <table:table-row><table:table-cell table:style-name="ce2" office:value-type="string"><text:p>Fill and borders</text:p></table:table-cell>
    <table:table-cell office:value-type="float" office:value="50"><text:p>50</text:p></table:table-cell></table:table-row>
   <table:table-row><table:table-cell table:style-name="ce3" office:value-type="float" office:value="12345.6789"><text:p>12,345.679</text:p></table:table-cell>
    <table:table-cell office:value-type="float" office:value="-3"><text:p>-3</text:p></table:table-cell></table:table-row>
   <table:table-row><table:table-cell table:style-name="ce4" office:value-type="date" office:date-value="2024-02-29"><text:p>2024.02.29</text:p></table:table-cell></table:table-row>
   <table:table-row><table:table-cell table:style-name="ce5" office:value-type="percentage" office:value="0.125"><text:p>12.5%</text:p></table:table-cell></table:table-row>
   <table:table-row><table:table-cell table:style-name="ce6" office:value-type="string"><text:p>Superscript</text:p></table:table-cell></table:table-row>
   <calcext:conditional-formats>
    <calcext:conditional-format calcext:target-range-address="Styles.B1:Styles.B3">
     <calcext:condition calcext:apply-style-name="Hot" calcext:value="&gt;10" calcext:base-cell-address="Styles.B1"/>
     <calcext:condition calcext:apply-style-name="Hot" calcext:value="between(-5;0)" calcext:base-cell-address="Styles.B1"/>
    </calcext:conditional-format>
    <calcext:conditional-format calcext:target-range-address="Styles.A3:Styles.A5 Styles.C1:Styles.C2">
     <calcext:condition calcext:apply-style-name="Hot" calcext:value="formula-is(B1&lt;&gt;A1)" calcext:base-cell-address="Styles.A3"/>
    </calcext:conditional-format>
   </calcext:conditional-formats>
  </table:table>
 </office:spreadsheet></office:body>
</office:document>
FODS
    soffice --headless --norestore -env:UserInstallation=file://$work/profile \
        --convert-to 'xls:MS Excel 97' --outdir "$work" "$work/lo-styles.fods" >/dev/null
    cp "$work/lo-styles.xls" lo-styles.xls
    rm -rf "$work"
else
    echo "make-styles-fixture.sh: soffice not found, lo-styles.xls left as it is" >&2
fi

/usr/bin/python3 - <<'PY'
import xlrd
for name in ["xlwt-styles", "lo-styles"]:
    book = xlrd.open_workbook(name + ".xls", formatting_info=True)
    with open(name + ".styles.txt", "w", encoding="utf-8") as out:
        for i, f in enumerate(book.font_list):
            if i == 4:
                continue  # xlrd's stand-in for the font number no file uses
            out.write("font %d %s|%d %d %d %d %d %d %d %d %d\n" % (
                i, f.name, f.height, f.weight, f.italic, f.struck_out, f.underline_type,
                f.escapement, f.colour_index, f.family, f.character_set))
        for k, v in sorted(book.format_map.items()):
            out.write("format %d %s\n" % (k, v.format_str))
        for i, x in enumerate(book.xf_list):
            a, b, g, p = x.alignment, x.border, x.background, x.protection
            out.write("xf %d %d %d %d %d %d %d %d %d %d | %d %d %d %d %d %d %d %d %d %d %d %d | %d %d %d | %d %d %d\n" % (
                i, x.font_index, x.format_key, a.hor_align, a.vert_align, a.rotation, a.text_wrapped,
                a.indent_level, a.shrink_to_fit, x.parent_style_index,
                b.left_line_style, b.right_line_style, b.top_line_style, b.bottom_line_style,
                b.diag_line_style, b.left_colour_index, b.right_colour_index, b.top_colour_index,
                b.bottom_colour_index, b.diag_colour_index, b.diag_down, b.diag_up,
                g.fill_pattern, g.pattern_colour_index, g.background_colour_index,
                p.cell_locked, p.formula_hidden, x.is_style))
        if name == "xlwt-styles":  # no PALETTE record: the default colours
            for i in range(8, 64):
                out.write("palette %d %02x%02x%02x\n" % ((i,) + book.colour_map[i]))
        sh = book.sheet_by_index(0)
        for r in range(sh.nrows):
            for c in range(sh.ncols):
                cell = sh.cell(r, c)
                if cell.ctype == xlrd.XL_CELL_EMPTY:
                    continue
                v = cell.value
                if cell.ctype in (xlrd.XL_CELL_NUMBER, xlrd.XL_CELL_DATE):
                    v = repr(float(v))
                elif cell.ctype == xlrd.XL_CELL_BOOLEAN:
                    v = int(v)
                out.write("cell %d %d %d %d %s\n" % (r, c, cell.xf_index, cell.ctype, v))
PY
