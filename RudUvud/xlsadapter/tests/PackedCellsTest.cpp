// Plain value cells kept packed after loading: a packed sheet must read, write, size and edit
// exactly as the same sheet held as one record per cell.

#include "RudUvud/xlsadapter/XlsCellValues.h"
#include "RudUvud/xlsadapter/XlsTemplate.h"
#include "RudUvud/xlsadapter/XlsWorkbook.h"

#include "XlsTestSupport.h"

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <tuple>

using namespace xlstest;

namespace {

ByteArray Body(Word Row, Word Col, Word XF, std::initializer_list<int> Rest)
{
    ByteArray b(6);
    SetWord(b.data(), 0, Row);
    SetWord(b.data(), 2, Col);
    SetWord(b.data(), 4, XF);
    for (int v : Rest)
        b.push_back(static_cast<Byte>(v));
    return b;
}

ByteArray NumberBody(Word Row, Word Col, Word XF, double V)
{
    ByteArray b = Body(Row, Col, XF, {0, 0, 0, 0, 0, 0, 0, 0});
    SetDouble(b.data(), 6, V);
    return b;
}

ByteArray RKBody(Word Row, Word Col, Word XF, double V)
{
    LongWord rk = 0;
    EXPECT_TRUE(EncodeRK(V, rk));
    ByteArray b = Body(Row, Col, XF, {0, 0, 0, 0});
    SetLongWord(b.data(), 6, rk);
    return b;
}

// A sheet as loading leaves it, with its own shared strings ("alpha", "beta" with a run, "gamma").
struct TLoaded {
    TSST SST;
    TColInfoList ColInfo;
    TCells Cells{&ColInfo};
    std::unique_ptr<TCellValues> V;

    TLoaded()
    {
        SST.AddString(u"alpha");
        SST.AddString(u"beta", {{1, 5}});
        SST.AddString(u"gamma");
        for (Integer i = 0; i < SST.Count(); ++i)
            SST.DecRef(SST.GetItems(i)); // as a file's table loads: no references yet
        TCellGlobals g;
        g.SST = &SST;
        V = std::make_unique<TCellValues>(Cells, &ColInfo, g);
        // Row 0: a run of four RK numbers, a gap, a NUMBER, a run of two blanks, a label.
        Run(xlr_MULRK, 0, 0, {{15, 1}, {16, 2.5}, {17, 3}, {18, -4}});
        Plain(xlr_NUMBER, NumberBody(0, 5, 15, 0.1));
        Run(xlr_MULBLANK, 0, 6, {{20, 0}, {21, 0}});
        Plain(xlr_LABELSST, Label(0, 8, 22, 1));
        // Row 1: a boolean, an error, labels sharing one string, out of column order.
        Plain(xlr_BOOLERR, Body(1, 3, 15, {1, 0}));
        Plain(xlr_BOOLERR, Body(1, 1, 16, {7, 1}));
        Plain(xlr_LABELSST, Label(1, 0, 15, 0));
        Plain(xlr_LABELSST, Label(1, 2, 15, 0));
        // Row 2: an inline LABEL, kept as a record, then plain cells after it.
        auto label = std::make_unique<TLabelRecord>(0x0204, Body(2, 0, 15, {3, 0, 0, 'a', 'b', 'c'}));
        Cells.AddCell(std::move(label), 2);
        Plain(xlr_RK, RKBody(2, 1, 15, 7));
        Plain(xlr_RK, RKBody(2, 2, 15, 8));
        // Rows 4 and 5: single RK and BLANK cells that join into runs when written.
        for (Word c = 0; c < 3; ++c) {
            Plain(xlr_RK, RKBody(4, c, 15, c * 100));
            Plain(xlr_BLANK, Body(5, static_cast<Word>(c + 2), 23, {}));
        }
        Plain(xlr_LABELSST, Label(5, 9, 15, 2));
        for (Word r : {0, 1, 2, 4, 5})
            Cells.AddRow(std::make_unique<TRowRecord>(r));
        Cells.FixRows();
    }
    ByteArray Label(Word Row, Word Col, Word XF, LongWord Index)
    {
        ByteArray b = Body(Row, Col, XF, {0, 0, 0, 0});
        SetLongWord(b.data(), 6, Index);
        return b;
    }
    void Plain(Word Id, const ByteArray& B) { Cells.AddPlainCell(Id, B.data(), &SST); }
    void Run(Word Id, Word Row, Word First, std::vector<std::pair<Word, double>> Cells_)
    {
        ByteArray b(4);
        SetWord(b.data(), 0, Row);
        SetWord(b.data(), 2, First);
        for (auto [xf, v] : Cells_) {
            b.push_back(static_cast<Byte>(xf));
            b.push_back(static_cast<Byte>(xf >> 8));
            if (Id == xlr_MULRK) {
                ByteArray rk = RKBody(0, 0, 0, v);
                b.insert(b.end(), rk.begin() + 6, rk.end());
            }
        }
        b.push_back(static_cast<Byte>(First + Cells_.size() - 1));
        b.push_back(0);
        Cells.AddRun(Id, b.data(), static_cast<Word>(b.size()));
    }
    // Every row turned into records.
    void UnpackAll()
    {
        for (Integer r = 0; r < Cells.CellList().Count(); ++r)
            Cells.CellList().GetCells(r);
    }
    bool AnyPacked() const
    {
        for (Integer r = 0; r < Cells.CellList().Count(); ++r)
            if (TCellRecordList* row = Cells.CellList().StoredCells(r); row && row->Packed())
                return true;
        return false;
    }
    using TSeen = std::map<std::pair<int, int>, std::tuple<Integer, TXlsVariant, TRTFRunList>>;
    TSeen Values() const
    {
        TSeen seen;
        for (Integer r = 0; r < 20; ++r)
            for (Integer c = 0; c < 16; ++c) {
                TXlsCellValue v;
                TRTFRunList runs;
                V->GetValueX2(r, c, v, runs);
                // The value read alone is the same, packed or not.
                TXlsVariant alone = TXlsVariant::FromString(u"stale");
                V->GetVariant(r, c, alone);
                EXPECT_EQ(alone, v.CellValue) << r << "," << c;
                if (v.XFIndex >= 0)
                    seen[{r, c}] = {v.XFIndex, v.CellValue, runs};
            }
        return seen;
    }
    std::vector<LongWord> Refs() const
    {
        std::vector<LongWord> refs;
        for (Integer i = 0; i < SST.Count(); ++i)
            refs.push_back(SST.RefCount(SST.GetItems(i)));
        return refs;
    }
    ByteArray Saved(const TXlsCellRange* Range = nullptr)
    {
        return WriteWorkbook([&](TOle2File& f) {
            if (Range)
                Cells.SaveRangeToStream(f, *Range);
            else
                Cells.SaveToStream(f);
        });
    }
};

} // namespace

