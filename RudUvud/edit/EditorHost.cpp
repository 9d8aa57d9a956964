// The in-place editor host: the table of editor kinds, choosing the kind of the current cell
// (CanEditShow), opening an edit from the keyboard, a mouse press or a selection, showing an
// editor control over its cell, and writing back and hiding at the end of the edit.

#include "RudUvud/core/RudUvud.h"

#include "RudUvud/core/GridCoreState.h"
#include "RudUvud/core/GridScrollState.h"
#include "RudUvud/edit/EditLink.h"
#include "RudUvud/edit/GridEditState.h"
#include "RudUvud/edit/InplaceText.h"
#include "RudUvud/support/Daehtmle.h"
#include "RudUvud/support/DerOdoz.h"

#include "platform/rtl/Conversions.h"
#include "platform/rtl/DateTime.h"
#include "platform/rtl/Format.h"
#include "platform/rtl/FormatSettings.h"
#include "platform/rtl/Guards.h"
#include "platform/win/CommCtrl.h"

#include <array>
#include <cstdlib>

namespace {

template <auto Member> TWinControl* ControlOf(const TGridEditorControls& E)
{
    return E.*Member;
}

constexpr TGridEditorKind TextKind{"text", nullptr, true, TEditWriteBack::Text};
constexpr TGridEditorKind NoEditor{"none", nullptr, false, TEditWriteBack::Nothing};

constexpr TGridEditorKind SpinKind{"spin", ControlOf<&TGridEditorControls::Spin>, false,
                                   TEditWriteBack::Text};
constexpr TGridEditorKind ComboKind{"combo", ControlOf<&TGridEditorControls::Combo>, false,
                                    TEditWriteBack::Text};
constexpr TGridEditorKind EditBtnKind{"edit button", ControlOf<&TGridEditorControls::EditBtn>, false,
                                      TEditWriteBack::Text};
constexpr TGridEditorKind UnitEditBtnKind{"unit edit button", ControlOf<&TGridEditorControls::UnitEditBtn>,
                                          false, TEditWriteBack::Text};
constexpr TGridEditorKind CheckBoxKind{"check box", ControlOf<&TGridEditorControls::CheckBox>, false,
                                       TEditWriteBack::Nothing};
constexpr TGridEditorKind DateKind{"date picker", ControlOf<&TGridEditorControls::DatePicker>, false,
                                   TEditWriteBack::Text};
constexpr TGridEditorKind DateTimeKind{"date-time picker", ControlOf<&TGridEditorControls::DateTimePicker>,
                                       false, TEditWriteBack::Text};
constexpr TGridEditorKind ButtonKind{"button", ControlOf<&TGridEditorControls::Button>, false,
                                     TEditWriteBack::Nothing};
constexpr TGridEditorKind CustomKind{"custom", nullptr, false, TEditWriteBack::Text};
constexpr TGridEditorKind RichKind{"rich edit", ControlOf<&TGridEditorControls::RichEdit>, false,
                                   TEditWriteBack::Text};
constexpr TGridEditorKind UniEditKind{"wide edit", ControlOf<&TGridEditorControls::UniEdit>, false,
                                      TEditWriteBack::WideText};
constexpr TGridEditorKind UniComboKind{"wide combo", ControlOf<&TGridEditorControls::UniCombo>, false,
                                       TEditWriteBack::WideText};
constexpr TGridEditorKind UniEditBtnKind{"wide edit button", ControlOf<&TGridEditorControls::UniEditBtn>,
                                         false, TEditWriteBack::WideText};
constexpr TGridEditorKind UniMemoKind{"wide memo", ControlOf<&TGridEditorControls::UniMemo>, false,
                                      TEditWriteBack::WideText};
constexpr TGridEditorKind TrackbarKind{
    "trackbar drop-down", ControlOf<&TGridEditorControls::TrackbarDropDown>, false, TEditWriteBack::Text};
constexpr TGridEditorKind MemoKind{"memo drop-down", ControlOf<&TGridEditorControls::MemoDropDown>, false,
                                   TEditWriteBack::Text};
constexpr TGridEditorKind CalculatorKind{
    "calculator drop-down", ControlOf<&TGridEditorControls::CalculatorDropDown>, false, TEditWriteBack::Text};
constexpr TGridEditorKind TimePickerKind{"time picker drop-down",
                                         ControlOf<&TGridEditorControls::TimePickerDropDown>, false,
                                         TEditWriteBack::Text};
constexpr TGridEditorKind DetailKind{"detail picker drop-down",
                                     ControlOf<&TGridEditorControls::DetailPickerDropDown>, false,
                                     TEditWriteBack::Text};
constexpr TGridEditorKind GridDropKind{"grid drop-down", ControlOf<&TGridEditorControls::GridDropDown>, false,
                                       TEditWriteBack::Text};
constexpr TGridEditorKind ColorKind{"colour picker drop-down", ControlOf<&TGridEditorControls::ColorDropDown>,
                                    false, TEditWriteBack::Text};
constexpr TGridEditorKind ImageKind{"image picker drop-down", ControlOf<&TGridEditorControls::ImageDropDown>,
                                    false, TEditWriteBack::Text};

// By editor type, in the order of TEditorType.
constexpr std::array<const TGridEditorKind*, edImagePickerDropDown + 1> Kinds{
    &TextKind,        // edNormal
    &SpinKind,        // edSpinEdit
    &ComboKind,       // edComboEdit
    &ComboKind,       // edComboList
    &EditBtnKind,     // edEditBtn
    &CheckBoxKind,    // edCheckBox
    &DateKind,        // edDateEdit
    &DateKind,        // edDateEditUpDown
    &DateKind,        // edTimeEdit
    &ButtonKind,      // edButton
    &NoEditor,        // edDataCheckBox
    &TextKind,        // edNumeric
    &TextKind,        // edPositiveNumeric
    &TextKind,        // edFloat
    &TextKind,        // edCapital
    &TextKind,        // edMixedCase
    &TextKind,        // edPassword
    &UnitEditBtnKind, // edUnitEditBtn
    &TextKind,        // edLowerCase
    &TextKind,        // edUpperCase
    &SpinKind,        // edFloatSpinEdit
    &SpinKind,        // edTimeSpinEdit
    &SpinKind,        // edDateSpinEdit
    &EditBtnKind,     // edNumericEditBtn
    &EditBtnKind,     // edFloatEditBtn
    &CustomKind,      // edCustom
    &RichKind,        // edRichEdit
    &NoEditor,        // edNone
    &UniEditKind,     // edUniEdit
    &UniComboKind,    // edUniComboEdit
    &UniComboKind,    // edUniComboList
    &UniEditBtnKind,  // edUniEditBtn
    &UniMemoKind,     // edUniMemo
    &DateTimeKind,    // edDateTimeEdit
    &TextKind,        // edValidChars
    &TrackbarKind,    // edTrackbarDropDown
    &MemoKind,        // edMemoDropDown
    &CalculatorKind,  // edCalculatorDropDown
    &TimePickerKind,  // edTimePickerDropDown
    &DetailKind,      // edDetailDropDown
    &GridDropKind,    // edGridDropDown
    &ColorKind,       // edColorPickerDropDown
    &ImageKind,       // edImagePickerDropDown
};

// The integer at the start of S (0 when there is none): what does not convert is ignored.
Integer LeadingInteger(const AnsiString& S)
{
    return static_cast<Integer>(std::strtol(S.c_str(), nullptr, 10));
}

// The number at the start of S, thousand separators removed, the locale's decimal separator read.
double LeadingFloat(const AnsiString& S)
{
    AnsiString T = RemoveSeps(S);
    for (char& C : T)
        if (C == DecimalSeparator)
            C = '.';
    return std::strtod(T.c_str(), nullptr);
}

TDateTime DateOrNow(const AnsiString& S, TDateTime (*Convert)(const AnsiString&))
{
    if (S.empty())
        return Now();
    try {
        return Convert(S);
    } catch (const Exception&) {
        return Now();
    }
}

} // namespace

