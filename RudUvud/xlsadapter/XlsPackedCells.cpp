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

namespace {

// The record ids of the packed kinds, by kind.
constexpr Word PackedIds[] = {xlr_BLANK, xlr_RK, xlr_NUMBER, xlr_LABELSST, xlr_BOOLERR};
constexpr Byte pkBlank = 0, pkRK = 1, pkNumber = 2, pkLabel = 3, pkBoolErr = 4;

Byte PackedKind(Word aId)
{
    switch (aId) {
    case xlr_RK:
        return pkRK;
    case xlr_NUMBER:
        return pkNumber;
    case xlr_LABELSST:
        return pkLabel;
    case xlr_BOOLERR:
        return pkBoolErr;
    default:
        return pkBlank;
    }
}

} // namespace

bool TCellRecordList::Fits(const TPlainCell& Cell)
{
    return Cell.Col <= XlsWholeSheet.LastCol && TPlainCell::BodySize(Cell.Id) != 0 &&
           (Cell.Id != xlr_LABELSST || (Cell.Entry >= 0 && Cell.Entry <= Int64(0xFFFFFFFF)));
}

TPlainCell TCellRecordList::Expanded(const TPackedCell& Cell) const
{
    TPlainCell c;
    c.Col = Cell.Col;
    c.XF = Cell.XF;
    c.Id = PackedIds[Cell.Kind];
    switch (Cell.Kind) {
    case pkRK:
        c.RK = Cell.Value;
        break;
    case pkNumber:
        c.Number = FNumbers[Cell.Value];
        break;
    case pkLabel:
        c.Entry = Cell.Value;
        break;
    case pkBoolErr:
        c.Flags[0] = static_cast<Byte>(Cell.Value);
        c.Flags[1] = static_cast<Byte>(Cell.Value >> 8);
        break;
    default:
        break;
    }
    return c;
}

void TCellRecordList::Append(const TPlainCell& Cell) noexcept
{
    TPackedCell p{static_cast<Byte>(Cell.Col), PackedKind(Cell.Id), Cell.XF, 0};
    switch (p.Kind) {
    case pkRK:
        p.Value = Cell.RK;
        break;
    case pkNumber:
        p.Value = static_cast<LongWord>(FNumbers.size());
        FNumbers.push_back(Cell.Number);
        break;
    case pkLabel:
        p.Value = static_cast<LongWord>(Cell.Entry);
        break;
    case pkBoolErr:
        p.Value = Cell.Flags[0] | (LongWord(Cell.Flags[1]) << 8);
        break;
    default:
        break;
    }
    FPlain.push_back(p);
}

TCellRecordList::~TCellRecordList()
{
    ReleaseEntries();
}

void TCellRecordList::ReleaseEntries() noexcept
{
    TSST* sst = SST();
    if (!sst)
        return;
    for (const TPackedCell& c : FPlain)
        if (c.Kind == pkLabel)
            sst->DecRef(c.Value);
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
    TPlainCell c = Unpacked(aId, Data);
    if (entry >= 0)
        c.Entry = entry;
    if (!packable || (entry >= 0 && FSST && *FSST != SST) || !Fits(c)) {
        Unpack();
        std::unique_ptr<TBaseRecord> rec =
            CreateRecordById(aId, TRecordBody(Data, Data + TPlainCell::BodySize(aId)));
        if (aId == xlr_LABELSST)
            static_cast<TLabelSSTRecord&>(*rec).AttachToSST(SST);
        TBaseRowColRecordList::Add(std::move(rec));
        return;
    }
    const bool inOrder = FPlain.empty() || (FSorted && FPlain.back().Col < c.Col);
    if (entry >= 0 && !FSST)
        FSST = SST->Link();
    MakeRoom(aId == xlr_NUMBER);
    if (entry >= 0)
        SST->IncRef(entry);
    Append(c); // cannot fail now: a reference is never left without its cell
    if (!FPacked) {
        FPacked = true;
        FRow = row;
    }
    FSorted = inOrder;
}

