// The string functions of the mini-HTML: plain text, highlighting, escaping and the form
// controls of a markup text. None of them draws; all work on the markup as it stands.

#include "RudUvud/support/Daehtmle.h"

#include "platform/rtl/Strings.h"

#include <cstring>
#include <vector>

namespace {

struct TEntityPair {
    const char* Text;
    const char* Entity;
};

// The accented letters and signs escaped for HTML output and read back from control values.
const TEntityPair SpecialCharacters[] = {
    {"é", "&eacute;"}, {"è", "&egrave;"}, {"ë", "&euml;"},   {"ê", "&ecirc;"},  {"ó", "&oacute;"},
    {"ò", "&ograve;"}, {"ö", "&ouml;"},   {"ô", "&ocirc;"},  {"í", "&iacute;"}, {"ì", "&igrave;"},
    {"ï", "&iuml;"},   {"î", "&icirc;"},  {"ú", "&uacute;"}, {"ù", "&ugrave;"}, {"ü", "&uuml;"},
    {"û", "&ucirc;"},  {"á", "&aacute;"}, {"à", "&agrave;"}, {"ä", "&auml;"},   {"â", "&acirc;"},
    {"É", "&Eacute;"}, {"È", "&Egrave;"}, {"Ë", "&Euml;"},   {"Ê", "&Ecirc;"},  {"Ó", "&Oacute;"},
    {"Ò", "&Ograve;"}, {"Ö", "&Ouml;"},   {"Ô", "&Ocirc;"},  {"Í", "&Iacute;"}, {"Ì", "&Igrave;"},
    {"Ï", "&Iuml;"},   {"Î", "&Icirc;"},  {"Ú", "&Uacute;"}, {"Ù", "&Ugrave;"}, {"Ü", "&Uuml;"},
    {"Û", "&Ucirc;"},  {"Á", "&Aacute;"}, {"À", "&Agrave;"}, {"Ä", "&Auml;"},   {"Â", "&Acirc;"},
    {"ç", "&ccedil;"}, {"Ç", "&Ccedil;"}, {"ø", "&oslash;"}, {"Ø", "&Oslash;"}, {"å", "&aring;"},
    {"Å", "&Aring;"},  {"©", "&copy;"},   {"®", "&reg;"},    {"€", "&euro;"},   {"«", "&laquo;"},
    {"»", "&raquo;"},
};

bool At(const AnsiString& S, std::size_t I, const char* Text)
{
    return S.compare(I, std::strlen(Text), Text) == 0;
}

AnsiString ReplaceAllNoCase(const AnsiString& S, const AnsiString& Old, const AnsiString& New)
{
    if (Old.empty())
        return S;
    const AnsiString Upper = UpperCase(S), UpperOld = UpperCase(Old);
    AnsiString Result;
    std::size_t From = 0;
    for (std::size_t Found = Upper.find(UpperOld); Found != AnsiString::npos;
         Found = Upper.find(UpperOld, From)) {
        Result.append(S, From, Found - From);
        Result += New;
        From = Found + Old.size();
    }
    Result.append(S, From, AnsiString::npos);
    return Result;
}

AnsiString ReplaceAll(const AnsiString& S, const AnsiString& Old, const AnsiString& New)
{
    return StringReplace(S, Old, New, TReplaceFlags{rfReplaceAll});
}

// The text with tags removed: a tag runs from a '<' that has a '>' after it to that '>'.
AnsiString RemoveTags(const AnsiString& S)
{
    AnsiString Result;
    Result.reserve(S.size());
    for (std::size_t I = 0; I < S.size();) {
        if (S[I] == '<') {
            const std::size_t Close = S.find('>', I);
            if (Close == AnsiString::npos) {
                Result.append(S, I, AnsiString::npos);
                break;
            }
            I = Close + 1;
            continue;
        }
        Result += S[I++];
    }
    return Result;
}

// Where visible character n (1-based) of S stands: at the '<' of the tags directly before it,
// or the end of S when n is one past the last visible character.
std::size_t VisiblePosition(const AnsiString& S, std::size_t N)
{
    std::size_t Count = 0, TagsStart = AnsiString::npos;
    bool InTag = false;
    for (std::size_t I = 0; I < S.size(); ++I) {
        const char C = S[I];
        if (InTag) {
            if (C == '>')
                InTag = false;
            continue;
        }
        if (C == '<' && S.find('>', I) != AnsiString::npos) {
            if (TagsStart == AnsiString::npos)
                TagsStart = I;
            InTag = true;
            continue;
        }
        if (++Count == N)
            return TagsStart != AnsiString::npos ? TagsStart : I;
        TagsStart = AnsiString::npos;
    }
    return S.size();
}

// Upper-cases for a case-blind search without moving any byte: the locale's mapping when it
// keeps the length, ASCII otherwise.
AnsiString SearchCase(const AnsiString& S)
{
    AnsiString Upper = AnsiUpperCase(S);
    return Upper.size() == S.size() ? Upper : UpperCase(S);
}

// The "<CONTROL " tags of S, each from its '<' through its '>'.
struct TControlTag {
    std::size_t Start, End; // End is one past the '>'
    AnsiString Text;
};

std::vector<TControlTag> ControlTags(const AnsiString& S)
{
    std::vector<TControlTag> Tags;
    const AnsiString Upper = UpperCase(S);
    for (std::size_t At = Upper.find("<CONTROL "); At != AnsiString::npos;
         At = Upper.find("<CONTROL ", At + 1)) {
        const std::size_t Close = S.find('>', At);
        const std::size_t End = Close == AnsiString::npos ? S.size() : Close + 1;
        Tags.push_back(TControlTag{At, End, S.substr(At, End - At)});
    }
    return Tags;
}

AnsiString Attr(const TControlTag& T, const char* Name)
{
    return HTMLAttribute(T.Text, Name, true);
}

const TControlTag* FindControl(const std::vector<TControlTag>& Tags, const AnsiString& ID)
{
    for (const TControlTag& T : Tags)
        if (Attr(T, "ID") == ID)
            return &T;
    return nullptr;
}

} // namespace

