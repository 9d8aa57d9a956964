#include "RudUvud/xlsadapter/XlsWorkbookGlobals.h"

#include "RudUvud/xlsadapter/XlsFormula.h"
#include "platform/rtl/Guards.h"
#include "platform/rtl/Strings.h"

#include <algorithm>

using namespace zivXlsMessages;

namespace {

constexpr Word xlr_BOF = 0x0809;
constexpr Word xlr_OBPROJ = 0x00D3;
constexpr Word xlr_BOUNDSHEET = 0x0085;
constexpr Word xlr_SST = 0x00FC;
constexpr Word xlr_TEMPLATE = 0x0060;
constexpr Word xlr_COUNTRY = 0x008C;

template <class T> std::unique_ptr<T> Cast(std::unique_ptr<TBaseRecord>& Rec)
{
    return std::unique_ptr<T>(static_cast<T*>(Rec.release()));
}

bool IsLetter(char16_t C)
{
    return (C >= u'A' && C <= u'Z') || (C >= u'a' && C <= u'z');
}
bool IsDigit(char16_t C)
{
    return C >= u'0' && C <= u'9';
}

bool AllDigits(const WideString& S, size_t From)
{
    for (size_t i = From; i < S.size(); ++i)
        if (!IsDigit(S[i]))
            return false;
    return true;
}

bool Forbidden(char16_t C)
{
    return C <= 0x002F || (C >= 0x003A && C <= 0x003E) || C == 0x0040 || C == u'[' || C == u']' ||
           C == u'{' || C == u'}' || C == u'~' || (C >= 0x007F && C <= 0x00BF && C != 0x00B5);
}

} // namespace

// ---- TBoundSheetList -------------------------------------------------------------------------------

void TBoundSheetList::Add(std::unique_ptr<TBoundSheetRecord> Rec)
{
    FSheetNames.Add(Rec->GetSheetName());
    FBoundSheets.Add(std::move(Rec));
}

void TBoundSheetList::InsertSheet(Integer BeforeSheet, Word OptionFlags, const WideString& Name)
{
    auto rec = std::make_unique<TBoundSheetRecord>(OptionFlags, WideString());
    const WideString full = FSheetNames.AddUniqueName(Name);
    TScopeExit Unname([this, &full] { FSheetNames.DeleteSheet(full); });
    rec->SetSheetName(full);
    FBoundSheets.Insert(BeforeSheet, std::move(rec));
    Unname.Dismiss();
}

void TBoundSheetList::DeleteSheet(Integer Index)
{
    FSheetNames.DeleteSheet(FBoundSheets.GetSheetName(Index));
    FBoundSheets.Delete(Index);
}

void TBoundSheetList::Clear()
{
    FSheetNames.Clear();
    FBoundSheets.Clear();
}

// ---- TWorkbookGlobals ------------------------------------------------------------------------------

TWorkbookGlobals::TWorkbookGlobals() = default;
TWorkbookGlobals::~TWorkbookGlobals() = default;

void TWorkbookGlobals::Clear()
{
    TBaseSection::Clear();
    FSST.Clear();
    FReferences.Clear();
    FBoundSheets.Clear();
    FOtherRecords.Clear();
    FNames.Clear();
    FDrawingGroup.Clear();
    FXFList.Clear();
    FFontList.Clear();
    FFormatList.Clear();
    FWindow1 = nullptr;
    F1904 = nullptr;
    FBookBool = nullptr;
    FPrecision = nullptr;
    FPalette = nullptr;
    FHasMacro = false;
    FIsXltTemplate = false;
    FCodeName.clear();
}

