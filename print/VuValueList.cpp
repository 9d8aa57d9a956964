#include "print/VuValueList.h"

#include "platform/rtl/Conversions.h"
#include "platform/rtl/FormatSettings.h"
#include "platform/rtl/Guards.h"

#include <memory>
#include <string_view>

// ---- Stream primitives ----

void TVuWriter::WriteInteger(Integer Value)
{
    FStream->WriteInteger(Value);
}

void TVuWriter::WriteString(const AnsiString& Text)
{
    WriteInteger(static_cast<Integer>(Text.size()));
    if (!Text.empty())
        FStream->WriteBuffer(Text.data(), static_cast<Integer>(Text.size()));
}

void TVuWriter::WriteStream(TStream* Source)
{
    Int64 Size = Source->Size();
    WriteInteger(static_cast<Integer>(Size));
    Source->SetPosition(0);
    if (Size > 0)
        FStream->CopyFrom(Source, Size);
}

void TVuWriter::WriteStringList(TStrings* List)
{
    TMemoryStream Text;
    Text.WriteString(List->Text());
    WriteStream(&Text);
}

Integer TVuReader::ReadInteger()
{
    return FStream->ReadInteger();
}

Integer TVuReader::ReadCount()
{
    Integer Count = ReadInteger();
    Int64 Remaining = FStream->Size() - FStream->Position();
    if (Count < 0 || Count > Remaining)
        throw EReadError("Stream read error");
    return Count;
}

AnsiString TVuReader::ReadString()
{
    Integer Length = ReadCount();
    return Length == 0 ? AnsiString() : FStream->ReadString(Length);
}

void TVuReader::ReadStream(TStream* Target)
{
    Integer Count = ReadCount();
    if (Count == 0)
        return;
    Target->CopyFrom(FStream, Count);
}

void TVuReader::ReadStringList(TStrings* List)
{
    TMemoryStream Block;
    ReadStream(&Block);
    Block.SetPosition(0);
    AnsiString Text = Block.ReadString(static_cast<Integer>(Block.Size()));
    std::unique_ptr<TStringList> Fresh(New<TStringList>());
    Fresh->SetText(Text);
    List->Assign(Fresh.get());
}

// ---- Text forms ----

namespace {

const TFormatSettings& DotSettings()
{
    // A private copy instead of swapping the process-wide separator around each conversion.
    static const TFormatSettings Settings = [] {
        TFormatSettings S = FormatSettings;
        S.DecimalSeparator = '.';
        S.ThousandSeparator = ',';
        return S;
    }();
    return Settings;
}

// Values with line breaks are stored behind this marker with the breaks and the escape
// character written as "\r", "\n" and "\\". No caption of a stored document starts with ESC,
// so older lists read unchanged.
constexpr char EscapedMark = '\x1B';

AnsiString EscapeValue(const AnsiString& Value)
{
    if (Value.find_first_of("\r\n") == AnsiString::npos && (Value.empty() || Value[0] != EscapedMark))
        return Value;
    AnsiString Out(1, EscapedMark);
    for (char C : Value) {
        switch (C) {
        case '\r':
            Out += "\\r";
            break;
        case '\n':
            Out += "\\n";
            break;
        case '\\':
            Out += "\\\\";
            break;
        default:
            Out += C;
        }
    }
    return Out;
}

AnsiString UnescapeValue(const AnsiString& Text)
{
    if (Text.empty() || Text[0] != EscapedMark)
        return Text;
    AnsiString Out;
    for (size_t i = 1; i < Text.size(); ++i) {
        char C = Text[i];
        if (C == '\\' && i + 1 < Text.size()) {
            char N = Text[++i];
            Out += N == 'r' ? '\r' : N == 'n' ? '\n' : N;
        } else {
            Out += C;
        }
    }
    return Out;
}

AnsiString JoinThousandths(std::initializer_list<Extended> Values)
{
    AnsiString Out;
    for (Extended V : Values) {
        if (!Out.empty())
            Out += ',';
        Out += IntToStr(static_cast<long long>(VuRound(V * 1000)));
    }
    return Out;
}

// Items of a comma text, each parsed as a 32-bit integer in thousandths; fewer items than
// Needed raise the string list's index error.
void SplitThousandths(const AnsiString& Text, Extended* Out, int Needed)
{
    std::unique_ptr<TStringList> Items(New<TStringList>());
    Items->SetCommaText(Text);
    for (int i = 0; i < Needed; ++i)
        Out[i] = StrToInt(Items->Strings(i)) / Extended(1000);
}

} // namespace

