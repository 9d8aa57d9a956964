#pragma once

// The draw options window: the prize total, the persons taking part, the board's rows and
// columns, the no-prize text and whether the board shows its counters. The entries are checked
// when the draw starts and stored whenever the window closes.

#include "app/DrawStore.h"
#include "controls/ZelEdit.h"
#include "controls/ZevButton.h"
#include "platform/forms/ActnList.h"
#include "platform/forms/ExtCtrls.h"
#include "platform/forms/ExtCtrlsPanels.h"
#include "platform/forms/Forms.h"
#include "platform/forms/StdCtrls.h"

class TSelectOptionForm : public TForm {
public:
    explicit TSelectOptionForm(TComponent* AOwner);

    TLabel* quantityLabel = nullptr;
    TLabel* personLabel = nullptr;
    TLabel* rowLabel = nullptr;
    TLabel* colLabel = nullptr;
    TLabel* noRewardLabel = nullptr;
    TZelEdit* quantity = nullptr;
    TZelEdit* person = nullptr;
    TZelEdit* row = nullptr;
    TZelEdit* col = nullptr;
    TZelEdit* noReward = nullptr;
    TCheckBox* showGift = nullptr;
    TPanel* Panel1 = nullptr;
    TZevButton* startButton = nullptr;
    TZevButton* cancelButton = nullptr;
    TActionList* ActionList1 = nullptr;
    TAction* saveAction = nullptr;
    TAction* exitAction = nullptr;

    void saveActionExecute(TObject* Sender);
    void exitActionExecute(TObject* Sender);
    void FormClose(TObject* Sender, TCloseAction& Action);

    // The entries as options; only meaningful after the window returned 1.
    TDrawOptions EnteredOptions();

private:
    // Reads person, row and column; false when any of them is not an integer.
    bool ReadEntries(TDrawOptions& Options);
    void Refuse(const AnsiString& Message, TZelEdit* Field);
};
