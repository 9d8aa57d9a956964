#pragma once

#include "RudUvud/xlsadapter/BaseRecordLists.h"
#include "RudUvud/xlsadapter/OtherRecords.h"
#include "RudUvud/xlsadapter/Sections.h"
#include "RudUvud/xlsadapter/SettingRecords.h"
#include "RudUvud/xlsadapter/XlsChart.h"
#include "RudUvud/xlsadapter/XlsClientData.h"
#include "RudUvud/xlsadapter/XlsColInfo.h"
#include "RudUvud/xlsadapter/XlsDrawing.h"
#include "RudUvud/xlsadapter/XlsHyperLink.h"
#include "RudUvud/xlsadapter/XlsNotes.h"
#include "RudUvud/xlsadapter/XlsPageBreaks.h"
#include "RudUvud/xlsadapter/XlsRangeRecords.h"
#include "RudUvud/xlsadapter/XlsRowColEntries.h"

#include <memory>
#include <vector>

// One sheet of a workbook: the records between a sheet's BOF and its EOF.
//
// A sheet keeps its records in lists in file order and reaches the few that hold its view and
// print settings through a record cache. The cache never owns: every pointer in it points at a
// record inside one of the sheet's lists, and whatever inserts or removes such a record sets or
// clears its pointer in the same step. A setting whose record the sheet lacks reads as the
// default; its setter does nothing, except for the settings whose records the sheet knows where
// to place (margins, zoom, panes, printer driver settings, code name, outline gutters).

class TWorkbookGlobals;
class TFormulaContext;

// The records a sheet reaches directly, by kind; null when the sheet has none.
struct TSheetRecordCache {
    TWindow2Record* Window2 = nullptr;
    TPageHeaderRecord* PageHeader = nullptr;
    TPageFooterRecord* PageFooter = nullptr;
    TPrintGridLinesRecord* PrintGridLines = nullptr;
    TMarginRecord* LeftMargin = nullptr;
    TMarginRecord* RightMargin = nullptr;
    TMarginRecord* TopMargin = nullptr;
    TMarginRecord* BottomMargin = nullptr;
    TSetupRecord* Setup = nullptr;
    TPlsRecord* Pls = nullptr;
    TWsBoolRecord* WsBool = nullptr;
    TPrintCenteredRecord* HCenter = nullptr;
    TPrintCenteredRecord* VCenter = nullptr;
    TSCLRecord* Zoom = nullptr;
    TGutsRecord* Guts = nullptr;
    TPaneRecord* Pane = nullptr;
    TAutoFilterInfoRecord* AutoFilterInfo = nullptr;
    TRefModeRecord* RefMode = nullptr;

    void Clear() { *this = TSheetRecordCache(); }
    // Points the slot of the record's id at it (a later record of an id replaces an earlier one);
    // records of other ids, or of an unexpected class, change nothing.
    void Take(TBaseRecord* Rec);
    // Clears every slot that points at Rec.
    void Forget(const TBaseRecord* Rec);
};

// A set of cells, listed as ranges up to a limit and then the whole sheet.
class TChangedCells {
public:
    static constexpr size_t MaxRanges = 512;
    bool Whole() const { return FWhole; }
    bool Empty() const { return !FWhole && FRanges.empty(); }
    void MarkWhole()
    {
        FWhole = true;
        FRanges.clear();
    }
    void Add(const TXlsCellRange& Range)
    {
        if (FWhole)
            return;
        if (FRanges.size() >= MaxRanges)
            return MarkWhole();
        FRanges.push_back(Range);
    }
    bool Intersects(const TXlsCellRange& R) const
    {
        if (FWhole)
            return true;
        for (const TXlsCellRange& C : FRanges)
            if (C.FirstRow <= R.LastRow && R.FirstRow <= C.LastRow && C.FirstCol <= R.LastCol &&
                R.FirstCol <= C.LastCol)
                return true;
        return false;
    }

private:
    bool FWhole = false;
    std::vector<TXlsCellRange> FRanges;
};

class TSheet : public TBaseSection {
public:
    explicit TSheet(TWorkbookGlobals* aWorkbookGlobals) : FWorkbookGlobals(aWorkbookGlobals) {}

