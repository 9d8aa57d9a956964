#include "dropdowns/RozUvodudIvavAvuv.h"

#include "dropdowns/DropDownCompletion.h"

#include "RudUvud/support/Daehtmle.h"
#include "platform/win/Colors.h"
#include "platform/win/Windows.h"

#include <algorithm>

namespace {

bool HasGraphic(TPicture* P)
{
    return P && P->Graphic() && !P->Graphic()->Empty();
}

} // namespace

// ---- Items -------------------------------------------------------------------------------------------

TDetailItem::TDetailItem(TCollection* Collection)
    : TCollectionItem(Collection), FImage(std::make_unique<TPicture>())
{
}

TDetailItem::~TDetailItem() = default;

void TDetailItem::SetCaption(const AnsiString& Value)
{
    if (FCaption != Value) {
        FCaption = Value;
        Changed(false);
    }
}

void TDetailItem::SetImageIndex(Integer Value)
{
    if (FImageIndex != Value) {
        FImageIndex = Value;
        Changed(false);
    }
}

void TDetailItem::Assign(TPersistent* Source)
{
    auto* S = dynamic_cast<TDetailItem*>(Source);
    if (!S) {
        TCollectionItem::Assign(Source);
        return;
    }
    SetCaption(S->Caption());
    SetImageIndex(S->ImageIndex());
    FImage->Assign(S->Image());
    // The notes too: copying the items must not lose them.
    FNotes = S->Notes();
}

TDetailItems::TDetailItems(TPersistent* AOwner) : TCollection(ItemClassOf<TDetailItem>()), FOwner(AOwner) {}

void TDetailItems::Change()
{
    if (OnChange)
        OnChange(this);
}

void TDetailItems::Update(TCollectionItem* Item)
{
    TCollection::Update(Item);
    Change();
}

Integer TDetailItems::IndexOf(const AnsiString& S) const
{
    for (Integer I = 0; I < Count(); ++I)
        if (Items(I)->Caption() == S)
            return I;
    return -1;
}

// ---- Picker ------------------------------------------------------------------------------------------

TRozUvodudIvavAvuv::TRozUvodudIvavAvuv(TComponent* AOwner)
    : TDizEveverAvivIzar(AOwner), FItems(std::make_unique<TDetailItems>(this)),
      FItemAppearance(std::make_unique<TItemAppearance>(this)), FCaptionFont(std::make_unique<TFont>()),
      FNotesFont(std::make_unique<TFont>())
{
}

TRozUvodudIvavAvuv::~TRozUvodudIvavAvuv()
{
    if (FKeyTimer) {
        FKeyTimer->SetEnabled(false);
        FKeyTimer->OnTimer = nullptr;
    }
    if (FSelector) {
        FSelector->OnItemSelect = nullptr;
        FSelector->OnDrawItem = nullptr;
        FSelector->OnItemSize = nullptr;
        FSelector->OnResize = nullptr;
    }
    FItems->OnChange = nullptr;
}

void TRozUvodudIvavAvuv::AfterConstruction()
{
    TDizEveverAvivIzar::AfterConstruction();
    FItems->OnChange = [this](TObject* Sender) { OnItemsChanged(Sender); };
    FItemIndex = -1;
    FDropIndex = -1;
    FLayout = ilCaptionRight;
    SetAutoSize(false);
    SetEditorEnabled(true);
    SetDropDownEnabled(true);
    FTypeAhead.clear();
    FKeyTimer = New<TTimer>(this);
    FKeyTimer->SetEnabled(false);
    FKeyTimer->SetInterval(500);
    FKeyTimer->OnTimer = [this](TObject* Sender) { OnKeyTimerTime(Sender); };
    FItemHeight = 22;
    FCaptionFont->Assign(Font());
    FNotesFont->Assign(Font());
    FAutoComplete = true;
}

void TRozUvodudIvavAvuv::Notification(TComponent* AComponent, TOperation Operation)
{
    TDizEveverAvivIzar::Notification(AComponent, Operation);
    if (Operation != opRemove)
        return;
    if (AComponent == FSelector)
        FSelector = nullptr;
    if (AComponent == FKeyTimer)
        FKeyTimer = nullptr;
}

// ---- Popup -------------------------------------------------------------------------------------------

