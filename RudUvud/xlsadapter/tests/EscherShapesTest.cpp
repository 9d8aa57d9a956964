#include "RudUvud/xlsadapter/XlsEscherGraphToBSE.h"
#include "RudUvud/xlsadapter/XlsMD5.h"
#include "RudUvud/xlsadapter/tests/EscherTestSupport.h"

#include <gtest/gtest.h>

using namespace escherTest;

namespace {

ByteArray Filled(size_t N, Byte Seed = 1)
{
    ByteArray b(N);
    for (size_t i = 0; i < N; ++i)
        b[i] = static_cast<Byte>(Seed + i * 13);
    return b;
}

TClientAnchor MakeAnchor(Word Kind, Word R1, Word R2, Word C1 = 1, Word C2 = 2, Word Dy1 = 0, Word Dy2 = 0)
{
    TClientAnchor a;
    a.AnchorFlags = Kind;
    a.StartRow = R1;
    a.EndRow = R2;
    a.StartCol = C1;
    a.EndCol = C2;
    a.StartRowOffset = Dy1;
    a.EndRowOffset = Dy2;
    return a;
}

TSheetInfo ThisSheet()
{
    TSheetInfo si;
    si.InsSheet = 0;
    si.FormulaSheet = 0;
    return si;
}

TEscherBSERecord* Entry(TGroup& G, Integer I)
{
    return static_cast<TEscherBSERecord*>(G.Caches.BStoreRecord->Children().Items(I));
}

} // namespace

// Rows and columns inserted and deleted, by placement kind.
TEST(EscherAnchor, FollowsInsertedAndDeletedRowsByKind)
{
    TGroup group;
    TSheetDrawing dwg;
    BuildBasicDrawing(dwg, group);
    TFakeSheet sheet;
    auto anchorOf = [&](const TClientAnchor& A) {
        return AddPicture(dwg, group, Filled(10), xli_Png, A, &sheet)->AnchorRec;
    };

    // Kind 0, rows 5 to 7 deleted: a start inside moves to the first row after with offset 0.
    TEscherClientAnchorRecord* k0 = anchorOf(MakeAnchor(0, 6, 10, 1, 2, 100, 77));
    // Kind 2: moves, keeps its saved height in twips even where the rows now differ.
    TEscherClientAnchorRecord* k2 = anchorOf(MakeAnchor(2, 20, 22, 1, 2, 0, 0));
    // Kind 3: keeps its absolute place.
    TEscherClientAnchorRecord* k3 = anchorOf(MakeAnchor(3, 30, 32, 1, 2, 0, 0));
    k0->ArrangeInsertRowsAndCols(5, -3, 0, 0, ThisSheet(), false, &sheet);
    TClientAnchor a = k0->GetAnchor();
    EXPECT_EQ(a.StartRow, 5);
    EXPECT_EQ(a.StartRowOffset, 0);
    EXPECT_EQ(a.EndRow, 7);
    EXPECT_EQ(a.EndRowOffset, 77);

    sheet.Heights[25] = 510; // a taller row inside where the shape lands
    k3->SaveObjectCoords(&sheet);
    k2->ArrangeInsertRowsAndCols(10, 4, 0, 0, ThisSheet(), false, &sheet);
    a = k2->GetAnchor();
    EXPECT_EQ(a.StartRow, 24);
    // Two rows of 255 twips from row 24: row 24 and half of the 510-twip row 25.
    EXPECT_EQ(a.EndRow, 25);
    EXPECT_EQ(a.EndRowOffset, 128);

    k3->ArrangeInsertRowsAndCols(10, 4, 0, 0, ThisSheet(), false, &sheet);
    EXPECT_EQ(k3->GetAnchor().StartRow, 30);
    EXPECT_EQ(k3->GetAnchor().EndRow, 32);

    // Another sheet being changed leaves the anchors alone.
    TSheetInfo other;
    other.InsSheet = 1;
    other.FormulaSheet = 0;
    k0->ArrangeInsertRowsAndCols(0, 100, 0, 0, other, false, &sheet);
    EXPECT_EQ(k0->GetAnchor().StartRow, 5);

    // Pushed past the sheet's end, corners stay on the last row and column.
    TEscherClientAnchorRecord* edge = anchorOf(MakeAnchor(0, 65000, 65530, 250, 254));
    edge->ArrangeInsertRowsAndCols(100, 1000, 100, 10, ThisSheet(), false, &sheet);
    a = edge->GetAnchor();
    EXPECT_EQ(a.StartRow, 65535);
    EXPECT_EQ(a.EndRow, 65535);
    EXPECT_EQ(a.StartCol, 255);
    EXPECT_EQ(a.EndCol, 255);
}

