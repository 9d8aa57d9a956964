// The grid's painting on the headless backend: the visual-property precedence, fixed looks,
// selection and focus looks, cell text (wrap, ellipsis, markup, wide text), sort indicator and
// filter glyph, merged blocks, the painting events and the update lock.

#include "RudUvud/tests/GridTestSupport.h"
#include "platform/forms/ImgList.h"

#include <gtest/gtest.h>

#include "platform/win/Colors.h"

#include <cstdlib>
#include <functional>
#include <vector>

namespace {

constexpr TColor Red = 0x0000FF, Green = 0x00FF00, Blue = 0xFF0000, Yellow = 0x00FFFF;

class GridPaint : public ::testing::Test {
protected:
    void SetUp() override
    {
        Form = gridtest::NewForm();
        G = gridtest::NewShownGrid(Form, 6, 20);
        // Small, so that each repaint is quick: columns 0 to 5 and rows 0 to 10 are in view.
        G->SetBounds(0, 0, 500, 250);
        G->SetDefaultColWidth(80);
        G->SetDefaultRowHeight(22);
        G->SetFixedRowHeight(22);
        uitest::PumpUntilIdle();
    }
    void TearDown() override { Form->Free(); }
    void Repaint()
    {
        G->Invalidate();
        uitest::PumpUntilIdle();
    }
    COLORREF Px(Integer X, Integer Y) { return uitest::PixelAt(G->Handle(), X, Y); }
    // The centre pixel of a cell's rectangle.
    COLORREF Mid(Integer C, Integer R)
    {
        const TRect Rc = G->CellRect(C, R);
        return Px((Rc.Left + Rc.Right) / 2, (Rc.Top + Rc.Bottom) / 2);
    }
    // Pixels in a cell's rectangle (less a margin) that differ from Background.
    int Inked(Integer C, Integer R, COLORREF Background, Integer Margin = 3)
    {
        const TRect Rc = G->CellRect(C, R);
        int N = 0;
        for (Integer Y = Rc.Top + Margin; Y < Rc.Bottom - Margin; ++Y)
            for (Integer X = Rc.Left + Margin; X < Rc.Right - Margin; ++X)
                N += Px(X, Y) != Background;
        return N;
    }
    TForm* Form = nullptr;
    TDidAririzEvar* G = nullptr;
};

// ---- Visual-property precedence ---------------------------------------------------------------------

struct Resolved {
    TColor Brush, ColorTo, FontColor;
    bool Selected, Fixed;
};

Resolved Resolve(TDidAririzEvar* G, Integer C, Integer R, bool Select, bool Print = false)
{
    TBrush B;
    TFont F;
    TGridDrawState S;
    TColor To = clNone, M = clNone, MT = clNone;
    TAlignment HA = taLeftJustify;
    TVAlignment VA = vtaTop;
    bool WW = true;
    TCellGradientDirection GD = GradientVertical;
    G->GetVisualProperties(C, R, S, Print, Select, true, &B, To, M, MT, &F, HA, VA, WW, GD);
    return {B.Color(), To, F.Color(), S.Contains(gdSelected), S.Contains(gdFixed)};
}

TEST_F(GridPaint, PrecedenceOfBrushGradientFontAndSelection)
{
    struct Case {
        const char* Name;
        std::function<void(TDidAririzEvar*)> Setup;
        Integer Col, Row;
        bool Select, Print;
        TColor Brush, ColorTo, FontColor;
        bool Selected, Fixed;
    };
    // Markers for the grid's own colours in the table.
    const TColor Win = clWhite, Text = 0x7F000001, FixedText = 0x7F000002;
    const TColor ZFrom = 0x101010, ZTo = 0x202020;
    auto Base = [&](TDidAririzEvar* g) {
        g->SetZIVGradFrom(ZFrom);
        g->SetZIVGradTo(ZTo);
        g->SelectCells(1, 1, 1, 1);
        g->Bands()->Active = false;
    };
    const Case Cases[] = {
        {"plain cell takes the grid colour", Base, 2, 3, true, false, Win, clNone, Text, false, false},
        {"bands alternate primary and secondary",
         [&](TDidAririzEvar* g) {
             Base(g);
             g->Bands()->Active = true;
             g->Bands()->PrimaryColor = Green;
             g->Bands()->SecondaryColor = Yellow;
         },
         2, 2, true, false, Yellow, clNone, Text, false, false},
        {"own colour wins over bands",
         [&](TDidAririzEvar* g) {
             Base(g);
             g->Bands()->Active = true;
             g->SetColors(2, 3, Red);
         },
         2, 3, true, false, Red, clNone, Text, false, false},
        {"fixed cell takes the look gradient", Base, 2, 0, true, false, ZFrom, ZTo, FixedText, false, true},
        {"fixed cell with its own colour keeps it",
         [&](TDidAririzEvar* g) {
             Base(g);
             g->SetColors(2, 0, Blue);
         },
         2, 0, true, false, Blue, clNone, FixedText, false, false},
        {"gradient event sets the brush",
         [&](TDidAririzEvar* g) {
             Base(g);
             g->OnGetCellGradient = [](TObject*, Integer, Integer, TColor& C, TColor& To, TColor&, TColor&,
                                       TCellGradientDirection&) {
                 C = Green;
                 To = Blue;
             };
         },
         3, 4, true, false, Green, Blue, Text, false, false},
        {"colour event has the last word before selection",
         [&](TDidAririzEvar* g) {
             Base(g);
             g->OnGetCellColor = [](TObject*, Integer, Integer, TGridDrawState, TBrush* B, TFont* F) {
                 B->SetColor(Yellow);
                 F->SetColor(Red);
             };
         },
         3, 4, true, false, Yellow, clNone, Red, false, false},
        {"cell in the selection rectangle is selected",
         [&](TDidAririzEvar* g) {
             Base(g);
             g->SetSelectionColor(Blue);
             g->SetSelectionTextColor(Yellow);
             g->SelectCells(1, 1, 3, 3);
         },
         2, 2, true, false, Blue, clNone, Yellow, true, false},
        {"without the select pass nothing is selected",
         [&](TDidAririzEvar* g) {
             Base(g);
             g->SelectCells(1, 1, 3, 3);
         },
         2, 2, false, false, Win, clNone, Text, false, false},
        {"disjunct rows: a marked row is selected",
         [&](TDidAririzEvar* g) {
             Base(g);
             g->SetSelectionColor(Blue);
             g->MouseActions()->SetDisjunctRowSelect(true);
             g->SetRowSelect(5, true);
         },
         3, 5, true, false, Blue, clNone, clBlack, true, false},
        {"disjunct rows: an unmarked row inside the rectangle is not",
         [&](TDidAririzEvar* g) {
             Base(g);
             g->MouseActions()->SetDisjunctRowSelect(true);
             g->SelectCells(1, 1, 3, 3);
         },
         2, 2, true, false, Win, clNone, Text, false, false},
        {"printing with print fonts ignores the cell's own colour",
         [&](TDidAririzEvar* g) {
             Base(g);
             g->SetColors(2, 3, Red);
             g->PrintSettings()->UseDisplayFont = false;
         },
         2, 3, false, true, Win, clNone, Text, false, false},
    };
    TDidAririzEvar* g = G;
    g->SetColor(clWhite);
    for (const Case& C : Cases) {
        SCOPED_TRACE(C.Name);
        // Back to a plain grid.
        g->OnGetCellGradient = nullptr;
        g->OnGetCellColor = nullptr;
        g->ClearProps();
        g->MouseActions()->SetDisjunctRowSelect(false);
        g->ClearRowSelect();
        g->PrintSettings()->UseDisplayFont = true;
        g->SetSelectionColor(0xEACAB6);
        g->SetSelectionTextColor(clBlack);
        C.Setup(g);
        const Resolved R = Resolve(g, C.Col, C.Row, C.Select, C.Print);
        EXPECT_EQ(R.Brush, C.Brush);
        EXPECT_EQ(R.ColorTo, C.ColorTo);
        EXPECT_EQ(R.FontColor, C.FontColor == Text        ? g->Font()->Color()
                               : C.FontColor == FixedText ? g->FixedFont()->Color()
                                                          : C.FontColor);
        EXPECT_EQ(R.Selected, C.Selected);
        EXPECT_EQ(R.Fixed, C.Fixed);
    }
}

TEST_F(GridPaint, DisjunctRowSelectionFollowsTheRealRowWhenPersistent)
{
    G->MouseActions()->SetDisjunctRowSelect(true);
    G->MouseActions()->RowSelectPersistent = true;
    G->SetSelectionColor(Blue);
    G->SetRowSelect(6, true);
    EXPECT_TRUE(Resolve(G, 2, 6, true).Selected);
    // Hiding a row above moves real row 6 to display row 5.
    G->HideRow(2);
    EXPECT_TRUE(Resolve(G, 2, 5, true).Selected);
    EXPECT_FALSE(Resolve(G, 2, 6, true).Selected);
}

// ---- Pixels ----------------------------------------------------------------------------------------

TEST_F(GridPaint, FixedHeaderSelectionOwnColoursAndFocusLook)
{
    G->SetColor(clWhite);
    G->SetZIVGradFrom(Green);
    G->SetZIVGradTo(Green);
    G->SetSelectionColor(Blue);
    G->SetColors(3, 5, Red);
    G->SelectCells(2, 2, 2, 3);
    Repaint();
    EXPECT_EQ(Mid(2, 0), ColorToRGB(Green)) << "header look fill";
    EXPECT_EQ(Mid(0, 4), ColorToRGB(Green)) << "fixed column look fill";
    EXPECT_EQ(Mid(2, 3), ColorToRGB(Blue)) << "selected cell";
    EXPECT_EQ(Mid(3, 5), ColorToRGB(Red)) << "own colour";
    EXPECT_EQ(Mid(4, 6), ColorToRGB(clWhite)) << "plain cell";

    // The dotted focus frame on the current cell (the selection's end) shows only while the
    // grid has the focus.
    ASSERT_EQ(G->Row(), 3);
    const TRect R = G->CellRect(2, 3);
    auto FrameInk = [&] {
        int N = 0;
        for (Integer X = R.Left; X < R.Right - 1; ++X)
            N += Px(X, R.Top) != ColorToRGB(Blue);
        return N;
    };
    const int Unfocused = FrameInk();
    G->SetFocus();
    uitest::PumpUntilIdle();
    ASSERT_TRUE(G->Focused());
    EXPECT_GT(FrameInk(), Unfocused + 10);
    // Row selection shows no focus frame.
    G->SetOptions(G->Options() + TGridOptions{goRowSelect});
    Repaint();
    EXPECT_EQ(FrameInk(), Unfocused);
}

TEST_F(GridPaint, TextKindsDrawInsideTheirCells)
{
    G->SetColor(clWhite);
    G->SetWordWrap(false);
    const COLORREF W = ColorToRGB(clWhite);
    G->SetCells(1, 7, "Hi");
    G->SetCells(1, 2, "<i></i>Hi");                            // markup draws as its text
    G->SetCells(1, 3, "\xE4\xB8\xAD\xE6\x96\x87\xE7\x8D\x8E"); // Chinese text
    G->SetWideCells(1, 4, u"\u734e\u54c1");                    // wide-text form
    G->SetCells(1, 5, std::string(60, 'W'));                   // far wider than the cell
    G->SetCells(1, 6, "secret");
    G->SetCells(1, 8, "<font color=\"#FF0000\">Red</font>"); // laid out as mini-HTML
    G->OnIsPasswordCell = [](TObject*, Integer ARow, Integer, bool& P) { P = ARow == 6; };
    Repaint();
    EXPECT_GT(Inked(1, 7, W), 5);
    EXPECT_EQ(Inked(1, 2, W), Inked(1, 7, W)) << "tags are not drawn";
    const TRect R8 = G->CellRect(1, 8);
    int RedInk = 0;
    for (Integer Y = R8.Top; Y < R8.Bottom; ++Y)
        for (Integer X = R8.Left; X < R8.Right; ++X) {
            const COLORREF P = Px(X, Y);
            RedInk += GetRValue(P) > 180 && GetGValue(P) < 90 && GetBValue(P) < 90;
        }
    EXPECT_GT(RedInk, 5);
    EXPECT_GT(Inked(1, 3, W), 20);
    EXPECT_GT(Inked(1, 4, W), 20);
    // The long text stays inside its cell: the next cell shows nothing.
    EXPECT_GT(Inked(1, 5, W), 20);
    EXPECT_EQ(Inked(2, 5, W), 0);
    // Wrapped, the long text takes more than one line of the taller cell.
    G->SetRowHeights(5, 60);
    G->SetWordWrap(true);
    G->SetCells(1, 5, "WWWW WWWW WWWW WWWW WWWW");
    Repaint();
    const TRect R5 = G->CellRect(1, 5);
    int Lower = 0;
    for (Integer Y = R5.Top + 24; Y < R5.Bottom - 2; ++Y)
        for (Integer X = R5.Left + 2; X < R5.Right - 2; ++X)
            Lower += Px(X, Y) != W;
    EXPECT_GT(Lower, 10);
    EXPECT_EQ(Inked(2, 5, W), 0);
}

TEST_F(GridPaint, PasswordCellsShowThePasswordCharacter)
{
    G->SetColor(clWhite);
    const COLORREF W = ColorToRGB(clWhite);
    G->SetCells(1, 6, "secret");
    G->SetCells(1, 7, "******");
    G->SetCells(1, 8, "......");
    G->OnIsPasswordCell = [](TObject*, Integer ARow, Integer, bool& P) { P = ARow == 6; };
    EXPECT_EQ(G->CellPasswordChar(), '*');
    Repaint();
    EXPECT_EQ(Inked(1, 6, W), Inked(1, 7, W));
    G->SetCellPasswordChar('.');
    Repaint();
    EXPECT_EQ(Inked(1, 6, W), Inked(1, 8, W));
    EXPECT_LT(Inked(1, 6, W), Inked(1, 7, W));
}

TEST_F(GridPaint, MergedBlockIsOneCellWithOneText)
{
    G->SetColor(clWhite);
    G->SetCells(1, 2, "Merged");
    G->MergeCells(1, 2, 2, 2);
    G->SetColors(1, 2, Yellow);
    Repaint();
    // The whole block carries the base cell's colour, without an inner grid line.
    const TRect R = G->CellRect(1, 2);
    EXPECT_EQ(Px(R.Right - 4, R.Bottom - 4), ColorToRGB(Yellow));
    const TRect First = G->GetCellRect(1, 2);
    EXPECT_EQ(Px(First.Right - 1, R.Bottom - 6), ColorToRGB(Yellow));
}

TEST_F(GridPaint, SortIndicatorAndFilterGlyphInTheHeader)
{
    G->SetColor(clWhite);
    G->SetZIVGradFrom(Green);
    G->SetZIVGradTo(Green);
    G->SetCells(2, 0, "Name");
    Repaint();
    const TRect R = G->CellRect(2, 0);
    auto Unlike = [&](Integer X0, Integer X1) {
        int N = 0;
        for (Integer Y = R.Top + 3; Y < R.Bottom - 3; ++Y)
            for (Integer X = X0; X < X1; ++X)
                N += Px(X, Y) != ColorToRGB(Green);
        return N;
    };
    const Integer Right = R.Right - 18;
    const int Before = Unlike(R.Left + 40, Right);
    G->SortSettings()->Show = true;
    G->SortSettings()->Column = 2;
    G->SortSettings()->Direction = sdAscending;
    Repaint();
    EXPECT_GT(Unlike(R.Left + 40, Right), Before) << "indicator right of the text";
    // The sort column's header takes the sort header colours.
    G->SortSettings()->HeaderColor = Red;
    G->SortSettings()->HeaderColorTo = Red;
    Repaint();
    EXPECT_EQ(Px(R.Right - 5, R.Top + 5), ColorToRGB(Red));
    EXPECT_EQ(Px(G->CellRect(3, 0).Right - 5, R.Top + 5), ColorToRGB(Green));
    G->SortSettings()->HeaderColor = clNone;
    Repaint();

    G->OnGetColumnFilter = [](TObject*, Integer Column, TStrings* F) {
        if (Column == 2)
            F->Add("A");
    };
    const int NoGlyph = Unlike(R.Right - 16, R.Right - 2);
    Repaint();
    EXPECT_GT(Unlike(R.Right - 16, R.Right - 2), NoGlyph + 10);
    const TRect R3 = G->CellRect(3, 0);
    EXPECT_EQ(Px(R3.Right - 8, R3.Top + 8), ColorToRGB(Green)) << "no glyph without a filter";
}

TEST_F(GridPaint, SortIndicatorStaysOverAHeaderPaintedByTheDrawEvent)
{
    // As the prize list does: the draw event fills the header cell and writes its text again.
    G->SetCells(2, 0, "Name");
    G->OnDrawCell = [this](TObject*, Integer, Integer ARow, TRect Rect, TGridDrawState) {
        if (ARow != 0)
            return;
        G->Canvas()->Brush()->SetColor(Green);
        G->Canvas()->FillRect(Rect);
    };
    const TRect R = G->CellRect(2, 0);
    auto Unlike = [&] {
        int N = 0;
        for (Integer Y = R.Top + 3; Y < R.Bottom - 3; ++Y)
            for (Integer X = R.Left + 3; X < R.Right - 3; ++X)
                N += Px(X, Y) != ColorToRGB(Green);
        return N;
    };
    Repaint();
    EXPECT_EQ(Unlike(), 0) << "the event's fill covers the cell";
    G->SortSettings()->Show = true;
    G->SortSettings()->Column = 2;
    for (TSortDirection D : {sdAscending, sdDescending}) {
        G->SortSettings()->Direction = D;
        Repaint();
        EXPECT_GT(Unlike(), 5) << "the indicator shows over the fill";
    }
}

TEST_F(GridPaint, SortGlyphsReplaceTheDrawnMarksWhenBothAreGiven)
{
    G->SetZIVGradFrom(Green);
    G->SetZIVGradTo(Green);
    G->SetCells(2, 0, "Name");
    TSortSettings* S = G->SortSettings();
    S->Show = true;
    S->Column = 2;
    auto Solid = [](TBitmap& B, TColor C) {
        B.SetWidth(9);
        B.SetHeight(9);
        B.Canvas()->Brush()->SetColor(C);
        B.Canvas()->FillRect(TRect{0, 0, 9, 9});
    };
    TBitmap Up, Down;
    Solid(Up, Blue);
    Solid(Down, Red);
    const TRect R = G->CellRect(2, 0);
    auto Count = [&](TColor C) {
        int N = 0;
        for (Integer Y = R.Top; Y < R.Bottom; ++Y)
            for (Integer X = R.Left; X < R.Right; ++X)
                N += Px(X, Y) == ColorToRGB(C);
        return N;
    };
    S->SetUpGlyph(&Up);
    Repaint();
    EXPECT_EQ(Count(Blue), 0) << "one picture alone is not used";
    S->SetDownGlyph(&Down);
    Repaint();
    EXPECT_GE(Count(Blue), 60) << "ascending";
    EXPECT_EQ(Count(Red), 0);
    S->Direction = sdDescending;
    Repaint();
    EXPECT_GE(Count(Red), 60) << "descending";
    EXPECT_EQ(Count(Blue), 0);
}

TEST_F(GridPaint, MiniHtmlPicturesComeFromTheGridImages)
{
    TImageList* Images = New<TImageList>(Form);
    Images->SetWidth(12);
    Images->SetHeight(12);
    TBitmap B;
    B.SetWidth(12);
    B.SetHeight(12);
    B.Canvas()->Brush()->SetColor(Blue);
    B.Canvas()->FillRect(TRect{0, 0, 12, 12});
    Images->Add(&B, nullptr);
    G->SetColWidths(1, 80);
    G->SetCells(1, 1, "<IMG src=\"idx:0\"><b>x</b>");
    const TRect R = G->CellRect(1, 1);
    auto Blues = [&] {
        int N = 0;
        for (Integer Y = R.Top; Y < R.Bottom; ++Y)
            for (Integer X = R.Left; X < R.Right; ++X)
                N += Px(X, Y) == ColorToRGB(Blue);
        return N;
    };
    Repaint();
    EXPECT_EQ(Blues(), 0) << "no image list, no picture";
    G->SetGridImages(Images);
    Repaint();
    EXPECT_GE(Blues(), 100);
    // The list going away leaves the grid without it.
    Images->Free();
    EXPECT_EQ(G->GridImages(), nullptr);
    Repaint();
    EXPECT_EQ(Blues(), 0);
}

TEST_F(GridPaint, IndexSortColumnsShowNumberedMarksOnlyWithIndexShow)
{
    G->SetZIVGradFrom(Green);
    G->SetZIVGradTo(Green);
    TSortSettings* S = G->SortSettings();
    S->Show = true;
    S->IndexColor = Yellow;
    S->SortIndexes.AddIndex(3, true);
    S->SortIndexes.AddIndex(2, false);
    S->Column = 3;
    G->SetCells(2, 0, "B");
    G->SetCells(3, 0, "A");
    G->SetCells(4, 0, "C");
    // Pixels of a colour inside a header cell, its edges left out.
    auto Count = [&](Integer C, COLORREF Colour) {
        const TRect R = G->CellRect(C, 0);
        int N = 0;
        for (Integer Y = R.Top + 3; Y < R.Bottom - 3; ++Y)
            for (Integer X = R.Left + 3; X < R.Right - 3; ++X)
                N += Px(X, Y) == Colour;
        return N;
    };
    Repaint();
    EXPECT_EQ(Count(3, ColorToRGB(Yellow)), 0) << "without IndexShow the primary column shows its arrow";
    EXPECT_EQ(Count(2, ColorToRGB(Yellow)), 0);
    EXPECT_EQ(Count(2, ColorToRGB(clWhite)), 0) << "and a secondary column nothing";
    EXPECT_GT(Count(3, ColorToRGB(clWhite)), 0);
    const int Letter = Count(2, ColorToRGB(clBlack));
    S->IndexShow = true;
    Repaint();
    EXPECT_GT(Count(3, ColorToRGB(Yellow)), 10);
    EXPECT_GT(Count(2, ColorToRGB(Yellow)), 10);
    EXPECT_GT(Count(2, ColorToRGB(clBlack)), Letter + 3) << "its number and outline";
    EXPECT_EQ(Count(4, ColorToRGB(Yellow)), 0);
}

TEST_F(GridPaint, DrawCellEventGetsTheRealColumnAfterTheDefaultText)
{
    G->HideColumn(1);
    Integer SeenCol = -1;
    TRect SeenRect{};
    G->OnDrawCell = [&](TObject*, Integer ACol, Integer ARow, TRect R, TGridDrawState) {
        if (ARow == 3 && ACol == 2) {
            SeenCol = ACol;
            SeenRect = R;
        }
    };
    Repaint();
    // Display column 1 shows real column 2.
    EXPECT_EQ(SeenCol, 2);
    const TRect Cell = G->CellRect(1, 3);
    EXPECT_EQ(SeenRect.Left, Cell.Left + 1);
    EXPECT_EQ(SeenRect.Top, Cell.Top + 1);
}

TEST_F(GridPaint, PainterExceptionsStayInsidePainting)
{
    G->OnDrawCell = [](TObject*, Integer, Integer, TRect, TGridDrawState) { throw Exception("bad handler"); };
    EXPECT_NO_THROW(Repaint());
    EXPECT_GT(G->PaintsDone(), 0);
}

TEST_F(GridPaint, SizingLineTwiceRestoresThePixels)
{
    G->SetColor(clWhite);
    Repaint();
    std::vector<COLORREF> Before;
    for (Integer Y = 0; Y < 100; ++Y)
        Before.push_back(Px(150, Y));
    G->DrawSizingLine(150);
    int Changed = 0;
    for (Integer Y = 0; Y < 100; ++Y)
        Changed += Px(150, Y) != Before[static_cast<size_t>(Y)];
    EXPECT_GT(Changed, 30);
    G->DrawSizingLine(150);
    for (Integer Y = 0; Y < 100; ++Y)
        EXPECT_EQ(Px(150, Y), Before[static_cast<size_t>(Y)]);
}

// ---- Update lock -----------------------------------------------------------------------------------

TEST_F(GridPaint, UpdateLockNestsAndRepaintsOnceWhenReleased)
{
    Repaint();
    const Integer P0 = G->PaintsDone();
    G->BeginUpdate();
    G->BeginUpdate();
    G->SetCells(1, 1, "x");
    G->Invalidate();
    uitest::PumpUntilIdle();
    G->EndUpdate();
    G->Invalidate();
    uitest::PumpUntilIdle();
    EXPECT_EQ(G->PaintsDone(), P0) << "still locked";
    EXPECT_TRUE(G->GetLockFlag());
    G->EndUpdate();
    uitest::PumpUntilIdle();
    EXPECT_EQ(G->PaintsDone(), P0 + 1);
    EXPECT_FALSE(G->GetLockFlag());
    // A release without a lock leaves the counter at 0 and repaints.
    G->EndUpdate();
    uitest::PumpUntilIdle();
    EXPECT_EQ(G->UpdateLockCount(), 0);
    EXPECT_EQ(G->PaintsDone(), P0 + 2);

    // The counter-only lock keeps redrawing on but paints nothing; a paint it held back comes
    // after the reset.
    G->StartUpdate();
    G->Invalidate();
    uitest::PumpUntilIdle();
    EXPECT_EQ(G->PaintsDone(), P0 + 2);
    G->ResetUpdate();
    uitest::PumpUntilIdle();
    EXPECT_EQ(G->PaintsDone(), P0 + 3);
}

TEST_F(GridPaint, LockReleasedWhileHiddenDoesNotStopPaintingForGood)
{
    G->BeginUpdate();
    G->SetVisible(false);
    G->EndUpdate();
    EXPECT_EQ(G->UpdateLockCount(), 0);
    G->SetVisible(true);
    uitest::PumpUntilIdle();
    const Integer P0 = G->PaintsDone();
    Repaint();
    EXPECT_GT(G->PaintsDone(), P0);
    // A lock on an invisible grid does not count.
    G->SetVisible(false);
    G->BeginUpdate();
    EXPECT_EQ(G->UpdateLockCount(), 0);
    G->SetVisible(true);
}

// ---- Grid timer ------------------------------------------------------------------------------------

TEST_F(GridPaint, GridTimerTicksOnTheVirtualClock)
{
    const Integer T0 = G->TimerTicks();
    uitest::AdvanceTime(1500);
    EXPECT_EQ(G->TimerTicks(), T0 + 3);

    // Type-ahead empties on the fourth tick after the last key, and only when switched on.
    G->AddLookupKey('a');
    uitest::AdvanceTime(2000);
    EXPECT_EQ(G->LookupBuffer(), "a");
    G->SetAutoGotoIncremental(true);
    G->AddLookupKey('b');
    uitest::AdvanceTime(1500);
    EXPECT_EQ(G->LookupBuffer(), "ab");
    uitest::AdvanceTime(500);
    EXPECT_EQ(G->LookupBuffer(), "");

    // Blink flips its phase every tick.
    G->SetEnableBlink(true);
    G->SetCells(1, 1, "<blink>now</blink>");
    const bool Phase = G->BlinkPhase();
    uitest::AdvanceTime(500);
    EXPECT_NE(G->BlinkPhase(), Phase);
    uitest::AdvanceTime(500);
    EXPECT_EQ(G->BlinkPhase(), Phase);
}

TEST_F(GridPaint, HoverFollowMovesTheCurrentCellOverDataCellsOnly)
{
    G->SetHovering(true);
    G->SetFocus();
    uitest::PumpUntilIdle();
    const TRect R = G->CellRect(3, 4);
    uitest::MoveMouse(G->Handle(), (R.Left + R.Right) / 2, (R.Top + R.Bottom) / 2);
    uitest::AdvanceTime(500);
    EXPECT_EQ(G->Col(), 3);
    EXPECT_EQ(G->Row(), 4);
    const TRect F = G->CellRect(2, 0);
    uitest::MoveMouse(G->Handle(), (F.Left + F.Right) / 2, (F.Top + F.Bottom) / 2);
    uitest::AdvanceTime(500);
    EXPECT_EQ(G->Col(), 3);
    EXPECT_EQ(G->Row(), 4);

    // While another window is active the pointer resting over the grid takes nothing.
    TForm* Other = New<TForm>(Application);
    Other->SetBounds(820, 0, 150, 100);
    Other->Show();
    uitest::PumpUntilIdle();
    ::SetActiveWindow(Other->Handle());
    uitest::PumpUntilIdle();
    ASSERT_NE(::GetActiveWindow(), Form->Handle());
    const TRect D = G->CellRect(2, 6);
    uitest::MoveMouse(G->Handle(), (D.Left + D.Right) / 2, (D.Top + D.Bottom) / 2);
    uitest::AdvanceTime(1000);
    EXPECT_EQ(G->Col(), 3);
    EXPECT_EQ(G->Row(), 4);
    EXPECT_FALSE(G->Focused());
    Other->Free();
}

TEST_F(GridPaint, HoveredAndPressedFixedCellsTakeTheirLooks)
{
    G->SetZIVGradFrom(Green);
    G->SetZIVGradTo(Green);
    G->SetHoverFixedCells(hfAll);
    TControlLook* CL = G->ControlLook();
    CL->SetFixedGradientHoverFrom(Yellow);
    CL->SetFixedGradientHoverTo(Yellow);
    CL->SetFixedGradientDownFrom(Red);
    CL->SetFixedGradientDownTo(Red);
    CL->SetFixedGradientHoverBorder(Blue);
    Repaint();
    // Only the cell losing and the cell gaining the look are painted again.
    std::vector<std::pair<Integer, Integer>> Painted;
    G->OnDrawCell = [&](TObject*, Integer C, Integer R, TRect, TGridDrawState) { Painted.push_back({C, R}); };
    G->SetHoverCell(2, 0);
    uitest::PumpUntilIdle();
    EXPECT_EQ(Painted, (std::vector<std::pair<Integer, Integer>>{{2, 0}}));
    EXPECT_EQ(Mid(2, 0), ColorToRGB(Yellow));
    EXPECT_EQ(Px(G->CellRect(2, 0).Right - 2, G->CellRect(2, 0).Top + 5), ColorToRGB(Blue)) << "hover border";
    EXPECT_EQ(Mid(3, 0), ColorToRGB(Green));
    Painted.clear();
    G->SetHoverCell(0, 4);
    uitest::PumpUntilIdle();
    EXPECT_EQ(Painted.size(), 2u);
    EXPECT_EQ(Mid(2, 0), ColorToRGB(Green));
    EXPECT_EQ(Mid(0, 4), ColorToRGB(Yellow));
    G->OnDrawCell = nullptr;

    // A fixed cell pressed as a button under the pointer takes the down look; the press itself
    // clears the hover cell, which mouse moves record again.
    G->SetFixedAsButtons(true);
    const TRect H = G->CellRect(3, 0);
    G->MouseDown(mbLeft, {}, H.Left + 10, H.Top + 5);
    EXPECT_EQ(G->InputState().HoverCell, (TGridCoord{-1, -1}));
    G->SetHoverCell(3, 0);
    uitest::PumpUntilIdle();
    EXPECT_EQ(Mid(3, 0), ColorToRGB(Red));
    EXPECT_EQ(Mid(0, 4), ColorToRGB(Green));
    // With a drop-down part, the part not pressed keeps the hover look and shows its arrow.
    CL->FixedDropDownButton = true;
    Repaint();
    EXPECT_EQ(Px(H.Left + 20, H.Top + 10), ColorToRGB(Red));
    EXPECT_EQ(Px(H.Right - 3, H.Bottom - 3), ColorToRGB(Yellow));
    EXPECT_GT(Inked(3, 0, ColorToRGB(Yellow), 0), 0);
    G->MouseUp(mbLeft, {}, H.Left + 10, H.Top + 5);
    uitest::PumpUntilIdle();
    EXPECT_EQ(Px(H.Left + 20, H.Top + 10), ColorToRGB(Yellow));
    // Without hover highlighting the recorded cell shows the normal look.
    G->SetHoverFixedCells(hfNone);
    Repaint();
    EXPECT_EQ(Mid(3, 0), ColorToRGB(Green));
}

} // namespace

