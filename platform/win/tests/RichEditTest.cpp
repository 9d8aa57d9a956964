// The rich edit: its RTF reader and writer on their own, then the window class driven by messages,
// the keyboard and the mouse, and printing through EM_FORMATRANGE at two resolutions.

#include "StdControlTestSupport.h"

#include "platform/rtl/Strings.h"
#include "platform/testing/Commands.h"
#include "platform/testing/FileContents.h"
#include "platform/testing/TempFolder.h"
#include "platform/win/Colors.h"
#include "platform/win/Metafile.h"
#include "platform/win/RichEdit.h"
#include "platform/win/RichText.h"
#include "platform/win/RtfWriter.h"

#include <cairo.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>

using namespace wintest;
using namespace richtext;

namespace {

// A document with every kind of formatting the writer knows.
Document Sample()
{
    Document d;
    CharFormat plain;
    plain.Face = "Arial";
    plain.Size = 200;
    CharFormat bold = plain;
    bold.Effects |= EffectBold;
    CharFormat red = plain;
    red.Effects = EffectItalic | EffectUnderline;
    red.Color = RGB(200, 0, 0);
    CharFormat big = plain;
    big.Face = "Times New Roman";
    big.Size = 360;
    big.Effects |= EffectStrike;
    CharFormat ming = plain;
    ming.Face = "新細明體";
    ming.Charset = 136;
    CharFormat up = plain;
    up.Offset = 40;
    ParaFormat centred;
    centred.Alignment = Align::Center;
    ParaFormat indented;
    indented.Left = 720;
    indented.Right = 360;
    indented.First = -360;
    indented.Tabs = {1440, 2880};

    d.Append(u"Plain ", d.Intern(plain));
    d.Append(u"bold", d.Intern(bold));
    d.Append(u" {braces} \\ and", d.Intern(plain));
    d.EndParagraph(d.Intern(plain), centred);
    d.Append(u"red italic", d.Intern(red));
    d.Append(u"\v", d.Intern(plain));
    d.Append(u"big\tstruck", d.Intern(big));
    d.Append(u" x", d.Intern(plain));
    d.Append(u"2", d.Intern(up));
    d.EndParagraph(d.Intern(plain), indented);
    d.Append(u"獎品 é ü 😀", d.Intern(ming));
    d.FinishLast(ParaFormat{}, d.Intern(ming));
    return d;
}

} // namespace

TEST(RichTextRtf, WrittenDocumentReadsBackIdentically)
{
    Document d = Sample();
    std::string rtf = WriteRtf(d);
    ReadResult r = ReadRtf(rtf);
    EXPECT_EQ(r.Status, ReadStatus::Ok);
    EXPECT_TRUE(r.Doc.SameAs(d)) << rtf;
    // Writing what was read gives the same bytes again.
    EXPECT_EQ(WriteRtf(r.Doc), rtf);
}

// The writer as the word-processor server uses it: UTF-8 text with tabs, line breaks and markup
// characters, and a table, read back by the reader as written.
TEST(RichTextRtf, WriterTextAndTablesReadBack)
{
    RtfWriter w({{"Arial", 0}, {"Odd;Face", 136}}, {RGB(255, 0, 0)});
    ParaFormat Centred, Right;
    Centred.Alignment = Align::Center;
    Right.Alignment = Align::Right;
    w.BeginParagraph(Centred);
    w.Text(std::string_view("a\tb\nc {x} \\ \xE7\x8D\x8E\r"));
    w.EndParagraph();
    w.Word("\\trowd");
    w.Number("cellx", 900);
    w.Number("cellx", 1800);
    for (const char* Cell : {"A1", "B1"}) {
        w.BeginParagraph(Right, true);
        w.Text(std::string_view(Cell));
        w.Word("\\cell");
    }
    w.Word("\\row\\pard ");
    w.Text(std::u16string_view(u"\U0001F600"));
    ReadResult r = ReadRtf(w.Finish());
    EXPECT_EQ(r.Status, ReadStatus::Ok);
    EXPECT_EQ(r.Doc.Text(), u"a\tb\vc {x} \\ \u734E\rA1\tB1\r\U0001F600\r");
    EXPECT_EQ(r.Doc.ParaAt(0).Alignment, Align::Center);
    EXPECT_EQ(r.Doc.ParaAt(r.Doc.Text().find(u'A')).Alignment, Align::Right);
}

