#include "dropdowns/DadOrorUdur.h"

#include "platform/forms/Clipbrd.h"
#include "platform/forms/Forms.h"
#include "platform/rtl/FormatSettings.h"
#include "platform/testing/Harness.h"
#include "platform/win/Windows.h"

#include <gtest/gtest.h>

using uitest::PressKey;
using uitest::PumpUntilIdle;
using uitest::TypeText;

namespace {

class TypedEditTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        uitest::Start();
        Application->OnException = nullptr;
        DecimalSeparator = '.';
        ThousandSeparator = ',';
        Form = New<TForm>(Application);
        Form->SetBounds(100, 100, 400, 300);
        Edit = New<TDadOrorUdur>(Form);
        Edit->SetParent(Form);
        Edit->SetBounds(20, 20, 200, 21);
        Edit->OnChange = [this](TObject*) { ++Changes; };
        Form->Show();
        Edit->SetFocus();
        PumpUntilIdle();
    }
    void TearDown() override
    {
        while (Screen->FormCount() > 0)
            Screen->Forms(Screen->FormCount() - 1)->Free();
    }
    // An empty value of the type, the caret in it.
    void Start(TDropDownEditType Type, Integer Precision = 0)
    {
        Edit->SetEditType(Type);
        Edit->SetPrecision(Precision);
        Edit->SetTextDirect("");
        PumpUntilIdle();
        Changes = 0;
    }
    void Paste(const AnsiString& S)
    {
        Clipboard()->SetAsText(S);
        SendMessage(Edit->Handle(), WM_PASTE, 0, 0);
        PumpUntilIdle();
    }

    TForm* Form = nullptr;
    TDadOrorUdur* Edit = nullptr;
    int Changes = 0;
};

TEST(TypedEditRoutines, TextTypeOfAndHex)
{
    DecimalSeparator = '.';
    ThousandSeparator = ',';
    using namespace DadOrorUdur;
    const std::pair<const char*, TAutoType> Cases[] = {
        {"12", atNumeric},   {"1,234.5", atFloat},    {"1F", atHex},        {"", atString},
        {"1.2.3", atString}, {"1-2-3", atString},     {"1,2,34", atString}, {",5", atString},
        {"-5", atNumeric},   {"12,345,678", atFloat},
    };
    for (const auto& [Text, Type] : Cases)
        EXPECT_EQ(TextTypeOf(Text), Type) << Text;
    EXPECT_EQ(HexStrToInt("1F"), 31);
    EXPECT_EQ(HexStrToInt("FFFFFFFF"), -1);
    EXPECT_EQ(HexStrToInt("100000000"), 0); // wraps, no overflow
    EXPECT_TRUE(IsRangeSeparator(';'));
    EXPECT_FALSE(IsRangeSeparator('.'));
}

TEST_F(TypedEditTest, MoneyGroupsThousandsAndKeepsItsDecimals)
{
    Start(etMoney, 2);
    TypeText("1234");
    EXPECT_EQ(Edit->Text(), "1,234");
    TypeText(".56");
    EXPECT_EQ(Edit->Text(), "1,234.56");
    TypeText("7"); // the decimals are full
    EXPECT_EQ(Edit->Text(), "1,234.56");
    PressKey(VK_LEFT);
    PressKey(VK_LEFT);
    TypeText("9"); // overwrites the 5
    EXPECT_EQ(Edit->Text(), "1,234.96");
    EXPECT_TRUE(Edit->Modified());
    EXPECT_DOUBLE_EQ(Edit->GetFloat(), 1234.96);
    TypeText("-,");
    EXPECT_EQ(Edit->Text(), "1,234.96");
}

TEST_F(TypedEditTest, FloatSeparatorsAndMinus)
{
    Start(etFloat, 2);
    TypeText(".");
    EXPECT_EQ(Edit->Text(), "0.");
    EXPECT_EQ(Edit->SelStart(), 2);
    TypeText("5");
    PressKey(VK_HOME);
    TypeText("."); // a second separator: the caret jumps behind the first
    EXPECT_EQ(Edit->Text(), "0.5");
    EXPECT_EQ(Edit->SelStart(), 2);
    for (TDropDownEditType Type : {etNumeric, etFloat, etMoney}) {
        SCOPED_TRACE(Type);
        Start(Type, Type == etNumeric ? 0 : 2);
        TypeText("-7");
        EXPECT_EQ(Edit->Text(), "7");
        Paste("-5");
        EXPECT_EQ(Edit->Text(), "7");
    }
}

TEST_F(TypedEditTest, SetTextFormatsByType)
{
    Edit->SetEditType(etNumeric);
    Edit->SetText("");
    EXPECT_EQ(Edit->Text(), "0");
    Edit->SetEditType(etFloat);
    Edit->SetPrecision(2);
    Edit->SetText("3.14159");
    EXPECT_EQ(Edit->Text(), "3.14");
    Edit->SetEditType(etMoney);
    Edit->SetText("1234567.5");
    EXPECT_EQ(Edit->Text(), "1,234,567.50");
    EXPECT_EQ(Edit->GetInt(), 1234567);
    Edit->SetEditType(etHex);
    Edit->SetText("ff");
    EXPECT_EQ(Edit->Text(), "FF");
    EXPECT_EQ(Edit->GetInt(), 255);
    // An integer edit writes plain integers, which read back whole.
    Edit->SetEditType(etNumeric);
    Edit->SetFloat(1234);
    EXPECT_EQ(Edit->Text(), "1234");
    EXPECT_EQ(Edit->GetInt(), 1234);
    EXPECT_TRUE(Edit->Modified());
    // Other locales' separators.
    DecimalSeparator = ',';
    ThousandSeparator = '.';
    Edit->SetEditType(etMoney);
    Edit->SetText("1234,5");
    EXPECT_EQ(Edit->Text(), "1.234,50");
    EXPECT_DOUBLE_EQ(Edit->GetFloat(), 1234.5);
}

