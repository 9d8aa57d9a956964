#include "print/VuPreview.h"

#include "platform/forms/Forms.h"
#include "platform/rtl/Conversions.h"
#include "platform/rtl/Filer.h"
#include "platform/rtl/Guards.h"
#include "platform/rtl/StringLists.h"

#include <algorithm>
#include <cstdio>

namespace {

Integer RoundInt(Extended V)
{
    return static_cast<Integer>(VuRound(V));
}

// Registers the zoom tools' cursors once; the program has no cursor pictures of its own, so
// the system's cross and size cursors stand in.
void RegisterZoomCursors()
{
    if (!Screen)
        return;
    Screen->SetCursors(crVuZoomIn, LoadCursor(nullptr, reinterpret_cast<const char*>(uintptr_t(IDC_CROSS))));
    Screen->SetCursors(crVuZoomOut,
                       LoadCursor(nullptr, reinterpret_cast<const char*>(uintptr_t(IDC_SIZEALL))));
}

} // namespace

TVuPreview::TVuPreview(TComponent* AOwner)
    : TVuScrollingPageControl(AOwner), FDocument(std::make_unique<TVuPageList>()),
      FPageGrid(std::make_unique<TVuPageGrid>()), FShadow(std::make_unique<TVuShadow>()),
      FSelectionPen(std::make_unique<TPen>())
{
    RegisterZoomCursors();
    SetBounds(0, 0, 240, 300);
    SetTabStop(true);
    // The scroll ranges follow the page, not the children.
    DisableAutoRange();
    FSelectionPen->SetWidth(1);
    FSelectionPen->SetColor(255);

    FPaperImage = New<TVuPaperImage>(this);
    FPaperImage->SetParent(this);
    FPaperImage->SetMargins(FDocument->Margins());
    FPaperImage->SetGrid(FPageGrid.get());
    FPaperImage->SetShadow(FShadow.get());
    FPaperImage->OnMouseDown = [this](TObject*, TMouseButton B, TShiftState S, Integer X, Integer Y) {
        ImageMouseDown(B, S, X, Y);
    };
    FPaperImage->OnMouseMove = [this](TObject*, TShiftState S, Integer X, Integer Y) {
        ImageMouseMove(S, X, Y);
    };
    FPaperImage->OnMouseUp = [this](TObject*, TMouseButton B, TShiftState S, Integer X, Integer Y) {
        ImageMouseUp(B, S, X, Y);
    };
    FPaperImage->OnPageMouseDown = [this](TObject*, TMouseButton B, TShiftState S, TVuValue* X, TVuValue* Y) {
        FLastPagePoint = VuPoint(X->GetAsInches(), Y->GetAsInches());
        if (OnPageMouseDown)
            OnPageMouseDown(this, B, S, X, Y);
        if (OnObjectMouseDown)
            if (TVuVisibleObject* O = VuObjectAtPos(X->GetAsInches(), Y->GetAsInches(), vuInches))
                OnObjectMouseDown(this, B, S, X, Y, O);
    };
    FPaperImage->OnPageMouseMove = [this](TObject*, TShiftState S, TVuValue* X, TVuValue* Y) {
        FLastPagePoint = VuPoint(X->GetAsInches(), Y->GetAsInches());
        if (OnPageMouseMove)
            OnPageMouseMove(this, S, X, Y);
    };
    FPaperImage->OnPageMouseUp = [this](TObject*, TMouseButton B, TShiftState S, TVuValue* X, TVuValue* Y) {
        if (OnPageMouseUp)
            OnPageMouseUp(this, B, S, X, Y);
    };
    FPaperImage->OnPageDragOver = [this](TObject*, TObject* Src, TVuValue* X, TVuValue* Y, TDragState St,
                                         bool& Accept) {
        if (OnPageDragOver)
            OnPageDragOver(this, Src, X, Y, St, Accept);
    };
    FPaperImage->OnPageDragDrop = [this](TObject*, TObject* Src, TVuValue* X, TVuValue* Y) {
        if (OnPageDragDrop)
            OnPageDragDrop(this, Src, X, Y);
    };
    FPaperImage->OnDragOver = [this](TObject*, TObject* Src, Integer X, Integer Y, TDragState St,
                                     bool& Accept) {
        if (OnDragOver)
            OnDragOver(this, Src, X, Y, St, Accept);
    };
    FPaperImage->OnDragDrop = [this](TObject*, TObject* Src, Integer X, Integer Y) {
        if (OnDragDrop)
            OnDragDrop(this, Src, X, Y);
    };
    FPaperImage->OnMouseEnter = [this](TObject*) {
        if (OnMouseEnter)
            OnMouseEnter(this);
    };
    FPaperImage->OnMouseLeave = [this](TObject*) {
        StopPanning();
        if (OnMouseLeave)
            OnMouseLeave(this);
    };
    FPaperImage->OnOverlayPaint = [this](TObject*) { OverlayPaint(); };

    FDocument->AddPage();
    ShowCurrentPage();
    FCanvas = FDocument->Canvas();
    WireDocument();
    UpdateScrollBars();
}

