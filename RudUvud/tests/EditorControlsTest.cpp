// The grid's editor controls as a user meets them: each editor kind opened on a cell, its value
// changed from the keyboard and with the mouse, committed into the cell, and Esc putting the old
// value back; then what single members add (spin limits and events, the numeric filters, paste,
// lookup completion, the combo's drop width, wheel and history).

#include "RudUvud/tests/GridTestSupport.h"

#include "platform/forms/Clipbrd.h"
#include "platform/rtl/Conversions.h"
#include "platform/rtl/DateTime.h"
#include "platform/rtl/Strings.h"
#include "platform/win/CommCtrl.h"
#include "platform/win/Windows.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>

namespace {

class EditorControlsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        Form = gridtest::NewForm();
        G = gridtest::NewShownGrid(Form, 5, 8);
        G->SetOptions(G->Options() + TGridOptions{goEditing});
        G->SetColWidths(2, 160);
        G->OnGetEditorType = [this](TObject*, Integer, Integer, TEditorType& E) { E = Type; };
        G->SetFocus();
        uitest::PumpUntilIdle();
        uitest::ClearRecords();
    }
    void TearDown() override { Form->Free(); }

    // Opens the editor of cell (2, 2) with F2.
    TWinControl* Open()
    {
        G->GotoCell(2, 2);
        uitest::PressKey(VK_F2);
        return G->Editing().Shown;
    }
    static void ClickCentre(TWinControl* C, int dy = 0)
    {
        uitest::Click(C->Handle(), C->Width() / 2, C->Height() / 2 + dy);
    }

    TForm* Form = nullptr;
    TDidAririzEvar* G = nullptr;
    TEditorType Type = edNormal;
};

