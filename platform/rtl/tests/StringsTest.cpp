#include "platform/rtl/Strings.h"

#include <algorithm>
#include <atomic>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

namespace {

const AnsiString Prize = "\xE7\x8D\x8E\xE5\x93\x81"; // 獎品, two characters of three bytes
const WideString PrizeW = u"\u734E\u54C1";

TEST(Strings, CopyDeleteInsertUseOneBasedClippedPositions)
{
    struct Case {
        Integer Index, Count;
        const char* Copied;
        const char* AfterDelete;
    };
    const Case Cases[] = {
        {1, 3, "abc", "de"},  {0, 2, "ab", "abcde"}, {-5, 2, "ab", "abcde"},
        {4, 10, "de", "abc"}, {5, 1, "e", "abcd"},   {6, 1, "", "abcde"},
        {3, 0, "", "abcde"},  {3, -1, "", "abcde"},  {2, 2147483647, "bcde", "a"},
    };
    for (const Case& C : Cases) {
        SCOPED_TRACE(testing::Message() << C.Index << "," << C.Count);
        EXPECT_EQ(Copy(AnsiString("abcde"), C.Index, C.Count), C.Copied);
        AnsiString S = "abcde";
        Delete(S, C.Index, C.Count);
        EXPECT_EQ(S, C.AfterDelete);
    }

    struct InsertCase {
        Integer Index;
        const char* Result;
    };
    for (const InsertCase& C : {InsertCase{1, "XYabc"}, InsertCase{0, "XYabc"}, InsertCase{-3, "XYabc"},
                                InsertCase{2, "aXYbc"}, InsertCase{4, "abcXY"}, InsertCase{99, "abcXY"}}) {
        AnsiString S = "abc";
        Insert("XY", S, C.Index);
        EXPECT_EQ(S, C.Result) << C.Index;
    }
}

TEST(Strings, PositionsAreBytesInUtf8AndUnitsInUtf16)
{
    const AnsiString Text = "A" + Prize + "B";
    EXPECT_EQ(Length(Text), 8);
    EXPECT_EQ(Pos("B", Text), 8);
    EXPECT_EQ(Pos(Prize, Text), 2);
    EXPECT_EQ(Copy(Text, 2, 3), "\xE7\x8D\x8E");
    EXPECT_EQ(Pos("", Text), 0);
    EXPECT_EQ(Pos("x", Text), 0);
    EXPECT_EQ(Pos('B', Text), 8);
    EXPECT_EQ(AnsiPos("\xE5\x93\x81", Text), 5);

    const WideString Wide = u"A" + PrizeW + u"B\U0001F600";
    EXPECT_EQ(Length(Wide), 6); // the emoji is two units
    EXPECT_EQ(Pos(u"B", Wide), 4);
    EXPECT_EQ(Pos(u'\u54C1', Wide), 3);
    EXPECT_EQ(Copy(Wide, 2, 2), PrizeW);
    WideString W = Wide;
    Delete(W, 1, 1);
    Insert(u"x", W, 3);
    EXPECT_EQ(W, PrizeW + u"xB\U0001F600");
}

TEST(Strings, TrimRemovesBlanksAndControlCharactersOnly)
{
    EXPECT_EQ(Trim(AnsiString(" \t\r\n a b \x01")), "a b");
    EXPECT_EQ(TrimLeft(AnsiString("  a ")), "a ");
    EXPECT_EQ(TrimRight(AnsiString("  a ")), "  a");
    EXPECT_EQ(Trim(AnsiString("   ")), "");
    // Multi-byte characters have bytes above 0x80 that must never count as blanks.
    EXPECT_EQ(Trim(" " + Prize + " "), Prize);
    EXPECT_EQ(Trim(WideString(u" \t") + PrizeW + u"\u3000"), PrizeW + u"\u3000"); // ideographic space kept
}

TEST(Strings, CaseMapping)
{
    // ASCII forms leave every other character alone.
    EXPECT_EQ(UpperCase(AnsiString("abc\xC3\xA9z")), "ABC\xC3\xA9Z");
    EXPECT_EQ(LowerCase(AnsiString("ABC\xC3\x89Z")), "abc\xC3\x89z");
    EXPECT_EQ(UpperCase(WideString(u"a\u00e9")), u"A\u00e9");
    // Locale forms map Latin, Greek, Cyrillic and full-width letters; CJK stays.
    struct Case {
        const char* Lower;
        const char* Upper;
    };
    const Case Cases[] = {
        {"\xC3\xA9t\xC3\xA9", "\xC3\x89T\xC3\x89"}, // été
        {"\xC5\x82\xC3\xB3"
         "d\xC5\xBA",
         "\xC5\x81\xC3\x93"
         "D\xC5\xB9"},                                            // łódź
        {"\xCE\xB1\xCE\xB2\xCF\x89", "\xCE\x91\xCE\x92\xCE\xA9"}, // αβω
        {"\xD0\xB6\xD1\x91", "\xD0\x96\xD0\x81"},                 // жё
        {"\xEF\xBD\x81", "\xEF\xBC\xA1"},                         // full-width a
        {"\xE7\x8D\x8E", "\xE7\x8D\x8E"},                         // 獎
    };
    for (const Case& C : Cases) {
        EXPECT_EQ(AnsiUpperCase(C.Lower), C.Upper) << C.Lower;
        EXPECT_EQ(AnsiLowerCase(C.Upper), C.Lower) << C.Upper;
        EXPECT_EQ(WideUpperCase(AnsiToWide(C.Lower)), AnsiToWide(C.Upper)) << C.Lower;
        EXPECT_EQ(WideLowerCase(AnsiToWide(C.Upper)), AnsiToWide(C.Lower)) << C.Upper;
    }
    // Broken UTF-8 passes through unchanged instead of growing replacement characters.
    EXPECT_EQ(AnsiUpperCase(AnsiString("a\xE7\x8D"
                                       "b\xFF")),
              "A\xE7\x8D"
              "B\xFF");
    EXPECT_EQ(WideUpperCase(WideString(u"a") + char16_t(0xD800) + u"b"),
              WideString(u"A") + char16_t(0xD800) + u"B");
}

TEST(Strings, StringReplace)
{
    struct Case {
        const char *S, *Old, *New;
        TReplaceFlags Flags;
        const char* Result;
    };
    const Case Cases[] = {
        {"a-b-c", "-", "+", {}, "a+b-c"},
        {"a-b-c", "-", "+", rfReplaceAll, "a+b+c"},
        {"aAaA", "a", "x", rfReplaceAll, "xAxA"},
        {"aAaA", "a", "x", {rfReplaceAll, rfIgnoreCase}, "xxxx"},
        {"aaa", "aa", "a", rfReplaceAll, "aa"}, // no rescanning of the replacement
        {"abc", "", "x", rfReplaceAll, "abc"},
        {"abc", "abc", "", {}, ""},
        {"\xC3\xA9t\xC3\xA9 \xC3\x89T\xC3\x89",
         "\xC3\x89T\xC3\x89",
         "X",
         {rfReplaceAll, rfIgnoreCase},
         "X X"},
        {"\xE7\x8D\x8E\xE5\x93\x81\xE7\x8D\x8E", "\xE7\x8D\x8E", "P", rfReplaceAll, "P\xE5\x93\x81P"},
        // Dotless i folds to a shorter upper case: the positions must still be those of the original.
        {"x\xC4\xB1y i", "I", "_", {rfReplaceAll, rfIgnoreCase}, "x_y _"},
    };
    for (const Case& C : Cases)
        EXPECT_EQ(StringReplace(C.S, C.Old, C.New, C.Flags), C.Result) << C.S << " / " << C.Old;
    EXPECT_EQ(StringReplace(WideString(u"Aa\u00c9\u00e9"), WideString(u"\u00e9"), WideString(u"."),
                            {rfReplaceAll, rfIgnoreCase}),
              u"Aa..");
}

TEST(Strings, Comparisons)
{
    SetCollationLocale("en_US");
    struct Case {
        const char *A, *B;
        int Str, Text, AnsiStr, AnsiText;
    };
    const Case Cases[] = {
        {"abc", "abc", 0, 0, 0, 0},
        {"abc", "ABC", 1, 0, -1, 0}, // the locale puts small letters first
        {"ab", "abc", -1, -1, -1, -1},
        {"b", "abc", 1, 1, 1, 1},
        {"_", "a", -1, 1, -1, -1}, // '_' lies between the upper and lower case letters in bytes
        {"\xC3\xA9", "\xC3\x89", 1, 1, -1, 0},
        {"\xC3\xA9", "z", 1, 1, -1, -1}, // accented letters beside their base letter
        {"\xC3\xA9mile", "Ezra", 1, 1, -1, -1},
    };
    auto Sgn = [](Integer V) { return V < 0 ? -1 : (V > 0 ? 1 : 0); };
    for (const Case& C : Cases) {
        SCOPED_TRACE(testing::Message() << C.A << " vs " << C.B);
        EXPECT_EQ(Sgn(CompareStr(C.A, C.B)), C.Str);
        EXPECT_EQ(Sgn(CompareText(C.A, C.B)), C.Text);
        EXPECT_EQ(Sgn(AnsiCompareText(C.A, C.B)), C.AnsiText);
        EXPECT_EQ(Sgn(AnsiCompareStr(C.A, C.B)), C.AnsiStr);
        EXPECT_EQ(Sgn(WideCompareStr(AnsiToWide(C.A), AnsiToWide(C.B))), C.AnsiStr);
        EXPECT_EQ(Sgn(WideCompareText(AnsiToWide(C.A), AnsiToWide(C.B))), C.AnsiText);
        EXPECT_EQ(SameText(C.A, C.B), C.Text == 0);
        EXPECT_EQ(AnsiSameText(C.A, C.B), C.AnsiText == 0);
    }
    // Distinct strings the collation finds equal (a soft hyphen is ignored) still differ.
    EXPECT_NE(AnsiCompareStr("co\xC2\xADop", "coop"), 0);
    EXPECT_EQ(Sgn(AnsiCompareStr("co\xC2\xADop", "coop")), -Sgn(AnsiCompareStr("coop", "co\xC2\xADop")));
    EXPECT_NE(CompareStr(AnsiString("a\0b", 3), AnsiString("a\0c", 3)), 0);
    SetCollationLocale("");
}

TEST(Strings, CollationSortsAsTheLocaleDoes)
{
    struct Case {
        const char* Locale;
        std::vector<AnsiString> Sorted; // by AnsiCompareText
    };
    const Case Cases[] = {
        // Prize names: strokes in Traditional Chinese, so first, second, third prize.
        {"zh_TW",
         {"\xE4\xB8\x80\xE7\xAD\x89\xE7\x8D\x8E", "\xE4\xBA\x8C\xE7\xAD\x89\xE7\x8D\x8E",
          "\xE4\xB8\x89\xE7\xAD\x89\xE7\x8D\x8E", "\xE7\x89\xB9\xE7\x8D\x8E"}},
        // Accented Latin beside its base letter, case ignored.
        {"fr_FR", {"abb\xC3\xA9", "Abbey", "\xC3\x89mile", "emu", "Zo\xC3\xAB", "zulu"}},
        {"de_DE",
         {"Apfel", "\xC3\x84pfel", "Bach", "\xC3\x96l", "Strasse",
          "Stra\xC3\x9F"
          "e",
          "Zebra"}},
        {"C",
         {"Alpha", "\xC3\xA4pfel", "Bravo", "charlie", "delta",
          "\xC3\x89"
          "clair",
          "Zulu"}},
    };
    for (const Case& C : Cases) {
        SCOPED_TRACE(C.Locale);
        SetCollationLocale(C.Locale);
        std::vector<AnsiString> Items(C.Sorted.rbegin(), C.Sorted.rend());
        std::stable_sort(Items.begin(), Items.end(),
                         [](const AnsiString& A, const AnsiString& B) { return AnsiCompareText(A, B) < 0; });
        EXPECT_EQ(Items, C.Sorted);
        std::vector<WideString> Wide;
        for (auto It = C.Sorted.rbegin(); It != C.Sorted.rend(); ++It)
            Wide.push_back(AnsiToWide(*It));
        std::stable_sort(Wide.begin(), Wide.end(),
                         [](const WideString& A, const WideString& B) { return WideCompareStr(A, B) < 0; });
        for (std::size_t I = 0; I < Wide.size(); ++I)
            EXPECT_EQ(WideToAnsi(Wide[I]), C.Sorted[I]);
    }
    SetCollationLocale("");
}

// Each thread keeps the collators it looked up; a locale set by any thread reaches every other.
TEST(Strings, EveryThreadFollowsTheCollationLocale)
{
    const AnsiString First = "\xE4\xB8\x80\xE7\xAD\x89\xE7\x8D\x8E"; // 一等獎: one stroke
    const AnsiString Third = "\xE4\xB8\x89\xE7\xAD\x89\xE7\x8D\x8E"; // 三等獎: three strokes
    SetCollationLocale("zh_TW");
    std::atomic<int> Step{0};
    Integer Before = 0, After = 0;
    std::thread Worker([&] {
        Before = AnsiCompareText(First, Third);
        Step = 1;
        while (Step != 2)
            std::this_thread::yield();
        After = AnsiCompareText(First, Third);
    });
    while (Step != 1)
        std::this_thread::yield();
    EXPECT_LT(AnsiCompareText(First, Third), 0);
    SetCollationLocale("zh_CN"); // pinyin: sān before yī
    Step = 2;
    Worker.join();
    EXPECT_LT(Before, 0) << "strokes";
    EXPECT_GT(After, 0) << "pinyin";
    EXPECT_GT(AnsiCompareText(First, Third), 0);
    SetCollationLocale("");
}

TEST(Strings, CaseMappingIsFullUnicode)
{
    struct Case {
        const char *Text, *Upper, *LowerOfUpper;
    };
    const Case Cases[] = {
        {"stra\xC3\x9F"
         "e",
         "STRASSE", "strasse"},                                       // ß upper-cases to SS
        {"\xC3\xA9mile", "\xC3\x89MILE", "\xC3\xA9mile"},             // é
        {"\xCF\x89\xCF\x83", "\xCE\xA9\xCE\xA3", "\xCF\x89\xCF\x82"}, // ω, σ; final sigma
        {"\xE7\x8D\x8E abc", "\xE7\x8D\x8E ABC", "\xE7\x8D\x8E abc"}, // Chinese stays
        {"a\xFF"
         "b",
         "A\xFF"
         "B",
         "a\xFF"
         "b"}, // unreadable bytes kept
    };
    for (const Case& C : Cases) {
        EXPECT_EQ(AnsiUpperCase(C.Text), C.Upper) << C.Text;
        EXPECT_EQ(AnsiLowerCase(C.Upper), C.LowerOfUpper) << C.Upper;
    }
    EXPECT_EQ(WideFoldCase(u"\u00C9MILE"), WideFoldCase(u"\u00E9mile"));
    EXPECT_EQ(WideFoldCase(u"STRASSE"), WideFoldCase(u"stra\u00DFe"));
    EXPECT_EQ(UnicodeUpper(U'\u03C9'), U'\u03A9');
}

TEST(Strings, ZeroTerminatedRoutines)
{
    EXPECT_EQ(StrLen(nullptr), 0u);
    EXPECT_EQ(StrLen("abc"), 3u);
    EXPECT_EQ(StrPas(nullptr), "");
    char Buffer[8];
    EXPECT_STREQ(StrPCopy(Buffer, "abc"), "abc");
    EXPECT_EQ(StrComp("a", "b"), -1);
    EXPECT_EQ(StrComp(nullptr, ""), 0);
    EXPECT_EQ(StrLComp("abcX", "abcY", 3), 0);
    EXPECT_NE(StrLComp("abcX", "abcY", 4), 0);
    EXPECT_EQ(StrLIComp("ABCx", "abcy", 3), 0);
    EXPECT_EQ(StrLComp("ab", "abc", 5), -1); // the terminator compares below any character
    EXPECT_EQ(AnsiStrLIComp("\xC3\x89tat", "\xC3\xA9TAX", 4), 0);
    EXPECT_LT(AnsiStrLIComp("\xC3\x89tat", "\xC3\xA9TAX", 5), 0);
}

TEST(Strings, SmallHelpers)
{
    EXPECT_EQ(QuotedStr("it's"), "'it''s'");
    EXPECT_EQ(QuotedStr(""), "''");
    EXPECT_EQ(AnsiQuotedStr("a\"b", '"'), "\"a\"\"b\"");
    EXPECT_EQ(AdjustLineBreaks("a\nb\rc\r\nd\n\r"), "a\r\nb\r\nc\r\nd\r\n\r\n");
    EXPECT_EQ(StringOfChar('*', 3), "***");
    EXPECT_EQ(StringOfChar('*', -1), "");
    EXPECT_EQ(LastDelimiter("\\:", "C:\\dir\\file.txt"), 7);
    EXPECT_EQ(LastDelimiter(".", "none"), 0);
}

TEST(Strings, Utf8AndUtf16RoundTrip)
{
    const AnsiString Text = "A\xC3\xA9" + Prize + "\xF0\x9F\x98\x80"; // A é 獎品 😀
    const WideString Wide = AnsiToWide(Text);
    EXPECT_EQ(Wide, u"A\u00e9\u734E\u54C1\U0001F600");
    EXPECT_EQ(WideToAnsi(Wide), Text);
    EXPECT_EQ(UTF8Encode(UTF8Decode(Text)), Text);
    const WideChar Zero[] = {u'a', u'b', 0};
    EXPECT_EQ(WideCharToString(Zero), "ab");
    EXPECT_EQ(WideCharToString(nullptr), "");
    EXPECT_EQ(AnsiToWide(AnsiString("a\0b", 3)), WideString(u"a\0b", 3));
}

TEST(Strings, MalformedTextBecomesReplacementCharacters)
{
    const WideString R = u"\uFFFD";
    struct Case {
        AnsiString Bytes;
        WideString Wide;
    };
    const Case Cases[] = {
        {"\x80", R},                         // stray continuation byte
        {"a\xC3", u"a" + R},                 // truncated at the end
        {"\xE7\x8D", R + R},                 // truncated three-byte sequence
        {"\xE7\x8Dz", R + R + u"z"},         // broken by an ASCII byte
        {"\xC0\xAF", R + R},                 // overlong '/'
        {"\xED\xA0\x80", R + R + R},         // encoded surrogate
        {"\xF4\x90\x80\x80", R + R + R + R}, // above U+10FFFF
        {"\xFF\xFE", R + R},
    };
    for (const Case& C : Cases) {
        EXPECT_EQ(AnsiToWide(C.Bytes), C.Wide) << testing::PrintToString(C.Bytes);
        // Every result is valid UTF-8 again.
        const AnsiString Back = WideToAnsi(AnsiToWide(C.Bytes));
        EXPECT_EQ(AnsiToWide(Back), C.Wide);
    }
    // A bad byte and a written U+FFFD read the same, and ReadUtf8Char tells them apart.
    std::size_t I = 0;
    char32_t Ch = 0;
    EXPECT_FALSE(ReadUtf8Char("\xE9"
                              "ab",
                              I, Ch));
    EXPECT_EQ(I, 1u);
    EXPECT_EQ(Ch, U'\uFFFD');
    I = 0;
    EXPECT_TRUE(ReadUtf8Char("\xEF\xBF\xBD", I, Ch));
    EXPECT_EQ(I, 3u);
    EXPECT_EQ(Ch, U'\uFFFD');
    EXPECT_TRUE(IsValidUtf8("\xEF\xBF\xBD"
                            "a"));
    EXPECT_FALSE(IsValidUtf8("a\xFF"
                             "bcd"));
    // Lone surrogates on the wide side.
    EXPECT_EQ(WideToAnsi(WideString(1, char16_t(0xD800)) + u"x"), "\xEF\xBF\xBDx");
    EXPECT_EQ(WideToAnsi(WideString(1, char16_t(0xDC00))), "\xEF\xBF\xBD");
}

TEST(Strings, NextUtf8CharNeverReadsPastTheEnd)
{
    // Every prefix of a multi-byte text is decoded within its own bytes (the sanitizer checks
    // the reads; the string holds no terminator beyond size() that could hide an over-read).
    const AnsiString Full = "\xF0\x9F\x98\x80\xE7\x8D\x8E\xC3\xA9";
    for (std::size_t N = 0; N <= Full.size(); ++N) {
        const AnsiString Part = Full.substr(0, N);
        std::size_t I = 0;
        int Count = 0;
        while (I < Part.size()) {
            NextUtf8Char(Part, I);
            ++Count;
        }
        EXPECT_EQ(I, Part.size());
        EXPECT_LE(Count, static_cast<int>(N));
    }
}

TEST(Strings, CharacterClasses)
{
    struct Case {
        char32_t C;
        bool Letter, Digit, Space;
    };
    const Case Cases[] = {
        {U'a', true, false, false},   {U'Z', true, false, false},    {U'5', false, true, false},
        {U'_', false, false, false},  {U' ', false, false, true},    {U'\t', false, false, true},
        {0xE9, true, false, false},   {0xD7, false, false, false},   {0x734E, true, false, false},
        {0x3042, true, false, false}, {0xAC00, true, false, false},  {0xFF15, false, true, false},
        {0x3000, false, false, true}, {0x3001, false, false, false}, {0xD800, false, false, false},
        {0x0416, true, false, false}, {0x03A9, true, false, false},  {0xA0, false, false, true},
    };
    for (const Case& C : Cases) {
        SCOPED_TRACE(static_cast<unsigned>(C.C));
        EXPECT_EQ(IsLetter(C.C), C.Letter);
        EXPECT_EQ(IsDigit(C.C), C.Digit);
        EXPECT_EQ(IsLetterOrDigit(C.C), C.Letter || C.Digit);
        EXPECT_EQ(IsWhiteSpace(C.C), C.Space);
    }
    EXPECT_TRUE(IsUpper(U'A'));
    EXPECT_FALSE(IsUpper(U'a'));
    EXPECT_TRUE(IsLower(0xDF));
    EXPECT_FALSE(IsLower(0x734E));
}

} // namespace
