// The screen object: the forms that exist, the active form and control, cursors and the
// desktop's size.

#include "platform/forms/Forms.h"

#include "platform/win/Backend.h"

#include <algorithm>

TScreen* Screen = New<TScreen>(nullptr);

void TScreen::RemoveForm(TCustomForm* Form)
{
    FForms.erase(std::remove(FForms.begin(), FForms.end(), Form), FForms.end());
    if (FActiveForm == Form) {
        FActiveForm = nullptr;
        FActiveControl = nullptr;
    }
}

void TScreen::SetActiveForm(TCustomForm* Form)
{
    if (Form != FActiveForm) {
        FActiveForm = Form;
        if (OnActiveFormChange)
            OnActiveFormChange(this);
    }
}

void TScreen::SetActiveControl(TWinControl* Control)
{
    if (Control != FActiveControl) {
        FActiveControl = Control;
        if (OnActiveControlChange)
            OnActiveControlChange(this);
    }
}

void TScreen::SetCursor(TCursor Value)
{
    if (Value == FCursor)
        return;
    FCursor = Value;
    POINT P{};
    GetCursorPos(&P);
    if (Value != crDefault)
        ::SetCursor(Cursors(Value));
    else if (HWND W = WindowFromPoint(P))
        SendMessage(W, WM_SETCURSOR, reinterpret_cast<WPARAM>(W), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
}

HCURSOR TScreen::Cursors(Integer Index)
{
    for (auto& [I, H] : FCursors)
        if (I == Index)
            return H;
    std::uintptr_t Id = IDC_ARROW;
    switch (Index) {
    case crNone:
        return nullptr;
    case crCross:
        Id = IDC_CROSS;
        break;
    case crIBeam:
        Id = IDC_IBEAM;
        break;
    case crSizeNESW:
        Id = IDC_SIZENESW;
        break;
    case crSizeNS:
    case crVSplit:
        Id = IDC_SIZENS;
        break;
    case crSizeNWSE:
        Id = IDC_SIZENWSE;
        break;
    case crSizeWE:
    case crHSplit:
        Id = IDC_SIZEWE;
        break;
    case crUpArrow:
        Id = IDC_UPARROW;
        break;
    case crHourGlass:
    case crSQLWait:
        Id = IDC_WAIT;
        break;
    case crNoDrop:
    case crNo:
        Id = IDC_NO;
        break;
    case crAppStart:
        Id = IDC_APPSTARTING;
        break;
    case crHelp:
        Id = IDC_HELP;
        break;
    case crHandPoint:
        Id = IDC_HAND;
        break;
    case crSizeAll:
        Id = IDC_SIZEALL;
        break;
    default:
        break;
    }
    return LoadCursor(nullptr, MAKEINTRESOURCE(Id));
}

void TScreen::SetCursors(Integer Index, HCURSOR Handle)
{
    for (auto& Entry : FCursors)
        if (Entry.first == Index) {
            Entry.second = Handle;
            return;
        }
    FCursors.emplace_back(Index, Handle);
}

Integer TScreen::Width() const
{
    return Backend().ScreenSize().cx;
}

Integer TScreen::Height() const
{
    return Backend().ScreenSize().cy;
}

TRect TScreen::WorkAreaRect() const
{
    return Backend().WorkArea();
}
