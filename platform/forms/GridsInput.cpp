// Input of the grid: the message switch, keyboard navigation, mouse selection, sizing and moving
// of rows and columns, the auto-scroll timer and the scroll bars.

#include "platform/forms/Grids.h"

#include <algorithm>

// ---- Messages ------------------------------------------------------------------------------------

void TCustomGrid::WndProc(TMessage& Message)
{
    switch (Message.Msg) {
    case WM_HSCROLL:
        if (Message.LParam == 0) {
            WMHScroll(Message);
            return;
        }
        break;
    case WM_VSCROLL:
        if (Message.LParam == 0) {
            WMVScroll(Message);
            return;
        }
        break;
    case WM_GETDLGCODE:
        WMGetDlgCode(Message);
        return;
    case WM_SETCURSOR:
        if (reinterpret_cast<HWND>(Message.WParam) == FHandle) {
            WMSetCursor(Message);
            return;
        }
        break;
    case WM_TIMER:
        WMTimer(Message);
        return;
    case WM_CANCELMODE:
    case CM_CANCELMODE:
        WMCancelMode(Message);
        return;
    case WM_SETFOCUS:
        WMSetFocus(Message);
        return;
    case WM_KILLFOCUS:
        WMKillFocus(Message);
        return;
    case WM_SIZE:
        TCustomControl::WndProc(Message);
        WMSize(Message);
        return;
    case WM_CHAR:
        WMChar(Message);
        return;
    case CM_WANTSPECIALKEY:
        CMWantSpecialKey(Message);
        return;
    case CM_FONTCHANGED:
        CMFontChanged(Message);
        return;
    case WM_ERASEBKGND:
        // Paint covers every pixel of the client area.
        Message.Result = 1;
        return;
    default:
        break;
    }
    TCustomControl::WndProc(Message);
}

void TCustomGrid::WMHScroll(TMessage& Message)
{
    ModifyScrollBar(SB_HORZ, LOWORD(Message.WParam), static_cast<SmallInt>(HIWORD(Message.WParam)));
    Message.Result = 0;
}

void TCustomGrid::WMVScroll(TMessage& Message)
{
    ModifyScrollBar(SB_VERT, LOWORD(Message.WParam), static_cast<SmallInt>(HIWORD(Message.WParam)));
    Message.Result = 0;
}

void TCustomGrid::WMGetDlgCode(TMessage& Message)
{
    Message.Result = DLGC_WANTARROWS;
    if (!FOptions.Contains(goRowSelect)) {
        if (FOptions.Contains(goTabs))
            Message.Result |= DLGC_WANTTAB;
        if (FOptions.Contains(goEditing))
            Message.Result |= DLGC_WANTCHARS;
    }
}

void TCustomGrid::WMSetCursor(TMessage& Message)
{
    TGridState State = gsNormal;
    if (LOWORD(Message.LParam) == HTCLIENT && FGridState == gsNormal) {
        POINT P{};
        GetCursorPos(&P);
        const TPoint C = ScreenToClient(TPoint{P.X, P.Y});
        TGridDrawInfo Info;
        CalcDrawInfo(Info);
        Integer Index = 0, Pos = 0, Ofs = 0;
        CalcSizingState(C.X, C.Y, State, Index, Pos, Ofs, Info);
    }
    TCursor Cur = crDefault;
    if (State == gsRowSizing || FGridState == gsRowSizing)
        Cur = crVSplit;
    else if (State == gsColSizing || FGridState == gsColSizing)
        Cur = crHSplit;
    if (Cur != crDefault && Screen) {
        ::SetCursor(Screen->Cursors(Cur));
        Message.Result = 1;
        return;
    }
    TCustomControl::WndProc(Message);
}

void TCustomGrid::StartScrollTimer()
{
    if (HandleAllocated() && IsWindow(FHandle)) {
        SetTimer(FHandle, GridScrollTimerId, 60, nullptr);
        FTimerActive = true;
    }
}

void TCustomGrid::StopScrollTimer()
{
    if (FTimerActive && HandleAllocated() && IsWindow(FHandle))
        KillTimer(FHandle, GridScrollTimerId);
    FTimerActive = false;
}

