#pragma once

#include "RudUvud/xlsadapter/BaseRecordLists.h"
#include "RudUvud/xlsadapter/BaseRecords.h"
#include "RudUvud/xlsadapter/VovMessages.h"

#include <memory>

// A worksheet's hyperlinks: HLINK records (0x01B8), each with an optional QUICKTIP record
// (0x0800) that holds its screen tip. A link read from a file keeps its bytes until its
// properties are set, so links of kinds the engine does not decode survive a save unchanged.

inline constexpr Word xlr_HLINK = 0x01B8;
inline constexpr Word xlr_QUICKTIP = 0x0800;

// QUICKTIP: the word 0x0800, the link's four coordinates, then the tip in UTF-16 with a zero.
class TScreenTipRecord : public TBaseRecord {
public:
    // Any size is accepted: a tip shorter than 12 bytes reads as empty text and keeps its bytes.
    TScreenTipRecord(Word aId, TRecordBody aData) : TBaseRecord(aId, std::move(aData)) {}
    explicit TScreenTipRecord(const WideString& Text);
    XLS_RECORD_CREATE(TScreenTipRecord)

    // The text up to its first zero character.
    WideString GetText() const;
    void SetText(const WideString& Text);

    // Data offsets 2, 4, 6 and 8. On a tip too short to hold them the getters give 0 and the
    // setters do nothing.
    Word GetFirstRow() const { return GetAt(2); }
    Word GetLastRow() const { return GetAt(4); }
    Word GetFirstCol() const { return GetAt(6); }
    Word GetLastCol() const { return GetAt(8); }
    void SetFirstRow(Word V) { SetAt(2, V); }
    void SetLastRow(Word V) { SetAt(4, V); }
    void SetFirstCol(Word V) { SetAt(6, V); }
    void SetLastCol(Word V) { SetAt(8, V); }

private:
    Word GetAt(Integer Pos) const { return DataSize() >= Pos + 2 ? GetWord(Data(), Pos) : 0; }
    void SetAt(Integer Pos, Word V)
    {
        if (DataSize() >= Pos + 2)
            ::SetWord(Data(), Pos, V);
    }
};

// HLINK with the tip that follows it. The record body is the standard hyperlink object; the
// engine decodes URL, file and UNC targets, description, frame and location.
class THLinkRecord : public TBaseRecord {
public:
    // A link read from a file; data shorter than its 32-byte head raises "Record with ID 0x%x is
    // invalid". The factory attaches the tip that follows it.
    THLinkRecord(Word aId, TRecordBody aData);
    // A new link over Range.
    THLinkRecord(const TXlsCellRange& Range, const THyperLink& Link);
    XLS_RECORD_CREATE(THLinkRecord)

    Word GetFirstRow() const { return GetWord(Data(), 0); }
    Word GetLastRow() const { return GetWord(Data(), 2); }
    Word GetFirstCol() const { return GetWord(Data(), 4); }
    Word GetLastCol() const { return GetWord(Data(), 6); }
    Word GetOptionFlags() const { return GetWord(Data(), 28); }
    void SetFirstRow(Word V) { ::SetWord(Data(), 0, V); }
    void SetLastRow(Word V) { ::SetWord(Data(), 2, V); }
    void SetFirstCol(Word V) { ::SetWord(Data(), 4, V); }
    void SetLastCol(Word V) { ::SetWord(Data(), 6, V); }
    void SetOptionFlags(Word V) { ::SetWord(Data(), 28, V); }

    TXlsCellRange GetCellRange() const;
    void SetCellRange(const TXlsCellRange& Range);
    // Moves both rows by DeltaRow and both columns by DeltaCol; a result outside the sheet raises
    // "Too many entries for this kind of record (%d out of a maximum of %d)".
    void Offset(Integer DeltaRow, Integer DeltaCol);

    // Decodes the body. Every count and length is checked against the bytes of the record: a
    // damaged body gives what could be read before the damage, never bytes from outside.
    THyperLink GetProperties() const;
    // Rebuilds the body (and the tip) from Link. A body longer than a BIFF8 record can hold
    // raises "String too large" and leaves the link as it was.
    void SetProperties(const THyperLink& Link);

    TScreenTipRecord* Hint() const { return FHint.get(); }
    // Attaches a tip, freeing the one the link had.
    void AddHint(std::unique_ptr<TScreenTipRecord> Tip);

    bool AcceptsAttached(Word NextId) const override { return NextId == xlr_QUICKTIP && !FHint; }
    void AttachRecord(std::unique_ptr<TBaseRecord> Rec) override;

    // Moves the link for RowCount (or ColCount) copies of Range inserted (above 0) or deleted
    // (below 0) at Range, when SheetInfo says this sheet is the one changed.
    void ArrangeInsertRange(const TXlsCellRange& Range, Integer RowCount, Integer ColCount,
                            const TSheetInfo& SheetInfo);

    bool Overlaps(const TXlsCellRange& Range) const;
    bool InsideRange(const TXlsCellRange& Range) const;

    // The link, then its tip with the link's current coordinates.
    void SaveToStream(TOle2File& Workbook) override;
    void SaveRangeToStream(TOle2File& Workbook, const TXlsCellRange& Range);
    Int64 TotalSize() const override;
    Int64 TotalSizeNoHeaders() const override;
    Int64 TotalRangeSize(const TXlsCellRange& Range) const;
    std::unique_ptr<TBaseRecord> DoCopyTo() const override;

private:
    std::unique_ptr<TScreenTipRecord> FHint;
};

// The hyperlinks of one sheet, written sorted by first row, then first column.
class THLinkList : public TBaseRecordList {
public:
    THLinkRecord* GetItems(Integer Index) const { return static_cast<THLinkRecord*>(Items(Index)); }
    Integer Add(std::unique_ptr<TBaseRecord> Rec) override;
    void Insert(Integer Index, std::unique_ptr<TBaseRecord> Rec) override;
    bool Sorted() const { return FSorted; }
    void Sort();

    void SaveToStream(TOle2File& DataStream) override;
    void SaveRangeToStream(TOle2File& DataStream, const TXlsCellRange& Range);
    Int64 TotalSize() const { return GetTotalSize(); }
    Int64 TotalRangeSize(const TXlsCellRange& Range) const;

    // Appends copies of every link of List.
    void CopyFrom(const THLinkList& List);
    // Appends copies of the links of List that lie inside Range, moved by the offsets.
    void CopyObjectsFrom(const THLinkList& List, const TXlsCellRange& Range, Integer RowOffset,
                         Integer ColOffset);
    // Inserts RowCount copies of the rows (or ColCount of the columns) of SourceRange at
    // DestRow/DestCol: links make room, and links inside the block are copied with it.
    void InsertAndCopyRange(const TXlsCellRange& SourceRange, Integer DestRow, Integer DestCol,
                            Integer RowCount, Integer ColCount, const TSheetInfo& SheetInfo);
    // Removes the links inside the deleted block and moves the others.
    void DeleteRange(const TXlsCellRange& Range, Integer RowFactor, Integer ColFactor,
                     const TSheetInfo& SheetInfo);

private:
    bool FSorted = false;
};
