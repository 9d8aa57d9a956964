#pragma once

#include "RudUvud/xlsadapter/XlsExcelFile.h"
#include "RudUvud/xlsadapter/XlsNotes.h"

#include <functional>
#include <memory>

class TWorkbook;
class TSheet;
class TWorkSheet;
class TCellValues;

class TOle2Stream;

// Creates a new file in FileName's folder, lets Write fill it (through the descriptor it is
// given; false or an exception when that failed), flushes it to the disk and renames it over
// FileName; an existing file keeps its permissions. False, with any existing file as it was and
// no new file left, when any step fails; Write's exception is passed on the same way.
bool WriteFileReplacing(const AnsiString& FileName, const std::function<bool(int Fd)>& Write);

// The xls file: TExcelFile over a whole workbook (TWorkbook). Every operation converts the
// interface's numbers (from 1) to the workbook's indexes (from 0) and back, and addresses the
// sheet numbered ActiveSheet. Sheet-level operations on a sheet that is not a worksheet (a chart
// or another kept sheet) read their defaults and change nothing.
//
// Opening keeps the compound document's other streams (summary information, macros, anything
// else) and the next save writes them back byte for byte around the new "Workbook" stream.
class TXLSFile : public TExcelFile {
public:
    explicit TXLSFile(TXLSAdapter* aAdapter);
    TXLSFile(TXLSAdapter* aAdapter, bool aAllowOverwritingFiles);
    ~TXLSFile() override;
    TXLSFile(const TXLSFile&) = delete;
    TXLSFile& operator=(const TXLSFile&) = delete;

    // The loaded workbook; null before Connect and after Disconnect.
    TWorkbook* GetTWorkbook() const { return FWorkbook.get(); }

    // Writes the xls file to Stream when given, else to a new file named FileName (a file that
    // fails half way is deleted).
    void SaveAsXls(const AnsiString& FileName, TStream* Stream);
    void SaveAsXls(TStream* Stream);
    // The compound document with the workbook in its "Workbook" stream, written into Out.
    void SaveDocument(TOle2Stream& Out);
    // The delimited text formats write nothing.
    void SaveAsTextDelimited(const AnsiString& FileName, TStream* Stream, char Delimiter);
    AnsiString CopyToClipboardFormat() { return AnsiString(); }
    // Pastes a "Biff8" block (a whole workbook stream in a compound document) at a cell.
    void PasteFromBiff8(TStream* Stream, Integer Row, Integer Col);

