// Typed cell access and conveniences over the cell texts: integers, floats, dates and times,
// values of controls in a cell's mini-HTML, the version, print column widths, column and row
// headers, merged columns, highlighting and marking a search text, and range fills.

#include "RudUvud/core/RudUvud.h"

#include "RudUvud/core/GridCoreState.h"
#include "RudUvud/core/GridTypedState.h"

#include "RudUvud/support/Daehtmle.h"
#include "RudUvud/support/DerOdoz.h"
#include "platform/rtl/Conversions.h"
#include "platform/rtl/DateTime.h"
#include "platform/rtl/Format.h"
#include "platform/rtl/Random.h"
#include "platform/rtl/Strings.h"

#include <charconv>
#include <limits>

namespace {

constexpr const char* HilightTag = "hi";
constexpr const char* MarkTag = "e";

// A decimal integer with an optional sign and nothing else (no hexadecimal forms).
bool ParseDecimal(const AnsiString& S, Integer& Value)
{
    std::size_t Start = 0;
    if (!S.empty() && S[0] == '+')
        Start = 1;
    const char* First = S.data() + Start;
    const char* Last = S.data() + S.size();
    if (First == Last || (*First == '-' && First + 1 == Last))
        return false;
    long long V = 0;
    const auto [End, Error] = std::from_chars(First, Last, V);
    if (Error != std::errc() || End != Last || V < std::numeric_limits<Integer>::min() ||
        V > std::numeric_limits<Integer>::max())
        return false;
    Value = static_cast<Integer>(V);
    return true;
}

// The number in a cell's text: thousand separators out, the decimal separator read as '.'
// whatever the locale. An empty text or "-" is 0.
Double CellFloat(const AnsiString& Text)
{
    const AnsiString T = Trim(Text);
    if (T.empty() || T == "-")
        return 0;
    const AnsiString S = RemoveSeps(T);
    if (S == "-")
        return 0;
    Double V = 0;
    Integer Code = 0;
    if (!S.empty())
        Val(S, V, Code);
    if (S.empty() || Code != 0)
        throw ERudUvudError("Cell does not contain a float value");
    return V;
}

} // namespace

// ---- Typed access ----------------------------------------------------------------------------------

void TDidAririzEvar::SetInts(Integer ACol, Integer ARow, Integer Value)
{
    SetCellEx(ACol, ARow, IntToStr(Value));
    if (NumHiddenColumns() > 0)
        RepaintCell(RemapColInv(ACol), ARow);
}

Integer TDidAririzEvar::GetInts(Integer ACol, Integer ARow)
{
    AnsiString S = Trim(GetCellEx(ACol, ARow));
    if (S.empty() || S == "-")
        return 0;
    Integer V = 0;
    if (!ParseDecimal(S, V))
        throw ERudUvudError("Cell does not contain integer value");
    return V;
}

void TDidAririzEvar::SetFloats(Integer ACol, Integer ARow, Double Value)
{
    SetCellEx(ACol, ARow, Format(FCore.FloatFormat, {Value}));
}

Double TDidAririzEvar::GetFloats(Integer ACol, Integer ARow)
{
    return CellFloat(GetCellEx(ACol, ARow));
}

void TDidAririzEvar::SetAllFloats(Integer ACol, Integer ARow, Double Value)
{
    SetCellsEx(ACol, ARow, Format(FCore.FloatFormat, {Value}));
}

Double TDidAririzEvar::GetAllFloats(Integer ACol, Integer ARow)
{
    return CellFloat(GetCellsEx(ACol, ARow));
}

void TDidAririzEvar::SetDates(Integer ACol, Integer ARow, TDateTime Value)
{
    if (Value > 0 || FTyped.ShowZeroDates)
        SetCellEx(ACol, ARow, DateToStr(Value));
    else
        SetCellEx(ACol, ARow, "");
}

TDateTime TDidAririzEvar::GetDates(Integer ACol, Integer ARow)
{
    return StrToDate(GetCellEx(ACol, ARow));
}

void TDidAririzEvar::SetTimes(Integer ACol, Integer ARow, TDateTime Value)
{
    SetCellEx(ACol, ARow, TimeToStr(Value));
}

TDateTime TDidAririzEvar::GetTimes(Integer ACol, Integer ARow)
{
    return StrToTime(GetCellEx(ACol, ARow));
}

AnsiString TDidAririzEvar::GetCtrlVal(Integer ACol, Integer ARow, const AnsiString& CtrlID)
{
    AnsiString Value;
    if (!GetControlValue(GetCellEx(ACol, ARow), CtrlID, Value))
        return AnsiString();
    return Value;
}

