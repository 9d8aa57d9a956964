// The grid's model and geometry: sizes and offsets, the sparse cell store, row and column views,
// cell rectangles and hit testing at several scroll positions, scroll bars, painting.

#include "FormsTestSupport.h"

#include "platform/forms/Grids.h"
#include "platform/rtl/Random.h"

#include <random>

using uitest::PixelAt;
using uitest::PumpUntilIdle;

namespace {

// The services the grids built on this one call, opened for the tests.
struct TOpenGrid : TStringGrid {
    using TCustomGrid::DeleteColumn;
    using TCustomGrid::DeleteRow;
    using TStringGrid::TStringGrid;
};

class GridModelTest : public FormsTest {
protected:
    // A borderless grid without scroll bars at the form's corner, so that client coordinates are
    // plain sums of sizes: columns of 64 + 1 line, rows of 24 + 1 line.
    TOpenGrid* MakeGrid(Integer Cols, Integer Rows, Integer W = 400, Integer H = 300)
    {
        Form = MakeForm("Grid", W + 100, H + 100);
        Grid = Add<TOpenGrid>(Form, "Grid", 0, 0, W, H);
        Grid->SetBorderStyle(bsNone);
        Grid->SetScrollBars(ssNone);
        Grid->SetColCount(Cols);
        Grid->SetRowCount(Rows);
        Form->Show();
        PumpUntilIdle();
        return Grid;
    }
    TForm* Form = nullptr;
    TOpenGrid* Grid = nullptr;
};

} // namespace

// ---- Sizes and offsets ---------------------------------------------------------------------------

// The Fenwick tree must answer exactly what summing the sizes answers, through growth one item
// at a time, shrinking, single changes, moves and a change of line width.
TEST(GridAxisTest, OffsetsAndHitTestingMatchPlainSums)
{
    std::mt19937 Rng(7);
    TGridAxis Axis;
    std::vector<Integer> Sizes;
    Integer Line = 1;
    Axis.SetLineWidth(Line);
    auto Check = [&](const char* Step) {
        ASSERT_EQ(Axis.Count(), static_cast<Integer>(Sizes.size())) << Step;
        Int64 Sum = 0;
        for (Integer I = 0; I <= Axis.Count(); ++I) {
            ASSERT_EQ(Axis.Offset(I), Sum) << Step << " offset of " << I;
            if (I < Axis.Count())
                Sum += std::max(0, Sizes[I] + Line);
        }
        // CountFitting(P): how many leading items end at or before P.
        for (Int64 P : {Int64(-1), Int64(0), Int64(1), Sum / 3, Sum / 2, Sum - 1, Sum, Sum + 50}) {
            Integer Expected = 0;
            Int64 End = 0;
            for (Integer I = 0; I < Axis.Count(); ++I) {
                End += std::max(0, Sizes[I] + Line);
                if (End <= P)
                    Expected = I + 1;
                else
                    break;
            }
            ASSERT_EQ(Axis.CountFitting(P), P < 0 ? 0 : Expected) << Step << " at " << P;
        }
    };

    for (int I = 0; I < 37; ++I) {
        Sizes.push_back(static_cast<Integer>(Rng() % 40));
        Axis.Resize(static_cast<Integer>(Sizes.size()), Sizes.back());
        if (Axis.Size(I) != Sizes.back())
            Axis.SetSize(I, Sizes.back());
    }
    Check("grown one by one");
    Sizes.resize(20);
    Axis.Resize(20, 5);
    Check("shrunk");
    Sizes.resize(29, 11);
    Axis.Resize(29, 11);
    Check("grown with a default");
    for (int K = 0; K < 10; ++K) {
        const Integer I = static_cast<Integer>(Rng() % Sizes.size());
        Sizes[I] = static_cast<Integer>(Rng() % 50) - 2; // zero and negative sizes too
        Axis.SetSize(I, Sizes[I]);
    }
    Check("single changes");
    for (auto [From, To] : {std::pair{3, 17}, std::pair{25, 0}, std::pair{28, 27}}) {
        const Integer V = Sizes[From];
        Sizes.erase(Sizes.begin() + From);
        Sizes.insert(Sizes.begin() + To, V);
        Axis.Move(From, To);
        Check("moved");
    }
    Line = 0;
    Axis.SetLineWidth(0);
    Check("no lines");
}

