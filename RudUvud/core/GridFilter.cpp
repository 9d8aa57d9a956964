// Filtering rows against the grid's conditions in hide levels, narrowing and removing filters,
// the column filter list's choice, and the floating footer's figures.

#include "RudUvud/core/RudUvud.h"

#include "RudUvud/core/GridCoreState.h"
#include "RudUvud/core/GridFilterState.h"
#include "RudUvud/core/GridSelectionState.h"
#include "RudUvud/edit/GridPaintState.h"
#include "RudUvud/support/DerOdoz.h"

#include "platform/rtl/Strings.h"

#include <cmath>

namespace {

// "*Text*", quoted when the text holds a blank or a character the condition language reads as
// an operator, so that the typed text is looked for as it is.
AnsiString SubstringCondition(const AnsiString& Text)
{
    const AnsiString C = "*" + Text + "*";
    if (C.find_first_of(" &(;^|") != AnsiString::npos)
        return "\"" + C + "\"";
    return C;
}

} // namespace

// ---- Matching -------------------------------------------------------------------------------------

AnsiString TDidAririzEvar::FilterText(const TFilterData& F, Integer ARow)
{
    AnsiString Text;
    switch (F.Data) {
    case fcVirtual:
        Text = GetCellEx(F.Column, ARow);
        break;
    case fcNormal:
        Text = GetGridCell(F.Column, ARow);
        break;
    case fcStripHTML:
        Text = GetStrippedCell(F.Column, ARow);
        break;
    case fcCalculated:
        Text = CalcCell(F.Column, ARow);
        break;
    case fcRow:
        for (Integer C = 0; C < ColCount(); ++C)
            Text += Cells(C, ARow) + "\r\n";
        break;
    }
    if (Text.find("|\\") != AnsiString::npos)
        Text = WideToAnsi(DecodeWideStr(Text));
    return Text;
}

bool TDidAririzEvar::MatchFilter(Integer ARow)
{
    bool Result = true;
    TFilter* Conditions = FFilter.get();
    for (Integer I = 0; I < Conditions->Count(); ++I) {
        const TFilterData& F = *Conditions->Items(I);
        AnsiString Text = FilterText(F, ARow);
        bool Match;
        if (F.Data == fcRow) {
            Match = UpperCase(Text).find(UpperCase(F.Condition)) != AnsiString::npos;
        } else {
            if (!F.Prefix.empty() && Text.compare(0, F.Prefix.size(), F.Prefix) == 0)
                Text.erase(0, F.Prefix.size());
            if (!F.Suffix.empty()) {
                const size_t At = Text.find(F.Suffix);
                if (At != AnsiString::npos && At + F.Suffix.size() == Text.size())
                    Text.erase(At);
            }
            if (F.Condition.empty()) {
                Match = true;
            } else {
                try {
                    Match = MatchStrEx(F.Condition, Text, F.CaseSensitive);
                } catch (const std::exception&) {
                    Match = false;
                }
            }
        }
        bool Stop = false;
        switch (F.Operation) {
        case foSHORT:
            Result = Match;
            Stop = !Match;
            break;
        case foNONE:
            Result = Match;
            break;
        case foAND:
            Result = Result && Match;
            break;
        case foXOR:
            Result = Result != Match;
            break;
        case foOR:
            Result = Result || Match;
            break;
        }
        if (Stop)
            break;
    }
    if (OnCustomFilter) {
        bool Accept = Result;
        OnCustomFilter(this, ARow, Accept);
        Result = Accept;
    }
    return Result;
}

void TDidAririzEvar::FilterRow(Integer ARow)
{
    if (!MatchFilter(ARow))
        HideRow(RealRowIndex(ARow));
}

// ---- Filter levels --------------------------------------------------------------------------------

void TDidAririzEvar::ApplyFilter()
{
    FFilt.FilterFixedRows = FixedRows();
    const Integer First = FixedRows();
    const Integer End = RowCount() - FCore.FixedFooters;
    const Integer Total = End - First;
    std::vector<Integer> Failing;
    for (Integer A = First; A < End; ++A) {
        if (!MatchFilter(A))
            Failing.push_back(A);
        if (OnFilterProgress && Total > 0)
            OnFilterProgress(this, static_cast<SmallInt>(std::lround((A - First + 1) * 100.0 / Total)));
    }
    // One compaction for every failing row, in one new level (opened even when none fails).
    HideRowList(Failing);
    if (OnFilterProgress && Total > 0)
        OnFilterProgress(this, 100);
}

bool TDidAririzEvar::FilterActive() const
{
    return FFilt.FilterActive;
}

