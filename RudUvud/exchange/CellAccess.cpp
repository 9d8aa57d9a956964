// Cell accessors: the current cell, wide and markup-free text, the per-cell property arrays,
// row colours, the column order, selection queries and the zoom.

#include "RudUvud/core/RudUvud.h"

#include "RudUvud/core/GridCoreState.h"
#include "RudUvud/core/GridSelectionState.h"
#include "RudUvud/edit/GridPaintState.h"
#include "RudUvud/edit/GridText.h"
#include "RudUvud/support/Daehtmle.h"
#include "RudUvud/support/DerOdoz.h"

#include "platform/forms/ImgList.h"
#include "platform/rtl/Conversions.h"
#include "platform/rtl/Exceptions.h"

#include <algorithm>
#include <cstdlib>

// ---- The disjunct cell list -------------------------------------------------------------------------

bool TSelectedCellList::Add(Integer ACol, Integer ARow)
{
    const std::uint64_t K = Key(ACol, ARow);
    if (!FMembers.insert(K).second)
        return false;
    FOrder.push_back(K);
    return true;
}

void TSelectedCellList::Remove(Integer ACol, Integer ARow)
{
    const std::uint64_t K = Key(ACol, ARow);
    if (FMembers.erase(K))
        FOrder.erase(std::find(FOrder.begin(), FOrder.end(), K));
}

void TSelectedCellList::Clear()
{
    FOrder.clear();
    FMembers.clear();
}

TPoint TSelectedCellList::At(Integer AIndex) const
{
    const std::uint64_t K = FOrder.at(static_cast<std::size_t>(AIndex));
    return TPoint{static_cast<Integer>(static_cast<std::uint32_t>(K)), static_cast<Integer>(K >> 32)};
}

// ---- Current cell and text forms ----------------------------------------------------------------------

AnsiString TDidAririzEvar::GetGridCellsEx(Integer ACol, Integer ARow)
{
    const Integer K = HiddenBelow(ARow);
    if (const TGridItem* Hidden = RowTables().HiddenEntry(ARow)) {
        const auto& Items = Hidden->Items;
        if (ACol < 0 || ACol >= static_cast<Integer>(Items.size()))
            throw EListError("List index out of bounds (" + IntToStr(ACol) + ")");
        return Items[ACol].Text;
    }
    return GetGridCell(ACol, ARow - K);
}

void TDidAririzEvar::SetGridCellsEx(Integer ACol, Integer ARow, const AnsiString& Value)
{
    const Integer K = HiddenBelow(ARow);
    if (TGridItem* Hidden = RowTables().HiddenEntry(ARow)) {
        auto& Items = Hidden->Items;
        if (ACol < 0 || ACol >= static_cast<Integer>(Items.size()))
            throw EListError("List index out of bounds (" + IntToStr(ACol) + ")");
        Items[ACol].Text = Value;
        return;
    }
    SetGridCell(ACol, ARow - K, Value);
    const Integer DC = DisplColIndex(ACol);
    if (DC != ACol)
        RepaintCell(DC, ARow - K);
}

void TDidAririzEvar::SetEditCell(const AnsiString& Value)
{
    const TPoint B = BaseCell(Col(), Row());
    SetEditText(B.X, B.Y, Value);
}

void TDidAririzEvar::SetCursorEx(TCursor Value)
{
    SetCursor(Value);
    FCore.SavedCursor = Value;
}

void TDidAririzEvar::SetGridImages(TCustomImageList* Value)
{
    FPaint.GridImages = Value;
    if (Value)
        Value->FreeNotification(this);
    Invalidate();
}

AnsiString TDidAririzEvar::GetCurrentCell()
{
    const TPoint B = BaseCell(Col(), Row());
    return GetGridCell(RealColIndex(B.X), B.Y);
}

AnsiString TDidAririzEvar::GetCurrentDisplCell()
{
    const TPoint B = BaseCell(Col(), Row());
    return GetCellEx(RealColIndex(B.X), B.Y);
}

void TDidAririzEvar::SetCurrentCell(const AnsiString& Value)
{
    const TPoint B = BaseCell(Col(), Row());
    SetCellEx(RealColIndex(B.X), B.Y, Value);
}

bool TDidAririzEvar::IsWideCell(Integer ACol, Integer ARow)
{
    const AnsiString S = GetCellEx(ACol, ARow);
    return S.size() >= 2 && S[0] == '|' && S[1] == '\\';
}

WideString TDidAririzEvar::GetWideCells(Integer ACol, Integer ARow)
{
    return DecodeWideStr(GetCellEx(ACol, ARow));
}

