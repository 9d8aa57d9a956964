// Editing a header cell in place, and the filter list that drops down from a column's filter
// glyph: choosing a value filters the grid, leaving the list elsewhere filters nothing.

#include "RudUvud/tests/GridTestSupport.h"

#include "platform/rtl/Strings.h"
#include "platform/win/Windows.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

class FixedCellEditTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        Form = gridtest::NewForm();
        G = gridtest::NewShownGrid(Form, 4, 8);
        G->SetCells(1, 0, "Prize");
        G->SetCells(2, 0, "Count");
        G->SetFocus();
        uitest::PumpUntilIdle();
        uitest::ClearRecords();
    }
    void TearDown() override
    {
        if (Form)
            Form->Free();
    }

    void ClickCell(Integer C, Integer R)
    {
        const TRect Rc = G->CellRect(C, R);
        uitest::Click(G->Handle(), (Rc.Left + Rc.Right) / 2, (Rc.Top + Rc.Bottom) / 2);
    }

    TForm* Form = nullptr;
    TDidAririzEvar* G = nullptr;
};

// The header editor opens over the cell with its text and writes the new text when the focus
// leaves it; Enter changes nothing and does not beep.
TEST_F(FixedCellEditTest, HeaderEditCommitsWhenTheFocusLeaves)
{
    G->StartFixedEdit(1, 0);
    TGridTransEdit* E = G->FixedCellEditor();
    ASSERT_TRUE(E->Visible());
    EXPECT_TRUE(E->Focused());
    EXPECT_EQ(E->Text(), "Prize");
    EXPECT_EQ(E->Col(), 1);
    EXPECT_EQ(E->Row(), 0);
    const TRect R = G->CellRect(1, 0);
    EXPECT_EQ(E->Left(), R.Left + 1);
    EXPECT_EQ(E->Width(), R.Right - R.Left - 2);
    uitest::PressKey(VK_END);
    uitest::TypeText("s");
    uitest::PressKey(VK_RETURN);
    EXPECT_TRUE(E->Visible());
    EXPECT_EQ(G->Cells(1, 0), "Prize");
    EXPECT_TRUE(uitest::Beeps().empty());
    ClickCell(2, 3);
    uitest::PumpUntilIdle();
    EXPECT_FALSE(E->Visible());
    EXPECT_EQ(G->Cells(1, 0), "Prizes");
    EXPECT_TRUE(G->Focused());

    // Starting the edit of another header ends the running one first.
    G->StartFixedEdit(1, 0);
    uitest::TypeText("Gift");
    G->StartFixedEdit(2, 0);
    EXPECT_EQ(G->Cells(1, 0), "Gift");
    EXPECT_EQ(E->Text(), "Count");
    EXPECT_EQ(E->Col(), 2);
}

// A text OnCellValidate refuses keeps the editor open and focused on its cell; the corrected
// text is written, and OnEditingDone fires before the header holds it.
TEST_F(FixedCellEditTest, RefusedHeaderTextKeepsTheEditorOpen)
{
    std::vector<std::string> Log;
    G->OnCellValidate = [&](TObject*, Integer C, Integer R, AnsiString& V, bool& Valid) {
        Log.push_back("validate " + V + " @" + std::to_string(C) + "," + std::to_string(R));
        Valid = !V.empty();
        if (Valid)
            V = UpperCase(V);
    };
    G->OnEditingDone = [&](TObject*) { Log.push_back("done, cell " + G->Cells(2, 0)); };
    G->StartFixedEdit(2, 0);
    TGridTransEdit* E = G->FixedCellEditor();
    uitest::PressKey(VK_END);
    for (int I = 0; I < 5; ++I)
        uitest::PressKey(VK_BACK);
    ClickCell(1, 4);
    uitest::PumpUntilIdle();
    EXPECT_TRUE(E->Visible());
    EXPECT_TRUE(E->Focused());
    EXPECT_EQ(G->Cells(2, 0), "Count");
    uitest::TypeText("qty");
    ClickCell(1, 4);
    uitest::PumpUntilIdle();
    EXPECT_FALSE(E->Visible());
    EXPECT_EQ(G->Cells(2, 0), "QTY");
    EXPECT_EQ(Log, (std::vector<std::string>{"validate  @2,0", "validate qty @2,0", "done, cell Count"}));
}

