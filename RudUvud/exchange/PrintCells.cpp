// Printed cells for the page builder: the printed width of each column, the printed height of a
// row, the extent of one cell, and one row of cells painted at a y on the page. Sizes are
// measured in MM_LOMETRIC (0.1 mm); a cell itself is painted by the grid's own paint steps
// (the same as on the screen) in a mapping of the page where one unit is one screen pixel at
// its printed size, so the page shows what the screen shows. The border lines of the print
// settings are drawn on the page around it.

#include "RudUvud/exchange/PrintJob.h"

#include "RudUvud/core/GridCoreState.h"
#include "RudUvud/edit/GridPaintState.h"
#include "RudUvud/edit/GridText.h"
#include "RudUvud/exchange/GridExchangeState.h"
#include "RudUvud/support/Daehtmle.h"
#include "RudUvud/support/DerOdoz.h"
#include "RudUvud/support/DerOdozDraw.h"

#include "platform/forms/Printers.h"
#include "platform/win/Gdi.h"
#include "platform/win/Printing.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <functional>
#include <numbers>
#include <vector>

namespace {

Integer PrintRound(double V)
{
    return static_cast<Integer>(std::nearbyint(V));
}

Integer PrintTrunc(double V)
{
    return static_cast<Integer>(std::trunc(V));
}

// Within its scope one logical unit of the canvas is one screen pixel at its printed size
// (DpiFrom units per inch), y downward; the page's origin stays where it is.
class TScreenPixelMapping {
public:
    TScreenPixelMapping(HDC DC, Integer DpiFrom) : FDC(DC), FMode(::GetMapMode(DC))
    {
        ::SetMapMode(DC, MM_ANISOTROPIC);
        ::SetWindowExtEx(DC, DpiFrom, DpiFrom, nullptr);
        ::SetViewportExtEx(DC, ::GetDeviceCaps(DC, LOGPIXELSX), ::GetDeviceCaps(DC, LOGPIXELSY), nullptr);
    }
    ~TScreenPixelMapping() { ::SetMapMode(FDC, FMode); }
    TScreenPixelMapping(const TScreenPixelMapping&) = delete;
    TScreenPixelMapping& operator=(const TScreenPixelMapping&) = delete;

private:
    HDC FDC;
    int FMode;
};

} // namespace

void TDidAririzEvar::CalcPrintColumnWidths(TPrintJob& J)
{
    const TPrintSettings& PS = *FPrintSettings;
    const TGridRect R = J.Range;
    // Repeated fixed columns left of the range are measured with it, so that every strip shows
    // them at their printed widths.
    const Integer From = PS.RepeatFixedCols ? std::min(R.Left, J.FC) : R.Left;
    auto Measured = [&](Integer C) { return C >= From && C <= std::max(R.Right, From + J.FC - 1); };
    const Integer To = std::max(R.Right, PS.RepeatFixedCols ? J.FC - 1 : R.Right);
    for (Integer C = From; C <= To; ++C)
        J.Widths[static_cast<std::size_t>(C)] = 0;
    auto Printed = [&](Integer C) { return Measured(C) && (C < R.Left || C > R.Right || PrintedCol(J, C)); };
    if (PS.NoAutoSize) {
        for (Integer C = From; C <= To; ++C)
            if (Printed(C))
                J.Widths[static_cast<std::size_t>(C)] = PrintRound(ColWidths(C) * J.PixelFactor);
        return;
    }
    const Integer Rows = GetRowCountEx();
    Integer Row = 0;
    while (Row < Rows && (Row <= R.Bottom || (PS.RepeatFixedRows && Row <= J.FR))) {
        if (Row < R.Top && !(PS.RepeatFixedRows && Row < J.FR)) {
            Row = R.Top;
            continue;
        }
        for (Integer C = From; C <= To; ++C) {
            if (!Printed(C))
                continue;
            const Integer RC = RemapCol(C);
            const Integer W = PS.UseFixedWidth ? PS.FixedWidth : MeasurePrintCell(J, RC, Row).X;
            Integer& Width = J.Widths[static_cast<std::size_t>(C)];
            if (W > Width && !IsXMergedCell(RC, Row))
                Width = W;
        }
        ++Row;
    }
}

