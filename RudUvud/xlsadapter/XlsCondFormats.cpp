#include "RudUvud/xlsadapter/XlsCondFormats.h"

#include "RudUvud/xlsadapter/XlsTokenArray.h"

#include <algorithm>

using namespace zivXlsMessages;

namespace {
Word Clamp(Integer V, Integer Min, Integer Max)
{
    return static_cast<Word>(std::max(Min, std::min(V, Max)));
}
} // namespace

TCondFmtRecord::TCondFmtRecord(Word aId, TRecordBody aData) : TBaseRecord(aId, std::move(aData))
{
    if (DataSize() < 14)
        XlsError(ErrWrongExcelRecord, {Int64(aId)});
}

TCFRecord::TCFRecord(Word aId, TRecordBody aData) : TBaseRecord(aId, std::move(aData))
{
    if (DataSize() < 6 || Formula1Size() + Formula2Size() > DataSize() - 6)
        XlsError(ErrWrongExcelRecord, {Int64(aId)});
}

void TCFRecord::ArrangeInsertRowsAndCols(Integer aRowPos, Integer aRowCount, Integer aColPos,
                                         Integer aColCount, const TSheetInfo& SheetInfo)
{
    const Integer end2 = DataSize(), start2 = end2 - Formula2Size(), start1 = start2 - Formula1Size();
    try {
        if (Formula1Size() > 0)
            UXlsTokenArray_ArrangeInsertRowsAndCols(Data(), start1, start2, aRowPos, aRowCount, 0, aColPos,
                                                    aColCount, 0, SheetInfo, true);
        if (Formula2Size() > 0)
            UXlsTokenArray_ArrangeInsertRowsAndCols(Data(), start2, end2, aRowPos, aRowCount, 0, aColPos,
                                                    aColCount, 0, SheetInfo, true);
    } catch (const ETokenException& e) {
        XlsError(ErrBadCF, {Int64(e.TokenId)});
    }
}

// ---- TCondFmt ----------------------------------------------------------------------------------

void TCondFmt::Clear()
{
    FRangeValuesList.Items.clear();
    FCFs.Clear();
    FFlags = 0;
    FEnclosing = {};
}

void TCondFmt::LoadFromStream(TOle2File& DataStream, TRecordHeader& RecHeader,
                              std::unique_ptr<TBaseRecord> Rec)
{
    Clear();
    const Byte* d = Rec->Data();
    const Integer cfCount = GetWord(d, 0);
    FFlags = GetWord(d, 2);
    FEnclosing = {GetWord(d, 4), GetWord(d, 6), GetWord(d, 8), GetWord(d, 10)};
    FRangeValuesList.Load(*Rec, 12);
    Rec.reset();
    for (Integer i = 0; i < cfCount; ++i) {
        std::unique_ptr<TBaseRecord> cf = LoadRecords(DataStream, RecHeader);
        if (!dynamic_cast<TCFRecord*>(cf.get()))
            XlsError(ErrInvalidCF);
        FCFs.Add(std::move(cf));
    }
}

std::unique_ptr<TRangeEntry> TCondFmt::DoCopyTo() const
{
    auto copy = std::make_unique<TCondFmt>();
    copy->FRangeValuesList.Items = FRangeValuesList.Items;
    copy->FFlags = FFlags;
    copy->FEnclosing = FEnclosing;
    copy->FCFs.CopyFrom(&FCFs);
    return copy;
}

void TCondFmt::SaveRecords(TOle2File& DataStream, const TXlsCellRange* CellRange)
{
    const Integer n = CellRange ? FRangeValuesList.CountRangeRecords(*CellRange) : FRangeValuesList.Count();
    if (n == 0)
        return;
    for (Integer k = 0; k < FRangeValuesList.RepeatCountR(n); ++k) {
        DataStream.WriteHeader(xlr_CONDFMT, static_cast<Word>(FRangeValuesList.RecordSizeR(n, k)));
        DataStream.Write16(static_cast<Word>(FCFs.Count()));
        DataStream.Write16(FFlags);
        DataStream.Write16(FEnclosing.R1);
        DataStream.Write16(FEnclosing.R2);
        DataStream.Write16(FEnclosing.C1);
        DataStream.Write16(FEnclosing.C2);
        FRangeValuesList.SaveToStreamR(DataStream, k, CellRange);
        FCFs.SaveToStream(DataStream);
    }
}

void TCondFmt::SaveToStream(TOle2File& DataStream)
{
    SaveRecords(DataStream, nullptr);
}

void TCondFmt::SaveRangeToStream(TOle2File& DataStream, const TXlsCellRange& CellRange)
{
    SaveRecords(DataStream, &CellRange);
}

Int64 TCondFmt::SizeFor(Integer RangeCount) const
{
    if (RangeCount == 0)
        return 0;
    return FRangeValuesList.TotalSizeR(RangeCount) +
           Int64(FRangeValuesList.RepeatCountR(RangeCount)) * FCFs.ComputedTotalSize();
}

