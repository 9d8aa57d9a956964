#include "dropdowns/ButtonPanel.h"

#include "dropdowns/DadOrorUdurDraw.h"

#include "platform/win/UxTheme.h"
#include "platform/win/Windows.h"

#include <algorithm>

namespace {

bool HasPicture(TPicture* P)
{
    return P && P->Graphic() && !P->Graphic()->Empty();
}

// The key text colour of special keys and the caption colour the calculator gives them.
constexpr TColor SpecialColour = 0x000080;

struct TCalculatorKey {
    const char* Caption;
    const char* KeyName;
    Integer Tag;
    bool Special;
    Integer Row, Column; // column -1, -2, -3: the three wide keys of the top row
};

constexpr TCalculatorKey CalculatorKeys[] = {
    {"", "BTN_ON", 30, false, 0, 0},   {"Back", "BTN_BACK", 31, true, 0, -1},
    {"CE", "BTN_CE", 32, true, 0, -2}, {"C", "BTN_C", 16, true, 0, -3},
    {"MC", "BTN_MC", 33, true, 1, 0},  {"MR", "BTN_MR", 34, true, 2, 0},
    {"MS", "BTN_MS", 35, true, 3, 0},  {"M+", "BTN_M+", 36, true, 4, 0},
    {"0", "BTN_0", 0, false, 4, 1},    {"1", "BTN_1", 1, false, 3, 1},
    {"4", "BTN_4", 4, false, 2, 1},    {"7", "BTN_7", 7, false, 1, 1},
    {"8", "BTN_8", 8, false, 1, 2},    {"5", "BTN_5", 5, false, 2, 2},
    {"2", "BTN_2", 2, false, 3, 2},    {"+/-", "BTN_+/-", 14, false, 4, 2},
    {".", "BTN_.", 15, false, 4, 3},   {"3", "BTN_3", 3, false, 3, 3},
    {"6", "BTN_6", 6, false, 2, 3},    {"9", "BTN_9", 9, false, 1, 3},
    {"/", "BTN_/", 13, true, 1, 4},    {"*", "BTN_*", 12, true, 2, 4},
    {"-", "BTN_-", 11, true, 3, 4},    {"+", "BTN_+", 10, true, 4, 4},
    {"=", "BTN_=", 17, true, 4, 5},    {"1/x", "BTN_1/x", 38, false, 3, 5},
    {"%", "BTN_%", 18, false, 2, 5},   {"sqrt", "BTN_sqrt", 37, true, 1, 5},
};
constexpr Integer CalculatorKeyCount = Integer(sizeof(CalculatorKeys) / sizeof(CalculatorKeys[0]));

} // namespace

// ---- Keys ------------------------------------------------------------------------------------------

TButtonItem::TButtonItem(TCollection* Collection)
    : TCollectionItem(Collection), FImage(std::make_unique<TPicture>())
{
}

TButtonItem::~TButtonItem() = default;

void TButtonItem::Assign(TPersistent* Source)
{
    auto* S = dynamic_cast<TButtonItem*>(Source);
    if (!S) {
        TCollectionItem::Assign(Source);
        return;
    }
    SetCaption(S->Caption());
    SetCaptionColor(S->CaptionColor());
    FTag = S->Tag();
    FImageIndex = S->ImageIndex();
    FImage->Assign(S->Image());
    Enabled = S->Enabled;
    KeyName = S->KeyName;
}

TButtonItems::TButtonItems(TPersistent* AOwner) : TCollection(ItemClassOf<TButtonItem>()), FOwner(AOwner) {}

// ---- Appearance ------------------------------------------------------------------------------------

TButtonAppearance::TButtonAppearance()
    : GlowColorHot(RGB(68, 194, 213)), GlowColorDown(RGB(68, 194, 213)), FBorderColorChecked(RGB(0, 0, 255)),
      FColor(RGB(95, 145, 154)), FColorTo(RGB(112, 161, 176)), FColorDown(RGB(8, 47, 75)),
      FColorDownTo(RGB(20, 181, 173)), FColorHot(RGB(28, 111, 159)), FColorHotTo(RGB(68, 194, 213)),
      FColorChecked(DadOrorUdur::BrightnessColor(RGB(225, 240, 245), -10, -10, 0)),
      FColorCheckedTo(DadOrorUdur::BrightnessColor(RGB(178, 210, 249), -10, -10, 0)),
      FColorDisabled(DadOrorUdur::BrightnessColor(0xFFFFFF, -5, -5, -5)),
      FColorDisabledTo(DadOrorUdur::BrightnessColor(0xFFFFFF, -5, -5, -5)), FFont(std::make_unique<TFont>())
{
    FFont->SetSize(10);
    FFont->SetStyle(TFontStyles{fsBold});
}