TPoint TDidAririzEvar::MeasurePrintCell(TPrintJob& J, Integer ACol, Integer ARow)
{
    const TPrintSettings& PS = *FPrintSettings;
    TCanvas* C = &J.Measure;
    const HDC DC = C->Handle();
    const Integer DCol = DisplColIndex(ACol);
    AnsiString S = HasDataCell(ACol, ARow) ? AnsiString() : GetFormattedCell(ACol, ARow);
    TTextType Kind = TextType(S, FCore.EnableHTML);
    // The cell's font.
    KeepFont(J.Font2, C->Font());
    TGridDrawState State;
    TColor To = clNone, Mirror = clNone, MirrorTo = clNone;
    TAlignment HA = taLeftJustify;
    TVAlignment VA = FCore.VAlignment;
    bool WordWrap = FCore.WordWrap;
    TCellGradientDirection GD = GradientVertical;
    J.Font1.Assign(PS.Font());
    GetVisualProperties(ACol, ARow, State, true, false, false, &J.Brush1, To, Mirror, MirrorTo, &J.Font1, HA,
                        VA, WordWrap, GD);
    C->Font()->Assign(&J.Font1);
    C->Font()->SetHeight(MapFontHeight(J.Font1.Size()));
    TPoint Size{0, 0};
    if (Kind == ttHTML) {
        // Measured as the paint steps draw it: in screen pixels at the printed size.
        TScreenPixelMapping Pixels(DC, J.ScreenDpi);
        const Integer PPI = C->Font()->PixelsPerInch();
        C->Font()->SetPixelsPerInch(J.ScreenDpi);
        C->Font()->Assign(&J.Font1);
        C->Font()->SetSize(std::max(1, PrintTrunc(J.Font1.Size() * J.FitScale)));
        const Integer Limit = PS.NoAutoSize ? ColWidths(DCol) + 12 : 0xFFFF;
        AnsiString A, St, FA, H, CI, CV, CT;
        Integer XS = 0, YS = 0, HL = 0, ML = 0;
        TRect MR{}, CR{};
        HTMLDrawEx(C, S, TRect{0, 0, Limit, 0xFFFF}, FPaint.GridImages, 0, 0, -1, 0, 1, false, true, false,
                   true, true, false, !FPaint.EnhTextSize, false, 0.0, FCore.URLColor, clNone, clNone, clGray,
                   A, St, FA, H, XS, YS, HL, ML, MR, CR, CI, CV, CT, FPictureCache.get(), nullptr, nullptr);
        C->Font()->SetPixelsPerInch(PPI);
        RestoreFont(C->Font(), J.Font2);
        return TPoint{PrintRound(XS * J.PixelFactor), PrintRound(YS * J.PixelFactor)};
    }
    if (Kind == ttUnicode) {
        const Integer Limit = PS.NoAutoSize ? PrintRound((ColWidths(DCol) + 12) * J.PixelFactor) : 0xFFFF;
        WideString W = GetWideCells(ACol, ARow);
        if (WordWrap) {
            RECT R{0, 0, Limit, 0xFFFF};
            const int H = ::DrawTextExW(DC, W.data(), static_cast<int>(W.size()), &R,
                                        DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX, nullptr);
            Size = TPoint{R.Right - R.Left, std::abs(H)};
        } else {
            SIZE E{};
            ::GetTextExtentPoint32W(DC, W.c_str(), static_cast<int>(W.size()), &E);
            Size = TPoint{E.cx, E.cy};
        }
        RestoreFont(C->Font(), J.Font2);
        return Size;
    }
    if (Kind == ttRTF)
        S = RTFPlainText(S);
    else if (Kind == ttFormula)
        S = CalcCell(ACol, ARow);
    Integer Angle = 0;
    const bool Rotated = IsRotated(ACol, ARow, Angle);
    TPoint Graphic{0, 0};
    if (PS.PrintGraphics) {
        const TPoint G = GetCellGraphicSize(ACol, ARow);
        Graphic = TPoint{PrintRound(G.X * J.PixelFactor), PrintRound(G.Y * J.PixelFactor)};
    }
    if (S.empty())
        S = "gh";
    Integer Largest = 0;
    if (WordWrap && PS.NoAutoSize && !Rotated) {
        const Integer Limit = IsXMergedCell(ACol, ARow) ? 0xFFFF : J.Widths[static_cast<std::size_t>(DCol)];
        RECT R{0, 0, Limit, 50};
        UINT Flags = DT_NOPREFIX | DT_CALCRECT | DT_WORDBREAK;
        if (UseRightToLeftReading())
            Flags |= DT_RTLREADING;
        const int H = ::DrawText(DC, S.c_str(), static_cast<int>(S.size()), &R, Flags);
        Size = TPoint{R.Right, std::abs(H)};
        Largest = Size.X;
    } else {
        Integer Lines = 0;
        AnsiString Rest = S;
        do {
            AnsiString L;
            GetNextLine(Rest, Multilinecells(), L);
            if (FPaint.URLShow && !FPaint.URLFull)
                StripURLProtocol(L);
            Largest = std::max(Largest, C->TextWidth(L));
            ++Lines;
        } while (!Rest.empty());
        Size = TPoint{Largest + Graphic.X, Lines * C->TextHeight("gh")};
    }
    if (Rotated) {
        const double A = Angle * std::numbers::pi / 180.0;
        const TPoint R{
            std::abs(PrintRound(std::cos(A) * Size.X)) + std::abs(PrintRound(std::sin(A) * Size.Y)),
            std::abs(PrintRound(std::sin(A) * Largest)) + std::abs(PrintRound(std::cos(A) * Size.Y))};
        Size = R;
    }
    Size.Y = std::max(Size.Y, Graphic.Y);
    Size.X = std::max(Size.X, Graphic.X);
    RestoreFont(C->Font(), J.Font2);
    if (OnCustomCellSize)
        OnCustomCellSize(this, J.Canvas, ACol, ARow, Size, true);
    return Size;
}

