// A workbook that LibreOffice wrote (pictures, comments, a hyperlink), loaded by the engine, given
// a new picture, comment and link, and written back: python3-xlrd and LibreOffice read the
// comments, links and pictures of the result. The engine's own parts replace the file's drawing
// records, NOTE and HLINK records; every other record is the file's.

#include "RudUvud/xlsadapter/XlsHyperLink.h"
#include "platform/testing/Commands.h"
#include "platform/testing/FileContents.h"

#include "DrawingTestSupport.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

using namespace xlstest;

namespace {

struct TRaw {
    size_t Pos;
    Word Id;
    Word Size;
};

std::vector<TRaw> Walk(const ByteArray& S)
{
    std::vector<TRaw> out;
    for (size_t p = 0; p + 4 <= S.size();) {
        TRaw r{p, GetWord(S.data(), (Integer)p), GetWord(S.data(), (Integer)p + 2)};
        if (p + 4 + r.Size > S.size())
            break;
        out.push_back(r);
        p += 4 + r.Size;
    }
    while (!out.empty() && out.back().Id != xlr_EOF)
        out.pop_back();
    return out;
}

template <class T> ByteArray Saved(T& Part)
{
    return WriteWorkbook([&](TOle2File& f) { Part.SaveToStream(f); });
}

// The workbook stream with the engine's drawing group, and per sheet its drawing, NOTE and HLINK
// records in place of the file's; BOUNDSHEET offsets follow the moved sheets.
ByteArray Rebuild(const ByteArray& Stream, TLoadedDrawings& D, std::vector<THLinkList>& Links)
{
    ByteArray out;
    std::vector<size_t> boundSheets, bofs;
    const ByteArray group = Saved(D.Group);
    Int64 skipUntil = -1;
    int sheet = -1;
    for (const TRaw& r : Walk(Stream)) {
        const Int64 at = static_cast<Int64>(r.Pos);
        if (at < skipUntil)
            continue;
        if (at == D.GroupStart) {
            out.insert(out.end(), group.begin(), group.end());
            skipUntil = D.GroupEnd;
            continue;
        }
        if (sheet >= 0 && at == D.Spans[(size_t)sheet].first) {
            ByteArray dwg = Saved(*D.Sheets[(size_t)sheet]);
            ByteArray notes = Saved(*D.Notes[(size_t)sheet]);
            out.insert(out.end(), dwg.begin(), dwg.end());
            out.insert(out.end(), notes.begin(), notes.end());
            skipUntil = D.Spans[(size_t)sheet].second;
            continue;
        }
        if (r.Id == xlr_NOTE || r.Id == xlr_HLINK || r.Id == xlr_QUICKTIP)
            continue;
        if (r.Id == 0x0809) {
            bofs.push_back(out.size());
            sheet = static_cast<int>(bofs.size()) - 2;
        }
        if (r.Id == 0x0085)
            boundSheets.push_back(out.size());
        if (r.Id == xlr_EOF && sheet >= 0) {
            ByteArray links = Saved(Links[(size_t)sheet]);
            out.insert(out.end(), links.begin(), links.end());
        }
        out.insert(out.end(), Stream.begin() + (long)r.Pos, Stream.begin() + (long)r.Pos + 4 + r.Size);
    }
    for (size_t k = 0; k < boundSheets.size() && k + 1 < bofs.size(); ++k)
        SetLongWord(out.data(), (Integer)boundSheets[k] + 4, static_cast<LongWord>(bofs[k + 1]));
    return out;
}

} // namespace

