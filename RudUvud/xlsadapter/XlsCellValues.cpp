#include "RudUvud/xlsadapter/XlsCellValues.h"

#include "RudUvud/xlsadapter/XlsEncodeFormula.h"
#include "RudUvud/xlsadapter/XlsFormula.h"
#include "RudUvud/xlsadapter/XlsNumberFormat.h"

#include <algorithm>
#include <cmath>

using namespace zivXlsMessages;

namespace {

TVovFormat DefaultFormat()
{
    TVovFormat f;
    f.FontInfo.FontName = u"Arial";
    f.FontInfo.HeightTwips = 200;
    f.FontInfo.PaletteIndex = 0x7FFF - 7;
    f.IsLocked = true;
    return f;
}

Integer Adjusted(Integer Size, Extended Adjustment)
{
    if (Adjustment != 1 && Adjustment >= 0)
        Size = static_cast<Integer>(std::lround(Adjustment * Size));
    return std::min<Integer>(Size, 32767);
}

} // namespace

// ---- TCellMeasurer -----------------------------------------------------------------------------

Integer TCellMeasurer::CellHeight(const WideString& Text, const TVovFormat& Format)
{
    const Integer height = std::max<Integer>(Format.FontInfo.HeightTwips, 20);
    // A line is 1.275 times the font's height, rounded up to whole pixels of 15 twips.
    const Integer pixels = (height * 85 + 999) / 1000;
    const Integer lines =
        Format.Wrap ? 1 + static_cast<Integer>(std::count(Text.begin(), Text.end(), u'\n')) : 1;
    return lines * pixels * 15;
}

Integer TCellMeasurer::CellWidth(const WideString& Text, const TVovFormat& Format, Integer DefaultFontHeight)
{
    Integer longest = 0, run = 0;
    for (char16_t c : Text) {
        if (c == u'\n' || c == u'\r')
            run = 0;
        else
            longest = std::max(longest, ++run);
    }
    if (longest == 0)
        return 0;
    const Int64 base = DefaultFontHeight > 0 ? DefaultFontHeight : 200;
    const Int64 height = Format.FontInfo.HeightTwips > 0 ? Format.FontInfo.HeightTwips : base;
    // Half a digit of margin, as a spreadsheet leaves beside the text.
    return static_cast<Integer>(std::min<Int64>((longest * height * 256 + base - 1) / base + 128, 65535));
}

// ---- TCellValues -------------------------------------------------------------------------------

TCellValues::TCellValues(TCells& Cells, TColInfoList* ColInfo, const TCellGlobals& Globals)
    : FCells(Cells), FColInfo(ColInfo), FGlobals(Globals)
{
}

void TCellValues::CheckRowCol(Integer Row, Integer Col)
{
    if (Row < 0 || Row > 65535)
        XlsError(ErrInvalidRow, {Int64(Row)});
    if (Col < 0 || Col > 255)
        XlsError(ErrInvalidCol, {Int64(Col)});
}

Integer TCellValues::DefaultXF(Integer Row, Integer Col) const
{
    const TRowRecordList& rows = FCells.RowList();
    if (rows.HasRow(Row) && rows.Items(Row)->IsFormatted())
        return rows.Items(Row)->GetXF();
    Integer index;
    if (FColInfo && FColInfo->Find(Col, index))
        return FColInfo->Items(index).XF;
    return 15;
}

void TCellValues::GetValueX2(Integer Row, Integer Col, TXlsCellValue& Value, TRTFRunList& Runs) const
{
    CheckRowCol(Row, Col);
    Runs.clear();
    Value = TXlsCellValue();
    TCellRecordList* row = FCells.CellList().StoredCells(Row);
    if (!row)
        return;
    // A packed row is read as it is kept.
    if (row->Packed()) {
        TPlainCell cell;
        if (!row->FindPacked(Col, cell))
            return;
        Value.XFIndex = cell.XF;
        const TSST* sst = row->SST();
        Value.CellValue = cell.Value(sst);
        if (cell.Id == xlr_LABELSST && sst)
            Runs = sst->EntryRuns(cell.Entry);
        return;
    }
    TCellRecord* rec = FCells.CellList().FindCell(Row, Col);
    if (!rec)
        return;
    Value.XFIndex = rec->GetXF();
    // Value cells, nearly every cell of a large sheet, are told by their id; only other records
    // are asked for their class.
    const Word id = rec->Id();
    const bool plain = IsPlainValueCellId(id);
    Value.HoldsFormula = !plain && dynamic_cast<TFormulaRecord*>(rec) != nullptr;
    auto* sst = id == xlr_LABELSST ? static_cast<TLabelSSTRecord*>(rec)
                : plain            ? nullptr
                                   : dynamic_cast<TLabelSSTRecord*>(rec);
    if (sst) {
        TRichString rs = sst->GetAsRichString();
        Value.CellValue = TXlsVariant::FromString(rs.Text);
        Runs = std::move(rs.Runs);
    } else if (plain) {
        Value.CellValue = rec->GetValue();
    } else if (auto* rstr = dynamic_cast<TRStringRecord*>(rec)) {
        TRichString rs = rstr->GetAsRichString();
        Value.CellValue = TXlsVariant::FromString(rs.Text);
        Runs = std::move(rs.Runs);
    } else {
        Value.CellValue = rec->GetValue();
    }
}