TVuPreview::~TVuPreview()
{
    for (TComponent* C : FAssociated)
        C->RemoveFreeNotification(this);
    FAssociated.clear();
    // The paper image refers to the grid, shadow and page held here: it goes first.
    FPaperImage->Free();
    FPaperImage = nullptr;
    FDocument->Printer()->AfterPrint = nullptr;
    FDocument->Printer()->BeforePrint = nullptr;
    FDocument->Printer()->OnAbortPrint = nullptr;
    FDocument->Printer()->OnChangePrinter = nullptr;
    FDocument->OnBeforeLoad = nullptr;
    FDocument->OnNeedRichEdit = nullptr;
    FDocument->OnPrintProgress = nullptr;
    for (TVuDocumentEvent* E :
         {&FDocument->OnClear, &FDocument->OnHeaderFooterChanged, &FDocument->OnNewPage,
          &FDocument->OnOrientationChanged, &FDocument->OnPageContentChanged, &FDocument->OnMarginsChanged,
          &FDocument->OnPageNumChanging, &FDocument->OnPageCountChanged, &FDocument->OnPageNumChanged,
          &FDocument->OnPaperSizeChanged})
        *E = nullptr;
    FDocument.reset();
}

void TVuPreview::WireDocument()
{
    TVuPageList* D = FDocument.get();
    D->OnOrientationChanged = [this](TVuPageList*) {
        MessageToControls(VU_ORIENTATIONCHANGED);
        Invalidate();
        if (OnOrientationChanged)
            OnOrientationChanged(this);
    };
    D->OnPageContentChanged = [this](TVuPageList*) {
        FContentReported = true;
        ShowCurrentPage();
        UpdateScrollBars();
        MessageToControls(VU_PAGECONTENTCHANGED);
    };
    D->OnPageCountChanged = [this](TVuPageList*) { MessageToControls(VU_NUMPAGESCHANGED); };
    D->OnPageNumChanged = [this](TVuPageList*) {
        ShowCurrentPage();
        FSelectedObject = nullptr;
        if (OnPageChanged)
            OnPageChanged(this);
        MessageToControls(VU_PAGENUMCHANGED);
    };
    D->OnHeaderFooterChanged = [this](TVuPageList*) {
        FPaperImage->InvalidatePage();
        Invalidate();
        MessageToControls(VU_HEADERFOOTERCHANGED);
    };
    D->OnMarginsChanged = [this](TVuPageList*) {
        FPaperImage->InvalidatePage();
        MessageToControls(VU_HEADERFOOTERCHANGED);
    };
    D->OnPaperSizeChanged = [this](TVuPageList*) {
        ShowCurrentPage();
        UpdateScrollBars();
        MessageToControls(VU_PAPERSIZECHANGED);
    };
    D->OnBeforeLoad = [this](TVuPageList*, Extended Version, bool& LoadFile) {
        if (BeforeLoad)
            BeforeLoad(this, Version, LoadFile);
    };
    D->OnClear = [this](TVuPageList*) {
        if (OnClear)
            OnClear(this);
    };
    D->OnNeedRichEdit = [this](TVuPageList*, TCustomMemo*& RichEdit) {
        if (OnNeedRichEdit)
            OnNeedRichEdit(this, RichEdit);
    };
    D->OnPrintProgress = [this](TVuPageList*, Integer Printed, Integer Total) {
        if (OnPrintProgress)
            OnPrintProgress(this, Printed, Total);
    };
    D->OnNewPage = [this](TVuPageList*) {
        if (OnNewPage)
            OnNewPage(this);
        if (OnDrawHeader)
            OnDrawHeader(this, HeaderRect(), FDocument->Canvas());
        if (OnDrawFooter)
            OnDrawFooter(this, FooterRect(), FDocument->Canvas());
    };
    TVuPrinter* P = D->Printer();
    P->OnAbortPrint = [this](TObject*) {
        if (OnAbortPrint)
            OnAbortPrint(this);
    };
    P->AfterPrint = [this](TObject*) {
        if (AfterPrint)
            AfterPrint(this);
    };
    P->BeforePrint = [this](TObject*) {
        if (BeforePrint)
            BeforePrint(this);
    };
    P->OnChangePrinter = [this](TObject*) {
        MessageToControls(VU_PRINTERCHANGED);
        Invalidate();
    };
}

