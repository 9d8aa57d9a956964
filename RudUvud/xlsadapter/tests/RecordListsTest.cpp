#include "RudUvud/xlsadapter/BaseRecordLists.h"

#include "XlsTestSupport.h"

#include <gtest/gtest.h>

#include <random>

using namespace xlstest;

namespace {

// A cell that joins its right neighbour into one run record, as number cells do: the run is
// written as one header (first), four bytes per cell and a two-byte tail (last).
class TJoinCell : public TCellRecord {
public:
    TJoinCell(Word Row, Word Col) : TCellRecord(0x7777, 10, Row, Col, 15) {}
    TJoinCell(Word aId, TRecordBody aData) : TCellRecord(aId, std::move(aData)) {}
    XLS_RECORD_CREATE(TJoinCell)
    bool CanJoinNext(const TCellRecord* Next, Integer MaxCol) const override
    {
        return Next && Next->GetColumn() == GetColumn() + 1 && Next->GetColumn() <= MaxCol;
    }
    Int64 TotalSizeFirst() const override { return 4 + 4 + 4; }
    Int64 TotalSizeMid() const override { return 4; }
    Int64 TotalSizeLast() const override { return 4 + 2; }
    void SaveFirstMul(TOle2File& F, Word Size) override
    {
        F.WriteHeader(0x8888, static_cast<Word>(Size - 4));
        F.Write16(GetRow());
        F.Write16(GetColumn());
        F.Write32(GetColumn());
    }
    void SaveMidMul(TOle2File& F) override { F.Write32(GetColumn()); }
    void SaveLastMul(TOle2File& F) override
    {
        F.Write32(GetColumn());
        F.Write16(GetColumn());
    }
};

std::vector<int> RowsOf(const TRowRecordList& L)
{
    std::vector<int> v;
    for (Integer i = 0; i < L.Count(); ++i)
        v.push_back(L.Items(i) ? L.Items(i)->GetRow() : -1);
    return v;
}

} // namespace

TEST(RecordLists, RowListIsIndexedByRow)
{
    TRowRecordList rows;
    rows.AddRecord(std::make_unique<TRowRecord>(5));
    rows.AddRecord(std::make_unique<TRowRecord>(2));
    EXPECT_EQ(RowsOf(rows), (std::vector<int>{-1, -1, 2, -1, -1, 5}));
    EXPECT_EQ(rows.GetTotalSize(), 2 * 20);
    try {
        rows.AddRecord(std::make_unique<TRowRecord>(5));
        FAIL();
    } catch (const EExcelException& e) {
        EXPECT_STREQ(e.what(), "Duplicated ROW record");
    }
    try {
        rows.GetItems(3);
        FAIL();
    } catch (const EExcelException& e) {
        EXPECT_STREQ(e.what(), "Missing ROW Record for row 3");
    }
    EXPECT_EQ(rows.RowHeight(3), 0);
    EXPECT_TRUE(rows.IsAutoRowHeight(3));
    rows.AutoRowHeight(3, false); // a row without a record is not created
    EXPECT_FALSE(rows.HasRow(3));
    rows.SetRowHeight(3, 400);
    EXPECT_EQ(rows.RowHeight(3), 400);
    EXPECT_FALSE(rows.IsAutoRowHeight(3));
    // The range size counts the records that exist, also past the list's end.
    EXPECT_EQ(rows.TotalRangeSize({0, 0, 255, 4}, false), 2 * 20);
    EXPECT_EQ(rows.TotalRangeSize({0, 4, 255, 70000}, false), 20);
    TGutsRecord guts(0x0080, ByteArray(8, 0));
    rows.GetItems(5)->SetRowOutlineLevel(3);
    rows.CalcGuts(&guts);
    EXPECT_EQ(guts.GetRowLevel(), 4);
}

TEST(RecordLists, DeletingAndCopyingRowsRenumbersThem)
{
    TRowRecordList rows;
    for (Word r = 1; r <= 5; ++r) {
        rows.AddRecord(std::make_unique<TRowRecord>(r));
        rows.GetItems(r)->SetHeight(100 + r);
    }
    rows.DeleteRows(2, 2, SameSheet());
    EXPECT_EQ(RowsOf(rows), (std::vector<int>{-1, 1, 2, 3}));
    EXPECT_EQ(rows.RowHeight(2), 104); // formerly row 4
    EXPECT_EQ(rows.ComputedTotalSize(), rows.GetTotalSize());

    // Row 2 copied twice to row 10 (past the end), then rows 10..11 once back to row 2.
    rows.InsertAndCopyRows(2, 2, 10, 2, SameSheet());
    EXPECT_EQ(RowsOf(rows), (std::vector<int>{-1, 1, 2, 3, -1, -1, -1, -1, -1, -1, 10, 11}));
    EXPECT_EQ(rows.RowHeight(11), 104);
    rows.InsertAndCopyRows(10, 11, 2, 1, SameSheet());
    EXPECT_EQ(RowsOf(rows), (std::vector<int>{-1, 1, 2, 3, 4, 5, -1, -1, -1, -1, -1, -1, 12, 13}));
    EXPECT_EQ(rows.RowHeight(2), 104);
    EXPECT_EQ(rows.RowHeight(4), 104); // the former row 2, moved down by the two copies
    EXPECT_EQ(rows.ComputedTotalSize(), rows.GetTotalSize());
    // Rows pushed past the last row refuse to move.
    TRowRecordList full;
    full.AddRecord(std::make_unique<TRowRecord>(65535));
    EXPECT_THROW(full.InsertAndCopyRows(0, 0, 1, 1, SameSheet()), EExcelException);
}

