#include "dropdowns/TimePicker.h"

#include "platform/forms/Forms.h"
#include "platform/rtl/Conversions.h"
#include "platform/rtl/DateTime.h"
#include "platform/testing/Harness.h"
#include "platform/win/Windows.h"

#include <gtest/gtest.h>

#include <cmath>

using uitest::PressKey;
using uitest::PumpUntilIdle;

namespace {

TDateTime TimeOfDay(Word H, Word M, Word S)
{
    return EncodeTime(H, M, S, 0);
}

// A time of day to the second, for comparing times that went through other controls.
AnsiString ClockText(TDateTime T)
{
    Word H, M, S, MS;
    DecodeTime(T + 0.5 / 86400, H, M, S, MS);
    return IntToStr(H) + ":" + IntToStr(M) + ":" + IntToStr(S);
}

class TimePickerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        uitest::Start();
        Application->OnException = nullptr;
        Form = New<TForm>(Application);
        Form->SetBounds(100, 100, 400, 300);
        Form->Show();
        Picker = New<TRurEradOvuvurOdivEdoz>(Form);
        Picker->SetParent(Form);
        Picker->SetBounds(20, 20, 200, 21);
        Picker->OnTimeChange = [this](TObject*) { ++TimeChanges; };
        PumpUntilIdle();
        Picker->SetFocus();
        PumpUntilIdle();
    }
    void TearDown() override
    {
        while (Screen->FormCount() > 0)
            Screen->Forms(Screen->FormCount() - 1)->Free();
    }
    void Open()
    {
        uitest::AdvanceTime(300);
        PressKey(VK_F4);
        PumpUntilIdle();
        ASSERT_TRUE(Picker->DroppedDown());
    }
    // Lets the hands finish moving.
    static void Settle() { uitest::AdvanceTime(200); }
    // A point of the watch at Distance from its centre, at the hour's angle.
    TPoint OnWatch(Double Hour, Double Distance)
    {
        TVadWatch* W = Picker->Watch();
        const TPoint C = W->GetCenterPoint();
        const Double A = Hour * 30 * 3.14159265358979 / 180;
        return TPoint{C.X + Integer(std::lround(Distance * std::sin(A))),
                      C.Y - Integer(std::lround(Distance * std::cos(A)))};
    }

    TForm* Form = nullptr;
    TRurEradOvuvurOdivEdoz* Picker = nullptr;
    int TimeChanges = 0;
};

TEST_F(TimePickerTest, TextFollowsTimeAndSecondsSetting)
{
    EXPECT_EQ(Picker->Text(), "00:00:00");
    EXPECT_EQ(Picker->Time(), 0);
    Picker->SetTime(TimeOfDay(12, 34, 56));
    EXPECT_EQ(Picker->Text(), "12:34:56");
    Picker->SetShowSeconds(false);
    EXPECT_EQ(Picker->Text(), "12:34");
    EXPECT_EQ(Picker->Time(), TimeOfDay(12, 34, 56));
    Picker->SetShowSeconds(true);
    EXPECT_EQ(Picker->Text(), "12:34:56");
    // Out of range parts are ignored; a part set fires OnTimeChange.
    Picker->SetHour(24);
    Picker->SetMinute(60);
    EXPECT_EQ(TimeChanges, 0);
    Picker->SetSecond(7);
    EXPECT_EQ(Picker->Text(), "12:34:07");
    EXPECT_EQ(TimeChanges, 1);
}

