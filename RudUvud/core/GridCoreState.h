#pragma once

// State of the grid core: dimensions, the per-row tables, hidden columns, the column order, the
// look the core keeps, platform probes and the owner form's resize chaining. Held by the grid
// as FCore; only the sources that read or write it include this header.

#include "RudUvud/core/GridTypes.h"
#include "RudUvud/core/RowTables.h"

#include "platform/forms/Grids.h"

#include <cstdint>
#include <vector>

struct TGridCoreState {
    // Per-cell hooks and dimensions.
    AnsiString FCheckTrue = "Y"; // the check texts GetCheckTrue and GetCheckFalse start from
    AnsiString FCheckFalse = "N";
    Integer RequestedFixedRows = 1;
    Integer RequestedFixedCols = 1;
    Integer LargestRowCount = 0;
    Integer LargestColCount = 0;
    Integer FixedRowHeight = 21;
    bool WordWrap = true;
    bool EditingSuspended = false; // FEditingSuspended
    Integer FixedFooters = 0;
    Integer FixedRightCols = 0;
    bool FixedRowAlways = false;
    bool FixedColAlways = false;
    bool MoveFlag = false; // set while the footer row moves: row clears only drop pointers
    // Every per-row table (hidden rows, disjunct marks, modified flags, sort cross-reference).
    TGridRowTables Rows;
    // Hidden columns.
    std::vector<std::uint8_t> VisibleCols = std::vector<std::uint8_t>(513, 1);
    Integer HiddenColCount = 0;
    std::vector<std::int16_t> HiddenColWidths = std::vector<std::int16_t>(513, 0);
    std::vector<Integer> DisplToRealCol; // cached column maps, rebuilt when stale
    std::vector<Integer> RealToDisplCol;
    bool ColMapsStale = true;
    Integer LastUpdateRow = 0;
    std::vector<Integer> ColumnOrder;
    std::vector<Integer> IgnoredCols;
    bool ExportFixedCells = true; // published as IncludeFixedCells
    bool IncludeHiddenColumns = false;
    bool SkipInvalidate = false;
    // Look and colours the core keeps.
    bool ActiveCellShow = false;
    TColor ActiveCellColor = 0x808080;
    TColor ActiveCellColorTo = clNone;
    Integer MaxEditLength = 0;
    TVAlignment VAlignment = vtaTop;
    Integer VAlignFlag = 0;
    bool AutoSize = false;
    bool Flat = false;
    TEditorType DefaultEditor = edNormal;
    bool FilterDropDownAuto = false;
    AnsiString FilterDropDownClear = "(All)";
    bool AutoFilterUpdate = true;
    bool IntegralHeight = false;
    TGridLook Look = glXP;
    TColor HintColor = static_cast<TColor>(0x80000018);
    bool EnableHTML = true;
    TColor URLColor = 0xFF0000;
    bool HideFocusRect = false;
    bool FixedAsButtons = false;
    bool EnhRowColMove = true;
    bool ShowDesignHelper = true;
    bool UseInternalHintClass = true;
    THoverFixedCells HoverFixedCells = hfNone;
    TInvalidEntryIcon InvalidEntryIcon = ieWarning;
    AnsiString FloatFormat = "%.2f";
    char CellPasswordChar = '*'; // drawn for each character of a password cell
    Integer FNodeCount = 0;      // nodes added minus nodes removed, never below 0
    bool Loaded = false;
    bool DatePickersCreated = false;
    // Platform probes.
    bool IsXP = false;
    bool IsWin7 = false;
    bool IsVista = false;
    bool IsComCtl6 = false;
    // Owner form's resize chaining.
    bool FormResizeHooked = false;
    TNotifyEvent SavedFormResize;
    Integer FormWidth = 0;
    Integer FormHeight = 0;
    TGridCoord SavedTopLeft{1, 1};
    UINT_PTR GridTimer = 0;
    TCursor SavedCursor = crDefault;
};
