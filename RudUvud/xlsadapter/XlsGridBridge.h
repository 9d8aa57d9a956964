#pragma once

#include "RudUvud/core/RudUvud.h"
#include "RudUvud/edit/GridPaintState.h" // the cell margins (XYOffset) the bridge keeps
#include "RudUvud/xlsadapter/XlsExcelFile.h"
#include "platform/rtl/Components.h"

#include <functional>
#include <memory>
#include <vector>

// Moves the contents of a string grid into a spreadsheet file and back. The component reaches
// the file only through TExcelFile; it asks its file factory for a new, unconnected file object
// for every export and import (by default a new xls file, TXLSFile).

enum TOverwriteMode { omNever, omAlways, omWarn };

enum TInsertInSheet {
    InsertInSheet_Clear,
    InsertInSheet_OverwriteCells,
    InsertInSheet_InsertRows,
    InsertInSheet_InsertCols,
    InsertInSheet_InsertRowsExceptFirstAndSecond,
    InsertInSheet_InsertColsExceptFirstAndSecond
};

class TDAEIOOptions : public TPersistent {
public:
    // Copies only the four import switches (ImportCellProperties, ImportCellFormats,
    // ImportCellSizes, ImportImages).
    void Assign(TPersistent* Source) override;

    bool ImportFormulas = true;
    bool ImportImages = true;
    bool ImportCellFormats = true;
    bool ImportCellProperties = false;
    bool ImportCellSizes = true;
    bool ImportLockedCellsAsReadonly = false;
    TOverwriteMode ExportOverwrite = omNever;
    AnsiString ExportOverwriteMessage = "File %s already exists\rOk to overwrite ?";
    bool ExportFormulas = true;
    bool ExportCellFormats = true;
    bool ExportCellProperties = true;
    bool ExportCellSizes = true;
    bool ExportHiddenColumns = false;
    bool ExportReadonlyCellsAsLocked = false;
    bool ExportWordWrapped = false;
    bool ExportHTMLTags = true;
    bool ExportRawRTF = false;
    bool ExportShowInExcel = false;
    bool ExportHardBorders = false;
    bool ExportShowGridLines = true;
    bool ExportPrintOptions = true;
    bool ImportPrintOptions = true;
    bool ImportActiveSheet = false;
    bool ExportSummaryRowsBelowDetail = false;
    bool ExportCellMargins = false;
    bool UseExcelStandardColorPalette = true;
};

// The border memory of one export pass: one entry per grid column plus two.
struct TOneRowBorder {
    bool HasBottom = false; // the cell above had a bottom border
    bool HasRight = false;  // the cell to the left had a right border
    Integer BottomColor = 0;
    Integer RightColor = 0;
};
using TRowBorderArray = std::vector<TOneRowBorder>;

using TVovFormatCellEvent =
    std::function<void(TObject* Sender, Integer GridCol, Integer GridRow, Integer XlsCol, Integer XlsRow,
                       const WideString& Value, WideString& DateFormat, WideString& TimeFormat)>;
using TVovFormatCellGenericEvent =
    std::function<void(TObject* Sender, Integer GridCol, Integer GridRow, Integer XlsCol, Integer XlsRow,
                       const WideString& Value, TVovFormat& Format)>;
using TDAEIOProgressEvent =
    std::function<void(TObject* Sender, Integer SheetNum, Integer SheetTot, Integer RowNum, Integer RowTot)>;
using TExportColumnFormatEvent =
    std::function<void(TObject* Sender, Integer GridCol, Integer GridRow, Integer XlsCol, Integer XlsRow,
                       const WideString& Value, bool& ExportCellAsString)>;
using TGetCommentBoxSizeEvent =
    std::function<void(TObject* Sender, const WideString& Comment, Integer& Height, Integer& Width)>;
using TVovGetCellFormulaEvent = std::function<void(TObject* Sender, Integer GridCol, Integer GridRow,
                                                   const WideString& Value, WideString& Formula)>;

using TExcelFileFactory = std::function<std::unique_ptr<TExcelFile>()>;

class TDozAzevIzaroIO : public TComponent {
public:
    explicit TDozAzevIzaroIO(TComponent* AOwner);
    ~TDozAzevIzaroIO() override;

    // The factory used by components without one of their own (xls files unless replaced).
    static void SetDefaultFileFactory(TExcelFileFactory Factory);
    void SetFileFactory(TExcelFileFactory Factory) { FFileFactory = std::move(Factory); }

    TDidAririzEvar* DidAririzEvar() const { return FGrid; }
    void SetDidAririzEvar(TDidAririzEvar* Value);
    bool AutoResizeGrid = true;
    TDAEIOOptions* Options() const { return FOptions.get(); }
    void SetOptions(TDAEIOOptions* Value) { FOptions->Assign(Value); }
    bool UseUnicode = false;
    Integer GridStartRow() const { return FGridStartRow; }
    void SetGridStartRow(Integer V) { FGridStartRow = V < 0 ? 1 : V; }
    Integer GridStartCol() const { return FGridStartCol; }
    void SetGridStartCol(Integer V) { FGridStartCol = V < 0 ? 1 : V; }
    Integer XlsStartRow() const { return FXlsStartRow; }
    void SetXlsStartRow(Integer V) { FXlsStartRow = V <= 0 ? 1 : V; }
    Integer XlsStartCol() const { return FXlsStartCol; }
    void SetXlsStartCol(Integer V) { FXlsStartCol = V <= 0 ? 1 : V; }
    bool ZoomSaved = true;
    Integer Zoom() const { return FZoom; }
    void SetZoom(Integer V) { FZoom = V < 10 ? 10 : (V > 400 ? 400 : V); }
    WideString DateFormat;
    WideString TimeFormat;
    AnsiString Version() const { return "3.2.1"; }
    void SetVersion(const AnsiString&) {}