// The same over many blocks, with the insertions, removals and far moves that rows hidden and
// shown one at a time make, checked against a plain vector after every step.
TEST(GridAxisTest, ManyBlocksFollowInsertionsRemovalsAndFarMoves)
{
    std::mt19937 Rng(11);
    TGridAxis Axis;
    std::vector<Integer> Sizes;
    const Integer Line = 1;
    Axis.SetLineWidth(Line);
    auto Check = [&](int Step) {
        ASSERT_EQ(Axis.Count(), static_cast<Integer>(Sizes.size())) << Step;
        Int64 Sum = 0;
        for (Integer I = 0; I <= Axis.Count(); ++I) {
            ASSERT_EQ(Axis.Offset(I), Sum) << Step << " offset of " << I;
            if (I < Axis.Count()) {
                ASSERT_EQ(Axis.Size(I), Sizes[I]) << Step << " size of " << I;
                Sum += std::max(0, Sizes[I] + Line);
            }
        }
        for (int K = 0; K < 20; ++K) {
            const Int64 P = Sum ? static_cast<Int64>(Rng() % static_cast<unsigned>(Sum + 10)) : 0;
            Integer Expected = 0;
            Int64 End = 0;
            for (Integer I = 0; I < Axis.Count(); ++I) {
                End += std::max(0, Sizes[I] + Line);
                if (End > P)
                    break;
                Expected = I + 1;
            }
            ASSERT_EQ(Axis.CountFitting(P), Expected) << Step << " at " << P;
        }
    };
    Sizes.assign(1500, 20);
    Axis.Reset(1500, 20);
    for (int Step = 0; Step < 300; ++Step) {
        const Integer N = static_cast<Integer>(Sizes.size());
        const Integer I = static_cast<Integer>(Rng() % static_cast<unsigned>(N));
        switch (Rng() % 7) {
        case 0:
        case 1: {
            const Integer V = static_cast<Integer>(Rng() % 40) - 1;
            const Integer At = static_cast<Integer>(Rng() % static_cast<unsigned>(N + 1));
            Sizes.insert(Sizes.begin() + At, V);
            Axis.Insert(At, V);
            break;
        }
        case 2:
            if (N > 1) {
                Sizes.erase(Sizes.begin() + I);
                Axis.Delete(I, 1);
            }
            break;
        case 3: {
            const Integer To = static_cast<Integer>(Rng() % static_cast<unsigned>(N));
            const Integer V = Sizes[I];
            Sizes.erase(Sizes.begin() + I);
            Sizes.insert(Sizes.begin() + To, V);
            Axis.Move(I, To);
            break;
        }
        case 4:
            Sizes[I] = static_cast<Integer>(Rng() % 60);
            Axis.SetSize(I, Sizes[I]);
            break;
        case 5: {
            const Integer C = std::min<Integer>({N - I, N - 1, static_cast<Integer>(Rng() % 300)});
            Sizes.erase(Sizes.begin() + I, Sizes.begin() + I + C);
            Axis.Delete(I, C);
            break;
        }
        default: {
            const Integer NewCount = std::max<Integer>(1, N + static_cast<Integer>(Rng() % 601) - 300);
            Sizes.resize(static_cast<size_t>(NewCount), 13);
            Axis.Resize(NewCount, 13);
            break;
        }
        }
        Check(Step);
    }
}

