// Form controls inside mini-HTML cells as a user meets them: check boxes and radio buttons toggled
// by a click, text and combo controls edited in the grid's control editors and written back into
// the cell's markup, Tab and Enter moving between the controls of a cell, and the links of cells.

#include "RudUvud/tests/GridTestSupport.h"

#include "RudUvud/support/Daehtmle.h"

#include "platform/win/Windows.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

class FormControlsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        Form = gridtest::NewForm();
        G = gridtest::NewShownGrid(Form, 4, 6);
        G->SetOptions(G->Options() + TGridOptions{goEditing});
        G->SetColWidths(1, 340);
        G->SetColWidths(2, 120);
        G->SetDefaultRowHeight(34);
        G->OnControlClick = [this](TObject*, Integer R, Integer C, const AnsiString& ID,
                                   const AnsiString& Type, const AnsiString& Val) {
            Log.push_back("click " + ID + " " + Type + " " + Val + " @" + std::to_string(C) + "," +
                          std::to_string(R));
        };
        G->OnControlEditDone = [this](TObject*, Integer R, Integer C, const AnsiString& ID,
                                      const AnsiString& Type, const AnsiString& Val) {
            Log.push_back("done " + ID + " " + Type + " " + Val + " @" + std::to_string(C) + "," +
                          std::to_string(R));
        };
        G->SetFocus();
        uitest::PumpUntilIdle();
        uitest::ClearRecords();
    }
    void TearDown() override
    {
        if (Form)
            Form->Free();
    }

    // The rectangle of control ID of cell (C, R) as the renderer lays the cell's markup out.
    TRect ControlRect(Integer C, Integer R, const AnsiString& ID)
    {
        TRect A = G->CellRect(C, R);
        A.Left += G->XYOffset().X + 1;
        A.Top += G->XYOffset().Y + 1;
        AnsiString Anchor, Strip, Focus, Hint, CtrlID = ID, Val, Type;
        Integer XS = 0, YS = 0, Links = 0, ML = 0;
        TRect MR{}, CR{};
        G->Canvas()->Font()->Assign(G->Font());
        HTMLDrawEx(G->Canvas(), G->Cells(C, R), A, nullptr, -1, -1, -1, -1, 1, true, false, false, false,
                   false, false, true, false, 1.0, clBlue, clNone, clNone, clGray, Anchor, Strip, Focus, Hint,
                   XS, YS, Links, ML, MR, CR, CtrlID, Val, Type, nullptr, nullptr, nullptr);
        return CR;
    }
    void ClickControl(Integer C, Integer R, const AnsiString& ID)
    {
        const TRect Rc = ControlRect(C, R, ID);
        ASSERT_GT(Rc.Right, Rc.Left) << ID;
        // Presses on one spot are never taken for a double click.
        uitest::AdvanceTime(1000);
        uitest::Click(G->Handle(), (Rc.Left + Rc.Right) / 2, (Rc.Top + Rc.Bottom) / 2);
    }
    AnsiString Value(Integer C, Integer R, const AnsiString& ID)
    {
        AnsiString V;
        EXPECT_TRUE(GetControlValue(G->Cells(C, R), ID, V)) << ID;
        return V;
    }
    static AnsiString Control(const char* Type, const char* ID, const char* Val, int Width = 60,
                              const char* Extra = "")
    {
        return AnsiString("<CONTROL TYPE=\"") + Type + "\" ID=\"" + ID + "\" VALUE=\"" + Val + "\" WIDTH=\"" +
               std::to_string(Width) + "\"" + Extra + ">";
    }

    TForm* Form = nullptr;
    TDidAririzEvar* G = nullptr;
    std::vector<std::string> Log;
};

// A check box turns "TRUE" into "FALSE" and anything else into "TRUE"; OnControlClick reports the
// value from before the click.
TEST_F(FormControlsTest, CheckBoxTogglesItsValueInTheMarkup)
{
    struct Case {
        const char* Before;
        const char* After;
    } Cases[] = {{"TRUE", "FALSE"}, {"FALSE", "TRUE"}, {"", "TRUE"}, {"yes", "TRUE"}, {"true", "FALSE"}};
    for (const Case& C : Cases) {
        G->SetCells(1, 1, "Pay " + Control("CHECK", "paid", C.Before) + " now");
        Log.clear();
        ClickControl(1, 1, "paid");
        EXPECT_EQ(Value(1, 1, "paid"), C.After) << C.Before;
        EXPECT_EQ(Log, std::vector<std::string>{"click paid CHECK " + std::string(C.Before) + " @1,1"});
        EXPECT_FALSE(G->ControlActive());
    }
    // The press on a control leaves the current cell where it was.
    EXPECT_EQ(G->Col(), 1);
    EXPECT_EQ(G->Row(), 1);
}

