// The rich edit document and its RTF reader and writer.

#include "platform/win/RichText.h"
#include "platform/win/RtfWriter.h"

#include "platform/win/GdiInternal.h"

#include <iconv.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <map>

namespace richtext {

namespace {
std::u16string Utf8ToUtf16(const std::string& s)
{
    return gdi::Utf8ToUtf16(s.data(), int(s.size()));
}
std::string Utf16ToUtf8(const std::u16string& s)
{
    return gdi::Utf16ToUtf8(s.data(), int(s.size()));
}
} // namespace

// ---- Document ------------------------------------------------------------------------------

namespace {
void Mix(std::size_t& h, std::size_t v)
{
    h ^= v + 0x9E3779B97F4A7C15ull + (h << 6) + (h >> 2);
}
} // namespace

std::size_t FormatHash::operator()(const CharFormat& f) const
{
    std::size_t h = std::hash<std::string>()(f.Face);
    for (std::size_t v : {std::size_t(f.Size), std::size_t(f.Effects), std::size_t(f.Color),
                          std::size_t(f.Offset), std::size_t(f.Charset)})
        Mix(h, v);
    return h;
}

std::size_t FormatHash::operator()(const ParaFormat& f) const
{
    std::size_t h = std::size_t(f.Alignment);
    for (std::size_t v : {std::size_t(f.Left), std::size_t(f.Right), std::size_t(f.First)})
        Mix(h, v);
    for (int t : f.Tabs)
        Mix(h, std::size_t(t));
    return h;
}

Document::Document()
    : Units(u"\r"), CharIdx{0}, ParaIdx{0}, CharFormats{CharFormat{}},
      ParaFormats{ParaFormat{}}, CharIndex{{CharFormat{}, 0}}, ParaIndex{{ParaFormat{}, 0}}
{
}

std::uint32_t Document::Intern(const CharFormat& f)
{
    auto [at, added] = CharIndex.try_emplace(f, std::uint32_t(CharFormats.size()));
    if (added)
        CharFormats.push_back(f);
    return at->second;
}

std::uint32_t Document::Intern(const ParaFormat& f)
{
    auto [at, added] = ParaIndex.try_emplace(f, std::uint32_t(ParaFormats.size()));
    if (added)
        ParaFormats.push_back(f);
    return at->second;
}

std::size_t Document::ParaEnd(std::size_t i) const
{
    i = std::min(i, Units.size() - 1);
    std::size_t e = Units.find(u'\r', i);
    return e == std::u16string::npos ? Units.size() - 1 : e;
}

std::size_t Document::ParaStart(std::size_t i) const
{
    i = std::min(i, Units.size() - 1);
    if (i == 0)
        return 0;
    std::size_t b = Units.rfind(u'\r', i - 1);
    return b == std::u16string::npos ? 0 : b + 1;
}

void Document::Replace(std::size_t from, std::size_t to, const std::u16string& text, std::uint32_t charIndex)
{
    from = std::min(from, Length());
    to = std::clamp(to, from, Length());
    std::uint32_t para = ParaIdx[ParaEnd(from)];
    Units.replace(from, to - from, text);
    CharIdx.erase(CharIdx.begin() + std::ptrdiff_t(from), CharIdx.begin() + std::ptrdiff_t(to));
    CharIdx.insert(CharIdx.begin() + std::ptrdiff_t(from), text.size(), charIndex);
    ParaIdx.erase(ParaIdx.begin() + std::ptrdiff_t(from), ParaIdx.begin() + std::ptrdiff_t(to));
    ParaIdx.insert(ParaIdx.begin() + std::ptrdiff_t(from), text.size(), para);
}

void Document::Replace(std::size_t from, std::size_t to, const Document& other, std::size_t count)
{
    from = std::min(from, Length());
    to = std::clamp(to, from, Length());
    count = std::min(count, other.Units.size());
    std::uint32_t para = ParaIdx[ParaEnd(from)];
    std::vector<std::uint32_t> chars(count), paras(count);
    std::map<std::uint32_t, std::uint32_t> cmap, pmap;
    // Units up to the last mark taken keep their paragraph's format; the tail after it does not.
    const std::size_t marks = count == 0 ? 0 : other.Units.rfind(u'\r', count - 1) + 1; // npos + 1 is 0
    for (std::size_t i = 0; i < count; ++i) {
        auto c = cmap.find(other.CharIdx[i]);
        if (c == cmap.end())
            c = cmap.emplace(other.CharIdx[i], Intern(other.CharFormats[other.CharIdx[i]])).first;
        chars[i] = c->second;
        if (i < marks) {
            auto p = pmap.find(other.ParaIdx[i]);
            if (p == pmap.end())
                p = pmap.emplace(other.ParaIdx[i], Intern(other.ParaFormats[other.ParaIdx[i]])).first;
            paras[i] = p->second;
        } else {
            paras[i] = para; // the inserted tail joins the paragraph it lands in
        }
    }
    Units.replace(from, to - from, other.Units, 0, count);
    CharIdx.erase(CharIdx.begin() + std::ptrdiff_t(from), CharIdx.begin() + std::ptrdiff_t(to));
    CharIdx.insert(CharIdx.begin() + std::ptrdiff_t(from), chars.begin(), chars.end());
    ParaIdx.erase(ParaIdx.begin() + std::ptrdiff_t(from), ParaIdx.begin() + std::ptrdiff_t(to));
    ParaIdx.insert(ParaIdx.begin() + std::ptrdiff_t(from), paras.begin(), paras.end());
}

void Document::SetChar(std::size_t from, std::size_t to, const CharFormat& f)
{
    to = std::min(to, Units.size());
    std::uint32_t idx = Intern(f);
    for (std::size_t i = from; i < to; ++i)
        CharIdx[i] = idx;
}

void Document::SetPara(std::size_t from, std::size_t to, const ParaFormat& f)
{
    std::uint32_t idx = Intern(f);
    std::size_t a = ParaStart(from), b = ParaEnd(std::max(from, to == 0 ? 0 : to - 1));
    if (to > from && to <= Units.size() && to > 0 && Units[to - 1] == u'\r')
        b = to - 1;
    for (std::size_t i = a; i <= b && i < Units.size(); ++i)
        ParaIdx[i] = idx;
}

void Document::Append(const std::u16string& text, std::uint32_t charIndex)
{
    std::size_t at = Units.size() - 1;
    Units.insert(at, text);
    CharIdx.insert(CharIdx.begin() + std::ptrdiff_t(at), text.size(), charIndex);
    ParaIdx.insert(ParaIdx.begin() + std::ptrdiff_t(at), text.size(), 0);
}

void Document::EndParagraph(std::uint32_t charIndex, const ParaFormat& para)
{
    Append(u"\r", charIndex);
    std::uint32_t p = Intern(para);
    for (std::size_t i = OpenPara; i + 1 < Units.size(); ++i)
        ParaIdx[i] = p;
    OpenPara = Units.size() - 1;
}

void Document::FinishLast(const ParaFormat& para, std::uint32_t charIndex)
{
    std::uint32_t p = Intern(para);
    for (std::size_t i = ParaStart(Units.size() - 1); i < Units.size(); ++i)
        ParaIdx[i] = p;
    CharIdx.back() = charIndex;
}

bool Document::SameAs(const Document& other) const
{
    if (Units != other.Units)
        return false;
    for (std::size_t i = 0; i < Units.size(); ++i)
        if (!(CharAt(i) == other.CharAt(i)) ||
            !(ParaFormats[ParaIdx[i]] == other.ParaFormats[other.ParaIdx[i]]))
            return false;
    return true;
}

// ---- Code pages ----------------------------------------------------------------------------

int CodePageOfCharset(int charset)
{
    switch (charset) {
    case 0:
        return 1252;
    case 77:
        return 10000;
    case 128:
        return 932;
    case 129:
        return 949;
    case 134:
        return 936;
    case 136:
        return 950;
    case 161:
        return 1253;
    case 162:
        return 1254;
    case 163:
        return 1258;
    case 177:
        return 1255;
    case 178:
        return 1256;
    case 186:
        return 1257;
    case 204:
        return 1251;
    case 222:
        return 874;
    case 238:
        return 1250;
    default:
        return 0;
    }
}

std::u16string DecodeCodePage(const std::string& bytes, int codePage)
{
    std::u16string out;
    if (bytes.empty())
        return out;
    if (codePage == 65001)
        return Utf8ToUtf16(bytes);
    std::string name = codePage == 10000 ? "MACINTOSH" : "CP" + std::to_string(codePage);
    iconv_t cd = codePage > 0 ? iconv_open("UTF-16LE", name.c_str()) : iconv_t(-1);
    if (cd == iconv_t(-1)) {
        for (unsigned char c : bytes)
            out.push_back(char16_t(c));
        return out;
    }
    std::vector<char> buf(bytes.size() * 4 + 8);
    char* in = const_cast<char*>(bytes.data());
    std::size_t inLeft = bytes.size();
    while (inLeft > 0) {
        char* o = buf.data();
        std::size_t oLeft = buf.size();
        std::size_t r = iconv(cd, &in, &inLeft, &o, &oLeft);
        for (char* p = buf.data(); p + 1 < o; p += 2)
            out.push_back(char16_t(std::uint8_t(p[0]) | (std::uint8_t(p[1]) << 8)));
        if (r == std::size_t(-1) && errno != E2BIG) {
            // An undefined or cut byte: shown as a replacement character, then go on.
            out.push_back(u'\uFFFD');
            ++in;
            --inLeft;
        }
    }
    iconv_close(cd);
    return out;
}

// ---- Reader --------------------------------------------------------------------------------

namespace {

constexpr int kMaxDepth = 256; // groups deeper than this keep their parent's state
constexpr long long kMaxParam = 0x7FFFFFFF;
constexpr int kMaxTabs = 64;

// ShapeInstruction: the starred instruction of a drawing shape, read only for its picture.
enum class Dest { Text, FontTable, FontName, ColorTable, Skip, FieldResult, ShapeInstruction };

// The character classes of \loch, \hich and \dbch; \af after \dbch names the font of double-byte
// (East Asian) characters.
enum class CharClass { Low, High, Double };

struct State {
    CharFormat Char;
    int FontNumber = -1;
    int DoubleByteFont = -1;
    CharClass Class = CharClass::Low;
    ParaFormat Para;
    Dest Destination = Dest::Text;
    int UnicodeSkip = 1;
    bool InShape = false;
};

// Characters an East Asian font shows: CJK scripts, symbols and punctuation, Hangul, full-width
// forms and the supplementary ideographs (as surrogates).
bool DoubleByte(char16_t c)
{
    return (c >= 0x1100 && c <= 0x11FF) || (c >= 0x2E80 && c <= 0xA4CF) || (c >= 0xAC00 && c <= 0xD7AF) ||
           (c >= 0xD800 && c <= 0xDFFF) || (c >= 0xF900 && c <= 0xFAFF) || (c >= 0xFE30 && c <= 0xFE4F) ||
           (c >= 0xFF00 && c <= 0xFFEF);
}

struct Font {
    std::string Name;
    int Charset = 0;
};

class Reader {
public:
    Reader(const std::string& s, const CharFormat& defaults) : Src(s) { Cur.Char = defaults; }

