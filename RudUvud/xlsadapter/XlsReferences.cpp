#include "RudUvud/xlsadapter/XlsReferences.h"

#include "RudUvud/xlsadapter/XlsFormula.h"
#include "RudUvud/xlsadapter/XlsTokenArray.h"

using namespace zivXlsMessages;

namespace {

[[noreturn]] void OutOfRange(Integer Index, const char* Property, Integer Count)
{
    XlsError(ErrXlsIndexOutBounds, {Int64(Index), AnsiString(Property), Int64(0), Int64(Count - 1)});
}

} // namespace

// ---- TExternNameRecord -----------------------------------------------------------------------

TExternNameRecord::TExternNameRecord(Word aId, TRecordBody aData) : TBaseRecord(aId, std::move(aData))
{
    if (DataSize() < 8 || 8 + NameLength() * ((Data()[7] & 1) ? 2 : 1) > DataSize())
        XlsError(ErrWrongExcelRecord, {Int64(aId)});
}

WideString TExternNameRecord::Name() const
{
    WideString s;
    const bool wide = Data()[7] & 1;
    for (Integer i = 0; i < NameLength(); ++i)
        s += wide ? static_cast<char16_t>(GetWord(Data(), 8 + 2 * i)) : static_cast<char16_t>(Data()[8 + i]);
    return s;
}

// ---- TSupBookRecord --------------------------------------------------------------------------

TSupBookRecord::TSupBookRecord(Word aId, TRecordBody aData) : TBaseRecord(aId, std::move(aData))
{
    if (DataSize() < 4)
        XlsError(ErrWrongExcelRecord, {Int64(aId)});
}

TSupBookRecord::TSupBookRecord(Integer SheetCount) : TBaseRecord(xlr_SUPBOOK, ByteArray(4, 0))
{
    SetWord(Data(), 0, static_cast<Word>(SheetCount));
    SetWord(Data(), 2, 0x0401);
}

TSupBookRecord::~TSupBookRecord() = default;

bool TSupBookRecord::IsLocal() const
{
    return DataSize() == 4 && GetWord(Data(), 2) == 0x0401;
}

bool TSupBookRecord::IsAddIn() const
{
    return DataSize() == 4 && GetWord(Data(), 2) == 0x3A01;
}

bool TSupBookRecord::StoredString(Integer Index, WideString& Text) const
{
    Integer pos = 2;
    for (Integer i = 0; i <= Index; ++i) {
        Integer size = 0;
        if (!FmReadString(Data(), pos, DataSize(), true, size, i == Index ? &Text : nullptr))
            return false;
        pos += size;
    }
    return true;
}

WideString TSupBookRecord::BookName() const
{
    if (IsLocal() || IsAddIn())
        return WideString();
    WideString path;
    if (!StoredString(0, path) || path.empty())
        return WideString();
    if (path[0] == 0x00 || path[0] == 0x02)
        return WideString();
    if (path[0] != 0x01)
        return path;
    WideString out;
    for (size_t i = 1; i < path.size(); ++i) {
        const char16_t c = path[i];
        if (c == 0x01 && i + 1 < path.size()) {
            ++i;
            if (path[i] == 0x40)
                out += u"\\\\";
            else
                out += WideString(1, path[i]) + u":\\";
        } else if (c == 0x02 || c == 0x03) {
            out += u'\\';
        } else if (c == 0x04) {
            out += u"..\\";
        } else {
            out += c;
        }
    }
    return out;
}

WideString TSupBookRecord::SheetName(Integer Index, const TReferenceGlobals& Globals) const
{
    if (Index < 0 || Index >= SheetCount())
        return WideString();
    if (IsLocal()) {
        if (!Globals.Sheets || Index >= Globals.Sheets->Count())
            return WideString();
        return Globals.Sheets->GetSheetName(Index);
    }
    WideString name;
    if (IsAddIn() || !StoredString(Index + 1, name))
        return WideString();
    return name;
}

void TSupBookRecord::InsertSheets(Integer Count)
{
    if (!IsLocal())
        XlsError(ErrExcelInvalid);
    IncWord(Data(), 0, Count, 65000);
}

void TSupBookRecord::AddExternName(std::unique_ptr<TExternNameRecord> Name)
{
    // The SUPBOOK writes its external names after it and counts them in its size.
    TSizeChange change(*this);
    FExternNames.Add(std::move(Name));
}

std::unique_ptr<TBaseRecord> TSupBookRecord::DoCopyTo() const
{
    auto copy = std::make_unique<TSupBookRecord>(FId, FData);
    CopyContinueTo(*copy);
    copy->FExternNames.CopyFrom(&FExternNames);
    return copy;
}

