#pragma once

// The main window: the organisation's name over four commands (prize list, draw, help, exit).
// It opens the database when first shown, refuses a second running copy, and asks before the
// program ends.

#include "controls/ZevButton.h"
#include "platform/forms/ActnList.h"
#include "platform/forms/Forms.h"
#include "platform/forms/StdCtrls.h"

class TMainForm : public TForm {
public:
    explicit TMainForm(TComponent* AOwner);
    ~TMainForm() override;

    TLabel* Label2 = nullptr;
    TLabel* companyName = nullptr;
    TZevButton* categoryButton = nullptr;
    TZevButton* recordButton = nullptr;
    TZevButton* helpButton = nullptr;
    TZevButton* exitButton = nullptr;
    TActionList* ActionList1 = nullptr;
    TAction* helpAction = nullptr;
    TAction* categoryAction = nullptr;
    TAction* recordAction = nullptr;
    TAction* exitAction = nullptr;

    void FormShow(TObject* Sender);
    void FormClose(TObject* Sender, TCloseAction& Action);
    void helpActionExecute(TObject* Sender);
    void categoryActionExecute(TObject* Sender);
    void recordActionExecute(TObject* Sender);
    void exitActionExecute(TObject* Sender);

private:
    // Held while this copy runs: a second copy finds it taken and ends before it touches the
    // database (-1: not held).
    int FInstanceLock = -1;
    bool FOpened = false;
};

// The name of the file beside the database whose lock marks the running copy.
inline constexpr const char* InstanceLockFileName = "Drawmere.lock";
