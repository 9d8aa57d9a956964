// The drawing group and the sheet drawings: streams another program wrote load and write back
// unchanged, new drawings get the numbers they must, pictures go in and come out as the same
// files, shapes follow row edits, and damaged streams fail cleanly.

#include "RudUvud/xlsadapter/XlsClientData.h"
#include "RudUvud/xlsadapter/XlsDrawing.h"
#include "platform/rtl/Streams.h"

#include "DrawingTestSupport.h"

#include <gtest/gtest.h>

using namespace xlstest;

namespace {

ByteArray Segment(const ByteArray& S, Int64 From, Int64 To)
{
    return ByteArray(S.begin() + static_cast<long>(From), S.begin() + static_cast<long>(To));
}

TImageProperties Place(Integer Row, Integer Col, Integer Rows = 2, Integer Cols = 2,
                       const WideString& Name = {})
{
    TImageProperties p;
    p.StartRow = Row;
    p.StartCol = Col;
    p.EndRow = Row + Rows;
    p.EndCol = Col + Cols;
    p.PictureName = Name;
    return p;
}

TSheetInfo ThisSheet()
{
    TSheetInfo si;
    si.InsSheet = 0;
    si.FormulaSheet = 0;
    return si;
}

ByteArray PictureOut(const TDrawing& D, Integer N, TXlsImgTypes& Type)
{
    TMemoryStream m;
    D.GetDrawingFromStream(N, m, Type);
    const Byte* b = static_cast<const Byte*>(m.Memory());
    return ByteArray(b, b + m.Size());
}

// Records written by a save, as (id, size) pairs.
std::vector<std::pair<Word, Word>> Framing(const ByteArray& S)
{
    std::vector<std::pair<Word, Word>> out;
    for (size_t p = 0; p + 4 <= S.size(); p += 4 + GetWord(S.data(), (Integer)p + 2))
        out.emplace_back(GetWord(S.data(), (Integer)p), GetWord(S.data(), (Integer)p + 2));
    return out;
}

} // namespace

// The drawing group and both sheet drawings of a LibreOffice workbook (pictures, one of them on
// both sheets, comments) load and write back byte for byte, at the size they announce.
TEST(Drawings, AnotherWritersDrawingsWriteBackByteForByte)
{
    const ByteArray stream = ReadStream(Fixture("drawings/lo-drawing.xls"), u"Workbook");
    TLoadedDrawings d(stream);
    ASSERT_GT(d.GroupStart, 0);
    ByteArray group = WriteWorkbook([&](TOle2File& f) { d.Group.SaveToStream(f); });
    EXPECT_EQ(static_cast<Int64>(group.size()), d.Group.TotalSize());
    EXPECT_EQ(group, Segment(stream, d.GroupStart, d.GroupEnd));

    ASSERT_EQ(d.Sheets.size(), 2u);
    for (size_t i = 0; i < d.Sheets.size(); ++i) {
        SCOPED_TRACE(i);
        ASSERT_GT(d.Spans[i].first, 0);
        ByteArray out = WriteWorkbook([&](TOle2File& f) { d.Sheets[i]->SaveToStream(f); });
        EXPECT_EQ(static_cast<Int64>(out.size()), d.Sheets[i]->TotalSize());
        EXPECT_EQ(out, Segment(stream, d.Spans[i].first, d.Spans[i].second));
    }
    EXPECT_EQ(d.Sheets[0]->DrawingCount(), 2);
    EXPECT_EQ(d.Sheets[1]->DrawingCount(), 1);
    EXPECT_EQ(d.Sheets[0]->GetDrawingName(1), u"Blue");

    // The pictures come out as the files that went in.
    TXlsImgTypes type;
    EXPECT_EQ(PictureOut(*d.Sheets[0], 0, type), Fixture("drawings/red.png"));
    EXPECT_EQ(type, xli_Png);
    EXPECT_EQ(PictureOut(*d.Sheets[0], 1, type), Fixture("drawings/blue.png"));
    EXPECT_EQ(PictureOut(*d.Sheets[1], 0, type), Fixture("drawings/red.png"));
    EXPECT_THROW(d.Sheets[1]->GetDrawingName(1), EExcelException);
    EXPECT_THROW(d.Sheets[1]->GetAnchor(-1), EExcelException);
}