TEST(RichTextRtf, ReaderHandlesTheCommonConstructs)
{
    struct Case {
        const char* Rtf;
        std::u16string Text; // without the final mark
    };
    const Case cases[] = {
        {R"({\rtf1\ansi hello\par world})", u"hello\rworld"},
        {R"({\rtf1\ansi a\line b\tab c})", u"a\vb\tc"},
        {R"({\rtf1\ansi \{x\}\\})", u"{x}\\"},
        {R"({\rtf1\ansi\ansicpg1252 caf\'e9})", u"café"},
        // Code-page text through the font's character set (Big5), and Unicode escapes with
        // their fallback characters skipped.
        {R"({\rtf1\ansi{\fonttbl{\f0\fnil\fcharset136 PMingLiU;}}\f0 \'bc\'fa\'ab\'7e})", u"獎品"},
        {R"({\rtf1\ansi\uc1\u29518?\u21697?\uc2\u65533xx!})", u"獎品\uFFFD!"},
        // Ignorable destinations, stylesheets and the field instruction are skipped; a field's
        // result and a picture's placeholder stay.
        {R"({\rtf1{\*\generator Foo;}{\stylesheet{\s0 Normal;}}x{\field{\*\fldinst HYPERLINK "u"}{\fldrslt link}}y})",
         u"xlinky"},
        {R"({\rtf1 a{\pict\wmetafile8 0123abcd}b})", u"a\uFFFCb"},
        {R"({\rtf1\ansi \emdash\lquote q\rquote\~})", u"\u2014\u2018q\u2019\u00A0"},
        // Table cells apart: a tab between cells (empty ones too), a paragraph per row.
        {R"({\rtf1 \trowd\cellx900\cellx1800\pard\intbl A\cell B\cell\row\trowd\intbl\cell C\cell\row\pard after})",
         u"A\tB\r\tC\rafter"},
        {R"({\rtf1 \intbl {A1}\cell{\b B1}\cell\row})", u"A1\tB1"},
        // A word longer than the 32 letters a control word may have is dropped whole.
        {R"({\rtf1 a\abcdefghijklmnopqrstuvwxyzabcdefghij b})", u"ab"},
        // \u beyond a 16-bit value.
        {R"({\rtf1\uc0 \u99999999999 x\u-40000 y\u70000 z})", u"\uFFFDx\uFFFDy\uFFFDz"},
        // A shape's picture: one placeholder, whether the instruction, the result or both hold
        // it; a shape without a picture gives none.
        {R"({\rtf1 a{\shp{\*\shpinst{\sp{\sn pib}{\sv{\pict\pngblip 89}}}}{\shprslt{\pict\wmetafile8 00}}}b})",
         u"a\uFFFCb"},
        {R"({\rtf1 a{\shp{\*\shpinst{\sp{\sn pib}{\sv{\pict\pngblip 89}}}}}b})", u"a\uFFFCb"},
        {R"({\rtf1 a{\shp{\*\shpinst{\sp{\sn shapeType}{\sv 1}}}{\shprslt{\pict 00}}}b})", u"a\uFFFCb"},
        {R"({\rtf1 a{\shp{\*\shpinst{\sp{\sn shapeType}{\sv 1}}}}b{\pict 00}})", u"ab\uFFFC"},
    };
    for (const Case& c : cases) {
        ReadResult r = ReadRtf(c.Rtf);
        const std::u16string& t = r.Doc.Text();
        EXPECT_EQ(t.substr(0, t.size() - 1), c.Text) << c.Rtf;
    }
}

TEST(RichTextRtf, ReaderAppliesFormatting)
{
    ReadResult r = ReadRtf(
        R"({\rtf1\ansi{\fonttbl{\f0\fswiss Arial;}{\f1\froman Times New Roman;}}{\colortbl;\red255\green0\blue0;}
\pard\qc\li720\fi-360\tx1440\f1\fs28 T\b B\b0\i I\i0\ul U\ulnone\strike S\strike0\cf1 R\cf0\up6 H\par})");
    const Document& d = r.Doc;
    ASSERT_EQ(d.Text(), u"TBIUSRH\r");
    EXPECT_EQ(d.CharAt(0).Face, "Times New Roman");
    EXPECT_EQ(d.CharAt(0).Size, 280);
    EXPECT_EQ(d.CharAt(1).Effects & ~EffectAutoColor, DWORD(EffectBold));
    EXPECT_EQ(d.CharAt(2).Effects & ~EffectAutoColor, DWORD(EffectItalic));
    EXPECT_EQ(d.CharAt(3).Effects & ~EffectAutoColor, DWORD(EffectUnderline));
    EXPECT_EQ(d.CharAt(4).Effects & ~EffectAutoColor, DWORD(EffectStrike));
    EXPECT_EQ(d.CharAt(5).Color, RGB(255, 0, 0));
    EXPECT_FALSE(d.CharAt(5).Effects & EffectAutoColor);
    EXPECT_EQ(d.CharAt(6).Offset, 60);
    EXPECT_EQ(d.ParaAt(0).Alignment, Align::Center);
    EXPECT_EQ(d.ParaAt(0).Left, 720);
    EXPECT_EQ(d.ParaAt(0).First, -360);
    EXPECT_EQ(d.ParaAt(0).Tabs, std::vector<int>{1440});
    EXPECT_TRUE(r.EndedWithPar);
}

TEST(RichTextRtf, MalformedInputGivesPartialTextNeverACrash)
{
    struct Case {
        std::string Rtf;
        ReadStatus Status;
        std::u16string Prefix; // the text must start with this
    };
    std::string deep = "{\\rtf1 a" + std::string(200000, '{') + "b" + std::string(10, '}');
    std::string manyPars = "{\\rtf1 ";
    for (int i = 0; i < 2000; ++i)
        manyPars += "\\par";
    manyPars += "}";
    const Case cases[] = {
        {"plain words", ReadStatus::NotRtf, u""},
        {"", ReadStatus::NotRtf, u""},
        {"{\\rtf1 half", ReadStatus::Truncated, u"half"},
        {"{\\rtf1 bad\\'", ReadStatus::Truncated, u"bad"},
        {"{\\rtf1 bad\\'zz ok}", ReadStatus::Ok, u"badzz ok"},
        {"{\\rtf1 x\\", ReadStatus::Truncated, u"x"},
        {"{\\rtf1 x\\bin99999999999 y}", ReadStatus::Truncated, u"x"},
        {"{\\rtf1 \\fs999999999999999999 big\\f-2147483648 \\cf77777 \\u-99999999 z}", ReadStatus::Ok,
         u"big"},
        {"{\\rtf1 {\\fonttbl{\\f0 A" + std::string(5000, 'x') + ";}}t}", ReadStatus::Ok, u"t"},
        {deep, ReadStatus::Truncated, u"ab"},
        {manyPars, ReadStatus::Ok, u"\r\r\r"},
        {"{\\rtf1 a}}}} trailing", ReadStatus::Ok, u"a"},
    };
    for (const Case& c : cases) {
        ReadResult r = ReadRtf(c.Rtf);
        EXPECT_EQ(r.Status, c.Status) << c.Rtf.substr(0, 60);
        EXPECT_EQ(r.Doc.Text().substr(0, c.Prefix.size()), c.Prefix) << c.Rtf.substr(0, 60);
        EXPECT_EQ(r.Doc.Text().back(), u'\r');
    }
}