void TCellValues::GetVariant(Integer Row, Integer Col, TXlsVariant& Value) const
{
    CheckRowCol(Row, Col);
    TCellRecordList* row = FCells.CellList().StoredCells(Row);
    if (!row || !row->Packed()) {
        TXlsCellValue v;
        TRTFRunList runs;
        if (row)
            GetValueX2(Row, Col, v, runs);
        Value = std::move(v.CellValue);
        return;
    }
    row->ReadPacked(Col, Value);
}

TXlsCellValue TCellValues::GetValue(Integer Row, Integer Col) const
{
    TXlsCellValue v;
    TRTFRunList runs;
    GetValueX2(Row, Col, v, runs);
    return v;
}

void TCellValues::SetValueX2(Integer Row, Integer Col, const TXlsCellValue& Value, const TRTFRunList& Runs,
                             bool Is1904)
{
    CheckRowCol(Row, Col);
    FCells.RowList().AddRow(static_cast<Word>(Row));
    const Integer def = DefaultXF(Row, Col);
    // A new cell of a row whose cells are packed (or that has none) is found without turning
    // the row's cells into records, and is packed in turn below.
    TCellRecordList* stored = FCells.CellList().StoredCells(Row);
    const bool packable = !stored || (stored->Packed() ? !stored->HasPacked(Col) : stored->Count() == 0);
    TCellRecord* old = packable ? nullptr : FCells.CellList().FindCell(Row, Col);
    Integer xf = def;
    if (old)
        xf = old->GetXF();
    if (Value.XFIndex >= 0)
        xf = Value.XFIndex;
    const Word r = static_cast<Word>(Row), c = static_cast<Word>(Col), x = static_cast<Word>(xf);

    TXlsVariant v = Value.CellValue;
    if (v.VarType == xvString && v.Text.empty())
        v = TXlsVariant();
    if (v.VarType == xvDate && Is1904)
        v.Number -= 1462;

    if (packable && PackValue(Row, Col, x, v, Runs, xf != def))
        return;
    std::unique_ptr<TCellRecord> rec;
    switch (v.VarType) {
    case xvEmpty:
        if (xf != def)
            rec = std::make_unique<TBlankRecord>(r, c, x);
        break;
    case xvNumber:
    case xvDate:
        if (IsRK(v.Number))
            rec = std::make_unique<TRKRecord>(r, c, x);
        else
            rec = std::make_unique<TNumberRecord>(r, c, x);
        rec->SetValue(v);
        break;
    case xvString: {
        auto label = std::make_unique<TLabelSSTRecord>(r, c, x, FGlobals.SST);
        label->SetAsRichString({v.Text, Runs});
        rec = std::move(label);
        break;
    }
    case xvBoolean:
        rec = std::make_unique<TBoolErrRecord>(r, c, x);
        rec->SetValue(v);
        break;
    }
    PlaceRecord(Row, Col, old != nullptr, std::move(rec));
}

