#include "RudUvud/xlsadapter/XlsHyperLink.h"

#include <algorithm>
#include <cstring>

using namespace zivXlsMessages;

namespace {

// Class ids as they stand in the record (the first three fields little-endian).
const Byte StdLinkGuid[16] = {0xD0, 0xC9, 0xEA, 0x79, 0xF9, 0xBA, 0xCE, 0x11,
                              0x8C, 0x82, 0x00, 0xAA, 0x00, 0x4B, 0xA9, 0x0B};
const Byte URLMonikerGuid[16] = {0xE0, 0xC9, 0xEA, 0x79, 0xF9, 0xBA, 0xCE, 0x11,
                                 0x8C, 0x82, 0x00, 0xAA, 0x00, 0x4B, 0xA9, 0x0B};
const Byte FileMonikerGuid[16] = {0x03, 0x03, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
                                  0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46};

constexpr Word hlHasMoniker = 0x0001;
constexpr Word hlAbsolute = 0x0002;
constexpr Word hlDescription = 0x0014;
constexpr Word hlLocation = 0x0008;
constexpr Word hlGuidOrTime = 0x0060;
constexpr Word hlFrame = 0x0080;
constexpr Word hlMonikerAsString = 0x0100;

constexpr Integer HeadSize = 32;

// Reads the optional parts of a link body. Every read is checked against the end of the
// data; once one fails the reader stays failed and every later read gives nothing, so a
// damaged count can neither allocate by its value nor reach past the record.
class TLinkReader {
public:
    TLinkReader(const Byte* Data, Integer Size) : FData(Data), FSize(Size) {}

    bool Ok() const { return FOk; }
    Integer Left() const { return FOk ? FSize - FPos : 0; }

