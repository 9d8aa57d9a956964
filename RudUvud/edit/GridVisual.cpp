// What a cell looks like: the one order of precedence that settles a cell's font, brush,
// gradient, alignment, word wrap and selected state, the displayed and saved text of a cell, and
// the small notification hooks of the grid.

#include "RudUvud/core/RudUvud.h"

#include "RudUvud/core/GridCoreState.h"
#include "RudUvud/core/GridSelectionState.h"
#include "RudUvud/edit/GridPaintState.h"
#include "RudUvud/edit/GridText.h"
#include "RudUvud/support/Daehtmle.h"
#include "RudUvud/support/DerOdoz.h"

#include <cstdio>

namespace {

bool ControlCellType(TCellType T)
{
    return T == ctCheckBox || T == ctDataCheckBox || T == ctRadio || T == ctButton || T == ctRadioButton;
}

} // namespace

void TDidAririzEvar::GetVisualProperties(Integer ACol, Integer ARow, TGridDrawState& AState, bool Print,
                                         bool Select, bool Remap, TBrush* ABrush, TColor& ColorTo,
                                         TColor& MirrorColor, TColor& MirrorColorTo, TFont* AFont,
                                         TAlignment& HAlign, TVAlignment& VAlign, bool& WordWrap,
                                         TCellGradientDirection& GradientDir)
{
    const bool PrintFonts = Print && !FPrintSettings->UseDisplayFont;
    const bool InFixedArea = ACol < FixedCols() || ARow < FixedRows();
    // 1. Font.
    if (InFixedArea)
        AFont->Assign(PrintFonts ? FPrintSettings->FixedFont() : FFixedFont.get());
    else
        AFont->Assign(PrintFonts ? FPrintSettings->Font() : Font());
    // 2. The column of all per-cell data.
    const Integer RC = Remap ? RealColIndex(ACol) : ACol;
    const Integer DC = Remap ? ACol : DisplColIndex(ACol);
    // 3.
    TColor Brush = clNone;
    ColorTo = clNone;
    MirrorColor = clNone;
    MirrorColorTo = clNone;
    bool OwnColor = false, ColoredControl = false;
    const TCellType Type = GetCellType(RC, ARow);
    // 4. The cell's record.
    if (TCellProperties* CP = RecordAt(RC, ARow); CP && !PrintFonts) {
        if (Type == ctNone || Type == ctRotated || Type == ctEmpty) {
            if (CP->BrushColor() != clNone) {
                Brush = CP->BrushColor();
                OwnColor = true;
            }
        } else {
            Brush = CP->BrushColor();
            if (ControlCellType(Type) && Brush != clNone)
                ColoredControl = true;
        }
        if (CP->FontColor() != clNone)
            AFont->SetColor(CP->FontColor());
        if (!CP->FontStyle().Empty())
            AFont->SetStyle(CP->FontStyle());
        if (CP->FontSize() != 0)
            AFont->SetSize(CP->FontSize());
        if (!CP->FontName().empty())
            AFont->SetName(CP->FontName());
        WordWrap = CP->WordWrap();
        ColorTo = CP->BrushColorTo();
        GradientDir = CP->GradientDirection();
    }
    // 5.
    if (AState.Contains(gdSelected))
        GradientDir = GradientVertical;
    // 6. Grid colour, bands, fixed colour. Fixed right columns are tested by the display column
    // itself (the column on screen), so hidden columns do not shift them.
    const bool FixedRight = FCore.FixedRightCols > 0 && DC >= ColCount() - FCore.FixedRightCols;
    const bool Footer = FCore.FixedFooters > 0 && ARow >= RowCount() - FCore.FixedFooters;
    if (Brush == clNone || (ControlCellType(Type) && !ColoredControl)) {
        Brush = Color();
        if (FBands->Active && (!Print || FBands->Print) && !InFixedArea && !FixedRight && !Footer) {
            const Integer Total = FBands->PrimaryLength + FBands->SecondaryLength;
            if (Total > 0)
                Brush = (ARow - FixedRows()) % Total < FBands->PrimaryLength ? FBands->PrimaryColor
                                                                             : FBands->SecondaryColor;
        }
        if (InFixedArea || FixedRight || Footer)
            Brush = FixedColor();
    }
    // 7. Fixed cells and their look.
    const bool FixedCell = InFixedArea || IsFixed(DC, ARow);
    if (FixedCell) {
        if (!Print && !OwnColor) {
            Brush = FixedColor();
            AFont->Assign(FFixedFont.get());
            AState.Include(gdFixed);
            if (FCore.Look > glClassic) {
                Brush = FPaint.ZIVGradFrom;
                ColorTo = FPaint.ZIVGradTo;
                MirrorColor = FPaint.ZIVGradMirrorFrom;
                MirrorColorTo = FPaint.ZIVGradMirrorTo;
            }
        }
    }
    // 8.
    if (OnGetCellGradient)
        OnGetCellGradient(this, ARow, RC, Brush, ColorTo, MirrorColor, MirrorColorTo, GradientDir);
    ABrush->SetColor(Brush);
    // 9.
    if (Print)
        GetCellPrintColor(RC, ARow, AState, ABrush, AFont);
    else
        GetCellColor(RC, ARow, AState, ABrush, AFont);
    const TColor OwnBrush = ABrush->Color(), OwnFont = AFont->Color();
    // 10. Selection.
    const bool DisRow = FMouseActions->DisjunctRowSelect(), DisCol = FMouseActions->DisjunctColSelect();
    const Integer SelRow = DisRow && FMouseActions->RowSelectPersistent ? RealRowIndex(ARow) : ARow;
    const bool Mouse = FPaint.MouseSelecting;
    auto SelectLook = [&] {
        ABrush->SetColor(FSel.SelectionColor);
        ColorTo = FSel.SelectionColorTo;
        MirrorColor = FSel.SelectionMirrorColor;
        MirrorColorTo = FSel.SelectionMirrorColorTo;
        if (FSel.SelectionTextColor != clNone)
            AFont->SetColor(FSel.SelectionTextColor);
    };
    if (Select && !Print && ShowSelection() && !FixedCell) {
        if (DisRow) {
            const bool Marked = RowTables().Marks().Get(SelRow);
            const bool Sel = Mouse ? (Marked ? ARow != Row() : AState.Contains(gdSelected)) : Marked;
            if (Sel) {
                SelectLook();
                AState = TGridDrawState{gdSelected};
            } else {
                AState.Exclude(gdSelected);
            }
        } else if (DisCol) {
            const bool Marked = FSel.ColSelect.Get(DC);
            const bool Sel = Mouse ? (Marked ? DC != Col() : AState.Contains(gdSelected)) : Marked;
            if (Sel) {
                SelectLook();
                AState = TGridDrawState{gdSelected};
            }
        } else if (IsCellSelected(DC, ARow)) {
            SelectLook();
            AState.Include(gdSelected);
        }
    }
    if (Mouse && ShowSelection() && AState.Contains(gdSelected) && !DisRow && !DisCol)
        SelectLook();
    // 11. Disjunct cells.
    if (FMouseActions->DisjunctCellSelect() && ShowSelection() && !FixedCell) {
        if (GetSelectedCells(DC, ARow)) {
            SelectLook();
            AState.Include(gdSelected);
        } else if (DC == Col() && ARow == Row()) {
            AState.Exclude(gdSelected);
            ABrush->SetColor(OwnBrush);
            AFont->SetColor(OwnFont);
        }
    }
    // 12.
    GetCellWordWrap(RC, ARow, WordWrap);
    GetCellAlignment(RC, ARow, HAlign, VAlign);
}