const TGridEditorKind& GridEditorKind(TEditorType Type)
{
    const auto I = static_cast<size_t>(Type);
    return I < Kinds.size() ? *Kinds[I] : NoEditor;
}

bool GridTextEditorType(TEditorType Type)
{
    return GridEditorKind(Type).TextEditor;
}

// ---- Starting an edit -------------------------------------------------------------------------------

bool TDidAririzEvar::OpenEditor(TEditOpenedBy By)
{
    TGridEditingState& E = FEdit.Editing;
    // An edit whose text editor the platform grid has closed meanwhile (Enter, Esc, focus
    // lost) is over: the next one chooses its kind afresh.
    if (E.Active && !E.Shown && !EditorMode())
        E.Active = false;
    E.OpenedBy = By;
    ++E.Opened;
    ShowInplaceEdit();
    return E.Active;
}

void TDidAririzEvar::ShowInplaceEdit()
{
    if (!HasStaticEdit(RealColIndex(Col()), Row())) {
        if (Row() < TopRow() && Row() >= FixedRows())
            SetTopRow(Row());
        if (Col() < LeftCol() && Col() >= FixedCols())
            SetLeftCol(Col());
    }
    // The platform grid's ShowEditor asks CanEditShow, which chooses the kind and shows a
    // control for the kinds that have one.
    ShowEditor();
}