    bool Skip(Int64 N)
    {
        if (!FOk || N < 0 || N > FSize - FPos)
            return FOk = false;
        FPos += static_cast<Integer>(N);
        return true;
    }
    LongWord Long()
    {
        if (!FOk || FSize - FPos < 4) {
            FOk = false;
            return 0;
        }
        LongWord v = GetLongWord(FData, FPos);
        FPos += 4;
        return v;
    }
    Word Short()
    {
        if (!FOk || FSize - FPos < 2) {
            FOk = false;
            return 0;
        }
        Word v = GetWord(FData, FPos);
        FPos += 2;
        return v;
    }
    bool Matches(const Byte (&Guid)[16]) const
    {
        return FOk && FSize - FPos >= 16 && std::memcmp(FData + FPos, Guid, 16) == 0;
    }
    // Chars UTF-16 characters, the text cut at its first zero; ByteLen bytes are passed over.
    WideString Wide(Int64 Chars, Int64 ByteLen)
    {
        if (!FOk || Chars < 0 || ByteLen < 2 * Chars || ByteLen > FSize - FPos) {
            FOk = false;
            return {};
        }
        WideString s;
        for (Int64 i = 0; i < Chars; ++i) {
            char16_t c = GetWord(FData, FPos + static_cast<Integer>(2 * i));
            if (c == 0)
                break;
            s.push_back(c);
        }
        FPos += static_cast<Integer>(ByteLen);
        return s;
    }
    // Count (with the terminating zero) then the characters.
    WideString Counted()
    {
        const Int64 n = Long();
        if (!FOk)
            return {};
        if (n == 0)
            return {};
        return Wide(n - 1, 2 * n);
    }
    // Byte length (2 x characters + 2) then the characters.
    WideString URL()
    {
        const Int64 len = Long();
        if (!FOk)
            return {};
        return Wide(std::max<Int64>(0, (len - 2) / 2), len);
    }
    WideString FileMoniker()
    {
        const Word up = Short();
        WideString path;
        for (Word i = 0; i < up && FOk; ++i)
            path += u"..\\";
        const Int64 a = Long();
        if (!FOk || a > Left())
            return FOk = false, path;
        WideString shortPath;
        for (Int64 i = 0; i + 1 < a; ++i)
            shortPath.push_back(static_cast<char16_t>(FData[FPos + i]));
        Skip(a);
        Skip(24); // 0xFFFF, 0xDEAD and 20 reserved bytes
        const LongWord u = Long();
        if (!FOk)
            return path + shortPath;
        if (u == 0)
            return path + shortPath;
        const Int64 b = Long();
        Short(); // key value
        if (!FOk || b < 0 || b > Left())
            return FOk = false, path + shortPath;
        return path + Wide(b / 2, b);
    }

private:
    const Byte* FData;
    Integer FSize;
    Integer FPos = HeadSize;
    bool FOk = true;
};

void PutLong(ByteArray& B, LongWord V)
{
    for (int i = 0; i < 4; ++i)
        B.push_back(static_cast<Byte>(V >> (8 * i)));
}
void PutShort(ByteArray& B, Word V)
{
    B.push_back(static_cast<Byte>(V));
    B.push_back(static_cast<Byte>(V >> 8));
}
void PutChars(ByteArray& B, const WideString& S)
{
    for (char16_t c : S)
        PutShort(B, c);
}
void PutCounted(ByteArray& B, const WideString& S)
{
    PutLong(B, static_cast<LongWord>(S.size() + 1));
    PutChars(B, S);
    PutShort(B, 0);
}
void PutGuid(ByteArray& B, const Byte (&Guid)[16])
{
    B.insert(B.end(), Guid, Guid + 16);
}

void PutFileMoniker(ByteArray& B, WideString Address)
{
    Word up = 0;
    while (Address.compare(0, 3, u"..\\") == 0) {
        Address.erase(0, 3);
        ++up;
    }
    PutShort(B, up);
    PutLong(B, static_cast<LongWord>(Address.size() + 1));
    bool wide = false;
    for (char16_t c : Address) {
        wide = wide || c > 0xFF;
        B.push_back(c > 0xFF ? Byte('?') : static_cast<Byte>(c));
    }
    B.push_back(0);
    PutLong(B, 0xDEADFFFF);
    B.insert(B.end(), 20, 0);
    if (!wide) {
        PutLong(B, 0);
        return;
    }
    PutLong(B, static_cast<LongWord>(2 * Address.size() + 6));
    PutLong(B, static_cast<LongWord>(2 * Address.size()));
    PutShort(B, 3);
    PutChars(B, Address);
}

// Moves one coordinate for Count copies of a block of Size rows (or columns) inserted at Pos,
// or for the block deleted there when Count is negative. A coordinate inside a deleted block goes
// to its edge (a first row to the row after the block, a last row to the row before it), so a
// link that reached into deleted rows keeps what is left of it.
Integer MovedCoord(Integer V, Integer Pos, Integer Count, Integer Size, bool IsFirst)
{
    if (V < Pos)
        return V;
    const Integer shift = Count * Size;
    if (shift >= 0 || V >= Pos - shift)
        return V + shift;
    return IsFirst ? Pos : Pos - 1;
}

void CheckCoord(Integer V, Integer Max)
{
    if (V > Max)
        XlsError(ErrTooManyEntries, {static_cast<Int64>(V), static_cast<Int64>(Max)});
}

} // namespace

// ---- TScreenTipRecord ------------------------------------------------------------------------

TScreenTipRecord::TScreenTipRecord(const WideString& Text) : TBaseRecord(xlr_QUICKTIP, ByteArray(12, 0))
{
    SetText(Text);
}

WideString TScreenTipRecord::GetText() const
{
    WideString s;
    if (DataSize() < 12)
        return s;
    for (Integer p = 10; p + 1 < DataSize(); p += 2) {
        char16_t c = GetWord(Data(), p);
        if (c == 0)
            break;
        s.push_back(c);
    }
    return s;
}

void TScreenTipRecord::SetText(const WideString& Text)
{
    if (2 * Text.size() + 12 > xlr_BIFF8MaxData)
        XlsError(ErrStringTooLarge);
    ByteArray b(10, 0);
    std::memcpy(b.data(), Data(), std::min<size_t>(10, DataSize()));
    ::SetWord(b.data(), 0, xlr_QUICKTIP);
    PutChars(b, Text);
    PutShort(b, 0);
    SetData(b);
}