    TXlsVariant GetCellValue(Integer Row, Integer Col) override;
    void SetCellValue(Integer Row, Integer Col, const TXlsVariant& Value) override;
    TXlsCellValue GetCellValueX(Integer Row, Integer Col) override;
    void SetCellValueX(Integer Row, Integer Col, const TXlsCellValue& Value) override;
    WideString GetCellFormula(Integer Row, Integer Col) override;
    void SetCellFormula(Integer Row, Integer Col, const WideString& Formula) override;
    Integer GetCommentsCount(Integer Row) override;
    WideString GetCommentText(Integer Row, Integer Index) override;
    Integer GetCommentColumn(Integer Row, Integer Index) override;
    WideString GetPictureName(Integer Row, Integer Index) override;
    Integer GetPicturesCount(Integer Row) override;
    Integer GetExcelNameCount() override;
    WideString GetRangeName(Integer Index) override;
    Integer GetRangeR1(Integer Index) override;
    Integer GetRangeR2(Integer Index) override;
    Integer GetRangeC1(Integer Index) override;
    Integer GetRangeC2(Integer Index) override;
    void SetRangeR1(Integer Index, Integer Value) override;
    void SetRangeR2(Integer Index, Integer Value) override;
    void SetRangeC1(Integer Index, Integer Value) override;
    void SetRangeC2(Integer Index, Integer Value) override;
    Integer GetRangeSheet(Integer Index) override;
    Integer GetActiveSheet() override;
    void SetActiveSheet(Integer Sheet) override;
    WideString GetActiveSheetName() override;
    void SetActiveSheetName(const WideString& Name) override;
    WideString GetActiveSheetCodeName() override;
    void SetActiveSheetCodeName(const WideString& Name) override;
    TXlsSheetVisible GetActiveSheetVisible() override;
    void SetActiveSheetVisible(TXlsSheetVisible Value) override;
    Integer GetColumnWidth(Integer Col) override;
    Integer GetColumnWidthHiddenIsZero(Integer Col) override;
    Integer GetRowHeight(Integer Row) override;
    Integer GetRowHeightHiddenIsZero(Integer Row) override;
    void SetColumnWidth(Integer Col, Integer Value) override;
    void SetRowHeight(Integer Row, Integer Value) override;
    bool GetRowHidden(Integer Row) override;
    bool GetColumnHidden(Integer Col) override;
    void SetRowHidden(Integer Row, bool Value) override;
    void SetColumnHidden(Integer Col, bool Value) override;
    Integer GetDefaultColWidth() override;
    Integer GetDefaultRowHeight() override;
    bool GetAutoRowHeight(Integer Row) override;
    void SetAutoRowHeight(Integer Row, bool Value) override;
    Integer GetColumnFormat(Integer Col) override;
    Integer GetRowFormat(Integer Row) override;
    void SetColumnFormat(Integer Col, Integer XF) override;
    void SetRowFormat(Integer Row, Integer XF) override;
    Integer GetCellFormat(Integer Row, Integer Col) override;
    void SetCellFormat(Integer Row, Integer Col, Integer XF) override;
    TColor GetColorPalette(TColorPaletteRange Index) override;
    void SetColorPalette(TColorPaletteRange Index, TColor Value) override;
    TVovFont GetFontList(Integer Index) override;
    void SetFontList(Integer Index, const TVovFont& Value) override;
    TVovFormat GetFormatList(Integer Index) override;
    void SetFormatList(Integer Index, const TVovFormat& Value) override;
    WideString GetPageFooter() override;
    WideString GetPageHeader() override;
    void SetPageFooter(const WideString& Value) override;
    void SetPageHeader(const WideString& Value) override;
    bool GetShowGridLines() override;
    void SetShowGridLines(bool Value) override;
    bool GetShowGridHeaders() override;
    void SetShowGridHeaders(bool Value) override;
    bool GetPrintGridLines() override;
    void SetPrintGridLines(bool Value) override;
    Integer GetSheetZoom() override;
    void SetSheetZoom(Integer Value) override;
    TXlsMargins GetMargins() override;
    void SetMargins(const TXlsMargins& Value) override;
    Integer GetPrintNumberOfHorizontalPages() override;
    Integer GetPrintNumberOfVerticalPages() override;
    Integer GetPrintScale() override;
    Byte GetPrintOptions() override;
    bool GetPrintToFit() override;
    void SetPrintNumberOfHorizontalPages(Integer Value) override;
    void SetPrintNumberOfVerticalPages(Integer Value) override;
    void SetPrintScale(Integer Value) override;
    void SetPrintOptions(Byte Value) override;
    void SetPrintToFit(bool Value) override;
    bool GetPrintHCentered() override;
    bool GetPrintVCentered() override;
    void SetPrintHCentered(bool Value) override;
    void SetPrintVCentered(bool Value) override;
    Integer GetPrintCopies() override;
    TPrinterDriverSettings GetPrinterDriverSettings() override;
    Integer GetPrintPaperSize() override;
    Integer GetPrintXResolution() override;
    Integer GetPrintYResolution() override;
    void SetPrintCopies(Integer Value) override;
    void SetPrinterDriverSettings(const TPrinterDriverSettings& Value) override;
    void SetPrintPaperSize(Integer Value) override;
    void SetPrintXResolution(Integer Value) override;
    void SetPrintYResolution(Integer Value) override;
    bool GetInvalidateFormulas() override;
    void SetInvalidateFormulas(bool Value) override;
    bool GetIsXltTemplate() override;
    void SetIsXltTemplate(bool Value) override;
    TXlsCellRange GetCellMergedBounds(Integer Row, Integer Col) override;
    TXlsCellRange GetCellMergedList(Integer Index) override;
    bool GetOptions1904Dates() override;
    bool GetOptionsR1C1() override;
    bool GetOptionsSaveExternalLinkValues() override;
    void SetOptions1904Dates(bool Value) override;
    void SetOptionsR1C1(bool Value) override;
    void SetOptionsSaveExternalLinkValues(bool Value) override;
    bool GetOptionsPrecisionAsDisplayed() override;
    void SetOptionsPrecisionAsDisplayed(bool Value) override;
    bool GetOutlineSummaryColsRightOfDetail() override;
    bool GetOutlineSummaryRowsBelowDetail() override;
    bool GetOutlineAutomaticStyles() override;
    void SetOutlineSummaryColsRightOfDetail(bool Value) override;
    void SetOutlineSummaryRowsBelowDetail(bool Value) override;
    void SetOutlineAutomaticStyles(bool Value) override;
    void Connect() override;
    void Disconnect() override;
    void OpenFile(const AnsiString& FileName) override;
    void OpenFileAndSearch(const AnsiString& FileName) override;
    void NewFile(Integer SheetCount) override;
    void LoadFromStream(TStream* Stream) override;
    void CloseFile() override;
    void InsertAndCopySheets(Integer CopyFrom, Integer InsertBefore, Integer Count) override;
    void ClearSheet() override;
    void DeleteSheet(Integer Count) override;
    Integer SheetCount() override;
    void SelectSheet(Integer Sheet) override;
    void DeleteMarkedRows(const WideString& Mark) override;
    void MakePageBreaks(const WideString& Mark) override;
    void InsertHPageBreak(Integer Row) override;
    void InsertVPageBreak(Integer Col) override;
    void DeleteHPageBreak(Integer Row) override;
    void DeleteVPageBreak(Integer Col) override;
    bool HasHPageBreak(Integer Row) override;
    bool HasVPageBreak(Integer Col) override;
    void RefreshPivotTables() override;
    void RefreshChartRanges(const TXlsCellRange& Range) override;
    void Save(bool AutoClose, const AnsiString& FileName, const TOnGetFileNameEvent& OnGetFileName,
              const TOnGetOutStreamEvent& OnGetOutStream = nullptr, TStream* DataStream = nullptr) override;
    void InsertAndCopyRows(Integer FirstRow, Integer LastRow, Integer DestRow, Integer Count,
                           bool OnlyFormulas) override;
    void InsertAndCopyCols(Integer FirstCol, Integer LastCol, Integer DestCol, Integer Count,
                           bool OnlyFormulas) override;
    void DeleteRows(Integer Row, Integer Count) override;
    void DeleteCols(Integer Col, Integer Count) override;
    void BeginSheet() override;
    void EndSheet() override;
    bool CanOptimizeRead() override;
    void AddRange(TXlsNamedRange& Range) override;
    void AssignPicture(Integer Row, Integer Index, const ByteArray& Data, TXlsImgTypes ImgType) override;
    void AssignPicture(Integer Row, Integer Index, const ByteArray& Data, TXlsImgTypes ImgType,
                       const TImageProperties& Props, TVovAnchorType Anchor = at_MoveAndResize) override;
    void AssignPictureProperties(Integer Row, Integer Index, const TImageProperties& Props,
                                 TVovAnchorType Anchor = at_MoveAndResize) override;
    void GetPicture(Integer Row, Integer Index, TStream* Stream, TXlsImgTypes& ImgType,
                    TClientAnchor& Anchor) override;
    void DeleteImage(Integer Index) override;
    void ClearImage(Integer Index) override;
    void AddImage(const ByteArray& Data, TXlsImgTypes ImgType, const TImageProperties& Props,
                  TVovAnchorType Anchor = at_MoveAndResize) override;
    void AssignComment(Integer Row, Integer Index, const WideString& Comment) override;
    void SetCellComment(Integer Row, Integer Col, const WideString& Comment,
                        const TImageProperties& Props) override;
    WideString GetCellComment(Integer Row, Integer Col) override;
    Integer CellCount(Integer Row) override;
    TXlsVariant GetCellData(Integer Row, Integer Col) override;
    TXlsCellValue GetCellDataX(Integer Row, Integer Col) override;
    void GetCellDataX2(Integer Row, Integer Col, TXlsCellValue& Value, TRTFRunList& Runs) override;
    void AssignCellData(Integer Row, Integer Col, const TXlsVariant& Value) override;
    void AssignCellDataX(Integer Row, Integer Col, const TXlsCellValue& Value) override;
    void AssignCellDataX2(Integer Row, Integer Col, const TXlsCellValue& Value,
                          const TRTFRunList& Runs) override;
    void GetCellValueX2(Integer Row, Integer Col, TXlsCellValue& Value, TRTFRunList& Runs) override;
    void AssignCellValueX2(Integer Row, Integer Col, const TXlsCellValue& Value,
                           const TRTFRunList& Runs) override;
    void SetCellString(Integer Row, Integer Col, const WideString& Text, const WideString& DateFormat,
                       const WideString& TimeFormat) override;
    void SetCellString(Integer Row, Integer Col, const WideString& Text, TVovFormat& Format,
                       const WideString& DateFormat, const WideString& TimeFormat) override;
    Integer MaxRow() override;
    Integer MaxCol() override;
    bool IsEmptyRow(Integer Row) override;
    void SetCellFormulaX(Integer Row, Integer Col, const WideString& Formula,
                         const TXlsVariant& Value) override;
    Integer ColByIndex(Integer Row, Integer ColIndex) override;
    Integer ColIndexCount(Integer Row) override;
    Integer ColIndex(Integer Row, Integer Col) override;
    void SetBounds(const WideString& RangeName) override;
    Integer GetFirstColumn() override;
    void PrepareBlockData(Integer R1, Integer C1, Integer R2, Integer C2) override;
    void AssignBlockData(Integer Row, Integer Col, const TXlsVariant& Value) override;
    void PasteBlockData() override;
    bool IsWorksheet(Integer Sheet) override;
    BooleanArray GetUsedPaletteColors() override;
    Integer FontListCount() override;
    Integer FormatListCount() override;
    Integer AddFormat(const TVovFormat& Format) override;
    Integer AddFont(const TVovFont& Font) override;
    void MergeCells(Integer FirstRow, Integer FirstCol, Integer LastRow, Integer LastCol) override;
    void UnMergeCells(Integer FirstRow, Integer FirstCol, Integer LastRow, Integer LastCol) override;
    Integer CellMergedListCount() override;
    void CopyToClipboard() override;
    void CopyToClipboard(const TXlsCellRange& Range) override;
    void PasteFromClipboard(Integer Row, Integer Col) override;
    void ParseComments() override;
    Integer HyperLinkCount() override;
    THyperLink GetHyperLink(Integer Index) override;
    void SetHyperLink(Integer Index, const THyperLink& Value) override;
    TXlsCellRange GetHyperLinkCellRange(Integer Index) override;
    void SetHyperLinkCellRange(Integer Index, const TXlsCellRange& Range) override;
    void AddHyperLink(const TXlsCellRange& Range, const THyperLink& Value) override;
    void DeleteHyperLink(Integer Index) override;
    Integer GetRowOutlineLevel(Integer Row) override;
    void SetRowOutlineLevel(Integer FirstRow, Integer LastRow, Integer Level) override;
    Integer GetColOutlineLevel(Integer Col) override;
    void SetColOutlineLevel(Integer FirstCol, Integer LastCol, Integer Level) override;
    void FreezePanes(Integer Row, Integer Col) override;
    void GetFrozenPanes(Integer& Row, Integer& Col) override;
    void SplitWindow(Integer XOffset, Integer YOffset) override;
    void GetSplitWindow(Integer& XOffset, Integer& YOffset) override;
    void AutofitRow(Integer FirstRow, Integer LastRow, bool AutofitNotAutofittingRows,
                    bool KeepHeightAutomatic, Extended Adjustment) override;
    void AutofitCol(Integer FirstCol, Integer LastCol, bool IgnoreStrings, Extended Adjustment) override;
    void AutofitRowsOnWorkbook(bool AutofitNotAutofittingRows, bool KeepSizesAutomatic,
                               Extended Adjustment) override;
    void SetAutoFilter(Integer Row, Integer Col1, Integer Col2) override;
    void RemoveAutoFilter() override;
    bool HasAutoFilter() override;
    bool HasAutoFilter(Integer Row, Integer Col) override;
    TXlsCellRange GetAutoFilterRange() override;

private:
    TXLSAdapter* FAdapter;
    Integer FActiveSheet = 0;
    std::unique_ptr<TWorkbook> FWorkbook;
    ByteArray FOtherStreams;
    Integer FFirstColumn = 0;
    Integer FLastColumn = 0;
    bool FAllowOverwritingFiles = false;
    bool FInvalidateFormulas = false;
    std::unique_ptr<TRowComments> FRowPictures;
    // The cell interface of FCellValuesSheet, kept while that sheet is the active one.
    mutable std::unique_ptr<TCellValues> FCellValues;
    mutable TWorkSheet* FCellValuesSheet = nullptr;