void TDidAririzEvar::SetFilterActive(bool Value)
{
    if (Value != FFilt.FilterActive) {
        FFilt.FilterActive = Value;
        if (Value) {
            BeginUpdate();
            try {
                ApplyFilter();
            } catch (...) {
                EndUpdate();
                throw;
            }
            EndUpdate();
            FSel.SelectionHidden = false;
        } else {
            UnHideRowList();
            SetFixedRows(FFilt.FilterFixedRows);
            if (FSel.SelectionHidden)
                UnHideSelection();
        }
    }
    CalcFooter(-1);
}

bool TDidAririzEvar::RemoveLastFilter()
{
    if (FCore.Rows.HideLevel() < 1)
        return false;
    UnHideRowList();
    SetFixedRows(FFilt.FilterFixedRows);
    if (FSel.SelectionHidden)
        UnHideSelection();
    CalcFooter(-1);
    --FCore.Rows.HideLevel();
    return FCore.Rows.HideLevel() > 1;
}

void TDidAririzEvar::RemoveAllFilters()
{
    if (FCore.Rows.HideLevel() == 0) {
        FFilter->Clear();
        return;
    }
    while (FCore.Rows.HideLevel() >= 1)
        RemoveLastFilter();
}

void TDidAririzEvar::SetNarrowCondition(const AnsiString& Text, Integer Column)
{
    FFilter->Clear();
    TFilterData* F = FFilter->Add();
    if (Column == -1) {
        F->Data = fcRow;
        F->Condition = Text;
    } else {
        F->Data = fcNormal;
        F->Condition = SubstringCondition(Text);
    }
    F->CaseSensitive = false;
    F->Column = static_cast<SmallInt>(Column);
}

void TDidAririzEvar::NarrowDown(const AnsiString& Text, Integer Column)
{
    const AnsiString Last = FFilt.NarrowText;
    FCore.FixedRowAlways = true;
    if (!Last.empty() && Text.size() == Last.size() + 1 && Text.compare(0, Last.size(), Last) == 0) {
        // One character more: filter the rows still shown in a level of their own.
        SetNarrowCondition(Text, Column);
        ApplyFilter();
    } else if (!Text.empty() && Text.size() + 1 == Last.size() && Last.compare(0, Text.size(), Text) == 0) {
        RemoveLastFilter();
    } else {
        RemoveAllFilters();
        if (!Text.empty()) {
            SetNarrowCondition(Text, Column);
            ApplyFilter();
        }
    }
    FFilt.NarrowText = Text;
}

void TDidAririzEvar::FilterSelect(TObject*, Integer ItemIndex)
{
    if (CanFocus())
        SetFocus();
    const Integer Col = FFilt.FilterColumn;
    if (Col >= 0 && Col < ColCount() && ItemIndex >= 0) {
        // The value list is shared: painting the filter glyphs of other columns refills it while
        // the drop list is open, so it is filled for this column again before the entry is read.
        GetFilter(Col);
        if (ItemIndex < FFilterList->Count()) {
            const AnsiString Entry = FFilterList->Strings(ItemIndex);
            const size_t Eq = Entry.find('=');
            const AnsiString FriendlyName = Eq == AnsiString::npos ? Entry : Entry.substr(0, Eq);
            AnsiString Condition = Eq == AnsiString::npos ? Entry : Entry.substr(Eq + 1);
            if (FCore.AutoFilterUpdate)
                SetFilterActive(false);
            if (Condition == FCore.FilterDropDownClear)
                Condition.clear();
            if (OnFilterSelect)
                OnFilterSelect(this, Col, ItemIndex, FriendlyName, Condition);
            FFilter->GetColFilter(Col)->Condition = Condition;
            if (FCore.AutoFilterUpdate) {
                FCore.FixedRowAlways = true;
                SetFilterActive(true);
                if (RowCount() != FixedRows() && RowCount() != 1)
                    SetRow(FixedRows());
                DoFilterDone();
            }
        }
    }
    FFilt.FilterColumn = -1;
}

Integer TDidAririzEvar::FilterDropDownRow() const
{
    return FPaint.FilterDropDownRow;
}

void TDidAririzEvar::SetFilterRow(Integer Value)
{
    if (Value < FixedRows()) {
        FPaint.FilterDropDownRow = Value;
        Invalidate();
    }
}

bool TDidAririzEvar::AutoFilterUpdate() const
{
    return FCore.AutoFilterUpdate;
}

void TDidAririzEvar::SetAutoFilterUpdate(bool Value)
{
    FCore.AutoFilterUpdate = Value;
}

Integer TDidAririzEvar::FilterColumn() const
{
    return FFilt.FilterColumn;
}

void TDidAririzEvar::SetFilterColumn(Integer Value)
{
    FFilt.FilterColumn = Value;
}

// ---- Column figures -------------------------------------------------------------------------------

