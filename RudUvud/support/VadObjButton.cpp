// The grid button and its action link.

#include "RudUvud/support/VadObj.h"
#include "RudUvud/support/VadXPVS.h"

#include "platform/win/Windows.h"

namespace {

constexpr Integer DropZone = 12;

struct TLook {
    TColor Color, ColorTo, ColorHot, ColorHotTo, ColorDown, ColorDownTo, ColorChecked, ColorCheckedTo;
    TColor BorderDown, BorderHot; // clDefault: keep
    bool Rounded;
};

constexpr TColor Keep = clDefault;

const TLook Looks[7] = {
    {TColor(0xEDF1F1), TColor(0xDFEBEB), TColor(0xFAFCFC), TColor(0xE5ECED), TColor(0xE0E6E7),
     TColor(0xD8E0E1), TColor(0xFFFFFF), clNone, TColor(0xAF987A), TColor(0xC3CECE), true},
    {clBtnFace, clNone, TColor(0xEED2C1), clNone, TColor(0xE2B598), clNone, TColor(0xE8E6E1), clNone,
     TColor(0xC56A31), TColor(0xC56A31), false},
    {TColor(0xFDEADA), TColor(0xE4AE88), TColor(0xCCF4FF), TColor(0x91D0FF), TColor(0x4E91FE),
     TColor(0x8ED3FF), TColor(0x8ED3FF), TColor(0x55ADFF), Keep, Keep, false},
    {TColor(0xCFF0EA), TColor(0x8CC0B1), TColor(0xCCF4FF), TColor(0x91D0FF), TColor(0x4E91FE),
     TColor(0x8ED3FF), TColor(0x8ED3FF), TColor(0x55ADFF), Keep, Keep, false},
    {TColor(0xECE2E1), TColor(0xB39698), TColor(0xCCF4FF), TColor(0x91D0FF), TColor(0x4E91FE),
     TColor(0x8ED3FF), TColor(0x8ED3FF), TColor(0x55ADFF), Keep, Keep, false},
    {clBtnFace, clNone, clBtnFace, clNone, TColor(0xD8D3D2), clNone, TColor(0xCAC7C7), clNone, clNone, clNone,
     false},
    {TColor(0xCAFFFF), TColor(0xA6FFFF), TColor(0xA8F0FD), TColor(0x7CE9FC), TColor(0x4DE0FB),
     TColor(0x7AE9FC), TColor(0xB5E6F2), TColor(0x9CDDED), TColor(0x808080), TColor(0x808080), false},
};

bool Designing(const TComponent* C)
{
    return C->ComponentState().Contains(csDesigning);
}

} // namespace

// ---- TRudUvudButtonActionLink ---------------------------------------------------------------------

TRudUvudButtonActionLink::TRudUvudButtonActionLink(TObject* AClient) : TControlActionLink(AClient)
{
    AssignClient(AClient);
}

void TRudUvudButtonActionLink::AssignClient(TObject* AClient)
{
    TControlActionLink::AssignClient(AClient);
    FButton = dynamic_cast<TRudUvudButton*>(AClient);
}

bool TRudUvudButtonActionLink::IsCaptionLinked()
{
    auto* A = dynamic_cast<TCustomAction*>(FAction);
    return TControlActionLink::IsCaptionLinked() && FButton && A && FButton->GetText() == A->Caption();
}

bool TRudUvudButtonActionLink::IsCheckedLinked()
{
    auto* A = dynamic_cast<TCustomAction*>(FAction);
    return TActionLink::IsCheckedLinked() && FButton && A && FButton->GroupIndex() != 0 &&
           FButton->AllowAllUp() && A->Checked() == FButton->Down();
}

bool TRudUvudButtonActionLink::IsGroupIndexLinked()
{
    auto* A = dynamic_cast<TCustomAction*>(FAction);
    return FButton && A && A->GroupIndex() == FButton->GroupIndex();
}

void TRudUvudButtonActionLink::SetCaption(const AnsiString& Value)
{
    if (IsCaptionLinked())
        FButton->SetText(Value);
}

void TRudUvudButtonActionLink::SetChecked(bool Value)
{
    if (IsCheckedLinked())
        FButton->SetDown(Value);
}

