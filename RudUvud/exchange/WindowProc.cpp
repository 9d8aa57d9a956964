// The grid's window procedure in front of its key and button handlers: the end of an edit
// reported later, the cancel of an enhanced move, scroll bar refreshes, theme changes, the
// editors' change and combo notifications, the mouse wheel and panning with the middle button;
// what follows every scroll (TopLeftChanged, CellControlsUpdate), sizing with the owner form and
// small runtime services.

#include "RudUvud/core/RudUvud.h"

#include "RudUvud/core/GridCoreState.h"
#include "RudUvud/core/GridScrollState.h"
#include "RudUvud/edit/EditLink.h"
#include "RudUvud/edit/GridEditState.h"
#include "RudUvud/edit/GridEditors.h"
#include "RudUvud/edit/GridPaintState.h"
#include "RudUvud/exchange/GridExchangeState.h"

#include "platform/forms/Forms.h"
#include "platform/rtl/Guards.h"
#include "platform/win/CommCtrl.h"

#include <cmath>
#include <cstdint>

namespace {

// The pan timer's id; other timers of the window are not panning's.
constexpr UINT_PTR PanTimerId = 999;
// The platform grid's auto-scroll timer.
constexpr UINT_PTR PlatformScrollTimerId = 1;
// The dead zone around the pan start point, in pixels either side.
constexpr Integer PanDeadZone = 5;
// The square the pan marker covers.
constexpr Integer PanMarkerSize = 32;

// The program's own module: the pan cursors and markers are resources embedded into it (res/).
HINSTANCE ProgramModule()
{
    return reinterpret_cast<HINSTANCE>(std::uintptr_t(0x400000));
}

HCURSOR PanCursorResource(Integer Id)
{
    return ::LoadCursor(ProgramModule(), MAKEINTRESOURCE(static_cast<std::uintptr_t>(Id)));
}

// The cursor of a pan direction (dx, dy in -1..1).
Integer PanCursorId(Integer DX, Integer DY)
{
    if (DY < 0)
        return DX < 0 ? 8006 : DX > 0 ? 8005 : 8004;
    if (DY > 0)
        return DX < 0 ? 8008 : DX > 0 ? 8007 : 8001;
    return DX < 0 ? 8002 : DX > 0 ? 8003 : 8000;
}

bool WheelSameRect(const TGridRect& A, const TGridRect& B)
{
    return A.Left == B.Left && A.Top == B.Top && A.Right == B.Right && A.Bottom == B.Bottom;
}

// Editor kinds whose text the live update takes from the spin editor and the edit-with-button
// editor (the text editor writes its own).
bool TakesSpinEditor(TEditorType T)
{
    return T == edSpinEdit || T == edFloatSpinEdit || T == edTimeSpinEdit || T == edDateSpinEdit;
}

bool TakesEditBtn(TEditorType T)
{
    return T == edEditBtn || T == edNumericEditBtn || T == edFloatEditBtn;
}

} // namespace

// ---- Properties and small services -----------------------------------------------------------------

TIntelliPan TDidAririzEvar::IntelliPan() const
{
    return FXchg.Runtime.IntelliPan;
}

void TDidAririzEvar::SetIntelliPan(TIntelliPan Value)
{
    FXchg.Runtime.IntelliPan = Value;
}

bool TDidAririzEvar::SizeWithForm() const
{
    return FXchg.Runtime.SizeWithForm;
}

void TDidAririzEvar::SetSizeWithForm(bool Value)
{
    FXchg.Runtime.SizeWithForm = Value;
}

bool TDidAririzEvar::Panning() const
{
    return FXchg.Runtime.Panning;
}

bool TDidAririzEvar::Select()
{
    return SelectCell(Col(), Row());
}

TGridDatePicker* TDidAririzEvar::GetDateTimePicker()
{
    return FEditors.DatePicker;
}

void TDidAririzEvar::ModifiedChanged(TObject*)
{
    if (FPaint.UpdateCount == 0 && HandleAllocated())
        InvalidateCol(0);
}