Integer TDidAririzEvar::CalcPrintRowHeight(TPrintJob& J, Integer ARow)
{
    const TPrintSettings& PS = *FPrintSettings;
    if (J.CacheRow == ARow)
        return J.CacheHeight;
    if (PS.NoAutoSizeRow)
        return PrintRound(RowHeights(ARow) * J.PixelFactor) - 4;
    Integer H = 0;
    if (PS.UseFixedHeight) {
        H = PS.FixedHeight;
    } else {
        TGridPrintState& St = FXchg.Print;
        const double Was = St.FontScale;
        Integer Last = 0;
        for (Integer C = J.Range.Left; C <= J.Range.Right; ++C) {
            St.FontScale = J.FitScale;
            const Integer RC = RemapCol(C);
            Last = MeasurePrintCell(J, RC, ARow).Y;
            if (!IsYMergedCell(RC, ARow))
                H = std::max(H, Last);
        }
        if (H == 0)
            H = Last;
        H += static_cast<Integer>(static_cast<std::uint32_t>(H) >> 3);
        if (OnPrintSetRowHeight)
            OnPrintSetRowHeight(this, ARow, H);
        St.FontScale = Was;
    }
    J.CacheRow = ARow;
    J.CacheHeight = H;
    return H;
}

Integer TDidAririzEvar::PrintCellRow(TPrintJob& J, Integer Y, Integer FirstCol, Integer LastCol, Integer ARow)
{
    const TPrintSettings& PS = *FPrintSettings;
    TGridPrintState& St = FXchg.Print;
    St.FontScale = J.FitScale;
    const Integer Block = CalcPrintRowHeight(J, ARow) + 2 * J.S8 + PS.RowSpacing;
    const Integer Page = J.PageCounter + 1;
    if (!J.Drawing() || Page < St.PageFrom || Page > St.PageTo) {
        St.FontScale = 1.0;
        return Block;
    }
    TCanvas* C = J.Canvas;
    const Integer Cols = static_cast<Integer>(J.Widths.size());
    for (Integer Col = FirstCol; Col <= LastCol; ++Col) {
        if (!PrintedCol(J, Col))
            continue;
        const Integer RC = RemapCol(Col);
        const TPoint Ext = CellExt(RC, ARow);
        Integer Width = 0;
        for (Integer K = Col; K <= Col + Ext.X && K < Cols; ++K)
            Width += J.Widths[static_cast<std::size_t>(K)] + J.Spacing;
        Integer Height = (Ext.Y + 1) * Block;
        if (PS.NoAutoSizeRow && Ext.Y > 0) {
            Height = 0;
            for (Integer R = ARow; R <= ARow + Ext.Y && R < RowCount(); ++R) {
                const Integer H = PrintTrunc((RowHeights(R) - 4) * J.PixelFactor);
                Height +=
                    H + static_cast<Integer>(static_cast<std::uint32_t>(H) >> 3) + 2 * J.S8 + PS.RowSpacing;
            }
        }
        const Integer Left = J.Pos[static_cast<std::size_t>(Col)];
        if (IsBaseCell(RC, ARow)) {
            // The cell through the screen's paint steps, one screen pixel at its printed size.
            auto Px = [&](Integer V) { return PrintRound(V / J.PixelFactor); };
            const TRect Cell{Px(Left), Px(-Y), Px(Left + Width), Px(Height - Y)};
            KeepFont(J.Font2, C->Font());
            J.Pen.Assign(C->Pen());
            J.Brush2.Assign(C->Brush());
            {
                TScreenPixelMapping Pixels(J.DC(), J.ScreenDpi);
                C->Font()->SetPixelsPerInch(J.ScreenDpi);
                PaintPrintedCell(C, Col, ARow, Cell, J.FitScale);
            }
            RestoreFont(C->Font(), J.Font2);
            C->Pen()->Assign(&J.Pen);
            C->Brush()->Assign(&J.Brush2);
        }
        PrintCellBorders(J, Y, Col, FirstCol, ARow, Height, Block, Ext);
    }
    St.FontScale = 1.0;
    return Block;
}

