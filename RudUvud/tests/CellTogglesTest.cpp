// Check boxes and radio buttons in cells: adding them, their state by API, toggling, the change
// event, hits of a precise click, and removing the checked rows.

#include "RudUvud/tests/GridTestSupport.h"

#include "RudUvud/core/GridCoreState.h"

#include "platform/forms/ImgList.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace {

class CellTogglesTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        Form = gridtest::NewForm();
        G = gridtest::NewShownGrid(Form, 5, 10);
        G->SetOptions(G->Options() + TGridOptions{goEditing});
        G->OnCheckBoxChange = [this](TObject*, Integer C, Integer R, bool S) {
            Changes.push_back({C * 100 + R, S});
        };
    }
    void TearDown() override { Form->Free(); }
    TForm* Form = nullptr;
    TDidAririzEvar* G = nullptr;
    std::vector<std::pair<Integer, bool>> Changes;
};

TEST_F(CellTogglesTest, AddingCheckBoxesSetsKindAndDataText)
{
    G->SetCells(1, 1, "x");
    G->SetCells(1, 2, "N");
    G->AddCheckBox(1, 1, true, true);
    G->AddCheckBox(1, 2, true, true);
    G->AddCheckBox(2, 1, true, false);
    EXPECT_EQ(G->Cells(1, 1), "Y");
    // A check text already there stays, whatever the state asked for.
    EXPECT_EQ(G->Cells(1, 2), "N");
    EXPECT_TRUE(G->IsChecked(1, 1));
    EXPECT_FALSE(G->IsChecked(1, 2));
    EXPECT_TRUE(G->IsChecked(2, 1));
    EXPECT_EQ(G->GetCellType(1, 1), ctDataCheckBox);
    EXPECT_EQ(G->GetCellType(2, 1), ctCheckBox);
    EXPECT_TRUE(G->HasDataCheckBox(1, 1));
    EXPECT_FALSE(G->HasDataCheckBox(2, 1));
    EXPECT_TRUE(G->HasDataCell(1, 1));
    EXPECT_TRUE(G->HasStaticEdit(2, 1));

    bool State = true;
    EXPECT_FALSE(G->GetCheckBoxState(3, 3, State));
    EXPECT_TRUE(State) << "no check box: the state is not written";
    EXPECT_FALSE(G->IsChecked(3, 3));
    EXPECT_FALSE(G->HasCheckBox(3, 3));

    EXPECT_THROW(G->AddCheckBox(G->ColCount() + G->NumHiddenColumns(), 1, true, false), Exception);
    EXPECT_THROW(G->AddCheckBox(1, G->RowCount(), true, false), Exception);

    G->RemoveCheckBox(1, 1);
    G->RemoveCheckBox(2, 1);
    EXPECT_FALSE(G->HasCheckBox(1, 1));
    EXPECT_FALSE(G->HasCheckBox(2, 1));
    EXPECT_EQ(G->Cells(1, 1), "Y");
}

// Each way of changing a box: the resulting state, the cell text and the events fired.
TEST_F(CellTogglesTest, StateChangesByApiAndToggle)
{
    struct Case {
        const char* Name;
        bool Data;
        bool Start;
        int Op; // 0 SetCheckBoxState, 1 SetCheckBoxStateInt, 2 ToggleCheckBox, 3 ToggleCheck from a click
        bool Arg;
        bool Result;
        bool End;
        size_t Events;
    };
    const Case Cases[] = {
        {"set plain on", false, false, 0, true, true, true, 0},
        {"set data on", true, false, 0, true, true, true, 0},
        {"set-int plain on", false, false, 1, true, true, true, 1},
        {"set-int plain same", false, true, 1, true, true, true, 0},
        {"set-int data off", true, true, 1, false, true, false, 1},
        {"set-int data same", true, false, 1, false, true, false, 0},
        {"toggle plain", false, false, 2, false, true, true, 1},
        {"toggle data", true, true, 2, false, true, false, 1},
        {"click plain", false, true, 3, false, true, false, 1},
        {"click data", true, false, 3, false, true, true, 1},
    };
    for (const Case& C : Cases) {
        SCOPED_TRACE(C.Name);
        G->AddCheckBox(2, 3, C.Start, C.Data);
        if (C.Data)
            G->SetCells(2, 3, C.Start ? "Y" : "N");
        Changes.clear();
        bool R = false;
        switch (C.Op) {
        case 0:
            R = G->SetCheckBoxState(2, 3, C.Arg);
            break;
        case 1:
            R = G->SetCheckBoxStateInt(2, 3, C.Arg);
            break;
        case 2:
            R = G->ToggleCheckBox(2, 3);
            break;
        default:
            R = G->ToggleCheck(2, 3, true);
            break;
        }
        EXPECT_EQ(R, C.Result);
        EXPECT_EQ(G->IsChecked(2, 3), C.End);
        if (C.Data)
            EXPECT_EQ(G->Cells(2, 3), C.End ? "Y" : "N");
        ASSERT_EQ(Changes.size(), C.Events);
        if (C.Events)
            EXPECT_EQ(Changes[0], std::make_pair(203, C.End));
        G->RemoveCheckBox(2, 3);
    }
    // None of them acts on a cell without a check box.
    EXPECT_FALSE(G->SetCheckBoxState(2, 3, true));
    EXPECT_FALSE(G->SetCheckBoxStateInt(2, 3, true));
    EXPECT_FALSE(G->ToggleCheckBox(2, 3));
}

