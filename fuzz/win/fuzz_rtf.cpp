// Any bytes given as RTF read into a document (partial or not), which writes out and reads
// back to the same text, and lays out and draws onto a small bitmap without fault.

#include "platform/win/Gdi.h"
#include "platform/win/RichText.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

// Fontconfig keeps its cached patterns through encoded offsets that the leak checker cannot
// follow; fonts loaded for the first time would otherwise look leaked.
extern "C" const char* __lsan_default_suppressions()
{
    return "leak:libfontconfig.so\n";
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size > (1u << 16))
        return 0;
    std::string rtf(reinterpret_cast<const char*>(data), size);
    richtext::ReadResult r = richtext::ReadRtf(rtf);
    const richtext::Document& doc = r.Doc;
    if (doc.Text().empty() || doc.Text().back() != u'\r')
        std::abort();
    // What the writer makes of any document reads back as the same text.
    richtext::ReadResult again = richtext::ReadRtf(richtext::WriteRtf(doc));
    if (again.Doc.Text() != doc.Text())
        std::abort();
    // Layout and drawing of a bounded prefix (font sizes come from the input).
    if (doc.Text().size() < 2000) {
        auto lines = richtext::LayOut(doc, 0, 2880, 4 * 1440);
        TOwnedDC dc(CreateCompatibleDC(nullptr));
        TOwnedBitmap bmp(CreateCompatibleBitmap(dc.get(), 64, 64));
        TSelectObject selected(dc.get(), bmp.get());
        richtext::DrawLines(dc.get(), doc, lines, lines.size(), 0, 0, 0, 1);
    }
    return 0;
}
