#pragma once

// Types of the grid's own printing (exchange/PrintPages.cpp, PrintCells.cpp, PrintEntry.cpp):
// the four passes of the page builder and the events of printing and preview.

#include "platform/forms/Graphics.h"

#include <functional>

// The two counting passes lay pages out and draw nothing; the two drawing passes draw.
enum TPrintMethod { prPreview, prPrint, prCalcPrint, prCalcPreview };

// Widths and heights are in 0.1 mm.
using TFitToPageEvent = std::function<void(TObject* Sender, double& ScaleFactor, bool& Allow)>;
using TPrintColumnWidthEvent = std::function<void(TObject* Sender, Integer ACol, Integer& Width)>;
using TPrintRowHeightEvent = std::function<void(TObject* Sender, Integer ARow, Integer& Height)>;
using TPrintPageEvent = std::function<void(TObject* Sender, TCanvas* Canvas, Integer PageNr,
                                           Integer PageXSize, Integer PageYSize)>;
using TPrintNewPageEvent = std::function<void(TObject* Sender, Integer ARow, bool& NewPage)>;
using TPrintPageDoneEvent =
    std::function<void(TObject* Sender, TCanvas* Canvas, Integer LastRow, Integer LastRowOffset,
                       Integer LastPage, Integer PageXSize, Integer PageYSize)>;
using TPrintCancelEvent = std::function<void(TObject* Sender, Integer PageNr, bool& Cancel)>;
using TPrintStartEvent =
    std::function<void(TObject* Sender, Integer NrOfPages, Integer& FromPage, Integer& ToPage)>;
// The size a cell needs (ASize, in the canvas's units) may be changed by the handler.
using TCustomCellSizeEvent = std::function<void(TObject* Sender, TCanvas* Canvas, Integer ACol, Integer ARow,
                                                TPoint& ASize, bool Printing)>;
