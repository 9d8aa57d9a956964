#pragma once

#include "platform/rtl/Exceptions.h"
#include "platform/rtl/Objects.h"
#include "platform/rtl/Persistent.h"
#include "platform/rtl/Set.h"
#include "platform/rtl/Types.h"

#include <functional>
#include <vector>

enum TOperation { opInsert, opRemove };

enum TComponentStateItem {
    csLoading,
    csReading,
    csWriting,
    csDestroying,
    csDesigning,
    csAncestor,
    csUpdating,
    csFixups,
    csFreeNotification,
    csInline,
    csDesignInstance
};
using TComponentState = TSet<TComponentStateItem>;

class EComponentError : public Exception {
public:
    using Exception::Exception;
};

class TComponent;
using TGetChildProc = std::function<void(TComponent* Child)>;

// A named object that can own other components.
//
// Ownership: a component created with an owner is deleted by that owner when the owner is
// destroyed. A component that is destroyed leaves its owner's list; the owner and every component
// the owner owns receive Notification(that component, opRemove), and so does every component that
// asked with FreeNotification. The destructor is safe when owned components hold free-notification
// links to each other or to components elsewhere: each link is removed on both sides before either
// object goes away.
//
// Create components with New<T>(Owner) and delete them with Free() (or by deleting the owner).
class TComponent : public TPersistent {
public:
    explicit TComponent(TComponent* AOwner);
    ~TComponent() override;
    void BeforeDestruction() override;

    TComponent* Owner() const { return FOwner; }

    // The name: empty, or an identifier (letter or '_' first, then letters, digits, '_'), unique
    // among the owner's components without regard to ASCII case. A bad name raises
    // EComponentError "'<name>' is not a valid component name"; a taken one "A component named
    // <name> already exists".
    const AnsiString& Name() const { return FName; }
    virtual void SetName(const AnsiString& NewName);

    NativeInt Tag() const { return FTag; }
    void SetTag(NativeInt Value) { FTag = Value; }

    TComponentState ComponentState() const { return FComponentState; }
    // Sets or clears csDesigning on this component and, with SetChildren, on the owned ones.
    void SetDesigning(bool Value, bool SetChildren = true);

    // The owned components in the order they were inserted.
    Integer ComponentCount() const { return static_cast<Integer>(FComponents.size()); }
    // Raises EListError "List index out of bounds (<Index>)" outside 0..ComponentCount()-1.
    TComponent* Components(Integer Index) const;
    // Position in the owner's list, -1 without owner.
    Integer ComponentIndex() const;

    // The owned component with this name (ASCII case ignored), or nullptr. Empty names never match.
    TComponent* FindComponent(const AnsiString& AName) const;

    // Takes AComponent into (or out of) this component's owned list. The owner is notified
    // (Notification(AComponent, opInsert / opRemove)), which reaches every owned component.
    void InsertComponent(TComponent* AComponent);
    void RemoveComponent(TComponent* AComponent);
    // Deletes every owned component, last first.
    void DestroyComponents();
    // Marks this component and its owned ones as being destroyed (csDestroying).
    void Destroying();

    // Asks to be told (Notification(this, opRemove) on AComponent) when this component is
    // destroyed, and tells this component when AComponent is destroyed. Components of the same
    // owner are told through the owner already, so no link is kept between them.
    void FreeNotification(TComponent* AComponent);
    void RemoveFreeNotification(TComponent* AComponent);

    // Calls Proc for each child component that streaming writes with this one. Default: none.
    virtual void GetChildren(TGetChildProc Proc, TComponent* Root);

    TPersistent* GetOwner() override { return FOwner; }
    AnsiString GetNamePath() override { return FName; }

protected:
    // Called after the component has been read from a stream (csLoading is cleared first).
    virtual void Loaded();
    // Another component is inserted into or removed from this one's owner, or a component this one
    // holds a free-notification link with is being destroyed. The default removes the link and
    // passes the notification on to every owned component.
    virtual void Notification(TComponent* AComponent, TOperation Operation);
    // Checks a rename of AComponent (owned by this one) from CurName to NewName; raises on a clash.
    virtual void ValidateRename(TComponent* AComponent, const AnsiString& CurName, const AnsiString& NewName);

    void IncludeState(TComponentStateItem Item) { FComponentState.Include(Item); }
    void ExcludeState(TComponentStateItem Item) { FComponentState.Exclude(Item); }

    // Component streaming sets the loading state and calls Loaded.
    friend class TFiler;
    friend class TReader;
    friend class TWriter;

private:
    void Insert(TComponent* AComponent);
    void Remove(TComponent* AComponent);
    void RemoveNotification(TComponent* AComponent);

    TComponent* FOwner = nullptr;
    AnsiString FName;
    NativeInt FTag = 0;
    TComponentState FComponentState;
    std::vector<TComponent*> FComponents;
    std::vector<TComponent*> FFreeNotifies;
};