// ---- THLinkRecord ----------------------------------------------------------------------------

THLinkRecord::THLinkRecord(Word aId, TRecordBody aData) : TBaseRecord(aId, std::move(aData))
{
    if (DataSize() < HeadSize)
        XlsError(ErrWrongExcelRecord, {static_cast<Int64>(aId)});
}

THLinkRecord::THLinkRecord(const TXlsCellRange& Range, const THyperLink& Link)
    : TBaseRecord(xlr_HLINK, ByteArray(HeadSize, 0))
{
    SetCellRange(Range);
    std::memcpy(Data() + 8, StdLinkGuid, 16);
    ::SetLongWord(Data(), 24, 2);
    SetProperties(Link);
}

TXlsCellRange THLinkRecord::GetCellRange() const
{
    TXlsCellRange r;
    r.FirstRow = GetFirstRow();
    r.LastRow = GetLastRow();
    r.FirstCol = GetFirstCol();
    r.LastCol = GetLastCol();
    return r;
}

void THLinkRecord::SetCellRange(const TXlsCellRange& Range)
{
    SetFirstRow(static_cast<Word>(Range.FirstRow));
    SetLastRow(static_cast<Word>(Range.LastRow));
    SetFirstCol(static_cast<Word>(Range.FirstCol));
    SetLastCol(static_cast<Word>(Range.LastCol));
}

void THLinkRecord::Offset(Integer DeltaRow, Integer DeltaCol)
{
    // All four checked before any is written, so a failed move leaves the link whole.
    const Integer fr = GetFirstRow() + DeltaRow, lr = GetLastRow() + DeltaRow;
    const Integer fc = GetFirstCol() + DeltaCol, lc = GetLastCol() + DeltaCol;
    for (Integer r : {fr, lr})
        if (r < 0 || r > 65535)
            XlsError(ErrTooManyEntries, {static_cast<Int64>(r), Int64(65535)});
    for (Integer c : {fc, lc})
        if (c < 0 || c > 255)
            XlsError(ErrTooManyEntries, {static_cast<Int64>(c), Int64(255)});
    SetCellRange({fc, fr, lc, lr});
}

THyperLink THLinkRecord::GetProperties() const
{
    THyperLink link;
    const Word flags = GetOptionFlags();
    TLinkReader rd(Data(), DataSize());

    if ((flags & hlDescription) == hlDescription)
        link.DisplayText = rd.Counted();
    if (flags & hlFrame)
        link.FrameName = rd.Counted();

    const bool plainMoniker = (flags & hlHasMoniker) && !(flags & (hlGuidOrTime | hlMonikerAsString));
    bool known = true;
    if (plainMoniker && (flags & hlAbsolute) && rd.Matches(URLMonikerGuid)) {
        link.Kind = hl_URL;
        rd.Skip(16);
        link.Address = rd.URL();
    } else if (plainMoniker && rd.Matches(FileMonikerGuid)) {
        link.Kind = hl_LocalFile;
        rd.Skip(16);
        link.Address = rd.FileMoniker();
    } else if ((flags & (hlHasMoniker | hlAbsolute | hlMonikerAsString)) ==
                   (hlHasMoniker | hlAbsolute | hlMonikerAsString) &&
               !(flags & hlGuidOrTime)) {
        link.Kind = hl_UNC;
        link.Address = rd.Counted();
    } else {
        link.Kind = hl_CurrentWorkbook;
        // A moniker of another kind (composite, item) stands before the location and its length
        // is not known here: the location is left unread rather than guessed.
        known = !(flags & hlHasMoniker);
    }

    if ((flags & hlLocation) && known)
        link.Location = rd.Counted();
    if (FHint)
        link.ScreenTip = FHint->GetText();
    return link;
}

