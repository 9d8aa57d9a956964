// Formula text to the token bytes a FORMULA, NAME or similar record stores. The stored form is
// reverse Polish: operands first, then the operator or function that takes them. TParseString
// is a recursive-descent parser with one function per precedence level, lowest first
// (comparisons, "&", "+" and "-", "*" and "/", "^", "%", unary signs, references joined by ":"
// and ",", then a factor), and each level appends its tokens as soon as its operands are done, so
// the tokens come out in reverse Polish order without a syntax tree in between.
//
// A token's class (reference, value or array) depends on what consumes it, which is known only
// after the operand was written: SetLastClass goes back and sets the class of the last operand
// when the operator or the function argument that takes it is reached (the table gives each
// argument's class). Spaces are kept as attribute tokens (the white-space stack holds them until
// the token they precede is written), so the text reads back as it was typed. Function names are
// looked up in the built-in table, whose argument counts decide between the fixed and the
// variable form of the call.
//
// Hostile or careless text is bounded: at most 1,023 characters are read and brackets and calls
// nest at most 256 deep, which bounds the recursion. Finally the tokens are decoded again with
// the reader's own decoder: text that produced tokens the reader cannot decode is refused as an
// invalid formula, so the engine never stores a formula it could not show.

#include "RudUvud/xlsadapter/XlsEncodeFormula.h"

#include "RudUvud/xlsadapter/XlsFormulaTokens.h"
#include "RudUvud/xlsadapter/XlsMessages.h"
#include "RudUvud/xlsadapter/XlsStrings.h"
#include "platform/rtl/Conversions.h"
#include "platform/rtl/Strings.h"

#include <cmath>
#include <cstring>

using namespace zivXlsFormulaMessages;
using namespace zivXlsMessages;

