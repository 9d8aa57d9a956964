#include "RudUvud/xlsadapter/XlsRowColEntries.h"

#include "XlsTestSupport.h"

#include <gtest/gtest.h>

#include <map>

using namespace xlstest;

namespace {

// A number cell whose value names its origin, so moved and copied cells can be told apart.
std::unique_ptr<TCellRecord> Num(Word Row, Word Col, double V, Word XF = 15)
{
    auto c = std::make_unique<TNumberRecord>(Row, Col, XF);
    c->SetValue(TXlsVariant::FromNumber(V));
    return c;
}

// (row, column) -> value of every cell, checking each cell knows its own place.
std::map<std::pair<int, int>, double> Cells(const TCells& S)
{
    std::map<std::pair<int, int>, double> m;
    const TCellList& list = S.CellList();
    for (Integer r = 0; r < list.Count(); ++r) {
        TCellRecordList* row = list.GetCells(r);
        for (Integer i = 0; row && i < row->Count(); ++i) {
            TCellRecord* c = row->Items(i);
            EXPECT_EQ(c->GetRow(), r);
            m[{c->GetRow(), c->GetColumn()}] = c->GetValue().Number;
        }
    }
    return m;
}

// A sheet with cells at (r, c) valued r * 100 + c, and its ROW records.
void Fill(TCells& S, std::initializer_list<std::pair<int, int>> At)
{
    for (auto [r, c] : At)
        S.AddCell(Num(r, c, r * 100 + c), r);
    S.FixRows();
}

std::vector<TRec> Records(const ByteArray& Out)
{
    std::vector<TRec> v;
    for (size_t p = 0; p + 4 <= Out.size();) {
        Word size = GetWord(Out.data(), (Integer)p + 2);
        v.push_back(
            {GetWord(Out.data(), (Integer)p), ByteArray(Out.begin() + p + 4, Out.begin() + p + 4 + size)});
        p += 4 + size;
    }
    return v;
}

} // namespace

TEST(CellStore, DimensionsAndSizes)
{
    struct Case {
        std::vector<std::pair<int, int>> At;
        LongWord FirstRow, LastRow1;
        Word LastCol1;
    } cases[] = {
        {{{10, 3}}, 10, 11, 4},
        {{}, 0, 0, 1},
        {{{0, 0}, {5, 200}, {2, 7}}, 0, 6, 201},
    };
    for (const Case& c : cases) {
        TCells s;
        for (auto [r, col] : c.At)
            s.AddCell(Num(r, col, 1), r);
        s.FixRows();
        ByteArray out = WriteWorkbook([&](TOle2File& f) { s.SaveToStream(f); });
        EXPECT_EQ(static_cast<Int64>(out.size()), s.TotalSize());
        auto recs = Records(out);
        ASSERT_FALSE(recs.empty());
        EXPECT_EQ(recs[0].Id, 0x0200);
        EXPECT_EQ(GetLongWord(recs[0].Data.data(), 0), c.FirstRow);
        EXPECT_EQ(GetLongWord(recs[0].Data.data(), 4), c.LastRow1);
        EXPECT_EQ(GetWord(recs[0].Data.data(), 8), 0);
        EXPECT_EQ(GetWord(recs[0].Data.data(), 10), c.LastCol1);
    }
}

TEST(CellStore, RowsAreWrittenInBlocksOf32)
{
    TCells s;
    for (int r = 0; r < 70; ++r)
        for (int c = 0; c < 3; ++c)
            s.AddCell(Num(r, c, r + c / 10.0), r); // RK-less values: no runs
    s.FixRows();
    ByteArray out = WriteWorkbook([&](TOle2File& f) { s.SaveToStream(f); });
    EXPECT_EQ(static_cast<Int64>(out.size()), s.TotalSize());
    // The sequence: DIMENSIONS, then per block its ROW records followed by its cells.
    std::vector<std::pair<Word, int>> seq; // (id, row)
    for (auto& r : Records(out))
        if (r.Id != 0x0200)
            seq.push_back({r.Id, GetWord(r.Data.data(), 0)});
    size_t p = 0;
    for (int start : {0, 32, 64}) {
        const int end = std::min(start + 31, 69);
        for (int r = start; r <= end; ++r, ++p)
            ASSERT_EQ(seq[p], std::make_pair(Word(0x0208), r));
        for (int r = start; r <= end; ++r)
            for (int c = 0; c < 3; ++c, ++p)
                ASSERT_EQ(seq[p], std::make_pair(Word(0x0203), r));
    }
    EXPECT_EQ(p, seq.size());
    // A range writes only its rows and columns, sized alike.
    const TXlsCellRange range{1, 30, 2, 40};
    ByteArray part = WriteWorkbook([&](TOle2File& f) { s.SaveRangeToStream(f, range); });
    EXPECT_EQ(static_cast<Int64>(part.size()), s.TotalRangeSize(range, false));
    EXPECT_EQ(Records(part).size(), 1u + 11 + 11 * 2);
}

