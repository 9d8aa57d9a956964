#include "RudUvud/xlsadapter/VovMessages.h"

#include "RudUvud/xlsadapter/XlsMessages.h"
#include "platform/rtl/Conversions.h"
#include "platform/rtl/DateTime.h"
#include "platform/rtl/Strings.h"

#include <cerrno>
#include <clocale>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <locale.h>
#include <unistd.h>

AnsiString EncodeColumn(Integer Column)
{
    if (Column > 26)
        return EncodeColumn((Column - 1) / 26) + static_cast<char>('A' + (Column - 1) % 26);
    return AnsiString(1, static_cast<char>(64 + Column));
}

namespace {

bool FileExistsAt(const std::filesystem::path& P)
{
    std::error_code ec;
    return std::filesystem::is_regular_file(P, ec);
}

std::filesystem::path ProgramDirectory()
{
    std::error_code ec;
    auto exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    return ec ? std::filesystem::path() : exe.parent_path();
}

} // namespace

AnsiString SearchPathStr(const AnsiString& FileName)
{
    return SearchPathStr(AnsiString(), FileName);
}

AnsiString SearchPathStr(const AnsiString& Path, const AnsiString& FileName)
{
    // An absolute name is taken as it is.
    if (!FileName.empty() && FileName[0] == '/') {
        if (FileExistsAt(FileName))
            return FileName;
        XlsError(zivXlsMessages::ErrCantFindFile, {FileName});
    }
    AnsiString trimmed = Path;
    while (!trimmed.empty() && std::isspace(static_cast<unsigned char>(trimmed.back())))
        trimmed.pop_back();
    while (!trimmed.empty() && std::isspace(static_cast<unsigned char>(trimmed.front())))
        trimmed.erase(trimmed.begin());
    if (!trimmed.empty()) {
        AnsiString candidate = trimmed;
        if (candidate.back() != '/')
            candidate += '/';
        candidate += FileName;
        if (FileExistsAt(candidate))
            return candidate;
        XlsError(zivXlsMessages::ErrCantFindFile, {candidate});
    }
    // The program and the engine are one statically linked executable: one directory serves both.
    auto candidate = ProgramDirectory() / FileName;
    if (FileExistsAt(candidate))
        return candidate.string();
    XlsError(zivXlsMessages::ErrCantFindFile, {FileName});
}

bool TryStrToFloatInvariant(const AnsiString& Text, Extended& Value)
{
    Value = 0;
    if (Text.empty())
        return false;
    // strtod_l with the C locale: "." decimals whatever the process locale says. Hexadecimal
    // forms, "inf" and "nan" are not numbers in a spreadsheet and are refused.
    for (char c : Text)
        if (!(std::isdigit(static_cast<unsigned char>(c)) || c == '.' || c == '+' || c == '-' || c == 'e' ||
              c == 'E'))
            return false;
    static locale_t cLocale = newlocale(LC_NUMERIC_MASK, "C", nullptr);
    char* end = nullptr;
    errno = 0;
    double v = strtod_l(Text.c_str(), &end, cLocale);
    if (end != Text.c_str())
        Value = v;
    return end == Text.c_str() + Text.size() && errno != ERANGE;
}

WideString WideUpperCase98(const WideString& Text)
{
    // The runtime's wide upper-casing covers every script, so the 8-bit fallback of systems
    // without wide-character support is never needed.
    return WideUpperCase(Text);
}

Integer PosEx(const WideString& SubText, const WideString& Text, Cardinal Offset)
{
    if (SubText.empty() || Offset < 1)
        return -1;
    Int64 last = static_cast<Int64>(Text.size()) - static_cast<Int64>(SubText.size()) + 1;
    for (Int64 i = Offset; i <= last; ++i)
        if (Text.compare(static_cast<size_t>(i - 1), SubText.size(), SubText) == 0)
            return static_cast<Integer>(i);
    return -1;
}

WideString StringReplaceSkipQuotes(const WideString& Text, const WideString& OldPattern,
                                   const WideString& NewPattern)
{
    if (OldPattern.empty())
        return Text;
    WideString upText = WideUpperCase98(Text);
    WideString upPattern = WideUpperCase98(OldPattern);
    WideString out;
    bool inQuotes = false;
    size_t i = 0;
    while (i < Text.size()) {
        if (Text[i] == u'"') {
            inQuotes = !inQuotes;
            out += Text[i++];
            continue;
        }
        if (!inQuotes && upText.compare(i, upPattern.size(), upPattern) == 0) {
            out += NewPattern;
            i += OldPattern.size();
            continue;
        }
        out += Text[i++];
    }
    return out;
}