void TWorkbookGlobals::LoadFromStream(TOle2File& DataStream, TRecordHeader& RecordHeader,
                                      std::unique_ptr<TBOFRecord> First, TSST* SST)
{
    Clear();
    for (;;) {
        const Word id = RecordHeader.Id;
        std::unique_ptr<TBaseRecord> r = LoadRecords(DataStream, RecordHeader);
        // The style lists are written where their first record was read.
        if (id == xlr_XF && FXFList.Count() == 0)
            FOtherRecords.Add(std::make_unique<TSubListRecord>(&FXFList));
        if (id == xlr_FONT && FFontList.Count() == 0)
            FOtherRecords.Add(std::make_unique<TSubListRecord>(&FFontList));
        if (id == xlr_FORMAT && FFormatList.Count() == 0)
            FOtherRecords.Add(std::make_unique<TSubListRecord>(&FFormatList));
        if (auto* palette = dynamic_cast<TPaletteRecord*>(r.get()))
            FPalette = palette;
        // A new PALETTE goes after the XF records, or before the last STYLE record.
        if (id == xlr_XF || id == xlr_STYLE)
            FPaletteIndex = FOtherRecords.Count();
        if (id == xlr_OBPROJ)
            FHasMacro = true;
        if (auto* code = dynamic_cast<TCodeNameRecord*>(r.get()))
            FCodeName = code->GetSheetName();
        if (id == xlr_BOF)
            XlsError(ErrExcelInvalid);

        if (dynamic_cast<TIgnoreRecord*>(r.get())) {
            // not kept
        } else if (id == xlr_BOUNDSHEET) {
            FBoundSheets.Add(Cast<TBoundSheetRecord>(r));
        } else if (id == xlr_NAME) {
            FNames.Add(std::move(r));
        } else if (id == xlr_XF) {
            FXFList.Add(std::move(r));
        } else if (id == xlr_FONT) {
            FFontList.Add(std::move(r));
        } else if (id == xlr_FORMAT) {
            FFormatList.Add(std::move(r));
        } else if (id == xlr_EOF) {
            FEOF = Cast<TEOFRecord>(r);
            break;
        } else if (id == xlr_SST) {
            FSST.Load(static_cast<TSSTRecord&>(*r));
        } else if (auto* sup = dynamic_cast<TSupBookRecord*>(r.get())) {
            r.release();
            FReferences.AddSupBook(std::unique_ptr<TSupBookRecord>(sup));
        } else if (auto* ext = dynamic_cast<TExternNameRecord*>(r.get())) {
            r.release();
            FReferences.AddExternName(std::unique_ptr<TExternNameRecord>(ext));
        } else if (id == xlr_EXTERNSHEET) {
            FReferences.AddExternRef(*r);
        } else if (id == xlr_MSODRAWINGGROUP) {
            FDrawingGroup.LoadFromStream(DataStream, RecordHeader, std::move(r));
        } else if (id == xlr_TEMPLATE) {
            FIsXltTemplate = true;
        } else {
            if (auto* w = dynamic_cast<TWindow1Record*>(r.get()))
                FWindow1 = w;
            else if (auto* d = dynamic_cast<T1904Record*>(r.get()))
                F1904 = d;
            else if (auto* b = dynamic_cast<TBookBoolRecord*>(r.get()))
                FBookBool = b;
            else if (auto* p = dynamic_cast<TPrecisionRecord*>(r.get()))
                FPrecision = p;
            FOtherRecords.Add(std::move(r));
        }
    }
    FBOF = std::move(First);
}

void TWorkbookGlobals::CheckSheetIndex(Integer SheetIndex) const
{
    if (SheetIndex < 0 || SheetIndex >= GetSheetCount())
        XlsError(ErrInvalidSheetNo, {Int64(SheetIndex), Int64(0), Int64(GetSheetCount() - 1)});
}

void TWorkbookGlobals::SaveParts(TOle2File& DataStream, Integer SheetIndex)
{
    if (!FBOF || !FEOF)
        XlsError(ErrSectionNotLoaded);
    if (SheetIndex >= 0)
        CheckSheetIndex(SheetIndex);
    FBOF->SaveToStream(DataStream);
    if (FIsXltTemplate)
        TTemplateRecord::SaveNewRecord(DataStream);
    FOtherRecords.SaveToStream(DataStream);
    if (SheetIndex >= 0)
        FBoundSheets.SaveRangeToStream(DataStream, SheetIndex);
    else
        FBoundSheets.SaveToStream(DataStream);
    FReferences.SaveToStream(DataStream);
    FNames.SaveToStream(DataStream);
    if (SheetIndex < 0)
        FDrawingGroup.SaveToStream(DataStream);
    FSST.SaveToStream(DataStream);
    FEOF->SaveToStream(DataStream);
}

void TWorkbookGlobals::SaveToStream(TOle2File& DataStream)
{
    SaveParts(DataStream, -1);
}

void TWorkbookGlobals::SaveRangeToStream(TOle2File& DataStream, Integer SheetIndex,
                                         const TXlsCellRange& CellRange)
{
    if (SheetIndex < 0)
        CheckSheetIndex(SheetIndex);
    SaveParts(DataStream, SheetIndex);
}

