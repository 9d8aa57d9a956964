#include "RudUvud/xlsadapter/BaseRecordLists.h"
#include "RudUvud/xlsadapter/XlsCellRecords.h"

#include "XlsTestSupport.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace xlstest;

TEST(CellRecords, RKEncodingTable)
{
    struct Case {
        double Value;
        bool Has;
        LongWord RK;
    } cases[] = {
        {0, true, 0},
        {1.0, true, 0x3FF00000},
        {0.5, true, 0x3FE00000},
        {123456789, true, 493827158},
        {536870911, true, 2147483646},
        {536870912, true, 0x41C00000}, // outside the integer range, but its double fits the float form
        {-536870912, true, 0xC1C00000},
        {-3, true, 0xC0080000},
        {-1.0e6 - 1, true, static_cast<LongWord>(-1000001 * 4 + 2)},
        {1.23, true, 0x405EC001},
        {12345.67, true, 4938271},
        {536870913, false, 0},
        {0.07, false, 0},
        {3.14159, false, 0},
        {1e300, false, 0},
    };
    for (const Case& c : cases) {
        LongWord rk = 0;
        EXPECT_EQ(EncodeRK(c.Value, rk), c.Has) << c.Value;
        EXPECT_EQ(IsRK(c.Value), c.Has) << c.Value;
        if (!c.Has)
            continue;
        EXPECT_EQ(rk, c.RK) << c.Value;
        // Decoding gives the number back (the divided forms up to the division by 100).
        EXPECT_DOUBLE_EQ(DecodeRK(rk), c.Value) << c.Value;
    }
    EXPECT_EQ(DecodeRK(0x405EC001), 123.0 / 100);
}

TEST(CellRecords, ValuesReadAndSet)
{
    TNumberRecord n(3, 4, 15);
    EXPECT_EQ(n.DataSize(), 14);
    n.SetValue(TXlsVariant::FromNumber(0.07));
    EXPECT_EQ(n.GetValue(), TXlsVariant::FromNumber(0.07));
    n.SetValue(TXlsVariant::FromString(u"2.5"));
    EXPECT_EQ(n.GetValue(), TXlsVariant::FromNumber(2.5));
    EXPECT_ANY_THROW(n.SetValue(TXlsVariant::FromString(u"abc")));

    TRKRecord rk(1, 2, 16);
    EXPECT_EQ(rk.GetValue(), TXlsVariant::FromNumber(0));
    rk.SetValue(TXlsVariant::FromNumber(12345.67));
    EXPECT_EQ(rk.GetRK(), 4938271u);
    // A number without an RK form is refused and the cell keeps its value.
    try {
        rk.SetValue(TXlsVariant::FromNumber(3.5e-7));
        ADD_FAILURE();
    } catch (const EExcelException& e) {
        EXPECT_NE(std::string(e.what()).find("Invalid cell value"), std::string::npos);
    }
    EXPECT_EQ(rk.GetRK(), 4938271u);
    EXPECT_EQ(rk.GetXF(), 16);

    TBlankRecord b(0, 0, 17);
    EXPECT_TRUE(b.GetValue().IsEmpty());
    b.SetValue(TXlsVariant::FromNumber(5));
    EXPECT_TRUE(b.GetValue().IsEmpty());
}

TEST(CellRecords, BoolErrTable)
{
    TBoolErrRecord r(0, 0, 15);
    EXPECT_EQ(r.GetValue(), TXlsVariant::FromBoolean(false));
    r.SetValue(TXlsVariant::FromBoolean(true));
    EXPECT_EQ(r.GetValue(), TXlsVariant::FromBoolean(true));
    // A non-zero value byte of a boolean reads as true.
    r.Data()[6] = 7;
    EXPECT_EQ(r.GetValue(), TXlsVariant::FromBoolean(true));

    struct Case {
        int Code;
        const char16_t* Text;
    } cases[] = {{0, u"#NULL!"},  {7, u"#DIV/0!"}, {15, u"#VALUE!"}, {23, u"#REF!"},
                 {29, u"#NAME?"}, {36, u"#NUM!"},  {42, u"#N/A"}};
    for (const Case& c : cases) {
        r.SetValue(TXlsVariant::FromString(c.Text));
        EXPECT_EQ(r.Data()[6], c.Code);
        EXPECT_TRUE(r.IsError());
        EXPECT_EQ(r.GetValue(), TXlsVariant::FromString(c.Text));
    }
    // Unknown codes in a file read as #NULL!.
    r.Data()[6] = 99;
    EXPECT_EQ(r.GetValue(), TXlsVariant::FromString(u"#NULL!"));

    // Refused values leave the record as it was.
    r.SetValue(TXlsVariant::FromBoolean(true));
    const ByteArray before(r.Data().get(), r.Data() + r.DataSize());
    for (const TXlsVariant& bad :
         {TXlsVariant::FromString(u"#n/a"), TXlsVariant(), TXlsVariant::FromNumber(1)})
        EXPECT_THROW(r.SetValue(bad), EExcelException);
    EXPECT_EQ(ByteArray(r.Data().get(), r.Data() + r.DataSize()), before);
    try {
        r.SetValue(TXlsVariant::FromString(u"#n/a"));
    } catch (const EExcelException& e) {
        EXPECT_STREQ(e.what(), "Invalid cell error code: \"#n/a\"");
    }
}

