// The grid's undo component: single changes, sequences, the item limit, changes after an undo,
// the events, the focus, and the link between grid and component.

#include "RudUvud/tests/GridTestSupport.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

namespace {

class UndoRedoTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        Form = gridtest::NewForm();
        G = gridtest::NewShownGrid(Form, 5, 6);
        U = New<TRudUvudUndoRedo>(Form);
        G->SetUndoRedo(U);
    }
    void TearDown() override { Form->Free(); }

    // Runs steps separated by spaces: "A=x" writes x into cell A (column 1, 2, 3 for A, B, C of
    // row 1) and registers the change as the grid does, "S"/"E" start/stop a sequence, "U"/"R"
    // undo/redo, "M2" sets MaxLevel, "Z" resets.
    void Run(const std::string& Steps)
    {
        std::istringstream In(Steps);
        std::string S;
        while (In >> S) {
            if (S.size() >= 2 && S[1] == '=') {
                const Integer C = S[0] - 'A' + 1;
                const AnsiString Old = G->GetCellEx(C, 1);
                G->SetCellEx(C, 1, S.substr(2).c_str());
                U->RegisterChange(C, 1, Old, S.substr(2).c_str());
            } else if (S == "S")
                U->StartSequence();
            else if (S == "E")
                U->StopSequence();
            else if (S == "U")
                U->Undo();
            else if (S == "R")
                U->Redo();
            else if (S == "Z")
                U->Reset();
            else if (S[0] == 'M')
                U->SetMaxLevel(std::stoi(S.substr(1)));
            else
                FAIL() << "bad step " << S;
        }
    }
    // "A|B|C" cell texts.
    std::string Cells() { return std::string(G->Cells(1, 1) + "|" + G->Cells(2, 1) + "|" + G->Cells(3, 1)); }

    TForm* Form = nullptr;
    TDidAririzEvar* G = nullptr;
    TRudUvudUndoRedo* U = nullptr;
};

TEST_F(UndoRedoTest, Scenarios)
{
    struct Case {
        const char* Steps;
        const char* Cells;
        Integer Level;
        Integer Count;
        bool CanUndo;
        bool CanRedo;
    };
    const Case Cases[] = {
        {"A=a B=b C=c U U", "a||", 1, 3, true, true},
        {"A=a B=b C=c U U R", "a|b|", 2, 3, true, true},
        {"A=a B=b C=c U U R R R R", "a|b|c", 3, 3, true, false},
        {"A=a A=b A=c U", "b||", 2, 3, true, true},
        {"A=a U U U", "||", 0, 1, false, true},
        // A sequence is one step each way.
        {"A=a S B=b C=c E U", "a||", 1, 5, true, true},
        {"A=a S B=b C=c E U R", "a|b|c", 5, 5, true, false},
        {"A=a S B=b C=c E U R U", "a||", 1, 5, true, true},
        {"S B=b C=c E D=d U U", "||", 0, 5, false, true},
        {"S B=b C=c E D=d U U R R", "|b|c", 5, 5, true, false},
        // A marker alone and a sequence left open.
        {"S U", "||", 0, 1, false, true},
        {"S A=a B=b U", "a||", 2, 3, true, true},
        {"S A=a B=b U U U R R", "a|b|", 3, 3, true, false},
        // The limit drops the oldest change; what it dropped cannot be undone.
        {"M2 A=a B=b C=c U U", "a||", 0, 2, false, true},
        {"M2 A=a B=b C=c U U U", "a||", 0, 2, false, true},
        // A change after an undo: appended behind the undone one, nothing left to redo.
        {"A=a B=b U C=c", "a||c", 3, 3, true, false},
        {"A=a B=b U C=c R", "a||c", 3, 3, true, false},
        {"A=a B=b U C=c U U U", "||", 0, 3, false, true},
        // Dropping a start marker takes its sequence with it: no stop marker is left alone.
        {"M3 S A=a B=b E C=c", "a|b|c", 1, 1, true, false},
        {"M3 S A=a B=b E C=c U U", "a|b|", 0, 1, false, true},
        // A sequence longer than the limit loses its start; undoing its stop ends at the first item.
        {"M2 S A=a B=b E U", "a||", 0, 2, false, true},
        {"M2 S A=a B=b E U U R R U", "a||", 0, 2, false, true},
        // Reset forgets everything.
        {"A=a B=b Z", "a|b|", 0, 0, false, false},
        {"A=a B=b Z U R", "a|b|", 0, 0, false, false},
    };
    for (const Case& C : Cases) {
        SCOPED_TRACE(C.Steps);
        U->Reset();
        U->SetMaxLevel(0);
        for (Integer Col = 1; Col <= 4; ++Col)
            G->SetCellEx(Col, 1, "");
        Run(C.Steps);
        EXPECT_EQ(Cells(), C.Cells);
        EXPECT_EQ(U->Level(), C.Level);
        EXPECT_EQ(U->Items()->Count(), C.Count);
        EXPECT_EQ(U->CanUndo(), C.CanUndo);
        EXPECT_EQ(U->CanRedo(), C.CanRedo);
    }
}

