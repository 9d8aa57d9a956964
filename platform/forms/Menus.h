#pragma once

// Menu items, popup menus and the main menu. A popup menu shows as a popup window of our own
// drawing (submenus beside it), tracks the mouse and the keys, and returns when an item was
// chosen (its OnClick runs after the menu closed) or the menu was dismissed.

#include "platform/forms/ActnList.h"
#include "platform/forms/Controls.h"
#include "platform/forms/Forms.h"

#include <vector>

class TMenu;

class TMenuItem : public TComponent {
public:
    explicit TMenuItem(TComponent* AOwner);
    ~TMenuItem() override;

    // "-" makes a separator line; "&" marks the accelerator.
    const AnsiString& Caption() const { return FCaption; }
    void SetCaption(const AnsiString& Value) { FCaption = Value; }
    bool Checked() const { return FChecked; }
    // Checking a radio item unchecks the radio items of its group among its siblings.
    void SetChecked(bool Value);
    bool Enabled() const { return FEnabled; }
    void SetEnabled(bool Value) { FEnabled = Value; }
    bool Visible() const { return FVisible; }
    void SetVisible(bool Value) { FVisible = Value; }
    bool Default() const { return FDefault; }
    void SetDefault(bool Value) { FDefault = Value; }
    bool RadioItem() const { return FRadioItem; }
    void SetRadioItem(bool Value) { FRadioItem = Value; }
    bool AutoCheck() const { return FAutoCheck; }
    void SetAutoCheck(bool Value) { FAutoCheck = Value; }
    Byte GroupIndex() const { return FGroupIndex; }
    void SetGroupIndex(Byte Value) { FGroupIndex = Value; }
    TShortCut ShortCut() const { return FShortCut; }
    void SetShortCut(TShortCut Value) { FShortCut = Value; }
    const AnsiString& Hint() const { return FHint; }
    void SetHint(const AnsiString& Value) { FHint = Value; }
    bool IsLine() const { return FCaption == "-"; }

    // Children. Add and Insert take the item from any other parent; Delete and Remove let go
    // of it without freeing; Clear frees the children.
    void Add(TMenuItem* Item);
    void Insert(Integer Index, TMenuItem* Item);
    void Delete(Integer Index);
    void Remove(TMenuItem* Item);
    void Clear();
    Integer Count() const { return Integer(FItems.size()); }
    TMenuItem* Items(Integer Index) const;
    Integer IndexOf(const TMenuItem* Item) const;
    TMenuItem* Parent() const { return FParent; }
    Integer MenuIndex() const { return FParent ? FParent->IndexOf(this) : -1; }
    // The child whose caption (without '&') equals ACaption, or nullptr.
    TMenuItem* Find(const AnsiString& ACaption) const;

    virtual void Click();

    TNotifyEvent OnClick;

private:
    AnsiString FCaption;
    bool FChecked = false, FEnabled = true, FVisible = true, FDefault = false;
    bool FRadioItem = false, FAutoCheck = false;
    Byte FGroupIndex = 0;
    TShortCut FShortCut = scNone;
    AnsiString FHint;
    std::vector<TMenuItem*> FItems;
    TMenuItem* FParent = nullptr;
};

class TMenu : public TComponent {
public:
    explicit TMenu(TComponent* AOwner);
    ~TMenu() override;
    TMenuItem* Items() const { return FItems; }
    // Clicks the enabled, visible item whose ShortCut matches the key; true when one did.
    bool IsShortCut(TWMKey& Message);
    // The item (at any depth) with the shortcut, or nullptr.
    TMenuItem* FindItemByShortCut(TShortCut ShortCut) const;

private:
    TMenuItem* FItems;
};

class TMainMenu : public TMenu {
public:
    using TMenu::TMenu;
};

enum TPopupAlignment { paLeft, paRight, paCenter };

class TPopupMenu : public TMenu {
public:
    explicit TPopupMenu(TComponent* AOwner);
    // Shows the menu at a screen point and returns when it closed.
    virtual void Popup(Integer X, Integer Y);
    TComponent* PopupComponent() const { return FPopupComponent; }
    void SetPopupComponent(TComponent* Value) { FPopupComponent = Value; }
    TPopupAlignment Alignment() const { return FAlignment; }
    void SetAlignment(TPopupAlignment Value) { FAlignment = Value; }
    bool AutoPopup() const { return FAutoPopup; }
    void SetAutoPopup(bool Value) { FAutoPopup = Value; }
    // The popup window of the (innermost) open menu while it shows, for tests and owners.
    static HWND OpenMenuWindow();

    TNotifyEvent OnPopup;

private:
    TComponent* FPopupComponent = nullptr;
    TPopupAlignment FAlignment = paLeft;
    bool FAutoPopup = true;
};
