#pragma once

#include "platform/rtl/Types.h"

// The token ids of BIFF8 formulas, shared by the encoder, the decoder and the token fix-ups.
//
// A token array is a sequence of tokens, each a one-byte id followed by its operands. Ids below
// 0x20 are operators and constants and carry no class. Ids from 0x20 to 0x7F are operands and
// function calls whose bits 5 and 6 hold the class the token is evaluated in: 0x20 reference,
// 0x40 value, 0x60 array. The constants below name the reference-class form (0x20..0x3F);
// PtgBase folds any class back to it.

// ---- Operators and constants (no class) --------------------------------------------------------
inline constexpr Byte ptgExp = 0x01;      // pointer to the shared or array formula of a cell
inline constexpr Byte ptgTbl = 0x02;      // pointer to a table formula
inline constexpr Byte ptgAdd = 0x03;      // +
inline constexpr Byte ptgSub = 0x04;      // -
inline constexpr Byte ptgMul = 0x05;      // *
inline constexpr Byte ptgDiv = 0x06;      // /
inline constexpr Byte ptgPower = 0x07;    // ^
inline constexpr Byte ptgConcat = 0x08;   // &
inline constexpr Byte ptgLT = 0x09;       // <
inline constexpr Byte ptgLE = 0x0A;       // <=
inline constexpr Byte ptgEQ = 0x0B;       // =
inline constexpr Byte ptgGE = 0x0C;       // >=
inline constexpr Byte ptgGT = 0x0D;       // >
inline constexpr Byte ptgNE = 0x0E;       // <>
inline constexpr Byte ptgIsect = 0x0F;    // intersection (a space)
inline constexpr Byte ptgUnion = 0x10;    // ,
inline constexpr Byte ptgRange = 0x11;    // :
inline constexpr Byte ptgUplus = 0x12;    // unary +
inline constexpr Byte ptgUminus = 0x13;   // unary -
inline constexpr Byte ptgPercent = 0x14;  // %
inline constexpr Byte ptgParen = 0x15;    // ( ) kept for display
inline constexpr Byte ptgMissArg = 0x16;  // an omitted argument
inline constexpr Byte ptgStr = 0x17;      // string constant
inline constexpr Byte ptgAttr = 0x19;     // attribute: control flow, SUM of one argument, spaces
inline constexpr Byte ptgSheet = 0x1A;    // obsolete sheet markers, read and skipped
inline constexpr Byte ptgEndSheet = 0x1B; //
inline constexpr Byte ptgErr = 0x1C;      // error constant
inline constexpr Byte ptgBool = 0x1D;     // boolean constant
inline constexpr Byte ptgInt = 0x1E;      // integer constant 0..65535
inline constexpr Byte ptgNum = 0x1F;      // floating-point constant

// ---- Operands and calls (reference class) -------------------------------------------------------
inline constexpr Byte ptgArray = 0x20;     // array constant; its values follow the tokens
inline constexpr Byte ptgFunc = 0x21;      // function of fixed argument count
inline constexpr Byte ptgFuncVar = 0x22;   // function of variable argument count
inline constexpr Byte ptgName = 0x23;      // defined name
inline constexpr Byte ptgRef = 0x24;       // cell
inline constexpr Byte ptgArea = 0x25;      // area
inline constexpr Byte ptgMemArea = 0x26;   // constant reference sub-expression; areas follow the tokens
inline constexpr Byte ptgMemErr = 0x27;    // erroneous constant reference sub-expression
inline constexpr Byte ptgMemNoMem = 0x28;  // reference sub-expression without memory
inline constexpr Byte ptgMemFunc = 0x29;   // variable reference sub-expression
inline constexpr Byte ptgRefErr = 0x2A;    // deleted cell
inline constexpr Byte ptgAreaErr = 0x2B;   // deleted area
inline constexpr Byte ptgRefN = 0x2C;      // cell relative to the formula's cell (shared formulas)
inline constexpr Byte ptgAreaN = 0x2D;     // area relative to the formula's cell
inline constexpr Byte ptgMemAreaN = 0x2E;  // relative forms of the memory tokens
inline constexpr Byte ptgMemNoMemN = 0x2F; //
inline constexpr Byte ptgNameX = 0x39;     // name of another workbook or an add-in function
inline constexpr Byte ptgRef3d = 0x3A;     // cell on another sheet or sheet range
inline constexpr Byte ptgArea3d = 0x3B;    // area on another sheet or sheet range
inline constexpr Byte ptgRefErr3d = 0x3C;  // deleted 3-D cell
inline constexpr Byte ptgAreaErr3d = 0x3D; // deleted 3-D area

// ---- Token classes -------------------------------------------------------------------------------
inline constexpr Byte ptgClassRef = 0x20;
inline constexpr Byte ptgClassValue = 0x40;
inline constexpr Byte ptgClassArray = 0x60;
inline constexpr Byte ptgClassMask = 0x60;
// Ids from here on carry a class.
inline constexpr Byte ptgFirstClassed = 0x20;
// Ids from here on are not tokens of this format.
inline constexpr Byte ptgEnd = 0x80;

// The reference-class form of a token id: operands and calls of any class fold onto 0x20..0x3F,
// operators and constants stay as they are.
constexpr Byte PtgBase(Byte Raw)
{
    return Raw >= ptgFirstClassed ? static_cast<Byte>((Raw & 0x1F) | ptgClassRef) : Raw;
}
// The id Base (a reference-class id) in class Class.
constexpr Byte PtgWithClass(Byte Base, Byte Class)
{
    return static_cast<Byte>((Base & ~ptgClassMask) | Class);
}

// ---- The options byte of ptgAttr -----------------------------------------------------------------
inline constexpr Byte attrVolatile = 0x01; // the formula is recalculated on every change
inline constexpr Byte attrIf = 0x02;       // jump over the true branch of IF
inline constexpr Byte attrChoose = 0x04;   // CHOOSE's jump table follows
inline constexpr Byte attrGoto = 0x08;     // jump to the end of the call
inline constexpr Byte attrSum = 0x10;      // SUM of one argument
inline constexpr Byte attrBaxcel = 0x20;   // assignment-style = of a macro sheet
inline constexpr Byte attrSpace = 0x40;    // spaces or line breaks before a token

// ---- Cell references ------------------------------------------------------------------------------
// The column word of a cell reference: the column in the low byte, bit 14 set when the column is
// relative, bit 15 when the row is.
inline constexpr Word refColMask = 0x00FF;
inline constexpr Word refColRelative = 0x4000;
inline constexpr Word refRowRelative = 0x8000;
inline constexpr Word refColFlags = 0xFF00;
