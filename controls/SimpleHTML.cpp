#include "controls/SimpleHTML.h"

#include "platform/rtl/Conversions.h"
#include "platform/rtl/Lists.h"
#include "platform/rtl/Strings.h"
#include "platform/win/Colors.h"

#include <algorithm>
#include <unordered_map>

namespace {

struct TWebChar {
    const char16_t* Name;
    WideChar Char;
};

// The named entities, in the order an encoding looks them up.
constexpr TWebChar WebChars[] = {
    {u"nbsp", 160},   {u"copy", 169},    {u"reg", 174},     {u"trade", 8482},  {u"sup1", 185},
    {u"sup2", 178},   {u"sup3", 179},    {u"quot", 34},     {u"amp", 38},      {u"lt", 60},
    {u"gt", 62},      {u"ndash", 8211},  {u"mdash", 8212},  {u"lsquo", 8216},  {u"rsquo", 8217},
    {u"ldquo", 8220}, {u"rdquo", 8221},  {u"bull", 8226},   {u"dagger", 8224}, {u"Dagger", 8225},
    {u"prime", 8242}, {u"Prime", 8243},  {u"lsaquo", 8249}, {u"rsaquo", 8250}, {u"tilde", 732},
    {u"circ", 710},   {u"spades", 9824}, {u"clubs", 9827},  {u"hearts", 9829}, {u"diams", 9830},
    {u"loz", 9674},   {u"larr", 8592},   {u"rarr", 8594},   {u"uarr", 8593},   {u"darr", 8595},
    {u"harr", 8596},  {u"not", 172},     {u"frac14", 188},  {u"frac12", 189},  {u"frac34", 190},
    {u"plusmn", 177}, {u"laquo", 171},   {u"raquo", 187},   {u"deg", 176},     {u"ordf", 170},
    {u"ordm", 186},   {u"iexcl", 161},   {u"iquest", 191},  {u"euro", 8364},   {u"cent", 162},
    {u"pound", 163},  {u"yen", 165},     {u"curren", 164},  {u"sect", 167},    {u"para", 182},
    {u"macr", 175},   {u"middot", 183},  {u"micro", 181},   {u"times", 215},   {u"divide", 247},
};

struct TWebCharTables {
    std::unordered_map<WideString, WideChar> ByName;
    std::unordered_map<WideChar, WideString> ByChar; // the first name in table order
    TWebCharTables()
    {
        for (const TWebChar& W : WebChars) {
            ByName.emplace(W.Name, W.Char);
            ByChar.emplace(W.Char, W.Name);
        }
    }
};

const TWebCharTables& Tables()
{
    static const TWebCharTables T;
    return T;
}

bool IsBlank(WideChar C)
{
    return C == u' ' || C == u'\t' || C == u'\n' || C == u'\r';
}

bool IsNameChar(WideChar C)
{
    return IsLetterOrDigit(C);
}

WideString AsciiUpper(WideString S)
{
    for (WideChar& C : S)
        if (C >= u'a' && C <= u'z')
            C = WideChar(C - u'a' + u'A');
    return S;
}

int HexValue(WideChar C)
{
    if (C >= u'0' && C <= u'9')
        return C - u'0';
    if (C >= u'a' && C <= u'f')
        return C - u'a' + 10;
    if (C >= u'A' && C <= u'F')
        return C - u'A' + 10;
    return -1;
}

// Finds the next ';' at or after a position that only moves forward, remembering the last answer
// so that a text of many '&' and few ';' is still read in one pass.
class TSemicolonFinder {
public:
    explicit TSemicolonFinder(const WideString& Text) : FText(Text) {}
    std::size_t From(std::size_t Index)
    {
        if (!FSearched || (FNext != WideString::npos && FNext < Index)) {
            FNext = FText.find(u';', Index);
            FSearched = true;
        }
        return FNext;
    }

private:
    const WideString& FText;
    std::size_t FNext = WideString::npos;
    bool FSearched = false;
};

// DecodeWebChar on Text[Start, End) without copying names too long to be anything but a run of
// digits: a text of many '&' before one ';' stays a single pass.
bool DecodeWebCharAt(const WideString& Text, std::size_t Start, std::size_t End, WideChar& Ch)
{
    constexpr std::size_t LongestName = 6;
    if (End - Start > LongestName) {
        if (Text[Start] != u'#')
            return false;
        for (std::size_t K = Start + 1; K < End; ++K)
            if (Text[K] < u'0' || Text[K] > u'9')
                return false;
    }
    return DecodeWebChar(Text.substr(Start, End - Start), Ch);
}

AnsiString AttributeName(const AnsiString& Pair)
{
    return Pair.substr(0, Pair.find('='));
}

} // namespace

