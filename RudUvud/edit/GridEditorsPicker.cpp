// The grid's picker editors, its drop-down date-time editor, and the grid's side of them: filling
// a picker from the cell, writing its value back in the cell's form (text, memo lines, colour,
// image index, date and time), the colour and image selection events and the header and footer
// buttons of the pickers' popups.

#include "RudUvud/edit/GridEditorsPicker.h"

#include "RudUvud/core/RudUvud.h"
#include "RudUvud/edit/GridEditState.h"

#include "platform/rtl/Conversions.h"
#include "platform/rtl/DateTime.h"
#include "platform/rtl/FormatSettings.h"

#include <cstdlib>

namespace grideditors {

namespace {

void PickerFocusGrid(TDidAririzEvar* G)
{
    if (G->CanFocus())
        G->SetFocus();
}

// The value a picker's commit keys validate: the edit text, or for the colour picker (whose edit
// shows a colour box, not its text) the text the colour goes back as.
AnsiString PickerText(TDizEveverAvivIzar* Picker, TPickerMember M)
{
    if (M == TPickerMember::Color)
        return static_cast<TZerUdiraZiruziZidaZore*>(Picker)->GetSelectedColorText();
    return Picker->Text();
}

// Sets and validates the cell; false when validation refused (the refused text is then shown).
bool CommitPicker(TDidAririzEvar* G, TDizEveverAvivIzar* Picker, TPickerMember M, Word& Key)
{
    const AnsiString Text = PickerText(Picker, M);
    G->SetCurrentCell(Text);
    if (!G->ValidateCell(Text)) {
        Picker->SetTextDirect(G->ValidatedText());
        if (Key == VK_TAB) {
            const Integer L = static_cast<Integer>(Picker->Text().size());
            Picker->SetSelStart(L);
            Picker->SetSelLength(0);
        } else {
            Picker->SelectAll();
        }
        Picker->Invalidate();
        Key = 0;
        return false;
    }
    if (M != TPickerMember::Color)
        Picker->SetTextDirect(G->GetCurrentCell());
    return true;
}

void SetCancelled(TDizEveverAvivIzar* Picker, bool Value)
{
    if (auto* C = dynamic_cast<TGridColorDropDown*>(Picker))
        C->SetCancelled(Value);
    else if (auto* I = dynamic_cast<TGridImageDropDown*>(Picker))
        I->SetCancelled(Value);
}

} // namespace

bool PickerWantsKey(TDidAririzEvar* G, TPickerMember M, WPARAM Key)
{
    if (!G)
        return false;
    if ((M == TPickerMember::Trackbar || M == TPickerMember::Color) && (Key == VK_RETURN || Key == VK_ESCAPE))
        return true;
    return Key == VK_TAB && G->ShouldHandleTab();
}

void EditorKeyPress(TDidAririzEvar* G, TObject* Sender, WideChar& Key)
{
    if (G && G->OnKeyPress)
        G->OnKeyPress(Sender, Key);
}

bool PickerKeyDown(TDidAririzEvar* G, TDizEveverAvivIzar* Picker, TPickerMember M, Word& Key,
                   TShiftState Shift)
{
    if (!G || !G->Editing().Active)
        return false;
    // 1. The keys the protocol handles; the colour picker leaves the arrows and pages to its
    // open popup. Alt+Down opens the popup in the picker.
    const bool ColorOpen = M == TPickerMember::Color && Picker->DroppedDown();
    const bool Handled = Key == VK_TAB || Key == VK_RETURN || Key == VK_ESCAPE ||
                         (!ColorOpen && (Key == VK_PRIOR || Key == VK_NEXT || Key == VK_END || Key == VK_UP ||
                                         Key == VK_DOWN));
    if (!Handled || (Key == VK_DOWN && Shift.Contains(ssAlt)))
        return false;
    if (Key == VK_TAB && !G->ShouldHandleTab())
        return false;
    const TNavigation& Nav = *G->Navigation();

    // 2. Esc: the cell's text back, and the edit ends. The popup closes without taking its
    // choice; a colour or image picker writes nothing (its choice is not in the text).
    if (Key == VK_ESCAPE) {
        if (Picker->DroppedDown())
            Picker->HideDropDown(true);
        if (M == TPickerMember::Trackbar)
            Picker->SetText(G->GetCurrentCell());
        else
            Picker->SetTextDirect(G->GetCurrentCell());
        SetCancelled(Picker, true);
        Key = 0;
        G->HideInplaceEdit();
        PickerFocusGrid(G);
        return true;
    }
    // Enter and Tab take the popup's choice first: the popup does not outlive the edit.
    if ((Key == VK_RETURN || Key == VK_TAB) && Picker->DroppedDown())
        Picker->HideDropDown(false);

    // 3. Commit keys.
    const bool Commits = Key == VK_RETURN || (M != TPickerMember::Color && (Key == VK_UP || Key == VK_DOWN));
    if (Commits) {
        if (M == TPickerMember::Calculator && Key == VK_RETURN)
            static_cast<TRarEzaveraravOdororud*>(Picker)->CalcResult();
        if (!CommitPicker(G, Picker, M, Key))
            return true;
    }
    // 4. Tab.
    bool TabPosted = false;
    if (Key == VK_TAB) {
        if (!CommitPicker(G, Picker, M, Key))
            return true;
        if (G->Options().Contains(goTabs)) {
            Key = 0;
            G->HideInplaceEdit();
            PickerFocusGrid(G);
            G->TabEdit(GetKeyState(VK_SHIFT) < 0);
            return true;
        }
        if (G->HandleAllocated()) {
            PostMessage(G->Handle(), WM_KEYDOWN, VK_TAB, 0);
            TabPosted = true;
        }
    }
    // 5. An open popup ends with the edit and keeps the grid where it is; a closed one lets End
    // move the caret.
    Word Ending = TabPosted ? Word(0) : Key;
    if (Picker->DroppedDown()) {
        G->HideInplaceEdit();
        Picker->HideDropDown(true);
        if (Ending == VK_PRIOR || Ending == VK_NEXT || Ending == VK_UP || Ending == VK_DOWN)
            Ending = 0;
    } else if (Key == VK_END) {
        return false;
    }
    // 6. The end, and with automatic advance the next cell's editor.
    Key = 0;
    G->DoneInplaceEdit(Ending, Shift);
    if (Nav.AdvanceOnEnter && Nav.AdvanceAutoEdit)
        G->ShowInplaceEdit();
    return true;
}

} // namespace grideditors

