#include "platform/forms/ComCtrls.h"

#include "platform/forms/ExtCtrlsPanels.h"
#include "platform/rtl/Conversions.h"
#include "platform/rtl/Format.h"
#include "platform/win/Colors.h"

#include <algorithm>

// ---- TStatusPanel / TStatusPanels -----------------------------------------------------------------------

void TStatusPanel::Changed()
{
    if (FOwner)
        FOwner->PanelsChanged();
}

void TStatusPanel::SetText(const AnsiString& Value)
{
    if (FText != Value) {
        FText = Value;
        Changed();
    }
}

void TStatusPanel::SetWidth(Integer Value)
{
    FWidth = std::max(Value, 0);
    Changed();
}

void TStatusPanel::SetAlignment(TAlignment Value)
{
    FAlignment = Value;
    Changed();
}

void TStatusPanel::SetBevel(TStatusPanelBevel Value)
{
    FBevel = Value;
    Changed();
}

void TStatusPanel::SetStyle(TStatusPanelStyle Value)
{
    FStyle = Value;
    Changed();
}

Integer TStatusPanel::Index() const
{
    return FOwner ? FOwner->Panels()->IndexOf(this) : -1;
}

TStatusPanel* TStatusPanels::Add()
{
    FItems.push_back(std::make_unique<TStatusPanel>(FOwner));
    FOwner->PanelsChanged();
    return FItems.back().get();
}

TStatusPanel* TStatusPanels::Items(Integer Index) const
{
    if (Index < 0 || Index >= Count())
        throw EListError(Format("List index out of bounds (%d)", {Index}));
    return FItems[std::size_t(Index)].get();
}

void TStatusPanels::Delete(Integer Index)
{
    Items(Index);
    FItems.erase(FItems.begin() + Index);
    FOwner->PanelsChanged();
}

void TStatusPanels::Clear()
{
    FItems.clear();
    FOwner->PanelsChanged();
}

Integer TStatusPanels::IndexOf(const TStatusPanel* Panel) const
{
    for (std::size_t I = 0; I < FItems.size(); ++I)
        if (FItems[I].get() == Panel)
            return Integer(I);
    return -1;
}

// ---- TStatusBar -----------------------------------------------------------------------------------------

TStatusBar::TStatusBar(TComponent* AOwner)
    : TCustomControl(AOwner), FPanels(std::make_unique<TStatusPanels>(this))
{
    FControlStyle = TControlStyle{csCaptureMouse, csClickEvents, csDoubleClicks, csOpaque};
    FColor = clBtnFace;
    FParentColor = false;
    FBrush->SetColor(FColor);
    SetBounds(0, 0, 150, 19);
    SetAlign(alBottom);
}

TStatusBar::~TStatusBar() = default;

void TStatusBar::PanelsChanged()
{
    Invalidate();
}

void TStatusBar::SetSimplePanel(bool Value)
{
    FSimplePanel = Value;
    Invalidate();
}

void TStatusBar::SetSimpleText(const AnsiString& Value)
{
    FSimpleText = Value;
    Invalidate();
}

void TStatusBar::SetSizeGrip(bool Value)
{
    FSizeGrip = Value;
    Invalidate();
}

TRect TStatusBar::PanelRect(Integer Index)
{
    TRect Client = ClientRect();
    Integer X = 0;
    for (Integer I = 0; I < Index; ++I)
        X += FPanels->Items(I)->Width() + 2;
    Integer Right = Index == FPanels->Count() - 1 ? Client.Right : X + FPanels->Items(Index)->Width();
    return TRect{X, 2, std::min(Right, Client.Right), Client.Bottom};
}

