// The drawing side of the cell text routines: gradients, progress bars, gauges, shapes, error
// lines, transparent bitmaps and the small buttons of cells.

#include "RudUvud/support/DerOdozDraw.h"

#include "RudUvud/support/VadXPVS.h"

#include "platform/forms/Controls.h"
#include "platform/forms/Graphics.h"
#include "platform/rtl/Conversions.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/Format.h"
#include "platform/rtl/Resources.h"
#include "platform/win/Gdi.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <vector>

namespace {

Integer RoundHalfEven(double Value)
{
    return Integer(std::nearbyint(Value)); // ties to even in the default rounding mode
}

int Component(COLORREF C, int Shift)
{
    return int((C >> Shift) & 0xFF);
}

TColor Mix(COLORREF From, COLORREF To, double Fraction)
{
    auto Part = [&](int Shift) {
        return std::clamp(Component(From, Shift) +
                              RoundHalfEven(Fraction * (Component(To, Shift) - Component(From, Shift))),
                          0, 255);
    };
    return TColor(Part(0) | (Part(8) << 8) | (Part(16) << 16));
}

void SolidPenBrush(TCanvas* Canvas, TColor Color)
{
    Canvas->Pen()->SetColor(Color);
    Canvas->Brush()->SetColor(Color);
}

void Line(TCanvas* Canvas, Integer X1, Integer Y1, Integer X2, Integer Y2)
{
    Canvas->MoveTo(X1, Y1);
    Canvas->LineTo(X2, Y2);
}

void FrameIn(TCanvas* Canvas, const TRect& R, TColor Color)
{
    Canvas->Brush()->SetStyle(bsClear);
    Canvas->Pen()->SetColor(Color);
    Canvas->Rectangle(R);
}

} // namespace

void DrawGradient(TCanvas* Canvas, TColor FromColor, TColor ToColor, Integer Steps, const TRect& R,
                  bool Direction)
{
    if (ToColor == clNone) {
        SolidPenBrush(Canvas, FromColor);
        Canvas->Rectangle(R);
        return;
    }
    if (Steps <= 0)
        Steps = 1;
    const COLORREF From = ColorToRGB(FromColor), To = ColorToRGB(ToColor);
    const Integer Extent = Direction ? R.Width() : R.Height();
    const double Step = double(Extent) / Steps;
    for (Integer I = 0; I < Steps; ++I) {
        SolidPenBrush(Canvas, Mix(From, To, double(I) / Steps));
        // Offsets are kept in full: large print resolutions exceed 16 bits.
        const Integer Start = RoundHalfEven(I * Step), Length = RoundHalfEven(Step) + 1;
        if (Direction)
            Canvas->Rectangle(R.Left + Start, R.Top, R.Left + Start + Length, R.Bottom);
        else
            Canvas->Rectangle(R.Left, R.Top + Start, R.Right, R.Top + Start + Length);
    }
}

TColor GradientAt(TColor FromColor, TColor ToColor, Integer RangeStart, Integer RangeEnd, Integer Offset)
{
    if (ToColor == clNone || RangeEnd == RangeStart)
        return FromColor;
    return Mix(ColorToRGB(FromColor), ColorToRGB(ToColor), double(Offset) / double(RangeEnd - RangeStart));
}

void DrawVistaGradient(TCanvas* Canvas, const TRect& R, TColor Color, TColor ColorTo, TColor MirrorColor,
                       TColor MirrorColorTo, bool Vertical, TColor BorderColor, bool SideLinesOnly, bool Fill)
{
    if (Fill && Color != clNone) {
        if (MirrorColor == clNone && ColorTo == clNone) {
            SolidPenBrush(Canvas, Color);
            Canvas->FillRect(TRect{R.Left, R.Top, R.Right, R.Bottom + 1});
        } else if (MirrorColor == clNone) {
            DrawGradient(Canvas, Color, ColorTo, 128, R, !Vertical);
        } else {
            TRect First = R, Second = R;
            if (Vertical) {
                First.Bottom = Second.Top = R.Top + (R.Bottom - R.Top) / 2;
            } else {
                First.Right = Second.Left = R.Left + (R.Right - R.Left) / 2;
            }
            DrawGradient(Canvas, Color, ColorTo, 128, First, !Vertical);
            DrawGradient(Canvas, MirrorColor, MirrorColorTo, 128, Second, !Vertical);
        }
    }
    if (BorderColor != clNone) {
        if (SideLinesOnly) {
            Canvas->Pen()->SetColor(BorderColor);
            Line(Canvas, R.Left, R.Top, R.Left, R.Bottom);
            Line(Canvas, R.Right - 1, R.Top, R.Right - 1, R.Bottom);
        } else {
            FrameIn(Canvas, R, BorderColor);
        }
    }
}