TEST(GridAxisTest, TieredArrayKeepsOrderThroughEveryEdit)
{
    std::mt19937 Rng(5);
    TTieredArray<int> A;
    std::vector<int> V;
    int Next = 0;
    for (int Step = 0; Step < 3000; ++Step) {
        const Integer N = static_cast<Integer>(V.size());
        switch (Rng() % 6) {
        case 0:
        case 1: {
            const Integer At = static_cast<Integer>(Rng() % static_cast<unsigned>(N + 1));
            V.insert(V.begin() + At, Next);
            A.Insert(At, Next++);
            break;
        }
        case 2:
            if (N) {
                const Integer At = static_cast<Integer>(Rng() % static_cast<unsigned>(N));
                const int Out = A.Erase(At);
                ASSERT_EQ(Out, V[At]);
                V.erase(V.begin() + At);
            }
            break;
        case 3:
            if (N) {
                const Integer F = static_cast<Integer>(Rng() % static_cast<unsigned>(N));
                const Integer T = static_cast<Integer>(Rng() % static_cast<unsigned>(N));
                const int X = V[F];
                V.erase(V.begin() + F);
                V.insert(V.begin() + T, X);
                A.Move(F, T);
            }
            break;
        case 4:
            if (N > 2) {
                Integer F = static_cast<Integer>(Rng() % static_cast<unsigned>(N));
                Integer L = static_cast<Integer>(Rng() % static_cast<unsigned>(N));
                if (F > L)
                    std::swap(F, L);
                const Integer M = F + (L - F) / 3;
                std::rotate(V.begin() + F, V.begin() + M, V.begin() + L);
                A.Rotate(F, M, L);
            }
            break;
        default: {
            const Integer NewCount = static_cast<Integer>(Rng() % 700);
            V.resize(static_cast<size_t>(NewCount), 0);
            A.Resize(NewCount);
            break;
        }
        }
        ASSERT_EQ(A.Count(), static_cast<Integer>(V.size())) << Step;
        for (Integer I = 0; I < A.Count(); ++I)
            ASSERT_EQ(A[I], V[I]) << Step << " at " << I;
    }
}

// ---- Cell store ---------------------------------------------------------------------------------------

TEST_F(GridModelTest, DataBeyondTheCountsSurvivesShrinkingAndGrowing)
{
    MakeGrid(5, 10);
    Grid->SetCells(4, 9, "far corner");
    Grid->SetCells(1, 1, "near");
    TObject Tag;
    Grid->SetObjects(3, 8, &Tag);
    Grid->SetCells(12, 2, "hidden column"); // written beyond ColCount from the start

    Grid->SetColCount(2);
    Grid->SetRowCount(3);
    EXPECT_EQ(Grid->ColCount(), 2);
    EXPECT_EQ(Grid->RowCount(), 3);
    EXPECT_EQ(Grid->Cells(4, 9), "far corner") << "cells past the counts stay readable";
    EXPECT_EQ(Grid->Objects(3, 8), &Tag);
    EXPECT_EQ(Grid->Rows(1)->Count(), 2) << "a row view covers ColCount cells";

    Grid->SetColCount(13);
    Grid->SetRowCount(10);
    EXPECT_EQ(Grid->Cells(4, 9), "far corner") << "growing again shows the old data";
    EXPECT_EQ(Grid->Cells(1, 1), "near");
    EXPECT_EQ(Grid->Cells(12, 2), "hidden column");
    EXPECT_EQ(Grid->Cells(7, 7), "");
    EXPECT_EQ(Grid->Objects(7, 7), nullptr);

    // Counts never drop below one, and fixed counts follow them down.
    Grid->SetRowCount(0);
    EXPECT_EQ(Grid->RowCount(), 1);
    EXPECT_EQ(Grid->FixedRows(), 0);

    EXPECT_THROW(Grid->Cells(-1, 0), EInvalidGridOperation);
    EXPECT_THROW(Grid->SetCells(0, -3, "x"), EInvalidGridOperation);
    EXPECT_THROW(Grid->SetObjects(-1, -1, nullptr), EInvalidGridOperation);
}

TEST_F(GridModelTest, RowAndColumnViewsReadAndWriteCellsAndObjects)
{
    MakeGrid(4, 3);
    TObject A, B;
    TStringList Source;
    Source.AddObject("a", &A);
    Source.AddObject("b", &B);
    Grid->SetCells(2, 1, "old");
    Grid->SetCells(3, 1, "old too");
    Grid->Rows(1)->Assign(&Source);
    EXPECT_EQ(Grid->Cells(0, 1), "a");
    EXPECT_EQ(Grid->Objects(1, 1), &B);
    EXPECT_EQ(Grid->Cells(2, 1), "") << "cells the source does not reach become empty";
    EXPECT_EQ(Grid->Cells(3, 1), "");
    EXPECT_EQ(Grid->Rows(1)->Text(), "a\r\nb\r\n\r\n\r\n");

    // The other direction: a list takes a column's texts and objects.
    Grid->SetCells(1, 0, "top");
    TStringList Copy;
    Copy.Assign(Grid->Cols(1));
    ASSERT_EQ(Copy.Count(), 3);
    EXPECT_EQ(Copy.Strings(0), "top");
    EXPECT_EQ(Copy.Strings(1), "b");
    EXPECT_EQ(Copy.Objects(1), &B);

    // A row copied onto another through the views, as the grids built on this one do.
    Grid->SetRows(2, Grid->Rows(1));
    EXPECT_EQ(Grid->Cells(1, 2), "b");
    EXPECT_EQ(Grid->Objects(0, 2), &A);

    // Add fills the first empty cell; inserting and deleting are refused.
    Grid->Cols(3)->Clear();
    EXPECT_EQ(Grid->Cols(3)->Add("x"), 0);
    EXPECT_EQ(Grid->Cols(3)->Add("y"), 1);
    EXPECT_EQ(Grid->Cells(3, 1), "y");
    EXPECT_THROW(Grid->Cols(3)->Delete(0), EInvalidGridOperation);
    EXPECT_THROW(Grid->Rows(0)->Insert(0, "z"), EInvalidGridOperation);
    EXPECT_THROW(Grid->Rows(0)->Strings(4), EInvalidGridOperation);
}