AnsiString TDidAririzEvar::GetVersionString()
{
    const auto V = static_cast<std::uint32_t>(GetVersionNr());
    return IntToStr(Integer(V >> 24)) + "." + IntToStr(Integer((V >> 16) & 0xFF)) + "." +
           IntToStr(Integer((V >> 8) & 0xFF)) + "." + IntToStr(Integer(V & 0xFF)) + " Apr, 2010";
}

void TDidAririzEvar::DirectWheelChange(Integer, bool&) {}

// ---- Sizing with the form ------------------------------------------------------------------------

void TDidAririzEvar::GridResize(TObject* Sender)
{
    const TComponentState St = ComponentState();
    if (St.Contains(csDesigning) || St.Contains(csDestroying))
        return;
    // 1. The grid keeps its distance to the form's right and bottom edges.
    if (auto* Form = dynamic_cast<TCustomForm*>(Sender); Form && FXchg.Runtime.SizeWithForm) {
        const Integer W = Form->Width() + Width() - FCore.FormWidth;
        const Integer H = Form->Height() + Height() - FCore.FormHeight;
        if (W > 0 && H > 0) {
            SetWidth(W);
            SetHeight(H);
            FCore.FormWidth = Form->Width();
            FCore.FormHeight = Form->Height();
        }
    }
    // 2. The form's own handler; what it raises stays there.
    if (FCore.SavedFormResize) {
        try {
            FCore.SavedFormResize(Sender);
        } catch (const std::exception&) {
        }
    }
    // 3.
    StretchColumn(FColumnSize->StretchColumn);
}

// ---- Controls in cells ------------------------------------------------------------------------------

TControl* TDidAririzEvar::GetCellControls(Integer ACol, Integer ARow)
{
    if (!HasCellProperties(ACol, ARow))
        return nullptr;
    return GetCellProperties(ACol, ARow)->Control();
}

void TDidAririzEvar::SetCellControls(Integer ACol, Integer ARow, TControl* AControl)
{
    TGridRuntimeState& S = FXchg.Runtime;
    TControlList& L = *FControlList;
    const Integer RR = RealRowIndex(ARow);
    if (AControl) {
        const Integer I = L.ControlIndex(ACol, RR);
        if (I >= 0)
            L.RemoveControl(I);
        TCellProperties* P = GetCellProperties(ACol, ARow);
        if (!P->Control())
            ++S.CellControlCount;
        L.AddControl(ACol, RR, AControl);
        P->SetControl(AControl);
        AControl->SetParent(this);
        const TRect R = CellRect(DisplColIndex(ACol), ARow);
        AControl->SetBounds(R.Left - 1, R.Top - 1, R.Right - R.Left + 1, R.Bottom - R.Top + 1);
        return;
    }
    TCellProperties* P = GetCellProperties(ACol, ARow);
    if (P->Control()) {
        const Integer I = L.ControlIndex(ACol, RR);
        if (I >= 0)
            L.RemoveControl(I);
        if (S.CellControlCount > 0)
            --S.CellControlCount;
    }
    P->SetControl(nullptr);
}

