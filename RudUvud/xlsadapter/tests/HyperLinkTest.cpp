// Hyperlinks: decoding links written by another program, the bodies the engine writes, moving
// links with rows and columns, and damaged bodies. Fixtures: tests/data/drawings/
// (make-drawing-fixtures.sh).

#include "RudUvud/xlsadapter/XlsHyperLink.h"

#include "XlsTestSupport.h"
#include "platform/testing/Commands.h"

#include <gtest/gtest.h>

using namespace xlstest;

namespace {

struct TRawRecord {
    size_t Pos;
    Word Id;
    Word Size;
};

// The records of a stream, from its start to the last EOF.
std::vector<TRawRecord> Walk(const ByteArray& S)
{
    std::vector<TRawRecord> out;
    for (size_t p = 0; p + 4 <= S.size();) {
        TRawRecord r{p, GetWord(S.data(), (Integer)p), GetWord(S.data(), (Integer)p + 2)};
        if (p + 4 + r.Size > S.size())
            break;
        out.push_back(r);
        p += 4 + r.Size;
    }
    while (!out.empty() && out.back().Id != xlr_EOF)
        out.pop_back();
    return out;
}

// Every HLINK of a stream with the tip after it, through the factory.
std::vector<std::unique_ptr<THLinkRecord>> LoadLinks(const ByteArray& Stream)
{
    BiffStream s(Stream);
    std::vector<std::unique_ptr<THLinkRecord>> links;
    for (auto& r : s.LoadAll())
        if (auto* l = dynamic_cast<THLinkRecord*>(r.get())) {
            r.release();
            links.emplace_back(l);
        }
    return links;
}

ByteArray Body(const THLinkRecord& R)
{
    return ByteArray(R.Data().get(), R.Data() + R.DataSize());
}

THLinkRecord NewLink(const THyperLink& L, Integer Row = 0, Integer Col = 0)
{
    return THLinkRecord(TXlsCellRange{Col, Row, Col, Row}, L);
}

THyperLink Link(THyperLinkType Kind, const WideString& Address, const WideString& Location = {},
                const WideString& Text = {}, const WideString& Frame = {}, const WideString& Tip = {})
{
    THyperLink l;
    l.Kind = Kind;
    l.Address = Address;
    l.Location = Location;
    l.DisplayText = Text;
    l.FrameName = Frame;
    l.ScreenTip = Tip;
    return l;
}

void ExpectSame(const THyperLink& A, const THyperLink& B)
{
    EXPECT_EQ(A.Kind, B.Kind);
    EXPECT_EQ(A.Address, B.Address);
    EXPECT_EQ(A.Location, B.Location);
    EXPECT_EQ(A.DisplayText, B.DisplayText);
    EXPECT_EQ(A.FrameName, B.FrameName);
    EXPECT_EQ(A.ScreenTip, B.ScreenTip);
}

TSheetInfo ThisSheet()
{
    TSheetInfo si;
    si.InsSheet = 0;
    si.FormulaSheet = 0;
    return si;
}

} // namespace

