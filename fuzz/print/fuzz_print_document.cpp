// A print document stream from anywhere: any bytes either load completely or raise one of the
// platform's exceptions and leave the document as it was (one page, nothing half loaded, no
// update left open); counts read from the stream never make the reader allocate what they
// claim. What loads saves again and loads again.

#include "print/VuPageList.h"

#include "platform/rtl/Exceptions.h"
#include "platform/win/Printing.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    // No printer queues: the document's printer falls back to its fixed metrics.
    ConfigurePrinters("", false);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size)
{
    TMemoryStream Stream;
    if (Size > 0)
        Stream.WriteBuffer(Data, static_cast<Integer>(Size));
    Stream.SetPosition(0);
    try {
        TVuPageList::ReadStreamVersion(&Stream);
    } catch (const Exception&) {
    }
    Stream.SetPosition(0);
    TVuPageList Doc;
    Doc.AddPage();
    TVuPage* Before = Doc.GetPage(1);
    bool Loaded = false;
    try {
        Doc.LoadFromStream(&Stream);
        Loaded = true;
    } catch (const Exception&) {
    }
    if (Doc.Updating() || Doc.Count() < 1 || Doc.CurrentPage() < 1 || Doc.CurrentPage() > Doc.Count())
        std::abort();
    if (!Loaded && (Doc.Count() != 1 || Doc.GetPage(1) != Before))
        std::abort();
    if (!Loaded)
        return 0;
    TMemoryStream Out;
    Doc.SaveToStream(&Out);
    Out.SetPosition(0);
    TVuPageList Again;
    try {
        Again.LoadFromStream(&Out);
    } catch (const Exception&) {
        // Values the writer cannot keep exactly (text with control characters, numbers beyond
        // the stored precision) may not read back; they must still fail cleanly.
    }
    return 0;
}
