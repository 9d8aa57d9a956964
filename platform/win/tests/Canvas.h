#pragma once

// A memory DC on a white bitmap, and helpers to look at its pixels.

#include "platform/win/Gdi.h"

#include <cairo.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include <string>

struct Canvas {
    HDC Dc = nullptr;
    HBITMAP Bitmap = nullptr;
    HGDIOBJ OldBitmap = nullptr;
    int Width, Height;

    Canvas(int width, int height, COLORREF fill = RGB(255, 255, 255)) : Width(width), Height(height)
    {
        Dc = CreateCompatibleDC(nullptr);
        Bitmap = CreateCompatibleBitmap(Dc, width, height);
        OldBitmap = SelectObject(Dc, Bitmap);
        Fill(fill);
    }
    ~Canvas()
    {
        SelectObject(Dc, OldBitmap);
        DeleteObject(Bitmap);
        DeleteDC(Dc);
    }
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;

    void Fill(COLORREF c)
    {
        HBRUSH b = CreateSolidBrush(c);
        RECT r{0, 0, Width, Height};
        FillRect(Dc, &r, b);
        DeleteObject(b);
    }

    // The pixel at device coordinates, whatever mapping the DC has.
    COLORREF At(int x, int y) const
    {
        if (x < 0 || y < 0 || x >= Width || y >= Height)
            return CLR_INVALID;
        cairo_surface_t* s = GetBitmapSurface(Bitmap);
        cairo_surface_flush(s);
        auto* row = reinterpret_cast<const std::uint32_t*>(cairo_image_surface_get_data(s) +
                                                           y * cairo_image_surface_get_stride(s));
        std::uint32_t p = row[x];
        return RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
    }

    // One character per pixel: '#' black, '.' white, 'o' any other colour; rows end with '\n'.
    std::string Ascii(int left, int top, int right, int bottom) const
    {
        std::string s;
        for (int y = top; y < bottom; ++y) {
            for (int x = left; x < right; ++x) {
                COLORREF c = At(x, y);
                s += c == 0 ? '#' : c == 0xFFFFFF ? '.' : 'o';
            }
            s += '\n';
        }
        return s;
    }
    std::string Ascii() const { return Ascii(0, 0, Width, Height); }

    // Pixels not of the given colour inside a rectangle.
    int CountNot(COLORREF c, RECT r) const
    {
        int n = 0;
        for (int y = r.Top; y < r.Bottom; ++y)
            for (int x = r.Left; x < r.Right; ++x)
                n += At(x, y) != c;
        return n;
    }
    int Ink(RECT r) const { return CountNot(RGB(255, 255, 255), r); }
    int Ink() const { return Ink({0, 0, Width, Height}); }

    // The bounding box of pixels that are not white (empty when none).
    RECT InkBox() const
    {
        RECT b{Width, Height, 0, 0};
        for (int y = 0; y < Height; ++y)
            for (int x = 0; x < Width; ++x)
                if (At(x, y) != 0xFFFFFF) {
                    b.Left = std::min(b.Left, x);
                    b.Top = std::min(b.Top, y);
                    b.Right = std::max(b.Right, x + 1);
                    b.Bottom = std::max(b.Bottom, y + 1);
                }
        if (b.Right == 0)
            return {};
        return b;
    }

    // A fingerprint of every pixel, to compare before and after.
    std::vector<COLORREF> Snapshot() const
    {
        std::vector<COLORREF> s;
        for (int y = 0; y < Height; ++y)
            for (int x = 0; x < Width; ++x)
                s.push_back(At(x, y));
        return s;
    }
};

// Selects an object for the lifetime of the scope and deletes it afterwards.
struct Selected {
    HDC Dc;
    HGDIOBJ Obj, Old;
    Selected(HDC dc, HGDIOBJ obj) : Dc(dc), Obj(obj), Old(SelectObject(dc, obj)) {}
    ~Selected()
    {
        SelectObject(Dc, Old);
        DeleteObject(Obj);
    }
};