TEST(CellStore, LoadSplitsRunsAndFixesMissingRows)
{
    TCells s;
    TMulBlankRecord run(xlr_MULBLANK, Bytes({4, 0, 5, 0, 20, 0, 21, 0, 22, 0, 7, 0}));
    s.AddMultipleCells(run);
    s.AddRow(std::make_unique<TRowRecord>(4));
    s.AddCell(Num(9, 2, 1), 9); // no ROW record in the file
    s.AddCell(Num(2, 0, 1), 2);
    EXPECT_THROW(s.AddRow(std::make_unique<TRowRecord>(4)), EExcelException);
    s.FixRows();
    s.ArrangeCols();
    for (auto [row, first, last1] : {std::tuple{4, 5, 8}, std::tuple{9, 2, 3}, std::tuple{2, 0, 1}}) {
        ASSERT_TRUE(s.RowList().HasRow(row)) << row;
        EXPECT_EQ(s.RowList().Items(row)->GetMinCol(), first) << row;
        EXPECT_EQ(s.RowList().Items(row)->GetMaxCol(), last1) << row;
    }
    EXPECT_EQ(static_cast<TCellRecord*>(s.CellList().Find(4, 6))->GetXF(), 21);
    TXlsCellRange used;
    s.CalcUsedRange(used);
    EXPECT_EQ(used, (TXlsCellRange{0, 2, 7, 9}));
}

TEST(CellStore, RowEdits)
{
    using M = std::map<std::pair<int, int>, double>;
    // Rows 2, 5..8, 10 and 11 hold one cell each in column 1; row 8 also in column 4.
    auto make = [](TCells& s) {
        Fill(s, {{2, 1}, {5, 1}, {6, 1}, {7, 1}, {8, 1}, {8, 4}, {10, 1}, {11, 1}});
    };
    {
        TCells s;
        make(s);
        s.DeleteRows(5, 3, SameSheet());
        EXPECT_EQ(Cells(s), (M{{{2, 1}, 201}, {{5, 1}, 801}, {{5, 4}, 804}, {{7, 1}, 1001}, {{8, 1}, 1101}}));
        EXPECT_TRUE(s.RowList().HasRow(5));
        EXPECT_FALSE(s.RowList().HasRow(11));
    }
    {
        // Row 2 copied twice to row 10: copies at 10 and 11, the old rows 10 and 11 at 12 and 13.
        TCells s;
        make(s);
        s.InsertAndCopyRows(2, 2, 10, 2, SameSheet(), false);
        M m = Cells(s);
        EXPECT_EQ(m.at({10, 1}), 201);
        EXPECT_EQ(m.at({11, 1}), 201);
        EXPECT_EQ(m.at({12, 1}), 1001);
        EXPECT_EQ(m.at({13, 1}), 1101);
        EXPECT_EQ(m.at({2, 1}), 201);
        EXPECT_EQ(m.size(), 10u);
        EXPECT_TRUE(s.RowList().HasRow(13));
    }
    {
        // Rows 10 and 11 copied once to row 2: copies at 2 and 3, the sources end at 12 and 13.
        TCells s;
        make(s);
        s.InsertAndCopyRows(10, 11, 2, 1, SameSheet(), false);
        M m = Cells(s);
        EXPECT_EQ(m.at({2, 1}), 1001);
        EXPECT_EQ(m.at({3, 1}), 1101);
        EXPECT_EQ(m.at({4, 1}), 201);
        EXPECT_EQ(m.at({10, 4}), 804);
        EXPECT_EQ(m.at({12, 1}), 1001);
        EXPECT_EQ(m.at({13, 1}), 1101);
        EXPECT_EQ(m.size(), 10u);
    }
    {
        // With only formulas asked for, a row of plain values is inserted empty.
        TCells s;
        make(s);
        s.InsertAndCopyRows(8, 8, 0, 1, SameSheet(), true);
        M m = Cells(s);
        EXPECT_EQ(m.size(), 8u);
        EXPECT_EQ(m.at({9, 4}), 804);
    }
}

