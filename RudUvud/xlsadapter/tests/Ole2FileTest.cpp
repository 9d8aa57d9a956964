#include "RudUvud/xlsadapter/Ole2File.h"

#include "RudUvud/xlsadapter/XlsMessages.h"
#include "XlsTestSupport.h"
#include "platform/testing/Commands.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>

using namespace xlstest;

namespace {

LongWord U32(const ByteArray& D, size_t Pos)
{
    return GetLongWord(D.data(), static_cast<Integer>(Pos));
}
void SetU32(ByteArray& D, size_t Pos, LongWord V)
{
    SetLongWord(D.data(), static_cast<Integer>(Pos), V);
}

// A minimal independent reading of a 512-byte-sector document: FAT (header DIFAT only) and
// directory entries, enough to look at what the writer produced.
struct RawDoc {
    const ByteArray& D;
    size_t SectorPos(LongWord N) const { return 512 + size_t(N) * 512; }
    LongWord Fat(LongWord Index) const
    {
        LongWord fatSector = U32(D, 76 + 4 * (Index / 128));
        return U32(D, SectorPos(fatSector) + 4 * (Index % 128));
    }
    // Position of the directory entry with that name (first directory sector chain).
    size_t Entry(const std::u16string& Name) const
    {
        for (LongWord s = U32(D, 48); s < 0xFFFFFFFA; s = Fat(s))
            for (size_t off = 0; off < 512; off += 128) {
                size_t p = SectorPos(s) + off;
                Integer len = D[p + 64];
                if (len >= 2 &&
                    std::u16string(reinterpret_cast<const char16_t*>(&D[p]), (len - 2) / 2) == Name)
                    return p;
            }
        return 0;
    }
    size_t ChainLength(LongWord Start) const
    {
        size_t n = 0;
        for (LongWord s = Start; s < 0xFFFFFFFA && n < 100000; s = Fat(s))
            ++n;
        return n;
    }
};

const std::u16string kOtherStreams[] = {u"\x01"
                                        u"CompObj",
                                        u"\x01"
                                        u"Ole",
                                        u"\x05"
                                        u"DocumentSummaryInformation",
                                        u"\x05"
                                        u"SummaryInformation"};

ByteArray Rewrite(const ByteArray& Source, const ByteArray& NewWorkbook, const StringArray& Delete = {})
{
    TOle2MemoryStream in(Source), out;
    TOle2File f(&in);
    f.PrepareForWrite(&out, u"Workbook", Delete);
    // Appended in uneven pieces, as records are.
    for (size_t i = 0; i < NewWorkbook.size(); i += 1000)
        f.WriteMem(NewWorkbook.data() + i,
                   static_cast<Integer>(std::min<size_t>(1000, NewWorkbook.size() - i)));
    f.FinishStream();
    return out.Bytes();
}

ByteArray Pattern(size_t N)
{
    ByteArray b(N);
    for (size_t i = 0; i < N; ++i)
        b[i] = static_cast<Byte>((i * 7 + i / 251) & 0xFF);
    return b;
}

} // namespace

TEST(Ole2File, ReadsTheWorkbookStreamOfEveryWriter)
{
    const struct {
        const char* File;
        Int64 Length;
    } cases[] = {{"xlwt-small.xls", 4096}, {"xlwt-continue.xls", 77824}, {"lo-small.xls", 2414}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.File);
        ByteArray doc = Fixture(c.File);
        TOle2MemoryStream s(doc);
        TOle2File f(&s);
        f.SelectStream(u"workbook"); // any ASCII case finds "Workbook"
        ASSERT_EQ(f.Get_Length(), c.Length);
        ByteArray whole(static_cast<size_t>(c.Length));
        f.ReadMem(whole.data(), static_cast<Integer>(whole.size()));
        EXPECT_TRUE(f.Get_Eof());
        const Byte bof[] = {0x09, 0x08, 0x10, 0x00, 0x00, 0x06, 0x05, 0x00};
        EXPECT_EQ(std::memcmp(whole.data(), bof, 8), 0);
        // Reading in pieces of 7 crosses every sector and mini-sector boundary.
        f.SelectStream(u"Workbook");
        ByteArray pieces;
        while (!f.NextEof(6)) {
            Byte b[7];
            f.ReadMem(b, 7);
            pieces.insert(pieces.end(), b, b + 7);
        }
        size_t rest = static_cast<size_t>(f.Get_Length() - f.Get_Position());
        pieces.resize(pieces.size() + rest);
        f.ReadMem(pieces.data() + pieces.size() - rest, static_cast<Integer>(rest));
        EXPECT_EQ(pieces, whole);
    }
}

