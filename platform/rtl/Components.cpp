#include "platform/rtl/Components.h"

#include <algorithm>
#include <cstdio>

namespace {

bool IsValidIdent(const AnsiString& Name)
{
    if (Name.empty())
        return false;
    auto IsAlpha = [](char C) { return (C >= 'A' && C <= 'Z') || (C >= 'a' && C <= 'z') || C == '_'; };
    if (!IsAlpha(Name[0]))
        return false;
    return std::all_of(Name.begin() + 1, Name.end(),
                       [&](char C) { return IsAlpha(C) || (C >= '0' && C <= '9'); });
}

bool SameName(const AnsiString& A, const AnsiString& B)
{
    if (A.size() != B.size())
        return false;
    for (std::size_t I = 0; I < A.size(); ++I) {
        char X = A[I], Y = B[I];
        if (X >= 'a' && X <= 'z')
            X = static_cast<char>(X - 'a' + 'A');
        if (Y >= 'a' && Y <= 'z')
            Y = static_cast<char>(Y - 'a' + 'A');
        if (X != Y)
            return false;
    }
    return true;
}

void Erase(std::vector<TComponent*>& List, TComponent* Item)
{
    auto It = std::find(List.begin(), List.end(), Item);
    if (It != List.end())
        List.erase(It);
}

} // namespace

TComponent::TComponent(TComponent* AOwner)
{
    if (AOwner != nullptr)
        AOwner->InsertComponent(this);
}

TComponent::~TComponent()
{
    Destroying();
    // Tell everyone holding a link with this component, dropping the link on both sides first so
    // that a notified component that in turn goes away finds no stale entry here.
    while (!FFreeNotifies.empty()) {
        TComponent* Other = FFreeNotifies.back();
        FFreeNotifies.pop_back();
        Erase(Other->FFreeNotifies, this);
        Other->Notification(this, opRemove);
    }
    DestroyComponents();
    if (FOwner != nullptr)
        FOwner->RemoveComponent(this);
}

void TComponent::BeforeDestruction()
{
    Destroying();
}

void TComponent::Destroying()
{
    if (FComponentState.Contains(csDestroying))
        return;
    FComponentState.Include(csDestroying);
    for (TComponent* Child : FComponents)
        Child->Destroying();
}

void TComponent::DestroyComponents()
{
    while (!FComponents.empty()) {
        TComponent* Instance = FComponents.back();
        // Leave the list (and let the siblings know) before the instance is deleted, so that
        // no notification reaches a half-destroyed component.
        RemoveComponent(Instance);
        Instance->Free();
    }
}

void TComponent::SetName(const AnsiString& NewName)
{
    if (FName == NewName)
        return;
    if (!NewName.empty() && !IsValidIdent(NewName))
        throw EComponentError("'" + NewName + "' is not a valid component name");
    if (FOwner != nullptr)
        FOwner->ValidateRename(this, FName, NewName);
    else
        ValidateRename(nullptr, FName, NewName);
    FName = NewName;
}

void TComponent::ValidateRename(TComponent* AComponent, const AnsiString& CurName, const AnsiString& NewName)
{
    if (AComponent != nullptr && !NewName.empty() && !SameName(CurName, NewName)) {
        TComponent* Found = FindComponent(NewName);
        if (Found != nullptr && Found != AComponent)
            throw EComponentError("A component named " + NewName + " already exists");
    }
}

void TComponent::SetDesigning(bool Value, bool SetChildren)
{
    if (Value)
        FComponentState.Include(csDesigning);
    else
        FComponentState.Exclude(csDesigning);
    if (SetChildren)
        for (TComponent* Child : FComponents)
            Child->SetDesigning(Value, true);
}

TComponent* TComponent::Components(Integer Index) const
{
    if (Index < 0 || Index >= ComponentCount()) {
        char Msg[64];
        std::snprintf(Msg, sizeof Msg, "List index out of bounds (%d)", static_cast<int>(Index));
        throw EListError(Msg);
    }
    return FComponents[static_cast<std::size_t>(Index)];
}

Integer TComponent::ComponentIndex() const
{
    if (FOwner == nullptr)
        return -1;
    auto& List = FOwner->FComponents;
    auto It = std::find(List.begin(), List.end(), this);
    return It == List.end() ? -1 : static_cast<Integer>(It - List.begin());
}

TComponent* TComponent::FindComponent(const AnsiString& AName) const
{
    if (AName.empty())
        return nullptr;
    for (TComponent* Child : FComponents)
        if (SameName(Child->FName, AName))
            return Child;
    return nullptr;
}

void TComponent::InsertComponent(TComponent* AComponent)
{
    if (AComponent == nullptr || AComponent->FOwner == this)
        return;
    // Check the name first: a refused component stays with its present owner.
    ValidateRename(AComponent, AnsiString(), AComponent->FName);
    if (AComponent->FOwner != nullptr)
        AComponent->FOwner->RemoveComponent(AComponent);
    Insert(AComponent);
    Notification(AComponent, opInsert);
}

void TComponent::RemoveComponent(TComponent* AComponent)
{
    if (AComponent == nullptr || AComponent->FOwner != this)
        return;
    Notification(AComponent, opRemove);
    Remove(AComponent);
}

void TComponent::Insert(TComponent* AComponent)
{
    FComponents.push_back(AComponent);
    AComponent->FOwner = this;
}

void TComponent::Remove(TComponent* AComponent)
{
    Erase(FComponents, AComponent);
    AComponent->FOwner = nullptr;
}

void TComponent::Notification(TComponent* AComponent, TOperation Operation)
{
    if (Operation == opRemove && AComponent != nullptr)
        RemoveFreeNotification(AComponent);
    // A notified component may delete others of this list; walk by index and re-check the bound.
    for (std::size_t I = FComponents.size(); I-- > 0;) {
        if (I >= FComponents.size())
            continue;
        TComponent* Child = FComponents[I];
        if (Child != AComponent)
            Child->Notification(AComponent, Operation);
    }
}

void TComponent::FreeNotification(TComponent* AComponent)
{
    if (AComponent == nullptr || AComponent == this)
        return;
    if (FOwner == nullptr || AComponent->FOwner != FOwner) {
        if (std::find(FFreeNotifies.begin(), FFreeNotifies.end(), AComponent) == FFreeNotifies.end()) {
            FFreeNotifies.push_back(AComponent);
            AComponent->FreeNotification(this);
        }
    }
    FComponentState.Include(csFreeNotification);
}

void TComponent::RemoveFreeNotification(TComponent* AComponent)
{
    RemoveNotification(AComponent);
    AComponent->RemoveNotification(this);
}

void TComponent::RemoveNotification(TComponent* AComponent)
{
    Erase(FFreeNotifies, AComponent);
    if (FFreeNotifies.empty())
        FComponentState.Exclude(csFreeNotification);
}

void TComponent::GetChildren(TGetChildProc, TComponent*) {}

void TComponent::Loaded()
{
    FComponentState.Exclude(csLoading);
}
