#include "dropdowns/VadHeader.h"

#include "dropdowns/DadOrorUdur.h"

#include "RudUvud/support/Daehtmle.h"
#include "platform/forms/Forms.h"
#include "platform/win/Windows.h"

TVadStrip::TVadStrip(TComponent* AOwner, std::unique_ptr<THeaderAppearance> Appearance, bool IsFooter)
    : TCustomControl(AOwner), FAppearance(std::move(Appearance)), FIsFooter(IsFooter)
{
    FAppearance->OnChange = [this](TObject* Sender) { AppearanceChanged(Sender); };
    SetBorderWidth(0);
    SetDoubleBuffered(true);
    TControlStyle Style{csAcceptsControls, csClickEvents, csDoubleClicks};
    if (IsFooter)
        Style.Include(csCaptureMouse);
    SetControlStyle(Style);
}

TVadStrip::~TVadStrip() = default;

void TVadStrip::SetImages(TCustomImageList* Value)
{
    FImages = Value;
    if (Value)
        Value->FreeNotification(this);
}

void TVadStrip::SetDadOrorUdur(TDizEveverAvivIzar* Value)
{
    FDadOrorUdur = Value;
    if (!Value) {
        SetImages(nullptr);
        return;
    }
    SetImages(Value->Images());
    FAppearance->Assign(DropDownAppearance());
    // The height follows the settings at every show, not only when the visibility changes.
    AppearanceChanged(nullptr);
}

void TVadStrip::Initialize()
{
    if (FDadOrorUdur)
        CreateButtons();
}

void TVadStrip::AppearanceChanged(TObject*)
{
    SetVisible(FAppearance->Visible());
    SetHeight(FAppearance->Height());
}

void TVadStrip::Notification(TComponent* AComponent, TOperation Operation)
{
    TCustomControl::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent == FImages)
        FImages = nullptr;
}

// ---- Buttons -----------------------------------------------------------------------------------------

TRect TVadStrip::GetButtonsRect()
{
    TRect R = ClientRect();
    return TRect{R.Left + 2, R.Top + 2, R.Right - 2, R.Bottom - (FIsFooter ? 2 : 3)};
}

TRect TVadStrip::GetButtonsCoveredRect()
{
    if (FButtonControls.Count() == 0)
        return TRect{-1, -1, -1, -1};
    TRect R = GetButtonsRect();
    R.Right = ButtonControl(FButtonControls.Count() - 1)->Left() - 2;
    return R;
}

void TVadStrip::DestroyButtons()
{
    for (Integer I = FButtonControls.Count() - 1; I >= 0; --I)
        ButtonControl(I)->Free();
    FButtonControls.Clear();
}

void TVadStrip::CreateButtons()
{
    THeaderAppearance* Source = FDadOrorUdur ? DropDownAppearance() : nullptr;
    if (!Source)
        return;
    DestroyButtons();
    const Integer H = GetMaxButtonHeight();
    THeaderButtons* Buttons = Source->Buttons();
    for (Integer I = 0; I < Buttons->Count(); ++I) {
        THeaderButton* Item = Buttons->Items(I);
        auto* B = New<TVadButton>(this);
        B->SetParent(this);
        B->SetAppearance(FDadOrorUdur->ButtonAppearance());
        if (auto* F = dynamic_cast<TFooterButton*>(Item)) {
            B->SetDadOrorUdur(FDadOrorUdur);
            B->SetModalResult(F->ModalResult());
        }
        B->SetCaption(Item->Caption());
        B->SetImages(FImages);
        B->SetImageIndex(Item->ImageIndex());
        B->SetEnabled(Item->Enabled());
        B->SetAutoSizeEx();
        if (Item->Width() > 0)
            B->SetWidth(Item->Width());
        if (Item->Height() > 0)
            B->SetHeight(Item->Height());
        if (B->Height() > H)
            B->SetHeight(H);
        B->SetTag(I);
        B->OnClick = [this](TObject* Sender) { OnButtonClick(Sender); };
        FButtonControls.Add(B);
    }
    ArrangeButtons();
}

void TVadStrip::ArrangeButtons()
{
    if (FButtonControls.Count() == 0)
        return;
    const TRect B = GetButtonsRect();
    Integer X = FAppearance->ButtonAlignment() == baRight ? B.Right : B.Left;
    for (Integer I = 0; I < FButtonControls.Count(); ++I) {
        TVadButton* Button = ButtonControl(I);
        const Integer Top = std::max(B.Top, (B.Bottom - Button->Height()) / 2);
        if (FAppearance->ButtonAlignment() == baRight) {
            X -= Button->Width();
            Button->SetBounds(X, Top, Button->Width(), Button->Height());
        } else {
            Button->SetBounds(X, Top, Button->Width(), Button->Height());
            X += Button->Width();
        }
    }
}

