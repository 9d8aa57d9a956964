#include "dropdowns/DropDownForm.h"

#include "dropdowns/DadOrorUdur.h"
#include "dropdowns/VadHeader.h"

#include "RudUvud/support/VadStyleIF.h"
#include "platform/win/Colors.h"
#include "platform/win/UxTheme.h"
#include "platform/win/Windows.h"

// ---- Popup -------------------------------------------------------------------------------------------

TDropDownForm::TDropDownForm(TComponent* AOwner) : TForm(AOwner) {}

TDropDownForm* TDropDownForm::CreateNew(TComponent* AOwner, Integer)
{
    auto* Form = New<TDropDownForm>(AOwner);
    Form->FShadow = true;
    Form->FCancelOnDeactivate = true;
    return Form;
}

void TDropDownForm::CreateParams(TCreateParams& Params)
{
    TForm::CreateParams(Params);
    // Topmost, and never activated: the edit it drops from keeps the focus.
    Params.ExStyle |= WS_EX_TOPMOST | WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE;
    if (FDadOrorUdur)
        if (TCustomForm* Form = GetParentForm(FDadOrorUdur))
            Params.WndParent = Form->Handle();
}

HWND TDropDownForm::GetParentWnd()
{
    auto* OwnerControl = dynamic_cast<TWinControl*>(Owner());
    if (!OwnerControl || !OwnerControl->HandleAllocated())
        return nullptr;
    HWND Result = GetParent(OwnerControl->Handle());
    while (Result && GetParent(Result))
        Result = GetParent(Result);
    return Result;
}

void TDropDownForm::AdjustClientRect(TRect& Rect)
{
    TForm::AdjustClientRect(Rect);
    if (FDadOrorUdur) {
        const Integer B = FDadOrorUdur->DropDownBorderWidth();
        Rect = TRect{Rect.Left + B, Rect.Top + B, Rect.Right - B, Rect.Bottom - B};
    }
}

void TDropDownForm::InitializeAndUpdate()
{
    if (!FDadOrorUdur)
        return;
    auto Refresh = [this](TVadStrip*& Strip, THeaderAppearance* Settings, bool Footer) {
        if (Strip) {
            Strip->SetDadOrorUdur(FDadOrorUdur);
            Strip->Initialize();
            Strip->SetVisible(Settings->Visible());
        } else if (Settings->Visible()) {
            Strip = Footer ? static_cast<TVadStrip*>(New<TVadFooter>(this)) : New<TVadHeader>(this);
            Strip->SetParent(this);
            Strip->SetHeight(Settings->Height());
            Strip->SetDadOrorUdur(FDadOrorUdur);
            Strip->Initialize();
            Strip->SetAlign(Footer ? alBottom : alTop);
        }
    };
    TVadStrip* Header = FVadHeader;
    Refresh(Header, FDadOrorUdur->DropDownHeader(), false);
    FVadHeader = static_cast<TVadHeader*>(Header);
    if (FVadHeader) {
        FVadHeader->OnDrawBackGround = FDadOrorUdur->OnDrawHeader;
        FVadHeader->OnGetText = FDadOrorUdur->OnGetHeaderText;
    }
    TVadStrip* Footer = FVadFooter;
    Refresh(Footer, FDadOrorUdur->DropDownFooter(), true);
    FVadFooter = static_cast<TVadFooter*>(Footer);
    if (FVadFooter) {
        FVadFooter->OnDrawBackGround = FDadOrorUdur->OnDrawFooter;
        FVadFooter->OnGetText = FDadOrorUdur->OnGetFooterText;
    }
}

void TDropDownForm::Notification(TComponent* AComponent, TOperation Operation)
{
    TForm::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent == FVadHeader)
        FVadHeader = nullptr;
    if (Operation == opRemove && AComponent == FVadFooter)
        FVadFooter = nullptr;
}

