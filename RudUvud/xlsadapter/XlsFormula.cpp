#include "RudUvud/xlsadapter/XlsFormula.h"

#include "RudUvud/xlsadapter/BaseRecordLists.h"
#include "RudUvud/xlsadapter/XlsEncodeFormula.h"
#include "RudUvud/xlsadapter/XlsFormulaMessages.h"
#include "RudUvud/xlsadapter/XlsFormulaTokens.h"
#include "RudUvud/xlsadapter/XlsReferences.h"
#include "RudUvud/xlsadapter/XlsStrings.h"
#include "RudUvud/xlsadapter/XlsTokenArray.h"
#include "platform/rtl/Strings.h"

#include <algorithm>
#include <cstring>

using namespace zivXlsMessages;

namespace {

[[noreturn]] void Invalid(Word Id)
{
    XlsError(ErrWrongExcelRecord, {Int64(Id)});
}

// The sheet info of copies: no sheet is being changed.
const TSheetInfo& CopySheetInfo()
{
    static const TSheetInfo info{-1, -1, {}, {}, nullptr};
    return info;
}

} // namespace

// ---- TTableRecord ----------------------------------------------------------------------------

TTableRecord::TTableRecord(Word aId, TRecordBody aData) : TBaseRecord(aId, std::move(aData))
{
    if (DataSize() < 16)
        Invalid(aId);
    ::SetWord(Data(), 6, static_cast<Word>(GetWord(Data(), 6) | 0x0003));
}

void TTableRecord::IncRowToMax(Integer Pos, Integer Delta)
{
    if (GetWord(Data(), Pos) != 0xFFFF)
        IncWord(Data(), Pos, Delta, 65535);
}

void TTableRecord::IncColToMax(Integer Pos, Integer Delta)
{
    if (Data()[Pos] != 255)
        IncByte(Data(), Pos, Delta, 255);
}

void TTableRecord::MoveInputCell(Integer Pos, Integer RowPos, Integer RowCount, Integer ColPos,
                                 Integer ColCount, bool Always)
{
    Integer row = GetWord(Data(), Pos);
    Integer col = Data()[Pos + 2];
    if (row != 0xFFFF && (Always || row >= RowPos))
        row += RowCount;
    if (col != 255 && (Always || col >= ColPos))
        col += ColCount;
    if ((row != 0xFFFF && (row < 0 || row > 65535)) || (col != 255 && (col < 0 || col > 255))) {
        ::SetWord(Data(), Pos, 0xFFFF);
        ::SetWord(Data(), Pos + 2, 0xFFFF);
        return;
    }
    ::SetWord(Data(), Pos, static_cast<Word>(row));
    Data()[Pos + 2] = static_cast<Byte>(col);
}

void TTableRecord::ArrangeInsertRowsAndCols(Integer RowPos, Integer RowCount, Integer ColPos,
                                            Integer ColCount)
{
    for (Integer p : {0, 2})
        if (GetWord(Data(), p) >= RowPos)
            IncRowToMax(p, RowCount);
    for (Integer p : {4, 5})
        if (Data()[p] >= ColPos)
            IncColToMax(p, ColCount);
    MoveInputCell(8, RowPos, RowCount, ColPos, ColCount, false);
    MoveInputCell(12, RowPos, RowCount, ColPos, ColCount, false);
}

void TTableRecord::ArrangeCopyRowsAndCols(Integer RowOffset, Integer ColOffset)
{
    IncRowToMax(0, RowOffset);
    IncRowToMax(2, RowOffset);
    IncColToMax(4, ColOffset);
    IncColToMax(5, ColOffset);
    MoveInputCell(8, 0, RowOffset, 0, ColOffset, true);
    MoveInputCell(12, 0, RowOffset, 0, ColOffset, true);
}

// ---- TArrayRecord ----------------------------------------------------------------------------

TArrayRecord::TArrayRecord(Word aId, TRecordBody aData) : TBaseRecord(aId, std::move(aData))
{
    if (DataSize() < 14 || 14 + GetWord(Data(), 12) > DataSize())
        Invalid(aId);
}

