#pragma once

// Cell checkers: the interface through which a grid corrects cell texts and marks errors in them,
// and a ready-made checker that capitalises sentences.

#include "platform/rtl/Components.h"

class TDidAririzEvarCheck : public TComponent {
public:
    explicit TDidAririzEvarCheck(TComponent* AOwner) : TComponent(AOwner) {}

    bool GotoCell() const { return FGotoCell; }
    void SetGotoCell(bool Value) { FGotoCell = Value; }
    bool AutoCorrect() const { return FAutoCorrect; }
    void SetAutoCorrect(bool Value) { FAutoCorrect = Value; }
    bool AutoMarkError() const { return FAutoMarkError; }
    void SetAutoMarkError(bool Value) { FAutoMarkError = Value; }
    bool UseCorrect() const { return FUseCorrect; }
    void SetUseCorrect(bool Value) { FUseCorrect = Value; }
    bool UseMarkError() const { return FUseMarkError; }
    void SetUseMarkError(bool Value) { FUseMarkError = Value; }

    // The text to store in the cell, with its errors marked; the base returns S.
    virtual AnsiString MarkError(Integer ACol, Integer ARow, const AnsiString& S);
    // The corrected text; the base returns S.
    virtual AnsiString Correct(Integer ACol, Integer ARow, const AnsiString& S);
    virtual void StartCheck() {}
    virtual void StopCheck() {}

private:
    bool FGotoCell = false, FAutoCorrect = false, FAutoMarkError = false, FUseCorrect = false,
         FUseMarkError = false;
};

// Capitalises the first letter of the text and of every sentence after ". ", "! " or "? ".
class TCapitalCheck : public TDidAririzEvarCheck {
public:
    using TDidAririzEvarCheck::TDidAririzEvarCheck;
    AnsiString Correct(Integer ACol, Integer ARow, const AnsiString& S) override;
};

// S with the first occurrence of OldPattern replaced; S when there is none.
AnsiString ReplaceOnce(const AnsiString& S, const AnsiString& OldPattern, const AnsiString& NewPattern);

namespace daecheck {
// Wraps each match of H in the visible text of S in "<Tag>" and "</Tag>". A line break tag
// counts as the two characters it stands for in the visible text; without DoCase only a to z
// are case-blind. An empty H leaves S alone.
AnsiString HiLight(const AnsiString& S, const AnsiString& H, const AnsiString& Tag, bool DoCase);
} // namespace daecheck
