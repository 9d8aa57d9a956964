#include "dropdowns/DadOrorUdur.h"

#include "platform/forms/Forms.h"
#include "platform/forms/StdCtrls.h"
#include "platform/testing/Harness.h"
#include "platform/win/PopupWindows.h"
#include "platform/win/Windows.h"

#include <gtest/gtest.h>

using uitest::PressKey;
using uitest::PumpUntilIdle;

namespace {

class DropDownTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        uitest::Start();
        Application->OnException = nullptr;
        Form = New<TForm>(Application);
        Form->SetCaption("Dropdowns");
        Form->SetBounds(100, 100, 400, 300);
        Edit = New<TDadOrorUdur>(Form);
        Edit->SetParent(Form);
        Edit->SetBounds(20, 20, 200, 21);
        Other = New<TEdit>(Form);
        Other->SetParent(Form);
        Other->SetBounds(20, 200, 100, 21);
        Edit->OnDropUp = [this](TObject*, bool Cancelled) { DropUps.push_back(Cancelled); };
        Form->Show();
        PumpUntilIdle();
        Edit->SetFocus();
        PumpUntilIdle();
    }
    void TearDown() override
    {
        while (Screen->FormCount() > 0)
            Screen->Forms(Screen->FormCount() - 1)->Free();
    }

    bool Open() { return Edit->DroppedDown() && Edit->DropDownForm()->Visible(); }
    HWND PopupWnd() { return Edit->DropDownForm()->Handle(); }
    // The middle of the dropdown button, in the edit's client coordinates.
    void ClickButton()
    {
        TDropDownEditButton* B = Edit->DropDownButton();
        uitest::Click(B->Handle(), B->Width() / 2, B->Height() / 2);
    }
    TRect PopupRect()
    {
        RECT R{};
        GetWindowRect(PopupWnd(), &R);
        return R;
    }

    TForm* Form = nullptr;
    TDadOrorUdur* Edit = nullptr;
    TEdit* Other = nullptr;
    std::vector<bool> DropUps;
};

TEST_F(DropDownTest, NewControlHasAHiddenPopupAndAButtonAtItsRightEdge)
{
    auto* D = New<TDadOrorUdur>(Form);
    EXPECT_EQ(D->Width(), 200);
    EXPECT_EQ(D->Height(), 21);
    ASSERT_NE(D->DropDownForm(), nullptr);
    EXPECT_FALSE(D->DropDownForm()->Visible());
    D->SetParent(Form);
    D->SetBounds(20, 60, 200, 21);
    PumpUntilIdle();
    TDropDownEditButton* B = D->DropDownButton();
    ASSERT_NE(B, nullptr);
    EXPECT_EQ(B->Width(), 17);
    EXPECT_EQ(B->Left() + B->Width(), D->Width() - 4); // inside the sunken border
    EXPECT_EQ(D->Version(), "1.0.7.0");
    // Too low for its font: the height snaps back.
    D->SetHeight(5);
    PumpUntilIdle();
    EXPECT_EQ(D->Height(), D->GetMinHeight());
}

TEST_F(DropDownTest, ButtonOpensAndASecondPressClosesWithoutReopening)
{
    ClickButton();
    ASSERT_TRUE(Open());
    // The popup does not take the focus from the edit, nor the activation from the form.
    EXPECT_EQ(GetFocus(), Edit->Handle());
    EXPECT_EQ(GetActiveWindow(), Form->Handle());
    ClickButton();
    EXPECT_FALSE(Open());
    EXPECT_EQ(DropUps, (std::vector<bool>{true}));
    // Later, a press opens it again.
    uitest::AdvanceTime(300);
    ClickButton();
    EXPECT_TRUE(Open());
}

