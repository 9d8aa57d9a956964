#include "dropdowns/ItemSelector.h"

#include "RudUvud/support/Daehtmle.h"
#include "platform/rtl/Strings.h"
#include "platform/win/Windows.h"

#include <typeinfo>

namespace {

bool HasPicture(TPicture* P)
{
    return P && P->Graphic() && !P->Graphic()->Empty();
}

} // namespace

// ---- Items -----------------------------------------------------------------------------------------

TSelectorItem::TSelectorItem(TCollection* Collection)
    : TCollectionItem(Collection), FImage(std::make_unique<TPicture>())
{
}

TSelectorItem::~TSelectorItem() = default;

void TSelectorItem::ItemChanged()
{
    if (auto* Items = dynamic_cast<TSelectorItems*>(Collection()))
        Items->Change();
}

void TSelectorItem::SetCaption(const AnsiString& Value)
{
    if (FCaption != Value) {
        FCaption = Value;
        ItemChanged();
    }
}

void TSelectorItem::SetImageIndex(Integer Value)
{
    if (FImageIndex != Value) {
        FImageIndex = Value;
        ItemChanged();
    }
}

void TSelectorItem::SetColor(TColor Value)
{
    if (FColor != Value) {
        FColor = Value;
        ItemChanged();
    }
}

void TSelectorItem::Assign(TPersistent* Source)
{
    auto* S = dynamic_cast<TSelectorItem*>(Source);
    if (!S) {
        TCollectionItem::Assign(Source);
        return;
    }
    SetCaption(S->Caption());
    SetColor(S->Color());
    SetImageIndex(S->ImageIndex());
    FImage->Assign(S->Image());
    FEnabledItem = S->EnabledItem();
    FHint = S->Hint();
}

TSelectorItems::TSelectorItems(TPersistent* AOwner)
    : TCollection(ItemClassOf<TSelectorItem>()), FOwner(AOwner)
{
}

void TSelectorItems::Change()
{
    if (OnChange)
        OnChange(this);
}

void TSelectorItems::Update(TCollectionItem* Item)
{
    TCollection::Update(Item);
    Change();
}

// ---- Item appearance -----------------------------------------------------------------------------

TItemAppearance::TItemAppearance(TPersistent* AOwner) : FOwner(AOwner), FFont(std::make_unique<TFont>())
{
    FFont->SetName("Tahoma");
    SetColorStyle(scOffice2007);
    ColorHotText = 0;
    ColorSelectedText = 0;
}

TItemAppearance::~TItemAppearance() = default;

void TItemAppearance::Changed()
{
    if (OnChange)
        OnChange(this);
}

void TItemAppearance::SetColorStyle(TSelectionColorStyle Value)
{
    if (FColorStyle == Value)
        return;
    FColorStyle = Value;
    struct Preset {
        TColor Hot, HotTo, MirrorHot, MirrorHotTo, Top, Bottom, Border, Edge, Sel, SelTo, MirrorSel,
            MirrorSelTo;
    };
    static const Preset Presets[3] = {
        {0xD7FFFD, 0x58D4FC, 0x58D4FC, 0xB3F1FC, 0xF4FEFF, 0xCAF8FF, 0x8DD7D3, 0xC3D9DF, 0xA6FFFB, 0x04B9F4,
         0x15C1FB, 0x68E3F9},
        {0xFDF8F1, 0xFCEFD5, clNone, clNone, 0xFDFBF6, 0xFDF5E7, 0xFDDE99, 0xFCEDCB, 0xFAEEDE, 0xFAE3B4,
         clNone, clNone},
        {0xFCEBDC, 0xFCDBC1, clNone, clNone, 0xFDF4EB, 0xFDEADB, 0xCEA27D, 0xE0C5AE, 0xF9D8B9, 0xFBCAA2,
         clNone, clNone},
    };
    if (Value == scCustom)
        return;
    const Preset& P = Presets[Value - scOffice2007];
    ColorHot = P.Hot, ColorHotTo = P.HotTo, ColorMirrorHot = P.MirrorHot, ColorMirrorHotTo = P.MirrorHotTo;
    BorderColorTop = P.Top, BorderColorBottom = P.Bottom, BorderColor = P.Border, EdgeColor = P.Edge;
    ColorSelected = P.Sel, ColorSelectedTo = P.SelTo, ColorMirrorSelected = P.MirrorSel;
    ColorMirrorSelectedTo = P.MirrorSelTo;
}