bool TCellRecordList::AddPackedRun(Word aRow, Word aId, Word aFirst, const Byte* Items, Integer aCount)
{
    if (aCount <= 0 || (FPacked ? aRow != FRow : Count() != 0) || aFirst + aCount - 1 > XlsWholeSheet.LastCol)
        return false;
    const bool rk = aId == xlr_RK;
    const bool inOrder = FPlain.empty() || (FSorted && FPlain.back().Col < aFirst);
    const size_t have = FPlain.size(), want = have + static_cast<size_t>(aCount);
    if (want > FPlain.capacity())
        FPlain.reserve(std::max(want, 2 * have));
    FPlain.resize(want);
    TPackedCell* out = FPlain.data() + have;
    if (rk) {
        for (Integer i = 0; i < aCount; ++i)
            out[i] = TPackedCell{static_cast<Byte>(aFirst + i), pkRK, GetWord(Items, 6 * i),
                                 GetLongWord(Items, 6 * i + 2)};
    } else {
        for (Integer i = 0; i < aCount; ++i)
            out[i] = TPackedCell{static_cast<Byte>(aFirst + i), pkBlank, GetWord(Items, 2 * i), 0};
    }
    if (!FPacked) {
        FPacked = true;
        FRow = aRow;
    }
    FSorted = inOrder;
    return true;
}

