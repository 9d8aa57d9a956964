#include "controls/Label3D.h"

#include "platform/forms/Forms.h"
#include "platform/win/Backend.h"
#include "platform/win/Colors.h"
#include "platform/win/Gdi.h"

#include <cmath>
#include <cstdlib>

namespace {

constexpr double DegreesToRadians = 3.14159265358979323846 / 180.0;

Integer RoundHalfEven(double Value)
{
    return static_cast<Integer>(std::nearbyint(Value));
}

// Keeps an angle within 0..360 as adding or taking 360 until it fits would: 360 stays 360.
Integer NormalisedAngle(Integer Value)
{
    if (Value < 0) {
        Value %= 360;
        if (Value < 0)
            Value += 360;
    } else if (Value > 360) {
        Value = (Value - 1) % 360 + 1;
    }
    return Value;
}

TRect Moved(const TRect& Rect, Integer By)
{
    return {Rect.Left + By, Rect.Top + By, Rect.Right + By, Rect.Bottom + By};
}

} // namespace

TLabel3D::TLabel3D(TComponent* AOwner) : TCustomLabel(AOwner)
{
    Font()->SetName("Arial");
}

// ---- Properties ---------------------------------------------------------------------------------

void TLabel3D::SetBorderColor(TColor Value)
{
    FBorderColor = Value;
    Canvas()->Pen()->SetColor(Value);
    Repaint();
}

void TLabel3D::SetBorderPenStyle(TPenStyle Value)
{
    FBorderPenStyle = Value;
    Canvas()->Pen()->SetStyle(Value);
    Repaint();
}

void TLabel3D::SetBorderWidth(Integer Value)
{
    FBorderWidth = Value;
    Canvas()->Pen()->SetWidth(Value);
    Repaint();
}

void TLabel3D::SetBorder(bool Value)
{
    FBorder = Value;
    Repaint();
}

void TLabel3D::SetBorderType(TBorderType Value)
{
    if (FBorderType == Value)
        return;
    FBorderType = Value;
    Repaint();
}

void TLabel3D::SetEscapement(Integer Value)
{
    if (FEscapement == Value)
        return;
    FEscapement = NormalisedAngle(Value);
    Invalidate();
}

void TLabel3D::SetTextStyle(TTextStyle Value)
{
    if (FTextStyle == Value)
        return;
    FTextStyle = Value;
    Invalidate();
}

void TLabel3D::SetEllipsesStyle(TEllipsesStyle Value)
{
    if (FEllipsesStyle == Value)
        return;
    if (Value != esNone)
        SetAutoSize(false);
    FEllipsesStyle = Value;
    Invalidate();
}

void TLabel3D::SetShift(Integer Value)
{
    if (FShift == Value)
        return;
    FShift = Value;
    Repaint();
}

void TLabel3D::SetColorRR(TColor Shadow, TColor Highlight)
{
    const bool Changed = FShadowColor != Shadow || FHighlightColor != Highlight;
    FShadowColor = Shadow;
    FHighlightColor = Highlight;
    if (Changed)
        Repaint();
}

// ---- Drawing ------------------------------------------------------------------------------------

void TLabel3D::Paint()
{
    static const UINT Alignments[] = {DT_LEFT, DT_RIGHT, DT_CENTER};
    TCanvas* C = Canvas();
    const TRect Client = ClientRect();
    if (!Transparent()) {
        C->Brush()->SetColor(Color());
        C->Brush()->SetStyle(bsSolid);
        C->FillRect(Client);
    }
    C->Brush()->SetStyle(bsClear);

    if (FBorder && FBorderWidth > 0) {
        const Integer W = Width() - 1;
        const Integer H = Height() - 1;
        // The same figure BorderWidth times: the pen's width already widens a plain frame.
        for (Integer I = 0; I < FBorderWidth; ++I) {
            if (FBorderType == btDefault) {
                C->Rectangle(0, 0, Width(), Height());
                continue;
            }
            const TColor TopLeft = FBorderType == btRecessed ? TColor(0x808080) : clWhite;
            const TColor BottomRight = FBorderType == btRecessed ? clWhite : TColor(0x808080);
            C->Pen()->SetColor(TopLeft);
            C->MoveTo(0, H);
            C->LineTo(0, 0);
            C->LineTo(W, 0);
            C->Pen()->SetColor(BottomRight);
            C->LineTo(W, H);
            C->LineTo(-1, H);
        }
    }

    TRect Rect = Client;
    DoDrawText(Rect, DT_EXPANDTABS | (WordWrap() ? UINT(DT_WORDBREAK) : 0u) | Alignments[Alignment()]);
}

void TLabel3D::DoDrawText(TRect& Rect, UINT Flags)
{
    if (Flags & DT_CALCRECT) {
        TCustomLabel::DoDrawText(Rect, Flags);
        return;
    }
    const AnsiString Text = GetText();
    if (!ShowAccelChar())
        Flags |= DT_NOPREFIX;
    if (FEllipsesStyle == esEnd)
        Flags |= DT_END_ELLIPSIS;
    else if (FEllipsesStyle == esPath)
        Flags |= DT_PATH_ELLIPSIS;
    if (FEscapement == 0) {
        if (Layout() == tlCenter)
            Flags |= DT_VCENTER | DT_SINGLELINE;
        else if (Layout() == tlBottom)
            Flags |= DT_BOTTOM | DT_SINGLELINE;
    }
    Canvas()->SetFont(Font());

    if (FTextStyle != tsNone) {
        const Integer D = FTextStyle == tsShadow ? FShift : 1;
        const bool Raised = FTextStyle == tsRaised || FTextStyle == tsLightRaised || FTextStyle == tsShadow;
        DrawCopy(Moved(Rect, D), Flags, Text, Raised ? FShadowColor : FHighlightColor);
        if (FTextStyle == tsLightRaised || FTextStyle == tsHeavyRecessed)
            DrawCopy(Moved(Rect, -1), Flags, Text,
                     FTextStyle == tsLightRaised ? FHighlightColor : FShadowColor);
    }
    DrawCopy(Rect, Flags, Text, Enabled() ? Font()->Color() : clGrayText);
}

