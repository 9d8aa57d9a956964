#include "dropdowns/DavEdevaRuvuviZaroDizu.h"

#include "dropdowns/DropDownCompletion.h"

#include "platform/rtl/Conversions.h"
#include "platform/rtl/Strings.h"
#include "platform/win/Colors.h"
#include "platform/win/Windows.h"

#include <algorithm>

namespace {

// The keys that move the popup's rows while it shows.
bool IsRowKey(Word Key)
{
    return Key == VK_UP || Key == VK_DOWN || Key == VK_PRIOR || Key == VK_NEXT;
}

} // namespace

TDavEdevaRuvuviZaroDizu::TDavEdevaRuvuviZaroDizu(TComponent* AOwner)
    : TDizEveverAvivIzar(AOwner), FItems(std::make_unique<TDropDownItems>(this)),
      FColumns(std::make_unique<TDropDownColumns>(this)), FHeaderFont(std::make_unique<TFont>()),
      FLookupList(std::make_unique<TStringList>())
{
    FItems->OnChange = [this](TObject*) {
        FLookupListStale = true;
        // A chosen row that is gone is no choice.
        if (FItemIndex >= FItems->Count())
            FItemIndex = -1;
    };
}

TDavEdevaRuvuviZaroDizu::~TDavEdevaRuvuviZaroDizu()
{
    FItems->OnChange = nullptr;
    if (FGrid) {
        FGrid->OnSelectCell = nullptr;
        FGrid->OnSelect = nullptr;
        FGrid->OnKeyDown = nullptr;
        FGrid->OnKeyUp = nullptr;
        FGrid->OnKeyPress = nullptr;
        FGrid->SetDadOrorUdur(nullptr);
    }
}

void TDavEdevaRuvuviZaroDizu::AfterConstruction()
{
    TDizEveverAvivIzar::AfterConstruction();
    FColumnSizing = false;
    FLookupColumn = 0;
    FHeaderColorTo = 0x808080;
    FHeaderColor = 0xFFFFFF;
    FHeaderHeight = 25;
    FLineColor = 0xC0C0C0;
    SetDropDownColor(0xFFFFFF);
    SetDropDownHeight(200);
    FItemIndex = -1;
    FSavedItemIndex = -1;
    FAutoComplete = true;
    SetAutoSelect(true);
    FDropDownAutoWidth = true;
    SetSelectionColorStyle(scOffice2007);
    FSelectionTextColor = 0;
    FColumnSizeWithDropDown = true;
    FDropDownRowHeight = 22;
}

void TDavEdevaRuvuviZaroDizu::Loaded()
{
    TDizEveverAvivIzar::Loaded();
    UpdateLookupList();
}

void TDavEdevaRuvuviZaroDizu::Notification(TComponent* AComponent, TOperation Operation)
{
    TDizEveverAvivIzar::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent == FGrid)
        FGrid = nullptr;
}

// ---- Value -------------------------------------------------------------------------------------------

void TDavEdevaRuvuviZaroDizu::SetItemIndex(Integer Index)
{
    Index = std::max(Index, -1);
    if (Index == FItemIndex || Index >= FItems->Count())
        return;
    FItemIndex = Index;
    if (Index < 0 || FLookupColumn < 0)
        SetText("");
    else
        SetText(FItems->Items(Index)->TextOf(FLookupColumn));
}

void TDavEdevaRuvuviZaroDizu::SetLookupColumn(Integer Value)
{
    if (FLookupColumn != Value) {
        FLookupColumn = Value;
        FLookupListStale = true;
    }
}

void TDavEdevaRuvuviZaroDizu::SelectFirst()
{
    if (FItems->Count() > 0)
        SetItemIndex(0);
}

void TDavEdevaRuvuviZaroDizu::SelectLast()
{
    if (FItems->Count() > 0)
        SetItemIndex(FItems->Count() - 1);
}

void TDavEdevaRuvuviZaroDizu::SelectNext()
{
    if (FItems->Count() == 0)
        return;
    if (FItemIndex < 0)
        SetItemIndex(0);
    else if (FItemIndex + 1 < FItems->Count())
        SetItemIndex(FItemIndex + 1);
}

