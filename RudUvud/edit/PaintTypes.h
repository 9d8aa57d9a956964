#pragma once

// Types and events of the grid's painting, visual properties and cell content.

#include "RudUvud/core/GridTypes.h"

#include "platform/forms/Grids.h"

#include <functional>

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
