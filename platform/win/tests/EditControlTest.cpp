// The EDIT class driven as a person would: typing (ASCII and Chinese), keys, the mouse, the
// clipboard, and the messages programs send, in ANSI (byte positions) and Unicode (UTF-16
// positions) windows.

#include "StdControlTestSupport.h"

#include "platform/win/Colors.h"
#include "platform/win/RichEdit.h"

#include <cstring>

using namespace wintest;

namespace {

std::pair<int, int> Sel(HWND e)
{
    DWORD a = 0, b = 0;
    SendMessage(e, EM_GETSEL, reinterpret_cast<WPARAM>(&a), reinterpret_cast<LPARAM>(&b));
    return {int(a), int(b)};
}

std::u16string WideText(HWND h)
{
    int n = GetWindowTextLengthW(h);
    std::u16string s(std::size_t(n) + 1, u'\0');
    s.resize(std::size_t(GetWindowTextW(h, s.data(), n + 1)));
    return s;
}

std::string ClipboardUtf8()
{
    std::string s;
    if (!OpenClipboard(nullptr))
        return s;
    if (HANDLE d = GetClipboardData(CF_TEXT)) {
        auto* p = static_cast<const char*>(GlobalLock(static_cast<HGLOBAL>(d)));
        s = p ? p : "";
        GlobalUnlock(static_cast<HGLOBAL>(d));
    }
    CloseClipboard();
    return s;
}

void SetClipboardUtf8(const std::string& s)
{
    ASSERT_TRUE(OpenClipboard(nullptr));
    EmptyClipboard();
    HGLOBAL m = GlobalAlloc(GMEM_MOVEABLE, s.size() + 1);
    std::memcpy(GlobalLock(m), s.c_str(), s.size() + 1);
    GlobalUnlock(m);
    SetClipboardData(CF_TEXT, m);
    CloseClipboard();
}

// A procedure put over an edit with SetWindowLongPtrW, which makes the window a Unicode one, as
// the component library does for its wide controls. It passes everything on.
WNDPROC OriginalEditProc = nullptr;
LRESULT WideSubclass(HWND h, UINT m, WPARAM w, LPARAM l)
{
    return CallWindowProc(OriginalEditProc, h, m, w, l);
}

// A subclass that records the clipboard messages reaching the edit and refuses pastes.
std::vector<UINT> ClipboardMessages;
bool BlockPaste = false;
LRESULT RecordingSubclass(HWND h, UINT m, WPARAM w, LPARAM l)
{
    if (m == WM_CUT || m == WM_COPY || m == WM_PASTE || m == WM_CLEAR || m == WM_UNDO) {
        ClipboardMessages.push_back(m);
        if (m == WM_PASTE && BlockPaste)
            return 0;
    }
    return CallWindowProc(OriginalEditProc, h, m, w, l);
}

class EditTest : public ControlTest {
protected:
    HWND Edit(const char* text = "", DWORD style = ES_AUTOHSCROLL, int w = 200, int h = 22)
    {
        HWND e = Make("EDIT", text, style | WS_TABSTOP, 10, 10, w, h, 100, WS_EX_CLIENTEDGE);
        SetFocus(e);
        Pump();
        Log().clear();
        return e;
    }
};

TEST_F(EditTest, EveryScreenDeviceContextMeasuresTextAlike)
{
    // Measuring in one place and drawing in another must agree, or carets, selections and sized
    // labels land beside their glyphs.
    HFONT font = CreateFont(-12, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, "Arial");
    const std::string text = "illuminating millimetre wallpaper";
    auto width = [&](HDC dc) {
        HGDIOBJ old = SelectObject(dc, font);
        SIZE s{};
        GetTextExtentPoint32(dc, text.data(), int(text.size()), &s);
        SelectObject(dc, old);
        return int(s.cx);
    };
    HDC screen = GetDC(nullptr);
    HDC window = GetDC(Form);
    HDC memory = CreateCompatibleDC(window);
    HDC measuring = CreateMeasuringDC();
    int expected = width(window);
    struct Case {
        const char* Kind;
        HDC Dc;
    } cases[] = {{"screen", screen}, {"memory", memory}, {"measuring", measuring}};
    for (const Case& c : cases)
        EXPECT_EQ(width(c.Dc), expected) << c.Kind;
    // A printer-resolution measuring DC keeps scalable metrics: 600/96 of the unhinted width.
    HDC fine = CreateMeasuringDC(600, 600);
    SetMapMode(fine, MM_ANISOTROPIC);
    SetWindowExtEx(fine, 96, 96, nullptr);
    SetViewportExtEx(fine, 600, 600, nullptr);
    EXPECT_NEAR(width(fine), expected, expected / 20);
    DeleteDC(fine);
    DeleteDC(measuring);
    DeleteDC(memory);
    ReleaseDC(Form, window);
    ReleaseDC(nullptr, screen);
    DeleteObject(font);
}

TEST_F(EditTest, CaretAndSelectionSitAtTheGlyphEdgesOfALongLatinLine)
{
    HFONT font = CreateFont(-12, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, "Arial");
    std::string line;
    while (line.size() < 94)
        line += "illuminating millimetre wallpaper ";
    line.resize(94);
    HWND e = Edit("", ES_AUTOHSCROLL, 460);
    SendMessage(e, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
    SetWindowText(e, line.c_str());
    // Where the window's own DC puts the glyph edges.
    HDC dc = GetDC(e);
    HGDIOBJ old = SelectObject(dc, font);
    auto edge = [&](int n) {
        SIZE s{};
        GetTextExtentPoint32(dc, line.data(), n, &s);
        return int(s.cx);
    };
    for (int n : {1, 12, 40, 70, 93, 94}) {
        SendMessage(e, EM_SETSEL, WPARAM(n), LPARAM(n));
        LRESULT origin = SendMessage(e, EM_POSFROMCHAR, 0, 0); // the line scrolls with the caret
        POINT caret{};
        GetCaretPos(&caret);
        EXPECT_NEAR(caret.X - GET_X_LPARAM(origin), edge(n), 1) << n;
        if (n < 94) {
            LRESULT at = SendMessage(e, EM_POSFROMCHAR, WPARAM(n), 0);
            EXPECT_NEAR(GET_X_LPARAM(at) - GET_X_LPARAM(origin), edge(n), 1) << n;
        }
    }
    SelectObject(dc, old);
    ReleaseDC(e, dc);
    DestroyWindow(e);
    DeleteObject(font);
}

TEST_F(EditTest, EditsLayOutTheirLinesAsAFreshLayoutWould)
{
    // A wrapping memo edited in the middle, at the ends and across line breaks must break its
    // lines where a memo given the whole text at once does.
    const DWORD style = DWORD(ES_MULTILINE) | WS_VSCROLL;
    HWND e = Make("EDIT", "", style, 10, 10, 160, 200, 300);
    struct Step {
        int From, To; // selection replaced (-1: the end)
        const char* Text;
    } steps[] = {
        {-1, -1, "first line of the prize list\r\n"},
        {-1, -1, "second line that is long enough to wrap twice in a narrow memo\r\n"},
        {0, 0, "top\r\n"},
        {10, 20, "replaced across words "},
        {5, 40, ""},                   // joins lines
        {3, 3, "\r\n\r\nsplit here "}, // breaks one
        {-1, -1, "獎品 一等獎 二等獎 三等獎 特獎 獎品 一等獎 二等獎"},
        {0, -1, "all new\r\ntext"},
    };
    auto lines = [](HWND w) {
        std::vector<LRESULT> starts;
        LRESULT n = SendMessage(w, EM_GETLINECOUNT, 0, 0);
        for (LRESULT i = 0; i < n; ++i)
            starts.push_back(SendMessage(w, EM_LINEINDEX, WPARAM(i), 0));
        return starts;
    };
    for (const Step& st : steps) {
        int len = GetWindowTextLength(e);
        SendMessage(e, EM_SETSEL, WPARAM(st.From < 0 ? len : st.From), LPARAM(st.To < 0 ? len : st.To));
        SendMessage(e, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(st.Text));
        std::string text = Text(e);
        HWND fresh = Make("EDIT", text.c_str(), style, 200, 10, 160, 200, 301);
        EXPECT_EQ(lines(e), lines(fresh)) << st.Text;
        DestroyWindow(fresh);
    }
}

// Byte positions and line counts of a long text of one-, two-, three- and four-byte characters
// (four-byte ones across the points where positions are kept), before and after edits that
// split and join line breaks.
TEST_F(EditTest, BytePositionsAndLineCountsOfALongTextStayRightThroughEdits)
{
    std::string text(511, 'a');
    text += "\xF0\x9F\x98\x80"; // 😀 over units 511 and 512
    const char* pieces[] = {"b", "\xC3\xA9", "\xE7\x8D\x8E", "\xF0\x9F\x8E\x81", "\r\n", "c", "\n", "\r"};
    for (int i = 0; text.size() < 4000; ++i)
        text += pieces[(i * 7 + i / 9) % 8];
    HWND e = Make("EDIT", text.c_str(), DWORD(ES_MULTILINE) | ES_AUTOHSCROLL, 10, 10, 200, 100, 100);

    auto check = [&](const std::string& t) {
        SCOPED_TRACE(t.size());
        ASSERT_EQ(Text(e), t);
        EXPECT_EQ(GetWindowTextLength(e), int(t.size()));
        // A position inside a character stands for the character's start.
        std::vector<int> start(t.size() + 1);
        for (std::size_t k = 0; k <= t.size(); ++k)
            start[k] =
                k < t.size() && (static_cast<unsigned char>(t[k]) & 0xC0) == 0x80 ? start[k - 1] : int(k);
        for (std::size_t p = 0; p <= t.size(); p += 5) {
            SendMessage(e, EM_SETSEL, WPARAM(p), LPARAM(p));
            ASSERT_EQ(Sel(e), std::make_pair(start[p], start[p])) << p;
        }
        std::vector<LRESULT> lines{0};
        for (std::size_t k = 0; k < t.size(); ++k)
            if (t[k] == '\n' || (t[k] == '\r' && !(k + 1 < t.size() && t[k + 1] == '\n')))
                lines.push_back(LRESULT(k + 1));
        ASSERT_EQ(SendMessage(e, EM_GETLINECOUNT, 0, 0), LRESULT(lines.size()));
        for (std::size_t i = 0; i < lines.size(); ++i)
            EXPECT_EQ(SendMessage(e, EM_LINEINDEX, WPARAM(i), 0), lines[i]) << i;
        const bool open = !t.empty() && (t.back() == '\r' || t.back() == '\n');
        EXPECT_EQ(SendMessage(e, EditHardLineMessage(), WPARAM(-1), 0),
                  t.empty() ? 0 : LRESULT(lines.size() - (open ? 1 : 0)));
    };
    check(text);
    struct Edit {
        std::size_t From, To;
        const char* With;
    } edits[] = {
        {1000, 1000, "x\r"},          // between a CR and its LF: two lone CRs, an LF
        {1001, 1001, "\n"},           // x CR LF
        {1000, 1003, ""},             // the first CR and the last LF meet again as one break
        {40, 3000, "\xE7\x8D\x8E\n"}, // most of the text, marks and all
        {0, 0, "\r\n"},
    };
    for (const Edit& ed : edits) {
        auto boundary = [&](std::size_t k) {
            k = std::min(k, text.size());
            while (k > 0 && k < text.size() && (static_cast<unsigned char>(text[k]) & 0xC0) == 0x80)
                --k;
            return k;
        };
        std::size_t from = boundary(ed.From), to = boundary(ed.To);
        SendMessage(e, EM_SETSEL, WPARAM(from), LPARAM(to));
        SendMessage(e, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(ed.With));
        text.replace(from, to - from, ed.With);
        check(text);
    }
    text += "end\r\n";
    SendMessage(e, EM_SETSEL, WPARAM(GetWindowTextLength(e)), LPARAM(GetWindowTextLength(e)));
    SendMessage(e, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>("end\r\n"));
    check(text);
    SendMessage(e, WM_UNDO, 0, 0);
    check(text.substr(0, text.size() - 5));
    SetWindowText(e, "");
    check("");
}

TEST_F(EditTest, TypingAsciiAndChineseGivesTextBytePositionsAndOneChangePerCharacter)
{
    HWND e = Edit();
    Type(u"ab");
    Type(u"獎品");
    EXPECT_EQ(Text(e), "ab獎品");
    EXPECT_EQ(Sel(e), std::make_pair(8, 8)); // 2 ASCII bytes + 2 × 3 bytes
    EXPECT_EQ(GetWindowTextLength(e), 8);
    // Each character: EN_UPDATE then EN_CHANGE, from the edit's id.
    std::vector<WORD> expected;
    for (int i = 0; i < 4; ++i) {
        expected.push_back(EN_UPDATE);
        expected.push_back(EN_CHANGE);
    }
    EXPECT_EQ(Codes(e), expected);
    EXPECT_EQ(Notes(e).front().Id, 100);
    EXPECT_TRUE(SendMessage(e, EM_GETMODIFY, 0, 0));

    // Selecting the Chinese word with Shift+Left twice covers its six bytes.
    Press(VK_LEFT, true);
    Press(VK_LEFT, true);
    EXPECT_EQ(Sel(e), std::make_pair(2, 8));
    Type(u"x");
    EXPECT_EQ(Text(e), "abx");
}

TEST_F(EditTest, UnicodeWindowCountsUtf16UnitsAndTakesWideStrings)
{
    HWND e = Edit("a獎品");
    OriginalEditProc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(e, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&WideSubclass)));
    ASSERT_TRUE(IsWindowUnicode(e));
    SendMessageW(e, EM_SETSEL, 0, -1);
    EXPECT_EQ(Sel(e), std::make_pair(0, 3));
    EXPECT_EQ(GetWindowTextLengthW(e), 3);
    EXPECT_EQ(GetWindowTextLength(e), 7); // the ANSI caller still gets the UTF-8 bytes
    SendMessageW(e, EM_SETSEL, 1, 2);
    SendMessageW(e, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(u"抽"));
    EXPECT_EQ(WideText(e), u"a抽品");
    EXPECT_EQ(Sel(e), std::make_pair(2, 2));
    // A character outside the basic plane is two units, never split by a position.
    SendMessageW(e, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(u"x\U0001F389y"));
    SendMessageW(e, EM_SETSEL, 2, 2); // inside the pair: moved to its start
    EXPECT_EQ(Sel(e), std::make_pair(1, 1));
    Press(VK_RIGHT);
    EXPECT_EQ(Sel(e), std::make_pair(3, 3));
    Press(VK_BACK);
    EXPECT_EQ(WideText(e), u"xy");
}

