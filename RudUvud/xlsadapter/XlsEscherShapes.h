#pragma once

#include "RudUvud/xlsadapter/VovMessages.h"
#include "RudUvud/xlsadapter/XlsEscher.h"

#include <array>

class TStream;

// The drawing records whose contents the engine reads and changes: anchors, shapes, drawing and
// drawing-group records with their shape-id clusters, shape options with their picture
// references, the picture store, the group container that becomes a drawing's patriarch, and the
// records the engine writes when it builds drawings. Records of these classes register in their
// drawing's look-up lists when they are created (from a file, as a copy or by the engine) and
// leave them when destroyed, unless the whole drawing is being torn down.

// The corners of a shape measured from the sheet's top-left corner: horizontally in 1/256 of a
// character, vertically in twips.
struct TAbsoluteAnchorRect {
    Integer LeftPos = 0;
    Integer RightPos = 0;
    Integer TopPos = 0;
    Integer BottomPos = 0;
};

// Position of column Col plus Offset/1024 of its width, and the inverse (column and offset of a
// position). Likewise rows with Offset/255 of their height.
Int64 EscherColPos(const TEscherSheet& Sheet, Integer Col, Integer Offset);
Int64 EscherRowPos(const TEscherSheet& Sheet, Integer Row, Integer Offset);
void EscherColOfPos(const TEscherSheet& Sheet, Int64 X, Word& Col, Word& Offset);
void EscherRowOfPos(const TEscherSheet& Sheet, Int64 Y, Word& Row, Word& Offset);

// Ties a shape to cells (0xF010). Placement kind (bits 0-1 of AnchorFlags): 0 move and resize
// with the cells, 1 autofilter arrow (moves like 2, never copied), 2 move but keep the size,
// 3 neither move nor resize.
class TEscherClientAnchorRecord : public TEscherDataRecord {
public:
    TEscherClientAnchorRecord(const TEscherRecordHeader& Header, TEscherDwgGroupCache* aGroupCaches,
                              TEscherDwgCache* aDrawingCaches, TEscherContainerRecord* aParentContainer);
    // A new anchor (VerInst 0) with its absolute rectangle saved for Sheet.
    TEscherClientAnchorRecord(const TClientAnchor& Anchor, TEscherDwgGroupCache* aGroupCaches,
                              TEscherDwgCache* aDrawingCaches, TEscherContainerRecord* aParentContainer,
                              TEscherSheet* Sheet);
    ~TEscherClientAnchorRecord() override;
    std::unique_ptr<TEscherRecord> Create(const TEscherRecordHeader& Header,
                                          TEscherDwgGroupCache* aGroupCaches, TEscherDwgCache* aDrawingCaches,
                                          TEscherContainerRecord* aParentContainer) const override;
    std::unique_ptr<TEscherRecord> DoCopyTo(TEscherDwgCache* aDrawingCaches, Integer RowOffset,
                                            Integer ColOffset, TEscherSheet* Sheet) override;
    void ArrangeInsertRowsAndCols(Integer RowPos, Integer RowCount, Integer ColPos, Integer ColCount,
                                  const TSheetInfo& SheetInfo, bool ForceMove, TEscherSheet* Sheet) override;

    // The 18 body bytes (a shorter body reads as zeros past its end).
    TClientAnchor GetAnchor() const;
    // Copies the 18 bytes, then saves the absolute rectangle.
    void SetAnchor(const TClientAnchor& Anchor, TEscherSheet* Sheet);
    Word Row() const { return GetAnchor().StartRow; }
    Word Col() const { return GetAnchor().StartCol; }
    Integer PlacementKind() const { return GetAnchor().AnchorFlags & 3; }
    void SaveObjectCoords(TEscherSheet* Sheet);
    void RestoreObjectCoords(TEscherSheet* Sheet);
    bool AllowCopy(Integer FirstRow, Integer LastRow, Integer FirstCol, Integer LastCol) const;
    bool AllowDelete(Integer FirstRow, Integer LastRow, Integer FirstCol, Integer LastCol) const;
    TAbsoluteAnchorRect SavedRect;

private:
    void PutAnchor(const TClientAnchor& Anchor);
    void Register();
};

