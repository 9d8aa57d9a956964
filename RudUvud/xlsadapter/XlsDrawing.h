#pragma once

#include "RudUvud/xlsadapter/BaseRecords.h"
#include "RudUvud/xlsadapter/VovMessages.h"
#include "RudUvud/xlsadapter/XlsEscher.h"
#include "RudUvud/xlsadapter/XlsEscherShapes.h"

#include <memory>

class TStream;
class TSST;

// The owners of the drawing streams: the workbook's drawing group (MSODRAWINGGROUP records in
// the globals: the picture store shared by every sheet and the record that hands out drawing
// and shape ids) and each sheet's drawing (MSODRAWING records with the OBJ and TXO records of
// its shapes between them). They load, save and size their streams, build the records a new
// drawing needs, add pictures, comment boxes and autofilter arrows, and move shapes with
// inserted, deleted and copied rows and columns.
//
// A stream that cannot be read raises a clear error ("Error reading Excel records. File invalid",
// "The file has an usupported drawing record", "Error loading Escher record" and the errors of
// the record tree) and leaves its owner empty, never half loaded: what the sheet holds besides
// its drawing is not touched, and the record header in hand is left at the first record the
// drawing did not take.

// The BIFF records that carry the streams.
class TXlsEscherRecord : public TBaseRecord {
public:
    using TBaseRecord::TBaseRecord;
    XLS_RECORD_CREATE(TXlsEscherRecord)
};
class TDrawingGroupRecord : public TXlsEscherRecord {
public:
    using TXlsEscherRecord::TXlsEscherRecord;
    XLS_RECORD_CREATE(TDrawingGroupRecord)
};
class TDrawingRecord : public TXlsEscherRecord {
public:
    using TXlsEscherRecord::TXlsEscherRecord;
    XLS_RECORD_CREATE(TDrawingRecord)
};
class TDrawingSelectionRecord : public TXlsEscherRecord {
public:
    using TXlsEscherRecord::TXlsEscherRecord;
    XLS_RECORD_CREATE(TDrawingSelectionRecord)
};

// The picture used where one is missing: a 1 x 1 black-and-white DIB of 54 bytes.
const ByteArray& BlankPicture();

// The workbook's drawing group. It must outlive the sheet drawings: a sheet drawing that goes
// gives its shape-id clusters back to the group.
class TDrawingGroup : public TObject {
public:
    TDrawingGroup() = default;
    ~TDrawingGroup() override;
    TDrawingGroup(const TDrawingGroup&) = delete;
    TDrawingGroup& operator=(const TDrawingGroup&) = delete;

    void Clear();
    TEscherDwgGroupCache* GetRecordCache() { return &FGroupCaches; }
    TEscherContainerRecord* GroupContainer() const { return FGroupContainer.get(); }
    // Creates whatever of the minimum group records is missing: the root, the drawing-group
    // record, the picture store, the default options and the split-menu colours.
    void EnsureDwgGroup();
    // One more drawing in the drawing-group record, when there is one.
    void AddDwg();
    // Reads the stream that starts with FirstRecord (an MSODRAWINGGROUP record), taking the
    // MSODRAWINGGROUP records after it from Stream. A second stream raises "Error reading Excel
    // records. File invalid".
    void LoadFromStream(TOle2File& Stream, TRecordHeader& Header, std::unique_ptr<TBaseRecord> FirstRecord);
    void SaveToStream(TOle2File& Stream);
    // Bytes SaveToStream writes; 0 without a stream.
    Int64 TotalSize() const;

private:
    std::unique_ptr<TEscherContainerRecord> FGroupContainer;
    TEscherDwgGroupCache FGroupCaches;
    // The drawing caches every record of the group points at: no lists, so nothing registers.
    TEscherDwgCache FEmptyCaches;
};

// One sheet's drawing. Rows and columns are 0-based; image indexes N count the sheet's pictures
// in the order they were loaded or added, and an index at or beyond DrawingCount raises "Index
// out of range".
class TDrawing : public TObject {
public:
    explicit TDrawing(TDrawingGroup* aGroup);
    ~TDrawing() override;
    TDrawing(const TDrawing&) = delete;
    TDrawing& operator=(const TDrawing&) = delete;

    // Frees the container (with full upkeep: picture references and counts go back), then the lists.
    void Clear();
    // Reads the stream that starts with FirstRecord (an MSODRAWING record): the MSODRAWING
    // records after it and the OBJ and TXO records of its shapes. Header is the header of the
    // record after FirstRecord and is left at the first record after the drawing.
    void LoadFromStream(TOle2File& Stream, TRecordHeader& Header, std::unique_ptr<TBaseRecord> FirstRecord,
                        TSST* SST);
    void SaveToStream(TOle2File& Stream);
    Int64 TotalSize() const;
    // Makes this drawing a deep copy of another sheet's drawing (new drawing and shape ids, the
    // same object ids, every picture referenced once more).
    void CopyFrom(const TDrawing& Source, TEscherSheet* Sheet);