void TVadStrip::UpdateButtons()
{
    THeaderAppearance* Source = FDadOrorUdur ? DropDownAppearance() : nullptr;
    for (Integer I = 0; I < FButtonControls.Count(); ++I) {
        TVadButton* B = ButtonControl(I);
        if (FDadOrorUdur)
            B->SetAppearance(FDadOrorUdur->ButtonAppearance());
        B->SetImages(FImages);
        if (Source && I < Source->Buttons()->Count()) {
            THeaderButton* Item = Source->Buttons()->Items(I);
            B->SetCaption(Item->Caption());
            B->SetImageIndex(Item->ImageIndex());
            B->SetEnabled(Item->Enabled());
        }
        B->SetAutoSizeEx();
    }
    ArrangeButtons();
}

void TVadStrip::OnButtonClick(TObject* Sender)
{
    auto* B = dynamic_cast<TVadButton*>(Sender);
    if (!B || !FDadOrorUdur)
        return;
    const TDropDownButtonItemClick& Event =
        FIsFooter ? FDadOrorUdur->OnDropDownFooterButtonClick : FDadOrorUdur->OnDropDownHeaderButtonClick;
    if (Event)
        Event(FDadOrorUdur, B->Tag());
}

// ---- Painting ------------------------------------------------------------------------------------

void TVadStrip::Paint()
{
    TCanvas* C = Canvas();
    const TRect R = ClientRect();
    if (OnDrawBackGround) {
        OnDrawBackGround(this, C, R);
        return;
    }
    THeaderAppearance* A = FAppearance.get();
    if (A->ColorTo() != clNone) {
        DadOrorUdur::DrawGradient(C, A->Color(), A->ColorTo(), 80, R, A->GradientDirection() == gdHorizontal);
    } else if (A->Color() != clNone) {
        C->Brush()->SetStyle(bsSolid);
        C->Brush()->SetColor(A->Color());
        C->FillRect(R);
    }
    const Integer BW = A->BorderWidth();
    if (A->BorderColor() != clNone && BW > 0) {
        C->Pen()->SetStyle(psSolid);
        C->Pen()->SetWidth(BW);
        C->Pen()->SetColor(A->BorderColor());
        const bool PopupFrame = FDadOrorUdur && FDadOrorUdur->DropDownBorderWidth() > 0 &&
                                FDadOrorUdur->DropDownBorderColor() != clNone;
        if (!FIsFooter) {
            C->MoveTo(R.Left, R.Bottom - 1);
            C->LineTo(R.Right, R.Bottom - 1);
            if (!PopupFrame) {
                C->MoveTo(R.Left, R.Bottom - 1);
                C->LineTo(R.Left, R.Top);
                C->LineTo(R.Right, R.Top);
                C->LineTo(R.Right, R.Bottom - 1);
            }
        } else {
            C->MoveTo(R.Left, R.Top);
            C->LineTo(R.Right, R.Top);
            if (!PopupFrame) {
                C->MoveTo(R.Left, R.Top);
                C->LineTo(R.Left, R.Bottom);
                C->LineTo(R.Right, R.Bottom);
                C->LineTo(R.Right, R.Top);
            }
        }
        C->Pen()->SetWidth(1);
        C->Pen()->SetColor(DadOrorUdur::BlendColor(A->BorderColor(), 0xFFFFFF, 20));
        C->Brush()->SetStyle(bsClear);
        if (FIsFooter)
            C->Rectangle(R.Left, R.Top + BW, R.Right, R.Bottom);
        else
            C->Rectangle(R.Left, R.Top, R.Right, R.Bottom - BW);
    }
    TRect T{R.Left + BW, R.Top + BW, R.Right - BW, R.Bottom - BW};
    if (A->ImageIndex() >= 0 && FImages) {
        const Integer X = T.Left + 4, Y = T.Top + (T.Height() - FImages->Height()) / 2;
        FImages->Draw(C, X, Y, A->ImageIndex(), true);
        T.Left = X + FImages->Width() + 4;
    }
    AnsiString S = A->Caption();
    if (OnGetText)
        OnGetText(this, S);
    if (!S.empty()) {
        if (FButtonControls.Count() > 0)
            T.Right = GetButtonsCoveredRect().Right;
        C->Font()->Assign(A->Font());
        AnsiString Anchor, Strip, Focus, Hint, CtrlID, CtrlVal, CtrlType;
        Integer XSize = 0, YSize = 0, Links = 0, MouseLink = 0;
        TRect MouseRect, CtrlRect;
        auto Html = [&](bool Measure) {
            HTMLDrawEx(C, S, T, FImages, 0, 0, -1, -1, 1, false, Measure, false, false, false, false, true,
                       false, 1.0, 0xFF0000, clNone, clNone, 0x808080, Anchor, Strip, Focus, Hint, XSize,
                       YSize, Links, MouseLink, MouseRect, CtrlRect, CtrlID, CtrlVal, CtrlType, nullptr,
                       nullptr, nullptr);
        };
        Html(true);
        if (YSize < T.Height())
            T.Top += (T.Height() - YSize) / 2;
        Html(false);
    }
    DrawExtras(R);
}

