// Property accessors of in-place editing and input over their state blocks.

#include "RudUvud/core/RudUvud.h"

#include "RudUvud/edit/GridEditState.h"

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