namespace {
// Loads the records of a stream, splitting run records into cells as the cell store does.
std::vector<std::unique_ptr<TCellRecord>> LoadCells(const ByteArray& Records)
{
    BiffStream s(Records);
    std::vector<std::unique_ptr<TCellRecord>> cells;
    for (auto& r : s.LoadAll()) {
        if (auto* mul = dynamic_cast<TMultipleValueRecord*>(r.get())) {
            while (!mul->Eof())
                cells.push_back(mul->ExtractOneRecord());
        } else if (auto* c = dynamic_cast<TCellRecord*>(r.get())) {
            r.release();
            cells.emplace_back(c);
        }
    }
    return cells;
}
} // namespace

TEST(CellRecords, RunsSplitOnLoad)
{
    ByteArray recs;
    // MULBLANK row 2, columns 5..9 with XF 20..24; MULRK row 3, columns 1..2.
    PutRecord(recs, xlr_MULBLANK, Bytes({2, 0, 5, 0, 20, 0, 21, 0, 22, 0, 23, 0, 24, 0, 9, 0}));
    PutRecord(recs, xlr_MULRK, Bytes({3, 0, 1, 0, 15, 0, 0, 0, 0xF0, 0x3F, 16, 0, 0x02, 0x01, 0, 0, 2, 0}));
    auto cells = LoadCells(recs);
    ASSERT_EQ(cells.size(), 7u);
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(cells[i]->Id(), xlr_BLANK);
        EXPECT_EQ(cells[i]->GetRow(), 2);
        EXPECT_EQ(cells[i]->GetColumn(), 5 + i);
        EXPECT_EQ(cells[i]->GetXF(), 20 + i);
    }
    EXPECT_EQ(cells[5]->GetColumn(), 1);
    EXPECT_EQ(cells[5]->GetValue(), TXlsVariant::FromNumber(1.0));
    EXPECT_EQ(cells[6]->GetColumn(), 2);
    EXPECT_EQ(cells[6]->GetXF(), 16);
    EXPECT_EQ(cells[6]->GetValue(), TXlsVariant::FromNumber(64)); // 0x102 >> 2
    // Run records too short to hold their row and columns are refused.
    ByteArray bad;
    PutRecord(bad, xlr_MULRK, Bytes({3, 0, 1, 0}));
    EXPECT_THROW(LoadCells(bad), EExcelException);
}

TEST(CellRecords, RunsJoinOnSave)
{
    struct Case {
        const char* Name;
        std::vector<std::pair<Word, Word>> Cells;   // (id, column)
        std::vector<std::pair<Word, Word>> Written; // (id, data size)
    } cases[] = {
        {"three RK", {{xlr_RK, 2}, {xlr_RK, 3}, {xlr_RK, 4}}, {{xlr_MULRK, 24}}},
        {"RK gap", {{xlr_RK, 2}, {xlr_RK, 4}}, {{xlr_RK, 10}, {xlr_RK, 10}}},
        {"blank then RK", {{xlr_BLANK, 0}, {xlr_RK, 1}, {xlr_RK, 2}}, {{xlr_BLANK, 6}, {xlr_MULRK, 18}}},
        {"blanks",
         {{xlr_BLANK, 0}, {xlr_BLANK, 1}, {xlr_BLANK, 2}, {xlr_NUMBER, 3}},
         {{xlr_MULBLANK, 12}, {xlr_NUMBER, 14}}},
        {"mixed", {{xlr_RK, 0}, {xlr_BLANK, 1}, {xlr_RK, 2}}, {{xlr_RK, 10}, {xlr_BLANK, 6}, {xlr_RK, 10}}},
    };
    for (const Case& c : cases) {
        TCellRecordList row;
        Word xf = 30;
        for (auto [id, col] : c.Cells) {
            std::unique_ptr<TCellRecord> cell;
            if (id == xlr_RK) {
                cell = std::make_unique<TRKRecord>(7, col, xf);
                cell->SetValue(TXlsVariant::FromNumber(col * 10));
            } else if (id == xlr_BLANK)
                cell = std::make_unique<TBlankRecord>(7, col, xf);
            else
                cell = std::make_unique<TNumberRecord>(7, col, xf);
            ++xf;
            row.Add(std::move(cell));
        }
        ByteArray out = WriteWorkbook([&](TOle2File& f) { row.SaveToStream(f); });
        EXPECT_EQ(static_cast<Int64>(out.size()), row.GetTotalSize()) << c.Name;
        std::vector<std::pair<Word, Word>> written;
        for (size_t p = 0; p + 4 <= out.size(); p += 4 + GetWord(out.data(), (Integer)p + 2))
            written.push_back({GetWord(out.data(), (Integer)p), GetWord(out.data(), (Integer)p + 2)});
        EXPECT_EQ(written, c.Written) << c.Name;
        // What is written splits back into the same cells with the same formats and values.
        auto back = LoadCells(out);
        ASSERT_EQ(back.size(), c.Cells.size()) << c.Name;
        for (size_t i = 0; i < back.size(); ++i) {
            EXPECT_EQ(back[i]->GetColumn(), row.Items((Integer)i)->GetColumn()) << c.Name;
            EXPECT_EQ(back[i]->GetXF(), row.Items((Integer)i)->GetXF()) << c.Name;
            EXPECT_EQ(back[i]->GetValue(), row.Items((Integer)i)->GetValue()) << c.Name;
        }
    }
    // The last column of a three-cell MULRK.
    TCellRecordList row;
    for (Word col : {2, 3, 4})
        row.Add(std::make_unique<TRKRecord>(0, col, 15));
    ByteArray out = WriteWorkbook([&](TOle2File& f) { row.SaveToStream(f); });
    EXPECT_EQ(GetWord(out.data(), 4 + 22), 4);
}