TEST(RecordLists, CellRunsAreJoinedOnWriteAndSizedAlike)
{
    TCellRecordList cells;
    for (Word c : {2, 3, 4, 7, 9, 10})
        cells.Add(std::make_unique<TJoinCell>(1, c));
    // 2-3-4 join (first + mid + last), 7 stands alone, 9-10 join.
    const Int64 run3 = 12 + 4 + 6, single = 14, run2 = 12 + 6;
    EXPECT_EQ(cells.GetTotalSize(), run3 + single + run2);
    ByteArray out = WriteWorkbook([&](TOle2File& f) { cells.SaveToStream(f); });
    EXPECT_EQ(static_cast<Int64>(out.size()), cells.GetTotalSize());
    EXPECT_EQ(GetWord(out.data(), 0), 0x8888);
    EXPECT_EQ(GetWord(out.data(), 2), run3 - 4);
    EXPECT_EQ(GetWord(out.data(), (Integer)run3), 0x7777); // the single cell as itself
    // A range cuts runs at its right column, and a row outside the range writes nothing.
    EXPECT_EQ(cells.TotalRangeSize({0, 0, 3, 5}, false), 12 + 6);
    EXPECT_EQ(cells.TotalRangeSize({0, 2, 255, 5}, false), 0);
    ByteArray none = WriteWorkbook([&](TOle2File& f) { cells.SaveRangeToStream(f, {0, 2, 255, 5}); });
    EXPECT_TRUE(none.empty());
}

TEST(RecordLists, FindSortsFirstAndGivesTheInsertionPoint)
{
    TCellRecordList cells;
    for (Word c : {9, 2, 5, 5})
        cells.Add(std::make_unique<TJoinCell>(0, c));
    EXPECT_FALSE(cells.Sorted());
    Integer index;
    EXPECT_TRUE(cells.Find(5, index));
    EXPECT_TRUE(cells.Sorted());
    EXPECT_EQ(index, 1);
    EXPECT_FALSE(cells.Find(6, index));
    EXPECT_EQ(index, 3);
    EXPECT_FALSE(cells.Find(100, index));
    EXPECT_EQ(index, 4);
    cells.Add(std::make_unique<TJoinCell>(0, 1));
    EXPECT_FALSE(cells.Sorted());
    EXPECT_TRUE(cells.Find(1, index));
    EXPECT_EQ(index, 0);
}

TEST(RecordLists, BoundSheetListTracksNamesVisibilityAndSize)
{
    TBoundSheetRecordList sheets;
    sheets.Add(std::make_unique<TBoundSheetRecord>(0, u"Sheet1"));
    sheets.Add(std::make_unique<TBoundSheetRecord>(0x0201, u"Data"));
    Int64 before = sheets.GetTotalSize();
    sheets.SetSheetName(0, u"A much longer sheet name");
    EXPECT_EQ(sheets.GetTotalSize(), before + 18);
    EXPECT_EQ(sheets.GetTotalSize(), sheets.ComputedTotalSize());
    EXPECT_EQ(sheets.GetSheetName(0), u"A much longer sheet name");
    EXPECT_EQ(sheets.GetSheetVisible(1), sv_Hidden);
    sheets.SetSheetVisible(1, sv_VeryHidden);
    EXPECT_EQ(sheets.Items(1)->GetOptionFlags(), 0x0202);
    sheets.SetSheetVisible(1, sv_Visible);
    EXPECT_EQ(sheets.GetSheetVisible(1), sv_Visible);
}

// The running total must equal the walked size after any mix of edits: this is what the sheet
// offsets of a saved workbook rely on.
TEST(RecordLists, RunningTotalMatchesTheRecordsUnderRandomEdits)
{
    std::mt19937 rng(7);
    TBaseRecordList list;
    TBoundSheetRecordList sheets;
    for (int step = 0; step < 3000; ++step) {
        unsigned op = rng() % 6;
        Integer n = list.Count();
        auto rec = [&] { return std::make_unique<TBaseRecord>(0x1234, ByteArray(rng() % 50, 1)); };
        if (op == 0 || n == 0)
            list.Add(rng() % 5 ? rec() : nullptr);
        else if (op == 1)
            list.Insert(static_cast<Integer>(rng() % (n + 1)), rec());
        else if (op == 2)
            list.Delete(static_cast<Integer>(rng() % n));
        else if (op == 3)
            list.SetItems(static_cast<Integer>(rng() % n), rng() % 2 ? rec() : nullptr);
        else if (op == 4)
            list.CopyFrom(&list), list.Clear();
        else
            list.Extract(static_cast<Integer>(rng() % n));
        ASSERT_EQ(list.GetTotalSize(), list.ComputedTotalSize()) << step;

        if (sheets.Count() < 5)
            sheets.Add(std::make_unique<TBoundSheetRecord>(0, u"S"));
        sheets.SetSheetName(static_cast<Integer>(rng() % sheets.Count()), WideString(rng() % 31, u'n'));
        ASSERT_EQ(sheets.GetTotalSize(), sheets.ComputedTotalSize()) << step;
    }
}

TEST(RecordLists, CopyFromCopiesDeeplyWithNulls)
{
    TBaseRecordList a, b;
    a.Add(std::make_unique<TBaseRecord>(1, ByteArray{1, 2}));
    a.Add(nullptr);
    b.CopyFrom(&a);
    b.CopyFrom(nullptr);
    ASSERT_EQ(b.Count(), 2);
    EXPECT_EQ(b.Items(1), nullptr);
    b.Items(0)->Data()[0] = 9;
    EXPECT_EQ(a.Items(0)->Data()[0], 1);
    EXPECT_EQ(b.GetTotalSize(), 6);
}