void TItemAppearance::Assign(TPersistent* Source)
{
    auto* S = dynamic_cast<TItemAppearance*>(Source);
    if (!S) {
        TPersistent::Assign(Source);
        return;
    }
    ColorHot = S->ColorHot, ColorHotTo = S->ColorHotTo, ColorMirrorHot = S->ColorMirrorHot;
    ColorMirrorHotTo = S->ColorMirrorHotTo, BorderColorTop = S->BorderColorTop;
    BorderColorBottom = S->BorderColorBottom, BorderColor = S->BorderColor, EdgeColor = S->EdgeColor;
    ColorSelected = S->ColorSelected, ColorSelectedTo = S->ColorSelectedTo;
    ColorMirrorSelected = S->ColorMirrorSelected, ColorMirrorSelectedTo = S->ColorMirrorSelectedTo;
    FFont->Assign(S->Font());
    SetColorStyle(S->ColorStyle());
    ColorSelectedText = S->ColorSelectedText;
}

// ---- Panel -----------------------------------------------------------------------------------------

TCustomItemSelector::TCustomItemSelector(TComponent* AOwner) : TCustomControl(AOwner)
{
    FOwnerSelector = dynamic_cast<TVadCustomItemSelector*>(AOwner);
    if (!FOwnerSelector)
        throw Exception("Invalid parent");
    SetParentColor(true);
}

TSelectorItems* TCustomItemSelector::Items()
{
    return FOwnerSelector->Items();
}

Integer TCustomItemSelector::GetColumns() const
{
    return FOwnerSelector->Columns();
}
TSelectorItems* TCustomItemSelector::GetItems() const
{
    return FOwnerSelector->Items();
}
TSelectorType TCustomItemSelector::GetSelectorType() const
{
    return FOwnerSelector->SelectorType();
}
TItemLayout TCustomItemSelector::GetItemLayout() const
{
    return FOwnerSelector->ItemLayout();
}
TCustomImageList* TCustomItemSelector::GetImages() const
{
    return FOwnerSelector->Images();
}
TSelectionColorStyle TCustomItemSelector::GetItemColorStyle() const
{
    return FOwnerSelector->ItemAppearance()->ColorStyle();
}
TColor TCustomItemSelector::GetItemColorHot() const
{
    return FOwnerSelector->ItemAppearance()->ColorHot;
}
TColor TCustomItemSelector::GetItemColorHotTo() const
{
    return FOwnerSelector->ItemAppearance()->ColorHotTo;
}
TColor TCustomItemSelector::GetItemColorSelected() const
{
    return FOwnerSelector->ItemAppearance()->ColorSelected;
}
TColor TCustomItemSelector::GetItemColorSelectedTo() const
{
    return FOwnerSelector->ItemAppearance()->ColorSelectedTo;
}
Integer TCustomItemSelector::GetColorBoxHeight() const
{
    return FOwnerSelector->ColorBoxHeight();
}
Integer TCustomItemSelector::GetColorBoxWidth() const
{
    return FOwnerSelector->ColorBoxWidth();
}

bool TCustomItemSelector::Selectable(Integer Index)
{
    return Index < 0 || Index >= Items()->Count() || Items()->Items(Index)->EnabledItem();
}

void TCustomItemSelector::SetItemOffSetX(Integer Value)
{
    if (FItemOffSetX != Value) {
        FItemOffSetX = Value;
        UpdateRectAndSize();
    }
}

void TCustomItemSelector::SetItemOffSetY(Integer Value)
{
    if (FItemOffSetY != Value) {
        FItemOffSetY = Value;
        UpdateRectAndSize();
    }
}

