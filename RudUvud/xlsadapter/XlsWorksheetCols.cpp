// A worksheet's columns, rows, merged cells and autofilter: thin rules over the column list,
// the cell store's ROW records and cells, the merged ranges and the front list.

#include "RudUvud/xlsadapter/XlsSheet.h"

#include "RudUvud/xlsadapter/XlsFormula.h"
#include "RudUvud/xlsadapter/XlsWorkbookGlobals.h"

#include <algorithm>
#include <cstdlib>

namespace {

constexpr Word xlr_GUTS = 0x0080;
constexpr Word xlr_DEFAULTROWHEIGHT = 0x0225;
constexpr Word xlr_AUTOFILTER = 0x009E;
constexpr Word xlr_AUTOFILTERINFO = 0x009D;
constexpr Word xlr_FILTERMODE = 0x009B;
constexpr Word xlr_DEFCOLWIDTH = 0x0055;
constexpr Word xlr_DIMENSIONS = 0x0200;
constexpr Word ColHiddenBit = 0x0001;
const WideString FilterDatabaseName(1, u'\x0D');

} // namespace

TColInfo& TWorkSheet::ColInfoFor(Integer Col)
{
    Integer at;
    if (!FColInfoList.Find(Col, at)) {
        TColInfo c;
        c.Column = static_cast<Word>(Col);
        c.Width = static_cast<Word>(FDefColWidth);
        c.XF = 15;
        FColInfoList.Add(c);
        FColInfoList.Find(Col, at);
    }
    return FColInfoList.Items(at);
}

void TWorkSheet::NeedGuts()
{
    if (!FCache.Guts) {
        Integer at = FFrontList.Count();
        for (Integer i = 0; i < FFrontList.Count(); ++i)
            if (FFrontList.Items(i) && FFrontList.Items(i)->Id() == xlr_DEFAULTROWHEIGHT) {
                at = i;
                break;
            }
        InsertCached(FFrontList, at, std::make_unique<TGutsRecord>(xlr_GUTS, TRecordBody(8)));
    }
    FCache.Guts->RecalcNeeded = true;
}

Integer TWorkSheet::GetColWidth(Integer Col, bool HiddenIsZero)
{
    Integer at;
    if (!FColInfoList.Find(Col, at))
        return FDefColWidth;
    const TColInfo& c = FColInfoList.Items(at);
    if (HiddenIsZero && (c.Options & ColHiddenBit))
        return 0;
    return c.Width;
}

void TWorkSheet::SetColWidth(Integer Col, Integer Width)
{
    Integer at;
    if (FColInfoList.Find(Col, at)) {
        FColInfoList.Items(at).Width = static_cast<Word>(Width);
        return;
    }
    TColInfo c;
    c.Column = static_cast<Word>(Col);
    c.Width = static_cast<Word>(Width);
    c.XF = 15;
    FColInfoList.Add(c);
}

Integer TWorkSheet::GetRowHeight(Integer Row, bool HiddenIsZero) const
{
    const TRowRecordList& rows = FCells.RowList();
    if (!rows.HasRow(Row))
        return FDefRowHeight;
    if (HiddenIsZero && rows.Items(Row)->IsHidden())
        return 0;
    return rows.Items(Row)->GetHeight();
}

void TWorkSheet::SetRowHeight(Integer Row, Integer Height)
{
    FCells.RowList().SetRowHeight(Row, static_cast<Word>(Height));
}

bool TWorkSheet::GetColHidden(Integer Col)
{
    Integer at;
    return FColInfoList.Find(Col, at) && (FColInfoList.Items(at).Options & ColHiddenBit);
}

void TWorkSheet::SetColHidden(Integer Col, bool Hidden)
{
    Integer at;
    if (!FColInfoList.Find(Col, at)) {
        if (Hidden)
            ColInfoFor(Col).Options |= ColHiddenBit;
        return;
    }
    TColInfo& c = FColInfoList.Items(at);
    if (Hidden) {
        c.Options |= ColHiddenBit;
    } else {
        // A column hidden by a width of 0 would stay invisible.
        if (c.Width == 0)
            c.Width = static_cast<Word>(FDefColWidth);
        c.Options &= static_cast<Word>(~ColHiddenBit);
    }
}