void TDidAririzEvar::SetWideCells(Integer ACol, Integer ARow, const WideString& Value)
{
    SetGridCell(ACol, ARow, EncodeWideStr(Value));
}

WideString TDidAririzEvar::GetWideCellsEx(Integer ACol, Integer ARow)
{
    return DecodeWideStr(GetCellsEx(ACol, ARow));
}

void TDidAririzEvar::SetWideCellsEx(Integer ACol, Integer ARow, const WideString& Value)
{
    SetCellsEx(ACol, ARow, EncodeWideStr(Value));
}

// The stored cell of column ACol of the hidden row at real index ARow, or nullptr when the
// row is shown (Displ then holds its display row) or the column was never stored.
static TGridCell* HiddenCell(TDidAririzEvar* G, THiddenRows& Hidden, Integer ACol, Integer ARow,
                             Integer& Displ)
{
    const auto It = std::lower_bound(Hidden.begin(), Hidden.end(), ARow,
                                     [](const TGridItem& E, Integer R) { return E.Idx < R; });
    Displ = -1;
    if (It == Hidden.end() || It->Idx != ARow) {
        Displ = G->DisplRowIndex(ARow);
        return nullptr;
    }
    return ACol >= 0 && ACol < static_cast<Integer>(It->Items.size()) ? &It->Items[ACol] : nullptr;
}

TObject* TDidAririzEvar::GetObjectsEx(Integer ACol, Integer ARow)
{
    if (ACol < 0 || ARow < 0)
        return nullptr;
    Integer D = -1;
    if (TGridCell* C = HiddenCell(this, RowTables().Hidden(), ACol, ARow, D)) {
        TCellProperties* CP = AsRecord(C->Object);
        return CP ? CP->CellObject() : C->Object;
    }
    return D >= 0 && D < RowCount() ? GetObjectEx(ACol, D) : nullptr;
}

void TDidAririzEvar::SetObjectsEx(Integer ACol, Integer ARow, TObject* AObject)
{
    if (ACol < 0 || ARow < 0)
        return;
    Integer D = -1;
    if (TGridCell* C = HiddenCell(this, RowTables().Hidden(), ACol, ARow, D)) {
        if (TCellProperties* CP = AsRecord(C->Object))
            CP->SetCellObject(AObject);
        return;
    }
    if (D >= 0 && D < RowCount())
        SetObjectEx(ACol, D, AObject);
}

TObject* TDidAririzEvar::GetAllGraphicsObject(Integer ACol, Integer ARow)
{
    if (ACol < 0 || ARow < 0)
        return nullptr;
    Integer D = -1;
    if (TGridCell* C = HiddenCell(this, RowTables().Hidden(), ACol, ARow, D))
        return C->Object;
    return D >= 0 && D < RowCount() && ACol < TotalColCount() ? GetGridObject(ACol, D) : nullptr;
}

Integer TDidAririzEvar::GetAllColWidths(Integer ACol)
{
    if (ACol < 0 || ACol >= TotalColCount())
        return 0;
    if (IsHiddenColumn(ACol))
        return FCore.HiddenColWidths[ACol];
    return ColWidths(DisplColIndex(ACol));
}

void TDidAririzEvar::SetAllColWidths(Integer ACol, Integer W)
{
    if (ACol < 0 || ACol >= 512)
        return;
    FCore.HiddenColWidths[ACol] = static_cast<std::int16_t>(std::clamp<Integer>(W, 0, 32767));
    if (ACol < TotalColCount() && !IsHiddenColumn(ACol))
        SetColWidths(DisplColIndex(ACol), W);
}

AnsiString TDidAririzEvar::GetStrippedCell(Integer ACol, Integer ARow)
{
    return HTMLStrip(GetCellEx(ACol, ARow));
}

Integer TDidAririzEvar::GetLinesInCell(Integer ACol, Integer ARow)
{
    return LinesInText(GetCellEx(ACol, ARow), true);
}

// ---- Per-cell property arrays ------------------------------------------------------------------------

#define RUDUVUD_CELL_GETTER(Type, Name, Field, Default)                                                      \
    Type TDidAririzEvar::Name(Integer ACol, Integer ARow) const                                              \
    {                                                                                                        \
        const TCellProperties* CP = RecordAt(ACol, ARow);                                                    \
        return CP ? CP->Field() : Default;                                                                   \
    }

