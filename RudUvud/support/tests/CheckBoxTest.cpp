#include "RudUvud/support/VadObj.h"

#include "RudUvud/support/VadXPVS.h"

#include "platform/forms/Forms.h"
#include "platform/testing/Harness.h"

#include <gtest/gtest.h>

namespace {

class CheckBoxTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        uitest::Start();
        Form = New<TForm>(Application);
        Form->SetBounds(40, 40, 260, 140);
        Form->SetColor(TColor(0x0000FF));
        Box = New<TDirEdaduVer>(Form);
        Box->SetParent(Form);
        Box->SetBounds(20, 20, 120, 24);
        Box->SetCaption("&Match case");
        Box->SetTabStop(true);
        Box->OnClick = [this](TObject*) { ++Clicks; };
        Other = New<TEdit>(Form);
        Other->SetParent(Form);
        Other->SetBounds(20, 80, 100, 24);
        Form->Show();
        uitest::PumpUntilIdle();
    }
    void TearDown() override
    {
        SetBuiltInThemeActive(false);
        Form->Free();
    }

    TForm* Form = nullptr;
    TDirEdaduVer* Box = nullptr;
    TEdit* Other = nullptr;
    int Clicks = 0;
};

TEST_F(CheckBoxTest, PressReleaseMatrix)
{
    struct Case {
        TLeftRight Alignment;
        int Button;
        bool PressInside, ReleaseInside, ReadOnly;
        bool Toggles, Clicks;
    } Cases[] = {
        {taLeftJustify, 0, true, true, false, true, true},
        {taRightJustify, 0, true, true, false, true, true},
        {taLeftJustify, 1, true, true, false, true, true}, // the right button toggles too
        {taLeftJustify, 2, true, true, false, true, true},
        {taLeftJustify, 0, true, false, false, false, false},
        {taLeftJustify, 0, false, true, false, false, false},
        {taLeftJustify, 0, true, true, true, false, true}, // read-only: no change, still a click
    };
    for (const Case& C : Cases) {
        Box->SetAlignment(C.Alignment);
        Box->SetReadOnly(C.ReadOnly);
        Box->SetChecked(false);
        Other->SetFocus();
        uitest::PumpUntilIdle();
        Clicks = 0;
        HWND Press = C.PressInside ? Box->Handle() : Form->Handle();
        const int PX = C.PressInside ? 30 : 200, PY = C.PressInside ? 10 : 100;
        uitest::MouseDown(Press, PX, PY, C.Button);
        if (C.PressInside)
            EXPECT_EQ(GetFocus(), Box->Handle()) << "a press takes the focus";
        if (C.ReleaseInside) {
            uitest::MoveMouse(Press, C.PressInside ? 40 : 60, C.PressInside ? 12 : 30);
            uitest::MouseUp(Press, C.PressInside ? 40 : 60, C.PressInside ? 12 : 30, C.Button);
        } else {
            uitest::MoveMouse(Box->Handle(), 30, 60);
            EXPECT_FALSE(Box->Pressed()) << "dragged off, the box shows unpressed";
            uitest::MouseUp(Box->Handle(), 30, 60, C.Button);
        }
        const int Index = int(&C - Cases);
        EXPECT_EQ(Box->Checked(), C.Toggles) << "case " << Index;
        EXPECT_EQ(Clicks, C.Clicks ? 1 : 0) << "case " << Index;
    }
}

TEST_F(CheckBoxTest, KeyboardAndAccelerator)
{
    Box->SetFocus();
    uitest::PumpUntilIdle();
    Box->SetState(cbGrayed);
    EXPECT_FALSE(Box->Checked());
    uitest::PressKey(VK_SPACE);
    EXPECT_EQ(Box->State(), cbChecked) << "a grayed box toggles to checked";
    EXPECT_EQ(Clicks, 1);
    uitest::KeyDown(VK_SPACE);
    EXPECT_TRUE(Box->Pressed());
    uitest::KeyUp(VK_SPACE);
    EXPECT_FALSE(Box->Checked());
    EXPECT_EQ(Clicks, 2);

    // Space held while the focus arrives: its release alone does not toggle.
    Other->SetFocus();
    uitest::PumpUntilIdle();
    uitest::KeyDown(VK_SPACE);
    Box->SetFocus();
    uitest::PumpUntilIdle();
    uitest::KeyUp(VK_SPACE);
    EXPECT_FALSE(Box->Checked());
    EXPECT_EQ(Clicks, 2);

    // Alt+M from elsewhere toggles, takes the focus and tells OnClick.
    Other->SetFocus();
    uitest::PumpUntilIdle();
    uitest::PressKey('M', uitest::ksAlt);
    EXPECT_TRUE(Box->Checked());
    EXPECT_EQ(GetFocus(), Box->Handle());
    EXPECT_EQ(Clicks, 3);

    Box->SetReturnIsTab(true);
    uitest::PressKey(VK_RETURN);
    EXPECT_EQ(GetFocus(), Other->Handle()) << "Enter moves on like Tab";
}