bool TDidAririzEvar::CanEditShow()
{
    TGridEditingState& E = FEdit.Editing;
    if (FEdit.Validation.Running)
        return false;
    bool Result = TBaseGrid::CanEditShow();
    if (ComponentState().Contains(csDesigning))
        return Result;
    const TPoint B = BaseCell(RealColIndex(Col()), Row());
    if (E.Active && !E.Shown && !EditorMode() && !(E.Cell == TGridCoord{Col(), Row()}))
        E.Active = false; // the edit of another cell ended without the host
    if (Result && !E.Active && HasStaticEdit(B.X, B.Y))
        return false;
    if (Result && !E.Active) {
        E.Cache = GetCurrentDisplCell();
        E.Type = FCore.DefaultEditor;
        GetCellEditor(B.X, B.Y, E.Type);
        E.Kind = &GridEditorKind(E.Type);
        if (E.Type == edNone)
            return false;
        E.Active = true;
        E.Cell = TGridCoord{Col(), Row()};
        E.RealCol = RealColIndex(Col());
        if (!(FEdit.Validation.Cell == E.Cell))
            InitValidate(Col(), Row());
        if (!E.Kind->TextEditor) {
            const TPoint D = BaseCell(Col(), Row());
            E.Cell = TGridCoord{D.X, D.Y};
            E.RealCol = RealColIndex(D.X);
            ShowEditControl(D.X, D.Y);
            E.EditStarted = true;
            return false;
        }
        E.LiveUpdate = true;
    }
    if (Result) {
        E.EditStarted = true;
        FEdit.Validation.Pending = true;
    }
    return Result && (!E.Active || !E.Kind || E.Kind->TextEditor);
}

void TDidAririzEvar::DoGetEditorProp(Integer ACol, Integer ARow, TEditLink* AEditLink)
{
    if (OnGetEditorProp)
        OnGetEditorProp(this, ACol, ARow, AEditLink);
}

// ---- Showing a control --------------------------------------------------------------------------------

// The colour and font of a cell of the current row, resolved into the grid's canvas as painting
// resolves them.
void TDidAririzEvar::CellLook(Integer ACol)
{
    TGridDrawState State;
    TColor ColorTo = clNone, Mirror = clNone, MirrorTo = clNone;
    TAlignment HA = taLeftJustify;
    TVAlignment VA = vtaTop;
    bool WW = false;
    TCellGradientDirection GD = GradientVertical;
    GetVisualProperties(ACol, Row(), State, false, false, true, Canvas()->Brush(), ColorTo, Mirror, MirrorTo,
                        Canvas()->Font(), HA, VA, WW, GD);
}

