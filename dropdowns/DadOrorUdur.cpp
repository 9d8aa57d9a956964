#include "dropdowns/DadOrorUdur.h"

#include "platform/win/Colors.h"
#include "platform/win/PopupWindows.h"
#include "platform/win/StdControls.h"
#include "platform/win/Windows.h"

#include <algorithm>

namespace {

TRect Shifted(const TRect& R, Integer DX, Integer DY)
{
    return TRect{R.Left + DX, R.Top + DY, R.Right + DX, R.Bottom + DY};
}

} // namespace

TDizEveverAvivIzar::TDizEveverAvivIzar(TComponent* AOwner)
    : TCustomMaskEdit(AOwner), FDropDownHeader(std::make_unique<THeaderAppearance>(this)),
      FButtonAppearance(std::make_unique<TVadButtonAppearance>()),
      FDropDownFooter(std::make_unique<TFooterAppearance>(this)), FButtonGlyph(std::make_unique<TBitmap>())
{
    SetBounds(0, 0, 200, 21);
    SetTabStop(true);
    FDropDownHeader->OnChange = [this](TObject* S) { OnHeaderAppearanceChanged(S); };
    FDropDownHeader->OnButtonListChange = [this](TObject* S) { OnHeaderAppearanceChanged(S); };
    FDropDownFooter->OnChange = [this](TObject* S) { OnFooterAppearanceChanged(S); };
    FDropDownFooter->OnButtonListChange = [this](TObject* S) { OnFooterAppearanceChanged(S); };
    FButtonGlyph->OnChange = [this](TObject* S) { OnButtonGlyphChanged(S); };
}

TDizEveverAvivIzar::~TDizEveverAvivIzar()
{
    // The popup goes with the control as an owned component, after this destructor: it must not
    // call back into the half-destroyed control while it hides and goes.
    if (FDropDownForm) {
        if (FDropDownForm->HandleAllocated())
            RemoveDismissablePopup(FDropDownForm->Handle());
        FDropDownForm->SetDadOrorUdur(nullptr);
        FDropDownForm->OnHide = nullptr;
        FDropDownForm->OnDestroy = nullptr;
        FDropDownForm->OnKeyPress = nullptr;
        FDropDownForm->OnKeyDown = nullptr;
        FDropDownForm->OnKeyUp = nullptr;
        FDropDownForm->OnMouseWheelDown = nullptr;
        FDropDownForm->OnMouseWheelUp = nullptr;
        FDropDownForm->FOnSizing = nullptr;
    }
}

void TDizEveverAvivIzar::AfterConstruction()
{
    TCustomMaskEdit::AfterConstruction();
    CreateDropDownForm();
    CreateDropDownButton();
    SetSelectionColorStyle(scOffice2007);
}

// ---- Popup and button -------------------------------------------------------------------------------

void TDizEveverAvivIzar::CreateDropDownForm()
{
    if (FDropDownForm)
        return;
    FDropDownForm = TDropDownForm::CreateNew(this, 0);
    FDropDownForm->SetDadOrorUdur(this);
    FDropDownForm->SetBorderStyle(bsNone);
    FDropDownForm->SetVisible(false);
    FDropDownForm->SetWidth(FDropDownWidth);
    FDropDownForm->SetHeight(FDropDownHeight);
    FDropDownForm->OnClose = [](TObject*, TCloseAction&) {};
    FDropDownForm->OnHide = [this](TObject*) { OnHideDropDown(); };
    FDropDownForm->OnKeyPress = [this](TObject*, WideChar& Key) { OnDropDownFormKeyPress(Key); };
    FDropDownForm->OnKeyDown = [this](TObject*, Word& Key, TShiftState Shift) {
        OnDropDownFormKeyDown(Key, Shift);
    };
    FDropDownForm->OnKeyUp = [this](TObject*, Word& Key, TShiftState Shift) {
        OnDropDownFormKeyUp(Key, Shift);
    };
    FDropDownForm->OnMouseWheelDown = [this](TObject*, TShiftState Shift, TPoint MousePos, bool& Handled) {
        OnDropDownFormMouseWheelDown(Shift, MousePos, Handled);
    };
    FDropDownForm->OnMouseWheelUp = [this](TObject*, TShiftState Shift, TPoint MousePos, bool& Handled) {
        OnDropDownFormMouseWheelUp(Shift, MousePos, Handled);
    };
    FDropDownForm->OnDestroy = [this](TObject*) { OnDestroyDropDownForm(); };
    FDropDownForm->FOnSizing = [this](TObject*) { OnDropDownSizing(); };
    FDropDownForm->SetDoubleBuffered(true);
}