// Font names are in their own character set; \dbch\af names the font of East Asian text; a ';' in a
// face name survives writing and reading.
TEST(RichTextRtf, FontsFollowTheirCharacterSets)
{
    ReadResult r = ReadRtf(
        R"({\rtf1\ansi\ansicpg1252{\fonttbl{\f0\fswiss\fcharset0 Arial;}{\f1\fnil\fcharset136 \'b7\'73\'b2\'d3\'a9\'fa\'c5\'e9;})"
        R"({\f2\fnil\fcharset0 Caf\'e9;}}\f0\dbch\af1\loch Prize \u29518?\u21697? list {\f2 x}})");
    const Document& d = r.Doc;
    ASSERT_EQ(d.Text(), u"Prize 獎品 list x\r");
    EXPECT_EQ(d.CharAt(0).Face, "Arial");
    EXPECT_EQ(d.CharAt(6).Face, "新細明體");
    EXPECT_EQ(d.CharAt(6).Charset, 136);
    EXPECT_EQ(d.CharAt(8).Face, "Arial");
    EXPECT_EQ(d.CharAt(14).Face, "Café") << "the document's code page where the font has none";
    // Escaped bytes of double-byte text in the \dbch font's code page.
    ReadResult big5 =
        ReadRtf(R"({\rtf1\ansi{\fonttbl{\f0 Arial;}{\f1\fcharset136 Ming;}}\f0 a{\dbch\af1 \'bc\'fa}})");
    EXPECT_EQ(big5.Doc.Text(), u"a獎\r");

    Document semi;
    CharFormat f;
    f.Face = "Odd;Face {x}";
    semi.Append(u"text", semi.Intern(f));
    ReadResult back = ReadRtf(WriteRtf(semi));
    EXPECT_EQ(back.Doc.CharAt(0).Face, "Odd;Face {x}");
    EXPECT_TRUE(back.Doc.SameAs(semi));
}

// A table written by LibreOffice reads as LibreOffice reads it: every cell and paragraph in order,
// the cells of a row on one line, apart. The files were made by tests/data/make-table-rtf.sh.
TEST(RichTextRtf, OfficeSuiteTableReadsAsTheOfficeSuiteReadsIt)
{
    ReadResult r = ReadRtf(uitest::ReadWholeFile(std::string(DRAWMERE_TEST_DATA) + "/table.rtf"));
    ASSERT_EQ(r.Status, ReadStatus::Ok);
    std::string ours = WideToAnsi(r.Doc.Text().substr(0, r.Doc.Length()));
    EXPECT_NE(ours.find("Prize\tCount\tNote\r"), std::string::npos) << ours;
    EXPECT_NE(ours.find("\r獎品\t20\t\r"), std::string::npos) << ours;
    std::replace(ours.begin(), ours.end(), '\t', '\n');
    std::replace(ours.begin(), ours.end(), '\r', '\n');
    std::string theirs = uitest::ReadWholeFile(std::string(DRAWMERE_TEST_DATA) + "/table.txt");
    if (theirs.rfind("\xEF\xBB\xBF", 0) == 0)
        theirs.erase(0, 3);
    while (!theirs.empty() && theirs.back() == '\n')
        theirs.pop_back();
    EXPECT_EQ(ours, theirs);
}

// The independent reader sees the same text and styles in what the writer makes.
TEST(RichTextRtf, IndependentReaderAgrees)
{
    if (!uitest::HaveCommand("unrtf"))
        return uitest::SkipMissing("unrtf is not installed");
    const uitest::TempFolder dir{"richedit"};
    std::string path = dir.File("richedit_check.rtf");
    {
        std::ofstream f(path, std::ios::binary);
        f << WriteRtf(Sample());
    }
    std::string out = dir.File("richedit_check.html");
    ASSERT_EQ(std::system(("unrtf --html " + path + " > " + out + " 2>/dev/null").c_str()), 0);
    std::string html = uitest::ReadWholeFile(out);
    for (const char* s : {"Plain", "<b>bold</b>", "{braces}", "red italic", "struck"})
        EXPECT_NE(html.find(s), std::string::npos) << s << "\n" << html;
    EXPECT_NE(html.find("<i>"), std::string::npos);
    EXPECT_NE(html.find("<u>"), std::string::npos);
    EXPECT_NE(html.find("#c80000"), std::string::npos);
    EXPECT_NE(html.find("Times New Roman"), std::string::npos);
    std::string text = dir.File("richedit_check.txt");
    ASSERT_EQ(std::system(("unrtf --text " + path + " > " + text + " 2>/dev/null").c_str()), 0);
    // (unrtf shows characters outside its code page as their fallback, so only ASCII is compared.)
    std::string plain = uitest::ReadWholeFile(text);
    for (const char* s : {"Plain bold {braces} \\ and", "red italic", "big", "struck x2"})
        EXPECT_NE(plain.find(s), std::string::npos) << s << "\n" << plain;
}

