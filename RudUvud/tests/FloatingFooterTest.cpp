// The floating footer: its settings and their effects on the grid, the footer's figures set per
// column, placeholders of the custom template, the columns it shows and finds under the mouse,
// hints and clicks, painting (right-to-left rectangles, the border line) and its staying in
// place while the rows scroll.

#include "RudUvud/tests/GridTestSupport.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

class FloatingFooterTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        Form = gridtest::NewForm();
        G = gridtest::NewShownGrid(Form, 5, 12);
        G->SetFixedRows(1);
        for (Integer R = 1; R < 11; ++R)
            for (Integer C = 0; C < 5; ++C)
                G->SetCells(C, R, std::to_string(R * 10 + C));
        FF = G->FloatingFooter();
        P = G->FooterPanel();
    }
    void TearDown() override { Form->Free(); }
    void Repaint()
    {
        G->Invalidate();
        P->Invalidate();
        uitest::PumpUntilIdle();
    }
    TForm* Form = nullptr;
    TDidAririzEvar* G = nullptr;
    TFloatingFooter* FF = nullptr;
    TFooterPanel* P = nullptr;
};

TEST_F(FloatingFooterTest, VisibilityAndStyleSetTheFooterRowAndThePanel)
{
    EXPECT_EQ(FF->Height(), G->DefaultRowHeight());
    EXPECT_FALSE(P->Visible());
    FF->SetVisible(true);
    EXPECT_TRUE(P->Visible());
    // The panel's window is made at its first showing, which gives it the whole height.
    EXPECT_EQ(P->Height(), FF->Height());
    EXPECT_EQ(G->FixedFooters(), 1);
    EXPECT_TRUE(G->FooterRowFlag());
    // A style change moves the covered flag only.
    FF->SetFooterStyle(fsColumnPreview);
    EXPECT_FALSE(G->FooterRowFlag());
    EXPECT_EQ(G->FixedFooters(), 1);
    FF->SetVisible(false);
    EXPECT_FALSE(P->Visible());
    EXPECT_EQ(P->Height(), 0);
    EXPECT_EQ(G->FixedFooters(), 0);
    FF->SetVisible(true);
    EXPECT_EQ(P->Height(), FF->Height() - 1);
    EXPECT_EQ(G->FixedFooters(), 0) << "a preview leaves the last row to the grid";
    EXPECT_FALSE(G->FooterRowFlag());
    // Heights: the setter sizes the panel one less, 0 changes nothing, the default row height
    // the whole height.
    FF->SetHeight(30);
    EXPECT_EQ(P->Height(), 29);
    FF->SetHeight(0);
    EXPECT_EQ(P->Height(), 29);
    EXPECT_EQ(FF->Height(), 0);
    G->SetDefaultRowHeight(25);
    EXPECT_EQ(FF->Height(), 25);
    EXPECT_EQ(P->Height(), 25);
}

TEST_F(FloatingFooterTest, AssignCopiesAllButHeightCalculationBorderAndEvent)
{
    TDidAririzEvar* Other = gridtest::NewShownGrid(Form, 3, 4);
    TFloatingFooter* S = Other->FloatingFooter();
    S->CalculateHiddenRows = false;
    S->SetColor(clRed);
    S->SetColumn(2);
    S->SetCustomTemplate("<#1>");
    S->SetFooterStyle(fsFixedLastRow);
    S->SetVisible(true);
    S->SetShowHint(true);
    S->SetHeight(40);
    S->SetEnableCalculation(false);
    S->SetBorderColor(clBlue);
    S->OnCalcFooter = [](TObject*, Integer, Integer, AnsiString&) {};
    FF->Assign(S);
    EXPECT_FALSE(FF->CalculateHiddenRows);
    EXPECT_EQ(FF->Color(), clRed);
    EXPECT_EQ(FF->Column(), 2);
    EXPECT_EQ(FF->CustomTemplate(), "<#1>");
    EXPECT_TRUE(FF->Visible());
    EXPECT_EQ(G->FixedFooters(), 1) << "Visible went through its setter";
    EXPECT_TRUE(FF->ShowHint());
    EXPECT_TRUE(P->ShowHint());
    EXPECT_EQ(FF->Height(), G->DefaultRowHeight());
    EXPECT_TRUE(FF->EnableCalculation());
    EXPECT_EQ(FF->BorderColor(), clNone);
    EXPECT_FALSE(FF->OnCalcFooter);
    // Anything else is ignored.
    TStringList Strings;
    FF->Assign(&Strings);
    EXPECT_EQ(FF->Column(), 2);
}

