#include "RudUvud/xlsadapter/BaseRecords.h"

#include "RudUvud/xlsadapter/OtherRecords.h"
#include "RudUvud/xlsadapter/SettingRecords.h"
#include "RudUvud/xlsadapter/XlsCellRecords.h"
#include "RudUvud/xlsadapter/XlsSST.h"
#include "XlsTestSupport.h"

#include <gtest/gtest.h>

#include <thread>
#include <vector>

using namespace xlstest;

namespace {

ByteArray SaveRecords(const std::vector<std::unique_ptr<TBaseRecord>>& Recs)
{
    return WriteWorkbook([&](TOle2File& f) {
        for (auto& r : Recs)
            r->SaveToStream(f);
    });
}

std::string MessageOf(const std::function<void()>& Fn)
{
    try {
        Fn();
    } catch (const EExcelException& e) {
        return e.what();
    }
    return "(nothing raised)";
}

} // namespace

TEST(Records, UnknownRecordsAndTheirContinuesAreWrittenBackByteForByte)
{
    ByteArray in;
    PutRecord(in, 0x1002, Bytes({1, 2, 3, 4, 5})); // a chart record the engine does not interpret
    PutRecord(in, 0x003C, Bytes({6, 7}));          // its CONTINUE records, one of them empty
    PutRecord(in, 0x003C, {});
    PutRecord(in, 0x003C, Bytes({8}));
    PutRecord(in, 0x0809, Bytes({0, 6, 0x10, 0, 0, 0, 0, 0})); // a worksheet BOF
    PutRecord(in, 0x000A, {});
    BiffStream s(in);
    auto recs = s.LoadAll();
    ASSERT_EQ(recs.size(), 3u);
    EXPECT_EQ(recs[0]->TotalSize(), 4 + 5 + 4 + 2 + 4 + 0 + 4 + 1);
    EXPECT_EQ(recs[0]->TotalSizeNoHeaders(), 8);
    EXPECT_NE(dynamic_cast<TBOFRecord*>(recs[1].get()), nullptr);
    EXPECT_EQ(static_cast<TBOFRecord*>(recs[1].get())->GetBOFType(), 0x10);
    EXPECT_EQ(SaveRecords(recs), in);

    // A copy is deep and of the same class.
    auto copy = recs[0]->CopyTo();
    copy->Continue()->Data()[0] = 99;
    EXPECT_EQ(recs[0]->Continue()->Data()[0], 6);
    EXPECT_EQ(copy->TotalSize(), recs[0]->TotalSize());
    EXPECT_NE(dynamic_cast<TBOFRecord*>(recs[1]->CopyTo().get()), nullptr);
}

TEST(Records, TheStreamEndGivesASubstituteEofHeader)
{
    // One record that fills the stream exactly: fewer than 4 bytes follow it.
    ByteArray in;
    PutRecord(in, 0x1002, ByteArray(4092, 7));
    BiffStream s(in, false);
    TRecordHeader h;
    ReadRecordHeader(*s.File, h);
    auto r = LoadRecords(*s.File, h);
    EXPECT_EQ(r->DataSize(), 4092);
    EXPECT_EQ(h.Id, 0x000A);
    EXPECT_EQ(h.Size, 0);
}

TEST(Records, AFormulaTakesItsArrayAndLeavesItsStringResult)
{
    ByteArray formula(22, 0); // row 0, column 0, cached result, options, no tokens
    SetWord(formula.data(), 12, 0xFFFF);
    ByteArray in;
    PutRecord(in, 0x0006, formula);
    PutRecord(in, 0x0221, ByteArray(14, 0));
    PutRecord(in, 0x0006, formula);
    PutRecord(in, 0x0207, Bytes({2, 0, 0, 'o', 'k'}));
    PutRecord(in, 0x000A, {});
    BiffStream s(in);
    auto recs = s.LoadAll();
    ASSERT_EQ(recs.size(), 4u);
    EXPECT_EQ(recs[0]->Id(), 0x0006); // with its ARRAY inside
    EXPECT_EQ(recs[1]->Id(), 0x0006);
    EXPECT_EQ(recs[2]->Id(), 0x0207); // the STRING record is left for the sheet
    EXPECT_EQ(recs[3]->Id(), 0x000A);
}

