#pragma once

// The settings of the popup's header and footer strips with their button descriptions, and the
// shared colours of the popup buttons. The dropdown owns one of each; the grid's control look
// holds a header and footer pair of its own.

#include "dropdowns/DadOrorUdurDraw.h"

#include "platform/forms/Graphics.h"
#include "platform/rtl/Collections.h"

#include <memory>

enum TButtonAlignment { baLeft, baRight };

// One button of the header.
class THeaderButton : public TCollectionItem {
public:
    explicit THeaderButton(TCollection* Collection) : TCollectionItem(Collection) {}
    void Assign(TPersistent* Source) override;

    const AnsiString& Caption() const { return FCaption; }
    void SetCaption(const AnsiString& Value);
    Integer ImageIndex() const { return FImageIndex; }
    void SetImageIndex(Integer Value) { FImageIndex = Value; }
    bool Enabled() const { return FEnabled; }
    void SetEnabled(bool Value);
    // Fixed sizes when above 0; the height is stored without notification.
    Integer Width() const { return FWidth; }
    void SetWidth(Integer Value);
    Integer Height() const { return FHeight; }
    void SerHeight(Integer Value) { FHeight = Value; }

protected:
    void PropChanged();

    AnsiString FCaption;
    Integer FImageIndex = -1;
    bool FEnabled = true;
    Integer FWidth = 0;
    Integer FHeight = 0;
};

// One button of the footer: a header button with a modal result that closes the popup.
class TFooterButton : public THeaderButton {
public:
    explicit TFooterButton(TCollection* Collection) : THeaderButton(Collection) {}
    void Assign(TPersistent* Source) override;
    TModalResult ModalResult() const { return FModalResult; }
    void SetModalResult(TModalResult Value) { FModalResult = Value; }

private:
    TModalResult FModalResult = mrNone;
};

// The button collections; their change event fires on every change of an item.
class THeaderButtons : public TCollection {
public:
    explicit THeaderButtons(TPersistent* AOwner);
    THeaderButton* Add() { return static_cast<THeaderButton*>(TCollection::Add()); }
    THeaderButton* Insert(Integer Index) { return static_cast<THeaderButton*>(TCollection::Insert(Index)); }
    THeaderButton* Items(Integer Index) const { return GetItem(Index); }
    THeaderButton* GetItem(Integer Index) const
    {
        return static_cast<THeaderButton*>(TCollection::Items(Index));
    }
    void SetItem(Integer Index, THeaderButton* Value) { SetItems(Index, Value); }
    void Change();
    TPersistent* GetOwner() override { return FOwner; }

    TNotifyEvent OnChange;

protected:
    THeaderButtons(TPersistent* AOwner, TCollectionItemClass ItemClass);
    void Update(TCollectionItem* Item) override;

private:
    TPersistent* FOwner;
};

class TFooterButtons : public THeaderButtons {
public:
    explicit TFooterButtons(TPersistent* AOwner);
    TFooterButton* Add() { return static_cast<TFooterButton*>(TCollection::Add()); }
    TFooterButton* Insert(Integer Index) { return static_cast<TFooterButton*>(TCollection::Insert(Index)); }
    TFooterButton* Items(Integer Index) const { return GetItem(Index); }
    TFooterButton* GetItem(Integer Index) const
    {
        return static_cast<TFooterButton*>(TCollection::Items(Index));
    }
};

// The header strip's settings.
class THeaderAppearance : public TPersistent {
public:
    explicit THeaderAppearance(TPersistent* AOwner);
    ~THeaderAppearance() override;
    void Assign(TPersistent* Source) override;
    TPersistent* GetOwner() override { return FOwner; }

    TColor Color() const { return FColor; }
    void SetColor(TColor Value) { FColor = Value; }
    TColor ColorTo() const { return FColorTo; }
    void SetColorTo(TColor Value) { FColorTo = Value; }
    const AnsiString& Caption() const { return FCaption; }
    void SetCaption(const AnsiString& Value) { FCaption = Value; }
    TFont* Font() const { return FFont.get(); }
    void SetFont(TFont* Value) { FFont->Assign(Value); }
    TGradientDirection GradientDirection() const { return FGradientDirection; }
    void SetGradientDirection(TGradientDirection Value) { FGradientDirection = Value; }
    bool Visible() const { return FVisible; }
    void SetVisible(bool Value);
    Integer Height() const { return FHeight; }
    void SetHeight(Integer Value) { FHeight = Value; }
    TColor BorderColor() const { return FBorderColor; }
    void SetBorderColor(TColor Value) { FBorderColor = Value; }
    Integer BorderWidth() const { return FBorderWidth; }
    void SetBorderWidth(Integer Value) { FBorderWidth = Value; }
    Integer ImageIndex() const { return FImageIndex; }
    void SetImageIndex(Integer Value) { FImageIndex = Value; }
    THeaderButtons* Buttons() const { return FButtons.get(); }
    void SetButtons(THeaderButtons* Value) { FButtons->Assign(Value); }
    TButtonAlignment ButtonAlignment() const { return FButtonAlignment; }
    void SetButtonAlignment(TButtonAlignment Value) { FButtonAlignment = Value; }