TEST_F(FloatingFooterTest, ColumnCalcCountsRowsAndSurvivesNonNumericFirstCells)
{
    // Row 11 is the footer row below 10 data rows; hidden rows count when they are asked for.
    G->SetRowCount(12);
    FF->SetColumnCalc(2, acCOUNT);
    EXPECT_EQ(G->Cells(2, 11), "") << "an invisible footer calculates nothing";
    FF->SetVisible(true);
    FF->SetColumnCalc(2, acCOUNT);
    EXPECT_EQ(FF->ColumnCalc(2), acCOUNT);
    EXPECT_EQ(FF->ColumnCalc(3), acNONE);
    EXPECT_EQ(G->Cells(2, 11), "10");
    G->HideRows(2, 3);
    ASSERT_EQ(G->RowCount(), 10);
    G->CalcFooter(-1);
    EXPECT_EQ(G->Cells(2, 9), "10") << "with the hidden rows";
    FF->CalculateHiddenRows = false;
    G->CalcFooter(-1);
    EXPECT_EQ(G->Cells(2, 9), "8");
    // Switched off, the row keeps its text.
    FF->SetEnableCalculation(false);
    G->SetCells(2, 9, "kept");
    G->CalcFooter(-1);
    EXPECT_EQ(G->Cells(2, 9), "kept");
    FF->SetEnableCalculation(true);
    // A minimum whose first data cell is no number leaves the footer cell empty instead of
    // failing out of the cell setter.
    G->SetCells(1, 1, "n/a");
    G->SetCells(1, 9, "old");
    EXPECT_NO_THROW(FF->SetColumnCalc(1, acMIN));
    EXPECT_EQ(G->Cells(1, 9), "");
    G->SetCells(1, 1, "5");
    FF->SetColumnCalc(1, acMIN);
    EXPECT_EQ(G->GetFloats(1, 9), 5);
}

TEST_F(FloatingFooterTest, PlaceholdersTakeTheCurrentRowsTexts)
{
    G->FocusCell(1, 4);
    ASSERT_EQ(G->Row(), 4);
    G->SetCells(3, 4, "");
    struct Case {
        const char* Template;
        const char* Want;
    };
    const Case Cases[] = {
        {"plain <b>bold</b>", "plain <b>bold</b>"},
        {"a=<#1>, b=<#2>.", "a=41, b=42."},
        {"[<#3>]", "[]"},               // an empty cell
        {"[<#x>][<#>]", "[][]"},        // no integer
        {"[<#$2>]", "[42]"},            // hexadecimal
        {"[<#99>][<#-1>]", "[][]"},     // no such column
        {"<#1> and <#2", "41 and <#2"}, // no closing '>': the rest stays text
        {"<#<#1>>", ">"},               // "<" is no integer
    };
    for (const Case& K : Cases)
        EXPECT_EQ(P->HTMLColReplace(K.Template), K.Want) << K.Template;
}