void TRozUvodudIvavAvuv::CreateDropDownForm()
{
    TDizEveverAvivIzar::CreateDropDownForm();
    if (!DropDownForm())
        return;
    // The popup takes the size of the selector, header and footer; a scroll bar it showed while
    // they did not fit yet would take room from the client and leave them aligned above it.
    DropDownForm()->SetAutoScroll(false);
    if (!FSelector) {
        FSelector = New<TVadCustomItemSelector>(this);
        FSelector->SetParent(DropDownForm());
        FSelector->SetSelectorType(stImage);
        FSelector->SetBounds(0, 0, FSelector->Width(), 150);
        FSelector->SetDoubleBuffered(true);
        FSelector->OnDrawItem = [this](TObject* Sender, TCanvas* Canvas, TRect R, Integer Index) {
            DrawItem(Sender, Canvas, R, Index);
        };
        FSelector->OnItemSize = [this](TObject* Sender, TSize& Size) { ItemSize(Sender, Size); };
        FSelector->UpdateSelectorPanel();
        FSelector->OnResize = [this](TObject* Sender) { DropDownResize(Sender); };
    }
    FSelector->SetColor(DropDownColor());
    FSelector->UpdateSelectorPanel();
    SetControl(FSelector);
}

void TRozUvodudIvavAvuv::BeforeDropDown()
{
    TDizEveverAvivIzar::BeforeDropDown();
    SetSelectorProperties();
    FDropIndex = FItemIndex;
}

void TRozUvodudIvavAvuv::AssignedItemsToItemSelector()
{
    if (!FSelector)
        return;
    TSelectorItems* Target = FSelector->Items();
    // One layout at the end instead of one per item.
    Target->BeginUpdate();
    try {
        Target->Clear();
        for (Integer I = 0; I < FItems->Count(); ++I) {
            TDetailItem* Item = FItems->Items(I);
            TSelectorItem* S = Target->Add();
            S->SetCaption(Item->Caption());
            S->SetImage(Item->Image());
            S->SetImageIndex(Item->ImageIndex());
        }
    } catch (...) {
        Target->EndUpdate();
        throw;
    }
    Target->EndUpdate();
}

void TRozUvodudIvavAvuv::SetSelectorProperties()
{
    if (!FSelector)
        return;
    FSelector->OnItemSelect = nullptr;
    FSelector->SetColumns(1);
    FSelector->SetImages(Images());
    FSelector->SetItemLayout(FLayout);
    FSelector->SetColor(DropDownColor());
    FSelector->ItemAppearance()->Assign(FItemAppearance.get());
    AssignedItemsToItemSelector();
    FSelector->UpdateSelectorPanel();
    FSelector->SetItemIndex(FItemIndex);
    FSelector->OnItemSelect = [this](TObject* Sender) { OnSelectorItemSelect(Sender); };
}

void TRozUvodudIvavAvuv::UpdateDropDownSize()
{
    if (FSelector) {
        FSelector->SetAlign(alNone);
        if (DropDownWidth() <= 0)
            FSelector->SetWidth(Width());
        if (DropDownHeight() <= 0)
            FSelector->SetHeight(100);
    }
    TDizEveverAvivIzar::UpdateDropDownSize();
}

void TRozUvodudIvavAvuv::ItemSize(TObject*, TSize& Size)
{
    Integer W = DropDownWidth() > 0 ? DropDownWidth() : (DropDownForm() ? DropDownForm()->Width() : Width());
    if (FSelector && FSelector->VertScrollBar()->IsScrollBarVisible())
        W -= GetSystemMetrics(SM_CXVSCROLL);
    W -= 2 * GetSystemMetrics(SM_CXBORDER) + 4;
    Size = TSize{W, FItemHeight};
}

void TRozUvodudIvavAvuv::DropDownResize(TObject*)
{
    if (FSelector)
        FSelector->UpdateSelectorPanel();
}

void TRozUvodudIvavAvuv::OnDropDownSizing()
{
    TDizEveverAvivIzar::OnDropDownSizing();
    if (FSelector)
        FSelector->UpdateSelectorPanel();
}

void TRozUvodudIvavAvuv::DoHideDropDown(bool Cancelled)
{
    TDizEveverAvivIzar::DoHideDropDown(Cancelled);
    if (Cancelled && FSelector && FDropIndex != -1)
        SetItemIndex(FDropIndex);
}

