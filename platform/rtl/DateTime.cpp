#include "platform/rtl/DateTime.h"

#include "platform/rtl/Exceptions.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <ctime>

namespace {

constexpr Word MonthDays[2][12] = {{31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31},
                                   {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31}};
// Exclusive bounds of 1 January 0001 .. 31 December 9999. Negative values carry the time as a
// positive fraction subtracted from the day, so any time on 1 January 0001 lies above -693594.
constexpr double MinDateTime = -693594.0;
constexpr double MaxDateTime = 2958466.0;

std::function<TDateTime()>& Clock()
{
    static std::function<TDateTime()> Function;
    return Function;
}

// Day number (TDateTime whole part) and milliseconds of the day. The time is the absolute fraction
// rounded to the millisecond; a fraction that rounds up to a whole day moves to the next day.
struct TStamp {
    Int64 Day = 0;
    Int64 MSec = 0;
};

TStamp ToStamp(TDateTime Value)
{
    TStamp S;
    const double Whole = std::trunc(Value);
    S.Day = static_cast<Int64>(Whole);
    S.MSec = std::llround(std::fabs(Value - Whole) * MSecsPerDay);
    if (S.MSec >= MSecsPerDay) {
        S.MSec = 0;
        ++S.Day;
    }
    return S;
}

bool InRange(TDateTime Value)
{
    return Value > MinDateTime && Value < MaxDateTime;
}

// Days since 1 January 0001 (day 1) -> year, month, day.
void CivilFromDay(Int64 DayNumber, Word& Year, Word& Month, Word& Day)
{
    // Days since 1970-01-01 in the proleptic Gregorian calendar, then the usual era arithmetic.
    Int64 Z = DayNumber - 719163 + 719468;
    const Int64 Era = (Z >= 0 ? Z : Z - 146096) / 146097;
    const Int64 Doe = Z - Era * 146097;
    const Int64 Yoe = (Doe - Doe / 1460 + Doe / 36524 - Doe / 146096) / 365;
    const Int64 Doy = Doe - (365 * Yoe + Yoe / 4 - Yoe / 100);
    const Int64 Mp = (5 * Doy + 2) / 153;
    const Int64 D = Doy - (153 * Mp + 2) / 5 + 1;
    const Int64 M = Mp < 10 ? Mp + 3 : Mp - 9;
    const Int64 Y = Yoe + Era * 400 + (M <= 2 ? 1 : 0);
    Year = static_cast<Word>(Y);
    Month = static_cast<Word>(M);
    Day = static_cast<Word>(D);
}

// ---- Formatting ----------------------------------------------------------------------------------

char Upper(char C)
{
    return (C >= 'a' && C <= 'z') ? static_cast<char>(C - 32) : C;
}

bool StartsWithNoCase(const AnsiString& S, std::size_t At, const char* Word)
{
    for (std::size_t K = 0; Word[K]; ++K)
        if (At + K >= S.size() || Upper(S[At + K]) != Word[K])
            return false;
    return true;
}

AnsiString Pad2(Integer V)
{
    return (V < 10 ? "0" : "") + std::to_string(V);
}

class TDateFormatter {
public:
    TDateFormatter(TDateTime Value, const TFormatSettings& Settings) : FSettings(Settings)
    {
        if (InRange(Value)) {
            const TStamp S = ToStamp(Value);
            CivilFromDay(S.Day + DateDelta, FYear, FMonth, FDay);
            FDayOfWeek = static_cast<Word>((S.Day + DateDelta) % 7 + 1);
            FHour = static_cast<Word>(S.MSec / 3600000);
            FMin = static_cast<Word>(S.MSec / 60000 % 60);
            FSec = static_cast<Word>(S.MSec / 1000 % 60);
            FMSec = static_cast<Word>(S.MSec % 1000);
            FHasTime = S.MSec != 0;
        }
    }