// Pressing one radio button of a cell sets it and clears every other radio button of that cell,
// and only of that cell.
TEST_F(FormControlsTest, RadioButtonClearsTheOthersOfItsCell)
{
    const AnsiString Cell = Control("RADIO", "a", "TRUE") + "A " + Control("RADIO", "b", "FALSE") + "B " +
                            Control("RADIO", "c", "") + "C";
    G->SetCells(1, 2, Cell);
    G->SetCells(1, 3, Cell);
    ClickControl(1, 2, "c");
    EXPECT_EQ(Value(1, 2, "a"), "FALSE");
    EXPECT_EQ(Value(1, 2, "b"), "FALSE");
    EXPECT_EQ(Value(1, 2, "c"), "TRUE");
    EXPECT_EQ(Value(1, 3, "a"), "TRUE");
    ClickControl(1, 2, "b");
    EXPECT_EQ(Value(1, 2, "b"), "TRUE");
    EXPECT_EQ(Value(1, 2, "c"), "FALSE");
    EXPECT_EQ(Log, (std::vector<std::string>{"click c RADIO  @1,2", "click b RADIO FALSE @1,2"}));
}

// A text control opens the control edit over itself with its value; Enter writes the typed value
// into the markup, reports it and gives the focus back to the grid.
TEST_F(FormControlsTest, EditControlOpensTypesAndCommitsWithEnter)
{
    G->SetCells(1, 1, "Name " + Control("EDIT", "name", "Ann", 100, " MAXLEN=\"6\""));
    ClickControl(1, 1, "name");
    TControlEdit* E = G->ControlEditor();
    ASSERT_TRUE(E->Visible());
    EXPECT_TRUE(E->Focused());
    EXPECT_EQ(E->Text(), "Ann");
    EXPECT_EQ(E->MaxLength(), 6);
    // The editor lies over the control the renderer drew.
    const TRect Rc = ControlRect(1, 1, "name");
    EXPECT_GE(E->Left(), Rc.Left);
    EXPECT_LE(E->Left() + E->Width(), Rc.Right);
    EXPECT_GE(E->Top(), Rc.Top);
    EXPECT_LE(E->Top() + E->Height(), Rc.Bottom);
    uitest::PressKey(VK_END);
    uitest::TypeText("abelle"); // MAXLEN cuts it at six characters
    uitest::PressKey(VK_RETURN);
    EXPECT_EQ(Value(1, 1, "name"), "Annabe");
    EXPECT_FALSE(E->Visible());
    EXPECT_FALSE(G->ControlActive());
    EXPECT_TRUE(G->Focused());
    EXPECT_EQ(Log, (std::vector<std::string>{"click name EDIT Ann @1,1", "done name EDIT Annabe @1,1"}));
    EXPECT_TRUE(uitest::Beeps().empty());
    // Characters typed on the cell never open the grid's own editor.
    uitest::TypeText("x");
    EXPECT_FALSE(G->EditorMode());
    EXPECT_EQ(Value(1, 1, "name"), "Annabe");
}