// ---- Rows ----------------------------------------------------------------------------------------

void TRozUvodudIvavAvuv::DrawItem(TObject*, TCanvas* Canvas, TRect R, Integer Index)
{
    if (OnDrawSelectedImage) {
        OnDrawSelectedImage(this, Canvas, R);
        return;
    }
    if (Index < 0 || Index >= FItems->Count())
        return;
    TDetailItem* Item = FItems->Items(Index);
    const AnsiString& S = Item->Caption();
    const TRect Row = R;
    // The box left of the caption, or centred in the row when there is no caption.
    auto Box = [&](Integer W, Integer H, auto&& Draw) {
        const Integer X = S.empty() ? (R.Width() - W) / 2 : 2;
        Draw(R.Left + X, R.Top + (R.Height() - H) / 2);
        R.Left += W + 4;
    };
    if (HasGraphic(Item->Image())) {
        TGraphic* G = Item->Image()->Graphic();
        if (auto* B = dynamic_cast<TBitmap*>(G))
            B->SetTransparent(true);
        Box(G->Width(), G->Height(), [&](Integer X, Integer Y) { Canvas->Draw(X, Y, G); });
    } else if (Images() && Item->ImageIndex() >= 0) {
        Box(Images()->Width(), Images()->Height(),
            [&](Integer X, Integer Y) { Images()->Draw(Canvas, X, Y, Item->ImageIndex(), true); });
    }
    auto TextColour = [&](TFont* F) {
        Canvas->Font()->Assign(F);
        if (FSelector && Index == FSelector->GetItemHot())
            Canvas->Font()->SetColor(FItemAppearance->ColorHotText);
        if (Index == FItemIndex)
            Canvas->Font()->SetColor(FItemAppearance->ColorSelectedText);
    };
    TextColour(FCaptionFont.get());
    Canvas->Brush()->SetStyle(bsClear);
    R.Left += 4;
    R.Top += 2;
    R.Right -= 4;
    HDC DC = Canvas->Handle();
    SetBkMode(DC, TRANSPARENT);
    RECT Box_ = R;
    DrawText(DC, S.c_str(), int(S.size()), &Box_, DT_LEFT | DT_TOP | DT_SINGLELINE | DT_END_ELLIPSIS);
    if (Item->Notes().empty())
        return;
    R.Top += Canvas->TextHeight("gh");
    TextColour(FNotesFont.get());
    // Notes taller than the row are cut at its bottom.
    const int Saved = SaveDC(DC);
    IntersectClipRect(DC, Row.Left, Row.Top, Row.Right, Row.Bottom);
    AnsiString Anchor, Strip, FocusAnchor, AnchorHint, CtrlID, CtrlVal, CtrlType;
    Integer XSize = 0, YSize = 0, HyperLinks = 0, MouseLink = 0;
    TRect MouseRect, CtrlRect;
    HTMLDrawEx(Canvas, Item->Notes(), R, Images(), -1, -1, -1, -1, 2, false, false, false, false, false,
               false, true, false, 1.0, clBlue, clNone, clNone, clGray, Anchor, Strip, FocusAnchor,
               AnchorHint, XSize, YSize, HyperLinks, MouseLink, MouseRect, CtrlRect, CtrlID, CtrlVal,
               CtrlType, nullptr, nullptr, nullptr);
    RestoreDC(DC, Saved);
}

// ---- Selection -----------------------------------------------------------------------------------

void TRozUvodudIvavAvuv::ChooseItem(Integer Value)
{
    FItemIndex = Value;
    SetText(Value >= 0 ? FItems->Items(Value)->Caption() : AnsiString());
    SetSelStart(Integer(Prefix().size()));
    SetSelLength(Integer(Text().size()));
    Invalidate();
    if (FSelector)
        FSelector->Invalidate();
    if (OnSelect)
        OnSelect(this);
}

void TRozUvodudIvavAvuv::SetItemIndex(Integer Value)
{
    Value = std::max(Value, -1);
    if (Value == FItemIndex || Value >= FItems->Count())
        return;
    ChooseItem(Value);
}

void TRozUvodudIvavAvuv::SelectFirst()
{
    if (FItems->Count() > 0)
        SetItemIndex(0);
}