void TDidAririzEvar::PrintCellBorders(TPrintJob& J, Integer Y, Integer DisplCol, Integer FirstCol,
                                      Integer ARow, Integer CellHeight, Integer RowBlock, TPoint Ext)
{
    const TPrintSettings& PS = *FPrintSettings;
    TCanvas* C = J.Canvas;
    const Integer RC = RemapCol(DisplCol);
    J.Pen.Assign(C->Pen());
    TCellBorders Sides;
    switch (PS.Borders) {
    case pbSingle:
    case pbDouble:
        Sides = TCellBorders{cbTop, cbLeft, cbRight, cbBottom};
        break;
    case pbHorizontal:
    case pbAroundHorizontal:
        Sides = TCellBorders{cbTop, cbBottom};
        break;
    case pbVertical:
    case pbAroundVertical:
        Sides = TCellBorders{cbLeft, cbRight};
        break;
    default:
        break;
    }
    C->Pen()->SetWidth(1);
    C->Pen()->SetColor(PS.BorderColor);
    C->Pen()->SetStyle(psSolid);
    GetCellPrintBorder(RC, ARow, C->Pen(), Sides);
    if (Ext.X > 0) {
        Sides.Exclude(cbLeft);
        Sides.Exclude(cbRight);
    }
    if (Ext.Y > 0) {
        Sides.Exclude(cbTop);
        Sides.Exclude(cbBottom);
    }
    if (IsBaseCell(RC, ARow) && (PS.Borders == pbSingle || PS.Borders == pbDouble)) {
        Sides.Include(cbTop);
        Sides.Include(cbLeft);
    }
    if (IsYMergedCell(RC, ARow) && Ext.Y == 0)
        Sides.Exclude(cbTop);
    if (IsXMergedCell(RC, ARow) && Ext.X == 0)
        Sides.Exclude(cbLeft);
    if (J.Method != prPreview)
        C->Pen()->SetWidth(PrintRound(C->Pen()->Width() * J.PixelFactor));
    const Integer PW = C->Pen()->Width();
    const Integer Left = J.Pos[static_cast<std::size_t>(DisplCol)];
    Integer Width = 0;
    for (Integer K = DisplCol; K <= DisplCol + Ext.X && K < static_cast<Integer>(J.Widths.size()); ++K)
        Width += J.Widths[static_cast<std::size_t>(K)] + J.Spacing;
    Integer Right = Left + Width;
    Integer Bottom = Y - CellHeight;
    if (Bottom < J.PageBottom + PS.FooterSize) {
        Bottom = Y - RowBlock;
        Sides.Exclude(cbBottom);
    }
    if (Right > J.PageWidth)
        Right = J.Pos[static_cast<std::size_t>(J.LastCol + 1)];
    auto Line = [&](Integer X1, Integer Y1, Integer X2, Integer Y2) {
        C->MoveTo(X1, Y1);
        C->LineTo(X2, Y2);
    };
    if (Sides.Contains(cbLeft)) {
        const Integer X = DisplCol > FirstCol ? Left - PW : Left;
        Line(X, Y, X, Bottom);
    }
    if (Sides.Contains(cbRight)) {
        const Integer X = DisplCol == GetColCountEx() - 1 ? Right : Right - PW;
        Line(X, Y, X, Bottom);
    }
    if (Sides.Contains(cbTop))
        Line(Left, Y, Right, Y);
    if (Sides.Contains(cbBottom))
        Line(Left, Bottom, Right, Bottom);
    C->Pen()->Assign(&J.Pen);
}

