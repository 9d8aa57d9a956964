#include "platform/rtl/StringLists.h"

#include "platform/rtl/Guards.h"
#include "platform/rtl/Streams.h"
#include "platform/rtl/Strings.h"

#include <cstdio>
#include <utility>
#include <vector>

namespace {

const char* const SListIndexError = "List index out of bounds (%d)";
const char* const SSortedListError = "Operation not allowed on sorted list";
const char* const SDuplicateString = "String list does not allow duplicates";

} // namespace

// ---- TStrings -----------------------------------------------------------------------------------

void TStrings::Error(const char* Msg, Integer Data)
{
    char Text[128];
    std::snprintf(Text, sizeof Text, Msg, static_cast<int>(Data));
    throw EStringListError(Text);
}

Integer TStrings::Add(const AnsiString& S)
{
    const Integer Result = GetCount();
    Insert(Result, S);
    return Result;
}

Integer TStrings::AddObject(const AnsiString& S, TObject* AObject)
{
    const Integer Result = Add(S);
    PutObject(Result, AObject);
    return Result;
}

void TStrings::AddStrings(TStrings* Strings)
{
    if (Strings == nullptr)
        return;
    TUpdateBracket Bracket(this);
    if (Strings == this) {
        // Adding a list to itself takes what it holds now: reading while adding would never end,
        // and a sorted list would move the items still to be read.
        std::vector<std::pair<AnsiString, TObject*>> Items;
        Items.reserve(static_cast<std::size_t>(Count()));
        for (Integer I = 0; I < Count(); ++I)
            Items.emplace_back(Get(I), GetObject(I));
        for (const auto& [S, Object] : Items)
            AddObject(S, Object);
        return;
    }
    for (Integer I = 0; I < Strings->Count(); ++I)
        AddObject(Strings->Get(I), Strings->GetObject(I));
}

void TStrings::Assign(TPersistent* Source)
{
    auto* Strings = dynamic_cast<TStrings*>(Source);
    if (Strings == nullptr) {
        TPersistent::Assign(Source);
        return;
    }
    if (Strings == this)
        return;
    TUpdateBracket Bracket(this);
    Clear();
    FDelimiter = Strings->FDelimiter;
    FQuoteChar = Strings->FQuoteChar;
    FNameValueSeparator = Strings->FNameValueSeparator;
    FStrictDelimiter = Strings->FStrictDelimiter;
    AddStrings(Strings);
}

void TStrings::BeginUpdate()
{
    if (FUpdateCount == 0)
        SetUpdateState(true);
    ++FUpdateCount;
}

void TStrings::EndUpdate()
{
    if (FUpdateCount <= 0)
        return;
    --FUpdateCount;
    if (FUpdateCount == 0)
        SetUpdateState(false);
}

void TStrings::SetUpdateState(bool) {}

void TStrings::InsertObject(Integer Index, const AnsiString& S, TObject* AObject)
{
    Insert(Index, S);
    PutObject(Index, AObject);
}

void TStrings::Exchange(Integer Index1, Integer Index2)
{
    TUpdateBracket Bracket(this);
    const AnsiString TempString = Get(Index1);
    TObject* TempObject = GetObject(Index1);
    Put(Index1, Get(Index2));
    PutObject(Index1, GetObject(Index2));
    Put(Index2, TempString);
    PutObject(Index2, TempObject);
}

void TStrings::Move(Integer CurIndex, Integer NewIndex)
{
    if (CurIndex == NewIndex)
        return;
    // Both indexes are checked before anything is taken out, so a bad NewIndex cannot lose the
    // string being moved.
    if (CurIndex < 0 || CurIndex >= GetCount())
        Error(SListIndexError, CurIndex);
    if (NewIndex < 0 || NewIndex >= GetCount())
        Error(SListIndexError, NewIndex);
    TUpdateBracket Bracket(this);
    const AnsiString TempString = Get(CurIndex);
    TObject* TempObject = GetObject(CurIndex);
    Delete(CurIndex);
    InsertObject(NewIndex, TempString, TempObject);
}