void TDizEveverAvivIzar::CreateDropDownButton()
{
    if (FDropDownButton)
        return;
    FDropDownButton = New<TDropDownEditButton>(this);
    FDropDownButton->SetParent(this);
    FDropDownButton->OnClick = [this](TObject* Sender) { MouseButtonDown(Sender); };
    UpdateDropDownButton();
}

void TDizEveverAvivIzar::UpdateDropDownButton()
{
    if (!FDropDownButton)
        return;
    FDropDownButton->SetForcedWidth(FButtonWidth);
    FDropDownButton->SetHeight(17);
    FDropDownButton->SetVisible(true);
    FDropDownButton->SetFocusControl(this);
    OnButtonGlyphChanged(nullptr);
}

void TDizEveverAvivIzar::OnButtonGlyphChanged(TObject*)
{
    if (!FDropDownButton)
        return;
    // An empty glyph: the button draws the system's combo arrow itself.
    FDropDownButton->SetGlyph(FButtonGlyph.get());
}

void TDizEveverAvivIzar::SetButtonGlyph(TBitmap* Value)
{
    FButtonGlyph->Assign(Value);
}

void TDizEveverAvivIzar::SetButtonHint(const AnsiString& Value)
{
    if (FDropDownButtonHint == Value)
        return;
    FDropDownButtonHint = Value;
    if (FDropDownButton) {
        FDropDownButton->SetHint(Value);
        FDropDownButton->SetShowHint(!Value.empty());
    }
}

void TDizEveverAvivIzar::SetButtonWidth(Integer Value)
{
    if (!FDropDownButton || FButtonWidth == Value)
        return;
    FButtonWidth = Value;
    FDropDownButton->SetForcedWidth(Value);
    if (FDropDownButton->HandleAllocated())
        ResizeControl();
}

AnsiString TDizEveverAvivIzar::GetButtonCaption()
{
    return FDropDownButton ? FDropDownButton->ButtonCaption() : AnsiString();
}

void TDizEveverAvivIzar::SetButtonCaption(const AnsiString& Value)
{
    if (FDropDownButton)
        FDropDownButton->SetButtonCaption(Value);
}

void TDizEveverAvivIzar::SetFlat(bool Value)
{
    if (FFlat == Value)
        return;
    FFlat = Value;
    if (FDropDownButton)
        FDropDownButton->Button()->SetFlat(Value);
}

void TDizEveverAvivIzar::SetEtched(bool Value)
{
    if (FEtched == Value)
        return;
    FEtched = Value;
    if (FDropDownButton)
        FDropDownButton->Button()->SetEtched(Value);
    Invalidate();
}

void TDizEveverAvivIzar::SetImages(TCustomImageList* Value)
{
    if (FImages == Value)
        return;
    FImages = Value;
    if (Value)
        Value->FreeNotification(this);
}

void TDizEveverAvivIzar::SetDropDownWidth(Integer Value)
{
    if (FDropDownWidth != Value) {
        FDropDownWidth = Value;
        FLastDropDownWidth = -1;
    }
}

void TDizEveverAvivIzar::SetDropDownHeight(Integer Value)
{
    if (FDropDownHeight != Value) {
        FDropDownHeight = Value;
        FLastDropDownHeight = -1;
    }
}

void TDizEveverAvivIzar::SetEditorEnabled(bool Value)
{
    FEditorEnabled = Value;
    TControlStyle Style = ControlStyle();
    if (Value)
        Style.Include(csDoubleClicks);
    else
        Style.Exclude(csDoubleClicks);
    SetControlStyle(Style);
}

void TDizEveverAvivIzar::SetControl(TWinControl* Value)
{
    if (FControl == Value)
        return;
    FControl = Value;
    if (Value)
        Value->FreeNotification(this);
    SetCenterControl();
}

