// Construction, destruction, window set-up and copying of the string grid.

#include "RudUvud/core/RudUvud.h"

#include "RudUvud/core/GridCoreState.h"
#include "RudUvud/core/GridFilterState.h"
#include "RudUvud/core/GridGraphicState.h"
#include "RudUvud/core/GridNodeState.h"
#include "RudUvud/core/GridScrollState.h"
#include "RudUvud/core/GridSelectionState.h"
#include "RudUvud/core/GridSizingState.h"
#include "RudUvud/core/GridTypedState.h"
#include "RudUvud/edit/GridEditState.h"
#include "RudUvud/edit/GridPaintState.h"
#include "RudUvud/exchange/GridExchangeState.h"
#include "RudUvud/exchange/GridSortState.h"

#include "platform/forms/Forms.h"
#include "platform/win/Messages.h"
#include "platform/win/UxTheme.h"
#include "platform/win/Windows.h"

#include <algorithm>

namespace {

constexpr UINT_PTR GridTimerIdent = 111;
constexpr UINT GridTimerInterval = 500;

// This platform reports itself as a system of version 6.1 (the newest look every probe asks for).
constexpr int SystemMajor = 6;
constexpr int SystemMinor = 1;

} // namespace

// Every part's state block, allocated at once with the grid.
struct TGridStateBlocks {
    TGridCoreState Core;
    TGridSelectionState Sel;
    TGridScrollState Scroll;
    TGridSizingState Sizing;
    TGridTypedState Typed;
    TGridFilterState Filt;
    TGridPaintState Paint;
    TGridEditState Edit;
    TGridExchangeState Xchg;
    TGridSortState Sort;
    TGridGraphicState Graph;
    TGridNodeState Nodes;
};

// The coordinate pair.
TGridCoord GridCoord(Integer X, Integer Y)
{
    return TGridCoord{X, Y};
}

// Adds WS_EX_TRANSPARENT to a window's extended style.
void SetTransparentExStyle(HWND Handle)
{
    ::SetWindowLong(Handle, GWL_EXSTYLE, ::GetWindowLong(Handle, GWL_EXSTYLE) | WS_EX_TRANSPARENT);
}

// The file version of a module as the platform's library table gives it (major << 16 | minor),
// -1 for a module the table does not know.
Integer GetDllFileVersion(const AnsiString& FileName)
{
    DWORD MS = 0, LS = 0;
    if (!::GetLibraryFileVersion(FileName.c_str(), MS, LS))
        return -1;
    return static_cast<Integer>(MS);
}