TEST(RichTextUrls, AddressesAreFoundWithoutTrailingPunctuation)
{
    std::u16string t = u"see http://example.com/a?b=1. and www.x.org, or mailto:a@b.c\rnohttp://x";
    auto urls = FindUrls(t);
    ASSERT_EQ(urls.size(), 3u);
    EXPECT_EQ(t.substr(urls[0].From, urls[0].To - urls[0].From), u"http://example.com/a?b=1");
    EXPECT_EQ(t.substr(urls[1].From, urls[1].To - urls[1].From), u"www.x.org");
    EXPECT_EQ(t.substr(urls[2].From, urls[2].To - urls[2].From), u"mailto:a@b.c");
}

// ---- The window class ------------------------------------------------------------------------

namespace {

struct Buffer {
    std::string Data;
    std::size_t Pos = 0;
};

DWORD ReadCallback(DWORD_PTR cookie, BYTE* buf, LONG cb, LONG* pcb)
{
    auto* b = reinterpret_cast<Buffer*>(cookie);
    std::size_t n = std::min<std::size_t>(std::size_t(cb), b->Data.size() - b->Pos);
    std::memcpy(buf, b->Data.data() + b->Pos, n);
    b->Pos += n;
    *pcb = LONG(n);
    return 0;
}

DWORD WriteCallback(DWORD_PTR cookie, BYTE* buf, LONG cb, LONG* pcb)
{
    reinterpret_cast<Buffer*>(cookie)->Data.append(reinterpret_cast<char*>(buf), std::size_t(cb));
    *pcb = cb;
    return 0;
}

class RichEditTest : public ControlTest {
protected:
    void SetUp() override
    {
        ControlTest::SetUp();
        RegisterRichEditClass();
        CurrentHandler() = [this](HWND h, UINT m, WPARAM, LPARAM l, LRESULT&) {
            if (h == Form && m == WM_NOTIFY) {
                auto* n = reinterpret_cast<const NMHDR*>(l);
                Notified.push_back(n->code);
                if (n->code == EN_LINK) {
                    auto* e = reinterpret_cast<const ENLINK*>(l);
                    Links.push_back({e->msg, e->chrg});
                } else if (n->code == EN_REQUESTRESIZE) {
                    Resized.push_back(reinterpret_cast<const REQRESIZE*>(l)->rc);
                } else if (n->code == EN_SELCHANGE) {
                    Selections.push_back(reinterpret_cast<const SELCHANGE*>(l)->chrg);
                }
            }
            return false;
        };
    }

    HWND MakeRich(DWORD style = ES_MULTILINE) { return Make("RichEdit20A", "", style, 10, 10, 300, 200, 7); }

    std::string StreamOut(HWND h, WPARAM format)
    {
        Buffer b;
        EDITSTREAM es;
        es.dwCookie = reinterpret_cast<DWORD_PTR>(&b);
        es.pfnCallback = WriteCallback;
        SendMessage(h, EM_STREAMOUT, format, reinterpret_cast<LPARAM>(&es));
        return b.Data;
    }
    LRESULT StreamIn(HWND h, WPARAM format, const std::string& data)
    {
        Buffer b{data};
        EDITSTREAM es;
        es.dwCookie = reinterpret_cast<DWORD_PTR>(&b);
        es.pfnCallback = ReadCallback;
        return SendMessage(h, EM_STREAMIN, format, reinterpret_cast<LPARAM>(&es));
    }
    std::string Text(HWND h)
    {
        char buf[4096] = {};
        GetWindowText(h, buf, sizeof buf);
        return buf;
    }
    void Select(HWND h, LONG a, LONG b)
    {
        CHARRANGE cr{a, b};
        SendMessage(h, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&cr));
    }

    struct LinkNote {
        UINT Msg;
        CHARRANGE Range;
    };
    std::vector<UINT> Notified;
    std::vector<LinkNote> Links;
    std::vector<RECT> Resized;
    std::vector<CHARRANGE> Selections;
};

} // namespace

TEST_F(RichEditTest, StreamsRtfAndTextInAndOut)
{
    HWND h = MakeRich();
    std::string rtf = WriteRtf(Sample());
    EXPECT_GT(StreamIn(h, SF_RTF, rtf), 0);
    EXPECT_EQ(StreamOut(h, SF_RTF), rtf);
    EXPECT_EQ(Text(h), "Plain bold {braces} \\ and\r\nred italic\vbig\tstruck x2\r\n獎品 é ü 😀");
    GETTEXTLENGTHEX gl;
    EXPECT_EQ(SendMessage(h, EM_GETTEXTLENGTHEX, reinterpret_cast<WPARAM>(&gl), 0), 60);
    gl.flags = GTL_USECRLF;
    EXPECT_EQ(SendMessage(h, EM_GETTEXTLENGTHEX, reinterpret_cast<WPARAM>(&gl), 0), 62);

    // The selection only, inserted into another control at its caret.
    Select(h, 6, 10);
    std::string part = StreamOut(h, SF_RTF | SFF_SELECTION);
    HWND other = MakeRich();
    SetWindowText(other, "[]");
    Select(other, 1, 1);
    StreamIn(other, SF_RTF | SFF_SELECTION, part);
    EXPECT_EQ(Text(other), "[bold]");
    Select(other, 2, 2);
    CHARFORMATA cf;
    SendMessage(other, EM_GETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&cf));
    EXPECT_TRUE(cf.dwEffects & CFE_BOLD);

    // Plain text in and out; text that is not RTF given as RTF loads as plain text.
    StreamIn(h, SF_TEXT, "one\r\ntwo");
    EXPECT_EQ(StreamOut(h, SF_TEXT), "one\r\ntwo");
    StreamIn(h, SF_RTF, "not rtf {at all}");
    EXPECT_EQ(Text(h), "not rtf {at all}");
}