TEST(DrawingsCrossCheck, OtherReadersReadWhatTheEngineWrote)
{
    const ByteArray doc = Fixture("drawings/lo-drawing.xls");
    const ByteArray stream = ReadStream(doc, u"Workbook");
    TLoadedDrawings d(stream);
    ASSERT_EQ(d.Sheets.size(), 2u);
    std::vector<THLinkList> links(2);
    {
        BiffStream s(stream);
        int sheet = -1;
        for (auto& r : s.LoadAll()) {
            if (r->Id() == 0x0809)
                ++sheet;
            if (dynamic_cast<THLinkRecord*>(r.get()) && sheet >= 1)
                links[(size_t)sheet - 1].Add(std::move(r));
        }
    }
    ASSERT_EQ(links[0].Count(), 1);

    // Unchanged, the rebuilt stream is the file's own.
    const ByteArray same = Rebuild(stream, d, links);
    EXPECT_EQ(same, ByteArray(stream.begin(), stream.begin() + (long)same.size()));

    // The engine's additions: a picture and a comment on the second sheet, a link with a tip on
    // each sheet.
    TPlainSheet sheet;
    TImageProperties pic;
    pic.StartRow = 3;
    pic.StartCol = 1;
    pic.EndRow = 6;
    pic.EndCol = 3;
    pic.PictureName = u"Engine";
    d.Sheets[1]->AddImage(Fixture("drawings/blue.png"), xli_Png, pic, at_MoveAndResize, &sheet);
    TImageProperties box;
    box.StartRow = 4;
    box.StartCol = 3;
    box.EndRow = 7;
    box.EndCol = 5;
    d.Notes[1]->AddNewComment(4, 2, u"Engine comment \u734e", *d.Sheets[1], box, &sheet);
    THyperLink l;
    l.Kind = hl_URL;
    l.Address = u"https://example.org/engine";
    l.ScreenTip = u"Engine tip";
    links[0].Add(std::make_unique<THLinkRecord>(TXlsCellRange{3, 2, 3, 2}, l));
    l.Kind = hl_CurrentWorkbook;
    l.Address.clear();
    l.Location = u"Prizes!A1";
    links[1].Add(std::make_unique<THLinkRecord>(TXlsCellRange{0, 1, 0, 1}, l));
    const ByteArray rebuilt = Rebuild(stream, d, links);

    TempDir dir;
    TOle2MemoryStream in(doc), out;
    {
        TOle2File f(&in);
        f.PrepareForWrite(&out, u"Workbook", {});
        f.WriteMem(rebuilt.data(), static_cast<Integer>(rebuilt.size()));
        f.FinishStream();
    }
    const std::string file = dir.File("engine.xls");
    SaveFile(file, out.Bytes());

    // The engine reads its own file back: pictures and comments.
    {
        TLoadedDrawings again(ReadStream(out.Bytes(), u"Workbook"));
        ASSERT_EQ(again.Sheets.size(), 2u);
        EXPECT_EQ(again.Sheets[1]->DrawingCount(), 2);
        auto* n = static_cast<TNoteRecord*>(again.Notes[1]->Find(4, 2));
        ASSERT_NE(n, nullptr);
        EXPECT_EQ(n->GetText(), u"Engine comment \u734e");
    }

    if (!HavePython("xlrd"))
        return uitest::SkipMissing("python3-xlrd is not installed");
    const std::string script = R"(
import sys, xlrd
b = xlrd.open_workbook(sys.argv[1], formatting_info=True)
for sh in b.sheets():
    for k in sorted(sh.cell_note_map):
        print(sh.name, 'note', k, sh.cell_note_map[k].text)
    for h in sh.hyperlink_list:
        print(sh.name, 'link', h.frowx, h.fcolx, h.type, h.url_or_path, h.textmark, h.quicktip)
)";
    std::string output;
    ASSERT_EQ(RunPython(script, file, output), 0) << output;
    EXPECT_EQ(output, "Prizes note (0, 1) First prize\nred one\n"
                      "Prizes note (1, 2) \xe9\x9b\xbb\xe8\xa6\x96\xe6\xa9\x9f comment\n"
                      "Prizes link 1 0 url https://example.com/ None None\n"
                      "Prizes link 2 3 url https://example.org/engine None Engine tip\n"
                      "Second note (0, 0) Second sheet note\n"
                      "Second note (4, 2) Engine comment \xe7\x8d\x8e\n"
                      "Second link 1 0 workbook None Prizes!A1 Engine tip\n");

    // LibreOffice, when installed, shows the four pictures, the new one among them, and the link.
    // (Its headless conversion leaves the comments of any xls file out, its own ones too: xlrd
    // checks those above.)
    if (!uitest::HaveCommand("soffice"))
        return uitest::SkipMissing("LibreOffice is not installed");
    const std::string cmd = "cd " + dir.Path().string() + " && soffice -env:UserInstallation=file://" +
                            dir.Path().string() +
                            "/profile --headless --norestore --convert-to fods engine.xls >/dev/null 2>&1";
    ASSERT_EQ(std::system(cmd.c_str()), 0);
    const std::string fods = uitest::ReadWholeFile(dir.File("engine.fods"));
    size_t frames = 0;
    for (size_t p = fods.find("<draw:image"); p != std::string::npos; p = fods.find("<draw:image", p + 1))
        ++frames;
    EXPECT_EQ(frames, 4u);
    EXPECT_NE(fods.find("https://example.org/engine"), std::string::npos);
}
