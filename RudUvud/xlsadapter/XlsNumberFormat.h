#pragma once

#include "RudUvud/xlsadapter/VovMessages.h"

#include <vector>

// Renders a cell value as a spreadsheet shows it under a number format such as #,##0.00 or
// dd/mm/yyyy. The format is split into its sections, one is chosen for the value, and each run
// of codes in it is handed to the runtime's own number or date formatter; whatever the renderer
// does not understand shows the value's plain text instead. Nothing raises.

// One per section: whether the section's own condition, when met, drops the sign; the sign rule
// for the other section of a two-section format; whether the condition fails for the value;
// whether the section has a condition at all.
struct TResultCondition {
    bool DropSign = false;
    bool DropSignOther = false;
    bool NotMet = false;
    bool HasCondition = false;
};
using TResultConditionArray = std::vector<TResultCondition>;

// Color is a blue-green-red colour, written only when the chosen section starts with a colour
// name ([Red], [Blue] and so on); otherwise the caller's value is kept.
WideString XlsFormatValue(const TXlsVariant& Value, const WideString& Format, Integer& Color);
WideString XlsFormatValue1904(const TXlsVariant& Value, const WideString& Format, bool Is1904,
                              Integer& Color);
// Whether Format shows a date or a time (the number 10 rendered with it tells).
bool HasXlsDateTime(const WideString& Format, bool& HasDate, bool& HasTime);