Int64 TCondFmt::TotalSize() const
{
    return SizeFor(FRangeValuesList.Count());
}

Int64 TCondFmt::TotalRangeSize(const TXlsCellRange& CellRange) const
{
    return SizeFor(FRangeValuesList.CountRangeRecords(CellRange));
}

void TCondFmt::ArrangeInsertRowsAndCols(Integer aRowPos, Integer aRowCount, Integer aColPos,
                                        Integer aColCount, const TSheetInfo& SheetInfo)
{
    if (FEnclosing.R2 >= aRowPos || FEnclosing.C2 >= aColPos)
        FRangeValuesList.ArrangeInsertRowsAndCols(aRowPos, aRowCount, aColPos, aColCount);
    TExcelRange& e = FEnclosing;
    if (e.R2 >= aRowPos) {
        if (e.R1 >= aRowPos)
            e.R1 = Clamp(e.R1 + aRowCount, aRowPos, 65535);
        e.R2 = Clamp(e.R2 + aRowCount, e.R1, 65535);
    }
    if (e.C2 >= aColPos) {
        if (e.C1 >= aColPos)
            e.C1 = Clamp(e.C1 + aColCount, aColPos, 255);
        e.C2 = Clamp(e.C2 + aColCount, e.C1, 255);
    }
    for (Integer i = 0; i < FCFs.Count(); ++i)
        if (FCFs.Items(i))
            FCFs.Items(i)->ArrangeInsertRowsAndCols(aRowPos, aRowCount, aColPos, aColCount, SheetInfo);
}

void TCondFmt::InsertAndCopyRowsOrCols(Integer First, Integer Last, Integer Dest, Integer aCount,
                                       const TSheetInfo& SheetInfo, bool Columns)
{
    const Integer es = Columns ? FEnclosing.C1 : FEnclosing.R1, ee = Columns ? FEnclosing.C2 : FEnclosing.R2;
    const bool overlapped = es <= Last && ee >= First;
    const Integer n = aCount * (Last - First + 1);
    if (Columns)
        ArrangeInsertRowsAndCols(0, 0, Dest, n, SheetInfo);
    else
        ArrangeInsertRowsAndCols(Dest, n, 0, 0, SheetInfo);
    if (overlapped)
        CopyRanges(First, Last, Dest, aCount, Columns);
}

// After the shift: the parts of the ranges inside the copied block follow it into each copy, and a
// range that ends (or starts) right at the inserted copies grows over them.
void TCondFmt::CopyRanges(Integer First, Integer Last, Integer Dest, Integer aCount, bool Columns)
{
    const Integer h = Last - First + 1, e = aCount * h, max = Columns ? 255 : 65535;
    Integer f = First, g = Last;
    if (First >= Dest) {
        f += e;
        g += e;
    }
    auto span = [Columns](TExcelRange& r) -> std::pair<Word&, Word&> {
        return Columns ? std::pair<Word&, Word&>(r.C1, r.C2) : std::pair<Word&, Word&>(r.R1, r.R2);
    };
    Word& encFirst = Columns ? FEnclosing.C1 : FEnclosing.R1;
    Word& encLast = Columns ? FEnclosing.C2 : FEnclosing.R2;
    auto widen = [&](Integer s, Integer t) {
        encFirst = static_cast<Word>(std::min<Integer>(encFirst, s));
        encLast = static_cast<Word>(std::max<Integer>(encLast, t));
    };
    std::vector<TExcelRange>& items = FRangeValuesList.Items;
    const size_t before = items.size();
    for (size_t i = 0; i < before; ++i) {
        auto [s1, t1] = span(items[i]);
        const Integer s = s1, t = t1;
        if (s > g || t < f)
            continue;
        if (First < Dest) {
            if (t > Dest - 1)
                continue;
            if (t == Dest - 1 && s <= f) {
                if (t + e <= max) {
                    t1 = static_cast<Word>(t + e);
                    widen(s, t + e);
                }
                continue;
            }
        } else {
            if (s < Dest + e)
                continue;
            if (s == Dest + e && t >= g) {
                s1 = static_cast<Word>(s - e);
                widen(s - e, t);
                continue;
            }
        }
        const TExcelRange src = items[i];
        auto add = [&](Integer ns, Integer nt) {
            if (ns < 0 || nt > max || nt < ns)
                return;
            TExcelRange copy = src;
            auto [cs, ct] = span(copy);
            cs = static_cast<Word>(ns);
            ct = static_cast<Word>(nt);
            items.push_back(copy);
            widen(ns, nt);
        };
        if (s <= f && t >= g)
            add(Dest, Dest + e - 1);
        else
            for (Integer k = 0; k < aCount; ++k)
                add(Dest + k * h + (s > f ? s - f : 0), Dest + (k + 1) * h - 1 - (t < g ? g - t : 0));
    }
}