void TDropDownForm::DrawBackGround(TCanvas* ACanvas)
{
    if (!FDadOrorUdur)
        return;
    const Integer B = FDadOrorUdur->DropDownBorderWidth();
    TRect Client = ClientRect();
    TRect R{Client.Left + B, Client.Top + B, Client.Right - B, Client.Bottom - B};
    const TColor Color = FDadOrorUdur->DropDownColor(), ColorTo = FDadOrorUdur->DropDownColorTo();
    if (Color != clNone && ColorTo != clNone) {
        DadOrorUdur::DrawGradient(ACanvas, Color, ColorTo, 80, R,
                                  FDadOrorUdur->DropDownGradient() == gdHorizontal);
    } else if (Color != clNone) {
        ACanvas->Brush()->SetStyle(bsSolid);
        ACanvas->Brush()->SetColor(Color);
        ACanvas->FillRect(R);
    }
    // No frame in the colour "none": the header and footer then draw their own.
    if (B > 0 && FDadOrorUdur->DropDownBorderColor() != clNone) {
        ACanvas->Brush()->SetStyle(bsClear);
        ACanvas->Pen()->SetStyle(psSolid);
        ACanvas->Pen()->SetWidth(B);
        ACanvas->Pen()->SetColor(FDadOrorUdur->DropDownBorderColor());
        ACanvas->Rectangle(Client.Left + B / 2, Client.Top + B / 2, Client.Right, Client.Bottom);
    }
}

void TDropDownForm::Paint()
{
    TForm::Paint();
    DrawBackGround(Canvas());
}

void TDropDownForm::CloseFromOutside()
{
    if (!Visible())
        return;
    FDeactivateTick = GetTickCount();
    if (FDadOrorUdur)
        FDadOrorUdur->DoHideDropDown(FCancelOnDeactivate);
    else
        Hide();
}

void TDropDownForm::WMActivate(TMessage& Message)
{
    TForm::WndProc(Message);
    if (LOWORD(Message.WParam) != WA_INACTIVE) {
        if (HWND Top = GetParentWnd())
            SendMessage(Top, WM_NCACTIVATE, 1, 0);
    } else {
        CloseFromOutside();
    }
}

// Shown without activation: the platform form would activate itself and take the focus.
void TDropDownForm::ShowingChanged()
{
    if (FShowing) {
        FFormState.Include(fsShowing);
        DoShow();
        FFormState.Exclude(fsShowing);
        if (FShowing)
            ShowWindow(FHandle, SW_SHOWNOACTIVATE);
    } else {
        DoHide();
        if (HandleAllocated())
            ShowWindow(FHandle, SW_HIDE);
    }
}

void TDropDownForm::WndProc(TMessage& Message)
{
    switch (Message.Msg) {
    case CM_SHOWINGCHANGED:
        ShowingChanged();
        return;
    case WM_ACTIVATE:
        WMActivate(Message);
        return;
    case WM_CANCELMODE:
        TForm::WndProc(Message);
        CloseFromOutside();
        return;
    case WM_MOUSEACTIVATE:
        Message.Result = MA_NOACTIVATE;
        return;
    case WM_GETDLGCODE:
        Message.Result = DLGC_WANTARROWS | DLGC_WANTALLKEYS;
        return;
    case WM_SIZING:
        TForm::WndProc(Message);
        if (FOnSizing)
            FOnSizing(this);
        return;
    case WM_NCHITTEST: {
        const TPoint P = ScreenToClient(TPoint{GET_X_LPARAM(Message.LParam), GET_Y_LPARAM(Message.LParam)});
        Message.Result = FSizeable && P.X > Width() - 10 && P.Y > Height() - 10 ? HTBOTTOMRIGHT : HTCLIENT;
        return;
    }
    case WM_SIZE:
        TForm::WndProc(Message);
        Invalidate();
        return;
    default:
        TForm::WndProc(Message);
    }
}

// ---- Dropdown button -------------------------------------------------------------------------------

TDadOrorUdurSpeedButton::TDadOrorUdurSpeedButton(TComponent* AOwner) : TSpeedButton(AOwner)
{
    FThemedComCtl = (DadOrorUdur::GetFileVersionNr("COMCTL32.DLL") >> 16) > 5;
}

TDizEveverAvivIzar* TDadOrorUdurSpeedButton::Dropdown() const
{
    TComponent* O = Owner() ? Owner()->Owner() : nullptr;
    return dynamic_cast<TDizEveverAvivIzar*>(O);
}