// ---- The members -----------------------------------------------------------------------------------

TGridTrackbarDropDown::TGridTrackbarDropDown(TComponent* AOwner) : TGridPickerEditor(AOwner)
{
    SetEditorEnabled(true);
}

TGridCalculatorDropDown::TGridCalculatorDropDown(TComponent* AOwner) : TGridPickerEditor(AOwner)
{
    SetEditorEnabled(true);
}

TGridTimepickerDropDown::TGridTimepickerDropDown(TComponent* AOwner) : TGridPickerEditor(AOwner)
{
    // The time's edit part is not typed into: the focused time shows as plain text.
    SetFocusHighlight(false);
}

TGridColorDropDown::TGridColorDropDown(TComponent* AOwner) : TGridPickerEditor(AOwner)
{
    AddDefaultColors();
    TDidAririzEvar* G = FGrid;
    OnSelect = [G](TObject* Sender) { G->DoColorSelect(Sender); };
}

TGridImageDropDown::TGridImageDropDown(TComponent* AOwner) : TGridPickerEditor(AOwner)
{
    TDidAririzEvar* G = FGrid;
    OnSelect = [G](TObject* Sender) { G->DoImageSelect(Sender); };
}

TGridDateTimePicker::TGridDateTimePicker(TComponent* AOwner)
    : TDidAzadEzazAredav(AOwner), FGrid(dynamic_cast<TDidAririzEvar*>(AOwner))
{
    if (TDidAririzEvar* G = FGrid) {
        OnCloseUp = [G](TObject* Sender) { G->DatePickerCloseUp(Sender); };
        OnChange = [G](TObject* Sender) { G->DateTimePickerChange(Sender); };
    }
}

void TGridDateTimePicker::KeyDown(Word& Key, TShiftState Shift)
{
    TDidAririzEvar* G = FGrid;
    const bool Tab = Key == VK_TAB && G && G->ShouldHandleTab();
    if (!G || !G->Editing().Active || !(Key == VK_ESCAPE || Key == VK_RETURN || Tab)) {
        TDidAzadEzazAredav::KeyDown(Key, Shift);
        return;
    }
    const Word K = Key;
    Key = 0;
    if (K == VK_ESCAPE)
        SetDateTimeEx(G->Editing().DateTimeStart);
    const AnsiString Text = G->Editing().Active && Checked()
                                ? FormatDateTime(ShortDateFormat + " " + ShortTimeFormat, GetDateTimeEx())
                                : AnsiString();
    G->HideInplaceEdit();
    if (G->CanFocus())
        G->SetFocus();
    if (K == VK_RETURN)
        G->AdvanceEdit(G->Col(), G->Row(), false, true, true, false, true);
    else if (K == VK_TAB) {
        G->SetCurrentCell(Text);
        G->TabEdit(GetKeyState(VK_SHIFT) < 0);
    }
}

