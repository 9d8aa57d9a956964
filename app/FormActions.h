#pragma once

#include "platform/forms/ActnList.h"

// Creates an action owned by Owner in List, named and captioned, with its hint (left unset when
// null), shortcut and handler (none when empty). The windows of the program build their key
// commands this way.
inline TAction* MakeFormAction(TComponent* Owner, TActionList* List, const char* Name, const char* Caption,
                               const char* Hint, TShortCut Key, TNotifyEvent OnExecute)
{
    auto* A = New<TAction>(Owner);
    A->SetName(Name);
    A->SetActionList(List);
    A->SetCaption(Caption);
    if (Hint)
        A->SetHint(Hint);
    A->SetShortCut(Key);
    if (OnExecute)
        A->OnExecute = std::move(OnExecute);
    return A;
}
