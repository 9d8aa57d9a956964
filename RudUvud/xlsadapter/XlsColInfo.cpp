#include "RudUvud/xlsadapter/XlsColInfo.h"

#include <algorithm>

using namespace zivXlsMessages;

TColInfoRecord::TColInfoRecord(Word aId, TRecordBody aData) : TBaseRecord(aId, std::move(aData))
{
    if (DataSize() < 12)
        XlsError(ErrWrongExcelRecord, {static_cast<Int64>(aId)});
}

void TColInfoList::Sort()
{
    std::stable_sort(FList.begin(), FList.end(),
                     [](const TColInfo& a, const TColInfo& b) { return a.Column < b.Column; });
    FSorted = true;
}

bool TColInfoList::Find(Integer aColumn, Integer& Index)
{
    if (!FSorted)
        Sort();
    auto it = std::lower_bound(FList.begin(), FList.end(), aColumn,
                               [](const TColInfo& a, Integer c) { return a.Column < c; });
    Index = static_cast<Integer>(it - FList.begin());
    return it != FList.end() && it->Column == aColumn;
}

void TColInfoList::AddRecord(const TColInfoRecord& Rec)
{
    // Columns past 255 do not exist; a damaged record cannot make the list grow beyond them.
    const Integer last = std::min<Integer>(Rec.D(1), 256);
    for (Integer c = Rec.D(0); c <= last; ++c)
        Add({static_cast<Word>(c), Rec.D(2), Rec.D(3), Rec.D(4)});
}

void TColInfoList::CopyFrom(const TColInfoList& Source)
{
    for (const TColInfo& c : Source.FList)
        Add(c);
}

void TColInfoList::SaveToStreamExt(TOle2File* DataStream, Integer FirstIndex, Integer aCount, Int64* Size)
{
    if (!FSorted)
        Sort();
    const Integer end = FirstIndex + aCount;
    Integer i = FirstIndex;
    while (i < end) {
        const TColInfo& first = FList[static_cast<size_t>(i)];
        if (first.Column > 255)
            break;
        Integer j = i;
        while (j + 1 < end && FList[static_cast<size_t>(j + 1)].IsEqual(first) &&
               FList[static_cast<size_t>(j + 1)].Column == FList[static_cast<size_t>(j)].Column + 1)
            ++j;
        if (DataStream) {
            DataStream->WriteHeader(xlr_COLINFO, 12);
            DataStream->Write16(first.Column);
            DataStream->Write16(std::min<Word>(FList[static_cast<size_t>(j)].Column, 256));
            DataStream->Write16(first.Width);
            DataStream->Write16(first.XF);
            DataStream->Write16(first.Options);
            DataStream->Write16(0);
        }
        if (Size)
            *Size += 16;
        i = j + 1;
    }
}

Int64 TColInfoList::TotalSizeExt(Integer FirstIndex, Integer aCount)
{
    Int64 size = 0;
    SaveToStreamExt(nullptr, FirstIndex, aCount, &size);
    return size;
}

void TColInfoList::CalcIncludedRangeRecords(const TXlsCellRange& CellRange, Integer& FirstIndex,
                                            Integer& aCount)
{
    Integer lastIndex;
    Find(CellRange.FirstCol, FirstIndex);
    if (Find(CellRange.LastCol, lastIndex))
        ++lastIndex;
    aCount = std::max(0, lastIndex - FirstIndex);
}

void TColInfoList::SaveToStream(TOle2File& DataStream)
{
    SaveToStreamExt(&DataStream, 0, Count(), nullptr);
}

void TColInfoList::SaveRangeToStream(TOle2File& DataStream, const TXlsCellRange& CellRange)
{
    Integer first, count;
    CalcIncludedRangeRecords(CellRange, first, count);
    SaveToStreamExt(&DataStream, first, count, nullptr);
}

Int64 TColInfoList::TotalSize()
{
    return TotalSizeExt(0, Count());
}

Int64 TColInfoList::TotalRangeSize(const TXlsCellRange& CellRange)
{
    Integer first, count;
    CalcIncludedRangeRecords(CellRange, first, count);
    return TotalSizeExt(first, count);
}

void TColInfoList::CalcGuts(TGutsRecord* Guts) const
{
    Integer level = 0;
    for (const TColInfo& c : FList)
        level = std::max(level, c.GetColOutlineLevel());
    Guts->SetColLevel(level);
}

void TColInfoList::ArrangeInsertCols(Integer aColumn, Integer aCount, const TSheetInfo& SheetInfo)
{
    if (SheetInfo.InsSheet < 0 || SheetInfo.InsSheet != SheetInfo.FormulaSheet)
        return;
    Sort();
    for (Integer i = Count() - 1; i >= 0; --i) {
        TColInfo& c = FList[static_cast<size_t>(i)];
        if (c.Column < aColumn)
            break;
        c.Column = static_cast<Word>(std::min<Integer>(c.Column + aCount, 0xFFFF));
    }
}

void TColInfoList::CopyCols(Integer FirstCol, Integer LastCol, const TSheetInfo& SheetInfo, Integer aCount,
                            Integer DestCol)
{
    const Integer h = LastCol - FirstCol + 1;
    for (Integer k = 0; k < aCount; ++k) {
        Integer i;
        Find(FirstCol, i);
        while (i < Count() && FList[static_cast<size_t>(i)].Column <= LastCol) {
            const TColInfo source = FList[static_cast<size_t>(i)];
            const Integer target = DestCol + source.Column - FirstCol + k * h;
            if (target >= 0 && target <= 256 && target != source.Column) {
                Integer at;
                TColInfo copy = source;
                copy.Column = static_cast<Word>(target);
                if (Find(target, at))
                    FList[static_cast<size_t>(at)] = copy;
                else {
                    FList.insert(FList.begin() + at, copy);
                    if (at <= i)
                        ++i;
                }
            }
            ++i;
        }
    }
}
