#include "RudUvud/xlsadapter/XlsSST.h"

#include "RudUvud/xlsadapter/OtherRecords.h"
#include "RudUvud/xlsadapter/SettingRecords.h"
#include "XlsTestSupport.h"
#include "platform/testing/Commands.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>

using namespace xlstest;

namespace {

// Texts that exercise the record splits: lengths around the 8,224-byte record limit, Latin-1,
// CJK, mixed scripts with Latin stretches, surrogate pairs, empty text.
std::vector<WideString> SampleTexts()
{
    std::vector<WideString> v;
    v.push_back(u"");
    v.push_back(u"Prize");
    v.push_back(u"caf\u00e9 \u00fcber");
    v.push_back(u"\u96fb\u8996\u6a5f");
    v.push_back(u"emoji \U0001F600 pair");
    for (int n : {8214, 8215, 8216, 8220, 8221, 8223, 8224, 8225, 16449, 20000}) {
        v.push_back(WideString(n, u'x'));
        v.push_back(WideString(n / 2, u'\u4e2d') + WideString(1, u'a'));
    }
    // Long Latin stretches inside a 16-bit string: written in 8-bit chunks where they fall.
    v.push_back(WideString(5000, u'L') + u"\u4e2d" + WideString(9000, u'M') + u"\u6587" +
                WideString(30, u'N'));
    std::mt19937 rng(42);
    for (int i = 0; i < 200; ++i) {
        WideString s;
        int len = static_cast<int>(rng() % 900);
        for (int k = 0; k < len; ++k) {
            unsigned pick = rng() % 10;
            s += pick < 6 ? static_cast<WideChar>('a' + rng() % 26)
                          : (pick < 8 ? static_cast<WideChar>(0xC0 + rng() % 60)
                                      : static_cast<WideChar>(0x4E00 + rng() % 500));
        }
        v.push_back(s);
    }
    return v;
}

struct Cells {
    TSST Sst;
    std::vector<std::unique_ptr<TLabelSSTRecord>> List;
    TLabelSSTRecord& Add(const WideString& S, const TRTFRunList& Runs = {})
    {
        List.push_back(std::make_unique<TLabelSSTRecord>(static_cast<Word>(List.size()), 0, 15, &Sst));
        List.back()->SetAsRichString({S, Runs});
        return *List.back();
    }
};

// Writes the table through the compound document and reads it back into a second table.
struct SavedTable {
    ByteArray Stream;
    Int64 SstSize = 0;
    std::unique_ptr<TSST> Loaded;
};

SavedTable SaveAndLoad(TSST& Sst)
{
    SavedTable r;
    r.Stream = WriteWorkbook([&](TOle2File& f) { Sst.SaveToStream(f); });
    r.SstSize = Sst.SSTRecordSize();
    BiffStream s(r.Stream);
    TRecordHeader h;
    ReadRecordHeader(*s.File, h);
    auto rec = LoadRecords(*s.File, h);
    r.Loaded = std::make_unique<TSST>();
    r.Loaded->Load(dynamic_cast<TSSTRecord&>(*rec));
    return r;
}

// The records of a stream as (id, size, offset of the data).
struct Rec {
    Word Id;
    Word Size;
    size_t Data;
};
std::vector<Rec> RecordPlaces(const ByteArray& S)
{
    std::vector<Rec> v;
    for (size_t p = 0; p + 4 <= S.size();) {
        Rec r{GetWord(S.data(), (Integer)p), GetWord(S.data(), (Integer)p + 2), p + 4};
        v.push_back(r);
        p += 4 + r.Size;
    }
    return v;
}

} // namespace

TEST(SST, EmptyTableWritesAHeaderOnlyRecordAndAnEmptyIndex)
{
    TSST sst;
    ByteArray s = WriteWorkbook([&](TOle2File& f) { sst.SaveToStream(f); });
    EXPECT_EQ(s, Bytes({0xFC, 0, 8, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0xFF, 0, 2, 0, 8, 0}));
    EXPECT_EQ(sst.TotalSize(), static_cast<Int64>(s.size()));
}