// While the mouse selects or moves outside the cells, each tick scrolls one cell towards it.
// Other timers of the window (a grid built on this one runs its own) are not the grid's: they go
// on to the control's handling.
void TCustomGrid::WMTimer(TMessage& Message)
{
    if (Message.WParam != GridScrollTimerId) {
        TCustomControl::WndProc(Message);
        return;
    }
    if (FGridState != gsSelecting && FGridState != gsRowMoving && FGridState != gsColMoving)
        return;
    POINT P{};
    GetCursorPos(&P);
    const TPoint Pt = ScreenToClient(TPoint{P.X, P.Y});
    TGridDrawInfo Info;
    CalcDrawInfo(Info);
    const TGridCoord CellHit = CalcCoordFromPoint(Pt.X, Pt.Y, Info);
    switch (FGridState) {
    case gsColMoving:
        MoveAndScroll(Pt.X, CellHit.X, Info, Info.Horz, SB_HORZ);
        break;
    case gsRowMoving:
        MoveAndScroll(Pt.Y, CellHit.Y, Info, Info.Vert, SB_VERT);
        break;
    case gsSelecting: {
        TGridCoord NewAnchor = FAnchor;
        if (Pt.X < Info.Horz.FixedBoundary) {
            if (FAnchor.X > FFixedCols)
                --NewAnchor.X;
        } else if (Pt.X > Info.Horz.FullVisBoundary) {
            if (FAnchor.X < FColCount - 1)
                ++NewAnchor.X;
        }
        if (Pt.Y < Info.Vert.FixedBoundary) {
            if (FAnchor.Y > FFixedRows)
                --NewAnchor.Y;
        } else if (Pt.Y > Info.Vert.FullVisBoundary) {
            if (FAnchor.Y < FRowCount - 1)
                ++NewAnchor.Y;
        }
        if (!(NewAnchor == FAnchor))
            MoveAnchor(NewAnchor);
        break;
    }
    default:
        break;
    }
}

void TCustomGrid::WMCancelMode(TMessage& Message)
{
    TCustomControl::WndProc(Message);
    if (FGridState == gsRowSizing || FGridState == gsColSizing) {
        TGridDrawInfo Info;
        CalcDrawInfo(Info);
        DrawSizingLine(Info);
    } else if ((FGridState == gsRowMoving || FGridState == gsColMoving) && FMoveDrawn) {
        DrawMove();
    }
    StopScrollTimer();
    FMoveDrawn = false;
    FGridState = gsNormal;
}

void TCustomGrid::WMSetFocus(TMessage& Message)
{
    TCustomControl::WndProc(Message);
    if (!FInplaceEdit || !FInplaceEdit->HandleAllocated() ||
        reinterpret_cast<HWND>(Message.WParam) != FInplaceEdit->FHandle) {
        InvalidateRect(Selection());
        InvalidateCell(FCurrent.X, FCurrent.Y);
        UpdateEdit();
    }
}

void TCustomGrid::WMKillFocus(TMessage& Message)
{
    TCustomControl::WndProc(Message);
    InvalidateRect(Selection());
    InvalidateCell(FCurrent.X, FCurrent.Y);
    if (FInplaceEdit &&
        (!FInplaceEdit->HandleAllocated() || reinterpret_cast<HWND>(Message.WParam) != FInplaceEdit->FHandle))
        HideEdit();
}

void TCustomGrid::WMSize(TMessage&)
{
    UpdateScrollRange();
    InvalidateGrid();
    UpdateEdit();
}

void TCustomGrid::Resize()
{
    TCustomControl::Resize();
}

// Typing a character with goEditing opens the editor with that character. The character goes
// the control's usual way first (dialog characters, the form's key preview, KeyPress and
// OnKeyPress may change or eat it); what is left is typed into the editor.
void TCustomGrid::WMChar(TMessage& Message)
{
    const WideChar Ch = static_cast<WideChar>(Message.WParam);
    if (!FOptions.Contains(goEditing) || !((Ch == 8 || Ch >= 32) && Ch != 127)) {
        TCustomControl::WndProc(Message);
        return;
    }
    if (Perform(CN_CHAR, Message.WParam, Message.LParam) != 0)
        return;
    Message.Result = 0;
    if (DoKeyPress(Message))
        return;
    const WideChar Left = static_cast<WideChar>(Message.WParam);
    if ((Left == 8 || Left >= 32) && Left != 127)
        ShowEditorChar(Left);
}

// Special keys follow the dialog codes: Enter and Esc reach the grid only when the form does not
// take them as dialog keys (a default or cancel button).
void TCustomGrid::CMWantSpecialKey(TMessage& Message)
{
    TCustomControl::WndProc(Message);
}

