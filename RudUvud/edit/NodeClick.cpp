// The node steps of a left button press: the glyph of a node in the header expands or contracts
// every node, the glyph of a node row its own node (with the application asked first), and a
// press elsewhere in the node column clicks the cell without selecting it.

#include "RudUvud/core/RudUvud.h"

#include "RudUvud/core/GridCoreState.h"

bool TDidAririzEvar::NodePress(Integer ACol, Integer ARow, Integer X, Integer Y, TShiftState Shift,
                               bool NodeRow)
{
    if (ComponentState().Contains(csDesigning) || ACol < 0 || ARow < 0)
        return false;
    TMouseActions& MA = *MouseActions();
    const bool OnGlyph = ACol == 0 && NodeRow && InNodeRect(ARow, X);

    // A node in the header stands for every node.
    if (OnGlyph && ARow < FixedRows() && MA.NodeAllExpandContract) {
        const bool Contracted = GetNodeState(ARow);
        if (Contracted)
            ExpandAll();
        else
            ContractAll();
        // ExpandAll and ContractAll set node states as they go: the header node's is set last.
        if (TCellGraphic* G = GetCellGraphic(0, ARow); G && G->CellType == ctNode)
            G->CellBoolean = !Contracted;
        RepaintCell(0, ARow);
    }

    auto Clicked = [&] {
        if (OnMouseDown)
            OnMouseDown(this, mbLeft, Shift, X, Y);
        if (OnClickCell)
            OnClickCell(this, ARow, ACol);
    };

    // The glyph of a data row's node.
    if (OnGlyph && ARow >= FixedRows()) {
        Clicked();
        const Integer ARowReal = RealRowIndex(ARow);
        bool Allow = true;
        if (GetNodeState(ARow)) {
            if (OnBeforeExpandNode)
                OnBeforeExpandNode(this, ARow, ARowReal, Allow);
            if (Allow) {
                ExpandNode(ARowReal);
                if (OnExpandNode)
                    OnExpandNode(this, ARow, ARowReal);
            }
        } else {
            if (OnBeforeContractNode)
                OnBeforeContractNode(this, ARow, ARowReal, Allow);
            if (Allow) {
                ContractNode(ARowReal);
                if (OnContractNode)
                    OnContractNode(this, ARow, ARowReal);
            }
        }
        if (MA.MoveRowOnNodeClick && ARow < RowCount())
            SetRow(ARow);
        return true;
    }

    // The rest of the node column is no place for the cursor: the press only clicks.
    if (ACol == 0 && ARow >= FixedRows() && FCore.FNodeCount > 0 && !MA.RowSelect &&
        !Options().Contains(goRowSizing)) {
        Clicked();
        return true;
    }
    return false;
}