void TArrayRecord::ArrangeTokens(Integer RowPos, Integer RowCount, Integer RowOffset, Integer ColPos,
                                 Integer ColCount, Integer ColOffset, const TSheetInfo& SheetInfo)
{
    UXlsTokenArray_ArrangeInsertRowsAndCols(Data(), 14, 14 + GetWord(Data(), 12), RowPos, RowCount, RowOffset,
                                            ColPos, ColCount, ColOffset, SheetInfo, true);
}

void TArrayRecord::ArrangeInsertRowsAndCols(Integer RowPos, Integer RowCount, Integer ColPos,
                                            Integer ColCount, const TSheetInfo& SheetInfo)
{
    if (SheetInfo.FormulaSheet == SheetInfo.InsSheet) {
        // The range follows its cells: the rule of an area reference. A range that loses its
        // first row or column loses its anchor cell too, and with it this record.
        Integer r1 = GetWord(Data(), 0), r2 = GetWord(Data(), 2), c1 = Data()[4], c2 = Data()[5];
        if (UXlsTokenArray_ArrangeRange(r1, r2, RowPos, RowCount, 0xFFFF) &&
            UXlsTokenArray_ArrangeRange(c1, c2, ColPos, ColCount, 0xFF)) {
            ::SetWord(Data(), 0, static_cast<Word>(r1));
            ::SetWord(Data(), 2, static_cast<Word>(r2));
            Data()[4] = static_cast<Byte>(c1);
            Data()[5] = static_cast<Byte>(c2);
        }
    }
    ArrangeTokens(RowPos, RowCount, 0, ColPos, ColCount, 0, SheetInfo);
}

void TArrayRecord::ArrangeCopyRowsAndCols(Integer RowOffset, Integer ColOffset, const TSheetInfo& SheetInfo)
{
    // The range is the copied cells' range: past the sheet's end it ends at the last row (column).
    const Integer r1 = GetWord(Data(), 0) + RowOffset, r2 = GetWord(Data(), 2) + RowOffset;
    const Integer c1 = Data()[4] + ColOffset, c2 = Data()[5] + ColOffset;
    if (r1 < 0 || r1 > 0xFFFF || c1 < 0 || c1 > 0xFF)
        throw ETokenException(ptgExp);
    ::SetWord(Data(), 0, static_cast<Word>(r1));
    ::SetWord(Data(), 2, static_cast<Word>(std::clamp<Integer>(r2, r1, 0xFFFF)));
    Data()[4] = static_cast<Byte>(c1);
    Data()[5] = static_cast<Byte>(std::clamp<Integer>(c2, c1, 0xFF));
    ArrangeTokens(0, 0, RowOffset, 0, 0, ColOffset, SheetInfo);
}

// ---- TFormulaRecord --------------------------------------------------------------------------

TFormulaRecord::TFormulaRecord(Word aId, TRecordBody aData) : TCellRecord(aId, std::move(aData))
{
    CheckTokens();
    ReadResult();
}

TFormulaRecord::TFormulaRecord(Word aId, Word aDataSize, Word aRow, Word aCol, Word aXF,
                               const TXlsVariant& Value, bool Is1904)
    : TFormulaRecord(aId, ByteArray(std::max<Word>(aDataSize, 22), 0))
{
    SetRow(aRow);
    SetColumn(aCol);
    SetXF(aXF);
    switch (Value.VarType) {
    case xvEmpty:
        // No result yet: "no value" rather than a number 0 that readers would show.
        Data()[6] = 3;
        ::SetWord(Data(), 12, 0xFFFF);
        FCachedResult = TXlsVariant();
        break;
    case xvNumber:
    case xvDate: {
        double v = Value.Number;
        if (Value.VarType == xvDate && Is1904)
            v -= 1462;
        SetDouble(Data(), 6, v);
        FCachedResult = TXlsVariant::FromNumber(v);
        break;
    }
    case xvString:
        Data()[6] = 0;
        ::SetWord(Data(), 12, 0xFFFF);
        FCachedResult = Value;
        break;
    case xvBoolean:
        Data()[6] = 1;
        Data()[7] = 0;
        Data()[8] = Value.Boolean ? 1 : 0;
        ::SetWord(Data(), 12, 0xFFFF);
        FCachedResult = Value;
        break;
    }
}

