#include "engine286/Lexer.h"

#include "engine286/Symbols.h"

#include <charconv>
#include <system_error>

namespace {

// Classification is ASCII-only on unsigned bytes: bytes above 127 (Big5 or UTF-8 text outside a
// literal) are never letters, whatever the locale.
inline bool isDigit(unsigned char c)
{
    return c >= '0' && c <= '9';
}
inline bool isNameStart(unsigned char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '$' || c == '_';
}
inline bool isNameChar(unsigned char c)
{
    return isNameStart(c) || isDigit(c);
}
inline bool isSpace(unsigned char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

} // namespace

void dbLexer::reset(const dbQueryElement* first, int lineOffset)
{
    element = first;
    currPos = 0;
    firstPos = 0;
    lineAdjustment = lineOffset;
    pushedBack = false;
    name = nullptr;
    svalue.clear();
    svalueLength = 0;
    localNames.clear();
}

void dbLexer::error(const char* msg, int pos)
{
    if (pos < 0)
        pos = currPos;
    throw dbQueryError{msg, pos + lineAdjustment};
}

int dbLexer::get()
{
    if (pushedBack) {
        pushedBack = false;
        return pushedToken;
    }
    return scan();
}

int dbLexer::scan()
{
    for (;;) {
        if (!element)
            return tkn_eof;
        if (element->type != dbQueryElement::qExpression) {
            paramType = element->type;
            paramAddress = element->ptr;
            paramTable = element->ref;
            element = element->next;
            currPos = 0;
            return tkn_var;
        }
        const char* text = static_cast<const char*>(element->ptr);
        if (!text) {
            element = element->next;
            currPos = 0;
            continue;
        }
        unsigned char c;
        while (isSpace(c = (unsigned char)text[currPos])) {
            currPos++;
            if (c == '\n') {
                lineAdjustment = -currPos;
                firstPos = 0;
            }
        }
        if (c == '\0') {
            element = element->next;
            currPos = 0;
            continue;
        }
        const int start = currPos;
        currPos++;
        switch (c) {
        case '\'': {
            svalue.clear();
            for (;;) {
                char ch = text[currPos];
                if (ch == '\0')
                    error("Unterminated character constant", start);
                currPos++;
                if (ch == '\'') {
                    if (text[currPos] != '\'')
                        break;
                    currPos++; // two quotes stand for one
                }
                if (svalue.size() >= std::size_t(maxStringLength))
                    error("String constant too long", start);
                svalue.push_back(ch);
            }
            svalueLength = int(svalue.size()) + 1;
            return tkn_sconst;
        }
        case '-':
            if (text[currPos] == '-') {
                // A comment to the end of the line or of the element.
                while (text[currPos] != '\0' && text[currPos] != '\n')
                    currPos++;
                continue;
            }
            return tkn_sub;
        case '<':
            if (text[currPos] == '=') {
                currPos++;
                return tkn_le;
            }
            if (text[currPos] == '>') {
                currPos++;
                return tkn_ne;
            }
            return tkn_lt;
        case '>':
            if (text[currPos] == '=') {
                currPos++;
                return tkn_ge;
            }
            return tkn_gt;
        case '!':
            if (text[currPos] != '=')
                error("Invalid token '!'", start);
            currPos++;
            return tkn_ne;
        case '|':
            if (text[currPos] != '|')
                error("Invalid token '|'", start);
            currPos++;
            return tkn_add;
        case '(':
            return tkn_lpar;
        case ')':
            return tkn_rpar;
        case '[':
            return tkn_lbr;
        case ']':
            return tkn_rbr;
        case '.':
            return tkn_dot;
        case ',':
            return tkn_comma;
        case '^':
            return tkn_power;
        case '*':
            return tkn_mul;
        case '/':
            return tkn_div;
        case '+':
            return tkn_add;
        case '=':
            return tkn_eq;
        case ':':
            return tkn_col;
        default:
            break;
        }
        if (isDigit(c))
            return scanNumber(text, start);
        if (isNameStart(c)) {
            while (isNameChar((unsigned char)text[currPos])) {
                if (currPos - start >= maxNameLength)
                    error("Name too long", start);
                currPos++;
            }
            const std::size_t len = std::size_t(currPos - start);
            int tag = 0;
            if (const char* interned = dbSymbolTable::instance().find(text + start, len, &tag)) {
                name = interned;
                return tag;
            }
            // Not a keyword nor any table or field name: kept here only.
            name = localNames.emplace(text + start, len).first->c_str();
            return tkn_ident;
        }
        error("Invalid symbol", start);
    }
}

// A number starts at text[start]. A sign is never part of it. Reals are scanned here rather
// than by the C library, so that what is accepted depends neither on the library nor on the
// locale: digits [ "." digits ] [ ("e" | "E") [ "+" | "-" ] digits ].
int dbLexer::scanNumber(const char* text, int start)
{
    int p = start;
    while (isDigit((unsigned char)text[p]))
        p++;
    const int digitsEnd = p;
    char next = text[p];
    if (next == '.' || next == 'e' || next == 'E') {
        if (next == '.') {
            p++;
            while (isDigit((unsigned char)text[p]))
                p++;
        }
        if (text[p] == 'e' || text[p] == 'E') {
            int q = p + 1;
            if (text[q] == '+' || text[q] == '-')
                q++;
            if (!isDigit((unsigned char)text[q]))
                error("Bad floating point constant", start);
            while (isDigit((unsigned char)text[q]))
                q++;
            p = q;
        }
        auto r = std::from_chars(text + start, text + p, fvalue);
        if (r.ec != std::errc() || r.ptr != text + p)
            error("Bad floating point constant", start);
        currPos = p;
        return tkn_fconst;
    }
    currPos = digitsEnd;
    if (digitsEnd - start <= 9) {
        std::int64_t v = 0;
        for (int i = start; i < digitsEnd; i++)
            v = v * 10 + (text[i] - '0');
        ivalue = v;
        return tkn_iconst;
    }
    std::int64_t v = 0;
    auto r = std::from_chars(text + start, text + digitsEnd, v);
    if (r.ec != std::errc() || r.ptr != text + digitsEnd)
        error("Bad integer constant", start);
    ivalue = v;
    return tkn_iconst;
}