void TStatusBar::Paint()
{
    TCanvas* C = Canvas();
    TRect Client = ClientRect();
    C->Brush()->SetColor(Color());
    C->Brush()->SetStyle(bsSolid);
    C->FillRect(Client);
    C->SetFont(Font());
    auto Text = [&](TRect R, const AnsiString& S, TAlignment Alignment) {
        static const UINT Alignments[] = {DT_LEFT, DT_RIGHT, DT_CENTER};
        SetBkMode(C->Handle(), TRANSPARENT);
        SetTextColor(C->Handle(), ColorToRGB(Font()->Color()));
        RECT T{R.Left + 2, R.Top, R.Right - 2, R.Bottom};
        DrawText(C->Handle(), S.c_str(), int(S.size()), &T,
                 DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS | Alignments[Alignment]);
    };
    if (FSimplePanel || FPanels->Count() == 0) {
        TRect R{0, 2, Client.Right, Client.Bottom};
        Frame3D(C, R, clBtnShadow, clBtnHighlight, 1);
        Text(R, FSimplePanel ? FSimpleText : GetText(), taLeftJustify);
    } else {
        for (Integer I = 0; I < FPanels->Count(); ++I) {
            TStatusPanel* P = FPanels->Items(I);
            TRect R = PanelRect(I);
            if (R.Left >= Client.Right)
                break;
            if (P->Bevel() != pbNone)
                Frame3D(C, R, P->Bevel() == pbLowered ? clBtnShadow : clBtnHighlight,
                        P->Bevel() == pbLowered ? clBtnHighlight : clBtnShadow, 1);
            if (P->Style() == psOwnerDraw) {
                if (OnDrawPanel)
                    OnDrawPanel(this, P, R);
            } else {
                Text(R, P->Text(), P->Alignment());
            }
        }
    }
    if (FSizeGrip) {
        RECT G{Client.Right - 13, Client.Bottom - 13, Client.Right, Client.Bottom};
        DrawFrameControl(C->Handle(), &G, DFC_SCROLL, DFCS_SCROLLSIZEGRIP);
    }
}

// ---- TTrackBar
// -----------------------------------------------------------------------------------------------

namespace {

constexpr Integer kThumbLength = 11; // along the channel
constexpr Integer kThumbBreadth = 20;
constexpr Integer kMargin = 8;

} // namespace

TTrackBar::TTrackBar(TComponent* AOwner) : TCustomControl(AOwner)
{
    FTabStop = true;
    FColor = clBtnFace;
    FParentColor = true;
    FBrush->SetColor(FColor);
    SetBounds(0, 0, 150, 45);
}

void TTrackBar::SetMin(Integer Value)
{
    FMin = Value;
    FMax = std::max(FMax, FMin);
    SetPosition(FPosition);
    Invalidate();
}

void TTrackBar::SetMax(Integer Value)
{
    FMax = Value;
    FMin = std::min(FMin, FMax);
    SetPosition(FPosition);
    Invalidate();
}

void TTrackBar::SetPosition(Integer Value)
{
    Value = std::clamp(Value, FMin, FMax);
    if (Value == FPosition)
        return;
    FPosition = Value;
    Invalidate();
    Changed();
}

void TTrackBar::SetFrequency(Integer Value)
{
    FFrequency = std::max(Value, 1);
    Invalidate();
}

void TTrackBar::SetOrientation(TTrackBarOrientation Value)
{
    if (FOrientation == Value)
        return;
    FOrientation = Value;
    if (!ComponentState().Contains(csLoading))
        SetBounds(FLeft, FTop, FHeight, FWidth);
    Invalidate();
}

void TTrackBar::SetTickMarks(TTickMark Value)
{
    FTickMarks = Value;
    Invalidate();
}

void TTrackBar::SetTickStyle(TTickStyle Value)
{
    FTickStyle = Value;
    Invalidate();
}

void TTrackBar::SetSelStart(Integer Value)
{
    FSelStart = Value;
    Invalidate();
}

void TTrackBar::SetSelEnd(Integer Value)
{
    FSelEnd = Value;
    Invalidate();
}

void TTrackBar::Changed()
{
    if (OnChange)
        OnChange(this);
}