// Tab walks from one text control of a cell to the next, writing each value back; after the last
// one the grid takes the focus. Enter and F2 on the cell put the input into its first control.
TEST_F(FormControlsTest, TabWalksTheControlsOfTheCellAndEnterStartsAtTheFirst)
{
    G->SetCells(1, 1,
                Control("CHECK", "ok", "FALSE") + " " + Control("EDIT", "first", "1") + " " +
                    Control("EDIT", "second", "2"));
    G->GotoCell(1, 1);
    uitest::PressKey(VK_F2);
    EXPECT_FALSE(G->EditorMode());
    ASSERT_TRUE(G->ControlEditor()->Visible());
    EXPECT_EQ(G->ActiveControlID(), "first"); // check boxes are not walked to
    uitest::TypeText("a");
    uitest::PressKey(VK_TAB);
    EXPECT_EQ(Value(1, 1, "first"), "a");
    ASSERT_TRUE(G->ControlEditor()->Visible());
    EXPECT_TRUE(G->ControlEditor()->Focused());
    EXPECT_EQ(G->ActiveControlID(), "second");
    EXPECT_EQ(G->ControlEditor()->Text(), "2");
    uitest::TypeText("b");
    uitest::PressKey(VK_TAB);
    EXPECT_EQ(Value(1, 1, "second"), "b");
    EXPECT_FALSE(G->ControlEditor()->Visible());
    EXPECT_TRUE(G->Focused());
    EXPECT_EQ(G->Col(), 1);
    EXPECT_EQ(Log, (std::vector<std::string>{"done first EDIT a @1,1", "done second EDIT b @1,1"}));

    // Enter does the same as F2.
    uitest::PressKey(VK_RETURN);
    EXPECT_EQ(G->ActiveControlID(), "first");
    EXPECT_TRUE(G->ControlEditor()->Focused());
    uitest::PressKey(VK_ESCAPE);
    uitest::PressKey(VK_RETURN);
    EXPECT_TRUE(G->Focused());
}

// With Navigation.AdvanceAuto, Tab leaves the cell for the next one instead.
TEST_F(FormControlsTest, TabWithAdvanceAutoMovesToTheNextCell)
{
    G->Navigation()->AdvanceAuto = true;
    G->Navigation()->AdvanceAutoEdit = false;
    G->SetCells(1, 1, Control("EDIT", "first", "1") + " " + Control("EDIT", "second", "2"));
    G->GotoCell(1, 1);
    uitest::PressKey(VK_F2);
    uitest::TypeText("z");
    uitest::PressKey(VK_TAB);
    EXPECT_EQ(Value(1, 1, "first"), "z");
    EXPECT_FALSE(G->ControlEditor()->Visible());
    EXPECT_EQ(G->Col(), 2);
    EXPECT_EQ(G->Row(), 1);
}

// A press on another control while an editor is open writes the open editor's value first.
TEST_F(FormControlsTest, SecondControlWritesTheFirstBackBeforeAnythingElse)
{
    G->SetCells(1, 1, Control("EDIT", "e", "old", 100));
    G->SetCells(1, 2, Control("CHECK", "c", "FALSE"));
    ClickControl(1, 1, "e");
    uitest::PressKey(VK_END);
    uitest::TypeText("er");
    bool SeenNewValue = false;
    G->OnControlClick = [&](TObject*, Integer, Integer, const AnsiString& ID, const AnsiString&,
                            const AnsiString&) {
        AnsiString V;
        GetControlValue(G->Cells(1, 1), "e", V);
        SeenNewValue = ID == "c" && V == "older";
        Log.push_back("click " + ID);
    };
    ClickControl(1, 2, "c");
    EXPECT_TRUE(SeenNewValue);
    EXPECT_EQ(Log, (std::vector<std::string>{"click e EDIT old @1,1", "done e EDIT older @1,1", "click c"}));
    EXPECT_EQ(Value(1, 2, "c"), "TRUE");
}

// A password control hides what is typed; a mask control takes only what its PROP mask allows.
TEST_F(FormControlsTest, PasswordAndMaskControls)
{
    G->SetCells(1, 1,
                Control("PASSWORD", "pw", "", 80) + " " +
                    Control("MASK", "zip", "", 80, " PROP=\"00000;0;_\""));
    ClickControl(1, 1, "pw");
    EXPECT_EQ(G->ControlEditor()->PasswordChar(), u'*');
    EXPECT_TRUE(G->ControlEditor()->EditMask().empty());
    uitest::TypeText("s3cret");
    uitest::PressKey(VK_TAB);
    EXPECT_EQ(Value(1, 1, "pw"), "s3cret");
    EXPECT_EQ(G->ActiveControlID(), "zip");
    EXPECT_EQ(G->ControlEditor()->PasswordChar(), 0);
    EXPECT_EQ(G->ControlEditor()->EditMask(), "00000;0;_");
    uitest::TypeText("12ab345");
    uitest::PressKey(VK_RETURN);
    EXPECT_EQ(Value(1, 1, "zip"), "12345");
}