TEST(Ole2File, ReadingPastTheEndNamesTheMissingBytesAndKeepsThePosition)
{
    ByteArray doc = Fixture("xlwt-small.xls");
    TOle2MemoryStream s(doc);
    TOle2File f(&s);
    f.SelectStream(u"Workbook");
    f.SeekForward(4092);
    Byte b[10];
    try {
        f.ReadMem(b, 10);
        FAIL();
    } catch (const EExcelException& e) {
        EXPECT_STREQ(e.what(), "End of stream reached with 6 bytes left to read");
    }
    EXPECT_EQ(f.Get_Position(), 4092);
    EXPECT_THROW(f.SeekForward(10), EExcelException); // backwards
    EXPECT_THROW(f.SelectStream(u"NoSuchStream"), EExcelException);
}

TEST(Ole2File, RewriteKeepsEveryOtherStreamAndHoldsTheNewBytes)
{
    ByteArray source = Fixture("lo-small.xls"); // its Workbook lives in the mini stream
    std::vector<ByteArray> others;
    for (const auto& name : kOtherStreams)
        others.push_back(ReadStream(source, name));
    for (size_t n : {size_t(0), size_t(100), size_t(4095), size_t(4096), size_t(5000), size_t(70001)}) {
        SCOPED_TRACE(n);
        ByteArray data = Pattern(n);
        ByteArray doc = Rewrite(source, data);
        for (size_t i = 0; i < std::size(kOtherStreams); ++i)
            EXPECT_EQ(ReadStream(doc, kOtherStreams[i]), others[i]);
        ByteArray written = ReadStream(doc, u"Workbook");
        // A written stream always lives in regular sectors: short ones are padded to the cutoff.
        ByteArray expected = data;
        if (expected.size() < 4096)
            expected.resize(4096, 0);
        EXPECT_EQ(written, expected);
        // The document ends with its FAT, on a sector boundary.
        EXPECT_EQ(doc.size() % 512, 0u);
        RawDoc raw{doc};
        LongWord fatCount = U32(doc, 44);
        EXPECT_EQ(raw.SectorPos(U32(doc, 76 + 4 * (fatCount - 1))) + 512, doc.size());
        size_t entry = raw.Entry(u"Workbook");
        ASSERT_NE(entry, 0u);
        size_t sectors = (expected.size() + 511) / 512;
        EXPECT_EQ(raw.ChainLength(U32(doc, entry + 116)), sectors);
    }
}

TEST(Ole2File, ManyFatSectorsGetADifatSector)
{
    ByteArray source = Fixture("xlwt-small.xls");
    // 110 FAT sectors: 109 * 128 entries no longer cover the sectors.
    ByteArray data = Pattern(13900 * 512);
    ByteArray doc = Rewrite(source, data);
    EXPECT_EQ(U32(doc, 44), 110u); // FAT sectors
    EXPECT_EQ(U32(doc, 72), 1u);   // DIFAT sectors
    EXPECT_EQ(ReadStream(doc, u"Workbook"), data);
}

TEST(Ole2File, WrongStateAndMissingNamesAreRefused)
{
    ByteArray source = Fixture("xlwt-small.xls");
    TOle2MemoryStream in(source), out;
    {
        TOle2File f(&in);
        EXPECT_THROW(f.PrepareForWrite(&out, u"NoSuchStream", {}), EExcelException);
    }
    in.Seek(0);
    TOle2MemoryStream out2; // outlives the document, which finishes into it when destroyed
    TOle2File f(&in);
    f.SelectStream(u"Workbook");
    f.PrepareForWrite(&out2, u"Workbook", {});
    Byte b[4];
    EXPECT_THROW(f.ReadMem(b, 4), EExcelException);
    EXPECT_THROW(f.SelectStream(u"Workbook"), EExcelException);
    EXPECT_THROW(f.PrepareForWrite(&out2, u"Workbook", {}), EExcelException);
    try {
        f.SelectStream(u"Workbook");
        FAIL() << "a stream was selected while another is written";
    } catch (const EExcelException& e) {
        EXPECT_STREQ(e.what(), "Invalid OLE Stream operation on stream: \"Workbook\"");
    }
    // Before preparing, appends are refused.
    in.Seek(0);
    TOle2File g(&in);
    EXPECT_THROW(g.Write16(1), EExcelException);
}

