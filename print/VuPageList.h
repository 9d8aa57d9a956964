#pragma once
// The print document: an ordered list of pages, each holding the page objects recorded on it
// and an optional block of rich text, plus everything the pages share (resource table,
// recording canvas, header and footer bands, user margins, printer).
//
// Page numbers are 1-based; page and object indices 0-based. The document reports every
// change through its hooks; BeginUpdate/EndUpdate brackets hold the page-count, content,
// header/footer and margin hooks back, and the closing EndUpdate fires page count, then
// content, once. Lengths are inches unless a TVuMeasurement is named.
#include "platform/forms/Graphics.h"
#include "platform/forms/StdCtrls.h"
#include "platform/rtl/Lists.h"
#include "platform/rtl/Streams.h"
#include "print/VuCanvas.h"
#include "print/VuObjects.h"
#include "print/VuPrinter.h"
#include "print/VuResources.h"
#include "print/VuTypes.h"
#include "print/VuValueList.h"

#include <functional>
#include <memory>
#include <vector>

class TVuPageList;
class TVuHeaderFooter;
class TVuMargins;

// ---- Rich-text block of a page ----

class TVuPageRtfInfo : public TObject {
public:
    explicit TVuPageRtfInfo(TVuResourceTable* ResourceTable);
    ~TVuPageRtfInfo() override;
    TVuPageRtfInfo(const TVuPageRtfInfo&) = delete;
    TVuPageRtfInfo& operator=(const TVuPageRtfInfo&) = delete;

    // X = first character, Y = last character of the range to print.
    TPoint Offset() const { return FOffset; }
    void SetOffset(const TPoint& Value);
    // The formatting rectangle in inches.
    TVuValueRect* Margins() { return &FMargins; }
    void SetMargins(TVuValueRect* Value) { FMargins.SetAsInchRect(Value->GetAsInchRect()); }
    // Held by the resource table's memo list; null when the page has no rich text.
    TCustomMemo* RichEdit() const { return FRichEdit; }
    // A different control first releases the current one from the memo list; no hook.
    void SetRichEdit(TCustomMemo* Value);
    // When false the right edge of the formatting rectangle is multiplied by 10 before
    // rendering, so that lines do not wrap at the rectangle.
    bool C_WRT = true;
    TNotifyEvent OnChange;

    // Offset (0,0), rectangle all zero, and the rich edit released from the memo list.
    void Clear();
    void LoadFromValueList(TVuValueList* List);
    void SaveToValueList(TVuValueList* List);
    TVuResourceTable* ResourceTable() const { return FResourceTable; }
    void SetResourceTable(TVuResourceTable* Table) { FResourceTable = Table; }

private:
    TPoint FOffset{0, 0};
    TVuValueRect FMargins;
    TCustomMemo* FRichEdit = nullptr;
    TVuResourceTable* FResourceTable;
};

// ---- A page ----

class TVuPage : public TObject {
public:
    explicit TVuPage(TVuPageList* Document);
    ~TVuPage() override;
    TVuPage(const TVuPage&) = delete;
    TVuPage& operator=(const TVuPage&) = delete;

    // The objects in drawing order (the last is on top).
    TVuBaseObjectList* Objects() { return &FObjects; }
    Integer Count() const { return FObjects.Count(); }
    TVuBaseObject* VuObject(Integer Index) const { return FObjects.GetObject(Index); }
    // 1-based position in the document; 0 when the page has no document or is not in it.
    Integer PageNum() const;
    TVuPageList* Document() const { return FDocument; }
    void SetDocument(TVuPageList* Document);

    TVuOrientation Orientation() const { return FOrientation; }
    // The size becomes (smaller, larger) for portrait and (larger, smaller) for landscape;
    // fires OnOrientationChange.
    void SetOrientation(TVuOrientation Value);
    // Width then height, inches.
    TVuSize PageSize() const { return FPageSize; }
    // Stores and fires OnChange.
    void SetPageSize(const TVuSize& Size);
    TVuSize GetPageSize(TVuMeasurement M) const { return ConvertVuSize(FPageSize, vuInches, M); }

