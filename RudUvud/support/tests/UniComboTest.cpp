#include "RudUvud/support/VadUni.h"

#include "platform/testing/Harness.h"
#include "platform/win/Colors.h"
#include "platform/win/Imm.h"

#include <gtest/gtest.h>

using uitest::PixelAt;
using uitest::PressKey;
using uitest::PumpUntilIdle;

namespace {

const WideString Pair = u"\U00020BB7";
constexpr TColor Paper = 0x00C0FFC0;
constexpr TColor Own = 0x00FFE0C0;

class UniComboTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        uitest::Start();
        Application->OnException = nullptr;
        Form = New<TForm>(Application);
        Form->SetBounds(100, 100, 400, 300);
        Form->SetColor(Paper);
        Combo = New<TDAEUniComboBox>(Form);
        Combo->SetParent(Form);
        Combo->SetBounds(20, 20, 150, 24);
        Combo->SetColor(Own);
        Other = New<TButton>(Form);
        Other->SetParent(Form);
        Other->SetBounds(20, 200, 80, 25);
    }
    void TearDown() override
    {
        while (Screen->FormCount() > 0)
            Screen->Forms(Screen->FormCount() - 1)->Free();
    }
    void Fill()
    {
        for (const WideString& S :
             {WideString(u"Apple"), WideString(u"獎品"), u"一等" + Pair, WideString(u"Zebra")})
            Combo->Items()->Add(S);
    }
    void Show()
    {
        Form->Show();
        Other->SetFocus();
        PumpUntilIdle();
    }
    std::vector<WideString> Items()
    {
        std::vector<WideString> V;
        for (Integer I = 0; I < Combo->Items()->Count(); ++I)
            V.push_back(Combo->Items()->Strings(I));
        return V;
    }

    TForm* Form = nullptr;
    TDAEUniComboBox* Combo = nullptr;
    TButton* Other = nullptr;
};

TEST_F(UniComboTest, WideItemsRoundTripAndSurviveANewWindow)
{
    Fill(); // before the window exists
    Show();
    ASSERT_TRUE(IsWindowUnicode(Combo->Handle()));
    ASSERT_TRUE(IsWindowUnicode(Combo->EditHandle()));
    const std::vector<WideString> Want{u"Apple", u"獎品", u"一等" + Pair, u"Zebra"};
    EXPECT_EQ(Items(), Want);
    Combo->SetItemIndex(2);
    Combo->SetText(u"獎" + Pair);
    EXPECT_EQ(Combo->Text(), u"獎" + Pair);
    const HWND Before = Combo->Handle();
    Combo->SetSorted(true); // a new window
    EXPECT_NE(Combo->Handle(), Before);
    EXPECT_TRUE(IsWindowUnicode(Combo->Handle()));
    std::vector<WideString> Sorted = Want;
    std::sort(Sorted.begin(), Sorted.end());
    EXPECT_EQ(Items(), Sorted);
    EXPECT_EQ(Combo->Text(), u"獎" + Pair);

    EXPECT_EQ(Combo->Items()->IndexOf(u"apple"), 0);
    EXPECT_EQ(Combo->Items()->IndexOf(u"獎品"), 3);
    EXPECT_EQ(Combo->Items()->IndexOf(u"Pear"), -1);

    // Clearing the items keeps the typed text.
    Combo->Items()->Clear();
    EXPECT_EQ(Combo->Items()->Count(), 0);
    EXPECT_EQ(Combo->Text(), u"獎" + Pair);
}

TEST_F(UniComboTest, TypedAndCommittedChineseReachTheEditIntact)
{
    Fill();
    std::vector<WideChar> Pressed;
    Combo->OnKeyPress = [&](TObject*, WideChar& Key) { Pressed.push_back(Key); };
    Show();
    Combo->SetFocus();
    PumpUntilIdle();
    uitest::TypeText(u"x獎" + Pair);
    EXPECT_EQ(Combo->Text(), u"x獎" + Pair);
    EXPECT_EQ(Pressed, (std::vector<WideChar>{u'x', 255, 255, 255}));
    PressKey(VK_BACK); // Backspace reaches OnKeyPress too
    EXPECT_EQ(Pressed.back(), WideChar(8));
    EXPECT_EQ(Combo->Text(), u"x獎");

    ImmCommitResult(GetFocus(), u"品" + Pair);
    PumpUntilIdle();
    EXPECT_EQ(Combo->Text(), u"x獎品" + Pair);
    Combo->SelectAll();
    EXPECT_EQ(Combo->SelText(), u"x獎品" + Pair);
    Combo->SetSelText(u"一");
    EXPECT_EQ(Combo->Text(), u"一");
}

