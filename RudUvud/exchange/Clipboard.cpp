// Copy, cut and paste through the clipboard: text, the top-left cell's RTF and the binary cell
// stream; the smart selection paste with its fills, series and patterns.

#include "RudUvud/core/RudUvud.h"
#include "RudUvud/edit/GridText.h"
#include "RudUvud/exchange/CellStream.h"
#include "RudUvud/exchange/ClipboardText.h"
#include "RudUvud/exchange/ImportLimits.h"
#include "RudUvud/support/Daehtmle.h"
#include "RudUvud/support/DerOdoz.h"
#include "platform/forms/Clipbrd.h"
#include "platform/rtl/Conversions.h"
#include "platform/rtl/DateTime.h"
#include "platform/rtl/Format.h"
#include "platform/rtl/FormatSettings.h"
#include "platform/rtl/Guards.h"
#include "platform/rtl/Strings.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace {

// Clipboard data beyond these sizes is refused before anything is read into the grid: more
// than any table a person copies, far less than what would exhaust memory.
constexpr std::size_t MaxPasteTextBytes = std::size_t(32) << 20;
constexpr std::size_t MaxPasteCellBytes = std::size_t(64) << 20;
constexpr std::size_t MaxPasteRtfBytes = std::size_t(16) << 20;

const char* const RtfFormatName = "Rich Text Format";

bool StartsWith(const AnsiString& S, const char* P)
{
    return S.rfind(P, 0) == 0;
}

bool HasLineBreak(const AnsiString& S)
{
    return S.find_first_of("\r\n") != AnsiString::npos;
}

// The bytes of a clipboard block of at most Max bytes; false when there is none or it cannot be
// read, and false with TooLarge set when it is larger (the caller refuses it).
bool ReadBlock(TClipboard* CB, UINT Format, std::size_t Max, AnsiString& Out, bool& TooLarge)
{
    TooLarge = false;
    auto* H = static_cast<HGLOBAL>(CB->GetAsHandle(Format));
    if (!H)
        return false;
    const std::size_t Size = GlobalSize(H);
    if (Size > Max) {
        TooLarge = true;
        return false;
    }
    const void* P = GlobalLock(H);
    if (!P)
        return false;
    Out.assign(static_cast<const char*>(P), Size);
    GlobalUnlock(H);
    return true;
}

[[noreturn]] void TooLargeToPaste()
{
    throw ERudUvudError("The clipboard holds more than a grid can take");
}

bool Contains(const AnsiString& S, char C)
{
    return S.find(C) != AnsiString::npos;
}

bool IsDateOrTime(const AnsiString& S)
{
    return IsDateStr(S) || Contains(S, FormatSettings.TimeSeparator);
}

TDateTime DateOrTimeOf(const AnsiString& S)
{
    const bool HasDate = Contains(S, FormatSettings.DateSeparator);
    const bool HasTime = Contains(S, FormatSettings.TimeSeparator);
    if (HasDate && HasTime)
        return StrToDateTime(S);
    return HasDate ? StrToDate(S) : StrToTime(S);
}

} // namespace

// ---- Copy ---------------------------------------------------------------------------------------

AnsiString TDidAririzEvar::CopyCellText(Integer ACol, Integer ARow)
{
    const AnsiString Saved = SaveCell(ACol, ARow);
    AnsiString S = Saved;
    if (StartsWith(S, "|\\"))
        S = WideToAnsi(DecodeWideStr(S));
    if (!Navigation()->CopyHTMLTagsToClipboard && Saved.find("</") != AnsiString::npos)
        S = GetStrippedCell(ACol, ARow);
    else if (Saved.find("{\\") != AnsiString::npos)
        S = RTFPlainText(GetCellEx(ACol, ARow));
    if (!HasLineBreak(S))
        return S;
    if (FCopyMultiLineAsCSV) {
        S = CSVQuotes(S);
        LineFeedsToCSV(S);
        return S;
    }
    return cliptext::QuoteMultiLine(S);
}