    TVovFormatCellEvent OnDateTimeFormat;
    TVovFormatCellGenericEvent OnCellFormat;
    TDAEIOProgressEvent OnProgress;
    TExportColumnFormatEvent OnExportColumnFormat;
    TGetCommentBoxSizeEvent OnGetCommentBoxSize;
    TVovGetCellFormulaEvent OnGetCellFormula;

    // Export: the current grid into the file FileName, into a sheet named SheetName (a new
    // sheet at SheetPos when the file exists and has none of that name); SelectedSheet is the
    // sheet the saved file shows first.
    void XLSExport(const AnsiString& FileName, const WideString& SheetName = WideString(),
                   Integer SheetPos = -1, Integer SelectedSheet = 1,
                   TInsertInSheet Mode = InsertInSheet_Clear);
    void ExportData(TExcelFile& File);

    // Import: sheet 1, sheet SheetNumber (from 1; 0 or less: sheet 1), or the sheet of that name
    // (letter case ignored).
    void XLSImport(const AnsiString& FileName);
    void XLSImport(const AnsiString& FileName, Integer SheetNumber);
    void XLSImport(const AnsiString& FileName, const WideString& SheetName);
    void LoadSheetNames(const AnsiString& FileName);
    void ImportData(TExcelFile& File);
    WideString GetSheetNames(Integer Index) const { return FSheetNames.at(static_cast<size_t>(Index)); }
    Integer GetSheetNamesCount() const { return static_cast<Integer>(FSheetNames.size()); }

    // Palette entry (1..55) for a colour; with a non-empty use array a free entry may be
    // re-coloured to the colour exactly.
    Integer NearestColorIndex(TExcelFile& File, TColor Color, BooleanArray& UsedColors);
    void GetUsedPaletteColors(TExcelFile& File, BooleanArray& UsedColors);
    // The cell's XF, else the row's (above 0), else the column's (0 or more), else 15.
    static Integer CellFormatDef(TExcelFile& File, Integer Row, Integer Col);
    // The plain text of RTF text unless ExportRawRTF; CR LF becomes LF, a lone CR becomes LF.
    WideString SupressCR(const WideString& Text) const;
    bool IsRtf(const WideString& Text) const;
    // Puts a carriage return before every line feed that lacks one.
    static WideString WideAdjustLineBreaks(const WideString& Text);
    // The fill colour of a format: its palette colour when it has a fill, else white.
    static TColor GetColor(TExcelFile& File, const TVovFormat& Format);

protected:
    void Notification(TComponent* AComponent, TOperation Operation) override;

private:
    std::unique_ptr<TExcelFile> NewFile();
    void CheckGrid() const;
    void ExportCell(TExcelFile& File, Integer GridCol, Integer GridRow, Integer XlsCol, Integer XlsRow,
                    TRowBorderArray& Borders, BooleanArray& UsedColors);
    void SetBorders(TExcelFile& File, Integer GridCol, Integer GridRow, TVovFormat& Format, Integer SpanX,
                    TRowBorderArray& Borders, BooleanArray& UsedColors);
    // The cell's bitmap, picture or image-list image as a JPEG picture over the sheet cell.
    void ExportCellGraphic(TExcelFile& File, Integer GridCol, Integer GridRow, Integer XlsCol,
                           Integer XlsRow);
    void ExportImage(TExcelFile& File, TGraphic* Graphic, Integer GridCol, Integer GridRow, Integer XlsCol,
                     Integer XlsRow);
    // The cell's comment as a note whose box stands right of the cell's merged block.
    void ExportCellComment(TExcelFile& File, Integer GridCol, Integer GridRow, Integer XlsCol, Integer XlsRow,
                           Integer SpanX);

    // A picture of the sheet read and drawn at the grid's zoom, waiting to be put into the grid.
    struct TImportedPicture {
        Integer Col = 0, Row = 0; // grid cell of the top-left corner
        Integer SpanCols = 1, SpanRows = 1;
        std::unique_ptr<TBitmap> Bitmap;
    };
    // Reads and decodes the sheet's pictures (with ImportImages); pictures that cannot be
    // decoded are left out. Raises the grid's needed row and column counts when AutoResizeGrid.
    std::vector<TImportedPicture> ImportImages(TExcelFile& File, Extended Zoom, Integer& RowCount,
                                               Integer& ColCount);
    void ImportSheet(TExcelFile& File, Integer SheetNumber, const WideString& SheetName);

    TDidAririzEvar* FGrid = nullptr;
    std::unique_ptr<TDAEIOOptions> FOptions;
    Integer FGridStartRow = 1;
    Integer FGridStartCol = 1;
    Integer FXlsStartRow = 1;
    Integer FXlsStartCol = 1;
    Integer FZoom = 100;
    TExcelFileFactory FFileFactory;
    std::vector<WideString> FSheetNames;
    Integer FProgressSheet = 0;
    Integer FProgressTotal = 0;
};
