// The form controls of mini-HTML cells (CONTROL tags: EDIT, PASSWORD, MASK, COMBO, CHECK, RADIO,
// BUTTON) and their links: a press toggles check boxes and radio buttons, holds buttons down and
// opens the grid's control edit or control combo over text and combo controls; leaving that editor
// writes its value into the cell's markup. A control's value lives only in the markup.

#include "RudUvud/core/RudUvud.h"

#include "RudUvud/core/GridCoreState.h"
#include "RudUvud/edit/GridEditState.h"
#include "RudUvud/edit/GridPaintState.h"
#include "RudUvud/support/Daehtmle.h"
#include "RudUvud/support/DerOdoz.h"

#include "platform/rtl/Strings.h"
#include "platform/win/ShellExecute.h"

namespace {

bool IsTextControl(const AnsiString& UpType)
{
    return UpType == "EDIT" || UpType == "PASSWORD" || UpType == "MASK";
}

// What the renderer found at a point, or for a control ID.
struct THTMLHit {
    bool Hit = false;
    AnsiString Anchor;
    AnsiString CtrlID;
    AnsiString CtrlVal;
    AnsiString CtrlType;
    TRect CtrlRect{0, 0, 0, 0};
};

// Only addresses that a browser or a mail program takes are handed to the desktop: a link in cell
// text (which may come from an imported file) never starts a program or opens a local file.
bool MayOpen(const AnsiString& Anchor)
{
    const AnsiString L = LowerCase(Trim(Anchor));
    return L.rfind("http://", 0) == 0 || L.rfind("https://", 0) == 0 || L.rfind("mailto:", 0) == 0;
}

} // namespace

TRect TDidAririzEvar::HTMLControlArea(Integer ACol, Integer ARow)
{
    TRect R = CellRect(ACol, ARow);
    R.Left += FPaint.XYOffset.X + 1;
    R.Top += FPaint.XYOffset.Y + 1;
    if (HasCheckBox(RealColIndex(ACol), ARow))
        R.Left += ControlLook()->CheckSize;
    return R;
}

namespace {

// The renderer's hit test of Markup laid out in R: at the point (X, Y), or (with X and Y -1) for
// the control named ID.
THTMLHit HitTest(TDidAririzEvar* G, TCanvas* C, const AnsiString& Markup, const TRect& R, Integer X,
                 Integer Y, const AnsiString& ID, TCustomImageList* Images, TColor URLColor,
                 THTMLPictureCache* Cache)
{
    THTMLHit H;
    H.CtrlID = ID;
    AnsiString Strip, FocusAnchor, Hint;
    Integer XSize = 0, YSize = 0, Links = 0, MouseLink = 0;
    TRect MouseRect{0, 0, 0, 0};
    C->Font()->Assign(G->Font());
    H.Hit = HTMLDrawEx(C, Markup, R, Images, X, Y, -1, -1, 1, true, false, false, false, false, false, true,
                       false, 1.0, URLColor, clNone, clNone, clGray, H.Anchor, Strip, FocusAnchor, Hint,
                       XSize, YSize, Links, MouseLink, MouseRect, H.CtrlRect, H.CtrlID, H.CtrlVal, H.CtrlType,
                       Cache, nullptr, G->HandleAllocated() ? G->Handle() : nullptr);
    if (!H.Hit)
        H.CtrlID.clear();
    return H;
}

} // namespace

bool TDidAririzEvar::LinkPress(Integer ACol, Integer ARow, Integer X, Integer Y)
{
    const Integer RC = RealColIndex(ACol);
    const AnsiString Text = Cells(RC, ARow);
    const bool HTML = TextType(Text, FCore.EnableHTML) == ttHTML;
    if (!FPaint.URLShow && !HTML)
        return false;
    THTMLHit H;
    if (!HTML) {
        if (IsURL(Text))
            H.Anchor = Text;
    } else {
        H = HitTest(this, MeasureCanvas(), Text, HTMLControlArea(ACol, ARow), X, Y, AnsiString(),
                    FPaint.GridImages, FCore.URLColor, FPictureCache.get());
        if (!H.Hit)
            H.Anchor.clear();
    }
    if (!H.Anchor.empty()) {
        bool AutoHandle = true;
        const bool Control = HTML && !H.CtrlID.empty();
        bool MayEdit = Options().Contains(goEditing);
        if (Control)
            DoCanEditCell(RC, ARow, MayEdit);
        if (Control && MayEdit) {
            ControlClick(ACol, ARow, H.CtrlID, H.CtrlType, H.CtrlVal, H.CtrlRect);
            AutoHandle = false;
        } else if (OnAnchorClick) {
            OnAnchorClick(this, ARow, ACol, H.Anchor, AutoHandle);
        }
        if (AutoHandle)
            FollowAnchor(H.Anchor);
        return true;
    }
    if (HTML && HasHTMLControl(Text)) {
        if (OnClickCell)
            OnClickCell(this, ARow, ACol);
        HideInplaceEdit();
        SetSelection(TGridRect{ACol, ARow, ACol, ARow});
        return true;
    }
    return false;
}