TEST_F(DropDownTest, KeysOpenAndClose)
{
    Edit->SetText("kept");
    PressKey(VK_F4);
    ASSERT_TRUE(Open());
    PressKey(VK_F4);
    EXPECT_FALSE(Open());
    PressKey(VK_DOWN, uitest::ksAlt);
    ASSERT_TRUE(Open());
    PressKey(VK_UP, uitest::ksAlt);
    EXPECT_FALSE(Open());
    EXPECT_EQ(DropUps, (std::vector<bool>{false, false}));

    // Esc cancels: the text of the last SetText comes back.
    PressKey(VK_DOWN, uitest::ksAlt);
    ASSERT_TRUE(Open());
    PressKey(VK_END);
    uitest::TypeText("xy");
    EXPECT_EQ(Edit->Text(), "keptxy");
    PressKey(VK_ESCAPE);
    EXPECT_FALSE(Open());
    EXPECT_EQ(Edit->Text(), "kept");
    EXPECT_EQ(DropUps.back(), true);
    // Enter accepts.
    PressKey(VK_F4);
    PressKey(VK_END);
    uitest::TypeText("!");
    PressKey(VK_RETURN);
    EXPECT_FALSE(Open());
    EXPECT_EQ(Edit->Text(), "kept!");
    EXPECT_EQ(DropUps.back(), false);
    EXPECT_EQ(GetFocus(), Edit->Handle());
}

TEST_F(DropDownTest, PressOutsideOrLosingTheFocusCloses)
{
    Edit->SetText("start");
    PressKey(VK_F4);
    ASSERT_TRUE(Open());
    uitest::TypeText("1");
    // A press on another control of the form closes (cancelled: the text comes back) and goes
    // on to that control.
    uitest::Click(Other->Handle(), 5, 5);
    EXPECT_FALSE(Open());
    EXPECT_EQ(Edit->Text(), "start");
    EXPECT_EQ(GetFocus(), Other->Handle());

    Edit->SetFocus();
    PumpUntilIdle();
    PressKey(VK_F4);
    ASSERT_TRUE(Open());
    // A press on the desktop, outside every window of the program.
    uitest::ClickAt(POINT{900, 700});
    EXPECT_FALSE(Open());

    uitest::AdvanceTime(300);
    PressKey(VK_F4);
    ASSERT_TRUE(Open());
    InputFocusLeftProgram();
    PumpUntilIdle();
    EXPECT_FALSE(Open());

    // Tab moves the focus on: the popup does not stay open for a control left behind.
    PressKey(VK_F4);
    ASSERT_TRUE(Open());
    Other->SetFocus();
    PumpUntilIdle();
    EXPECT_FALSE(Open());
    EXPECT_EQ(GetFocus(), Other->Handle());

    // A press inside the popup keeps it open.
    Edit->SetFocus();
    PressKey(VK_F4);
    ASSERT_TRUE(Open());
    uitest::Click(PopupWnd(), 10, 10);
    EXPECT_TRUE(Open());
    EXPECT_EQ(GetFocus(), Edit->Handle());
}

TEST_F(DropDownTest, PopupOpensBesideTheControlAndStaysOnTheScreen)
{
    const TSize ScreenSize = uitest::Screen().ScreenSize();
    RECT Work{};
    SystemParametersInfo(SPI_GETWORKAREA, 0, &Work, 0);
    struct Case {
        const char* Name;
        TPoint FormAt; // where the form goes
        TPoint EditAt; // the edit inside it
        TDropPosition Pos;
        bool ExpectBelow;
    };
    const Case Cases[] = {
        {"top left, auto", {0, 0}, {10, 10}, dpAuto, true},
        {"bottom, auto", {100, ScreenSize.cy - 120}, {10, 60}, dpAuto, false},
        {"right edge, down", {ScreenSize.cx - 250, 100}, {100, 10}, dpDown, true},
        {"top, up", {100, 0}, {10, 5}, dpUp, false},
    };
    for (const Case& C : Cases) {
        SCOPED_TRACE(C.Name);
        Form->SetBounds(C.FormAt.X, C.FormAt.Y, 400, 120);
        Edit->SetBounds(C.EditAt.X, C.EditAt.Y, 200, 21);
        Edit->SetDropPosition(C.Pos);
        PumpUntilIdle();
        uitest::AdvanceTime(300);
        Edit->ShowDropDown();
        PumpUntilIdle();
        ASSERT_TRUE(Open());
        RECT E{};
        GetWindowRect(Edit->Handle(), &E);
        const TRect P = PopupRect();
        EXPECT_GE(P.Left, Work.Left);
        EXPECT_GE(P.Top, Work.Top);
        EXPECT_LE(P.Right, Work.Right);
        EXPECT_LE(P.Bottom, Work.Bottom);
        if (C.ExpectBelow) {
            EXPECT_EQ(P.Top, E.Bottom - 1); // overlaps the edit's bottom line
        } else if (C.Pos == dpAuto) {
            EXPECT_EQ(P.Bottom, E.Top);
        }
        if (P.Right < Work.Right)
            EXPECT_EQ(P.Left, E.Left);
        else
            EXPECT_LT(P.Left, E.Left); // moved left to stay on the screen
        Edit->HideDropDown(false);
        PumpUntilIdle();
    }
}