    // Adds a picture shape. Empty Bytes stand for the blank picture. JPEG, PNG and DIB pictures
    // only (see the picture store).
    void AddImage(const ByteArray& Bytes, TXlsImgTypes ImgType, const TImageProperties& Props,
                  TVovAnchorType AnchorType, TEscherSheet* Sheet);
    // Adds a comment box shape placed by Props and returns its client data record, whose object
    // id the comment record takes. Its text box is empty.
    TEscherClientDataRecord* AddNewComment(const TImageProperties& Props, TEscherSheet* Sheet);
    // Adds an autofilter drop-down arrow over a cell, or one for each column FirstCol..LastCol.
    void AddAutoFilter(Integer Row, Integer Col, TEscherSheet* Sheet);
    void AddAutoFilter(Integer Row, Integer FirstCol, Integer LastCol, TEscherSheet* Sheet);
    // Removes every autofilter arrow and nothing else.
    void RemoveAutoFilter();

    Integer DrawingCount() const;
    TClientAnchor GetAnchor(Integer N) const;
    void SetAnchor(Integer N, const TClientAnchor& Anchor, TEscherSheet* Sheet);
    // Writes picture N as a picture file and gives its type.
    void GetDrawingFromStream(Integer N, TStream& Stream, TXlsImgTypes& ImgType) const;
    WideString GetDrawingName(Integer N) const;
    Integer GetDrawingRow(Integer N) const;
    // Replaces picture N (by the blank picture when Bytes is empty).
    void AssignDrawing(Integer N, const ByteArray& Bytes, TXlsImgTypes ImgType);
    void ClearImage(Integer N);
    // Removes picture N's shape.
    void DeleteImage(Integer N);

    // The client data record with object id Id, or null.
    TEscherClientDataRecord* FindObjId(Word Id) const;

    // Counts above 0 insert, below 0 delete. Shapes move when SheetInfo names this sheet as the
    // one changed; client data of every sheet hears of the change.
    void ArrangeInsertRowsAndCols(Integer RowPos, Integer RowCount, Integer ColPos, Integer ColCount,
                                  const TSheetInfo& SheetInfo, TEscherSheet* Sheet);
    // Deleted rows (columns) take the shapes that move and resize with their cells and lie wholly
    // inside them; other shapes move.
    void DeleteRows(Integer Row, Integer Count, const TSheetInfo& SheetInfo, TEscherSheet* Sheet);
    void DeleteCols(Integer Col, Integer Count, const TSheetInfo& SheetInfo, TEscherSheet* Sheet);
    // Inserts RowCount copies of rows FirstRow..LastRow at DestRow and ColCount copies of columns
    // FirstCol..LastCol at DestCol, copying the shapes inside them.
    void InsertAndCopyRowsAndCols(Integer FirstRow, Integer LastRow, Integer DestRow, Integer RowCount,
                                  Integer FirstCol, Integer LastCol, Integer DestCol, Integer ColCount,
                                  const TSheetInfo& SheetInfo, TEscherSheet* Sheet);
    void ArrangeCopySheet(const TSheetInfo& SheetInfo);
    // Around a change of column widths or row heights: every anchor's absolute rectangle is
    // saved before and the anchors recomputed from it after.
    void SaveObjectCoords(TEscherSheet* Sheet);
    void RestoreObjectCoords(TEscherSheet* Sheet);

    TEscherContainerRecord* DrawingContainer() const { return FDrawingContainer.get(); }
    TEscherDwgCache& Caches() { return FCaches; }
    const TEscherDwgCache& Caches() const { return FCaches; }
    TDrawingGroup* Group() const { return FGroup; }

private:
    std::unique_ptr<TEscherContainerRecord> FDrawingContainer;
    TEscherDwgCache FCaches;
    TDrawingGroup* FGroup;

    void ResetCaches();
    void CreateBasicDrawingInfo();
    TEscherSpgrContainerRecord* RequirePatriarch() const;
    TEscherOPTRecord* Image(Integer N) const;
    // Takes the shape-level record holding Rec out of the patriarch, freeing it.
    void RemoveShape(TEscherRecord* Rec);
    std::unique_ptr<TEscherSpContainerRecord> NewShape(Word VerInst);
    TEscherClientDataRecord* AddClientData(TEscherSpContainerRecord* Shape,
                                           std::unique_ptr<TBaseClientData> Data);
    void LoadStream(TOle2File& Stream, TRecordHeader& Header, std::unique_ptr<TBaseRecord> FirstRecord,
                    TSST* SST);
};