TEST_F(TimePickerTest, UpAndDownStepThePartUnderTheCaret)
{
    Picker->SetEditorEnabled(true);
    struct Case {
        TDateTime Start;
        Integer Caret;
        UINT Key;
        const char* Shown;
    } Cases[] = {
        {TimeOfDay(23, 59, 10), 4, VK_DOWN, "23:00:10"}, // no carry into the hour
        {TimeOfDay(0, 15, 0), 1, VK_UP, "23:15:00"},     {TimeOfDay(12, 34, 56), 0, VK_DOWN, "13:34:56"},
        {TimeOfDay(12, 34, 56), 2, VK_DOWN, "13:34:56"}, {TimeOfDay(12, 34, 56), 3, VK_UP, "12:33:56"},
        {TimeOfDay(12, 34, 56), 5, VK_DOWN, "12:35:56"}, {TimeOfDay(12, 34, 56), 6, VK_DOWN, "12:34:57"},
        {TimeOfDay(12, 34, 59), 8, VK_DOWN, "12:34:00"}, {TimeOfDay(12, 34, 0), 7, VK_UP, "12:34:59"},
    };
    for (const Case& C : Cases) {
        SCOPED_TRACE(C.Shown);
        Picker->SetTime(C.Start);
        Picker->SetSelStart(C.Caret);
        Picker->SetSelLength(0);
        TimeChanges = 0;
        PressKey(C.Key);
        EXPECT_EQ(Picker->Text(), C.Shown);
        EXPECT_EQ(Picker->SelStart(), C.Caret);
        EXPECT_EQ(TimeChanges, 1);
    }
    // Ctrl+Up steps nothing; Alt+Down opens the popup instead.
    Picker->SetTime(TimeOfDay(12, 34, 56));
    Picker->SetSelStart(0);
    PressKey(VK_UP, uitest::ksCtrl);
    EXPECT_EQ(Picker->Text(), "12:34:56");
    uitest::AdvanceTime(300);
    PressKey(VK_DOWN, uitest::ksAlt);
    EXPECT_TRUE(Picker->DroppedDown());
    EXPECT_EQ(Picker->Text(), "12:34:56");
    PressKey(VK_UP, uitest::ksAlt);
    EXPECT_FALSE(Picker->DroppedDown());
    EXPECT_EQ(Picker->Text(), "12:34:56");
}

TEST_F(TimePickerTest, TypedTimesBecomeTheValue)
{
    Picker->SetEditorEnabled(true);
    // Without seconds: no OnTimeChange for typing.
    Picker->SetShowSeconds(false);
    Picker->SetSelStart(0);
    uitest::TypeText("0745");
    EXPECT_EQ(Picker->Text(), "07:45");
    EXPECT_EQ(Picker->Time(), TimeOfDay(7, 45, 0));
    EXPECT_EQ(TimeChanges, 0);
    // A minute the day does not have is no time: the value stays, nothing is raised.
    Picker->SetSelStart(3);
    uitest::TypeText("9");
    EXPECT_EQ(Picker->Text(), "07:95");
    EXPECT_EQ(Picker->Time(), TimeOfDay(7, 45, 0));
    // With seconds the typed text is read too.
    Picker->SetShowSeconds(true);
    Picker->SetSelStart(0);
    uitest::TypeText("183005");
    EXPECT_EQ(Picker->Text(), "18:30:05");
    EXPECT_EQ(Picker->Time(), TimeOfDay(18, 30, 5));
}

TEST_F(TimePickerTest, WatchSetByMouseAndKeys)
{
    Picker->SetTime(TimeOfDay(10, 20, 0));
    Open();
    TVadWatch* W = Picker->Watch();
    ASSERT_NE(W, nullptr);
    EXPECT_EQ(W->Time(), TimeOfDay(10, 20, 0));
    EXPECT_EQ(Picker->DropDownForm()->Height(), 172);
    // Dragging the hour hand to 3 o'clock: the hand moves there, the edit follows it.
    const TPoint Center = W->GetCenterPoint();
    const TPoint Three = OnWatch(3, 40);
    uitest::Drag(W->Handle(), Center.X, Center.Y - 20, Three.X, Three.Y);
    Settle();
    EXPECT_EQ(Picker->Text(), "03:20:00");
    // A press in the margin outside the face sets the minute.
    const TPoint Quarter = OnWatch(9, W->GetRadius() + 5);
    uitest::Click(W->Handle(), Quarter.X, Quarter.Y);
    Settle();
    EXPECT_EQ(Picker->Text(), "03:45:00");
    // Keys reach the watch while the popup shows: Page Up steps the hour, P the afternoon,
    // Right the minute; Up steps nothing in the edit.
    PressKey(VK_PRIOR);
    Settle();
    PressKey('P');
    Settle();
    PressKey(VK_RIGHT);
    Settle();
    PressKey(VK_UP);
    Settle();
    EXPECT_TRUE(Picker->DroppedDown());
    EXPECT_EQ(Picker->Text(), "16:46:00");
    // Enter closes and keeps the watch's time.
    PressKey(VK_RETURN);
    EXPECT_FALSE(Picker->DroppedDown());
    EXPECT_EQ(Picker->Time(), TimeOfDay(16, 46, 0));
    EXPECT_EQ(Picker->Text(), "16:46:00");
}

