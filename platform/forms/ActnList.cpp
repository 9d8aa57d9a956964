#include "platform/forms/ActnList.h"
#include "platform/rtl/Guards.h"

#include "platform/rtl/Strings.h"

#include <algorithm>
#include <cstdio>

// ---- Shortcuts ------------------------------------------------------------------------------------

TShortCut ShortCut(Word Key, TShiftState Shift)
{
    if (Key & 0xFF00)
        return scNone;
    TShortCut Result = Key;
    if (Shift.Contains(ssShift))
        Result |= scShift;
    if (Shift.Contains(ssCtrl))
        Result |= scCtrl;
    if (Shift.Contains(ssAlt))
        Result |= scAlt;
    return Result;
}

void ShortCutToKey(TShortCut ShortCut, Word& Key, TShiftState& Shift)
{
    Key = ShortCut & 0xFF;
    Shift.Clear();
    if (ShortCut & scShift)
        Shift.Include(ssShift);
    if (ShortCut & scCtrl)
        Shift.Include(ssCtrl);
    if (ShortCut & scAlt)
        Shift.Include(ssAlt);
}

namespace {

struct KeyName {
    Word Key;
    const char* Name;
};
const KeyName KeyNames[] = {
    {VK_BACK, "BkSp"},  {VK_TAB, "Tab"},     {VK_RETURN, "Enter"}, {VK_ESCAPE, "Esc"}, {VK_SPACE, "Space"},
    {VK_PRIOR, "PgUp"}, {VK_NEXT, "PgDn"},   {VK_END, "End"},      {VK_HOME, "Home"},  {VK_LEFT, "Left"},
    {VK_UP, "Up"},      {VK_RIGHT, "Right"}, {VK_DOWN, "Down"},    {VK_INSERT, "Ins"}, {VK_DELETE, "Del"},
};

AnsiString KeyText(Word Key)
{
    if ((Key >= '0' && Key <= '9') || (Key >= 'A' && Key <= 'Z'))
        return AnsiString(1, static_cast<char>(Key));
    if (Key >= VK_F1 && Key <= VK_F12)
        return "F" + std::to_string(Key - VK_F1 + 1);
    for (const KeyName& K : KeyNames)
        if (K.Key == Key)
            return K.Name;
    return {};
}

} // namespace

AnsiString ShortCutToText(TShortCut ShortCut)
{
    const AnsiString Name = KeyText(ShortCut & 0xFF);
    if (Name.empty())
        return {};
    AnsiString Result;
    if (ShortCut & scShift)
        Result += "Shift+";
    if (ShortCut & scCtrl)
        Result += "Ctrl+";
    if (ShortCut & scAlt)
        Result += "Alt+";
    return Result + Name;
}

TShortCut TextToShortCut(const AnsiString& Text)
{
    AnsiString Rest = Text;
    TShortCut Shift = 0;
    for (;;) {
        bool Found = false;
        for (auto [Prefix, Flag] :
             {std::pair<const char*, TShortCut>{"Shift+", scShift}, {"Ctrl+", scCtrl}, {"Alt+", scAlt}}) {
            const size_t N = std::char_traits<char>::length(Prefix);
            if (Rest.size() > N && SameText(Rest.substr(0, N), Prefix)) {
                Shift |= Flag;
                Rest.erase(0, N);
                Found = true;
            }
        }
        if (!Found)
            break;
    }
    for (Word Key = 1; Key < 256; ++Key) {
        const AnsiString Name = KeyText(Key);
        if (!Name.empty() && SameText(Name, Rest))
            return static_cast<TShortCut>(Key | Shift);
    }
    return scNone;
}

// ---- Actions --------------------------------------------------------------------------------------

TBasicAction::~TBasicAction()
{
    for (TBasicActionLink* L : std::vector<TBasicActionLink*>(FClients))
        L->FAction = nullptr;
}

bool TBasicAction::Execute()
{
    if (OnExecute) {
        OnExecute(this);
        return true;
    }
    return false;
}

bool TBasicAction::Update()
{
    if (OnUpdate) {
        OnUpdate(this);
        return true;
    }
    return false;
}

void TBasicAction::RegisterChanges(TBasicActionLink* Value)
{
    FClients.push_back(Value);
}

void TBasicAction::UnRegisterChanges(TBasicActionLink* Value)
{
    FClients.erase(std::remove(FClients.begin(), FClients.end(), Value), FClients.end());
}

void TBasicAction::Change()
{
    for (TBasicActionLink* L : std::vector<TBasicActionLink*>(FClients))
        L->Change();
}

