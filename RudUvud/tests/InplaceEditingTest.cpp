// In-place editing as a user does it: typing into cells of each text kind (ASCII, Chinese and a
// character outside the basic plane), committing with Enter and Tab, restoring with Esc, pasting,
// the length limit, the editor controls of the other kinds, validation with its refusal balloon,
// and the value of an edit never landing in another cell once the focus has moved.

#include "RudUvud/tests/GridTestSupport.h"

#include "RudUvud/edit/InplaceText.h"
#include "RudUvud/support/DerOdoz.h"
#include "RudUvud/support/daecheck.h"

#include "platform/forms/Clipbrd.h"
#include "platform/rtl/Conversions.h"
#include "platform/rtl/Strings.h"
#include "platform/win/CommCtrl.h"
#include "platform/win/StdControls.h"
#include "platform/win/Windows.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace {

class InplaceEditingTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        Form = gridtest::NewForm();
        G = gridtest::NewShownGrid(Form, 5, 8);
        G->SetOptions(G->Options() + TGridOptions{goEditing});
        G->OnGetEditorType = [this](TObject*, Integer, Integer, TEditorType& E) { E = Type; };
        G->SetFocus();
        uitest::PumpUntilIdle();
        uitest::ClearRecords();
    }
    void TearDown() override { Form->Free(); }

    void ClickCell(Integer ACol, Integer ARow)
    {
        const TRect R = G->CellRect(ACol, ARow);
        uitest::Click(G->Handle(), (R.Left + R.Right) / 2, (R.Top + R.Bottom) / 2);
    }
    // The text editor, when it is shown.
    TInplaceEdit* Editor() const
    {
        TInplaceEdit* E = G->InplaceEditor();
        return E && E->Visible() ? E : nullptr;
    }
    static HWND VisibleBalloon()
    {
        for (HWND W = GetTopWindow(nullptr); W; W = GetWindow(W, GW_HWNDNEXT)) {
            char Cls[64] = {};
            GetClassName(W, Cls, sizeof Cls);
            if (std::string(Cls) == TOOLTIPS_CLASS && IsWindowVisible(W))
                return W;
        }
        return nullptr;
    }

    TForm* Form = nullptr;
    TDidAririzEvar* G = nullptr;
    TEditorType Type = edNormal;
};

TEST_F(InplaceEditingTest, TypingIntoEachTextKindKeepsWhatTheKindAllows)
{
    struct Case {
        TEditorType Kind;
        std::u16string Typed;
        AnsiString Stored;
        size_t Beeps;
    };
    const Case Cases[] = {
        {edNormal, u"Prize 獎品 😀", "Prize 獎品 😀", 0},
        {edPassword, u"s3cret獎", "s3cret獎", 0},
        {edUpperCase, u"abc獎z", "ABC獎Z", 0},
        {edCapital, u"ab", "AB", 0},
        {edLowerCase, u"AbC😀", "abc😀", 0},
        {edMixedCase, u"hello world", ShiftCase("hello world"), 0},
        {edNumeric, u"-12-3", "-123", 1}, // a second minus beeps
        {edNumeric, u"1-2", "12", 1},     // a minus after a digit beeps
        {edNumeric, u"4獎😀", "4", 3},     // Chinese and the surrogate pair's halves beep
        {edPositiveNumeric, u"-7x8", "78", 2},
        {edFloat, u"1.5.2", "1.52", 0},    // a second separator is dropped silently
        {edFloat, u"-1,000a", "-1000", 0}, // thousand separator and letters dropped silently
        {edFloat, u"2-", "2", 1},          // a minus after a digit beeps
        {edValidChars, u"abcxyz", "abc", 3},
    };
    for (const Case& C : Cases) {
        SCOPED_TRACE(::testing::Message() << "kind " << C.Kind << " typed " << UTF8Encode(C.Typed));
        TearDown();
        SetUp();
        G->SetValidChars("abc");
        Type = C.Kind;
        G->GotoCell(2, 3);
        uitest::TypeText(C.Typed); // the first character opens the editor and is kept
        ASSERT_NE(Editor(), nullptr);
        EXPECT_EQ(uitest::Beeps().size(), C.Beeps);
        uitest::PressKey(VK_RETURN);
        EXPECT_EQ(Editor(), nullptr);
        EXPECT_EQ(G->Cells(2, 3), C.Stored);
        EXPECT_FALSE(G->Editing().Active);
    }
}

