#include "app/RewardListForm.h"

#include "RudUvud/xlsadapter/XlsMessages.h"
#include "app/DrawStore.h"
#include "app/FormActions.h"
#include "app/MainForm.h"
#include "app/PrintPreviewForm.h"
#include "app/RewardForm.h"
#include "app/YesNoForm.h"
#include "platform/rtl/Conversions.h"
#include "platform/rtl/Guards.h"

#include <algorithm>

namespace {

constexpr Integer ColumnCount = 3;
const char* const Headers[ColumnCount] = {"ID", "Prize", "Quantity"};
// The ID column is practically invisible: it only tells the commands which prize a row shows.
constexpr Integer InitialWidths[ColumnCount] = {1, 300, 100};

// The prize id an ID cell names; 0 for anything but an unsigned 32-bit decimal.
TPrizeId IdOf(const AnsiString& Text)
{
    if (Text.empty() || Text.size() > 10)
        return 0;
    std::uint64_t V = 0;
    for (char C : Text) {
        if (C < '0' || C > '9')
            return 0;
        V = V * 10 + unsigned(C - '0');
    }
    return V > 0xFFFFFFFFu ? 0 : TPrizeId(V);
}

const char* const PrizeGone = "The prize has been removed.";

// The prizes an imported sheet names: below the header row, every row with a name in its first
// column and the quantity in its second. Every row is checked before any is stored, so that a bad
// row stops the import before it has changed anything; the exception names the sheet row.
std::vector<TImportedPrize> ImportedRows(TStringGrid* Sheet)
{
    std::vector<TImportedPrize> Rows;
    for (Integer R = 1; R < Sheet->RowCount(); ++R) {
        const AnsiString Name = Sheet->Cells(0, R);
        if (Name.empty())
            continue;
        const AnsiString Text = Sheet->ColCount() > 1 ? Sheet->Cells(1, R) : AnsiString();
        const AnsiString Where = "row " + IntToStr(R + 1) + " (" + Name + "): ";
        Integer Quantity = 0;
        if (!TryStrToInt(Text, Quantity))
            throw Exception(Where + "'" + Text + "' is not a valid integer value");
        // The draw hands out units: a negative quantity would be taken as units to give.
        if (Quantity < 0)
            throw Exception(Where + "the quantity " + Text + " is negative");
        Rows.push_back({Name, Quantity});
    }
    return Rows;
}

} // namespace

