#include "RudUvud/support/daespin.h"

#include "RudUvud/support/VadXPVS.h"

#include "platform/forms/Clipbrd.h"
#include "platform/forms/Forms.h"
#include "platform/rtl/DateTime.h"
#include "platform/rtl/FormatSettings.h"
#include "platform/testing/Harness.h"

#include <gtest/gtest.h>

namespace {

class SpinEditTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        Saved = FormatSettings;
        DecimalSeparator = '.';
        ThousandSeparator = ',';
        DateSeparator = '/';
        TimeSeparator = ':';
        ShortDateFormat = "dd/MM/yyyy";
        LongTimeFormat = "h:nn:ss";
        uitest::Start();
        Form = New<TForm>(Application);
        Form->SetBounds(40, 40, 240, 120);
        Edit = New<TVadSpinEdit>(Form);
        Edit->SetParent(Form);
        Edit->SetBounds(10, 10, 120, 24);
        Other = New<TEdit>(Form);
        Other->SetParent(Form);
        Other->SetBounds(10, 50, 120, 24);
        Form->Show();
        Edit->SetFocus();
        uitest::PumpUntilIdle();
        uitest::ClearRecords();
    }
    void TearDown() override
    {
        SetBuiltInThemeActive(false);
        Form->Free();
        FormatSettings = Saved;
    }
    // Sets the text and puts the caret at Caret.
    void Put(const char* Text, Integer Caret = 0)
    {
        Edit->SetText(Text);
        Edit->SetSelStart(Caret);
        Edit->SetSelLength(0);
    }

    TFormatSettings Saved;
    TForm* Form = nullptr;
    TVadSpinEdit* Edit = nullptr;
    TEdit* Other = nullptr;
};

TEST_F(SpinEditTest, CharacterFilterByKind)
{
    struct Case {
        TVadSpinType Kind;
        const char* Text;
        Integer SelStart, SelLength;
        WideChar Key;
        bool EditorEnabled;
        Integer Precision;
        bool Accepted;
    } Cases[] = {
        {sptNormal, "12", 0, 0, u'-', true, 0, true},
        {sptNormal, "12", 1, 0, u'-', true, 0, false},  // not first
        {sptNormal, "-12", 0, 0, u'-', true, 0, false}, // not twice
        {sptNormal, "-12", 0, 1, u'-', true, 0, true},  // replacing the one there
        {sptNormal, "12", 2, 0, u'a', true, 0, false},
        {sptNormal, "12", 2, 0, u'.', true, 0, false},
        {sptNormal, "12", 2, 0, 3, true, 0, false},  // Ctrl+C
        {sptNormal, "12", 2, 0, 22, true, 0, false}, // Ctrl+V
        {sptNormal, "12", 2, 0, 27, true, 0, false}, // Esc
        {sptNormal, "12", 2, 0, 8, true, 0, true},
        {sptNormal, "12", 2, 0, 8, false, 0, false},
        {sptNormal, "12", 2, 0, u'5', false, 0, false},
        {sptFloat, "1", 1, 0, 13, true, 0, false},
        {sptFloat, "1", 1, 0, 10, true, 0, false}, // Ctrl+Enter would add a line break
        {sptFloat, "1", 1, 0, 3, true, 0, true},
        {sptFloat, "1", 1, 0, 27, true, 0, true},
        {sptFloat, "1.25", 4, 0, u'7', true, 2, false},
        {sptFloat, "1.25", 0, 0, u'7', true, 2, true},
        {sptFloat, "1.2", 3, 0, u'7', true, 2, true},
        {sptFloat, "1.25", 2, 0, u'.', true, 0, false},
        {sptFloat, "1.25", 1, 1, u'.', true, 0, true},
        {sptFloat, "1", 1, 0, u',', true, 0, false},
        {sptFloat, "1", 1, 0, u':', true, 0, false},
        {sptDate, "1/2", 3, 0, u'/', true, 0, true},
        {sptDate, "1/2", 3, 0, u':', true, 0, false},
        {sptDate, "1/2", 3, 0, 13, true, 0, false},
        {sptTime, "1:2", 3, 0, u':', true, 0, true},
        {sptTime, "1:2:3", 5, 0, u':', true, 0, false},
        {sptTime, "1:2", 3, 0, u'/', true, 0, false},
    };
    for (const Case& C : Cases) {
        Edit->SetSpinType(C.Kind);
        Edit->SetEditorEnabled(C.EditorEnabled);
        Edit->SetPrecision(C.Precision);
        Edit->SetText(C.Text);
        Edit->SetSelStart(C.SelStart);
        Edit->SetSelLength(C.SelLength);
        WideChar Key = C.Key;
        EXPECT_EQ(Edit->IsValidChar(Key), C.Accepted)
            << C.Kind << " \"" << C.Text << "\" key " << int(C.Key) << " at " << C.SelStart;
    }
}

