#include "RudUvud/support/VadUni.h"

#include "platform/rtl/Filer.h"
#include "platform/rtl/Format.h"
#include "platform/rtl/Guards.h"
#include "platform/rtl/Strings.h"

namespace {

bool IsLineEnd(WideChar C)
{
    return C == 0 || C == 10 || C == 11 || C == 12 || C == 13 || C == 0x2028 || C == 0x2029;
}

} // namespace

// ---- TAnsiStringsForWideStrings -----------------------------------------------------------------

AnsiString TAnsiStringsForWideStrings::Get(Integer Index) const
{
    return WideToAnsi(WideList->Get(Index));
}

Integer TAnsiStringsForWideStrings::GetCount() const
{
    return WideList->GetCount();
}

void TAnsiStringsForWideStrings::Clear()
{
    WideList->Clear();
}

void TAnsiStringsForWideStrings::Delete(Integer Index)
{
    WideList->Delete(Index);
}

void TAnsiStringsForWideStrings::Insert(Integer Index, const AnsiString& S)
{
    WideList->Insert(Index, AnsiToWide(S));
}

// ---- TWideStrings -------------------------------------------------------------------------------

TWideStrings::TWideStrings() : FAnsiStrings(std::make_unique<TAnsiStringsForWideStrings>(this)) {}

TWideStrings::~TWideStrings() = default;

void TWideStrings::DefineProperties(TFiler* Filer)
{
    bool HasData;
    if (TPersistent* Ancestor = Filer->Ancestor()) {
        auto* Wide = dynamic_cast<TWideStrings*>(Ancestor);
        HasData = !Wide || !Equals(Wide);
    } else {
        HasData = Count() > 0;
    }
    Filer->DefineProperty(
        "WideStrings", [this](TReader* Reader) { ReadData(Reader); },
        [this](TWriter* Writer) { WriteData(Writer); }, HasData);
}

void TWideStrings::ReadData(TReader* Reader)
{
    Reader->ReadListBegin();
    {
        TUpdateBracket Bracket(this);
        Clear();
        while (!Reader->EndOfList()) {
            if (Reader->NextValue() == vaWString)
                Add(Reader->ReadWideString());
            else
                Add(AnsiToWide(Reader->ReadString()));
        }
    }
    Reader->ReadListEnd();
}

void TWideStrings::WriteData(TWriter* Writer)
{
    Writer->WriteListBegin();
    for (Integer I = 0; I < Count(); ++I)
        Writer->WriteWideString(Get(I));
    Writer->WriteListEnd();
}

void TWideStrings::Assign(TPersistent* Source)
{
    if (auto* Wide = dynamic_cast<TWideStrings*>(Source)) {
        TUpdateBracket Bracket(this);
        Clear();
        AddStrings(Wide);
        return;
    }
    if (auto* Ansi = dynamic_cast<TStrings*>(Source)) {
        TUpdateBracket Bracket(this);
        Clear();
        for (Integer I = 0; I < Ansi->Count(); ++I)
            AddObject(AnsiToWide(Ansi->Strings(I)), Ansi->Objects(I));
        return;
    }
    TPersistent::Assign(Source);
}

void TWideStrings::AssignTo(TPersistent* Dest)
{
    if (auto* Ansi = dynamic_cast<TStrings*>(Dest)) {
        TUpdateBracket<TStrings> Bracket(Ansi);
        Ansi->Clear();
        for (Integer I = 0; I < Count(); ++I)
            Ansi->AddObject(WideToAnsi(Get(I)), GetObject(I));
        return;
    }
    if (auto* Wide = dynamic_cast<TWideStrings*>(Dest)) {
        TUpdateBracket Bracket(Wide);
        Wide->Clear();
        Wide->AddStrings(this);
        return;
    }
    TPersistent::AssignTo(Dest);
}

Integer TWideStrings::GetCapacity() const
{
    return GetCount();
}

TObject* TWideStrings::GetObject(Integer) const
{
    return nullptr;
}