void TVuPreview::ShowCurrentPage()
{
    if (FPaperImage)
        FPaperImage->SetPage(GetCurrentPage());
}

// ---- Document ----

void TVuPreview::BeginUpdate()
{
    MessageToControls(VU_BEGINUPDATE);
    FDocument->BeginUpdate();
    FPaperImage->BeginUpdate();
}

void TVuPreview::EndUpdate()
{
    if (FDocument->UpdateCount() == 1) {
        // The closing end: the document reports its page count and content once more, which
        // the companions learn from VU_ENDUPDATE alone, so they rebuild once.
        FHoldMessages = true;
        TScopeExit Held([this] { FHoldMessages = false; });
        FDocument->EndUpdate();
    } else {
        FDocument->EndUpdate();
    }
    FPaperImage->EndUpdate();
    MessageToControls(VU_ENDUPDATE);
}

void TVuPreview::Clear()
{
    FSelectedObject = nullptr;
    FDocument->ClearPages(false, true);
    ShowCurrentPage();
}

TVuRect TVuPreview::GetAvailablePageVuRect(TVuMeasurement M)
{
    return ConvertVuRect(GetAvailablePageRect()->GetAsInchRect(), vuInches, M);
}

Extended TVuPreview::GetAvailablePageWidth(TVuMeasurement M)
{
    const TVuRect R = GetAvailablePageVuRect(M);
    return R.Right - R.Left;
}

Extended TVuPreview::GetAvailablePageHeight(TVuMeasurement M)
{
    const TVuRect R = GetAvailablePageVuRect(M);
    return R.Bottom - R.Top;
}

TVuSize TVuPreview::GetPageSize(TVuMeasurement M) const
{
    return ConvertVuSize(FDocument->DefaultPageSize(), vuInches, M);
}

Extended TVuPreview::GetPageWidth(TVuMeasurement M) const
{
    TVuPage* P = GetCurrentPage();
    return P ? P->GetPageSize(M).Width : 0;
}

Extended TVuPreview::GetPageHeight(TVuMeasurement M) const
{
    TVuPage* P = GetCurrentPage();
    return P ? P->GetPageSize(M).Height : 0;
}

TVuVisibleObject* TVuPreview::VuObjectAtPos(Extended X, Extended Y, TVuMeasurement M)
{
    TVuPage* P = GetCurrentPage();
    TVuBaseObject* O = nullptr;
    if (P && P->ObjectAtPos(X, Y, M, O))
        return dynamic_cast<TVuVisibleObject*>(O);
    return nullptr;
}

// ---- Printing ----

void TVuPreview::PrintRange(Integer From, Integer To)
{
    TUpdateBracket Update(this);
    FDocument->PrintRange(From, To);
}

void TVuPreview::PrintCurrentPage()
{
    FDocument->PrintPages({GetCurrentPageNum()});
}

// ---- Page set-up ----

void TVuPreview::SetOrientation(TVuOrientation Value)
{
    {
        TUpdateBracket Update(FPaperImage);
        FDocument->SetOrientation(Value);
    }
    ShowCurrentPage();
    UpdateScrollBars();
}

void TVuPreview::SetPagesPerSheet(TVuPagesPerSheet Value)
{
    FDocument->PagesPerSheet = Value;
    MessageToControls(VU_PAGESPERSHEETCHANGED);
}

void TVuPreview::SetCustomPageSize(Extended Width, Extended Height, TVuMeasurement M)
{
    FDocument->SetPageSize(Width, Height, M);
    TVuPrinter* P = FDocument->Printer();
    P->CustomPaperWidth = RoundInt(ConvertValue(Width, M, vuMillimeters) * 10);
    P->CustomPaperLength = RoundInt(ConvertValue(Height, M, vuMillimeters) * 10);
    SetPaperSize(Custom);
}

