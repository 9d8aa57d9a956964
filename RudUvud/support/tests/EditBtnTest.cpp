#include "RudUvud/support/VADEdit.h"

#include "platform/forms/Menus.h"
#include "platform/testing/Harness.h"
#include "platform/testing/IdleSteps.h"
#include "platform/win/Colors.h"
#include "platform/win/UxTheme.h"

#include <gtest/gtest.h>

using uitest::PixelAt;
using uitest::PressKey;
using uitest::PumpUntilIdle;

namespace {

class EditBtnTest : public ::testing::Test, public uitest::IdleSteps {
protected:
    void SetUp() override
    {
        uitest::Start();
        Application->OnException = nullptr;
        Application->OnIdle = [this](TObject*, bool& Done) { RunNextStep(Done); };
        Form = New<TForm>(Application);
        Form->SetBounds(100, 100, 400, 300);
        Other = New<TButton>(Form);
        Other->SetParent(Form);
        Other->SetBounds(20, 200, 80, 25);
    }
    void TearDown() override
    {
        Application->OnIdle = nullptr;
        SetBuiltInThemeActive(false);
        while (Screen->FormCount() > 0)
            Screen->Forms(Screen->FormCount() - 1)->Free();
    }
    template <class T> T* Add(int Y = 20)
    {
        auto* E = New<T>(Form);
        E->SetParent(Form);
        E->SetBounds(20, Y, 150, 24);
        return E;
    }
    void Show()
    {
        Form->Show();
        Other->SetFocus();
        PumpUntilIdle();
    }
    RECT EditRect(TWinControl* E)
    {
        RECT R{};
        SendMessage(E->Handle(), EM_GETRECT, 0, reinterpret_cast<LPARAM>(&R));
        return R;
    }