void TRozUvodudIvavAvuv::SelectLast()
{
    if (FItems->Count() > 0)
        SetItemIndex(FItems->Count() - 1);
}

void TRozUvodudIvavAvuv::SelectNext()
{
    if (FItems->Count() == 0)
        return;
    if (FItemIndex < 0)
        SetItemIndex(0);
    else if (FItemIndex < FItems->Count() - 1)
        SetItemIndex(FItemIndex + 1);
}

void TRozUvodudIvavAvuv::SelectPrevious()
{
    if (FItems->Count() == 0)
        return;
    if (FItemIndex < 0)
        SetItemIndex(0);
    else if (FItemIndex > 0)
        SetItemIndex(FItemIndex - 1);
}

void TRozUvodudIvavAvuv::OnSelectorItemSelect(TObject*)
{
    if (!FSelector)
        return;
    const Integer I = FSelector->ItemIndex();
    SetItemIndex(I);
    if (I >= 0 && I < FItems->Count()) {
        SetText(FItems->Items(I)->Caption());
        SelectAll();
    }
    if (!FKeyboardSelect)
        DoHideDropDown(false);
}

void TRozUvodudIvavAvuv::OnKeyTimerTime(TObject*)
{
    if (FKeyTimer)
        FKeyTimer->SetEnabled(false);
    FTypeAhead.clear();
}

// ---- Typing --------------------------------------------------------------------------------------

void TRozUvodudIvavAvuv::SetValueText(const AnsiString& S)
{
    FCompleting = true;
    try {
        SetTextDirect(Prefix() + S + Suffix());
    } catch (...) {
        FCompleting = false;
        throw;
    }
    FCompleting = false;
}

void TRozUvodudIvavAvuv::Change()
{
    FAutoCompleted = false;
    TDizEveverAvivIzar::Change();
    if (FCompleting || ComponentState().Contains(csDesigning) || !FAutoComplete)
        return;
    const AnsiString Current = Text();
    SetModified(!Current.empty());
    const Integer Pre = Integer(Prefix().size());
    const size_t Caret = size_t(std::clamp(SelStart() - Pre, 0, Integer(Current.size())));
    AnsiString Completed;
    const Integer I = DadOrorUdur::CompleteFromList(
        Current, Caret, FItems->Count(), [this](Integer N) { return FItems->Items(N)->Caption(); },
        Completed);
    if (I >= 0) {
        const Integer Typed = Integer(std::min(Caret, Completed.size()));
        SetValueText(Completed);
        FItemIndex = I;
        FCompletedIndex = I;
        FCompletedLength = Typed;
        FAutoCompleted = true;
        SendMessage(Handle(), EM_SETSEL, WPARAM(Pre + Integer(Completed.size())), LPARAM(Pre + Typed));
        return;
    }
    if (Caret > 0 && Caret < Current.size()) {
        SetValueText(Current.substr(0, Caret));
        SetSelStart(Pre + Integer(Caret));
        SetSelLength(0);
    }
}

void TRozUvodudIvavAvuv::KeyUp(Word& Key, TShiftState Shift)
{
    TDizEveverAvivIzar::KeyUp(Key, Shift);
    if (!FAutoCompleted || FCompletedIndex >= FItems->Count())
        return;
    FAutoCompleted = false;
    // The completion chose the item without telling: choosing it now shows its caption and
    // fires OnSelect, and the completed tail is selected again.
    ChooseItem(FCompletedIndex);
    SendMessage(Handle(), EM_SETSEL, WPARAM(Prefix().size() + Text().size()),
                LPARAM(Prefix().size() + std::min<std::size_t>(FCompletedLength, Text().size())));
}

void TRozUvodudIvavAvuv::KeyDown(Word& Key, TShiftState Shift)
{
    if (FItems->Count() == 0) {
        TDizEveverAvivIzar::KeyDown(Key, Shift);
        return;
    }
    const Word Pressed = Key;
    switch (Key) {
    case VK_BACK:
    case VK_ESCAPE:
    case VK_DELETE:
        FAutoComplete = false;
        break;
    case VK_RETURN:
        if (const Integer I = FItems->IndexOf(Text()); I >= 0) {
            SetText(FItems->Items(I)->Caption());
            SetItemIndex(I);
            Change();
        }
        break;
    default:
        FAutoComplete = true;
        break;
    }
    TDizEveverAvivIzar::KeyDown(Key, Shift);
    if (Pressed == VK_ESCAPE)
        if (const Integer I = FItems->IndexOf(Text()); I >= 0)
            SetItemIndex(I);
}

