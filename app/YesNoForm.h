#pragma once

// The one message window of the program: a text with Yes and No, or with a single Okay.

#include "controls/ZevButton.h"
#include "platform/forms/ActnList.h"
#include "platform/forms/Forms.h"
#include "platform/forms/StdCtrls.h"

class TYesNoForm : public TForm {
public:
    explicit TYesNoForm(TComponent* AOwner);

    TLabel* msg = nullptr;
    TZevButton* YesButton = nullptr;
    TZevButton* NoButton = nullptr;
    TActionList* ActionList1 = nullptr;
    TAction* YesAction = nullptr;
    TAction* NoAction = nullptr;

    void YesActionExecute(TObject* Sender);
    void NoActionExecute(TObject* Sender);
};

// Shows Text with a single "Okay" button, modally, over Owner.
void showInformation(const AnsiString& Text, TComponent* Owner);
// Asks Text with Yes and No (the focus on No unless YesFirst); true for Yes.
bool askConfirmation(const AnsiString& Text, TComponent* Owner, bool YesFirst = false);
// Before + Path + After, the path shortened in its middle (shown as "...") as far as needed for
// the whole message to fit the message window: its folders first, its file name last. A message
// that no shortening makes fit keeps the path whole.
AnsiString fitPathInMessage(const AnsiString& Before, const AnsiString& Path, const AnsiString& After);
