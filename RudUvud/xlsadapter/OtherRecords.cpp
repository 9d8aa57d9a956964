#include "RudUvud/xlsadapter/OtherRecords.h"

using namespace zivXlsMessages;

namespace {

void RequireSize(Word Id, Integer Size, Integer Min)
{
    if (Size < Min)
        XlsError(ErrWrongExcelRecord, {static_cast<Int64>(Id)});
}

// Checks that the string at Pos lies inside the record's own data.
void RequireString(const TBaseRecord& Rec, Integer LenWidth, Integer Pos)
{
    const TBaseRecord* r = &Rec;
    Integer p = Pos;
    TExcelString s(LenWidth, r, p);
    if (r != &Rec)
        XlsError(ErrWrongExcelRecord, {static_cast<Int64>(Rec.Id())});
}

} // namespace

TBOFRecord::TBOFRecord(Word aId, TRecordBody aData) : TBaseRecord(aId, std::move(aData))
{
    if (DataSize() < 4 || GetWord(Data(), 0) != 0x0600)
        XlsError(ErrInvalidVersion);
}

TBoundSheetRecord::TBoundSheetRecord(Word aId, TRecordBody aData) : TBaseRecord(aId, std::move(aData))
{
    RequireSize(aId, DataSize(), 8);
    RequireString(*this, 1, 6);
}

TBoundSheetRecord::TBoundSheetRecord(Word aOptionFlags, const WideString& aName) : TBaseRecord(0x0085, {})
{
    TExcelString s(1, aName);
    ByteArray d(6, 0);
    ::SetWord(d.data(), 4, aOptionFlags);
    s.SaveToBytes(d);
    SetData(std::move(d));
}

WideString TBoundSheetRecord::GetSheetName() const
{
    const TBaseRecord* r = this;
    Integer pos = 6;
    return TExcelString(1, r, pos).GetValue();
}

void TBoundSheetRecord::SetSheetName(const WideString& Name)
{
    TExcelString s(1, Name);
    ByteArray d(Data().get(), Data() + 6);
    s.SaveToBytes(d);
    SetData(std::move(d));
}

TSSTRecord::TSSTRecord(Word aId, TRecordBody aData) : TBaseRecord(aId, std::move(aData))
{
    RequireSize(aId, DataSize(), 8);
    FUniqueCount = GetLongWord(Data(), 4);
}

TCodeNameRecord::TCodeNameRecord(Word aId, TRecordBody aData) : TBaseRecord(aId, std::move(aData))
{
    RequireSize(aId, DataSize(), 3);
    RequireString(*this, 2, 0);
}

TCodeNameRecord::TCodeNameRecord(const WideString& aName) : TBaseRecord(0x01BA, {})
{
    SetSheetName(aName);
}

WideString TCodeNameRecord::GetSheetName() const
{
    const TBaseRecord* r = this;
    Integer pos = 0;
    return TExcelString(2, r, pos).GetValue();
}

void TCodeNameRecord::SetSheetName(const WideString& Name)
{
    ByteArray d;
    TExcelString(2, Name).SaveToBytes(d);
    SetData(std::move(d));
}

void TTemplateRecord::SaveNewRecord(TOle2File& Workbook)
{
    Workbook.WriteHeader(0x0060, 0);
}

TObjRecord::TObjRecord(Word aId, TRecordBody aData) : TBaseRecord(aId, std::move(aData))
{
    if (DataSize() >= 2)
        FFirstSubRecord = GetWord(Data(), 0);
    if (FFirstSubRecord == 0x0015 && DataSize() >= 6)
        FObjType = GetWord(Data(), 4);
}

TTXORecord::TTXORecord(Word aId, TRecordBody aData) : TBaseRecord(aId, std::move(aData))
{
    RequireSize(aId, DataSize(), 18);
}

TTXORecord::TTXORecord() : TBaseRecord(0x01B6, ByteArray(18, 0))
{
    ::SetWord(Data(), 0, 0x0212);
}

TGutsRecord::TGutsRecord(Word aId, TRecordBody aData) : TBaseRecord(aId, std::move(aData))
{
    RequireSize(aId, DataSize(), 8);
}

std::unique_ptr<TBaseRecord> TGutsRecord::DoCopyTo() const
{
    auto copy = TBaseRecord::DoCopyTo();
    static_cast<TGutsRecord&>(*copy).RecalcNeeded = RecalcNeeded;
    return copy;
}

namespace {
void SetOutline(Byte* Data, Integer GutterPos, Integer CountPos, Integer Level)
{
    Word gutter, count;
    if (Level <= 0) {
        gutter = 0;
        count = 0;
    } else if (Level <= 7) {
        gutter = static_cast<Word>(12 * Level + 29);
        count = static_cast<Word>(Level + 1);
    } else {
        gutter = 113;
        count = 8;
    }
    SetWord(Data, GutterPos, gutter);
    SetWord(Data, CountPos, count);
}
} // namespace

void TGutsRecord::SetRowLevel(Integer Value)
{
    SetOutline(Data(), 0, 4, Value);
}

void TGutsRecord::SetColLevel(Integer Value)
{
    SetOutline(Data(), 2, 6, Value);
}

TPaneRecord::TPaneRecord(Word aId, TRecordBody aData) : TBaseRecord(aId, std::move(aData))
{
    RequireSize(aId, DataSize(), 10);
}

void TPaneRecord::EnsureSelectedVisible()
{
    const bool cols = Get_ColSplit() > 0, rows = Get_RowSplit() > 0;
    switch (Get_ActivePane()) {
    case 0:
        if (!(cols && rows))
            Set_ActivePane(cols ? 1 : (rows ? 2 : 3));
        break;
    case 1:
        if (!cols)
            Set_ActivePane(3);
        break;
    case 2:
        if (!rows)
            Set_ActivePane(3);
        break;
    default:
        break;
    }
}
