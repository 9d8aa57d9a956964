#pragma once

// The draw board's bookkeeping without any window: which prize each cell holds, the order of
// all outcomes, and the walk of the highlight from a draw to its landing. The board window
// shows this state and animates it; every random choice comes from the runtime's generator.
//
// Cells are told apart by the prize they hold, never by their text: two prizes of the same
// name, or a prize named like the no-prize text, stay distinct.

#include "app/DrawStore.h"

#include <vector>

// The next number of the runtime's generator below n (0 when n is 0).
Integer randomBelow(Integer n);

class TDrawBoard {
public:
    // The largest board and person count the options window lets through: every cell and
    // every outcome is one entry, so these bound the memory and the shuffling a board takes.
    static constexpr Integer MaxRows = 1000;
    static constexpr Integer MaxCols = 1000;
    static constexpr Integer MaxPersons = 1000000;

    // Lays out a board of Rows x Cols cells for Persons persons: one outcome per person, or per
    // prize unit when there are more units, each unit also placed on a cell; both shuffled.
    // Prizes with a quantity of 0 or less place nothing; units beyond the cells or the
    // outcomes are left off rather than written past them.
    void Build(Integer Rows, Integer Cols, Integer Persons, const std::vector<TPrizeStock>& Prizes);

    Integer Rows() const { return FRows; }
    Integer Cols() const { return FCols; }
    Integer Cells() const { return FRows * FCols; }
    TPrizeId CellPrize(Integer Col, Integer Row) const;
    const std::vector<TPrizeId>& Outcomes() const { return FOutcomes; }
    Integer PersonsLeft() const { return FPersonsLeft; }
    Integer PrizesLeft() const { return FPrizesLeft; }
    Integer StepsLeft() const { return FStepsLeft; }
    Integer HighlightCol() const { return FHighlightCol; }
    Integer HighlightRow() const { return FHighlightRow; }
    bool Animating() const { return FStepsLeft > 0; }
    bool CanDraw() const { return FPersonsLeft > 0 && !Animating(); }

    struct TDraw {
        bool Found = false;
        TPrizeId Outcome = 0;
        Integer TargetCol = 0, TargetRow = 0;
        Integer StartRow = 0; // where the search began (the highlight starts elsewhere)
        // The cell emptied because its prize was won by the previous draw (-1: none).
        Integer WipedCol = -1, WipedRow = -1;
    };
    // Starts one draw: takes the next outcome, finds a cell holding it (from a random cell on,
    // then from the first) and sets the highlight that many steps before it. When no cell
    // holds the outcome nothing changes and Found is false.
    TDraw BeginDraw();
    // One move of the highlight in reading order, wrapping at the end of the board. True when
    // the walk has entered its last five moves (the slow, audible part).
    bool Step();
    // The highlight has landed: a cell with a prize takes one unit off the prizes left.
    void Land();

private:
    bool Matches(Integer Index, TPrizeId Outcome, Integer PendingWipe) const;

    Integer FRows = 0, FCols = 0;
    std::vector<TPrizeId> FCells; // row by row
    std::vector<TPrizeId> FOutcomes;
    Integer FPersonsLeft = 0;
    Integer FPrizesLeft = 0;
    Integer FStepsLeft = -1;
    Integer FHighlightCol = 0, FHighlightRow = 0;
};
