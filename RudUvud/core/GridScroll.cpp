// Scroll bars and scrolling: the bars the grid offers, the flat bars of the common controls, the
// proportional thumbs, scroll hints, the scroll messages (with the cell scroll bar and the search
// footer), drag scrolling, and the small look setters kept with this code.

#include "RudUvud/core/RudUvud.h"

#include "RudUvud/core/GridCoreState.h"
#include "RudUvud/core/GridScrollState.h"
#include "RudUvud/edit/GridPaintState.h"

#include "platform/forms/ExtCtrls.h"
#include "platform/rtl/Conversions.h"
#include "platform/win/CommCtrl.h"
#include "platform/win/UxTheme.h"

#include <cmath>

namespace {

constexpr const char* CommonControlsModule = "comctl32.dll";

// A function of the common controls module, looked up at call time; null when the module or
// the function is missing.
template <class F> F* CommonControlsFunction(const char* Name)
{
    HMODULE M = ::GetModuleHandle(CommonControlsModule);
    return M ? reinterpret_cast<F*>(::GetProcAddress(M, Name)) : nullptr;
}

bool HasHorizontal(TScrollStyle S)
{
    return S == ssHorizontal || S == ssBoth;
}

bool HasVertical(TScrollStyle S)
{
    return S == ssVertical || S == ssBoth;
}

// Nearest integer, ties to even.
Integer RoundEven(double V)
{
    return static_cast<Integer>(std::nearbyint(V));
}

} // namespace

// ---- Properties ------------------------------------------------------------------------------------

TScrollStyle TDidAririzEvar::GetScrollBarsEx() const
{
    return FScroll.ScrollBars;
}

void TDidAririzEvar::SetScrollBarsEx(TScrollStyle Value)
{
    FScroll.ScrollBars = Value;
    TBaseGrid::SetScrollBars(Value);
}

void TDidAririzEvar::SetScrollType(TScrollType Value)
{
    if (FScroll.ScrollType != Value) {
        FScroll.ScrollType = Value;
        if (Value == ssFlat || Value == ssEncarta) {
            FlatInit();
            FlatUpdate();
        } else {
            FlatDone();
        }
    }
    UpdateType();
}

TColor TDidAririzEvar::ScrollColor() const
{
    return FScroll.ScrollColor;
}

void TDidAririzEvar::SetScrollColor(TColor Value)
{
    FScroll.ScrollColor = Value;
    UpdateColor();
}

void TDidAririzEvar::SetScrollWidth(Integer Value)
{
    FScroll.ScrollWidth = Value;
    UpdateWidth();
}

bool TDidAririzEvar::ScrollProportional() const
{
    return FScroll.ScrollProportional;
}

void TDidAririzEvar::SetScrollProportional(bool Value)
{
    const bool Was = FScroll.ScrollProportional;
    FScroll.ScrollProportional = Value;
    // Switched off, the window bars lose the page the proportional thumbs gave them.
    if (Was && !Value && HandleAllocated()) {
        SCROLLINFO Si;
        Si.fMask = SIF_PAGE;
        Si.nPage = 0;
        ::SetScrollInfo(Handle(), SB_VERT, &Si, TRUE);
        ::SetScrollInfo(Handle(), SB_HORZ, &Si, TRUE);
        UpdateScrollRange();
    }
}

bool TDidAririzEvar::ScrollSynch() const
{
    return FScroll.ScrollSynch;
}

void TDidAririzEvar::SetScrollSynch(bool Value)
{
    FScroll.ScrollSynch = Value;
}

TScrollHintType TDidAririzEvar::ScrollHints() const
{
    return FScroll.ScrollHints;
}

void TDidAririzEvar::SetScrollHints(TScrollHintType Value)
{
    FScroll.ScrollHints = Value;
}

TColor TDidAririzEvar::HintColor() const
{
    return FCore.HintColor;
}

void TDidAririzEvar::SetHintColor(TColor Value)
{
    FCore.HintColor = Value;
}

void TDidAririzEvar::SetDragScrollOptions(TDragScrollOptions* Value)
{
    FDragScrollOptions->Assign(Value);
}

bool TDidAririzEvar::FlatSBInit() const
{
    return FScroll.FlatSBInit;
}