void TDidAririzEvar::CellControlsUpdate()
{
    if (!HandleAllocated())
        return;
    // 1. The cell scroll bar stays on the current cell, flat when that cell is out of view.
    if (FCellScrollBar && FCellScrollBar->Visible()) {
        const bool InView = Col() >= LeftCol() && Col() <= LeftCol() + VisibleColCount() &&
                            Row() >= TopRow() && Row() <= TopRow() + VisibleRowCount();
        if (InView) {
            const TRect R = CellRect(Col(), Row());
            FCellScrollBar->SetTop(R.Top);
            FCellScrollBar->SetLeft(R.Right - FCellScrollBar->Width());
            FCellScrollBar->SetHeight(R.Bottom - R.Top);
        } else {
            FCellScrollBar->SetHeight(0);
        }
    }
    if (FXchg.Runtime.CellControlCount == 0)
        return;
    // 2. Every control goes over its cell or out of sight. The list keeps real columns and real
    // rows; the cell on screen is found through the display indexes.
    TControlList& L = *FControlList;
    auto Visible = [this](Integer DC, Integer DR) {
        return DC >= LeftCol() && DC <= LeftCol() + VisibleColCount() && DR >= TopRow() &&
               DR <= TopRow() + VisibleRowCount();
    };
    for (Integer I = 0; I < L.Count(); ++I) {
        TControlItem* It = L.GetControl(I);
        if (!It || !It->Control)
            continue;
        const bool RowHidden = It->Y < 0 || (NumHiddenRows() > 0 && DisplRowIndex(It->Y) < 0) ||
                               (NumHiddenRows() > 0 && HiddenRow(It->Y) != nullptr);
        const bool ColHidden = IsHiddenColumn(It->X);
        if (RowHidden || ColHidden) {
            It->Control->SetVisible(false);
            continue;
        }
        const Integer DC = DisplColIndex(It->X);
        const Integer DR = NumHiddenRows() > 0 ? DisplRowIndex(It->Y) : It->Y;
        if (DR < FixedRows() || DC < FixedCols())
            continue;
        if (!Visible(DC, DR) || DR >= RowCount() || DC >= ColCount()) {
            It->Control->SetVisible(false);
            continue;
        }
        const TRect R = CellRect(DC, DR);
        It->Control->SetBounds(R.Left - 1, R.Top - 1, R.Right - R.Left + 1, R.Bottom - R.Top + 1);
        It->Control->SetVisible(true);
    }
    // 3. Shown controls realign their contents.
    for (Integer I = 0; I < L.Count(); ++I) {
        TControlItem* It = L.GetControl(I);
        if (!It || !It->Control || !It->Control->Visible())
            continue;
        It->Control->Invalidate();
        const Integer W = It->Control->Width();
        It->Control->SetWidth(W + 1);
        It->Control->SetWidth(W);
    }
}

// ---- After a scroll ------------------------------------------------------------------------------------

void TDidAririzEvar::TopLeftChanged()
{
    TGridRuntimeState& S = FXchg.Runtime;
    TBackGround* BG = BackGround();
    TBitmap* Pic = BG ? BG->Bitmap() : nullptr;
    const bool FixedPicture = Pic && !Pic->Empty() && BG->Display == bdFixed;
    // 1. The cells the fixed picture covered before the scroll.
    TRect Before{0, 0, 0, 0};
    auto Covered = [&](Integer DX, Integer DY) {
        Integer C0 = 0, R0 = 0, C1 = 0, R1 = 0;
        MouseToCell(BG->Left, BG->Top, C0, R0);
        MouseToCell(BG->Left + Pic->Width(), BG->Top + Pic->Height(), C1, R1);
        return TRect{C0 + DX, R0 + DY, C1 + DX, R1 + DY};
    };
    if (FixedPicture)
        Before = Covered(S.PrevLeftCol - LeftCol(), S.PrevTopRow - TopRow());
    // 2.
    TBaseGrid::TopLeftChanged();
    // 3.
    const TGridRect Sel = Selection();
    if (SelectionRectangle() && Sel.Top != Sel.Bottom)
        Invalidate();
    // 4.
    if (FixedPicture) {
        RepaintRect(Before);
        RepaintRect(Covered(0, 0));
    }
    // 5.
    if (BG && (BG->Display == bdGradientHorz || BG->Display == bdGradientVert) && BG->ColorTo != clNone)
        Invalidate();
    // 6. An editor control other than the text editor does not scroll with its cell.
    if (FEdit.Editing.Active && FEdit.Editing.Type != edNormal)
        HideInplaceEdit();
    // 7.
    UpdateVScrollBar();
    UpdateHScrollBar();
    UpdateFooter();
    CellControlsUpdate();
    // 8.
    S.PrevLeftCol = LeftCol();
    S.PrevTopRow = TopRow();
    if (ComponentState().Contains(csDesigning))
        Invalidate();
}

// ---- Wheel -------------------------------------------------------------------------------------------