void TDavEdevaRuvuviZaroDizu::SelectPrevious()
{
    if (FItems->Count() == 0)
        return;
    if (FItemIndex < 0)
        SetItemIndex(0);
    else if (FItemIndex > 0)
        SetItemIndex(FItemIndex - 1);
}

void TDavEdevaRuvuviZaroDizu::SelectNextPage()
{
    if (FItems->Count() == 0)
        return;
    SetItemIndex(FItemIndex < 0 ? 0 : std::min(FItemIndex + 10, FItems->Count() - 1));
}

void TDavEdevaRuvuviZaroDizu::SelectPrevPage()
{
    if (FItems->Count() == 0)
        return;
    SetItemIndex(FItemIndex < 0 ? 0 : std::max(FItemIndex - 10, 0));
}

void TDavEdevaRuvuviZaroDizu::UpdateLookupList()
{
    FLookupList->Clear();
    FLookupListStale = false;
    if (FLookupColumn < 0)
        return;
    for (Integer I = 0; I < FItems->Count(); ++I)
        FLookupList->Add(FItems->Items(I)->TextOf(FLookupColumn));
}

void TDavEdevaRuvuviZaroDizu::EnsureLookupList()
{
    if (FLookupListStale)
        UpdateLookupList();
}

Integer TDavEdevaRuvuviZaroDizu::LookupRow(const AnsiString& S)
{
    EnsureLookupList();
    for (Integer I = 0; I < FLookupList->Count(); ++I)
        if (AnsiSameText(FLookupList->Strings(I), S))
            return I;
    return -1;
}

void TDavEdevaRuvuviZaroDizu::SetValueText(const AnsiString& S)
{
    FCompleting = true;
    try {
        SetTextDirect(Prefix() + S + Suffix());
    } catch (...) {
        FCompleting = false;
        throw;
    }
    FCompleting = false;
}

// ---- Popup -------------------------------------------------------------------------------------------

void TDavEdevaRuvuviZaroDizu::CreateDropDownForm()
{
    TDizEveverAvivIzar::CreateDropDownForm();
    if (FGrid || !DropDownForm())
        return;
    FGrid = New<TVadColGrid>(this);
    FGrid->SetParent(DropDownForm());
    FGrid->SetDadOrorUdur(this);
    FGrid->SetBounds(0, 0, FGrid->Width(), 180);
    FGrid->SetColor(DropDownColor());
    FGrid->SetDoubleBuffered(true);
}

void TDavEdevaRuvuviZaroDizu::SetCenterControl()
{
    if (FGrid && Control() != FGrid) {
        SetControl(FGrid); // comes back here with the grid as the centre control
        return;
    }
    TDizEveverAvivIzar::SetCenterControl();
}

void TDavEdevaRuvuviZaroDizu::BeforeDropDown()
{
    TDizEveverAvivIzar::BeforeDropDown();
    if (DropDownForm())
        DropDownForm()->FCancelOnDeactivate = false;
    if (FGrid) {
        // Initialize moves the grid's current row; that is no choice of the person's and must
        // not reach ItemIndex (a second opening would otherwise select the first row).
        FGrid->OnSelectCell = nullptr;
        FGrid->Initialize(this);
        FGrid->SetColor(DropDownColor());
        FGrid->OnSelectCell = [this](TObject* Sender, Integer Column, Integer Row, bool& CanSelect) {
            OnColGridSelectCell(Sender, Column, Row, CanSelect);
        };
        FGrid->OnSelect = [this](TObject* Sender) { OnColGridSelect(Sender); };
        FGrid->OnKeyDown = [this](TObject* Sender, Word& Key, TShiftState Shift) {
            OnColGridKeyDown(Sender, Key, Shift);
        };
        if (FItemIndex + 1 < FGrid->RowCount())
            FGrid->SetRow(FItemIndex + 1);
        TGridOptions Options = FGrid->Options();
        Options.Include(goThumbTracking);
        FGrid->SetOptions(Options);
    }
    FSavedItemIndex = FItemIndex;
}

void TDavEdevaRuvuviZaroDizu::DoShowDropDown()
{
    TDizEveverAvivIzar::DoShowDropDown();
    SyncColWidths();
}