TEST_F(InplaceEditingTest, TextEditorStylesFollowTheKindAndTheGrid)
{
    Type = edPassword;
    G->GotoCell(1, 1);
    uitest::PressKey(VK_F2);
    ASSERT_NE(Editor(), nullptr);
    LONG Style = GetWindowLong(Editor()->Handle(), GWL_STYLE);
    EXPECT_TRUE(Style & ES_PASSWORD);
    EXPECT_FALSE(Style & ES_MULTILINE);
    uitest::PressKey(VK_ESCAPE);

    // Another kind gets a window without the password style; word wrap drops horizontal scrolling.
    Type = edNormal;
    G->SetWordWrap(true);
    G->GotoCell(2, 1);
    uitest::PressKey(VK_F2);
    ASSERT_NE(Editor(), nullptr);
    Style = GetWindowLong(Editor()->Handle(), GWL_STYLE);
    EXPECT_FALSE(Style & ES_PASSWORD);
    EXPECT_TRUE(Style & ES_MULTILINE);
    EXPECT_FALSE(Style & ES_AUTOHSCROLL);
    EXPECT_TRUE(Style & ES_WANTRETURN);
    auto* Text = static_cast<TRizAdiriruVava*>(G->InplaceEditor());
    Text->SetVAlign(true);
    EXPECT_TRUE(GetWindowLong(Editor()->Handle(), GWL_STYLE) & ES_RIGHT);
    // Placed over the cell, one pixel short of its right and bottom edges.
    const TRect R = G->CellRect(2, 1);
    EXPECT_EQ(Editor()->Left(), R.Left);
    EXPECT_EQ(Editor()->Top(), R.Top);
    EXPECT_EQ(Editor()->Width(), R.Right - R.Left - 1);
    EXPECT_EQ(Editor()->Height(), R.Bottom - R.Top - 1);
}

TEST_F(InplaceEditingTest, EscRestoresTabCommitsAndMoves)
{
    G->SetCells(1, 1, "old");
    G->GotoCell(1, 1);
    uitest::PressKey(VK_F2);
    uitest::TypeText("new");
    uitest::PressKey(VK_ESCAPE);
    EXPECT_EQ(Editor(), nullptr);
    EXPECT_EQ(G->Cells(1, 1), "old");

    G->SetOptions(G->Options() + TGridOptions{goTabs});
    uitest::PressKey(VK_F2);
    SendMessage(G->InplaceEditor()->Handle(), EM_SETSEL, 0, -1);
    uitest::TypeText("tabbed");
    uitest::PressKey(VK_TAB);
    EXPECT_EQ(G->Cells(1, 1), "tabbed");
    EXPECT_EQ(G->Col(), 2);
    EXPECT_EQ(G->Row(), 1);
}