void TDidAririzEvar::RotatedTextOrigin(TRect& Rect, TAlignment HAlign, TVAlignment VAlign, Integer Angle,
                                       Integer Wc, Integer Hs, Integer Vw, Integer Vh)
{
    const Integer L = Rect.Left, T = Rect.Top, R = Rect.Right, B = Rect.Bottom;
    const Integer Q = Angle <= 90 ? 1 : Angle <= 180 ? 2 : Angle <= 270 ? 3 : 4;
    const Integer D = (T + Vh + Vw - B) / 2;
    switch (HAlign) {
    case taLeftJustify:
        Rect.Left = Q == 1 ? L : Q == 2 ? L + Wc : Q == 3 ? L + Hs + Wc : L + Hs;
        break;
    case taRightJustify:
        Rect.Left = Q == 1 ? R - Wc - Hs : Q == 2 ? R - Hs : Q == 3 ? R : R - Wc;
        break;
    case taCenter:
        Rect.Left = Q == 1   ? L + (R - L - Hs - Wc) / 2
                    : Q == 2 ? R - (R - L + Hs - Wc) / 2
                    : Q == 3 ? R - (R - L - Hs - Wc) / 2
                             : L + (R - L + Hs - Wc) / 2;
        break;
    }
    switch (VAlign) {
    case vtaTop:
        Rect.Top = Q == 1 ? T + Vw : Q == 2 ? T + Vw + Vh : Q == 3 ? T + Vh : T;
        break;
    case vtaCenter:
        Rect.Top = Q == 1 ? T - D + Vw : Q == 2 ? T - D + Vw + Vh : Q == 3 ? T - D + Vh : T - D;
        break;
    case vtaBottom:
        Rect.Top = Q == 1 ? B - Vh : Q == 2 ? B : Q == 3 ? B - Vw : B - Vh - Vw;
        break;
    }
}

Integer TDidAririzEvar::PrinterLandscapeAngle()
{
    char Device[256] = {}, Driver[256] = {}, Port[256] = {};
    HGLOBAL Mode = nullptr;
    Printer()->GetPrinter(Device, Driver, Port, Mode);
    const int A = ::DeviceCapabilitiesA(Device, Port, DC_ORIENTATION, nullptr, nullptr);
    return A == 90 || A == 270 ? A : 0;
}

void TDidAririzEvar::StretchBitmapToRect(TCanvas* Canvas, const TRect& Rect, TBitmap* Bitmap)
{
    StretchGraphicToRect(Canvas, Rect, Bitmap, SRCCOPY);
}