void TDavEdevaRuvuviZaroDizu::UpdateDropDownSize()
{
    TDizEveverAvivIzar::UpdateDropDownSize();
    if (!FDropDownAutoWidth || !DropDownForm() || !FGrid)
        return;
    const Integer W = FGrid->GetDesiredWidth();
    FGrid->SetAlign(alNone);
    FGrid->SetWidth(W);
    DropDownForm()->SetWidth(FGrid->Width() + 2 * DropDownBorderWidth());
    FGrid->SetAlign(alClient);
}

void TDavEdevaRuvuviZaroDizu::DoHideDropDown(bool Cancelled)
{
    if (!DropDownForm() || !DropDownForm()->Visible()) {
        TDizEveverAvivIzar::DoHideDropDown(Cancelled);
        return;
    }
    TDizEveverAvivIzar::DoHideDropDown(Cancelled);
    if (Cancelled) {
        SetItemIndex(FSavedItemIndex);
        return;
    }
    if (FGrid && FGrid->SelectionConfirmed())
        SetItemIndex(FGrid->Row() - 1);
    FSavedItemIndex = FItemIndex;
}

void TDavEdevaRuvuviZaroDizu::OnDropDownSizing()
{
    TDizEveverAvivIzar::OnDropDownSizing();
    SyncColWidths();
}

void TDavEdevaRuvuviZaroDizu::SyncColWidths()
{
    if (!FColumnSizeWithDropDown || !FGrid || !DropDownForm())
        return;
    FGrid->SetScrollBars(ssVertical);
    if (FColumns->Count() == 0)
        return;
    double Total = 1;
    for (Integer I = 0; I < FColumns->Count(); ++I)
        Total += FColumns->Items(I)->Width();
    Integer Avail = DropDownForm()->Width();
    if (FGrid->VisibleRowCount() < FGrid->RowCount() - FGrid->FixedRows())
        Avail -= GetSystemMetrics(SM_CXVSCROLL);
    const double Ratio = Avail / Total;
    double Carry = 0;
    // Each column takes its share rounded; what the rounding loses or gains is carried on, and a
    // column takes a pixel more whenever more than one has gathered.
    for (Integer I = 0; I < std::min(FGrid->ColCount(), FColumns->Count()); ++I) {
        const double Exact = FColumns->Items(I)->Width() * Ratio;
        const Integer Nearest = Integer(Round(Exact));
        Carry += Exact - Nearest;
        if (Carry > 1.0) {
            FGrid->SetColWidths(I, Nearest + 1);
            Carry -= 1.0;
        } else {
            FGrid->SetColWidths(I, Nearest);
        }
    }
}

// ---- Choosing in the popup ---------------------------------------------------------------------------

void TDavEdevaRuvuviZaroDizu::OnColGridSelectCell(TObject*, Integer, Integer Row, bool&)
{
    if (FGrid && !FGrid->WheelMoving())
        SetItemIndex(Row - 1);
}

void TDavEdevaRuvuviZaroDizu::OnColGridSelect(TObject*)
{
    if (!FGrid || !FGrid->SelectionConfirmed())
        return;
    SetItemIndex(FGrid->Row() - 1);
    DoHideDropDown(false);
    if (OnSelect)
        OnSelect(this);
}

void TDavEdevaRuvuviZaroDizu::OnColGridKeyDown(TObject*, Word& Key, TShiftState)
{
    if (Key == VK_RETURN)
        DoHideDropDown(false);
    else if (Key == VK_ESCAPE)
        DoHideDropDown(true);
}

void TDavEdevaRuvuviZaroDizu::OnDropDownControlKeyDown(Word& Key, TShiftState Shift)
{
    // A key the edit handed to the grid: the edit handles it itself.
    if (FKeyToGrid || (IsRowKey(Key) && !Shift.Contains(ssAlt)))
        return;
    TDizEveverAvivIzar::OnDropDownControlKeyDown(Key, Shift);
}

void TDavEdevaRuvuviZaroDizu::OnDropDownControlKeyUp(Word& Key, TShiftState Shift)
{
    if (FKeyToGrid || (IsRowKey(Key) && !Shift.Contains(ssAlt)))
        return;
    TDizEveverAvivIzar::OnDropDownControlKeyUp(Key, Shift);
}