void TCustomItemSelector::SetCaptionGap(Integer Value)
{
    if (FCaptionGap != Value) {
        FCaptionGap = Value;
        UpdateRectAndSize();
    }
}

TRect TCustomItemSelector::GetInnerRect()
{
    const TRect R = ClientRect();
    return TRect{R.Left + FMarginX, R.Top + FMarginY, R.Right - FMarginX, R.Bottom - FMarginY};
}

TSize TCustomItemSelector::GetItemSize()
{
    TSize Size{0, 0};
    if (FOwnerSelector->OnItemSize) {
        FOwnerSelector->OnItemSize(this, Size);
        return Size;
    }
    TCustomImageList* Images = FOwnerSelector->Images();
    Integer BW = 0, BH = 0;
    if (FOwnerSelector->SelectorType() == stColor) {
        BW = FOwnerSelector->ColorBoxWidth();
        BH = FOwnerSelector->ColorBoxHeight();
    } else {
        for (Integer I = 0; I < Items()->Count(); ++I) {
            TSelectorItem* Item = Items()->Items(I);
            if (HasPicture(Item->Image())) {
                BW = std::max(BW, Item->Image()->Width());
                BH = std::max(BH, Item->Image()->Height());
            } else if (Images && Item->ImageIndex() >= 0) {
                BW = std::max(BW, Images->Width());
                BH = std::max(BH, Images->Height());
            }
        }
    }
    Integer TW = 0, TH = 0;
    Canvas()->Font()->Assign(FOwnerSelector->ItemAppearance()->Font());
    for (Integer I = 0; I < Items()->Count(); ++I) {
        TSize S;
        DadOrorUdur::DrawHTMLEX(Canvas(), Items()->Items(I)->Caption(), TRect{0, 0, 1000, 500}, Images, false,
                                nullptr, S);
        TW = std::max(TW, S.cx);
        TH = std::max(TH, S.cy);
    }
    if (TW > 0)
        TW += 4;
    const TItemLayout Layout = FOwnerSelector->ItemLayout();
    if (Layout == ilCaptionLeft || Layout == ilCaptionRight) {
        Size.cx = 2 * FItemOffSetX + BW + (BW > 0 && TW > 0 ? FCaptionGap : 0) + TW;
        Size.cy = std::max(TH, BH) + 2 * FItemOffSetY;
    } else {
        Size.cx = std::max(TW, BW) + 2 * FItemOffSetX;
        Size.cy = 2 * FItemOffSetY + BH + (BH > 0 && TH > 0 ? FCaptionGap : 0) + TH;
    }
    return Size;
}

void TCustomItemSelector::UpdateRectAndSize()
{
    const Integer Count = Items()->Count();
    if (Count == 0) {
        SetBounds(Left(), Top(), 100, 50);
        return;
    }
    FItemHot = -1;
    const TSize Cell = GetItemSize();
    const TRect Inner = GetInnerRect();
    Integer X = Inner.Left, Y = Inner.Top, InRow = 0, MaxX = X;
    const Integer Columns = std::max(1, FOwnerSelector->Columns());
    for (Integer I = 0; I < Count; ++I) {
        Items()->Items(I)->FItemRect = TRect{X, Y, X + Cell.cx, Y + Cell.cy};
        MaxX = std::max(MaxX, X);
        if (I == Count - 1)
            break;
        if (++InRow < Columns) {
            X += Cell.cx;
        } else {
            InRow = 0;
            X = Inner.Left;
            Y += Cell.cy;
        }
    }
    SetBounds(Left(), Top(), MaxX + Cell.cx + Inner.Left, Y + Cell.cy + Inner.Top);
    Invalidate();
}

TRect TCustomItemSelector::GetItemRect(Integer Index)
{
    if (Index < 0 || Index >= Items()->Count())
        return TRect{-1, -1, -1, -1};
    return Items()->Items(Index)->FItemRect;
}

