#pragma once

// Small settings classes the grid owns or hands out (filter conditions, grouping look, filter
// drop-down look, cell-change listeners) and the program-wide registrations of the grid's unit.

#include "RudUvud/core/GridTypes.h"

#include "platform/rtl/Collections.h"

#include <memory>

enum TFilterOperation { foSHORT, foNONE, foAND, foXOR, foOR };
enum TFilterCells { fcVirtual, fcNormal, fcStripHTML, fcCalculated, fcRow };

// One filter condition.
class TFilterData : public TCollectionItem {
public:
    explicit TFilterData(TCollection* Collection) : TCollectionItem(Collection) {}
    // From another condition; any other class raises EInvalidCast, nullptr does nothing.
    void Assign(TPersistent* Source) override;

    SmallInt Column = 0;
    AnsiString Condition;
    bool CaseSensitive = true;
    AnsiString Suffix;
    AnsiString Prefix;
    TFilterOperation Operation = foSHORT;
    TFilterCells Data = fcVirtual;
};

// The grid's filter conditions.
class TFilter : public TCollection {
public:
    explicit TFilter(TPersistent* AGrid = nullptr);
    TFilterData* Add() { return static_cast<TFilterData*>(TCollection::Add()); }
    // Appends a new condition (the index is not used: conditions keep their order).
    TFilterData* Insert(Integer) { return Add(); }
    TFilterData* Items(Integer Index) const { return static_cast<TFilterData*>(TCollection::Items(Index)); }
    // The first condition on Column; a new one for it when there is none.
    TFilterData* GetColFilter(Integer Column);

protected:
    TPersistent* GetOwner() override { return FGrid; }

private:
    TPersistent* FGrid;
};

// Base of the listeners that hear about changed cells.
class TGridChangeNotifier : public TComponent {
public:
    explicit TGridChangeNotifier(TComponent* AOwner) : TComponent(AOwner) {}
    virtual void CellsChanged(const TRect&) {}
};

// Look of group header and summary rows.
class TGrouping : public TPersistent {
public:
    // Copies the look fields; line widths and colours, Summary and AutoSelectGroup stay.
    void Assign(TPersistent* Source) override;

    bool MergeHeader = false;
    bool MergeSummary = false;
    TColor HeaderColor = clNone;
    TColor SummaryColor = clNone;
    TColor HeaderColorTo = clNone;
    TColor HeaderTextColor = clNone;
    bool Summary = false;
    TColor SummaryTextColor = clNone;
    TColor SummaryColorTo = clNone;
    bool HeaderUnderline = false;
    bool SummaryLine = false;
    Integer SummaryLineWidth = 2;
    Integer HeaderLineWidth = 2;
    TColor SummaryLineColor = 0xFF0000; // clBlue
    TColor HeaderLineColor = 0xFF0000;
    bool ShowGroupCount = false;
    AnsiString GroupCountFormat;
    bool AutoSelectGroup = false;
};

// Look of the column filter list.
class TFilterDropDown : public TPersistent {
public:
    TFilterDropDown();
    ~TFilterDropDown() override;
    // Copies Color, ColumnWidth, Font, Height and Width.
    void Assign(TPersistent* Source) override;
    TFont* Font() const { return FFont.get(); }
    void SetFont(TFont* Value) { FFont->Assign(Value); }
    TBitmap* Glyph() const { return FGlyph.get(); }
    void SetGlyph(TBitmap* Value);

    bool AutoSize = false;
    Integer Height = 150;
    Integer Width = 150;
    TColor Color = static_cast<TColor>(0x80000005); // clWindow
    bool ColumnWidth = false;
    TNotifyEvent OnChange;

private:
    std::unique_ptr<TFont> FFont;
    std::unique_ptr<TBitmap> FGlyph;
};

// Program-wide numbers registered by the grid's unit at start-up: the clipboard format of copied
// cells ("TDidAririzEvar Cells") and the message that ends an edit ("GridEditDone"); 0 when a
// registration failed.
Word GridCellsClipboardFormat();
Word GridEditDoneMessage();
// True when the common controls are of version 4.70 or later (the date picker editors exist).
bool GridDatePickersAvailable();
// The answer for a version word (major in the high, minor in the low 16 bits; -1 without a
// version block).
bool DatePickersForVersion(Integer Version);