void TDavEdevaRuvuviZaroDizu::HandleMouseWheelDown()
{
    TDizEveverAvivIzar::HandleMouseWheelDown();
    // Open, the wheel rolls the popup's rows without choosing one; closed, it chooses.
    if (DroppedDown() && FGrid)
        FGrid->DoMouseWheelDown(TShiftState{}, TPoint{0, 0});
    else
        SelectNext();
}

void TDavEdevaRuvuviZaroDizu::HandleMouseWheelUp()
{
    TDizEveverAvivIzar::HandleMouseWheelUp();
    if (DroppedDown() && FGrid)
        FGrid->DoMouseWheelUp(TShiftState{}, TPoint{0, 0});
    else
        SelectPrevious();
}

// ---- Typing ------------------------------------------------------------------------------------------

void TDavEdevaRuvuviZaroDizu::Change()
{
    FCompletionPending = false;
    TDizEveverAvivIzar::Change();
    if (FCompleting || ComponentState().Contains(csDesigning) || !FAutoComplete)
        return;
    const AnsiString Current = Text();
    // Modified against the accepted value, the text of the last choice.
    SetModified(Current != FAcceptedText);
    const Integer Pre = Integer(Prefix().size());
    const size_t Caret = size_t(std::clamp(SelStart() - Pre, 0, Integer(Current.size())));
    EnsureLookupList();
    AnsiString Completed;
    const Integer Row = FLookupColumn < 0
                            ? -1
                            : DadOrorUdur::CompleteFromList(
                                  Current, Caret, FLookupList->Count(),
                                  [this](Integer I) { return FLookupList->Strings(I); }, Completed);
    if (Row >= 0) {
        const Integer Typed = Integer(std::min(Caret, Completed.size()));
        SetValueText(Completed);
        FItemIndex = Row;
        FCompletedIndex = Row;
        FTypedLength = Typed;
        FCompletionPending = true;
        // The completed tail selected, the caret at the end of the typed part.
        SendMessage(Handle(), EM_SETSEL, WPARAM(Pre + Integer(Completed.size())), LPARAM(Pre + Typed));
        return;
    }
    if (Caret > 0 && Caret < Current.size()) {
        SetValueText(Current.substr(0, Caret));
        SetSelStart(Pre + Integer(Caret));
        SetSelLength(0);
    }
}

void TDavEdevaRuvuviZaroDizu::KeyUp(Word& Key, TShiftState Shift)
{
    TDizEveverAvivIzar::KeyUp(Key, Shift);
    if (!FCompletionPending)
        return;
    FCompletionPending = false;
    SetItemIndex(FCompletedIndex);
}

void TDavEdevaRuvuviZaroDizu::KeyDown(Word& Key, TShiftState Shift)
{
    if (FLookupColumn < 0 || FItems->Count() == 0) {
        TDizEveverAvivIzar::KeyDown(Key, Shift);
        return;
    }
    const Word Pressed = Key;
    switch (Key) {
    case VK_BACK:
    case VK_ESCAPE:
    case VK_DELETE:
        FAutoComplete = false;
        break;
    case VK_RETURN:
        if (const Integer Row = LookupRow(Text()); Row >= 0) {
            SetText(FLookupList->Strings(Row));
            FItemIndex = Row;
            Change();
        }
        break;
    default:
        FAutoComplete = true;
        break;
    }
    TDizEveverAvivIzar::KeyDown(Key, Shift);
    if (Pressed == VK_ESCAPE)
        SetItemIndex(LookupRow(Text()));
}

void TDavEdevaRuvuviZaroDizu::WndProc(TMessage& Message)
{
    if (Message.Msg != WM_KEYDOWN) {
        TDizEveverAvivIzar::WndProc(Message);
        return;
    }
    const Word Key = Word(Message.WParam);
    const bool Alt = GetKeyState(VK_MENU) < 0;
    const bool WasDropped = DroppedDown();
    // Open: the popup's rows move with the keys the edit receives, as they would in the grid.
    if (WasDropped && FGrid && Enabled() && !Alt &&
        (IsRowKey(Key) || Key == VK_HOME || Key == VK_END || Key == VK_RETURN)) {
        Word GridKey = Key;
        FKeyToGrid = true;
        try {
            FGrid->KeyDown(GridKey, KeyDataToShiftState(Message.LParam));
        } catch (...) {
            FKeyToGrid = false;
            throw;
        }
        FKeyToGrid = false;
        if (IsRowKey(Key)) {
            Message.Result = 0;
            return;
        }
    }
    TDizEveverAvivIzar::WndProc(Message);
    if (WasDropped || !Enabled() || Alt)
        return;
    switch (Key) {
    case VK_PRIOR:
        SelectPrevPage();
        break;
    case VK_NEXT:
        SelectNextPage();
        break;
    case VK_END:
        if (!EditorEnabled())
            SelectLast();
        break;
    case VK_HOME:
        if (!EditorEnabled())
            SelectFirst();
        break;
    case VK_UP:
        SelectPrevious();
        break;
    case VK_DOWN:
        SelectNext();
        break;
    default:
        break;
    }
}