TEST(SST, IndexBucketsGrowWithTheTable)
{
    const struct {
        int Strings;
        Word Bucket;
        Int64 Size;
    } cases[] = {{1, 8, 14}, {1000, 8, 6 + 8 * 125}, {2000, 16, 6 + 8 * 125}, {2001, 16, 6 + 8 * 126}};
    for (const auto& c : cases) {
        Cells cells;
        for (int i = 0; i < c.Strings; ++i)
            cells.Add(u"s" + StringToWideStringNoCodePage(std::to_string(i)));
        EXPECT_EQ(cells.Sst.ExtSSTRecordSize(), c.Size) << c.Strings;
        ByteArray s = WriteWorkbook([&](TOle2File& f) { cells.Sst.SaveToStream(f); });
        auto recs = RecordPlaces(s);
        ASSERT_EQ(recs.back().Id, 0x00FF);
        EXPECT_EQ(GetWord(s.data(), (Integer)recs.back().Data), c.Bucket);
        // Every bucket points at its string's count field, in the stream and in its record.
        for (size_t b = 0; b * 8 + 2 < recs.back().Size; ++b) {
            size_t at = recs.back().Data + 2 + 8 * b;
            LongWord pos = GetLongWord(s.data(), (Integer)at);
            Word count = GetWord(s.data(), (Integer)pos);
            EXPECT_EQ(count, cells.Sst.EntryText(cells.Sst.GetItems((Integer)(b * c.Bucket))).size());
        }
    }
}

TEST(SST, CellsShareEntriesAndCountTheirReferences)
{
    Cells cells;
    TLabelSSTRecord& a = cells.Add(u"Yes");
    TLabelSSTRecord& b = cells.Add(u"Yes");
    EXPECT_EQ(cells.Sst.Count(), 1);
    EXPECT_EQ(a.Pointer(), b.Pointer());
    EXPECT_EQ(cells.Sst.RefCount(a.Pointer()), 2u);
    b.SetAsString(u"No");
    EXPECT_EQ(cells.Sst.RefCount(a.Pointer()), 1u);
    EXPECT_EQ(cells.Sst.RefCount(b.Pointer()), 1u);
    b.SetAsString(u"No"); // the same text again changes no count
    EXPECT_EQ(cells.Sst.RefCount(b.Pointer()), 1u);
    // Texts that differ only in their runs are two entries.
    TLabelSSTRecord& c = cells.Add(u"Yes", {{0, 1}});
    EXPECT_NE(c.Pointer(), a.Pointer());
    EXPECT_EQ(c.GetAsRichString().Runs, (TRTFRunList{{0, 1}}));
    // A copy holds a reference too.
    auto copy = a.CopyTo();
    EXPECT_EQ(cells.Sst.RefCount(a.Pointer()), 2u);
    copy.reset();
    cells.List.clear();
    EXPECT_EQ(cells.Sst.Count(), 3); // unreferenced entries stay until FixRefs...
    cells.Sst.FixRefs();
    EXPECT_EQ(cells.Sst.Count(), 0); // ...and are not written
    // A cell never attached to a table changes nothing when destroyed.
    {
        TLabelSSTRecord loose(0x00FD, ByteArray(10, 0));
    }
}

TEST(SST, MoreThan65535ReferencesToOneTextDoNotWrap)
{
    Cells cells;
    for (int i = 0; i < 70000; ++i)
        cells.Add(u"Department");
    cells.Add(u"Other");
    Int64 ref = cells.List[0]->Pointer();
    EXPECT_EQ(cells.Sst.RefCount(ref), 70000u);
    cells.Sst.FixRefs();
    ASSERT_EQ(cells.Sst.Count(), 2);
    ByteArray s = WriteWorkbook([&](TOle2File& f) { cells.Sst.SaveToStream(f); });
    EXPECT_EQ(GetLongWord(s.data(), 4), 70001u); // total references
    EXPECT_EQ(cells.List[0]->GetAsString(), u"Department");
}

TEST(SST, StoresEightBitTextAsBytesAndOtherwiseSixteenBit)
{
    Cells cells;
    cells.Add(u"caf\u00e9");
    cells.Add(u"caf\u0100");
    const Byte* e8 = cells.Sst.GetEntry(cells.List[0]->Pointer()) + TSST::EntryHeaderSize;
    const Byte* e16 = cells.Sst.GetEntry(cells.List[1]->Pointer()) + TSST::EntryHeaderSize;
    EXPECT_EQ(e8[2], 0);
    EXPECT_EQ(e8[6], 0xE9);
    EXPECT_EQ(e16[2], 1);
    EXPECT_EQ(GetWord(e16, 9), 0x0100);
    EXPECT_THROW(TExcelString(1, WideString(300, u'a')), EExcelException);
    EXPECT_EQ(TExcelString(2, WideString(300, u'a')).TotalSize(), 303);
    EXPECT_THROW(cells.Sst.AddString(WideString(70000, u'a')), EExcelException);
}

