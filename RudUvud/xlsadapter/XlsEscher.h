#pragma once

#include "RudUvud/xlsadapter/BaseRecords.h"
#include "RudUvud/xlsadapter/XlsBreakList.h"

#include <memory>
#include <vector>

// The drawing record tree. Everything a workbook draws is stored as an Office drawing record
// stream ("Escher"): one stream for the workbook in MSODRAWINGGROUP records, one per sheet in
// MSODRAWING records interleaved with the OBJ and TXO records that describe each shape to the
// spreadsheet. Every record of a stream, known or not, becomes a node of this tree; records the
// engine has no reason to change are written back with the bytes they were read with.
//
// Loading follows the BIFF records one at a time without buffering the stream: a record may stay
// half-loaded at the end of one BIFF record and be completed with the next. Every length read
// from a file is checked against its container before it is used, bodies grow as their bytes
// arrive (a header claiming 2 GB allocates nothing), and containers nest at most
// EscherMaxDepth deep, so a hostile stream can neither exhaust memory nor the stack.

class TSST;
class TEscherRecord;
class TEscherContainerRecord;
class TEscherClientDataRecord;
class TEscherDgRecord;
class TEscherDggRecord;
class TEscherBStoreRecord;
class TEscherSolverContainerRecord;
class TEscherSpgrContainerRecord;
class TEscherClientAnchorRecord;
class TEscherSPRecord;
class TEscherOPTRecord;

inline constexpr Word xlr_MSODRAWINGGROUP = 0x00EB;
inline constexpr Word xlr_MSODRAWING = 0x00EC;
inline constexpr Word xlr_MSODRAWINGSELECTION = 0x00ED;
// Escher bytes a BIFF record carries at most.
inline constexpr Integer EscherMaxPiece = 8224;
// Deepest container nesting a loaded stream may have (real files use four or five levels).
inline constexpr Integer EscherMaxDepth = 64;

// The 8-byte header of every Escher record, little-endian on file.
struct TEscherRecordHeader {
    Word VerInst = 0; // bits 0-3 version, bits 4-15 instance
    Word RecType = 0; // 0xF000..0xFFFF
    LongWord Length = 0;

    Word Instance() const { return static_cast<Word>(VerInst >> 4); }
    Word Version() const { return static_cast<Word>(VerInst & 0x0F); }
    bool IsContainer() const { return (VerInst & 0x0F) == 0x0F; }
    static TEscherRecordHeader FromBytes(const Byte* B);
    void ToBytes(Byte* B) const;
};

// The cell sizes a drawing measures its anchors with: the sheet the drawing belongs to. Column
// widths are in 1/256 of a character, row heights in twips; hidden columns and rows count as 0.
class TEscherSheet {
public:
    virtual ~TEscherSheet() = default;
    virtual Integer GetColWidth(Integer Col) const = 0;
    virtual Integer GetRowHeight(Integer Row) const = 0;
};

// The BIFF record a stream is being read from, the read position in it and the bytes left in
// it and its CONTINUE chain. Reads move into the CONTINUE chain as needed.
struct TEscherReader {
    const TBaseRecord* Record = nullptr;
    Integer Position = 0;
    Int64 Left = 0;

    TEscherReader(const TBaseRecord* aRecord, Integer aPosition);
    // Count bytes into Buffer (null skips them); fewer left raises "Error reading record".
    void Read(void* Buffer, Integer Count);
    bool UsedUp() const { return Left <= 0; }
};

// The kind of client data a record waits for: the spreadsheet's description of a shape that
// follows the MSODRAWING record as separate BIFF records.
enum TClientDataClass {
    cdcNone, // nothing awaited
    cdcObj,  // an OBJ record (ZIvObj)
    cdcTXO,  // a TXO record with its text (TTXO)
};
// The BIFF record id the awaited client data starts with (0x005D OBJ, 0x01B6 TXO; 0 for none).
Word ClientDataRecordId(TClientDataClass Class);