TEST_F(CellTogglesTest, CustomCheckTextsDecideAndAreWritten)
{
    G->OnGetCheckTrue = [](TObject*, Integer, Integer, AnsiString& V) { V = "1"; };
    G->OnGetCheckFalse = [](TObject*, Integer, Integer, AnsiString& V) { V = "0"; };
    G->SetCells(1, 2, "1");
    G->AddCheckBox(1, 2, false, true);
    EXPECT_EQ(G->Cells(1, 2), "N") << "the default texts decide at adding: \"1\" is neither";
    G->SetCells(1, 2, "1");
    EXPECT_TRUE(G->IsChecked(1, 2));
    EXPECT_TRUE(G->ToggleCheckBox(1, 2));
    EXPECT_EQ(G->Cells(1, 2), "0");
    G->SetCells(1, 2, "y");
    EXPECT_FALSE(G->IsChecked(1, 2)) << "the comparison is case-sensitive";
}

TEST_F(CellTogglesTest, ClickOnReadOnlyCellNeedsCheckAlwaysActive)
{
    G->AddCheckBox(1, 1, false, false);
    G->GetCellProperties(1, 1)->SetReadOnly(true);
    EXPECT_FALSE(G->ToggleCheck(1, 1, true));
    EXPECT_FALSE(G->IsChecked(1, 1));
    EXPECT_TRUE(Changes.empty());
    EXPECT_TRUE(G->ToggleCheck(1, 1, false));
    EXPECT_TRUE(G->IsChecked(1, 1));
    G->ControlLook()->CheckAlwaysActive = true;
    EXPECT_TRUE(G->ToggleCheck(1, 1, true));
    EXPECT_FALSE(G->IsChecked(1, 1));
}

TEST_F(CellTogglesTest, ToggleRecordsTheCheckTextsForUndo)
{
    struct Undo : TRudUvudUndoRedo {
        using TRudUvudUndoRedo::TRudUvudUndoRedo;
        void RegisterChange(Integer C, Integer R, const AnsiString& O, const AnsiString& N) override
        {
            Seen.push_back(std::to_string(C) + "," + std::to_string(R) + ":" + O + ">" + N);
        }
        std::vector<std::string> Seen;
    };
    auto* U = New<Undo>(Form);
    G->SetUndoRedo(U);
    G->AddCheckBox(2, 2, false, true);
    G->ToggleCheckBox(2, 2);
    G->ToggleCheckBox(2, 2);
    EXPECT_EQ(U->Seen, (std::vector<std::string>{"2,2:N>Y", "2,2:Y>N"}));
    G->SetUndoRedo(nullptr);
}

