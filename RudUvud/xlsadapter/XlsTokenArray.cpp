#include "RudUvud/xlsadapter/XlsTokenArray.h"

#include "RudUvud/xlsadapter/BaseRecordLists.h"
#include "RudUvud/xlsadapter/XlsFormula.h"
#include "RudUvud/xlsadapter/XlsFormulaTokens.h"

using namespace zivXlsMessages;

ETokenException::ETokenException(Integer aTokenId)
    : EExcelException(XlsFormat(ErrBadToken, {Int64(aTokenId)})), TokenId(aTokenId)
{
}

bool FmReadString(const Byte* Data, Integer Pos, Integer End, bool Len16, Integer& Size, WideString* Text)
{
    Int64 p = Pos;
    const Int64 lenBytes = Len16 ? 2 : 1;
    if (p + lenBytes + 1 > End)
        return false;
    const Int64 count = Len16 ? GetWord(Data, Pos) : Data[Pos];
    p += lenBytes;
    const Byte options = Data[p++];
    Int64 runs = 0, farEast = 0;
    if (options & 0x08) {
        if (p + 2 > End)
            return false;
        runs = GetWord(Data, static_cast<Integer>(p));
        p += 2;
    }
    if (options & 0x04) {
        if (p + 4 > End)
            return false;
        farEast = GetLongWord(Data, static_cast<Integer>(p));
        p += 4;
    }
    const bool wide = options & 0x01;
    const Int64 chars = wide ? count * 2 : count;
    if (chars > End - p)
        return false;
    if (Text) {
        Text->clear();
        Text->reserve(static_cast<size_t>(count));
        for (Int64 i = 0; i < count; ++i)
            *Text += wide ? static_cast<char16_t>(GetWord(Data, static_cast<Integer>(p + 2 * i)))
                          : static_cast<char16_t>(Data[p + i]);
    }
    p += chars;
    if (runs * 4 + farEast > End - p)
        return false;
    p += runs * 4 + farEast;
    Size = static_cast<Integer>(p - Pos);
    return true;
}

Integer FmTokenSize(const Byte* Data, Integer Pos, Integer End)
{
    const Byte raw = Data[Pos];
    Integer size = 0;
    if (raw >= ptgAdd && raw <= ptgMissArg) {
        size = 1;
    } else if (raw < ptgFirstClassed) {
        switch (raw) {
        case ptgExp:
        case ptgTbl:
            size = 5;
            break;
        case ptgStr: {
            Integer s = 0;
            if (!FmReadString(Data, Pos + 1, End, false, s, nullptr))
                throw ETokenException(raw);
            size = 1 + s;
            break;
        }
        case ptgAttr:
            if (End - Pos < 4)
                throw ETokenException(raw);
            size = 4;
            if (Data[Pos + 1] & attrChoose)
                size += 2 * GetWord(Data, Pos + 2) + 2;
            break;
        case ptgErr:
        case ptgBool:
            size = 2;
            break;
        case ptgInt:
            size = 3;
            break;
        case ptgNum:
            size = 9;
            break;
        default:
            throw ETokenException(raw);
        }
    } else if (raw < ptgEnd) {
        switch (PtgBase(raw)) {
        case ptgArray:
            size = 8;
            break;
        case ptgFunc:
        case ptgMemFunc:
            size = 3;
            break;
        case ptgFuncVar:
            size = 4;
            break;
        case ptgName:
        case ptgRef:
        case ptgRefErr:
        case ptgRefN:
            size = 5;
            break;
        // Memory tokens only announce the sub-expression that follows them; the walk steps over
        // them and goes on through that sub-expression's tokens. The relative forms
        // are a token byte and the 16-bit sub-expression size: 3 bytes, as the file format has
        // them and every reader reads them.
        case ptgMemAreaN:
        case ptgMemNoMemN:
            size = 3;
            break;
        case ptgMemArea:
        case ptgMemErr:
        case ptgMemNoMem:
        case ptgNameX:
        case ptgRef3d:
        case ptgRefErr3d:
            size = 7;
            break;
        case ptgArea:
        case ptgAreaErr:
        case ptgAreaN:
            size = 9;
            break;
        case ptgArea3d:
        case ptgAreaErr3d:
            size = 11;
            break;
        default:
            throw ETokenException(raw);
        }
    } else {
        throw ETokenException(raw);
    }
    if (size > End - Pos)
        throw ETokenException(raw);
    return size;
}

