#include "RudUvud/support/Daehtmle.h"
#include "RudUvud/support/DerOdoz.h"
#include "RudUvud/xlsadapter/ImageHelpers.h"
#include "RudUvud/xlsadapter/XlsGridBridge.h"
#include "RudUvud/xlsadapter/XlsMessages.h"
#include "platform/forms/Controls.h"
#include "platform/forms/Dialogs.h"
#include "platform/rtl/Conversions.h"
#include "platform/rtl/Files.h"
#include "platform/rtl/Format.h"
#include "platform/rtl/Guards.h"
#include "platform/rtl/Strings.h"
#include "platform/win/Backend.h"
#include "platform/win/Colors.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

// The export half of the grid bridge: the current grid into one sheet of a spreadsheet file.

namespace {

// Disconnects the file object on every path; a failure there must not hide the first one.
struct TConnectedFile {
    explicit TConnectedFile(std::unique_ptr<TExcelFile> F) : File(std::move(F)) { File->Connect(); }
    ~TConnectedFile()
    {
        try {
            File->Disconnect();
        } catch (...) {
        }
    }
    TExcelFile& operator*() { return *File; }
    std::unique_ptr<TExcelFile> File;
};

// Lowers the grid's column count again after the export raised it, also on failure.
struct TColCountRestore {
    TDidAririzEvar* Grid;
    Integer Count;
    ~TColCountRestore() { Grid->SetColCountEx(Count); }
};

Integer RoundInt(Extended V)
{
    return static_cast<Integer>(std::nearbyint(V));
}

bool StartsWithEquals(const WideString& S)
{
    return !S.empty() && S[0] == u'=';
}

WideString ReplaceNoCase(const WideString& S, const WideString& Old, const WideString& New)
{
    return StringReplace(S, Old, New, {rfReplaceAll, rfIgnoreCase});
}

// A name beside Target in its folder that no file has yet.
AnsiString ScratchName(const AnsiString& Target)
{
    for (Integer i = 0;; ++i) {
        AnsiString Name = Target + ".part" + IntToStr(i);
        if (!FileExists(Name))
            return Name;
    }
}

} // namespace

Integer TDozAzevIzaroIO::NearestColorIndex(TExcelFile& File, TColor Color, BooleanArray& UsedColors)
{
    return MatchNearestColor(&File, static_cast<TColor>(ColorToRGB(Color)), UsedColors);
}

void TDozAzevIzaroIO::GetUsedPaletteColors(TExcelFile& File, BooleanArray& UsedColors)
{
    UsedColors = File.GetUsedPaletteColors();
}

