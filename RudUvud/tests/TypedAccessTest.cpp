// Typed cell access in two locales, control values, the version, print column widths, headers,
// merged columns, highlighting and marking, and range fills.

#include "RudUvud/tests/GridTestSupport.h"

#include "platform/rtl/Conversions.h"
#include "platform/rtl/DateTime.h"
#include "platform/rtl/FormatSettings.h"

#include <gtest/gtest.h>

namespace {

using gridtest::NewForm;
using gridtest::NewShownGrid;

class TypedAccessTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        SetDefaultFormatSettings();
        Form = NewForm();
        G = NewShownGrid(Form);
    }
    void TearDown() override
    {
        Form->Free();
        SetDefaultFormatSettings();
    }
    // A locale with '.' between thousands, ',' before the fraction and day.month.year dates.
    static void UseGermanSettings()
    {
        FormatSettings.ThousandSeparator = '.';
        FormatSettings.DecimalSeparator = ',';
        FormatSettings.DateSeparator = '.';
        FormatSettings.ShortDateFormat = "dd.MM.yyyy";
        FormatSettings.LongTimeFormat = "hh:mm:ss";
    }
    template <class F> static AnsiString ErrorOf(F Call)
    {
        try {
            Call();
        } catch (const ERudUvudError& E) {
            return E.Message();
        }
        return "no error";
    }
    TForm* Form = nullptr;
    TDidAririzEvar* G = nullptr;
};

TEST_F(TypedAccessTest, IntegersReadTrimmedDecimalTextOnly)
{
    struct Case {
        const char* Text;
        Integer Value;
        bool Raises;
    };
    const Case Cases[] = {{" 12 ", 12, false},    {"\t-42\r\n", -42, false},
                          {"", 0, false},         {"-", 0, false},
                          {"+7", 7, false},       {"1.5", 0, true},
                          {"$1F", 0, true},       {"0x10", 0, true},
                          {"12a", 0, true},       {"2147483647", 2147483647, false},
                          {"2147483648", 0, true}};
    for (const Case& K : Cases) {
        G->SetCells(1, 1, K.Text);
        if (K.Raises)
            EXPECT_EQ(ErrorOf([&] { G->GetInts(1, 1); }), "Cell does not contain integer value") << K.Text;
        else
            EXPECT_EQ(G->Ints(1, 1), K.Value) << K.Text;
    }
    G->SetInts(2, 2, -17);
    EXPECT_EQ(G->Cells(2, 2), "-17");
}

TEST_F(TypedAccessTest, FloatsInTwoLocales)
{
    struct Case {
        bool German;
        const char* Text;
        Double Value;
    };
    const Case Cases[] = {
        {false, "1,234.5", 1234.5}, {false, "-0.25", -0.25}, {false, "", 0},  {false, "-", 0},
        {true, "1.234,5", 1234.5},  {true, "-0,25", -0.25},  {true, " 7 ", 7}};
    for (const Case& K : Cases) {
        SetDefaultFormatSettings();
        if (K.German)
            UseGermanSettings();
        G->SetCells(1, 1, K.Text);
        EXPECT_DOUBLE_EQ(G->Floats(1, 1), K.Value) << K.Text;
    }
    for (bool German : {false, true}) {
        SetDefaultFormatSettings();
        if (German)
            UseGermanSettings();
        G->SetFloats(1, 2, 3.14159);
        EXPECT_EQ(G->Cells(1, 2), German ? "3,14" : "3.14");
        EXPECT_DOUBLE_EQ(G->Floats(1, 2), 3.14);
        G->SetCells(1, 3, "abc");
        EXPECT_EQ(ErrorOf([&] { G->GetFloats(1, 3); }), "Cell does not contain a float value");
    }
    G->SetFloatFormat("%.4f");
    G->SetFloats(1, 2, 2.5);
    EXPECT_EQ(G->Cells(1, 2), "2,5000");
}