void TRudUvudButtonActionLink::SetGroupIndex(Integer Value)
{
    if (IsGroupIndexLinked())
        FButton->SetGroupIndex(Value);
}

// ---- TRudUvudButton ------------------------------------------------------------------------------

TRudUvudButton::TRudUvudButton(TComponent* AOwner)
    : TGraphicControl(AOwner), FGlyph(std::make_unique<TBitmap>()), FGlyphHot(std::make_unique<TBitmap>()),
      FGlyphDown(std::make_unique<TBitmap>()), FGlyphDisabled(std::make_unique<TBitmap>()),
      FShadow(std::make_unique<TBitmap>())
{
    FGlyph->OnChange = [this](TObject*) { GlyphChanged(); };
    SetBounds(0, 0, 23, 22);
    FControlStyle = TControlStyle{csCaptureMouse, csDoubleClicks};
    SetParentFont(true);
    FIsComCtl6 = (GetFileVersion("COMCTL32.DLL") >> 16) > 5;
}

TRudUvudButton::~TRudUvudButton()
{
    FGlyph->OnChange = nullptr;
}

TControlActionLink* TRudUvudButton::CreateActionLink()
{
    return new TRudUvudButtonActionLink(this);
}

void TRudUvudButton::SetParentBiDiMode(bool Value)
{
    FParentBiDiMode = Value;
    if (Value && Parent())
        SetBiDiMode(Parent()->BiDiMode());
}

void TRudUvudButton::SetParent(TWinControl* AParent)
{
    TGraphicControl::SetParent(AParent);
    SetParentBiDiMode(FParentBiDiMode);
}

void TRudUvudButton::Click()
{
    TGraphicControl::Click();
}

// ---- Setters

void TRudUvudButton::SetAllowAllUp(bool Value)
{
    if (Value == FAllowAllUp)
        return;
    FAllowAllUp = Value;
    UpdateExclusive();
}

void TRudUvudButton::SetGroupIndex(Integer Value)
{
    if (Value == FGroupIndex)
        return;
    FGroupIndex = Value;
    UpdateExclusive();
}

void TRudUvudButton::SetAutoThemeAdapt(bool Value)
{
    FAutoThemeAdapt = Value;
    if (Value)
        ThemeAdapt();
}

void TRudUvudButton::SetBorderColor(TColor Value)
{
    FBorderColor = Value;
    Invalidate();
}

void TRudUvudButton::SetColor(TColor Value)
{
    FColor = Value;
    Invalidate();
}

void TRudUvudButton::SetColorTo(TColor Value)
{
    FColorTo = Value;
    Invalidate();
}

void TRudUvudButton::SetColorChecked(TColor Value)
{
    FColorChecked = Value;
    Invalidate();
}

void TRudUvudButton::SetColorCheckedTo(TColor Value)
{
    FColorCheckedTo = Value;
    Invalidate();
}

void TRudUvudButton::SetStyle(TRudUvudButtonStyle Value)
{
    FStyle = Value;
    Invalidate();
}

void TRudUvudButton::SetRounded(bool Value)
{
    FRounded = Value;
    Invalidate();
}

void TRudUvudButton::SetDropDownButton(bool Value)
{
    FDropDownButton = Value;
    Invalidate();
}

void TRudUvudButton::SetDropDownMenu(TPopupMenu* Value)
{
    FDropDownMenu = Value;
    if (Value)
        Value->FreeNotification(this);
}

void TRudUvudButton::SetFlat(bool Value)
{
    if (Value == FFlat)
        return;
    FFlat = Value;
    Invalidate();
}

void TRudUvudButton::SetLayout(TButtonLayout Value)
{
    if (Value == FLayout)
        return;
    FLayout = Value;
    Invalidate();
}

void TRudUvudButton::SetMargin(Integer Value)
{
    if (Value == FMargin || Value < -1)
        return;
    FMargin = Value;
    Invalidate();
}

void TRudUvudButton::SetSpacing(Integer Value)
{
    if (Value == FSpacing)
        return;
    FSpacing = Value;
    Invalidate();
}

void TRudUvudButton::SetShowCaption(bool Value)
{
    if (Value == FShowCaption)
        return;
    FShowCaption = Value;
    Invalidate();
}