void TVuPreview::PaperSizes(TStrings* Strings)
{
    Strings->BeginUpdate();
    Strings->Clear();
    for (Integer I = A3; I <= Executive; ++I)
        Strings->Add(PaperSizeToStr(static_cast<TVuPaperSize>(I)));
    Strings->EndUpdate();
}

AnsiString TVuPreview::Tokenize(const AnsiString& Text, Integer PageNum)
{
    return ::Tokenize(Text, PageNum, GetNumPages(), GlobalDateTokenFormat, GlobalTimeTokenFormat);
}

// ---- Files ----

bool TVuPreview::SaveToFile(const AnsiString& FileName)
{
    const AnsiString Temp = FileName + ".part";
    // The partial file goes on every way out but the rename.
    TScopeExit Discard([&Temp] { std::remove(Temp.c_str()); });
    try {
        {
            TFileStream S(Temp, fmCreate);
            SaveToStream(&S);
        }
        if (std::rename(Temp.c_str(), FileName.c_str()) != 0)
            return false;
        Discard.Dismiss();
        return true;
    } catch (...) {
        // Callers learn of a failed save from the result; none expects an exception here.
        return false;
    }
}

void TVuPreview::LoadFromStream(TStream* Stream)
{
    FSelectedObject = nullptr;
    FDocument->LoadFromStream(Stream);
    ShowCurrentPage();
    UpdateScrollBars();
}

bool TVuPreview::LoadFromFile(const AnsiString& FileName)
{
    try {
        TFileStream S(FileName, fmOpenRead);
        LoadFromStream(&S);
        return true;
    } catch (...) {
        // Any unreadable file is answered with false and the page shown again, never raised.
        ShowCurrentPage();
        return false;
    }
}

Extended TVuPreview::GetFileVersion(const AnsiString& FileName)
{
    try {
        TFileStream S(FileName, fmOpenRead);
        return TVuPageList::ReadStreamVersion(&S);
    } catch (...) {
        // A file that cannot be read has no version: 0, as for one without the block.
        return 0;
    }
}

// ---- Form property ----

AnsiString TVuPreview::MarginValuesText()
{
    TVuMargins* M = GetMargins();
    TStringList L;
    for (TVuValue* V : {M->Left(), M->Top(), M->Right(), M->Bottom()})
        L.Add(IntToStr(V->GetAsTwips()));
    L.Add(PenToString(M->Pen()));
    L.Add(PenToString(M->PrinterMarginPen()));
    return L.CommaText();
}

void TVuPreview::SetMarginValuesText(const AnsiString& Text)
{
    TVuMargins* M = GetMargins();
    TStringList L;
    L.SetCommaText(Text);
    TVuValue* Sides[] = {M->Left(), M->Top(), M->Right(), M->Bottom()};
    for (Integer I = 0; I < 4 && I < L.Count(); ++I) {
        Integer Twips = 0;
        if (TryStrToInt(L.Strings(I), Twips))
            Sides[I]->SetAsTwips(Twips);
    }
    // A list of five once failed on the missing sixth; each pen is read when it is there.
    if (L.Count() > 4)
        PenFromString(M->Pen(), L.Strings(4));
    if (L.Count() > 5)
        PenFromString(M->PrinterMarginPen(), L.Strings(5));
}

void TVuPreview::DefineProperties(TFiler* Filer)
{
    TVuScrollingPageControl::DefineProperties(Filer);
    Filer->DefineProperty(
        "MarginValues", [this](TReader* Reader) { SetMarginValuesText(Reader->ReadString()); },
        [this](TWriter* Writer) { Writer->WriteString(MarginValuesText()); }, true);
}

// ---- Zoom ----

void TVuPreview::SetZoom(Integer Value)
{
    Value = std::max(FMinZoom, std::min(Value, FMaxZoom));
    if (Value == Zoom())
        return;
    SaveScrollPos();
    FPaperImage->SetZoom(Value);
    UpdateScrollBars();
    LoadScrollPos();
}

void TVuPreview::SetMaxZoom(Integer Value)
{
    if (Value == FMaxZoom)
        return;
    FMaxZoom = Value < FMinZoom ? FMinZoom : Value;
    if (Zoom() > FMaxZoom)
        SetZoom(FMaxZoom);
}