// The combo control: the list comes from OnControlComboList and is the handler's alone on every
// opening; with Edit left on it takes free text, with Edit off only its items; Enter writes the
// chosen value.
TEST_F(FormControlsTest, ComboControlListsChoosesAndCommits)
{
    G->SetCells(1, 1, "Size " + Control("COMBO", "size", "Huge", 100));
    bool AllowText = true;
    Integer Lists = 0;
    G->OnControlComboList = [&](TObject*, Integer R, Integer C, const AnsiString& ID, const AnsiString&,
                                const AnsiString& Val, TStrings* Values, bool& Edit, Integer& DropCount) {
        ++Lists;
        EXPECT_EQ(R, 1);
        EXPECT_EQ(C, 1);
        EXPECT_EQ(ID, "size");
        EXPECT_EQ(Values->Count(), 0) << Val;
        for (const char* S : {"Small", "Medium", "Large"})
            Values->Add(S);
        Edit = AllowText;
        DropCount = 3;
    };
    ClickControl(1, 1, "size");
    TControlCombo* C = G->ControlComboEditor();
    ASSERT_TRUE(C->Visible());
    EXPECT_EQ(C->Style(), csDropDown);
    EXPECT_EQ(C->Text(), "Huge"); // not among the items, still shown
    EXPECT_EQ(C->Items()->Count(), 3);
    EXPECT_EQ(C->DropDownCount(), 3);
    EXPECT_TRUE(C->DroppedDown());
    EXPECT_EQ(Form->ActiveControl(), C);
    uitest::TypeText("Tiny");
    uitest::PressKey(VK_RETURN); // closes the list and commits
    EXPECT_FALSE(C->Visible());
    EXPECT_EQ(Value(1, 1, "size"), "Tiny");
    EXPECT_TRUE(G->Focused());

    // Without free text: a list only, the value chosen from it.
    AllowText = false;
    G->SetCells(1, 1, "Size " + Control("COMBO", "size", "Medium", 100));
    ClickControl(1, 1, "size");
    EXPECT_EQ(C->Style(), csDropDownList);
    EXPECT_EQ(C->Items()->Count(), 3);
    EXPECT_EQ(C->ItemIndex(), 1);
    std::vector<std::string> Selected;
    G->OnControlComboSelect = [&](TObject*, Integer R, Integer Col, Integer Index, const AnsiString& ID,
                                  const AnsiString& V) {
        Selected.push_back(ID + " " + std::to_string(Index) + " " + V + " @" + std::to_string(Col) + "," +
                           std::to_string(R));
    };
    C->OnSelect = [this](TObject* S) { G->ControlComboSelect(S); };
    uitest::PressKey(VK_DOWN);
    uitest::PressKey(VK_RETURN);
    EXPECT_EQ(Value(1, 1, "size"), "Large");
    EXPECT_EQ(Selected, std::vector<std::string>{"size 2 Large @1,1"});
    EXPECT_EQ(Lists, 2);
    C->OnSelect = nullptr;
}

// A control of a cell that may not be edited is no control: the press is a link press that
// OnAnchorClick sees and that opens nothing.
TEST_F(FormControlsTest, ControlOfAReadOnlyCellIsNotOperated)
{
    G->SetCells(1, 1, Control("CHECK", "c", "FALSE") + Control("EDIT", "e", "v"));
    G->OnCanEditCell = [](TObject*, Integer, Integer, bool& CanEdit) { CanEdit = false; };
    std::vector<std::string> Anchors;
    G->OnAnchorClick = [&](TObject*, Integer, Integer, const AnsiString& A, bool&) { Anchors.push_back(A); };
    ClickControl(1, 1, "c");
    ClickControl(1, 1, "e");
    EXPECT_EQ(Value(1, 1, "c"), "FALSE");
    EXPECT_FALSE(G->ControlEditor()->Visible());
    EXPECT_EQ(Anchors.size(), 2u);
    EXPECT_TRUE(Log.empty());
    EXPECT_TRUE(uitest::ShellOpens().empty());
    // Enter neither opens a control nor an editor.
    G->GotoCell(1, 1);
    uitest::PressKey(VK_RETURN);
    EXPECT_FALSE(G->ControlEditor()->Visible());
    EXPECT_FALSE(G->EditorMode());
}

