#pragma once

// State of the exchange part: comma-separated files, the XML encoding, clearing, change
// notifiers and the balloon hint. Held by the grid as FXchg; only the exchange sources (and
// those reading its fields) include this header.

#include "RudUvud/exchange/GridPrintState.h"
#include "RudUvud/exchange/GridRuntimeState.h"
#include "RudUvud/exchange/GridSettings.h"

#include "platform/forms/Grids.h"

#include <vector>

// Settings of the comma-separated file exchange.
struct TGridCsvState {
    char Separator = '\0'; // '\0': "," when writing, detected when reading
    bool TildeLineBreaks = false;
    bool QuoteAll = false;
    bool EmptyCellsAsQuotes = true;
    bool ReadFirstLine = true;
    bool Multilinecells = false;
    bool OemConvert = false; // files in the OEM code page
};

struct TGridExchangeState {
    TGridCsvState Csv;                           // comma-separated files (exchange/CsvFiles.cpp)
    AnsiString XMLEncoding = "ISO-8859-1";       // written in the XML declaration
    bool KeepPropsOnClear = false;               // clearing empties texts only
    std::vector<TGridChangeNotifier*> Notifiers; // in registration order
    // The cell whose balloon hint shows and its text (at most 1,024 characters).
    TGridCoord BalloonCell{-1, -1};
    AnsiString BalloonText;
    TGridPrintState Print; // the grid's own printing (exchange/PrintPages.cpp)
    // The window procedure, panning and cell controls (exchange/WindowProc.cpp).
    TGridRuntimeState Runtime;
};