void TLabel3D::DrawCopy(TRect Rect, UINT Flags, const AnsiString& Text, TColor Color)
{
    Canvas()->Font()->SetColor(Color);
    if (FEscapement != 0) {
        DrawAngleText(Canvas(), Rect, Text, FEscapement);
        return;
    }
    HDC Dc = Canvas()->Handle();
    SetBkMode(Dc, TRANSPARENT);
    RECT R = Rect;
    DrawText(Dc, Text.c_str(), int(Text.size()), &R, Flags);
}

void TLabel3D::CalcTextPos(TRect& Rect, Integer Angle, const AnsiString& Text)
{
    Canvas()->SetFont(Font());
    const TSize Extent = Canvas()->TextExtent(Text);
    const double Cx = Extent.cx;
    const double Cy = Extent.cy;
    const double A = Angle * DegreesToRadians;
    Integer X = 0;
    Integer Y = 0;
    if (Angle <= 90) {
        Y = RoundHalfEven(std::sin(A) * Cx);
    } else if (Angle <= 180) {
        X = RoundHalfEven(-std::cos(A) * Cx);
        Y = RoundHalfEven(std::cos((180 - Angle) * DegreesToRadians) * Cy + std::sin(A) * Cx);
    } else if (Angle <= 270) {
        X = RoundHalfEven(std::sin((Angle - 180) * DegreesToRadians) * Cy - std::cos(A) * Cx);
        Y = RoundHalfEven(std::sin((270 - Angle) * DegreesToRadians) * Cy);
    } else {
        X = RoundHalfEven(std::sin((360 - Angle) * DegreesToRadians) * Cy);
    }
    const Integer W = std::abs(RoundHalfEven(std::cos(A) * Cx)) + std::abs(RoundHalfEven(std::sin(A) * Cy));
    const Integer H = std::abs(RoundHalfEven(std::sin(A) * Cx)) + std::abs(RoundHalfEven(std::cos(A) * Cy));
    if (AutoSize()) {
        if (Width() != W || Height() != H)
            SetBounds(Left(), Top(), W, H);
    } else if (Alignment() == taCenter) {
        X += (Width() - W) / 2;
    } else if (Alignment() == taRightJustify) {
        X += Width() - W;
    }
    Rect.Left += X;
    Rect.Top += Y;
}

void TLabel3D::DrawAngleText(TCanvas* Canvas, TRect Rect, const AnsiString& Text, Integer Angle)
{
    CalcTextPos(Rect, Angle, Text);
    LOGFONTA Log{};
    GetObject(Canvas->Font()->Handle(), sizeof Log, &Log);
    Log.lfEscapement = Angle * 10;
    Log.lfOrientation = Angle * 10;
    const TOwnedGdiObject Turned(CreateFontIndirect(&Log));
    HDC Dc = Canvas->Handle();
    const TSelectObject Selected(Dc, Turned.get());
    SetTextColor(Dc, ColorToRGB(Canvas->Font()->Color()));
    SetBkMode(Dc, TRANSPARENT);
    TextOut(Dc, Rect.Left, Rect.Top, Text.c_str(), int(Text.size()));
}

// ---- Link behaviour -----------------------------------------------------------------------------

void TLabel3D::CMMouseEnter(TMessage&)
{
    if (IsLink()) {
        FSavedFontColor = Font()->Color();
        Font()->SetStyle(Font()->Style() + TFontStyles{fsUnderline});
        SetCursor(crHandPoint);
        Application->ProcessMessages();
        Font()->SetColor(FLinkColor);
    }
    if (OnMouseEnter)
        OnMouseEnter(this);
}

void TLabel3D::CMMouseLeave(TMessage&)
{
    if (IsLink()) {
        SetCursor(crDefault);
        Font()->SetStyle(Font()->Style() - TFontStyles{fsUnderline});
        Application->ProcessMessages();
        Font()->SetColor(FSavedFontColor);
    }
    if (OnMouseExit)
        OnMouseExit(this);
}

void TLabel3D::Click()
{
    if (IsLink() && !FAddress.empty()) {
        SetCursor(crAppStart);
        Application->ProcessMessages();
        const AnsiString Target = FLabelStyle == lsEMailAddress ? "mailto:" + FAddress : FAddress;
        // The address is the user's to open; a desktop without a handler for it is no error of
        // the label's.
        Backend().ShellOpen(Target, "open");
        SetCursor(crHandPoint);
    }
    TCustomLabel::Click();
}

void TLabel3D::WndProc(TMessage& Message)
{
    switch (Message.Msg) {
    case CM_MOUSEENTER:
        CMMouseEnter(Message);
        return;
    case CM_MOUSELEAVE:
        CMMouseLeave(Message);
        return;
    default:
        TCustomLabel::WndProc(Message);
        return;
    }
}