TEST(EscherAnchor, CellArithmeticRoundsHalfToEvenAndReachesTheNextCell)
{
    TFakeSheet sheet;
    sheet.Heights[3] = 300;
    Word row = 0, off = 0;
    // The middle of a 300-twip row: 0.5 x 255 = 127.5 rounds to 128.
    EscherRowOfPos(sheet, 3 * 255 + 150, row, off);
    EXPECT_EQ(row, 3);
    EXPECT_EQ(off, 128);
    // A full offset is the start of the next cell.
    EXPECT_EQ(EscherRowPos(sheet, 3, 255), EscherRowPos(sheet, 4, 0));
    EXPECT_EQ(EscherColPos(sheet, 7, 1024), EscherColPos(sheet, 8, 0));
    // Beyond the last column the position stays in column 255 with the offset capped.
    Word col = 0;
    EscherColOfPos(sheet, Int64(300) * 2340, col, off);
    EXPECT_EQ(col, 255);
    EXPECT_EQ(off, 1024);
}

TEST(EscherAnchor, CopyAndDeleteRulesByKind)
{
    TGroup group;
    TSheetDrawing dwg;
    BuildBasicDrawing(dwg, group);
    const struct {
        Word Kind;
        bool Copy, Delete;
    } cases[] = {{0, true, true}, {1, false, false}, {2, true, false}, {3, false, false}};
    for (auto& c : cases) {
        TEscherClientAnchorRecord* a =
            AddPicture(dwg, group, Filled(10), xli_Png, MakeAnchor(c.Kind, 2, 3))->AnchorRec;
        EXPECT_EQ(a->AllowCopy(2, 3, 0, 256), c.Copy) << c.Kind;
        EXPECT_EQ(a->AllowDelete(2, 3, 0, 256), c.Delete) << c.Kind;
        EXPECT_FALSE(a->AllowCopy(3, 3, 0, 256));
    }
}

// Shape ids: a new drawing's patriarch takes the first id of its cluster, the 1024th id of a
// cluster is its last, and the next shape opens a new cluster.
TEST(EscherIds, FirstPictureNumbersAndClusterExhaustion)
{
    TGroup group;
    TSheetDrawing dwg;
    BuildBasicDrawing(dwg, group);
    TEscherSpContainerRecord* pic = AddPicture(dwg, group, Filled(50), xli_Jpeg, MakeAnchor(0, 1, 2));
    TEscherDggRecord& dgg = *group.Caches.DggRecord;
    TEscherDgRecord& dg = *dwg.Caches.DgRecord;
    EXPECT_EQ(dg.DrawingId(), 1);
    EXPECT_EQ(dg.ShapesInDrawing(), 2u);
    EXPECT_EQ(dg.LastShapeId(), 1025u);
    EXPECT_EQ(pic->ShapeRec->ShapeId(), 1025u);
    EXPECT_EQ(dgg.ShapeIdLimit(), 1026u);
    EXPECT_EQ(dgg.SavedShapes(), 2u);
    EXPECT_EQ(dgg.SavedDrawings(), 2u);
    EXPECT_EQ(dgg.SlotCount(), 1);
    EXPECT_EQ(dgg.ClusterDrawing(0), 1u);
    EXPECT_EQ(dgg.ClusterIdsUsed(0), 2u);
    EXPECT_EQ(Entry(group, 0)->References(), 1u);

    for (int i = 2; i < 1024; ++i)
        dg.IncMaxShapeId();
    EXPECT_EQ(dg.LastShapeId(), 2047u);
    EXPECT_EQ(dg.IncMaxShapeId(), 2048u); // a new cluster
    EXPECT_EQ(dgg.SlotCount(), 2);
    EXPECT_EQ(dgg.ClusterDrawing(1), 1u);

    // A second drawing gets drawing id 2 and its own cluster.
    TSheetDrawing dwg2;
    BuildBasicDrawing(dwg2, group);
    EXPECT_EQ(dwg2.Caches.DgRecord->DrawingId(), 2);
    EXPECT_EQ(dwg2.Caches.DgRecord->LastShapeId(), 3072u);
}