TEST(CellStore, ColumnEdits)
{
    using M = std::map<std::pair<int, int>, double>;
    TCells s;
    Fill(s, {{0, 0}, {0, 1}, {0, 2}, {0, 3}, {1, 2}});
    s.DeleteCols(1, 2, SameSheet());
    EXPECT_EQ(Cells(s), (M{{{0, 0}, 0}, {{0, 1}, 3}}));
    EXPECT_EQ(s.RowList().Items(0)->GetMaxCol(), 2);
    EXPECT_EQ(s.RowList().Items(1)->GetMaxCol(), 0);

    TCells t;
    Fill(t, {{0, 0}, {0, 1}, {0, 5}, {3, 1}});
    // Column 1 copied twice to column 3: copies at 3 and 4, old column 5 at 7.
    t.InsertAndCopyCols(1, 1, 3, 2, SameSheet(), false);
    EXPECT_EQ(Cells(t), (M{{{0, 0}, 0},
                           {{0, 1}, 1},
                           {{0, 3}, 1},
                           {{0, 4}, 1},
                           {{0, 7}, 5},
                           {{3, 1}, 301},
                           {{3, 3}, 301},
                           {{3, 4}, 301}}));
    EXPECT_EQ(t.RowList().Items(0)->GetMaxCol(), 8);
    // Column 4 copied once to column 0: the copy at 0, every old column one to the right.
    t.InsertAndCopyCols(4, 4, 0, 1, SameSheet(), false);
    M m = Cells(t);
    EXPECT_EQ(m.at({0, 0}), 1);
    EXPECT_EQ(m.at({0, 1}), 0);
    EXPECT_EQ(m.at({0, 8}), 5);
    EXPECT_EQ(m.at({3, 0}), 301);
    ByteArray out = WriteWorkbook([&](TOle2File& f) { t.SaveToStream(f); });
    EXPECT_EQ(static_cast<Int64>(out.size()), t.TotalSize());
}

TEST(CellStore, CopyIsDeep)
{
    TCells s;
    Fill(s, {{1, 1}, {3, 2}});
    TCells copy;
    copy.CopyFrom(s);
    s.DeleteRows(0, 4, SameSheet());
    EXPECT_EQ(Cells(copy).size(), 2u);
    EXPECT_TRUE(copy.RowList().HasRow(3));
    EXPECT_EQ(copy.TotalSize(), 18 + 2 * (4 + 16) + 2 * (4 + 14));
}

TEST(CellStore, TheStatedUsedRangeOnlySizesTheTable)
{
    // A file's DIMENSIONS may be short, wide, reversed or beyond the sheet: the table is sized
    // from it ahead of loading, and every cell must still land in its place.
    const TDimensionsRec ranges[] = {
        {0, 1, 0, 1, 0},                             // understated: one cell
        {0, 70000, 0, 256, 0},                       // more rows than a sheet has, every column
        {5, 2, 200, 3, 0},                           // last before first
        {0, 0, 0, 0, 0},                             // empty
        {0xFFFFFFFF, 0xFFFFFFFF, 0xFFFF, 0xFFFF, 0}, // garbage
    };
    for (const TDimensionsRec& dim : ranges) {
        TCells s;
        s.CellList().ReserveFor(dim);
        Fill(s, {{0, 0}, {0, 40}, {3, 7}, {3, 2}, {3, 255}, {700, 1}, {65535, 255}});
        EXPECT_EQ(Cells(s), (std::map<std::pair<int, int>, double>{{{0, 0}, 0},
                                                                   {{0, 40}, 40},
                                                                   {{3, 2}, 302},
                                                                   {{3, 7}, 307},
                                                                   {{3, 255}, 555},
                                                                   {{700, 1}, 70001},
                                                                   {{65535, 255}, 6553755}}))
            << dim.LastRow;
        EXPECT_EQ(s.CellList().Count(), 65536);
        EXPECT_EQ(static_cast<TCellRecord*>(s.CellList().Find(3, 255))->GetValue().Number, 555);
    }
}