// The strongest property: any set of texts and runs survives a write and a read, the computed
// size equals the bytes written, and every record obeys the split rules.
TEST(SST, TextsAndRunsSurviveWriteAndReadAcrossContinueRecords)
{
    Cells cells;
    std::vector<WideString> texts = SampleTexts();
    for (size_t i = 0; i < texts.size(); ++i) {
        TRTFRunList runs;
        if (i % 3 == 0 && texts[i].size() > 4)
            for (Word k = 0; k < 1 + i % 2500; k += 2)
                runs.push_back({static_cast<Word>(k % texts[i].size()), static_cast<Word>(k % 5)});
        cells.Add(texts[i], runs);
    }
    cells.Sst.FixRefs();
    SavedTable saved = SaveAndLoad(cells.Sst);
    auto recs = RecordPlaces(saved.Stream);
    EXPECT_EQ(saved.SstSize + cells.Sst.ExtSSTRecordSize(), static_cast<Int64>(saved.Stream.size()));
    EXPECT_EQ(saved.SstSize, cells.Sst.SSTRecordSize());
    ASSERT_GT(recs.size(), 10u);
    for (const Rec& r : recs)
        EXPECT_LE(r.Size, 8224);
    // Every entry's recorded position points at its count field.
    for (Integer i = 0; i < cells.Sst.Count(); ++i) {
        Int64 ref = cells.Sst.GetItems(i);
        LongWord pos = cells.Sst.EntryStreamPosition(ref);
        EXPECT_EQ(GetWord(saved.Stream.data(), (Integer)pos), cells.Sst.EntryText(ref).size());
    }
    // Read back in file order: entry i of the loaded table is list item i of the written one.
    ASSERT_EQ(saved.Loaded->Count(), cells.Sst.Count());
    bool sawLatinChunkOfWideString = false;
    for (Integer i = 0; i < cells.Sst.Count(); ++i) {
        Int64 a = cells.Sst.GetItems(i), b = saved.Loaded->GetItems(i);
        EXPECT_EQ(saved.Loaded->EntryText(b), cells.Sst.EntryText(a)) << i;
        EXPECT_EQ(saved.Loaded->EntryRuns(b), cells.Sst.EntryRuns(a)) << i;
    }
    for (size_t k = 1; k < recs.size(); ++k)
        if (recs[k].Id == 0x003C && saved.Stream[recs[k].Data] == 0 && recs[k - 1].Id == 0x003C)
            sawLatinChunkOfWideString = true;
    EXPECT_TRUE(sawLatinChunkOfWideString);
    // Both tables sort into the same entry order.
    cells.Sst.Sort();
    saved.Loaded->Sort();
    for (Integer i = 0; i < cells.Sst.Count(); ++i)
        EXPECT_EQ(saved.Loaded->EntryText(saved.Loaded->GetItems(i)),
                  cells.Sst.EntryText(cells.Sst.GetItems(i)));
}

TEST(SST, StringHeadersAreNeverSplit)
{
    // Fill the first record to a few bytes short of its end, then add a string with runs: its
    // header must start a fresh CONTINUE, with no option byte before it.
    Cells cells;
    cells.Add(WideString(8224 - 8 - 3 - 20, u'a')); // leaves 20 bytes in the SST record
    cells.Add(WideString(8300, u'b'), {{0, 1}});    // larger, so it sorts after the first
    cells.Sst.FixRefs();
    SavedTable saved = SaveAndLoad(cells.Sst);
    auto recs = RecordPlaces(saved.Stream);
    ASSERT_GE(recs.size(), 3u);
    EXPECT_EQ(recs[0].Size, 8224 - 20);
    EXPECT_EQ(recs[1].Id, 0x003C);
    EXPECT_EQ(GetWord(saved.Stream.data(), (Integer)recs[1].Data), 8300); // count field first
    EXPECT_EQ(saved.Loaded->EntryText(saved.Loaded->GetItems(1)), WideString(8300, u'b'));
    EXPECT_EQ(saved.Loaded->EntryRuns(saved.Loaded->GetItems(1)), (TRTFRunList{{0, 1}}));
}

