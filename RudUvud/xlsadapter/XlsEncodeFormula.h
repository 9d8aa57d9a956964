#pragma once

#include "RudUvud/xlsadapter/VovStack.h"
#include "RudUvud/xlsadapter/XlsFormulaMessages.h"
#include "RudUvud/xlsadapter/XlsFormulaParser.h"

// Formula text as a user types it ("=SUM(A1:B3)*2") to the BIFF8 token array of FORMULA and NAME
// records. A recursive-descent reader that emits tokens in reverse Polish order, gives each
// reference the operand class its place needs and keeps the user's spaces as attribute tokens.
// Its output is decoded once more before it is accepted.
class TParseString : public TObject {
public:
    // A cell formula: CellList resolves sheet names (may be null for formulas without them).
    TParseString(const WideString& Formula, TFormulaContext* CellList, TFmReturnType InitialClass);
    // With aForce3d every plain reference becomes an absolute 3-D reference to aDefaultSheet (names).
    TParseString(const WideString& Formula, TFormulaContext* CellList, bool aForce3d,
                 const WideString& aDefaultSheet, TFmReturnType InitialClass);

    // Encodes; every refusal raises EExcelException with its message (a malformed number raises the
    // runtime's conversion error).
    void Parse();
    // Token bytes plus the 2-byte size word.
    Integer TotalSize() const;
    // Writes the size word and the tokens at Offset; the buffer must hold TotalSize bytes from there.
    void CopyToPtr(Byte* Buffer, Integer Offset) const;
    void CopyToPtrNoLen(Byte* Buffer, Integer Offset) const;
    const ByteArray& Tokens() const { return TokenBytes; }

private:
    Integer ParsePos = 1;
    WideString FormulaText;
    ByteArray TokenBytes;
    ByteArray ArrayBytes;
    Integer MaxErrorLen = 0;
    WideString NestingMarks;
    Integer LastRefIndex = -1;
    TFormulaContext* CellList = nullptr;
    TWhiteSpaceStack WsStack;
    WideString DefaultSheet;
    bool Force3d = false;
    TFmReturnType InitialClass = fmValue;

    bool AtEnd() const { return ParsePos > static_cast<Integer>(FormulaText.size()); }
    char16_t PeekChar() const; // 0 at the end
    char16_t Peek2Char() const;
    char16_t PeekCharWs() const;
    void NextChar();
    void SkipWhiteSpace();
    void UndoSkipWhiteSpace(Integer Position);
    void DiscardWhiteSpace();
    void PopWhiteSpace();
    void AddParsed(const ByteArray& Token, bool PopWs);
    void SetLastClass(TFmReturnType Wanted);

    void Expression();
    void AndTerm();
    void AddTerm();
    void MulTerm();
    void ExpTerm();
    void PerTerm();
    void NegTerm();
    void RefTerm();
    void Factor();
    void NumberConst();
    void StringConst();
    void ErrorConst();
    bool Reference();
    void Identifier();
    void QuotedSheet();
    void Reference3D(const WideString& Sheets);
    void FunctionCall(const WideString& Name);

    [[noreturn]] void UnexpectedChar(Integer At) const;
    AnsiString Text8() const;
};
