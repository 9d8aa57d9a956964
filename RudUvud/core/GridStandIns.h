#pragma once

// Stand-ins for the objects the string grid's constructor creates whose classes belong to the
// painting/editing and exchange parts of the grid or to the grid support library and are not
// built yet. Each carries only the settings the grid core reads, with their published defaults,
// and is replaced by the full class when that class lands (delete the stand-in then).

#include "RudUvud/core/GridTypes.h"

#include "RudUvud/support/PictureContainer.h"
#include "RudUvud/support/VadObj.h"
#include "platform/forms/ComCtrls.h"
#include "platform/forms/ExtCtrlsPanels.h"
#include "platform/forms/Forms.h"

// ---- Settings objects ----------------------------------------------------------------------------

class TBalloonSettings : public TPersistent {
public:
    void Assign(TPersistent* Source) override
    {
        if (auto* S = dynamic_cast<TBalloonSettings*>(Source)) {
            Enable = S->Enable;
            TextColor = S->TextColor;
            BackgroundColor = S->BackgroundColor;
        }
    }
    bool Enable = false;
    TColor TextColor = clNone;
    TColor BackgroundColor = clNone;
    TNotifyEvent OnChange;
    // 0 (opaque) .. 255.
    Byte Transparency = 0;
};

class TDragDropSettings : public TPersistent {};

// ---- Child controls --------------------------------------------------------------------------------

// The hint window of scroll hints and cell hints.
class THTMLHintWindow : public THintWindow {
public:
    explicit THTMLHintWindow(TComponent* AOwner) : THintWindow(AOwner) {}
};

