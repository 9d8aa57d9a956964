// The grid's rich edit: sub- and superscript of the selection, rich-text cells painted and
// measured with their styles, editing a rich-text cell (styles written back, the row growing
// while typing, the arrows and the focus handed back to the grid).

#include "RudUvud/tests/GridTestSupport.h"

#include "RudUvud/edit/GridText.h"
#include "platform/forms/StdCtrls.h"
#include "platform/win/Windows.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

const AnsiString Plain = "{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}\\f0\\fs24 WWWW}";
const AnsiString Raised = "{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}\\f0\\fs24 WW{\\up12 WW}}";

class GridRichEditTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        Form = gridtest::NewForm();
        G = gridtest::NewShownGrid(Form, 5, 10);
        G->SetColWidths(1, 120);
        G->OnGetEditorType = [](TObject*, Integer, Integer, TEditorType& E) { E = edRichEdit; };
        G->SetOptions(G->Options() + TGridOptions{goEditing});
        G->SetFocus();
        uitest::PumpUntilIdle();
    }
    void TearDown() override { Form->Free(); }

    // Opens the rich editor on a cell with F2.
    TZurIdodAdod* Edit(Integer C, Integer R)
    {
        G->GotoCell(C, R);
        G->SetFocus();
        uitest::PressKey(VK_F2);
        TZurIdodAdod* E = G->RichEditor();
        EXPECT_TRUE(E->Visible());
        EXPECT_TRUE(E->Focused());
        return E;
    }
    // The topmost row of a cell holding a non-white pixel between X0 and X1 (cell
    // coordinates), -1 when none.
    Integer TopInk(Integer C, Integer R, Integer X0, Integer X1)
    {
        const TRect Rc = G->CellRect(C, R);
        for (Integer Y = Rc.Top + 1; Y < Rc.Bottom - 1; ++Y)
            for (Integer X = Rc.Left + X0; X < Rc.Left + X1; ++X)
                if (uitest::PixelAt(G->Handle(), X, Y) != 0xFFFFFFu)
                    return Y - Rc.Top;
        return -1;
    }

    TForm* Form = nullptr;
    TDidAririzEvar* G = nullptr;
};

TEST_F(GridRichEditTest, SubAndSuperscriptOfTheSelection)
{
    TZurIdodAdod* E = G->RichEdit();
    G->SetCells(1, 1, Plain);
    G->CellToRich(1, 1, E);
    E->SetSelStart(1);
    E->SetSelLength(2);
    EXPECT_TRUE(E->IsSelNormal());
    E->SelSuperscript();
    EXPECT_TRUE(E->IsSelSuperscript());
    EXPECT_FALSE(E->IsSelNormal());
    EXPECT_FALSE(E->IsSelSubscript());
    E->SelSubscript();
    EXPECT_TRUE(E->IsSelSubscript());
    EXPECT_FALSE(E->IsSelSuperscript());
    // The offset goes into the RTF of the cell (40 twips: 4 half points).
    G->RichToCell(2, 2, E);
    EXPECT_NE(G->Cells(2, 2).find("\\dn4"), std::string::npos) << G->Cells(2, 2);
    E->SelNormal();
    EXPECT_TRUE(E->IsSelNormal());
    EXPECT_FALSE(E->IsSelSubscript());
    EXPECT_FALSE(E->IsSelSuperscript());
}

TEST_F(GridRichEditTest, OnlyTheGridOwnsIt)
{
    TForm* Other = gridtest::NewForm();
    EXPECT_THROW(New<TZurIdodAdod>(Other), EInvalidCast);
    Other->Free();
}

TEST_F(GridRichEditTest, RaisedTextPaintsAboveTheLine)
{
    G->SetCells(1, 2, Plain);
    G->SetCells(1, 4, Raised);
    G->Invalidate();
    uitest::PumpUntilIdle();
    // The line makes room for the raised letters: its first two letters sit lower than in the
    // plain cell, the raised ones higher than those.
    const Integer PlainTop = TopInk(1, 2, 2, 20), LineTop = TopInk(1, 4, 2, 20),
                  RaisedTop = TopInk(1, 4, 45, 70);
    ASSERT_GE(PlainTop, 0);
    ASSERT_GE(RaisedTop, 0);
    EXPECT_GT(LineTop, PlainTop);
    EXPECT_LT(RaisedTop, LineTop);
}