void DrawSelectionGradient(TCanvas* Canvas, TColor FaceTopFrom, TColor FaceTopTo, TColor FaceBottomFrom,
                           TColor FaceBottomTo, TColor InnerLight, TColor InnerDark, TColor OuterBorder,
                           TColor CornerBlend, TColor Corner, const TRect& Rect, TGradientPart Part)
{
    TRect R = Rect;
    R.Right -= 1;
    R.Bottom -= 2;
    const Integer Mid = (R.Bottom - R.Top) / 2;
    const bool LeftSide = Part == gpFull || Part == gpLeft, RightSide = Part == gpFull || Part == gpRight;
    Canvas->Pen()->SetColor(InnerLight);
    Line(Canvas, R.Left, R.Top + 1, R.Right, R.Top + 1);
    if (LeftSide)
        Line(Canvas, R.Left + 1, R.Top + 1, R.Left + 1, R.Top + Mid);
    if (RightSide)
        Line(Canvas, R.Right - 2, R.Top + 1, R.Right - 2, R.Top + Mid);
    Canvas->Pen()->SetColor(InnerDark);
    Line(Canvas, R.Left, R.Bottom - 1, R.Right, R.Bottom - 1);
    if (LeftSide)
        Line(Canvas, R.Left + 1, R.Top + Mid, R.Left + 1, R.Bottom - 1);
    if (RightSide)
        Line(Canvas, R.Right - 2, R.Top + Mid, R.Right - 2, R.Bottom - 1);
    const Integer LeftInset = (Part == gpRight || Part == gpMiddle) ? 0 : 2;
    const Integer RightInset = (Part == gpLeft || Part == gpMiddle) ? 0 : 2;
    Canvas->Pen()->SetColor(OuterBorder);
    Line(Canvas, R.Left + LeftInset, R.Top, R.Right - RightInset, R.Top);
    Line(Canvas, R.Left + LeftInset, R.Bottom, R.Right - RightInset, R.Bottom);
    if (RightSide)
        Line(Canvas, R.Right - 1, R.Top + 2, R.Right - 1, R.Bottom - 1);
    if (LeftSide)
        Line(Canvas, R.Left, R.Top + 2, R.Left, R.Bottom - 1);
    if (LeftSide) {
        for (TPoint P :
             {TPoint{R.Left + 1, R.Top}, TPoint{R.Left + 1, R.Top + 1}, TPoint{R.Left, R.Top + 1},
              TPoint{R.Left + 1, R.Bottom}, TPoint{R.Left + 1, R.Bottom - 1}, TPoint{R.Left, R.Bottom - 1}})
            Canvas->SetPixels(P.X, P.Y, CornerBlend);
        Canvas->SetPixels(R.Left, R.Top, Corner);
        Canvas->SetPixels(R.Left, R.Bottom, Corner);
    }
    if (RightSide) {
        for (TPoint P : {TPoint{R.Right - 2, R.Top}, TPoint{R.Right - 2, R.Top + 1},
                         TPoint{R.Right - 1, R.Top + 1}, TPoint{R.Right - 2, R.Bottom},
                         TPoint{R.Right - 2, R.Bottom - 1}, TPoint{R.Right - 1, R.Bottom - 1}})
            Canvas->SetPixels(P.X, P.Y, CornerBlend);
        Canvas->SetPixels(R.Right - 1, R.Top, Corner);
        Canvas->SetPixels(R.Right - 1, R.Bottom, Corner);
    }
    const TRect Face{R.Left + LeftInset, R.Top + 2, R.Right - RightInset, R.Bottom - 2};
    if (FaceTopTo == clNone) {
        SolidPenBrush(Canvas, FaceTopFrom);
        Canvas->FillRect(Face);
    } else if (FaceBottomFrom == clNone) {
        DrawGradient(Canvas, FaceTopFrom, FaceTopTo, 16, Face, false);
    } else {
        TRect Upper = Face, Lower = Face;
        Upper.Bottom = Lower.Top = Face.Top + (Face.Bottom - Face.Top) / 2;
        DrawGradient(Canvas, FaceTopFrom, FaceTopTo, 16, Upper, false);
        DrawGradient(Canvas, FaceBottomFrom, FaceBottomTo, 16, Lower, false);
    }
}

