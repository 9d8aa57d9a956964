#pragma once
// The preview: a scrolling control that owns a print document and shows its current page
// through a paper image. Callers draw through Canvas (the document's recording canvas), turn
// pages, zoom, scroll, pan, select and drag page objects, print, and save or load the
// document. Every change is told to the registered companion controls (the thumbnails)
// through the VU_* window messages below, sent synchronously and held back while the document
// is updating.
#include "print/VuControls.h"
#include "print/VuPageList.h"
#include "print/VuPaperImage.h"

#include <memory>
#include <vector>

inline constexpr UINT VU_PAGESPERSHEETCHANGED = 7034;
inline constexpr UINT VU_HEADERFOOTERCHANGED = 7035;
inline constexpr UINT VU_ORIENTATIONCHANGED = 7036;
inline constexpr UINT VU_PAGECONTENTCHANGED = 7038;
inline constexpr UINT VU_NUMPAGESCHANGED = 7039;
inline constexpr UINT VU_PRINTERCHANGED = 7042;
inline constexpr UINT VU_BEGINUPDATE = 7043;
inline constexpr UINT VU_ENDUPDATE = 7044;
inline constexpr UINT VU_PAPERSIZECHANGED = 7045;
inline constexpr UINT VU_PAGENUMCHANGED = 7047;

// Screen cursors of the zoom tools.
inline constexpr TCursor crVuZoomIn = 101;
inline constexpr TCursor crVuZoomOut = 102;

using TVuBeforeLoadNotify = std::function<void(TObject* Sender, Extended FileVersion, bool& LoadFile)>;
using TVuDrawBandEvent = std::function<void(TObject* Sender, TVuValueRect* ARect, TVuCanvas* ACanvas)>;
using TVuNeedRichEditNotify = std::function<void(TObject* Sender, TCustomMemo*& ARichEdit)>;
using TVuObjectMouseEvent = std::function<void(TObject* Sender, TMouseButton Button, TShiftState Shift,
                                               TVuValue* X, TVuValue* Y, TVuVisibleObject* AVuObject)>;
using TVuPrintProgressNotify = std::function<void(TObject* Sender, Integer Printed, Integer Total)>;

class TVuPreview : public TVuScrollingPageControl {
public:
    explicit TVuPreview(TComponent* AOwner);
    ~TVuPreview() override;

    // ---- The document ----
    TVuPageList* Document() const { return FDocument.get(); }
    TVuPaperImage* PaperImage() const { return FPaperImage; }
    void BeginUpdate();
    void EndUpdate();
    bool GetIsUpdating() const { return FDocument->Updating(); }
    // All pages and resources go; one empty page remains.
    void Clear();
    TVuPage* NewPage() { return FDocument->AddPage(); }
    TVuPage* InsertPage(Integer Index) { return FDocument->InsertPage(Index); }
    void DeletePage(Integer Index) { FDocument->DeletePage(Index); }
    void DeleteCurrentPage() { DeletePage(GetCurrentPageNum() - 1); }
    TVuPage* GetPage(Integer N) const { return FDocument->GetPage(N); }
    TVuPage* GetCurrentPage() const { return FDocument->ActivePage(); }
    Integer GetCurrentPageNum() const { return FDocument->CurrentPage(); }
    void SetCurrentPageNum(Integer N) { FDocument->SetCurrentPage(N); }
    void FirstPage() { SetCurrentPageNum(1); }
    void LastPage() { SetCurrentPageNum(GetNumPages()); }
    void NextPage() { SetCurrentPageNum(GetCurrentPageNum() + 1); }
    void PrevPage() { SetCurrentPageNum(GetCurrentPageNum() - 1); }
    Integer GetNumPages() const { return FDocument->Count(); }
    TVuResourceTable* GetResourceTable() const { return FDocument->ResourceTable(); }
    TVuPrinter* GetVuPrinter() const { return FDocument->Printer(); }
    TVuMargins* GetMargins() const { return FDocument->Margins(); }
    void SetMargins(TVuMargins* Value) { FDocument->Margins()->Assign(Value); }
    TVuHeader* GetHeader() const { return FDocument->Header(); }
    void SetHeader(TVuHeader* Value) { FDocument->Header()->Assign(Value); }
    TVuFooter* GetFooter() const { return FDocument->Footer(); }
    void SetFooter(TVuFooter* Value) { FDocument->Footer()->Assign(Value); }
    TVuValueRect* HeaderRect() { return FDocument->HeaderRect(); }
    TVuValueRect* FooterRect() { return FDocument->FooterRect(); }
    TVuValueRect* GetAvailablePageRect() { return FDocument->AvailablePageRect(); }
    TVuRect GetAvailablePageVuRect(TVuMeasurement M);
    Extended GetAvailablePageWidth(TVuMeasurement M);
    Extended GetAvailablePageHeight(TVuMeasurement M);
    TVuSize GetPageSize(TVuMeasurement M) const;
    Extended GetPageWidth(TVuMeasurement M) const;
    Extended GetPageHeight(TVuMeasurement M) const;
    void FindText(const AnsiString& Text, bool MatchCase, TList* List)
    {
        FDocument->FindText(Text, MatchCase, List);
    }
    // The topmost visible object at the point of the current page, or null.
    TVuVisibleObject* VuObjectAtPos(Extended X, Extended Y, TVuMeasurement M);
    TMetafile* PrintPageToMetafile(Integer N) { return FDocument->PrintPageToMetafile(N); }
    void PrintToFile(const AnsiString&) {}

