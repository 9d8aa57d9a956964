#pragma once

#include "RudUvud/xlsadapter/BaseRecords.h"
#include "RudUvud/xlsadapter/OtherRecords.h"
#include "RudUvud/xlsadapter/VovMessages.h"
#include "RudUvud/xlsadapter/XlsEscher.h"

#include <memory>
#include <vector>

// The spreadsheet's side of a drawing shape: the OBJ record (0x5D) that follows a shape's client
// data in a sheet's drawing, and the TXO record (0x1B6) with the text of a text box. Both are
// kept as read; CONTINUE records after them that carry the drawing's own bytes are taken off
// (TrailingData) for the sheet drawing to feed back into its record tree.

class TSST;

inline constexpr Word xlr_OBJ = 0x005D;
inline constexpr Word xlr_TXO = 0x01B6;
inline constexpr Word xlr_IMDATA = 0x007F;

// OBJ object types the engine acts on.
inline constexpr Word ObjTypeChart = 0x05;
inline constexpr Word ObjTypePicture = 0x08;
inline constexpr Word ObjTypeDropDown = 0x14;
inline constexpr Word ObjTypeComment = 0x19;

// An OBJ record with what belongs to it: an embedded chart's substream (kept record for record,
// written back as read) or a picture's IMDATA record.
class ZIvObj : public TBaseClientData {
public:
    ZIvObj() = default;
    // An OBJ record whose body is Template, with the next object id after LastId.
    ZIvObj(Word& LastId, const Byte* Bytes, Integer High);
    ~ZIvObj() override;

    static std::unique_ptr<ZIvObj> CreateEmptyImg(Word& LastId);
    static std::unique_ptr<ZIvObj> CreateEmptyNote(Word& LastId);
    static std::unique_ptr<ZIvObj> CreateEmptyAutoFilter(Word& LastId);

    // The object id at body offset 6; 0 without an OBJ record or with a body too short for it.
    Word GetId() const override;
    void SetId(Word Id) override;
    void ArrangeId(Word& LastId) override;
    void Clear() override;
    // Refuses an object with a picture formula (an embedded OLE object) with "Can't copy OLE
    // objects embedded on a sheet".
    std::unique_ptr<TBaseClientData> CopyTo() const override;
    void LoadFromStream(TOle2File& Stream, TRecordHeader& Header, std::unique_ptr<TBaseRecord> FirstRecord,
                        TSST* SST) override;
    void SaveToStream(TOle2File& Stream) override;
    Int64 TotalSize() const override;
    void ArrangeCopyRowsAndCols(Integer RowOffset, Integer ColOffset) override {}
    void ArrangeInsertRowsAndCols(Integer RowPos, Integer RowCount, Integer ColPos, Integer ColCount,
                                  const TSheetInfo& SheetInfo) override
    {
    }
    void ArrangeCopySheet(const TSheetInfo& SheetInfo) override {}
    // The CONTINUE records after the OBJ that carry the drawing's next bytes.
    std::unique_ptr<TContinueRecord> TakeTrailingData() { return std::move(TrailingData); }

    // True for the drop-down arrow the engine writes for an autofilter column.
    bool Get_IsAutoFilter() const;
    // The object type of the common object data, 0 when the OBJ does not start with it.
    Word ObjType() const;

    std::unique_ptr<TObjRecord> ObjRec;
    std::vector<std::unique_ptr<TBaseRecord>> EmbeddedChart;
    std::unique_ptr<TBaseRecord> PictureData;
    std::unique_ptr<TContinueRecord> TrailingData;
    bool HasPictureFormula = false;

private:
    void ScanRecord();
    void LoadChart(TOle2File& Stream, TRecordHeader& Header);
};

// A TXO record and the CONTINUE records with its text and formatting runs.
class TTXO : public TBaseClientData {
public:
    TTXO() = default;
    // A new empty text (options 0x0212, no text, no runs). The argument is not used.
    explicit TTXO(Integer);
    ~TTXO() override;

    void Clear() override;
    std::unique_ptr<TBaseClientData> CopyTo() const override;
    void LoadFromStream(TOle2File& Stream, TRecordHeader& Header, std::unique_ptr<TBaseRecord> FirstRecord,
                        TSST* SST) override;
    void SaveToStream(TOle2File& Stream) override;
    Int64 TotalSize() const override;
    void ArrangeInsertRowsAndCols(Integer RowPos, Integer RowCount, Integer ColPos, Integer ColCount,
                                  const TSheetInfo& SheetInfo) override
    {
    }
    void ArrangeCopySheet(const TSheetInfo& SheetInfo) override {}
    // The CONTINUE records after the runs that carry the drawing's next bytes.
    std::unique_ptr<TContinueRecord> TakeTrailingData() { return std::move(TrailingData); }

    // The text; a text whose characters run past the CONTINUE records raises "Error reading record".
    WideString GetValue() const;
    // Replaces text and runs: one run of font 0 over the whole text. More than 65,535
    // characters raise "String too large".
    void SetValue(const WideString& Text);
    // Text and runs. Detaches the CONTINUE records after the runs as TrailingData.
    void ScanRecord(WideString& Text, TRTFRunList& Runs);

    std::unique_ptr<TTXORecord> TxoRec;
    std::unique_ptr<TContinueRecord> TrailingData;

private:
    void Scan(WideString& Text, TRTFRunList& Runs, bool Detach);
};

// The text of a text box shape, kept in the TXO its client text box record holds: empty without
// one, and setting it without one does nothing.
WideString GetTextBoxValue(const TEscherClientTextBoxRecord& Box);
void SetTextBoxValue(TEscherClientTextBoxRecord& Box, const WideString& Text);

// A picture kept the way older writers store it: an OBJ record in the layout of earlier file
// versions (object count, object type 8, id, flags, then the anchor) outside any drawing, with
// its IMDATA record right after it. The pair stays in the sheet's record list where it was read
// and is saved as read; these helpers find and read it.
struct TLoosePicture {
    const TBaseRecord* Obj = nullptr;
    const TBaseRecord* ImData = nullptr; // with the CONTINUE records that carry the rest
};

// Appends the loose pictures of List in list order.
void FindLoosePictures(const TBaseRecordList& List, std::vector<TLoosePicture>& Pictures);
// The anchor from the OBJ record (columns and rows from 0, offsets in the drawing's units).
TClientAnchor LoosePictureAnchor(const TLoosePicture& Picture);
// Writes the picture's bytes to Stream: a bitmap (format 9) as a bitmap file whose file header
// is 'BM' and zeros, as the drawing's bitmaps come back; a metafile (format 2) and any other
// format as stored, typed xli_Wmf and xli_Unknown. An IMDATA record whose byte count runs past
// its CONTINUE records raises "Error reading record".
void GetLoosePicture(const TLoosePicture& Picture, TStream& Stream, TXlsImgTypes& ImgType);