TEST_F(EditTest, SetSelHandlesReversedRemovedAndOutOfRangePositions)
{
    HWND e = Edit("a獎b"); // bytes: a=0, 獎=1..3, b=4, end=5
    struct Case {
        int Start, End;
        std::pair<int, int> Expected;
    } cases[] = {
        {0, -1, {0, 5}},  // select all
        {4, 1, {1, 4}},   // reversed: reported in order
        {2, 2, {1, 1}},   // inside a character: its start
        {3, 99, {1, 5}},  // beyond the end: clamped
        {99, 99, {5, 5}}, // the grid's "start = length, length 1"
    };
    for (const Case& c : cases) {
        SendMessage(e, EM_SETSEL, WPARAM(c.Start), LPARAM(c.End));
        EXPECT_EQ(Sel(e), c.Expected) << c.Start << ".." << c.End;
    }
    SendMessage(e, EM_SETSEL, 1, 4);
    SendMessage(e, EM_SETSEL, WPARAM(-1), 0); // removes the selection, keeps the caret
    EXPECT_EQ(Sel(e), std::make_pair(4, 4));

    // A reversed selection keeps the caret at the smaller end: Shift+Right shrinks it from there.
    SendMessage(e, EM_SETSEL, 5, 1);
    Press(VK_RIGHT, true);
    EXPECT_EQ(Sel(e), std::make_pair(4, 5));
}