void TDidAririzEvar::SetCtrlVal(Integer ACol, Integer ARow, const AnsiString& CtrlID, const AnsiString& Value)
{
    AnsiString S = GetCellEx(ACol, ARow);
    if (SetControlValue(S, CtrlID, Value))
        SetCellEx(ACol, ARow, S);
}

void TDidAririzEvar::SetFloatFormat(const AnsiString& Value)
{
    FCore.FloatFormat = Value;
}

bool TDidAririzEvar::ShowZeroDates() const
{
    return FTyped.ShowZeroDates;
}

void TDidAririzEvar::SetShowZeroDates(bool Value)
{
    FTyped.ShowZeroDates = Value;
}

// ---- Version, print layout, look objects ---------------------------------------------------------------

Integer TDidAririzEvar::GetVersionNr()
{
    return (5 << 24) | (0 << 16) | (6 << 8) | 0;
}

AnsiString TDidAririzEvar::GetVersion()
{
    const auto V = static_cast<std::uint32_t>(GetVersionNr());
    return IntToStr(Integer(V >> 24)) + "." + IntToStr(Integer((V >> 16) & 0xFF)) + "." +
           IntToStr(Integer((V >> 8) & 0xFF)) + "." + IntToStr(Integer(V & 0xFF));
}

Integer TDidAririzEvar::GetPrintColWidth(Integer ACol)
{
    if (ACol < 0 || ACol > 511)
        throw ERudUvudError("Columns is not in valid range");
    return FTyped.PrintColWidths[static_cast<std::size_t>(ACol)];
}

Integer TDidAririzEvar::GetPrintColOffset(Integer ACol)
{
    if (ACol < 0 || ACol > 511)
        throw ERudUvudError("Columns is not in valid range");
    return FTyped.PrintColOffsets[static_cast<std::size_t>(ACol)];
}

std::array<Integer, 513>& TDidAririzEvar::PrintColWidths()
{
    return FTyped.PrintColWidths;
}

std::array<Integer, 513>& TDidAririzEvar::PrintColOffsets()
{
    return FTyped.PrintColOffsets;
}

void TDidAririzEvar::SetLookupItems(TStringList* Value)
{
    if (Value)
        FLookupItems->Assign(Value);
}

void TDidAririzEvar::SetFixedFont(TFont* Value)
{
    FFixedFont->Assign(Value);
    Invalidate();
}

void TDidAririzEvar::FixedFontChanged(TObject*)
{
    Invalidate();
}

void TDidAririzEvar::RichSelChange(TObject*)
{
    if (OnRichEditSelectionChange)
        OnRichEditSelectionChange(this);
}

// ---- Merged columns --------------------------------------------------------------------------------------

TIntList* TDidAririzEvar::MergedColumns() const
{
    return FTyped.MergedColumns.get();
}

void TDidAririzEvar::UndoColumnMerge()
{
    for (Integer C = 0; C < ColCount(); ++C)
        SplitColumnCells(C);
}

void TDidAririzEvar::ApplyColumnMerge()
{
    const TIntList& L = *FTyped.MergedColumns;
    for (Integer I = 0; I < L.Count(); ++I)
        MergeColumnCells(L.Items(I), I == 0);
}

void TDidAririzEvar::MergedColumnsChanged(TObject*, Integer, Integer)
{
    UndoColumnMerge();
    ApplyColumnMerge();
}

// ---- Headers ---------------------------------------------------------------------------------------------

void TDidAririzEvar::SetColumnHeaders(TStringList* Value)
{
    FColumnHeaders->Assign(Value);
    if (FixedRows() > 0)
        ClearColumnHeaders();
    ShowColumnHeaders();
}

void TDidAririzEvar::ColHeaderChanged(TObject*)
{
    UpdateColHeaders();
    ShowColumnHeaders();
}

void TDidAririzEvar::ClearColumnHeaders()
{
    for (Integer C = 0; C < ColCount(); ++C)
        SetCellEx(C, 0, "");
}

void TDidAririzEvar::ShowColumnHeaders()
{
    if (FixedRows() <= 0)
        return;
    const Integer N = std::min(FColumnHeaders->Count(), TotalColCount());
    for (Integer I = 0; I < N; ++I)
        SetCellEx(I, 0, CLFToLF(FColumnHeaders->Strings(I)));
}