void TCustomGrid::CMFontChanged(TMessage& Message)
{
    if (FInplaceEdit)
        FInplaceEdit->Font()->Assign(Font());
    TCustomControl::WndProc(Message);
}

void TCustomGrid::CreateParams(TCreateParams& Params)
{
    TCustomControl::CreateParams(Params);
    Params.Style |= WS_TABSTOP;
    if (FScrollBars == ssVertical || FScrollBars == ssBoth)
        Params.Style |= WS_VSCROLL;
    if (FScrollBars == ssHorizontal || FScrollBars == ssBoth)
        Params.Style |= WS_HSCROLL;
    Params.WindowClass.style = CS_DBLCLKS;
    if (FBorderStyle == bsSingle) {
        if (Ctl3D())
            Params.ExStyle |= WS_EX_CLIENTEDGE;
        else
            Params.Style |= WS_BORDER;
    }
}

void TCustomGrid::CreateWnd()
{
    TCustomControl::CreateWnd();
    UpdateScrollRange();
}

void TCustomGrid::DoEnter()
{
    TCustomControl::DoEnter();
}

void TCustomGrid::DoExit()
{
    TCustomControl::DoExit();
    if (!FOptions.Contains(goAlwaysShowEditor))
        HideEditor();
}

bool TCustomGrid::DoMouseWheelDown(TShiftState Shift, TPoint MousePos)
{
    bool Result = TCustomControl::DoMouseWheelDown(Shift, MousePos);
    if (!Result) {
        if (FCurrent.Y < FRowCount - 1)
            SetRow(FCurrent.Y + 1);
        Result = true;
    }
    return Result;
}

bool TCustomGrid::DoMouseWheelUp(TShiftState Shift, TPoint MousePos)
{
    bool Result = TCustomControl::DoMouseWheelUp(Shift, MousePos);
    if (!Result) {
        if (FCurrent.Y > FFixedRows)
            SetRow(FCurrent.Y - 1);
        Result = true;
    }
    return Result;
}

// ---- Keyboard ------------------------------------------------------------------------------------

bool TCustomGrid::CanGridAcceptKey(Word, TShiftState)
{
    return true;
}