// Far-east (phonetic) blocks and runs are kept through load and save, also when a CONTINUE
// record cuts them.
TEST(SST, PhoneticAndRichBlocksSurviveContinueSplits)
{
    // SST: 2 strings. String 1: 3 characters, runs and far-east data; split inside the runs.
    ByteArray sst = Bytes({2, 0, 0, 0, 2, 0, 0, 0});
    ByteArray s1 = Bytes({3, 0, 0x0C, 2, 0, 6, 0, 0, 0, 'a', 'b', 'c', 0, 0, 1, 0, 2, 0, 2, 0});
    ByteArray fe = Bytes({0xAA, 0xBB, 0xCC, 0xDD, 0xEE, 0xFF});
    ByteArray part1 = sst;
    part1.insert(part1.end(), s1.begin(), s1.begin() + 15);
    ByteArray part2(s1.begin() + 15, s1.end());
    part2.insert(part2.end(), fe.begin(), fe.end());
    // String 2: 16-bit text that starts in the CONTINUE.
    ByteArray s2 = Bytes({2, 0, 1, 0x2D, 0x4E, 0x87, 0x65});
    part2.insert(part2.end(), s2.begin(), s2.end());
    ByteArray in;
    PutRecord(in, 0x00FC, part1);
    PutRecord(in, 0x003C, part2);
    BiffStream s(in);
    auto recs = s.LoadAll();
    TSST table;
    table.Load(dynamic_cast<TSSTRecord&>(*recs[0]));
    ASSERT_EQ(table.Count(), 2);
    EXPECT_EQ(table.EntryText(table.GetItems(0)), u"abc");
    EXPECT_EQ(table.EntryRuns(table.GetItems(0)), (TRTFRunList{{0, 1}, {2, 2}}));
    EXPECT_EQ(table.EntryText(table.GetItems(1)), u"\u4e2d\u6587");
    const Byte* e = table.GetEntry(table.GetItems(0)) + TSST::EntryHeaderSize;
    EXPECT_EQ(ByteArray(e + 20, e + 26), fe);
    // References so that the table writes them, then a second round.
    table.IncRef(table.GetItems(0));
    table.IncRef(table.GetItems(1));
    SavedTable saved = SaveAndLoad(table);
    const Byte* e2 = saved.Loaded->GetEntry(saved.Loaded->GetItems(0)) + TSST::EntryHeaderSize;
    EXPECT_EQ(ByteArray(e2, e2 + 26), ByteArray(e, e + 26));
}

TEST(SST, LabelIndexesBeyondTheTableAreRefused)
{
    TSST table;
    table.AddString(u"only");
    ByteArray d(10, 0);
    SetLongWord(d.data(), 6, 1);
    TLabelSSTRecord cell(0x00FD, d);
    try {
        cell.AttachToSST(&table);
        FAIL();
    } catch (const EExcelException& e) {
        EXPECT_STREQ(e.what(), "Error reading Excel records. File invalid");
    }
    SetLongWord(cell.Data(), 6, 0);
    cell.AttachToSST(&table);
    EXPECT_EQ(cell.GetValue(), TXlsVariant::FromString(u"only"));
}

// Reading the shared strings of files other programs wrote.
TEST(SST, ReadsTheTablesOfOtherWriters)
{
    ByteArray doc = Fixture("xlwt-continue.xls");
    TOle2MemoryStream ms(doc);
    TOle2File f(&ms);
    f.SelectStream(u"Workbook");
    TRecordHeader h;
    ReadRecordHeader(f, h);
    std::unique_ptr<TBaseRecord> sstRec;
    while (!sstRec) {
        auto r = LoadRecords(f, h);
        if (r->Id() == 0x00FC)
            sstRec = std::move(r);
    }
    TSST table;
    table.Load(dynamic_cast<TSSTRecord&>(*sstRec));
    std::vector<WideString> texts;
    for (Integer i = 0; i < table.Count(); ++i)
        texts.push_back(table.EntryText(table.GetItems(i)));
    WideString latin0;
    for (int i = 0; i < 300; ++i)
        latin0 += u"Latin text 0 ";
    WideString cjk0;
    for (int i = 0; i < 1500; ++i)
        cjk0 += u"\u4e2d\u6587"
                u"0";
    WideString mixed = WideString(3000, u'A') + u"\u00e9\u4e2d" + WideString(5000, u'B');
    for (const WideString& want : {latin0, cjk0, mixed})
        EXPECT_NE(std::find(texts.begin(), texts.end(), want), texts.end());
}

