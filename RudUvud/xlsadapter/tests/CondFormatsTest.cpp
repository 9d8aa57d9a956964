#include "RudUvud/xlsadapter/XlsCondFormats.h"
#include "RudUvud/xlsadapter/XlsStyles.h"

#include "XlsTestSupport.h"

#include <gtest/gtest.h>

using namespace xlstest;

namespace {

ByteArray CondFmtData(Word CFCount, std::initializer_list<TExcelRange> Ranges, TExcelRange Enclosing)
{
    ByteArray d(12, 0);
    SetWord(d.data(), 0, CFCount);
    SetWord(d.data(), 2, 1);
    SetWord(d.data(), 4, Enclosing.R1);
    SetWord(d.data(), 6, Enclosing.R2);
    SetWord(d.data(), 8, Enclosing.C1);
    SetWord(d.data(), 10, Enclosing.C2);
    d.push_back(static_cast<Byte>(Ranges.size()));
    d.push_back(static_cast<Byte>(Ranges.size() >> 8));
    for (const TExcelRange& r : Ranges)
        for (Word w : {r.R1, r.R2, r.C1, r.C2}) {
            d.push_back(static_cast<Byte>(w));
            d.push_back(static_cast<Byte>(w >> 8));
        }
    return d;
}

// A "cell value greater than" rule whose formula is a relative reference to (Row, 0).
ByteArray CFData(Word Row)
{
    ByteArray d = Bytes({1, 5, 5, 0, 0, 0, 0xFF, 0xFF, 0x38, 0x24, 0, 0});
    const ByteArray f = Bytes({0x44, Row & 0xFF, Row >> 8, 0x00, 0xC0});
    d.insert(d.end(), f.begin(), f.end());
    return d;
}

// Loads a conditional format from a stream of its CONDFMT and the records after it.
void Load(TCondFmt& C, const ByteArray& Records)
{
    BiffStream s(Records);
    TRecordHeader h;
    ReadRecordHeader(*s.File, h);
    auto first = LoadRecords(*s.File, h);
    C.LoadFromStream(*s.File, h, std::move(first));
}

ByteArray Stream(const ByteArray& CondFmt, Integer CFs, Word RefRow = 5)
{
    ByteArray out;
    PutRecord(out, xlr_CONDFMT, CondFmt);
    for (Integer i = 0; i < CFs; ++i)
        PutRecord(out, xlr_CF, CFData(RefRow));
    return out;
}

ByteArray Saved(TCondFmt& C)
{
    ByteArray out = WriteWorkbook([&](TOle2File& f) { C.SaveToStream(f); });
    EXPECT_EQ(static_cast<Int64>(out.size()), C.TotalSize());
    return out;
}

std::vector<TExcelRange> Ranges(const TCondFmt& C)
{
    return C.Ranges().Items;
}

} // namespace

TEST(CondFormats, LoadAndSaveKeepTheRecords)
{
    const ByteArray in = Stream(CondFmtData(2, {{1, 3, 1, 1}, {7, 7, 0, 4}}, {1, 7, 0, 4}), 2);
    TCondFmt c;
    Load(c, in);
    EXPECT_EQ(c.CFs().Count(), 2);
    EXPECT_EQ(c.Flags(), 1);
    EXPECT_EQ(Saved(c), in);

    // A copy is deep.
    auto copy = c.DoCopyTo();
    c.Clear();
    ByteArray fromCopy = WriteWorkbook([&](TOle2File& f) { copy->SaveToStream(f); });
    EXPECT_EQ(fromCopy, in);
    EXPECT_EQ(c.TotalSize(), 0);
}

// LibreOffice's conditional formats (two rules over one range; one rule over two ranges) are
// written back byte for byte.
TEST(CondFormats, LibreOfficeFormatsWriteBackUnchanged)
{
    const ByteArray stream = ReadStream(Fixture("lo-styles.xls"), u"Workbook");
    BiffStream s(stream);
    TRecordHeader h;
    ReadRecordHeader(*s.File, h);
    int found = 0;
    while (s.File->Get_Position() - 4 < s.Length) {
        const Int64 start = s.File->Get_Position() - 4;
        auto r = LoadRecords(*s.File, h);
        if (!dynamic_cast<TCondFmtRecord*>(r.get()))
            continue;
        TCondFmt c;
        c.LoadFromStream(*s.File, h, std::move(r));
        const Int64 end = s.File->Get_Position() - 4;
        const ByteArray original(stream.begin() + start, stream.begin() + end);
        EXPECT_EQ(Saved(c), original);
        ++found;
    }
    EXPECT_EQ(found, 2);
}

TEST(CondFormats, ACondFmtFollowedByAnotherRecordIsRefused)
{
    ByteArray in;
    PutRecord(in, xlr_CONDFMT, CondFmtData(2, {{1, 1, 1, 1}}, {1, 1, 1, 1}));
    PutRecord(in, xlr_CF, CFData(1));
    PutRecord(in, 0x0203, ByteArray(14, 0));
    TCondFmt c;
    try {
        Load(c, in);
        FAIL() << "no error";
    } catch (const EExcelException& e) {
        EXPECT_EQ(e.Message(), "Invalid conditional format record");
    }
}