    void Clear() override;
    // BOF, EOF and the code name.
    Int64 TotalSize() override;
    Int64 TotalRangeSize(Integer SheetIndex, const TXlsCellRange& CellRange) override;

    TWorkbookGlobals* WorkbookGlobals() const { return FWorkbookGlobals; }
    const TSheetRecordCache& RecordCache() const { return FCache; }
    // The values of the DIMENSIONS record read from the file (never written: it is regenerated).
    const TDimensionsRec& FileDimensions() const { return FFileDimensions; }

    // Refills the record cache from the sheet's lists, in list order.
    virtual void FixCachePointers() { FCache.Clear(); }
    // TotalSize, with the sizes the sheet caches recomputed first when Recalc is set.
    virtual Int64 FixTotalSize(bool Recalc) { return TotalSize(); }
    // Before a save: every row that holds cells gets its ROW record.
    virtual void FixRows() {}
    // An empty sheet of the same kind on the globals.
    virtual std::unique_ptr<TSheet> Create(TWorkbookGlobals* aWorkbookGlobals) const = 0;
    // A deep copy on the same globals, without a code name (the workbook gives it one when it
    // saves a workbook with macros).
    std::unique_ptr<TSheet> CopyTo() const { return DoCopyTo(); }

    // ---- Rows, columns and sheets (rows 0..65535, columns 0..255) ---------------------------
    // RowCount copies of rows FirstRow..LastRow inserted at DestRow, then ColCount copies of
    // columns FirstCol..LastCol at DestCol. The workbook checks the arguments.
    virtual void InsertAndCopyRowsAndCols(Integer FirstRow, Integer LastRow, Integer DestRow,
                                          Integer RowCount, Integer FirstCol, Integer LastCol,
                                          Integer DestCol, Integer ColCount, const TSheetInfo& SheetInfo,
                                          bool OnlyFormulas) = 0;
    // RowCount rows deleted at Row, then ColCount columns at Col.
    virtual void DeleteRowsAndCols(Word Row, Word RowCount, Word Col, Word ColCount,
                                   const TSheetInfo& SheetInfo) = 0;
    // Another sheet of the workbook changed (negative counts for deletions): what refers to it
    // here follows.
    virtual void ArrangeInsertRowsAndCols(Integer RowPos, Integer RowCount, Integer ColPos, Integer ColCount,
                                          const TSheetInfo& SheetInfo) = 0;
    // This sheet is a fresh copy: references to the source sheet turn to the copy.
    virtual void ArrangeCopySheet(const TSheetInfo& SheetInfo) {}
    virtual void InsertHPageBreak(Integer Row) {}
    virtual void InsertVPageBreak(Integer Col) {}
    virtual void DeleteHPageBreak(Integer Row) {}
    virtual void DeleteVPageBreak(Integer Col) {}
    // After column widths or row heights changed: the drawing's anchors follow.
    virtual void RestoreObjectCoords() {}

    // ---- View and print settings ----------------------------------------------------------
    bool GetShowGridLines() const;
    void SetShowGridLines(bool Value);
    bool GetShowGridHeaders() const;
    void SetShowGridHeaders(bool Value);
    bool GetSelected() const;
    void SetSelected(bool Value);
    bool GetPrintGridLines() const;
    void SetPrintGridLines(bool Value);
    WideString GetPageHeader() const;
    void SetPageHeader(const WideString& Text);
    WideString GetPageFooter() const;
    void SetPageFooter(const WideString& Text);
    // Missing left and right margins read 0.7480314960629921 in, top and bottom 0.984251968503937
    // in; header and footer margins come from SETUP, 0 without it.
    TXlsMargins GetMargins() const;
    // Creates the margin records the sheet lacks; header and footer margins need SETUP.
    void SetMargins(const TXlsMargins& Value);
    // SCL's zoom, 100 without one.
    Integer GetSheetZoom() const;
    // Creates SCL where the sheet kind can; the zoom is kept within 10..400.
    void SetSheetZoom(Integer Value);
    bool GetIsR1C1() const;
    void SetIsR1C1(bool Value);
    WideString GetCodeName() const;
    // A new CODENAME with the text replaces any old one.
    void SetCodeName(const WideString& Name);

