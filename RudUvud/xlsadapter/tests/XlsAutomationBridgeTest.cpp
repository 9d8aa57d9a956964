// The spreadsheet automation server over the xls engine: the grid's spreadsheet exchange
// (SaveToXLS, SaveToXLSSheet, GetXLSSheets, LoadFromXLS, LoadFromXLSSheet) writes real xls files
// that xlrd reads and reads them back, Chinese texts included.

#include "RudUvud/xlsadapter/XlsAutomationBridge.h"
#include "RudUvud/tests/GridTestSupport.h"
#include "platform/rtl/StringLists.h"

#include "XlsTestSupport.h"
#include "platform/testing/Commands.h"

#include <gtest/gtest.h>

using namespace xlstest;

namespace {

class XlsAutomationServer : public ::testing::Test {
protected:
    void SetUp() override
    {
        RegisterXlsOleServer();
        Form = gridtest::NewForm();
        G = gridtest::NewShownGrid(Form, 2, 3);
        G->SetFixedRows(0);
        G->SetFixedCols(0);
        const char* Texts[3][2] = {
            {"Prize", "Quantity"}, {"\xe8\x8c\xb6\xe6\x9d\xaf", "3"}, {"Lamp", "12.5"}};
        for (Integer R = 0; R < 3; ++R)
            for (Integer C = 0; C < 2; ++C)
                G->SetCells(C, R, Texts[R][C]);
    }
    void TearDown() override
    {
        Form->Free();
        UnregisterOleServer("Excel.Application");
    }
    TForm* Form = nullptr;
    TDidAririzEvar* G = nullptr;
    TempDir Dir;
};

const char* const XlrdCells = R"PY(
import sys, xlrd
b = xlrd.open_workbook(sys.argv[1])
for s in b.sheets():
    print('sheet', s.name)
    for r in range(s.nrows):
        print([c.value for c in s.row(r)])
)PY";

} // namespace

TEST_F(XlsAutomationServer, TheGridsSpreadsheetExchangeWritesAndReadsXlsFiles)
{
    const std::string Path = Dir.File("prizes.xls");
    G->SaveToXLS(Path, true);

    // A second sheet added to the same file goes before the shown sheet and is shown, as a
    // spreadsheet program adds sheets.
    G->SetCells(0, 0, "Second");
    G->SaveToXLSSheet(Path, "Extra");
    std::unique_ptr<TStringList> Sheets(G->GetXLSSheets(Path));
    ASSERT_EQ(Sheets->Count(), 2);
    EXPECT_EQ(Sheets->Strings(0), "Extra");
    EXPECT_EQ(Sheets->Strings(1), "Sheet1");

    if (HavePython("xlrd")) {
        std::string Out;
        ASSERT_EQ(RunPython(XlrdCells, Path, Out), 0) << Out;
        EXPECT_EQ(Out,
                  "sheet Extra\n['Second', 'Quantity']\n['\xe8\x8c\xb6\xe6\x9d\xaf', 3.0]\n['Lamp', 12.5]\n"
                  "sheet Sheet1\n['Prize', 'Quantity']\n['\xe8\x8c\xb6\xe6\x9d\xaf', 3.0]\n['Lamp', 12.5]\n");
    } else {
        uitest::SkipMissing("python3-xlrd is not installed: the file is not read back by it");
    }

    // Read back into an emptied grid: the shown sheet, then a sheet by name.
    G->SetRowCount(1);
    G->SetColCount(1);
    G->SetCells(0, 0, "");
    G->LoadFromXLS(Path);
    ASSERT_EQ(G->RowCount(), 3);
    ASSERT_EQ(G->ColCount(), 2);
    EXPECT_EQ(G->Cells(0, 0), "Second");
    EXPECT_EQ(G->Cells(0, 1), "\xe8\x8c\xb6\xe6\x9d\xaf");
    EXPECT_EQ(G->Cells(1, 2), "12.5");
    G->LoadFromXLSSheet(Path, "Sheet1");
    EXPECT_EQ(G->Cells(0, 0), "Prize");

    EXPECT_THROW(G->LoadFromXLSSheet(Path, "Missing"), Exception);
    EXPECT_THROW(G->LoadFromXLS(Dir.File("missing.xls")), Exception);
}