bool TStrings::Equals(TStrings* Strings)
{
    if (Strings == nullptr || Strings->GetCount() != GetCount())
        return false;
    for (Integer I = 0; I < GetCount(); ++I)
        if (Get(I) != Strings->Get(I))
            return false;
    return true;
}

Integer TStrings::IndexOf(const AnsiString& S)
{
    for (Integer I = 0; I < GetCount(); ++I)
        if (CompareStrings(Get(I), S) == 0)
            return I;
    return -1;
}

Integer TStrings::IndexOfName(const AnsiString& Name)
{
    for (Integer I = 0; I < GetCount(); ++I) {
        const AnsiString S = Get(I);
        const auto P = S.find(FNameValueSeparator);
        if (P != AnsiString::npos && CompareStrings(S.substr(0, P), Name) == 0)
            return I;
    }
    return -1;
}

Integer TStrings::IndexOfObject(TObject* AObject)
{
    for (Integer I = 0; I < GetCount(); ++I)
        if (GetObject(I) == AObject)
            return I;
    return -1;
}

AnsiString TStrings::Names(Integer Index) const
{
    const AnsiString S = Get(Index);
    const auto P = S.find(FNameValueSeparator);
    return P == AnsiString::npos ? AnsiString() : S.substr(0, P);
}

AnsiString TStrings::ValueFromIndex(Integer Index) const
{
    const AnsiString S = Get(Index);
    const auto P = S.find(FNameValueSeparator);
    // A string without separator has no value (rather than its text less the first character).
    return P == AnsiString::npos ? AnsiString() : S.substr(P + 1);
}

void TStrings::SetValueFromIndex(Integer Index, const AnsiString& Value)
{
    if (!Value.empty()) {
        if (Index < 0)
            AddObject(AnsiString(1, FNameValueSeparator) + Value, nullptr);
        else
            ReplaceString(Index, Names(Index) + FNameValueSeparator + Value);
    } else if (Index >= 0) {
        Delete(Index);
    }
}

AnsiString TStrings::Values(const AnsiString& Name)
{
    const Integer I = IndexOfName(Name);
    return I >= 0 ? ValueFromIndex(I) : AnsiString();
}

void TStrings::SetValues(const AnsiString& Name, const AnsiString& Value)
{
    const Integer I = IndexOfName(Name);
    if (!Value.empty()) {
        const AnsiString Line = Name + FNameValueSeparator + Value;
        if (I < 0)
            Add(Line);
        else
            ReplaceString(I, Line);
    } else if (I >= 0) {
        Delete(I);
    }
}

void TStrings::ReplaceString(Integer Index, const AnsiString& S)
{
    Put(Index, S);
}

TObject* TStrings::GetObject(Integer) const
{
    return nullptr;
}

void TStrings::Put(Integer Index, const AnsiString& S)
{
    TObject* TempObject = GetObject(Index);
    TUpdateBracket Bracket(this);
    Delete(Index);
    InsertObject(Index, S, TempObject);
}

void TStrings::PutObject(Integer, TObject*) {}

AnsiString TStrings::GetTextStr() const
{
    const Integer N = GetCount();
    std::size_t Size = 0;
    for (Integer I = 0; I < N; ++I)
        Size += Get(I).size() + 2;
    AnsiString Result;
    Result.reserve(Size);
    for (Integer I = 0; I < N; ++I) {
        Result += Get(I);
        Result += sLineBreak;
    }
    return Result;
}

void TStrings::SetTextStr(const AnsiString& Value)
{
    TUpdateBracket Bracket(this);
    Clear();
    std::size_t P = 0;
    const std::size_t N = Value.size();
    while (P < N) {
        std::size_t Start = P;
        while (P < N && Value[P] != '\r' && Value[P] != '\n')
            ++P;
        Add(Value.substr(Start, P - Start));
        if (P < N && Value[P] == '\r')
            ++P;
        if (P < N && Value[P] == '\n')
            ++P;
    }
}

