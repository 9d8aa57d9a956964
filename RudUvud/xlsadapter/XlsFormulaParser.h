#pragma once

#include "RudUvud/xlsadapter/VovMessages.h"

// Formula tokens to formula text.

// What the formula encoder and decoder ask of the sheet around a formula: implemented by the cell
// store, which knows the sheet's array and table formulas and the workbook's references.
class TFormulaContext {
public:
    virtual ~TFormulaContext() = default;
    // The data of the ARRAY or TABLE record of the array or table formula anchored at the cell;
    // a cell without one raises the store's error.
    virtual ByteArray ArrayFormula(Integer Row, Integer Col) = 0;
    virtual ByteArray TableFormula(Integer Row, Integer Col) = 0;
    // A defined name (ExternSheet -1) or an external name, by 0-based index.
    virtual WideString GetName(Integer ExternSheet, Integer NameIndex) = 0;
    // The sheet part of a 3-D reference, quoted and ending in "!".
    virtual WideString GetSheetName(Integer ExternSheet) = 0;
    // The 0-based sheet of that name, compared without case; -1 when there is none.
    virtual Integer FindSheet(const WideString& Name) = 0;
    // The EXTERNSHEET index of a sheet range of this workbook, added when missing.
    virtual Word AddExternSheet(Integer FirstSheet, Integer LastSheet) = 0;
};

// The text of the token array of Data that starts at Start (its 16-bit size stands at Start - 2;
// array constants follow the tokens). FORMULA data is decoded from 22, NAME-like buffers with a size
// word from 2, ARRAY data from 14. The result starts with "=", or is the braced form "{=...}" for a
// cell that points at an array or table formula.
//
// Every read is bounded by DataSize: a token, string, array constant or attribute table that does
// not fit raises "Error reading formula, Token Id: 0x%2x is not supported" with the token id, as
// does a pointer to an array formula found inside an array formula. Cells may be null for token
// arrays without names, 3-D references or pointers.
WideString RPNToString(const Byte* Data, Integer DataSize, Integer Start, TFormulaContext* Cells);
WideString RPNToString(const ByteArray& Data, Integer Start, TFormulaContext* Cells);

// The text of a cell reference: "$" before the column unless bit 14 of the column word is set,
// before the row unless bit 15 is; the column is the word's low byte.
WideString FmCellText(Word Row, Word ColWord);