bool TDidAririzEvar::DoMouseWheelDown(TShiftState Shift, TPoint MousePos)
{
    if (MouseActions()->WheelAction() == waScroll)
        return false;
    const bool WasEditing = FEdit.Editing.Active;
    bool Result = false;
    if (Options().Contains(goRowSelect) && Navigation()->KeepHorizScroll) {
        const Integer L = LeftCol();
        StartUpdate();
        Result = TBaseGrid::DoMouseWheelDown(Shift, MousePos);
        SetLeftCol(L);
        ResetUpdate();
        return Result;
    }
    Result = TBaseGrid::DoMouseWheelDown(Shift, MousePos);
    if (WasEditing && CanFocus())
        SetFocus();
    return Result;
}

bool TDidAririzEvar::DoMouseWheelUp(TShiftState Shift, TPoint MousePos)
{
    if (MouseActions()->WheelAction() == waScroll)
        return false;
    const bool WasEditing = FEdit.Editing.Active;
    bool Result = true;
    if (Options().Contains(goRowSelect) && Navigation()->KeepHorizScroll) {
        const Integer L = LeftCol();
        StartUpdate();
        Result = TBaseGrid::DoMouseWheelUp(Shift, MousePos);
        SetLeftCol(L);
        ResetUpdate();
        return Result;
    }
    if (Row() < RowCount() && Col() < ColCount())
        Result = TBaseGrid::DoMouseWheelUp(Shift, MousePos);
    if (WasEditing && CanFocus())
        SetFocus();
    return Result;
}

bool TDidAririzEvar::WheelHandling(TMessage& Message)
{
    TMouseActions& MA = *MouseActions();
    const Integer Delta = static_cast<SmallInt>(HIWORD(Message.WParam));
    const bool Down = Delta < 0;
    bool DoDefault = true;
    // 1. The parent may take the notch.
    if (Parent() && Parent()->Perform(CM_MOUSEWHEEL, Message.WParam, Message.LParam) != 0)
        return true;
    const Integer WheelStep = FScroll.WheelScrollLines;
    const bool Ctrl = (LOWORD(Message.WParam) & MK_CONTROL) != 0 || ::GetKeyState(VK_CONTROL) < 0;
    if (Ctrl && FScroll.IntelliZoom) {
        // 2. Zoom.
        Zoom(Down ? WheelStep : -WheelStep);
        AutoSizeCells(true, 4, 4);
    } else if (FScroll.EnableWheel) {
        // 3.
        if (FCore.FixedRowAlways && RowCount() == 1)
            return false;
        // 4.
        Integer Step = MA.WheelIncrement >= 1 ? MA.WheelIncrement : WheelStep;
        Integer NewRow = Row();
        // 5.
        if (MA.WheelAction() == waMoveSelection) {
            NewRow = Down ? Row() + Step : Row() - Step;
        } else if (Down) {
            if (TopRow() < RowCount() - VisibleRowCount() && TopRow() + Step >= FixedRows())
                SetTopRow(std::min(TopRow() + Step, std::max(FixedRows(), RowCount() - VisibleRowCount())));
        } else {
            if (TopRow() - Step < FixedRows())
                Step = TopRow() - FixedRows();
            if (TopRow() > FixedRows())
                SetTopRow(TopRow() - Step);
        }
        // 6.
        NewRow = std::max(FixedRows(), std::min(NewRow, RowCount() - FixedFooters() - 1));
        if (Col() > ColCount() - 1 && Row() > RowCount() - 1)
            FocusCell(ColCount() - 1, RowCount() - 1);
        if (Col() > ColCount() - 1)
            SetCol(ColCount() - 1);
        if (Col() < FixedCols())
            SetCol(FixedCols());
        const Integer SavedLeft = LeftCol();
        Integer Moved = 0;
        // 7.
        if (NewRow >= 0 && NewRow < RowCount()) {
            StartUpdate();
            {
                TScopeExit Reset([this] { ResetUpdate(); });
                const bool MoveSel = MA.WheelAction() == waMoveSelection;
                if (MA.DisjunctRowSelect() && MoveSel)
                    ClearRowSelect();
                Moved = NewRow - Row();
                if (MoveSel) {
                    SetRow(NewRow);
                    if (Row() != NewRow) {
                        // The row setter kept another row (a refused or hidden one): half way.
                        SetRow(Row() + static_cast<Integer>(std::nearbyint((NewRow - Row()) / 2.0)));
                        if (!Down && TopRow() > FixedRows())
                            SetTopRow(TopRow() - 1);
                    }
                }
                if (Options().Contains(goRowSelect) && Navigation()->KeepHorizScroll)
                    SetLeftCol(SavedLeft);
            }
            DirectWheelChange(Moved, DoDefault);
            if ((MA.WheelIncrement != 0 || MA.DisjunctRowSelect()) && DoDefault)
                Message.Result = 1;
        }
    }
    // 8.
    return !(MA.WheelIncrement != 0 && DoDefault);
}