    // Nested formats (c, ddddd, t ...) may name others; two levels are enough for every setting and
    // stop a setting that names itself.
    void Append(const AnsiString& Format, int Level)
    {
        if (Level > 2)
            return;
        char LastToken = ' ';
        std::size_t I = 0;
        while (I < Format.size()) {
            const char C = Format[I];
            const char Token = Upper(C);
            if (Token == '"' || Token == '\'') {
                const auto End = Format.find(C, I + 1);
                const std::size_t Stop = End == AnsiString::npos ? Format.size() : End;
                FOut.append(Format, I + 1, Stop - I - 1);
                I = Stop == Format.size() ? Stop : Stop + 1;
                continue;
            }
            // A code takes its whole run of letters ("nnn" is "nn", "ddddddd" is "dddddd"); Count is
            // the run clipped to the longest form, Run what is consumed.
            std::size_t Run = 1;
            while (I + Run < Format.size() && Upper(Format[I + Run]) == Token)
                ++Run;
            std::size_t Count = Run;
            switch (Token) {
            case 'Y':
                FOut += Count <= 2 ? Pad2(FYear % 100) : std::to_string(FYear);
                break;
            case 'M':
                if (Count <= 2 && LastToken == 'H') {
                    FOut += Count == 1 ? std::to_string(FMin) : Pad2(FMin);
                } else {
                    Count = std::min<std::size_t>(Count, 4);
                    if (Count == 1)
                        FOut += std::to_string(FMonth);
                    else if (Count == 2)
                        FOut += Pad2(FMonth);
                    else if (FMonth >= 1)
                        FOut +=
                            (Count == 3 ? FSettings.ShortMonthNames : FSettings.LongMonthNames)[FMonth - 1];
                }
                break;
            case 'D':
                Count = std::min<std::size_t>(Count, 6);
                switch (Count) {
                case 1:
                    FOut += std::to_string(FDay);
                    break;
                case 2:
                    FOut += Pad2(FDay);
                    break;
                case 3:
                case 4:
                    if (FDayOfWeek >= 1)
                        FOut +=
                            (Count == 3 ? FSettings.ShortDayNames : FSettings.LongDayNames)[FDayOfWeek - 1];
                    break;
                case 5:
                    Append(FSettings.ShortDateFormat, Level + 1);
                    break;
                default:
                    Append(FSettings.LongDateFormat, Level + 1);
                    break;
                }
                break;
            case 'H': {
                Count = std::min<std::size_t>(Count, 2);
                Word H = FHour;
                if (TwelveHourClock(Format, I + Run)) {
                    H = static_cast<Word>(H % 12);
                    if (H == 0)
                        H = 12;
                }
                FOut += Count == 1 ? std::to_string(H) : Pad2(H);
                break;
            }
            case 'N':
                Count = std::min<std::size_t>(Count, 2);
                FOut += Count == 1 ? std::to_string(FMin) : Pad2(FMin);
                break;
            case 'S':
                Count = std::min<std::size_t>(Count, 2);
                FOut += Count == 1 ? std::to_string(FSec) : Pad2(FSec);
                break;
            case 'Z':
                if (Count >= 3) {
                    FOut += (FMSec < 10 ? "00" : (FMSec < 100 ? "0" : "")) + std::to_string(FMSec);
                } else {
                    FOut += std::to_string(FMSec);
                }
                break;
            case 'T':
                Count = std::min<std::size_t>(Count, 2);
                Append(Count == 1 ? FSettings.ShortTimeFormat : FSettings.LongTimeFormat, Level + 1);
                break;
            case 'C':
                Run = 1;
                Append(FSettings.ShortDateFormat, Level + 1);
                if (FHasTime) {
                    FOut.push_back(' ');
                    Append(FSettings.LongTimeFormat, Level + 1);
                }
                break;
            case 'A':
                Run = AmPm(Format, I);
                break;
            case '/':
                Run = 1;
                if (FSettings.DateSeparator != '\0')
                    FOut.push_back(FSettings.DateSeparator);
                break;
            case ':':
                Run = 1;
                if (FSettings.TimeSeparator != '\0')
                    FOut.push_back(FSettings.TimeSeparator);
                break;
            default:
                FOut.append(Format, I, Run);
                break;
            }
            if (Token >= 'A' && Token <= 'Z')
                LastToken = Token;
            I += Run;
        }
    }