void TDizEveverAvivIzar::OnHeaderAppearanceChanged(TObject*)
{
    if (FDropDownForm && FDroppedDown)
        FDropDownForm->InitializeAndUpdate();
}

void TDizEveverAvivIzar::OnFooterAppearanceChanged(TObject*)
{
    if (FDropDownForm && FDroppedDown)
        FDropDownForm->InitializeAndUpdate();
}

// ---- Geometry ----------------------------------------------------------------------------------------

Integer TDizEveverAvivIzar::GetMinHeight()
{
    HDC DC = GetDC(nullptr);
    TEXTMETRIC Sys{}, Metrics{};
    HGDIOBJ Old = SelectObject(DC, GetStockObject(SYSTEM_FONT));
    GetTextMetrics(DC, &Sys);
    SelectObject(DC, Font()->Handle());
    GetTextMetrics(DC, &Metrics);
    SelectObject(DC, Old);
    ReleaseDC(nullptr, DC);
    const Integer I = std::min(Sys.tmHeight, Metrics.tmHeight);
    return I / 4 + Metrics.tmHeight;
}

void TDizEveverAvivIzar::ResizeControl()
{
    Integer D = BorderStyle() == bsNone ? 2 : 4;
    if (FFlat)
        D = 3;
    const Integer T = FFlat ? 1 : -1;
    const Integer E = Ctl3D() ? 0 : 2;
    const Integer MinHeight = GetMinHeight();
    if (Height() < MinHeight) {
        SetHeight(MinHeight);
    } else if (FDropDownButton) {
        if (Ctl3D() && BorderStyle() == bsSingle)
            FDropDownButton->SetBounds(Width() - FButtonWidth - D - E, T + 1, FButtonWidth, Height() - D);
        else
            FDropDownButton->SetBounds(Width() - FButtonWidth - E, 1, FButtonWidth, Height() - 2);
        SetEditRect();
    }
    Invalidate();
}

void TDizEveverAvivIzar::SetEditRect()
{
    if (!HandleAllocated())
        return;
    RECT Loc{};
    SendMessage(Handle(), EM_GETRECT, 0, reinterpret_cast<LPARAM>(&Loc));
    Loc.Bottom = ClientHeight() + 1;
    Loc.Right = ClientWidth() - FButtonWidth - 3;
    if (BorderStyle() == bsNone) {
        Loc.Left = 2;
        Loc.Top = 3;
    } else {
        Loc.Left = 1;
        Loc.Top = 1;
    }
    FEditRect = Loc;
    if (!Ctl3D())
        Loc.Left += 1;
    SendMessage(Handle(), EM_SETRECTNP, 0, reinterpret_cast<LPARAM>(&Loc));
}

void TDizEveverAvivIzar::UpdateDropDownSize()
{
    if (!FDropDownForm)
        return;
    Integer W;
    if (FDropDownWidth > 0)
        W = FDropDownWidth;
    else if (FControl && FControl->Visible())
        W = FControl->Width();
    else
        W = Width();
    Integer H;
    if (FDropDownHeight > 0) {
        H = FDropDownHeight;
    } else {
        H = 2 * FDropDownBorderWidth;
        if (FDropDownHeader->Visible())
            H += FDropDownHeader->Height();
        if (FDropDownFooter->Visible())
            H += FDropDownFooter->Height();
        if (FControl && FControl->Visible())
            H += FControl->Height();
    }
    FDropDownForm->SetBounds(FDropDownForm->Left(), FDropDownForm->Top(), W, H);
}

void TDizEveverAvivIzar::SetCenterControl()
{
    if (!FDropDownForm || !FControl)
        return;
    FControl->SetParent(FDropDownForm);
    FControl->SetTop(FDropDownHeader->Visible() ? FDropDownHeader->Height() + 2 : FDropDownBorderWidth);
    FControl->SetAlign(alClient);
}

// ---- Showing and hiding ------------------------------------------------------------------------

void TDizEveverAvivIzar::BeforeDropDown()
{
    if (OnBeforeDropDown)
        OnBeforeDropDown(this);
}