TDidAririzEvar::TDidAririzEvar(TComponent* AOwner)
    : TBaseGrid(AOwner), FStateBlocks(std::make_unique<TGridStateBlocks>()), FCore(FStateBlocks->Core),
      FSel(FStateBlocks->Sel), FScroll(FStateBlocks->Scroll), FSizing(FStateBlocks->Sizing),
      FTyped(FStateBlocks->Typed), FFilt(FStateBlocks->Filt), FPaint(FStateBlocks->Paint),
      FEdit(FStateBlocks->Edit), FXchg(FStateBlocks->Xchg), FSort(FStateBlocks->Sort),
      FGraph(FStateBlocks->Graph), FNodes(FStateBlocks->Nodes)
{
    const bool Designing = ComponentState().Contains(csDesigning);
    // The row check box graphic lives with the state blocks; records never free it.
    FSharedGraphic = FGraph.RowCheckGraphic.get();
    // 1.
    SetControlStyle(ControlStyle() + TControlStyle{csAcceptsControls});
    // 2. Footer and search panels.
    FFooterPanel = New<TFooterPanel>(this);
    FFooterPanel->SetAlign(alBottom);
    FFooterPanel->SetHeight(0);
    FSearchPanel = New<TSearchPanel>(this);
    FSearchPanel->SetAlign(alBottom);
    FSearchPanel->SetHeight(0);
    // 3. Settings and option objects.
    FSearchFooter = std::make_unique<TSearchFooter>();
    WireSearchPanel();
    FFloatingFooter = std::make_unique<TFloatingFooter>(this);
    FPrintSettings = std::make_unique<TPrintSettings>(this);
    FHTMLSettings = std::make_unique<THTMLSettings>();
    FSortSettings = std::make_unique<TSortSettings>(this);
    FDragDropSettings = std::make_unique<TDragDropSettings>();
    FDragScrollOptions = std::make_unique<TDragScrollOptions>();
    FControlLook = std::make_unique<TControlLook>(this);
    FNavigation = std::make_unique<TNavigation>();
    FNavigation->OnChange = [this](TObject*) { OnNavigationChanged(); };
    FColumnSize = std::make_unique<TColumnSize>(this);
    FCellNode = std::make_unique<TCellNode>(this);
    FBands = std::make_unique<TBands>(this);
    FSizeWhileTyping = std::make_unique<TSizeWhileTyping>();
    FMouseActions = std::make_unique<TMouseActions>(this);
    FMouseActions->OnChange = [this](TObject*) { OnMouseActionsChanged(); };
    FGrouping = std::make_unique<TGrouping>();
    // 4.
    FColumnHeaders = std::make_unique<TStringList>();
    FColumnHeaders->OnChange = [this](TObject* Sender) { ColHeaderChanged(Sender); };
    FPictureCache = std::make_unique<THTMLPictureCache>();
    // 6. Fonts and active-cell defaults (5. are member initialisers).
    FFixedFont = std::make_unique<TFont>();
    FFixedFont->SetName("Tahoma");
    FFixedFont->SetStyle(TFontStyles{fsBold});
    FFixedFont->OnChange = [this](TObject* Sender) { FixedFontChanged(Sender); };
    FActiveCellFont = std::make_unique<TFont>();
    if (Designing)
        FActiveCellFont->SetName("Tahoma");
    FActiveCellFont->SetStyle(TFontStyles{fsBold});
    FActiveCellFont->OnChange = [this](TObject*) { Invalidate(); };
    // 7.
    FRowHeaders = std::make_unique<TStringList>();
    FRowHeaders->OnChange = [this](TObject* Sender) { RowHeaderChanged(Sender); };
    FTyped.MergedColumns->OnChange = [this](TObject* Sender, Integer C, Integer R) {
        MergedColumnsChanged(Sender, C, R);
    };
    FExtraList = std::make_unique<TStringList>();
    FLookupItems = std::make_unique<TStringList>();
    FRowIndicator = std::make_unique<TBitmap>();
    FBackGround = std::make_unique<TBackGround>(this);
    FHintWindow = New<THTMLHintWindow>(this);
    // 8.
    TBaseGrid::SetScrollBars(ssBoth);
    FControlList = std::make_unique<TControlList>();
    FProgressAppearance = std::make_unique<TGridProgressAppearance>();
    FProgressAppearance->OnChange = [this](TObject*) { Invalidate(); };
    // 9. Dimensions through the grid's own setters.
    TBaseGrid::SetColCount(5);
    SetRowCount(10);
    TBaseGrid::SetBounds(Left(), Top(), 400, 250);
    // 10. The hidden-row store is a member; the filter.
    FFilter = std::make_unique<TFilter>();
    // 12.
    FBalloon = std::make_unique<TBalloonSettings>();
    FShowModified = std::make_unique<TShowModified>();
    FShowModified->OnChange = [this](TObject* Sender) { ModifiedChanged(Sender); };
    // 13.
    if (!Designing)
        HookOwnerForm();
    // 14. and 15. are member initialisers (all columns visible, check texts, float format).
    // 16.
    SetDefaultRowHeight(22);
    FCore.FixedRowHeight = DefaultRowHeight();
    // 17.
    FScroll.ScrollWidth = ::GetSystemMetrics(SM_CXVSCROLL);
    // 18. and 19.
    ProbePlatform();
    // 20.
    FFilterDropDown = std::make_unique<TFilterDropDown>();
    FDropList = New<TDropList>(this);
    FDropList->SetName("droplist");
    FDropList->SetVisible(false);
    FDropList->SetBounds(0, 0, 0, 0);
    FDropList->SetParent(this);
    FDropList->OnSelect = [this](TObject* Sender, Integer ItemIndex) { FilterSelect(Sender, ItemIndex); };
    FFilterList = std::make_unique<TStringList>();
    FFilterList->SetDuplicates(dupIgnore);
    FFilterList->SetSorted(true);
    FCore.SavedTopLeft = TGridCoord{LeftCol(), TopRow()};
    // 21.
    if (!Designing)
        CreateOwnedControls();
    FCore.RequestedFixedRows = TBaseGrid::FixedRows();
    FCore.RequestedFixedCols = TBaseGrid::FixedCols();
    FCore.LastUpdateRow = Row();
}

