#pragma once

// The process-wide locale settings. Every routine that formats or reads numbers, currency, dates
// or times reads FormatSettings at each call (or takes a TFormatSettings explicitly). The program
// starts with the settings of SetDefaultFormatSettings(); tests call it again to pin them.

#include "platform/rtl/Types.h"

#include <array>

struct TFormatSettings {
    // 0 "$1", 1 "1$", 2 "$ 1", 3 "1 $".
    Byte CurrencyFormat = 0;
    // 0 "($1)", 1 "-$1", 2 "$-1", 3 "$1-", 4 "(1$)", 5 "-1$", 6 "1-$", 7 "1$-", 8 "-1 $", 9 "-$ 1",
    // 10 "1 $-", 11 "$ 1-", 12 "$ -1", 13 "1- $", 14 "($ 1)", 15 "(1 $)".
    Byte NegCurrFormat = 0;
    char ThousandSeparator = ',';
    char DecimalSeparator = '.';
    Byte CurrencyDecimals = 2;
    char DateSeparator = '/';
    char TimeSeparator = ':';
    char ListSeparator = ',';
    AnsiString CurrencyString = "$";
    AnsiString ShortDateFormat = "M/d/yyyy";
    AnsiString LongDateFormat = "dddd, MMMM d, yyyy";
    AnsiString TimeAMString = "AM";
    AnsiString TimePMString = "PM";
    AnsiString ShortTimeFormat = "h:mm AMPM";
    AnsiString LongTimeFormat = "h:mm:ss AMPM";
    std::array<AnsiString, 12> ShortMonthNames{"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                               "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    std::array<AnsiString, 12> LongMonthNames{"January",   "February", "March",    "April",
                                              "May",       "June",     "July",     "August",
                                              "September", "October",  "November", "December"};
    // Index 0 is Sunday.
    std::array<AnsiString, 7> ShortDayNames{"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
    std::array<AnsiString, 7> LongDayNames{"Sunday",   "Monday", "Tuesday", "Wednesday",
                                           "Thursday", "Friday", "Saturday"};
    // Two-digit years are placed within this many years before and after the current year
    // (0: the current century).
    Word TwoDigitYearCenturyWindow = 50;
};

extern TFormatSettings FormatSettings;

// Fixes FormatSettings to the known English settings above ('.', ',', "$", "M/d/yyyy", '/', ':',
// "h:mm:ss AMPM", English month and day names). Not safe while another thread formats.
void SetDefaultFormatSettings();

// The settings by their global names; each refers to the member of FormatSettings.
extern Byte& CurrencyFormat;
extern Byte& NegCurrFormat;
extern char& ThousandSeparator;
extern char& DecimalSeparator;
extern Byte& CurrencyDecimals;
extern char& DateSeparator;
extern char& TimeSeparator;
extern char& ListSeparator;
extern AnsiString& CurrencyString;
extern AnsiString& ShortDateFormat;
extern AnsiString& LongDateFormat;
extern AnsiString& TimeAMString;
extern AnsiString& TimePMString;
extern AnsiString& ShortTimeFormat;
extern AnsiString& LongTimeFormat;
extern std::array<AnsiString, 12>& ShortMonthNames;
extern std::array<AnsiString, 12>& LongMonthNames;
extern std::array<AnsiString, 7>& ShortDayNames;
extern std::array<AnsiString, 7>& LongDayNames;
extern Word& TwoDigitYearCenturyWindow;