TEST_F(DropDownTest, VetoSizeMemoryAndNonEditableControl)
{
    Edit->OnDropDown = [](TObject*, bool& Accept) { Accept = false; };
    PressKey(VK_F4);
    EXPECT_FALSE(Edit->DroppedDown());
    EXPECT_FALSE(Edit->DropDownForm()->Visible());
    EXPECT_TRUE(DropUps.empty());
    Edit->OnDropDown = nullptr;

    // The size the person gave the popup survives until DropDownWidth is set.
    PressKey(VK_F4);
    ASSERT_TRUE(Open());
    Edit->DropDownForm()->SetBounds(Edit->DropDownForm()->Left(), Edit->DropDownForm()->Top(), 260, 140);
    PressKey(VK_F4);
    PressKey(VK_F4);
    EXPECT_EQ(PopupRect().Width(), 260);
    EXPECT_EQ(PopupRect().Height(), 140);
    PressKey(VK_F4);
    Edit->SetDropDownWidth(150);
    PressKey(VK_F4);
    EXPECT_EQ(PopupRect().Width(), 150);
    PressKey(VK_F4);

    // A pure picker takes no typing, opens on a click of the edit and paints its text on a
    // highlight bar while focused.
    Edit->SetText("pick");
    Edit->SetEditorEnabled(false);
    uitest::TypeText("zz");
    EXPECT_EQ(Edit->Text(), "pick");
    uitest::AdvanceTime(300);
    uitest::Click(Edit->Handle(), 20, 10);
    EXPECT_TRUE(Open());
    PressKey(VK_ESCAPE);
    EXPECT_FALSE(Open());
    Edit->Repaint();
    PumpUntilIdle();
    EXPECT_EQ(uitest::PixelAt(Edit->Handle(), 10, 4), ColorToRGB(clHighlight));
}

TEST_F(DropDownTest, PopupBorderAndBackground)
{
    Edit->SetDropDownBorderWidth(3);
    Edit->SetDropDownBorderColor(0x0000FF);
    Edit->SetDropDownColor(0x00FF00);
    Edit->DropDownHeader()->SetVisible(false);
    Edit->DropDownFooter()->SetVisible(false);
    Edit->SetDropDownHeight(60);
    PressKey(VK_F4);
    ASSERT_TRUE(Open());
    PumpUntilIdle();
    HWND P = PopupWnd();
    // A 3-pixel pen on the rectangle moved in by 1 covers columns 0 to 2; the background
    // starts inside the border.
    EXPECT_EQ(uitest::PixelAt(P, 0, 20), 0x0000FFu);
    EXPECT_EQ(uitest::PixelAt(P, 2, 20), 0x0000FFu);
    EXPECT_EQ(uitest::PixelAt(P, 3, 20), 0x00FF00u);
    // With the border colour "none" no frame is drawn.
    PressKey(VK_F4);
    Edit->SetDropDownBorderColor(clNone);
    PressKey(VK_F4);
    PumpUntilIdle();
    EXPECT_NE(uitest::PixelAt(PopupWnd(), 1, 20), 0x0000FFu);
    EXPECT_EQ(uitest::PixelAt(PopupWnd(), 3, 20), 0x00FF00u);
}

} // namespace