void TDidAririzEvar::CreateOwnedControls()
{
    auto Hidden = [this]<class T>(T* C, bool Disabled) {
        C->SetVisible(false);
        if (Disabled)
            C->SetEnabled(false);
        FOwnedControls.push_back(C);
        return C;
    };
    FRichMeasure = Hidden(New<TZurIdodAdod>(this), false);
    FRichEditor = Hidden(New<TZurIdodAdod>(this), false);
    FEditors.RichEdit = FRichEditor;
    FRichEditor->OnSelectionChange = [this](TObject* Sender) { RichSelChange(Sender); };
    for (TArrowDirection D : {arrUp, arrDown, arrLeft, arrRight})
        Hidden(New<TArrowWindow>(this, D), false);
    FEditors.Combo = Hidden(New<TGridCombo>(this), true);
    FEditors.TrackbarDropDown = Hidden(New<TGridTrackbarDropDown>(this), false);
    FEditors.MemoDropDown = Hidden(New<TGridMemoDropDown>(this), false);
    FEditors.CalculatorDropDown = Hidden(New<TGridCalculatorDropDown>(this), false);
    FEditors.TimePickerDropDown = Hidden(New<TGridTimepickerDropDown>(this), false);
    FEditors.DetailPickerDropDown = Hidden(New<TGridDetailPickerDropDown>(this), false);
    FEditors.GridDropDown = Hidden(New<TGridGridDropDown>(this), false);
    FEditors.ColorDropDown = Hidden(New<TGridColorDropDown>(this), false);
    FEditors.ImageDropDown = Hidden(New<TGridImageDropDown>(this), false);
    FEditors.Spin = Hidden(New<TGridSpin>(this), true);
    FTransEdit = Hidden(New<TGridTransEdit>(this), false);
    FEditors.UniEdit = Hidden(New<TGridUniEdit>(this), true);
    FEditors.UniMemo = Hidden(New<TGridUniMemo>(this), true);
    FEditors.UniEditBtn = Hidden(New<TGridUniEditBtn>(this), true);
    FEditors.UniCombo = Hidden(New<TGridUniCombo>(this), true);
    // The date pickers exist because this platform's common controls have them.
    FEditors.DatePicker = Hidden(New<TGridDatePicker>(this), true);
    FEditors.DateTimePicker = Hidden(New<TGridDateTimePicker>(this), true);
    FCore.DatePickersCreated = true;
    FEditors.CheckBox = Hidden(New<TGridCheckBox>(this), true);
    FEditors.EditBtn = Hidden(New<TGridEditBtn>(this), true);
    FEditors.UnitEditBtn = Hidden(New<TGridUnitEditBtn>(this), true);
    FEditors.Button = Hidden(New<TGridButton>(this), true);
    Hidden(New<TPopupButton>(this), true);
    for (TControl* C : FOwnedControls)
        if (auto* W = dynamic_cast<TWinControl*>(C))
            if (!dynamic_cast<TGridDatePicker*>(C) && !dynamic_cast<TGridDateTimePicker*>(C) &&
                !dynamic_cast<TZurIdodAdod*>(C))
                W->SetParent(this);
    auto* CE = FControlEdit = New<TControlEdit>(this);
    CE->SetVisible(false);
    CE->SetParent(this);
    FOwnedControls.push_back(CE);
    auto* CC = FControlCombo = New<TControlCombo>(this);
    CC->SetVisible(false);
    CC->SetParent(this);
    FOwnedControls.push_back(CC);
    // One scroll bar for cells that show one; it gets its parent with the window.
    FCellScrollBar = New<TScrollBar>(this);
    FCellScrollBar->SetKind(sbVertical);
    FCellScrollBar->SetTabStop(false);
}

void TDidAririzEvar::ProbePlatform()
{
    FCore.IsXP = SystemMajor > 5 || (SystemMajor == 5 && SystemMinor >= 1);
    FCore.IsWin7 = SystemMajor > 6 || (SystemMajor == 6 && SystemMinor >= 1);
    FCore.IsVista = SystemMajor >= 6;
    FCore.IsComCtl6 = (GetDllFileVersion("COMCTL32.DLL") >> 16) > 5;
    UINT Lines = 3;
    if (::SystemParametersInfo(SPI_GETWHEELSCROLLLINES, 0, &Lines, 0))
        FScroll.WheelScrollLines = static_cast<Integer>(Lines);
    FScroll.WheelMsg = WM_MOUSEWHEEL;
}

// ---- Owner form's resize ------------------------------------------------------------------------

