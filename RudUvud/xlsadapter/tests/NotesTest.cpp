// Cell comments: NOTE records tied to their boxes in the sheet's drawing, new comments, texts,
// moves and copies with rows, NOTEs of damaged files, and the row index.

#include "RudUvud/xlsadapter/XlsClientData.h"
#include "RudUvud/xlsadapter/XlsNotes.h"

#include "DrawingTestSupport.h"

#include <gtest/gtest.h>

using namespace xlstest;

namespace {

TImageProperties Box(Integer Row, Integer Col)
{
    TImageProperties p;
    p.StartRow = Row;
    p.StartCol = Col + 1;
    p.EndRow = Row + 3;
    p.EndCol = Col + 3;
    return p;
}

TSheetInfo ThisSheet()
{
    TSheetInfo si;
    si.InsSheet = 0;
    si.FormulaSheet = 0;
    return si;
}

TClientAnchor AnchorOf(const TNoteRecord* N)
{
    auto* shape = dynamic_cast<TEscherSpContainerRecord*>(N->Dwg()->FindRoot());
    return shape && shape->AnchorRec ? shape->AnchorRec->GetAnchor() : TClientAnchor();
}

TNoteRecord* NoteAt(const TNoteList& L, Integer Row, Integer Col)
{
    return static_cast<TNoteRecord*>(L.Find(Row, Col));
}

// A NOTE record read from a file: row, column, options, object id and an author.
std::unique_ptr<TNoteRecord> LoadedNote(Word Row, Word Col, Word ObjId)
{
    ByteArray b(12, 0);
    SetWord(b.data(), 0, Row);
    SetWord(b.data(), 2, Col);
    SetWord(b.data(), 6, ObjId);
    return std::make_unique<TNoteRecord>(xlr_NOTE, b);
}

} // namespace

// The comments of a LibreOffice workbook find their boxes, read the texts xlrd reads, and the
// NOTE records write back as read.
TEST(Notes, CommentsOfAnotherWriter)
{
    const ByteArray stream = ReadStream(Fixture("drawings/lo-drawing.xls"), u"Workbook");
    TLoadedDrawings d(stream);
    ASSERT_EQ(d.Notes.size(), 2u);
    TNoteRecord* a = NoteAt(*d.Notes[0], 0, 1);
    TNoteRecord* b = NoteAt(*d.Notes[0], 1, 2);
    TNoteRecord* c = NoteAt(*d.Notes[1], 0, 0);
    ASSERT_TRUE(a && b && c);
    EXPECT_EQ(a->GetText(), u"First prize\nred one");
    EXPECT_EQ(b->GetText(), u"\u96fb\u8996\u6a5f comment");
    EXPECT_EQ(c->GetText(), u"Second sheet note");

    ByteArray notes = WriteWorkbook([&](TOle2File& f) { d.Notes[0]->SaveToStream(f); });
    EXPECT_EQ(static_cast<Int64>(notes.size()), d.Notes[0]->TotalSize());
    const auto at = std::search(stream.begin(), stream.end(), notes.begin(), notes.end());
    EXPECT_NE(at, stream.end()); // the two NOTE records, as LibreOffice wrote them
}

