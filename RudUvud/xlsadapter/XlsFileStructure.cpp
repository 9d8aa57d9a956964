#include "RudUvud/xlsadapter/XlsFile.h"

#include "RudUvud/xlsadapter/XlsMessages.h"
#include "RudUvud/xlsadapter/XlsWorkbook.h"

// The xls file's structural edits: sheets, rows and columns inserted, copied and deleted.

using namespace zivXlsMessages;

namespace {
[[noreturn]] void NotYet()
{
    throw EExcelException("Inserting and deleting sheets, rows and columns is not available");
}
} // namespace

void TXLSFile::DeleteSheet(Integer Count)
{
    if (Book().SheetCount() <= Count)
        XlsError(ErrNoSheetVisible);
    NotYet();
}

void TXLSFile::InsertAndCopySheets(Integer, Integer, Integer)
{
    NotYet();
}

void TXLSFile::ClearSheet()
{
    NotYet();
}

void TXLSFile::InsertAndCopyRows(Integer, Integer, Integer, Integer, bool)
{
    NotYet();
}

void TXLSFile::InsertAndCopyCols(Integer, Integer, Integer, Integer, bool)
{
    NotYet();
}

void TXLSFile::DeleteRows(Integer, Integer)
{
    NotYet();
}

void TXLSFile::DeleteCols(Integer, Integer)
{
    NotYet();
}