AnsiString VuFormatExt(Extended Value)
{
    return FormatFloat("0.000", Value, DotSettings());
}

Extended VuParseExt(const AnsiString& Text)
{
    return StrToFloat(Text, DotSettings());
}

// ---- TVuValueList ----

namespace {

bool PlainName(std::string_view Name)
{
    if (Name.empty())
        return false;
    for (char C : Name)
        if (!((C >= '0' && C <= '9') || (C >= 'A' && C <= 'Z') || (C >= 'a' && C <= 'z')))
            return false;
    return true;
}

bool SameButCase(std::string_view A, std::string_view B)
{
    if (A.size() != B.size())
        return false;
    for (size_t I = 0; I < A.size(); ++I) {
        char X = A[I], Y = B[I];
        if (X >= 'a' && X <= 'z')
            X = static_cast<char>(X - 'a' + 'A');
        if (Y >= 'a' && Y <= 'z')
            Y = static_cast<char>(Y - 'a' + 'A');
        if (X != Y)
            return false;
    }
    return true;
}

std::string UpperPlain(const AnsiString& Name)
{
    std::string Key(Name);
    for (char& C : Key)
        if (C >= 'a' && C <= 'z')
            C = static_cast<char>(C - 'a' + 'A');
    return Key;
}

// The name of a line ("" for a line without "=", which no lookup finds).
bool LineName(const AnsiString& Line, AnsiString& Name)
{
    const auto P = Line.find('=');
    if (P == AnsiString::npos)
        return false;
    Name = Line.substr(0, P);
    return true;
}

} // namespace

void TVuValueList::Changing()
{
    if (!FKeepIndex)
        FIndexed = false;
    TStringList::Changing();
}

void TVuValueList::IndexLine(Integer Index, const AnsiString& Line)
{
    AnsiString Name;
    if (!LineName(Line, Name))
        return;
    if (PlainName(Name))
        FPlainNames[UpperPlain(Name)].push_back(Index);
    else
        FOtherNames.push_back(Index);
}

void TVuValueList::BuildIndex()
{
    FPlainNames.clear();
    FOtherNames.clear();
    for (Integer I = 0; I < Count(); ++I)
        IndexLine(I, Strings(I));
    FIndexed = true;
}

Integer TVuValueList::IndexOfName(const AnsiString& Name)
{
    if (CaseSensitive() || Sorted() || NameValueSeparator() != '=' || !PlainName(Name))
        return TStringList::IndexOfName(Name);
    if (Count() <= SmallList) {
        // A few lines: comparing them costs less than keeping an index. A plain name equals
        // another plain one only if they are the same but for case.
        for (Integer I = 0; I < Count(); ++I) {
            const AnsiString Line = Strings(I);
            const auto P = Line.find('=');
            if (P == AnsiString::npos)
                continue;
            const std::string_view Key(Line.data(), P);
            if (PlainName(Key) && !SameButCase(Key, Name))
                continue;
            if (Key == Name || CompareStrings(AnsiString(Key), Name) == 0)
                return I;
        }
        return -1;
    }
    if (!FIndexed)
        BuildIndex();
    Integer Found = -1;
    AnsiString LineKey;
    if (auto It = FPlainNames.find(UpperPlain(Name)); It != FPlainNames.end())
        for (Integer I : It->second) {
            LineName(Strings(I), LineKey);
            if (LineKey == Name || CompareStrings(LineKey, Name) == 0) {
                Found = I;
                break;
            }
        }
    // A line of another kind of name before it may still compare equal (an ignorable character).
    for (Integer I : FOtherNames) {
        if (Found >= 0 && I > Found)
            break;
        LineName(Strings(I), LineKey);
        if (CompareStrings(LineKey, Name) == 0)
            return I;
    }
    return Found;
}