// What every client data object (the OBJ and TXO holders) provides to the tree. The tree owns the
// object through its client data record, saves it between the Escher pieces and passes row,
// column and sheet changes to it.
class TBaseClientData : public TObject {
public:
    // The drawing object id (16-bit) the client data carries; 0 when it has none.
    virtual Word GetId() const { return 0; }
    virtual void SetId(Word Id) {}
    // Takes the next free object id from the drawing's counter (LastId is raised).
    virtual void ArrangeId(Word& LastId) {}
    // Frees the held records.
    virtual void Clear() = 0;
    // A deep copy.
    virtual std::unique_ptr<TBaseClientData> CopyTo() const = 0;
    // Takes over FirstRecord, the BIFF record the loader read (its header in RecHeader), and may
    // read more records from DataStream, leaving RecHeader at the record after them.
    virtual void LoadFromStream(TOle2File& DataStream, TRecordHeader& RecHeader,
                                std::unique_ptr<TBaseRecord> FirstRecord, TSST* SST) = 0;
    // Writes its BIFF records whole; exactly TotalSize bytes.
    virtual void SaveToStream(TOle2File& DataStream) = 0;
    virtual Int64 TotalSize() const = 0;
    // Follow-up after the shape was copied RowOffset rows and ColOffset columns away.
    virtual void ArrangeCopyRowsAndCols(Integer RowOffset, Integer ColOffset) {}
    virtual void ArrangeInsertRowsAndCols(Integer RowPos, Integer RowCount, Integer ColPos, Integer ColCount,
                                          const TSheetInfo& SheetInfo) = 0;
    virtual void ArrangeCopySheet(const TSheetInfo& SheetInfo) = 0;
};

// Look-up lists a sheet drawing keeps over its tree. They do not own their records: the records
// add and remove themselves.
class TEscherRecordCache : public TObject {
public:
    Integer Count() const { return static_cast<Integer>(FList.size()); }
    TEscherRecord* Items(Integer Index) const { return FList.at(static_cast<size_t>(Index)); }
    virtual void Add(TEscherRecord* Rec) { FList.push_back(Rec); }
    // Takes the record out of the list; nothing when it is not there.
    void Remove(TEscherRecord* Rec);
    Integer IndexOf(const TEscherRecord* Rec) const;
    void ArrangeInsertRowsAndCols(Integer RowPos, Integer RowCount, Integer ColPos, Integer ColCount,
                                  const TSheetInfo& SheetInfo, bool ForceMove, TEscherSheet* Sheet);

protected:
    std::vector<TEscherRecord*> FList;
};

class TEscherAnchorCache : public TEscherRecordCache {
public:
    TEscherClientAnchorRecord* Anchor(Integer Index) const;
};

// Client data and client text box records.
class TEscherObjCache : public TEscherRecordCache {
public:
    TEscherClientDataRecord* Obj(Integer Index) const;
    void ArrangeCopySheet(const TSheetInfo& SheetInfo);
};

// Shape records, searched by shape id.
class TEscherShapeCache : public TEscherRecordCache {
public:
    void Add(TEscherRecord* Rec) override;
    TEscherSPRecord* Shape(Integer Index) const;
    bool IsSorted() const { return FIsSorted; }
    void Sort();
    // Sorts first when needed; true with the index of the shape of that id, or false with the
    // insertion index.
    bool Find(LongWord ShapeId, Integer& Index);

private:
    bool FIsSorted = false;
};

// Option records that refer to at least one picture: the sheet's images, in the order they were
// loaded or added.
class TEscherOPTCache : public TEscherRecordCache {
public:
    TEscherOPTRecord* Opt(Integer Index) const;
};

// The look-up state of one sheet drawing, owned by the drawing. The drawing group's records get
// one without lists: records register in a cache only when it has its lists, so the group's
// cache stays empty.
struct TEscherDwgCache {
    // Set while the drawing is destroyed as a whole: records then skip list and counter upkeep.
    bool Destroying = false;
    Word LastObjId = 0;
    TEscherDgRecord* DgRecord = nullptr;
    TEscherSolverContainerRecord* SolverRecord = nullptr;
    TEscherSpgrContainerRecord* PatriarchRecord = nullptr;
    std::unique_ptr<TEscherAnchorCache> AnchorList;
    std::unique_ptr<TEscherShapeCache> ShapeList;
    std::unique_ptr<TEscherObjCache> ObjList;
    std::unique_ptr<TEscherOPTCache> BlipList;

    bool HasLists() const { return AnchorList != nullptr; }
    void CreateLists();
    void FreeLists();
};

