#include "print/VuPaperImage.h"

#include "platform/win/Gdi.h"
#include "print/VuPageList.h"

#include <algorithm>

namespace {

// A sheet up to this many pixels (an A4 page at about 210 %) is rendered whole and kept; a
// larger one keeps only the part around what the view shows, since rendering a whole sheet at
// a deep zoom costs far more than the few screenfuls anyone looks at.
constexpr Int64 MaxWholeSheetPixels = Int64(4) * 1024 * 1024;

Integer RoundPx(Extended V)
{
    return static_cast<Integer>(VuRound(V));
}

// Makes the rectangle (logical units) the canvas's clip region, through a path as the page
// drawing expects.
void ClipToRect(HDC DC, Integer L, Integer T, Integer R, Integer B)
{
    BeginPath(DC);
    ::Rectangle(DC, L, T, R, B);
    EndPath(DC);
    TOwnedRegion Rgn(PathToRegion(DC));
    SelectClipRgn(DC, Rgn.get());
}

} // namespace

// ---- TVuShadow ----

void TVuShadow::Changed()
{
    if (OnChange)
        OnChange(this);
}

void TVuShadow::SetColor(TColor Value)
{
    if (Value != FColor) {
        FColor = Value;
        Changed();
    }
}

void TVuShadow::SetWidth(Integer Value)
{
    if (Value != FWidth) {
        FWidth = Value;
        Changed();
    }
}

void TVuShadow::SetVisible(bool Value)
{
    if (Value != FVisible) {
        FVisible = Value;
        Changed();
    }
}

void TVuShadow::Assign(TPersistent* Source)
{
    if (auto* S = dynamic_cast<TVuShadow*>(Source)) {
        FColor = S->FColor;
        FWidth = S->FWidth;
        FVisible = S->FVisible;
        Changed();
        return;
    }
    TPersistent::Assign(Source);
}

void TVuShadow::Draw(TCanvas* Canvas, const TRect& Rect)
{
    if (!FVisible)
        return;
    HDC DC = Canvas->Handle();
    SelectClipRgn(DC, nullptr);
    SetMapMode(DC, MM_TEXT);
    Canvas->Pen()->SetWidth(1);
    Canvas->Pen()->SetMode(pmCopy);
    Canvas->Pen()->SetStyle(psSolid);
    Canvas->Pen()->SetColor(FColor);
    Canvas->Brush()->SetStyle(bsSolid);
    Canvas->Brush()->SetColor(FColor);
    TRect Right{Rect.Right, Rect.Top + FWidth, Rect.Right + FWidth, Rect.Bottom};
    TRect Bottom{Rect.Left + FWidth, Rect.Bottom, Rect.Right + FWidth, Rect.Bottom + FWidth};
    for (TRect* R : {&Right, &Bottom}) {
        OffsetRect(R, 1, 1);
        Canvas->Rectangle(*R);
    }
}

// ---- TVuPageGrid ----

TVuPageGrid::TVuPageGrid()
    : FGridPen(std::make_unique<TPen>()), FSpacing(std::make_unique<TVuValue>(10, vuMillimeters))
{
    FGridPen->SetColor(clSilver);
    FGridPen->SetWidth(1);
    FGridPen->OnChange = [this](TObject*) { Changed(); };
    FSpacing->SetOnChange([this](TObject*) { Changed(); });
}

TVuPageGrid::~TVuPageGrid() = default;

void TVuPageGrid::Changed()
{
    if (OnChange)
        OnChange(this);
}

void TVuPageGrid::SetGridPen(TPen* Value)
{
    FGridPen->Assign(Value);
    Changed();
}

void TVuPageGrid::SetGridStyle(TVuGridStyle Value)
{
    if (Value != FGridStyle) {
        FGridStyle = Value;
        Changed();
    }
}