void TDidAririzEvar::CopyFunc(const TGridRect& R, bool Disjunct)
{
    FCopyOrigin = TPoint{R.Left, R.Top};
    ExportNotification(esExportStart, -1);
    TMouseActions& MA = *MouseActions();
    const bool RowFilter = Disjunct && MA.DisjunctRowSelect() && !MA.DisjunctColSelect();
    const bool ColFilter = Disjunct && MA.DisjunctColSelect();
    const bool Part = R.Top > FixedRows() || R.Bottom < RowCount() - FixedFooters() - 1;
    AnsiString Text;
    for (Integer J = R.Top; J <= R.Bottom; ++J) {
        if (RowFilter && !GetRowSelect(MA.RowSelectPersistent ? RealRowIndex(J) : J))
            continue;
        ExportNotification(Part ? esExportSelRow : esExportNewRow, J);
        ExportNotification(esExportNewRow, J);
        bool First = true;
        for (Integer K = R.Left; K <= R.Right; ++K) {
            if (ColFilter && !GetColSelect(K))
                continue;
            if (!First)
                Text += '\t';
            First = false;
            Text += CopyCellText(RemapCol(K), J);
        }
        if (R.Bottom > R.Top)
            Text += "\r\n";
    }
    Clipboard()->SetAsText(Text);
    if (Navigation()->AllowRTFClipboard)
        CopyRTFFunc(R.Left, R.Top);
    if (Navigation()->AllowFmtClipboard)
        CopyBinFunc(R);
    ExportNotification(esExportDone, -1);
}

void TDidAririzEvar::CopyRTFFunc(Integer ACol, Integer ARow)
{
    const AnsiString S = Cells(RemapCol(ACol), ARow);
    if (S.find("{\\") == AnsiString::npos)
        return;
    THandleOwner<GlobalBlock, GlobalFree> Block(GlobalAlloc(GMEM_MOVEABLE, S.size() + 1));
    if (!Block)
        return;
    std::memcpy(GlobalLock(Block.get()), S.c_str(), S.size() + 1); // with its terminating NUL
    GlobalUnlock(Block.get());
    if (!OpenClipboard(Handle()))
        return; // the block is freed with its owner
    const UINT Format = RegisterClipboardFormat(RtfFormatName);
    if (SetClipboardData(Format, Block.get()))
        Block.release();
    CloseClipboard();
}

void TDidAririzEvar::CopyBinFunc(const TGridRect& R)
{
    TStringStream Stream;
    SaveRectToBinStream(TRect{R.Left, R.Top, R.Right, R.Bottom}, &Stream);
    const AnsiString Data = Stream.DataString();
    THandleOwner<GlobalBlock, GlobalFree> Block(GlobalAlloc(GMEM_MOVEABLE, Data.size()));
    if (!Block)
        throw EOutOfMemory("Out of memory");
    if (!Data.empty())
        std::memcpy(GlobalLock(Block.get()), Data.data(), Data.size());
    GlobalUnlock(Block.get());
    if (!OpenClipboard(Handle()))
        throw Exception("Cannot open clipboard");
    const bool Set = SetClipboardData(GridCellsClipboardFormat(), Block.get()) != nullptr;
    CloseClipboard();
    if (!Set)
        throw Exception("Cannot put data on the clipboard");
    Block.release();
}

void TDidAririzEvar::CopyToClipBoard()
{
    CopyFunc(TGridRect{GetSaveStartCol(), GetSaveStartRow(), GetSaveEndCol(), GetSaveEndRow()}, false);
    FLastClipOperation = coCopy;
}

void TDidAririzEvar::CopySelectionToClipboard()
{
    CorrectSelection();
    TMouseActions& MA = *MouseActions();
    if (MA.DisjunctRowSelect() || MA.DisjunctColSelect()) {
        if (Navigation()->AllowFmtClipboard)
            CopyFunc(Selection(), false);
        else
            CopyFunc(TGridRect{GetSaveStartCol(), GetSaveStartRow(), GetSaveEndCol(), GetSaveEndRow()}, true);
    } else {
        CopyFunc(Selection(), false);
    }
    FLastClipOperation = coCopy;
}

// ---- Cut ----------------------------------------------------------------------------------------

