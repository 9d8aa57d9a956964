#!/usr/bin/env bash
# Regenerates numfmt.tsv: how a spreadsheet program shows values under number formats. python3-xlwt
# writes numfmt.xls, one case a row (column A the format as text, column B the value under that
# format); LibreOffice headless saves it as CSV with "save cell contents as shown" (the ninth token of
# the filter options), and the table pairs each format and value with the shown text. Run it by hand
# (LibreOffice with its calc component is not needed by the tests, which read the committed numfmt.tsv).
set -euo pipefail
cd "$(dirname "$0")"
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
/usr/bin/python3 - "$tmp" <<'PY'
import sys, xlwt
formats = {
    "General": [0, 1, -1, 0.5, 1234.5, 123456789, 0.001, -3.25],
    "0": [0, 1.4, 1.5, -2.5, 1234567],
    "0.00": [0, 3.14159, -0.005, 1234.5],
    "#,##0": [0, 999, 1000, -1234567.8],
    "#,##0.00": [0, 1234.5, -1234.567, 0.125],
    "0%": [0, 0.25, -0.015, 1.5],
    "0.00%": [0.12345, -1],
    "0.00E+00": [12345, 0.00012, -5, 0],
    "##0.0E+0": [12345],
    "# ?/?": [0.5, 1.25, -2.75, 3.14159, 0.3333, 2, 0.99, -0.125],
    "# ??/??": [3.14159, 0.1, 0.77, 12.999],
    "?/?": [0.75, 1.5],
    "# ?/4": [1.3, 0.1],
    "0 ?/8": [2.6],
    "\"$\"#,##0.00_);(\"$\"#,##0.00)": [1234.5, -1234.5, 0],
    "\"$\"#,##0.00_);[Red](\"$\"#,##0.00)": [1234.5, -1234.5],
    "\u00a3#,##0.00": [1234.5, -3],
    "#,##0.00 \u20ac": [1234.5],
    "\u00a5#,##0": [1000],
    "[Blue]0.00;[Red]-0.00;[Green]0.00": [1, -1, 0],
    "0;(0)": [5, -5, 0],
    "0;-0;\"zero\"": [5, -5, 0],
    "0;-0;;@": [5, 0],
    "[>100]\"big \"0;[<0]\"neg \"0;0": [150, -5, 50],
    "[=1]\"one\";0": [1, 2],
    "0.00;-0.00;0.00;\"text: \"@": [1.5, "abc"],
    "@": ["abc"],
    "\"<\"@\">\"": ["abc"],
    "d/m/yy": [40000, 1],
    "dd/mm/yyyy": [40000, 40909.75],
    "dd-mmm-yyyy": [40000, 43466],
    "mmmm": [40000, 43466],
    "mmm-yy": [40000],
    "mmmm d, yyyy": [40000, 43466],
    "d mmmm yyyy, h:mm": [40000.75],
    "dddd": [40000, 40001],
    "ddd d mmm": [40000],
    "h:mm": [0.75, 0.5, 0.3333333333333333, 1.25],
    "h:mm:ss": [0.75, 0.123456, 0.99999],
    "h:mm AM/PM": [0.75, 0.5, 0, 0.25, 0.0416666666666667],
    "h:mm:ss AM/PM": [0.75, 0.999],
    "hh:mm AM/PM": [0.75, 0.25],
    "[h]:mm:ss": [1.5, 0.25, 2.75, 0.99999, 1.0416597222, 0.123456],
    "[h]:mm": [0.99999, 0.0416597222],
    "[mm]:ss": [0.5, 0.0006944, 0.00069],
    "[ss]": [0.0006944],
    "mm:ss.0": [0.000123, 0.5, 0.0006944],
    "mm:ss": [0.0104166666666667],
    "dd/mm/yyyy h:mm": [40000.5],
    "yyyy\\-mm\\-dd": [40000],
    "0\" units\"": [5, -5],
    "\\#0": [7],
    "0.0\\%": [0.125],
    "0 \"kg\";-0 \"kg\"": [3, -3],
    "00000": [42],
    "0.0#": [1, 1.23, 1.234],
    "#.##": [0.5, 12],
}
wb = xlwt.Workbook()
ws = wb.add_sheet("Formats")
r = 0
with open(sys.argv[1] + "/cases.txt", "w") as out:
    for f, values in formats.items():
        style = xlwt.easyxf(num_format_str=f)
        for v in values:
            ws.write(r, 0, f)
            ws.write(r, 1, v, style)
            out.write("%s\t%s\t%s\n" % (f, "s" if isinstance(v, str) else "n", v if isinstance(v, str) else repr(float(v))))
            r += 1
wb.save(sys.argv[1] + "/numfmt.xls")
PY
# Options: field separator, text delimiter, UTF-8, first line, cell formats, language en-US,
# quote all text cells, detect special numbers, save cell contents as shown.
LANG=en_US.UTF-8 soffice --headless -env:UserInstallation=file://"$tmp"/profile \
    --convert-to "csv:Text - txt - csv (StarCalc):44,34,76,1,,1033,false,true,true" \
    --outdir "$tmp" "$tmp/numfmt.xls" >/dev/null
/usr/bin/python3 - "$tmp" <<'PY'
import sys, csv
d = sys.argv[1]
cases = [l.rstrip("\n").split("\t") for l in open(d + "/cases.txt")]
rows = list(csv.reader(open(d + "/numfmt.csv", encoding="utf-8")))
with open("numfmt.tsv", "w", encoding="utf-8") as out:
    out.write("# format\tkind (n number, s text)\tvalue\tshown\n")
    for (f, kind, v), row in zip(cases, rows):
        out.write("%s\t%s\t%s\t%s\n" % (f, kind, v, row[1] if len(row) > 1 else ""))
PY
