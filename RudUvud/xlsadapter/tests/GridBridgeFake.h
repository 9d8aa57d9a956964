#pragma once

// An in-memory spreadsheet file for the grid bridge tests: it records the cells, formats,
// merges, sizes, comments and pictures it is given and serves them back. Saving writes a small
// token file to the disk and keeps the workbook in a process-wide store under that token, so the
// bridge's own file handling (exists, rename, delete) runs on real files.

#include "RudUvud/xlsadapter/XlsExcelFile.h"
#include "RudUvud/xlsadapter/XlsMessages.h"
#include "platform/rtl/Strings.h"

#include <fstream>
#include <map>
#include <set>
#include <sstream>

namespace bridgetest {

// Every slot doing nothing; the fake overrides what the bridge uses.
class TNullExcelFile : public TExcelFile {
public:
    TXlsVariant GetCellValue(Integer Row, Integer Col) override { return {}; }
    void SetCellValue(Integer Row, Integer Col, const TXlsVariant& Value) override {}
    TXlsCellValue GetCellValueX(Integer Row, Integer Col) override { return {}; }
    void SetCellValueX(Integer Row, Integer Col, const TXlsCellValue& Value) override {}
    WideString GetCellFormula(Integer Row, Integer Col) override { return {}; }
    void SetCellFormula(Integer Row, Integer Col, const WideString& Formula) override {}
    Integer GetCommentsCount(Integer Row) override { return 0; }
    WideString GetCommentText(Integer Row, Integer Index) override { return {}; }
    Integer GetCommentColumn(Integer Row, Integer Index) override { return 0; }
    WideString GetPictureName(Integer Row, Integer Index) override { return {}; }
    Integer GetPicturesCount(Integer Row) override { return 0; }
    Integer GetExcelNameCount() override { return 0; }
    WideString GetRangeName(Integer Index) override { return {}; }
    Integer GetRangeR1(Integer Index) override { return 0; }
    Integer GetRangeR2(Integer Index) override { return 0; }
    Integer GetRangeC1(Integer Index) override { return 0; }
    Integer GetRangeC2(Integer Index) override { return 0; }
    void SetRangeR1(Integer Index, Integer Value) override {}
    void SetRangeR2(Integer Index, Integer Value) override {}
    void SetRangeC1(Integer Index, Integer Value) override {}
    void SetRangeC2(Integer Index, Integer Value) override {}
    Integer GetRangeSheet(Integer Index) override { return 0; }
    Integer GetActiveSheet() override { return 0; }
    void SetActiveSheet(Integer Sheet) override {}
    WideString GetActiveSheetName() override { return {}; }
    void SetActiveSheetName(const WideString& Name) override {}
    WideString GetActiveSheetCodeName() override { return {}; }
    void SetActiveSheetCodeName(const WideString& Name) override {}
    TXlsSheetVisible GetActiveSheetVisible() override { return {}; }
    void SetActiveSheetVisible(TXlsSheetVisible Value) override {}
    Integer GetColumnWidth(Integer Col) override { return 0; }
    Integer GetColumnWidthHiddenIsZero(Integer Col) override { return 0; }
    Integer GetRowHeight(Integer Row) override { return 0; }
    Integer GetRowHeightHiddenIsZero(Integer Row) override { return 0; }
    void SetColumnWidth(Integer Col, Integer Value) override {}
    void SetRowHeight(Integer Row, Integer Value) override {}
    bool GetRowHidden(Integer Row) override { return false; }
    bool GetColumnHidden(Integer Col) override { return false; }
    void SetRowHidden(Integer Row, bool Value) override {}
    void SetColumnHidden(Integer Col, bool Value) override {}
    Integer GetDefaultColWidth() override { return 0; }
    Integer GetDefaultRowHeight() override { return 0; }
    bool GetAutoRowHeight(Integer Row) override { return false; }
    void SetAutoRowHeight(Integer Row, bool Value) override {}
    Integer GetColumnFormat(Integer Col) override { return 0; }
    Integer GetRowFormat(Integer Row) override { return 0; }
    void SetColumnFormat(Integer Col, Integer XF) override {}
    void SetRowFormat(Integer Row, Integer XF) override {}
    Integer GetCellFormat(Integer Row, Integer Col) override { return 0; }
    void SetCellFormat(Integer Row, Integer Col, Integer XF) override {}
    TColor GetColorPalette(TColorPaletteRange Index) override { return 0; }
    void SetColorPalette(TColorPaletteRange Index, TColor Value) override {}
    TVovFont GetFontList(Integer Index) override { return {}; }
    void SetFontList(Integer Index, const TVovFont& Value) override {}
    TVovFormat GetFormatList(Integer Index) override { return {}; }
    void SetFormatList(Integer Index, const TVovFormat& Value) override {}
    WideString GetPageFooter() override { return {}; }
    WideString GetPageHeader() override { return {}; }
    void SetPageFooter(const WideString& Value) override {}
    void SetPageHeader(const WideString& Value) override {}
    bool GetShowGridLines() override { return false; }
    void SetShowGridLines(bool Value) override {}
    bool GetShowGridHeaders() override { return false; }
    void SetShowGridHeaders(bool Value) override {}
    bool GetPrintGridLines() override { return false; }
    void SetPrintGridLines(bool Value) override {}
    Integer GetSheetZoom() override { return 0; }
    void SetSheetZoom(Integer Value) override {}
    TXlsMargins GetMargins() override { return {}; }
    void SetMargins(const TXlsMargins& Value) override {}
    Integer GetPrintNumberOfHorizontalPages() override { return 0; }
    Integer GetPrintNumberOfVerticalPages() override { return 0; }
    Integer GetPrintScale() override { return 0; }
    Byte GetPrintOptions() override { return 0; }
    bool GetPrintToFit() override { return false; }
    void SetPrintNumberOfHorizontalPages(Integer Value) override {}
    void SetPrintNumberOfVerticalPages(Integer Value) override {}
    void SetPrintScale(Integer Value) override {}
    void SetPrintOptions(Byte Value) override {}
    void SetPrintToFit(bool Value) override {}
    bool GetPrintHCentered() override { return false; }
    bool GetPrintVCentered() override { return false; }
    void SetPrintHCentered(bool Value) override {}
    void SetPrintVCentered(bool Value) override {}
    Integer GetPrintCopies() override { return 0; }
    TPrinterDriverSettings GetPrinterDriverSettings() override { return {}; }
    Integer GetPrintPaperSize() override { return 0; }
    Integer GetPrintXResolution() override { return 0; }
    Integer GetPrintYResolution() override { return 0; }
    void SetPrintCopies(Integer Value) override {}
    void SetPrinterDriverSettings(const TPrinterDriverSettings& Value) override {}
    void SetPrintPaperSize(Integer Value) override {}
    void SetPrintXResolution(Integer Value) override {}
    void SetPrintYResolution(Integer Value) override {}
    bool GetInvalidateFormulas() override { return false; }
    void SetInvalidateFormulas(bool Value) override {}
    bool GetIsXltTemplate() override { return false; }
    void SetIsXltTemplate(bool Value) override {}
    TXlsCellRange GetCellMergedBounds(Integer Row, Integer Col) override { return {}; }
    TXlsCellRange GetCellMergedList(Integer Index) override { return {}; }
    bool GetOptions1904Dates() override { return false; }
    bool GetOptionsR1C1() override { return false; }
    bool GetOptionsSaveExternalLinkValues() override { return false; }
    void SetOptions1904Dates(bool Value) override {}
    void SetOptionsR1C1(bool Value) override {}
    void SetOptionsSaveExternalLinkValues(bool Value) override {}
    bool GetOptionsPrecisionAsDisplayed() override { return false; }
    void SetOptionsPrecisionAsDisplayed(bool Value) override {}
    bool GetOutlineSummaryColsRightOfDetail() override { return false; }
    bool GetOutlineSummaryRowsBelowDetail() override { return false; }
    bool GetOutlineAutomaticStyles() override { return false; }
    void SetOutlineSummaryColsRightOfDetail(bool Value) override {}
    void SetOutlineSummaryRowsBelowDetail(bool Value) override {}
    void SetOutlineAutomaticStyles(bool Value) override {}
    void Connect() override {}
    void Disconnect() override {}
    void OpenFile(const AnsiString& FileName) override {}
    void OpenFileAndSearch(const AnsiString& FileName) override {}
    void NewFile(Integer SheetCount) override {}
    void LoadFromStream(TStream* Stream) override {}
    void CloseFile() override {}
    void InsertAndCopySheets(Integer CopyFrom, Integer InsertBefore, Integer Count) override {}
    void ClearSheet() override {}
    void DeleteSheet(Integer Count) override {}
    Integer SheetCount() override { return 0; }
    void SelectSheet(Integer Sheet) override {}
    void DeleteMarkedRows(const WideString& Mark) override {}
    void MakePageBreaks(const WideString& Mark) override {}
    void InsertHPageBreak(Integer Row) override {}
    void InsertVPageBreak(Integer Col) override {}
    void DeleteHPageBreak(Integer Row) override {}
    void DeleteVPageBreak(Integer Col) override {}
    bool HasHPageBreak(Integer Row) override { return false; }
    bool HasVPageBreak(Integer Col) override { return false; }
    void RefreshPivotTables() override {}
    void RefreshChartRanges(const TXlsCellRange& Range) override {}
    void Save(bool AutoClose, const AnsiString& FileName, const TOnGetFileNameEvent& OnGetFileName,
              const TOnGetOutStreamEvent& OnGetOutStream, TStream* DataStream) override
    {
    }
    void InsertAndCopyRows(Integer FirstRow, Integer LastRow, Integer DestRow, Integer Count,
                           bool OnlyFormulas) override
    {
    }
    void InsertAndCopyCols(Integer FirstCol, Integer LastCol, Integer DestCol, Integer Count,
                           bool OnlyFormulas) override
    {
    }
    void DeleteRows(Integer Row, Integer Count) override {}
    void DeleteCols(Integer Col, Integer Count) override {}
    void BeginSheet() override {}
    void EndSheet() override {}
    bool CanOptimizeRead() override { return false; }
    void AddRange(TXlsNamedRange& Range) override {}
    void AssignPicture(Integer Row, Integer Index, const ByteArray& Data, TXlsImgTypes ImgType) override {}
    void AssignPicture(Integer Row, Integer Index, const ByteArray& Data, TXlsImgTypes ImgType,
                       const TImageProperties& Props, TVovAnchorType Anchor) override
    {
    }
    void AssignPictureProperties(Integer Row, Integer Index, const TImageProperties& Props,
                                 TVovAnchorType Anchor) override
    {
    }
    void GetPicture(Integer Row, Integer Index, TStream* Stream, TXlsImgTypes& ImgType,
                    TClientAnchor& Anchor) override
    {
    }
    void DeleteImage(Integer Index) override {}
    void ClearImage(Integer Index) override {}
    void AddImage(const ByteArray& Data, TXlsImgTypes ImgType, const TImageProperties& Props,
                  TVovAnchorType Anchor) override
    {
    }
    void AssignComment(Integer Row, Integer Index, const WideString& Comment) override {}
    void SetCellComment(Integer Row, Integer Col, const WideString& Comment,
                        const TImageProperties& Props) override
    {
    }
    WideString GetCellComment(Integer Row, Integer Col) override { return {}; }
    Integer CellCount(Integer Row) override { return 0; }
    TXlsVariant GetCellData(Integer Row, Integer Col) override { return {}; }
    TXlsCellValue GetCellDataX(Integer Row, Integer Col) override { return {}; }
    void GetCellDataX2(Integer Row, Integer Col, TXlsCellValue& Value, TRTFRunList& Runs) override {}
    void AssignCellData(Integer Row, Integer Col, const TXlsVariant& Value) override {}
    void AssignCellDataX(Integer Row, Integer Col, const TXlsCellValue& Value) override {}
    void AssignCellDataX2(Integer Row, Integer Col, const TXlsCellValue& Value,
                          const TRTFRunList& Runs) override
    {
    }
    void GetCellValueX2(Integer Row, Integer Col, TXlsCellValue& Value, TRTFRunList& Runs) override {}
    void AssignCellValueX2(Integer Row, Integer Col, const TXlsCellValue& Value,
                           const TRTFRunList& Runs) override
    {
    }
    void SetCellString(Integer Row, Integer Col, const WideString& Text, const WideString& DateFormat,
                       const WideString& TimeFormat) override
    {
    }
    void SetCellString(Integer Row, Integer Col, const WideString& Text, TVovFormat& Format,
                       const WideString& DateFormat, const WideString& TimeFormat) override
    {
    }
    Integer MaxRow() override { return 0; }
    Integer MaxCol() override { return 0; }
    bool IsEmptyRow(Integer Row) override { return false; }
    void SetCellFormulaX(Integer Row, Integer Col, const WideString& Formula,
                         const TXlsVariant& Value) override
    {
    }
    Integer ColByIndex(Integer Row, Integer ColIndex) override { return 0; }
    Integer ColIndexCount(Integer Row) override { return 0; }
    Integer ColIndex(Integer Row, Integer Col) override { return 0; }
    void SetBounds(const WideString& RangeName) override {}
    Integer GetFirstColumn() override { return 0; }
    void PrepareBlockData(Integer R1, Integer C1, Integer R2, Integer C2) override {}
    void AssignBlockData(Integer Row, Integer Col, const TXlsVariant& Value) override {}
    void PasteBlockData() override {}
    bool IsWorksheet(Integer Sheet) override { return false; }
    BooleanArray GetUsedPaletteColors() override { return {}; }
    Integer FontListCount() override { return 0; }
    Integer FormatListCount() override { return 0; }
    Integer AddFormat(const TVovFormat& Format) override { return 0; }
    Integer AddFont(const TVovFont& Font) override { return 0; }
    void MergeCells(Integer FirstRow, Integer FirstCol, Integer LastRow, Integer LastCol) override {}
    void UnMergeCells(Integer FirstRow, Integer FirstCol, Integer LastRow, Integer LastCol) override {}
    Integer CellMergedListCount() override { return 0; }
    void CopyToClipboard() override {}
    void CopyToClipboard(const TXlsCellRange& Range) override {}
    void PasteFromClipboard(Integer Row, Integer Col) override {}
    void ParseComments() override {}
    Integer HyperLinkCount() override { return 0; }
    THyperLink GetHyperLink(Integer Index) override { return {}; }
    void SetHyperLink(Integer Index, const THyperLink& Value) override {}
    TXlsCellRange GetHyperLinkCellRange(Integer Index) override { return {}; }
    void SetHyperLinkCellRange(Integer Index, const TXlsCellRange& Range) override {}
    void AddHyperLink(const TXlsCellRange& Range, const THyperLink& Value) override {}
    void DeleteHyperLink(Integer Index) override {}
    Integer GetRowOutlineLevel(Integer Row) override { return 0; }
    void SetRowOutlineLevel(Integer FirstRow, Integer LastRow, Integer Level) override {}
    Integer GetColOutlineLevel(Integer Col) override { return 0; }
    void SetColOutlineLevel(Integer FirstCol, Integer LastCol, Integer Level) override {}
    void FreezePanes(Integer Row, Integer Col) override {}
    void GetFrozenPanes(Integer& Row, Integer& Col) override {}
    void SplitWindow(Integer XOffset, Integer YOffset) override {}
    void GetSplitWindow(Integer& XOffset, Integer& YOffset) override {}
    void AutofitRow(Integer FirstRow, Integer LastRow, bool AutofitNotAutofittingRows,
                    bool KeepHeightAutomatic, Extended Adjustment) override
    {
    }
    void AutofitCol(Integer FirstCol, Integer LastCol, bool IgnoreStrings, Extended Adjustment) override {}
    void AutofitRowsOnWorkbook(bool AutofitNotAutofittingRows, bool KeepSizesAutomatic,
                               Extended Adjustment) override
    {
    }
    void SetAutoFilter(Integer Row, Integer Col1, Integer Col2) override {}
    void RemoveAutoFilter() override {}
    bool HasAutoFilter() override { return false; }
    bool HasAutoFilter(Integer Row, Integer Col) override { return false; }
    TXlsCellRange GetAutoFilterRange() override { return {}; }
};

struct TFakeCell {
    TXlsVariant Value;
    WideString Formula;
    Integer XF = -1;
};

struct TFakePicture {
    ByteArray Data;
    TXlsImgTypes Type = xli_Jpeg;
    TImageProperties Props;
};

struct TFakeSheet {
    WideString Name;
    std::map<std::pair<Integer, Integer>, TFakeCell> Cells; // (row, column) from 1
    std::map<Integer, Integer> RowHeights, ColWidths, RowFormats, ColFormats;
    std::set<Integer> HiddenCols;
    std::vector<TXlsCellRange> Merges;
    std::map<std::pair<Integer, Integer>, WideString> Comments;
    std::vector<TFakePicture> Pictures;
    std::vector<TXlsNamedRange> Names;
    Byte PrintOptions = 0x44; // printer settings not valid, landscape
    Integer PrintScale = 0;
    Integer Zoom = 100;
    bool ShowGridLines = true;
};

struct TFakeWorkbook {
    std::vector<TFakeSheet> Sheets;
    std::vector<TVovFormat> Formats;
    std::vector<TColor> Palette; // entries 1..56 at 0..55
    Integer Selected = 1;
    bool Is1904 = false;
};

inline std::map<Integer, TFakeWorkbook>& Store()
{
    static std::map<Integer, TFakeWorkbook> S;
    return S;
}

inline TFakeWorkbook EmptyWorkbook(Integer SheetCount)
{
    TFakeWorkbook W;
    for (Integer i = 1; i <= SheetCount; ++i) {
        TFakeSheet S;
        S.Name = AnsiToWide("Sheet" + std::to_string(i));
        W.Sheets.push_back(S);
    }
    W.Formats.resize(16);
    for (auto& F : W.Formats) {
        F.FontInfo.FontName = u"Arial";
        F.FontInfo.HeightTwips = 200;
        F.FontInfo.PaletteIndex = 32760;
        F.NumberFormat = u"General";
    }
    const TColor First[16] = {0x000000, 0xFFFFFF, 0x0000FF, 0x00FF00, 0xFF0000, 0x00FFFF, 0xFF00FF, 0xFFFF00,
                              0x000080, 0x008000, 0x800000, 0x008080, 0x800080, 0x808000, 0xC0C0C0, 0x808080};
    for (Integer i = 0; i < 56; ++i)
        W.Palette.push_back(i < 16 ? First[i] : static_cast<TColor>(0x102030 * (i - 15)) & 0xFFFFFF);
    return W;
}

// Writes a token file naming the stored workbook.
inline void SaveWorkbook(const TFakeWorkbook& W, const AnsiString& FileName)
{
    static Integer NextId = 1;
    Integer Id = NextId++;
    Store()[Id] = W;
    std::ofstream Out(FileName, std::ios::binary | std::ios::trunc);
    Out << "FAKEXLS " << Id;
}

inline TFakeWorkbook LoadWorkbook(const AnsiString& FileName)
{
    std::ifstream In(FileName, std::ios::binary);
    std::string Tag;
    Integer Id = 0;
    if (!(In >> Tag >> Id) || Tag != "FAKEXLS" || !Store().count(Id))
        XlsError(zivXlsMessages::ErrFileIsNotXLS);
    return Store()[Id];
}

class TFakeExcelFile : public TNullExcelFile {
public:
    TFakeWorkbook W;
    Integer Active = 0;
    bool Connected = false;
    // Fault injection: reading a value of this row raises; saving raises.
    Integer FailReadAtRow = 0;
    bool FailSave = false;
    Integer* Disconnects = nullptr;

