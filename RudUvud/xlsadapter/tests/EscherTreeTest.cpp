#include "RudUvud/xlsadapter/tests/EscherTestSupport.h"

#include <gtest/gtest.h>

#include <functional>
#include <random>

using namespace escherTest;

namespace {

ByteArray Atom(Word VerInst, Word Type, const ByteArray& Body)
{
    ByteArray b(8);
    TEscherRecordHeader{VerInst, Type, static_cast<LongWord>(Body.size())}.ToBytes(b.data());
    b.insert(b.end(), Body.begin(), Body.end());
    return b;
}

ByteArray Container(Word Type, std::initializer_list<ByteArray> Children, Word VerInst = 0x000F)
{
    ByteArray body;
    for (auto& c : Children)
        body.insert(body.end(), c.begin(), c.end());
    return Atom(VerInst, Type, body);
}

ByteArray Filled(size_t N, Byte Seed = 1)
{
    ByteArray b(N);
    for (size_t i = 0; i < N; ++i)
        b[i] = static_cast<Byte>(Seed + i * 7);
    return b;
}

void PutBiff(ByteArray& Out, Word Id, const Byte* Data, size_t N)
{
    Byte h[4];
    SetWord(h, 0, Id);
    SetWord(h, 2, static_cast<Word>(N));
    Out.insert(Out.end(), h, h + 4);
    Out.insert(Out.end(), Data, Data + N);
}

// Escher bytes cut into an MSODRAWING record and CONTINUE records at the given sizes.
ByteArray Cut(const ByteArray& Escher, std::initializer_list<size_t> Pieces, Word First = xlr_MSODRAWING)
{
    ByteArray out;
    size_t p = 0;
    Word id = First;
    for (size_t n : Pieces) {
        PutBiff(out, id, Escher.data() + p, n);
        p += n;
        id = xlr_CONTINUE;
    }
    EXPECT_EQ(p, Escher.size());
    return out;
}

struct Loaded {
    TSheetDrawing Dwg;
    TEscherDwgGroupCache Group;
    TWriteDoc Doc; // only lends its file to the client data
    std::vector<std::unique_ptr<TBaseRecord>> Recs;

    explicit Loaded(const ByteArray& Biff)
    {
        Recs = ParseBiff(Biff);
        size_t next = 0;
        Dwg.Root = LoadStream(Recs, next, &Group, &Dwg.Caches, *Doc.File);
        EXPECT_EQ(next, Recs.size());
    }
    ByteArray Save() { return SaveStream(Dwg.Root.get()); }
};

} // namespace

// The size the split walk predicts is the size written, and the BIFF records come out cut at
// 8224 Escher bytes, also when the cut falls inside a record header.
TEST(EscherTree, SplitsStreamsIntoPiecesOf8224Bytes)
{
    const struct {
        size_t EscherBytes;
        std::vector<std::pair<Word, Word>> Layout;
    } cases[] = {
        {8224, {{0xEC, 8224}}},
        {8225, {{0xEC, 8224}, {0x3C, 1}}},
        {20000, {{0xEC, 8224}, {0x3C, 8224}, {0x3C, 3552}}},
    };
    for (auto& c : cases) {
        TEscherDwgGroupCache group;
        TEscherDwgCache noLists;
        auto root = std::make_unique<TEscherContainerRecord>(0x000F, 0xF002, &group, &noLists, nullptr);
        auto atom = std::make_unique<TEscherDataRecord>(TEscherRecordHeader{0, 0xF123, 0}, &group, &noLists,
                                                        root.get());
        atom->SetBody(Filled(c.EscherBytes - 16));
        root->Children().Add(std::move(atom));
        ByteArray out = SaveStream(root.get());
        EXPECT_EQ(BiffLayout(out), c.Layout) << c.EscherBytes;
        EXPECT_EQ(Int64(out.size()), EscherStreamSize(root.get(), xlr_MSODRAWING)) << c.EscherBytes;
    }
}

