// The print page builder: a range of display cells laid out on pages in MM_LOMETRIC (0.1 mm,
// y upward from the page's top edge), in column strips of as many columns as a page is wide,
// with repeated fixed rows and columns, fitting to the page width, header and footer blocks and
// page borders. The counting passes run the same layout as the drawing passes and draw nothing,
// so both reach the same page breaks.

#include "RudUvud/exchange/PrintJob.h"

#include "RudUvud/core/GridCoreState.h"
#include "RudUvud/edit/GridPaintState.h"
#include "RudUvud/exchange/GridExchangeState.h"
#include "RudUvud/support/Daehtmle.h"
#include "RudUvud/support/DerOdoz.h"

#include "platform/forms/Printers.h"
#include "platform/rtl/Conversions.h"
#include "platform/rtl/DateTime.h"
#include "platform/win/Gdi.h"
#include "platform/win/Windows.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace {

bool TopPosition(TPrintPosition P)
{
    return P == ppTopLeft || P == ppTopRight || P == ppTopCenter;
}

bool BottomPosition(TPrintPosition P)
{
    return P == ppBottomLeft || P == ppBottomRight || P == ppBottomCenter;
}

bool LeftPosition(TPrintPosition P)
{
    return P == ppTopLeft || P == ppBottomLeft;
}

// Where an item of a position goes in that position's text: in front at the left positions,
// appended at the others, always with a separating space.
void AddItem(TPrintPosition P, const AnsiString& Item, AnsiString (&Texts)[7])
{
    if (P == ppNone)
        return;
    AnsiString& T = Texts[P];
    T = LeftPosition(P) ? Item + " " + T : T + " " + Item;
}

// Joined with one space only when both sides are not empty.
AnsiString JoinWithSpace(const AnsiString& A, const AnsiString& B)
{
    if (A.empty())
        return B;
    if (B.empty())
        return A;
    return A + " " + B;
}

void PageLine(TCanvas* C, Integer X1, Integer Y1, Integer X2, Integer Y2)
{
    C->MoveTo(X1, Y1);
    C->LineTo(X2, Y2);
}

} // namespace

Integer TDidAririzEvar::MapFontHeight(Integer Size)
{
    return -static_cast<Integer>(std::trunc(Size * 254.0 / 72.0 * FXchg.Print.FontScale));
}

Integer TDidAririzEvar::MapFontSize(Integer Height)
{
    return static_cast<Integer>(std::trunc(Height * 72.0 / 254.0));
}

bool TDidAririzEvar::PrintedCol(TPrintJob& J, Integer ACol)
{
    if (!J.SelectedOnly)
        return true;
    if (ACol < J.FC && FPrintSettings->KeepFixedInSelection)
        return true;
    if (FMouseActions->DisjunctColSelect())
        return GetColSelect(ACol);
    const TGridRect S = GetSelectionEx();
    return ACol >= S.Left && ACol <= S.Right;
}

bool TDidAririzEvar::PrintedRow(TPrintJob& J, Integer ARow)
{
    if (!J.SelectedOnly)
        return true;
    if (ARow < J.FR && FPrintSettings->KeepFixedInSelection)
        return true;
    if (FMouseActions->DisjunctRowSelect())
        return GetRowSelect(FMouseActions->RowSelectPersistent ? RealRowIndex(ARow) : ARow);
    const TGridRect S = GetSelectionEx();
    return ARow >= S.Top && ARow <= S.Bottom;
}

void TDidAririzEvar::PrintHeaderFooterHeights(TPrintJob& J)
{
    const TPrintSettings& PS = *FPrintSettings;
    const TPrintPosition Items[] = {PS.Time, PS.Date, PS.PageNr, PS.Title};
    const Integer Lines = PS.TitleLines()->Count();
    if (std::none_of(std::begin(Items), std::end(Items), TopPosition)) {
        J.HeaderHeight = PS.HeaderSize;
    } else {
        J.HeaderHeight = J.S8 + J.HeaderTextHeight + PS.HeaderSize;
        if (Lines > 0 && TopPosition(PS.Title))
            J.HeaderHeight += (Lines - 1) * J.HeaderTextHeight;
    }
    if (std::none_of(std::begin(Items), std::end(Items), BottomPosition)) {
        J.FooterHeight = J.S8 + J.FooterTextHeight + PS.FooterSize;
    } else {
        J.FooterHeight = 2 * (J.S8 + J.FooterTextHeight) + PS.FooterSize;
        if (Lines > 0 && BottomPosition(PS.Title))
            J.FooterHeight += (Lines - 1) * J.FooterTextHeight;
    }
}

