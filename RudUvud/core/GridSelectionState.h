#pragma once

// State of the selection: disjunct columns and cells, the quiet and hidden selection, and the
// selection colours. Held by the grid as FSel; only the sources that read or write it include
// this header.

#include "RudUvud/core/GridTypes.h"
#include "RudUvud/core/RowTables.h"

#include "platform/forms/Grids.h"

#include <cstdint>
#include <unordered_set>
#include <vector>

// The cells of a disjunct cell selection in the order they were added, each once. Membership,
// adding and counting cost O(1); removing one cell costs O(count).
class TSelectedCellList {
public:
    bool Contains(Integer ACol, Integer ARow) const { return FMembers.count(Key(ACol, ARow)) != 0; }
    // Returns whether the cell was added (false: it was there already).
    bool Add(Integer ACol, Integer ARow);
    void Remove(Integer ACol, Integer ARow);
    void Clear();
    Integer Count() const { return static_cast<Integer>(FOrder.size()); }
    // The AIndex-th cell added; std::out_of_range beyond the count.
    TPoint At(Integer AIndex) const;

private:
    static std::uint64_t Key(Integer ACol, Integer ARow)
    {
        return (static_cast<std::uint64_t>(static_cast<std::uint32_t>(ARow)) << 32) |
               static_cast<std::uint32_t>(ACol);
    }
    std::vector<std::uint64_t> FOrder;
    std::unordered_set<std::uint64_t> FMembers;
};

struct TGridSelectionState {
    TSelectionList ColSelect;        // disjunct columns (disjunct rows are a per-row table)
    TSelectedCellList SelectedCells; // disjunct cells
    bool QuietSelect = false;        // FQuietSelect
    TGridRect SavedSelection;
    bool SelectionHidden = false;
    TColor SelectionColor = 0xEACAB6;
    TColor SelectionColorTo = clNone;
    TColor SelectionMirrorColor = clNone;
    TColor SelectionMirrorColorTo = clNone;
    TColor SelectionTextColor = 0;
    bool SelectionRectangle = false;
    bool SelectionResizer = false;
};