// Unknown atoms and containers, records split across BIFF records anywhere (inside a header,
// exactly at a record's end) load into the same tree and save back to the same bytes.
TEST(EscherTree, LoadsAcrossSplitRecordsAndSavesBackUnchanged)
{
    ByteArray escher = Container(
        0xF002, {Atom(0x0010, 0xF008, Filled(8)), Container(0xF0F0, {Atom(0x0003, 0xF1AA, Filled(30, 5))}),
                 Atom(0x000F & 0x0E, 0xF003, Filled(4)), // a container type as an atom
                 Atom(0x0001, 0xF234, Filled(9000, 3))});
    // Cuts inside the drawing record's header and inside the unknown container's child header
    // (CONTINUE records), at a record's end (a new MSODRAWING record), and inside a big body.
    size_t n = escher.size();
    struct Piece {
        size_t Size;
        bool NewRecord;
    };
    const std::vector<Piece> layouts[] = {
        {{12, true}, {19, false}, {7, false}, {40, false}, {n - 78 - 8000, false}, {8000, true}},
        {{8, true}, {16, true}, {8224, true}, {n - 24 - 8224, false}},
    };
    for (auto& pieces : layouts) {
        ByteArray biff;
        size_t p = 0;
        for (const Piece& k : pieces) {
            PutBiff(biff, k.NewRecord ? xlr_MSODRAWING : xlr_CONTINUE, escher.data() + p, k.Size);
            p += k.Size;
        }
        ASSERT_EQ(p, n);
        Loaded l(biff);
        TEscherContainerRecord& root = *l.Dwg.Root;
        ASSERT_EQ(root.Children().Count(), 4);
        EXPECT_NE(dynamic_cast<TEscherDgRecord*>(root.Children().Items(0)), nullptr);
        const auto& second = *root.Children().Items(1);
        const auto& third = *root.Children().Items(2);
        EXPECT_EQ(typeid(second), typeid(TEscherContainerRecord));
        EXPECT_EQ(typeid(third), typeid(TEscherDataRecord));
        ByteArray saved = l.Save();
        // The Escher bytes are the same; only the cuts follow the writer's plan.
        ByteArray back;
        for (auto& r : ParseBiff(saved))
            for (const TBaseRecord* q = r.get(); q; q = q->Continue())
                back.insert(back.end(), q->Data().get(), q->Data() + q->DataSize());
        EXPECT_EQ(back, escher);
    }
}

// Client data: a record with an empty body waits for its OBJ record, which is written whole
// after it; the next Escher bytes start a new MSODRAWING record, never a CONTINUE.
TEST(EscherTree, ClientDataIsWrittenBetweenDrawingRecords)
{
    ByteArray shape1 = Container(0xF004, {Atom(0x0000, 0xF011, {})});
    ByteArray shape2 = Container(0xF004, {Atom(0x0000, 0xF011, {}), Atom(0x0000, 0xF00D, {})});
    ByteArray escher = Container(0xF002, {shape1, shape2});
    ByteArray obj1 = Filled(26, 9), obj2 = Filled(26, 11), txo = Filled(18, 4);
    SetWord(obj1.data(), 4, 1);
    SetWord(obj2.data(), 4, 2);

    ByteArray biff;
    size_t first = 8 + shape1.size();
    PutBiff(biff, xlr_MSODRAWING, escher.data(), first);
    PutBiff(biff, 0x005D, obj1.data(), obj1.size());
    PutBiff(biff, xlr_MSODRAWING, escher.data() + first, 16);
    PutBiff(biff, 0x005D, obj2.data(), obj2.size());
    PutBiff(biff, xlr_MSODRAWING, escher.data() + first + 16, escher.size() - first - 16);
    PutBiff(biff, 0x01B6, txo.data(), txo.size());

    Loaded l(biff);
    EXPECT_EQ(l.Dwg.Caches.ObjList->Count(), 3);
    EXPECT_EQ(l.Dwg.Caches.LastObjId, 2);
    ByteArray saved = l.Save();
    EXPECT_EQ(saved, biff);
    EXPECT_EQ(Int64(saved.size()), EscherStreamSize(l.Dwg.Root.get(), xlr_MSODRAWING));
}

// A zero-length client data record is complete once its header is read and then waits.
TEST(EscherTree, EmptyClientDataRecordWaitsForItsObject)
{
    TSheetDrawing dwg;
    TEscherDwgGroupCache group;
    ByteArray escher = Container(0xF002, {Container(0xF004, {Atom(0, 0xF011, {})})});
    TBaseRecord rec(xlr_MSODRAWING, TRecordBody(escher));
    TEscherReader r(&rec, 0);
    dwg.Root = CreateEscherRoot(r, &group, &dwg.Caches);
    const TBaseRecord* at = r.Record;
    Integer pos = r.Position;
    dwg.Root->LoadFrom(at, pos);
    TClientDataClass cls;
    EXPECT_TRUE(dwg.Root->Loaded());
    EXPECT_TRUE(dwg.Root->WaitingClientData(cls));
    EXPECT_EQ(cls, cdcObj);
    EXPECT_EQ(ClientDataRecordId(cls), 0x005D);
}