    const AnsiString& Result() const { return FOut; }

private:
    // True when the hour at From is on a 12-hour clock: the next 'a' after it (outside quotes and
    // before another hour) starts an AM/PM specifier.
    static bool TwelveHourClock(const AnsiString& Format, std::size_t From)
    {
        char Quote = 0;
        for (std::size_t I = From; I < Format.size(); ++I) {
            const char C = Format[I];
            if (Quote) {
                if (C == Quote)
                    Quote = 0;
                continue;
            }
            if (C == '"' || C == '\'')
                Quote = C;
            else if (C == 'h' || C == 'H')
                return false;
            else if (C == 'a' || C == 'A')
                return StartsWithNoCase(Format, I, "AM/PM") || StartsWithNoCase(Format, I, "A/P") ||
                       StartsWithNoCase(Format, I, "AMPM");
        }
        return false;
    }

    // Writes an AM/PM specifier at Format[I]; returns the characters used.
    std::size_t AmPm(const AnsiString& Format, std::size_t I)
    {
        const bool Pm = FHour >= 12;
        if (StartsWithNoCase(Format, I, "AM/PM")) {
            const bool Lower = Format[I + (Pm ? 3 : 0)] >= 'a';
            FOut += Pm ? (Lower ? "pm" : "PM") : (Lower ? "am" : "AM");
            return 5;
        }
        if (StartsWithNoCase(Format, I, "A/P")) {
            const char C = Format[I + (Pm ? 2 : 0)];
            FOut.push_back(C);
            return 3;
        }
        if (StartsWithNoCase(Format, I, "AMPM")) {
            FOut += Pm ? FSettings.TimePMString : FSettings.TimeAMString;
            return 4;
        }
        FOut.push_back(Format[I]);
        return 1;
    }