TEST_F(EditTest, KeysMoveDeleteAndSelect)
{
    HWND e = Edit("one two three");
    SendMessage(e, EM_SETSEL, 13, 13);
    Press(VK_LEFT, false, true); // word left
    EXPECT_EQ(Sel(e), std::make_pair(8, 8));
    Press(VK_LEFT, true, true);
    EXPECT_EQ(Sel(e), std::make_pair(4, 8));
    Press(VK_DELETE);
    EXPECT_EQ(Text(e), "one three");
    Press(VK_HOME);
    Press(VK_DELETE);
    EXPECT_EQ(Text(e), "ne three");
    Press(VK_END, true);
    EXPECT_EQ(Sel(e), std::make_pair(0, 8));
    Press(VK_RIGHT); // collapses to the selection's end
    EXPECT_EQ(Sel(e), std::make_pair(8, 8));
    Press(VK_BACK);
    EXPECT_EQ(Text(e), "ne thre");
    // Up and Down move like Left and Right in a single-line edit.
    Press(VK_UP);
    EXPECT_EQ(Sel(e), std::make_pair(6, 6));
}

TEST_F(EditTest, ClipboardGoesThroughMessagesTheEditSendsToItself)
{
    HWND e = Edit("prize 獎品");
    OriginalEditProc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtr(e, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&RecordingSubclass)));
    ClipboardMessages.clear();
    BlockPaste = false;

    SendMessage(e, EM_SETSEL, 6, 12); // 獎品
    Press('C', false, true);          // Ctrl+C → WM_CHAR 3 → WM_COPY
    EXPECT_EQ(ClipboardUtf8(), "獎品");
    Press('X', false, true);
    EXPECT_EQ(Text(e), "prize ");
    Press(VK_HOME);
    Press('V', false, true);
    EXPECT_EQ(Text(e), "獎品prize ");
    EXPECT_EQ(Sel(e), std::make_pair(6, 6));
    Press(VK_INSERT, false, true); // Ctrl+Insert: copy (nothing selected: clipboard kept)
    Press(VK_INSERT, true);        // Shift+Insert: paste
    EXPECT_EQ(Text(e), "獎品獎品prize ");
    SendMessage(e, EM_SETSEL, 0, 6);
    Press(VK_DELETE, true); // Shift+Delete: cut
    EXPECT_EQ(Text(e), "獎品prize ");
    EXPECT_EQ(ClipboardMessages, (std::vector<UINT>{WM_COPY, WM_CUT, WM_PASTE, WM_COPY, WM_PASTE, WM_CUT}));

    // A program that refuses WM_PASTE keeps every way of pasting out.
    BlockPaste = true;
    Press('V', false, true);
    Press(VK_INSERT, true);
    EXPECT_EQ(Text(e), "獎品prize ");

    // Pasting several lines into a single-line edit keeps the first line.
    BlockPaste = false;
    SetClipboardUtf8("first\r\nsecond");
    SendMessage(e, EM_SETSEL, 0, -1);
    Press('V', false, true);
    EXPECT_EQ(Text(e), "first");
    // Ctrl+Z undoes the paste.
    Press('Z', false, true);
    EXPECT_EQ(Text(e), "獎品prize ");
}