bool TCellValues::PackValue(Integer Row, Integer Col, Word XF, const TXlsVariant& V, const TRTFRunList& Runs,
                            bool Formatted)
{
    // The cell a record would be, made without the record: writing a whole sheet cell by cell
    // then costs 8 bytes a cell (16 for a number no RK holds) and no allocation.
    TPlainCell cell;
    cell.Col = static_cast<Word>(Col);
    cell.XF = XF;
    TSST* sst = nullptr;
    switch (V.VarType) {
    case xvEmpty:
        if (!Formatted)
            return false;
        cell.Id = xlr_BLANK;
        break;
    case xvNumber:
    case xvDate:
        if (EncodeRK(V.Number, cell.RK)) {
            cell.Id = xlr_RK;
        } else {
            cell.Id = xlr_NUMBER;
            cell.Number = V.Number;
        }
        break;
    case xvBoolean:
        cell.Id = xlr_BOOLERR;
        cell.Flags[0] = V.Boolean ? 1 : 0;
        cell.Flags[1] = 0;
        break;
    case xvString:
        sst = FGlobals.SST;
        if (!sst)
            return false;
        cell.Id = xlr_LABELSST;
        cell.Entry = sst->GetItems(sst->AddString(V.Text, Runs));
        break;
    default:
        return false;
    }
    bool taken = false;
    try {
        taken = FCells.CellList().PackingRow(Row)->PackPlain(static_cast<Word>(Row), cell, sst);
    } catch (...) {
        if (sst)
            sst->DecRef(cell.Entry);
        throw;
    }
    if (!taken) {
        if (sst)
            sst->DecRef(cell.Entry);
        return false;
    }
    TRowRecord* rr = FCells.RowList().Items(Row);
    if (rr->GetMaxCol() < Col + 1)
        rr->SetMaxCol(static_cast<Word>(Col + 1));
    if (rr->GetMinCol() > Col)
        rr->SetMinCol(static_cast<Word>(Col));
    TrimTrailingRows(Row, true);
    return true;
}

void TCellValues::PlaceRecord(Integer Row, Integer Col, bool Existed, std::unique_ptr<TCellRecord> NewRec)
{
    TRowRecordList& rows = FCells.RowList();
    TCellList& cells = FCells.CellList();
    TCellRecordList* list = cells.GetCells(Row);
    Integer index;
    if (Existed && list && list->Find(Col, index))
        list->Delete(index);

    if (Existed && !NewRec && rows.HasRow(Row)) {
        TRowRecord* rr = rows.Items(Row);
        if (list && list->Count() > 0) {
            rr->SetMinCol(list->Items(0)->GetColumn());
            rr->SetMaxCol(static_cast<Word>(list->Items(list->Count() - 1)->GetColumn() + 1));
        } else if (rr->IsModified()) {
            rr->SetMinCol(0);
            rr->SetMaxCol(0);
        } else {
            rows.SetItems(Row, nullptr);
        }
    }

    TrimTrailingRows(Row, NewRec != nullptr);

    if (!NewRec)
        return;
    rows.AddRow(static_cast<Word>(Row));
    TRowRecord* rr = rows.Items(Row);
    if (rr->GetMaxCol() < Col + 1)
        rr->SetMaxCol(static_cast<Word>(Col + 1));
    if (rr->GetMinCol() > Col)
        rr->SetMinCol(static_cast<Word>(Col));
    list = cells.GetCells(Row);
    if (list) {
        list->Find(Col, index);
        list->Insert(index, std::move(NewRec));
    } else {
        cells.AddRecord(std::move(NewRec), Row);
    }
}

void TCellValues::TrimTrailingRows(Integer Row, bool Made)
{
    TRowRecordList& rows = FCells.RowList();
    TCellList& cells = FCells.CellList();
    for (Integer r = std::max(rows.Count(), cells.Count()) - 1; r >= 0; --r) {
        if (Made && r <= Row)
            break;
        const TRowRecord* rr = r < rows.Count() ? rows.Items(r) : nullptr;
        if (rr && rr->IsModified())
            break;
        if (cells.CellCount(r) > 0)
            break;
        if (r < rows.Count())
            rows.Delete(r);
        cells.TrimTo(r);
    }
}

void TCellValues::SetFormat(Integer Row, Integer Col, Integer XF)
{
    CheckRowCol(Row, Col);
    if (FCells.RowList().HasRow(Row)) {
        if (TCellRecord* rec = FCells.CellList().FindCell(Row, Col)) {
            rec->SetXF(static_cast<Word>(XF));
            return;
        }
    }
    TXlsCellValue v;
    v.XFIndex = XF;
    SetValueX2(Row, Col, v, {}, false);
}