template <class F> void TDidAririzEvar::WalkColumn(Integer ACol, Integer FromRow, Integer ToRow, F Add)
{
    const bool Footer = FFloatingFooter && FFloatingFooter->Visible();
    const bool RealRows = ToRow > RowCount() - (Footer ? 2 : 1);
    ExportNotification(esExportStart, FromRow);
    // While grouped, header and summary rows hold no figures of the column.
    const bool Grouped = GroupColumn() != -1;
    for (Integer R = FromRow; R <= ToRow; ++R) {
        try {
            if (Grouped && !(RealRows && IsHiddenRow(R))) {
                const Integer D = RealRows ? DisplRowIndex(R) : R;
                if (IsNode(D) || IsSummary(D))
                    continue;
            }
            if (RealRows) {
                if (!IsHiddenRow(R) && !IsBaseCell(ACol, DisplRowIndex(R)))
                    continue;
                ExportNotification(esExportNextRow, R);
                Add(GetAllFloats(ACol, R));
            } else {
                if (!IsBaseCell(ACol, R))
                    continue;
                ExportNotification(esExportNextRow, R);
                Add(GetFloats(ACol, R));
            }
        } catch (const ERudUvudError&) {
            // A cell that is not a number is left out.
        }
    }
    ExportNotification(esExportDone, -1);
}

Double TDidAririzEvar::ColumnSum(Integer ACol, Integer FromRow, Integer ToRow)
{
    Double Sum = 0;
    WalkColumn(ACol, FromRow, ToRow, [&](Double V) { Sum += V; });
    return Sum;
}

Double TDidAririzEvar::ColumnAvg(Integer ACol, Integer FromRow, Integer ToRow)
{
    const Integer N = ToRow - FromRow + 1;
    return N > 0 ? ColumnSum(ACol, FromRow, ToRow) / N : 0;
}

Double TDidAririzEvar::ColumnMin(Integer ACol, Integer FromRow, Integer ToRow)
{
    Double Min = GetFloats(ACol, FromRow);
    WalkColumn(ACol, FromRow, ToRow, [&](Double V) { Min = V < Min ? V : Min; });
    return Min;
}

Double TDidAririzEvar::ColumnMax(Integer ACol, Integer FromRow, Integer ToRow)
{
    Double Max = GetFloats(ACol, FromRow);
    WalkColumn(ACol, FromRow, ToRow, [&](Double V) { Max = V > Max ? V : Max; });
    return Max;
}

// ---- Footer ---------------------------------------------------------------------------------------

void TDidAririzEvar::CalcFooter(Integer ACol)
{
    DoCalcFooter(ACol);
}

void TDidAririzEvar::DoCalcFooter(Integer ACol)
{
    TFloatingFooter* FF = FFloatingFooter.get();
    if (!FF || !FF->Visible() || FF->FooterStyle() != fsFixedLastRow || !FF->EnableCalculation())
        return;
    const Integer FromCol = ACol == -1 ? 0 : ACol;
    const Integer ToCol = ACol == -1 ? TotalColCount() - 1 : ACol;
    const Integer Last = RowCount() - 1;
    for (Integer K = FromCol; K <= ToCol; ++K) {
        if (K < 0 || Last < 0 || !HasCellProperties(K, Last))
            continue;
        const Integer H = FF->CalculateHiddenRows ? NumHiddenRows() : 0;
        const Integer First = FixedRows();
        const Integer To = Last - 1 + H;
        const TColumnCalcType CT = GetCellProperties(K, Last)->CalcType();
        switch (CT) {
        case acNONE:
        case acSPREAD:
            break;
        case acSUM:
            SetFloats(K, Last, ColumnSum(K, First, To));
            break;
        case acAVG:
            SetFloats(K, Last, ColumnAvg(K, First, To));
            break;
        case acCOUNT:
            SetInts(K, Last, Last - First + H);
            break;
        case acMIN:
        case acMAX:
            // A first data cell that is no number makes the figure fail; the footer cell is then
            // left empty instead of the failure leaving a cell setter or a paint.
            try {
                SetFloats(K, Last, CT == acMIN ? ColumnMin(K, First, To) : ColumnMax(K, First, To));
            } catch (const ERudUvudError&) {
                SetCellEx(K, Last, "");
            }
            break;
        case acCUSTOM: {
            AnsiString Value;
            if (OnFooterCalc)
                OnFooterCalc(this, K, Last + H, Value);
            else if (FF->OnCalcFooter)
                FF->OnCalcFooter(this, K, Last + H, Value);
            SetCellEx(K, Last, Value);
            break;
        }
        }
    }
}

void TDidAririzEvar::UpdateFooter()
{
    if (FFooterPanel)
        FFooterPanel->Invalidate();
}

void TDidAririzEvar::FloatFooterUpdate()
{
    TBaseGrid::FloatFooterUpdate();
    UpdateFooter();
}