TButtonAppearance::~TButtonAppearance() = default;

void TButtonAppearance::Changed()
{
    if (OnChange)
        OnChange(this);
}

void TButtonAppearance::Assign(TPersistent* Source)
{
    auto* S = dynamic_cast<TButtonAppearance*>(Source);
    if (!S) {
        TPersistent::Assign(Source);
        return;
    }
    SetBorderColor(S->BorderColor());
    SetBorderColorHot(S->BorderColorHot());
    SetBorderColorDown(S->BorderColorDown());
    SetBorderColorChecked(S->BorderColorChecked());
    SetColor(S->Color());
    SetColorTo(S->ColorTo());
    SetColorDown(S->ColorDown());
    SetColorDownTo(S->ColorDownTo());
    SetColorHot(S->ColorHot());
    SetColorHotTo(S->ColorHotTo());
    SetColorChecked(S->ColorChecked());
    SetColorCheckedTo(S->ColorCheckedTo());
    SetColorDisabled(S->ColorDisabled());
    SetColorDisabledTo(S->ColorDisabledTo());
    GlowColorHot = S->GlowColorHot;
    GlowColorDown = S->GlowColorDown;
    SetShineColor(S->ShineColor());
    FFont->Assign(S->Font());
    SetTextColor(S->TextColor());
    SetSpecialTextColor(S->SpecialTextColor());
}

// ---- Panel -----------------------------------------------------------------------------------------

TCustomButtonPanel::TCustomButtonPanel(TComponent* AOwner)
    : TCustomControl(AOwner), FButtons(std::make_unique<TButtonItems>(this)),
      FButtonAppearance(std::make_unique<TButtonAppearance>())
{
    FButtons->OnChange = [this](TObject* Sender) { OnButtonsChanged(Sender); };
    FButtonAppearance->OnChange = [this](TObject* Sender) { OnButtonAppearanceChanged(Sender); };
    SetDoubleBuffered(true);
    // The platform counts as version 6.1: themed drawing is available when a theme is active.
    FThemedOS = true;
}

TCustomButtonPanel::~TCustomButtonPanel() = default;

void TCustomButtonPanel::OnButtonsChanged(TObject*)
{
    if (!FDadOrorUdur)
        Invalidate();
}

void TCustomButtonPanel::OnButtonAppearanceChanged(TObject*)
{
    if (!FDadOrorUdur)
        Invalidate();
}

void TCustomButtonPanel::Loaded()
{
    TCustomControl::Loaded();
    if (!FDadOrorUdur)
        Initialize();
}

void TCustomButtonPanel::Notification(TComponent* AComponent, TOperation Operation)
{
    TCustomControl::Notification(AComponent, Operation);
    if (Operation != opRemove || ComponentState().Contains(csDestroying))
        return;
    if (AComponent == FImages)
        SetImages(nullptr);
    if (AComponent == FEdit)
        SetEdit(nullptr);
}

void TCustomButtonPanel::SetButtonOffSetX(Integer Value)
{
    FButtonOffSetX = Value;
    ArrangeButtons();
}

void TCustomButtonPanel::SetButtonOffSetY(Integer Value)
{
    FButtonOffSetY = Value;
    ArrangeButtons();
}

void TCustomButtonPanel::SetImages(TCustomImageList* Value)
{
    FImages = Value;
    if (Value)
        Value->FreeNotification(this);
    ArrangeButtons();
}

void TCustomButtonPanel::SetCaptionGap(Integer Value)
{
    FCaptionGap = Value;
    ArrangeButtons();
}

void TCustomButtonPanel::SetEdit(TCustomEdit* Value)
{
    FEdit = Value;
    if (Value)
        Value->FreeNotification(this);
}

void TCustomButtonPanel::SetButtonPanelType(TButtonPanelType Value)
{
    FButtonPanelType = Value;
    ArrangeButtons();
}

void TCustomButtonPanel::ClearButtons()
{
    FButtons->Clear();
}

void TCustomButtonPanel::ReInitialize()
{
    ClearButtons();
    Initialize();
}