// SizeWhileTyping: the row grows with the wrapped text as it is typed, the column widens to the
// text, and a line break typed with Ctrl+Enter makes a row of multi-line cells one line higher.
TEST_F(InplaceEditingTest, RowAndColumnGrowWhileTyping)
{
    std::vector<Integer> Sized;
    G->OnEndRowSize = [&](TObject*, Integer ARow) { Sized.push_back(ARow); };
    G->SetColWidths(1, 60);
    const Integer Height0 = G->RowHeights(1);
    G->SizeWhileTyping()->Height = true;
    G->GotoCell(1, 1);
    uitest::PressKey(VK_F2);
    uitest::TypeText("one two three four five six");
    EXPECT_GT(G->RowHeights(1), 2 * Height0);
    ASSERT_FALSE(Sized.empty());
    EXPECT_EQ(Sized.back(), 1);
    uitest::PressKey(VK_RETURN);
    EXPECT_EQ(G->Cells(1, 1), "one two three four five six");
    EXPECT_EQ(G->ColWidths(1), 60);

    // Without the setting nothing is sized.
    G->SizeWhileTyping()->Height = false;
    Sized.clear();
    G->GotoCell(1, 2);
    uitest::PressKey(VK_F2);
    uitest::TypeText("one two three four five six");
    uitest::PressKey(VK_RETURN);
    EXPECT_EQ(G->RowHeights(2), Height0);
    EXPECT_TRUE(Sized.empty());

    G->SizeWhileTyping()->Width = true;
    G->GotoCell(2, 3);
    uitest::PressKey(VK_F2);
    uitest::TypeText("a rather long text for a narrow column");
    const Integer Wide = G->ColWidths(2);
    EXPECT_GT(Wide, G->DefaultColWidth());
    uitest::PressKey(VK_BACK); // grows only
    EXPECT_EQ(G->ColWidths(2), Wide);
    uitest::PressKey(VK_ESCAPE);

    // Ctrl+Enter in a row of multi-line cells: one more line.
    G->SizeWhileTyping()->Width = false;
    G->SizeWhileTyping()->Height = true;
    G->SetWordWrap(false);
    G->SetMultilinecells(true);
    G->SizeToLines(5, 2, G->YOffsetSize());
    const Integer TwoLines = G->RowHeights(5);
    Sized.clear();
    G->GotoCell(1, 4);
    uitest::PressKey(VK_F2);
    uitest::TypeText("first");
    uitest::PressKey(VK_RETURN, uitest::ksCtrl);
    EXPECT_EQ(G->RowHeights(4), TwoLines);
    EXPECT_EQ(Sized, (std::vector<Integer>{4}));
    uitest::TypeText("second");
    uitest::PressKey(VK_RETURN);
    EXPECT_EQ(G->Cells(1, 4), "first\r\nsecond");
}

// The editors get a mini-HTML cell's text without its tags unless EditWithTags is set; a plain
// text with angle brackets is never touched.
TEST_F(InplaceEditingTest, EditWithTagsDecidesWhetherTagsAreEdited)
{
    G->SetCells(1, 1, "<B>bold</B> text");
    G->SetCells(1, 2, "a <x> b");
    auto EditedText = [&](Integer ARow) {
        G->GotoCell(1, ARow);
        uitest::PressKey(VK_F2);
        const std::string T = Editor() ? Editor()->Text() : "(no editor)";
        uitest::PressKey(VK_ESCAPE);
        return T;
    };
    EXPECT_FALSE(G->EditWithTags());
    EXPECT_EQ(EditedText(1), "bold text");
    EXPECT_EQ(EditedText(2), "a <x> b");
    EXPECT_EQ(G->Cells(1, 1), "<B>bold</B> text");
    G->SetEditWithTags(true);
    EXPECT_EQ(EditedText(1), "<B>bold</B> text");
    EXPECT_EQ(EditedText(2), "a <x> b");
}

TEST_F(InplaceEditingTest, LengthLimitCountsCharactersAndLetsBackspaceThrough)
{
    G->SetMaxEditLength(3);
    G->GotoCell(1, 2);
    uitest::TypeText(u"獎😀ab");
    uitest::PressKey(VK_BACK);
    uitest::TypeText("c");
    uitest::PressKey(VK_RETURN);
    EXPECT_EQ(G->Cells(1, 2), "獎😀c");
    EXPECT_TRUE(uitest::Beeps().empty()); // dropped silently
}