void DrawProgressLin(TCanvas* Canvas, TRect R, TColor FillColor, TColor FillTextColor, TColor RestColor,
                     TColor RestTextColor, double Value, Integer HMargin, Integer VMargin, double Min,
                     double Max, const AnsiString& Fmt, TColor FrameColor, bool InvertedAxis)
{
    const TColor SavedBrush = Canvas->Brush()->Color();
    SolidPenBrush(Canvas, FillColor);
    Canvas->Font()->SetColor(FillTextColor);
    const Integer N = RoundHalfEven(Value);
    AnsiString Text;
    Integer Percent = N;
    if (!Fmt.empty()) {
        // The format comes from cell properties: one that does not fit the value shows "n%".
        try {
            if (Fmt.find('d') != AnsiString::npos || Fmt.find('u') != AnsiString::npos)
                Text = Format(Fmt, {N});
            else
                Text = Format(Fmt, {Value});
        } catch (const Exception&) {
            Text = IntToStr(N) + "%";
        }
        if (Max != Min)
            Percent = RoundHalfEven((Value - Min) * 100 / (Max - Min));
        else
            Percent = Value >= Max ? 100 : 0;
    } else {
        Text = IntToStr(N) + "%";
    }
    Percent = std::clamp<Integer>(Percent, 0, 100);
    R = TRect{R.Left + HMargin, R.Top + VMargin, R.Right - HMargin, R.Bottom - VMargin};
    const Integer W = R.Width(), H = R.Height();
    const TSize Extent = Canvas->TextExtent(Text);
    const Integer X = R.Left + (W - Extent.cx) / 2;
    const Integer Y = InvertedAxis ? R.Top + (H + Extent.cy) / 2 : R.Top + (H - Extent.cy) / 2;
    const Integer Split = R.Left + RoundHalfEven(W * Percent / 100.0);
    Canvas->TextRect(TRect{R.Left, R.Top, Split, R.Bottom}, X, Y, Text);
    SolidPenBrush(Canvas, RestColor);
    Canvas->Font()->SetColor(RestTextColor);
    Canvas->TextRect(TRect{Split, R.Top, R.Right, R.Bottom}, X, Y, Text);
    const TRect Frame{R.Left - 1, R.Top - 1, R.Right + 1, R.Bottom + 1};
    if (FrameColor != clNone)
        FrameIn(Canvas, Frame, FrameColor);
    FrameIn(Canvas, TRect{Frame.Left - 1, Frame.Top - 1, Frame.Right + 1, Frame.Bottom + 1}, SavedBrush);
}

void DrawProgressPie(TCanvas* Canvas, const TRect& R, TColor FillColor, Integer Percentage, bool InvertedAxis)
{
    (void)InvertedAxis;
    const Integer W = R.Width(), H = R.Height();
    const Integer Cx = R.Left + W / 2, Cy = R.Top + H / 2;
    Canvas->Pen()->SetColor(0x808080);
    Canvas->Pen()->SetWidth(1);
    Canvas->Ellipse(R);
    const double A = std::clamp<Integer>(Percentage, 0, 100) / 100.0 * 2 * std::numbers::pi;
    const Integer Ex = Cx + RoundHalfEven((W + 1) / 2.0 * std::sin(A)),
                  Ey = Cy - RoundHalfEven((H + 1) / 2.0 * std::cos(A));
    // The wedge is drawn as a pie rather than flood-filled, so it can never spread beyond the
    // cell and prints on surfaces that cannot be read back.
    if (Percentage > 0) {
        const TColor Brush = Canvas->Brush()->Color();
        Canvas->Brush()->SetColor(FillColor);
        if (Percentage >= 100)
            Canvas->Ellipse(R);
        else
            Pie(Canvas->Handle(), R.Left, R.Top, R.Right, R.Bottom, Ex, Ey, Cx, R.Top);
        Canvas->Brush()->SetColor(Brush);
    }
    Line(Canvas, Cx, R.Top, Cx, Cy);
    Line(Canvas, Cx, Cy, Ex, Ey);
}