// ---- RTF cells ------------------------------------------------------------------------------------

namespace {

// Pixels in a cell's rectangle that are mostly red (R high, G and B low).
int RedInk(GridPaint& T, TDidAririzEvar* G, Integer C, Integer R)
{
    (void)T;
    const TRect Rc = G->CellRect(C, R);
    int N = 0;
    for (Integer Y = Rc.Top + 1; Y < Rc.Bottom - 1; ++Y)
        for (Integer X = Rc.Left + 1; X < Rc.Right - 1; ++X) {
            const COLORREF P = uitest::PixelAt(G->Handle(), X, Y);
            N += GetRValue(P) > 160 && GetGValue(P) < 100 && GetBValue(P) < 100;
        }
    return N;
}

} // namespace

TEST_F(GridPaint, RtfCellsPaintTheirFormattingThroughTheRichEdit)
{
    const AnsiString Red = "{\\rtf1\\ansi{\\colortbl;\\red255\\green0\\blue0;}\\cf1\\b WWWW}";
    G->SetCells(1, 3, Red);
    G->SetCells(2, 3, "WWWW");
    // The same text in the selected current cell takes the selection's text colour.
    G->SetCells(1, 1, Red);
    G->SetSelectionTextColor(clBlack);
    Repaint();
    // The colour of the RTF reaches the screen; the plain cell stays black on white.
    EXPECT_GT(RedInk(*this, G, 1, 3), 10);
    EXPECT_EQ(RedInk(*this, G, 2, 3), 0);
    EXPECT_GT(Inked(1, 1, Px(G->CellRect(1, 1).Right - 2, G->CellRect(1, 1).Bottom - 2)), 0);
    EXPECT_EQ(RedInk(*this, G, 1, 1), 0);

    // The rich edit holds the last painted cell; painting another RTF cell replaces it.
    G->SetCells(3, 4, "{\\rtf1\\ansi plain}");
    Repaint();
    EXPECT_EQ(RedInk(*this, G, 3, 4), 0);
    EXPECT_GT(Inked(3, 4, clWhite), 0);
    EXPECT_GT(RedInk(*this, G, 1, 3), 10);
}

