#include "controls/ZevButton.h"

#include "platform/forms/ActnList.h"
#include "platform/rtl/Conversions.h"
#include "platform/win/Colors.h"

#include <cmath>
#include <cstdint>

namespace {

// A scheme entry that leaves the colour as it is (classic schemes keep the Grad colours).
constexpr std::int64_t Keep = -1;

// One row per scheme (csNeoDesert … csSilver), the colours in SetColors index order.
constexpr std::int64_t SchemeColors[12][TZevButton::ColorCount] = {
    // csNeoDesert
    {0xC6ECFF, 0x37BEFF, 0x009CE8, 0xB9E7FF, 0x005680, 0x000000, 0xB3E7FF, 0x00A3F0, 0x008ED2,
     0x95DAFF, 0x005680, 0x000000, 0x2BBAFF, 0x77D2FF, 0x8AD9FF, 0x0077B7, 0x0070A6, 0x000000,
     0x808080, 0xC0C0C0, 0xD2D2D2, 0xFFFFFF, 0x808080, 0x000000, 0x4080FF},
    // csNeoSky
    {0xFFEEDD, 0xFFB66C, 0xFFA851, 0xFFECD9, 0xB35900, 0x000000, 0xFFEBD7, 0xFFA346, 0xFF9E3E,
     0xFFE4CA, 0xB35900, 0x000000, 0xFFB366, 0xFFCE9D, 0xFFD3A8, 0xFF9E3E, 0xB35900, 0x000000,
     0xEEEEEE, 0xFFFFFF, 0xD2D2D2, 0xFFFFFF, 0x808080, 0x808080, 0xFFA953},
    // csNeoGrass
    {0xDDF9E8, 0x5EDF8E, 0x24B95C, 0xCBF5DB, 0x156F37, 0x000000, 0xBFF2D2, 0x3DD877, 0x23B459,
     0xB5F0CB, 0x17793D, 0x000000, 0x4EDC83, 0x80E6A6, 0x89E7AC, 0x177D3E, 0x167439, 0x000000,
     0xEEEEEE, 0xFFFFFF, 0xD2D2D2, 0xFFFFFF, 0x808080, 0x808080, 0x24B95C},
    // csNeoSilver
    {0xF3F3F3, 0xBCBCBC, 0xA7A7A7, 0xF7F7F7, 0x626262, 0x000000, 0xF0F0F0, 0xA6A6A6, 0xA2A2A2,
     0xEEEEEE, 0x757575, 0x000000, 0xCACACA, 0xDADADA, 0xE9E9E9, 0x7C7C7C, 0x4E4E4E, 0x000000,
     0xEEEEEE, 0xFFFFFF, 0xD2D2D2, 0xFFFFFF, 0x808080, 0x808080, 0xADADAD},
    // csNeoRose
    {0xE8E8FF, 0x9595FF, 0x8282FF, 0xDDDDFF, 0x00009D, 0x000000, 0xDFDFFF, 0x7777FF, 0x6A6AFF,
     0xD7D7FF, 0x00009D, 0x000000, 0xA6A6FF, 0xB9B9FF, 0xCECEFF, 0x5E5EFF, 0x00009D, 0x000000,
     0xEEEEEE, 0xFFFFFF, 0xD2D2D2, 0xFFFFFF, 0x808080, 0x808080, 0x5E5EFF},
    // csNeoSun
    {0xF0FFFF, 0x20D8F9, 0x00BBBB, 0xF2FFFF, 0x006464, 0x000000, 0xD5FCFF, 0x05BCDC, 0x00A6A6,
     0xCCFFFF, 0x006464, 0x000000, 0x05D1F5, 0x66F0FB, 0x66F3FF, 0x008484, 0x006464, 0x000000,
     0xEEEEEE, 0xFFFFFF, 0xD2D2D2, 0xFFFFFF, 0x808080, 0x808080, 0x00BBBB},
    // csDesert
    {0x95DDFF, Keep,     0x009CE8, 0xB9E7FF, 0x005680, 0x000000, 0x6FD0FF, Keep,     0x008ED2,
     0x95DAFF, 0x005680, 0x000000, 0x6FD0FF, Keep,     0x8AD9FF, 0x0077B7, 0x0070A6, 0x000000,
     0xE2E2E2, Keep,     0xD8D8D8, 0xEAEAEA, 0xC4C4C4, 0x808080, 0x4080FF},
    // csGrass
    {0x98EBB7, Keep,     0x24B95C, 0xCBF5DB, 0x156F37, 0x000000, 0x68E196, Keep,     0x23B459,
     0xB5F0CB, 0x17793D, 0x000000, 0x4EDC83, Keep,     0x89E7AC, 0x177D3E, 0x167439, 0x000000,
     0xE2E2E2, Keep,     0xD8D8D8, 0xEAEAEA, 0xC4C4C4, 0x808080, 0x00A421},
    // csSky
    {0xFFE0C1, Keep,     0xFFA953, 0xFFECD9, 0xB35900, 0x000000, 0xFFCD9B, Keep,     0xFFB164,
     0xFFE4CA, 0xB35900, 0x000000, 0xFFC082, Keep,     0xFFD3A8, 0xFF9122, 0xB35900, 0x000000,
     0xE2E2E2, Keep,     0xD8D8D8, 0xEAEAEA, 0xC4C4C4, 0x808080, 0xDC9B14},
    // csSun
    {0xA8FFFF, Keep,     0x00BBBB, 0xF2FFFF, 0x006464, 0x000000, 0x66F3FF, Keep,     0x00A6A6,
     0xCCFFFF, 0x006464, 0x000000, 0x22EEFF, Keep,     0x66F3FF, 0x008484, 0x006464, 0x000000,
     0xE2E2E2, Keep,     0xD8D8D8, 0xEAEAEA, 0xC4C4C4, 0x808080, 0x008CF4},
    // csRose
    {0xC6C6FF, Keep,     0x8282FF, 0xDDDDFF, 0x00009D, 0x000000, 0xB0B0FF, Keep,     0x6A6AFF,
     0xD7D7FF, 0x00009D, 0x000000, 0x9F9FFF, Keep,     0x8888FF, 0x5E5EFF, 0x00009D, 0x000000,
     0xE2E2E2, Keep,     0xD8D8D8, 0xEAEAEA, 0xC4C4C4, 0x808080, 0x5E5EFF},
    // csSilver
    {0xE0E0E0, Keep,     0xAEAEAE, 0xF7F7F7, 0x626262, 0x000000, 0xCFCFCF, Keep,     0x797979,
     0xEEEEEE, 0x757575, 0x000000, 0xD3D3D3, Keep,     0xE9E9E9, 0x7C7C7C, 0x4E4E4E, 0x000000,
     0xE2E2E2, Keep,     0xD8D8D8, 0xEAEAEA, 0xC4C4C4, 0x808080, 0x8A8A8A},
};

constexpr bool IsNeoScheme(TColorScheme Scheme)
{
    return Scheme <= csNeoSun;
}

} // namespace

