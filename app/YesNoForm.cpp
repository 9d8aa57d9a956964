#include "app/YesNoForm.h"

#include "platform/rtl/Guards.h"

#include "platform/rtl/Strings.h"

#include <memory>

namespace {

// Characters, not bytes: a Chinese question is as long as it looks.
size_t CharacterCount(const AnsiString& Text)
{
    size_t Count = 0;
    for (size_t I = 0; I < Text.size(); ++Count)
        NextUtf8Char(Text, I);
    return Count;
}

} // namespace

TYesNoForm::TYesNoForm(TComponent* AOwner) : TForm(AOwner)
{
    SetCaption("Message Box");
    SetBorderStyle(bsDialog);
    SetPosition(poScreenCenter);
    SetBounds(0, 0, 554, 207);
    Font()->SetName("Times New Roman");
    Font()->SetHeight(-19);

    ActionList1 = New<TActionList>(this);
    YesAction = New<TAction>(this);
    YesAction->SetName("YesAction");
    YesAction->SetActionList(ActionList1);
    YesAction->SetCaption("&Yes F4");
    YesAction->SetShortCut(VK_F4);
    YesAction->OnExecute = [this](TObject* S) { YesActionExecute(S); };
    NoAction = New<TAction>(this);
    NoAction->SetName("NoAction");
    NoAction->SetActionList(ActionList1);
    NoAction->SetCaption("&No Esc");
    NoAction->SetShortCut(VK_ESCAPE);
    NoAction->OnExecute = [this](TObject* S) { NoActionExecute(S); };

    msg = New<TLabel>(this);
    msg->SetName("msg");
    msg->SetParent(this);
    msg->SetAutoSize(false);
    msg->SetBounds(24, 16, 489, 41);
    msg->SetAlignment(taCenter);
    msg->SetWordWrap(true);
    msg->SetParentFont(false);
    msg->Font()->SetName("Times New Roman");
    msg->Font()->SetHeight(-16);
    msg->Font()->SetStyle(TFontStyles{fsBold});
    msg->SetCaption("");

    auto MakeButton = [this](const char* Name, TAction* Action, int X, int W, int Tab) {
        auto* B = New<TZevButton>(this);
        B->SetName(Name);
        B->SetParent(this);
        B->SetBounds(X, 99, W, 33);
        B->SetColorScheme(csNeoDesert);
        B->SetGradient(true);
        B->SetHotTrack(true);
        B->SetTransparentGlyph(true);
        B->SetSpacing(4);
        B->SetNumGlyphs(1);
        B->SetAction(Action);
        B->SetTabOrder(Tab);
        return B;
    };
    YesButton = MakeButton("YesButton", YesAction, 149, 100, 1);
    NoButton = MakeButton("NoButton", NoAction, 285, 92, 0);
}

void TYesNoForm::YesActionExecute(TObject*)
{
    SetModalResult(1);
}

void TYesNoForm::NoActionExecute(TObject*)
{
    SetModalResult(2);
}

void showInformation(const AnsiString& Text, TComponent* Owner)
{
    TOwned<TYesNoForm> Form(New<TYesNoForm>(Owner));
    Form->msg->SetCaption(Text);
    Form->NoButton->SetVisible(false);
    Form->YesButton->SetCaption("Okay");
    Form->YesButton->SetLeft(200);
    Form->ShowModal();
}

bool askConfirmation(const AnsiString& Text, TComponent* Owner, bool YesFirst)
{
    TOwned<TYesNoForm> Form(New<TYesNoForm>(Owner));
    Form->msg->SetCaption(Text);
    // A one-line question sits lower in the window.
    if (CharacterCount(Text) < 50)
        Form->msg->SetTop(40);
    if (YesFirst)
        Form->YesButton->SetTabOrder(0);
    return Form->ShowModal() == 1;
}