void TRudUvudButton::SetShaded(bool Value)
{
    FShaded = Value;
    if (Value && !ComponentState().Contains(csLoading))
        GenerateShade();
}

void TRudUvudButton::SetGlyph(TBitmap* Value)
{
    FGlyph->Assign(Value); // GlyphChanged follows through the bitmap's change notification
    GlyphChanged();
}

void TRudUvudButton::SetGlyphDisabled(TBitmap* Value)
{
    FGlyphDisabled->Assign(Value);
    FDisabledGenerated = false;
}

// A glyph changed by assignment or by drawing on its bitmap: the shadow and a disabled image
// made from the old glyph would show the old picture, so both are made again (a disabled image
// the program gave is kept).
void TRudUvudButton::GlyphChanged()
{
    if (FGlyphDisabled->Empty() || FDisabledGenerated)
        GenerateDisabled();
    if (FShaded && !ComponentState().Contains(csLoading))
        GenerateShade();
    Invalidate();
}

void TRudUvudButton::GenerateDisabled()
{
    if (FGlyph->Empty()) {
        if (FDisabledGenerated)
            FGlyphDisabled->SetSize(0, 0);
        return;
    }
    const Integer W = FGlyph->Width(), H = FGlyph->Height();
    FGlyphDisabled->SetSize(W, H);
    TCanvas* From = FGlyph->Canvas();
    TCanvas* To = FGlyphDisabled->Canvas();
    for (Integer Y = 0; Y < H; ++Y)
        for (Integer X = 0; X < W; ++X) {
            const COLORREF C = ColorToRGB(From->Pixels(X, Y));
            const Integer G = ((GetRValue(C) + GetGValue(C) + GetBValue(C)) / 3) / 2 + 96;
            To->SetPixels(X, Y, TColor(RGB(G, G, G)));
        }
    FDisabledGenerated = true;
}

void TRudUvudButton::GenerateShade()
{
    if (FGlyph->Empty())
        return;
    const Integer W = FGlyph->Width(), H = FGlyph->Height();
    FShadow->SetSize(W, H);
    TCanvas* From = FGlyph->Canvas();
    TCanvas* To = FShadow->Canvas();
    const TColor Clear = From->Pixels(0, H - 1);
    for (Integer Y = 0; Y < H; ++Y)
        for (Integer X = 0; X < W; ++X)
            To->SetPixels(X, Y, From->Pixels(X, Y) == Clear ? Clear : TColor(0x808080));
}

// ---- Looks

void TRudUvudButton::SetLook(Integer Look)
{
    if (Look < 0 || Look > 6)
        return;
    const TLook& L = Looks[Look];
    FColor = L.Color;
    FColorTo = L.ColorTo;
    FColorHot = L.ColorHot;
    FColorHotTo = L.ColorHotTo;
    FColorDown = L.ColorDown;
    FColorDownTo = L.ColorDownTo;
    FColorChecked = L.ColorChecked;
    FColorCheckedTo = L.ColorCheckedTo;
    if (L.BorderDown != Keep)
        FBorderDownColor = L.BorderDown;
    if (L.BorderHot != Keep)
        FBorderHotColor = L.BorderHot;
    FRounded = L.Rounded;
    FBorderColor = clNone;
    FFlat = true;
    Invalidate();
}

void TRudUvudButton::ThemeAdapt()
{
    switch (CurrentXPColorScheme()) {
    case 1:
        SetLook(2);
        break;
    case 2:
        SetLook(3);
        break;
    case 3:
        SetLook(4);
        break;
    default:
        SetLook(1);
        break;
    }
}

// ---- Groups and state

void TRudUvudButton::SetDown(bool Value)
{
    if (FGroupIndex == 0 && FStyle == tasButton)
        Value = false;
    if (FStyle == tasCheck) {
        FDown = Value;
        Repaint();
        return;
    }
    if (Value == FDown || (FDown && !FAllowAllUp))
        return;
    FDown = Value;
    if (Value) {
        if (FState == bsUp)
            Invalidate();
        FState = bsExclusive;
        UpdateExclusive();
    } else {
        FState = bsUp;
        Repaint();
    }
}