void TDizEveverAvivIzar::HookControlKeys()
{
    if (!FControl)
        return;
    FControl->OnKeyDown = [this](TObject*, Word& Key, TShiftState Shift) {
        OnDropDownControlKeyDown(Key, Shift);
    };
    FControl->OnKeyUp = [this](TObject*, Word& Key, TShiftState Shift) {
        OnDropDownControlKeyUp(Key, Shift);
    };
    FControl->OnKeyPress = [this](TObject*, WideChar& Key) { OnDropDownControlKeyPress(Key); };
}

void TDizEveverAvivIzar::DoShowDropDown()
{
    if (ComponentState().Contains(csDesigning) || !FDropDownForm || FDropDownForm->Visible() || !Enabled() ||
        ReadOnly())
        return;
    BeforeDropDown();
    FDropDownForm->FShadow = FDropDownShadow;
    FDropDownForm->InitializeAndUpdate();
    HWND Popup = FDropDownForm->Handle();
    DWORD ClassStyle = GetClassLong(Popup, GCL_STYLE);
    SetClassLong(
        Popup, GCL_STYLE,
        LONG(FDropDownForm->FShadow ? (ClassStyle | CS_DROPSHADOW) : (ClassStyle & ~DWORD(CS_DROPSHADOW))));

    FDropDownForm->SetBounds(Left(), Top(), FDropDownForm->Width(), FDropDownForm->Height());
    UpdateDropDownSize();
    SetCenterControl();
    FDropDownForm->Constraints()->SetMinWidth(80);
    FDropDownForm->Constraints()->SetMinHeight(50);
    HookControlKeys();

    const TPoint P =
        Parent() ? Parent()->ClientToScreen(TPoint{Left(), Top()}) : ClientToScreen(TPoint{0, 0});
    // The work area of the monitor the control is on (the desktop's without one).
    RECT Work{-1, -1, -1, -1};
    MONITORINFO Info{};
    Info.cbSize = sizeof(Info);
    if (HMONITOR M = MonitorFromPoint(P, MONITOR_DEFAULTTONEAREST); M && GetMonitorInfo(M, &Info))
        Work = Info.rcWork;
    else
        SystemParametersInfo(SPI_GETWORKAREA, 0, &Work, 0);
    const Integer PopupHeight = FDropDownForm->Height();
    const Integer Below = P.Y + Height() - 1, Above = P.Y - PopupHeight;
    Integer Top = Below;
    switch (FDropPosition) {
    case dpDown:
        Top = Below;
        break;
    case dpUp:
        Top = Above;
        break;
    case dpAuto: {
        // Downwards when it fits above the bottom of the work area (a panel at the bottom of
        // the screen covers the popup as much as the screen's edge would), else upwards.
        const Integer Bottom = Work.Left >= 0 ? Work.Bottom : GetSystemMetrics(SM_CYSCREEN);
        Top = Bottom > Below + PopupHeight ? Below : Above;
        break;
    }
    }
    FDropDownForm->SetBounds(P.X, Top, FDropDownForm->Width(), PopupHeight);

    bool Accept = true;
    if (OnDropDown)
        OnDropDown(this, Accept);
    if (!Accept)
        return;

    if (FLastDropDownWidth != -1 || FLastDropDownHeight != -1)
        FDropDownForm->SetBounds(FDropDownForm->Left(), FDropDownForm->Top(),
                                 FLastDropDownWidth != -1 ? FLastDropDownWidth : FDropDownForm->Width(),
                                 FLastDropDownHeight != -1 ? FLastDropDownHeight : FDropDownForm->Height());
    // Kept on the screen: a popup that would cross an edge of the work area is moved inside
    // it, the right and bottom edges first so that a popup larger than the area shows its
    // top-left part.
    if (Work.Left >= 0) {
        TRect R = FDropDownForm->BoundsRect();
        if (R.Right > Work.Right)
            R = Shifted(R, Work.Right - R.Right, 0);
        if (R.Left < Work.Left)
            R = Shifted(R, Work.Left - R.Left, 0);
        if (R.Bottom > Work.Bottom)
            R = Shifted(R, 0, Work.Bottom - R.Bottom);
        if (R.Top < Work.Top)
            R = Shifted(R, 0, Work.Top - R.Top);
        FDropDownForm->SetBounds(R.Left, R.Top, R.Width(), R.Height());
    }
    const TPoint Place{FDropDownForm->Left(), FDropDownForm->Top()};
    AddDismissablePopup(Popup);
    FDropDownForm->Show();
    FDroppedDown = true;
    FDropDownForm->SetBounds(Place.X, Place.Y, FDropDownForm->Width(), FDropDownForm->Height());
    AfterDropDown();
}

