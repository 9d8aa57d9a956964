#include "app/DrawBoard.h"

#include "platform/rtl/Random.h"

#include <algorithm>
#include <utility>

Integer randomBelow(Integer n)
{
    return n <= 0 ? 0 : Random(n);
}

namespace {

// Swaps randomly chosen pairs: Rounds times, two draws each, a swap when they differ.
void Shuffle(std::vector<TPrizeId>& List, std::int64_t Rounds)
{
    const Integer N = static_cast<Integer>(List.size());
    for (std::int64_t R = 0; R < Rounds; ++R) {
        const Integer I = randomBelow(N);
        const Integer J = randomBelow(N);
        if (I != J)
            std::swap(List[static_cast<size_t>(I)], List[static_cast<size_t>(J)]);
    }
}

} // namespace

void TDrawBoard::Build(Integer Rows, Integer Cols, Integer Persons, const std::vector<TPrizeStock>& Prizes)
{
    FRows = std::clamp(Rows, 0, MaxRows);
    FCols = std::clamp(Cols, 0, MaxCols);
    FPersonsLeft = std::clamp(Persons, 0, MaxPersons);
    std::int64_t Units = 0;
    for (const TPrizeStock& P : Prizes)
        Units += std::max(P.Quantity, 0);
    const Integer CellCount = FRows * FCols;
    // Units that no cell could show cannot be drawn either.
    FPrizesLeft = static_cast<Integer>(std::min<std::int64_t>(Units, CellCount));

    FOutcomes.assign(static_cast<size_t>(std::max(FPrizesLeft, FPersonsLeft)), 0);
    FCells.assign(static_cast<size_t>(CellCount), 0);
    size_t Next = 0;
    for (const TPrizeStock& P : Prizes)
        for (Integer U = 0; U < P.Quantity && Next < FCells.size() && Next < FOutcomes.size(); ++U) {
            FOutcomes[Next] = P.Id;
            FCells[Next] = P.Id;
            ++Next;
        }
    Shuffle(FCells, std::int64_t(10) * CellCount);
    Shuffle(FOutcomes, std::int64_t(3) * static_cast<std::int64_t>(FOutcomes.size()));
    FStepsLeft = -1;
    FHighlightCol = 0;
    FHighlightRow = 0;
}

TPrizeId TDrawBoard::CellPrize(Integer Col, Integer Row) const
{
    if (Col < 0 || Col >= FCols || Row < 0 || Row >= FRows)
        return 0;
    return FCells[static_cast<size_t>(Row * FCols + Col)];
}

bool TDrawBoard::Matches(Integer Index, TPrizeId Outcome, Integer PendingWipe) const
{
    const TPrizeId Held = Index == PendingWipe ? 0 : FCells[static_cast<size_t>(Index)];
    return Held == Outcome;
}

TDrawBoard::TDraw TDrawBoard::BeginDraw()
{
    TDraw D;
    if (!CanDraw() || Cells() == 0)
        return D;
    D.Outcome = FOutcomes[static_cast<size_t>(FPersonsLeft - 1)];
    // The prize won by the previous draw leaves the board when this one starts.
    const Integer Wipe = FStepsLeft == 0 ? FHighlightRow * FCols + FHighlightCol : -1;

    const Integer Steps = randomBelow(std::min(Cells(), 50)) + 10;
    const Integer StartRow = randomBelow(FRows);
    const Integer StartCol = randomBelow(FCols);
    Integer Target = -1;
    for (Integer R = StartRow; R < FRows && Target < 0; ++R)
        for (Integer C = StartCol; C < FCols; ++C)
            if (Matches(R * FCols + C, D.Outcome, Wipe)) {
                Target = R * FCols + C;
                break;
            }
    for (Integer I = 0; I < Cells() && Target < 0; ++I)
        if (Matches(I, D.Outcome, Wipe))
            Target = I;
    if (Target < 0)
        return D;

    D.Found = true;
    D.StartRow = StartRow;
    D.TargetCol = Target % FCols;
    D.TargetRow = Target / FCols;
    if (Wipe >= 0) {
        FCells[static_cast<size_t>(Wipe)] = 0;
        D.WipedCol = FHighlightCol;
        D.WipedRow = FHighlightRow;
    }
    --FPersonsLeft;
    FStepsLeft = Steps;
    // The walk starts as many cells before the target, in reading order, as it has steps.
    Integer Col = D.TargetCol, Row = D.TargetRow;
    for (Integer I = 0; I < Steps; ++I) {
        if (--Col < 0) {
            Col = FCols - 1;
            if (--Row < 0)
                Row = FRows - 1;
        }
    }
    FHighlightCol = Col;
    FHighlightRow = Row;
    return D;
}

bool TDrawBoard::Step()
{
    if (FStepsLeft <= 0)
        return false;
    if (++FHighlightCol >= FCols) {
        FHighlightCol = 0;
        if (++FHighlightRow >= FRows)
            FHighlightRow = 0;
    }
    --FStepsLeft;
    return FStepsLeft < 5;
}

void TDrawBoard::Land()
{
    if (CellPrize(FHighlightCol, FHighlightRow) != 0)
        --FPrizesLeft;
}