TEST(Ole2File, NonCompoundInputIsFlaggedWhenAllowed)
{
    ByteArray text(2000, 'x');
    TOle2MemoryStream s(text);
    s.Seek(5);
    TOle2File f(&s, true);
    EXPECT_TRUE(f.NotXls());
    EXPECT_EQ(s.Position(), 5);
    TOle2MemoryStream s2(text);
    try {
        TOle2File g(&s2);
        FAIL();
    } catch (const EExcelException& e) {
        EXPECT_STREQ(e.what(), "The file \"\" is invalid");
    }
}

TEST(Ole2File, DocumentsNeedNotStartAtTheStreamStart)
{
    ByteArray doc = Fixture("xlwt-small.xls");
    ByteArray shifted(300, 0xAA);
    shifted.insert(shifted.end(), doc.begin(), doc.end());
    TOle2MemoryStream s(shifted);
    s.Seek(300);
    TOle2File f(&s);
    f.SelectStream(u"Workbook");
    ByteArray a(4096);
    f.ReadMem(a.data(), 4096);
    EXPECT_EQ(a, ReadStream(doc, u"Workbook"));
    // Written behind other bytes too.
    TOle2MemoryStream out;
    Byte lead[77] = {};
    out.Write(lead, sizeof lead);
    f.PrepareForWrite(&out, u"Workbook", {});
    f.WriteMem(a.data(), 4096);
    f.FinishStream();
    TOle2MemoryStream back(out.Bytes());
    back.Seek(77);
    TOle2File g(&back);
    g.SelectStream(u"Workbook");
    ByteArray b(4096);
    g.ReadMem(b.data(), 4096);
    EXPECT_EQ(a, b);
}

// Damaged and hostile documents: each must be refused with the engine's exception, never loop,
// crash or allocate beyond the file.
TEST(Ole2File, DamagedDocumentsAreRefused)
{
    const ByteArray good = Fixture("xlwt-small.xls");
    // xlwt-small: FAT in sector 8, Workbook in sectors 0..7, directory in sector 9.
    const size_t fat = 512 + 8 * 512;
    const size_t dir = 512 + 9 * 512;
    const size_t wbEntry = dir + 128;
    const struct {
        const char* What;
        std::function<void(ByteArray&)> Damage;
        const char* Select;
    } cases[] = {
        {"sector shift 31", [](ByteArray& d) { d[30] = 31; }, "Workbook"},
        {"sector shift 0", [](ByteArray& d) { d[30] = 0; }, "Workbook"},
        {"mini sector shift 20", [](ByteArray& d) { d[32] = 20; }, "Workbook"},
        {"mini stream cutoff of 4 GB", [](ByteArray& d) { SetU32(d, 56, 0xFFFFFFFF); }, "Workbook"},
        {"stream chain loops", [&](ByteArray& d) { SetU32(d, fat + 4 * 7, 0); }, "Workbook"},
        {"stream chain leaves the FAT", [&](ByteArray& d) { SetU32(d, fat + 4 * 3, 0x7FFFFFF0); },
         "Workbook"},
        {"stream chain ends early", [&](ByteArray& d) { SetU32(d, fat + 4 * 3, 0xFFFFFFFE); }, "Workbook"},
        {"directory chain loops", [&](ByteArray& d) { SetU32(d, fat + 4 * 9, 9); }, "Absent"},
        {"no directory", [](ByteArray& d) { SetU32(d, 48, 0xFFFFFFFE); }, "Workbook"},
        {"directory beyond the file", [](ByteArray& d) { SetU32(d, 48, 5000); }, "Workbook"},
        {"stream size beyond its chain", [&](ByteArray& d) { SetU32(d, wbEntry + 120, 0x7FFFFFFF); },
         "Workbook"},
        {"FAT sector beyond the file", [](ByteArray& d) { SetU32(d, 76, 0x00FFFFFF); }, "Workbook"},
        {"DIFAT count beyond the file",
         [](ByteArray& d) {
             SetU32(d, 68, 3);
             SetU32(d, 72, 0xFFFFFF00);
         },
         "Workbook"},
        {"MiniFAT count beyond the file",
         [](ByteArray& d) {
             SetU32(d, 60, 2);
             SetU32(d, 64, 0x10000000);
         },
         "Workbook"},
        {"truncated inside the header", [](ByteArray& d) { d.resize(300); }, "Workbook"},
        {"truncated inside the stream", [](ByteArray& d) { d.resize(512 + 3 * 512 + 17); }, "Workbook"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.What);
        ByteArray doc = good;
        c.Damage(doc);
        EXPECT_THROW(
            {
                TOle2MemoryStream s(doc);
                TOle2File f(&s);
                std::u16string name(c.Select, c.Select + std::strlen(c.Select));
                f.SelectStream(name);
                ByteArray all(static_cast<size_t>(f.Get_Length()));
                f.ReadMem(all.data(), static_cast<Integer>(all.size()));
            },
            EExcelException);
    }
}

