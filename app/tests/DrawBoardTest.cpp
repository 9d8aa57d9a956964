#include "app/DrawBoard.h"

#include "platform/rtl/Random.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>

namespace {

std::vector<TPrizeStock> Prizes(const std::vector<Integer>& Quantities)
{
    std::vector<TPrizeStock> P;
    TPrizeId Id = 100;
    for (Integer Q : Quantities)
        P.push_back({Id++, "Prize " + std::to_string(Id), Q});
    return P;
}

long Count(const std::vector<TPrizeId>& List, TPrizeId Id)
{
    return std::count(List.begin(), List.end(), Id);
}

std::vector<TPrizeId> CellList(const TDrawBoard& B)
{
    std::vector<TPrizeId> L;
    for (Integer R = 0; R < B.Rows(); ++R)
        for (Integer C = 0; C < B.Cols(); ++C)
            L.push_back(B.CellPrize(C, R));
    return L;
}

// Runs one draw to its landing; returns the draw.
TDrawBoard::TDraw RunDraw(TDrawBoard& B)
{
    TDrawBoard::TDraw D = B.BeginDraw();
    if (!D.Found)
        return D;
    const Integer Steps = B.StepsLeft();
    int Loud = 0;
    for (Integer I = 0; I < Steps; ++I)
        Loud += B.Step() ? 1 : 0;
    EXPECT_EQ(Loud, 5) << "the last five moves are the slow ones";
    EXPECT_EQ(B.HighlightCol(), D.TargetCol);
    EXPECT_EQ(B.HighlightRow(), D.TargetRow);
    B.Land();
    return D;
}

} // namespace

TEST(DrawBoardTest, OutcomesAndCellsHoldEveryUnitOnce)
{
    struct Case {
        Integer Persons, Rows, Cols;
        std::vector<Integer> Quantities;
    };
    const Case Cases[] = {
        {3, 3, 3, {2, 3}},      // more units than persons: one outcome per unit
        {10, 3, 3, {1, 1}},     // more persons: the rest draw nothing
        {4, 1, 4, {3}},         // one row
        {1, 3, 3, {5, -3, 0}},  // a negative quantity places nothing and does not shrink the lists
        {2, 2, 2, {INT_MAX, 1}} // more units than cells: only what the cells can show
    };
    for (const Case& C : Cases) {
        RandSeed = 7;
        const auto P = Prizes(C.Quantities);
        TDrawBoard B;
        B.Build(C.Rows, C.Cols, C.Persons, P);
        const auto Cells = CellList(B);
        ASSERT_EQ(Cells.size(), size_t(C.Rows * C.Cols));
        EXPECT_EQ(B.PrizesLeft(), Cells.size() - Count(Cells, 0));
        EXPECT_EQ(B.Outcomes().size(), size_t(std::max(B.PrizesLeft(), C.Persons)));
        Integer Placed = 0;
        for (const TPrizeStock& S : P) {
            EXPECT_EQ(Count(B.Outcomes(), S.Id), Count(Cells, S.Id)) << "outcomes and cells agree";
            if (S.Quantity <= 0) {
                EXPECT_EQ(Count(Cells, S.Id), 0);
            }
            Placed += static_cast<Integer>(Count(Cells, S.Id));
        }
        EXPECT_EQ(Placed, B.PrizesLeft());
        EXPECT_EQ(B.HighlightCol(), 0);
        EXPECT_EQ(B.HighlightRow(), 0);
        EXPECT_EQ(B.StepsLeft(), -1);
    }
}

TEST(DrawBoardTest, DrawsWalkToACellHoldingTheOutcomeUntilThePersonsAreDone)
{
    RandSeed = 11;
    TDrawBoard B;
    // 3 persons, 5 units: entries 2, 1 and 0 are drawn and two units stay on the board.
    B.Build(3, 3, 3, Prizes({2, 3}));
    const std::vector<TPrizeId> Outcomes = B.Outcomes();
    for (Integer Expected = 2; Expected >= 0; --Expected) {
        ASSERT_TRUE(B.CanDraw());
        const TDrawBoard::TDraw D = RunDraw(B);
        ASSERT_TRUE(D.Found);
        EXPECT_EQ(D.Outcome, Outcomes[size_t(Expected)]);
        EXPECT_EQ(B.CellPrize(D.TargetCol, D.TargetRow), D.Outcome);
        EXPECT_EQ(B.PersonsLeft(), Expected);
    }
    EXPECT_FALSE(B.CanDraw());
    EXPECT_EQ(B.PrizesLeft(), 2);
    EXPECT_FALSE(B.BeginDraw().Found) << "no draw after the last person";
}

TEST(DrawBoardTest, WonPrizeLeavesTheBoardWhenTheNextDrawStarts)
{
    RandSeed = 3;
    TDrawBoard B;
    B.Build(2, 2, 4, Prizes({2}));
    TDrawBoard::TDraw First{};
    // Draw until a prize is won, then start the next draw.
    do {
        First = RunDraw(B);
    } while (First.Outcome == 0 && B.CanDraw());
    ASSERT_NE(First.Outcome, 0u);
    ASSERT_TRUE(B.CanDraw());
    EXPECT_EQ(B.CellPrize(First.TargetCol, First.TargetRow), First.Outcome);
    const TDrawBoard::TDraw Next = B.BeginDraw();
    ASSERT_TRUE(Next.Found);
    EXPECT_EQ(Next.WipedCol, First.TargetCol);
    EXPECT_EQ(Next.WipedRow, First.TargetRow);
    EXPECT_EQ(B.CellPrize(First.TargetCol, First.TargetRow), 0u);
}

TEST(DrawBoardTest, StepCountsStayWithinTheBoardsRange)
{
    struct Case {
        Integer Rows, Cols, Low, High;
    };
    const Case Cases[] = {{1, 4, 10, 13}, {10, 10, 10, 59}, {1, 2, 10, 11}};
    for (const Case& C : Cases) {
        RandSeed = 5;
        for (int Run = 0; Run < 40; ++Run) {
            TDrawBoard B;
            B.Build(C.Rows, C.Cols, 1, Prizes({1}));
            ASSERT_TRUE(B.BeginDraw().Found);
            EXPECT_GE(B.StepsLeft(), C.Low);
            EXPECT_LE(B.StepsLeft(), C.High);
        }
    }
}

TEST(DrawBoardTest, EveryUnitIsWonExactlyOnceWhenPersonsMatchUnits)
{
    RandSeed = 99;
    const auto P = Prizes({2, 1, 3});
    TDrawBoard B;
    B.Build(3, 4, 6, P);
    std::vector<TPrizeId> Won;
    while (B.CanDraw()) {
        const TDrawBoard::TDraw D = RunDraw(B);
        ASSERT_TRUE(D.Found);
        Won.push_back(D.Outcome);
    }
    for (const TPrizeStock& S : P)
        EXPECT_EQ(Count(Won, S.Id), S.Quantity);
    EXPECT_EQ(B.PrizesLeft(), 0);
}