TContainedAction::~TContainedAction()
{
    SetActionList(nullptr);
}

void TContainedAction::SetActionList(TCustomActionList* Value)
{
    if (Value == FActionList)
        return;
    if (FActionList)
        FActionList->RemoveAction(this);
    if (Value)
        Value->AddAction(this);
}

Integer TContainedAction::Index() const
{
    if (!FActionList)
        return -1;
    for (Integer I = 0; I < FActionList->ActionCount(); ++I)
        if (FActionList->Actions(I) == this)
            return I;
    return -1;
}

bool TContainedAction::Execute()
{
    if (FActionList && FActionList->ExecuteAction(this))
        return true;
    return TBasicAction::Execute();
}

bool TContainedAction::Update()
{
    if (FActionList && FActionList->UpdateAction(this))
        return true;
    return TBasicAction::Update();
}

bool TCustomAction::Execute()
{
    Update();
    if (!FEnabled)
        return false;
    return TContainedAction::Execute();
}

namespace {
template <class F> void ForLinks(std::vector<TBasicActionLink*>& Clients, F Fn)
{
    for (TBasicActionLink* L : std::vector<TBasicActionLink*>(Clients))
        if (auto* A = dynamic_cast<TActionLink*>(L))
            Fn(A);
}
} // namespace

void TCustomAction::SetCaption(const AnsiString& Value)
{
    if (Value != FCaption) {
        ForLinks(FClients, [&](TActionLink* L) { L->SetCaption(Value); });
        FCaption = Value;
        Change();
    }
}

void TCustomAction::SetChecked(bool Value)
{
    if (Value != FChecked) {
        ForLinks(FClients, [&](TActionLink* L) { L->SetChecked(Value); });
        FChecked = Value;
        // Checking one action of a group unchecks the others of its list.
        if (Value && FGroupIndex > 0 && ActionList())
            for (Integer I = 0; I < ActionList()->ActionCount(); ++I)
                if (auto* A = dynamic_cast<TCustomAction*>(ActionList()->Actions(I)))
                    if (A != this && A->FGroupIndex == FGroupIndex)
                        A->SetChecked(false);
        Change();
    }
}

void TCustomAction::SetEnabled(bool Value)
{
    if (Value != FEnabled) {
        ForLinks(FClients, [&](TActionLink* L) { L->SetEnabled(Value); });
        FEnabled = Value;
        Change();
    }
}

void TCustomAction::SetGroupIndex(Integer Value)
{
    if (Value != FGroupIndex) {
        ForLinks(FClients, [&](TActionLink* L) { L->SetGroupIndex(Value); });
        FGroupIndex = Value;
        Change();
    }
}

void TCustomAction::SetHint(const AnsiString& Value)
{
    if (Value != FHint) {
        ForLinks(FClients, [&](TActionLink* L) { L->SetHint(Value); });
        FHint = Value;
        Change();
    }
}

void TCustomAction::SetShortCut(TShortCut Value)
{
    if (Value != FShortCut) {
        FShortCut = Value;
        Change();
    }
}

void TCustomAction::SetVisible(bool Value)
{
    if (Value != FVisible) {
        ForLinks(FClients, [&](TActionLink* L) { L->SetVisible(Value); });
        FVisible = Value;
        Change();
    }
}

void TCustomAction::SetImageIndex(Integer Value)
{
    if (Value != FImageIndex) {
        FImageIndex = Value;
        Change();
    }
}

// ---- Action lists -----------------------------------------------------------------------------------

TCustomActionList::~TCustomActionList()
{
    for (TContainedAction* A : std::vector<TContainedAction*>(FActions))
        A->FActionList = nullptr;
    FActions.clear();
}

TContainedAction* TCustomActionList::Actions(Integer Index) const
{
    if (Index < 0 || Index >= ActionCount())
        throw EListError("List index out of bounds (" + std::to_string(Index) + ")");
    return FActions[static_cast<size_t>(Index)];
}

void TCustomActionList::AddAction(TContainedAction* Action)
{
    FActions.push_back(Action);
    Action->FActionList = this;
    Action->FreeNotification(this);
}

void TCustomActionList::RemoveAction(TContainedAction* Action)
{
    FActions.erase(std::remove(FActions.begin(), FActions.end(), Action), FActions.end());
    Action->FActionList = nullptr;
}

void TCustomActionList::Notification(TComponent* AComponent, TOperation Operation)
{
    TComponent::Notification(AComponent, Operation);
    if (Operation == opRemove)
        FActions.erase(std::remove(FActions.begin(), FActions.end(), AComponent), FActions.end());
}

