// The grid's combo editors, 8-bit and wide: the drop-down width fitted to the items, lookup
// completion, the wheel stepping through the items, the combo change events, the history of typed
// values and the Enter event.

#include "RudUvud/edit/GridEditors.h"

#include "RudUvud/core/RudUvud.h"
#include "RudUvud/edit/GridEditState.h"

#include "platform/rtl/Conversions.h"

namespace {

// The drop width that shows every item: the widest item and room for the list's scroll bar
// when there are more items than the list shows at once.
Integer FittedDropWidth(Integer Width, Integer Count, Integer DropDownCount,
                        const std::vector<Integer>& Widths)
{
    Integer W = Width;
    const bool Scroll = Count > DropDownCount;
    for (Integer N : Widths) {
        if (Scroll && W - 25 < N)
            W = N + 25;
        else if (!Scroll && W - 5 < N)
            W = N + 8;
    }
    return W;
}

void ComboEvents(TDidAririzEvar* G, Integer Index, const AnsiString& S, const AnsiString& S2, TObject* Object)
{
    const Integer RC = G->RealColIndex(G->Col());
    if (G->OnComboChange)
        G->OnComboChange(G, RC, G->Row(), Index, S);
    if (G->OnComboObjectChange)
        G->OnComboObjectChange(G, RC, G->Row(), Index, S2, Object);
}

// One wheel step through a combo's items: towards the user the next item, away the previous one;
// the selection stays within the list (a step past the last item keeps it).
template <class Combo> bool WheelStep(Combo* Cb, WPARAM WParam)
{
    const Integer Count = Cb->Items()->Count();
    const Integer I = Cb->ItemIndex();
    if (static_cast<short>(HIWORD(WParam)) < 0) {
        if (I + 1 < Count)
            Cb->SetItemIndex(I + 1);
    } else if (I > 0) {
        Cb->SetItemIndex(I - 1);
    }
    return Cb->ItemIndex() >= 0 && Cb->ItemIndex() < Count;
}

HWND EditOf(TCustomComboBox* Cb)
{
    return Cb->HandleAllocated() ? GetWindow(Cb->Handle(), GW_CHILD) : nullptr;
}

} // namespace

// ---- 8-bit combo ------------------------------------------------------------------------------------

TGridCombo::TGridCombo(TComponent* AOwner) : TGridTextEditorControl(AOwner)
{
    SetButtonWidth(16);
}

void TGridCombo::CreateWnd()
{
    TGridTextEditorControl::CreateWnd();
    grideditors::HookComboEdit(FGrid, this, EditHandle(), TEditorProtocol::Combo, this);
}

void TGridCombo::SizeDropDownWidth()
{
    if (!HandleAllocated())
        return;
    std::vector<Integer> Widths;
    for (Integer I = 0; I < Items()->Count(); ++I)
        Widths.push_back(FGrid->Canvas()->TextWidth(Items()->Strings(I)));
    const Integer W =
        Items()->Count() == 0 ? Width() : FittedDropWidth(Width(), Items()->Count(), DropDownCount(), Widths);
    SendMessage(Handle(), CB_SETDROPPEDWIDTH, W, 0);
}

void TGridCombo::DoChange()
{
    if (!FLookupArmed || !FGrid->Lookup() || Style() == csDropDownList)
        return;
    AnsiString T = Text();
    Integer From = SelStart();
    if (SelLength() != 0)
        return;
    Integer To = From;
    Integer I = grideditors::LookupComplete(FGrid, Items(), T, From, To);
    if (I >= 0) {
        SetItemIndex(I);
    } else if (grideditors::LookupComplete(FGrid, FGrid->LookupItems(), T, From, To) < 0) {
        return;
    }
    SetText(T);
    SendMessage(Handle(), CB_SETEDITSEL, 0, MAKELPARAM(From, To));
}

void TGridCombo::KeyDown(Word& Key, TShiftState Shift)
{
    FLookupArmed = Key != VK_BACK && Key != VK_DELETE;
    TGridTextEditorControl::KeyDown(Key, Shift);
}

void TGridCombo::KeyPress(WideChar& Key)
{
    const Integer Before = ItemIndex();
    if (FGrid->OnKeyPress)
        FGrid->OnKeyPress(this, Key);
    if (Key == 27)
        Key = 0;
    if (Key == 13 && OnReturnKey)
        OnReturnKey(this);
    if (Key == 13 || Key == 9)
        Key = 0;
    TDAEComboBox::KeyPress(Key);
    const Integer After = ItemIndex();
    if (After != Before && After >= 0)
        ComboEvents(FGrid, After, Text(), Text(), Items()->Objects(After));
}

void TGridCombo::KeyUp(Word& Key, TShiftState Shift)
{
    if (Key != VK_RETURN)
        TDAEComboBox::KeyUp(Key, Shift);
    FLookupArmed = Key != VK_BACK && Key != VK_DELETE;
    if (Key != VK_RETURN && FGrid->Editing().Active)
        DoChange();
}

void TGridCombo::EditExit()
{
    const AnsiString T = Text();
    if (FGrid->LookupHistory() && !T.empty() && Items()->IndexOf(T) < 0)
        Items()->Add(T);
    FGrid->HideInplaceEdit();
}

void TGridCombo::DoExit()
{
    EditExit();
    TDAEComboBox::DoExit();
}

