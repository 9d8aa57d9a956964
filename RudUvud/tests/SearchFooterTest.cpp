// The search footer: its settings, the panel's layout and buttons, incremental search with the
// red edit and highlighting, Enter and Ctrl+Enter, the accelerators, and closing.

#include "RudUvud/tests/GridTestSupport.h"

#include "RudUvud/support/VadObj.h"
#include "platform/win/Colors.h"

#include <gtest/gtest.h>

#include <string>

namespace {

class SearchFooterTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        Form = gridtest::NewForm();
        G = gridtest::NewShownGrid(Form, 5, 12);
        for (Integer R = 1; R < 12; ++R)
            for (Integer C = 1; C < 5; ++C)
                G->SetCells(C, R, "c" + std::to_string(C) + "r" + std::to_string(R));
        G->SetCells(2, 3, "Apple pie");
        G->SetCells(3, 7, "apple juice");
        G->SetCells(1, 9, "APPLE tree");
        G->SearchFooter()->SetVisible(true);
        uitest::PumpUntilIdle();
        P = G->SearchPanel();
        Edit = P->EditControl();
    }
    void TearDown() override { Form->Free(); }

    void Type(const std::string& Text)
    {
        Edit->SetFocus();
        uitest::TypeText(Text);
    }
    TPoint Current() const { return TPoint{G->Col(), G->Row()}; }
    // A click on a part of the panel, as the user makes it.
    void ClickOn(TControl* C)
    {
        uitest::Click(P->Handle(), C->Left() + C->Width() / 2, C->Top() + C->Height() / 2);
    }

    TForm* Form = nullptr;
    TDidAririzEvar* G = nullptr;
    TSearchPanel* P = nullptr;
    TRetEdit* Edit = nullptr;
};

TEST(SearchFooterSettings, DefaultsChangeNotificationsAndAssign)
{
    TSearchFooter F;
    EXPECT_TRUE(F.AutoSearch());
    EXPECT_FALSE(F.Visible());
    EXPECT_EQ(F.SearchColumn(), -1);
    EXPECT_EQ(F.FindNextCaption(), "Find &next");
    EXPECT_EQ(F.FindPrevCaption(), "Find &previous");
    EXPECT_EQ(F.HintFindNext(), "Find next occurence");
    EXPECT_EQ(F.ColorTo(), clBtnFace);
    int Changes = 0;
    F.OnChange = [&](TObject* Sender) {
        EXPECT_EQ(Sender, &F);
        ++Changes;
    };
    // Visible and the Show... flags notify on a change only; the look setters every time.
    F.SetVisible(false);
    F.SetShowHighLight(true);
    EXPECT_EQ(Changes, 0);
    F.SetVisible(true);
    F.SetShowClose(true);
    F.SetColor(clWhite);
    EXPECT_EQ(Changes, 3);
    // Assign copies the look and the search options except AutoSearch and SearchFixedCells.
    TSearchFooter S;
    S.SetAutoSearch(false);
    S.SetSearchFixedCells(true);
    S.SetSearchColumn(2);
    S.SetHintClose("Shut");
    S.SetSearchDirection(sdLeftRight);
    F.Assign(&S);
    EXPECT_EQ(Changes, 3) << "Assign does not notify";
    EXPECT_TRUE(F.AutoSearch());
    EXPECT_FALSE(F.SearchFixedCells());
    EXPECT_EQ(F.SearchColumn(), 2);
    EXPECT_EQ(F.HintClose(), "Shut");
    EXPECT_EQ(F.SearchDirection(), sdLeftRight);
    EXPECT_FALSE(F.Visible());
}

