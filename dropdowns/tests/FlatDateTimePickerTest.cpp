#include "dropdowns/DidAzadEzazAredav.h"

#include "platform/forms/ExtCtrlsPanels.h"
#include "platform/forms/Forms.h"
#include "platform/rtl/DateTime.h"
#include "platform/testing/Harness.h"
#include "platform/win/Windows.h"

#include <gtest/gtest.h>

using uitest::PressKey;
using uitest::PumpUntilIdle;

namespace {

TDateTime DateTimeStamp(Word Y, Word Mo, Word D, Word H, Word Mi, Word S, Word MS = 0)
{
    return EncodeDate(Y, Mo, D) + EncodeTime(H, Mi, S, MS);
}

class FlatDateTimePickerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        uitest::Start();
        Application->OnException = nullptr;
        Form = New<TForm>(Application);
        Form->SetBounds(100, 100, 400, 300);
        Form->Show();
        Picker = New<TDidAzadEzazAredav>(Form);
        Picker->SetParent(Form);
        Picker->SetBounds(20, 20, 220, 23);
        PumpUntilIdle();
    }
    void TearDown() override
    {
        while (Screen->FormCount() > 0)
            Screen->Forms(Screen->FormCount() - 1)->Free();
    }
    // Whether the keyboard is in the time part.
    bool FocusInTimePart() const
    {
        return Picker->TimePicker() && GetFocus() == Picker->TimePicker()->Handle();
    }

    TForm* Form = nullptr;
    TDidAzadEzazAredav* Picker = nullptr;
};

TEST_F(FlatDateTimePickerTest, TimePartAtTheRightEndFollowsTheKind)
{
    TCustomDateTimePicker* T = Picker->TimePicker();
    ASSERT_NE(T, nullptr);
    EXPECT_TRUE(T->Visible());
    EXPECT_EQ(T->Parent(), Picker);
    char Text[256] = {0};
    GetWindowText(T->Handle(), Text, sizeof(Text));
    EXPECT_EQ(AnsiString(Text).size(), 8u); // HH:mm:ss
    const Integer W = MeasureText(Picker, Text, Picker->Font()).cx + 31;
    EXPECT_EQ(T->Width(), W);
    // Where the common controls draw the frame themselves (version 6), inside it.
    if (IsComCtl6()) {
        EXPECT_EQ(T->Left(), Picker->Width() - W - 34);
        EXPECT_EQ(T->Top(), 1);
        EXPECT_EQ(T->Height(), Picker->Height() - 2);
    } else {
        EXPECT_EQ(T->Left(), Picker->Width() - W - 23);
        EXPECT_EQ(T->Top(), -2);
        EXPECT_EQ(T->Height(), Picker->Height());
    }
    EXPECT_FALSE(T->AutoTab());

    // Both parts show their text: some pixels of each are not the background.
    auto Inked = [](HWND H, const TRect& R) {
        int N = 0;
        for (int X = R.Left; X < R.Right; ++X)
            for (int Y = R.Top; Y < R.Bottom; ++Y)
                N += uitest::PixelAt(H, X, Y) != COLORREF(0xFFFFFF);
        return N;
    };
    EXPECT_GT(Inked(T->Handle(), TRect{0, 0, T->ClientWidth() - 20, T->ClientHeight()}), 20);
    EXPECT_GT(Inked(Picker->Handle(), TRect{0, 0, T->Left(), Picker->ClientHeight()}), 20);

    Picker->SetKind(dkDate);
    EXPECT_EQ(Picker->TimePicker(), nullptr);
    Picker->SetKind(dkTime);
    EXPECT_EQ(Picker->TimePicker(), nullptr);
    EXPECT_EQ(Picker->TDateTimePicker::Kind(), dtkTime);
    Picker->SetKind(dkDateTime);
    ASSERT_NE(Picker->TimePicker(), nullptr);
    EXPECT_TRUE(Picker->TimePicker()->Visible());
    EXPECT_EQ(Picker->TDateTimePicker::Kind(), dtkDate);
    // The time part takes AutoTab when it is assigned while the part exists.
    Picker->SetAutoTab(true);
    EXPECT_TRUE(Picker->TimePicker()->AutoTab());
}

TEST_F(FlatDateTimePickerTest, ValueWithoutMillisecondsInBothParts)
{
    int Changes = 0, TimeChanges = 0;
    Picker->OnChange = [&](TObject*) { ++Changes; };
    Picker->OnTimePickerChange = [&](TObject*) { ++TimeChanges; };
    Picker->SetDateTimeEx(DateTimeStamp(2026, 12, 11, 14, 30, 15, 750));
    EXPECT_EQ(Picker->GetDateTimeEx(), DateTimeStamp(2026, 12, 11, 14, 30, 15));
    EXPECT_NEAR(Picker->GetTimeEx(), EncodeTime(14, 30, 15, 0), 0.1 / 86400);
    EXPECT_EQ(Picker->TimePicker()->DateTime(), DateTimeStamp(2026, 12, 11, 14, 30, 15));
    // Stepping the time part is a change of the control.
    Changes = 0;
    TimeChanges = 0;
    Picker->TimePicker()->SetFocus();
    PumpUntilIdle();
    PressKey(VK_UP);
    EXPECT_EQ(Picker->GetDateTimeEx(), DateTimeStamp(2026, 12, 11, 15, 30, 15));
    EXPECT_GE(Changes, 1);
    EXPECT_EQ(TimeChanges, 1);
    // Keys typed in the time part reach the control's own key handling.
    Word Seen = 0;
    Picker->OnKeyDown = [&](TObject*, Word& Key, TShiftState) { Seen = Key; };
    PressKey(VK_RIGHT);
    EXPECT_EQ(Seen, VK_RIGHT);
}

