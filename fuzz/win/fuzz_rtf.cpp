// Any bytes given as RTF read into a document (partial or not), which writes out and reads
// back to the same text, and lays out and draws onto a small bitmap without fault; the layout kept
// paragraph by paragraph agrees with the whole document's, before and after an edit.

#include "platform/win/Gdi.h"
#include "platform/win/RichFlow.h"
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
        // A third of the text cut from the middle, told to a flow laid out before.
        richtext::Document edited = doc;
        richtext::Flow flow;
        flow.Update(edited, 2880);
        const std::size_t from = edited.Length() / 3, to = 2 * edited.Length() / 3;
        edited.Replace(from, to, u"", edited.CharIndexAt(from));
        flow.Replaced(edited, from, to - from, 0);
        flow.Update(edited, 2880);
        const auto whole = richtext::LayOut(edited, 0, 2880);
        if (flow.LineCount() != whole.size() || flow.Height() != whole.back().Top + whole.back().Height)
            std::abort();
        for (std::size_t k = 0; k < whole.size(); ++k)
            if (flow.LineAt(k).Start != whole[k].Start || flow.LineAt(k).Top != whole[k].Top)
                std::abort();
    }
    return 0;
}
