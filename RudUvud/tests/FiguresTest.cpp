// Column and row figures, numbering, automatic sizing of columns and rows, fitting the columns
// into the width, and swapping columns and rows.

#include "RudUvud/tests/GridTestSupport.h"

#include "platform/rtl/FormatSettings.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <optional>

namespace {

// Records the export notifications the figures and row sizing send.
class TNotedGrid : public TDidAririzEvar {
public:
    using TDidAririzEvar::TDidAririzEvar;
    void ExportNotification(TGridExportState State, Integer ARow) override { Notes.push_back({State, ARow}); }
    std::vector<std::pair<TGridExportState, Integer>> Notes;
};

// Sets the locale's separators for one scope.
struct TSeparators {
    TSeparators(char Decimal, char Thousand) : OldDecimal(DecimalSeparator), OldThousand(ThousandSeparator)
    {
        DecimalSeparator = Decimal;
        ThousandSeparator = Thousand;
    }
    ~TSeparators()
    {
        DecimalSeparator = OldDecimal;
        ThousandSeparator = OldThousand;
    }
    char OldDecimal, OldThousand;
};

class FiguresTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        Form = gridtest::NewForm();
        G = New<TNotedGrid>(Form);
        G->SetParent(Form);
        G->SetBounds(0, 0, 600, 400);
        G->SetColCount(5);
        G->SetRowCount(10);
        uitest::PumpUntilIdle();
    }
    void TearDown() override { Form->Free(); }
    // Column 1 from row 1 on holds Values; the other rows are emptied.
    void FillColumn(const std::vector<const char*>& Values)
    {
        for (Integer R = 1; R < G->RowCount(); ++R)
            G->SetCells(1, R, R - 1 < static_cast<Integer>(Values.size()) ? Values[R - 1] : "");
    }
    // The pixel width and height of Text in the grid's font.
    TPoint TextSize(const AnsiString& Text)
    {
        std::unique_ptr<TBitmap> Probe(New<TBitmap>());
        Probe->SetSize(4, 4);
        Probe->Canvas()->Font()->Assign(G->Font());
        return TPoint{Probe->Canvas()->TextWidth(Text), Probe->Canvas()->TextHeight(Text)};
    }
    TForm* Form = nullptr;
    TNotedGrid* G = nullptr;
};

// ---- Figures ----------------------------------------------------------------------------------------

TEST_F(FiguresTest, ColumnFiguresOverEmptySingleAndMixedRanges)
{
    struct Case {
        const char* Name;
        std::vector<const char*> Values;
        Integer From, To;
        Double Sum, Avg;
        std::optional<Double> Min, Max; // none: the first cell is no number and they raise
        char Decimal = '.', Thousand = ',';
    };
    const Case Cases[] = {
        {"empty range", {"5"}, 2, 1, 0, 0, 0, 0},
        {"empty cells", {"", ""}, 1, 2, 0, 0, 0, 0},
        {"single row", {"7.5"}, 1, 1, 7.5, 7.5, 7.5, 7.5},
        // An empty cell is 0 and counts; abc is left out but still divides the average.
        {"mixed cells", {"10", "", "abc", "1,000"}, 1, 4, 1010, 252.5, 0, 1000},
        {"first cell no number", {"n/a", "3", "-4"}, 1, 3, -1, -1.0 / 3, std::nullopt, std::nullopt},
        {"second cell no number", {"3", "n/a", "-4"}, 1, 3, -1, -1.0 / 3, -4, 3},
        {"comma decimal point", {"1.234,5", "0,5", "-2"}, 1, 3, 1233, 411, -2, 1234.5, ',', '.'},
    };
    for (const Case& K : Cases) {
        SCOPED_TRACE(K.Name);
        TSeparators Locale(K.Decimal, K.Thousand);
        FillColumn(K.Values);
        EXPECT_DOUBLE_EQ(G->ColumnSum(1, K.From, K.To), K.Sum);
        EXPECT_DOUBLE_EQ(G->ColumnAvg(1, K.From, K.To), K.Avg);
        if (K.Min) {
            EXPECT_DOUBLE_EQ(G->ColumnMin(1, K.From, K.To), *K.Min);
            EXPECT_DOUBLE_EQ(G->ColumnMax(1, K.From, K.To), *K.Max);
        } else {
            EXPECT_THROW(G->ColumnMin(1, K.From, K.To), ERudUvudError);
            EXPECT_THROW(G->ColumnMax(1, K.From, K.To), ERudUvudError);
        }
    }
}