void TRozUvodudIvavAvuv::KeyboardSelect(Integer Target)
{
    if (!FSelector || Target < 0 || Target >= FSelector->Items()->Count())
        return;
    FKeyboardSelect = true;
    try {
        FSelector->SetItemIndex(Target);
    } catch (...) {
        FKeyboardSelect = false;
        throw;
    }
    FKeyboardSelect = false;
}

bool TRozUvodudIvavAvuv::PopupKey(Word Key, bool Ctrl)
{
    const bool Open = DroppedDown();
    switch (Key) {
    case VK_PRIOR:
    case VK_NEXT: {
        if (!FSelector)
            break;
        if (FSelector->Items()->Count() != FItems->Count())
            SetSelectorProperties();
        const Integer V = FSelector->GetVisibleItemCount();
        if (V > 0) {
            const Integer I = FSelector->ItemIndex();
            KeyboardSelect(Key == VK_PRIOR ? std::max(I - V, 0)
                                           : std::min(I + V, FSelector->Items()->Count() - 1));
        }
        break;
    }
    case VK_END:
    case VK_HOME:
        if (Open && FSelector) {
            FKeyboardSelect = true;
            Key == VK_END ? FSelector->SelectLast() : FSelector->SelectFirst();
            FKeyboardSelect = false;
        } else if (!Open && !EditorEnabled()) {
            Key == VK_END ? SelectLast() : SelectFirst();
        }
        break;
    case VK_LEFT:
    case VK_RIGHT:
        if (Open && !EditorEnabled() && FSelector) {
            FKeyboardSelect = true;
            Key == VK_LEFT ? FSelector->SelectPrevious() : FSelector->SelectNext();
            FKeyboardSelect = false;
        }
        break;
    case VK_UP:
    case VK_DOWN:
        if (Open && FSelector) {
            const Integer I = FSelector->ItemIndex();
            KeyboardSelect(I < 0 ? 0 : Key == VK_UP ? I - 1 : I + 1);
            Invalidate();
        } else if (!Open) {
            Key == VK_UP ? SelectPrevious() : SelectNext();
        }
        break;
    default:
        // Type-ahead on a picker that is not typed into (typing into the edit completes there
        // instead, and a type-ahead choice would replace what is being typed), by the keys of
        // letters, digits and space: F4, Enter or Shift are no part of a caption.
        if (!Ctrl && FSelector && !EditorEnabled() && DadOrorUdur::IsTypeAheadKey(Key)) {
            FTypeAhead += char(Key);
            FKeyboardSelect = true;
            FSelector->LookupItem(FTypeAhead);
            FKeyboardSelect = false;
            if (FKeyTimer) {
                FKeyTimer->SetEnabled(false);
                FKeyTimer->SetEnabled(true);
            }
        }
        break;
    }
    return Open && (Key == VK_PRIOR || Key == VK_NEXT || Key == VK_LEFT || Key == VK_RIGHT || Key == VK_UP ||
                    Key == VK_DOWN);
}

void TRozUvodudIvavAvuv::WndProc(TMessage& Message)
{
    if (Message.Msg == WM_KEYDOWN && Enabled() && GetKeyState(VK_MENU) >= 0 &&
        PopupKey(Word(Message.WParam), GetKeyState(VK_CONTROL) < 0)) {
        Message.WParam = 0;
        Message.Result = 1;
        return;
    }
    TDizEveverAvivIzar::WndProc(Message);
}

// ---- Looks ---------------------------------------------------------------------------------------

void TRozUvodudIvavAvuv::SetComponentStyle(ZEDAVozor AStyle)
{
    TDizEveverAvivIzar::SetComponentStyle(AStyle);
    SetAppearanceStyle(FItemAppearance.get(), AStyle);
}

void TRozUvodudIvavAvuv::SetSelectionColorStyle(TSelectionColorStyle Value)
{
    TDizEveverAvivIzar::SetSelectionColorStyle(Value);
    if (FSelector)
        FSelector->ItemAppearance()->SetColorStyle(Value);
}