Integer TCustomItemSelector::ItemAtPos(Integer X, Integer Y)
{
    for (Integer I = 0; I < Items()->Count(); ++I) {
        const TRect& R = Items()->Items(I)->FItemRect;
        if (X >= R.Left && X < R.Right && Y >= R.Top && Y < R.Bottom)
            return I;
    }
    return -1;
}

void TCustomItemSelector::InvalidateItem(Integer Index)
{
    if (Index < 0 || Index >= Items()->Count() || !HandleAllocated())
        return;
    RECT R = Items()->Items(Index)->FItemRect;
    InvalidateRect(Handle(), &R, TRUE);
}

void TCustomItemSelector::PaintItemNow(Integer Index)
{
    if (HandleAllocated() && Index >= 0)
        InvalidateItem(Index);
}

void TCustomItemSelector::SetItemIndex(Integer Index)
{
    if (!Selectable(Index))
        return;
    if (FItemIndex >= 0 && FItemIndex != Index) {
        const Integer Old = FItemIndex;
        FItemIndex = -1;
        InvalidateItem(Old);
    }
    FItemIndex = Index;
    if (Index >= 0) {
        PaintItemNow(Index);
        if (FOnSelectCell)
            FOnSelectCell(this);
    }
}

void TCustomItemSelector::SetItemHot(Integer Index)
{
    if (Index == FItemHot || !Selectable(Index))
        return;
    if (FItemHot >= 0) {
        const Integer Old = FItemHot;
        FItemHot = -1;
        InvalidateItem(Old);
    }
    FItemHot = Index;
    PaintItemNow(Index);
}

void TCustomItemSelector::SelectFirst()
{
    if (Items()->Count() > 0)
        SetItemIndex(0);
}

void TCustomItemSelector::SelectLast()
{
    if (Items()->Count() > 0)
        SetItemIndex(Items()->Count() - 1);
}

void TCustomItemSelector::SelectNext()
{
    if (Items()->Count() == 0)
        return;
    if (FItemIndex < 0)
        SetItemIndex(0);
    else if (FItemIndex < Items()->Count() - 1)
        SetItemIndex(FItemIndex + 1);
}

void TCustomItemSelector::SelectPrevious()
{
    if (Items()->Count() == 0)
        return;
    if (FItemIndex < 0)
        SetItemIndex(0);
    else if (FItemIndex > 0)
        SetItemIndex(FItemIndex - 1);
}

void TCustomItemSelector::HotNext()
{
    if (Items()->Count() == 0)
        return;
    if (FItemHot < 0)
        SetItemHot(0);
    else if (FItemHot < Items()->Count() - 1)
        SetItemHot(FItemHot + 1);
}

void TCustomItemSelector::HotPrevious()
{
    if (Items()->Count() == 0)
        return;
    if (FItemHot < 0)
        SetItemHot(0);
    else if (FItemHot > 0)
        SetItemHot(FItemHot - 1);
}

bool TCustomItemSelector::LookupItem(const AnsiString& S)
{
    if (S.empty())
        return false;
    for (Integer I = 0; I < Items()->Count(); ++I) {
        const AnsiString U = AnsiUpperCase(Trim(HTMLStrip(Items()->Items(I)->Caption())));
        if (U.compare(0, S.size(), S) == 0) {
            SetItemIndex(I);
            return true;
        }
    }
    return false;
}

// ---- Painting ------------------------------------------------------------------------------------

