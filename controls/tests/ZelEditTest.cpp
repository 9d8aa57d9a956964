#include "controls/ZelEdit.h"

#include "platform/forms/Clipbrd.h"
#include "platform/forms/Forms.h"
#include "platform/testing/Harness.h"
#include "platform/win/StdControls.h"

#include <gtest/gtest.h>

using uitest::PressKey;
using uitest::PumpUntilIdle;
using uitest::TypeText;

namespace {

class ZelEditTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        uitest::Start();
        Application->OnException = nullptr;
        Form = New<TForm>(Application);
        Form->SetCaption("Entries");
        Form->SetBounds(100, 100, 300, 200);
        First = Add(10);
        Second = Add(50);
        Third = Add(90);
    }
    void TearDown() override
    {
        while (Screen->FormCount() > 0)
            Screen->Forms(Screen->FormCount() - 1)->Free();
    }

    TZelEdit* Add(int Top)
    {
        auto* E = New<TZelEdit>(Form);
        E->SetBounds(10, Top, 121, 24);
        E->SetParent(Form);
        E->SetColor(clWhite);
        return E;
    }
    void ShowAndFocus(TWinControl* C)
    {
        Form->Show();
        PumpUntilIdle();
        C->SetFocus();
        PumpUntilIdle();
    }

    TForm* Form = nullptr;
    TZelEdit *First = nullptr, *Second = nullptr, *Third = nullptr;
};

} // namespace

TEST_F(ZelEditTest, EntrySelectsAllAndShowsTheFocusColourUntilExit)
{
    First->SetText("12345");
    int Enters = 0, Exits = 0;
    First->OnEnter = [&](TObject*) { ++Enters; };
    First->OnExit = [&](TObject*) { ++Exits; };
    First->SetAutoSelect(false);
    ShowAndFocus(First);
    EXPECT_EQ(Enters, 1);
    EXPECT_EQ(First->SelStart(), 0);
    EXPECT_EQ(First->SelLength(), 5) << "the whole text, whatever AutoSelect says";
    EXPECT_EQ(First->Color(), TColor(8253677));

    First->SetColor(clRed); // set while focused: the colour saved on entry comes back
    Second->SetFocus();
    PumpUntilIdle();
    EXPECT_EQ(Exits, 1);
    EXPECT_EQ(First->Color(), clWhite);
    EXPECT_EQ(Second->Color(), TColor(8253677));
}

TEST_F(ZelEditTest, ReadOnlyBoxIgnoresEntryAndExit)
{
    Second->SetText("abc");
    Second->SetReadOnly(true);
    int Events = 0;
    Second->OnEnter = [&](TObject*) { ++Events; };
    Second->OnExit = [&](TObject*) { ++Events; };
    ShowAndFocus(Second);
    EXPECT_EQ(Second->Color(), clWhite);
    EXPECT_EQ(Second->SelLength(), 0);
    First->SetFocus();
    PumpUntilIdle();
    EXPECT_EQ(Events, 0);
}

TEST_F(ZelEditTest, EnterMovesToTheNextControlUnlessAHandlerTakesIt)
{
    ShowAndFocus(First);
    TypeText("7");
    PressKey(VK_RETURN);
    EXPECT_TRUE(Second->Focused());
    EXPECT_EQ(First->Text(), "7") << "no line break typed";

    // Only OnKeyDown: Enter is swallowed and the focus stays.
    Second->OnKeyDown = [](TObject*, Word&, TShiftState) {};
    PressKey(VK_RETURN);
    EXPECT_TRUE(Second->Focused());
    EXPECT_EQ(Second->Text(), "");

    // OnKeyPress decides alone; an Enter it leaves does not become a line break.
    int Seen = 0;
    Third->OnKeyPress = [&](TObject*, WideChar& Key) { Seen += Key == 13; };
    Third->SetFocus();
    PumpUntilIdle();
    PressKey(VK_RETURN);
    EXPECT_EQ(Seen, 1);
    EXPECT_TRUE(Third->Focused());
    EXPECT_EQ(Third->Text(), "");
}

TEST_F(ZelEditTest, PasteDropsLineBreaksAndLeavesTheClipboardAlone)
{
    Clipboard()->SetAsText("a\r\nb\nc");
    ShowAndFocus(First);
    SendMessage(First->Handle(), WM_PASTE, 0, 0);
    EXPECT_EQ(First->Text(), "abc");
    EXPECT_EQ(Clipboard()->AsText(), "a\r\nb\nc");

    Second->SetReadOnly(true);
    SendMessage(Second->Handle(), WM_PASTE, 0, 0);
    EXPECT_EQ(Second->Text(), "");
}

TEST_F(ZelEditTest, AlignmentAndPasswordChooseTheWindowStyle)
{
    Third->SetPasswordChar(u'*');
    ShowAndFocus(First);
    const HWND Before = First->Handle();
    auto Style = [](TWinControl* C) { return GetWindowLong(C->Handle(), GWL_STYLE); };
    EXPECT_TRUE(Style(First) & ES_MULTILINE);
    First->SetAlignment(taLeftJustify);
    EXPECT_EQ(First->Handle(), Before) << "the same value recreates nothing";
    First->SetAlignment(taRightJustify);
    EXPECT_TRUE(Style(First) & ES_RIGHT);
    First->SetAlignment(taCenter);
    EXPECT_TRUE(Style(First) & ES_CENTER);

    EXPECT_FALSE(Style(Third) & ES_MULTILINE) << "a password box stays single-line";
}