// A new workbook's first picture: the numbers a reader checks the drawing by.
TEST(Drawings, FirstPictureOfANewWorkbook)
{
    TPlainSheet sheet;
    TDrawingGroup group;
    group.EnsureDwgGroup();
    TDrawing d(&group);
    const ByteArray png = Fixture("drawings/red.png");
    d.AddImage(png, xli_Png, Place(1, 1, 3, 2, u"Prize"), at_MoveAndResize, &sheet);

    TEscherDggRecord* dgg = group.GetRecordCache()->DggRecord;
    ASSERT_NE(dgg, nullptr);
    EXPECT_EQ(dgg->ShapeIdLimit(), 1026u);
    EXPECT_EQ(dgg->SavedShapes(), 2u);
    EXPECT_EQ(dgg->SavedDrawings(), 2u);
    ASSERT_EQ(dgg->SlotCount(), 1);
    EXPECT_EQ(dgg->ClusterDrawing(0), 1u);
    EXPECT_EQ(dgg->ClusterIdsUsed(0), 2u);
    TEscherBStoreRecord* store = group.GetRecordCache()->BStoreRecord;
    ASSERT_NE(store, nullptr);
    ASSERT_EQ(store->Children().Count(), 1);
    EXPECT_EQ(store->Entry(1)->References(), 1u);

    const TEscherDwgCache& c = d.Caches();
    EXPECT_EQ(c.DgRecord->DrawingId(), 1);
    EXPECT_EQ(c.DgRecord->ShapesInDrawing(), 2u);
    EXPECT_EQ(c.DgRecord->LastShapeId(), 1025u);
    ASSERT_EQ(c.ShapeList->Count(), 2);
    c.ShapeList->Sort();
    EXPECT_EQ(c.ShapeList->Shape(0)->ShapeId(), 1024u);
    EXPECT_EQ(c.ShapeList->Shape(1)->ShapeId(), 1025u);
    EXPECT_EQ(c.ObjList->Obj(0)->ObjId(), 1);
    EXPECT_EQ(d.GetAnchor(0).StartRow, 1);
    EXPECT_EQ(d.GetDrawingRow(0), 1);

    TXlsImgTypes type;
    EXPECT_EQ(PictureOut(d, 0, type), png);
    EXPECT_EQ(type, xli_Png);

    // Written: MSODRAWING, OBJ, and nothing after the OBJ; the size is what was announced, and
    // the written drawing loads again with its picture.
    ByteArray out = WriteWorkbook([&](TOle2File& f) { d.SaveToStream(f); });
    EXPECT_EQ(static_cast<Int64>(out.size()), d.TotalSize());
    auto frames = Framing(out);
    ASSERT_EQ(frames.size(), 2u);
    EXPECT_EQ(frames[0].first, xlr_MSODRAWING);
    EXPECT_EQ(frames[1].first, xlr_OBJ);
    EXPECT_EQ(frames[1].second, 38);
}

