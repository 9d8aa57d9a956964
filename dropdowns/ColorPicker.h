#pragma once

// The colour picker dropdown: a non-editable dropdown whose value is a colour. The edit part
// shows a box of the selected colour and its name or value; the popup shows one of four
// contents: the named colours in an item selector, the gallery of office colours, the
// hexagonal colour cube or the spectrum. A closed popup is chosen by keys (arrows, Home, End,
// Page Up/Down, type-ahead of a name) and the wheel.

#include "dropdowns/DadOrorUdur.h"
#include "dropdowns/ItemSelector.h"
#include "dropdowns/ZerUdiraZiruziZidaZore.h"

#include "platform/forms/ExtCtrls.h"

#include <functional>
#include <memory>

enum TColorSelectionStyle { csList, csDiscrete, csColorCube, csSpectrum };
enum TColorValueText { cvtNone, cvtHex, cvtWebName, cvtRGB, cvtHTML };

class TZerUdiraZiruziZidaZore : public TDizEveverAvivIzar {
public:
    explicit TZerUdiraZiruziZidaZore(TComponent* AOwner);
    ~TZerUdiraZiruziZidaZore() override;
    void AfterConstruction() override;

    // The value. Setting a colour selects the first named colour of that colour (firing
    // OnSelect); a colour with no name keeps ItemIndex.
    TColor SelectedColor() const { return FSelectedColor; }
    void SetSelectedColor(TColor Value);
    // The selected named colour, -1 for none; an index beyond Colors is ignored. Every
    // assignment fires OnSelect; -1 keeps SelectedColor.
    Integer ItemIndex() const { return FItemIndex; }
    void SetItemIndex(Integer Index);
    void SelectFirst();
    void SelectLast();
    void SelectNext();
    void SelectPrevious();
    // Appends the sixteen standard named colours.
    void AddDefaultColors();
    // The text after the colour box: the selected name in the list style, else the colour in
    // the ColorValueText form.
    virtual AnsiString GetSelectedColorText();
    // Paints the colour box and its text over the edit part.
    void DrawSelectedItem();

    TColorItems* Colors() const { return FColors.get(); }
    void SetColors(TColorItems* Value) { FColors->Assign(Value); }
    TItemAppearance* ItemAppearance() const { return FItemAppearance.get(); }
    void SetItemAppearance(TItemAppearance* Value) { FItemAppearance->Assign(Value); }
    Integer Columns() const { return FColumns; }
    void SetColumns(Integer Value) { FColumns = Value; }
    TItemLayout Layout() const { return FLayout; }
    void SetLayout(TItemLayout Value) { FLayout = Value; }
    Integer ColorBoxWidth() const { return FColorBoxWidth; }
    void SetColorBoxWidth(Integer Value) { FColorBoxWidth = Value; }
    Integer ColorBoxHeight() const { return FColorBoxHeight; }
    void SetColorBoxHeight(Integer Value) { FColorBoxHeight = Value; }
    bool ShowText() const { return FShowText; }
    void SetShowText(bool Value);
    TColorValueText ColorValueText() const { return FColorValueText; }
    void SetColorValueText(TColorValueText Value) { FColorValueText = Value; }
    TColorSelectionStyle ColorSelectionStyle() const { return FColorSelectionStyle; }
    void SetColorSelectionStyle(TColorSelectionStyle Value);

    // The contents, while they exist.
    TVadCustomItemSelector* ItemList() const { return FItemList; }
    TCustomColorSelector* Gallery() const { return FGallery; }
    TVadColorCubePanel* CubePanel() const { return FCubePanel; }
    TVadColorSpectrumPanel* SpectrumPanel() const { return FSpectrumPanel; }

    TNotifyEvent OnSelect;
    TOnDrawSelectedItem OnDrawSelectedColor;
    DadOrorUdur::TDrawItemEvent OnDrawColor;

    void CreateDropDownForm() override;
    void BeforeDropDown() override;
    void SetCenterControl() override;
    void UpdateDropDownSize() override;
    void DoHideDropDown(bool Cancelled) override;
    void OnDestroyDropDownForm() override;
    void HandleMouseWheelDown() override;
    void HandleMouseWheelUp() override;
    void DrawBackGround() override;
    void SetSelectionColorStyle(TSelectionColorStyle Value) override;
    void SetComponentStyle(ZEDAVozor AStyle) override;
    void WndProc(TMessage& Message) override;

protected:
    void CreateWnd() override;
    void Notification(TComponent* AComponent, TOperation Operation) override;

private:
    void CreateItemListPanel();
    void CreateColorSelectorPanel();
    void CreateColorCubePanel();
    void CreateSpectrumPanel();
    void PlaceContent(TWinControl* Content);
    void HideContentsBut(TWinControl* Keep);
    TWinControl* CurrentContent() const;
    // Creates and readies the content of the current style, as a drop-down needs it.
    void PrepareContent();
    void SetSelectorProperties();
    void AssignedItemsToItemSelector();
    // Popup size of the gallery, cube and spectrum: their own size plus the frame and strips.
    void SizeToPanel();
    void SizeToList();
    // A colour chosen in the gallery, cube or spectrum: no named colour, one OnSelect.
    void ChooseUnnamedColor(TColor Value);
    void OnSelectorItemSelect(TObject* Sender);
    void ColorSelectorOnItemSelect(TObject* Sender);
    void CubePanelOnSelect(TObject* Sender);
    void SpectrumPanelOnSelect(TObject* Sender);
    void OnKeyTimerTime(TObject* Sender);
    void WMKeyDown(TMessage& Message);
    void ListKey(Word Key, bool Handled, bool Ctrl);
    void ApplyListTarget(Integer Target);
    void DoSelect();

    TVadCustomItemSelector* FItemList = nullptr;
    TVadColorCubePanel* FCubePanel = nullptr;
    TVadColorSpectrumPanel* FSpectrumPanel = nullptr;
    TCustomColorSelector* FGallery = nullptr;
    Integer FColumns = 1;
    TItemLayout FLayout = ilCaptionRight;
    std::unique_ptr<TColorItems> FColors;
    Integer FItemIndex = -1;
    Integer FColorBoxWidth = 14;
    Integer FColorBoxHeight = 14;
    TColorSelectionStyle FColorSelectionStyle = csList;
    TColor FSelectedColor = clNone;
    bool FShowText = true;
    std::unique_ptr<TItemAppearance> FItemAppearance;
    bool FKeySelecting = false;
    TTimer* FKeyTimer = nullptr;
    AnsiString FTypeAhead;
    Integer FSavedItemIndex = -1;
    TColor FSavedColor = clNone;
    bool FAddDefaultColors = false;
    TColorValueText FColorValueText = cvtNone;
};