void TVuPageGrid::DrawToCanvas(TCanvas* Canvas, const TVuSize& PageSize, Integer Ppi)
{
    if (FGridStyle == vuNoGrid)
        return;
    Canvas->SetPen(FGridPen.get());
    const Extended S = FSpacing->GetAsInches();
    // A spacing of nothing would mean lines without end.
    if (!(S > 0))
        return;
    const Integer Nx = RoundPx(PageSize.Width / S);
    const Integer Ny = RoundPx(PageSize.Height / S);
    if (FGridStyle == vuLines) {
        const Integer H = RoundPx(Ppi * PageSize.Height);
        for (Integer I = 1; I <= Nx; ++I) {
            const Integer X = RoundPx(I * S * Ppi);
            Canvas->MoveTo(X, 0);
            Canvas->LineTo(X, H);
        }
        const Integer W = RoundPx(Ppi * PageSize.Width);
        for (Integer J = 1; J <= Ny; ++J) {
            const Integer Y = RoundPx(J * S * Ppi);
            Canvas->MoveTo(0, Y);
            Canvas->LineTo(W, Y);
        }
    } else {
        const TColor C = FGridPen->Color();
        for (Integer I = 1; I <= Nx; ++I)
            for (Integer J = 1; J <= Ny; ++J)
                Canvas->SetPixels(RoundPx(Ppi * I * S), RoundPx(Ppi * J * S), C);
    }
}

// ---- TVuPaperImage ----

TVuPaperImage::TVuPaperImage(TComponent* AOwner)
    : TGraphicControl(AOwner), FMousePoint(std::make_unique<TVuValuePoint>()),
      FDragPoint(std::make_unique<TVuValuePoint>())
{
}

TVuPaperImage::~TVuPaperImage()
{
    if (FGrid)
        FGrid->OnChange = nullptr;
    if (FShadow)
        FShadow->OnChange = nullptr;
}

TSize TVuPaperImage::GetPageExtent(Integer Ppi) const
{
    return TSize{RoundPx(Ppi * FPaperSize.Width * FZoom / 100.0L),
                 RoundPx(Ppi * FPaperSize.Height * FZoom / 100.0L)};
}

TRect TVuPaperImage::PageRect()
{
    const TSize E = GetPageExtent(96);
    TRect R{0, 0, E.cx, E.cy};
    const Integer Dx = FGutters.Left + (Width() - FGutters.Left - FGutters.Right - E.cx) / 2;
    const Integer Dy = FGutters.Top + (Height() - FGutters.Top - FGutters.Bottom - E.cy) / 2;
    OffsetRect(&R, Dx, Dy);
    return R;
}

TVuPoint TVuPaperImage::XYtoInchPoint(Integer X, Integer Y)
{
    const TRect R = PageRect();
    const Extended Scale = 96.0L * FZoom / 100.0L;
    auto Conv = [Scale](Integer D) { return D == 0 ? Extended(0) : D / Scale; };
    return TVuPoint{Conv(X - R.Left), Conv(Y - R.Top)};
}

void TVuPaperImage::XYtoInchValuePoint(Integer X, Integer Y, TVuValuePoint* ValuePoint)
{
    const TVuPoint P = XYtoInchPoint(X, Y);
    ValuePoint->X()->SetAsInches(P.X);
    ValuePoint->Y()->SetAsInches(P.Y);
}

TVuRect TVuPaperImage::GetDragDrawInchRect()
{
    const TVuPoint A = XYtoInchPoint(FDragRect.Left, FDragRect.Top);
    const TVuPoint B = XYtoInchPoint(FDragRect.Right, FDragRect.Bottom);
    return TVuRect{A.X, A.Y, B.X, B.Y};
}

TPoint TVuPaperImage::CalcCursorPos()
{
    POINT P{};
    GetCursorPos(&P);
    return ScreenToClient(TPoint{P.X, P.Y});
}

void TVuPaperImage::DragDrawStart()
{
    if (FDragging)
        return;
    FDragging = true;
    const TPoint P = CalcCursorPos();
    FDragRect = TRect{P.X, P.Y, P.X, P.Y};
}

void TVuPaperImage::DragDrawStop()
{
    FDragging = false;
    Invalidate();
}

void TVuPaperImage::DropCache()
{
    FCache.reset();
    FCacheKey = TCacheKey{};
    FCacheRect = TRect{};
}