TEST_F(TypedAccessTest, AllFloatsReachHiddenRows)
{
    G->SetCells(1, 3, "1");
    G->HideRow(3);
    G->SetAllFloats(1, 3, 2.5);
    EXPECT_EQ(G->GetCellsEx(1, 3), "2.50");
    EXPECT_DOUBLE_EQ(G->AllFloats(1, 3), 2.5);
    G->UnHideRowsAll();
    EXPECT_EQ(G->Cells(1, 3), "2.50");
}

TEST_F(TypedAccessTest, DatesAndTimesInTwoLocales)
{
    const TDateTime D = EncodeDate(2024, 3, 5);
    const TDateTime T = EncodeTime(13, 45, 30, 0);
    for (bool German : {false, true}) {
        SetDefaultFormatSettings();
        if (German)
            UseGermanSettings();
        G->SetDates(1, 1, D);
        EXPECT_EQ(G->Cells(1, 1), German ? "05.03.2024" : "3/5/2024");
        EXPECT_EQ(G->Dates(1, 1), D);
        G->SetTimes(1, 2, T);
        EXPECT_EQ(G->Cells(1, 2), German ? "13:45:30" : "1:45:30 PM");
        EXPECT_NEAR(G->Times(1, 2), T, 1e-9);
    }
    SetDefaultFormatSettings();
    // Day zero: written while zero dates show, cleared otherwise.
    G->SetDates(2, 1, 0);
    EXPECT_EQ(G->Cells(2, 1), "12/30/1899");
    G->SetShowZeroDates(false);
    G->SetDates(2, 1, 0);
    EXPECT_EQ(G->Cells(2, 1), "");
    G->SetDates(2, 1, -3);
    EXPECT_EQ(G->Cells(2, 1), "");
    G->SetCells(2, 2, "not a date");
    EXPECT_THROW(G->GetDates(2, 2), EConvertError);
    EXPECT_THROW(G->GetTimes(2, 2), EConvertError);
}

TEST_F(TypedAccessTest, ControlValuesInsideACell)
{
    const AnsiString Cell = "Name <CONTROL ID=\"name\" VALUE=\"Ann\" TYPE=\"EDIT\">";
    G->SetCells(1, 1, Cell);
    EXPECT_EQ(G->GetCtrlVal(1, 1, "name"), "Ann");
    EXPECT_EQ(G->GetCtrlVal(1, 1, "other"), "");
    G->SetCtrlVal(1, 1, "name", "Bo");
    EXPECT_EQ(G->GetCtrlVal(1, 1, "name"), "Bo");
    const AnsiString Now = G->Cells(1, 1);
    G->SetCtrlVal(1, 1, "other", "x");
    EXPECT_EQ(G->Cells(1, 1), Now);
}

TEST_F(TypedAccessTest, VersionPrintColumnsAndLookupItems)
{
    EXPECT_EQ(G->GetVersion(), "5.0.6.0");
    G->SetVersion("9.9.9.9");
    EXPECT_EQ(G->GetVersion(), "5.0.6.0");
    EXPECT_EQ(G->GetPrintColWidth(511), 0);
    EXPECT_EQ(G->GetPrintColOffset(0), 0);
    for (Integer Bad : {512, -1})
        for (bool Offset : {false, true})
            EXPECT_EQ(ErrorOf([&] { Offset ? G->GetPrintColOffset(Bad) : G->GetPrintColWidth(Bad); }),
                      "Columns is not in valid range");
    TStringList L;
    L.Add("a");
    G->SetLookupItems(&L);
    G->SetLookupItems(nullptr);
    EXPECT_EQ(G->LookupItems()->CommaText(), "a");
}

// ---- Headers ---------------------------------------------------------------------------------------------

