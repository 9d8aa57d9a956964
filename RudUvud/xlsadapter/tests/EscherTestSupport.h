#pragma once

// Helpers for the drawing tree's tests and fuzz target: a writable document without fixtures
// (from WorkbookDocument.h), BIFF bytes parsed into records with their CONTINUE chains, a
// stand-in for the OBJ and TXO holders, a sheet of fixed cell sizes, and the load loop a sheet
// drawing runs.

#include "RudUvud/xlsadapter/Ole2File.h"
#include "RudUvud/xlsadapter/XlsEscher.h"
#include "RudUvud/xlsadapter/XlsEscherRules.h"
#include "RudUvud/xlsadapter/XlsEscherShapes.h"
#include "RudUvud/xlsadapter/tests/WorkbookDocument.h"

#include <algorithm>
#include <map>
#include <memory>
#include <vector>

namespace escherTest {

using xlstest::EmptyDocument;
using xlstest::TWriteDoc;

// BIFF bytes as records: each CONTINUE record chained to the record before it.
inline std::vector<std::unique_ptr<TBaseRecord>> ParseBiff(const ByteArray& B)
{
    std::vector<std::unique_ptr<TBaseRecord>> recs;
    size_t p = 0;
    while (p + 4 <= B.size()) {
        Word id = GetWord(B.data(), static_cast<Integer>(p));
        Word size = GetWord(B.data(), static_cast<Integer>(p + 2));
        p += 4;
        size_t n = std::min<size_t>(size, B.size() - p);
        TRecordBody body(B.data() + p, B.data() + p + n);
        p += n;
        if (id == xlr_CONTINUE && !recs.empty()) {
            TBaseRecord* last = recs.back().get();
            while (last->Continue())
                last = last->Continue();
            last->AddContinue(std::make_unique<TContinueRecord>(id, std::move(body)));
        } else
            recs.push_back(std::make_unique<TBaseRecord>(id, std::move(body)));
    }
    return recs;
}

// The BIFF record ids and body sizes of a stream, in order.
inline std::vector<std::pair<Word, Word>> BiffLayout(const ByteArray& B)
{
    std::vector<std::pair<Word, Word>> out;
    size_t p = 0;
    while (p + 4 <= B.size()) {
        Word id = GetWord(B.data(), static_cast<Integer>(p));
        Word size = GetWord(B.data(), static_cast<Integer>(p + 2));
        out.emplace_back(id, size);
        p += 4 + size;
    }
    return out;
}

// Stands in for the OBJ and TXO holders: keeps the record it was given (with its CONTINUE
// records) and writes it back; or, built by a test, a record of RecId with Body.
class TFakeClientData : public TBaseClientData {
public:
    Word RecId = 0x005D;
    ByteArray Body;
    Word Id = 0;
    Integer RowsMoved = 0;
    std::unique_ptr<TBaseRecord> Rec;