void TCustomItemSelector::DrawItem(Integer Index, TCanvas* ACanvas)
{
    if (!ACanvas || Index < 0 || Index >= Items()->Count())
        return;
    TSelectorItem* Item = Items()->Items(Index);
    const TRect R = Item->FItemRect;
    if (R.Left < 0 && R.Right < 0)
        return;
    TItemAppearance* A = FOwnerSelector->ItemAppearance();
    const bool Hot = Index == FItemHot, Selected = Index == FItemIndex;
    TColor C1 = 0, C2 = 0, M1 = 0, M2 = 0;
    if (Hot)
        C1 = A->ColorHot, C2 = A->ColorHotTo, M1 = A->ColorMirrorHot, M2 = A->ColorMirrorHotTo;
    if (Selected)
        C1 = A->ColorSelected, C2 = A->ColorSelectedTo, M1 = A->ColorMirrorSelected,
        M2 = A->ColorMirrorSelectedTo;
    if (Hot || Selected) {
        if (A->BorderColorTop == clNone)
            DadOrorUdur::DrawRectFill(ACanvas, R, C1, C2, A->BorderColor, 1, gdVertical);
        else
            DrawSelectionGradient(ACanvas, C1, C2, M1, M2, A->BorderColorTop, A->BorderColorBottom,
                                  A->BorderColor, A->EdgeColor, FOwnerSelector->Color(), R, gpFull);
    } else {
        ACanvas->Brush()->SetStyle(bsSolid);
        ACanvas->Brush()->SetColor(FOwnerSelector->Color());
        ACanvas->FillRect(R);
    }
    if (FOwnerSelector->OnDrawItem) {
        FOwnerSelector->OnDrawItem(this, ACanvas, R, Index);
        return;
    }
    TCustomImageList* Images = FOwnerSelector->Images();
    const bool Colour = FOwnerSelector->SelectorType() == stColor;
    const bool Picture = !Colour && HasPicture(Item->Image());
    const bool ListImage = !Colour && !Picture && Images && Item->ImageIndex() >= 0;
    Integer BW = 0, BH = 0;
    if (Colour)
        BW = FOwnerSelector->ColorBoxWidth(), BH = FOwnerSelector->ColorBoxHeight();
    else if (Picture)
        BW = Item->Image()->Width(), BH = Item->Image()->Height();
    else if (ListImage)
        BW = Images->Width(), BH = Images->Height();
    const bool HasBox = Colour || Picture || ListImage;
    TRect K{R.Left + FItemOffSetX, R.Top + FItemOffSetY, R.Right - FItemOffSetX, R.Bottom - FItemOffSetY};
    TRect T = K;
    ACanvas->Font()->Assign(A->Font());
    if (Hot)
        ACanvas->Font()->SetColor(A->ColorHotText);
    if (Selected)
        ACanvas->Font()->SetColor(A->ColorSelectedText);
    auto Box = [&](Integer X, Integer Y) {
        if (Picture) {
            ACanvas->Draw(X, Y, Item->Image()->Graphic());
        } else if (ListImage) {
            Images->Draw(ACanvas, X, Y, Item->ImageIndex(), Item->EnabledItem());
        } else if (Colour) {
            ACanvas->Pen()->SetColor(0x000000);
            ACanvas->Pen()->SetWidth(1);
            ACanvas->Brush()->SetStyle(bsSolid);
            ACanvas->Brush()->SetColor(Item->Color());
            ACanvas->Rectangle(X, Y, X + BW, Y + BH);
        }
    };
    auto CentredY = [&] { return Colour ? K.Top : K.Top + (K.Height() - BH) / 2; };
    const AnsiString& Caption = Item->Caption();
    auto Caption_ = [&](bool Centre) {
        TSize S;
        DadOrorUdur::DrawHTMLEX(ACanvas, Caption, T, Images, false, nullptr, S);
        if (Centre && T.Height() > S.cy)
            T.Top += (T.Height() - S.cy) / 2;
        ACanvas->Brush()->SetStyle(bsClear);
        DadOrorUdur::DrawHTMLEX(ACanvas, Caption, T, Images, true, nullptr, S);
        return S;
    };
    switch (FOwnerSelector->ItemLayout()) {
    case ilCaptionLeft:
        if (!Caption.empty()) {
            T.Right -= BW;
            const TSize S = Caption_(true);
            K.Left = T.Left + S.cx + FCaptionGap;
        }
        if (HasBox)
            Box(K.Left, CentredY());
        break;
    case ilCaptionRight:
        if (HasBox) {
            Box(K.Left, CentredY());
            T.Left = K.Left + BW + FCaptionGap;
        }
        if (!Caption.empty())
            Caption_(true);
        break;
    case ilCaptionTop:
        if (!Caption.empty()) {
            T.Bottom -= BH;
            const TSize S = Caption_(false);
            K.Top = T.Top + S.cy + FCaptionGap;
        } else {
            K.Top += (K.Height() - BH) / 2;
        }
        K.Left += (K.Width() - BW) / 2;
        if (HasBox)
            Box(K.Left, K.Top);
        break;
    case ilCaptionBottom:
        if (Caption.empty())
            K.Top += (K.Height() - BH) / 2;
        K.Left += (K.Width() - BW) / 2;
        if (HasBox) {
            Box(K.Left, K.Top);
            T.Top = K.Top + BH + FCaptionGap;
        }
        if (!Caption.empty())
            Caption_(false);
        break;
    }
}

