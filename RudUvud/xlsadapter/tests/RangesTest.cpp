#include "RudUvud/xlsadapter/XlsRangeRecords.h"
#include "RudUvud/xlsadapter/XlsRowColEntries.h"

#include "XlsTestSupport.h"

#include <gtest/gtest.h>

using namespace xlstest;

namespace {

TColInfoRecord ColInfoRec(Word First, Word Last, Word Width, Word XF = 15, Word Options = 0)
{
    ByteArray d(12, 0);
    SetWord(d.data(), 0, First);
    SetWord(d.data(), 2, Last);
    SetWord(d.data(), 4, Width);
    SetWord(d.data(), 6, XF);
    SetWord(d.data(), 8, Options);
    return TColInfoRecord(xlr_COLINFO, d);
}

// (first, last, width) of every COLINFO written.
std::vector<std::tuple<int, int, int>> Written(TColInfoList& L)
{
    ByteArray out = WriteWorkbook([&](TOle2File& f) { L.SaveToStream(f); });
    EXPECT_EQ(static_cast<Int64>(out.size()), L.TotalSize());
    std::vector<std::tuple<int, int, int>> v;
    for (size_t p = 0; p + 16 <= out.size(); p += 16) {
        EXPECT_EQ(GetWord(out.data(), (Integer)p), xlr_COLINFO);
        v.push_back({GetWord(out.data(), (Integer)p + 4), GetWord(out.data(), (Integer)p + 6),
                     GetWord(out.data(), (Integer)p + 8)});
    }
    return v;
}

using Runs = std::vector<std::tuple<int, int, int>>;

} // namespace

TEST(ColumnInfo, LoadSaveAndEdit)
{
    TColInfoList l;
    l.AddRecord(ColInfoRec(2, 5, 3000));
    EXPECT_EQ(l.Count(), 4);
    EXPECT_EQ(Written(l), (Runs{{2, 5, 3000}}));
    Integer i;
    ASSERT_TRUE(l.Find(3, i));
    l.Items(i).Width = 1000;
    EXPECT_EQ(Written(l), (Runs{{2, 2, 3000}, {3, 3, 1000}, {4, 5, 3000}}));
    // A range writes only its columns.
    ByteArray part = WriteWorkbook([&](TOle2File& f) { l.SaveRangeToStream(f, {4, 0, 200, 10}); });
    EXPECT_EQ(part.size(), 16u);
    EXPECT_EQ(l.TotalRangeSize({4, 0, 200, 10}), 16);
    EXPECT_EQ(l.TotalRangeSize({100, 0, 200, 10}), 0);

    // A whole-sheet record stays one record; after inserting four columns the columns past 255
    // are kept but never written.
    TColInfoList all;
    all.AddRecord(ColInfoRec(0, 256, 500));
    EXPECT_EQ(Written(all), (Runs{{0, 256, 500}}));
    all.ArrangeInsertCols(0, 4, SameSheet());
    EXPECT_EQ(Written(all), (Runs{{4, 256, 500}}));
    // A damaged record asking for columns up to 65535 adds only the sheet's columns.
    TColInfoList big;
    big.AddRecord(ColInfoRec(0, 65535, 1));
    EXPECT_EQ(big.Count(), 257);
}

TEST(ColumnInfo, FollowsTheCellStore)
{
    TColInfoList l;
    l.AddRecord(ColInfoRec(1, 1, 100));
    l.AddRecord(ColInfoRec(3, 4, 300));
    TCells cells(&l);
    cells.AddCell(std::make_unique<TBlankRecord>(0, 3, 15), 0);
    cells.FixRows();
    // Inserting two columns at 3 moves the widths of 3 and 4 to 5 and 6.
    cells.InsertAndCopyCols(0, 1, 3, 1, SameSheet(), false);
    EXPECT_EQ(Written(l), (Runs{{1, 1, 100}, {4, 4, 100}, {5, 6, 300}}));
    // Deleting columns leaves the column information where it is.
    cells.DeleteCols(0, 2, SameSheet());
    EXPECT_EQ(Written(l), (Runs{{1, 1, 100}, {4, 4, 100}, {5, 6, 300}}));
    TGutsRecord guts(0x0080, ByteArray(8, 0));
    l.Items(0).SetColOutlineLevel(3);
    l.CalcGuts(&guts);
    EXPECT_EQ(guts.GetColLevel(), 4); // the GUTS record counts the levels plus one
}