void THLinkRecord::SetProperties(const THyperLink& Link)
{
    ByteArray b(Data().get(), Data() + HeadSize);
    Word flags = 0;
    if (!Link.DisplayText.empty()) {
        flags |= hlDescription;
        PutCounted(b, Link.DisplayText);
    }
    if (!Link.FrameName.empty()) {
        flags |= hlFrame;
        PutCounted(b, Link.FrameName);
    }
    switch (Link.Kind) {
    case hl_URL:
        flags = static_cast<Word>((flags & ~0x0163) | 0x0003);
        PutGuid(b, URLMonikerGuid);
        PutLong(b, static_cast<LongWord>(2 * Link.Address.size() + 2));
        PutChars(b, Link.Address);
        PutShort(b, 0);
        break;
    case hl_LocalFile:
        flags = static_cast<Word>((flags & ~0x0161) | 0x0001);
        PutGuid(b, FileMonikerGuid);
        PutFileMoniker(b, Link.Address);
        break;
    case hl_UNC:
        flags = static_cast<Word>((flags & ~0x0163) | 0x0103);
        PutCounted(b, Link.Address);
        break;
    case hl_CurrentWorkbook:
        flags = static_cast<Word>(flags & ~0x0163);
        break;
    }
    if (!Link.Location.empty()) {
        flags |= hlLocation;
        PutCounted(b, Link.Location);
    }
    ::SetLongWord(b.data(), 28, flags);
    if (b.size() > xlr_BIFF8MaxData)
        XlsError(ErrStringTooLarge);

    // The tip first: it is the step that may still fail, and the body is only replaced after it.
    TSizeChange change(*this);
    if (Link.ScreenTip.empty())
        FHint.reset();
    else if (FHint)
        FHint->SetText(Link.ScreenTip);
    else
        FHint = std::make_unique<TScreenTipRecord>(Link.ScreenTip);
    // The rebuilt body replaces whatever the record carried, CONTINUE records included.
    ReleaseContinue();
    FData = TRecordBody(b);
}

void THLinkRecord::AddHint(std::unique_ptr<TScreenTipRecord> Tip)
{
    TSizeChange change(*this);
    FHint = std::move(Tip);
}

void THLinkRecord::AttachRecord(std::unique_ptr<TBaseRecord> Rec)
{
    if (!Rec)
        return;
    if (auto* tip = dynamic_cast<TScreenTipRecord*>(Rec.get())) {
        Rec.release();
        AddHint(std::unique_ptr<TScreenTipRecord>(tip));
        return;
    }
    auto tip = std::make_unique<TScreenTipRecord>(Rec->Id(),
                                                  TRecordBody(Rec->Data(), Rec->Data() + Rec->DataSize()));
    tip->AddContinue(Rec->ReleaseContinue());
    AddHint(std::move(tip));
}

void THLinkRecord::ArrangeInsertRange(const TXlsCellRange& Range, Integer RowCount, Integer ColCount,
                                      const TSheetInfo& SheetInfo)
{
    if (SheetInfo.InsSheet < 0 || SheetInfo.InsSheet != SheetInfo.FormulaSheet)
        return;
    Integer fr = GetFirstRow(), lr = GetLastRow(), fc = GetFirstCol(), lc = GetLastCol();
    if (RowCount != 0 && fc >= Range.FirstCol && lc <= Range.LastCol) {
        const Integer h = Range.LastRow - Range.FirstRow + 1;
        fr = MovedCoord(fr, Range.FirstRow, RowCount, h, true);
        lr = MovedCoord(lr, Range.FirstRow, RowCount, h, false);
    }
    if (ColCount != 0 && fr >= Range.FirstRow && lr <= Range.LastRow) {
        const Integer w = Range.LastCol - Range.FirstCol + 1;
        fc = MovedCoord(fc, Range.FirstCol, ColCount, w, true);
        lc = MovedCoord(lc, Range.FirstCol, ColCount, w, false);
    }
    CheckCoord(fr, 65535);
    CheckCoord(lr, 65535);
    CheckCoord(fc, 255);
    CheckCoord(lc, 255);
    // A link wholly inside deleted rows ends with its last row before its first; the list
    // removes it. Stored coordinates never go below 0.
    SetCellRange({std::max(fc, 0), std::max(fr, 0), std::max(lc, 0), std::max(lr, 0)});
    if (lr < 0 || lc < 0) {
        // Row (column) 0 itself was deleted: mark the link empty the only way a word can.
        if (lr < 0)
            SetFirstRow(1);
        if (lc < 0)
            SetFirstCol(1);
    }
}