bool TWorkSheet::GetRowHidden(Integer Row) const
{
    const TRowRecordList& rows = FCells.RowList();
    return rows.HasRow(Row) && rows.Items(Row)->IsHidden();
}

void TWorkSheet::SetRowHidden(Integer Row, bool Hidden)
{
    TRowRecordList& rows = FCells.RowList();
    rows.AddRow(static_cast<Word>(Row));
    rows.Items(Row)->Hide(Hidden);
}

Integer TWorkSheet::GetColFormat(Integer Col)
{
    Integer at;
    return FColInfoList.Find(Col, at) ? FColInfoList.Items(at).XF : -1;
}

void TWorkSheet::SetColFormat(Integer Col, Integer XF)
{
    ColInfoFor(Col).XF = static_cast<Word>(XF);
    TCellList& cells = FCells.CellList();
    for (Integer r = 0; r < cells.Count(); ++r)
        if (TCellRecord* c = cells.FindCell(r, Col))
            c->SetXF(static_cast<Word>(XF));
}

Integer TWorkSheet::GetRowFormat(Integer Row) const
{
    const TRowRecordList& rows = FCells.RowList();
    if (!rows.HasRow(Row) || !rows.Items(Row)->IsFormatted())
        return -1;
    return rows.Items(Row)->GetXF();
}

void TWorkSheet::SetRowFormat(Integer Row, Integer XF)
{
    TRowRecordList& rows = FCells.RowList();
    rows.AddRow(static_cast<Word>(Row));
    rows.Items(Row)->SetXF(static_cast<Word>(XF));
    if (TCellRecordList* cells = FCells.CellList().GetCells(Row))
        for (Integer i = 0; i < cells->Count(); ++i)
            if (TCellRecord* c = cells->Items(i))
                c->SetXF(static_cast<Word>(XF));
}

Integer TWorkSheet::GetColOutlineLevel(Integer Col)
{
    Integer at;
    return FColInfoList.Find(Col, at) ? FColInfoList.Items(at).GetColOutlineLevel() : 0;
}

void TWorkSheet::SetColOulineLevel(Integer Col, Integer Level)
{
    NeedGuts();
    ColInfoFor(Col).SetColOutlineLevel(Level);
}

Integer TWorkSheet::GetRowOutlineLevel(Integer Row) const
{
    const TRowRecordList& rows = FCells.RowList();
    return rows.HasRow(Row) ? (rows.Items(Row)->GetOptions() & 7) : 0;
}

void TWorkSheet::SetRowOulineLevel(Integer Row, Integer Level)
{
    NeedGuts();
    TRowRecordList& rows = FCells.RowList();
    rows.AddRow(static_cast<Word>(Row));
    rows.Items(Row)->SetRowOutlineLevel(Level);
}

// ---- Merged cells --------------------------------------------------------------------------------

TXlsCellRange TWorkSheet::CellMergedBounds(Integer Row, Integer Col) const
{
    TXlsCellRange bounds{Col, Row, Col, Row};
    for (const auto& e : FRangeList.Items)
        if (auto* m = dynamic_cast<const TMergedCells*>(e.get()); m && m->CheckCell(Row, Col, bounds))
            return bounds;
    return {Col, Row, Col, Row};
}

Integer TWorkSheet::CellMergedListCount() const
{
    Integer n = 0;
    for (const auto& e : FRangeList.Items)
        if (auto* m = dynamic_cast<const TMergedCells*>(e.get()))
            n += m->MergedCount();
    return n;
}

TXlsCellRange TWorkSheet::CellMergedList(Integer Index) const
{
    if (Index < 0)
        return {};
    for (const auto& e : FRangeList.Items)
        if (auto* m = dynamic_cast<const TMergedCells*>(e.get())) {
            if (Index < m->MergedCount())
                return m->MergedCell(Index);
            Index -= m->MergedCount();
        }
    return {};
}