TEST(CondFormats, RowEditsMoveRangesAndFormulas)
{
    TCondFmt c;
    Load(c, Stream(CondFmtData(1, {{5, 6, 2, 2}, {8, 8, 0, 3}}, {5, 8, 0, 3}), 1));
    // Deleting row 5: a one-column range of rows 5-6 keeps its one remaining cell.
    c.DeleteRowsOrCols(5, 1, SameSheet(), false);
    EXPECT_EQ(Ranges(c), (std::vector<TExcelRange>{{5, 5, 2, 2}, {7, 7, 0, 3}}));
    EXPECT_EQ(c.Enclosing(), (TExcelRange{5, 7, 0, 3}));
    // The rule's reference to row 5 was deleted with it; inserting two rows at 0 moves the
    // ranges, the enclosing range and a rule's reference.
    TCondFmt d;
    Load(d, Stream(CondFmtData(1, {{5, 6, 2, 2}}, {5, 6, 2, 2}), 1, 9));
    d.ArrangeInsertRowsAndCols(0, 2, 0, 0, SameSheet());
    EXPECT_EQ(Ranges(d), (std::vector<TExcelRange>{{7, 8, 2, 2}}));
    EXPECT_EQ(d.Enclosing(), (TExcelRange{7, 8, 2, 2}));
    const TCFRecord& cf = *d.CFs().Items(0);
    EXPECT_EQ(GetWord(cf.Data(), cf.DataSize() - 4), 11);

    // A format whose ranges are all deleted writes nothing, not even its rules.
    d.DeleteRowsOrCols(7, 2, SameSheet(), false);
    EXPECT_TRUE(Ranges(d).empty());
    EXPECT_EQ(d.TotalSize(), 0);
    EXPECT_TRUE(Saved(d).empty());
}

TEST(CondFormats, CopiedRowsTakeTheirFormatsAlong)
{
    // A format that ends right above the destination grows over the copies.
    TCondFmt a;
    Load(a, Stream(CondFmtData(1, {{1, 9, 0, 0}}, {1, 9, 0, 0}), 1));
    a.InsertAndCopyRowsOrCols(1, 2, 10, 1, SameSheet(), false);
    EXPECT_EQ(Ranges(a), (std::vector<TExcelRange>{{1, 11, 0, 0}}));
    EXPECT_EQ(a.Enclosing(), (TExcelRange{1, 11, 0, 0}));

    // A format of one copied row gains a copy in each copy of the block.
    TCondFmt b;
    Load(b, Stream(CondFmtData(1, {{2, 2, 1, 3}}, {2, 2, 1, 3}), 1));
    b.InsertAndCopyRowsOrCols(1, 2, 10, 2, SameSheet(), false);
    EXPECT_EQ(Ranges(b), (std::vector<TExcelRange>{{2, 2, 1, 3}, {11, 11, 1, 3}, {13, 13, 1, 3}}));
    EXPECT_EQ(b.Enclosing(), (TExcelRange{2, 13, 1, 3}));

    // Copying upwards: the source block moves down first, and its part is copied above.
    TCondFmt c;
    Load(c, Stream(CondFmtData(1, {{10, 11, 0, 0}}, {10, 11, 0, 0}), 1));
    c.InsertAndCopyRowsOrCols(10, 10, 2, 1, SameSheet(), false);
    EXPECT_EQ(Ranges(c), (std::vector<TExcelRange>{{11, 12, 0, 0}, {2, 2, 0, 0}}));

    // A format away from the copied rows only moves.
    TCondFmt d;
    Load(d, Stream(CondFmtData(1, {{20, 21, 0, 0}}, {20, 21, 0, 0}), 1));
    d.InsertAndCopyRowsOrCols(1, 2, 10, 1, SameSheet(), false);
    EXPECT_EQ(Ranges(d), (std::vector<TExcelRange>{{22, 23, 0, 0}}));

    // Columns follow the same rules.
    TCondFmt e;
    Load(e, Stream(CondFmtData(1, {{0, 4, 1, 1}}, {0, 4, 1, 1}), 1));
    e.InsertAndCopyRowsOrCols(1, 1, 5, 1, SameSheet(), true);
    EXPECT_EQ(Ranges(e), (std::vector<TExcelRange>{{0, 4, 1, 1}, {0, 4, 5, 5}}));
}

TEST(CondFormats, ManyRangesSplitOverRecordsEachWithTheRules)
{
    TCondFmt c;
    Load(c, Stream(CondFmtData(1, {{0, 0, 0, 1}}, {0, 0, 0, 1}), 1));
    for (Word r = 1; r < 600; ++r)
        c.Ranges().Items.push_back({r, r, 0, 1});
    const ByteArray out = Saved(c);
    std::vector<std::pair<Word, Word>> records;
    for (size_t at = 0; at + 4 <= out.size(); at += 4 + GetWord(out.data(), static_cast<Integer>(at) + 2))
        records.push_back({GetWord(out.data(), static_cast<Integer>(at)),
                           GetWord(out.data(), static_cast<Integer>(at) + 2)});
    const Word cf = static_cast<Word>(CFData(0).size());
    EXPECT_EQ(records,
              (std::vector<std::pair<Word, Word>>{
                  {xlr_CONDFMT, 14 + 8 * 513}, {xlr_CF, cf}, {xlr_CONDFMT, 14 + 8 * 87}, {xlr_CF, cf}}));
    // Only the ranges inside a cell range are written for it.
    const TXlsCellRange top{0, 0, 255, 9};
    ByteArray part = WriteWorkbook([&](TOle2File& f) { c.SaveRangeToStream(f, top); });
    EXPECT_EQ(static_cast<Int64>(part.size()), c.TotalRangeSize(top));
    EXPECT_EQ(GetWord(part.data(), 4 + 12), 10);
}

TEST(CondFormats, NoEncryptionEngineMeansNoFilePass)
{
    TEncryptionData data(u"", nullptr, nullptr);
    EXPECT_EQ(data.TotalSize(), 0);
    EXPECT_EQ(data.Engine, nullptr);
}