// ---- Entities and colours -----------------------------------------------------------------------

bool EncodeWebChar(WideChar Ch, WideString& Name)
{
    const auto Found = Tables().ByChar.find(Ch);
    if (Found == Tables().ByChar.end())
        return false;
    Name = Found->second;
    return true;
}

bool DecodeWebChar(const WideString& Name, WideChar& Ch)
{
    if (Name.empty())
        return false;
    if (Name[0] == u'#') {
        unsigned Value = 0;
        for (std::size_t I = 1; I < Name.size(); ++I) {
            if (Name[I] < u'0' || Name[I] > u'9')
                return false;
            Value = (Value * 10 + unsigned(Name[I] - u'0')) & 0xFFFF;
        }
        if (Value == 0)
            return false;
        Ch = WideChar(Value);
        return true;
    }
    const auto Found = Tables().ByName.find(Name);
    if (Found == Tables().ByName.end())
        return false;
    Ch = Found->second;
    return true;
}

WideString DecodeHtmlEntities(const WideString& Text)
{
    WideString Result;
    Result.reserve(Text.size());
    TSemicolonFinder Semicolons(Text);
    std::size_t I = 0;
    while (I < Text.size()) {
        const std::size_t Amp = Text.find(u'&', I);
        if (Amp == WideString::npos)
            break;
        Result.append(Text, I, Amp - I);
        const std::size_t Semi = Semicolons.From(Amp + 1);
        WideChar Ch;
        if (Semi != WideString::npos && DecodeWebCharAt(Text, Amp + 1, Semi, Ch)) {
            Result.push_back(Ch);
            I = Semi + 1;
        } else {
            Result.push_back(u'&');
            I = Amp + 1;
        }
    }
    if (I < Text.size())
        Result.append(Text, I, WideString::npos);
    return Result;
}

WideString EncodeHtmlEntities(const WideString& Text)
{
    WideString Result;
    Result.reserve(Text.size());
    WideString Name;
    for (WideChar C : Text) {
        if (EncodeWebChar(C, Name)) {
            Result += u'&';
            Result += Name;
            Result += u';';
        } else {
            Result.push_back(C);
        }
    }
    return Result;
}

TColor DecodeWebColor(const WideString& Text, TColor Default)
{
    if (!Text.empty() && Text[0] == u'#') {
        int Digits[6];
        const std::size_t Count = Text.size() - 1;
        if (Count != 6 && Count != 3)
            return Default;
        for (std::size_t I = 0; I < Count; ++I)
            if ((Digits[I] = HexValue(Text[I + 1])) < 0)
                return Default;
        int Red, Green, Blue;
        if (Count == 6) {
            Red = Digits[0] * 16 + Digits[1];
            Green = Digits[2] * 16 + Digits[3];
            Blue = Digits[4] * 16 + Digits[5];
        } else {
            Red = Digits[0] * 17;
            Green = Digits[1] * 17;
            Blue = Digits[2] * 17;
        }
        return TColor(RGB(BYTE(Red), BYTE(Green), BYTE(Blue)));
    }
    if (!Text.empty() && Text[0] == u'$') {
        Integer Value;
        return TryStrToInt(UTF8Encode(Text), Value) ? TColor(Value) : Default;
    }
    TColor Color;
    return IdentToColor("cl" + UTF8Encode(Text), Color) ? Color : Default;
}

WideString EncodeWebColor(TColor Color)
{
    AnsiString Ident;
    if (ColorToIdent(Color, Ident))
        return UTF8Decode(Ident.substr(2));
    const COLORREF Rgb = ColorToRGB(Color);
    return UTF8Decode("#" + IntToHex(GetRValue(Rgb), 2) + IntToHex(GetGValue(Rgb), 2) +
                      IntToHex(GetBValue(Rgb), 2));
}

// ---- Nodes --------------------------------------------------------------------------------------

TSimpleHTMLNode::TSimpleHTMLNode(TSimpleHTMLNode* Parent, const WideString& TagName)
    : FParent(Parent), FTagName(TagName)
{
}

TSimpleHTMLNode::~TSimpleHTMLNode() = default;

TSimpleHTML* TSimpleHTMLNode::GetDocument()
{
    return FParent ? FParent->GetDocument() : nullptr;
}