void TDadOrorUdurSpeedButton::SetButtonStyle(TButtonStyle Value)
{
    FButtonStyle = Value;
    Invalidate();
}

void TDadOrorUdurSpeedButton::SetEtched(bool Value)
{
    if (FEtched != Value) {
        FEtched = Value;
        Invalidate();
    }
}

void TDadOrorUdurSpeedButton::SetFocused(bool Value)
{
    if (FFocused != Value) {
        FFocused = Value;
        Invalidate();
    }
}

bool TDadOrorUdurSpeedButton::DoVisualStyles()
{
    return FThemedComCtl && IsThemeActive();
}

int TDadOrorUdurSpeedButton::ThemeState(bool IsEnabled) const
{
    if (!IsEnabled)
        return 4;
    if ((State() == bsDown || State() == bsExclusive) && !FForceUp)
        return 3;
    return FMouseOver ? 2 : 1;
}

void TDadOrorUdurSpeedButton::WndProc(TMessage& Message)
{
    TSpeedButton::WndProc(Message);
    if (Message.Msg == CM_MOUSEENTER || Message.Msg == CM_MOUSELEAVE) {
        FMouseOver = Message.Msg == CM_MOUSEENTER;
        Invalidate();
    }
}

void TDadOrorUdurSpeedButton::Paint()
{
    if (FButtonStyle == bsDropDown)
        PaintDropDown();
    else
        PaintButton();
}

void TDadOrorUdurSpeedButton::PaintDropDown()
{
    TDizEveverAvivIzar* D = Dropdown();
    const bool IsEnabled = D ? D->Enabled() && !D->ReadOnly() : Enabled();
    if (DoVisualStyles() && Parent()) {
        HTHEME Theme = OpenThemeData(Parent()->Handle(), u"combobox");
        TRect R{0, 0, Width(), Height()};
        if (IsVista()) {
            R.Left += 1;
        } else {
            R = TRect{R.Left - 1, R.Top - 1, R.Right + 1, R.Bottom + 1};
            R.Left += 2;
        }
        RECT Box = R;
        DrawThemeBackground(Theme, Canvas()->Handle(), 1, ThemeState(IsEnabled), &Box, nullptr);
        CloseThemeData(Theme);
        return;
    }
    TSpeedButton::Paint();
    if (Glyph()->Empty()) {
        // The combo arrow: a 7 x 4 triangle in the middle, grey when disabled.
        const bool Down = (State() == bsDown || State() == bsExclusive) && !FForceUp;
        const Integer X = (Width() - 7) / 2 + (Down ? 1 : 0), Y = (Height() - 4) / 2 + (Down ? 1 : 0);
        Canvas()->Brush()->SetStyle(bsSolid);
        Canvas()->Brush()->SetColor(IsEnabled ? TColor(0x000000) : clGrayText);
        for (Integer Row = 0; Row < 4; ++Row)
            Canvas()->FillRect(TRect{X + Row, Y + Row, X + 7 - Row, Y + Row + 1});
    }
    Canvas()->Pen()->SetWidth(1);
    Canvas()->Pen()->SetColor(clBtnFace);
    Canvas()->MoveTo(Width() - 2, 0);
    Canvas()->LineTo(0, 0);
    Canvas()->LineTo(0, Height() - 1);
    Canvas()->Pen()->SetColor(0xFFFFFF);
    Canvas()->MoveTo(Width() - 3, 1);
    Canvas()->LineTo(1, 1);
    Canvas()->LineTo(1, Height() - 2);
}

