// STAND-IN for the fixed-cell editor: the press, the right button and the double click call
// StartFixedEdit by name; until the editor exists it opens nothing. Delete this file and the
// declaration marked STAND-IN in edit/MouseMoveMembers.h when the editor arrives.

#include "RudUvud/core/RudUvud.h"

void TDidAririzEvar::StartFixedEdit(Integer, Integer) {}