// Lengths and nesting that no honest stream has are refused before anything is allocated.
TEST(EscherTree, RefusesImpossibleLengthsAndDeepNesting)
{
    auto load = [](const ByteArray& Escher) { Loaded l(Cut(Escher, {Escher.size()})); };
    // A child longer than what is left of its container.
    ByteArray longChild = Container(0xF002, {Atom(0, 0xF123, Filled(10))});
    SetLongWord(longChild.data(), 12, 0x10000);
    EXPECT_THROW(load(longChild), EExcelException);
    // A length with the top bit set.
    ByteArray negative = Atom(0x000F, 0xF002, {});
    SetLongWord(negative.data(), 4, 0x80000010);
    EXPECT_THROW(load(negative), EExcelException);
    // Containers nested far deeper than any drawing.
    ByteArray deep = Atom(0x000F, 0xF123, {});
    for (int i = 0; i < 200; ++i)
        deep = Container(0xF123, {deep});
    EXPECT_THROW(load(deep), EExcelException);
    // A root claiming 2 GB ends with the stream: an error, not a 2 GB buffer.
    ByteArray huge = Container(0xF002, {Atom(0, 0xF123, Filled(64))});
    SetLongWord(huge.data(), 4, 0x7FFFFFF0);
    SetLongWord(huge.data(), 12, 0x7FFFFF00);
    EXPECT_THROW(load(huge), EExcelException);
}

// Saving a record that never got all its bytes is refused.
TEST(EscherTree, SavingAnIncompleteRecordIsRefused)
{
    TEscherDwgGroupCache group;
    TEscherDwgCache noLists;
    auto root = std::make_unique<TEscherContainerRecord>(TEscherRecordHeader{0x000F, 0xF002, 40}, &group,
                                                         &noLists, nullptr);
    TWriteDoc doc;
    try {
        EscherSaveStream(root.get(), xlr_MSODRAWING, *doc.File);
        FAIL();
    } catch (const EExcelException& e) {
        EXPECT_EQ(e.Message(), "Escher record is not fully loaded");
    }
}

namespace {

// A random tree of containers, atoms and client data records; Budget bounds its Escher size.
ByteArray RandomTree(std::mt19937& Rng, int Depth, size_t& Budget, std::vector<ByteArray>& Objs)
{
    std::uniform_int_distribution<int> kind(0, 9);
    ByteArray body;
    int children = std::uniform_int_distribution<int>(0, 5)(Rng);
    for (int i = 0; i < children && Budget > 0; ++i) {
        int k = kind(Rng);
        if (k < 2 && Depth < 5) {
            ByteArray c = RandomTree(Rng, Depth + 1, Budget, Objs);
            body.insert(body.end(), c.begin(), c.end());
        } else if (k < 4) {
            ByteArray obj = Filled(std::uniform_int_distribution<size_t>(6, 200)(Rng), static_cast<Byte>(k));
            Objs.push_back(obj);
            ByteArray a = Atom(0, k == 2 ? 0xF011 : 0xF00D, {});
            body.insert(body.end(), a.begin(), a.end());
            Budget -= std::min(Budget, a.size());
        } else {
            size_t n = std::uniform_int_distribution<size_t>(0, 12000)(Rng) % (Budget + 1);
            ByteArray a = Atom(0x0002, 0xF123, Filled(n, static_cast<Byte>(n)));
            body.insert(body.end(), a.begin(), a.end());
            Budget -= std::min(Budget, a.size());
        }
    }
    return Atom(0x000F, 0xF0F0, body);
}

} // namespace

