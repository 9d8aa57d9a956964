#pragma once

#include <cstdint>

#include "RudUvud/xlsadapter/BaseRecords.h"

// A BIFF8 Unicode string as it stands inside a record: a 1- or 2-byte character count, an option
// byte (bit 0 16-bit characters, bit 2 far-east block, bit 3 rich-text runs; other bits kept), the
// characters, the runs and the far-east block.
class TExcelString : public TObject {
public:
    // Reads one string from Rec at Pos and on into its CONTINUE chain; Rec and Pos are left after
    // it. Anything that runs past the chain raises "Error reading record"; counts are checked
    // against the bytes that remain before anything is allocated.
    TExcelString(Integer aStrLenLength, const TBaseRecord*& Rec, Integer& Pos);
    // A string without runs or far-east data. With length width 1 more than 255 characters raise
    // "Invalid String record"; more than 65,535 characters always do.
    TExcelString(Integer aStrLenLength, const WideString& S, bool ForceWide = false);

    Integer Compare(const TExcelString& Other) const;
    Integer GetCharSize() const { return (FOptionFlags & 1) ? 2 : 1; }
    bool HasFarInfo() const { return FOptionFlags & 4; }
    bool HasRichText() const { return FOptionFlags & 8; }
    // Length field always counted, also for callers that write the string without it.
    Int64 TotalSize() const;
    // Appends the stored form to Out.
    void SaveToBytes(ByteArray& Out, bool WriteLength = true) const;
    void SaveToStream(TOle2File& Stream, bool WriteLength = true) const;
    // Writes the stored form into Buffer at Pos; the buffer must have room for it.
    void CopyToPtr(Byte* Buffer, Integer Pos, bool WriteLength = true) const;
    WideString GetValue() const;

    Integer StrLenLength() const { return FStrLenLength; }
    Word CharCount() const { return FStrLen; }
    Byte OptionFlags() const { return FOptionFlags; }
    Word RunCount() const { return FRunCount; }
    const ByteArray& RunData() const { return FRunData; }
    const ByteArray& FarEastData() const { return FFarEastData; }

private:
    Integer FStrLenLength;
    Word FStrLen = 0;
    Byte FOptionFlags = 0;
    WideString FWideData;
    std::string FShortData; // raw bytes, one per character code
    Word FRunCount = 0;
    ByteArray FRunData;
    LongWord FFarEastDataSize = 0;
    ByteArray FFarEastData;
};

// The bytes that remain in Rec from Pos on, CONTINUE records included. The count stops once it
// reaches Enough: a caller asking "are there N bytes" walks only as far as N bytes, which keeps
// reading every string of a long chain linear.
Int64 BytesLeftInChain(const TBaseRecord* Rec, Integer Pos, Int64 Enough = INT64_MAX);
