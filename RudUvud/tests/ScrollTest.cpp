// Scroll bars and scrolling of the grid: thumb hints, the search footer's stop, the cell scroll
// bar, proportional thumbs, drag scrolling, the flat bars and their look.

#include "RudUvud/tests/GridTestSupport.h"

#include "platform/forms/ExtCtrls.h"
#include "platform/rtl/Conversions.h"
#include "platform/win/CommCtrl.h"
#include "platform/win/UxTheme.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

using gridtest::NewForm;
using gridtest::NewShownGrid;

LRESULT SendScroll(TDidAririzEvar* G, UINT Msg, int Code, int Pos = 0, LPARAM Bar = 0)
{
    return G->Perform(Msg, MAKEWPARAM(Code, Pos), Bar);
}

SCROLLINFO BarInfo(TDidAririzEvar* G, int Bar)
{
    SCROLLINFO Si;
    Si.fMask = SIF_ALL;
    ::GetScrollInfo(G->Handle(), Bar, &Si);
    return Si;
}

class ScrollTest : public ::testing::Test {
protected:
    void SetUp() override { Form = NewForm(); }
    void TearDown() override
    {
        ResetLibraryTable();
        Form->Free();
    }
    TForm* Form = nullptr;
};

// ---- Scroll hints ------------------------------------------------------------------------------------

TEST_F(ScrollTest, ThumbTrackShowsTheCellTheThumbReachesAndEndScrollHidesIt)
{
    TDidAririzEvar* G = NewShownGrid(Form, 30, 40);
    G->SetFixedRows(3);
    G->SetFixedCols(1);
    G->SetScrollHints(shHorizontal);
    for (int Pos : {0, 40, 64, 127}) {
        SendScroll(G, WM_HSCROLL, SB_THUMBTRACK, Pos);
        const Integer N = MulDiv(Pos, G->ColCount() - G->VisibleColCount() - 1, 127) + 1;
        EXPECT_EQ(G->ScrollHintWindow()->Caption(), "Col : " + IntToStr(N)) << Pos;
        EXPECT_TRUE(G->ScrollHintShown());
        EXPECT_TRUE(G->ScrollHintWindow()->HandleAllocated());
    }
    SendScroll(G, WM_HSCROLL, SB_ENDSCROLL);
    EXPECT_FALSE(G->ScrollHintShown());
    EXPECT_FALSE(G->ScrollHintWindow()->HandleAllocated());

    // Only the directions asked for show a hint; the event may change the text.
    SendScroll(G, WM_VSCROLL, SB_THUMBTRACK, 64);
    EXPECT_FALSE(G->ScrollHintShown());
    G->SetScrollHints(shBoth);
    Integer Seen = -1;
    G->OnScrollHint = [&](TObject*, Integer ARow, AnsiString& S) {
        Seen = ARow;
        S = "Row " + IntToStr(ARow) + " of " + IntToStr(G->RowCount());
    };
    SendScroll(G, WM_VSCROLL, SB_THUMBTRACK, 64);
    const Integer N = MulDiv(64, G->RowCount() - G->VisibleRowCount() - 3, 127) + 3;
    EXPECT_EQ(Seen, N);
    EXPECT_EQ(G->ScrollHintWindow()->Caption(), "Row " + IntToStr(N) + " of 40");
    EXPECT_EQ(G->ScrollHintWindow()->Color(), G->HintColor());
    SendScroll(G, WM_VSCROLL, SB_ENDSCROLL);
    EXPECT_FALSE(G->ScrollHintShown());
}

TEST_F(ScrollTest, SynchronousScrollingMovesTheCellsWhileTheThumbIsDragged)
{
    TDidAririzEvar* G = NewShownGrid(Form, 30, 200);
    SendScroll(G, WM_VSCROLL, SB_THUMBTRACK, 64);
    EXPECT_EQ(G->TopRow(), 1);
    G->SetScrollSynch(true);
    SendScroll(G, WM_VSCROLL, SB_THUMBTRACK, 64);
    EXPECT_EQ(G->TopRow(), G->ScrollPosToCell(64, false));
    SendScroll(G, WM_HSCROLL, SB_THUMBTRACK, 127);
    EXPECT_EQ(G->LeftCol(), G->ScrollPosToCell(127, true));
    EXPECT_GT(G->LeftCol(), 1);
}

// ---- Search footer --------------------------------------------------------------------------------------

