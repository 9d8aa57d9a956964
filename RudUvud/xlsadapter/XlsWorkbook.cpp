#include "RudUvud/xlsadapter/XlsWorkbook.h"

#include "RudUvud/xlsadapter/XlsFormula.h"
#include "RudUvud/xlsadapter/XlsFormulaTokens.h"
#include "RudUvud/xlsadapter/XlsTokenArray.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/Strings.h"

#include <set>
#include <unordered_set>

using namespace zivXlsMessages;

namespace {

constexpr Word xlr_BOF = 0x0809;
constexpr Word BOFGlobals = 0x0005;
constexpr Word BOFWorksheet = 0x0010;
constexpr Word BOFChart = 0x0020;

bool IsAsciiDigit(char16_t C)
{
    return C >= u'0' && C <= u'9';
}

} // namespace

TWorkbook::~TWorkbook()
{
    FSheets.clear();
}

void TWorkbook::LoadFromStream(TOle2File& DataStream)
{
    FSheets.clear();
    FGlobals.Clear();
    FSheetsChanged = false;
    TRecordHeader header;
    ReadRecordHeader(DataStream, header);
    bool globalsRead = false;
    while (!DataStream.NextEof(3) && header.Id != 0) {
        const Word id = header.Id;
        std::unique_ptr<TBaseRecord> r = LoadRecords(DataStream, header);
        if (id == xlr_BOF) {
            auto* bof = dynamic_cast<TBOFRecord*>(r.get());
            if (!bof)
                XlsError(ErrExcelInvalid);
            std::unique_ptr<TBOFRecord> first(bof);
            r.release();
            const Word type = first->GetBOFType();
            if (type == BOFGlobals) {
                // The globals come once, before every sheet: a second globals section would
                // replace the string table that the sheets already read point into.
                if (globalsRead || !FSheets.empty())
                    XlsError(ErrExcelInvalid);
                globalsRead = true;
                FGlobals.LoadFromStream(DataStream, header, std::move(first), &FGlobals.SST());
            } else {
                std::unique_ptr<TSheet> sheet;
                if (type == BOFWorksheet)
                    sheet = std::make_unique<TWorkSheet>(&FGlobals);
                else if (type == BOFChart)
                    sheet = std::make_unique<TVovChart>(&FGlobals);
                else
                    sheet = std::make_unique<TVovUnsupportedSheet>(&FGlobals);
                TSheet* s = sheet.get();
                FSheets.push_back(std::move(sheet));
                s->LoadFromStream(DataStream, header, std::move(first), &FGlobals.SST());
            }
        } else if (id != xlr_EOF) {
            XlsError(ErrExcelInvalid);
        }
        // Whatever follows the last sheet the directory announces is not read.
        if (FGlobals.GetSheetCount() > 0 && SheetCount() >= FGlobals.GetSheetCount())
            break;
    }
    FGlobals.SST().Sort();
}

void TWorkbook::FixCodeNames()
{
    if (!FGlobals.HasMacro())
        return;
    // Taken names, compared without case.
    std::set<WideString> taken;
    taken.insert(UpperCase(FGlobals.CodeName()));
    for (auto& s : FSheets) {
        const WideString name = s->GetCodeName();
        if (!name.empty())
            taken.insert(UpperCase(name));
    }
    for (Integer i = 0; i < SheetCount(); ++i) {
        TSheet& s = *FSheets[static_cast<size_t>(i)];
        if (!s.GetCodeName().empty())
            continue;
        const WideString name = FGlobals.GetSheetName(i);
        size_t cut = name.size();
        while (cut > 0 && IsAsciiDigit(name[cut - 1]))
            --cut;
        const WideString prefix = name.substr(0, cut);
        WideString suffix = name.substr(cut);
        Int64 number = 0;
        for (char16_t c : suffix)
            number = number * 10 + (c - u'0') % 10;
        const WideString upper = UpperCase(prefix);
        while (taken.count(upper + suffix)) {
            ++number;
            suffix = UTF8Decode(std::to_string(number));
        }
        s.SetCodeName(prefix + suffix);
        taken.insert(upper + suffix);
    }
}

