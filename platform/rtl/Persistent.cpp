#include "platform/rtl/Persistent.h"

void TPersistent::Assign(TPersistent* Source)
{
    if (Source != nullptr)
        Source->AssignTo(this);
    else
        AssignError(nullptr);
}

void TPersistent::AssignTo(TPersistent* Dest)
{
    Dest->AssignError(this);
}

void TPersistent::AssignError(TPersistent* Source)
{
    const AnsiString SourceName = Source != nullptr ? Source->ClassName() : AnsiString("nil");
    throw EConvertError("Cannot assign a " + SourceName + " to a " + ClassName());
}

TPersistent* TPersistent::GetOwner()
{
    return nullptr;
}

void TPersistent::DefineProperties(TFiler*) {}

AnsiString TPersistent::GetNamePath()
{
    return ClassName();
}
