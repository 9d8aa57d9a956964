// Find and replace: the walk over the cells under the find parameters, the match of one cell,
// repeated searches and replacing in every matching cell.

#include "RudUvud/core/RudUvud.h"

#include "RudUvud/support/Daehtmle.h"
#include "RudUvud/support/DerOdoz.h"

namespace {

const AnsiString EmptyCellText = "\"\"";
const WideString EmptyCellWide = u"\"\"";

} // namespace

TPoint TDidAririzEvar::Find(TPoint StartCell, const AnsiString& S, TFindParams FindParams)
{
    return FindInternal(StartCell, S, WideString(), false, FindParams);
}

TPoint TDidAririzEvar::FindWide(TPoint StartCell, const WideString& S, TFindParams FindParams)
{
    return FindInternal(StartCell, AnsiString(), S, true, FindParams);
}

TPoint TDidAririzEvar::FindFirst(const AnsiString& S, TFindParams FindParams)
{
    FFind.LastFound = Find(TPoint{-1, -1}, S, FindParams);
    return FFind.LastFound;
}

TPoint TDidAririzEvar::FindNext()
{
    // The stored text is upper-cased unless the search matches case, which changes nothing for
    // the search itself: it compares upper-cased texts then.
    FFind.LastFound = Find(FFind.LastFound, FFind.Text, FFind.Params);
    return FFind.LastFound;
}

TPoint TDidAririzEvar::FindInternal(TPoint StartCell, const AnsiString& S, const WideString& WS, bool Wide,
                                    TFindParams FindParams)
{
    const TFindParams& P = FindParams;
    TPoint Result{-1, -1};
    FFind.Params = FindParams;
    FFind.LastFind = true;
    FFind.Text = P.Contains(fnMatchCase) ? S : AnsiUpperCase(S);
    FFind.WideText = P.Contains(fnMatchCase) ? WS : WideUpperCase(WS);

    ExportNotification(esExportStart, -1);
    if (ColCount() == FixedCols() || ColCount() == 0 || RowCount() == FixedRows() || RowCount() == 0) {
        ExportNotification(esExportDone, -1);
        return Result;
    }

    // The range.
    Integer FirstCol, LastCol, FirstRow, LastRow;
    if (P.Contains(fnIncludeFixed)) {
        FirstCol = 0;
        LastCol = ColCount() - 1;
        FirstRow = 0;
        LastRow = RowCount() - 1;
    } else {
        FirstCol = FixedCols();
        LastCol = ColCount() - FixedRightCols() - 1;
        FirstRow = FixedRows();
        LastRow = RowCount() - FixedFooters() - 1;
    }
    if (P.Contains(fnSelectedCells)) {
        const TGridRect Sel = Selection();
        FirstCol = Sel.Left;
        LastCol = Sel.Right;
        FirstRow = Sel.Top;
        LastRow = Sel.Bottom;
    }
    if (P.Contains(fnIncludeHiddenColumns))
        LastCol += NumHiddenColumns();
    if (P.Contains(fnIncludeHiddenRows) && HasNodes())
        LastRow += NumHiddenRows();

    const bool Backward = P.Contains(fnBackward);
    const bool LeftRight = P.Contains(fnDirectionLeftRight);

    // The first cell: the start of the range, or the cell after StartCell.
    Integer X = StartCell.X, Y = StartCell.Y;
    const bool FromStart = StartCell.X == -1 && StartCell.Y == -1;
    if (FromStart) {
        X = Backward ? LastCol : FirstCol;
        Y = Backward ? LastRow : FirstRow;
    } else if (LeftRight) {
        if (Backward) {
            if (X >= FirstCol)
                --X;
            else if (Y >= FirstRow)
                --Y;
            else {
                X = LastCol;
                Y = LastRow;
            }
        } else {
            if (X <= LastCol)
                ++X;
            else if (Y <= LastRow)
                ++Y;
            else {
                X = FirstCol;
                Y = FirstRow;
            }
        }
    } else {
        if (Backward) {
            if (Y >= FirstRow)
                --Y;
            else if (X >= FirstCol)
                --X;
            else {
                X = LastCol;
                Y = LastRow;
            }
        } else {
            if (Y <= LastRow)
                ++Y;
            else if (X <= LastCol)
                ++X;
            else {
                X = FirstCol;
                Y = FirstRow;
            }
        }
    }

    // Restrictions to one row or column.
    if (P.Contains(fnFindInCurrentRow))
        Y = FirstRow = LastRow = Row();
    if (P.Contains(fnFindInPresetRow))
        Y = FirstRow = LastRow = FFind.PresetRow;
    if (P.Contains(fnFindInCurrentCol))
        X = FirstCol = LastCol = Col();
    if (P.Contains(fnFindInPresetCol))
        X = FirstCol = LastCol = FFind.PresetCol;
    // A restriction across the walk (one row walked column by column, one column walked row by
    // row) puts the step back onto StartCell: the search then goes on with the next row or
    // column, so that it never answers StartCell again (and Replace, whose new text may match
    // again, ends).
    if (!FromStart && X == StartCell.X && Y == StartCell.Y) {
        if (LeftRight)
            Y += Backward ? -1 : 1;
        else
            X += Backward ? -1 : 1;
    }

    // The walk.
    const Integer D = Backward ? -1 : 1;
    bool Found = false;
    auto InCols = [&](Integer C) { return C >= FirstCol && C <= LastCol; };
    auto InRows = [&](Integer R) { return R >= FirstRow && R <= LastRow; };
    if (LeftRight) {
        while (!Found && InRows(Y)) {
            while (InCols(X)) {
                ExportNotification(esExportNewRow, Y);
                if (!IsIgnoredColumn(X) && MatchCell(X, Y, Wide)) {
                    Found = true;
                    break;
                }
                X += D;
            }
            if (Found)
                break;
            X = P.Contains(fnFindInCurrentCol) ? Col() : (Backward ? LastCol : FirstCol);
            Y += D;
        }
    } else {
        while (!Found && InCols(X)) {
            while (InRows(Y)) {
                ExportNotification(esExportNewRow, Y);
                if (MatchCell(X, Y, Wide)) {
                    Found = true;
                    break;
                }
                Y += D;
            }
            if (Found)
                break;
            Y = P.Contains(fnFindInCurrentRow) ? Row() : (Backward ? LastRow : FirstRow);
            X += D;
        }
    }

    if (!Found) {
        FFind.LastFind = false;
        ExportNotification(esExportDone, -1);
        return Result;
    }

    FFind.LastFound = TPoint{X, Y};
    Result = TPoint{X, Y};
    if (P.Contains(fnAutoGoto)) {
        Integer T = Y;
        bool RowShown = true;
        if (P.Contains(fnIncludeHiddenRows) && NumHiddenRows() > 0) {
            if (IsHiddenRow(Y) && HasNodes()) {
                // The collapsed node whose span covers the real row.
                for (Integer R = FixedRows(); R < RowCount(); ++R) {
                    if (!IsNode(R))
                        continue;
                    const Integer Real = RealRowIndex(R);
                    if (Real < Y && Y < Real + GetNodeSpan(R)) {
                        ExpandNode(Real);
                        break;
                    }
                }
            }
            RowShown = !IsHiddenRow(Y);
            T = DisplRowIndex(Y);
        }
        // A hidden column cannot become current: the row does, the column stays.
        Integer C = X;
        bool ColShown = true;
        if (P.Contains(fnIncludeHiddenColumns)) {
            ColShown = !IsHiddenColumn(X);
            C = ColShown ? DisplColIndex(X) : Col();
        }
        if (RowShown && T >= 0 && T < RowCount()) {
            if (MouseActions()->DisjunctRowSelect()) {
                ClearRowSelect();
                SetRowSelect(T, true);
                SetRow(T);
            } else {
                SetRow(T);
                if (ColShown)
                    SetCol(C);
            }
        }
    }
    // The pairing descendants see: "done" when nothing was found, "fail" when a cell was.
    ExportNotification(esExportFail, -1);
    return Result;
}