bool TDidAririzEvar::ScrollHintShown() const
{
    return FScroll.ScrollHintShown;
}

void TDidAririzEvar::SetZooming(bool Value)
{
    FScroll.Zooming = Value;
}

// ---- Flat scroll bars ------------------------------------------------------------------------------

void TDidAririzEvar::FlatInit()
{
    if (!HandleAllocated())
        return;
    if (!::GetModuleHandle(CommonControlsModule))
        return;
    auto* Init = CommonControlsFunction<BOOL(HWND)>("InitializeFlatSB");
    FScroll.FlatSBInit = Init != nullptr;
    if (Init)
        Init(Handle());
}

void TDidAririzEvar::FlatDone()
{
    FScroll.FlatSBInit = false;
    if (!HandleAllocated())
        return;
    if (auto* Done = CommonControlsFunction<HRESULT(HWND)>("UninitializeFlatSB"))
        Done(Handle());
}

Integer TDidAririzEvar::FlatSetScrollInfo(int Bar, SCROLLINFO& ScrollInfo, bool Redraw)
{
    auto* Set = CommonControlsFunction<int(HWND, int, SCROLLINFO*, BOOL)>("FlatSB_SetScrollInfo");
    if (!Set || !HandleAllocated())
        return 0;
    return Set(Handle(), Bar, &ScrollInfo, Redraw ? TRUE : FALSE);
}

void TDidAririzEvar::FlatSetScrollProp(Integer Index, Integer NewValue, bool Redraw)
{
    if (!FScroll.FlatSBInit || !HandleAllocated())
        return;
    if (auto* Set = CommonControlsFunction<BOOL(HWND, UINT, LONG_PTR, BOOL)>("FlatSB_SetScrollProp"))
        Set(Handle(), static_cast<UINT>(Index), static_cast<LONG_PTR>(NewValue), Redraw ? TRUE : FALSE);
}

void TDidAririzEvar::FlatShowScrollBar(int Bar, bool Show)
{
    if (!FScroll.FlatSBInit || !HandleAllocated())
        return;
    if (Bar == SB_HORZ && !HasHorizontal(FScroll.ScrollBars))
        return;
    if (Bar == SB_VERT && !HasVertical(FScroll.ScrollBars))
        return;
    if (auto* ShowBar = CommonControlsFunction<BOOL(HWND, int, BOOL)>("FlatSB_ShowScrollBar"))
        ShowBar(Handle(), Bar, Show ? TRUE : FALSE);
}

void TDidAririzEvar::UpdateType()
{
    const Integer Mode = FScroll.ScrollType == ssFlat      ? FSB_FLAT_MODE
                         : FScroll.ScrollType == ssEncarta ? FSB_ENCARTA_MODE
                                                           : FSB_REGULAR_MODE;
    FlatSetScrollProp(WSB_PROP_VSTYLE, Mode, true);
    FlatSetScrollProp(WSB_PROP_HSTYLE, Mode, true);
}

void TDidAririzEvar::UpdateColor()
{
    if (FScroll.ScrollColor == clNone)
        return;
    FlatSetScrollProp(WSB_PROP_VBKGCOLOR, static_cast<Integer>(FScroll.ScrollColor), true);
    FlatSetScrollProp(WSB_PROP_HBKGCOLOR, static_cast<Integer>(FScroll.ScrollColor), true);
}

void TDidAririzEvar::UpdateWidth()
{
    FlatSetScrollProp(WSB_PROP_CXVSCROLL, FScroll.ScrollWidth, true);
    FlatSetScrollProp(WSB_PROP_CYHSCROLL, FScroll.ScrollWidth, true);
}

void TDidAririzEvar::FlatUpdate()
{
    UpdateType();
    UpdateColor();
    UpdateWidth();
    if (VisibleRowCount() + FixedRows() < RowCount()) {
        FlatShowScrollBar(SB_VERT, true);
        UpdateVScrollBar();
    } else {
        FlatShowScrollBar(SB_VERT, false);
    }
    if (VisibleColCount() + FixedCols() < ColCount()) {
        FlatShowScrollBar(SB_HORZ, true);
        UpdateHScrollBar();
    } else {
        FlatShowScrollBar(SB_HORZ, false);
    }
}

