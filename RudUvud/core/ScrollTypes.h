#pragma once

// Types of the grid's scrolling and sizing: the drag scroll options and directions, the events of scroll
// hints, cell scroll bars and drag scrolling, and the events of column and row sizing.

#include "RudUvud/core/GridTypes.h"

#include "platform/rtl/Persistent.h"

class TTimer;

enum TDragScrollDirections { dsdUp, dsdDown, dsdLeft, dsdRight };
using TDragScrollDirection = TSet<TDragScrollDirections>;

// Milliseconds before the first and between the following steps of a drag scroll.
class TDragScrollDelays : public TPersistent {
public:
    void Assign(TPersistent* Source) override;
    Integer InitialDelay = 1000;
    Integer RepeatDelay = 250;
};

// Widths in pixels of the bands along the grid's edges where a drag scrolls.
class TDragScrollMargins : public TPersistent {
public:
    void Assign(TPersistent* Source) override;
    Integer TopMargin = 50;
    Integer BottomMargin = 50;
    Integer LeftMargin = 50;
    Integer RightMargin = 50;
};

class TDragScrollOptions : public TPersistent {
public:
    // Copies from another TDragScrollOptions; anything else is ignored.
    void Assign(TPersistent* Source) override;
    bool Active = false;
    TDragScrollDelays Delays;
    TDragScrollMargins Margins;
};

// For column hints ARow carries the column.
using TScrollHintEvent = std::function<void(TObject* Sender, Integer ARow, AnsiString& HintStr)>;
using TScrollCellEvent = std::function<void(TObject* Sender, Integer ACol, Integer ARow,
                                            Integer ScrollPosition, Integer ScrollMin, Integer ScrollMax)>;
using TDragScrollEvent = std::function<void(TObject* Sender, Integer TopRow, Integer LeftCol,
                                            TDragScrollDirection& DragScrollDir, bool& CanScroll)>;

// Events of column and row sizing.
using TEndColumnSizeEvent = std::function<void(TObject* Sender, Integer ACol)>;
using TEndRowSizeEvent = std::function<void(TObject* Sender, Integer ARow)>;
using TUpdateColumnSizeEvent = std::function<void(TObject* Sender, Integer ACol, Integer& AWidth)>;
using TWideEllipsClickEvent = std::function<void(TObject* Sender, Integer ACol, Integer ARow, WideString& S)>;