AnsiString HTMLStrip(const AnsiString& S)
{
    return RemoveTags(ReplaceAllNoCase(ReplaceAllNoCase(S, "<BR>", "\r\n"), "<HR>", "\r\n"));
}

AnsiString HiLight(const AnsiString& S, const AnsiString& H, const AnsiString& Tag, bool DoCase)
{
    if (H.empty())
        return S;
    AnsiString Result = S, Search = H;
    AnsiString Visible = RemoveTags(S);
    if (Visible.find_first_of("<>") != AnsiString::npos) {
        auto Escape = [](const AnsiString& T) { return ReplaceAll(ReplaceAll(T, "<", "&lt;"), ">", "&gt;"); };
        Result = Escape(Visible);
        Search = Escape(H);
        Visible = Result;
    }
    const AnsiString Haystack = DoCase ? Visible : SearchCase(Visible);
    const AnsiString Needle = DoCase ? Search : SearchCase(Search);
    const AnsiString Open = "<" + Tag + ">", Close = "</" + Tag + ">";
    // Each search starts right after the end of the previous match, so that adjacent matches
    // are all found (positions of the visible text are 1-based).
    std::size_t Next = 0;
    for (std::size_t Found = Haystack.find(Needle, Next); Found != AnsiString::npos;
         Found = Haystack.find(Needle, Next)) {
        const std::size_t P = Found + 1;
        Next = Found + Needle.size();
        // A match right after the previous one opens after that one's closing tag.
        std::size_t At = VisiblePosition(Result, P);
        if (Result.compare(At, Close.size(), Close) == 0)
            At += Close.size();
        Result.insert(At, Open);
        Result.insert(VisiblePosition(Result, P + Needle.size()), Close);
        if (Next >= Haystack.size())
            break;
    }
    return Result;
}

AnsiString UnHiLight(const AnsiString& S, const AnsiString& Tag)
{
    const AnsiString Upper = UpperCase(Tag);
    AnsiString Result = ReplaceAllNoCase(S, "<" + Upper + ">", "");
    Result = ReplaceAllNoCase(Result, "</" + Upper + ">", "");
    return ReplaceAll(ReplaceAll(Result, "&lt;", "<"), "&gt;", ">");
}

AnsiString FixMarkup(const AnsiString& S)
{
    // One pass over the text, so that no escape is escaped again and a literal "*amp;" stays.
    AnsiString Result;
    Result.reserve(S.size() + S.size() / 4);
    for (std::size_t I = 0; I < S.size();) {
        const char C = S[I];
        if (C == '&' || C == '"' || C == '<' || C == '>') {
            Result += C == '&' ? "&amp;" : C == '"' ? "&quot;" : C == '<' ? "&lt;" : "&gt;";
            ++I;
            continue;
        }
        bool Replaced = false;
        if (static_cast<unsigned char>(C) >= 0x80) {
            for (const TEntityPair& E : SpecialCharacters) {
                if (At(S, I, E.Text)) {
                    Result += E.Entity;
                    I += std::strlen(E.Text);
                    Replaced = true;
                    break;
                }
            }
        }
        if (!Replaced)
            Result += S[I++];
    }
    return Result;
}