TEST_F(InplaceEditingTest, LookupCompletesFromTheListAndHistoryAddsToIt)
{
    G->LookupItems()->Add("Apple");
    G->LookupItems()->Add("Apricot");
    G->SetLookup(true);
    G->SetLookupHistory(true);
    G->GotoCell(1, 1);
    uitest::TypeText("ap");
    ASSERT_NE(Editor(), nullptr);
    EXPECT_EQ(Editor()->Text(), "apple"); // as typed, then the rest of the item
    auto* E = static_cast<TCustomEdit*>(Editor());
    EXPECT_EQ(E->SelStart(), 2);
    EXPECT_EQ(E->SelLength(), 3);
    uitest::PressKey(VK_BACK); // removes the completion and completes nothing
    EXPECT_EQ(Editor()->Text(), "ap");
    uitest::TypeText("r");
    EXPECT_EQ(Editor()->Text(), "apricot");
    SendMessage(Editor()->Handle(), EM_SETSEL, 0, -1);
    uitest::TypeText("Banana");
    uitest::PressKey(VK_RETURN);
    EXPECT_EQ(G->Cells(1, 1), "Banana");
    EXPECT_GE(G->LookupItems()->IndexOf("Banana"), 0);
}

TEST_F(InplaceEditingTest, PasteFollowsTheKindsRules)
{
    struct Case {
        TEditorType Kind;
        AnsiString Clip;
        AnsiString Result;
        bool Reported;
    };
    const Case Cases[] = {
        {edPositiveNumeric, "12\r\n", "12", true},
        {edPositiveNumeric, "1a", "", false},
        {edNumeric, "-3", "-3", true},
        {edFloat, "2.5", "2.5", true},
        {edUpperCase, "abc", "ABC", true},
    };
    for (const Case& C : Cases) {
        SCOPED_TRACE(C.Clip);
        TearDown();
        SetUp();
        Type = C.Kind;
        Integer AfterPaste = 0;
        G->OnClipboardAfterPasteCell = [&](TObject*, Integer, Integer, const AnsiString&) { ++AfterPaste; };
        Clipboard()->SetAsText(C.Clip);
        G->GotoCell(3, 3);
        uitest::PressKey(VK_F2);
        ASSERT_NE(Editor(), nullptr);
        SendMessage(Editor()->Handle(), WM_PASTE, 0, 0);
        EXPECT_EQ(Editor()->Text(), C.Result);
        EXPECT_EQ(AfterPaste, C.Reported ? 1 : 0);
    }
}

TEST_F(InplaceEditingTest, ValidationRefusesWithBalloonAndKeepsTheEditOnTheCell)
{
    G->SetCells(2, 2, "old");
    G->SetInvalidEntryTitle("Invalid entry");
    G->SetInvalidEntryText("Only good values");
    Integer Calls = 0;
    G->OnCellValidate = [&](TObject*, Integer ACol, Integer ARow, AnsiString& Value, bool& Valid) {
        ++Calls;
        EXPECT_EQ(ACol, 2);
        EXPECT_EQ(ARow, 2);
        Valid = Value != "bad";
    };
    G->GotoCell(2, 2);
    uitest::PressKey(VK_F2);
    SendMessage(G->InplaceEditor()->Handle(), EM_SETSEL, 0, -1);
    uitest::TypeText("bad");
    uitest::PressKey(VK_RETURN);
    EXPECT_EQ(Calls, 1);
    EXPECT_EQ(G->Cells(2, 2), "old");
    ASSERT_NE(Editor(), nullptr) << "the editor stays open";
    EXPECT_EQ(Editor()->Text(), "bad");
    EXPECT_EQ(G->Col(), 2);
    EXPECT_EQ(G->Row(), 2);
    EXPECT_NE(VisibleBalloon(), nullptr);
    EXPECT_FALSE(G->Modified());

    SendMessage(G->InplaceEditor()->Handle(), EM_SETSEL, 0, -1);
    uitest::TypeText("good");
    uitest::PressKey(VK_RETURN);
    EXPECT_EQ(Calls, 2);
    EXPECT_EQ(G->Cells(2, 2), "good");
    EXPECT_EQ(Editor(), nullptr);
    EXPECT_TRUE(G->Modified());

    // An unchanged text is not validated again.
    uitest::PressKey(VK_F2);
    uitest::PressKey(VK_RETURN);
    EXPECT_EQ(Calls, 2);
}