void TDidAririzEvar::SetRowHeaders(TStringList* Value)
{
    FRowHeaders->Assign(Value);
    if (ComponentState().Contains(csDesigning) && FixedCols() > 0)
        ClearRowHeaders();
    ShowRowHeaders();
}

void TDidAririzEvar::RowHeaderChanged(TObject*)
{
    ShowRowHeaders();
}

void TDidAririzEvar::ClearRowHeaders()
{
    for (Integer R = 0; R < RowCount(); ++R)
        SetCellEx(0, R, "");
}

void TDidAririzEvar::ShowRowHeaders()
{
    if (FixedCols() <= 0)
        return;
    const Integer N = std::min(FRowHeaders->Count(), RowCount());
    for (Integer I = 0; I < N; ++I)
        SetCellEx(0, I, CLFToLF(FRowHeaders->Strings(I)));
}

// ---- Highlighting and marking ----------------------------------------------------------------------------

void TDidAririzEvar::RowRange(bool DoFixed, Integer& From, Integer& To)
{
    From = DoFixed ? 0 : FixedRows();
    To = DoFixed ? RowCount() - 1 : RowCount() - 1 - FixedFooters();
}

void TDidAririzEvar::ColRange(bool DoFixed, Integer& From, Integer& To)
{
    From = DoFixed ? 0 : FixedCols();
    To = DoFixed ? ColCount() - 1 : ColCount() - 1 - FixedRightCols();
}

AnsiString TDidAririzEvar::HilightText(bool CaseSensitive, const AnsiString& S, const AnsiString& AText)
{
    return HiLight(S, AText, HilightTag, CaseSensitive);
}

AnsiString TDidAririzEvar::UnHilightText(const AnsiString& S)
{
    return UnHiLight(S, HilightTag);
}

AnsiString TDidAririzEvar::MarkText(bool CaseSensitive, const AnsiString& S, const AnsiString& AText)
{
    return HiLight(S, AText, MarkTag, CaseSensitive);
}

AnsiString TDidAririzEvar::UnMarkText(const AnsiString& S)
{
    return UnHiLight(S, MarkTag);
}

void TDidAririzEvar::MarkCells(const AnsiString& AText, const AnsiString& ATag, bool CaseSensitive,
                               Integer FromCol, Integer FromRow, Integer ToCol, Integer ToRow)
{
    for (Integer R = FromRow; R <= ToRow; ++R)
        for (Integer C = FromCol; C <= ToCol; ++C)
            if (!IsMergedNonBaseCell(C, R))
                SetCellEx(C, R, HiLight(GetCellEx(C, R), AText, ATag, CaseSensitive));
}

void TDidAririzEvar::UnMarkCells(const AnsiString& ATag, Integer FromCol, Integer FromRow, Integer ToCol,
                                 Integer ToRow)
{
    for (Integer R = FromRow; R <= ToRow; ++R)
        for (Integer C = FromCol; C <= ToCol; ++C)
            if (!IsMergedNonBaseCell(C, R))
                SetCellEx(C, R, UnHiLight(GetCellEx(C, R), ATag));
}

void TDidAririzEvar::HilightInCell(bool CaseSensitive, Integer ACol, Integer ARow, const AnsiString& AText)
{
    MarkCells(AText, HilightTag, CaseSensitive, ACol, ARow, ACol, ARow);
}

void TDidAririzEvar::HilightInCol(bool DoFixed, bool CaseSensitive, Integer ACol, const AnsiString& AText)
{
    Integer R1, R2;
    RowRange(DoFixed, R1, R2);
    MarkCells(AText, HilightTag, CaseSensitive, ACol, R1, ACol, R2);
}

void TDidAririzEvar::HilightInRow(bool DoFixed, bool CaseSensitive, Integer ARow, const AnsiString& AText)
{
    Integer C1, C2;
    ColRange(DoFixed, C1, C2);
    MarkCells(AText, HilightTag, CaseSensitive, C1, ARow, C2, ARow);
}

void TDidAririzEvar::HilightInGrid(bool DoFixed, bool CaseSensitive, const AnsiString& AText)
{
    Integer C1, C2, R1, R2;
    ColRange(DoFixed, C1, C2);
    if (!DoFixed)
        C2 += NumHiddenColumns();
    RowRange(DoFixed, R1, R2);
    MarkCells(AText, HilightTag, CaseSensitive, C1, R1, C2, R2);
}

void TDidAririzEvar::UnHilightInCell(Integer ACol, Integer ARow)
{
    UnMarkCells(HilightTag, ACol, ARow, ACol, ARow);
}

