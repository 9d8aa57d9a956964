#include "platform/forms/ExtCtrlsPanels.h"

#include "platform/win/Colors.h"

#include <algorithm>

void Frame3D(TCanvas* Canvas, TRect& Rect, TColor TopColor, TColor BottomColor, Integer Width)
{
    Canvas->Pen()->SetWidth(1);
    Canvas->Pen()->SetStyle(psSolid);
    --Rect.Right;
    --Rect.Bottom;
    for (Integer I = 0; I < Width; ++I) {
        Canvas->Pen()->SetColor(TopColor);
        Canvas->MoveTo(Rect.Left, Rect.Bottom);
        Canvas->LineTo(Rect.Left, Rect.Top);
        Canvas->LineTo(Rect.Right, Rect.Top);
        Canvas->Pen()->SetColor(BottomColor);
        Canvas->LineTo(Rect.Right, Rect.Bottom);
        Canvas->LineTo(Rect.Left - 1, Rect.Bottom);
        ++Rect.Left;
        ++Rect.Top;
        --Rect.Right;
        --Rect.Bottom;
    }
    ++Rect.Right;
    ++Rect.Bottom;
}

// ---- TCustomPanel -------------------------------------------------------------------------------------

TCustomPanel::TCustomPanel(TComponent* AOwner) : TCustomControl(AOwner)
{
    FControlStyle = TControlStyle{csAcceptsControls, csCaptureMouse, csClickEvents, csSetCaption,
                                  csOpaque,          csDoubleClicks, csReplicatable};
    FColor = clBtnFace;
    FParentColor = false;
    FBrush->SetColor(FColor);
    SetBounds(0, 0, 185, 41);
}

void TCustomPanel::CreateParams(TCreateParams& Params)
{
    TCustomControl::CreateParams(Params);
    if (FBorderStyle == bsSingle) {
        if (Ctl3D())
            Params.ExStyle |= WS_EX_CLIENTEDGE;
        else
            Params.Style |= WS_BORDER;
    }
}

void TCustomPanel::SetAlignment(TAlignment Value)
{
    FAlignment = Value;
    Invalidate();
}

void TCustomPanel::SetBevelInner(TBevelCut Value)
{
    FBevelInner = Value;
    Realign();
    Invalidate();
}

void TCustomPanel::SetBevelOuter(TBevelCut Value)
{
    FBevelOuter = Value;
    Realign();
    Invalidate();
}

void TCustomPanel::SetBevelWidth(Integer Value)
{
    FBevelWidth = std::max(Value, 1);
    Realign();
    Invalidate();
}

void TCustomPanel::SetBorderStyle(TBorderStyle Value)
{
    if (FBorderStyle != Value) {
        FBorderStyle = Value;
        RecreateWnd();
    }
}

void TCustomPanel::AdjustClientRect(TRect& Rect)
{
    TCustomControl::AdjustClientRect(Rect); // the border width
    Integer Inset = 0;
    if (FBevelOuter != bvNone)
        Inset += FBevelWidth;
    if (FBevelInner != bvNone)
        Inset += FBevelWidth;
    Rect.Left += Inset;
    Rect.Top += Inset;
    Rect.Right -= Inset;
    Rect.Bottom -= Inset;
}

void TCustomPanel::Paint()
{
    TCanvas* C = Canvas();
    TRect R = ClientRect();
    auto Bevel = [&](TBevelCut Cut) {
        if (Cut == bvNone)
            return;
        TColor Top = Cut == bvLowered ? clBtnShadow : clBtnHighlight;
        TColor Bottom = Cut == bvLowered ? clBtnHighlight : clBtnShadow;
        if (Cut == bvSpace)
            Top = Bottom = Color();
        Frame3D(C, R, Top, Bottom, FBevelWidth);
    };
    Bevel(FBevelOuter);
    Frame3D(C, R, Color(), Color(), FBorderWidth);
    Bevel(FBevelInner);
    C->Brush()->SetColor(Color());
    C->Brush()->SetStyle(bsSolid);
    C->FillRect(R);
    AnsiString Text = GetText();
    if (Text.empty())
        return;
    static const UINT Alignments[] = {DT_LEFT, DT_RIGHT, DT_CENTER};
    C->SetFont(Font());
    C->Brush()->SetStyle(bsClear);
    SetBkMode(C->Handle(), TRANSPARENT);
    SetTextColor(C->Handle(), Enabled() ? ColorToRGB(Font()->Color()) : GetSysColor(COLOR_GRAYTEXT));
    RECT T = R;
    DrawText(C->Handle(), Text.c_str(), int(Text.size()), &T,
             DrawTextBiDiModeFlags(DT_EXPANDTABS | DT_VCENTER | DT_SINGLELINE | Alignments[FAlignment]));
}

