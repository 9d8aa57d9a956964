#include "platform/forms/Buttons.h"

#include "platform/forms/Forms.h"
#include "platform/win/Colors.h"

#include <algorithm>

void DrawButtonGlyphAndCaption(TCanvas* Canvas, const TRect& Client, TBitmap* Glyph, Integer NumGlyphs,
                               TButtonState State, const AnsiString& Caption, TButtonLayout Layout,
                               Integer Margin, Integer Spacing, bool Enabled, TFont* Font)
{
    HDC Dc = Canvas->Handle();
    SelectObject(Dc, Font->Handle());
    // The glyph slice for the state; missing slices fall back to the first.
    Integer GW = 0, GH = 0, Slice = 0;
    if (Glyph && !Glyph->Empty()) {
        NumGlyphs = std::clamp(NumGlyphs, 1, 4);
        GW = Glyph->Width() / NumGlyphs;
        GH = Glyph->Height();
        Integer Wanted = State == bsDisabled ? 1 : State == bsDown ? 2 : State == bsExclusive ? 3 : 0;
        Slice = Wanted < NumGlyphs ? Wanted : 0;
    }
    RECT TextSize{0, 0, Client.Width(), 0};
    if (!Caption.empty())
        DrawText(Dc, Caption.c_str(), int(Caption.size()), &TextSize, DT_CALCRECT | DT_SINGLELINE);
    Integer TW = TextSize.Right - TextSize.Left, TH = TextSize.Bottom - TextSize.Top;
    bool Horizontal = Layout == blGlyphLeft || Layout == blGlyphRight;
    Integer Gap = (GW > 0 && TW > 0) ? Spacing : 0;
    Integer Total = Horizontal ? GW + Gap + TW : GH + Gap + TH;
    Integer Avail = Horizontal ? Client.Width() : Client.Height();
    Integer Start = Margin >= 0 ? Margin : (Avail - Total) / 2;
    Integer GX, GY, TX, TY;
    if (Horizontal) {
        GY = Client.Top + (Client.Height() - GH) / 2;
        TY = Client.Top + (Client.Height() - TH) / 2;
        if (Layout == blGlyphLeft) {
            GX = Client.Left + Start;
            TX = GX + GW + Gap;
        } else {
            TX = Client.Left + Start;
            GX = TX + TW + Gap;
        }
    } else {
        GX = Client.Left + (Client.Width() - GW) / 2;
        TX = Client.Left + (Client.Width() - TW) / 2;
        if (Layout == blGlyphTop) {
            GY = Client.Top + Start;
            TY = GY + GH + Gap;
        } else {
            TY = Client.Top + Start;
            GY = TY + TH + Gap;
        }
    }
    if (State == bsDown || State == bsExclusive) {
        ++GX, ++GY, ++TX, ++TY;
    }
    if (GW > 0) {
        HDC Src = Glyph->Canvas()->Handle();
        COLORREF Transparent = GetPixel(Src, 0, GH - 1);
        TransparentBlt(Dc, GX, GY, GW, GH, Src, Slice * GW, 0, GW, GH, Transparent);
    }
    if (TW > 0) {
        SetBkMode(Dc, TRANSPARENT);
        RECT T{TX, TY, TX + TW, TY + TH};
        if (!Enabled) {
            SetTextColor(Dc, GetSysColor(COLOR_BTNHIGHLIGHT));
            OffsetRect(&T, 1, 1);
            DrawText(Dc, Caption.c_str(), int(Caption.size()), &T, DT_SINGLELINE);
            OffsetRect(&T, -1, -1);
            SetTextColor(Dc, GetSysColor(COLOR_BTNSHADOW));
        } else {
            SetTextColor(Dc, ColorToRGB(Font->Color()));
        }
        DrawText(Dc, Caption.c_str(), int(Caption.size()), &T, DT_SINGLELINE);
    }
}

// ---- TSpeedButton ---------------------------------------------------------------------------------------

TSpeedButton::TSpeedButton(TComponent* AOwner) : TGraphicControl(AOwner), FGlyph(std::make_unique<TBitmap>())
{
    FControlStyle = TControlStyle{csCaptureMouse, csDoubleClicks};
    SetBounds(0, 0, 23, 22);
}

TSpeedButton::~TSpeedButton() = default;

void TSpeedButton::SetGlyph(TBitmap* Value)
{
    FGlyph->Assign(Value);
    Invalidate();
}

void TSpeedButton::SetNumGlyphs(Integer Value)
{
    FNumGlyphs = std::clamp(Value, 1, 4);
    Invalidate();
}

void TSpeedButton::SetGroupIndex(Integer Value)
{
    FGroupIndex = Value;
    UpdateExclusive();
}