AnsiString FixNonBreaking(const AnsiString& S)
{
    return ReplaceAll(S, " ", "&nbsp;");
}

AnsiString HTMLDecodeControlValue(const AnsiString& S)
{
    if (S.find('&') == AnsiString::npos)
        return S;
    static const TEntityPair Markup[] = {{"<", "&lt;"}, {">", "&gt;"}, {"&", "&amp;"}, {"\"", "&quot;"}};
    AnsiString Result;
    Result.reserve(S.size());
    for (std::size_t I = 0; I < S.size();) {
        bool Replaced = false;
        if (S[I] == '&') {
            for (const TEntityPair& E : Markup)
                if (!Replaced && At(S, I, E.Entity)) {
                    Result += E.Text;
                    I += std::strlen(E.Entity);
                    Replaced = true;
                }
            for (const TEntityPair& E : SpecialCharacters)
                if (!Replaced && At(S, I, E.Entity)) {
                    Result += E.Text;
                    I += std::strlen(E.Entity);
                    Replaced = true;
                }
        }
        if (!Replaced)
            Result += S[I++];
    }
    return Result;
}

bool HasHTMLControl(const AnsiString& S)
{
    return UpperCase(S).find("<CONTROL") != AnsiString::npos;
}

AnsiString GetNextControlID(const AnsiString& S, const AnsiString& ID)
{
    const std::vector<TControlTag> Tags = ControlTags(S);
    std::size_t From = 0;
    if (!ID.empty()) {
        const TControlTag* Current = FindControl(Tags, ID);
        if (!Current)
            return AnsiString();
        From = std::size_t(Current - Tags.data()) + 1;
    }
    for (std::size_t I = From; I < Tags.size(); ++I) {
        const AnsiString Type = UpperCase(Attr(Tags[I], "TYPE"));
        if (Type != "BUTTON" && Type != "CHECK" && Type != "RADIO")
            return Attr(Tags[I], "ID");
    }
    return AnsiString();
}

bool GetControlValue(const AnsiString& S, const AnsiString& ID, AnsiString& Value)
{
    const std::vector<TControlTag> Tags = ControlTags(S);
    const TControlTag* T = FindControl(Tags, ID);
    if (!T)
        return false;
    Value = HTMLDecodeControlValue(Attr(*T, "VALUE"));
    return true;
}

AnsiString GetControlProp(const AnsiString& S, const AnsiString& ID)
{
    const std::vector<TControlTag> Tags = ControlTags(S);
    const TControlTag* T = FindControl(Tags, ID);
    return T ? Attr(*T, "PROP") : AnsiString();
}

Integer GetControlMaxLen(const AnsiString& S, const AnsiString& ID)
{
    const std::vector<TControlTag> Tags = ControlTags(S);
    const TControlTag* T = FindControl(Tags, ID);
    if (!T)
        return 0;
    const AnsiString Text = Attr(*T, "MAXLEN");
    Integer Value = 0;
    for (char C : Text) {
        if (C < '0' || C > '9' || Value > 100000000)
            break;
        Value = Value * 10 + (C - '0');
    }
    return Value;
}

bool SetControlValue(AnsiString& S, const AnsiString& ID, const AnsiString& Value)
{
    const std::vector<TControlTag> Tags = ControlTags(S);
    const TControlTag* T = FindControl(Tags, ID);
    if (!T)
        return false;
    const AnsiString Prop = Attr(*T, "PROP"), MaxLen = Attr(*T, "MAXLEN");
    AnsiString Tag = "<CONTROL ID=\"" + ID + "\" VALUE=\"" + FixMarkup(Value) + "\" WIDTH=\"" +
                     Attr(*T, "WIDTH") + "\" TYPE=\"" + UpperCase(Attr(*T, "TYPE")) + "\"";
    if (!Prop.empty())
        Tag += " PROP=\"" + Prop + "\"";
    if (!MaxLen.empty())
        Tag += " MAXLEN=\"" + MaxLen + "\"";
    Tag += ">";
    S.replace(T->Start, T->End - T->Start, Tag);
    return true;
}

AnsiString ClearRadioControls(const AnsiString& S)
{
    AnsiString Result = S;
    for (const TControlTag& T : ControlTags(S))
        if (UpperCase(Attr(T, "TYPE")) == "RADIO")
            SetControlValue(Result, Attr(T, "ID"), "FALSE");
    return Result;
}
