// A workbook's drawings, comments and hyperlinks on an arbitrary "Workbook" stream: the drawing
// group, each sheet's drawing with its OBJ and TXO records, NOTE records tied to their boxes and
// HLINK records with their tips. Beyond "no crash, no hang, no leak": a drawing that loads writes
// exactly the bytes its size predicts, and what it writes loads again and writes the same bytes;
// a link's decoded properties, written back, decode the same; row edits keep the sizes right.

#include "RudUvud/xlsadapter/XlsDrawing.h"
#include "RudUvud/xlsadapter/XlsHyperLink.h"
#include "RudUvud/xlsadapter/XlsNotes.h"
#include "RudUvud/xlsadapter/tests/WorkbookDocument.h"

#include <cstdint>
#include <cstdlib>
#include <memory>
#include <vector>

namespace {

void Check(bool Ok)
{
    if (!Ok)
        std::abort();
}

using xlstest::EmptyDocument;

// A "Workbook" stream holding Bytes, open for reading, or one being written.
struct Doc {
    ByteArray Source = EmptyDocument();
    TOle2MemoryStream In{Source};
    TOle2MemoryStream Out;
    std::unique_ptr<TOle2File> File;
    Int64 Length = 0;

    explicit Doc(const ByteArray* Bytes)
    {
        File = std::make_unique<TOle2File>(&In);
        File->PrepareForWrite(&Out, u"Workbook", {});
        if (!Bytes)
            return;
        ByteArray padded = *Bytes;
        padded.resize(padded.size() + 4, 0);
        File->WriteMem(padded.data(), static_cast<Integer>(padded.size()));
        Length = static_cast<Int64>(Bytes->size());
        Reopen();
    }
    void Reopen()
    {
        File->FinishStream();
        Done = Out.Bytes();
        Read = std::make_unique<TOle2MemoryStream>(Done);
        File = std::make_unique<TOle2File>(Read.get());
        File->SelectStream(u"Workbook");
    }
    ByteArray Written()
    {
        const Int64 n = File->Get_Position();
        Reopen();
        ByteArray b(static_cast<size_t>(n));
        File->ReadMem(b.data(), static_cast<Integer>(n));
        return b;
    }
    ByteArray Done;
    std::unique_ptr<TOle2MemoryStream> Read;
};

struct TSheet {
    std::unique_ptr<TDrawing> Drawing;
    TNoteList Notes;
    THLinkList Links;
    ~TSheet() { Notes.Clear(); } // the notes go before their drawing
};

struct TPlain : TEscherSheet {
    Integer GetColWidth(Integer) const override { return 2048; }
    Integer GetRowHeight(Integer) const override { return 255; }
};

TSheetInfo SameSheet()
{
    TSheetInfo info;
    info.InsSheet = 0;
    info.FormulaSheet = 0;
    return info;
}

ByteArray SaveDrawing(TDrawing& D)
{
    Doc out(nullptr);
    D.SaveToStream(*out.File);
    ByteArray b = out.Written();
    Check(static_cast<Int64>(b.size()) == D.TotalSize());
    return b;
}

// What the drawing wrote loads again into a drawing of the same group and writes the same bytes.
void CheckReload(TDrawing& D, const ByteArray& Bytes)
{
    if (Bytes.empty())
        return;
    Doc in(&Bytes);
    TRecordHeader h;
    ReadRecordHeader(*in.File, h);
    std::unique_ptr<TBaseRecord> first = LoadRecords(*in.File, h);
    TDrawing again(D.Group());
    again.LoadFromStream(*in.File, h, std::move(first), nullptr);
    Check(SaveDrawing(again) == Bytes);
}

void CheckLink(THLinkRecord& L)
{
    const THyperLink p = L.GetProperties();
    std::unique_ptr<TBaseRecord> copy = L.CopyTo();
    auto* c = static_cast<THLinkRecord*>(copy.get());
    try {
        c->SetProperties(p);
    } catch (const EExcelException&) {
        return; // too long for one record
    }
    const THyperLink q = c->GetProperties();
    Check(p.Kind == q.Kind && p.Address == q.Address && p.Location == q.Location &&
          p.DisplayText == q.DisplayText && p.FrameName == q.FrameName && p.ScreenTip == q.ScreenTip);
}

void Exercise(TSheet& S)
{
    TPlain plain;
    const TSheetInfo si = SameSheet();
    for (Integer r = 0; r < S.Notes.Count(); ++r)
        if (TNoteRecordList* row = S.Notes.GetNotes(r))
            for (Integer i = 0; i < row->Count(); ++i)
                if (TNoteRecord* n = row->Items(i)) {
                    try {
                        n->SetText(n->GetText() + u"!");
                    } catch (const EExcelException&) {
                    }
                }
    for (Integer i = 0; i < S.Links.Count(); ++i)
        CheckLink(*S.Links.GetItems(i));
    try {
        S.Notes.InsertAndCopyRows(0, 3, 5, 1, si, false);
        S.Drawing->InsertAndCopyRowsAndCols(0, 3, 5, 1, 0, 0, 0, 0, si, &plain);
        S.Links.InsertAndCopyRange({0, 0, 255, 3}, 5, 0, 1, 0, si);
        S.Drawing->DeleteRows(1, 2, si, &plain);
        S.Notes.DeleteRows(1, 2, si);
        S.Links.DeleteRange({0, 1, 255, 2}, 1, 0, si);
        S.Drawing->AddAutoFilter(0, 0, 2, &plain);
        S.Drawing->RemoveAutoFilter();
        if (S.Drawing->DrawingCount() > 0)
            S.Drawing->DeleteImage(0);
    } catch (const EExcelException&) {
    }
    SaveDrawing(*S.Drawing);
    Doc out(nullptr);
    S.Links.SaveToStream(*out.File);
    Check(static_cast<Int64>(out.Written().size()) == S.Links.TotalSize());
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size)
{
    if (Size > 200000)
        return 0;
    const ByteArray input(Data, Data + Size);
    Doc in(&input);
    TOle2File& f = *in.File;
    TDrawingGroup group;
    std::vector<std::unique_ptr<TSheet>> sheets;
    try {
        TRecordHeader h;
        ReadRecordHeader(f, h);
        Int64 last = -1;
        // Past the end of the stream the reader hands out EOF headers without moving on.
        while (f.Get_Position() - 4 < in.Length && f.Get_Position() != last) {
            last = f.Get_Position();
            if (h.Id == 0x0809) {
                sheets.push_back(std::make_unique<TSheet>());
                sheets.back()->Drawing = std::make_unique<TDrawing>(&group);
            }
            std::unique_ptr<TBaseRecord> r = LoadRecords(f, h);
            if (r->Id() == xlr_MSODRAWINGGROUP)
                group.LoadFromStream(f, h, std::move(r));
            else if (r->Id() == xlr_MSODRAWING && !sheets.empty())
                sheets.back()->Drawing->LoadFromStream(f, h, std::move(r), nullptr);
            else if (auto* n = dynamic_cast<TNoteRecord*>(r.get()); n && !sheets.empty()) {
                r.release();
                sheets.back()->Notes.AddRecord(std::unique_ptr<TNoteRecord>(n), n->GetRow());
            } else if (dynamic_cast<THLinkRecord*>(r.get()) && !sheets.empty())
                sheets.back()->Links.Add(std::move(r));
        }
    } catch (const EExcelException&) {
        // What loaded so far is still exercised: a refused drawing is left empty.
    }
    for (auto& s : sheets) {
        s->Notes.FixDwgIds(*s->Drawing);
        try {
            CheckReload(*s->Drawing, SaveDrawing(*s->Drawing));
        } catch (const EExcelException&) {
            std::abort(); // what the engine wrote must load again
        }
        Exercise(*s);
    }
    sheets.clear();
    return 0;
}