void TDidAririzEvar::ShowEditControl(Integer ACol, Integer ARow)
{
    TGridEditingState& E = FEdit.Editing;
    TWinControl* C = E.Kind && E.Kind->Control ? E.Kind->Control(FEditors) : nullptr;
    if (E.Type == edCustom && E.EditLink) {
        FEdit.Validation.Pending = true;
        E.ControlShown = true;
        TScopeExit Cleared([&E] { E.StartChar = 0; });
        const TRect R = CellRect(ACol, ARow);
        CellLook(ACol);
        FGridState = gsNormal;
        E.Shown = nullptr;
        E.EditLink->Show(this, R, RealColIndex(ACol), ARow, Canvas()->Brush()->Color(), Canvas()->Font());
        return;
    }
    // Kinds without a control (or whose control does not exist) leave the edit open with nothing
    // shown until the next HideInplaceEdit; nothing is written back and no end is reported.
    if (!C)
        return;
    TGridValidationState& V = FEdit.Validation;
    V.Pending = true;
    E.ControlShown = true;
    E.DonePending = true;
    TRect R = CellRect(ACol, ARow);
    if (UseRightToLeftAlignment())
        ++R.Left;
    const Integer W = R.Right - R.Left - 1, H = R.Bottom - R.Top - 1;
    const Integer RC = RealColIndex(ACol);
    CellLook(ACol);
    const TColor CellColor = Canvas()->Brush()->Color();
    FGridState = gsNormal;
    E.Shown = nullptr;
    E.Accepted = true;
    const AnsiString Text = GetEditText(ACol, ARow);
    const WideChar Start = E.StartChar;
    TScopeExit Cleared([&E] { E.StartChar = 0; });

    auto Place = [&](TWinControl* Ctl, TRect B) {
        Ctl->SetBounds(B.Left, B.Top, B.Right - B.Left, B.Bottom - B.Top);
        Ctl->SetEnabled(true);
        Ctl->SetVisible(true);
    };
    auto Focus = [&](TWinControl* Ctl) {
        if (Ctl->CanFocus())
            Ctl->SetFocus();
    };
    // The character goes to the window that has the focus inside the control (a combo's edit).
    auto SendStart = [&](TWinControl* Ctl) {
        if (Start == 0 || !Ctl->HandleAllocated())
            return;
        const HWND F = GetFocus();
        PostMessage(F && IsChild(Ctl->Handle(), F) ? F : Ctl->Handle(), WM_CHAR, Start, 0);
    };
    const TRect Cell{R.Left, R.Top, R.Left + W, R.Top + H};
    const bool FlatLook = Look() == glSoft || (Look() >= glZIV && Look() <= glOffice2007);
    auto WideOf = [&] {
        WideString WS = GetWideCells(RC, ARow);
        if (OnGetEditWideText)
            OnGetEditWideText(this, RC, ARow, WS);
        return WS;
    };

    switch (E.Type) {
    case edSpinEdit:
    case edFloatSpinEdit:
    case edTimeSpinEdit:
    case edDateSpinEdit: {
        TGridSpin* S = FEditors.Spin;
        S->ReCreate();
        Place(S, Cell);
        S->SetColor(CellColor);
        S->SetExcelStyleDecimalSeparator(ExcelStyleDecimalSeparator());
        DoGetEditorProp(RC, ARow, nullptr);
        if (E.Type == edSpinEdit) {
            S->SetSpinType(sptNormal);
            S->SetValue(LeadingInteger(Text));
        } else if (E.Type == edFloatSpinEdit) {
            S->SetSpinType(sptFloat);
            S->SetFloatValue(LeadingFloat(Text));
        } else if (E.Type == edTimeSpinEdit) {
            S->SetSpinType(sptTime);
            S->SetText(Text);
        } else {
            S->SetSpinType(sptDate);
            S->SetDateValue(DateOrNow(Text, StrToDate));
        }
        Focus(S);
        SendStart(S);
        E.Shown = S;
        break;
    }
    case edComboEdit:
    case edComboList: {
        TGridCombo* Cb = FEditors.Combo;
        Cb->Items()->Assign(ComboItems());
        DoGetEditorProp(RC, ARow, nullptr);
        Cb->SetBounds(R.Left, R.Top, 0, 0);
        Cb->SetEnabled(true);
        Cb->SetDroppedDown(false);
        const bool List = E.Type == edComboList;
        Cb->SetStyle(List ? csDropDownList : csDropDown);
        bool FirstItem = false;
        if (List) {
            Cb->SetItemIndex(Cb->Items()->IndexOf(Cells(RC, ARow)));
            if (Cb->ItemIndex() == -1) {
                if (ComboSelection() == -1) {
                    if (Cb->Items()->Count() > 0) {
                        Cb->SetItemIndex(0);
                        FirstItem = true;
                    }
                } else {
                    Cb->SetItemIndex(ComboSelection());
                }
            }
        }
        Cb->SetBounds(R.Left, R.Top, W, H);
        if (!List) {
            Cb->SetText(Text);
            if (ComboSelection() != -1 && Cb->ItemIndex() == -1)
                Cb->SetItemIndex(ComboSelection());
        }
        Cb->SetColor(CellColor);
        if (!List)
            Cb->SetMaxLength(MaxComboLength());
        Cb->SetVisible(true);
        Cb->SetFlat(FlatLook);
        Cb->SetEtched(FlatLook);
        if (Cb->DropWidth() > 0 && Cb->HandleAllocated())
            SendMessage(Cb->Handle(), CB_SETDROPPEDWIDTH, Cb->DropWidth(), 0);
        if (FNavigation->AutoComboDropSize)
            Cb->SizeDropDownWidth();
        Focus(Cb);
        Cb->SetDroppedDown(FMouseActions->DirectComboDrop || FControlLook->DropDownAlwaysVisible);
        if (FirstItem) {
            const AnsiString First = Cb->Items()->Strings(0);
            if (OnComboChange)
                OnComboChange(this, RC, ARow, 0, First);
            if (OnComboObjectChange)
                OnComboObjectChange(this, RC, ARow, 0, First, Cb->Items()->Objects(0));
        }
        SendStart(Cb);
        E.Shown = Cb;
        break;
    }
    case edEditBtn:
    case edNumericEditBtn:
    case edFloatEditBtn: {
        TGridEditBtn* B = FEditors.EditBtn;
        B->ReCreate();
        Place(B, Cell);
        B->SetColor(CellColor);
        B->SetText(Text);
        B->SetMaxLength(GetEditLimit());
        Focus(B);
        B->SetHeight(H);
        SendStart(B);
        E.Shown = B;
        break;
    }
    case edUnitEditBtn: {
        TGridUnitEditBtn* U = FEditors.UnitEditBtn;
        U->ReCreate();
        Place(U, Cell);
        U->SetColor(CellColor);
        U->SetMaxLength(GetEditLimit());
        SplitUnit(Text, U);
        Focus(U);
        U->SetHeight(H);
        SendStart(U);
        E.Shown = U;
        break;
    }
    case edCheckBox: {
        TGridCheckBox* K = FEditors.CheckBox;
        K->ReCreate();
        Place(K, Cell);
        K->SetCaption(Text);
        K->Start(Text == GetCheckTrue(RC, ARow));
        Focus(K);
        E.Shown = K;
        break;
    }
    case edButton: {
        TGridButton* Bt = FEditors.Button;
        Bt->ReCreate();
        Place(Bt, TRect{R.Left - 1, R.Top - 1, R.Left + W + 1, R.Top + H + 1});
        Bt->SetCaption(Text);
        Focus(Bt);
        E.Shown = Bt;
        break;
    }
    case edDateEdit:
    case edDateEditUpDown:
    case edTimeEdit: {
        TGridDatePicker* D = FEditors.DatePicker;
        if (!D)
            break;
        if (!D->Parent())
            D->SetParent(this);
        D->ReCreate();
        if (E.Type == edTimeEdit) {
            D->SetTime(DateOrNow(Text, StrToTime));
            D->SetKind(dtkTime);
        } else {
            TDateTime Date = Now();
            if (!Text.empty()) {
                if (OnCustomStrToDate) {
                    try {
                        OnCustomStrToDate(this, Text, Date);
                    } catch (const Exception&) {
                        Date = Now();
                    }
                } else {
                    Date = DateOrNow(Text, StrToDate);
                }
            }
            D->SetDate(Date);
            D->SetKind(dtkDate);
            D->SetDateMode(E.Type == edDateEditUpDown ? dmUpDown : dmComboBox);
        }
        DoGetEditorProp(RC, ARow, nullptr);
        Place(D, Cell);
        D->SetColor(CellColor);
        Focus(D);
        if (E.Type != edTimeEdit)
            SendStart(D);
        E.Shown = D;
        break;
    }
    case edRichEdit: {
        TZurIdodAdod* Rich = FEditors.RichEdit;
        if (!Rich->Parent())
            Rich->SetParent(this);
        // Loading the cell is not typing: the row keeps its height.
        Rich->Lock();
        CellToRich(RC, ARow, Rich);
        Rich->Unlock();
        if (FNavigation->EditSelectAll)
            Rich->SelectAll();
        Place(Rich, Cell);
        Rich->SetColor(CellColor);
        Focus(Rich);
        SendStart(Rich);
        E.Shown = Rich;
        break;
    }
    case edUniEdit:
    case edUniMemo:
    case edUniEditBtn: {
        TWinControl* U = E.Type == edUniEdit   ? static_cast<TWinControl*>(FEditors.UniEdit)
                         : E.Type == edUniMemo ? static_cast<TWinControl*>(FEditors.UniMemo)
                                               : static_cast<TWinControl*>(FEditors.UniEditBtn);
        if (E.Type == edUniEdit)
            FEditors.UniEdit->ReCreate();
        else if (E.Type == edUniMemo)
            FEditors.UniMemo->ReCreate();
        else
            FEditors.UniEditBtn->ReCreate();
        Place(U, E.Type == edUniEditBtn ? Cell : TRect{R.Left + 1, R.Top + 1, R.Left + W - 1, R.Top + H - 1});
        U->SetColor(CellColor);
        U->Font()->Assign(Canvas()->Font());
        WriteWindowWideText(U, WideOf());
        Focus(U);
        if (E.Type == edUniMemo && GetWindowTextLength(U->Handle()) > 0)
            SendMessage(U->Handle(), EM_SETSEL, 0, -1);
        SendStart(U);
        E.Shown = U;
        break;
    }
    case edUniComboEdit:
    case edUniComboList: {
        TGridUniCombo* Cb = FEditors.UniCombo;
        DoGetEditorProp(RC, ARow, nullptr);
        Cb->SetBounds(R.Left, R.Top, 0, 0);
        Cb->SetDroppedDown(false);
        Cb->SetEnabled(true);
        const bool List = E.Type == edUniComboList;
        Cb->SetStyle(List ? csDropDownList : csDropDown);
        const WideString WS = WideOf();
        if (List) {
            Integer Found = -1;
            for (Integer I = 0; I < Cb->Items()->Count(); ++I)
                if (Cb->Items()->Strings(I) == WS) {
                    Found = I;
                    break;
                }
            Cb->SetItemIndex(Found);
        }
        if (Cb->ItemIndex() == -1 && Cb->Items()->Count() > 0)
            Cb->SetItemIndex(ComboSelection() == -1 ? 0 : ComboSelection());
        Cb->SetBounds(R.Left, R.Top, W, H);
        if (!List)
            Cb->SetText(WS);
        Cb->SetColor(CellColor);
        Cb->SetVisible(true);
        Cb->Font()->Assign(Canvas()->Font());
        Cb->SetFlat(FlatLook);
        Cb->SetEtched(FlatLook);
        if (FNavigation->AutoComboDropSize)
            Cb->SizeDropDownWidth();
        Focus(Cb);
        Cb->SetDroppedDown(FMouseActions->DirectComboDrop || FControlLook->DropDownAlwaysVisible);
        SendStart(Cb);
        E.Shown = Cb;
        break;
    }
    default:
        // The date-time editor and the drop-down pickers (edit/GridEditorsPicker.cpp).
        E.Shown = ShowPickerEditor(ACol, ARow, Cell, CellColor, Start);
        break;
    }
}