TEST(Records, ATextResultMayFollowTheSharedOrArrayFormulaOfItsCell)
{
    ByteArray formula(22, 0);
    SetWord(formula.data(), 12, 0xFFFF);
    const struct {
        const char* What;
        Word Id;
        std::size_t Size;
        std::size_t Loaded; // records the loader hands on, EOF included
    } cases[] = {
        {"SHRFMLA", 0x04BC, 10, 4},
        {"ARRAY", 0x0221, 14, 3},
        {"TABLE", 0x0236, 16, 3},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.What);
        ByteArray in;
        PutRecord(in, 0x0006, formula);
        PutRecord(in, c.Id, ByteArray(c.Size, 0));
        PutRecord(in, 0x0207, Bytes({2, 0, 0, 'o', 'k'}));
        PutRecord(in, 0x000A, {});
        BiffStream s(in);
        auto recs = s.LoadAll();
        ASSERT_EQ(recs.size(), c.Loaded);
        EXPECT_EQ(recs[recs.size() - 2]->Id(), 0x0207);
    }
}

TEST(Records, MisplacedAndForbiddenRecordsStopTheLoad)
{
    const ByteArray bof = Bytes({0, 6, 0x10, 0, 0, 0, 0, 0});
    const struct {
        const char* What;
        Word First;
        ByteArray FirstData;
        Word Second;
        const char* Message;
    } cases[] = {
        {"ARRAY after NUMBER", 0x0203, ByteArray(14, 0), 0x0221, "Error reading Excel records. File invalid"},
        {"TABLE after BOF", 0x0809, bof, 0x0236, "Error reading Excel records. File invalid"},
        {"QUICKTIP after ROW", 0x0208, ByteArray(16, 0), 0x0800, "Error reading Excel records. File invalid"},
        {"STRING after LABELSST", 0x00FD, ByteArray(10, 0), 0x0207,
         "Error reading Excel records. File invalid"},
        {"password", 0x002F, ByteArray(6, 0), 0x000A, "File is password protected"},
        {"BIFF5 BOF", 0x0809, Bytes({0, 5, 5, 0}), 0x000A,
         "Template file is saved with an invalid Excel version"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.What);
        ByteArray in;
        PutRecord(in, c.First, c.FirstData);
        PutRecord(in, c.Second, ByteArray(20, 0));
        BiffStream s(in);
        EXPECT_EQ(MessageOf([&] { s.LoadAll(); }), c.Message);
    }
}

