#pragma once

// The memo picker: a multi-line text edited in a memo in the popup; the edit shows its first
// line, shortened with "..." when it does not fit or when more lines follow.

#include "dropdowns/DadOrorUdur.h"

#include "platform/forms/Menus.h"
#include "platform/forms/StdCtrls.h"
#include "platform/rtl/StringLists.h"

#include <memory>

class TRerUrazEzodIzaz : public TDizEveverAvivIzar {
public:
    explicit TRerUrazEzodIzaz(TComponent* AOwner);
    ~TRerUrazEzodIzaz() override;

    TMemo* Memo() const { return FMemo; }
    TStringList* MemoText() const { return FMemoText.get(); }
    void SetMemoText(TStrings* Value) { FMemoText->Assign(Value); }
    TPopupMenu* MemoPopup() const { return FMemoPopup; }
    void SetMemoPopup(TPopupMenu* Value) { FMemoPopup = Value; }
    TScrollStyle MemoScrollBars() const { return FMemoScrollBars; }
    void SetMemoScrollBars(TScrollStyle Value) { FMemoScrollBars = Value; }
    bool MemoReadOnly() const { return FMemoReadOnly; }
    void SetMemoReadOnly(bool Value);
    AnsiString GetTextEx() { return Text(); }

    void CreateDropDownForm() override;
    void BeforeDropDown() override;
    void DoHideDropDown(bool Cancelled) override;
    void OnHideDropDown() override;
    void OnDropDownControlKeyDown(Word& Key, TShiftState Shift) override;
    void OnDropDownControlKeyUp(Word& Key, TShiftState Shift) override;
    void OnDropDownControlKeyPress(WideChar& Key) override;

    TNotifyEvent OnMemoChange;

protected:
    void Change() override;
    void Notification(TComponent* AComponent, TOperation Operation) override;

private:
    void OnMemoTextChanged(TObject* Sender);

    TPopupMenu* FMemoPopup = nullptr;
    std::unique_ptr<TStringList> FMemoText;
    TMemo* FMemo = nullptr;
    TScrollStyle FMemoScrollBars = ssNone;
    bool FMemoReadOnly = false;
    bool FMemoUpdating = false;
    bool FRestoring = false;
};