// With WS_VSCROLL the bar spans the laid-out text and scrolls it: by line, by page, to the thumb
// and by the wheel; what shows is the text scrolled to.
TEST_F(RichEditTest, ScrollBarScrollsTheText)
{
    HWND h = MakeRich(DWORD(ES_MULTILINE) | WS_VSCROLL);
    std::string rtf = "{\\rtf1\\ansi ";
    for (int i = 0; i < 200; ++i)
        rtf += "Paragraph " + std::to_string(i) + "\\par ";
    rtf += "The end}";
    ASSERT_GT(StreamIn(h, SF_RTF, rtf), 0);
    SendMessage(h, EM_SETSEL, 0, 0);
    SCROLLINFO si;
    si.fMask = SIF_ALL;
    ASSERT_TRUE(GetScrollInfo(h, SB_VERT, &si));
    RECT c;
    GetClientRect(h, &c);
    EXPECT_GT(si.nMax + 1, 10 * int(si.nPage)) << "two hundred lines against a view of sixteen";
    EXPECT_NEAR(int(si.nPage), c.Bottom - c.Top, 2);
    EXPECT_EQ(si.nPos, 0);

    // The character at the view's top left: which paragraph shows first.
    auto topLine = [&] {
        const POINT corner{3, 3};
        LRESULT at = SendMessage(h, EM_CHARFROMPOS, 0, reinterpret_cast<LPARAM>(&corner));
        return SendMessage(h, EM_EXLINEFROMCHAR, 0, at);
    };
    auto pos = [&] {
        SCROLLINFO p;
        p.fMask = SIF_POS;
        GetScrollInfo(h, SB_VERT, &p);
        return p.nPos;
    };
    SendMessage(h, WM_VSCROLL, SB_LINEDOWN, 0);
    EXPECT_EQ(topLine(), 1);
    EXPECT_GT(pos(), 0);
    SendMessage(h, WM_MOUSEWHEEL, MAKEWPARAM(0, WORD(-WHEEL_DELTA)), 0);
    EXPECT_EQ(topLine(), 4) << "three lines a notch";
    SendMessage(h, WM_MOUSEWHEEL, MAKEWPARAM(0, WORD(WHEEL_DELTA)), 0);
    EXPECT_EQ(topLine(), 1);
    SendMessage(h, WM_VSCROLL, SB_PAGEDOWN, 0);
    EXPECT_GT(topLine(), 8);
    SendMessage(h, WM_VSCROLL, SB_BOTTOM, 0);
    ASSERT_TRUE(GetScrollInfo(h, SB_VERT, &si));
    EXPECT_EQ(si.nPos, si.nMax + 1 - int(si.nPage));
    LRESULT end = SendMessage(h, WM_GETTEXTLENGTH, 0, 0);
    POINT last{};
    SendMessage(h, EM_POSFROMCHAR, reinterpret_cast<WPARAM>(&last), end - 1);
    EXPECT_GE(last.Y, 0);
    EXPECT_LT(last.Y, c.Bottom) << "the last line in view";
    SendMessage(h, WM_VSCROLL, SB_TOP, 0);
    EXPECT_EQ(topLine(), 0);
    EXPECT_EQ(pos(), 0);

    // Scrolled to the hundredth paragraph, the view shows it: ink where its line is.
    SendMessage(h, WM_VSCROLL, MAKEWPARAM(SB_THUMBPOSITION, 0), 0); // no drag under way: nothing
    EXPECT_EQ(topLine(), 0);
    for (int i = 0; i < 100; ++i)
        SendMessage(h, WM_VSCROLL, SB_LINEDOWN, 0);
    EXPECT_EQ(topLine(), 100);
    UpdateWindow(h);
    bool ink = false;
    for (int y = 0; y < 12 && !ink; ++y)
        for (int x = 2; x < 80 && !ink; ++x)
            ink = Pixel(h, x, y) != GetSysColor(COLOR_WINDOW);
    EXPECT_TRUE(ink) << "the hundredth paragraph is drawn at the top";
}