void DrawRangeIndicator(TCanvas* Canvas, TRect R, Integer Value, Integer Range, bool ShowValue,
                        TColor NegColor, TColor PosColor)
{
    R = TRect{R.Left + 2, R.Top + 2, R.Right - 2, R.Bottom - 2};
    if (Range > 0) {
        const Integer Half = R.Width() / 2;
        const Integer V = std::clamp(Value, -Range, Range);
        const Integer W = RoundHalfEven(double(V) * Half / Range);
        SolidPenBrush(Canvas, V < 0 ? NegColor : PosColor);
        const Integer A = R.Left + Half, B = R.Left + Half + W;
        Canvas->Rectangle(std::min(A, B), R.Top, std::max(A, B), R.Bottom);
    }
    if (ShowValue) {
        const AnsiString Text = IntToStr(Value);
        TRect T = R;
        SetBkMode(Canvas->Handle(), TRANSPARENT);
        DrawText(Canvas->Handle(), Text.c_str(), int(Text.size()), &T, DT_CENTER | DT_TOP | DT_SINGLELINE);
    }
}

namespace {

void GaugeSection(TCanvas* Canvas, const TRect& S, TColor Color, TColor ColorTo, const TGaugeSettings& G,
                  bool Vertical)
{
    if (S.Right <= S.Left || S.Bottom <= S.Top)
        return;
    if (!G.ShowGradient) {
        SolidPenBrush(Canvas, Color);
        Canvas->FillRect(S);
        return;
    }
    TRect A = S, B = S;
    if (!Vertical)
        A.Bottom = B.Top = S.Top + S.Height() / 2;
    else
        A.Right = B.Left = S.Left + S.Width() / 2;
    DrawGradient(Canvas, ColorTo, Color, G.Steps, A, Vertical);
    DrawGradient(Canvas, Color, ColorTo, G.Steps, B, Vertical);
}

} // namespace

