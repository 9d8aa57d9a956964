#include "print/VuThumbnails.h"

#include "platform/forms/Menus.h"
#include "platform/rtl/Conversions.h"

#include <algorithm>

// ---- TVuThumbnail ----

TVuThumbnail::TVuThumbnail(TComponent* AOwner, TVuThumbnails* Thumbnails)
    : TVuPaperImage(AOwner), FThumbnails(Thumbnails)
{
    SetThumbnail(true);
}

void TVuThumbnail::SetSelected(bool Value)
{
    if (Value != FSelected) {
        FSelected = Value;
        Invalidate();
    }
}

void TVuThumbnail::Paint()
{
    TVuThumbnails* T = FThumbnails;
    if (T->FUpdateCount > 0)
        return;
    TCanvas* C = Canvas();
    if (T->FHighlightStyle == vuBackground && FSelected) {
        C->Pen()->SetColor(clBlack);
        C->Pen()->SetWidth(1);
        C->Brush()->SetStyle(bsSolid);
        C->Brush()->SetColor(T->FSelectedColor);
        C->FillRect(TRect{0, 0, Width(), Height()});
    }
    SetShowContent(!T->FPlainPages);
    TVuPaperImage::Paint();

    HDC DC = C->Handle();
    const int Saved = SaveDC(DC);
    SetMapMode(DC, MM_TEXT);
    if (T->FShowCaption) {
        const Integer Index = static_cast<Integer>(
            std::find(T->FThumbnails.begin(), T->FThumbnails.end(), this) - T->FThumbnails.begin());
        const AnsiString Text = ReplaceStringFields(T->FPageCaptions, "#", IntToStr(Index + 1));
        C->SetFont(T->FCaptionFont.get());
        C->Font()->SetPixelsPerInch(96);
        C->Brush()->SetStyle(bsClear);
        TColor Color = T->FCaptionFont->Color();
        if (FSelected) {
            Color = T->FSelectedColor;
            // On the filled background the caption in the same colour would vanish.
            if (T->FHighlightStyle == vuBackground)
                Color = InvertColor(Color);
        }
        C->Font()->SetColor(Color);
        const Integer W = C->TextWidth(Text);
        C->TextOut((Width() - W) / 2, Height() - Gutters().Bottom + 4, Text);
        C->Pen()->SetMode(pmCopy);
    }
    if (T->FHighlightStyle != vuBackground && FSelected) {
        C->Pen()->SetColor(T->FSelectedColor);
        if (T->FHighlightStyle == vuThickLine)
            C->Pen()->SetWidth(2);
        C->Pen()->SetStyle(psSolid);
        C->Brush()->SetStyle(bsClear);
        C->Rectangle(PageRect());
    }
    RestoreDC(DC, Saved);
    C->Refresh();
}

// ---- TVuThumbnails ----

TVuThumbnails::TVuThumbnails(TComponent* AOwner)
    : TVuScrollingPageControl(AOwner), FCaptionFont(std::make_unique<TFont>()),
      FShadow(std::make_unique<TVuShadow>())
{
    SetBounds(0, 0, 240, 115);
    FShadow->SetWidth(2);
    FShadow->OnChange = [this](TObject*) { RepaintThumbnails(); };
    FCaptionFont->OnChange = [this](TObject*) { UpdateThumbnails(); };
}

TVuThumbnails::~TVuThumbnails()
{
    FCaptionFont->OnChange = nullptr;
    if (FPreview) {
        FPreview->RemoveAssociatedComponent(this);
        FPreview->RemoveFreeNotification(this);
        FPreview = nullptr;
    }
    // The thumbnails use the shadow held here.
    FreeThumbnails();
}

void TVuThumbnails::FreeThumbnails()
{
    std::vector<TVuThumbnail*> Old;
    Old.swap(FThumbnails);
    for (TVuThumbnail* T : Old)
        T->Free();
}

void TVuThumbnails::SetPreview(TVuPreview* Value)
{
    if (Value == FPreview)
        return;
    if (FPreview) {
        FreeThumbnails();
        FPreview->RemoveAssociatedComponent(this);
        FPreview->RemoveFreeNotification(this);
    }
    FPreview = Value;
    if (FPreview) {
        FPreview->AddAssociatedComponent(this);
        FPreview->FreeNotification(this);
        UpdateThumbnails();
    }
}