// A form button is drawn down from the press to the release.
TEST_F(FormControlsTest, ButtonControlIsHeldDownUntilTheRelease)
{
    G->SetCells(1, 1, Control("BUTTON", "go", "Go", 60));
    const TRect Rc = ControlRect(1, 1, "go");
    const int X = (Rc.Left + Rc.Right) / 2, Y = (Rc.Top + Rc.Bottom) / 2;
    uitest::MouseDown(G->Handle(), X, Y);
    EXPECT_EQ(G->ActiveControlCell().X, 1);
    EXPECT_EQ(G->ActiveControlCell().Y, 1);
    uitest::MouseUp(G->Handle(), X, Y);
    EXPECT_EQ(Log, std::vector<std::string>{"click go BUTTON Go @1,1"});
    EXPECT_FALSE(G->ControlActive());
    EXPECT_EQ(Value(1, 1, "go"), "Go");
}

// Links: a CELL:// link moves to the cell it names; a web or mail address goes to the desktop;
// anything else (a local file, a program) is never handed on; OnAnchorClick may keep the grid
// from following a link at all.
TEST_F(FormControlsTest, LinksFollowCellNamesAndOpenOnlyWebAndMailAddresses)
{
    G->SetColWidths(1, 200);
    struct Case {
        const char* Href;
        bool AutoHandle;
        bool Opened;
    } Cases[] = {
        {"http://example.org/a", true, true},   {"HTTPS://example.org", true, true},
        {"mailto:ann@example.org", true, true}, {"file:///etc/passwd", true, false},
        {"/usr/bin/xterm", true, false},        {"smb://host/share", true, false},
        {"http://example.org/b", false, false},
    };
    for (const Case& C : Cases) {
        G->SetCells(1, 1, AnsiString("<A HREF=\"") + C.Href + "\">link</A>");
        uitest::ClearRecords();
        AnsiString Seen;
        G->OnAnchorClick = [&](TObject*, Integer R, Integer Col, const AnsiString& A, bool& Auto) {
            EXPECT_EQ(R, 1);
            EXPECT_EQ(Col, 1);
            Seen = A;
            Auto = C.AutoHandle;
        };
        const TRect R = G->CellRect(1, 1);
        uitest::AdvanceTime(1000);
        uitest::Click(G->Handle(), R.Left + G->XYOffset().X + 8, R.Top + G->XYOffset().Y + 8);
        EXPECT_EQ(Seen, C.Href);
        EXPECT_EQ(uitest::ShellOpens().size(), C.Opened ? 1u : 0u) << C.Href;
    }
    G->OnAnchorClick = nullptr;
    G->SetCells(1, 1, "<A HREF=\"CELL://R4C2\">there</A>");
    const TRect R = G->CellRect(1, 1);
    uitest::AdvanceTime(1000);
    uitest::Click(G->Handle(), R.Left + G->XYOffset().X + 8, R.Top + G->XYOffset().Y + 8);
    EXPECT_EQ(G->Col(), 2);
    EXPECT_EQ(G->Row(), 4);
    // A name outside the grid does nothing.
    G->SetCells(2, 4, "<A HREF=\"CELL://R99C2\">nowhere</A>");
    const TRect R2 = G->CellRect(2, 4);
    uitest::AdvanceTime(1000);
    uitest::Click(G->Handle(), R2.Left + G->XYOffset().X + 8, R2.Top + G->XYOffset().Y + 8);
    EXPECT_EQ(G->Col(), 2);
    EXPECT_EQ(G->Row(), 4);
    EXPECT_TRUE(uitest::ShellOpens().empty());
}

// Closing the form while a control editor is open, focused and changed stores nothing into the
// grid that is going.
TEST_F(FormControlsTest, ClosingTheFormWithAnEditorOpen)
{
    G->SetCells(1, 1, Control("EDIT", "e", "v") + Control("COMBO", "c", "w"));
    ClickControl(1, 1, "e");
    uitest::TypeText("typed");
    Form->Free();
    Form = nullptr;
    EXPECT_EQ(Log, std::vector<std::string>{"click e EDIT v @1,1"});
}

} // namespace