void DrawGauge(TCanvas* Canvas, const TRect& R, Integer Percentage, const TGaugeSettings& G)
{
    const bool Vertical = G.Orientation == goVertical;
    const Integer L = (Vertical ? R.Height() : R.Width()) - 2;
    const Integer V = std::clamp<Integer>(Percentage, 0, 100);
    SolidPenBrush(Canvas, G.BackgroundColor);
    Canvas->Pen()->SetColor(G.ShowBorder ? G.BorderColor : G.BackgroundColor);
    Canvas->Rectangle(R);
    // A section of the given length starting Start pixels along the bar.
    auto Section = [&](Integer Start, Integer Length, Integer Inset) {
        if (Vertical)
            return TRect{R.Left + Inset, R.Bottom - 1 - Start - Length, R.Right - Inset,
                         R.Bottom - 1 - Start};
        return TRect{R.Left + 1 + Start, R.Top + Inset, R.Left + 1 + Start + Length, R.Bottom - Inset};
    };
    if (V > 0) {
        if (G.Stacked) {
            const Integer L1 = RoundHalfEven(std::min(V, G.Level1Perc) / 100.0 * L);
            GaugeSection(Canvas, Section(0, L1, 1), G.Level0Color, G.Level0ColorTo, G, Vertical);
            Integer L2 = 0;
            if (V >= G.Level1Perc) {
                L2 = RoundHalfEven(L * (std::min(V, G.Level2Perc) - G.Level1Perc) / 100.0);
                GaugeSection(Canvas, Section(L1, L2, 1), G.Level1Color, G.Level1ColorTo, G, Vertical);
            }
            if (V >= G.Level2Perc) {
                const Integer L3 = V == 100 ? L - L1 - L2 : RoundHalfEven(L * (V - G.Level2Perc) / 100.0);
                GaugeSection(Canvas, Section(L1 + L2, L3, 1), G.Level3Color, G.Level3ColorTo, G, Vertical);
            }
        } else {
            TColor C = G.Level2Color, CT = G.Level2ColorTo;
            if (V < G.Level1Perc)
                C = G.Level0Color, CT = G.Level0ColorTo;
            else if (V < G.Level2Perc)
                C = G.Level1Color, CT = G.Level1ColorTo;
            else if (V >= 100)
                C = G.Level3Color, CT = G.Level3ColorTo;
            if (G.CompletionSmooth) {
                GaugeSection(Canvas, Section(0, RoundHalfEven(V / 100.0 * L), 1), C, CT, G, Vertical);
            } else {
                Canvas->Brush()->SetColor(G.BackgroundColor);
                const Integer K = RoundHalfEven(double(V) * L / 100);
                if (K < 10) {
                    if (K > 1)
                        GaugeSection(Canvas, Section(1, K - 1, 2), C, CT, G, Vertical);
                } else {
                    Integer Start = 1;
                    for (Integer B = 0; B < K / 9; ++B, Start += 9)
                        GaugeSection(Canvas, Section(Start, 7, 2), C, CT, G, Vertical);
                    if (K % 9 > 2)
                        GaugeSection(Canvas, Section(Start, K % 9 - 1, 2), C, CT, G, Vertical);
                }
            }
        }
    }
    if (G.ShowPercentage) {
        const AnsiString Text = IntToStr(V) + "%";
        if (G.Font)
            Canvas->Font()->Assign(G.Font);
        Canvas->Font()->SetColor(G.CompleteFontColor);
        Canvas->Brush()->SetStyle(bsClear);
        const TSize Extent = Canvas->TextExtent(Text);
        const Integer Cx = R.Left + R.Width() / 2, Cy = R.Top + R.Height() / 2;
        if (!Vertical) {
            Canvas->TextOut(Cx - Extent.cx / 2, Cy - Extent.cy / 2, Text);
        } else {
            LOGFONTA Log = Canvas->Font()->LogFont();
            Log.lfEscapement = Log.lfOrientation = 900;
            TOwnedFont Rotated(CreateFontIndirect(&Log));
            HDC Dc = Canvas->Handle();
            TSelectObject Selected(Dc, Rotated.get());
            SetBkMode(Dc, TRANSPARENT);
            TextOut(Dc, Cx - Extent.cy / 2, Cy + Extent.cx / 2, Text.c_str(), int(Text.size()));
        }
    }
    Canvas->Brush()->SetStyle(bsClear);
    Canvas->Pen()->SetColor(G.ShowBorder ? G.BorderColor : G.BackgroundColor);
    Canvas->Rectangle(R);
}

