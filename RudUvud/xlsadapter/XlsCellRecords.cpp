#include "RudUvud/xlsadapter/XlsCellRecords.h"

#include "platform/rtl/Conversions.h"
#include "platform/rtl/Strings.h"

#include <cmath>
#include <cstring>

using namespace zivXlsMessages;

namespace {

uint64_t Bits(double V)
{
    uint64_t b;
    std::memcpy(&b, &V, sizeof b);
    return b;
}

double FromBits(uint64_t B)
{
    double v;
    std::memcpy(&v, &B, sizeof v);
    return v;
}

void CheckSize(const TBaseRecord& R, Word MinSize)
{
    if (R.DataSize() < MinSize)
        XlsError(ErrWrongExcelRecord, {static_cast<Int64>(R.Id())});
}

AnsiString NumberText(double V)
{
    return FloatToStr(V);
}

} // namespace

bool EncodeRK(double Value, LongWord& RK)
{
    for (int m = 0; m < 2; ++m) {
        const double scaled = m == 0 ? Value : Value * 100.0;
        const uint64_t b = Bits(scaled);
        if ((b & 0x3FFFFFFFFull) == 0) {
            RK = static_cast<LongWord>(b >> 32) + static_cast<LongWord>(m);
            return true;
        }
        if (std::isfinite(scaled) && std::floor(scaled) == scaled && scaled >= -536870912.0 &&
            scaled <= 536870911.0) {
            RK = static_cast<LongWord>(static_cast<int32_t>(scaled) * 4 + 2 + m);
            return true;
        }
    }
    return false;
}

bool IsRK(double Value)
{
    LongWord rk;
    return EncodeRK(Value, rk);
}

double DecodeRK(LongWord RK)
{
    double v;
    if (RK & 2)
        v = static_cast<double>(static_cast<int32_t>(RK) >> 2);
    else
        v = FromBits(static_cast<uint64_t>(RK & 0xFFFFFFFCu) << 32);
    if (RK & 1)
        v /= 100.0;
    return v;
}

double XlsVariantToDouble(const TXlsVariant& Value)
{
    switch (Value.VarType) {
    case xvEmpty:
        return 0;
    case xvNumber:
    case xvDate:
        return Value.Number;
    case xvBoolean:
        return Value.Boolean ? 1 : 0;
    case xvString:
        return StrToFloat(WideToAnsi(Value.Text));
    }
    return 0;
}

// ---- NUMBER ----------------------------------------------------------------------------------

TNumberRecord::TNumberRecord(Word aId, TRecordBody aData) : TCellRecord(aId, std::move(aData))
{
    CheckSize(*this, 14);
}

TNumberRecord::TNumberRecord(Word aRow, Word aCol, Word aXF) : TCellRecord(xlr_NUMBER, 14, aRow, aCol, aXF) {}

TXlsVariant TNumberRecord::GetValue() const
{
    return TXlsVariant::FromNumber(GetNumber());
}

void TNumberRecord::SetValue(const TXlsVariant& Value)
{
    SetDouble(Data(), 6, XlsVariantToDouble(Value));
}

// ---- RK --------------------------------------------------------------------------------------

TRKRecord::TRKRecord(Word aId, TRecordBody aData) : TCellRecord(aId, std::move(aData))
{
    CheckSize(*this, 10);
}

TRKRecord::TRKRecord(Word aRow, Word aCol, Word aXF) : TCellRecord(xlr_RK, 10, aRow, aCol, aXF) {}

TXlsVariant TRKRecord::GetValue() const
{
    return TXlsVariant::FromNumber(DecodeRK(GetRK()));
}

void TRKRecord::SetValue(const TXlsVariant& Value)
{
    const double v = XlsVariantToDouble(Value);
    LongWord rk;
    if (!EncodeRK(v, rk))
        XlsError(ErrInvalidCellValue, {NumberText(v)});
    SetLongWord(Data(), 6, rk);
}

bool TRKRecord::CanJoinNext(const TCellRecord* NextRecord, Integer MaxCol) const
{
    return NextRecord && NextRecord->Id() == xlr_RK && NextRecord->GetRow() == GetRow() &&
           NextRecord->GetColumn() == GetColumn() + 1 && NextRecord->GetColumn() <= MaxCol;
}

void TRKRecord::SaveFirstMul(TOle2File& Workbook, Word JoinedRecordSize)
{
    Workbook.WriteHeader(xlr_MULRK, static_cast<Word>(JoinedRecordSize - 4));
    Workbook.WriteMem(Data(), 10); // row, column, XF, RK
}

void TRKRecord::SaveMidMul(TOle2File& Workbook)
{
    Workbook.WriteMem(Data() + 4, 6);
}

void TRKRecord::SaveLastMul(TOle2File& Workbook)
{
    Workbook.WriteMem(Data() + 4, 6);
    Workbook.Write16(GetColumn());
}

