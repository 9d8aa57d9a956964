#include "dropdowns/VarAzadeViveriVuveDove.h"

#include "dropdowns/DropDownCompletion.h"

#include "platform/rtl/Files.h"
#include "platform/win/Windows.h"

#include <algorithm>

namespace {

// A picture file larger than this is not loaded into the picker: reading and decoding it would
// hold the person up for nothing a list of images can show.
constexpr Int64 MaxImageFileBytes = Int64(32) << 20;

bool HasPictureGraphic(TPicture* P)
{
    return P && P->Graphic() && !P->Graphic()->Empty();
}

// The picture of a folder entry, or nullptr. An entry of size 0 is a special file (a pipe, a
// device) as often as an empty one: opening a pipe would wait for a writer.
std::unique_ptr<TPicture> LoadFolderPicture(const AnsiString& Path, const TSearchRec& Entry)
{
    if (Entry.Size <= 0 || Entry.Size > MaxImageFileBytes)
        return nullptr;
    auto Picture = std::make_unique<TPicture>();
    try {
        Picture->LoadFromFile(Path);
    } catch (...) {
        return nullptr; // unreadable, damaged, or of a kind no picture class reads
    }
    if (!HasPictureGraphic(Picture.get()))
        return nullptr;
    return Picture;
}

} // namespace

// ---- Items -------------------------------------------------------------------------------------------

TImageItem::TImageItem(TCollection* Collection)
    : TCollectionItem(Collection), FImage(std::make_unique<TPicture>())
{
}

TImageItem::~TImageItem() = default;

void TImageItem::SetCaption(const AnsiString& Value)
{
    if (FCaption != Value) {
        FCaption = Value;
        Changed(false);
    }
}

void TImageItem::SetImageIndex(Integer Value)
{
    if (FImageIndex != Value) {
        FImageIndex = Value;
        Changed(false);
    }
}

void TImageItem::Assign(TPersistent* Source)
{
    auto* S = dynamic_cast<TImageItem*>(Source);
    if (!S) {
        TCollectionItem::Assign(Source);
        return;
    }
    SetCaption(S->Caption());
    SetImageIndex(S->ImageIndex());
    FImage->Assign(S->Image());
    FHint = S->Hint();
}

TImageItems::TImageItems(TPersistent* AOwner) : TCollection(ItemClassOf<TImageItem>()), FOwner(AOwner) {}

void TImageItems::Change()
{
    if (OnChange)
        OnChange(this);
}

void TImageItems::Update(TCollectionItem* Item)
{
    TCollection::Update(Item);
    Change();
}

// ---- Picker ------------------------------------------------------------------------------------------

TVarAzadeViveriVuveDove::TVarAzadeViveriVuveDove(TComponent* AOwner)
    : TDizEveverAvivIzar(AOwner), FItems(std::make_unique<TImageItems>(this)),
      FItemAppearance(std::make_unique<TItemAppearance>(this))
{
}

TVarAzadeViveriVuveDove::~TVarAzadeViveriVuveDove()
{
    if (FKeyTimer) {
        FKeyTimer->SetEnabled(false);
        FKeyTimer->OnTimer = nullptr;
    }
    if (FItemList) {
        FItemList->OnItemSelect = nullptr;
        FItemList->OnDrawItem = nullptr;
    }
}

void TVarAzadeViveriVuveDove::AfterConstruction()
{
    TDizEveverAvivIzar::AfterConstruction();
    FItems->OnChange = [](TObject*) {};
    FColumns = 1;
    FItemIndex = -1;
    FSavedItemIndex = -1;
    FLayout = ilCaptionRight;
    SetAutoSize(false);
    SetEditorEnabled(false);
    SetDropDownEnabled(true);
    FTypeAhead.clear();
    FKeyTimer = New<TTimer>(this);
    FKeyTimer->SetEnabled(false);
    FKeyTimer->SetInterval(500);
    FKeyTimer->OnTimer = [this](TObject* Sender) { OnKeyTimerTime(Sender); };
    SetCursor(crArrow);
}

void TVarAzadeViveriVuveDove::Notification(TComponent* AComponent, TOperation Operation)
{
    TDizEveverAvivIzar::Notification(AComponent, Operation);
    if (Operation != opRemove)
        return;
    if (AComponent == FItemList)
        FItemList = nullptr;
    if (AComponent == FKeyTimer)
        FKeyTimer = nullptr;
}

// ---- Value -------------------------------------------------------------------------------------------