// Every kind: open, change by keyboard and by mouse, commit with Enter and check the cell; then
// open again, change, and Esc leaves the cell as it was.
TEST_F(EditorControlsTest, EachKindChangesByKeyboardAndMouseCommitsAndRestores)
{
    using Action = std::function<void(EditorControlsTest&, TWinControl*)>;
    struct Case {
        const char* Name;
        TEditorType Kind;
        AnsiString Cell;
        Action Keyboard;
        Action Mouse;
        std::function<bool(TDidAririzEvar*)> Stored;
        // How the edit ends when it commits (Enter when not given).
        Action End = nullptr;
    };
    auto Type = [](const std::u16string& S) {
        return [S](EditorControlsTest&, TWinControl*) { uitest::TypeText(S); };
    };
    auto Key = [](UINT K) { return [K](EditorControlsTest&, TWinControl*) { uitest::PressKey(K); }; };
    auto Cell = [](AnsiString S) { return [S](TDidAririzEvar* G) { return G->Cells(2, 2) == S; }; };
    auto WideCell = [](std::u16string S) {
        return [S](TDidAririzEvar* G) { return G->GetWideCells(2, 2) == S; };
    };
    // The spin's up arrow is the upper half of its button pair.
    const Action SpinUp = [](EditorControlsTest&, TWinControl* C) {
        TWinControl* B = static_cast<TGridSpin*>(C)->Spinner();
        uitest::Click(B->Handle(), B->Width() / 2, B->Height() / 4);
    };
    const Action Button = [](EditorControlsTest& T, TWinControl* C) {
        TWinControl* B = nullptr;
        if (auto* E = dynamic_cast<TGridEditBtn*>(C))
            B = E->ButtonControl();
        else if (auto* U = dynamic_cast<TGridUniEditBtn*>(C))
            B = U->ButtonControl();
        ClickCentre(B);
    };
    const Action WheelDown = [](EditorControlsTest&, TWinControl* C) {
        uitest::Wheel(C->Handle(), 5, 5, -120);
    };
    // A click puts the caret at the start of the text, where the next character goes.
    const Action ClickStartAndType = [](EditorControlsTest&, TWinControl* C) {
        uitest::Click(C->Handle(), 2, 4);
        uitest::PressKey(VK_HOME);
        uitest::TypeText(u"<");
    };
    const Action Nothing = [](EditorControlsTest&, TWinControl*) {};
    // Picks: the popup's item Index, clicked.
    const auto ClickItem = [](Integer Index) {
        return [Index](EditorControlsTest&, TWinControl* C) {
            auto* P = static_cast<TDizEveverAvivIzar*>(C);
            if (!P->DroppedDown())
                ClickCentre(P->DropDownButton());
            TVadCustomItemSelector* S = nullptr;
            if (auto* Cp = dynamic_cast<TGridColorDropDown*>(C))
                S = Cp->ItemList();
            else if (auto* Ip = dynamic_cast<TGridImageDropDown*>(C))
                S = Ip->ItemList();
            else
                S = static_cast<TGridDetailPickerDropDown*>(C)->Selector();
            const TRect R = S->Panel()->GetItemRect(Index);
            uitest::Click(S->Panel()->Handle(), (R.Left + R.Right) / 2, (R.Top + R.Bottom) / 2);
        };
    };
    const auto Keys = [](std::vector<UINT> Ks) {
        return [Ks](EditorControlsTest&, TWinControl*) {
            for (UINT K : Ks)
                uitest::PressKey(K);
        };
    };
    // The date picker's calendar dropped by its button; a click on day 20 of June 2024 (a
    // Saturday the 1st: the 20th is in the fourth row, fifth column) chooses it.
    const Action CalendarJune20 = [](EditorControlsTest&, TWinControl* C) {
        uitest::Click(C->Handle(), C->Width() - 6, C->Height() / 2);
        HWND Cal = reinterpret_cast<HWND>(SendMessage(C->Handle(), DTM_GETMONTHCAL, 0, 0));
        ASSERT_NE(Cal, nullptr);
        uitest::Click(Cal, 4 + 4 * 24 + 12, 4 + 22 + 17 + 3 * 17 + 8);
    };
    // The up arrow of an up-down date or time picker.
    const Action PickerUp = [](EditorControlsTest&, TWinControl* C) {
        uitest::Click(C->Handle(), C->Width() - 6, 3);
    };
    // A click puts the caret at the start of the text, where a digit goes.
    const Action ClickStartAndDigit = [](EditorControlsTest&, TWinControl* C) {
        uitest::Click(C->Handle(), 2, 4);
        uitest::PressKey(VK_HOME);
        uitest::TypeText(u"1");
    };
    const Action ClickKeys = [](EditorControlsTest&, TWinControl* C) {
        // "+", "3" on the key pad (Enter then gives the result).
        auto* Calc = static_cast<TGridCalculatorDropDown*>(C);
        ClickCentre(Calc->DropDownButton());
        TCustomButtonPanel* Pad = Calc->KeyPad();
        for (const char* Cap : {"+", "3"})
            for (Integer I = 0; I < Pad->Buttons()->Count(); ++I)
                if (Pad->Buttons()->Items(I)->Caption() == Cap) {
                    const TRect R = Pad->GetButtonRect(I);
                    uitest::Click(Pad->Handle(), (R.Left + R.Right) / 2, (R.Top + R.Bottom) / 2);
                    break;
                }
    };
    const Action ClickGridRow2 = [](EditorControlsTest&, TWinControl* C) {
        auto* D = static_cast<TGridGridDropDown*>(C);
        ClickCentre(D->DropDownButton());
        ASSERT_TRUE(D->DroppedDown());
        TVadColGrid* Rows = D->Grid();
        const TRect R = Rows->CellRect(0, 2 + Rows->FixedRows());
        uitest::Click(Rows->Handle(), (R.Left + R.Right) / 2, (R.Top + R.Bottom) / 2);
    };
    const Action RightArrow = Key(VK_RIGHT);
    auto Date = [](int Y, int M, int D) { return DateToStr(EncodeDate(Y, M, D)); };
    const Case Cases[] = {
        {"spin", edSpinEdit, "5", Key(VK_PRIOR), SpinUp, Cell("7")},
        {"float spin", edFloatSpinEdit, "1.50", Key(VK_PRIOR), SpinUp, Cell("1.70")},
        {"edit button", edEditBtn, "", Type(u"ab獎"), Button, Cell("ab獎!")},
        {"numeric edit button", edNumericEditBtn, "", Type(u"1a2"), Button, Cell("12!")},
        {"unit edit button", edUnitEditBtn, "12 kg", Type(u"3"), Nothing, Cell("3 kg")},
        {"wide edit", edUniEdit, "", Type(u"獎品😀"), ClickStartAndType, WideCell(u"<獎品😀")},
        {"wide edit button", edUniEditBtn, "", Type(u"中文"), ClickStartAndType, WideCell(u"<中文")},
        {"wide memo", edUniMemo, "", Type(u"多行"), ClickStartAndType, WideCell(u"<多行")},
        {"combo edit", edComboEdit, "", Type(u"gr"), WheelDown, Cell("Blue")},
        {"combo list", edComboList, "Red", Key(VK_DOWN), WheelDown, Cell("Blue")},
        {"wide combo edit", edUniComboEdit, "", Type(u"獎"), ClickStartAndType, WideCell(u"<獎")},
        {"wide combo list", edUniComboList, "", Key(VK_DOWN), WheelDown, WideCell(u"綠")},
        // A press and Space toggle once each; the cell takes the check text.
        {"check box", edCheckBox, "N", Keys({VK_SPACE, VK_SPACE}),
         [](EditorControlsTest&, TWinControl* C) { ClickCentre(C); }, Cell("Y")},
        // Space and a click each pass the caption through OnEllipsClick into the cell.
        {"button", edButton, "x", Keys({VK_SPACE}),
         [](EditorControlsTest&, TWinControl* C) { ClickCentre(C); }, Cell("x!!"), RightArrow},
        {"date", edDateEdit, Date(2024, 5, 6), Key(VK_UP), CalendarJune20, Cell(Date(2024, 6, 20))},
        {"date up-down", edDateEditUpDown, Date(2024, 5, 6), Key(VK_UP), PickerUp, Cell(Date(2024, 7, 6))},
        {"time", edTimeEdit, TimeToStr(EncodeTime(10, 30, 0, 0)), Key(VK_UP), PickerUp,
         Cell(TimeToStr(EncodeTime(12, 30, 0, 0)))},
        {"date-time", edDateTimeEdit,
         Date(2024, 5, 6) + " " + FormatDateTime(ShortTimeFormat, EncodeTime(10, 30, 0, 0)), Key(VK_UP),
         CalendarJune20,
         Cell(Date(2024, 6, 20) + " " + FormatDateTime(ShortTimeFormat, EncodeTime(10, 30, 0, 0)))},
        {"trackbar drop-down", edTrackbarDropDown, "5", Type(u"0"), ClickStartAndDigit, Cell("10")},
        {"memo drop-down", edMemoDropDown, "ab", Type(u"c"), ClickStartAndType, Cell("<c")},
        {"calculator drop-down", edCalculatorDropDown, "1", Type(u"2"), ClickKeys, Cell("5.00")},
        {"time drop-down", edTimePickerDropDown, "10:30:00", Keys({VK_HOME, '0', '9'}), ClickStartAndDigit,
         Cell("19:30:00")},
        {"detail drop-down", edDetailDropDown, "", Type(u"b"), ClickItem(2), Cell("Cherry")},
        {"grid drop-down", edGridDropDown, "", Type(u"b"), ClickGridRow2, Cell("Cherry")},
        {"colour drop-down", edColorPickerDropDown, "", Keys({VK_F4, VK_DOWN}), ClickItem(3),
         [](TDidAririzEvar* G) {
             TGridColorDropDown* Cp = G->Editors().ColorDropDown;
             return Cp->ItemIndex() == 3 && G->Cells(2, 2) == Cp->Colors()->Items(3)->Caption() &&
                    G->GetColors(2, 2) == Cp->Colors()->Items(3)->Color();
         }},
        {"image drop-down", edImagePickerDropDown, "", Keys({VK_F4, VK_RIGHT}), ClickItem(2),
         [](TDidAririzEvar* G) {
             Integer I = -1;
             return G->GetImageIdx(2, 2, I) && I == 2;
         }},
    };
    for (const Case& C : Cases) {
        SCOPED_TRACE(C.Name);
        for (bool Commit : {true, false}) {
            SCOPED_TRACE(Commit ? "commit" : "restore");
            TearDown();
            SetUp();
            this->Type = C.Kind;
            G->SetLookup(true);
            G->AddComboString("Red");
            G->AddComboString("Green");
            G->AddComboString("Blue");
            G->OnGetEditorProp = [this](TObject*, Integer, Integer, TEditLink*) {
                TWideStrings* Items = G->Editors().UniCombo->Items();
                Items->Clear();
                for (const char16_t* S : {u"紅", u"獎", u"綠", u"藍"})
                    Items->Add(S);
            };
            TGridDetailPickerDropDown* Detail = G->Editors().DetailPickerDropDown;
            TGridGridDropDown* Lookup = G->Editors().GridDropDown;
            Detail->Items()->Clear();
            Lookup->Items()->Clear();
            Lookup->Columns()->Clear();
            Lookup->Columns()->Add();
            for (const char* S : {"Apple", "Banana", "Cherry"}) {
                Detail->Items()->Add()->SetCaption(S);
                Lookup->Items()->Add()->Text()->Add(S);
            }
            TImageList Images(nullptr);
            for (TColor Color : {TColor(0x0000FF), TColor(0x00FF00), TColor(0xFF0000)}) {
                std::unique_ptr<TBitmap> B(New<TBitmap>());
                B->SetSize(16, 16);
                B->Canvas()->Brush()->SetColor(Color);
                B->Canvas()->FillRect(TRect{0, 0, 16, 16});
                Images.Add(B.get(), nullptr);
            }
            G->SetGridImages(&Images);
            if (C.Kind == edImagePickerDropDown)
                G->AddImageIdx(2, 2, 0, haLeft, vaTop);
            G->OnEllipsClick = [](TObject*, Integer, Integer, AnsiString& S) { S += "!"; };
            G->OnWideEllipsClick = [](TObject*, Integer, Integer, WideString& S) { S += u"?"; };
            G->SetCells(2, 2, C.Cell);
            const AnsiString Before = G->Cells(2, 2);
            const TColor ColorBefore = G->GetColors(2, 2);
            TWinControl* E = Open();
            ASSERT_NE(E, nullptr);
            ASSERT_TRUE(E->Visible());
            C.Keyboard(*this, E);
            if (Commit) {
                C.Mouse(*this, E);
                ASSERT_TRUE(G->Editing().Active) << "the mouse did not end the edit";
                if (C.End) {
                    C.End(*this, E);
                } else if (C.Kind == edUniMemo) {
                    // Enter makes a new line in the memo: a click on another cell ends its edit.
                    const TRect R = G->CellRect(3, 5);
                    uitest::Click(G->Handle(), R.Left + 3, R.Top + 3);
                } else {
                    uitest::PressKey(VK_RETURN);
                }
                EXPECT_FALSE(G->Editing().Active);
                EXPECT_FALSE(E->Visible());
                EXPECT_TRUE(C.Stored(G)) << G->Cells(2, 2) << " / " << UTF8Encode(G->GetWideCells(2, 2));
            } else {
                uitest::PressKey(VK_ESCAPE);
                // Esc is the check box's own key: the edit stays open on the unchanged cell.
                EXPECT_EQ(G->Editing().Active, C.Kind == edCheckBox);
                EXPECT_EQ(UTF8Encode(G->GetWideCells(2, 2)), Before);
                if (C.Kind == edColorPickerDropDown)
                    EXPECT_EQ(G->GetColors(2, 2), ColorBefore);
            }
            G->SetGridImages(nullptr);
        }
    }
}