    TFakeSheet& S() { return W.Sheets.at(static_cast<size_t>(Active - 1)); }
    TFakeCell* Find(Integer R, Integer C)
    {
        auto It = S().Cells.find({R, C});
        return It == S().Cells.end() ? nullptr : &It->second;
    }

    void Connect() override { Connected = true; }
    void Disconnect() override
    {
        Connected = false;
        if (Disconnects)
            ++*Disconnects;
    }
    void OpenFile(const AnsiString& FileName) override
    {
        W = LoadWorkbook(FileName);
        Active = W.Selected;
    }
    void NewFile(Integer SheetCount) override
    {
        W = EmptyWorkbook(SheetCount);
        Active = 1;
    }
    void Save(bool, const AnsiString& FileName, const TOnGetFileNameEvent&, const TOnGetOutStreamEvent&,
              TStream*) override
    {
        if (FailSave)
            XlsError(zivXlsMessages::ErrCantWrite);
        SaveWorkbook(W, FileName);
    }

    Integer SheetCount() override { return static_cast<Integer>(W.Sheets.size()); }
    Integer GetActiveSheet() override { return Active; }
    void SetActiveSheet(Integer Sheet) override { Active = Sheet; }
    void SelectSheet(Integer Sheet) override { W.Selected = Sheet; }
    WideString GetActiveSheetName() override { return S().Name; }
    void SetActiveSheetName(const WideString& Name) override { S().Name = Name; }
    void InsertAndCopySheets(Integer, Integer InsertBefore, Integer Count) override
    {
        for (Integer i = 0; i < Count; ++i) {
            TFakeSheet N;
            N.Name = AnsiToWide("Sheet" + std::to_string(W.Sheets.size() + 1));
            W.Sheets.insert(W.Sheets.begin() + (InsertBefore - 1), N);
        }
    }
    void ClearSheet() override
    {
        for (auto& [Key, Cell] : S().Cells)
            Cell.Value = TXlsVariant();
    }