// The workbook's picture store and drawing-group record, owned by the drawing group.
struct TEscherDwgGroupCache {
    TEscherBStoreRecord* BStoreRecord = nullptr;
    TEscherDggRecord* DggRecord = nullptr;
    // Set while a drawing that failed to load gives its picture references back: the sheets
    // after it still refer to the store by position, so an entry left without references stays.
    bool KeepEntries = false;
};

// The children of a container, owned. Removing a record frees it after it has left the list, so
// a destructor that reaches back into the tree never sees a half-removed slot.
class TEscherRecordList {
public:
    TEscherRecordList() = default;
    ~TEscherRecordList() { Clear(); }
    TEscherRecordList(const TEscherRecordList&) = delete;
    TEscherRecordList& operator=(const TEscherRecordList&) = delete;

    Integer Count() const { return static_cast<Integer>(FList.size()); }
    TEscherRecord* Items(Integer Index) const { return FList.at(static_cast<size_t>(Index)).get(); }
    Integer IndexOf(const TEscherRecord* Rec) const;
    Integer Add(std::unique_ptr<TEscherRecord> Rec);
    void Insert(Integer Index, std::unique_ptr<TEscherRecord> Rec);
    // Frees the item.
    void Delete(Integer Index);
    std::unique_ptr<TEscherRecord> Extract(Integer Index);
    // Frees every item, the last first.
    void Clear();

    bool IsSorted() const { return FIsSorted; }
    void Sort();
    // Sorts first when needed; true with the index of an equal record, or false with the
    // insertion index.
    bool Find(const TEscherRecord& Rec, Integer& Index);
    void SaveToStream(TOle2File& DataStream, TBreakList* BreakList);
    Int64 TotalSizeNoSplit() const;
    // Appends a copy of every item of Source (nothing for a null source).
    void CopyFrom(const TEscherRecordList* Source, TEscherDwgCache* DrawingCaches, Integer RowOffset,
                  Integer ColOffset, TEscherSheet* Sheet);

private:
    std::vector<std::unique_ptr<TEscherRecord>> FList;
    bool FIsSorted = false;
};

// Every record of the tree. A record belongs to exactly one drawing for its whole life; a copy
// into another sheet is a new record with the other sheet's caches.
class TEscherRecord : public TObject {
public:
    TEscherRecord(const TEscherRecordHeader& Header, TEscherDwgGroupCache* aGroupCaches,
                  TEscherDwgCache* aDrawingCaches, TEscherContainerRecord* aParentContainer);
    ~TEscherRecord() override = default;
    TEscherRecord(const TEscherRecord&) = delete;
    TEscherRecord& operator=(const TEscherRecord&) = delete;

    // The virtual constructor: a record of this class from a header.
    virtual std::unique_ptr<TEscherRecord> Create(const TEscherRecordHeader& Header,
                                                  TEscherDwgGroupCache* aGroupCaches,
                                                  TEscherDwgCache* aDrawingCaches,
                                                  TEscherContainerRecord* aParentContainer) const = 0;
    // Copies this record into the drawing of DrawingCaches (the same or another sheet's),
    // RowOffset rows and ColOffset columns away. Sets CopyTarget.
    virtual std::unique_ptr<TEscherRecord> DoCopyTo(TEscherDwgCache* aDrawingCaches, Integer RowOffset,
                                                    Integer ColOffset, TEscherSheet* Sheet);
    // Called once the record is complete after loading.
    virtual void AfterCreate() {}
    // Reads body bytes from the BIFF record in hand.
    virtual void Load(TEscherReader& Reader) = 0;
    virtual void SaveToStream(TOle2File& DataStream, TBreakList* BreakList);
    // The full Escher size: 8 + body (a container's body is the sum of its current children).
    virtual Int64 TotalSizeNoSplit() const { return 8; }
    // True when every body byte has been loaded.
    virtual bool Loaded() const;
    virtual bool WaitingClientData(TClientDataClass& ClientClass) const;
    virtual void AssignClientData(std::unique_ptr<TBaseClientData> ClientData);
    // Plans the BIFF records of the save (see TBreakList). PieceUsed counts the Escher bytes in
    // the current BIFF record, TotalBytes every byte the save writes, PendingRecordId a BIFF
    // record that must start before the next Escher byte (-1 none). BreakList may be null when
    // only TotalBytes is wanted.
    virtual void SplitRecords(Int64& PieceUsed, Int64& TotalBytes, Integer& PendingRecordId,
                              TBreakList* BreakList);
    // Counts are negative for deletion.
    virtual void ArrangeInsertRowsAndCols(Integer RowPos, Integer RowCount, Integer ColPos, Integer ColCount,
                                          const TSheetInfo& SheetInfo, bool ForceMove, TEscherSheet* Sheet)
    {
    }
    virtual void ClearCopiedTo() { FCopyTarget = nullptr; }
    // -1, 0 or 1: by type, then VerInst, then length.
    virtual Integer CompareRec(const TEscherRecord& Other) const;