bool THLinkRecord::Overlaps(const TXlsCellRange& Range) const
{
    return GetFirstRow() <= Range.LastRow && GetLastRow() >= Range.FirstRow &&
           GetFirstCol() <= Range.LastCol && GetLastCol() >= Range.FirstCol;
}

bool THLinkRecord::InsideRange(const TXlsCellRange& Range) const
{
    return GetFirstRow() >= Range.FirstRow && GetLastRow() <= Range.LastRow &&
           GetFirstCol() >= Range.FirstCol && GetLastCol() <= Range.LastCol;
}

void THLinkRecord::SaveToStream(TOle2File& Workbook)
{
    TBaseRecord::SaveToStream(Workbook);
    if (!FHint)
        return;
    FHint->SetFirstRow(GetFirstRow());
    FHint->SetLastRow(GetLastRow());
    FHint->SetFirstCol(GetFirstCol());
    FHint->SetLastCol(GetLastCol());
    FHint->SaveToStream(Workbook);
}

void THLinkRecord::SaveRangeToStream(TOle2File& Workbook, const TXlsCellRange& Range)
{
    if (Overlaps(Range))
        SaveToStream(Workbook);
}

Int64 THLinkRecord::TotalSize() const
{
    return TBaseRecord::TotalSize() + (FHint ? FHint->TotalSize() : 0);
}

Int64 THLinkRecord::TotalSizeNoHeaders() const
{
    return TBaseRecord::TotalSizeNoHeaders() + (FHint ? FHint->TotalSizeNoHeaders() : 0);
}

Int64 THLinkRecord::TotalRangeSize(const TXlsCellRange& Range) const
{
    return Overlaps(Range) ? TotalSize() : 0;
}

std::unique_ptr<TBaseRecord> THLinkRecord::DoCopyTo() const
{
    auto copy = std::make_unique<THLinkRecord>(FId, FData);
    CopyContinueTo(*copy);
    if (FHint) {
        std::unique_ptr<TBaseRecord> tip = FHint->CopyTo();
        copy->FHint.reset(static_cast<TScreenTipRecord*>(tip.release()));
    }
    return copy;
}

// ---- THLinkList ------------------------------------------------------------------------------

Integer THLinkList::Add(std::unique_ptr<TBaseRecord> Rec)
{
    FSorted = false;
    return TBaseRecordList::Add(std::move(Rec));
}

void THLinkList::Insert(Integer Index, std::unique_ptr<TBaseRecord> Rec)
{
    FSorted = false;
    TBaseRecordList::Insert(Index, std::move(Rec));
}

void THLinkList::Sort()
{
    std::stable_sort(FList.begin(), FList.end(), [](const auto& A, const auto& B) {
        const auto* a = static_cast<const THLinkRecord*>(A.get());
        const auto* b = static_cast<const THLinkRecord*>(B.get());
        if (!a || !b)
            return a && !b;
        if (a->GetFirstRow() != b->GetFirstRow())
            return a->GetFirstRow() < b->GetFirstRow();
        return a->GetFirstCol() < b->GetFirstCol();
    });
    FSorted = true;
}

void THLinkList::SaveToStream(TOle2File& DataStream)
{
    if (!FSorted)
        Sort();
    TBaseRecordList::SaveToStream(DataStream);
}

void THLinkList::SaveRangeToStream(TOle2File& DataStream, const TXlsCellRange& Range)
{
    if (!FSorted)
        Sort();
    for (Integer i = 0; i < Count(); ++i)
        if (THLinkRecord* r = GetItems(i))
            r->SaveRangeToStream(DataStream, Range);
}