std::vector<AnsiString>::const_iterator TSimpleHTMLNode::FindAttribute(const AnsiString& Name) const
{
    return std::find_if(FAttributes->begin(), FAttributes->end(),
                        [&](const AnsiString& Pair) { return SameText(AttributeName(Pair), Name); });
}

AnsiString TSimpleHTMLNode::GetAttributes(const AnsiString& Name) const
{
    if (!FAttributes)
        return AnsiString();
    const auto Found = FindAttribute(Name);
    return Found == FAttributes->end() ? AnsiString() : Found->substr(Found->find('=') + 1);
}

bool TSimpleHTMLNode::HasAttribute(const AnsiString& Name) const
{
    return FAttributes && FindAttribute(Name) != FAttributes->end();
}

void TSimpleHTMLNode::AddAttribute(const AnsiString& Name, const AnsiString& Value)
{
    if (!FAttributes)
        FAttributes = std::make_unique<std::vector<AnsiString>>();
    const auto Found = FindAttribute(Name);
    if (Found != FAttributes->end())
        FAttributes->at(std::size_t(Found - FAttributes->cbegin())) = Name + "=" + Value;
    else
        FAttributes->push_back(Name + "=" + Value);
}

void TSimpleHTMLNode::RemoveAttribute(const AnsiString& Name)
{
    if (FAttributes) {
        const auto Found = FindAttribute(Name);
        if (Found != FAttributes->end())
            FAttributes->erase(Found);
    }
}

TSimpleHTMLNode* TSimpleHTMLNode::GetChildren(Integer Index) const
{
    if (Index < 0 || Index >= GetChildCount())
        TList::Error("List index out of bounds (%d)", Index);
    return (*FChildren)[std::size_t(Index)].get();
}

Integer TSimpleHTMLNode::GetIndex() const
{
    if (!FParent)
        return 0;
    const auto& Siblings = *FParent->FChildren;
    for (std::size_t I = 0; I < Siblings.size(); ++I)
        if (Siblings[I].get() == this)
            return Integer(I);
    return 0;
}

TSimpleHTMLNode* TSimpleHTMLNode::AddChild(const WideString& TagName)
{
    if (!FChildren)
        FChildren = std::make_unique<std::vector<std::unique_ptr<TSimpleHTMLNode>>>();
    FChildren->push_back(std::make_unique<TSimpleHTMLNode>(this, TagName));
    return FChildren->back().get();
}

void TSimpleHTMLNode::RemoveChild(Integer Index)
{
    GetChildren(Index); // raises outside the list
    FChildren->erase(FChildren->begin() + Index);
}

void TSimpleHTMLNode::RemoveAllChildren()
{
    if (FChildren)
        FChildren->clear();
}

WideString TSimpleHTMLNode::GetInnerText() const
{
    if (!HasChildren())
        return FText;
    WideString Result;
    for (const auto& Child : *FChildren) {
        if (!Result.empty())
            Result += u' ';
        Result += Child->GetInnerText();
    }
    return Result;
}

WideString TSimpleHTMLNode::GetInnerHTML() const
{
    if (!HasChildren())
        return EncodeHtmlEntities(FText);
    WideString Result;
    for (const auto& Child : *FChildren)
        Result += Child->GetOuterHTML();
    return Result;
}

WideString TSimpleHTMLNode::GetOuterHTML() const
{
    const WideString Inner = GetInnerHTML();
    if (FTagName.empty())
        return Inner;
    WideString Result = u"<" + FTagName;
    if (FAttributes)
        for (const AnsiString& Pair : *FAttributes) {
            const std::size_t Eq = Pair.find('=');
            Result += u" " + UTF8Decode(Pair.substr(0, Eq)) + u"=\"" +
                      EncodeHtmlEntities(UTF8Decode(Pair.substr(Eq + 1))) + u"\"";
        }
    if (Inner.empty())
        return Result + u"/>";
    return Result + u">" + Inner + u"</" + FTagName + u">";
}

// ---- Parsing ------------------------------------------------------------------------------------