void TDidAririzEvar::GetFontProperties(Integer ACol, Integer ARealCol, Integer ARow, TGridDrawState& AState,
                                       TFont* AFont, TBrush* ABrush, bool)
{
    const bool Fixed = IsFixed(ACol, ARow) || ACol < FixedCols() || ARow < FixedRows();
    AFont->Assign(Fixed ? FFixedFont.get() : Font());
    if (TCellProperties* CP = RecordAt(ARealCol, ARow)) {
        if (CP->FontColor() != clNone)
            AFont->SetColor(CP->FontColor());
        if (!CP->FontStyle().Empty())
            AFont->SetStyle(CP->FontStyle());
        if (CP->FontSize() != 0)
            AFont->SetSize(CP->FontSize());
        if (!CP->FontName().empty())
            AFont->SetName(CP->FontName());
    }
    GetCellColor(ARealCol, ARow, AState, ABrush, AFont);
}

AnsiString TDidAririzEvar::GetFormattedCell(Integer ACol, Integer ARow)
{
    AnsiString S = GetCellEx(ACol, ARow);
    if (!OnGetFloatFormat)
        return S;
    const TAutoType T = IsType(S);
    if (T != atNumeric && T != atFloat && T != atScientific)
        return S;
    bool IsFloat = true;
    AnsiString Fmt = FCore.FloatFormat;
    OnGetFloatFormat(this, ACol, ARow, IsFloat, Fmt);
    if (!IsFloat)
        return S;
    // The format comes from the application: it is checked against the value's type before it
    // is used, and a format that does not fit leaves the text as it is.
    AnsiString Out;
    if (FormatNumber(Fmt, S, Out))
        return Out;
    return S;
}

