// Drawings, comments and hyperlinks as parts of a worksheet: LibreOffice files load through the
// sheets and are written back with every drawing, OBJ, TXO, NOTE, HLINK and QUICKTIP record
// byte for byte as read; a damaged drawing costs its pictures, never the cells.

#include "RudUvud/xlsadapter/XlsSheet.h"

#include "SheetTestSupport.h"

#include <gtest/gtest.h>

using namespace xlstest;

namespace {

// The records of the drawing group and the sheets' drawings, comments and links, in stream order,
// each with the CONTINUE records that follow it.
std::vector<ByteArray> DrawingRecords(const ByteArray& S)
{
    std::vector<ByteArray> out;
    bool inChain = false;
    for (size_t p = 0; p + 4 <= S.size();) {
        const Word id = GetWord(S.data(), static_cast<Integer>(p));
        const size_t size = GetWord(S.data(), static_cast<Integer>(p) + 2);
        if (p + 4 + size > S.size())
            break;
        const bool ours = id == 0x00EB || id == 0x00EC || id == 0x005D || id == 0x01B6 || id == 0x001C ||
                          id == 0x01B8 || id == 0x0800;
        if (ours || (inChain && id == 0x003C))
            out.emplace_back(S.begin() + static_cast<std::ptrdiff_t>(p),
                             S.begin() + static_cast<std::ptrdiff_t>(p + 4 + size));
        if (id != 0x003C)
            inChain = ours;
        p += 4 + size;
    }
    return out;
}

class SheetDrawing : public ::testing::TestWithParam<const char*> {};

TEST_P(SheetDrawing, RecordsSurviveTheSheet)
{
    const ByteArray stream = ReadStream(Fixture(std::string("drawings/") + GetParam()), u"Workbook");
    TTestWorkbook book;
    book.Load(stream);
    ASSERT_FALSE(book.Sheets.empty());
    for (auto& s : book.Sheets)
        EXPECT_FALSE(s->DrawingDropped());
    const ByteArray saved = book.SaveStream();
    const std::vector<ByteArray> before = DrawingRecords(stream);
    ASSERT_FALSE(before.empty());
    EXPECT_EQ(DrawingRecords(saved), before);

    TTestWorkbook again;
    again.Load(saved);
    EXPECT_EQ(again.SaveStream(), saved);
}

INSTANTIATE_TEST_SUITE_P(LibreOffice, SheetDrawing, ::testing::Values("lo-drawing.xls", "lo-links.xls"));

TEST(SheetDrawing, PartsOfTheSheet)
{
    TTestWorkbook book;
    book.Load(ReadStream(Fixture("drawings/lo-drawing.xls"), u"Workbook"));
    TWorkSheet& first = *book.Sheets[0];
    EXPECT_GT(first.Drawing().DrawingCount(), 0);
    EXPECT_NE(first.Drawing().DrawingContainer(), nullptr);
    // Every comment found its box.
    Integer notes = 0;
    for (Integer r = 0; r < first.Notes().Count(); ++r)
        if (TNoteRecordList* l = first.Notes().GetNotes(r))
            for (Integer i = 0; i < l->Count(); ++i) {
                ++notes;
                EXPECT_NE(l->Items(i)->Dwg(), nullptr);
                EXPECT_FALSE(l->Items(i)->GetText().empty());
            }
    EXPECT_GT(notes, 0);
    Integer links = 0;
    for (auto& s : book.Sheets)
        links += s->HLinks().Count();
    EXPECT_GT(links, 0);
    // Nothing of them is kept verbatim besides.
    for (auto& s : book.Sheets)
        for (TBaseRecordList* l : {&s->FrontList(), &s->WindowList()})
            for (Integer i = 0; i < l->Count(); ++i) {
                const Word id = l->Items(i)->Id();
                EXPECT_TRUE(id != 0x00EC && id != 0x001C && id != 0x01B8 && id != 0x005D) << id;
            }

    // Clearing frees the comments before their drawing.
    first.Clear();
    EXPECT_EQ(first.Drawing().DrawingContainer(), nullptr);
    EXPECT_EQ(first.Notes().Count(), 0);
    EXPECT_EQ(first.HLinks().Count(), 0);
}

// A drawing whose bytes are cut short is dropped with its shapes' records; the cells, the
// comments' cells and everything after the drawing load.
TEST(SheetDrawing, DamagedDrawingKeepsTheCells)
{
    ByteArray stream = ReadStream(Fixture("drawings/lo-drawing.xls"), u"Workbook");
    // The first sheet's drawing root claims more bytes than there are.
    size_t bofs = 0;
    bool done = false;
    for (size_t p = 0; p + 4 <= stream.size() && !done;) {
        const Word id = GetWord(stream.data(), static_cast<Integer>(p));
        const size_t size = GetWord(stream.data(), static_cast<Integer>(p) + 2);
        if (id == 0x0809)
            ++bofs;
        if (id == 0x00EC && bofs == 2) {
            // The root's length (offset 4 of the Escher header) runs past the drawing's records.
            stream[p + 4 + 4] = 0xFF;
            stream[p + 4 + 5] = 0xFF;
            stream[p + 4 + 6] = 0xFF;
            done = true;
        }
        p += 4 + size;
    }
    ASSERT_TRUE(done);
    TTestWorkbook ref;
    ref.Load(ReadStream(Fixture("drawings/lo-drawing.xls"), u"Workbook"));
    TTestWorkbook book;
    book.Load(stream);
    ASSERT_EQ(book.Sheets.size(), ref.Sheets.size());
    TWorkSheet& first = *book.Sheets[0];
    EXPECT_TRUE(first.DrawingDropped());
    EXPECT_EQ(first.Drawing().DrawingContainer(), nullptr);
    EXPECT_EQ(first.Cells().TotalSize(), ref.Sheets[0]->Cells().TotalSize());
    EXPECT_EQ(first.HLinks().Count(), ref.Sheets[0]->HLinks().Count());
    for (Integer i = 0; i < first.WindowList().Count(); ++i)
        EXPECT_NE(first.WindowList().Items(i)->Id(), 0x005D);
    // The other sheet's drawing is untouched, and the workbook saves.
    EXPECT_FALSE(book.Sheets[1]->DrawingDropped());
    const ByteArray saved = book.SaveStream();
    TTestWorkbook again;
    again.Load(saved);
    EXPECT_EQ(again.Sheets.size(), ref.Sheets.size());
}

} // namespace