void TDidAririzEvar::PrintHeaderFooter(TPrintJob& J)
{
    TGridPrintState& St = FXchg.Print;
    const Integer Page = J.PageCounter + 1;
    if (!J.Drawing() || Page < St.PageFrom || Page > St.PageTo)
        return;
    const TPrintSettings& PS = *FPrintSettings;
    TCanvas* C = J.Canvas;
    St.FontScale = J.FitScale;
    AnsiString Texts[7];
    bool TitleOnTop = true;
    const TDateTime At = Now();
    AddItem(PS.Time, FormatDateTime("hh:nn", At), Texts);
    AddItem(PS.Date, FormatDateTime(PS.DateFormat, At), Texts);
    AnsiString Number;
    if (J.MoreStrips) {
        Number = IntToStr(J.PageInStrip + 1) + "-" + IntToStr(J.Strip);
    } else if (!PS.PageNumSep.empty() && J.Total > 1) {
        // The total is added in 64 bits: without a counting pass it is the largest integer.
        const std::int64_t Total = std::int64_t(J.Total) + PS.MaxPagesOffset;
        Number = IntToStr(Page + PS.PageNumberOffset) + PS.PageNumSep + AnsiString(std::to_string(Total));
    } else {
        Number = IntToStr(Page + PS.PageNumberOffset);
    }
    AddItem(PS.PageNr, PS.PagePrefix + " " + Number + " " + PS.PageSuffix, Texts);
    AnsiString HTMLTitle;
    TStringList* TL = PS.TitleLines();
    if (!PS.TitleText.empty()) {
        AddItem(PS.Title, PS.TitleText, Texts);
    } else if (TextType(TL->Text(), FCore.EnableHTML) == ttHTML) {
        for (Integer I = 0; I < TL->Count(); ++I)
            HTMLTitle += TL->Strings(I);
        TitleOnTop = TopPosition(PS.Title);
    } else if (TL->Count() > 0 && PS.Title != ppNone) {
        AnsiString& T = Texts[PS.Title];
        T = LeftPosition(PS.Title) ? JoinWithSpace(TL->Strings(0), T) : JoinWithSpace(T, TL->Strings(0));
    }
    KeepFont(J.Font2, C->Font());
    J.Brush2.Assign(C->Brush());
    C->Brush()->SetStyle(bsClear);
    auto XOf = [&](TPrintPosition P, const AnsiString& S) -> Integer {
        const Integer W = C->TextWidth(S);
        if (P == ppTopLeft || P == ppBottomLeft)
            return PS.LeftSize;
        if (P == ppTopRight || P == ppBottomRight)
            return J.PageWidth - W - 20 - PS.RightSize;
        return static_cast<Integer>(static_cast<std::uint32_t>(J.PageWidth - W) >> 1);
    };
    auto HTMLBlock = [&](TRect R, TFont* F, bool Measure) {
        AnsiString A, S, FA, H, CI, CV, CT;
        Integer XS = 0, YS = 0, HL = 0, ML = 0;
        TRect MR{}, CR{};
        if (Measure) {
            HTMLDrawEx(C, HTMLTitle, TRect{0, 0, 0, 0}, FPaint.GridImages, 0, 0, -1, 0, 1, false, true, true,
                       false, true, false, true, false, J.ResRatio, FCore.URLColor, clNone, clNone, clGray, A,
                       S, FA, H, XS, YS, HL, ML, MR, CR, CI, CV, CT, FPictureCache.get(), nullptr, nullptr);
            return YS;
        }
        POINT P[2] = {{R.Left, R.Top}, {R.Right, R.Bottom}};
        ::LPtoDP(J.DC(), P, 2);
        const int Mode = ::GetMapMode(J.DC());
        const Integer Size = C->Font()->Size();
        ::SetMapMode(J.DC(), MM_TEXT);
        C->Font()->SetSize(F->Size());
        HTMLDrawEx(C, HTMLTitle, TRect{P[0].X, P[0].Y, P[1].X, P[1].Y}, FPaint.GridImages, 0, 0, -1, 0, 1,
                   false, false, true, false, true, false, true, false, J.ResRatio, FCore.URLColor, clNone,
                   clNone, clGray, A, S, FA, H, XS, YS, HL, ML, MR, CR, CI, CV, CT, FPictureCache.get(),
                   nullptr, nullptr);
        ::SetMapMode(J.DC(), Mode);
        C->Font()->SetSize(Size);
        return YS;
    };
    // Header.
    C->Font()->Assign(PS.HeaderFont());
    C->Font()->SetHeight(MapFontHeight(PS.HeaderFont()->Size()));
    const Integer HY = -PS.HeaderSize;
    for (TPrintPosition P : {ppTopLeft, ppTopRight, ppTopCenter})
        if (!Texts[P].empty())
            C->TextOut(XOf(P, Texts[P]), HY, Texts[P]);
    if (TopPosition(PS.Title) && TL->Count() > 1 && HTMLTitle.empty()) {
        Integer Offset = 0;
        for (Integer I = 1; I < TL->Count(); ++I) {
            Offset += C->TextHeight("gh");
            C->TextOut(XOf(PS.Title, TL->Strings(I)), HY - Offset, TL->Strings(I));
        }
    }
    if (!HTMLTitle.empty() && TitleOnTop) {
        const Integer H = HTMLBlock(TRect{}, PS.HeaderFont(), true);
        HTMLBlock(TRect{PS.LeftSize, HY, J.PageWidth, HY - H}, PS.HeaderFont(), false);
    }
    // Footer.
    C->Font()->Assign(PS.FooterFont());
    C->Font()->SetHeight(MapFontHeight(PS.FooterFont()->Size()));
    const Integer FY = J.PageBottom + J.FooterTextHeight + J.S8 + PS.FooterSize;
    for (TPrintPosition P : {ppBottomLeft, ppBottomRight, ppBottomCenter})
        if (!Texts[P].empty())
            C->TextOut(XOf(P, Texts[P]), FY, Texts[P]);
    if (BottomPosition(PS.Title) && TL->Count() > 1 && HTMLTitle.empty()) {
        Integer Offset = 0;
        for (Integer I = 1; I < TL->Count(); ++I) {
            Offset += C->TextHeight("gh");
            C->TextOut(XOf(PS.Title, TL->Strings(I)), FY - Offset, TL->Strings(I));
        }
    }
    if (!HTMLTitle.empty() && BottomPosition(PS.Title))
        HTMLBlock(TRect{PS.LeftSize, J.PageBottom + PS.FooterSize, J.PageWidth, J.PageBottom},
                  PS.FooterFont(), false);
    RestoreFont(C->Font(), J.Font2);
    C->Brush()->Assign(&J.Brush2);
}

