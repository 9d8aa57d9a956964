#pragma once

#include "RudUvud/xlsadapter/VovFormats.h"
#include "RudUvud/xlsadapter/VovMessages.h"
#include "platform/rtl/Components.h"
#include "platform/rtl/Objects.h"
#include "platform/rtl/Set.h"
#include "platform/rtl/Streams.h"
#include "platform/rtl/Types.h"

#include <memory>

// The spreadsheet file as its users see it: a flat set of operations on the current file and
// its active sheet that hides records, lists and streams. The grid bridge reaches the engine
// only through this class, so anything that implements it (the xls file, a test double) serves.
//
// Numbering: sheets are numbered from 1, rows from 1 to 65536 and columns from 1 to 256. An
// implementation subtracts 1 before it calls its workbook (whose indexes start at 0) and adds 1
// to every row, column or sheet it returns. The exceptions are marked where they occur: the
// column window of GetCellData and its kin, the merged-range list (index from 0), drawing
// indexes (from 0), comment indexes within a row (from 0).
//
// Cell values are TXlsVariant; cell formats are XF indexes into the file's format list.
//
// Errors: a call that fails raises EExcelException with one of the engine's texts
// (XlsMessages.h): a damaged or hostile file ("Error reading Excel records. File invalid",
// "Record with ID 0x%x is invalid", ...), an index outside its list ("The index "%d" of the
// property "%s" is not in the range %d-%d" and the like), a value the file format cannot hold,
// a file that cannot be read or written. Before Connect and after Disconnect the calls that
// need a workbook raise "There is no open file". A failed open keeps the workbook that was open;
// a failed save keeps an existing target file whole.
//
// Ownership: the caller owns every argument (the file keeps no pointer to a stream, byte array
// or event given to it once the call returns) and every value returned is a copy the caller
// owns. The file owns its workbook. Not thread-safe: one thread uses a file at a time.
class TExcelFile : public TObject {
public:
    ~TExcelFile() override = default;

    // Cell values and formulas. A cell that holds nothing reads as an empty value.
    virtual TXlsVariant GetCellValue(Integer Row, Integer Col) = 0;
    virtual void SetCellValue(Integer Row, Integer Col, const TXlsVariant& Value) = 0;
    virtual TXlsCellValue GetCellValueX(Integer Row, Integer Col) = 0;
    virtual void SetCellValueX(Integer Row, Integer Col, const TXlsCellValue& Value) = 0;
    // The formula as text starting with "=", empty for a cell without one.
    virtual WideString GetCellFormula(Integer Row, Integer Col) = 0;
    // A formula the parser refuses raises its message and leaves the cell unchanged.
    virtual void SetCellFormula(Integer Row, Integer Col, const WideString& Formula) = 0;

    // Comments of a row; Index counts from 0 within the row. A row or index without a comment
    // reads as empty text (and column 1), never as an error.
    virtual Integer GetCommentsCount(Integer Row) = 0;
    virtual WideString GetCommentText(Integer Row, Integer Index) = 0;
    virtual Integer GetCommentColumn(Integer Row, Integer Index) = 0;

    // Pictures: a Row above 0 selects the pictures anchored in that row (Index a position in
    // it); 0 or less selects all, Index being the drawing index from 0. Pictures an older writer
    // kept outside the drawing count after the drawing's own: they can be read, not replaced or
    // deleted. An Index beyond the pictures raises the index error.
    virtual WideString GetPictureName(Integer Row, Integer Index) = 0;
    virtual Integer GetPicturesCount(Integer Row) = 0;

    // Defined names, numbered from 1; an index outside them raises the index error.
    virtual Integer GetExcelNameCount() = 0;
    virtual WideString GetRangeName(Integer Index) = 0;
    virtual Integer GetRangeR1(Integer Index) = 0;
    virtual Integer GetRangeR2(Integer Index) = 0;
    virtual Integer GetRangeC1(Integer Index) = 0;
    virtual Integer GetRangeC2(Integer Index) = 0;
    virtual void SetRangeR1(Integer Index, Integer Value) = 0;
    virtual void SetRangeR2(Integer Index, Integer Value) = 0;
    virtual void SetRangeC1(Integer Index, Integer Value) = 0;
    virtual void SetRangeC2(Integer Index, Integer Value) = 0;
    virtual Integer GetRangeSheet(Integer Index) = 0;

