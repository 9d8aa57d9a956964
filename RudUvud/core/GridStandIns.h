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

class TSearchFooter : public TPersistent {
public:
    bool Visible = false;
    bool AutoThemeAdapt = false;
    TNotifyEvent OnChange;
    // The panel's gradient.
    TColor Color = 0xFFFFFF;
    TColor ColorTo = static_cast<TColor>(0x8000000F); // clBtnFace
};

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

// A hidden child control of the grid standing in for one of its editors, panels or helper
// windows: it exists for the grid's whole life and does nothing.
class TGridStandInControl : public TCustomControl {
public:
    explicit TGridStandInControl(TComponent* AOwner) : TCustomControl(AOwner) {}
};

#define RUDUVUD_STANDIN_CONTROL(Name)                                                                        \
    class Name : public TGridStandInControl {                                                                \
    public:                                                                                                  \
        explicit Name(TComponent* AOwner) : TGridStandInControl(AOwner) {}                                   \
    };

RUDUVUD_STANDIN_CONTROL(TSearchPanel)
// The hint window of scroll hints and cell hints.
class THTMLHintWindow : public THintWindow {
public:
    explicit THTMLHintWindow(TComponent* AOwner) : THintWindow(AOwner) {}
};
// The grid's rich edit: hidden, it loads RTF cells to paint them (RTFPaint), to measure them and
// to take their plain text.
class TZurIdodAdod : public TCustomRichEdit {
public:
    using TCustomRichEdit::TCustomRichEdit;
};

#undef RUDUVUD_STANDIN_CONTROL
