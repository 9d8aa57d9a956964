#include "RudUvud/xlsadapter/XlsFormulaParser.h"

#include "RudUvud/xlsadapter/VovStack.h"
#include "RudUvud/xlsadapter/XlsFormulaMessages.h"
#include "RudUvud/xlsadapter/XlsFormulaTokens.h"
#include "RudUvud/xlsadapter/XlsMessages.h"
#include "RudUvud/xlsadapter/XlsTokenArray.h"
#include "platform/rtl/Conversions.h"

#include <vector>

using namespace zivXlsFormulaMessages;

namespace {

WideString W(const char* Text)
{
    return FmWide(Text);
}

WideString ColumnText(Word ColWord)
{
    return FmWide(EncodeColumn((ColWord & refColMask) + 1));
}

WideString RowText(Word Row)
{
    return FmWide(IntToStr(static_cast<Integer>(Row) + 1));
}

WideString QuoteString(const WideString& S)
{
    // Quotes are doubled on the wide text itself, so every character of the string survives.
    WideString out = W(fmStr);
    for (char16_t c : S) {
        out += c;
        if (c == fmStr[0])
            out += c;
    }
    return out + W(fmStr);
}

// Area text: whole columns and whole rows get their short forms unless ForceCells.
WideString AreaText(Word Row1, Word Row2, Word Col1, Word Col2, bool ForceCells)
{
    if (!ForceCells) {
        if (Row1 == 0 && Row2 == 0xFFFF) {
            WideString s;
            if (!(Col1 & refColRelative))
                s += W(fmAbsoluteRef);
            s += ColumnText(Col1) + W(fmRangeSep);
            if (!(Col2 & refColRelative))
                s += W(fmAbsoluteRef);
            return s + ColumnText(Col2);
        }
        if ((Col1 & refColMask) == 0 && (Col2 & refColMask) == 255) {
            WideString s;
            if (!(Col1 & refRowRelative))
                s += W(fmAbsoluteRef);
            s += RowText(Row1) + W(fmRangeSep);
            if (!(Col2 & refRowRelative))
                s += W(fmAbsoluteRef);
            return s + RowText(Row2);
        }
    }
    return FmCellText(Row1, Col1) + W(fmRangeSep) + FmCellText(Row2, Col2);
}

class TRPNDecoder {
public:
    TRPNDecoder(const Byte* aData, Integer aSize, TFormulaContext* aCells, bool aNested)
        : D(aData), Size(aSize), Cells(aCells), Nested(aNested)
    {
    }

    WideString Run(Integer Start);

private:
    const Byte* D;
    Integer Size;
    TFormulaContext* Cells;
    bool Nested;
    TFormulaStack St;
    Integer Pos = 0;
    Integer End = 0;
    Integer Extra = 0;
    Byte Raw = 0;

