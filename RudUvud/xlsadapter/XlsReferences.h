#pragma once

#include "RudUvud/xlsadapter/BaseRecordLists.h"

#include <memory>
#include <vector>

// References from formulas to other sheets, sheet ranges, other workbooks and external names: the
// EXTERNSHEET table, whose entries point at SUPBOOK records, and the EXTERNNAME records of each
// SUPBOOK.

inline constexpr Word xlr_SUPBOOK = 0x01AE;
inline constexpr Word xlr_EXTERNNAME = 0x0023;
inline constexpr Word xlr_EXTERNNAME2 = 0x0223;
inline constexpr Word xlr_EXTERNSHEET = 0x0017;

// What the references read of the workbook: its sheet names and its defined names.
struct TReferenceGlobals {
    const TBoundSheetRecordList* Sheets = nullptr;
    TNameRecordList* Names = nullptr;
};

// An EXTERNNAME: options (bytes 0..5), name length (byte 6), the name's option byte (7) and its
// characters from 8; the rest is kept as found. Shorter data raises "Record with ID 0x%x is invalid".
class TExternNameRecord : public TBaseRecord {
public:
    TExternNameRecord(Word aId, TRecordBody aData);
    XLS_RECORD_CREATE(TExternNameRecord)
    WideString Name() const;
    Integer NameLength() const { return Data()[6]; }
};

class TExternNameRecordList : public TBaseRecordList {
public:
    TExternNameRecord* Items(Integer Index) const
    {
        return static_cast<TExternNameRecord*>(TBaseRecordList::Items(Index));
    }
};

// A SUPBOOK: the sheet count (word at 0), then 0x0401 (this workbook) or 0x3A01 (add-in functions)
// in a 4-byte record, or the virtual path of another workbook and its sheet names.
class TSupBookRecord : public TBaseRecord {
public:
    TSupBookRecord(Word aId, TRecordBody aData);
    // A SUPBOOK for this workbook with SheetCount sheets.
    explicit TSupBookRecord(Integer SheetCount);
    ~TSupBookRecord() override;
    XLS_RECORD_CREATE(TSupBookRecord)

    bool IsLocal() const;
    bool IsAddIn() const;
    Integer SheetCount() const { return GetWord(Data(), 0); }
    WideString BookName() const;
    // Empty outside 0..sheet count - 1; the workbook's own sheet names for the local SUPBOOK.
    WideString SheetName(Integer Index, const TReferenceGlobals& Globals) const;
    void InsertSheets(Integer Count);
    void AddExternName(std::unique_ptr<TExternNameRecord> Name);
    TExternNameRecordList& ExternNames() { return FExternNames; }
    const TExternNameRecordList& ExternNames() const { return FExternNames; }

    std::unique_ptr<TBaseRecord> DoCopyTo() const override;
    void SaveToStream(TOle2File& Workbook) override;
    Int64 TotalSize() const override;
    Int64 TotalSizeNoHeaders() const override;

private:
    TExternNameRecordList FExternNames;
    // The strings after the sheet count: the path and then the sheet names; false when a string
    // runs past the data.
    bool StoredString(Integer Index, WideString& Text) const;
};

// An EXTERNSHEET as read: the loader hands it to TReferences and discards it.
class TExternSheetRecord : public TBaseRecord {
public:
    TExternSheetRecord(Word aId, TRecordBody aData);
    XLS_RECORD_CREATE(TExternSheetRecord)
};

struct TExternRef {
    Word SupBook = 0;
    Word FirstSheet = 0; // 0xFFFF deleted sheet, 0xFFFE the workbook itself
    Word LastSheet = 0;
};

class TExternRefList : public TObject {
public:
    Integer Count() const { return static_cast<Integer>(FItems.size()); }
    TExternRef& Items(Integer Index) { return FItems.at(static_cast<size_t>(Index)); }
    const TExternRef& Items(Integer Index) const { return FItems.at(static_cast<size_t>(Index)); }
    Integer Add(const TExternRef& Ref);
    void Clear() { FItems.clear(); }
    // Appends the entries of an EXTERNSHEET record and its CONTINUE records.
    void Load(const TBaseRecord& Rec);
    void InsertSheets(Integer BeforeSheet, Integer SheetCount, Integer LocalSupBook);
    void SaveToStream(TOle2File& Workbook) const;
    Int64 TotalSize() const;

private:
    std::vector<TExternRef> FItems;
};

class TReferences : public TObject {
public:
    void Clear();
    void AddSupBook(std::unique_ptr<TSupBookRecord> SupBook);
    void AddExternName(std::unique_ptr<TExternNameRecord> Name);
    void AddExternRef(const TBaseRecord& ExternSheet);

    Integer GetSheet(Integer SheetRef) const;
    Word SetSheet(Integer Sheet);
    Word AddSheet(Integer SheetCount, Integer FirstSheet, Integer LastSheet);
    WideString GetSheetName(Integer SheetRef, const TReferenceGlobals& Globals) const;
    WideString GetName(Integer SheetRef, Integer NameIndex, const TReferenceGlobals& Globals) const;
    void InsertSheets(Integer BeforeSheet, Integer SheetCount);

    Int64 TotalSize() const;
    void SaveToStream(TOle2File& Workbook);

    Integer SupBookCount() const { return FSupBooks.Count(); }
    TSupBookRecord* SupBook(Integer Index) const;
    const TExternRefList& ExternRefs() const { return FExternRefs; }
    Integer LocalSupBook() const { return FLocalSupBook; }

private:
    TBaseRecordList FSupBooks;
    TExternRefList FExternRefs;
    Integer FLocalSupBook = -1;
    const TExternRef& Ref(Integer SheetRef) const;
};