    const TFormatSettings& FSettings;
    AnsiString FOut;
    Word FYear = 0, FMonth = 0, FDay = 0, FDayOfWeek = 0;
    Word FHour = 0, FMin = 0, FSec = 0, FMSec = 0;
    bool FHasTime = false;
};

// ---- Reading -------------------------------------------------------------------------------------

void SkipBlanks(const AnsiString& S, std::size_t& I)
{
    while (I < S.size() && S[I] == ' ')
        ++I;
}

// Up to four digits; Digits receives how many were read.
bool ScanNumber(const AnsiString& S, std::size_t& I, Word& Value, Integer& Digits)
{
    SkipBlanks(S, I);
    Digits = 0;
    Integer V = 0;
    while (I < S.size() && S[I] >= '0' && S[I] <= '9') {
        if (Digits == 4)
            return false;
        V = V * 10 + (S[I] - '0');
        ++Digits;
        ++I;
    }
    Value = static_cast<Word>(V);
    return Digits > 0;
}

bool ScanChar(const AnsiString& S, std::size_t& I, char C)
{
    SkipBlanks(S, I);
    if (I < S.size() && S[I] == C) {
        ++I;
        return true;
    }
    return false;
}

bool ScanWord(const AnsiString& S, std::size_t& I, const AnsiString& Word)
{
    if (Word.empty() || I + Word.size() > S.size())
        return false;
    for (std::size_t K = 0; K < Word.size(); ++K)
        if (Upper(S[I + K]) != Upper(Word[K]))
            return false;
    I += Word.size();
    return true;
}

enum TDateOrder { doMDY, doDMY, doYMD };

TDateOrder DateOrder(const AnsiString& Format)
{
    for (char C : Format) {
        switch (Upper(C)) {
        case 'D':
            return doDMY;
        case 'Y':
            return doYMD;
        case 'M':
            return doMDY;
        default:
            break;
        }
    }
    return doMDY;
}

Word CurrentYear()
{
    Word Y, M, D;
    DecodeDate(Now(), Y, M, D);
    return Y;
}

bool ScanDate(const AnsiString& S, std::size_t& I, TDateTime& Value, const TFormatSettings& Settings)
{
    const TDateOrder Order = DateOrder(Settings.ShortDateFormat);
    Word N1, N2, N3 = 0;
    Integer L1, L2, L3 = 0;
    if (!ScanNumber(S, I, N1, L1) || !ScanChar(S, I, Settings.DateSeparator) || !ScanNumber(S, I, N2, L2))
        return false;
    Word Y, M, D;
    Integer YearDigits;
    if (ScanChar(S, I, Settings.DateSeparator)) {
        if (!ScanNumber(S, I, N3, L3))
            return false;
        switch (Order) {
        case doMDY:
            Y = N3, YearDigits = L3, M = N1, D = N2;
            break;
        case doDMY:
            Y = N3, YearDigits = L3, D = N1, M = N2;
            break;
        default:
            Y = N1, YearDigits = L1, M = N2, D = N3;
            break;
        }
    } else {
        Y = CurrentYear();
        YearDigits = 4;
        if (Order == doDMY)
            D = N1, M = N2;
        else
            M = N1, D = N2;
    }
    if (YearDigits <= 2) {
        const Integer Window = Settings.TwoDigitYearCenturyWindow;
        const Integer Base = static_cast<Integer>(CurrentYear()) - Window;
        Integer Full = Y + Base / 100 * 100;
        if (Window > 0 && Full < Base)
            Full += 100;
        Y = static_cast<Word>(Full);
    }
    return TryEncodeDate(Y, M, D, Value);
}

bool ScanTime(const AnsiString& S, std::size_t& I, TDateTime& Value, const TFormatSettings& Settings)
{
    SkipBlanks(S, I);
    Integer BaseHour = -1;
    auto ScanAmPm = [&] {
        if (ScanWord(S, I, Settings.TimeAMString) || ScanWord(S, I, "AM"))
            BaseHour = 0;
        else if (ScanWord(S, I, Settings.TimePMString) || ScanWord(S, I, "PM"))
            BaseHour = 12;
    };
    ScanAmPm();
    Word Hour, Min = 0, Sec = 0, MSec = 0;
    Integer L;
    if (!ScanNumber(S, I, Hour, L))
        return false;
    if (ScanChar(S, I, Settings.TimeSeparator)) {
        if (!ScanNumber(S, I, Min, L))
            return false;
        if (ScanChar(S, I, Settings.TimeSeparator)) {
            if (!ScanNumber(S, I, Sec, L))
                return false;
            if (ScanChar(S, I, '.') && !ScanNumber(S, I, MSec, L))
                return false;
        }
    }
    if (BaseHour < 0) {
        SkipBlanks(S, I);
        ScanAmPm();
    }
    if (BaseHour >= 0) {
        if (Hour == 0 || Hour > 12)
            return false;
        Hour = static_cast<Word>(Hour % 12 + BaseHour);
    }
    return TryEncodeTime(Hour, Min, Sec, MSec, Value);
}

bool AtEnd(const AnsiString& S, std::size_t I)
{
    SkipBlanks(S, I);
    return I == S.size();
}

} // namespace

bool IsLeapYear(Word Year)
{
    return Year % 4 == 0 && (Year % 100 != 0 || Year % 400 == 0);
}

Word DaysInAMonth(Word Year, Word Month)
{
    if (Month < 1 || Month > 12)
        return 0;
    return MonthDays[IsLeapYear(Year) ? 1 : 0][Month - 1];
}

bool TryEncodeDate(Word Year, Word Month, Word Day, TDateTime& Date)
{
    if (Year < 1 || Year > 9999 || Month < 1 || Month > 12 || Day < 1 || Day > DaysInAMonth(Year, Month))
        return false;
    Integer DayOfYear = Day;
    for (Word M = 1; M < Month; ++M)
        DayOfYear += DaysInAMonth(Year, M);
    const Integer I = Year - 1;
    Date = static_cast<TDateTime>(I * 365 + I / 4 - I / 100 + I / 400 + DayOfYear - DateDelta);
    return true;
}

TDateTime EncodeDate(Word Year, Word Month, Word Day)
{
    TDateTime Result = 0;
    if (!TryEncodeDate(Year, Month, Day, Result))
        throw EConvertError(SDateEncodeError);
    return Result;
}