TEST(Notes, NewCommentRecordAndBox)
{
    TPlainSheet sheet;
    TDrawingGroup group;
    TDrawing drawing(&group);
    TNoteList notes;
    notes.AddNewComment(65535, 255, u"Last cell", drawing, Box(65530, 250), &sheet);
    notes.AddNewComment(2, 3, u"abc", drawing, Box(2, 3), &sheet);
    TNoteRecord* n = NoteAt(notes, 2, 3);
    ASSERT_NE(n, nullptr);
    EXPECT_EQ(n->DataSize(), 12);
    ByteArray expected(12, 0);
    SetWord(expected.data(), 0, 2);
    SetWord(expected.data(), 2, 3);
    SetWord(expected.data(), 6, n->Dwg()->ObjId());
    EXPECT_EQ(ByteArray(n->Data().get(), n->Data() + 12), expected);
    EXPECT_EQ(n->GetObjId(), 2);
    EXPECT_EQ(n->GetText(), u"abc");
    n->SetText(u"\u734e\u54c1");
    EXPECT_EQ(n->GetText(), u"\u734e\u54c1");
    EXPECT_EQ(AnchorOf(n).AnchorFlags & 3, 3);

    for (auto [row, col, text] :
         {std::tuple{65536, 0, "The index \"65536\" of the property \"Row\" is not in the range 0-65535"},
          std::tuple{-1, 0, "The index \"-1\" of the property \"Row\" is not in the range 0-65535"},
          std::tuple{0, 256, "The index \"256\" of the property \"Column\" is not in the range 0-255"}}) {
        try {
            notes.AddNewComment(row, col, u"x", drawing, Box(0, 0), &sheet);
            ADD_FAILURE() << row << " " << col;
        } catch (const EExcelException& e) {
            EXPECT_EQ(std::string(e.Message()), text);
        }
    }
    EXPECT_EQ(drawing.Caches().ObjList->Count(), 4); // two comments: an OBJ and a text box each

    // Written after the drawing: NOTE records, and the drawing's TXO with the text.
    ByteArray out = WriteWorkbook([&](TOle2File& f) {
        drawing.SaveToStream(f);
        notes.SaveToStream(f);
    });
    EXPECT_EQ(static_cast<Int64>(out.size()), drawing.TotalSize() + notes.TotalSize());

    // A comment removed with its row takes its box along.
    notes.DeleteRows(2, 1, ThisSheet());
    EXPECT_EQ(drawing.Caches().ObjList->Count(), 2);
    EXPECT_EQ(NoteAt(notes, 65534, 255)->GetText(), u"Last cell");
}

// Rows inserted above a comment move the comment and its box; copied rows give the copy its own
// box with a new object id and the same text.
TEST(Notes, CommentsFollowInsertedAndCopiedRows)
{
    TPlainSheet sheet;
    TDrawingGroup group;
    TDrawing drawing(&group);
    TNoteList notes;
    notes.AddNewComment(5, 1, u"moving", drawing, Box(5, 1), &sheet);
    drawing.SaveObjectCoords(&sheet);

    // The sheet's order: notes, then the drawing.
    notes.InsertAndCopyRows(0, 1, 0, 2, ThisSheet(), false);
    drawing.ArrangeInsertRowsAndCols(0, 4, 0, 0, ThisSheet(), &sheet);
    TNoteRecord* n = NoteAt(notes, 9, 1);
    ASSERT_NE(n, nullptr);
    EXPECT_EQ(AnchorOf(n).StartRow, 9);
    EXPECT_EQ(AnchorOf(n).EndRow, 12);

    // Copy rows 9..9 once to row 20: a second box, its own object id, the same text.
    const Word firstId = n->GetObjId();
    notes.InsertAndCopyRows(9, 9, 20, 1, ThisSheet(), false);
    drawing.InsertAndCopyRowsAndCols(9, 9, 20, 1, 0, 0, 0, 0, ThisSheet(), &sheet);
    TNoteRecord* copy = NoteAt(notes, 20, 1);
    ASSERT_NE(copy, nullptr);
    EXPECT_NE(copy->GetObjId(), firstId);
    EXPECT_NE(copy->Dwg(), NoteAt(notes, 9, 1)->Dwg());
    EXPECT_EQ(copy->GetText(), u"moving");
    EXPECT_EQ(AnchorOf(copy).StartRow, 20);
    EXPECT_EQ(drawing.Caches().ObjList->Count(), 4);
    copy->SetText(u"changed");
    EXPECT_EQ(NoteAt(notes, 9, 1)->GetText(), u"moving");

    // Deleting rows above: both move up, boxes too.
    drawing.DeleteRows(0, 2, ThisSheet(), &sheet);
    notes.DeleteRows(0, 2, ThisSheet());
    EXPECT_EQ(AnchorOf(NoteAt(notes, 7, 1)).StartRow, 7);
    EXPECT_EQ(AnchorOf(NoteAt(notes, 18, 1)).StartRow, 18);

    ByteArray out = WriteWorkbook([&](TOle2File& f) { drawing.SaveToStream(f); });
    EXPECT_EQ(static_cast<Int64>(out.size()), drawing.TotalSize());
}

