#include "dropdowns/ButtonPanel.h"

#include "platform/forms/Forms.h"
#include "platform/testing/Harness.h"
#include "platform/win/UxTheme.h"
#include "platform/win/Windows.h"

#include <gtest/gtest.h>

#include <vector>

using uitest::PumpUntilIdle;

namespace {

class ButtonPanelTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        uitest::Start();
        Application->OnException = nullptr;
        Form = New<TForm>(Application);
        Form->SetBounds(100, 100, 400, 300);
        Pad = New<TCustomButtonPanel>(Form);
        Pad->SetParent(Form);
        Pad->SetBounds(10, 10, 230, 150);
        Pad->Initialize();
        Pad->OnButtonClick = [this](TObject* Sender, Integer Index) {
            EXPECT_EQ(Sender, Pad);
            Clicks.push_back(Index);
        };
        Form->Show();
        PumpUntilIdle();
    }
    void TearDown() override
    {
        SetBuiltInThemeActive(false);
        while (Screen->FormCount() > 0)
            Screen->Forms(Screen->FormCount() - 1)->Free();
    }
    TPoint Centre(Integer Index)
    {
        const TRect R = Pad->GetButtonRect(Index);
        return TPoint{(R.Left + R.Right) / 2, (R.Top + R.Bottom) / 2};
    }
    void ClickKey(Integer Index)
    {
        const TPoint P = Centre(Index);
        uitest::Click(Pad->Handle(), P.X, P.Y);
        PumpUntilIdle();
    }

    TForm* Form = nullptr;
    TCustomButtonPanel* Pad = nullptr;
    std::vector<Integer> Clicks;
};

TEST_F(ButtonPanelTest, CalculatorKeysAndTheirGrid)
{
    ASSERT_EQ(Pad->Buttons()->Count(), 28);
    TButtonItem* Sqrt = Pad->Buttons()->GetItem(27);
    EXPECT_EQ(Sqrt->Caption(), "sqrt");
    EXPECT_EQ(Sqrt->KeyName, "BTN_sqrt");
    EXPECT_EQ(Sqrt->Tag(), 37);
    EXPECT_TRUE(Sqrt->Special);
    EXPECT_EQ(Sqrt->CaptionColor(), TColor(RGB(128, 0, 0)));
    EXPECT_FALSE(Pad->Buttons()->GetItem(25)->Special); // 1/x

    // 34 x 26 keys; columns 8, 46, 79, 112, 150, 183; rows 8, 38, 63, 88, 113.
    struct Case {
        Integer Index;
        TRect Rect;
    } Cases[] = {
        {0, {8, 8, 42, 34}},      {1, {46, 8, 100, 34}},      {2, {104, 8, 158, 34}},
        {3, {162, 8, 217, 34}},   {4, {8, 38, 42, 64}},       {11, {46, 38, 80, 64}},
        {12, {79, 38, 113, 64}},  {19, {112, 38, 146, 64}},   {20, {150, 38, 184, 64}},
        {27, {183, 38, 217, 64}}, {5, {8, 63, 42, 89}},       {6, {8, 88, 42, 114}},
        {8, {46, 113, 80, 139}},  {24, {183, 113, 217, 139}},
    };
    for (const Case& C : Cases) {
        SCOPED_TRACE(C.Index);
        const TRect R = Pad->GetButtonRect(C.Index);
        EXPECT_EQ(R.Left, C.Rect.Left);
        EXPECT_EQ(R.Top, C.Rect.Top);
        EXPECT_EQ(R.Right, C.Rect.Right);
        EXPECT_EQ(R.Bottom, C.Rect.Bottom);
    }
    EXPECT_EQ(Pad->GetButtonRect(28).Left, -1);
    // Overlapping neighbours: the lower index wins.
    EXPECT_EQ(Pad->ButtonAtPos(79, 50), 11);
    EXPECT_EQ(Pad->ButtonAtPos(2, 2), -1);
}

TEST_F(ButtonPanelTest, ClicksHotAndDisabledKeys)
{
    ClickKey(11); // 7
    ClickKey(23); // +
    EXPECT_EQ(Clicks, (std::vector<Integer>{11, 23}));
    // Pressed on one key, released over another: nothing.
    const TPoint A = Centre(9), B = Centre(17);
    uitest::MouseDown(Pad->Handle(), A.X, A.Y);
    PumpUntilIdle();
    EXPECT_EQ(Pad->ButtonDown(), 9);
    uitest::MouseUp(Pad->Handle(), B.X, B.Y);
    PumpUntilIdle();
    EXPECT_EQ(Pad->ButtonDown(), -1);
    EXPECT_EQ(Clicks.size(), 2u);
    // A disabled key is never hot, pressed or clicked.
    Pad->Buttons()->GetItem(13)->Enabled = false;
    const TPoint D = Centre(13);
    uitest::MoveMouse(Pad->Handle(), D.X, D.Y);
    PumpUntilIdle();
    EXPECT_EQ(Pad->ButtonHot(), -1);
    ClickKey(13);
    EXPECT_EQ(Pad->ButtonDown(), -1);
    EXPECT_EQ(Clicks.size(), 2u);
    uitest::MoveMouse(Pad->Handle(), B.X, B.Y);
    PumpUntilIdle();
    EXPECT_EQ(Pad->ButtonHot(), 17);
}

TEST_F(ButtonPanelTest, ShortOrCustomKeySetsKeepTheirRectangles)
{
    // Fewer than the 28 calculator keys: resizing leaves them alone rather than failing.
    Pad->ClearButtons();
    TButtonItem* K = Pad->Buttons()->Add();
    K->Left = 3, K->Top = 4, K->Width = 20, K->Height = 10;
    Pad->SetBounds(10, 10, 300, 200);
    PumpUntilIdle();
    EXPECT_EQ(Pad->GetButtonRect(0).Left, 3);
    Pad->SetButtonPanelType(plCustom);
    Pad->SetBounds(10, 10, 200, 120);
    PumpUntilIdle();
    EXPECT_EQ(Pad->GetButtonRect(0).Right, 23);
    ClickKey(0);
    EXPECT_EQ(Clicks, (std::vector<Integer>{0}));
}

TEST_F(ButtonPanelTest, KeysAreDrawnWithAndWithoutTheTheme)
{
    // Without a theme the keys take the appearance's gradient; special captions are dark red.
    Pad->Invalidate();
    PumpUntilIdle();
    const TColor Face = uitest::PixelAt(Pad->Handle(), 10, 40);
    EXPECT_NE(Face, uitest::PixelAt(Pad->Handle(), 3, 3));
    EXPECT_EQ(uitest::PixelAt(Pad->Handle(), 0, 0), COLORREF(0x000000)); // standalone frame
    SetBuiltInThemeActive(true);
    Pad->Invalidate();
    PumpUntilIdle();
    EXPECT_NE(uitest::PixelAt(Pad->Handle(), 10, 40), Face);
}

} // namespace