namespace {

// Writes a workbook to Path: the globals of a small xlwt workbook with Table in place of its own
// shared strings, and one sheet holding the given cells in column A.
void WriteBookWithCells(const std::string& Path, TSST& Table,
                        std::vector<std::unique_ptr<TLabelSSTRecord>>& List)
{
    ByteArray doc = Fixture("xlwt-small.xls");
    TOle2MemoryStream ms(doc);
    TOle2File src(&ms);
    src.SelectStream(u"Workbook");
    std::vector<std::unique_ptr<TBaseRecord>> globals;
    std::unique_ptr<TBaseRecord> sheetBof;
    TRecordHeader h;
    ReadRecordHeader(src, h);
    for (;;) {
        auto r = LoadRecords(src, h);
        const bool eof = r->Id() == 0x000A;
        globals.push_back(std::move(r));
        if (eof) {
            sheetBof = LoadRecords(src, h);
            break;
        }
    }
    Int64 globalsSize = 0;
    bool firstSheet = true;
    std::vector<TBaseRecord*> kept;
    for (auto& r : globals) {
        if (r->Id() == 0x0085 && !firstSheet)
            continue;
        if (r->Id() == 0x0085)
            firstSheet = false;
        kept.push_back(r.get());
        globalsSize += r->Id() == 0x00FC ? Table.TotalSize() : r->TotalSize();
    }
    for (TBaseRecord* r : kept)
        if (r->Id() == 0x0085)
            static_cast<TBoundSheetRecord*>(r)->SetOffset(static_cast<LongWord>(globalsSize));
    ByteArray dims(14, 0);
    SetLongWord(dims.data(), 4, static_cast<LongWord>(List.size()));
    SetWord(dims.data(), 10, 1);
    TDimensionsRecord dimensions(0x0200, dims);
    TEOFRecord eof;
    TOle2MemoryStream in(doc), out;
    {
        TOle2File f(&in);
        f.PrepareForWrite(&out, u"Workbook", {});
        for (TBaseRecord* r : kept) {
            if (r->Id() == 0x00FC)
                Table.SaveToStream(f);
            else
                r->SaveToStream(f);
        }
        ASSERT_EQ(f.Get_Position(), globalsSize);
        sheetBof->SaveToStream(f);
        dimensions.SaveToStream(f);
        for (auto& c : List)
            c->SaveToStream(f);
        eof.SaveToStream(f);
        f.FinishStream();
    }
    SaveFile(Path, out.Bytes());
}

// Has python3-xlrd open the book and compare column A, row by row, with the texts and runs
// (Runs(i) gives the expected runs as "first,font;..." or "-" for none).
template <class RunsFn>
void CheckWithXlrd(const TempDir& Dir, const std::string& Book, const std::vector<WideString>& Texts,
                   RunsFn Runs)
{
    // Expected texts and runs as UTF-16LE hex, one cell per line.
    std::string expected;
    for (size_t i = 0; i < Texts.size(); ++i) {
        char buf[8];
        for (WideChar c : Texts[i]) {
            std::snprintf(buf, sizeof buf, "%04x", static_cast<unsigned>(c));
            expected += buf;
        }
        expected += " " + Runs(i) + "\n";
    }
    std::ofstream(Dir.File("expected.txt")) << expected;
    std::string output;
    int rc = RunPython(R"PY(
import sys, xlrd
book = xlrd.open_workbook(sys.argv[1], formatting_info=True)
sh = book.sheet_by_index(0)
lines = open(sys.argv[2]).read().splitlines()
assert sh.nrows == len(lines), (sh.nrows, len(lines))
for r, line in enumerate(lines):
    hexs, runs = (line.split(" ") + [""])[:2]
    want = bytes.fromhex("".join(hexs[i+2:i+4] + hexs[i:i+2] for i in range(0, len(hexs), 4))).decode("utf-16-le", "surrogatepass")
    got = sh.cell_value(r, 0)
    assert got.encode("utf-16-le", "surrogatepass") == want.encode("utf-16-le", "surrogatepass"), r
    got_runs = sh.rich_text_runlist_map.get((r, 0))
    if runs == "-":
        assert not got_runs, (r, got_runs)
    else:
        assert got_runs == [tuple(int(x) for x in p.split(",")) for p in runs.split(";")], (r, got_runs)
print("ok", sh.nrows)
)PY",
                       Book + " " + Dir.File("expected.txt"), output);
    EXPECT_EQ(rc, 0) << output.substr(0, 2000);
    EXPECT_NE(output.find("ok"), std::string::npos) << output.substr(0, 2000);
}

} // namespace