TEST_F(CellTogglesTest, ColumnsCheckAllAndRowCheckBox)
{
    G->AddCheckBoxColumn(3, false, true);
    EXPECT_FALSE(G->HasCheckBox(3, 0));
    EXPECT_TRUE(G->HasCheckBox(3, 9));
    G->CheckAll(3);
    for (Integer R = 1; R < 10; ++R)
        EXPECT_TRUE(G->IsChecked(3, R)) << R;
    EXPECT_EQ(Changes.size(), 9u);
    G->UnCheckAll(3);
    EXPECT_FALSE(G->IsChecked(3, 5));
    G->RemoveCheckBoxColumn(3);
    EXPECT_FALSE(G->HasCheckBox(3, 5));

    G->MouseActions()->SetDisjunctRowSelect(true);
    G->MouseActions()->SetHotmailRowSelect(true);
    EXPECT_TRUE(G->HasCheckBox(0, 4));
    EXPECT_FALSE(G->IsChecked(0, 4));
    EXPECT_TRUE(G->SetCheckBoxStateInt(0, 4, true));
    EXPECT_TRUE(G->GetRowSelect(4));
    EXPECT_TRUE(G->IsChecked(0, 4));
    EXPECT_TRUE(G->SetCheckBoxState(0, 4, false));
    EXPECT_FALSE(G->GetRowSelect(4));
}

TEST_F(CellTogglesTest, PreciseClickHitsOnlyTheBox)
{
    G->AddCheckBox(1, 2, false, false);
    const TRect R = G->CellRect(1, 2);
    EXPECT_TRUE(G->IsInCheckBox(1, 2, R.Left + 1, R.Top + 1));
    EXPECT_FALSE(G->IsInCheckBox(1, 3, R.Left + 3, R.Top + 3));
    G->MouseActions()->PreciseCheckBoxCheck = true;
    const Integer S = G->ControlLook()->CheckSize;
    EXPECT_FALSE(G->IsInCheckBox(1, 2, R.Left + 1, R.Top + 3)) << "the box starts 2 pixels in";
    EXPECT_TRUE(G->IsInCheckBox(1, 2, R.Left + 2, R.Top + 2));
    EXPECT_TRUE(G->IsInCheckBox(1, 2, R.Left + 1 + S, R.Top + 1 + S));
    EXPECT_FALSE(G->IsInCheckBox(1, 2, R.Left + 2 + S, R.Top + 3));
}

TEST_F(CellTogglesTest, RemoveCheckedRowsRemovesExactlyTheRowsInState)
{
    for (Integer R = 1; R < 10; ++R)
        G->SetCells(1, R, "r" + std::to_string(R));
    G->AddCheckBoxColumn(2, false, false);
    for (Integer R : {2, 3, 7, 9})
        G->SetCheckBoxState(2, R, true);
    G->RemoveCheckedRows(2, true);
    ASSERT_EQ(G->RowCount(), 6);
    const char* Left[] = {"r1", "r4", "r5", "r6", "r8"};
    for (Integer R = 1; R < 6; ++R) {
        EXPECT_EQ(G->Cells(1, R), Left[R - 1]);
        EXPECT_FALSE(G->IsChecked(2, R));
    }
    G->RemoveCheckedRows(2, false);
    EXPECT_EQ(G->RowCount(), 1) << "the fixed row has no box and is never removed";
}

TEST_F(CellTogglesTest, RadioButtonsFormOneGroupPerColumn)
{
    G->AddRadioButtonColumn(2);
    G->AddRadioButton(3, 4, true);
    EXPECT_THROW(G->AddRadioButton(1, G->RowCount(), false), Exception);
    EXPECT_EQ(G->GetRadioButtonColumnIndex(2), -1);
    EXPECT_TRUE(G->HasStaticEdit(2, 3));
    EXPECT_FALSE(G->HasCheckBox(2, 3));

    EXPECT_TRUE(G->SetRadioButtonState(2, 5, true));
    EXPECT_TRUE(G->ToggleRadioButton(2, 3, false));
    EXPECT_TRUE(G->IsRadioButtonChecked(2, 3));
    EXPECT_FALSE(G->IsRadioButtonChecked(2, 5));
    EXPECT_EQ(G->GetRadioButtonColumnIndex(2), 3);
    EXPECT_TRUE(G->IsRadioButtonChecked(3, 4)) << "another column is another group";
    EXPECT_TRUE(G->ToggleRadioButton(2, 3, false)) << "already checked";
    EXPECT_TRUE(G->IsRadioButtonChecked(2, 3));

    G->SetRadioButtonColumnIndex(2, 7);
    EXPECT_EQ(G->GetRadioButtonColumnIndex(2), 7);
    EXPECT_FALSE(G->IsRadioButtonChecked(2, 3));

    G->GetCellProperties(2, 8)->SetReadOnly(true);
    EXPECT_FALSE(G->ToggleRadioButton(2, 8, true));
    EXPECT_EQ(G->GetRadioButtonColumnIndex(2), 7);
    EXPECT_FALSE(G->SetRadioButtonState(1, 1, true));
    EXPECT_FALSE(G->ToggleRadioButton(1, 1, false));

    G->RemoveRadioButtonColumn(2);
    EXPECT_FALSE(G->HasRadioButton(2, 7));
    EXPECT_TRUE(G->HasRadioButton(3, 4));
}