void TDizEveverAvivIzar::DoHideDropDown(bool Cancelled)
{
    if (ComponentState().Contains(csDesigning) || !FDropDownForm || !FDropDownForm->Visible())
        return;
    FLastDropDownWidth = FDropDownForm->Width();
    FLastDropDownHeight = FDropDownForm->Height();
    FDropDownForm->Hide();
    if (Application)
        Application->CancelHint();
    if (Cancelled)
        SetText(FAcceptedText);
    if (OnDropUp)
        OnDropUp(this, Cancelled);
}

bool TDizEveverAvivIzar::FocusInPopup()
{
    HWND Focus = GetFocus();
    return !Focus || (FDropDownForm && FDropDownForm->HandleAllocated() &&
                      (Focus == FDropDownForm->Handle() || IsChild(FDropDownForm->Handle(), Focus)));
}

void TDizEveverAvivIzar::OnHideDropDown()
{
    FDroppedDown = false;
    // The focus comes back from the popup (a centre control the person clicked into); focus the
    // person moved elsewhere stays where it went.
    if (TabStop() && CanFocus() && HandleAllocated() && GetFocus() != Handle() &&
        !ComponentState().Contains(csDestroying) && FocusInPopup())
        SetFocus();
}

void TDizEveverAvivIzar::MouseButtonDown(TObject*)
{
    if (ComponentState().Contains(csDesigning) || !FDropDownForm || FDropDownForm->Visible())
        return;
    if (std::uint32_t(GetTickCount() - FDropDownForm->FDeactivateTick) > 250)
        DoShowDropDown();
}

void TDizEveverAvivIzar::ToggleDropDown()
{
    if (FDroppedDown)
        DoHideDropDown(false);
    else
        DoShowDropDown();
}

// ---- Keys and wheel routed from the popup and its centre control ---------------------------------

void TDizEveverAvivIzar::OnDropDownFormKeyPress(WideChar& Key)
{
    SendMessage(Handle(), WM_CHAR, Key, 0);
}

void TDizEveverAvivIzar::OnDropDownFormKeyDown(Word& Key, TShiftState)
{
    SendMessage(Handle(), WM_KEYDOWN, Key, 0);
}

void TDizEveverAvivIzar::OnDropDownFormKeyUp(Word& Key, TShiftState)
{
    SendMessage(Handle(), WM_KEYUP, Key, 0);
}

void TDizEveverAvivIzar::OnDropDownControlKeyDown(Word& Key, TShiftState)
{
    SendMessage(Handle(), WM_KEYDOWN, Key, 0);
}

void TDizEveverAvivIzar::OnDropDownControlKeyUp(Word& Key, TShiftState)
{
    SendMessage(Handle(), WM_KEYUP, Key, 0);
}

void TDizEveverAvivIzar::OnDropDownControlKeyPress(WideChar& Key)
{
    SendMessage(Handle(), WM_CHAR, Key, 0);
}

void TDizEveverAvivIzar::OnDropDownFormMouseWheelDown(TShiftState, TPoint, bool&)
{
    HandleMouseWheelDown();
}

void TDizEveverAvivIzar::OnDropDownFormMouseWheelUp(TShiftState, TPoint, bool&)
{
    HandleMouseWheelUp();
}

bool TDizEveverAvivIzar::DoMouseWheelDown(TShiftState Shift, TPoint MousePos)
{
    const bool Result = TCustomMaskEdit::DoMouseWheelDown(Shift, MousePos);
    HandleMouseWheelDown();
    return Result;
}

bool TDizEveverAvivIzar::DoMouseWheelUp(TShiftState Shift, TPoint MousePos)
{
    const bool Result = TCustomMaskEdit::DoMouseWheelUp(Shift, MousePos);
    HandleMouseWheelUp();
    return Result;
}