class SearchFooterScrollTest : public ScrollTest {
protected:
    TDidAririzEvar* FooterGrid(Integer Rows)
    {
        TDidAririzEvar* G = New<TDidAririzEvar>(Form);
        G->SearchFooter()->SetVisible(true);
        G->SetParent(Form);
        G->SetBounds(0, 0, 600, 400);
        G->SetRowCount(Rows);
        uitest::PumpUntilIdle();
        return G;
    }
};

TEST_F(SearchFooterScrollTest, LastRowAboveThePanelStopsLineDownAndEndScroll)
{
    TDidAririzEvar* G = FooterGrid(10);
    ASSERT_TRUE(G->IsScrolledToLastRow());
    for (int Code : {SB_LINEDOWN, SB_ENDSCROLL}) {
        EXPECT_EQ(SendScroll(G, WM_VSCROLL, Code), 1) << Code;
        EXPECT_EQ(G->TopRow(), 1);
    }
    // Without the footer the same grid answers false and scrolls as usual.
    G->SearchFooter()->SetVisible(false);
    EXPECT_FALSE(G->IsScrolledToLastRow());
    EXPECT_EQ(SendScroll(G, WM_VSCROLL, SB_LINEDOWN), 0);
}

TEST_F(SearchFooterScrollTest, LineDownAtTheEndBringsTheLastRowAboveThePanel)
{
    TDidAririzEvar* G = FooterGrid(100);
    EXPECT_FALSE(G->IsScrolledToLastRow());
    // Row by row to the end of the platform grid's range, then past it until the last row
    // clears the panel.
    for (int I = 0; I < 200 && !G->IsScrolledToLastRow(); ++I)
        SendScroll(G, WM_VSCROLL, SB_LINEDOWN);
    ASSERT_TRUE(G->IsScrolledToLastRow());
    const TRect R = G->CellRect(G->Col(), G->RowCount() - 1);
    EXPECT_LE(R.Bottom, G->ClientRect().Bottom - 32 + 2);
    const Integer Top = G->TopRow();
    EXPECT_EQ(SendScroll(G, WM_VSCROLL, SB_LINEDOWN), 1);
    EXPECT_EQ(G->TopRow(), Top);
    // A last row below the view is not "scrolled to the last row".
    G->SetTopRow(1);
    EXPECT_FALSE(G->IsScrolledToLastRow());
    G->ScrollToLastRow();
    const TRect R2 = G->CellRect(G->Col(), G->RowCount() - 1);
    EXPECT_GT(R2.Bottom, R2.Top);
    EXPECT_LE(R2.Bottom, G->ClientRect().Bottom - 32 + 2);
    EXPECT_GT(G->TopRow(), G->RowCount() - G->VisibleRowCount() - 1);
}

// ---- Cell scroll bar ------------------------------------------------------------------------------------

TEST_F(ScrollTest, CellScrollBarMessagesMoveItsPositionAndFireTheEventEvenAtTheEnd)
{
    TDidAririzEvar* G = NewShownGrid(Form);
    TScrollBar* SB = G->CellScrollBar();
    ASSERT_NE(SB, nullptr);
    SB->SetParams(50, 0, 100);
    G->SetCellScrollBarCell(2, 3);
    const LPARAM Bar = reinterpret_cast<LPARAM>(SB->Handle());
    struct Fired {
        Integer Col, Row, Pos, Min, Max;
    };
    std::vector<Fired> Events;
    G->OnScrollCell = [&](TObject*, Integer C, Integer R, Integer P, Integer Mn, Integer Mx) {
        Events.push_back({C, R, P, Mn, Mx});
    };
    const Integer Top = G->TopRow();
    struct Step {
        int Code, Pos, Expected;
    };
    const Step Steps[] = {{SB_PAGEDOWN, 0, 60},  {SB_LINEDOWN, 0, 61},    {SB_LINEUP, 0, 60},
                          {SB_PAGEUP, 0, 50},    {SB_THUMBTRACK, 95, 95}, {SB_PAGEDOWN, 0, 100},
                          {SB_PAGEDOWN, 0, 100}, {SB_ENDSCROLL, 0, 100}};
    for (const Step& S : Steps) {
        EXPECT_EQ(SendScroll(G, WM_VSCROLL, S.Code, S.Pos, Bar), 1) << S.Code;
        EXPECT_EQ(SB->Position(), S.Expected) << S.Code;
        ASSERT_FALSE(Events.empty());
        EXPECT_EQ(Events.back().Col, 2);
        EXPECT_EQ(Events.back().Row, 3);
        EXPECT_EQ(Events.back().Pos, S.Expected);
        EXPECT_EQ(Events.back().Min, 0);
        EXPECT_EQ(Events.back().Max, 100);
    }
    EXPECT_EQ(Events.size(), std::size(Steps));
    // The grid itself did not scroll.
    EXPECT_EQ(G->TopRow(), Top);
}