void DrawShape(TCanvas* Canvas, Integer X, Integer Y, Integer W, Integer H, TCellShape Shape,
               TColor BrushColor, TColor PenColor)
{
    if (Shape < csRectangle || Shape > csHalfStar)
        return;
    Canvas->Brush()->SetColor(BrushColor);
    Canvas->Pen()->SetColor(PenColor);
    if (Shape == csCircle || Shape == csSquare || Shape == csRoundSquare)
        W = H = std::min(W, H);
    if ((Shape == csArrowUp || Shape == csArrowDown) && W % 2 == 1)
        --W;
    if ((Shape == csArrowLeft || Shape == csArrowRight) && H % 2 == 1)
        --H;
    const Integer W2 = W / 2, H2 = H / 2, W4 = W / 4, H4 = H / 4, W34 = (W / 4) * 3, H34 = (H / 4) * 3;
    auto Poly = [&](std::vector<TPoint> Points) { Canvas->Polygon(Points); };
    auto Star = [&](std::initializer_list<int> Angles) {
        const double Cx = X + W2, Cy = Y + H2, Rx = W2, Ry = H2;
        std::vector<TPoint> Points;
        for (int A : Angles) {
            const bool Outer = (A / 36) % 2 == 0;
            const double T = A * std::numbers::pi / 180;
            const double Kx = Outer ? Rx : Rx / 3, Ky = Outer ? Ry : Ry / 3;
            Points.push_back(TPoint{Integer(Cx) + RoundHalfEven(std::sin(T) * Kx),
                                    Integer(Cy) - RoundHalfEven(std::cos(T) * Ky)});
        }
        Canvas->Polygon(Points);
    };
    switch (Shape) {
    case csRectangle:
    case csSquare:
        Canvas->Rectangle(X + 1, Y + 1, X + W - 1, Y + H - 1);
        break;
    case csCircle:
    case csEllips:
        Canvas->Ellipse(X, Y, X + W, Y + H);
        break;
    case csRoundRect:
    case csRoundSquare:
        Canvas->RoundRect(X, Y, X + W, Y + H, 10, 10);
        break;
    case csTriangleLeft:
        Poly({{X + W, Y}, {X + W, Y + H}, {X, Y + H2}});
        break;
    case csTriangleRight:
        Poly({{X, Y}, {X, Y + H}, {X + W, Y + H2}});
        break;
    case csTriangleUp:
        Poly({{X, Y + H}, {X + W, Y + H}, {X + W2, Y}});
        break;
    case csTriangleDown:
        Poly({{X, Y}, {X + W, Y}, {X + W2, Y + H}});
        break;
    case csDiamond:
        Poly({{X, Y + H2}, {X + W2, Y}, {X + 2 * W2, Y + H2}, {X + W2, Y + 2 * H2}});
        break;
    case csLineVert:
        Canvas->Rectangle(X + W2, Y, X + W2 + 1, Y + H);
        break;
    case csLineHorz:
        Canvas->Rectangle(X, Y + H2, X + W, Y + H2 + 1);
        break;
    case csStar:
        Star({0, 36, 72, 108, 144, 180, 216, 252, 288, 324});
        break;
    case csHalfStar:
        Star({0, 180, 216, 252, 288, 324});
        break;
    case csArrowUp:
        Poly({{X, Y + H2},
              {X + W2, Y},
              {X + W, Y + H2},
              {X + W34, Y + H2},
              {X + W34, Y + H},
              {X + W4, Y + H},
              {X + W4, Y + H2}});
        break;
    case csArrowDown:
        Poly({{X, Y + H2},
              {X + W2, Y + H},
              {X + W, Y + H2},
              {X + W34, Y + H2},
              {X + W34, Y},
              {X + W4, Y},
              {X + W4, Y + H2}});
        break;
    case csArrowLeft:
        Poly({{X, Y + H2},
              {X + W2, Y},
              {X + W2, Y + H4},
              {X + W, Y + H4},
              {X + W, Y + H34},
              {X + W2, Y + H34},
              {X + W2, Y + H}});
        break;
    case csArrowRight:
        Poly({{X + W, Y + H2},
              {X + W2, Y},
              {X + W2, Y + H4},
              {X, Y + H4},
              {X, Y + H34},
              {X + W2, Y + H34},
              {X + W2, Y + H}});
        break;
    }
}

void DrawErrorLines(TWinControl*, TCanvas* Canvas, const AnsiString& Text, const TRect& R, Integer VOffset,
                    Integer FirstChar, Integer Count)
{
    // Positions come from the canvas font the text was drawn with; a character past the end
    // stands 4 pixels right of the text's end.
    const Integer Length = Integer(Text.size());
    const Integer TextHeight = Canvas->TextHeight("gh");
    auto PosOf = [&](Integer Index) {
        if (Index >= Length)
            return Canvas->TextWidth(Text) + 4;
        return Canvas->TextWidth(Text.substr(0, std::size_t(std::max<Integer>(Index, 0))));
    };
    const Integer StartX = PosOf(FirstChar);
    Integer EndX = PosOf(FirstChar + std::max<Integer>(Count, 1) - 1);
    if (FirstChar + Count < Length)
        EndX = PosOf(FirstChar + Count - 1);
    const Integer BaseY = R.Top + TextHeight + VOffset;
    Canvas->Pen()->SetColor(0x0000FF);
    Canvas->Pen()->SetWidth(2);
    Integer X = R.Left + StartX, Step = 0;
    Canvas->MoveTo(X, BaseY + 3);
    while (X < R.Left + EndX) {
        X += 3;
        Canvas->LineTo(X, BaseY + (Step++ % 2 == 0 ? 0 : 3));
    }
    X += 3;
    Canvas->LineTo(X, BaseY + (Step % 2 == 0 ? 0 : 3));
    Canvas->Pen()->SetWidth(1);
}