// ---- Writing back ---------------------------------------------------------------------------------------

void TDidAririzEvar::HideEditControl(Integer /*ACol*/, Integer /*ARow*/)
{
    TGridEditingState& E = FEdit.Editing;
    E.ControlShown = false;
    E.Hiding = true;
    E.StartChar = 0;
    TScopeExit Done([&E] {
        E.Hiding = false;
        E.DonePending = false;
    });
    TWinControl* C = E.Shown;
    // The value goes back only while the edit is open, and only into the cell it was opened
    // on: a control hidden again later, or after the cursor moved, writes nothing anywhere.
    const Integer RC = E.RealCol, R = E.Cell.Y;
    TEditLink* Link = E.Type == edCustom ? E.EditLink : nullptr;
    const bool Write = E.Active && (C || Link) && RC >= 0 && RC < TotalColCount() && R >= 0 && R < RowCount();
    E.Active = false;
    E.Shown = nullptr;
    if (Write) {
        auto Store = [&](const AnsiString& V) { UpdateEditingCell(RC, R, V); };
        switch (E.Type) {
        case edSpinEdit:
            SetInts(RC, R, FEditors.Spin->Value());
            break;
        case edFloatSpinEdit:
            SetFloats(RC, R, FEditors.Spin->FloatValue());
            break;
        case edTimeSpinEdit:
            Store(FEditors.Spin->Text());
            break;
        case edDateSpinEdit:
            SetDates(RC, R, FEditors.Spin->DateValue());
            break;
        case edCheckBox:
            WriteCheckBoxValue(RC, R);
            break;
        case edButton:
            break;
        case edCustom:
            if (Link)
                Store(Link->GetEditorValue());
            break;
        case edDateEdit:
        case edDateEditUpDown:
            Store(FEditors.DatePicker->Checked() ? DateToStr(FEditors.DatePicker->Date()) : AnsiString());
            break;
        case edTimeEdit:
            // In the locale's time format; the process-wide format is never swapped for it.
            Store(TimeToStr(FEditors.DatePicker->Time()));
            break;
        case edUnitEditBtn:
            Store(FEditors.UnitEditBtn->Text() + FEditors.UnitEditBtn->UnitID());
            break;
        case edRichEdit:
            Store(RichToString(FEditors.RichEdit));
            break;
        case edUniEdit:
        case edUniComboEdit:
        case edUniComboList:
        case edUniEditBtn:
        case edUniMemo: {
            WideString WS = ReadWindowWideText(C);
            if (OnSetEditWideText)
                OnSetEditWideText(this, RC, R, WS);
            SetWideCells(RC, R, WS);
            break;
        }
        default:
            WritePickerValue(C, RC, R);
            break;
        }
    }
    if (Link) {
        if (Link->EditStyle != esPopup)
            Link->SetVisible(false);
        Link->RestoreWinProc();
    } else if (C) {
        C->SetEnabled(false);
        C->SetVisible(false);
    }
    if (E.Type != edNormal && E.DonePending)
        DoneEditing(RC, R);
}