void TVadStrip::WndProc(TMessage& Message)
{
    TCustomControl::WndProc(Message);
    if (Message.Msg == WM_SIZE)
        ArrangeButtons();
}

// ---- Header ------------------------------------------------------------------------------------------

TVadHeader::TVadHeader(TComponent* AOwner)
    : TVadStrip(AOwner, std::make_unique<THeaderAppearance>(AOwner ? AOwner->Owner() : nullptr), false)
{
    FAppearance->OnButtonListChange = [this](TObject* Sender) { OnButtonsChanged(Sender); };
}

THeaderAppearance* TVadHeader::DropDownAppearance()
{
    return FDadOrorUdur ? FDadOrorUdur->DropDownHeader() : nullptr;
}

THeaderButtons* TVadHeader::Buttons()
{
    return FDadOrorUdur ? FDadOrorUdur->DropDownHeader()->Buttons() : nullptr;
}

// ---- Footer ------------------------------------------------------------------------------------------

TVadFooter::TVadFooter(TComponent* AOwner)
    : TVadStrip(AOwner, std::make_unique<TFooterAppearance>(AOwner ? AOwner->Owner() : nullptr), true)
{
}

THeaderAppearance* TVadFooter::DropDownAppearance()
{
    return FDadOrorUdur ? FDadOrorUdur->DropDownFooter() : nullptr;
}

TFooterButtons* TVadFooter::Buttons()
{
    return FDadOrorUdur ? FDadOrorUdur->DropDownFooter()->Buttons() : nullptr;
}

bool TVadFooter::HasSizeGrip()
{
    return Appearance()->SizeGrip() && FDadOrorUdur && FDadOrorUdur->DropDownSizeable();
}

TRect TVadFooter::GetButtonsRect()
{
    TRect R = TVadStrip::GetButtonsRect();
    if (HasSizeGrip())
        R.Right -= 12;
    return R;
}

void TVadFooter::DrawExtras(const TRect& R)
{
    if (HasSizeGrip()) {
        const Integer BW = FAppearance->BorderWidth();
        DrawSizeGrip(TRect{R.Right - BW - 16, 1, R.Right - BW - 1, R.Bottom});
    }
}

void TVadFooter::DrawSizeGrip(const TRect& G)
{
    static const Integer Squares[6][2] = {{5, 4}, {9, 4}, {13, 4}, {9, 8}, {13, 8}, {13, 12}};
    TCanvas* C = Canvas();
    auto Pass = [&](TColor Colour, Integer Shift) {
        C->Brush()->SetStyle(bsSolid);
        C->Brush()->SetColor(Colour);
        C->Pen()->SetWidth(1);
        C->Pen()->SetColor(Colour);
        for (const auto& S : Squares) {
            const Integer X = G.Left + S[0] - Shift, Y = G.Bottom - S[1] - Shift;
            C->FillRect(TRect{X, Y, X + 2, Y + 2});
        }
    };
    Pass(0xFFFFFF, 0);
    Pass(FAppearance->BorderColor(), 1);
}

bool TVadFooter::InGrip(Integer X, Integer Y)
{
    return HasSizeGrip() && Parent() && X > Width() - 12 && Y > Height() - 15;
}

void TVadFooter::RestoreCursor()
{
    if (Screen && Screen->Cursor() != FSavedCursor)
        Screen->SetCursor(FSavedCursor);
}

void TVadFooter::MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y)
{
    TVadStrip::MouseDown(Button, Shift, X, Y);
    if (Button == mbLeft && InGrip(X, Y)) {
        ReleaseCapture();
        SendMessage(Parent()->Handle(), WM_NCLBUTTONDOWN, HTBOTTOMRIGHT,
                    MAKELPARAM(ClientToScreen(TPoint{X, Y}).X, ClientToScreen(TPoint{X, Y}).Y));
    }
}

void TVadFooter::MouseMove(TShiftState Shift, Integer X, Integer Y)
{
    TVadStrip::MouseMove(Shift, X, Y);
    if (InGrip(X, Y))
        Screen->SetCursor(crSizeNWSE);
    else
        RestoreCursor();
}

void TVadFooter::MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y)
{
    TVadStrip::MouseUp(Button, Shift, X, Y);
    RestoreCursor();
}

void TVadFooter::WndProc(TMessage& Message)
{
    if (Message.Msg == CM_MOUSEENTER && Screen && Screen->Cursor() != crSizeNWSE)
        FSavedCursor = Screen->Cursor();
    if (Message.Msg == CM_MOUSELEAVE)
        RestoreCursor();
    TVadStrip::WndProc(Message);
}