void TDizEveverAvivIzar::KeyDown(Word& Key, TShiftState Shift)
{
    TCustomMaskEdit::KeyDown(Key, Shift);
    if (Shift.Contains(ssAlt) && (Key == VK_UP || Key == VK_DOWN))
        ToggleDropDown();
}

void TDizEveverAvivIzar::KeyPress(WideChar& Key)
{
    TCustomMaskEdit::KeyPress(Key);
    if (Key == 13)
        Key = 0;
}

// ---- Window ----------------------------------------------------------------------------------------

void TDizEveverAvivIzar::CreateParams(TCreateParams& Params)
{
    TCustomMaskEdit::CreateParams(Params);
    Params.Style |= DWORD(WS_CLIPCHILDREN) | DWORD(ES_MULTILINE);
}

void TDizEveverAvivIzar::CreateWnd()
{
    TCustomMaskEdit::CreateWnd();
    SetEditRect();
    ResizeControl();
}

void TDizEveverAvivIzar::DoEnter()
{
    TCustomMaskEdit::DoEnter();
    SetEditRect();
}

void TDizEveverAvivIzar::Loaded()
{
    TCustomMaskEdit::Loaded();
    SetEditRect();
    ResizeControl();
    if (FDropDownButton)
        FDropDownButton->SetEnabled(Enabled());
}

void TDizEveverAvivIzar::Notification(TComponent* AComponent, TOperation Operation)
{
    TCustomMaskEdit::Notification(AComponent, Operation);
    if (ComponentState().Contains(csDestroying) || Operation != opRemove)
        return;
    if (AComponent == FImages) {
        FImages = nullptr;
        Invalidate();
    }
    if (AComponent == FControl)
        FControl = nullptr;
    if (AComponent == FDropDownForm)
        FDropDownForm = nullptr;
    if (AComponent == FDropDownButton)
        FDropDownButton = nullptr;
}

void TDizEveverAvivIzar::DrawBackGround()
{
    if (FEditorEnabled || !HandleAllocated() || GetFocus() != Handle() || !FFocusHighlight ||
        ComponentState().Contains(csDesigning))
        return;
    HDC DC = GetWindowDC(Handle());
    {
        TCanvas Canvas;
        Canvas.SetHandle(DC);
        TRect R{2, 2, Width() - FButtonWidth - 1, Height() - 2};
        Canvas.Pen()->SetColor(0x000000);
        Canvas.Brush()->SetColor(clHighlight);
        Canvas.Rectangle(R);
        R.Left += 2;
        R.Right -= 3;
        Canvas.Font()->Assign(Font());
        Canvas.Font()->SetColor(clHighlightText);
        SetBkMode(DC, TRANSPARENT);
        const AnsiString S = Text();
        RECT Box = R;
        DrawText(Canvas.Handle(), S.c_str(), int(S.size()), &Box, DT_SINGLELINE | DT_VCENTER);
        Canvas.SetHandle(nullptr);
    }
    ReleaseDC(Handle(), DC);
}

