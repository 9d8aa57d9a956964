#include "engine286/Lexer.h"
#include "engine286/Symbols.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct Lexed {
    std::vector<int> tokens;
    std::string error;
    int errorPosition = -1;
    dbLexer lexer;
};

// Every token of a text up to the end of the condition, or the error that stopped it.
void lex(Lexed& out, const dbQueryElement* first)
{
    out.lexer.reset(first);
    try {
        for (int t; (t = out.lexer.get()) != tkn_eof;)
            out.tokens.push_back(t);
    } catch (const dbQueryError& e) {
        out.error = e.message;
        out.errorPosition = e.position;
    }
}

void lexText(Lexed& out, const char* text)
{
    dbQueryElement e;
    e.ptr = text;
    lex(out, &e);
}

std::vector<int> tokensOf(const char* text)
{
    Lexed l;
    lexText(l, text);
    EXPECT_EQ("", l.error) << text;
    return l.tokens;
}

TEST(LexerTest, OperatorsPunctuationAndTheirSpellings)
{
    struct Case {
        const char* text;
        std::vector<int> tokens;
    } cases[] = {
        {"a<>b", {tkn_ident, tkn_ne, tkn_ident}},
        {"a!=b", {tkn_ident, tkn_ne, tkn_ident}},
        {"a||b+c", {tkn_ident, tkn_add, tkn_ident, tkn_add, tkn_ident}},
        {"< <= > >= =", {tkn_lt, tkn_le, tkn_gt, tkn_ge, tkn_eq}},
        {"()[].,^*/:-",
         {tkn_lpar, tkn_rpar, tkn_lbr, tkn_rbr, tkn_dot, tkn_comma, tkn_power, tkn_mul, tkn_div, tkn_col,
          tkn_sub}},
        {"-5", {tkn_sub, tkn_iconst}},
        {"x -- the rest = 1\n= 2 -- to the end", {tkn_ident, tkn_eq, tkn_iconst}},
        {" \t\r\n\v\f", {}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.tokens, tokensOf(c.text)) << c.text;
}

TEST(LexerTest, KeywordsAreLowerCaseOnlyAndTheReservedOnesLexAsKeywords)
{
    EXPECT_EQ((std::vector<int>{tkn_and, tkn_or, tkn_not, tkn_where, tkn_order, tkn_by, tkn_desc, tkn_insert,
                                tkn_into, tkn_select, tkn_table, tkn_all, tkn_true, tkn_false, tkn_null}),
              tokensOf("and or not where order by desc insert into select table all true false null"));
    Lexed l;
    lexText(l, "AND And Where");
    EXPECT_EQ((std::vector<int>{tkn_ident, tkn_ident, tkn_ident}), l.tokens);
    EXPECT_STREQ("Where", l.lexer.name);
}

TEST(LexerTest, Literals)
{
    Lexed s;
    lexText(s, "'it''s'");
    ASSERT_EQ(std::vector<int>{tkn_sconst}, s.tokens);
    EXPECT_EQ("it's", s.lexer.svalue);
    EXPECT_EQ(5, s.lexer.svalueLength);

    struct Number {
        const char* text;
        int token;
        long long ivalue;
        double fvalue;
    } numbers[] = {
        {"123456789", tkn_iconst, 123456789, 0},
        {"1234567890", tkn_iconst, 1234567890LL, 0},
        {"9223372036854775807", tkn_iconst, 9223372036854775807LL, 0},
        {"007", tkn_iconst, 7, 0},
        {"1.5", tkn_fconst, 0, 1.5},
        {"1e5", tkn_fconst, 0, 1e5},
        {"2.", tkn_fconst, 0, 2.0},
        {"1E+3", tkn_fconst, 0, 1000.0},
        {"25e-1", tkn_fconst, 0, 2.5},
    };
    for (const Number& n : numbers) {
        Lexed l;
        lexText(l, n.text);
        ASSERT_EQ(std::vector<int>{n.token}, l.tokens) << n.text;
        if (n.token == tkn_iconst)
            EXPECT_EQ(n.ivalue, l.lexer.ivalue) << n.text;
        else
            EXPECT_DOUBLE_EQ(n.fvalue, l.lexer.fvalue) << n.text;
    }
}

TEST(LexerTest, ErrorsCarryTheirMessageAndPosition)
{
    const std::string longest(4096, 'a');
    const std::string tooLong(4097, 'a');
    const std::string longLiteral = "'" + longest + "'";
    const std::string tooLongLiteral = "'" + tooLong + "'";
    const std::string longName = "x = " + tooLong;
    struct Case {
        std::string text;
        const char* error;
        int position;
    } cases[] = {
        {"a !x", "Invalid token '!'", 2},
        {"a | b", "Invalid token '|'", 2},
        {"s = 'abc", "Unterminated character constant", 4},
        {tooLongLiteral, "String constant too long", 0},
        {longName, "Name too long", 4},
        {"i = 9223372036854775808", "Bad integer constant", 4},
        {"i = 99999999999999999999", "Bad integer constant", 4},
        {"d = 1e", "Bad floating point constant", 4},
        {"d = 1.5e+", "Bad floating point constant", 4},
        {"a # b", "Invalid symbol", 2},
        {"a = \"b\"", "Invalid symbol", 4},
        {"caf\xC3\xA9 = 1", "Invalid symbol", 3},
        {"x = 1\n  and @", "Invalid symbol", 6}, // counted from the start of its line
    };
    for (const Case& c : cases) {
        Lexed l;
        lexText(l, c.text.c_str());
        EXPECT_EQ(c.error, l.error) << c.text.substr(0, 30);
        EXPECT_EQ(c.position, l.errorPosition) << c.text.substr(0, 30);
    }
    EXPECT_EQ(std::vector<int>{tkn_sconst}, tokensOf(longLiteral.c_str()));
    EXPECT_EQ(std::vector<int>{tkn_ident}, tokensOf(longest.c_str()));
}

TEST(LexerTest, ElementListsMixTextAndParameters)
{
    int value = 3;
    dbQueryElement text1, param, text2;
    text1.ptr = "key =";
    text1.next = &param;
    param.type = dbQueryElement::qVarInt4;
    param.ptr = &value;
    param.next = &text2;
    text2.ptr = "and name = 'x'";
    Lexed l;
    lex(l, &text1);
    EXPECT_EQ((std::vector<int>{tkn_ident, tkn_eq, tkn_var, tkn_and, tkn_ident, tkn_eq, tkn_sconst}),
              l.tokens);
    EXPECT_EQ(dbQueryElement::qVarInt4, l.lexer.paramType);
    EXPECT_EQ(&value, l.lexer.paramAddress);

    // A literal cannot run on into the next element.
    dbQueryElement open, rest;
    open.ptr = "'abc";
    open.next = &rest;
    rest.ptr = "def'";
    Lexed u;
    lex(u, &open);
    EXPECT_EQ("Unterminated character constant", u.error);
}

TEST(LexerTest, PushBackReturnsTheTokenOnce)
{
    dbQueryElement e;
    e.ptr = "a b";
    dbLexer lexer;
    lexer.reset(&e);
    EXPECT_EQ(tkn_ident, lexer.get());
    lexer.unget(tkn_and);
    EXPECT_EQ(tkn_and, lexer.get());
    EXPECT_EQ(tkn_ident, lexer.get());
    EXPECT_EQ(tkn_eof, lexer.get());
    EXPECT_EQ(tkn_eof, lexer.get());
}

TEST(SymbolTableTest, NamesInternToOnePointer)
{
    dbSymbolTable& table = dbSymbolTable::instance();
    std::string a = "symbolTestName", b = "symbolTestName";
    const char* first = a.c_str();
    const char* second = b.c_str();
    EXPECT_EQ(0, table.add(first, 0, true));
    EXPECT_NE(a.c_str(), first); // a copy owned by the table
    EXPECT_EQ(0, table.add(second, 0, true));
    EXPECT_EQ(first, second);

    // An identifier spelt like an interned name gets the same pointer; others stay with the lexer
    // and never enter the table.
    Lexed l;
    lexText(l, "symbolTestName");
    EXPECT_EQ(first, l.lexer.name);
    Lexed other;
    lexText(other, "neverInternedName42 neverInternedName42");
    EXPECT_EQ(nullptr, table.find("neverInternedName42", 19));
    const char* kw = "where";
    EXPECT_EQ(tkn_where, table.add(kw, 0, true));
}

} // namespace
