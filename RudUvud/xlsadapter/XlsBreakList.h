#pragma once

#include "RudUvud/xlsadapter/XlsMessages.h"

#include <vector>

// The plan of where a drawing stream is cut into BIFF records when it is saved. The split walk
// adds one entry per cut; saving then consumes the entries in order, writing a BIFF record header
// each time the output reaches the next cut.
class TBreakList : public TObject {
public:
    struct TBreakEntry {
        LongWord NextRecordId = 0; // the BIFF record that starts at this cut
        LongWord PieceSize = 0;    // body bytes of the BIFF record that ends at this cut
        Int64 RunningTotal = 0;    // PieceSize summed over this entry and every one before it
    };

    // BaseOffset: the stream position of the first BIFF record header.
    explicit TBreakList(Int64 aBaseOffset) : FBaseOffset(aBaseOffset) {}

    void Add(LongWord RecordId, LongWord Size);
    // Stream position of the cut at CurrentIndex: the Escher bytes before it, plus the BIFF
    // headers of the records already begun, plus BaseOffset. "Tabrix: Logical Error" past the end.
    Int64 AcumSize() const;
    LongWord CurrentId() const;
    // Body size of the record that starts at the current cut (the entry after CurrentIndex).
    LongWord CurrentSize() const;
    void IncCurrent() { ++FCurrentIndex; }
    // Moves every later cut by bytes written outside the Escher data (client data records).
    void AddToZeroPos(Int64 Bytes) { FBaseOffset += Bytes; }

    Integer Count() const { return static_cast<Integer>(FEntries.size()); }
    const TBreakEntry& Items(Integer Index) const { return FEntries.at(static_cast<size_t>(Index)); }
    Integer CurrentIndex() const { return FCurrentIndex; }
    Int64 BaseOffset() const { return FBaseOffset; }

private:
    std::vector<TBreakEntry> FEntries;
    Int64 FBaseOffset;
    Integer FCurrentIndex = 0;
};