// An independent reader: python3-xlrd opens a workbook whose shared strings the engine wrote
// and finds every text and every run in its cell.
TEST(SST, IndependentReaderFindsEveryTextAndRun)
{
    if (!HavePython("xlrd"))
        return uitest::SkipMissing("python3-xlrd is not installed");
    // The globals of a small xlwt workbook with this table in place of its own, and one sheet
    // holding a LABELSST cell per text in column A.
    std::vector<WideString> texts = SampleTexts();
    texts.resize(120);
    texts.push_back(WideString(20000, u'\u4e2d'));
    Cells cells;
    // First two strings with phonetic blocks, as a file would bring them: one 8-bit with runs and
    // a phonetic block long enough to be split on write, one 16-bit.
    ByteArray table = Bytes({2, 0, 0, 0, 2, 0, 0, 0});
    ByteArray s1 = Bytes({3, 0, 0x0C, 2, 0, 0x28, 0x23, 0, 0, 'a', 'b', 'c', 0, 0, 1, 0, 2, 0, 2, 0});
    s1.resize(s1.size() + 0x2328, 0x5A); // 9,000 phonetic bytes
    ByteArray s2 = Bytes({4, 0, 5, 10, 0, 0, 0, 0x2D, 0x4E, 0x87, 0x65, 'p', 0, 'h', 0});
    s2.resize(s2.size() + 10, 0x33);
    table.insert(table.end(), s1.begin(), s1.end());
    table.insert(table.end(), s2.begin(), s2.end());
    std::unique_ptr<TBaseRecord> sstRecord;
    for (size_t at = 0; at < table.size(); at += 8224) {
        ByteArray piece(table.begin() + at, table.begin() + std::min(table.size(), at + 8224));
        if (!sstRecord) {
            sstRecord = CreateRecordById(0x00FC, piece);
        } else {
            TBaseRecord* tail = sstRecord.get();
            while (tail->Continue())
                tail = tail->Continue();
            tail->AddContinue(std::make_unique<TContinueRecord>(0x003C, piece));
        }
    }
    cells.Sst.Load(dynamic_cast<TSSTRecord&>(*sstRecord));
    cells.Sst.Sort();
    std::vector<WideString> phonetic;
    for (Integer i = 0; i < 2; ++i) {
        ByteArray d(10, 0);
        SetWord(d.data(), 0, static_cast<Word>(cells.List.size()));
        SetLongWord(d.data(), 6, static_cast<LongWord>(i));
        cells.List.push_back(std::make_unique<TLabelSSTRecord>(0x00FD, d));
        cells.List.back()->AttachToSST(&cells.Sst);
        phonetic.push_back(cells.List.back()->GetAsString());
    }
    ASSERT_NE(std::find(phonetic.begin(), phonetic.end(), u"abc"), phonetic.end());
    texts.insert(texts.begin(), phonetic.begin(), phonetic.end());
    auto hasRuns = [&](size_t i) {
        return texts[i] == u"abc" || (i % 4 == 1 && i >= 2 && texts[i].size() > 3);
    };
    for (size_t i = 2; i < texts.size(); ++i)
        cells.Add(texts[i], hasRuns(i) ? TRTFRunList{{1, 0}, {3, 1}} : TRTFRunList{});
    cells.Sst.FixRefs();

    TempDir dir;
    WriteBookWithCells(dir.File("strings.xls"), cells.Sst, cells.List);
    CheckWithXlrd(dir, dir.File("strings.xls"), texts, [&](size_t i) {
        return std::string(texts[i] == u"abc" ? "0,1;2,2" : (hasRuns(i) ? "1,0;3,1" : "-"));
    });
}

// Emoji are surrogate pairs in UTF-16: a record end must never fall between the two halves, or
// readers that decode each record's chunk on its own fail on the file.
TEST(SST, SurrogatePairsAreNeverSplitAcrossRecords)
{
    WideString emoji;
    for (int i = 0; i < 9000; ++i)
        emoji += (i % 3 == 0) ? u"\U0001F600" : (i % 3 == 1 ? u"\U0001F381" : u"\u4e2d");
    // Short Latin texts before it move where the record ends fall inside the long text.
    for (int shift = 0; shift < 4; ++shift) {
        Cells cells;
        if (shift > 0)
            cells.Add(WideString(static_cast<size_t>(shift), u'a'));
        cells.Add(emoji);
        SavedTable saved = SaveAndLoad(cells.Sst);
        auto recs = RecordPlaces(saved.Stream);
        ASSERT_GT(recs.size(), 3u) << shift;
        for (const Rec& r : recs) {
            if (r.Id != 0x003C)
                continue;
            ASSERT_EQ(saved.Stream[r.Data] & 1, 1) << shift; // the text goes on 16-bit
            const Word first = GetWord(saved.Stream.data(), static_cast<Integer>(r.Data + 1));
            EXPECT_FALSE(first >= 0xDC00 && first <= 0xDFFF) << "shift " << shift;
        }
        const Integer last = saved.Loaded->Count() - 1;
        EXPECT_EQ(saved.Loaded->EntryText(saved.Loaded->GetItems(last)), emoji) << shift;
    }
}

