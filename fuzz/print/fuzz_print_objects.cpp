// A stored resource table followed by stored page objects: any bytes either load or raise one
// of the platform's exceptions; counts, positions and indices read from the stream never make
// the reader allocate what they claim or read outside the stream, and a load that stops half
// way leaves a table that can still be released.

#include "print/VuObjects.h"

#include "platform/rtl/Exceptions.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size)
{
    TMemoryStream Stream;
    if (Size > 0)
        Stream.WriteBuffer(Data, static_cast<Integer>(Size));
    Stream.SetPosition(0);
    TVuResourceTable Table;
    std::vector<std::unique_ptr<TVuBaseObject, void (*)(TVuBaseObject*)>> Objects;
    try {
        Table.LoadFromStream(&Stream);
        for (int i = 0; i < 64 && Stream.Position() + 4 <= Stream.Size(); ++i) {
            TVuBaseObject* O = CreateVuObject(Stream.ReadInteger(), &Table);
            if (!O)
                break;
            Objects.emplace_back(O, [](TVuBaseObject* P) { P->Free(); });
            O->LoadFromStream(&Stream);
        }
    } catch (const Exception&) {
    }
    Table.EndLoad();
    // What loaded saves again.
    TMemoryStream Out;
    Table.SaveToStream(&Out);
    for (auto& O : Objects) {
        try {
            O->SaveToStream(&Out);
        } catch (const Exception&) {
        }
    }
    return 0;
}
