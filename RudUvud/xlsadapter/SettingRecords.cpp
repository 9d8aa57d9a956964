#include "RudUvud/xlsadapter/SettingRecords.h"

#include "platform/rtl/Guards.h"

#include <algorithm>
#include <cmath>

using namespace zivXlsMessages;

namespace {
void RequireSize(Word Id, Integer Size, Integer Min)
{
    if (Size < Min)
        XlsError(ErrWrongExcelRecord, {static_cast<Int64>(Id)});
}
} // namespace

// ---- ROW ------------------------------------------------------------------------------------

TRowRecord::TRowRecord(Word aId, TRecordBody aData) : TBaseRowColRecord(aId, std::move(aData))
{
    RequireSize(aId, DataSize(), 16);
    ::SetWord(Data(), 8, 0);
}

TRowRecord::TRowRecord(Word aRow) : TBaseRowColRecord(0x0208, TRecordBody(16))
{
    SetRow(aRow);
    SetHeight(255);
    SetOptions(0x0100);
    ::SetWord(Data(), 14, 15);
}

Word TRowRecord::GetXF() const
{
    return IsFormatted() ? (GetWord(Data(), 14) & 0x0FFF) : 15;
}

void TRowRecord::SetXF(Word XF)
{
    SetOptions(GetOptions() | 0x80 | 0x100);
    ::SetWord(Data(), 14, XF);
}

void TRowRecord::SaveRangeToStream(TOle2File& DataStream, Integer FirstCol, Integer LastCol)
{
    const Word minCol = GetMinCol(), maxCol = GetMaxCol();
    // The row keeps its own columns once the range is written.
    TScopeExit Restore([this, minCol, maxCol] {
        SetMinCol(minCol);
        SetMaxCol(maxCol);
    });
    if (minCol < FirstCol)
        SetMinCol(static_cast<Word>(FirstCol));
    if (maxCol > LastCol + 1)
        SetMaxCol(static_cast<Word>(LastCol + 1));
    SaveToStream(DataStream);
}

// ---- DIMENSIONS, STRING ------------------------------------------------------------------------

TDimensionsRecord::TDimensionsRecord(Word aId, TRecordBody aData) : TBaseRecord(aId, std::move(aData))
{
    RequireSize(aId, DataSize(), 14);
}

TDimensionsRec TDimensionsRecord::Dim() const
{
    return {GetLongWord(Data(), 0), GetLongWord(Data(), 4), GetWord(Data(), 8), GetWord(Data(), 10),
            GetWord(Data(), 12)};
}

void TDimensionsRecord::SetDim(const TDimensionsRec& D)
{
    ::SetLongWord(Data(), 0, D.FirstRow);
    ::SetLongWord(Data(), 4, D.LastRow);
    ::SetWord(Data(), 8, D.FirstCol);
    ::SetWord(Data(), 10, D.LastCol);
    ::SetWord(Data(), 12, D.Extra);
}

TStringRecord::TStringRecord(Word aId, TRecordBody aData) : TBaseRecord(aId, std::move(aData))
{
    RequireSize(aId, DataSize(), 3);
}

WideString TStringRecord::Value() const
{
    const TBaseRecord* r = this;
    Integer pos = 0;
    return TExcelString(2, r, pos).GetValue();
}

// ---- Windows and zoom ---------------------------------------------------------------------------

TWindow1Record::TWindow1Record(Word aId, TRecordBody aData) : TBaseRecord(aId, std::move(aData))
{
    RequireSize(aId, DataSize(), 18);
}

void TWindow1Record::SetActiveSheet(Word Value)
{
    ::SetWord(Data(), 10, Value);
    ::SetWord(Data(), 12, 0);
    ::SetWord(Data(), 14, 1);
}

void TWindow1Record::SaveToStream(TOle2File& Workbook)
{
    if (GetWord(Data(), 4) == 0)
        ::SetWord(Data(), 4, 1);
    if (GetWord(Data(), 6) == 0)
        ::SetWord(Data(), 6, 1);
    TBaseRecord::SaveToStream(Workbook);
}

TWindow2Record::TWindow2Record(Word aId, TRecordBody aData) : TBaseRecord(aId, std::move(aData))
{
    RequireSize(aId, DataSize(), 10);
}

std::unique_ptr<TBaseRecord> TWindow2Record::DoCopyTo() const
{
    auto copy = TBaseRecord::DoCopyTo();
    static_cast<TWindow2Record&>(*copy).SetSelected(false);
    return copy;
}

void TWindow2Record::SetBit(Word Bit, bool Value)
{
    ::SetWord(Data(), 0, Value ? (Options() | Bit) : (Options() & ~Bit));
}

void TWindow2Record::SetSelected(bool Value)
{
    SetBit(0x600, Value);
}

Integer TWindow2Record::GetSheetZoom() const
{
    return DataSize() >= 14 ? GetWord(Data(), 12) : 0;
}

void TWindow2Record::SetSheetZoom(Integer Value)
{
    if (DataSize() < 14)
        return;
    ::SetWord(Data(), 12, static_cast<Word>(std::clamp(Value, 10, 400)));
}

TSCLRecord::TSCLRecord(Word aId, TRecordBody aData) : TBaseRecord(aId, std::move(aData))
{
    RequireSize(aId, DataSize(), 4);
}

TSCLRecord::TSCLRecord(Integer aZoom) : TBaseRecord(0x00A0, ByteArray(4, 0))
{
    SetZoom(aZoom);
}

Integer TSCLRecord::GetZoom() const
{
    Word den = GetWord(Data(), 2);
    if (den == 0)
        return 100;
    return static_cast<Integer>(std::nearbyint(GetWord(Data(), 0) * 100.0 / den));
}

