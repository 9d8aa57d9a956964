#pragma once

// The key pad: an owner-drawn panel of keys (caption, optional picture, Tag) drawn as themed
// push buttons with hot and pressed states, reporting clicks by key index. In calculator mode it
// creates the 28 keys of a pocket calculator and lays them out in a fixed grid; in custom mode
// the keys and their rectangles are whatever code gives them.

#include "dropdowns/ItemSelector.h"

#include "platform/forms/Controls.h"
#include "platform/forms/Graphics.h"
#include "platform/forms/ImgList.h"
#include "platform/forms/StdCtrls.h"
#include "platform/rtl/Collections.h"

#include <functional>
#include <memory>

class TDizEveverAvivIzar;

class TButtonItem : public TCollectionItem {
public:
    explicit TButtonItem(TCollection* Collection);
    ~TButtonItem() override;
    void Assign(TPersistent* Source) override;

    const AnsiString& Caption() const { return FCaption; }
    void SetCaption(const AnsiString& Value) { FCaption = Value; }
    TColor CaptionColor() const { return FCaptionColor; }
    void SetCaptionColor(TColor Value) { FCaptionColor = Value; }
    Integer ImageIndex() const { return FImageIndex; }
    void SetImageIndex(Integer Value) { FImageIndex = Value; }
    TPicture* Image() const { return FImage.get(); }
    void SetImage(TPicture* Value) { FImage->Assign(Value); }
    Integer Tag() const { return FTag; }
    void SetTag(Integer Value) { FTag = Value; }
    TRect GetRect() const { return TRect{Left, Top, Left + Width, Top + Height}; }

    bool Enabled = true;
    AnsiString KeyName;
    bool Special = false;
    Integer Left = 0;
    Integer Top = 0;
    Integer Width = 0;
    Integer Height = 0;

private:
    AnsiString FCaption;
    TColor FCaptionColor = 0xFFFFFF;
    Integer FImageIndex = -1;
    std::unique_ptr<TPicture> FImage;
    Integer FTag = 0;
};

class TButtonItems : public TCollection {
public:
    explicit TButtonItems(TPersistent* AOwner);
    TButtonItem* Add() { return static_cast<TButtonItem*>(TCollection::Add()); }
    TButtonItem* Insert(Integer Index) { return static_cast<TButtonItem*>(TCollection::Insert(Index)); }
    TButtonItem* GetItem(Integer Index) const { return static_cast<TButtonItem*>(TCollection::Items(Index)); }
    TButtonItem* Items(Integer Index) const { return GetItem(Index); }
    void SetItem(Integer Index, TButtonItem* Value) { SetItems(Index, Value); }
    TPersistent* GetOwner() override { return FOwner; }

    TNotifyEvent OnChange;

private:
    TPersistent* FOwner;
};

// The keys' colours and font. Only Font, TextColor and SpecialTextColor reach the themed
// drawing; the colours paint the keys where no theme is active.
class TButtonAppearance : public TPersistent {
public:
    TButtonAppearance();
    ~TButtonAppearance() override;
    void Assign(TPersistent* Source) override;

#define BUTTON_PANEL_COLOUR(Name)                                                                            \
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
    BUTTON_PANEL_COLOUR(BorderColor)
    BUTTON_PANEL_COLOUR(BorderColorHot)
    BUTTON_PANEL_COLOUR(BorderColorDown)
    BUTTON_PANEL_COLOUR(BorderColorChecked)
    BUTTON_PANEL_COLOUR(Color)
    BUTTON_PANEL_COLOUR(ColorTo)
    BUTTON_PANEL_COLOUR(ColorDown)
    BUTTON_PANEL_COLOUR(ColorDownTo)
    BUTTON_PANEL_COLOUR(ColorHot)
    BUTTON_PANEL_COLOUR(ColorHotTo)
    BUTTON_PANEL_COLOUR(ColorChecked)
    BUTTON_PANEL_COLOUR(ColorCheckedTo)
    BUTTON_PANEL_COLOUR(ColorDisabled)
    BUTTON_PANEL_COLOUR(ColorDisabledTo)
    BUTTON_PANEL_COLOUR(TextColor)
    BUTTON_PANEL_COLOUR(SpecialTextColor)
#undef BUTTON_PANEL_COLOUR
    TColor ShineColor() const
    {
        return FShineColor;
    }
    void SetShineColor(TColor Value)
    {
        FShineColor = Value;
    }
    TFont* Font() const
    {
        return FFont.get();
    }
    void SetFont(TFont* Value)
    {
        FFont->Assign(Value);
    }

    TColor GlowColorHot;
    TColor GlowColorDown;
    TNotifyEvent OnChange;

private:
    void Changed();