// A shape (0xF00A): shape id and flags; the instance is the shape type.
class TEscherSPRecord : public TEscherDataRecord {
public:
    TEscherSPRecord(const TEscherRecordHeader& Header, TEscherDwgGroupCache* aGroupCaches,
                    TEscherDwgCache* aDrawingCaches, TEscherContainerRecord* aParentContainer);
    TEscherSPRecord(Word aVerInst, LongWord ShapeId, LongWord Flags, TEscherDwgGroupCache* aGroupCaches,
                    TEscherDwgCache* aDrawingCaches, TEscherContainerRecord* aParentContainer);
    ~TEscherSPRecord() override;
    std::unique_ptr<TEscherRecord> Create(const TEscherRecordHeader& Header,
                                          TEscherDwgGroupCache* aGroupCaches, TEscherDwgCache* aDrawingCaches,
                                          TEscherContainerRecord* aParentContainer) const override;
    // The copy takes a fresh id from the target drawing.
    std::unique_ptr<TEscherRecord> DoCopyTo(TEscherDwgCache* aDrawingCaches, Integer RowOffset,
                                            Integer ColOffset, TEscherSheet* Sheet) override;

    LongWord ShapeId() const { return BodyLongWord(0); }
    void SetShapeId(LongWord Value) { SetBodyLongWord(0, Value); }
    LongWord Flags() const { return BodyLongWord(4); }

private:
    void Register();
};

// A shape container (0xF004) with links to its parts (not owned).
class TEscherSpContainerRecord : public TEscherContainerRecord {
public:
    using TEscherContainerRecord::TEscherContainerRecord;
    // A new, empty shape container.
    TEscherSpContainerRecord(TEscherDwgGroupCache* aGroupCaches, TEscherDwgCache* aDrawingCaches,
                             TEscherContainerRecord* aParentContainer);
    ~TEscherSpContainerRecord() override;
    std::unique_ptr<TEscherRecord> Create(const TEscherRecordHeader& Header,
                                          TEscherDwgGroupCache* aGroupCaches, TEscherDwgCache* aDrawingCaches,
                                          TEscherContainerRecord* aParentContainer) const override;

    TEscherSPRecord* ShapeRec = nullptr;
    TEscherOPTRecord* OptRec = nullptr;
    TEscherClientAnchorRecord* AnchorRec = nullptr;
};

// A group-shape container (0xF003); the first one of a drawing is its patriarch.
class TEscherSpgrContainerRecord : public TEscherContainerRecord {
public:
    TEscherSpgrContainerRecord(const TEscherRecordHeader& Header, TEscherDwgGroupCache* aGroupCaches,
                               TEscherDwgCache* aDrawingCaches, TEscherContainerRecord* aParentContainer);
    // A new, empty group container.
    TEscherSpgrContainerRecord(TEscherDwgGroupCache* aGroupCaches, TEscherDwgCache* aDrawingCaches,
                               TEscherContainerRecord* aParentContainer);
    ~TEscherSpgrContainerRecord() override;
    std::unique_ptr<TEscherRecord> Create(const TEscherRecordHeader& Header,
                                          TEscherDwgGroupCache* aGroupCaches, TEscherDwgCache* aDrawingCaches,
                                          TEscherContainerRecord* aParentContainer) const override;

private:
    void Register();
};

// A drawing record (0xF008): shapes in the drawing and the last shape id handed out; the
// instance is the drawing id.
class TEscherDgRecord : public TEscherDataRecord {
public:
    TEscherDgRecord(const TEscherRecordHeader& Header, TEscherDwgGroupCache* aGroupCaches,
                    TEscherDwgCache* aDrawingCaches, TEscherContainerRecord* aParentContainer);
    TEscherDgRecord(LongWord ShapeCount, Word DrawingId, LongWord FirstShapeId,
                    TEscherDwgGroupCache* aGroupCaches, TEscherDwgCache* aDrawingCaches,
                    TEscherContainerRecord* aParentContainer);
    ~TEscherDgRecord() override;
    std::unique_ptr<TEscherRecord> Create(const TEscherRecordHeader& Header,
                                          TEscherDwgGroupCache* aGroupCaches, TEscherDwgCache* aDrawingCaches,
                                          TEscherContainerRecord* aParentContainer) const override;
    // The copy takes a new drawing id and cluster from the drawing group.
    std::unique_ptr<TEscherRecord> DoCopyTo(TEscherDwgCache* aDrawingCaches, Integer RowOffset,
                                            Integer ColOffset, TEscherSheet* Sheet) override;

    LongWord ShapesInDrawing() const { return BodyLongWord(0); }
    LongWord LastShapeId() const { return BodyLongWord(4); }
    Word DrawingId() const { return Instance(); }
    // Hands out the next shape id of the drawing.
    LongWord IncMaxShapeId();
    void DecShapeCount();

private:
    void Register();
};