void TDidAririzEvar::UpdateVScrollBar()
{
    if (!HasVertical(FScroll.ScrollBars) || !FScroll.FlatSBInit || !HandleAllocated())
        return;
    SCROLLINFO Si;
    Si.fMask = SIF_ALL;
    ::GetScrollInfo(Handle(), SB_VERT, &Si);
    FlatSetScrollInfo(SB_VERT, Si, true);
}

void TDidAririzEvar::UpdateHScrollBar()
{
    if (!HasHorizontal(FScroll.ScrollBars) || !FScroll.FlatSBInit || !HandleAllocated())
        return;
    SCROLLINFO Si;
    Si.fMask = SIF_ALL;
    ::GetScrollInfo(Handle(), SB_HORZ, &Si);
    FlatSetScrollInfo(SB_HORZ, Si, true);
}

// ---- Proportional thumbs ---------------------------------------------------------------------------
//
// The thumb of a bar on the 0..127 scale is as long as the share of the scrollable extent that
// the client shows: with Ratio = shown / total, the range is (Ratio + 127) / (1 - Ratio) and the
// page is the range less 126, so that the positions stay 0..127. The sums of row heights and
// column widths come from the size tables' running sums.

void TDidAririzEvar::UpdateVScroller()
{
    if (ComponentState().Contains(csLoading) || ComponentState().Contains(csDesigning) ||
        !FScroll.ScrollProportional || FScroll.Zooming || !HandleAllocated())
        return;
    SCROLLINFO Si{};
    Si.cbSize = sizeof(SCROLLINFO);
    Si.fMask = SIF_ALL;
    ::GetScrollInfo(Handle(), SB_VERT, &Si);
    const Int64 L = GridLineWidth();
    const TGridAxis& Rows = RowAxis();
    const Int64 FR = FixedRows(), RC = RowCount(), Top = TopRow();
    const Int64 FixedH = L + Rows.Offset(static_cast<Integer>(FR)) + FR * L;
    const Int64 Total =
        L + Rows.Offset(static_cast<Integer>(RC)) - Rows.Offset(static_cast<Integer>(FR)) + (RC - FR) * L;
    const Int64 Above =
        L + Rows.Offset(static_cast<Integer>(Top)) - Rows.Offset(static_cast<Integer>(FR)) + (Top - FR) * L;
    if (Total == 0)
        return;
    const float Ratio = static_cast<float>(Height() - FixedH) / static_cast<float>(Total);
    if (Ratio >= 0.9999f)
        return;
    const float Max = (Ratio + 127.0f) / (1.0f - Ratio);
    const float Pos =
        Total > Height() ? static_cast<float>(Above) / static_cast<float>(Total - Height()) * 128.0f : 127.0f;
    Si.nMax = static_cast<int>(std::trunc(Max));
    Si.nPage = static_cast<UINT>(Si.nMax - 126);
    Si.nPos = static_cast<int>(std::trunc(Pos));
    ::SetScrollInfo(Handle(), SB_VERT, &Si, TRUE);
    UpdateVScrollBar();
}