// ---- Panning --------------------------------------------------------------------------------------

void TDidAririzEvar::StartPanning(TMessage& Message)
{
    TGridRuntimeState& S = FXchg.Runtime;
    S.PanCursor = PanCursorResource(8000);
    S.CursorBeforePan = ::SetCursor(S.PanCursor);
    S.Panning = true;
    ::SetTimer(Handle(), PanTimerId, 10, nullptr);
    S.PanStart =
        TPoint{static_cast<SmallInt>(LOWORD(Message.LParam)), static_cast<SmallInt>(HIWORD(Message.LParam))};
    ::SetCapture(Handle());
    SetShowHint(false);
    DrawIntelliFocusPoint();
}

void TDidAririzEvar::StopPanning()
{
    TGridRuntimeState& S = FXchg.Runtime;
    if (!S.Panning)
        return;
    if (HandleAllocated()) {
        if (::GetCapture() == Handle())
            ::ReleaseCapture();
        ::KillTimer(Handle(), PanTimerId);
    }
    ::SetCursor(S.CursorBeforePan);
    SetShowHint(true);
    S.Panning = false;
    if (HandleAllocated())
        EraseIntelliFocusPoint();
}

void TDidAririzEvar::PanStep()
{
    TGridRuntimeState& S = FXchg.Runtime;
    POINT P{};
    ::GetCursorPos(&P);
    ::ScreenToClient(Handle(), &P);
    // 1. Direction, outside a dead zone around the start point.
    Integer DX = P.X < S.PanStart.X - PanDeadZone ? -1 : P.X > S.PanStart.X + PanDeadZone ? 1 : 0;
    Integer DY = P.Y < S.PanStart.Y - PanDeadZone ? -1 : P.Y > S.PanStart.Y + PanDeadZone ? 1 : 0;
    if (S.IntelliPan == ipHorizontal)
        DY = 0;
    if (S.IntelliPan == ipVertical)
        DX = 0;
    // 2.
    const Integer Id = PanCursorId(DX, DY);
    ::SetCursor(Id == 8000 ? S.PanCursor : PanCursorResource(Id));
    // 3. The current cell into range first.
    if (Row() > RowCount() - FixedFooters() - 1)
        SetRow(RowCount() - FixedFooters() - 1);
    if (Row() < FixedRows())
        SetRow(FixedRows());
    if (Col() > ColCount() - FixedRightCols() - 1)
        SetCol(ColCount() - FixedRightCols() - 1);
    if (Col() < FixedCols())
        SetCol(FixedCols());
    if (MouseActions()->WheelAction() == waScroll) {
        // 4. The view moves by one.
        if (DX < 0 && LeftCol() > FixedCols()) {
            EraseIntelliFocusPoint();
            SetLeftCol(LeftCol() - 1);
        } else if (DX > 0 && LeftCol() < ColCount() - VisibleColCount() &&
                   LeftCol() + 1 <= ColCount() - VisibleColCount()) {
            EraseIntelliFocusPoint();
            SetLeftCol(LeftCol() + 1);
        }
        if (DY < 0 && TopRow() > FixedRows()) {
            EraseIntelliFocusPoint();
            SetTopRow(TopRow() - 1);
        } else if (DY > 0 && TopRow() < RowCount() - VisibleRowCount()) {
            EraseIntelliFocusPoint();
            SetTopRow(TopRow() + 1);
        }
        return;
    }
    // 5. The current cell moves by one.
    auto OutOfView = [this](Integer C, Integer R) {
        return C < LeftCol() || C >= LeftCol() + VisibleColCount() || R < TopRow() ||
               R >= TopRow() + VisibleRowCount();
    };
    if (DX < 0 && Col() > FixedCols()) {
        if (OutOfView(Col() - 1, Row()))
            EraseIntelliFocusPoint();
        SetCol(Col() - 1);
    } else if (DX > 0 && Col() < ColCount() - FixedRightCols() - 1) {
        if (OutOfView(Col() + 1, Row()))
            EraseIntelliFocusPoint();
        SetCol(Col() + 1);
    }
    if (DY < 0 && Row() > FixedRows()) {
        if (OutOfView(Col(), Row() - 1))
            EraseIntelliFocusPoint();
        SetRow(Row() - 1);
    } else if (DY > 0 && Row() < RowCount() - FixedFooters() - 1 && Row() + 1 <= RowCount() - 1) {
        if (OutOfView(Col(), Row() + 1))
            EraseIntelliFocusPoint();
        SetRow(Row() + 1);
    }
}