bool TryEncodeTime(Word Hour, Word Min, Word Sec, Word MSec, TDateTime& Time)
{
    if (Hour > 23 || Min > 59 || Sec > 59 || MSec > 999)
        return false;
    Time = (Hour * 3600000.0 + Min * 60000.0 + Sec * 1000.0 + MSec) / MSecsPerDay;
    return true;
}

TDateTime EncodeTime(Word Hour, Word Min, Word Sec, Word MSec)
{
    TDateTime Result = 0;
    if (!TryEncodeTime(Hour, Min, Sec, MSec, Result))
        throw EConvertError(STimeEncodeError);
    return Result;
}

void DecodeDate(TDateTime Date, Word& Year, Word& Month, Word& Day)
{
    Year = Month = Day = 0;
    if (!InRange(Date))
        return;
    const TStamp S = ToStamp(Date);
    CivilFromDay(S.Day + DateDelta, Year, Month, Day);
    if (Year < 1 || Year > 9999)
        Year = Month = Day = 0;
}

void DecodeTime(TDateTime Time, Word& Hour, Word& Min, Word& Sec, Word& MSec)
{
    Hour = Min = Sec = MSec = 0;
    if (!std::isfinite(Time))
        return;
    const Int64 Ms = std::llround(std::fabs(Time - std::trunc(Time)) * MSecsPerDay) % MSecsPerDay;
    Hour = static_cast<Word>(Ms / 3600000);
    Min = static_cast<Word>(Ms / 60000 % 60);
    Sec = static_cast<Word>(Ms / 1000 % 60);
    MSec = static_cast<Word>(Ms % 1000);
}

Word DayOfWeek(TDateTime Date)
{
    if (!InRange(Date))
        return 0;
    return static_cast<Word>((ToStamp(Date).Day + DateDelta) % 7 + 1);
}

TDateTime IncMonth(TDateTime Date, Integer NumberOfMonths)
{
    Word Y, M, D;
    DecodeDate(Date, Y, M, D);
    if (Y == 0)
        return Date;
    Int64 Months = static_cast<Int64>(Y) * 12 + (M - 1) + NumberOfMonths;
    if (Months < 12 || Months >= 10000LL * 12)
        throw EConvertError(SDateEncodeError);
    const Word NewY = static_cast<Word>(Months / 12);
    const Word NewM = static_cast<Word>(Months % 12 + 1);
    const Word NewD = std::min(D, DaysInAMonth(NewY, NewM));
    const TDateTime NewDate = EncodeDate(NewY, NewM, NewD);
    const double TimePart = std::fabs(Date - std::trunc(Date));
    return NewDate >= 0 ? NewDate + TimePart : NewDate - TimePart;
}

void SetNowFunction(std::function<TDateTime()> ClockFunction)
{
    Clock() = std::move(ClockFunction);
}

TDateTime Now()
{
    if (Clock())
        return Clock()();
    const auto Point = std::chrono::system_clock::now();
    const std::time_t Seconds = std::chrono::system_clock::to_time_t(Point);
    std::tm Local{};
    localtime_r(&Seconds, &Local);
    const auto Ms =
        std::chrono::duration_cast<std::chrono::milliseconds>(Point.time_since_epoch()).count() % 1000;
    return EncodeDate(static_cast<Word>(Local.tm_year + 1900), static_cast<Word>(Local.tm_mon + 1),
                      static_cast<Word>(Local.tm_mday)) +
           EncodeTime(static_cast<Word>(Local.tm_hour), static_cast<Word>(Local.tm_min),
                      static_cast<Word>(std::min(Local.tm_sec, 59)), static_cast<Word>(Ms < 0 ? 0 : Ms));
}

TDateTime Date()
{
    return std::trunc(Now());
}
TDateTime Time()
{
    const TDateTime N = Now();
    return N - std::trunc(N);
}

AnsiString FormatDateTime(const AnsiString& Format, TDateTime DateTime, const TFormatSettings& Settings)
{
    TDateFormatter F(DateTime, Settings);
    F.Append(Format.empty() ? AnsiString("c") : Format, 0);
    return F.Result();
}