TEST_F(SpinEditTest, DateSeparatorMinusIsTypedInDatesAndEnterAddsNoLine)
{
    DateSeparator = '-';
    ShortDateFormat = "yyyy-MM-dd";
    Edit->SetSpinType(sptDate);
    Put("", 0);
    uitest::TypeText("2024-05-06");
    EXPECT_EQ(Edit->Text(), "2024-05-06");
    uitest::PressKey(VK_RETURN);
    uitest::PressKey(VK_RETURN, uitest::ksCtrl);
    EXPECT_EQ(Edit->Text(), "2024-05-06");
    EXPECT_EQ(uitest::Beeps().size(), 2u);

    Edit->SetSpinType(sptNormal);
    Put("", 0);
    uitest::TypeText("1a2-3");
    EXPECT_EQ(Edit->Text(), "123");
}

TEST_F(SpinEditTest, NumbersStepAndClamp)
{
    Put("95");
    Edit->SetIncrement(7);
    uitest::PressKey(VK_UP);
    EXPECT_EQ(Edit->Text(), "100") << "clamped to MaxValue";
    uitest::PressKey(VK_PRIOR);
    EXPECT_EQ(Edit->Value(), 100);
    uitest::PressKey(VK_NEXT);
    EXPECT_EQ(Edit->Value(), 93) << "Page keys step by Increment too";
    Edit->SetValue(-5);
    EXPECT_EQ(Edit->Text(), "0");

    Edit->SetMinValue(7);
    Edit->SetMaxValue(7);
    Edit->SetValue(500);
    EXPECT_EQ(Edit->Text(), "500") << "equal limits do not clamp";
    Edit->SetText("abc");
    EXPECT_EQ(Edit->Value(), 7);

    Edit->SetSpinType(sptFloat);
    Edit->SetMinFloatValue(5.5);
    Edit->SetMaxFloatValue(10);
    Edit->SetText("x");
    EXPECT_EQ(Edit->FloatValue(), 5.5) << "an unparsable text reads as the float minimum";
    Edit->SetPrecision(2);
    Put("6");
    uitest::PressKey(VK_UP);
    EXPECT_EQ(Edit->Text(), "6.10");
    uitest::PressKey(VK_PRIOR);
    EXPECT_EQ(Edit->Text(), "7.10");
    for (int I = 0; I < 5; ++I)
        uitest::PressKey(VK_PRIOR);
    EXPECT_EQ(Edit->Text(), "10.00");
    uitest::PressKey(VK_DOWN);
    EXPECT_EQ(Edit->Text(), "9.90");

    Edit->SetReadOnly(true);
    uitest::ClearRecords();
    uitest::PressKey(VK_UP);
    EXPECT_EQ(Edit->Text(), "9.90");
    EXPECT_EQ(uitest::Beeps().size(), 1u);
}