void TRudUvudButton::UpdateExclusive()
{
    if (FGroupIndex == 0 || !Parent())
        return;
    TMessage M{CM_BUTTONPRESSED, WPARAM(FGroupIndex), reinterpret_cast<LPARAM>(this), 0};
    Parent()->Broadcast(M);
}

// Whether the control under the pointer is this button; tells itself of entering or leaving.
void TRudUvudButton::UpdateTracking()
{
    if (!FFlat || !Enabled() || !Parent())
        return;
    POINT P{};
    GetCursorPos(&P);
    const bool Over = FindDragTarget(TPoint{P.X, P.Y}, true) == this;
    if (Over != FMouseInControl)
        Perform(Over ? CM_MOUSEENTER : CM_MOUSELEAVE, 0, 0);
}

void TRudUvudButton::Loaded()
{
    TGraphicControl::Loaded();
    if (FShaded)
        GenerateShade();
    if (FAutoThemeAdapt)
        ThemeAdapt();
}

void TRudUvudButton::Notification(TComponent* AComponent, TOperation Operation)
{
    TGraphicControl::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent == FDropDownMenu)
        FDropDownMenu = nullptr;
}

// ---- Mouse

void TRudUvudButton::MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y)
{
    TGraphicControl::MouseDown(Button, Shift, X, Y);
    if (Button != mbLeft || !Enabled())
        return;
    if (FDropDownButton && X > ClientWidth() - DropZone) {
        FState = bsUp;
        // The menu runs its own loop: the capture the press took must not hold its clicks.
        SetMouseCapture(false);
        if (OnDropDown)
            OnDropDown(this);
        if (FDropDownMenu) {
            const TPoint P = ClientToScreen(TPoint{0, Height()});
            FDropDownMenu->Popup(P.X, P.Y);
        }
        return;
    }
    if (!FDown) {
        FState = bsDown;
        Invalidate();
    }
    if (FStyle == tasCheck) {
        FState = bsDown;
        Repaint();
    }
    FDragging = true;
}

void TRudUvudButton::MouseMove(TShiftState Shift, Integer X, Integer Y)
{
    TGraphicControl::MouseMove(Shift, X, Y);
    if (FDragging) {
        const bool Inside = X >= 0 && X < ClientWidth() && Y >= 0 && Y <= ClientHeight();
        TButtonState New = Inside ? (FDown ? bsExclusive : bsDown) : (FDown ? bsExclusive : bsUp);
        if (FStyle == tasCheck && FDown)
            New = bsDown;
        if (New != FState) {
            FState = New;
            Invalidate();
        }
    } else if (!FMouseInControl) {
        UpdateTracking();
    }
}

void TRudUvudButton::MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y)
{
    TGraphicControl::MouseUp(Button, Shift, X, Y);
    if (!FDragging)
        return;
    FDragging = false;
    const bool Inside = X >= 0 && X < ClientWidth() && Y >= 0 && Y <= ClientHeight();
    if (FGroupIndex == 0 || FStyle == tasCheck) {
        FState = bsUp;
        if (FStyle == tasCheck && Inside)
            FDown = !FDown;
        if (Inside)
            Invalidate();
    } else if (Inside) {
        SetDown(!FDown);
        if (FDown)
            Repaint();
    } else {
        if (FDown)
            FState = bsExclusive;
        Repaint();
    }
    if (Inside)
        Click();
    UpdateTracking();
}