// Spin keys stay within the limits and report the step; a refused value keeps the spin open.
TEST_F(EditorControlsTest, SpinKeysStepWithinTheLimitsAndReportTheStep)
{
    Type = edSpinEdit;
    std::vector<std::pair<Integer, bool>> Steps;
    G->OnSpinClick = [&](TObject* Sender, Integer ACol, Integer ARow, Integer V, bool Up) {
        EXPECT_EQ(Sender, G);
        EXPECT_EQ(ACol, 2);
        EXPECT_EQ(ARow, 2);
        Steps.emplace_back(V, Up);
    };
    struct Case {
        AnsiString Cell;
        UINT Key;
        Integer Value;
        bool Up;
    };
    const Case Cases[] = {
        {"95", VK_PRIOR, 95, true},  // 95 + 7 would pass 100
        {"93", VK_PRIOR, 100, true}, // lands on the limit
        {"3", VK_NEXT, 3, false},    // 3 - 7 would pass 0
        {"50", VK_HOME, 100, true},  {"50", VK_END, 0, false},
    };
    for (const Case& C : Cases) {
        SCOPED_TRACE(C.Cell);
        G->SetCells(2, 2, C.Cell);
        auto* S = static_cast<TGridSpin*>(Open());
        ASSERT_NE(S, nullptr);
        S->SetIncrement(7);
        Steps.clear();
        uitest::PressKey(C.Key);
        EXPECT_EQ(S->Value(), C.Value);
        ASSERT_EQ(Steps.size(), 1u);
        EXPECT_EQ(Steps[0], std::make_pair(C.Value, C.Up));
        uitest::PressKey(VK_ESCAPE);
        EXPECT_EQ(G->Cells(2, 2), C.Cell);
    }
    // The spin buttons fire the event of the spin type.
    double Float = 0;
    G->OnFloatSpinClick = [&](TObject*, Integer, Integer, double V, bool Up) {
        Float = V;
        EXPECT_FALSE(Up);
    };
    Type = edFloatSpinEdit;
    G->SetCells(2, 2, "2.5");
    auto* S = static_cast<TGridSpin*>(Open());
    TWinControl* B = S->Spinner();
    uitest::Click(B->Handle(), B->Width() / 2, B->Height() * 3 / 4);
    EXPECT_DOUBLE_EQ(Float, 2.4);
}