void TDozAzevIzaroIO::XLSExport(const AnsiString& FileName, const WideString& SheetName, Integer SheetPos,
                                Integer SelectedSheet, TInsertInSheet Mode)
{
    CheckGrid();
    // The former file is replaced only by a complete new one (see the save below), so the
    // overwrite policy decides here only whether the export goes ahead and whether the former
    // file's sheets are kept.
    bool Replace = false;
    if (FileExists(FileName)) {
        if (FOptions->ExportOverwrite == omAlways) {
            Replace = true;
        } else if (FOptions->ExportOverwrite == omWarn) {
            AnsiString Msg = Format(FOptions->ExportOverwriteMessage, {FileName});
            if (MessageDlg(Msg, mtConfirmation, TMsgDlgButtons{mbYes, mbNo}, 0) != mrYes)
                return;
            Replace = true;
        }
    }

    TConnectedFile X(NewFile());
    if (!Replace && FileExists(FileName)) {
        (*X).OpenFile(FileName);
        Integer Found = 0;
        WideString Wanted = WideUpperCase98(SheetName);
        for (Integer i = 1; i <= (*X).SheetCount() && !Found; ++i) {
            (*X).SetActiveSheet(i);
            if (!SheetName.empty() && WideUpperCase98((*X).GetActiveSheetName()) == Wanted)
                Found = i;
        }
        if (Found) {
            (*X).SetActiveSheet(Found);
            Integer Rows = FGrid->GetRowCountEx() - FGridStartRow;
            Integer Cols = FGrid->GetColCountEx() +
                           (FOptions->ExportHiddenColumns ? FGrid->NumHiddenColumns() : 0) - FGridStartCol;
            auto InsertRows = [&](Integer Before, Integer Count) {
                if (Count > 0)
                    (*X).InsertAndCopyRows(65536, 65536, Before, Count, true);
            };
            auto InsertCols = [&](Integer Before, Integer Count) {
                if (Count > 0)
                    (*X).InsertAndCopyCols(256, 256, Before, Count, true);
            };
            switch (Mode) {
            case InsertInSheet_Clear:
                (*X).ClearSheet();
                break;
            case InsertInSheet_OverwriteCells:
                break;
            case InsertInSheet_InsertRows:
                InsertRows(FXlsStartRow, Rows);
                break;
            case InsertInSheet_InsertRowsExceptFirstAndSecond:
                InsertRows(FXlsStartRow + 1, Rows - 2);
                break;
            case InsertInSheet_InsertCols:
                InsertCols(FXlsStartCol, Cols);
                break;
            case InsertInSheet_InsertColsExceptFirstAndSecond:
                InsertCols(FXlsStartCol + 1, Cols - 2);
                break;
            }
        } else {
            Integer Count = (*X).SheetCount();
            Integer At = SheetPos >= 1 && SheetPos <= Count ? SheetPos : Count + 1;
            (*X).InsertAndCopySheets(-1, At, 1);
            (*X).SetActiveSheet(At);
        }
    } else {
        (*X).NewFile(1);
        (*X).SetActiveSheet(1);
    }

    FProgressSheet = 1;
    FProgressTotal = 1;
    ExportData(*X);
    if (!SheetName.empty())
        (*X).SetActiveSheetName(SheetName);
    (*X).SelectSheet(SelectedSheet);

    // Written beside the target and renamed over it only when complete: a failing save leaves
    // the former file as it was.
    const AnsiString Scratch = ScratchName(FileName);
    TScopeExit Discard([&Scratch] { DeleteFile(Scratch); });
    (*X).Save(false, Scratch, nullptr);
    if (std::rename(Scratch.c_str(), FileName.c_str()) != 0)
        XlsError(zivXlsMessages::ErrCantWrite, {FileName});
    Discard.Dismiss();
    if (FOptions->ExportShowInExcel)
        Backend().ShellOpen(FileName, "open");
}