void TRudUvudButton::WndProc(TMessage& Message)
{
    switch (Message.Msg) {
    case WM_LBUTTONDBLCLK:
        TGraphicControl::WndProc(Message);
        if (FDown && OnDblClick)
            OnDblClick(this);
        return;
    case CM_BUTTONPRESSED: {
        auto* Sender = reinterpret_cast<TRudUvudButton*>(Message.LParam);
        // A check button belongs to no group.
        if (Integer(Message.WParam) == FGroupIndex && Sender && Sender != this && FStyle != tasCheck &&
            Sender->FStyle != tasCheck) {
            if (Sender->FDown && FDown) {
                FDown = false;
                FState = bsUp;
                if (auto* A = dynamic_cast<TCustomAction*>(Action()))
                    A->SetChecked(false);
                Invalidate();
            }
            FAllowAllUp = Sender->FAllowAllUp;
        }
        return;
    }
    case CM_DIALOGCHAR:
        if (IsAccel(Word(Message.WParam), GetText()) && Enabled() && Visible() && Parent() &&
            Parent()->Showing()) {
            Click();
            Message.Result = 1;
            return;
        }
        break;
    case CM_ENABLEDCHANGED:
        TGraphicControl::WndProc(Message);
        UpdateTracking();
        Repaint();
        return;
    case CM_FONTCHANGED:
    case CM_TEXTCHANGED:
    case CM_SYSCOLORCHANGE:
        TGraphicControl::WndProc(Message);
        Invalidate();
        return;
    case WM_THEMECHANGED:
    case CM_SYSFONTCHANGED:
        if (FAutoThemeAdapt)
            ThemeAdapt();
        break;
    case CM_MOUSEENTER:
        TGraphicControl::WndProc(Message);
        if (!FMouseInControl && Enabled() && DragMode() != dmAutomatic && !GetCapture()) {
            FMouseInControl = true;
            Repaint();
        }
        if (OnMouseEnter)
            OnMouseEnter(this);
        return;
    case CM_MOUSELEAVE:
        TGraphicControl::WndProc(Message);
        if (FMouseInControl && Enabled() && !FDragging) {
            FMouseInControl = false;
            Invalidate();
        }
        if (OnMouseLeave)
            OnMouseLeave(this);
        return;
    default:
        break;
    }
    TGraphicControl::WndProc(Message);
}

// ---- Painting

void TRudUvudButton::CalcLayout(const TRect& Client, TPoint& GlyphPos, TRect& TextBounds)
{
    TButtonLayout Layout = FLayout;
    if (UseRightToLeftAlignment()) {
        if (Layout == blGlyphLeft)
            Layout = blGlyphRight;
        else if (Layout == blGlyphRight)
            Layout = blGlyphLeft;
    }
    const TPoint GlyphSize = FGlyph->Empty() ? TPoint{0, 0} : TPoint{FGlyph->Width(), FGlyph->Height()};
    TPoint TextSize{0, 0};
    const AnsiString Caption = GetText();
    if (!Caption.empty()) {
        RECT Measure{0, 0, Client.Width(), 0};
        DrawText(Canvas()->Handle(), Caption.c_str(), -1, &Measure, DrawTextBiDiModeFlags(DT_CALCRECT));
        TextSize = TPoint{Measure.Right - Measure.Left, Measure.Bottom - Measure.Top};
    }
    const bool Horizontal = Layout == blGlyphLeft || Layout == blGlyphRight;
    const TPoint Extent{Client.Width(), Client.Height()};
    // Centred across the layout direction.
    if (Horizontal) {
        GlyphPos.Y = (Extent.Y - GlyphSize.Y + 1) / 2;
        TextBounds.Top = (Extent.Y - TextSize.Y + 1) / 2;
    } else {
        GlyphPos.X = (Extent.X - GlyphSize.X + 1) / 2;
        TextBounds.Left = (Extent.X - TextSize.X + 1) / 2;
    }
    const Integer Along = Horizontal ? Extent.X : Extent.Y;
    const Integer G = Horizontal ? GlyphSize.X : GlyphSize.Y;
    const Integer T = Horizontal ? TextSize.X : TextSize.Y;
    Integer Spacing = (G == 0 || T == 0) ? 0 : FSpacing;
    Integer Margin = FMargin;
    if (Margin == -1) {
        if (Spacing == -1) {
            Margin = Spacing = (Along - G - T) / 3;
        } else {
            Margin = (Along - G - Spacing - T + 1) / 2;
        }
    } else if (Spacing == -1) {
        Spacing = (Along - Margin - G - T) / 2;
    }
    Integer GlyphAt = 0, TextAt = 0;
    switch (Layout) {
    case blGlyphLeft:
    case blGlyphTop:
        GlyphAt = Margin;
        TextAt = GlyphAt + G + Spacing;
        break;
    case blGlyphRight:
    case blGlyphBottom:
        GlyphAt = Along - Margin - G;
        TextAt = GlyphAt - Spacing - T;
        break;
    }
    if (Horizontal) {
        GlyphPos.X = GlyphAt;
        TextBounds.Left = TextAt;
    } else {
        GlyphPos.Y = GlyphAt;
        TextBounds.Top = TextAt;
    }
    GlyphPos.X += Client.Left;
    GlyphPos.Y += Client.Top;
    TextBounds = Rect(TextBounds.Left + Client.Left, TextBounds.Top + Client.Top,
                      TextBounds.Left + Client.Left + TextSize.X, TextBounds.Top + Client.Top + TextSize.Y);
}