TEST_F(CheckBoxTest, TransparentBoxShowsItsParentAndStateRepaintsTheStrip)
{
    const int TextX = 100, TextY = 2; // right of the caption, above the text
    EXPECT_NE(uitest::PixelAt(Box->Handle(), TextX, TextY), 0x0000FFu);
    Box->SetTransparent(true);
    uitest::PumpUntilIdle();
    EXPECT_EQ(uitest::PixelAt(Box->Handle(), TextX, TextY), 0x0000FFu) << "the form's red shows through";

    // A change of state invalidates the box's strip only.
    uitest::PumpUntilIdle();
    Box->SetState(cbChecked);
    RECT Update{};
    ASSERT_TRUE(GetUpdateRect(Box->Handle(), &Update, FALSE));
    EXPECT_EQ(Update.Left, 0);
    EXPECT_EQ(Update.Right, 20);
    uitest::PumpUntilIdle();
    Box->SetAlignment(taRightJustify);
    uitest::PumpUntilIdle();
    Box->SetState(cbUnchecked);
    ASSERT_TRUE(GetUpdateRect(Box->Handle(), &Update, FALSE));
    EXPECT_EQ(Update.Left, Box->ClientWidth() - 20);
    EXPECT_EQ(Update.Right, Box->ClientWidth());

    // Without a parent the box paints with no background and does not fail.
    auto* Lone = New<TDirEdaduVer>(Form);
    Lone->SetTransparent(true);
    Lone->Free();
}

TEST_F(CheckBoxTest, ThemedBoxIdleHotPressedAndClassicPlaces)
{
    // Classic box: 13 x 13 at the three vertical places.
    Box->SetBounds(20, 20, 120, 40);
    struct Place {
        TTextLayout Layout;
        Integer Top;
    } Classic[] = {{tlTop, 4}, {tlCenter, 14}, {tlBottom, 23}};
    for (const Place& P : Classic) {
        Box->SetButtonVertAlign(P.Layout);
        EXPECT_EQ(Box->BoxRect(), Rect(0, P.Top, 13, P.Top + 13)) << P.Layout;
    }

    VadXPVS().Initialize();
    SetBuiltInThemeActive(true);
    ASSERT_TRUE(IsVisualStylesActive());
    Place Themed[] = {{tlTop, 4}, {tlCenter, 14}, {tlBottom, 26}};
    for (const Place& P : Themed) {
        Box->SetButtonVertAlign(P.Layout);
        EXPECT_EQ(Box->BoxRect(), Rect(0, P.Top, 14, P.Top + 14)) << P.Layout;
    }
    Box->SetButtonVertAlign(tlTop);
    uitest::MoveMouse(Form->Handle(), 200, 100);
    Box->Invalidate();
    uitest::PumpUntilIdle();
    const int X = 0, Y = 10;   // the left edge of the box: its border
    const int FX = 6, FY = 10; // and its inside
    const COLORREF Idle = uitest::PixelAt(Box->Handle(), X, Y);
    uitest::MoveMouse(Box->Handle(), 60, 10);
    EXPECT_TRUE(Box->Hot());
    const COLORREF Hot = uitest::PixelAt(Box->Handle(), X, Y);
    const COLORREF HotInside = uitest::PixelAt(Box->Handle(), FX, FY);
    uitest::MouseDown(Box->Handle(), 60, 10);
    const COLORREF Pressed = uitest::PixelAt(Box->Handle(), X, Y);
    const COLORREF PressedInside = uitest::PixelAt(Box->Handle(), FX, FY);
    uitest::MouseUp(Box->Handle(), 60, 10);
    EXPECT_NE(Idle, Hot) << "a hot box has the accent border";
    EXPECT_EQ(Hot, Pressed);
    EXPECT_NE(HotInside, PressedInside) << "a pressed box darkens inside";
}

} // namespace