void TDidAririzEvar::StretchGraphicToRect(TCanvas* Canvas, const TRect& Rect, TBitmap* Bitmap, DWORD Rop)
{
    if (!Canvas || !Bitmap || Bitmap->Empty())
        return;
    const Integer W = Bitmap->Width(), H = Bitmap->Height();
    BITMAPINFO Info{};
    Info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    Info.bmiHeader.biWidth = W;
    Info.bmiHeader.biHeight = H;
    Info.bmiHeader.biPlanes = 1;
    Info.bmiHeader.biBitCount = 32;
    std::vector<std::uint32_t> Bits(static_cast<std::size_t>(W) * static_cast<std::size_t>(H));
    const HDC DC = Canvas->Handle();
    if (::GetDIBits(DC, Bitmap->Handle(), 0, static_cast<UINT>(H), Bits.data(), &Info, DIB_RGB_COLORS) == 0)
        return;
    ::StretchDIBits(DC, Rect.Left, Rect.Top, Rect.Right - Rect.Left, Rect.Bottom - Rect.Top, 0, 0, W, H,
                    Bits.data(), &Info, DIB_RGB_COLORS, Rop);
}

void TDidAririzEvar::PaintPrintedGraphic(TGridCellPaint& P, TCellGraphic& G, const TRect& R,
                                         const TRect& Place)
{
    TCanvas* C = P.Canvas;
    const TControlLook& CL = *ControlLook();
    const Integer RC = P.RC, ARow = P.ARow;
    TCustomImageList* Images = GridImages();
    // A picture goes to the page as bits: drawn into a bitmap of its own size over the cell's
    // colour, then stretched into its place.
    auto ThroughBits = [&](const TRect& Dest, Integer W, Integer H,
                           const std::function<void(TCanvas*)>& Draw) {
        if (W <= 0 || H <= 0)
            return;
        TBitmap B;
        B.SetSize(W, H);
        B.Canvas()->Brush()->SetColor(C->Brush()->Color());
        B.Canvas()->FillRect(TRect{0, 0, W, H});
        Draw(B.Canvas());
        StretchBitmapToRect(C, Dest, &B);
    };
    auto Sized = [](const TRect& At, Integer W, Integer H) {
        return TRect{At.Left, At.Top, At.Left + W, At.Top + H};
    };
    auto Image = [&](const TRect& At, Integer Index) {
        if (Images && Index >= 0 && Index < Images->Count())
            ThroughBits(Sized(At, Images->Width(), Images->Height()), Images->Width(), Images->Height(),
                        [&](TCanvas* B) { Images->Draw(B, 0, 0, Index, true); });
    };
    switch (G.CellType) {
    case ctBitmap:
        if (TBitmap* B = G.Bitmap(); B && !B->Empty())
            StretchBitmapToRect(C, Sized(Place, B->Width(), B->Height()), B);
        break;
    case ctIcon:
        if (TIcon* I = G.Icon())
            ThroughBits(Sized(Place, I->Width(), I->Height()), I->Width(), I->Height(),
                        [&](TCanvas* B) { B->Draw(0, 0, I); });
        break;
    case ctImageList:
        Image(Place, G.CellIndex);
        break;
    case ctDataImage: {
        Integer Index = 0;
        try {
            Index = GetCellEx(RC, ARow).empty() ? 0 : Ints(RC, ARow);
        } catch (const std::exception&) {
            break;
        }
        Image(Place, Index + G.CellIndex);
        break;
    }
    case ctImages:
        if (Images && G.IntList()) {
            TRect At = Place;
            for (Integer I = 0; I < G.IntList()->Count(); ++I) {
                Image(At, G.IntList()->Items(I));
                if (G.CellBoolean)
                    At.Left += Images->Width();
                else
                    At.Top += Images->Height();
            }
        }
        break;
    case ctPicture:
        if (TPicture* Pic = G.Picture(); Pic && Pic->Graphic() && !Pic->Graphic()->Empty()) {
            TGraphic* Gr = Pic->Graphic();
            ThroughBits(Place, Gr->Width(), Gr->Height(), [&](TCanvas* B) { B->Draw(0, 0, Gr); });
        }
        break;
    case ctFilePicture:
        if (TFilePicture* FP = G.FilePicture()) {
            const Integer W = Place.Right - Place.Left, H = Place.Bottom - Place.Top;
            ThroughBits(Place, W, H, [&](TCanvas* B) { FP->DrawPicture(B, TRect{0, 0, W, H}); });
        }
        break;
    case ctInterface:
        if (ICellGraphic* I = G.Interface(); I && !I->IsBackground()) {
            const Integer W = R.Right - R.Left + 1, H = R.Bottom - R.Top + 1;
            ThroughBits(TRect{R.Left - 1, R.Top - 1, R.Right, R.Bottom}, W, H, [&](TCanvas* B) {
                I->Draw(B, TRect{0, 0, W, H}, RC, ARow, false, this);
            });
        }
        break;
    case ctCheckBox:
    case ctDataCheckBox:
    case ctVirtCheckBox:
    case ctRowCheckBox: {
        // The classic box on paper, whatever the screen's control style.
        bool Checked = false;
        GetCheckBoxState(RC, ARow, Checked);
        UINT State = DFCS_BUTTONCHECK;
        if (CL.ControlStyle == RudUvudLook::csFlat)
            State |= DFCS_FLAT;
        if (Checked)
            State |= DFCS_CHECKED;
        RECT Box{Place.Left, Place.Top, Place.Left + CL.CheckSize, Place.Top + CL.CheckSize};
        ::DrawFrameControl(C->Handle(), &Box, DFC_BUTTON, State);
        break;
    }
    case ctRadio: {
        TStrings* Items = G.Strings();
        DrawRadio(C, R, Items ? Items->Count() : 0, G.CellIndex, G.CellBoolean, false, Items, false, RC, ARow,
                  RudUvudLook::csClassic, 1.0, false);
        break;
    }
    case ctNode: {
        // A box with a minus, and a plus for a contracted node, where the screen shows the glyph.
        const Integer Indent = CellNode()->NodeIndent();
        const Integer L = R.Left + 1 + NodeIndent(ARow) - Indent / 2, T = R.Top + (R.Bottom - R.Top - 8) / 2;
        C->Pen()->SetColor(CellNode()->NodeColor());
        C->Pen()->SetWidth(1);
        C->Brush()->SetStyle(bsClear);
        C->Rectangle(TRect{L, T, L + 9, T + 9});
        C->Brush()->SetStyle(bsSolid);
        C->MoveTo(L + 2, T + 4);
        C->LineTo(L + 7, T + 4);
        if (G.CellBoolean) {
            C->MoveTo(L + 4, T + 2);
            C->LineTo(L + 4, T + 7);
        }
        break;
    }
    case ctProgress: {
        Double V = 0;
        try {
            V = GetCellEx(RC, ARow).empty() ? 0.0 : Floats(RC, ARow);
        } catch (const std::exception&) {
        }
        TColor C1 = G.GraphicColor(), C2 = static_cast<TColor>(ColorToRGB(C1) ^ 0xFFFFFF),
               C3 = G.GraphicExtraColor(), C4 = static_cast<TColor>(ColorToRGB(C3) ^ 0xFFFFFF);
        if (G.CellBoolean) {
            C2 = static_cast<TColor>(G.CellIndex);
            C4 = static_cast<TColor>(G.CellAngle);
        }
        DrawProgressLin(C, TRect{R.Left + 2, R.Top + 2, R.Right - 2, R.Bottom - 4}, C1, C2, C3, C4, V,
                        CL.ProgressMarginX, CL.ProgressMarginY, G.CellErrFrom, G.CellErrLen, G.CellText,
                        CL.ProgressBorderColor, false);
        C->Pen()->SetColor(clBlack);
        break;
    }
    case ctProgressPie:
        DrawProgressPie(C, TRect{Place.Left, Place.Top, Place.Left + 20, Place.Top + 20}, G.GraphicColor(),
                        G.CellAngle, false);
        break;
    default:
        // Buttons, ratings, shapes, bars of other kinds and comment marks belong to the screen.
        break;
    }
}
