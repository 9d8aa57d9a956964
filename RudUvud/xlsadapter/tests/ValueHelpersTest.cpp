#include "RudUvud/xlsadapter/ImageHelpers.h"
#include "RudUvud/xlsadapter/VovMessages.h"
#include "RudUvud/xlsadapter/XlsMessages.h"

#include <gtest/gtest.h>

#include <map>

TEST(ValueHelpers, EncodeColumnGivesColumnLetters)
{
    const std::pair<Integer, const char*> cases[] = {{1, "A"},   {26, "Z"},   {27, "AA"},  {52, "AZ"},
                                                     {53, "BA"}, {256, "IV"}, {702, "ZZ"}, {703, "AAA"}};
    for (auto [col, letters] : cases)
        EXPECT_EQ(EncodeColumn(col), letters) << col;
}

TEST(ValueHelpers, PosExFindsFromOffsetAndGivesMinusOneWhenAbsent)
{
    EXPECT_EQ(PosEx(u"b", u"abcb"), 2);
    EXPECT_EQ(PosEx(u"b", u"abcb", 3), 4);
    EXPECT_EQ(PosEx(u"x", u"abcb"), -1);
    EXPECT_EQ(PosEx(u"cb", u"abcb", 4), -1); // beyond the last possible start
}

TEST(ValueHelpers, StringReplaceSkipQuotesIgnoresCaseOutsideQuotesOnly)
{
    EXPECT_EQ(StringReplaceSkipQuotes(u"h:mm ampm", u"AMPM", u"AM/PM"), u"h:mm AM/PM");
    EXPECT_EQ(StringReplaceSkipQuotes(u"h:mm \"ampm\" AmPm", u"AMPM", u"AM/PM"), u"h:mm \"ampm\" AM/PM");
}

TEST(ValueHelpers, WideUpperCaseCoversLettersBeyondAscii)
{
    EXPECT_EQ(WideUpperCase98(u"abc\u00e9\u03b1z1"), u"ABC\u00c9\u0391Z1");
}

TEST(ValueHelpers, TryStrToFloatInvariantNeedsTheWholeText)
{
    Extended v;
    EXPECT_TRUE(TryStrToFloatInvariant("-1.5e3", v));
    EXPECT_EQ(v, -1500);
    EXPECT_FALSE(TryStrToFloatInvariant("1,5", v));
    EXPECT_FALSE(TryStrToFloatInvariant("12abc", v));
    EXPECT_FALSE(TryStrToFloatInvariant("", v));
}

TEST(ValueHelpers, OffsetRangeMovesBothEnds)
{
    TXlsCellRange r = OffsetRange({2, 3, 4, 5}, -1, -1);
    EXPECT_EQ(r, (TXlsCellRange{1, 2, 3, 4}));
}

TEST(XlsMessages, FormatFillsPlaceholdersInOrder)
{
    EXPECT_EQ(XlsFormat(zivXlsMessages::ErrWrongExcelRecord, {Int64(0x208)}),
              "Record with ID 0x208 is invalid");
    EXPECT_EQ(XlsFormat(zivXlsMessages::ErrBadToken, {Int64(7)}),
              "Error reading formula, Token Id: 0x 7 is not supported");
    EXPECT_EQ(XlsFormat(zivXlsMessages::ErrFileIsNotXLS, {AnsiString()}), "The file \"\" is invalid");
    // Missing arguments leave their placeholders out rather than reading garbage.
    EXPECT_EQ(XlsFormat("%d and %s"), " and ");
}

TEST(XlsMessages, IncWordRaisesPastItsLimits)
{
    Byte d[2] = {0xFF, 0xFF};
    try {
        IncWord(d, 0, 1, 65535);
        FAIL();
    } catch (const EExcelException& e) {
        EXPECT_STREQ(e.what(), "Too many entries for this kind of record (65536 out of a maximum of 65535)");
    }
    EXPECT_EQ(GetWord(d, 0), 65535); // unchanged
    Word w = 3;
    IncMaxMin(w, -10, 100, 1);
    EXPECT_EQ(w, 1);
    IncMaxMin(w, 500, 100, 1);
    EXPECT_EQ(w, 100);
}

TEST(XlsMessages, SimpleStringIsBoundedByTheData)
{
    // count 3, 16-bit, "a\u4e2dc"
    const Byte d[] = {3, 0, 1, 'a', 0, 0x2d, 0x4e, 'c', 0};
    WideString s;
    Int64 size;
    GetSimpleString(true, d, 0, sizeof d, false, 0, s, size);
    EXPECT_EQ(s, u"a\u4e2dc");
    EXPECT_EQ(size, 9);
    EXPECT_THROW(GetSimpleString(true, d, 0, sizeof d - 1, false, 0, s, size), EExcelException);
}

// A workbook stand-in for the picture helpers: columns of 64 px, rows of 20 px, one hidden column.
struct FakeBook {
    std::map<Integer, Integer> Widths; // in 1/256 character
    Integer HiddenCol = -1;
    TColor Palette[57] = {};
    Integer GetColumnWidthHiddenIsZero(Integer Col) const
    {
        if (Col == HiddenCol)
            return 0;
        auto it = Widths.find(Col);
        return it != Widths.end() ? it->second : static_cast<Integer>(64 * ColMult);
    }
    bool IsEmptyRow(Integer) const { return true; }
    Integer GetRowHeight(Integer) const { return 300; }
    Integer GetDefaultRowHeight() const { return 300; }
    TColor GetColorPalette(Integer I) const { return Palette[I]; }
    void SetColorPalette(Integer I, TColor C) { Palette[I] = C; }
};