TEST_F(EditTest, ReadOnlyPasswordAndLimit)
{
    HWND e = Edit("fixed", ES_READONLY);
    Type(u"x");
    Press(VK_BACK);
    SendMessage(e, EM_SETSEL, 0, -1);
    Press('X', false, true);
    EXPECT_EQ(Text(e), "fixed");
    Press('C', false, true); // copying is allowed
    EXPECT_EQ(ClipboardUtf8(), "fixed");
    SendMessage(e, EM_SETREADONLY, FALSE, 0);
    EXPECT_FALSE(GetWindowLong(e, GWL_STYLE) & ES_READONLY);
    Type(u"!");
    EXPECT_EQ(Text(e), "!");

    HWND p = Make("EDIT", "secret", ES_PASSWORD | ES_AUTOHSCROLL, 10, 40, 200, 22, 101);
    EXPECT_EQ(SendMessage(p, EM_GETPASSWORDCHAR, 0, 0), '*');
    SetFocus(p);
    SendMessage(p, EM_SETSEL, 0, -1);
    Press('C', false, true); // a password is never copied
    Press('X', false, true);
    EXPECT_EQ(ClipboardUtf8(), "fixed");
    EXPECT_EQ(Text(p), "secret");

    // The limit counts the window's units (bytes here); user input beyond it is cut and reported,
    // text set by the program is not limited.
    HWND l = Make("EDIT", "", ES_AUTOHSCROLL, 10, 70, 200, 22, 102);
    SetFocus(l);
    SendMessage(l, EM_LIMITTEXT, 7, 0);
    Log().clear();
    Type(u"ab獎品");
    EXPECT_EQ(Text(l), "ab獎");
    auto codes = Codes(l);
    EXPECT_EQ(std::count(codes.begin(), codes.end(), EN_MAXTEXT), 1);
    SetWindowText(l, "0123456789");
    EXPECT_EQ(Text(l), "0123456789");
    EXPECT_EQ(SendMessage(l, EM_GETLIMITTEXT, 0, 0), 7);
}

