#include "dropdowns/RarEzaveraravOdororud.h"

#include "platform/forms/Forms.h"
#include "platform/testing/Harness.h"
#include "platform/win/Windows.h"

#include <gtest/gtest.h>

#include <sstream>

using uitest::PressKey;
using uitest::PumpUntilIdle;

namespace {

class CalculatorTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        uitest::Start();
        Application->OnException = nullptr;
        Form = New<TForm>(Application);
        Form->SetBounds(100, 100, 400, 300);
        Form->Show();
        Calc = New<TRarEzaveraravOdororud>(Form);
        Calc->SetParent(Form);
        Calc->SetBounds(20, 20, 200, 21);
        PumpUntilIdle();
        Calc->SetFocus();
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
        ASSERT_TRUE(Calc->DroppedDown());
    }
    // Clicks the keys named by their captions, separated by spaces ("blank" for the blank key).
    void Keys(const std::string& Sequence)
    {
        std::istringstream In(Sequence);
        std::string Caption;
        TCustomButtonPanel* Pad = Calc->KeyPad();
        while (In >> Caption) {
            if (Caption == "blank")
                Caption.clear();
            Integer Index = -1;
            for (Integer I = 0; I < Pad->Buttons()->Count(); ++I)
                if (Pad->Buttons()->GetItem(I)->Caption() == Caption)
                    Index = I;
            ASSERT_GE(Index, 0) << Caption;
            const TRect R = Pad->GetButtonRect(Index);
            uitest::Click(Pad->Handle(), (R.Left + R.Right) / 2, (R.Top + R.Bottom) / 2);
            PumpUntilIdle();
        }
    }

    TForm* Form = nullptr;
    TRarEzaveraravOdororud* Calc = nullptr;
};

TEST_F(CalculatorTest, KeySequences)
{
    Open();
    ASSERT_EQ(Calc->KeyPad()->Parent(), Calc->DropDownForm());
    struct Case {
        const char* Keys;
        const char* Shown;
    } Cases[] = {
        {"2 + 3 =", "5.00"},
        {"1 2 Back", "1.00"},
        {"7 Back", "0.00"},
        {"9 sqrt", "3.00"},
        {"4 +/- sqrt", "Error"},
        {"0 1/x", "Error"},
        {"4 1/x", "0.25"},
        {"5 +/- 3", "-53.00"}, // the digit extends the magnitude
        {"1 . 5", "1.50"},
        {"1 . 5 3", "1.53"},
        {"1 . 5 3 7", "1.53"}, // a decimal beyond the precision is refused
        {"2 0 0 + 1 0 %", "20.00"},
        {"2 0 0 + 1 0 % =", "220.00"},
        {"6 / 0 =", "Error"},
        {"6 / 0 = 4", "4.00"},
        {"5 + +", "10.00"},
        {"2 + 3 * 4 =", "20.00"}, // no precedence: each operator applies the pending one
        {"9 - 4 = =", "5.00"},
        {"8 / 2 - 1 =", "3.00"},
        {"2 + Back", "2.00"}, // Back does nothing with an operator pending
        {"3 + 4 C 5 =", "5.00"},
        {"3 + 4 CE", "0.00"},
        {"9 blank", "0.00"},
        {"7 MS C MR", "7.00"},
        {"7 MS C 3 M+ C MR", "10.00"},
        {"7 MS MC MR", "0.00"},
    };
    for (const Case& C : Cases) {
        SCOPED_TRACE(C.Keys);
        Keys("C");
        Keys("MC");
        Keys(C.Keys);
        EXPECT_EQ(Calc->Text(), C.Shown);
        EXPECT_TRUE(Calc->Modified());
    }
}

TEST_F(CalculatorTest, OverflowShowsError)
{
    Open();
    Keys("9 9 9 9 9 9 9 9 *");
    // Squaring again and again: the display never shows "inf".
    for (int I = 0; I < 14 && Calc->Text() != "Error"; ++I) {
        Keys("*");
        EXPECT_EQ(Calc->Text().find("inf"), AnsiString::npos);
    }
    EXPECT_EQ(Calc->Text(), "Error");
    Keys("4");
    EXPECT_EQ(Calc->Text(), "4.00");
}

TEST_F(CalculatorTest, MaxLengthBlocksEntryButNotOperators)
{
    Open();
    Keys("5");
    Calc->SetMaxLength(4);
    EXPECT_EQ(Calc->Text(), "5.00");
    Keys("3 +/- .");
    EXPECT_EQ(Calc->Text(), "5.00");
    Keys("+ =");
    EXPECT_EQ(Calc->Text(), "10.00");
}

TEST_F(CalculatorTest, ThousandSeparatorsAndMemory)
{
    Calc->SetShowThousandSeparator(true);
    EXPECT_EQ(Calc->EditType(), etMoney);
    Open();
    Keys("1 2 3 4 MS C MR");
    EXPECT_EQ(Calc->Memory(), 1234);
    EXPECT_EQ(Calc->Value(), 1234);
}

TEST_F(CalculatorTest, TypingInThePopupAndTheEdit)
{
    // Closed: operator characters work in the edit.
    uitest::TypeText("12+3");
    PressKey(VK_RETURN);
    PumpUntilIdle();
    EXPECT_EQ(Calc->Text(), "15.00");
    // Open: typed characters drive the calculator; Enter computes, closes and keeps the result.
    Open();
    uitest::TypeText("6*7");
    PressKey(VK_RETURN);
    PumpUntilIdle();
    EXPECT_FALSE(Calc->DroppedDown());
    EXPECT_EQ(Calc->Text(), "42.00");
    // A text that is no number reads as 0 rather than failing.
    Calc->SetTextDirect("abc");
    Calc->DoPlus();
    EXPECT_EQ(Calc->Text(), "0.00");
}

} // namespace

namespace {

// The key pad keeps its own height in the popup: made the popup's centre control before the
// popup had a size, it must not give the popup that size.
TEST_F(CalculatorTest, PopupTakesTheKeyPadsHeight)
{
    Open();
    TCustomButtonPanel* Pad = Calc->KeyPad();
    ASSERT_NE(Pad, nullptr);
    EXPECT_EQ(Calc->DropDownForm()->Width(), 230);
    EXPECT_EQ(Calc->DropDownForm()->Height(), 150 + 2 * Calc->DropDownBorderWidth());
    EXPECT_EQ(Pad->Height(), 150);
    // The keys are laid out in it: the bottom row ends inside the pad, well below the top row.
    const TRect Top = Pad->GetButtonRect(0), Equals = Pad->GetButtonRect(24);
    EXPECT_GE(Top.Height(), 20);
    EXPECT_LE(Equals.Bottom, Pad->Height());
    EXPECT_GT(Equals.Top, Top.Bottom + 3 * 20);
}

} // namespace