// Over generated trees: what the split walk predicts is exactly what is written, and what is
// written loads back into a tree that writes the same bytes again.
TEST(EscherTree, PredictedSizeEqualsBytesWrittenOverGeneratedTrees)
{
    std::mt19937 rng(38);
    for (int round = 0; round < 40; ++round) {
        size_t budget = 40000;
        std::vector<ByteArray> objs;
        ByteArray tree = RandomTree(rng, 0, budget, objs);
        // Write the stream by hand once, cutting after every client data record, then load it.
        ByteArray biff;
        {
            // Find the client data records in save order by walking the bytes.
            std::vector<size_t> ends;
            std::function<void(size_t, size_t)> walk = [&](size_t p, size_t end) {
                while (p + 8 <= end) {
                    TEscherRecordHeader h = TEscherRecordHeader::FromBytes(tree.data() + p);
                    if (h.IsContainer())
                        walk(p + 8, p + 8 + h.Length);
                    else if (h.RecType == 0xF011 || h.RecType == 0xF00D)
                        ends.push_back(p + 8);
                    p += 8 + h.Length;
                }
            };
            walk(0, tree.size());
            auto put = [&](size_t From, size_t To) {
                Word id = xlr_MSODRAWING;
                for (size_t done = From; done < To;) {
                    size_t m = std::min<size_t>(To - done, 8224);
                    PutBiff(biff, id, tree.data() + done, m);
                    done += m;
                    id = xlr_CONTINUE;
                }
            };
            size_t p = 0;
            for (size_t o = 0; o < ends.size(); ++o) {
                put(p, ends[o]);
                Word rid = tree[ends[o] - 6] == 0x11 ? 0x005D : 0x01B6;
                PutBiff(biff, rid, objs[o].data(), objs[o].size());
                p = ends[o];
            }
            put(p, tree.size());
            ASSERT_EQ(ends.size(), objs.size());
        }
        Loaded l(biff);
        ByteArray saved = l.Save();
        ASSERT_EQ(Int64(saved.size()), EscherStreamSize(l.Dwg.Root.get(), xlr_MSODRAWING)) << round;
        // The hand-made cuts follow the writer's plan, so the bytes come back unchanged.
        EXPECT_EQ(saved, biff) << round;
        Loaded again(saved);
        EXPECT_EQ(again.Save(), saved) << round;
    }
}

// Copying a shape: the copy's parts sit under the copy, the copy beside its source under the
// patriarch with a new shape id and object id; the source keeps its parts and links.
TEST(EscherTree, CopyingAShapeKeepsSourceAndPlacesCopyBesideIt)
{
    TGroup group;
    TSheetDrawing dwg;
    BuildBasicDrawing(dwg, group);
    TClientAnchor a;
    a.StartRow = 2;
    a.EndRow = 4;
    TEscherSpContainerRecord* src = AddPicture(dwg, group, Filled(100), xli_Png, a);
    TEscherSpgrContainerRecord* patriarch = dwg.Caches.PatriarchRecord;
    ASSERT_EQ(patriarch->Children().Count(), 2);

    dwg.Root->ClearCopiedTo();
    TEscherRecord* copied = src->AnchorRec->CopyDwg(10, 0, nullptr);
    ASSERT_EQ(patriarch->Children().Count(), 3);
    auto* copy = dynamic_cast<TEscherSpContainerRecord*>(patriarch->Children().Items(2));
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(copied, copy->AnchorRec);
    EXPECT_EQ(copy->ParentContainer(), patriarch);
    for (Integer i = 0; i < copy->Children().Count(); ++i)
        EXPECT_EQ(copy->Children().Items(i)->ParentContainer(), copy);
    EXPECT_EQ(copy->AnchorRec->Row(), 12);
    EXPECT_EQ(src->AnchorRec->Row(), 2);
    EXPECT_EQ(src->Children().Count(), 4);
    EXPECT_EQ(src->AnchorRec->ParentContainer(), src);
    EXPECT_EQ(src->ShapeRec->ShapeId(), 1025u);
    EXPECT_EQ(copy->ShapeRec->ShapeId(), 1026u);
    auto* srcData = src->FindRec<TEscherClientDataRecord>();
    auto* copyData = copy->FindRec<TEscherClientDataRecord>();
    EXPECT_EQ(srcData->ObjId(), 1);
    EXPECT_EQ(copyData->ObjId(), 2);
    EXPECT_EQ(static_cast<TFakeClientData*>(copyData->ClientData())->RowsMoved, 10);
    // Both shapes refer to one picture-store entry.
    EXPECT_EQ(group.Caches.BStoreRecord->Children().Count(), 1);
    EXPECT_EQ(static_cast<TEscherBSERecord*>(group.Caches.BStoreRecord->Children().Items(0))->References(),
              2u);
    EXPECT_EQ(dwg.Caches.BlipList->Count(), 2);
    EXPECT_EQ(dwg.Caches.AnchorList->Count(), 2);
    EXPECT_EQ(dwg.Caches.ObjList->Count(), 2);
}