TEST_F(FiguresTest, ColumnSumReadsHiddenRowsBehindAVisibleFooter)
{
    G->SetFixedRows(1);
    G->SetRowCount(7); // rows 1..5 data, row 6 the footer
    FillColumn({"1", "2", "3", "4", "5", "999"});
    G->FloatingFooter()->SetVisible(true);
    G->HideRow(3);
    ASSERT_EQ(G->RowCount(), 6);
    G->Notes.clear();
    // The range reaches beyond the last shown data row: real rows, the hidden one included, the
    // footer's own text not.
    EXPECT_DOUBLE_EQ(G->ColumnSum(1, 1, G->RowCount() - 1), 15);
    ASSERT_GE(G->Notes.size(), 2u);
    EXPECT_EQ(G->Notes.front(), std::make_pair(esExportStart, 1));
    EXPECT_EQ(G->Notes.back(), std::make_pair(esExportDone, -1));
    EXPECT_EQ(G->Notes.size(), 7u) << "start, five rows, done";
    // Within the shown rows: display rows only.
    EXPECT_DOUBLE_EQ(G->ColumnSum(1, 1, G->RowCount() - 2), 1 + 2 + 4 + 5);
}

TEST_F(FiguresTest, RowFiguresSkipCoveredAndNonNumericCells)
{
    const char* Cells[] = {"2", "x", "4", "8", "16"};
    for (Integer C = 0; C < 5; ++C)
        G->SetCells(C, 3, Cells[C]);
    EXPECT_DOUBLE_EQ(G->RowSum(3, 0, 4), 30);
    EXPECT_DOUBLE_EQ(G->RowAvg(3, 0, 4), 6);
    EXPECT_DOUBLE_EQ(G->RowMin(3, 0, 4), 2);
    EXPECT_DOUBLE_EQ(G->RowMax(3, 0, 4), 16);
    EXPECT_THROW(G->RowMin(3, 1, 4), ERudUvudError);
    EXPECT_DOUBLE_EQ(G->RowSum(3, 4, 3), 0);
    EXPECT_DOUBLE_EQ(G->RowAvg(3, 4, 3), 0);
    // The cell covered by the merged block (3, 3)-(4, 3) is left out.
    G->MergeCells(3, 3, 2, 1);
    EXPECT_DOUBLE_EQ(G->RowSum(3, 0, 4), 14);
}

TEST_F(FiguresTest, CustomFigureComesFromTheGroupEvent)
{
    EXPECT_EQ(G->ColumnCustomCalc(1, 1, 5), 0);
    G->OnGroupCalc = [](TObject*, Integer ACol, Integer FromRow, Integer ToRow, Double& Res) {
        EXPECT_EQ(Res, 0);
        Res = ACol * 100 + FromRow * 10 + ToRow;
    };
    EXPECT_EQ(G->ColumnCustomCalc(2, 3, 4), 234);
}

// ---- Numbering --------------------------------------------------------------------------------------

TEST_F(FiguresTest, NumberingWithOffsetStartAndReverse)
{
    struct Case {
        const char* Name;
        Integer Offset, Start;
        bool Reverse;
        std::vector<const char*> Want; // rows 1..4
    };
    const Case Cases[] = {
        {"plain", 0, 0, false, {"1", "2", "3", "4"}},
        {"offset", 1, 0, false, {"k", "2", "3", "4"}},
        {"offset and reverse", 1, 0, true, {"4", "3", "2", "k"}},
        {"start", 0, 10, false, {"11", "12", "13", "14"}},
    };
    G->SetFixedRows(1);
    G->SetRowCount(6); // row 5 is a footer row
    G->SetFixedFooters(1);
    for (const Case& K : Cases) {
        SCOPED_TRACE(K.Name);
        for (Integer R = 0; R < 6; ++R)
            G->SetCells(2, R, "k");
        G->AutoNumberOffset = K.Offset;
        G->AutoNumberStart = K.Start;
        G->AutoNumberReverse = K.Reverse;
        G->AutoNumberCol(2);
        EXPECT_EQ(G->Cells(2, 0), "k");
        for (Integer R = 1; R <= 4; ++R)
            EXPECT_EQ(G->Cells(2, R), K.Want[R - 1]) << "row " << R;
        EXPECT_EQ(G->Cells(2, 5), "k") << "the footer row";
    }
    // Along a row: the normal columns between the fixed ones.
    G->SetFixedCols(1);
    G->SetFixedRightCols(1);
    G->AutoNumberOffset = 0;
    G->AutoNumberStart = 0;
    G->AutoNumberReverse = true;
    for (Integer C = 0; C < 5; ++C)
        G->SetCells(C, 2, "k");
    G->AutoNumberRow(2);
    EXPECT_EQ(G->Cells(0, 2), "k");
    EXPECT_EQ(G->Cells(1, 2), "3");
    EXPECT_EQ(G->Cells(2, 2), "2");
    EXPECT_EQ(G->Cells(3, 2), "1");
    EXPECT_EQ(G->Cells(4, 2), "k");
}

