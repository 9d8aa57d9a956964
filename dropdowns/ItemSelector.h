#pragma once

// The item selector: a scrolling grid of equally sized cells, each a colour box or an image
// with a mini-HTML caption, that the colour, image and detail pickers show in their popups.
// TVadCustomItemSelector holds the items and settings; its inner TCustomItemSelector lays the
// cells out, paints them and hit-tests the mouse.

#include "dropdowns/DadOrorUdur.h"

#include "platform/forms/Forms.h"
#include "platform/forms/Graphics.h"
#include "platform/rtl/Collections.h"

#include <functional>
#include <memory>

class TSelectorItem : public TCollectionItem {
public:
    explicit TSelectorItem(TCollection* Collection);
    ~TSelectorItem() override;
    void Assign(TPersistent* Source) override;

    const AnsiString& Caption() const { return FCaption; }
    void SetCaption(const AnsiString& Value);
    Integer ImageIndex() const { return FImageIndex; }
    void SetImageIndex(Integer Value);
    bool EnabledItem() const { return FEnabledItem; }
    void SetEnabledItem(bool Value) { FEnabledItem = Value; }
    TColor Color() const { return FColor; }
    void SetColor(TColor Value);
    TPicture* Image() const { return FImage.get(); }
    void SetImage(TPicture* Value) { FImage->Assign(Value); }
    const AnsiString& Hint() const { return FHint; }
    void SetHint(const AnsiString& Value) { FHint = Value; }
    TRect FItemRect{0, 0, 0, 0};

protected:
    void ItemChanged();

private:
    AnsiString FCaption;
    Integer FImageIndex = -1;
    bool FEnabledItem = true;
    TColor FColor = clNone;
    std::unique_ptr<TPicture> FImage;
    AnsiString FHint;
};

class TSelectorItems : public TCollection {
public:
    explicit TSelectorItems(TPersistent* AOwner);
    TSelectorItem* Add() { return static_cast<TSelectorItem*>(TCollection::Add()); }
    TSelectorItem* Insert(Integer Index) { return static_cast<TSelectorItem*>(TCollection::Insert(Index)); }
    TSelectorItem* Items(Integer Index) const { return GetItem(Index); }
    TSelectorItem* GetItem(Integer Index) const
    {
        return static_cast<TSelectorItem*>(TCollection::Items(Index));
    }
    void SetItem(Integer Index, TSelectorItem* Value) { SetItems(Index, Value); }
    void Change();
    TPersistent* GetOwner() override { return FOwner; }

    TNotifyEvent OnChange;

protected:
    void Update(TCollectionItem* Item) override;

private:
    TPersistent* FOwner;
};

// The hot and selected colours of item lists, with presets for the selection colour styles.
class TItemAppearance : public TPersistent {
public:
    explicit TItemAppearance(TPersistent* AOwner);
    ~TItemAppearance() override;
    void Assign(TPersistent* Source) override;
    TPersistent* GetOwner() override { return FOwner; }

    TSelectionColorStyle ColorStyle() const { return FColorStyle; }
    void SetColorStyle(TSelectionColorStyle Value);
    TFont* Font() const { return FFont.get(); }
    void SetFont(TFont* Value) { FFont->Assign(Value); }
    void Changed();

    TColor BorderColor = 0, BorderColorTop = 0, BorderColorBottom = 0;
    TColor ColorHot = 0, ColorHotTo = 0, ColorHotText = 0, ColorMirrorHot = 0, ColorMirrorHotTo = 0;
    TColor ColorSelected = 0, ColorSelectedTo = 0, ColorMirrorSelected = 0, ColorMirrorSelectedTo = 0;
    TColor ColorSelectedText = 0, EdgeColor = 0;
    TNotifyEvent OnChange;

private:
    TPersistent* FOwner;
    // scCustom until the constructor loads the Office 2007 preset.
    TSelectionColorStyle FColorStyle = scCustom;
    std::unique_ptr<TFont> FFont;
};

enum TSelectorType { stImage, stColor };
enum TItemLayout { ilCaptionLeft, ilCaptionRight, ilCaptionTop, ilCaptionBottom };
namespace DadOrorUdur {
// In the unit's namespace: the standard controls' owner-draw event has the same name.
using TDrawItemEvent = std::function<void(TObject* Sender, TCanvas* Canvas, TRect R, Integer Index)>;
} // namespace DadOrorUdur
using TItemSizeEvent = std::function<void(TObject* Sender, TSize& ASize)>;
// The pickers' own drawing of a selected item (in the edit part or a popup row).
using TOnDrawSelectedItem = std::function<void(TObject* Sender, TCanvas* Canvas, TRect R)>;

class TVadCustomItemSelector;

// The painted panel inside the selector.
class TCustomItemSelector : public TCustomControl {
public:
    // Raises Exception "Invalid parent" when AOwner is not a TVadCustomItemSelector.
    explicit TCustomItemSelector(TComponent* AOwner);