TEST_F(SpinEditTest, DatesStepTheFieldUnderTheCaretInEveryFieldOrder)
{
    Edit->SetSpinType(sptDate);
    struct Case {
        const char* Format;
        const char* Text;
        Integer Caret;
        int Sign;
        const char* After;
    } Cases[] = {
        {"dd/MM/yyyy", "15/03/2024", 0, 1, "16/03/2024"},  {"dd/MM/yyyy", "15/03/2024", 4, 1, "15/04/2024"},
        {"dd/MM/yyyy", "15/03/2024", 8, -1, "15/03/2023"}, {"M/d/yyyy", "3/15/2024", 0, 1, "4/15/2024"},
        {"M/d/yyyy", "3/15/2024", 3, 1, "3/16/2024"},      {"yyyy/M/d", "2024/3/15", 1, 1, "2025/3/15"},
        {"yyyy/M/d", "2024/3/15", 5, 1, "2024/4/15"},      {"yyyy/M/d", "2024/3/15", 8, -1, "2024/3/14"},
        {"dd/MM/yyyy", "29/02/2024", 8, 1, "28/02/2025"}, // no 29 February in 2025
        {"dd/MM/yyyy", "31/01/2024", 4, 1, "29/02/2024"},
    };
    for (const Case& C : Cases) {
        ShortDateFormat = C.Format;
        Put(C.Text, C.Caret);
        uitest::PressKey(C.Sign > 0 ? VK_UP : VK_DOWN);
        EXPECT_EQ(Edit->Text(), C.After) << C.Format << " " << C.Text << " caret " << C.Caret;
        EXPECT_EQ(Edit->SelStart(), C.Caret) << "the caret stays in its field";
    }
    EXPECT_TRUE(Edit->MonthFirst() == false);

    Edit->SetText("0");
    const TDateTime Before = Now();
    EXPECT_GE(Edit->DateValue(), Before - 1.0 / 86400);
    Edit->SetMinDateValue(EncodeDate(2000, 1, 1));
    Edit->SetMaxDateValue(EncodeDate(2001, 1, 1));
    Edit->SetText("nonsense");
    EXPECT_EQ(Edit->DateValue(), EncodeDate(2000, 1, 1));
}

TEST_F(SpinEditTest, TimesWrapAroundMidnight)
{
    Edit->SetSpinType(sptTime);
    struct Case {
        const char* Text;
        Integer Caret;
        int Sign;
        Integer Hours;
        const char* After;
    } Cases[] = {
        {"23:30:00", 0, 1, 1, "0:30:00"},  {"0:30:00", 0, -1, 1, "23:30:00"},
        {"1:00:00", 0, -1, 1, "0:00:00"},  {"1:00:00", 3, 1, 1, "1:01:00"},
        {"1:00:59", 6, 1, 1, "1:01:00"},   {"1:00:00", 0, 1, 25, "2:00:00"},
        {"1:00:00", 0, -1, 48, "1:00:00"},
    };
    for (const Case& C : Cases) {
        Edit->SetIncrementHours(C.Hours);
        Put(C.Text, C.Caret);
        uitest::PressKey(C.Sign > 0 ? VK_UP : VK_DOWN);
        EXPECT_EQ(Edit->Text(), C.After) << C.Text << " caret " << C.Caret << " step " << C.Hours;
    }
    Edit->SetIncrementMinutes(90);
    Put("1:00:00", 3);
    uitest::PressKey(VK_UP);
    EXPECT_EQ(Edit->Text(), "2:30:00");
    Edit->SetShowSeconds(false);
    Edit->SetTimeValue(EncodeTime(7, 5, 0, 0));
    EXPECT_EQ(Edit->Text(), "7:05");
}

TEST_F(SpinEditTest, HeldArrowRepeatsAfter400ThenEvery100Milliseconds)
{
    Put("0");
    TVadSpinButton* Pair = Edit->Spinner();
    TVadTimerSpeedButton* Up = Pair->UpArrow();
    const Integer X = Up->Left() + Up->Width() / 2, Y = Up->Top() + Up->Height() / 2;
    uitest::MouseDown(Pair->Handle(), X, Y);
    EXPECT_EQ(Edit->Value(), 0) << "the click comes on release";
    uitest::AdvanceTime(399);
    EXPECT_EQ(Edit->Value(), 0);
    uitest::AdvanceTime(1);
    EXPECT_EQ(Edit->Value(), 1);
    uitest::AdvanceTime(99);
    EXPECT_EQ(Edit->Value(), 1);
    uitest::AdvanceTime(1);
    EXPECT_EQ(Edit->Value(), 2);
    uitest::AdvanceTime(300);
    EXPECT_EQ(Edit->Value(), 5);
    uitest::MouseUp(Pair->Handle(), X, Y);
    EXPECT_EQ(Edit->Value(), 6) << "and the release clicks once more";
    uitest::AdvanceTime(1000);
    EXPECT_EQ(Edit->Value(), 6) << "no repeat after the release";

    // Dragged off the arrow: the timer runs on but clicks nothing; the release outside no click.
    TVadTimerSpeedButton* Down = Pair->DownArrow();
    const Integer DY = Down->Top() + Down->Height() / 2;
    uitest::MouseDown(Pair->Handle(), X, DY);
    uitest::MoveMouse(Pair->Handle(), X + 60, DY);
    uitest::AdvanceTime(1000);
    uitest::MouseUp(Pair->Handle(), X + 60, DY);
    EXPECT_EQ(Edit->Value(), 6);
    EXPECT_EQ(GetFocus(), Edit->Handle()) << "pressing an arrow keeps the focus in the edit";
}

