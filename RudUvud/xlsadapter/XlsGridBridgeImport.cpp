#include "RudUvud/xlsadapter/XlsGridBridge.h"
#include "RudUvud/xlsadapter/XlsMessages.h"
#include "RudUvud/xlsadapter/XlsNumberFormat.h"
#include "platform/rtl/Conversions.h"
#include "platform/rtl/DateTime.h"
#include "platform/rtl/Files.h"
#include "platform/rtl/Strings.h"

#include <cmath>
#include <map>

// The import half of the grid bridge: one sheet of a spreadsheet file into the current grid.
//
// The sheet is read in full before the grid is touched: a file that fails half-way (a bad
// record, a cell the engine cannot read) leaves the grid exactly as it was.

namespace {

// Closes and disconnects the file object on every path; a failure there must not hide the first one.
struct TConnectedFile {
    explicit TConnectedFile(std::unique_ptr<TExcelFile> F) : File(std::move(F)) { File->Connect(); }
    ~TConnectedFile()
    {
        try {
            File->CloseFile();
        } catch (...) {
        }
        try {
            File->Disconnect();
        } catch (...) {
        }
    }
    std::unique_ptr<TExcelFile> File;
};

struct TUpdateLock {
    TDidAririzEvar* Grid;
    explicit TUpdateLock(TDidAririzEvar* G) : Grid(G) { Grid->BeginUpdate(); }
    ~TUpdateLock() { Grid->EndUpdate(); }
};

Integer RoundInt(Extended V)
{
    return static_cast<Integer>(std::nearbyint(V));
}

// What one sheet cell becomes in the grid, read before the grid changes.
struct TCellPlan {
    Integer Col = 0, Row = 0; // grid cell
    Integer MergeCols = 1, MergeRows = 1;
    bool HasReadOnly = false, ReadOnly = false;
    bool HasProps = false;
    TColor FontColor = 0;
    Integer FontSize = 0;
    AnsiString FontName;
    TFontStyles AddStyles;
    TColor CellColor = 0xFFFFFF;
    TAlignment Align = taLeftJustify;
    TXlsVariant Value;
    WideString NumberFormat;
};

struct TCommentPlan {
    Integer Col = 0, Row = 0; // grid cell
    AnsiString Text;
};

struct TLinePlan {
    Integer Index = 0; // grid row or column
    Integer Size = -1; // -1: unchanged
    bool HasColor = false;
    TColor Color = 0;
    bool HasFontColor = false;
    TColor FontColor = 0;
};

} // namespace

void TDozAzevIzaroIO::XLSImport(const AnsiString& FileName)
{
    XLSImport(FileName, 1);
}

void TDozAzevIzaroIO::XLSImport(const AnsiString& FileName, Integer SheetNumber)
{
    CheckGrid();
    TConnectedFile X(NewFile());
    AnsiString Ext = UpperCase(ExtractFileExt(FileName));
    // Delimited text has no reader: the file object stays without sheets.
    if (Ext != ".CSV" && Ext != ".TXT")
        X.File->OpenFile(FileName);
    ImportSheet(*X.File, SheetNumber, WideString());
}

void TDozAzevIzaroIO::XLSImport(const AnsiString& FileName, const WideString& SheetName)
{
    if (SheetName.empty())
        throw EExcelException(XlsFormat("Invalid sheet name: \"%s\"", {AnsiString()}));
    CheckGrid();
    TConnectedFile X(NewFile());
    AnsiString Ext = UpperCase(ExtractFileExt(FileName));
    if (Ext != ".CSV" && Ext != ".TXT")
        X.File->OpenFile(FileName);
    ImportSheet(*X.File, 0, SheetName);
}

void TDozAzevIzaroIO::LoadSheetNames(const AnsiString& FileName)
{
    TConnectedFile X(NewFile());
    AnsiString Ext = UpperCase(ExtractFileExt(FileName));
    if (Ext != ".CSV" && Ext != ".TXT")
        X.File->OpenFile(FileName);
    std::vector<WideString> Names;
    for (Integer i = 1; i <= X.File->SheetCount(); ++i) {
        X.File->SetActiveSheet(i);
        Names.push_back(X.File->GetActiveSheetName());
    }
    FSheetNames = std::move(Names);
    FProgressTotal = GetSheetNamesCount();
}