TEST_F(EditTest, StylesFilterAndConvertTypedCharacters)
{
    struct Case {
        DWORD Style;
        std::u16string Typed;
        std::string Expected;
    } cases[] = {
        {ES_NUMBER, u"1a2-3", "123"},
        {ES_UPPERCASE, u"abC獎", "ABC獎"},
        {ES_UPPERCASE, u"\u00DF\u00E9\u03C9", "SS\u00C9\u03A9"}, // ß becomes SS
        {ES_LOWERCASE, u"AbC", "abc"},
        {ES_LOWERCASE, u"\u00C9\u03A9", "\u00E9\u03C9"},
        {0, u"a\tb\rc", "abc"}, // control characters do nothing in a single-line edit
    };
    int id = 200;
    for (const Case& c : cases) {
        HWND e = Make("EDIT", "", c.Style | ES_AUTOHSCROLL, 10, 100, 200, 22, id++);
        SetFocus(e);
        Type(c.Typed);
        EXPECT_EQ(Text(e), c.Expected) << c.Style;
    }
}

TEST_F(EditTest, ProgrammaticTextNotifiesOnlyForASingleLineEditOfItsOwn)
{
    HWND single = Edit("x");
    HWND multi = Make("EDIT", "", ES_MULTILINE | ES_WANTRETURN, 10, 40, 200, 80, 101);
    Log().clear();
    SetWindowText(single, "set");
    SetWindowText(multi, "set");
    EXPECT_EQ(Codes(single), (std::vector<WORD>{EN_UPDATE, EN_CHANGE}));
    EXPECT_TRUE(Codes(multi).empty());
    // Setting text clears the modified flag; typing sets it.
    EXPECT_FALSE(SendMessage(single, EM_GETMODIFY, 0, 0));
    SetFocus(multi);
    Log().clear();
    Type(u"!");
    EXPECT_EQ(Codes(multi), (std::vector<WORD>{EN_UPDATE, EN_CHANGE})); // typing always notifies
    EXPECT_TRUE(SendMessage(multi, EM_GETMODIFY, 0, 0));
    SendMessage(multi, EM_SETMODIFY, FALSE, 0);
    EXPECT_FALSE(SendMessage(multi, EM_GETMODIFY, 0, 0));
}