// Links that LibreOffice wrote decode as python3-xlrd decodes them (its listing, taken once, is
// below; xlrd leaves the up-level "..\" out of a path that has a UTF-16 form), and every link
// writes back byte for byte.
TEST(HyperLinks, DecodesLinksOfAnotherWriterAndWritesThemBackUnchanged)
{
    const ByteArray stream = ReadStream(Fixture("drawings/lo-links.xls"), u"Workbook");
    auto links = LoadLinks(stream);
    ASSERT_EQ(links.size(), 6u);
    struct {
        THyperLinkType Kind;
        WideString Address, Location, Text;
    } expected[] = {
        {hl_URL, u"https://example.com/prizes", u"", u"web"},
        {hl_LocalFile, u"..\\data/a.xls", u"", u"file"},
        {hl_CurrentWorkbook, u"", u"Links!C5", u"here"},
        {hl_URL, u"mailto:draw@example.com", u"", u"mail"},
        {hl_LocalFile, u"\\\\server\\share\\x.xls", u"", u"unc"},
        {hl_URL, u"http://example.com/\u4e2d", u"", u"cjk"},
    };
    std::vector<TRawRecord> raw;
    for (const TRawRecord& r : Walk(stream))
        if (r.Id == xlr_HLINK)
            raw.push_back(r);
    ASSERT_EQ(raw.size(), links.size());
    for (size_t i = 0; i < links.size(); ++i) {
        SCOPED_TRACE(i);
        const THyperLink l = links[i]->GetProperties();
        EXPECT_EQ(l.Kind, expected[i].Kind);
        EXPECT_EQ(l.Address, expected[i].Address);
        EXPECT_EQ(l.Location, expected[i].Location);
        EXPECT_EQ(l.DisplayText, expected[i].Text);
        EXPECT_EQ(links[i]->GetFirstRow(), i);

        ByteArray out = WriteWorkbook([&](TOle2File& f) { links[i]->SaveToStream(f); });
        EXPECT_EQ(static_cast<Int64>(out.size()), links[i]->TotalSize());
        EXPECT_EQ(out, ByteArray(stream.begin() + (long)raw[i].Pos,
                                 stream.begin() + (long)raw[i].Pos + 4 + raw[i].Size));
    }
}

// What the engine writes for each kind reads back the same, with the byte layout the format
// fixes for the fields other readers look at.
TEST(HyperLinks, WrittenBodiesHaveTheirLayoutAndReadBack)
{
    // URL of 8 characters: byte length 18, after the description and frame.
    THyperLink url = Link(hl_URL, u"http://a", u"top", u"Desc", u"_blank", u"Tip");
    THLinkRecord r = NewLink(url, 3, 2);
    ExpectSame(r.GetProperties(), url);
    EXPECT_EQ(r.GetOptionFlags(), 0x0014 | 0x0080 | 0x0003 | 0x0008);
    const Integer urlAt = 32 + (4 + 10) + (4 + 14) + 16;
    EXPECT_EQ(GetLongWord(r.Data(), urlAt), 18u);
    EXPECT_EQ(GetWord(r.Data(), 24), 2);
    ASSERT_NE(r.Hint(), nullptr);
    EXPECT_EQ(r.Hint()->DataSize(), 2 * 3 + 12);

    // A relative file link: up-level count 2, 8-bit length 11, Unicode size 0, location after it.
    THyperLink file = Link(hl_LocalFile, u"..\\..\\data\\a.xls", u"Sheet1!A1");
    THLinkRecord f = NewLink(file);
    ExpectSame(f.GetProperties(), file);
    const Integer moniker = 32 + 16;
    EXPECT_EQ(GetWord(f.Data(), moniker), 2);
    EXPECT_EQ(GetLongWord(f.Data(), moniker + 2), 11u);
    EXPECT_EQ(GetLongWord(f.Data(), moniker + 6 + 11), 0xDEADFFFFu);
    EXPECT_EQ(GetLongWord(f.Data(), moniker + 6 + 11 + 24), 0u);
    EXPECT_EQ(GetLongWord(f.Data(), moniker + 6 + 11 + 28), 10u); // the location's count
    EXPECT_EQ(f.GetOptionFlags() & 0x0002, 0);

    // A path beyond Latin-1: "?" in the 8-bit form, the whole path in UTF-16 after it, and the
    // UTF-16 form is the one read back.
    THyperLink wide = Link(hl_LocalFile, u"C:\\\u734e\u54c1.xls");
    THLinkRecord w = NewLink(wide);
    ExpectSame(w.GetProperties(), wide);
    EXPECT_EQ(w.Data()[moniker + 6 + 3], '?');
    EXPECT_EQ(GetLongWord(w.Data(), moniker + 6 + 10 + 24), 2u * 9 + 6);

    // An empty file address: a single zero byte.
    THLinkRecord e = NewLink(Link(hl_LocalFile, u""));
    EXPECT_EQ(GetLongWord(e.Data(), moniker + 2), 1u);
    EXPECT_EQ(e.GetProperties().Address, u"");
    EXPECT_EQ(e.GetProperties().Kind, hl_LocalFile);

    for (const THyperLink& l : {Link(hl_UNC, u"\\\\srv\\share\\b.xls", u"", u"unc"),
                                Link(hl_CurrentWorkbook, u"", u"Other!B2", u"", u"", u"go"),
                                Link(hl_URL, u"", u"", u"", u"", u"")}) {
        THLinkRecord x = NewLink(l);
        ExpectSame(x.GetProperties(), l);
    }
}