    ReadResult Run()
    {
        ReadResult r;
        if (Src.compare(0, 5, "{\\rtf") != 0) {
            r.Status = ReadStatus::NotRtf;
            return r;
        }
        while (Pos < Src.size() && !Done) {
            char c = Src[Pos];
            if (c == '{') {
                ++Pos;
                Flush();
                Push();
            } else if (c == '}') {
                ++Pos;
                Flush();
                Pop();
            } else if (c == '\\') {
                ControlWord();
            } else if (c == '\r' || c == '\n') {
                ++Pos;
            } else {
                ++Pos;
                if (Pending > 0) {
                    --Pending; // a character standing in for a \u value
                    continue;
                }
                Byte(c);
            }
        }
        Flush();
        if (Depth > 0 || Broken)
            r.Status = ReadStatus::Truncated;
        // A last \par with nothing after it is the document's own final mark.
        const std::u16string& t = Doc.Text();
        if (LastWasPar && t.size() >= 2 && t[t.size() - 2] == u'\r') {
            Doc.Replace(t.size() - 2, t.size() - 1, u"", 0);
            r.EndedWithPar = true;
            Doc.FinishLast(LastPara, LastParChar);
        } else {
            Doc.FinishLast(Cur.Para, Doc.Intern(Cur.Char));
        }
        r.Doc = std::move(Doc);
        return r;
    }

private:
    void Push()
    {
        if (Depth < kMaxDepth)
            Stack.push_back(Cur);
        ++Depth;
        SkipStar = false;
    }

