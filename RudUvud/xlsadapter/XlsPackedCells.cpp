// Packed plain value cells: the cells of a row kept as TPlainCell entries until something needs
// their records (see TCellRecordList in BaseRecordLists.h).

#include "RudUvud/xlsadapter/BaseRecordLists.h"
#include "RudUvud/xlsadapter/XlsCellRecords.h"

#include <algorithm>

using namespace zivXlsMessages;

// ---- TPlainCell ----------------------------------------------------------------------------------

Word TPlainCell::BodySize(Word aId)
{
    switch (aId) {
    case xlr_NUMBER:
        return 14;
    case xlr_RK:
    case xlr_LABELSST:
        return 10;
    case xlr_BOOLERR:
        return 8;
    case xlr_BLANK:
        return 6;
    default:
        return 0;
    }
}

Word TPlainCell::Body(Word aRow, const TSST* SST, Byte* Out) const
{
    SetWord(Out, 0, aRow);
    SetWord(Out, 2, Col);
    SetWord(Out, 4, XF);
    switch (Id) {
    case xlr_NUMBER:
        SetDouble(Out, 6, Number);
        break;
    case xlr_RK:
        SetLongWord(Out, 6, RK);
        break;
    case xlr_LABELSST:
        // The index is that of the last save, as a record's would be; loading wrote none yet.
        SetLongWord(Out, 6, SST ? SST->EntrySaveIndex(Entry) : 0);
        break;
    case xlr_BOOLERR:
        Out[6] = Flags[0];
        Out[7] = Flags[1];
        break;
    default:
        break;
    }
    return BodySize(Id);
}

TXlsVariant TPlainCell::Value(const TSST* SST) const
{
    switch (Id) {
    case xlr_NUMBER:
        return TXlsVariant::FromNumber(Number);
    case xlr_RK:
        return TXlsVariant::FromNumber(DecodeRK(RK));
    case xlr_LABELSST:
        return TXlsVariant::FromString(SST ? SST->EntryText(Entry) : WideString());
    case xlr_BOOLERR:
        if (Flags[1] != 0)
            return TXlsVariant::FromString(TBoolErrRecord::ErrcodeToString(Flags[0]));
        return TXlsVariant::FromBoolean(Flags[0] != 0);
    default:
        return TXlsVariant();
    }
}

namespace {

// A packed cell from its record data (the id's BodySize bytes); a LABELSST's entry is left to
// the caller.
TPlainCell Unpacked(Word aId, const Byte* Data)
{
    TPlainCell c;
    c.Id = aId;
    c.Col = GetWord(Data, 2);
    c.XF = GetWord(Data, 4);
    switch (aId) {
    case xlr_NUMBER:
        c.Number = GetDouble(Data, 6);
        break;
    case xlr_RK:
        c.RK = GetLongWord(Data, 6);
        break;
    case xlr_BOOLERR:
        c.Flags[0] = Data[6];
        c.Flags[1] = Data[7];
        break;
    default:
        break;
    }
    return c;
}

} // namespace

// ---- TCellRecordList: the packed form --------------------------------------------------------------

TCellRecordList::~TCellRecordList()
{
    ReleaseEntries();
}

void TCellRecordList::ReleaseEntries() noexcept
{
    TSST* sst = SST();
    if (!sst)
        return;
    for (const TPlainCell& c : FPlain)
        if (c.Id == xlr_LABELSST)
            sst->DecRef(c.Entry);
}

Integer TCellRecordList::Add(std::unique_ptr<TBaseRecord> Rec)
{
    Unpack();
    return TBaseRowColRecordList::Add(std::move(Rec));
}

void TCellRecordList::Insert(Integer Index, std::unique_ptr<TBaseRecord> Rec)
{
    Unpack();
    TBaseRowColRecordList::Insert(Index, std::move(Rec));
}

void TCellRecordList::AddPlain(Word aId, const Byte* Data, TSST* SST)
{
    Int64 entry = -1;
    if (aId == xlr_LABELSST) {
        const LongWord index = GetLongWord(Data, 6);
        if (!SST || index >= static_cast<LongWord>(SST->Count()))
            XlsError(ErrExcelInvalid);
        entry = SST->GetItems(static_cast<Integer>(index));
    }
    const Word row = GetWord(Data, 0);
    const bool packable = FPacked ? row == FRow : Count() == 0;
    if (!packable || (entry >= 0 && FSST && *FSST != SST)) {
        Unpack();
        std::unique_ptr<TBaseRecord> rec =
            CreateRecordById(aId, TRecordBody(Data, Data + TPlainCell::BodySize(aId)));
        if (aId == xlr_LABELSST)
            static_cast<TLabelSSTRecord&>(*rec).AttachToSST(SST);
        TBaseRowColRecordList::Add(std::move(rec));
        return;
    }
    TPlainCell c = Unpacked(aId, Data);
    if (entry >= 0) {
        c.Entry = entry;
        if (!FSST)
            FSST = SST->Link();
    }
    MakeRoom();
    if (entry >= 0)
        SST->IncRef(entry);
    FPlain.push_back(c); // cannot fail now: a reference is never left without its cell
    if (!FPacked) {
        FPacked = true;
        FRow = row;
    }
    FSorted = false;
}