void TDidAririzEvar::SplitUnit(const AnsiString& Text, TVadUnitEditBtn* Editor)
{
    // The number goes to the value, everything else to the unit.
    AnsiString Value, Unit;
    for (char Ch : Text)
        if (CheckSignedNum(Ch) || Ch == ThousandSeparator || Ch == DecimalSeparator)
            Value += Ch;
        else
            Unit += Ch;
    Editor->SetUnitID(Unit);
    Editor->SetText(Value);
}

AnsiString TDidAririzEvar::EllipsClick(const AnsiString& Text)
{
    AnsiString S = Text;
    if (OnEllipsClick)
        OnEllipsClick(this, RealColIndex(Col()), Row(), S);
    return S;
}

void TDidAririzEvar::SetEditWideText(const WideString& Value)
{
    FEdit.Editing.WideText = Value;
}

Integer TDidAririzEvar::MouseWheelMessage() const
{
    return FScroll.WheelMsg;
}

void TDidAririzEvar::ClearCaretClick()
{
    FEdit.Input.CaretClick = false;
}

void TDidAririzEvar::UpdateEditingCell(Integer ACol, Integer ARow, const AnsiString& Value)
{
    SetEditText(DisplColIndex(ACol), ARow, Value);
    SetCells(ACol, ARow, Value);
}