void TSpeedButton::SetDown(bool Value)
{
    if (FGroupIndex == 0)
        Value = false;
    if (Value == FDown)
        return;
    if (FDown && !FAllowAllUp)
        return;
    FDown = Value;
    FState = Value ? bsExclusive : bsUp;
    Invalidate();
    if (Value)
        UpdateExclusive();
}

void TSpeedButton::SetAllowAllUp(bool Value)
{
    FAllowAllUp = Value;
    UpdateExclusive();
}

void TSpeedButton::SetFlat(bool Value)
{
    FFlat = Value;
    Invalidate();
}

void TSpeedButton::SetLayout(TButtonLayout Value)
{
    FLayout = Value;
    Invalidate();
}

void TSpeedButton::SetMargin(Integer Value)
{
    FMargin = Value;
    Invalidate();
}

void TSpeedButton::SetSpacing(Integer Value)
{
    FSpacing = Value;
    Invalidate();
}

// The other buttons of the group let go when this one is down, and share AllowAllUp.
void TSpeedButton::UpdateExclusive()
{
    if (FGroupIndex == 0 || !FParent)
        return;
    for (Integer I = 0; I < FParent->ControlCount(); ++I) {
        auto* B = dynamic_cast<TSpeedButton*>(FParent->Controls(I));
        if (!B || B == this || B->FGroupIndex != FGroupIndex)
            continue;
        if (FDown && B->FDown) {
            B->FDown = false;
            B->FState = bsUp;
            B->Invalidate();
        }
        B->FAllowAllUp = FAllowAllUp;
    }
}

void TSpeedButton::Paint()
{
    TCanvas* C = Canvas();
    TRect R = ClientRect();
    if (!Enabled())
        FState = bsDisabled;
    else if (FState == bsDisabled)
        FState = FDown && FGroupIndex != 0 ? bsExclusive : bsUp;
    bool Pushed = FState == bsDown || FState == bsExclusive;
    C->Brush()->SetColor(clBtnFace);
    C->Brush()->SetStyle(bsSolid);
    C->FillRect(R);
    RECT Face = R;
    if (FFlat) {
        if (Pushed || (FMouseInControl && Enabled()))
            DrawEdge(C->Handle(), &Face, Pushed ? BDR_SUNKENOUTER : BDR_RAISEDINNER, BF_RECT);
    } else {
        DrawFrameControl(C->Handle(), &Face, DFC_BUTTON, DFCS_BUTTONPUSH | (Pushed ? UINT(DFCS_PUSHED) : 0u));
    }
    if (FState == bsExclusive && !FFlat) {
        // A latched button shows a dithered face.
        RECT Inner = R;
        InflateRect(&Inner, -2, -2);
        C->Brush()->SetColor(cl3DLight);
        C->FillRect(Inner);
    }
    TRect Content = R;
    InflateRect(&Content, -1, -1);
    DrawButtonGlyphAndCaption(C, Content, FGlyph.get(), FNumGlyphs, FState, GetText(), FLayout, FMargin,
                              FSpacing, Enabled(), Font());
}

void TSpeedButton::MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y)
{
    TGraphicControl::MouseDown(Button, Shift, X, Y);
    if (Button != mbLeft || !Enabled())
        return;
    if (!FDown) {
        FState = bsDown;
        Invalidate();
    }
    FDragging = true;
}

void TSpeedButton::MouseMove(TShiftState Shift, Integer X, Integer Y)
{
    TGraphicControl::MouseMove(Shift, X, Y);
    if (!FDragging)
        return;
    bool Inside = X >= 0 && X < Width() && Y >= 0 && Y < Height();
    TButtonState New = Inside ? (FDown ? bsExclusive : bsDown) : (FDown ? bsExclusive : bsUp);
    if (New != FState) {
        FState = New;
        Invalidate();
    }
}

void TSpeedButton::MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y)
{
    TGraphicControl::MouseUp(Button, Shift, X, Y);
    if (!FDragging)
        return;
    FDragging = false;
    bool Inside = X >= 0 && X < Width() && Y >= 0 && Y < Height();
    if (FGroupIndex == 0) {
        FState = bsUp;
        Invalidate();
        if (Inside)
            Click();
        return;
    }
    if (Inside) {
        SetDown(!FDown);
        FState = FDown ? bsExclusive : bsUp;
        Invalidate();
        Click();
    } else {
        FState = FDown ? bsExclusive : bsUp;
        Invalidate();
    }
}