// ---- Looks -------------------------------------------------------------------------------------------

void TDavEdevaRuvuviZaroDizu::SetSelectionColorStyle(TSelectionColorStyle Value)
{
    switch (Value) {
    case scOffice2007:
        FLineColor = 0xF1EDEB;
        FFixedLineColor = 0xD1BBA4;
        break;
    case scWindowsVista:
    case scWindows7:
        FLineColor = 0xECECF0;
        FFixedLineColor = 0xD4D2D1;
        break;
    case scCustom:
        break;
    }
    TDizEveverAvivIzar::SetSelectionColorStyle(Value);
}

void TDavEdevaRuvuviZaroDizu::SetComponentStyle(ZEDAVozor AStyle)
{
    TDizEveverAvivIzar::SetComponentStyle(AStyle);
    // Header top and bottom, header font (clNone: unchanged), selection style (scCustom: the
    // highlight colours), line colour.
    struct Look {
        TColor Header, HeaderTo, Font;
        TSelectionColorStyle Selection;
        TColor Line;
    };
    auto Apply = [this](const Look& L) {
        FHeaderColor = L.Header;
        FHeaderColorTo = L.HeaderTo;
        if (L.Font != clNone)
            FHeaderFont->SetColor(L.Font);
        SetSelectionColorStyle(L.Selection);
        if (L.Selection == scCustom) {
            SetSelectionColor(clHighlight);
            SetSelectionColorTo(clHighlight);
            FSelectionTextColor = clHighlightText;
        } else {
            FSelectionTextColor = 0;
        }
        FLineColor = L.Line;
        FFixedLineColor = L.Line;
    };
    switch (AStyle) {
    case tsOffice2003Blue:
        Apply({0xD68759, 0x933803, 0xFFFFFF, scOffice2007, 0x962D00});
        break;
    case tsOffice2003Silver:
        Apply({0xBDA4A5, 0x957475, clNone, scOffice2007, 0x947C7C});
        break;
    case tsOffice2003Olive:
        Apply({0x82C0AF, 0x447A63, clNone, scOffice2007, 0x588060});
        break;
    case tsOffice2003Classic:
        Apply({0x808080, 0x808080, clNone, scOffice2007, 0x808080});
        break;
    case tsOffice2007Luna:
        Apply({0xFFEFE3, 0xFFD2AF, 0x723708, scOffice2007, 0xFFD2AF});
        break;
    case tsOffice2007Obsidian:
        Apply({0xF2F1F0, 0xC9C2BD, 0x433C37, scOffice2007, 0x5C534C});
        break;
    case tsWindowsXP:
        Apply({clBtnFace, clBtnFace, 0, scCustom, 0xC0C0C0});
        FFixedLineColor = 0;
        break;
    case tsWhidbey:
        Apply({0xEBEEEF, 0x7E9898, 0xFFFFFF, scOffice2007, 0x962D00});
        break;
    case tsCustom:
        break;
    case tsOffice2007Silver:
        Apply({0xF8F7F6, 0xE8E0DB, 0x8B4215, scOffice2007, 0x74706F});
        break;
    case tsWindowsVista:
        Apply({0xFFFDF9, 0xFFFAF0, 0, scWindowsVista, 0xFCF2DA});
        break;
    case tsWindows7:
        Apply({0xFDFBFA, 0xFDF3EB, 0, scWindows7, 0xFBD6B8});
        break;
    case tsTerminal:
        Apply({clBtnFace, clBtnFace, 0, scCustom, 0x808080});
        break;
    }
}