WideString TWideStrings::GetTextStr() const
{
    const Integer N = GetCount();
    std::size_t Size = 0;
    for (Integer I = 0; I < N; ++I)
        Size += Get(I).size() + 2;
    WideString Result;
    Result.reserve(Size);
    for (Integer I = 0; I < N; ++I) {
        Result += Get(I);
        Result += u"\r\n";
    }
    return Result;
}

void TWideStrings::Put(Integer Index, const WideString& S)
{
    TObject* Object = GetObject(Index);
    Delete(Index);
    InsertObject(Index, S, Object);
}

void TWideStrings::PutObject(Integer, TObject*) {}

void TWideStrings::SetCapacity(Integer) {}

void TWideStrings::SetTextStr(const WideString& Value)
{
    TUpdateBracket Bracket(this);
    Clear();
    std::size_t I = 0;
    const std::size_t N = Value.size();
    while (I < N) {
        const std::size_t Start = I;
        while (I < N && !IsLineEnd(Value[I]))
            ++I;
        Add(Value.substr(Start, I - Start));
        if (I < N) {
            // CR LF is one terminator.
            const bool CarriageReturn = Value[I] == 13;
            ++I;
            if (CarriageReturn && I < N && Value[I] == 10)
                ++I;
        }
    }
}

void TWideStrings::SetUpdateState(bool) {}

void TWideStrings::SetLanguage(LCID Value)
{
    FLanguage = Value;
}

Integer TWideStrings::Add(const WideString& S)
{
    const Integer Result = GetCount();
    Insert(Result, S);
    return Result;
}

Integer TWideStrings::AddObject(const WideString& S, TObject* AObject)
{
    const Integer Result = Add(S);
    PutObject(Result, AObject);
    return Result;
}

void TWideStrings::AddStrings(TStrings* Strings)
{
    TUpdateBracket Bracket(this);
    for (Integer I = 0; I < Strings->Count(); ++I)
        AddObject(AnsiToWide(Strings->Strings(I)), Strings->Objects(I));
}

void TWideStrings::AddStrings(TWideStrings* Strings)
{
    TUpdateBracket Bracket(this);
    // Count read once: adding a list to itself must end.
    const Integer N = Strings->Count();
    for (Integer I = 0; I < N; ++I)
        AddObject(Strings->Get(I), Strings->GetObject(I));
}

void TWideStrings::Exchange(Integer Index1, Integer Index2)
{
    TUpdateBracket Bracket(this);
    const WideString TempString = Get(Index1);
    TObject* TempObject = GetObject(Index1);
    Put(Index1, Get(Index2));
    PutObject(Index1, GetObject(Index2));
    Put(Index2, TempString);
    PutObject(Index2, TempObject);
}

WideString TWideStrings::GetText() const
{
    return GetTextStr();
}

bool TWideStrings::SameString(const WideString& S1, const WideString& S2) const
{
    return WideCompareText(S1, S2) == 0;
}

Integer TWideStrings::IndexOf(const WideString& S)
{
    for (Integer I = 0; I < GetCount(); ++I)
        if (SameString(Get(I), S))
            return I;
    return -1;
}

void TWideStrings::Move(Integer CurIndex, Integer NewIndex)
{
    if (CurIndex == NewIndex)
        return;
    TUpdateBracket Bracket(this);
    const WideString TempString = Get(CurIndex);
    TObject* TempObject = GetObject(CurIndex);
    Delete(CurIndex);
    InsertObject(NewIndex, TempString, TempObject);
}

void TWideStrings::SetText(const WideChar* Text)
{
    SetTextStr(Text ? WideString(Text) : WideString());
}

void TWideStrings::BeginUpdate()
{
    if (FUpdateDepth == 0)
        SetUpdateState(true);
    ++FUpdateDepth;
}

void TWideStrings::EndUpdate()
{
    --FUpdateDepth;
    if (FUpdateDepth == 0)
        SetUpdateState(false);
}

void TWideStrings::InsertObject(Integer Index, const WideString& S, TObject* AObject)
{
    Insert(Index, S);
    PutObject(Index, AObject);
}