void TCustomItemSelector::DrawItems(TCanvas* ACanvas)
{
    for (Integer I = 0; I < Items()->Count(); ++I)
        DrawItem(I, ACanvas);
}

void TCustomItemSelector::Paint()
{
    TCustomControl::Paint();
    DrawItems(Canvas());
}

void TCustomItemSelector::MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y)
{
    TCustomControl::MouseDown(Button, Shift, X, Y);
    const Integer I = ItemAtPos(X, Y);
    if (I >= 0 && Items()->Items(I)->EnabledItem())
        SetItemIndex(I);
}

void TCustomItemSelector::MouseMove(TShiftState Shift, Integer X, Integer Y)
{
    TCustomControl::MouseMove(Shift, X, Y);
    const Integer I = ItemAtPos(X, Y);
    if (I < 0) {
        SetItemHot(-1);
        return;
    }
    if (I != FItemHot) {
        if (Items()->Items(I)->EnabledItem())
            SetItemHot(I);
        else
            SetItemHot(-1);
        SetHint(Items()->Items(I)->Hint());
        if (Application)
            Application->CancelHint();
    }
}

void TCustomItemSelector::WndProc(TMessage& Message)
{
    TCustomControl::WndProc(Message);
    if (Message.Msg == CM_MOUSELEAVE)
        SetItemHot(-1);
}

// ---- Container -----------------------------------------------------------------------------------

TVadCustomItemSelector::TVadCustomItemSelector(TComponent* AOwner)
    : TScrollingWinControl(AOwner), FItems(std::make_unique<TSelectorItems>(this)),
      FItemAppearance(std::make_unique<TItemAppearance>(this))
{
    SetAutoScroll(true);
    SetColor(clWindow);
    FItems->OnChange = [this](TObject*) { UpdateSelectorPanel(); };
    FItemAppearance->OnChange = [](TObject*) {};
    CreateSelectorPanel();
}

TVadCustomItemSelector::~TVadCustomItemSelector() = default;

void TVadCustomItemSelector::CreateSelectorPanel()
{
    if (FPanel)
        return;
    FPanel = New<TCustomItemSelector>(this);
    FPanel->SetParent(this);
    FPanel->FOnSelectCell = [this](TObject*) {
        if (OnItemSelect)
            OnItemSelect(this);
    };
    FPanel->UpdateRectAndSize();
}

void TVadCustomItemSelector::UpdateSelectorPanel()
{
    if (FPanel)
        FPanel->UpdateRectAndSize();
}

void TVadCustomItemSelector::SetColumns(Integer Value)
{
    if (Value < 1 || Value == FColumns)
        return;
    FColumns = Value;
    UpdateSelectorPanel();
}

void TVadCustomItemSelector::SetSelectorType(TSelectorType Value)
{
    if (Value != FSelectorType) {
        FSelectorType = Value;
        UpdateSelectorPanel();
    }
}

void TVadCustomItemSelector::SetColorBoxHeight(Integer Value)
{
    if (Value != FColorBoxHeight) {
        FColorBoxHeight = Value;
        UpdateSelectorPanel();
    }
}

void TVadCustomItemSelector::SetColorBoxWidth(Integer Value)
{
    if (Value != FColorBoxWidth) {
        FColorBoxWidth = Value;
        UpdateSelectorPanel();
    }
}

