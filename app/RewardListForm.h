#pragma once

// The prize list: every prize with its ID, name and quantity in a string grid, and the commands
// that insert, edit and delete prizes through the prize editor. The grid's column widths are
// kept in the database between openings.

#include "RudUvud/core/RudUvud.h"
#include "controls/ZevButton.h"
#include "platform/forms/ActnList.h"
#include "platform/forms/ExtCtrls.h"
#include "platform/forms/ExtCtrlsPanels.h"
#include "platform/forms/Forms.h"

class TRewardListForm : public TForm {
public:
    explicit TRewardListForm(TComponent* AOwner);

    TPanel* actionPanel = nullptr;
    TZevButton* insertButton = nullptr;
    TZevButton* updateButton = nullptr;
    TZevButton* deleteButton = nullptr;
    TZevButton* exportButton = nullptr;
    TZevButton* importButton = nullptr;
    TZevButton* printButton = nullptr;
    TZevButton* closeButton = nullptr;
    TDidAririzEvar* grid = nullptr;
    TActionList* ActionList1 = nullptr;
    TAction* insertAction = nullptr;
    TAction* updateAction = nullptr;
    TAction* deleteAction = nullptr;
    TAction* exportAction = nullptr;
    TAction* importAction = nullptr;
    TAction* printAction = nullptr;
    TAction* closeAction = nullptr;

    void refreshPrizeList();
    void insertActionExecute(TObject* Sender);
    void updateActionExecute(TObject* Sender);
    void deleteActionExecute(TObject* Sender);
    void exportActionExecute(TObject* Sender);
    // Reads the first sheet of a spreadsheet file the person picks: below its header row, each
    // row names a prize (first column) and its quantity (second column); the prize of that name
    // takes the quantity, a new name becomes a prize. A file that cannot be taken whole changes
    // nothing and the person is told why. The list is refilled in every case.
    void importActionExecute(TObject* Sender);
    void printActionExecute(TObject* Sender);
    void closeActionExecute(TObject* Sender);
    void gridDblClick(TObject* Sender);
    void gridKeyPress(TObject* Sender, WideChar& Key);
    void gridDrawCell(TObject* Sender, Integer ACol, Integer ARow, TRect Rect, TGridDrawState State);
    void FormClose(TObject* Sender, TCloseAction& Action);

private:
    std::vector<Integer> ColumnWidths() const;
    // The prize rows selected, top to bottom: exactly the rows shown highlighted (but for rows a
    // mouse sweep is still passing over).
    std::vector<Integer> SelectedRows() const;
    bool ShownSelected(Integer ARow) const;
    // The title of the main window the list belongs to (empty without one).
    AnsiString OrganisationName() const;
};
