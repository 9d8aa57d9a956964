// The grid bridge with its default engine, the xls file: a string grid exported to a real .xls
// that xlrd reads cell for cell, and .xls files written by python3-xlwt and LibreOffice imported
// into a grid with their Chinese texts intact.

#include "RudUvud/tests/GridTestSupport.h"
#include "RudUvud/xlsadapter/XlsGridBridge.h"
#include "platform/rtl/Strings.h"

#include "XlsTestSupport.h"
#include "platform/testing/Commands.h"

#include <gtest/gtest.h>

using namespace xlstest;

namespace {

class XlsGridBridgeFile : public ::testing::Test {
protected:
    void SetUp() override
    {
        Form = gridtest::NewForm();
        Grid = gridtest::NewShownGrid(Form, 2, 4);
        Grid->SetFixedRows(0);
        Grid->SetFixedCols(0);
        IO = New<TDozAzevIzaroIO>(Form);
        IO->SetDidAririzEvar(Grid);
        // The program's settings: wide cells, no sizes (its import switches to 8-bit cells).
        IO->Options()->ImportCellSizes = false;
        IO->UseUnicode = true;
        IO->SetGridStartRow(0);
        IO->SetGridStartCol(0);
    }
    void TearDown() override { Form->Free(); }

    TForm* Form = nullptr;
    TDidAririzEvar* Grid = nullptr;
    TDozAzevIzaroIO* IO = nullptr;
    TempDir Dir;
};

// Every cell xlrd reads: "row col type value".
const char* const XlrdCells = R"PY(
import sys, xlrd
b = xlrd.open_workbook(sys.argv[1])
print('sheets', b.nsheets)
s = b.sheet_by_index(0)
for r in range(s.nrows):
    for c in range(s.ncols):
        cell = s.cell(r, c)
        if cell.ctype != xlrd.XL_CELL_EMPTY:
            print(r, c, cell.ctype, repr(cell.value))
)PY";

} // namespace

TEST_F(XlsGridBridgeFile, ExportsAGridThatXlrdReadsCellForCell)
{
    const char16_t* Rows[][2] = {
        {u"Prize", u"Quantity"}, {u"\u8336\u676f", u"3"},    {u"Lamp", u"12"},
        {u"=x", u"12%"},         {u"two\r\nlines", u"TRUE"},
    };
    Grid->SetRowCount(5);
    for (Integer R = 0; R < 5; ++R)
        for (Integer C = 0; C < 2; ++C)
            Grid->SetWideCells(C, R, Rows[R][C]);
    const std::string Path = Dir.File("prizes.xls");
    IO->XLSExport(Path, u"", -1, 1, InsertInSheet_Clear);

    if (!HavePython("xlrd"))
        return uitest::SkipMissing("python3-xlrd is not installed");
    std::string Out;
    ASSERT_EQ(RunPython(XlrdCells, Path, Out), 0) << Out;
    EXPECT_EQ(Out, "sheets 1\n"
                   "0 0 1 'Prize'\n0 1 1 'Quantity'\n"
                   "1 0 1 '\u8336\u676f'\n1 1 2 3.0\n"
                   "2 0 1 'Lamp'\n2 1 2 12.0\n"
                   "3 0 1 '=x'\n3 1 2 0.12\n"
                   "4 0 1 'two\\nlines'\n4 1 4 1\n");
}

TEST_F(XlsGridBridgeFile, ImportsFilesOfOtherWritersWithChineseTextIntact)
{
    struct Case {
        const char* File;
        bool Unicode;
        Integer Row; // of the Chinese name and its quantity
        const char16_t* Name;
        const char16_t* Quantity;
        Integer Rows;
    };
    const Case Cases[] = {
        {"xlwt-small.xls", false, 3, u"\u96fb\u8996\u6a5f", u"3", 5},
        {"xlwt-small.xls", true, 3, u"\u96fb\u8996\u6a5f", u"3", 5},
        {"lo-small.xls", false, 2, u"\u982d\u734e \u96fb\u8996\u6a5f", u"1", 3},
        {"lo-small.xls", true, 2, u"\u982d\u734e \u96fb\u8996\u6a5f", u"1", 3},
    };
    for (const Case& C : Cases) {
        SCOPED_TRACE(std::string(C.File) + (C.Unicode ? " wide" : " 8-bit"));
        IO->UseUnicode = C.Unicode;
        Grid->SetColCount(12);
        IO->XLSImport(std::string(DRAWMERE_TEST_DATA) + "/" + C.File);
        EXPECT_EQ(Grid->RowCount(), C.Rows);
        EXPECT_EQ(Grid->ColCount(), 2);
        EXPECT_EQ(Grid->GetWideCells(0, 0), u"Prize");
        EXPECT_EQ(Grid->GetWideCells(1, 0), u"Quantity");
        EXPECT_EQ(Grid->GetWideCells(0, C.Row), C.Name);
        EXPECT_EQ(Grid->GetWideCells(1, C.Row), C.Quantity);
    }
}

TEST_F(XlsGridBridgeFile, AnExportReadsBackThroughTheImport)
{
    Grid->SetRowCount(2);
    Grid->SetWideCells(0, 0, u"\u734e\u54c1");
    Grid->SetWideCells(1, 0, u"7");
    Grid->SetWideCells(0, 1, u"Lamp");
    Grid->SetWideCells(1, 1, u"1.5");
    const std::string Path = Dir.File("round.xls");
    IO->XLSExport(Path);
    Grid->SetRowCount(1);
    Grid->SetWideCells(0, 0, u"");
    IO->UseUnicode = false;
    IO->XLSImport(Path);
    EXPECT_EQ(Grid->GetWideCells(0, 0), u"\u734e\u54c1");
    EXPECT_EQ(Grid->GetWideCells(1, 0), u"7");
    EXPECT_EQ(Grid->GetWideCells(1, 1), u"1.5");
}