    TVuPageRtfInfo* RtfInfo() { return FRtfInfo.get(); }
    bool ShowFooter = true;
    bool ShowHeader = true;
    TNotifyEvent OnChange;
    TNotifyEvent OnOrientationChange;
    void Changed();

    // Appends (taking ownership) and fires OnChange.
    void AddObject(TVuBaseObject* Object);
    // Frees Object when it is on the page; fires OnChange either way.
    void DeleteVuObject(TVuBaseObject* Object);
    void DeleteLastVuObject();
    // Frees all objects and fires OnChange.
    void Clear();
    // A new empty object of the id made with the document's resource table; null outside 0..19.
    TVuBaseObject* CreateVuObject(Integer ObjectID);
    // The topmost visible object under the point; false (and Object null) when none.
    bool ObjectAtPos(Extended X, Extended Y, TVuMeasurement M, TVuBaseObject*& Object);

    // Rich text, objects in list order, then the header and footer bands.
    void DrawToCanvas(TCanvas* Canvas, Integer PpiX, Integer PpiY, bool Thumbnail);
    void DrawRichText(TCanvas* Canvas, Integer PpiX, Integer PpiY, bool Wrap);

    // One page record of the document stream (value list, then the object records).
    void SaveToStream(TStream* Stream);
    void LoadFromStream(TStream* Stream);

private:
    TVuResourceTable* Table() const;
    TVuBaseObjectList FObjects;
    TVuOrientation FOrientation = vuPortrait;
    TVuSize FPageSize{8.26, 11.69};
    TVuPageList* FDocument;
    std::unique_ptr<TVuPageRtfInfo> FRtfInfo;
};

// ---- Header and footer ----

class TVuHeaderFooterCaption : public TPersistent {
public:
    explicit TVuHeaderFooterCaption(TVuHeaderFooter* Band);
    ~TVuHeaderFooterCaption() override;
    const AnsiString& Caption() const { return FCaption; }
    // A different text fires the hook.
    void SetCaption(const AnsiString& Value);
    // "Arial", size 12 at creation; its own change event reaches the band as well.
    TFont* Font() const { return FFont.get(); }
    void SetFont(TFont* Value);
    TNotifyEvent OnChange;
    // Caption text and font.
    void Assign(TPersistent* Source) override;
    // The tokenized caption aligned in the band rectangle (device pixels); header captions sit
    // on the bottom edge (HangFromTop false), footer captions hang from the top edge; the font is
    // sized for Ppi, the resolution the page is drawn at.
    void DrawToCanvas(TCanvas* Canvas, const TRect& Band, TVuCaptionAlign Alignment, bool HangFromTop,
                      Integer Ppi, Integer PageNum, Integer PageCount);

private:
    void Changed();
    AnsiString FCaption;
    std::unique_ptr<TFont> FFont;
    TVuHeaderFooter* FBand;
};

class TVuHeaderFooter : public TPersistent {
public:
    TVuHeaderFooter();
    ~TVuHeaderFooter() override;
    TVuHeaderFooter(const TVuHeaderFooter&) = delete;
    TVuHeaderFooter& operator=(const TVuHeaderFooter&) = delete;