// ---- Proportional thumbs ----------------------------------------------------------------------------------

TEST_F(ScrollTest, ProportionalThumbFollowsThePixelExtents)
{
    TDidAririzEvar* G = NewShownGrid(Form, 5, 100);
    for (Integer R = 10; R < 20; ++R)
        G->SetRowHeights(R, 40);
    G->SetScrollProportional(true);
    G->UpdateVScroller();
    const Integer L = G->GridLineWidth();
    Int64 Total = L, FixedH = L;
    for (Integer R = 0; R < G->RowCount(); ++R)
        (R < G->FixedRows() ? FixedH : Total) += G->RowHeights(R) + L;
    const float Ratio = float(G->Height() - FixedH) / float(Total);
    const int Max = int(std::trunc((Ratio + 127.0f) / (1.0f - Ratio)));
    SCROLLINFO Si = BarInfo(G, SB_VERT);
    EXPECT_EQ(Si.nMax, Max);
    EXPECT_EQ(Si.nPage, UINT(Max - 126));
    // At the top the sum above starts with the grid line width.
    EXPECT_EQ(Si.nPos, int(std::trunc(float(L) / float(Total - G->Height()) * 128.0f)));
    // Further down the position grows with the extent above the top row.
    G->SetTopRow(30);
    G->UpdateVScroller();
    Int64 Above = L;
    for (Integer R = G->FixedRows(); R < 30; ++R)
        Above += G->RowHeights(R) + L;
    Si = BarInfo(G, SB_VERT);
    EXPECT_EQ(Si.nPos, int(std::trunc(float(Above) / float(Total - G->Height()) * 128.0f)));
}

TEST_F(ScrollTest, ProportionalThumbStaysThroughScrollingAndPainting)
{
    TDidAririzEvar* G = NewShownGrid(Form, 5, 100);
    // Switched on, it takes effect at the next update (each paint runs one).
    G->SetScrollProportional(true);
    EXPECT_EQ(BarInfo(G, SB_VERT).nPage, 0u);
    G->Invalidate();
    uitest::PumpUntilIdle();
    const SCROLLINFO First = BarInfo(G, SB_VERT);
    for (Integer Top : {20, 50, 90, 1}) {
        G->SetTopRow(Top);
        uitest::PumpUntilIdle();
        const SCROLLINFO Si = BarInfo(G, SB_VERT);
        EXPECT_TRUE(::GetWindowLong(G->Handle(), GWL_STYLE) & WS_VSCROLL) << Top;
        EXPECT_EQ(Si.nMax, First.nMax) << Top;
        EXPECT_EQ(Si.nPage, First.nPage) << Top;
    }
    EXPECT_GT(First.nPage, 0u);
    // Switched off, the bar goes back to the 0..127 scale without a page.
    G->SetScrollProportional(false);
    uitest::PumpUntilIdle();
    EXPECT_EQ(BarInfo(G, SB_VERT).nPage, 0u);
    EXPECT_EQ(BarInfo(G, SB_VERT).nMax, 127);
}

TEST_F(ScrollTest, ProportionalThumbLeavesFittingBarsAndEmptyTotalsAlone)
{
    TDidAririzEvar* G = NewShownGrid(Form, 3, 5);
    G->SetScrollProportional(true);
    const SCROLLINFO V = BarInfo(G, SB_VERT), H = BarInfo(G, SB_HORZ);
    G->UpdateVScroller();
    G->UpdateHScroller();
    const SCROLLINFO V2 = BarInfo(G, SB_VERT), H2 = BarInfo(G, SB_HORZ);
    EXPECT_EQ(V2.nMax, V.nMax);
    EXPECT_EQ(V2.nPage, V.nPage);
    EXPECT_EQ(V2.nPos, V.nPos);
    EXPECT_EQ(H2.nMax, H.nMax);
    EXPECT_EQ(H2.nPage, H.nPage);
    // Every column fixed and no grid lines: no scrollable extent to divide by.
    G->SetColCount(2);
    G->SetFixedCols(1);
    G->SetColWidths(1, 0);
    G->SetGridLineWidth(0);
    G->SetFixedCols(1);
    G->UpdateHScroller();
    SUCCEED();
}