TRect TTrackBar::Channel()
{
    TRect C = ClientRect();
    if (FOrientation == trHorizontal)
        return TRect{kMargin, kMargin + 2, C.Right - kMargin, kMargin + 6};
    return TRect{kMargin + 2, kMargin, kMargin + 6, C.Bottom - kMargin};
}

TRect TTrackBar::ThumbRect()
{
    TRect Ch = Channel();
    Integer Span = std::max(1, FMax - FMin);
    if (FOrientation == trHorizontal) {
        Integer Travel = Ch.Width() - kThumbLength;
        Integer X = Ch.Left + Integer(static_cast<long long>(Travel) * (FPosition - FMin) / Span);
        return TRect{X, kMargin - 4, X + kThumbLength, kMargin - 4 + kThumbBreadth};
    }
    Integer Travel = Ch.Height() - kThumbLength;
    Integer Y = Ch.Top + Integer(static_cast<long long>(Travel) * (FPosition - FMin) / Span);
    return TRect{kMargin - 4, Y, kMargin - 4 + kThumbBreadth, Y + kThumbLength};
}

Integer TTrackBar::PositionAt(Integer X, Integer Y)
{
    TRect Ch = Channel();
    bool H = FOrientation == trHorizontal;
    Integer Travel = (H ? Ch.Width() : Ch.Height()) - kThumbLength;
    if (Travel <= 0)
        return FMin;
    Integer At = (H ? X - Ch.Left : Y - Ch.Top) - FGrab;
    long long Span = FMax - FMin;
    return FMin + Integer((std::clamp(At, 0, Travel) * Span + Travel / 2) / Travel);
}

void TTrackBar::Paint()
{
    TCanvas* C = Canvas();
    C->Brush()->SetColor(Color());
    C->Brush()->SetStyle(bsSolid);
    C->FillRect(ClientRect());
    RECT Ch = Channel();
    DrawEdge(C->Handle(), &Ch, EDGE_SUNKEN, BF_RECT);
    // Ticks every Frequency positions, and at both ends.
    if (FTickStyle == tsAuto) {
        C->Pen()->SetColor(clBlack);
        TRect T = ThumbRect();
        for (Integer P = FMin; P <= FMax; P += FFrequency) {
            Integer Saved = FPosition;
            FPosition = P;
            TRect At = ThumbRect();
            FPosition = Saved;
            if (FOrientation == trHorizontal) {
                Integer X = At.Left + kThumbLength / 2;
                C->MoveTo(X, T.Bottom + 2);
                C->LineTo(X, T.Bottom + 5);
            } else {
                Integer Y = At.Top + kThumbLength / 2;
                C->MoveTo(T.Right + 2, Y);
                C->LineTo(T.Right + 5, Y);
            }
            if (P > FMax - FFrequency && P != FMax)
                P = FMax - FFrequency;
        }
    }
    RECT Th = ThumbRect();
    C->Brush()->SetColor(clBtnFace);
    C->FillRect(ThumbRect());
    DrawEdge(C->Handle(), &Th, EDGE_RAISED, BF_RECT);
    if (Focused()) {
        RECT F = ClientRect();
        DrawFocusRect(C->Handle(), &F);
    }
}

void TTrackBar::MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y)
{
    TCustomControl::MouseDown(Button, Shift, X, Y);
    if (Button != mbLeft)
        return;
    if (CanFocus())
        SetFocus();
    TRect T = ThumbRect();
    if (X >= T.Left && X < T.Right && Y >= T.Top && Y < T.Bottom) {
        FDragging = true;
        FGrab = FOrientation == trHorizontal ? X - T.Left : Y - T.Top;
        return;
    }
    // A press beside the thumb moves it a page towards the press.
    bool Before = FOrientation == trHorizontal ? X < T.Left : Y < T.Top;
    SetPosition(FPosition + (Before ? -FPageSize : FPageSize));
}

void TTrackBar::MouseMove(TShiftState Shift, Integer X, Integer Y)
{
    TCustomControl::MouseMove(Shift, X, Y);
    if (FDragging)
        SetPosition(PositionAt(X, Y));
}

