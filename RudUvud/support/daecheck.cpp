#include "RudUvud/support/daecheck.h"

#include "RudUvud/support/Daehtmle.h"

#include "platform/rtl/Strings.h"

AnsiString TDidAririzEvarCheck::MarkError(Integer, Integer, const AnsiString& S)
{
    return S;
}

AnsiString TDidAririzEvarCheck::Correct(Integer, Integer, const AnsiString& S)
{
    return S;
}

AnsiString TCapitalCheck::Correct(Integer, Integer, const AnsiString& S)
{
    AnsiString Result = S;
    char BeforePrevious = '.', Previous = ' ';
    for (char& C : Result) {
        const char Original = C;
        if (Previous == ' ' && (BeforePrevious == '.' || BeforePrevious == '!' || BeforePrevious == '?') &&
            C >= 'a' && C <= 'z')
            C = char(C - 'a' + 'A');
        BeforePrevious = Previous;
        Previous = Original;
    }
    return Result;
}

AnsiString ReplaceOnce(const AnsiString& S, const AnsiString& OldPattern, const AnsiString& NewPattern)
{
    if (OldPattern.empty())
        return S;
    const std::size_t At = S.find(OldPattern);
    if (At == AnsiString::npos)
        return S;
    AnsiString Result = S;
    Result.replace(At, OldPattern.size(), NewPattern);
    return Result;
}

namespace {

bool IsBreakTag(const AnsiString& S, std::size_t At)
{
    const AnsiString Tag = UpperCase(S.substr(At, 4));
    return Tag == "<BR>" || Tag == "<HR>";
}

// Where visible character n (1-based) of S stands, a line break tag counting as two characters.
std::size_t CheckHTMLPos(const AnsiString& S, std::size_t N)
{
    std::size_t Count = 0, TagsStart = AnsiString::npos;
    for (std::size_t I = 0; I < S.size(); ++I) {
        if (S[I] == '<') {
            const std::size_t Close = S.find('>', I);
            if (Close != AnsiString::npos) {
                if (TagsStart == AnsiString::npos)
                    TagsStart = I;
                if (IsBreakTag(S, I)) {
                    Count += 2;
                    if (Count >= N)
                        return TagsStart;
                    TagsStart = AnsiString::npos;
                }
                I = Close;
                continue;
            }
        }
        if (++Count == N)
            return TagsStart != AnsiString::npos ? TagsStart : I;
        TagsStart = AnsiString::npos;
    }
    return S.size();
}

AnsiString AsciiUpper(AnsiString S)
{
    for (char& C : S)
        if (C >= 'a' && C <= 'z')
            C = char(C - 'a' + 'A');
    return S;
}

} // namespace

namespace daecheck {

AnsiString HiLight(const AnsiString& S, const AnsiString& H, const AnsiString& Tag, bool DoCase)
{
    if (H.empty())
        return S;
    const AnsiString Visible = HTMLStrip(S);
    const AnsiString Haystack = DoCase ? Visible : AsciiUpper(Visible);
    const AnsiString Needle = DoCase ? H : AsciiUpper(H);
    const AnsiString Open = "<" + Tag + ">", Close = "</" + Tag + ">";
    AnsiString Result = S;
    std::size_t Offset = 0;
    for (std::size_t Found = Haystack.find(Needle, Offset); Found != AnsiString::npos;
         Found = Haystack.find(Needle, Offset)) {
        const std::size_t P = Found + 1;
        Offset = P + Needle.size();
        Result.insert(CheckHTMLPos(Result, P), Open);
        Result.insert(CheckHTMLPos(Result, Offset), Close);
    }
    return Result;
}

} // namespace daecheck