TEST(PackedCells, ReadWriteAndEditLikeRecords)
{
    const TXlsCellRange split = {1, 0, 2, 4}; // cuts the first row's RK run after its second cell
    const std::pair<const char*, std::function<void(TCells&)>> edits[] = {
        {"nothing", [](TCells&) {}},
        {"delete rows 1-2", [](TCells& c) { c.DeleteRows(1, 2, SameSheet()); }},
        {"insert rows at 1", [](TCells& c) { c.ArrangeInsertRowsAndCols(1, 3, 0, 0, SameSheet()); }},
        {"insert columns at 2", [](TCells& c) { c.ArrangeInsertRowsAndCols(0, 0, 2, 2, SameSheet()); }},
        {"other sheet's insert", [](TCells& c) { c.ArrangeInsertRowsAndCols(0, 2, 0, 2, TSheetInfo()); }},
        {"copy rows 0-1 to 4", [](TCells& c) { c.InsertAndCopyRows(0, 1, 4, 2, SameSheet(), false); }},
        {"delete column 1", [](TCells& c) { c.DeleteCols(1, 1, SameSheet()); }},
        {"copy column 2 to 0", [](TCells& c) { c.InsertAndCopyCols(2, 2, 0, 1, SameSheet(), false); }},
        {"copy of the sheet",
         [](TCells& c) {
             TCells copy;
             copy.CopyFrom(c);
             c.Clear();
             c.CopyFrom(copy);
         }},
    };
    for (const auto& [name, edit] : edits) {
        SCOPED_TRACE(name);
        TLoaded packed, records;
        ASSERT_TRUE(packed.AnyPacked());
        records.UnpackAll();
        ASSERT_FALSE(records.AnyPacked());
        edit(packed.Cells);
        edit(records.Cells);
        EXPECT_EQ(packed.Values(), records.Values());
        EXPECT_EQ(packed.Refs(), records.Refs());
        const ByteArray out = packed.Saved();
        EXPECT_EQ(out, records.Saved());
        EXPECT_EQ(static_cast<Int64>(out.size()), packed.Cells.TotalSize());
        EXPECT_EQ(packed.Cells.TotalSize(), records.Cells.TotalSize());
        const ByteArray part = packed.Saved(&split);
        EXPECT_EQ(part, records.Saved(&split));
        EXPECT_EQ(static_cast<Int64>(part.size()), packed.Cells.TotalRangeSize(split, false));
        // Whatever stayed packed still turns into the same records.
        packed.UnpackAll();
        EXPECT_EQ(packed.Saved(), out);
        EXPECT_EQ(packed.Refs(), records.Refs());
    }
    // The sample's references: "alpha" twice, "beta" once, "gamma" once; none once the cells go.
    TLoaded once;
    EXPECT_EQ(once.Refs(), (std::vector<LongWord>{2, 1, 1}));
    once.Cells.Clear();
    EXPECT_EQ(once.Refs(), (std::vector<LongWord>{0, 0, 0}));
}

