// The grid's own line format: the size, the column widths and every non-empty cell, to a file
// (absolute coordinates) or to a stream (relative to the save range, several grids one after
// another). Readers parse everything first, so a file that does not parse leaves the grid as
// it was.

#include "RudUvud/core/GridCoreState.h"
#include "RudUvud/core/RudUvud.h"
#include "RudUvud/exchange/CsvCodec.h"
#include "RudUvud/exchange/GridExchangeState.h"
#include "RudUvud/exchange/TextFormats.h"
#include "RudUvud/support/DerOdoz.h"

#include "platform/forms/Grids.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/Guards.h"
#include "platform/rtl/Streams.h"

#include <cmath>

namespace {

AnsiString Line3(Integer A, Integer B, const AnsiString& Text)
{
    return std::to_string(A) + "," + std::to_string(B) + "," + Text + "\r\n";
}

} // namespace

void TDidAririzEvar::SaveToFile(const AnsiString& FileName)
{
    const bool Hidden = IncludeHiddenColumns();
    const Integer H = Hidden ? NumHiddenColumns() : 0;
    const Integer C0 = GetSaveStartCol(), C1 = GetSaveEndCol() + H;
    const Integer R0 = GetSaveStartRow(), R1 = GetSaveEndRow();
    AnsiString Out = std::to_string(GetSaveColCount() + H) + "," + std::to_string(GetSaveRowCount()) + "\r\n";
    for (Integer K = C0; K <= C1; ++K) {
        // With hidden columns the positions are real columns; a hidden one has its kept width.
        Integer W = 0;
        if (!Hidden)
            W = ColWidths(K);
        else if (IsHiddenColumn(K))
            W = K < static_cast<Integer>(FCore.HiddenColWidths.size()) ? FCore.HiddenColWidths[K]
                                                                       : DefaultColWidth();
        else
            W = ColWidths(DisplColIndex(K));
        Out += "cw " + std::to_string(K) + "," + std::to_string(W) + "\r\n";
    }
    Integer Last = -1;
    ExportNotification(esExportStart, R0);
    for (Integer R = R0; R <= R1; ++R) {
        ExportNotification(esExportNewRow, R);
        for (Integer K = C0; K <= C1; ++K) {
            // Display positions are read from their real columns, as the other exports do, so
            // hidden columns neither show up nor push visible ones out.
            const AnsiString S = SaveCell(Hidden ? K : RemapCol(K), R);
            if (!S.empty())
                Out += Line3(K, R, textformats::EncodeCellText(S));
        }
        if (OnFileProgress) {
            const Integer P = textformats::ProgressPercent(R, GetSaveRowCount() - 1);
            if (P != Last)
                OnFileProgress(this, Last = P);
        }
    }
    ExportNotification(esExportDone, -1);
    csvcodec::WriteFileAtomic(FileName, Out);
}

void TDidAririzEvar::LoadFromFile(const AnsiString& FileName)
{
    const AnsiString Text = csvcodec::ReadFile(FileName);
    textformats::TNativeData D;
    const Integer FC = IncludeFixedCells() ? 0 : FixedCols();
    const Integer FR = IncludeFixedCells() ? 0 : FixedRows();
    if (!textformats::ParseNativeFile(Text, D) || (D.HasHeader && (D.Cols + FC <= 0 || D.Rows + FR <= 0)))
        throw ERudUvudError("File contains no data or corrupt file " + FileName);
    if (D.HasHeader) {
        SetColCount(D.Cols + FC);
        SetRowCount(D.Rows + FR);
    }
    for (const auto& [C, W] : D.Widths)
        if (C >= 0 && C < ColCount())
            SetColWidths(C, W);
    // Messages are not pumped between lines: the user could close or change the grid under the
    // load. The cells are stored from memory, which is quick even for large files.
    Integer Last = -1;
    const bool Multi = FXchg.Csv.Multilinecells;
    for (const textformats::TNativeCell& Cell : D.Cells) {
        if (Cell.Col < 0 || Cell.Row < 0 || Cell.Col >= ColCount() || Cell.Row >= RowCount())
            continue;
        LoadCell(Cell.Col, Cell.Row, FileToLf(Cell.Text, Multi));
        if (OnFileProgress) {
            const Integer P = textformats::ProgressPercent(Cell.Row, RowCount() - 1);
            if (P != Last)
                OnFileProgress(this, Last = P);
        }
    }
    CellsChanged(TRect{0, 0, ColCount(), RowCount()});
    CellsLoaded();
}

void TDidAririzEvar::SaveToStream(TStream* Stream)
{
    const Integer C0 = GetSaveStartCol(), C1 = GetSaveEndCol();
    const Integer R0 = GetSaveStartRow(), R1 = GetSaveEndRow();
    AnsiString Out = std::to_string(GetSaveColCount()) + "," + std::to_string(GetSaveRowCount()) + "\r\n";
    for (Integer K = 0; K < ColCount(); ++K)
        Out += "cw " + std::to_string(K) + "," + std::to_string(ColWidths(K)) + "\r\n";
    ExportNotification(esExportStart, R0);
    for (Integer R = R0; R <= R1; ++R) {
        ExportNotification(esExportNewRow, R);
        for (Integer K = C0; K <= C1; ++K) {
            const AnsiString S = SaveCell(RemapCol(K), R);
            if (!S.empty())
                Out += Line3(K - C0, R - R0, textformats::EncodeCellText(S));
        }
    }
    ExportNotification(esExportDone, -1);
    Stream->WriteBuffer(Out.data(), static_cast<Integer>(Out.size()));
}

void TDidAririzEvar::LoadFromStream(TStream* Stream)
{
    // The rest of the stream is read at once and parsed; the stream is then set to the first
    // byte after this grid's lines (or left where it was when they do not parse).
    const Int64 Start = Stream->Position();
    const Int64 Avail = Stream->Size() - Start;
    AnsiString Data(static_cast<std::size_t>(Avail > 0 ? Avail : 0), '\0');
    if (!Data.empty())
        Stream->ReadBuffer(Data.data(), static_cast<Integer>(Data.size()));
    textformats::TNativeData D;
    TScopeExit Rewind([Stream, Start] { Stream->SetPosition(Start); });
    textformats::ParseNativeStream(Data.data(), Data.size(), D);
    const Integer C0 = GetSaveStartCol(), R0 = GetSaveStartRow();
    const Integer NewCols = D.HasHeader ? D.Cols + C0 : ColCount();
    for (const auto& [C, W] : D.Widths) {
        if (C < 0 || C >= NewCols)
            throw EInvalidGridOperation(SGridIndexOutOfRange);
    }
    Rewind.Dismiss();
    if (D.HasHeader) {
        SetColCount(NewCols);
        SetRowCount(D.Rows + R0);
    }
    for (const auto& [C, W] : D.Widths)
        SetColWidths(C, W);
    const bool Multi = FXchg.Csv.Multilinecells;
    for (const textformats::TNativeCell& Cell : D.Cells) {
        // Coordinates outside the grid are skipped, never written outside the cell store.
        const Integer C = C0 + Cell.Col, R = R0 + Cell.Row;
        if (Cell.Col < 0 || Cell.Row < 0 || C >= ColCount() || R >= RowCount())
            continue;
        LoadCell(C, R, FileToLf(Cell.Text, Multi));
    }
    Stream->SetPosition(Start + static_cast<Int64>(D.Consumed));
    CellsChanged(TRect{0, 0, ColCount(), RowCount()});
    CellsLoaded();
}