    // The active sheet: the sheet every sheet-level operation addresses (not the sheet the
    // saved file shows first; see SelectSheet).
    virtual Integer GetActiveSheet() = 0;
    virtual void SetActiveSheet(Integer Sheet) = 0;
    virtual WideString GetActiveSheetName() = 0;
    virtual void SetActiveSheetName(const WideString& Name) = 0;
    virtual WideString GetActiveSheetCodeName() = 0;
    virtual void SetActiveSheetCodeName(const WideString& Name) = 0;
    virtual TXlsSheetVisible GetActiveSheetVisible() = 0;
    virtual void SetActiveSheetVisible(TXlsSheetVisible Value) = 0;

    // Widths in 1/256 of a character, heights in twips. A column or row without its own size
    // reads the sheet's default.
    virtual Integer GetColumnWidth(Integer Col) = 0;
    virtual Integer GetColumnWidthHiddenIsZero(Integer Col) = 0;
    virtual Integer GetRowHeight(Integer Row) = 0;
    virtual Integer GetRowHeightHiddenIsZero(Integer Row) = 0;
    virtual void SetColumnWidth(Integer Col, Integer Value) = 0;
    virtual void SetRowHeight(Integer Row, Integer Value) = 0;
    virtual bool GetRowHidden(Integer Row) = 0;
    virtual bool GetColumnHidden(Integer Col) = 0;
    virtual void SetRowHidden(Integer Row, bool Value) = 0;
    virtual void SetColumnHidden(Integer Col, bool Value) = 0;
    virtual Integer GetDefaultColWidth() = 0;
    virtual Integer GetDefaultRowHeight() = 0;
    virtual bool GetAutoRowHeight(Integer Row) = 0;
    virtual void SetAutoRowHeight(Integer Row, bool Value) = 0;

    // Row, column and cell formats as XF indexes (-1: none).
    virtual Integer GetColumnFormat(Integer Col) = 0;
    virtual Integer GetRowFormat(Integer Row) = 0;
    virtual void SetColumnFormat(Integer Col, Integer XF) = 0;
    virtual void SetRowFormat(Integer Row, Integer XF) = 0;
    virtual Integer GetCellFormat(Integer Row, Integer Col) = 0;
    virtual void SetCellFormat(Integer Row, Integer Col, Integer XF) = 0;

    // Palette entries 1..56 as blue-green-red colours; fonts (index 4 reads font 0); formats.
    virtual TColor GetColorPalette(TColorPaletteRange Index) = 0;
    virtual void SetColorPalette(TColorPaletteRange Index, TColor Value) = 0;
    virtual TVovFont GetFontList(Integer Index) = 0;
    virtual void SetFontList(Integer Index, const TVovFont& Value) = 0;
    virtual TVovFormat GetFormatList(Integer Index) = 0;
    virtual void SetFormatList(Integer Index, const TVovFormat& Value) = 0;