Int64 TWorkbookGlobals::TotalSize()
{
    return TBaseSection::TotalSize() + TTemplateRecord::GetSize(FIsXltTemplate) + FSST.TotalSize() +
           FReferences.TotalSize() + FBoundSheets.TotalSize() + FOtherRecords.GetTotalSize() +
           FNames.GetTotalSize() + FDrawingGroup.TotalSize() + FXFList.GetTotalSize() +
           FFontList.GetTotalSize() + FFormatList.GetTotalSize();
}

Int64 TWorkbookGlobals::TotalRangeSize(Integer SheetIndex, const TXlsCellRange& CellRange)
{
    CheckSheetIndex(SheetIndex);
    return TBaseSection::TotalSize() + TTemplateRecord::GetSize(FIsXltTemplate) + FSST.TotalSize() +
           FReferences.TotalSize() + FBoundSheets.TotalRangeSize(SheetIndex) + FOtherRecords.GetTotalSize() +
           FNames.GetTotalSize() + FXFList.GetTotalSize() + FFontList.GetTotalSize() +
           FFormatList.GetTotalSize();
}

// ---- Sheet directory -------------------------------------------------------------------------------

void TWorkbookGlobals::SetSheetName(Integer Index, const WideString& Name)
{
    const WideString valid = TSheetNameList::MakeValidSheetName(Name);
    // A sheet without a name cannot be written: readers refuse the file.
    if (valid.empty())
        XlsError(ErrInvalidSheet, {UTF8Encode(Name)});
    const WideString old = GetSheetName(Index);
    FBoundSheets.SheetNames().Rename(old, valid);
    FBoundSheets.BoundSheets().SetSheetName(Index, valid);
}

TSheetInfo TWorkbookGlobals::MakeSheetInfo(Integer InsSheet, Integer FormulaSheet)
{
    TSheetInfo info;
    info.InsSheet = InsSheet;
    info.FormulaSheet = FormulaSheet;
    info.GetSheet = [this](Word Ref) { return FReferences.GetSheet(Ref); };
    info.SetSheet = [this](Integer Sheet) { return FReferences.SetSheet(Sheet); };
    return info;
}

void TWorkbookGlobals::InsertSheets(Integer CopyFrom, Integer BeforeSheet, Word OptionFlags,
                                    const WideString& Name, Integer SheetCount)
{
    for (Integer i = 0; i < SheetCount; ++i)
        FBoundSheets.InsertSheet(BeforeSheet, OptionFlags, Name);
    FReferences.InsertSheets(BeforeSheet, SheetCount);
    const Integer source = CopyFrom < BeforeSheet ? CopyFrom : CopyFrom + SheetCount;
    FNames.InsertSheets(CopyFrom, BeforeSheet, SheetCount, MakeSheetInfo(-1, source));
}

void TWorkbookGlobals::DeleteSheets(Integer Sheet, Integer SheetCount)
{
    if (FHasMacro)
        XlsError(ErrCantDeleteSheetWithMacros);
    for (Integer i = 0; i < SheetCount; ++i)
        FBoundSheets.DeleteSheet(Sheet);
    FReferences.InsertSheets(Sheet, -SheetCount);
    FNames.DeleteSheets(Sheet, SheetCount);
}

// ---- Workbook settings -----------------------------------------------------------------------------

void TWorkbookGlobals::SetActiveSheet(Integer Index)
{
    if (FWindow1)
        FWindow1->SetActiveSheet(static_cast<Word>(Index));
}

void TWorkbookGlobals::SetFirstSheetVisible(Integer Index)
{
    if (FWindow1)
        FWindow1->SetFirstSheetVisible(static_cast<Word>(Index));
}

void TWorkbookGlobals::SetIs1904(bool Value)
{
    if (F1904)
        F1904->SetIs1904(Value);
}

void TWorkbookGlobals::SetPrecisionAsDisplayed(bool Value)
{
    if (FPrecision)
        FPrecision->SetPrecisionAsDisplayed(Value);
}

void TWorkbookGlobals::SetSaveExternalLinkValues(bool Value)
{
    if (FBookBool)
        FBookBool->SetSaveExternalLinkValues(Value);
}

LongWord TWorkbookGlobals::GetColorPalette(Integer Index) const
{
    return FPalette ? FPalette->GetColor(Index) : StandardPalette(Index);
}

