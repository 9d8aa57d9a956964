#pragma once
// The paper image: one page of a print document shown as a white sheet centred in the control,
// drawn at a fixed virtual resolution (600 dpi) and mapped to the screen at a zoom, with the
// margin outlines, an optional page grid, an outline and a drop shadow. It turns mouse
// positions into inches on the page and offers a rubber-band rectangle.
//
// The sheet is rendered once per page, size and zoom into an off-screen image, and every
// later paint (scrolling, overlays, exposure) copies from that image, so a page full of
// objects costs one rendering however often it is shown. At deep zooms the image holds only the
// view and half a view around it, rendered again when scrolling leaves it. Anything that changes what the
// sheet shows must go through SetPage, a setter or InvalidatePage; a plain Invalidate repaints from the
// image.
#include "platform/forms/Controls.h"
#include "print/VuTypes.h"

#include <functional>
#include <memory>

class TVuPage;
class TVuMargins;

using TVuChangeHook = std::function<void(TObject* Sender)>;

class TVuShadow : public TPersistent {
public:
    TColor Color() const { return FColor; }
    void SetColor(TColor Value);
    Integer Width() const { return FWidth; }
    void SetWidth(Integer Value);
    bool Visible() const { return FVisible; }
    void SetVisible(bool Value);
    // Another shadow: copies colour, width and visibility and reports a change.
    void Assign(TPersistent* Source) override;
    // Draws the right and bottom bands beside Rect (device units, MM_TEXT).
    void Draw(TCanvas* Canvas, const TRect& Rect);
    TVuChangeHook OnChange;

private:
    void Changed();
    TColor FColor = 0;
    Integer FWidth = 3;
    bool FVisible = true;
};

class TVuPageGrid : public TPersistent {
public:
    TVuPageGrid();
    ~TVuPageGrid() override;
    TPen* GridPen() const { return FGridPen.get(); }
    void SetGridPen(TPen* Value);
    TVuGridStyle GridStyle() const { return FGridStyle; }
    void SetGridStyle(TVuGridStyle Value);
    // The distance between grid lines (10 millimetres).
    TVuValue* Spacing() const { return FSpacing.get(); }
    // Lines or dots every Spacing over a page of PageSize inches at Ppi device units per inch.
    void DrawToCanvas(TCanvas* Canvas, const TVuSize& PageSize, Integer Ppi);
    TVuChangeHook OnChange;

private:
    void Changed();
    std::unique_ptr<TPen> FGridPen;
    TVuGridStyle FGridStyle = vuNoGrid;
    std::unique_ptr<TVuValue> FSpacing;
};

using TVuPageMouseEvent =
    std::function<void(TObject* Sender, TMouseButton Button, TShiftState Shift, TVuValue* X, TVuValue* Y)>;
using TVuPageMouseMoveEvent =
    std::function<void(TObject* Sender, TShiftState Shift, TVuValue* X, TVuValue* Y)>;
using TVuPageDragOverEvent = std::function<void(TObject* Sender, TObject* Source, TVuValue* X, TVuValue* Y,
                                                TDragState State, bool& Accept)>;
using TVuPageDragDropEvent = std::function<void(TObject* Sender, TObject* Source, TVuValue* X, TVuValue* Y)>;

class TVuPaperImage : public TGraphicControl {
public:
    explicit TVuPaperImage(TComponent* AOwner);
    ~TVuPaperImage() override;

    // The page at Ppi pixels per inch and the zoom: (round(Ppi × width × zoom / 100), …).
    TSize GetPageExtent(Integer Ppi) const;
    // The page at 96 pixels per inch centred in the area inside the gutters.
    virtual TRect PageRect();
    // A client position in inches from the page's top-left corner.
    void XYtoInchValuePoint(Integer X, Integer Y, TVuValuePoint* ValuePoint);
    TVuPoint XYtoInchPoint(Integer X, Integer Y);
    TVuRect GetDragDrawInchRect();
    TPoint CalcCursorPos();

    // Rubber band.
    void DragDrawStart();
    void DragDrawStop();
    bool IsDragging() const { return FDragging; }
    const TRect& DragRect() const { return FDragRect; }
    TVuDragDrawing DragShape() const { return FDragShape; }
    void SetDragShape(TVuDragDrawing Value) { FDragShape = Value; }

