#include "RudUvud/support/VadUni.h"

#include "platform/testing/Harness.h"
#include "platform/win/Imm.h"

#include <gtest/gtest.h>

using uitest::PressKey;
using uitest::PumpUntilIdle;

namespace {

// U+20BB7 as its two UTF-16 units.
const WideString Supplementary = u"\U00020BB7";
const WideString Prize = u"獎品";

class UniEditTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        uitest::Start();
        Application->OnException = nullptr;
        Form = New<TForm>(Application);
        Form->SetBounds(100, 100, 400, 300);
    }
    void TearDown() override
    {
        while (Screen->FormCount() > 0)
            Screen->Forms(Screen->FormCount() - 1)->Free();
    }
    template <class T> T* Add()
    {
        auto* E = New<T>(Form);
        E->SetParent(Form);
        E->SetBounds(20, 20, 200, 24);
        return E;
    }
    void ShowFocused(TWinControl* C)
    {
        Form->Show();
        PumpUntilIdle();
        C->SetFocus();
        PumpUntilIdle();
    }

    TForm* Form = nullptr;
};

TEST_F(UniEditTest, TypedChineseAndASurrogatePairArriveAsUnitsWhileKeyPressSeesMasks)
{
    auto* E = Add<TVadUniEdit>();
    std::vector<WideChar> Pressed;
    E->OnKeyPress = [&](TObject*, WideChar& Key) { Pressed.push_back(Key); };
    ShowFocused(E);
    ASSERT_TRUE(IsWindowUnicode(E->Handle()));
    uitest::TypeText(u"a" + Prize + Supplementary);
    EXPECT_EQ(E->Text(), u"a" + Prize + Supplementary);
    EXPECT_EQ(E->Text().size(), 5u);
    EXPECT_EQ(Pressed, (std::vector<WideChar>{u'a', 255, 255, 255, 255}));
    // The library's 8-bit text is the same text in UTF-8.
    EXPECT_EQ(E->TCustomEdit::Text(), "a獎品\xF0\xA0\xAE\xB7");
    E->SetSelStart(1);
    E->SetSelLength(2);
    EXPECT_EQ(E->SelText(), Prize);
    E->SetSelText(Supplementary);
    EXPECT_EQ(E->Text(), u"a" + Supplementary + Supplementary);
}

TEST_F(UniEditTest, AHandlerReplacingOrDroppingTheMaskDecidesWhatTheWindowGets)
{
    auto* E = Add<TVadUniEdit>();
    int Seen = 0;
    E->OnKeyPress = [&](TObject*, WideChar& Key) {
        if (Key != 255)
            return;
        ++Seen;
        if (Seen == 1)
            Key = u'A'; // 獎 becomes A
        else if (Seen == 3)
            Key = u'B'; // the high half of the pair: its low half goes too
        else if (Seen == 5)
            Key = 0; // the second pair's high half dropped: the low half too
    };
    ShowFocused(E);
    uitest::TypeText(Prize + Supplementary + Supplementary + u"z");
    EXPECT_EQ(E->Text(), u"A品Bz");
    EXPECT_EQ(Seen, 5);
}

TEST_F(UniEditTest, WideTextOutlivesTheWindowAndIsKeptWithoutOne)
{
    auto* E = Add<TVadUniEdit>();
    const WideString T = Prize + Supplementary + u"x";
    E->SetText(T); // no window yet
    EXPECT_FALSE(E->HandleAllocated());
    EXPECT_EQ(E->Text(), T);
    ShowFocused(E);
    EXPECT_EQ(E->Text(), T);
    const HWND Before = E->Handle();
    E->SetBorderStyle(bsNone); // re-creates the window
    EXPECT_NE(E->Handle(), Before);
    EXPECT_TRUE(IsWindowUnicode(E->Handle()));
    EXPECT_EQ(E->Text(), T);
    WideString Buffer(8, u'\0');
    EXPECT_EQ(GetWindowTextW(E->Handle(), Buffer.data(), 8), 5);
    EXPECT_EQ(Buffer.substr(0, 5), T);
}

TEST_F(UniEditTest, TextChangesAreReportedOnlyWhenTheTextDiffers)
{
    auto* M = Add<TVadUniMemo>();
    int Changes = 0;
    M->OnChange = [&](TObject*) { ++Changes; };
    ShowFocused(M);
    M->SetText(Prize);
    M->SetText(Prize);
    EXPECT_EQ(Changes, 1);
    M->SetText(Supplementary);
    EXPECT_EQ(Changes, 2);
}