TEST(Drawings, OnePictureStoredOnceForTwoSheetsAndBlankForNone)
{
    TPlainSheet sheet;
    TDrawingGroup group;
    group.EnsureDwgGroup();
    TDrawing a(&group), b(&group);
    const ByteArray png = Fixture("drawings/blue.png");
    a.AddImage(png, xli_Png, Place(0, 0), at_MoveAndResize, &sheet);
    b.AddImage(png, xli_Png, Place(4, 4), at_MoveAndResize, &sheet);
    TEscherBStoreRecord* store = group.GetRecordCache()->BStoreRecord;
    ASSERT_EQ(store->Children().Count(), 1);
    EXPECT_EQ(store->Entry(1)->References(), 2u);
    EXPECT_EQ(b.Caches().DgRecord->DrawingId(), 2);

    b.AddImage({}, xli_Png, Place(8, 0), at_MoveAndResize, &sheet);
    TXlsImgTypes type;
    ByteArray blank = PictureOut(b, 1, type);
    EXPECT_EQ(type, xli_Bmp);
    ASSERT_EQ(blank.size(), 14u + 54u);
    EXPECT_EQ(ByteArray(blank.begin() + 14, blank.end()), BlankPicture());

    // Deleting the picture from one sheet keeps the entry for the other; clearing the other
    // frees it.
    b.DeleteImage(0);
    EXPECT_EQ(store->Entry(1)->References(), 1u);
    a.ClearImage(0);
    EXPECT_EQ(PictureOut(a, 0, type), blank);
    ASSERT_EQ(store->Children().Count(), 1); // the blank picture, shared by both sheets
    EXPECT_EQ(store->Entry(1)->References(), 2u);
    EXPECT_THROW(a.DeleteImage(1), EExcelException);
}

TEST(Drawings, AutofilterArrowsComeAndGoAlone)
{
    TPlainSheet sheet;
    TDrawingGroup group;
    group.EnsureDwgGroup();
    TDrawing d(&group);
    d.AddImage(Fixture("drawings/red.png"), xli_Png, Place(5, 0), at_MoveAndResize, &sheet);
    TEscherClientDataRecord* note = d.AddNewComment(Place(1, 6), &sheet);
    d.AddAutoFilter(0, 2, 4, &sheet);
    const TEscherDwgCache& c = d.Caches();
    ASSERT_EQ(c.AnchorList->Count(), 5);
    for (int i = 0; i < 3; ++i) {
        TClientAnchor a = c.AnchorList->Anchor(2 + i)->GetAnchor();
        EXPECT_EQ(a.AnchorFlags & 3, 1);
        EXPECT_EQ(a.StartCol, 2 + i);
        EXPECT_EQ(a.EndCol, 3 + i);
        EXPECT_EQ(a.StartRow, 0);
        EXPECT_EQ(a.EndRow, 1);
    }
    d.AddAutoFilter(0, 3, 2, &sheet); // nothing for an empty column range
    EXPECT_EQ(c.AnchorList->Count(), 5);
    d.RemoveAutoFilter();
    EXPECT_EQ(c.AnchorList->Count(), 2);
    EXPECT_EQ(d.DrawingCount(), 1);
    EXPECT_EQ(d.FindObjId(note->ObjId()), note);

    // A sheet without any drawing has no arrows to remove.
    TDrawing empty(&group);
    EXPECT_NO_THROW(empty.RemoveAutoFilter());
}

