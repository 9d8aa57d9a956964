// The custom editor link (see EditLink.h) and the grid's side of its show.

#include "RudUvud/edit/EditLink.h"

#include "RudUvud/core/RudUvud.h"
#include "RudUvud/edit/GridEditState.h"

#include "platform/forms/Forms.h"

TEditLink::TEditLink(TComponent* AOwner) : TComponent(AOwner) {}

TEditLink::~TEditLink()
{
    if (FPopupForm) {
        TForm* F = FPopupForm;
        FPopupForm = nullptr;
        F->OnDeactivate = nullptr;
        F->Free();
    }
}

void TEditLink::Notification(TComponent* AComponent, TOperation Operation)
{
    TComponent::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent == FPopupForm)
        FPopupForm = nullptr;
}

void TEditLink::Show(TDidAririzEvar* G, const TRect& R, Integer RealCol, Integer ARow, TColor CellColor,
                     TFont* CellFont)
{
    TGridEditingState& E = G->FEdit.Editing;
    E.Active = true;
    FGrid = G;
    FEditCell = TPoint{RealCol, ARow};
    if (EditStyle == esPopup) {
        if (AutoPopupWidth)
            PopupWidth = R.Right - R.Left;
        if (!FPopupForm) {
            if (TComponent* Stray = Application->FindComponent("gridform"))
                Stray->Free();
            FPopupForm = New<TForm>(Application);
            FPopupForm->SetName("gridform");
            FPopupForm->FreeNotification(this);
        }
        TPoint P{PopupLeft, PopupTop};
        if (PopupLeft == -1 || PopupTop == -1)
            P = G->ClientToScreen(TPoint{R.Left, R.Top});
        FPopupForm->SetBounds(P.X, P.Y, 0, 0);
        FPopupForm->OnDeactivate = [this](TObject* Sender) { FormExit(Sender); };
        FPopupForm->SetFormStyle(fsStayOnTop);
        FPopupForm->SetBorderStyle(bsNone);
        FPopupForm->Show();
        FPopupForm->SetWidth(PopupWidth);
        FPopupForm->SetHeight(PopupHeight);
        CreateEditor(FPopupForm);
        SetRect(TRect{0, 0, PopupWidth, PopupHeight});
    } else {
        CreateEditor(G);
        SetRect(R);
    }
    SetVisible(true);
    SetCellProps(CellColor, CellFont);
    SetProperties();
    G->DoGetEditorProp(RealCol, ARow, this);
    SetEditorValue(G->GetEditText(G->DisplColIndex(RealCol), ARow));
    const WideChar Start = E.StartChar;
    SetFocus(true);
    E.DonePending = true;
    TWinControl* C = GetEditControl();
    if (Start != 0 && C && C->HandleAllocated())
        PostMessage(C->Handle(), WM_CHAR, Start, 0);
    E.Shown = C;
}

void TEditLink::ForcedFocusToGrid()
{
    FForcedExit = true;
    if (FGrid->CanFocus())
        FGrid->SetFocus();
    FForcedExit = false;
}

void TEditLink::EditKeyDown(TObject*, Word& Key, TShiftState Shift)
{
    if (!FGrid)
        return;
    switch (Key) {
    case VK_TAB:
        break;
    case VK_RETURN:
        if (WantKeyReturn)
            return;
        break;
    case VK_ESCAPE:
        if (WantKeyEscape)
            return;
        break;
    case VK_PRIOR:
    case VK_NEXT:
        if (WantKeyPriorNext)
            return;
        break;
    case VK_END:
        if (WantKeyHomeEnd)
            return;
        break;
    case VK_LEFT:
    case VK_RIGHT:
        if (WantKeyLeftRight)
            return;
        break;
    case VK_UP:
    case VK_DOWN:
        if (WantKeyUpDown)
            return;
        break;
    default:
        return;
    }
    TDidAririzEvar* G = FGrid;
    TGridEditingState& E = G->FEdit.Editing;
    if (Key == VK_ESCAPE)
        SetEditorValue(E.Cache);
    ForcedFocusToGrid();
    G->HideEditControl(G->Col(), G->Row());
    E.Active = false;
    G->SelectCell(G->Col(), G->Row());
    if (Key == VK_RETURN && E.Accepted) {
        G->AdvanceEdit(G->Col(), G->Row(), false, true, !Shift.Contains(ssShift), false, true);
        Key = 0;
        return;
    }
    if (!E.Accepted) {
        // The value was refused: the editor opens again on the cell.
        E.Accepted = true;
        G->ShowEditControl(G->Col(), G->Row());
        return;
    }
    if (Key == VK_ESCAPE) {
        Key = 0;
        return;
    }
    if (Key == VK_TAB || (Key >= VK_LEFT && Key <= VK_DOWN))
        G->TBaseGrid::KeyDown(Key, Shift);
    if (TWinControl* C = GetEditControl())
        C->SetEnabled(false);
    ForcedFocusToGrid();
}