TEST(Ole2File, LoopingDifatChainEndsAtTheFileSize)
{
    // The DIFAT chain points back at itself. The FAT it describes is capped at what the file can
    // hold, so the walk ends; the sectors it then names as FAT are not, and the document is
    // refused rather than read wrongly.
    ByteArray doc = Fixture("xlwt-small.xls");
    SetU32(doc, 68, 3);
    SetU32(doc, 72, 1000);
    SetU32(doc, 512 + 3 * 512 + 508, 3);
    EXPECT_THROW(ReadStream(doc, u"Workbook"), EExcelException);
}

TEST(Ole2File, DamagedOtherStreamsAreRefusedWhenCopied)
{
    ByteArray doc = Fixture("lo-small.xls");
    RawDoc raw{doc};
    size_t root = raw.Entry(u"Root Entry");
    ASSERT_NE(root, 0u);
    LongWord rootStart = U32(doc, root + 116);
    // The root's mini stream chain loops back on itself.
    SetU32(doc, 512 + U32(doc, 76) * 512 + 4 * rootStart, rootStart);
    TOle2MemoryStream in(doc), out;
    TOle2File f(&in);
    EXPECT_THROW(f.PrepareForWrite(&out, u"Workbook", {}), EExcelException);
}

TEST(Ole2File, StreamsSharingSectorsAreRefusedWhenCopied)
{
    // A small stream made to claim the root's mini-stream sectors: copying both would write the
    // same sectors twice (and a document of many such entries would multiply its size).
    ByteArray doc = Fixture("lo-small.xls");
    RawDoc raw{doc};
    size_t root = raw.Entry(u"Root Entry");
    size_t ole = raw.Entry(u"\x01"
                           u"Ole");
    ASSERT_NE(ole, 0u);
    SetU32(doc, ole + 116, U32(doc, root + 116));
    SetU32(doc, ole + 120, 4096);
    TOle2MemoryStream in(doc), out;
    TOle2File f(&in);
    EXPECT_THROW(f.PrepareForWrite(&out, u"Workbook", {}), EExcelException);
}

TEST(Ole2File, MiniStreamReadsBeyondTheRootAreRefused)
{
    ByteArray doc = Fixture("lo-small.xls");
    RawDoc raw{doc};
    size_t wb = raw.Entry(u"Workbook");
    ASSERT_NE(wb, 0u);
    SetU32(doc, wb + 116, 0x00FFFFFF); // mini sector far outside the MiniFAT
    EXPECT_THROW(ReadStream(doc, u"Workbook"), EExcelException);
}

TEST(Ole2File, DeletedEntriesLeaveTheTreeReadable)
{
    ByteArray source = Fixture("lo-small.xls");
    ByteArray wb = ReadStream(source, u"Workbook");
    ByteArray doc = Rewrite(source, wb,
                            {u"\x05"
                             u"SummaryInformation"});
    EXPECT_THROW(ReadStream(doc, u"\x05"
                                 u"SummaryInformation"),
                 EExcelException);
    EXPECT_EQ(ReadStream(doc, u"\x05"
                              u"DocumentSummaryInformation"),
              ReadStream(source, u"\x05"
                                 u"DocumentSummaryInformation"));
    wb.resize(4096, 0);
    EXPECT_EQ(ReadStream(doc, u"Workbook"), wb);
}