void TWorkbook::FixRows()
{
    for (auto& s : FSheets)
        s->FixRows();
}

void TWorkbook::FixBoundSheetsOffset(bool Recalc)
{
    FGlobals.SST().FixRefs();
    Int64 offset = FGlobals.TotalSize();
    if (FGlobals.GetSheetCount() != SheetCount())
        XlsError(ErrExcelInvalid);
    FOffsets.clear();
    for (Integer i = 0; i < SheetCount(); ++i) {
        // A BOUNDSHEET holds a 32-bit offset: a stream past 4 GiB cannot be written.
        if (offset > Int64(0xFFFFFFFF))
            XlsError(ErrExcelInvalid);
        FGlobals.SheetSetOffset(i, static_cast<LongWord>(offset));
        FOffsets.push_back(offset);
        offset += FSheets[static_cast<size_t>(i)]->FixTotalSize(Recalc);
    }
}

void TWorkbook::FixRangeBoundSheetsOffset(Integer Sheet, const TXlsCellRange& Range, bool Recalc)
{
    FGlobals.SST().FixRefs();
    const Int64 offset = FGlobals.TotalRangeSize(Sheet, Range);
    if (FGlobals.GetSheetCount() != SheetCount())
        XlsError(ErrExcelInvalid);
    FSheets.at(static_cast<size_t>(Sheet))->FixTotalSize(Recalc);
    FGlobals.SheetSetOffset(Sheet, static_cast<LongWord>(offset));
    FOffsets.assign(1, offset);
}

// ---- Stored formula results ------------------------------------------------------------------------

namespace {

// Functions whose result depends on more than their arguments' values.
bool IsVolatileFunction(Word Id)
{
    switch (Id) {
    case 63:  // RAND
    case 74:  // NOW
    case 78:  // OFFSET
    case 125: // CELL
    case 148: // INDIRECT
    case 221: // TODAY
    case 244: // INFO
    case 255: // an add-in or macro function
        return true;
    default:
        return false;
    }
}

// True when the formula's value may differ from its stored result: it refers to a changed cell
// (plain references are to its own sheet), or to something whose value this walk cannot place (a
// defined name, an array or table formula, a volatile function, a damaged token, a reference that was
// deleted). References to other workbooks do not change with this workbook.
bool IsStale(const TFormulaRecord& F, Integer OwnSheet, const std::vector<TChangedCells>& Changed,
             const TReferences& Refs)
{
    const Byte* data = F.Data();
    const Integer end = 22 + F.TokenSize();
    auto changedOn = [&](Integer Sheet, const TXlsCellRange& R) {
        return Sheet >= 0 && Sheet < static_cast<Integer>(Changed.size()) &&
               Changed[static_cast<size_t>(Sheet)].Intersects(R);
    };
    auto changedIn = [&](Word Index, const TXlsCellRange& R) {
        const TExternRefList& list = Refs.ExternRefs();
        if (Index >= list.Count())
            return true;
        const TExternRef& ref = list.Items(Index);
        if (ref.SupBook != Refs.LocalSupBook())
            return false;
        // A deleted sheet turned the reference into an error.
        if (ref.FirstSheet == 0xFFFF || ref.FirstSheet == 0xFFFE)
            return true;
        for (Integer s = ref.FirstSheet; s <= ref.LastSheet; ++s)
            if (changedOn(s, R))
                return true;
        return false;
    };
    auto cell = [&](Integer At) {
        const Integer row = GetWord(data, At), col = GetWord(data, At + 2) & 0xFF;
        return TXlsCellRange{col, row, col, row};
    };
    auto area = [&](Integer At) {
        return TXlsCellRange{GetWord(data, At + 4) & 0xFF, GetWord(data, At), GetWord(data, At + 6) & 0xFF,
                             GetWord(data, At + 2)};
    };
    try {
        for (Integer pos = 22; pos < end;) {
            const Integer size = FmTokenSize(data, pos, end);
            const Byte raw = data[pos];
            if (raw < ptgFirstClassed) {
                if (raw == ptgExp || raw == ptgTbl)
                    return true;
                if (raw == ptgAttr && (data[pos + 1] & attrVolatile))
                    return true;
            } else {
                switch (PtgBase(raw)) {
                case ptgName:
                case ptgNameX:
                case ptgRefErr:
                case ptgAreaErr:
                case ptgRefErr3d:
                case ptgAreaErr3d:
                    return true;
                case ptgFunc:
                    if (IsVolatileFunction(GetWord(data, pos + 1)))
                        return true;
                    break;
                case ptgFuncVar:
                    if (IsVolatileFunction(GetWord(data, pos + 2) & 0x7FFF))
                        return true;
                    break;
                case ptgRef:
                    if (changedOn(OwnSheet, cell(pos + 1)))
                        return true;
                    break;
                case ptgArea:
                    if (changedOn(OwnSheet, area(pos + 1)))
                        return true;
                    break;
                case ptgRefN:
                case ptgAreaN:
                    if (changedOn(OwnSheet, XlsWholeSheet))
                        return true;
                    break;
                case ptgRef3d:
                    if (changedIn(GetWord(data, pos + 1), cell(pos + 3)))
                        return true;
                    break;
                case ptgArea3d:
                    if (changedIn(GetWord(data, pos + 1), area(pos + 3)))
                        return true;
                    break;
                default:
                    break;
                }
            }
            pos += size;
        }
    } catch (const ETokenException&) {
        return true;
    }
    return false;
}

} // namespace

