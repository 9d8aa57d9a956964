#include "platform/rtl/FormatSettings.h"

TFormatSettings FormatSettings;

void SetDefaultFormatSettings()
{
    FormatSettings = TFormatSettings();
}

Byte& CurrencyFormat = FormatSettings.CurrencyFormat;
Byte& NegCurrFormat = FormatSettings.NegCurrFormat;
char& ThousandSeparator = FormatSettings.ThousandSeparator;
char& DecimalSeparator = FormatSettings.DecimalSeparator;
Byte& CurrencyDecimals = FormatSettings.CurrencyDecimals;
char& DateSeparator = FormatSettings.DateSeparator;
char& TimeSeparator = FormatSettings.TimeSeparator;
char& ListSeparator = FormatSettings.ListSeparator;
AnsiString& CurrencyString = FormatSettings.CurrencyString;
AnsiString& ShortDateFormat = FormatSettings.ShortDateFormat;
AnsiString& LongDateFormat = FormatSettings.LongDateFormat;
AnsiString& TimeAMString = FormatSettings.TimeAMString;
AnsiString& TimePMString = FormatSettings.TimePMString;
AnsiString& ShortTimeFormat = FormatSettings.ShortTimeFormat;
AnsiString& LongTimeFormat = FormatSettings.LongTimeFormat;
std::array<AnsiString, 12>& ShortMonthNames = FormatSettings.ShortMonthNames;
std::array<AnsiString, 12>& LongMonthNames = FormatSettings.LongMonthNames;
std::array<AnsiString, 7>& ShortDayNames = FormatSettings.ShortDayNames;
std::array<AnsiString, 7>& LongDayNames = FormatSettings.LongDayNames;
Word& TwoDigitYearCenturyWindow = FormatSettings.TwoDigitYearCenturyWindow;