TEST(HyperLinks, TipFollowsTheLinkAndGoesWithAnEmptyText)
{
    THLinkRecord r = NewLink(Link(hl_URL, u"http://x", {}, {}, {}, u"see"), 7, 1);
    r.SetCellRange({1, 9, 2, 12});
    ByteArray out = WriteWorkbook([&](TOle2File& f) { r.SaveToStream(f); });
    ASSERT_EQ(static_cast<Int64>(out.size()), r.TotalSize());
    const size_t tip = 4 + r.DataSize();
    EXPECT_EQ(GetWord(out.data(), (Integer)tip), xlr_QUICKTIP);
    EXPECT_EQ(GetWord(out.data(), (Integer)tip + 4), xlr_QUICKTIP);
    EXPECT_EQ(GetWord(out.data(), (Integer)tip + 6), 9);
    EXPECT_EQ(GetWord(out.data(), (Integer)tip + 8), 12);
    EXPECT_EQ(GetWord(out.data(), (Integer)tip + 10), 1);
    EXPECT_EQ(GetWord(out.data(), (Integer)tip + 12), 2);

    // Inside a list the running total follows the tip's removal.
    THLinkList list;
    list.Add(r.CopyTo());
    THyperLink l = list.GetItems(0)->GetProperties();
    l.ScreenTip.clear();
    list.GetItems(0)->SetProperties(l);
    EXPECT_EQ(list.GetItems(0)->Hint(), nullptr);
    EXPECT_EQ(list.TotalSize(), list.ComputedTotalSize());
    EXPECT_EQ(list.TotalSize(), 4 + list.GetItems(0)->DataSize());

    // A tip too short to hold its text reads as empty and is written back as it was.
    TScreenTipRecord shortTip(xlr_QUICKTIP, Bytes({0x00, 0x08, 1, 0}));
    EXPECT_EQ(shortTip.GetText(), u"");
    shortTip.SetLastCol(5);
    EXPECT_EQ(shortTip.DataSize(), 4);
}

TEST(HyperLinks, LinksWithoutAKnownTargetReadAsThisWorkbook)
{
    THLinkRecord r = NewLink(Link(hl_URL, u"http://example.com", u"A1"));
    // An extra GUID part: no kind is given, whatever follows.
    r.SetOptionFlags(r.GetOptionFlags() | 0x0020);
    EXPECT_EQ(r.GetProperties().Kind, hl_CurrentWorkbook);
    EXPECT_EQ(r.GetProperties().Address, u"");
    // Another moniker (here a URL link without the absolute flag) stands before the location,
    // whose place is then unknown: it is not guessed.
    THLinkRecord m = NewLink(Link(hl_URL, u"http://example.com", u"A1"));
    m.SetOptionFlags(m.GetOptionFlags() & ~0x0002);
    EXPECT_EQ(m.GetProperties().Kind, hl_CurrentWorkbook);
    EXPECT_EQ(m.GetProperties().Location, u"");
}

