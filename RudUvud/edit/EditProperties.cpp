// Property accessors of in-place editing and input over their state blocks.

#include "RudUvud/core/RudUvud.h"

#include "RudUvud/edit/EditLink.h"
#include "RudUvud/edit/GridEditState.h"
#include "RudUvud/support/daecheck.h"

const TGridEditingState& TDidAririzEvar::Editing() const
{
    return FEdit.Editing;
}

const TGridInputState& TDidAririzEvar::InputState() const
{
    return FEdit.Input;
}

bool TDidAririzEvar::ExcelStyleDecimalSeparator() const
{
    return FEdit.Input.ExcelStyleDecimalSeparator;
}

void TDidAririzEvar::SetExcelStyleDecimalSeparator(bool V)
{
    FEdit.Input.ExcelStyleDecimalSeparator = V;
}

const AnsiString& TDidAririzEvar::InvalidEntryTitle() const
{
    return FEdit.Validation.InvalidEntryTitle;
}

void TDidAririzEvar::SetInvalidEntryTitle(const AnsiString& V)
{
    FEdit.Validation.InvalidEntryTitle = V;
}

const AnsiString& TDidAririzEvar::InvalidEntryText() const
{
    return FEdit.Validation.InvalidEntryText;
}

void TDidAririzEvar::SetInvalidEntryText(const AnsiString& V)
{
    FEdit.Validation.InvalidEntryText = V;
}

bool TDidAririzEvar::Modified() const
{
    return FEdit.Validation.Modified;
}

void TDidAririzEvar::SetModified(bool V)
{
    FEdit.Validation.Modified = V;
}

bool TDidAririzEvar::AlwaysValidate() const
{
    return FEdit.Validation.AlwaysValidate;
}

void TDidAririzEvar::SetAlwaysValidate(bool V)
{
    FEdit.Validation.AlwaysValidate = V;
}

const AnsiString& TDidAririzEvar::ValidatedText() const
{
    return FEdit.Validation.ValidatedText;
}

const TGridValidationState& TDidAririzEvar::Validation() const
{
    return FEdit.Validation;
}

const AnsiString& TDidAririzEvar::ValidChars() const
{
    return FEdit.Text.ValidChars;
}

void TDidAririzEvar::SetValidChars(const AnsiString& V)
{
    FEdit.Text.ValidChars = V;
}

std::set<char>& TDidAririzEvar::ValidCharSet()
{
    return FEdit.Text.ValidCharSet;
}

Integer TDidAririzEvar::MaxComboLength() const
{
    return FEdit.Text.MaxComboLength;
}

void TDidAririzEvar::SetMaxComboLength(Integer Value)
{
    FEdit.Text.MaxComboLength = Value;
}

bool TDidAririzEvar::Lookup() const
{
    return FEdit.Text.Lookup;
}

void TDidAririzEvar::SetLookup(bool Value)
{
    FEdit.Text.Lookup = Value;
}

bool TDidAririzEvar::LookupCaseSensitive() const
{
    return FEdit.Text.LookupCaseSensitive;
}

void TDidAririzEvar::SetLookupCaseSensitive(bool Value)
{
    FEdit.Text.LookupCaseSensitive = Value;
}

bool TDidAririzEvar::EditWithTags() const
{
    return FEdit.Text.EditWithTags;
}

void TDidAririzEvar::SetEditWithTags(bool Value)
{
    FEdit.Text.EditWithTags = Value;
}

bool TDidAririzEvar::LookupHistory() const
{
    return FEdit.Text.LookupHistory;
}

void TDidAririzEvar::SetLookupHistory(bool Value)
{
    FEdit.Text.LookupHistory = Value;
}

TEditLink* TDidAririzEvar::EditLink() const
{
    return FEdit.Editing.EditLink;
}

void TDidAririzEvar::SetEditLink(TEditLink* Value)
{
    FEdit.Editing.EditLink = Value;
    if (Value)
        Value->FreeNotification(this);
}

bool TDidAririzEvar::PopupClosed() const
{
    return FEdit.Editing.PopupClosed;
}

const AnsiString& TDidAririzEvar::EditMask() const
{
    return FEdit.Editing.EditMask;
}

void TDidAririzEvar::SetEditMask(const AnsiString& V)
{
    FEdit.Editing.EditMask = V;
}