bool TCellRecordList::TryPack(TCellRecord& Rec)
{
    const Word id = Rec.Id();
    if (TPlainCell::BodySize(id) == 0 || Rec.DataSize() != TPlainCell::BodySize(id) || Rec.Continue())
        return false;
    if (FPacked ? Rec.GetRow() != FRow : Count() != 0)
        return false;
    TPlainCell c = Unpacked(id, Rec.Data());
    // Cells written left to right keep the row sorted.
    const bool inOrder = FPlain.empty() || (FSorted && FPlain.back().Col < c.Col);
    TSST* sst = nullptr;
    if (id == xlr_LABELSST) {
        auto& label = static_cast<TLabelSSTRecord&>(Rec);
        sst = label.SST();
        if (!sst || label.Pointer() < 0 || (FSST && *FSST != sst))
            return false;
        c.Entry = label.Pointer();
        if (!FSST)
            FSST = sst->Link();
    }
    MakeRoom();
    if (sst)
        sst->IncRef(c.Entry);
    FPlain.push_back(c);
    if (!FPacked) {
        FPacked = true;
        FRow = Rec.GetRow();
    }
    FSorted = inOrder;
    return true;
}

bool TCellRecordList::PackPlain(Word aRow, const TPlainCell& Cell, TSST* SST)
{
    if (FPacked ? aRow != FRow : Count() != 0)
        return false;
    if (Cell.Id == xlr_LABELSST && (!SST || (FSST && *FSST != SST)))
        return false;
    // Cells written left to right keep the row sorted.
    const bool inOrder = FPlain.empty() || (FSorted && FPlain.back().Col < Cell.Col);
    MakeRoom();
    if (Cell.Id == xlr_LABELSST && !FSST)
        FSST = SST->Link();
    FPlain.push_back(Cell);
    if (!FPacked) {
        FPacked = true;
        FRow = aRow;
    }
    FSorted = inOrder;
    return true;
}

void TCellRecordList::DoUnpack()
{
    // The records are all made before the row changes: should making one fail, the row stays
    // packed as it was.
    std::vector<std::unique_ptr<TBaseRecord>> made;
    made.reserve(FPlain.size());
    TSST* sst = SST();
    Byte body[16];
    for (const TPlainCell& c : FPlain) {
        const Word size = c.Body(FRow, sst, body);
        std::unique_ptr<TBaseRecord> rec = CreateRecordById(c.Id, TRecordBody(body, body + size));
        if (c.Id == xlr_LABELSST)
            static_cast<TLabelSSTRecord&>(*rec).ShareEntry(FSST, c.Entry);
        made.push_back(std::move(rec));
    }
    FList.reserve(FList.size() + made.size());
    ReleaseEntries();
    FPlain.clear();
    FPlain.shrink_to_fit();
    FPacked = false;
    const bool sorted = FSorted;
    for (auto& rec : made)
        TBaseRecordList::Add(std::move(rec));
    FSorted = sorted;
}

void TCellRecordList::CopyItemsFrom(const TBaseRowColRecordList& Source)
{
    const auto* src = dynamic_cast<const TCellRecordList*>(&Source);
    if (!src || !src->FPacked || FPacked || Count() != 0) {
        const_cast<TBaseRowColRecordList&>(Source).Unpack();
        CopyFrom(&Source);
        return;
    }
    FPlain = src->FPlain;
    FSST = src->FSST;
    FRow = src->FRow;
    FSorted = src->FSorted;
    FPacked = true;
    if (TSST* sst = SST())
        for (const TPlainCell& c : FPlain)
            if (c.Id == xlr_LABELSST)
                sst->IncRef(c.Entry);
}

void TCellRecordList::MakeRoom()
{
    if (FPlain.size() == FPlain.capacity())
        FPlain.reserve(std::max<size_t>(4, 2 * FPlain.size()));
}

void TCellRecordList::SortPacked()
{
    if (FSorted)
        return;
    const auto before = [](const TPlainCell& a, const TPlainCell& b) { return a.Col < b.Col; };
    if (!std::is_sorted(FPlain.begin(), FPlain.end(), before))
        std::stable_sort(FPlain.begin(), FPlain.end(), before);
    FSorted = true;
}