TEST_F(FlatDateTimePickerTest, AutoTabWalksIntoTheTimePart)
{
    Picker->SetFormat("dd.MM.yyyy");
    Picker->SetDateTimeEx(DateTimeStamp(2026, 3, 11, 10, 20, 30));
    Picker->SetAutoTab(true);
    Picker->SetFocus();
    PumpUntilIdle();
    // Two digits fill the day, the control moves on to the month by itself.
    uitest::TypeText("15");
    PumpUntilIdle();
    EXPECT_EQ(Picker->GetDateTimeEx(), DateTimeStamp(2026, 3, 15, 10, 20, 30));
    EXPECT_FALSE(FocusInTimePart());
    uitest::TypeText("04");
    PumpUntilIdle();
    EXPECT_EQ(Picker->GetDateTimeEx(), DateTimeStamp(2026, 4, 15, 10, 20, 30));
    EXPECT_FALSE(FocusInTimePart());
    // The year is the last field: once typed, the keyboard goes on into the time part.
    uitest::TypeText("2027");
    PumpUntilIdle();
    EXPECT_TRUE(FocusInTimePart());
    uitest::TypeText("0845");
    PumpUntilIdle();
    EXPECT_EQ(Picker->GetDateTimeEx(), DateTimeStamp(2027, 4, 15, 8, 45, 30));
}

TEST_F(FlatDateTimePickerTest, AutoTabAfterADayLastWaitsForItsSecondDigit)
{
    Picker->SetFormat("yyyy-MM-dd");
    Picker->SetDateTimeEx(DateTimeStamp(2026, 3, 11, 10, 20, 30));
    Picker->SetAutoTab(true);
    Picker->SetFocus();
    PumpUntilIdle();
    uitest::TypeText("202705");
    PumpUntilIdle();
    EXPECT_FALSE(FocusInTimePart());
    uitest::TypeText("2");
    PumpUntilIdle();
    EXPECT_FALSE(FocusInTimePart()); // the day may have a second digit still
    uitest::TypeText("8");
    PumpUntilIdle();
    EXPECT_TRUE(FocusInTimePart());
    EXPECT_EQ(Picker->GetDateTimeEx(), DateTimeStamp(2027, 5, 28, 10, 20, 30));
    // Without AutoTab the date's last field keeps the keyboard.
    Picker->SetAutoTab(false);
    Picker->SetFocus();
    PumpUntilIdle();
    PressKey(VK_LEFT);
    PressKey(VK_LEFT);
    uitest::TypeText("2028");
    PumpUntilIdle();
    EXPECT_FALSE(FocusInTimePart());
}

TEST_F(FlatDateTimePickerTest, FlatFrameInTheParentsColour)
{
    TPanel* Panel = New<TPanel>(Form);
    Panel->SetParent(Form);
    Panel->SetBounds(10, 60, 300, 60);
    Panel->SetBevelOuter(bvNone);
    Panel->SetColor(0x3070F0);
    TCustomDateTimePicker* Flat = New<TCustomDateTimePicker>(Form);
    Flat->SetParent(Panel);
    Flat->SetBounds(20, 20, 150, 23);
    PumpUntilIdle();
    EXPECT_FALSE(Flat->Ctl3D());
    EXPECT_EQ(Flat->BorderStyle(), bsNone);
    Flat->Invalidate();
    PumpUntilIdle();
    // The frame's outer line, seen from the parent: the parent's colour, not a visible edge.
    HWND P = Panel->Handle();
    EXPECT_EQ(uitest::PixelAt(P, 20, 30), COLORREF(0x3070F0));
    EXPECT_EQ(uitest::PixelAt(P, 60, 20), COLORREF(0x3070F0));
    EXPECT_EQ(uitest::PixelAt(P, 60, 42), COLORREF(0x3070F0));
    // With a single border the outline shows: in the themed frame colour where the common
    // controls are themed, else in BorderColor.
    Flat->SetBorderColor(0x00A000);
    Flat->SetBorderStyle(bsSingle);
    Flat->Invalidate();
    PumpUntilIdle();
    const COLORREF Outline = IsComCtl6() ? COLORREF(0xB99D7F) : COLORREF(0x00A000);
    EXPECT_EQ(uitest::PixelAt(P, 20, 30), Outline);
    EXPECT_EQ(uitest::PixelAt(P, 60, 20), Outline);
    EXPECT_EQ(uitest::PixelAt(P, 169, 30), Outline);
    // The inner top-left line is hidden in the parent's colour.
    EXPECT_EQ(uitest::PixelAt(P, 21, 30), COLORREF(0x3070F0));
    EXPECT_EQ(uitest::PixelAt(P, 60, 21), COLORREF(0x3070F0));
}

} // namespace