void TWorkbook::ClearStaleResults()
{
    const size_t n = FSheets.size();
    std::vector<TChangedCells> changed(n);
    bool any = false;
    for (size_t i = 0; i < n; ++i) {
        changed[i] = FSheets[i]->ChangedCells();
        if (FSheetsChanged)
            changed[i].MarkWhole();
        any = any || !changed[i].Empty();
    }
    // Asked to recalculate with no edit known: any cell may have changed.
    if (!any)
        for (TChangedCells& c : changed)
            c.MarkWhole();
    // A formula whose result goes is a changed cell in turn: repeat until no result goes. A long
    // chain of formulas that each refer to a later one would take a pass per formula; after a
    // few passes every sheet counts as changed.
    const TReferences& refs = FGlobals.References();
    std::unordered_set<const TFormulaRecord*> cleared;
    for (Integer pass = 0; pass < 100; ++pass) {
        if (pass == 8)
            for (TChangedCells& c : changed)
                c.MarkWhole();
        bool more = false;
        for (size_t i = 0; i < n; ++i) {
            auto* ws = dynamic_cast<TWorkSheet*>(FSheets[i].get());
            if (!ws)
                continue;
            const Integer own = static_cast<Integer>(i);
            ws->Cells().CellList().ClearStaleResults([&](const TFormulaRecord& F) {
                if (cleared.count(&F) || !IsStale(F, own, changed, refs))
                    return false;
                cleared.insert(&F);
                changed[i].Add({F.GetColumn(), F.GetRow(), F.GetColumn(), F.GetRow()});
                more = true;
                return true;
            });
        }
        if (!more)
            break;
    }
}

void TWorkbook::CheckVisibleSheets()
{
    Integer firstVisible = -1;
    for (Integer i = SheetCount() - 1; i >= 0; --i) {
        if (FGlobals.GetSheetVisible(i) == sv_Visible)
            firstVisible = i;
        else if (FSheets[static_cast<size_t>(i)]->GetSelected())
            XlsError(ErrHiddenSheetSelected);
    }
    if (firstVisible < 0)
        XlsError(ErrNoSheetVisible);
    FGlobals.SetFirstSheetVisible(firstVisible);
}

void TWorkbook::CheckOffset(TOle2File& DataStream, Int64 Start, size_t Sheet) const
{
    // A sheet that does not start where its BOUNDSHEET says would make the file unreadable.
    if (Sheet >= FOffsets.size() || DataStream.Get_Position() - Start != FOffsets[Sheet])
        XlsError(ErrInternal);
}

void TWorkbook::SaveToStream(TOle2File& DataStream, bool Recalc)
{
    if (Recalc)
        ClearStaleResults();
    FixCodeNames();
    FixRows();
    FixBoundSheetsOffset(Recalc);
    CheckVisibleSheets();
    const Int64 start = DataStream.Get_Position();
    FGlobals.SaveToStream(DataStream);
    for (size_t i = 0; i < FSheets.size(); ++i) {
        CheckOffset(DataStream, start, i);
        FSheets[i]->SaveToStream(DataStream);
    }
}