TEST_F(FloatingFooterTest, ColumnsFollowHorizontalScrollingAndAnswerHintsAndClicks)
{
    G->SetColCount(10);
    G->SetFixedCols(1);
    for (Integer C = 0; C < 10; ++C)
        G->SetColWidths(C, 40);
    FF->SetVisible(true);
    G->SetLeftCol(5);
    ASSERT_EQ(G->LeftCol(), 5);
    EXPECT_EQ(P->FooterSequence(), (std::vector<Integer>{0, 5, 6, 7, 8, 9}));
    EXPECT_EQ(P->FooterColumnAt(10), 0);
    EXPECT_EQ(P->FooterColumnAt(40), 0);
    EXPECT_EQ(P->FooterColumnAt(41), 5);
    EXPECT_EQ(P->FooterColumnAt(130), 7);
    EXPECT_EQ(P->FooterColumnAt(241), -1);

    std::vector<TPoint> Hints;
    G->OnGridHint = [&](TObject*, Integer ARow, Integer ACol, AnsiString& Hint) {
        Hints.push_back(TPoint{ACol, ARow});
        Hint = "column " + std::to_string(ACol);
    };
    const auto AskHint = [&](Integer X, AnsiString& Text) {
        THintInfo Info;
        Info.CursorPos = TPoint{X, 5};
        const LRESULT R = P->Perform(CM_HINTSHOW, 0, reinterpret_cast<LPARAM>(&Info));
        Text = Info.HintStr;
        return R;
    };
    AnsiString Text;
    FF->SetShowHint(true);
    EXPECT_EQ(AskHint(300, Text), 0);
    EXPECT_TRUE(Hints.empty()) << "right of the last column";
    EXPECT_EQ(P->LastHintColumn(), -1);
    EXPECT_EQ(AskHint(100, Text), 0);
    ASSERT_EQ(Hints.size(), 1u);
    EXPECT_EQ(Hints[0].X, 6);
    EXPECT_EQ(Hints[0].Y, G->RowCount() - 1);
    EXPECT_EQ(Text, "column 6");
    EXPECT_EQ(P->LastHintColumn(), 6);
    P->Perform(CM_MOUSELEAVE, 0, 0);
    EXPECT_EQ(P->LastHintColumn(), -1);
    FF->SetShowHint(false);
    EXPECT_EQ(AskHint(100, Text), 1) << "no hint without ShowHint";

    Integer Clicks = 0;
    std::vector<TPoint> CellClicks;
    G->OnClick = [&](TObject*) { ++Clicks; };
    G->OnClickCell = [&](TObject*, Integer ARow, Integer ACol) { CellClicks.push_back(TPoint{ACol, ARow}); };
    uitest::Click(P->Handle(), 300, 5);
    uitest::PumpUntilIdle();
    EXPECT_EQ(Clicks, 1);
    EXPECT_TRUE(CellClicks.empty()) << "no footer column there";
    uitest::Click(P->Handle(), 50, 5);
    uitest::PumpUntilIdle();
    EXPECT_EQ(Clicks, 2);
    ASSERT_EQ(CellClicks.size(), 1u);
    EXPECT_EQ(CellClicks[0].X, 5);
    EXPECT_EQ(CellClicks[0].Y, G->RowCount() - 1);
}

TEST_F(FloatingFooterTest, RightToLeftRectanglesComeMirrored)
{
    std::vector<std::pair<Integer, TRect>> Painted;
    G->OnFooterPaint = [&](TObject* Sender, Integer ACol, TCanvas*, TRect R) {
        EXPECT_EQ(Sender, P);
        Painted.push_back({ACol, R});
    };
    G->SetFixedCols(1);
    FF->SetVisible(true);
    G->SetBiDiMode(bdRightToLeft);
    Repaint();
    // The fixed column is painted by the grid; the others through the event, right to left.
    ASSERT_EQ(Painted.size(), 4u);
    Integer PrevLeft = P->ClientWidth() + 1;
    for (const auto& [Col, R] : Painted) {
        EXPECT_GT(R.Left, R.Right) << Col;
        EXPECT_LT(R.Left, PrevLeft) << Col;
        PrevLeft = R.Left;
    }
    EXPECT_EQ(Painted[0].first, 1);
    Painted.clear();
    FF->SetFooterStyle(fsColumnPreview);
    FF->SetColumn(2);
    Repaint();
    ASSERT_EQ(Painted.size(), 1u);
    EXPECT_EQ(Painted[0].first, 2);
    EXPECT_GT(Painted[0].second.Left, Painted[0].second.Right);
    G->SetBiDiMode(bdLeftToRight);
    Painted.clear();
    Repaint();
    ASSERT_EQ(Painted.size(), 1u);
    EXPECT_LT(Painted[0].second.Left, Painted[0].second.Right);
}

