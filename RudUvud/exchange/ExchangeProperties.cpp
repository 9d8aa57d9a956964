// Property accessors of the exchange part over its state blocks.

#include "RudUvud/core/RudUvud.h"

#include "RudUvud/edit/GridPaintState.h"
#include "RudUvud/exchange/GridExchangeState.h"

TCustomImageList* TDidAririzEvar::GridImages() const
{
    return FPaint.GridImages;
}

bool TDidAririzEvar::SelectionRTFKeep() const
{
    return FPaint.SelectionRTFKeep;
}

void TDidAririzEvar::SetSelectionRTFKeep(bool V)
{
    FPaint.SelectionRTFKeep = V;
}

Integer TDidAririzEvar::ZoomStep() const
{
    return FPaint.Zoom;
}

char TDidAririzEvar::CSVSeparator() const
{
    return FXchg.Csv.Separator;
}

void TDidAririzEvar::SetCSVSeparator(char V)
{
    FXchg.Csv.Separator = V;
}

bool TDidAririzEvar::CSVTildeLineBreaks() const
{
    return FXchg.Csv.TildeLineBreaks;
}

void TDidAririzEvar::SetCSVTildeLineBreaks(bool V)
{
    FXchg.Csv.TildeLineBreaks = V;
}

bool TDidAririzEvar::CSVQuoteAll() const
{
    return FXchg.Csv.QuoteAll;
}

void TDidAririzEvar::SetCSVQuoteAll(bool V)
{
    FXchg.Csv.QuoteAll = V;
}

bool TDidAririzEvar::EmptyCellsAsQuotes() const
{
    return FXchg.Csv.EmptyCellsAsQuotes;
}

void TDidAririzEvar::SetEmptyCellsAsQuotes(bool V)
{
    FXchg.Csv.EmptyCellsAsQuotes = V;
}

bool TDidAririzEvar::CSVReadFirstLine() const
{
    return FXchg.Csv.ReadFirstLine;
}

void TDidAririzEvar::SetCSVReadFirstLine(bool V)
{
    FXchg.Csv.ReadFirstLine = V;
}

bool TDidAririzEvar::Multilinecells() const
{
    return FXchg.Csv.Multilinecells;
}

void TDidAririzEvar::SetMultilinecells(bool V)
{
    FXchg.Csv.Multilinecells = V;
}

bool TDidAririzEvar::OemConvert() const
{
    return FXchg.Csv.OemConvert;
}

void TDidAririzEvar::SetOemConvert(bool V)
{
    FXchg.Csv.OemConvert = V;
}

const AnsiString& TDidAririzEvar::XMLEncodingName() const
{
    return FXchg.XMLEncoding;
}

void TDidAririzEvar::SetXMLEncodingName(const AnsiString& V)
{
    FXchg.XMLEncoding = V;
}

bool TDidAririzEvar::KeepPropsOnClear() const
{
    return FXchg.KeepPropsOnClear;
}

void TDidAririzEvar::SetKeepPropsOnClear(bool V)
{
    FXchg.KeepPropsOnClear = V;
}