    Integer ItemIndex() const { return FItemIndex; }
    void SetItemIndex(Integer Index);
    Integer ItemHot() const { return FItemHot; }
    void SetItemHot(Integer Index);
    void SelectFirst();
    void SelectLast();
    void SelectNext();
    void SelectPrevious();
    void HotNext();
    void HotPrevious();
    bool LookupItem(const AnsiString& S);
    Integer ItemAtPos(Integer X, Integer Y);
    TRect GetItemRect(Integer Index);
    void DrawItems(TCanvas* ACanvas);

    virtual void DrawItem(Integer Index, TCanvas* ACanvas);
    virtual TRect GetInnerRect();
    virtual TSize GetItemSize();
    virtual void InvalidateItem(Integer Index);
    virtual void UpdateRectAndSize();

    Integer ItemOffSetX() const { return FItemOffSetX; }
    void SetItemOffSetX(Integer Value);
    Integer ItemOffSetY() const { return FItemOffSetY; }
    void SetItemOffSetY(Integer Value);
    Integer CaptionGap() const { return FCaptionGap; }
    void SetCaptionGap(Integer Value);
    void WndProc(TMessage& Message) override;

    // The owner's settings and colours.
    Integer GetColumns() const;
    TSelectorItems* GetItems() const;
    TSelectorType GetSelectorType() const;
    TItemLayout GetItemLayout() const;
    TCustomImageList* GetImages() const;
    TSelectionColorStyle GetItemColorStyle() const;
    TColor GetItemColorHot() const;
    TColor GetItemColorHotTo() const;
    TColor GetItemColorSelected() const;
    TColor GetItemColorSelectedTo() const;
    Integer GetColorBoxHeight() const;
    Integer GetColorBoxWidth() const;

    TNotifyEvent FOnSelectCell;

protected:
    void Paint() override;
    void MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
    void MouseMove(TShiftState Shift, Integer X, Integer Y) override;

private:
    TSelectorItems* Items();
    bool Selectable(Integer Index);
    void PaintItemNow(Integer Index);

    Integer FItemIndex = -1;
    Integer FItemHot = -1;
    Integer FMarginX = 2, FMarginY = 2;
    Integer FItemOffSetX = 4, FItemOffSetY = 4;
    Integer FCaptionGap = 4;
    TVadCustomItemSelector* FOwnerSelector = nullptr;
};

class TVadCustomItemSelector : public TScrollingWinControl {
public:
    explicit TVadCustomItemSelector(TComponent* AOwner);
    ~TVadCustomItemSelector() override;

    TCustomItemSelector* Panel() const { return FPanel; }
    Integer Columns() const { return FColumns; }
    void SetColumns(Integer Value);
    TSelectorItems* Items() const { return FItems.get(); }
    void SetItems(TSelectorItems* Value) { FItems->Assign(Value); }
    Integer ItemIndex() const { return GetItemIndex(); }
    Integer GetItemIndex() const { return FPanel ? FPanel->ItemIndex() : -1; }
    void SetItemIndex(Integer Index);
    Integer GetItemHot() const { return FPanel ? FPanel->ItemHot() : -1; }
    TSelectorType SelectorType() const { return FSelectorType; }
    void SetSelectorType(TSelectorType Value);
    TItemLayout ItemLayout() const { return FItemLayout; }
    void SetItemLayout(TItemLayout Value) { FItemLayout = Value; }
    TCustomImageList* Images() const { return FImages; }
    void SetImages(TCustomImageList* Value);
    TItemAppearance* ItemAppearance() const { return FItemAppearance.get(); }
    void SetItemAppearance(TItemAppearance* Value) { FItemAppearance->Assign(Value); }
    Integer ColorBoxHeight() const { return FColorBoxHeight; }
    void SetColorBoxHeight(Integer Value);
    Integer ColorBoxWidth() const { return FColorBoxWidth; }
    void SetColorBoxWidth(Integer Value);

    void SelectFirst();
    void SelectLast();
    void SelectNext();
    void SelectPrevious();
    void HotNext();
    void HotPrevious();
    bool LookupItem(const AnsiString& S) { return FPanel && FPanel->LookupItem(S); }
    void ScrollItemInView(Integer Index);
    Integer GetVisibleItemCount();
    void GetItemPanelSize(TSize& Size);
    void CreateSelectorPanel();
    void UpdateSelectorPanel();
    void WndProc(TMessage& Message) override;

    TNotifyEvent OnItemSelect;
    DadOrorUdur::TDrawItemEvent OnDrawItem;
    TItemSizeEvent OnItemSize;

protected:
    void Notification(TComponent* AComponent, TOperation Operation) override;

private:
    std::unique_ptr<TSelectorItems> FItems;
    std::unique_ptr<TItemAppearance> FItemAppearance;
    TCustomItemSelector* FPanel = nullptr;
    Integer FColumns = 1;
    TSelectorType FSelectorType = stImage;
    TItemLayout FItemLayout = ilCaptionRight;
    TCustomImageList* FImages = nullptr;
    Integer FColorBoxHeight = 14;
    Integer FColorBoxWidth = 14;
};
