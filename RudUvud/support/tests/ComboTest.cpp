#include "RudUvud/support/daecombo.h"

#include "platform/forms/Forms.h"
#include "platform/testing/Harness.h"
#include "platform/win/Colors.h"

#include <gtest/gtest.h>

using uitest::PixelAt;
using uitest::PressKey;
using uitest::PumpUntilIdle;

namespace {

constexpr TColor Paper = 0x00C0FFC0; // the form: light green
constexpr TColor Own = 0x00FFE0C0;   // the combo: light blue

class FlatComboTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        uitest::Start();
        Application->OnException = nullptr;
        Form = New<TForm>(Application);
        Form->SetBounds(100, 100, 400, 300);
        Form->SetColor(Paper);
        Combo = New<TDAEComboBox>(Form);
        Combo->SetParent(Form);
        Combo->SetBounds(20, 20, 150, 24);
        Combo->SetColor(Own);
        for (const char* S : {"apple", "banana", "cherry", "date"})
            Combo->Items()->Add(S);
        Other = New<TButton>(Form);
        Other->SetParent(Form);
        Other->SetBounds(20, 200, 80, 25);
    }
    void TearDown() override
    {
        while (Screen->FormCount() > 0)
            Screen->Forms(Screen->FormCount() - 1)->Free();
    }
    void Show()
    {
        Form->Show();
        Other->SetFocus();
        PumpUntilIdle();
    }
    COLORREF At(int X, int Y) { return PixelAt(Combo->Handle(), X, Y); }

    TForm* Form = nullptr;
    TDAEComboBox* Combo = nullptr;
    TButton* Other = nullptr;
};

TEST_F(FlatComboTest, PropertyRulesAndVersion)
{
    const Integer Initial = GetSystemMetrics(SM_CXVSCROLL) + 4;
    EXPECT_EQ(Combo->ButtonWidth(), Initial);
    struct Case {
        Integer Value;
        Integer Expected;
    } Cases[] = {{13, Initial}, {14, 14}, {33, 14}, {32, 32}, {0, 32}};
    for (const Case& C : Cases) {
        Combo->SetButtonWidth(C.Value);
        EXPECT_EQ(Combo->ButtonWidth(), C.Expected) << C.Value;
    }
    EXPECT_TRUE(Combo->Flat());
    EXPECT_FALSE(Combo->Ctl3D());
    Combo->SetFlat(false);
    EXPECT_TRUE(Combo->Ctl3D());

    Show();
    const LRESULT Before = SendMessage(Combo->Handle(), CB_GETDROPPEDWIDTH, 0, 0);
    Combo->SetDropWidth(-5);
    EXPECT_EQ(Combo->DropWidth(), -5);
    EXPECT_EQ(SendMessage(Combo->Handle(), CB_GETDROPPEDWIDTH, 0, 0), Before);
    Combo->SetDropWidth(260);
    EXPECT_EQ(SendMessage(Combo->Handle(), CB_GETDROPPEDWIDTH, 0, 0), 260);

    EXPECT_EQ(Combo->GetVersionNr(), 0x01020001);
    Combo->SetVersion("9.9");
    EXPECT_EQ(Combo->Version(), "1.2.0.1");
}

TEST_F(FlatComboTest, DisabledShowsTheParentColourAndEnablingRestoresItsOwn)
{
    Show();
    Combo->SetEnabled(false);
    EXPECT_TRUE(Combo->ParentColor());
    EXPECT_EQ(Combo->Color(), Paper);
    Combo->SetEnabled(true);
    EXPECT_FALSE(Combo->ParentColor());
    EXPECT_EQ(Combo->Color(), Own);

    // Flat cleared while disabled: the colour still comes back on enable.
    Combo->SetEnabled(false);
    Combo->SetFlat(false);
    Combo->SetEnabled(true);
    EXPECT_FALSE(Combo->ParentColor());
    EXPECT_EQ(Combo->Color(), Own);

    // A colour given while disabled is the one kept.
    Combo->SetFlat(true);
    Combo->SetEnabled(false);
    Combo->SetColor(clYellow);
    Combo->SetEnabled(true);
    EXPECT_EQ(Combo->Color(), clYellow);
}