TEST_F(EditTest, UndoRestoresTheTextBeforeTheLastEditAndRedoes)
{
    HWND e = Edit("base");
    SendMessage(e, EM_SETSEL, 4, 4);
    Type(u" 獎品"); // typing in a row is one step
    EXPECT_TRUE(SendMessage(e, EM_CANUNDO, 0, 0));
    Press('Z', false, true);
    EXPECT_EQ(Text(e), "base");
    Press('Z', false, true);
    EXPECT_EQ(Text(e), "base 獎品");
    SendMessage(e, EM_EMPTYUNDOBUFFER, 0, 0);
    EXPECT_FALSE(SendMessage(e, EM_UNDO, 0, 0));
    SetWindowText(e, "new");
    EXPECT_FALSE(SendMessage(e, EM_CANUNDO, 0, 0));
}

TEST_F(EditTest, MultiLineEditBreaksLinesWithCrLfAndMovesBetweenLines)
{
    HWND e = Edit("", ES_MULTILINE | ES_WANTRETURN | ES_AUTOVSCROLL | WS_VSCROLL, 200, 80);
    EXPECT_EQ(SendMessage(e, WM_GETDLGCODE, 0, 0) & DLGC_WANTALLKEYS, DLGC_WANTALLKEYS);
    Type(u"first");
    Press(VK_RETURN);
    Type(u"第二");
    EXPECT_EQ(Text(e), "first\r\n第二");
    EXPECT_EQ(SendMessage(e, EM_GETLINECOUNT, 0, 0), 2);
    EXPECT_EQ(SendMessage(e, EM_LINEINDEX, 1, 0), 7);
    EXPECT_EQ(SendMessage(e, EM_LINELENGTH, 7, 0), 6);
    EXPECT_EQ(SendMessage(e, EM_LINEFROMCHAR, 8, 0), 1);
    char line[16] = {};
    *reinterpret_cast<WORD*>(line) = sizeof line;
    EXPECT_EQ(SendMessage(e, EM_GETLINE, 0, reinterpret_cast<LPARAM>(line)), 5);
    EXPECT_EQ(std::string(line, 5), "first");
    Press(VK_HOME);
    Press(VK_UP);
    EXPECT_EQ(Sel(e), std::make_pair(0, 0));
    Press(VK_END, false, true);
    EXPECT_EQ(Sel(e), std::make_pair(13, 13));
    Press(VK_BACK);
    Press(VK_BACK);
    Press(VK_BACK); // the line break goes as one
    EXPECT_EQ(Text(e), "first");
    // Many lines scroll the first visible line with the caret.
    for (int i = 0; i < 12; ++i) {
        Press(VK_RETURN);
        Type(u"x");
    }
    EXPECT_GT(SendMessage(e, EM_GETFIRSTVISIBLELINE, 0, 0), 0);
    SCROLLINFO si;
    si.fMask = SIF_ALL;
    ASSERT_TRUE(GetScrollInfo(e, SB_VERT, &si));
    EXPECT_EQ(si.nMax, 12);
    EXPECT_EQ(si.nPos, SendMessage(e, EM_GETFIRSTVISIBLELINE, 0, 0));
}