// ---- BLANK -----------------------------------------------------------------------------------

TBlankRecord::TBlankRecord(Word aId, TRecordBody aData) : TCellRecord(aId, std::move(aData)) {}

TBlankRecord::TBlankRecord(Word aRow, Word aCol, Word aXF) : TCellRecord(xlr_BLANK, 6, aRow, aCol, aXF) {}

bool TBlankRecord::CanJoinNext(const TCellRecord* NextRecord, Integer MaxCol) const
{
    return NextRecord && NextRecord->Id() == xlr_BLANK && NextRecord->GetRow() == GetRow() &&
           NextRecord->GetColumn() == GetColumn() + 1 && NextRecord->GetColumn() <= MaxCol;
}

void TBlankRecord::SaveFirstMul(TOle2File& Workbook, Word JoinedRecordSize)
{
    Workbook.WriteHeader(xlr_MULBLANK, static_cast<Word>(JoinedRecordSize - 4));
    Workbook.WriteMem(Data(), 6);
}

void TBlankRecord::SaveMidMul(TOle2File& Workbook)
{
    Workbook.Write16(GetXF());
}

void TBlankRecord::SaveLastMul(TOle2File& Workbook)
{
    Workbook.Write16(GetXF());
    Workbook.Write16(GetColumn());
}

// ---- BOOLERR ---------------------------------------------------------------------------------

namespace {
struct TErrCode {
    Byte Code;
    const char* const* Text;
};
const TErrCode ErrCodes[] = {{0, &xlerr_Null},  {7, &xlerr_Div0}, {15, &xlerr_Value}, {23, &xlerr_Ref},
                             {29, &xlerr_Name}, {36, &xlerr_Num}, {42, &xlerr_NA}};
} // namespace

TBoolErrRecord::TBoolErrRecord(Word aId, TRecordBody aData) : TCellRecord(aId, std::move(aData))
{
    CheckSize(*this, 8);
}

TBoolErrRecord::TBoolErrRecord(Word aRow, Word aCol, Word aXF) : TCellRecord(xlr_BOOLERR, 8, aRow, aCol, aXF)
{
}

WideString TBoolErrRecord::ErrcodeToString(Integer Code)
{
    for (const TErrCode& e : ErrCodes)
        if (e.Code == Code)
            return AnsiToWide(*e.Text);
    return AnsiToWide(xlerr_Null);
}

Byte TBoolErrRecord::StringToErrcode(const WideString& Text)
{
    for (const TErrCode& e : ErrCodes)
        if (Text == AnsiToWide(*e.Text))
            return e.Code;
    XlsError(ErrInvalidErrStr, {WideToAnsi(Text)});
}

TXlsVariant TBoolErrRecord::GetValue() const
{
    if (IsError())
        return TXlsVariant::FromString(ErrcodeToString(Data()[6]));
    return TXlsVariant::FromBoolean(Data()[6] != 0);
}

void TBoolErrRecord::SetValue(const TXlsVariant& Value)
{
    switch (Value.VarType) {
    case xvBoolean:
        Data()[7] = 0;
        Data()[6] = Value.Boolean ? 1 : 0;
        return;
    case xvString: {
        // The code is found before anything changes, so a refused text leaves the cell as it was.
        const Byte code = StringToErrcode(Value.Text);
        Data()[7] = 1;
        Data()[6] = code;
        return;
    }
    case xvEmpty:
        XlsError(ErrInvalidCellValue, {AnsiString()});
    default:
        XlsError(ErrInvalidCellValue, {WideToAnsi(VariantToString(Value))});
    }
}

// ---- MULRK and MULBLANK ----------------------------------------------------------------------

TMultipleValueRecord::TMultipleValueRecord(Word aId, TRecordBody aData) : TBaseRecord(aId, std::move(aData))
{
    CheckSize(*this, 6);
}

std::unique_ptr<TCellRecord> TMulRKRecord::ExtractOneRecord()
{
    TRecordBody d(10); // held inside the record: no heap block per cell
    SetWord(d.data(), 0, GetRow());
    SetWord(d.data(), 2, static_cast<Word>(GetFirstColumn() + FExtractPos));
    std::memcpy(d.data() + 4, Data() + 4 + 6 * FExtractPos, 6);
    ++FExtractPos;
    return std::make_unique<TRKRecord>(xlr_RK, std::move(d));
}

std::unique_ptr<TCellRecord> TMulBlankRecord::ExtractOneRecord()
{
    TRecordBody d(6); // held inside the record: no heap block per cell
    SetWord(d.data(), 0, GetRow());
    SetWord(d.data(), 2, static_cast<Word>(GetFirstColumn() + FExtractPos));
    SetWord(d.data(), 4, GetWord(Data(), 4 + 2 * FExtractPos));
    ++FExtractPos;
    return std::make_unique<TBlankRecord>(xlr_BLANK, std::move(d));
}