AnsiString TStrings::CommaText() const
{
    return DelimitedTextWith(',', '"', false);
}

void TStrings::SetCommaText(const AnsiString& Value)
{
    SetDelimitedTextWith(Value, ',', '"', false);
}

AnsiString TStrings::DelimitedText() const
{
    return DelimitedTextWith(FDelimiter, FQuoteChar, FStrictDelimiter);
}

void TStrings::SetDelimitedText(const AnsiString& Value)
{
    SetDelimitedTextWith(Value, FDelimiter, FQuoteChar, FStrictDelimiter);
}

namespace {

AnsiString Quoted(const AnsiString& S, char Quote)
{
    AnsiString Result(1, Quote);
    for (char C : S) {
        if (C == Quote)
            Result += Quote;
        Result += C;
    }
    Result += Quote;
    return Result;
}

bool IsBlank(char C)
{
    return static_cast<unsigned char>(C) <= ' ';
}

} // namespace

AnsiString TStrings::DelimitedTextWith(char ADelimiter, char AQuote, bool Strict) const
{
    const Integer N = GetCount();
    if (N == 1 && Get(0).empty())
        return AnsiString(2, AQuote);
    AnsiString Result;
    for (Integer I = 0; I < N; ++I) {
        const AnsiString S = Get(I);
        bool NeedsQuotes = false;
        for (char C : S)
            if (C == AQuote || C == ADelimiter || (!Strict && IsBlank(C))) {
                NeedsQuotes = true;
                break;
            }
        if (I > 0)
            Result += ADelimiter;
        Result += NeedsQuotes ? Quoted(S, AQuote) : S;
    }
    return Result;
}

void TStrings::SetDelimitedTextWith(const AnsiString& Value, char ADelimiter, char AQuote, bool Strict)
{
    const std::size_t N = Value.size();
    // Outside quotes, blanks separate items too unless the delimiter is strict.
    auto SkipBlanks = [&](std::size_t& P) {
        if (!Strict)
            while (P < N && IsBlank(Value[P]) && Value[P] != ADelimiter)
                ++P;
    };
    TUpdateBracket Bracket(this);
    Clear();
    std::size_t P = 0;
    SkipBlanks(P);
    while (P < N) {
        AnsiString S;
        if (Value[P] == AQuote) {
            // A quoted item: doubled quotes stand for one; a missing closing quote ends the
            // item at the end of the text.
            ++P;
            while (P < N) {
                if (Value[P] == AQuote) {
                    if (P + 1 < N && Value[P + 1] == AQuote) {
                        S += AQuote;
                        P += 2;
                        continue;
                    }
                    ++P;
                    break;
                }
                S += Value[P++];
            }
        } else {
            const std::size_t Start = P;
            while (P < N && Value[P] != ADelimiter && (Strict || !IsBlank(Value[P])))
                ++P;
            S = Value.substr(Start, P - Start);
        }
        Add(S);
        SkipBlanks(P);
        if (P < N && Value[P] == ADelimiter) {
            ++P;
            if (P == N)
                Add(AnsiString());
            SkipBlanks(P);
        }
    }
}

Integer TStrings::CompareStrings(const AnsiString& S1, const AnsiString& S2) const
{
    return AnsiCompareText(S1, S2);
}

void TStrings::LoadFromFile(const AnsiString& FileName)
{
    TFileStream Stream(FileName, fmOpenRead | fmShareDenyWrite);
    LoadFromStream(&Stream);
}

void TStrings::LoadFromStream(TStream* Stream)
{
    const Int64 Remaining = Stream->Size() - Stream->Position();
    AnsiString Buffer;
    if (Remaining > 0) {
        if (Remaining > 0x7FFFFFFF)
            throw EStreamError("Stream read error");
        Buffer.resize(static_cast<std::size_t>(Remaining));
        Stream->ReadBuffer(Buffer.data(), static_cast<Integer>(Remaining));
    }
    if (Buffer.size() >= 3 && Buffer.compare(0, 3, "\xEF\xBB\xBF") == 0)
        Buffer.erase(0, 3);
    SetTextStr(Buffer);
}