void TDidAririzEvar::PrintNewPage(TPrintJob& J)
{
    TGridPrintState& St = FXchg.Print;
    const Integer Next = J.PageCounter + 2;
    if (Next < St.PageFrom || Next > St.PageTo)
        return;
    TPrinter* P = Printer();
    if (J.Method == prPrint && J.PageCounter + 1 >= St.PageFrom && P->Printing() && J.Canvas == P->Canvas())
        P->NewPage();
    ::SetMapMode(J.DC(), MM_LOMETRIC);
    if (J.Drawing() && OnPrintPage)
        OnPrintPage(this, J.Canvas, Next, J.PageWidth, J.PageBottom);
}

void TDidAririzEvar::PrintPageBorders(TPrintJob& J)
{
    TGridPrintState& St = FXchg.Print;
    const Integer Page = J.PageCounter + 1;
    if (!J.Drawing() || Page < St.PageFrom || Page > St.PageTo)
        return;
    const TPrintBorders B = FPrintSettings->Borders;
    TCanvas* C = J.Canvas;
    const Integer Top = -J.HeaderHeight - FPrintSettings->TitleSpacing;
    const Integer Bottom = J.Y + J.S8 / 2;
    const Integer Left = J.RepeatCols ? J.Pos[0] : J.Pos[static_cast<std::size_t>(J.FirstCol)];
    const Integer Right = J.Pos[static_cast<std::size_t>(J.LastCol + 1)];
    if (B == pbAround || B == pbAroundVertical || B == pbAroundHorizontal) {
        C->MoveTo(Left, Top);
        C->LineTo(Right, Top);
        C->LineTo(Right, Bottom);
        C->LineTo(Left, Bottom);
        C->LineTo(Left, Top);
    }
    if (B == pbDouble || B == pbHorizontal || B == pbAroundHorizontal)
        PageLine(C, Left, Bottom, Right, Bottom);
    if ((B == pbDouble || B == pbVertical || B == pbAroundVertical) && J.RepeatCols)
        for (Integer K = 0; K < J.FC; ++K)
            PageLine(C, J.Pos[static_cast<std::size_t>(K)], Top, J.Pos[static_cast<std::size_t>(K)], Bottom);
}