    TVuPage* Page() const { return FPage; }
    void SetPage(TVuPage* Value);
    const TVuSize& PaperSize() const { return FPaperSize; }
    void SetPaperSizeInch(const TVuSize& Value);
    Integer Zoom() const { return FZoom; }
    void SetZoom(Integer Value);
    Integer DrawPpi() const { return FDrawPpi; }
    void SetDrawPpi(Integer Value);
    const TRect& Gutters() const { return FGutters; }
    void SetGutters(const TRect& Value);
    TVuShadow* Shadow() const { return FShadow; }
    void SetShadow(TVuShadow* Value);
    TVuPageGrid* Grid() const { return FGrid; }
    void SetGrid(TVuPageGrid* Value);
    TVuMargins* Margins() const { return FMargins; }
    void SetMargins(TVuMargins* Value);
    bool ShowContent() const { return FShowContent; }
    void SetShowContent(bool Value);
    bool Thumbnail() const { return FThumbnail; }
    void SetThumbnail(bool Value);

    void BeginUpdate() { ++FUpdateCount; }
    void EndUpdate();
    bool GetIsUpdating() const { return FUpdateCount > 0; }

    // The sheet's content changed: render it again at the next paint.
    void InvalidatePage();
    // Invalidates (the grid's and shadow's change hooks lead here).
    void Changed(TObject* Sender);

    // The last converted positions.
    TVuValuePoint* MousePoint() const { return FMousePoint.get(); }
    TVuValuePoint* DragPoint() const { return FDragPoint.get(); }
    // How often the sheet was rendered (each is a full drawing of the page); for tests and
    // benchmarks.
    Integer RenderCount() const { return FRenderCount; }
    // The part of the sheet the off-screen image holds, in client coordinates (empty when none).
    TRect CachedRect() const { return FCacheRect; }

    void DragOver(TObject* Source, Integer X, Integer Y, TDragState State, bool& Accept) override;
    void DragDrop(TObject* Source, Integer X, Integer Y) override;
    void WndProc(TMessage& Message) override;

    TNotifyEvent OnMouseEnter;
    TNotifyEvent OnMouseLeave;
    TVuPageDragDropEvent OnPageDragDrop;
    TVuPageDragOverEvent OnPageDragOver;
    TVuPageMouseEvent OnPageMouseDown;
    TVuPageMouseEvent OnPageMouseUp;
    TVuPageMouseMoveEvent OnPageMouseMove;
    // Called after the sheet is painted, clipped to the paper, with the canvas in the parent's
    // client coordinates (MM_TEXT) and a clear brush.
    TNotifyEvent OnOverlayPaint;

protected:
    void Paint() override;
    void MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
    void MouseMove(TShiftState Shift, Integer X, Integer Y) override;
    void MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
    // Draws the rubber band with an inverting dotted pen: twice leaves no trace.
    void DrawDragOutline();

private:
    // Draws the sheet (paper, margins, content, grid, outline) with the page's corner at
    // (OrgX, OrgY) of the canvas.
    void RenderPaper(TCanvas* Canvas, Integer OrgX, Integer OrgY);
    void DropCache();
    // The part of the control that can be seen: inside the parent's client area.
    TRect VisiblePart();

    bool FDragging = false;
    TVuDragDrawing FDragShape = vuDragRectangle;
    bool FShowContent = true;
    bool FThumbnail = false;
    Integer FDrawPpi = 600;
    TRect FDragRect;
    TVuPageGrid* FGrid = nullptr;
    TRect FGutters{30, 30, 30, 30};
    TVuSize FPaperSize{8.26, 11.69};
    TVuPage* FPage = nullptr;
    TVuShadow* FShadow = nullptr;
    Integer FUpdateCount = 0;
    std::unique_ptr<TVuValuePoint> FMousePoint;
    std::unique_ptr<TVuValuePoint> FDragPoint;
    Integer FZoom = 20;
    TVuMargins* FMargins = nullptr;

    // The rendered sheet and what it was rendered from.
    std::unique_ptr<TBitmap> FCache;
    struct TCacheKey {
        const TVuPage* Page = nullptr;
        Integer Objects = -1, PageNum = -1, NumPages = -1;
        TRect Paper; // where the sheet lies in the control (the kept part is placed by it)
        bool operator==(const TCacheKey&) const = default;
    } FCacheKey;
    TRect FCacheRect{};
    Integer FRenderCount = 0;
};