TEST(PictureHelpers, CalcImgCellsAndDimentionsAreInverse)
{
    FakeBook book;
    TImageProperties p;
    CalcImgCells(&book, 2, 3, 10, 16, 50, 100, p);
    EXPECT_EQ(p.StartRow, 2);
    EXPECT_EQ(p.StartCol, 3);
    EXPECT_EQ(p.StartColOffset, 256); // 16 of 64 px
    EXPECT_EQ(p.EndCol, 4);           // 48 px left in col 3, 52 more in col 4
    EXPECT_EQ(p.EndRow, 4);
    TClientAnchor a{0,
                    Word(p.StartCol),
                    Word(p.StartColOffset),
                    Word(p.StartRow),
                    Word(p.StartRowOffset),
                    Word(p.EndCol),
                    Word(p.EndColOffset),
                    Word(p.EndRow),
                    Word(p.EndRowOffset)};
    Integer w, h;
    CalcImgDimentions(&book, a, w, h);
    EXPECT_EQ(w, 100);
    EXPECT_EQ(h, 50);
}

TEST(PictureHelpers, CalcImgCellsClampsAtTheSheetEdgesAndSurvivesHiddenCells)
{
    FakeBook book;
    TImageProperties p;
    CalcImgCells(&book, 65530, 250, 0, 0, 20 * 20, 64 * 20, p);
    EXPECT_EQ(p.EndRow, 65536);
    EXPECT_EQ(p.EndCol, 256);
    EXPECT_GE(p.StartRow, 1);
    EXPECT_LT(p.StartRow, 65530);
    EXPECT_LT(p.StartCol, 250);
    // A hidden anchor column has no width to divide by.
    book.HiddenCol = 1;
    CalcImgCells(&book, 1, 1, 0, 0, 10, 10, p);
    EXPECT_GE(p.StartColOffset, 0);
    EXPECT_THROW(CalcImgCells<FakeBook>(nullptr, 1, 1, 0, 0, 1, 1, p), EExcelException);
}

TEST(PictureHelpers, MatchNearestColorRecoloursOnlyFreeEntriesInsideTheArray)
{
    FakeBook book;
    for (Integer i = 1; i <= 56; ++i)
        book.Palette[i] = 0x000000;
    book.Palette[56] = 0x123456; // entry 56 is never considered
    BooleanArray none;
    EXPECT_NE(MatchNearestColor(&book, 0x123456, none), 56);
    BooleanArray used(10, false);
    Integer e = MatchNearestColor(&book, 0x123456, used);
    EXPECT_EQ(e, 3); // 1 and 2 are never re-coloured
    EXPECT_EQ(book.Palette[3], 0x123456u);
    for (Integer k = 0; k < 7; ++k)
        MatchNearestColor(&book, 0x010101 * (k + 2), used);
    // All of 3..9 are taken now: the nearest entry is reused without re-colouring.
    TColor before = book.Palette[10];
    MatchNearestColor(&book, 0xABCDEF, used);
    EXPECT_EQ(book.Palette[10], before);
}

#include "platform/rtl/FormatSettings.h"

TEST(ValueHelpers, TypedTextIsRecognisedAsDateOrTimeByTheLocale)
{
    SetDefaultFormatSettings(); // M/d/yyyy, '/', ':', h:mm AMPM
    const struct {
        const char16_t* Text;
        bool Result, HasDate, HasTime;
        const char16_t* Format;
    } cases[] = {
        {u"3/4/2010", true, true, false, u"M/d/yyyy"},
        {u" 3/4/2010 ", true, true, false, u"M/d/yyyy"},
        {u"10:30", true, false, true, u"h:mm AM/PM"},
        {u"3/4/2010 10:30", true, true, true, u"M/d/yyyy h:mm AM/PM"},
        {u"1.5", false, false, false, u""},
        {u"10.30", false, false, false, u""},
        {u"1.2.3", false, false, false, u""},
        {u"5", false, false, false, u""},
        {u"Bicycle", false, false, false, u""},
        {u"", false, false, false, u""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.Text, c.Text + std::char_traits<char16_t>::length(c.Text)));
        TDateTime v;
        WideString fmt;
        bool hasDate, hasTime;
        EXPECT_EQ(VovTryStrToDateTime(c.Text, v, fmt, hasDate, hasTime), c.Result);
        EXPECT_EQ(hasDate, c.HasDate);
        EXPECT_EQ(hasTime, c.HasTime);
        EXPECT_EQ(fmt, c.Format);
    }
    // Given formats replace the locale's; "ampm" in them becomes "AM/PM".
    TDateTime v;
    WideString fmt;
    bool d, t;
    EXPECT_TRUE(VovTryStrToDateTime(u"3/4/2010 10:30", v, fmt, d, t, u"dd/mm/yyyy", u"hh:mm ampm"));
    EXPECT_EQ(fmt, u"dd/mm/yyyy hh:mm AM/PM");
}

TEST(ValueHelpers, DatesFormatInEitherDateSystemAndNeverRaise)
{
    SetDefaultFormatSettings();
    EXPECT_EQ(TryFormatDateTime1904("yyyy-mm-dd", 0, true), "1904-01-01");
    EXPECT_EQ(TryFormatDateTime1904("yyyy-mm-dd", 2, false), "1900-01-01");
    EXPECT_EQ(TryFormatDateTime("yyyy", 1e300), "##");
    EXPECT_EQ(VariantToString(TXlsVariant::FromBoolean(true)), u"True");
    EXPECT_EQ(VariantToString(TXlsVariant::FromNumber(2.5)), u"2.5");
    EXPECT_EQ(VariantToString(TXlsVariant()), u"");
}