void TCustomGrid::KeyDown(Word& Key, TShiftState Shift)
{
    TCustomControl::KeyDown(Key, Shift);
    if (!CanGridAcceptKey(Key, Shift))
        Key = 0;
    if (Key == 0)
        return;

    // Esc while editing goes back to the text of the cell.
    if (Key == VK_ESCAPE) {
        if (FEditorMode && FInplaceEdit && FInplaceEdit->Visible()) {
            FInplaceEdit->UpdateContents();
            FInplaceEdit->SetModified(false);
            FInplaceEdit->SelectAll();
        }
        return;
    }

    TGridDrawInfo Info;
    CalcDrawInfo(Info);
    const Integer PageWidth = std::max(1, Info.Horz.LastFullVisibleCell - FTopLeft.X);
    const Integer PageHeight = std::max(1, Info.Vert.LastFullVisibleCell - FTopLeft.Y);
    const bool RowSelect = FOptions.Contains(goRowSelect);
    TGridCoord NewTopLeft = FTopLeft;
    TGridCoord NewCurrent = FCurrent;

    if (Shift.Contains(ssCtrl)) {
        switch (Key) {
        case VK_UP:
            --NewTopLeft.Y;
            break;
        case VK_DOWN:
            ++NewTopLeft.Y;
            break;
        case VK_LEFT:
            if (!RowSelect) {
                NewCurrent.X -= PageWidth;
                NewTopLeft.X -= PageWidth;
            }
            break;
        case VK_RIGHT:
            if (!RowSelect) {
                NewCurrent.X += PageWidth;
                NewTopLeft.X += PageWidth;
            }
            break;
        case VK_PRIOR:
            NewCurrent.Y = FTopLeft.Y;
            break;
        case VK_NEXT:
            NewCurrent.Y = Info.Vert.LastFullVisibleCell;
            break;
        case VK_HOME:
            NewCurrent.X = FFixedCols;
            NewCurrent.Y = FFixedRows;
            break;
        case VK_END:
            NewCurrent.X = FColCount - 1;
            NewCurrent.Y = FRowCount - 1;
            break;
        default:
            break;
        }
    } else {
        switch (Key) {
        case VK_UP:
            --NewCurrent.Y;
            break;
        case VK_DOWN:
            ++NewCurrent.Y;
            break;
        case VK_LEFT:
            if (RowSelect)
                --NewTopLeft.X;
            else
                --NewCurrent.X;
            break;
        case VK_RIGHT:
            if (RowSelect)
                ++NewTopLeft.X;
            else
                ++NewCurrent.X;
            break;
        case VK_NEXT:
            NewCurrent.Y += PageHeight;
            NewTopLeft.Y += PageHeight;
            break;
        case VK_PRIOR:
            NewCurrent.Y -= PageHeight;
            NewTopLeft.Y -= PageHeight;
            break;
        case VK_HOME:
            if (RowSelect)
                NewTopLeft.X = FFixedCols;
            else
                NewCurrent.X = FFixedCols;
            break;
        case VK_END:
            if (RowSelect)
                NewTopLeft.X = CalcMaxTopLeft({FColCount - 1, 0}, Info).X;
            else
                NewCurrent.X = FColCount - 1;
            break;
        case VK_TAB:
            if (!Shift.Contains(ssAlt) && !RowSelect && FOptions.Contains(goTabs)) {
                if (Shift.Contains(ssShift)) {
                    if (--NewCurrent.X < FFixedCols) {
                        NewCurrent.X = FColCount - 1;
                        if (--NewCurrent.Y < FFixedRows)
                            NewCurrent.Y = FRowCount - 1;
                    }
                    Shift = TShiftState{};
                } else if (++NewCurrent.X >= FColCount) {
                    NewCurrent.X = FFixedCols;
                    if (++NewCurrent.Y >= FRowCount)
                        NewCurrent.Y = FFixedRows;
                }
            }
            break;
        case VK_F2:
            SetEditorMode(true);
            break;
        default:
            break;
        }
    }
    const TGridCoord Max = CalcMaxTopLeft({FColCount - 1, FRowCount - 1}, Info);
    NewTopLeft.X = std::clamp(NewTopLeft.X, FFixedCols, std::max(FFixedCols, Max.X));
    NewTopLeft.Y = std::clamp(NewTopLeft.Y, FFixedRows, std::max(FFixedRows, Max.Y));
    NewCurrent.X = std::clamp(NewCurrent.X, FFixedCols, std::max(FFixedCols, FColCount - 1));
    NewCurrent.Y = std::clamp(NewCurrent.Y, FFixedRows, std::max(FFixedRows, FRowCount - 1));
    // The current cell moves first: when SelectCell refuses it, the view stays too (a page key
    // must not scroll to a page whose cell was refused).
    const bool CellMoves = !(NewCurrent == FCurrent);
    if (CellMoves && !MoveCurrent(NewCurrent.X, NewCurrent.Y, !Shift.Contains(ssShift), false))
        return;
    if (!(NewTopLeft == FTopLeft))
        MoveTopLeft(NewTopLeft.X, NewTopLeft.Y);
    if (CellMoves) {
        ClampInView(FCurrent);
        UpdateEdit();
        Click();
    }
}

void TCustomGrid::KeyPress(WideChar& Key)
{
    TCustomControl::KeyPress(Key);
    // Enter opens the editor, or closes it and keeps what was typed.
    if (Key == u'\r' && !FOptions.Contains(goAlwaysShowEditor)) {
        if (FEditorMode)
            HideEditor();
        else
            ShowEditor();
        Key = 0;
    }
}

void TCustomGrid::KeyUp(Word& Key, TShiftState Shift)
{
    TCustomControl::KeyUp(Key, Shift);
}

// ---- Mouse ---------------------------------------------------------------------------------------