void TTrackBar::MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y)
{
    if (FDragging) {
        SetPosition(PositionAt(X, Y));
        FDragging = false;
        FGrab = 0;
    }
    TCustomControl::MouseUp(Button, Shift, X, Y);
}

void TTrackBar::KeyDown(Word& Key, TShiftState Shift)
{
    switch (Key) {
    case VK_LEFT:
    case VK_UP:
        SetPosition(FPosition - FLineSize);
        break;
    case VK_RIGHT:
    case VK_DOWN:
        SetPosition(FPosition + FLineSize);
        break;
    case VK_PRIOR:
        SetPosition(FPosition - FPageSize);
        break;
    case VK_NEXT:
        SetPosition(FPosition + FPageSize);
        break;
    case VK_HOME:
        SetPosition(FMin);
        break;
    case VK_END:
        SetPosition(FMax);
        break;
    default:
        TCustomControl::KeyDown(Key, Shift);
        return;
    }
    Key = 0;
}

void TTrackBar::WndProc(TMessage& Message)
{
    switch (Message.Msg) {
    case WM_GETDLGCODE:
        Message.Result = DLGC_WANTARROWS;
        return;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
        TCustomControl::WndProc(Message);
        Invalidate();
        return;
    default:
        TCustomControl::WndProc(Message);
        return;
    }
}

// ---- TUpDown ----------------------------------------------------------------------------------------------

namespace {

constexpr UINT_PTR kRepeatId = 1;

AnsiString PositionText(Integer Value, bool Thousands)
{
    AnsiString Digits = std::to_string(Value < 0 ? -static_cast<long long>(Value) : Value);
    if (Thousands)
        for (Integer I = Integer(Digits.size()) - 3; I > 0; I -= 3)
            Digits.insert(std::size_t(I), 1, ',');
    return Value < 0 ? "-" + Digits : Digits;
}

} // namespace

TUpDown::TUpDown(TComponent* AOwner) : TCustomControl(AOwner)
{
    FColor = clBtnFace;
    FParentColor = true;
    FBrush->SetColor(FColor);
    SetBounds(0, 0, 17, 25);
}

void TUpDown::Notification(TComponent* AComponent, TOperation Operation)
{
    TCustomControl::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent == FAssociate)
        FAssociate = nullptr;
}

void TUpDown::SetAssociate(TWinControl* Value)
{
    FAssociate = Value;
    if (!Value)
        return;
    Value->FreeNotification(this);
    PlaceBesideAssociate();
    UpdateAssociate();
}

void TUpDown::SetAlignButton(TUDAlignButton Value)
{
    FAlignButton = Value;
    PlaceBesideAssociate();
}

void TUpDown::PlaceBesideAssociate()
{
    if (!FAssociate || !FAssociate->Parent())
        return;
    if (FParent != FAssociate->Parent())
        SetParent(FAssociate->Parent());
    Integer X =
        FAlignButton == udRight ? FAssociate->Left() + FAssociate->Width() : FAssociate->Left() - FWidth;
    SetBounds(X, FAssociate->Top(), FWidth, FAssociate->Height());
}

void TUpDown::UpdateAssociate()
{
    if (FAssociate)
        FAssociate->SetText(PositionText(FPosition, FThousands));
}

void TUpDown::SetMin(Integer Value)
{
    FMin = Value;
    SetPosition(FPosition);
}

void TUpDown::SetMax(Integer Value)
{
    FMax = Value;
    SetPosition(FPosition);
}

void TUpDown::SetPosition(Integer Value)
{
    Integer Lo = std::min(FMin, FMax), Hi = std::max(FMin, FMax);
    Value = std::clamp(Value, Lo, Hi);
    if (Value == FPosition)
        return;
    FPosition = Value;
    UpdateAssociate();
}

void TUpDown::SetOrientation(TUDOrientation Value)
{
    FOrientation = Value;
    Invalidate();
}