// The edit with a button: the numeric kinds' character rules also hold for pasted text, a paste
// replaces the selection, lookup completes from LookupItems, and the grid hears the keys.
TEST_F(EditorControlsTest, EditWithButtonFiltersPastesCompletesAndForwardsKeys)
{
    struct Typed {
        TEditorType Kind;
        std::u16string Keys;
        AnsiString Text;
        size_t Beeps;
    };
    const Typed Table[] = {
        {edNumericEditBtn, u"-12-", "-12", 1}, {edNumericEditBtn, u"1-", "1", 1},
        {edFloatEditBtn, u"1.5.x,", "1.5", 0}, // a second point, a letter and the thousand separator
        {edFloatEditBtn, u"2-", "2", 1},       {edEditBtn, u"a-b.", "a-b.", 0},
    };
    for (const Typed& T : Table) {
        SCOPED_TRACE(UTF8Encode(T.Keys));
        uitest::ClearRecords();
        Type = T.Kind;
        G->SetCells(2, 2, "");
        TWinControl* E = Open();
        uitest::TypeText(T.Keys);
        EXPECT_EQ(E->Text(), T.Text);
        EXPECT_EQ(uitest::Beeps().size(), T.Beeps);
        uitest::PressKey(VK_ESCAPE);
    }

    // Paste: a line break at the end is dropped, a selection is replaced and the paste selected.
    Type = edEditBtn;
    G->SetCells(2, 2, "wxy");
    auto* E = static_cast<TGridEditBtn*>(Open());
    SendMessage(E->Handle(), EM_SETSEL, 1, 2);
    Clipboard()->SetAsText("abc\r\n");
    SendMessage(E->Handle(), WM_PASTE, 0, 0);
    EXPECT_EQ(E->Text(), "wabcy");
    EXPECT_EQ(E->SelStart(), 1);
    EXPECT_EQ(E->SelLength(), 3);
    uitest::PressKey(VK_ESCAPE);
    // Letters are not pasted into the numeric kind.
    Type = edNumericEditBtn;
    G->SetCells(2, 2, "12");
    E = static_cast<TGridEditBtn*>(Open());
    Clipboard()->SetAsText("abc");
    SendMessage(E->Handle(), WM_PASTE, 0, 0);
    EXPECT_EQ(E->Text(), "12");
    uitest::PressKey(VK_ESCAPE);

    // Lookup: the typed part keeps its case; Backspace does not complete again.
    Type = edEditBtn;
    G->SetLookup(true);
    G->LookupItems()->Add("Apple");
    G->LookupItems()->Add("Apricot");
    G->SetCells(2, 2, "");
    E = static_cast<TGridEditBtn*>(Open());
    SendMessage(E->Handle(), EM_SETSEL, 0, -1);
    uitest::TypeText("ap");
    EXPECT_EQ(E->Text(), "apple");
    EXPECT_EQ(E->SelStart(), 2);
    EXPECT_EQ(E->SelLength(), 3);
    uitest::PressKey(VK_BACK);
    EXPECT_EQ(E->Text(), "ap");

    // Keys outside the protocol reach the grid's key events.
    std::vector<Word> Downs, Ups;
    G->OnKeyDown = [&](TObject* Sender, Word& K, TShiftState) {
        EXPECT_EQ(Sender, G);
        Downs.push_back(K);
    };
    G->OnKeyUp = [&](TObject*, Word& K, TShiftState) { Ups.push_back(K); };
    uitest::PressKey(VK_HOME);
    EXPECT_EQ(Downs, std::vector<Word>{VK_HOME});
    EXPECT_EQ(Ups, std::vector<Word>{VK_HOME});
    uitest::PressKey(VK_ESCAPE);
}