void TCustomButtonPanel::Initialize()
{
    if (FButtons->Count() > 0)
        return;
    if (FButtonPanelType == plCalculator) {
        for (const TCalculatorKey& K : CalculatorKeys) {
            TButtonItem* Item = FButtons->Add();
            Item->SetCaption(K.Caption);
            Item->KeyName = K.KeyName;
            Item->SetTag(K.Tag);
            if (K.Special) {
                Item->Special = true;
                Item->SetCaptionColor(SpecialColour);
            }
        }
    }
    ArrangeButtons();
}

void TCustomButtonPanel::GetInnerRect(TRect& R)
{
    R = ClientRect();
    R = TRect{R.Left + FPanelMarginX, R.Top + FPanelMarginY, R.Right - FPanelMarginX,
              R.Bottom - FPanelMarginY};
}

void TCustomButtonPanel::ArrangeButtons()
{
    // The calculator grid addresses its 28 keys by index: a collection that lacks some is left
    // as it is (as custom keys are) rather than failing on every resize.
    if (FButtonPanelType != plCalculator || FButtons->Count() < CalculatorKeyCount)
        return;
    TRect IR;
    GetInnerRect(IR);
    const Integer W = (IR.Width() - 8) / 6, H = (IR.Height() - 4) / 5;
    Integer Cols[6], Rows[5];
    Cols[0] = IR.Left;
    Cols[1] = Cols[0] + W + 4;
    Cols[2] = Cols[1] + W - 1;
    Cols[3] = Cols[2] + W - 1;
    Cols[4] = Cols[3] + W + 4;
    Cols[5] = Cols[4] + W - 1;
    const Integer E = Cols[5] + W;
    Rows[0] = IR.Top;
    Rows[1] = Rows[0] + H + 4;
    for (Integer R = 2; R < 5; ++R)
        Rows[R] = Rows[R - 1] + H - 1;
    const Integer X = Cols[0] + W + 4, W2 = (E - X - 8) / 3;
    for (Integer I = 0; I < CalculatorKeyCount; ++I) {
        TButtonItem* Item = FButtons->GetItem(I);
        const TCalculatorKey& K = CalculatorKeys[I];
        Item->Top = Rows[K.Row];
        Item->Height = H;
        if (K.Column >= 0) {
            Item->Left = Cols[K.Column];
            Item->Width = W;
        } else {
            Item->Left = X + (-K.Column - 1) * (W2 + 4);
            Item->Width = K.Column == -3 ? E - Item->Left : W2;
        }
    }
}

TRect TCustomButtonPanel::GetButtonRect(Integer Index) const
{
    if (!ValidIndex(Index))
        return TRect{-1, -1, -1, -1};
    return FButtons->GetItem(Index)->GetRect();
}

Integer TCustomButtonPanel::ButtonAtPos(Integer X, Integer Y) const
{
    for (Integer I = 0; I < FButtons->Count(); ++I) {
        const TRect R = FButtons->GetItem(I)->GetRect();
        if (X >= R.Left && X < R.Right && Y >= R.Top && Y < R.Bottom)
            return I;
    }
    return -1;
}

void TCustomButtonPanel::InvalidateButton(Integer Index)
{
    if (!ValidIndex(Index) || !HandleAllocated())
        return;
    const TRect K = GetButtonRect(Index);
    RECT R{K.Left - 8, K.Top - 8, K.Right + 8, K.Bottom + 8};
    InvalidateRect(Handle(), &R, TRUE);
}

void TCustomButtonPanel::SetButtonHot(Integer Index)
{
    if (Index == FButtonHot || (ValidIndex(Index) && !FButtons->GetItem(Index)->Enabled))
        return;
    if (FButtonHot >= 0) {
        const Integer Old = FButtonHot;
        FButtonHot = -1;
        InvalidateButton(Old);
    }
    FButtonHot = Index;
    if (Index >= 0 && HandleAllocated())
        DrawButton(Index, Canvas());
}

void TCustomButtonPanel::SetButtonDown(Integer Index)
{
    if (Index == FButtonDown || (ValidIndex(Index) && !FButtons->GetItem(Index)->Enabled))
        return;
    if (FButtonDown >= 0) {
        const Integer Old = FButtonDown;
        FButtonDown = -1;
        InvalidateButton(Old);
    }
    FButtonDown = Index;
    if (Index >= 0 && HandleAllocated())
        DrawButton(Index, Canvas());
}