    void Need(Integer N) const
    {
        if (N > End - Pos)
            throw ETokenException(Raw);
    }
    void NeedExtra(Integer N) const
    {
        if (N > Size - Extra)
            throw ETokenException(Raw);
    }
    TFormulaContext* Context() const
    {
        if (!Cells)
            XlsError(ErrNoReferences);
        return Cells;
    }
    void PushWithSpaces(const WideString& Text) { St.Push(St.PendingSpaces + Text); }
    void Binary(const char* Op);
    void Function(Integer FuncNum, Integer ArgCount, bool ByName);
    WideString ArrayConstant();
    WideString TableText(Word Row, Word Col);
};

void TRPNDecoder::Binary(const char* Op)
{
    WideString right, left;
    St.Pop(right);
    St.Pop(left);
    St.Push(left + St.PendingSpaces + W(Op) + right);
}

void TRPNDecoder::Function(Integer FuncNum, Integer ArgCount, bool ByName)
{
    std::vector<WideString> args(ArgCount > 0 ? static_cast<size_t>(ArgCount) : 0);
    for (size_t i = args.size(); i > 0; --i)
        St.Pop(args[i - 1]);
    WideString name;
    if (ByName)
        St.Pop(name);
    else
        name = FuncNameArray()[FuncNum].FuncName;
    WideString text = St.PendingSpaces + name + W(fmOpenParen);
    for (size_t i = 0; i < args.size(); ++i) {
        if (i > 0)
            text += W(fmFunctionSep);
        text += args[i];
    }
    St.Push(text + W(fmCloseParen));
}

WideString TRPNDecoder::ArrayConstant()
{
    NeedExtra(3);
    const Integer cols = D[Extra] + 1;
    const Integer rows = GetWord(D, Extra + 1) + 1;
    Extra += 3;
    WideString text = W(fmOpenArray);
    for (Integer r = 0; r < rows; ++r) {
        if (r > 0)
            text += W(fmArrayRowSep);
        for (Integer c = 0; c < cols; ++c) {
            if (c > 0)
                text += W(fmArrayColSep);
            NeedExtra(1);
            const Byte type = D[Extra];
            switch (type) {
            case 1:
                NeedExtra(9);
                text += FmWide(FmFloatToStr(GetDouble(D, Extra + 1)));
                Extra += 9;
                break;
            case 2: {
                Integer size = 0;
                WideString s;
                if (!FmReadString(D, Extra + 1, Size, true, size, &s))
                    throw ETokenException(Raw);
                text += QuoteString(s);
                Extra += 1 + size;
                break;
            }
            case 4:
                NeedExtra(9);
                text += W(D[Extra + 1] == 1 ? fmTrue : fmFalse);
                Extra += 9;
                break;
            case 16:
                NeedExtra(9);
                text += FmWide(FmErrorText(D[Extra + 1]));
                Extra += 9;
                break;
            default:
                throw ETokenException(type);
            }
        }
    }
    return text + W(fmCloseArray);
}

WideString TRPNDecoder::TableText(Word Row, Word Col)
{
    const ByteArray table = Context()->TableFormula(Row, Col);
    if (table.size() < 16)
        throw ETokenException(Raw);
    WideString s = W(fmOpenArray) + W(fmStartFormula) + W(fmTableText) + W(fmOpenParen) +
                   FmCellText(GetWord(table.data(), 8), GetWord(table.data(), 10)) + W(fmFunctionSep);
    if (GetWord(table.data(), 6) & 0x08)
        s += FmCellText(GetWord(table.data(), 12), GetWord(table.data(), 14));
    return s + W(fmCloseParen) + W(fmCloseArray);
}

WideString TRPNDecoder::Run(Integer Start)
{
    if (Start < 2 || Start > Size)
        XlsError(zivXlsMessages::ErrReadingRecord);
    End = Start + GetWord(D, Start - 2);
    if (End > Size)
        XlsError(zivXlsMessages::ErrReadingRecord);
    Extra = End;
    Pos = Start;
    WideString prefix = W(fmStartFormula);

    while (Pos < End) {
        Raw = D[Pos];
        if (Raw >= ptgEnd)
            throw ETokenException(Raw);
        const Byte id = PtgBase(Raw);
        Integer len = 1;
        switch (id) {
        case ptgExp:
        case ptgTbl: {
            len = 5;
            Need(len);
            // A pointer inside an array formula's own tokens would make the decoder follow it
            // again and again: only the cell's own formula may point.
            if (Nested)
                throw ETokenException(Raw);
            const Word row = GetWord(D, Pos + 1), col = GetWord(D, Pos + 3);
            if (id == ptgExp) {
                const ByteArray arr = Context()->ArrayFormula(row, col);
                TRPNDecoder inner(arr.data(), static_cast<Integer>(arr.size()), Cells, true);
                St.Push(W(fmOpenArray) + inner.Run(14) + W(fmCloseArray));
            } else {
                St.Push(TableText(row, col));
            }
            prefix.clear();
            break;
        }
        case ptgAdd:
            Binary(fmPlus);
            break;
        case ptgSub:
            Binary(fmMinus);
            break;
        case ptgMul:
            Binary(fmMul);
            break;
        case ptgDiv:
            Binary(fmDiv);
            break;
        case ptgPower:
            Binary(fmPower);
            break;
        case ptgConcat:
            Binary(fmAnd);
            break;
        case ptgLT:
            Binary(fmLT);
            break;
        case ptgLE:
            Binary(fmLE);
            break;
        case ptgEQ:
            Binary(fmEQ);
            break;
        case ptgGE:
            Binary(fmGE);
            break;
        case ptgGT:
            Binary(fmGT);
            break;
        case ptgNE:
            Binary(fmNE);
            break;
        case ptgIsect:
            Binary(fmIntersect);
            break;
        case ptgUnion:
            Binary(fmUnion);
            break;
        case ptgRange:
            Binary(fmRangeSep);
            break;
        case ptgUplus:
        case ptgUminus: {
            WideString x;
            St.Pop(x);
            St.Push(St.PendingSpaces + W(id == ptgUplus ? fmPlus : fmMinus) + x);
            break;
        }
        case ptgPercent: {
            WideString x;
            St.Pop(x);
            St.Push(x + St.PendingSpaces + W(fmPercent));
            break;
        }
        case ptgParen: {
            WideString x;
            St.Pop(x);
            St.Push(St.PendingOpenSpaces + W(fmOpenParen) + x + St.PendingCloseSpaces + W(fmCloseParen));
            break;
        }
        case ptgMissArg:
            PushWithSpaces(WideString());
            break;
        case ptgStr: {
            WideString s;
            Integer size = 0;
            if (!FmReadString(D, Pos + 1, End, false, size, &s))
                throw ETokenException(Raw);
            len = 1 + size;
            PushWithSpaces(QuoteString(s));
            break;
        }
        case ptgAttr: {
            len = 4;
            Need(len);
            const Byte options = D[Pos + 1];
            if (options & attrChoose) {
                len = 2 * GetWord(D, Pos + 2) + 6;
                Need(len);
            } else if (options & attrSum) {
                WideString x;
                St.Pop(x);
                PushWithSpaces(FuncNameArray()[4].FuncName + W(fmOpenParen) + x + W(fmCloseParen));
            } else if (options & attrSpace) {
                const Byte kind = D[Pos + 2];
                const WideString blanks(D[Pos + 3], u' ');
                const WideString returns(D[Pos + 3], u'\r');
                switch (kind) {
                case 0:
                    St.PendingSpaces = blanks;
                    break;
                case 1:
                    St.PendingSpaces = returns;
                    break;
                case 2:
                    St.PendingOpenSpaces = blanks;
                    break;
                case 3:
                    St.PendingOpenSpaces = returns;
                    break;
                case 4:
                    St.PendingCloseSpaces = blanks;
                    break;
                case 5:
                    St.PendingCloseSpaces = returns;
                    break;
                default:
                    break;
                }
            }
            break;
        }
        case ptgSheet:
        case ptgEndSheet:
            break;
        case ptgErr:
            len = 2;
            Need(len);
            PushWithSpaces(FmWide(FmErrorText(D[Pos + 1])));
            break;
        case ptgBool:
            len = 2;
            Need(len);
            PushWithSpaces(W(D[Pos + 1] == 1 ? fmTrue : fmFalse));
            break;
        case ptgInt:
            len = 3;
            Need(len);
            PushWithSpaces(FmWide(IntToStr(static_cast<Integer>(GetWord(D, Pos + 1)))));
            break;
        case ptgNum:
            len = 9;
            Need(len);
            PushWithSpaces(FmWide(FmFloatToStr(GetDouble(D, Pos + 1))));
            break;
        case ptgArray:
            len = 8;
            Need(len);
            PushWithSpaces(ArrayConstant());
            break;
        case ptgFunc:
        case ptgFuncVar: {
            len = id == ptgFunc ? 3 : 4;
            Need(len);
            const Integer num = GetWord(D, Pos + len - 2);
            Integer count = id == ptgFuncVar ? (D[Pos + 1] & 0x7F) : 0;
            const bool byName = id == ptgFuncVar && num == 255;
            if (!byName && num >= FuncNameCount)
                XlsError(zivXlsMessages::ErrXlsIndexOutBounds,
                         {Int64(num), AnsiString("Function name"), Int64(0), Int64(FuncNameCount - 1)});
            if (id == ptgFunc)
                count = FuncNameArray()[num].MaxArgs;
            else if (byName)
                --count;
            Function(num, count, byName);
            break;
        }
        case ptgName:
            len = 5;
            Need(len);
            PushWithSpaces(Context()->GetName(-1, static_cast<Integer>(GetWord(D, Pos + 1)) - 1));
            break;
        case ptgRef:
        case ptgRefN:
            len = 5;
            Need(len);
            PushWithSpaces(FmCellText(GetWord(D, Pos + 1), GetWord(D, Pos + 3)));
            break;
        case ptgArea:
        case ptgAreaN:
            len = 9;
            Need(len);
            PushWithSpaces(AreaText(GetWord(D, Pos + 1), GetWord(D, Pos + 3), GetWord(D, Pos + 5),
                                    GetWord(D, Pos + 7), false));
            break;
        case ptgMemArea:
            len = 7;
            Need(len);
            NeedExtra(2);
            {
                const Integer count = GetWord(D, Extra);
                NeedExtra(2 + 8 * count);
                Extra += 2 + 8 * count;
            }
            break;
        case ptgMemErr:
        case ptgMemNoMem:
            len = 7;
            Need(len);
            break;
        // The relative memory tokens: the token byte and the sub-expression size, nothing in the
        // extra data (only the absolute memory area lists its areas there).
        case ptgMemAreaN:
        case ptgMemNoMemN:
            len = 3;
            Need(len);
            break;
        case ptgMemFunc:
            len = 3;
            Need(len);
            break;
        case ptgRefErr:
        case ptgAreaErr:
        case ptgRefErr3d:
        case ptgAreaErr3d:
            len = id == ptgRefErr ? 5 : id == ptgRefErr3d ? 7 : id == ptgAreaErr ? 9 : 11;
            Need(len);
            PushWithSpaces(W(fmErrRef));
            break;
        case ptgNameX: {
            len = 7;
            Need(len);
            const Integer ix = GetWord(D, Pos + 1);
            TFormulaContext* cells = Context();
            PushWithSpaces(cells->GetSheetName(ix) +
                           cells->GetName(ix, static_cast<Integer>(GetWord(D, Pos + 3)) - 1));
            break;
        }
        case ptgRef3d:
            len = 7;
            Need(len);
            PushWithSpaces(Context()->GetSheetName(GetWord(D, Pos + 1)) +
                           FmCellText(GetWord(D, Pos + 3), GetWord(D, Pos + 5)));
            break;
        case ptgArea3d:
            len = 11;
            Need(len);
            PushWithSpaces(Context()->GetSheetName(GetWord(D, Pos + 1)) +
                           AreaText(GetWord(D, Pos + 3), GetWord(D, Pos + 5), GetWord(D, Pos + 7),
                                    GetWord(D, Pos + 9), true));
            break;
        default:
            throw ETokenException(Raw);
        }
        Pos += len;
    }
    WideString top;
    St.Pop(top);
    return prefix + top;
}

} // namespace

WideString FmCellText(Word Row, Word ColWord)
{
    WideString s;
    if (!(ColWord & refColRelative))
        s += W(fmAbsoluteRef);
    s += ColumnText(ColWord);
    if (!(ColWord & refRowRelative))
        s += W(fmAbsoluteRef);
    return s + RowText(Row);
}

WideString RPNToString(const Byte* Data, Integer DataSize, Integer Start, TFormulaContext* Cells)
{
    TRPNDecoder dec(Data, DataSize, Cells, false);
    return dec.Run(Start);
}

WideString RPNToString(const ByteArray& Data, Integer Start, TFormulaContext* Cells)
{
    return RPNToString(Data.data(), static_cast<Integer>(Data.size()), Start, Cells);
}