void TDidAririzEvar::UpdateHScroller()
{
    if (ComponentState().Contains(csLoading) || ComponentState().Contains(csDesigning) ||
        !FScroll.ScrollProportional || FScroll.Zooming || !HandleAllocated())
        return;
    SCROLLINFO Si{};
    Si.cbSize = sizeof(SCROLLINFO);
    Si.fMask = SIF_ALL;
    ::GetScrollInfo(Handle(), SB_HORZ, &Si);
    const Int64 L = GridLineWidth();
    const TGridAxis& Cols = ColAxis();
    const Int64 FC = FixedCols(), CC = ColCount(), Left = LeftCol();
    const Int64 FixedW = L + Cols.Offset(static_cast<Integer>(FC)) + FC * L;
    const Int64 Total =
        L + Cols.Offset(static_cast<Integer>(CC)) - Cols.Offset(static_cast<Integer>(FC)) + (CC - FC) * L;
    const Int64 LeftW =
        L + Cols.Offset(static_cast<Integer>(Left)) - Cols.Offset(static_cast<Integer>(FC)) + (Left - FC) * L;
    const Int64 AllW = Cols.Offset(static_cast<Integer>(CC));
    // No scrollable columns and no grid lines: nothing to divide by.
    if (Total == 0)
        return;
    const float Ratio = static_cast<float>(Width() - FixedW) / static_cast<float>(Total);
    if (Ratio >= 0.9999f)
        return;
    const float Max = (Ratio + 127.0f) / (1.0f - Ratio);
    Si.nMax = static_cast<int>(std::trunc(Max));
    Si.nPage = static_cast<UINT>(Si.nMax - 126);
    if (Total > Width())
        Si.nPos = static_cast<int>(
            std::trunc(static_cast<float>(LeftW) / static_cast<float>(Total - Width()) * 128.0f));
    ::SetScrollInfo(Handle(), SB_HORZ, &Si, TRUE);
    UpdateHScrollBar();
    const TScrollBarAlways A = FScroll.ScrollBarAlways;
    if (A != saHorz && A != saBoth && (AllW < Width() || !HasHorizontal(FScroll.ScrollBars)))
        ::ShowScrollBar(Handle(), SB_HORZ, FALSE);
}

// ---- Scroll messages -------------------------------------------------------------------------------

Integer TDidAririzEvar::ScrollPosToCell(Integer Pos, bool Horizontal)
{
    if (Horizontal)
        return MulDiv(Pos, ColCount() - VisibleColCount() - FixedCols(), 127) + FixedCols();
    return MulDiv(Pos, RowCount() - VisibleRowCount() - FixedRows(), 127) + FixedRows();
}

void TDidAririzEvar::ShowScrollHint(TMessage& Message, bool Horizontal)
{
    const int Code = LOWORD(Message.WParam);
    if (Code == SB_ENDSCROLL) {
        FHintWindow->ReleaseHandle();
        FScroll.ScrollHintShown = false;
    }
    if (Code != SB_THUMBTRACK)
        return;
    const Integer N = ScrollPosToCell(static_cast<SmallInt>(HIWORD(Message.WParam)), Horizontal);
    AnsiString Text = AnsiString(Horizontal ? "Col : " : "Row : ") + IntToStr(N);
    if (OnScrollHint)
        OnScrollHint(this, N, Text);
    TRect R = FHintWindow->CalcHintRect(100, Text, nullptr);
    FHintWindow->SetCaption(Text);
    FHintWindow->SetColor(FCore.HintColor);
    POINT P{};
    ::GetCursorPos(&P);
    R.Left += P.X + 10;
    R.Right += P.X + 10;
    R.Top += P.Y;
    R.Bottom += P.Y;
    FHintWindow->ActivateHint(R, Text);
    FScroll.ScrollHintShown = true;
}

bool TDidAririzEvar::CurrentCellHasCheckBox()
{
    switch (GetCellType(Col(), Row())) {
    case ctCheckBox:
    case ctDataCheckBox:
    case ctVirtCheckBox:
    case ctRowCheckBox:
        return true;
    default:
        return false;
    }
}

void TDidAririzEvar::WMHScroll(TMessage& Message)
{
    if (FScroll.ScrollHints == shHorizontal || FScroll.ScrollHints == shBoth)
        ShowScrollHint(Message, true);
    const int Code = LOWORD(Message.WParam);
    Integer Pos = static_cast<SmallInt>(HIWORD(Message.WParam));
    if (Code == SB_THUMBPOSITION && FScroll.FlatSBInit && ColCount() > 0) {
        // The flat bar's thumb takes the share of the shown columns; its position is brought
        // back to the 0..127 scale. With every column shown there is no scale to bring it to.
        const Integer A = RoundEven(VisibleColCount() * 128.0 / ColCount());
        if (A < 128) {
            Pos = RoundEven(Pos * 127.0 / (128 - A));
            Message.WParam = MAKEWPARAM(Code, static_cast<WORD>(Pos));
        }
    }
    const Integer NewLeft = ScrollPosToCell(Pos, true);
    if (Code == SB_THUMBTRACK && FScroll.ScrollSynch)
        SetLeftCol(NewLeft);
    if (FixedCols() == 0 && Col() <= NewLeft)
        HideInplaceEdit();
    TBaseGrid::WndProc(Message);
    if (BiDiMode() == bdRightToLeft && Code == SB_ENDSCROLL && MergeCount() > 0)
        Invalidate();
    UpdateHScrollBar();
    UpdateVScrollBar();
    if (CurrentCellHasCheckBox())
        HideEditor();
}