TEST_F(InplaceEditingTest, AcceptedChangeIsCorrectedMarkedRegisteredAndAnnounced)
{
    struct Undo : TRudUvudUndoRedo {
        using TRudUvudUndoRedo::TRudUvudUndoRedo;
        void RegisterChange(Integer ACol, Integer ARow, const AnsiString& O, const AnsiString& N) override
        {
            Log.push_back(IntToStr(ACol) + "," + IntToStr(ARow) + ":" + O + ">" + N);
        }
        std::vector<AnsiString> Log;
    };
    struct Listener : TGridChangeNotifier {
        using TGridChangeNotifier::TGridChangeNotifier;
        void CellsChanged(const TRect& R) override { Rects.push_back(R); }
        std::vector<TRect> Rects;
        TDidAririzEvar* Grid = nullptr;
        AnsiString SeenInCell;
    };
    auto* U = New<Undo>(Form);
    auto* L = New<Listener>(Form);
    auto* Checker = New<TCapitalCheck>(Form);
    Checker->SetAutoCorrect(true);
    G->SetUndoRedo(U);
    G->RegisterNotifier(L);
    G->SetCellChecker(Checker);
    AnsiString SeenAtNotify;
    G->OnCellsChanged = [&](TObject*, const TRect&) { SeenAtNotify = G->Cells(1, 4); };
    G->SetFixedCols(1);
    G->SetCells(1, 4, "x");
    G->GotoCell(1, 4);
    uitest::PressKey(VK_F2);
    SendMessage(G->InplaceEditor()->Handle(), EM_SETSEL, 0, -1);
    uitest::TypeText("prize drawn");
    uitest::PressKey(VK_RETURN);
    EXPECT_EQ(G->Cells(1, 4), "Prize drawn");
    EXPECT_EQ(SeenAtNotify, "Prize drawn") << "the value is in the cell before listeners hear of it";
    ASSERT_EQ(U->Log.size(), 1u);
    EXPECT_EQ(U->Log[0], "1,4:x>Prize drawn");
    ASSERT_EQ(L->Rects.size(), 1u);
    EXPECT_EQ(L->Rects[0], (TRect{1, 4, 1, 4}));
    EXPECT_TRUE(G->RowModified(4));
    EXPECT_FALSE(G->RowModified(3));

    // Refused: nothing registered, announced or marked.
    G->OnCellValidate = [](TObject*, Integer, Integer, AnsiString&, bool& Valid) { Valid = false; };
    G->GotoCell(2, 5);
    uitest::TypeText("no");
    uitest::PressKey(VK_RETURN);
    EXPECT_EQ(U->Log.size(), 1u);
    EXPECT_EQ(L->Rects.size(), 1u);
    EXPECT_FALSE(G->RowModified(5));
    G->SetUndoRedo(nullptr);
}