void TDidAririzEvar::DrawIntelliFocusPoint()
{
    static const char* const Names[] = {"INTLI3", "INTLI2", "INTLI1"}; // vertical, horizontal, both
    const TIntelliPan P = FXchg.Runtime.IntelliPan;
    if (P == ipNone || !HandleAllocated())
        return;
    auto Marker = std::make_unique<TBitmap>();
    try {
        Marker->LoadFromResourceName(ProgramModule(), Names[P]);
    } catch (const std::exception&) {
        return; // a program without the markers pans without one
    }
    if (Marker->Empty())
        return;
    // See-through pixels (the colour of the top-left one) show white.
    auto Shown = std::make_unique<TBitmap>();
    Shown->SetSize(Marker->Width(), Marker->Height());
    Shown->Canvas()->Brush()->SetColor(clWhite);
    Shown->Canvas()->FillRect(TRect{0, 0, Marker->Width(), Marker->Height()});
    Marker->SetTransparentColor(Marker->Canvas()->Pixels(0, 0));
    Marker->SetTransparent(true);
    Shown->Canvas()->Draw(0, 0, Marker.get());
    Canvas()->Draw(FXchg.Runtime.PanStart.X, FXchg.Runtime.PanStart.Y, Shown.get());
}

void TDidAririzEvar::EraseIntelliFocusPoint()
{
    if (!HandleAllocated())
        return;
    const TPoint P = FXchg.Runtime.PanStart;
    RECT R{P.X, P.Y, P.X + PanMarkerSize, P.Y + PanMarkerSize};
    ::InvalidateRect(Handle(), &R, FALSE);
}

// ---- Editors' notifications ----------------------------------------------------------------------

bool TDidAririzEvar::LiveCellUpdate(TMessage& Message)
{
    // The grid's text editor writes its own text while it changes (it knows the cell it was
    // opened on); the spin and edit-with-button editors are written here, into the cell their
    // edit was opened on.
    TGridEditingState& E = FEdit.Editing;
    if (!E.LiveUpdate)
        return false;
    const HWND From = reinterpret_cast<HWND>(Message.LParam);
    TWinControl* Shown = E.Shown;
    if (!E.Active || FXchg.Runtime.InMouseDown || !Shown || !Shown->HandleAllocated() ||
        Shown->Handle() != From)
        return false;
    const TEditorType T = E.Type;
    if (!TakesSpinEditor(T) && !TakesEditBtn(T))
        return false;
    // The control hears its own change once (the platform passes the notification back to it).
    Message.Result = Shown->Perform(CN_COMMAND, Message.WParam, Message.LParam);
    ::SendMessage(From, WM_SETREDRAW, 0, 0);
    if (E.Cell.X >= 0 && E.Cell.X < ColCount() && E.Cell.Y >= 0 && E.Cell.Y < RowCount())
        SetEditText(E.Cell.X, E.Cell.Y, Shown->Text());
    ::SendMessage(From, WM_SETREDRAW, 1, 0);
    return true;
}