void TSpeedButton::WndProc(TMessage& Message)
{
    switch (Message.Msg) {
    case CM_MOUSEENTER:
    case CM_MOUSELEAVE:
        FMouseInControl = Message.Msg == CM_MOUSEENTER;
        if (FFlat)
            Invalidate();
        break;
    case CM_DIALOGCHAR:
        if (IsAccel(Word(Message.WParam), GetText()) && Enabled() && Visible()) {
            Click();
            Message.Result = 1;
            return;
        }
        break;
    case CM_ENABLEDCHANGED:
        TGraphicControl::WndProc(Message);
        Invalidate();
        return;
    default:
        break;
    }
    TGraphicControl::WndProc(Message);
}

// ---- TBitBtn
// ------------------------------------------------------------------------------------------------

TBitBtn::TBitBtn(TComponent* AOwner) : TButton(AOwner), FGlyph(std::make_unique<TBitmap>()) {}

TBitBtn::~TBitBtn() = default;

void TBitBtn::SetGlyph(TBitmap* Value)
{
    FGlyph->Assign(Value);
    if (FKind != bkCustom)
        FKind = bkCustom;
    Invalidate();
}

void TBitBtn::SetNumGlyphs(Integer Value)
{
    FNumGlyphs = std::clamp(Value, 1, 4);
    Invalidate();
}

void TBitBtn::SetKind(TBitBtnKind Value)
{
    struct KindInfo {
        const char* Caption;
        TModalResult Result;
    };
    static const KindInfo Kinds[] = {{"", mrNone},          {"OK", mrOk},       {"Cancel", mrCancel},
                                     {"&Help", mrNone},     {"&Yes", mrYes},    {"&No", mrNo},
                                     {"&Close", mrNone},    {"Abort", mrAbort}, {"&Retry", mrRetry},
                                     {"&Ignore", mrIgnore}, {"&All", mrAll}};
    FKind = Value;
    if (Value == bkCustom)
        return;
    SetCaption(Kinds[Value].Caption);
    SetModalResult(Kinds[Value].Result);
    if (Value == bkOK || Value == bkYes)
        SetDefault(true);
    if (Value == bkCancel || Value == bkNo)
        SetCancel(true);
    Invalidate();
}

void TBitBtn::SetLayout(TButtonLayout Value)
{
    FLayout = Value;
    Invalidate();
}

void TBitBtn::SetMargin(Integer Value)
{
    FMargin = Value;
    Invalidate();
}

void TBitBtn::SetSpacing(Integer Value)
{
    FSpacing = Value;
    Invalidate();
}

void TBitBtn::Click()
{
    // A Close button closes its form.
    if (FKind == bkClose) {
        if (TCustomForm* Form = GetParentForm(this)) {
            Form->Close();
            return;
        }
    }
    TButton::Click();
}

void TBitBtn::PaintButton(HDC Dc)
{
    RECT R;
    GetClientRect(FHandle, &R);
    LRESULT State = SendMessage(FHandle, BM_GETSTATE, 0, 0);
    bool Pushed = State & BST_PUSHED;
    bool Focus = State & BST_FOCUS;
    FillRect(Dc, &R, GetSysColorBrush(COLOR_BTNFACE));
    RECT Face = R;
    if (Default() || Focus) {
        FrameRect(Dc, &Face, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
        InflateRect(&Face, -1, -1);
    }
    DrawFrameControl(Dc, &Face, DFC_BUTTON, DFCS_BUTTONPUSH | (Pushed ? UINT(DFCS_PUSHED) : 0u));
    TCanvas Canvas;
    Canvas.SetHandle(Dc);
    TRect Content = Face;
    InflateRect(&Content, -2, -2);
    DrawButtonGlyphAndCaption(&Canvas, Content, FGlyph.get(), FNumGlyphs,
                              !Enabled() ? bsDisabled
                              : Pushed   ? bsDown
                                         : bsUp,
                              GetText(), FLayout, FMargin, FSpacing, Enabled(), Font());
    Canvas.SetHandle(nullptr);
    if (Focus) {
        RECT F = Face;
        InflateRect(&F, -3, -3);
        DrawFocusRect(Dc, &F);
    }
}

void TBitBtn::WndProc(TMessage& Message)
{
    if (Message.Msg == WM_PAINT && HandleAllocated()) {
        // The button's behaviour stays the window class's; its face is drawn here.
        PAINTSTRUCT Ps;
        HDC Dc = Message.WParam ? reinterpret_cast<HDC>(Message.WParam) : BeginPaint(FHandle, &Ps);
        int Saved = SaveDC(Dc);
        PaintButton(Dc);
        RestoreDC(Dc, Saved);
        if (!Message.WParam)
            EndPaint(FHandle, &Ps);
        Message.Result = 0;
        return;
    }
    TButton::WndProc(Message);
}
