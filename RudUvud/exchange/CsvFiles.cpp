// Comma-separated files: writing the save range, appending to a file, reading with separator
// detection, in load or insert mode. The text rules themselves are in CsvCodec.cpp.

#include "RudUvud/core/RudUvud.h"
#include "RudUvud/exchange/CsvCodec.h"

#include "platform/rtl/Exceptions.h"

#include <algorithm>
#include <cmath>

namespace {

// Percent of Done over Total (at least 1), rounded half to even.
Integer Percent(Integer Done, Integer Total)
{
    return static_cast<Integer>(std::nearbyint(double(Done) * 100.0 / double(Total < 1 ? 1 : Total)));
}

} // namespace

void TDidAririzEvar::CellsChanged(const TRect&) {}
void TDidAririzEvar::CellsLoaded() {}

void TDidAririzEvar::OutputToCSV(const AnsiString& FileName, bool Append)
{
    const Integer H = IncludeHiddenColumns() ? NumHiddenColumns() : 0;
    csvcodec::TCsvWriteOptions Opt;
    Opt.Separator = FXchg.Csv.Separator ? FXchg.Csv.Separator : ',';
    Opt.TildeLineBreaks = FXchg.Csv.TildeLineBreaks;
    Opt.QuoteAll = FXchg.Csv.QuoteAll;
    Opt.EmptyCellsAsQuotes = FXchg.Csv.EmptyCellsAsQuotes;
    Opt.Multilinecells = FXchg.Csv.Multilinecells;

    // The file is written as it is made, a block at a time, to a temporary file that replaces
    // the old one only when everything is written. Appending reads the existing lines first; a
    // missing file is an error, as for the reader.
    AnsiString Existing;
    if (Append)
        Existing = csvcodec::ReadFile(FileName);
    csvcodec::TAtomicFileWriter File(FileName);
    AnsiString Out;
    Out.reserve(1 << 20);
    for (const AnsiString& L : csvcodec::SplitFileLines(Existing)) {
        Out += L;
        Out += "\r\n";
    }
    const Integer R0 = GetSaveStartRow(), R1 = GetSaveEndRow();
    const Integer C0 = GetSaveStartCol(), C1 = GetSaveEndCol() + H;
    Integer Last = -1;
    ExportNotification(esExportStart, R0);
    for (Integer R = R0; R <= R1; ++R) {
        ExportNotification(esExportNewRow, R);
        for (Integer K = C0; K <= C1; ++K) {
            if (K > C0)
                Out += Opt.Separator;
            const Integer C = IncludeHiddenColumns() ? K : RemapCol(K);
            csvcodec::AppendField(Out, SaveCell(C, R), Opt);
        }
        Out += "\r\n";
        if (Out.size() >= (1 << 20) - 4096) {
            File.Write(Out);
            Out.clear();
        }
        if (OnFileProgress) {
            const Integer P = Percent(R, RowCount() - 1);
            if (P != Last)
                OnFileProgress(this, Last = P);
        }
    }
    ExportNotification(esExportDone, -1);
    File.Write(Out);
    File.Commit();
}

void TDidAririzEvar::InputFromCSV(const AnsiString& FileName, bool Insert, Integer MaxRows)
{
    const Integer FC = IncludeFixedCells() ? 0 : FixedCols();
    const Integer FR = IncludeFixedCells() ? 0 : FixedRows();
    // The whole file is read before the grid changes, so a file that cannot be read leaves the
    // grid as it was. Its lines are taken in place, without a copy of each.
    const AnsiString Text = csvcodec::ReadFile(FileName);
    size_t LineCount = 0;
    AnsiString L1, L2;
    {
        size_t Pos = 0;
        std::string_view L;
        while (csvcodec::NextLine(Text, Pos, L)) {
            if (LineCount == 0)
                L1 = AnsiString(L);
            else if (LineCount == 1)
                L2 = AnsiString(L);
            ++LineCount;
        }
    }
    if (LineCount == 0)
        throw Exception("File is empty");

    char Sep = FXchg.Csv.Separator;
    if (!Sep)
        Sep = csvcodec::DetectSeparator(L1, L2);
    const bool Tilde = FXchg.Csv.TildeLineBreaks;
    const Integer H = IncludeHiddenColumns() ? NumHiddenColumns() : 0;

    Integer Row = Insert ? RowCount() : FR;
    const size_t First = FXchg.Csv.ReadFirstLine ? 0 : 1;
    Integer Done = 0;
    // The rows are opened in one step: growing a large grid a thousand rows at a time moves
    // every row's bookkeeping again at each step.
    Integer Need = static_cast<Integer>(LineCount - First);
    if (MaxRows > 0 && Need > MaxRows)
        Need = MaxRows;
    if (Row + Need > RowCount() - FixedFooters())
        SetRowCount(Row + Need + FixedFooters());
    Integer Last = -1;
    size_t Pos = 0;
    std::string_view Line;
    std::vector<AnsiString> Fields;
    for (size_t I = 0; csvcodec::NextLine(Text, Pos, Line); ++I) {
        if (I < First)
            continue;
        if (MaxRows > 0 && Done >= MaxRows)
            break;
        if (Row >= RowCount() - FixedFooters())
            SetRowCount(Row + 1000);
        Integer Col = FC;
        csvcodec::SplitLineInto(Line, Sep, Tilde, Fields);
        for (const AnsiString& F : Fields) {
            if (ColCount() + H <= Col)
                SetColCount(Col + 1 - H);
            LoadCell(Col, Row, F);
            ++Col;
        }
        ++Row;
        ++Done;
        if (OnFileProgress && Need >= 1) {
            const Integer P = Percent(Done, Need);
            if (P != Last)
                OnFileProgress(this, Last = P);
        }
    }
    SetRowCount(Row + FixedFooters());
    CellsChanged(TRect{0, 0, ColCount(), RowCount()});
    CellsLoaded();
}