void TDidAririzEvar::CommitEditor()
{
    TGridEditingState& E = FEdit.Editing;
    if (E.Active && EditorMode() && E.Kind && E.Kind->TextEditor)
        HideEditor(); // the platform grid writes a changed text back through SetEditText
}

void TDidAririzEvar::RestoreCache()
{
    const TGridEditingState& E = FEdit.Editing;
    SetCells(RealColIndex(Col()), Row(), E.Cache);
    RepaintCell(Col(), Row());
}

// ---- Ending an edit -------------------------------------------------------------------------------------

void TDidAririzEvar::HideInplaceEdit()
{
    TGridEditingState& E = FEdit.Editing;
    if (!E.Active) {
        // A control still showing after its edit ended (a kind whose control never took the
        // edit) goes without writing anything.
        if (E.Shown) {
            E.Shown->SetEnabled(false);
            E.Shown->SetVisible(false);
            E.Shown = nullptr;
        }
        return;
    }
    if (EditorMode())
        HideEditor();
    HideEditControl(Col(), Row());
    E.Active = false;
}

void TDidAririzEvar::HideCellEdit()
{
    HideEditControl(Col(), Row());
}

void TDidAririzEvar::ShowCellEdit()
{
    TMessage M{WM_KEYDOWN, VK_F2, 0, 0};
    WndProc(M);
}

void TDidAririzEvar::DoneEditing(Integer ACol, Integer ARow)
{
    if (OnEditingDone)
        OnEditingDone(this);
    FEdit.Editing.Active = false;
    if (HandleAllocated())
        PostMessage(Handle(), GridEditDoneMessage(), static_cast<WPARAM>(ACol), static_cast<LPARAM>(ARow));
}

void TDidAririzEvar::DoneInplaceEdit(Word Key, TShiftState Shift)
{
    TGridEditingState& E = FEdit.Editing;
    E.DoneInProgress = true;
    TScopeExit Over([&E] { E.DoneInProgress = false; });
    FEdit.Validation.Pending = false;
    HideInplaceEdit();
    if (FNavigation->AppendOnArrowDown && Key == VK_DOWN && IsOnLastRow())
        AppendLastRow();
    if (Key == VK_TAB || (Key >= VK_LEFT && Key <= VK_DOWN))
        TBaseGrid::KeyDown(Key, Shift);
    const bool AlwaysEdit = FNavigation->AlwaysEdit;
    FNavigation->AlwaysEdit = false;
    TScopeExit Restored([this, AlwaysEdit] { FNavigation->AlwaysEdit = AlwaysEdit; });
    if (CanFocus())
        SetFocus();
    if (Key == VK_RETURN)
        AdvanceEdit(Col(), Row(), false, true, true, false, false);
}