void TDidAririzEvar::WMVScroll(TMessage& Message)
{
    if (ComponentState().Contains(csDesigning)) {
        TBaseGrid::WndProc(Message);
        return;
    }
    const int Code = LOWORD(Message.WParam);
    const Integer Pos = static_cast<SmallInt>(HIWORD(Message.WParam));
    if (FCellScrollBar && FCellScrollBar->HandleAllocated() &&
        reinterpret_cast<HWND>(Message.LParam) == FCellScrollBar->Handle()) {
        // The cell scroll bar: its position moves here, the cell it serves is repainted.
        TScrollBar* SB = FCellScrollBar;
        const Integer Old = SB->Position();
        switch (Code) {
        case SB_LINEUP:
            SB->SetPosition(Old - 1);
            break;
        case SB_LINEDOWN:
            SB->SetPosition(Old + 1);
            break;
        case SB_PAGEUP:
            SB->SetPosition(Old - 10);
            break;
        case SB_PAGEDOWN:
            SB->SetPosition(Old + 10);
            break;
        case SB_THUMBTRACK:
            SB->SetPosition(Pos);
            break;
        default:
            break;
        }
        const TGridCoord C = FScroll.CellScrollBarCell;
        Message.Result = 1;
        if (SB->Position() != Old && C.X >= 0 && C.Y >= 0)
            RepaintRect(TRect{C.X, C.Y, C.X, C.Y});
        if (OnScrollCell)
            OnScrollCell(this, C.X, C.Y, SB->Position(), SB->Min(), SB->Max());
        return;
    }
    if (FScroll.ScrollHints == shVertical || FScroll.ScrollHints == shBoth)
        ShowScrollHint(Message, false);
    if (Code == SB_THUMBTRACK && FScroll.ScrollSynch)
        SetTopRow(ScrollPosToCell(Pos, false));
    const bool Footer = FSearchFooter->Visible();
    if ((Code == SB_ENDSCROLL || Code == SB_LINEDOWN) && Footer && IsScrolledToLastRow()) {
        // The last row shows above the search panel: no further down.
        Message.Result = 1;
        return;
    }
    TBaseGrid::WndProc(Message);
    if (Code == SB_LINEUP && Footer && RowCount() - VisibleRowCount() == TopRow())
        SetTopRow(TopRow() - 1);
    if ((Code == SB_ENDSCROLL || Code == SB_LINEDOWN) && Footer && RowCount() - VisibleRowCount() == TopRow())
        ScrollToLastRow();
    UpdateVScrollBar();
    UpdateHScrollBar();
    if (CurrentCellHasCheckBox())
        HideEditor();
}

void TDidAririzEvar::WMGetDlgCode(TMessage& Message)
{
    TBaseGrid::WMGetDlgCode(Message);
    if (FNavigation->AutoGotoWhenSorted || !Options().Contains(goEditing))
        Message.Result |= DLGC_WANTCHARS;
}

bool TDidAririzEvar::ScrollWndProc(TMessage& Message)
{
    switch (Message.Msg) {
    case WM_HSCROLL:
        if (Message.LParam != 0)
            return false;
        WMHScroll(Message);
        return true;
    case WM_VSCROLL:
        // The window's bar and the cell scroll bar; other child bars are their controls' own.
        if (Message.LParam != 0 && !(FCellScrollBar && FCellScrollBar->HandleAllocated() &&
                                     reinterpret_cast<HWND>(Message.LParam) == FCellScrollBar->Handle()))
            return false;
        WMVScroll(Message);
        return true;
    case WM_GETDLGCODE:
        WMGetDlgCode(Message);
        return true;
    case WM_PAINT:
        // The platform grid puts its own thumbs back whenever the view moves; the proportional
        // ones are put again before each paint.
        UpdateVScroller();
        UpdateHScroller();
        return false;
    default:
        return false;
    }
}