void TDidAririzEvar::UnHilightInCol(bool DoFixed, Integer ACol)
{
    Integer R1, R2;
    RowRange(DoFixed, R1, R2);
    UnMarkCells(HilightTag, ACol, R1, ACol, R2);
}

void TDidAririzEvar::UnHilightInRow(bool DoFixed, Integer ARow)
{
    Integer C1, C2;
    ColRange(DoFixed, C1, C2);
    UnMarkCells(HilightTag, C1, ARow, C2 + NumHiddenColumns(), ARow);
}

void TDidAririzEvar::UnHilightInGrid(bool DoFixed)
{
    Integer C1, C2, R1, R2;
    ColRange(DoFixed, C1, C2);
    RowRange(DoFixed, R1, R2);
    UnMarkCells(HilightTag, C1, R1, C2 + NumHiddenColumns(), R2);
}

void TDidAririzEvar::MarkInCell(bool CaseSensitive, Integer ACol, Integer ARow, const AnsiString& AText)
{
    MarkCells(AText, MarkTag, CaseSensitive, ACol, ARow, ACol, ARow);
}

void TDidAririzEvar::MarkInCol(bool DoFixed, bool CaseSensitive, Integer ACol, const AnsiString& AText)
{
    Integer R1, R2;
    RowRange(DoFixed, R1, R2);
    MarkCells(AText, MarkTag, CaseSensitive, ACol, R1, ACol, R2);
}

void TDidAririzEvar::MarkInRow(bool DoFixed, bool CaseSensitive, Integer ARow, const AnsiString& AText)
{
    Integer C1, C2;
    ColRange(DoFixed, C1, C2);
    MarkCells(AText, MarkTag, CaseSensitive, C1, ARow, C2, ARow);
}

void TDidAririzEvar::MarkInGrid(bool DoFixed, bool CaseSensitive, const AnsiString& AText)
{
    Integer C1, C2, R1, R2;
    ColRange(DoFixed, C1, C2);
    RowRange(DoFixed, R1, R2);
    MarkCells(AText, MarkTag, CaseSensitive, C1, R1, C2, R2);
}

void TDidAririzEvar::UnMarkInCell(Integer ACol, Integer ARow)
{
    UnMarkCells(MarkTag, ACol, ARow, ACol, ARow);
}

void TDidAririzEvar::UnMarkInCol(bool DoFixed, Integer ACol)
{
    Integer R1, R2;
    RowRange(DoFixed, R1, R2);
    UnMarkCells(MarkTag, ACol, R1, ACol, R2);
}

void TDidAririzEvar::UnMarkInRow(bool DoFixed, Integer ARow)
{
    Integer C1, C2;
    ColRange(DoFixed, C1, C2);
    UnMarkCells(MarkTag, C1, ARow, C2 + NumHiddenColumns(), ARow);
}

void TDidAririzEvar::UnMarkInGrid(bool DoFixed)
{
    Integer C1, C2, R1, R2;
    ColRange(DoFixed, C1, C2);
    RowRange(DoFixed, R1, R2);
    UnMarkCells(MarkTag, C1, R1, C2 + NumHiddenColumns(), R2);
}

// ---- Fills -----------------------------------------------------------------------------------------------

template <class F> void TDidAririzEvar::ForRange(bool DoFixed, F Fill)
{
    Integer C1, C2, R1, R2;
    ColRange(DoFixed, C1, C2);
    RowRange(DoFixed, R1, R2);
    for (Integer R = R1; R <= R2; ++R)
        for (Integer C = C1; C <= C2; ++C)
            Fill(C, R);
    CellsLoaded();
}

void TDidAririzEvar::TextFill(bool DoFixed, const AnsiString& Value)
{
    ForRange(DoFixed, [&](Integer C, Integer R) { SetCellEx(C, R, Value); });
}

void TDidAririzEvar::FormatFill(bool DoFixed, const AnsiString& Fmt)
{
    ForRange(DoFixed, [&](Integer C, Integer R) { SetCellEx(C, R, Format(Fmt, {C, R})); });
}

void TDidAririzEvar::RandomFill(bool DoFixed, Integer Max)
{
    ForRange(DoFixed, [&](Integer C, Integer R) { SetInts(C, R, Random(Max)); });
}

void TDidAririzEvar::LinearFill(bool DoFixed)
{
    ForRange(DoFixed, [&](Integer C, Integer R) { SetCellEx(C, R, IntToStr(C) + ":" + IntToStr(R)); });
}