namespace {

struct TWalk {
    Integer RowPos = 0, RowCount = 0, RowOffset = 0;
    Integer ColPos = 0, ColCount = 0, ColOffset = 0;
    const TSheetInfo* Info = nullptr;
    bool RelativeOnly = true;
    Integer SharedRow = -1, SharedCol = -1; // shared expansion when SharedRow >= 0
};

// The sheet a reference token points at: the formula's own, or the one its EXTERNSHEET index
// resolves to.
Integer TokenSheet(const Byte* Data, Integer Pos, bool Is3D, const TSheetInfo& Info)
{
    if (Is3D && Info.GetSheet)
        return Info.GetSheet(GetWord(Data, Pos + 1));
    return Info.FormulaSheet;
}

// Turns the token at Pos into its #REF! form.
void MakeRefError(Byte* Data, Integer Pos)
{
    const Byte raw = Data[Pos];
    const Byte cls = raw & ptgClassMask;
    switch (PtgBase(raw)) {
    case ptgRef:
        Data[Pos] = PtgWithClass(ptgRefErr, cls);
        break;
    case ptgArea:
        Data[Pos] = PtgWithClass(ptgAreaErr, cls);
        break;
    case ptgRef3d:
        Data[Pos] = PtgWithClass(ptgRefErr3d, cls);
        break;
    case ptgArea3d:
        Data[Pos] = PtgWithClass(ptgAreaErr3d, cls);
        break;
    case ptgRefErr:
    case ptgAreaErr:
    case ptgRefErr3d:
    case ptgAreaErr3d:
        break;
    default:
        throw ETokenException(raw);
    }
}

// Value + Delta within 0..Max, or false when the reference leaves the sheet. With Band a negative
// Delta deletes [P, P - Delta) and a number inside that band is lost as well.
bool Adjust(Integer& Value, Integer P, Integer Delta, Integer Max, bool Band)
{
    if (Band && Delta < 0 && P >= 0 && Value >= P && Value < P - Delta)
        return false;
    Value += Delta;
    return Value >= 0 && Value <= Max;
}

// Single references: row word at Off, column word at Off + 2.
void WalkRef(Byte* Data, Integer Pos, Integer Off, bool Is3D, const TWalk& W)
{
    Integer row = GetWord(Data, Pos + Off);
    Word colWord = GetWord(Data, Pos + Off + 2);
    Integer col = colWord & refColMask;
    const bool rowRel = colWord & refRowRelative, colRel = colWord & refColRelative;
    bool ok = true;
    if (TokenSheet(Data, Pos, Is3D, *W.Info) == W.Info->InsSheet) {
        if (row >= W.RowPos)
            ok = ok && Adjust(row, W.RowPos, W.RowCount, 0xFFFF, true);
        if (ok && col >= W.ColPos)
            ok = ok && Adjust(col, W.ColPos, W.ColCount, 0xFF, true);
    }
    if (ok && (!W.RelativeOnly || rowRel))
        ok = Adjust(row, -1, W.RowOffset, 0xFFFF, false);
    if (ok && (!W.RelativeOnly || colRel))
        ok = Adjust(col, -1, W.ColOffset, 0xFF, false);
    if (!ok) {
        MakeRefError(Data, Pos);
        return;
    }
    colWord = static_cast<Word>((colWord & refColFlags) | col);
    if (W.SharedRow >= 0) {
        if (rowRel)
            row = (row + W.SharedRow) & 0xFFFF;
        if (colRel)
            colWord = static_cast<Word>(colWord + W.SharedCol);
    }
    SetWord(Data, Pos + Off, static_cast<Word>(row));
    SetWord(Data, Pos + Off + 2, colWord);
}

// The deletion rule for one dimension of an area: [P, P + N) removed. False when the area lies
// inside the band.
bool ShrinkArea(Integer& First, Integer& Last, Integer P, Integer N, Integer Whole)
{
    if (First < P) {
        if (Last == Whole || Last < P)
            return true;
        Last = std::max(P - 1, Last - N);
        return true;
    }
    if (Last < P + N)
        return false;
    First = std::max(P, First - N);
    if (Last != Whole)
        Last -= N;
    return true;
}

bool GrowArea(Integer& First, Integer& Last, Integer P, Integer Count, Integer Whole)
{
    bool ok = true;
    if (First >= P)
        ok = Adjust(First, -1, Count, Whole, false);
    if (ok && Last >= P && Last != Whole)
        ok = Adjust(Last, -1, Count, Whole, false);
    return ok;
}

// Areas: first row at Off, last row, first column word, last column word.
void WalkArea(Byte* Data, Integer Pos, Integer Off, bool Is3D, const TWalk& W)
{
    Integer r1 = GetWord(Data, Pos + Off), r2 = GetWord(Data, Pos + Off + 2);
    Word cw1 = GetWord(Data, Pos + Off + 4), cw2 = GetWord(Data, Pos + Off + 6);
    Integer c1 = cw1 & refColMask, c2 = cw2 & refColMask;
    bool ok = true;
    if (TokenSheet(Data, Pos, Is3D, *W.Info) == W.Info->InsSheet) {
        if (W.RowCount < 0)
            ok = ShrinkArea(r1, r2, W.RowPos, -W.RowCount, 0xFFFF);
        else if (W.RowCount > 0)
            ok = GrowArea(r1, r2, W.RowPos, W.RowCount, 0xFFFF);
        // Deleted columns shrink an area by the same rule as deleted rows, so that an area never
        // keeps pointing at the columns that moved into the deleted ones' place.
        if (ok && W.ColCount < 0)
            ok = ShrinkArea(c1, c2, W.ColPos, -W.ColCount, 0xFF);
        else if (ok && W.ColCount > 0)
            ok = GrowArea(c1, c2, W.ColPos, W.ColCount, 0xFF);
    }
    if (ok && (!W.RelativeOnly || (cw1 & refRowRelative)))
        ok = Adjust(r1, -1, W.RowOffset, 0xFFFF, false);
    if (ok && (!W.RelativeOnly || (cw2 & refRowRelative)))
        ok = Adjust(r2, -1, W.RowOffset, 0xFFFF, false);
    if (ok && (!W.RelativeOnly || (cw1 & refColRelative)))
        ok = Adjust(c1, -1, W.ColOffset, 0xFF, false);
    if (ok && (!W.RelativeOnly || (cw2 & refColRelative)))
        ok = Adjust(c2, -1, W.ColOffset, 0xFF, false);
    if (!ok) {
        MakeRefError(Data, Pos);
        return;
    }
    cw1 = static_cast<Word>((cw1 & refColFlags) | c1);
    cw2 = static_cast<Word>((cw2 & refColFlags) | c2);
    if (W.SharedRow >= 0) {
        if (cw1 & refRowRelative)
            r1 = (r1 + W.SharedRow) & 0xFFFF;
        if (cw2 & refRowRelative)
            r2 = (r2 + W.SharedRow) & 0xFFFF;
        if (cw1 & refColRelative)
            cw1 = static_cast<Word>(cw1 + W.SharedCol);
        if (cw2 & refColRelative)
            cw2 = static_cast<Word>(cw2 + W.SharedCol);
    }
    SetWord(Data, Pos + Off, static_cast<Word>(r1));
    SetWord(Data, Pos + Off + 2, static_cast<Word>(r2));
    SetWord(Data, Pos + Off + 4, cw1);
    SetWord(Data, Pos + Off + 6, cw2);
}

// The pointer of a cell to its array or table formula moves with the cell.
void WalkPointer(Byte* Data, Integer Pos, const TWalk& W)
{
    const Byte raw = Data[Pos];
    if (W.Info->FormulaSheet != W.Info->InsSheet)
        return;
    if (W.SharedRow > 0 || W.SharedCol > 0)
        return;
    Integer row = GetWord(Data, Pos + 1);
    Integer col = Data[Pos + 3];
    if (row >= W.RowPos && !Adjust(row, W.RowPos, W.RowCount, 0xFFFF, true))
        throw ETokenException(raw);
    if (!Adjust(row, -1, W.RowOffset, 0xFFFF, false))
        throw ETokenException(raw);
    if (col >= W.ColPos && !Adjust(col, W.ColPos, W.ColCount, 0xFF, true))
        throw ETokenException(raw);
    if (!Adjust(col, -1, W.ColOffset, 0xFF, false))
        throw ETokenException(raw);
    SetWord(Data, Pos + 1, static_cast<Word>(row));
    Data[Pos + 3] = static_cast<Byte>(col);
}

void Walk(Byte* Data, Integer Start, Integer End, const TWalk& W)
{
    Integer pos = Start;
    while (pos < End) {
        const Integer size = FmTokenSize(Data, pos, End);
        const Byte raw = Data[pos];
        const Byte id = PtgBase(raw);
        switch (id) {
        case ptgExp:
        case ptgTbl:
            WalkPointer(Data, pos, W);
            break;
        case ptgRef:
        case ptgRefErr:
            WalkRef(Data, pos, 1, false, W);
            break;
        case ptgRef3d:
        case ptgRefErr3d:
            WalkRef(Data, pos, 3, true, W);
            break;
        case ptgArea:
        case ptgAreaErr:
            WalkArea(Data, pos, 1, false, W);
            break;
        case ptgArea3d:
        case ptgAreaErr3d:
            WalkArea(Data, pos, 3, true, W);
            break;
        case ptgRefN:
        case ptgAreaN:
            if (W.SharedRow >= 0) {
                // The relative form becomes the plain one of the same class.
                Data[pos] = PtgWithClass(id == ptgRefN ? ptgRef : ptgArea, raw & ptgClassMask);
                if (id == ptgRefN)
                    WalkRef(Data, pos, 1, false, W);
                else
                    WalkArea(Data, pos, 1, false, W);
            }
            break;
        default:
            break;
        }
        pos += size;
    }
}

const TSheetInfo& CopyInfo()
{
    static const TSheetInfo info{-1, -1, {}, {}, nullptr};
    return info;
}

} // namespace