    // Page header and footer, grid lines and headers, zoom, margins and print setup.
    virtual WideString GetPageFooter() = 0;
    virtual WideString GetPageHeader() = 0;
    virtual void SetPageFooter(const WideString& Value) = 0;
    virtual void SetPageHeader(const WideString& Value) = 0;
    virtual bool GetShowGridLines() = 0;
    virtual void SetShowGridLines(bool Value) = 0;
    virtual bool GetShowGridHeaders() = 0;
    virtual void SetShowGridHeaders(bool Value) = 0;
    virtual bool GetPrintGridLines() = 0;
    virtual void SetPrintGridLines(bool Value) = 0;
    virtual Integer GetSheetZoom() = 0;
    virtual void SetSheetZoom(Integer Value) = 0;
    virtual TXlsMargins GetMargins() = 0;
    virtual void SetMargins(const TXlsMargins& Value) = 0;
    virtual Integer GetPrintNumberOfHorizontalPages() = 0;
    virtual Integer GetPrintNumberOfVerticalPages() = 0;
    virtual Integer GetPrintScale() = 0;
    // The page setup option byte: bit 1 (value 2) portrait, bit 2 (value 4) printer settings
    // not valid.
    virtual Byte GetPrintOptions() = 0;
    virtual bool GetPrintToFit() = 0;
    virtual void SetPrintNumberOfHorizontalPages(Integer Value) = 0;
    virtual void SetPrintNumberOfVerticalPages(Integer Value) = 0;
    virtual void SetPrintScale(Integer Value) = 0;
    virtual void SetPrintOptions(Byte Value) = 0;
    virtual void SetPrintToFit(bool Value) = 0;
    virtual bool GetPrintHCentered() = 0;
    virtual bool GetPrintVCentered() = 0;
    virtual void SetPrintHCentered(bool Value) = 0;
    virtual void SetPrintVCentered(bool Value) = 0;
    virtual Integer GetPrintCopies() = 0;
    virtual TPrinterDriverSettings GetPrinterDriverSettings() = 0;
    virtual Integer GetPrintPaperSize() = 0;
    virtual Integer GetPrintXResolution() = 0;
    virtual Integer GetPrintYResolution() = 0;
    virtual void SetPrintCopies(Integer Value) = 0;
    virtual void SetPrinterDriverSettings(const TPrinterDriverSettings& Value) = 0;
    virtual void SetPrintPaperSize(Integer Value) = 0;
    virtual void SetPrintXResolution(Integer Value) = 0;
    virtual void SetPrintYResolution(Integer Value) = 0;

    // Flags of the file.
    virtual bool GetInvalidateFormulas() = 0;
    virtual void SetInvalidateFormulas(bool Value) = 0;
    virtual bool GetIsXltTemplate() = 0;
    virtual void SetIsXltTemplate(bool Value) = 0;

    // The merged block holding a cell (a one-cell range when none); the list counts from 0.
    virtual TXlsCellRange GetCellMergedBounds(Integer Row, Integer Col) = 0;
    virtual TXlsCellRange GetCellMergedList(Integer Index) = 0;

    // Workbook and outline options.
    virtual bool GetOptions1904Dates() = 0;
    virtual bool GetOptionsR1C1() = 0;
    virtual bool GetOptionsSaveExternalLinkValues() = 0;
    virtual void SetOptions1904Dates(bool Value) = 0;
    virtual void SetOptionsR1C1(bool Value) = 0;
    virtual void SetOptionsSaveExternalLinkValues(bool Value) = 0;
    virtual bool GetOptionsPrecisionAsDisplayed() = 0;
    virtual void SetOptionsPrecisionAsDisplayed(bool Value) = 0;
    virtual bool GetOutlineSummaryColsRightOfDetail() = 0;
    virtual bool GetOutlineSummaryRowsBelowDetail() = 0;
    virtual bool GetOutlineAutomaticStyles() = 0;
    virtual void SetOutlineSummaryColsRightOfDetail(bool Value) = 0;
    virtual void SetOutlineSummaryRowsBelowDetail(bool Value) = 0;
    virtual void SetOutlineAutomaticStyles(bool Value) = 0;

    // Life cycle: Connect before any open, Disconnect frees the workbook.
    virtual void Connect() = 0;
    virtual void Disconnect() = 0;
    // Reads the whole file (or the adapter's template store's copy of it) and replaces the open
    // workbook; a file that cannot be read or is not an xls workbook raises and keeps the open
    // one. The file on disk is closed again before the call returns.
    virtual void OpenFile(const AnsiString& FileName) = 0;
    // The same for a name searched under the adapter's BasePathToOpen.
    virtual void OpenFileAndSearch(const AnsiString& FileName) = 0;
    // A new workbook of SheetCount empty worksheets.
    virtual void NewFile(Integer SheetCount) = 0;
    // Reads the workbook from the stream's position to its end; the stream stays the caller's.
    virtual void LoadFromStream(TStream* Stream) = 0;
    // Nothing is saved; the workbook stays until Disconnect or the next open.
    virtual void CloseFile() = 0;

    // Sheets.
    // Inserts Count copies of sheet CopyFrom (new empty worksheets when below 1) before
    // sheet InsertBefore.
    virtual void InsertAndCopySheets(Integer CopyFrom, Integer InsertBefore, Integer Count) = 0;
    virtual void ClearSheet() = 0;
    virtual void DeleteSheet(Integer Count) = 0;
    virtual Integer SheetCount() = 0;
    // Makes the sheet the workbook's shown and only selected one.
    virtual void SelectSheet(Integer Sheet) = 0;
    virtual void DeleteMarkedRows(const WideString& Mark) = 0;
    virtual void MakePageBreaks(const WideString& Mark) = 0;