TFormulaRecord::~TFormulaRecord() = default;

void TFormulaRecord::CheckTokens() const
{
    if (DataSize() < 22 || 22 + GetWord(Data(), 20) > DataSize())
        Invalid(FId);
}

void TFormulaRecord::ReadResult()
{
    FCachedResult = TXlsVariant();
    if (GetWord(Data(), 12) == 0xFFFF) {
        switch (Data()[6]) {
        case 0:
            FCachedResult = TXlsVariant::FromString(WideString());
            break;
        case 1:
            FCachedResult = TXlsVariant::FromBoolean(Data()[8] == 1);
            break;
        case 2:
            for (const TFmErrorCode& e : FmErrorCodes())
                if (e.Code == Data()[8])
                    FCachedResult = TXlsVariant::FromString(FmWide(*e.Text));
            break;
        default:
            break;
        }
    } else {
        FCachedResult = TXlsVariant::FromNumber(GetDouble(Data(), 6));
    }
    Data()[14] |= 0x02;
}

std::unique_ptr<TBaseRecord> TFormulaRecord::Create(Word aId, TRecordBody aData) const
{
    return std::make_unique<TFormulaRecord>(aId, std::move(aData));
}

std::unique_ptr<TBaseRecord> TFormulaRecord::DoCopyTo() const
{
    auto copy = std::make_unique<TFormulaRecord>(FId, FData);
    CopyContinueTo(*copy);
    copy->FCachedResult = FCachedResult;
    // The attached records are copied whole, CONTINUE records included.
    if (FAttachedTable)
        copy->FAttachedTable.reset(static_cast<TTableRecord*>(FAttachedTable->CopyTo().release()));
    if (FAttachedArray)
        copy->FAttachedArray.reset(static_cast<TArrayRecord*>(FAttachedArray->CopyTo().release()));
    copy->ClearResult();
    return copy;
}

void TFormulaRecord::ClearResult()
{
    TSizeChange change(*this); // a text result's STRING record goes with it
    std::memset(Data() + 6, 0, 8);
    Data()[6] = 3;
    ::SetWord(Data(), 12, 0xFFFF);
    std::memset(Data() + 16, 0, 4);
    FCachedResult = TXlsVariant();
}

TXlsVariant TFormulaRecord::GetValue() const
{
    return FCachedResult;
}

bool TFormulaRecord::AcceptsAttached(Word NextId) const
{
    return NextId == xlr_TABLE || NextId == xlr_ARRAY;
}

void TFormulaRecord::AttachRecord(std::unique_ptr<TBaseRecord> Rec)
{
    if (!Rec)
        return;
    // The factory may hand over a plain record: its data goes into the class it must be, and its
    // CONTINUE records go with it (a long array formula runs on in them).
    if (Rec->Id() == xlr_TABLE) {
        if (!dynamic_cast<TTableRecord*>(Rec.get())) {
            auto table = std::make_unique<TTableRecord>(
                Rec->Id(), ByteArray(Rec->Data().get(), Rec->Data() + Rec->DataSize()));
            table->AddContinue(Rec->ReleaseContinue());
            Rec = std::move(table);
        }
        SetTableRecord(std::unique_ptr<TTableRecord>(static_cast<TTableRecord*>(Rec.release())));
    } else if (Rec->Id() == xlr_ARRAY) {
        if (!dynamic_cast<TArrayRecord*>(Rec.get())) {
            auto array = std::make_unique<TArrayRecord>(
                Rec->Id(), ByteArray(Rec->Data().get(), Rec->Data() + Rec->DataSize()));
            array->AddContinue(Rec->ReleaseContinue());
            Rec = std::move(array);
        }
        SetArrayRecord(std::unique_ptr<TArrayRecord>(static_cast<TArrayRecord*>(Rec.release())));
    } else {
        XlsError(ErrExcelInvalid);
    }
}

