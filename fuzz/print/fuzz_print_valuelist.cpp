// Any bytes given to the value-list reader either load and read back or raise one of the
// platform's exceptions; nothing reads past the stream or allocates what a count claims; names
// are found as a scan of the lines finds them.

#include "print/VuValueList.h"

#include "platform/rtl/Exceptions.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size)
{
    TMemoryStream Stream;
    if (Size > 0)
        Stream.WriteBuffer(Data, static_cast<Integer>(Size));
    Stream.SetPosition(0);
    // A document is a run of blocks; read lists until the stream ends or refuses.
    for (int Block = 0; Block < 16 && Stream.Position() < Stream.Size(); ++Block) {
        TVuValueList List;
        try {
            List.LoadFromStream(&Stream);
        } catch (const Exception&) {
            break;
        }
        for (Integer i = 0; i < List.Count(); ++i) {
            AnsiString Name = List.Names(i);
            // The indexed look-up answers as a scan of the lines would, for the name as written
            // and in other case.
            AnsiString Upper = Name, Lower = Name;
            for (char& C : Upper)
                C = (C >= 'a' && C <= 'z') ? char(C - 32) : C;
            for (char& C : Lower)
                C = (C >= 'A' && C <= 'Z') ? char(C + 32) : C;
            for (const AnsiString& N : {Name, Upper, Lower})
                if (List.IndexOfName(N) != List.TStrings::IndexOfName(N))
                    __builtin_trap();
            try {
                List.ReadIntValue(Name, 0);
            } catch (const Exception&) {
            }
            try {
                List.ReadBoolValue(Name, false);
            } catch (const Exception&) {
            }
            try {
                List.ReadExtValue(Name, 0);
            } catch (const Exception&) {
            }
            try {
                List.ReadVuPointValue(Name, {});
            } catch (const Exception&) {
            }
            try {
                List.ReadVuRectValue(Name, {});
            } catch (const Exception&) {
            }
            try {
                List.ReadPointValue(Name, TPoint{0, 0});
            } catch (const Exception&) {
            }
            AnsiString Text = List.ReadStringValue(Name, "");
            // What was read must write and read back to the same text.
            TVuValueList Copy;
            Copy.WriteStringValue("V", Text);
            if (Copy.ReadStringValue("V", "") != Text)
                __builtin_trap();
        }
        TMemoryStream Out;
        List.SaveToStream(&Out);
    }
    return 0;
}
