// Fixed-width files come from anywhere: any line and any positions must cut into fields without
// raising or reading outside the line, never inside a character of valid UTF-8, and a field cut
// to a width and padded must be exactly that many characters.

#include "RudUvud/exchange/TextFormats.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

namespace {

bool ValidStart(const AnsiString& S)
{
    return S.empty() || (static_cast<unsigned char>(S[0]) & 0xC0) != 0x80;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size)
{
    if (Size < 4 || Size > 65536)
        return 0;
    // The first bytes choose up to eight positions (signed, so that 0 and negatives come too).
    const std::size_t N = 2 + Data[0] % 7;
    if (Size < 1 + N)
        return 0;
    std::vector<Integer> Pos;
    for (std::size_t I = 0; I < N; ++I)
        Pos.push_back(static_cast<std::int8_t>(Data[1 + I]));
    std::sort(Pos.begin(), Pos.end());
    const AnsiString Line(reinterpret_cast<const char*>(Data + 1 + N), Size - 1 - N);
    const bool Trim = Data[0] & 0x80;
    const auto Fields = textformats::SplitFixedLine(Line, Pos, Trim);
    if (Fields.size() != N - 1)
        std::abort();
    std::size_t Total = 0;
    for (const AnsiString& F : Fields) {
        Total += F.size();
        if (!Trim && !ValidStart(F) && ValidStart(Line))
            std::abort();
    }
    if (!Trim && Total > Line.size())
        std::abort();
    const std::size_t W = Data[1] % 64;
    if (textformats::CharLength(textformats::FitToWidth(Line, W)) != W)
        std::abort();
    const auto A = static_cast<textformats::TPieceAlign>(Data[2] % 3);
    if (textformats::CharLength(textformats::AlignPiece(Line, W, A)) < W)
        std::abort();
    return 0;
}