    // Page breaks.
    virtual void InsertHPageBreak(Integer Row) = 0;
    virtual void InsertVPageBreak(Integer Col) = 0;
    virtual void DeleteHPageBreak(Integer Row) = 0;
    virtual void DeleteVPageBreak(Integer Col) = 0;
    virtual bool HasHPageBreak(Integer Row) = 0;
    virtual bool HasVPageBreak(Integer Col) = 0;
    virtual void RefreshPivotTables() = 0;
    virtual void RefreshChartRanges(const TXlsCellRange& Range) = 0;

    // Writes the formats the file's adapter asks for (xls only without an adapter): to
    // DataStream when given (the caller's, written from its position), else to the bytes
    // OnGetOutStream takes, else to FileName (renamed by OnGetFileName when given). A file is
    // written beside the target and renamed over it when complete, so a failed save leaves an
    // existing file whole; an existing file the adapter does not allow to overwrite raises
    // "Can't write to file ...".
    virtual void Save(bool AutoClose, const AnsiString& FileName, const TOnGetFileNameEvent& OnGetFileName,
                      const TOnGetOutStreamEvent& OnGetOutStream = nullptr,
                      TStream* DataStream = nullptr) = 0;

    // Rows and columns: cells, formats, formulas' references, merged ranges, pictures and
    // comments move with the rows and columns.
    virtual void InsertAndCopyRows(Integer FirstRow, Integer LastRow, Integer DestRow, Integer Count,
                                   bool OnlyFormulas) = 0;
    virtual void InsertAndCopyCols(Integer FirstCol, Integer LastCol, Integer DestCol, Integer Count,
                                   bool OnlyFormulas) = 0;
    virtual void DeleteRows(Integer Row, Integer Count) = 0;
    virtual void DeleteCols(Integer Col, Integer Count) = 0;
    virtual void BeginSheet() = 0;
    virtual void EndSheet() = 0;
    virtual bool CanOptimizeRead() = 0;
    // LocalSheet of the record is a sheet number from 1 here.
    virtual void AddRange(TXlsNamedRange& Range) = 0;

    // Pictures, comments and cell values in their extended forms.
    virtual void AssignPicture(Integer Row, Integer Index, const ByteArray& Data, TXlsImgTypes ImgType) = 0;
    virtual void AssignPicture(Integer Row, Integer Index, const ByteArray& Data, TXlsImgTypes ImgType,
                               const TImageProperties& Props, TVovAnchorType Anchor = at_MoveAndResize) = 0;
    virtual void AssignPictureProperties(Integer Row, Integer Index, const TImageProperties& Props,
                                         TVovAnchorType Anchor = at_MoveAndResize) = 0;
    // Writes the picture's data to Stream (when given, the caller's); the anchor's cells count
    // from 1. The data is the caller's copy: it does not follow later changes.
    virtual void GetPicture(Integer Row, Integer Index, TStream* Stream, TXlsImgTypes& ImgType,
                            TClientAnchor& Anchor) = 0;
    virtual void DeleteImage(Integer Index) = 0;
    virtual void ClearImage(Integer Index) = 0;
    virtual void AddImage(const ByteArray& Data, TXlsImgTypes ImgType, const TImageProperties& Props,
                          TVovAnchorType Anchor = at_MoveAndResize) = 0;
    virtual void AssignComment(Integer Row, Integer Index, const WideString& Comment) = 0;
    virtual void SetCellComment(Integer Row, Integer Col, const WideString& Comment,
                                const TImageProperties& Props) = 0;
    virtual WideString GetCellComment(Integer Row, Integer Col) = 0;