void TVarAzadeViveriVuveDove::SetItemIndex(Integer Index)
{
    Index = std::max(Index, -1);
    if (Index == FItemIndex || Index >= FItems->Count())
        return;
    FItemIndex = Index;
    Invalidate();
    if (OnSelect)
        OnSelect(this);
}

Integer TVarAzadeViveriVuveDove::ImageIndex() const
{
    return FItemIndex >= 0 && FItemIndex < FItems->Count() ? FItems->Items(FItemIndex)->ImageIndex() : -1;
}

void TVarAzadeViveriVuveDove::SetImageIndex(Integer Value)
{
    for (Integer I = 0; I < FItems->Count(); ++I)
        if (FItems->Items(I)->ImageIndex() == Value) {
            SetItemIndex(I);
            return;
        }
    SetItemIndex(-1);
}

void TVarAzadeViveriVuveDove::SelectFirst()
{
    if (FItems->Count() > 0)
        SetItemIndex(0);
}

void TVarAzadeViveriVuveDove::SelectLast()
{
    if (FItems->Count() > 0)
        SetItemIndex(FItems->Count() - 1);
}

void TVarAzadeViveriVuveDove::SelectNext()
{
    if (FItems->Count() == 0)
        return;
    if (FItemIndex < 0)
        SetItemIndex(0);
    else if (FItemIndex < FItems->Count() - 1)
        SetItemIndex(FItemIndex + 1);
}

void TVarAzadeViveriVuveDove::SelectPrevious()
{
    if (FItems->Count() == 0)
        return;
    if (FItemIndex < 0)
        SetItemIndex(0);
    else if (FItemIndex > 0)
        SetItemIndex(FItemIndex - 1);
}

void TVarAzadeViveriVuveDove::AddImagesFromImageList()
{
    if (!Images())
        return;
    for (Integer I = 0; I < Images()->Count(); ++I)
        FItems->Add()->SetImageIndex(I);
}

void TVarAzadeViveriVuveDove::AddImagesFromFolder(const AnsiString& Mask, bool AddCaption)
{
    const AnsiString Folder = ExtractFilePath(Mask);
    TSearchRec Entry;
    if (FindFirst(Mask, faAnyFile, Entry) != 0) {
        FindClose(Entry);
        return;
    }
    try {
        do {
            if (Entry.Name == "." || Entry.Name == ".." || (Entry.Attr & faDirectory))
                continue;
            std::unique_ptr<TPicture> Picture = LoadFolderPicture(Folder + Entry.Name, Entry);
            if (!Picture)
                continue;
            TImageItem* Item = FItems->Add();
            Item->SetImage(Picture.get());
            if (AddCaption)
                Item->FCaption = ExtractFileName(Entry.Name);
        } while (FindNext(Entry) == 0);
    } catch (...) {
        FindClose(Entry);
        throw;
    }
    FindClose(Entry);
}

// ---- Popup -------------------------------------------------------------------------------------------

void TVarAzadeViveriVuveDove::CreateDropDownForm()
{
    TDizEveverAvivIzar::CreateDropDownForm();
    if (!DropDownForm())
        return;
    if (!FItemList) {
        FItemList = New<TVadCustomItemSelector>(this);
        FItemList->SetParent(DropDownForm());
        FItemList->SetSelectorType(stImage);
        FItemList->SetBounds(0, 0, FItemList->Width(), 150);
    }
    FItemList->SetColor(DropDownColor());
    FItemList->UpdateSelectorPanel();
    SetControl(FItemList);
}

void TVarAzadeViveriVuveDove::AssignedItemsToItemSelector()
{
    if (!FItemList)
        return;
    TSelectorItems* Target = FItemList->Items();
    // One layout at the end: each layout measures every caption.
    Target->BeginUpdate();
    try {
        Target->Clear();
        for (Integer I = 0; I < FItems->Count(); ++I) {
            TImageItem* Item = FItems->Items(I);
            TSelectorItem* S = Target->Add();
            S->SetCaption(Item->Caption());
            S->SetImage(Item->Image());
            S->SetImageIndex(Item->ImageIndex());
            S->SetHint(Item->Hint());
        }
    } catch (...) {
        Target->EndUpdate();
        throw;
    }
    Target->EndUpdate();
}

