#include "RudUvud/xlsadapter/XlsBreakList.h"

using namespace zivXlsMessages;

void TBreakList::Add(LongWord RecordId, LongWord Size)
{
    TBreakEntry e;
    e.NextRecordId = RecordId;
    e.PieceSize = Size;
    e.RunningTotal = (FEntries.empty() ? 0 : FEntries.back().RunningTotal) + Size;
    FEntries.push_back(e);
}

Int64 TBreakList::AcumSize() const
{
    if (FCurrentIndex < 0 || FCurrentIndex >= Count())
        XlsError(ErrInternal);
    return FEntries[static_cast<size_t>(FCurrentIndex)].RunningTotal + FBaseOffset + 4 * Int64(FCurrentIndex);
}

LongWord TBreakList::CurrentId() const
{
    if (FCurrentIndex < 0 || FCurrentIndex >= Count())
        XlsError(ErrInternal);
    return FEntries[static_cast<size_t>(FCurrentIndex)].NextRecordId;
}

LongWord TBreakList::CurrentSize() const
{
    if (FCurrentIndex < 0 || FCurrentIndex + 1 >= Count())
        XlsError(ErrInternal);
    return FEntries[static_cast<size_t>(FCurrentIndex) + 1].PieceSize;
}