TRewardListForm::TRewardListForm(TComponent* AOwner) : TForm(AOwner)
{
    SetCaption("Prize Listing");
    SetWindowState(wsMaximized);
    Font()->SetName("細明體");
    Font()->SetHeight(-16);
    SetShowHint(true);
    // The grid swallows Enter on a cell it cannot edit; the form sees it first.
    SetKeyPreview(true);

    ActionList1 = New<TActionList>(this);
    auto MakeAction = [this](const char* Name, const char* Caption, const char* Hint, TShortCut Key,
                             void (TRewardListForm::*Handler)(TObject*)) {
        TNotifyEvent Run;
        if (Handler)
            Run = [this, Handler](TObject* S) { (this->*Handler)(S); };
        return MakeFormAction(this, ActionList1, Name, Caption, Hint, Key, std::move(Run));
    };
    insertAction =
        MakeAction("insertAction", "Insert F2", "Insert", VK_F2, &TRewardListForm::insertActionExecute);
    updateAction =
        MakeAction("updateAction", "Edit F3", "Edit", VK_F3, &TRewardListForm::updateActionExecute);
    deleteAction =
        MakeAction("deleteAction", "Delete F4", "Delete", VK_F4, &TRewardListForm::deleteActionExecute);
    exportAction = MakeAction("exportAction", "Export F5", "", VK_F5, &TRewardListForm::exportActionExecute);
    importAction = MakeAction("importAction", "Import F6", "", VK_F6, &TRewardListForm::importActionExecute);
    printAction =
        MakeAction("printAction", "Print F11", "Print", VK_F11, &TRewardListForm::printActionExecute);
    closeAction = MakeAction("closeAction", "Exit Esc", "", VK_ESCAPE, &TRewardListForm::closeActionExecute);

    actionPanel = New<TPanel>(this);
    actionPanel->SetName("actionPanel");
    actionPanel->SetParent(this);
    actionPanel->SetAlign(alTop);
    actionPanel->SetHeight(73);
    actionPanel->SetColor(12615680);
    actionPanel->SetCaption("");
    Integer Left = 0;
    auto MakeButton = [this, &Left](const char* Name, TAction* Action, Integer Width) {
        auto* B = MakeFormButton(this, actionPanel, Name, Action);
        B->SetBounds(Left, 0, Width, 73);
        Left += Width;
        B->SetAlign(alLeft);
        return B;
    };
    insertButton = MakeButton("insertButton", insertAction, 80);
    updateButton = MakeButton("updateButton", updateAction, 80);
    deleteButton = MakeButton("deleteButton", deleteAction, 80);
    exportButton = MakeButton("exportButton", exportAction, 90);
    importButton = MakeButton("importButton", importAction, 90);
    printButton = MakeButton("printButton", printAction, 80);
    closeButton = MakeButton("closeButton", closeAction, 80);
    exportButton->SetTabStop(false);
    importButton->SetTabStop(false);

    grid = New<TDidAririzEvar>(this);
    grid->SetName("grid");
    grid->SetParent(this);
    grid->SetAlign(alClient);
    grid->SetDefaultRowHeight(21);
    grid->SetFixedCols(0);
    grid->SetRowCount(1);
    grid->SetFixedRows(0);
    grid->SetParentFont(false);
    grid->Font()->SetName("細明體");
    grid->Font()->SetHeight(-16);
    grid->FixedFont()->Assign(grid->Font());
    grid->SetOptions(TGridOptions{goFixedVertLine, goFixedHorzLine, goVertLine, goHorzLine, goRangeSelect,
                                  goColSizing, goRowSelect});
    grid->SetScrollBars(ssBoth);
    grid->MouseActions()->SetDisjunctRowSelect(true);
    grid->SetShowSelection(false);
    grid->SortSettings()->Show = true;
    grid->SortSettings()->Column = 0;
    grid->SetWordWrap(false);
    // The list opens with the keys in the grid: the arrows move, Enter edits.
    grid->SetTabOrder(0);
    grid->OnDblClick = [this](TObject* S) { gridDblClick(S); };
    grid->OnDrawCell = [this](TObject* S, Integer C, Integer R, TRect Rect, TGridDrawState St) {
        gridDrawCell(S, C, R, Rect, St);
    };
    OnKeyPress = [this](TObject* S, WideChar& K) { gridKeyPress(S, K); };

    grid->SetColCount(ColumnCount);
    for (Integer C = 0; C < ColumnCount; ++C) {
        grid->SetCells(C, 0, Headers[C]);
        grid->SetColWidths(C, InitialWidths[C]);
    }
    std::vector<Integer> Widths = ColumnWidths();
    DrawStore()->LoadListWidths(Widths);
    for (Integer C = 0; C < ColumnCount; ++C)
        grid->SetColWidths(C, Widths[size_t(C)]);
    refreshPrizeList();

    OnClose = [this](TObject* S, TCloseAction& A) { FormClose(S, A); };
}

std::vector<Integer> TRewardListForm::ColumnWidths() const
{
    std::vector<Integer> Widths;
    for (Integer C = 0; C < ColumnCount; ++C)
        Widths.push_back(grid->ColWidths(C));
    return Widths;
}

void TRewardListForm::refreshPrizeList()
{
    grid->SetFixedRows(0);
    grid->ClearRowSelect();
    grid->SetRowCount(1);
    const std::vector<TPrizeStock> Prizes = DrawStore()->ListPrizes();
    for (const TPrizeStock& P : Prizes) {
        const Integer R = grid->RowCount();
        grid->SetRowCount(R + 1);
        grid->SetCells(0, R, IntToStr(static_cast<long long>(P.Id)));
        grid->SetCells(1, R, P.Name);
        grid->SetCells(2, R, IntToStr(P.Quantity));
    }
    if (!Prizes.empty())
        grid->SetFixedRows(1);
    // The row the grid's cursor stands on is the one selected: what is shown highlighted is what
    // Edit and Delete act on.
    if (grid->Row() >= 1 && grid->Row() < grid->RowCount())
        grid->SetRowSelect(grid->Row(), true);
    grid->Invalidate();
}