    Word GetId() const override { return Id; }
    void SetId(Word aId) override { Id = aId; }
    void ArrangeId(Word& LastId) override { Id = ++LastId; }
    void Clear() override
    {
        Body.clear();
        Rec.reset();
    }
    std::unique_ptr<TBaseClientData> CopyTo() const override
    {
        auto c = std::make_unique<TFakeClientData>();
        c->RecId = RecId;
        c->Body = Body;
        c->Id = Id;
        c->RowsMoved = RowsMoved;
        if (Rec)
            c->Rec = Rec->CopyTo();
        return c;
    }
    void LoadFromStream(TOle2File&, TRecordHeader&, std::unique_ptr<TBaseRecord> First, TSST*) override
    {
        RecId = First->Id();
        Body.assign(First->Data().get(), First->Data() + First->DataSize());
        Id = RecId == 0x005D && Body.size() >= 6 ? GetWord(Body.data(), 4) : 0;
        Rec = std::move(First);
    }
    void SaveToStream(TOle2File& DataStream) override
    {
        if (Rec) {
            Rec->SaveToStream(DataStream);
            return;
        }
        DataStream.WriteHeader(RecId, static_cast<Word>(Body.size()));
        if (!Body.empty())
            DataStream.WriteMem(Body.data(), static_cast<Integer>(Body.size()));
    }
    Int64 TotalSize() const override { return Rec ? Rec->TotalSize() : 4 + Int64(Body.size()); }
    void ArrangeCopyRowsAndCols(Integer RowOffset, Integer) override { RowsMoved += RowOffset; }
    void ArrangeInsertRowsAndCols(Integer, Integer, Integer, Integer, const TSheetInfo&) override {}
    void ArrangeCopySheet(const TSheetInfo&) override {}
};

// Column widths and row heights; unlisted cells take the defaults.
struct TFakeSheet : TEscherSheet {
    Integer DefWidth = 2340;
    Integer DefHeight = 255;
    std::map<Integer, Integer> Widths, Heights;
    Integer GetColWidth(Integer Col) const override
    {
        auto it = Widths.find(Col);
        return it == Widths.end() ? DefWidth : it->second;
    }
    Integer GetRowHeight(Integer Row) const override
    {
        auto it = Heights.find(Row);
        return it == Heights.end() ? DefHeight : it->second;
    }
};

// Loads one drawing stream from Recs starting at Next, as a sheet drawing does: Escher bytes from
// the drawing records (RecordId) with their CONTINUE records; after each record awaiting client
// data, the OBJ or TXO record that holds it. Next is left after the stream's last record.
inline std::unique_ptr<TEscherContainerRecord> LoadStream(std::vector<std::unique_ptr<TBaseRecord>>& Recs,
                                                          size_t& Next, TEscherDwgGroupCache* Group,
                                                          TEscherDwgCache* Dwg, TOle2File& File,
                                                          Word RecordId = xlr_MSODRAWING)
{
    using namespace zivXlsMessages;
    if (Next >= Recs.size() || Recs[Next]->Id() != RecordId)
        XlsError(ErrExcelInvalid);
    const TBaseRecord* rec = Recs[Next++].get();
    TEscherReader reader(rec, 0);
    std::unique_ptr<TEscherContainerRecord> root = CreateEscherRoot(reader, Group, Dwg);
    rec = reader.Record;
    Integer pos = reader.Position;
    for (;;) {
        TClientDataClass cls = cdcNone;
        bool waiting = root->WaitingClientData(cls);
        if (root->Loaded() && !waiting)
            break;
        bool usedUp = TEscherReader(rec, pos).UsedUp();
        if (!waiting) {
            if (usedUp) {
                if (Next >= Recs.size() || Recs[Next]->Id() != RecordId)
                    XlsError(ErrExcelInvalid);
                rec = Recs[Next++].get();
                pos = 0;
            }
            root->LoadFrom(rec, pos);
            continue;
        }
        if (!usedUp)
            XlsError(ErrExcelInvalid);
        if (Next >= Recs.size() || Recs[Next]->Id() != ClientDataRecordId(cls))
            XlsError("The file has an usupported drawing record");
        auto data = std::make_unique<TFakeClientData>();
        TRecordHeader h;
        data->LoadFromStream(File, h, std::move(Recs[Next++]), nullptr);
        root->AssignClientData(std::move(data));
    }
    if (Dwg->ShapeList)
        Dwg->ShapeList->Sort();
    if (Dwg->SolverRecord)
        Dwg->SolverRecord->FixPointers();
    return root;
}

inline ByteArray SaveStream(TEscherRecord* Root, Word RecordId = xlr_MSODRAWING)
{
    TWriteDoc doc;
    EscherSaveStream(Root, RecordId, *doc.File);
    return doc.Finish();
}

// A sheet drawing's caches with their lists, torn down like the drawing tears them down.
struct TSheetDrawing {
    TEscherDwgCache Caches;
    std::unique_ptr<TEscherContainerRecord> Root;
    TSheetDrawing() { Caches.CreateLists(); }
    ~TSheetDrawing()
    {
        Caches.Destroying = true;
        Root.reset();
        Caches.FreeLists();
    }
};

// A drawing group as the engine builds it for a new workbook: drawing-group record and picture
// store.
struct TGroup {
    TEscherDwgGroupCache Caches;
    TEscherDwgCache NoLists;
    std::unique_ptr<TEscherContainerRecord> Root;
    TGroup()
    {
        Root = std::make_unique<TEscherContainerRecord>(0x000F, 0xF000, &Caches, &NoLists, nullptr);
        Root->Children().Add(std::make_unique<TEscherDggRecord>(&Caches, &NoLists, Root.get()));
        Root->Children().Add(std::make_unique<TEscherBStoreRecord>(&Caches, &NoLists, Root.get()));
    }
};

// A new sheet drawing with its drawing record and patriarch, as the engine builds one.
inline void BuildBasicDrawing(TSheetDrawing& D, TGroup& G)
{
    D.Root = std::make_unique<TEscherContainerRecord>(0x000F, 0xF002, &G.Caches, &D.Caches, nullptr);
    Word id = 0;
    LongWord first = 0;
    G.Caches.DggRecord->GetNewDgIdAndCluster(id, first);
    G.Caches.DggRecord->SetSavedDrawings(G.Caches.DggRecord->SavedDrawings() + 1);
    D.Root->Children().Add(
        std::make_unique<TEscherDgRecord>(0, id, first, &G.Caches, &D.Caches, D.Root.get()));
    auto group = std::make_unique<TEscherSpgrContainerRecord>(&G.Caches, &D.Caches, D.Root.get());
    TEscherSpgrContainerRecord* patriarch = group.get();
    D.Root->Children().Add(std::move(group));
    auto shape = std::make_unique<TEscherSpContainerRecord>(&G.Caches, &D.Caches, patriarch);
    TEscherSpContainerRecord* sp = shape.get();
    patriarch->Children().Add(std::move(shape));
    sp->Children().Add(NewEscherGroupCoords(&G.Caches, &D.Caches, sp));
    sp->Children().Add(std::make_unique<TEscherSPRecord>(0x0002, D.Caches.DgRecord->IncMaxShapeId(), 0x0005,
                                                         &G.Caches, &D.Caches, sp));
}

// Adds a picture shape the way the engine does; returns its shape container.
inline TEscherSpContainerRecord* AddPicture(TSheetDrawing& D, TGroup& G, const ByteArray& Bytes,
                                            TXlsImgTypes Type, const TClientAnchor& Anchor,
                                            TEscherSheet* Sheet = nullptr)
{
    TEscherSpgrContainerRecord* patriarch = D.Caches.PatriarchRecord;
    auto sp = std::make_unique<TEscherSpContainerRecord>(&G.Caches, &D.Caches, patriarch);
    TEscherSpContainerRecord* s = sp.get();
    s->Children().Add(std::make_unique<TEscherSPRecord>(0x04B2, D.Caches.DgRecord->IncMaxShapeId(), 0x0A00,
                                                        &G.Caches, &D.Caches, s));
    s->Children().Add(std::make_unique<TEscherOPTRecord>(Bytes, Type, u"Picture", &G.Caches, &D.Caches, s));
    s->Children().Add(std::make_unique<TEscherClientAnchorRecord>(Anchor, &G.Caches, &D.Caches, s, Sheet));
    auto cd = std::make_unique<TEscherClientDataRecord>(&G.Caches, &D.Caches, s);
    auto data = std::make_unique<TFakeClientData>();
    data->Body = ByteArray(26);
    data->ArrangeId(D.Caches.LastObjId);
    cd->AssignClientData(std::move(data));
    s->Children().Add(std::move(cd));
    patriarch->Children().Add(std::move(sp));
    return s;
}

} // namespace escherTest
