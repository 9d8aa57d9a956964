// Formulas through edits of the file interface, read back by other programs: array formulas move
// whole with the rows and columns under them (LibreOffice reads their ranges and references), and
// a save keeps the stored result of every formula whose inputs did not change while the others
// read as empty, never as an error (xlrd reads the results). Fixtures: data/formula-edits/
// (make-fixtures.sh).

#include "RudUvud/xlsadapter/XlsFile.h"

#include "XlsTestSupport.h"

#include <gtest/gtest.h>

using namespace xlstest;

namespace {

std::unique_ptr<TXLSFile> Open(const std::string& Name)
{
    auto F = std::make_unique<TXLSFile>(nullptr);
    F->Connect();
    F->OpenFile(std::string(DRAWMERE_TEST_DATA) + "/formula-edits/" + Name);
    return F;
}

// Every non-empty cell as "sheet cell type value", xlrd's types: 1 text, 2 number, 5 error.
const char* const XlrdCells = R"PY(
import sys, io, xlrd
log = io.StringIO()
b = xlrd.open_workbook(sys.argv[1], formatting_info=True, logfile=log, verbosity=1)
for s in b.sheets():
    for r in range(s.nrows):
        for c in range(s.ncols):
            v = s.cell(r, c)
            if v.ctype != xlrd.XL_CELL_EMPTY:
                print(s.name, xlrd.cellname(r, c), v.ctype, repr(v.value))
if 'WARNING' in log.getvalue():
    print(log.getvalue()); sys.exit(1)
)PY";

// The formulas LibreOffice reads from a file converted to flat ODF: "cell formula rows×cols" with
// the size of an array formula's range.
const char* const OfficeFormulas = R"PY(
import sys
from xml.etree import ElementTree as ET
T = '{urn:oasis:names:tc:opendocument:xmlns:table:1.0}'
def col(c):
    s = ''
    c += 1
    while c:
        c, r = divmod(c - 1, 26)
        s = chr(65 + r) + s
    return s
for t in ET.parse(sys.argv[1]).getroot().iter(T + 'table'):
    r = 0
    for row in t.iter(T + 'table-row'):
        c = 0
        for cell in row:
            if cell.tag not in (T + 'table-cell', T + 'covered-table-cell'):
                continue
            f = cell.get(T + 'formula')
            if f:
                rows = cell.get(T + 'number-matrix-rows-spanned')
                cols = cell.get(T + 'number-matrix-columns-spanned')
                size = ' %sx%s' % (rows, cols) if rows else ''
                print('%s%d %s%s' % (col(c), r + 1, f, size))
            c += int(cell.get(T + 'number-columns-repeated', '1'))
        r += int(row.get(T + 'number-rows-repeated', '1'))
)PY";

std::string OfficeRead(const TempDir& Dir, const std::string& Name)
{
    const std::string Cmd = "cd " + Dir.Path().string() + " && soffice -env:UserInstallation=file://" +
                            Dir.Path().string() + "/profile --headless --norestore --convert-to fods " +
                            Name + ".xls >/dev/null 2>&1";
    EXPECT_EQ(std::system(Cmd.c_str()), 0);
    return Python(OfficeFormulas, Dir.File(Name + ".fods"));
}

} // namespace

