// The clipboard's formats as other programs' targets and back.

#include "platform/backend/gtk/ClipboardData.h"

#include "platform/win/Clipboard.h"
#include "platform/win/ImageFiles.h"

#include <glib.h>
#include <gtest/gtest.h>

#include <cstring>

namespace {

ClipBytes Bytes(const std::string& s)
{
    return ClipBytes(s.begin(), s.end());
}

TEST(ClipboardData, TextFormatsConvertBothWaysAndStopAtTheirZero)
{
    ClipboardFormats f;
    PutClipText(f, "獎品 A");
    EXPECT_EQ(f[CF_TEXT], Bytes(std::string("獎品 A") + '\0'));
    ClipBytes w = f[CF_UNICODETEXT];
    ASSERT_EQ(w.size(), 4u * 2 + 2);
    EXPECT_EQ(w[0] | w[1] << 8, 0x734E);
    EXPECT_EQ(ClipText(f), "獎品 A");

    ClipboardFormats onlyWide;
    onlyWide[CF_UNICODETEXT] = ClipBytes{'h', 0, 'i', 0, 0, 0, 'x', 0};
    EXPECT_EQ(ClipText(onlyWide), "hi");
    ClipboardFormats bad;
    bad[CF_TEXT] = ClipBytes{'a', 0xFF, 'b'}; // not UTF-8, and no terminating zero
    EXPECT_EQ(ClipText(bad), "a\xEF\xBF\xBD"
                             "b");
}

TEST(ClipboardData, Utf16FromOtherProgramsHonoursItsByteOrderMark)
{
    const std::uint8_t little[] = {0xFF, 0xFE, 0x4E, 0x73, 'a', 0};
    const std::uint8_t big[] = {0xFE, 0xFF, 0x73, 0x4E, 0, 'a'};
    const std::uint8_t plain[] = {0x4E, 0x73, 'a', 0, 'b'}; // odd length: the lone byte goes
    EXPECT_EQ(Utf16BytesToUtf8(little, sizeof little), "獎a");
    EXPECT_EQ(Utf16BytesToUtf8(big, sizeof big), "獎a");
    EXPECT_EQ(Utf16BytesToUtf8(plain, sizeof plain), "獎a");
    const std::uint8_t lone[] = {0x00, 0xD8, 'a', 0}; // an unpaired surrogate
    EXPECT_EQ(Utf16BytesToUtf8(lone, sizeof lone), "\xEF\xBF\xBD"
                                                   "a");
    EXPECT_EQ(Utf16BytesToUtf8(nullptr, 10), "");
}

TEST(ClipboardData, HtmlFormatOffsetsPointAtTheFragment)
{
    ClipBytes cf = MakeCfHtml("<b>獎</b>");
    std::string s(cf.begin(), cf.end() - 1);
    ASSERT_EQ(cf.back(), 0);
    auto number = [&](const char* name) {
        size_t at = s.find(name);
        EXPECT_NE(at, std::string::npos) << name;
        return std::stoul(s.substr(at + std::strlen(name), 10));
    };
    size_t startHtml = number("StartHTML:"), endHtml = number("EndHTML:");
    size_t startFrag = number("StartFragment:"), endFrag = number("EndFragment:");
    EXPECT_EQ(s.substr(startFrag, endFrag - startFrag), "<b>獎</b>");
    EXPECT_EQ(s.compare(startHtml, 6, "<html>"), 0);
    EXPECT_EQ(endHtml, s.size());
    EXPECT_EQ(HtmlFromCfHtml(cf), "<b>獎</b>");

    // A document that marks its own fragment keeps it.
    ClipBytes marked = MakeCfHtml("<html><body><!--StartFragment-->x<!--EndFragment--></body></html>");
    EXPECT_EQ(HtmlFromCfHtml(marked), "x");
}

TEST(ClipboardData, MalformedHtmlHeadersGiveNothing)
{
    const char* bad[] = {
        "<b>no header</b>",
        "Version:0.9\r\nStartFragment:0000000090\r\nEndFragment:0000000010\r\n", // end before start
        "Version:0.9\r\nStartFragment:0000000010\r\nEndFragment:9999999999\r\n", // beyond the data
        "Version:0.9\r\nStartHTML:abc\r\n",
    };
    for (const char* b : bad)
        EXPECT_FALSE(HtmlFromCfHtml(Bytes(b)).has_value()) << b;
    EXPECT_FALSE(HtmlFromCfHtml({}).has_value());
}

TEST(ClipboardData, ForeignHtmlMayComeAsUtf16)
{
    EXPECT_EQ(DecodeForeignHtml(Bytes("<i>x</i>")), "<i>x</i>");
    EXPECT_EQ(DecodeForeignHtml(ClipBytes{0xFF, 0xFE, '<', 0, 'p', 0, '>', 0}), "<p>");
}

// A 2×2 DIB, 24 bits, bottom-up: red, green on the bottom row; blue, white on top.
ClipBytes SmallDib()
{
    BITMAPINFOHEADER h;
    h.biWidth = 2;
    h.biHeight = 2;
    h.biBitCount = 24;
    ClipBytes d(sizeof h);
    std::memcpy(d.data(), &h, sizeof h);
    const std::uint8_t rows[] = {0, 0, 255, 0, 255, 0, 0, 0, 255, 0, 0, 255, 255, 255, 255, 0, 0};
    d.insert(d.end(), rows, rows + 16);
    return d;
}

TEST(ClipboardData, BitmapsTravelAsPngAndBmpAndComeBackAsTheSamePixels)
{
    ClipBytes png = DibToPng(SmallDib());
    ASSERT_GT(png.size(), 8u);
    EXPECT_EQ(std::memcmp(png.data(), "\x89PNG", 4), 0);
    ClipBytes back = PngToDib(png);
    ASSERT_GE(back.size(), 40u + 16);
    BITMAPINFOHEADER h;
    std::memcpy(&h, back.data(), sizeof h);
    EXPECT_EQ(h.biWidth, 2);
    EXPECT_EQ(std::abs(h.biHeight), 2);
    EXPECT_EQ(h.biBitCount, 32);
    HBITMAP b1 = LoadBmp(DibToBmpFile(SmallDib()).data(), DibToBmpFile(SmallDib()).size());
    HBITMAP b2 = LoadBmp(DibToBmpFile(back).data(), DibToBmpFile(back).size());
    EXPECT_EQ(SavePng(b1), SavePng(b2));
    DeleteObject(b1);
    DeleteObject(b2);
    ClipBytes bmp = DibToBmpFile(SmallDib());
    EXPECT_EQ(bmp[0], 'B');
    EXPECT_FALSE(BmpFileToDib(bmp).empty());
}

TEST(ClipboardData, MalformedPicturesGiveNothing)
{
    ClipBytes truncated = SmallDib();
    truncated.resize(30);
    ClipBytes hugeTable = SmallDib();
    hugeTable[14] = 8;    // 8 bits per pixel ...
    hugeTable[32] = 0xFF; // ... with a colour table of 0x01FF entries
    hugeTable[33] = 0x01;
    ClipBytes liar = SmallDib();
    liar[4] = 0xFF; // width far beyond the pixels given
    liar[5] = 0xFF;
    for (const ClipBytes& d : {ClipBytes{}, truncated, hugeTable, liar}) {
        EXPECT_TRUE(DibToPng(d).empty());
    }
    EXPECT_TRUE(PngToDib(Bytes("\x89PNG\r\n\x1a\n garbage")).empty());
    EXPECT_TRUE(BmpFileToDib(Bytes("BM")).empty());
}

TEST(ClipboardData, OnlyPlainNamesPassForRegisteredFormats)
{
    EXPECT_TRUE(IsRegisteredFormatTarget("Drawmere Prize Rows"));
    EXPECT_TRUE(IsRegisteredFormatTarget("HTML Format"));
    for (const char* no : {"TARGETS", "UTF8_STRING", "SAVE_TARGETS", "text/plain", "image/png", ""})
        EXPECT_FALSE(IsRegisteredFormatTarget(no)) << no;
    EXPECT_FALSE(IsRegisteredFormatTarget(std::string(300, 'a')));
    EXPECT_FALSE(IsRegisteredFormatTarget(std::string("a\nb")));
}

} // namespace