void TVuPreview::SetMinZoom(Integer Value)
{
    if (Value == FMinZoom)
        return;
    FMinZoom = Value > FMaxZoom ? FMaxZoom : Value;
    if (Zoom() < FMinZoom)
        SetZoom(FMinZoom);
}

void TVuPreview::ZoomIn()
{
    if (FZoomStyle == vuFixedZoom) {
        SetZoom(Zoom() + FZoomIncrement);
        return;
    }
    for (Integer Z : VU_VARIABLE_ZOOM)
        if (Z > Zoom()) {
            SetZoom(Z);
            return;
        }
}

void TVuPreview::ZoomOut()
{
    if (FZoomStyle == vuFixedZoom) {
        SetZoom(Zoom() - FZoomIncrement);
        return;
    }
    for (Integer I = std::size(VU_VARIABLE_ZOOM) - 1; I >= 0; --I)
        if (VU_VARIABLE_ZOOM[I] < Zoom()) {
            SetZoom(VU_VARIABLE_ZOOM[I]);
            return;
        }
}

void TVuPreview::FitWidth()
{
    const TRect G = FPaperImage->Gutters();
    const Extended W = GetPageWidth(vuInches);
    if (W <= 0)
        return;
    SetZoom(RoundInt((Width() - G.Left - G.Right - 20) / (W * 96) * 100));
    // The allowance above is not always the width the vertical scroll bar and the border take:
    // the page is made smaller until it fits beside them, so that no horizontal bar appears
    // for the last few pixels.
    while (Zoom() > MinZoom() && HorzScrollBar()->IsScrollBarVisible())
        SetZoom(Zoom() - 1);
}

void TVuPreview::FitHeight()
{
    const TRect G = FPaperImage->Gutters();
    const Extended H = GetPageHeight(vuInches);
    if (H > 0)
        SetZoom(RoundInt((Height() - G.Top - G.Bottom - 20) / (H * 96) * 100));
}

void TVuPreview::FitWholePage()
{
    const TRect G = FPaperImage->Gutters();
    const Extended W = GetPageWidth(vuInches), H = GetPageHeight(vuInches);
    if (W > 0 && H > 0) {
        const Extended Sw = (Width() - G.Left - G.Right - 20) / (W * 96);
        const Extended Sh = (Height() - G.Top - G.Bottom - 20) / (H * 96);
        SetZoom(RoundInt(std::min(Sw, Sh) * 100));
    }
}

void TVuPreview::ZoomToArea(const TRect& Rect)
{
    const Integer W = std::abs(Rect.Width()), H = std::abs(Rect.Height());
    const Integer CW = ClientWidth(), CH = ClientHeight();
    if (W == 0 || H == 0 || CW <= 0 || CH <= 0)
        return;
    const TVuPoint A = FPaperImage->XYtoInchPoint(Rect.Left, Rect.Top);
    const TVuPoint B = FPaperImage->XYtoInchPoint(Rect.Right, Rect.Bottom);
    const Extended S = std::max(Extended(W) / CW, Extended(H) / CH);
    const Integer Old = Zoom();
    SetZoom(RoundInt(Old / S));
    const Integer New = Zoom();
    const Extended K = Extended(Old) / New;
    const Integer AW = RoundInt(W / K), AH = RoundInt(H / K);
    const Extended X = std::min(A.X, B.X), Y = std::min(A.Y, B.Y);
    const TRect G = FPaperImage->Gutters();
    HorzScrollBar()->SetPosition(G.Left + RoundInt(New / 100.0L * X * 96) - (CW - AW) / 2);
    VertScrollBar()->SetPosition(RoundInt(New / 100.0L * Y * 96) + G.Top - (CH - AH) / 2);
}

void TVuPreview::SetGutter(Integer Value)
{
    FPaperImage->SetGutters(TRect{Value, Value, Value, Value});
    UpdateScrollBars();
}

// ---- Scrolling ----

void TVuPreview::PlacePaperImage()
{
    if (!FPaperImage)
        return;
    const TRect C = ClientRect();
    const Integer W = std::max(HorzScrollBar()->Range(), C.Width());
    const Integer H = std::max(VertScrollBar()->Range(), C.Height());
    FPaperImage->SetBounds(-HorzScrollBar()->Position(), -VertScrollBar()->Position(), W, H);
}