void TDidAririzEvar::CutToClipboard()
{
    CopyToClipBoard();
    const TGridRect R{GetSaveStartCol(), GetSaveStartRow(), GetSaveEndCol(), GetSaveEndRow()};
    const bool Always = Navigation()->AllowClipboardAlways;
    for (Integer J = R.Top; J <= R.Bottom; ++J) {
        for (Integer K = R.Left; K <= R.Right; ++K)
            if (Always || IsEditable(K, J))
                SetCells(RemapCol(K), J, AnsiString());
        if (ShowModified()->Enabled)
            SetRowModified(J, true);
    }
    FLastClipOperation = coCut;
}

void TDidAririzEvar::CutSelectionToClipboard()
{
    CopySelectionToClipboard();
    TMouseActions& MA = *MouseActions();
    const TGridRect S = Selection();
    if (MA.DisjunctRowSelect()) {
        for (Integer J = RowCount() - 1; J >= FixedRows(); --J)
            if (GetRowSelect(MA.RowSelectPersistent ? RealRowIndex(J) : J)) {
                ClearRows(J, 1);
                SetRowModified(J, true);
            }
    } else if (MA.DisjunctColSelect()) {
        for (Integer K = ColCount() - 1; K >= FixedCols(); --K)
            if (GetColSelect(K))
                ClearCols(K, 1);
    } else {
        const bool Always = Navigation()->AllowClipboardAlways;
        TRudUvudUndoRedo* U = UndoRedo();
        if (U)
            U->StartSequence();
        TScopeExit Stop([U] {
            if (U)
                U->StopSequence();
        });
        for (Integer J = S.Top; J <= S.Bottom; ++J) {
            for (Integer K = S.Left; K <= S.Right; ++K) {
                if (!Always && !IsEditable(K, J))
                    continue;
                const Integer RC = RemapCol(K);
                if (U)
                    U->RegisterChange(RC, J, Cells(RC, J), AnsiString());
                SetCells(RC, J, AnsiString());
            }
            if (ShowModified()->Enabled)
                SetRowModified(J, true);
        }
        if (Navigation()->AllowFmtClipboard)
            ClearPropRect(S.Left, S.Top, S.Right, S.Bottom);
    }
    FLastClipOperation = coCut;
    if (NumHiddenColumns() > 0)
        Invalidate();
}

// ---- Paste --------------------------------------------------------------------------------------

bool TDidAririzEvar::DoAllowFmtPaste()
{
    return Navigation()->AllowFmtClipboard;
}

void TDidAririzEvar::PasteNotify(TPoint, TGridRect PastedArea, TClipOperation)
{
    if (!ShowModified()->Enabled)
        return;
    for (Integer J = std::max<Integer>(0, PastedArea.Top); J <= PastedArea.Bottom && J < RowCount(); ++J)
        SetRowModified(J, true);
}

void TDidAririzEvar::PasteInCell(Integer ACol, Integer ARow, const AnsiString& Value)
{
    const Integer RC = RemapCol(ACol);
    if (TRudUvudUndoRedo* U = UndoRedo())
        U->RegisterChange(RC, ARow, Cells(RC, ARow), Value);
    if (HasCheckBox(RC, ARow))
        SetCheckBoxStateInt(RC, ARow, Value == GetCheckTrue(RC, ARow));
    else
        SetCells(RC, ARow, Value);
    if (RC != ACol)
        RepaintCell(ACol, ARow);
}

void TDidAririzEvar::StorePastedField(Integer ACol, Integer ARow, AnsiString Value)
{
    bool Allow = true;
    if (StartsWith(Value, "|\\")) {
        WideString W = DecodeWideStr(Value);
        if (OnClipboardBeforePasteWideCell)
            OnClipboardBeforePasteWideCell(this, ACol, ARow, W, Allow);
        Value = EncodeWideStr(W);
        if (!Allow)
            return;
        PasteInCell(ACol, ARow, Value);
        if (OnClipboardAfterPasteWideCell)
            OnClipboardAfterPasteWideCell(this, ACol, ARow, W);
        return;
    }
    if (OnClipboardBeforePasteCell)
        OnClipboardBeforePasteCell(this, ACol, ARow, Value, Allow);
    if (!Allow)
        return;
    PasteInCell(ACol, ARow, Value);
    if (OnClipboardAfterPasteCell)
        OnClipboardAfterPasteCell(this, ACol, ARow, Value);
}