    TVuHeaderFooterCaption* CaptionLeft() const { return FCaptions[0].get(); }
    TVuHeaderFooterCaption* CaptionCenter() const { return FCaptions[1].get(); }
    TVuHeaderFooterCaption* CaptionRight() const { return FCaptions[2].get(); }
    // 0 left, 1 centre, 2 right.
    TVuHeaderFooterCaption* Caption(Integer Index) const { return FCaptions[Index].get(); }
    // The stored height, or (when 0) the height of the largest caption font.
    Extended GetHeight(TVuMeasurement M) const;
    void SetHeight(TVuMeasurement M, Extended Value);
    // The stored height in inches (0 = automatic).
    Extended StoredHeight() const { return FHeight.GetAsInches(); }
    TVuHeaderFooterCaption* GetLargestCaption() const;
    TFont* GetLargestFont() const { return GetLargestCaption()->Font(); }
    TPen* Pen() const { return FPen.get(); }
    // Copies the pen.
    void SetPen(TPen* Value) { FPen->Assign(Value); }
    bool ShowLine() const { return FShowLine; }
    void SetShowLine(bool Value);
    bool Visible() const { return FVisible; }
    void SetVisible(bool Value);
    TNotifyEvent OnChange;
    void Changed();
    // The three captions (text and font) and nothing else.
    void Assign(TPersistent* Source) override;
    virtual void DrawToCanvas(TCanvas* Canvas, TVuMargins* Margins, const TVuSize& PageSize, Integer PpiX,
                              Integer PpiY, Integer PageNum, Integer PageCount) = 0;

protected:
    void DrawBand(TCanvas* Canvas, const TRect& Band, bool Footer, Integer Ppi, Integer PageNum,
                  Integer PageCount);

private:
    std::unique_ptr<TVuHeaderFooterCaption> FCaptions[3];
    TVuValue FHeight;
    std::unique_ptr<TPen> FPen;
    bool FShowLine = true;
    bool FVisible = false;
};

class TVuHeader : public TVuHeaderFooter {
public:
    void DrawToCanvas(TCanvas* Canvas, TVuMargins* Margins, const TVuSize& PageSize, Integer PpiX,
                      Integer PpiY, Integer PageNum, Integer PageCount) override;
};

class TVuFooter : public TVuHeaderFooter {
public:
    void DrawToCanvas(TCanvas* Canvas, TVuMargins* Margins, const TVuSize& PageSize, Integer PpiX,
                      Integer PpiY, Integer PageNum, Integer PageCount) override;
};

// ---- Margins ----

// The published face of the margins for form streaming, in ValueMeasurement.
class TVuMarginValues : public TPersistent {
public:
    explicit TVuMarginValues(TVuMargins* Margins) : FMargins(Margins) {}
    TVuMeasurement ValueMeasurement = vuInches;
    // 0 left, 1 top, 2 right, 3 bottom; other indices read 0 and write nothing.
    Single GetValue(Integer Index) const;
    void SetValue(Integer Index, Single Value);
    Single Left() const { return GetValue(0); }
    Single Top() const { return GetValue(1); }
    Single Right() const { return GetValue(2); }
    Single Bottom() const { return GetValue(3); }
    void SetLeft(Single V) { SetValue(0, V); }
    void SetTop(Single V) { SetValue(1, V); }
    void SetRight(Single V) { SetValue(2, V); }
    void SetBottom(Single V) { SetValue(3, V); }

private:
    TVuMargins* FMargins;
};

class TVuMargins : public TPersistent {
public:
    explicit TVuMargins(TVuPrinter* Printer);
    ~TVuMargins() override;
    TVuMargins(const TVuMargins&) = delete;
    TVuMargins& operator=(const TVuMargins&) = delete;

    TVuValue* Left() { return &FLeft; }
    TVuValue* Top() { return &FTop; }
    TVuValue* Right() { return &FRight; }
    TVuValue* Bottom() { return &FBottom; }
    TPen* Pen() const { return FPen.get(); }
    void SetPen(TPen* Value) { FPen->Assign(Value); }
    TPen* PrinterMarginPen() const { return FPrinterMarginPen.get(); }
    void SetPrinterMarginPen(TPen* Value) { FPrinterMarginPen->Assign(Value); }
    TVuMarginValues* Values() { return &FValues; }
    TVuPrinter* Printer() const { return FPrinter; }
    void SetPrinter(TVuPrinter* Printer) { FPrinter = Printer; }