void TWorkbookGlobals::SetColorPalette(Integer Index, LongWord Color)
{
    if (!FPalette) {
        StandardPalette(Index); // an index out of range is refused before anything changes
        auto palette = std::make_unique<TPaletteRecord>();
        FPalette = palette.get();
        FOtherRecords.Insert(std::clamp(FPaletteIndex, 0, FOtherRecords.Count()), std::move(palette));
    }
    FPalette->SetColor(Index, Color);
}

// ---- Defined names ---------------------------------------------------------------------------------

bool TWorkbookGlobals::IsValidRangeName(const WideString& Name, LongWord& OptionFlags)
{
    if (Name.size() < 1 || Name.size() > 254)
        return false;
    if (Name == u"R" || Name == u"r")
        return false;
    if (Name.size() == 1 && Name[0] <= 0x0D) {
        OptionFlags |= 0x20; // a built-in name
        return true;
    }
    for (char16_t c : Name)
        if (Forbidden(c))
            return false;
    if (Name[0] < u'A')
        return false;
    if (!IsLetter(Name[0]))
        return true;
    // Names that read as cell references (B12, AB12) are refused.
    if (Name.size() == 1)
        return true;
    if (!IsLetter(Name[1]))
        return !AllDigits(Name, 1);
    if (Name.size() == 2)
        return true;
    return !AllDigits(Name, 2);
}

void TWorkbookGlobals::AddName(TXlsNamedRange& Range, TFormulaContext* Cells)
{
    const WideString name = UTF8Decode(Range.RangeName);
    const bool valid = IsValidRangeName(name, Range.NameOptions);
    const WideString upper = WideUpperCase98(name);
    const WideString localSheet = Range.LocalSheet >= 0 && Range.LocalSheet < GetSheetCount()
                                      ? GetSheetName(Range.LocalSheet)
                                      : (GetSheetCount() > 0 ? GetSheetName(0) : WideString());
    for (Integer i = 0; i < FNames.Count(); ++i) {
        TNameRecord* n = FNames.Items(i);
        if (n && n->RangeSheet() == std::max(Range.LocalSheet, -1) && WideUpperCase98(n->Name()) == upper) {
            FNames.SetItems(i, std::make_unique<TNameRecord>(Range, Cells, localSheet));
            return;
        }
    }
    if (!valid)
        XlsError(ErrInvalidNamedRange, {Range.RangeName});
    FNames.Add(std::make_unique<TNameRecord>(Range, Cells, localSheet));
    CheckInternalNames(Range.NameOptions);
}

TNameRecord* TWorkbookGlobals::GetName(Integer Sheet, const WideString& Name) const
{
    const WideString upper = WideUpperCase98(Name);
    for (Integer i = FNames.Count() - 1; i >= 0; --i) {
        TNameRecord* n = FNames.Items(i);
        if (n && n->RangeSheet() == Sheet && WideUpperCase98(n->Name()) == upper)
            return n;
    }
    return nullptr;
}

void TWorkbookGlobals::CheckInternalNames(LongWord OptionFlags)
{
    if (OptionFlags & 0x20)
        DeleteCountry();
}

void TWorkbookGlobals::DeleteCountry()
{
    for (Integer i = FOtherRecords.Count() - 1; i >= 0; --i)
        if (FOtherRecords.Items(i) && FOtherRecords.Items(i)->Id() == xlr_COUNTRY) {
            FOtherRecords.Delete(i);
            return;
        }
}

// ---- Rows and columns ------------------------------------------------------------------------------

void TWorkbookGlobals::InsertAndCopyRowsAndCols(Integer FirstRow, Integer LastRow, Integer DestRow,
                                                Integer RowCount, Integer FirstCol, Integer LastCol,
                                                Integer DestCol, Integer ColCount,
                                                const TSheetInfo& SheetInfo)
{
    FNames.ArrangeInsertRowsAndCols(DestRow, RowCount * (LastRow - FirstRow + 1), DestCol,
                                    ColCount * (LastCol - FirstCol + 1), SheetInfo);
}

void TWorkbookGlobals::DeleteRowsAndCols(Integer Row, Integer RowCount, Integer Col, Integer ColCount,
                                         const TSheetInfo& SheetInfo)
{
    FNames.ArrangeInsertRowsAndCols(Row, -RowCount, Col, -ColCount, SheetInfo);
}