TEST_F(GridPaint, SelectedRtfCellsKeepTheirColoursWhenAsked)
{
    G->SetCells(1, 1, "{\\rtf1\\ansi{\\colortbl;\\red255\\green0\\blue0;}\\cf1\\b WWWW}");
    G->SetSelectionTextColor(clBlack);
    G->SetSelectionRTFKeep(true);
    Repaint();
    EXPECT_GT(RedInk(*this, G, 1, 1), 10);
    G->SetSelectionRTFKeep(false);
    Repaint();
    EXPECT_EQ(RedInk(*this, G, 1, 1), 0);
}

TEST_F(GridPaint, CellToRichAndBack)
{
    TZurIdodAdod* E = G->RichEdit();
    ASSERT_NE(E, nullptr);
    G->SetCells(1, 1, "{\\rtf1\\ansi Hello {\\b bold}}");
    G->CellToRich(1, 1, E);
    EXPECT_EQ(E->Lines()->Text().substr(0, 10), "Hello bold");

    // Back into another cell as RTF: the bold run survives the trip.
    G->RichToCell(2, 2, E);
    const AnsiString Back = G->Cells(2, 2);
    EXPECT_EQ(Back.rfind("{\\rtf", 0), 0u) << Back;
    EXPECT_NE(Back.find("\\b"), std::string::npos) << Back;
    G->CellToRich(2, 2, E);
    EXPECT_EQ(E->Lines()->Text().substr(0, 10), "Hello bold");

    // An empty cell clears the rich edit.
    G->CellToRich(4, 4, E);
    EXPECT_EQ(E->GetTextLen(), 0);
    EXPECT_EQ(G->RichToString(nullptr), "");
}