TEST_F(GridRichEditTest, MeasuringReadsTheSizeTheTextAskedFor)
{
    const AnsiString Three =
        "{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}\\f0\\fs24 one\\par two\\par {\\fs48 three}}";
    G->SetCells(1, 1, Plain);
    G->SetCells(1, 2, Three);
    const TPoint One = G->GetCellTextSize(1, 1, false, false);
    EXPECT_EQ(One, (TPoint{G->RichEdit()->ReqWidth(), G->RichEdit()->ReqHeight()}));
    const TPoint Tall = G->GetCellTextSize(1, 2, false, false);
    EXPECT_EQ(Tall.Y, G->RichEdit()->ReqHeight());
    EXPECT_GT(Tall.Y, 3 * One.Y);
    // The editing instance does not report: it is not the measuring one.
    EXPECT_EQ(G->RichEditor()->ReqHeight(), 0);
}

TEST_F(GridRichEditTest, EditedStylesAreWrittenBackWhenTheGridTakesTheFocus)
{
    G->SetCells(1, 2, Plain);
    TZurIdodAdod* E = Edit(1, 2);
    EXPECT_EQ(E->Lines()->Text().substr(0, 4), "WWWW");
    E->SetSelStart(4);
    E->SetSelLength(0);
    uitest::TypeText("xy");
    E->SetSelStart(4);
    E->SetSelLength(2);
    E->SelSuperscript();
    // The focus going to another control leaves the edit open.
    auto* Other = New<TEdit>(Form);
    Other->SetParent(Form);
    Other->SetBounds(650, 10, 100, 24);
    Other->SetFocus();
    uitest::PumpUntilIdle();
    EXPECT_TRUE(E->Visible());
    EXPECT_EQ(G->Cells(1, 2), Plain);
    // Back to the editor, then to the grid: the edit ends and the styled text is the cell's.
    E->SetFocus();
    G->SetFocus();
    uitest::PumpUntilIdle();
    EXPECT_FALSE(E->Visible());
    const AnsiString Cell = G->Cells(1, 2);
    EXPECT_NE(Cell.find("\\up4"), std::string::npos) << Cell;
    EXPECT_NE(Cell.find("xy"), std::string::npos) << Cell;
    EXPECT_EQ(RTFPlainText(Cell).substr(0, 6), "WWWWxy");
}

TEST_F(GridRichEditTest, UpAndDownLeaveTheEditWithoutWordWrap)
{
    G->SetCells(1, 3, Plain);
    G->SetWordWrap(false);
    TZurIdodAdod* E = Edit(1, 3);
    uitest::PressKey(VK_DOWN);
    EXPECT_FALSE(E->Visible());
    EXPECT_EQ(G->Row(), 4);
    EXPECT_TRUE(G->Focused());
    // With word wrap the arrows move the caret inside the text.
    G->SetWordWrap(true);
    E = Edit(1, 3);
    uitest::PressKey(VK_DOWN);
    EXPECT_TRUE(E->Visible());
    EXPECT_EQ(G->Row(), 3);
}

TEST_F(GridRichEditTest, RowGrowsWhileTypingUntilTheGridsBottom)
{
    G->SizeWhileTyping()->Height = true;
    std::vector<Integer> Grown;
    G->OnEndRowSize = [&](TObject*, Integer ARow) { Grown.push_back(G->RowHeights(ARow)); };
    const Integer Before = G->RowHeights(2);
    TZurIdodAdod* E = Edit(1, 2);
    for (int I = 0; I < 3; ++I) {
        uitest::TypeText("line");
        uitest::PressKey(VK_RETURN);
    }
    uitest::TypeText("last");
    ASSERT_FALSE(Grown.empty());
    for (size_t I = 1; I < Grown.size(); ++I)
        EXPECT_GT(Grown[I], Grown[I - 1]) << "the row grows in steps and never shrinks";
    EXPECT_GT(G->RowHeights(2), Before);
    EXPECT_EQ(E->Height(), G->RowHeights(2) - 1);
    // Many more lines: the row stops before it would pass the grid's bottom edge.
    for (int I = 0; I < 30; ++I)
        uitest::PressKey(VK_RETURN);
    EXPECT_LE(G->CellRect(1, 2).Top + G->RowHeights(2), G->Height() + 5);
    EXPECT_LT(G->RowHeights(2), G->Height());
}

TEST_F(GridRichEditTest, LoadingATallCellDoesNotGrowTheRow)
{
    G->SizeWhileTyping()->Height = true;
    G->SetCells(1, 2, "{\\rtf1\\ansi one\\par two\\par three\\par four}");
    int Grown = 0;
    G->OnEndRowSize = [&](TObject*, Integer) { ++Grown; };
    const Integer Before = G->RowHeights(2);
    TZurIdodAdod* E = Edit(1, 2);
    EXPECT_FALSE(E->Locked());
    EXPECT_EQ(Grown, 0);
    EXPECT_EQ(G->RowHeights(2), Before);
}

} // namespace
