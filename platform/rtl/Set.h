#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <initializer_list>

// A set of the values of an enumeration with at most 256 values (ordinals 0..255), held as a
// 256-bit mask. Usable in constant expressions:
//   inline constexpr TSet<TFontStyle> Bold{fsBold};
//   if (Style.Contains(fsItalic)) ...
// Values outside 0..255 are ignored by Include and never contained.
template <class E> class TSet {
public:
    constexpr TSet() = default;
    constexpr TSet(std::initializer_list<E> Values)
    {
        for (E Value : Values)
            Include(Value);
    }

    constexpr bool Contains(E Value) const
    {
        const auto Bit = Ordinal(Value);
        return Bit < 256 && (FBits[Bit / 64] >> (Bit % 64) & 1u) != 0;
    }
    constexpr TSet& Include(E Value)
    {
        const auto Bit = Ordinal(Value);
        if (Bit < 256)
            FBits[Bit / 64] |= std::uint64_t{1} << (Bit % 64);
        return *this;
    }
    constexpr TSet& Exclude(E Value)
    {
        const auto Bit = Ordinal(Value);
        if (Bit < 256)
            FBits[Bit / 64] &= ~(std::uint64_t{1} << (Bit % 64));
        return *this;
    }
    constexpr bool Empty() const { return FBits[0] == 0 && FBits[1] == 0 && FBits[2] == 0 && FBits[3] == 0; }
    constexpr void Clear() { FBits = {}; }
    // Number of values in the set.
    constexpr int Count() const
    {
        int Result = 0;
        for (std::uint64_t Word : FBits)
            for (; Word != 0; Word &= Word - 1)
                ++Result;
        return Result;
    }

    // Union, difference, intersection.
    friend constexpr TSet operator+(TSet A, const TSet& B) { return A += B; }
    friend constexpr TSet operator-(TSet A, const TSet& B) { return A -= B; }
    friend constexpr TSet operator*(TSet A, const TSet& B) { return A *= B; }
    constexpr TSet& operator+=(const TSet& B)
    {
        for (std::size_t I = 0; I < 4; ++I)
            FBits[I] |= B.FBits[I];
        return *this;
    }
    constexpr TSet& operator-=(const TSet& B)
    {
        for (std::size_t I = 0; I < 4; ++I)
            FBits[I] &= ~B.FBits[I];
        return *this;
    }
    constexpr TSet& operator*=(const TSet& B)
    {
        for (std::size_t I = 0; I < 4; ++I)
            FBits[I] &= B.FBits[I];
        return *this;
    }
    friend constexpr TSet operator+(TSet A, E Value) { return A.Include(Value); }
    friend constexpr TSet operator-(TSet A, E Value) { return A.Exclude(Value); }
    constexpr TSet& operator+=(E Value) { return Include(Value); }
    constexpr TSet& operator-=(E Value) { return Exclude(Value); }

    friend constexpr bool operator==(const TSet& A, const TSet& B) { return A.FBits == B.FBits; }
    // Subset and superset, as the <= and >= of sets.
    friend constexpr bool operator<=(const TSet& A, const TSet& B) { return (A - B).Empty(); }
    friend constexpr bool operator>=(const TSet& A, const TSet& B) { return (B - A).Empty(); }

private:
    static constexpr std::size_t Ordinal(E Value)
    {
        const auto Raw = static_cast<long long>(Value);
        return Raw < 0 ? 256 : static_cast<std::size_t>(Raw);
    }

    std::array<std::uint64_t, 4> FBits{};
};