TEST_F(InplaceEditingTest, EditorControlsTakeTheStartCharacterAndWriteBackTheirForm)
{
    struct Case {
        TEditorType Kind;
        AnsiString Cell;
        std::u16string Typed;
        std::function<bool(TDidAririzEvar*)> Stored;
    };
    const Case Cases[] = {
        {edSpinEdit, "", u"42", [](TDidAririzEvar* G) { return G->Cells(1, 1) == "42"; }},
        {edEditBtn, "", u"ab獎", [](TDidAririzEvar* G) { return G->Cells(1, 1) == "ab獎"; }},
        {edComboEdit, "", u"combo", [](TDidAririzEvar* G) { return G->Cells(1, 1) == "combo"; }},
        {edUniEdit, "", u"獎品😀", [](TDidAririzEvar* G) { return G->GetWideCells(1, 1) == u"獎品😀"; }},
        {edUniEditBtn, "", u"中文", [](TDidAririzEvar* G) { return G->GetWideCells(1, 1) == u"中文"; }},
        {edUnitEditBtn, "12 kg", u"", [](TDidAririzEvar* G) { return G->Cells(1, 1) == "12 kg"; }},
    };
    for (const Case& C : Cases) {
        SCOPED_TRACE(::testing::Message() << "kind " << C.Kind);
        TearDown();
        SetUp();
        Type = C.Kind;
        Integer Done = 0, CellDone = 0;
        G->OnEditingDone = [&](TObject*) { ++Done; };
        G->OnEditCellDone = [&](TObject*, Integer ACol, Integer ARow) {
            ++CellDone;
            EXPECT_EQ(ACol, 1);
            EXPECT_EQ(ARow, 1);
        };
        G->SetCells(1, 1, C.Cell);
        G->GotoCell(1, 1);
        if (C.Typed.empty())
            uitest::PressKey(VK_F2);
        else {
            // The first character opens the control; the rest is typed into it.
            uitest::TypeText(C.Typed.substr(0, 1));
            uitest::TypeText(C.Typed.substr(1));
        }
        ASSERT_NE(G->Editing().Shown, nullptr);
        const HWND Shown = G->Editing().Shown->Handle();
        EXPECT_TRUE(GetFocus() == Shown || IsChild(Shown, GetFocus()));
        uitest::PressKey(VK_RETURN);
        EXPECT_FALSE(G->Editing().Active);
        EXPECT_FALSE(G->Editors().Spin->Visible());
        EXPECT_TRUE(C.Stored(G)) << G->Cells(1, 1);
        EXPECT_EQ(Done, 1);
        EXPECT_EQ(CellDone, 1) << "reported after the key";
        // A second hide of the same control reports nothing more.
        G->HideCellEdit();
        uitest::PumpUntilIdle();
        EXPECT_EQ(Done, 1);
        EXPECT_EQ(CellDone, 1);
    }
}

TEST_F(InplaceEditingTest, EscInAControlPutsTheOldValueBack)
{
    Type = edEditBtn;
    G->SetCells(3, 2, "kept");
    G->GotoCell(3, 2);
    uitest::TypeText("x");
    ASSERT_EQ(G->Editing().Shown, G->Editors().EditBtn);
    uitest::PressKey(VK_ESCAPE);
    EXPECT_FALSE(G->Editing().Active);
    EXPECT_EQ(G->Cells(3, 2), "kept");
}

TEST_F(InplaceEditingTest, RefusedControlValueKeepsTheControlOpen)
{
    Type = edSpinEdit;
    G->OnCellValidate = [](TObject*, Integer, Integer, AnsiString& Value, bool& Valid) {
        Valid = Value != "13";
    };
    G->SetCells(1, 3, "5");
    G->GotoCell(1, 3);
    uitest::PressKey(VK_F2);
    G->Editors().Spin->SetText("13");
    uitest::PressKey(VK_RETURN);
    EXPECT_TRUE(G->Editing().Active);
    EXPECT_TRUE(G->Editors().Spin->Visible());
    EXPECT_EQ(G->Cells(1, 3), "5");
    G->Editors().Spin->SetText("14");
    uitest::PressKey(VK_RETURN);
    EXPECT_FALSE(G->Editing().Active);
    EXPECT_EQ(G->Cells(1, 3), "14");
}

// Moving the focus to another cell ends the edit in the cell it was opened on; hiding the
// control later, with the cursor elsewhere, writes nothing anywhere.
TEST_F(InplaceEditingTest, NoWriteIntoAnotherCellAfterTheFocusMoved)
{
    const TEditorType Kinds[] = {edNormal, edSpinEdit, edFloatSpinEdit, edUnitEditBtn, edUniEdit, edUniMemo};
    for (TEditorType K : Kinds) {
        SCOPED_TRACE(::testing::Message() << "kind " << K);
        TearDown();
        SetUp();
        Type = K;
        G->SetCells(1, 1, "7");
        G->SetCells(3, 5, "other");
        G->GotoCell(1, 1);
        uitest::PressKey(VK_F2);
        ASSERT_TRUE(G->Editing().Active);
        ClickCell(3, 5);
        EXPECT_EQ(G->Col(), 3);
        EXPECT_EQ(G->Row(), 5);
        EXPECT_EQ(G->Cells(3, 5), "other");
        const AnsiString First = G->Cells(1, 1);
        G->HideCellEdit();
        G->HideInplaceEdit();
        uitest::PumpUntilIdle();
        EXPECT_EQ(G->Cells(3, 5), "other");
        EXPECT_EQ(G->Cells(1, 1), First);
        // The control's loss of focus did not leave a stray value behind either.
        for (TWinControl* C :
             {static_cast<TWinControl*>(G->Editors().Spin), static_cast<TWinControl*>(G->Editors().UniEdit)})
            EXPECT_FALSE(C->Visible());
    }
}