TEST(EscherIds, SlotCountIsBoundedByTheBody)
{
    TGroup group;
    TEscherDggRecord& dgg = *group.Caches.DggRecord;
    dgg.SetBodyLongWord(4, 0xFFFFFFF0); // a stored slot count far beyond the 16-byte body
    EXPECT_EQ(dgg.SlotCount(), 0);
    Word id = 0;
    LongWord first = 0;
    dgg.GetNewDgIdAndCluster(id, first);
    EXPECT_EQ(id, 1);
    EXPECT_EQ(first, 1024u);
    EXPECT_EQ(dgg.SlotCount(), 1);
}

// Equal pictures share one store entry; the entry goes with its last reference.
TEST(EscherPictures, EqualPicturesShareOneReferenceCountedEntry)
{
    TGroup group;
    TSheetDrawing dwg;
    BuildBasicDrawing(dwg, group);
    ByteArray png = Filled(300, 4);
    TEscherSpContainerRecord* a = AddPicture(dwg, group, png, xli_Png, MakeAnchor(0, 1, 2));
    TEscherSpContainerRecord* b = AddPicture(dwg, group, png, xli_Png, MakeAnchor(0, 5, 6));
    TEscherRecordList& store = group.Caches.BStoreRecord->Children();
    ASSERT_EQ(store.Count(), 1);
    EXPECT_EQ(Entry(group, 0)->References(), 2u);
    EXPECT_EQ(dwg.Caches.BlipList->Count(), 2);
    TEscherRecordList& shapes = dwg.Caches.PatriarchRecord->Children();
    shapes.Delete(shapes.IndexOf(a));
    ASSERT_EQ(store.Count(), 1);
    EXPECT_EQ(Entry(group, 0)->References(), 1u);
    EXPECT_EQ(dwg.Caches.BlipList->Count(), 1);
    EXPECT_EQ(dwg.Caches.DgRecord->ShapesInDrawing(), 2u);
    shapes.Delete(shapes.IndexOf(b));
    EXPECT_EQ(store.Count(), 0);
    EXPECT_EQ(dwg.Caches.BlipList->Count(), 0);
    EXPECT_EQ(dwg.Caches.AnchorList->Count(), 0);
}

// The store position in an option record's body is the entry's position at save time.
TEST(EscherPictures, StorePositionsAreWrittenAtSaveTime)
{
    TGroup group;
    TSheetDrawing dwg;
    BuildBasicDrawing(dwg, group);
    // A long picture first, then a short one: the store is sorted by length, so the second
    // picture lands before the first.
    TEscherSpContainerRecord* big = AddPicture(dwg, group, Filled(400), xli_Png, MakeAnchor(0, 1, 2));
    AddPicture(dwg, group, Filled(40), xli_Png, MakeAnchor(0, 3, 4));
    SaveStream(group.Root.get(), xlr_MSODRAWINGGROUP);
    SaveStream(dwg.Root.get());
    EXPECT_EQ(big->OptRec->BodyLongWord(2), 2u);
}