Integer TDidAririzEvar::BuildPages(TCanvas* Canvas, TPrintMethod Method, Integer Total, bool SelectedOnly)
{
    TGridPrintState& St = FXchg.Print;
    const TPrintSettings& PS = *FPrintSettings;
    TPrintJob J(St);
    J.Canvas = Canvas;
    J.Method = Method;
    J.Total = Total;
    J.SelectedOnly = SelectedOnly;
    J.FR = GetFixedRowsEx();
    J.FC = GetFixedColsEx();
    if (J.FR == 0 && FCore.FixedRowAlways)
        J.FR = 1;
    if (J.FC == 0 && FCore.FixedColAlways)
        J.FC = 1;
    const TGridRect Range = St.PrintRange;
    const HDC DC = Canvas->Handle();
    // 1. The resolution ratio between the canvas and the grid's window.
    ::SetMapMode(DC, MM_TEXT);
    try {
        if (HandleAllocated()) {
            TWindowDC W(Handle(), ::GetDC(Handle()));
            const int WP = ::GetDeviceCaps(W.get(), LOGPIXELSX);
            if (WP > 0)
                J.ResRatio = double(::GetDeviceCaps(DC, LOGPIXELSX)) / WP;
        }
    } catch (const std::exception&) {
        J.ResRatio = 1.0;
    }
    ::SetMapMode(DC, MM_LOMETRIC);
    St.FontScale = 1.0;
    // 2. The pen of the page borders.
    Canvas->Pen()->SetColor(clBlack);
    Canvas->Pen()->SetStyle(PS.BorderStyle);
    Canvas->Pen()->SetWidth(PS.Borders == pbDouble ? 10 : 2);
    // 3. Text metrics (measured as every text of the layout, see TPrintJob).
    TCanvas* M = &J.Measure;
    M->Font()->Assign(PS.HeaderFont());
    M->Font()->SetHeight(MapFontHeight(PS.HeaderFont()->Size()));
    J.HeaderTextHeight = M->TextHeight("gh");
    M->Font()->Assign(PS.FooterFont());
    M->Font()->SetHeight(MapFontHeight(PS.FooterFont()->Size()));
    J.FooterTextHeight = M->TextHeight("gh");
    Canvas->Font()->Assign(PS.Font());
    M->Font()->Assign(PS.Font());
    J.CacheRow = -1;
    J.FontSize = PS.Font()->Size();
    Canvas->Font()->SetHeight(MapFontHeight(J.FontSize));
    M->Font()->SetHeight(MapFontHeight(J.FontSize));
    J.S8 = static_cast<Integer>(static_cast<std::uint16_t>(M->TextHeight("gh")) >> 3);
    // 4. The page.
    if (Method == prPrint) {
        const TRect R = Canvas->ClipRect();
        J.PageWidth = R.Right - R.Left;
        J.PageBottom = std::min(R.Bottom, R.Top);
    } else if (Method == prCalcPrint) {
        J.PageWidth = St.PageRect.Right - St.PageRect.Left;
        J.PageBottom = -St.PageRect.Bottom - St.PageRect.Top;
    } else {
        POINT P[2] = {{St.PageRect.Left, St.PageRect.Top}, {St.PageRect.Right, St.PageRect.Bottom}};
        ::DPtoLP(DC, P, 2);
        St.PageRect = TRect{P[0].X, P[0].Y, P[1].X, P[1].Y};
        J.PageWidth = St.PageRect.Right - St.PageRect.Left;
        J.PageBottom = St.PageRect.Bottom - St.PageRect.Top;
    }
    J.ScreenDpi = std::max(1, ::GetDeviceCaps(MeasureCanvas()->Handle(), LOGPIXELSX));
    J.PixelFactor = 254.0 / J.ScreenDpi;
    // 5. Column widths. The tables reach one past the range and over the fixed columns.
    J.LeftMargin = PS.LeftSize;
    J.Spacing = PS.UseFixedWidth ? 0 : PS.ColumnSpacing + 20;
    J.FitScale = 1.0;
    const std::size_t TableSize = static_cast<std::size_t>(std::max({Range.Right, J.FC, 0}) + 2);
    J.Widths.assign(TableSize, 0);
    J.Pos.assign(TableSize, 0);
    CalcPrintColumnWidths(J);
    Integer TotalWidth = 0;
    for (Integer C = Range.Left; C <= Range.Right; ++C)
        if (PrintedCol(J, C))
            TotalWidth += J.Widths[static_cast<std::size_t>(C)] + J.Spacing;
    // 6. Fit to the page width.
    if (PS.FitToPage != fpNever) {
        const Integer SpacingTotal = (Range.Right - Range.Left + 1) * J.Spacing;
        double Scale = 1.0;
        if (TotalWidth != SpacingTotal)
            Scale =
                double(J.PageWidth - PS.RightSize - PS.LeftSize - SpacingTotal) / (TotalWidth - SpacingTotal);
        if (PS.FitToPage == fpShrink && Scale > 1.0)
            Scale = 1.0;
        if (PS.FitToPage == fpGrow && Scale < 1.0)
            Scale = 1.0;
        if (PS.FitToPage == fpCustom && Scale != 1.0) {
            bool Allow = true;
            if (OnFitToPage)
                OnFitToPage(this, Scale, Allow);
            if (!Allow)
                Scale = 1.0;
        }
        J.FitScale = Scale;
        if (Scale != 1.0)
            for (Integer& W : J.Widths)
                W = static_cast<Integer>(std::trunc(W * Scale));
    }
    // 7.
    if (OnPrintSetColumnWidth)
        for (Integer C = Range.Left; C <= Range.Right; ++C)
            OnPrintSetColumnWidth(this, C, J.Widths[static_cast<std::size_t>(C)]);
    // 8.
    J.FirstCol = J.LastCol = Range.Left;
    J.PageCounter = 0;
    J.Strip = 0;
    J.LastBreakRow = -1;
    J.RowExport = (J.FR >= Range.Top && Range.Bottom >= GetRowCountEx() - 1 - FCore.FixedFooters)
                      ? esExportNewRow
                      : esExportSelRow;
    const Integer Limit = J.PageWidth - PS.RightSize;
    auto W = [&](Integer C) { return J.Widths[static_cast<std::size_t>(C)]; };
    auto Pos = [&](Integer C) -> Integer& { return J.Pos[static_cast<std::size_t>(C)]; };
    // 9. Column strips.
    while (J.LastCol <= Range.Right && !J.Cancel) {
        J.FirstCol = J.LastCol;
        J.PageInStrip = 0;
        ++J.Strip;
        J.RepeatCols = J.FC > 0 && PS.RepeatFixedCols && (Range.Left < J.FirstCol || J.FC < Range.Left);
        J.RepeatWidth = 0;
        if (J.RepeatCols)
            for (Integer C = 0; C < J.FC; ++C)
                J.RepeatWidth += W(C) + J.Spacing;
        Integer X = J.RepeatWidth;
        while (X <= Limit && J.LastCol <= Range.Right) {
            X += W(J.LastCol) + J.Spacing;
            if (X <= Limit)
                ++J.LastCol;
        }
        if (X > Limit) {
            X -= W(J.LastCol) + J.Spacing;
            --J.LastCol;
        }
        if (J.LastCol <= J.FirstCol)
            J.LastCol = J.FirstCol + 1;
        J.LastCol = std::min(J.LastCol, Range.Right);
        if (J.LastCol < Range.Right)
            J.MoreStrips = true;
        const Integer Start = PS.Centered ? 0 : J.LeftMargin;
        Pos(J.FirstCol) = Start;
        Pos(0) = Start;
        for (Integer C = J.FirstCol; C <= J.LastCol; ++C)
            Pos(C + 1) = Pos(C) + (PrintedCol(J, C) ? W(C) + J.Spacing : 0);
        if (J.RepeatCols)
            for (Integer C = 1; C < J.FC; ++C)
                Pos(C) = Pos(C - 1) + W(C - 1) + J.Spacing;
        if (PS.Centered && X < J.PageWidth) {
            const Integer D = static_cast<Integer>(static_cast<std::uint32_t>(J.PageWidth - X) >> 1);
            for (Integer C = J.FirstCol; C <= J.LastCol + 1; ++C)
                Pos(C) += D;
            if (J.RepeatCols)
                for (Integer C = 0; C < J.FC; ++C)
                    Pos(C) += D;
        }
        for (Integer C = J.FirstCol; C <= J.LastCol + 1; ++C)
            Pos(C) += J.RepeatWidth;
        PrintHeaderFooterHeights(J);
        J.Y = -J.HeaderHeight;
        if (J.Drawing() && OnPrintPage)
            OnPrintPage(this, Canvas, J.PageCounter + 1, J.PageWidth, J.PageBottom);
        // 10. The rows of the strip.
        J.Row = Range.Top;
        while (J.Row <= Range.Bottom && !J.Cancel) {
            ExportNotification(J.RowExport, J.Row);
            if (J.Slots == 0) {
                J.Y = -J.HeaderHeight;
                PrintHeaderFooter(J);
                J.Y -= PS.TitleSpacing;
                if (J.Row > 0 && PS.RepeatFixedRows && J.FR > 0 && (J.PageCounter > 0 || Range.Top >= J.FR)) {
                    for (Integer R = 0; R < J.FR; ++R) {
                        if (J.RepeatCols)
                            PrintCellRow(J, J.Y, 0, J.FC - 1, R);
                        J.Y -= PrintCellRow(J, J.Y, J.FirstCol, J.LastCol, R);
                    }
                    ++J.Slots;
                }
            }
            if (PrintedRow(J, J.Row)) {
                if (J.RepeatCols)
                    PrintCellRow(J, J.Y, 0, J.FC - 1, J.Row);
                J.Y -= PrintCellRow(J, J.Y, J.FirstCol, J.LastCol, J.Row);
            }
            ++J.Row;
            ++J.Slots;
            bool NewPage = false;
            if (OnPrintNewPage)
                OnPrintNewPage(this, J.Row, NewPage);
            const Integer Next = J.Row <= Range.Bottom ? CalcPrintRowHeight(J, J.Row) : 0;
            const bool Full = J.Y - Next < J.PageBottom + J.FooterHeight;
            if (J.Drawing() && (Full || J.Row > Range.Bottom || NewPage)) {
                if (OnPrintPageDone)
                    OnPrintPageDone(this, Canvas, J.Row, J.Y, J.PageCounter + 1, J.PageWidth, J.PageBottom);
                if (OnPrintCancel)
                    OnPrintCancel(this, J.PageCounter + 1, J.Cancel);
            }
            // A cancelled job begins no further page.
            if (((Full && J.Row <= Range.Bottom) || NewPage) && !J.Cancel) {
                PrintPageBorders(J);
                J.Slots = 0;
                J.LastBreakRow = J.Row;
                PrintNewPage(J);
                if (St.SkipPageCount && St.PageFrom < J.PageCounter)
                    J.Row = Range.Bottom + 1;
                ++J.PageCounter;
                ++J.PageInStrip;
                PrintHeaderFooterHeights(J);
            }
        }
        if (J.LastBreakRow != J.Row)
            PrintPageBorders(J);
        J.LastCol = J.LastCol + 1;
        // A cancelled job begins no further page.
        if (J.LastCol <= Range.Right && !J.Cancel)
            PrintNewPage(J);
        J.Slots = 0;
        ++J.PageCounter;
    }
    // 11.
    St.FontScale = 1.0;
    // Readers of the printed column widths and offsets see the first 512 columns of the layout.
    std::array<Integer, 513>& TW = PrintColWidths();
    std::array<Integer, 513>& TP = PrintColOffsets();
    TW.fill(0);
    TP.fill(0);
    std::copy_n(J.Widths.begin(), std::min(J.Widths.size(), TW.size()), TW.begin());
    std::copy_n(J.Pos.begin(), std::min(J.Pos.size(), TP.size()), TP.begin());
    return J.PageCounter;
}
