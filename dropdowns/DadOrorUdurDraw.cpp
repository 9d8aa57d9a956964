#include "dropdowns/DadOrorUdurDraw.h"

#include "RudUvud/support/Daehtmle.h"
#include "platform/forms/Graphics.h"
#include "platform/forms/ImgList.h"
#include "platform/rtl/Conversions.h"
#include "platform/rtl/Strings.h"
#include "platform/win/Colors.h"
#include "platform/win/UxTheme.h"
#include "platform/win/Windows.h"

#include <algorithm>
#include <memory>

namespace DadOrorUdur {

namespace {

void SolidPenBrush(TCanvas* Canvas, TColor Color)
{
    Canvas->Pen()->SetStyle(psSolid);
    Canvas->Pen()->SetWidth(1);
    Canvas->Pen()->SetColor(Color);
    Canvas->Brush()->SetStyle(bsSolid);
    Canvas->Brush()->SetColor(Color);
}

Integer Channel(COLORREF C, int Shift)
{
    return Integer((C >> Shift) & 0xFF);
}

TColor FromChannels(Integer R, Integer G, Integer B)
{
    return TColor(R & 0xFF) | TColor(G & 0xFF) << 8 | TColor(B & 0xFF) << 16;
}

Integer Brighten(Integer C, Integer Percent)
{
    if (C == 0)
        return std::max(0, Percent);
    return Integer(Round(C * double(std::min(100, Percent + 100)) / 100.0));
}

} // namespace

void DrawGradient(TCanvas* Canvas, TColor FromColor, TColor ToColor, Integer Steps, const TRect& R,
                  bool Direction)
{
    TRect Band = R;
    if (Direction)
        --Band.Right;
    else
        --Band.Bottom;
    if (ToColor == clNone) {
        // Not a gradient: ColorToRGB would hand the colour's bits on as if they were one.
        SolidPenBrush(Canvas, FromColor);
        Canvas->Rectangle(R);
        return;
    }
    if (Steps == 0)
        Steps = 1;
    const COLORREF From = ColorToRGB(FromColor), To = ColorToRGB(ToColor);
    const double StepR = double(Channel(To, 0) - Channel(From, 0)) / Steps;
    const double StepG = double(Channel(To, 8) - Channel(From, 8)) / Steps;
    const double StepB = double(Channel(To, 16) - Channel(From, 16)) / Steps;
    const double Size = double(Direction ? Band.Right - Band.Left : Band.Bottom - Band.Top) / Steps;
    for (std::uint16_t I = 0; I < std::uint16_t(Steps); ++I) {
        SolidPenBrush(Canvas, FromChannels(Channel(From, 0) + Integer(Round(I * StepR)),
                                           Channel(From, 8) + Integer(Round(I * StepG)),
                                           Channel(From, 16) + Integer(Round(I * StepB))));
        const Integer Offset = std::uint16_t(Round(I * Size));
        const Integer Length = Integer(Round(Size)) + 1;
        if (Direction)
            Canvas->Rectangle(Band.Left + Offset, Band.Top, Band.Left + Offset + Length, Band.Bottom);
        else
            Canvas->Rectangle(Band.Left, Band.Top + Offset, Band.Right, Band.Top + Offset + Length);
    }
}

TColor BlendColor(TColor Color1, TColor Color2, Integer Percent)
{
    if (Percent >= 100)
        return Color1;
    if (Percent <= 0)
        return Color2;
    const COLORREF C1 = ColorToRGB(Color1), C2 = ColorToRGB(Color2);
    const double P = Percent / 100.0;
    auto Mix = [&](int Shift) {
        return Integer(Round(P * Channel(C1, Shift) + (1 - P) * Channel(C2, Shift)));
    };
    return FromChannels(Mix(0), Mix(8), Mix(16));
}

TColor BrightnessColor(TColor Color, Integer Percent)
{
    return BrightnessColor(Color, Percent, Percent, Percent);
}

TColor BrightnessColor(TColor Color, Integer PercentR, Integer PercentG, Integer PercentB)
{
    const COLORREF C = ColorToRGB(Color);
    return FromChannels(Brighten(Channel(C, 0), PercentR), Brighten(Channel(C, 8), PercentG),
                        Brighten(Channel(C, 16), PercentB));
}

void DrawRectFill(TCanvas* Canvas, const TRect& R, TColor Color, TColor ColorTo, TColor BorderColor,
                  Integer BorderWidth, TGradientDirection Direction)
{
    if (!Canvas)
        return;
    if (ColorTo != clNone) {
        DadOrorUdur::DrawGradient(Canvas, Color, ColorTo, 80, R, Direction == gdHorizontal);
    } else if (Color != clNone) {
        Canvas->Brush()->SetStyle(bsSolid);
        Canvas->Brush()->SetColor(Color);
        Canvas->FillRect(R);
    }
    if (BorderColor != clNone && BorderWidth > 0) {
        Canvas->Brush()->SetStyle(bsClear);
        Canvas->Pen()->SetStyle(psSolid);
        Canvas->Pen()->SetWidth(BorderWidth);
        Canvas->Pen()->SetColor(BorderColor);
        Canvas->Rectangle(R);
    }
}

void DrawButtonContent(TCanvas* Canvas, TRect R, const AnsiString& Caption, TCustomImageList* Images,
                       Integer ImageIndex)
{
    if (!Canvas)
        return;
    UINT Align = DT_CENTER;
    if (ImageIndex >= 0 && Images) {
        const Integer X = R.Left + 4, Y = R.Top + (R.Height() - Images->Height()) / 2;
        Images->Draw(Canvas, X, Y, ImageIndex);
        R.Left = X + Images->Width() + 4;
        Align = DT_LEFT;
    }
    if (Caption.empty())
        return;
    RECT Box = R;
    SetBkMode(Canvas->Handle(), TRANSPARENT);
    DrawText(Canvas->Handle(), Caption.c_str(), int(Caption.size()), &Box,
             DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS | Align);
}

void DrawTransparentBitmap(TCanvas* Canvas, TBitmap* Bitmap, TColor BackColor, const TRect& R)
{
    if (!Canvas || !Bitmap || Bitmap->Empty())
        return;
    auto Temp = std::make_unique<TBitmap>();
    Temp->SetSize(Bitmap->Width(), Bitmap->Height());
    Temp->Canvas()->Brush()->SetStyle(bsSolid);
    Temp->Canvas()->Brush()->SetColor(BackColor);
    const TRect Source{0, 0, R.Width(), R.Height()};
    Temp->Canvas()->BrushCopy(Source, Bitmap, Source, Bitmap->Canvas()->Pixels(0, 0));
    Canvas->CopyRect(R, Temp->Canvas(), Source);
}

TSize GetTextSize(TCanvas* Canvas, const AnsiString& S)
{
    if (S.empty())
        return TSize{0, 0};
    RECT R{0, 0, 1000, 500};
    DrawText(Canvas->Handle(), S.c_str(), int(S.size()), &R, DT_CALCRECT | DT_SINGLELINE);
    return TSize{R.Right, R.Bottom};
}

void GetTextOfSize(TCanvas* Canvas, const AnsiString& S, Integer MaxWidth, AnsiString& Result, bool Ellipsis)
{
    Result = S;
    if (GetTextSize(Canvas, S).cx <= MaxWidth)
        return;
    // Widths grow with the head, so the longest fitting head is found by halving.
    auto Head = [&](std::size_t N) {
        AnsiString T = S.substr(0, N);
        if (Ellipsis)
            T += "...";
        return T;
    };
    std::size_t Low = 0, High = S.size(); // heads of Low characters or fewer are tried
    bool Found = false;
    std::size_t Best = 0;
    while (Low < High) {
        const std::size_t Mid = (Low + High) / 2;
        if (GetTextSize(Canvas, Head(Mid)).cx < MaxWidth) {
            Found = true;
            Best = Mid;
            Low = Mid + 1;
        } else {
            High = Mid;
        }
    }
    if (Found)
        Result = Head(Best);
}

void DrawHTMLEX(TCanvas* Canvas, const AnsiString& S, const TRect& R, TCustomImageList* Images, bool Draw,
                HWND Wnd, TSize& Size)
{
    Size = TSize{0, 0};
    if (S.empty())
        return;
    AnsiString Anchor, Strip, FocusAnchor, AnchorHint, CtrlID, CtrlVal, CtrlType;
    Integer XSize = 0, YSize = 0, HyperLinks = 0, MouseLink = 0;
    TRect MouseRect, CtrlRect;
    HTMLDrawEx(Canvas, S, R, Images, R.Left, R.Top, -1, -1, 1, false, !Draw, false, true, true, false, false,
               false, 0.0, 0xFF0000, clNone, clNone, 0x808080, Anchor, Strip, FocusAnchor, AnchorHint, XSize,
               YSize, HyperLinks, MouseLink, MouseRect, CtrlRect, CtrlID, CtrlVal, CtrlType, nullptr, nullptr,
               Wnd);
    Size = TSize{XSize, YSize};
}

void CaseKey(const AnsiString& S, bool CaseSensitive, AnsiString& Result)
{
    Result = CaseSensitive ? S : AnsiUpperCase(S);
}

Integer GetFileVersionNr(const AnsiString& FileName)
{
    DWORD MS = 0, LS = 0;
    if (!GetLibraryFileVersion(FileName.c_str(), MS, LS))
        return -1;
    return Integer(MS);
}

} // namespace DadOrorUdur
