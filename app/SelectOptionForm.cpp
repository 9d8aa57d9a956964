#include "app/SelectOptionForm.h"

#include "app/DrawBoard.h"
#include "app/FormActions.h"
#include "app/Glyphs.h"
#include "app/YesNoForm.h"
#include "platform/rtl/Conversions.h"

namespace {

constexpr TColor FocusColour = 8253677;
constexpr TColor ReadOnlyColour = 8454143;

} // namespace

TSelectOptionForm::TSelectOptionForm(TComponent* AOwner) : TForm(AOwner)
{
    SetCaption("Option Record");
    SetPosition(poDesktopCenter);
    SetBounds(0, 0, 800, 600);
    Font()->SetName("細明體");
    Font()->SetHeight(-16);
    SetShowHint(true);

    ActionList1 = New<TActionList>(this);
    saveAction = MakeFormAction(this, ActionList1, "saveAction", "Start F4", "Start", VK_F4,
                                [this](TObject* S) { saveActionExecute(S); });
    exitAction = MakeFormAction(this, ActionList1, "exitAction", "Cancel Esc", "Cancel", VK_ESCAPE,
                                [this](TObject* S) { exitActionExecute(S); });

    // One line per entry: the label right-aligned before its box.
    int Line = 0;
    auto MakeLine = [this, &Line](const char* LabelName, const char* Caption, const char* EditName,
                                  const char* Text, TLabel*& LabelOut) {
        const int Top = 70 + Line * 56;
        ++Line;
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
        E->SetBounds(384, Top, 121, 26);
        E->SetColorOnFocus(FocusColour);
        E->SetColor(clWhite);
        E->SetText(Text);
        return E;
    };
    quantity = MakeLine("quantityLabel", "Prize Quantity:", "quantity", "", quantityLabel);
    quantity->SetReadOnly(true);
    quantity->SetColor(ReadOnlyColour);
    person = MakeLine("personLabel", "Person:", "person", "", personLabel);
    row = MakeLine("rowLabel", "Row:", "row", "5", rowLabel);
    col = MakeLine("colLabel", "Column:", "col", "5", colLabel);
    noReward = MakeLine("noRewardLabel", "No prize string:", "noReward", "No prize", noRewardLabel);

    showGift = New<TCheckBox>(this);
    showGift->SetName("showGift");
    showGift->SetParent(this);
    showGift->SetBounds(384, 70 + Line * 56, 300, 24);
    showGift->SetCaption("Show prize and person left");
    showGift->SetChecked(true);

    Panel1 = New<TPanel>(this);
    Panel1->SetName("Panel1");
    Panel1->SetParent(this);
    Panel1->SetAlign(alBottom);
    Panel1->SetHeight(61);
    Panel1->SetBevelOuter(bvLowered);
    Panel1->SetCaption("");
    auto MakeButton = [this](const char* Name, TAction* Action, TGlyphKind Glyph) {
        return MakeGlyphButton(this, Panel1, Name, Action, Glyph);
    };
    cancelButton = MakeButton("cancelButton", exitAction, gkCancel);
    cancelButton->SetWidth(119);
    cancelButton->SetAlign(alRight);
    startButton = MakeButton("startButton", saveAction, gkStart);
    startButton->SetAlign(alClient);
    startButton->SetTabOrder(0);
    cancelButton->SetTabOrder(1);

    Panel1->SetTabOrder(0);
    person->SetTabOrder(1);
    showGift->SetTabOrder(2);
    quantity->SetTabOrder(3);
    row->SetTabOrder(4);
    col->SetTabOrder(5);
    noReward->SetTabOrder(6);

    TDrawOptions Stored;
    if (DrawStore()->LoadOptions(Stored)) {
        person->SetText(IntToStr(Stored.Person));
        row->SetText(IntToStr(Stored.Row));
        col->SetText(IntToStr(Stored.Col));
        noReward->SetText(Stored.NoReward);
        showGift->SetChecked(Stored.ShowGift);
    }

    OnClose = [this](TObject* S, TCloseAction& A) { FormClose(S, A); };
}

void TSelectOptionForm::Refuse(const AnsiString& Message, TZelEdit* Field)
{
    showInformation(Message, this);
    if (Field->CanFocus())
        Field->SetFocus();
}

void TSelectOptionForm::saveActionExecute(TObject*)
{
    Integer Persons = 0, Rows = 0, Cols = 0;
    Int64 Quantity = 0; // a total beyond 32 bits is still a total: no board is that large
    if (!TryStrToInt(person->Text(), Persons) || Persons <= 0 || Persons > TDrawBoard::MaxPersons) {
        Refuse("Please enter person.", person);
        return;
    }
    if (!TryStrToInt(row->Text(), Rows) || !TryStrToInt(col->Text(), Cols) ||
        !TryStrToInt64(quantity->Text(), Quantity)) {
        Refuse("Please enter person.", person);
        return;
    }
    // The board needs a cell per entry of at least one row and one column, and no more than
    // it can lay out.
    if (Rows < 1 || Rows > TDrawBoard::MaxRows) {
        Refuse("Please enter row.", row);
        return;
    }
    if (Cols < 1 || Cols > TDrawBoard::MaxCols) {
        Refuse("Please enter column.", col);
        return;
    }
    const std::int64_t Cells = std::int64_t(Rows) * Cols;
    if (Cells <= Quantity) {
        Refuse("RowXColumn=" + IntToStr(static_cast<long long>(Cells)) +
                   " must be greater than prize quantity.",
               row);
        return;
    }
    SetModalResult(1);
}

void TSelectOptionForm::exitActionExecute(TObject*)
{
    SetModalResult(2);
}

bool TSelectOptionForm::ReadEntries(TDrawOptions& Options)
{
    if (!TryStrToInt(person->Text(), Options.Person) || !TryStrToInt(row->Text(), Options.Row) ||
        !TryStrToInt(col->Text(), Options.Col))
        return false;
    Options.ShowGift = showGift->Checked();
    Options.NoReward = noReward->Text();
    return true;
}

TDrawOptions TSelectOptionForm::EnteredOptions()
{
    TDrawOptions O;
    ReadEntries(O);
    return O;
}

void TSelectOptionForm::FormClose(TObject*, TCloseAction&)
{
    // Every close stores the entries, started or not. Entries that are not numbers cannot be
    // stored: the stored options stay as they were and the window closes all the same.
    TDrawOptions O;
    if (ReadEntries(O))
        DrawStore()->ReplaceOptions(O);
}
