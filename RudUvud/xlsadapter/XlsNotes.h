#pragma once

#include "RudUvud/xlsadapter/BaseRecordLists.h"
#include "RudUvud/xlsadapter/BaseRecords.h"
#include "RudUvud/xlsadapter/VovMessages.h"
#include "RudUvud/xlsadapter/XlsRowColEntries.h"

#include <memory>
#include <vector>

class TDrawing;
class TEscherClientDataRecord;
class TEscherSheet;

// Cell comments. A NOTE record (0x1C) names its cell and the drawing object that shows the
// comment; the text and the box live in the sheet's drawing (a comment OBJ with a text box).
// The NOTE keeps a link to that object, reads and writes the text through it, moves the box with
// its cell, copies it with copied cells and removes it when the NOTE goes.
//
// A NOTE is tied only to a comment object that no other NOTE of the sheet holds, so a damaged
// file can neither make a comment take a picture with it nor make two comments free one box.
// The note list must go before the drawing it refers to (the sheet clears its notes first).

inline constexpr Word xlr_NOTE = 0x001C;

class TNoteRecord : public TBaseRowColRecord {
public:
    // A NOTE read from a file (at least row, column, options and object id: 8 bytes); its
    // object is found later with FixDwgIds.
    TNoteRecord(Word aId, TRecordBody aData);
    // A new comment with its box in Drawing, placed by Properties. A row outside 0..65535 or a
    // column outside 0..255 raises "The index "%d" of the property "%s" is not in the range
    // %d-%d"; nothing is added then.
    TNoteRecord(Integer Row, Integer Col, const WideString& Text, TDrawing& Drawing,
                const TImageProperties& Properties, TEscherSheet* Sheet);
    // Removes the comment's box from the drawing. Never raises.
    ~TNoteRecord() override;
    XLS_RECORD_CREATE(TNoteRecord)
    // The copy refers to the same box, without owning it, until it is copied
    // (ArrangeCopyRowsAndCols) or its list finds its own box (FixDwgIds).
    std::unique_ptr<TBaseRecord> DoCopyTo() const override;

    Word GetObjId() const { return GetWord(Data(), 6); }
    TEscherClientDataRecord* Dwg() const { return FDwg; }

    // The comment's text; empty when the NOTE has no box. Setting it without a box does nothing.
    WideString GetText() const;
    void SetText(const WideString& Text);

    // Ties the NOTE to the comment object of its object id in Drawing, unless that object is
    // not a comment or is in Taken (the objects other NOTEs hold); null otherwise.
    void FixDwgIds(TDrawing& Drawing, std::vector<TEscherClientDataRecord*>& Taken);
    // Copied with its cells: the box is copied too and the NOTE takes the copy's object id.
    void ArrangeCopyRowsAndCols(Integer RowOffset, Integer ColOffset) override;
    // The cell moves, then the box follows it.
    void ArrangeInsertRowsAndCols(Integer aRowPos, Integer aRowCount, Integer aColPos, Integer aColCount,
                                  const TSheetInfo& SheetInfo) override;

private:
    TEscherClientDataRecord* FDwg = nullptr;
    bool FOwnsDwg = false; // a copy borrows its source's box until it gets its own
    void Link(TEscherClientDataRecord* Dwg);
};

// The NOTEs of one row.
class TNoteRecordList : public TBaseRowColRecordList {
public:
    TNoteRecord* Items(Integer Index) const
    {
        return static_cast<TNoteRecord*>(TBaseRecordList::Items(Index));
    }
    void FixDwgIds(TDrawing& Drawing, std::vector<TEscherClientDataRecord*>& Taken);
};

// A sheet's NOTEs, one list per row.
class TNoteList : public TBaseRowColList {
public:
    TNoteList();
    TNoteRecordList* GetNotes(Integer Row) const { return static_cast<TNoteRecordList*>(GetItems(Row)); }
    // Ties every NOTE to its box in Drawing, first come first served.
    void FixDwgIds(TDrawing& Drawing);
    // Adds a new comment with its box under Row.
    void AddNewComment(Integer Row, Integer Col, const WideString& Text, TDrawing& Drawing,
                       const TImageProperties& Properties, TEscherSheet* Sheet);
};

// Numbers filed by row (the file interface files the active sheet's pictures by anchor row).
class TCommentRowPos : public TObject {
public:
    explicit TCommentRowPos(Integer aRow = 0) : Row(aRow) {}
    void Add(Integer Value) { FItems.push_back(Value); }
    Integer Count() const { return static_cast<Integer>(FItems.size()); }
    Integer GetItems(Integer Index) const { return FItems.at(static_cast<size_t>(Index)); }
    void SetItems(Integer Index, Integer Value) { FItems.at(static_cast<size_t>(Index)) = Value; }
    void Delete(Integer Index) { FItems.erase(FItems.begin() + Index); }

    Integer Row;

private:
    std::vector<Integer> FItems;
};

class TRowComments : public TObject {
public:
    // Appends Number to Row's entry, making the entry at its sorted place when missing.
    void Add(Integer Row, Integer Number);
    // Row's entry, or an empty one.
    const TCommentRowPos& GetItems(Integer Row) const;
    // Binary search by row: true with the row's index, false with its insertion index.
    bool Find(Integer Row, Integer& Index) const;
    // Removes the value at Position of Row's entry; every value above it, in every entry, goes
    // down by one.
    void Delete(Integer Row, Integer Position);
    Integer Count() const { return static_cast<Integer>(FList.size()); }
    void Clear() { FList.clear(); }

private:
    std::vector<std::unique_ptr<TCommentRowPos>> FList;
    TCommentRowPos FEmpty;
};