void TSCLRecord::SetZoom(Integer Value)
{
    ::SetWord(Data(), 0, static_cast<Word>(std::clamp(Value, 10, 400)));
    ::SetWord(Data(), 2, 100);
}

// ---- Widths and heights ------------------------------------------------------------------------

TDefColWidthRecord::TDefColWidthRecord(Word aId, TRecordBody aData) : TBaseRecord(aId, std::move(aData))
{
    RequireSize(aId, DataSize(), 2);
}

void TDefColWidthRecord::SaveToStream(TOle2File& Workbook)
{
    if (Width() >= 256)
        SetWidth(255);
    TBaseRecord::SaveToStream(Workbook);
}

TStandardWidthRecord::TStandardWidthRecord(Word aId, TRecordBody aData) : TBaseRecord(aId, std::move(aData))
{
    RequireSize(aId, DataSize(), 2);
}

TDefRowHeightRecord::TDefRowHeightRecord(Word aId, TRecordBody aData) : TBaseRecord(aId, std::move(aData))
{
    RequireSize(aId, DataSize(), 4);
}

// ---- Header and footer ----------------------------------------------------------------------------

TPageHeaderFooterRecord::TPageHeaderFooterRecord(Word aId, TRecordBody aData)
    : TBaseRecord(aId, std::move(aData))
{
    // No data means no text; any data must hold a whole string.
    if (DataSize() > 0) {
        const TBaseRecord* r = this;
        Integer pos = 0;
        TExcelString s(2, r, pos);
        if (r != this)
            XlsError(ErrWrongExcelRecord, {static_cast<Int64>(aId)});
    }
}

WideString TPageHeaderFooterRecord::GetText() const
{
    if (DataSize() == 0)
        return WideString();
    const TBaseRecord* r = this;
    Integer pos = 0;
    return TExcelString(2, r, pos).GetValue();
}

void TPageHeaderFooterRecord::SetText(const WideString& Text)
{
    ByteArray d;
    TExcelString(2, Text).SaveToBytes(d);
    SetData(std::move(d));
}

TWordRecord::TWordRecord(Word aId, TRecordBody aData) : TBaseRecord(aId, std::move(aData))
{
    RequireSize(aId, DataSize(), 2);
}

// ---- Margins, page setup, printer data ---------------------------------------------------------

TMarginRecord::TMarginRecord(Word aId, TRecordBody aData) : TBaseRecord(aId, std::move(aData))
{
    RequireSize(aId, DataSize(), 8);
}

void TMarginRecord::SetValue(double Value)
{
    if (DataSize() != 8)
        XlsError(ErrMarginRecord);
    ::SetDouble(Data(), 0, Value);
}

TSetupRecord::TSetupRecord(Word aId, TRecordBody aData) : TBaseRecord(aId, std::move(aData))
{
    RequireSize(aId, DataSize(), 34);
}

void TSetupRecord::SetValid(Integer Pos, Word V)
{
    ::SetWord(Data(), 10, GetWord(Data(), 10) & ~4);
    ::SetWord(Data(), Pos, V);
}

TSetupRec TSetupRecord::GetValue() const
{
    const Byte* d = Data();
    return {GetWord(d, 0),  GetWord(d, 2),  GetWord(d, 4),    GetWord(d, 6),    GetWord(d, 8), GetWord(d, 10),
            GetWord(d, 12), GetWord(d, 14), GetDouble(d, 16), GetDouble(d, 24), GetWord(d, 32)};
}

void TSetupRecord::SetValue(const TSetupRec& V)
{
    if (DataSize() != 34)
        XlsError(ErrSetupRecord);
    Byte* d = Data();
    ::SetWord(d, 0, V.PaperSize);
    ::SetWord(d, 2, V.Scale);
    ::SetWord(d, 4, V.PageStart);
    ::SetWord(d, 6, V.FitWidth);
    ::SetWord(d, 8, V.FitHeight);
    ::SetWord(d, 10, V.GrBit);
    ::SetWord(d, 12, V.Resolution);
    ::SetWord(d, 14, V.VResolution);
    ::SetDouble(d, 16, V.HeaderMargin);
    ::SetDouble(d, 24, V.FooterMargin);
    ::SetWord(d, 32, V.Copies);
}

TPlsRecord::TPlsRecord(Word aId, TRecordBody aData) : TBaseRecord(aId, std::move(aData))
{
    RequireSize(aId, DataSize(), 2);
}

TPlsRecord::TPlsRecord(const TPrinterDriverSettings& Settings) : TBaseRecord(0x004D, ByteArray(2, 0))
{
    SetPrinterDriverSettings(Settings);
}

TPrinterDriverSettings TPlsRecord::GetPrinterDriverSettings() const
{
    TPrinterDriverSettings s;
    s.Environment = GetWord(Data(), 0);
    s.DriverData.assign(Data() + 2, Data() + DataSize());
    return s;
}

void TPlsRecord::SetPrinterDriverSettings(const TPrinterDriverSettings& Settings)
{
    if (Settings.DriverData.size() + 2 > 0xFFFF)
        XlsError(ErrTooManyEntries, {static_cast<Int64>(Settings.DriverData.size() + 2), Int64(0xFFFF)});
    if (Settings.DriverData.size() + 2 != DataSize())
        SetData(ByteArray(Settings.DriverData.size() + 2, 0));
    ::SetWord(Data(), 0, Settings.Environment);
    std::copy(Settings.DriverData.begin(), Settings.DriverData.end(), Data() + 2);
}
