#pragma once

#include "RudUvud/xlsadapter/BaseRecords.h"

// Walking a BIFF8 token array in place: moving its cell references when rows, columns or sheets are
// inserted, deleted or copied, and making a shared formula's references absolute for one cell.
// References pushed out of the sheet become #REF! tokens.

// A token the formula layer cannot handle, or one that does not fit in its token array.
class ETokenException : public EExcelException {
public:
    explicit ETokenException(Integer aTokenId);
    Integer TokenId;
};

// Reads the BIFF8 string at Pos (1- or 2-byte length, option byte, optional run count and far-east
// size, characters, runs, far-east data) without passing End. False when it does not fit; else
// Size is its byte size and Text (when given) its characters.
bool FmReadString(const Byte* Data, Integer Pos, Integer End, bool Len16, Integer& Size, WideString* Text);

// The byte size of the token at Pos, id included, bounded by End: raises ETokenException for an
// unknown id or a token that runs past End.
Integer FmTokenSize(const Byte* Data, Integer Pos, Integer End);

// Moves the references of the tokens in [Start, End). Rows inserted at RowPos (deleted when
// RowCount is negative) and columns likewise on the sheet SheetInfo.InsSheet; then every relative
// number (every number when RelativeOnly is false) moves by RowOffset and ColOffset.
void UXlsTokenArray_ArrangeInsertRowsAndCols(Byte* Data, Integer Start, Integer End, Integer RowPos,
                                             Integer RowCount, Integer RowOffset, Integer ColPos,
                                             Integer ColCount, Integer ColOffset, const TSheetInfo& SheetInfo,
                                             bool RelativeOnly);

// The rows (or columns) First..Last of a cell range after Count of them were inserted at Pos
// (deleted from Pos on when Count is negative): deleted ones shrink it by the rule of an area
// reference, and a range pushed past Max ends at Max. False when its first row (column) was
// deleted or left the sheet.
bool UXlsTokenArray_ArrangeRange(Integer& First, Integer& Last, Integer Pos, Integer Count, Integer Max);

// After a sheet was copied from SheetInfo.FormulaSheet to SheetInfo.InsSheet: 3-D references to
// the source sheet point at the copy, and names of the source sheet (or workbook names) are
// replaced by the copy's local name of the same text.
void UXlsTokenArray_ArrangeInsertSheets(Byte* Data, Integer Start, Integer End, const TSheetInfo& SheetInfo);

// Makes a shared formula's relative references absolute for the cell (Row, Col).
void UXlsTokenArray_ArrangeSharedFormulas(Byte* Data, Integer Start, Integer End, Integer Row, Integer Col);