namespace {

TEST(ClipboardData, FileListsRoundTripAndStopAtTheBlocksEnd)
{
    std::vector<std::string> files{"/tmp/獎品.xls", "/home/a b/c.txt"};
    ClipBytes block = MakeDropFiles(files);
    EXPECT_EQ(ReadDropFiles(block), files);

    ClipBytes cut = block;
    cut.resize(cut.size() - 6); // the last name loses its end, and the list its empty name
    EXPECT_EQ(ReadDropFiles(cut), std::vector<std::string>{files[0]});
    ClipBytes badOffset = block;
    badOffset[0] = 0xF0; // the names start beyond the block
    EXPECT_TRUE(ReadDropFiles(badOffset).empty());
    EXPECT_TRUE(ReadDropFiles(ClipBytes(10, 0)).empty());

    // Narrow names (fWide 0), as older programs write them.
    ClipBytes narrow(20, 0);
    narrow[0] = 20;
    for (char c : std::string("/a\0/b\0\0", 7))
        narrow.push_back(std::uint8_t(c));
    EXPECT_EQ(ReadDropFiles(narrow), (std::vector<std::string>{"/a", "/b"}));
}

TEST(ClipboardData, WantedTargetsTakeTheBestOfEachKindOnce)
{
    std::vector<std::string> offered{"TARGETS",         "STRING",    "UTF8_STRING", "text/html",
                                     "application/rtf", "image/bmp", "image/png",   "text/uri-list",
                                     "Grid Column",     "TIMESTAMP", "image/jpeg"};
    EXPECT_EQ(WantedTargets(offered),
              (std::vector<std::string>{"UTF8_STRING", "text/uri-list", "text/html", "application/rtf",
                                        "image/png", "Grid Column"}));
    EXPECT_EQ(WantedTargets({"text/plain;charset=utf-16"}),
              std::vector<std::string>{"text/plain;charset=utf-16"});
    std::vector<std::string> many;
    for (int i = 0; i < 200; ++i)
        many.push_back("Format " + std::to_string(i));
    EXPECT_EQ(WantedTargets(many).size(), MaxForeignFormats);
}

// Links from other programs: one address, checked, whatever the wrapping.
TEST(ClipboardData, LinksFromOtherProgramsGiveOneCheckedAddress)
{
    struct Case {
        std::string In, Out;
    } cases[] = {
        {"https://example.org/a?b=1", "https://example.org/a?b=1"},
        {"  mailto:x@y.z \r\nTitle", "mailto:x@y.z"},
        {std::string("ftp://h/f\0junk", 14), "ftp://h/f"},
        {"svn+ssh://h/r", "svn+ssh://h/r"},
        {"no scheme here", ""},
        {"1http://h", ""},
        {"http:", ""},
        {"ht tp://h", ""},
        {"http://a\tb", ""},
        {"", ""},
        {"http://" + std::string(MaxUrlBytes, 'a'), ""}, // refused, not cut
    };
    for (const Case& c : cases)
        EXPECT_EQ(UrlFromForeign(c.In), c.Out) << c.In.substr(0, 40);

    ClipBytes moz = MakeMozUrl("https://例.org/");
    EXPECT_EQ(UrlFromMozUrl(moz), "https://例.org/");
    ClipBytes withMark{0xFF, 0xFE};
    withMark.insert(withMark.end(), moz.begin(), moz.end());
    withMark.push_back('x'); // an odd byte at the end
    EXPECT_EQ(UrlFromMozUrl(withMark), "https://例.org/");
    EXPECT_EQ(UrlFromMozUrl(ClipBytes{'h', 0, 0xFF}), "");

    EXPECT_EQ(UrlFromUriList(Bytes("# comment\r\nfile:///tmp/a\r\nhttps://h/p\r\nhttps://h/q\r\n")),
              "https://h/p");
    EXPECT_EQ(UrlFromUriList(Bytes("FILE:///tmp/a\r\n")), "");
    EXPECT_EQ(WantedTargets({"STRING", "UniformResourceLocator", "text/x-moz-url"}),
              (std::vector<std::string>{"STRING", "text/x-moz-url"}));
}

// Files dropped or copied from another program: only this machine's; another host's file:
// address names no file here. UTF-8 text keeps all of itself, bad bytes as U+FFFD.
TEST(ClipboardData, ForeignFilesAreLocalAndForeignTextIsKeptWhole)
{
    struct Case {
        std::string Uri, File;
    } cases[] = {
        {"file:///tmp/a%20b", "/tmp/a b"},
        {"file://localhost/etc/hosts", "/etc/hosts"},
        {"file://LOCALHOST/x", "/x"},
        {std::string("file://") + g_get_host_name() + "/home/x", "/home/x"},
        {"file://remotehost/etc/passwd", ""},
        {"file://192.168.1.9/share/prizes.xls", ""},
        {"https://example.org/a", ""},
        {"file:relative", ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(LocalFileOfUri(c.Uri.c_str()), c.File) << c.Uri;

    EXPECT_EQ(TextFromUtf8Target(Bytes(std::string("before\xFF\xFE after \xE7\x8D\x8E\0tail", 21))),
              "before\xEF\xBF\xBD\xEF\xBF\xBD after \xE7\x8D\x8E");
    EXPECT_EQ(TextFromUtf8Target(Bytes("cut \xE7\x8D")), "cut \xEF\xBF\xBD\xEF\xBF\xBD"); // one for each byte
    EXPECT_EQ(TextFromUtf8Target(ClipBytes{}), "");
}

TEST(ClipboardData, ForeignRtfMustLookLikeRtfAndStopsAtItsZero)
{
    EXPECT_EQ(RtfFromForeign(Bytes(std::string("{\\rtf1 hi}\0tail", 15))),
              Bytes(std::string("{\\rtf1 hi}\0", 11)));
    EXPECT_EQ(RtfFromForeign(Bytes("{\\rtf1 no end")), Bytes(std::string("{\\rtf1 no end\0", 14)));
    EXPECT_EQ(RtfFromForeign(Bytes("<html>")), std::nullopt);
    EXPECT_EQ(RtfFromForeign(Bytes("{\\rt")), std::nullopt);
    EXPECT_EQ(RtfFromForeign(ClipBytes{}), std::nullopt);
}

} // namespace