TXlsCellRange OffsetRange(const TXlsCellRange& Range, Integer DeltaRow, Integer DeltaCol)
{
    TXlsCellRange r = Range;
    r.FirstRow += DeltaRow;
    r.LastRow += DeltaRow;
    r.FirstCol += DeltaCol;
    r.LastCol += DeltaCol;
    return r;
}

void InitializeNamedRange(TXlsNamedRange& Range)
{
    Range.RangeName.clear();
    Range.RefersTo.clear();
    Range.NameOptions = 0;
    Range.LocalSheet = 0;
}

void GetLocaleFormatSettings(Integer LCID, TFormatSettings& Settings) {}

void EnsureAMPM(PFormatSettings Settings) {}

PFormatSettings GetDefaultLocaleFormatSettings()
{
    static TFormatSettings placeholder;
    return &placeholder;
}

namespace {

// The parse "passes" unless the text is two or three dot-separated whole numbers: "1.5",
// "10.30" and "1.2.3" read as times or dates by the locale parser, but a person typing them into
// a cell means a number or a version.
bool DottedNumberCheck(const AnsiString& Text)
{
    AnsiString s = Text + ".";
    Integer pieces = 0;
    size_t start = 0;
    for (size_t dot = s.find('.'); dot != AnsiString::npos; dot = s.find('.', start)) {
        AnsiString piece = s.substr(start, dot - start);
        start = dot + 1;
        Integer v;
        if (!TryStrToInt(piece, v) || v < 0)
            return true;
        if (++pieces == 3)
            return false;
    }
    return pieces != 2;
}

bool Contains(const WideString& Text, WideChar C)
{
    return Text.find(C) != WideString::npos;
}

} // namespace

bool VovTryStrToDateTime(const WideString& Text, TDateTime& Value, WideString& Format, bool& HasDate,
                         bool& HasTime, const WideString& DateFormat, const WideString& TimeFormat)
{
    Format.clear();
    HasDate = HasTime = false;
    WideString dateFormat = DateFormat.empty() ? UTF8Decode(ShortDateFormat) : DateFormat;
    WideString timeFormat = TimeFormat.empty() ? UTF8Decode(FormatSettings.ShortTimeFormat) : TimeFormat;
    timeFormat = StringReplaceSkipQuotes(timeFormat, u"AMPM", u"AM/PM");

    AnsiString text = Trim(UTF8Encode(Text));
    Value = 0;
    bool result = false;
    try {
        result = TryStrToDateTime(text, Value) || TryStrToDate(text, Value) || TryStrToTime(text, Value);
    } catch (...) {
        // Any text the conversions cannot take is simply not a date or time.
        result = false;
    }
    // A date or time far outside the calendar is not one.
    if (result && !(Value > -693594.0 && Value < 2958466.0))
        result = false;
    const double whole = result ? std::trunc(Value) : 0;
    if (result && whole == 0)
        result = DottedNumberCheck(text);

    HasDate = (Contains(Text, u'.') || Contains(Text, u'/') || Contains(Text, u'-') ||
               Contains(Text, static_cast<WideChar>(static_cast<unsigned char>(DateSeparator)))) &&
              whole > 0;
    HasTime = Contains(Text, u':') ||
              Contains(Text, static_cast<WideChar>(static_cast<unsigned char>(TimeSeparator)));
    if (!HasDate && !HasTime)
        result = false;
    if (HasDate)
        Format = dateFormat;
    if (HasTime) {
        if (!Format.empty())
            Format += u' ';
        Format += timeFormat;
    }
    return result;
}

AnsiString TryFormatDateTime(const AnsiString& Format, TDateTime Value)
{
    return TryFormatDateTime1904(Format, Value, false);
}

AnsiString TryFormatDateTime1904(const AnsiString& Format, TDateTime Value, bool Is1904)
{
    if (Is1904)
        Value += 1462;
    try {
        if (!(Value > -693594.0 && Value < 2958466.0))
            return "##";
        return FormatDateTime(Format, Value);
    } catch (...) {
        // A value or format that cannot be shown is shown as a cell too narrow for it.
        return "##";
    }
}

AnsiString TryFormatDateTime1904(const AnsiString& Format, TDateTime Value, bool Is1904,
                                 const TFormatSettings&)
{
    return TryFormatDateTime1904(Format, Value, Is1904);
}

WideString VariantToString(const TXlsVariant& Value)
{
    switch (Value.VarType) {
    case xvNumber:
        return UTF8Decode(FloatToStr(Value.Number));
    case xvDate:
        return UTF8Decode(DateTimeToStr(Value.Number));
    case xvString:
        return Value.Text;
    case xvBoolean:
        return Value.Boolean ? u"True" : u"False";
    case xvEmpty:
        break;
    }
    return WideString();
}