Int64 THLinkList::TotalRangeSize(const TXlsCellRange& Range) const
{
    Int64 n = 0;
    for (Integer i = 0; i < Count(); ++i)
        if (const THLinkRecord* r = GetItems(i))
            n += r->TotalRangeSize(Range);
    return n;
}

void THLinkList::CopyFrom(const THLinkList& List)
{
    for (Integer i = 0; i < List.Count(); ++i)
        if (const THLinkRecord* r = List.GetItems(i))
            Add(r->CopyTo());
}

void THLinkList::CopyObjectsFrom(const THLinkList& List, const TXlsCellRange& Range, Integer RowOffset,
                                 Integer ColOffset)
{
    for (Integer i = 0; i < List.Count(); ++i) {
        const THLinkRecord* r = List.GetItems(i);
        if (!r || !r->InsideRange(Range))
            continue;
        std::unique_ptr<TBaseRecord> copy = r->CopyTo();
        static_cast<THLinkRecord*>(copy.get())->Offset(RowOffset, ColOffset);
        Add(std::move(copy));
    }
}

void THLinkList::InsertAndCopyRange(const TXlsCellRange& SourceRange, Integer DestRow, Integer DestCol,
                                    Integer RowCount, Integer ColCount, const TSheetInfo& SheetInfo)
{
    const Integer h = SourceRange.LastRow - SourceRange.FirstRow + 1;
    const Integer w = SourceRange.LastCol - SourceRange.FirstCol + 1;
    const TXlsCellRange dest = {DestCol, DestRow, DestCol + w - 1, DestRow + h - 1};
    for (Integer i = 0; i < Count(); ++i)
        if (THLinkRecord* r = GetItems(i))
            r->ArrangeInsertRange(dest, RowCount, ColCount, SheetInfo);

    const Integer top = SourceRange.FirstRow + (DestRow <= SourceRange.FirstRow ? RowCount * h : 0);
    const Integer left = SourceRange.FirstCol + (DestCol <= SourceRange.FirstCol ? ColCount * w : 0);
    if (RowCount <= 0 && ColCount <= 0)
        return;
    const TXlsCellRange block = {left, top, left + w - 1, top + h - 1};
    const Integer before = Count();
    for (Integer i = 0; i < before; ++i) {
        const THLinkRecord* r = GetItems(i);
        if (!r || !r->InsideRange(block))
            continue;
        for (Integer k = 0; k < RowCount; ++k) {
            std::unique_ptr<TBaseRecord> copy = r->CopyTo();
            static_cast<THLinkRecord*>(copy.get())->Offset(DestRow + k * h - top, DestCol - left);
            Add(std::move(copy));
        }
        for (Integer k = 0; k < ColCount; ++k) {
            std::unique_ptr<TBaseRecord> copy = r->CopyTo();
            static_cast<THLinkRecord*>(copy.get())->Offset(DestRow - top, DestCol + k * w - left);
            Add(std::move(copy));
        }
    }
}

void THLinkList::DeleteRange(const TXlsCellRange& Range, Integer RowFactor, Integer ColFactor,
                             const TSheetInfo& SheetInfo)
{
    const Integer h = Range.LastRow - Range.FirstRow + 1;
    const Integer w = Range.LastCol - Range.FirstCol + 1;
    const TXlsCellRange gone = {Range.FirstCol, Range.FirstRow,
                                Range.LastCol + w * std::max(ColFactor - 1, 0),
                                Range.LastRow + h * std::max(RowFactor - 1, 0)};
    for (Integer i = Count() - 1; i >= 0; --i) {
        THLinkRecord* r = GetItems(i);
        if (!r)
            continue;
        if (r->InsideRange(gone)) {
            Delete(i);
            continue;
        }
        r->ArrangeInsertRange(Range, -RowFactor, -ColFactor, SheetInfo);
        if (r->GetLastRow() < r->GetFirstRow() || r->GetLastCol() < r->GetFirstCol())
            Delete(i);
    }
}
