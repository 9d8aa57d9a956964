#pragma once

// Pictures and icons made in memory for the cell graphic tests, and readable TPoint output.

#include "RudUvud/tests/GridTestSupport.h"

#include "platform/forms/Graphics.h"
#include "platform/rtl/Streams.h"

#include <gtest/gtest.h>

#include <ostream>
#include <vector>

inline void PrintTo(const TPoint& P, std::ostream* Os)
{
    *Os << "(" << P.X << ", " << P.Y << ")";
}

namespace graphictest {

// A bitmap of the given size filled with one colour; the caller owns it.
inline TBitmap* SolidBitmap(Integer W, Integer H, TColor Color)
{
    TBitmap* B = New<TBitmap>();
    B->SetSize(W, H);
    B->Canvas()->Brush()->SetColor(Color);
    B->Canvas()->FillRect(TRect{0, 0, W, H});
    return B;
}

// An icon file of one 32-bit image Size pixels square.
inline std::vector<Byte> IconFileBytes(int Size)
{
    std::vector<Byte> Out;
    auto Put = [&Out](unsigned V, int Bytes) {
        for (int I = 0; I < Bytes; ++I)
            Out.push_back(Byte(V >> (8 * I)));
    };
    const unsigned Image = unsigned(40 + Size * Size * 4 + (Size + 31) / 32 * 4 * Size);
    Put(0, 2);
    Put(1, 2);
    Put(1, 2);
    Out.push_back(Byte(Size));
    Out.push_back(Byte(Size));
    Put(0, 2);
    Put(1, 2);
    Put(32, 2);
    Put(Image, 4);
    Put(22, 4);
    Put(40, 4);
    Put(unsigned(Size), 4);
    Put(unsigned(Size * 2), 4);
    Put(1, 2);
    Put(32, 2);
    for (int I = 0; I < 6; ++I)
        Put(0, 4);
    for (int I = 0; I < Size * Size; ++I)
        Put(0xFF0000FFu, 4);
    Out.resize(Out.size() + std::size_t((Size + 31) / 32 * 4 * Size), 0);
    return Out;
}

// An icon Size pixels square; the caller owns it.
inline TIcon* SquareIcon(int Size)
{
    const std::vector<Byte> Bytes = IconFileBytes(Size);
    TMemoryStream S;
    S.WriteBuffer(Bytes.data(), Integer(Bytes.size()));
    S.SetPosition(0);
    TIcon* I = New<TIcon>();
    I->LoadFromStream(&S);
    return I;
}

// A picture holding a bitmap of the given size; the caller owns it.
inline TPicture* SolidPicture(Integer W, Integer H, TColor Color)
{
    TBitmap* B = SolidBitmap(W, H, Color);
    TPicture* P = New<TPicture>();
    P->SetGraphic(B);
    B->Free();
    return P;
}

} // namespace graphictest