// Right at the end of the text walks to the next cell and edits it; a selection keeps the edit.
TEST_F(EditorControlsTest, EditWithButtonWalksOutAtTheTextsEdges)
{
    Type = edEditBtn;
    G->Navigation()->CursorWalkEditor = true;
    G->SetCells(2, 2, "ab");
    auto* E = static_cast<TGridEditBtn*>(Open());
    SendMessage(E->Handle(), EM_SETSEL, 0, -1);
    uitest::PressKey(VK_RIGHT);
    EXPECT_EQ(G->Col(), 2) << "a selection keeps the edit in its cell";
    uitest::TypeText("cd"); // after the collapsed selection
    uitest::PressKey(VK_RIGHT);
    EXPECT_EQ(G->Cells(2, 2), "abcd");
    EXPECT_EQ(G->Col(), 3);
    EXPECT_TRUE(G->Editing().Active);
    EXPECT_TRUE(E->Visible());
    uitest::PressKey(VK_LEFT);
    EXPECT_EQ(G->Col(), 2);
}

// The combo: the drop width fits the widest item, the wheel steps through the items with the
// events and stops at the last one, and Enter fires OnReturnKey.
TEST_F(EditorControlsTest, ComboFitsItsDropWidthStepsByWheelAndReportsEnter)
{
    Type = edComboEdit;
    G->Navigation()->AutoComboDropSize = true;
    for (Integer I = 0; I < 10; ++I)
        G->AddComboString("Item " + IntToStr(I));
    G->AddComboString("A much longer item than the others");
    TGridCombo* Cb = G->Editors().Combo;
    G->SetColWidths(2, 60);
    G->SetCells(2, 2, "Item 2");
    Open();
    const Integer Widest = G->Canvas()->TextWidth("A much longer item than the others");
    EXPECT_EQ(SendMessage(Cb->Handle(), CB_GETDROPPEDWIDTH, 0, 0), Widest + 25);
    uitest::PressKey(VK_ESCAPE);

    G->ClearComboString();
    for (const char* S : {"Red", "Green", "Blue"})
        G->AddComboString(S);
    std::vector<std::pair<Integer, AnsiString>> Changes;
    G->OnComboChange = [&](TObject* Sender, Integer, Integer, Integer I, const AnsiString& S) {
        EXPECT_EQ(Sender, G);
        Changes.emplace_back(I, S);
    };
    Type = edComboList;
    G->SetCells(2, 2, "Green");
    Open();
    ASSERT_EQ(Cb->ItemIndex(), 1);
    uitest::Wheel(Cb->Handle(), 5, 5, -120);
    uitest::Wheel(Cb->Handle(), 5, 5, -120); // past the last item: the last stays selected
    // Each step reports the selected item, also the one that could not move on.
    ASSERT_EQ(Changes.size(), 2u);
    EXPECT_EQ(Changes[0], std::make_pair(Integer(2), AnsiString("Blue")));
    EXPECT_EQ(Changes[1], Changes[0]);
    EXPECT_EQ(Cb->ItemIndex(), 2);
    Integer Returns = 0;
    Cb->OnReturnKey = [&](TObject* Sender) {
        EXPECT_EQ(Sender, Cb);
        ++Returns;
    };
    uitest::PressKey(VK_ESCAPE);
    Type = edComboEdit;
    Open();
    SendMessage(Cb->EditHandle(), EM_SETSEL, 0, -1);
    uitest::TypeText("Violet");
    G->SetLookupHistory(true);
    uitest::PressKey(VK_RETURN);
    EXPECT_EQ(Returns, 1);
    EXPECT_EQ(G->Cells(2, 2), "Violet");
}

} // namespace

