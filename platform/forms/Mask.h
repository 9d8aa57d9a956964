#pragma once

// The masked edit: an edit whose text follows an edit mask, as the platform defines masks.
//
// A mask is "<characters>[;<save literals 0|1>[;<blank character>]]". Characters:
//   0 digit required      9 digit optional      # digit, '+' or '-' optional
//   L letter required     l letter optional     A letter or digit required   a … optional
//   C any character required                    c any character optional
//   > upper case from here  < lower case from here  <> no conversion from here
//   \ the next character is a literal           _ a blank in the text
//   ! optional characters missing at the start rather than at the end of the text
//   : and / the time and date separators; anything else is a literal.
// With an empty mask the control is a plain edit.

#include "platform/forms/StdCtrls.h"

#include <vector>

class EDBEditError : public Exception {
public:
    using Exception::Exception;
};

inline constexpr const char* SMaskEditErr = "Invalid input value.  Use escape key to abandon changes";

class TCustomMaskEdit : public TCustomEdit {
public:
    explicit TCustomMaskEdit(TComponent* AOwner);

    const AnsiString& EditMask() const { return FEditMask; }
    void SetEditMask(const AnsiString& Value);
    bool IsMasked() const { return !FSlots.empty(); }
    // The text as shown: every position of the mask, blanks as the blank character.
    AnsiString EditText();
    void SetEditText(const AnsiString& Value);
    // Raises EDBEditError when the person changed the text and left a required position blank.
    virtual void ValidateEdit();
    // Puts back the text the control had when it got the focus.
    void Reset();

    void WndProc(TMessage& Message) override;

protected:
    AnsiString GetText() override;
    void SetTextValue(const AnsiString& Value) override;
    void KeyDown(Word& Key, TShiftState Shift) override;
    void KeyPress(WideChar& Key) override;
    void DoEnter() override;

private:
    struct Slot {
        char16_t Kind = 0;    // mask character, 0 for a literal
        char16_t Literal = 0; // the literal shown
        int Case = 0;         // 1 upper, -1 lower
    };
    void ParseMask();
    std::u16string Current();
    void Show(const std::u16string& Edit, std::size_t Caret);
    std::size_t CaretChar();
    std::pair<std::size_t, std::size_t> SelChars();
    bool Accepts(const Slot& S, char16_t C) const;
    bool IsRequired(const Slot& S) const;
    std::size_t NextEditable(std::size_t From) const;
    std::u16string Format(const AnsiString& Text) const;

    AnsiString FEditMask;
    std::vector<Slot> FSlots;
    bool FSaveLiterals = true;
    char16_t FBlank = u'_';
    bool FLeadingBlanks = false;
    std::u16string FOldValue;
};

class TMaskEdit : public TCustomMaskEdit {
public:
    using TCustomMaskEdit::TCustomMaskEdit;
};