TEST_F(UndoRedoTest, MarkersAndItemsHoldTheirFields)
{
    Run("A=a S B=b E");
    ASSERT_EQ(U->Items()->Count(), 4);
    const TUndoRedoItem* Change = U->Items()->Items(2);
    EXPECT_EQ(Change->Col(), 2);
    EXPECT_EQ(Change->Row(), 1);
    EXPECT_EQ(Change->OrigValue(), "");
    EXPECT_EQ(Change->Value(), "b");
    EXPECT_FALSE(Change->SequenceStart() || Change->SequenceStop());
    const TUndoRedoItem* Start = U->Items()->Items(1);
    const TUndoRedoItem* Stop = U->Items()->Items(3);
    EXPECT_TRUE(Start->SequenceStart() && !Start->SequenceStop());
    EXPECT_TRUE(Stop->SequenceStop() && !Stop->SequenceStart());
    EXPECT_EQ(Start->Col(), -1);
    EXPECT_EQ(Stop->Row(), -1);
    EXPECT_EQ(Stop->Value(), "");
}

TEST_F(UndoRedoTest, EventsSeeTheShownTextAndTheTextToWrite)
{
    std::vector<std::string> Log;
    auto Record = [&](const char* Kind) {
        return [this, &Log, Kind](TObject* Sender, TBaseGrid* Grid, Integer C, Integer R, const AnsiString& O,
                                  const AnsiString& N) {
            EXPECT_EQ(Sender, U);
            EXPECT_EQ(Grid, G);
            Log.push_back(std::string(Kind) + " " + std::to_string(C) + "," + std::to_string(R) + ":" + O +
                          ">" + N);
        };
    };
    U->OnUndo = Record("undo");
    U->OnRedo = Record("redo");
    Run("A=a A=b");
    G->SetCellEx(1, 1, "typed meanwhile");
    Run("U R");
    EXPECT_EQ(Log, (std::vector<std::string>{"undo 1,1:typed meanwhile>a", "redo 1,1:a>b"}));
}

TEST_F(UndoRedoTest, UndoAndRedoFocusTheChangedCellAlsoBehindAHiddenColumn)
{
    Run("C=c");
    G->SetCellEx(4, 3, "d");
    U->RegisterChange(4, 3, "", "d");
    G->HideColumn(2);
    // Real column 4 shows as column 3.
    U->Undo();
    EXPECT_EQ(G->GetCellEx(4, 3), "");
    EXPECT_EQ(G->Col(), 3);
    EXPECT_EQ(G->Row(), 3);
    G->SetCol(1);
    U->Redo();
    EXPECT_EQ(G->GetCellEx(4, 3), "d");
    EXPECT_EQ(G->Col(), 3) << "redo focuses the shown column too";
    EXPECT_EQ(G->Row(), 3);

    // A change in a row that is gone is written back but not focused.
    U->RegisterChange(1, 40, "old", "new");
    U->Undo();
    EXPECT_EQ(G->GetCellEx(1, 40), "old");
    EXPECT_EQ(G->Row(), 3);
}

TEST_F(UndoRedoTest, GridAndComponentForgetEachOther)
{
    // Without a grid nothing happens.
    auto* Loose = New<TRudUvudUndoRedo>(nullptr);
    Loose->RegisterChange(1, 1, "", "x");
    Loose->Undo();
    EXPECT_EQ(Loose->Level(), 1);

    // The grid links the component to itself; removing the grid clears the link.
    TForm* Other = gridtest::NewForm();
    TDidAririzEvar* G2 = gridtest::NewShownGrid(Other, 3, 3);
    G2->SetUndoRedo(Loose);
    EXPECT_EQ(Loose->Grid(), G2);
    Other->Free();
    EXPECT_EQ(Loose->Grid(), nullptr);
    Loose->Undo();
    EXPECT_EQ(Loose->Level(), 1);

    // Removing the component clears the grid's property.
    G->SetUndoRedo(Loose);
    EXPECT_EQ(G->UndoRedo(), Loose);
    Loose->Free();
    EXPECT_EQ(G->UndoRedo(), nullptr);
}

TEST_F(UndoRedoTest, ToggledCheckBoxIsUndoneAndRedone)
{
    G->SetOptions(G->Options() + TGridOptions{goEditing});
    G->AddCheckBox(2, 2, false, true);
    G->ToggleCheckBox(2, 2);
    EXPECT_TRUE(G->IsChecked(2, 2));
    U->Undo();
    EXPECT_FALSE(G->IsChecked(2, 2));
    EXPECT_EQ(G->Cells(2, 2), "N");
    U->Redo();
    EXPECT_TRUE(G->IsChecked(2, 2));
}

} // namespace