void TDidAririzEvar::HookOwnerForm()
{
    auto* Form = dynamic_cast<TCustomForm*>(Owner());
    if (!Form)
        return;
    // The form's handler chain holds the previous handler and a link that the grid clears when it
    // goes; grids destroyed in any order then never leave the form calling into a freed grid.
    FResizeLink = std::make_shared<TDidAririzEvar*>(this);
    FCore.FormResizeHooked = true;
    FCore.SavedFormResize = Form->OnResize;
    FCore.FormWidth = Form->Width();
    FCore.FormHeight = Form->Height();
    std::weak_ptr<TDidAririzEvar*> Link = FResizeLink;
    TNotifyEvent Previous = Form->OnResize;
    // A living grid calls the form's own handler itself (GridResize); after it has gone the
    // handler runs alone.
    Form->OnResize = [Link, Previous](TObject* Sender) {
        if (auto L = Link.lock(); L && *L)
            (*L)->GridResize(Sender);
        else if (Previous)
            Previous(Sender);
    };
}

void TDidAririzEvar::UnhookOwnerForm()
{
    if (FResizeLink)
        *FResizeLink = nullptr;
    FResizeLink.reset();
    FCore.FormResizeHooked = false;
}

// ---- Destruction ------------------------------------------------------------------------------------

TDidAririzEvar::~TDidAririzEvar()
{
    const bool Designing = ComponentState().Contains(csDesigning);
    if (!Designing)
        UnhookOwnerForm();
    if (HandleAllocated() && FCore.GridTimer)
        ::KillTimer(Handle(), FCore.GridTimer);
    FreeDragTimer();
    // 2. The column widths go to their store; a store that cannot be written does not stop the
    // grid from going.
    if (FColumnSize->Save) {
        try {
            SaveColSizes();
        } catch (const std::exception&) {
        }
    }
    // 4. Cells up to the largest counts ever set, hidden rows included (their records are
    // released with the grid's record registry).
    Integer Rows = RowCount(), Cols = ColCount();
    if (NumHiddenRows() == 0 && FCore.FNodeCount == 0) {
        Rows = std::max(Rows, FCore.LargestRowCount);
        Cols = std::max(Cols, FCore.LargestColCount);
    }
    Cols = std::max(Cols, TotalColCount());
    if (Rows > 0 && Cols > 0 && PropertiesCreated())
        ClearPropRect(0, 0, Cols - 1, Rows - 1);
    for (TGridItem& E : FCore.Rows.Hidden())
        for (TGridCell& C : E.Items)
            if (TCellProperties* CP = AsRecord(C.Object)) {
                C.Object = nullptr;
                FreeCellRecord(CP);
            }
    FCore.Rows.Hidden().clear();
    // 5. Owned objects; the child controls before the base grid goes.
    if (!Designing) {
        FEdit.Editing.Shown = nullptr;
        FEditors = TGridEditorControls{};
        for (auto It = FOwnedControls.rbegin(); It != FOwnedControls.rend(); ++It)
            (*It)->Free();
        FOwnedControls.clear();
        if (FCellScrollBar)
            FCellScrollBar->Free();
        FCellScrollBar = nullptr;
    }
    FDropList->Free();
    FHintWindow->Free();
    FSearchPanel->Free();
    FFooterPanel->Free();
}

// ---- Window ------------------------------------------------------------------------------------

void TDidAririzEvar::CreateWnd()
{
    if (ComponentState().Contains(csDestroying))
        return;
    TBaseGrid::CreateWnd();
    if (!Parent())
        return;
    if (!ComponentState().Contains(csDesigning) && FCellScrollBar) {
        FCellScrollBar->SetVisible(false);
        FCellScrollBar->SetParent(this);
    }
    FFooterPanel->SetParent(this);
    FFooterPanel->SetVisible(FFloatingFooter->Visible());
    FSearchPanel->SetParent(this);
    FSearchPanel->SetVisible(FSearchFooter->Visible());
    FSearchPanel->SetHeight(FSearchFooter->Visible() ? 32 : 0);
    if (FColumnSize->Save)
        LoadColSizes();
    FCore.GridTimer = ::SetTimer(Handle(), GridTimerIdent, GridTimerInterval, nullptr);
    if (FScroll.ScrollType != ssNormal) {
        FlatInit();
        FlatUpdate();
    }
}