void TCustomGrid::CalcSizingState(Integer X, Integer Y, TGridState& State, Integer& Index, Integer& SizingPos,
                                  Integer& SizingOfs, TGridDrawInfo& FixedInfo)
{
    State = gsNormal;
    Index = -1;
    // The sizing zone around each line is at least 7 pixels wide, centred on the line.
    auto AxisState = [&](const TGridAxis& Sizes, const TGridAxisDrawInfo& Axis, Integer Pos,
                         TGridState NewState) {
        Integer Range = Axis.EffectiveLineWidth, Back = 0;
        if (Range < 7) {
            Range = 7;
            Back = (Range - Axis.EffectiveLineWidth) / 2;
        }
        Integer Line = 0;
        auto Test = [&](Integer I) {
            Line += Sizes.Size(I);
            if (Line > Axis.GridBoundary)
                return true;
            if (Pos >= Line - Back && Pos <= Line - Back + Range) {
                State = NewState;
                SizingPos = Line;
                SizingOfs = Line - Pos;
                Index = I;
                return true;
            }
            Line += Axis.EffectiveLineWidth;
            return false;
        };
        for (Integer I = 0; I < Axis.FixedCellCount; ++I)
            if (Test(I))
                return;
        for (Integer I = Axis.FirstGridCell; I < Axis.GridCellCount; ++I)
            if (Test(I))
                return;
    };
    if (!FOptions.Contains(goColSizing) && !FOptions.Contains(goRowSizing))
        return;
    if (X > FixedInfo.Horz.FixedBoundary && FOptions.Contains(goColSizing)) {
        if (Y >= FixedInfo.Vert.FixedBoundary)
            return;
        AxisState(FCols, FixedInfo.Horz, X, gsColSizing);
    } else if (Y > FixedInfo.Vert.FixedBoundary && FOptions.Contains(goRowSizing)) {
        if (X >= FixedInfo.Horz.FixedBoundary)
            return;
        AxisState(FRows, FixedInfo.Vert, Y, gsRowSizing);
    }
}

void TCustomGrid::MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y)
{
    if (!ComponentState().Contains(csDesigning) && (CanFocus() || !GetParentForm(this))) {
        if (!Focused() &&
            !(FInplaceEdit && FInplaceEdit->HandleAllocated() && GetFocus() == FInplaceEdit->FHandle))
            SetFocus();
        if (!IsActiveControl()) {
            SetMouseCapture(false);
            return;
        }
    }
    if (Button == mbLeft && Shift.Contains(ssDouble)) {
        // The double click itself was announced by the control's message handling.
    } else if (Button == mbLeft) {
        TGridDrawInfo Info;
        CalcDrawInfo(Info);
        CalcSizingState(X, Y, FGridState, FSizingIndex, FSizingPos, FSizingOfs, Info);
        if (FGridState != gsNormal) {
            DrawSizingLine(Info);
            TCustomControl::MouseDown(Button, Shift, X, Y);
            return;
        }
        const TGridCoord CellHit = CalcCoordFromPoint(X, Y, Info);
        if (CellHit.X >= FFixedCols && CellHit.Y >= FFixedRows) {
            if (FOptions.Contains(goEditing)) {
                if (CellHit == FCurrent)
                    ShowEditor();
                else {
                    MoveCurrent(CellHit.X, CellHit.Y, true, true);
                    UpdateEdit();
                }
                Click();
            } else {
                FGridState = gsSelecting;
                StartScrollTimer();
                if (Shift.Contains(ssShift))
                    MoveAnchor(CellHit);
                else
                    MoveCurrent(CellHit.X, CellHit.Y, true, true);
            }
        } else if (FOptions.Contains(goRowMoving) && CellHit.X >= 0 && CellHit.X < FFixedCols &&
                   CellHit.Y >= FFixedRows) {
            FMoveIndex = CellHit.Y;
            FMovePos = FMoveIndex;
            FGridState = gsRowMoving;
            Update();
            DrawMove();
            FMoveDrawn = true;
            StartScrollTimer();
        } else if (FOptions.Contains(goColMoving) && CellHit.Y >= 0 && CellHit.Y < FFixedRows &&
                   CellHit.X >= FFixedCols) {
            FMoveIndex = CellHit.X;
            FMovePos = FMoveIndex;
            FGridState = gsColMoving;
            Update();
            DrawMove();
            FMoveDrawn = true;
            StartScrollTimer();
        }
    }
    TCustomControl::MouseDown(Button, Shift, X, Y);
}

