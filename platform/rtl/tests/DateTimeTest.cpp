#include "platform/rtl/DateTime.h"

#include "platform/rtl/Exceptions.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <ctime>

namespace {

class DateTimeTest : public testing::Test {
protected:
    void SetUp() override
    {
        SetDefaultFormatSettings();
        // Reading dates of two numbers or two-digit years depends on today's year.
        SetNowFunction([] { return EncodeDate(2026, 6, 15) + EncodeTime(9, 30, 0, 0); });
    }
    void TearDown() override
    {
        SetNowFunction(nullptr);
        SetDefaultFormatSettings();
    }

    // Thursday, 10 December 2026, 13:05:09.007
    const TDateTime Sample = EncodeDate(2026, 12, 10) + EncodeTime(13, 5, 9, 7);
};

TEST_F(DateTimeTest, EncodeDateCountsDaysFromTheEpoch)
{
    struct Case {
        Word Y, M, D;
        double Value;
    };
    const Case Cases[] = {{1899, 12, 30, 0},     {1900, 1, 1, 2},    {2000, 1, 1, 36526},
                          {2026, 12, 10, 46366}, {1, 1, 1, -693593}, {9999, 12, 31, 2958465},
                          {1899, 12, 29, -1}};
    for (const Case& C : Cases)
        EXPECT_EQ(EncodeDate(C.Y, C.M, C.D), C.Value) << C.Y << "-" << C.M << "-" << C.D;

    struct Bad {
        Word Y, M, D;
    };
    for (const Bad& B : {Bad{2023, 2, 29}, Bad{1900, 2, 29}, Bad{2024, 2, 30}, Bad{2024, 4, 31}, Bad{0, 1, 1},
                         Bad{10000, 1, 1}, Bad{2024, 13, 1}, Bad{2024, 0, 1}, Bad{2024, 1, 0}}) {
        TDateTime D = 7;
        EXPECT_FALSE(TryEncodeDate(B.Y, B.M, B.D, D));
        EXPECT_EQ(D, 7);
        try {
            EncodeDate(B.Y, B.M, B.D);
            ADD_FAILURE() << "no exception";
        } catch (const EConvertError& E) {
            EXPECT_EQ(E.Message(), "Invalid argument to date encode");
        }
    }
    for (Word Y : {1600, 2000, 2024, 4})
        EXPECT_TRUE(IsLeapYear(Y)) << Y;
    for (Word Y : {1700, 1900, 2023, 2100})
        EXPECT_FALSE(IsLeapYear(Y)) << Y;
    EXPECT_EQ(DaysInAMonth(2024, 2), 29);
    EXPECT_EQ(DaysInAMonth(2024, 13), 0);
}

TEST_F(DateTimeTest, DecodeDateInvertsEncodeDateEveryDay)
{
    for (Word Y : {1, 4, 100, 1582, 1899, 1900, 1999, 2000, 2024, 2100, 9999}) {
        for (Word M = 1; M <= 12; ++M) {
            for (Word D = 1; D <= DaysInAMonth(Y, M); ++D) {
                Word Y2, M2, D2;
                // Before the epoch the time of day is subtracted: -1.25 is 29 December 1899, 06:00.
                const TDateTime Day = EncodeDate(Y, M, D);
                DecodeDate(Day >= 0 ? Day + 0.75 : Day - 0.75, Y2, M2, D2);
                ASSERT_TRUE(Y2 == Y && M2 == M && D2 == D) << Y << "-" << M << "-" << D;
            }
        }
    }
    // Out of range decodes as zeros instead of garbage.
    Word Y, M, D;
    for (double Bad : {-693594.0, 2958466.0, 1e300, std::nan("")}) {
        DecodeDate(Bad, Y, M, D);
        EXPECT_TRUE(Y == 0 && M == 0 && D == 0) << Bad;
    }
}

TEST_F(DateTimeTest, TimesAndNegativeDates)
{
    EXPECT_EQ(EncodeTime(12, 0, 0, 0), 0.5);
    EXPECT_EQ(EncodeTime(6, 0, 0, 0), 0.25);
    Word H, N, S, Ms;
    DecodeTime(EncodeTime(23, 59, 59, 999), H, N, S, Ms);
    EXPECT_TRUE(H == 23 && N == 59 && S == 59 && Ms == 999);
    for (auto T : {std::array<Word, 4>{24, 0, 0, 0}, {0, 60, 0, 0}, {0, 0, 60, 0}, {0, 0, 0, 1000}}) {
        try {
            EncodeTime(T[0], T[1], T[2], T[3]);
            ADD_FAILURE() << "no exception";
        } catch (const EConvertError& E) {
            EXPECT_EQ(E.Message(), "Invalid argument to time encode");
        }
    }
    // Before the epoch the fraction still counts forward from midnight.
    Word Y, M, D;
    DecodeDate(-1.25, Y, M, D);
    DecodeTime(-1.25, H, N, S, Ms);
    EXPECT_TRUE(Y == 1899 && M == 12 && D == 29 && H == 6 && N == 0);
    // A time a hair below midnight rounds to the next day in every routine alike.
    const TDateTime AlmostNextDay = EncodeDate(1900, 1, 1) - 1e-10;
    EXPECT_EQ(FormatDateTime("yyyy-mm-dd hh:nn:ss.zzz", AlmostNextDay), "1900-01-01 00:00:00.000");
    DecodeTime(AlmostNextDay, H, N, S, Ms);
    EXPECT_TRUE(H == 0 && N == 0 && S == 0 && Ms == 0);
}

TEST_F(DateTimeTest, DayOfWeekAndIncMonth)
{
    EXPECT_EQ(DayOfWeek(0), 7);                       // Saturday
    EXPECT_EQ(DayOfWeek(Sample), 5);                  // Thursday
    EXPECT_EQ(DayOfWeek(EncodeDate(1, 1, 1)), 2);     // Monday
    EXPECT_EQ(DayOfWeek(EncodeDate(2024, 2, 25)), 1); // Sunday

    struct Case {
        Word Y, M, D;
        Integer Months;
        Word Y2, M2, D2;
    };
    const Case Cases[] = {
        {2024, 1, 31, 1, 2024, 2, 29},  {2023, 1, 31, 1, 2023, 2, 28},    {2024, 3, 31, -1, 2024, 2, 29},
        {2024, 12, 15, 1, 2025, 1, 15}, {2024, 1, 15, -13, 2022, 12, 15}, {2024, 5, 5, 0, 2024, 5, 5},
    };
    for (const Case& C : Cases) {
        const TDateTime R = IncMonth(EncodeDate(C.Y, C.M, C.D) + 0.25, C.Months);
        EXPECT_EQ(R, EncodeDate(C.Y2, C.M2, C.D2) + 0.25)
            << C.Y << "-" << C.M << "-" << C.D << " " << C.Months;
    }
    EXPECT_THROW(IncMonth(EncodeDate(9999, 12, 1), 1), EConvertError);
}

TEST_F(DateTimeTest, FormatDateTimeCodes)
{
    struct Case {
        const char* Format;
        const char* Text;
    };
    const Case Cases[] = {
        {"yyyy-mm-dd", "2026-12-10"},
        {"d/m/yy", "10/12/26"},
        {"dd/mm/yyyy", "10/12/2026"},
        {"hh:nn", "13:05"},
        {"h:nn", "13:05"},
        {"hh:mm", "13:05"}, // m right after an hour is minutes
        {"h:m:s", "13:5:9"},
        {"hh:nn:ss.zzz", "13:05:09.007"},
        {"z", "7"},
        {"nnn yyyyy", "05 2026"}, // a run takes its longest form
        {"ddd dddd", "Thu Thursday"},
        {"mmm MMMM", "Dec December"},
        {"ddddd", "12/10/2026"},
        {"dddddd", "Thursday, December 10, 2026"},
        {"c", "12/10/2026 1:05:09 PM"},
        {"t", "1:05 PM"},
        {"tt", "1:05:09 PM"},
        {"h:nn am/pm", "1:05 pm"},
        {"h:nn AM/PM", "1:05 PM"},
        {"h a/p", "1 p"},
        {"h A/P", "1 P"},
        {"hh ampm", "01 PM"},
        {"'Today is' dddd", "Today is Thursday"},
        {"\"m\"m", "m12"},
        {"yyyy\xE5\xB9\xB4m\xE6\x9C\x88"
         "d\xE6\x97\xA5",
         "2026\xE5\xB9\xB4"
         "12\xE6\x9C\x88"
         "10\xE6\x97\xA5"},
        {"x 'open", "x open"}, // an unclosed quote runs to the end
    };
    for (const Case& C : Cases)
        EXPECT_EQ(FormatDateTime(C.Format, Sample), C.Text) << C.Format;

    EXPECT_EQ(FormatDateTime("c", EncodeDate(2026, 12, 10)), "12/10/2026"); // midnight: no time
    EXPECT_EQ(FormatDateTime("tt", 0), "12:00:00 AM");
    EXPECT_EQ(FormatDateTime("tt", 0.5), "12:00:00 PM");
    EXPECT_EQ(FormatDateTime("yy", EncodeDate(2005, 1, 1)), "05");
    EXPECT_EQ(DateToStr(Sample), "12/10/2026");
    EXPECT_EQ(TimeToStr(Sample), "1:05:09 PM");
    EXPECT_EQ(DateTimeToStr(Sample), "12/10/2026 1:05:09 PM");

    DateSeparator = '-';
    TimeSeparator = '.';
    EXPECT_EQ(FormatDateTime("yyyy/mm/dd hh:nn", Sample), "2026-12-10 13.05");
    // A setting that names itself ends instead of recursing forever.
    ShortDateFormat = "ddddd|";
    EXPECT_FALSE(FormatDateTime("ddddd", Sample).empty());
}

TEST_F(DateTimeTest, ReadingDates)
{
    struct Case {
        const char* ShortFormat;
        const char* Text;
        Word Y, M, D; // Y = 0: invalid
    };
    const Case Cases[] = {
        {"M/d/yyyy", "12/10/2026", 2026, 12, 10},
        {"M/d/yyyy", " 1/2/2026 ", 2026, 1, 2},
        {"M/d/yyyy", "12/10", 2026, 12, 10}, // the current year
        {"M/d/yyyy", "1/2/26", 2026, 1, 2},
        {"M/d/yyyy", "1/2/75", 2075, 1, 2}, // within fifty years of today
        {"M/d/yyyy", "1/2/76", 1976, 1, 2},
        {"M/d/yyyy", "1/2/0026", 26, 1, 2}, // four digits typed: taken as written
        {"M/d/yyyy", "2/29/2024", 2024, 2, 29},
        {"d/M/yyyy", "10/12/2026", 2026, 12, 10},
        {"yyyy/M/d", "2026/12/10", 2026, 12, 10},
        {"yyyy/M/d", "12/10", 2026, 12, 10},
        {"M/d/yyyy", "2/29/2023", 0, 0, 0},
        {"M/d/yyyy", "13/1/2026", 0, 0, 0},
        {"M/d/yyyy", "12-10-2026", 0, 0, 0},
        {"M/d/yyyy", "12/10/2026 x", 0, 0, 0},
        {"M/d/yyyy", "12/10/20266", 0, 0, 0},
        {"M/d/yyyy", "12", 0, 0, 0},
        {"M/d/yyyy", "", 0, 0, 0},
    };
    for (const Case& C : Cases) {
        SCOPED_TRACE(testing::Message() << C.ShortFormat << " " << C.Text);
        ShortDateFormat = C.ShortFormat;
        TDateTime V = -5;
        EXPECT_EQ(TryStrToDate(C.Text, V), C.Y != 0);
        if (C.Y != 0) {
            EXPECT_EQ(V, EncodeDate(C.Y, C.M, C.D));
        } else {
            EXPECT_EQ(V, -5);
            try {
                StrToDate(C.Text);
                ADD_FAILURE() << "no exception";
            } catch (const EConvertError& E) {
                EXPECT_EQ(E.Message(), "'" + AnsiString(C.Text) + "' is not a valid date");
            }
        }
    }
}

TEST_F(DateTimeTest, ReadingTimesAndDateTimes)
{
    struct Case {
        const char* Text;
        bool Ok;
        Word H, N, S, Ms;
    };
    const Case Cases[] = {
        {"13:05", true, 13, 5, 0, 0},
        {"1:05:09 PM", true, 13, 5, 9, 0},
        {"12:00 AM", true, 0, 0, 0, 0},
        {"12:30 pm", true, 12, 30, 0, 0},
        {"23:59:59.999", true, 23, 59, 59, 999},
        {"10", true, 10, 0, 0, 0},
        {"AM 9:15", true, 9, 15, 0, 0},
        {"13:00 PM", false, 0, 0, 0, 0},
        {"0:10 AM", false, 0, 0, 0, 0},
        {"24:00", false, 0, 0, 0, 0},
        {"1:60", false, 0, 0, 0, 0},
        {"", false, 0, 0, 0, 0},
        {"1:05 XM", false, 0, 0, 0, 0},
        {"1:", false, 0, 0, 0, 0},
    };
    for (const Case& C : Cases) {
        SCOPED_TRACE(C.Text);
        TDateTime V = -5;
        EXPECT_EQ(TryStrToTime(C.Text, V), C.Ok);
        if (C.Ok) {
            EXPECT_EQ(V, EncodeTime(C.H, C.N, C.S, C.Ms));
        } else {
            EXPECT_EQ(V, -5);
        }
    }
    try {
        StrToTime("24:00");
        ADD_FAILURE() << "no exception";
    } catch (const EConvertError& E) {
        EXPECT_EQ(E.Message(), "'24:00' is not a valid time");
    }

    EXPECT_EQ(StrToDateTime("12/10/2026 13:05"), EncodeDate(2026, 12, 10) + EncodeTime(13, 5, 0, 0));
    EXPECT_EQ(StrToDateTime("12/10/2026"), EncodeDate(2026, 12, 10));
    EXPECT_EQ(StrToDateTime("1:05 PM"), EncodeTime(13, 5, 0, 0));
    EXPECT_EQ(StrToDateTime("12/29/1899 6:00"), -1.25); // before the epoch the time still adds forward
    try {
        StrToDateTime("12/10/2026 25:00");
        ADD_FAILURE() << "no exception";
    } catch (const EConvertError& E) {
        EXPECT_EQ(E.Message(), "'12/10/2026 25:00' is not a valid date and time");
    }
    // The round trip through the default texts.
    EXPECT_EQ(StrToDateTime(DateTimeToStr(EncodeDate(2026, 12, 10) + EncodeTime(13, 5, 9, 0))),
              EncodeDate(2026, 12, 10) + EncodeTime(13, 5, 9, 0));
}

TEST_F(DateTimeTest, DosDateTimePacking)
{
    const TDateTime T = EncodeDate(2026, 12, 10) + EncodeTime(13, 5, 9, 0);
    EXPECT_EQ(DateTimeToFileDate(T), 1569351844);
    // Two-second resolution: 9 seconds come back as 8.
    EXPECT_EQ(FileDateToDateTime(1569351844), EncodeDate(2026, 12, 10) + EncodeTime(13, 5, 8, 0));
    EXPECT_EQ(DateTimeToFileDate(EncodeDate(1979, 12, 31)), 0);
    EXPECT_EQ(DateTimeToFileDate(EncodeDate(2108, 1, 1)), 0);
    EXPECT_EQ(FileDateToDateTime(DateTimeToFileDate(EncodeDate(2107, 12, 31))), EncodeDate(2107, 12, 31));
    // Packed values from a damaged archive name impossible dates: an error, not a wrong date.
    EXPECT_THROW(FileDateToDateTime(0), EConvertError);                                       // month 0
    EXPECT_THROW(FileDateToDateTime(static_cast<Integer>(0x00210000u | 30u)), EConvertError); // 60 seconds
}

TEST_F(DateTimeTest, ClockCanBeFixedAndRestored)
{
    EXPECT_EQ(Now(), EncodeDate(2026, 6, 15) + EncodeTime(9, 30, 0, 0));
    EXPECT_EQ(Date(), EncodeDate(2026, 6, 15));
    EXPECT_NEAR(Time(), EncodeTime(9, 30, 0, 0), 1e-9);
    SetNowFunction(nullptr);
    setenv("TZ", "UTC", 1);
    tzset();
    const double Expected = static_cast<double>(std::time(nullptr)) / SecsPerDay + 25569.0;
    EXPECT_NEAR(Now(), Expected, 5.0 / SecsPerDay);
}

} // namespace