void TDidAririzEvar::Loaded()
{
    TBaseGrid::Loaded();
    FCore.SavedCursor = Cursor();
    // The look is applied once, now that every loaded property is in place.
    if (FCore.Look == glZIV) {
        FCore.Look = glCustom;
        SetLook(glZIV);
    }
    if (FCore.AutoSize)
        AutoSizeColumns(false, 4);
    if (FColumnSize->Save)
        LoadColSizes();
    MinRowHeight = DefaultRowHeight();
    MinColWidth = 10;
    FCore.RequestedFixedRows = TBaseGrid::FixedRows();
    FCore.RequestedFixedCols = TBaseGrid::FixedCols();
    FCore.LargestRowCount = std::max(FCore.LargestRowCount, RowCount());
    FCore.Loaded = true;
    if (Options().Contains(goAlwaysShowEditor)) {
        FNavigation->AlwaysEdit = true;
        SetOptions(Options() - TGridOptions{goAlwaysShowEditor});
    }
    if (!FCore.IsXP && FControlLook->ControlStyle == RudUvudLook::csTheme &&
        !ComponentState().Contains(csDesigning))
        FControlLook->ControlStyle = RudUvudLook::csClassic;
    // The search footer keeps the grid's AutoThemeAdapt.
    UpdateScrollBars(false);
    if (FSearchFooter->AutoThemeAdapt())
        ThemeAdapt();
    InitOrigColSizes();
    SetColumnOrder();
}

void TDidAririzEvar::Invalidate()
{
    if (FCore.SkipInvalidate) {
        FCore.SkipInvalidate = false;
        return;
    }
    TBaseGrid::Invalidate();
    if (!ComponentState().Contains(csLoading) && FFloatingFooter && FFloatingFooter->Visible() &&
        FFooterPanel)
        FFooterPanel->Invalidate();
}

void TDidAririzEvar::Resize()
{
    TBaseGrid::Resize();
    if ((FBackGround->Display == bdGradientHorz || FBackGround->Display == bdGradientVert) &&
        FBackGround->ColorTo != clNone)
        Invalidate();
    UpdateScrollBars(false);
    CellControlsUpdate();
    if (ComponentState().Contains(csDesigning))
        Invalidate();
}

void TDidAririzEvar::UpdateScrollBars(bool Force)
{
    if (!HandleAllocated())
        return;
    const bool RowsFit = VisibleRowCount() + FixedRows() >= RowCount();
    const bool ColsFit = VisibleColCount() + FixedCols() >= ColCount();
    const TScrollBarAlways A = FScroll.ScrollBarAlways;
    if (A != saNone) {
        if (RowsFit)
            ::ShowScrollBar(Handle(), SB_VERT, A == saVert || A == saBoth);
        if (ColsFit)
            ::ShowScrollBar(Handle(), SB_HORZ, A == saHorz || A == saBoth);
        ::EnableScrollBar(Handle(), SB_VERT, RowsFit ? ESB_DISABLE_BOTH : ESB_ENABLE_BOTH);
        ::EnableScrollBar(Handle(), SB_HORZ, ColsFit ? ESB_DISABLE_BOTH : ESB_ENABLE_BOTH);
    } else if (Force) {
        if (RowsFit)
            ::ShowScrollBar(Handle(), SB_VERT, FALSE);
        if (ColsFit)
            ::ShowScrollBar(Handle(), SB_HORZ, FALSE);
    }
}

void TDidAririzEvar::SetBounds(Integer ALeft, Integer ATop, Integer AWidth, Integer AHeight)
{
    if (FCore.IntegralHeight && FPaint.UpdateCount == 0 && DefaultRowHeight() > 0) {
        const Integer S = VisibleColCount() + FixedCols() < ColCount() ? ::GetSystemMetrics(SM_CYHSCROLL) : 0;
        const Integer B = BorderStyle() == bsSingle ? 2 : 0;
        Integer H = AHeight - S - B;
        H -= H % DefaultRowHeight();
        AHeight = H + S + 2 * B;
    }
    TBaseGrid::SetBounds(ALeft, ATop, AWidth, AHeight);
}

void TDidAririzEvar::WndProc(TMessage& Message)
{
    if (RuntimeWndProc(Message) || MouseExtrasWndProc(Message))
        return;
    if (ScrollWndProc(Message))
        return;
    if (PaintWndProc(Message) || EditWndProc(Message))
        return;
    switch (Message.Msg) {
    case WM_NOTIFY:
        WMNotify(Message);
        return;
    case WM_CHAR:
        WMChar(Message);
        return;
    case CM_DIALOGCHAR:
        // Only the search footer's accelerators; other characters are left to the form.
        Message.Result = SearchDialogChar(static_cast<Word>(Message.WParam)) ? 1 : 0;
        return;
    case WM_SIZE:
        WMSize(Message);
        return;
    case WM_SETCURSOR:
        if (HandleAllocated() && reinterpret_cast<HWND>(Message.WParam) == Handle()) {
            WMSetCursor(Message);
            return;
        }
        break;
    default:
        break;
    }
    TBaseGrid::WndProc(Message);
}