// ---- Sizing -----------------------------------------------------------------------------------------

TEST_F(FiguresTest, ColumnWidthFollowsItsWidestShownCell)
{
    const Integer Lines = 2 * G->GridLineWidth();
    const auto Fit = [&](const AnsiString& Text) { return 4 + TextSize(Text).X + Lines + 2; };
    struct Case {
        const char* Name;
        std::vector<const char*> Values; // rows 1..
        const char* Widest;
    };
    const Case Cases[] = {
        {"empty column", {}, ""},
        {"single row", {"prize"}, "prize"},
        {"non-numeric and numbers", {"12", "a much longer prize text", "3.5"}, "a much longer prize text"},
    };
    for (const Case& K : Cases) {
        SCOPED_TRACE(K.Name);
        FillColumn(K.Values);
        G->SetCells(1, 0, "");
        G->SetColWidths(1, 300);
        G->AutoSizeCol(1, 0);
        EXPECT_EQ(G->ColWidths(1), Fit(K.Widest));
    }
    // A hidden row is not measured.
    FillColumn({"ab", "a hidden row with a long text"});
    G->HideRow(2);
    G->AutoSizeCol(1, 0);
    EXPECT_EQ(G->ColWidths(1), Fit("ab"));
    G->UnHideRowsAll();
    // Extra pixels, limits, grow-only and the width event.
    G->AutoSizeCol(1, 6);
    EXPECT_EQ(G->ColWidths(1), Fit("a hidden row with a long text") + 6);
    G->MaxColWidth = 40;
    G->AutoSizeCol(1, 0);
    EXPECT_EQ(G->ColWidths(1), 40);
    G->MaxColWidth = 0;
    G->SetColWidths(1, 500);
    G->AutoSizeGrowOnly = true;
    G->AutoSizeCol(1, 0);
    EXPECT_EQ(G->ColWidths(1), 500);
    G->AutoSizeGrowOnly = false;
    G->OnUpdateColumnSize = [](TObject*, Integer ACol, Integer& AWidth) {
        EXPECT_EQ(ACol, 1);
        AWidth = 77;
    };
    G->AutoSizeCol(1, 0);
    EXPECT_EQ(G->ColWidths(1), 77);
}

TEST_F(FiguresTest, SizingByFixedRowsOnlyMeasuresTheHeader)
{
    G->SetFixedRows(1);
    G->SetCells(1, 0, "id");
    G->SetCells(1, 1, "a long text in the first normal row");
    G->ColumnSize()->Rows = arFixed;
    G->SizeToWidth(1, false);
    // Fixed cells are measured in the fixed font.
    EXPECT_EQ(G->ColWidths(1), 4 + G->GetCellTextSize(1, 0, false, false).X + 2 * G->GridLineWidth() + 2);
    G->ColumnSize()->Rows = arNormal;
    G->SizeToWidth(1, false);
    EXPECT_EQ(G->ColWidths(1),
              4 + TextSize("a long text in the first normal row").X + 2 * G->GridLineWidth() + 2);
}

TEST_F(FiguresTest, ColumnsAfterLoadingAreNeverNarrowerThanTen)
{
    G->Loaded();
    EXPECT_EQ(G->MinColWidth, 10);
    EXPECT_EQ(G->MinRowHeight, G->DefaultRowHeight());
    G->SetFixedCols(1);
    G->SetColWidths(2, 200);
    G->AutoSizeColumns(false, 4);
    EXPECT_EQ(G->ColWidths(0), G->DefaultColWidth()) << "fixed columns stay";
    // An empty column's fit (margins, lines and 2) is below 10: it gets 10, then 4 more.
    ASSERT_LT(4 + 2 * G->GridLineWidth() + 2, 10);
    for (Integer C = 1; C < 5; ++C)
        EXPECT_EQ(G->ColWidths(C), 14) << "empty column " << C;
    G->SetCells(3, 4, "a long text here");
    G->AutoSizeColumns(false, 4);
    EXPECT_EQ(G->ColWidths(3), 4 + TextSize("a long text here").X + 2 * G->GridLineWidth() + 2 + 4);
}