    // The cells whose values may differ from those the workbook's formulas were last computed
    // with, kept until the sheet is freed: the cells edited one by one, or the whole sheet once
    // its rows or columns moved or too many cells were edited to list.
    const TChangedCells& ChangedCells() const { return FChangedCells; }
    void MarkValuesChanged() { FChangedCells.MarkWhole(); }
    void MarkCellChanged(Integer Row, Integer Col) { FChangedCells.Add({Col, Row, Col, Row}); }

    // Frozen panes: the rows above Row and the columns left of Col stay in view.
    void GetFrozenPanes(Integer& Row, Integer& Col) const;
    void FreezePanes(Integer Row, Integer Col);
    // A split window, offsets in twips.
    void GetSplitWindow(Integer& XOffset, Integer& YOffset) const;
    void SplitWindow(Integer XOffset, Integer YOffset);

protected:
    // Writes BOF, the given records, the code name when there is one, and EOF: the whole of a
    // sheet whose records are kept as one list.
    void SaveRecordsBetweenBofAndEof(TOle2File& DataStream, TBaseRecordList& Records);

    TWorkbookGlobals* FWorkbookGlobals;
    TSheetRecordCache FCache;
    // The list that holds the page-setup records (not owned).
    TBaseRecordList* FPrintList = nullptr;
    std::unique_ptr<TCodeNameRecord> FCodeName;
    TDimensionsRec FFileDimensions{};
    TChangedCells FChangedCells;

    // A new sheet of the same kind with copies of BOF and EOF.
    virtual std::unique_ptr<TSheet> DoCopyTo() const;
    virtual void SetPageHeaderFooter(TPageHeaderFooterRecord* Rec, const WideString& Text) = 0;
    virtual void AddZoomRecord() = 0;
    virtual void AddOrRemovePane(bool Add) {}
    bool IsFrozen() const;
    // Inserts Rec into List at Index and caches it.
    template <class T> T* InsertCached(TBaseRecordList& List, Integer Index, std::unique_ptr<T> Rec)
    {
        T* r = Rec.get();
        List.Insert(Index, std::move(Rec));
        FCache.Take(r);
        return r;
    }
};

// A worksheet: cells, rows, columns, page breaks, merged ranges, drawing, comments, hyperlinks
// and every other record kept in file order. The records read before WINDOW2 that no part takes
// stay in the front list (the sheet's print list); WINDOW2 and what follows it in the window list.
//
// The sheet gives its drawing the column widths and row heights that anchor the shapes. A
// drawing that cannot be read is dropped with the OBJ and TXO records that follow it, and the
// rest of the sheet loads: losing the pictures of a damaged drawing is better than losing the
// cells. Comments then keep their cells but have no box.
class TWorkSheet : public TSheet {
public:
    // The width of a default column per character of DEFCOLWIDTH, in 1/256 of a character.
    static constexpr Integer DefColWidthAdapt = 293;

    explicit TWorkSheet(TWorkbookGlobals* aWorkbookGlobals);
    // A new worksheet loaded from the first sheet of the empty-workbook template, its strings
    // going to SST.
    TWorkSheet(TWorkbookGlobals* aWorkbookGlobals, TSST* SST);

    void Clear() override;
    // Empties the sheet and loads the template's sheet into it again.
    void ClearValues();
    Int64 TotalSize() override;
    Int64 TotalRangeSize(Integer SheetIndex, const TXlsCellRange& CellRange) override;
    void LoadFromStream(TOle2File& DataStream, TRecordHeader& RecordHeader, std::unique_ptr<TBOFRecord> First,
                        TSST* SST) override;
    void SaveToStream(TOle2File& DataStream) override;
    void SaveRangeToStream(TOle2File& DataStream, Integer SheetIndex,
                           const TXlsCellRange& CellRange) override;
    void FixCachePointers() override;
    Int64 FixTotalSize(bool Recalc) override;
    void FixRows() override { FCells.FixRows(); }
    std::unique_ptr<TSheet> Create(TWorkbookGlobals* aWorkbookGlobals) const override
    {
        return std::make_unique<TWorkSheet>(aWorkbookGlobals);
    }