// The drawing-group record (0xF006): shape-id limit, shape and drawing counts, and the cluster
// slots that hand out shape ids 1024 at a time.
class TEscherDggRecord : public TEscherDataRecord {
public:
    TEscherDggRecord(const TEscherRecordHeader& Header, TEscherDwgGroupCache* aGroupCaches,
                     TEscherDwgCache* aDrawingCaches, TEscherContainerRecord* aParentContainer);
    // The record of a new drawing group: limit 2, one slot count, no shapes, no drawings.
    TEscherDggRecord(TEscherDwgGroupCache* aGroupCaches, TEscherDwgCache* aDrawingCaches,
                     TEscherContainerRecord* aParentContainer);
    ~TEscherDggRecord() override;
    std::unique_ptr<TEscherRecord> Create(const TEscherRecordHeader& Header,
                                          TEscherDwgGroupCache* aGroupCaches, TEscherDwgCache* aDrawingCaches,
                                          TEscherContainerRecord* aParentContainer) const override;

    LongWord ShapeIdLimit() const { return BodyLongWord(0); }
    LongWord ClusterSlots() const { return BodyLongWord(4); }
    LongWord SavedShapes() const { return BodyLongWord(8); }
    LongWord SavedDrawings() const { return BodyLongWord(12); }
    void SetSavedDrawings(LongWord Value) { SetBodyLongWord(12, Value); }
    // Cluster slots present: the stored count, bounded by the body.
    Integer SlotCount() const;
    LongWord ClusterDrawing(Integer Slot) const { return BodyLongWord(16 + 8 * Slot); }
    LongWord ClusterIdsUsed(Integer Slot) const { return BodyLongWord(20 + 8 * Slot); }

    void GetNewCluster(Word& DrawingId, bool NewDrawing, Int64 UsedIds, LongWord& FirstShapeId);
    void GetNewDgIdAndCluster(Word& DrawingId, LongWord& FirstShapeId);
    void AddNewCluster(Word DrawingId, Int64 UsedIds, LongWord& FirstShapeId);
    void DestroyClusters(Word DrawingId);
    // Hands out one shape id to the drawing, after LastShapeId.
    Int64 AddImage(Word DrawingId, LongWord LastShapeId);
    void RemoveImage(Word DrawingId);
    bool IsEmpty() const { return SavedDrawings() == 0; }

private:
    void Register();
};

// A picture-store entry (0xF007): type byte, digest, reference count, then the picture record.
class TEscherBSERecord : public TEscherDataRecord {
public:
    TEscherBSERecord(const TEscherRecordHeader& Header, TEscherDwgGroupCache* aGroupCaches,
                     TEscherDwgCache* aDrawingCaches, TEscherContainerRecord* aParentContainer);
    std::unique_ptr<TEscherRecord> Create(const TEscherRecordHeader& Header,
                                          TEscherDwgGroupCache* aGroupCaches, TEscherDwgCache* aDrawingCaches,
                                          TEscherContainerRecord* aParentContainer) const override;
    // A loaded entry starts with no references: the option records that refer to it count
    // themselves in as they load, so the count never trusts the file.
    void AfterCreate() override;
    // By length, then by the 16 digest bytes.
    Integer CompareRec(const TEscherRecord& Other) const override;

    void AddRef();
    // One reference less; at 0 the entry leaves the store and is freed.
    void Release();
    LongWord References() const { return FRefs; }
    // Fills a new entry: DataLength must be the picture's size + 44.
    void CopyFromData(const Byte* Head, const Byte* PictureHeader, const ByteArray& Picture);
    // Writes the picture file's bytes (a bitmap with a file header) and gives its type.
    void SaveGraphicToStream(TStream& Stream, TXlsImgTypes& ImgType) const;

    Byte PictureType() const { return BodyByte(0); }
    LongWord StorePosition = 0;

private:
    LongWord FRefs = 0;
    void StoreRefs();
};

// The picture store (0xF001): the workbook's picture-store entries.
class TEscherBStoreRecord : public TEscherContainerRecord {
public:
    TEscherBStoreRecord(const TEscherRecordHeader& Header, TEscherDwgGroupCache* aGroupCaches,
                        TEscherDwgCache* aDrawingCaches, TEscherContainerRecord* aParentContainer);
    // A new, empty store (VerInst 0x002F).
    TEscherBStoreRecord(TEscherDwgGroupCache* aGroupCaches, TEscherDwgCache* aDrawingCaches,
                        TEscherContainerRecord* aParentContainer);
    ~TEscherBStoreRecord() override;
    std::unique_ptr<TEscherRecord> Create(const TEscherRecordHeader& Header,
                                          TEscherDwgGroupCache* aGroupCaches, TEscherDwgCache* aDrawingCaches,
                                          TEscherContainerRecord* aParentContainer) const override;
    // Numbers the entries 1, 2, ... as loaded, so that sheets saved before the store still
    // write true positions.
    void AfterCreate() override { NumberEntries(); }
    // Numbers the entries 1, 2, ... before saving.
    void SaveToStream(TOle2File& DataStream, TBreakList* BreakList) override;
    void NumberEntries();
    // The entry at a 1-based position, null outside the store or for a child of another class.
    TEscherBSERecord* Entry(LongWord Position) const;

private:
    void Register();
};

