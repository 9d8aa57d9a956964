// The tree lines of outline nodes, drawn in column 0 of every data row of a grid with nodes.

#include "RudUvud/core/RudUvud.h"

#include "RudUvud/core/GridCoreState.h"

void TDidAririzEvar::PaintTreeLines(TGridCellPaint& P)
{
    const TCellNode& N = *CellNode();
    const Integer ARow = P.ARow;
    if (FCore.FNodeCount == 0 || P.RC != 0 || ARow < FixedRows() || !N.ShowTree())
        return;
    TCanvas* C = P.Canvas;
    // On the screen the indents count from the client's left edge, on a page from the cell's.
    const Integer Base = P.Printing ? P.Rect.Left : 0;
    const TCellProperties* CP = RecordAt(0, ARow);
    const Integer Level = CP ? CP->NodeLevel() : 0;
    const Integer Step = N.NodeIndent();
    const Integer Indent = Base + NodeIndent(ARow);
    const Integer X = Indent - Step + 2 + Step / 2;
    const Integer Top = P.Rect.Top, Bottom = P.Rect.Bottom, Mid = Top + (Bottom - Top) / 2;
    auto Line = [C](Integer X1, Integer Y1, Integer X2, Integer Y2) {
        C->MoveTo(X1, Y1);
        C->LineTo(X2, Y2);
    };
    C->Pen()->SetColor(N.TreeColor());
    C->Pen()->SetWidth(1);
    C->Pen()->SetStyle(psSolid);
    if (Level > 0)
        Line(X, Mid, N.ShowTreeFull() ? P.Rect.Right : Indent + 4, Mid);
    switch (GetNodeSpanType(ARow)) {
    case 1:
        Line(X, Top, X, Mid);
        break;
    case 2:
        Line(X, Top, X, Bottom + 4);
        break;
    default:
        break;
    }
    const TCellProperties* Next = ARow + 1 < RowCount() ? RecordAt(0, ARow + 1) : nullptr;
    const bool NextInNode = Next && Next->NodeLevel() != 0;
    for (Integer I = 1; I <= Level; ++I) {
        const Integer XI = X - Step * I;
        Line(XI, Top, XI, Mid);
        if (NextInNode)
            Line(XI, Mid, XI, Bottom + 4);
        else if (I < Level)
            Line(XI, Mid, XI + Step, Mid);
    }
    // The steps after this one (graphic, events, focus) start at the indent.
    P.Rect.Left = Indent;
    P.Frame.Left = Indent;
}