// ---- Search footer ----------------------------------------------------------------------------------

bool TDidAririzEvar::LastRowInView()
{
    // The platform grid's rectangle is empty for a cell out of view (the grid's own one places
    // such a cell at the origin).
    const TRect P = TStringGrid::CellRect(Col(), RowCount() - 1);
    return P.Bottom > P.Top;
}

bool TDidAririzEvar::IsScrolledToLastRow()
{
    if (!FSearchFooter->Visible())
        return false;
    if (TopRow() + VisibleRowCount() < RowCount() - 1)
        return false;
    // A last row out of view is not above the panel.
    if (!LastRowInView())
        return false;
    const TRect R = CellRect(Col(), RowCount() - 1);
    return R.Bottom < ClientRect().Bottom - FSearchPanel->Height() + 2;
}

void TDidAririzEvar::ScrollToLastRow()
{
    if (!FSearchFooter->Visible())
        return;
    for (;;) {
        const TRect R = CellRect(Col(), RowCount() - 1);
        if (LastRowInView() && ClientRect().Bottom - FSearchPanel->Height() + 2 >= R.Bottom)
            break;
        if (Row() > RowCount() - 1 || TopRow() >= RowCount())
            break;
        const Integer Old = TopRow();
        SetTopRow(Old + 1);
        // The platform grid goes no further than the last row.
        if (TopRow() == Old)
            break;
    }
}

// ---- Drag scrolling ----------------------------------------------------------------------------------

TTimer* TDidAririzEvar::DragScrollTimer() const
{
    return FScroll.DragScrollTimer;
}

TDragScrollDirection TDidAririzEvar::DragScrollDir() const
{
    return FScroll.DragScrollDir;
}

void TDidAririzEvar::FreeDragTimer()
{
    if (TTimer* T = FScroll.DragScrollTimer) {
        FScroll.DragScrollTimer = nullptr;
        T->SetEnabled(false);
        T->Free();
    }
}

void TDidAririzEvar::DragOver(TObject* Source, Integer X, Integer Y, TDragState State, bool& Accept)
{
    const TDragScrollOptions& O = *FDragScrollOptions;
    if (!O.Active) {
        FreeDragTimer();
        TBaseGrid::DragOver(Source, X, Y, State, Accept);
        return;
    }
    const bool WasEmpty = FScroll.DragScrollDir.Empty();
    FScroll.DragScrollDir = TDragScrollDirection{};
    if (State == dsDragLeave) {
        FreeDragTimer();
    } else {
        TDragScrollDirection& D = FScroll.DragScrollDir;
        if (Y < O.Margins.TopMargin)
            D += dsdUp;
        else if (Y > Height() - O.Margins.BottomMargin)
            D += dsdDown;
        if (X < O.Margins.LeftMargin)
            D += dsdLeft;
        else if (X > Width() - O.Margins.RightMargin)
            D += dsdRight;
        if (D.Empty()) {
            FreeDragTimer();
        } else if (!FScroll.DragScrollTimer) {
            // The grid owns the timer, so it never outlives the grid.
            TTimer* T = New<TTimer>(this);
            T->SetInterval(static_cast<Cardinal>(O.Delays.InitialDelay));
            T->OnTimer = [this](TObject* Sender) { DragTimerProc(Sender); };
            T->SetEnabled(true);
            FScroll.DragScrollTimer = T;
        } else if (!WasEmpty) {
            FScroll.DragScrollTimer->SetInterval(static_cast<Cardinal>(O.Delays.InitialDelay));
        }
    }
    TBaseGrid::DragOver(Source, X, Y, State, Accept);
}