// Rows inserted above and deleted inside, a column inserted before and one deleted between the two
// arrays, and a column holding an array copied: every array formula keeps its range over its own
// cells and its references over the values it was made from.
TEST(FormulaEdits, ArrayFormulasMoveWholeWithRowsAndColumns)
{
    auto F = Open("lo-arrays.xls");
    EXPECT_EQ(F->GetCellFormula(1, 2), u"{=A1:A3*10}");
    F->InsertAndCopyRows(20, 20, 1, 2, false); // two empty rows above: A3:A5, {B3:B5}, {D3:E3}
    F->InsertAndCopyCols(20, 20, 1, 1, false); // an empty column before: B3:B5, {C3:C5}, {E3:F3}
    F->DeleteRows(1, 1);                       // B2:B4, {C2:C4}, {E2:F2}
    F->DeleteCols(4, 1);                       // the empty column D: {D2:E2}
    F->InsertAndCopyCols(3, 3, 7, 1, false);   // column C copied to G: {G2:G4} over F2:F4
    EXPECT_EQ(F->GetCellFormula(2, 3), u"{=B2:B4*10}");
    EXPECT_EQ(F->GetCellFormula(4, 3), u"{=B2:B4*10}");
    EXPECT_EQ(F->GetCellFormula(2, 4), u"{=TRANSPOSE(B2:B3)}");
    EXPECT_EQ(F->GetCellFormula(2, 7), u"{=F2:F4*10}");
    EXPECT_EQ(F->GetCellFormula(2, 2), u"");

    TempDir Dir;
    F->Save(false, Dir.File("moved.xls"), nullptr);
    // A row deleted inside the first array shrinks it with its references.
    F->DeleteRows(3, 1);
    EXPECT_EQ(F->GetCellFormula(2, 3), u"{=B2:B3*10}");
    EXPECT_EQ(F->GetCellFormula(3, 3), u"{=B2:B3*10}");
    EXPECT_EQ(F->GetCellFormula(2, 4), u"{=TRANSPOSE(B2:B2)}");
    F->Save(false, Dir.File("shrunk.xls"), nullptr);

    // xlrd finds the values and the formula cells where they went.
    const std::string Cells = Python(XlrdCells, Dir.File("moved.xls"));
    for (const char* Expected : {"Arrays B2 2 1.0\n", "Arrays B4 2 3.0\n", "Arrays C4 1 ''\n",
                                 "Arrays E2 1 ''\n", "Arrays G4 1 ''\n"})
        EXPECT_NE(Cells.find(Expected), std::string::npos) << Expected << Cells;
    EXPECT_EQ(Cells.find("Arrays A"), std::string::npos) << Cells;

    EXPECT_EQ(OfficeRead(Dir, "moved"), "C2 of:=[.B2:.B4]*10 3x1\n"
                                        "D2 of:=TRANSPOSE([.B2:.B3]) 1x2\n"
                                        "G2 of:=[.F2:.F4]*10 3x1\n");
    EXPECT_EQ(OfficeRead(Dir, "shrunk"), "C2 of:=[.B2:.B3]*10 2x1\n"
                                         "D2 of:=TRANSPOSE([.B2:.B2]) 1x2\n"
                                         "G2 of:=[.F2:.F3]*10 2x1\n");
}

// One!A1 changes: One!B1 (=A1*3) and everything that reads it, directly or through Two!C1, lose
// their results; =1+2 and Two!B1 (=A1+1 on an unchanged cell) keep theirs. A new formula has no
// result yet. No result reads as an error.
TEST(FormulaEdits, ASaveKeepsTheResultsOfFormulasWhoseInputsDidNotChange)
{
    auto F = Open("lo-results.xls");
    F->SetCellValue(1, 1, TXlsVariant::FromNumber(4));
    F->SetCellFormula(2, 1, u"=1+2");
    TempDir Dir;
    F->Save(false, Dir.File("edited.xls"), nullptr);

    // The engine reads what it wrote.
    auto G = std::make_unique<TXLSFile>(nullptr);
    G->Connect();
    G->OpenFile(Dir.File("edited.xls"));
    EXPECT_EQ(G->GetCellValue(1, 2), TXlsVariant::Empty());
    EXPECT_EQ(G->GetCellValue(1, 3), TXlsVariant::FromNumber(3));
    EXPECT_EQ(G->GetCellValue(2, 1), TXlsVariant::Empty());
    G->SetActiveSheet(2);
    EXPECT_EQ(G->GetCellValue(1, 2), TXlsVariant::FromNumber(6));
    EXPECT_EQ(G->GetCellValue(1, 3), TXlsVariant::Empty());

    EXPECT_EQ(Python(XlrdCells, Dir.File("edited.xls")), "One A1 2 4.0\n"
                                                         "One B1 1 ''\n"
                                                         "One C1 2 3.0\n"
                                                         "One A2 1 ''\n"
                                                         "Two A1 2 5.0\n"
                                                         "Two B1 2 6.0\n"
                                                         "Two C1 1 ''\n"
                                                         "Three A1 1 ''\n"
                                                         "Three B1 2 6.0\n");
}