void TVuPreview::AlignControls(TControl* AControl, TRect& Rect)
{
    TVuScrollingPageControl::AlignControls(AControl, Rect);
    PlacePaperImage();
}

void TVuPreview::UpdateScrollBars()
{
    if (!FPaperImage)
        return;
    const TSize E = FPaperImage->GetPageExtent(96);
    const TRect G = FPaperImage->Gutters();
    HorzScrollBar()->SetRange(G.Left + E.cx + G.Right);
    VertScrollBar()->SetRange(G.Top + E.cy + G.Bottom);
    PlacePaperImage();
    Realign();
    Invalidate();
}

void TVuPreview::SaveScrollPos()
{
    auto Percent = [](TControlScrollBar* Bar, Integer Client) -> Extended {
        const Integer Span = Bar->Range() - Client;
        return Span > 0 ? Extended(Bar->Position()) / Span * 100 : 0;
    };
    FSavedHorz = Percent(HorzScrollBar(), ClientWidth());
    FSavedVert = Percent(VertScrollBar(), ClientHeight());
}

void TVuPreview::ScrollToPosition(Extended Horizontal, Extended Vertical)
{
    HorzScrollBar()->SetPosition(RoundInt((HorzScrollBar()->Range() - ClientWidth()) * Horizontal / 100));
    VertScrollBar()->SetPosition(RoundInt((VertScrollBar()->Range() - ClientHeight()) * Vertical / 100));
}

void TVuPreview::CenterOnClick(Integer X, Integer Y)
{
    HorzScrollBar()->SetPosition(X - Width() / 2);
    VertScrollBar()->SetPosition(Y - Height() / 2);
}

TControlScrollBar* TVuPreview::ActiveBar()
{
    if (VertScrollBar()->IsScrollBarVisible())
        return VertScrollBar();
    if (HorzScrollBar()->IsScrollBarVisible())
        return HorzScrollBar();
    return nullptr;
}

bool TVuPreview::DoMouseWheel(TShiftState Shift, Integer WheelDelta, TPoint MousePos)
{
    if (TControlScrollBar* Bar = ActiveBar())
        Bar->SetPosition(Bar->Position() + (WheelDelta <= 0 ? Bar->Increment() : -Bar->Increment()));
    TVuScrollingPageControl::DoMouseWheel(Shift, WheelDelta, MousePos);
    // The wheel scrolled this control: it goes no further up the parents.
    return true;
}

void TVuPreview::KeyDown(Word& Key, TShiftState Shift)
{
    if (TControlScrollBar* Bar = ActiveBar()) {
        switch (Key) {
        case VK_PRIOR:
            Bar->SetPosition(Bar->Position() - 10 * Bar->Increment());
            break;
        case VK_NEXT:
            Bar->SetPosition(Bar->Position() + 10 * Bar->Increment());
            break;
        case VK_END:
            Perform(WM_VSCROLL, SB_BOTTOM, 0);
            Perform(WM_HSCROLL, SB_RIGHT, 0);
            break;
        case VK_HOME:
            Perform(WM_VSCROLL, SB_TOP, 0);
            Perform(WM_HSCROLL, SB_LEFT, 0);
            break;
        case VK_LEFT:
            Perform(WM_HSCROLL, SB_LINELEFT, 0);
            break;
        case VK_UP:
            Perform(WM_VSCROLL, SB_LINEUP, 0);
            break;
        case VK_RIGHT:
            Perform(WM_HSCROLL, SB_LINERIGHT, 0);
            break;
        case VK_DOWN:
            Perform(WM_VSCROLL, SB_LINEDOWN, 0);
            break;
        default:
            break;
        }
    }
    TVuScrollingPageControl::KeyDown(Key, Shift);
}

TPoint TVuPreview::CursorInClient()
{
    POINT P{};
    GetCursorPos(&P);
    return ScreenToClient(P);
}

void TVuPreview::StartPanning()
{
    if (FPanning)
        return;
    FPanning = true;
    FPanStart = CursorInClient();
    FPanHorz = HorzScrollBar()->Position();
    FPanVert = VertScrollBar()->Position();
    if (Screen)
        Screen->SetCursor(crHandPoint);
}