    // ---- Printing ----
    void Print() { PrintRange(1, GetNumPages()); }
    void PrintRange(Integer From, Integer To);
    void PrintCurrentPage();

    // ---- Page set-up ----
    TVuOrientation GetOrientation() const { return FDocument->Orientation(); }
    void SetOrientation(TVuOrientation Value);
    TVuPagesPerSheet GetPagesPerSheet() const { return FDocument->PagesPerSheet; }
    void SetPagesPerSheet(TVuPagesPerSheet Value);
    TVuPaperSize GetPaperSize() const { return FDocument->PaperSize(); }
    void SetPaperSize(TVuPaperSize Value) { FDocument->SetPaperSize(Value); }
    void SetCustomPageSize(Extended Width, Extended Height, TVuMeasurement M);
    void UsePrinterPageSize() { FDocument->UsePrinterPageSize(); }
    // The names of the 18 paper sizes in enumeration order.
    void PaperSizes(TStrings* Strings);
    AnsiString GetDateFormat() const { return GlobalDateTokenFormat; }
    void SetDateFormat(const AnsiString& Value) { GlobalDateTokenFormat = Value; }
    AnsiString GetTimeFormat() const { return GlobalTimeTokenFormat; }
    void SetTimeFormat(const AnsiString& Value) { GlobalTimeTokenFormat = Value; }
    AnsiString Tokenize(const AnsiString& Text, Integer PageNum);

    // ---- Files ----
    // Writes the document stream through a temporary file that replaces FileName only when
    // complete. False (and the file untouched) on failure; nothing is raised.
    bool SaveToFile(const AnsiString& FileName);
    // Reads a document stream: all or nothing. False, with the document as it was, when the file
    // cannot be read or is not a whole document; nothing is raised.
    bool LoadFromFile(const AnsiString& FileName);
    void SaveToStream(TStream* Stream) { FDocument->SaveToStream(Stream); }
    void LoadFromStream(TStream* Stream);
    // The "V" value of the file's first block; 0 when absent or unreadable.
    Extended GetFileVersion(const AnsiString& FileName);

    // ---- Zoom ----
    Integer Zoom() const { return FPaperImage->Zoom(); }
    void SetZoom(Integer Value);
    Integer MinZoom() const { return FMinZoom; }
    void SetMinZoom(Integer Value);
    Integer MaxZoom() const { return FMaxZoom; }
    void SetMaxZoom(Integer Value);
    Integer ZoomIncrement() const { return FZoomIncrement; }
    void SetZoomIncrement(Integer Value) { FZoomIncrement = Value; }
    TVuZoomStyle ZoomStyle() const { return FZoomStyle; }
    void SetZoomStyle(TVuZoomStyle Value) { FZoomStyle = Value; }
    void ZoomIn();
    void ZoomOut();
    void FitWidth();
    void FitHeight();
    void FitWholePage();
    // Zooms so that Rect (client pixels) fills the view and scrolls it into the middle.
    void ZoomToArea(const TRect& Rect);
    Integer Gutter() const { return FPaperImage->Gutters().Left; }
    void SetGutter(Integer Value);

    // ---- Scrolling ----
    void UpdateScrollBars();
    void SaveScrollPos();
    void LoadScrollPos() { ScrollToPosition(FSavedHorz, FSavedVert); }
    // Positions in percent of each bar's scrollable range.
    void ScrollToPosition(Extended Horizontal, Extended Vertical);
    void CenterOnClick(Integer X, Integer Y);
    void StartPanning();
    void StopPanning();
    bool Panning() const { return FPanning; }
    using TVuScrollingPageControl::SetCursor;
    void SetCursor(TVuCursor Cursor);