// ---- The grid's side --------------------------------------------------------------------------------

void TDidAririzEvar::DoColorSelect(TObject*)
{
    TGridColorDropDown* C = FEditors.ColorDropDown;
    if (OnColorSelect && C && !C->Cancelled())
        OnColorSelect(this, Col(), Row(), C->SelectedColor(), C->GetSelectedColorText());
}

void TDidAririzEvar::DoImageSelect(TObject*)
{
    TGridImageDropDown* I = FEditors.ImageDropDown;
    if (OnImageSelect && I && !I->Cancelled())
        OnImageSelect(this, Col(), Row(), I->ItemIndex());
}

void TDidAririzEvar::DateTimePickerChange(TObject*)
{
    if (OnDateTimeChange && FEditors.DateTimePicker)
        OnDateTimeChange(this, Col(), Row(), FEditors.DateTimePicker->GetDateTimeEx());
}

void TDidAririzEvar::DoHeaderButtonClick(TObject*, Integer ButtonIndex)
{
    if (OnDropDownHeaderButtonClick)
        OnDropDownHeaderButtonClick(this, Col(), Row(), ButtonIndex);
}

void TDidAririzEvar::DoFooterButtonClick(TObject*, Integer ButtonIndex)
{
    if (OnDropDownFooterButtonClick)
        OnDropDownFooterButtonClick(this, Col(), Row(), ButtonIndex);
}

namespace {

TDateTime DateTimeOrNow(const AnsiString& S)
{
    TDateTime V = 0;
    return !S.empty() && TryStrToDateTime(S, V) ? V : Now();
}

// The steps every picker's show shares before its own fill.
void PreparePicker(TDidAririzEvar* G, TDizEveverAvivIzar* P, const TRect& Cell)
{
    P->SetDropDownFooter(G->ControlLook()->DropDownFooter());
    P->SetDropDownHeader(G->ControlLook()->DropDownHeader());
    P->SetComponentStyle(G->ComponentStyle());
    P->OnDropDownHeaderButtonClick = [G](TObject* Sender, Integer I) { G->DoHeaderButtonClick(Sender, I); };
    P->OnDropDownFooterButtonClick = [G](TObject* Sender, Integer I) { G->DoFooterButtonClick(Sender, I); };
}

} // namespace