    // Cells, ranges, notes, page breaks, hyperlinks and drawing make room for and take copies of
    // the block; formulas everywhere on the sheet follow.
    void InsertAndCopyRowsAndCols(Integer FirstRow, Integer LastRow, Integer DestRow, Integer RowCount,
                                  Integer FirstCol, Integer LastCol, Integer DestCol, Integer ColCount,
                                  const TSheetInfo& SheetInfo, bool OnlyFormulas) override;
    // What lies in the deleted rows or columns goes (a hyperlink or shape only when wholly
    // inside them); what lies after moves back.
    void DeleteRowsAndCols(Word Row, Word RowCount, Word Col, Word ColCount,
                           const TSheetInfo& SheetInfo) override;
    // Only formulas and drawing objects refer to other sheets.
    void ArrangeInsertRowsAndCols(Integer RowPos, Integer RowCount, Integer ColPos, Integer ColCount,
                                  const TSheetInfo& SheetInfo) override;
    void ArrangeCopySheet(const TSheetInfo& SheetInfo) override;
    void RestoreObjectCoords() override { FDrawing.RestoreObjectCoords(EscherSheet()); }

    TBaseRecordList& FrontList() { return FFrontList; }
    TBaseRecordList& WindowList() { return FWindowList; }
    TCells& Cells() { return FCells; }
    TColInfoList& ColInfoList() { return FColInfoList; }
    TRangeList& RangeList() { return FRangeList; }
    THPageBreakList& HPageBreaks() { return FHPageBreaks; }
    TVPageBreakList& VPageBreaks() { return FVPageBreaks; }
    Integer DefRowHeight() const { return FDefRowHeight; }
    Integer DefColWidth() const { return FDefColWidth; }
    TDrawing& Drawing() { return FDrawing; }
    const TDrawing& Drawing() const { return FDrawing; }
    TNoteList& Notes() { return FNotes; }
    THLinkList& HLinks() { return FHLinks; }
    // Whether the last load dropped a drawing it could not read.
    bool DrawingDropped() const { return FDrawingDropped; }
    // The pictures kept outside the drawing (see TLoosePicture), in record order. They count
    // after the drawing's pictures; they are read as kept and saved as read.
    std::vector<TLoosePicture> LoosePictures() const;

    // The sheet as its drawing sees it when placing anchors: hidden columns and rows count as 0
    // (the getters below report a hidden column's or row's own size).
    TEscherSheet* EscherSheet() { return &FEscherSheet; }

    // ---- Page setup --------------------------------------------------------------------------
    // The SETUP setters refuse a value outside 0..65535 with "The index "%d" of the property
    // "%s" is not in the range %d-%d" before anything else.
    Integer GetPrintNumberOfHorizontalPages() const;
    void SetPrintNumberOfHorizontalPages(Integer Value);
    Integer GetPrintNumberOfVerticalPages() const;
    void SetPrintNumberOfVerticalPages(Integer Value);
    Integer GetPrintScale() const;
    void SetPrintScale(Integer Value);
    Integer GetPrintPaperSize() const;
    void SetPrintPaperSize(Integer Value);
    Integer GetPrintCopies() const;
    void SetPrintCopies(Integer Value);
    Integer GetPrintXResolution() const;
    void SetPrintXResolution(Integer Value);
    Integer GetPrintYResolution() const;
    void SetPrintYResolution(Integer Value);
    Word GetPrintOptions() const;
    void SetPrintOptions(Word Value);
    bool GetPrintToFit() const;
    void SetPrintToFit(bool Value);
    bool GetOutlineSummaryRowsBelowDetail() const;
    void SetOutlineSummaryRowsBelowDetail(bool Value);
    bool GetOutlineSummaryColsRightOfDetail() const;
    void SetOutlineSummaryColsRightOfDetail(bool Value);
    bool GetOutlineAutomaticStyles() const;
    void SetOutlineAutomaticStyles(bool Value);
    bool GetPrintHCentered() const;
    void SetPrintHCentered(bool Value);
    bool GetPrintVCentered() const;
    void SetPrintVCentered(bool Value);
    TPrinterDriverSettings GetPrinterDriverSettings() const;
    // Empty data removes the printer driver settings; other data replaces them and marks the
    // printer settings of SETUP valid.
    void SetPrinterDriverSettings(const TPrinterDriverSettings& Settings);