void TCustomButtonPanel::ButtonClick(Integer Index)
{
    if (OnButtonClick)
        OnButtonClick(this, Index);
}

bool TCustomButtonPanel::DoVisualStyles() const
{
    return FThemedOS && IsThemeActive();
}

TSize TCustomButtonPanel::PictureSize(TButtonItem* Item) const
{
    if (HasPicture(Item->Image()))
        return TSize{Item->Image()->Graphic()->Width(), Item->Image()->Graphic()->Height()};
    if (FImages && Item->ImageIndex() >= 0)
        return TSize{FImages->Width(), FImages->Height()};
    return TSize{0, 0};
}

void TCustomButtonPanel::GetMaxButtonSize(TSize& Size)
{
    Integer PW = 0, PH = 0, CW = 0, CH = 0;
    Canvas()->Font()->Assign(Font());
    for (Integer I = 0; I < FButtons->Count(); ++I) {
        TButtonItem* Item = FButtons->GetItem(I);
        const TSize P = PictureSize(Item);
        PW = std::max(PW, Integer(P.cx));
        PH = std::max(PH, Integer(P.cy));
        if (!Item->Caption().empty()) {
            const TSize C = Canvas()->TextExtent(Item->Caption());
            CW = std::max(CW, Integer(C.cx));
            CH = std::max(CH, Integer(C.cy));
        }
    }
    const Integer Gap = PW > 0 && CW > 0 ? FCaptionGap : 0;
    if (FButtonLayout == ilCaptionLeft || FButtonLayout == ilCaptionRight)
        Size = TSize{2 * FButtonOffSetX + PW + Gap + CW, std::max(CH, PH) + 2 * FButtonOffSetY};
    else
        Size = TSize{std::max(CW, PW) + 2 * FButtonOffSetX, 2 * FButtonOffSetY + PH + Gap + CH};
}

void TCustomButtonPanel::DrawKeyFace(TButtonItem* Item, Integer Index, TCanvas* ACanvas, const TRect& R)
{
    ACanvas->FillRect(R);
    const Integer State = !Enabled() ? 4 : Index == FButtonDown ? 3 : Index == FButtonHot ? 2 : 1;
    if (DoVisualStyles()) {
        HTHEME Theme = OpenThemeData(Handle(), u"button");
        RECT Box = R;
        DrawThemeBackground(Theme, ACanvas->Handle(), 1, State, &Box, nullptr);
        CloseThemeData(Theme);
        return;
    }
    // No theme: a gradient in the appearance's colours for the state, framed.
    TButtonAppearance* A = FButtonAppearance.get();
    TColor From = A->Color(), To = A->ColorTo(), Border = A->BorderColor();
    if (State == 4 || !Item->Enabled)
        From = A->ColorDisabled(), To = A->ColorDisabledTo();
    else if (State == 3)
        From = A->ColorDown(), To = A->ColorDownTo(), Border = A->BorderColorDown();
    else if (State == 2)
        From = A->ColorHot(), To = A->ColorHotTo(), Border = A->BorderColorHot();
    DadOrorUdur::DrawGradient(ACanvas, From, To, 16, R, false);
    ACanvas->Brush()->SetStyle(bsClear);
    ACanvas->Pen()->SetColor(Border);
    ACanvas->Rectangle(R);
}

