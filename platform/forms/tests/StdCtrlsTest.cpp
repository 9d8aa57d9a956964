// The standard controls on a form, driven through the harness as a person would.

#include "FormsTestSupport.h"

#include "platform/forms/StdCtrls.h"

using uitest::Click;
using uitest::ksShift;
using uitest::PressKey;
using uitest::PumpUntilIdle;
using uitest::TypeText;

namespace {

class StdCtrlsTest : public FormsTest {
protected:
    TForm* Form = nullptr;
    void SetUp() override
    {
        FormsTest::SetUp();
        Form = MakeForm("Standard controls", 400, 300);
        Form->Show();
        PumpUntilIdle();
    }
};

TEST_F(StdCtrlsTest, EditTypingChangesAndPositionsInBytes)
{
    auto* E = Add<TEdit>(Form, "Prize", 10, 10, 200, 21);
    int Changes = 0;
    E->OnChange = [&](TObject*) { ++Changes; };
    E->SetFocus();
    TypeText(u"獎品 car");
    PumpUntilIdle();
    EXPECT_EQ(E->Text(), "獎品 car");
    EXPECT_EQ(Changes, 6);
    EXPECT_TRUE(E->Modified());
    E->SetSelStart(0);
    E->SetSelLength(6);
    EXPECT_EQ(E->SelText(), "獎品");
    E->SetSelText("頭獎");
    EXPECT_EQ(E->Text(), "頭獎 car");
    // Setting the text from the program fires OnChange once and clears Modified.
    Changes = 0;
    E->SetText("set");
    EXPECT_EQ(Changes, 1);
    EXPECT_FALSE(E->Modified());
    // MaxLength limits typing only.
    E->SetMaxLength(4);
    E->SelectAll();
    TypeText(u"123456");
    PumpUntilIdle();
    EXPECT_EQ(E->Text(), "1234");
    E->SetText("longer than four");
    EXPECT_EQ(E->Text(), "longer than four");
}

TEST_F(StdCtrlsTest, EditWithoutWindowAndMemoReportProgrammaticChangesOnce)
{
    auto* E = New<TEdit>(Form);
    int EditChanges = 0;
    E->OnChange = [&](TObject*) { ++EditChanges; };
    E->SetText("before the window");
    EXPECT_EQ(EditChanges, 1);
    E->SetParent(Form); // making the window gives it the text without a change
    E->HandleNeeded();
    PumpUntilIdle();
    EXPECT_EQ(EditChanges, 1);

    auto* M = Add<TMemo>(Form, "Notes", 10, 40, 200, 80);
    int MemoChanges = 0;
    M->OnChange = [&](TObject*) { ++MemoChanges; };
    M->Lines()->Add("first");
    M->Lines()->Add("第二");
    EXPECT_EQ(MemoChanges, 2);
    EXPECT_EQ(M->Lines()->Count(), 2);
    EXPECT_EQ(M->Text(), "first\r\n第二");
    M->SetFocus();
    PressKey(VK_END, uitest::ksCtrl);
    PressKey(VK_RETURN);
    TypeText(u"three");
    PumpUntilIdle();
    EXPECT_EQ(M->Lines()->Count(), 3);
    EXPECT_EQ(M->Lines()->Strings(2), "three");
    EXPECT_EQ(M->CaretPos(), (TPoint{5, 2}));
    EXPECT_EQ(MemoChanges, 2 + 1 + 5); // the line break and five characters, each once
}

TEST_F(StdCtrlsTest, ComboBoxKeepsItemsAndSelectionAndReportsUserChoices)
{
    auto* C = New<TComboBox>(Form);
    C->SetStyle(csDropDownList);
    C->Items()->Add("二等獎");
    C->Items()->Add("一等獎");
    C->SetItemIndex(1);
    C->SetBounds(10, 10, 160, 21);
    C->SetParent(Form);
    PumpUntilIdle();
    EXPECT_EQ(C->Items()->Count(), 2);
    EXPECT_EQ(C->ItemIndex(), 1);
    EXPECT_EQ(C->Text(), "一等獎");

    std::vector<std::string> Log;
    C->OnChange = [&](TObject*) { Log.push_back("change"); };
    C->OnDropDown = [&](TObject*) { Log.push_back("dropdown"); };
    C->OnCloseUp = [&](TObject*) { Log.push_back("closeup"); };
    C->OnClick = [&](TObject*) { Log.push_back("click " + C->Text()); };
    Click(C->Handle(), 80, 10);
    EXPECT_TRUE(C->DroppedDown());
    HWND List = C->ListHandle();
    ASSERT_NE(List, nullptr);
    int Ih = int(SendMessage(List, LB_GETITEMHEIGHT, 0, 0));
    Click(List, 20, Ih / 2);
    EXPECT_FALSE(C->DroppedDown());
    EXPECT_EQ(C->ItemIndex(), 0);
    EXPECT_EQ(Log, (std::vector<std::string>{"dropdown", "click 二等獎", "change", "closeup"}));

    // Sorting makes the window again; the items and the selected item survive it.
    C->SetSorted(true);
    EXPECT_EQ(C->Items()->Strings(0), "一等獎");
    EXPECT_EQ(C->Text(), "二等獎");
    C->Items()->Clear();
    EXPECT_EQ(C->Items()->Count(), 0);
}

TEST_F(StdCtrlsTest, CheckBoxesAndRadioButtonsToggleAndClick)
{
    auto* Box = Add<TCheckBox>(Form, "Box", 10, 10, 120, 20);
    Box->SetCaption("Include");
    Box->SetAllowGrayed(true);
    int Clicks = 0;
    Box->OnClick = [&](TObject*) { ++Clicks; };
    std::vector<TCheckBoxState> States;
    for (int I = 0; I < 3; ++I) {
        Click(Box->Handle(), 5, 10);
        States.push_back(Box->State());
    }
    EXPECT_EQ(States, (std::vector<TCheckBoxState>{cbGrayed, cbChecked, cbUnchecked}));
    Box->SetChecked(true); // from the program: a click as well
    EXPECT_EQ(Clicks, 4);
    EXPECT_EQ(SendMessage(Box->Handle(), BM_GETCHECK, 0, 0), BST_CHECKED);

    auto* A = Add<TRadioButton>(Form, "A", 10, 40, 100, 20);
    auto* B = Add<TRadioButton>(Form, "B", 10, 60, 100, 20);
    A->SetChecked(true);
    Click(B->Handle(), 5, 10);
    EXPECT_TRUE(B->Checked());
    EXPECT_FALSE(A->Checked());
    EXPECT_EQ(SendMessage(A->Handle(), BM_GETCHECK, 0, 0), BST_UNCHECKED);
}

TEST_F(StdCtrlsTest, ButtonsSetTheModalResultAndAnswerEnterAndEsc)
{
    auto* Ok = Add<TButton>(Form, "Ok", 10, 10, 75, 25);
    auto* Cancel = Add<TButton>(Form, "Cancel", 100, 10, 75, 25);
    auto* E = Add<TEdit>(Form, "E", 10, 50, 100, 21);
    Ok->SetDefault(true);
    Ok->SetModalResult(mrOk);
    Cancel->SetCancel(true);
    Cancel->SetModalResult(mrCancel);
    int OkClicks = 0;
    Ok->OnClick = [&](TObject*) { ++OkClicks; };
    E->SetFocus();
    PressKey(VK_RETURN);
    EXPECT_EQ(OkClicks, 1);
    EXPECT_EQ(Form->ModalResult(), mrOk);
    PressKey(VK_ESCAPE);
    EXPECT_EQ(Form->ModalResult(), mrCancel);
    Click(Ok->Handle(), 30, 12);
    EXPECT_EQ(OkClicks, 2);
    EXPECT_EQ(Form->ModalResult(), mrOk);
}

TEST_F(StdCtrlsTest, MemoLinesEditTheSameWithAndWithoutAWindow)
{
    // The window route inserts only the new line; it must give the text the whole-text route gives.
    auto* Shown = Add<TMemo>(Form, "Shown", 10, 10, 120, 80); // narrow: long lines wrap
    auto* Bare = New<TMemo>(Form);
    struct Step {
        const char* Text; // set first when not null
        int Index;        // -1: Add
        const char* Line;
        const char* Expected;
    } steps[] = {
        {"", -1, "first line of the list, long enough to wrap",
         "first line of the list, long enough to wrap"},
        {nullptr, -1, "二", "first line of the list, long enough to wrap\r\n二"},
        {nullptr, 0, "top", "top\r\nfirst line of the list, long enough to wrap\r\n二"},
        {nullptr, 2, "mid", "top\r\nfirst line of the list, long enough to wrap\r\nmid\r\n二"},
        {"ends with a break\r\n", -1, "next", "ends with a break\r\nnext"},
        {"\r\n\r\n", 1, "x", "\r\nx\r\n\r\n"}, // the empty lines around keep their breaks
    };
    for (const Step& St : steps) {
        for (TMemo* M : {Shown, Bare}) {
            if (St.Text)
                M->SetText(St.Text);
            if (St.Index < 0)
                M->Lines()->Add(St.Line);
            else
                M->Lines()->Insert(St.Index, St.Line);
            EXPECT_EQ(M->Text(), St.Expected) << (M == Shown ? "shown " : "bare ") << St.Line;
        }
        EXPECT_EQ(Shown->Lines()->Count(), Bare->Lines()->Count()) << St.Line;
    }
    EXPECT_TRUE(Shown->HandleAllocated());
    EXPECT_FALSE(Bare->HandleAllocated());
}

TEST_F(StdCtrlsTest, MemoLinesReadReplaceAndDeleteOneLineInTheWindow)
{
    // The window route touches only the one line; on text of "\r\n" breaks it must agree with the
    // whole-text route, and elsewhere keep the other lines' breaks as they are.
    auto* Shown = Add<TMemo>(Form, "Shown", 10, 10, 120, 80); // narrow: long lines wrap
    auto* Bare = New<TMemo>(Form);
    const char* Long = "a line of the prize list long enough to wrap twice in the narrow memo";
    enum Kind { Get, Put, Delete };
    struct Step {
        const char* Text; // set first when not null
        Kind Do;
        int Index;
        const char* Line;     // Get: expected line; Put: new line
        const char* Expected; // the text after
        bool BareAgrees;
    } steps[] = {
        {"a\r\nLONG\r\nc", Get, 1, "LONG", "a\r\nLONG\r\nc", true},
        {nullptr, Get, 2, "c", "a\r\nLONG\r\nc", true},
        {nullptr, Put, 1, "B", "a\r\nB\r\nc", true},
        {nullptr, Put, 2, "獎品", "a\r\nB\r\n獎品", true},
        {nullptr, Get, 2, "獎品", "a\r\nB\r\n獎品", true},
        {nullptr, Delete, 0, "", "B\r\n獎品", true},
        {nullptr, Delete, 1, "", "B", true}, // the last line takes the break before it
        {nullptr, Delete, 0, "", "", true},
        {"a\r\nb\r\n", Delete, 1, "", "a\r\n", false}, // a closing break stays
        {"a\nb\rc", Put, 1, "B", "a\nB\rc", false},    // lone breaks stay
        {"a\nb\rc", Delete, 1, "", "a\nc", false},
        {"\r\n\r\nx", Delete, 1, "", "\r\nx", true},
    };
    for (const Step& St : steps) {
        for (TMemo* M : {Shown, Bare}) {
            if (M == Bare && !St.BareAgrees)
                continue;
            std::string Text = St.Text ? St.Text : "";
            if (St.Text) {
                if (auto At = Text.find("LONG"); At != std::string::npos)
                    Text.replace(At, 4, Long);
                M->SetText(Text);
            }
            const char* Who = M == Shown ? "shown " : "bare ";
            std::string Expected = St.Expected;
            if (auto At = Expected.find("LONG"); At != std::string::npos)
                Expected.replace(At, 4, Long);
            switch (St.Do) {
            case Get:
                EXPECT_EQ(M->Lines()->Strings(St.Index), std::string(St.Line) == "LONG" ? Long : St.Line)
                    << Who << St.Index;
                break;
            case Put:
                M->Lines()->SetStrings(St.Index, St.Line);
                break;
            case Delete:
                M->Lines()->Delete(St.Index);
                break;
            }
            EXPECT_EQ(M->Text(), Expected) << Who << St.Index;
        }
    }
    // Past the last line, or before the first, is an error and changes nothing.
    Shown->SetText("a\r\nb");
    EXPECT_THROW(Shown->Lines()->Strings(2), Exception);
    EXPECT_THROW(Shown->Lines()->SetStrings(-1, "x"), Exception);
    EXPECT_THROW(Shown->Lines()->Delete(2), Exception);
    EXPECT_EQ(Shown->Text(), "a\r\nb");
    EXPECT_TRUE(Shown->HandleAllocated());
}

TEST_F(StdCtrlsTest, FocusedButtonTakesTheDefaultLookAndEnter)
{
    auto* Ok = Add<TButton>(Form, "Ok", 10, 10, 75, 25);
    auto* Other = Add<TButton>(Form, "Other", 100, 10, 75, 25);
    auto* E = Add<TEdit>(Form, "E", 10, 50, 100, 21);
    Ok->SetDefault(true);
    int OkClicks = 0, OtherClicks = 0;
    Ok->OnClick = [&](TObject*) { ++OkClicks; };
    Other->OnClick = [&](TObject*) { ++OtherClicks; };
    auto Looks = [](TButton* B) {
        return (GetWindowLong(B->Handle(), GWL_STYLE) & 0x0F) == BS_DEFPUSHBUTTON;
    };
    struct Step {
        TWinControl* Focus;
        bool OkLooks, OtherLooks;
        int OkClicks, OtherClicks; // after Enter
    } steps[] = {
        {E, true, false, 1, 0},     // the default button stands for the form
        {Other, false, true, 1, 1}, // the focused button takes over the look and Enter
        {Ok, true, false, 2, 1},    // the default button focused
        {E, true, false, 3, 1},     // back to the default button
    };
    for (const Step& S : steps) {
        S.Focus->SetFocus();
        PumpUntilIdle();
        EXPECT_EQ(Looks(Ok), S.OkLooks) << S.Focus->Name();
        EXPECT_EQ(Looks(Other), S.OtherLooks) << S.Focus->Name();
        PressKey(VK_RETURN);
        EXPECT_EQ(OkClicks, S.OkClicks) << S.Focus->Name();
        EXPECT_EQ(OtherClicks, S.OtherClicks) << S.Focus->Name();
    }
    // Without a default button, leaving a button takes the look away.
    Ok->SetDefault(false);
    EXPECT_FALSE(Looks(Ok));
    Other->SetFocus();
    E->SetFocus();
    EXPECT_FALSE(Looks(Other));
}

TEST_F(StdCtrlsTest, ListBoxAndScrollBarFollowTheMouse)
{
    auto* L = Add<TListBox>(Form, "List", 10, 10, 150, 100);
    for (const char* S : {"alpha", "beta", "gamma"})
        L->Items()->Add(S);
    int Clicks = 0;
    L->OnClick = [&](TObject*) { ++Clicks; };
    TRect R = L->ItemRect(1);
    Click(L->Handle(), R.Left + 5, R.Top + 2);
    EXPECT_EQ(L->ItemIndex(), 1);
    EXPECT_EQ(Clicks, 1);
    EXPECT_EQ(L->ItemAtPos(TPoint{5, R.Top + 2}, true), 1);
    EXPECT_EQ(L->ItemAtPos(TPoint{5, 90}, true), -1);
    L->SetMultiSelect(true); // a new window keeps the items
    EXPECT_EQ(L->Items()->Count(), 3);
    L->SetSelected(0, true);
    L->SetSelected(2, true);
    EXPECT_EQ(L->SelCount(), 2);

    auto* S = Add<TScrollBar>(Form, "Bar", 10, 150, 200, 17);
    S->SetParams(10, 0, 100);
    S->SetLargeChange(20);
    std::vector<TScrollCode> Codes;
    int Changes = 0;
    S->OnScroll = [&](TObject*, TScrollCode Code, Integer&) { Codes.push_back(Code); };
    S->OnChange = [&](TObject*) { ++Changes; };
    Click(S->Handle(), 195, 8); // right arrow
    EXPECT_EQ(S->Position(), 11);
    Click(S->Handle(), 150, 8); // the page right of the thumb
    EXPECT_EQ(S->Position(), 31);
    EXPECT_EQ(Changes, 2);
    EXPECT_EQ(Codes, (std::vector<TScrollCode>{scLineDown, scEndScroll, scPageDown, scEndScroll}));
    EXPECT_THROW(S->SetParams(0, 10, 5), EInvalidOperation);
}

// A window made again (sorting, then style) keeps the items, and the selection follows its item
// to where the sorted window put it; a double click reaches OnDblClick once.
TEST_F(StdCtrlsTest, ListBoxSelectionFollowsItsItemThroughNewWindows)
{
    auto* L = Add<TListBox>(Form, "List", 10, 10, 150, 100);
    for (const char* S : {"gamma", "alpha", "beta"})
        L->Items()->Add(S);
    L->SetItemIndex(0);
    L->SetSorted(true);
    EXPECT_TRUE(L->Sorted());
    EXPECT_EQ(L->Items()->Strings(0), "alpha");
    EXPECT_EQ(L->ItemIndex(), 2);
    L->SetStyle(lbOwnerDrawFixed);
    EXPECT_EQ(L->ItemIndex(), 2);
    EXPECT_EQ(L->Items()->Strings(2), "gamma");
    int DoubleClicks = 0;
    L->OnDblClick = [&](TObject*) { ++DoubleClicks; };
    TRect R = L->ItemRect(1);
    uitest::DoubleClick(L->Handle(), R.Left + 5, R.Top + 2);
    EXPECT_EQ(DoubleClicks, 1);
    EXPECT_EQ(L->ItemIndex(), 1);
}

TEST_F(StdCtrlsTest, LabelSizesToItsCaptionAndFocusesItsControlOnTheAccelerator)
{
    auto* E = Add<TEdit>(Form, "Name", 100, 10, 150, 21);
    auto* L = Add<TLabel>(Form, "NameLabel", 10, 12, 10, 10);
    L->SetCaption("&Name 名稱:");
    L->SetFocusControl(E);
    EXPECT_GT(L->Width(), 40);
    EXPECT_GT(L->Height(), 8);
    Integer Wide = L->Width();
    L->SetCaption("&N");
    EXPECT_LT(L->Width(), Wide);
    PressKey('N', uitest::ksAlt);
    EXPECT_TRUE(E->Focused());
}

} // namespace