    // ---- Page breaks ---------------------------------------------------------------------------
    void InsertHPageBreak(Integer Row) override { FHPageBreaks.AddBreak(Row); }
    void DeleteHPageBreak(Integer Row) override { FHPageBreaks.DeleteBreak(Row); }
    bool HasHPageBreak(Integer Row) { return FHPageBreaks.HasPageBreak(Row); }
    void InsertVPageBreak(Integer Col) override { FVPageBreaks.AddBreak(Col); }
    void DeleteVPageBreak(Integer Col) override { FVPageBreaks.DeleteBreak(Col); }
    bool HasVPageBreak(Integer Col) { return FVPageBreaks.HasPageBreak(Col); }

    // ---- Columns and rows (columns 0..255, rows 0..65535) -----------------------------------
    // Widths in 1/256 of a character, heights in twips; a column or row without its own record
    // has the sheet's default.
    Integer GetColWidth(Integer Col) { return GetColWidth(Col, false); }
    Integer GetColWidth(Integer Col, bool HiddenIsZero);
    void SetColWidth(Integer Col, Integer Width);
    Integer GetRowHeight(Integer Row) const { return GetRowHeight(Row, false); }
    Integer GetRowHeight(Integer Row, bool HiddenIsZero) const;
    void SetRowHeight(Integer Row, Integer Height);
    bool GetColHidden(Integer Col);
    // Showing a column of width 0 gives it the default width; hiding a column without column
    // information creates it.
    void SetColHidden(Integer Col, bool Hidden);
    bool GetRowHidden(Integer Row) const;
    void SetRowHidden(Integer Row, bool Hidden);
    // The column's XF, -1 without column information.
    Integer GetColFormat(Integer Col);
    // Also formats every existing cell of the column.
    void SetColFormat(Integer Col, Integer XF);
    // The row's XF when it is formatted, else -1.
    Integer GetRowFormat(Integer Row) const;
    // Also formats every existing cell of the row.
    void SetRowFormat(Integer Row, Integer XF);
    Integer GetColOutlineLevel(Integer Col);
    void SetColOulineLevel(Integer Col, Integer Level);
    Integer GetRowOutlineLevel(Integer Row) const;
    void SetRowOulineLevel(Integer Row, Integer Level);

    // ---- Merged cells --------------------------------------------------------------------------
    // The merged range that holds the cell, else the cell alone.
    TXlsCellRange CellMergedBounds(Integer Row, Integer Col) const;
    Integer CellMergedListCount() const;
    // All zero for an index out of range.
    TXlsCellRange CellMergedList(Integer Index) const;
    // Merges the block with every merged range it overlaps.
    void MergeCells(Integer FirstRow, Integer FirstCol, Integer LastRow, Integer LastCol);
    void UnMergeCells(Integer FirstRow, Integer FirstCol, Integer LastRow, Integer LastCol);

    // ---- Autofilter ----------------------------------------------------------------------------
    // An autofilter over columns FirstCol..LastCol with its buttons on Row: AUTOFILTERINFO (made
    // before DEFCOLWIDTH or DIMENSIONS when missing) and the sheet's built-in filter-database
    // name, encoded through Cells. LastCol < FirstCol removes the autofilter. The drop-down
    // arrows are drawing objects and join with the sheet's drawing.
    void SetAutoFilter(Integer SheetIndex, Integer Row, Integer FirstCol, Integer LastCol,
                       TFormulaContext* Cells);
    // The filter-database name's area, or -1 in every field without an autofilter or the name.
    TXlsCellRange GetAutoFilterRange(Integer SheetIndex) const;
    bool HasAutoFilter(Integer SheetIndex, Integer Row, Integer Col) const;
    // Deletes the AUTOFILTER, AUTOFILTERINFO and FILTERMODE records of the front list (the
    // filter-database name stays).
    void RemoveAutoFilter();
    bool HasAutoFilter() const { return FCache.AutoFilterInfo != nullptr; }