void TFormulaRecord::SetTableRecord(std::unique_ptr<TTableRecord> Rec)
{
    TSizeChange change(*this);
    FAttachedTable = std::move(Rec);
}

void TFormulaRecord::SetArrayRecord(std::unique_ptr<TArrayRecord> Rec)
{
    TSizeChange change(*this);
    FAttachedArray = std::move(Rec);
}

bool TFormulaRecord::IsExp(LongWord& Key) const
{
    if (DataSize() != 27 || GetWord(Data(), 20) != 5 || Data()[22] != ptgExp)
        return false;
    Key = static_cast<LongWord>(GetWord(Data(), 23)) + 65536u * GetWord(Data(), 25);
    return true;
}

void TFormulaRecord::MixShared(const Byte* SharedData, Integer SharedDataSize)
{
    if (SharedDataSize < 10 || 10 + GetWord(SharedData, 8) > SharedDataSize || SharedDataSize + 12 > 0xFFFF)
        Invalid(xlr_SHRFMLA);
    ByteArray data(static_cast<size_t>(SharedDataSize + 12), 0);
    std::memcpy(data.data(), Data(), 20);
    std::memcpy(data.data() + 20, SharedData + 8, static_cast<size_t>(SharedDataSize - 8));
    SetData(std::move(data));
    ArrangeSharedTokens();
}

void TFormulaRecord::ArrangeSharedTokens()
{
    try {
        UXlsTokenArray_ArrangeSharedFormulas(Data(), 22, 22 + TokenSize(), GetRow(), GetColumn());
    } catch (const ETokenException& e) {
        XlsError(ErrBadFormula, {Int64(GetRow() + 1), Int64(GetColumn() + 1), Int64(e.TokenId)});
    }
}

void TFormulaRecord::ArrangeTokensInsertRowsAndCols(Integer RowPos, Integer RowCount, Integer RowOffset,
                                                    Integer ColPos, Integer ColCount, Integer ColOffset,
                                                    const TSheetInfo& SheetInfo)
{
    try {
        UXlsTokenArray_ArrangeInsertRowsAndCols(Data(), 22, 22 + TokenSize(), RowPos, RowCount, RowOffset,
                                                ColPos, ColCount, ColOffset, SheetInfo, true);
    } catch (const ETokenException& e) {
        RaiseBadFormula(e);
    }
}

void TFormulaRecord::RaiseBadFormula(const ETokenException& E) const
{
    XlsError(ErrBadFormula, {Int64(GetRow() + 1), Int64(GetColumn() + 1), Int64(E.TokenId)});
}

void TFormulaRecord::ArrangeInsertRowsAndCols(Integer aRowPos, Integer aRowCount, Integer aColPos,
                                              Integer aColCount, const TSheetInfo& SheetInfo)
{
    TCellRecord::ArrangeInsertRowsAndCols(aRowPos, aRowCount, aColPos, aColCount, SheetInfo);
    ArrangeTokensInsertRowsAndCols(aRowPos, aRowCount, 0, aColPos, aColCount, 0, SheetInfo);
    if (FAttachedTable && SheetInfo.FormulaSheet == SheetInfo.InsSheet)
        FAttachedTable->ArrangeInsertRowsAndCols(aRowPos, aRowCount, aColPos, aColCount);
    if (FAttachedArray) {
        try {
            FAttachedArray->ArrangeInsertRowsAndCols(aRowPos, aRowCount, aColPos, aColCount, SheetInfo);
        } catch (const ETokenException& e) {
            RaiseBadFormula(e);
        }
    }
}

void TFormulaRecord::ArrangeCopyRowsAndCols(Integer RowOffset, Integer ColOffset)
{
    ArrangeTokensInsertRowsAndCols(0, 0, RowOffset, 0, 0, ColOffset, CopySheetInfo());
    if (FAttachedTable)
        FAttachedTable->ArrangeCopyRowsAndCols(RowOffset, ColOffset);
    if (FAttachedArray) {
        try {
            FAttachedArray->ArrangeCopyRowsAndCols(RowOffset, ColOffset, CopySheetInfo());
        } catch (const ETokenException& e) {
            RaiseBadFormula(e);
        }
    }
    TCellRecord::ArrangeCopyRowsAndCols(RowOffset, ColOffset);
}