void TStrings::SaveToFile(const AnsiString& FileName)
{
    TFileStream Stream(FileName, fmCreate);
    SaveToStream(&Stream);
}

void TStrings::SaveToStream(TStream* Stream)
{
    const AnsiString S = GetTextStr();
    if (S.size() > 0x7FFFFFFF)
        throw EStreamError("Stream write error");
    Stream->WriteBuffer(S.data(), static_cast<Integer>(S.size()));
}

// ---- TStringList --------------------------------------------------------------------------------

TStringList::~TStringList()
{
    OnChange = nullptr;
    OnChanging = nullptr;
}

void TStringList::CheckIndex(Integer Index) const
{
    if (Index < 0 || Index >= GetCount())
        Error(SListIndexError, Index);
}

void TStringList::Changed()
{
    if (UpdateCount() == 0 && OnChange)
        OnChange(this);
}

void TStringList::Changing()
{
    if (UpdateCount() == 0 && OnChanging)
        OnChanging(this);
}

void TStringList::SetUpdateState(bool Updating)
{
    if (Updating)
        Changing();
    else
        Changed();
}

Integer TStringList::Add(const AnsiString& S)
{
    return AddObject(S, nullptr);
}

Integer TStringList::AddObject(const AnsiString& S, TObject* AObject)
{
    Integer Result = GetCount();
    if (FSorted && Find(S, Result)) {
        if (FDuplicates == dupIgnore)
            return Result;
        if (FDuplicates == dupError)
            Error(SDuplicateString, 0);
    }
    InsertItem(Result, S, AObject);
    return Result;
}

void TStringList::Clear()
{
    if (FList.empty())
        return;
    Changing();
    FList.clear();
    Changed();
}

void TStringList::Delete(Integer Index)
{
    CheckIndex(Index);
    Changing();
    FList.erase(FList.begin() + Index);
    Changed();
}

void TStringList::Exchange(Integer Index1, Integer Index2)
{
    CheckIndex(Index1);
    CheckIndex(Index2);
    Changing();
    ExchangeItems(Index1, Index2);
    Changed();
}

void TStringList::ExchangeItems(Integer Index1, Integer Index2)
{
    std::swap(FList[static_cast<std::size_t>(Index1)], FList[static_cast<std::size_t>(Index2)]);
}

void TStringList::Move(Integer CurIndex, Integer NewIndex)
{
    // Taking a string out and putting it elsewhere would break the order of a sorted list.
    if (FSorted && CurIndex != NewIndex)
        Error(SSortedListError, 0);
    TStrings::Move(CurIndex, NewIndex);
}

void TStringList::Insert(Integer Index, const AnsiString& S)
{
    InsertObject(Index, S, nullptr);
}

void TStringList::InsertObject(Integer Index, const AnsiString& S, TObject* AObject)
{
    if (FSorted)
        Error(SSortedListError, 0);
    if (Index < 0 || Index > GetCount())
        Error(SListIndexError, Index);
    InsertItem(Index, S, AObject);
}

void TStringList::InsertItem(Integer Index, const AnsiString& S, TObject* AObject)
{
    Changing();
    FList.insert(FList.begin() + Index, TStringItem{S, AObject});
    Changed();
}

Integer TStringList::IndexOf(const AnsiString& S)
{
    if (!FSorted) {
        // Straight over the items: going through Get would copy every string compared.
        for (std::size_t I = 0; I < FList.size(); ++I)
            if (CompareStrings(FList[I].FString, S) == 0)
                return static_cast<Integer>(I);
        return -1;
    }
    Integer Result = -1;
    return Find(S, Result) ? Result : -1;
}

