// Compound document reader and writer on arbitrary input: opening, selecting and reading the
// "Workbook" stream, then writing a copy with that stream replaced and reading the copy back.
// Beyond "no crash, no hang, no unbounded allocation": the copy must open and hold exactly the
// bytes written.

#include "RudUvud/xlsadapter/Ole2File.h"
#include "RudUvud/xlsadapter/XlsMessages.h"

#include <cstdint>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size)
{
    ByteArray input(Data, Data + Size);
    TOle2MemoryStream in(input);
    ByteArray workbook;
    try {
        TOle2File f(&in);
        f.SelectStream(u"Workbook");
        // Read in uneven pieces, as records are read.
        while (!f.Get_Eof()) {
            Byte buf[611];
            Integer n = static_cast<Integer>(std::min<Int64>(sizeof buf, f.Get_Length() - f.Get_Position()));
            f.ReadMem(buf, n);
            workbook.insert(workbook.end(), buf, buf + n);
        }
    } catch (const EExcelException&) {
        return 0;
    }

    // Write a copy with the stream replaced by its own bytes in reverse.
    ByteArray replaced(workbook.rbegin(), workbook.rend());
    TOle2MemoryStream out;
    in.Seek(0);
    try {
        TOle2File f(&in);
        f.PrepareForWrite(&out, u"Workbook", {});
        f.WriteMem(replaced.data(), static_cast<Integer>(replaced.size()));
        f.FinishStream();
    } catch (const EExcelException&) {
        return 0; // a source whose other streams are damaged is refused
    }
    TOle2MemoryStream back(out.Bytes());
    TOle2File g(&back);
    g.SelectStream(u"Workbook");
    ByteArray again(static_cast<size_t>(g.Get_Length()));
    g.ReadMem(again.data(), static_cast<Integer>(again.size()));
    if (replaced.size() < again.size())
        replaced.resize(again.size(), 0);
    if (again != replaced)
        __builtin_trap();
    return 0;
}
