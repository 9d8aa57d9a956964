// HTML produced for the grid: the clipboard fragment envelope, hyperlinks in cell text, colours and
// line breaks of the HTML export.

#include "RudUvud/support/DerOdoz.h"

#include "platform/rtl/Strings.h"

#include <cstdio>

namespace {

// "%s%.8d": the field name and its offset as at least eight decimal digits.
AnsiString OffsetField(const char* Name, std::size_t Offset)
{
    char Digits[32];
    std::snprintf(Digits, sizeof Digits, "%.8zu", Offset);
    return AnsiString(Name) + Digits + "\r\n";
}

bool IsURLChar(unsigned char C)
{
    return C == 37 || C == 40 || C == 41 || (C >= 45 && C <= 58) || (C >= 64 && C <= 90) || C == 92 ||
           C == 95 || (C >= 97 && C <= 123) || C == 125;
}

} // namespace

void MakeFragment(AnsiString& HTML)
{
    static const char Prologue[] = "<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 4.0 Transitional//EN\">"
                                   "<html><head><META http-equiv=Content-Type content=\"text/html; "
                                   "charset=utf-8\"></head><body><!--StartFragment-->";
    static const char Epilogue[] = "<!--EndFragment--></body></html>";
    // The header is always 97 bytes (fixed-width offsets), and the prologue 62 + 110 bytes.
    constexpr std::size_t StartHTML = 97;
    constexpr std::size_t StartFragment = StartHTML + sizeof Prologue - 1;
    const std::size_t EndFragment = StartFragment + HTML.size();
    const std::size_t EndHTML = EndFragment + sizeof Epilogue - 1;
    // 8-bit text is UTF-8 here, so the charset the header declares is the one of the bytes.
    AnsiString Envelope = "Version:1.0\r\n";
    Envelope += OffsetField("StartHTML:", StartHTML);
    Envelope += OffsetField("EndHTML:", EndHTML);
    Envelope += OffsetField("StartFragment:", StartFragment);
    Envelope += OffsetField("EndFragment:", EndFragment);
    Envelope += Prologue;
    Envelope += HTML;
    Envelope += Epilogue;
    HTML = std::move(Envelope);
}

bool MakeHTMLHyperlink(const AnsiString& S, const AnsiString& Prefix, AnsiString& Result)
{
    if (Pos(Prefix, UpperCase(S)) == 0)
        return false;
    AnsiString R = StringReplace(StringReplace(S, "<", "&lt;", rfReplaceAll), ">", "&gt;", rfReplaceAll);
    const Integer Start = Pos(Prefix, UpperCase(R));
    if (Start == 0)
        return false;
    std::size_t End = static_cast<std::size_t>(Start - 1);
    while (End < R.size() && IsURLChar(static_cast<unsigned char>(R[End])))
        ++End;
    const AnsiString URL =
        R.substr(static_cast<std::size_t>(Start - 1), End - static_cast<std::size_t>(Start - 1));
    R.insert(End, "</a>");
    R.insert(static_cast<std::size_t>(Start - 1), "<a href=\"" + URL + "\">");
    Result = R;
    return true;
}

AnsiString HTMLColor(TColor Color)
{
    char Digits[8];
    std::snprintf(Digits, sizeof Digits, "%02X%02X%02X", unsigned(Color & 0xFF),
                  unsigned((Color >> 8) & 0xFF), unsigned((Color >> 16) & 0xFF));
    return Digits;
}

AnsiString HTMLLineBreaks(const AnsiString& S)
{
    if (S.find('\r') == AnsiString::npos)
        return S;
    return StringReplace(S, "\r", "<br>", rfReplaceAll);
}