TRect TVuPaperImage::VisiblePart()
{
    // The part of the control inside its parent's client area: a preview scrolls the paper
    // image by moving it.
    RECT Own{0, 0, Width(), Height()};
    if (!Parent())
        return Own;
    const TRect C = Parent()->ClientRect();
    RECT Shown{C.Left - Left(), C.Top - Top(), C.Right - Left(), C.Bottom - Top()};
    RECT View{};
    IntersectRect(&View, &Own, &Shown);
    return View;
}

void TVuPaperImage::InvalidatePage()
{
    DropCache();
    Invalidate();
}

void TVuPaperImage::Changed(TObject*)
{
    InvalidatePage();
}

void TVuPaperImage::SetPage(TVuPage* Value)
{
    FPage = Value;
    if (FPage)
        FPaperSize = FPage->GetPageSize(vuInches);
    InvalidatePage();
}

void TVuPaperImage::SetPaperSizeInch(const TVuSize& Value)
{
    FPaperSize = Value;
    InvalidatePage();
}

void TVuPaperImage::SetZoom(Integer Value)
{
    if (Value != FZoom) {
        FZoom = Value;
        InvalidatePage();
    }
}

void TVuPaperImage::SetDrawPpi(Integer Value)
{
    if (Value != FDrawPpi) {
        FDrawPpi = Value;
        InvalidatePage();
    }
}

void TVuPaperImage::SetGutters(const TRect& Value)
{
    if (!EqualRect(&Value, &FGutters)) {
        FGutters = Value;
        Invalidate();
    }
}

void TVuPaperImage::SetShadow(TVuShadow* Value)
{
    if (FShadow && FShadow != Value)
        FShadow->OnChange = nullptr;
    FShadow = Value;
    if (FShadow)
        FShadow->OnChange = [this](TObject* S) { Changed(S); };
}

void TVuPaperImage::SetGrid(TVuPageGrid* Value)
{
    if (FGrid && FGrid != Value)
        FGrid->OnChange = nullptr;
    FGrid = Value;
    if (FGrid)
        FGrid->OnChange = [this](TObject* S) { Changed(S); };
}

void TVuPaperImage::SetMargins(TVuMargins* Value)
{
    FMargins = Value;
    DropCache();
}

void TVuPaperImage::SetShowContent(bool Value)
{
    if (Value != FShowContent) {
        FShowContent = Value;
        DropCache();
    }
}

void TVuPaperImage::SetThumbnail(bool Value)
{
    if (Value != FThumbnail) {
        FThumbnail = Value;
        DropCache();
    }
}

void TVuPaperImage::EndUpdate()
{
    if (FUpdateCount > 0 && --FUpdateCount == 0)
        Invalidate();
}