// ---- Construction -------------------------------------------------------------------------------

TZevButton::TZevButton(TComponent* AOwner) : TCustomControl(AOwner), FGlyph(std::make_unique<TBitmap>())
{
    SetBounds(FLeft, FTop, 75, 25);
    FTabStop = true;
    // The order matters: the scheme sets Gradient, and the three Grad colours written after it
    // (not through SetColors) leave the button reporting csNeoDesert with white Grad colours.
    FGradient = false;
    SetColorScheme(csNeoDesert);
    FColors[ciOverColorGrad] = 0xFFFFFF;
    FColors[ciDownColorGrad] = 0xFFFFFF;
    FColors[ciDisabledColorGrad] = 0xFFFFFF;
}

TZevButton::~TZevButton() = default;

// ---- Colours and schemes ------------------------------------------------------------------------

TColor TZevButton::Colors(Integer Index) const
{
    return Index >= 0 && Index < ColorCount ? FColors[static_cast<size_t>(Index)] : clNone;
}

void TZevButton::SetColors(Integer Index, TColor Value)
{
    if (Index >= 0 && Index < ColorCount)
        FColors[static_cast<size_t>(Index)] = Value;
    SetColorScheme(csCustom);
    Invalidate();
}

void TZevButton::SetColorScheme(TColorScheme Value)
{
    if (Value != csCustom) {
        const auto& Row = SchemeColors[Value];
        for (Integer I = 0; I < ColorCount; ++I)
            if (Row[I] != Keep)
                SetColors(I, static_cast<TColor>(Row[I]));
        FGradient = IsNeoScheme(Value);
    }
    Invalidate();
    FColorScheme = Value;
}