Int64 TFormulaRecord::SaveStringRecord(TOle2File* Workbook, bool WithHeaders) const
{
    // Only a text result has a STRING record; a number whose first byte happens to be 0 has none.
    if (Data()[6] != 0 || GetWord(Data(), 12) != 0xFFFF || FCachedResult.VarType != xvString)
        return 0;
    TExcelString str(2, FCachedResult.Text);
    ByteArray bytes;
    str.SaveToBytes(bytes);
    const Int64 total = static_cast<Int64>(bytes.size());
    const Byte option = bytes[2];
    // A 16-bit text is never cut between the two halves of a surrogate pair: readers decode
    // each record's piece on its own. Pieces end on whole characters (they start at byte 3).
    auto piece = [&](Int64 Pos, Int64 Room) {
        Int64 n = std::min<Int64>(total - Pos, Room);
        if ((option & 1) && Pos + n < total && n >= 4) {
            const Word last = GetWord(bytes.data(), static_cast<Integer>(Pos + n - 2));
            if (last >= 0xD800 && last <= 0xDBFF)
                n -= 2;
        }
        return n;
    };
    Int64 written = 0;
    Int64 first = piece(0, 8219);
    if (Workbook) {
        Workbook->WriteHeader(xlr_STRING, static_cast<Word>(first));
        Workbook->WriteMem(bytes.data(), static_cast<Integer>(first));
    }
    written += first + (WithHeaders ? 4 : 0);
    Int64 pos = first;
    while (pos < total) {
        const Int64 n = piece(pos, 8218);
        if (Workbook) {
            Workbook->WriteHeader(xlr_CONTINUE, static_cast<Word>(n + 1));
            Workbook->WriteMem(&option, 1);
            Workbook->WriteMem(bytes.data() + pos, static_cast<Integer>(n));
        }
        written += n + 1 + (WithHeaders ? 4 : 0);
        pos += n;
    }
    return written;
}

void TFormulaRecord::SaveToStream(TOle2File& Workbook)
{
    TCellRecord::SaveToStream(Workbook);
    if (FAttachedArray)
        FAttachedArray->SaveToStream(Workbook);
    if (FAttachedTable)
        FAttachedTable->SaveToStream(Workbook);
    SaveStringRecord(&Workbook, true);
}

Int64 TFormulaRecord::TotalSize() const
{
    Int64 size = TCellRecord::TotalSize();
    if (FAttachedTable)
        size += FAttachedTable->TotalSize();
    if (FAttachedArray)
        size += FAttachedArray->TotalSize();
    return size + SaveStringRecord(nullptr, true);
}

Int64 TFormulaRecord::TotalSizeNoHeaders() const
{
    Int64 size = TCellRecord::TotalSizeNoHeaders();
    if (FAttachedTable)
        size += FAttachedTable->TotalSizeNoHeaders();
    if (FAttachedArray)
        size += FAttachedArray->TotalSizeNoHeaders();
    return size + SaveStringRecord(nullptr, false);
}

// ---- TNameRecord -----------------------------------------------------------------------------

TNameRecord::TNameRecord(Word aId, TRecordBody aData) : TBaseRecord(aId, std::move(aData))
{
    CheckLayout();
}

void TNameRecord::CheckLayout() const
{
    if (DataSize() < 15)
        Invalid(FId);
    if (static_cast<Integer>(DataSize()) < TokenStart() + TokenSize())
        Invalid(FId);
}

Integer TNameRecord::NameSize() const
{
    return 1 + NameLength() * ((Data()[14] & 1) ? 2 : 1);
}

WideString TNameRecord::Name() const
{
    WideString s;
    const bool wide = Data()[14] & 1;
    for (Integer i = 0; i < NameLength(); ++i)
        s +=
            wide ? static_cast<char16_t>(GetWord(Data(), 15 + 2 * i)) : static_cast<char16_t>(Data()[15 + i]);
    return s;
}