WideString TCellValues::GetFormula(Integer Row, Integer Col)
{
    CheckRowCol(Row, Col);
    auto* f = dynamic_cast<TFormulaRecord*>(FCells.CellList().FindCell(Row, Col));
    if (!f)
        return WideString();
    return RPNToString(f->Data(), f->DataSize(), 22, this);
}

void TCellValues::SetFormula(Integer Row, Integer Col, const WideString& Formula)
{
    AssignFormulaX(Row, Col, Formula, TXlsVariant(), false);
}

void TCellValues::AssignFormulaX(Integer Row, Integer Col, const WideString& Formula,
                                 const TXlsVariant& Value, bool Is1904)
{
    CheckRowCol(Row, Col);
    FCells.RowList().AddRow(static_cast<Word>(Row));
    TCellRecord* old = FCells.CellList().FindCell(Row, Col);
    const Integer xf = old ? old->GetXF() : DefaultXF(Row, Col);
    std::unique_ptr<TCellRecord> rec;
    if (!Formula.empty()) {
        TParseString ps(Formula, this, fmValue);
        ps.Parse();
        const Integer size = ps.TotalSize();
        if (size + 20 > 0xFFFF)
            XlsError(ErrFormulaTooLong);
        auto f = std::make_unique<TFormulaRecord>(xlr_FORMULA, static_cast<Word>(size + 20),
                                                  static_cast<Word>(Row), static_cast<Word>(Col),
                                                  static_cast<Word>(xf), Value, Is1904);
        ps.CopyToPtr(f->Data(), 20);
        rec = std::move(f);
    }
    PlaceRecord(Row, Col, old != nullptr, std::move(rec));
}

// ---- The formula context -----------------------------------------------------------------------

ByteArray TCellValues::AttachedFormula(Integer Row, Integer Col, bool Table)
{
    if (!FCells.CellList().GetCells(Row))
        XlsError(ErrInvalidRow, {Int64(Row)});
    if (Col < 0 || Col > 255)
        XlsError(ErrInvalidCol, {Int64(Col)});
    auto* f = dynamic_cast<TFormulaRecord*>(FCells.CellList().FindCell(Row, Col));
    if (!f)
        XlsError(ErrShrFmlaNotFound);
    const TBaseRecord* attached = Table ? static_cast<const TBaseRecord*>(f->AttachedTable())
                                        : static_cast<const TBaseRecord*>(f->AttachedArray());
    if (!attached)
        XlsError(ErrBadFormula, {Int64(Row + 1), Int64(Col + 1), Int64(1)});
    return ByteArray(attached->Data().get(), attached->Data() + attached->DataSize());
}

ByteArray TCellValues::ArrayFormula(Integer Row, Integer Col)
{
    return AttachedFormula(Row, Col, false);
}

ByteArray TCellValues::TableFormula(Integer Row, Integer Col)
{
    return AttachedFormula(Row, Col, true);
}

WideString TCellValues::GetName(Integer ExternSheet, Integer NameIndex)
{
    return FGlobals.References ? FGlobals.References->GetName(ExternSheet, NameIndex, FGlobals.Workbook)
                               : WideString();
}

WideString TCellValues::GetSheetName(Integer ExternSheet)
{
    return FGlobals.References ? FGlobals.References->GetSheetName(ExternSheet, FGlobals.Workbook)
                               : WideString();
}

Integer TCellValues::FindSheet(const WideString& Name)
{
    const TBoundSheetRecordList* sheets = FGlobals.Workbook.Sheets;
    if (!sheets)
        return -1;
    const WideString wanted = WideUpperCase98(Name);
    for (Integer i = 0; i < sheets->Count(); ++i)
        if (sheets->Items(i) && WideUpperCase98(sheets->GetSheetName(i)) == wanted)
            return i;
    return -1;
}

Word TCellValues::AddExternSheet(Integer FirstSheet, Integer LastSheet)
{
    if (!FGlobals.References || !FGlobals.Workbook.Sheets)
        XlsError(ErrInternal);
    return FGlobals.References->AddSheet(FGlobals.Workbook.Sheets->Count(), FirstSheet, LastSheet);
}

// ---- Autofit -----------------------------------------------------------------------------------