    TWorkbook& Book() const;
    // The active sheet, and the active sheet when it is a worksheet (else null).
    TSheet* Sheet() const;
    TWorkSheet* WorkSheet() const;
    // The cell interface of the active worksheet (null when it is not one).
    TCellValues* Cells() const;
    bool Is1904() const;
    // After an edit of the active sheet's cell (Row, Col), from 0, or of all its cells (Row -1):
    // the results of the formulas that refer to them may be stale.
    void CellsChanged(Integer Row = -1, Integer Col = -1);
    // Opens the document in Stream from its position to its end, or in Bytes.
    void OpenStream(TStream* Stream);
    void OpenDocument(ByteArray Bytes);
    void OpenDocument(TOle2Stream& In);
    // The drawing index of picture Index of Row (Row <= 0: Index itself).
    Integer PictureIndex(Integer Row, Integer Index) const;
    void RestoreObjectSizes();
    void WriteCell(Integer Row, Integer Col, const TXlsVariant& Value, TVovFormat* Format);
    void SetCellStringWith(Integer Row, Integer Col, const WideString& Text, TVovFormat* Given,
                           const WideString& DateFormat, const WideString& TimeFormat);
};

// Creates xls files for the grid bridge and other users of TExcelAdapter.
std::unique_ptr<TExcelFile> NewXlsFile(TXLSAdapter* Adapter);