void TVuPreview::StopPanning()
{
    if (!FPanning)
        return;
    FPanning = false;
    if (Screen)
        Screen->SetCursor(crDefault);
}

void TVuPreview::SetCursor(TVuCursor Cursor)
{
    switch (Cursor) {
    case vuZoomIn:
        TVuScrollingPageControl::SetCursor(crVuZoomIn);
        break;
    case vuZoomOut:
        TVuScrollingPageControl::SetCursor(crVuZoomOut);
        break;
    default:
        TVuScrollingPageControl::SetCursor(crDefault);
        break;
    }
}

// ---- Selection and dragging ----

void TVuPreview::SelectVuObject(TVuVisibleObject* Object)
{
    FSelectedObject = Object;
    if (FShowSelection)
        FPaperImage->Invalidate();
}

void TVuPreview::SetShowSelection(bool Value)
{
    if (Value != FShowSelection) {
        FShowSelection = Value;
        FPaperImage->Invalidate();
    }
}

void TVuPreview::DeleteSelectedVuObject()
{
    if (!FSelectedObject)
        return;
    TVuVisibleObject* O = FSelectedObject;
    FSelectedObject = nullptr;
    if (TVuPage* P = GetCurrentPage())
        P->DeleteVuObject(O);
}

TRect TVuPreview::VuObjectRect(TVuVisibleObject* Object)
{
    if (!Object)
        return TRect{};
    TVuObjectDrawData DD;
    DD.Page = GetCurrentPageNum();
    DD.PpiX = DD.PpiY = 96;
    DD.NumPages = GetNumPages();
    TRect R = ScaleRect(VuRectPointsToRect(Object->BoundingRect(DD)), Zoom() / 100.0L);
    const TRect P = FPaperImage->PageRect();
    OffsetRect(&R, P.Left - HorzScrollBar()->Position(), P.Top - VertScrollBar()->Position());
    R.Left -= 1;
    R.Top -= 1;
    return R;
}

void TVuPreview::DragVuObjectStart(TVuVisibleObject* Object)
{
    if (!Object || !Object->DragEnabled)
        return;
    FDraggingObject = true;
    FSelectedObject = Object;
    FDragStartPoint = FLastPagePoint;
    FObjectFrame = VuObjectRect(Object);
    FLastFrame = TRect{};
    FPaperImage->Invalidate();
}

void TVuPreview::DragVuObjectEnd()
{
    FDraggingObject = false;
    FContentReported = false;
    if (FSelectedObject)
        FSelectedObject->OffsetObject(FLastPagePoint.X - FDragStartPoint.X,
                                      FLastPagePoint.Y - FDragStartPoint.Y, vuInches);
    FLastFrame = TRect{};
    FPaperImage->InvalidatePage();
    // A moved object normally reports through its page; the companions hear of it once.
    if (!FContentReported)
        MessageToControls(VU_PAGECONTENTCHANGED);
}

void TVuPreview::DrawObjectFrame(const TRect& Frame)
{
    TCanvas* C = FPaperImage->Canvas();
    HDC DC = C->Handle();
    const int Saved = SaveDC(DC);
    POINT Org{};
    GetViewportOrgEx(DC, &Org);
    // The frame is in this control's client coordinates.
    SetViewportOrgEx(DC, Org.X - FPaperImage->Left(), Org.Y - FPaperImage->Top(), nullptr);
    C->Brush()->SetStyle(bsClear);
    C->Pen()->SetMode(pmNot);
    C->Pen()->SetStyle(psDot);
    C->Pen()->SetWidth(1);
    C->Rectangle(Frame);
    C->Pen()->SetMode(pmCopy);
    C->Pen()->SetStyle(psSolid);
    RestoreDC(DC, Saved);
    C->Refresh();
}

void TVuPreview::OverlayPaint()
{
    if (!FSelectedObject || !FShowSelection)
        return;
    TCanvas* C = FPaperImage->Canvas();
    C->SetPen(FSelectionPen.get());
    TRect R = VuObjectRect(FSelectedObject);
    const Integer D = RoundInt(Zoom() / 100.0L * 10);
    InflateRect(&R, D, D);
    R.Right += 1;
    R.Bottom += 1;
    C->Rectangle(R);
}

