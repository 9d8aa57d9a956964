#include "RudUvud/support/VADEdit.h"

#include "platform/forms/Menus.h"

// ---- RIdoRidudAvozar ---------------------------------------------------------------------------

void RIdoRidudAvozar::WndProc(TMessage& Message)
{
    if (Message.Msg == CM_MOUSEENTER || Message.Msg == CM_MOUSELEAVE) {
        TSpeedButton::WndProc(Message);
        FHot = Message.Msg == CM_MOUSEENTER;
        Repaint();
        return;
    }
    TSpeedButton::WndProc(Message);
}

void RIdoRidudAvozar::Paint()
{
    TCanvas* C = Canvas();
    HDC DC = C->Handle();
    RECT R{0, 0, Width(), Height()};
    const bool Down = State() == bsDown || State() == bsExclusive;
    themeapi::TThemeLoader& Theme = VadXPVS();
    if (FIsWinXP && Theme.ThemeActive()) {
        HTHEME T = Theme.OpenThemeData(Parent() ? Parent()->Handle() : nullptr, u"button");
        Theme.DrawThemeBackground(T, DC, 1, Down ? 3 : FHot ? 2 : 1, &R, nullptr);
        Theme.CloseThemeData(T);
    } else if (FFlat) {
        DrawEdge(DC, &R, Down ? BDR_SUNKENOUTER : BDR_RAISEDINNER, BF_RECT | BF_MIDDLE);
        InflateRect(&R, -1, -1);
    } else {
        DrawFrameControl(DC, &R, DFC_BUTTON, DFCS_BUTTONPUSH | DFCS_ADJUSTRECT | (Down ? DFCS_PUSHED : 0u));
    }
    const Integer Shift = State() == bsDown ? 1 : 0;
    if (TBitmap* G = Glyph(); G && !G->Empty()) {
        G->SetTransparent(true);
        const Integer X = G->Width() < Width() ? (Width() - G->Width()) / 2 : 0;
        const Integer Y = G->Height() < Height() ? (Height() - G->Height()) / 2 : 0;
        C->Draw(X + Shift, Y + Shift, G);
    }
    const AnsiString Text = Caption();
    if (!Text.empty()) {
        SetBkMode(DC, TRANSPARENT);
        OffsetRect(&R, Shift, Shift);
        C->Font()->Assign(Font());
        DC = C->Handle();
        SetTextColor(DC, ColorToRGB(Font()->Color()));
        DrawText(DC, Text.c_str(), int(Text.size()), &R, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    }
}

// ---- TVadEditButton ----------------------------------------------------------------------------

TVadEditButton::TVadEditButton(TComponent* AOwner) : TWinControl(AOwner)
{
    auto Style = ControlStyle();
    Style.Exclude(csAcceptsControls);
    Style.Exclude(csSetCaption);
    Style.Include(csOpaque);
    SetControlStyle(Style);
    SetBounds(0, 0, 20, 25);
    FInnerButton = New<RIdoRidudAvozar>(this);
    FInnerButton->SetParent(this);
    FInnerButton->SetVisible(true);
    FInnerButton->SetEnabled(true);
    FInnerButton->OnMouseDown = [this](TObject* Sender, TMouseButton Button, TShiftState Shift, Integer X,
                                       Integer Y) { BtnMouseDown(Sender, Button, Shift, X, Y); };
    FInnerButton->OnClick = [this](TObject* Sender) { BtnClick(Sender); };
    FitInnerButton();
}

void TVadEditButton::SetFocusControl(TWinControl* Value)
{
    FFocusControl = Value;
    if (Value)
        Value->FreeNotification(this);
}

void TVadEditButton::SetFlat(bool Value)
{
    FFlat = Value;
    FInnerButton->SetFlat(Value);
}

void TVadEditButton::Notification(TComponent* AComponent, TOperation Operation)
{
    TWinControl::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent == FFocusControl)
        FFocusControl = nullptr;
    if (Operation == opRemove && AComponent == FInnerButton)
        FInnerButton = nullptr;
}

void TVadEditButton::FitInnerButton()
{
    if (FInnerButton && !ComponentState().Contains(csLoading))
        FInnerButton->SetBounds(0, 0, Width(), Height());
}

void TVadEditButton::SetBounds(Integer ALeft, Integer ATop, Integer AWidth, Integer AHeight)
{
    TWinControl::SetBounds(ALeft, ATop, AWidth, AHeight);
    FitInnerButton();
}

void TVadEditButton::Loaded()
{
    TWinControl::Loaded();
    FitInnerButton();
}

void TVadEditButton::WndProc(TMessage& Message)
{
    TWinControl::WndProc(Message);
    if (Message.Msg == WM_SIZE)
        FitInnerButton();
}