void UXlsTokenArray_ArrangeInsertRowsAndCols(Byte* Data, Integer Start, Integer End, Integer RowPos,
                                             Integer RowCount, Integer RowOffset, Integer ColPos,
                                             Integer ColCount, Integer ColOffset, const TSheetInfo& SheetInfo,
                                             bool RelativeOnly)
{
    TWalk w;
    w.RowPos = RowPos;
    w.RowCount = RowCount;
    w.RowOffset = RowOffset;
    w.ColPos = ColPos;
    w.ColCount = ColCount;
    w.ColOffset = ColOffset;
    w.Info = &SheetInfo;
    w.RelativeOnly = RelativeOnly;
    Walk(Data, Start, End, w);
}

bool UXlsTokenArray_ArrangeRange(Integer& First, Integer& Last, Integer Pos, Integer Count, Integer Max)
{
    // A range has no "whole column" form: no Last is kept in place.
    if (Count < 0)
        return ShrinkArea(First, Last, Pos, -Count, Max + 1);
    if (First >= Pos)
        First += Count;
    if (Last >= Pos)
        Last += Count;
    Last = std::min(Last, Max);
    return First <= Max;
}

void UXlsTokenArray_ArrangeSharedFormulas(Byte* Data, Integer Start, Integer End, Integer Row, Integer Col)
{
    TWalk w;
    w.Info = &CopyInfo();
    w.RowPos = 0x10000; // nothing is inserted
    w.ColPos = 0x100;
    w.SharedRow = Row;
    w.SharedCol = Col;
    Walk(Data, Start, End, w);
}