    void Pop()
    {
        if (Depth == 0) {
            Done = true; // the closing brace of the document
            return;
        }
        if (Cur.Destination == Dest::FontName || Cur.Destination == Dest::FontTable)
            EndFont();
        --Depth;
        if (Depth < kMaxDepth && !Stack.empty()) {
            Cur = Stack.back();
            Stack.pop_back();
        }
        if (Depth == 0)
            Done = true;
    }

    long long ReadParam(bool& has)
    {
        has = false;
        bool neg = false;
        if (Pos < Src.size() && Src[Pos] == '-') {
            neg = true;
            ++Pos;
        }
        long long v = 0;
        int digits = 0;
        while (Pos < Src.size() && Src[Pos] >= '0' && Src[Pos] <= '9') {
            if (digits < 10)
                v = v * 10 + (Src[Pos] - '0');
            ++digits;
            ++Pos;
        }
        if (digits == 0)
            return 0;
        has = true;
        v = std::min(v, kMaxParam);
        return neg ? -v : v;
    }

    void ControlWord()
    {
        ++Pos; // the backslash
        if (Pos >= Src.size()) {
            Broken = true;
            return;
        }
        char c = Src[Pos];
        if (!((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'))) {
            ++Pos;
            Symbol(c);
            return;
        }
        std::size_t start = Pos;
        while (Pos < Src.size() &&
               ((Src[Pos] >= 'a' && Src[Pos] <= 'z') || (Src[Pos] >= 'A' && Src[Pos] <= 'Z')))
            ++Pos;
        // A control word has at most 32 letters; a longer one is no word this reader knows, and
        // none of its letters is text.
        std::string word = Pos - start <= 32 ? Src.substr(start, Pos - start) : std::string();
        bool has = false;
        long long p = ReadParam(has);
        if (Pos < Src.size() && Src[Pos] == ' ')
            ++Pos;
        Word(word, p, has);
    }

    void Symbol(char c)
    {
        switch (c) {
        case '\\':
        case '{':
        case '}':
            if (Pending > 0) {
                --Pending;
                return;
            }
            Byte(c);
            return;
        case '\'': {
            if (Pos + 2 > Src.size()) {
                Broken = true;
                Pos = Src.size();
                return;
            }
            auto hex = [](char h) -> int {
                if (h >= '0' && h <= '9')
                    return h - '0';
                if (h >= 'a' && h <= 'f')
                    return h - 'a' + 10;
                if (h >= 'A' && h <= 'F')
                    return h - 'A' + 10;
                return -1;
            };
            int hi = hex(Src[Pos]), lo = hex(Src[Pos + 1]);
            if (hi < 0 || lo < 0)
                return; // not an escape: the characters are read as text
            Pos += 2;
            if (Pending > 0) {
                --Pending;
                return;
            }
            Bytes.push_back(char(hi * 16 + lo));
            return;
        }
        case '*':
            // Destinations marked so are skipped, but for a shape's instruction (see Word).
            SkipStar = true;
            Flush();
            StarredIn = Cur.Destination;
            Cur.Destination = Dest::Skip;
            return;
        case '~':
            Emit(u"\u00A0");
            return;
        case '_':
            Emit(u"\u2011");
            return;
        case '-':
            return; // optional hyphen
        case '\r':
        case '\n':
            Par();
            return; // a backslash before a line end is a paragraph mark
        case '\t':
            Emit(u"\t");
            return;
        default:
            return;
        }
    }

    void Byte(char c)
    {
        if (c == ';' && (Cur.Destination == Dest::FontTable || Cur.Destination == Dest::FontName)) {
            // Only a plain ';' ends a font's name; an escaped one is part of it.
            FlushBytes();
            EndFont();
            return;
        }
        if (static_cast<unsigned char>(c) >= 0x80 || !Bytes.empty()) {
            Bytes.push_back(c);
            return;
        }
        if (c == '\t') {
            Emit(u"\t");
            return;
        }
        if (Cur.Destination == Dest::FontTable || Cur.Destination == Dest::FontName) {
            FontText(std::u16string(1, char16_t(c)));
            return;
        }
        if (Cur.Destination == Dest::ColorTable) {
            if (c == ';') {
                Colors.push_back(ColorSet ? RGB(Red, Green, Blue) : CLR_INVALID);
                Red = Green = Blue = 0;
                ColorSet = false;
            }
            return;
        }
        if (Cur.Destination != Dest::Text && Cur.Destination != Dest::FieldResult)
            return;
        char16_t u = char16_t(static_cast<unsigned char>(c));
        if (u < 0x20)
            return;
        AddText(std::u16string(1, u));
    }

    // Text of the document: a cell ended before it is first closed by a tab.
    void AddText(const std::u16string& s)
    {
        if (s.empty())
            return;
        if (CellEnded) {
            Text += u'\t';
            CellEnded = false;
        }
        Text += s;
    }

    int CodePageOfFont(int number, int charset) const
    {
        if (number >= 0) {
            auto f = Fonts.find(number);
            if (f == Fonts.end())
                return AnsiCodePage;
            charset = f->second.Charset;
        }
        int cp = CodePageOfCharset(charset);
        return charset != 0 && cp ? cp : AnsiCodePage;
    }

    // Escaped bytes are in the code page of the font they are shown in (in the font table: of the
    // font being named).
    int CurrentCodePage() const
    {
        if (Cur.Destination == Dest::FontTable || Cur.Destination == Dest::FontName)
            return CodePageOfFont(-1, FontCharset);
        if (Cur.Class == CharClass::Double && Cur.DoubleByteFont >= 0)
            return CodePageOfFont(Cur.DoubleByteFont, 0);
        return CodePageOfFont(Cur.FontNumber, 0);
    }

    // Turns the escaped bytes collected so far into text.
    void FlushBytes()
    {
        if (Bytes.empty())
            return;
        std::string b;
        b.swap(Bytes);
        std::u16string u = DecodeCodePage(b, CurrentCodePage());
        // Control characters have control words of their own; raw ones are dropped.
        u.erase(std::remove_if(u.begin(), u.end(), [](char16_t c) { return c < 0x20 && c != u'\t'; }),
                u.end());
        if (Cur.Destination == Dest::FontTable || Cur.Destination == Dest::FontName)
            FontText(u);
        else if (Cur.Destination == Dest::Text || Cur.Destination == Dest::FieldResult)
            AddText(u);
    }

    void Flush()
    {
        FlushBytes();
        if (Text.empty())
            return;
        std::uint32_t format = Doc.Intern(Cur.Char);
        auto f = Cur.DoubleByteFont >= 0 ? Fonts.find(Cur.DoubleByteFont) : Fonts.end();
        if (f == Fonts.end() || f->second.Name.empty()) {
            Doc.Append(Text, format);
        } else {
            // East Asian characters in the font \dbch\af named, the others in the current one.
            CharFormat wide = Cur.Char;
            wide.Face = f->second.Name;
            wide.Charset = f->second.Charset;
            std::uint32_t wideFormat = Doc.Intern(wide);
            for (std::size_t at = 0; at < Text.size();) {
                bool dbcs = DoubleByte(Text[at]);
                std::size_t end = at;
                while (end < Text.size() && DoubleByte(Text[end]) == dbcs)
                    ++end;
                Doc.Append(Text.substr(at, end - at), dbcs ? wideFormat : format);
                at = end;
            }
        }
        Text.clear();
        LastWasPar = false;
    }

    void Emit(const std::u16string& s)
    {
        FlushBytes();
        if (Cur.Destination == Dest::FontTable || Cur.Destination == Dest::FontName) {
            FontText(s);
            return;
        }
        if (Cur.Destination != Dest::Text && Cur.Destination != Dest::FieldResult)
            return;
        AddText(s);
    }

    void Par()
    {
        if (Cur.Destination != Dest::Text && Cur.Destination != Dest::FieldResult)
            return;
        CellEnded = false;
        Flush();
        std::uint32_t c = Doc.Intern(Cur.Char);
        Doc.EndParagraph(c, Cur.Para);
        LastWasPar = true;
        LastPara = Cur.Para;
        LastParChar = c;
    }

    void FontText(const std::u16string& s)
    {
        for (char16_t ch : s) {
            if (FontName.size() < 256)
                FontName.push_back(ch);
        }
    }

    void EndFont()
    {
        if (FontNumberInTable >= 0) {
            Font f;
            std::u16string n = FontName;
            while (!n.empty() && n.back() == u' ')
                n.pop_back();
            f.Name = Utf16ToUtf8(n);
            f.Charset = FontCharset;
            if (Fonts.size() < 4096 || Fonts.count(FontNumberInTable))
                Fonts[FontNumberInTable] = f;
        }
        FontNumberInTable = -1;
        FontName.clear();
        FontCharset = 0;
    }

    void ApplyFont(long long n)
    {
        Cur.FontNumber = int(n);
        auto f = Fonts.find(n);
        if (f != Fonts.end()) {
            if (!f->second.Name.empty())
                Cur.Char.Face = f->second.Name;
            Cur.Char.Charset = f->second.Charset;
        }
    }

    void ResetChar()
    {
        Cur.Char.Effects = EffectAutoColor;
        Cur.Char.Color = 0;
        Cur.Char.Size = 240; // 12 points: the size RTF text has until \fs says otherwise
        Cur.Char.Offset = 0;
        Cur.DoubleByteFont = -1;
        Cur.Class = CharClass::Low;
        ApplyFont(DefaultFont);
    }

    void SetEffect(DWORD e, bool on)
    {
        if (on)
            Cur.Char.Effects |= e;
        else
            Cur.Char.Effects &= ~e;
    }

    void Word(const std::string& w, long long param, bool has)
    {
        const int p = int(param);
        // Control words that change the format end the text run before them.
        if (w == "u") {
            FlushBytes();
            // A signed 16-bit value; one beyond that range stands for no character there is.
            char16_t u =
                param < -32768 || param > 65535 ? u'\uFFFD' : char16_t(param < 0 ? param + 65536 : param);
            // Control characters other than the tab have their own control words.
            if (u >= 0x20 || u == u'\t')
                Emit(std::u16string(1, u));
            Pending = Cur.UnicodeSkip;
            return;
        }
        Pending = 0;
        if (w == "par" || w == "sect" || w == "page") {
            Par();
            return;
        }
        if (w == "line") {
            Emit(u"\u000B");
            return;
        }
        if (w == "tab") {
            Emit(u"\t");
            return;
        }
        // Table cells: a tab between the cells of a row, each row a paragraph of its own.
        if (w == "cell") {
            if (Cur.Destination == Dest::Text || Cur.Destination == Dest::FieldResult) {
                FlushBytes();
                if (CellEnded)
                    Text += u'\t';
                CellEnded = true;
            }
            return;
        }
        if (w == "row") {
            Par();
            return;
        }
        static const std::map<std::string, char16_t> symbols = {
            {"emdash", u'\u2014'},    {"endash", u'\u2013'},    {"lquote", u'\u2018'}, {"rquote", u'\u2019'},
            {"ldblquote", u'\u201C'}, {"rdblquote", u'\u201D'}, {"bullet", u'\u2022'}, {"emspace", u'\u2003'},
            {"enspace", u'\u2002'},   {"qmspace", u'\u2005'}};
        if (auto s = symbols.find(w); s != symbols.end()) {
            Emit(std::u16string(1, s->second));
            return;
        }
        Flush();
        if (Cur.Destination == Dest::ColorTable) {
            if (w == "red")
                Red = BYTE(std::clamp(p, 0, 255)), ColorSet = true;
            else if (w == "green")
                Green = BYTE(std::clamp(p, 0, 255)), ColorSet = true;
            else if (w == "blue")
                Blue = BYTE(std::clamp(p, 0, 255)), ColorSet = true;
            return;
        }
        if (Cur.Destination == Dest::FontTable || Cur.Destination == Dest::FontName) {
            if (w == "f") {
                EndFont();
                FontNumberInTable = p;
                Cur.Destination = Dest::FontName;
            } else if (w == "fcharset") {
                FontCharset = p;
            } else if (w == "pict" || w == "panose" || w == "falt") {
                Cur.Destination = Dest::Skip;
            }
            return;
        }
        if (w == "fonttbl") {
            Cur.Destination = Dest::FontTable;
            return;
        }
        if (w == "colortbl") {
            Cur.Destination = Dest::ColorTable;
            Colors.clear();
            return;
        }
        if (w == "stylesheet" || w == "info" || w == "header" || w == "footer" || w == "headerl" ||
            w == "headerr" || w == "footerl" || w == "footerr" || w == "footnote" || w == "fldinst" ||
            w == "object" || w == "xe" || w == "tc" || w == "listtable" || w == "listoverridetable" ||
            w == "themedata" || w == "colorschememapping" || w == "latentstyles" || w == "datastore" ||
            w == "generator" || w == "filetbl" || w == "revtbl" || w == "rsidtbl") {
            Cur.Destination = Dest::Skip;
            return;
        }
        if (w == "shpinst" && Cur.Destination == Dest::Skip && SkipStar && Cur.InShape &&
            (StarredIn == Dest::Text || StarredIn == Dest::FieldResult)) {
            Cur.Destination = Dest::ShapeInstruction;
            return;
        }
        if (w == "shp" && (Cur.Destination == Dest::Text || Cur.Destination == Dest::FieldResult)) {
            Cur.InShape = true;
            ShapePictured = false;
            return;
        }
        if (w == "pict") {
            // Pictures are not kept: one placeholder character stands for each. A shape's picture
            // is in its instruction and again in its result for older readers: one placeholder.
            bool text = Cur.Destination == Dest::Text || Cur.Destination == Dest::FieldResult;
            if ((text || Cur.Destination == Dest::ShapeInstruction) && !(Cur.InShape && ShapePictured)) {
                AddText(u"\uFFFC");
                ShapePictured = Cur.InShape;
            }
            Cur.Destination = Dest::Skip;
            return;
        }
        if (w == "fldrslt") {
            if (Cur.Destination == Dest::Text)
                Cur.Destination = Dest::FieldResult;
            return;
        }
        if (w == "bin") {
            std::size_t n = has && p > 0 ? std::size_t(p) : 0;
            Pos = std::min(Src.size(), Pos + n);
            return;
        }
        if (Cur.Destination == Dest::Skip || Cur.Destination == Dest::ShapeInstruction)
            return;
        if (w == "ansicpg") {
            if (p > 0)
                AnsiCodePage = p;
        } else if (w == "deff") {
            DefaultFont = p;
        } else if (w == "uc") {
            Cur.UnicodeSkip = std::clamp(p, 0, 16);
        } else if (w == "plain") {
            ResetChar();
        } else if (w == "f") {
            ApplyFont(p);
        } else if (w == "loch" || w == "rtlch") {
            Cur.Class = CharClass::Low;
        } else if (w == "hich") {
            Cur.Class = CharClass::High;
        } else if (w == "dbch") {
            Cur.Class = CharClass::Double;
        } else if (w == "af") {
            if (Cur.Class == CharClass::Double)
                Cur.DoubleByteFont = p;
        } else if (w == "fs") {
            if (has && p > 0)
                Cur.Char.Size = std::clamp(p, 1, 3276) * 10;
        } else if (w == "b") {
            SetEffect(EffectBold, !has || p != 0);
        } else if (w == "i") {
            SetEffect(EffectItalic, !has || p != 0);
        } else if (w == "ul" || w == "uld" || w == "uldb" || w == "ulw" || w == "ulth" || w == "uldash") {
            SetEffect(EffectUnderline, !has || p != 0);
        } else if (w == "ulnone") {
            SetEffect(EffectUnderline, false);
        } else if (w == "strike" || w == "striked") {
            SetEffect(EffectStrike, !has || p != 0);
        } else if (w == "cf") {
            if (p > 0 && std::size_t(p) < Colors.size() && Colors[std::size_t(p)] != CLR_INVALID) {
                Cur.Char.Color = Colors[std::size_t(p)];
                Cur.Char.Effects &= ~EffectAutoColor;
            } else {
                Cur.Char.Color = 0;
                Cur.Char.Effects |= EffectAutoColor;
            }
        } else if (w == "up") {
            Cur.Char.Offset = std::clamp(has ? p : 6, -32760, 32760) * 10;
        } else if (w == "dn") {
            Cur.Char.Offset = -std::clamp(has ? p : 6, -32760, 32760) * 10;
        } else if (w == "super") {
            Cur.Char.Offset = Cur.Char.Size / 3;
        } else if (w == "sub") {
            Cur.Char.Offset = -Cur.Char.Size / 3;
        } else if (w == "nosupersub") {
            Cur.Char.Offset = 0;
        } else if (w == "pard") {
            Cur.Para = ParaFormat{};
        } else if (w == "ql") {
            Cur.Para.Alignment = Align::Left;
        } else if (w == "qc") {
            Cur.Para.Alignment = Align::Center;
        } else if (w == "qr") {
            Cur.Para.Alignment = Align::Right;
        } else if (w == "qj") {
            Cur.Para.Alignment = Align::Justify;
        } else if (w == "li") {
            Cur.Para.Left = std::clamp(p, -31680, 31680);
        } else if (w == "ri") {
            Cur.Para.Right = std::clamp(p, -31680, 31680);
        } else if (w == "fi") {
            Cur.Para.First = std::clamp(p, -31680, 31680);
        } else if (w == "tx" || w == "tb") {
            if (int(Cur.Para.Tabs.size()) < kMaxTabs && p > 0) {
                Cur.Para.Tabs.push_back(std::min(p, 31680));
                std::sort(Cur.Para.Tabs.begin(), Cur.Para.Tabs.end());
                Cur.Para.Tabs.erase(std::unique(Cur.Para.Tabs.begin(), Cur.Para.Tabs.end()),
                                    Cur.Para.Tabs.end());
            }
        }
    }

    const std::string& Src;
    std::size_t Pos = 0;
    bool Done = false;
    bool Broken = false;
    int Depth = 0;
    bool SkipStar = false;
    Dest StarredIn = Dest::Text; // the destination a \* group was marked in
    bool CellEnded = false;      // a \cell whose tab is still to come
    bool ShapePictured = false;  // the shape being read has its placeholder
    State Cur;
    std::vector<State> Stack;
    Document Doc;
    std::u16string Text;
    std::string Bytes;
    int Pending = 0; // characters still to skip after a \u
    int AnsiCodePage = 1252;
    int DefaultFont = 0;
    std::map<int, Font> Fonts;
    int FontNumberInTable = -1;
    std::u16string FontName;
    int FontCharset = 0;
    std::vector<COLORREF> Colors;
    BYTE Red = 0, Green = 0, Blue = 0;
    bool ColorSet = false;
    bool LastWasPar = false;
    ParaFormat LastPara;
    std::uint32_t LastParChar = 0;
};

} // namespace

ReadResult ReadRtf(const std::string& rtf, const CharFormat& defaults)
{
    Reader r(rtf, defaults);
    return r.Run();
}

// ---- Writer --------------------------------------------------------------------------------

std::string WriteRtf(const Document& doc, std::size_t from, std::size_t to)
{
    const std::u16string& t = doc.Text();
    to = std::min(to, t.size());
    from = std::min(from, to);

    std::vector<RtfFont> fonts;
    std::vector<COLORREF> colors;
    auto faceIndex = [&](const CharFormat& f) {
        for (std::size_t i = 0; i < fonts.size(); ++i)
            if (fonts[i].Face == f.Face && fonts[i].Charset == f.Charset)
                return int(i);
        fonts.push_back({f.Face, f.Charset});
        return int(fonts.size() - 1);
    };
    auto colorIndex = [&](COLORREF c) {
        for (std::size_t i = 0; i < colors.size(); ++i)
            if (colors[i] == c)
                return int(i + 1);
        colors.push_back(c);
        return int(colors.size());
    };
    for (std::size_t i = from; i < to; ++i) {
        const CharFormat& f = doc.CharAt(i);
        faceIndex(f);
        if (!(f.Effects & EffectAutoColor))
            colorIndex(f.Color);
    }
    if (fonts.empty())
        faceIndex(doc.CharAt(from));

    RtfWriter out(fonts, colors);
    bool paraOpen = false;
    const CharFormat* last = nullptr;
    for (std::size_t i = from; i < to; ++i) {
        if (!paraOpen) {
            out.BeginParagraph(doc.ParaAt(i));
            paraOpen = true;
        }
        const CharFormat& f = doc.CharAt(i);
        if (!last || !(f == *last)) {
            out.Word("\\plain");
            out.Number("f", faceIndex(f));
            out.Number("fs", (f.Size + 5) / 10);
            if (f.Effects & EffectBold)
                out.Word("\\b");
            if (f.Effects & EffectItalic)
                out.Word("\\i");
            if (f.Effects & EffectUnderline)
                out.Word("\\ul");
            if (f.Effects & EffectStrike)
                out.Word("\\strike");
            if (!(f.Effects & EffectAutoColor))
                out.Number("cf", colorIndex(f.Color));
            if (f.Offset > 0)
                out.Number("up", (f.Offset + 5) / 10);
            else if (f.Offset < 0)
                out.Number("dn", (-f.Offset + 5) / 10);
            out.Space();
            last = &f;
        }
        if (t[i] == u'\r') {
            out.EndParagraph();
            paraOpen = false;
        } else {
            out.Text(std::u16string_view(&t[i], 1));
        }
    }
    return out.Finish();
}

} // namespace richtext