void TDozAzevIzaroIO::ExportData(TExcelFile& X)
{
    CheckGrid();
    TDidAririzEvar* G = FGrid;
    const TDAEIOOptions& O = *FOptions;
    TPoint Offset = FOptions->ExportCellMargins ? TPoint{0, 0} : G->PaintState().XYOffset;

    if (O.ExportPrintOptions) {
        X.SetPrintScale(100);
        Byte Opt = X.GetPrintOptions();
        Opt &= static_cast<Byte>(~4);
        if (G->PrintSettings()->Orientation == RudUvudPrint::poLandscape)
            Opt &= static_cast<Byte>(~2);
        else
            Opt |= 2;
        X.SetPrintOptions(Opt);
        bool Rows = G->PrintSettings()->RepeatFixedRows && G->GetFixedRowsEx() > 0;
        bool Cols = G->PrintSettings()->RepeatFixedCols && G->GetFixedColsEx() > 0;
        if (Rows || Cols) {
            TXlsNamedRange Name;
            InitializeNamedRange(Name);
            Name.RangeName = AnsiString(1, '\x07'); // the built-in print titles
            Name.NameOptions = 0x20;
            Name.LocalSheet = X.GetActiveSheet();
            AnsiString Text;
            if (Rows)
                Text = "=$A$1:$" + EncodeColumn(256) + "$" + IntToStr(G->GetFixedRowsEx());
            if (Cols)
                Text +=
                    AnsiString(Rows ? ", " : "=") + "$A$1:$" + EncodeColumn(G->GetFixedColsEx()) + "$65536";
            Name.RefersTo = Text;
            X.AddRange(Name);
        }
    }
    X.SetOutlineSummaryRowsBelowDetail(O.ExportSummaryRowsBelowDetail);
    X.SetOutlineSummaryColsRightOfDetail(O.ExportSummaryRowsBelowDetail);
    X.SetShowGridLines(O.ExportShowGridLines);

    BooleanArray Used;
    if (!O.UseExcelStandardColorPalette)
        GetUsedPaletteColors(X, Used);

    G->ExportNotification(esExportStart, -1);
    const Integer ColCount = G->GetColCountEx();
    const Integer Hidden = G->NumHiddenColumns();
    const Integer LastCol = ColCount - 1 + (O.ExportHiddenColumns ? Hidden : 0);
    // The columns to export run up to the original count (plus the hidden ones when asked).
    TColCountRestore Restore{G, ColCount};
    if (Hidden > 0)
        G->SetColCountEx(ColCount + Hidden);

    if (O.ExportCellSizes) {
        Integer Y = FXlsStartRow, Skipped = 0;
        for (Integer q = FGridStartRow; q < G->GetRowCountEx() + G->NumHiddenRows(); ++q) {
            if (G->IsHiddenRow(q)) {
                ++Skipped;
                continue;
            }
            Integer H = RoundInt((G->RowHeights(q - Skipped) - Offset.Y) * RowMult);
            X.SetRowHeight(Y++, H < 0 ? 0 : H);
        }
        Integer Xc = FXlsStartCol;
        for (Integer s = FGridStartCol; s <= LastCol; ++s) {
            bool IsHidden = O.ExportHiddenColumns ? G->IsHiddenColumn(s) : false;
            Integer Px = IsHidden ? G->DefaultColWidth() : G->ColWidths(s);
            Integer W = RoundInt((Px - Offset.X) * ColMult);
            X.SetColumnWidth(Xc, W < 0 ? 0 : W);
            if (IsHidden)
                X.SetColumnHidden(Xc, true);
            ++Xc;
        }
    }

    TRowBorderArray Borders(static_cast<size_t>(G->GetColCountEx() + 2));
    for (Integer q = FGridStartRow; q < G->GetRowCountEx(); ++q) {
        G->ExportNotification(esExportNewRow, q);
        Integer Y = q + FXlsStartRow - FGridStartRow;
        for (Integer s = FGridStartCol; s <= LastCol; ++s) {
            Integer Xc = s + FXlsStartCol - FGridStartCol;
            Integer g = O.ExportHiddenColumns ? s : G->RealColIndex(s);
            auto* Props = dynamic_cast<TCellProperties*>(G->GetGridObject(g, q));
            if (Props && !Props->IsBaseCell())
                continue; // covered by its block's base cell
            ExportCell(X, g, q, Xc, Y, Borders, Used);
            if (OnProgress)
                OnProgress(this, FProgressSheet, FProgressTotal, q - FGridStartRow,
                           G->GetRowCountEx() - FGridStartRow - 1);
        }
    }
    G->ExportNotification(esExportDone, -1);
}