// Edits of every kind in a long text (typing, Enter and Backspace across a paragraph mark,
// replacing and deleting across paragraphs, formats of ranges and paragraphs, RTF pasted into the
// selection) leave the lines, positions and scroll range a control given the same text anew has;
// so does a new width. The caret stays in view.
TEST_F(RichEditTest, EditedTextLaysOutAsTheSameTextGivenAnew)
{
    const DWORD style = DWORD(ES_MULTILINE) | WS_VSCROLL;
    auto make = [&](int width) {
        HWND c = Make("RichEdit20A", "", style, 10, 10, width, 200, 7);
        SendMessage(c, EM_EXLIMITTEXT, 0, 1 << 20);
        return c;
    };
    HWND h = make(300);
    std::string text;
    for (int i = 0; i < 120; ++i)
        text += "Paragraph " + std::to_string(i) + std::string(std::size_t(i % 7) * 6, 'w') +
                " of the prize list, with words enough to wrap\r\n";
    SetWindowText(h, text.c_str());
    SetFocus(h);
    const LRESULT lines = SendMessage(h, EM_GETLINECOUNT, 0, 0);
    ASSERT_GT(lines, 120);

    Select(h, 3000, 3000);
    Type(u"typed words that make the line wrap further along");
    Press(VK_RETURN);
    Type(u"獎品");
    Select(h, 2001, 2001);
    for (int i = 0; i < 60; ++i)
        Press(VK_BACK); // back across the paragraph mark before it
    Select(h, 4000, 4090);
    SendMessage(h, EM_REPLACESEL, 0, reinterpret_cast<LPARAM>("two\r\nnew paragraphs\r\n"));
    Select(h, 500, 700);
    Press(VK_DELETE);
    CHARFORMATA cf;
    cf.dwMask = CFM_SIZE | CFM_BOLD;
    cf.dwEffects = CFE_BOLD;
    cf.yHeight = 360;
    Select(h, 1000, 1300);
    SendMessage(h, EM_SETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&cf));
    PARAFORMAT pf;
    pf.dwMask = PFM_ALIGNMENT | PFM_STARTINDENT;
    pf.wAlignment = PFA_CENTER;
    pf.dxStartIndent = 720;
    Select(h, 2500, 2700);
    SendMessage(h, EM_SETPARAFORMAT, 0, reinterpret_cast<LPARAM>(&pf));
    Select(h, 5000, 5010);
    StreamIn(h, SF_RTF | SFF_SELECTION, "{\\rtf1\\ansi pasted \\b bold\\b0\\par second\\par}");

    // The caret is in view after the last edit.
    CHARRANGE sel;
    SendMessage(h, EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&sel));
    POINT caret{};
    SendMessage(h, EM_POSFROMCHAR, reinterpret_cast<WPARAM>(&caret), sel.cpMax);
    RECT client;
    GetClientRect(h, &client);
    EXPECT_GE(caret.Y, 0);
    EXPECT_LT(caret.Y, client.Bottom);

    const std::string rtf = StreamOut(h, SF_RTF);
    auto expectLaidOutAlike = [&](HWND edited, HWND anew, const char* what) {
        SendMessage(edited, WM_VSCROLL, SB_TOP, 0);
        SendMessage(anew, WM_VSCROLL, SB_TOP, 0);
        const LRESULT count = SendMessage(edited, EM_GETLINECOUNT, 0, 0);
        ASSERT_EQ(count, SendMessage(anew, EM_GETLINECOUNT, 0, 0)) << what;
        for (LRESULT k = 0; k < count; ++k)
            ASSERT_EQ(SendMessage(edited, EM_LINEINDEX, WPARAM(k), 0),
                      SendMessage(anew, EM_LINEINDEX, WPARAM(k), 0))
                << what << ", line " << k;
        const LRESULT length = SendMessage(edited, WM_GETTEXTLENGTH, 0, 0);
        for (LRESULT i = 0; i < length; i += 37) {
            POINT a{}, b{};
            SendMessage(edited, EM_POSFROMCHAR, reinterpret_cast<WPARAM>(&a), i);
            SendMessage(anew, EM_POSFROMCHAR, reinterpret_cast<WPARAM>(&b), i);
            ASSERT_TRUE(a.X == b.X && a.Y == b.Y) << what << ", character " << i;
        }
        SCROLLINFO x, y;
        x.fMask = y.fMask = SIF_RANGE;
        GetScrollInfo(edited, SB_VERT, &x);
        GetScrollInfo(anew, SB_VERT, &y);
        EXPECT_EQ(x.nMax, y.nMax) << what;
    };
    HWND anew = make(300);
    StreamIn(anew, SF_RTF, rtf);
    expectLaidOutAlike(h, anew, "edited");

    // Narrower: every line is laid out again.
    SetWindowPos(h, nullptr, 0, 0, 220, 200, SWP_NOMOVE | SWP_NOZORDER);
    HWND narrow = make(220);
    StreamIn(narrow, SF_RTF, rtf);
    expectLaidOutAlike(h, narrow, "narrower");
    EXPECT_GT(SendMessage(h, EM_GETLINECOUNT, 0, 0), SendMessage(anew, EM_GETLINECOUNT, 0, 0));
}

TEST_F(RichEditTest, SelectionFormatsAndParagraphs)
{
    HWND h = MakeRich();
    SetWindowText(h, "abcdef\r\nsecond");
    Select(h, 1, 3);
    CHARFORMATA cf;
    cf.dwMask = CFM_BOLD | CFM_OFFSET | CFM_COLOR;
    cf.dwEffects = CFE_BOLD;
    cf.yOffset = 40;
    cf.crTextColor = RGB(0, 128, 0);
    EXPECT_EQ(SendMessage(h, EM_SETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&cf)), 1);

    struct Probe {
        LONG From, To;
        bool BoldKnown, Bold;
        LONG Offset;
    };
    const Probe probes[] = {
        {1, 3, true, true, 40},  // the formatted range
        {0, 3, false, false, 0}, // mixed: bold is not reported as one value
        {4, 5, true, false, 0},  // untouched text
    };
    for (const Probe& p : probes) {
        Select(h, p.From, p.To);
        CHARFORMATA got;
        SendMessage(h, EM_GETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&got));
        EXPECT_EQ(bool(got.dwMask & CFM_BOLD), p.BoldKnown) << p.From;
        if (p.BoldKnown) {
            EXPECT_EQ(bool(got.dwEffects & CFE_BOLD), p.Bold) << p.From;
            EXPECT_EQ(got.yOffset, p.Offset) << p.From;
        }
    }
    Select(h, 1, 3);
    std::string rtf = StreamOut(h, SF_RTF | SFF_SELECTION);
    EXPECT_NE(rtf.find("\\b\\cf1\\up4 bc"), std::string::npos) << rtf;

    // Paragraph format of the second paragraph.
    Select(h, 9, 9);
    PARAFORMAT pf;
    pf.dwMask = PFM_ALIGNMENT | PFM_STARTINDENT;
    pf.wAlignment = PFA_RIGHT;
    pf.dxStartIndent = 360;
    SendMessage(h, EM_SETPARAFORMAT, 0, reinterpret_cast<LPARAM>(&pf));
    PARAFORMAT back;
    SendMessage(h, EM_GETPARAFORMAT, 0, reinterpret_cast<LPARAM>(&back));
    EXPECT_EQ(back.wAlignment, PFA_RIGHT);
    EXPECT_EQ(back.dxStartIndent, 360);
    Select(h, 0, 0);
    SendMessage(h, EM_GETPARAFORMAT, 0, reinterpret_cast<LPARAM>(&back));
    EXPECT_EQ(back.wAlignment, PFA_LEFT);
    EXPECT_NE(StreamOut(h, SF_RTF).find("\\pard\\qr\\li360 "), std::string::npos);
}