namespace {

// Longest formula text read, in characters.
constexpr Integer MaxFormulaLen = 1023;
// Brackets and calls nest at most this deep: each level costs the reader a handful of stack frames.
constexpr Integer MaxNesting = 256;

bool IsLetter(char16_t c)
{
    return (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z');
}

bool IsDigit(char16_t c)
{
    return c >= u'0' && c <= u'9';
}

char16_t Upper8(char16_t c)
{
    if (c >= u'a' && c <= u'z')
        return static_cast<char16_t>(c - 32);
    // The upper half of the 8-bit set: à..þ but not ÷.
    if (c >= 0xE0 && c <= 0xFE && c != 0xF7)
        return static_cast<char16_t>(c - 32);
    return c;
}

// A token id in the class a function returns.
Byte WithClass(Byte RefId, TFmReturnType Class)
{
    switch (Class) {
    case fmValue:
        return PtgWithClass(RefId, ptgClassValue);
    case fmArray:
        return PtgWithClass(RefId, ptgClassArray);
    default:
        return PtgWithClass(RefId, ptgClassRef);
    }
}

void PutWord(ByteArray& B, Integer V)
{
    B.push_back(static_cast<Byte>(V & 0xFF));
    B.push_back(static_cast<Byte>((V >> 8) & 0xFF));
}

// One part of a reference: "$"? letters "$"? digits.
struct TRefPart {
    bool HasLetters = false;
    bool HasDigits = false;
    bool AbsCol = false;
    bool AbsRow = false;
    Integer Col = 0; // 1-based
    Integer Row = 0; // 1-based
    bool ValidCell() const
    {
        return HasLetters && HasDigits && Row >= 1 && Row <= 65536 && Col >= 1 && Col <= 256;
    }
};

} // namespace

TParseString::TParseString(const WideString& Formula, TFormulaContext* aCellList, TFmReturnType aInitialClass)
    : FormulaText(Formula), CellList(aCellList), InitialClass(aInitialClass)
{
    for (const TFmErrorCode& e : FmErrorCodes())
        MaxErrorLen = std::max(MaxErrorLen, static_cast<Integer>(std::strlen(*e.Text)));
}

TParseString::TParseString(const WideString& Formula, TFormulaContext* aCellList, bool aForce3d,
                           const WideString& aDefaultSheet, TFmReturnType aInitialClass)
    : TParseString(Formula, aCellList, aInitialClass)
{
    DefaultSheet = aDefaultSheet;
    Force3d = aForce3d;
}

AnsiString TParseString::Text8() const
{
    return UTF8Encode(FormulaText);
}

void TParseString::UnexpectedChar(Integer At) const
{
    const WideString c = At >= 1 && At <= static_cast<Integer>(FormulaText.size())
                             ? WideString(1, FormulaText[static_cast<size_t>(At - 1)])
                             : WideString();
    XlsError(ErrUnexpectedChar, {UTF8Encode(c), Int64(At), Text8()});
}

char16_t TParseString::PeekChar() const
{
    return AtEnd() ? 0 : FormulaText[static_cast<size_t>(ParsePos - 1)];
}

char16_t TParseString::Peek2Char() const
{
    return ParsePos + 1 > static_cast<Integer>(FormulaText.size())
               ? 0
               : FormulaText[static_cast<size_t>(ParsePos)];
}

char16_t TParseString::PeekCharWs() const
{
    size_t i = static_cast<size_t>(ParsePos - 1);
    while (i < FormulaText.size() && FormulaText[i] == u' ')
        ++i;
    return i < FormulaText.size() ? FormulaText[i] : 0;
}

void TParseString::NextChar()
{
    if (!AtEnd())
        ++ParsePos;
    if (ParsePos > MaxFormulaLen + 1)
        XlsError(ErrFormulaTooLong, {Text8()});
}

void TParseString::SkipWhiteSpace()
{
    TWhiteSpace ws;
    while (PeekChar() == u' ') {
        NextChar();
        if (ws.SpaceCount < 255)
            ++ws.SpaceCount;
    }
    const char16_t next = PeekChar();
    ws.SpaceKind = next == u'(' ? 2 : next == u')' ? 4 : 0;
    WsStack.Push(ws);
}

void TParseString::UndoSkipWhiteSpace(Integer Position)
{
    TWhiteSpace ws;
    WsStack.Pop(ws);
    ParsePos = Position;
}

void TParseString::DiscardWhiteSpace()
{
    TWhiteSpace ws;
    WsStack.Pop(ws);
}

void TParseString::PopWhiteSpace()
{
    TWhiteSpace ws;
    WsStack.Pop(ws);
    if (ws.SpaceCount > 0) {
        TokenBytes.push_back(ptgAttr);
        TokenBytes.push_back(attrSpace);
        TokenBytes.push_back(ws.SpaceKind);
        TokenBytes.push_back(ws.SpaceCount);
    }
}

void TParseString::AddParsed(const ByteArray& Token, bool PopWs)
{
    if (PopWs)
        PopWhiteSpace();
    if (Token[0] != ptgParen && Token[0] != ptgAttr)
        LastRefIndex = static_cast<Integer>(TokenBytes.size());
    TokenBytes.insert(TokenBytes.end(), Token.begin(), Token.end());
}

void TParseString::SetLastClass(TFmReturnType Wanted)
{
    if (LastRefIndex < 0 || LastRefIndex >= static_cast<Integer>(TokenBytes.size()))
        XlsError(ErrInternal);
    Byte& id = TokenBytes[static_cast<size_t>(LastRefIndex)];
    if (id < ptgFirstClassed || id >= ptgEnd || Wanted == fmRef)
        return;
    if (Wanted == fmValue) {
        // An array stays an array.
        if ((id & ptgClassMask) != ptgClassArray)
            id = PtgWithClass(id, ptgClassValue);
    } else {
        id = PtgWithClass(id, ptgClassArray);
    }
}

void TParseString::Parse()
{
    LastRefIndex = -1;
    NestingMarks.clear();
    TokenBytes.clear();
    ArrayBytes.clear();
    ParsePos = 1;
    while (WsStack.Count() > 0)
        DiscardWhiteSpace();
    if (FormulaText.empty() || FormulaText[0] != fmStartFormula[0])
        XlsError(ErrFormulaStart, {Text8()});
    NextChar();
    Expression();
    SetLastClass(InitialClass);
    if (!AtEnd())
        UnexpectedChar(ParsePos);
    if (WsStack.Count() > 0)
        XlsError(ErrInternal);

    ByteArray check(static_cast<size_t>(TotalSize()));
    CopyToPtr(check.data(), 0);
    try {
        RPNToString(check, 2, CellList);
    } catch (const Exception&) {
        XlsError(ErrFormulaInvalid, {Text8()});
    }
}

Integer TParseString::TotalSize() const
{
    return static_cast<Integer>(TokenBytes.size() + ArrayBytes.size()) + 2;
}

void TParseString::CopyToPtr(Byte* Buffer, Integer Offset) const
{
    SetWord(Buffer, Offset, static_cast<Word>(TokenBytes.size()));
    CopyToPtrNoLen(Buffer, Offset + 2);
}

void TParseString::CopyToPtrNoLen(Byte* Buffer, Integer Offset) const
{
    if (!TokenBytes.empty())
        std::memcpy(Buffer + Offset, TokenBytes.data(), TokenBytes.size());
    if (!ArrayBytes.empty())
        std::memcpy(Buffer + Offset + TokenBytes.size(), ArrayBytes.data(), ArrayBytes.size());
}

// ---- Grammar, lowest precedence first --------------------------------------------------------

void TParseString::Expression()
{
    AndTerm();
    for (;;) {
        const char16_t c = PeekCharWs();
        if (c != u'=' && c != u'<' && c != u'>')
            return;
        SkipWhiteSpace();
        NextChar();
        Byte op = c == u'=' ? ptgEQ : c == u'<' ? ptgLT : ptgGT;
        const char16_t c2 = PeekChar();
        if (c == u'<' && c2 == u'=') {
            op = ptgLE;
            NextChar();
        } else if (c == u'>' && c2 == u'=') {
            op = ptgGE;
            NextChar();
        } else if (c == u'<' && c2 == u'>') {
            op = ptgNE;
            NextChar();
        }
        SetLastClass(fmValue);
        AndTerm();
        SetLastClass(fmValue);
        AddParsed({op}, true);
    }
}

void TParseString::AndTerm()
{
    AddTerm();
    while (PeekCharWs() == u'&') {
        SkipWhiteSpace();
        NextChar();
        SetLastClass(fmValue);
        AddTerm();
        SetLastClass(fmValue);
        AddParsed({ptgConcat}, true);
    }
}

void TParseString::AddTerm()
{
    MulTerm();
    for (;;) {
        const char16_t c = PeekCharWs();
        if (c != u'+' && c != u'-')
            return;
        SkipWhiteSpace();
        NextChar();
        SetLastClass(fmValue);
        MulTerm();
        SetLastClass(fmValue);
        AddParsed({c == u'+' ? ptgAdd : ptgSub}, true);
    }
}

void TParseString::MulTerm()
{
    ExpTerm();
    for (;;) {
        const char16_t c = PeekCharWs();
        if (c != u'*' && c != u'/')
            return;
        SkipWhiteSpace();
        NextChar();
        SetLastClass(fmValue);
        ExpTerm();
        SetLastClass(fmValue);
        AddParsed({c == u'*' ? ptgMul : ptgDiv}, true);
    }
}

void TParseString::ExpTerm()
{
    PerTerm();
    while (PeekCharWs() == u'^') {
        SkipWhiteSpace();
        NextChar();
        SetLastClass(fmValue);
        PerTerm();
        SetLastClass(fmValue);
        AddParsed({ptgPower}, true);
    }
}

void TParseString::PerTerm()
{
    NegTerm();
    while (PeekCharWs() == u'%') {
        SkipWhiteSpace();
        NextChar();
        SetLastClass(fmValue);
        AddParsed({ptgPercent}, true);
    }
}

void TParseString::NegTerm()
{
    WideString signs;
    for (;;) {
        const char16_t c = PeekCharWs();
        if (c != u'+' && c != u'-')
            break;
        SkipWhiteSpace();
        NextChar();
        signs += c;
    }
    RefTerm();
    for (char16_t c : signs) {
        SetLastClass(fmValue);
        AddParsed({c == u'+' ? ptgUplus : ptgUminus}, true);
    }
}

void TParseString::RefTerm()
{
    Factor();
    for (;;) {
        const char16_t c = PeekCharWs();
        const bool inArgs = !NestingMarks.empty() && NestingMarks.back() == u'1';
        if (c != u':' && !(c == u',' && !inArgs))
            return;
        SkipWhiteSpace();
        NextChar();
        SetLastClass(fmRef);
        Factor();
        SetLastClass(fmRef);
        AddParsed({c == u':' ? ptgRange : ptgUnion}, true);
    }
}

void TParseString::Factor()
{
    const Integer start = ParsePos;
    SkipWhiteSpace();
    if (AtEnd())
        XlsError(ErrUnexpectedEof, {Text8()});
    const char16_t c = PeekChar();
    if (c >= 256)
        UnexpectedChar(ParsePos);
    if (c == u'(') {
        if (static_cast<Integer>(NestingMarks.size()) >= MaxNesting)
            XlsError(ErrFormulaTooDeep, {Text8()});
        NextChar();
        NestingMarks += u'0';
        Expression();
        SkipWhiteSpace();
        if (PeekChar() != u')')
            XlsError(ErrMissingParen, {Text8()});
        NextChar();
        NestingMarks.pop_back();
        PopWhiteSpace();
        AddParsed({ptgParen}, true);
    } else if (c == u'"') {
        StringConst();
    } else if (c == u'{') {
        XlsError(ErrArrayFormulas);
    } else if (c == fmErrStart[0]) {
        ErrorConst();
    } else if (Reference()) {
        // emitted
    } else if (IsDigit(c) || c == u'.') {
        NumberConst();
    } else if (IsLetter(c) || c == u'_' || c == u'\\') {
        Identifier();
    } else if (c == u'\'') {
        QuotedSheet();
    } else {
        UndoSkipWhiteSpace(start);
    }
}

void TParseString::NumberConst()
{
    AnsiString text;
    while (IsDigit(PeekChar()) || PeekChar() == u'.') {
        text += static_cast<char>(PeekChar());
        NextChar();
    }
    if (PeekChar() == u'e' || PeekChar() == u'E') {
        text += 'E';
        NextChar();
        if (PeekChar() == u'+' || PeekChar() == u'-') {
            text += static_cast<char>(PeekChar());
            NextChar();
        }
        while (IsDigit(PeekChar())) {
            text += static_cast<char>(PeekChar());
            NextChar();
        }
    }
    const double value = static_cast<double>(FmStrToFloat(text));
    ByteArray token;
    if (value >= 0 && value <= 65535 && std::floor(value) == value) {
        token.push_back(ptgInt);
        PutWord(token, static_cast<Integer>(value));
    } else {
        token.resize(9);
        token[0] = ptgNum;
        SetDouble(token.data(), 1, value);
    }
    AddParsed(token, true);
}

void TParseString::StringConst()
{
    NextChar(); // the opening quote
    WideString s;
    for (;;) {
        if (AtEnd())
            XlsError(ErrUnterminatedString, {Text8()});
        const char16_t c = PeekChar();
        NextChar();
        if (c == u'"') {
            if (PeekChar() != u'"')
                break;
            NextChar();
        }
        s += c;
    }
    TExcelString str(1, s);
    ByteArray token{ptgStr};
    str.SaveToBytes(token);
    AddParsed(token, true);
}

void TParseString::ErrorConst()
{
    WideString text;
    for (;;) {
        if (AtEnd() || static_cast<Integer>(text.size()) >= MaxErrorLen)
            XlsError(ErrUnexpectedId, {UTF8Encode(text), Text8()});
        text += Upper8(PeekChar());
        NextChar();
        for (const TFmErrorCode& e : FmErrorCodes()) {
            if (text == FmWide(*e.Text)) {
                AddParsed({ptgErr, e.Code}, true);
                return;
            }
        }
    }
}

namespace {

// Reads "$"? letters "$"? digits at Pos (0-based index into S); returns the position after it.
size_t ReadRefPart(const WideString& S, size_t Pos, TRefPart& Part)
{
    Part = TRefPart();
    size_t i = Pos;
    if (i < S.size() && S[i] == u'$') {
        Part.AbsCol = true;
        ++i;
    }
    while (i < S.size() && IsLetter(S[i]) && Part.Col <= 256) {
        Part.Col = Part.Col * 26 + (Upper8(S[i]) - u'A' + 1);
        Part.HasLetters = true;
        ++i;
    }
    if (!Part.HasLetters && Part.AbsCol) {
        // A "$" with no letters after it belongs to the row.
        Part.AbsCol = false;
        Part.AbsRow = true;
    } else if (i < S.size() && S[i] == u'$') {
        Part.AbsRow = true;
        ++i;
    }
    while (i < S.size() && IsDigit(S[i]) && Part.Row < 65537) {
        Part.Row = Part.Row * 10 + (S[i] - u'0');
        Part.HasDigits = true;
        ++i;
    }
    return i;
}

Word ColWord(const TRefPart& P, Integer Col)
{
    Word w = static_cast<Word>(Col & refColMask);
    if (!P.AbsRow)
        w |= refRowRelative;
    if (!P.AbsCol)
        w |= refColRelative;
    return w;
}

} // namespace

bool TParseString::Reference()
{
    const size_t begin = static_cast<size_t>(ParsePos - 1);
    TRefPart a, b;
    size_t after = ReadRefPart(FormulaText, begin, a);
    bool area = false;
    size_t afterArea = after;
    if (after < FormulaText.size() && FormulaText[after] == u':') {
        afterArea = ReadRefPart(FormulaText, after + 1, b);
        if (a.ValidCell() && b.ValidCell())
            area = true;
        else if (!a.HasLetters && !b.HasLetters && a.HasDigits && b.HasDigits && a.Row >= 1 &&
                 a.Row <= 65536 && b.Row >= 1 && b.Row <= 65536) {
            a.Col = 1;
            b.Col = 256;
            area = true;
        } else if (!a.HasDigits && !b.HasDigits && a.HasLetters && b.HasLetters && a.Col >= 1 &&
                   a.Col <= 256 && b.Col >= 1 && b.Col <= 256) {
            a.Row = 1;
            b.Row = 65536;
            area = true;
        }
    }
    if (!area && !a.ValidCell())
        return false;

    const size_t stop = area ? afterArea : after;
    while (static_cast<size_t>(ParsePos - 1) < stop)
        NextChar();

    const bool to3d = Force3d;
    if (to3d) {
        // Names refer to their sheet absolutely.
        a.AbsCol = a.AbsRow = b.AbsCol = b.AbsRow = true;
    }
    ByteArray token;
    Word sheetRef = 0;
    if (to3d) {
        const Integer sheet = CellList ? CellList->FindSheet(DefaultSheet) : -1;
        if (sheet < 0)
            XlsError(ErrInvalidSheet, {UTF8Encode(DefaultSheet)});
        sheetRef = CellList->AddExternSheet(sheet, sheet);
    }
    if (area) {
        token.push_back(to3d ? ptgArea3d : ptgArea);
        if (to3d)
            PutWord(token, sheetRef);
        PutWord(token, a.Row - 1);
        PutWord(token, b.Row - 1);
        PutWord(token, ColWord(a, a.Col - 1));
        PutWord(token, ColWord(b, b.Col - 1));
    } else {
        token.push_back(to3d ? ptgRef3d : ptgRef);
        if (to3d)
            PutWord(token, sheetRef);
        PutWord(token, a.Row - 1);
        PutWord(token, ColWord(a, a.Col - 1));
    }
    AddParsed(token, true);
    return true;
}

void TParseString::Identifier()
{
    WideString name;
    for (;;) {
        const char16_t c = PeekChar();
        if (!(IsLetter(c) || IsDigit(c) || c == u'_' || c == u'\\' || c == u'.' || c == u':'))
            break;
        name += Upper8(c);
        NextChar();
    }
    const char16_t next = PeekChar();
    if (next == u'(') {
        FunctionCall(name);
    } else if (next == u'!') {
        NextChar();
        Reference3D(name);
    } else if (name == FmWide(fmTrue) || name == FmWide(fmFalse)) {
        AddParsed({ptgBool, static_cast<Byte>(name == FmWide(fmTrue) ? 1 : 0)}, true);
    } else {
        XlsError(ErrUnexpectedId, {UTF8Encode(name), Text8()});
    }
}

void TParseString::QuotedSheet()
{
    NextChar(); // the opening quote
    WideString name;
    for (;;) {
        if (AtEnd())
            XlsError(ErrUnterminatedString, {Text8()});
        const char16_t c = PeekChar();
        NextChar();
        if (c == u'\'') {
            if (PeekChar() != u'\'')
                break;
            NextChar();
        }
        name += c;
    }
    if (PeekChar() != u'!')
        UnexpectedChar(ParsePos);
    NextChar();
    Reference3D(name);
}

void TParseString::Reference3D(const WideString& Sheets)
{
    const size_t colon = Sheets.find(u':');
    const WideString first = colon == WideString::npos ? Sheets : Sheets.substr(0, colon);
    const WideString last = colon == WideString::npos ? Sheets : Sheets.substr(colon + 1);
    Integer s1 = -1, s2 = -1;
    if (CellList) {
        s1 = CellList->FindSheet(first);
        if (s1 >= 0)
            s2 = CellList->FindSheet(last);
    }
    if (s1 < 0)
        XlsError(ErrInvalidSheet, {UTF8Encode(first)});
    if (s2 < 0)
        XlsError(ErrInvalidSheet, {UTF8Encode(last)});
    const Word sheetRef = CellList->AddExternSheet(s1, s2);

    const size_t begin = static_cast<size_t>(ParsePos - 1);
    TRefPart a, b;
    const size_t after = ReadRefPart(FormulaText, begin, a);
    const bool letterAfter = after < FormulaText.size() && IsLetter(FormulaText[after]);
    const bool invalid = (!a.HasLetters || a.Col == 0) && (!a.HasDigits || a.Row == 0);
    if (invalid || a.Row > 65536 || a.Col > 256 || letterAfter) {
        // Not a reference: a name of another sheet or workbook.
        WideString name;
        while (!AtEnd()) {
            const char16_t c = PeekChar();
            if (!(IsLetter(c) || IsDigit(c) || c == u'_' || c == u'\\' || c == u'.'))
                break;
            name += Upper8(c);
            NextChar();
        }
        XlsError((AnsiString(ErrExternalNames) + UTF8Encode(name)).c_str());
    }
    bool area = false;
    size_t stop = after;
    if (after < FormulaText.size() && FormulaText[after] == u':') {
        const size_t afterB = ReadRefPart(FormulaText, after + 1, b);
        if (a.ValidCell() && b.ValidCell()) {
            area = true;
        } else if (!a.HasLetters && !b.HasLetters && a.HasDigits && b.HasDigits && b.Row >= 1 &&
                   b.Row <= 65536) {
            a.Col = 1;
            b.Col = 256;
            area = true;
        } else if (!a.HasDigits && !b.HasDigits && a.HasLetters && b.HasLetters && b.Col >= 1 &&
                   b.Col <= 256) {
            a.Row = 1;
            b.Row = 65536;
            area = true;
        }
        if (area)
            stop = afterB;
    }
    if (!area && !a.ValidCell())
        XlsError(ErrUnexpectedId, {IntToStr(a.Row) + ", " + IntToStr(a.Col), Text8()});
    while (static_cast<size_t>(ParsePos - 1) < stop)
        NextChar();
    ByteArray token;
    token.push_back(area ? ptgArea3d : ptgRef3d);
    PutWord(token, sheetRef);
    if (area) {
        PutWord(token, a.Row - 1);
        PutWord(token, b.Row - 1);
        PutWord(token, ColWord(a, a.Col - 1));
        PutWord(token, ColWord(b, b.Col - 1));
    } else {
        PutWord(token, a.Row - 1);
        PutWord(token, ColWord(a, a.Col - 1));
    }
    AddParsed(token, true);
}

void TParseString::FunctionCall(const WideString& Name)
{
    const Integer index = FindFuncByName(Name);
    if (index < 0)
        XlsError(ErrFunctionNotFound, {UTF8Encode(Name), Text8()});
    const TCellFunctionData& func = FuncNameArray()[index];
    if (static_cast<Integer>(NestingMarks.size()) >= MaxNesting)
        XlsError(ErrFormulaTooDeep, {Text8()});
    NextChar(); // "("
    NestingMarks += u'1';
    Integer count = 0;
    for (;;) {
        const Integer before = ParsePos;
        const size_t tokensBefore = TokenBytes.size();
        Expression();
        if (ParsePos == before && TokenBytes.size() == tokensBefore) {
            SkipWhiteSpace();
            if (count > 0 || PeekChar() == u',') {
                AddParsed({ptgMissArg}, true);
                ++count;
            } else {
                DiscardWhiteSpace();
            }
        } else {
            SetLastClass(FuncArgClass(func, count));
            ++count;
            SkipWhiteSpace();
            if (PeekChar() == u',')
                DiscardWhiteSpace();
            else
                PopWhiteSpace();
        }
        const char16_t c = PeekChar();
        if (AtEnd())
            XlsError(ErrUnexpectedEof, {Text8()});
        if (c == u',') {
            NextChar();
            if (AtEnd())
                XlsError(ErrUnexpectedEof, {Text8()});
            continue;
        }
        if (c == u')')
            break;
        UnexpectedChar(ParsePos);
    }
    if (PeekChar() != u')')
        XlsError(ErrMissingParen, {Text8()});
    NextChar();
    NestingMarks.pop_back();
    if (count < func.MinArgs || count > func.MaxArgs)
        XlsError(ErrInvalidNumberOfParams, {UTF8Encode(Name), Int64(func.MinArgs), Int64(count)});
    ByteArray token;
    if (func.MinArgs == func.MaxArgs) {
        token.push_back(WithClass(ptgFunc, func.ResultClass));
    } else {
        token.push_back(WithClass(ptgFuncVar, func.ResultClass));
        token.push_back(static_cast<Byte>(count));
    }
    PutWord(token, index);
    AddParsed(token, true);
}
