// The custom editor link with an edit of the test's own: placed over the cell or in a popup form,
// filled from the cell, ended by Enter, Esc or the focus moving away, its value going back into
// the cell it was opened on.

#include "RudUvud/tests/GridTestSupport.h"

#include "RudUvud/edit/EditLink.h"

#include "platform/forms/StdCtrls.h"
#include "platform/win/Windows.h"

#include <gtest/gtest.h>

namespace {

// A link driving a plain edit.
class TTestLink : public TEditLink {
public:
    using TEditLink::TEditLink;
    TEdit* Edit = nullptr;
    Integer Created = 0;
    TColor CellColor = clNone;

    TWinControl* GetEditControl() override { return Edit; }
    void CreateEditor(TWinControl* AParent) override
    {
        ++Created;
        if (!Edit) {
            Edit = New<TEdit>(this);
            Edit->OnKeyDown = [this](TObject* S, Word& Key, TShiftState Shift) {
                EditKeyDown(S, Key, Shift);
            };
            Edit->OnExit = [this](TObject* S) { EditExit(S); };
        }
        Edit->SetParent(AParent);
    }
    void SetCellProps(TColor AColor, TFont*) override { CellColor = AColor; }
    AnsiString GetEditorValue() override { return Edit->Text(); }
    void SetEditorValue(const AnsiString& S) override { Edit->SetText(S); }
};

class EditLinkTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        Form = gridtest::NewForm();
        G = gridtest::NewShownGrid(Form, 5, 8);
        G->SetOptions(G->Options() + TGridOptions{goEditing});
        G->OnGetEditorType = [](TObject*, Integer, Integer, TEditorType& E) { E = edCustom; };
        Link = New<TTestLink>(Form);
        G->SetEditLink(Link);
        G->SetFocus();
        uitest::PumpUntilIdle();
    }
    void TearDown() override { Form->Free(); }
    void ClickCell(Integer ACol, Integer ARow)
    {
        const TRect R = G->CellRect(ACol, ARow);
        uitest::Click(G->Handle(), (R.Left + R.Right) / 2, (R.Top + R.Bottom) / 2);
    }

    TForm* Form = nullptr;
    TDidAririzEvar* G = nullptr;
    TTestLink* Link = nullptr;
};

TEST_F(EditLinkTest, InPlaceEditorTakesTheCellAndGivesItsValueBack)
{
    G->SetCells(2, 3, "");
    G->GotoCell(2, 3);
    uitest::TypeText(u"獎"); // the first character opens the editor and is typed into it
    uitest::TypeText(u"品 ok");
    ASSERT_NE(Link->Edit, nullptr);
    EXPECT_TRUE(Link->Edit->Visible());
    EXPECT_EQ(Link->Grid(), G);
    EXPECT_EQ(Link->EditCell(), (TPoint{2, 3}));
    const TRect R = G->CellRect(2, 3);
    EXPECT_EQ(Link->Edit->Left(), R.Left);
    EXPECT_EQ(Link->Edit->Top(), R.Top);
    EXPECT_EQ(Link->Edit->Text(), "獎品 ok");
    uitest::PressKey(VK_RETURN);
    EXPECT_EQ(G->Cells(2, 3), "獎品 ok");
    EXPECT_FALSE(Link->Edit->Visible());
    EXPECT_FALSE(G->Editing().Active);

    // Esc puts the old text back before the value is stored.
    uitest::PressKey(VK_F2);
    EXPECT_EQ(Link->Edit->Text(), "獎品 ok");
    uitest::TypeText("zz");
    uitest::PressKey(VK_ESCAPE);
    EXPECT_EQ(G->Cells(2, 3), "獎品 ok");

    // Wanted keys stay with the control.
    Link->WantKeyReturn = true;
    uitest::PressKey(VK_F2);
    uitest::PressKey(VK_RETURN);
    EXPECT_TRUE(G->Editing().Active);
    EXPECT_TRUE(Link->Edit->Visible());
}

TEST_F(EditLinkTest, FocusMovingToAnotherCellStoresIntoTheEditedCellOnly)
{
    G->SetCells(1, 1, "one");
    G->SetCells(3, 4, "other");
    G->GotoCell(1, 1);
    uitest::PressKey(VK_F2);
    Link->Edit->SetText("changed");
    ClickCell(3, 4);
    EXPECT_EQ(G->Cells(1, 1), "changed");
    EXPECT_EQ(G->Cells(3, 4), "other");
    G->HideCellEdit();
    EXPECT_EQ(G->Cells(3, 4), "other");
}

TEST_F(EditLinkTest, PopupFormClosingOnItsOwnIsPassedOverOnce)
{
    Link->EditStyle = esPopup;
    Link->PopupLeft = 100; // with PopupTop -1 the form goes to the cell
    Link->AutoPopupWidth = true;
    Link->PopupHeight = 60;
    G->SetCells(2, 2, "start");
    G->GotoCell(2, 2);
    uitest::PressKey(VK_F2);
    ASSERT_NE(Link->PopupForm(), nullptr);
    const TRect R = G->CellRect(2, 2);
    const TPoint P = G->ClientToScreen(TPoint{R.Left, R.Top});
    EXPECT_EQ(Link->PopupForm()->Left(), P.X);
    EXPECT_EQ(Link->PopupForm()->Top(), P.Y);
    EXPECT_EQ(Link->PopupForm()->Width(), R.Right - R.Left);
    EXPECT_TRUE(Link->Edit->Focused());
    Link->Edit->SetText("popup value");

    // Another window takes the activation: the form closes on its own.
    Form->SetFocus();
    uitest::PumpUntilIdle();
    EXPECT_EQ(G->Cells(2, 2), "popup value");
    EXPECT_FALSE(Link->PopupForm()->Visible());
    EXPECT_FALSE(G->Editing().Active);
    // The form closed on its own (not by a key of the link): the focus coming back to the grid is
    // passed over once, and the flag does not outlast it.
    EXPECT_EQ(GetFocus(), G->Handle());
    EXPECT_FALSE(G->PopupClosed());
    Form->SetFocus();
    G->SetFocus();
    uitest::PumpUntilIdle();
    EXPECT_FALSE(G->PopupClosed());
    uitest::PressKey(VK_F2);
    EXPECT_TRUE(G->Editing().Active);
    EXPECT_EQ(Link->Created, 2);
}

// A second link makes its own popup form and frees the first one's: the first link forgets it
// and makes a new one at its next show instead of using a freed form.
TEST_F(EditLinkTest, AnotherLinksPopupFormReplacingOursIsNotUsedAfterwards)
{
    auto* Other = New<TTestLink>(Form);
    Link->EditStyle = esPopup;
    Other->EditStyle = esPopup;
    Link->PopupWidth = Other->PopupWidth = 80;
    Link->PopupHeight = Other->PopupHeight = 40;
    for (TTestLink* L : {Link, Other, Link}) {
        G->SetEditLink(L);
        G->GotoCell(1, 1);
        uitest::PressKey(VK_F2);
        ASSERT_NE(L->PopupForm(), nullptr);
        EXPECT_TRUE(L->PopupForm()->Visible());
        L->Edit->SetText(L == Link ? "first" : "second");
        uitest::PressKey(VK_RETURN);
        EXPECT_EQ(G->Cells(1, 1), L == Link ? "first" : "second");
    }
    EXPECT_EQ(Other->PopupForm(), nullptr) << "freed by the first link's new form";
}

} // namespace