// NOTEs of a damaged file: one naming a picture, two naming one box, one naming nothing. Only the
// first NOTE of a comment box is tied to it; the others read empty and take nothing with them.
TEST(Notes, NotesTieOnlyToTheirOwnCommentBoxes)
{
    TPlainSheet sheet;
    TDrawingGroup group;
    group.EnsureDwgGroup();
    TDrawing drawing(&group);
    drawing.AddImage(Fixture("drawings/red.png"), xli_Png, Box(0, 0), at_MoveAndResize, &sheet);
    TEscherClientDataRecord* box = drawing.AddNewComment(Box(4, 4), &sheet);
    const Word pictureId = drawing.Caches().ObjList->Obj(0)->ObjId();
    {
        TNoteList notes;
        notes.AddRecord(LoadedNote(1, 1, pictureId), 1);
        notes.AddRecord(LoadedNote(4, 4, box->ObjId()), 4);
        notes.AddRecord(LoadedNote(5, 5, box->ObjId()), 5);
        notes.AddRecord(LoadedNote(6, 6, 999), 6);
        notes.FixDwgIds(drawing);
        EXPECT_EQ(NoteAt(notes, 1, 1)->Dwg(), nullptr);
        EXPECT_EQ(NoteAt(notes, 4, 4)->Dwg(), box);
        EXPECT_EQ(NoteAt(notes, 5, 5)->Dwg(), nullptr);
        EXPECT_EQ(NoteAt(notes, 6, 6)->GetText(), u"");
        NoteAt(notes, 6, 6)->SetText(u"nowhere"); // does nothing
        // The box's text comes through its own NOTE only.
        NoteAt(notes, 4, 4)->SetText(u"mine");
        EXPECT_EQ(NoteAt(notes, 5, 5)->GetText(), u"");
    } // the notes go: the comment's box with them, the picture stays
    EXPECT_EQ(drawing.DrawingCount(), 1);
    EXPECT_EQ(drawing.Caches().ObjList->Count(), 1);
    EXPECT_THROW(TNoteRecord(xlr_NOTE, ByteArray(6, 0)), EExcelException);

    // A NOTE whose drawing is being taken down as a whole leaves it alone.
    auto d2 = std::make_unique<TDrawing>(&group);
    TNoteList late;
    late.AddNewComment(0, 0, u"x", *d2, Box(0, 0), &sheet);
    d2->Caches().Destroying = true;
    late.Clear();
    d2->Caches().Destroying = false;
    EXPECT_EQ(d2->Caches().ObjList->Count(), 2);
}

TEST(Notes, RowIndex)
{
    TRowComments rc;
    rc.Add(7, 4);
    rc.Add(3, 2);
    rc.Add(3, 5);
    EXPECT_EQ(rc.GetItems(3).Count(), 2);
    EXPECT_EQ(rc.GetItems(5).Count(), 0);
    Integer i;
    EXPECT_FALSE(rc.Find(5, i));
    EXPECT_EQ(i, 1);
    rc.Delete(3, 0);
    ASSERT_EQ(rc.GetItems(3).Count(), 1);
    EXPECT_EQ(rc.GetItems(3).GetItems(0), 4);
    EXPECT_EQ(rc.GetItems(7).GetItems(0), 3);
    rc.Delete(9, 0); // a row without an entry is left alone
    rc.Delete(3, 0);
    EXPECT_EQ(rc.Count(), 2); // an emptied entry stays
}