// Damaged bodies: every truncation and counts near the limits stay inside the record (the
// sanitizer build checks the reads) and give what was read before the damage.
TEST(HyperLinks, DamagedBodiesStayInsideTheRecord)
{
    THyperLink all = Link(hl_LocalFile, u"..\\\u734e.xls", u"Loc", u"Text", u"Frame");
    THLinkRecord full = NewLink(all);
    const ByteArray body = Body(full);
    for (size_t n = 32; n < body.size(); ++n) {
        THLinkRecord cut(xlr_HLINK, TRecordBody(body.data(), body.data() + n));
        const THyperLink l = cut.GetProperties();
        EXPECT_LE(l.Address.size(), all.Address.size());
    }
    for (LongWord count : {0x7FFFFFFFu, 0x80000000u, 0xFFFFFFFFu, 0u, 1u}) {
        ByteArray b = body;
        SetLongWord(b.data(), 32, count); // the description's count
        THLinkRecord bad(xlr_HLINK, b);
        const THyperLink l = bad.GetProperties();
        if (count > 5) {
            EXPECT_EQ(l.DisplayText, u"") << count;
        }
    }
    EXPECT_THROW(THLinkRecord(xlr_HLINK, TRecordBody(body.data(), body.data() + 31)), EExcelException);
}

TEST(HyperLinks, ListMovesCopiesAndDeletesWithRows)
{
    const TSheetInfo si = ThisSheet();
    auto at = [](Integer Row, Integer LastRow = -1) {
        return std::make_unique<THLinkRecord>(
            TXlsCellRange{0, Row, 0, LastRow < 0 ? Row : LastRow},
            Link(hl_URL, u"http://r" + WideString(1, char16_t('0' + Row % 10))));
    };
    // Two copies of rows 3..4 at row 10.
    THLinkList list;
    list.Add(at(12));
    list.Add(at(9));
    list.Add(at(3));
    list.InsertAndCopyRange({0, 3, 255, 4}, 10, 0, 2, 0, si);
    std::vector<std::pair<Integer, Integer>> rows;
    list.Sort();
    for (Integer i = 0; i < list.Count(); ++i)
        rows.emplace_back(list.GetItems(i)->GetFirstRow(), list.GetItems(i)->GetLastRow());
    EXPECT_EQ(rows, (std::vector<std::pair<Integer, Integer>>{{3, 3}, {9, 9}, {10, 10}, {12, 12}, {16, 16}}));
    EXPECT_EQ(list.TotalSize(), list.ComputedTotalSize());

    // Deleting rows 5..7: a link inside goes, a link below moves up, and links reaching into
    // the deleted rows keep what is left of them.
    THLinkList del;
    del.Add(at(5, 6));
    del.Add(at(9));
    del.Add(at(4, 6));
    del.Add(at(6, 9));
    del.DeleteRange({0, 5, 255, 7}, 1, 0, si);
    rows.clear();
    for (Integer i = 0; i < del.Count(); ++i)
        rows.emplace_back(del.GetItems(i)->GetFirstRow(), del.GetItems(i)->GetLastRow());
    EXPECT_EQ(rows, (std::vector<std::pair<Integer, Integer>>{{6, 6}, {4, 4}, {5, 6}}));

    // Deleting the first rows of the sheet never fails on a link that starts inside them.
    THLinkList top;
    top.Add(at(1, 5));
    top.Add(at(0, 2));
    top.DeleteRange({0, 0, 255, 2}, 1, 0, si);
    ASSERT_EQ(top.Count(), 1);
    EXPECT_EQ(top.GetItems(0)->GetFirstRow(), 0);
    EXPECT_EQ(top.GetItems(0)->GetLastRow(), 2);

    // Another sheet's change moves nothing; a move past the last row fails.
    TSheetInfo other = si;
    other.InsSheet = 1;
    THLinkList last;
    last.Add(at(65535));
    last.InsertAndCopyRange({0, 0, 255, 0}, 0, 0, 1, 0, other);
    EXPECT_EQ(last.GetItems(0)->GetFirstRow(), 65535);
    EXPECT_THROW(last.InsertAndCopyRange({0, 0, 255, 0}, 0, 0, 1, 0, si), EExcelException);

    // Objects copied from another sheet's list.
    THLinkList copy;
    copy.CopyObjectsFrom(list, {0, 3, 0, 10}, 100, 1);
    ASSERT_EQ(copy.Count(), 3);
    EXPECT_EQ(copy.GetItems(0)->GetCellRange(), (TXlsCellRange{1, 103, 1, 103}));
}