void TVarAzadeViveriVuveDove::SetSelectorProperties()
{
    if (!FItemList)
        return;
    FItemList->OnItemSelect = nullptr;
    FItemList->SetColumns(FColumns);
    FItemList->SetImages(Images());
    FItemList->SetItemLayout(FLayout);
    FItemList->SetColor(DropDownColor());
    FItemList->ItemAppearance()->Assign(FItemAppearance.get());
    AssignedItemsToItemSelector();
    FItemList->UpdateSelectorPanel();
    FItemList->SetItemIndex(FItemIndex);
    FItemList->OnItemSelect = [this](TObject* Sender) { OnSelectorItemSelect(Sender); };
    FItemList->SetShowHint(ShowHint());
}

void TVarAzadeViveriVuveDove::SyncClosedSelector()
{
    if (FItemList && (!FItemList->OnItemSelect || FItemList->Items()->Count() != FItems->Count() ||
                      FItemList->ItemIndex() != FItemIndex))
        SetSelectorProperties();
}

void TVarAzadeViveriVuveDove::BeforeDropDown()
{
    TDizEveverAvivIzar::BeforeDropDown();
    SetSelectorProperties();
    if (FItemList) {
        if (OnDrawItem)
            FItemList->OnDrawItem = [this](TObject* Sender, TCanvas* Canvas, TRect R, Integer Index) {
                if (OnDrawItem)
                    OnDrawItem(Sender, Canvas, R, Index);
            };
        else
            FItemList->OnDrawItem = nullptr;
    }
    FSavedItemIndex = FItemIndex;
}

void TVarAzadeViveriVuveDove::UpdateDropDownSize()
{
    if (!FItemList) {
        TDizEveverAvivIzar::UpdateDropDownSize();
        return;
    }
    FItemList->SetAlign(alNone);
    TSize Size;
    FItemList->GetItemPanelSize(Size);
    if (DropDownWidth() <= 0)
        FItemList->SetWidth(Size.cx);
    if (DropDownHeight() <= 0)
        FItemList->SetHeight(Size.cy);
    TDizEveverAvivIzar::UpdateDropDownSize();
    if (FItemList->VertScrollBar()->IsScrollBarVisible() && DropDownForm())
        DropDownForm()->SetWidth(DropDownForm()->Width() + GetSystemMetrics(SM_CXVSCROLL));
}

void TVarAzadeViveriVuveDove::DoHideDropDown(bool Cancelled)
{
    TDizEveverAvivIzar::DoHideDropDown(Cancelled);
    if (Cancelled && FItemList)
        SetItemIndex(FSavedItemIndex);
}

void TVarAzadeViveriVuveDove::OnSelectorItemSelect(TObject*)
{
    if (!FItemList)
        return;
    SetItemIndex(FItemList->ItemIndex());
    if (!FKeySelecting)
        DoHideDropDown(false);
}

void TVarAzadeViveriVuveDove::OnKeyTimerTime(TObject*)
{
    if (FKeyTimer)
        FKeyTimer->SetEnabled(false);
    FTypeAhead.clear();
}

void TVarAzadeViveriVuveDove::KeySelect(Integer Target)
{
    if (!FItemList || Target < 0 || Target >= FItemList->Items()->Count())
        return;
    FKeySelecting = true;
    try {
        FItemList->SetItemIndex(Target);
    } catch (...) {
        FKeySelecting = false;
        throw;
    }
    FKeySelecting = false;
}

// ---- Wheel and keys ----------------------------------------------------------------------------------

void TVarAzadeViveriVuveDove::HandleMouseWheelDown()
{
    TDizEveverAvivIzar::HandleMouseWheelDown();
    if (!Enabled() || ReadOnly() || !FItemList)
        return;
    if (DroppedDown()) {
        FItemList->HotNext();
        return;
    }
    SyncClosedSelector();
    const Integer I = FItemList->ItemIndex();
    KeySelect(I < 0 ? 0 : I + 1);
}

void TVarAzadeViveriVuveDove::HandleMouseWheelUp()
{
    TDizEveverAvivIzar::HandleMouseWheelUp();
    if (!Enabled() || ReadOnly() || !FItemList)
        return;
    if (DroppedDown()) {
        FItemList->HotPrevious();
        return;
    }
    SyncClosedSelector();
    const Integer I = FItemList->ItemIndex();
    KeySelect(I < 0 ? 0 : I - 1);
}