void TDidAririzEvar::ComboNotification(TMessage& Message)
{
    const Word Code = HIWORD(Message.WParam);
    const HWND From = reinterpret_cast<HWND>(Message.LParam);
    TGridCombo* Cb = FEditors.Combo;
    const bool FromCombo = Cb && Cb->HandleAllocated() && Cb->Handle() == From;
    if (Code == CBN_SELCHANGE || Code == CBN_EDITCHANGE) {
        // 10.1 The grid's combo editor.
        if (FromCombo) {
            const Integer I = Cb->ItemIndex();
            const bool Listed = I >= 0 && I < Cb->Items()->Count();
            const AnsiString S = Listed ? Cb->Items()->Strings(I) : Cb->Text();
            if (OnComboChange)
                OnComboChange(this, RealColIndex(Col()), Row(), Listed ? I : -1, S);
            if (OnComboObjectChange)
                OnComboObjectChange(this, RealColIndex(Col()), Row(), Listed ? I : -1, S,
                                    Listed ? Cb->Items()->Objects(I) : nullptr);
        }
        // 10.2 A custom editor's combo: its item text read at its real length.
        TEditLink* Link = FEdit.Editing.EditLink;
        if (FEdit.Editing.Active && FEdit.Editing.Type == edCustom && Link && OnComboChange) {
            TWinControl* C = Link->GetEditControl();
            if (C && C->HandleAllocated() && C->Handle() == From) {
                const Integer I = static_cast<Integer>(::SendMessage(From, CB_GETCURSEL, 0, 0));
                AnsiString S;
                if (I >= 0) {
                    const LRESULT N = ::SendMessage(From, CB_GETLBTEXTLEN, static_cast<WPARAM>(I), 0);
                    if (N > 0) {
                        S.assign(static_cast<size_t>(N) + 1, '\0');
                        const LRESULT Got = ::SendMessage(From, CB_GETLBTEXT, static_cast<WPARAM>(I),
                                                          reinterpret_cast<LPARAM>(S.data()));
                        S.resize(Got > 0 ? static_cast<size_t>(Got) : 0);
                    }
                }
                OnComboChange(this, Col(), Row(), I, S);
            }
        }
    }
    // 11. The grid's combo editor closed its list.
    if (Code == CBN_CLOSEUP && FromCombo) {
        if (MouseActions()->DirectComboClose) {
            const Integer I = Cb->ItemIndex();
            if (I >= 0 && I < Cb->Items()->Count())
                Cb->SetText(Cb->Items()->Strings(I));
            HideInplaceEdit();
        }
        if (OnComboCloseUp)
            OnComboCloseUp(this, Row(), RealColIndex(Col()));
    }
    // 12. Typing into any combo.
    if (Code == CBN_EDITCHANGE && OnComboChange)
        OnComboChange(this, Col(), Row(), -1, Cb ? Cb->Text() : AnsiString());
}

// ---- Balloons -----------------------------------------------------------------------------------------

bool TDidAririzEvar::BalloonNotify(TMessage& Message)
{
    if (!Balloon()->Enable || !Message.LParam)
        return false;
    auto* Head = reinterpret_cast<NMHDR*>(Message.LParam);
    if (Head->code != TTN_NEEDTEXT)
        return false;
    auto* Info = reinterpret_cast<NMTTDISPINFO*>(Message.LParam);
    POINT P{};
    ::GetCursorPos(&P);
    ::ScreenToClient(Handle(), &P);
    Integer ACol = -1, ARow = -1;
    MouseToCell(P.X, P.Y, ACol, ARow);
    AnsiString Title, Text;
    Integer Icon = 1;
    CellBalloonText(ACol, ARow, Title, Text, Icon);
    // The text stays with the grid (FXchg.BalloonText) while the tool tip shows it.
    Info->lpszText = FXchg.BalloonText.data();
    const HWND Tip = Head->hwndFrom;
    if (Tip) {
        if (Balloon()->TextColor != clNone)
            ::SendMessage(Tip, TTM_SETTIPTEXTCOLOR, static_cast<WPARAM>(ColorToRGB(Balloon()->TextColor)), 0);
        if (Balloon()->BackgroundColor != clNone)
            ::SendMessage(Tip, TTM_SETTIPBKCOLOR, static_cast<WPARAM>(ColorToRGB(Balloon()->BackgroundColor)),
                          0);
        ::SendMessage(Tip, TTM_SETTITLE, static_cast<WPARAM>(Icon), reinterpret_cast<LPARAM>(Title.c_str()));
    }
    Message.Result = 0;
    return true;
}