// Deleted rows take a picture that moves and resizes with them (and its store entry); a picture
// that keeps its size moves up instead. Copied rows copy the pictures inside them.
TEST(Drawings, PicturesFollowRowEdits)
{
    TPlainSheet sheet;
    TDrawingGroup group;
    group.EnsureDwgGroup();
    TDrawing d(&group);
    d.AddImage(Fixture("drawings/red.png"), xli_Png, Place(5, 0, 1), at_MoveAndResize, &sheet);
    d.AddImage(Fixture("drawings/blue.png"), xli_Png, Place(5, 3, 1), at_MoveAndDontResize, &sheet);
    d.AddImage(Fixture("drawings/blue.png"), xli_Png, Place(20, 3, 1), at_MoveAndResize, &sheet);
    TEscherBStoreRecord* store = group.GetRecordCache()->BStoreRecord;
    ASSERT_EQ(store->Children().Count(), 2);

    d.DeleteRows(4, 3, ThisSheet(), &sheet);
    ASSERT_EQ(d.DrawingCount(), 2);
    EXPECT_EQ(store->Children().Count(), 1);
    EXPECT_EQ(d.GetAnchor(0).StartRow, 4);
    EXPECT_EQ(d.GetAnchor(1).StartRow, 17);

    // Another sheet's change leaves the shapes where they are.
    TSheetInfo other = ThisSheet();
    other.InsSheet = 1;
    d.ArrangeInsertRowsAndCols(0, 10, 0, 0, other, &sheet);
    EXPECT_EQ(d.GetAnchor(1).StartRow, 17);

    // Rows 15..19 copied twice to row 30: the kind 0 picture in them is copied twice, with new
    // shape and object ids.
    d.InsertAndCopyRowsAndCols(15, 19, 30, 2, 0, 0, 0, 0, ThisSheet(), &sheet);
    ASSERT_EQ(d.DrawingCount(), 4);
    EXPECT_EQ(d.GetAnchor(2).StartRow, 32);
    EXPECT_EQ(d.GetAnchor(3).StartRow, 37);
    std::vector<Word> ids;
    for (Integer i = 0; i < d.Caches().ObjList->Count(); ++i)
        ids.push_back(d.Caches().ObjList->Obj(i)->ObjId());
    std::sort(ids.begin(), ids.end());
    EXPECT_EQ(std::unique(ids.begin(), ids.end()), ids.end());
    EXPECT_EQ(store->Entry(1)->References(), 4u); // two pictures and two copies

    ByteArray out = WriteWorkbook([&](TOle2File& f) { d.SaveToStream(f); });
    EXPECT_EQ(static_cast<Int64>(out.size()), d.TotalSize());
}

// A drawing copied with its sheet: new drawing and shape ids, the same object ids, pictures
// referenced once more.
TEST(Drawings, CopiedSheetDrawing)
{
    const ByteArray stream = ReadStream(Fixture("drawings/lo-drawing.xls"), u"Workbook");
    TLoadedDrawings d(stream);
    TPlainSheet sheet;
    TDrawing copy(&d.Group);
    copy.CopyFrom(*d.Sheets[0], &sheet);
    EXPECT_EQ(copy.DrawingCount(), 2);
    EXPECT_NE(copy.Caches().DgRecord->DrawingId(), d.Sheets[0]->Caches().DgRecord->DrawingId());
    EXPECT_EQ(copy.Caches().ObjList->Count(), d.Sheets[0]->Caches().ObjList->Count());
    EXPECT_EQ(copy.Caches().ObjList->Obj(0)->ObjId(), d.Sheets[0]->Caches().ObjList->Obj(0)->ObjId());
    TXlsImgTypes type;
    EXPECT_EQ(PictureOut(copy, 1, type), Fixture("drawings/blue.png"));
    ByteArray out = WriteWorkbook([&](TOle2File& f) { copy.SaveToStream(f); });
    EXPECT_EQ(static_cast<Int64>(out.size()), copy.TotalSize());
}