TWinControl* TDidAririzEvar::ShowPickerEditor(Integer ACol, Integer ARow, const TRect& Cell, TColor CellColor,
                                              WideChar Start)
{
    const TGridEditingState& E = FEdit.Editing;
    const Integer RC = RealColIndex(ACol);
    const AnsiString Text = GetEditText(ACol, ARow);
    const Integer W = Cell.Right - Cell.Left, H = Cell.Bottom - Cell.Top;
    auto Focus = [](TWinControl* C) {
        if (C->CanFocus())
            C->SetFocus();
    };

    if (E.Type == edDateTimeEdit) {
        TGridDateTimePicker* D = FEditors.DateTimePicker;
        if (!D)
            return nullptr;
        if (!D->Parent())
            D->SetParent(this);
        const TDateTime Value = DateTimeOrNow(Text);
        FEdit.Editing.DateTimeStart = Value;
        D->SetDateTimeEx(Value);
        D->SetKind(dkDateTime);
        D->SetBorderStyle(bsNone);
        D->SetBounds(Cell.Left, Cell.Top, W, D->Height() < H ? H : D->Height());
        D->SetEnabled(true);
        D->SetVisible(true);
        D->SetColor(CellColor);
        Focus(D);
        return D;
    }

    TWinControl* C = E.Kind && E.Kind->Control ? E.Kind->Control(FEditors) : nullptr;
    auto* P = dynamic_cast<TDizEveverAvivIzar*>(C);
    if (!P)
        return nullptr;
    PreparePicker(this, P, Cell);
    DoGetEditorProp(RC, ARow, E.EditLink);
    if (E.Type == edGridDropDown) {
        FEditors.GridDropDown->BeginUpdate();
        FEditors.GridDropDown->EndUpdate();
    }
    P->SetBounds(Cell.Left, Cell.Top, 0, 0);
    P->SetEnabled(true);
    P->SetBorderStyle(bsNone);
    P->SetBounds(Cell.Left, Cell.Top, W, H);
    if (auto* Cancel = dynamic_cast<TGridColorDropDown*>(P))
        Cancel->SetCancelled(false);
    if (auto* Cancel = dynamic_cast<TGridImageDropDown*>(P))
        Cancel->SetCancelled(false);
    switch (E.Type) {
    case edTrackbarDropDown:
        FEditors.TrackbarDropDown->SetPosition(static_cast<Integer>(std::strtol(Text.c_str(), nullptr, 10)));
        P->SetColor(CellColor);
        break;
    case edMemoDropDown:
    case edCalculatorDropDown:
        P->SetText(Text);
        P->SetColor(CellColor);
        break;
    case edTimePickerDropDown:
    case edDetailDropDown:
        P->SetText(Text);
        P->SetColor(CellColor);
        P->SetEditorEnabled(true);
        break;
    case edGridDropDown:
        if (Text.empty())
            FEditors.GridDropDown->SetItemIndex(0);
        P->SetText(Text);
        P->SetColor(CellColor);
        P->SetEditorEnabled(true);
        break;
    case edColorPickerDropDown: {
        TGridColorDropDown* Cp = FEditors.ColorDropDown;
        Cp->SetCancelled(true); // the fill is no choice of the user's
        Cp->SetSelectedColor(GetCellType(RC, ARow) == ctShape ? GetShapeColor(RC, ARow)
                                                              : GetColors(RC, ARow));
        Cp->SetCancelled(false);
        break;
    }
    case edImagePickerDropDown: {
        TGridImageDropDown* Ip = FEditors.ImageDropDown;
        const TCellType T = GetCellType(RC, ARow);
        if (T == ctImageList || T == ctDataImage) {
            Ip->SetImages(GridImages());
            if (Ip->Items()->Count() == 0)
                Ip->AddImagesFromImageList();
            Integer Index = -1;
            if (T == ctImageList)
                GetImageIdx(RC, ARow, Index);
            else
                Index = GetInts(RC, ARow);
            Ip->SetCancelled(true);
            Ip->SetImageIndex(Index);
            Ip->SetCancelled(false);
        }
        const Integer I = Ip->ItemIndex();
        P->SetText(I >= 0 && I < Ip->Items()->Count() ? Ip->Items()->Items(I)->Caption() : AnsiString());
        break;
    }
    default:
        break;
    }
    P->SetVisible(true);
    Focus(P);
    if (E.Type == edDetailDropDown) {
        TGridDetailPickerDropDown* D = FEditors.DetailPickerDropDown;
        for (Integer I = 0; I < D->Items()->Count(); ++I)
            if (D->Items()->Items(I)->Caption() == Text) {
                D->SetItemIndex(I);
                break;
            }
    }
    if (Start != 0 && P->HandleAllocated())
        PostMessage(P->Handle(), WM_CHAR, Start, 0);
    if (FMouseActions->DirectComboDrop)
        P->ShowDropDown();
    return P;
}

void TDidAririzEvar::WritePickerValue(TWinControl* C, Integer RC, Integer ARow)
{
    auto Store = [&](const AnsiString& V) { UpdateEditingCell(RC, ARow, V); };
    switch (FEdit.Editing.Type) {
    case edDateTimeEdit: {
        TGridDateTimePicker* D = FEditors.DateTimePicker;
        Store(D->Checked() ? FormatDateTime(ShortDateFormat + " " + ShortTimeFormat, D->GetDateTimeEx())
                           : AnsiString());
        break;
    }
    case edMemoDropDown: {
        // The lines as one text, joined by CR LF.
        TStringList* L = FEditors.MemoDropDown->MemoText();
        AnsiString S;
        for (Integer I = 0; I < L->Count(); ++I)
            S += (I ? "\r\n" : "") + L->Strings(I);
        Store(S);
        break;
    }
    case edGridDropDown:
        Store(FEditors.GridDropDown->GetTextEx());
        break;
    case edColorPickerDropDown: {
        TGridColorDropDown* Cp = FEditors.ColorDropDown;
        if (Cp->Cancelled())
            break;
        TColor Color = Cp->SelectedColor();
        AnsiString Value = Cp->GetSelectedColorText();
        if (OnColorSelected)
            OnColorSelected(this, RC, ARow, Color, Value);
        Store(Value);
        if (GetCellType(RC, ARow) == ctShape)
            SetShapeColor(RC, ARow, Color);
        else
            SetColors(RC, ARow, Color);
        break;
    }
    case edImagePickerDropDown: {
        TGridImageDropDown* Ip = FEditors.ImageDropDown;
        if (Ip->Cancelled())
            break;
        Integer Index = Ip->ImageIndex();
        if (OnImageSelected)
            OnImageSelected(this, RC, ARow, Index);
        const TCellType T = GetCellType(RC, ARow);
        if (T == ctImageList)
            SetImageIdx(RC, ARow, Index);
        else if (T == ctDataImage)
            Store(IntToStr(Index));
        break;
    }
    default:
        if (auto* P = dynamic_cast<TDizEveverAvivIzar*>(C))
            Store(P->Text());
        else
            Store(C->Text());
        break;
    }
}