    // ---- Pictures and comments (forwarded to the drawing and the notes) ----------------------
    void AddImage(const ByteArray& Bytes, TXlsImgTypes ImgType, const TImageProperties& Props,
                  TVovAnchorType AnchorType)
    {
        FDrawing.AddImage(Bytes, ImgType, Props, AnchorType, EscherSheet());
    }
    void ClearImage(Integer N) { FDrawing.ClearImage(N); }
    void DeleteImage(Integer N) { FDrawing.DeleteImage(N); }
    void AssignDrawing(Integer N, const ByteArray& Bytes, TXlsImgTypes ImgType)
    {
        FDrawing.AssignDrawing(N, Bytes, ImgType);
    }
    void GetDrawingFromStream(Integer N, TStream& Stream, TXlsImgTypes& ImgType) const
    {
        FDrawing.GetDrawingFromStream(N, Stream, ImgType);
    }
    Integer DrawingCount() const { return FDrawing.DrawingCount(); }
    Integer GetDrawingRow(Integer N) const { return FDrawing.GetDrawingRow(N); }
    WideString GetDrawingName(Integer N) const { return FDrawing.GetDrawingName(N); }
    TClientAnchor GetAnchor(Integer N) const { return FDrawing.GetAnchor(N); }
    void SetAnchor(Integer N, const TClientAnchor& Anchor) { FDrawing.SetAnchor(N, Anchor, EscherSheet()); }
    void AddNewComment(Integer Row, Integer Col, const WideString& Text, const TImageProperties& Properties)
    {
        FNotes.AddNewComment(Row, Col, Text, FDrawing, Properties, EscherSheet());
    }

protected:
    std::unique_ptr<TSheet> DoCopyTo() const override;
    void SetPageHeaderFooter(TPageHeaderFooterRecord* Rec, const WideString& Text) override;
    void AddZoomRecord() override;
    void AddOrRemovePane(bool Add) override;

private:
    struct TAnchorSheet : TEscherSheet {
        TWorkSheet* Sheet;
        explicit TAnchorSheet(TWorkSheet* aSheet) : Sheet(aSheet) {}
        Integer GetColWidth(Integer Col) const override { return Sheet->GetColWidth(Col, true); }
        Integer GetRowHeight(Integer Row) const override { return Sheet->GetRowHeight(Row, true); }
    };

    TAnchorSheet FEscherSheet{this};
    TBaseRecordList FFrontList;
    TBaseRecordList FWindowList;
    THPageBreakList FHPageBreaks;
    TVPageBreakList FVPageBreaks;
    TColInfoList FColInfoList;
    TCells FCells{&FColInfoList};
    TRangeList FRangeList;
    // The notes refer to boxes in the drawing, so they are declared after it (and go first).
    TDrawing FDrawing;
    TNoteList FNotes;
    THLinkList FHLinks;
    bool FDrawingDropped = false;
    Integer FDefRowHeight = 255;
    Integer FDefColWidth = 10 * DefColWidthAdapt;

    // GUTS, created before DEFAULTROWHEIGHT (or at the end of the front list) when missing, and
    // marked to be recomputed by the next save.
    void NeedGuts();
    void LoadFromTemplate(TSST* SST);
    TColInfo& ColInfoFor(Integer Col);
    void CheckSetup(Integer Value, const char* Property) const;
    void SaveParts(TOle2File& DataStream, const TXlsCellRange* Range);
};

// A chart sheet: its records as read, nested by BEGIN and END, written back in order. The
// formulas of its linked data (AI records) follow rows, columns and sheets that move elsewhere in
// the workbook. CONTINUE records found glued to its EOF are kept aside and never written.
class TVovChart : public TSheet {
public:
    // BEGIN levels deeper than this are refused as a damaged file.
    static constexpr Integer MaxNesting = 64;

    explicit TVovChart(TWorkbookGlobals* aWorkbookGlobals);

