// The rich edit's layout kept paragraph by paragraph, against laying out the whole document anew.

#include "platform/win/RichFlow.h"
#include "platform/win/RichText.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace richtext;

namespace {

// Every line, the total height, and the lines found by unit and by height agree with a layout of
// the whole document.
void ExpectFlowAsWhole(const Flow& flow, const Document& doc, int width, const std::string& step)
{
    const std::vector<Line> whole = LayOut(doc, 0, width);
    ASSERT_EQ(flow.LineCount(), whole.size()) << step;
    ASSERT_EQ(flow.Height(), whole.back().Top + whole.back().Height) << step;
    for (std::size_t k = 0; k < whole.size(); ++k) {
        const Line got = flow.LineAt(k);
        const Line& want = whole[k];
        ASSERT_EQ(got.Start, want.Start) << step << ", line " << k;
        ASSERT_EQ(got.End, want.End) << step << ", line " << k;
        ASSERT_EQ(got.Next, want.Next) << step << ", line " << k;
        ASSERT_EQ(got.Top, want.Top) << step << ", line " << k;
        ASSERT_EQ(got.Height, want.Height) << step << ", line " << k;
        ASSERT_EQ(got.Ascent, want.Ascent) << step << ", line " << k;
        ASSERT_EQ(got.X, want.X) << step << ", line " << k;
        for (std::size_t u = want.Start; u < want.Next; ++u)
            ASSERT_EQ(flow.LineOfUnit(u), k) << step << ", unit " << u;
        ASSERT_EQ(flow.LineAtY(want.Top), k) << step;
        ASSERT_EQ(flow.LineAtY(want.Top + want.Height - 1), k) << step;
    }
    EXPECT_EQ(flow.LineAtY(-100), 0u) << step;
    EXPECT_EQ(flow.LineAtY(flow.Height() + 100), whole.size() - 1) << step;
    EXPECT_EQ(flow.LineOfUnit(doc.Text().size() + 10), whole.size() - 1) << step;
    EXPECT_EQ(flow.LineAt(whole.size() + 3).Start, whole.back().Start) << step;
}

// A small deterministic generator, so that a failing step can be replayed.
struct Steps {
    std::uint32_t State = 12345;
    std::size_t Below(std::size_t n)
    {
        State = State * 1103515245u + 12345u;
        return n == 0 ? 0 : std::size_t(State >> 8) % n;
    }
};

} // namespace

// Typing, deleting across paragraphs, pasting paragraphs, character and paragraph formats of
// ranges, width changes and a replacement of everything, each told to the flow as it happens.
TEST(RichFlow, EditsKeepTheLayoutOfTheWholeDocument)
{
    static const std::u16string pieces[] = {
        u"word ", u"\r", u"longer words that fill a line ",
        u"獎品",  u"\t", u"\r\r",
        u"x",     u"\v", u"averyveryverylongwordwithoutanybreakthatmustbecut ",
    };
    Document doc;
    const std::uint32_t plain = doc.Intern(CharFormat{});
    for (int i = 0; i < 30; ++i)
        doc.Replace(doc.Length(), doc.Length(),
                    u"Paragraph " + std::u16string(std::size_t(i % 5 + 1), u'w') +
                        u" of the prize list, with words enough to wrap\r",
                    plain);
    int width = 2880;
    Flow flow;
    flow.Replaced(doc, 0, 1, 1); // not laid out yet: nothing to keep
    flow.Update(doc, width);
    ExpectFlowAsWhole(flow, doc, width, "start");
    Steps rnd;
    for (int step = 0; step < 160; ++step) {
        const std::size_t len = doc.Length();
        std::size_t a = rnd.Below(len + 1);
        std::size_t b = std::min(len, a + rnd.Below(120));
        std::string what;
        switch (rnd.Below(7)) {
        case 0:
        case 1: {
            const std::u16string& text = pieces[rnd.Below(std::size(pieces))];
            doc.Replace(a, a, text, plain);
            flow.Replaced(doc, a, 0, text.size());
            what = "insert";
            break;
        }
        case 2:
            doc.Replace(a, b, u"", plain);
            flow.Replaced(doc, a, b - a, 0);
            what = "delete";
            break;
        case 3: {
            const std::u16string text = u"pasted\rparagraphs\r";
            doc.Replace(a, b, text, plain);
            flow.Replaced(doc, a, b - a, text.size());
            what = "paste";
            break;
        }
        case 4: {
            CharFormat f;
            f.Size = rnd.Below(2) ? 360 : 120;
            f.Effects |= rnd.Below(2) ? EffectBold : 0;
            f.Offset = rnd.Below(3) == 0 ? 60 : 0;
            doc.SetChar(a, b, f);
            flow.Replaced(doc, a, b - a, b - a);
            what = "character format";
            break;
        }
        case 5: {
            ParaFormat p;
            p.Left = int(rnd.Below(3)) * 360;
            p.First = rnd.Below(2) ? -180 : 180;
            p.Alignment = Align(rnd.Below(3));
            p.Tabs = {500, 1500};
            const std::size_t from = doc.ParaStart(a), to = doc.ParaEnd(b) + 1;
            doc.SetPara(from, to, p);
            flow.Replaced(doc, from, to - from, to - from);
            what = "paragraph format";
            break;
        }
        default:
            width = rnd.Below(2) ? 2880 : 1800 + int(rnd.Below(3000));
            what = "width";
            break;
        }
        flow.Update(doc, width);
        ExpectFlowAsWhole(flow, doc, width, "step " + std::to_string(step) + " (" + what + ")");
        if (HasFatalFailure())
            return;
    }
    // Everything replaced, and a change told wrongly: the flow starts again from the document.
    doc.Replace(0, doc.Length(), u"one\rtwo", plain);
    flow.Replaced(doc, 0, 5, 1);
    flow.Update(doc, width);
    ExpectFlowAsWhole(flow, doc, width, "replaced with a wrong count");
    flow.Invalidate();
    flow.Update(doc, width);
    ExpectFlowAsWhole(flow, doc, width, "invalidated");
}
