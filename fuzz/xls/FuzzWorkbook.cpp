// A whole "Workbook" stream through the workbook: load, save, load and save again. Beyond "no
// crash, no hang": a stream the workbook saved loads again and saves to the same bytes, and every
// BOUNDSHEET of it points at a sheet's BOF.

#include "RudUvud/xlsadapter/XlsWorkbook.h"

#include "FuzzDocument.h"

#include <cstdint>

using namespace xlsfuzz;

namespace {

void Check(bool Ok)
{
    if (!Ok)
        __builtin_trap();
}

bool Load(const ByteArray& Stream, TWorkbook& Book)
{
    Doc source;
    source.File->WriteMem(Stream.data(), static_cast<Integer>(Stream.size()));
    source.Finish();
    TOle2MemoryStream ms(source.Out.Bytes());
    TOle2File f(&ms);
    f.SelectStream(u"Workbook");
    try {
        Book.LoadFromStream(f);
        return true;
    } catch (const EExcelException&) {
        return false;
    }
}

// The saved stream; empty when the workbook refuses to be saved.
ByteArray Save(TWorkbook& Book)
{
    Doc out;
    try {
        Book.SaveToStream(*out.File);
    } catch (const EExcelException&) {
        return {};
    }
    return out.Finish();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size)
{
    const ByteArray stream(Data, Data + Size);
    TWorkbook book;
    if (!Load(stream, book))
        return 0;
    const ByteArray first = Save(book);
    if (first.empty())
        return 0;
    for (Integer i = 0; i < book.SheetCount(); ++i) {
        const LongWord at = book.Globals().SheetList().BoundSheets().Items(i)->GetOffset();
        Check(at + 4u <= first.size() && GetWord(first.data(), static_cast<Integer>(at)) == 0x0809);
    }
    TWorkbook again;
    Check(Load(first, again));
    Check(Save(again) == first);
    return 0;
}
