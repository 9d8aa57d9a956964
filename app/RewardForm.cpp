#include "app/RewardForm.h"

#include "app/FormActions.h"
#include "app/Glyphs.h"
#include "app/YesNoForm.h"
#include "platform/rtl/Conversions.h"
#include "platform/rtl/Strings.h"

namespace {

constexpr TColor FocusColour = 8253677;

} // namespace

TRewardForm::TRewardForm(TComponent* AOwner) : TForm(AOwner)
{
    SetCaption("Prize Record");
    SetPosition(poDesktopCenter);
    SetBounds(0, 0, 800, 600);
    Font()->SetName("細明體");
    Font()->SetHeight(-16);
    SetShowHint(true);

    ActionList1 = New<TActionList>(this);
    saveAction = MakeFormAction(this, ActionList1, "saveAction", "Save F4", "Save ", VK_F4,
                                [this](TObject* S) { saveActionExecute(S); });
    exitAction = MakeFormAction(this, ActionList1, "exitAction", "Cancel Esc", "Cancel", VK_ESCAPE,
                                [this](TObject* S) { exitActionExecute(S); });

    auto MakeLine = [this](int Top, const char* LabelName, const char* Caption, const char* EditName,
                           TLabel*& LabelOut) {
        auto* L = New<TLabel>(this);
        L->SetName(LabelName);
        L->SetParent(this);
        L->SetAutoSize(false);
        L->SetAlignment(taRightJustify);
        L->SetBounds(150, Top + 4, 220, 20);
        L->SetCaption(Caption);
        LabelOut = L;
        auto* E = New<TZelEdit>(this);
        E->SetName(EditName);
        E->SetParent(this);
        E->SetBounds(384, Top, 113, 26);
        E->SetColor(clWhite);
        E->SetColorOnFocus(FocusColour);
        E->OnKeyPress = [this](TObject* S, WideChar& K) { idKeyPress(S, K); };
        return E;
    };
    name = MakeLine(70, "nameLabel", "Prize:", "name", nameLabel);
    quantity = MakeLine(126, "quantityLabel", "Quantity:", "quantity", quantityLabel);
    quantity->SetText("1");

    Panel1 = New<TPanel>(this);
    Panel1->SetName("Panel1");
    Panel1->SetParent(this);
    Panel1->SetAlign(alBottom);
    Panel1->SetHeight(61);
    Panel1->SetBevelOuter(bvLowered);
    Panel1->SetCaption("");
    auto MakeButton = [this](const char* Name, TAction* Action, TGlyphKind Glyph) {
        auto* B = MakeGlyphButton(this, Panel1, Name, Action, Glyph);
        B->SetWidth(100);
        B->SetAlign(alRight);
        return B;
    };
    // Aligned right in creation order: the first one stays at the far right.
    cancelButton = MakeButton("cancelButton", exitAction, gkCancel);
    saveButton = MakeButton("saveButton", saveAction, gkStart);
    saveButton->SetLeft(cancelButton->Left() - 100);
    // The keys follow the panel from left to right: after the quantity, Enter reaches Save.
    saveButton->SetTabOrder(0);
    cancelButton->SetTabOrder(1);

    name->SetTabOrder(0);
    quantity->SetTabOrder(1);
    Panel1->SetTabOrder(2);
}

void TRewardForm::saveActionExecute(TObject*)
{
    if (Trim(name->Text()).empty()) {
        showInformation("Please enter prize.", this);
        return;
    }
    SetModalResult(1);
}

void TRewardForm::exitActionExecute(TObject*)
{
    SetModalResult(2);
}

void TRewardForm::idKeyPress(TObject* Sender, WideChar& Key)
{
    if (Key != '\r' && Key != '\t')
        return;
    Key = 0;
    SelectNext(dynamic_cast<TWinControl*>(Sender), true, true);
}

void TRewardForm::Fill(const TPrizeStock& Prize)
{
    name->SetText(Prize.Name);
    quantity->SetText(IntToStr(Prize.Quantity));
}

void TRewardForm::Read(TPrizeStock& Prize) const
{
    const Integer Q = StrToInt(quantity->Text());
    Prize.Name = name->Text();
    Prize.Quantity = Q;
}
