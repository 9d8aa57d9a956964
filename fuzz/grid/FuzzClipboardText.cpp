// Pasted text comes from any program: the splitter must read only the bytes it is given, and a
// cell's copied form must come back as that one cell.

#include "RudUvud/exchange/ClipboardText.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

namespace {

// Line breaks as the grid keeps them: CR LF for every CR LF, lone CR or lone LF.
AnsiString CrLf(const AnsiString& S)
{
    AnsiString R;
    for (std::size_t I = 0; I < S.size(); ++I) {
        if (S[I] == '\r' || S[I] == '\n') {
            R += "\r\n";
            if (S[I] == '\r' && I + 1 < S.size() && S[I + 1] == '\n')
                ++I;
        } else {
            R += S[I];
        }
    }
    return R;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size)
{
    if (Size > 65536)
        return 0;
    const char* P = reinterpret_cast<const char*>(Data);
    const auto Lines = cliptext::SplitPasteText(P, Size);
    if (Lines.empty())
        std::abort();
    std::size_t Bytes = 0;
    for (const auto& L : Lines)
        for (const AnsiString& F : L.Fields)
            Bytes += F.size();
    // Unquoting only shrinks a field, except that a lone line break may become CR LF.
    if (Bytes > 2 * Size)
        std::abort();
    // A multi-line cell without TAB (or the CSV line-break character) comes back whole.
    const AnsiString Cell(P, Size);
    if (Cell.find_first_of("\r\n") != AnsiString::npos && Cell.find('\t') == AnsiString::npos &&
        Cell.find('\0') == AnsiString::npos && Cell.find('\x0B') == AnsiString::npos) {
        const AnsiString Q = cliptext::QuoteMultiLine(Cell);
        const auto Back = cliptext::SplitPasteText(Q.data(), Q.size());
        if (Back.size() != 1 || Back[0].Fields.size() != 1 || Back[0].Fields[0] != CrLf(Cell))
            std::abort();
    }
    return 0;
}
