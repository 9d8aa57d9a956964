#pragma once
// Page thumbnails: every page of a preview's document as a small picture in a row, a column or
// a grid, with a caption under each. The control registers with its preview as a companion and
// follows it only through the preview's VU_* messages; clicking a thumbnail makes its page the
// preview's current page. Each thumbnail keeps its rendered page like the preview's paper
// image, so scrolling the strip costs no page drawing.
#include "print/VuPreview.h"

#include <memory>
#include <vector>

class TVuThumbnails;
class TPopupMenu;

class TVuThumbnail : public TVuPaperImage {
public:
    TVuThumbnail(TComponent* AOwner, TVuThumbnails* Thumbnails);
    bool Selected() const { return FSelected; }
    void SetSelected(bool Value);

protected:
    void Paint() override;

private:
    TVuThumbnails* FThumbnails;
    bool FSelected = false;
};

class TVuThumbnails : public TVuScrollingPageControl {
public:
    explicit TVuThumbnails(TComponent* AOwner);
    ~TVuThumbnails() override;

    TVuPreview* Preview() const { return FPreview; }
    void SetPreview(TVuPreview* Value);

    TFont* CaptionFont() const { return FCaptionFont.get(); }
    void SetCaptionFont(TFont* Value);
    // Every "#" becomes the page number.
    const AnsiString& PageCaptions() const { return FPageCaptions; }
    void SetPageCaptions(const AnsiString& Value);
    Integer GridWidth() const { return FGridWidth; }
    void SetGridWidth(Integer Value);
    bool Highlight() const { return FHighlight; }
    void SetHighlight(bool Value);
    TVuHighlightStyle HighlightStyle() const { return FHighlightStyle; }
    void SetHighlightStyle(TVuHighlightStyle Value);
    Integer ItemIndex() const { return FItemIndex; }
    void SetItemIndex(Integer Value);
    TVuThumbNailLayout Layout() const { return FLayout; }
    void SetLayout(TVuThumbNailLayout Value);
    bool PlainPages() const { return FPlainPages; }
    void SetPlainPages(bool Value);
    bool ScrollIntoView() const { return FScrollIntoView; }
    void SetScrollIntoView(bool Value) { FScrollIntoView = Value; }
    TColor SelectedColor() const { return FSelectedColor; }
    void SetSelectedColor(TColor Value);
    TVuShadow* Shadow() const { return FShadow.get(); }
    void SetShadow(TVuShadow* Value);
    bool ShowCaption() const { return FShowCaption; }
    void SetShowCaption(bool Value);
    TPopupMenu* ThumbPopup() const { return FThumbPopup; }
    void SetThumbPopup(TPopupMenu* Value);
    // The thumbnails' zoom is ThumbSize + 2 percent.
    Integer ThumbSize() const { return FThumbSize; }
    void SetThumbSize(Integer Value);
    Integer ThumbSpacing() const { return FThumbSpacing; }
    void SetThumbSpacing(Integer Value);
    Integer UpdateCount() const { return FUpdateCount; }

    Integer ThumbnailCount() const { return static_cast<Integer>(FThumbnails.size()); }
    // Null for -1 or past the end.
    TVuThumbnail* GetThumbnail(Integer Index) const;
    void SetThumbnail(Integer Index, TVuThumbnail* Thumbnail);

    // Rebuilds every thumbnail from the preview's pages.
    void UpdateThumbnails();
    void ResizeThumbList();
    void RescaleThumbnails();
    void RedrawThumbnails();
    void AddThumbnail();
    void DeleteThumbnail();

    void WndProc(TMessage& Message) override;

protected:
    void Notification(TComponent* AComponent, TOperation Operation) override;

private:
    friend class TVuThumbnail;
    void FreeThumbnails();
    void Repaginate();
    void RepaintThumbnails();
    void ThumbMouseDown(TObject* Sender);

    std::unique_ptr<TFont> FCaptionFont;
    AnsiString FPageCaptions = "#";
    Integer FGridWidth = 4;
    bool FHighlight = true;
    TVuHighlightStyle FHighlightStyle = vuThickLine;
    Integer FItemIndex = 0;
    TVuThumbNailLayout FLayout = vuThumbHorz;
    bool FPlainPages = false;
    TVuPreview* FPreview = nullptr;
    bool FScrollIntoView = true;
    TColor FSelectedColor = 0xFF0000;
    std::unique_ptr<TVuShadow> FShadow;
    bool FShowCaption = true;
    std::vector<TVuThumbnail*> FThumbnails;
    TPopupMenu* FThumbPopup = nullptr;
    Integer FThumbSize = 4;
    Integer FThumbSpacing = 8;
    Integer FUpdateCount = 0;
};