// An input method's result reaches the edit as one WM_CHAR per UTF-16 unit, in order, through
// KeyPress and not through KeyDown; an 8-bit window without composition handling gets the same
// text through the default path.
TEST_F(UniEditTest, InputMethodResultsArriveAsWideCharacters)
{
    auto* E = Add<TVadUniEdit>();
    int KeyDowns = 0;
    std::vector<WideChar> Pressed;
    E->OnKeyDown = [&](TObject*, Word&, TShiftState) { ++KeyDowns; };
    E->OnKeyPress = [&](TObject*, WideChar& Key) { Pressed.push_back(Key); };
    auto* Plain = New<TEdit>(Form);
    Plain->SetParent(Form);
    Plain->SetBounds(20, 60, 200, 24);
    ShowFocused(E);
    ImmCommitResult(E->Handle(), Prize + Supplementary);
    PumpUntilIdle();
    EXPECT_EQ(E->Text(), Prize + Supplementary);
    EXPECT_EQ(KeyDowns, 0);
    EXPECT_EQ(Pressed, (std::vector<WideChar>{255, 255, 255, 255}));

    Plain->SetFocus();
    ImmCommitResult(Plain->Handle(), Prize);
    PumpUntilIdle();
    EXPECT_EQ(Plain->Text(), "獎品");
}

TEST_F(UniEditTest, MaskingKeepsItsInvariants)
{
    TMessage M{WM_CHAR, 0x7372, 0, 0};
    MaskWideChar(M);
    EXPECT_EQ(M.WParam, (WPARAM(0x7372) << 16) | 255);
    UnmaskWideChar(M);
    EXPECT_EQ(M.WParam, 0x7372u);
    TMessage Latin{WM_CHAR, 0xE9, 0, 0};
    MaskWideChar(Latin);
    EXPECT_EQ(Latin.WParam, 0xE9u);
    TMessage Replaced{WM_CHAR, (WPARAM(0x7372) << 16) | 'A', 0, 0};
    UnmaskWideChar(Replaced);
    EXPECT_EQ(Replaced.WParam, WPARAM('A'));
    TMessage Busy{WM_CHAR, (WPARAM(1) << 16) | 'A', 0, 0};
    EXPECT_THROW(MaskWideChar(Busy), EAssertionFailed);
    TMessage Other{WM_KEYDOWN, 'A', 0, 0};
    EXPECT_THROW(MaskWideChar(Other), EAssertionFailed);
    EXPECT_THROW(UnmaskWideChar(Other), EAssertionFailed);
}

TEST_F(UniEditTest, MemoStylesAndDialogKeys)
{
    auto* M = Add<TVadUniMemo>();
    EXPECT_FALSE(M->WordWrap());
    EXPECT_EQ(M->Width(), 200);
    EXPECT_FALSE(M->AutoSize());
    EXPECT_FALSE(M->TakeTabs);
    EXPECT_FALSE(M->TakeReturns);
    ShowFocused(M);
    const auto Style = [&] { return DWORD(GetWindowLong(M->Handle(), GWL_STYLE)); };
    EXPECT_TRUE(Style() & ES_MULTILINE);
    EXPECT_TRUE(Style() & ES_AUTOHSCROLL);
    M->SetWordWrap(true);
    EXPECT_FALSE(Style() & ES_AUTOHSCROLL);
    M->SetScrollBars(ssBoth);
    EXPECT_TRUE(Style() & WS_HSCROLL);
    EXPECT_TRUE(Style() & WS_VSCROLL);

    struct Case {
        bool Tabs, Returns;
        bool WantTab, WantAll;
    } Cases[] = {{false, false, false, false}, {true, false, true, false}, {false, true, false, true}};
    for (const Case& C : Cases) {
        M->TakeTabs = C.Tabs;
        M->TakeReturns = C.Returns;
        const LRESULT Code = SendMessage(M->Handle(), WM_GETDLGCODE, 0, 0);
        EXPECT_EQ((Code & DLGC_WANTTAB) != 0, C.WantTab) << C.Tabs << C.Returns;
        EXPECT_EQ((Code & DLGC_WANTALLKEYS) != 0, C.WantAll) << C.Tabs << C.Returns;
    }
    // Typed returns and tabs follow the same rule.
    M->SetText(u"");
    M->TakeReturns = true;
    uitest::TypeText(u"1");
    PressKey(VK_RETURN);
    uitest::TypeText(u"2");
    EXPECT_EQ(M->Text(), u"1\r\n2");
}

} // namespace