TEST_F(CellTogglesTest, RadioGroupMovesToTheNextItem)
{
    TStringList* Items = G->CreateRadio(1, 1, 0, 2);
    Items->Add("a");
    Items->Add("b");
    Items->Add("c");
    G->ToggleRadio(1, 1, false);
    Integer Idx = -5;
    ASSERT_TRUE(G->GetRadioIdx(1, 1, Idx));
    EXPECT_EQ(Idx, 0);
    EXPECT_EQ(G->Cells(1, 1), "a");

    TStringList* Follow = G->CreateRadio(2, 1, 0, -1);
    Follow->Add("a");
    Follow->Add("b");
    Follow->Add("c");
    G->SetCells(2, 1, "b");
    G->ToggleRadio(2, 1, false);
    EXPECT_EQ(G->Cells(2, 1), "c");
    ASSERT_TRUE(G->GetRadioIdx(2, 1, Idx));
    EXPECT_EQ(Idx, -1);

    G->CreateRadio(3, 1, 0, 0);
    G->SetCells(3, 1, "z");
    G->ToggleRadio(3, 1, false);
    EXPECT_EQ(G->Cells(3, 1), "z") << "a group without items stays as it is";
}

// The space key on the current cell and a click in a cell change check boxes, radio buttons and
// radio groups, each followed by its click event.
TEST_F(CellTogglesTest, SpaceKeyAndClickToggle)
{
    std::vector<std::string> Clicks;
    G->OnCheckBoxClick = [&](TObject*, Integer C, Integer R, bool S) {
        Clicks.push_back("check " + std::to_string(C) + "," + std::to_string(R) + (S ? " on" : " off"));
    };
    G->OnRadioButtonClick = [&](TObject*, Integer C, Integer R) {
        Clicks.push_back("button " + std::to_string(C) + "," + std::to_string(R));
    };
    G->OnRadioClick = [&](TObject*, Integer C, Integer R, Integer I) {
        Clicks.push_back("radio " + std::to_string(C) + "," + std::to_string(R) + " " + std::to_string(I));
    };
    G->AddCheckBox(1, 2, false, false);
    G->AddCheckBox(2, 2, true, true);
    G->AddRadioButtonColumn(3);
    G->SetRadioButtonState(3, 4, true);
    TStringList* Items = G->CreateRadio(4, 2, 0, 0);
    Items->Add("a");
    Items->Add("b");

    struct Case {
        bool Key;
        Integer C, R;
        const char* Click;
    };
    const Case Cases[] = {
        {true, 1, 2, "check 1,2 on"},  {false, 1, 2, "check 1,2 off"}, {true, 2, 2, "check 2,2 off"},
        {false, 2, 2, "check 2,2 on"}, {true, 3, 2, "button 3,2"},     {false, 3, 5, "button 3,5"},
        {true, 4, 2, "radio 4,2 1"},   {false, 4, 2, "radio 4,2 0"},
    };
    for (const Case& C : Cases) {
        SCOPED_TRACE(C.Click);
        Clicks.clear();
        if (C.Key) {
            G->SetCol(C.C);
            G->SetRow(C.R);
            Word Key = VK_SPACE;
            G->KeyDown(Key, TShiftState{});
        } else {
            const TRect Rc = G->GetCellRect(C.C, C.R);
            uitest::Click(G->Handle(), Rc.Left + 5, Rc.Top + 5);
        }
        EXPECT_EQ(Clicks, std::vector<std::string>{C.Click});
    }
    EXPECT_FALSE(G->IsChecked(1, 2));
    EXPECT_TRUE(G->IsChecked(2, 2));
    EXPECT_EQ(G->GetRadioButtonColumnIndex(3), 5);
    EXPECT_EQ(G->Cells(4, 2), "a");

    // A precise click beside the box changes nothing.
    G->MouseActions()->PreciseCheckBoxCheck = true;
    Clicks.clear();
    const TRect Rc = G->GetCellRect(1, 2);
    uitest::Click(G->Handle(), Rc.Right - 3, Rc.Top + 5);
    EXPECT_TRUE(Clicks.empty());
    EXPECT_FALSE(G->IsChecked(1, 2));
    // Nor does a click on a read-only box.
    G->GetCellProperties(1, 2)->SetReadOnly(true);
    G->MouseActions()->PreciseCheckBoxCheck = false;
    uitest::Click(G->Handle(), Rc.Left + 5, Rc.Top + 5);
    EXPECT_FALSE(G->IsChecked(1, 2));
}