TEST(MergedCells, MergeUnmergeAndWrite)
{
    TMergedCells m;
    m.MergeCells(0, 0, 1, 1);               // A1:B2
    Integer r1 = 1, c1 = 1, r2 = 2, c2 = 2; // B2:C3
    m.PreMerge(r1, c1, r2, c2);
    m.MergeCells(r1, c1, r2, c2);
    ASSERT_EQ(m.MergedCount(), 1);
    EXPECT_EQ(m.MergedCell(0), (TXlsCellRange{0, 0, 2, 2}));
    TXlsCellRange b;
    EXPECT_TRUE(m.CheckCell(2, 1, b));
    EXPECT_FALSE(m.CheckCell(3, 1, b));
    // Single cells and areas outside the sheet are ignored.
    m.MergeCells(5, 5, 5, 5);
    m.MergeCells(65535, 0, 65536, 1);
    m.MergeCells(0, 250, 0, 256);
    EXPECT_EQ(m.MergedCount(), 1);
    m.UnMergeCells(0, 0, 2, 2);
    EXPECT_EQ(m.MergedCount(), 0);
    ByteArray none = WriteWorkbook([&](TOle2File& f) { m.SaveToStream(f); });
    EXPECT_TRUE(none.empty());
    EXPECT_EQ(m.TotalSize(), 0);

    // 600 merges take two records of 513 and 87 ranges, and read back the same.
    for (int i = 0; i < 600; ++i)
        m.MergeCells(i, 0, i, 1);
    ByteArray out = WriteWorkbook([&](TOle2File& f) { m.SaveToStream(f); });
    EXPECT_EQ(static_cast<Int64>(out.size()), m.TotalSize());
    EXPECT_EQ(GetWord(out.data(), 2), 4106);
    EXPECT_EQ(GetWord(out.data(), 4 + 4106 + 2), 698);
    BiffStream s(out);
    auto recs = s.LoadAll();
    ASSERT_EQ(recs.size(), 2u);
    TMergedCells a, c;
    a.LoadFromRecord(*recs[0]);
    c.LoadFromRecord(*recs[1]);
    EXPECT_EQ(a.MergedCount(), 513);
    EXPECT_EQ(c.MergedCell(86), (TXlsCellRange{0, 599, 1, 599}));
    // A range writes the merges inside it only.
    EXPECT_EQ(m.TotalRangeSize({0, 10, 255, 19}), 4 + 2 + 80);
    EXPECT_EQ(m.TotalRangeSize({1, 0, 255, 65535}), 0);
    // A record claiming more ranges than it holds is refused.
    ByteArray bad;
    PutRecord(bad, xlr_MERGEDCELLS, Bytes({2, 0, 0, 0, 1, 0, 0, 0, 1, 0}));
    BiffStream sb(bad);
    auto br = sb.LoadAll();
    TMergedCells x;
    EXPECT_THROW(x.LoadFromRecord(*br[0]), EExcelException);
}

TEST(MergedCells, FollowRowAndColumnEdits)
{
    struct Case {
        const char* Name;
        TExcelRange Before;
        std::function<void(TMergedCells&)> Edit;
        std::vector<TExcelRange> After;
    } cases[] = {
        {"delete the merge's only row",
         {5, 5, 1, 3},
         [](TMergedCells& m) { m.DeleteRowsOrCols(5, 1, SameSheet(), false); },
         {}},
        {"delete a row of a one-column merge",
         {5, 6, 1, 1},
         [](TMergedCells& m) { m.DeleteRowsOrCols(5, 1, SameSheet(), false); },
         {}},
        {"cut down to one cell",
         {4, 5, 1, 1},
         [](TMergedCells& m) { m.DeleteRowsOrCols(5, 1, SameSheet(), false); },
         {}},
        {"delete rows above",
         {5, 6, 1, 2},
         [](TMergedCells& m) { m.DeleteRowsOrCols(0, 2, SameSheet(), false); },
         {{3, 4, 1, 2}}},
        {"delete a column inside",
         {0, 1, 1, 3},
         [](TMergedCells& m) { m.DeleteRowsOrCols(2, 1, SameSheet(), true); },
         {{0, 1, 1, 2}}},
        {"insert rows above",
         {5, 6, 1, 2},
         [](TMergedCells& m) { m.ArrangeInsertRowsAndCols(2, 3, 0, 0, SameSheet()); },
         {{8, 9, 1, 2}}},
        {"copy rows down",
         {1, 2, 0, 1},
         [](TMergedCells& m) { m.InsertAndCopyRowsOrCols(1, 2, 10, 2, SameSheet(), false); },
         {{1, 2, 0, 1}, {10, 11, 0, 1}, {12, 13, 0, 1}}},
        {"copy rows up",
         {10, 10, 0, 1},
         [](TMergedCells& m) { m.InsertAndCopyRowsOrCols(10, 10, 0, 1, SameSheet(), false); },
         {{11, 11, 0, 1}, {0, 0, 0, 1}}},
        {"copy columns",
         {0, 0, 1, 2},
         [](TMergedCells& m) { m.InsertAndCopyRowsOrCols(1, 2, 5, 1, SameSheet(), true); },
         {{0, 0, 1, 2}, {0, 0, 5, 6}}},
    };
    for (auto& c : cases) {
        TMergedCells m;
        m.Ranges().Items.push_back(c.Before);
        c.Edit(m);
        EXPECT_EQ(m.Ranges().Items, c.After) << c.Name;
    }
    // A copy pushed past the last column is refused.
    TMergedCells m;
    m.MergeCells(0, 250, 0, 251);
    EXPECT_THROW(m.InsertAndCopyRowsOrCols(250, 251, 255, 1, SameSheet(), true), EExcelException);
}