// Independent readers: python3-olefile (strict) reads every document the writer makes, with the
// other streams byte-identical, and python3-xlrd opens the workbook written back unchanged.
TEST(Ole2File, IndependentReadersAcceptRewrittenDocuments)
{
    if (!HavePython("olefile, xlrd"))
        return uitest::SkipMissing("python3-olefile or python3-xlrd is not installed");
    TempDir dir;
    const char* script = R"PY(
import sys, olefile, xlrd
src, out, mode = sys.argv[1], sys.argv[2], sys.argv[3]
a = olefile.OleFileIO(src)
b = olefile.OleFileIO(out, raise_defects=olefile.DEFECT_INCORRECT)
names_a = sorted("/".join(e) for e in a.listdir(streams=True, storages=True))
names_b = sorted("/".join(e) for e in b.listdir(streams=True, storages=True))
if mode == "delete":
    names_a.remove("\x05SummaryInformation")
assert names_a == names_b, (names_a, names_b)
for n in names_b:
    if n != "Workbook":
        assert a.openstream(n).read() == b.openstream(n).read(), n
wb_a = a.openstream("Workbook").read()
wb_b = b.openstream("Workbook").read()
assert wb_b[:len(wb_a)] == wb_a
book = xlrd.open_workbook(out)
print(book.nsheets, book.sheet_by_index(0).cell_value(0, 0)[:12])
)PY";
    for (const char* file : {"lo-small.xls", "xlwt-small.xls", "xlwt-continue.xls"}) {
        for (const char* mode : {"keep", "delete"}) {
            if (std::string(mode) == "delete" && std::string(file) != "lo-small.xls")
                continue;
            SCOPED_TRACE(std::string(file) + " " + mode);
            ByteArray source = Fixture(file);
            StringArray del;
            if (std::string(mode) == "delete")
                del.push_back(u"\x05"
                              u"SummaryInformation");
            ByteArray doc = Rewrite(source, ReadStream(source, u"Workbook"), del);
            std::string in = dir.File("in.xls"), out = dir.File("out.xls");
            SaveFile(in, source);
            SaveFile(out, doc);
            std::string output;
            EXPECT_EQ(RunPython(script, in + " " + out + " " + mode, output), 0) << output;
            EXPECT_TRUE(output.find("Prize") != std::string::npos ||
                        output.find("Latin text 0") != std::string::npos)
                << output;
        }
    }
}

TEST(Ole2File, IndependentReaderAcceptsADocumentWithADifat)
{
    if (!HavePython("olefile"))
        return uitest::SkipMissing("python3-olefile is not installed");
    TempDir dir;
    ByteArray data = Pattern(13900 * 512);
    ByteArray doc = Rewrite(Fixture("xlwt-small.xls"), data);
    SaveFile(dir.File("big.xls"), doc);
    SaveFile(dir.File("big.bin"), data);
    std::string output;
    EXPECT_EQ(RunPython(R"PY(
import sys, olefile
o = olefile.OleFileIO(sys.argv[1], raise_defects=olefile.DEFECT_INCORRECT)
assert o.openstream("Workbook").read() == open(sys.argv[2], "rb").read()
)PY",
                        dir.File("big.xls") + " " + dir.File("big.bin"), output),
              0)
        << output;
}

TEST(Ole2File, WorksOverRuntimeLibraryStreams)
{
    ByteArray source = Fixture("lo-small.xls");
    TMemoryStream in, out;
    in.WriteBuffer(source.data(), static_cast<Integer>(source.size()));
    in.SetPosition(0);
    TOle2TStream inAdapter(&in), outAdapter(&out);
    ByteArray wb = Pattern(9000);
    {
        TOle2File f(&inAdapter);
        f.PrepareForWrite(&outAdapter, u"Workbook", {});
        f.WriteMem(wb.data(), static_cast<Integer>(wb.size()));
    } // finished by the destructor
    ByteArray doc(static_cast<size_t>(out.Size()));
    out.SetPosition(0);
    out.ReadBuffer(doc.data(), static_cast<Integer>(doc.size()));
    EXPECT_EQ(ReadStream(doc, u"Workbook"), wb);
    EXPECT_EQ(ReadStream(doc, u"\x05"
                              u"SummaryInformation"),
              ReadStream(source, u"\x05"
                                 u"SummaryInformation"));
}

// Documents of 4096-byte sectors: the header fills a whole sector, so sector n begins at
// (n + 1) * 4096. Read, and written back in the same layout.
TEST(Ole2File, ReadsAndWritesDocumentsOf4096ByteSectors)
{
    ByteArray v4 = Fixture("v4-small.xls");
    ByteArray expected = ReadStream(Fixture("xlwt-small.xls"), u"Workbook");
    EXPECT_EQ(ReadStream(v4, u"Workbook"), expected);
    ByteArray data = Pattern(50000);
    ByteArray doc = Rewrite(v4, data);
    EXPECT_EQ(GetWord(doc.data(), 30), 12);
    EXPECT_EQ(doc.size() % 4096, 0u);
    EXPECT_EQ(ReadStream(doc, u"Workbook"), data);
    if (!HavePython("olefile"))
        return uitest::SkipMissing("python3-olefile is not installed");
    TempDir dir;
    SaveFile(dir.File("v4.xls"), doc);
    SaveFile(dir.File("v4.bin"), data);
    std::string output;
    EXPECT_EQ(RunPython(R"PY(
import sys, olefile
o = olefile.OleFileIO(sys.argv[1], raise_defects=olefile.DEFECT_INCORRECT)
assert o.sectorsize == 4096
assert o.openstream("Workbook").read() == open(sys.argv[2], "rb").read()
)PY",
                        dir.File("v4.xls") + " " + dir.File("v4.bin"), output),
              0)
        << output;
}

