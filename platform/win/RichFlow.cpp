// Paragraph-by-paragraph layout of rich edit documents.

#include "platform/win/RichFlow.h"

#include <algorithm>
#include <utility>

namespace richtext {

namespace {

// Counts over a run of paragraphs.
struct FlowSums {
    std::size_t Paras = 0;
    std::size_t Units = 0;
    std::size_t Lines = 0;
    long long Height = 0;

    FlowSums& operator+=(const FlowSums& o)
    {
        Paras += o.Paras;
        Units += o.Units;
        Lines += o.Lines;
        Height += o.Height;
        return *this;
    }
};

} // namespace

struct Flow::Node {
    std::unique_ptr<Node> Left, Right;
    std::uint64_t Priority = 0;
    std::vector<Line> Lines; // units from the paragraph's first one, tops from its top
    FlowSums Own;            // this paragraph alone
    FlowSums Total;          // the subtree

    void Sum()
    {
        Total = Own;
        if (Left)
            Total += Left->Total;
        if (Right)
            Total += Right->Total;
    }
};

struct Flow::Spot {
    const Node* N = nullptr;
    FlowSums Before; // of the paragraphs before it
};

// The tree operations, on Flow's node type.
namespace {

template <class N> std::unique_ptr<N> MergeFlow(std::unique_ptr<N> a, std::unique_ptr<N> b)
{
    if (!a)
        return b;
    if (!b)
        return a;
    if (a->Priority > b->Priority) {
        a->Right = MergeFlow(std::move(a->Right), std::move(b));
        a->Sum();
        return a;
    }
    b->Left = MergeFlow(std::move(a), std::move(b->Left));
    b->Sum();
    return b;
}

// Splits off the first `k` paragraphs of t into `left`, the rest into `right`.
template <class N>
void SplitFlow(std::unique_ptr<N> t, std::size_t k, std::unique_ptr<N>& left, std::unique_ptr<N>& right)
{
    if (!t) {
        left.reset();
        right.reset();
        return;
    }
    const std::size_t before = t->Left ? t->Left->Total.Paras : 0;
    if (k <= before) {
        std::unique_ptr<N> sub = std::move(t->Left);
        SplitFlow(std::move(sub), k, left, t->Left);
        t->Sum();
        right = std::move(t);
    } else {
        std::unique_ptr<N> sub = std::move(t->Right);
        SplitFlow(std::move(sub), k - before - 1, t->Right, right);
        t->Sum();
        left = std::move(t);
    }
}

} // namespace

Flow::Flow() = default;
Flow::~Flow() = default;

void Flow::Invalidate()
{
    Root.reset();
    Width = -1;
}

std::unique_ptr<Flow::Node> Flow::Build(const Document& doc, std::size_t from, std::size_t to)
{
    std::unique_ptr<Node> tree;
    const std::u16string& t = doc.Text();
    to = std::min(to, t.size());
    while (from < to) {
        auto node = std::make_unique<Node>();
        // splitmix64: priorities only need to be spread, not secret.
        std::uint64_t z = (Seed += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        node->Priority = z ^ (z >> 31);
        node->Lines = LayOutParagraph(doc, from, Width);
        const std::size_t units = node->Lines.back().Next - from;
        long long height = 0;
        for (Line& ln : node->Lines) {
            ln.Start -= from;
            ln.End -= from;
            ln.Next -= from;
            height += ln.Height;
        }
        node->Own = FlowSums{1, units, node->Lines.size(), height};
        node->Sum();
        tree = MergeFlow(std::move(tree), std::move(node));
        from += units;
    }
    return tree;
}

void Flow::Update(const Document& doc, int width)
{
    width = std::max(width, 1);
    if (Root && Width == width && Root->Total.Units == doc.Text().size())
        return;
    Root.reset();
    Width = width;
    Root = Build(doc, 0, doc.Text().size());
}

void Flow::Replaced(const Document& doc, std::size_t from, std::size_t removed, std::size_t inserted)
{
    if (!Root)
        return;
    const std::size_t total = Root->Total.Units;
    const std::size_t size = doc.Text().size();
    if (from >= total || removed > total - from || total - removed + inserted != size) {
        Invalidate(); // a change that does not fit the layout kept: start again
        return;
    }
    // The paragraphs that held the replaced units, and the one the unit after them is in (a
    // removed mark joins it to them).
    const Spot first = Find(from, [](const FlowSums& s) { return s.Units; });
    const Spot last = Find(std::min(from + removed, total - 1), [](const FlowSums& s) { return s.Units; });
    const std::size_t start = first.Before.Units;
    const std::size_t end = last.Before.Units + last.N->Own.Units - removed + inserted;
    std::unique_ptr<Node> before, rest, touched, after;
    SplitFlow(std::move(Root), first.Before.Paras, before, rest);
    SplitFlow(std::move(rest), last.Before.Paras - first.Before.Paras + 1, touched, after);
    touched.reset();
    Root = MergeFlow(MergeFlow(std::move(before), Build(doc, start, end)), std::move(after));
}

template <class Measure> Flow::Spot Flow::Find(std::size_t value, Measure measure) const
{
    // Down to the first paragraph whose end, counted by the measure, lies past the value; the
    // last paragraph when none does.
    Spot s;
    const Node* n = Root.get();
    while (n) {
        const FlowSums left = n->Left ? n->Left->Total : FlowSums{};
        const std::size_t leftM = std::size_t(measure(s.Before)) + std::size_t(measure(left));
        if (value < leftM) {
            n = n->Left.get();
            continue;
        }
        if (value < leftM + std::size_t(measure(n->Own)) || !n->Right) {
            s.N = n;
            s.Before += left;
            return s;
        }
        s.Before += left;
        s.Before += n->Own;
        n = n->Right.get();
    }
    return s;
}

std::size_t Flow::LineCount() const
{
    return Root ? Root->Total.Lines : 0;
}

int Flow::Height() const
{
    return Root ? int(Root->Total.Height) : 0;
}

std::size_t Flow::LineOfUnit(std::size_t unit) const
{
    const Spot s = Find(unit, [](const FlowSums& f) { return f.Units; });
    if (!s.N)
        return 0;
    const std::vector<Line>& lines = s.N->Lines;
    const std::size_t rel = unit - std::min(unit, s.Before.Units);
    auto at = std::upper_bound(lines.begin(), lines.end(), rel,
                               [](std::size_t v, const Line& l) { return v < l.Next; });
    const std::size_t k = at == lines.end() ? lines.size() - 1 : std::size_t(at - lines.begin());
    return s.Before.Lines + k;
}

std::size_t Flow::LineAtY(int y) const
{
    const std::size_t at = std::size_t(std::max(y, 0));
    const Spot s = Find(at, [](const FlowSums& f) { return f.Height; });
    if (!s.N)
        return 0;
    const std::vector<Line>& lines = s.N->Lines;
    const int rel = int(std::max(0LL, (long long)(at)-s.Before.Height));
    auto line = std::upper_bound(lines.begin(), lines.end(), rel,
                                 [](int v, const Line& l) { return v < l.Top + l.Height; });
    const std::size_t k = line == lines.end() ? lines.size() - 1 : std::size_t(line - lines.begin());
    return s.Before.Lines + k;
}

Line Flow::LineAt(std::size_t number) const
{
    const Spot s = Find(number, [](const FlowSums& f) { return f.Lines; });
    if (!s.N)
        return Line{};
    const std::vector<Line>& lines = s.N->Lines;
    Line ln = lines[std::min(number - std::min(number, s.Before.Lines), lines.size() - 1)];
    ln.Start += s.Before.Units;
    ln.End += s.Before.Units;
    ln.Next += s.Before.Units;
    ln.Top += int(s.Before.Height);
    return ln;
}

} // namespace richtext