void TDadOrorUdurSpeedButton::PaintButton()
{
    if (TDizEveverAvivIzar* D = Dropdown())
        Canvas()->Font()->Assign(D->Font());
    const bool Down = State() == bsDown || State() == bsExclusive;
    if (!DoVisualStyles() && !Flat()) {
        TSpeedButton::Paint();
        return;
    }
    TRect R{0, 0, Width(), Height()};
    Canvas()->FillRect(R);
    if (DoVisualStyles() && Parent()) {
        HTHEME Theme = OpenThemeData(Parent()->Handle(), u"button");
        RECT Box{0, 0, Width() + 1, Height() + 1};
        DrawThemeBackground(Theme, Canvas()->Handle(), 1, ThemeState(Enabled()), &Box, nullptr);
        CloseThemeData(Theme);
    } else {
        Canvas()->Brush()->SetColor(clBtnFace);
        Canvas()->FillRect(R);
        RECT Edge{0, 0, Width() + 1, Height() + 1};
        DrawEdge(Canvas()->Handle(), &Edge, FEtched ? EDGE_ETCHED : EDGE_RAISED,
                 BF_RECT | (Down ? BF_FLAT : 0));
    }
    const AnsiString Text = Caption();
    if (!Glyph()->Empty()) {
        TRect G{R.Left + 3, R.Top + 3, R.Right - 3, R.Bottom - 3};
        if (Down)
            G = TRect{G.Left + 1, G.Top + 1, G.Right + 1, G.Bottom + 1};
        DadOrorUdur::DrawTransparentBitmap(
            Canvas(), Glyph(), clBtnFace,
            TRect{G.Left, G.Top, G.Left + Glyph()->Width(), G.Top + Glyph()->Height()});
    }
    if (!Text.empty()) {
        TRect T{R.Left + 3, R.Top + 1, R.Right - 3, R.Bottom - 1};
        if (Down)
            T = TRect{T.Left + 1, T.Top + 1, T.Right + 1, T.Bottom + 1};
        SetBkMode(Canvas()->Handle(), TRANSPARENT);
        RECT Box = T;
        DrawText(Canvas()->Handle(), Text.c_str(), int(Text.size()), &Box,
                 DT_CENTER | DT_SINGLELINE | DT_VCENTER);
    }
}

TDropDownEditButton::TDropDownEditButton(TComponent* AOwner) : TWinControl(AOwner)
{
    TControlStyle Style = ControlStyle();
    Style.Exclude(csAcceptsControls);
    Style.Exclude(csSetCaption);
    Style.Include(csOpaque);
    SetControlStyle(Style);
    CreateButton();
    SetWidth(16);
    SetHeight(25);
}

void TDropDownEditButton::CreateButton()
{
    FButton = New<TDadOrorUdurSpeedButton>(this);
    FButton->SetParent(this);
    FButton->SetVisible(true);
    FButton->SetEnabled(Enabled());
    FButton->SetCaption("");
    FButton->OnMouseDown = [this](TObject* Sender, TMouseButton Button, TShiftState Shift, Integer X,
                                  Integer Y) { BtnMouseDown(Sender, Button, Shift, X, Y); };
    FButton->OnClick = [this](TObject* Sender) { BtnClick(Sender); };
    FButton->SetButtonStyle(bsDropDown);
}

void TDropDownEditButton::SetForcedWidth(Integer Value)
{
    FForcedWidth = Value;
    SetBounds(Left(), Top(), Value, Height());
}

void TDropDownEditButton::AdjustWinSize(Integer& W, Integer& H)
{
    if (!FButton)
        return;
    W = FForcedWidth;
    FButton->SetBounds(0, 0, W, H);
}

void TDropDownEditButton::SetBounds(Integer ALeft, Integer ATop, Integer AWidth, Integer AHeight)
{
    AdjustWinSize(AWidth, AHeight);
    TWinControl::SetBounds(ALeft, ATop, AWidth, AHeight);
}

void TDropDownEditButton::WndProc(TMessage& Message)
{
    TWinControl::WndProc(Message);
    if (Message.Msg == WM_SIZE) {
        Integer W = Width(), H = Height();
        AdjustWinSize(W, H);
        if (W != Width() || H != Height())
            SetBounds(Left(), Top(), W, H);
        Message.Result = 0;
    } else if (Message.Msg == CM_ENABLEDCHANGED && FButton) {
        FButton->SetEnabled(Enabled());
    }
}

void TDropDownEditButton::Notification(TComponent* AComponent, TOperation Operation)
{
    TWinControl::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent == FFocusControl)
        FFocusControl = nullptr;
    if (Operation == opRemove && AComponent == FButton)
        FButton = nullptr;
}

void TDropDownEditButton::BtnMouseDown(TObject* Sender, TMouseButton Button, TShiftState, Integer, Integer)
{
    if (Button == mbLeft && Sender == FButton && OnClick)
        OnClick(this);
}