// Damaged drawings: every cut of a sheet's drawing records, and records of the wrong kind where
// the stream goes on, fail with the engine's error and leave the drawing empty; the reader stops
// at a record boundary, so what follows in the sheet can still be read.
TEST(Drawings, DamagedStreamsFailCleanly)
{
    const ByteArray stream = ReadStream(Fixture("drawings/lo-drawing.xls"), u"Workbook");
    TLoadedDrawings good(stream);
    const auto [from, to] = good.Spans[0];
    const ByteArray part = Segment(stream, from, to);

    TDrawingGroup& group = good.Group; // the pictures the sheet refers to are in its own workbook's store
    std::string last;
    auto attempt = [&](const ByteArray& Records) {
        ByteArray in = Records;
        PutRecord(in, 0x0203, ByteArray(14, 0)); // a cell after the drawing
        BiffStream s(in);
        TRecordHeader h;
        ReadRecordHeader(*s.File, h);
        std::unique_ptr<TBaseRecord> first = LoadRecords(*s.File, h);
        TDrawing d(&group);
        bool failed = false;
        try {
            d.LoadFromStream(*s.File, h, std::move(first), nullptr);
        } catch (const EExcelException& e) {
            failed = true;
            last = e.Message();
            EXPECT_EQ(d.DrawingContainer(), nullptr);
            EXPECT_EQ(d.DrawingCount(), 0);
        }
        return failed;
    };
    EXPECT_FALSE(attempt(part)) << last;

    // Cut after every record of the drawing but the last: the next record is the cell, not the
    // drawing's.
    size_t cuts = 0;
    for (size_t p = 0; p + 4 < part.size(); p += 4 + GetWord(part.data(), (Integer)p + 2)) {
        if (p == 0)
            continue;
        EXPECT_TRUE(attempt(Segment(part, 0, (Int64)p))) << p;
        ++cuts;
    }
    EXPECT_GT(cuts, 5u);

    // Bytes changed one at a time inside the first MSODRAWING record (every third, to keep the
    // test short; the fuzz target goes further): never a crash, always either a drawing or the
    // engine's error.
    const Word firstSize = GetWord(part.data(), 2);
    for (Integer at = 4; at < 4 + firstSize; at += 3) {
        ByteArray bad = part;
        bad[(size_t)at] ^= 0xA5;
        attempt(bad);
    }
}

// A picture bigger than one record: the group's stream runs over CONTINUE records, loads back
// from them and writes the same bytes; a cut stream is refused and leaves the group empty.
TEST(Drawings, BigPictureSplitsTheGroupStream)
{
    TPlainSheet sheet;
    TDrawingGroup group;
    group.EnsureDwgGroup();
    TDrawing d(&group);
    ByteArray jpeg(20000);
    for (size_t i = 0; i < jpeg.size(); ++i)
        jpeg[i] = static_cast<Byte>(i * 131 + (i >> 7));
    d.AddImage(jpeg, xli_Jpeg, Place(0, 0), at_MoveAndResize, &sheet);
    const ByteArray out = WriteWorkbook([&](TOle2File& f) { group.SaveToStream(f); });
    ASSERT_EQ(static_cast<Int64>(out.size()), group.TotalSize());
    auto frames = Framing(out);
    ASSERT_EQ(frames.size(), 3u);
    EXPECT_EQ(frames[0], (std::pair<Word, Word>{xlr_MSODRAWINGGROUP, 8224}));
    EXPECT_EQ(frames[1], (std::pair<Word, Word>{xlr_CONTINUE, 8224}));

    auto load = [](const ByteArray& Records, TDrawingGroup& G) {
        BiffStream s(Records);
        TRecordHeader h;
        ReadRecordHeader(*s.File, h);
        std::unique_ptr<TBaseRecord> first = LoadRecords(*s.File, h);
        G.LoadFromStream(*s.File, h, std::move(first));
    };
    // Loaded again with its sheet (the sheet's pictures count the store entries' references).
    const ByteArray sheetOut = WriteWorkbook([&](TOle2File& f) { d.SaveToStream(f); });
    TDrawingGroup again;
    load(out, again);
    TDrawing sheetAgain(&again);
    {
        BiffStream s(sheetOut);
        TRecordHeader h;
        ReadRecordHeader(*s.File, h);
        std::unique_ptr<TBaseRecord> first = LoadRecords(*s.File, h);
        sheetAgain.LoadFromStream(*s.File, h, std::move(first), nullptr);
    }
    EXPECT_EQ(WriteWorkbook([&](TOle2File& f) { again.SaveToStream(f); }), out);
    EXPECT_EQ(WriteWorkbook([&](TOle2File& f) { sheetAgain.SaveToStream(f); }), sheetOut);
    EXPECT_THROW(load(out, again), EExcelException); // a second drawing group

    TDrawingGroup cut;
    EXPECT_THROW(load(ByteArray(out.begin(), out.begin() + 4 + 8224), cut), EExcelException);
    EXPECT_EQ(cut.GroupContainer(), nullptr);
    EXPECT_EQ(cut.TotalSize(), 0);
}