bool TSimpleHTMLNode::Parse(const WideString& Text)
{
    const std::size_t N = Text.size();
    TSemicolonFinder Semicolons(Text);
    TSimpleHTMLNode* Current = this;
    Integer Depth = 0;
    WideString Pending;
    std::size_t RawStart = 0;
    std::size_t I = 0;
    auto SkipBlanks = [&] {
        while (I < N && IsBlank(Text[I]))
            ++I;
    };
    auto ReadName = [&] {
        const std::size_t Start = I;
        while (I < N && IsNameChar(Text[I]))
            ++I;
        return Text.substr(Start, I - Start);
    };

    while (I < N) {
        const WideChar C = Text[I];
        if (C == u'&') {
            const std::size_t Semi = Semicolons.From(I + 1);
            WideChar Decoded;
            if (Semi != WideString::npos && DecodeWebCharAt(Text, I + 1, Semi, Decoded)) {
                Pending.append(Text, RawStart, I - RawStart);
                Pending.push_back(Decoded);
                I = RawStart = Semi + 1;
            } else {
                ++I;
            }
            continue;
        }
        if (C != u'<') {
            ++I;
            continue;
        }

        Pending.append(Text, RawStart, I - RawStart);
        const bool Closing = I + 1 < N && Text[I + 1] == u'/';
        if (!Pending.empty()) {
            if (!Current->HasChildren() && Closing)
                Current->FText = Pending;
            else
                Current->AddChild(WideString())->FText = Pending;
            Pending.clear();
        }
        I += Closing ? 2 : 1;

        if (Text.compare(I, 3, u"!--") == 0) {
            // The comment ends at the first "-->" whose dashes come after the opening ones.
            std::size_t End = I + 3 + 2;
            while (End < N && !(Text[End] == u'>' && Text[End - 1] == u'-' && Text[End - 2] == u'-'))
                ++End;
            if (End >= N)
                return false;
            I = RawStart = End + 1;
            continue;
        }

        const WideString Name = AsciiUpper(ReadName());
        if (Name.empty())
            return false;
        SkipBlanks();

        if (Closing) {
            // A closing tag never leaves the node the parse started from.
            if (I >= N || Text[I] != u'>' || Current->FTagName != Name || Current == this ||
                !Current->FParent)
                return false;
            Current = Current->FParent;
            --Depth;
            I = RawStart = I + 1;
            continue;
        }

        std::vector<std::pair<AnsiString, AnsiString>> Attributes;
        while (I < N && Text[I] != u'/' && Text[I] != u'>') {
            const AnsiString AttrName = UTF8Encode(ReadName());
            if (AttrName.empty())
                return false;
            SkipBlanks();
            WideString Value;
            if (I < N && Text[I] == u'=') {
                ++I;
                SkipBlanks();
                if (I >= N || Text[I] == u'>')
                    return false;
                if (Text[I] == u'"' || Text[I] == u'\'') {
                    const std::size_t Close = Text.find(Text[I], I + 1);
                    if (Close == WideString::npos)
                        return false;
                    Value = Text.substr(I + 1, Close - I - 1);
                    I = Close + 1;
                } else {
                    const std::size_t Start = I;
                    while (I < N && !IsBlank(Text[I]) && Text[I] != u'>')
                        ++I;
                    if (I >= N)
                        return false;
                    Value = Text.substr(Start, I - Start);
                }
                SkipBlanks();
            }
            const auto Same = std::find_if(Attributes.begin(), Attributes.end(),
                                           [&](const auto& A) { return SameText(A.first, AttrName); });
            if (Value.empty()) {
                if (Same != Attributes.end())
                    Attributes.erase(Same);
            } else if (Same != Attributes.end()) {
                Same->second = UTF8Encode(DecodeHtmlEntities(Value));
            } else {
                Attributes.emplace_back(AttrName, UTF8Encode(DecodeHtmlEntities(Value)));
            }
        }
        if (I >= N)
            return false;
        const bool Empty = Text[I] == u'/';
        if (Empty && (I + 1 >= N || Text[I + 1] != u'>'))
            return false;
        if (!Empty && Depth >= MaxDepth)
            return false;
        TSimpleHTMLNode* Child = Current->AddChild(Name);
        for (const auto& [AttrName, Value] : Attributes)
            Child->AddAttribute(AttrName, Value);
        if (!Empty) {
            Current = Child;
            ++Depth;
        }
        I = RawStart = I + (Empty ? 2 : 1);
    }

    if (Current != this)
        return false;
    Pending.append(Text, RawStart, N - RawStart);
    if (!Pending.empty()) {
        if (HasChildren())
            AddChild(WideString())->FText = Pending;
        else
            FText = Pending;
    }
    return true;
}

// ---- Document -----------------------------------------------------------------------------------

TSimpleHTML::TSimpleHTML(const WideString& Text) : TSimpleHTMLNode(nullptr, u"HTML")
{
    FParsed = Parse(Text);
}