AnsiString TDidAririzEvar::CalcCell(Integer ACol, Integer ARow)
{
    return Cells(ACol, ARow);
}

AnsiString TDidAririzEvar::SaveCell(Integer ACol, Integer ARow)
{
    AnsiString S = FPaint.SaveDisplayText ? GetFormattedCell(ACol, ARow) : Cells(ACol, ARow);
    if (S.empty() && GetCellType(ACol, ARow) == ctCheckBox) {
        // The check state comes with cell graphics; until then a check box reads as unchecked.
        S = GetCheckFalse(ACol, ARow);
    }
    const TTextType K = TextType(S, true);
    if (K == ttHTML && !FPaint.SaveHTMLMarkup)
        S = HTMLStrip(S);
    else if (K == ttRTF && !FPaint.SaveRTFMarkup)
        S = RTFPlainText(S);
    if (OnSaveCell)
        OnSaveCell(this, ACol, ARow, S);
    return S;
}

void TDidAririzEvar::LoadCell(Integer ACol, Integer ARow, const AnsiString& Value)
{
    AnsiString V = Value;
    if (OnLoadCell)
        OnLoadCell(this, ACol, ARow, V);
    SetCells(ACol, ARow, V);
}

void TDidAririzEvar::SelectionChanged(Integer ALeft, Integer ATop, Integer ARight, Integer ABottom)
{
    if (FCore.Look == glVista || FCore.Look == glWin7)
        InvalidateGridRect(Selection());
    if (OnSelectionChanged)
        OnSelectionChanged(this, ALeft, ATop, ARight, ABottom);
}

void TDidAririzEvar::DoFilterDone()
{
    if (OnFilterDone)
        OnFilterDone(this);
}

void TDidAririzEvar::SetZIVGradFrom(TColor C)
{
    FPaint.ZIVGradFrom = C == clNone ? C : static_cast<TColor>(ColorToRGB(C));
    Invalidate();
}
void TDidAririzEvar::SetZIVGradTo(TColor C)
{
    FPaint.ZIVGradTo = C == clNone ? C : static_cast<TColor>(ColorToRGB(C));
    Invalidate();
}
void TDidAririzEvar::SetZIVGradMirrorFrom(TColor C)
{
    FPaint.ZIVGradMirrorFrom = C == clNone ? C : static_cast<TColor>(ColorToRGB(C));
    Invalidate();
}
void TDidAririzEvar::SetZIVGradMirrorTo(TColor C)
{
    FPaint.ZIVGradMirrorTo = C == clNone ? C : static_cast<TColor>(ColorToRGB(C));
    Invalidate();
}