TEST_F(InplaceEditingTest, ComboListWithoutMatchingItemSelectsTheFirstAndReportsIt)
{
    Type = edComboList;
    G->AddComboString("Apple");
    G->AddComboString("Pear");
    Integer Changes = 0;
    G->OnComboChange = [&](TObject*, Integer, Integer, Integer Index, const AnsiString& S) {
        ++Changes;
        EXPECT_EQ(Index, 0);
        EXPECT_EQ(S, "Apple");
    };
    G->SetCells(2, 2, "none of them");
    G->GotoCell(2, 2);
    uitest::PressKey(VK_F2);
    EXPECT_EQ(G->Editors().Combo->ItemIndex(), 0);
    EXPECT_EQ(Changes, 1);
    uitest::PressKey(VK_ESCAPE);

    G->SetComboSelection(1);
    G->SetCells(2, 3, "none of them");
    G->GotoCell(2, 3);
    uitest::PressKey(VK_F2);
    EXPECT_EQ(G->Editors().Combo->ItemIndex(), 1);
    EXPECT_EQ(Changes, 1);
    uitest::PressKey(VK_RETURN);
    EXPECT_EQ(G->Cells(2, 3), "Pear");
}

TEST_F(InplaceEditingTest, UnitTextSplitsIntoValueAndUnit)
{
    Type = edUnitEditBtn;
    G->SetCells(1, 1, "12.5 kg");
    G->GotoCell(1, 1);
    uitest::PressKey(VK_F2);
    EXPECT_EQ(G->Editors().UnitEditBtn->Text(), "12.5");
    EXPECT_EQ(G->Editors().UnitEditBtn->UnitID(), " kg");
    uitest::PressKey(VK_RETURN);
    EXPECT_EQ(G->Cells(1, 1), "12.5 kg");
}

// With the cursor walk, the arrows leave the text at its edges: Right at the end and Left at the
// start move the edit to the next cell that way; with Shift held the edit ends on its cell.
TEST_F(InplaceEditingTest, ArrowsAtTheTextsEdgesWalkToTheNextCell)
{
    G->Navigation()->CursorWalkEditor = true;
    G->GotoCell(1, 1);
    uitest::TypeText(u"獎a");
    uitest::PressKey(VK_RIGHT);
    EXPECT_EQ(G->Cells(1, 1), "獎a");
    EXPECT_EQ(G->Col(), 2);
    ASSERT_NE(Editor(), nullptr) << "the next cell is edited at once";
    uitest::TypeText("b");
    // Left after the caret moved away from the start does not walk; at the start it does.
    uitest::PressKey(VK_LEFT);
    EXPECT_EQ(G->Col(), 2);
    uitest::PressKey(VK_LEFT);
    EXPECT_EQ(G->Col(), 1);
    EXPECT_EQ(G->Cells(2, 1), "b");
    ASSERT_NE(Editor(), nullptr);

    // A selection keeps the edit in its cell.
    SendMessage(Editor()->Handle(), EM_SETSEL, 0, -1);
    uitest::PressKey(VK_RIGHT);
    EXPECT_EQ(G->Col(), 1);

    // Shift+Right at the end ends the edit and gives the focus to the grid, the cursor staying.
    SendMessage(Editor()->Handle(), EM_SETSEL, 0, -1);
    uitest::TypeText("kept");
    uitest::PressKey(VK_RIGHT, uitest::ksShift);
    EXPECT_EQ(Editor(), nullptr);
    EXPECT_EQ(G->Cells(1, 1), "kept");
    EXPECT_EQ(G->Col(), 1);
    EXPECT_EQ(GetFocus(), G->Handle());

    // Without CursorWalkAlwaysEdit the walk moves the cursor only.
    G->Navigation()->CursorWalkAlwaysEdit = false;
    uitest::PressKey(VK_F2);
    uitest::PressKey(VK_RIGHT);
    EXPECT_EQ(G->Col(), 2);
    EXPECT_EQ(Editor(), nullptr);
}