void TRudUvudButton::DrawGlyphAndCaption(TCanvas* C, const TRect& R, TPoint Offset, TButtonState DrawState,
                                         bool Hot)
{
    TPoint GlyphPos{0, 0};
    TRect TextBounds;
    CalcLayout(R, GlyphPos, TextBounds);
    GlyphPos.X += Offset.X;
    GlyphPos.Y += Offset.Y;
    OffsetRect(&TextBounds, Offset.X, Offset.Y);

    TBitmap* Image = FGlyph.get();
    if (Hot && DrawState != bsDown && !FGlyphHot->Empty() && !Designing(this))
        Image = FGlyphHot.get();
    if ((DrawState == bsDown || DrawState == bsExclusive) && !FGlyphDown->Empty())
        Image = FGlyphDown.get();
    if (DrawState == bsDisabled && !FGlyphDisabled->Empty())
        Image = FGlyphDisabled.get();
    const TPoint At = GetText().empty() ? TPoint{0, 0} : GlyphPos;
    if (!Image->Empty()) {
        if (Hot && FShaded && Enabled() && DrawState != bsDown && !FShadow->Empty()) {
            FShadow->SetTransparent(true);
            C->Draw(At.X + 2, At.Y + 2, FShadow.get());
        }
        Image->SetTransparent(true);
        C->Draw(At.X, At.Y, Image);
    }
    if (!FShowCaption || GetText().empty())
        return;
    C->Brush()->SetStyle(bsClear);
    RECT T = TextBounds;
    if (FFlat && Hot && FShaded && Enabled() && DrawState != bsDown && DrawState != bsExclusive &&
        !Designing(this))
        OffsetRect(&T, 1, 1);
    const UINT Flags = DrawTextBiDiModeFlags(DT_CENTER | DT_VCENTER);
    const AnsiString Caption = GetText();
    if (DrawState == bsDisabled) {
        RECT Light = T;
        OffsetRect(&Light, 1, 1);
        C->Font()->SetColor(clBtnHighlight);
        DrawText(C->Handle(), Caption.c_str(), -1, &Light, Flags);
        C->Font()->SetColor(clBtnShadow);
    }
    DrawText(C->Handle(), Caption.c_str(), -1, &T, Flags);
}