void TVuPaperImage::RenderPaper(TCanvas* Canvas, Integer OrgX, Integer OrgY)
{
    ++FRenderCount;
    const Integer D = FDrawPpi;
    TVuOrientation Orientation = vuPortrait;
    if (FPage)
        Orientation = FPage->Orientation();
    Canvas->Brush()->SetColor(clWhite);
    HDC DC = Canvas->Handle();
    const int Saved = SaveDC(DC);
    const Integer PW = RoundPx(D * FPaperSize.Width);
    const Integer PH = RoundPx(D * FPaperSize.Height);
    const TSize E = GetPageExtent(96);
    SetMapMode(DC, MM_ANISOTROPIC);
    SetWindowExtEx(DC, PW, PH, nullptr);
    SetWindowOrgEx(DC, 0, 0, nullptr);
    SetViewportExtEx(DC, E.cx, E.cy, nullptr);
    SetViewportOrgEx(DC, OrgX, OrgY, nullptr);
    // The off-screen sheet is a surface of D logical units an inch: whatever asks the context for
    // its resolution (the header and footer captions size their font that way) must hear D, not
    // the screen's 96, or it draws at a sixth of the size.
    const int SavedPpiX = GetDeviceCaps(DC, LOGPIXELSX), SavedPpiY = GetDeviceCaps(DC, LOGPIXELSY);
    SetDCDeviceCaps(DC, LOGPIXELSX, D);
    SetDCDeviceCaps(DC, LOGPIXELSY, D);

    auto PaperPen = [Canvas] {
        Canvas->Pen()->SetColor(clBlack);
        Canvas->Pen()->SetWidth(0);
        Canvas->Pen()->SetMode(pmCopy);
        Canvas->Pen()->SetStyle(psSolid);
    };
    PaperPen();
    Canvas->Brush()->SetColor(clWhite);
    Canvas->Brush()->SetStyle(bsSolid);
    Canvas->Rectangle(0, 0, PW, PH);
    ClipToRect(DC, 0, 0, PW, PH);

    if (FMargins)
        FMargins->Clip(FPaperSize, Orientation, Canvas, D);
    if (FPage && FShowContent)
        FPage->DrawToCanvas(Canvas, D, D, FThumbnail);
    if (FMargins)
        FMargins->Draw(FPaperSize, Orientation, Canvas, D);
    if (FGrid)
        FGrid->DrawToCanvas(Canvas, FPaperSize, D);

    // Objects may have drawn to the paper's edge; the outline goes on top of them.
    SelectClipRgn(Canvas->Handle(), nullptr);
    PaperPen();
    Canvas->Brush()->SetStyle(bsClear);
    Canvas->Rectangle(0, 0, PW, PH);
    ClipToRect(Canvas->Handle(), 0, 0, PW, PH);
    RestoreDC(Canvas->Handle(), Saved);
    SetDCDeviceCaps(Canvas->Handle(), LOGPIXELSX, SavedPpiX);
    SetDCDeviceCaps(Canvas->Handle(), LOGPIXELSY, SavedPpiY);
    Canvas->Refresh();
}

void TVuPaperImage::Paint()
{
    if (GetIsUpdating())
        return;
    TCanvas* C = Canvas();
    const TRect R = PageRect();
    const TSize E = GetPageExtent(96);
    HDC DC = C->Handle();
    const int Saved = SaveDC(DC);
    POINT Org{};
    GetViewportOrgEx(DC, &Org);

    if (E.cx > 0 && E.cy > 0) {
        TCacheKey Key;
        if (FPage) {
            Key.Page = FPage;
            Key.Objects = FPage->Count();
            Key.PageNum = FPage->PageNum();
            Key.NumPages = FPage->Document() ? FPage->Document()->Count() : 0;
        }
        const RECT Paper{R.Left, R.Top, R.Left + E.cx, R.Top + E.cy};
        Key.Paper = Paper;
        RECT Box{};
        GetClipBox(DC, &Box);
        const RECT View = VisiblePart();
        RECT Part{};
        if (IntersectRect(&Part, &Box, &Paper) && IntersectRect(&Part, &Part, &View)) {
            const bool Whole = Int64(E.cx) * E.cy <= MaxWholeSheetPixels;
            RECT Kept{};
            const bool Fresh = FCache && Key == FCacheKey && IntersectRect(&Kept, &Part, &FCacheRect) &&
                               EqualRect(&Kept, &Part);
            if (!Fresh) {
                // The whole sheet, or the view and half a view around it on every side.
                RECT Want = Paper;
                if (!Whole) {
                    RECT Near = View;
                    InflateRect(&Near, (View.Right - View.Left) / 2, (View.Bottom - View.Top) / 2);
                    UnionRect(&Near, &Near, &Part);
                    IntersectRect(&Want, &Near, &Paper);
                }
                FCache = std::make_unique<TBitmap>();
                FCache->SetSize(Want.Right - Want.Left, Want.Bottom - Want.Top);
                RenderPaper(FCache->Canvas(), Paper.Left - Want.Left, Paper.Top - Want.Top);
                FCacheKey = Key;
                FCacheRect = Want;
            }
            BitBlt(DC, Part.Left, Part.Top, Part.Right - Part.Left, Part.Bottom - Part.Top,
                   FCache->Canvas()->Handle(), Part.Left - FCacheRect.Left, Part.Top - FCacheRect.Top,
                   SRCCOPY);
        }
    }

    if (FShadow) {
        SetViewportOrgEx(DC, Org.X + R.Left, Org.Y + R.Top, nullptr);
        FShadow->Draw(C, TRect{0, 0, E.cx, E.cy});
        C->Refresh();
    }
    RestoreDC(DC, Saved);
    C->Refresh();

    if (OnOverlayPaint) {
        const int Saved2 = SaveDC(DC);
        IntersectClipRect(DC, R.Left, R.Top, R.Left + E.cx, R.Top + E.cy);
        SetMapMode(DC, MM_TEXT);
        // The overlay works in the parent's client coordinates.
        SetViewportOrgEx(DC, Org.X - Left(), Org.Y - Top(), nullptr);
        C->Brush()->SetStyle(bsClear);
        OnOverlayPaint(this);
        RestoreDC(DC, Saved2);
        C->Refresh();
    }
}