bool TCellRecordList::TryPack(TCellRecord& Rec)
{
    const Word id = Rec.Id();
    if (TPlainCell::BodySize(id) == 0 || Rec.DataSize() != TPlainCell::BodySize(id) || Rec.Continue())
        return false;
    if (FPacked ? Rec.GetRow() != FRow : Count() != 0)
        return false;
    TPlainCell c = Unpacked(id, Rec.Data());
    TSST* sst = nullptr;
    if (id == xlr_LABELSST) {
        auto& label = static_cast<TLabelSSTRecord&>(Rec);
        sst = label.SST();
        if (!sst || label.Pointer() < 0 || (FSST && *FSST != sst))
            return false;
        c.Entry = label.Pointer();
    }
    if (!Fits(c))
        return false;
    // Cells written left to right keep the row sorted.
    const bool inOrder = FPlain.empty() || (FSorted && FPlain.back().Col < c.Col);
    if (sst && !FSST)
        FSST = sst->Link();
    MakeRoom(id == xlr_NUMBER);
    if (sst)
        sst->IncRef(c.Entry);
    Append(c);
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
    if (!Fits(Cell))
        return false;
    // Cells written left to right keep the row sorted.
    const bool inOrder = FPlain.empty() || (FSorted && FPlain.back().Col < Cell.Col);
    MakeRoom(Cell.Id == xlr_NUMBER);
    if (Cell.Id == xlr_LABELSST && !FSST)
        FSST = SST->Link();
    Append(Cell);
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
    for (const TPackedCell& p : FPlain) {
        const TPlainCell c = Expanded(p);
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
    FNumbers.clear();
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
    FNumbers = src->FNumbers;
    FSST = src->FSST;
    FRow = src->FRow;
    FSorted = src->FSorted;
    FPacked = true;
    if (TSST* sst = SST())
        for (const TPackedCell& c : FPlain)
            if (c.Kind == pkLabel)
                sst->IncRef(c.Value);
}

void TCellRecordList::MakeRoom(bool Number)
{
    if (FPlain.size() == FPlain.capacity())
        FPlain.reserve(std::max<size_t>(4, 2 * FPlain.size()));
    if (Number)
        FNumbers.MakeRoom();
}

void TCellRecordList::SortPacked()
{
    if (FSorted)
        return;
    const auto before = [](const TPackedCell& a, const TPackedCell& b) { return a.Col < b.Col; };
    if (!std::is_sorted(FPlain.begin(), FPlain.end(), before))
        std::stable_sort(FPlain.begin(), FPlain.end(), before);
    FSorted = true;
}

Integer TCellRecordList::FindPackedIndex(Integer aCol)
{
    SortPacked();
    // A row filled from its first column on holds column c at index c: found with no search.
    const size_t n = FPlain.size();
    if (aCol >= 0 && static_cast<size_t>(aCol) < n && FPlain[static_cast<size_t>(aCol)].Col == aCol &&
        (aCol == 0 || FPlain[static_cast<size_t>(aCol) - 1].Col < aCol))
        return aCol;
    const auto it = std::lower_bound(FPlain.begin(), FPlain.end(), aCol,
                                     [](const TPackedCell& c, Integer col) { return c.Col < col; });
    return it != FPlain.end() && it->Col == aCol ? static_cast<Integer>(it - FPlain.begin()) : -1;
}

bool TCellRecordList::FindPacked(Integer aCol, TPlainCell& Cell)
{
    const Integer at = FindPackedIndex(aCol);
    if (at < 0)
        return false;
    Cell = Expanded(FPlain[static_cast<size_t>(at)]);
    return true;
}

void TCellRecordList::ReadPacked(Integer aCol, TXlsVariant& Value)
{
    const Integer at = FindPackedIndex(aCol);
    Value.Number = 0;
    Value.Boolean = false;
    if (at < 0) {
        Value.VarType = xvEmpty;
        Value.Text.clear();
        return;
    }
    const TPackedCell& c = FPlain[static_cast<size_t>(at)];
    switch (c.Kind) {
    case pkRK:
        Value.VarType = xvNumber;
        Value.Number = DecodeRK(c.Value);
        break;
    case pkNumber:
        Value.VarType = xvNumber;
        Value.Number = FNumbers[c.Value];
        break;
    case pkLabel:
        Value.VarType = xvString;
        if (const TSST* sst = SST()) {
            sst->EntryTextTo(c.Value, Value.Text);
            return;
        }
        break;
    case pkBoolErr:
        if (c.Value >> 8) {
            Value.VarType = xvString;
            Value.Text = TBoolErrRecord::ErrcodeToString(static_cast<Byte>(c.Value));
            return;
        }
        Value.VarType = xvBoolean;
        Value.Boolean = (c.Value & 0xFF) != 0;
        break;
    default:
        Value.VarType = xvEmpty;
        break;
    }
    Value.Text.clear();
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
                                     [](const TPackedCell& c, Integer col) { return c.Col < col; });
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
    for (TPackedCell& c : FPlain) {
        if (c.Col < aColPos)
            continue;
        SetWord(pos, 2, c.Col);
        IncWord(pos, 2, aColCount, 255);
        c.Col = static_cast<Byte>(GetWord(pos, 2));
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
        const TPackedCell& c = FPlain[i];
        if (i + 1 >= n || (c.Kind != pkRK && c.Kind != pkBlank))
            return false;
        const TPackedCell& next = FPlain[i + 1];
        return next.Kind == c.Kind && next.Col == c.Col + 1 && next.Col <= CellRange.LastCol;
    };
    Int64 size = 0;
    Byte body[4 + 16]; // header and data of a single cell
    size_t i = 0;
    while (i < n) {
        if (!usable(i)) {
            ++i;
            continue;
        }
        const TPackedCell& cell = FPlain[i];
        if (!joins(i)) {
            const TPlainCell c = Expanded(cell);
            const Word bytes = c.Body(FRow, sst, body + 4);
            if (DataStream) {
                SetWord(body, 0, c.Id);
                SetWord(body, 2, bytes);
                DataStream->WriteMem(body, 4 + bytes);
            }
            size += 4 + bytes;
            ++i;
            continue;
        }
        const bool rk = cell.Kind == pkRK;
        const Int64 each = rk ? 6 : 2; // XF and RK, or XF
        size_t last = i + 1;
        while (joins(last))
            ++last;
        const Int64 runSize = 4 + 4 + each * static_cast<Int64>(last - i + 1) + 2;
        if (DataStream) {
            // The whole record goes out in one write.
            Byte run[4 + 4 + 6 * 256 + 2];
            SetWord(run, 0, rk ? xlr_MULRK : xlr_MULBLANK);
            SetWord(run, 2, static_cast<Word>(runSize - 4));
            SetWord(run, 4, FRow);
            SetWord(run, 6, cell.Col);
            Byte* p = run + 8;
            for (size_t k = i; k <= last; ++k) {
                SetWord(p, 0, FPlain[k].XF);
                if (rk)
                    SetLongWord(p, 2, FPlain[k].Value);
                p += each;
            }
            SetWord(p, 0, FPlain[last].Col);
            DataStream->WriteMem(run, static_cast<Integer>(runSize));
        }
        size += runSize;
        i = last + 1;
    }
    return size;
}