TEST_F(GridModelTest, MovingAndDeletingCarryTextsObjectsAndHiddenColumns)
{
    MakeGrid(3, 6);
    TObject Tag;
    for (Integer R = 0; R < 6; ++R)
        Grid->SetCells(1, R, "r" + std::to_string(R));
    Grid->SetObjects(1, 2, &Tag);
    Grid->SetCells(5, 2, "beyond"); // a column past ColCount moves with its row
    std::vector<std::pair<Integer, Integer>> Moves;
    Grid->OnRowMoved = [&](TObject*, Integer F, Integer T) { Moves.push_back({F, T}); };

    // Deleting row 2 moves it to the end and drops it from the count: its data stays there.
    Grid->SetRow(4);
    Grid->DeleteRow(2);
    EXPECT_EQ(Grid->RowCount(), 5);
    EXPECT_EQ(Grid->Cells(1, 2), "r3");
    EXPECT_EQ(Grid->Cells(1, 4), "r5");
    EXPECT_EQ(Grid->Cells(1, 5), "r2");
    EXPECT_EQ(Grid->Objects(1, 5), &Tag);
    EXPECT_EQ(Grid->Cells(5, 5), "beyond");
    EXPECT_EQ(Grid->Row(), 3) << "the current row follows its data";
    EXPECT_EQ(Moves, (std::vector<std::pair<Integer, Integer>>{{2, 5}}));

    Grid->SetCells(0, 1, "c0");
    Grid->SetCells(2, 1, "c2");
    Grid->DeleteColumn(0);
    EXPECT_EQ(Grid->ColCount(), 2);
    EXPECT_EQ(Grid->Cells(0, 2), "r3");
    EXPECT_EQ(Grid->Cells(1, 1), "c2");
    EXPECT_EQ(Grid->Cells(2, 1), "c0") << "the deleted column waits past the count";
    EXPECT_EQ(Grid->Cells(5, 5), "beyond") << "a column outside the moved range stays put";

    EXPECT_THROW(Grid->DeleteRow(9), EInvalidGridOperation);
    Grid->SetColCount(1);
    EXPECT_EQ(Grid->FixedCols(), 0);
    EXPECT_THROW(Grid->DeleteColumn(0), EInvalidGridOperation);
}

TEST_F(GridModelTest, FixedCountsAndIndexesAreRangeChecked)
{
    MakeGrid(5, 5);
    try {
        Grid->SetFixedRows(5);
        ADD_FAILURE() << "no exception";
    } catch (const EInvalidGridOperation& E) {
        EXPECT_EQ(E.Message(), SFixedRowTooBig);
    }
    EXPECT_THROW(Grid->SetFixedCols(7), EInvalidGridOperation);
    EXPECT_THROW(Grid->SetFixedCols(-1), EInvalidGridOperation);
    try {
        Grid->SetRow(5);
        ADD_FAILURE() << "no exception";
    } catch (const EInvalidGridOperation& E) {
        EXPECT_EQ(E.Message(), SGridIndexOutOfRange);
    }
    EXPECT_THROW(Grid->SetColWidths(-1, 10), EInvalidGridOperation);
    EXPECT_EQ(Grid->ColWidths(40), 64) << "beyond the count the default width answers";
    Grid->SetTopRow(99);
    EXPECT_EQ(Grid->TopRow(), 4) << "the view stays inside the rows";
    Grid->SetTopRow(0);
    EXPECT_EQ(Grid->TopRow(), 1) << "and below the fixed ones";

    // Raising the fixed counts moves the current cell out of the fixed area.
    Grid->SetFixedRows(3);
    Grid->SetFixedCols(2);
    EXPECT_EQ(Grid->Row(), 3);
    EXPECT_EQ(Grid->Col(), 2);
    EXPECT_EQ(Grid->TopRow(), 3);
    EXPECT_EQ(Grid->LeftCol(), 2);
}