void TVuThumbnails::Notification(TComponent* AComponent, TOperation Operation)
{
    TVuScrollingPageControl::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent == FPreview) {
        FreeThumbnails();
        FPreview = nullptr;
    }
}

TVuThumbnail* TVuThumbnails::GetThumbnail(Integer Index) const
{
    if (Index < 0 || Index >= ThumbnailCount())
        return nullptr;
    return FThumbnails[Index];
}

void TVuThumbnails::SetThumbnail(Integer Index, TVuThumbnail* Thumbnail)
{
    if (Index >= 0 && Index < ThumbnailCount())
        FThumbnails[Index] = Thumbnail;
}

void TVuThumbnails::UpdateThumbnails()
{
    DisableAutoRange();
    FreeThumbnails();
    ResizeThumbList();
    RescaleThumbnails();
    RedrawThumbnails();
    EnableAutoRange();
    if (FPreview)
        SetItemIndex(FPreview->GetCurrentPageNum() - 1);
}

void TVuThumbnails::ResizeThumbList()
{
    if (!FPreview || ThumbnailCount() == FPreview->GetNumPages())
        return;
    while (ThumbnailCount() < FPreview->GetNumPages())
        AddThumbnail();
    while (ThumbnailCount() > FPreview->GetNumPages())
        DeleteThumbnail();
    Repaginate();
}

void TVuThumbnails::Repaginate()
{
    for (Integer I = 0; I < ThumbnailCount(); ++I)
        FThumbnails[I]->SetPage(FPreview->GetPage(I + 1));
}

void TVuThumbnails::AddThumbnail()
{
    auto* T = New<TVuThumbnail>(this, this);
    T->SetShadow(FShadow.get());
    T->SetPopupMenu(FThumbPopup);
    T->OnMouseDown = [this](TObject* Sender, TMouseButton, TShiftState, Integer, Integer) {
        ThumbMouseDown(Sender);
    };
    FThumbnails.push_back(T);
}

void TVuThumbnails::DeleteThumbnail()
{
    if (FThumbnails.empty())
        return;
    TVuThumbnail* T = FThumbnails.back();
    FThumbnails.pop_back();
    T->Free();
}

void TVuThumbnails::RescaleThumbnails()
{
    const Integer Band = FShowCaption ? 4 - FCaptionFont->Height() : 0;
    const Integer S = FThumbSpacing;
    for (TVuThumbnail* T : FThumbnails) {
        T->SetGutters(TRect{S, S, S, S + Band});
        T->SetZoom(FThumbSize + 2);
        const TSize E = T->GetPageExtent(96);
        T->SetBounds(T->Left(), T->Top(), E.cx + 2 * S, E.cy + 2 * S + Band);
    }
}

void TVuThumbnails::RedrawThumbnails()
{
    // A grid needs at least one thumbnail a row.
    const Integer Columns = std::max(FGridWidth, 1);
    const Integer Current = FPreview ? FPreview->GetCurrentPageNum() : 0;
    const Integer HPos = HorzScrollBar()->Position(), VPos = VertScrollBar()->Position();
    Integer X = 0, Y = 0;
    DisableAutoRange();
    for (Integer I = 0; I < ThumbnailCount(); ++I) {
        TVuThumbnail* T = FThumbnails[I];
        T->SetSelected(FHighlight && I + 1 == Current);
        T->SetBounds(X - HPos, Y - VPos, T->Width(), T->Height());
        if (T->Parent() != this)
            T->SetParent(this);
        switch (FLayout) {
        case vuThumbHorz:
            X += T->Width() - 1;
            break;
        case vuThumbVert:
            Y += T->Height() - 1;
            break;
        case vuThumbGrid:
            if ((I + 1) % Columns != 0) {
                X += T->Width() - 1;
            } else {
                X = 0;
                Y += T->Height() - 1;
            }
            break;
        }
    }
    EnableAutoRange();
}

void TVuThumbnails::SetItemIndex(Integer Value)
{
    if (Value == FItemIndex)
        return;
    if (TVuThumbnail* Old = GetThumbnail(FItemIndex))
        Old->SetSelected(false);
    FItemIndex = Value;
    TVuThumbnail* New = GetThumbnail(FItemIndex);
    if (New && FHighlight)
        New->SetSelected(true);
    if (FPreview && FScrollIntoView && New)
        ScrollInView(New);
}