namespace {

// A step added to the cell paint table draws on screen and through the printed-cell painter.
TEST_F(GridPaint, AnAddedPaintStepDrawsOnScreenAndInPrint)
{
    G->SetCells(2, 2, "cell");
    struct Call {
        Integer Col, Row;
        bool Printing;
    };
    std::vector<Call> Calls;
    G->InsertCellPaintStep(
        "events", {"corner mark", [&](TDidAririzEvar&, TGridCellPaint& P) {
                       Calls.push_back({P.RC, P.ARow, P.Printing});
                       if (P.RC != 2 || P.ARow != 2)
                           return;
                       P.Canvas->Brush()->SetColor(Red);
                       P.Canvas->FillRect(TRect{P.Rect.Left, P.Rect.Top, P.Rect.Left + 6, P.Rect.Top + 6});
                   }});
    // In its place: after the content and the borders, before the events and the focus.
    std::vector<std::string> Names;
    for (const TGridPaintStep& S : G->CellPaintSteps())
        Names.push_back(S.Name);
    EXPECT_EQ(Names, (std::vector<std::string>{"fixed look", "modified marker", "background graphic",
                                               "content", "borders", "fixed edges", "tree lines", "graphic",
                                               "corner mark", "events", "focus"}));

    Repaint();
    const TRect R = G->CellRect(2, 2);
    EXPECT_EQ(Px(R.Left + 2, R.Top + 2), ColorToRGB(Red));
    EXPECT_NE(Px(R.Right - 3, R.Bottom - 3), ColorToRGB(Red));
    EXPECT_TRUE(std::any_of(Calls.begin(), Calls.end(),
                            [](const Call& C) { return C.Col == 2 && C.Row == 2 && !C.Printing; }));

    Calls.clear();
    TBitmap Page;
    Page.SetSize(100, 40);
    Page.Canvas()->Brush()->SetColor(clWhite);
    Page.Canvas()->FillRect(TRect{0, 0, 100, 40});
    G->PaintPrintedCell(Page.Canvas(), 2, 2, TRect{10, 10, 90, 32});
    ASSERT_EQ(Calls.size(), 1u);
    EXPECT_TRUE(Calls[0].Printing);
    EXPECT_EQ(ColorToRGB(Page.Canvas()->Pixels(12, 12)), ColorToRGB(Red));
    EXPECT_NE(ColorToRGB(Page.Canvas()->Pixels(80, 28)), ColorToRGB(Red));
    EXPECT_EQ(ColorToRGB(Page.Canvas()->Pixels(5, 5)), ColorToRGB(clWhite)) << "outside the cell";
}

} // namespace