TEST_F(CellTogglesTest, ImageIndexesNeedTheImageList)
{
    G->AddImageIdx(1, 1, 3, haLeft, vaTop);
    G->AddDataImage(1, 2, 4, haLeft, vaTop);
    G->AddMultiImage(1, 3, 0, haLeft, vaTop);
    EXPECT_EQ(G->GetCellType(1, 1), ctEmpty);
    EXPECT_EQ(G->GetCellType(1, 2), ctEmpty);
    EXPECT_EQ(G->GetCellType(1, 3), ctEmpty);

    TImageList Images(nullptr);
    G->SetGridImages(&Images);
    G->AddImageIdx(1, 1, 3, haLeft, vaTop);
    Integer Idx = -1;
    ASSERT_TRUE(G->GetImageIdx(1, 1, Idx));
    EXPECT_EQ(Idx, 3);
    G->SetImageIdx(1, 1, 5);
    ASSERT_TRUE(G->GetImageIdx(1, 1, Idx));
    EXPECT_EQ(Idx, 5);
    G->AddDataImage(1, 2, 4, haLeft, vaTop);
    EXPECT_TRUE(G->HasDataImage(1, 2));
    EXPECT_TRUE(G->HasDataCell(1, 2));
    EXPECT_EQ(G->Cells(1, 2), "4");
    G->AddMultiImage(1, 3, 1, haLeft, vaTop);
    ASSERT_NE(G->GetCellImages(1, 3), nullptr);
    G->GetCellImages(1, 3)->Add(2);
    EXPECT_EQ(G->GetCellImages(1, 3)->Count(), 1);

    EXPECT_FALSE(G->GetImageIdx(1, 2, Idx)) << "a data image is another kind";
    G->RemoveImageIdx(1, 2);
    EXPECT_TRUE(G->HasDataImage(1, 2));
    G->RemoveImageIdx(1, 1);
    G->RemoveDataImage(1, 2);
    G->RemoveMultiImage(1, 3);
    EXPECT_EQ(G->GetCellType(1, 1), ctEmpty);
    EXPECT_EQ(G->GetCellType(1, 2), ctEmpty);
    EXPECT_EQ(G->GetCellType(1, 3), ctEmpty);
    G->SetGridImages(nullptr);
}

TEST_F(CellTogglesTest, RotatedTextReplacesAnyKind)
{
    G->AddRotated(1, 1, -90, "up");
    Integer A = 0;
    ASSERT_TRUE(G->IsRotated(1, 1, A));
    EXPECT_EQ(A, 270);
    EXPECT_EQ(G->Cells(1, 1), "up");
    EXPECT_FALSE(G->IsRotated(1, 2, A));

    // A bitmap the cell made itself is freed when the cell turns into rotated text.
    G->CreateBitmap(1, 2, false, haLeft, vaTop);
    G->SetRotated(1, 2, 45);
    ASSERT_TRUE(G->IsRotated(1, 2, A));
    EXPECT_EQ(A, 45);
    G->AddCheckBox(1, 3, true, false);
    G->SetRotated(1, 3, 30);
    EXPECT_TRUE(G->IsRotated(1, 3, A));
    G->SetRotated(1, 4, 10);
    EXPECT_TRUE(G->IsRotated(1, 4, A));

    G->RemoveRotated(1, 1);
    EXPECT_FALSE(G->IsRotated(1, 1, A));
    EXPECT_EQ(G->Cells(1, 1), "up");
}

TEST_F(CellTogglesTest, LinkColourIsKept)
{
    EXPECT_EQ(G->URLColor(), TColor(0xFF0000));
    G->SetURLColor(0x00FF00);
    EXPECT_EQ(G->URLColor(), TColor(0x00FF00));
    G->SetURLShow(true);
    G->SetURLColor(0x0000FF);
    EXPECT_EQ(G->URLColor(), TColor(0x0000FF));
}

} // namespace