void TGridCombo::WndProc(TMessage& Message)
{
    if (static_cast<Integer>(Message.Msg) == FGrid->MouseWheelMessage()) {
        if (WheelStep(this, Message.WParam)) {
            const Integer I = ItemIndex();
            const AnsiString S = Items()->Strings(I);
            if (FGrid->OnEditChange)
                FGrid->OnEditChange(FGrid, FGrid->RealColIndex(FGrid->Col()), FGrid->Row(), S);
            ComboEvents(FGrid, I, S, S, Items()->Objects(I));
        }
        Message.Result = 0;
        return;
    }
    TGridTextEditorControl::WndProc(Message);
    if (Message.Msg == WM_SETFOCUS) {
        const HWND Edit = EditOf(this);
        if (Style() == csDropDown)
            grideditors::CaretAtEnd(FGrid, Edit);
        grideditors::CaretAtClick(FGrid, this, Edit);
    }
}

// ---- Wide combo -------------------------------------------------------------------------------------

TGridUniCombo::TGridUniCombo(TComponent* AOwner) : TGridEditorControl(AOwner)
{
    SetButtonWidth(16);
}

void TGridUniCombo::CreateWnd()
{
    TGridEditorControl::CreateWnd();
    grideditors::HookComboEdit(FGrid, this, EditHandle(), TEditorProtocol::UniCombo, this);
}

void TGridUniCombo::SizeDropDownWidth()
{
    if (!HandleAllocated())
        return;
    std::vector<Integer> Widths;
    for (Integer I = 0; I < Items()->Count(); ++I) {
        const WideString S = Items()->Strings(I);
        SIZE Sz{};
        GetTextExtentPoint32W(FGrid->Canvas()->Handle(), S.c_str(), static_cast<int>(S.size()), &Sz);
        Widths.push_back(Sz.cx);
    }
    const Integer W =
        Items()->Count() == 0 ? Width() : FittedDropWidth(Width(), Items()->Count(), DropDownCount(), Widths);
    SendMessage(Handle(), CB_SETDROPPEDWIDTH, W, 0);
}

void TGridUniCombo::DoChange()
{
    if (!FLookupArmed || !FGrid->Lookup() || Style() == csDropDownList)
        return;
    // Compared as 8-bit text; with UTF-8 nothing is lost on the way.
    AnsiString T = UTF8Encode(Text());
    const AnsiString Typed = UTF8Encode(Text().substr(0, SelStart()));
    if (SelLength() != 0)
        return;
    TStringList Narrow;
    for (Integer I = 0; I < Items()->Count(); ++I)
        Narrow.Add(UTF8Encode(Items()->Strings(I)));
    Integer From = static_cast<Integer>(Typed.size()), To = From;
    const Integer I = grideditors::LookupComplete(FGrid, &Narrow, T, From, To);
    if (I < 0)
        return;
    SetItemIndex(I);
    const WideString W = UTF8Decode(T);
    SetText(W);
    const Integer WFrom = static_cast<Integer>(UTF8Decode(T.substr(0, From)).size());
    SendMessage(Handle(), CB_SETEDITSEL, 0, MAKELPARAM(WFrom, W.size()));
}

void TGridUniCombo::KeyDown(Word& Key, TShiftState Shift)
{
    FLookupArmed = Key != VK_BACK && Key != VK_DELETE;
    TGridEditorControl::KeyDown(Key, Shift);
}

void TGridUniCombo::KeyPress(WideChar& Key)
{
    const Integer Before = ItemIndex();
    if (Key == 13 && OnReturnKey)
        OnReturnKey(this);
    if (Key == 13 || Key == 9)
        Key = 0;
    TDAEUniComboBox::KeyPress(Key);
    const Integer After = ItemIndex();
    if (After != Before && After >= 0)
        ComboEvents(FGrid, After, UTF8Encode(Text()), UTF8Encode(Items()->Strings(After)),
                    Items()->Objects(After));
}

void TGridUniCombo::KeyUp(Word& Key, TShiftState Shift)
{
    FLookupArmed = Key != VK_BACK && Key != VK_DELETE;
    if (Key != VK_RETURN)
        TDAEUniComboBox::KeyUp(Key, Shift);
    if (Key != VK_RETURN && FGrid->Editing().Active)
        DoChange();
}

void TGridUniCombo::EditExit()
{
    if (!FGrid->Editing().Active)
        return;
    const WideString T = Text();
    if (FGrid->LookupHistory() && !T.empty() && Items()->IndexOf(T) < 0)
        Items()->Add(T);
    FGrid->SetEditWideText(T);
    FGrid->HideInplaceEdit();
    if (Style() == csDropDown)
        SetText(u" ");
}

void TGridUniCombo::DoExit()
{
    EditExit();
    TDAEUniComboBox::DoExit();
}

void TGridUniCombo::WndProc(TMessage& Message)
{
    auto Report = [this] {
        const Integer I = ItemIndex();
        if (I < 0 || I >= Items()->Count())
            return;
        const AnsiString S = UTF8Encode(Items()->Strings(I));
        ComboEvents(FGrid, I, S, S, Items()->Objects(I));
    };
    if (static_cast<Integer>(Message.Msg) == FGrid->MouseWheelMessage()) {
        if (WheelStep(this, Message.WParam)) {
            if (FGrid->OnEditChange)
                FGrid->OnEditChange(FGrid, FGrid->RealColIndex(FGrid->Col()), FGrid->Row(),
                                    UTF8Encode(Items()->Strings(ItemIndex())));
            Report();
        }
        Message.Result = 0;
        return;
    }
    if (Message.Msg == WM_COMMAND && HIWORD(Message.WParam) == CBN_SELCHANGE &&
        reinterpret_cast<HWND>(Message.LParam) == (HandleAllocated() ? Handle() : nullptr))
        Report();
    TGridEditorControl::WndProc(Message);
    if (Message.Msg == WM_SETFOCUS)
        grideditors::CaretAtClick(FGrid, this, EditOf(this));
}
