#include "RudUvud/xlsadapter/XlsPageBreaks.h"

#include <algorithm>

using namespace zivXlsMessages;

TPageBreakRecord::TPageBreakRecord(Word aId, TRecordBody aData) : TBaseRecord(aId, std::move(aData))
{
    if (DataSize() < 2)
        XlsError(ErrWrongExcelRecord, {static_cast<Int64>(aId)});
}

Integer TPageBreakRecord::Count() const
{
    // A count larger than the data holds would read past the record.
    return std::min<Integer>(GetWord(Data(), 0), (DataSize() - 2) / 6);
}

TPageBreakData TPageBreakRecord::BreakData(Integer Index) const
{
    const Integer at = 2 + 6 * Index;
    return {GetWord(Data(), at), GetWord(Data(), at + 2), GetWord(Data(), at + 4)};
}

void TPageBreakList::Sort()
{
    std::stable_sort(FList.begin(), FList.end(),
                     [](const TPageBreakData& a, const TPageBreakData& b) { return a.Key < b.Key; });
    FSorted = true;
}

bool TPageBreakList::Find(Integer Key, Integer& Index)
{
    if (!FSorted)
        Sort();
    auto it = std::lower_bound(FList.begin(), FList.end(), Key,
                               [](const TPageBreakData& a, Integer k) { return a.Key < k; });
    Index = static_cast<Integer>(it - FList.begin());
    return it != FList.end() && it->Key == Key;
}

void TPageBreakList::AddBreak(Integer Key)
{
    if (Count() >= MaxBreaks)
        XlsError(ErrTooManyPageBreaks);
    Integer at;
    if (!Find(Key, at))
        FList.insert(FList.begin() + at,
                     TPageBreakData{static_cast<Word>(Key), 0, static_cast<Word>(FMaxSpan)});
}

void TPageBreakList::DeleteBreak(Integer Key)
{
    Integer at;
    if (Find(Key, at))
        FList.erase(FList.begin() + at);
}

void TPageBreakList::AddRecord(const TPageBreakRecord& Rec)
{
    for (Integer i = 0, n = Rec.Count(); i < n; ++i) {
        const TPageBreakData b = Rec.BreakData(i);
        Integer at;
        // More breaks than a list holds could not be written back as one record.
        if (!Find(b.Key, at) && Count() < MaxBreaks)
            FList.insert(FList.begin() + at, b);
    }
}

void TPageBreakList::CopyFrom(const TPageBreakList& Source)
{
    FList.insert(FList.end(), Source.FList.begin(), Source.FList.end());
    FSorted = FList.empty();
}

void TPageBreakList::InsertKeys(Integer Pos, Integer aCount)
{
    Integer at;
    Find(Pos, at);
    if (at >= Count() || aCount == 0)
        return;
    // Sorted: the last key is the largest, so checking it first keeps a failure from moving any.
    const Integer last = FList.back().Key + aCount;
    if (last > FMaxKey || last < 0)
        XlsError(ErrTooManyEntries, {Int64(last), Int64(FMaxKey)});
    for (size_t i = static_cast<size_t>(at); i < FList.size(); ++i)
        FList[i].Key = static_cast<Word>(FList[i].Key + aCount);
}

void TPageBreakList::DeleteKeys(Integer Pos, Integer aCount)
{
    Integer at;
    Find(Pos, at);
    for (Integer i = Count() - 1; i >= at; --i) {
        if (FList[static_cast<size_t>(i)].Key < Pos + aCount)
            FList.erase(FList.begin() + i);
        else
            FList[static_cast<size_t>(i)].Key = static_cast<Word>(FList[static_cast<size_t>(i)].Key - aCount);
    }
}

void TPageBreakList::SaveBreaks(TOle2File& DataStream, Integer First, Integer aCount) const
{
    if (aCount <= 0)
        return;
    DataStream.WriteHeader(FRecordId, static_cast<Word>(2 + 6 * aCount));
    DataStream.Write16(static_cast<Word>(aCount));
    for (Integer i = First; i < First + aCount; ++i) {
        const TPageBreakData& b = FList[static_cast<size_t>(i)];
        DataStream.Write16(b.Key);
        DataStream.Write16(b.First);
        DataStream.Write16(b.Last);
    }
}

void TPageBreakList::SaveToStream(TOle2File& DataStream)
{
    if (!FSorted)
        Sort();
    SaveBreaks(DataStream, 0, Count());
}

void TPageBreakList::CalcIncludedRangeRecords(const TXlsCellRange& CellRange, Integer& First, Integer& aCount)
{
    if (!FSorted)
        Sort();
    const Integer lo = RangeFirst(CellRange), hi = RangeLast(CellRange);
    auto first = std::lower_bound(FList.begin(), FList.end(), lo,
                                  [](const TPageBreakData& a, Integer k) { return a.Key < k; });
    auto end = std::upper_bound(FList.begin(), FList.end(), hi,
                                [](Integer k, const TPageBreakData& a) { return k < a.Key; });
    if (first == FList.end() || end == FList.begin() || end <= first) {
        First = 0;
        aCount = 0;
        return;
    }
    First = static_cast<Integer>(first - FList.begin());
    aCount = static_cast<Integer>(end - first);
}

void TPageBreakList::SaveRangeToStream(TOle2File& DataStream, const TXlsCellRange& CellRange)
{
    Integer first, n;
    CalcIncludedRangeRecords(CellRange, first, n);
    SaveBreaks(DataStream, first, n);
}

Int64 TPageBreakList::TotalRangeSize(const TXlsCellRange& CellRange)
{
    Integer first, n;
    CalcIncludedRangeRecords(CellRange, first, n);
    return n == 0 ? 0 : 6 + 6 * Int64(n);
}