TEST(EscherPictures, BitmapsComeBackWithAFileHeader)
{
    TGroup group;
    TSheetDrawing dwg;
    BuildBasicDrawing(dwg, group);
    ByteArray dib = Filled(54, 40);
    TEscherSpContainerRecord* s = AddPicture(dwg, group, dib, xli_Bmp, MakeAnchor(0, 1, 2));
    TMemoryStream out;
    TXlsImgTypes type = xli_Unknown;
    s->OptRec->GetImageFromStream(out, type);
    EXPECT_EQ(type, xli_Bmp);
    ASSERT_EQ(out.Size(), 14 + 54);
    const Byte* p = static_cast<const Byte*>(out.Memory());
    ByteArray head(p, p + 14), body(p + 14, p + 68);
    ByteArray want(14, 0);
    want[0] = 'B';
    want[1] = 'M';
    EXPECT_EQ(head, want);
    EXPECT_EQ(body, dib);

    // A PNG comes back as it went in.
    TEscherSpContainerRecord* q = AddPicture(dwg, group, Filled(77, 3), xli_Png, MakeAnchor(0, 1, 2));
    TMemoryStream png;
    q->OptRec->GetImageFromStream(png, type);
    EXPECT_EQ(type, xli_Png);
    const Byte* pp = static_cast<const Byte*>(png.Memory());
    EXPECT_EQ(ByteArray(pp, pp + png.Size()), Filled(77, 3));
}

// Metafiles cannot be added and leave the store as it was.
TEST(EscherPictures, MetafilesAreRefused)
{
    TGroup group;
    TSheetDrawing dwg;
    BuildBasicDrawing(dwg, group);
    for (TXlsImgTypes t : {xli_Wmf, xli_Emf, xli_Unknown}) {
        try {
            AddPicture(dwg, group, Filled(20), t, MakeAnchor(0, 1, 2));
            FAIL();
        } catch (const EExcelException& e) {
            EXPECT_EQ(e.Message(), "To insert WMF files you need to instal TPngImage");
        }
        EXPECT_EQ(group.Caches.BStoreRecord->Children().Count(), 0);
    }
}

TEST(EscherPictures, EntryLayoutForAJpeg)
{
    TGroup group;
    ByteArray jpeg = Filled(1000, 2);
    std::unique_ptr<TEscherRecord> r = ConvertGraphicToBSE(jpeg, xli_Jpeg, &group.Caches, &group.NoLists);
    auto* e = static_cast<TEscherBSERecord*>(r.get());
    EXPECT_EQ(e->DataLength(), 61 + 1000);
    EXPECT_EQ(e->VerInst(), 5 * 16 + 2);
    EXPECT_EQ(e->BodyByte(0), 5);
    EXPECT_EQ(e->BodyByte(1), 4);
    EXPECT_EQ(e->BodyWord(18), 0x00FF);
    EXPECT_EQ(e->BodyLongWord(20), 25u + 1000);
    EXPECT_EQ(e->BodyLongWord(24), 0u);
    EXPECT_EQ(e->BodyWord(36), 0x46A0);
    EXPECT_EQ(e->BodyWord(38), 0xF01D);
    EXPECT_EQ(e->BodyLongWord(40), 17u + 1000);
    TMd5Stream::TDigest d = Md5Of(jpeg.data(), jpeg.size());
    EXPECT_TRUE(std::equal(d.begin(), d.end(), e->Data().begin() + 2));
    EXPECT_TRUE(std::equal(d.begin(), d.end(), e->Data().begin() + 44));
    EXPECT_EQ(e->BodyByte(60), 0xFF);
    // The same bytes again compare equal; other bytes of the same size do not.
    std::unique_ptr<TEscherRecord> same = ConvertGraphicToBSE(jpeg, xli_Jpeg, &group.Caches, &group.NoLists);
    EXPECT_EQ(e->CompareRec(*same), 0);
    ByteArray other = jpeg;
    other[500] ^= 1;
    std::unique_ptr<TEscherRecord> diff = ConvertGraphicToBSE(other, xli_Jpeg, &group.Caches, &group.NoLists);
    EXPECT_NE(e->CompareRec(*diff), 0);
}