TStringList* TZevButton::GetColorScheme()
{
    static constexpr const char* Stems[6] = {"ColorFace", "ColorGrad",   "ColorLight",
                                             "ColorDark", "ColorBorder", "ColorText"};
    static constexpr Integer StemIndex[6] = {ciColorFace, ciColorGrad,   ciColorLight,
                                             ciColorDark, ciColorBorder, ciColorText};
    static constexpr const char* Prefixes[4] = {"", "Over", "Down", "Disabled"};
    auto* List = new TStringList;
    for (Integer Look = 0; Look < 4; ++Look)
        for (Integer Stem = 0; Stem < 6; ++Stem)
            List->Add(AnsiString(Prefixes[Look]) + Stems[Stem] +
                      ":= " + ColorToString(FColors[static_cast<size_t>(Look * 6 + StemIndex[Stem])]) + ";");
    List->Add("ColorFocusRect:=  " + ColorToString(FColors[ciColorFocusRect]) + ";");
    return List;
}

// ---- Plain properties ---------------------------------------------------------------------------

void TZevButton::SetCtl3D(bool Value)
{
    FCtl3D = Value;
    Invalidate();
}

void TZevButton::SetLayout(TButtonLayout Value)
{
    FLayout = Value;
    Invalidate();
}

void TZevButton::SetGlyph(TBitmap* Value)
{
    if (Value)
        FGlyph->Assign(Value);
    else
        FGlyph = std::make_unique<TBitmap>();
    Invalidate();
}

void TZevButton::SetNumGlyphs(Integer Value)
{
    // The drawn image is the strip's width divided by this; 0 or less would divide by zero.
    FNumGlyphs = Value < 1 ? 1 : Value;
    Invalidate();
}

void TZevButton::SetTransparentGlyph(bool Value)
{
    FTransparentGlyph = Value;
    Invalidate();
}

void TZevButton::SetGradient(bool Value)
{
    FGradient = Value;
    Invalidate();
}

void TZevButton::SetSpacing(Integer Value)
{
    FSpacing = Value;
    Invalidate();
}

void TZevButton::SetDefault(bool Value)
{
    FDefault = Value;
    if (HandleAllocated())
        if (TCustomForm* Form = GetParentForm(this))
            Form->Perform(CM_FOCUSCHANGED, 0, reinterpret_cast<LPARAM>(Form->ActiveControl()));
}

// ---- Painting -----------------------------------------------------------------------------------

void TZevButton::GradientFillRect(TCanvas* Canvas, const TRect& Rect, TColor FromColor, TColor ToColor)
{
    const Integer H = Rect.Bottom - Rect.Top;
    if (H < 0)
        return;
    const COLORREF From = ColorToRGB(FromColor);
    const COLORREF To = ColorToRGB(ToColor);
    const double R0 = GetRValue(From), G0 = GetGValue(From), B0 = GetBValue(From);
    // A rectangle of no height is one line in the start colour (no division by zero).
    const double DR = H ? (double(GetRValue(To)) - R0) / H : 0;
    const double DG = H ? (double(GetGValue(To)) - G0) / H : 0;
    const double DB = H ? (double(GetBValue(To)) - B0) / H : 0;
    auto Channel = [](double V) { return static_cast<BYTE>(std::nearbyint(V)); };
    Canvas->Pen()->SetStyle(psSolid);
    Canvas->Pen()->SetWidth(1);
    for (Integer I = 0; I <= H; ++I) {
        Canvas->Pen()->SetColor(RGB(Channel(R0 + I * DR), Channel(G0 + I * DG), Channel(B0 + I * DB)));
        Canvas->MoveTo(Rect.Left, Rect.Top + I);
        Canvas->LineTo(Rect.Right, Rect.Top + I);
    }
}