void TVuThumbnails::ThumbMouseDown(TObject* Sender)
{
    if (FUpdateCount > 0)
        return;
    auto It = std::find(FThumbnails.begin(), FThumbnails.end(), Sender);
    if (It == FThumbnails.end())
        return;
    SetItemIndex(static_cast<Integer>(It - FThumbnails.begin()));
    if (FPreview)
        FPreview->SetCurrentPageNum(FItemIndex + 1);
}

void TVuThumbnails::RepaintThumbnails()
{
    for (TVuThumbnail* T : FThumbnails)
        T->Invalidate();
}

void TVuThumbnails::SetCaptionFont(TFont* Value)
{
    FCaptionFont->Assign(Value);
    UpdateThumbnails();
}

void TVuThumbnails::SetPageCaptions(const AnsiString& Value)
{
    if (Value != FPageCaptions) {
        FPageCaptions = Value;
        RepaintThumbnails();
    }
}

void TVuThumbnails::SetGridWidth(Integer Value)
{
    if (Value != FGridWidth) {
        FGridWidth = Value;
        RedrawThumbnails();
    }
}

void TVuThumbnails::SetHighlight(bool Value)
{
    if (Value != FHighlight) {
        FHighlight = Value;
        RepaintThumbnails();
    }
}

void TVuThumbnails::SetHighlightStyle(TVuHighlightStyle Value)
{
    if (Value != FHighlightStyle) {
        FHighlightStyle = Value;
        RepaintThumbnails();
    }
}

void TVuThumbnails::SetLayout(TVuThumbNailLayout Value)
{
    if (Value != FLayout) {
        FLayout = Value;
        RedrawThumbnails();
    }
}

void TVuThumbnails::SetPlainPages(bool Value)
{
    if (Value != FPlainPages) {
        FPlainPages = Value;
        RepaintThumbnails();
    }
}

void TVuThumbnails::SetSelectedColor(TColor Value)
{
    if (Value != FSelectedColor) {
        FSelectedColor = Value;
        RepaintThumbnails();
    }
}

void TVuThumbnails::SetShadow(TVuShadow* Value)
{
    FShadow->Assign(Value);
    RepaintThumbnails();
}

void TVuThumbnails::SetShowCaption(bool Value)
{
    if (Value != FShowCaption) {
        FShowCaption = Value;
        UpdateThumbnails();
    }
}

void TVuThumbnails::SetThumbPopup(TPopupMenu* Value)
{
    FThumbPopup = Value;
    for (TVuThumbnail* T : FThumbnails)
        T->SetPopupMenu(Value);
}

void TVuThumbnails::SetThumbSize(Integer Value)
{
    if (Value != FThumbSize) {
        FThumbSize = Value;
        UpdateThumbnails();
    }
}

void TVuThumbnails::SetThumbSpacing(Integer Value)
{
    if (Value != FThumbSpacing) {
        FThumbSpacing = Value;
        UpdateThumbnails();
    }
}

void TVuThumbnails::WndProc(TMessage& Message)
{
    switch (Message.Msg) {
    case VU_BEGINUPDATE:
        ++FUpdateCount;
        return;
    case VU_ENDUPDATE:
        if (FUpdateCount > 0 && --FUpdateCount == 0)
            UpdateThumbnails();
        return;
    case VU_HEADERFOOTERCHANGED:
        for (TVuThumbnail* T : FThumbnails)
            T->InvalidatePage();
        return;
    case VU_NUMPAGESCHANGED:
    case VU_PAPERSIZECHANGED:
        UpdateThumbnails();
        return;
    case VU_PAGECONTENTCHANGED:
        if (FPreview) {
            // The current page is the one being drawn on or dragged about.
            if (TVuThumbnail* T = GetThumbnail(FPreview->GetCurrentPageNum() - 1))
                T->InvalidatePage();
            SetItemIndex(-1);
            SetItemIndex(FPreview->GetCurrentPageNum() - 1);
        }
        return;
    case VU_PAGENUMCHANGED:
        if (FPreview)
            SetItemIndex(FPreview->GetCurrentPageNum() - 1);
        return;
    default:
        break;
    }
    TVuScrollingPageControl::WndProc(Message);
}
