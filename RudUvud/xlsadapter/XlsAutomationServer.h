#pragma once

#include "platform/win/Automation.h"

#include <memory>

// The spreadsheet automation server ("Excel.Application") over the xls file interface: the part
// of a spreadsheet program's object model that the string grid's spreadsheet exchange uses.
//
//   Application: Workbooks (or WorkBooks), ActiveWorkbook, ActiveCell (its Row is 1), Visible,
//     DisplayAlerts and ScreenUpdating (accepted, read False), Quit.
//   Workbooks: Count, Add (a new workbook of one sheet), Open(FileName), Item(n).
//   Workbook: Sheets and Worksheets (Count, Item(n) or Item(name), Add), Sheets(n),
//     ActiveSheet, Name, FullName, SaveAs(FileName), Save, Saved, Close(SaveChanges).
//   Worksheet: Name (read and write), Index, Range(address), Cells(row, column), UsedRange,
//     Activate.
//   Range: Value (read and write; a block reads and writes a two-dimensional array from 1),
//     Address, Row, Column, Rows.Count, Columns.Count.
//
// Texts written to a cell are read as a spreadsheet program reads typed text (numbers,
// percentages, dates, TRUE and FALSE become values). Saving writes beside the target and renames
// over it, so a failed save leaves any former file as it was.

std::shared_ptr<TAutoObject> NewXlsApplication();

// Registers the server under "Excel.Application". Safe to call more than once.
void RegisterXlsOleServer();