const TVovFormat& TCellValues::FormatOf(Integer XF)
{
    static const TVovFormat fallback = DefaultFormat();
    const TXFRecordList* list = FGlobals.XF;
    if (!list || XF < 0 || XF >= list->Count() || !list->Items(XF) || !FGlobals.Fonts || !FGlobals.Formats)
        return fallback;
    if (FFormatCache.size() < static_cast<size_t>(list->Count()))
        FFormatCache.resize(static_cast<size_t>(list->Count()));
    std::optional<TVovFormat>& slot = FFormatCache[static_cast<size_t>(XF)];
    if (!slot) {
        TVovFormat f;
        try {
            list->Items(XF)->VovFormat(*FGlobals.Fonts, *FGlobals.Formats, f);
        } catch (const EExcelException&) {
            f = DefaultFormat(); // a damaged font name
        }
        slot = std::move(f);
    }
    return *slot;
}

WideString TCellValues::DisplayText(const TXlsCellValue& Value)
{
    Integer color = 0;
    return XlsFormatValue1904(Value.CellValue, FormatOf(Value.XFIndex).NumberFormat, FGlobals.Is1904, color);
}

void TCellValues::RecalcRowHeights(Integer FirstRow, Integer LastRow, bool AllRows, bool KeepAutomatic,
                                   Extended Adjustment, TCellMeasurer* Measurer)
{
    TCellMeasurer estimate;
    TCellMeasurer& m = Measurer ? *Measurer : estimate;
    FFormatCache.clear();
    TRowRecordList& rows = FCells.RowList();
    const Integer last = std::min(LastRow, rows.Count() - 1);
    for (Integer r = std::max(FirstRow, 0); r <= last; ++r) {
        TRowRecord* rr = rows.Items(r);
        if (!rr || (!AllRows && !rr->IsAutoHeight()))
            continue;
        Integer height = m.CellHeight(WideString(), FormatOf(rr->GetXF()));
        if (const TCellRecordList* list = FCells.CellList().GetCells(r)) {
            for (Integer i = 0; i < list->Count(); ++i) {
                if (!list->Items(i))
                    continue;
                TXlsCellValue v;
                TRTFRunList runs;
                GetValueX2(r, list->Items(i)->GetColumn(), v, runs);
                height = std::max(height, m.CellHeight(DisplayText(v), FormatOf(v.XFIndex)));
            }
        }
        rr->SetHeight(static_cast<Word>(std::max<Integer>(Adjusted(height, Adjustment), 0)));
        if (!KeepAutomatic)
            rr->ManualHeight();
    }
}

void TCellValues::RecalcColWidths(Integer FirstCol, Integer LastCol, bool SkipStrings, Extended Adjustment,
                                  TCellMeasurer* Measurer)
{
    TCellMeasurer estimate;
    FFormatCache.clear();
    for (Integer c = std::max(FirstCol, 0); c <= std::min(LastCol, 255); ++c)
        FitColumn(c, Measurer ? *Measurer : estimate, SkipStrings, Adjustment);
}

void TCellValues::AutofitColumn(Integer Col, TCellMeasurer& Measurer, bool SkipStrings, Extended Adjustment)
{
    CheckRowCol(0, Col);
    FFormatCache.clear();
    FitColumn(Col, Measurer, SkipStrings, Adjustment);
}

void TCellValues::FitColumn(Integer Col, TCellMeasurer& Measurer, bool SkipStrings, Extended Adjustment)
{
    const TFontRecordList* fonts = FGlobals.Fonts;
    const Integer defaultHeight =
        fonts && fonts->Count() > 0 && fonts->Items(0) ? fonts->Items(0)->Height() : 200;
    const TCellList& cells = FCells.CellList();
    Integer width = 0;
    for (Integer r = cells.Count() - 1; r >= 0; --r) {
        TCellRecord* rec = cells.FindCell(r, Col);
        if (!rec || (SkipStrings && dynamic_cast<TLabelSSTRecord*>(rec)))
            continue;
        TXlsCellValue v;
        TRTFRunList runs;
        GetValueX2(r, Col, v, runs);
        width = std::max(width, Measurer.CellWidth(DisplayText(v), FormatOf(v.XFIndex), defaultHeight));
    }
    width = Adjusted(width, Adjustment);
    if (width > 0)
        SetColumnWidth(Col, width);
}

void TCellValues::SetColumnWidth(Integer Col, Integer Width)
{
    if (!FColInfo)
        return;
    Integer index;
    if (FColInfo->Find(Col, index))
        FColInfo->Items(index).Width = static_cast<Word>(Width);
    else
        FColInfo->Add({static_cast<Word>(Col), static_cast<Word>(Width), 15, 0});
}