namespace {

// The row indicator shows in column 0 of the current row only, at the cell's left + 2, its
// bottom-left pixel's colour see-through; it follows the current row.
// Tree lines in column 0: a data row inside a node shows its node's line passing down and a line
// across to its text; without ShowTree neither is drawn.
TEST_F(GridPaint, TreeLinesRunThroughTheRowsOfANode)
{
    G->AddNode(1, 4);
    G->CellNode()->SetShowTree(true);
    Repaint();
    const TRect R = G->CellRect(0, 3);
    const Integer X = 12 - 12 + 2 + 6, MidY = R.Top + (R.Bottom - R.Top) / 2;
    auto Grey = [&](Integer PX, Integer PY) {
        const COLORREF V = Px(PX, PY);
        return std::abs(int(GetRValue(V)) - 0x80) < 0x30 && std::abs(int(GetGValue(V)) - 0x80) < 0x30 &&
               std::abs(int(GetBValue(V)) - 0x80) < 0x30;
    };
    EXPECT_TRUE(Grey(X, R.Top + 2)) << "the node's line passes down";
    EXPECT_TRUE(Grey(X, R.Bottom - 2));
    // Across at the middle of the painted cell (within a pixel of the cell rectangle's middle).
    auto Across = [&] { return Grey(R.Right - 10, MidY - 1) || Grey(R.Right - 10, MidY); };
    EXPECT_TRUE(Across()) << "the line across, to the cell edge";
    G->CellNode()->SetShowTree(false);
    Repaint();
    EXPECT_FALSE(Grey(X, R.Top + 2));
    EXPECT_FALSE(Across());
}

TEST_F(GridPaint, RowIndicatorMarksTheCurrentRow)
{
    TBitmap B;
    B.SetSize(6, 6);
    B.Canvas()->Brush()->SetColor(clRed);
    B.Canvas()->FillRect(TRect{0, 0, 6, 6});
    B.Canvas()->SetPixels(0, 5, clLime); // the see-through colour
    G->SetRowIndicator(&B);
    G->SetCells(0, 2, "");
    G->FocusCell(1, 2);
    Repaint();
    const COLORREF Red = RGB(255, 0, 0), Lime = RGB(0, 255, 0);
    auto Marked = [&](Integer R) {
        const TRect Rc = G->CellRect(0, R);
        int N = 0;
        for (Integer Y = Rc.Top; Y < Rc.Bottom; ++Y)
            for (Integer X = Rc.Left; X < Rc.Left + 12; ++X)
                N += Px(X, Y) == Red;
        return N;
    };
    EXPECT_GT(Marked(2), 20);
    EXPECT_EQ(Marked(3), 0);
    const TRect Rc = G->CellRect(0, 2);
    for (Integer Y = Rc.Top; Y < Rc.Bottom; ++Y)
        for (Integer X = Rc.Left; X < Rc.Right; ++X)
            ASSERT_NE(Px(X, Y), Lime) << X << "," << Y;
    G->FocusCell(1, 3);
    Repaint();
    EXPECT_EQ(Marked(2), 0);
    EXPECT_GT(Marked(3), 20);
}

} // namespace