void TDidAririzEvar::FollowAnchor(const AnsiString& Anchor)
{
    const std::size_t At = UpperCase(Anchor).find("CELL://");
    if (At == AnsiString::npos) {
        if (MayOpen(Anchor))
            ShellExecute(HandleAllocated() ? Handle() : nullptr, "open", Trim(Anchor).c_str(), nullptr,
                         nullptr, SW_SHOWNORMAL);
        return;
    }
    TPoint Cell{0, 0};
    if (!NameToCell(Anchor.substr(At + 7), Cell))
        return;
    // Only a cell that can be current is gone to.
    if (Cell.X < FixedCols() || Cell.X >= ColCount() || Cell.Y < FixedRows() || Cell.Y >= RowCount())
        return;
    SetRow(Cell.Y);
    SetCol(Cell.X);
    ScrollInView(Cell.X, Cell.Y);
}

void TDidAririzEvar::ControlClick(Integer ACol, Integer ARow, const AnsiString& CtrlID,
                                  const AnsiString& CtrlType, const AnsiString& CtrlVal,
                                  const TRect& CtrlRect)
{
    const Integer RC = RealColIndex(ACol);
    // The open editor's value goes back before anything else reads the cell.
    if (FControlActive)
        ControlExit(this);
    AnsiString Text = Cells(RC, ARow);
    const AnsiString Type = UpperCase(CtrlType);
    if (Type == "BUTTON") {
        FCtrlCell = TGridCoord{RC, ARow};
        FControlButtonDown = true;
        RepaintCell(ACol, ARow);
    } else if (Type == "CHECK") {
        // As the box is drawn: checked for "TRUE" in any case.
        SetControlValue(Text, CtrlID, UpperCase(CtrlVal) == "TRUE" ? "FALSE" : "TRUE");
        SetCells(RC, ARow, Text);
    } else if (Type == "RADIO") {
        Text = ClearRadioControls(Text);
        SetControlValue(Text, CtrlID, "TRUE");
        SetCells(RC, ARow, Text);
    }
    if (OnControlClick)
        OnControlClick(this, ARow, ACol, CtrlID, CtrlType, CtrlVal);
    ControlEnter(Text, CtrlType, CtrlID, CtrlVal, CtrlRect, ACol, RC, ARow);
}

void TDidAririzEvar::ControlEnter(const AnsiString& Cell, const AnsiString& CtrlType,
                                  const AnsiString& CtrlID, const AnsiString& CtrlVal, const TRect& CtrlRect,
                                  Integer ACol, Integer ARealCol, Integer ARow)
{
    const AnsiString Type = UpperCase(CtrlType);
    const bool Text = IsTextControl(Type);
    if ((!Text && Type != "COMBO") || !FControlEdit || !FControlCombo)
        return;
    FCtrlCell = TGridCoord{ARealCol, ARow};
    FCtrlID = CtrlID;
    FCtrlType = CtrlType;
    FControlActive = true;
    const TNotifyEvent Exit = [this](TObject* Sender) { ControlExit(Sender); };
    if (Text) {
        TControlEdit* E = FControlEdit;
        E->SetWidth(0);
        E->SetPasswordChar(Type == "PASSWORD" ? WideChar('*') : WideChar(0));
        E->SetEditMask(Type == "MASK" ? GetControlProp(Cell, CtrlID) : AnsiString());
        E->OnExit = Exit;
        E->SetText(CtrlVal);
        E->SetBorderStyle(bsNone);
        // The editor keeps the height it is given, to fit inside the drawn control.
        E->SetAutoSize(false);
        E->SetBounds(CtrlRect.Left + 1, CtrlRect.Top + 8, CtrlRect.Right - CtrlRect.Left - 4, 14);
        E->SetMaxLength(GetControlMaxLen(Cell, CtrlID));
        E->SetParent(this);
        E->SetVisible(true);
        E->BringToFront();
        if (E->CanFocus())
            E->SetFocus();
        // Moving on from the previous control keeps the focus in the editor, so entering it does
        // not select the new value: it is selected here as on every opening.
        E->SelectAll();
        return;
    }
    TControlCombo* C = FControlCombo;
    C->IsWinXP = FCore.IsXP;
    C->SetWidth(0);
    bool Edit = true;
    Integer DropCount = 8;
    C->SetFlat(false);
    C->SetBounds(CtrlRect.Left - 1, CtrlRect.Top + 4, CtrlRect.Right - CtrlRect.Left, C->Height());
    C->SetParent(this);
    // The list and the text need the window: made without one, they would be lost to it.
    C->HandleNeeded();
    // The list is the handler's to fill: what the last opening left in it would only pile up.
    C->Items()->Clear();
    if (OnControlComboList)
        OnControlComboList(this, ARow, ACol, CtrlID, CtrlType, CtrlVal, C->Items(), Edit, DropCount);
    C->SetStyle(Edit ? csDropDown : csDropDownList);
    const Integer Index = C->Items()->IndexOf(CtrlVal);
    if (Index >= 0)
        C->SetItemIndex(Index);
    C->SetText(CtrlVal);
    C->SetDropDownCount(DropCount);
    C->OnExit = Exit;
    C->SetHeight(C->ItemHeight() * (DropCount + 2));
    C->SetMaxLength(GetControlMaxLen(Cell, CtrlID));
    C->SetVisible(true);
    C->SetDroppedDown(true);
    if (C->CanFocus())
        C->SetFocus();
}