// Links the engine wrote, put into a LibreOffice workbook in place of its own, read in xlrd as
// written: kind, target, description, location and tip.
TEST(HyperLinks, XlrdReadsTheLinksTheEngineWrote)
{
    const ByteArray doc = Fixture("drawings/lo-links.xls");
    const ByteArray stream = ReadStream(doc, u"Workbook");
    THLinkList list;
    list.Add(std::make_unique<THLinkRecord>(
        TXlsCellRange{1, 4, 1, 4}, Link(hl_URL, u"https://example.org/x", u"", u"Web", u"", u"Open it")));
    list.Add(std::make_unique<THLinkRecord>(
        TXlsCellRange{0, 0, 0, 0}, Link(hl_LocalFile, u"..\\..\\data\\a.xls", u"Sheet1!A1", u"File")));
    list.Add(std::make_unique<THLinkRecord>(TXlsCellRange{0, 1, 0, 1},
                                            Link(hl_LocalFile, u"C:\\\u734e\u54c1.xls")));
    list.Add(std::make_unique<THLinkRecord>(TXlsCellRange{0, 2, 0, 2},
                                            Link(hl_UNC, u"\\\\srv\\share\\b.xls", u"", u"Unc")));
    list.Add(std::make_unique<THLinkRecord>(TXlsCellRange{0, 3, 0, 3},
                                            Link(hl_CurrentWorkbook, u"", u"Links!C5", u"", u"", u"Here")));
    ByteArray links = WriteWorkbook([&](TOle2File& f) { list.SaveToStream(f); });
    EXPECT_EQ(static_cast<Int64>(links.size()), list.TotalSize());

    // The sheet is the workbook's last: its own links are left out and the engine's go before its EOF.
    ByteArray spliced;
    const std::vector<TRawRecord> recs = Walk(stream);
    for (const TRawRecord& r : recs) {
        if (&r == &recs.back())
            spliced.insert(spliced.end(), links.begin(), links.end());
        if (r.Id != xlr_HLINK && r.Id != xlr_QUICKTIP)
            spliced.insert(spliced.end(), stream.begin() + (long)r.Pos,
                           stream.begin() + (long)r.Pos + 4 + r.Size);
    }
    ASSERT_EQ(LoadLinks(spliced).size(), 5u);

    if (!HavePython("xlrd"))
        return uitest::SkipMissing("python3-xlrd is not installed");
    TempDir dir;
    TOle2MemoryStream in(doc), out;
    {
        TOle2File f(&in);
        f.PrepareForWrite(&out, u"Workbook", {});
        f.WriteMem(spliced.data(), static_cast<Integer>(spliced.size()));
        f.FinishStream();
    }
    SaveFile(dir.File("out.xls"), out.Bytes());
    const std::string script = R"(
import sys, xlrd
sh = xlrd.open_workbook(sys.argv[1]).sheet_by_index(0)
for h in sh.hyperlink_list:
    print('|'.join(str(x) for x in (h.frowx, h.fcolx, h.type, h.url_or_path, h.desc, h.textmark, h.quicktip)))
)";
    std::string output;
    ASSERT_EQ(RunPython(script, dir.File("out.xls"), output), 0) << output;
    // xlrd gives a path with up-levels and no UTF-16 form as the repr of a byte string.
    EXPECT_EQ(output, "0|0|local file|b'..\\\\..\\\\data\\\\a.xls'|File|Sheet1!A1|None\n"
                      "1|0|local file|C:\\\xe7\x8d\x8e\xe5\x93\x81.xls|None|None|None\n"
                      "2|0|unc|\\\\srv\\share\\b.xls|Unc|None|None\n"
                      "3|0|workbook|None|None|Links!C5|Here\n"
                      "4|1|url|https://example.org/x|Web|None|Open it\n");
}