// ---- Copying -----------------------------------------------------------------------------------

void TDidAririzEvar::Assign(TPersistent* Source)
{
    auto* S = dynamic_cast<TDidAririzEvar*>(Source);
    if (!S)
        return;
    Font()->Assign(S->Font());
    FCore.ActiveCellColor = S->FCore.ActiveCellColor;
    FCore.ActiveCellColorTo = S->FCore.ActiveCellColorTo;
    FActiveCellFont->Assign(S->FActiveCellFont.get());
    FCore.ActiveCellShow = S->FCore.ActiveCellShow;
    SetActiveRowShow(S->ActiveRowShow());
    SetAlign(S->Align());
    FCore.AutoSize = S->FCore.AutoSize;
    FCore.AutoFilterUpdate = S->FCore.AutoFilterUpdate;
    FMouseActions->SetDisjunctRowSelect(S->FMouseActions->DisjunctRowSelect());
    {
        // The mouse settings have their Assign with the exchange part; copy the fields here.
        TMouseActions& D = *FMouseActions;
        const TMouseActions& M = *S->FMouseActions;
        D.AllColumnSize = M.AllColumnSize;
        D.AllRowSize = M.AllRowSize;
        D.AllSelect = M.AllSelect;
        D.DirectEdit = M.DirectEdit;
        D.RangeSelectAndEdit = M.RangeSelectAndEdit;
        D.RowSelect = M.RowSelect;
        D.RowSelectPersistent = M.RowSelectPersistent;
        D.SetDisjunctColSelect(M.DisjunctColSelect());
        D.SetDisjunctCellSelect(M.DisjunctCellSelect());
        D.SetEditOnDblClickOnly(M.EditOnDblClickOnly());
        D.SetHotmailRowSelect(M.HotmailRowSelect());
    }
    FNavigation->Assign(S->FNavigation.get());
    FPrintSettings->Assign(S->FPrintSettings.get());
    FHTMLSettings->Assign(S->FHTMLSettings.get());
    FCellNode->Assign(S->FCellNode.get());
    FColumnSize->Assign(S->FColumnSize.get());
    FCore.FixedRowAlways = S->FCore.FixedRowAlways;
    SetColCount(S->ColCount());
    SetRowCount(S->RowCount());
    SetFixedRows(S->FixedRows());
    SetFixedCols(S->FixedCols());
    SetDefaultColWidth(S->DefaultColWidth());
    SetDefaultRowHeight(S->DefaultRowHeight());
    SetFixedRowHeight(S->FixedRowHeight());
    SetFixedColWidth(S->FixedColWidth());
    FCore.InvalidEntryIcon = S->FCore.InvalidEntryIcon;
    SetOptions(S->Options());
    for (Integer C = 0; C < S->ColCount(); ++C)
        SetColWidths(C, S->ColWidths(C));
    FColumnHeaders->Assign(S->FColumnHeaders.get());
    // Row heights after RowCount, so every row of a longer source gets its height.
    for (Integer R = 0; R < S->RowCount(); ++R)
        SetRowHeights(R, S->RowHeights(R));
    FScroll.ScrollBarAlways = S->FScroll.ScrollBarAlways;
    SetScrollBarsEx(S->GetScrollBarsEx());
    FScroll.ScrollColor = S->FScroll.ScrollColor;
    FScroll.ScrollType = S->FScroll.ScrollType;
    FScroll.ScrollWidth = S->FScroll.ScrollWidth;
    AssignCells(Source);
}

void TDidAririzEvar::AssignCells(TPersistent* Source)
{
    auto* S = dynamic_cast<TDidAririzEvar*>(Source);
    if (!S)
        return;
    // The cells travel as texts, as the grid's text stream carries them.
    for (Integer R = 0; R < S->RowCount(); ++R)
        for (Integer C = 0; C < S->TotalColCount(); ++C)
            SetCells(C, R, S->Cells(C, R));
}

void TDidAririzEvar::SetActiveCellShow(bool V)
{
    FCore.ActiveCellShow = V;
    Invalidate();
}