TEST(EscherPictures, Md5GivesTheReferenceDigestsInAnyPieces)
{
    const struct {
        const char* Text;
        const char* Hex;
    } vectors[] = {
        {"", "d41d8cd98f00b204e9800998ecf8427e"},
        {"a", "0cc175b9c0f1b6a831c399e269772661"},
        {"abc", "900150983cd24fb0d6963f7d28e17f72"},
        {"message digest", "f96b697d7cb7938d525a2f31aaf161d0"},
        {"abcdefghijklmnopqrstuvwxyz", "c3fcd3d76192e4007dfb496cca67e13b"},
        {"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789",
         "d174ab98d277d9f5a5611c2c9f419d9f"},
        {"12345678901234567890123456789012345678901234567890123456789012345678901234567890",
         "57edf4a22be3c955ac49da2e2107b67a"},
    };
    TMd5Stream s; // one stream for all: each digest starts the next message afresh
    for (auto& v : vectors) {
        for (size_t piece : {size_t(1), size_t(3), size_t(64), size_t(1000)}) {
            std::string t = v.Text;
            for (size_t p = 0; p < t.size(); p += piece)
                EXPECT_EQ(s.Write(t.data() + p, static_cast<Integer>(std::min(piece, t.size() - p))),
                          static_cast<Integer>(std::min(piece, t.size() - p)));
            TMd5Stream::TDigest d;
            s.GetDigest(d);
            char hex[33];
            for (int i = 0; i < 16; ++i)
                snprintf(hex + 2 * i, 3, "%02x", d[static_cast<size_t>(i)]);
            EXPECT_STREQ(hex, v.Hex) << v.Text << " in pieces of " << piece;
        }
    }
    char buf[4];
    EXPECT_EQ(s.Read(buf, 4), 0);
    s.Write("abc", 3);
    EXPECT_EQ(s.GetDigestString().size(), 16u);
}

namespace {

// A loaded workbook's group stream and sheet stream, from Escher bytes.
ByteArray Atom(Word VerInst, Word Type, const ByteArray& Body)
{
    ByteArray b(8);
    TEscherRecordHeader{VerInst, Type, static_cast<LongWord>(Body.size())}.ToBytes(b.data());
    b.insert(b.end(), Body.begin(), Body.end());
    return b;
}

ByteArray Cat(std::initializer_list<ByteArray> Parts)
{
    ByteArray b;
    for (auto& p : Parts)
        b.insert(b.end(), p.begin(), p.end());
    return b;
}

ByteArray Biff(Word Id, const ByteArray& Escher)
{
    ByteArray b(4);
    SetWord(b.data(), 0, Id);
    SetWord(b.data(), 2, static_cast<Word>(Escher.size()));
    b.insert(b.end(), Escher.begin(), Escher.end());
    return b;
}

ByteArray PictureShape(LongWord ShapeId, LongWord StorePos)
{
    ByteArray sp = Atom(0x04B2, 0xF00A,
                        Cat({ByteArray{Byte(ShapeId), Byte(ShapeId >> 8), 0, 0}, ByteArray{0, 0x0A, 0, 0}}));
    ByteArray opt = Atom(0x0013, 0xF00B, ByteArray{0x04, 0x41, Byte(StorePos), 0, 0, 0});
    ByteArray anchor = Atom(0, 0xF010, ByteArray(18));
    return Atom(0x000F, 0xF004, Cat({sp, opt, anchor}));
}

struct LoadedBook {
    TEscherDwgGroupCache Group;
    TEscherDwgCache GroupDwg;
    std::unique_ptr<TEscherContainerRecord> GroupRoot;
    TSheetDrawing Sheet;
    TWriteDoc Doc;

    LoadedBook(const ByteArray& GroupEscher, const ByteArray& SheetEscher)
    {
        auto g = ParseBiff(Biff(xlr_MSODRAWINGGROUP, GroupEscher));
        size_t n = 0;
        GroupRoot = LoadStream(g, n, &Group, &GroupDwg, *Doc.File, xlr_MSODRAWINGGROUP);
        auto s = ParseBiff(Biff(xlr_MSODRAWING, SheetEscher));
        n = 0;
        Sheet.Root = LoadStream(s, n, &Group, &Sheet.Caches, *Doc.File);
    }
    ~LoadedBook()
    {
        Sheet.Caches.Destroying = true;
        Sheet.Root.reset();
    }
};

ByteArray StoreEntry(LongWord FileRefs)
{
    std::unique_ptr<TEscherRecord> e = ConvertGraphicToBSE(Filled(30), xli_Png, nullptr, nullptr);
    auto* b = static_cast<TEscherBSERecord*>(e.get());
    b->SetBodyLongWord(24, FileRefs);
    return Atom(b->VerInst(), 0xF007, b->Data());
}

} // namespace