void TVuPaperImage::DrawDragOutline()
{
    TCanvas* C = Canvas();
    C->Lock();
    C->Pen()->SetMode(pmNot);
    C->Pen()->SetStyle(psDot);
    C->Brush()->SetStyle(bsClear);
    C->Rectangle(FDragRect);
    C->Pen()->SetMode(pmCopy);
    C->Pen()->SetStyle(psSolid);
    C->Unlock();
}

void TVuPaperImage::MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y)
{
    XYtoInchValuePoint(X, Y, FMousePoint.get());
    TGraphicControl::MouseDown(Button, Shift, X, Y);
    if (OnPageMouseDown)
        OnPageMouseDown(this, Button, Shift, FMousePoint->X(), FMousePoint->Y());
}

void TVuPaperImage::MouseMove(TShiftState Shift, Integer X, Integer Y)
{
    if (GetIsUpdating())
        return;
    TGraphicControl::MouseMove(Shift, X, Y);
    if (FDragging) {
        TRect Clip = PageRect();
        InflateRect(&Clip, -1, -1);
        HDC DC = Canvas()->Handle();
        const int Saved = SaveDC(DC);
        IntersectClipRect(DC, Clip.Left, Clip.Top, Clip.Right, Clip.Bottom);
        DrawDragOutline();
        FDragRect.Right = X;
        FDragRect.Bottom = Y;
        DrawDragOutline();
        RestoreDC(DC, Saved);
        Canvas()->Refresh();
    }
    XYtoInchValuePoint(X, Y, FMousePoint.get());
    if (OnPageMouseMove)
        OnPageMouseMove(this, Shift, FMousePoint->X(), FMousePoint->Y());
}

void TVuPaperImage::MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y)
{
    TGraphicControl::MouseUp(Button, Shift, X, Y);
    XYtoInchValuePoint(X, Y, FMousePoint.get());
    if (OnPageMouseUp)
        OnPageMouseUp(this, Button, Shift, FMousePoint->X(), FMousePoint->Y());
}

void TVuPaperImage::DragOver(TObject* Source, Integer X, Integer Y, TDragState State, bool& Accept)
{
    TGraphicControl::DragOver(Source, X, Y, State, Accept);
    XYtoInchValuePoint(X, Y, FDragPoint.get());
    if (OnPageDragOver)
        OnPageDragOver(this, Source, FDragPoint->X(), FDragPoint->Y(), State, Accept);
}

void TVuPaperImage::DragDrop(TObject* Source, Integer X, Integer Y)
{
    TGraphicControl::DragDrop(Source, X, Y);
    XYtoInchValuePoint(X, Y, FDragPoint.get());
    if (OnPageDragDrop)
        OnPageDragDrop(this, Source, FDragPoint->X(), FDragPoint->Y());
}

void TVuPaperImage::WndProc(TMessage& Message)
{
    if (Message.Msg == CM_MOUSEENTER && OnMouseEnter)
        OnMouseEnter(this);
    else if (Message.Msg == CM_MOUSELEAVE && OnMouseLeave)
        OnMouseLeave(this);
    TGraphicControl::WndProc(Message);
}