void TDidAririzEvar::DragTimerProc(TObject*)
{
    TTimer* T = FScroll.DragScrollTimer;
    if (!FDragScrollOptions->Active) {
        // Called from the timer's own event: it is stopped now and freed with the grid or by
        // the next drag.
        if (T) {
            T->SetEnabled(false);
            FScroll.DragScrollTimer = nullptr;
        }
        return;
    }
    if (T)
        T->SetInterval(static_cast<Cardinal>(FDragScrollOptions->Delays.RepeatDelay));
    TDragScrollDirection Dir = FScroll.DragScrollDir;
    if (OnDragScroll) {
        bool CanScroll = true;
        OnDragScroll(this, TopRow(), LeftCol(), Dir, CanScroll);
        if (!CanScroll)
            return;
    }
    if (Dir.Contains(dsdUp) && TopRow() > FixedRows())
        SetTopRow(TopRow() - 1);
    if (Dir.Contains(dsdDown) && TopRow() + VisibleRowCount() < RowCount())
        SetTopRow(TopRow() + 1);
    if (Dir.Contains(dsdLeft) && LeftCol() > FixedCols())
        SetLeftCol(LeftCol() - 1);
    if (Dir.Contains(dsdRight) && VisibleColCount() + LeftCol() < ColCount())
        SetLeftCol(LeftCol() + 1);
}

// ---- Cell scroll bar -----------------------------------------------------------------------------------

TGridCoord TDidAririzEvar::CellScrollBarCell() const
{
    return FScroll.CellScrollBarCell;
}

void TDidAririzEvar::SetCellScrollBarCell(Integer ACol, Integer ARow)
{
    FScroll.CellScrollBarCell = TGridCoord{ACol, ARow};
}

// ---- Look setters ------------------------------------------------------------------------------------

bool TDidAririzEvar::ShowDesignHelper() const
{
    return FCore.ShowDesignHelper;
}

void TDidAririzEvar::SetShowDesignHelper(bool Value)
{
    if (FCore.ShowDesignHelper != Value) {
        FCore.ShowDesignHelper = Value;
        Invalidate();
    }
}

void TDidAririzEvar::SetShowModified(TShowModified* Value)
{
    FShowModified->Assign(Value);
}

void TDidAririzEvar::SetBalloon(TBalloonSettings* Value)
{
    FBalloon->Assign(Value);
}

void TDidAririzEvar::SetProgressAppearance(TGridProgressAppearance* Value)
{
    FProgressAppearance->Assign(Value);
}

void TDidAririzEvar::SetBackGround(TBackGround* Value)
{
    FBackGround->Assign(Value);
    Invalidate();
}

bool TDidAririzEvar::AutoThemeAdapt() const
{
    return FSearchFooter->AutoThemeAdapt();
}

void TDidAririzEvar::SetAutoThemeAdapt(bool Value)
{
    FSearchFooter->SetAutoThemeAdapt(Value);
    if (Value) {
        ThemeAdapt();
        Invalidate();
    }
}

TColor TDidAririzEvar::ActiveCellColorTo() const
{
    return FCore.ActiveCellColorTo;
}

void TDidAririzEvar::SetActiveCellColorTo(TColor Value)
{
    FCore.ActiveCellColorTo = Value;
    Invalidate();
}

void TDidAririzEvar::SetActiveCellFont(TFont* Value)
{
    FActiveCellFont->Assign(Value);
    Invalidate();
}

TPoint TDidAririzEvar::XYOffset() const
{
    return FPaint.XYOffset;
}

void TDidAririzEvar::SetXYOffset(TPoint Value)
{
    FPaint.XYOffset = Value;
    Invalidate();
}

void TDidAririzEvar::UpdateXYOffset(Integer X, Integer Y)
{
    FPaint.XYOffset = TPoint{X, Y};
}

// ---- Drag scroll options -------------------------------------------------------------------------------

void TDragScrollDelays::Assign(TPersistent* Source)
{
    if (auto* S = dynamic_cast<TDragScrollDelays*>(Source)) {
        InitialDelay = S->InitialDelay;
        RepeatDelay = S->RepeatDelay;
    }
}

void TDragScrollMargins::Assign(TPersistent* Source)
{
    if (auto* S = dynamic_cast<TDragScrollMargins*>(Source)) {
        TopMargin = S->TopMargin;
        BottomMargin = S->BottomMargin;
        LeftMargin = S->LeftMargin;
        RightMargin = S->RightMargin;
    }
}

void TDragScrollOptions::Assign(TPersistent* Source)
{
    if (auto* S = dynamic_cast<TDragScrollOptions*>(Source)) {
        Active = S->Active;
        Delays.Assign(&S->Delays);
        Margins.Assign(&S->Margins);
    }
}