AnsiString FormatDateTime(const AnsiString& Format, TDateTime DateTime)
{
    return FormatDateTime(Format, DateTime, FormatSettings);
}

AnsiString DateToStr(TDateTime Date)
{
    return FormatDateTime("ddddd", Date);
}
AnsiString TimeToStr(TDateTime Time)
{
    return FormatDateTime("tt", Time);
}
AnsiString DateTimeToStr(TDateTime DateTime)
{
    return FormatDateTime("c", DateTime);
}

bool TryStrToDate(const AnsiString& S, TDateTime& Value, const TFormatSettings& Settings)
{
    std::size_t I = 0;
    TDateTime V = 0;
    if (!ScanDate(S, I, V, Settings) || !AtEnd(S, I))
        return false;
    Value = V;
    return true;
}

bool TryStrToTime(const AnsiString& S, TDateTime& Value, const TFormatSettings& Settings)
{
    std::size_t I = 0;
    TDateTime V = 0;
    if (!ScanTime(S, I, V, Settings) || !AtEnd(S, I))
        return false;
    Value = V;
    return true;
}

bool TryStrToDateTime(const AnsiString& S, TDateTime& Value, const TFormatSettings& Settings)
{
    std::size_t I = 0;
    TDateTime D = 0;
    if (ScanDate(S, I, D, Settings)) {
        if (AtEnd(S, I)) {
            Value = D;
            return true;
        }
        TDateTime T = 0;
        if (ScanTime(S, I, T, Settings) && AtEnd(S, I)) {
            Value = D >= 0 ? D + T : D - T;
            return true;
        }
        return false;
    }
    return TryStrToTime(S, Value, Settings);
}

bool TryStrToDate(const AnsiString& S, TDateTime& Value)
{
    return TryStrToDate(S, Value, FormatSettings);
}
bool TryStrToTime(const AnsiString& S, TDateTime& Value)
{
    return TryStrToTime(S, Value, FormatSettings);
}
bool TryStrToDateTime(const AnsiString& S, TDateTime& Value)
{
    return TryStrToDateTime(S, Value, FormatSettings);
}

TDateTime StrToDate(const AnsiString& S)
{
    TDateTime V = 0;
    if (!TryStrToDate(S, V))
        ConvertErrorFmt(SInvalidDate, S);
    return V;
}

TDateTime StrToTime(const AnsiString& S)
{
    TDateTime V = 0;
    if (!TryStrToTime(S, V))
        ConvertErrorFmt(SInvalidTime, S);
    return V;
}

TDateTime StrToDateTime(const AnsiString& S)
{
    TDateTime V = 0;
    if (!TryStrToDateTime(S, V))
        ConvertErrorFmt(SInvalidDateTime, S);
    return V;
}

Integer DateTimeToFileDate(TDateTime DateTime)
{
    Word Y, M, D, H, N, S, Ms;
    DecodeDate(DateTime, Y, M, D);
    if (Y < 1980 || Y > 2107)
        return 0;
    DecodeTime(DateTime, H, N, S, Ms);
    const std::uint32_t Packed =
        (static_cast<std::uint32_t>(Y - 1980) << 25) | (static_cast<std::uint32_t>(M) << 21) |
        (static_cast<std::uint32_t>(D) << 16) | (static_cast<std::uint32_t>(H) << 11) |
        (static_cast<std::uint32_t>(N) << 5) | (S / 2u);
    return static_cast<Integer>(Packed);
}

TDateTime FileDateToDateTime(Integer FileDate)
{
    const auto Packed = static_cast<std::uint32_t>(FileDate);
    const auto High = static_cast<Word>(Packed >> 16);
    const auto Low = static_cast<Word>(Packed & 0xFFFF);
    return EncodeDate(static_cast<Word>((High >> 9) + 1980), static_cast<Word>((High >> 5) & 15),
                      static_cast<Word>(High & 31)) +
           EncodeTime(static_cast<Word>(Low >> 11), static_cast<Word>((Low >> 5) & 63),
                      static_cast<Word>((Low & 31) * 2), 0);
}