TNameRecord::TNameRecord(const TXlsNamedRange& Range, TFormulaContext* Cells,
                         const WideString& LocalSheetName)
    : TBaseRecord(xlr_NAME, {})
{
    ByteArray tokens;
    WideString refersTo = UTF8Decode(Range.RefersTo);
    const auto notBlank = [](char16_t c) { return c > u' '; };
    const bool empty = std::find_if(refersTo.begin(), refersTo.end(), notBlank) == refersTo.end();
    if (!empty) {
        TParseString ps(refersTo, Cells, true, LocalSheetName, fmRef);
        ps.Parse();
        tokens = ps.Tokens();
    }
    TExcelString name(1, UTF8Decode(Range.RangeName));
    ByteArray nameBytes;
    name.SaveToBytes(nameBytes, false);
    ByteArray data(14 + nameBytes.size() + tokens.size(), 0);
    if (data.size() > 0xFFFF)
        XlsError(ErrInternal);
    ::SetWord(data.data(), 0, static_cast<Word>(Range.NameOptions & 0xFFFF));
    data[3] = static_cast<Byte>(name.CharCount());
    ::SetWord(data.data(), 4, static_cast<Word>(tokens.size()));
    if (Range.LocalSheet >= 0) {
        ::SetWord(data.data(), 6, static_cast<Word>(Range.LocalSheet + 1));
        ::SetWord(data.data(), 8, static_cast<Word>(Range.LocalSheet + 1));
    }
    std::copy(nameBytes.begin(), nameBytes.end(), data.begin() + 14);
    std::copy(tokens.begin(), tokens.end(), data.begin() + 14 + static_cast<long>(nameBytes.size()));
    SetData(std::move(data));
}

namespace {

// Whether Raw is the token Base (a reference-class id) in any class.
bool IsToken(Byte Raw, Byte Base)
{
    return Raw < ptgEnd && PtgBase(Raw) == Base;
}

} // namespace

Byte TNameRecord::FirstToken() const
{
    return TokenSize() > 0 ? Data()[TokenStart()] : 0;
}

Integer TNameRecord::GetR1() const
{
    const Byte t = FirstToken();
    if (IsToken(t, ptgArea3d) || IsToken(t, ptgRef3d))
        return GetWord(Data(), TokenStart() + 3);
    return -1;
}

Integer TNameRecord::GetR2() const
{
    const Byte t = FirstToken();
    if (IsToken(t, ptgArea3d))
        return GetWord(Data(), TokenStart() + 5);
    if (IsToken(t, ptgRef3d))
        return GetWord(Data(), TokenStart() + 3);
    return -1;
}

Integer TNameRecord::GetC1() const
{
    const Byte t = FirstToken();
    if (IsToken(t, ptgArea3d))
        return Data()[TokenStart() + 7];
    if (IsToken(t, ptgRef3d))
        return Data()[TokenStart() + 5];
    return -1;
}

Integer TNameRecord::GetC2() const
{
    const Byte t = FirstToken();
    if (IsToken(t, ptgArea3d))
        return Data()[TokenStart() + 9];
    if (IsToken(t, ptgRef3d))
        return Data()[TokenStart() + 5];
    return -1;
}

Integer TNameRecord::RefersToSheet(const TGetSheet& GetSheet) const
{
    const Byte t = FirstToken();
    const bool is3d = IsToken(t, ptgArea3d) || IsToken(t, ptgRef3d);
    if (!is3d || !GetSheet)
        return -1;
    return GetSheet(GetWord(Data(), TokenStart() + 1));
}

void TNameRecord::ChangeRefToArea()
{
    const Byte t = FirstToken();
    if (!IsToken(t, ptgRef3d))
        return;
    const Integer start = TokenStart();
    ByteArray data(FData.size() + 4, 0);
    std::copy(FData.begin(), FData.begin() + start + 7, data.begin());
    std::copy(FData.begin() + start + 7, FData.end(), data.begin() + start + 11);
    data[static_cast<size_t>(start)] = PtgWithClass(ptgArea3d, t & ptgClassMask);
    const Word row = GetWord(FData.data(), start + 3);
    const Word col = GetWord(FData.data(), start + 5);
    ::SetWord(data.data(), start + 3, row);
    ::SetWord(data.data(), start + 5, row);
    ::SetWord(data.data(), start + 7, col);
    ::SetWord(data.data(), start + 9, col);
    ::SetWord(data.data(), 4, static_cast<Word>(TokenSize() + 4));
    SetData(std::move(data));
}

