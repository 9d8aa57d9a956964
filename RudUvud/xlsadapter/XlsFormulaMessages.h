#pragma once

#include "platform/rtl/Types.h"

#include <array>

// What both formula directions share: the table of built-in worksheet functions in their BIFF8
// numbering, the vocabulary of formula text and the number conversions of formula text. Formula
// text is locale-independent: "." is the decimal point and "," separates arguments.

// The three operand classes of BIFF8 tokens. A reference-class token id plus 0x20 is the value
// class, plus 0x40 the array class.
enum TFmReturnType : Byte { fmValue, fmRef, fmArray };

struct TCellFunctionData {
    Integer FuncIndex = 0;
    WideString FuncName; // upper-case English name as written in formulas
    Integer MinArgs = 0;
    Integer MaxArgs = 0; // 30 for the open-ended functions
    bool IsVolatile = false;
    TFmReturnType ResultClass = fmValue;
    // One letter per argument: V value, R reference, A array; the last letter covers every further
    // argument; "-" for a function without arguments.
    WideString ArgClasses;
};

inline constexpr Integer FuncNameCount = 368;

// Rows 0..367, indexed by function number. Numbers that name no function hold a placeholder named
// "NotAFunction<n>": formula text is upper-cased before the lookup, so no text can reach one.
const std::array<TCellFunctionData, FuncNameCount>& FuncNameArray();

// The function number of an upper-case name, or -1.
Integer FindFuncByName(const WideString& UpperName);

// The operand class function Func wants for its argument ArgIndex (0-based); a letter other than
// V, R, A or "-" raises "Tabrix: Logical Error".
TFmReturnType FuncArgClass(const TCellFunctionData& Func, Integer ArgIndex);

// The vocabulary of formula text, kept in one place so that the encoder and the decoder agree.
namespace zivXlsFormulaMessages {
extern const char* const fmErrNull;
extern const char* const fmErrDiv0;
extern const char* const fmErrValue;
extern const char* const fmErrRef;
extern const char* const fmErrName;
extern const char* const fmErrNum;
extern const char* const fmErrNA;
extern const char* const fmErrUnknown;
extern const char* const fmErrStart;
extern const char* const fmTrue;
extern const char* const fmFalse;
extern const char* const fmStartFormula;
extern const char* const fmFormulaDecimal;
extern const char* const fmFormulaThousands;
extern const char* const fmFunctionSep;
extern const char* const fmUnion;
extern const char* const fmIntersect;
extern const char* const fmSingleQuote;
extern const char* const fmOpenArray;
extern const char* const fmCloseArray;
extern const char* const fmOpenParen;
extern const char* const fmCloseParen;
extern const char* const fmArrayRowSep;
extern const char* const fmArrayColSep;
extern const char* const fmAbsoluteRef;
extern const char* const fmRangeSep;
extern const char* const fmExternalRef;
extern const char* const fmWorkbookOpen;
extern const char* const fmWorkbookClose;
extern const char* const fmTableText;
extern const char* const fmPlus;
extern const char* const fmMinus;
extern const char* const fmMul;
extern const char* const fmDiv;
extern const char* const fmPower;
extern const char* const fmPercent;
extern const char* const fmStr;
extern const char* const fmAnd;
extern const char* const fmLT;
extern const char* const fmLE;
extern const char* const fmEQ;
extern const char* const fmGE;
extern const char* const fmGT;
extern const char* const fmNE;

// Messages of the formula layer that the record layer does not already carry.
extern const char* const ErrStringStackEmpty;
extern const char* const ErrWhiteSpaceStackEmpty;
extern const char* const ErrExternalNames;
extern const char* const ErrArrayFormulas;
extern const char* const ErrNoReferences;
extern const char* const ErrFormulaTooDeep;
} // namespace zivXlsFormulaMessages

// Error codes of BIFF8 error values and their literals.
struct TFmErrorCode {
    Byte Code;
    const char* const* Text;
};
inline constexpr Integer FmErrorCount = 7;
const std::array<TFmErrorCode, FmErrorCount>& FmErrorCodes();
// The literal of an error code; "#TABRIX_UNKNOWN" for a code that names no error.
AnsiString FmErrorText(Byte Code);

// A number in formula notation: the runtime's general conversion with "." as decimal point
// whatever the locale, and no thousands separator.
AnsiString FmFloatToStr(Extended Value);
// The inverse; text that is not a number raises the runtime's conversion error.
Extended FmStrToFloat(const AnsiString& Text);

// Formula text is wide; these helpers move between it and the 8-bit vocabulary.
WideString FmWide(const AnsiString& Text);