// ---- Geometry -----------------------------------------------------------------------------------------

TEST_F(GridModelTest, CellRectMouseToCellAndVisibleCountsAtSeveralScrollPositions)
{
    MakeGrid(10, 100); // client 400 x 300
    struct Case {
        Integer TopRow, LeftCol;
        Integer Col, Row;
        TRect Expected; // empty when out of view
        Integer VisibleRows, VisibleCols;
    };
    const Case Cases[] = {
        {1, 1, 1, 1, {65, 25, 129, 49}, 11, 5},
        {1, 1, 0, 0, {0, 0, 64, 24}, 11, 5},
        {1, 1, 5, 11, {325, 275, 389, 299}, 11, 5},
        {1, 1, 6, 12, {390, 300, 400, 300}, 11, 5}, // a row starting at the bottom edge is out
        {50, 1, 1, 50, {65, 25, 129, 49}, 11, 5},
        {50, 1, 1, 49, {}, 11, 5},               // scrolled away under the fixed row
        {50, 1, 0, 50, {0, 25, 64, 49}, 11, 5},  // fixed column at the scrolled row
        {50, 1, 3, 0, {195, 0, 259, 24}, 11, 5}, // fixed row at a scrolled column
        {50, 4, 6, 60, {195, 275, 259, 299}, 11, 5},
        {50, 4, 9, 55, {390, 150, 400, 174}, 11, 5}, // cut by the right edge
        {95, 6, 1, 97, {}, 5, 4},
        {95, 6, 7, 99, {130, 125, 194, 149}, 5, 4}, // near the end fewer rows and columns remain
    };
    for (const Case& C : Cases) {
        Grid->SetTopRow(C.TopRow);
        Grid->SetLeftCol(C.LeftCol);
        SCOPED_TRACE("top " + std::to_string(C.TopRow) + " left " + std::to_string(C.LeftCol) + " cell " +
                     std::to_string(C.Col) + "," + std::to_string(C.Row));
        const TRect R = Grid->CellRect(C.Col, C.Row);
        if (C.Expected.Right == 0 || C.Expected.Top >= 300) {
            EXPECT_EQ(R, TRect{});
        } else {
            EXPECT_EQ(R, C.Expected);
            Integer Col = -2, Row = -2;
            Grid->MouseToCell(R.Left, R.Top, Col, Row);
            EXPECT_EQ(Col, C.Col);
            EXPECT_EQ(Row, C.Row);
            Grid->MouseToCell(R.Right - 1, R.Bottom - 1, Col, Row);
            EXPECT_EQ(Col, C.Col);
            EXPECT_EQ(Row, C.Row);
        }
        EXPECT_EQ(Grid->VisibleRowCount(), C.VisibleRows);
        EXPECT_EQ(Grid->VisibleColCount(), C.VisibleCols);
    }

    // Past the last cell there is no cell.
    MakeGrid(3, 4);
    Integer Col = 0, Row = 0;
    Grid->MouseToCell(300, 10, Col, Row);
    EXPECT_EQ(Col, -1);
    EXPECT_EQ(Row, -1);
    Grid->MouseToCell(10, 200, Col, Row);
    EXPECT_EQ(Row, -1);
    EXPECT_EQ(Grid->MouseCoord(70, 30), (TGridCoord{1, 1}));
}

TEST_F(GridModelTest, GeometryFollowsSizesLineWidthAndFixedCounts)
{
    MakeGrid(6, 6);
    Grid->SetColWidths(1, 100);
    Grid->SetRowHeights(2, 40);
    EXPECT_EQ(Grid->CellRect(2, 3), (TRect{166, 91, 230, 115}));
    Grid->SetGridLineWidth(0); // as the grids that draw their own lines keep it
    EXPECT_EQ(Grid->CellRect(2, 3), (TRect{164, 88, 228, 112}));
    EXPECT_EQ(Grid->MouseCoord(164, 88), (TGridCoord{2, 3}));
    EXPECT_EQ(Grid->MouseCoord(163, 87), (TGridCoord{1, 2}));
    Grid->SetDefaultRowHeight(10);
    EXPECT_EQ(Grid->RowHeights(2), 10) << "a new default resets every row";
    Grid->SetFixedRows(0);
    Grid->SetFixedCols(0);
    EXPECT_EQ(Grid->CellRect(0, 0), (TRect{0, 0, 64, 10}));
    EXPECT_EQ(Grid->GridHeight(), 60);
}