void TZevButton::Paint()
{
    const Integer W = Width(), H = Height();
    if (W <= 0 || H <= 0)
        return;
    TBitmap Buffer;
    Buffer.SetSize(W, H);
    TCanvas* C = Buffer.Canvas();

    Integer Base = ciColorFace;
    if (!Enabled())
        Base = ciDisabledColorFace;
    else if (FState == dsHot)
        Base = ciOverColorFace;
    else if (FState == dsDown)
        Base = ciDownColorFace;
    auto Col = [&](Integer Role) { return FColors[static_cast<size_t>(Base + Role)]; };
    const TColor Face = Col(0), Grad = Col(1), Dark = Col(2), Light = Col(3), Border = Col(4),
                 TextColor = Col(5);
    const bool Down = FState == dsDown;

    C->Brush()->SetColor(Face);
    C->Brush()->SetStyle(bsSolid);
    C->Rectangle(0, 0, W, H);
    if (FGradient)
        GradientFillRect(C, TRect{0, 0, W, H}, Face, Grad);

    C->Font()->Assign(Font());
    C->Font()->SetColor(TextColor);
    const AnsiString Text = Caption();
    const Integer TW = C->TextWidth(Text), TH = C->TextHeight(Text);
    Integer TX = (W - TW) / 2, TY = (H - TH) / 2;

    if (!FGlyph->Empty()) {
        const Integer GW = FGlyph->Width() / FNumGlyphs, GH = FGlyph->Height();
        const Integer S = FSpacing;
        const bool HasText = !Text.empty();
        Integer GX = 0, GY = 0;
        switch (FLayout) {
        case blGlyphLeft:
            GX = TX - GW / 2;
            GY = (H - GH) / 2;
            TX += GW / 2;
            if (HasText) {
                GX -= S / 2 + S % 2;
                TX += S / 2;
            }
            break;
        case blGlyphRight:
            GX = TX + TW - GW / 2;
            GY = (H - GH) / 2;
            TX -= GW / 2;
            if (HasText) {
                GX += S / 2 + S % 2;
                TX -= S / 2;
            }
            break;
        case blGlyphTop:
            GX = (W - GW) / 2;
            GY = TY - GH / 2 - GH % 2;
            TY += GH / 2;
            if (HasText) {
                GY -= S / 2 + S % 2;
                TY += S / 2;
            }
            break;
        case blGlyphBottom:
            GX = (W - GW) / 2;
            GY = TY + TH - GH / 2;
            TY -= GH / 2;
            if (HasText) {
                GY += S / 2 + S % 2;
                TY -= S / 2;
            }
            break;
        }
        if (Down) {
            ++GX;
            ++GY;
        }
        if (GW > 0 && GH > 0) {
            TBitmap Image;
            Image.SetSize(GW, GH);
            Image.Canvas()->CopyRect(TRect{0, 0, GW, GH}, FGlyph->Canvas(), TRect{0, 0, GW, GH});
            Image.SetTransparentMode(tmFixed);
            Image.SetTransparentColor(FGlyph->Canvas()->Pixels(0, 0));
            Image.SetTransparent(FTransparentGlyph);
            C->Draw(GX, GY, &Image);
        }
    }

    if (Down) {
        ++TX;
        ++TY;
    }
    if (!Text.empty()) {
        C->Brush()->SetStyle(bsClear);
        C->RequiredState(TCanvasState{csHandleValid, csFontValid, csBrushValid});
        RECT R{TX, TY, TX + TW, TY + TH};
        DrawText(C->Handle(), Text.c_str(), static_cast<int>(Text.size()), &R,
                 DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOCLIP);
    }

    C->Pen()->SetColor(Border);
    C->Pen()->SetStyle(psSolid);
    C->Brush()->SetStyle(bsClear);
    C->Rectangle(0, 0, W, H);

    if (FCtl3D) {
        C->Pen()->SetColor(Light);
        C->MoveTo(1, H - 2);
        C->LineTo(1, 1);
        C->LineTo(W - 1, 1);
        C->Pen()->SetColor(Dark);
        C->MoveTo(W - 2, 1);
        C->LineTo(W - 2, H - 2);
        C->LineTo(1, H - 2);
    }

    if (FFocused) {
        C->Pen()->SetColor(FColors[ciColorFocusRect]);
        C->Pen()->SetStyle(psSolid);
        C->Brush()->SetStyle(bsClear);
        C->Rectangle(3, 3, W - 3, H - 3);
    }

    // One copy to the screen: the button never shows a half-drawn face.
    Canvas()->Draw(0, 0, &Buffer);
}

// ---- State --------------------------------------------------------------------------------------

void TZevButton::SetState(TDrawState Value)
{
    FState = Value;
    if (HandleAllocated())
        Repaint();
}

void TZevButton::Click()
{
    if (Parent())
        if (TCustomForm* Form = GetParentForm(this))
            Form->SetModalResult(FModalResult);
    SetState(dsNormal);
    TCustomControl::Click();
}

void TZevButton::MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y)
{
    TCustomControl::MouseDown(Button, Shift, X, Y);
    if (Button != mbLeft)
        return;
    FMouseHeld = true;
    if (FTabStop && CanFocus())
        SetFocus();
    SetState(dsDown);
}