TEST_F(RichEditTest, KeyboardEditingAndNotifications)
{
    HWND h = MakeRich();
    SendMessage(h, EM_SETEVENTMASK, 0, ENM_SELCHANGE | ENM_REQUESTRESIZE | ENM_CHANGE);
    SetFocus(h);
    Type(u"ab");
    Press(VK_RETURN);
    Type(u"c獎");
    EXPECT_EQ(Text(h), "ab\r\nc獎");
    Press(VK_LEFT, true); // Shift+Left selects 獎
    CHARRANGE cr;
    SendMessage(h, EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&cr));
    EXPECT_EQ(cr.cpMin, 4);
    EXPECT_EQ(cr.cpMax, 5);
    Press(VK_BACK);
    Press(VK_HOME);
    Press(VK_DELETE);
    Press(VK_UP);
    Type(u"x");
    EXPECT_EQ(Text(h), "xab\r\n");
    ASSERT_FALSE(Selections.empty());
    EXPECT_EQ(Selections.back().cpMin, 1);
    // Each change asked for a height; two lines are taller than one.
    ASSERT_GE(Resized.size(), 2u);
    SetWindowText(h, "one line");
    SendMessage(h, EM_REQUESTRESIZE, 0, 0);
    int one = Resized.back().Bottom - Resized.back().Top;
    SetWindowText(h, "one\r\ntwo");
    SendMessage(h, EM_REQUESTRESIZE, 0, 0);
    EXPECT_GT(Resized.back().Bottom - Resized.back().Top, one);
    auto codes = Codes(h);
    EXPECT_NE(std::count(codes.begin(), codes.end(), EN_CHANGE), 0);
}

TEST_F(RichEditTest, ClickOnADetectedLinkNotifiesTheParent)
{
    HWND h = MakeRich();
    SendMessage(h, EM_AUTOURLDETECT, 1, 0);
    SendMessage(h, EM_SETEVENTMASK, 0, SendMessage(h, EM_GETEVENTMASK, 0, 0) | ENM_LINK);
    SetWindowText(h, "go to http://example.com now");
    POINT p{};
    SendMessage(h, EM_POSFROMCHAR, reinterpret_cast<WPARAM>(&p), 10);
    Click(h, p.X + 2, p.Y + 4);
    auto down =
        std::find_if(Links.begin(), Links.end(), [](const LinkNote& n) { return n.Msg == WM_LBUTTONDOWN; });
    ASSERT_NE(down, Links.end());
    EXPECT_EQ(down->Range.cpMin, 6);
    EXPECT_EQ(down->Range.cpMax, 24);
    // Clicking plain text sends no link notification.
    Links.clear();
    SendMessage(h, EM_POSFROMCHAR, reinterpret_cast<WPARAM>(&p), 1);
    Click(h, p.X + 2, p.Y + 4);
    EXPECT_TRUE(
        std::none_of(Links.begin(), Links.end(), [](const LinkNote& n) { return n.Msg == WM_LBUTTONDOWN; }));
}