// ---- Scroll bars ------------------------------------------------------------------------------------

TEST_F(GridModelTest, ScrollBarsRunOnA0To127Scale)
{
    MakeGrid(5, 1000);
    Grid->SetScrollBars(ssVertical);
    PumpUntilIdle();
    const HWND H = Grid->Handle();
    SCROLLINFO Si;
    Si.fMask = SIF_ALL;
    ASSERT_TRUE(GetScrollInfo(H, SB_VERT, &Si));
    EXPECT_EQ(Si.nMin, 0);
    EXPECT_EQ(Si.nMax, 127);
    EXPECT_EQ(Si.nPos, 0);

    const Integer Visible = Grid->VisibleRowCount();
    const Integer Range = 1000 - Visible - 1;
    SendMessage(H, WM_VSCROLL, MAKEWPARAM(SB_THUMBPOSITION, 64), 0);
    EXPECT_EQ(Grid->TopRow(), MulDiv(64, Range, 127) + 1);
    EXPECT_EQ(GetScrollPos(H, SB_VERT), MulDiv(Grid->TopRow() - 1, 127, Range));

    const Integer Top = Grid->TopRow();
    SendMessage(H, WM_VSCROLL, MAKEWPARAM(SB_THUMBTRACK, 100), 0);
    EXPECT_EQ(Grid->TopRow(), Top) << "the thumb is tracked only with goThumbTracking";
    Grid->SetOptions(Grid->Options() + TGridOptions{goThumbTracking});
    SendMessage(H, WM_VSCROLL, MAKEWPARAM(SB_THUMBTRACK, 100), 0);
    EXPECT_EQ(Grid->TopRow(), MulDiv(100, Range, 127) + 1);

    const Integer Before = Grid->TopRow();
    SendMessage(H, WM_VSCROLL, SB_LINEDOWN, 0);
    EXPECT_EQ(Grid->TopRow(), Before + 1);
    SendMessage(H, WM_VSCROLL, SB_PAGEUP, 0);
    EXPECT_EQ(Grid->TopRow(), Before + 1 - Visible);
    SendMessage(H, WM_VSCROLL, SB_BOTTOM, 0);
    EXPECT_EQ(Grid->TopRow(), 1000 - Visible);
    EXPECT_EQ(GetScrollPos(H, SB_VERT), 127);
    SendMessage(H, WM_VSCROLL, SB_LINEDOWN, 0);
    EXPECT_EQ(Grid->TopRow(), 1000 - Visible) << "scrolling stops at the last full page";
    SendMessage(H, WM_VSCROLL, SB_TOP, 0);
    EXPECT_EQ(Grid->TopRow(), 1);

    // A grid that fits needs no bar.
    Grid->SetRowCount(3);
    PumpUntilIdle();
    Si.fMask = SIF_RANGE;
    GetScrollInfo(H, SB_VERT, &Si);
    EXPECT_EQ(Si.nMax, 0);
}

// ---- Painting -----------------------------------------------------------------------------------------

TEST_F(GridModelTest, PaintDrawsEachVisibleCellOnceWhateverTheRowCount)
{
    struct Drawn {
        Integer Col, Row;
        TGridDrawState State;
    };
    auto PaintAt = [&](Integer Rows, Integer Top) {
        MakeGrid(20, Rows);
        Grid->SetTopRow(Top);
        PumpUntilIdle();
        std::vector<Drawn> Log;
        Grid->OnDrawCell = [&](TObject*, Integer C, Integer R, TRect, TGridDrawState S) {
            Log.push_back({C, R, S});
        };
        Grid->Repaint();
        Grid->OnDrawCell = nullptr;
        return Log;
    };
    const auto Small = PaintAt(100, 1);
    const auto Huge = PaintAt(100000, 50000);
    // 7 columns (6 full + the one cut at the edge), 12 rows, fixed ones included.
    EXPECT_EQ(Small.size(), 7u * 12u);
    EXPECT_EQ(Huge.size(), Small.size());
    Integer Fixed = 0, Focused = 0;
    for (const Drawn& D : Huge) {
        EXPECT_TRUE(D.Row == 0 || (D.Row >= 50000 && D.Row <= 50010)) << D.Row;
        Fixed += D.State.Contains(gdFixed) ? 1 : 0;
        Focused += D.State.Contains(gdFocused) ? 1 : 0;
    }
    EXPECT_EQ(Fixed, 7 + 11);
    EXPECT_EQ(Focused, 0) << "the current cell (1, 1) is scrolled away";
}

