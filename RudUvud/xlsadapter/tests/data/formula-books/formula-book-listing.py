#!/usr/bin/python3
# What two independent readers see in a workbook: xlrd's sheets, cell types, values, XFs and
# number formats, column and row information, merges and defined names (with xlrd's text of each
# name's formula), and, for every FORMULA record, the formula text LibreOffice shows for the cell
# (from its csv export with formulas; a directory of those files is the second argument, or "-"
# to leave the formulas out). A formula LibreOffice shows no text for (it shows "=" alone for an
# error constant) is listed as "?".
#
# LibreOffice's reference syntax is rewritten into the form a formula is given in this system:
# "$Other.A1" -> "'Other'!A1", "$Other.A1:$Third.B2" -> "'Other:Third'!A1:B2".
#   formula-book-listing.py book.xls csv-dir
import csv, os, re, struct, sys
import olefile, xlrd

path, csvdir = sys.argv[1], sys.argv[2]
book = xlrd.open_workbook(path, formatting_info=True)


def formula_cells(path):
    """(sheet index, row, col) of every FORMULA record, read straight from the records."""
    stream = olefile.OleFileIO(path).openstream("Workbook").read()
    at, sheet, found = 0, -1, set()
    while at + 4 <= len(stream):
        rid, size = struct.unpack_from("<HH", stream, at)
        data = stream[at + 4:at + 4 + size]
        at += 4 + size
        if rid == 0x0809 and struct.unpack_from("<H", data, 2)[0] == 0x10:
            sheet += 1
        elif rid == 0x0006:
            row, col = struct.unpack_from("<HH", data)
            found.add((sheet, row, col))
    return found


SHEET = r"(?:'(?:[^']|'')+'|[^\W\d][\w]*)"


def unquote(s):
    return s[1:-1].replace("''", "'") if s.startswith("'") else s


def quote(s):
    return "'" + s.replace("'", "''") + "'"


def range3d(m):
    first, last = unquote(m.group(1)), unquote(m.group(3))
    if first == last:
        return quote(first) + "!" + m.group(2) + ":" + m.group(4)
    # A reference to one cell on a range of sheets shows as that cell twice.
    cells = m.group(2) if m.group(2) == m.group(4) else m.group(2) + ":" + m.group(4)
    return quote(first + ":" + last) + "!" + cells


def engine_syntax(text):
    out = []
    # Leave string constants alone.
    for part in re.split(r'("(?:[^"]|"")*")', text):
        if part.startswith('"'):
            out.append(part)
            continue
        part = re.sub(r"\$(" + SHEET + r")\.(\$?[A-Z]+\$?\d+):\$(" + SHEET + r")\.(\$?[A-Z]+\$?\d+)",
                      range3d, part)
        part = re.sub(r"\$(" + SHEET + r")\.", lambda m: quote(unquote(m.group(1))) + "!", part)
        out.append(part)
    return "".join(out)


def lo_formulas(sheet_name):
    base = os.path.splitext(os.path.basename(path))[0]
    name = os.path.join(csvdir, "%s-%s.csv" % (base, sheet_name))
    if book.nsheets == 1:
        name = os.path.join(csvdir, base + ".csv")
    with open(name, encoding="utf-8", newline="") as f:
        return [row for row in csv.reader(f)]


def name_text(n):
    # xlrd writes sheet names bare; the engine always quotes them.
    if not n.result or n.result.text is None:
        return "?"
    return re.sub(r"(" + SHEET + r"(?::" + SHEET + r")?)!", lambda m: quote(m.group(1).replace("'", "")) + "!", n.result.text)


formulas = formula_cells(path)
out = []
for i, sh in enumerate(book.sheets()):
    out.append("sheet %d %s %d" % (i, sh.name, sh.visibility))
    texts = lo_formulas(sh.name) if csvdir != "-" else None
    for r in range(sh.nrows):
        for c in range(sh.ncols):
            cell = sh.cell(r, c)
            if cell.ctype == xlrd.XL_CELL_EMPTY and cell.xf_index == 15:
                continue
            v = cell.value
            if cell.ctype == xlrd.XL_CELL_ERROR:
                v = xlrd.error_text_from_code[v]
            elif cell.ctype == xlrd.XL_CELL_BOOLEAN:
                v = int(v)
            elif cell.ctype in (xlrd.XL_CELL_NUMBER, xlrd.XL_CELL_DATE):
                v = repr(float(v))
            key = book.xf_list[cell.xf_index].format_key
            fmt = book.format_map[key].format_str if key >= 164 else "builtin %d" % key
            out.append("cell %d %d %d %s %d %s" % (r, c, cell.ctype, v, cell.xf_index, fmt))
            if texts is not None and (i, r, c) in formulas:
                text = texts[r][c]
                out.append("formula %d %d %s" % (r, c, engine_syntax(text) if text != "=" else "?"))
    for r1, r2, c1, c2 in sorted(sh.merged_cells):
        out.append("merge %d %d %d %d" % (r1, r2 - 1, c1, c2 - 1))
    # Runs of equal columns in one line: "col first last width hidden xf".
    run = None
    for c, info in sorted(sh.colinfo_map.items()):
        v = (info.width, info.hidden, info.xf_index)
        if run and run[1] == c - 1 and run[2] == v:
            run[1] = c
            continue
        if run:
            out.append("col %d %d %d %d %d" % ((run[0], run[1]) + run[2]))
        run = [c, c, v]
    if run:
        out.append("col %d %d %d %d %d" % ((run[0], run[1]) + run[2]))
    for r, info in sorted(sh.rowinfo_map.items()):
        out.append("row %d %d %d %d" % (r, info.height, info.hidden, info.outline_level))
for n in sorted(book.name_obj_list, key=lambda n: (n.scope, n.name)):
    out.append("name %s %d %s" % (n.name, n.scope, name_text(n)))
print("\n".join(out))