namespace {

// The rows of a DC's pixels with any ink, grouped into bands (one per text line).
struct Band {
    int Top, Bottom, Right;
};
std::vector<Band> InkBands(HDC dc, int width, int height)
{
    cairo_surface_t* surface = GetDCSurface(dc);
    cairo_surface_flush(surface);
    const unsigned char* data = cairo_image_surface_get_data(surface);
    int stride = cairo_image_surface_get_stride(surface);
    std::vector<Band> bands;
    bool in = false;
    for (int y = 0; y < height; ++y) {
        const auto* row = reinterpret_cast<const std::uint32_t*>(data + std::ptrdiff_t(y) * stride);
        int right = -1;
        for (int x = width; x-- > 0;)
            if ((row[x] & 0xFFFFFF) != 0xFFFFFF) {
                right = x;
                break;
            }
        if (right >= 0 && !in) {
            bands.push_back({y, y, right});
            in = true;
        } else if (right >= 0) {
            bands.back().Bottom = y;
            bands.back().Right = std::max(bands.back().Right, right);
        } else {
            in = false;
        }
    }
    return bands;
}

// A white bitmap DC of the given size at `dpi`, as a printer page would be.
HDC PageDC(int w, int h, int dpi, HBITMAP& bmp)
{
    HDC dc = CreateCompatibleDC(nullptr);
    bmp = CreateBitmap(w, h, 1, 32, nullptr);
    SelectObject(dc, bmp);
    SetDCDeviceCaps(dc, LOGPIXELSX, dpi);
    SetDCDeviceCaps(dc, LOGPIXELSY, dpi);
    RECT r{0, 0, w, h};
    FillRect(dc, &r, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    return dc;
}

} // namespace

TEST_F(RichEditTest, FormatRangeBreaksLinesAlikeOnScreenAndPrinter)
{
    HWND h = MakeRich();
    StreamIn(h, SF_RTF,
             R"({\rtf1\ansi{\fonttbl{\f0 Arial;}}\f0\fs24 The quick brown fox jumps over the lazy dog and )"
             R"(keeps running across the wide field until the evening comes.\par\b Second paragraph\b0  )"
             R"(with more words to wrap.\par})");
    // A column 2 inches wide and 1 inch tall: the text needs more than one page.
    const int wIn = 2, hIn = 1;
    std::vector<std::vector<Band>> pages[2];
    std::vector<LRESULT> breaks[2];
    const int dpis[2] = {96, 600};
    for (int k = 0; k < 2; ++k) {
        int dpi = dpis[k];
        FORMATRANGE fr;
        fr.rc = RECT{0, 0, wIn * 1440, hIn * 1440};
        fr.rcPage = fr.rc;
        fr.chrg = CHARRANGE{0, -1};
        LRESULT len = SendMessage(h, WM_GETTEXTLENGTH, 0, 0);
        for (int guard = 0; guard < 20 && fr.chrg.cpMin < len - 1; ++guard) {
            HBITMAP bmp;
            HDC dc = PageDC(wIn * dpi, hIn * dpi, dpi, bmp);
            fr.hdc = fr.hdcTarget = dc;
            LRESULT next = SendMessage(h, EM_FORMATRANGE, 1, reinterpret_cast<LPARAM>(&fr));
            ASSERT_GT(next, fr.chrg.cpMin);
            breaks[k].push_back(next);
            pages[k].push_back(InkBands(dc, wIn * dpi, hIn * dpi));
            fr.chrg.cpMin = LONG(next);
            DeleteDC(dc);
            DeleteObject(bmp);
        }
        SendMessage(h, EM_FORMATRANGE, 0, 0);
    }
    ASSERT_GE(breaks[0].size(), 2u);
    EXPECT_EQ(breaks[0], breaks[1]);
    ASSERT_EQ(pages[0].size(), pages[1].size());
    for (std::size_t p = 0; p < pages[0].size(); ++p) {
        ASSERT_EQ(pages[0][p].size(), pages[1][p].size()) << "page " << p;
        for (std::size_t b = 0; b < pages[0][p].size(); ++b) {
            // The same words on each line: the right ends of the ink agree at the scale.
            double scaled = pages[0][p][b].Right * 600.0 / 96;
            EXPECT_NEAR(pages[1][p][b].Right, scaled, 40) << "page " << p << " line " << b;
            EXPECT_NEAR(pages[1][p][b].Top, pages[0][p][b].Top * 600.0 / 96, 40);
        }
    }
}

TEST_F(RichEditTest, FormatRangeRecordsIntoAMetafile)
{
    HWND h = MakeRich();
    SetWindowText(h, "Words recorded as ordinary drawing calls\r\nso a picture of the page replays them.");
    auto render = [&](HDC dc) {
        FORMATRANGE fr;
        fr.hdc = fr.hdcTarget = dc;
        fr.rc = fr.rcPage = RECT{0, 0, 3 * 1440, 1440};
        fr.chrg = CHARRANGE{0, -1};
        return SendMessage(h, EM_FORMATRANGE, 1, reinterpret_cast<LPARAM>(&fr));
    };
    HBITMAP direct;
    HDC page = PageDC(288, 96, 96, direct);
    LRESULT end = render(page);
    auto want = InkBands(page, 288, 96);

    RECT frame{0, 0, 7620, 2540}; // 3 × 1 inch in hundredths of a millimetre
    HDC rec = CreateEnhMetaFile(nullptr, nullptr, &frame, nullptr);
    ASSERT_NE(rec, nullptr);
    EXPECT_EQ(render(rec), end);
    HENHMETAFILE mf = CloseEnhMetaFile(rec);
    HBITMAP played;
    HDC replay = PageDC(288, 96, 96, played);
    RECT bounds{0, 0, 288, 96};
    ASSERT_TRUE(PlayEnhMetaFile(replay, mf, &bounds));
    auto got = InkBands(replay, 288, 96);
    ASSERT_EQ(got.size(), want.size());
    ASSERT_GE(want.size(), 2u);
    for (std::size_t i = 0; i < want.size(); ++i) {
        EXPECT_NEAR(got[i].Top, want[i].Top, 2);
        EXPECT_NEAR(got[i].Right, want[i].Right, 4);
    }
    DeleteEnhMetaFile(mf);
    DeleteDC(page);
    DeleteDC(replay);
    DeleteObject(direct);
    DeleteObject(played);
}

// A document saved as RTF by LibreOffice loads with its text and styles. The file was made once
// by tests/data/make-office-rtf.sh, so the office suite is not needed here.
TEST(RichTextRtf, OfficeSuiteRtfLoads)
{
    ReadResult r = ReadRtf(uitest::ReadWholeFile(std::string(DRAWMERE_TEST_DATA) + "/office-doc.rtf"));
    ASSERT_NE(r.Status, ReadStatus::NotRtf);
    const std::u16string& t = r.Doc.Text();
    std::size_t bold = t.find(u"bold"), italic = t.find(u"italic"), under = t.find(u"under"),
                red = t.find(u"red"), centred = t.find(u"Centred 獎品");
    ASSERT_NE(bold, std::u16string::npos) << std::string(t.begin(), t.end());
    ASSERT_NE(centred, std::u16string::npos);
    EXPECT_TRUE(r.Doc.CharAt(bold).Effects & EffectBold);
    EXPECT_FALSE(r.Doc.CharAt(t.find(u"Plain")).Effects & EffectBold);
    EXPECT_TRUE(r.Doc.CharAt(italic).Effects & EffectItalic);
    EXPECT_TRUE(r.Doc.CharAt(under).Effects & EffectUnderline);
    EXPECT_EQ(r.Doc.CharAt(red).Color, RGB(255, 0, 0));
    EXPECT_EQ(r.Doc.ParaAt(centred).Alignment, Align::Center);
}