void TCustomButtonPanel::DrawButton(Integer Index, TCanvas* ACanvas)
{
    if (!ValidIndex(Index) || !ACanvas)
        return;
    TButtonItem* Item = FButtons->GetItem(Index);
    const TRect R = Item->GetRect();
    if (R.Left < 0 && R.Right < 0)
        return;
    DrawKeyFace(Item, Index, ACanvas, R);

    const TSize PS = PictureSize(Item);
    const Integer PW = PS.cx, PH = PS.cy;
    const UINT Align = PW > 0 ? DT_LEFT : DT_CENTER;
    TRect T{R.Left + FButtonOffSetX, R.Top + FButtonOffSetY, R.Right - FButtonOffSetX,
            R.Bottom - FButtonOffSetY};
    TRect P = T;
    ACanvas->Font()->Assign(FButtonAppearance->Font());
    ACanvas->Font()->SetColor(Item->Special ? FButtonAppearance->SpecialTextColor()
                                            : FButtonAppearance->TextColor());
    ACanvas->Brush()->SetStyle(bsClear);
    const AnsiString& Caption = Item->Caption();
    auto DrawCaption = [&](UINT Flags) {
        if (Caption.empty())
            return;
        RECT Box = T;
        SetBkMode(ACanvas->Handle(), TRANSPARENT);
        DrawText(ACanvas->Handle(), Caption.c_str(), int(Caption.size()), &Box, Flags | DT_SINGLELINE);
    };
    auto DrawPicture = [&](Integer X, Integer Y) {
        if (HasPicture(Item->Image()))
            ACanvas->Draw(X, Y, Item->Image()->Graphic());
        else if (FImages && Item->ImageIndex() >= 0)
            FImages->Draw(ACanvas, X, Y, Item->ImageIndex(), Item->Enabled);
    };
    const bool HasCaption = !Caption.empty();
    const TSize CS = HasCaption ? ACanvas->TextExtent(Caption) : TSize{0, 0};
    switch (FButtonLayout) {
    case ilCaptionLeft:
        if (HasCaption) {
            T.Right -= PW;
            DrawCaption(Align | DT_VCENTER);
            P.Left = T.Left + CS.cx + FCaptionGap;
        }
        DrawPicture(P.Left, P.Top + (P.Height() - PH) / 2);
        break;
    case ilCaptionRight:
        DrawPicture(P.Left, P.Top + (P.Height() - PH) / 2);
        if (PW > 0)
            T.Left = P.Left + PW + FCaptionGap;
        DrawCaption(Align | DT_VCENTER);
        break;
    case ilCaptionTop:
        if (HasCaption) {
            T.Bottom -= PH;
            DrawCaption(DT_CENTER);
            P.Top = T.Top + CS.cy + FCaptionGap;
        } else {
            P.Top += (P.Height() - PH) / 2;
        }
        DrawPicture(P.Left, P.Top);
        break;
    case ilCaptionBottom:
        if (!HasCaption)
            P.Top += (P.Height() - PH) / 2;
        DrawPicture(P.Left, P.Top);
        if (PW > 0)
            T.Top = P.Top + PH + FCaptionGap;
        DrawCaption(DT_CENTER);
        break;
    }
}

void TCustomButtonPanel::DrawButtons(TCanvas* ACanvas, bool IncludeHot)
{
    for (Integer I = 0; I < FButtons->Count(); ++I)
        if (IncludeHot || I != FButtonHot)
            DrawButton(I, ACanvas);
}

void TCustomButtonPanel::Paint()
{
    TCustomControl::Paint();
    Canvas()->Brush()->SetColor(Color());
    Canvas()->Brush()->SetStyle(bsSolid);
    Canvas()->FillRect(ClientRect());
    if (!FDadOrorUdur) {
        Canvas()->Brush()->SetStyle(bsClear);
        Canvas()->Pen()->SetColor(0x000000);
        Canvas()->Rectangle(ClientRect());
    }
    Canvas()->Brush()->SetStyle(bsSolid);
    Canvas()->Brush()->SetColor(Color());
    DrawButtons(Canvas(), false);
    if (FButtonHot >= 0)
        DrawButton(FButtonHot, Canvas());
}

void TCustomButtonPanel::MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y)
{
    TCustomControl::MouseDown(Button, Shift, X, Y);
    const Integer Index = ButtonAtPos(X, Y);
    if (Index >= 0 && FButtons->GetItem(Index)->Enabled)
        SetButtonDown(Index);
}

void TCustomButtonPanel::MouseMove(TShiftState Shift, Integer X, Integer Y)
{
    TCustomControl::MouseMove(Shift, X, Y);
    Integer Index = ButtonAtPos(X, Y);
    if (Index >= 0 && !FButtons->GetItem(Index)->Enabled)
        Index = -1;
    if (Index != FButtonHot)
        SetButtonHot(Index);
}

void TCustomButtonPanel::MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y)
{
    TCustomControl::MouseUp(Button, Shift, X, Y);
    if (FButtonDown < 0)
        return;
    const Integer Pressed = FButtonDown;
    const Integer Counted = ButtonAtPos(X, Y) == Pressed ? Pressed : -1;
    SetButtonDown(-1);
    if (Counted >= 0)
        ButtonClick(Counted);
}

void TCustomButtonPanel::WndProc(TMessage& Message)
{
    TCustomControl::WndProc(Message);
    if (Message.Msg == WM_SIZE)
        ArrangeButtons();
    else if (Message.Msg == CM_MOUSELEAVE)
        SetButtonHot(-1);
}