TEST_F(InplaceEditingTest, RefusedTextStaysWhenAnArrowWouldLeaveTheCell)
{
    G->Navigation()->CursorWalkEditor = true;
    G->OnCellValidate = [](TObject*, Integer, Integer, AnsiString& Value, bool& Valid) {
        Valid = Value != "no";
    };
    G->SetCells(1, 1, "old");
    G->GotoCell(1, 1);
    uitest::PressKey(VK_F2);
    SendMessage(Editor()->Handle(), EM_SETSEL, 0, -1);
    uitest::TypeText("no");
    for (unsigned Shift : {0u, unsigned(uitest::ksShift)}) {
        SCOPED_TRACE(Shift);
        uitest::PressKey(VK_RIGHT, Shift);
        EXPECT_EQ(G->Col(), 1);
        ASSERT_NE(Editor(), nullptr);
        EXPECT_EQ(Editor()->Text(), "no");
        EXPECT_EQ(G->Cells(1, 1), "old");
        SendMessage(Editor()->Handle(), EM_SETSEL, 2, 2);
    }
}

TEST_F(InplaceEditingTest, FullTextAdvancesByItself)
{
    G->SetMaxEditLength(4);
    G->Navigation()->AdvanceAuto = true;
    G->Navigation()->AdvanceOnEnter = true;
    G->GotoCell(1, 2);
    uitest::TypeText(u"12獎");
    EXPECT_EQ(G->Col(), 1);
    uitest::TypeText(u"😀");
    EXPECT_EQ(G->Cells(1, 2), "12獎😀");
    EXPECT_EQ(G->Col(), 2);
    ASSERT_NE(Editor(), nullptr);
    EXPECT_EQ(Editor()->Text(), "");
}

// A click with caret positioning puts the caret at the clicked character (once); a double click
// in the editor reaches the application with the cell.
TEST_F(InplaceEditingTest, ClickPlacesTheCaretAndDoubleClickIsReported)
{
    G->MouseActions()->CaretPositioning = true;
    G->MouseActions()->DirectEdit = true;
    G->Navigation()->EditSelectAll = false;
    G->SetColWidths(2, 200);
    G->SetCells(2, 3, "abcdefghij");
    const TRect R = G->CellRect(2, 3);
    // Where the fifth character starts, as the edit lays the text out.
    G->GotoCell(2, 3);
    uitest::PressKey(VK_F2);
    ASSERT_NE(Editor(), nullptr);
    const LRESULT P = SendMessage(Editor()->Handle(), EM_POSFROMCHAR, 5, 0);
    const int X = Editor()->Left() + static_cast<short>(LOWORD(P)) + 1;
    uitest::PressKey(VK_ESCAPE);
    G->GotoCell(1, 1);

    uitest::Click(G->Handle(), X, R.Top + 8);
    ASSERT_NE(Editor(), nullptr);
    auto* E = static_cast<TCustomEdit*>(Editor());
    EXPECT_EQ(E->SelStart(), 5);
    EXPECT_EQ(E->SelLength(), 0);
    EXPECT_FALSE(G->InputState().CaretClick);

    Integer Doubles = 0;
    G->OnDblClickCell = [&](TObject* Sender, Integer ARow, Integer ACol) {
        ++Doubles;
        EXPECT_EQ(Sender, G);
        EXPECT_EQ(ARow, 3);
        EXPECT_EQ(ACol, 2);
    };
    uitest::DoubleClick(Editor()->Handle(), 5, 5);
    EXPECT_EQ(Doubles, 1);
}

} // namespace