// ---- The procedure --------------------------------------------------------------------------------

bool TDidAririzEvar::RuntimeWndProc(TMessage& Message)
{
    TGridRuntimeState& S = FXchg.Runtime;
    const bool Designing = ComponentState().Contains(csDesigning);
    // 1. The window goes: its timers and capture go with it.
    if (Message.Msg == WM_DESTROY) {
        StopPanning();
        if (HandleAllocated() && FCore.GridTimer)
            ::KillTimer(Handle(), FCore.GridTimer);
    }
    // 2.
    if (ComponentState().Contains(csDestroying))
        return false;
    // 3.
    const TGridRect Before = Selection();
    const bool WheelOn = FScroll.WheelMsg != 0;
    switch (Message.Msg) {
    case WM_CANCELMODE:
        // 5. An enhanced move ends.
        if (Screen && Screen->Cursor() == crDrag &&
            (GridState() == gsRowMoving || GridState() == gsColMoving) && FCore.EnhRowColMove) {
            Screen->SetCursor(crDefault);
            if (HandleAllocated())
                ::KillTimer(Handle(), PlatformScrollTimerId);
            FGridState = gsNormal;
        }
        return false;
    case CM_UIACTIVATE:
    case WM_LBUTTONUP:
        // 6. (A size change puts the proportional thumbs back through the size handler and
        // the next paint: here a bar shown or hidden would size the window again, and again.)
        if (!Designing) {
            UpdateVScroller();
            UpdateHScroller();
        }
        return false;
    case WM_THEMECHANGED:
        // 7.
        if (AutoThemeAdapt())
            ThemeAdapt();
        return false;
    case WM_COMMAND:
        // 8. and 9. The platform passes every notification back to the control that sent it,
        // once; the live update writes the text of an editor control into its cell.
        if (HIWORD(Message.WParam) == EN_CHANGE && LiveCellUpdate(Message))
            return true;
        ComboNotification(Message);
        return false;
    default:
        break;
    }
    // 13. Panning.
    if (WheelOn && S.IntelliPan != ipNone) {
        if (Message.Msg == WM_TIMER && S.Panning && static_cast<UINT_PTR>(Message.WParam) == PanTimerId) {
            PanStep();
            DrawIntelliFocusPoint();
            const TGridRect After = Selection();
            if (!WheelSameRect(Before, After))
                SelectionChanged(After.Left, After.Top, After.Right, After.Bottom);
            Message.Result = 0;
            return true;
        }
        if (Message.Msg == WM_MBUTTONDOWN && !S.Panning && RowCount() > FixedRows() && HandleAllocated()) {
            StartPanning(Message);
            Message.Result = 0;
            return true;
        }
        if (S.Panning && Message.Msg == WM_MBUTTONUP) {
            // The release of the press that started panning: the pan keeps the mouse.
            Message.Result = 0;
            return true;
        }
        if (S.Panning && (Message.Msg == WM_MBUTTONDOWN || Message.Msg == WM_LBUTTONDOWN ||
                          Message.Msg == WM_RBUTTONDOWN || Message.Msg == WM_KEYDOWN)) {
            StopPanning();
        }
    }
    // 14. The wheel.
    if (WheelOn && static_cast<Integer>(Message.Msg) == FScroll.WheelMsg && !S.Panning) {
        const bool Inherited = WheelHandling(Message);
        if (Inherited)
            TBaseGrid::WndProc(Message);
        // 15.
        const TGridRect After = Selection();
        if (!WheelSameRect(Before, After))
            SelectionChanged(After.Left, After.Top, After.Right, After.Bottom);
        return true;
    }
    return false;
}
