#pragma once

// Sort settings of the string grid and the sort state the grid keeps (FXchg.Sort).

#include "RudUvud/core/GridTypes.h"
#include "RudUvud/support/VadObj.h"

#include "platform/rtl/Persistent.h"
#include "platform/rtl/Types.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

class TDidAririzEvar;

enum TSortDirection { sdAscending, sdDescending };
enum TSortBlankPosition { blFirst, blLast };
enum TIndexSortKey { ikShift, ikCtrl };

using TCustomCompareEvent =
    std::function<void(TObject* Sender, const AnsiString& Str1, const AnsiString& Str2, Integer& Res)>;
using TRawCompareEvent =
    std::function<void(TObject* Sender, Integer ACol, Integer Row1, Integer Row2, Integer& Res)>;
using TCanSortEvent = std::function<void(TObject* Sender, Integer ACol, bool& DoSort)>;
using TClickSortEvent = std::function<void(TObject* Sender, Integer ACol)>;

class TSortSettings : public TPersistent {
public:
    explicit TSortSettings(TDidAririzEvar* AGrid = nullptr);
    ~TSortSettings() override;
    // Copies every setting but SortOnVirtualCells and IgnoreCase, the glyphs by their pictures.
    void Assign(TPersistent* Source) override;
    // "column:direction:indexes" (direction 0 ascending, 1 descending; indexes in their text form).
    AnsiString SaveToString() const;
    // Applies a text of SaveToString and sorts by it; a text that does not parse changes nothing.
    void LoadFromString(const AnsiString& S);
    // No sort column, empty index.
    void Remove();

    bool AutoSortForGrouping = true;
    bool AutoColumnMerge = false;
    Integer Column = -1;
    bool Show = false;
    bool IndexShow = false;
    TColor IndexColor = 0x00FFFF;
    TIndexSortKey IndexSortKey = ikShift;
    bool Full = true;
    bool SingleColumn = false;
    bool IgnoreBlanks = false;
    TSortBlankPosition BlankPos = blFirst;
    bool AutoFormat = true;
    TSortDirection Direction = sdAscending;
    bool IgnoreCase = false;
    TSortDirection InitSortDirection = sdAscending;
    bool FixedCols = false;
    bool NormalCellsOnly = false;
    bool UndoSort = false;
    bool SortOnVirtualCells = true;
    TColor HeaderColor = clNone;
    TColor HeaderColorTo = clNone;
    TColor HeaderMirrorColor = clNone;
    TColor HeaderMirrorColorTo = clNone;
    TSortIndexList SortIndexes;

    // Pictures of the sort indicator (ascending, descending) and of index entries; empty ones
    // leave the drawn marks. The setters copy the given bitmap.
    TBitmap* UpGlyph() const { return FUpGlyph.get(); }
    void SetUpGlyph(TBitmap* Value) { FUpGlyph->Assign(Value); }
    TBitmap* DownGlyph() const { return FDownGlyph.get(); }
    void SetDownGlyph(TBitmap* Value) { FDownGlyph->Assign(Value); }
    TBitmap* IndexUpGlyph() const { return FIndexUpGlyph.get(); }
    void SetIndexUpGlyph(TBitmap* Value) { FIndexUpGlyph->Assign(Value); }
    TBitmap* IndexDownGlyph() const { return FIndexDownGlyph.get(); }
    void SetIndexDownGlyph(TBitmap* Value) { FIndexDownGlyph->Assign(Value); }

    Integer Row() const { return FRow; }
    // Only a fixed row sorts: a row not above FixedRows is refused (the value stays).
    void SetRow(Integer Value);

private:
    TDidAririzEvar* FGrid;
    Integer FRow = 0;
    std::unique_ptr<TBitmap> FUpGlyph, FDownGlyph, FIndexUpGlyph, FIndexDownGlyph;
};

// Sort state of the grid.
struct TGridSortState {
    // The row that holds the current row's data after the last sort pass.
    Integer Followed = -1;
};