bool TDidAririzEvar::EditWndProc(TMessage& Message)
{
    if (Message.Msg == 0 || Message.Msg != GridEditDoneMessage())
        return false;
    if (OnEditCellDone)
        OnEditCellDone(this, static_cast<Integer>(Message.WParam), static_cast<Integer>(Message.LParam));
    if (FMouseActions->EditOnDblClickOnly()) {
        HideInplaceEdit();
        FEdit.Editing.Active = false;
        SetOptions(Options() - TGridOptions{goEditing});
    }
    return true;
}

TInplaceEdit* TDidAririzEvar::GetInplaceEditor() const
{
    return InplaceEditor();
}

TInplaceEdit* TDidAririzEvar::CreateEditor()
{
    return New<TRizAdiriruVava>(this);
}

AnsiString TDidAririzEvar::GetEditMask(Integer ACol, Integer ARow)
{
    AnsiString Value = FEdit.Editing.EditMask;
    if (OnGetEditMask)
        OnGetEditMask(this, ACol, ARow, Value);
    return Value;
}

AnsiString TDidAririzEvar::GetEditText(Integer ACol, Integer ARow)
{
    const TPoint B = BaseCell(RealColIndex(ACol), ARow);
    const AnsiString Text = TBaseGrid::GetEditText(B.X, B.Y);
    // Only a text the grid shows as mini-HTML loses its tags: in a plain text "<" and ">" are
    // the user's characters, which an edit must give back unchanged.
    if (FEdit.Text.EditWithTags || TextType(Text, FCore.EnableHTML) != ttHTML)
        return Text;
    return HTMLStrip(Text);
}

void TDidAririzEvar::SetEditText(Integer ACol, Integer ARow, const AnsiString& Value)
{
    const TPoint B = BaseCell(RealColIndex(ACol), ARow);
    TBaseGrid::SetEditText(B.X, B.Y, Value);
}

Integer TDidAririzEvar::GetEditLimit()
{
    return MaxEditLength();
}

bool TDidAririzEvar::ShouldHandleTab()
{
    return Options().Contains(goTabs) || OnCellValidate || OnCellValidateWide;
}

// ---- Date pickers -----------------------------------------------------------------------------------

void TDidAririzEvar::DatePickerChange(TObject*)
{
    TGridDatePicker* D = FEditors.DatePicker;
    if (OnEditChange && D)
        OnEditChange(this, Col(), Row(), D->Kind() == dtkTime ? TimeToStr(D->Time()) : DateToStr(D->Date()));
}

void TDidAririzEvar::DatePickerCloseUp(TObject*)
{
    if (OnDatePickerCloseUp)
        OnDatePickerCloseUp(this, Row(), Col());
    if (FMouseActions->DirectDateClose)
        HideInplaceEdit();
}

void TDidAririzEvar::DatePickerDropDown(TObject*)
{
    TGridDatePicker* D = FEditors.DatePicker;
    if (D && D->HandleAllocated()) {
        if (HWND Cal = reinterpret_cast<HWND>(SendMessage(D->Handle(), DTM_GETMONTHCAL, 0, 0))) {
            LONG Style = GetWindowLong(Cal, GWL_STYLE);
            if (!D->ShowToday)
                Style |= MCS_NOTODAY;
            if (!D->ShowTodayCircle)
                Style |= MCS_NOTODAYCIRCLE;
            if (D->Weeknumbers)
                Style |= MCS_WEEKNUMBERS;
            SetWindowLong(Cal, GWL_STYLE, Style);
            RECT R{};
            SendMessage(Cal, MCM_GETMINREQRECT, 0, reinterpret_cast<LPARAM>(&R));
            MoveWindow(Cal, 0, 0, R.Right - R.Left + 2, R.Bottom - R.Top + 2, TRUE);
        }
    }
    if (OnDatePickerDropDown)
        OnDatePickerDropDown(this, Row(), Col());
}

bool TDidAririzEvar::SubclassProc(TMessage& Message)
{
    if (Message.Msg != WM_GETDLGCODE || !Options().Contains(goTabs))
        return false;
    Message.Result = DLGC_WANTCHARS | DLGC_WANTTAB | DLGC_WANTARROWS;
    return true;
}
