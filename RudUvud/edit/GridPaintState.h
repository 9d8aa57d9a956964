#pragma once

// State of the grid's painting, visual properties, cell content, focus and grid timer. Held
// inside the editing block of the grid (FEdit.Paint); only the painting sources write it.

#include "RudUvud/core/GridTypes.h"
#include "RudUvud/edit/PaintSteps.h"
#include "RudUvud/exchange/SortSettings.h"

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

class TCustomImageList;

enum TGridExportState {
    esExportStart,
    esExportNewRow,
    esExportDone,
    esExportSelRow,
    esExportFail,
    esExportNextRow
};
enum TGridImportState { isImportStart, isImportNewRow, isImportDone, isImportSelRow };
enum TCellHAlign { haLeft, haRight, haCenter, haBeforeText, haAfterText, haFull };
enum TCellVAlign { vaTop, vaBottom, vaCenter, vaUnderText, vaAboveText, vaFull };

// Events of the painting part (note the row-first orders the events keep).
using TGridGradientEvent =
    std::function<void(TObject* Sender, Integer ARow, Integer ACol, TColor& Color, TColor& ColorTo,
                       TColor& ColorMirror, TColor& ColorMirrorTo, TCellGradientDirection& GD)>;
using TFloatFormatEvent =
    std::function<void(TObject* Sender, Integer ACol, Integer ARow, bool& IsFloat, AnsiString& FloatFormat)>;
using TCellSaveLoadEvent =
    std::function<void(TObject* Sender, Integer ACol, Integer ARow, AnsiString& Value)>;
using TSelectionChangedEvent =
    std::function<void(TObject* Sender, Integer ALeft, Integer ATop, Integer ARight, Integer ABottom)>;
using TGridDrawCellEvent =
    std::function<void(TObject* Sender, Integer ACol, Integer ARow, TRect Rect, TGridDrawState State)>;
using TCustomCellDrawEvent = std::function<void(TObject* Sender, TCanvas* Canvas, Integer ACol, Integer ARow,
                                                TGridDrawState AState, TRect ARect, bool Printing)>;
using TGridBorderPropEvent = std::function<void(TObject* Sender, Integer ARow, Integer ACol, TPen* LeftPen,
                                                TPen* TopPen, TPen* RightPen, TPen* BottomPen)>;

struct TGridPaintState {
    // Fixed-cell look gradient (stored as RGB).
    TColor ZIVGradFrom = 0xF7F7F7;
    TColor ZIVGradTo = 0xE0E0E0;
    TColor ZIVGradMirrorFrom = clNone;
    TColor ZIVGradMirrorTo = clNone;
    // Save path.
    bool SaveDisplayText = true;
    bool SaveHTMLMarkup = true;
    bool SaveRTFMarkup = false;
    // Content switches.
    bool EnhTextSize = false;
    bool MultilineCells = false;
    bool URLShow = false;
    bool URLFull = false;
    TPoint XYOffset{2, 2};
    Integer FilterDropDownRow = 0;
    // Zoom step added to every cell font size.
    Integer Zoom = 0;
    // Where the cell being painted got its sort indicator ({-1, -1}: none), so that it is drawn
    // again over what the painting events draw.
    TPoint SortIndicatorAt{-1, -1};
    TCustomImageList* GridImages = nullptr;
    bool SelectionRTFKeep = false;
    // Disjunct cell selection.
    TSelectedCellList SelectedCells;
    bool MouseSelecting = false;
    // Grid timer.
    Integer TimerTicks = 0;
    Integer LookupTicks = 0;
    AnsiString LookupBuffer;
    bool BlinkPhase = false;
    bool EnableBlink = false;
    bool Hovering = false;
    bool AutoGotoIncremental = false;
    // Width synchronisation: the column widths and grid width recorded by InitOrigColSizes
    // (-1: none recorded yet), and the re-entrance guard of the size handler's scroll bar tail.
    std::vector<Integer> BaseColWidths;
    Integer BaseGridWidth = -1;
    bool SizeReentrance = false;
    // Paints actually done (counted for tests and the update lock).
    Integer Paints = 0;
    bool FirstPaintDone = false;
    bool PaintDropped = false; // a WM_PAINT came while locked
    bool ShowModified = false;
    TColor ShowModifiedColor = 0x0000FF;
    // The cell paint steps in their order (edit/PaintSteps.h); the built-in ones are put in
    // place at the first paint.
    TGridPaintSteps Steps;
};