void TCustomPanel::WndProc(TMessage& Message)
{
    if (Message.Msg == CM_TEXTCHANGED) {
        TCustomControl::WndProc(Message);
        Invalidate();
        return;
    }
    TCustomControl::WndProc(Message);
}

// ---- TBevel
// ------------------------------------------------------------------------------------------------

TBevel::TBevel(TComponent* AOwner) : TGraphicControl(AOwner)
{
    FControlStyle.Include(csReplicatable);
    SetBounds(0, 0, 50, 50);
}

void TBevel::SetShape(TBevelShape Value)
{
    FShape = Value;
    Invalidate();
}

void TBevel::SetStyle(TBevelStyle Value)
{
    FStyle = Value;
    Invalidate();
}

void TBevel::Paint()
{
    TCanvas* C = Canvas();
    TColor Top = FStyle == bsLowered ? clBtnShadow : clBtnHighlight;
    TColor Bottom = FStyle == bsLowered ? clBtnHighlight : clBtnShadow;
    TRect R = ClientRect();
    C->Pen()->SetWidth(1);
    auto Line = [&](Integer X1, Integer Y1, Integer X2, Integer Y2, TColor Color) {
        C->Pen()->SetColor(Color);
        C->MoveTo(X1, Y1);
        C->LineTo(X2, Y2);
    };
    Integer W = R.Width(), H = R.Height();
    switch (FShape) {
    case bsBox:
        Frame3D(C, R, Top, Bottom, 1);
        break;
    case bsFrame: {
        TRect Outer{R.Left, R.Top, R.Right - 1, R.Bottom - 1};
        Frame3D(C, Outer, Top, Top, 1);
        TRect Inner{R.Left + 1, R.Top + 1, R.Right, R.Bottom};
        Frame3D(C, Inner, Bottom, Bottom, 1);
        break;
    }
    case bsTopLine:
        Line(0, 0, W, 0, Top);
        Line(0, 1, W, 1, Bottom);
        break;
    case bsBottomLine:
        Line(0, H - 2, W, H - 2, Top);
        Line(0, H - 1, W, H - 1, Bottom);
        break;
    case bsLeftLine:
        Line(0, 0, 0, H, Top);
        Line(1, 0, 1, H, Bottom);
        break;
    case bsRightLine:
        Line(W - 2, 0, W - 2, H, Top);
        Line(W - 1, 0, W - 1, H, Bottom);
        break;
    case bsSpacer:
        break;
    }
}

// ---- TImage
// ---------------------------------------------------------------------------------------------------

TImage::TImage(TComponent* AOwner) : TGraphicControl(AOwner), FPicture(std::make_unique<TPicture>())
{
    FControlStyle.Include(csReplicatable);
    FPicture->OnChange = [this](TObject* Sender) { PictureChanged(Sender); };
    SetBounds(0, 0, 105, 105);
}

TImage::~TImage()
{
    FPicture->OnChange = nullptr;
}

void TImage::PictureChanged(TObject*)
{
    if (FAutoSize && FPicture->Width() > 0 && FPicture->Height() > 0)
        SetBounds(FLeft, FTop, FPicture->Width(), FPicture->Height());
    Invalidate();
}

void TImage::SetAutoSize(bool Value)
{
    FAutoSize = Value;
    PictureChanged(this);
}

void TImage::SetCenter(bool Value)
{
    FCenter = Value;
    Invalidate();
}

void TImage::SetStretch(bool Value)
{
    FStretch = Value;
    Invalidate();
}

