#include "RudUvud/xlsadapter/XlsFile.h"

#include "RudUvud/xlsadapter/XlsCellValues.h"
#include "RudUvud/xlsadapter/XlsMessages.h"
#include "RudUvud/xlsadapter/XlsWorkbook.h"

// The xls file's structural edits: sheets, rows and columns inserted, copied and deleted.

using namespace zivXlsMessages;

void TXLSFile::DeleteSheet(Integer Count)
{
    TWorkbook& B = Book();
    if (B.SheetCount() <= Count)
        XlsError(ErrNoSheetVisible);
    FCellValues.reset();
    B.DeleteSheets(FActiveSheet - 1, Count);
    if (FActiveSheet > B.SheetCount())
        FActiveSheet = B.SheetCount();
    FRowPictures.reset();
    FInvalidateFormulas = true;
}

void TXLSFile::InsertAndCopySheets(Integer CopyFrom, Integer InsertBefore, Integer Count)
{
    FCellValues.reset();
    Book().InsertSheets(CopyFrom < 1 ? -1 : CopyFrom - 1, InsertBefore - 1, Count);
    FInvalidateFormulas = true;
}

void TXLSFile::ClearSheet()
{
    TWorkSheet* WS = WorkSheet();
    if (!WS)
        return;
    WS->ClearValues();
    SelectSheet(FActiveSheet);
    FRowPictures.reset();
    CellsChanged();
}

void TXLSFile::InsertAndCopyRows(Integer FirstRow, Integer LastRow, Integer DestRow, Integer Count,
                                 bool OnlyFormulas)
{
    Book().InsertAndCopyRowsAndCols(FActiveSheet - 1, FirstRow - 1, LastRow - 1, DestRow - 1, Count, 0, 0, 0,
                                    0, OnlyFormulas);
    FRowPictures.reset();
    FInvalidateFormulas = true;
}

void TXLSFile::InsertAndCopyCols(Integer FirstCol, Integer LastCol, Integer DestCol, Integer Count,
                                 bool OnlyFormulas)
{
    Book().InsertAndCopyRowsAndCols(FActiveSheet - 1, 0, 0, 0, 0, FirstCol - 1, LastCol - 1, DestCol - 1,
                                    Count, OnlyFormulas);
    FRowPictures.reset();
    FInvalidateFormulas = true;
}

void TXLSFile::DeleteRows(Integer Row, Integer Count)
{
    Book().DeleteRowsAndCols(FActiveSheet - 1, static_cast<Word>(Row - 1), static_cast<Word>(Count), 0, 0);
    FRowPictures.reset();
    FInvalidateFormulas = true;
}

void TXLSFile::DeleteCols(Integer Col, Integer Count)
{
    Book().DeleteRowsAndCols(FActiveSheet - 1, 0, 0, static_cast<Word>(Col - 1), static_cast<Word>(Count));
    FRowPictures.reset();
    FInvalidateFormulas = true;
}
