#pragma once
// The grid printer: lays the rows of a grid of text cells out over the pages of a print
// document, breaking to a new page when the next row would run into the footer, repeating the
// header row on every continuation page, outlining the grid, and letting the application take
// over column widths, row heights, alignment and the drawing of each cell through events.
//
// TVuAbstractGridPrint holds the layout and asks a few abstract operations for the grid's
// content; TVuGridPrint answers them from a platform string grid. The layout records through
// the canvas of the document it is bound to, inside one update of that document, so nothing
// is shown or sent to companion controls until a run ends. Positions and sizes are inches.
#include "platform/forms/Grids.h"
#include "platform/rtl/StringLists.h"
#include "print/VuPageList.h"
#include "print/VuPreview.h"

#include <memory>
#include <vector>

// Extended values held as text (FloatToStr), as the column widths of a layout run are.
class TVuDecimalList : public TStringList {
public:
    void AddValue(Extended Value);
    Extended GetValue(Integer Index) const;
    void SetValue(Integer Index, Extended Value);
    Extended GetTotal() const;
};

// What the grid printer needs of the control whose pages it fills: the document and its
// canvas, the update bracket, and turning to a new or the next page. A preview control
// answers these itself; TVuDocumentGridTarget answers them for a bare document.
class TVuGridPrintTarget {
public:
    virtual ~TVuGridPrintTarget() = default;
    virtual TVuPageList* Document() = 0;
    virtual TVuCanvas* Canvas() { return Document()->Canvas(); }
    virtual void BeginUpdate() { Document()->BeginUpdate(); }
    virtual void EndUpdate() { Document()->EndUpdate(); }
    // A new last page becomes current.
    virtual void NewPage() { Document()->AddPage(); }
    virtual void NextPage() { Document()->SetCurrentPage(Document()->CurrentPage() + 1); }
    // True when the control's own brush is clear: cell backgrounds are then not filled.
    virtual bool ClearBrush() { return false; }
};

// A preview control's pages: its update bracket (which tells its companion controls) and its
// new page (which lets it draw the page's header and footer).
class TVuPreviewGridTarget : public TVuGridPrintTarget {
public:
    explicit TVuPreviewGridTarget(TVuPreview* Preview) : FPreview(Preview) {}
    TVuPageList* Document() override { return FPreview->Document(); }
    TVuCanvas* Canvas() override { return FPreview->Canvas(); }
    void BeginUpdate() override { FPreview->BeginUpdate(); }
    void EndUpdate() override { FPreview->EndUpdate(); }
    void NewPage() override { FPreview->NewPage(); }
    void NextPage() override { FPreview->NextPage(); }
    bool ClearBrush() override { return FPreview->Brush()->Style() == bsClear; }

private:
    TVuPreview* FPreview;
};

// The target for laying a grid out on a document without a preview (batch printing, tests).
class TVuDocumentGridTarget : public TVuGridPrintTarget {
public:
    explicit TVuDocumentGridTarget(TVuPageList* Document) : FDocument(Document) {}
    TVuPageList* Document() override { return FDocument; }

private:
    TVuPageList* FDocument;
};

enum TVuGridOption : std::uint8_t { vuVertLine, vuHorzLine, vuFixedRowPerPage, vuGridBorder, vuFixedCells3D };
using TVuGridOptions = TSet<TVuGridOption>;

class TVuAbstractGridPrint;
using TVuDrawRowEvent = std::function<void(TObject* Sender, Integer Row)>;
using TVuFinishGridEvent = std::function<void(TObject* Sender, TVuValue* YPos)>;
using TVuGetCellAlignmentEvent = std::function<void(TObject* Sender, Integer Col, Integer Row,
                                                    TAlignment& Alignment, TVuVertAlignment& VertAlignment)>;
using TVuGetColumnWidthEvent = std::function<void(TObject* Sender, Integer Col, TVuValue* ColWidth)>;
using TVuGetRowHeightEvent = std::function<void(TObject* Sender, Integer Row, TVuValue* RowHeight)>;
using TVuGridProgressEvent = std::function<void(TObject* Sender, Extended Percent)>;
using TVuNewPageEvent = std::function<void(TObject* Sender, TVuValue*& ATopMargin, TVuValue*& ABottomMargin)>;
using TVuDrawCellEvent =
    std::function<void(TObject* Sender, Integer Col, Integer Row, TVuValueRect* ARect, TVuCanvas* ACanvas)>;

class TVuCustomGridPrint : public TVuCustomComponent {
public:
    using TVuCustomComponent::TVuCustomComponent;
    // "<class> v2.96.6"; writing it does nothing.
    AnsiString About() { return GetStrVersion(this); }
    void SetAbout(const AnsiString&) {}
};

class TVuAbstractGridPrint : public TVuCustomGridPrint {
public:
    explicit TVuAbstractGridPrint(TComponent* AOwner);
    ~TVuAbstractGridPrint() override;

    TColor CellPenColor = 0;
    TAlignment DefaultCellAlignment = taLeftJustify;
    TVuVertAlignment DefaultCellVertAlignment = vuTop;
    TVuGridOptions GridOptions{vuVertLine, vuHorzLine, vuFixedRowPerPage, vuGridBorder};
    bool Monochrome = false;
    bool ScaleText = false; // stored only
    bool WordWrap = false;

    TFont* Font() const { return FFont.get(); }
    void SetFont(TFont* Value) { FFont->Assign(Value); }
    TFont* FixedCellFont() const { return FFixedCellFont.get(); }
    void SetFixedFont(TFont* Value) { FFixedCellFont->Assign(Value); }