TEST_F(TypedAccessTest, ColumnHeadersUpToTheTotalColumnCount)
{
    G->SetCells(3, 0, "old");
    TStringList H;
    H.SetCommaText("A,B\\nC,D");
    G->SetColumnHeaders(&H);
    EXPECT_EQ(G->Cells(0, 0), "A");
    EXPECT_EQ(G->Cells(1, 0), "B\rC"); // the grid's line break
    EXPECT_EQ(G->Cells(3, 0), "");     // cleared first
    // More lines than columns: only the first TotalColCount (hidden columns count).
    G->HideColumn(2);
    G->ColumnHeaders()->SetCommaText("0,1,2,3,4,5,6");
    for (Integer C = 0; C < 5; ++C)
        EXPECT_EQ(G->GetCellsEx(C, 0), IntToStr(C)) << C;
    EXPECT_EQ(G->Cells(5, 0), "");
    // No fixed row: nothing is written.
    G->UnHideColumnsAll();
    G->SetFixedRows(0);
    G->SetCells(1, 0, "cell");
    G->ColumnHeaders()->SetCommaText("x,y");
    EXPECT_EQ(G->Cells(1, 0), "cell");
}

TEST_F(TypedAccessTest, RowHeadersUpToTheRowCount)
{
    TStringList H;
    for (Integer I = 0; I < 14; ++I)
        H.Add("r" + IntToStr(I));
    G->SetRowHeaders(&H);
    EXPECT_EQ(G->Cells(0, 0), "r0");
    EXPECT_EQ(G->Cells(0, 9), "r9");
    EXPECT_EQ(G->Cells(0, 10), "");
    G->ClearRowHeaders();
    EXPECT_EQ(G->Cells(0, 4), "");
    G->SetFixedCols(0);
    G->RowHeaders()->SetCommaText("z");
    EXPECT_EQ(G->Cells(0, 0), "");
}

TEST_F(TypedAccessTest, MergedColumnsFollowTheirList)
{
    const char* Texts[] = {"", "a", "a", "a", "b", "b", "c", "c", "c", "d"};
    for (Integer R = 1; R < 10; ++R) {
        G->SetCells(1, R, Texts[R]);
        G->SetCells(2, R, "x");
    }
    G->MergedColumns()->Add(1);
    EXPECT_TRUE(G->IsMergedCell(1, 2));
    EXPECT_TRUE(G->IsMergedNonBaseCell(1, 3));
    EXPECT_FALSE(G->IsMergedCell(1, 9));
    // A later column's runs end where the first column's do.
    G->MergedColumns()->Add(2);
    EXPECT_TRUE(G->IsMergedNonBaseCell(2, 2));
    EXPECT_FALSE(G->IsMergedNonBaseCell(2, 4));
    G->MergedColumns()->Clear();
    G->MergedColumnsChanged(nullptr, -1, -1);
    EXPECT_FALSE(G->IsMergedCell(1, 2));
    EXPECT_FALSE(G->IsMergedCell(2, 2));
}

// ---- Highlighting and marking
// -------------------------------------------------------------------------------

TEST_F(TypedAccessTest, HighlightInACellByCaseAndBack)
{
    struct Case {
        const char* Text;
        bool CaseSensitive;
        const char* Search;
        const char* Expected;
    };
    const Case Cases[] = {
        {"AB and ab", false, "ab", "<hi>AB</hi> and <hi>ab</hi>"},
        {"AB and ab", true, "ab", "AB and <hi>ab</hi>"},
        {"abab", true, "ab", "<hi>ab</hi><hi>ab</hi>"},
        {"<b>ab</b> b", true, "b", "<b>a<hi>b</hi></b> <hi>b</hi>"},
        {"none", true, "zz", "none"},
    };
    for (const Case& K : Cases) {
        G->SetCells(1, 1, K.Text);
        G->HilightInCell(K.CaseSensitive, 1, 1, K.Search);
        EXPECT_EQ(G->Cells(1, 1), K.Expected) << K.Text;
        G->UnHilightInCell(1, 1);
        EXPECT_EQ(G->Cells(1, 1), K.Text);
    }
    G->SetCells(1, 1, "xyx");
    G->MarkInCell(true, 1, 1, "x");
    EXPECT_EQ(G->Cells(1, 1), "<e>x</e>y<e>x</e>");
    G->UnHilightInCell(1, 1);
    EXPECT_EQ(G->Cells(1, 1), "<e>x</e>y<e>x</e>");
    G->UnMarkInCell(1, 1);
    EXPECT_EQ(G->Cells(1, 1), "xyx");
    EXPECT_EQ(G->HilightText(false, "Abc", "b"), "A<hi>b</hi>c");
    EXPECT_EQ(G->UnMarkText(G->MarkText(true, "Abc", "A")), "Abc");
}

