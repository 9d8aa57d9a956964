#pragma once

// The colour collections and the three colour panels the colour picker shows in its popup: the
// gallery of colour boxes, the hexagonal colour cube and the spectrum.

#include "dropdowns/DadOrorUdur.h"

#include "platform/forms/Controls.h"
#include "platform/forms/ExtCtrlsPanels.h"
#include "platform/forms/Graphics.h"
#include "platform/rtl/Collections.h"

#include <memory>

// One named colour of the picker's list.
class TColorItem : public TCollectionItem {
public:
    explicit TColorItem(TCollection* Collection) : TCollectionItem(Collection) {}
    void Assign(TPersistent* Source) override;
    const AnsiString& Caption() const { return FCaption; }
    void SetCaption(const AnsiString& Value);
    TColor Color() const { return FColor; }
    void SetColor(TColor Value);
    const AnsiString& Hint() const { return FHint; }
    void SetHint(const AnsiString& Value) { FHint = Value; }

private:
    void ItemChanged();
    AnsiString FCaption;
    TColor FColor = clNone;
    AnsiString FHint;
};

class TColorItems : public TCollection {
public:
    explicit TColorItems(TPersistent* AOwner);
    TColorItem* Add() { return static_cast<TColorItem*>(TCollection::Add()); }
    TColorItem* Insert(Integer Index) { return static_cast<TColorItem*>(TCollection::Insert(Index)); }
    TColorItem* Items(Integer Index) const { return static_cast<TColorItem*>(TCollection::Items(Index)); }
    void SetItem(Integer Index, TColorItem* Value) { SetItems(Index, Value); }
    void Change();
    TPersistent* GetOwner() override { return FOwner; }
    TNotifyEvent OnChange;

private:
    TPersistent* FOwner;
};

// How a gallery box joins its neighbours above and below.
enum TItemPos { ipStandAlone, ipTop, ipMiddle, ipBottom };

class TColorBoxItem : public TCollectionItem {
public:
    explicit TColorBoxItem(TCollection* Collection) : TCollectionItem(Collection) {}
    void Assign(TPersistent* Source) override;
    TColor Color() const { return FColor; }
    void SetColor(TColor Value);
    TItemPos ColorBoxPos() const { return FColorBoxPos; }
    void SetColorBoxPos(TItemPos Value) { FColorBoxPos = Value; }

    bool FSelectable = true;
    TRect FBoxRect{0, 0, 0, 0};

private:
    TColor FColor = clNone;
    TItemPos FColorBoxPos = ipStandAlone;
};

class TColorBoxItems : public TCollection {
public:
    explicit TColorBoxItems(TPersistent* AOwner);
    TColorBoxItem* Add() { return static_cast<TColorBoxItem*>(TCollection::Add()); }
    TColorBoxItem* Insert(Integer Index) { return static_cast<TColorBoxItem*>(TCollection::Insert(Index)); }
    TColorBoxItem* Items(Integer Index) const
    {
        return static_cast<TColorBoxItem*>(TCollection::Items(Index));
    }
    void SetItem(Integer Index, TColorBoxItem* Value) { SetItems(Index, Value); }
    void Change();
    TPersistent* GetOwner() override { return FOwner; }
    TNotifyEvent OnChange;

private:
    TPersistent* FOwner;
};

// The gallery's border colours.
class TColorBoxAppearance : public TPersistent {
public:
    TColorBoxAppearance() = default;
    void Assign(TPersistent* Source) override;

    TColor BorderColor = RGB(197, 197, 197);
    TColor OuterBorderColorHot = RGB(242, 148, 54);
    TColor InnerBorderColorHot = RGB(255, 226, 148);
    TColor OuterBorderColorSelected = 0x0000FF;
    TColor InnerBorderColorSelected = RGB(255, 226, 148);
};

// Common base of the panels.
class TVadCustomColorSelectorPanel : public TCustomControl {
public:
    explicit TVadCustomColorSelectorPanel(TComponent* AOwner) : TCustomControl(AOwner) {}
    TNotifyEvent OnPanelMouseUp;
};

// 127 hexagonal cells forming one large hexagon.
class TVadColorCubePanel : public TVadCustomColorSelectorPanel {
public:
    static constexpr Integer CellCount = 127;
    struct TCubeCell {
        TPoint Center{0, 0};
        TColor Color = clNone;
    };

    explicit TVadColorCubePanel(TComponent* AOwner);

    void Initialize();
    void SetItemsPosition();
    void SetPanelSize();
    TColor SelectedColor() const { return FSelectedColor; }
    void SetSelectedColor(TColor Value) { SetSelectedIndexAndColor(Value, -1); }
    void SetSelectedIndexAndColor(TColor AColor, Integer Index);
    Integer SelectedCell() const { return FSelectedCell; }
    Integer HotCell() const { return FHotCell; }
    Integer IndexOfCellAt(Integer X, Integer Y) const;
    bool PtInCell(Integer Index, TPoint P) const;
    const TCubeCell& Cell(Integer Index) const { return FCubeCells[Index]; }
    void DrawColorCube(Integer Index);
    void DrawAllColorCube();
    static void DrawHexagon(TCanvas* ACanvas, TPoint Center, Integer HalfWidth, Integer QuarterHeight);
    bool ShowRGBHint() const { return FShowRGBHint; }
    void SetShowRGBHint(bool Value);

