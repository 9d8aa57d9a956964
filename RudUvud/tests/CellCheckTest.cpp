// The cell checker hooked into the grid: checking cells, rows, columns and the grid.

#include "RudUvud/support/daecheck.h"
#include "RudUvud/tests/GridTestSupport.h"

#include <gtest/gtest.h>

namespace {

// Counts its runs and marks every text with brackets.
class TMarkingCheck : public TDidAririzEvarCheck {
public:
    using TDidAririzEvarCheck::TDidAririzEvarCheck;
    AnsiString MarkError(Integer, Integer, const AnsiString& S) override { return "[" + S + "]"; }
    void StartCheck() override { ++Starts; }
    void StopCheck() override { ++Stops; }
    int Starts = 0, Stops = 0;
};

class CellCheckTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        Form = gridtest::NewForm();
        G = gridtest::NewShownGrid(Form, 3, 4);
        for (Integer R = 0; R < 4; ++R)
            for (Integer C = 0; C < 3; ++C)
                G->SetCells(C, R, "text. next " + std::to_string(C) + std::to_string(R));
    }
    void TearDown() override { Form->Free(); }
    TForm* Form = nullptr;
    TDidAririzEvar* G = nullptr;
};

TEST_F(CellCheckTest, WithoutCheckerOrWithTheBaseOneNothingChanges)
{
    EXPECT_TRUE(G->CheckGrid(true));
    EXPECT_EQ(G->Cells(1, 1), "text. next 11");
    auto* Base = New<TDidAririzEvarCheck>(Form);
    Base->SetUseCorrect(true);
    Base->SetUseMarkError(true);
    G->SetCellChecker(Base);
    EXPECT_TRUE(G->CheckGrid(true));
    EXPECT_EQ(G->Cells(1, 1), "text. next 11");
}

TEST_F(CellCheckTest, RangesAndResults)
{
    auto* Capital = New<TCapitalCheck>(Form);
    Capital->SetUseCorrect(true);
    G->SetCellChecker(Capital);
    // Normal cells only: the fixed row and column keep their texts.
    EXPECT_FALSE(G->CheckGrid(false));
    EXPECT_EQ(G->Cells(1, 1), "Text. Next 11");
    EXPECT_EQ(G->Cells(2, 3), "Text. Next 23");
    EXPECT_EQ(G->Cells(0, 1), "text. next 01");
    EXPECT_EQ(G->Cells(1, 0), "text. next 10");
    EXPECT_TRUE(G->CheckGrid(false)); // nothing left to correct
    EXPECT_FALSE(G->CheckRow(true, 0));
    EXPECT_EQ(G->Cells(0, 0), "Text. Next 00");
    EXPECT_FALSE(G->CheckCol(false, 0));
    EXPECT_EQ(G->Cells(0, 2), "Text. Next 02");
    EXPECT_EQ(G->Cells(0, 0), "Text. Next 00");

    // With both on, the marked text of the original is kept; every run starts and stops once.
    auto* Mark = New<TMarkingCheck>(Form);
    Mark->SetUseCorrect(true);
    Mark->SetUseMarkError(true);
    G->SetCellChecker(Mark);
    EXPECT_FALSE(G->CheckCell(1, 1));
    EXPECT_EQ(G->Cells(1, 1), "[Text. Next 11]");
    G->CheckCells(1, 1, 2, 2);
    EXPECT_EQ(Mark->Starts, 1);
    EXPECT_EQ(Mark->Stops, 1);
    EXPECT_EQ(G->Cells(2, 2), "[Text. Next 22]");
    // A checker that goes is forgotten.
    Mark->Free();
    EXPECT_EQ(G->CellChecker(), nullptr);
    EXPECT_TRUE(G->CheckGrid(true));
}

TEST_F(CellCheckTest, GotoCellVisitsAndRestoresTheCurrentCell)
{
    G->SetCol(2);
    G->SetRow(1);
    std::vector<std::pair<Integer, Integer>> Seen;
    struct TSpy : TCapitalCheck {
        using TCapitalCheck::TCapitalCheck;
        TDidAririzEvar* Grid = nullptr;
        std::vector<std::pair<Integer, Integer>>* Seen = nullptr;
        AnsiString Correct(Integer C, Integer R, const AnsiString& S) override
        {
            Seen->push_back({Grid->Col(), Grid->Row()});
            return TCapitalCheck::Correct(C, R, S);
        }
    };
    auto* Spy = New<TSpy>(Form);
    Spy->Grid = G;
    Spy->Seen = &Seen;
    Spy->SetUseCorrect(true);
    Spy->SetGotoCell(true);
    G->SetCellChecker(Spy);
    EXPECT_FALSE(G->CheckGrid(false));
    EXPECT_EQ(Seen.front(), std::make_pair(1, 1));
    EXPECT_EQ(Seen.back(), std::make_pair(2, 3));
    EXPECT_EQ(G->Col(), 2);
    EXPECT_EQ(G->Row(), 1);
}

} // namespace