std::vector<Integer> TRewardListForm::SelectedRows() const
{
    std::vector<Integer> Rows;
    for (Integer R = 1; R < grid->RowCount(); ++R)
        if (grid->GetRowSelect(R))
            Rows.push_back(R);
    return Rows;
}

bool TRewardListForm::ShownSelected(Integer ARow) const
{
    if (ARow < 1 || ARow >= grid->RowCount())
        return false;
    if (grid->GetRowSelect(ARow))
        return true;
    // While the mouse sweeps over rows they are marked only when it is released; they show as
    // selected meanwhile.
    const TGridRect S = grid->Selection();
    return grid->GridState() == gsSelecting && ARow >= std::min(S.Top, S.Bottom) &&
           ARow <= std::max(S.Top, S.Bottom);
}

void TRewardListForm::insertActionExecute(TObject*)
{
    TOwned<TRewardForm> Editor(New<TRewardForm>(this));
    if (Editor->ShowModal() == 1) {
        TPrizeStock P;
        try {
            Editor->Read(P);
            DrawStore()->InsertPrize(P.Name, P.Quantity);
        } catch (const Exception& E) {
            // A quantity that is no integer: nothing is inserted, and the user learns why.
            showInformation(E.Message(), this);
        }
    }
    refreshPrizeList();
}

void TRewardListForm::updateActionExecute(TObject*)
{
    // Of several selected rows, the one the cursor stands on, else the first.
    const std::vector<Integer> Rows = SelectedRows();
    if (Rows.empty()) {
        showInformation("No record selected.", this);
        return;
    }
    const bool OnCursor = std::find(Rows.begin(), Rows.end(), grid->Row()) != Rows.end();
    const Integer Top = OnCursor ? grid->Row() : Rows.front();
    const TPrizeId Id = IdOf(grid->Cells(0, Top));
    TPrizeStock P;
    if (!DrawStore()->FindPrize(Id, P)) {
        showInformation(PrizeGone, this);
        return;
    }
    DrawStore()->Commit();
    TOwned<TRewardForm> Editor(New<TRewardForm>(this));
    Editor->Fill(P);
    if (Editor->ShowModal() != 1)
        return;
    try {
        Editor->Read(P);
    } catch (const Exception& E) {
        showInformation(E.Message(), this);
        return;
    }
    if (!DrawStore()->UpdatePrize(Id, P.Name, P.Quantity)) {
        showInformation(PrizeGone, this);
        return;
    }
    grid->SetCells(1, Top, Editor->name->Text());
    grid->SetCells(2, Top, Editor->quantity->Text());
}

void TRewardListForm::deleteActionExecute(TObject*)
{
    const std::vector<Integer> Rows = SelectedRows();
    if (Rows.empty()) {
        showInformation("No record selected.", this);
        return;
    }
    bool Gone = false;
    if (Rows.size() == 1) {
        const TPrizeId Id = IdOf(grid->Cells(0, Rows.front()));
        TPrizeStock P;
        if (!DrawStore()->FindPrize(Id, P))
            Gone = true;
        else if (askConfirmation("Delete '" + P.Name + "' ?", this))
            Gone = !DrawStore()->RemovePrize(Id);
    } else if (askConfirmation("Delete " + IntToStr(Integer(Rows.size())) + " records?", this)) {
        for (Integer R : Rows)
            if (!DrawStore()->RemovePrize(IdOf(grid->Cells(0, R))))
                Gone = true;
    }
    refreshPrizeList();
    if (Gone)
        showInformation(PrizeGone, this);
}

AnsiString TRewardListForm::OrganisationName() const
{
    for (TComponent* C = Owner(); C; C = C->Owner())
        if (auto* Main = dynamic_cast<TMainForm*>(C))
            return Main->companyName->Caption();
    if (auto* Main = dynamic_cast<TMainForm*>(Application->MainForm()))
        return Main->companyName->Caption();
    return "";
}