// A table outlives none of its cells by necessity: whichever goes first, nothing dangles.
TEST(SST, CellsMayOutliveTheirTable)
{
    auto table = std::make_unique<TSST>();
    auto made = std::make_unique<TLabelSSTRecord>(0, 0, 15, table.get());
    made->SetAsString(u"kept");
    ByteArray d(10, 0);
    auto loaded = std::make_unique<TLabelSSTRecord>(0x00FD, d);
    loaded->AttachToSST(table.get());
    auto copy = made->CopyTo();
    EXPECT_EQ(table->RefCount(made->Pointer()), 3u);
    table.reset();
    EXPECT_EQ(made->SST(), nullptr);
    EXPECT_EQ(made->GetAsString(), u"");
    EXPECT_EQ(static_cast<TLabelSSTRecord&>(*copy).GetAsRichString().Text, u"");
    made.reset(); // would release its reference through a dead table
    loaded.reset();
    copy.reset();
}

// Duplicates are found whatever the list order: after a load that keeps a file's repeated
// strings apart, after sorting, and for strings just appended.
TEST(SST, AddStringFindsEqualEntriesInAnyListOrder)
{
    ByteArray data = Bytes({0, 0, 0, 0, 4, 0, 0, 0});
    for (const char* t : {"beta", "alpha", "beta", "gamma"}) {
        ByteArray one = Bytes({static_cast<int>(std::strlen(t)), 0, 0});
        one.insert(one.end(), t, t + std::strlen(t));
        data.insert(data.end(), one.begin(), one.end());
    }
    auto rec = CreateRecordById(0x00FC, data);
    TSST table;
    table.Load(dynamic_cast<TSSTRecord&>(*rec));
    ASSERT_EQ(table.Count(), 4);
    EXPECT_EQ(table.AddString(u"beta"), 0);  // the first of the file's two "beta"
    EXPECT_EQ(table.AddString(u"delta"), 4); // new strings are appended
    EXPECT_EQ(table.AddString(u"delta"), 4);
    EXPECT_EQ(table.RefCount(table.GetItems(4)), 2u);
    table.Sort();
    const Integer alpha = table.AddString(u"alpha");
    EXPECT_EQ(table.EntryText(table.GetItems(alpha)), u"alpha");
    EXPECT_EQ(table.Count(), 5);
    table.Delete(0);
    const Integer gamma = table.AddString(u"gamma");
    EXPECT_EQ(table.EntryText(table.GetItems(gamma)), u"gamma");
    EXPECT_EQ(table.Count(), 4);
}

// Sorting gives entry order (size first, then bytes) for the orders files bring, including the
// organ-pipe order on which a middle-pivot quicksort degrades.
TEST(SST, SortsAnyOrderIntoEntryOrder)
{
    const int n = 3000;
    std::vector<int> ascending(n), organ, random;
    for (int i = 0; i < n; ++i)
        ascending[i] = i;
    for (int i = 0; i < n; i += 2)
        organ.push_back(i);
    for (int i = n - 1 - (n % 2 == 0 ? 0 : 1); i > 0; i -= 2)
        organ.push_back(i);
    random = ascending;
    std::shuffle(random.begin(), random.end(), std::mt19937(7));
    std::vector<int> descending(ascending.rbegin(), ascending.rend());
    // In order but for one entry at the very end (an order check must look at all of it).
    std::vector<int> lastOut(ascending.begin() + 1, ascending.end());
    lastOut.push_back(0);
    for (const auto* order : {&ascending, &descending, &organ, &random, &lastOut}) {
        ASSERT_EQ(order->size(), static_cast<size_t>(n));
        TSST table;
        for (int k : *order) {
            char buf[16];
            std::snprintf(buf, sizeof buf, "s%05d", k);
            table.AddString(StringToWideStringNoCodePage(buf));
        }
        table.Sort();
        for (Integer i = 0; i < n; ++i) {
            char buf[16];
            std::snprintf(buf, sizeof buf, "s%05d", i);
            ASSERT_EQ(table.EntryText(table.GetItems(i)), StringToWideStringNoCodePage(buf));
        }
    }
}