RUDUVUD_CELL_GETTER(TColor, GetColors, BrushColor, clNone)
RUDUVUD_CELL_GETTER(TColor, GetColorsTo, BrushColorTo, clNone)
RUDUVUD_CELL_GETTER(TColor, GetFontColors, FontColor, clNone)
RUDUVUD_CELL_GETTER(TFontStyles, GetFontStyles, FontStyle, TFontStyles{})
RUDUVUD_CELL_GETTER(AnsiString, GetFontNames, FontName, AnsiString())
RUDUVUD_CELL_GETTER(Integer, GetFontSizes, FontSize, 0)
RUDUVUD_CELL_GETTER(TAlignment, GetAlignments, Alignment, taLeftJustify)
RUDUVUD_CELL_GETTER(TCellGradientDirection, GetGradientDir, GradientDirection, GradientVertical)

#undef RUDUVUD_CELL_GETTER

void TDidAririzEvar::SetColors(Integer ACol, Integer ARow, TColor Value)
{
    GetCellProperties(ACol, ARow)->SetBrushColor(Value);
    if (FPaint.UpdateCount == 0)
        RepaintCell(DisplColIndex(ACol), ARow);
}

void TDidAririzEvar::SetColorsTo(Integer ACol, Integer ARow, TColor Value)
{
    GetCellProperties(ACol, ARow)->SetBrushColorTo(Value);
    RepaintCell(DisplColIndex(ACol), ARow);
}

void TDidAririzEvar::SetFontColors(Integer ACol, Integer ARow, TColor Value)
{
    GetCellProperties(ACol, ARow)->SetFontColor(Value);
    RepaintCell(DisplColIndex(ACol), ARow);
}

void TDidAririzEvar::SetFontStyles(Integer ACol, Integer ARow, TFontStyles Value)
{
    GetCellProperties(ACol, ARow)->SetFontStyle(Value);
    RepaintCell(DisplColIndex(ACol), ARow);
}

void TDidAririzEvar::SetFontNames(Integer ACol, Integer ARow, const AnsiString& Value)
{
    GetCellProperties(ACol, ARow)->SetFontName(Value);
    RepaintCell(DisplColIndex(ACol), ARow);
}

void TDidAririzEvar::SetFontSizes(Integer ACol, Integer ARow, Integer Value)
{
    GetCellProperties(ACol, ARow)->SetFontSize(Value);
    RepaintCell(DisplColIndex(ACol), ARow);
}

void TDidAririzEvar::SetAlignments(Integer ACol, Integer ARow, TAlignment Value)
{
    GetCellProperties(ACol, ARow)->SetAlignment(Value);
    RepaintCell(DisplColIndex(ACol), ARow);
}

void TDidAririzEvar::SetGradientDir(Integer ACol, Integer ARow, TCellGradientDirection Value)
{
    GetCellProperties(ACol, ARow)->SetGradientDirection(Value);
    RepaintCell(DisplColIndex(ACol), ARow);
}

void TDidAririzEvar::SetReadOnly(Integer ACol, Integer ARow, bool Value)
{
    GetCellProperties(ACol, ARow)->SetReadOnly(Value);
    RepaintCell(DisplColIndex(ACol), ARow);
}

bool TDidAririzEvar::GetWordWraps(Integer ACol, Integer ARow)
{
    return GetCellProperties(ACol, ARow)->WordWrap();
}

void TDidAririzEvar::SetWordWraps(Integer ACol, Integer ARow, bool Value)
{
    GetCellProperties(ACol, ARow)->SetWordWrap(Value);
    RepaintCell(DisplColIndex(ACol), ARow);
}

void TDidAririzEvar::SetRowColor(Integer ARow, TColor Value)
{
    const Integer Last = TotalColCount() - 1;
    if (Value == clNone)
        ClearPropRect(FixedCols(), ARow, Last, ARow);
    else
        for (Integer C = FixedCols(); C <= Last; ++C)
            GetCellProperties(C, ARow)->SetBrushColor(Value);
    RepaintRow(ARow);
}

void TDidAririzEvar::SetRowColorTo(Integer ARow, TColor Value)
{
    const Integer Last = TotalColCount() - 1;
    if (Value == clNone)
        ClearPropRect(FixedCols(), ARow, Last, ARow);
    else
        for (Integer C = FixedCols(); C <= Last; ++C)
            GetCellProperties(C, ARow)->SetBrushColorTo(Value);
    RepaintRow(ARow);
}

void TDidAririzEvar::SetRowFontColor(Integer ARow, TColor Value)
{
    const Integer Last = TotalColCount() - 1;
    for (Integer C = FixedCols(); C <= Last; ++C) {
        if (Value == clNone) {
            if (GetColors(C, ARow) == clNone)
                ClearPropCell(C, ARow);
        } else {
            GetCellProperties(C, ARow)->SetFontColor(Value);
        }
    }
    RepaintRow(ARow);
}

