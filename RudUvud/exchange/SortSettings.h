#pragma once

// Sort settings of the string grid (the sort state the grid keeps is exchange/GridSortState.h).

#include "RudUvud/core/GridTypes.h"

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

// Sort indexes: each entry a real column in bits 0..30, bit 31 set for a descending column.
class TSortIndexList {
public:
    static constexpr std::uint32_t DescendingBit = 0x80000000u;
    void AddIndex(Integer ACol, bool Ascending);
    // Flips the direction of the entry for ACol; nothing when the column is not in the list.
    void ToggleIndex(Integer ACol);
    // The position of the column's entry, -1 when absent.
    Integer FindIndex(Integer ACol) const;
    Integer Count() const { return static_cast<Integer>(FItems.size()); }
    Integer Column(Integer I) const { return static_cast<Integer>(FItems[I] & ~DescendingBit); }
    bool Descending(Integer I) const { return (FItems[I] & DescendingBit) != 0; }
    void Clear() { FItems.clear(); }
    // "u" or "d" and the column per entry, joined by ";".
    AnsiString GetSortOrder() const;
    // Reads the text form; entries that do not parse are skipped.
    void SetSortOrder(const AnsiString& S);

private:
    std::vector<std::uint32_t> FItems;
};

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