// The borders in the looks the control has: idle (two frames in the parent's colour), hot with
// FocusBorder (a sunken edge, the button face, then its own colour), focused likewise, and the
// raised edge of the button.
TEST_F(FlatComboTest, IdleHotAndFocusedBorders)
{
    Combo->SetStyle(csDropDownList);
    Show();
    const COLORREF P = ColorToRGB(Paper), Face = GetSysColor(COLOR_BTNFACE);
    const COLORREF Shadow = GetSysColor(COLOR_BTNSHADOW), Light = GetSysColor(COLOR_BTNHIGHLIGHT);
    EXPECT_EQ(At(0, 0), P);
    EXPECT_EQ(At(1, 1), P);
    const int H = Combo->Height();
    EXPECT_EQ(At(149, H - 1), P);
    EXPECT_EQ(At(148, 1), P);
    // The button's raised edge, drawn over the inner frame: light inside its left, dark at its right.
    const int BL = 150 - Combo->ButtonWidth() - 4 + 2;
    EXPECT_EQ(At(BL + 1, H / 2), Light);
    EXPECT_EQ(At(148, H / 2), GetSysColor(COLOR_3DDKSHADOW));

    // Hot without FocusBorder: no change of the control border.
    uitest::MoveMouse(Combo->Handle(), 40, 10);
    EXPECT_TRUE(Combo->MouseInside());
    EXPECT_EQ(At(0, 0), P);

    Combo->SetFocusBorder(true);
    uitest::MoveMouse(Form->Handle(), 300, 150);
    EXPECT_FALSE(Combo->MouseInside());
    uitest::MoveMouse(Combo->Handle(), 40, 10);
    PumpUntilIdle();
    EXPECT_EQ(At(0, 0), Shadow);
    EXPECT_EQ(At(149, H - 1), Light);
    EXPECT_EQ(At(1, 1), Face);
    EXPECT_EQ(At(2, 2), ColorToRGB(Own));

    uitest::MoveMouse(Form->Handle(), 300, 150);
    EXPECT_EQ(At(0, 0), P);
    Combo->SetFocus();
    PumpUntilIdle();
    EXPECT_EQ(At(0, 0), Shadow);
    EXPECT_EQ(At(1, 1), Face);
}

TEST_F(FlatComboTest, SystemLookAndRightToLeftLeaveTheOwnDrawingOut)
{
    Combo->SetStyle(csDropDownList);
    Show();
    const COLORREF P = ColorToRGB(Paper);
    const int BL = 150 - Combo->ButtonWidth() - 4 + 2;
    ASSERT_EQ(At(0, 0), P);

    Combo->SetBiDiMode(bdRightToLeft);
    Combo->Invalidate();
    PumpUntilIdle();
    EXPECT_EQ(At(0, 0), P); // the border stays
    EXPECT_NE(At(BL, 12), GetSysColor(COLOR_BTNHIGHLIGHT));

    Combo->SetBiDiMode(bdLeftToRight);
    Combo->SystemLook = true;
    Combo->Invalidate();
    PumpUntilIdle();
    EXPECT_NE(At(0, 0), P);
    EXPECT_NE(At(1, 1), P);
}

// The platform combo's keyboard and list behaviour through the grid combo.
TEST_F(FlatComboTest, KeysAndClicksOpenCloseAndChoose)
{
    Combo->SetStyle(csDropDownList);
    std::vector<std::string> Events;
    Combo->OnDropDown = [&](TObject*) { Events.push_back("drop"); };
    Combo->OnChange = [&](TObject*) { Events.push_back("change:" + Combo->Text()); };
    Combo->OnCloseUp = [&](TObject*) { Events.push_back("close"); };
    Show();
    Combo->SetFocus();
    Combo->SetItemIndex(1);
    PumpUntilIdle();

    PressKey(VK_F4);
    EXPECT_TRUE(Combo->DroppedDown());
    PressKey(VK_DOWN);
    EXPECT_EQ(Combo->ItemIndex(), 2);
    PressKey(VK_ESCAPE); // cancels back to the selection the list opened with
    EXPECT_FALSE(Combo->DroppedDown());
    EXPECT_EQ(Combo->ItemIndex(), 1);
    EXPECT_EQ(Combo->Text(), "banana");

    PressKey(VK_DOWN, uitest::ksAlt);
    EXPECT_TRUE(Combo->DroppedDown());
    PressKey(VK_DOWN);
    PressKey(VK_RETURN);
    EXPECT_FALSE(Combo->DroppedDown());
    EXPECT_EQ(Combo->Text(), "cherry");

    // Typing a first letter selects by it while closed.
    uitest::TypeText("a");
    EXPECT_EQ(Combo->Text(), "apple");
    uitest::TypeText("d");
    EXPECT_EQ(Combo->Text(), "date");

    // A click on the button opens the list, a click on it again closes it.
    Events.clear();
    uitest::Click(Combo->Handle(), 150 - 8, 12);
    EXPECT_TRUE(Combo->DroppedDown());
    uitest::Click(Combo->Handle(), 150 - 8, 12);
    EXPECT_FALSE(Combo->DroppedDown());
    EXPECT_EQ(Events, (std::vector<std::string>{"drop", "close"}));
}

// AutoFocus takes the focus when the mouse comes in.
TEST_F(FlatComboTest, AutoFocusTakesTheFocusOnEntry)
{
    Combo->SetStyle(csDropDownList);
    Show();
    uitest::MoveMouse(Combo->Handle(), 30, 10);
    EXPECT_FALSE(Combo->Focused());
    uitest::MoveMouse(Form->Handle(), 300, 150);
    Combo->SetAutoFocus(true);
    uitest::MoveMouse(Combo->Handle(), 30, 10);
    EXPECT_TRUE(Combo->Focused());
}

} // namespace
