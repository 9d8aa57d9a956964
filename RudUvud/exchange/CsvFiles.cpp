// Comma-separated files: writing the save range, appending to a file, reading with separator
// detection, in load or insert mode. The text rules themselves are in CsvCodec.cpp.

#include "RudUvud/core/RudUvud.h"
#include "RudUvud/exchange/CsvCodec.h"
#include "RudUvud/exchange/GridExchangeState.h"
#include "RudUvud/exchange/ImportLimits.h"
#include "RudUvud/exchange/TextFormats.h"
#include "RudUvud/support/DerOdoz.h"

#include "platform/rtl/Conversions.h"
#include "platform/rtl/Exceptions.h"

#include <algorithm>
#include <cmath>

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
            if (FXchg.Csv.OemConvert) {
                AnsiString T = SaveCell(C, R);
                StringToOem(T);
                csvcodec::AppendField(Out, T, Opt);
            } else {
                csvcodec::AppendField(Out, SaveCell(C, R), Opt);
            }
        }
        Out += "\r\n";
        if (Out.size() >= (1 << 20) - 4096) {
            File.Write(Out);
            Out.clear();
        }
        if (OnFileProgress) {
            const Integer P = textformats::ProgressPercent(R, RowCount() - 1);
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
    AnsiString Text = csvcodec::ReadFile(FileName);
    if (FXchg.Csv.OemConvert)
        OemToString(Text);
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
    const bool Hidden = IncludeHiddenColumns();
    const Integer H = Hidden ? NumHiddenColumns() : 0;
    const Integer Row0 = Insert ? RowCount() : FR;
    const size_t First = FXchg.Csv.ReadFirstLine ? 0 : 1;
    size_t Need = LineCount - std::min(First, LineCount);
    if (MaxRows > 0 && Need > static_cast<size_t>(MaxRows))
        Need = static_cast<size_t>(MaxRows);
    const Integer NeedRows = static_cast<Integer>(std::min<size_t>(Need, importlimits::MaxRows + 1));
    importlimits::Check(FileName, Row0 + NeedRows + FixedFooters(), 0);

    // Every line is split before the grid changes: the widest line decides the columns, a file
    // beyond the limits is refused as a whole, and the grid is sized once. The lines are split
    // again to store them: splitting costs less than keeping a million fields aside.
    const size_t MaxFields = static_cast<size_t>(importlimits::MaxCols - FC);
    std::vector<AnsiString> Fields;
    auto EachLine = [&](auto&& Take) {
        size_t Pos = 0, Done = 0;
        std::string_view Line;
        for (size_t I = 0; Done < Need && csvcodec::NextLine(Text, Pos, Line); ++I) {
            if (I < First)
                continue;
            Take(static_cast<Integer>(Done++), csvcodec::SplitLineInto(Line, Sep, Tilde, Fields, MaxFields));
        }
    };
    size_t Widest = 0;
    Integer Lines = 0;
    EachLine([&](Integer, size_t N) {
        if (N > MaxFields)
            importlimits::Check(FileName, 0, FC + static_cast<Integer>(N));
        Widest = std::max(Widest, N);
        ++Lines;
    });

    if (Row0 + Lines > RowCount() - FixedFooters())
        SetRowCount(Row0 + Lines + FixedFooters());
    // Field K of a line goes where the writer took it from: the K-th real column when hidden
    // columns are written too, else the K-th shown column.
    const Integer Span = FC + static_cast<Integer>(Widest);
    if (ColCount() + H < Span)
        SetColCount(Span - H);
    std::vector<Integer> Target(Widest);
    for (size_t K = 0; K < Widest; ++K)
        Target[K] = Hidden ? FC + static_cast<Integer>(K) : RemapCol(FC + static_cast<Integer>(K));

    Integer Last = -1;
    EachLine([&](Integer L, size_t N) {
        const Integer Row = Row0 + L;
        // Without a handler watching the order, a line is stored from its last field, so that
        // the row's storage is sized once instead of growing field by field.
        if (OnLoadCell)
            for (size_t K = 0; K < N; ++K)
                LoadCell(Target[K], Row, Fields[K]);
        else
            for (size_t K = N; K-- > 0;)
                LoadCell(Target[K], Row, Fields[K]);
        if (OnFileProgress && Lines >= 1) {
            const Integer P = textformats::ProgressPercent(L + 1, Lines);
            if (P != Last)
                OnFileProgress(this, Last = P);
        }
    });
    SetRowCount(Row0 + Lines + FixedFooters());
    CellsChanged(TRect{0, 0, ColCount(), RowCount()});
    CellsLoaded();
}

namespace importlimits {

void Check(const AnsiString& FileName, Integer Rows, Integer Cols)
{
    if (Rows > MaxRows)
        throw ERudUvudError("File " + FileName + " has too many rows (more than " + IntToStr(MaxRows) + ")");
    if (Cols > MaxCols)
        throw ERudUvudError("File " + FileName + " has too many columns (more than " + IntToStr(MaxCols) +
                            ")");
}

} // namespace importlimits