bool TStringList::Find(const AnsiString& S, Integer& Index)
{
    bool Result = false;
    Integer L = 0;
    Integer H = GetCount() - 1;
    while (L <= H) {
        const Integer I = L + (H - L) / 2;
        const Integer C = CompareStrings(FList[static_cast<std::size_t>(I)].FString, S);
        if (C < 0) {
            L = I + 1;
        } else {
            H = I - 1;
            if (C == 0) {
                Result = true;
                if (FDuplicates != dupAccept)
                    L = I;
            }
        }
    }
    Index = L;
    return Result;
}

AnsiString TStringList::Get(Integer Index) const
{
    CheckIndex(Index);
    return FList[static_cast<std::size_t>(Index)].FString;
}

TObject* TStringList::GetObject(Integer Index) const
{
    CheckIndex(Index);
    return FList[static_cast<std::size_t>(Index)].FObject;
}

void TStringList::Put(Integer Index, const AnsiString& S)
{
    if (FSorted)
        Error(SSortedListError, 0);
    CheckIndex(Index);
    Changing();
    FList[static_cast<std::size_t>(Index)].FString = S;
    Changed();
}

void TStringList::PutObject(Integer Index, TObject* AObject)
{
    CheckIndex(Index);
    Changing();
    FList[static_cast<std::size_t>(Index)].FObject = AObject;
    Changed();
}

void TStringList::ReplaceString(Integer Index, const AnsiString& S)
{
    if (!FSorted) {
        Put(Index, S);
        return;
    }
    // A sorted list takes the new text at its own place, with the entry's object.
    CheckIndex(Index);
    TObject* AObject = FList[static_cast<std::size_t>(Index)].FObject;
    TUpdateBracket Bracket(this);
    Delete(Index);
    AddObject(S, AObject);
}

void TStringList::QuickSort(Integer L, Integer R, const TStringListSortCompare& Compare)
{
    // The pivot is tracked by index because the compare function works on positions; every swap
    // that moves it updates P. The scans stop at the range ends, so an inconsistent compare cannot
    // run them off the list; the smaller side is sorted by recursion and the larger by the loop.
    while (L < R) {
        Integer I = L;
        Integer J = R;
        Integer P = L + (R - L) / 2;
        do {
            while (I < R && Compare(this, I, P) < 0)
                ++I;
            while (J > L && Compare(this, J, P) > 0)
                --J;
            if (I <= J) {
                if (I != J) {
                    ExchangeItems(I, J);
                    if (P == I)
                        P = J;
                    else if (P == J)
                        P = I;
                }
                ++I;
                --J;
            }
        } while (I <= J);
        if (J - L < R - I) {
            if (L < J)
                QuickSort(L, J, Compare);
            L = I;
        } else {
            if (I < R)
                QuickSort(I, R, Compare);
            R = J;
        }
    }
}

void TStringList::Sort()
{
    CustomSort([](TStringList* List, Integer Index1, Integer Index2) {
        return List->CompareStrings(List->FList[static_cast<std::size_t>(Index1)].FString,
                                    List->FList[static_cast<std::size_t>(Index2)].FString);
    });
}

void TStringList::CustomSort(TStringListSortCompare Compare)
{
    if (!FSorted && GetCount() > 1 && Compare) {
        Changing();
        QuickSort(0, GetCount() - 1, Compare);
        Changed();
    }
}

void TStringList::SetSorted(bool Value)
{
    if (FSorted == Value)
        return;
    if (Value)
        Sort();
    FSorted = Value;
}

void TStringList::SetCaseSensitive(bool Value)
{
    if (FCaseSensitive == Value)
        return;
    FCaseSensitive = Value;
    // The order of a sorted list depends on the comparison: sort again so Find stays right.
    if (FSorted) {
        FSorted = false;
        Sort();
        FSorted = true;
    }
}

Integer TStringList::CompareStrings(const AnsiString& S1, const AnsiString& S2) const
{
    return FCaseSensitive ? AnsiCompareStr(S1, S2) : AnsiCompareText(S1, S2);
}