TEST(PackedCells, EditingOneCellKeepsEveryOtherValueAndFormat)
{
    TLoaded s;
    const TLoaded::TSeen before = s.Values();
    const std::vector<LongWord> refs = s.Refs();
    TXlsCellValue v;
    v.CellValue = TXlsVariant::FromString(u"alpha");
    s.V->SetValueX2(0, 2, v, {}, false); // an RK in the middle of a run becomes a label
    s.V->SetFormat(1, 0, 30);            // a packed label takes another format
    s.V->SetFormula(4, 1, u"=1+2");      // an RK becomes a formula
    TLoaded::TSeen after = s.Values();
    EXPECT_EQ(after.at({0, 2}),
              std::make_tuple(Integer{17}, TXlsVariant::FromString(u"alpha"), TRTFRunList{}));
    EXPECT_EQ(std::get<0>(after.at({1, 0})), 30);
    EXPECT_EQ(std::get<1>(after.at({1, 0})), TXlsVariant::FromString(u"alpha"));
    EXPECT_EQ(s.V->GetFormula(4, 1), u"=1+2");
    for (auto at : {std::pair{0, 2}, std::pair{1, 0}, std::pair{4, 1}}) {
        after.erase(at);
        ASSERT_EQ(before.count(at), 1u);
    }
    for (const auto& [at, seen] : after)
        EXPECT_EQ(seen, before.at(at)) << at.first << "," << at.second;
    EXPECT_EQ(after.size(), before.size() - 3);
    EXPECT_EQ(s.Refs(), (std::vector<LongWord>{refs[0] + 1, refs[1], refs[2]}));
    // The edited rows are records now, and write what they hold.
    EXPECT_FALSE(s.Cells.CellList().StoredCells(0)->Packed());
    EXPECT_EQ(static_cast<Int64>(s.Saved().size()), s.Cells.TotalSize());
}

TEST(PackedCells, TheFileInterfaceEnumeratesPackedRows)
{
    TLoaded s;
    TCellRecordList* row = s.Cells.CellList().StoredCells(1);
    ASSERT_TRUE(row->Packed());
    EXPECT_EQ(row->CellCount(), 4);
    std::vector<Integer> cols;
    for (Integer i = 0; i < row->CellCount(); ++i)
        cols.push_back(row->ColumnAt(i));
    EXPECT_EQ(cols, (std::vector<Integer>{0, 1, 2, 3}));
    Integer index = -1;
    EXPECT_TRUE(row->FindColumn(2, index));
    EXPECT_EQ(index, 2);
    EXPECT_FALSE(row->FindColumn(7, index));
    EXPECT_EQ(index, 4);
    EXPECT_TRUE(row->Packed());
}

TEST(PackedCells, ColumnsAreFoundInRowsWithGapsAndRepeats)
{
    // Columns 0, 2, 2, 3: the cell at index c is not always column c, and of two cells of one
    // column the first is the one read.
    TLoaded s;
    for (auto [col, v] : {std::pair<Word, double>{0, 1}, {2, 2}, {2, 3}, {3, 4}})
        s.Plain(xlr_RK, RKBody(9, col, 15, v));
    ASSERT_TRUE(s.Cells.CellList().StoredCells(9)->Packed());
    const std::pair<Integer, TXlsVariant> expected[] = {{0, TXlsVariant::FromNumber(1)},
                                                        {1, TXlsVariant()},
                                                        {2, TXlsVariant::FromNumber(2)},
                                                        {3, TXlsVariant::FromNumber(4)},
                                                        {4, TXlsVariant()}};
    for (const auto& [col, value] : expected) {
        TXlsVariant v;
        s.V->GetVariant(9, col, v);
        EXPECT_EQ(v, value) << col;
    }
}

