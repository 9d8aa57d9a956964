// The drawing record tree on arbitrary BIFF records: an optional drawing-group stream
// (MSODRAWINGGROUP records) and a sheet drawing stream (MSODRAWING records with CONTINUE
// records and the OBJ and TXO records of its shapes). Beyond "no crash, no hang, no leak": a
// stream that loads is written with exactly the size its split walk predicts, and what is
// written loads again and writes the same bytes. Copies, row insertion and deletion of shapes
// then run over the loaded tree with full upkeep of the lists, counts and picture references.

#include "RudUvud/xlsadapter/XlsEscherGraphToBSE.h"
#include "RudUvud/xlsadapter/tests/EscherTestSupport.h"

#include <cstdint>
#include <cstdlib>

using namespace escherTest;

namespace {

void Check(bool Ok)
{
    if (!Ok)
        std::abort();
}

// Loads the sheet stream of Recs from Next into Dwg; false when the stream is refused.
bool LoadSheet(std::vector<std::unique_ptr<TBaseRecord>>& Recs, size_t& Next, TEscherDwgGroupCache& Group,
               TSheetDrawing& Dwg, TOle2File& File)
{
    try {
        Dwg.Root = LoadStream(Recs, Next, &Group, &Dwg.Caches, File);
        return true;
    } catch (const EExcelException&) {
        return false;
    }
}

void Exercise(TSheetDrawing& Dwg, TEscherDwgGroupCache& Group)
{
    TFakeSheet sheet;
    TSheetInfo si;
    si.InsSheet = 0;
    si.FormulaSheet = 0;
    try {
        // A whole copy into another drawing, freed with upkeep.
        {
            TSheetDrawing copy;
            Dwg.Root->ClearCopiedTo();
            std::unique_ptr<TEscherRecord> r =
                TEscherRecord::CopyTo(Dwg.Root.get(), &copy.Caches, 0, 0, &sheet);
            copy.Root.reset(static_cast<TEscherContainerRecord*>(r.release()));
            copy.Caches.Destroying = false;
            copy.Root.reset();
        }
        Dwg.Caches.AnchorList->ArrangeInsertRowsAndCols(3, 5, 1, -1, si, false, &sheet);
        if (Dwg.Caches.AnchorList->Count() > 0) {
            Dwg.Root->ClearCopiedTo();
            Dwg.Caches.AnchorList->Items(0)->CopyDwg(7, 0, &sheet);
            if (Dwg.Caches.SolverRecord)
                Dwg.Caches.SolverRecord->ArrangeCopyRowsAndCols(&sheet);
        }
        if (TEscherSpgrContainerRecord* p = Dwg.Caches.PatriarchRecord)
            if (p->Children().Count() > 0)
                p->Children().Delete(0);
        SaveStream(Dwg.Root.get());
    } catch (const EExcelException&) {
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size)
{
    if (Size > 200000)
        return 0;
    ByteArray bytes(Data, Data + Size);
    std::vector<std::unique_ptr<TBaseRecord>> recs = ParseBiff(bytes);
    TWriteDoc doc;
    size_t next = 0;

    // The workbook's group: from the input when it starts with one, else a store of two
    // pictures for the sheet's options to refer to.
    TGroup group;
    TEscherDwgGroupCache fileGroup;
    TEscherDwgCache noLists;
    std::unique_ptr<TEscherContainerRecord> loadedGroup; // goes before the caches it points into
    TEscherDwgGroupCache* g = &group.Caches;
    if (!recs.empty() && recs[0]->Id() == xlr_MSODRAWINGGROUP) {
        try {
            loadedGroup = LoadStream(recs, next, &fileGroup, &noLists, *doc.File, xlr_MSODRAWINGGROUP);
            g = &fileGroup;
            ByteArray saved = SaveStream(loadedGroup.get(), xlr_MSODRAWINGGROUP);
            Check(Int64(saved.size()) == EscherStreamSize(loadedGroup.get(), xlr_MSODRAWINGGROUP));
        } catch (const EExcelException&) {
            return 0;
        }
    } else {
        for (Byte seed : {Byte(1), Byte(2)}) {
            TEscherBStoreRecord* store = group.Caches.BStoreRecord;
            store->Children().Add(
                ConvertGraphicToBSE(ByteArray(20, seed), xli_Png, &group.Caches, &group.NoLists));
        }
    }

    {
        TSheetDrawing dwg;
        if (!LoadSheet(recs, next, *g, dwg, *doc.File)) {
            // Freed with full upkeep: a half-loaded tree must tear down cleanly too.
            dwg.Caches.Destroying = false;
            dwg.Root.reset();
            return 0;
        }
        ByteArray saved = SaveStream(dwg.Root.get());
        Check(Int64(saved.size()) == EscherStreamSize(dwg.Root.get(), xlr_MSODRAWING));

        std::vector<std::unique_ptr<TBaseRecord>> again = ParseBiff(saved);
        TSheetDrawing dwg2;
        size_t n2 = 0;
        TWriteDoc doc2;
        // The saved references count a second time: load into the same group.
        Check(LoadSheet(again, n2, *g, dwg2, *doc2.File));
        Check(SaveStream(dwg2.Root.get()) == saved);
        dwg2.Caches.Destroying = false;
        dwg2.Root.reset();

        Exercise(dwg, *g);
        dwg.Caches.Destroying = false;
        dwg.Root.reset();
    }
    return 0;
}