    // Null for a null record, else DoCopyTo.
    static std::unique_ptr<TEscherRecord> CopyTo(TEscherRecord* Rec, TEscherDwgCache* aDrawingCaches,
                                                 Integer RowOffset, Integer ColOffset, TEscherSheet* Sheet);
    // Duplicates the shape holding this record inside its own drawing (appended to the
    // patriarch) and returns the copy of this record.
    TEscherRecord* CopyDwg(Integer RowOffset, Integer ColOffset, TEscherSheet* Sheet);
    // The shape-level record (a child of the patriarch) holding this record; this record when
    // it has no drawing caches; null when the climb does not meet the patriarch.
    TEscherRecord* FindRoot();
    TEscherSpgrContainerRecord* Patriarch() const;

    TEscherContainerRecord* ParentContainer() const { return FParentContainer; }
    TEscherDwgCache* DrawingCaches() const { return FDrawingCaches; }
    TEscherDwgGroupCache* GroupCaches() const { return FGroupCaches; }
    Word VerInst() const { return FVerInst; }
    void SetVerInst(Word Value) { FVerInst = Value; }
    Word RecType() const { return FRecType; }
    Word Instance() const { return static_cast<Word>(FVerInst >> 4); }
    Word Version() const { return static_cast<Word>(FVerInst & 0x0F); }
    bool IsContainer() const { return (FVerInst & 0x0F) == 0x0F; }
    Integer DataLength() const { return FDataLength; }
    Integer LoadedLength() const { return FLoadedLength; }
    TEscherRecord* CopyTarget() const { return FCopyTarget; }
    // The header this record is written with.
    TEscherRecordHeader Header() const;
    // Nesting level: 0 for a root.
    Integer Depth() const;

    // Save steps shared by every class.
    static void IncNextPos(Int64& PieceUsed, Int64 Size, Int64& TotalBytes, TBreakList* BreakList);
    static void CheckSplit(TOle2File& DataStream, TBreakList* BreakList);
    static void WriteNewRecord(TOle2File& DataStream, TBreakList* BreakList);
    // Writes Count bytes, starting new BIFF records at the planned cuts.
    static void WriteSplit(TOle2File& DataStream, TBreakList* BreakList, const Byte* Bytes, Int64 Count);

protected:
    TEscherContainerRecord* FParentContainer;
    TEscherDwgCache* FDrawingCaches;
    TEscherDwgGroupCache* FGroupCaches;
    Word FVerInst;
    Word FRecType;
    Integer FDataLength;
    Integer FLoadedLength = 0;
    TEscherRecord* FCopyTarget = nullptr;

    // The parent a copy of this record gets (see DoCopyTo).
    TEscherContainerRecord* ParentForCopy() const;
    // True when list and counter upkeep should run (a sheet drawing not being torn down).
    bool SheetUpkeep() const
    {
        return FDrawingCaches && FDrawingCaches->HasLists() && !FDrawingCaches->Destroying;
    }
    bool InSheet() const { return FDrawingCaches && FDrawingCaches->HasLists(); }
    friend class TEscherContainerRecord;
};