void TVadEditButton::BtnMouseDown(TObject* Sender, TMouseButton Button, TShiftState, Integer, Integer)
{
    if (Button != mbLeft)
        return;
    if (Sender == FInnerButton && OnClick)
        OnClick(this);
    if (FFocusControl && FFocusControl->TabStop() && FFocusControl->CanFocus() && !FFocusControl->Focused()) {
        FFocusControl->SetFocus();
        return;
    }
    if (TabStop() && !Focused() && CanFocus())
        SetFocus();
}

// ---- Font heights ------------------------------------------------------------------------------

Integer SystemFontHeight()
{
    TWindowDC DC(nullptr, GetDC(nullptr));
    HGDIOBJ Old = SelectObject(DC.get(), GetStockObject(SYSTEM_FONT));
    TEXTMETRICA M{};
    GetTextMetrics(DC.get(), &M);
    SelectObject(DC.get(), Old);
    return M.tmHeight;
}

Integer FontCharHeight(TFont* Font)
{
    TWindowDC DC(nullptr, GetDC(nullptr));
    HGDIOBJ Old = SelectObject(DC.get(), Font->Handle());
    TEXTMETRICA M{};
    GetTextMetrics(DC.get(), &M);
    SelectObject(DC.get(), Old);
    return M.tmHeight;
}

// ---- TVadEditBtn -------------------------------------------------------------------------------

TVadEditBtn::TVadEditBtn(TComponent* AOwner) : TVadEditBtnBase(AOwner)
{
    SetText("0");
}

// ---- TVadUnitEditBtn ---------------------------------------------------------------------------

TVadUnitEditBtn::TVadUnitEditBtn(TComponent* AOwner)
    : TVadEditBtn(AOwner), FUnits(std::make_unique<TStringList>())
{
    FUnitSpace = 20;
    SetRightAlign(true);
}

void TVadUnitEditBtn::SetUnitID(const AnsiString& Value)
{
    FUnitID = Value;
    Invalidate();
}

void TVadUnitEditBtn::SetUnits(TStrings* Value)
{
    if (Value)
        FUnits->Assign(Value);
}

void TVadUnitEditBtn::SetUnitSpace(Integer Value)
{
    FUnitSpace = Value;
    SetEditRect();
    Invalidate();
}

void TVadUnitEditBtn::BtnClick(TObject*)
{
    if (OnClickBtn)
        OnClickBtn(this);
    std::unique_ptr<TPopupMenu> Menu(New<TPopupMenu>(nullptr));
    for (Integer I = 0; I < FUnits->Count(); ++I) {
        auto* Item = New<TMenuItem>(Menu.get());
        Item->SetCaption(FUnits->Strings(I));
        const HWND Wnd = Handle();
        const WPARAM Command = WPARAM(I + 1);
        // Posted, as a menu's command is: it arrives after the menu is gone.
        Item->OnClick = [Wnd, Command](TObject*) { PostMessage(Wnd, WM_COMMAND, MAKEWPARAM(Command, 0), 0); };
        Menu->Items()->Add(Item);
    }
    const TPoint Origin = ClientToScreen(TPoint{0, 0});
    Menu->SetAlignment(paLeft);
    Menu->Popup(Origin.X + ClientWidth() - 15, Origin.Y + ClientHeight());
}

void TVadUnitEditBtn::WndProc(TMessage& Message)
{
    if (Message.Msg == WM_COMMAND && Message.LParam == 0 && HIWORD(Message.WParam) != EN_CHANGE) {
        const Integer Id = LOWORD(Message.WParam);
        if (Id >= 1 && Id <= FUnits->Count())
            SetUnitID(FUnits->Strings(Id - 1));
        return;
    }
    TVadEditBtn::WndProc(Message);
    if (Message.Msg == WM_PAINT)
        PaintUnit();
}

void TVadUnitEditBtn::PaintUnit()
{
    if (!HandleAllocated() || FUnitID.empty())
        return;
    TWindowDC DC(Handle(), GetDC(Handle()));
    HGDIOBJ Old = SelectObject(DC.get(), Font()->Handle());
    SetBkMode(DC.get(), TRANSPARENT);
    SetTextColor(DC.get(), GetSysColor(COLOR_WINDOWTEXT));
    RECT R;
    R.Left = ClientWidth() - ButtonControl()->Width() - FUnitSpace - 3;
    R.Right = R.Left + FUnitSpace;
    R.Top = 2;
    R.Bottom = ClientHeight();
    DrawText(DC.get(), FUnitID.c_str(), int(FUnitID.size()), &R, DT_EDITCONTROL);
    SelectObject(DC.get(), Old);
}