// OnCanEditCell answering false keeps a header from being edited.
TEST_F(FixedCellEditTest, CanEditCellFalseKeepsTheHeader)
{
    G->OnCanEditCell = [](TObject*, Integer R, Integer C, bool& CanEdit) { CanEdit = !(R == 0 && C == 1); };
    G->StartFixedEdit(1, 0);
    EXPECT_FALSE(G->FixedCellEditor()->Visible());
    G->StartFixedEdit(2, 0);
    EXPECT_TRUE(G->FixedCellEditor()->Visible());
}

class FilterListTest : public FixedCellEditTest {
protected:
    void SetUp() override
    {
        FixedCellEditTest::SetUp();
        const char* Prizes[] = {"cup", "pen", "cup", "mug", "pen", "cup", "mug"};
        for (Integer R = 1; R < 8; ++R)
            G->SetCells(1, R, Prizes[R - 1]);
        G->SetFilterDropDownAuto(true);
        Other = New<TEdit>(Form);
        Other->SetParent(Form);
        Other->SetBounds(650, 500, 100, 24);
        uitest::PumpUntilIdle();
    }

    // Opens column 1's filter list below its header as the filter glyph does.
    TDropList* Open()
    {
        TDropList* L = G->FilterDropList();
        G->SetFilterColumn(1);
        EXPECT_TRUE(G->GetFilter(1));
        L->Items()->Clear();
        for (Integer I = 0; I < G->FilterValues()->Count(); ++I) {
            const AnsiString S = G->FilterValues()->Strings(I);
            L->Items()->Add(S.substr(0, S.find('=')));
        }
        L->SetItemIndex(0);
        const TRect R = G->CellRect(1, 0);
        L->SetBounds(R.Right - 16, R.Top + 16, 120, 100);
        L->SetVisible(true);
        L->SetFocus();
        uitest::PumpUntilIdle();
        return L;
    }
    Integer Index(TDropList* L, const char* S) { return L->Items()->IndexOf(S); }
    std::vector<std::string> Shown()
    {
        std::vector<std::string> V;
        for (Integer R = 1; R < G->RowCount(); ++R)
            V.push_back(G->Cells(1, R));
        return V;
    }

    TEdit* Other = nullptr;
};

// Releasing the mouse on an item hides the list and filters the grid by that value; Enter does
// the same for the selected item.
TEST_F(FilterListTest, ChoosingAValueFiltersTheGrid)
{
    TDropList* L = Open();
    const Integer Mug = Index(L, "mug");
    ASSERT_GE(Mug, 0);
    const TRect IR = L->ItemRect(Mug);
    uitest::Click(L->Handle(), (IR.Left + IR.Right) / 2, (IR.Top + IR.Bottom) / 2);
    EXPECT_FALSE(L->Visible());
    EXPECT_EQ(Shown(), (std::vector<std::string>{"mug", "mug"}));
    EXPECT_EQ(G->FilterColumn(), -1);

    G->RemoveAllFilters();
    L = Open();
    L->SetItemIndex(Index(L, "pen"));
    uitest::PressKey(VK_RETURN);
    EXPECT_FALSE(L->Visible());
    EXPECT_EQ(Shown(), (std::vector<std::string>{"pen", "pen"}));
}

// The focus moving elsewhere while the mouse is outside the list closes it without a selection;
// with the mouse over it the list stays.
TEST_F(FilterListTest, FocusLeavingWithTheMouseOutsideCancels)
{
    TDropList* L = Open();
    uitest::MoveMouse(L->Handle(), 10, 10);
    Other->SetFocus();
    uitest::PumpUntilIdle();
    EXPECT_TRUE(L->Visible());
    EXPECT_EQ(G->FilterColumn(), 1);

    L->SetFocus();
    uitest::MoveMouse(Form->Handle(), 700, 300);
    Other->SetFocus();
    uitest::PumpUntilIdle();
    EXPECT_FALSE(L->Visible());
    EXPECT_EQ(G->FilterColumn(), -1);
    EXPECT_EQ(Shown().size(), 7u);
}

// Closing the form with the header editor and the filter list open and focused.
TEST_F(FilterListTest, ClosingTheFormWithTheEditorsOpen)
{
    G->StartFixedEdit(1, 0);
    uitest::TypeText("x");
    Open();
    uitest::MoveMouse(Form->Handle(), 700, 300);
    Form->Free();
    Form = nullptr;
    uitest::PumpUntilIdle();
}

} // namespace