void TCustomGrid::MoveAndScroll(Integer Mouse, Integer CellHit, TGridDrawInfo& DrawInfo,
                                TGridAxisDrawInfo& Axis, int ScrollBar)
{
    if (CellHit == FMovePos || (FMovePos == Axis.FixedCellCount && Mouse < Axis.FixedBoundary) ||
        (FMovePos == Axis.GridCellCount - 1 && Mouse > Axis.GridBoundary))
        return;
    if (FMoveDrawn)
        DrawMove();
    if (Mouse < Axis.FixedBoundary) {
        if (FMovePos > Axis.FixedCellCount) {
            ModifyScrollBar(ScrollBar, SB_LINEUP, 0);
            Update();
            CalcDrawInfo(DrawInfo);
        }
        CellHit = Axis.FirstGridCell;
    } else if (Mouse >= Axis.FullVisBoundary) {
        if (FMovePos == Axis.LastFullVisibleCell && FMovePos < Axis.GridCellCount - 1) {
            ModifyScrollBar(ScrollBar, SB_LINEDOWN, 0);
            Update();
            CalcDrawInfo(DrawInfo);
        }
        CellHit = Axis.LastFullVisibleCell;
    } else if (CellHit < 0) {
        CellHit = FMovePos;
    }
    if (CellHit >= Axis.FixedCellCount && CellHit < Axis.GridCellCount)
        FMovePos = CellHit;
    DrawMove();
    FMoveDrawn = true;
}

void TCustomGrid::MouseMove(TShiftState Shift, Integer X, Integer Y)
{
    TGridDrawInfo Info;
    CalcDrawInfo(Info);
    switch (FGridState) {
    case gsSelecting:
    case gsColMoving:
    case gsRowMoving: {
        const TGridCoord CellHit = CalcCoordFromPoint(X, Y, Info);
        if (FGridState == gsSelecting) {
            if (CellHit.X >= FFixedCols && CellHit.Y >= FFixedRows &&
                CellHit.X <= Info.Horz.LastFullVisibleCell + 1 &&
                CellHit.Y <= Info.Vert.LastFullVisibleCell + 1 && !(CellHit == FAnchor))
                MoveAnchor(CellHit);
        } else if (FGridState == gsColMoving) {
            MoveAndScroll(X, CellHit.X, Info, Info.Horz, SB_HORZ);
        } else {
            MoveAndScroll(Y, CellHit.Y, Info, Info.Vert, SB_VERT);
        }
        break;
    }
    case gsRowSizing:
    case gsColSizing:
        DrawSizingLine(Info); // off at the old place
        FSizingPos = (FGridState == gsRowSizing ? Y : X) + FSizingOfs;
        DrawSizingLine(Info); // on at the new one
        break;
    default:
        break;
    }
    TCustomControl::MouseMove(Shift, X, Y);
}

void TCustomGrid::MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y)
{
    // Whatever happens below, the grid leaves its mouse state.
    struct Reset {
        TCustomGrid* G;
        ~Reset()
        {
            G->FGridState = gsNormal;
            G->FMoveDrawn = false;
        }
    } ResetState{this};

    switch (FGridState) {
    case gsSelecting:
        MouseMove(Shift, X, Y);
        StopScrollTimer();
        UpdateEdit();
        Click();
        break;
    case gsRowSizing:
    case gsColSizing: {
        TGridDrawInfo Info;
        CalcDrawInfo(Info);
        DrawSizingLine(Info);
        const bool Cols = FGridState == gsColSizing;
        const TGridAxis& Sizes = Cols ? FCols : FRows;
        const TGridAxisDrawInfo& Axis = Cols ? Info.Horz : Info.Vert;
        // Start of the item being sized, where the line started from.
        Int64 Start;
        if (FSizingIndex < Axis.FixedCellCount)
            Start = Sizes.Offset(FSizingIndex);
        else
            Start = Int64(Axis.FixedBoundary) + Sizes.Offset(FSizingIndex) - Sizes.Offset(Axis.FirstGridCell);
        const Integer NewSize = static_cast<Integer>(FSizingPos - Start);
        if (NewSize > 1 && FSizingIndex >= 0) {
            if (Cols)
                SetColWidths(FSizingIndex, NewSize);
            else
                SetRowHeights(FSizingIndex, NewSize);
        }
        break;
    }
    case gsColMoving:
    case gsRowMoving: {
        if (FMoveDrawn)
            DrawMove();
        StopScrollTimer();
        const bool Cols = FGridState == gsColMoving;
        FGridState = gsNormal;
        if (FMoveIndex != FMovePos) {
            if (Cols)
                MoveColumn(FMoveIndex, FMovePos);
            else
                MoveRow(FMoveIndex, FMovePos);
        }
        UpdateEdit();
        break;
    }
    default:
        UpdateEdit();
        break;
    }
    TCustomControl::MouseUp(Button, Shift, X, Y);
}