void TDizEveverAvivIzar::WMKeyDown(TMessage& Message)
{
    if (ComponentState().Contains(csDesigning))
        return;
    Word Key = Word(Message.WParam);
    auto Drop = [&] {
        Message.WParam = 0;
        Message.Result = 0;
    };
    // Keys sent on from the popup carry no Alt in their data, so KeyDown does not toggle them
    // a second time.
    if (GetKeyState(VK_MENU) < 0 && (Key == VK_UP || Key == VK_DOWN))
        ToggleDropDown();
    if (!FEditorEnabled && Enabled()) {
        if (!ReadOnly()) {
            if (Key == VK_RETURN)
                DoHideDropDown(false);
            else if (Key == VK_ESCAPE)
                DoHideDropDown(true);
            else if (Key == VK_F4)
                ToggleDropDown();
        }
        if (Key == VK_RETURN || Key == VK_ESCAPE)
            TCustomMaskEdit::WndProc(Message);
        else
            Drop();
        return;
    }
    const bool Ctrl = GetKeyState(VK_CONTROL) < 0;
    const bool Shift = GetKeyState(VK_SHIFT) < 0;
    if (Ctrl && (Key == VK_TAB || Key == VK_RETURN)) {
        TCustomMaskEdit::WndProc(Message);
        return;
    }
    // Positions are of the whole line; the prefix and suffix are not the caret's to enter.
    // The value ends after the prefix: a caret compared with the value's length alone would
    // stop short of the end whenever there is a prefix.
    const Integer TextLength = Integer(Text().size()), PrefixLength = Integer(FPrefix.size());
    const Integer ValueEnd = PrefixLength + TextLength;
    const Integer SelEnd = HIWORD(SendMessage(Handle(), EM_GETSEL, 0, 0));
    if (Key == VK_RIGHT && !FSuffix.empty() && SelEnd >= ValueEnd)
        return Drop();
    if (Key == VK_DELETE && !FSuffix.empty()) {
        if (SelEnd >= ValueEnd && SelLength() == 0)
            return Drop();
        FModified = true;
    }
    if (Key == VK_LEFT && !FPrefix.empty() && PrefixLength >= SelEnd)
        return Drop();
    if (Key == VK_END && !FSuffix.empty()) {
        if (Shift) {
            SetSelLength(ValueEnd - SelStart());
        } else {
            SetSelStart(ValueEnd);
            SetSelLength(0);
        }
        return Drop();
    }
    if (Key == VK_HOME && !FPrefix.empty()) {
        if (Shift) {
            SendMessage(Handle(), EM_SETSEL, WPARAM(TextLength + PrefixLength), LPARAM(PrefixLength));
        } else {
            SetSelStart(PrefixLength);
            SetSelLength(0);
        }
        return Drop();
    }
    if (Key == VK_BACK && !FPrefix.empty()) {
        if (SelStart() <= PrefixLength + 1)
            return Drop();
        FModified = true;
    }
    if (Key == VK_DELETE && SelStart() >= PrefixLength)
        FModified = true;
    TCustomMaskEdit::WndProc(Message);
    if (Key == VK_DELETE && FEditType == etMoney)
        AutoSeparators();
    if (!FPrefix.empty() && SelStart() < PrefixLength)
        SetSelStart(PrefixLength);
    Key = Word(Message.WParam);
    if (Key == VK_RETURN)
        DoHideDropDown(false);
    else if (Key == VK_ESCAPE)
        DoHideDropDown(true);
    else if (Key == VK_F4)
        ToggleDropDown();
}

void TDizEveverAvivIzar::CMWantSpecialKey(TMessage& Message)
{
    TCustomForm* Form = nullptr;
    for (TWinControl* P = Parent(); P && !Form; P = P->Parent())
        Form = dynamic_cast<TCustomForm*>(P);
    if (!Form)
        return;
    TCustomMaskEdit::WndProc(Message);
    if (Message.WParam == VK_ESCAPE && FDroppedDown)
        Message.Result = 1;
}

void TDizEveverAvivIzar::WMSetFocus(TMessage& Message)
{
    if (ComponentState().Contains(csLoading))
        return;
    TCustomMaskEdit::WndProc(Message);
    if (!FEditorEnabled) {
        HideCaret(Handle());
        Invalidate();
    } else if (AutoSelect()) {
        SelectAll();
    } else if (FEditType == etFloat || FEditType == etMoney) {
        SelectBeforeDecimal();
    }
}

void TDizEveverAvivIzar::WMKillFocus(TMessage& Message)
{
    if (ComponentState().Contains(csLoading))
        return;
    FormatOnExit();
    TCustomMaskEdit::WndProc(Message);
    if (!FEditorEnabled)
        Invalidate();
    // The focus went somewhere else than into the popup (Tab to the next control, say): the
    // popup does not stay open for a control that is no longer being edited.
    HWND To = reinterpret_cast<HWND>(Message.WParam);
    if (FDroppedDown && FDropDownForm && FDropDownForm->HandleAllocated() && To != FDropDownForm->Handle() &&
        !IsChild(FDropDownForm->Handle(), To))
        FDropDownForm->Perform(WM_CANCELMODE, 0, 0);
}