void TWorkbook::SaveRangeToStream(TOle2File& DataStream, Integer Sheet, const TXlsCellRange& Range,
                                  bool Recalc)
{
    if (Recalc)
        ClearStaleResults();
    FixCodeNames();
    FixRows();
    FixRangeBoundSheetsOffset(Sheet, Range, Recalc);
    const Int64 start = DataStream.Get_Position();
    FGlobals.SaveRangeToStream(DataStream, Sheet, Range);
    CheckOffset(DataStream, start, 0);
    FSheets.at(static_cast<size_t>(Sheet))->SaveRangeToStream(DataStream, Sheet, Range);
}

void TWorkbook::SetActiveSheet(Integer Sheet)
{
    FGlobals.SetActiveSheet(Sheet);
    for (auto& s : FSheets)
        s->SetSelected(false);
    if (Sheet >= 0 && Sheet < SheetCount())
        FSheets[static_cast<size_t>(Sheet)]->SetSelected(true);
}

bool TWorkbook::IsWorksheet(Integer Sheet) const
{
    return dynamic_cast<TWorkSheet*>(FSheets.at(static_cast<size_t>(Sheet)).get()) != nullptr;
}

TWorkSheet& TWorkbook::GetWorkSheets(Integer Sheet)
{
    auto* w = dynamic_cast<TWorkSheet*>(FSheets.at(static_cast<size_t>(Sheet)).get());
    if (!w)
        throw EInvalidCast("Invalid class typecast");
    return *w;
}

// ---- Sheets ----------------------------------------------------------------------------------------

void TWorkbook::CheckSheetDirectory() const
{
    // A damaged file may list more or fewer sheets than it holds: such a workbook reads, but its
    // sheets cannot be inserted or deleted (nor saved) without the two going further apart.
    if (FGlobals.GetSheetCount() != SheetCount())
        XlsError(ErrExcelInvalid);
}

void TWorkbook::InsertSheets(Integer CopyFrom, Integer InsertBefore, Integer SheetCount)
{
    CheckSheetDirectory();
    const Integer count = this->SheetCount();
    if (CopyFrom >= count)
        XlsError(ErrInvalidSheetNo, {Int64(CopyFrom), Int64(-1), Int64(count - 1)});
    if (InsertBefore > count || InsertBefore < 0)
        XlsError(ErrInvalidSheetNo, {Int64(InsertBefore), Int64(0), Int64(count)});
    if (SheetCount <= 0)
        return;
    FSheetsChanged = true;
    TSheet* source = CopyFrom >= 0 ? FSheets[static_cast<size_t>(CopyFrom)].get() : nullptr;
    const Word options = source ? FGlobals.GetSheetOptionFlags(CopyFrom) : Word(0);
    // The directory first, so that the sheet list never holds a sheet without its entry.
    FGlobals.InsertSheets(CopyFrom, InsertBefore, options, UTF8Decode(BaseSheetName), SheetCount);
    // The source moves right when the copies go before it.
    const Integer fixed = source && CopyFrom >= InsertBefore ? CopyFrom + SheetCount : CopyFrom;
    for (Integer i = 0; i < SheetCount; ++i) {
        TSheetInfo info = FGlobals.MakeSheetInfo(InsertBefore + SheetCount - 1 - i, fixed);
        info.Names = &FGlobals.Names();
        std::unique_ptr<TSheet> sheet;
        if (source) {
            sheet = source->CopyTo();
        } else {
            sheet = std::make_unique<TWorkSheet>(&FGlobals, &FGlobals.SST());
        }
        TSheet* s = sheet.get();
        FSheets.insert(FSheets.begin() + InsertBefore, std::move(sheet));
        if (source)
            s->ArrangeCopySheet(info);
    }
}