bool TDidAririzEvar::MatchCell(Integer ACol, Integer ARow, bool Wide)
{
    const TFindParams& P = FFind.Params;
    const bool MatchCase = P.Contains(fnMatchCase);
    const Integer C = P.Contains(fnIncludeHiddenColumns) ? ACol : RealColIndex(ACol);
    AnsiString T;
    WideString W;
    if (!Wide) {
        T = P.Contains(fnIncludeHiddenRows) ? GetCellsEx(C, ARow) : Cells(C, ARow);
        if (!MatchCase)
            T = AnsiUpperCase(T);
        if (P.Contains(fnIgnoreHTMLTags))
            T = HTMLStrip(T);
    } else {
        W = P.Contains(fnIncludeHiddenRows) ? GetWideCellsEx(C, ARow) : GetWideCells(C, ARow);
        if (!MatchCase)
            W = WideUpperCase(W);
    }

    if (FFind.Text == EmptyCellText)
        return T.empty();
    if (FFind.WideText == EmptyCellWide)
        return W.empty();

    Integer Pos = 0;
    bool Full = true;
    if (!Wide) {
        const auto At = FFind.Text.empty() ? AnsiString::npos : T.find(FFind.Text);
        Pos = At == AnsiString::npos ? 0 : static_cast<Integer>(At) + 1;
        if (P.Contains(fnMatchFull))
            Full = FFind.Text == T;
    } else {
        Pos = FFind.WideText.empty() ? 0 : StrPosWide(FFind.WideText, W);
        if (P.Contains(fnMatchFull))
            Full = FFind.WideText == W;
    }
    const bool PosOK = P.Contains(fnMatchStart) ? Pos == 1 : Pos > 0;
    if (P.Contains(fnMatchRegular))
        return MatchStrEx(FFind.Text, T, MatchCase);
    return PosOK && Full;
}

Integer TDidAririzEvar::Replace(const AnsiString& OldValue, const AnsiString& NewValue,
                                TFindParams FindParams)
{
    Integer N = 0;
    TPoint P{-1, -1};
    // Each found cell is read and written in the index space the match read it in: a real column
    // unless the walk already counts hidden columns, a real row with hidden rows included.
    const bool HiddenCols = FindParams.Contains(fnIncludeHiddenColumns);
    const bool HiddenRows = FindParams.Contains(fnIncludeHiddenRows);
    // Letter case as the search compares it: with fnMatchCase only the exact text is replaced.
    const TReplaceFlags Flags = FindParams.Contains(fnMatchCase) ? TReplaceFlags{rfReplaceAll}
                                                                 : TReplaceFlags{rfReplaceAll, rfIgnoreCase};
    for (;;) {
        P = Find(P, OldValue, FindParams);
        if (P.X == -1 && P.Y == -1)
            break;
        const Integer C = HiddenCols ? P.X : RealColIndex(P.X);
        if (HiddenRows) {
            SetCellsEx(C, P.Y, StringReplace(GetCellsEx(C, P.Y), OldValue, NewValue, Flags));
        } else {
            SetCells(C, P.Y, StringReplace(Cells(C, P.Y), OldValue, NewValue, Flags));
        }
        if (FShowModified->Enabled) {
            const Integer R = HiddenRows ? DisplRowIndex(P.Y) : P.Y;
            if (!HiddenRows || !IsHiddenRow(P.Y))
                SetRowModified(R, true);
        }
        ++N;
    }
    return N;
}