TEST_F(GridModelTest, DefaultDrawingFillsCellsAndOnDrawCellComesAfterIt)
{
    MakeGrid(5, 5);
    Grid->SetOptions(Grid->Options() + TGridOptions{goRangeSelect});
    Grid->SetSelection(TGridRect{1, 1, 2, 2});
    std::vector<std::pair<Integer, Integer>> Painted;
    Grid->OnDrawCell = [&](TObject* S, Integer C, Integer R, TRect Rect, TGridDrawState State) {
        if (C == 3 && R == 3) {
            auto* G = static_cast<TStringGrid*>(S);
            G->Canvas()->Brush()->SetColor(clRed);
            G->Canvas()->FillRect(Rect);
        }
        if (State.Contains(gdFocused))
            Painted.push_back({C, R});
    };
    Grid->Repaint();
    PumpUntilIdle();
    const HWND H = Grid->Handle();
    EXPECT_EQ(PixelAt(H, 3 * 65 + 10, 3 * 25 + 10), clRed) << "the event paints over the default drawing";
    EXPECT_EQ(PixelAt(H, 65 + 30, 25 + 12), GetSysColor(COLOR_HIGHLIGHT)) << "selected, not focused";
    EXPECT_EQ(PixelAt(H, 2 * 65 + 30, 2 * 25 + 12), GetSysColor(COLOR_WINDOW)) << "focused: not highlighted";
    EXPECT_EQ(PixelAt(H, 10, 10), GetSysColor(COLOR_BTNFACE)) << "fixed cell";
    EXPECT_EQ(PixelAt(H, 64, 60), clBlack) << "line of the fixed column";
    EXPECT_EQ(PixelAt(H, 129, 60), clSilver) << "line between scrolled cells";
    EXPECT_EQ(PixelAt(H, 350, 200), GetSysColor(COLOR_WINDOW)) << "past the last cell";
    EXPECT_EQ(Painted, (std::vector<std::pair<Integer, Integer>>{{2, 2}}))
        << "the focused cell is the current one";

    // Without default drawing the grid leaves the cells to the program.
    Grid->SetCells(4, 4, "text");
    Grid->SetDefaultDrawing(false);
    Grid->OnDrawCell = [](TObject* S, Integer, Integer, TRect Rect, TGridDrawState) {
        auto* G = static_cast<TStringGrid*>(S);
        G->Canvas()->Brush()->SetColor(clLime);
        G->Canvas()->FillRect(Rect);
    };
    Grid->Repaint();
    PumpUntilIdle();
    for (Integer Y = 100; Y < 124; Y += 3)
        for (Integer X = 260; X < 324; X += 3)
            ASSERT_EQ(PixelAt(H, X, Y), clLime) << "no text drawn at " << X << "," << Y;
}

// The options setter repaints through the virtual Invalidate, so that a grid built on this one
// can hold the repaint back.
TEST_F(GridModelTest, OptionsRepaintThroughTheVirtualInvalidate)
{
    struct TCountingGrid : TStringGrid {
        using TStringGrid::TStringGrid;
        int Count = 0;
        void Invalidate() override { ++Count; }
    };
    TForm* F = MakeForm("Counting");
    auto* G = Add<TCountingGrid>(F, "G", 0, 0, 200, 100);
    F->Show();
    PumpUntilIdle();
    G->Count = 0;
    G->SetOptions(G->Options() + TGridOptions{goRowSelect});
    EXPECT_GE(G->Count, 1);
    EXPECT_EQ(G->Selection(), (TGridRect{1, 1, 4, 1})) << "a row selection spans the scrollable columns";
}
