#pragma once

#include "app/Glyphs.h"
#include "controls/ZevButton.h"
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

// The program's push button, owned by Owner and shown on Parent: the csNeoDesert scheme with its
// gradient and hot tracking, a transparent glyph 4 pixels from the caption, and Action when given.
inline TZevButton* MakeFormButton(TComponent* Owner, TWinControl* Parent, const char* Name,
                                  TAction* Action = nullptr)
{
    auto* B = New<TZevButton>(Owner);
    B->SetName(Name);
    B->SetParent(Parent);
    B->SetColorScheme(csNeoDesert);
    B->SetGradient(true);
    B->SetHotTrack(true);
    B->SetTransparentGlyph(true);
    B->SetSpacing(4);
    if (Action)
        B->SetAction(Action);
    return B;
}

// The same with the program's glyph of Kind above the caption.
inline TZevButton* MakeGlyphButton(TComponent* Owner, TWinControl* Parent, const char* Name, TAction* Action,
                                   TGlyphKind Kind)
{
    auto* B = MakeFormButton(Owner, Parent, Name);
    B->SetLayout(blGlyphTop);
    SetButtonGlyph(B, Kind);
    B->SetAction(Action);
    return B;
}