    // Copies the colours only.
    void AssignColors(THeaderAppearance* Source);

    TNotifyEvent OnChange;
    TNotifyEvent OnButtonListChange;

protected:
    THeaderAppearance(TPersistent* AOwner, std::unique_ptr<THeaderButtons> Buttons);
    void Changed();
    void OnButtonChanged(TObject* Sender);

    TPersistent* FOwner;
    TColor FColor = 0xC0C0C0;
    TColor FColorTo = 0xFFFFFF;
    AnsiString FCaption;
    std::unique_ptr<TFont> FFont;
    TGradientDirection FGradientDirection = gdVertical;
    bool FVisible = true;
    Integer FHeight = 22;
    TColor FBorderColor = 0;
    Integer FBorderWidth = 1;
    Integer FImageIndex = -1;
    std::unique_ptr<THeaderButtons> FButtons;
    TButtonAlignment FButtonAlignment = baRight;
};

// The footer strip's settings: the header's plus the size grip; its font keeps the platform's
// default face.
class TFooterAppearance : public THeaderAppearance {
public:
    explicit TFooterAppearance(TPersistent* AOwner);
    TFooterButtons* Buttons() const { return static_cast<TFooterButtons*>(FButtons.get()); }
    void SetButtons(TFooterButtons* Value) { FButtons->Assign(Value); }
    bool SizeGrip() const { return FSizeGrip; }
    void SetSizeGrip(bool Value) { FSizeGrip = Value; }

private:
    void OnButtonsChange(TObject* Sender) { OnButtonChanged(Sender); }
    bool FSizeGrip = true;
};

// The colours every popup button of one dropdown paints with.
class TVadButtonAppearance : public TPersistent {
public:
    TVadButtonAppearance();
    ~TVadButtonAppearance() override;
    void Assign(TPersistent* Source) override;

#define VAD_BUTTON_COLOUR(Name)                                                                              \
    TColor Name() const                                                                                      \
    {                                                                                                        \
        return F##Name;                                                                                      \
    }                                                                                                        \
    void Set##Name(TColor Value)                                                                             \
    {                                                                                                        \
        if (F##Name != Value) {                                                                              \
            F##Name = Value;                                                                                 \
            Changed();                                                                                       \
        }                                                                                                    \
    }
    VAD_BUTTON_COLOUR(BorderColor)
    VAD_BUTTON_COLOUR(BorderColorHot)
    VAD_BUTTON_COLOUR(BorderColorDown)
    VAD_BUTTON_COLOUR(BorderColorDisabled)
    VAD_BUTTON_COLOUR(BorderColorChecked)
    VAD_BUTTON_COLOUR(Color)
    VAD_BUTTON_COLOUR(ColorTo)
    VAD_BUTTON_COLOUR(ColorHot)
    VAD_BUTTON_COLOUR(ColorHotTo)
    VAD_BUTTON_COLOUR(ColorDown)
    VAD_BUTTON_COLOUR(ColorDownTo)
    VAD_BUTTON_COLOUR(ColorChecked)
    VAD_BUTTON_COLOUR(ColorCheckedTo)
    VAD_BUTTON_COLOUR(ColorDisabled)
    VAD_BUTTON_COLOUR(ColorDisabledTo)
#undef VAD_BUTTON_COLOUR
    TGradientDirection Gradient() const
    {
        return FGradient;
    }
    void SetGradient(TGradientDirection Value);
    TFont* Font() const
    {
        return FFont.get();
    }
    void SetFont(TFont* Value)
    {
        FFont->Assign(Value);
    }

    TNotifyEvent OnChange;

private:
    void Changed();

    TColor FBorderColor = clNone;
    TColor FBorderColorHot = 0x808080;
    TColor FBorderColorDown = 0x800000;
    TColor FBorderColorDisabled = 0x808080;
    TColor FBorderColorChecked = 0xFF0000;
    TColor FColor = clNone;
    TColor FColorTo = clNone;
    TColor FColorHot = 0xF5F0E1;
    TColor FColorHotTo = 0xF9D2B2;
    TColor FColorDown = 0xF5D8CA;
    TColor FColorDownTo = 0xF9BDA0;
    // The hot colours darkened by 10 % in red and green.
    TColor FColorChecked = DadOrorUdur::BrightnessColor(0xF5F0E1, -10, -10, 0);
    TColor FColorCheckedTo = DadOrorUdur::BrightnessColor(0xF9D2B2, -10, -10, 0);
    TColor FColorDisabled = 0xF2F2F2;
    TColor FColorDisabledTo = clNone;
    TGradientDirection FGradient = gdVertical;
    std::unique_ptr<TFont> FFont;
};