// ---- Column order -----------------------------------------------------------------------------------

void TDidAririzEvar::ResetColumnOrder()
{
    if (FCore.ColumnOrder.empty()) {
        SetColumnOrder();
        return;
    }
    bool Moved = true;
    while (Moved) {
        Moved = false;
        const Integer N = std::min<Integer>(ColCount(), static_cast<Integer>(FCore.ColumnOrder.size()));
        for (Integer I = 0; I < N; ++I) {
            const Integer Initial = FCore.ColumnOrder[static_cast<size_t>(I)];
            if (Initial < I) {
                MoveColumn(I, Initial);
                Moved = true;
            }
        }
    }
}

Integer TDidAririzEvar::ColumnPosition(Integer ACol) const
{
    const Integer N =
        std::min<Integer>(static_cast<Integer>(FCore.ColumnOrder.size()), ColCount() + FCore.HiddenColCount);
    for (Integer I = 0; I < N; ++I)
        if (FCore.ColumnOrder[static_cast<size_t>(I)] == ACol)
            return I;
    return ACol;
}

Integer TDidAririzEvar::ColumnAtPosition(Integer APos) const
{
    if (APos >= 0 && APos < static_cast<Integer>(FCore.ColumnOrder.size()))
        return FCore.ColumnOrder[static_cast<size_t>(APos)];
    return APos;
}

Integer TDidAririzEvar::ColumnByHeader(const AnsiString& S)
{
    for (Integer C = 0; C < TotalColCount(); ++C)
        if (GetCellsEx(C, 0) == S)
            return C;
    return -1;
}

AnsiString TDidAririzEvar::GetOriginalCells(Integer ACol, Integer ARow)
{
    return GetCellEx(ColumnPosition(ACol), ARow);
}

void TDidAririzEvar::SetOriginalCells(Integer ACol, Integer ARow, const AnsiString& Value)
{
    SetCellEx(ColumnPosition(ACol), ARow, Value);
}

// ---- Selection --------------------------------------------------------------------------------------

void TDidAririzEvar::SelectCells(Integer ACol1, Integer ARow1, Integer ACol2, Integer ARow2)
{
    SetSelectionEx(TGridRect{ACol1, ARow1, ACol2, ARow2});
}

bool TDidAririzEvar::IsCellSelected(Integer ACol, Integer ARow)
{
    if (ARow < FixedRows() || ACol < FixedCols())
        return false;
    if (FMouseActions->DisjunctRowSelect())
        return RowTables().Marks().Get(FMouseActions->RowSelectPersistent ? RealRowIndex(ARow) : ARow);
    if (FMouseActions->DisjunctColSelect())
        return FSel.ColSelect.Get(ACol);
    const TGridRect S = Selection();
    return ACol >= std::min(S.Left, S.Right) && ACol <= std::max(S.Left, S.Right) &&
           ARow >= std::min(S.Top, S.Bottom) && ARow <= std::max(S.Top, S.Bottom);
}

AnsiString TDidAririzEvar::SelectedText()
{
    TGridRect S = Selection();
    const Integer L = std::min(S.Left, S.Right), Rt = std::max(S.Left, S.Right);
    const Integer T = std::min(S.Top, S.Bottom), B = std::max(S.Top, S.Bottom);
    std::vector<Integer> Rows;
    if (FMouseActions->DisjunctRowSelect()) {
        for (Integer R = FixedRows(); R < RowCount(); ++R)
            if (RowTables().Marks().Get(FMouseActions->RowSelectPersistent ? RealRowIndex(R) : R))
                Rows.push_back(R);
    } else {
        for (Integer R = T; R <= B; ++R)
            Rows.push_back(R);
    }
    AnsiString Out;
    for (Integer R : Rows) {
        for (Integer C = L; C <= Rt; ++C) {
            AnsiString V = GetCellEx(RealColIndex(C), R);
            if (V.find("{\\") != AnsiString::npos)
                V = RTFPlainText(V);
            Out += V;
            if (C < Rt)
                Out += '\t';
        }
        if (R != B)
            Out += "\r\n";
    }
    return Out;
}

TPoint TDidAririzEvar::GetSelectedCell(Integer AIndex) const
{
    return FSel.SelectedCells.At(AIndex);
}