// A store entry's reference count from the file is not trusted: it is recounted from the
// shapes that refer to it, so deleting one of two shapes on an entry the file counted once
// keeps the entry for the other.
TEST(EscherPictures, ReferenceCountsAreRecountedOnLoad)
{
    // The group's default options stand directly in the group container.
    ByteArray group = Atom(0x000F, 0xF000,
                           Cat({Atom(0, 0xF006, ByteArray(16)), Atom(0x001F, 0xF001, StoreEntry(1)),
                                Atom(0x0013, 0xF00B, ByteArray{0xBF, 0, 8, 0, 8, 0})}));
    ByteArray sheet = Atom(0x000F, 0xF002,
                           Cat({Atom(0x0010, 0xF008, ByteArray(8)),
                                Atom(0x000F, 0xF003, Cat({PictureShape(1025, 1), PictureShape(1026, 1)}))}));
    LoadedBook book(group, sheet);
    TEscherBSERecord* entry = book.Group.BStoreRecord->Entry(1);
    ASSERT_NE(entry, nullptr);
    EXPECT_EQ(entry->References(), 2u);
    EXPECT_EQ(entry->BodyLongWord(24), 2u);
    TEscherRecordList& shapes = book.Sheet.Caches.PatriarchRecord->Children();
    shapes.Delete(0);
    ASSERT_EQ(book.Group.BStoreRecord->Children().Count(), 1);
    EXPECT_EQ(entry->References(), 1u);
    // Saving writes the surviving shape's store position into it.
    SaveStream(book.GroupRoot.get(), xlr_MSODRAWINGGROUP);
    ByteArray saved = SaveStream(book.Sheet.Root.get());
    EXPECT_FALSE(saved.empty());
}

// A picture reference without a picture store, or past its end, refuses the load; a reference
// of 0 means no picture.
TEST(EscherPictures, BadPictureReferencesRefuseTheLoad)
{
    ByteArray noStore = Atom(0x000F, 0xF000, Atom(0, 0xF006, ByteArray(16)));
    ByteArray withStore =
        Atom(0x000F, 0xF000, Cat({Atom(0, 0xF006, ByteArray(16)), Atom(0x001F, 0xF001, StoreEntry(0))}));
    auto sheet = [](LongWord Pos) {
        return Atom(0x000F, 0xF002,
                    Cat({Atom(0x0010, 0xF008, ByteArray(8)), Atom(0x000F, 0xF003, PictureShape(1025, Pos))}));
    };
    EXPECT_THROW(LoadedBook(noStore, sheet(1)), EExcelException);
    EXPECT_THROW(LoadedBook(withStore, sheet(2)), EExcelException);
    LoadedBook ok(withStore, sheet(0));
    EXPECT_EQ(ok.Sheet.Caches.BlipList->Count(), 0);
    // A picture store inside a sheet stream is not the workbook's: the sheet's references to it
    // are refused rather than left pointing into a sheet that may go.
    ByteArray sheetStore = Atom(0x000F, 0xF002,
                                Cat({Atom(0x0010, 0xF008, ByteArray(8)), Atom(0x001F, 0xF001, StoreEntry(0)),
                                     Atom(0x000F, 0xF003, PictureShape(1025, 1))}));
    EXPECT_THROW(LoadedBook(noStore, sheetStore), EExcelException);
}