    void Clear() override;
    Int64 TotalSize() override;
    Int64 TotalRangeSize(Integer SheetIndex, const TXlsCellRange& CellRange) override { return TotalSize(); }
    void LoadFromStream(TOle2File& DataStream, TRecordHeader& RecordHeader, std::unique_ptr<TBOFRecord> First,
                        TSST* SST) override;
    void SaveToStream(TOle2File& DataStream) override;
    void SaveRangeToStream(TOle2File& DataStream, Integer SheetIndex, const TXlsCellRange& CellRange) override
    {
        SaveToStream(DataStream);
    }
    void FixCachePointers() override;
    std::unique_ptr<TSheet> Create(TWorkbookGlobals* aWorkbookGlobals) const override
    {
        return std::make_unique<TVovChart>(aWorkbookGlobals);
    }

    void InsertAndCopyRowsAndCols(Integer, Integer, Integer, Integer, Integer, Integer, Integer, Integer,
                                  const TSheetInfo&, bool) override
    {
    }
    void DeleteRowsAndCols(Word, Word, Word, Word, const TSheetInfo&) override {}
    void ArrangeInsertRowsAndCols(Integer RowPos, Integer RowCount, Integer ColPos, Integer ColCount,
                                  const TSheetInfo& SheetInfo) override
    {
        FChartRecords.ArrangeInsertRowsAndCols(RowPos, RowCount, ColPos, ColCount, SheetInfo);
    }
    void ArrangeCopyRowsAndCols(Integer RowOffset, Integer ColOffset)
    {
        FChartRecords.ArrangeCopyRowsAndCols(RowOffset, ColOffset);
    }
    void ArrangeCopySheet(const TSheetInfo& SheetInfo) override { FChartRecords.ArrangeCopySheet(SheetInfo); }

    TChartRecordList& ChartRecords() { return FChartRecords; }
    // The CONTINUE records that followed the chart's EOF, or null.
    const TContinueRecord* TrailingData() const { return FTrailingData.get(); }

protected:
    std::unique_ptr<TSheet> DoCopyTo() const override;
    void SetPageHeaderFooter(TPageHeaderFooterRecord* Rec, const WideString& Text) override;
    void AddZoomRecord() override;

private:
    TChartRecordList FChartRecords;
    std::unique_ptr<TContinueRecord> FTrailingData;
};

// A sheet of a kind the engine does not model (a macro sheet, for one): every record kept in
// file order and written back unchanged.
class TVovUnsupportedSheet : public TSheet {
public:
    explicit TVovUnsupportedSheet(TWorkbookGlobals* aWorkbookGlobals);

    void Clear() override;
    Int64 TotalSize() override;
    Int64 TotalRangeSize(Integer SheetIndex, const TXlsCellRange& CellRange) override { return TotalSize(); }
    void LoadFromStream(TOle2File& DataStream, TRecordHeader& RecordHeader, std::unique_ptr<TBOFRecord> First,
                        TSST* SST) override;
    void SaveToStream(TOle2File& DataStream) override;
    void SaveRangeToStream(TOle2File& DataStream, Integer SheetIndex, const TXlsCellRange& CellRange) override
    {
        SaveToStream(DataStream);
    }
    void FixCachePointers() override;
    std::unique_ptr<TSheet> Create(TWorkbookGlobals* aWorkbookGlobals) const override
    {
        return std::make_unique<TVovUnsupportedSheet>(aWorkbookGlobals);
    }
    // Rows, columns and sheets moving elsewhere leave the sheet untouched.
    void InsertAndCopyRowsAndCols(Integer, Integer, Integer, Integer, Integer, Integer, Integer, Integer,
                                  const TSheetInfo&, bool) override
    {
    }
    void DeleteRowsAndCols(Word, Word, Word, Word, const TSheetInfo&) override {}
    void ArrangeInsertRowsAndCols(Integer, Integer, Integer, Integer, const TSheetInfo&) override {}
    TBaseRecordList& SheetRecords() { return FSheetRecords; }

protected:
    std::unique_ptr<TSheet> DoCopyTo() const override;
    void SetPageHeaderFooter(TPageHeaderFooterRecord* Rec, const WideString& Text) override
    {
        Rec->SetText(Text);
    }
    void AddZoomRecord() override {}

private:
    TBaseRecordList FSheetRecords;
};
