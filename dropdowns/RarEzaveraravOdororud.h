#pragma once

// The calculator dropdown: a number edit with a pocket calculator in its popup. The key pad's
// keys and the typed characters drive an immediate-execution calculator (an accumulator, one
// pending operator, a memory register); the edit's text is the display.

#include "dropdowns/ButtonPanel.h"
#include "dropdowns/DadOrorUdur.h"

#include <memory>

class TRarEzaveraravOdororud : public TDizEveverAvivIzar {
public:
    explicit TRarEzaveraravOdororud(TComponent* AOwner);
    ~TRarEzaveraravOdororud() override;
    void AfterConstruction() override;

    TCustomButtonPanel* KeyPad() const { return FKeyPad; }
    TButtonAppearance* CalcButtonAppearance() const { return FCalcButtonAppearance.get(); }
    void SetCalcButtonAppearance(TButtonAppearance* Value) { FCalcButtonAppearance->Assign(Value); }
    bool ShowThousandSeparator() const { return FShowThousandSeparator; }
    void SetShowThousandSeparator(bool Value);
    Extended Value();
    void SetValue(Extended V);
    Extended Memory() const { return FMemory; }

    void DoCalc();
    void DoPlus();
    void DoMin();
    void DoMul();
    void DoDiv();
    void DoEq();
    void DoPerc();
    void CalcResult() { DoEq(); }
    void HandleKeyPress(WideChar& Key);

    void CreateDropDownForm() override;
    void BeforeDropDown() override;
    void OnDropDownFormKeyPress(WideChar& Key) override;
    void OnDropDownFormKeyDown(Word& Key, TShiftState Shift) override;
    void SetComponentStyle(ZEDAVozor AStyle) override;
    void WndProc(TMessage& Message) override;
    // Called at the start of every key-pad click and every character typed in the popup.
    virtual void CalcChange() {}

protected:
    // Typing in the edit: operators (while the popup is not showing), then the digit filter;
    // Key is 0 when the character is used up.
    void CalcKeyPress(WideChar& Key);
    void Notification(TComponent* AComponent, TOperation Operation) override;

private:
    void OnVadButtonClick(TObject* Sender, Integer Index);
    // The displayed number without thousand separators; a text that is no number reads as 0.
    Extended Displayed();
    void Digit(Integer D);
    void ClearAll();
    bool AtMaxLength();
    bool PopupShowing() const;

    TCustomButtonPanel* FKeyPad = nullptr;
    Integer FDecimalDivisor = 0;
    bool FNewEntry = false;
    Extended FAccumulator = 0;
    Integer FPendingOperator = -1;
    bool FNeverDropped = true;
    std::unique_ptr<TButtonAppearance> FCalcButtonAppearance;
    Extended FMemory = 0;
    bool FShowThousandSeparator = false;
};