const TPlainCell* TCellRecordList::FindPacked(Integer aCol)
{
    SortPacked();
    const auto it = std::lower_bound(FPlain.begin(), FPlain.end(), aCol,
                                     [](const TPlainCell& c, Integer col) { return c.Col < col; });
    return it != FPlain.end() && it->Col == aCol ? &*it : nullptr;
}

Integer TCellRecordList::ColumnAt(Integer Index)
{
    if (Index < 0 || Index >= CellCount())
        return -1;
    if (FPacked) {
        SortPacked();
        return FPlain[static_cast<size_t>(Index)].Col;
    }
    if (!FSorted)
        Sort();
    return Items(Index) ? Items(Index)->GetColumn() : -1;
}

bool TCellRecordList::FindColumn(Integer aCol, Integer& Index)
{
    if (!FPacked)
        return Find(aCol, Index);
    SortPacked();
    const auto it = std::lower_bound(FPlain.begin(), FPlain.end(), aCol,
                                     [](const TPlainCell& c, Integer col) { return c.Col < col; });
    Index = static_cast<Integer>(it - FPlain.begin());
    return it != FPlain.end() && it->Col == aCol;
}

bool TCellRecordList::ColumnSpan(Integer& First, Integer& Last)
{
    if (FPacked) {
        SortPacked();
        if (FPlain.empty())
            return false;
        First = FPlain.front().Col;
        Last = FPlain.back().Col;
        return true;
    }
    Integer index;
    Find(0, index); // sorts the row
    Integer last = Count() - 1;
    while (last >= 0 && !Items(last))
        --last;
    if (last < 0)
        return false;
    First = Items(0)->GetColumn();
    Last = Items(last)->GetColumn();
    return true;
}

void TCellRecordList::ArrangePacked(Integer aRowPos, Integer aRowCount, Integer aColPos, Integer aColCount,
                                    const TSheetInfo& SheetInfo)
{
    if (SheetInfo.InsSheet < 0 || SheetInfo.InsSheet != SheetInfo.FormulaSheet || FPlain.empty())
        return;
    // The moves and their limits are those of the records' own.
    Byte pos[4];
    SetWord(pos, 0, FRow);
    if (FRow >= aRowPos)
        IncWord(pos, 0, aRowCount, 65535);
    FRow = GetWord(pos, 0);
    for (TPlainCell& c : FPlain) {
        if (c.Col < aColPos)
            continue;
        SetWord(pos, 2, c.Col);
        IncWord(pos, 2, aColCount, 255);
        c.Col = GetWord(pos, 2);
    }
}

Int64 TCellRecordList::SavePacked(TOle2File* DataStream, const TXlsCellRange& CellRange)
{
    if (FPlain.empty() || FRow < CellRange.FirstRow || FRow > CellRange.LastRow)
        return 0;
    const TSST* sst = SST();
    const size_t n = FPlain.size();
    auto usable = [&](size_t i) {
        return FPlain[i].Col >= CellRange.FirstCol && FPlain[i].Col <= CellRange.LastCol;
    };
    // RK and BLANK cells join the next one when it is of their kind, in the next column and in
    // the range: the runs a record row would write as MULRK and MULBLANK.
    auto joins = [&](size_t i) {
        const TPlainCell& c = FPlain[i];
        if (i + 1 >= n || (c.Id != xlr_RK && c.Id != xlr_BLANK))
            return false;
        const TPlainCell& next = FPlain[i + 1];
        return next.Id == c.Id && next.Col == c.Col + 1 && next.Col <= CellRange.LastCol;
    };
    Int64 size = 0;
    Byte body[16];
    size_t i = 0;
    while (i < n) {
        if (!usable(i)) {
            ++i;
            continue;
        }
        const TPlainCell& cell = FPlain[i];
        if (!joins(i)) {
            const Word bytes = cell.Body(FRow, sst, body);
            if (DataStream) {
                DataStream->WriteHeader(cell.Id, bytes);
                DataStream->WriteMem(body, bytes);
            }
            size += 4 + bytes;
            ++i;
            continue;
        }
        const bool rk = cell.Id == xlr_RK;
        const Int64 each = rk ? 6 : 2; // XF and RK, or XF
        size_t last = i + 1;
        while (joins(last))
            ++last;
        const Int64 runSize = 4 + 4 + each * static_cast<Int64>(last - i + 1) + 2;
        if (DataStream) {
            DataStream->WriteHeader(rk ? xlr_MULRK : xlr_MULBLANK, static_cast<Word>(runSize - 4));
            DataStream->Write16(FRow);
            DataStream->Write16(cell.Col);
            for (size_t k = i; k <= last; ++k) {
                DataStream->Write16(FPlain[k].XF);
                if (rk)
                    DataStream->Write32(FPlain[k].RK);
            }
            DataStream->Write16(FPlain[last].Col);
        }
        size += runSize;
        i = last + 1;
    }
    return size;
}
