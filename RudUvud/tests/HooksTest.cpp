// The per-cell query hooks in their order of precedence, new-record seeding and the dimension
// properties.

#include "RudUvud/tests/GridTestSupport.h"

#include <gtest/gtest.h>

namespace {

class THookGrid : public TDidAririzEvar {
public:
    using TDidAririzEvar::TDidAririzEvar;
    TCellType Kind = ctEmpty;
    TCellType GetCellType(Integer, Integer) override { return Kind; }
    // Stands for the painting part's visual properties: a grey background everywhere.
    void GetVisualProperties(Integer, Integer, TGridDrawState&, bool, bool, bool, TBrush* ABrush,
                             TColor& ColorTo, TColor&, TColor&, TFont*, TAlignment&, TVAlignment&, bool&,
                             TCellGradientDirection&) override
    {
        ABrush->SetColor(0x808080);
        ColorTo = 0x404040;
    }
};

class HooksTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        Form = gridtest::NewForm();
        G = New<THookGrid>(Form);
        G->SetParent(Form);
        G->SetBounds(0, 0, 600, 400);
        uitest::PumpUntilIdle();
    }
    void TearDown() override { Form->Free(); }
    TForm* Form = nullptr;
    THookGrid* G = nullptr;
};

TEST_F(HooksTest, CellColourPrecedence)
{
    TBrush Brush;
    TFont Font;
    auto Ask = [&](Integer C, Integer R) {
        Brush.SetColor(0xFFFFFF);
        Font.SetColor(0);
        Font.SetStyle(TFontStyles{});
        G->GetCellColor(C, R, TGridDrawState{}, &Brush, &Font);
    };
    // Active cell headers: the last fixed column of the current row, the last fixed row of the
    // current column.
    G->SetActiveCellShow(true);
    G->SetCol(3);
    G->SetRow(5);
    struct Case {
        Integer C, R;
        bool Highlighted;
    } Cases[] = {{0, 5, true}, {3, 0, true}, {0, 4, false}, {2, 0, false}, {3, 5, false}};
    for (const Case& K : Cases) {
        Ask(K.C, K.R);
        EXPECT_EQ(Brush.Color() == G->ActiveCellColor(), K.Highlighted) << K.C << "," << K.R;
        EXPECT_EQ(Font.Style().Contains(fsBold), K.Highlighted) << K.C << "," << K.R;
    }
    // The record comes next: its brush only for plain kinds, its font for every kind.
    TCellProperties* CP = G->GetCellProperties(0, 5);
    CP->SetBrushColor(0x0000FF);
    CP->SetFontColor(0x00FF00);
    G->Kind = ctCheckBox;
    Ask(0, 5);
    EXPECT_EQ(Brush.Color(), G->ActiveCellColor());
    EXPECT_EQ(Font.Color(), 0x00FF00);
    G->Kind = ctEmpty;
    Ask(0, 5);
    EXPECT_EQ(Brush.Color(), 0x0000FF);
    // The event has the last word and sees what came before.
    TColor Seen = 0;
    G->OnGetCellColor = [&](TObject*, Integer ARow, Integer ACol, TGridDrawState, TBrush* B, TFont*) {
        Seen = B->Color();
        if (ARow == 5 && ACol == 0)
            B->SetColor(0x010203);
    };
    Ask(0, 5);
    EXPECT_EQ(Seen, 0x0000FF);
    EXPECT_EQ(Brush.Color(), 0x010203);
}

TEST_F(HooksTest, FixedReadOnlyAndButtons)
{
    bool Fixed = false;
    G->GetCellFixed(0, 3, Fixed);
    EXPECT_TRUE(Fixed);
    int Asked = 0;
    G->OnIsFixedCell = [&](TObject*, Integer ARow, Integer, bool& F) {
        ++Asked;
        F = ARow == 4;
    };
    Fixed = false;
    G->GetCellFixed(0, 4, Fixed);
    EXPECT_EQ(Asked, 0) << "the event only decides cells the rules leave normal";
    EXPECT_TRUE(G->IsFixed(2, 4));
    EXPECT_FALSE(G->IsFixed(2, 3));
    EXPECT_EQ(Asked, 2);

    // Read-only: a record decides, but only while the grid edits.
    bool CanEdit = true;
    G->GetCellReadOnly(2, 2, CanEdit);
    EXPECT_TRUE(CanEdit) << "no record: the caller's value";
    G->GetCellProperties(2, 2);
    CanEdit = true;
    G->GetCellReadOnly(2, 2, CanEdit);
    EXPECT_FALSE(CanEdit) << "goEditing off";
    G->SetOptions(G->Options() + TGridOptions{goEditing});
    CanEdit = true;
    G->GetCellReadOnly(2, 2, CanEdit);
    EXPECT_TRUE(CanEdit);
    G->GetCellProperties(2, 2)->SetReadOnly(true);
    CanEdit = true;
    G->GetCellReadOnly(2, 2, CanEdit);
    EXPECT_FALSE(CanEdit);

    // Spin buttons never on fixed cells, whatever the event says; combos from the editor kind.
    G->OnHasSpinEdit = [](TObject*, Integer, Integer, bool& H) { H = true; };
    EXPECT_FALSE(G->HasSpinEdit(0, 3));
    EXPECT_TRUE(G->HasSpinEdit(1, 3));
    EXPECT_FALSE(G->HasCombo(1, 3));
    G->ControlLook()->DropDownAlwaysVisible = true;
    G->OnGetEditorType = [](TObject*, Integer ACol, Integer, TEditorType& E) {
        if (ACol == 2)
            E = edComboList;
    };
    EXPECT_TRUE(G->HasCombo(2, 3));
    EXPECT_FALSE(G->HasCombo(3, 3));

    // Texts: the grid's, then the event.
    G->OnGetCheckTrue = [](TObject*, Integer ACol, Integer, AnsiString& V) {
        if (ACol == 4)
            V = "yes";
    };
    EXPECT_EQ(G->GetCheckTrue(3, 1), "Y");
    EXPECT_EQ(G->GetCheckTrue(4, 1), "yes");
    // Alignment: column 0 centred with hotmail row selection.
    TAlignment H = taLeftJustify;
    TVAlignment V = vtaTop;
    G->MouseActions()->SetHotmailRowSelect(true);
    G->GetCellAlign(0, 1, H, V);
    EXPECT_EQ(H, taCenter);
    // The wide hint travels encoded.
    G->OnGridWideHint = [](TObject*, Integer, Integer, WideString& W) { W = u"A"; };
    AnsiString Hint = "plain";
    WideString Wide;
    G->GetCellHint(1, 1, Hint, Wide);
    EXPECT_EQ(Hint, std::string("|\\\0A", 4));
}