TEST_F(EditTest, MousePlacesTheCaretDragsASelectionAndDoubleClickSelectsAWord)
{
    HWND e = Edit("alpha beta gamma");
    LRESULT p6 = SendMessage(e, EM_POSFROMCHAR, 6, 0); // "b" of beta
    int x6 = SHORT(LOWORD(p6)), y = SHORT(HIWORD(p6)) + 5;
    Click(e, x6, y);
    EXPECT_EQ(Sel(e), std::make_pair(6, 6));
    int x10 = SHORT(LOWORD(SendMessage(e, EM_POSFROMCHAR, 10, 0)));
    Advance(1000);
    MouseDown(e, x6, y);
    MoveTo(e, x10, y);
    MouseUp(e, x10, y);
    EXPECT_EQ(Sel(e), std::make_pair(6, 10));
    DoubleClick(e, SHORT(LOWORD(SendMessage(e, EM_POSFROMCHAR, 13, 0))), y);
    EXPECT_EQ(Sel(e), std::make_pair(11, 16));

    // Character and position agree both ways; the end and points outside have no answer.
    for (int i : {0, 3, 6, 15}) {
        LRESULT pos = SendMessage(e, EM_POSFROMCHAR, WPARAM(i), 0);
        LRESULT ch =
            SendMessage(e, EM_CHARFROMPOS, 0, MAKELPARAM(SHORT(LOWORD(pos)) + 1, SHORT(HIWORD(pos)) + 2));
        EXPECT_EQ(LOWORD(ch), i);
    }
    EXPECT_EQ(SendMessage(e, EM_POSFROMCHAR, 16, 0), -1);
    EXPECT_EQ(SendMessage(e, EM_CHARFROMPOS, 0, MAKELPARAM(-5, 3)), -1);
    LRESULT right = SendMessage(e, EM_CHARFROMPOS, 0, MAKELPARAM(190, 5));
    EXPECT_EQ(LOWORD(right), 16);
}

TEST_F(EditTest, FormattingRectangleBoundsTextAndHitTesting)
{
    HWND e = Edit("", ES_MULTILINE | ES_AUTOHSCROLL, 200, 22);
    RECT fmt{2, 0, 120, 18};
    SendMessage(e, EM_SETRECTNP, 0, reinterpret_cast<LPARAM>(&fmt));
    RECT got{};
    SendMessage(e, EM_GETRECT, 0, reinterpret_cast<LPARAM>(&got));
    EXPECT_TRUE(EqualRect(&got, &fmt));
    Type(u"WWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWW");
    Paint();
    // Nothing is drawn right of the rectangle: the window colour stays there.
    COLORREF window = GetSysColor(COLOR_WINDOW);
    for (int x = 125; x < 190; x += 7)
        EXPECT_EQ(Pixel(e, x, 8), window) << x;
    // Something is drawn inside it.
    bool inked = false;
    for (int x = 3; x < 118 && !inked; ++x)
        for (int yy = 1; yy < 16 && !inked; ++yy)
            inked = Pixel(e, x, yy) != window;
    EXPECT_TRUE(inked);
    // An inverted rectangle is accepted.
    RECT inverted{100, 10, 20, 2};
    SendMessage(e, EM_SETRECTNP, 0, reinterpret_cast<LPARAM>(&inverted));
    Type(u"x");
    Paint();
    EXPECT_NE(Text(e).find('x'), std::string::npos);
}