TEST_F(ScrollTest, ProportionalHorizontalThumbAndItsBarVisibility)
{
    TDidAririzEvar* G = NewShownGrid(Form, 40, 5);
    G->SetScrollProportional(true);
    G->SetLeftCol(10);
    G->UpdateHScroller();
    const Integer L = G->GridLineWidth();
    Int64 Total = L, Left = L;
    for (Integer C = G->FixedCols(); C < G->ColCount(); ++C) {
        Total += G->ColWidths(C) + L;
        if (C < 10)
            Left += G->ColWidths(C) + L;
    }
    const SCROLLINFO Si = BarInfo(G, SB_HORZ);
    EXPECT_EQ(Si.nPos, int(std::trunc(float(Left) / float(Total - G->Width()) * 128.0f)));
    EXPECT_EQ(Si.nPage, UINT(Si.nMax - 126));
    EXPECT_TRUE(::GetWindowLong(G->Handle(), GWL_STYLE) & WS_HSCROLL);
    // A grid offering only the vertical bar loses the horizontal one.
    G->SetScrollBarsEx(ssVertical);
    G->UpdateHScroller();
    EXPECT_FALSE(::GetWindowLong(G->Handle(), GWL_STYLE) & WS_HSCROLL);
}

// ---- Drag scrolling ---------------------------------------------------------------------------------------

TEST_F(ScrollTest, DragNearTopLeftScrollsUpAndLeftTickByTick)
{
    TDidAririzEvar* G = NewShownGrid(Form, 30, 100);
    G->SetTopRow(4);
    G->SetLeftCol(3);
    G->DragScrollOptions()->Active = true;
    bool Accept = false;
    G->DragOver(nullptr, 10, 20, dsDragEnter, Accept);
    TTimer* T = G->DragScrollTimer();
    ASSERT_NE(T, nullptr);
    EXPECT_EQ(T->Interval(), 1000u);
    EXPECT_TRUE(T->Enabled());
    EXPECT_EQ(G->DragScrollDir(), (TDragScrollDirection{dsdUp, dsdLeft}));
    G->DragOver(nullptr, 12, 22, dsDragMove, Accept);
    EXPECT_EQ(G->DragScrollTimer(), T);

    std::vector<std::pair<Integer, Integer>> Seen;
    for (int Tick = 0; Tick < 5; ++Tick) {
        G->DragTimerProc(T);
        Seen.push_back({G->TopRow(), G->LeftCol()});
    }
    const std::vector<std::pair<Integer, Integer>> Expected{{3, 2}, {2, 1}, {1, 1}, {1, 1}, {1, 1}};
    EXPECT_EQ(Seen, Expected);
    EXPECT_EQ(T->Interval(), 250u);

    // A veto stops the move, not the timer.
    G->SetTopRow(10);
    G->OnDragScroll = [](TObject*, Integer, Integer, TDragScrollDirection&, bool& CanScroll) {
        CanScroll = false;
    };
    G->DragTimerProc(T);
    EXPECT_EQ(G->TopRow(), 10);
    EXPECT_EQ(G->DragScrollTimer(), T);
    // The event may turn the direction.
    G->OnDragScroll = [](TObject*, Integer, Integer, TDragScrollDirection& D, bool&) {
        D = TDragScrollDirection{dsdDown};
    };
    G->DragTimerProc(T);
    EXPECT_EQ(G->TopRow(), 11);

    // Out of the margins, and leaving, free the timer.
    G->DragOver(nullptr, 300, 200, dsDragMove, Accept);
    EXPECT_EQ(G->DragScrollTimer(), nullptr);
    G->DragOver(nullptr, G->Width() - 5, G->Height() - 5, dsDragMove, Accept);
    EXPECT_EQ(G->DragScrollDir(), (TDragScrollDirection{dsdDown, dsdRight}));
    ASSERT_NE(G->DragScrollTimer(), nullptr);
    G->DragOver(nullptr, G->Width() - 5, G->Height() - 5, dsDragLeave, Accept);
    EXPECT_EQ(G->DragScrollTimer(), nullptr);
    // Switched off, a drag neither starts one nor keeps one.
    G->DragOver(nullptr, 10, 10, dsDragMove, Accept);
    ASSERT_NE(G->DragScrollTimer(), nullptr);
    G->DragScrollOptions()->Active = false;
    G->DragTimerProc(G->DragScrollTimer());
    EXPECT_EQ(G->DragScrollTimer(), nullptr);
    G->DragOver(nullptr, 10, 10, dsDragMove, Accept);
    EXPECT_EQ(G->DragScrollTimer(), nullptr);
}

