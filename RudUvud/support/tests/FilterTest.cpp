#include "RudUvud/support/DerOdoz.h"

#include "platform/rtl/FormatSettings.h"

#include <gtest/gtest.h>

#include <string>

namespace {

class Filter : public ::testing::Test {
protected:
    void SetUp() override { SetDefaultFormatSettings(); }
    void TearDown() override { SetDefaultFormatSettings(); }
};

struct FilterCase {
    const char* Condition;
    const char* Value;
    bool CaseSensitive;
    bool Expected;
};

void ExpectCases(std::initializer_list<FilterCase> Cases)
{
    for (const FilterCase& C : Cases)
        EXPECT_EQ(MatchStrEx(C.Condition, C.Value, C.CaseSensitive), C.Expected)
            << "condition '" << C.Condition << "' value '" << C.Value << "'";
}

TEST_F(Filter, WildcardsAndNegation)
{
    ExpectCases({
        {"=abc", "abc", true, true},    {"abc", "abcd", true, false},
        {"abc", "ab", true, false},     {"a*", "a", true, true},
        {"a*", "abc", true, true},      {"a*", "ba", true, false},
        {"*c", "abc", true, true},      {"*c", "abcd", true, false},
        {"a?c", "abc", true, true},     {"a?c", "ac", true, false},
        {"?", "", true, false},         {"*", "", true, true},
        {"*", "anything", true, true},  {"**b**", "abc", true, true},
        {"a*b*c", "aXbYc", true, true}, {"a*b*c", "aXcYb", true, false},
        {"!a*", "abc", true, false},    {"!a*", "bcd", true, true},
        {"!a*", "", true, true},        {"!abc", "abc", true, false},
        {"\"a\"b", "ab", true, true}, // quotes match nothing themselves
        {"", "", true, true},         // an empty condition matches only an empty value
        {"", "x", true, false},         {"   ", "", true, true},
    });
}

TEST_F(Filter, CaseRule)
{
    ExpectCases({
        {"ABC", "abc", false, true},
        {"ABC", "abc", true, false},
        {"a*", "ABC", false, true},
        {"ÄB*", "äbc", false, true}, // the locale upper case, not only ASCII
    });
}

TEST_F(Filter, ComparisonsAreNumericWhenBothAreNumbers)
{
    ExpectCases({
        {">5", "10", true, true}, // numeric, not textual
        {">5", "3", true, false},
        {">5", "5", true, false},
        {">=5", "5", true, true},
        {"<5", "4.5", true, true},
        {"<=5", "5", true, true},
        {"<5", "5", true, false},
        {">1,000", "1,500.5", true, true},
        {">-3", "-2", true, true},
        {">1e2", "150", true, true},
        {">b", "c", true, true}, // text comparison by bytes
        {">b", "a", true, false},
        {">5", "abc", true, true}, // '5' < 'a' as text
        {"<5", "", true, true},
        {">5&<10", "7", true, true},
        {">5&<10", "12", true, false},
        {">5&<10", "3", true, false},
        {"<3|>8", "9", true, true},
        {"<3|>8", "5", true, false},
        {"<1e999", "5", true, false}, // an overflowing operand is text, never an error
        {"!5", "5", true, false},
        {"!5", "6", true, true},
    });
}

TEST_F(Filter, ConditionsCombineLeftToRight)
{
    ExpectCases({
        {"a|b|c", "b", true, true},
        {"a;b", "b", true, true},
        {"a^b", "b", true, true},
        {"a&b", "a", true, false},
        {"a&b", "b", true, false},
        {"a*&*z", "abz", true, true},
        // No precedence: 'x&y|z' is (x and y) or z.
        {"x&y|z", "z", true, true},
        {"z|x&y", "z", true, false},
        {"(a*|b*)&*z", "abz", true, true},
        {"(a*|b*)&*z", "bz", true, true},
        {"(a*|b*)&*z", "cz", true, false},
        {"(a*|b*)&*z", "ab", true, false},
        {"((a*))", "ab", true, true},
        {"(a|(b|c))&*c", "c", true, true},
        {" a b ", "ab", true, true},    // blanks outside quotes are dropped
        {"\"a b\"", "a b", true, true}, // and kept inside them
        {"\"a b\"", "ab", true, false},
        {"\"a|b\"", "a|b", true, true},  // an operator inside quotes is text
        {">\"a b\"", "a c", true, true}, // a quoted operand keeps its blank
        {">\"a b\"", "a a", true, false},
    });
}

TEST_F(Filter, MalformedConditionsEndWithoutMatching)
{
    // An unbalanced '(' takes the rest of the condition as its group instead of looping.
    ExpectCases({
        {"(abc", "abc", true, true},
        {"(abc", "x", true, false},
        {"((a|b)", "b", true, true},
        {")", ")", true, true},
        {"(", "", true, true},
        {"&", "", true, true}, // two empty terms
        {"&", "x", true, false},
        {"|", "", true, true},
    });
    // Nesting is bounded: a pasted condition must not exhaust the stack.
    const std::string Deep = std::string(5000, '(') + "a" + std::string(5000, ')');
    EXPECT_FALSE(MatchStrEx(Deep, "a", true));
    const std::string Shallow = std::string(10, '(') + "a" + std::string(10, ')');
    EXPECT_TRUE(MatchStrEx(Shallow, "a", true));
}

TEST_F(Filter, ManyStarsStayFast)
{
    // Trying every suffix for every star would take years here.
    const std::string Value(2000, 'a');
    EXPECT_FALSE(MatchStrEx("*a*a*a*a*a*a*a*a*a*a*b", Value, true));
    EXPECT_TRUE(MatchStrEx("*a*a*a*a*a*a*a*a*a*a*", Value, true));
    std::string ManyStars;
    for (int I = 0; I < 500; ++I)
        ManyStars += "*a";
    EXPECT_TRUE(MatchStrEx(ManyStars, Value, true));
    EXPECT_FALSE(MatchStrEx(ManyStars + "b", Value, true));
}

TEST_F(Filter, StarTriesComparisonsOnSuffixes)
{
    // The rest after a star is a whole term again, comparisons included.
    EXPECT_TRUE(Matches("x*>5", "x9"));
    EXPECT_TRUE(Matches("*>5", "a"));
    EXPECT_TRUE(Matches("a*!b", "ac"));
}

TEST_F(Filter, OperandsAreCutAt255Characters)
{
    const std::string Long255(255, 'k');
    const std::string Long256 = Long255 + "z";
    EXPECT_TRUE(MatchStrEx(">=" + Long255, Long255, true));
    // The 256th character of the operand is dropped, so the value compares equal here.
    EXPECT_TRUE(MatchStrEx("<=" + Long256, Long255, true));
    EXPECT_TRUE(MatchStrEx(">=" + Long256, Long255 + "a", true)); // text compared on 255 characters
}

TEST_F(Filter, DatesCompareInLocaleOrder)
{
    FormatSettings.ShortDateFormat = "dd/MM/yyyy";
    ExpectCases({
        {">31/12/2005", "01/01/2006", true, true},
        {">31/12/2005", "15/12/2005", true, false},
        {">31/12/2005", "31/12/2005 00:30", true, true},
        {">31/12/2005", "31/12/2005", true, false},
        {">=31/12/2005", "31/12/2005", true, true},
        {"<01/02/2005", "31/01/2005 23:59:59", true, true},
        // 31 February is no date: both are compared as text.
        {">30/02/2005", "31/02/2005", true, true},
        {">1/1/2005", "12:30", true, true},
    });
    FormatSettings.ShortDateFormat = "yyyy/MM/dd";
    ExpectCases({
        {">2005/12/31", "2006/01/01", true, true},
        {"<2005/12/31", "2005/02/28", true, true},
    });
    FormatSettings.ShortDateFormat = "M/d/yyyy";
    ExpectCases({
        {">12/31/2005", "1/1/2006", true, true},
        {">12/31/2005", "1/1/2005", true, false},
    });
}

TEST_F(Filter, ValuesStopAtNul)
{
    // Matches sees zero-terminated strings.
    EXPECT_TRUE(MatchStrEx("ab", std::string("ab\0cd", 5), true));
    EXPECT_TRUE(Matches(nullptr, nullptr));
    EXPECT_TRUE(Matches("", ""));
}

} // namespace