// A shape name whose stated length runs past the body is cut at the body's end.
TEST(EscherPictures, ShapeNamesStayInsideTheBody)
{
    ByteArray withStore =
        Atom(0x000F, 0xF000, Cat({Atom(0, 0xF006, ByteArray(16)), Atom(0x001F, 0xF001, StoreEntry(0))}));
    ByteArray opt =
        Atom(0x0013, 0xF00B, Cat({ByteArray{0x80, 0xC3, 0xF0, 0xFF, 0, 0}, ByteArray{'A', 0, 'b', 0}}));
    ByteArray sheet =
        Atom(0x000F, 0xF002,
             Cat({Atom(0x0010, 0xF008, ByteArray(8)), Atom(0x000F, 0xF003, Atom(0x000F, 0xF004, opt))}));
    LoadedBook book(withStore, sheet);
    auto* sp =
        dynamic_cast<TEscherSpContainerRecord*>(book.Sheet.Caches.PatriarchRecord->Children().Items(0));
    ASSERT_NE(sp, nullptr);
    ASSERT_NE(sp->OptRec, nullptr);
    EXPECT_EQ(sp->OptRec->GetShapeName(), u"Ab");
}

// Rules: an align rule is kept as it was read; a connector dies with its connector shape and
// forgets a connected shape that goes.
TEST(EscherRules, AlignRulesLoadAndConnectorsFollowTheirShapes)
{
    ByteArray group = Atom(0x000F, 0xF000, Atom(0, 0xF006, ByteArray(16)));
    auto shape = [](LongWord Id) {
        return Atom(
            0x000F, 0xF004,
            Atom(0x0012, 0xF00A, Cat({ByteArray{Byte(Id), Byte(Id >> 8), 0, 0}, ByteArray{0, 0, 0, 0}})));
    };
    ByteArray connector =
        Atom(0, 0xF012,
             Cat({ByteArray{4, 0, 0, 0}, ByteArray{0x01, 0x04, 0, 0}, ByteArray{0x02, 0x04, 0, 0},
                  ByteArray{0x03, 0x04, 0, 0}, ByteArray(12)}));
    ByteArray align = Atom(0, 0xF013, ByteArray{8, 0, 0, 0, 9, 9});
    ByteArray sheet = Atom(0x000F, 0xF002,
                           Cat({Atom(0x0010, 0xF008, ByteArray{3, 0, 0, 0, 3, 4, 0, 0}),
                                Atom(0x000F, 0xF003, Cat({shape(1025), shape(1026), shape(1027)})),
                                Atom(0x002F, 0xF005, Cat({connector, align}))}));
    LoadedBook book(group, sheet);
    TEscherSolverContainerRecord* solver = book.Sheet.Caches.SolverRecord;
    ASSERT_NE(solver, nullptr);
    EXPECT_EQ(solver->LastRuleId, 4u);
    ASSERT_EQ(solver->Children().Count(), 2);
    auto* rule = dynamic_cast<TEscherConnectorRuleRecord*>(solver->Children().Items(0));
    ASSERT_NE(rule, nullptr);
    ASSERT_NE(rule->ShapeA, nullptr);
    EXPECT_EQ(rule->ShapeA->ShapeId(), 1025u);
    EXPECT_EQ(ParseBiff(SaveStream(book.Sheet.Root.get())).size(), 1u);

    TEscherRecordList& shapes = book.Sheet.Caches.PatriarchRecord->Children();
    shapes.Delete(0); // shape A
    EXPECT_EQ(rule->ShapeA, nullptr);
    EXPECT_EQ(rule->BodyLongWord(4), 0u);
    EXPECT_EQ(solver->Children().Count(), 2);
    shapes.Delete(1); // the connector shape
    EXPECT_EQ(solver->Children().Count(), 1);
    EXPECT_EQ(solver->Children().Items(0)->RecType(), 0xF013);
}

// Store entries too short for their picture record refuse to give a picture.
TEST(EscherPictures, ShortEntriesRefuseToGiveAPicture)
{
    TEscherDwgGroupCache g;
    TEscherBSERecord e(TEscherRecordHeader{0x0062, 0xF007, 0}, &g, nullptr, nullptr);
    e.SetBody(ByteArray(40, 0));
    e.SetBodyLongWord(0, 6);
    TMemoryStream out;
    TXlsImgTypes t;
    EXPECT_THROW(e.SaveGraphicToStream(out, t), EExcelException);
}