TEST_F(FiguresTest, RowHeightsByLinesAndByTallestCell)
{
    G->SetWordWrap(false);
    const Integer H = TextSize("gh").Y;
    G->SizeToLines(2, 3, 0);
    EXPECT_EQ(G->RowHeights(2), 3 * (H + H / 8));
    G->SizeToLines(2, 1, 5);
    EXPECT_EQ(G->RowHeights(2), H + H / 8 + 5);
    G->MinRowHeight = 40;
    G->SizeToLines(2, 1, 0);
    EXPECT_EQ(G->RowHeights(2), 40);
    G->MinRowHeight = 0;

    // Without word wrap every row gets its most lines.
    G->SetMultilinecells(true);
    G->SetCells(1, 3, "one\r\ntwo\r\nthree");
    G->SetCells(2, 3, "one\r\ntwo");
    G->Notes.clear();
    G->AutoSizeRows(false, 0);
    EXPECT_EQ(G->RowHeights(3), 3 * (H + H / 8));
    EXPECT_EQ(G->RowHeights(4), H + H / 8);
    ASSERT_EQ(G->FixedRows(), 1);
    ASSERT_EQ(G->Notes.size(), static_cast<size_t>(G->RowCount() - 1 + 2));
    EXPECT_EQ(G->Notes.front(), std::make_pair(esExportStart, 1));
    EXPECT_EQ(G->Notes[3], std::make_pair(esExportNextRow, 3));
    EXPECT_EQ(G->Notes.back(), std::make_pair(esExportDone, -1));

    // By the tallest cell: text plus margins and lines; a check box cell is a default row high.
    G->SetMultilinecells(false);
    const Integer OneLine = 4 + TextSize("gh").Y + 2 * G->GridLineWidth();
    G->SetCells(0, 5, "text");
    G->AutoSizeRow(5, 0);
    EXPECT_EQ(G->RowHeights(5), OneLine);
    G->AddCheckBox(3, 5, true, false);
    G->AutoSizeRow(5, 0);
    EXPECT_EQ(G->RowHeights(5), std::max(OneLine, 4 + G->DefaultRowHeight() + 2 * G->GridLineWidth()));
    G->SetRowHeights(5, 90);
    G->AutoSizeGrowOnly = true;
    G->AutoSizeRow(5, 0);
    EXPECT_EQ(G->RowHeights(5), 90);
}

TEST_F(FiguresTest, CellSizingGrowsRowsAndSkipsMergedBlocks)
{
    G->SetWordWrap(false);
    G->SetFixedRows(1);
    G->SetFixedCols(1);
    for (Integer R = 0; R < 10; ++R)
        G->SetRowHeights(R, 10);
    G->SetCells(2, 3, "wide text");
    G->SetCells(3, 4, "a text in a merged block that is very wide");
    G->MergeCells(3, 4, 2, 1);
    G->SetFontSizes(2, 6, G->Font()->Size() + 10);
    G->SetCells(2, 6, "big");
    G->SetRowHeights(7, 80);
    G->AutoSizeCells(false, 0, 0);
    EXPECT_EQ(G->ColWidths(2),
              std::max(TextSize("wide text").X + 2, G->GetCellTextSize(2, 6, false, false).X + 2));
    EXPECT_EQ(G->ColWidths(3), 2) << "the merged text is left out";
    EXPECT_EQ(G->RowHeights(7), 80) << "rows only grow";
    EXPECT_GT(G->RowHeights(6), G->RowHeights(3));
    EXPECT_EQ(G->RowHeights(0), 10) << "fixed row untouched";
    EXPECT_EQ(G->ColWidths(0), G->DefaultColWidth()) << "fixed column untouched";
}