TEST_F(FloatingFooterTest, RightToLeftPreviewDrawsTheCellText)
{
    // Dark pixels of the footer (the text; the frame is grey and white).
    const auto DarkPixels = [&] {
        Integer N = 0;
        for (Integer Y = 2; Y < P->ClientHeight() - 2; ++Y)
            for (Integer X = 0; X < P->ClientWidth(); ++X) {
                const COLORREF C = uitest::PixelAt(P->Handle(), X, Y);
                N += (C & 0xFF) < 0x60 && ((C >> 8) & 0xFF) < 0x60 && ((C >> 16) & 0xFF) < 0x60 ? 1 : 0;
            }
        return N;
    };
    G->FocusCell(2, 4);
    G->SetCells(2, 4, "WWWW 4242");
    FF->SetFooterStyle(fsColumnPreview);
    FF->SetColumn(2);
    FF->SetVisible(true);
    Repaint();
    const Integer LeftToRight = DarkPixels();
    ASSERT_GT(LeftToRight, 0);
    G->SetBiDiMode(bdRightToLeft);
    Repaint();
    EXPECT_GT(DarkPixels(), LeftToRight / 2) << "the mirrored cell still gets its text";
}

TEST_F(FloatingFooterTest, BorderLineRunsToThePaintedEdgeOnly)
{
    for (Integer C = 0; C < 5; ++C)
        G->SetColWidths(C, 50);
    FF->SetVisible(true);
    FF->SetFooterStyle(fsCustomPreview);
    FF->SetCustomTemplate("total");
    Repaint();
    const COLORREF Red = ColorToRGB(clRed);
    EXPECT_NE(uitest::PixelAt(P->Handle(), 10, 0), Red);
    FF->SetBorderColor(clRed);
    Repaint();
    EXPECT_EQ(uitest::PixelAt(P->Handle(), 10, 0), Red);
    EXPECT_EQ(uitest::PixelAt(P->Handle(), 240, 0), Red);
    EXPECT_NE(uitest::PixelAt(P->Handle(), 300, 0), Red) << "beyond the footer's columns";
}

TEST_F(FloatingFooterTest, StaysInPlaceWhileRowsScroll)
{
    G->SetRowCount(200);
    for (Integer R = 1; R < 199; ++R)
        G->SetCells(1, R, std::to_string(R));
    FF->SetVisible(true);
    FF->SetColumnCalc(1, acSUM);
    ASSERT_EQ(G->GetFloats(1, 199), 199 * 99);
    Repaint();
    const TRect Before = P->BoundsRect();
    EXPECT_EQ(Before.Bottom, G->ClientHeight());
    EXPECT_GT(Before.Height(), 0);
    const auto Snapshot = [&](HWND H, Integer Width, Integer Top, Integer Height) {
        std::vector<COLORREF> Px;
        for (Integer Y = Top; Y < Top + Height; ++Y)
            for (Integer X = 0; X < Width; ++X)
                Px.push_back(uitest::PixelAt(H, X, Y));
        return Px;
    };
    const Integer Width = P->ClientWidth();
    const std::vector<COLORREF> FooterBefore = Snapshot(P->Handle(), Width, 0, P->ClientHeight());
    const TRect Cell = G->CellRect(1, 2);
    const std::vector<COLORREF> RowsBefore = Snapshot(G->Handle(), Width, Cell.Top, Cell.Height());
    // The sum is painted: the footer's cell of column 1 holds more than its background.
    const TRect FooterCell{G->ColWidths(0) + 2, 2, G->ColWidths(0) + G->ColWidths(1) - 2,
                           P->ClientHeight() - 2};
    bool Text = false;
    const COLORREF Back = uitest::PixelAt(P->Handle(), FooterCell.Left, FooterCell.Top);
    for (Integer Y = FooterCell.Top; Y < FooterCell.Bottom; ++Y)
        for (Integer X = FooterCell.Left; X < FooterCell.Right; ++X)
            Text = Text || uitest::PixelAt(P->Handle(), X, Y) != Back;
    EXPECT_TRUE(Text);

    G->SetTopRow(120);
    uitest::PumpUntilIdle();
    ASSERT_EQ(G->TopRow(), 120);
    EXPECT_EQ(P->BoundsRect(), Before);
    EXPECT_NE(Snapshot(G->Handle(), Width, Cell.Top, Cell.Height()), RowsBefore) << "the rows moved";
    EXPECT_EQ(Snapshot(P->Handle(), Width, 0, P->ClientHeight()), FooterBefore) << "the footer did not";
}

} // namespace
