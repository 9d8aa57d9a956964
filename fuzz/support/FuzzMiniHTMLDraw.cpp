// Mini-HTML from cells, hints and imported files laid out, drawn and hit-tested on a small
// bitmap: every call must end, stay in bounds and leave the canvas as it found it. The first
// byte picks the rectangle width (0..63, so narrow and empty rectangles come up often), word
// wrap and the hit-test point; the rest is the markup.

#include "RudUvud/support/Daehtmle.h"

#include "platform/forms/Graphics.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

// Fontconfig keeps its cached patterns through encoded offsets that the leak checker cannot
// follow; every new font face the markup names would otherwise look leaked.
extern "C" const char* __lsan_default_suppressions()
{
    return "leak:libfontconfig.so\n";
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size)
{
    if (Size < 1 || Size > 4096)
        return 0;
    static TBitmap* Bitmap = [] {
        auto* B = new TBitmap();
        B->SetSize(64, 48);
        return B;
    }();
    TCanvas* C = Bitmap->Canvas();
    C->Font()->SetName("Arial");
    C->Font()->SetSize(8);
    C->Brush()->SetColor(0xFFFFFF);
    C->Pen()->SetColor(0x123456);
    const std::uint8_t Flags = Data[0];
    const AnsiString Markup(reinterpret_cast<const char*>(Data + 1), Size - 1);
    const TRect Rect{0, 0, Integer(Flags & 63), 48};
    const bool WordWrap = (Flags & 64) != 0;
    for (int Mode = 0; Mode < 3; ++Mode) {
        AnsiString AnchorVal, Strip, Focus, Hint, ID = (Flags & 128) ? "e1" : "", Val, Type;
        Integer XSize = 0, YSize = 0, Links = 0, MouseLink = 0;
        TRect MouseRect{}, CtrlRect{};
        HTMLDrawEx(C, Markup, Rect, nullptr, Flags & 31, Flags >> 3, 0, 1, 1, Mode == 2, Mode == 0, false,
                   false, (Flags & 1) != 0, (Flags & 2) != 0, WordWrap, (Flags & 4) != 0, 1.0, 0xFF0000,
                   0x00FF00, 0x0000FF, 0x808080, AnchorVal, Strip, Focus, Hint, XSize, YSize, Links,
                   MouseLink, MouseRect, CtrlRect, ID, Val, Type, nullptr, nullptr, nullptr);
        if (C->Font()->Name() != "Arial" || C->Font()->Size() != 8 || C->Brush()->Color() != 0xFFFFFF ||
            C->Pen()->Color() != 0x123456 || YSize <= 0 || XSize < 0)
            std::abort();
    }
    HTMLStrip(Markup);
    HiLight(Markup, "a", "hi", (Flags & 1) != 0);
    AnsiString Copy = Markup;
    SetControlValue(Copy, GetNextControlID(Markup, ""), "v<&\"");
    return 0;
}