TEST_F(UniComboTest, MouseSelectionSetsTheTextThenClickThenChange)
{
    Fill();
    std::vector<std::string> Events;
    Combo->OnClick = [&](TObject*) { Events.push_back("click"); };
    Combo->OnChange = [&](TObject*) { Events.push_back("change"); };
    Show();
    Combo->SetFocus();
    PressKey(VK_F4);
    ASSERT_TRUE(Combo->DroppedDown());
    HWND List = Combo->ListHandle();
    RECT R{};
    SendMessage(List, LB_GETITEMRECT, 2, reinterpret_cast<LPARAM>(&R));
    uitest::Click(List, R.Left + 5, (R.Top + R.Bottom) / 2);
    EXPECT_FALSE(Combo->DroppedDown());
    EXPECT_EQ(Combo->Text(), u"一等" + Pair);
    ASSERT_GE(Events.size(), 2u);
    EXPECT_EQ(Events[0], "click");
    EXPECT_EQ(Events[1], "change");
}

// With the list open, Enter and Esc close it and do not reach the edit; Esc goes back to the
// item selected when the list opened.
TEST_F(UniComboTest, EnterAndEscCloseTheOpenList)
{
    Fill();
    Show();
    Combo->SetFocus();
    Combo->SetItemIndex(0);
    PressKey(VK_DOWN, uitest::ksAlt);
    ASSERT_TRUE(Combo->DroppedDown());
    PressKey(VK_DOWN);
    EXPECT_EQ(Combo->ItemIndex(), 1);
    PressKey(VK_ESCAPE);
    EXPECT_FALSE(Combo->DroppedDown());
    EXPECT_EQ(Combo->ItemIndex(), 0);
    EXPECT_EQ(Combo->Text(), u"Apple");

    PressKey(VK_F4);
    PressKey(VK_DOWN);
    PressKey(VK_DOWN);
    PressKey(VK_RETURN);
    EXPECT_FALSE(Combo->DroppedDown());
    EXPECT_EQ(Combo->Text(), u"一等" + Pair);

    // The same closing when the characters arrive with the list still open.
    PressKey(VK_F4);
    PressKey(VK_UP);
    SendMessage(Combo->EditHandle(), WM_CHAR, VK_ESCAPE, 0);
    EXPECT_FALSE(Combo->DroppedDown());
    EXPECT_EQ(Combo->Text(), u"一等" + Pair);
}

TEST_F(UniComboTest, DropDownListHasNoSelectedText)
{
    Fill();
    Combo->SetStyle(csDropDownList);
    Show();
    Combo->SetItemIndex(1);
    EXPECT_EQ(Combo->Text(), u"獎品");
    EXPECT_TRUE(Combo->SelText().empty());
    Combo->SetSelText(u"x");
    EXPECT_EQ(Combo->Text(), u"獎品");
    // Typing a first letter selects by it.
    Combo->SetFocus();
    uitest::TypeText(u"z");
    EXPECT_EQ(Combo->Text(), u"Zebra");
}

LRESULT Refusing(HWND H, UINT M, WPARAM W, LPARAM L);
WNDPROC RefusedProc = nullptr;
LRESULT Refusing(HWND H, UINT M, WPARAM W, LPARAM L)
{
    if (M == CB_ADDSTRING || M == CB_INSERTSTRING)
        return CB_ERRSPACE;
    return CallWindowProcW(RefusedProc, H, M, W, L);
}

TEST_F(UniComboTest, ARefusedItemRaisesAndLeavesTheListAlone)
{
    Fill();
    Show();
    RefusedProc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(Combo->Handle(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(Refusing)));
    try {
        Combo->Items()->Add(u"More");
        ADD_FAILURE() << "no exception";
    } catch (const EOutOfResources& E) {
        EXPECT_EQ(E.Message(), "Unable to insert a line");
    }
    EXPECT_THROW(Combo->Items()->Insert(0, u"More"), EOutOfResources);
    EXPECT_EQ(Combo->Items()->Count(), 4);
    SetWindowLongPtrW(Combo->Handle(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(RefusedProc));
}

// The Unicode variant of the flat look: idle, a three-pixel border (two frames in the parent's
// colour, one in its own) and the button area in the button face; hot, a raised button edge.
TEST_F(UniComboTest, FlatIdleAndHotLooks)
{
    Combo->SetStyle(csDropDownList);
    Show();
    const int W = Combo->Width(), H = Combo->Height();
    const COLORREF P = ColorToRGB(Paper), Face = GetSysColor(COLOR_BTNFACE);
    EXPECT_EQ(PixelAt(Combo->Handle(), 0, 0), P);
    EXPECT_EQ(PixelAt(Combo->Handle(), 1, 1), P);
    EXPECT_EQ(PixelAt(Combo->Handle(), 2, H / 2), ColorToRGB(Own));
    const int ButtonLeft = W - Combo->ButtonWidth() - 2 + 2;
    EXPECT_EQ(PixelAt(Combo->Handle(), ButtonLeft + 1, 3), Face);
    EXPECT_EQ(PixelAt(Combo->Handle(), W - 4, H / 2), Face);

    uitest::MoveMouse(Combo->Handle(), 30, H / 2);
    EXPECT_TRUE(Combo->MouseInside());
    EXPECT_EQ(PixelAt(Combo->Handle(), ButtonLeft + 1, H / 2), GetSysColor(COLOR_BTNHIGHLIGHT));
    EXPECT_EQ(PixelAt(Combo->Handle(), W - 3, H / 2), GetSysColor(COLOR_3DDKSHADOW));
}

} // namespace