    // The pages the grid is laid over (not owned). Setting one makes the bottom margin value
    // the target's footer height plus its bottom margin.
    TVuGridPrintTarget* Target() const { return FTarget; }
    void SetTarget(TVuGridPrintTarget* Value);
    // The preview whose pages the grid is laid over: its pages become the target. Cleared when
    // the preview is destroyed.
    TVuPreview* Preview() const { return FPreview; }
    void SetPreview(TVuPreview* Value);
    TVuValue* TopMargin() { return &FTopMargin; }
    TVuValue* BottomMargin() { return &FBottomMargin; }

    // Lays the whole grid out from (X, Y) of the current page; Width is the printed width of
    // the grid, 0 for the columns' screen widths.
    virtual void GridToPage(Extended X, Extended Y, Extended Width, TVuMeasurement M);
    void DefaultDrawCell(TVuValueRect* ARect, Integer ACol, Integer ARow);
    void DrawCellBackground(TVuValueRect* ARect, Integer ACol, Integer ARow);
    void DrawCellText(TVuValueRect* ARect, Integer ACol, Integer ARow);
    Extended GetColWidth(Integer ACol, TVuMeasurement M) const;
    TVuValue* GetScreenGridWidth();
    // Page height less footer height and bottom margin value; never below the top of a
    // visible footer band.
    Extended GetCutOffInch();

    TVuDrawRowEvent AfterDrawRow, BeforeDrawRow;
    TVuFinishGridEvent OnFinishGrid;
    TVuGetCellAlignmentEvent OnGetCellAlignment;
    TVuGetColumnWidthEvent OnGetColWidth;
    TVuGetRowHeightEvent OnGetRowHeight;
    TVuGridProgressEvent OnDrawProgress;
    TVuNewPageEvent OnGridNewPage;

protected:
    virtual AnsiString GetCellText(Integer ACol, Integer ARow) = 0;
    virtual Integer GetColCount() = 0;
    virtual Extended GetColWidthInch(Integer ACol) = 0;
    virtual Extended GetDefaultRowHeight(Integer ARow) = 0;
    virtual TColor GetFixedCellColor() = 0;
    virtual Integer GetRowCount() = 0;
    virtual Extended GetRowHeightInch(Integer ARow);
    virtual bool IsFixedCell(Integer ACol, Integer ARow) = 0;
    virtual void NextRecord(Integer Row) {}
    virtual bool OnDrawCellAssigned() = 0;
    virtual void BuildColWidths();
    virtual void CallOnDrawCell(Integer ACol, Integer ARow, TVuValueRect* ARect) = 0;
    virtual void CloseRow(const TVuRect& Rect);
    virtual void DrawRow(const TVuRect& Rect, Integer Row);
    virtual void NewPage();
    // True when a grid is bound (the message otherwise names what is missing).
    virtual bool HasGrid() const = 0;
    void Notification(TComponent* AComponent, TOperation Operation) override;

    TVuCanvas* Canvas() const { return FTarget->Canvas(); }
    // The font a cell is drawn (and measured) in.
    TFont* CellFont(Integer ACol, Integer ARow);
    void ForgetRowCount() { FRowCount = -1; }
    Integer FRowCount = -1;

private:
    std::unique_ptr<TVuDecimalList> FColWidths;
    std::vector<Extended> FWidths; // the list's values, parsed once per run
    std::unique_ptr<TFont> FFont;
    std::unique_ptr<TFont> FFixedCellFont;
    Extended FTotalWidth = 0;
    TVuValue FBottomMargin;
    TVuValue FTopMargin;
    TVuGridPrintTarget* FTarget = nullptr;
    TVuPreview* FPreview = nullptr;
    std::unique_ptr<TVuPreviewGridTarget> FPreviewTarget;
    Extended FRowHeight = 0;
    TVuRect FRowRect;
    bool FRowPlaced = false; // a row has been placed on the current page
    TVuValue FGridWidth;
    TVuPoint FPageOrigin;
    Extended FScale = 1;
    Extended FCursorX = 0, FCursorY = 0;
};

// The grid printer over a platform string grid (the program's grid is one).
class TVuGridPrint : public TVuAbstractGridPrint {
public:
    using TVuAbstractGridPrint::TVuAbstractGridPrint;
    ~TVuGridPrint() override;

    TStringGrid* Grid() const { return FGrid; }
    void SetGrid(TStringGrid* Value);
    TVuDrawCellEvent OnDrawCell;

protected:
    AnsiString GetCellText(Integer ACol, Integer ARow) override { return FGrid->Cells(ACol, ARow); }
    Integer GetColCount() override { return FGrid->ColCount(); }
    Extended GetColWidthInch(Integer ACol) override;
    Extended GetDefaultRowHeight(Integer ARow) override;
    TColor GetFixedCellColor() override { return FGrid->FixedColor(); }
    Integer GetRowCount() override;
    bool IsFixedCell(Integer ACol, Integer ARow) override
    {
        return ACol < FGrid->FixedCols() || ARow < FGrid->FixedRows();
    }
    bool OnDrawCellAssigned() override { return static_cast<bool>(OnDrawCell); }
    void CallOnDrawCell(Integer ACol, Integer ARow, TVuValueRect* ARect) override;
    bool HasGrid() const override { return FGrid != nullptr; }
    void Notification(TComponent* AComponent, TOperation Operation) override;

private:
    TStringGrid* FGrid = nullptr;
};
