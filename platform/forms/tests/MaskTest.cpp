// The masked edit typed into as a person would.

#include "FormsTestSupport.h"

#include "platform/forms/Mask.h"
#include "platform/rtl/Strings.h"

using uitest::PressKey;
using uitest::PumpUntilIdle;
using uitest::TypeText;

namespace {

class MaskTest : public FormsTest {
protected:
    TForm* Form = nullptr;
    TMaskEdit* Edit = nullptr;
    TEdit* Other = nullptr;
    void SetUp() override
    {
        FormsTest::SetUp();
        Form = MakeForm("Mask", 300, 120);
        Edit = Add<TMaskEdit>(Form, "Time", 10, 10, 120, 21);
        Other = Add<TEdit>(Form, "Other", 10, 40, 120, 21);
        Form->Show();
        PumpUntilIdle();
    }
};

TEST_F(MaskTest, EmptyMaskIsAPlainEdit)
{
    int Changes = 0;
    Edit->OnChange = [&](TObject*) { ++Changes; };
    Edit->SetFocus();
    TypeText(u"ab獎");
    PressKey(VK_BACK);
    EXPECT_EQ(Edit->Text(), "ab");
    EXPECT_EQ(Edit->EditText(), "ab");
    EXPECT_EQ(Changes, 4);
}

TEST_F(MaskTest, TypingFillsMaskPositionsSkipsLiteralsAndRefusesWrongCharacters)
{
    Edit->SetEditMask("!90:00:00;1;_");
    EXPECT_EQ(Edit->EditText(), "__:__:__");
    Edit->SetFocus();
    Edit->SetSelStart(0);
    Edit->SetSelLength(0);
    TypeText(u"12x3");
    PumpUntilIdle();
    EXPECT_EQ(Edit->EditText(), "12:3_:__"); // the letter was refused, the colon stepped over
    TypeText(u"4:56");
    PumpUntilIdle();
    EXPECT_EQ(Edit->EditText(), "12:34:56");
    EXPECT_EQ(Edit->Text(), "12:34:56");
    // Typing over a position overwrites it; Backspace blanks without moving the rest.
    Edit->SetSelStart(0);
    TypeText(u"0");
    PressKey(VK_DELETE);
    EXPECT_EQ(Edit->EditText(), "0_:34:56");
    PressKey(VK_END);
    PressKey(VK_BACK);
    EXPECT_EQ(Edit->EditText(), "0_:34:5_");

    struct Case {
        const char* Mask;
        const char* Set;
        const char* EditText;
        const char* Text;
    } Cases[] = {
        {"000-0000;1;_", "123-4567", "123-4567", "123-4567"},
        {"000-0000;0;_", "1234567", "123-4567", "1234567"},
        {">LL<ll;0; ", "abCD", "ABcd", "ABcd"},
        {"!9999;0;*", "42", "**42", "42"},
        {"!90:00:00;1; ", "9:30:05", " 9:30:05", " 9:30:05"}, // a short field: blanks first with '!'
        {"90:00;1;_", "9:30", "9_:30", "9 :30"},
    };
    for (const Case& C : Cases) {
        Edit->SetEditMask(C.Mask);
        Edit->SetText(C.Set);
        EXPECT_EQ(Edit->EditText(), C.EditText) << C.Mask;
        EXPECT_EQ(Edit->Text(), C.Text) << C.Mask;
    }
}

TEST_F(MaskTest, EscPutsBackTheTextAndAnIncompleteRequiredMaskKeepsTheFocus)
{
    Edit->SetEditMask("00:00;1;_");
    Edit->SetText("12:00");
    Edit->SetFocus();
    PumpUntilIdle();
    Edit->SetSelStart(0);
    TypeText(u"9");
    EXPECT_EQ(Edit->EditText(), "92:00");
    PressKey(VK_ESCAPE);
    EXPECT_EQ(Edit->EditText(), "12:00");

    std::vector<std::string> Errors;
    Application->OnException = [&](TObject*, const Exception& E) { Errors.push_back(E.Message()); };
    Edit->SetSelStart(0);
    PressKey(VK_DELETE); // leaves a required digit blank
    Other->SetFocus();
    PumpUntilIdle();
    ASSERT_EQ(Errors.size(), 1u);
    EXPECT_EQ(Errors[0], SMaskEditErr);
    EXPECT_TRUE(Edit->Focused());
}

// Text that is not valid UTF-8 is read as the runtime reads it: each bad byte one U+FFFD, the
// characters after it kept.
TEST_F(MaskTest, InvalidUtf8TextKeepsTheCharactersAfterTheBadByte)
{
    Edit->SetEditMask("ccccc;1;_");
    struct Case {
        const char* Text;
        const char* Edited;
    };
    for (const Case& C : {Case{"\xE9"
                               "ab",
                               "\xEF\xBF\xBD"
                               "ab__"},
                          Case{"a\xFF"
                               "bcd",
                               "a\xEF\xBF\xBD"
                               "bcd"}}) {
        Edit->SetText(C.Text);
        EXPECT_EQ(Edit->EditText(), C.Edited) << C.Text;
        EXPECT_TRUE(IsValidUtf8(Edit->Text())) << C.Text;
    }
}

} // namespace