void TVadCustomItemSelector::SetImages(TCustomImageList* Value)
{
    if (Value == FImages)
        return;
    FImages = Value;
    if (Value)
        Value->FreeNotification(this);
    UpdateSelectorPanel();
}

void TVadCustomItemSelector::Notification(TComponent* AComponent, TOperation Operation)
{
    TScrollingWinControl::Notification(AComponent, Operation);
    if (Operation != opRemove)
        return;
    if (AComponent == FImages && !ComponentState().Contains(csDestroying))
        FImages = nullptr;
    if (AComponent == FPanel)
        FPanel = nullptr;
}

void TVadCustomItemSelector::SetItemIndex(Integer Index)
{
    if (!FPanel)
        return;
    FPanel->SetItemIndex(Index);
    ScrollItemInView(FPanel->ItemIndex());
}

void TVadCustomItemSelector::SelectFirst()
{
    if (FPanel) {
        FPanel->SelectFirst();
        ScrollItemInView(ItemIndex());
    }
}

void TVadCustomItemSelector::SelectLast()
{
    if (FPanel) {
        FPanel->SelectLast();
        ScrollItemInView(ItemIndex());
    }
}

void TVadCustomItemSelector::SelectNext()
{
    if (FPanel) {
        FPanel->SelectNext();
        ScrollItemInView(ItemIndex());
    }
}

void TVadCustomItemSelector::SelectPrevious()
{
    if (FPanel) {
        FPanel->SelectPrevious();
        ScrollItemInView(ItemIndex());
    }
}

void TVadCustomItemSelector::HotNext()
{
    if (FPanel) {
        FPanel->HotNext();
        ScrollItemInView(GetItemHot());
    }
}

void TVadCustomItemSelector::HotPrevious()
{
    if (FPanel) {
        FPanel->HotPrevious();
        ScrollItemInView(GetItemHot());
    }
}

void TVadCustomItemSelector::ScrollItemInView(Integer Index)
{
    if (!FPanel || Index < 0 || Index >= FItems->Count() || !VertScrollBar()->IsScrollBarVisible())
        return;
    TRect R = FPanel->GetItemRect(Index);
    const Integer Margin = VertScrollBar()->Margin();
    R.Top -= Margin;
    R.Bottom += Margin;
    // To the container's client coordinates.
    R = TRect{R.Left + FPanel->Left(), R.Top + FPanel->Top(), R.Right + FPanel->Left(),
              R.Bottom + FPanel->Top()};
    const Integer Client = ClientHeight();
    if (R.Top < 0) {
        VertScrollBar()->SetPosition(VertScrollBar()->Position() + R.Top);
    } else if (R.Bottom > Client) {
        if (R.Height() > Client)
            R.Bottom = R.Top + Client;
        VertScrollBar()->SetPosition(VertScrollBar()->Position() + R.Bottom - Client);
    }
}

Integer TVadCustomItemSelector::GetVisibleItemCount()
{
    if (!FPanel || FItems->Count() == 0)
        return 0;
    const Integer CellHeight = FItems->Items(0)->FItemRect.Height();
    // A cell size of nothing (an OnItemSize handler's) shows nothing rather than dividing by zero.
    if (CellHeight <= 0)
        return 0;
    const Integer H = Height() - (HorzScrollBar()->IsScrollBarVisible() ? 20 : 0);
    return H / CellHeight * FColumns;
}

void TVadCustomItemSelector::GetItemPanelSize(TSize& Size)
{
    Size = FPanel ? TSize{FPanel->Width(), FPanel->Height()} : TSize{100, 50};
}

void TVadCustomItemSelector::WndProc(TMessage& Message)
{
    if (Message.Msg == WM_GETDLGCODE) {
        Message.Result = DLGC_WANTARROWS | DLGC_WANTALLKEYS;
        return;
    }
    TScrollingWinControl::WndProc(Message);
    if (Message.Msg == WM_VSCROLL && LOWORD(Message.WParam) == SB_THUMBTRACK)
        VertScrollBar()->SetPosition(Integer(HIWORD(Message.WParam)));
}