TEST_F(SearchFooterTest, PanelLayoutAndButtonsFollowTheSettings)
{
    EXPECT_TRUE(P->Visible());
    EXPECT_EQ(P->Height(), 32);
    EXPECT_EQ(P->Top() + P->Height(), G->ClientHeight());
    EXPECT_EQ(Edit->Left(), 25);
    EXPECT_EQ(Edit->Width(), 110);
    EXPECT_EQ(P->ForwardButton()->Left(), 140);
    EXPECT_EQ(P->BackwardButton()->Left(), 235);
    EXPECT_EQ(P->HighlightButton()->Left(), 330);
    EXPECT_EQ(P->CloseButton()->Left(), 5);
    EXPECT_EQ(P->MatchCase()->Left(), 425);
    EXPECT_EQ(P->ForwardButton()->Caption(), "Find &next");
    EXPECT_EQ(P->MatchCase()->Caption(), "Match case");
    // The search buttons work only while the edit holds text.
    for (TRudUvudButton* B : {P->ForwardButton(), P->BackwardButton(), P->HighlightButton()})
        EXPECT_FALSE(B->Enabled());
    Type("x");
    for (TRudUvudButton* B : {P->ForwardButton(), P->BackwardButton(), P->HighlightButton()})
        EXPECT_TRUE(B->Enabled());
    // Without the highlight button the match case box moves left; a hidden part has no height.
    G->SearchFooter()->SetShowHighLight(false);
    EXPECT_EQ(P->MatchCase()->Left(), 330);
    EXPECT_EQ(P->HighlightButton()->Height(), 0);
    G->SearchFooter()->SetMatchCaseCaption("Case");
    EXPECT_EQ(P->MatchCase()->Caption(), "Case");
    // The panel paints its gradient and the grid line along its top.
    G->SearchFooter()->SetColor(0x0000FF);
    G->SearchFooter()->SetColorTo(clNone);
    uitest::PumpUntilIdle();
    EXPECT_EQ(uitest::PixelAt(P->Handle(), 60, 30), 0x0000FFu);
    EXPECT_EQ(uitest::PixelAt(P->Handle(), 60, 0), static_cast<COLORREF>(G->GridLineColor()));
}

TEST_F(SearchFooterTest, TypingSearchesIncrementallyAndMarksNoMatchRed)
{
    G->GotoCell(1, 1);
    Type("app");
    EXPECT_EQ(Current(), (TPoint{1, 9})) << "column by column, APPLE tree comes first";
    EXPECT_EQ(Edit->Color(), clWindow);
    Type("lz");
    EXPECT_EQ(Edit->Color(), clRed);
    EXPECT_EQ(Current(), (TPoint{1, 9})) << "nothing found leaves the cursor";
    Edit->SetText("");
    uitest::PumpUntilIdle();
    EXPECT_EQ(Edit->Color(), clWindow);
    // Match case narrows the search.
    P->MatchCase()->SetChecked(true);
    Type("apple");
    EXPECT_EQ(Current(), (TPoint{3, 7}));
}

TEST_F(SearchFooterTest, HighlightMarksOccurrencesWhileTheToggleIsDown)
{
    Type("pie");
    EXPECT_EQ(G->Cells(2, 3), "Apple pie");
    ClickOn(P->HighlightButton());
    ASSERT_TRUE(P->HighlightButton()->Down());
    EXPECT_NE(G->Cells(2, 3).find("<hi>pie</hi>"), std::string::npos) << G->Cells(2, 3);
    // A new text renews the highlights; the tags do not hide the text from the search.
    Edit->SetText("apple");
    uitest::PumpUntilIdle();
    EXPECT_EQ(Edit->Color(), clWindow);
    EXPECT_EQ(G->Cells(2, 3).find("<hi>pie</hi>"), std::string::npos) << G->Cells(2, 3);
    EXPECT_NE(G->Cells(2, 3).find("<hi>Apple</hi>"), std::string::npos) << G->Cells(2, 3);
    ClickOn(P->HighlightButton());
    EXPECT_EQ(G->Cells(2, 3), "Apple pie");
}

