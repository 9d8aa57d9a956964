#pragma once

// The per-row tables of the string grid, kept by one owner: the hidden-row store, the disjunct
// row marks, the modified flags and the sort's cross-reference. Every structural row edit (insert,
// remove, move, exchange, hide, unhide) reaches all of them through one call here, ranges in one
// pass, so that no caller keeps them in step by hand. A table added later (node levels, check
// states) is added here and to each of these calls.
//
// Index spaces: the modified flags are kept by display row; the disjunct marks by real row when
// they persist over hiding (MarksReal), else by display row; the cross-reference and the hidden
// rows by real row. A hidden row takes its display-indexed marks along and brings them back
// when it is shown again.

#include "platform/forms/Grids.h"

#include <algorithm>
#include <cstdint>
#include <vector>

// The flags of a disjunct selection by index with their count, and the order in which indexes
// were selected. Membership, selecting and unselecting cost O(1) (the order list keeps a
// position per index and drops unselected entries lazily).
class TSelectionList {
public:
    bool Get(Integer Index) const { return Index >= 0 && Index < Size() && FFlags[Index] != 0; }
    // Returns whether the flag changed.
    bool Set(Integer Index, bool Value);
    void Grow(Integer Count);
    Integer Size() const { return static_cast<Integer>(FFlags.size()); }
    Integer Count() const { return FCount; }
    // Set flags among the first Limit indexes.
    Integer CountBelow(Integer Limit) const;
    // Selected indexes in the order they were selected.
    std::vector<Integer> Order() const;
    // The indexes whose flags are set (ascending), then all flags cleared.
    std::vector<Integer> Clear();
    // Moves every set flag to Map(index) (dropped when below 0), keeping the selection order.
    template <class F> void Remap(F Map)
    {
        if (FCount == 0)
            return;
        const std::vector<Integer> Was = Order();
        Clear();
        for (Integer I : Was) {
            const Integer N = Map(I);
            if (N >= 0)
                Set(N, true);
        }
    }

private:
    void Compact();
    std::vector<std::uint8_t> FFlags;
    Integer FCount = 0;
    std::vector<Integer> FOrder;    // selected indexes; -1 marks a dropped entry
    std::vector<Integer> FOrderPos; // position in FOrder by index, -1 when not there
    Integer FDropped = 0;
};

// One hidden row: its cells (texts and object slots of every real column, moved out of the
// grid), its height, its real row index, the hide level it belongs to and the marks it carries
// while hidden.
struct TGridItem {
    Integer Idx = 0;
    Integer Height = 0;
    Integer Level = 0;
    std::vector<TGridCell> Items;
    bool Modified = false; // its modified flag (kept by display row while shown)
    bool Marked = false;   // its disjunct mark, when marks are kept by display row
};

// The index of item I after the item at From moved to To and those between shifted.
Integer MovedIndex(Integer I, Integer From, Integer To);

// Moves the item at From to To, those between shifting; out-of-range indexes change nothing.
template <class V> void MoveItem(V& Items, Integer From, Integer To)
{
    const Integer N = static_cast<Integer>(Items.size());
    if (From == To || From < 0 || To < 0 || From >= N || To >= N)
        return;
    if (From < To)
        std::rotate(Items.begin() + From, Items.begin() + From + 1, Items.begin() + To + 1);
    else
        std::rotate(Items.begin() + To, Items.begin() + From, Items.begin() + From + 1);
}

// The hidden rows, ordered by real index; one row goes in or out at a cost that does not grow
// with the number of rows hidden.
using THiddenRows = TTieredArray<TGridItem, 8>;

class TGridRowTables {
public:
    THiddenRows& Hidden() { return FHidden; }
    const THiddenRows& Hidden() const { return FHidden; }
    Integer HiddenCount() const { return static_cast<Integer>(FHidden.size()); }
    Integer& HideLevel() { return FHideLevel; }
    Integer HideLevel() const { return FHideLevel; }
    TSelectionList& Marks() { return FMarks; }
    const TSelectionList& Marks() const { return FMarks; }
    TSelectionList& Modified() { return FModified; }
    const TSelectionList& Modified() const { return FModified; }
    // Entry i: the unsorted index of the row now at real row i; empty when there is no order.
    std::vector<Integer>& XRef() { return FXRef; }
    const std::vector<Integer>& XRef() const { return FXRef; }

    // Hidden rows before a real row (the position of its entry in the store).
    Integer HiddenBelow(Integer RealRow) const;
    // The hidden entry of a real row, or null.
    TGridItem* HiddenEntry(Integer RealRow);

    // Count rows inserted at display row D (real row RealAt) into a grid of OldTotal rows.
    void Inserted(Integer D, Integer RealAt, Integer Count, Integer OldTotal, bool MarksReal);
    // Rows opened at once at the final display rows Pos, whose final real rows are RealPos (both
    // ascending), in a grid of OldTotal rows: every table in one pass.
    void InsertedAt(const std::vector<Integer>& Pos, const std::vector<Integer>& RealPos, Integer OldTotal,
                    bool MarksReal);
    // Count display rows removed at D; RealGone: their real rows (ascending); OldTotal: rows
    // before. Hidden rows keep their places and move up past the removed ones.
    void Removed(Integer D, Integer Count, const std::vector<Integer>& RealGone, Integer OldTotal,
                 bool MarksReal);
    // The display rows Displ (ascending, distinct; real rows RealGone) removed at once.
    void RemovedAt(const std::vector<Integer>& Displ, const std::vector<Integer>& RealGone, Integer OldTotal,
                   bool MarksReal);
    // The row at display row From (real RealFrom) moved to To (real RealTo).
    void Moved(Integer From, Integer To, Integer RealFrom, Integer RealTo, bool MarksReal);
    // Two shown rows exchanged (their disjunct marks too when WithMarks).
    void Exchanged(Integer A, Integer B, Integer RealA, Integer RealB, bool MarksReal, bool WithMarks = true);
    // The display rows Displ (ascending) left the grid as Entries (their real indexes set): each
    // takes its display-indexed marks along; the marks below move up; the entries join the store.
    void Hid(const std::vector<Integer>& Displ, std::vector<TGridItem>&& Entries, bool MarksReal);
    // Entries taken out of the store come back at the display rows Pos (ascending): the marks
    // they carried return there and the marks below move down.
    void Showing(const std::vector<Integer>& Pos, const std::vector<TGridItem>& Entries, bool MarksReal);
    // Takes the store's entries of real rows From .. To out, in order.
    std::vector<TGridItem> TakeHidden(Integer From, Integer To);
    // The same for the entries of one level only; the others stay.
    std::vector<TGridItem> TakeHiddenInLevel(Integer From, Integer To, Integer Level);
    // Takes the entries of one hide level out, in order.
    std::vector<TGridItem> TakeLevel(Integer Level);
    // The store becomes Entries (ascending real index).
    void SetHidden(std::vector<TGridItem>&& Entries);

private:
    THiddenRows FHidden;
    Integer FHideLevel = 0;
    TSelectionList FMarks;
    TSelectionList FModified;
    std::vector<Integer> FXRef;
};