    bool ClipMargins() const { return FClipMargins; }
    void SetClipMargins(bool Value);
    bool Visible() const { return FVisible; }
    void SetVisible(bool Value);
    bool ShowPrinterMargins() const { return FShowPrinterMargins; }
    void SetShowPrinterMargins(bool Value);
    bool UsePrinterMargins() const { return FUsePrinterMargins; }
    void SetUsePrinterMargins(bool Value);
    TNotifyEvent OnChange;
    void Changed();

    // The four sides, both pens, ShowPrinterMargins and Visible; then Changed.
    void Assign(TPersistent* Source) override;
    TVuRect GetAsInches() const;
    void SetAsInches(const TVuRect& Rect);
    // The printer's unprintable gutters in M.
    TVuRect GetPrinterMargins(TVuMeasurement M, TVuOrientation Orientation);
    // Selects the margin rectangle as the canvas's clip region when ClipMargins is set.
    void Clip(const TVuSize& PageSize, TVuOrientation Orientation, TCanvas* Canvas, Integer Ppi);
    // Outlines the margins (when Visible) and the printer's gutters (when ShowPrinterMargins).
    void Draw(const TVuSize& PageSize, TVuOrientation Orientation, TCanvas* Canvas, Integer Ppi);

private:
    TRect MarginRect(const TVuSize& PageSize, Integer Ppi) const;
    TVuValue FLeft, FTop, FRight, FBottom;
    std::unique_ptr<TPen> FPen;
    std::unique_ptr<TPen> FPrinterMarginPen;
    TVuPrinter* FPrinter;
    TVuMarginValues FValues{this};
    bool FClipMargins = false;
    bool FVisible = false;
    bool FShowPrinterMargins = false;
    bool FUsePrinterMargins = false;
};

// ---- The document ----

using TVuDocumentEvent = std::function<void(TVuPageList* Sender)>;
using TVuBeforeLoadEvent = std::function<void(TVuPageList* Sender, Extended Version, bool& LoadFile)>;
using TVuNeedRichEditEvent = std::function<void(TVuPageList* Sender, TCustomMemo*& RichEdit)>;
using TVuPrintProgressEvent = std::function<void(TVuPageList* Sender, Integer Printed, Integer Total)>;

class TVuPageList : public TObject, public TVuCanvasTarget {
public:
    TVuPageList();
    ~TVuPageList() override;
    TVuPageList(const TVuPageList&) = delete;
    TVuPageList& operator=(const TVuPageList&) = delete;

    // ---- Pages ----
    Integer Count() const { return static_cast<Integer>(FPages.size()); }
    // 1-based; outside 1..Count raises EListError.
    TVuPage* GetPage(Integer N) const;
    // Replaces (and frees) the page at 1-based N.
    void SetPage(Integer N, TVuPage* Page);
    TVuPage* AddPage() { return InsertPage(-1); }
    // Appends (Index -1) or inserts at the 0-based Index; the last page becomes current.
    TVuPage* InsertPage(Integer Index);
    // 0-based; ignored outside the list. A document is never left without a page.
    void DeletePage(Integer Index);
    void ClearPages(bool NoNewPage, bool ClearResources);
    Integer CurrentPage() const { return FCurrentPage; }
    // Ignored for N <= 0, N > Count or the current number.
    void SetCurrentPage(Integer N);
    // The current page (null when the document has none).
    TVuPage* ActivePage() const;

    void BeginUpdate() { ++FUpdateCount; }
    void EndUpdate();
    bool Updating() const { return FUpdateCount > 0; }
    Integer UpdateCount() const { return FUpdateCount; }

    // ---- Objects (TVuCanvasTarget) ----
    TVuResourceTable* ResourceTable() override { return FResourceTable.get(); }
    void AddObject(TVuBaseObject* Object, TVuCoordsRelative Origin) override;
    void ChangeObjectLevel(TVuBaseObject* Object, TVuArrangeObject Arrange);
    // Text and text-box objects of every page whose text contains Text.
    void FindText(const AnsiString& Text, bool MatchCase, TList* List);