void TImage::SetProportional(bool Value)
{
    FProportional = Value;
    Invalidate();
}

void TImage::SetTransparent(bool Value)
{
    FTransparent = Value;
    if (TGraphic* G = FPicture->Graphic())
        G->SetTransparent(Value);
    Invalidate();
}

TRect TImage::DestRect()
{
    Integer W = FPicture->Width(), H = FPicture->Height();
    Integer CW = ClientWidth(), CH = ClientHeight();
    if (W <= 0 || H <= 0)
        return TRect{0, 0, 0, 0};
    if (FStretch || (FProportional && (W > CW || H > CH))) {
        if (FProportional) {
            // Keep the picture's shape: fit the limiting side.
            if (static_cast<long long>(CW) * H < static_cast<long long>(CH) * W) {
                H = Integer(static_cast<long long>(H) * CW / W);
                W = CW;
            } else {
                W = Integer(static_cast<long long>(W) * CH / H);
                H = CH;
            }
        } else {
            W = CW;
            H = CH;
        }
    }
    TRect R{0, 0, W, H};
    if (FCenter)
        OffsetRect(&R, (CW - W) / 2, (CH - H) / 2);
    return R;
}

void TImage::Paint()
{
    TGraphic* G = FPicture->Graphic();
    if (!G || G->Empty()) {
        if (ComponentState().Contains(csDesigning)) {
            Canvas()->Pen()->SetStyle(psDash);
            Canvas()->Brush()->SetStyle(bsClear);
            Canvas()->Rectangle(ClientRect());
        }
        return;
    }
    Canvas()->StretchDraw(DestRect(), G);
}

// ---- TShape
// ------------------------------------------------------------------------------------------------------

TShape::TShape(TComponent* AOwner)
    : TGraphicControl(AOwner), FBrush(std::make_unique<TBrush>()), FPen(std::make_unique<TPen>())
{
    FControlStyle.Include(csReplicatable);
    FBrush->OnChange = [this](TObject*) { Invalidate(); };
    FPen->OnChange = [this](TObject*) { Invalidate(); };
    SetBounds(0, 0, 65, 65);
}

TShape::~TShape()
{
    FBrush->OnChange = nullptr;
    FPen->OnChange = nullptr;
}

void TShape::SetShape(TShapeType Value)
{
    FShape = Value;
    Invalidate();
}

void TShape::Paint()
{
    TCanvas* C = Canvas();
    C->SetPen(FPen.get());
    C->SetBrush(FBrush.get());
    Integer PW = FPen->Width();
    Integer X = PW / 2, Y = X;
    Integer W = Width() - PW + 1, H = Height() - PW + 1;
    if (PW == 0) {
        --W;
        --H;
    }
    if (W < H && (FShape == stSquare || FShape == stRoundSquare || FShape == stCircle)) {
        Y += (H - W) / 2;
        H = W;
    } else if (W > H && (FShape == stSquare || FShape == stRoundSquare || FShape == stCircle)) {
        X += (W - H) / 2;
        W = H;
    }
    switch (FShape) {
    case stRectangle:
    case stSquare:
        C->Rectangle(X, Y, X + W, Y + H);
        break;
    case stRoundRect:
    case stRoundSquare:
        C->RoundRect(X, Y, X + W, Y + H, std::min(W, H) / 4, std::min(W, H) / 4);
        break;
    case stEllipse:
    case stCircle:
        C->Ellipse(X, Y, X + W, Y + H);
        break;
    }
}

// ---- TPaintBox
// -----------------------------------------------------------------------------------------------

TPaintBox::TPaintBox(TComponent* AOwner) : TGraphicControl(AOwner)
{
    FControlStyle.Include(csReplicatable);
    SetBounds(0, 0, 105, 105);
}

void TPaintBox::Paint()
{
    Canvas()->SetFont(Font());
    Canvas()->Brush()->SetColor(Color());
    if (ComponentState().Contains(csDesigning)) {
        Canvas()->Pen()->SetStyle(psDash);
        Canvas()->Brush()->SetStyle(bsClear);
        Canvas()->Rectangle(ClientRect());
    }
    if (OnPaint)
        OnPaint(this);
}