void TDidAririzEvar::ControlExit(TObject*)
{
    if (!FControlActive || ComponentState().Contains(csDestroying))
        return;
    FControlActive = false;
    const AnsiString Type = UpperCase(FCtrlType);
    const Integer RC = FCtrlCell.X, ARow = FCtrlCell.Y;
    AnsiString Value;
    auto WriteBack = [&] {
        // The cell may have gone while its control was edited.
        if (RC < 0 || RC >= TotalColCount() || ARow < 0 || ARow >= RowCount())
            return;
        AnsiString S = Cells(RC, ARow);
        if (SetControlValue(S, FCtrlID, Value))
            SetCells(RC, ARow, S);
    };
    if (IsTextControl(Type)) {
        Value = FControlEdit->Text();
        WriteBack();
        FControlEdit->SetVisible(false);
    } else if (Type == "COMBO") {
        Value = FControlCombo->Text();
        WriteBack();
        FControlCombo->SetVisible(false);
    }
    if (OnControlEditDone)
        OnControlEditDone(this, ARow, RC, FCtrlID, FCtrlType, Value);
    FCtrlType.clear();
}

void TDidAririzEvar::ControlComboSelect(TObject* Sender)
{
    if (!OnControlComboSelect)
        return;
    auto* C = dynamic_cast<TControlCombo*>(Sender);
    if (!C)
        return;
    const Integer Index = C->ItemIndex();
    const AnsiString Item =
        Index >= 0 && Index < C->Items()->Count() ? C->Items()->Strings(Index) : AnsiString();
    OnControlComboSelect(this, FCtrlCell.Y, FCtrlCell.X, Index, FCtrlID, Item);
}

void TDidAririzEvar::AdvanceHTMLEdit(Integer ACol, Integer ARow, const AnsiString& ID)
{
    const Integer RC = RealColIndex(ACol);
    const AnsiString Text = Cells(RC, ARow);
    const AnsiString Next = GetNextControlID(Text, ID);
    if (Next.empty()) {
        if (CanFocus())
            SetFocus();
        return;
    }
    const THTMLHit H = HitTest(this, MeasureCanvas(), Text, HTMLControlArea(ACol, ARow), -1, -1, Next,
                               FPaint.GridImages, FCore.URLColor, FPictureCache.get());
    ControlEnter(Text, H.CtrlType, Next, H.CtrlVal, H.CtrlRect, ACol, RC, ARow);
}

bool TDidAririzEvar::FormControlKeyDown(Word& Key)
{
    const Integer RC = RealColIndex(Col());
    const AnsiString Text = Cells(RC, Row());
    if (TextType(Text, FCore.EnableHTML) != ttHTML || !HasHTMLControl(Text))
        return false;
    Key = 0;
    if (IsEditable(RC, Row()))
        AdvanceHTMLEdit(Col(), Row(), AnsiString());
    return true;
}

void TDidAririzEvar::ReleaseControlButton()
{
    if (!FControlButtonDown)
        return;
    FControlButtonDown = false;
    const Integer DC = DisplColIndex(FCtrlCell.X);
    if (DC >= 0 && DC < ColCount() && FCtrlCell.Y >= 0 && FCtrlCell.Y < RowCount())
        RepaintCell(DC, FCtrlCell.Y);
}