TPoint TDidAririzEvar::PasteSize(const char* Text)
{
    TPoint P{0, -1};
    for (const cliptext::TPasteLine& L : cliptext::SplitPasteText(Text)) {
        if (L.Remainder)
            continue;
        P.X = std::max<Integer>(P.X, static_cast<Integer>(L.Fields.size()));
        if (L.Fields.size() > 1 || !L.Fields.front().empty())
            ++P.Y;
    }
    return P;
}

Integer TDidAririzEvar::PasteText(Integer ACol, Integer ARow, const char* Text, Integer& Cols, Integer& Rows)
{
    TNavigation& Nav = *Navigation();
    if (ACol < 0 || ARow < 0)
        return 0;
    if (!Options().Contains(goEditing) && !Nav.AllowClipboardAlways && !MouseActions()->RangeSelectAndEdit)
        return 0;
    if (Text && std::strlen(Text) > MaxPasteTextBytes)
        TooLargeToPaste();
    const std::vector<cliptext::TPasteLine> Lines = cliptext::SplitPasteText(Text);
    const bool Insert = Nav.ClipboardPasteAction == paInsert;
    // The grid the text would make is checked before anything changes.
    {
        Int64 Width = 0, Height = 0;
        for (const cliptext::TPasteLine& L : Lines)
            if (!L.Remainder) {
                Width = std::max<Int64>(Width, static_cast<Int64>(L.Fields.size()));
                ++Height;
            }
        if ((Nav.AllowClipboardColGrow && ACol + Width > importlimits::MaxCols) ||
            ((Nav.AllowClipboardRowGrow || Insert) && RowCount() + Height > importlimits::MaxRows))
            TooLargeToPaste();
    }

    TRudUvudUndoRedo* U = UndoRedo();
    if (U)
        U->StartSequence();
    TScopeExit Stop([U] {
        if (U)
            U->StopSequence();
    });
    const bool Always = Nav.AllowClipboardAlways;
    const bool FooterRow = FloatingFooter()->Visible() && FloatingFooter()->FooterStyle() == fsFixedLastRow;
    Integer Count = 0, MaxCol = ACol, LastRow = ARow;
    Integer Row = ARow;
    Rows = 0;
    Cols = 0;
    for (std::size_t I = 0; I < Lines.size(); ++I) {
        const cliptext::TPasteLine& L = Lines[I];
        if (L.Remainder) {
            ++Count;
            break;
        }
        ++Rows;
        ImportNotification(FPastingAll ? isImportNewRow : isImportSelRow, Row);
        const bool Empty = L.Fields.size() == 1 && L.Fields.front().empty();
        if (Insert && !Empty)
            InsertRows(Row, 1);
        Integer Col = ACol;
        Cols = 0;
        for (std::size_t F = 0; F < L.Fields.size(); ++F) {
            ++Count;
            ++Cols;
            const bool LastField = F + 1 == L.Fields.size();
            if (Col >= ColCount() && Nav.AllowClipboardColGrow)
                SetColCount(Col + 1);
            bool Stored = false;
            // Fields beyond the grid's last row or column are dropped, not written where no
            // cell shows them.
            // An empty line in insert mode opened no row: it empties no cell of the row it meets.
            if (!(Insert && Empty) && Col < ColCount() && Row < RowCount() &&
                (Always || IsEditable(Col, Row))) {
                StorePastedField(Col, Row, L.Fields[F]);
                Stored = true;
            }
            MaxCol = std::max(MaxCol, Col);
            if (!LastField || Stored)
                ++Col;
        }
        LastRow = Row;
        const bool More = I + 1 < Lines.size() && !Lines[I + 1].Remainder;
        if (More) {
            ++Row;
            const Integer End = FooterRow ? RowCount() - 1 : RowCount();
            if (Row >= End && Nav.AllowClipboardRowGrow)
                SetRowCount(RowCount() + 1);
        }
    }
    Stop.Dismiss();
    if (U)
        U->StopSequence();
    const TGridRect Area{ACol, ARow, MaxCol, LastRow};
    PasteNotify(FCopyOrigin, Area, FLastClipOperation);
    const Integer Right = std::min(MaxCol, ColCount() - 1), Bottom = std::min(LastRow, RowCount() - 1);
    if (Right >= ACol && Bottom >= ARow)
        CellsChanged(TRect{RemapCol(ACol), ARow, RemapCol(Right), Bottom});
    return Count;
}

