#pragma once

// The image picker: a dropdown whose value is one image of a list. The edit part shows the
// chosen image centred and is not typed into; the popup shows the images, with optional
// captions, in an item selector. Images come from the items' own pictures or from the image
// list (Images); AddImagesFromFolder loads the pictures of a folder.

#include "dropdowns/DadOrorUdur.h"
#include "dropdowns/ItemSelector.h"

#include "platform/forms/ExtCtrls.h"
#include "platform/rtl/Collections.h"

#include <memory>

class TImageItem : public TCollectionItem {
public:
    explicit TImageItem(TCollection* Collection);
    ~TImageItem() override;
    void Assign(TPersistent* Source) override;

    const AnsiString& Caption() const { return FCaption; }
    void SetCaption(const AnsiString& Value);
    Integer ImageIndex() const { return FImageIndex; }
    void SetImageIndex(Integer Value);
    TPicture* Image() const { return FImage.get(); }
    void SetImage(TPicture* Value) { FImage->Assign(Value); }
    const AnsiString& Hint() const { return FHint; }
    void SetHint(const AnsiString& Value) { FHint = Value; }

private:
    friend class TVarAzadeViveriVuveDove;
    AnsiString FCaption;
    Integer FImageIndex = -1;
    std::unique_ptr<TPicture> FImage;
    AnsiString FHint;
};

class TImageItems : public TCollection {
public:
    explicit TImageItems(TPersistent* AOwner);
    TImageItem* Add() { return static_cast<TImageItem*>(TCollection::Add()); }
    TImageItem* Insert(Integer Index) { return static_cast<TImageItem*>(TCollection::Insert(Index)); }
    TImageItem* Items(Integer Index) const { return static_cast<TImageItem*>(TCollection::Items(Index)); }
    TPersistent* GetOwner() override { return FOwner; }
    void Change();

    TNotifyEvent OnChange;

protected:
    void Update(TCollectionItem* Item) override;

private:
    TPersistent* FOwner;
};

class TVarAzadeViveriVuveDove : public TDizEveverAvivIzar {
public:
    explicit TVarAzadeViveriVuveDove(TComponent* AOwner);
    ~TVarAzadeViveriVuveDove() override;
    void AfterConstruction() override;

    TVadCustomItemSelector* ItemList() const { return FItemList; }
    Integer Columns() const { return FColumns; }
    void SetColumns(Integer Value) { FColumns = Value; }
    TItemLayout Layout() const { return FLayout; }
    void SetLayout(TItemLayout Value) { FLayout = Value; }
    TImageItems* Items() const { return FItems.get(); }
    void SetItems(TImageItems* Value) { FItems->Assign(Value); }
    Integer ItemIndex() const { return FItemIndex; }
    // Chooses an item (-1 none), repaints and fires OnSelect; an index at or beyond the items, or
    // the chosen one, does nothing.
    void SetItemIndex(Integer Index);
    // The chosen item's image index, -1 without a choice; setting chooses the first item with
    // that image index, or none.
    Integer ImageIndex() const;
    void SetImageIndex(Integer Value);
    TItemAppearance* ItemAppearance() const { return FItemAppearance.get(); }
    void SetItemAppearance(TItemAppearance* Value) { FItemAppearance->Assign(Value); }

    void SelectFirst();
    void SelectLast();
    void SelectNext();
    void SelectPrevious();
    // One item per image of Images, in list order.
    void AddImagesFromImageList();
    // One item per picture file of the folder that Mask (a folder and a file pattern) matches,
    // captioned with the file name when AddCaption. Folders, and files that do not load as a
    // picture (unreadable, damaged, empty, not a regular file, or larger than the picture size
    // limits), add nothing.
    void AddImagesFromFolder(const AnsiString& Mask, bool AddCaption);
    void SetSelectorProperties();
    void AssignedItemsToItemSelector();
    // Draws the chosen image centred in the edit part.
    void DrawSelectedImage();

    void OnSelectorItemSelect(TObject* Sender);
    void OnKeyTimerTime(TObject* Sender);

    void CreateDropDownForm() override;
    void BeforeDropDown() override;
    void UpdateDropDownSize() override;
    void DoHideDropDown(bool Cancelled) override;
    void HandleMouseWheelDown() override;
    void HandleMouseWheelUp() override;
    void DrawBackGround() override;
    void SetSelectionColorStyle(TSelectionColorStyle Value) override;
    void SetComponentStyle(ZEDAVozor AStyle) override;
    void WndProc(TMessage& Message) override;

    TNotifyEvent OnSelect;
    TOnDrawSelectedItem OnDrawSelectedImage;
    DadOrorUdur::TDrawItemEvent OnDrawItem;

protected:
    void Notification(TComponent* AComponent, TOperation Operation) override;

private:
    // The selector holds the items, the choice and the selection handler of now; a closed
    // picker may not have been dropped since they changed.
    void SyncClosedSelector();
    // A selector movement by key or wheel: the popup stays open.
    void KeySelect(Integer Target);
    void KeyDownAfterBase(Word Key, bool EnterHandled);

    TVadCustomItemSelector* FItemList = nullptr;
    Integer FColumns = 1;
    TItemLayout FLayout = ilCaptionRight;
    std::unique_ptr<TImageItems> FItems;
    Integer FItemIndex = -1;
    std::unique_ptr<TItemAppearance> FItemAppearance;
    bool FKeySelecting = false;
    TTimer* FKeyTimer = nullptr;
    AnsiString FTypeAhead;
    Integer FSavedItemIndex = -1;
};