TEST_F(TimePickerTest, CancelGivesBackTheTimeAndOutsidePressKeepsIt)
{
    Picker->SetTime(TimeOfDay(8, 15, 30));
    Open();
    PressKey(VK_PRIOR);
    Settle();
    EXPECT_EQ(Picker->Text(), "09:15:30");
    PressKey(VK_ESCAPE);
    EXPECT_FALSE(Picker->DroppedDown());
    EXPECT_EQ(Picker->Time(), TimeOfDay(8, 15, 30));
    EXPECT_EQ(Picker->Text(), "08:15:30");
    EXPECT_EQ(Picker->Watch()->Time(), TimeOfDay(8, 15, 30));

    // A press outside the popup accepts.
    Open();
    PressKey(VK_NEXT);
    Settle();
    uitest::ClickAt(POINT{900, 700});
    PumpUntilIdle();
    EXPECT_FALSE(Picker->DroppedDown());
    EXPECT_EQ(Picker->Time(), TimeOfDay(7, 15, 30));
    EXPECT_EQ(Picker->Text(), "07:15:30");
}

TEST_F(TimePickerTest, NoWatchTimerRunsAfterThePopupCloses)
{
    Picker->SetTime(TimeOfDay(10, 0, 0));
    Open();
    TVadWatch* W = Picker->Watch();
    // Enter while the hand is still on its way to 2 o'clock: the hand's target is the time.
    const TPoint Two = OnWatch(2, 40);
    uitest::Click(W->Handle(), Two.X, Two.Y);
    EXPECT_TRUE(W->TimersRunning());
    PressKey(VK_RETURN);
    EXPECT_FALSE(W->TimersRunning());
    EXPECT_EQ(Picker->Time(), TimeOfDay(2, 0, 0));
    uitest::AdvanceTime(500);
    EXPECT_EQ(Picker->Time(), TimeOfDay(2, 0, 0));
    EXPECT_EQ(Picker->Text(), "02:00:00");

    // The live clock runs while the popup shows only.
    Picker->WatchSettings()->SetAuto(true);
    Open();
    EXPECT_TRUE(W->TimersRunning());
    PressKey(VK_ESCAPE);
    EXPECT_FALSE(W->TimersRunning());
    EXPECT_EQ(Picker->Time(), TimeOfDay(2, 0, 0));
    Open();
    EXPECT_TRUE(W->TimersRunning());
    PressKey(VK_ESCAPE);
    EXPECT_FALSE(W->TimersRunning());
}

TEST_F(TimePickerTest, TimePickerControlBelowTheWatch)
{
    Picker->SetShowTimePicker(true);
    Picker->SetTime(TimeOfDay(9, 30, 0));
    Open();
    TDateTimePicker* T = Picker->TimePicker();
    ASSERT_NE(T, nullptr);
    EXPECT_EQ(T->Format(), "HH:mm:ss");
    EXPECT_EQ(Picker->DropDownForm()->Height(), 172 + T->Height());
    // Watch and control fill the popup inside its frame (no scroll bars squeeze them).
    EXPECT_EQ(Picker->WatchPanel()->Width(), 168);
    EXPECT_EQ(Picker->WatchPanel()->Height(), 170 + T->Height());
    EXPECT_EQ(T->Top() + T->Height(), Picker->WatchPanel()->ClientHeight() - 1);
    EXPECT_EQ(ClockText(T->Time()), "9:30:0");
    // The control's change moves the watch; the edit follows when the popup closes.
    T->SetTime(TimeOfDay(11, 5, 0));
    EXPECT_EQ(ClockText(Picker->Watch()->Time()), "11:5:0");
    PressKey(VK_RETURN);
    EXPECT_EQ(Picker->Text(), "11:05:00");
    // Without it, it is hidden.
    Picker->SetShowTimePicker(false);
    Picker->SetShowSeconds(false);
    Open();
    EXPECT_FALSE(T->Visible());
    EXPECT_EQ(Picker->DropDownForm()->Height(), 172);
}

TEST_F(TimePickerTest, StyledWatchFace)
{
    Picker->SetComponentStyle(tsOffice2003Blue);
    EXPECT_EQ(Picker->WatchAppearance()->BackgroundColor(), TColor(0xFFD2AF));
    Open();
    TVadWatch* W = Picker->Watch();
    PumpUntilIdle();
    // A point of the face away from marks, numbers, hands and the AM/PM box.
    const TPoint P = OnWatch(7.5, 30);
    EXPECT_EQ(uitest::PixelAt(W->Handle(), P.X, P.Y), COLORREF(0xFFD2AF));
}

} // namespace