void UXlsTokenArray_ArrangeInsertSheets(Byte* Data, Integer Start, Integer End, const TSheetInfo& SheetInfo)
{
    Integer pos = Start;
    while (pos < End) {
        const Integer size = FmTokenSize(Data, pos, End);
        const Byte raw = Data[pos];
        const Byte id = PtgBase(raw);
        if ((id == ptgRef3d || id == ptgArea3d || id == ptgRefErr3d || id == ptgAreaErr3d) &&
            SheetInfo.GetSheet && SheetInfo.SetSheet) {
            if (SheetInfo.GetSheet(GetWord(Data, pos + 1)) == SheetInfo.FormulaSheet)
                SetWord(Data, pos + 1, SheetInfo.SetSheet(SheetInfo.InsSheet));
        } else if ((id == ptgName || id == ptgNameX) && SheetInfo.Names) {
            const Integer at = id == ptgName ? pos + 1 : pos + 3;
            const Integer index = GetWord(Data, at) - 1;
            TNameRecordList* names = SheetInfo.Names;
            if (index >= 0 && index < names->Count() && names->Items(index)) {
                TNameRecord* name = names->Items(index);
                const Integer sheet = name->RangeSheet();
                if (sheet == SheetInfo.FormulaSheet || sheet == -1) {
                    const WideString text = name->Name();
                    for (Integer i = 0; i < names->Count(); ++i) {
                        TNameRecord* other = names->Items(i);
                        if (other && other->RangeSheet() == SheetInfo.InsSheet && other->Name() == text) {
                            SetWord(Data, at, static_cast<Word>(i + 1));
                            break;
                        }
                    }
                }
            }
        }
        pos += size;
    }
}