TEST_F(TypedAccessTest, GridHighlightAndMarkVisitDifferentColumnsWhileColumnsAreHidden)
{
    G->SetFixedFooters(1);
    for (Integer R = 0; R < G->RowCount(); ++R)
        for (Integer C = 0; C < 5; ++C)
            G->SetCells(C, R, "q");
    G->HideColumn(2);
    ASSERT_EQ(G->ColCount(), 4);
    G->HilightInGrid(false, true, "q");
    G->MarkInGrid(false, true, "q");
    // Highlighting reaches one real column further than marking; neither touches fixed cells or
    // footers.
    auto Has = [&](Integer C, const char* Tag) { return G->Cells(C, 3).find(Tag) != AnsiString::npos; };
    for (Integer C = 1; C < 4; ++C) {
        EXPECT_TRUE(Has(C, "<hi>")) << C;
        EXPECT_TRUE(Has(C, "<e>")) << C;
    }
    EXPECT_EQ(G->Cells(4, 3), "<hi>q</hi>");
    EXPECT_EQ(G->Cells(0, 3), "q");
    EXPECT_EQ(G->Cells(1, 0), "q");
    EXPECT_EQ(G->Cells(1, G->RowCount() - 1), "q");
    G->UnHilightInGrid(false);
    G->UnMarkInGrid(false);
    for (Integer C = 0; C < 5; ++C)
        EXPECT_EQ(G->Cells(C, 3), "q") << C;
}

TEST_F(TypedAccessTest, MarkCellsSkipsCoveredCellsAndEmptyRanges)
{
    for (Integer R = 1; R < 4; ++R)
        for (Integer C = 1; C < 4; ++C)
            G->SetCells(C, R, "k");
    G->MergeCells(2, 2, 2, 2);
    G->MarkCells("k", "u", true, 1, 1, 3, 3);
    EXPECT_EQ(G->Cells(1, 1), "<u>k</u>");
    EXPECT_EQ(G->Cells(2, 2), "<u>k</u>");
    EXPECT_EQ(G->Cells(3, 3), "k"); // covered by the block
    G->MarkCells("k", "u", true, 3, 1, 1, 1);
    EXPECT_EQ(G->Cells(1, 1), "<u>k</u>");
    G->UnMarkCells("U", 1, 1, 3, 3);
    EXPECT_EQ(G->Cells(1, 1), "k");
}

// ---- Fills
// --------------------------------------------------------------------------------------------------

TEST_F(TypedAccessTest, FillsCoverTheirRanges)
{
    G->LinearFill(true);
    EXPECT_EQ(G->Cells(0, 0), "0:0");
    EXPECT_EQ(G->Cells(4, 9), "4:9");
    G->SetFixedFooters(1);
    G->TextFill(false, "t");
    EXPECT_EQ(G->Cells(1, 1), "t");
    EXPECT_EQ(G->Cells(0, 1), "0:1");
    EXPECT_EQ(G->Cells(1, 9), "1:9");
    G->FormatFill(false, "%d-%d");
    EXPECT_EQ(G->Cells(3, 2), "3-2");
    G->RandomFill(false, 10);
    for (Integer R = 1; R < 9; ++R)
        for (Integer C = 1; C < 5; ++C) {
            const Integer V = G->Ints(C, R);
            EXPECT_GE(V, 0);
            EXPECT_LT(V, 10);
        }
    EXPECT_EQ(G->Cells(0, 0), "0:0");
}

} // namespace