    // ---- Selection, dragging and rubber band ----
    TVuVisibleObject* SelectedVuObject() const { return FSelectedObject; }
    void SelectVuObject(TVuVisibleObject* Object);
    void DeleteSelectedVuObject();
    // The object's frame in client pixels (empty for null).
    TRect VuObjectRect(TVuVisibleObject* Object);
    void DragVuObjectStart(TVuVisibleObject* Object);
    void DragVuObjectEnd();
    bool DraggingObject() const { return FDraggingObject; }
    bool ShowSelection() const { return FShowSelection; }
    void SetShowSelection(bool Value);
    TPen* SelectionPen() const { return FSelectionPen.get(); }
    void DragDrawStart() { FPaperImage->DragDrawStart(); }
    void DragDrawCancel() { FPaperImage->DragDrawStop(); }
    TVuDragDrawing GetDragDrawShape() const { return FPaperImage->DragShape(); }
    void SetDragDrawShape(TVuDragDrawing Value) { FPaperImage->SetDragShape(Value); }
    void DragDrawZoom();
    void DragDrawToCanvas();

    // ---- Decorations ----
    TVuPageGrid* PageGrid() const { return FPageGrid.get(); }
    TVuShadow* Shadow() const { return FShadow.get(); }
    void SetShadow(TVuShadow* Value) { FShadow->Assign(Value); }

    // ---- Companions ----
    void AddAssociatedComponent(TComponent* Component);
    void RemoveAssociatedComponent(TComponent* Component);
    void MessageToControls(UINT Msg, WPARAM WParam = 0, LPARAM LParam = 0);

    // The form property "MarginValues": the four margins in whole twips, then the margin pen and
    // the printer-margin pen as pen texts, as comma text.
    AnsiString MarginValuesText();
    // Reads the margins from the first four items and the pens from the fifth and sixth where
    // present; an item that is no number leaves its margin as it was.
    void SetMarginValuesText(const AnsiString& Text);
    void DefineProperties(TFiler* Filer) override;

    void WndProc(TMessage& Message) override;

    // ---- Events ----
    TNotifyEvent AfterPrint, BeforePrint, OnAbortPrint, OnClear, OnMouseEnter, OnMouseLeave, OnNewPage,
        OnOrientationChanged, OnPageChanged;
    TVuBeforeLoadNotify BeforeLoad;
    TVuDrawBandEvent OnDrawHeader, OnDrawFooter;
    TVuNeedRichEditNotify OnNeedRichEdit;
    TVuObjectMouseEvent OnObjectMouseDown;
    TVuPageMouseEvent OnPageMouseDown, OnPageMouseUp;
    TVuPageMouseMoveEvent OnPageMouseMove;
    TVuPageDragDropEvent OnPageDragDrop;
    TVuPageDragOverEvent OnPageDragOver;
    TVuPrintProgressNotify OnPrintProgress;

protected:
    void AlignControls(TControl* AControl, TRect& Rect) override;
    void KeyDown(Word& Key, TShiftState Shift) override;
    bool DoMouseWheel(TShiftState Shift, Integer WheelDelta, TPoint MousePos) override;
    void Notification(TComponent* AComponent, TOperation Operation) override;

private:
    void WireDocument();
    void PlacePaperImage();
    void ShowCurrentPage();
    TControlScrollBar* ActiveBar();
    TPoint CursorInClient();
    void DrawObjectFrame(const TRect& Frame);
    // Paper image handlers.
    void ImageMouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y);
    void ImageMouseMove(TShiftState Shift, Integer X, Integer Y);
    void ImageMouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y);
    void OverlayPaint();

    std::unique_ptr<TVuPageList> FDocument;
    std::unique_ptr<TVuPageGrid> FPageGrid;
    std::unique_ptr<TVuShadow> FShadow;
    TVuPaperImage* FPaperImage = nullptr; // owned as a component
    std::vector<TComponent*> FAssociated;
    std::unique_ptr<TPen> FSelectionPen;
    TVuVisibleObject* FSelectedObject = nullptr;
    bool FPanning = false;
    bool FShowSelection = true;
    bool FDraggingObject = false;
    bool FHoldMessages = false;
    bool FContentReported = false;
    Integer FMinZoom = 5, FMaxZoom = 400, FZoomIncrement = 10;
    TVuZoomStyle FZoomStyle = vuVariableZoom;
    TPoint FMouseDownPoint;
    TPoint FPanStart;
    Integer FPanHorz = 0, FPanVert = 0;
    Extended FSavedHorz = 0, FSavedVert = 0;
    TVuPoint FLastPagePoint, FDragStartPoint;
    TRect FObjectFrame, FLastFrame;
};