// Every record class reads fixed offsets: data too short for them is refused as the record is
// built, never read out of bounds.
TEST(Records, RecordsShorterThanTheirFieldsAreRefused)
{
    const struct {
        Word Id;
        ByteArray Data;
    } cases[] = {
        {0x0208, ByteArray(15, 0)},                     // ROW
        {0x003D, ByteArray(17, 0)},                     // WINDOW1
        {0x023E, ByteArray(9, 0)},                      // WINDOW2
        {0x00A1, ByteArray(33, 0)},                     // SETUP
        {0x0026, ByteArray(7, 0)},                      // LEFTMARGIN
        {0x00A0, ByteArray(3, 0)},                      // SCL
        {0x0200, ByteArray(13, 0)},                     // DIMENSIONS
        {0x0225, ByteArray(3, 0)},                      // DEFAULTROWHEIGHT
        {0x0055, ByteArray(1, 0)},                      // DEFCOLWIDTH
        {0x0081, ByteArray(1, 0)},                      // WSBOOL
        {0x0080, ByteArray(7, 0)},                      // GUTS
        {0x0041, ByteArray(9, 0)},                      // PANE
        {0x00FC, ByteArray(7, 0)},                      // SST
        {0x00FD, ByteArray(9, 0)},                      // LABELSST
        {0x0204, ByteArray(5, 0)},                      // LABEL
        {0x01B6, ByteArray(17, 0)},                     // TXO
        {0x0085, Bytes({0, 0, 0, 0, 0, 0, 9, 0, 'a'})}, // BOUNDSHEET whose name runs past the data
        {0x01BA, Bytes({5, 0, 0, 'a'})},                // CODENAME likewise
        {0x0014, Bytes({5, 0})},                        // HEADER with half a string
        {0x004D, ByteArray(1, 0)},                      // PLS
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Id);
        EXPECT_THROW(CreateRecordById(c.Id, c.Data), EExcelException);
        // The same record in a stream: the load stops with the message.
        ByteArray in;
        PutRecord(in, c.Id, c.Data);
        BiffStream s(in);
        std::string msg = MessageOf([&] { s.LoadAll(); });
        EXPECT_TRUE(msg == XlsFormat(zivXlsMessages::ErrWrongExcelRecord, {Int64(c.Id)}) ||
                    msg == "Error reading record")
            << msg;
    }
    EXPECT_EQ(MessageOf([] { TBaseRowColRecord(0x0201, ByteArray(3, 0)); }),
              "Record with ID 0x201 is invalid");
}

TEST(Records, FieldsPastAShortenedBodyRaiseInsteadOfReading)
{
    // The size check at building is one path; a body replaced afterwards is another. The fields
    // themselves are bounded, so a read or write past the end raises whichever path made the
    // record.
    const std::string Invalid = "Error reading Excel records. File invalid";
    TNumberRecord number(0x0203, ByteArray(14, 0));
    TRKRecord rk(0x027E, ByteArray(10, 0));
    TPaneRecord pane(0x0041, ByteArray(10, 0));
    TGutsRecord guts(0x0080, ByteArray(8, 0));
    const struct {
        const char* Name;
        TBaseRecord* Rec;
        Integer ShortSize;
        std::function<void()> Access;
    } cases[] = {
        {"NUMBER value", &number, 13, [&] { (void)number.GetNumber(); }},
        {"NUMBER XF", &number, 5, [&] { (void)number.GetXF(); }},
        {"NUMBER XF written", &number, 5, [&] { number.SetXF(3); }},
        {"RK value", &rk, 9, [&] { (void)rk.GetRK(); }},
        {"PANE first row", &pane, 5, [&] { (void)pane.Get_FirstVisibleRow(); }},
        {"PANE first column written", &pane, 7, [&] { pane.Set_FirstVisibleCol(1); }},
        {"GUTS column level", &guts, 7, [&] { (void)guts.GetColLevel(); }},
        {"a byte of the body", &guts, 0, [&] { (void)guts.Data()[0]; }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Name);
        c.Rec->SetData(ByteArray(static_cast<size_t>(c.ShortSize), 0xAB));
        EXPECT_EQ(MessageOf(c.Access), Invalid);
    }
    // Inside the body the same fields read and write as before.
    pane.SetData(ByteArray(10, 0));
    pane.Set_FirstVisibleCol(7);
    EXPECT_EQ(pane.Get_FirstVisibleCol(), 7);
}

TEST(Records, IgnoredRecordsAreKeptButNotWritten)
{
    for (Word id : {0x00D7, 0x020B, 0x00FF}) {
        auto r = CreateRecordById(id, ByteArray(8, 1));
        EXPECT_EQ(r->TotalSize(), 0);
        EXPECT_EQ(r->TotalSizeNoHeaders(), 8);
        std::vector<std::unique_ptr<TBaseRecord>> v;
        v.push_back(std::move(r));
        EXPECT_TRUE(SaveRecords(v).empty());
    }
}

