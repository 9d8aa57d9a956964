#include "dropdowns/DropDownForm.h"

#include "dropdowns/DadOrorUdur.h"

#include "platform/forms/ExtCtrlsPanels.h"
#include "platform/forms/Forms.h"
#include "platform/testing/Harness.h"
#include "platform/win/Windows.h"

#include <gtest/gtest.h>

using uitest::PumpUntilIdle;

namespace {

class DropDownFormTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        uitest::Start();
        Application->OnException = nullptr;
        Form = New<TForm>(Application);
        Form->SetBounds(100, 100, 400, 300);
        Edit = New<TDadOrorUdur>(Form);
        Edit->SetParent(Form);
        Edit->SetBounds(20, 20, 200, 21);
        Edit->SetDropDownHeight(100);
        Edit->DropDownHeader()->SetVisible(false);
        Edit->DropDownFooter()->SetVisible(false);
        Form->Show();
        Edit->SetFocus();
        PumpUntilIdle();
    }
    void TearDown() override
    {
        while (Screen->FormCount() > 0)
            Screen->Forms(Screen->FormCount() - 1)->Free();
    }
    void Drop()
    {
        uitest::AdvanceTime(300);
        Edit->ShowDropDown();
        PumpUntilIdle();
    }

    TForm* Form = nullptr;
    TDadOrorUdur* Edit = nullptr;
};

TEST_F(DropDownFormTest, ClosingFromOutsideCancelsOnlyWhenAsked)
{
    Edit->SetText("accepted");
    for (bool Cancel : {true, false}) {
        SCOPED_TRACE(Cancel);
        Edit->DropDownForm()->FCancelOnDeactivate = Cancel;
        Drop();
        uitest::PressKey(VK_END);
        uitest::TypeText("+");
        uitest::ClickAt(POINT{900, 700});
        EXPECT_FALSE(Edit->DroppedDown());
        EXPECT_EQ(Edit->Text(), Cancel ? "accepted" : "accepted+");
    }
}

TEST_F(DropDownFormTest, BorderWidthInsetsTheCentreControl)
{
    auto* Centre = New<TPanel>(Edit);
    Centre->SetBounds(0, 0, 150, 80);
    Edit->SetControl(Centre);
    for (int Width : {0, 3}) {
        SCOPED_TRACE(Width);
        Edit->SetDropDownBorderWidth(Width);
        Drop();
        EXPECT_EQ(Centre->Left(), Width);
        EXPECT_EQ(Centre->Top(), Width);
        EXPECT_EQ(Centre->Width(), Edit->DropDownForm()->ClientWidth() - 2 * Width);
        Edit->HideDropDown(false);
    }
}

TEST_F(DropDownFormTest, EndColourAloneLeavesTheBackgroundUnfilled)
{
    Edit->SetDropDownBorderWidth(0);
    Edit->SetDropDownColor(0x0000FF);
    Edit->SetDropDownColorTo(0x00FF00);
    Drop();
    HWND P = Edit->DropDownForm()->Handle();
    EXPECT_EQ(uitest::PixelAt(P, 0, 50), 0x0000FFu); // left to right
    EXPECT_NE(uitest::PixelAt(P, 190, 50), 0x0000FFu);
    Edit->HideDropDown(false);
    Edit->SetDropDownColor(clNone);
    Drop();
    EXPECT_NE(uitest::PixelAt(P, 0, 50), 0x0000FFu);
    EXPECT_NE(uitest::PixelAt(P, 190, 50), 0x00FF00u);
}

TEST_F(DropDownFormTest, HitTestAndButtonWidth)
{
    TDropDownForm* P = Edit->DropDownForm();
    P->SetBounds(300, 300, 100, 80);
    auto Hit = [&](int X, int Y) { return P->Perform(WM_NCHITTEST, 0, MAKELPARAM(300 + X, 300 + Y)); };
    EXPECT_NE(Hit(91, 71), HTBOTTOMRIGHT);
    P->FSizeable = true;
    EXPECT_EQ(Hit(91, 71), HTBOTTOMRIGHT);
    EXPECT_NE(Hit(89, 71), HTBOTTOMRIGHT);
    // The button keeps its forced width whatever width it is given; the height follows.
    TDropDownEditButton* B = Edit->DropDownButton();
    B->SetBounds(0, 0, 40, 12);
    EXPECT_EQ(B->Width(), 17);
    EXPECT_EQ(B->Height(), 12);
    Edit->SetButtonWidth(20);
    EXPECT_EQ(B->Width(), 20);
    EXPECT_EQ(B->Button()->Width(), 20);
}

TEST_F(DropDownFormTest, TheButtonIsPaintedWithItsArrow)
{
    TDropDownEditButton* B = Edit->DropDownButton();
    PumpUntilIdle();
    int Dark = 0;
    for (int Y = 0; Y < B->Height(); ++Y)
        for (int X = 0; X < B->Width(); ++X)
            Dark += uitest::PixelAt(B->Handle(), X, Y) == 0x000000u;
    EXPECT_EQ(Dark, 7 + 5 + 3 + 1); // the 7 x 4 arrow
    // The unthemed drop-down look's highlight lines.
    EXPECT_EQ(uitest::PixelAt(B->Handle(), 5, 1), 0xFFFFFFu);
}

} // namespace
