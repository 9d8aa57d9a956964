#pragma once

// The prize editor: a prize's name and quantity, saved with F4 or left with Esc. It fills from
// a prize and is read back into one; the list decides what is stored.

#include "app/DrawStore.h"
#include "controls/ZelEdit.h"
#include "controls/ZevButton.h"
#include "platform/forms/ActnList.h"
#include "platform/forms/ExtCtrls.h"
#include "platform/forms/ExtCtrlsPanels.h"
#include "platform/forms/Forms.h"
#include "platform/forms/StdCtrls.h"

class TRewardForm : public TForm {
public:
    explicit TRewardForm(TComponent* AOwner);

    TLabel* nameLabel = nullptr;
    TLabel* quantityLabel = nullptr;
    TZelEdit* name = nullptr;
    TZelEdit* quantity = nullptr;
    TPanel* Panel1 = nullptr;
    TZevButton* saveButton = nullptr;
    TZevButton* cancelButton = nullptr;
    TActionList* ActionList1 = nullptr;
    TAction* saveAction = nullptr;
    TAction* exitAction = nullptr;

    void saveActionExecute(TObject* Sender);
    void exitActionExecute(TObject* Sender);
    void idKeyPress(TObject* Sender, WideChar& Key);

    void Fill(const TPrizeStock& Prize);
    // The entries as a prize (the id untouched). EConvertError when the quantity is no integer.
    void Read(TPrizeStock& Prize) const;
};
