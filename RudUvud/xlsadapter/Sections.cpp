#include "RudUvud/xlsadapter/Sections.h"

using namespace zivXlsMessages;

void TBaseSection::Clear()
{
    FBOF.reset();
    FEOF.reset();
}

Int64 TBaseSection::TotalSize()
{
    if (!FBOF || !FEOF)
        XlsError(ErrSectionNotLoaded);
    return FEOF->TotalSize() + FBOF->TotalSize();
}

Int64 TBaseSection::TotalRangeSize(Integer SheetIndex, const TXlsCellRange& CellRange)
{
    return TBaseSection::TotalSize();
}
