#pragma once

// The basic types every library is written in. 8-bit strings hold UTF-8 and are indexed by
// byte; wide strings hold UTF-16. Integer types keep the widths the libraries were designed for.

#include <cstdint>
#include <string>

using Integer = std::int32_t;
using Cardinal = std::uint32_t;
using LongInt = std::int32_t;
using LongWord = std::uint32_t;
using ShortInt = std::int8_t;
using SmallInt = std::int16_t;
using Byte = std::uint8_t;
using Word = std::uint16_t;
using DWORD = std::uint32_t;
using Int64 = std::int64_t;
using UInt64 = std::uint64_t;
using NativeInt = std::intptr_t;
using NativeUInt = std::uintptr_t;
using Single = float;
using Double = double;
using Extended = double;
using Currency = double;

using AnsiChar = char;
using WideChar = char16_t;
using AnsiString = std::string;
using WideString = std::u16string;
using UnicodeString = std::u16string;
using PChar = char*;
using PAnsiChar = char*;
using PWideChar = char16_t*;

// Days since 30 December 1899; the fraction is the time of day.
using TDateTime = double;

// 0x00BBGGRR; system colours are 0x80000000 + index.
using TColor = std::uint32_t;
inline constexpr TColor clNone = 0x1FFFFFFF;
inline constexpr TColor clDefault = 0x20000000;

struct TPoint {
    Integer X = 0;
    Integer Y = 0;
    friend bool operator==(const TPoint&, const TPoint&) = default;
};

struct TSize {
    Integer cx = 0;
    Integer cy = 0;
    friend bool operator==(const TSize&, const TSize&) = default;
};

// Right and bottom are exclusive.
struct TRect {
    Integer Left = 0;
    Integer Top = 0;
    Integer Right = 0;
    Integer Bottom = 0;
    Integer Width() const { return Right - Left; }
    Integer Height() const { return Bottom - Top; }
    friend bool operator==(const TRect&, const TRect&) = default;
};

inline TPoint Point(Integer X, Integer Y)
{
    return {X, Y};
}
inline TRect Rect(Integer Left, Integer Top, Integer Right, Integer Bottom)
{
    return {Left, Top, Right, Bottom};
}
inline TRect Bounds(Integer Left, Integer Top, Integer Width, Integer Height)
{
    return {Left, Top, Left + Width, Top + Height};
}