TEST_F(HooksTest, NewRecordsNeverKeepFixedOrBandColours)
{
    TCellProperties* Normal = G->GetCellProperties(2, 2);
    EXPECT_EQ(Normal->BrushColor(), 0x808080);
    EXPECT_EQ(Normal->BrushColorTo(), 0x404040);
    TCellProperties* Fixed = G->GetCellProperties(0, 2);
    EXPECT_EQ(Fixed->BrushColor(), clNone);
    EXPECT_EQ(Fixed->BrushColorTo(), clNone);
    G->Bands()->Active = true;
    EXPECT_EQ(G->GetCellProperties(3, 3)->BrushColor(), clNone);
}

TEST_F(HooksTest, FilterListOfAColumn)
{
    G->SetRowCount(4);
    G->SetCells(1, 1, "b");
    G->SetCells(1, 2, "x y");
    G->SetCells(1, 3, "b");
    G->SetFilterDropDownAuto(true);
    ASSERT_TRUE(G->GetFilter(1));
    TStringList* L = G->FilterValues();
    ASSERT_EQ(L->Count(), 3);
    EXPECT_EQ(L->Strings(0), "(All)");
    // Sorted, as the list is while it is filled.
    EXPECT_EQ(L->Strings(1), "b");
    EXPECT_EQ(L->Strings(2), "x y=\"x y\"");
    // Hidden rows count as well.
    G->HideRow(1);
    ASSERT_TRUE(G->GetFilter(1));
    EXPECT_EQ(L->Count(), 3);
    EXPECT_FALSE(G->GetFilter(0)) << "fixed column";
}

TEST_F(HooksTest, FixedCountsWithFixedRowAlways)
{
    G->SetRowCount(2);
    G->SetFixedRowAlways(true);
    G->SetFixedRows(3);
    EXPECT_EQ(G->FixedRows(), 1);
    G->SetRowCount(5);
    EXPECT_EQ(G->FixedRows(), 3);
    // Without the flag the platform's own check applies.
    EXPECT_THROW(G->SetFixedCols(G->ColCount()), EInvalidGridOperation);
}

TEST_F(HooksTest, SizesAndCountsBookkeeping)
{
    G->SetColWidths(0, 40);
    G->SetFixedColWidth(G->DefaultColWidth());
    EXPECT_EQ(G->ColWidths(0), 40);
    G->SetFixedColWidth(50);
    EXPECT_EQ(G->FixedColWidth(), 50);
    G->SetFixedRowHeight(30);
    EXPECT_EQ(G->RowHeights(0), 30);
    EXPECT_EQ(G->RowHeights(1), 22);
    G->SetRowCount(100);
    G->SetRowCount(10);
    EXPECT_EQ(G->LargestRowCount(), 100);
    EXPECT_EQ(G->DisplayLimit(), 10);
    G->SetWordWrap(false);
    EXPECT_FALSE(G->GetCellProperties(3, 3)->WordWrap());
}

TEST_F(HooksTest, FloatingFooterRowMovesWithTheCount)
{
    G->FloatingFooter()->SetVisible(true);
    G->SetCells(1, 9, "sum");
    TCellProperties* CP = G->GetCellProperties(1, 9);
    G->SetRowCount(12);
    EXPECT_EQ(G->Cells(1, 11), "sum");
    EXPECT_EQ(G->GetCellProperties(1, 11), CP);
    EXPECT_EQ(G->Cells(1, 9), "");
    EXPECT_FALSE(G->HasCellProperties(1, 9));
    G->FloatingFooter()->SetVisible(false);
}

TEST_F(HooksTest, IntegralHeight)
{
    G->SetIntegralHeight(true);
    G->SetBounds(0, 0, 600, 100);
    EXPECT_EQ(G->Height(), 92);
}

} // namespace