void TZevButton::MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y)
{
    // A left release over the button has already clicked it (the platform's button-up handling).
    TCustomControl::MouseUp(Button, Shift, X, Y);
    FMouseHeld = false;
    if (X > 0 && X < Width() && Y > 0 && Y < Height())
        SetState(FHotTrack ? dsHot : dsNormal);
}

void TZevButton::MouseMove(TShiftState Shift, Integer X, Integer Y)
{
    TCustomControl::MouseMove(Shift, X, Y);
    // While the button holds the mouse, every move comes here and the platform reports no
    // leaving or entering; crossing the edge counts as such, so that pulling the pressed mouse
    // off the button shows the normal look and coming back shows the down look again.
    if (!FMouseHeld)
        return;
    const bool Inside = X >= 0 && X < Width() && Y >= 0 && Y < Height();
    if (!Inside && FState != dsNormal)
        SetState(dsNormal);
    else if (Inside && FState == dsNormal && FHotTrack)
        SetState(dsDown);
}

void TZevButton::MouseEnter(TMessage& Message)
{
    TCustomControl::WndProc(Message);
    if (ComponentState().Contains(csDesigning) || !FHotTrack)
        return;
    SetState(FMouseHeld ? dsDown : dsHot);
}

void TZevButton::MouseLeave(TMessage& Message)
{
    TCustomControl::WndProc(Message);
    SetState(dsNormal);
}

void TZevButton::WMSetFocus(TMessage& Message)
{
    TCustomControl::WndProc(Message);
    FFocused = true;
    if (HandleAllocated())
        Repaint();
}

void TZevButton::WMKillFocus(TMessage& Message)
{
    TCustomControl::WndProc(Message);
    FFocused = false;
    SetState(dsNormal);
}

void TZevButton::WMKeyDown(TMessage& Message)
{
    // Shortcuts of the form's actions and dialog keys come first, as for every control; only
    // what they leave is the button's.
    if (Perform(CN_KEYDOWN, Message.WParam, Message.LParam) != 0) {
        MSG M;
        PeekMessage(&M, Handle(), WM_CHAR, WM_CHAR, PM_REMOVE);
        return;
    }
    switch (Message.WParam) {
    case VK_SPACE:
        SetState(dsDown);
        break;
    case VK_RETURN:
        Click();
        Repaint();
        break;
    default:
        Repaint();
        break;
    }
}

void TZevButton::WMKeyUp(TMessage& Message)
{
    if (Message.WParam == VK_SPACE) {
        SetState(dsNormal);
        Click();
    }
}

void TZevButton::CMDialogKey(TMessage& Message)
{
    const TShiftState Shift = KeyDataToShiftState(Message.LParam);
    const bool NoModifiers = !Shift.Contains(ssShift) && !Shift.Contains(ssCtrl) && !Shift.Contains(ssAlt);
    const bool Own =
        ((Message.WParam == VK_RETURN && FFocused) || (Message.WParam == VK_ESCAPE && FCancel)) &&
        NoModifiers && CanFocus();
    if (Own || (Message.WParam == VK_RETURN && FDefault)) {
        Click();
        Message.Result = 1;
        return;
    }
    TCustomControl::WndProc(Message);
}

void TZevButton::CMDialogChar(TMessage& Message)
{
    if (IsAccel(static_cast<Word>(Message.WParam), Caption()) && Enabled()) {
        Click();
        Message.Result = 1;
    }
}

void TZevButton::WndProc(TMessage& Message)
{
    switch (Message.Msg) {
    case CM_MOUSEENTER:
        MouseEnter(Message);
        return;
    case CM_MOUSELEAVE:
        MouseLeave(Message);
        return;
    case WM_SETFOCUS:
        WMSetFocus(Message);
        return;
    case WM_KILLFOCUS:
        WMKillFocus(Message);
        return;
    case WM_KEYDOWN:
        WMKeyDown(Message);
        return;
    case WM_KEYUP:
        WMKeyUp(Message);
        return;
    case CM_DIALOGKEY:
        CMDialogKey(Message);
        return;
    case CM_DIALOGCHAR:
        CMDialogChar(Message);
        return;
    case CM_TEXTCHANGED:
    case CM_FONTCHANGED:
        TCustomControl::WndProc(Message);
        Invalidate();
        return;
    case CM_ENABLEDCHANGED:
        TCustomControl::WndProc(Message);
        Invalidate();
        return;
    default:
        TCustomControl::WndProc(Message);
        return;
    }
}