Integer TDidAririzEvar::PasteFunc(Integer ACol, Integer ARow, Integer& Cols, Integer& Rows)
{
    TNavigation& Nav = *Navigation();
    TClipboard* CB = Clipboard();
    AnsiString Data;
    bool TooLarge = false;

    if (DoAllowFmtPaste() && CB->HasFormat(GridCellsClipboardFormat())) {
        if (ReadBlock(CB, GridCellsClipboardFormat(), MaxPasteCellBytes, Data, TooLarge)) {
            PasteStart();
            // The whole stream is read and checked before the grid changes.
            TStringStream Stream(Data);
            const TParsedCellStream P = ParseCellStream(&Stream);
            const bool Insert = Nav.ClipboardPasteAction == paInsert;
            if (ACol + Int64(P.ColCount) > importlimits::MaxCols ||
                ARow + Int64(P.RowCount) > importlimits::MaxRows ||
                (Insert && RowCount() + Int64(P.RowCount) > importlimits::MaxRows))
                TooLargeToPaste();
            if (Nav.AllowClipboardRowGrow || Nav.AllowClipboardColGrow || Insert) {
                if (Nav.AllowClipboardColGrow && ACol + P.ColCount >= ColCount())
                    SetColCount(ACol + P.ColCount);
                if (Nav.AllowClipboardRowGrow && ARow + P.RowCount >= RowCount())
                    SetRowCount(ARow + P.RowCount);
                Cols = ColCount();
                Rows = RowCount();
                if (Insert)
                    InsertRows(ARow, P.RowCount);
            }
            Stream.SetPosition(0);
            LoadAtPointFromBinStream(TPoint{ACol, ARow}, &Stream);
            const Integer Own =
                HandleAllocated() ? static_cast<Integer>(reinterpret_cast<std::intptr_t>(Handle())) : 0;
            const TPoint Origin = Own != 0 && P.ID == Own ? FCopyOrigin : TPoint{-1, -1};
            PasteNotify(Origin, TGridRect{ACol, ARow, ACol + P.ColCount - 1, ARow + P.RowCount - 1},
                        FLastClipOperation);
            PasteDone();
            return P.ColCount * P.RowCount;
        }
        if (TooLarge)
            TooLargeToPaste();
    }
    const UINT RtfFormat = RegisterClipboardFormat(RtfFormatName);
    if (Nav.AllowRTFClipboard && CB->HasFormat(RtfFormat)) {
        if (ReadBlock(CB, RtfFormat, MaxPasteRtfBytes, Data, TooLarge)) {
            Data.resize(std::strlen(Data.c_str()));
            // Only RTF goes into a cell as RTF: anything else under the format is not pasted.
            if (StartsWith(Data, "{\\rtf") && IsEditable(ACol, ARow))
                PasteInCell(ACol, ARow, Data);
            Cols = 1;
            Rows = 1;
            return 0;
        }
        if (TooLarge)
            TooLargeToPaste();
    }
    if (!CB->HasFormat(CF_TEXT))
        return 0;
    if (!ReadBlock(CB, CF_TEXT, MaxPasteTextBytes, Data, TooLarge)) {
        if (TooLarge)
            TooLargeToPaste();
        return 0;
    }
    Data.resize(std::strlen(Data.c_str()));
    return PasteText(ACol, ARow, Data.c_str(), Cols, Rows);
}

void TDidAririzEvar::PasteFromClipboard()
{
    ImportNotification(isImportStart, -1);
    FPastingAll = true;
    TScopeExit Reset([this] { FPastingAll = false; });
    Integer Cols = 0, Rows = 0;
    PasteFunc(GetSaveStartCol(), GetSaveStartRow(), Cols, Rows);
    Reset.Dismiss();
    FPastingAll = false;
    ImportNotification(isImportDone, -1);
    CellsLoaded();
}