// Shape options (0xF00B): a property table of n 6-byte entries (n the instance), then the complex
// data. Property words with bit 14 set and bit 15 clear refer to a picture-store entry.
class TEscherOPTRecord : public TEscherDataRecord {
public:
    TEscherOPTRecord(const TEscherRecordHeader& Header, TEscherDwgGroupCache* aGroupCaches,
                     TEscherDwgCache* aDrawingCaches, TEscherContainerRecord* aParentContainer);
    // Picture options: the picture goes into the store and is referenced at once.
    TEscherOPTRecord(const ByteArray& Bytes, TXlsImgTypes ImgType, const WideString& Name,
                     TEscherDwgGroupCache* aGroupCaches, TEscherDwgCache* aDrawingCaches,
                     TEscherContainerRecord* aParentContainer);
    // The drawing group's default options.
    TEscherOPTRecord(TEscherDwgGroupCache* aGroupCaches, TEscherDwgCache* aDrawingCaches,
                     TEscherContainerRecord* aParentContainer);
    // Comment box options (the integer is not used).
    TEscherOPTRecord(TEscherDwgGroupCache* aGroupCaches, TEscherDwgCache* aDrawingCaches,
                     TEscherContainerRecord* aParentContainer, Integer Dummy);
    // Autofilter arrow options (the integers are not used).
    TEscherOPTRecord(TEscherDwgGroupCache* aGroupCaches, TEscherDwgCache* aDrawingCaches,
                     TEscherContainerRecord* aParentContainer, Integer Dummy1, Integer Dummy2);
    ~TEscherOPTRecord() override;
    std::unique_ptr<TEscherRecord> Create(const TEscherRecordHeader& Header,
                                          TEscherDwgGroupCache* aGroupCaches, TEscherDwgCache* aDrawingCaches,
                                          TEscherContainerRecord* aParentContainer) const override;
    std::unique_ptr<TEscherRecord> DoCopyTo(TEscherDwgCache* aDrawingCaches, Integer RowOffset,
                                            Integer ColOffset, TEscherSheet* Sheet) override;
    // Reads the picture references and the shape name (in a sheet drawing only).
    void AfterCreate() override;
    // Writes each referenced entry's current store position into the body first.
    void SaveToStream(TOle2File& DataStream, TBreakList* BreakList) override;

    // Puts the picture into the store (shared with an equal one) and references it; returns its
    // 0-based store position.
    Integer AddImg(const ByteArray& Bytes, TXlsImgTypes ImgType);
    void ReplaceImg(const ByteArray& Bytes, TXlsImgTypes ImgType);
    void ChangeRef(TEscherBSERecord* Entry);
    void GetImageFromStream(TStream& Stream, TXlsImgTypes& ImgType) const;
    WideString GetShapeName() const { return ShapeNameText; }
    Word Row();
    TClientAnchor GetAnchor();
    void SetAnchor(const TClientAnchor& Anchor, TEscherSheet* Sheet);

    std::vector<TEscherBSERecord*> BlipRefs;
    std::vector<LongWord> BlipOffsets;
    WideString ShapeNameText;

private:
    // Finds an entry equal to NewEntry in the store or inserts NewEntry; the entry to use.
    TEscherBSERecord* StoreEntry(std::unique_ptr<TEscherRecord> NewEntry);
    void Register();
    void ReleaseRefs();
};

// The records the engine writes into a new drawing group, besides the options above.
class TEscherSplitMenuRecord : public TEscherDataRecord {
public:
    using TEscherDataRecord::TEscherDataRecord;
    // The split-menu colours of a new drawing group.
    TEscherSplitMenuRecord(TEscherDwgGroupCache* aGroupCaches, TEscherDwgCache* aDrawingCaches,
                           TEscherContainerRecord* aParentContainer);
    std::unique_ptr<TEscherRecord> Create(const TEscherRecordHeader& Header,
                                          TEscherDwgGroupCache* aGroupCaches, TEscherDwgCache* aDrawingCaches,
                                          TEscherContainerRecord* aParentContainer) const override;
};

// A data record with fixed contents built by the engine: the group coordinates (0x0001, 0xF009,
// 16 zero bytes) of a new patriarch.
std::unique_ptr<TEscherDataRecord> NewEscherGroupCoords(TEscherDwgGroupCache* GroupCaches,
                                                        TEscherDwgCache* DrawingCaches,
                                                        TEscherContainerRecord* ParentContainer);