void TSupBookRecord::SaveToStream(TOle2File& Workbook)
{
    TBaseRecord::SaveToStream(Workbook);
    FExternNames.SaveToStream(Workbook);
}

Int64 TSupBookRecord::TotalSize() const
{
    return TBaseRecord::TotalSize() + FExternNames.ComputedTotalSize();
}

Int64 TSupBookRecord::TotalSizeNoHeaders() const
{
    Int64 size = TBaseRecord::TotalSizeNoHeaders();
    for (Integer i = 0; i < FExternNames.Count(); ++i)
        if (FExternNames.Items(i))
            size += FExternNames.Items(i)->TotalSizeNoHeaders();
    return size;
}

// ---- EXTERNSHEET -----------------------------------------------------------------------------

TExternSheetRecord::TExternSheetRecord(Word aId, TRecordBody aData) : TBaseRecord(aId, std::move(aData))
{
    if (DataSize() < 2)
        XlsError(ErrWrongExcelRecord, {Int64(aId)});
}

Integer TExternRefList::Add(const TExternRef& Ref)
{
    FItems.push_back(Ref);
    return Count() - 1;
}

void TExternRefList::Load(const TBaseRecord& Rec)
{
    const TBaseRecord* r = &Rec;
    Integer pos = 0;
    Byte b[6];
    ReadMem(r, pos, 2, b);
    const Integer count = GetWord(b, 0);
    for (Integer i = 0; i < count; ++i) {
        ReadMem(r, pos, 6, b);
        FItems.push_back({GetWord(b, 0), GetWord(b, 2), GetWord(b, 4)});
    }
}

void TExternRefList::InsertSheets(Integer BeforeSheet, Integer SheetCount, Integer LocalSupBook)
{
    for (TExternRef& e : FItems) {
        if (e.SupBook != LocalSupBook)
            continue;
        for (Word* v : {&e.FirstSheet, &e.LastSheet}) {
            if (*v >= BeforeSheet && *v < BeforeSheet - SheetCount)
                *v = 0xFFFF;
            if (*v < 0xFFFE && *v >= BeforeSheet)
                IncMax(*v, SheetCount, 65000);
        }
    }
}

void TExternRefList::SaveToStream(TOle2File& Workbook) const
{
    if (FItems.empty())
        return;
    constexpr size_t PerRecord = 1370;
    for (size_t start = 0; start < FItems.size(); start += PerRecord) {
        const size_t n = std::min(PerRecord, FItems.size() - start);
        ByteArray data;
        data.reserve(2 + 6 * n);
        if (start == 0) {
            data.push_back(static_cast<Byte>(FItems.size() & 0xFF));
            data.push_back(static_cast<Byte>((FItems.size() >> 8) & 0xFF));
        }
        for (size_t i = start; i < start + n; ++i)
            for (Word w : {FItems[i].SupBook, FItems[i].FirstSheet, FItems[i].LastSheet}) {
                data.push_back(static_cast<Byte>(w & 0xFF));
                data.push_back(static_cast<Byte>(w >> 8));
            }
        Workbook.WriteHeader(start == 0 ? xlr_EXTERNSHEET : xlr_CONTINUE, static_cast<Word>(data.size()));
        Workbook.WriteMem(data.data(), static_cast<Integer>(data.size()));
    }
}

Int64 TExternRefList::TotalSize() const
{
    if (FItems.empty())
        return 0;
    const Int64 c = static_cast<Int64>(FItems.size());
    return 6 + 6 * c + 4 * ((6 * c - 1) / 8220);
}

// ---- TReferences -----------------------------------------------------------------------------

void TReferences::Clear()
{
    FSupBooks.Clear();
    FExternRefs.Clear();
    FLocalSupBook = -1;
}

TSupBookRecord* TReferences::SupBook(Integer Index) const
{
    if (Index < 0 || Index >= FSupBooks.Count())
        OutOfRange(Index, "idx", FSupBooks.Count());
    return static_cast<TSupBookRecord*>(FSupBooks.Items(Index));
}

void TReferences::AddSupBook(std::unique_ptr<TSupBookRecord> SupBook)
{
    const bool local = SupBook->IsLocal();
    const Integer index = FSupBooks.Add(std::move(SupBook));
    if (local)
        FLocalSupBook = index;
}

void TReferences::AddExternName(std::unique_ptr<TExternNameRecord> Name)
{
    if (FSupBooks.Count() == 0)
        XlsError(ErrExcelInvalid);
    SupBook(FSupBooks.Count() - 1)->AddExternName(std::move(Name));
}