TEST_F(TypedEditTest, PrefixAndSuffixStayOutOfReach)
{
    Edit->SetPrefix("$");
    Edit->SetSuffix(" kg");
    Edit->SetText("12");
    EXPECT_EQ(Edit->Text(), "12");
    EXPECT_EQ(GetWindowTextLength(Edit->Handle()), 6);
    Edit->SelectAll();
    EXPECT_EQ(Edit->SelStart(), 1);
    EXPECT_EQ(Edit->SelLength(), 2);
    PressKey(VK_HOME);
    EXPECT_EQ(Edit->SelStart(), 1);
    PressKey(VK_LEFT);
    EXPECT_EQ(Edit->SelStart(), 1);
    PressKey(VK_BACK);
    EXPECT_EQ(Edit->Text(), "12");
    PressKey(VK_END);
    EXPECT_EQ(Edit->SelStart(), 3); // the value's end, before the suffix
    PressKey(VK_RIGHT);
    EXPECT_EQ(Edit->SelStart(), 3);
    TypeText("5");
    EXPECT_EQ(Edit->Text(), "125");
}

TEST_F(TypedEditTest, CharactersAndPastesByType)
{
    struct Case {
        TDropDownEditType Type;
        const char* Typed;
        const char* Shown;
        const char* Pasted; // pasted into an empty value
        const char* AfterPaste;
    };
    const Case Cases[] = {
        {etString, "Ab-1", "Ab-1", "x y", "x y"}, {etNumeric, "1a2.3", "123", "ab12", ""},
        {etUppercase, "abc", "ABC", "de", "DE"},  {etLowerCase, "ABC", "abc", "DE", "de"},
        {etHex, "1fxg-", "1f-", "1F", ""},        {etAlphaNumeric, "a1-b_", "a1b", "ab12", "ab12"},
        {etRange, ";1-5;;7", "1-5;7", "1-3", ""},
    };
    for (const Case& C : Cases) {
        SCOPED_TRACE(C.Type);
        Start(C.Type);
        TypeText(C.Typed);
        EXPECT_EQ(Edit->Text(), C.Shown);
        Start(C.Type);
        Paste(C.Pasted);
        EXPECT_EQ(Edit->Text(), C.AfterPaste);
    }
    // Valid characters only.
    Start(etValidChars);
    Edit->SetValidChars("xy");
    TypeText("axbyc");
    EXPECT_EQ(Edit->Text(), "xy");
    // A refused paste leaves the caret where it was.
    Start(etHex);
    TypeText("AB");
    PressKey(VK_HOME);
    Paste("12");
    EXPECT_EQ(Edit->Text(), "AB");
    EXPECT_EQ(Edit->SelStart(), 0);
}

TEST_F(TypedEditTest, ClipboardVetoes)
{
    Edit->SetText("keep");
    Clipboard()->SetAsText("before");
    std::vector<AnsiString> Seen;
    Edit->OnClipboardCut = [&](TObject*, const AnsiString& Value, bool& Allow) {
        Seen.push_back(Value);
        Allow = false;
    };
    Edit->SelectAll();
    SendMessage(Edit->Handle(), WM_CUT, 0, 0);
    EXPECT_EQ(Edit->Text(), "keep");
    EXPECT_EQ(Clipboard()->AsText(), "before");
    EXPECT_EQ(Seen, std::vector<AnsiString>{"keep"});
    Edit->OnClipboardCut = nullptr;
    bool Copied = false;
    Edit->OnClipboardCopy = [&](TObject*, const AnsiString&, bool&) { Copied = true; };
    SendMessage(Edit->Handle(), WM_CUT, 0, 0);
    EXPECT_EQ(Edit->Text(), "");
    EXPECT_EQ(Clipboard()->AsText(), "keep");
    EXPECT_FALSE(Copied); // a cut's copy is no copy of its own
    Edit->OnClipboardPaste = [](TObject*, const AnsiString& Value, bool& Allow) { Allow = Value != "nope"; };
    Paste("nope");
    EXPECT_EQ(Edit->Text(), "");
    Paste("yes");
    EXPECT_EQ(Edit->Text(), "yes");
}

TEST_F(TypedEditTest, ReplacingTheWholeValueFiresNoChangeForThatKey)
{
    Edit->SetText("abc");
    Edit->SelectAll();
    Changes = 0;
    TypeText("x");
    EXPECT_EQ(Edit->Text(), "x");
    EXPECT_EQ(Changes, 0);
    TypeText("y");
    EXPECT_EQ(Changes, 1);
    // Backspace that empties a fully selected value reports the change.
    Edit->SelectAll();
    Changes = 0;
    PressKey(VK_BACK);
    EXPECT_EQ(Edit->Text(), "");
    EXPECT_EQ(Changes, 1);
}

TEST_F(TypedEditTest, LeavingFormatsNumbers)
{
    Start(etFloat, 2);
    TypeText("3.1");
    SetFocus(nullptr);
    PumpUntilIdle();
    EXPECT_EQ(Edit->Text(), "3.10");
    Edit->SetFocus();
    Start(etNumeric);
    SetFocus(nullptr);
    PumpUntilIdle();
    EXPECT_EQ(Edit->Text(), "0");
}

} // namespace