Integer TWideStrings::IndexOfObject(TObject* AObject)
{
    for (Integer I = 0; I < GetCount(); ++I)
        if (GetObject(I) == AObject)
            return I;
    return -1;
}

Integer TWideStrings::IndexOfName(const WideString& Name)
{
    for (Integer I = 0; I < GetCount(); ++I) {
        const WideString S = Get(I);
        const std::size_t Equal = S.find(u'=');
        if (Equal != WideString::npos && SameString(S.substr(0, Equal), Name))
            return I;
    }
    return -1;
}

WideString TWideStrings::GetName(Integer Index) const
{
    const WideString S = Get(Index);
    const std::size_t Equal = S.find(u'=');
    return Equal == WideString::npos ? WideString() : S.substr(0, Equal);
}

WideString TWideStrings::GetValue(const WideString& Name)
{
    const Integer I = IndexOfName(Name);
    if (I < 0)
        return WideString();
    // From character position Length(Name) + 2 on.
    const WideString S = Get(I);
    return Name.size() + 1 < S.size() ? S.substr(Name.size() + 1) : WideString();
}

void TWideStrings::SetValue(const WideString& Name, const WideString& Value)
{
    Integer I = IndexOfName(Name);
    if (!Value.empty()) {
        if (I < 0)
            I = Add(WideString());
        Put(I, Name + u"=" + Value);
    } else if (I >= 0) {
        Delete(I);
    }
}

bool TWideStrings::Equals(TWideStrings* Strings)
{
    const Integer N = GetCount();
    if (!Strings || N != Strings->GetCount())
        return false;
    for (Integer I = 0; I < N; ++I)
        if (Get(I) != Strings->Get(I))
            return false;
    return true;
}

void TWideStrings::Error(const WideString& Msg, Integer Data) const
{
    throw EStringListError(Format(WideToAnsi(Msg), {Data}));
}

WideString TWideStrings::GetCommaText() const
{
    const Integer N = GetCount();
    if (N == 1 && Get(0).empty())
        return u"\"\"";
    WideString Result;
    for (Integer I = 0; I < N; ++I) {
        const WideString S = Get(I);
        bool Quote = false;
        for (WideChar C : S)
            if (C <= 32 || C == u'"' || C == u',') {
                Quote = true;
                break;
            }
        if (I > 0)
            Result += u',';
        if (!Quote) {
            Result += S;
            continue;
        }
        Result += u'"';
        for (WideChar C : S) {
            if (C == u'"')
                Result += u'"';
            Result += C;
        }
        Result += u'"';
    }
    return Result;
}

void TWideStrings::SetCommaText(const WideString& Value)
{
    TUpdateBracket Bracket(this);
    Clear();
    // The text ends at its first NUL, as a zero-terminated text would.
    const std::size_t N = std::min(Value.size(), Value.find(u'\0'));
    std::size_t I = 0;
    auto SkipBlanks = [&] {
        while (I < N && Value[I] >= 1 && Value[I] <= 32)
            ++I;
    };
    SkipBlanks();
    while (I < N) {
        WideString Field;
        if (Value[I] == u'"') {
            ++I;
            bool Closed = false;
            while (I < N) {
                if (Value[I] == u'"') {
                    if (I + 1 < N && Value[I + 1] == u'"') {
                        Field += u'"';
                        I += 2;
                        continue;
                    }
                    ++I;
                    Closed = true;
                    break;
                }
                Field += Value[I++];
            }
            // Without a closing quote the last character is taken for it.
            if (!Closed && !Field.empty())
                Field.pop_back();
        } else {
            const std::size_t Start = I;
            while (I < N && Value[I] > 32 && Value[I] != u',')
                ++I;
            Field = Value.substr(Start, I - Start);
        }
        Add(Field);
        SkipBlanks();
        if (I < N && Value[I] == u',') {
            ++I;
            SkipBlanks();
        }
    }
}

void TWideStrings::SetAnsiStrings(TStrings* Value)
{
    FAnsiStrings->Assign(Value);
}
