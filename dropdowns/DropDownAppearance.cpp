#include "dropdowns/DropDownAppearance.h"

#include <typeinfo>

// ---- Header and footer buttons ----------------------------------------------------------------

void THeaderButton::PropChanged()
{
    if (auto* Buttons = dynamic_cast<THeaderButtons*>(Collection()))
        Buttons->Change();
}

void THeaderButton::SetCaption(const AnsiString& Value)
{
    if (FCaption != Value) {
        FCaption = Value;
        PropChanged();
    }
}

void THeaderButton::SetEnabled(bool Value)
{
    if (FEnabled != Value) {
        FEnabled = Value;
        PropChanged();
    }
}

void THeaderButton::SetWidth(Integer Value)
{
    if (FWidth != Value) {
        FWidth = Value;
        PropChanged();
    }
}

void THeaderButton::Assign(TPersistent* Source)
{
    auto* B = dynamic_cast<THeaderButton*>(Source);
    if (!B || typeid(*B) != typeid(*this)) {
        TCollectionItem::Assign(Source);
        return;
    }
    SetCaption(B->Caption());
    FImageIndex = B->ImageIndex();
    SetEnabled(B->Enabled());
    SetWidth(B->Width());
    SerHeight(B->Height());
}

void TFooterButton::Assign(TPersistent* Source)
{
    THeaderButton::Assign(Source);
    if (auto* B = dynamic_cast<TFooterButton*>(Source))
        FModalResult = B->ModalResult();
}

THeaderButtons::THeaderButtons(TPersistent* AOwner) : THeaderButtons(AOwner, ItemClassOf<THeaderButton>()) {}

THeaderButtons::THeaderButtons(TPersistent* AOwner, TCollectionItemClass ItemClass)
    : TCollection(std::move(ItemClass)), FOwner(AOwner)
{
}

void THeaderButtons::Change()
{
    if (OnChange)
        OnChange(this);
}

void THeaderButtons::Update(TCollectionItem* Item)
{
    TCollection::Update(Item);
    Change();
}

TFooterButtons::TFooterButtons(TPersistent* AOwner) : THeaderButtons(AOwner, ItemClassOf<TFooterButton>()) {}

// ---- Header and footer appearances --------------------------------------------------------------

THeaderAppearance::THeaderAppearance(TPersistent* AOwner)
    : THeaderAppearance(AOwner, std::make_unique<THeaderButtons>(AOwner))
{
    FFont->SetName("Tahoma");
}

THeaderAppearance::THeaderAppearance(TPersistent* AOwner, std::unique_ptr<THeaderButtons> Buttons)
    : FOwner(AOwner), FFont(std::make_unique<TFont>()), FButtons(std::move(Buttons))
{
    FButtons->OnChange = [this](TObject* Sender) { OnButtonChanged(Sender); };
}

THeaderAppearance::~THeaderAppearance() = default;

void THeaderAppearance::Changed()
{
    if (OnChange)
        OnChange(this);
}

void THeaderAppearance::OnButtonChanged(TObject*)
{
    if (OnButtonListChange)
        OnButtonListChange(this);
}

void THeaderAppearance::SetVisible(bool Value)
{
    if (FVisible != Value) {
        FVisible = Value;
        Changed();
    }
}

void THeaderAppearance::AssignColors(THeaderAppearance* Source)
{
    if (!Source || typeid(*Source) != typeid(*this))
        return;
    FColorTo = Source->ColorTo();
    FColor = Source->Color();
    FBorderColor = Source->BorderColor();
    FFont->Assign(Source->Font());
    FGradientDirection = Source->GradientDirection();
}

void THeaderAppearance::Assign(TPersistent* Source)
{
    auto* S = dynamic_cast<THeaderAppearance*>(Source);
    if (!S || typeid(*S) != typeid(*this))
        return; // only appearances of the same kind copy
    FColorTo = S->FColorTo;
    FColor = S->FColor;
    FCaption = S->FCaption;
    FFont->Assign(S->FFont.get());
    FGradientDirection = S->FGradientDirection;
    FHeight = S->FHeight;
    FBorderColor = S->FBorderColor;
    FBorderWidth = S->FBorderWidth;
    FImageIndex = S->FImageIndex;
    if (auto* F = dynamic_cast<TFooterAppearance*>(this))
        F->SetSizeGrip(static_cast<TFooterAppearance*>(S)->SizeGrip());
    SetVisible(S->FVisible);
    FButtonAlignment = S->FButtonAlignment;
    FButtons->Assign(S->FButtons.get());
}

TFooterAppearance::TFooterAppearance(TPersistent* AOwner)
    : THeaderAppearance(AOwner, std::make_unique<TFooterButtons>(AOwner))
{
    FButtons->OnChange = [this](TObject* Sender) { OnButtonsChange(Sender); };
}

// ---- Button appearance ------------------------------------------------------------------------------

TVadButtonAppearance::TVadButtonAppearance() : FFont(std::make_unique<TFont>())
{
    FFont->SetName("Tahoma");
}

TVadButtonAppearance::~TVadButtonAppearance() = default;

void TVadButtonAppearance::Changed()
{
    if (OnChange)
        OnChange(this);
}

void TVadButtonAppearance::SetGradient(TGradientDirection Value)
{
    if (FGradient != Value) {
        FGradient = Value;
        Changed();
    }
}

void TVadButtonAppearance::Assign(TPersistent* Source)
{
    auto* S = dynamic_cast<TVadButtonAppearance*>(Source);
    if (!S) {
        TPersistent::Assign(Source);
        return;
    }
    SetBorderColor(S->BorderColor());
    SetBorderColorHot(S->BorderColorHot());
    SetBorderColorDown(S->BorderColorDown());
    SetBorderColorDisabled(S->BorderColorDisabled());
    SetBorderColorChecked(S->BorderColorChecked());
    SetColor(S->Color());
    SetColorTo(S->ColorTo());
    SetColorHot(S->ColorHot());
    SetColorHotTo(S->ColorHotTo());
    SetColorDown(S->ColorDown());
    SetColorDownTo(S->ColorDownTo());
    SetColorChecked(S->ColorChecked());
    SetColorCheckedTo(S->ColorCheckedTo());
    SetColorDisabled(S->ColorDisabled());
    SetColorDisabledTo(S->ColorDisabledTo());
    SetGradient(S->Gradient());
}