// The combo's history: a value typed into the combo joins its items when the edit ends, by a
// click on another cell or by Enter, and the cell takes the value; the edit ends once.
TEST_F(EditorControlsTest, ComboHistoryKeepsTypedValues)
{
    Type = edComboEdit;
    G->SetLookupHistory(true);
    G->AddComboString("Red");
    TGridCombo* Cb = G->Editors().Combo;
    Integer Done = 0;
    G->OnEditingDone = [&](TObject*) { ++Done; };
    G->SetCells(2, 2, "");
    Open();
    uitest::TypeText("Violet");
    const TRect R = G->CellRect(3, 5);
    uitest::Click(G->Handle(), R.Left + 3, R.Top + 3);
    EXPECT_FALSE(G->Editing().Active);
    EXPECT_FALSE(Cb->Visible());
    EXPECT_EQ(G->Cells(2, 2), "Violet");
    EXPECT_EQ(Cb->Items()->IndexOf("Violet"), 1);
    EXPECT_EQ(Done, 1);
    EXPECT_EQ(G->Col(), 3);
    EXPECT_EQ(G->Row(), 5);

    Done = 0;
    G->SetCells(2, 3, "");
    G->GotoCell(2, 3);
    uitest::PressKey(VK_F2);
    ASSERT_TRUE(Cb->Visible());
    uitest::TypeText("Indigo");
    uitest::PressKey(VK_RETURN);
    EXPECT_FALSE(G->Editing().Active);
    EXPECT_EQ(G->Cells(2, 3), "Indigo");
    EXPECT_GE(Cb->Items()->IndexOf("Indigo"), 0);
    EXPECT_EQ(Done, 1);
    // An item already there is not added twice.
    G->GotoCell(2, 4);
    uitest::PressKey(VK_F2);
    uitest::TypeText("Red");
    uitest::Click(G->Handle(), R.Left + 3, R.Top + 3);
    EXPECT_EQ(G->Cells(2, 4), "Red");
    EXPECT_EQ(Cb->Items()->Count(), 1);
}

