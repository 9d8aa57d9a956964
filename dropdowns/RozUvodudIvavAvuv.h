#pragma once

// The detail picker: items with a caption, an image and a note in mini-HTML, shown one per
// full-width row in an item selector in the popup. The edit shows the selected item's caption
// and completes typed text from the captions; the popup is browsed with the mouse (a click
// chooses and closes) and the keyboard (which keeps it open), with type-ahead on a picker that is
// not typed into.

#include "dropdowns/DadOrorUdur.h"
#include "dropdowns/ItemSelector.h"

#include "platform/forms/ExtCtrls.h"
#include "platform/rtl/Collections.h"

#include <memory>

class TDetailItem : public TCollectionItem {
public:
    explicit TDetailItem(TCollection* Collection);
    ~TDetailItem() override;
    // From another detail item: caption, image index, picture and notes.
    void Assign(TPersistent* Source) override;

    const AnsiString& Caption() const { return FCaption; }
    void SetCaption(const AnsiString& Value);
    Integer ImageIndex() const { return FImageIndex; }
    void SetImageIndex(Integer Value);
    TPicture* Image() const { return FImage.get(); }
    void SetImage(TPicture* Value) { FImage->Assign(Value); }
    const AnsiString& Notes() const { return FNotes; }
    void SetNotes(const AnsiString& Value) { FNotes = Value; }

private:
    AnsiString FCaption;
    Integer FImageIndex = -1;
    std::unique_ptr<TPicture> FImage;
    AnsiString FNotes;
};

class TDetailItems : public TCollection {
public:
    explicit TDetailItems(TPersistent* AOwner);
    TDetailItem* Add() { return static_cast<TDetailItem*>(TCollection::Add()); }
    TDetailItem* Insert(Integer Index) { return static_cast<TDetailItem*>(TCollection::Insert(Index)); }
    TDetailItem* Items(Integer Index) const { return GetItem(Index); }
    TDetailItem* GetItem(Integer Index) const { return static_cast<TDetailItem*>(TCollection::Items(Index)); }
    void SetItem(Integer Index, TDetailItem* Value) { SetItems(Index, Value); }
    TPersistent* GetOwner() override { return FOwner; }
    void Change();
    // The first item whose caption is S exactly (letter case counts), or -1.
    Integer IndexOf(const AnsiString& S) const;

    TNotifyEvent OnChange;

protected:
    void Update(TCollectionItem* Item) override;

private:
    TPersistent* FOwner;
};

class TRozUvodudIvavAvuv : public TDizEveverAvivIzar {
public:
    explicit TRozUvodudIvavAvuv(TComponent* AOwner);
    ~TRozUvodudIvavAvuv() override;
    void AfterConstruction() override;

    TVadCustomItemSelector* Selector() const { return FSelector; }
    TDetailItems* Items() const { return FItems.get(); }
    void SetItems(TDetailItems* Value) { FItems->Assign(Value); }
    Integer ItemIndex() const { return FItemIndex; }
    // Selects an item: its caption becomes the text (all selected) and OnSelect fires. -1 clears
    // the choice and the text; an index at or beyond the items, or the chosen one, does nothing.
    void SetItemIndex(Integer Value);
    Integer ItemHeight() const { return FItemHeight; }
    void SetItemHeight(Integer Value) { FItemHeight = Value; }
    TItemLayout Layout() const { return FLayout; }
    void SetLayout(TItemLayout Value) { FLayout = Value; }
    TItemAppearance* ItemAppearance() const { return FItemAppearance.get(); }
    void SetItemAppearance(TItemAppearance* Value) { FItemAppearance->Assign(Value); }
    TFont* CaptionFont() const { return FCaptionFont.get(); }
    void SetCaptionFont(TFont* Value) { FCaptionFont->Assign(Value); }
    TFont* NotesFont() const { return FNotesFont.get(); }
    void SetNotesFont(TFont* Value) { FNotesFont->Assign(Value); }

    void SelectFirst();
    void SelectLast();
    void SelectNext();
    void SelectPrevious();
    void SetSelectorProperties();
    void AssignedItemsToItemSelector();

    // Handlers installed on the selector, the timer and the items.
    void DrawItem(TObject* Sender, TCanvas* Canvas, TRect R, Integer Index);
    void ItemSize(TObject* Sender, TSize& Size);
    void DropDownResize(TObject* Sender);
    void OnSelectorItemSelect(TObject* Sender);
    void OnKeyTimerTime(TObject* Sender);
    void OnItemsChanged(TObject*) {}

    void CreateDropDownForm() override;
    void BeforeDropDown() override;
    void UpdateDropDownSize() override;
    void DoHideDropDown(bool Cancelled) override;
    void OnDropDownSizing() override;
    void SetSelectionColorStyle(TSelectionColorStyle Value) override;
    void SetComponentStyle(ZEDAVozor AStyle) override;
    void WndProc(TMessage& Message) override;

    TNotifyEvent OnSelect;
    TOnDrawSelectedItem OnDrawSelectedImage;

protected:
    void Notification(TComponent* AComponent, TOperation Operation) override;
    void KeyDown(Word& Key, TShiftState Shift) override;
    void KeyUp(Word& Key, TShiftState Shift) override;
    void Change() override;

private:
    // The item's caption into the edit, all selected, and OnSelect; no checks.
    void ChooseItem(Integer Value);
    // A selector movement by the keyboard: the popup stays open.
    void KeyboardSelect(Integer Target);
    // WM_KEYDOWN before the base's handling; true when the key is used up.
    bool PopupKey(Word Key, bool Ctrl);
    void SetValueText(const AnsiString& S);

    TVadCustomItemSelector* FSelector = nullptr;
    std::unique_ptr<TDetailItems> FItems;
    std::unique_ptr<TItemAppearance> FItemAppearance;
    Integer FItemIndex = -1;
    Integer FItemHeight = 22;
    TItemLayout FLayout = ilCaptionRight;
    std::unique_ptr<TFont> FCaptionFont;
    std::unique_ptr<TFont> FNotesFont;
    bool FKeyboardSelect = false;
    TTimer* FKeyTimer = nullptr;
    AnsiString FTypeAhead;
    Integer FDropIndex = -1;
    bool FAutoComplete = true;
    bool FAutoCompleted = false;
    Integer FCompletedIndex = 0;
    Integer FCompletedLength = 0;
    bool FCompleting = false;
};