void TDozAzevIzaroIO::ExportCell(TExcelFile& X, Integer g, Integer q, Integer Xc, Integer Y,
                                 TRowBorderArray& Borders, BooleanArray& Used)
{
    TDidAririzEvar* G = FGrid;
    const TDAEIOOptions& O = *FOptions;
    auto* Props = dynamic_cast<TCellProperties*>(G->GetGridObject(g, q));
    Integer SpanX = Props ? std::max(0, Props->CellSpanX()) : 0;
    Integer SpanY = Props ? std::max(0, Props->CellSpanY()) : 0;
    bool Merged = SpanX > 0 || SpanY > 0;
    if (Merged)
        X.MergeCells(Y, Xc, Y + SpanY, Xc + SpanX);

    TVovFormat F = X.GetFormatList(CellFormatDef(X, Y, Xc));

    std::unique_ptr<TFont> Font(new TFont);
    std::unique_ptr<TBrush> Brush(new TBrush);
    Brush->SetColor(G->Color());
    TGridDrawState State;
    TColor ColorTo = clNone, Mirror = clNone, MirrorTo = clNone;
    TAlignment HAlign = taLeftJustify;
    TVAlignment VAlign = vtaTop;
    bool WordWrap = false;
    TCellGradientDirection Gradient{};
    G->GetVisualProperties(g, q, State, false, false, false, Brush.get(), ColorTo, Mirror, MirrorTo,
                           Font.get(), HAlign, VAlign, WordWrap, Gradient);

    F.FontInfo.PaletteIndex = NearestColorIndex(X, Font->Color(), Used);
    // A positive height is a cell height rather than a character height; both give the size.
    // Whole points as the grid sets them: the pixel height has lost the fraction (16 pt is 21
    // pixels at 96 pixels per inch, which would come back as 15.75 pt).
    Integer Twips = std::abs(Font->Size()) * 20;
    F.FontInfo.HeightTwips = static_cast<Word>(std::min(Twips, 409 * 20));
    F.FontInfo.FontName = AnsiToWide(Font->Name());
    auto SetStyle = [&](TVovFontStyle Bit, bool On) {
        if (On)
            F.FontInfo.StyleSet |= static_cast<Byte>(1u << Bit);
        else
            F.FontInfo.StyleSet &= static_cast<Byte>(~(1u << Bit));
    };
    SetStyle(flsBold, Font->Style().Contains(fsBold));
    SetStyle(flsItalic, Font->Style().Contains(fsItalic));
    SetStyle(flsStrikeOut, Font->Style().Contains(fsStrikeOut));
    F.FontInfo.UnderlineKind = Font->Style().Contains(fsUnderline) ? fu_Single : fu_None;

    SetBorders(X, g, q, F, SpanX, Borders, Used);

    if ((ColorToRGB(Brush->Color()) & 0xFFFFFF) == 0xFFFFFF) {
        F.Fill.PatternKind = 1;
    } else {
        F.Fill.PatternKind = 2;
        F.Fill.ForeColor = NearestColorIndex(X, Brush->Color(), Used);
    }

    // A wide-text cell holds its text encoded; the saved text is read back the same way.
    AnsiString Saved = G->SaveCell(g, q);
    WideString T = SupressCR(UseUnicode ? DecodeWideStr(Saved) : AnsiToWide(Saved));
    WideString V = UseUnicode ? SupressCR(G->GetWideCells(g, q)) : T;
    if (OnGetCellFormula)
        OnGetCellFormula(G, g, q, V, T);

    if (O.ExportReadonlyCellsAsLocked)
        F.IsLocked = G->GetReadOnly(g, q);
    if (V.find(u'\n') != WideString::npos || (G->GetWordWrapEx() && O.ExportWordWrapped))
        F.Wrap = true;
    if (V.find(u"</") != WideString::npos && !O.ExportHTMLTags) {
        V = AnsiToWide(HTMLStrip(WideToAnsi(V)));
        V = ReplaceNoCase(V, u"&nbsp;", u" ");
        V = ReplaceNoCase(V, u"&amp;", u"&");
        V = ReplaceNoCase(V, u"&quot;", u"\"");
    }
    switch (HAlign) {
    case taLeftJustify:
        F.HorizontalAlign = fha_left;
        break;
    case taRightJustify:
        F.HorizontalAlign = fha_right;
        break;
    case taCenter:
        F.HorizontalAlign = fha_center;
        break;
    default:
        F.HorizontalAlign = fha_general;
        break;
    }
    F.VerticalAlign = VAlign == vtaTop ? fva_top : (VAlign == vtaCenter ? fva_center : fva_bottom);
    if (OnCellFormat)
        OnCellFormat(G, g, q, Xc, Y, V, F);

    bool AsString = !O.ExportCellFormats;
    if (OnExportColumnFormat)
        OnExportColumnFormat(G, g, q, Xc, Y, V, AsString);

    bool IsFormula = StartsWithEquals(T) && O.ExportFormulas;
    // A text that only looks like a formula (the engine cannot read it) is kept as text.
    auto PutFormula = [&]() {
        try {
            X.SetCellFormula(Y, Xc, T);
            return true;
        } catch (const EExcelException&) {
            X.SetCellValue(Y, Xc, TXlsVariant::FromString(V));
            return false;
        }
    };
    auto CopyFmToMerged = [&](Integer XF) {
        if (!Merged)
            return;
        for (Integer r = Y; r <= Y + SpanY; ++r)
            for (Integer c = Xc; c <= Xc + SpanX; ++c)
                X.SetCellFormat(r, c, XF);
    };

    if (AsString) {
        if (IsFormula)
            PutFormula();
        else
            X.SetCellValue(Y, Xc, TXlsVariant::FromString(V));
        if (O.ExportCellProperties) {
            Integer XF = X.AddFormat(F);
            X.SetCellFormat(Y, Xc, XF);
            CopyFmToMerged(XF);
        }
    } else {
        WideString DateFmt = DateFormat, TimeFmt = TimeFormat;
        if (OnDateTimeFormat)
            OnDateTimeFormat(G, g, q, Xc, Y, V, DateFmt, TimeFmt);
        if (IsFormula && PutFormula()) {
            if (O.ExportCellProperties)
                X.SetCellFormat(Y, Xc, X.AddFormat(F));
        } else if (O.ExportCellProperties) {
            X.SetCellString(Y, Xc, V, F, DateFmt, TimeFmt);
        } else {
            F = X.GetFormatList(CellFormatDef(X, Y, Xc));
            X.SetCellString(Y, Xc, V, F, DateFmt, TimeFmt);
        }
        if (Merged)
            CopyFmToMerged(X.GetCellFormat(Y, Xc));
    }
    ExportCellGraphic(X, g, q, Xc, Y);
    ExportCellComment(X, g, q, Xc, Y, SpanX);
}

