#pragma once

// Dates and times. A TDateTime counts days since 30 December 1899; its fraction is the time of day
// (0.5 = noon). Dates before that day are negative with a positive fraction, so -1.25 is
// 29 December 1899, 06:00. Encoding errors raise EConvertError with the platform's messages.

#include "platform/rtl/FormatSettings.h"
#include "platform/rtl/Types.h"

#include <functional>

inline constexpr Integer HoursPerDay = 24;
inline constexpr Integer MinsPerDay = 24 * 60;
inline constexpr Integer SecsPerDay = MinsPerDay * 60;
inline constexpr Integer MSecsPerDay = SecsPerDay * 1000;
// Days between 1 January 0001 and 30 December 1899.
inline constexpr Integer DateDelta = 693594;

bool IsLeapYear(Word Year);
// Days of Month (1..12) in Year; 0 for a month out of range.
Word DaysInAMonth(Word Year, Word Month);

// Year 1..9999, Month 1..12, Day 1..days of that month; else EConvertError
// "Invalid argument to date encode".
TDateTime EncodeDate(Word Year, Word Month, Word Day);
bool TryEncodeDate(Word Year, Word Month, Word Day, TDateTime& Date);
// Hour 0..23, Min 0..59, Sec 0..59, MSec 0..999; else EConvertError
// "Invalid argument to time encode".
TDateTime EncodeTime(Word Hour, Word Min, Word Sec, Word MSec);
bool TryEncodeTime(Word Hour, Word Min, Word Sec, Word MSec, TDateTime& Time);

// Values outside 1 January 0001 .. 31 December 9999 decode as zeros.
void DecodeDate(TDateTime Date, Word& Year, Word& Month, Word& Day);
// The time of day, rounded to the millisecond.
void DecodeTime(TDateTime Time, Word& Hour, Word& Min, Word& Sec, Word& MSec);
// 1 = Sunday .. 7 = Saturday.
Word DayOfWeek(TDateTime Date);
// Adds NumberOfMonths (may be negative) keeping the time; the day is clipped to the target month.
TDateTime IncMonth(TDateTime Date, Integer NumberOfMonths = 1);

// The local date and time of the clock; a test may replace the clock (an empty function restores it).
TDateTime Now();
TDateTime Date();
TDateTime Time();
void SetNowFunction(std::function<TDateTime()> Clock);

// Format codes (case-insensitive): c (short date + long time), d dd ddd dddd ddddd (short date)
// dddddd (long date), m mm mmm mmmm (m and mm are minutes right after an hour), yy yyyy, h hh
// (12-hour clock when an AM/PM code follows before the next hour), n nn, s ss, z zzz, t (short
// time), tt (long time), am/pm a/p (in the case written) ampm (TimeAMString/TimePMString), "/" and
// ":" (the separators), text in quotes as is; every other character is copied.
AnsiString FormatDateTime(const AnsiString& Format, TDateTime DateTime);
AnsiString FormatDateTime(const AnsiString& Format, TDateTime DateTime, const TFormatSettings& Settings);
AnsiString DateToStr(TDateTime Date);
AnsiString TimeToStr(TDateTime Time);
// Date and long time; the time is left out at midnight.
AnsiString DateTimeToStr(TDateTime DateTime);

// Reading follows the order of day, month and year in ShortDateFormat with DateSeparator; a date
// of two numbers takes the current year; two-digit years follow TwoDigitYearCenturyWindow. Times are
// "h[:m[:s[.z]]]" with TimeSeparator and an optional AM/PM string. Errors raise EConvertError
// "'<S>' is not a valid date", "... valid time", "... valid date and time".
TDateTime StrToDate(const AnsiString& S);
TDateTime StrToTime(const AnsiString& S);
TDateTime StrToDateTime(const AnsiString& S);
bool TryStrToDate(const AnsiString& S, TDateTime& Value);
bool TryStrToTime(const AnsiString& S, TDateTime& Value);
bool TryStrToDateTime(const AnsiString& S, TDateTime& Value);
bool TryStrToDate(const AnsiString& S, TDateTime& Value, const TFormatSettings& Settings);
bool TryStrToTime(const AnsiString& S, TDateTime& Value, const TFormatSettings& Settings);
bool TryStrToDateTime(const AnsiString& S, TDateTime& Value, const TFormatSettings& Settings);

// DOS date and time packed in 32 bits (high word: (year - 1980) << 9 | month << 5 | day; low word:
// hour << 11 | minute << 5 | seconds / 2), as file systems and archives store them.
// DateTimeToFileDate gives 0 for dates outside 1980..2107; FileDateToDateTime raises
// EConvertError for a packed value that names no valid date or time.
Integer DateTimeToFileDate(TDateTime DateTime);
TDateTime FileDateToDateTime(Integer FileDate);