TEST_F(EditTest, SelectionShowsInHighlightColoursOnlyWhileFocused)
{
    HWND e = Edit("highlight me");
    SendMessage(e, EM_SETSEL, 0, -1);
    Paint();
    COLORREF hi = GetSysColor(COLOR_HIGHLIGHT);
    EXPECT_EQ(Pixel(e, 3, 1), hi);
    HWND other = Make("EDIT", "", 0, 10, 60, 100, 22, 101);
    SetFocus(other);
    Paint();
    EXPECT_NE(Pixel(e, 3, 1), hi);
}

} // namespace

namespace {

TEST_F(EditTest, VeryLongPastedTextWrapsAndHitTestsWithoutStalling)
{
    // 200 000 characters in one line: work must grow with the length, not with its square.
    std::string line;
    for (int i = 0; i < 25000; ++i)
        line += "獎品 ab ";
    SetClipboardUtf8(line);
    HWND memo = Edit("", ES_MULTILINE, 200, 80);
    Press('V', false, true);
    EXPECT_EQ(SendMessage(memo, WM_GETTEXTLENGTH, 0, 0), LRESULT(line.size()));
    EXPECT_GT(SendMessage(memo, EM_GETLINECOUNT, 0, 0), 5000);
    HWND single = Make("EDIT", "", ES_AUTOHSCROLL, 10, 100, 200, 22, 101);
    SetFocus(single);
    Press('V', false, true);
    Press(VK_HOME);
    Click(single, 100, 8);
    DWORD a = 0, b = 0;
    SendMessage(single, EM_GETSEL, reinterpret_cast<WPARAM>(&a), reinterpret_cast<LPARAM>(&b));
    EXPECT_GT(a, 0u);
    EXPECT_LT(a, 100u);
}

// The clipboard keys of the edit and the rich edit: one key map, the desktop's convention, the
// same in both controls.
class EditKeysTest : public ControlTest {
protected:
    void SetUp() override
    {
        ControlTest::SetUp();
        RegisterRichEditClass();
    }
};

TEST_F(EditKeysTest, ClipboardKeysActTheSameInTheEditAndTheRichEdit)
{
    struct Case {
        const char* Keys;
        UINT Key;
        bool Shift, Ctrl;
        const char* Text;      // "abcdef" with "abc" selected, "XY" on the clipboard
        const char* Clipboard; // after the key
    };
    const Case Cases[] = {
        {"Ctrl+Insert", VK_INSERT, false, true, "abcdef", "abc"},
        {"Shift+Insert", VK_INSERT, true, false, "XYdef", "XY"},
        {"Shift+Delete", VK_DELETE, true, false, "def", "abc"},
        {"Ctrl+Shift+Insert", VK_INSERT, true, true, "abcdef", "XY"},
        {"Ctrl+C", 'C', false, true, "abcdef", "abc"},
        {"Ctrl+V", 'V', false, true, "XYdef", "XY"},
        {"Ctrl+X", 'X', false, true, "def", "abc"},
    };
    for (const char* Class : {"EDIT", "RichEdit20A"}) {
        HWND e = Make(Class, "", DWORD(ES_AUTOHSCROLL) | WS_TABSTOP, 10, 10, 200, 22, 100);
        ASSERT_NE(e, nullptr) << Class;
        SetFocus(e);
        for (const Case& C : Cases) {
            SetWindowText(e, "abcdef");
            SendMessage(e, EM_SETSEL, 0, 3);
            SetClipboardUtf8("XY");
            Press(C.Key, C.Shift, C.Ctrl);
            EXPECT_EQ(Text(e), C.Text) << Class << " " << C.Keys;
            EXPECT_EQ(ClipboardUtf8(), C.Clipboard) << Class << " " << C.Keys;
        }
        // Ctrl+A selects the whole text.
        SetWindowText(e, "abcdef");
        SendMessage(e, EM_SETSEL, 2, 2);
        Press('A', false, true);
        DWORD a = 0, b = 0;
        SendMessage(e, EM_GETSEL, reinterpret_cast<WPARAM>(&a), reinterpret_cast<LPARAM>(&b));
        EXPECT_EQ(std::make_pair(a, b), std::make_pair(DWORD(0), DWORD(6))) << Class;
        DestroyWindow(e);
    }
}

} // namespace