TEST_F(SpinEditTest, LeavingClampsOnlyWhatIsOutOfRangeAndPasteIsFiltered)
{
    Put("007");
    Other->SetFocus();
    uitest::PumpUntilIdle();
    EXPECT_EQ(Edit->Text(), "007") << "an in-range text keeps its form";
    Edit->SetText("500");
    Edit->SetFocus();
    Other->SetFocus();
    uitest::PumpUntilIdle();
    EXPECT_EQ(Edit->Text(), "100");

    Edit->SetFocus();
    uitest::PumpUntilIdle();
    Put("12", 2);
    Clipboard()->SetAsText("ab");
    uitest::PressKey('V', uitest::ksCtrl);
    SendMessage(Edit->Handle(), WM_PASTE, 0, 0);
    EXPECT_EQ(Edit->Text(), "12");
    Clipboard()->SetAsText("34");
    SendMessage(Edit->Handle(), WM_PASTE, 0, 0);
    EXPECT_EQ(Edit->Text(), "1234");
    Edit->SetEditorEnabled(false);
    Clipboard()->SetAsText("5");
    SendMessage(Edit->Handle(), WM_PASTE, 0, 0);
    EXPECT_EQ(Edit->Text(), "1234");

    Edit->SetReturnIsTab(true);
    uitest::PressKey(VK_RETURN);
    EXPECT_EQ(GetFocus(), Other->Handle()) << "Enter moves on like Tab";
}

TEST_F(SpinEditTest, ArrowLooksIdleHotPressed)
{
    VadXPVS().Initialize();
    SetBuiltInThemeActive(true);
    Edit->SetIsWinXP(true);
    TVadSpinButton* Pair = Edit->Spinner();
    TVadTimerSpeedButton* Up = Pair->UpArrow();
    const Integer X = Up->Left() + 2, Y = Up->Top() + 2;
    uitest::MoveMouse(Form->Handle(), 200, 100);
    Pair->Invalidate();
    uitest::PumpUntilIdle();
    const COLORREF Idle = uitest::PixelAt(Pair->Handle(), X, Y);
    uitest::MoveMouse(Pair->Handle(), X, Y);
    EXPECT_TRUE(Up->Hot());
    const COLORREF Hot = uitest::PixelAt(Pair->Handle(), X, Y);
    uitest::MouseDown(Pair->Handle(), X, Y);
    const COLORREF Pressed = uitest::PixelAt(Pair->Handle(), X, Y);
    uitest::MouseUp(Pair->Handle(), X, Y);
    EXPECT_NE(Idle, Hot);
    EXPECT_NE(Hot, Pressed);
    EXPECT_NE(Idle, Pressed);
    SetBuiltInThemeActive(false);

    // Classic: the pressed arrow is drawn sunken, so its top-left pixel darkens.
    Edit->SetIsWinXP(false);
    uitest::MoveMouse(Form->Handle(), 200, 100);
    Pair->Invalidate();
    uitest::PumpUntilIdle();
    const COLORREF ClassicIdle = uitest::PixelAt(Pair->Handle(), Up->Left() + 1, Up->Top() + 1);
    uitest::MouseDown(Pair->Handle(), X, Y);
    const COLORREF ClassicPressed = uitest::PixelAt(Pair->Handle(), Up->Left() + 1, Up->Top() + 1);
    uitest::MouseUp(Pair->Handle(), X, Y);
    EXPECT_NE(ClassicIdle, ClassicPressed);
}

} // namespace