// An atom: its body is opaque bytes to the tree.
class TEscherDataRecord : public TEscherRecord {
public:
    TEscherDataRecord(const TEscherRecordHeader& Header, TEscherDwgGroupCache* aGroupCaches,
                      TEscherDwgCache* aDrawingCaches, TEscherContainerRecord* aParentContainer);
    std::unique_ptr<TEscherRecord> Create(const TEscherRecordHeader& Header,
                                          TEscherDwgGroupCache* aGroupCaches, TEscherDwgCache* aDrawingCaches,
                                          TEscherContainerRecord* aParentContainer) const override;
    std::unique_ptr<TEscherRecord> DoCopyTo(TEscherDwgCache* aDrawingCaches, Integer RowOffset,
                                            Integer ColOffset, TEscherSheet* Sheet) override;
    void Load(TEscherReader& Reader) override;
    void SaveToStream(TOle2File& DataStream, TBreakList* BreakList) override;
    Int64 TotalSizeNoSplit() const override { return 8 + Int64(FDataLength); }
    void SplitRecords(Int64& PieceUsed, Int64& TotalBytes, Integer& PendingRecordId,
                      TBreakList* BreakList) override;
    // After the base comparison, the body bytes in order.
    Integer CompareRec(const TEscherRecord& Other) const override;

    // The body bytes loaded so far (all of them once the record is complete).
    const ByteArray& Data() const { return FData; }
    ByteArray& Data() { return FData; }
    void ClearData() { std::fill(FData.begin(), FData.end(), Byte(0)); }
    // Replaces the body of a complete record; its length follows.
    void SetBody(ByteArray Body);

    // Field access that never leaves the body: reads past it give 0, writes past it are dropped.
    Byte BodyByte(Integer Pos) const;
    Word BodyWord(Integer Pos) const;
    LongWord BodyLongWord(Integer Pos) const;
    void SetBodyWord(Integer Pos, Word Value);
    void SetBodyLongWord(Integer Pos, LongWord Value);

protected:
    ByteArray FData;
    // For value constructors: the body is complete at once.
    void InitBody(ByteArray Body);
};

// A record whose body is a sequence of complete child records.
class TEscherContainerRecord : public TEscherRecord {
public:
    TEscherContainerRecord(const TEscherRecordHeader& Header, TEscherDwgGroupCache* aGroupCaches,
                           TEscherDwgCache* aDrawingCaches, TEscherContainerRecord* aParentContainer);
    // A new, empty container (complete from the start).
    TEscherContainerRecord(Word aVerInst, Word aRecType, TEscherDwgGroupCache* aGroupCaches,
                           TEscherDwgCache* aDrawingCaches, TEscherContainerRecord* aParentContainer);
    ~TEscherContainerRecord() override;
    std::unique_ptr<TEscherRecord> Create(const TEscherRecordHeader& Header,
                                          TEscherDwgGroupCache* aGroupCaches, TEscherDwgCache* aDrawingCaches,
                                          TEscherContainerRecord* aParentContainer) const override;
    std::unique_ptr<TEscherRecord> DoCopyTo(TEscherDwgCache* aDrawingCaches, Integer RowOffset,
                                            Integer ColOffset, TEscherSheet* Sheet) override;
    void Load(TEscherReader& Reader) override;
    void SaveToStream(TOle2File& DataStream, TBreakList* BreakList) override;
    Int64 TotalSizeNoSplit() const override { return 8 + FChildren.TotalSizeNoSplit(); }
    bool WaitingClientData(TClientDataClass& ClientClass) const override;
    void AssignClientData(std::unique_ptr<TBaseClientData> ClientData) override;
    void SplitRecords(Int64& PieceUsed, Int64& TotalBytes, Integer& PendingRecordId,
                      TBreakList* BreakList) override;
    void ArrangeInsertRowsAndCols(Integer RowPos, Integer RowCount, Integer ColPos, Integer ColCount,
                                  const TSheetInfo& SheetInfo, bool ForceMove, TEscherSheet* Sheet) override;
    void ClearCopiedTo() override;

    // Loads this root from the BIFF record in hand; Record and Position move past the bytes read.
    void LoadFrom(const TBaseRecord*& Record, Integer& Position);

    TEscherRecordList& Children() { return FChildren; }
    const TEscherRecordList& Children() const { return FChildren; }
    // The last child; "Error loading Escher record" when there is none.
    TEscherRecord* LastRecord() const;
    // The first child of class T (or a descendant), else null.
    template <class T> T* FindRec() const
    {
        for (Integer i = 0; i < FChildren.Count(); ++i)
            if (T* r = dynamic_cast<T*>(FChildren.Items(i)))
                return r;
        return nullptr;
    }

protected:
    TEscherRecordList FChildren;
};