void TDozAzevIzaroIO::SetBorders(TExcelFile& X, Integer g, Integer q, TVovFormat& F, Integer SpanX,
                                 TRowBorderArray& M, BooleanArray& Used)
{
    TDidAririzEvar* G = FGrid;
    const Integer Size = static_cast<Integer>(M.size());
    if (SpanX < 0)
        SpanX = 0;
    if (g < 0 || g + 1 >= Size)
        return;
    if (g + SpanX + 1 >= Size)
        SpanX = Size - g - 2;

    std::unique_ptr<TPen> Pen(new TPen);
    TCellBorders Set;
    G->GetCellBorder(g, q, Pen.get(), Set);
    std::unique_ptr<TPen> Left(new TPen), Top(new TPen), Right(new TPen), Bottom(new TPen);
    for (TPen* P : {Left.get(), Top.get(), Right.get(), Bottom.get()})
        P->Assign(Pen.get());
    if (G->OnGetCellBorderProp)
        G->OnGetCellBorderProp(G, q, g, Left.get(), Top.get(), Right.get(), Bottom.get());
    if (FOptions->ExportHardBorders && G->GetGridLineWidth() > 0) {
        auto Add = [&](TCellBorder Edge, TPen* P) {
            if (!Set.Contains(Edge)) {
                Set.Include(Edge);
                P->SetColor(G->GridLineColor());
            }
        };
        if (G->Options().Contains(goVertLine)) {
            Add(cbTop, Top.get());
            Add(cbBottom, Bottom.get());
        }
        if (G->Options().Contains(goHorzLine)) {
            Add(cbLeft, Left.get());
            Add(cbRight, Right.get());
        }
    }
    auto Thin = [&](TVovOneBorder& B, Integer Color) {
        B.LineStyle = fbs_Thin;
        B.LineColor = Color;
    };
    if (Set.Contains(cbTop))
        Thin(F.BorderSet.TopEdge, NearestColorIndex(X, Top->Color(), Used));
    else if (M[g].HasBottom)
        Thin(F.BorderSet.TopEdge, M[g].BottomColor);
    if (Set.Contains(cbLeft))
        Thin(F.BorderSet.LeftEdge, NearestColorIndex(X, Left->Color(), Used));
    else if (M[g].HasRight) // where the cell to the left recorded its right edge
        Thin(F.BorderSet.LeftEdge, M[g].RightColor);
    if (Set.Contains(cbBottom)) {
        Integer C = NearestColorIndex(X, Bottom->Color(), Used);
        Thin(F.BorderSet.BottomEdge, C);
        for (Integer i = g; i <= g + SpanX; ++i)
            M[i] = {true, M[i].HasRight, C, M[i].RightColor};
    } else {
        for (Integer i = g; i <= g + SpanX; ++i)
            M[i].HasBottom = false;
    }
    if (Set.Contains(cbRight)) {
        Integer C = NearestColorIndex(X, Right->Color(), Used);
        Thin(F.BorderSet.RightEdge, C);
        M[g + SpanX + 1].HasRight = true;
        M[g + SpanX + 1].RightColor = C;
    } else {
        M[g + SpanX + 1].HasRight = false;
    }
}