void TVuValueList::PutValue(const AnsiString& Name, const AnsiString& Text)
{
    const Integer Index = IndexOfName(Name);
    const AnsiString Line = Name + "=" + Text;
    // A line rewritten under the same name, or one appended, keeps the index valid.
    AnsiString Old;
    FKeepIndex = FIndexed && !Sorted() && (Index < 0 || (LineName(Strings(Index), Old) && Old == Name));
    TScopeExit Done([this] { FKeepIndex = false; });
    if (Index >= 0) {
        SetStrings(Index, Line);
    } else {
        Add(Line);
        if (FKeepIndex)
            IndexLine(Count() - 1, Line);
    }
}

bool TVuValueList::FindValue(const AnsiString& Name, AnsiString& Text)
{
    Integer Index = IndexOfName(Name);
    if (Index < 0)
        return false;
    Text = ValueFromIndex(Index);
    return true;
}

void TVuValueList::WriteIntValue(const AnsiString& Name, Integer Value)
{
    PutValue(Name, IntToStr(Value));
}

void TVuValueList::WriteBoolValue(const AnsiString& Name, bool Value)
{
    PutValue(Name, Value ? "1" : "0");
}

void TVuValueList::WriteExtValue(const AnsiString& Name, Extended Value)
{
    PutValue(Name, VuFormatExt(Value));
}

void TVuValueList::WriteStringValue(const AnsiString& Name, const AnsiString& Value)
{
    if (Value.empty()) {
        Integer Index = IndexOfName(Name);
        if (Index >= 0)
            Delete(Index);
        return;
    }
    PutValue(Name, EscapeValue(Value));
}

void TVuValueList::WriteVuPointValue(const AnsiString& Name, const TVuPoint& P)
{
    PutValue(Name, JoinThousandths({P.X, P.Y}));
}

void TVuValueList::WriteVuRectValue(const AnsiString& Name, const TVuRect& R)
{
    PutValue(Name, JoinThousandths({R.Left, R.Top, R.Right, R.Bottom}));
}

void TVuValueList::WritePointValue(const AnsiString& Name, const TPoint& P)
{
    WriteVuPointValue(Name, VuPoint(P.X, P.Y));
}

Integer TVuValueList::ReadIntValue(const AnsiString& Name, Integer Default)
{
    AnsiString Text;
    return FindValue(Name, Text) ? StrToInt(Text) : Default;
}

bool TVuValueList::ReadBoolValue(const AnsiString& Name, bool Default)
{
    AnsiString Text;
    return FindValue(Name, Text) ? (StrToInt(Text) & 0xFF) != 0 : Default;
}

Extended TVuValueList::ReadExtValue(const AnsiString& Name, Extended Default)
{
    AnsiString Text;
    return FindValue(Name, Text) ? VuParseExt(Text) : Default;
}

AnsiString TVuValueList::ReadStringValue(const AnsiString& Name, const AnsiString& Default)
{
    AnsiString Text;
    return FindValue(Name, Text) ? UnescapeValue(Text) : Default;
}

TVuPoint TVuValueList::ReadVuPointValue(const AnsiString& Name, const TVuPoint& Default)
{
    AnsiString Text;
    if (!FindValue(Name, Text))
        return Default;
    Extended V[2];
    SplitThousandths(Text, V, 2);
    return {V[0], V[1]};
}

TVuRect TVuValueList::ReadVuRectValue(const AnsiString& Name, const TVuRect& Default)
{
    AnsiString Text;
    if (!FindValue(Name, Text))
        return Default;
    if (Text.empty())
        return {};
    Extended V[4];
    SplitThousandths(Text, V, 4);
    return {V[0], V[1], V[2], V[3]};
}

TPoint TVuValueList::ReadPointValue(const AnsiString& Name, const TPoint& Default)
{
    AnsiString Text;
    if (!FindValue(Name, Text))
        return Default;
    TVuPoint P = ReadVuPointValue(Name, {});
    return TPoint{static_cast<Integer>(VuRound(P.X)), static_cast<Integer>(VuRound(P.Y))};
}

void TVuValueList::SaveToStream(TStream* Stream)
{
    TVuWriter Writer(Stream);
    Writer.WriteStringList(this);
}

void TVuValueList::LoadFromStream(TStream* Stream)
{
    TVuReader Reader(Stream);
    Reader.ReadStringList(this);
}