TEST_F(FiguresTest, FittingColumnsIntoTheWidth)
{
    G->SetScrollBars(ssNone);
    G->SetBorderStyle(bsNone);
    G->SetOptions(G->Options() - TGridOptions{goVertLine, goFixedVertLine});
    G->SetFixedCols(1);
    G->SetFixedRightCols(1);
    G->SetColWidths(0, 30);
    G->SetColWidths(4, 70);
    G->SetWidth(500); // 400 pixels of room between the fixed columns
    struct Case {
        const char* Name;
        Integer W1, W2, W3;
        Integer Want1, Want2, Want3;
    };
    const Case Cases[] = {
        {"scaled", 50, 100, 50, 100, 200, 100},
        {"rounding leftover to the widest", 10, 10, 10, 134, 133, 133},
        {"rounding leftover, widest not first", 10, 20, 10, 100, 200, 100},
        // All zero: the room is shared out evenly instead of dividing by nothing.
        {"all zero", 0, 0, 0, 134, 133, 133},
    };
    for (const Case& K : Cases) {
        SCOPED_TRACE(K.Name);
        G->SetColWidths(1, K.W1);
        G->SetColWidths(2, K.W2);
        G->SetColWidths(3, K.W3);
        G->AutoFitColumns(false);
        EXPECT_EQ(G->ColWidths(1), K.Want1);
        EXPECT_EQ(G->ColWidths(2), K.Want2);
        EXPECT_EQ(G->ColWidths(3), K.Want3);
        EXPECT_EQ(G->ColWidths(1) + G->ColWidths(2) + G->ColWidths(3), 400);
        EXPECT_EQ(G->ColWidths(0), 30);
        EXPECT_EQ(G->ColWidths(4), 70);
    }
}

TEST_F(FiguresTest, ControlSizedToItsCells)
{
    G->SetColCount(3);
    G->SetRowCount(4);
    for (Integer C = 0; C < 3; ++C)
        G->SetColWidths(C, 50 + C);
    for (Integer R = 0; R < 4; ++R)
        G->SetRowHeights(R, 20);
    G->SetScrollBars(ssNone);
    G->SizeToCells();
    EXPECT_EQ(G->ClientWidth(), 153);
    EXPECT_EQ(G->ClientHeight(), 80);
    EXPECT_EQ(G->ScrollBars(), ssNone);
}

// ---- Swaps --------------------------------------------------------------------------------------------

TEST_F(FiguresTest, SwappedRowsCarryHiddenCellsAndHeights)
{
    for (Integer C = 0; C < 5; ++C) {
        G->SetCells(C, 2, "a" + std::to_string(C));
        G->SetCells(C, 5, "b" + std::to_string(C));
    }
    G->SetRowHeights(2, 30);
    G->SetRowModified(2, true);
    G->HideColumn(3);
    G->SwapRows(2, 5);
    EXPECT_EQ(G->RowHeights(5), 30);
    EXPECT_EQ(G->RowHeights(2), G->DefaultRowHeight());
    for (Integer C = 0; C < 5; ++C) {
        EXPECT_EQ(G->Cells(C, 2), "b" + std::to_string(C)) << C;
        EXPECT_EQ(G->Cells(C, 5), "a" + std::to_string(C)) << C;
    }
    EXPECT_TRUE(G->GetRowModified(2)) << "per-row lists stay";
    EXPECT_THROW(G->SwapRows(2, 10), ERudUvudError);
}

TEST_F(FiguresTest, SwappedColumnsCarryHiddenRowsWidthsAndTheSortColumn)
{
    for (Integer R = 0; R < 10; ++R) {
        G->SetCells(1, R, "x" + std::to_string(R));
        G->SetCells(3, R, "y" + std::to_string(R));
    }
    G->SetColWidths(1, 33);
    G->SetColWidths(3, 99);
    G->SortSettings()->Column = 3;
    G->HideRow(4);
    G->SwapColumns(1, 3);
    EXPECT_EQ(G->ColWidths(1), 99);
    EXPECT_EQ(G->ColWidths(3), 33);
    EXPECT_EQ(G->SortSettings()->Column, 1);
    G->UnHideRowsAll();
    for (Integer R = 0; R < 10; ++R) {
        EXPECT_EQ(G->Cells(1, R), "y" + std::to_string(R)) << R;
        EXPECT_EQ(G->Cells(3, R), "x" + std::to_string(R)) << R;
    }
    EXPECT_THROW(G->SwapColumns(1, 5), ERudUvudError);
}

} // namespace