void TUpDown::SetThousands(bool Value)
{
    FThousands = Value;
    UpdateAssociate();
}

bool TUpDown::CanChange()
{
    bool Allow = true;
    if (OnChanging)
        OnChanging(this, Allow);
    return Allow;
}

void TUpDown::Click(TUDBtnType Button)
{
    if (OnClick)
        OnClick(this, Button);
}

void TUpDown::Step(TUDBtnType Button)
{
    // The text of the associate may have been edited: it is where the step starts from.
    if (FAssociate) {
        AnsiString T = FAssociate->Text();
        T.erase(std::remove(T.begin(), T.end(), ','), T.end());
        try {
            FPosition = std::clamp(StrToInt(T), std::min(FMin, FMax), std::max(FMin, FMax));
        } catch (const EConvertError&) {
        }
    }
    if (!CanChange())
        return;
    Integer Lo = std::min(FMin, FMax), Hi = std::max(FMin, FMax);
    long long Next = static_cast<long long>(FPosition) + (Button == btNext ? FIncrement : -FIncrement);
    if (FWrap && Next > Hi)
        Next = Lo;
    else if (FWrap && Next < Lo)
        Next = Hi;
    Integer Old = FPosition;
    FPosition = Integer(std::clamp<long long>(Next, Lo, Hi));
    if (FPosition != Old || FAssociate)
        UpdateAssociate();
    Click(Button);
}

void TUpDown::Paint()
{
    TCanvas* C = Canvas();
    TRect R = ClientRect();
    bool V = FOrientation == udVertical;
    RECT First = V ? RECT{0, 0, R.Right, R.Bottom / 2} : RECT{0, 0, R.Right / 2, R.Bottom};
    RECT Second = V ? RECT{0, R.Bottom / 2, R.Right, R.Bottom} : RECT{R.Right / 2, 0, R.Right, R.Bottom};
    UINT Off = Enabled() ? 0u : UINT(DFCS_INACTIVE);
    // Up (or right) is the next value; the first half of a vertical pair is up.
    DrawFrameControl(C->Handle(), &First, DFC_SCROLL,
                     (V ? UINT(DFCS_SCROLLUP) : UINT(DFCS_SCROLLLEFT)) | Off |
                         ((FPressed == (V ? btNext : btPrev)) ? UINT(DFCS_PUSHED) : 0u));
    DrawFrameControl(C->Handle(), &Second, DFC_SCROLL,
                     (V ? UINT(DFCS_SCROLLDOWN) : UINT(DFCS_SCROLLRIGHT)) | Off |
                         ((FPressed == (V ? btPrev : btNext)) ? UINT(DFCS_PUSHED) : 0u));
}

void TUpDown::MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y)
{
    TCustomControl::MouseDown(Button, Shift, X, Y);
    if (Button != mbLeft)
        return;
    bool FirstHalf = FOrientation == udVertical ? Y < Height() / 2 : X < Width() / 2;
    TUDBtnType B = FOrientation == udVertical ? (FirstHalf ? btNext : btPrev) : (FirstHalf ? btPrev : btNext);
    FPressed = B;
    Invalidate();
    Step(B);
    if (HandleAllocated()) {
        FRepeating = false;
        SetTimer(FHandle, kRepeatId, 400, nullptr);
    }
}

void TUpDown::MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y)
{
    if (HandleAllocated())
        KillTimer(FHandle, kRepeatId);
    FPressed = -1;
    Invalidate();
    TCustomControl::MouseUp(Button, Shift, X, Y);
}

void TUpDown::WndProc(TMessage& Message)
{
    if (Message.Msg == WM_TIMER && Message.WParam == kRepeatId) {
        if (FPressed < 0) {
            KillTimer(FHandle, kRepeatId);
            return;
        }
        if (!FRepeating) {
            FRepeating = true;
            SetTimer(FHandle, kRepeatId, 100, nullptr);
        }
        Step(TUDBtnType(FPressed));
        return;
    }
    TCustomControl::WndProc(Message);
}