// The colour and image pickers: a choice in the popup reports the current cell with the colour
// and its text (the image's item); the end of the edit has the last word on what goes into the
// cell; Esc after a choice leaves the cell's text, colour and image as they were.
TEST_F(EditorControlsTest, ColorAndImageChoicesAreReportedAndHaveTheLastWord)
{
    struct Selected {
        Integer Col, Row;
        TColor Color;
        AnsiString Text;
    };
    std::vector<Selected> Colors;
    G->OnColorSelect = [&](TObject* Sender, Integer ACol, Integer ARow, TColor Color, const AnsiString& V) {
        EXPECT_EQ(Sender, G);
        Colors.push_back({ACol, ARow, Color, V});
    };
    G->OnColorSelected = [](TObject*, Integer ACol, Integer ARow, TColor& Color, AnsiString& V) {
        EXPECT_EQ(ACol, 2);
        EXPECT_EQ(ARow, 2);
        V = "chosen " + V;
    };
    auto ClickItem = [](TDizEveverAvivIzar* P, TVadCustomItemSelector* (*List)(TDizEveverAvivIzar*),
                        Integer I) {
        ClickCentre(P->DropDownButton());
        ASSERT_TRUE(P->DroppedDown());
        TVadCustomItemSelector* S = List(P);
        const TRect R = S->Panel()->GetItemRect(I);
        uitest::Click(S->Panel()->Handle(), (R.Left + R.Right) / 2, (R.Top + R.Bottom) / 2);
    };
    auto ColorList = [](TDizEveverAvivIzar* P) { return static_cast<TGridColorDropDown*>(P)->ItemList(); };
    Type = edColorPickerDropDown;
    G->SetColors(2, 2, clNone);
    auto* Cp = static_cast<TGridColorDropDown*>(Open());
    ASSERT_EQ(Cp, G->Editors().ColorDropDown);
    EXPECT_TRUE(Colors.empty()) << "the fill is no choice";
    ClickItem(Cp, ColorList, 2);
    const TColorItem* Item = Cp->Colors()->Items(2);
    ASSERT_EQ(Colors.size(), 1u);
    EXPECT_EQ(Colors[0].Col, 2);
    EXPECT_EQ(Colors[0].Row, 2);
    EXPECT_EQ(Colors[0].Color, Item->Color());
    EXPECT_EQ(Colors[0].Text, Item->Caption());
    uitest::PressKey(VK_RETURN);
    EXPECT_EQ(G->Cells(2, 2), "chosen " + Item->Caption());
    EXPECT_EQ(G->GetColors(2, 2), Item->Color());
    // Esc after another choice: the cell keeps the first.
    Open();
    ClickItem(Cp, ColorList, 4);
    EXPECT_EQ(Colors.size(), 2u);
    uitest::PressKey(VK_ESCAPE);
    EXPECT_FALSE(G->Editing().Active);
    EXPECT_EQ(G->Cells(2, 2), "chosen " + Item->Caption());
    EXPECT_EQ(G->GetColors(2, 2), Item->Color());

    // The image picker over an image index cell and a data image cell.
    TImageList Images(nullptr);
    for (TColor C : {TColor(0x0000FF), TColor(0x00FF00), TColor(0xFF0000)}) {
        std::unique_ptr<TBitmap> B(New<TBitmap>());
        B->SetSize(16, 16);
        B->Canvas()->Brush()->SetColor(C);
        B->Canvas()->FillRect(TRect{0, 0, 16, 16});
        Images.Add(B.get(), nullptr);
    }
    G->SetGridImages(&Images);
    G->AddImageIdx(2, 2, 0, haLeft, vaTop);
    G->AddDataImage(2, 3, 1, haLeft, vaTop);
    std::vector<std::pair<Integer, Integer>> Picks; // (row, index)
    G->OnImageSelect = [&](TObject* Sender, Integer ACol, Integer ARow, Integer I) {
        EXPECT_EQ(Sender, G);
        EXPECT_EQ(ACol, 2);
        Picks.emplace_back(ARow, I);
    };
    Integer Offered = -1;
    G->OnImageSelected = [&](TObject*, Integer, Integer, Integer& I) { Offered = I; };
    auto ImageList = [](TDizEveverAvivIzar* P) { return static_cast<TGridImageDropDown*>(P)->ItemList(); };
    Type = edImagePickerDropDown;
    auto* Ip = static_cast<TGridImageDropDown*>(Open());
    ASSERT_EQ(Ip, G->Editors().ImageDropDown);
    EXPECT_EQ(Ip->ImageIndex(), 0);
    ClickItem(Ip, ImageList, 2);
    uitest::PressKey(VK_RETURN);
    EXPECT_EQ(Picks, (std::vector<std::pair<Integer, Integer>>{{2, 2}}));
    EXPECT_EQ(Offered, 2);
    Integer I = -1;
    EXPECT_TRUE(G->GetImageIdx(2, 2, I));
    EXPECT_EQ(I, 2);
    // A data image keeps its index as the cell text; OnImageSelected may change it.
    G->OnImageSelected = [](TObject*, Integer, Integer, Integer& I) { I = 0; };
    G->GotoCell(2, 3);
    uitest::PressKey(VK_F2);
    EXPECT_EQ(Ip->ImageIndex(), 1);
    ClickItem(Ip, ImageList, 2);
    uitest::PressKey(VK_RETURN);
    EXPECT_EQ(G->Cells(2, 3), "0");
    G->SetGridImages(nullptr);
}