namespace {

// The empty workbook with Cells placed after its sheet's DIMENSIONS and one shared string, "s".
ByteArray BookWith(const std::vector<TRec>& Cells)
{
    std::vector<TRec> recs = Split(ReadStream(EmptyWorkbookTemplate(), u"Workbook"));
    ByteArray out;
    bool sheet = false;
    for (TRec& r : recs) {
        if (r.Id == 0x00FC)
            r.Data = Bytes({1, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 's'});
        PutRecord(out, r.Id, r.Data);
        if (r.Id == 0x0809)
            sheet = &r != &recs.front();
        if (sheet && r.Id == 0x0200)
            for (const TRec& c : Cells)
                PutRecord(out, c.Id, c.Data);
    }
    return out;
}

std::string LoadError(const ByteArray& Stream)
{
    try {
        TWorkbook book;
        BiffStream s(Stream);
        book.LoadFromStream(*s.File);
    } catch (const EExcelException& e) {
        return e.what();
    }
    return "(no error)";
}

} // namespace

TEST(PackedCells, TheSheetLoaderKeepsWhatDoesNotPack)
{
    // A cell followed by a CONTINUE stays a record and is written back with it; a cell of
    // another size stays a record with its bytes.
    const ByteArray stream = BookWith({
        {xlr_RK, RKBody(0, 0, 15, 5)},
        {xlr_CONTINUE, Bytes({1, 2, 3})},
        {xlr_NUMBER,
         [] {
             ByteArray b = NumberBody(0, 1, 15, 2.5);
             b.push_back(9);
             return b;
         }()},
        {xlr_LABELSST, Body(0, 2, 15, {0, 0, 0, 0})},
        {xlr_MULRK,
         [] {
             ByteArray b = Body(1, 0, 15, {});
             ByteArray rk = RKBody(0, 0, 0, 3);
             b.insert(b.end(), rk.begin() + 6, rk.end());
             b.insert(b.end(), {16, 0});
             b.insert(b.end(), rk.begin() + 6, rk.end());
             b.insert(b.end(), {1, 0});
             return b;
         }()},
    });
    TWorkbook book;
    {
        BiffStream s(stream);
        book.LoadFromStream(*s.File);
    }
    TWorkSheet& sheet = book.GetWorkSheets(0);
    TCellGlobals g;
    g.SST = &book.Globals().SST();
    TCellValues values(sheet.Cells(), &sheet.ColInfoList(), g);
    EXPECT_EQ(values.GetValue(0, 0).CellValue, TXlsVariant::FromNumber(5));
    EXPECT_EQ(values.GetValue(0, 1).CellValue, TXlsVariant::FromNumber(2.5));
    EXPECT_EQ(values.GetValue(0, 2).CellValue, TXlsVariant::FromString(u"s"));
    EXPECT_EQ(values.GetValue(1, 1).XFIndex, 16);
    EXPECT_EQ(values.GetValue(1, 1).CellValue, TXlsVariant::FromNumber(3));
    EXPECT_TRUE(sheet.Cells().CellList().StoredCells(1)->Packed());
    const ByteArray saved = WriteWorkbook([&](TOle2File& f) { book.SaveToStream(f, true); });
    std::vector<TRec> recs = Split(saved);
    size_t rk = 0;
    while (rk < recs.size() && recs[rk].Id != xlr_RK)
        ++rk;
    ASSERT_LT(rk + 2, recs.size());
    EXPECT_EQ(recs[rk + 1].Id, xlr_CONTINUE);
    EXPECT_EQ(recs[rk + 1].Data, Bytes({1, 2, 3}));
    EXPECT_EQ(recs[rk + 2].Id, xlr_NUMBER);
    EXPECT_EQ(recs[rk + 2].Data.size(), 15u);

    // Damaged cells are refused as the records themselves refuse them.
    EXPECT_EQ(LoadError(BookWith({{xlr_LABELSST, Body(0, 0, 15, {1, 0, 0, 0})}})),
              "Error reading Excel records. File invalid");
    EXPECT_EQ(LoadError(BookWith({{xlr_MULRK, Bytes({0, 0, 0, 0, 0})}})), "Record with ID 0xbd is invalid");
    EXPECT_EQ(LoadError(BookWith({{xlr_RK, RKBody(0, 0, 15, 1)}, {0x0207, Bytes({0, 0, 0})}})),
              "Error reading Excel records. File invalid");
}