TEST(Records, ReadMemCrossesContinuesAndStopsAtTheChainEnd)
{
    TBaseRecord rec(0x1002, Bytes({1, 2}));
    // Thousands of empty CONTINUE records, then the data: read without recursion.
    TBaseRecord* tail = &rec;
    for (int i = 0; i < 20000; ++i) {
        tail->AddContinue(std::make_unique<TContinueRecord>(0x3C, ByteArray()));
        tail = tail->Continue();
    }
    tail->AddContinue(std::make_unique<TContinueRecord>(0x3C, Bytes({3, 4, 5})));
    const TBaseRecord* r = &rec;
    Integer pos = 1;
    Byte out[4];
    ReadMem(r, pos, 4, out);
    EXPECT_EQ(ByteArray(out, out + 4), Bytes({2, 3, 4, 5}));
    EXPECT_EQ(pos, 3);
    EXPECT_THROW(ReadMem(r, pos, 1, out), EExcelException);
    EXPECT_THROW(rec.AddContinue(std::make_unique<TContinueRecord>(0x3C, ByteArray())), EExcelException);
}

TEST(Records, StringsWidenWhenAContinueSwitchesTo16Bit)
{
    // 300 characters: 100 as bytes in the record, the rest 16-bit in a CONTINUE.
    ByteArray first = Bytes({0x2C, 0x01, 0x00});
    for (int i = 0; i < 100; ++i)
        first.push_back(static_cast<Byte>('a' + i % 26));
    TBaseRecord rec(0x1002, first);
    ByteArray cont = Bytes({1});
    for (int i = 0; i < 200; ++i) {
        cont.push_back(static_cast<Byte>(i));
        cont.push_back(0x4E);
    }
    rec.AddContinue(std::make_unique<TContinueRecord>(0x3C, cont));
    const TBaseRecord* r = &rec;
    Integer pos = 0;
    TExcelString s(2, r, pos);
    WideString v = s.GetValue();
    ASSERT_EQ(v.size(), 300u);
    EXPECT_EQ(v[0], u'a');
    EXPECT_EQ(v[99], u'a' + 99 % 26);
    EXPECT_EQ(v[100], 0x4E00);
    EXPECT_EQ(v[299], 0x4EC7);
    EXPECT_EQ(s.OptionFlags() & 1, 1);
    EXPECT_EQ(s.TotalSize(), 3 + 600);

    // The same string whose continuation is an empty CONTINUE (no option byte) is refused.
    TBaseRecord bad(0x1002, first);
    bad.AddContinue(std::make_unique<TContinueRecord>(0x3C, ByteArray()));
    r = &bad;
    pos = 0;
    EXPECT_THROW(TExcelString(2, r, pos), EExcelException);
}

TEST(Records, StringCountsBeyondTheDataAreRefusedBeforeAllocating)
{
    // Far-east size of 4 GB and a run count of 65,535 in a record of a few bytes.
    for (ByteArray data :
         {Bytes({3, 0, 0x04, 0xFF, 0xFF, 0xFF, 0xFF, 'a', 'b', 'c'}),
          Bytes({3, 0, 0x08, 0xFF, 0xFF, 'a', 'b', 'c'}), Bytes({0xFF, 0xFF, 0x01, 'a', 0})}) {
        TBaseRecord rec(0x1002, data);
        const TBaseRecord* r = &rec;
        Integer pos = 0;
        EXPECT_THROW(TExcelString(2, r, pos), EExcelException);
    }
}

namespace {
// Loads a workbook stream the way the workbook does: up to the EOF of the last announced sheet.
std::vector<std::unique_ptr<TBaseRecord>> LoadWorkbookStream(TOle2File& f)
{
    std::vector<std::unique_ptr<TBaseRecord>> recs;
    TRecordHeader h;
    ReadRecordHeader(f, h);
    int sheets = 0, eofs = 0;
    while (eofs <= sheets) {
        recs.push_back(LoadRecords(f, h));
        if (recs.back()->Id() == 0x0085)
            ++sheets;
        if (recs.back()->Id() == 0x000A)
            ++eofs;
    }
    return recs;
}
} // namespace