    // Cell enumeration; the column window (ColIndex positions) counts from the window's start.
    // These read what is stored (no formula is computed); positions outside the row read empty.
    virtual Integer CellCount(Integer Row) = 0;
    virtual TXlsVariant GetCellData(Integer Row, Integer Col) = 0;
    virtual TXlsCellValue GetCellDataX(Integer Row, Integer Col) = 0;
    virtual void GetCellDataX2(Integer Row, Integer Col, TXlsCellValue& Value, TRTFRunList& Runs) = 0;
    virtual void AssignCellData(Integer Row, Integer Col, const TXlsVariant& Value) = 0;
    virtual void AssignCellDataX(Integer Row, Integer Col, const TXlsCellValue& Value) = 0;
    virtual void AssignCellDataX2(Integer Row, Integer Col, const TXlsCellValue& Value,
                                  const TRTFRunList& Runs) = 0;
    // Run starts count from 1 at this pair.
    virtual void GetCellValueX2(Integer Row, Integer Col, TXlsCellValue& Value, TRTFRunList& Runs) = 0;
    virtual void AssignCellValueX2(Integer Row, Integer Col, const TXlsCellValue& Value,
                                   const TRTFRunList& Runs) = 0;
    // Typed text: a number, percentage, currency amount, Boolean, date or text, with a
    // fitting number format.
    virtual void SetCellString(Integer Row, Integer Col, const WideString& Text, const WideString& DateFormat,
                               const WideString& TimeFormat) = 0;
    virtual void SetCellString(Integer Row, Integer Col, const WideString& Text, TVovFormat& Format,
                               const WideString& DateFormat, const WideString& TimeFormat) = 0;
    virtual Integer MaxRow() = 0;
    virtual Integer MaxCol() = 0;
    virtual bool IsEmptyRow(Integer Row) = 0;
    virtual void SetCellFormulaX(Integer Row, Integer Col, const WideString& Formula,
                                 const TXlsVariant& Value) = 0;
    virtual Integer ColByIndex(Integer Row, Integer ColIndex) = 0;
    virtual Integer ColIndexCount(Integer Row) = 0;
    virtual Integer ColIndex(Integer Row, Integer Col) = 0;
    virtual void SetBounds(const WideString& RangeName) = 0;
    virtual Integer GetFirstColumn() = 0;

    // Block copy: the xls file writes AssignBlockData's values straight into the cells, as
    // AssignCellData does; PrepareBlockData and PasteBlockData do nothing there.
    virtual void PrepareBlockData(Integer R1, Integer C1, Integer R2, Integer C2) = 0;
    virtual void AssignBlockData(Integer Row, Integer Col, const TXlsVariant& Value) = 0;
    virtual void PasteBlockData() = 0;
    virtual bool IsWorksheet(Integer Sheet) = 0;

    // Palette use (57 flags, index = entry number), format and font lists.
    virtual BooleanArray GetUsedPaletteColors() = 0;
    virtual Integer FontListCount() = 0;
    virtual Integer FormatListCount() = 0;
    // The index of an equal XF or of the one added.
    virtual Integer AddFormat(const TVovFormat& Format) = 0;
    virtual Integer AddFont(const TVovFont& Font) = 0;

    // Merging; the list counts from 0.
    virtual void MergeCells(Integer FirstRow, Integer FirstCol, Integer LastRow, Integer LastCol) = 0;
    virtual void UnMergeCells(Integer FirstRow, Integer FirstCol, Integer LastRow, Integer LastCol) = 0;
    virtual Integer CellMergedListCount() = 0;

    // Clipboard: cells travel as the "Biff8" format; pasting a clipboard without it (plain text
    // included) does nothing.
    virtual void CopyToClipboard() = 0;
    virtual void CopyToClipboard(const TXlsCellRange& Range) = 0;
    virtual void PasteFromClipboard(Integer Row, Integer Col) = 0;
    virtual void ParseComments() = 0;

    // Hyperlinks, numbered from 1; an index outside them raises the index error.
    virtual Integer HyperLinkCount() = 0;
    virtual THyperLink GetHyperLink(Integer Index) = 0;
    virtual void SetHyperLink(Integer Index, const THyperLink& Value) = 0;
    virtual TXlsCellRange GetHyperLinkCellRange(Integer Index) = 0;
    virtual void SetHyperLinkCellRange(Integer Index, const TXlsCellRange& Range) = 0;
    virtual void AddHyperLink(const TXlsCellRange& Range, const THyperLink& Value) = 0;
    virtual void DeleteHyperLink(Integer Index) = 0;