    // ---- Parts ----
    TVuCanvas* Canvas() const { return FCanvas.get(); }
    TVuHeader* Header() const { return FHeader.get(); }
    TVuFooter* Footer() const { return FFooter.get(); }
    TVuMargins* Margins() const { return FMargins.get(); }
    TVuPrinter* Printer() const { return FPrinter.get(); }

    // ---- Geometry of the current page (one shared result, overwritten by each call) ----
    TVuValueRect* HeaderRect();
    TVuValueRect* FooterRect();
    TVuValueRect* AvailablePageRect();

    // ---- Size and orientation ----
    TVuOrientation Orientation() const { return FOrientation; }
    void SetOrientation(TVuOrientation Value);
    TVuPaperSize PaperSize() const { return FPaperSize; }
    void SetPaperSize(TVuPaperSize Value);
    void SetPageSize(Extended Width, Extended Height, TVuMeasurement M);
    TVuSize DefaultPageSize() const { return FDefaultPageSize; }
    TVuPagesPerSheet PagesPerSheet = vuOnePage;
    void InitPaperSize();
    void UsePrinterPageSize();

    // ---- Printing ----
    void Print() { PrintRange(1, Count()); }
    // From..To in either direction; numbers outside 1..Count are left out.
    void PrintRange(Integer From, Integer To);
    void PrintPages(const std::vector<Integer>& Pages);
    // A new metafile (the caller owns it) of the page at the printer's resolution.
    TMetafile* PrintPageToMetafile(Integer PageNum);
    void PrintToFile(const AnsiString& FileName) {}

    // ---- Stream (see VuStream.cpp) ----
    void SaveToStream(TStream* Stream);
    // All or nothing: the stream is read into a fresh document that replaces this one's
    // content only when the whole stream was read; a failure raises and leaves this document
    // as it was (and never inside an unclosed update).
    void LoadFromStream(TStream* Stream);
    // The format version of a stream (V of its first block; 0 when absent).
    static Extended ReadStreamVersion(TStream* Stream);

    // ---- Hooks ----
    TVuBeforeLoadEvent OnBeforeLoad;
    TVuDocumentEvent OnClear;
    TVuDocumentEvent OnHeaderFooterChanged;
    TVuNeedRichEditEvent OnNeedRichEdit;
    TVuDocumentEvent OnNewPage;
    TVuDocumentEvent OnOrientationChanged;
    TVuDocumentEvent OnPageContentChanged;
    TVuDocumentEvent OnMarginsChanged;
    TVuDocumentEvent OnPageNumChanging;
    TVuDocumentEvent OnPageCountChanged;
    TVuDocumentEvent OnPageNumChanged;
    TVuDocumentEvent OnPaperSizeChanged;
    TVuPrintProgressEvent OnPrintProgress;

    void NeedRichEdit(TObject* Sender, TCustomMemo*& RichEdit);
    void DoPrintProgress(Integer Printed, Integer Total);
    void HeaderFooterChanged();
    void PageChanged();
    void PageCountChanged();
    void PageMarginsChanged();

private:
    void WirePage(TVuPage* Page);
    void WireResourceTable();
    void ClampCurrentPage();
    void ReadBody(TVuValueList* Head, TStream* Stream);
    void TakeContentOf(TVuPageList& Source);

    std::vector<TVuPage*> FPages; // owned
    Integer FCurrentPage = 0;
    std::unique_ptr<TVuPrinter> FPrinter;
    std::unique_ptr<TVuResourceTable> FResourceTable;
    std::unique_ptr<TVuCanvas> FCanvas;
    std::unique_ptr<TVuFooter> FFooter;
    std::unique_ptr<TVuHeader> FHeader;
    std::unique_ptr<TVuMargins> FMargins;
    TVuOrientation FOrientation = vuPortrait;
    TVuPaperSize FPaperSize = A4;
    TVuSize FDefaultPageSize{8.26, 11.69};
    Integer FUpdateCount = 0;
    TVuValueRect FResultRect;
};
