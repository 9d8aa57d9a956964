// Fixed-width files in both directions and the padded text table for reading by people. Files
// are built in memory and written through a temporary file (CsvCodec's helper), and readers read
// and split the whole file before the grid changes.

#include "RudUvud/core/RudUvud.h"
#include "RudUvud/exchange/CsvCodec.h"
#include "RudUvud/exchange/GridExchangeState.h"
#include "RudUvud/exchange/ImportLimits.h"
#include "RudUvud/exchange/TextFormats.h"
#include "RudUvud/support/DerOdoz.h"

#include "platform/forms/Forms.h"
#include "platform/rtl/Exceptions.h"

#include <algorithm>
#include <fstream>

namespace {

// The lines of a cell text as the exports see them: split at CR (a LF after it dropped), only
// the first one unless the grid holds multi-line cells.
std::vector<AnsiString> CellLines(const AnsiString& S, bool Multi)
{
    std::vector<AnsiString> Lines;
    AnsiString Rest = S, Line;
    do {
        GetNextLine(Rest, true, Line);
        Lines.push_back(Line);
    } while (Multi && !Rest.empty());
    return Lines;
}

// The hourglass for the duration of a long export; the previous cursor comes back on every way
// out.
class TBusyCursor {
public:
    TBusyCursor() : FSaved(Screen ? Screen->Cursor() : crDefault)
    {
        if (Screen)
            Screen->SetCursor(crHourGlass);
    }
    ~TBusyCursor()
    {
        if (Screen)
            Screen->SetCursor(FSaved);
    }
    TBusyCursor(const TBusyCursor&) = delete;
    TBusyCursor& operator=(const TBusyCursor&) = delete;

private:
    TCursor FSaved;
};

// A cell text on one fixed-width line: each line break becomes a blank, so the file keeps one
// line per row.
AnsiString FlatText(const AnsiString& S)
{
    if (S.find_first_of("\r\n") == AnsiString::npos)
        return S;
    AnsiString Out;
    Out.reserve(S.size());
    for (std::size_t I = 0; I < S.size(); ++I) {
        if (S[I] == '\r' && I + 1 < S.size() && S[I + 1] == '\n')
            continue;
        Out += S[I] == '\r' || S[I] == '\n' ? ' ' : S[I];
    }
    return Out;
}

} // namespace

Integer TDidAririzEvar::MaxCharsInCol(Integer ACol)
{
    std::size_t Max = 0;
    for (Integer R = 0; R < GetRowCountEx(); ++R)
        for (const AnsiString& L : CellLines(SaveCell(ACol, R), FXchg.Csv.Multilinecells))
            Max = std::max(Max, textformats::CharLength(L));
    return static_cast<Integer>(Max);
}

void TDidAririzEvar::SaveToFixed(const AnsiString& FileName, std::vector<Integer>& Widths)
{
    const bool Hidden = IncludeHiddenColumns();
    const Integer H = Hidden ? NumHiddenColumns() : 0;
    const Integer C0 = GetSaveStartCol(), C1 = GetSaveEndCol() + H;
    std::vector<Integer> Cols;
    for (Integer K = C0; K <= C1; ++K)
        Cols.push_back(Hidden ? K : RemapCol(K));
    // Missing widths are measured and handed back in the caller's list: one more than the
    // longest text as it is written, so that no text is cut.
    for (std::size_t P = Widths.size(); P < Cols.size(); ++P) {
        std::size_t Max = 0;
        for (Integer R = 0; R < GetRowCountEx(); ++R)
            Max = std::max(Max, textformats::CharLength(FlatText(SaveCell(Cols[P], R))));
        Widths.push_back(1 + static_cast<Integer>(Max));
    }

    AnsiString Out;
    const Integer R0 = GetSaveStartRow(), R1 = GetSaveEndRow();
    ExportNotification(esExportStart, R0);
    for (Integer R = R0; R <= R1; ++R) {
        ExportNotification(esExportNewRow, R);
        for (std::size_t P = 0; P < Cols.size(); ++P) {
            const Integer W = std::max<Integer>(0, Widths[P]);
            Out += textformats::FitToWidth(FlatText(SaveCell(Cols[P], R)), static_cast<std::size_t>(W));
        }
        Out += "\r\n";
    }
    ExportNotification(esExportDone, -1);
    try {
        csvcodec::WriteFileAtomic(FileName, Out);
    } catch (const Exception&) {
        throw ERudUvudError("Cannot Create file " + FileName);
    }
}