TEST_F(SearchFooterTest, EnterAndCtrlEnterStepForwardAndBack)
{
    std::vector<TSearchAction> Actions;
    AnsiString Value;
    G->OnSearchFooterAction = [&](TObject*, const AnsiString& V, Integer, Integer, TSearchAction A) {
        Value = V;
        Actions.push_back(A);
    };
    Type("apple");
    EXPECT_EQ(Current(), (TPoint{1, 9}));
    uitest::PressKey(VK_RETURN);
    EXPECT_EQ(Current(), (TPoint{2, 3}));
    EXPECT_EQ(Edit->Text(), "apple") << "Enter inserts nothing";
    uitest::PressKey(VK_RETURN);
    EXPECT_EQ(Current(), (TPoint{3, 7}));
    // After the last match nothing is found and the cursor stays; then the search starts again.
    uitest::PressKey(VK_RETURN);
    EXPECT_EQ(G->LastFoundCell(), (TPoint{-1, -1}));
    EXPECT_EQ(Current(), (TPoint{3, 7}));
    uitest::PressKey(VK_RETURN);
    EXPECT_EQ(Current(), (TPoint{1, 9}));
    uitest::PressKey(VK_RETURN);
    uitest::PressKey(VK_RETURN, uitest::ksCtrl);
    EXPECT_EQ(Current(), (TPoint{1, 9}));
    EXPECT_EQ(Value, "apple");
    EXPECT_EQ(Actions.front(), saFindFirst);
    EXPECT_EQ(Actions.back(), saFindPrevious);
    // The buttons do the same.
    ClickOn(P->ForwardButton());
    EXPECT_EQ(Current(), (TPoint{2, 3}));
    ClickOn(P->BackwardButton());
    EXPECT_EQ(Current(), (TPoint{1, 9}));
}

TEST_F(SearchFooterTest, WithoutAutoSearchAChangedTextStartsAtTheTop)
{
    G->SearchFooter()->SetAutoSearch(false);
    G->GotoCell(4, 11);
    Type("apple");
    EXPECT_EQ(Current(), (TPoint{4, 11})) << "typing does not search";
    ClickOn(P->ForwardButton());
    EXPECT_EQ(Current(), (TPoint{1, 9}));
    ClickOn(P->ForwardButton());
    EXPECT_EQ(Current(), (TPoint{2, 3}));
    Edit->SetText("juice");
    ClickOn(P->ForwardButton());
    EXPECT_EQ(Current(), (TPoint{3, 7}));
    Edit->SetText("apple");
    ClickOn(P->ForwardButton());
    EXPECT_EQ(Current(), (TPoint{1, 9}));
}

TEST_F(SearchFooterTest, SearchColumnRestrictsOnlyWhenItIsAColumn)
{
    G->SearchFooter()->SetSearchColumn(3);
    Type("apple");
    EXPECT_EQ(Current(), (TPoint{3, 7}));
    Edit->SetText("");
    G->SearchFooter()->SetSearchColumn(5); // = ColCount: ignored
    Type("apple");
    EXPECT_EQ(Current(), (TPoint{1, 9}));
}

TEST_F(SearchFooterTest, EditChangeHandlerMayTakeTheSearchOver)
{
    AnsiString Seen;
    G->OnSearchEditChange = [&](TObject*, const AnsiString& V, bool& DefaultSearch) {
        Seen = V;
        DefaultSearch = false;
    };
    G->GotoCell(4, 11);
    Type("apple");
    EXPECT_EQ(Seen, "apple");
    EXPECT_EQ(Current(), (TPoint{4, 11}));
}

TEST_F(SearchFooterTest, AcceleratorsAndCtrlFReachTheFooter)
{
    G->SetFocus();
    uitest::PressKey('F', uitest::ksCtrl);
    EXPECT_TRUE(Edit->Focused());
    uitest::TypeText("apple");
    EXPECT_EQ(Current(), (TPoint{1, 9}));
    // "Find &next": N runs find next; a letter of no button is left to the form.
    EXPECT_EQ(G->Perform(CM_DIALOGCHAR, 'N', 0), 1);
    EXPECT_EQ(Current(), (TPoint{2, 3}));
    EXPECT_EQ(G->Perform(CM_DIALOGCHAR, 'P', 0), 1);
    EXPECT_EQ(Current(), (TPoint{1, 9}));
    EXPECT_EQ(G->Perform(CM_DIALOGCHAR, 'Q', 0), 0);
    G->SearchFooter()->SetVisible(false);
    EXPECT_EQ(G->Perform(CM_DIALOGCHAR, 'N', 0), 0);
}

TEST_F(SearchFooterTest, CloseButtonHidesThePanel)
{
    int Closed = 0;
    G->OnSearchFooterClose = [&](TObject*) { ++Closed; };
    ClickOn(P->CloseButton());
    EXPECT_EQ(Closed, 1);
    EXPECT_FALSE(G->SearchFooter()->Visible());
    EXPECT_EQ(P->Height(), 0);
    EXPECT_FALSE(P->Visible());
}

} // namespace