void TDidAririzEvar::PasteSelectionFromClipboard()
{
    ImportNotification(isImportStart, -1);
    CorrectSelection();
    const TGridRect S = Selection();
    const Integer Left = Options().Contains(goRowSelect) ? FixedCols() : S.Left;
    Integer Cols = 0, Rows = 0;
    const Integer N = PasteFunc(Left, S.Top, Cols, Rows);
    const Int64 Selected = Int64(S.Right - S.Left + 1) * (S.Bottom - S.Top + 1);
    if (Navigation()->AllowSmartClipboard && N - 1 != Selected) {
        SmartPaste(S, N);
        // A block repeats over a selection of several rows and columns.
        if (S.Bottom > S.Top && S.Right > S.Left) {
            Integer C = 0, R = 0;
            if (Rows == 1) {
                for (Integer J = S.Top + 1; J <= S.Bottom; ++J)
                    PasteFunc(S.Left, J, C, R);
            } else if (Cols == 1) {
                for (Integer K = S.Left + 1; K <= S.Right; ++K)
                    PasteFunc(K, S.Top, C, R);
            }
        }
    }
    ImportNotification(isImportDone, -1);
    CellsLoaded();
}

// The smart part of a selection paste: one value fills the selection; two or more in one row or
// column continue as a date, time, whole-number or decimal series, or repeat as a pattern.
void TDidAririzEvar::SmartPaste(const TGridRect& S, Integer N)
{
    PasteStart();
    const bool Always = Navigation()->AllowClipboardAlways;
    const Int64 Selected = Int64(S.Right - S.Left + 1) * (S.Bottom - S.Top + 1);
    auto IsTopLeft = [&](Integer C, Integer R) { return C == S.Left && R == S.Top; };

    if (N == 1 && Selected > 1) {
        const Integer RC = RemapCol(S.Left);
        AnsiString V = Cells(RC, S.Top);
        bool State = false;
        if (HasCheckBox(RC, S.Top) && GetCheckBoxState(RC, S.Top, State))
            V = State ? GetCheckTrue(RC, S.Top) : GetCheckFalse(RC, S.Top);
        for (Integer C = S.Left; C <= S.Right; ++C)
            for (Integer R = S.Top; R <= S.Bottom; ++R) {
                if (!Always && !IsEditable(C, R))
                    continue;
                AnsiString W = V;
                bool Allow = true;
                if (!IsTopLeft(C, R) && OnClipboardBeforePasteCell)
                    OnClipboardBeforePasteCell(this, C, R, W, Allow);
                if (Allow)
                    PasteInCell(C, R, W);
                PasteNotify(FCopyOrigin, TGridRect{C, R, C, R}, coCopy);
                if (!IsTopLeft(C, R) && OnClipboardAfterPasteCell)
                    OnClipboardAfterPasteCell(this, C, R, W);
            }
    }

    const bool OneCol = S.Left == S.Right, OneRow = S.Top == S.Bottom;
    if (N >= 2 && (OneCol || OneRow) && Selected > 1) {
        std::vector<TPoint> Cells_;
        for (Integer R = S.Top; R <= S.Bottom; ++R)
            for (Integer C = S.Left; C <= S.Right; ++C)
                Cells_.push_back(TPoint{C, R});
        // Offers a value to one editable cell; AfterAlways fires the after-paste event also for
        // a refused value.
        auto Put = [&](TPoint P, AnsiString V, bool AfterAlways) {
            if (!IsEditable(P.X, P.Y))
                return;
            const bool TL = IsTopLeft(P.X, P.Y);
            bool Allow = true;
            if (!TL && OnClipboardBeforePasteCell)
                OnClipboardBeforePasteCell(this, P.X, P.Y, V, Allow);
            if (Allow)
                PasteInCell(P.X, P.Y, V);
            if (!TL && (Allow || AfterAlways) && OnClipboardAfterPasteCell)
                OnClipboardAfterPasteCell(this, P.X, P.Y, V);
        };
        const AnsiString A = Cells(RemapCol(S.Left), S.Top);
        const AnsiString B = OneCol ? Cells(RemapCol(S.Left), S.Top + 1) : Cells(RemapCol(S.Left + 1), S.Top);
        const char DecSep = FormatSettings.DecimalSeparator;
        Integer IA = 0, IB = 0;
        try {
            if (IsDateOrTime(A) && IsDateOrTime(B)) {
                const TDateTime DA = DateOrTimeOf(A), DB = DateOrTimeOf(B);
                Word YA, MA_, DA_, YB, MB, DB_;
                DecodeDate(DA, YA, MA_, DA_);
                DecodeDate(DB, YB, MB, DB_);
                const bool AsDate = Contains(A, FormatSettings.DateSeparator);
                TDateTime V = DA;
                for (std::size_t I = 0; I < Cells_.size(); ++I) {
                    if (I > 0)
                        V = GetNextDate(V, Word(YB - YA), Word(MB - MA_), Word(DB_ - DA_), DB - DA);
                    Put(Cells_[I], AsDate ? DateToStr(V) : TimeToStr(V), true);
                }
            } else if (!Contains(A, DecSep) && !Contains(B, DecSep) && TryStrToInt(A, IA) &&
                       TryStrToInt(B, IB)) {
                const Int64 Step = Int64(IB) - IA;
                for (std::size_t I = 0; I < Cells_.size(); ++I)
                    Put(Cells_[I], IntToStr(Int64(IA) + Step * Int64(I)), false);
            } else if (Contains(A, DecSep) || Contains(B, DecSep)) {
                const Extended FA = StrToFloat(A), FB = StrToFloat(B);
                for (std::size_t I = 0; I < Cells_.size(); ++I)
                    Put(Cells_[I], Format(FloatFormat(), {FA + (FB - FA) * Extended(I)}), false);
            } else if (OneCol) {
                for (Integer R = S.Top + N - 1; R <= S.Bottom; ++R)
                    Put(TPoint{S.Left, R}, Cells(RemapCol(S.Left), R - (N - 1)), false);
            } else if (S.Right >= S.Left + N) {
                for (Integer C = S.Left + N; C <= S.Right; ++C)
                    Put(TPoint{C, S.Top}, Cells(RemapCol(C - N), S.Top), false);
            }
        } catch (const EConvertError&) {
            // A value that does not convert ends the series where it stands.
        }
    }
    PasteDone();
}

