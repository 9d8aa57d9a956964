#include "platform/rtl/Format.h"

#include "platform/rtl/Exceptions.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

namespace {

class FormatTest : public testing::Test {
protected:
    void SetUp() override { SetDefaultFormatSettings(); }
    void TearDown() override { SetDefaultFormatSettings(); }

    static AnsiString ErrorOf(const AnsiString& Fmt, std::initializer_list<TVarRec> Args)
    {
        try {
            Format(Fmt, Args);
        } catch (const EConvertError& E) {
            return E.Message();
        }
        return "no error";
    }
};

TEST_F(FormatTest, Integers)
{
    const Integer Count = 12;
    EXPECT_EQ(Format("%s has %d", {AnsiString("Prize"), Count}), "Prize has 12");
    EXPECT_EQ(Format("%d|%5d|%-5d|%.3d|%.3d|%8.4d", {-7, 42, 42, 7, -7, 5}),
              "-7|   42|42   |007|-007|    0005");
    EXPECT_EQ(Format("%s%.8d", {"ID", 123}), "ID00000123");
    EXPECT_EQ(Format("%d", {Int64(-9223372036854775807LL - 1)}), "-9223372036854775808");
    EXPECT_EQ(Format("%u %u", {-1, 5u}), "4294967295 5");
    EXPECT_EQ(Format("%x|%2x|%4x|%X|%.4x", {255, 10, 10, -1, 31}), "FF| A|   A|FFFFFFFF|001F");
    EXPECT_EQ(Format("%x", {Int64(-1)}), "FFFFFFFFFFFFFFFF");
    EXPECT_EQ(Format("%d", {std::uint32_t(4000000000u)}), "4000000000");
    EXPECT_EQ(Format("Red: %d,  Green: %d,  Blue: %d", {1, 2, 3}), "Red: 1,  Green: 2,  Blue: 3");
}

TEST_F(FormatTest, Floats)
{
    EXPECT_EQ(Format("%f|%.0f|%.3f|%8.2f", {3.14159, 2.5, 1.0, -1.005}), "3.14|3|1.000|   -1.00");
    EXPECT_EQ(Format("%.2f", {1234567.125}), "1234567.13");
    EXPECT_EQ(Format("%n|%.0n|%.1n", {1234567.891, 1234567.5, -999.96}), "1,234,567.89|1,234,568|-1,000.0");
    EXPECT_EQ(Format("%e", {1234.5}), "1.23450000000000E+003");
    EXPECT_EQ(Format("%.3e", {-0.00012345}), "-1.23E-004");
    EXPECT_EQ(Format("%g|%g|%g", {0.1 + 0.2, 100.0, 1.0 / 3}), "0.3|100|0.333333333333333");
    EXPECT_EQ(Format("%.4g", {3.14159}), "3.142");
    EXPECT_EQ(Format("%m|%m|%.0m", {12.5, -12.5, 3.0}), "$12.50|($12.50)|$3");
    // Floats accept currency arguments; every float type passes through.
    EXPECT_EQ(Format("%.1f|%.1f", {TVarRec::AsCurrency(2.25), 2.5f}), "2.3|2.5");

    TFormatSettings S;
    S.DecimalSeparator = ',';
    S.ThousandSeparator = '.';
    EXPECT_EQ(Format("%.2f %n", {1.5, 1234.5}, S), "1,50 1.234,50");
    FormatSettings = S;
    EXPECT_EQ(Format("%.1f", {0.25}), "0,3");
}

TEST_F(FormatTest, StringsCharactersAndPointers)
{
    const AnsiString Prize = "\xE7\x8D\x8E\xE5\x93\x81"; // 獎品
    EXPECT_EQ(Format("[%s|%6s|%-6s|%.2s]", {"abc", "abc", "abc", "abc"}), "[abc|   abc|abc   |ab]");
    EXPECT_EQ(Format("%s", {Prize}), Prize);
    EXPECT_EQ(Format("%s", {WideString(u"\u734E\u54C1")}), Prize);
    EXPECT_EQ(Format("%s%s", {'x', WideChar(0x734E)}), "x\xE7\x8D\x8E");
    // A precision that falls inside a character cuts before it: the result stays valid UTF-8.
    EXPECT_EQ(Format("%.4s", {Prize}), "\xE7\x8D\x8E");
    EXPECT_EQ(Format("%.2s", {Prize}), "");
    EXPECT_EQ(Format("%s", {static_cast<const char*>(nullptr)}), "");
    EXPECT_EQ(Format("100%%", {}), "100%");
    EXPECT_EQ(Format("%s", {AnsiString("a\0b", 3)}), AnsiString("a\0b", 3));
    int Target = 0;
    const AnsiString P = Format("%p", {static_cast<void*>(&Target)});
    EXPECT_EQ(P.size(), sizeof(void*) * 2);
    EXPECT_EQ(std::stoull(P, nullptr, 16), reinterpret_cast<std::uintptr_t>(&Target));
}

TEST_F(FormatTest, IndexesAndStars)
{
    EXPECT_EQ(Format("%1:s %0:s %s", {"a", "b", "c"}), "b a b");
    EXPECT_EQ(Format("%0:s-%0:s", {"x"}), "x-x");
    EXPECT_EQ(Format("%*d|%-*d|%.*f|%*.*f", {4, 7, 3, 7, 1, 2.25, 6, 2, 1.0}), "   7|7  |2.3|  1.00");
    EXPECT_EQ(Format("%1:-4s|", {"a", "b"}), "b   |");
}

TEST_F(FormatTest, MismatchesRaiseWithThePlatformMessages)
{
    struct Case {
        const char* Fmt;
        std::initializer_list<TVarRec> Args;
        const char* Message;
    };
    const Case Cases[] = {
        {"%d", {"text"}, "Format '%d' invalid or incompatible with argument"},
        {"Count: %d", {1.5}, "Format 'Count: %d' invalid or incompatible with argument"},
        {"%f", {5}, "Format '%f' invalid or incompatible with argument"},
        {"%s", {5}, "Format '%s' invalid or incompatible with argument"},
        {"%d", {true}, "Format '%d' invalid or incompatible with argument"},
        {"%x", {'a'}, "Format '%x' invalid or incompatible with argument"},
        {"%p", {5}, "Format '%p' invalid or incompatible with argument"},
        {"%*d", {"w", 5}, "Format '%*d' invalid or incompatible with argument"},
        {"%k", {5}, "Format '%k' invalid or incompatible with argument"},
        {"50%", {}, "Format '50%' invalid or incompatible with argument"},
        {"%5.", {}, "Format '%5.' invalid or incompatible with argument"},
        {"%d %d", {1}, "No argument for format '%d %d'"},
        {"%s", {}, "No argument for format '%s'"},
        {"%3:s", {"a"}, "No argument for format '%3:s'"},
        {"%d%%", {}, "No argument for format '%d%%'"},
    };
    for (const Case& C : Cases)
        EXPECT_EQ(ErrorOf(C.Fmt, C.Args), C.Message) << C.Fmt;
}

TEST_F(FormatTest, HugeWidthsFromTypedFormatsStayBounded)
{
    // A format typed by a person must not make a gigabyte of padding.
    const AnsiString Wide = Format("%999999999999d", {1});
    EXPECT_LE(Wide.size(), 1u << 20);
    EXPECT_EQ(Wide.back(), '1');
    EXPECT_LE(Format("%.999999999999d", {1}).size(), 1u << 20);
    EXPECT_LE(Format("%*d", {2147483647, 1}).size(), 1u << 20);
}

} // namespace