// The drop-down date-time editor reports its changes with the current cell; Esc puts back the
// value the edit began with.
TEST_F(EditorControlsTest, DateTimeEditorReportsChangesAndRestores)
{
    Type = edDateTimeEdit;
    std::vector<TDateTime> Changes;
    G->OnDateTimeChange = [&](TObject* Sender, Integer ACol, Integer ARow, TDateTime V) {
        EXPECT_EQ(Sender, G);
        EXPECT_EQ(ACol, 2);
        EXPECT_EQ(ARow, 2);
        Changes.push_back(V);
    };
    const TDateTime Start = EncodeDate(2024, 5, 6) + EncodeTime(10, 30, 0, 0);
    const AnsiString Text = FormatDateTime(ShortDateFormat + " " + ShortTimeFormat, Start);
    G->SetCells(2, 2, Text);
    auto* D = static_cast<TGridDateTimePicker*>(Open());
    ASSERT_EQ(D, G->Editors().DateTimePicker);
    EXPECT_EQ(D->GetDateTimeEx(), Start);
    uitest::PressKey(VK_UP);
    ASSERT_FALSE(Changes.empty());
    EXPECT_EQ(Changes.back(), D->GetDateTimeEx());
    EXPECT_NE(D->GetDateTimeEx(), Start);
    uitest::PressKey(VK_ESCAPE);
    EXPECT_FALSE(G->Editing().Active);
    EXPECT_EQ(G->Cells(2, 2), Text);
}

// The picker editors' keys: Enter validates and ends, PgDn ends without validating and keeps the
// cell, End moves the caret and keeps the edit; the colour picker leaves the arrows to its open
// popup; with automatic advance Down opens the same editor one row below.
TEST_F(EditorControlsTest, PickerKeysValidateEndAndAdvance)
{
    Integer Validations = 0;
    G->OnCellValidate = [&](TObject*, Integer, Integer, AnsiString&, bool&) { ++Validations; };
    Type = edMemoDropDown;
    G->SetCells(2, 2, "memo");
    Open();
    uitest::PressKey(VK_END);
    EXPECT_TRUE(G->Editing().Active);
    uitest::TypeText("s");
    uitest::PressKey(VK_RETURN);
    EXPECT_FALSE(G->Editing().Active);
    EXPECT_EQ(Validations, 1);
    EXPECT_EQ(G->Cells(2, 2), "memos");
    Open();
    uitest::PressKey(VK_NEXT);
    EXPECT_FALSE(G->Editing().Active);
    EXPECT_EQ(Validations, 1);
    EXPECT_EQ(G->Row(), 2) << "the page key ends the edit in its cell";

    Type = edColorPickerDropDown;
    auto* Cp = static_cast<TGridColorDropDown*>(Open());
    Cp->SetItemIndex(0);
    uitest::PressKey(VK_F4);
    ASSERT_TRUE(Cp->DroppedDown());
    uitest::PressKey(VK_DOWN);
    EXPECT_TRUE(G->Editing().Active);
    EXPECT_TRUE(Cp->DroppedDown());
    uitest::PressKey(VK_RETURN);
    EXPECT_FALSE(G->Editing().Active);
    EXPECT_FALSE(Cp->DroppedDown());
    EXPECT_EQ(G->GetColors(2, 2), Cp->SelectedColor());
    // Closed, Down leaves the cell without validating.
    const Integer Before = Validations;
    Open();
    uitest::PressKey(VK_DOWN);
    EXPECT_FALSE(G->Editing().Active);
    EXPECT_EQ(G->Row(), 3);
    EXPECT_EQ(Validations, Before);

    // Enter evaluates the calculation under way.
    Type = edCalculatorDropDown;
    G->SetCells(2, 3, "");
    G->GotoCell(2, 3);
    uitest::PressKey(VK_F2);
    auto* Calc = G->Editors().CalculatorDropDown;
    ASSERT_TRUE(Calc->Visible());
    SendMessage(Calc->Handle(), EM_SETSEL, 0, -1);
    uitest::TypeText("2+3");
    uitest::PressKey(VK_RETURN);
    EXPECT_EQ(G->Cells(2, 3).substr(0, 1), "5");
    EXPECT_EQ(G->Row(), 3);
    // Down ends it and opens the calculator one row below.
    G->Navigation()->AdvanceOnEnter = true;
    G->Navigation()->AdvanceAutoEdit = true;
    uitest::PressKey(VK_F2);
    ASSERT_TRUE(Calc->Visible());
    uitest::PressKey(VK_DOWN);
    EXPECT_EQ(G->Row(), 4);
    EXPECT_TRUE(G->Editing().Active);
    EXPECT_EQ(G->Editing().Shown, Calc);
    uitest::PressKey(VK_ESCAPE);
}