// A client data record (0xF011): its Escher body is normally empty; the shape's OBJ record
// follows the MSODRAWING record and is held here as client data.
class TEscherClientDataRecord : public TEscherDataRecord {
public:
    TEscherClientDataRecord(const TEscherRecordHeader& Header, TEscherDwgGroupCache* aGroupCaches,
                            TEscherDwgCache* aDrawingCaches, TEscherContainerRecord* aParentContainer);
    // A new, empty 0xF011 record.
    TEscherClientDataRecord(TEscherDwgGroupCache* aGroupCaches, TEscherDwgCache* aDrawingCaches,
                            TEscherContainerRecord* aParentContainer);
    ~TEscherClientDataRecord() override;
    std::unique_ptr<TEscherRecord> Create(const TEscherRecordHeader& Header,
                                          TEscherDwgGroupCache* aGroupCaches, TEscherDwgCache* aDrawingCaches,
                                          TEscherContainerRecord* aParentContainer) const override;
    std::unique_ptr<TEscherRecord> DoCopyTo(TEscherDwgCache* aDrawingCaches, Integer RowOffset,
                                            Integer ColOffset, TEscherSheet* Sheet) override;
    void SaveToStream(TOle2File& DataStream, TBreakList* BreakList) override;
    bool WaitingClientData(TClientDataClass& ClientClass) const override;
    // Takes the client data and raises the drawing's LastObjId to its id.
    void AssignClientData(std::unique_ptr<TBaseClientData> ClientData) override;
    void SplitRecords(Int64& PieceUsed, Int64& TotalBytes, Integer& PendingRecordId,
                      TBreakList* BreakList) override;
    void ArrangeInsertRowsAndCols(Integer RowPos, Integer RowCount, Integer ColPos, Integer ColCount,
                                  const TSheetInfo& SheetInfo, bool ForceMove, TEscherSheet* Sheet) override;

    TBaseClientData* ClientData() const { return FClientData.get(); }
    // The client data's object id, 0 without client data.
    Word ObjId() const { return FClientData ? FClientData->GetId() : 0; }
    void ArrangeCopyRowsAndCols(Integer RowOffset, Integer ColOffset);

protected:
    std::unique_ptr<TBaseClientData> FClientData;
    virtual TClientDataClass ClientClass() const { return cdcObj; }

private:
    void Register();
};

// A client text box (0xF00D): the same for a text box whose text follows as a TXO record.
class TEscherClientTextBoxRecord : public TEscherClientDataRecord {
public:
    using TEscherClientDataRecord::TEscherClientDataRecord;
    // A new, empty 0xF00D record.
    TEscherClientTextBoxRecord(TEscherDwgGroupCache* aGroupCaches, TEscherDwgCache* aDrawingCaches,
                               TEscherContainerRecord* aParentContainer);
    std::unique_ptr<TEscherRecord> Create(const TEscherRecordHeader& Header,
                                          TEscherDwgGroupCache* aGroupCaches, TEscherDwgCache* aDrawingCaches,
                                          TEscherContainerRecord* aParentContainer) const override;

protected:
    TClientDataClass ClientClass() const override { return cdcTXO; }
};

// The record class for a header read from a file: the typed classes for the types the engine
// interprets, a plain data record or container for any other (the kind follows the version
// nibble, not the type). Refuses lengths that cannot be true: above 2^31 - 1, or longer than what
// is left of the parent container, and containers nested deeper than EscherMaxDepth.
std::unique_ptr<TEscherRecord> CreateEscherRecord(const TEscherRecordHeader& Header,
                                                  TEscherDwgGroupCache* GroupCaches,
                                                  TEscherDwgCache* DrawingCaches,
                                                  TEscherContainerRecord* ParentContainer);

// Creates the root container of a stream from its first 8 bytes (whatever type the header names).
std::unique_ptr<TEscherContainerRecord>
CreateEscherRoot(TEscherReader& Reader, TEscherDwgGroupCache* GroupCaches, TEscherDwgCache* DrawingCaches);

// The split walk and the save of a whole stream, as its owner runs them: RecordId is 0xEB for the
// drawing group, 0xEC for a sheet drawing. EscherStreamSize equals the bytes EscherSaveStream writes.
Int64 EscherStreamSize(TEscherRecord* Root, Word RecordId);
void EscherSaveStream(TEscherRecord* Root, Word RecordId, TOle2File& DataStream);
