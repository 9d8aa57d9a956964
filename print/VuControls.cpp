#include "print/VuControls.h"

namespace {

// Adds the border styles of a bordered suite control: a sunken client edge with Ctl3D, a
// plain border without.
void AddBorder(TCreateParams& Params, TBorderStyle Style, bool Ctl3D)
{
    if (Style != bsSingle)
        return;
    if (Ctl3D)
        Params.ExStyle |= WS_EX_CLIENTEDGE;
    else
        Params.Style |= WS_BORDER;
}

} // namespace

TVuScrollingWinControl::TVuScrollingWinControl(TComponent* AOwner) : TScrollingWinControl(AOwner)
{
    FControlStyle = {csCaptureMouse, csClickEvents, csSetCaption, csDoubleClicks};
    FParentColor = false;
    SetColor(clSilver);
    SetDoubleBuffered(true);
}

void TVuScrollingWinControl::SetBorderStyle(TBorderStyle Value)
{
    if (Value != FBorderStyle) {
        FBorderStyle = Value;
        if (HandleAllocated())
            RecreateWnd();
    }
}

void TVuScrollingWinControl::CreateParams(TCreateParams& Params)
{
    TScrollingWinControl::CreateParams(Params);
    AddBorder(Params, FBorderStyle, Ctl3D());
}

void TVuScrollingWinControl::WndProc(TMessage& Message)
{
    TScrollingWinControl::WndProc(Message);
    if (Message.Msg == CM_CTL3DCHANGED && FBorderStyle == bsSingle && HandleAllocated())
        RecreateWnd();
}

TVuWinControl::TVuWinControl(TComponent* AOwner) : TWinControl(AOwner)
{
    FControlStyle = {csCaptureMouse, csClickEvents, csSetCaption, csDoubleClicks};
    FParentColor = false;
    SetColor(clSilver);
}

void TVuWinControl::SetBorderStyle(TBorderStyle Value)
{
    if (Value != FBorderStyle) {
        FBorderStyle = Value;
        if (HandleAllocated())
            RecreateWnd();
    }
}

void TVuWinControl::CreateParams(TCreateParams& Params)
{
    TWinControl::CreateParams(Params);
    AddBorder(Params, FBorderStyle, Ctl3D());
}

void TVuWinControl::WndProc(TMessage& Message)
{
    TWinControl::WndProc(Message);
    if (Message.Msg == CM_CTL3DCHANGED && FBorderStyle == bsSingle && HandleAllocated())
        RecreateWnd();
}