void TDizEveverAvivIzar::WMLButtonDown(TMessage& Message)
{
    if (!FEditorEnabled) {
        TCustomMaskEdit::WndProc(Message);
        MouseButtonDown(this);
        return;
    }
    const LRESULT P = LOWORD(SendMessage(Handle(), EM_CHARFROMPOS, 0, Message.LParam));
    if (SelLength() > 0 && P >= SelStart() && P <= SelStart() + SelLength() && GetFocus() == Handle()) {
        FMouseDownInSelection = true;
        return;
    }
    TCustomMaskEdit::WndProc(Message);
}

void TDizEveverAvivIzar::WMLButtonUp(TMessage& Message)
{
    if (!FEditorEnabled || ReadOnly())
        DrawBackGround();
    if (FMouseDownInSelection) {
        const Integer P = LOWORD(SendMessage(Handle(), EM_CHARFROMPOS, 0, Message.LParam));
        SetSelStart(P);
        SetSelLength(0);
    }
    FMouseDownInSelection = false;
    TCustomMaskEdit::WndProc(Message);
    const Integer TextLength = Integer(Text().size()), PrefixLength = Integer(FPrefix.size());
    const Integer ValueEnd = PrefixLength + TextLength;
    if (!FPrefix.empty() && SelStart() < PrefixLength) {
        SetSelStart(PrefixLength);
        SetSelLength(TextLength);
    }
    if (!FSuffix.empty()) {
        if (SelStart() > ValueEnd) {
            SetSelStart(ValueEnd);
            SetSelLength(0);
        } else if (SelStart() + SelLength() > ValueEnd) {
            SetSelLength(ValueEnd - SelStart());
        }
    }
}

void TDizEveverAvivIzar::WndProc(TMessage& Message)
{
    switch (Message.Msg) {
    case WM_KEYDOWN:
        WMKeyDown(Message);
        return;
    case WM_GETDLGCODE:
        TCustomMaskEdit::WndProc(Message);
        Message.Result = DLGC_WANTARROWS;
        return;
    case WM_SETFOCUS:
        WMSetFocus(Message);
        return;
    case WM_KILLFOCUS:
        WMKillFocus(Message);
        return;
    case WM_LBUTTONDOWN:
        WMLButtonDown(Message);
        return;
    case WM_LBUTTONUP:
        WMLButtonUp(Message);
        return;
    case WM_CHAR:
        WMChar(Message);
        return;
    case WM_PASTE:
        WMPaste(Message);
        return;
    case WM_CUT:
        WMCut(Message);
        return;
    case WM_COPY:
        WMCopy(Message);
        return;
    case CN_COMMAND:
        CNCommand(Message);
        return;
    case WM_PAINT:
        TCustomMaskEdit::WndProc(Message);
        DrawBackGround();
        return;
    case WM_SIZE:
        TCustomMaskEdit::WndProc(Message);
        ResizeControl();
        return;
    case CM_WANTSPECIALKEY:
        CMWantSpecialKey(Message);
        return;
    case CM_ENABLEDCHANGED:
        TCustomMaskEdit::WndProc(Message);
        if (FDropDownButton)
            FDropDownButton->SetEnabled(Enabled());
        return;
    case CM_FONTCHANGED:
        TCustomMaskEdit::WndProc(Message);
        if (HandleAllocated())
            SetEditRect();
        return;
    case CM_MOUSEENTER:
    case CM_MOUSELEAVE:
        TCustomMaskEdit::WndProc(Message);
        if (Enabled() && FMouseInControl != (Message.Msg == CM_MOUSEENTER)) {
            FMouseInControl = Message.Msg == CM_MOUSEENTER;
            DrawBorders();
        }
        return;
    case CM_ENTER:
        if (AutoSelect() && GetKeyState(VK_LBUTTON) >= 0)
            SelectAll();
        TCustomMaskEdit::WndProc(Message);
        DrawBorders();
        return;
    case CM_EXIT:
        TCustomMaskEdit::WndProc(Message);
        DrawBorders();
        return;
    case EM_SETREADONLY:
        TCustomMaskEdit::WndProc(Message);
        if (FDropDownButton)
            FDropDownButton->Button()->Invalidate();
        return;
    default:
        break;
    }
    TCustomMaskEdit::WndProc(Message);
}