Integer TDidAririzEvar::GetSelectedCellsCount()
{
    TSelectedCellList& L = FSel.SelectedCells;
    if (!FMouseActions->DisjunctCellSelect())
        L.Clear();
    const TGridRect S = Selection();
    if (S.Left == S.Right && S.Top == S.Bottom)
        L.Add(Col(), Row());
    else
        for (Integer C = std::min(S.Left, S.Right); C <= std::max(S.Left, S.Right); ++C)
            for (Integer R = std::min(S.Top, S.Bottom); R <= std::max(S.Top, S.Bottom); ++R)
                L.Add(C, R);
    return L.Count();
}

bool TDidAririzEvar::GetSelectedCells(Integer ACol, Integer ARow) const
{
    if (FMouseActions->DisjunctCellSelect()) {
        return FSel.SelectedCells.Contains(ACol, ARow);
    }
    const TGridRect S = Selection();
    return ACol >= std::min(S.Left, S.Right) && ACol <= std::max(S.Left, S.Right) &&
           ARow >= std::min(S.Top, S.Bottom) && ARow <= std::max(S.Top, S.Bottom);
}

void TDidAririzEvar::SetSelectedCells(Integer ACol, Integer ARow, bool Value)
{
    if (Value)
        FSel.SelectedCells.Add(ACol, ARow);
    else
        FSel.SelectedCells.Remove(ACol, ARow);
    RepaintCell(ACol, ARow);
}

Integer TDidAririzEvar::GetSelectedRowCount()
{
    if (FMouseActions->DisjunctRowSelect())
        return RowTables().Marks().Count();
    const TGridRect S = Selection();
    const Integer L = S.Left, T = S.Top, B = S.Bottom;
    if (IsMergedCell(L, T)) {
        const TPoint Sp = CellSpan(L, T);
        return T + Sp.Y > B ? Sp.Y + 1 : std::abs(T - B) + 1;
    }
    if (IsMergedCell(L, B))
        return std::abs(T - B) + CellSpan(L, B).Y + 1;
    return std::abs(T - B) + 1;
}

Integer TDidAririzEvar::GetSelectedColCount()
{
    if (FMouseActions->DisjunctColSelect())
        return FSel.ColSelect.Count();
    const TGridRect S = Selection();
    const Integer L = S.Left, T = S.Top, R = S.Right;
    if (IsMergedCell(L, T)) {
        const TPoint Sp = CellSpan(L, T);
        return L + Sp.X > R ? Sp.X + 1 : std::abs(L - R) + 1;
    }
    if (IsMergedCell(R, T))
        return std::abs(L - R) + CellSpan(R, T).X + 1;
    return std::abs(L - R) + 1;
}

Integer TDidAririzEvar::GetSelectedRow(Integer AIndex)
{
    if (FMouseActions->DisjunctRowSelect()) {
        const std::vector<Integer> O = RowTables().Marks().Order();
        return AIndex >= 0 && AIndex < static_cast<Integer>(O.size()) ? O[static_cast<size_t>(AIndex)] : -1;
    }
    const TGridRect S = Selection();
    const Integer R = std::min(S.Top, S.Bottom) + AIndex;
    return R > std::max(S.Top, S.Bottom) ? -1 : R;
}

void TDidAririzEvar::ClearSelectedCells()
{
    SetSelectionEx(TGridRect{FixedCols(), FixedRows(), FixedCols(), FixedRows()});
    FSel.SelectedCells.Clear();
    Invalidate();
}

void TDidAririzEvar::ClearModifiedRows()
{
    RowTables().Modified().Clear();
    Invalidate();
}

void TDidAririzEvar::InvalidateGridRect(const TGridRect& R)
{
    if (!HandleAllocated())
        return;
    const TRect A = CellRect(R.Left, R.Top), B = CellRect(R.Right, R.Bottom);
    RECT U{std::min(A.Left, B.Left), std::min(A.Top, B.Top), std::max(A.Right, B.Right),
           std::max(A.Bottom, B.Bottom)};
    ::InvalidateRect(Handle(), &U, FALSE);
}

void TDidAririzEvar::Zoom(Integer AStep)
{
    FPaint.Zoom += AStep;
    Invalidate();
}

// ---- Painting switches ------------------------------------------------------------------------------

void TDidAririzEvar::SetEnhTextSize(bool V)
{
    FPaint.EnhTextSize = V;
    Invalidate();
}

void TDidAririzEvar::SetURLShow(bool V)
{
    FPaint.URLShow = V;
    Invalidate();
}

void TDidAririzEvar::SetURLFull(bool V)
{
    FPaint.URLFull = V;
    Invalidate();
}