TEST_F(ScrollTest, DragTimerRunsOnTheClockAndGoesWithTheGrid)
{
    TDidAririzEvar* G = NewShownGrid(Form, 30, 100);
    G->SetTopRow(20);
    TDragScrollOptions O;
    O.Active = true;
    O.Delays.InitialDelay = 100;
    O.Delays.RepeatDelay = 50;
    G->SetDragScrollOptions(&O);
    EXPECT_EQ(G->DragScrollOptions()->Delays.RepeatDelay, 50);
    bool Accept = false;
    G->DragOver(nullptr, 300, G->Height() - 10, dsDragEnter, Accept);
    uitest::AdvanceTime(90);
    EXPECT_EQ(G->TopRow(), 20);
    uitest::AdvanceTime(10);
    EXPECT_EQ(G->TopRow(), 21);
    uitest::AdvanceTime(100);
    EXPECT_EQ(G->TopRow(), 23);
    // The grid goes during the drag: its timer goes with it.
    G->Free();
    uitest::AdvanceTime(200);
    SUCCEED();
}

// ---- Flat scroll bars -------------------------------------------------------------------------------------

int FlatProp(TDidAririzEvar* G, UINT Index)
{
    int V = -1;
    FlatSB_GetScrollProp(G->Handle(), Index, &V);
    return V;
}

TEST_F(ScrollTest, FlatBarsTakeTypeColourAndWidthAndNormalUninitialisesThem)
{
    TDidAririzEvar* G = NewShownGrid(Form, 30, 100);
    EXPECT_FALSE(G->FlatSBInit());
    // Before the flat bars exist the look setters send nothing.
    G->SetScrollColor(clRed);
    EXPECT_EQ(FlatProp(G, WSB_PROP_VBKGCOLOR), int(CLR_DEFAULT));
    G->SetScrollColor(clNone);
    G->SetScrollType(ssFlat);
    ASSERT_TRUE(G->FlatSBInit());
    EXPECT_EQ(FlatProp(G, WSB_PROP_VSTYLE), FSB_FLAT_MODE);
    EXPECT_EQ(FlatProp(G, WSB_PROP_HSTYLE), FSB_FLAT_MODE);
    // clNone sends no colour.
    EXPECT_EQ(FlatProp(G, WSB_PROP_VBKGCOLOR), int(CLR_DEFAULT));
    G->SetScrollColor(clLime);
    EXPECT_EQ(FlatProp(G, WSB_PROP_VBKGCOLOR), int(clLime));
    EXPECT_EQ(FlatProp(G, WSB_PROP_HBKGCOLOR), int(clLime));
    const Integer ClientW = G->ClientWidth();
    G->SetScrollWidth(30);
    EXPECT_EQ(FlatProp(G, WSB_PROP_CXVSCROLL), 30);
    EXPECT_EQ(FlatProp(G, WSB_PROP_CYHSCROLL), 30);
    EXPECT_EQ(G->ClientWidth(), ClientW - (30 - ::GetSystemMetrics(SM_CXVSCROLL)));
    G->SetScrollType(ssEncarta);
    EXPECT_EQ(FlatProp(G, WSB_PROP_VSTYLE), FSB_ENCARTA_MODE);
    G->SetScrollType(ssNormal);
    EXPECT_FALSE(G->FlatSBInit());
    EXPECT_EQ(FlatProp(G, WSB_PROP_VSTYLE), FSB_REGULAR_MODE);
    EXPECT_EQ(FlatProp(G, WSB_PROP_VBKGCOLOR), int(CLR_DEFAULT));
    EXPECT_EQ(G->ClientWidth(), ClientW);
}

TEST_F(ScrollTest, FlatBarsMirrorTheWindowBars)
{
    TDidAririzEvar* G = NewShownGrid(Form, 30, 100);
    G->SetScrollType(ssFlat);
    G->SetTopRow(50);
    G->UpdateVScrollBar();
    SCROLLINFO Flat;
    Flat.fMask = SIF_ALL;
    FlatSB_GetScrollInfo(G->Handle(), SB_VERT, &Flat);
    EXPECT_EQ(Flat.nPos, BarInfo(G, SB_VERT).nPos);
    EXPECT_GT(Flat.nPos, 0);
}