void TDidAririzEvar::LoadFromFixed(const AnsiString& FileName, std::vector<Integer>& Positions, bool Trim,
                                   Integer MaxRows)
{
    AnsiString Text;
    try {
        Text = csvcodec::ReadFile(FileName);
    } catch (const Exception&) {
        throw ERudUvudError("File " + FileName + " not found");
    }
    // The caller's list comes back sorted, as the fields are cut in ascending order.
    std::sort(Positions.begin(), Positions.end());
    if (Positions.size() < 2)
        throw ERudUvudError("A fixed-width file needs at least two field positions");
    const std::vector<Integer>& Pos = Positions;

    // A maximum of 1 or more reads that many lines, -1 reads all, anything else one line.
    const std::vector<AnsiString> Lines = csvcodec::SplitFileLines(Text);
    std::size_t Limit = Lines.size();
    if (MaxRows != -1)
        Limit = std::min<std::size_t>(Limit, static_cast<std::size_t>(std::max<Integer>(MaxRows, 1)));
    const Integer FC = GetSaveStartCol(), FR = GetSaveStartRow();
    const Integer Fields =
        static_cast<Integer>(std::min<std::size_t>(Pos.size() - 1, importlimits::MaxCols + 1));
    importlimits::Check(FileName,
                        FR + static_cast<Integer>(std::min<std::size_t>(Limit, importlimits::MaxRows + 1)),
                        std::max(FC + Fields, FixedCols() + Fields));
    std::vector<std::vector<AnsiString>> Rows;
    Rows.reserve(Limit);
    for (std::size_t I = 0; I < Limit; ++I)
        Rows.push_back(textformats::SplitFixedLine(Lines[I], Pos, Trim));

    SetColCount(std::max<Integer>(1, FixedCols() + Fields));
    if (FC + Fields > ColCount())
        SetColCount(FC + Fields);
    const Integer Need = FR + static_cast<Integer>(Rows.size());
    if (Need > RowCount())
        SetRowCount(Need);
    for (std::size_t I = 0; I < Rows.size(); ++I)
        for (std::size_t K = 0; K < Rows[I].size(); ++K)
            LoadCell(FC + static_cast<Integer>(K), FR + static_cast<Integer>(I), Rows[I][K]);
    CellsChanged(TRect{0, 0, ColCount(), RowCount()});
    CellsLoaded();
}

void TDidAririzEvar::SaveToASCIIInt(const AnsiString& FileName, bool Append)
{
    TBusyCursor Busy;
    AnsiString Out;
    if (Append && std::ifstream(FileName).good()) {
        for (const AnsiString& L : csvcodec::SplitFileLines(csvcodec::ReadFile(FileName))) {
            Out += L;
            Out += "\r\n";
        }
    }
    const Integer FC = IncludeFixedCells() ? 0 : FixedCols();
    const Integer FR = IncludeFixedCells() ? 0 : FixedRows();
    const bool Hidden = IncludeHiddenColumns();
    const Integer H = Hidden ? NumHiddenColumns() : 0;
    // One width per written column, however many there are and however wide.
    std::vector<Integer> Cols;
    std::vector<std::size_t> Widths;
    for (Integer K = FC; K <= ColCount() - 1 + H; ++K) {
        Cols.push_back(Hidden ? K : RemapCol(K));
        Widths.push_back(static_cast<std::size_t>(MaxCharsInCol(Cols.back())));
    }
    const bool Multi = FXchg.Csv.Multilinecells;
    // Nothing is written when a hook raises: the table is only ever written whole.
    ExportNotification(esExportStart, FR);
    for (Integer R = FR; R < RowCount(); ++R) {
        ExportNotification(esExportNewRow, R);
        AnsiString Main;
        std::vector<AnsiString> More;
        std::size_t Offset = 0;
        for (std::size_t P = 0; P < Cols.size(); ++P) {
            TAlignment HA = taLeftJustify;
            TVAlignment VA = vtaTop;
            GetCellAlignment(Cols[P], R, HA, VA);
            const textformats::TPieceAlign A = HA == taRightJustify ? textformats::paRight
                                               : HA == taCenter     ? textformats::paCenter
                                                                    : textformats::paLeft;
            const std::vector<AnsiString> Lines = CellLines(SaveCell(Cols[P], R), Multi);
            Main += textformats::AlignPiece(Lines[0], Widths[P], A);
            for (std::size_t I = 1; I < Lines.size(); ++I) {
                if (More.size() < I)
                    More.emplace_back();
                AnsiString& L = More[I - 1];
                const std::size_t Len = textformats::CharLength(L);
                if (Len < Offset)
                    L.append(Offset - Len, ' ');
                L += textformats::AlignPiece(Lines[I], Widths[P], A);
            }
            Offset += Widths[P] + 1;
        }
        Out += Main;
        Out += "\r\n";
        for (const AnsiString& L : More) {
            Out += L;
            Out += "\r\n";
        }
    }
    ExportNotification(esExportDone, -1);
    csvcodec::WriteFileAtomic(FileName, Out);
}