void TRewardListForm::printActionExecute(TObject*)
{
    TOwned<TPrintPreviewForm> Preview(New<TPrintPreviewForm>(this));
    Integer Width = 0;
    for (Integer C = 0; C < grid->ColCount(); ++C)
        Width += grid->ColWidths(C);
    Preview->VuPreview1->SetOrientation(Width > 701 ? vuLandscape : vuPortrait);
    // The print job, and the file a file printer writes, are named after the list.
    Preview->VuPreview1->GetVuPrinter()->Title = Caption();
    Preview->addPrintTitles(OrganisationName(), Caption(), "");
    Preview->addGridPages(50, 150, grid, 5);
    Preview->ShowModal();
}

void TRewardListForm::exportActionExecute(TObject* Sender)
{
    TOwned<TPrintPreviewForm> Window(New<TPrintPreviewForm>(this));
    Window->sourceGrid = grid;
    Window->exportButtonClick(Sender);
}

void TRewardListForm::importActionExecute(TObject*)
{
    TOwned<TPrintPreviewForm> Window(New<TPrintPreviewForm>(this));
    Window->eGrid->SetColCount(12);
    // Cells arrive as 8-bit (UTF-8) text, trimmed, as the stored names are.
    Window->xls->UseUnicode = false;
    AnsiString Failure;
    if (Window->OpenDialog1->Execute()) {
        const AnsiString FileName = Window->OpenDialog1->FileName();
        // The sheet is read whole and every row checked before the first one is stored; the
        // store takes all rows or none. Names are handed to the store as values: nothing of the
        // file becomes query text.
        try {
            Window->xls->XLSImport(FileName);
            DrawStore()->ImportPrizes(ImportedRows(Window->eGrid));
        } catch (const EExcelException& E) {
            // The engine reads a stream and cannot name the file that is no spreadsheet.
            if (E.Message() == XlsFormat(zivXlsMessages::ErrFileIsNotXLS, {AnsiString()}))
                Failure = fitPathInMessage("The file \"", FileName, "\" is invalid. Nothing was imported.");
            else
                Failure = fitPathInMessage("Nothing was imported from ", FileName, ": " + E.Message());
        } catch (const Exception& E) {
            Failure = fitPathInMessage("Nothing was imported from ", FileName, ": " + E.Message());
        } catch (const std::exception& E) {
            Failure = fitPathInMessage("Nothing was imported from ", FileName, ": " + AnsiString(E.what()));
        }
    }
    refreshPrizeList();
    if (!Failure.empty())
        showInformation(Failure, this);
}

void TRewardListForm::closeActionExecute(TObject*)
{
    Close();
}

void TRewardListForm::gridDblClick(TObject* Sender)
{
    updateActionExecute(Sender);
}

void TRewardListForm::gridKeyPress(TObject* Sender, WideChar& Key)
{
    if (Key != '\r' || ActiveControl() != grid)
        return;
    Key = 0;
    updateActionExecute(Sender);
}

void TRewardListForm::gridDrawCell(TObject*, Integer ACol, Integer ARow, TRect Rect, TGridDrawState)
{
    TCanvas* C = grid->Canvas();
    C->Font()->SetColor(clBlack);
    if (ARow == 0) {
        C->Brush()->SetColor(grid->FixedColor());
        C->FillRect(Rect);
    } else if (ShownSelected(ARow)) {
        C->Brush()->SetColor(clHighlight);
        C->Font()->SetColor(clWhite);
        C->FillRect(Rect);
    } else {
        return; // what the grid painted stays
    }
    const AnsiString Text = grid->Cells(ACol, ARow);
    const Integer Top = Rect.Top + (Rect.Height() - C->TextHeight(Text)) / 2;
    C->TextRect(Rect, Rect.Left + 1, Top, Text);
}

void TRewardListForm::FormClose(TObject*, TCloseAction&)
{
    DrawStore()->StoreListWidths(ColumnWidths());
}