TEST_F(ScrollTest, MissingCommonControlsLeaveTheOrdinaryBars)
{
    for (bool WholeModule : {true, false}) {
        if (WholeModule)
            SetLibraryPresent("COMCTL32", false);
        else
            SetLibraryExportHidden("COMCTL32", "InitializeFlatSB", true);
        TDidAririzEvar* G = NewShownGrid(Form, 30, 100);
        G->SetScrollType(ssFlat);
        EXPECT_FALSE(G->FlatSBInit()) << WholeModule;
        SCROLLINFO Si;
        Si.fMask = SIF_POS;
        EXPECT_EQ(G->FlatSetScrollInfo(SB_VERT, Si, true), WholeModule ? 0 : Si.nPos);
        G->SetScrollColor(clRed);
        G->SetScrollWidth(25);
        EXPECT_EQ(FlatProp(G, WSB_PROP_CXVSCROLL), ::GetSystemMetrics(SM_CXVSCROLL));
        ResetLibraryTable();
        G->Free();
    }
}

TEST_F(ScrollTest, FlatThumbPositionWithEveryColumnShownDoesNotDivideByZero)
{
    TDidAririzEvar* G = NewShownGrid(Form, 3, 100);
    G->SetFixedCols(0);
    G->SetScrollBarAlways(saBoth);
    G->SetScrollType(ssFlat);
    ASSERT_EQ(G->VisibleColCount(), G->ColCount());
    SendScroll(G, WM_HSCROLL, SB_THUMBPOSITION, 60);
    EXPECT_EQ(G->LeftCol(), 0);
    // With columns out of view the flat position is brought back to the 0..127 scale.
    G->SetColCount(40);
    const Integer A = Integer(std::nearbyint(G->VisibleColCount() * 128.0 / G->ColCount()));
    SendScroll(G, WM_HSCROLL, SB_THUMBPOSITION, 60);
    const Integer Pos = Integer(std::nearbyint(60 * 127.0 / (128 - A)));
    EXPECT_EQ(G->LeftCol(), MulDiv(Pos, 40 - G->VisibleColCount(), 127));
}

TEST_F(ScrollTest, FlatLookOnThePixels)
{
    TDidAririzEvar* G = NewShownGrid(Form, 30, 100);
    const Integer X = G->ClientWidth() + 5;
    const Integer Y = G->ClientHeight() - 40;
    uitest::PumpUntilIdle();
    const COLORREF Normal = uitest::PixelAt(G->Handle(), X, Y);
    G->SetScrollType(ssFlat);
    G->SetScrollColor(clLime);
    uitest::PumpUntilIdle();
    EXPECT_EQ(uitest::PixelAt(G->Handle(), X, Y), COLORREF(0x00FF00));
    EXPECT_NE(Normal, COLORREF(0x00FF00));
    G->SetScrollType(ssNormal);
    uitest::PumpUntilIdle();
    EXPECT_EQ(uitest::PixelAt(G->Handle(), X, Y), Normal);
}

TEST_F(ScrollTest, CommonControlsVersionIsThePlatformsOwn)
{
    EXPECT_EQ(GetDllFileVersion("COMCTL32.DLL"), (5 << 16) | 82);
    SetBuiltInThemeActive(true);
    EXPECT_EQ(GetDllFileVersion("comctl32.dll"), 6 << 16);
    SetBuiltInThemeActive(false);
    EXPECT_EQ(GetDllFileVersion("NOSUCH.DLL"), -1);
}

// ---- Dialog code ------------------------------------------------------------------------------------------

TEST_F(ScrollTest, GridWantsCharactersUnlessEditingRowsWithoutSortedGoto)
{
    TDidAririzEvar* G = NewShownGrid(Form);
    auto Wants = [&] { return (G->Perform(WM_GETDLGCODE, 0, 0) & DLGC_WANTCHARS) != 0; };
    G->SetOptions(G->Options() + TGridOptions{goRowSelect} - TGridOptions{goEditing});
    EXPECT_TRUE(Wants());
    G->SetOptions(G->Options() + TGridOptions{goEditing});
    EXPECT_FALSE(Wants());
    G->Navigation()->AutoGotoWhenSorted = true;
    EXPECT_TRUE(Wants());
    EXPECT_TRUE(G->Perform(WM_GETDLGCODE, 0, 0) & DLGC_WANTARROWS);
}

} // namespace
