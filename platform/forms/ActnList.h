#pragma once

// Actions: commands with a caption, shortcut, hint and enabled state that controls link to,
// gathered in action lists. A form offers key presses to its action lists' shortcuts first.

#include "platform/forms/Controls.h"
#include "platform/rtl/Components.h"

#include <functional>
#include <memory>
#include <vector>

// ---- Shortcuts ------------------------------------------------------------------------------------

// A key with its modifiers: the virtual key in the low byte, the modifier flags above.
using TShortCut = Word;
inline constexpr TShortCut scNone = 0;
inline constexpr TShortCut scShift = 0x2000;
inline constexpr TShortCut scCtrl = 0x4000;
inline constexpr TShortCut scAlt = 0x8000;

TShortCut ShortCut(Word Key, TShiftState Shift);
void ShortCutToKey(TShortCut ShortCut, Word& Key, TShiftState& Shift);
// "Ctrl+S", "Shift+F5", "Alt+Enter" … and back; an unknown text gives scNone.
TShortCut TextToShortCut(const AnsiString& Text);
AnsiString ShortCutToText(TShortCut ShortCut);

// ---- Actions --------------------------------------------------------------------------------------

class TBasicActionLink;
class TCustomActionList;

class TBasicAction : public TComponent {
public:
    explicit TBasicAction(TComponent* AOwner) : TComponent(AOwner) {}
    ~TBasicAction() override;

    // Runs OnExecute (or the list's OnExecute when that handles it); true when something ran.
    virtual bool Execute();
    // Asks OnUpdate to refresh the action's state; true when something answered.
    virtual bool Update();
    TComponent* ActionComponent() const { return FActionComponent; }
    void SetActionComponent(TComponent* Value) { FActionComponent = Value; }

    TNotifyEvent OnExecute;
    TNotifyEvent OnUpdate;

    void RegisterChanges(TBasicActionLink* Value);
    void UnRegisterChanges(TBasicActionLink* Value);

protected:
    // Tells every linked client that a property changed.
    void Change();
    std::vector<TBasicActionLink*> FClients;
    TComponent* FActionComponent = nullptr;
};

class TContainedAction : public TBasicAction {
public:
    explicit TContainedAction(TComponent* AOwner) : TBasicAction(AOwner) {}
    ~TContainedAction() override;
    TCustomActionList* ActionList() const { return FActionList; }
    void SetActionList(TCustomActionList* Value);
    Integer Index() const;
    const AnsiString& Category() const { return FCategory; }
    void SetCategory(const AnsiString& Value) { FCategory = Value; }
    bool Execute() override;
    bool Update() override;

private:
    friend class TCustomActionList;
    TCustomActionList* FActionList = nullptr;
    AnsiString FCategory;
};

class TCustomAction : public TContainedAction {
public:
    explicit TCustomAction(TComponent* AOwner) : TContainedAction(AOwner) {}

    // Runs only while enabled (after an update).
    bool Execute() override;

    const AnsiString& Caption() const { return FCaption; }
    void SetCaption(const AnsiString& Value);
    bool Checked() const { return FChecked; }
    void SetChecked(bool Value);
    bool Enabled() const { return FEnabled; }
    void SetEnabled(bool Value);
    Integer GroupIndex() const { return FGroupIndex; }
    void SetGroupIndex(Integer Value);
    const AnsiString& Hint() const { return FHint; }
    void SetHint(const AnsiString& Value);
    TShortCut ShortCut() const { return FShortCut; }
    void SetShortCut(TShortCut Value);
    bool Visible() const { return FVisible; }
    void SetVisible(bool Value);
    Integer ImageIndex() const { return FImageIndex; }
    void SetImageIndex(Integer Value);

private:
    AnsiString FCaption;
    bool FChecked = false;
    bool FEnabled = true;
    Integer FGroupIndex = 0;
    AnsiString FHint;
    TShortCut FShortCut = scNone;
    bool FVisible = true;
    Integer FImageIndex = -1;
};

class TAction : public TCustomAction {
public:
    explicit TAction(TComponent* AOwner) : TCustomAction(AOwner) {}
};

using TActionEvent = std::function<void(TBasicAction* Action, bool& Handled)>;

class TCustomActionList : public TComponent {
public:
    explicit TCustomActionList(TComponent* AOwner) : TComponent(AOwner) {}
    ~TCustomActionList() override;

    Integer ActionCount() const { return static_cast<Integer>(FActions.size()); }
    TContainedAction* Actions(Integer Index) const;
    // Runs the enabled action whose shortcut is the key of a key message; true when one ran.
    virtual bool IsShortCut(const TWMKey& Message);
    // Asks every action to update itself (OnUpdate of the list first).
    void UpdateActions();

    TActionEvent OnExecute;
    TActionEvent OnUpdate;
    TNotifyEvent OnChange;

protected:
    friend class TContainedAction;
    void AddAction(TContainedAction* Action);
    void RemoveAction(TContainedAction* Action);
    void Notification(TComponent* AComponent, TOperation Operation) override;
    // The list's own handlers; true when they handled the action.
    bool ExecuteAction(TBasicAction* Action);
    bool UpdateAction(TBasicAction* Action);

private:
    std::vector<TContainedAction*> FActions;
};

class TActionList : public TCustomActionList {
public:
    explicit TActionList(TComponent* AOwner) : TCustomActionList(AOwner) {}
};

// ---- Links between actions and their clients --------------------------------------------------------

class TBasicActionLink : public TObject {
public:
    explicit TBasicActionLink(TObject* AClient) {}
    ~TBasicActionLink() override;
    TBasicAction* Action() const { return FAction; }
    void SetAction(TBasicAction* Value);
    virtual bool Execute(TComponent* AComponent = nullptr);
    virtual bool Update();
    TNotifyEvent OnChange;

protected:
    friend class TBasicAction;
    virtual void Change();
    TBasicAction* FAction = nullptr;
};

class TActionLink : public TBasicActionLink {
public:
    using TBasicActionLink::TBasicActionLink;
    virtual bool IsCaptionLinked();
    virtual bool IsCheckedLinked();
    virtual bool IsEnabledLinked();
    virtual bool IsGroupIndexLinked();
    virtual bool IsHintLinked();
    virtual bool IsVisibleLinked();
    virtual bool IsOnExecuteLinked();
    virtual void SetCaption(const AnsiString& Value) {}
    virtual void SetChecked(bool Value) {}
    virtual void SetEnabled(bool Value) {}
    virtual void SetGroupIndex(Integer Value) {}
    virtual void SetHint(const AnsiString& Value) {}
    virtual void SetVisible(bool Value) {}
};

// Carries an action's caption, enabled state, hint and visibility over to a control.
class TControlActionLink : public TActionLink {
public:
    explicit TControlActionLink(TObject* AClient);
    void AssignClient(TObject* AClient);
    bool IsCaptionLinked() override;
    bool IsEnabledLinked() override;
    bool IsHintLinked() override;
    bool IsVisibleLinked() override;
    void SetCaption(const AnsiString& Value) override;
    void SetEnabled(bool Value) override;
    void SetHint(const AnsiString& Value) override;
    void SetVisible(bool Value) override;

protected:
    TControl* FClient = nullptr;
};