void DrawBitmapTransp(TCanvas* Canvas, TBitmap* Bitmap, TColor BkColor, const TRect& R)
{
    if (!Bitmap || Bitmap->Empty())
        return;
    const TColor Key = Bitmap->Canvas()->Pixels(0, 0);
    const TRect Source{0, 0, Bitmap->Width(), Bitmap->Height()};
    TBitmap Copy;
    Copy.SetSize(Bitmap->Width(), Bitmap->Height());
    Copy.Canvas()->Brush()->SetColor(BkColor);
    Copy.Canvas()->BrushCopy(Source, Bitmap, Source, Key);
    Canvas->Draw(R.Left, R.Top, &Copy);
}

void DrawBitmapResourceTransp(TCanvas* Canvas, TColor BkColor, const TRect& R, const AnsiString& ResName)
{
    TBitmap Bitmap;
    try {
        Bitmap.LoadFromResourceName(nullptr, ResName);
    } catch (const Exception&) {
        return;
    }
    DrawBitmapTransp(Canvas, &Bitmap, BkColor, R);
}

namespace {

bool DrawThemePart(TCanvas* Canvas, HWND Handle, const char16_t* ClassName, int Part, int State,
                   const TRect& R)
{
    themeapi::TThemeLoader& Theme = VadXPVS();
    if (!Theme.Loaded() || !Theme.OpenThemeData)
        return false;
    HTHEME Data = Theme.OpenThemeData(Handle, ClassName);
    if (!Data)
        return false;
    Theme.DrawThemeBackground(Data, Canvas->Handle(), Part, State, &R, nullptr);
    Theme.CloseThemeData(Data);
    return true;
}

} // namespace

void DrawComboButton(TCanvas* Canvas, HWND__* Handle, const TRect& R, bool Themed, bool)
{
    TRect B{R.Right - 17 - 2, R.Top + 1, R.Right - 2, R.Bottom - 1};
    if (Themed && DrawThemePart(Canvas, Handle, u"combobox", 1, 1, B))
        return;
    DrawFrameControl(Canvas->Handle(), &B, DFC_SCROLL, DFCS_SCROLLCOMBOBOX | DFCS_FLAT);
}

void DrawSpinButtons(TCanvas* Canvas, HWND__* Handle, const TRect& R, bool Themed, bool)
{
    const TRect Whole{R.Right - 15 - 1, R.Top - 1, R.Right - 1, R.Bottom - 1};
    const Integer Middle = Whole.Top + (Whole.Bottom - Whole.Top) / 2;
    TRect Up{Whole.Left, Whole.Top, Whole.Right, Middle};
    TRect Down{Whole.Left, Middle, Whole.Right, Whole.Bottom};
    if (Themed && DrawThemePart(Canvas, Handle, u"spin", 1, 1, Up) &&
        DrawThemePart(Canvas, Handle, u"spin", 2, 1, Down))
        return;
    Down.Top = Middle + 1;
    DrawFrameControl(Canvas->Handle(), &Up, DFC_SCROLL, DFCS_SCROLLUP | DFCS_FLAT);
    DrawFrameControl(Canvas->Handle(), &Down, DFC_SCROLL, DFCS_SCROLLDOWN | DFCS_FLAT);
}

void DrawTriangle(TCanvas* Canvas, Integer X, Integer Y, TColor Color)
{
    SolidPenBrush(Canvas, Color);
    Canvas->Polygon({TPoint{X - 3, Y}, TPoint{X + 3, Y}, TPoint{X, Y + 3}});
}

TColor DarkenColor(TColor Color)
{
    const COLORREF C = ColorToRGB(Color);
    return TColor(((C >> 1) & 0x7F) | (((C >> 9) & 0x7F) << 8) | (((C >> 17) & 0x7F) << 16));
}

bool DynaLink_UpdateLayeredWindow(HWND__*, void*, TPoint*, TSize*, void*, TPoint*, std::uint32_t, void*,
                                  std::uint32_t)
{
    return false;
}

bool DynaLink_SetLayeredWindowAttributes(HWND__*, std::uint32_t, std::uint8_t, std::uint32_t)
{
    return false;
}
