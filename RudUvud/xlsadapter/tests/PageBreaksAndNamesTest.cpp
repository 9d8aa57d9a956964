#include "RudUvud/xlsadapter/XlsPageBreaks.h"
#include "RudUvud/xlsadapter/XlsSheetNames.h"
#include "platform/rtl/Strings.h"

#include "XlsTestSupport.h"

#include <gtest/gtest.h>

#include <functional>
#include <vector>

using namespace xlstest;

namespace {

ByteArray BreakRecord(std::initializer_list<TPageBreakData> Breaks, int Count = -1)
{
    ByteArray d;
    auto put = [&](int w) {
        d.push_back(static_cast<Byte>(w));
        d.push_back(static_cast<Byte>(w >> 8));
    };
    put(Count < 0 ? static_cast<int>(Breaks.size()) : Count);
    for (const TPageBreakData& b : Breaks) {
        put(b.Key);
        put(b.First);
        put(b.Last);
    }
    return d;
}

std::vector<Integer> Keys(const TPageBreakList& L)
{
    std::vector<Integer> k;
    for (Integer i = 0; i < L.Count(); ++i)
        k.push_back(L.Items(i).Key);
    return k;
}

std::string Message(const std::function<void()>& Fn)
{
    try {
        Fn();
    } catch (const EExcelException& e) {
        return e.what();
    }
    return "";
}

} // namespace

TEST(PageBreaks, RowsInsertedAndDeletedMoveTheBreaks)
{
    THPageBreakList list;
    list.AddBreak(9);
    list.AddBreak(5);
    list.AddBreak(5);
    EXPECT_EQ(Keys(list), (std::vector<Integer>{5, 9}));
    EXPECT_EQ(list.Items(0), (TPageBreakData{5, 0, 255}));

    // Rows 4 to 6 go: the break at 5 with them, the one at 9 moves up to 6.
    list.DeleteRows(4, 3);
    EXPECT_EQ(Keys(list), (std::vector<Integer>{6}));

    // Three copies of rows 2..3 inserted at row 10 push a break at 12 down to 18.
    list.AddBreak(12);
    list.InsertRows(10, 3 * 2);
    EXPECT_EQ(Keys(list), (std::vector<Integer>{6, 18}));

    // A break pushed past the last row fails and moves nothing.
    list.AddBreak(65530);
    EXPECT_EQ(Message([&] { list.InsertRows(7, 10); }),
              "Too many entries for this kind of record (65540 out of a maximum of 65535)");
    EXPECT_EQ(Keys(list), (std::vector<Integer>{6, 18, 65530}));

    TVPageBreakList cols;
    cols.AddBreak(3);
    EXPECT_EQ(cols.Items(0), (TPageBreakData{3, 0, 65535}));
    EXPECT_THROW(cols.InsertCols(0, 253), EExcelException);
    cols.InsertCols(3, 252);
    EXPECT_EQ(Keys(cols), (std::vector<Integer>{255}));
}

TEST(PageBreaks, ASheetHoldsAtMost1026Breaks)
{
    THPageBreakList list;
    for (Integer r = 0; r < TPageBreakList::MaxBreaks; ++r)
        list.AddBreak(r * 2);
    EXPECT_EQ(Message([&] { list.AddBreak(1); }), "Too many manual Page breaks for this sheet");
    EXPECT_EQ(Message([&] { list.AddBreak(0); }), "Too many manual Page breaks for this sheet");
    EXPECT_EQ(list.Count(), 1026);
    // Breaks read from a file beyond that are dropped: one record could not hold them.
    auto more = CreateRecordById(xlr_HORIZONTALPAGEBREAKS, BreakRecord({{1, 0, 255}, {3, 0, 255}}));
    list.AddRecord(static_cast<TPageBreakRecord&>(*more));
    EXPECT_EQ(list.Count(), 1026);
}

