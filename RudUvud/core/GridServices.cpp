// The smallest correct forms of services that the editing and exchange parts of the grid
// own and the core calls. Each is replaced by the owning part's full version when it lands (move
// the body there and delete it here).

#include "RudUvud/core/RudUvud.h"

#include "RudUvud/support/DerOdoz.h"

// ---- Editing ------------------------------------------------------------------------------------------

bool TDidAririzEvar::ValidateCell(const AnsiString&)
{
    return true;
}
bool TDidAririzEvar::ValidateCellWide(const WideString&)
{
    return true;
}
void TDidAririzEvar::InitValidate(Integer, Integer) {}
