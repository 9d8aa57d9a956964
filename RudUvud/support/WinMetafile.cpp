#include "RudUvud/support/WinMetafile.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

namespace {

constexpr std::uint32_t PlaceableKey = 0x9AC6CDD7u;
constexpr std::uint32_t EmfSignature = 0x464D4520u; // " EMF"
constexpr std::size_t MaxObjects = 1024;

std::uint16_t U16(const Byte* P)
{
    return std::uint16_t(P[0] | P[1] << 8);
}
std::int16_t S16(const Byte* P)
{
    return std::int16_t(U16(P));
}
std::uint32_t U32(const Byte* P)
{
    return std::uint32_t(P[0]) | std::uint32_t(P[1]) << 8 | std::uint32_t(P[2]) << 16 |
           std::uint32_t(P[3]) << 24;
}
std::int32_t S32(const Byte* P)
{
    return std::int32_t(U32(P));
}

// Maps logical coordinates (window origin and extent) onto the bitmap.
struct TMapping {
    double OrgX = 0, OrgY = 0, ExtX = 1, ExtY = 1;
    int Width = 1, Height = 1;
    int X(double V) const { return Clamp((V - OrgX) * Width / ExtX); }
    int Y(double V) const { return Clamp((V - OrgY) * Height / ExtY); }
    int Len(double V) const { return Clamp(std::fabs(V * Width / ExtX)); }
    static int Clamp(double V)
    {
        if (!std::isfinite(V))
            return 0;
        return int(std::clamp(V, -1e6, 1e6));
    }
};

// The objects a metafile creates: pens and brushes by slot.
class TObjectTable {
public:
    explicit TObjectTable(HDC Dc) : FDc(Dc) {}
    ~TObjectTable()
    {
        SelectObject(FDc, GetStockObject(BLACK_PEN));
        SelectObject(FDc, GetStockObject(WHITE_BRUSH));
        for (HGDIOBJ O : FSlots)
            if (O)
                DeleteObject(O);
    }
    // WMF: the lowest free slot; EMF: the slot the record names.
    void Add(HGDIOBJ O)
    {
        for (HGDIOBJ& S : FSlots)
            if (!S) {
                S = O;
                return;
            }
        if (FSlots.size() < MaxObjects)
            FSlots.push_back(O);
        else
            DeleteObject(O);
    }
    void Put(std::size_t Index, HGDIOBJ O)
    {
        if (Index >= MaxObjects) {
            DeleteObject(O);
            return;
        }
        if (FSlots.size() <= Index)
            FSlots.resize(Index + 1, nullptr);
        Delete(Index);
        FSlots[Index] = O;
    }
    void Select(std::size_t Index)
    {
        if (Index < FSlots.size() && FSlots[Index])
            SelectObject(FDc, FSlots[Index]);
    }
    void Delete(std::size_t Index)
    {
        if (Index >= FSlots.size() || !FSlots[Index])
            return;
        // Never delete what is selected: put the stock objects back first.
        SelectObject(FDc, GetStockObject(BLACK_PEN));
        SelectObject(FDc, GetStockObject(WHITE_BRUSH));
        DeleteObject(FSlots[Index]);
        FSlots[Index] = nullptr;
    }

private:
    HDC FDc;
    std::vector<HGDIOBJ> FSlots;
};

HPEN MakePen(int Style, int Width, COLORREF Color)
{
    Style &= 0x0F;
    if (Style > int(PS_NULL))
        Style = PS_SOLID;
    return CreatePen(Style, std::clamp(Width, 0, 64), Color & 0xFFFFFF);
}

HBRUSH MakeBrush(std::uint32_t Style, COLORREF Color)
{
    if (Style == BS_NULL)
        return static_cast<HBRUSH>(GetStockObject(NULL_BRUSH));
    return CreateSolidBrush(Color & 0xFFFFFF);
}

struct TCanvasBitmap {
    HDC Dc = nullptr;
    HBITMAP Bitmap = nullptr;
    HGDIOBJ Old = nullptr;
    TCanvasBitmap(int W, int H)
    {
        HDC Screen = GetDC(nullptr);
        Dc = CreateCompatibleDC(Screen);
        Bitmap = CreateCompatibleBitmap(Screen, W, H);
        ReleaseDC(nullptr, Screen);
        Old = SelectObject(Dc, Bitmap);
        RECT R{};
        R.Right = W;
        R.Bottom = H;
        FillRect(Dc, &R, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    }
    HBITMAP Finish()
    {
        SelectObject(Dc, Old);
        DeleteDC(Dc);
        return Bitmap;
    }
};

std::vector<POINT> Points16(const Byte* P, std::size_t Count, const TMapping& M)
{
    std::vector<POINT> Pts(Count);
    for (std::size_t I = 0; I < Count; ++I) {
        Pts[I].X = M.X(S16(P + 4 * I));
        Pts[I].Y = M.Y(S16(P + 4 * I + 2));
    }
    return Pts;
}

std::vector<POINT> Points32(const Byte* P, std::size_t Count, const TMapping& M)
{
    std::vector<POINT> Pts(Count);
    for (std::size_t I = 0; I < Count; ++I) {
        Pts[I].X = M.X(S32(P + 8 * I));
        Pts[I].Y = M.Y(S32(P + 8 * I + 4));
    }
    return Pts;
}

// ---- WMF

HBITMAP PlayWmf(const Byte* Data, std::size_t Size)
{
    std::size_t At = 0;
    TMapping M;
    bool HaveSize = false;
    if (Size >= 22 && U32(Data) == PlaceableKey) {
        const int Left = S16(Data + 6), Top = S16(Data + 8), Right = S16(Data + 10), Bottom = S16(Data + 12);
        const int Inch = U16(Data + 14);
        if (Inch > 0 && Right > Left && Bottom > Top) {
            M.Width = int(std::lround(double(Right - Left) * 96 / Inch));
            M.Height = int(std::lround(double(Bottom - Top) * 96 / Inch));
            M.OrgX = Left;
            M.OrgY = Top;
            M.ExtX = Right - Left;
            M.ExtY = Bottom - Top;
            HaveSize = true;
        }
        At = 22;
    }
    // The standard header: type 1 or 2, header size 9 words.
    if (Size < At + 18 || (U16(Data + At) != 1 && U16(Data + At) != 2) || U16(Data + At + 2) != 9)
        return nullptr;
    At += 18;
    // Without the placeable header the window extent gives the size.
    if (!HaveSize) {
        for (std::size_t P = At; P + 6 <= Size;) {
            const std::uint32_t Words = U32(Data + P);
            const std::uint16_t Fn = U16(Data + P + 4);
            if (Words < 3 || Words > (Size - P) / 2 || Fn == 0)
                break;
            if (Fn == 0x020C && Words >= 5) {
                M.ExtY = S16(Data + P + 6);
                M.ExtX = S16(Data + P + 8);
                M.Width = int(std::fabs(M.ExtX));
                M.Height = int(std::fabs(M.ExtY));
                HaveSize = true;
                break;
            }
            P += std::size_t(Words) * 2;
        }
    }
    if (!HaveSize || M.Width < 1 || M.Height < 1 || M.Width > MaxMetafilePixels ||
        M.Height > MaxMetafilePixels || M.ExtX == 0 || M.ExtY == 0)
        return nullptr;

    TCanvasBitmap Canvas(M.Width, M.Height);
    HDC Dc = Canvas.Dc;
    {
        TObjectTable Objects(Dc);
        const int PlaceW = M.Width, PlaceH = M.Height;
        for (int Count = 0; Count < MaxMetafileRecords && At + 6 <= Size; ++Count) {
            const std::uint32_t Words = U32(Data + At);
            const std::uint16_t Fn = U16(Data + At + 4);
            if (Words < 3 || Words > (Size - At) / 2)
                break; // a record running past the bytes ends the picture
            const Byte* P = Data + At + 6;
            const std::size_t Params = std::size_t(Words) * 2 - 6; // bytes of parameters
            At += std::size_t(Words) * 2;
            if (Fn == 0x0000)
                break;
            // Parameters are stored last to first.
            switch (Fn) {
            case 0x020B: // SETWINDOWORG
                if (Params >= 4) {
                    M.OrgY = S16(P);
                    M.OrgX = S16(P + 2);
                }
                break;
            case 0x020C: // SETWINDOWEXT
                if (Params >= 4 && S16(P) != 0 && S16(P + 2) != 0) {
                    M.ExtY = S16(P);
                    M.ExtX = S16(P + 2);
                    M.Width = PlaceW;
                    M.Height = PlaceH;
                }
                break;
            case 0x0102: // SETBKMODE
                if (Params >= 2)
                    SetBkMode(Dc, U16(P) == OPAQUE ? OPAQUE : TRANSPARENT);
                break;
            case 0x0201: // SETBKCOLOR
                if (Params >= 4)
                    SetBkColor(Dc, U32(P) & 0xFFFFFF);
                break;
            case 0x0209: // SETTEXTCOLOR
                if (Params >= 4)
                    SetTextColor(Dc, U32(P) & 0xFFFFFF);
                break;
            case 0x02FA: // CREATEPENINDIRECT: style, width (x, y), colour
                if (Params >= 10)
                    Objects.Add(MakePen(U16(P), M.Len(S16(P + 2)), U32(P + 6)));
                break;
            case 0x02FC: // CREATEBRUSHINDIRECT: style, colour, hatch
                if (Params >= 8)
                    Objects.Add(MakeBrush(U16(P), U32(P + 2)));
                break;
            case 0x012D: // SELECTOBJECT
                if (Params >= 2)
                    Objects.Select(U16(P));
                break;
            case 0x01F0: // DELETEOBJECT
                if (Params >= 2)
                    Objects.Delete(U16(P));
                break;
            case 0x0214: // MOVETO
                if (Params >= 4)
                    MoveToEx(Dc, M.X(S16(P + 2)), M.Y(S16(P)), nullptr);
                break;
            case 0x0213: // LINETO
                if (Params >= 4)
                    LineTo(Dc, M.X(S16(P + 2)), M.Y(S16(P)));
                break;
            case 0x041B: // RECTANGLE: bottom, right, top, left
            case 0x0418: // ELLIPSE
                if (Params >= 8) {
                    const int L = M.X(S16(P + 6)), T = M.Y(S16(P + 4)), R = M.X(S16(P + 2)), B = M.Y(S16(P));
                    if (Fn == 0x041B)
                        Rectangle(Dc, L, T, R, B);
                    else
                        Ellipse(Dc, L, T, R, B);
                }
                break;
            case 0x0324: // POLYGON
            case 0x0325: // POLYLINE
                if (Params >= 2) {
                    const std::size_t N = U16(P);
                    if (N >= 2 && N * 4 <= Params - 2) {
                        const std::vector<POINT> Pts = Points16(P + 2, N, M);
                        if (Fn == 0x0324)
                            Polygon(Dc, Pts.data(), int(N));
                        else
                            Polyline(Dc, Pts.data(), int(N));
                    }
                }
                break;
            default:
                break;
            }
        }
    }
    return Canvas.Finish();
}

// ---- EMF

HBITMAP PlayEmf(const Byte* Data, std::size_t Size)
{
    if (Size < 88 || U32(Data) != 1 || U32(Data + 40) != EmfSignature)
        return nullptr;
    const std::uint32_t HeaderSize = U32(Data + 4);
    if (HeaderSize < 88 || HeaderSize > Size)
        return nullptr;
    // rclBounds: the device pixels the picture covers, inclusive.
    const std::int64_t L = S32(Data + 8), T = S32(Data + 12), R = S32(Data + 16), B = S32(Data + 20);
    TMapping M;
    if (R < L || B < T || R - L + 1 > MaxMetafilePixels || B - T + 1 > MaxMetafilePixels)
        return nullptr;
    M.Width = int(R - L + 1);
    M.Height = int(B - T + 1);
    M.OrgX = double(L);
    M.OrgY = double(T);
    M.ExtX = M.Width;
    M.ExtY = M.Height;
    const TMapping Device = M;

    TCanvasBitmap Canvas(M.Width, M.Height);
    HDC Dc = Canvas.Dc;
    {
        TObjectTable Objects(Dc);
        bool WindowSet = false, ViewportSet = false;
        double ViewX = Device.Width, ViewY = Device.Height, WinExtX = 1, WinExtY = 1;
        const auto Remap = [&] {
            if (!WindowSet)
                return;
            M.ExtX = WinExtX * (ViewportSet ? Device.Width / ViewX : 1.0);
            M.ExtY = WinExtY * (ViewportSet ? Device.Height / ViewY : 1.0);
            if (M.ExtX == 0 || !std::isfinite(M.ExtX))
                M.ExtX = 1;
            if (M.ExtY == 0 || !std::isfinite(M.ExtY))
                M.ExtY = 1;
        };
        std::size_t At = HeaderSize;
        for (int Count = 0; Count < MaxMetafileRecords && At + 8 <= Size; ++Count) {
            const std::uint32_t Type = U32(Data + At), Len = U32(Data + At + 4);
            if (Len < 8 || Len % 4 != 0 || Len > Size - At)
                break;
            const Byte* P = Data + At + 8;
            const std::size_t Params = Len - 8;
            At += Len;
            if (Type == 14) // EOF
                break;
            switch (Type) {
            case 9:  // SETWINDOWEXTEX
            case 11: // SETVIEWPORTEXTEX
                if (Params >= 8 && S32(P) != 0 && S32(P + 4) != 0) {
                    if (Type == 9) {
                        WinExtX = S32(P);
                        WinExtY = S32(P + 4);
                        WindowSet = true;
                    } else {
                        ViewX = S32(P);
                        ViewY = S32(P + 4);
                        ViewportSet = true;
                    }
                    Remap();
                }
                break;
            case 10: // SETWINDOWORGEX
                if (Params >= 8) {
                    M.OrgX = S32(P);
                    M.OrgY = S32(P + 4);
                }
                break;
            case 18: // SETBKMODE
                if (Params >= 4)
                    SetBkMode(Dc, U32(P) == OPAQUE ? OPAQUE : TRANSPARENT);
                break;
            case 24: // SETTEXTCOLOR
                if (Params >= 4)
                    SetTextColor(Dc, U32(P) & 0xFFFFFF);
                break;
            case 25: // SETBKCOLOR
                if (Params >= 4)
                    SetBkColor(Dc, U32(P) & 0xFFFFFF);
                break;
            case 38: // CREATEPEN: slot, style, width (x, y), colour
                if (Params >= 20)
                    Objects.Put(U32(P), MakePen(int(U32(P + 4)), M.Len(S32(P + 8)), U32(P + 16)));
                break;
            case 39: // CREATEBRUSHINDIRECT: slot, style, colour, hatch
                if (Params >= 16)
                    Objects.Put(U32(P), MakeBrush(U32(P + 4), U32(P + 8)));
                break;
            case 37: // SELECTOBJECT: a slot or a stock object (high bit set)
                if (Params >= 4) {
                    const std::uint32_t Index = U32(P);
                    if (Index & 0x80000000u) {
                        const std::uint32_t Stock = Index & 0x7FFFFFFFu;
                        if (Stock <= NULL_PEN)
                            SelectObject(Dc, GetStockObject(int(Stock)));
                    } else {
                        Objects.Select(Index);
                    }
                }
                break;
            case 40: // DELETEOBJECT
                if (Params >= 4)
                    Objects.Delete(U32(P));
                break;
            case 27: // MOVETOEX
            case 54: // LINETO
                if (Params >= 8) {
                    if (Type == 27)
                        MoveToEx(Dc, M.X(S32(P)), M.Y(S32(P + 4)), nullptr);
                    else
                        LineTo(Dc, M.X(S32(P)), M.Y(S32(P + 4)));
                }
                break;
            case 42: // ELLIPSE
            case 43: // RECTANGLE
                if (Params >= 16) {
                    const int X1 = M.X(S32(P)), Y1 = M.Y(S32(P + 4)), X2 = M.X(S32(P + 8)),
                              Y2 = M.Y(S32(P + 12));
                    if (Type == 43)
                        Rectangle(Dc, X1, Y1, X2, Y2);
                    else
                        Ellipse(Dc, X1, Y1, X2, Y2);
                }
                break;
            case 3:  // POLYGON
            case 4:  // POLYLINE
            case 86: // POLYGON16
            case 87: // POLYLINE16
                if (Params >= 20) {
                    const std::size_t N = U32(P + 16);
                    const bool Short = Type >= 86;
                    const std::size_t Need = N * (Short ? 4 : 8);
                    if (N >= 2 && N <= 65536 && Need <= Params - 20) {
                        const std::vector<POINT> Pts =
                            Short ? Points16(P + 20, N, M) : Points32(P + 20, N, M);
                        if (Type == 3 || Type == 86)
                            Polygon(Dc, Pts.data(), int(N));
                        else
                            Polyline(Dc, Pts.data(), int(N));
                    }
                }
                break;
            default:
                break;
            }
        }
    }
    return Canvas.Finish();
}

} // namespace

bool IsWinMetafile(const Byte* Data, std::size_t Size)
{
    if (Size >= 4 && U32(Data) == PlaceableKey)
        return true;
    if (Size >= 44 && U32(Data) == 1 && U32(Data + 40) == EmfSignature)
        return true;
    return Size >= 18 && (U16(Data) == 1 || U16(Data) == 2) && U16(Data + 2) == 9 &&
           (U16(Data + 4) == 0x0100 || U16(Data + 4) == 0x0300);
}

HBITMAP PlayWinMetafile(const Byte* Data, std::size_t Size)
{
    if (!Data || !IsWinMetafile(Data, Size))
        return nullptr;
    if (Size >= 44 && U32(Data) == 1 && U32(Data + 40) == EmfSignature)
        return PlayEmf(Data, Size);
    return PlayWmf(Data, Size);
}
