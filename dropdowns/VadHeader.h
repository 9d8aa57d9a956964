#pragma once

// The popup's header and footer strips: background, border, image, mini-HTML caption and a row
// of popup buttons built from the dropdown's button descriptions; the footer adds a size grip
// through which the person resizes the popup.

#include "dropdowns/DropDownAppearance.h"
#include "dropdowns/VadButton.h"

#include <memory>

class TDizEveverAvivIzar;
using TDrawBackGroundEvent = std::function<void(TObject* Sender, TCanvas* ACanvas, TRect ARect)>;
using TGetTextEvent = std::function<void(TObject* Sender, AnsiString& Text)>;

// What header and footer share; each says where its border line and buttons go.
class TVadStrip : public TCustomControl {
public:
    ~TVadStrip() override;

    THeaderAppearance* Appearance() const { return FAppearance.get(); }
    void SetAppearance(THeaderAppearance* Value) { FAppearance->Assign(Value); }
    TCustomImageList* Images() const { return FImages; }
    void SetImages(TCustomImageList* Value);
    // Takes the dropdown's images and its header or footer settings.
    void SetDadOrorUdur(TDizEveverAvivIzar* Value);
    TDizEveverAvivIzar* DadOrorUdur() const { return FDadOrorUdur; }
    // Rebuilds the buttons (with a dropdown).
    void Initialize();
    void AppearanceChanged(TObject* Sender);
    TDbgList* ButtonControls() { return &FButtonControls; }
    TVadButton* ButtonControl(Integer Index)
    {
        return static_cast<TVadButton*>(FButtonControls.GetItemsEx(Index));
    }

    virtual TRect GetButtonsRect();
    TRect GetButtonsCoveredRect();
    Integer GetMaxButtonHeight() { return GetButtonsRect().Height(); }

    virtual void CreateButtons();
    virtual void DestroyButtons();
    virtual void ArrangeButtons();
    virtual void UpdateButtons();

    void WndProc(TMessage& Message) override;

    TDrawBackGroundEvent OnDrawBackGround;
    TGetTextEvent OnGetText;

protected:
    TVadStrip(TComponent* AOwner, std::unique_ptr<THeaderAppearance> Appearance, bool IsFooter);
    void Paint() override;
    void Notification(TComponent* AComponent, TOperation Operation) override;
    void OnButtonClick(TObject* Sender);
    virtual THeaderAppearance* DropDownAppearance() = 0;
    virtual void DrawExtras(const TRect&) {}

    std::unique_ptr<THeaderAppearance> FAppearance;
    TCustomImageList* FImages = nullptr;
    TDizEveverAvivIzar* FDadOrorUdur = nullptr;
    TDbgList FButtonControls;
    bool FIsFooter;
};

class TVadHeader : public TVadStrip {
public:
    explicit TVadHeader(TComponent* AOwner);
    THeaderButtons* Buttons();

protected:
    THeaderAppearance* DropDownAppearance() override;

private:
    void OnButtonsChanged(TObject*) {}
};

class TVadFooter : public TVadStrip {
public:
    explicit TVadFooter(TComponent* AOwner);
    TFooterAppearance* Appearance() const { return static_cast<TFooterAppearance*>(FAppearance.get()); }
    TFooterButtons* Buttons();
    bool HasSizeGrip();
    void DrawSizeGrip(const TRect& R);
    TRect GetButtonsRect() override;
    void WndProc(TMessage& Message) override;

protected:
    THeaderAppearance* DropDownAppearance() override;
    void DrawExtras(const TRect& R) override;
    void MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
    void MouseMove(TShiftState Shift, Integer X, Integer Y) override;
    void MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;

private:
    bool InGrip(Integer X, Integer Y);
    void RestoreCursor();
    TCursor FSavedCursor = 0;
};