void TReferences::AddExternRef(const TBaseRecord& ExternSheet)
{
    FExternRefs.Load(ExternSheet);
}

const TExternRef& TReferences::Ref(Integer SheetRef) const
{
    if (SheetRef < 0 || SheetRef >= FExternRefs.Count())
        OutOfRange(SheetRef, "Sheet Reference", FExternRefs.Count());
    return FExternRefs.Items(SheetRef);
}

Integer TReferences::GetSheet(Integer SheetRef) const
{
    const TExternRef& r = Ref(SheetRef);
    if (r.SupBook == FLocalSupBook && r.FirstSheet == r.LastSheet)
        return r.FirstSheet;
    return -1;
}

Word TReferences::SetSheet(Integer Sheet)
{
    for (Integer i = 0; i < FExternRefs.Count(); ++i) {
        const TExternRef& r = FExternRefs.Items(i);
        if (r.SupBook == FLocalSupBook && r.FirstSheet == Sheet && r.LastSheet == Sheet)
            return static_cast<Word>(i);
    }
    return static_cast<Word>(FExternRefs.Add(
        {static_cast<Word>(FLocalSupBook), static_cast<Word>(Sheet), static_cast<Word>(Sheet)}));
}

Word TReferences::AddSheet(Integer SheetCount, Integer FirstSheet, Integer LastSheet)
{
    if (FLocalSupBook < 0)
        AddSupBook(std::make_unique<TSupBookRecord>(SheetCount));
    for (Integer i = 0; i < FExternRefs.Count(); ++i) {
        const TExternRef& r = FExternRefs.Items(i);
        if (r.SupBook == FLocalSupBook && r.FirstSheet == FirstSheet && r.LastSheet == LastSheet)
            return static_cast<Word>(i);
    }
    return static_cast<Word>(FExternRefs.Add(
        {static_cast<Word>(FLocalSupBook), static_cast<Word>(FirstSheet), static_cast<Word>(LastSheet)}));
}

WideString TReferences::GetSheetName(Integer SheetRef, const TReferenceGlobals& Globals) const
{
    const TExternRef& r = Ref(SheetRef);
    const TSupBookRecord* s = SupBook(r.SupBook);
    WideString sheets = s->SheetName(r.FirstSheet, Globals);
    if (r.FirstSheet != r.LastSheet)
        sheets += u":" + s->SheetName(r.LastSheet, Globals);
    WideString book;
    if (r.SupBook != FLocalSupBook) {
        book = s->BookName();
        if (!sheets.empty()) {
            const size_t cut = book.find_last_of(u"\\:");
            book.insert(cut == WideString::npos ? 0 : cut + 1, u"[");
            book += u"]";
        }
    }
    const WideString text = book + sheets;
    if (text.empty())
        return text;
    // An apostrophe inside the quotes is doubled, as formula text writes it, so that the text
    // can be entered again.
    WideString quoted = u"'";
    for (WideChar c : text) {
        quoted += c;
        if (c == u'\'')
            quoted += c;
    }
    return quoted + u"'!";
}

WideString TReferences::GetName(Integer SheetRef, Integer NameIndex, const TReferenceGlobals& Globals) const
{
    const Integer supBook = SheetRef < 0 ? FLocalSupBook : Ref(SheetRef).SupBook;
    if (supBook == FLocalSupBook) {
        const Integer count = Globals.Names ? Globals.Names->Count() : 0;
        if (NameIndex < 0 || NameIndex >= count || !Globals.Names->Items(NameIndex))
            OutOfRange(NameIndex, "Name Index", count);
        return Globals.Names->Items(NameIndex)->Name();
    }
    const TExternNameRecordList& names = SupBook(supBook)->ExternNames();
    if (NameIndex < 0 || NameIndex >= names.Count() || !names.Items(NameIndex))
        OutOfRange(NameIndex, "Name Index", names.Count());
    return names.Items(NameIndex)->Name();
}

void TReferences::InsertSheets(Integer BeforeSheet, Integer SheetCount)
{
    FExternRefs.InsertSheets(BeforeSheet, SheetCount, FLocalSupBook);
    if (FLocalSupBook >= 0)
        SupBook(FLocalSupBook)->InsertSheets(SheetCount);
}

Int64 TReferences::TotalSize() const
{
    Int64 size = 0;
    for (Integer i = 0; i < FSupBooks.Count(); ++i)
        if (FSupBooks.Items(i))
            size += FSupBooks.Items(i)->TotalSize();
    return size + FExternRefs.TotalSize();
}

void TReferences::SaveToStream(TOle2File& Workbook)
{
    FSupBooks.SaveToStream(Workbook);
    FExternRefs.SaveToStream(Workbook);
}