void TWorkSheet::MergeCells(Integer FirstRow, Integer FirstCol, Integer LastRow, Integer LastCol)
{
    if (FirstRow > LastRow)
        std::swap(FirstRow, LastRow);
    if (FirstCol > LastCol)
        std::swap(FirstCol, LastCol);
    TMergedCells* last = nullptr;
    for (bool changed = true; changed;) {
        changed = false;
        for (const auto& e : FRangeList.Items)
            if (auto* m = dynamic_cast<TMergedCells*>(e.get())) {
                const Integer r1 = FirstRow, c1 = FirstCol, r2 = LastRow, c2 = LastCol;
                m->PreMerge(FirstRow, FirstCol, LastRow, LastCol);
                changed |= r1 != FirstRow || c1 != FirstCol || r2 != LastRow || c2 != LastCol;
                last = m;
            }
    }
    if (!last) {
        auto m = std::make_unique<TMergedCells>();
        last = m.get();
        FRangeList.Add(std::move(m));
    }
    last->MergeCells(FirstRow, FirstCol, LastRow, LastCol);
}

void TWorkSheet::UnMergeCells(Integer FirstRow, Integer FirstCol, Integer LastRow, Integer LastCol)
{
    if (FirstRow > LastRow)
        std::swap(FirstRow, LastRow);
    if (FirstCol > LastCol)
        std::swap(FirstCol, LastCol);
    for (const auto& e : FRangeList.Items)
        if (auto* m = dynamic_cast<TMergedCells*>(e.get()))
            m->UnMergeCells(FirstRow, FirstCol, LastRow, LastCol);
}

// ---- Autofilter ----------------------------------------------------------------------------------

void TWorkSheet::RemoveAutoFilter()
{
    for (Integer i = FFrontList.Count() - 1; i >= 0; --i) {
        TBaseRecord* r = FFrontList.Items(i);
        if (r && (r->Id() == xlr_AUTOFILTER || r->Id() == xlr_AUTOFILTERINFO || r->Id() == xlr_FILTERMODE)) {
            FCache.Forget(r);
            FFrontList.Delete(i);
        }
    }
    FCache.AutoFilterInfo = nullptr;
}

void TWorkSheet::SetAutoFilter(Integer SheetIndex, Integer Row, Integer FirstCol, Integer LastCol,
                               TFormulaContext* Cells)
{
    if (LastCol < FirstCol) {
        RemoveAutoFilter();
        return;
    }
    if (!FCache.AutoFilterInfo) {
        Integer at = FFrontList.Count();
        for (Integer i = 0; i < FFrontList.Count(); ++i)
            if (FFrontList.Items(i) && (FFrontList.Items(i)->Id() == xlr_DEFCOLWIDTH ||
                                        FFrontList.Items(i)->Id() == xlr_DIMENSIONS)) {
                at = i;
                break;
            }
        InsertCached(FFrontList, at,
                     std::make_unique<TAutoFilterInfoRecord>(xlr_AUTOFILTERINFO, TRecordBody(2)));
    }
    FCache.AutoFilterInfo->Set_DropDownCount(static_cast<Word>(std::abs(LastCol - FirstCol + 1)));
    if (!FWorkbookGlobals)
        return;
    const std::string row = std::to_string(Row + 1);
    TXlsNamedRange range;
    range.RangeName = "\x0D";
    range.LocalSheet = SheetIndex;
    range.NameOptions = 0x0021; // hidden, built in
    range.RefersTo =
        "=$" + EncodeColumn(FirstCol + 1) + "$" + row + ":$" + EncodeColumn(LastCol + 1) + "$" + row;
    FWorkbookGlobals->AddName(range, Cells);
}

TXlsCellRange TWorkSheet::GetAutoFilterRange(Integer SheetIndex) const
{
    const TXlsCellRange none{-1, -1, -1, -1};
    if (!FCache.AutoFilterInfo || !FWorkbookGlobals)
        return none;
    const TNameRecord* name = FWorkbookGlobals->GetName(SheetIndex, FilterDatabaseName);
    if (!name)
        return none;
    return {name->GetC1(), name->GetR1(), name->GetC2(), name->GetR2()};
}

bool TWorkSheet::HasAutoFilter(Integer SheetIndex, Integer Row, Integer Col) const
{
    const TXlsCellRange r = GetAutoFilterRange(SheetIndex);
    return r.FirstRow >= 0 && Row >= r.FirstRow && Row <= r.LastRow && Col >= r.FirstCol && Col <= r.LastCol;
}