// The engine writes 20,000 texts of emoji (surrogate pairs throughout, so record ends fall among
// them everywhere) and python3-xlrd reads every one back equal.
TEST(SST, IndependentReaderReadsTwentyThousandEmojiTexts)
{
    if (!HavePython("xlrd"))
        return uitest::SkipMissing("python3-xlrd is not installed");
    const WideString faces[] = {u"\U0001F600", u"\U0001F389", u"\U0001F3C6", u"\U0001F381", u"\U0001F973"};
    std::vector<WideString> texts;
    Cells cells;
    for (int i = 0; i < 20000; ++i) {
        WideString t;
        for (int k = 0; k <= i % 23; ++k)
            t += faces[(i + k) % 5];
        if (i % 7 == 0)
            t += StringToWideStringNoCodePage(std::to_string(i));
        texts.push_back(t);
        cells.Add(t);
    }
    TempDir dir;
    WriteBookWithCells(dir.File("emoji.xls"), cells.Sst, cells.List);
    CheckWithXlrd(dir, dir.File("emoji.xls"), texts, [](size_t) { return std::string("-"); });
}

TEST(SST, StringsAreStoredAlikeWholeOrSplitOverContinueRecords)
{
    // Three strings: 8-bit text with runs and far-east data, 16-bit text, plain 8-bit text.
    const ByteArray strings[] = {
        Bytes({3, 0, 0x0C, 2, 0, 6, 0, 0,    0,    'a',  'b',  'c',  0,
               0, 1, 0,    2, 0, 2, 0, 0xAA, 0xBB, 0xCC, 0xDD, 0xEE, 0xFF}),
        Bytes({2, 0, 1, 0x2D, 0x4E, 0x87, 0x65}),
        Bytes({3, 0, 0, 'x', 'y', 'z'}),
    };
    const size_t charsAt[] = {9, 3, 3}, charBytes[] = {3, 4, 3};
    ByteArray body = Bytes({3, 0, 0, 0, 3, 0, 0, 0});
    std::vector<std::pair<size_t, size_t>> chars; // where character data lies in body
    for (size_t i = 0; i < 3; ++i) {
        chars.push_back({body.size() + charsAt[i], body.size() + charsAt[i] + charBytes[i]});
        body.insert(body.end(), strings[i].begin(), strings[i].end());
    }
    auto load = [](const ByteArray& In, TSST& Table) {
        BiffStream s(In);
        auto recs = s.LoadAll();
        Table.Load(dynamic_cast<TSSTRecord&>(*recs[0]));
    };
    auto stored = [](const TSST& Table) {
        std::vector<ByteArray> out;
        for (Integer i = 0; i < Table.Count(); ++i) {
            const Int64 ref = Table.GetItems(i);
            const Byte* e = Table.GetEntry(ref);
            out.emplace_back(e + TSST::EntryHeaderSize, e + Table.EntrySize(ref));
        }
        return out;
    };
    ByteArray whole;
    PutRecord(whole, 0x00FC, body);
    TSST reference;
    load(whole, reference);
    ASSERT_EQ(reference.Count(), 3);
    EXPECT_EQ(reference.EntryText(reference.GetItems(0)), u"abc");
    EXPECT_EQ(reference.EntryRuns(reference.GetItems(0)), (TRTFRunList{{0, 1}, {2, 2}}));
    EXPECT_EQ(reference.EntryText(reference.GetItems(1)), u"\u4e2d\u6587");
    EXPECT_EQ(reference.EntryText(reference.GetItems(2)), u"xyz");
    for (size_t i = 0; i < 3; ++i)
        EXPECT_EQ(stored(reference)[i], strings[i]) << i;
    // Every cut outside character data (a cut there would need the CONTINUE's option byte).
    for (size_t cut = 9; cut < body.size(); ++cut) {
        bool inChars = false;
        for (auto [from, to] : chars)
            inChars = inChars || (cut >= from && cut < to);
        if (inChars)
            continue;
        ByteArray in;
        PutRecord(in, 0x00FC, ByteArray(body.begin(), body.begin() + static_cast<std::ptrdiff_t>(cut)));
        PutRecord(in, 0x003C, ByteArray(body.begin() + static_cast<std::ptrdiff_t>(cut), body.end()));
        TSST table;
        load(in, table);
        EXPECT_EQ(stored(table), stored(reference)) << "cut at " << cut;
    }
}
