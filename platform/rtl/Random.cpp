#include "platform/rtl/Random.h"

#include <chrono>

LongInt RandSeed = 0;

namespace {

// One step of the generator: seed * 134775813 + 1 modulo 2^32. The sequence is part of the
// behaviour programs see (a fixed seed gives the same draw every run), so it never changes.
UInt64 NextSeed()
{
    const auto Next = static_cast<std::uint32_t>(static_cast<std::uint32_t>(RandSeed) * 0x08088405u + 1u);
    RandSeed = static_cast<LongInt>(Next);
    return Next;
}

} // namespace

void Randomize()
{
    const auto Ticks = std::chrono::system_clock::now().time_since_epoch();
    const auto Micro = std::chrono::duration_cast<std::chrono::microseconds>(Ticks).count();
    RandSeed = static_cast<LongInt>(static_cast<std::uint32_t>(Micro ^ (Micro >> 32)));
}

Integer Random(Integer Range)
{
    const Int64 Product = static_cast<Int64>(NextSeed()) * Range;
    // Arithmetic shift: for a negative Range the result lies in (Range, 0].
    return static_cast<Integer>(Product >> 32);
}

Extended Random()
{
    return static_cast<Extended>(NextSeed()) / 4294967296.0;
}

Integer RandomRange(Integer AFrom, Integer ATo)
{
    if (AFrom > ATo)
        return Random(AFrom - ATo) + ATo;
    return Random(ATo - AFrom) + AFrom;
}