TEST(PageBreaks, FileRecordsMergeAndSaveAsOneSortedRecord)
{
    THPageBreakList list;
    auto a = CreateRecordById(xlr_HORIZONTALPAGEBREAKS, BreakRecord({{9, 2, 7}, {4, 0, 255}}));
    auto b = CreateRecordById(xlr_HORIZONTALPAGEBREAKS, BreakRecord({{9, 0, 255}, {20, 1, 3}}));
    // A count beyond the record's data reads only the entries that are there.
    auto c = CreateRecordById(xlr_HORIZONTALPAGEBREAKS, BreakRecord({{30, 0, 255}}, 500));
    list.AddRecord(static_cast<TPageBreakRecord&>(*a));
    list.AddRecord(static_cast<TPageBreakRecord&>(*b));
    list.AddRecord(static_cast<TPageBreakRecord&>(*c));
    EXPECT_EQ(Keys(list), (std::vector<Integer>{4, 9, 20, 30}));

    const ByteArray saved = WriteWorkbook([&](TOle2File& f) { list.SaveToStream(f); });
    ByteArray expected;
    PutRecord(expected, xlr_HORIZONTALPAGEBREAKS,
              BreakRecord({{4, 0, 255}, {9, 2, 7}, {20, 1, 3}, {30, 0, 255}}));
    EXPECT_EQ(saved, expected);
    EXPECT_EQ(list.TotalSize(), static_cast<Int64>(saved.size()));

    // A range save writes the breaks whose row lies in the range, keys as they are.
    const TXlsCellRange rows{0, 5, 255, 25};
    Integer first, n;
    list.CalcIncludedRangeRecords(rows, first, n);
    EXPECT_EQ(first, 1);
    EXPECT_EQ(n, 2);
    const ByteArray range = WriteWorkbook([&](TOle2File& f) { list.SaveRangeToStream(f, rows); });
    ByteArray expectedRange;
    PutRecord(expectedRange, xlr_HORIZONTALPAGEBREAKS, BreakRecord({{9, 2, 7}, {20, 1, 3}}));
    EXPECT_EQ(range, expectedRange);
    EXPECT_EQ(list.TotalRangeSize(rows), static_cast<Int64>(range.size()));
    list.CalcIncludedRangeRecords({0, 10, 255, 19}, first, n);
    EXPECT_EQ(n, 0);

    THPageBreakList empty;
    EXPECT_EQ(empty.TotalSize(), 0);
    EXPECT_TRUE(WriteWorkbook([&](TOle2File& f) { empty.SaveToStream(f); }).empty());
    EXPECT_THROW(CreateRecordById(xlr_VERTICALPAGEBREAKS, ByteArray(1, 0)), EExcelException);
}

TEST(SheetNames, NewNamesCountUpFromTheRoot)
{
    TSheetNameList names;
    EXPECT_EQ(names.AddUniqueName(u"Sheet"), u"Sheet");
    EXPECT_EQ(names.AddUniqueName(u"Sheet"), u"Sheet1");
    names.Add(u"Sheet3");
    EXPECT_EQ(names.AddUniqueName(u"Sheet"), u"Sheet2");
    EXPECT_EQ(names.AddUniqueName(u"Sheet"), u"Sheet4");
    EXPECT_EQ(names.AddUniqueName(u"SHEET"), u"SHEET5");
    EXPECT_EQ(names.AddUniqueName(u"\u734e\u54c1"), u"\u734e\u54c1");
    EXPECT_EQ(names.AddUniqueName(u"\u734e\u54c1"), u"\u734e\u54c11");

    // Every name is there once, and is found without regard to case.
    Integer at;
    for (const char16_t* n : {u"Sheet", u"sheet1", u"Sheet2", u"SHEET3", u"Sheet4", u"Sheet5"})
        EXPECT_TRUE(names.FindFullString(n, at)) << UTF8Encode(n);
    EXPECT_FALSE(names.FindFullString(u"Sheet6", at));
}

TEST(SheetNames, NamesDifferingOnlyInCaseClash)
{
    TSheetNameList names;
    names.Add(u"Sheet1");
    names.Add(u"Prizes");
    EXPECT_EQ(Message([&] { names.Add(u"sheet1"); }), "Sheet name already exists: sheet1");
    EXPECT_EQ(Message([&] { names.Rename(u"Prizes", u"SHEET1"); }), "Sheet name already exists: SHEET1");
    EXPECT_EQ(Message([&] { names.Rename(u"Nothing", u"Other"); }), "Invalid sheet: Nothing");
    EXPECT_EQ(Message([&] { names.DeleteSheet(u"Nothing"); }), "Invalid sheet: Nothing");
    EXPECT_EQ(names.Count(), 2);

    // A sheet may change the case of its own name.
    names.Rename(u"Prizes", u"PRIZES");
    Integer at;
    ASSERT_TRUE(names.FindFullString(u"prizes", at));
    EXPECT_EQ(names.Items(at).FullName(), u"PRIZES");
    names.Rename(u"PRIZES", u"PRIZES");
    names.DeleteSheet(u"sheet1");
    EXPECT_EQ(names.Count(), 1);
    names.Add(u"Sheet1");
}

TEST(SheetNames, ValidNamesKeepTheirCharacters)
{
    const struct {
        const char16_t* In;
        const char16_t* Out;
    } cases[] = {
        {u"Sheet1", u"Sheet1"},
        {u"a/b\\c?d[e]f*g:h", u"a_b_c_d_e_f_g.h"},
        // 40 characters: the first 31 stay.
        {u"Prize:list*of 2026 for the staff party!", u"Prize.list_of 2026 for the staf"},
        // Characters outside any 8-bit code page stay as they are.
        {u"\u734e\u54c1:\u982d\u734e", u"\u734e\u54c1.\u982d\u734e"},
        {u"", u""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(TSheetNameList::MakeValidSheetName(c.In), c.Out) << UTF8Encode(c.In);
    // A surrogate pair is never cut in half.
    WideString longName(30, u'x');
    longName += u"\U0001F600";
    EXPECT_EQ(TSheetNameList::MakeValidSheetName(longName), WideString(30, u'x'));
}