    TForm* Form = nullptr;
    TButton* Other = nullptr;
};

TEST_F(EditBtnTest, NewControlDefaults)
{
    auto* E = Add<TVadEditBtn>();
    EXPECT_EQ(E->Text(), "0");
    EXPECT_EQ(E->ButtonWidth(), 0);
    EXPECT_EQ(E->ButtonControl()->Width(), 18);
    EXPECT_TRUE(E->EditorEnabled());
    EXPECT_FALSE(E->RightAlign());
    auto* U = Add<TVadUnitEditBtn>(60);
    EXPECT_TRUE(U->RightAlign());
    EXPECT_EQ(U->UnitSpace(), 20);
}

// The press of the button fires OnClickBtn at once (Sender: the button window) and gives the
// edit the focus; F4 fires it with the edit as Sender, but not with Ctrl or Alt held.
TEST_F(EditBtnTest, ButtonPressAndF4FireOnClickBtn)
{
    auto* E = Add<TVadEditBtn>();
    std::vector<TObject*> Senders;
    E->OnClickBtn = [&](TObject* Sender) { Senders.push_back(Sender); };
    Show();
    HWND Button = E->ButtonControl()->Handle();
    uitest::MouseDown(Button, 5, 5);
    ASSERT_EQ(Senders.size(), 1u);
    EXPECT_EQ(Senders[0], E->ButtonControl());
    EXPECT_TRUE(E->Focused());
    uitest::MouseUp(Button, 5, 5);
    EXPECT_EQ(Senders.size(), 1u);

    PressKey(VK_F4);
    ASSERT_EQ(Senders.size(), 2u);
    EXPECT_EQ(Senders[1], E);
    PressKey(VK_F4, uitest::ksCtrl);
    PressKey(VK_F4, uitest::ksAlt);
    EXPECT_EQ(Senders.size(), 2u);
}

TEST_F(EditBtnTest, EditorDisabledBlocksTypingCutAndPasteButNotTheButton)
{
    auto* E = Add<TVadEditBtn>();
    int Clicks = 0;
    E->OnClickBtn = [&](TObject*) { ++Clicks; };
    Show();
    E->SetFocus();
    E->SetText("12");
    E->SetEditorEnabled(false);
    E->SetSelStart(0);
    E->SetSelLength(2);
    SendMessage(E->Handle(), WM_COPY, 0, 0);
    uitest::TypeText("9");
    SendMessage(E->Handle(), WM_CUT, 0, 0);
    SendMessage(E->Handle(), WM_PASTE, 0, 0);
    EXPECT_EQ(E->Text(), "12");
    PressKey(VK_F4);
    uitest::Click(E->ButtonControl()->Handle(), 5, 5);
    EXPECT_EQ(Clicks, 2);
    // Delete keeps the edit's own behaviour.
    E->SetSelStart(0);
    E->SetSelLength(1);
    PressKey(VK_DELETE);
    EXPECT_EQ(E->Text(), "2");

    E->SetEditorEnabled(true);
    E->SetReadOnly(true);
    E->SelectAll();
    SendMessage(E->Handle(), WM_CUT, 0, 0);
    EXPECT_EQ(E->Text(), "2");
    E->SetReadOnly(false);
    SendMessage(E->Handle(), WM_PASTE, 0, 0);
    EXPECT_EQ(E->Text(), "12");
}

// The window is multi-line only for its formatting rectangle: Enter and Ctrl+Enter add no line.
TEST_F(EditBtnTest, EnterAddsNoLine)
{
    auto* E = Add<TVadEditBtn>();
    Show();
    E->SetFocus();
    E->SelectAll();
    uitest::TypeText("12");
    PressKey(VK_RETURN);
    PressKey(VK_RETURN, uitest::ksCtrl);
    uitest::TypeText("3");
    EXPECT_EQ(E->Text(), "123");
}

// Entering by the keyboard selects all the text; a click that brings the focus places the caret.
TEST_F(EditBtnTest, AutoSelectOnEntryUnlessTheMouseBroughtTheFocus)
{
    auto* E = Add<TVadEditBtn>();
    Show();
    E->SetText("1234");
    Other->SetFocus();
    PressKey(VK_TAB);
    ASSERT_TRUE(E->Focused());
    EXPECT_EQ(E->SelStart(), 0);
    EXPECT_EQ(E->SelLength(), 4);
    Other->SetFocus();
    uitest::Click(E->Handle(), 20, 10);
    ASSERT_TRUE(E->Focused());
    EXPECT_EQ(E->SelLength(), 0);
}

TEST_F(EditBtnTest, TextRectangleStopsShortOfTheButtonAndUnit)
{
    auto* E = Add<TVadEditBtn>();
    auto* U = Add<TVadUnitEditBtn>(60);
    Show();
    const int BW = E->ButtonControl()->Width();
    RECT R = EditRect(E);
    EXPECT_EQ(R.Right, E->ClientWidth() - BW - 5);
    EXPECT_EQ(R.Left, 1);
    R = EditRect(U);
    EXPECT_EQ(R.Right, U->ClientWidth() - U->ButtonControl()->Width() - 20 - 8);
    U->SetUnitSpace(0);
    EXPECT_EQ(EditRect(U).Right, U->ClientWidth() - U->ButtonControl()->Width() - 5);

    E->SetBorderStyle(bsNone);
    PumpUntilIdle();
    R = EditRect(E);
    EXPECT_EQ(R.Left, 3);
    EXPECT_EQ(R.Top, 3);

    // Too narrow for any text: an empty rectangle, no failure.
    E->SetWidth(10);
    PumpUntilIdle();
    R = EditRect(E);
    EXPECT_LE(R.Right - R.Left, 0 + 1);
}

TEST_F(EditBtnTest, MinimumHeightFollowsTheSmallerFontAndAClampedHeightIsTaken)
{
    auto* E = Add<TVadEditBtn>();
    Show();
    const Integer System = SystemFontHeight();
    for (int Size : {6, 20}) {
        E->Font()->SetSize(Size);
        const Integer Own = FontCharHeight(E->Font());
        EXPECT_EQ(E->GetMinHeight(), std::min(System, Own) / 4 + Own) << Size;
        E->SetHeight(5);
        EXPECT_EQ(E->Height(), E->GetMinHeight()) << Size;
    }
    // The constraints keep it lower than the minimum: taken, no endless re-sizing.
    E->Constraints()->SetMaxHeight(10);
    E->SetHeight(8);
    EXPECT_LE(E->Height(), 10);
}

TEST_F(EditBtnTest, UnitMenuSetsTheUnitAndStrayCommandsAreIgnored)
{
    auto* U = Add<TVadUnitEditBtn>();
    for (const char* S : {"kg", "g", "lb"})
        U->Units()->Add(S);
    int Clicks = 0;
    U->OnClickBtn = [&](TObject* Sender) {
        EXPECT_EQ(Sender, U);
        ++Clicks;
    };
    Show();
    Steps.push_back([] {
        ASSERT_NE(TPopupMenu::OpenMenuWindow(), nullptr);
        PressKey(VK_DOWN);
        PressKey(VK_DOWN);
        PressKey(VK_RETURN);
    });
    uitest::MouseDown(U->ButtonControl()->Handle(), 5, 5);
    PumpUntilIdle();
    EXPECT_EQ(Clicks, 1);
    EXPECT_EQ(U->UnitID(), "g");

    for (WPARAM Id : {WPARAM(0), WPARAM(4), MAKEWPARAM(1, EN_CHANGE)})
        SendMessage(U->Handle(), WM_COMMAND, Id, 0);
    EXPECT_EQ(U->UnitID(), "g");
    SendMessage(U->Handle(), WM_COMMAND, 3, 0);
    EXPECT_EQ(U->UnitID(), "lb");

    // Without units the menu is empty; nothing changes.
    U->Units()->Clear();
    Steps.push_back([] { PressKey(VK_ESCAPE); });
    uitest::MouseDown(U->ButtonControl()->Handle(), 5, 5);
    PumpUntilIdle();
    EXPECT_EQ(U->UnitID(), "lb");
    EXPECT_EQ(Clicks, 2);
}

TEST_F(EditBtnTest, RightAlignRecreatesTheWindowAndKeepsTheText)
{
    auto* E = Add<TVadEditBtn>();
    Show();
    E->SetText("42");
    HWND Before = E->Handle();
    E->SetRightAlign(true);
    EXPECT_NE(E->Handle(), Before);
    EXPECT_TRUE(GetWindowLong(E->Handle(), GWL_STYLE) & ES_RIGHT);
    EXPECT_EQ(E->Text(), "42");
    EXPECT_EQ(EditRect(E).Right, E->ClientWidth() - E->ButtonControl()->Width() - 5);
}

// The looks of the button: idle, hot and pressed, flat and themed.
TEST_F(EditBtnTest, ButtonLooksIdleHotAndPressed)
{
    auto* E = Add<TVadEditBtn>();
    E->ButtonControl()->SetFlat(true);
    Show();
    HWND B = E->ButtonControl()->Handle();
    const COLORREF Light = GetSysColor(COLOR_BTNHIGHLIGHT), Shadow = GetSysColor(COLOR_BTNSHADOW);
    EXPECT_EQ(PixelAt(B, 0, 0), Light); // raised inner edge
    uitest::MouseDown(B, 5, 5);
    EXPECT_EQ(PixelAt(B, 0, 0), Shadow); // sunken outer edge
    uitest::MouseUp(B, 5, 5);
    EXPECT_EQ(PixelAt(B, 0, 0), Light);

    E->ButtonControl()->SetFlat(false);
    SetBuiltInThemeActive(true);
    VadXPVS().Initialize();
    E->SetIsWinXP(true);
    Other->SetFocus();
    uitest::MoveMouse(Form->Handle(), 300, 150);
    E->ButtonControl()->InnerButton()->Repaint();
    PumpUntilIdle();
    const int X = E->ButtonControl()->Width() / 2, Y = 2;
    const COLORREF Idle = PixelAt(B, X, Y);
    uitest::MoveMouse(B, X, 5);
    EXPECT_TRUE(E->ButtonControl()->InnerButton()->Hot());
    const COLORREF Hot = PixelAt(B, X, Y);
    uitest::MouseDown(B, X, 5);
    const COLORREF Pressed = PixelAt(B, X, Y);
    uitest::MouseUp(B, X, 5);
    EXPECT_NE(Idle, Hot);
    EXPECT_NE(Hot, Pressed);
    EXPECT_NE(Idle, Pressed);
}

} // namespace