void TWorkbook::DeleteSheets(Integer Sheet, Integer SheetCount)
{
    CheckSheetDirectory();
    const Integer count = this->SheetCount();
    if (Sheet > count || Sheet < 0)
        XlsError(ErrInvalidSheetNo, {Int64(Sheet), Int64(0), Int64(count)});
    // At most the sheets there are: the directory and the sheet list must stay in step.
    const Integer n = std::min(SheetCount, count - Sheet);
    if (n <= 0)
        return;
    FSheetsChanged = true;
    FGlobals.DeleteSheets(Sheet, n);
    for (Integer i = 0; i < n; ++i) {
        auto it = FSheets.begin() + Sheet;
        // A worksheet is emptied first: its comments give their boxes back to its drawing.
        (*it)->Clear();
        FSheets.erase(it);
    }
}

// ---- Rows and columns ------------------------------------------------------------------------------

void TWorkbook::CheckSheetNo(Integer SheetNo) const
{
    if (SheetNo < 0 || SheetNo >= SheetCount())
        XlsError(ErrInvalidSheetNo, {Int64(SheetNo), Int64(0), Int64(SheetCount() - 1)});
}

void TWorkbook::InsertAndCopyRowsAndCols(Integer SheetNo, Integer FirstRow, Integer LastRow, Integer DestRow,
                                         Integer RowCount, Integer FirstCol, Integer LastCol, Integer DestCol,
                                         Integer ColCount, bool OnlyFormulas)
{
    // 64-bit products: a count near the top of the integer range must fail the check, not wrap.
    const Int64 rowsAdded = Int64(RowCount) * (Int64(LastRow) - FirstRow + 1);
    const Int64 colsAdded = Int64(ColCount) * (Int64(LastCol) - FirstCol + 1);
    if (LastRow < FirstRow || FirstRow < 0 || LastRow > 65535 || (FirstRow < DestRow && DestRow <= LastRow) ||
        DestRow + rowsAdded > 65535 || DestRow < 0 || RowCount < 0)
        XlsError(ErrBadCopyRows);
    if (LastCol < FirstCol || FirstCol < 0 || LastCol >= 256 || (FirstCol < DestCol && DestCol <= LastCol) ||
        DestCol + colsAdded >= 256 || DestCol < 0 || ColCount < 0)
        XlsError(ErrBadCopyRows);
    CheckSheetNo(SheetNo);
    FSheets[static_cast<size_t>(SheetNo)]->MarkValuesChanged();
    TSheetInfo info = FGlobals.MakeSheetInfo(SheetNo, SheetNo);
    FSheets[static_cast<size_t>(SheetNo)]->InsertAndCopyRowsAndCols(
        FirstRow, LastRow, DestRow, RowCount, FirstCol, LastCol, DestCol, ColCount, info, OnlyFormulas);
    for (Integer i = 0; i < SheetCount(); ++i) {
        if (i == SheetNo)
            continue;
        info.FormulaSheet = i;
        FSheets[static_cast<size_t>(i)]->ArrangeInsertRowsAndCols(
            DestRow, static_cast<Integer>(rowsAdded), DestCol, static_cast<Integer>(colsAdded), info);
    }
    info.FormulaSheet = SheetNo;
    FGlobals.InsertAndCopyRowsAndCols(FirstRow, LastRow, DestRow, RowCount, FirstCol, LastCol, DestCol,
                                      ColCount, info);
}

void TWorkbook::DeleteRowsAndCols(Integer SheetNo, Word Row, Word RowCount, Word Col, Word ColCount)
{
    CheckSheetNo(SheetNo);
    FSheets[static_cast<size_t>(SheetNo)]->MarkValuesChanged();
    TSheetInfo info = FGlobals.MakeSheetInfo(SheetNo, SheetNo);
    FSheets[static_cast<size_t>(SheetNo)]->DeleteRowsAndCols(Row, RowCount, Col, ColCount, info);
    for (Integer i = 0; i < SheetCount(); ++i) {
        if (i == SheetNo)
            continue;
        info.FormulaSheet = i;
        FSheets[static_cast<size_t>(i)]->ArrangeInsertRowsAndCols(Row, -Integer(RowCount), Col,
                                                                  -Integer(ColCount), info);
    }
    info.FormulaSheet = SheetNo;
    FGlobals.DeleteRowsAndCols(Row, RowCount, Col, ColCount, info);
}