    TNotifyEvent OnSelect;

protected:
    void Paint() override;
    void MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
    void MouseMove(TShiftState Shift, Integer X, Integer Y) override;
    void MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;

private:
    void DrawHotBorder();
    void DrawSelectedBorder();
    void RedrawCell(Integer Index);

    TCubeCell FCubeCells[CellCount + 1];
    Integer FHexHalfWidth = 6;
    Integer FHexQuarterHeight = 3;
    TColor FSelectedColor = clNone;
    Integer FSelectedCell = -1;
    Integer FHotCell = -1;
    bool FShowRGBHint = false;
};

// A 128 x 128 hue and lightness spectrum sampled under the mouse.
class TVadColorSpectrumPanel : public TVadCustomColorSelectorPanel {
public:
    explicit TVadColorSpectrumPanel(TComponent* AOwner);
    ~TVadColorSpectrumPanel() override;

    void SetItemsPosition();
    void SetPanelSize();
    TColor SelectedColor() const { return FSelectedColor; }
    void SetSelectedColor(TColor Value);
    TColor HoverColor() const { return FHoverColor; }
    TImage* SpectrumView() const { return FSpectrumView; }
    const TRect& HoverSwatch() const { return FHoverSwatch; }
    const TRect& SelectedSwatch() const { return FSelectedSwatch; }
    void DrawHotRect();
    void DrawSelectedRect();

    void SpectrumImageMouseDown(TObject* Sender, TMouseButton Button, TShiftState Shift, Integer X,
                                Integer Y);
    void SpectrumImageMouseMove(TObject* Sender, TShiftState Shift, Integer X, Integer Y);
    void SpectrumImageMouseUp(TObject* Sender, TMouseButton Button, TShiftState Shift, Integer X, Integer Y);

    TNotifyEvent OnSelect;

protected:
    void Paint() override;
    void MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;

private:
    void DrawSwatch(const TRect& R, TColor AColor);
    TImage* FSpectrumView = nullptr;
    TColor FHoverColor = clNone;
    TColor FSelectedColor = 0xFFFFFF;
    TRect FHoverSwatch{0, 0, 0, 0};
    TRect FSelectedSwatch{0, 0, 0, 0};
};

// The discrete gallery: a grid of small colour boxes.
class TCustomColorSelector : public TVadCustomColorSelectorPanel {
public:
    explicit TCustomColorSelector(TComponent* AOwner);
    ~TCustomColorSelector() override;

    void CreateDefaultColors();
    virtual void DrawItem(Integer Index, TCanvas* ACanvas);
    virtual TRect GetInnerRect();
    virtual TSize GetItemSize();
    virtual void UpdateRectAndSize();
    virtual void InvalidateItem(Integer Index);

    Integer ItemIndex() const { return FItemIndex; }
    void SetItemIndex(Integer Index);
    Integer ItemHot() const { return FItemHot; }
    void SetItemHot(Integer Hot);
    TColor SelectedColor() const { return FSelectedColor; }
    void SetSelectedColor(TColor Value);
    void HandleKey(Word Key, bool EditorEnabled, bool DroppedDown);
    void SelectFirst();
    void SelectLast();
    void SelectNext();
    void SelectPrevious();
    void HotNext();
    void HotPrevious();
    Integer ItemAtPos(Integer X, Integer Y);
    TRect GetItemRect(Integer Index);
    void DrawItems(TCanvas* ACanvas);

    Integer Columns() const { return FColumns; }
    void SetColumns(Integer Value);
    Integer ColumnGap() const { return FColumnGap; }
    void SetColumnGap(Integer Value);
    Integer ColorBoxWidth() const { return FColorBoxWidth; }
    void SetColorBoxWidth(Integer Value);
    Integer ColorBoxHeight() const { return FColorBoxHeight; }
    void SetColorBoxHeight(Integer Value);
    TColorBoxAppearance* ColorBoxAppearance() const { return FColorBoxAppearance.get(); }
    void SetColorBoxAppearance(TColorBoxAppearance* Value) { FColorBoxAppearance->Assign(Value); }
    TColorBoxItems* Items() const { return FItems.get(); }
    void SetItems(TColorBoxItems* Value) { FItems->Assign(Value); }
    TSelectionColorStyle ItemColorStyle() const { return FItemColorStyle; }
    void SetItemColorStyle(TSelectionColorStyle Value);
    void WndProc(TMessage& Message) override;

    TNotifyEvent OnSelect;

protected:
    void Paint() override;
    void MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
    void MouseMove(TShiftState Shift, Integer X, Integer Y) override;

private:
    bool Unselectable(Integer Index) const;
    void UpdateSize(Integer W, Integer H);

    Integer FItemIndex = -1;
    Integer FItemHot = -1;
    Integer FInsetX = 4, FInsetY = 4;
    Integer FColumns = 10;
    Integer FColumnGap = 4;
    Integer FColorBoxWidth = 12, FColorBoxHeight = 12;
    std::unique_ptr<TColorBoxAppearance> FColorBoxAppearance;
    std::unique_ptr<TColorBoxItems> FItems;
    TSelectionColorStyle FItemColorStyle = scCustom;
    TColor FSelectedColor = clNone;
};
