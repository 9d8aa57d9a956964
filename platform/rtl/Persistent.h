#pragma once

#include "platform/rtl/Exceptions.h"
#include "platform/rtl/Objects.h"
#include "platform/rtl/Types.h"

class TFiler;

// An object that can copy itself from another (Assign) and take part in component streaming
// (DefineProperties).
class TPersistent : public TObject {
public:
    // Copies Source into this object. The default asks Source to copy itself into this one
    // (Source->AssignTo(this)); when neither side knows the other it raises EConvertError
    // "Cannot assign a <source class> to a <dest class>" ("nil" for a null Source).
    virtual void Assign(TPersistent* Source);

    // The object that owns this one in the streaming sense (a component's owner, a collection
    // item's collection, an owned collection's owner), or nullptr.
    virtual TPersistent* GetOwner();

    // Lets the object stream properties that are not plain published ones. Default: nothing.
    virtual void DefineProperties(TFiler* Filer);

    // "Owner.Name.Property" style path used in streaming and error messages.
    virtual AnsiString GetNamePath();

protected:
    // Copies this object into Dest; the default raises the assignment error.
    virtual void AssignTo(TPersistent* Dest);
    // Raises EConvertError "Cannot assign a <Source class or nil> to a <this class>".
    [[noreturn]] void AssignError(TPersistent* Source);
};

// A persistent object that can be asked for interfaces (in C++: dynamic_cast on the object).
class TInterfacedPersistent : public TPersistent {};
