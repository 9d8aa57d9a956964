#include "RudUvud/support/DerOdoz.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// The offset written after Field in the envelope.
long OffsetOf(const std::string& Envelope, const std::string& Field)
{
    std::size_t At = Envelope.find(Field);
    if (At == std::string::npos)
        return -1;
    std::string Digits = Envelope.substr(At + Field.size(), 8);
    EXPECT_EQ(Envelope.substr(At + Field.size() + 8, 2), "\r\n") << Field << " is not 8 digits wide";
    return std::stol(Digits);
}

TEST(HTMLFragment, EnvelopeOffsetsPointAtTheParts)
{
    for (const std::string& Text : {std::string(), std::string("<b>Prize</b> 獎品")}) {
        std::string Envelope = Text;
        MakeFragment(Envelope);
        const long StartHTML = OffsetOf(Envelope, "StartHTML:");
        const long EndHTML = OffsetOf(Envelope, "EndHTML:");
        const long StartFragment = OffsetOf(Envelope, "StartFragment:");
        const long EndFragment = OffsetOf(Envelope, "EndFragment:");
        EXPECT_EQ(Envelope.rfind("Version:1.0\r\nStartHTML:", 0), 0u);
        EXPECT_EQ(StartHTML, 97);
        EXPECT_EQ(StartFragment, 269);
        EXPECT_EQ(EndFragment, 269 + static_cast<long>(Text.size()));
        EXPECT_EQ(EndHTML, EndFragment + 32);
        EXPECT_EQ(static_cast<long>(Envelope.size()), EndHTML);
        EXPECT_EQ(Envelope.substr(StartHTML, 9), "<!DOCTYPE");
        EXPECT_EQ(Envelope.substr(StartFragment - 20, 20), "<!--StartFragment-->");
        EXPECT_EQ(Envelope.substr(StartFragment, EndFragment - StartFragment), Text);
        EXPECT_EQ(Envelope.substr(EndFragment), "<!--EndFragment--></body></html>");
    }
    std::string Empty;
    MakeFragment(Empty);
    EXPECT_EQ(Empty.substr(0, 97), "Version:1.0\r\nStartHTML:00000097\r\nEndHTML:00000301\r\n"
                                   "StartFragment:00000269\r\nEndFragment:00000269\r\n");
}

TEST(HTMLFragment, HyperlinkWrapsTheFirstURL)
{
    struct Case {
        const char* Text;
        const char* Prefix;
        const char* Expected;
    } Cases[] = {
        {"open file://tmp/a?x now", "FILE://", "open <a href=\"file://tmp/a\">file://tmp/a</a>?x now"},
        {"WWW.Example.com/x, y", "WWW.", "<a href=\"WWW.Example.com/x\">WWW.Example.com/x</a>, y"},
        {"mail mailto:a@b.c;", "MAILTO:", "mail <a href=\"mailto:a@b.c\">mailto:a@b.c</a>;"},
        {"<i>http://a.b/c</i> and http://d", "HTTP://",
         "&lt;i&gt;<a href=\"http://a.b/c\">http://a.b/c</a>&lt;/i&gt; and http://d"},
        {"http://x", "HTTP://", "<a href=\"http://x\">http://x</a>"},
        {"http://", "HTTP://", "<a href=\"http://\">http://</a>"},
    };
    for (const Case& C : Cases) {
        std::string Result = "untouched";
        EXPECT_TRUE(MakeHTMLHyperlink(C.Text, C.Prefix, Result)) << C.Text;
        EXPECT_EQ(Result, C.Expected);
    }
    std::string Result = "untouched";
    EXPECT_FALSE(MakeHTMLHyperlink("no <link> here", "HTTP://", Result));
    EXPECT_EQ(Result, "untouched");
}

TEST(HTMLFragment, ColoursAreRedGreenBlue)
{
    EXPECT_EQ(HTMLColor(0x0080FF), "FF8000");
    EXPECT_EQ(HTMLColor(0xAB123456), "563412"); // the top byte is ignored
    EXPECT_EQ(HTMLColor(0), "000000");
}

} // namespace