void TEditLink::SetFocus(bool Value)
{
    TWinControl* C = GetEditControl();
    if (!C)
        return;
    if (Value) {
        if (!C->Visible())
            C->SetVisible(true);
        if (!C->Enabled())
            C->SetEnabled(true);
    }
    // In place, the grid answers the control's dialog-code query so that Tab and the arrows
    // reach it with goTabs; installed once, so that the kept procedure is always the control's.
    if (EditStyle == esInplace && FSubclassed != C) {
        RestoreWinProc();
        FSubclassed = C;
        FKeptProc = C->WindowProc();
        TDidAririzEvar* G = FGrid;
        TWndMethod Kept = FKeptProc;
        C->SetWindowProc([G, Kept](TMessage& M) {
            if (!G || !G->SubclassProc(M))
                Kept(M);
        });
    }
    if (Value) {
        if (C->CanFocus())
            C->SetFocus();
    } else if (FGrid && FGrid->CanFocus()) {
        FGrid->SetFocus();
    }
}

void TEditLink::SetRect(const TRect& R)
{
    TWinControl* C = GetEditControl();
    if (!C || !FGrid)
        return;
    const Integer L = FGrid->GridLineWidth();
    C->SetBounds(R.Left, R.Top, R.Right - R.Left - L, R.Bottom - R.Top - L);
}

void TEditLink::SetVisible(bool Value)
{
    if (TWinControl* C = GetEditControl())
        C->SetVisible(Value);
}

void TEditLink::RestoreWinProc()
{
    TWinControl* C = FSubclassed;
    if (!C)
        return;
    C->SetWindowProc(FKeptProc);
    FSubclassed = nullptr;
    FKeptProc = nullptr;
    if (C->HandleAllocated())
        ShowWindow(C->Handle(), SW_HIDE);
}

void TEditLink::HideEditor()
{
    SetCellValue(GetEditorValue());
    if (FGrid)
        FGrid->HideInplaceEdit();
    RestoreWinProc();
}

void TEditLink::EditExit(TObject*)
{
    HideEditor();
    if (EditStyle == esPopup && FPopupForm) {
        DestroyEditor();
        FPopupForm->Hide();
    }
}

void TEditLink::FormExit(TObject* Sender)
{
    if (!FGrid)
        return;
    if (TInplaceEdit* T = FGrid->InplaceEditor())
        T->SetText(GetEditorValue());
    if (FForcedExit) {
        SetCellValue(GetEditorValue());
        return;
    }
    EditExit(Sender);
    FGrid->FEdit.Editing.PopupClosed = true;
}

AnsiString TEditLink::GetCellValue()
{
    return FGrid ? FGrid->Cells(FGrid->RealColIndex(FGrid->Col()), FGrid->Row()) : AnsiString();
}

// The value goes to the cell the edit was opened on.
void TEditLink::SetCellValue(const AnsiString& S)
{
    if (FGrid && FGrid->Editing().Active && FEditCell.X >= 0 && FEditCell.Y >= 0 &&
        FEditCell.Y < FGrid->RowCount())
        FGrid->UpdateEditingCell(FEditCell.X, FEditCell.Y, S);
}

TWinControl* TEditLink::GetParent()
{
    if (EditStyle == esPopup)
        return FPopupForm;
    return FGrid;
}