bool TCustomActionList::ExecuteAction(TBasicAction* Action)
{
    bool Handled = false;
    if (OnExecute)
        OnExecute(Action, Handled);
    return Handled;
}

bool TCustomActionList::UpdateAction(TBasicAction* Action)
{
    bool Handled = false;
    if (OnUpdate)
        OnUpdate(Action, Handled);
    return Handled;
}

void TCustomActionList::UpdateActions()
{
    for (TContainedAction* A : std::vector<TContainedAction*>(FActions))
        A->Update();
}

bool TCustomActionList::IsShortCut(const TWMKey& Message)
{
    const TShortCut Key = ShortCut(Message.CharCode, KeyDataToShiftState(Message.KeyData));
    if (Key == scNone)
        return false;
    for (TContainedAction* A : std::vector<TContainedAction*>(FActions)) {
        auto* C = dynamic_cast<TCustomAction*>(A);
        if (!C || C->ShortCut() != Key)
            continue;
        C->Update();
        // A disabled action keeps its key: nothing else gets it.
        if (C->Enabled())
            C->Execute();
        return true;
    }
    return false;
}

// ---- Links ------------------------------------------------------------------------------------------

TBasicActionLink::~TBasicActionLink()
{
    if (FAction)
        FAction->UnRegisterChanges(this);
}

void TBasicActionLink::SetAction(TBasicAction* Value)
{
    if (Value == FAction)
        return;
    if (FAction)
        FAction->UnRegisterChanges(this);
    FAction = Value;
    if (Value)
        Value->RegisterChanges(this);
}

bool TBasicActionLink::Execute(TComponent* AComponent)
{
    if (!FAction)
        return false;
    FAction->SetActionComponent(AComponent);
    // The action may be taken from the link while it runs.
    TScopeExit Done([this] {
        if (FAction)
            FAction->SetActionComponent(nullptr);
    });
    return FAction->Execute();
}

bool TBasicActionLink::Update()
{
    return FAction && FAction->Update();
}

void TBasicActionLink::Change()
{
    if (OnChange)
        OnChange(FAction);
}

bool TActionLink::IsCaptionLinked()
{
    return dynamic_cast<TCustomAction*>(FAction) != nullptr;
}
bool TActionLink::IsCheckedLinked()
{
    return dynamic_cast<TCustomAction*>(FAction) != nullptr;
}
bool TActionLink::IsEnabledLinked()
{
    return dynamic_cast<TCustomAction*>(FAction) != nullptr;
}
bool TActionLink::IsGroupIndexLinked()
{
    return dynamic_cast<TCustomAction*>(FAction) != nullptr;
}
bool TActionLink::IsHintLinked()
{
    return dynamic_cast<TCustomAction*>(FAction) != nullptr;
}
bool TActionLink::IsVisibleLinked()
{
    return dynamic_cast<TCustomAction*>(FAction) != nullptr;
}
bool TActionLink::IsOnExecuteLinked()
{
    return FAction != nullptr;
}

TControlActionLink::TControlActionLink(TObject* AClient) : TActionLink(AClient)
{
    AssignClient(AClient);
}

void TControlActionLink::AssignClient(TObject* AClient)
{
    FClient = dynamic_cast<TControl*>(AClient);
}

bool TControlActionLink::IsCaptionLinked()
{
    auto* A = dynamic_cast<TCustomAction*>(FAction);
    return A && FClient && FClient->GetText() == A->Caption();
}

bool TControlActionLink::IsEnabledLinked()
{
    auto* A = dynamic_cast<TCustomAction*>(FAction);
    return A && FClient && FClient->Enabled() == A->Enabled();
}

bool TControlActionLink::IsHintLinked()
{
    auto* A = dynamic_cast<TCustomAction*>(FAction);
    return A && FClient && FClient->Hint() == A->Hint();
}

bool TControlActionLink::IsVisibleLinked()
{
    auto* A = dynamic_cast<TCustomAction*>(FAction);
    return A && FClient && FClient->Visible() == A->Visible();
}

void TControlActionLink::SetCaption(const AnsiString& Value)
{
    if (IsCaptionLinked())
        FClient->SetText(Value);
}

void TControlActionLink::SetEnabled(bool Value)
{
    if (IsEnabledLinked())
        FClient->SetEnabled(Value);
}

void TControlActionLink::SetHint(const AnsiString& Value)
{
    if (IsHintLinked())
        FClient->SetHint(Value);
}

void TControlActionLink::SetVisible(bool Value)
{
    if (IsVisibleLinked())
        FClient->SetVisible(Value);
}