void TDozAzevIzaroIO::ImportSheet(TExcelFile& X, Integer n, const WideString& N)
{
    Integer Count = X.SheetCount();
    FSheetNames.clear();
    FProgressTotal = Count;
    WideString Wanted = WideUpperCase98(N);
    bool Found = false;
    for (Integer i = 1; i <= Count; ++i) {
        FProgressSheet = i;
        X.SetActiveSheet(i);
        WideString Name = X.GetActiveSheetName();
        FSheetNames.push_back(Name);
        if (!N.empty() && WideUpperCase98(Name) == Wanted && !Found) {
            n = i;
            Found = true;
        }
    }
    if (!N.empty() && !Found)
        throw EExcelException(XlsFormat("Invalid sheet name: \"%s\"", {WideToAnsi(N)}));
    if (n <= 0)
        n = 1;
    FProgressSheet = 1;
    FProgressTotal = 1;
    if (n > Count)
        XlsError(zivXlsMessages::ErrXlsIndexOutBounds,
                 {Int64(n), AnsiString("ActiveSheet"), Int64(1), Int64(Count)});
    X.SetActiveSheet(n);
    X.SelectSheet(n);
    X.ParseComments();
    ImportData(X);
    FGrid->SetVAlignment(vtaBottom);
}

void TDozAzevIzaroIO::ImportData(TExcelFile& X)
{
    CheckGrid();
    TDidAririzEvar* G = FGrid;
    const TDAEIOOptions& O = *FOptions;
    const TPoint Offset = G->PaintState().XYOffset;

    // ---- Read the whole sheet. ----
    Extended Z = (ZoomSaved ? X.GetSheetZoom() : FZoom) / 100.0;
    bool HasOrientation = false, Portrait = true;
    if (O.ImportPrintOptions) {
        Byte Opt = X.GetPrintOptions();
        if ((Opt & 4) == 0) {
            HasOrientation = true;
            Portrait = (Opt & 2) != 0;
        }
    }
    const Integer MaxRow = X.MaxRow(), MaxCol = X.MaxCol();
    Integer RowCount = G->GetRowCountEx(), ColCount = G->GetColCountEx();
    if (AutoResizeGrid) {
        Integer R = MaxRow - FXlsStartRow + 1 + FGridStartRow;
        if (R > G->GetFixedRowsEx())
            RowCount = R;
        Integer C = MaxCol - FXlsStartCol + 1 + FGridStartCol;
        if (C > G->GetFixedColsEx())
            ColCount = C;
    }
    Integer DefRowHeight = -1, DefColWidth = -1;
    if (O.ImportCellSizes) {
        DefRowHeight = RoundInt(X.GetDefaultRowHeight() / RowMult * Z) + Offset.Y;
        DefColWidth = RoundInt(X.GetDefaultColWidth() / ColMult * Z) + Offset.X;
    }
    std::vector<TImportedPicture> Pictures = ImportImages(X, Z, RowCount, ColCount);
    const Integer L = std::min(MaxRow, RowCount + FXlsStartRow - FGridStartRow - 1);
    const Integer K = std::min(MaxCol, ColCount + FXlsStartCol - FGridStartCol - 1);
    auto GridRow = [&](Integer s) { return FGridStartRow + s - FXlsStartRow; };
    auto GridCol = [&](Integer t) { return FGridStartCol + t - FXlsStartCol; };

    std::map<Integer, TVovFormat> Formats;
    auto Format = [&](Integer XF) -> const TVovFormat& {
        auto It = Formats.find(XF);
        if (It == Formats.end())
            It = Formats.emplace(XF, X.GetFormatList(XF)).first;
        return It->second;
    };
    auto Palette = [&](Integer Index) { return X.GetColorPalette(Index); };

    std::vector<TLinePlan> Rows, Cols;
    for (Integer s = FXlsStartRow; s <= L; ++s) {
        TLinePlan P;
        P.Index = GridRow(s);
        if (O.ImportCellSizes)
            P.Size = RoundInt(X.GetRowHeight(s) / RowMult * Z) + Offset.Y;
        Integer XF = X.GetRowFormat(s);
        if (XF >= 0 && O.ImportCellProperties) {
            const TVovFormat& F = Format(XF);
            P.HasColor = true;
            P.Color = GetColor(X, F);
            if (F.FontInfo.PaletteIndex >= 1 && F.FontInfo.PaletteIndex <= 56) {
                P.HasFontColor = true;
                P.FontColor = Palette(F.FontInfo.PaletteIndex);
            }
        }
        Rows.push_back(P);
    }
    if (O.ImportCellSizes)
        for (Integer t = FXlsStartCol; t <= K; ++t) {
            TLinePlan P;
            P.Index = GridCol(t);
            P.Size = RoundInt(X.GetColumnWidth(t) / ColMult * Z) + Offset.X;
            Cols.push_back(P);
        }

    const bool Is1904 = X.GetOptions1904Dates();
    std::vector<TCellPlan> Cells;
    std::vector<TCommentPlan> Comments;
    for (Integer s = FXlsStartRow; s <= L; ++s) {
        for (Integer t = FXlsStartCol; t <= K; ++t) {
            TXlsCellRange B = X.GetCellMergedBounds(s, t);
            if ((B.FirstRow != s || B.FirstCol != t) && B.LastRow >= B.FirstRow && B.LastCol >= B.FirstCol &&
                B.FirstRow > 0 && B.FirstCol > 0)
                continue; // covered by its block's first cell
            TCellPlan C;
            C.Col = GridCol(t);
            C.Row = GridRow(s);
            if (B.FirstRow == s && B.FirstCol == t) {
                C.MergeCols = B.LastCol - B.FirstCol + 1;
                C.MergeRows = B.LastRow - B.FirstRow + 1;
            }
            const TVovFormat& F = Format(CellFormatDef(X, s, t));
            if (O.ImportLockedCellsAsReadonly) {
                C.HasReadOnly = true;
                C.ReadOnly = F.IsLocked;
            }
            C.Value = X.GetCellValue(s, t);
            if (O.ImportCellProperties) {
                C.HasProps = true;
                C.FontColor = F.FontInfo.PaletteIndex >= 1 && F.FontInfo.PaletteIndex <= 56
                                  ? Palette(F.FontInfo.PaletteIndex)
                                  : 0;
                C.FontSize = static_cast<Integer>(F.FontInfo.HeightTwips / 20.0 * Z);
                C.FontName = WideToAnsi(F.FontInfo.FontName);
                if (F.FontInfo.StyleSet & (1u << flsBold))
                    C.AddStyles.Include(fsBold);
                if (F.FontInfo.StyleSet & (1u << flsItalic))
                    C.AddStyles.Include(fsItalic);
                if (F.FontInfo.StyleSet & (1u << flsStrikeOut))
                    C.AddStyles.Include(fsStrikeOut);
                if (F.FontInfo.UnderlineKind != fu_None)
                    C.AddStyles.Include(fsUnderline);
                C.CellColor = GetColor(X, F);
                if (F.HorizontalAlign == fha_left)
                    C.Align = taLeftJustify;
                else if (F.HorizontalAlign == fha_center)
                    C.Align = taCenter;
                else if (F.HorizontalAlign == fha_right)
                    C.Align = taRightJustify;
                else if (C.Value.VarType == xvBoolean)
                    C.Align = taCenter;
                else if (C.Value.VarType == xvString)
                    C.Align = taLeftJustify;
                else
                    C.Align = taRightJustify;
                if (O.ImportFormulas) {
                    WideString Formula = X.GetCellFormula(s, t);
                    if (!Formula.empty() && Formula[0] == u'=')
                        C.Value = TXlsVariant::FromString(Formula);
                }
            }
            C.NumberFormat = F.NumberFormat;
            Cells.push_back(std::move(C));
        }
        if (O.ImportCellProperties)
            for (Integer i = 0; i < X.GetCommentsCount(s); ++i)
                Comments.push_back(
                    {GridCol(X.GetCommentColumn(s, i)), GridRow(s), WideToAnsi(X.GetCommentText(s, i))});
        if (OnProgress)
            OnProgress(this, FProgressSheet, FProgressTotal, s - FXlsStartRow, L - FXlsStartRow);
    }

    // ---- Apply it. Nothing below reads the file. ----
    TUpdateLock Lock(G);
    G->Clear();
    if (HasOrientation)
        G->PrintSettings()->Orientation = Portrait ? RudUvudPrint::poPortrait : RudUvudPrint::poLandscape;
    if (RowCount != G->GetRowCountEx())
        G->SetRowCountEx(RowCount);
    if (ColCount != G->GetColCountEx())
        G->SetColCountEx(ColCount);
    if (DefRowHeight >= 0) {
        G->SetDefRowHeightEx(DefRowHeight);
        G->SetDefaultColWidth(DefColWidth);
    }
    for (const TLinePlan& P : Rows) {
        if (P.Index < 0 || P.Index >= G->GetRowCountEx())
            continue;
        if (P.Size >= 0)
            G->SetRowHeights(P.Index, P.Size);
        if (P.HasColor)
            G->SetRowColor(P.Index, P.Color);
        if (P.HasFontColor)
            G->SetRowFontColor(P.Index, P.FontColor);
    }
    for (const TLinePlan& P : Cols)
        if (P.Index >= 0 && P.Index < G->GetColCountEx())
            G->SetColWidths(P.Index, P.Size);

    for (TImportedPicture& P : Pictures) {
        const Integer Cols = G->GetColCountEx(), RowsNow = G->GetRowCountEx();
        if (P.Col < 0 || P.Row < 0 || P.Col >= Cols || P.Row >= RowsNow)
            continue;
        G->CreatePicture(P.Col, P.Row, false, noStretch, 0, haLeft, vaTop)->SetGraphic(P.Bitmap.get());
        // The merge stays inside the grid.
        const Integer SpanCols = std::min(P.SpanCols, Cols - P.Col),
                      SpanRows = std::min(P.SpanRows, RowsNow - P.Row);
        if (SpanCols > 1 || SpanRows > 1)
            G->MergeCells(P.Col, P.Row, SpanCols, SpanRows);
    }

    for (const TCellPlan& C : Cells) {
        Integer g = C.Col, q = C.Row;
        if (g < 0 || q < 0 || g >= G->GetColCountEx() || q >= G->GetRowCountEx())
            continue;
        if (C.MergeCols > 1 || C.MergeRows > 1)
            G->MergeCells(g, q, C.MergeCols, C.MergeRows);
        if (C.HasReadOnly)
            G->SetReadOnly(g, q, C.ReadOnly);
        if (C.HasProps) {
            G->SetFontColors(g, q, C.FontColor);
            G->SetFontSizes(g, q, C.FontSize);
            G->SetFontNames(g, q, C.FontName);
            TFontStyles Styles = G->GetFontStyles(g, q);
            for (TFontStyle S : {fsBold, fsItalic, fsUnderline, fsStrikeOut})
                if (C.AddStyles.Contains(S))
                    Styles.Include(S);
            G->SetFontStyles(g, q, Styles);
            G->SetColors(g, q, C.CellColor);
            G->SetAlignments(g, q, C.Align);
        }
        Integer Color = static_cast<Integer>(G->GetFontColors(g, q));
        WideString D = XlsFormatValue1904(C.Value, C.NumberFormat, Is1904, Color);
        if (C.HasProps)
            G->SetFontColors(g, q, static_cast<TColor>(Color));
        if (O.ImportCellFormats) {
            if (UseUnicode)
                G->SetWideCells(g, q, WideAdjustLineBreaks(D));
            else
                G->SetCells(g, q, Trim(AdjustLineBreaks(WideToAnsi(D))));
            continue;
        }
        // Without formats a number keeps its own text; a date or time format still decides
        // whether it is a date, a time or both.
        AnsiString Text = WideToAnsi(D);
        if (C.Value.VarType == xvNumber) {
            bool HasDate = false, HasTime = false;
            HasXlsDateTime(C.NumberFormat, HasDate, HasTime);
            TDateTime V = C.Value.Number + (Is1904 ? 1462 : 0);
            if (HasDate && !HasTime)
                Text = DateToStr(V);
            else if (HasTime && !HasDate)
                Text = TimeToStr(V);
            else if (!HasDate && !HasTime)
                Text = WideToAnsi(VariantToString(C.Value));
        } else if (C.Value.VarType == xvDate) {
            Text = DateToStr(C.Value.Number);
        }
        G->SetCells(g, q, Text);
    }
    for (const TCommentPlan& C : Comments)
        if (C.Col >= 0 && C.Row >= 0 && C.Col < G->GetColCountEx() && C.Row < G->GetRowCountEx())
            G->AddComment(C.Col, C.Row, C.Text);
}