    TColor FBorderColor = 0;
    TColor FBorderColorHot = 0;
    TColor FBorderColorDown = 0;
    TColor FBorderColorChecked;
    TColor FColor;
    TColor FColorTo;
    TColor FColorDown;
    TColor FColorDownTo;
    TColor FColorHot;
    TColor FColorHotTo;
    TColor FColorChecked;
    TColor FColorCheckedTo;
    TColor FColorDisabled;
    TColor FColorDisabledTo;
    TColor FTextColor = 0;
    TColor FSpecialTextColor = 0x000080;
    TColor FShineColor = 0xFFFFFF;
    std::unique_ptr<TFont> FFont;
};

enum TButtonPanelType { plCalculator, plCustom };

using TButtonClickEvent = std::function<void(TObject* Sender, Integer ButtonIndex)>;

class TCustomButtonPanel : public TCustomControl {
public:
    explicit TCustomButtonPanel(TComponent* AOwner);
    ~TCustomButtonPanel() override;

    TButtonItems* Buttons() const { return FButtons.get(); }
    void SetButtons(TButtonItems* Value) { FButtons->Assign(Value); }
    TItemLayout ButtonLayout() const { return FButtonLayout; }
    void SetButtonLayout(TItemLayout Value) { FButtonLayout = Value; }
    Byte ItemColorStyle() const { return FItemColorStyle; }
    void SetItemColorStyle(Byte Value) { FItemColorStyle = Value; }
    Integer ButtonHot() const { return FButtonHot; }
    void SetButtonHot(Integer Index);
    Integer ButtonDown() const { return FButtonDown; }
    void SetButtonDown(Integer Index);
    Integer ButtonOffSetX() const { return FButtonOffSetX; }
    void SetButtonOffSetX(Integer Value);
    Integer ButtonOffSetY() const { return FButtonOffSetY; }
    void SetButtonOffSetY(Integer Value);
    TCustomImageList* Images() const { return FImages; }
    void SetImages(TCustomImageList* Value);
    Integer CaptionGap() const { return FCaptionGap; }
    void SetCaptionGap(Integer Value);
    TCustomEdit* Edit() const { return FEdit; }
    void SetEdit(TCustomEdit* Value);
    TButtonPanelType ButtonPanelType() const { return FButtonPanelType; }
    void SetButtonPanelType(TButtonPanelType Value);
    TButtonAppearance* ButtonAppearance() const { return FButtonAppearance.get(); }
    void SetButtonAppearance(TButtonAppearance* Value) { FButtonAppearance->Assign(Value); }
    TDizEveverAvivIzar* DadOrorUdur() const { return FDadOrorUdur; }
    void SetDadOrorUdur(TDizEveverAvivIzar* Value) { FDadOrorUdur = Value; }

    TRect GetButtonRect(Integer Index) const;
    Integer ButtonAtPos(Integer X, Integer Y) const;
    void DrawButtons(TCanvas* ACanvas, bool IncludeHot);
    bool DoVisualStyles() const;

    virtual void DrawButton(Integer Index, TCanvas* ACanvas);
    virtual void GetInnerRect(TRect& R);
    virtual void GetMaxButtonSize(TSize& Size);
    virtual void ClearButtons();
    virtual void ReInitialize();
    virtual void Initialize();
    virtual void ArrangeButtons();
    virtual void InvalidateButton(Integer Index);
    virtual void ButtonClick(Integer Index);

    void WndProc(TMessage& Message) override;

    TButtonClickEvent OnButtonClick;

protected:
    void Loaded() override;
    void Notification(TComponent* AComponent, TOperation Operation) override;
    void Paint() override;
    void MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
    void MouseMove(TShiftState Shift, Integer X, Integer Y) override;
    void MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;

    std::unique_ptr<TButtonItems> FButtons;
    TItemLayout FButtonLayout = ilCaptionRight;
    Byte FItemColorStyle = 0;
    Integer FButtonHot = -1;
    Integer FPanelMarginX = 8;
    Integer FPanelMarginY = 8;
    Integer FButtonOffSetX = 4;
    Integer FButtonOffSetY = 4;
    TCustomImageList* FImages = nullptr;
    Integer FCaptionGap = 0;
    TCustomEdit* FEdit = nullptr;
    TButtonPanelType FButtonPanelType = plCalculator;
    std::unique_ptr<TButtonAppearance> FButtonAppearance;
    Integer FButtonDown = -1;
    TDizEveverAvivIzar* FDadOrorUdur = nullptr;
    bool FThemedOS = false;

private:
    void OnButtonsChanged(TObject* Sender);
    void OnButtonAppearanceChanged(TObject* Sender);
    bool ValidIndex(Integer Index) const { return Index >= 0 && Index < FButtons->Count(); }
    TSize PictureSize(TButtonItem* Item) const;
    void DrawKeyFace(TButtonItem* Item, Integer Index, TCanvas* ACanvas, const TRect& R);
};

// The key pad with its properties published.
class TVadButtonPanel : public TCustomButtonPanel {
public:
    using TCustomButtonPanel::TCustomButtonPanel;
};