    // Outline levels (0..7); the setters take a first and last row or column.
    virtual Integer GetRowOutlineLevel(Integer Row) = 0;
    virtual void SetRowOutlineLevel(Integer FirstRow, Integer LastRow, Integer Level) = 0;
    virtual Integer GetColOutlineLevel(Integer Col) = 0;
    virtual void SetColOutlineLevel(Integer FirstCol, Integer LastCol, Integer Level) = 0;

    // Panes.
    virtual void FreezePanes(Integer Row, Integer Col) = 0;
    virtual void GetFrozenPanes(Integer& Row, Integer& Col) = 0;
    virtual void SplitWindow(Integer XOffset, Integer YOffset) = 0;
    virtual void GetSplitWindow(Integer& XOffset, Integer& YOffset) = 0;

    // Automatic sizes.
    virtual void AutofitRow(Integer FirstRow, Integer LastRow, bool AutofitNotAutofittingRows,
                            bool KeepHeightAutomatic, Extended Adjustment) = 0;
    virtual void AutofitCol(Integer FirstCol, Integer LastCol, bool IgnoreStrings, Extended Adjustment) = 0;
    virtual void AutofitRowsOnWorkbook(bool AutofitNotAutofittingRows, bool KeepSizesAutomatic,
                                       Extended Adjustment) = 0;

    // Autofilter.
    virtual void SetAutoFilter(Integer Row, Integer Col1, Integer Col2) = 0;
    virtual void RemoveAutoFilter() = 0;
    virtual bool HasAutoFilter() = 0;
    virtual bool HasAutoFilter(Integer Row, Integer Col) = 0;
    virtual TXlsCellRange GetAutoFilterRange() = 0;
};

// Hands out file objects. BasePathToOpen is the folder under which OpenFileAndSearch looks.
class TExcelAdapter : public TComponent {
public:
    using TComponent::TComponent;

    const AnsiString& BasePathToOpen() const { return FBasePathToOpen; }
    void SetBasePathToOpen(const AnsiString& Value) { FBasePathToOpen = Value; }

    // A new file object; the caller owns it.
    virtual std::unique_ptr<TExcelFile> GetWorkbook() = 0;

private:
    AnsiString FBasePathToOpen;
};

// Where OpenFile takes file contents from instead of the disk.
class TXlsBaseTemplateStore : public TComponent {
public:
    using TComponent::TComponent;
    virtual ByteArray GetStoredFile(const WideString& FileName) = 0;
    virtual bool IsUpToDate() = 0;
    virtual void Refresh() = 0;
};

enum TExcelSaveFormatNative { snXLS, snCSVComma, snCSVSemiColon, snTabDelimited };
using TSetOfExcelSaveFormatNative = TSet<TExcelSaveFormatNative>;

// The adapter of the xls file: GetWorkbook (in the xls file's unit) hands out xls files that
// carry the adapter and its AllowOverwritingFiles.
class TXLSAdapter : public TExcelAdapter {
public:
    using TExcelAdapter::TExcelAdapter;

    std::unique_ptr<TExcelFile> GetWorkbook() override;

    const TSetOfExcelSaveFormatNative& SaveFormat() const { return FSaveFormat; }
    void SetSaveFormat(const TSetOfExcelSaveFormatNative& Value) { FSaveFormat = Value; }
    TXlsBaseTemplateStore* TemplateStore() const { return FTemplateStore; }
    void SetTemplateStore(TXlsBaseTemplateStore* Value)
    {
        FTemplateStore = Value;
        if (Value)
            FreeNotification(Value);
    }
    bool AllowOverwritingFiles() const { return FAllowOverwritingFiles; }
    void SetAllowOverwritingFiles(bool Value) { FAllowOverwritingFiles = Value; }

protected:
    // A template store that goes away is no longer used.
    void Notification(TComponent* AComponent, TOperation Operation) override
    {
        TExcelAdapter::Notification(AComponent, Operation);
        if (Operation == opRemove && AComponent == FTemplateStore)
            FTemplateStore = nullptr;
    }

private:
    TSetOfExcelSaveFormatNative FSaveFormat{snXLS};
    TXlsBaseTemplateStore* FTemplateStore = nullptr;
    bool FAllowOverwritingFiles = false;
};