void TVarAzadeViveriVuveDove::KeyDownAfterBase(Word Key, bool EnterHandled)
{
    const bool Open = DroppedDown();
    if (!Open && Key != VK_RETURN && Key != VK_ESCAPE && Key != VK_F4)
        SyncClosedSelector();
    const Integer Count = FItemList ? FItemList->Items()->Count() : 0;
    const Integer Current = FItemList ? FItemList->ItemIndex() : -1;
    switch (Key) {
    case VK_RETURN:
        if (!EnterHandled && OnSelect)
            OnSelect(this);
        break;
    case VK_PRIOR:
    case VK_NEXT:
        if (FItemList) {
            if (Count != FItems->Count())
                SetSelectorProperties();
            if (const Integer N = FItemList->GetVisibleItemCount(); N > 0)
                KeySelect(Key == VK_PRIOR ? std::max(Current - N, 0)
                                          : std::min(Current + N, FItems->Count() - 1));
        }
        break;
    case VK_END:
    case VK_HOME:
        if (Open && FItemList) {
            KeySelect(Key == VK_END ? Count - 1 : 0);
        } else if (!Open) {
            Key == VK_END ? SelectLast() : SelectFirst();
        }
        break;
    case VK_LEFT:
    case VK_RIGHT:
        if (Open && !EditorEnabled() && FItemList)
            KeySelect(Current < 0 ? 0 : Key == VK_LEFT ? Current - 1 : Current + 1);
        break;
    case VK_UP:
    case VK_DOWN:
        if (Open)
            KeySelect(Current < 0 ? 0 : Key == VK_UP ? Current - FColumns : Current + FColumns);
        else
            Key == VK_UP ? SelectPrevious() : SelectNext();
        break;
    default:
        // Letters, digits and space look an item up by its caption; F4, Esc or Shift are no part
        // of one.
        if (GetKeyState(VK_CONTROL) >= 0 && FItemList && DadOrorUdur::IsTypeAheadKey(Key)) {
            FTypeAhead += char(Key);
            FKeySelecting = true;
            FItemList->LookupItem(FTypeAhead);
            FKeySelecting = false;
            if (FKeyTimer)
                FKeyTimer->SetEnabled(true);
        }
        break;
    }
}

void TVarAzadeViveriVuveDove::WndProc(TMessage& Message)
{
    if (Message.Msg != WM_KEYDOWN) {
        TDizEveverAvivIzar::WndProc(Message);
        return;
    }
    // The base's handling clears the key of those it does not pass on.
    const Word Key = Word(Message.WParam);
    bool EnterHandled = false;
    if (Enabled() && DroppedDown() && Key == VK_RETURN && FItemList && FItemList->GetItemHot() >= 0) {
        FItemList->SetItemIndex(FItemList->GetItemHot()); // chooses and closes
        EnterHandled = true;
    }
    TDizEveverAvivIzar::WndProc(Message);
    if (Enabled() && GetKeyState(VK_MENU) >= 0)
        KeyDownAfterBase(Key, EnterHandled);
}

// ---- Edit part -----------------------------------------------------------------------------------

void TVarAzadeViveriVuveDove::DrawBackGround()
{
    TDizEveverAvivIzar::DrawBackGround();
    DrawSelectedImage();
}

void TVarAzadeViveriVuveDove::DrawSelectedImage()
{
    if (!HandleAllocated())
        return;
    HDC DC = GetWindowDC(Handle());
    {
        TCanvas Canvas;
        Canvas.SetHandle(DC);
        const TRect R = GetEditRect();
        if (OnDrawSelectedImage) {
            OnDrawSelectedImage(this, &Canvas, R);
        } else if (FItemIndex >= 0 && FItemIndex < FItems->Count()) {
            TImageItem* Item = FItems->Items(FItemIndex);
            if (HasPictureGraphic(Item->Image())) {
                TGraphic* G = Item->Image()->Graphic();
                Canvas.Draw(R.Left + (R.Width() - G->Width()) / 2, R.Top + (R.Height() - G->Height()) / 2, G);
            } else if (Images() && Item->ImageIndex() >= 0) {
                Images()->Draw(&Canvas, R.Left + (R.Width() - Images()->Width()) / 2,
                               R.Top + (R.Height() - Images()->Height()) / 2, Item->ImageIndex(), true);
            }
        }
        Canvas.SetHandle(nullptr);
    }
    ReleaseDC(Handle(), DC);
}

// ---- Looks ---------------------------------------------------------------------------------------

void TVarAzadeViveriVuveDove::SetSelectionColorStyle(TSelectionColorStyle Value)
{
    TDizEveverAvivIzar::SetSelectionColorStyle(Value);
    if (FItemList)
        FItemList->ItemAppearance()->SetColorStyle(Value);
}

void TVarAzadeViveriVuveDove::SetComponentStyle(ZEDAVozor AStyle)
{
    TDizEveverAvivIzar::SetComponentStyle(AStyle);
    SetAppearanceStyle(FItemAppearance.get(), AStyle);
}