void TNameRecord::SetArea(Integer Off, Integer Value, bool IsCol)
{
    if (TokenSize() == 0)
        return;
    ChangeRefToArea();
    const Byte t = FirstToken();
    if (!IsToken(t, ptgArea3d))
        return;
    if (IsCol)
        Data()[TokenStart() + Off] = static_cast<Byte>(Value);
    else
        ::SetWord(Data(), TokenStart() + Off, static_cast<Word>(Value));
}

void TNameRecord::SetR1(Integer Value)
{
    SetArea(3, Value, false);
}
void TNameRecord::SetR2(Integer Value)
{
    SetArea(5, Value, false);
}
void TNameRecord::SetC1(Integer Value)
{
    SetArea(7, Value, true);
}
void TNameRecord::SetC2(Integer Value)
{
    SetArea(9, Value, true);
}

void TNameRecord::ArrangeTokensInsertRowsAndCols(Integer RowPos, Integer RowCount, Integer RowOffset,
                                                 Integer ColPos, Integer ColCount, Integer ColOffset,
                                                 const TSheetInfo& SheetInfo)
{
    try {
        UXlsTokenArray_ArrangeInsertRowsAndCols(Data(), TokenStart(), TokenStart() + TokenSize(), RowPos,
                                                RowCount, RowOffset, ColPos, ColCount, ColOffset, SheetInfo,
                                                true);
    } catch (const ETokenException& e) {
        XlsError(ErrBadName, {UTF8Encode(Name()), Int64(e.TokenId)});
    }
}

void TNameRecord::ArrangeInsertRowsAndCols(Integer RowPos, Integer RowCount, Integer ColPos, Integer ColCount,
                                           const TSheetInfo& SheetInfo)
{
    ArrangeTokensInsertRowsAndCols(RowPos, RowCount, 0, ColPos, ColCount, 0, SheetInfo);
}

void TNameRecord::ArrangeInsertSheets(Integer SheetPos, Integer SheetCount)
{
    if (RangeSheet() >= SheetPos)
        IncWord(Data(), 8, SheetCount, 65001);
}

void TNameRecord::ArrangeCopySheet(const TSheetInfo& SheetInfo)
{
    try {
        UXlsTokenArray_ArrangeInsertSheets(Data(), TokenStart(), TokenStart() + TokenSize(), SheetInfo);
    } catch (const ETokenException& e) {
        XlsError(ErrBadName, {UTF8Encode(Name()), Int64(e.TokenId)});
    }
    ::SetWord(Data(), 8, static_cast<Word>(SheetInfo.InsSheet + 1));
}

// ---- TShrFmlaRecord --------------------------------------------------------------------------

TShrFmlaRecord::TShrFmlaRecord(Word aId, TRecordBody aData) : TBaseRecord(aId, std::move(aData))
{
    if (DataSize() < 10 || 10 + GetWord(Data(), 8) > DataSize())
        Invalid(aId);
}

std::unique_ptr<TBaseRecord> TShrFmlaRecord::DoCopyTo() const
{
    auto copy = std::make_unique<TShrFmlaRecord>(FId, FData);
    CopyContinueTo(*copy);
    copy->AnchorKey = AnchorKey;
    return copy;
}

// ---- Lists -----------------------------------------------------------------------------------

TNameRecord* TNameRecordList::Items(Integer Index) const
{
    return dynamic_cast<TNameRecord*>(TBaseRecordList::Items(Index));
}

void TNameRecordList::ArrangeInsertRowsAndCols(Integer aRowPos, Integer aRowCount, Integer aColPos,
                                               Integer aColCount, const TSheetInfo& SheetInfo)
{
    for (Integer i = 0; i < Count(); ++i)
        if (TNameRecord* n = Items(i))
            n->ArrangeInsertRowsAndCols(aRowPos, aRowCount, aColPos, aColCount, SheetInfo);
}