void TVuPreview::DragDrawZoom()
{
    if (!FPaperImage->IsDragging())
        return;
    FPaperImage->DragDrawStop();
    const TRect D = FPaperImage->DragRect();
    ZoomToArea(TRect{std::min(D.Left, D.Right), std::min(D.Top, D.Bottom), std::max(D.Left, D.Right),
                     std::max(D.Top, D.Bottom)});
}

void TVuPreview::DragDrawToCanvas()
{
    if (!FPaperImage->IsDragging())
        return;
    FPaperImage->DragDrawStop();
    const TVuRect R = FPaperImage->GetDragDrawInchRect();
    if (R.Left == R.Right && R.Top == R.Bottom)
        return;
    TVuCanvas* C = FDocument->Canvas();
    switch (FPaperImage->DragShape()) {
    case vuDragLine:
        C->Line(R.Left, R.Top, R.Right, R.Bottom, vuInches);
        break;
    case vuDragEllipse:
        C->Ellipse(R.Left, R.Top, R.Right, R.Bottom, vuInches);
        break;
    case vuDragRectangle:
        C->Rectangle(R.Left, R.Top, R.Right, R.Bottom, vuInches);
        break;
    default:
        break;
    }
}

// ---- Mouse routing from the paper image ----

void TVuPreview::ImageMouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y)
{
    if (CanFocus())
        SetFocus();
    FMouseDownPoint = TPoint{X, Y};
    if (OnMouseDown)
        OnMouseDown(this, Button, Shift, X, Y);
}

void TVuPreview::ImageMouseMove(TShiftState Shift, Integer X, Integer Y)
{
    if (OnMouseMove)
        OnMouseMove(this, Shift, X, Y);
    if (FPanning) {
        const TPoint P = CursorInClient();
        HorzScrollBar()->SetPosition(FPanHorz + (FPanStart.X - P.X));
        VertScrollBar()->SetPosition(FPanVert + (FPanStart.Y - P.Y));
    }
    if (FDraggingObject) {
        if (FLastFrame.Width() || FLastFrame.Height())
            DrawObjectFrame(FLastFrame);
        TRect F = FObjectFrame;
        OffsetRect(&F, X - FMouseDownPoint.X, Y - FMouseDownPoint.Y);
        DrawObjectFrame(F);
        FLastFrame = F;
    }
}

void TVuPreview::ImageMouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y)
{
    StopPanning();
    if (FDraggingObject)
        DragVuObjectEnd();
    if (OnMouseUp)
        OnMouseUp(this, Button, Shift, X, Y);
}

// ---- Companions ----

void TVuPreview::AddAssociatedComponent(TComponent* Component)
{
    if (!Component || std::find(FAssociated.begin(), FAssociated.end(), Component) != FAssociated.end())
        return;
    FAssociated.push_back(Component);
    Component->FreeNotification(this);
}

void TVuPreview::RemoveAssociatedComponent(TComponent* Component)
{
    auto It = std::find(FAssociated.begin(), FAssociated.end(), Component);
    if (It != FAssociated.end()) {
        FAssociated.erase(It);
        Component->RemoveFreeNotification(this);
    }
}

void TVuPreview::Notification(TComponent* AComponent, TOperation Operation)
{
    TVuScrollingPageControl::Notification(AComponent, Operation);
    if (Operation == opRemove)
        FAssociated.erase(std::remove(FAssociated.begin(), FAssociated.end(), AComponent), FAssociated.end());
}

void TVuPreview::MessageToControls(UINT Msg, WPARAM WParam, LPARAM LParam)
{
    if (GetIsUpdating() || FHoldMessages)
        return;
    // A receiver may register or unregister companions while handling the message.
    const std::vector<TComponent*> Receivers = FAssociated;
    for (TComponent* C : Receivers) {
        if (std::find(FAssociated.begin(), FAssociated.end(), C) == FAssociated.end())
            continue;
        if (auto* W = dynamic_cast<TWinControl*>(C); W && W->Parent())
            SendMessage(W->Handle(), Msg, WParam, LParam);
    }
}

void TVuPreview::WndProc(TMessage& Message)
{
    switch (Message.Msg) {
    case WM_GETDLGCODE:
        Message.Result = DLGC_WANTARROWS;
        return;
    case CM_MOUSELEAVE:
        StopPanning();
        break;
    default:
        break;
    }
    TVuScrollingPageControl::WndProc(Message);
    if (Message.Msg == WM_SIZE)
        UpdateScrollBars();
}
