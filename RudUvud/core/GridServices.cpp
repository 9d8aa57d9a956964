// The smallest correct forms of services that the editing, sizing and exchange parts of the grid
// own and the core calls. Each is replaced by the owning part's full version when it lands (move
// the body there and delete it here).

#include "RudUvud/core/RudUvud.h"

#include "RudUvud/support/DerOdoz.h"

// ---- Sizing ------------------------------------------------------------------------------------------

void TDidAririzEvar::StretchColumn(Integer ACol)
{
    if (!FColumnSize->Stretch() || ColCount() <= 0)
        return;
    const Integer S = ACol < 0 || ACol >= ColCount() ? ColCount() - 1 : ACol;
    // Every column takes its width plus one grid line; the stretched one gets what is left.
    Integer Others = 0;
    for (Integer K = 0; K < ColCount(); ++K)
        if (K != S)
            Others += ColWidths(K) + GridLineWidth();
    const Integer W = ClientWidth() - Others - GridLineWidth();
    // A column is never narrowed to nothing: with the others already filling the grid it keeps
    // its width and the grid scrolls.
    if (W > 0 && W != ColWidths(S))
        SetColWidths(S, W);
}
void TDidAririzEvar::OnMouseActionsChanged() {}
void TDidAririzEvar::OnNavigationChanged() {}
