#pragma once

// A compound document to write a "Workbook" stream into and read it back, without fixture files:
// for the engine's tests, its fuzz targets that take a raw record stream, and its benchmarks.

#include "RudUvud/xlsadapter/Ole2File.h"
#include "RudUvud/xlsadapter/XlsMessages.h"

#include <algorithm>
#include <memory>

namespace xlstest {

// A compound document of one FAT sector and one directory sector: a root and an empty
// "Workbook" stream, the smallest source a stream can be written into.
inline ByteArray EmptyDocument()
{
    ByteArray d(512 * 3, 0);
    const Byte sig[8] = {0xD0, 0xCF, 0x11, 0xE0, 0xA1, 0xB1, 0x1A, 0xE1};
    std::copy(sig, sig + 8, d.begin());
    SetWord(d.data(), 24, 0x3E);
    SetWord(d.data(), 26, 3);
    SetWord(d.data(), 28, 0xFFFE);
    SetWord(d.data(), 30, 9);
    SetWord(d.data(), 32, 6);
    SetLongWord(d.data(), 44, 1);          // FAT sectors
    SetLongWord(d.data(), 48, 1);          // first directory sector
    SetLongWord(d.data(), 56, 4096);       // mini stream cutoff
    SetLongWord(d.data(), 60, 0xFFFFFFFE); // no MiniFAT
    SetLongWord(d.data(), 68, 0xFFFFFFFE); // no DIFAT sectors
    for (int i = 0; i < 109; ++i)
        SetLongWord(d.data(), 76 + 4 * i, i == 0 ? 0 : 0xFFFFFFFF);
    Byte* fat = d.data() + 512;
    for (int i = 0; i < 128; ++i)
        SetLongWord(fat, 4 * i, i == 0 ? 0xFFFFFFFD : (i == 1 ? 0xFFFFFFFE : 0xFFFFFFFF));
    Byte* dir = d.data() + 1024;
    auto entry = [&](Byte* e, const char16_t* Name, Byte Type, LongWord Child) {
        int n = 0;
        for (; Name[n]; ++n)
            SetWord(e, 2 * n, Name[n]);
        SetWord(e, 64, static_cast<Word>(2 * n + 2));
        e[66] = Type;
        e[67] = 1;
        SetLongWord(e, 68, 0xFFFFFFFF);
        SetLongWord(e, 72, 0xFFFFFFFF);
        SetLongWord(e, 76, Child);
        SetLongWord(e, 116, 0xFFFFFFFE);
    };
    entry(dir, u"Root Entry", 5, 1);
    entry(dir + 128, u"Workbook", 2, 0xFFFFFFFF);
    return d;
}

// A "Workbook" stream being written; Finish returns its bytes.
struct TWriteDoc {
    ByteArray Source = EmptyDocument();
    TOle2MemoryStream In{Source};
    TOle2MemoryStream Out;
    std::unique_ptr<TOle2File> File;
    TWriteDoc()
    {
        File = std::make_unique<TOle2File>(&In);
        File->PrepareForWrite(&Out, u"Workbook", {});
    }
    ByteArray Finish()
    {
        Int64 n = File->Get_Position();
        File->FinishStream();
        TOle2MemoryStream s(Out.Bytes());
        TOle2File f(&s);
        f.SelectStream(u"Workbook");
        ByteArray b(static_cast<size_t>(n));
        if (n > 0)
            f.ReadMem(b.data(), static_cast<Integer>(n));
        return b;
    }
};

} // namespace xlstest