void TRudUvudButton::Paint()
{
    TCanvas* C = Canvas();
    C->SetFont(Font());
    TRect R = Rect(0, 0, Width(), Height());
    if (!Enabled()) {
        FState = bsDisabled;
        FDragging = false;
    } else if (FState == bsDisabled) {
        FState = FDown && FGroupIndex != 0 ? bsExclusive : bsUp;
    }
    if (FStyle == tasCheck && FDown)
        FState = bsDown;
    const bool Hot = FMouseInControl && Enabled() && !Designing(this);

    if (!FFlat) {
        themeapi::TThemeLoader& Theme = VadXPVS();
        bool Drawn = false;
        if (IsWinXPSystem() && FAutoXPStyle && FIsComCtl6 && Theme.ThemeActive()) {
            HWND Wnd = Parent() && Parent()->HandleAllocated() ? Parent()->Handle() : nullptr;
            if (HTHEME Data = Theme.OpenThemeData(Wnd, u"button")) {
                const int StateId = (FState == bsDown || FState == bsExclusive) ? 3 : FMouseInControl ? 2 : 1;
                RECT Rc = R;
                Theme.DrawThemeBackground(Data, C->Handle(), 1, StateId, &Rc, nullptr);
                Theme.CloseThemeData(Data);
                Drawn = true;
            }
        }
        if (!Drawn) {
            RECT Rc = R;
            UINT Flags = DFCS_BUTTONPUSH | DFCS_ADJUSTRECT;
            if (FState == bsDown || FState == bsExclusive)
                Flags |= DFCS_PUSHED;
            DrawFrameControl(C->Handle(), &Rc, DFC_BUTTON, Flags);
            R = Rc;
        }
    } else {
        if (FBorderDownColor == clNone || FRounded)
            InflateRect(&R, -1, -1);
        const auto FillFace = [&](TColor Face, TColor To, TColor Outline) {
            if (To != clNone) {
                DrawBandedGradient(C, Face, To, false, R, 16, Outline);
            } else {
                C->Brush()->SetStyle(bsSolid);
                C->Brush()->SetColor(Face);
                C->Pen()->SetColor(Outline != clNone ? Outline : Face);
                C->Rectangle(R);
            }
        };
        if (Hot) {
            TColor Face = FColorHot, To = FColorHotTo, Outline = FBorderHotColor;
            if (FState == bsDown) {
                Face = FColorDown;
                To = FColorDownTo;
                Outline = FBorderDownColor;
            } else if (FStyle == tasCheck && FDown) {
                Face = FColorChecked;
                To = FColorCheckedTo;
                Outline = FBorderDownColor;
            }
            if (FRounded)
                Outline = clNone;
            FillFace(Face, To, Outline);
            const TColor Line = FState == bsDown ? FBorderDownColor : FBorderHotColor;
            if (FRounded) {
                InflateRect(&R, 1, 1);
                C->Brush()->SetStyle(bsClear);
                C->Pen()->SetColor(Line);
                C->RoundRect(R.Left, R.Top, R.Right, R.Bottom, 8, 8);
            }
            if (FDropDownButton) {
                C->Pen()->SetColor(Line);
                C->MoveTo(R.Right - DropZone, R.Top);
                C->LineTo(R.Right - DropZone, R.Bottom);
            }
        } else if (FStyle == tasCheck && FDown) {
            FillFace(FColorChecked, FColorCheckedTo, FBorderDownColor);
        } else {
            if (FColorTo != clNone) {
                const TColor Outline = FRounded ? clNone : FDown ? FBorderDownColor : FBorderColor;
                DrawBandedGradient(C, FColor, FColorTo, false, R, 16, Outline);
            } else {
                C->Brush()->SetStyle(bsSolid);
                C->Brush()->SetColor(TColor(ColorToRGB(FColor)));
                C->FillRect(R);
            }
            if (FBorderColor != clNone) {
                C->Pen()->SetColor(FBorderColor);
                C->Pen()->SetWidth(1);
                if (FRounded) {
                    InflateRect(&R, 1, 1);
                    C->RoundRect(R.Left, R.Top, R.Right, R.Bottom, 8, 8);
                } else {
                    C->Brush()->SetStyle(bsClear);
                    C->Rectangle(R);
                }
            }
        }
        InflateRect(&R, -1, -1);
    }

    TPoint Offset{0, 0};
    if (FState == bsDown || FState == bsExclusive) {
        if (FState == bsExclusive && (!FFlat || !FMouseInControl)) {
            TRect Back = R;
            InflateRect(&Back, 1, 1);
            const TColor Outline = FDown ? FBorderDownColor : FBorderColor;
            if (FColorCheckedTo != clNone) {
                DrawBandedGradient(C, FColorChecked, FColorCheckedTo, false, Back, 16, Outline);
            } else {
                C->Brush()->SetStyle(bsSolid);
                C->Brush()->SetColor(FColorChecked);
                C->FillRect(Back);
            }
        }
        if (!FFlat && !Designing(this))
            Offset = TPoint{1, 1};
    } else if (FFlat && Hot && FShaded && !Designing(this)) {
        Offset = TPoint{-1, -1};
    }

    if (FDropDownButton) {
        const TColor Ink = Font()->Color();
        C->Brush()->SetStyle(bsSolid);
        C->Brush()->SetColor(Ink);
        C->Pen()->SetColor(Ink);
        const Integer M = R.Top + (R.Bottom - R.Top) / 2;
        C->Polygon({TPoint{R.Right - 8, M - 1}, TPoint{R.Right - 4, M - 1}, TPoint{R.Right - 6, M + 1}});
        R.Right -= DropZone;
    }
    DrawGlyphAndCaption(C, R, Offset, FDown && FGroupIndex != 0 ? bsDown : FState, Hot);
}
