// Displayed and saved text, the checked float format, the cell accessors and selection queries,
// and the grid's settings classes and unit registrations.

#include "RudUvud/tests/GridTestSupport.h"

#include <gtest/gtest.h>

#include "RudUvud/edit/GridText.h"
#include "platform/win/Clipboard.h"
#include "platform/win/Windows.h"

namespace {

class GridAccess : public ::testing::Test {
protected:
    void SetUp() override
    {
        Form = gridtest::NewForm();
        G = gridtest::NewShownGrid(Form, 5, 10);
    }
    void TearDown() override { Form->Free(); }
    TForm* Form = nullptr;
    TDidAririzEvar* G = nullptr;
};

TEST(GridText, NumberFormatsAreCheckedBeforeUse)
{
    struct Case {
        const char* Fmt;
        const char* Text;
        bool Ok;
        const char* Out;
    } Cases[] = {
        {"%.2f", "3.14159", true, "3.14"},  {"%d", "3.7", true, "4"},    {"%5d", "12", true, "   12"},
        {"EUR %.1f", "2", true, "EUR 2.0"}, {"%d%%", "50", true, "50%"}, {"%s", "12", false, ""},
        {"%d %d", "12", false, ""},         {"%n", "12", false, ""},     {"%.2f", "12abc", false, ""},
        {"%999999d", "1", false, ""},       {"plain", "1", false, ""},   {"%ld", "1", false, ""},
    };
    for (const Case& C : Cases) {
        SCOPED_TRACE(C.Fmt);
        AnsiString Out;
        EXPECT_EQ(FormatNumber(C.Fmt, C.Text, Out), C.Ok);
        if (C.Ok) {
            EXPECT_EQ(Out, C.Out);
        }
    }
}

TEST(GridText, RichTextToPlain)
{
    EXPECT_EQ(RTFPlainText("{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}\\f0 Hello\\par World}"), "Hello\r\nWorld");
}

TEST_F(GridAccess, FormattedAndSavedText)
{
    G->SetCells(1, 1, "3.14159");
    G->SetCells(1, 2, "12abc");
    G->SetCells(1, 3, "<b>bold</b>");
    EXPECT_EQ(G->GetFormattedCell(1, 1), "3.14159") << "no format event, no format";
    AnsiString Format = "%.2f";
    G->OnGetFloatFormat = [&](TObject*, Integer, Integer, bool&, AnsiString& F) { F = Format; };
    EXPECT_EQ(G->GetFormattedCell(1, 1), "3.14");
    EXPECT_EQ(G->GetFormattedCell(1, 2), "12abc");
    Format = "%d";
    EXPECT_EQ(G->GetFormattedCell(1, 1), "3");
    Format = "%s"; // would crash a C formatter; shown unformatted
    EXPECT_EQ(G->GetFormattedCell(1, 1), "3.14159");

    EXPECT_EQ(G->SaveCell(1, 3), "<b>bold</b>");
    G->SetSaveHTMLMarkup(false);
    EXPECT_EQ(G->SaveCell(1, 3), "bold");
    G->OnSaveCell = [](TObject*, Integer, Integer, AnsiString& V) { V += "!"; };
    EXPECT_EQ(G->SaveCell(1, 3), "bold!");
    G->SetSaveDisplayText(false);
    Format = "%.2f";
    EXPECT_EQ(G->SaveCell(1, 1), "3.14159!");

    G->OnLoadCell = [](TObject*, Integer, Integer, AnsiString& V) { V = "[" + V + "]"; };
    G->LoadCell(2, 2, "in");
    EXPECT_EQ(G->Cells(2, 2), "[in]");
}

TEST_F(GridAccess, PerCellPropertiesAndRowColours)
{
    EXPECT_EQ(G->GetColors(2, 2), clNone);
    EXPECT_FALSE(G->HasCellProperties(2, 2)) << "reading creates nothing";
    G->SetColors(2, 2, 0x00FF00);
    G->SetFontColors(2, 2, 0x0000FF);
    G->SetFontStyles(2, 2, TFontStyles{fsBold});
    G->SetFontSizes(2, 2, 14);
    G->SetFontNames(2, 2, "Serif");
    G->SetAlignments(2, 2, taRightJustify);
    G->SetReadOnly(2, 2, true);
    G->SetWordWraps(2, 2, false);
    EXPECT_EQ(G->GetColors(2, 2), 0x00FF00);
    EXPECT_EQ(G->GetFontColors(2, 2), 0x0000FF);
    EXPECT_TRUE(G->GetFontStyles(2, 2).Contains(fsBold));
    EXPECT_EQ(G->GetFontSizes(2, 2), 14);
    EXPECT_EQ(G->GetFontNames(2, 2), "Serif");
    EXPECT_EQ(G->GetAlignments(2, 2), taRightJustify);
    EXPECT_TRUE(G->GetReadOnly(2, 2));
    EXPECT_FALSE(G->GetWordWraps(2, 2));

    G->SetRowColor(4, 0xFF0000);
    for (Integer C = 1; C < 5; ++C)
        EXPECT_EQ(G->GetColors(C, 4), 0xFF0000);
    EXPECT_EQ(G->GetColors(0, 4), clNone) << "fixed column left alone";
    G->SetRowColor(4, clNone);
    EXPECT_FALSE(G->HasCellProperties(2, 4));
    // Font colours go with clNone only where the cell has no background of its own.
    G->SetRowColor(6, 0x00FF00);
    G->SetRowFontColor(6, 0x123456);
    G->SetRowFontColor(6, clNone);
    EXPECT_TRUE(G->HasCellProperties(2, 6));
    EXPECT_EQ(G->GetFontColors(2, 6), 0x123456);
}

TEST_F(GridAccess, WideStrippedAndCurrentCellText)
{
    G->SetWideCells(1, 1, u"\u734e\u54c1 A");
    EXPECT_TRUE(G->IsWideCell(1, 1));
    EXPECT_EQ(G->GetWideCells(1, 1), u"\u734e\u54c1 A");
    EXPECT_FALSE(G->IsWideCell(1, 2));
    G->SetCells(2, 1, "<i>x</i> &lt; y");
    EXPECT_EQ(G->GetStrippedCell(2, 1), "x &lt; y");
    G->SetCells(3, 1, "a\r\nb\r\nc");
    EXPECT_EQ(G->GetLinesInCell(3, 1), 3);

    G->SetCells(2, 3, "base");
    G->MergeCells(2, 3, 2, 2);
    G->FocusCell(2, 3);
    EXPECT_EQ(G->GetCurrentCell(), "base");
    G->SetCurrentCell("new");
    EXPECT_EQ(G->Cells(2, 3), "new");
}

TEST_F(GridAccess, ColumnOrderAndHeaders)
{
    for (Integer C = 0; C < 5; ++C)
        G->SetCells(C, 0, AnsiString("H") + static_cast<char>('0' + C));
    G->SetColumnOrder();
    G->MoveColumn(1, 3);
    EXPECT_EQ(G->ColumnPosition(1), 3);
    EXPECT_EQ(G->ColumnAtPosition(3), 1);
    EXPECT_EQ(G->ColumnByHeader("H1"), 3);
    EXPECT_EQ(G->ColumnByHeader("none"), -1);
    G->ResetColumnOrder();
    for (Integer C = 0; C < 5; ++C)
        EXPECT_EQ(G->Cells(C, 0), AnsiString("H") + static_cast<char>('0' + C));
}

TEST_F(GridAccess, SelectionQueries)
{
    for (Integer R = 1; R < 10; ++R)
        for (Integer C = 1; C < 5; ++C)
            G->SetCells(C, R, std::to_string(C) + "," + std::to_string(R));
    G->SelectCells(1, 2, 2, 3);
    EXPECT_EQ(G->SelectedText(), "1,2\t2,2\r\n1,3\t2,3");
    EXPECT_EQ(G->GetSelectedRowCount(), 2);
    EXPECT_EQ(G->GetSelectedRow(1), 3);
    EXPECT_EQ(G->GetSelectedRow(2), -1);
    EXPECT_EQ(G->GetSelectedCellsCount(), 4);
    EXPECT_TRUE(G->IsCellSelected(2, 3));
    EXPECT_FALSE(G->IsCellSelected(0, 3)) << "fixed cells never";

    G->MouseActions()->SetDisjunctRowSelect(true);
    G->SetRowSelect(7, true);
    G->SetRowSelect(4, true);
    EXPECT_EQ(G->GetSelectedRowCount(), 2);
    EXPECT_EQ(G->GetSelectedRow(0), 7) << "in the order selected";
    EXPECT_TRUE(G->IsCellSelected(1, 4));
    EXPECT_FALSE(G->IsCellSelected(1, 2));
}

TEST_F(GridAccess, DisjunctCellsAddUpAndShowTheCurrentCellsOwnColours)
{
    G->MouseActions()->SetDisjunctCellSelect(true);
    G->SetSelectedCells(3, 3, true);
    G->SetSelectedCells(3, 3, true);
    EXPECT_EQ(G->GetSelectedCell(0).X, 3);
    EXPECT_EQ(G->GetSelectedCell(0).Y, 3);
    G->FocusCell(1, 1);
    EXPECT_EQ(G->GetSelectedCellsCount(), 2);
    G->SetSelectedCells(3, 3, false);
    EXPECT_FALSE(G->GetSelectedCells(3, 3));
    G->ClearSelectedCells();
    EXPECT_EQ(G->GetSelectedCellsCount(), 1);
}

TEST_F(GridAccess, DisjunctCellsBeyondSixteenBitRowsKeepTheirOwnPlace)
{
    G->SetRowCount(70000);
    G->MouseActions()->SetDisjunctCellSelect(true);
    G->SetSelectedCells(1, 65537, true);
    EXPECT_TRUE(G->GetSelectedCells(1, 65537));
    EXPECT_FALSE(G->GetSelectedCells(1, 1));
    EXPECT_EQ(G->GetSelectedCell(0).X, 1);
    EXPECT_EQ(G->GetSelectedCell(0).Y, 65537);
    G->SetSelectedCells(1, 1, true);
    G->SetSelectedCells(1, 65537, false);
    EXPECT_TRUE(G->GetSelectedCells(1, 1));
    EXPECT_FALSE(G->GetSelectedCells(1, 65537));
    // A range of 2 x 40,000 cells counts each cell once, the cells selected before included.
    G->SelectCells(1, 30000, 2, 69999);
    EXPECT_EQ(G->GetSelectedCellsCount(), 80001);
    EXPECT_EQ(G->GetSelectedCellsCount(), 80001);
    EXPECT_EQ(G->GetSelectedCell(80000).X, 2);
    EXPECT_EQ(G->GetSelectedCell(80000).Y, 69999);
}

TEST_F(GridAccess, RawTextByRealRowAndTheEditCell)
{
    for (Integer R = 1; R < 10; ++R)
        G->SetCells(2, R, "t" + std::to_string(R));
    G->HideRow(4);
    // Real rows: the hidden row is read and written in its store, the rows after it by display row.
    EXPECT_EQ(G->GetGridCellsEx(2, 4), "t4");
    EXPECT_EQ(G->GetGridCellsEx(2, 5), "t5");
    G->SetGridCellsEx(2, 4, "h");
    G->SetGridCellsEx(2, 6, "v");
    EXPECT_EQ(G->Cells(2, 5), "v");
    EXPECT_THROW(G->SetGridCellsEx(40, 4, "x"), EListError) << "a stored row does not grow";
    EXPECT_THROW(G->GetGridCellsEx(40, 4), EListError);
    G->SetCellsEx(40, 4, "grown"); // the text accessor grows it instead
    EXPECT_EQ(G->GetGridCellsEx(40, 4), "grown");
    G->UnHideRowsAll();
    EXPECT_EQ(G->Cells(2, 4), "h");

    // The edit text goes to the current cell, or to its block's base cell.
    G->FocusCell(3, 2);
    G->SetEditCell("typed");
    EXPECT_EQ(G->Cells(3, 2), "typed");
    G->MergeCells(1, 7, 2, 1);
    G->FocusCell(2, 7);
    G->SetEditCell("merged");
    EXPECT_EQ(G->Cells(1, 7), "merged");
}

TEST_F(GridAccess, SelectedColumnCount)
{
    G->SelectCells(1, 2, 3, 4);
    EXPECT_EQ(G->GetSelectedColCount(), 3);
    G->MergeCells(3, 2, 2, 1); // a block reaching past the right edge
    EXPECT_EQ(G->GetSelectedColCount(), 4);
    G->SelectCells(3, 2, 3, 2);
    EXPECT_EQ(G->GetSelectedColCount(), 2) << "a block alone counts its span";
    G->MouseActions()->SetDisjunctColSelect(true);
    G->SetColSelect(1, true);
    G->SetColSelect(4, true);
    EXPECT_EQ(G->GetSelectedColCount(), 2);
}

TEST_F(GridAccess, RealRowObjectsAndRealColumnWidthsAcrossHiding)
{
    TObject A, B, C;
    G->SetObjectEx(2, 3, &A);   // a user object kept in the cell's record
    G->SetGridObject(1, 5, &B); // a raw object, no record
    G->SetColWidths(3, 120);
    G->HideRow(3);
    G->HideColumn(3);
    // Real indexes whether hidden or shown; a hidden row answers from its store.
    EXPECT_EQ(G->GetObjectsEx(2, 3), &A);
    EXPECT_EQ(G->GetObjectsEx(1, 5), nullptr) << "a raw object is no user object";
    EXPECT_EQ(G->GetAllGraphicsObject(1, 5), &B);
    G->SetObjectsEx(2, 3, &C);
    EXPECT_EQ(G->GetObjectsEx(2, 3), &C);
    EXPECT_EQ(G->GetObjectsEx(-1, 3), nullptr);
    EXPECT_EQ(G->GetAllColWidths(3), 120);
    G->SetAllColWidths(3, 90); // hidden: only the saved width
    G->SetAllColWidths(4, 70); // shown: the display column too
    EXPECT_EQ(G->ColWidths(3), 70);
    G->UnHideRowsAll();
    G->UnHideColumnsAll();
    EXPECT_EQ(G->GetObjectEx(2, 3), &C);
    EXPECT_EQ(G->ColWidths(3), 90);
    EXPECT_EQ(G->GetAllColWidths(4), 70);
    G->SetObjectEx(2, 3, nullptr);
}

TEST(GridSettings, FilterConditions)
{
    TFilter F;
    TFilterData* A = F.GetColFilter(3);
    EXPECT_EQ(F.Count(), 1);
    EXPECT_EQ(A->Column, 3);
    EXPECT_TRUE(A->CaseSensitive);
    EXPECT_EQ(F.GetColFilter(3), A);
    F.Add()->Condition = "x";
    TFilterData* C = F.Insert(0);
    EXPECT_EQ(F.Count(), 3);
    EXPECT_EQ(F.Items(0), A);
    EXPECT_EQ(F.Items(2), C);
    C->Assign(F.Items(1));
    EXPECT_EQ(C->Condition, "x");
    TGrouping Other;
    EXPECT_THROW(C->Assign(&Other), EInvalidCast);
    EXPECT_NO_THROW(C->Assign(nullptr));
}

TEST(GridSettings, AssignCopiesOnlyTheLookFields)
{
    TGrouping S, T;
    S.HeaderColor = 0x123456;
    S.HeaderLineWidth = 5;
    S.SummaryLine = true;
    S.AutoSelectGroup = true;
    T.Assign(&S);
    EXPECT_EQ(T.HeaderColor, 0x123456);
    EXPECT_TRUE(T.SummaryLine);
    EXPECT_EQ(T.HeaderLineWidth, 2);
    EXPECT_FALSE(T.AutoSelectGroup);

    TFilterDropDown D, E;
    D.Height = 300;
    D.AutoSize = true;
    D.Font()->SetSize(17);
    E.Assign(&D);
    EXPECT_EQ(E.Height, 300);
    EXPECT_FALSE(E.AutoSize);
    EXPECT_EQ(E.Font()->Size(), 17);
}

TEST(GridSettings, UnitRegistrations)
{
    const Word F = GridCellsClipboardFormat();
    EXPECT_NE(F, 0);
    EXPECT_EQ(F, ::RegisterClipboardFormat("TDidAririzEvar Cells"));
    EXPECT_EQ(GridEditDoneMessage(), ::RegisterWindowMessage("GridEditDone"));
    EXPECT_NE(GridEditDoneMessage(), 0);
    EXPECT_TRUE(DatePickersForVersion(0x40047));
    EXPECT_FALSE(DatePickersForVersion(0x40000));
    EXPECT_FALSE(DatePickersForVersion(-1));
    EXPECT_TRUE(GridDatePickersAvailable());
}

} // namespace