void TNameRecordList::DeleteSheets(Integer FirstSheet, Integer SheetCount)
{
    for (Integer i = Count() - 1; i >= 0; --i) {
        TNameRecord* n = Items(i);
        if (!n)
            continue;
        const Integer sheet = n->RangeSheet();
        if (sheet >= FirstSheet && sheet < FirstSheet + SheetCount) {
            Delete(i);
        } else {
            n->ArrangeInsertSheets(FirstSheet, -SheetCount);
        }
    }
}

void TNameRecordList::InsertSheets(Integer CopyFrom, Integer BeforeSheet, Integer SheetCount,
                                   const TSheetInfo& SheetInfo)
{
    TSheetInfo info = SheetInfo;
    const Integer existing = Count();
    for (Integer i = 0; i < existing; ++i) {
        TNameRecord* n = Items(i);
        if (!n)
            continue;
        const bool own = CopyFrom >= 0 && n->RangeSheet() == CopyFrom;
        const bool global =
            n->RangeSheet() == -1 && n->RefersToSheet(SheetInfo.GetSheet) == SheetInfo.FormulaSheet;
        if (own || global) {
            for (Integer k = 0; k < SheetCount; ++k) {
                std::unique_ptr<TBaseRecord> copy = n->CopyTo();
                info.InsSheet = BeforeSheet + k;
                static_cast<TNameRecord*>(copy.get())->ArrangeCopySheet(info);
                Add(std::move(copy));
            }
        }
        n->ArrangeInsertSheets(BeforeSheet, SheetCount);
    }
}

TShrFmlaRecord* TShrFmlaRecordList::Items(Integer Index) const
{
    return dynamic_cast<TShrFmlaRecord*>(TBaseRecordList::Items(Index));
}

void TShrFmlaRecordList::Sort()
{
    std::stable_sort(FList.begin(), FList.end(), [](const auto& a, const auto& b) {
        const auto* x = dynamic_cast<const TShrFmlaRecord*>(a.get());
        const auto* y = dynamic_cast<const TShrFmlaRecord*>(b.get());
        return (x ? x->AnchorKey : 0) < (y ? y->AnchorKey : 0);
    });
    FSorted = true;
}

bool TShrFmlaRecordList::Find(LongWord aKey, Integer& Index)
{
    if (!FSorted)
        Sort();
    Integer lo = 0, hi = Count() - 1;
    while (lo <= hi) {
        const Integer mid = (lo + hi) / 2;
        const TShrFmlaRecord* r = Items(mid);
        const LongWord key = r ? r->AnchorKey : 0;
        if (key == aKey) {
            Index = mid;
            return true;
        }
        if (key < aKey)
            lo = mid + 1;
        else
            hi = mid - 1;
    }
    Index = lo;
    return false;
}

// ---- Factory ---------------------------------------------------------------------------------

namespace {
template <class T> std::unique_ptr<TBaseRecord> MakeRec(Word Id, TRecordBody Data)
{
    return std::make_unique<T>(Id, std::move(Data));
}
} // namespace

TXlsRecordCreator FormulaRecordCreator(Word Id)
{
    switch (Id) {
    case xlr_FORMULA:
        return MakeRec<TFormulaRecord>;
    case xlr_NAME:
        return MakeRec<TNameRecord>;
    case xlr_SHRFMLA:
        return MakeRec<TShrFmlaRecord>;
    case xlr_TABLE:
        return MakeRec<TTableRecord>;
    case xlr_ARRAY:
        return MakeRec<TArrayRecord>;
    case xlr_SUPBOOK:
        return MakeRec<TSupBookRecord>;
    case xlr_EXTERNNAME:
    case xlr_EXTERNNAME2:
        return MakeRec<TExternNameRecord>;
    case xlr_EXTERNSHEET:
        return MakeRec<TExternSheetRecord>;
    default:
        return nullptr;
    }
}
