#pragma once

// TDidAririzEvar: the feature-rich string grid. One class whose methods are spread over three
// folders of sources: core/ (construction, option objects, per-cell hooks and dimensions, hidden
// rows and columns, selection), edit/ (painting, in-place editing, keyboard and mouse) and
// exchange/ (sorting, row edits, file and clipboard formats, printing, runtime services).
//
// Layout:
// - each part declares its members in a header of its own, included inside the class body
//   below (core/CoreMembers.h, edit/EditMembers.h, edit/PaintMembers.h,
//   exchange/ExchangeMembers.h, exchange/SortMembers.h); this file includes the types they use;
// - each part's state is a block of its own, defined in a header of its own that only the sources
//   using the block include (core/GridCoreState.h, core/GridSelectionState.h,
//   core/GridScrollState.h, core/GridSizingState.h, edit/GridPaintState.h, edit/GridEditState.h,
//   exchange/GridExchangeState.h, exchange/GridSortState.h). The blocks are allocated once with
//   the grid and reached through references, so a field added to a block rebuilds only the
//   sources of the parts that use it. A field that two parts write is declared once in its
//   owner's block and read by name elsewhere; scrolling, column sizing and typed access add
//   core/ScrollMembers.h, core/SizingMembers.h, core/TypedMembers.h and core/GridTypedState.h;
//   cell graphics and text measuring add core/GraphicMembers.h and core/GridGraphicState.h;
// - option and settings objects are owned through std::unique_ptr; child controls are
//   components owned by the grid, kept as raw pointers and freed in the destructor's order.
//
// Index spaces: a display row/column is a position in the platform grid (0 .. RowCount - 1);
// a real row/column counts hidden rows/columns too (0 .. TotalRowCount - 1). The cell store is
// addressed by real column and display row.

#include "RudUvud/core/BaseGrid.h"
#include "RudUvud/core/CellGraphic.h"
#include "RudUvud/core/GridOptions.h"
#include "RudUvud/core/GridStandIns.h"
#include "RudUvud/core/RowTables.h"
#include "RudUvud/core/ScrollTypes.h"
#include "RudUvud/core/UndoRedo.h"
#include "RudUvud/edit/AuxEditors.h"
#include "RudUvud/edit/EditorHost.h"
#include "RudUvud/edit/FindTypes.h"
#include "RudUvud/edit/GridInput.h"
#include "RudUvud/edit/GridLook.h"
#include "RudUvud/edit/GridRichEdit.h"
#include "RudUvud/edit/PaintSteps.h"
#include "RudUvud/edit/PaintTypes.h"
#include "RudUvud/edit/SearchFooter.h"
#include "RudUvud/exchange/ClipboardTypes.h"
#include "RudUvud/exchange/FloatingFooter.h"
#include "RudUvud/exchange/GridSettings.h"
#include "RudUvud/exchange/PrintTypes.h"
#include "RudUvud/exchange/SortSettings.h"
#include "RudUvud/exchange/WindowProcTypes.h"

#include "platform/rtl/IniFiles.h"
#include "platform/rtl/StringLists.h"

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

struct TGridCoreState;
struct TGridSelectionState;
struct TGridScrollState;
struct TGridSizingState;
struct TGridTypedState;
struct TGridFilterState;
class TDidAririzEvarCheck;
struct TGridPaintState;
struct TGridEditState;
struct TGridEditingState;
struct TGridInputState;
struct TGridExchangeState;
struct TGridSortState;
struct TGridGraphicState;
struct TGridNodeState;
struct TGridStateBlocks;

class TDidAririzEvar : public TBaseGrid {
    // Every state block, allocated by the constructor before any member is initialised and freed
    // after every other member (core/GridCreate.cpp).
    std::unique_ptr<TGridStateBlocks> FStateBlocks;

public:
    explicit TDidAririzEvar(TComponent* AOwner);
    ~TDidAririzEvar() override;

    // Grid core.
#include "RudUvud/core/CoreMembers.h"

    // Scrolling.
#include "RudUvud/core/ScrollMembers.h"

    // Column sizing.
#include "RudUvud/core/SizingMembers.h"

    // Typed cell access, headers, marking and fills.
#include "RudUvud/core/TypedMembers.h"

    // Filtering and footer calculation.
#include "RudUvud/core/FilterMembers.h"

    // Column layout persistence.
#include "RudUvud/core/ColumnStateMembers.h"

    // Cell checker.
#include "RudUvud/core/CheckMembers.h"

    // In-place editing and input.
#include "RudUvud/edit/EditMembers.h"

    // Painting.
#include "RudUvud/edit/PaintMembers.h"

    // Exchange.
#include "RudUvud/exchange/ExchangeMembers.h"

    // Sorting.
#include "RudUvud/exchange/SortMembers.h"

    // Cell graphics and cell text measuring.
#include "RudUvud/core/GraphicMembers.h"

    // Check boxes and radio buttons.
#include "RudUvud/core/ToggleMembers.h"

    // Look presets, themes, cell graphics painting and the background.
#include "RudUvud/edit/LookMembers.h"

    // Visual properties file and print settings file.
#include "RudUvud/core/SettingsFileMembers.h"

    // Figures, automatic sizing and the floating footer.
#include "RudUvud/exchange/FiguresMembers.h"

    // Printing and preview.
#include "RudUvud/exchange/PrintMembers.h"

    // Outline nodes and grouping.
#include "RudUvud/core/NodeMembers.h"

    // Find and replace, and the search footer.
#include "RudUvud/edit/FindMembers.h"

    // Clipboard copy, cut and paste.
#include "RudUvud/exchange/ClipboardMembers.h"

    // Fixed-cell editing and the form controls of mini-HTML cells.
#include "RudUvud/edit/FormControlMembers.h"

    // Window procedure, wheel, panning and cell controls.
#include "RudUvud/exchange/WindowProcMembers.h"

    // Mouse moves, double click and right button.
#include "RudUvud/edit/MouseMoveMembers.h"

protected:
    // The state blocks, one per part (see above).
    TGridCoreState& FCore;
    TGridSelectionState& FSel;
    TGridScrollState& FScroll;
    TGridSizingState& FSizing;
    TGridTypedState& FTyped;
    TGridFilterState& FFilt;
    TGridPaintState& FPaint;
    TGridEditState& FEdit;
    TGridExchangeState& FXchg;
    TGridSortState& FSort;
    TGridGraphicState& FGraph;
    TGridNodeState& FNodes;
};
