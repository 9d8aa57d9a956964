#pragma once

// The buttons of the popup's header and footer: owner-drawn windowed buttons with a caption, an
// image, hot tracking, a pressed look, a checked state with exclusive groups, keyboard activation
// and a modal result that closes the popup. All buttons of one dropdown paint with its
// TVadButtonAppearance. TDbgList is the range-checked list the strips keep them in.

#include "dropdowns/DropDownAppearance.h"

#include "platform/forms/Controls.h"
#include "platform/forms/ExtCtrls.h"
#include "platform/forms/ImgList.h"
#include "platform/rtl/Lists.h"

class TDizEveverAvivIzar;

enum TVadButtonState { absUp, absDisabled, absDown, absDropDown, absExclusive };
enum TVadButtonStyle { tasButton, tasCheck };

class TVadButton : public TCustomControl {
public:
    explicit TVadButton(TComponent* AOwner);
    ~TVadButton() override;

    // Sizes the button to its caption and image (nothing without an appearance).
    void SetAutoSizeEx();

    Integer GroupIndex() const { return FGroupIndex; }
    void SetGroupIndex(Integer Value);
    bool Down() const { return FDown; }
    void SetDown(bool Value);
    bool AllowAllUp() const { return FAllowAllUp; }
    void SetAllowAllUp(bool Value);
    TVadButtonStyle Style() const { return FStyle; }
    void SetStyle(TVadButtonStyle Value) { FStyle = Value; }
    TVadButtonState State() const { return FState; }
    void SetState(TVadButtonState Value) { FState = Value; }
    void SetGrouped(bool Value) { FGrouped = Value; }
    TCustomImageList* Images() const { return FImages; }
    void SetImages(TCustomImageList* Value);
    Integer ImageIndex() const { return FImageIndex; }
    void SetImageIndex(Integer Value) { FImageIndex = Value; }
    TModalResult ModalResult() const { return FModalResult; }
    void SetModalResult(TModalResult Value) { FModalResult = Value; }
    void SetDadOrorUdur(TDizEveverAvivIzar* Value) { FDadOrorUdur = Value; }
    TVadButtonAppearance* Appearance() const { return FAppearanceRef; }
    void SetAppearance(TVadButtonAppearance* Value) { FAppearanceRef = Value; }
    bool GetHot() const { return FHot; }
    void SetHot(bool Value);
    bool MouseInside() const { return FMouseInside; }

    void UpdateExclusive();
    void UpdateTracking();
    void InvalidateMe() { Invalidate(); }
    void Click() override;
    void WndProc(TMessage& Message) override;

    TNotifyEvent OnButtonEnter;
    TNotifyEvent OnButtonLeave;

protected:
    virtual void DrawButton(TCanvas* ACanvas);
    virtual void ButtonDown() {}
    void Paint() override;
    void Loaded() override;
    void Notification(TComponent* AComponent, TOperation Operation) override;
    void MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
    void MouseMove(TShiftState Shift, Integer X, Integer Y) override;
    void MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;

private:
    bool Inside(Integer X, Integer Y);
    void LeaveTimerTick(TObject* Sender);
    void PaintParentBackground();

    Integer FGroupIndex = 0;
    bool FDown = false;
    bool FAllowAllUp = false;
    TVadButtonStyle FStyle = tasButton;
    TVadButtonState FState = absUp;
    bool FGrouped = true;
    TCustomImageList* FImages = nullptr;
    Integer FImageIndex = -1;
    TModalResult FModalResult = mrNone;
    TDizEveverAvivIzar* FDadOrorUdur = nullptr;
    TVadButtonAppearance* FAppearanceRef = nullptr;
    bool FMouseInside = false;
    bool FPressedInside = false;
    bool FTracking = false;
    TTimer* FLeaveTimer = nullptr;
    bool FLoadedDown = false;
    bool FKeyClick = false;
    bool FHot = false;
};

// A pointer list whose indexed access checks the upper bound with messages of its own.
class TDbgList : public TList {
public:
    Pointer GetItemsEx(Integer Index) const;
    void SetItemsEx(Integer Index, Pointer Item);
    Pointer ItemsEx(Integer Index) const { return GetItemsEx(Index); }
    void AssignList(TList* List);
};