void TDidAririzEvar::CorrectSelection()
{
    const TGridRect S = Selection();
    TGridRect N = S;
    if (IsMergedCell(S.Left, S.Top)) {
        const TGridRect B = FullCell(S.Left, S.Top);
        N.Left = std::min(N.Left, B.Left);
        N.Top = std::min(N.Top, B.Top);
    }
    if (IsMergedCell(S.Right, S.Bottom)) {
        const TGridRect B = FullCell(S.Right, S.Bottom);
        N.Right = std::max(N.Right, B.Right);
        N.Bottom = std::max(N.Bottom, B.Bottom);
    }
    if (N.Left != S.Left || N.Top != S.Top || N.Right != S.Right || N.Bottom != S.Bottom)
        SetSelection(N);
}

// ---- Keys ---------------------------------------------------------------------------------------

bool TDidAririzEvar::ClipboardShortCut(Word Key, TShiftState Shift)
{
    if (!Navigation()->AllowClipboardShortCuts || Key == 0)
        return false;
    const bool Ctrl = Shift.Contains(ssCtrl), ShiftKey = Shift.Contains(ssShift);
    enum { None, Cut, Paste, Copy } Action = None;
    if (Ctrl && Key == 'X')
        Action = Cut;
    else if (Ctrl && Key == 'V')
        Action = Paste;
    else if (Ctrl && (Key == VK_INSERT || Key == 'C'))
        Action = Copy;
    else if (ShiftKey && Key == VK_INSERT)
        Action = Paste;
    else if (ShiftKey && Key == VK_DELETE)
        Action = Cut;
    if (Action == None)
        return false;
    bool Allow = true;
    const TClipboardEvent& Event = Action == Cut     ? OnClipboardCut
                                   : Action == Paste ? OnClipboardPaste
                                                     : OnClipboardCopy;
    if (Event)
        Event(this, Allow);
    if (!Allow)
        return true;
    if (Action == Cut)
        CutSelectionToClipboard();
    else if (Action == Paste)
        PasteSelectionFromClipboard();
    else
        CopySelectionToClipboard();
    return true;
}