    TXlsVariant GetCellValue(Integer Row, Integer Col) override
    {
        if (FailReadAtRow && Row == FailReadAtRow)
            XlsError(zivXlsMessages::ErrExcelInvalid);
        TFakeCell* C = Find(Row, Col);
        return C ? C->Value : TXlsVariant();
    }
    void SetCellValue(Integer Row, Integer Col, const TXlsVariant& Value) override
    {
        TFakeCell& C = S().Cells[{Row, Col}];
        C.Value = Value;
        C.Formula.clear();
    }
    WideString GetCellFormula(Integer Row, Integer Col) override
    {
        TFakeCell* C = Find(Row, Col);
        return C ? C->Formula : WideString();
    }
    // Accepts what a formula parser would: cell references, numbers and + - * / ( ).
    void SetCellFormula(Integer Row, Integer Col, const WideString& Formula) override
    {
        for (size_t i = 1; i < Formula.size(); ++i) {
            char16_t c = Formula[i];
            bool Ok = (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9') || c == u'$' || c == u':' ||
                      c == u'+' || c == u'-' || c == u'*' || c == u'/' || c == u'(' || c == u')' || c == u'.';
            if (!Ok || Formula.size() < 2)
                XlsError(zivXlsMessages::ErrBadFormula, {WideToAnsi(Formula)});
        }
        TFakeCell& C = S().Cells[{Row, Col}];
        C.Formula = Formula;
        C.Value = TXlsVariant::FromNumber(0);
    }
    // The typed-text rule, cut down: a plain number becomes a number, anything else text.
    void SetCellString(Integer Row, Integer Col, const WideString& Text, TVovFormat& Format,
                       const WideString&, const WideString&) override
    {
        Extended V = 0;
        AnsiString A = WideToAnsi(Text);
        TFakeCell& C = S().Cells[{Row, Col}];
        C.Value = !A.empty() && TryStrToFloatInvariant(A, V) ? TXlsVariant::FromNumber(static_cast<double>(V))
                                                             : TXlsVariant::FromString(Text);
        C.Formula.clear();
        C.XF = AddFormat(Format);
    }

    Integer GetCellFormat(Integer Row, Integer Col) override
    {
        TFakeCell* C = Find(Row, Col);
        return C ? C->XF : -1;
    }
    void SetCellFormat(Integer Row, Integer Col, Integer XF) override { S().Cells[{Row, Col}].XF = XF; }
    Integer GetRowFormat(Integer Row) override
    {
        auto It = S().RowFormats.find(Row);
        return It == S().RowFormats.end() ? 0 : It->second;
    }
    Integer GetColumnFormat(Integer Col) override
    {
        auto It = S().ColFormats.find(Col);
        return It == S().ColFormats.end() ? -1 : It->second;
    }
    TVovFormat GetFormatList(Integer Index) override
    {
        return Index >= 0 && Index < FormatListCount() ? W.Formats[static_cast<size_t>(Index)] : W.Formats[0];
    }
    Integer FormatListCount() override { return static_cast<Integer>(W.Formats.size()); }
    Integer AddFormat(const TVovFormat& Format) override
    {
        for (size_t i = 0; i < W.Formats.size(); ++i)
            if (W.Formats[i] == Format)
                return static_cast<Integer>(i);
        W.Formats.push_back(Format);
        return static_cast<Integer>(W.Formats.size()) - 1;
    }
    TColor GetColorPalette(TColorPaletteRange Index) override
    {
        return W.Palette.at(static_cast<size_t>(Index - 1));
    }
    void SetColorPalette(TColorPaletteRange Index, TColor Value) override
    {
        W.Palette.at(static_cast<size_t>(Index - 1)) = Value;
    }
    BooleanArray GetUsedPaletteColors() override { return BooleanArray(57, false); }

    Integer GetColumnWidth(Integer Col) override
    {
        auto It = S().ColWidths.find(Col);
        return It == S().ColWidths.end() ? 2340 : It->second;
    }
    Integer GetColumnWidthHiddenIsZero(Integer Col) override
    {
        return S().HiddenCols.count(Col) ? 0 : GetColumnWidth(Col);
    }
    Integer GetRowHeight(Integer Row) override
    {
        auto It = S().RowHeights.find(Row);
        return It == S().RowHeights.end() ? 255 : It->second;
    }
    void SetColumnWidth(Integer Col, Integer Value) override { S().ColWidths[Col] = Value; }
    void SetRowHeight(Integer Row, Integer Value) override { S().RowHeights[Row] = Value; }
    void SetColumnHidden(Integer Col, bool Value) override
    {
        if (Value)
            S().HiddenCols.insert(Col);
        else
            S().HiddenCols.erase(Col);
    }
    bool GetColumnHidden(Integer Col) override { return S().HiddenCols.count(Col) > 0; }
    Integer GetDefaultColWidth() override { return 2340; }
    Integer GetDefaultRowHeight() override { return 255; }
    bool IsEmptyRow(Integer Row) override { return false; }

    TXlsCellRange GetCellMergedBounds(Integer Row, Integer Col) override
    {
        for (const TXlsCellRange& M : S().Merges)
            if (Row >= M.FirstRow && Row <= M.LastRow && Col >= M.FirstCol && Col <= M.LastCol)
                return M;
        return {Col, Row, Col, Row};
    }
    void MergeCells(Integer FirstRow, Integer FirstCol, Integer LastRow, Integer LastCol) override
    {
        S().Merges.push_back({FirstCol, FirstRow, LastCol, LastRow});
    }
    Integer CellMergedListCount() override { return static_cast<Integer>(S().Merges.size()); }

    Integer MaxRow() override
    {
        Integer M = 0;
        for (auto& [Key, Cell] : S().Cells)
            M = std::max(M, Key.first);
        return M;
    }
    Integer MaxCol() override
    {
        Integer M = 0;
        for (auto& [Key, Cell] : S().Cells)
            M = std::max(M, Key.second);
        return M;
    }
    bool GetOptions1904Dates() override { return W.Is1904; }

    void SetCellComment(Integer Row, Integer Col, const WideString& Comment, const TImageProperties&) override
    {
        S().Comments[{Row, Col}] = Comment;
    }
    WideString GetCellComment(Integer Row, Integer Col) override
    {
        auto It = S().Comments.find({Row, Col});
        return It == S().Comments.end() ? WideString() : It->second;
    }
    void AddImage(const ByteArray& Data, TXlsImgTypes ImgType, const TImageProperties& Props,
                  TVovAnchorType) override
    {
        S().Pictures.push_back({Data, ImgType, Props});
    }
    Integer GetPicturesCount(Integer) override { return static_cast<Integer>(S().Pictures.size()); }

    Byte GetPrintOptions() override { return S().PrintOptions; }
    void SetPrintOptions(Byte Value) override { S().PrintOptions = Value; }
    Integer GetPrintScale() override { return S().PrintScale; }
    void SetPrintScale(Integer Value) override { S().PrintScale = Value; }
    Integer GetSheetZoom() override { return S().Zoom; }
    bool GetShowGridLines() override { return S().ShowGridLines; }
    void SetShowGridLines(bool Value) override { S().ShowGridLines = Value; }
    void AddRange(TXlsNamedRange& Range) override { S().Names.push_back(Range); }
};

} // namespace bridgetest