// A stream whose sectors mostly follow each other in the file but not everywhere (two of them
// swapped, the chain following them): read whole, in uneven pieces and in place, over a document
// in memory and over a runtime-library stream, it gives the same bytes. Bytes read in place are
// either the stream's own at the right place, or refused with the position unchanged.
TEST(Ole2File, StreamsWhoseSectorsAreOutOfOrderReadTheSameEveryWay)
{
    const ByteArray data = Pattern(2'000'000);
    ByteArray doc = Rewrite(Fixture("lo-small.xls"), data);
    RawDoc raw{doc};
    const size_t entry = raw.Entry(u"Workbook");
    ASSERT_NE(entry, 0u);
    std::vector<LongWord> chain;
    for (LongWord s = U32(doc, entry + 116); s < 0xFFFFFFFA; s = raw.Fat(s))
        chain.push_back(s);
    ASSERT_GT(chain.size(), 3000u);
    // Sectors 5 and 2500 of the stream change places in the file.
    const size_t a = 5, b = 2500;
    for (size_t i = 0; i < 512; ++i)
        std::swap(doc[raw.SectorPos(chain[a]) + i], doc[raw.SectorPos(chain[b]) + i]);
    std::swap(chain[a], chain[b]);
    for (size_t i = 0; i < chain.size(); ++i) {
        const LongWord fatSector = U32(doc, 76 + 4 * (chain[i] / 128));
        SetU32(doc, raw.SectorPos(fatSector) + 4 * (chain[i] % 128),
               i + 1 < chain.size() ? chain[i + 1] : Ole2EndOfChain);
    }

    TMemoryStream tstream;
    tstream.WriteBuffer(doc.data(), static_cast<Integer>(doc.size()));
    tstream.SetPosition(0);
    TOle2ViewStream view(doc.data(), static_cast<Int64>(doc.size()));
    TOle2MemoryStream memory(doc);
    TOle2TStream adapter(&tstream);
    const struct {
        const char* Name;
        TOle2Stream* Stream;
        bool InPlace;
    } sources[] = {{"view", &view, true}, {"memory", &memory, true}, {"runtime stream", &adapter, false}};
    for (const auto& src : sources) {
        SCOPED_TRACE(src.Name);
        TOle2File f(src.Stream);
        f.SelectStream(u"Workbook");
        ASSERT_EQ(f.Get_Length(), static_cast<Int64>(data.size()));
        ByteArray whole(data.size());
        f.ReadMem(whole.data(), static_cast<Integer>(whole.size()));
        EXPECT_EQ(whole, data);

        f.SelectStream(u"Workbook");
        ByteArray got;
        bool sawInPlace = false, sawRefused = false;
        for (Integer step = 0; static_cast<size_t>(f.Get_Position()) < data.size(); ++step) {
            const Integer want =
                std::min<Integer>(step % 3 == 0 ? 4 : 1 + step * 37 % 700, f.Get_Length() - f.Get_Position());
            const Int64 before = f.Get_Position();
            if (step % 2 == 0) {
                if (const Byte* p = f.ReadInPlace(want)) {
                    sawInPlace = true;
                    EXPECT_EQ(f.Get_Position(), before + want);
                    got.insert(got.end(), p, p + want);
                    continue;
                }
                sawRefused = true;
                EXPECT_EQ(f.Get_Position(), before);
            }
            const size_t at = got.size();
            got.resize(at + static_cast<size_t>(want));
            f.ReadMem(got.data() + at, want);
        }
        EXPECT_EQ(got, data);
        EXPECT_EQ(sawInPlace, src.InPlace);
        EXPECT_TRUE(sawRefused);
        EXPECT_THROW(f.ReadMem(whole.data(), 1), EExcelException);
    }
}