// Loading a whole workbook stream and writing it back gives the same bytes, less the index
// records the engine regenerates (DBCELL, INDEX, EXTSST and the like).
TEST(Records, WorkbooksOfOtherWritersRoundTripRecordByRecord)
{
    for (const char* file : {"xlwt-small.xls", "xlwt-continue.xls", "lo-small.xls"}) {
        SCOPED_TRACE(file);
        ByteArray doc = Fixture(file);
        TOle2MemoryStream s(doc);
        TOle2File f(&s);
        f.SelectStream(u"Workbook");
        auto recs = LoadWorkbookStream(f);
        // After the last EOF either a real header was read or, at the stream's end, a substitute.
        Int64 end = f.Get_Position() >= f.Get_Length() ? f.Get_Length() : f.Get_Position() - 4;

        ByteArray original = ReadStream(doc, u"Workbook");
        original.resize(static_cast<size_t>(end));
        ByteArray expected;
        TSST sst;
        for (size_t p = 0; p < original.size();) {
            Word id = GetWord(original.data(), static_cast<Integer>(p));
            Word size = GetWord(original.data(), static_cast<Integer>(p + 2));
            bool ignored = id == 0x00D7 || id == 0x020B || id == 0x00FF || id == 0x013D || id == 0x01C1;
            if (!ignored)
                expected.insert(expected.end(), original.begin() + p, original.begin() + p + 4 + size);
            p += 4 + size;
        }
        ByteArray saved = SaveRecords(recs);
        EXPECT_EQ(saved, expected);
        Int64 total = 0;
        for (auto& r : recs)
            total += r->TotalSize();
        EXPECT_EQ(total, static_cast<Int64>(expected.size()));
    }
}

// The small records a big sheet is made of (cells, rows) keep their bytes inside the record
// object: loading one costs one allocation. Longer bodies live on the heap; both read the same.
TEST(Records, SmallBodiesLiveInsideTheirRecord)
{
    const struct {
        Word Id;
        Word Size;
        bool Inside;
    } cases[] = {
        {0x0203, 14, true},  // NUMBER
        {0x00FD, 10, true},  // LABELSST
        {0x027E, 10, true},  // RK
        {0x0201, 6, true},   // BLANK
        {0x0208, 16, true},  // ROW
        {0x0099, 24, true},  // the largest inline body
        {0x0099, 25, false}, // one byte more goes to the heap
        {0x0099, 3000, false},
    };
    ByteArray in;
    for (const auto& c : cases) {
        ByteArray d(c.Size);
        for (size_t i = 0; i < d.size(); ++i)
            d[i] = static_cast<Byte>(i % 7);
        PutRecord(in, c.Id, d);
    }
    BiffStream s(in);
    auto recs = s.LoadAll();
    ASSERT_EQ(recs.size(), std::size(cases));
    for (size_t i = 0; i < recs.size(); ++i) {
        SCOPED_TRACE(i);
        const Byte* object = reinterpret_cast<const Byte*>(recs[i].get());
        const bool inside = recs[i]->Data() >= object && recs[i]->Data() < object + sizeof(TBaseRecord) + 64;
        EXPECT_EQ(inside, cases[i].Inside);
        ASSERT_EQ(recs[i]->DataSize(), cases[i].Size);
        if (cases[i].Id == 0x0099) { // plain records keep their bytes as read
            for (Word k = 0; k < recs[i]->DataSize(); ++k)
                ASSERT_EQ(recs[i]->Data()[k], k % 7);
        }
    }
}

