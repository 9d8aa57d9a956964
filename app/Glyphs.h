#pragma once

// The pictures of the program's buttons, drawn here rather than shipped as image files.

#include "controls/ZevButton.h"

enum TGlyphKind { gkPrize, gkDraw, gkHelp, gkExit, gkStart, gkCancel };

// Gives the button the picture of Kind (one 24 x 24 image whose corner colour is see-through).
void SetButtonGlyph(TZevButton* Button, TGlyphKind Kind);