// Record bodies copy, move and resize between the inline and the heap storage without losing a byte.
TEST(Records, RecordBodiesKeepTheirBytesAcrossStorageChanges)
{
    TRecordBody small(ByteArray{1, 2, 3});
    TRecordBody big(100, 9);
    TRecordBody copy = small;
    copy.resize(60, 5); // grows onto the heap
    EXPECT_EQ(copy.ToBytes().size(), 60u);
    EXPECT_EQ(copy[2], 3);
    EXPECT_EQ(copy[59], 5);
    copy.resize(2); // shrinks in place
    EXPECT_EQ(copy.ToBytes(), (ByteArray{1, 2}));
    TRecordBody moved = std::move(big);
    EXPECT_EQ(moved.size(), 100u);
    EXPECT_EQ(big.size(), 0u);
    moved = small;
    EXPECT_EQ(moved.ToBytes(), (ByteArray{1, 2, 3}));
    small = std::move(copy);
    EXPECT_EQ(small.ToBytes(), (ByteArray{1, 2}));
    // Assigning a part of itself.
    TRecordBody self(ByteArray{1, 2, 3, 4, 5});
    self.assign(self.begin() + 1, self.begin() + 4);
    EXPECT_EQ(self.ToBytes(), (ByteArray{2, 3, 4}));
    TRecordBody grown(40, 1);
    grown.assign(grown.begin(), grown.begin() + 30);
    EXPECT_EQ(grown.ToBytes(), ByteArray(30, 1));
}

TEST(Records, RecordsOfMixedSizesLifetimesAndThreadsKeepTheirBytes)
{
    // Records of several classes and body sizes, freed in scattered order, some on other threads,
    // while new ones are made: no record may share storage with another.
    auto make = [](Integer I) -> std::unique_ptr<TBaseRecord> {
        switch (I % 4) {
        case 0:
            return std::make_unique<TRKRecord>(static_cast<Word>(I), static_cast<Word>(I % 256), 15);
        case 1:
            return std::make_unique<TNumberRecord>(static_cast<Word>(I), static_cast<Word>(I % 256), 15);
        default: {
            TRecordBody body(static_cast<size_t>(I % 61)); // inline and heap bodies
            for (size_t k = 0; k < body.size(); ++k)
                body[k] = static_cast<Byte>(I + static_cast<Integer>(k));
            return std::make_unique<TBaseRecord>(static_cast<Word>(0x1000 + I % 0x100), std::move(body));
        }
        }
    };
    auto check = [](const TBaseRecord& R, Integer I) {
        if (I % 4 < 2) {
            const auto& c = static_cast<const TCellRecord&>(R);
            return c.GetRow() == static_cast<Word>(I) && c.GetColumn() == I % 256 && c.GetXF() == 15;
        }
        if (R.Id() != 0x1000 + I % 0x100 || R.DataSize() != I % 61)
            return false;
        for (Integer k = 0; k < R.DataSize(); ++k)
            if (R.Data()[k] != static_cast<Byte>(I + k))
                return false;
        return true;
    };
    const Integer n = 40000;
    std::vector<std::unique_ptr<TBaseRecord>> recs;
    for (Integer i = 0; i < n; ++i)
        recs.push_back(make(i));
    // Every third record freed here, every third made again; half of the others freed on
    // another thread, and records made there kept here.
    for (Integer i = 0; i < n; i += 3)
        recs[static_cast<size_t>(i)].reset();
    for (Integer i = 0; i < n; i += 3)
        recs[static_cast<size_t>(i)] = make(i);
    std::vector<std::unique_ptr<TBaseRecord>> away, made;
    for (Integer i = 1; i < n; i += 6)
        away.push_back(std::move(recs[static_cast<size_t>(i)]));
    std::thread([&] {
        away.clear();
        for (Integer i = 1; i < n; i += 6)
            made.push_back(make(i));
    }).join();
    for (size_t k = 0; k < made.size(); ++k)
        recs[1 + 6 * k] = std::move(made[k]);
    Integer bad = 0;
    for (Integer i = 0; i < n; ++i)
        if (!recs[static_cast<size_t>(i)] || !check(*recs[static_cast<size_t>(i)], i))
            ++bad;
    EXPECT_EQ(bad, 0);
}
